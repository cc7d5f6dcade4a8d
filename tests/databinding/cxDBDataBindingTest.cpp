// The data-set binding of plain controls and its field data link: reading by value, text and
// key, writing with the empty-text rule and the several-key rule, and the Modified flag
// that the binding's own writes never clear.
#include "tests/databinding/DatabindingTestSupport.h"
#include "widgets/databinding/cxDBEdit.h"

using enum TFieldType;
using enum TDataSetState;
using S = TcxDataEditValueSource;

namespace {

// A control that is no window: its binding's link hears after the visual ones. It hands
// over Pending when the binding asks for its data and counts the data changes it hears.
class TPendingControl : public TComponent {
  TL_CLASS(TPendingControl, TComponent)
 public:
  explicit TPendingControl(TComponent* AOwner) : TComponent(AOwner) {}
  void Bind(TDataSource* ASource, const String& AField, S ASourceKind = S::evsValue) {
    Binding = New<TcxDBDataBinding>(this, this);
    Binding->SetValueSource(ASourceKind);
    Binding->OnDataChange = {this, &TPendingControl::DataChanged};
    Binding->OnUpdateData = {this, &TPendingControl::UpdateData};
    Binding->SetDataSource(ASource);
    Binding->SetDataField(AField);
  }
  void BeforeDestruction() override {
    FreeAndNil(Binding);
    inherited::BeforeDestruction();
  }
  // The user changes the value: the data set edits, the value waits for the post.
  bool Change(const Variant& AValue) {
    Pending = AValue;
    return Binding->SetModified();
  }
  void DataChanged() { ++DataChanges; }
  void UpdateData() { Binding->SetStoredValue(Binding->ValueSource(), Pending); }

  TcxDBDataBinding* Binding = nullptr;
  Variant Pending;
  Integer DataChanges = 0;
};

}  // namespace

TL_DEFINE_CLASS(TPendingControl)

namespace {

class DBDataBinding : public DatabindingDataTest {
 protected:
  void SetUp() override {
    DatabindingDataTest::SetUp();
    Owner.reset(New<TComponent>(nullptr));
    List = MakeTestDataSet(Owner.get(), {{"A", ftInteger}, {"B", ftString, 5}, {"TITLE", ftString, 20}});
    List->AddRecord({1, "x", "One X"});
    List->AddRecord({2, "y", "Two Y"});
    DS = New<TMemoryDataSet>(Owner.get());
    DS->SetName("Main");
    AddField<TIntegerField>("ID");
    AddField<TStringField>("NAME");
    AddField<TDateField>("WHEN");
    Price = AddField<TFloatField>("PRICE");
    AddField<TIntegerField>("KA");
    AddField<TStringField>("KB");
    Title = AddField<TStringField>("TITLE");
    Title->SetFieldKind(TFieldKind::fkLookup);
    Title->SetKeyFields("KA;KB");
    Title->SetLookupDataSet(List);
    Title->SetLookupKeyFields("A;B");
    Title->SetLookupResultField("TITLE");
    DS->AddRecord({10, "Apple", TDateTime(45000), 1234.5, 1, "x"});
    DS->AddRecord({20, "Banana", Null(), Null(), 2, "y"});
    Source = New<TDataSource>(Owner.get());
    Source->SetDataSet(DS);
    List->Open();
    DS->Open();
  }
  void TearDown() override {
    Owner.reset();
    DatabindingDataTest::TearDown();
  }
  template <class T>
  T* AddField(const char* AName) {
    return AddTestField<T>(Owner.get(), DS, AName);
  }
  TPendingControl* Control(const char* AField, S ASource = S::evsValue) {
    auto* c = New<TPendingControl>(Owner.get());
    c->SetName(String("ctl") + IntToStr(++FCount));
    c->Bind(Source, AField, ASource);
    return c;
  }
  TField* F(const char* AName) const { return DS->FieldByName(AName); }

  Owned<TComponent> Owner;
  TMemoryDataSet* List = nullptr;
  TMemoryDataSet* DS = nullptr;
  TDataSource* Source = nullptr;
  TFloatField* Price = nullptr;
  TField* Title = nullptr;

