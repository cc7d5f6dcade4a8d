// Registered repository items: first registration wins, lookups by key with any version
// and the default item, versions at the ends of the range, and items that go away.
#include "widgets/editcore/cxEditRegisteredRepositoryItems.h"

#include "tests/editcore/EditSettingsTestSupport.h"

namespace {

class RegisteredItemsTest : public EditSettingsTest {
 protected:
  void SetUp() override {
    EditSettingsTest::SetUp();
    repo.reset(New<TcxEditRepository>(nullptr));
    reg.reset(New<TcxEditRegisteredRepositoryItems>());
  }
  void TearDown() override {
    reg.reset();
    repo.reset();
    EditSettingsTest::TearDown();
  }
  TcxEditRepositoryItem* NewItem() { return repo->CreateItem(cxEditRepositoryItemClassOf<TTestRepositoryItem>()); }
  Owned<TcxEditRepository> repo;
  Owned<TcxEditRegisteredRepositoryItems> reg;
};

TEST_F(RegisteredItemsTest, FirstRegistrationWinsAndLookupsFallBackToTheDefault) {
  TcxEditRepositoryItem* a = NewItem();
  TcxEditRepositoryItem* b = NewItem();
  TcxEditRepositoryItem* d = NewItem();
  const TClass* key = &TTestEdit::StaticClass();
  const TClass* other = &TcxEditRepository::StaticClass();
  EXPECT_EQ(reg->GetItem(key), nullptr);
  EXPECT_EQ(reg->RegisterItem(key, -1, a), 0);
  EXPECT_EQ(reg->RegisterItem(key, -1, b), 0);
  EXPECT_EQ(a->ListenerCount(), 1);
  EXPECT_EQ(b->ListenerCount(), 0);
  EXPECT_EQ(reg->GetItem(key), a);
  EXPECT_EQ(reg->GetItem(other), nullptr);
  reg->RegisterDefaultItem(5, b);
  reg->RegisterDefaultItem(-1, d);
  EXPECT_EQ(reg->GetItem(other), d) << "the lowest version is the default";
  EXPECT_EQ(reg->GetItem(nullptr), d);
  reg->UnregisterDefaultItem(7);  // never registered: nothing
  EXPECT_EQ(reg->DefaultItems().size(), 2u);
  reg->UnregisterDefaultItem(-1);
  EXPECT_EQ(reg->GetDefaultItem(), b);
  EXPECT_EQ(d->ListenerCount(), 0);
  EXPECT_EQ(reg->RegisterItem(nullptr, 1, a), -1);
  EXPECT_EQ(reg->RegisterItem(key, TcxEditRegisteredRepositoryItems::AnyVersion, a), -1);
}

TEST_F(RegisteredItemsTest, VersionsAtTheEndsOfTheRangeAreOrderedAndFound) {
  std::vector<TcxEditRepositoryItem*> items;
  const Integer versions[] = {0x7FFFFFFE, -2, 0, -0x7FFFFFFF - 1, 3};
  const TClass* keys[] = {&TTestEdit::StaticClass(), &TcxEditRepository::StaticClass(),
                          &TTestRepositoryItem::StaticClass()};
  for (const TClass* k : keys)
    for (Integer v : versions) {
      items.push_back(NewItem());
      reg->RegisterItem(k, v, items.back());
    }
  ASSERT_EQ(reg->Items().size(), 15u);
  for (const TClass* k : keys)
    for (Integer v : versions) {
      const Integer before = Integer(reg->Items().size());
      reg->RegisterItem(k, v, NewItem());  // already there: found, not added
      EXPECT_EQ(Integer(reg->Items().size()), before) << v;
    }
  // Any version of a key answers its lowest one.
  EXPECT_EQ(reg->GetItem(keys[1]), items[5 + 3]);
  reg->UnregisterItem(keys[1], -0x7FFFFFFF - 1);
  EXPECT_EQ(reg->GetItem(keys[1]), items[5 + 1]);
  reg->UnregisterItem(keys[1], 0x7FFFFFFE);
  EXPECT_EQ(reg->Items().size(), 13u);
}

TEST_F(RegisteredItemsTest, ADestroyedItemLeavesBothListsAndTheRegistryLeavesItsItems) {
  TcxEditRepositoryItem* a = NewItem();
  TcxEditRepositoryItem* b = NewItem();
  const TClass* key = &TTestEdit::StaticClass();
  reg->RegisterItem(key, 1, a);
  reg->RegisterItem(key, 2, a);
  reg->RegisterDefaultItem(0, a);
  reg->RegisterDefaultItem(1, b);
  reg->UnregisterItem(key, 2);  // a is still held by two records: still heard of
  EXPECT_EQ(a->ListenerCount(), 1);
  a->Free();
  EXPECT_TRUE(reg->Items().empty());
  EXPECT_EQ(reg->DefaultItems().size(), 1u);
  EXPECT_EQ(reg->GetItem(key), b);
  reg.reset();
  EXPECT_EQ(b->ListenerCount(), 0);
}

}  // namespace
