// Items and fields: adding and removing items, item ids, value types, shared storage
// through reference fields, record counts and record checks.
#include "DataControllerTestSupport.h"

namespace {
class Fields : public ControllerTest {};
}  // namespace

TEST_F(Fields, ItemsAndTheirIds) {
  AddItems({IntType(), StrType(), IntType()});
  EXPECT_EQ(c_->GetItemCount(), 3);
  EXPECT_EQ(c_->GetItemID(items_[2].get()), 2);
  EXPECT_EQ(c_->GetItemByID(1), items_[1].get());
  EXPECT_EQ(c_->GetItemByID(3), nullptr);
  EXPECT_EQ(c_->GetItemByID(-1), nullptr);
  TestItem stranger;
  EXPECT_EQ(c_->GetItemID(&stranger), -1);
  try {
    c_->AddItem(items_[0].get());
    FAIL();
  } catch (const EcxInvalidDataControllerOperation& e) {
    EXPECT_EQ(e.Message(), "Item already exists");
  }
  c_->RemoveItem(items_[0].get());
  EXPECT_EQ(c_->GetItemCount(), 2);
  EXPECT_EQ(c_->GetItemID(items_[2].get()), 1);
  EXPECT_THROW(c_->GetItem(2), EcxInvalidDataControllerOperation);
}

TEST_F(Fields, ValuesFollowTheirItemsAndTypes) {
  AddItems({IntType(), StrType()});
  Fill({{1, "a"}, {2, "b"}});
  c_->RemoveItem(items_[0].get());
  EXPECT_EQ(c_->GetItemValue(1, 0), Variant("b"));
  c_->ChangeValueTypeClass(0, StrType());  // unchanged: values stay
  EXPECT_EQ(c_->GetItemValue(0, 0), Variant("a"));
  EXPECT_THROW(c_->ChangeValueTypeClass(0, nullptr), EcxInvalidDataControllerOperation);
  c_->ChangeValueTypeClass(0, IntType());
  EXPECT_TRUE(VarIsNull(c_->GetItemValue(0, 0)));
  EXPECT_THROW(c_->SetValue(0, 0, "abc"), EVariantError);
  EXPECT_THROW(c_->GetItemValue(2, 0), EcxInvalidDataControllerOperation);
  EXPECT_THROW(c_->GetItemValue(0, 1), EcxInvalidDataControllerOperation);
}

TEST_F(Fields, ReferenceFieldsShareTheRootStorage) {
  AddItems({IntType(), IntType(), IntType()});
  TcxCustomDataField* root = c_->Fields()->GetItem(0);
  TcxCustomDataField* second = c_->Fields()->GetItem(1);
  TcxCustomDataField* third = c_->Fields()->GetItem(2);
  second->SetReferenceField(root);
  third->SetReferenceField(second);
  EXPECT_EQ(third->GetValueDef(), root->GetValueDef());
  EXPECT_EQ(c_->DataStorage()->ValueDefs()->Count(), 1);
  c_->SetRecordCount(2);
  c_->SetValue(1, 2, 42);
  EXPECT_EQ(c_->GetItemValue(1, 0), Variant(42));
  EXPECT_THROW(root->SetReferenceField(third), EcxInvalidDataControllerOperation);  // a cycle
  // Removing the root: the first referencing field owns the values, the next follows it.
  c_->RemoveItem(items_[0].get());
  EXPECT_EQ(second->ReferenceField(), nullptr);
  EXPECT_EQ(third->ReferenceField(), second);
  EXPECT_EQ(c_->GetItemValue(1, 0), Variant(42));
  EXPECT_EQ(c_->GetItemValue(1, 1), Variant(42));
}