 private:
  Integer FCount = 0;
};

TEST_F(DBDataBinding, ReadsValueTextAndEditTextByFocusAndModifiability) {
  Price->SetDisplayFormat("#,##0.00");
  Price->SetEditFormat("0.0");
  TPendingControl* c = Control("PRICE");
  TcxDBDataBinding* b = c->Binding;
  EXPECT_TRUE(b->IsDataBound());
  EXPECT_TRUE(b->IsDataAvailable());
  EXPECT_DOUBLE_EQ(b->GetStoredValue(S::evsValue, false).AsDouble(), 1234.5);
  EXPECT_EQ(b->GetStoredValue(S::evsText, false).AsString(), "1,234.50");
  EXPECT_EQ(b->GetStoredValue(S::evsText, true).AsString(), "1234.5");
  // A field that cannot be modified always reads its display text.
  Price->SetReadOnly(true);
  EXPECT_EQ(b->GetStoredValue(S::evsText, true).AsString(), "1,234.50");
  Price->SetReadOnly(false);
  // A null field: Null by value, its (empty) text by text.
  DS->Next();
  EXPECT_TRUE(VarIsNull(b->GetStoredValue(S::evsValue, false)));
  EXPECT_EQ(b->GetStoredValue(S::evsText, false).AsString(), "");
  // Without an open data set there is no data.
  DS->Close();
  EXPECT_FALSE(b->IsDataAvailable());
  EXPECT_TRUE(VarIsNull(b->GetStoredValue(S::evsText, false)));
  EXPECT_EQ(b->Field(), nullptr);
}

TEST_F(DBDataBinding, ATwoKeyLookupReadsAndWritesBothKeys) {
  TPendingControl* c = Control("TITLE", S::evsKey);
  TcxDBDataBinding* b = c->Binding;
  const Variant keys = b->GetStoredValue(S::evsKey, false);
  ASSERT_TRUE(VarIsArray(keys));
  EXPECT_EQ(VarArrayGet(keys, 0).AsInteger(), 1);
  EXPECT_EQ(VarArrayGet(keys, 1).AsString(), "x");
  // The lookup field's keys can be modified, so the field can be edited by key.
  EXPECT_TRUE(b->CanModify());
  b->SetStoredValue(S::evsKey, VarArrayOf({2, "y"}));
  EXPECT_EQ(DS->State(), dsEdit);
  EXPECT_EQ(F("KA")->GetAsInteger(), 2);
  EXPECT_EQ(F("KB")->GetAsString(), "y");
  EXPECT_EQ(Title->GetAsString(), "Two Y");
  // A wrong shape: one error, nothing written.
  EXPECT_THROW(b->SetStoredValue(S::evsKey, 1), EDatabaseError);
  EXPECT_THROW(b->SetStoredValue(S::evsKey, VarArrayOf({1, "x", 0})), EDatabaseError);
  EXPECT_EQ(F("KA")->GetAsInteger(), 2);
  EXPECT_EQ(F("KB")->GetAsString(), "y");
  // Null clears both keys, and the lookup with them.
  b->SetStoredValue(S::evsKey, Null());
  EXPECT_TRUE(F("KA")->IsNull());
  EXPECT_TRUE(F("KB")->IsNull());
  EXPECT_TRUE(Title->IsNull());
  DS->Post();
  // The cleared keys read back as Null (a null lookup field).
  EXPECT_TRUE(VarIsNull(b->GetStoredValue(S::evsKey, false)));
}

TEST_F(DBDataBinding, AnEmptyTextStoresNullExceptInTextFields) {
  TPendingControl* id = Control("ID");
  TPendingControl* when = Control("WHEN");
  TPendingControl* name = Control("NAME");
  for (TPendingControl* c : {id, when, name}) c->Binding->SetStoredValue(S::evsValue, String());
  EXPECT_TRUE(F("ID")->IsNull());
  EXPECT_TRUE(F("WHEN")->IsNull());
  EXPECT_FALSE(F("NAME")->IsNull());
  EXPECT_EQ(F("NAME")->GetAsString(), "");
  // The same through the text.
  DS->Cancel();
  for (TPendingControl* c : {id, when, name}) c->Binding->SetStoredValue(S::evsText, String());
  EXPECT_TRUE(F("ID")->IsNull());
  EXPECT_TRUE(F("WHEN")->IsNull());
  EXPECT_EQ(F("NAME")->GetAsString(), "");
  EXPECT_FALSE(F("NAME")->IsNull());
}

TEST_F(DBDataBinding, ModifiedSurvivesTheBindingsOwnWritesAndDropsOnItsRecordChanges) {
  TPendingControl* name = Control("NAME");
  TPendingControl* id = Control("ID");
  TcxCustomFieldDataLink* link = name->Binding->DataLink();
  EXPECT_FALSE(name->Binding->Modified());
  EXPECT_TRUE(name->Change("Kiwi"));
  EXPECT_EQ(DS->State(), dsEdit);
  EXPECT_TRUE(name->Binding->Modified());
  // Its own write: the field changes, the input stays pending.
  const Integer heard = name->DataChanges;
  name->Binding->SetStoredValue(S::evsValue, "Kiwi");
  EXPECT_EQ(F("NAME")->GetAsString(), "Kiwi");
  EXPECT_TRUE(link->Modified());
  EXPECT_EQ(name->DataChanges, heard);  // no redisplay of its own write
  // Another field's write is no record change of this one.
  id->Binding->SetStoredValue(S::evsValue, 11);
  EXPECT_TRUE(link->Modified());
  // Reset shows the field again and ends the input.
  name->Binding->Reset();
  EXPECT_FALSE(link->Modified());
  EXPECT_GT(name->DataChanges, heard);
  // Editing ending (Post) drops it too, after writing what was pending.
  name->Change("Lime");
  DS->Post();
  EXPECT_FALSE(link->Modified());
  EXPECT_EQ(F("NAME")->GetAsString(), "Lime");
  // A value the field refuses: the error passes, the lock is down (a later record change
  // clears Modified again).
  EXPECT_TRUE(id->Change("not a number"));
  EXPECT_ANY_THROW(DS->Post());
  EXPECT_FALSE(id->Binding->IsStoreLocked());
  EXPECT_TRUE(id->Binding->DataLink()->Modified());
  DS->Cancel();
  EXPECT_FALSE(id->Binding->DataLink()->Modified());
  EXPECT_EQ(F("ID")->GetAsInteger(), 11);  // as posted with "Lime"
}

TEST_F(DBDataBinding, TwoControlsHoldingInputBothPostInEitherJoinOrder) {
  for (int order = 0; order < 2; ++order) {
    TPendingControl* name = nullptr;
    TPendingControl* price = nullptr;
    if (order == 0) {
      name = Control("NAME");
      price = Control("PRICE");
    } else {
      price = Control("PRICE");
      name = Control("NAME");
    }
    const String text = order == 0 ? "first" : "second";
    name->Change(text);
    price->Change(order + 0.5);
    DS->Post();
    EXPECT_EQ(F("NAME")->GetAsString(), text) << order;
    EXPECT_DOUBLE_EQ(F("PRICE")->GetAsFloat(), order + 0.5) << order;
    name->Free();
    price->Free();
  }
}

TEST_F(DBDataBinding, ReadOnlyAndModifiability) {
  TPendingControl* c = Control("NAME");
  TcxDBDataBinding* b = c->Binding;
  EXPECT_TRUE(b->CanModify());
  b->SetReadOnly(true);
  EXPECT_TRUE(b->GetReadOnly());
  // A read-only binding refuses changes of its own, before the data set is asked.
  EXPECT_FALSE(b->CanModify());
  EXPECT_FALSE(c->Change("x"));
  EXPECT_EQ(DS->State(), dsBrowse);
  b->SetReadOnly(false);
  F("NAME")->SetReadOnly(true);
  EXPECT_FALSE(b->CanModify());
  EXPECT_FALSE(c->Change("x"));
  F("NAME")->SetReadOnly(false);
  DS->SetReadOnly(true);
  EXPECT_FALSE(b->CanModify());
  EXPECT_FALSE(b->DataLink()->CanModify());
  // Writing without editing writes nothing.
  b->SetStoredValue(S::evsValue, "y");
  EXPECT_EQ(F("NAME")->GetAsString(), "Apple");
}

TEST_F(DBDataBinding, AMissingFieldNamesTheControlOrTheDataSet) {
  TPendingControl* c = Control("NAME");
  try {
    c->Binding->SetDataField("NOPE");
    FAIL() << "no error";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), c->GetName() + ": Field 'NOPE' not found");
  }
  // A binding owned by no component names the data set.
  Owned<TcxDBDataBinding> loose(New<TcxDBDataBinding>(nullptr, nullptr));
  loose->SetDataSource(Source);
  try {
    loose->SetDataField("NOPE");
    FAIL() << "no error";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "Main: Field 'NOPE' not found");
  }
  // Assign copies source and field from any data-set binding.
  c->Binding->SetDataField("NAME");
  Owned<TcxDBDataBinding> copy(New<TcxDBDataBinding>(nullptr, nullptr));
  copy->Assign(c->Binding);
  EXPECT_EQ(copy->DataSource(), Source);
  EXPECT_EQ(copy->DataField(), "NAME");
  EXPECT_EQ(copy->Field(), F("NAME"));
}

}  // namespace

namespace {

// A persistent field freed while the data set is open leaves the link unbound, and the
// control hears it once, as when the data set closes.
TEST_F(DBDataBinding, AFreedFieldUnbindsTheLink) {
  TPendingControl* c = Control("WHEN");
  TPendingControl* other = Control("NAME");
  const Integer heard = c->DataChanges;
  F("WHEN")->Free();
  EXPECT_EQ(c->Binding->Field(), nullptr);
  EXPECT_FALSE(c->Binding->IsDataAvailable());
  EXPECT_FALSE(c->Binding->CanModify());
  EXPECT_EQ(c->DataChanges, heard + 1);
  EXPECT_TRUE(VarIsNull(c->Binding->GetStoredValue(S::evsText, false)));
  // The data set goes on; the unbound control neither edits nor writes.
  EXPECT_FALSE(c->Change(TDateTime(1)));
  EXPECT_TRUE(other->Change("Fig"));
  DS->Post();
  EXPECT_EQ(F("NAME")->GetAsString(), "Fig");
  DS->Next();
  EXPECT_EQ(c->Binding->Field(), nullptr);
  EXPECT_EQ(other->Binding->Field(), F("NAME"));
}

}  // namespace
