// Finding a record by one key field through the storage's key index: the first record the
// walk over the records finds, whatever the values, the edits in between and the options, and
// the index built only once walking paid for it, then following every change of the records
// (only a change of the layout drops it).
#include "DataControllerTestSupport.h"
#include "widgets/data/cxDataFind.h"

#include <functional>
#include <random>

namespace {

class KeyIndex : public ControllerTest {
 protected:
  // Items: 0 Integer, 1 String, 2 LargeInt, 3 Float (compared by a value type of its own).
  void SetUp() override {
    ControllerTest::SetUp();
    AddItems({IntType(), StrType(), TcxLargeIntValueType::StaticClass(), TcxFloatValueType::StaticClass()});
  }
  // The record the key locate object finds for the values on the items; -2 when no key field
  // can hold them.
  Integer Search(const std::vector<Integer>& AItems, const std::vector<Variant>& AValues) {
    Owned<TcxDataControllerKeyLocateObject> locate(New<TcxDataControllerKeyLocateObject>(c_.get()));
    Owned<TcxValueDefUnboundReader> reader(New<TcxValueDefUnboundReader>());
    for (size_t i = 0; i < AItems.size(); ++i) {
      locate->KeyFields().push_back(c_->GetItemField(AItems[i]));
      reader->SetValue(c_->GetItemField(AItems[i]), AValues[i]);
    }
    try {
      locate->ReadData(reader.get());
    } catch (const Exception&) {
      return -2;
    }
    return locate->FindRecordIndex();
  }
  Integer Find(Integer AItem, const Variant& AValue) { return Search({AItem}, {AValue}); }
  // The walk's answer: the same item named twice is a search on two fields, never indexed.
  Integer Walked(Integer AItem, const Variant& AValue) { return Search({AItem, AItem}, {AValue, AValue}); }
  bool IndexAnswers(Integer AItem) {
    Owned<TcxDataControllerKeyLocateObject> locate(New<TcxDataControllerKeyLocateObject>(c_.get()));
    Owned<TcxValueDefUnboundReader> reader(New<TcxValueDefUnboundReader>());
    reader->SetValue(c_->GetItemField(AItem), Null());
    locate->ReadData(reader.get());
    Integer r = 0;
    return c_->DataStorage()->FindEqualRecord(c_->GetItemField(AItem)->GetValueDef(), locate->RecordIndex(), r);
  }
};

}  // namespace

// Null, an empty text, duplicates and a value written over: each finds its first record.
TEST_F(KeyIndex, EachKeyFindsItsFirstRecordInOrder) {
  Fill({{1, "b", Int64(5), 1.5},
        {Null(), "", Null(), Null()},
        {2, Null(), Int64(5), 2.5},
        {1, "b", Int64(6), 1.5},
        {Null(), "a", Int64(7), 0.0},
        {3, "", Int64(8), 2.5}});
  // Each item walked over all six records: the next searches are indexed (except Float's).
  for (Integer item = 0; item < 4; ++item) EXPECT_EQ(Find(item, Variant(Int64(99))), -1);
  for (int pass = 0; pass < 2; ++pass) {
    SCOPED_TRACE(pass);
    EXPECT_EQ(Find(0, 1), 0);
    EXPECT_EQ(Find(0, Null()), 1);
    EXPECT_EQ(Find(0, 3), 5);
    EXPECT_EQ(Find(0, "2"), 2);  // the key is read as the field's type
    EXPECT_EQ(Find(0, 4), -1);
    EXPECT_EQ(Find(1, "b"), 0);
    EXPECT_EQ(Find(1, ""), 1);
    EXPECT_EQ(Find(1, Null()), 2);
    EXPECT_EQ(Find(1, "a"), 4);
    EXPECT_EQ(Find(1, "B"), -1);
    EXPECT_EQ(Find(2, Int64(5)), 0);
    EXPECT_EQ(Find(2, Null()), 1);
    EXPECT_EQ(Find(2, Int64(8)), 5);
    EXPECT_EQ(Find(3, 2.5), 2);
    EXPECT_EQ(Find(3, Null()), 1);
    EXPECT_EQ(Find(0, "x"), -2);
  }
  EXPECT_TRUE(IndexAnswers(0));
  EXPECT_TRUE(IndexAnswers(1));
  EXPECT_TRUE(IndexAnswers(2));
  EXPECT_FALSE(IndexAnswers(3));
  // A value written over: the index follows, and the new value is found.
  c_->SetValue(0, 0, 3);
  EXPECT_TRUE(IndexAnswers(0));
  EXPECT_EQ(Find(0, 3), 0);
  EXPECT_EQ(Find(0, 1), 3);
}