// A field in the middle of a chain owns no storage: the fields after it keep reading the
// root's values when it goes.
TEST_F(Fields, RemovingALinkOfAChainKeepsTheFieldsBehindItOnTheRoot) {
  AddItems({IntType(), IntType(), IntType(), IntType()});
  TcxCustomDataField* root = c_->Fields()->GetItem(0);
  TcxCustomDataField* middle = c_->Fields()->GetItem(1);
  TcxCustomDataField* third = c_->Fields()->GetItem(2);
  TcxCustomDataField* fourth = c_->Fields()->GetItem(3);
  middle->SetReferenceField(root);
  third->SetReferenceField(middle);
  fourth->SetReferenceField(middle);
  c_->SetRecordCount(1);
  c_->SetValue(0, 0, 42);
  c_->RemoveItem(items_[1].get());
  EXPECT_EQ(third->ReferenceField(), root);
  EXPECT_EQ(fourth->ReferenceField(), root);
  EXPECT_EQ(c_->GetItemValue(0, 1), Variant(42));
  EXPECT_EQ(c_->GetItemValue(0, 2), Variant(42));
  EXPECT_EQ(c_->GetItemValueTypeClass(1), IntType());
  c_->SetValue(0, 2, 7);
  EXPECT_EQ(c_->GetItemValue(0, 0), Variant(7));
  EXPECT_EQ(c_->DataStorage()->ValueDefs()->Count(), 1);
}

TEST_F(Fields, RecordCountAndRecordChecks) {
  AddItems({IntType()});
  c_->SetRecordCount(-5);
  EXPECT_EQ(c_->GetRecordCount(), 0);
  c_->SetRecordCount(3);
  EXPECT_EQ(c_->GetRowCount(), 3);
  EXPECT_TRUE(VarIsNull(c_->GetRecordId(0)));
  EXPECT_THROW(c_->GetRecordId(3), EcxInvalidDataControllerOperation);
  c_->SetValue(2, 0, 9);
  c_->CopyRecord(2, 0);
  EXPECT_EQ(c_->GetItemValue(0, 0), Variant(9));
  std::vector<TcxCustomDataField*> both{c_->Fields()->GetItem(0), c_->Fields()->GetItem(0)};
  const Variant pair = c_->GetFieldValues(0, both);
  EXPECT_EQ(VarArrayHighBound(pair, 1), 1);
  EXPECT_EQ(pair[1], Variant(9));
  EXPECT_TRUE(VarIsNull(c_->GetFieldValues(0, {})));
}

TEST_F(Fields, NewControllerDefaults) {
  using enum TcxDataControllerOption;
  EXPECT_EQ(c_->Options(),
            (TcxDataControllerOptions{dcoAssignGroupingValues, dcoAssignMasterDetailKeys, dcoSaveExpanding}));
  EXPECT_EQ(c_->GetRowCount(), 0);
  EXPECT_EQ(c_->GetFocusedRowIndex(), -1);
}

TEST_F(Fields, LoadingRecordsFromAReader) {
  AddItems({IntType(), StrType()});
  c_->ChangeTextStored(1, true);
  Fill({{1, "old"}});
  c_->ChangeFocusedRowIndex(0);
  struct Reader : TcxValueDefReader {
    Integer Next = 0;
    Variant GetValue(TcxValueDef* AValueDef) override {
      return AValueDef->ValueTypeClass() == IntType() ? Variant(Next) : Variant(String("r") + char('0' + Next));
    }
    String GetDisplayText(TcxValueDef*) override { return "text " + std::to_string(Next); }
  };
  Owned<Reader> reader(New<Reader>());
  c_->BeginLoadRecords();
  for (Integer i = 0; i < 3; ++i) {
    reader->Next = i;
    EXPECT_EQ(c_->AppendRecordFromReader(reader.get()), i);
  }
  EXPECT_EQ(c_->GetRowCount(), 1);  // rows wait for the end
  c_->EndLoadRecords();
  EXPECT_EQ(c_->GetRecordCount(), 3);
  EXPECT_EQ(c_->GetRowCount(), 3);
  EXPECT_EQ(c_->GetItemValue(2, 1), Variant("r2"));
  EXPECT_EQ(c_->GetItemDisplayText(1, 1), "text 1");
  EXPECT_EQ(c_->GetFocusedRowIndex(), -1);
  c_->IncLookupLockCount();
  EXPECT_TRUE(c_->IsLookupLocked());
  c_->DecLookupLockCount();
  c_->DecLookupLockCount();  // never below zero
  EXPECT_FALSE(c_->IsLookupLocked());
}
