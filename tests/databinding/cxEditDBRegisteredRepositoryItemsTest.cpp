// The default items by value type and by field: which item answers for each key, the order
// in which a field's kind, money flag and type are asked, the fallback to the default item
// (also for a type outside the table), and items that drop out when they are destroyed.
#include "tests/databinding/LookupGridTestSupport.h"

#include <map>

namespace {

using FT = TFieldType;

// A field of any type, as the data set would type it.
class TTypedField : public TField {
 public:
  TTypedField(TFieldType AType) : TField(nullptr) { SetDataType(AType); }
};

String ItemClassName(TcxEditRepositoryItem* AItem) { return AItem ? AItem->ClassName() : String("nil"); }

String ForType(FT AType) {
  Owned<TTypedField> f(New<TTypedField>(AType));
  return ItemClassName(cxGetEditDBRegisteredRepositoryItems()->GetItemByField(f.get()));
}

using DefaultItems = RegistryTest;

TEST_F(DefaultItems, EveryFieldTypeFindsItsItemAndTheRestTheMaskItem) {
  const std::map<FT, String> entries = {
      {FT::ftBoolean, "TcxEditRepositoryCheckBoxItem"}, {FT::ftDate, "TcxEditRepositoryDateItem"},
      {FT::ftDateTime, "TcxEditRepositoryDateItem"},    {FT::ftTimeStamp, "TcxEditRepositoryDateItem"},
      {FT::ftTime, "TcxEditRepositoryTimeItem"},        {FT::ftMemo, "TcxEditRepositoryMemoItem"},
      {FT::ftGraphic, "TcxEditRepositoryImageItem"},    {FT::ftBytes, "TcxEditRepositoryBlobItem"},
      {FT::ftVarBytes, "TcxEditRepositoryBlobItem"},    {FT::ftBlob, "TcxEditRepositoryBlobItem"},
      {FT::ftFmtMemo, "TcxEditRepositoryBlobItem"},     {FT::ftOle1, "TcxEditRepositoryBlobItem"},
      {FT::ftOle2, "TcxEditRepositoryBlobItem"},        {FT::ftTypedBinary, "TcxEditRepositoryBlobItem"},
  };
  for (int i = 0; i < 38; ++i) {
    const FT t = FT(i);
    const auto it = entries.find(t);
    EXPECT_EQ(ForType(t), it == entries.end() ? String("TcxEditRepositoryMaskItem") : it->second) << i;
  }
  // Blob-like types each have an item of their own.
  auto* db = cxGetEditDBRegisteredRepositoryItems();
  EXPECT_NE(db->GetItemByFieldType(FT::ftBlob), db->GetItemByFieldType(FT::ftBytes));
  EXPECT_EQ(db->GetItemByField(nullptr), db->GetDefaultItem());
}

TEST_F(DefaultItems, ATypeOutsideTheTableTakesTheDefaultItem) {
  auto* db = cxGetEditDBRegisteredRepositoryItems();
  EXPECT_EQ(ForType(FT(38)), "TcxEditRepositoryMaskItem");
  EXPECT_EQ(ForType(FT(255)), "TcxEditRepositoryMaskItem");
  // Registering under such a type stores nothing anywhere.
  Owned<TcxEditRepositoryTextItem> stray(New<TcxEditRepositoryTextItem>(nullptr));
  db->RegisterItemByFieldType(FT(40), stray.get());
  EXPECT_EQ(stray->ListenerCount(), 0);
  db->UnregisterItemByFieldType(FT(40));
}

TEST_F(DefaultItems, AFieldIsAskedForLookupThenMoneyThenType) {
  auto* db = cxGetEditDBRegisteredRepositoryItems();
  Owned<TFloatField> money(New<TFloatField>(nullptr));
  EXPECT_EQ(ItemClassName(db->GetItemByField(money.get())), "TcxEditRepositoryMaskItem");
  money->SetCurrency(true);
  EXPECT_EQ(ItemClassName(db->GetItemByField(money.get())), "TcxEditRepositoryCurrencyItem");

  // The lookup combo box item of start-up answers a lookup field, even one that counts money;
  // without a lookup item a lookup field takes the default item.
  money->SetFieldKind(TFieldKind::fkLookup);
  EXPECT_EQ(ItemClassName(db->GetItemByField(money.get())), "TcxEditRepositoryLookupComboBoxItem");
  db->UnregisterLookupItem(db->GetLookupItem());
  EXPECT_EQ(db->GetItemByField(money.get()), db->GetDefaultItem());
  Owned<TcxEditRepositoryComboBoxItem> lookup(New<TcxEditRepositoryComboBoxItem>(nullptr));
  db->RegisterLookupItem(lookup.get());
  EXPECT_EQ(db->GetItemByField(money.get()), lookup.get());
  Owned<TTypedField> text(New<TTypedField>(FT::ftBoolean));
  text->SetFieldKind(TFieldKind::fkLookup);
  EXPECT_EQ(db->GetItemByField(text.get()), lookup.get());

  // A money flag without a currency item falls back to the default, not to the type.
  db->UnregisterCurrencyItem(db->GetCurrencyItem());
  money->SetFieldKind(TFieldKind::fkData);
  EXPECT_EQ(db->GetItemByField(money.get()), db->GetDefaultItem());
  db->UnregisterLookupItem(lookup.get());
  EXPECT_EQ(lookup->ListenerCount(), 0);
}

TEST_F(DefaultItems, ValueTypesFindTheirItemsAndOthersTheTextItem) {
  auto* data = cxGetEditDataRegisteredRepositoryItems();
  auto name = [&](TcxValueTypeClass t) { return ItemClassName(data->GetItemByValueType(t)); };
  EXPECT_EQ(name(TcxBooleanValueType::StaticClass()), "TcxEditRepositoryCheckBoxItem");
  EXPECT_EQ(name(TcxCurrencyValueType::StaticClass()), "TcxEditRepositoryCurrencyItem");
  EXPECT_EQ(name(TcxDateTimeValueType::StaticClass()), "TcxEditRepositoryDateItem");
  EXPECT_EQ(name(TcxFMTBcdValueType::StaticClass()), "TcxEditRepositoryCurrencyItem");
  EXPECT_EQ(name(TcxSQLTimeStampValueType::StaticClass()), "TcxEditRepositoryDateItem");
  EXPECT_EQ(name(TcxIntegerValueType::StaticClass()), "TcxEditRepositoryTextItem");
  EXPECT_EQ(name(TcxStringValueType::StaticClass()), "TcxEditRepositoryTextItem");
  EXPECT_EQ(name(nullptr), "TcxEditRepositoryTextItem");
  // Two value types never share one item.
  EXPECT_NE(data->GetItemByValueType(TcxCurrencyValueType::StaticClass()),
            data->GetItemByValueType(TcxFMTBcdValueType::StaticClass()));
}

TEST_F(DefaultItems, ADestroyedItemLeavesEveryListThatHeldIt) {
  auto* db = cxGetEditDBRegisteredRepositoryItems();
  auto* data = cxGetEditDataRegisteredRepositoryItems();
  TcxEditRepositoryItem* shared = GetDefaultEditRepository()->CreateItem(
      cxEditRepositoryItemClassOf<TcxEditRepositoryTextItem>());
  db->RegisterCurrencyItem(shared);  // behind the start-up one
  db->RegisterLookupItem(shared);
  db->RegisterDefaultItem(1, shared);
  data->RegisterItemByValueType(TcxIntegerValueType::StaticClass(), shared);
  // Unregistering from one list keeps the registry listening for the others.
  db->UnregisterDefaultItem(1);
  EXPECT_EQ(shared->ListenerCount(), 2);
  TcxEditRepositoryItem* date = db->GetItemByFieldType(FT::ftDate);
  date->Free();
  EXPECT_EQ(ForType(FT::ftDate), "TcxEditRepositoryMaskItem");
  shared->Free();
  EXPECT_EQ(ItemClassName(db->GetLookupItem()), "TcxEditRepositoryLookupComboBoxItem");
  EXPECT_EQ(ItemClassName(db->GetCurrencyItem()), "TcxEditRepositoryCurrencyItem");
  EXPECT_EQ(ItemClassName(data->GetItemByValueType(TcxIntegerValueType::StaticClass())), "TcxEditRepositoryTextItem");
  // The default item too.
  db->GetDefaultItem()->Free();
  EXPECT_EQ(db->GetItemByField(nullptr), nullptr);
}

TEST_F(DefaultItems, ShutDownFreesWhatStartUpMadeSoARestartAddsNoCopies) {
  const Integer count = GetDefaultEditRepository()->Count();
  // text, five by value type; mask, currency, lookup; fourteen by type
  EXPECT_EQ(count, 6 + 3 + 14);
  cxEditDBRegisteredRepositoryItems::Finalize();
  EXPECT_EQ(GetDefaultEditRepository()->Count(), 0);
  cxEditDBRegisteredRepositoryItems::Initialize();
  EXPECT_EQ(GetDefaultEditRepository()->Count(), count);
}

}  // namespace