// The index is built once the walks compared as many records as the storage holds; every
// kind of change of the records leaves it answering as the walk does, a layout change drops it.
TEST_F(KeyIndex, TheIndexIsBuiltOnceWalkingPaidAndFollowsEveryChange) {
  c_->SetRecordCount(10);
  for (Integer r = 0; r < 10; ++r) c_->SetValue(r, 0, r);
  EXPECT_EQ(Find(0, 3), 3);  // 4 records compared
  EXPECT_FALSE(IndexAnswers(0));
  EXPECT_EQ(Find(0, 4), 4);  // 9
  EXPECT_FALSE(IndexAnswers(0));
  EXPECT_EQ(Find(0, 0), 0);  // 10: the next search builds it
  EXPECT_EQ(Find(0, 9), 9);
  EXPECT_TRUE(IndexAnswers(0));
  auto rebuild = [&] {
    for (int i = 0; i < 3; ++i) Find(0, Variant(Integer(-7)));
  };
  const std::pair<const char*, std::function<void()>> changes[] = {
      {"append", [&] { c_->SetValue(c_->AppendRecord(), 0, 3); }},
      {"insert", [&] { c_->SetValue(c_->InsertRecord(0), 0, 3); }},
      {"delete", [&] { c_->DeleteRecord(0); }},
      {"delete several", [&] { c_->DeleteRecords({0, 2}); }},
      {"count", [&] { c_->SetRecordCount(c_->GetRecordCount() + 1); }},
      {"value", [&] { c_->SetValue(1, 0, 3); }},
  };
  for (const auto& [name, change] : changes) {
    SCOPED_TRACE(name);
    rebuild();
    ASSERT_TRUE(IndexAnswers(0));
    change();
    EXPECT_TRUE(IndexAnswers(0));
    // Found as the walk finds it.
    EXPECT_EQ(Find(0, 3), Walked(0, 3));
    EXPECT_EQ(Find(0, Null()), Walked(0, Null()));
  }
  // A stored display text lays every record out anew: built again once walking paid again.
  c_->ChangeTextStored(1, true);
  EXPECT_FALSE(IndexAnswers(0));
  EXPECT_EQ(Find(0, 3), Walked(0, 3));
  // A case-insensitive controller compares texts by its own rule: the walk answers.
  c_->SetValue(0, 1, "Ab");
  TcxDataControllerOptions options = c_->Options();
  c_->SetOptions(options.Include(TcxDataControllerOption::dcoCaseInsensitive));
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Find(1, "aB"), 0);
}

// Random values, random edits between the rounds: every key finds what the walk finds.
TEST_F(KeyIndex, KeyLocateAgreesWithTheWalkOverRandomRecordsAndEdits) {
  std::mt19937 gen(53);
  auto pick = [&](Integer n) { return Integer(gen() % unsigned(n)); };
  auto value = [&](Integer AItem) -> Variant {
    if (pick(7) == 0) return Null();
    switch (AItem) {
      case 0: return Variant(pick(30));
      case 1: return pick(9) == 0 ? Variant(String()) : Variant(String(1, char('a' + pick(4))) + char('a' + pick(3)));
      case 2: return Variant(Int64(Int64(pick(30)) * Int64(1000000007)));
      default: return Variant(double(pick(20)) / 4);
    }
  };
  c_->SetRecordCount(150);
  for (Integer r = 0; r < 150; ++r)
    for (Integer i = 0; i < 4; ++i) c_->SetValue(r, i, value(i));
  Integer found = 0;
  for (Integer round = 0; round < 40; ++round) {
    SCOPED_TRACE("round " + IntToStr(round));
    for (Integer k = 0; k < 30; ++k) {
      const Integer item = pick(4);
      const Variant key = pick(5) == 0 ? value(pick(4)) : value(item);
      const Integer want = Walked(item, key);
      ASSERT_EQ(Find(item, key), want) << item << " " << VarToStr(key);
      if (want >= 0) ++found;
    }
    switch (pick(5)) {
      case 0: {
        const Integer i = pick(4);
        c_->SetValue(pick(c_->GetRecordCount()), i, value(i));
        break;
      }
      case 1: {
        const Integer r = c_->InsertRecord(pick(c_->GetRecordCount()));
        for (Integer i = 0; i < 4; ++i) c_->SetValue(r, i, value(i));
        break;
      }
      case 2: c_->DeleteRecord(pick(c_->GetRecordCount())); break;
      case 3: c_->AppendRecord(); break;
      default: break;
    }
  }
  EXPECT_GT(found, 400);
}

// How many records hold a record's key: no answer until the walks compared as many records
// as the storage holds, then the count of the key after each change, Null counted as a key.
TEST_F(KeyIndex, TheCountOfAKeyFollowsEveryChange) {
  Fill({{1}, {2}, {1}, {Null()}, {1}, {Null()}});
  TcxDataStorage* storage = c_->DataStorage();
  TcxValueDef* def = c_->GetItemField(0)->GetValueDef();
  auto count = [&](Integer ARecord) {
    Integer n = -1;
    return storage->CountEqualRecords(def, ARecord, n) ? n : -1;
  };
  EXPECT_EQ(count(0), -1);
  storage->CountEqualWalk(def, 5);  // one record short of the six
  EXPECT_EQ(count(0), -1);
  storage->CountEqualWalk(def, 1);
  EXPECT_EQ(count(0), 3);
  EXPECT_EQ(count(4), 3);
  EXPECT_EQ(count(1), 1);
  EXPECT_EQ(count(5), 2);
  c_->SetValue(2, 0, 2);  // 1 2 2 N 1 N
  EXPECT_EQ(count(0), 2);
  EXPECT_EQ(count(1), 2);
  c_->InsertRecord(0);  // N 1 2 2 N 1 N
  EXPECT_EQ(count(0), 3);
  EXPECT_EQ(count(1), 2);
  EXPECT_EQ(count(3), 2);
  c_->DeleteRecord(1);  // N 2 2 N 1 N
  EXPECT_EQ(count(4), 1);
  EXPECT_EQ(count(2), 2);
  c_->DeleteRecords({0, 3});  // 2 2 1 N
  EXPECT_EQ(count(3), 1);
  EXPECT_EQ(count(0), 2);
  c_->SetValue(1, 0, 1);  // 2 1 1 N
  EXPECT_EQ(count(0), 1);
  EXPECT_EQ(count(2), 2);
  c_->SetValue(c_->AppendRecord(), 0, 1);  // 2 1 1 N 1
  EXPECT_EQ(count(1), 3);
  EXPECT_EQ(count(3), 1);
}
