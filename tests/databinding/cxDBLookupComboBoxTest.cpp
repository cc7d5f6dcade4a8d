// The lookup combo box: its defaults and registration, the grid it owns, its copy, the
// lookup fields' repository item, the data-link request, and a bound combo box on a shown
// form opened, searched by typing, chosen from and posted.
#include "tests/databinding/DBLookupTestSupport.h"

#include "classlib/visual/Messages.h"

namespace {

using LS = TcxEditDropDownListStyle;

class TFreed : public TComponent {
 public:
  TFreed() : TComponent(nullptr) {}
  void Notification(TComponent* AComponent, TOperation Operation) override {
    if (Operation == TOperation::opRemove) Freed.push_back(AComponent);
    TComponent::Notification(AComponent, Operation);
  }
  std::vector<TComponent*> Freed;
};

TEST_F(DBLookupTest, ANewLookupComboBoxHasTheListDefaultsAndIsRegistered) {
  Owned<TcxLookupComboBoxProperties> p(New<TcxLookupComboBoxProperties>(nullptr));
  EXPECT_EQ(p->GetDropDownRows(), 8);
  EXPECT_TRUE(p->GetIncrementalFiltering());
  EXPECT_EQ(p->GetDropDownListStyle(), LS::lsEditFixedList);
  EXPECT_EQ(p->GetListColumns()->Count(), 0);
  EXPECT_TRUE(p->GetImmediateDropDown());
  EXPECT_FALSE(p->GetGridMode());
  EXPECT_EQ(p->GetListSource(), nullptr);
  EXPECT_EQ(p->GetKeyFieldNames(), "");
  EXPECT_TRUE(p->Grid()->IsPopup());
  TcxRegisteredClasses* editors = GetRegisteredEditProperties();
  EXPECT_EQ(editors->GetDescriptionByClass(&TcxLookupComboBoxProperties::StaticClass()),
            "Represents a lookup combo box control");
  EXPECT_EQ(editors->GetNameByClass(&TcxLookupComboBoxProperties::StaticClass()), "LookupComboBox");
  // Its repository item answers lookups only with the controls' class group active.
  const TClass* before = ActivateClassGroup(TComponent::StaticClass());
  EXPECT_EQ(GetClass("TcxEditRepositoryLookupComboBoxItem"), nullptr);
  EXPECT_EQ(GetClass("TFont"), &TFont::StaticClass());
  ActivateClassGroup(TControl::StaticClass());
  EXPECT_EQ(GetClass("TcxEditRepositoryLookupComboBoxItem"), &TcxEditRepositoryLookupComboBoxItem::StaticClass());
  ActivateClassGroup(before ? *before : TControl::StaticClass());
  // Freeing the properties frees the grid.
  TFreed watch;
  p->Grid()->FreeNotification(&watch);
  TcxLookupDBGrid* grid = p->Grid();
  p.reset();
  ASSERT_EQ(watch.Freed.size(), 1u);
  EXPECT_EQ(watch.Freed[0], grid);
}

// Every setting a form stores for the lookup combo box is published under its name.
TEST_F(DBLookupTest, TheLookupComboBoxPublishesItsSettingsAndEvents) {
  Owned<TcxLookupComboBoxProperties> p(New<TcxLookupComboBoxProperties>(nullptr));
  for (const char* name :
       {"DropDownAutoSize", "DropDownHeight", "DropDownWidth", "DropDownSizeable", "DropDownListStyle", "DropDownRows",
        "GridMode", "ImmediateDropDown", "IncrementalFiltering", "KeyFieldNames", "ListColumns", "ListFieldNames",
        "ListFieldIndex", "ListOptions", "ListSource", "PostPopupValueOnTab", "Revertable", "OnNewLookupDisplayText",
        "OnSortingChanged", "Alignment", "AutoSelect", "AssignedValues", "ButtonGlyph", "CharCase", "ClearKey",
        "HideSelection", "ImeMode", "ImeName", "ImmediatePost", "MaxLength", "OEMConvert", "PopupAlignment", "ReadOnly",
        "UseLeftAlignmentOnEditing", "ValidateOnEnter", "OnChange", "OnCloseUp", "OnEditValueChanged", "OnInitPopup",
        "OnPopup", "OnValidate"})
    EXPECT_NE(GetPropInfo(p.get(), name), nullptr) << name;
  const TPropInfo* sorting = GetPropInfo(p.get(), "OnSortingChanged");
  ASSERT_NE(sorting, nullptr);
  EXPECT_EQ(sorting->Kind, TPropKind::Method);
}

// A stored and read lookup combo box keeps its list columns' own settings and the stored
// IncrementalFiltering, which reads False only while GridMode is on.
TEST_F(DBLookupTest, AStoredLookupComboBoxReadsBackItsColumnsAndSettings) {
  auto* c = MakeCombo();
  TcxLookupComboBoxProperties* p = c->GetProperties();
  p->SetListFieldNames("Name;City");
  p->GetListColumns()->GetItem(0)->SetWidth(200);
  p->GetListColumns()->GetItem(0)->SetCaption("Who");
  p->SetListFieldIndex(1);
  p->SetGridMode(true);
  Owned<TMemoryStream> m(New<TMemoryStream>());
  m->WriteComponent(c);
  auto* d = New<TcxLookupComboBox>(form);
  m->SetPosition(0);
  m->ReadComponent(d);
  TcxLookupComboBoxProperties* q = d->GetProperties();
  ASSERT_EQ(q->GetListColumns()->Count(), 2);
  EXPECT_EQ(q->GetListFieldNames(), "Name;City");
  EXPECT_EQ(q->GetListColumns()->GetItem(0)->GetWidth(), 200);
  EXPECT_EQ(q->GetListColumns()->GetItem(0)->GetCaption(), "Who");
  EXPECT_EQ(q->GetListFieldIndex(), 1);
  EXPECT_EQ(q->GetKeyFieldNames(), "ID");
  EXPECT_TRUE(q->GetGridMode());
  EXPECT_FALSE(q->GetIncrementalFiltering());
  q->SetGridMode(false);
  EXPECT_TRUE(q->GetIncrementalFiltering());
  // Switched off, it is stored and read back off.
  p->SetIncrementalFiltering(false);
  m->Clear();
  m->WriteComponent(c);
  m->SetPosition(0);
  m->ReadComponent(d);
  q->SetGridMode(false);
  EXPECT_FALSE(q->GetIncrementalFiltering());
}

TEST_F(DBLookupTest, AssignCopiesTheListAndItsSettings) {
  auto* c = MakeCombo();
  TcxLookupComboBoxProperties* p = c->GetProperties();
  p->SetListFieldNames("City;Name");
  p->SetListFieldIndex(1);
  p->SetGridMode(true);
  p->GetListOptions()->SetShowHeader(false);
  Owned<TcxLookupComboBoxProperties> copy(New<TcxLookupComboBoxProperties>(nullptr));
  copy->Assign(p);
  EXPECT_EQ(copy->GetListSource(), peopleSource);
  EXPECT_EQ(copy->GetKeyFieldNames(), "ID");
  EXPECT_EQ(copy->GetListFieldNames(), "City;Name");
  EXPECT_EQ(copy->GetListFieldIndex(), 1);
  EXPECT_TRUE(copy->GetGridMode());
  EXPECT_FALSE(copy->GetListOptions()->GetShowHeader());
  EXPECT_EQ(copy->GetDisplayText(Variant(Integer(8))), "anna");
  // Fewer columns assigned: the index in use follows them.
  p->SetListFieldNames("Name");
  copy->SetListColumns(p->GetListColumns());
  EXPECT_EQ(copy->GetListFieldIndex(), 0);
}

TEST_F(DBLookupTest, ALookupFieldTakesTheLookupComboBoxItemWithoutLinesOrHeader) {
  TcxEditRepositoryItem* item = cxGetEditDBRegisteredRepositoryItems()->GetItemByField(custName);
  auto* lookup = dynamic_cast<TcxEditRepositoryLookupComboBoxItem*>(item);
  ASSERT_NE(lookup, nullptr);
  TcxLookupComboBoxProperties* p = lookup->GetProperties();
  EXPECT_EQ(p->GetListOptions()->GetGridLines(), TcxGridLines::glNone);
  EXPECT_FALSE(p->GetListOptions()->GetShowHeader());
  EXPECT_EQ(p->GetDropDownListStyle(), LS::lsEditFixedList);
  // A plain field does not.
  EXPECT_EQ(dynamic_cast<TcxEditRepositoryLookupComboBoxItem*>(
                cxGetEditDBRegisteredRepositoryItems()->GetItemByField(orders->FieldByName("CustID"))),
            nullptr);
}

TEST_F(DBLookupTest, TheBoundComboBoxAnswersTheDataLinkRequest) {
  auto* c = MakeCombo<TcxDBLookupComboBox>();
  c->GetDataBinding()->SetDataSource(ordersSource);
  c->GetDataBinding()->SetDataField("CustID");
  Show();
  const LRESULT r = SendMessageA(c->GetHandle(), CM_GETDATALINK, 0, 0);
  EXPECT_EQ(r, LRESULT(reinterpret_cast<intptr_t>(c->GetDataBinding()->DataLink())));
  EXPECT_EQ(Text(c), "Bob");
}

// End to end: a bound lookup combo box on a shown form, opened by typing, narrowed by the
// typed letters, chosen with Enter, and posted with the record.
TEST_F(DBLookupTest, TypedChosenAndPostedOnAShownForm) {
  TcxLookupComboBox* other = nullptr;
  auto* c = MakeBoundCombo(other);
  Show();
  c->SetFocus();
  Pump();
  ASSERT_EQ(Text(c), "Bob");
  TcxDBDataController* list = c->GetProperties()->GetDBDataController();
  Type("a");
  EXPECT_TRUE(c->HasShownPopup());
  // "a" begins Ann and anna; the popup shrinks to the two rows.
  TcxLookupDBGrid* grid = c->GetProperties()->Grid();
  EXPECT_EQ(list->GetRowCount(), 2);
  EXPECT_EQ(Text(c), "Ann");
  EXPECT_EQ(grid->GetClientHeight(), grid->GetHeightForRowCount(2));
  // "ann" is still both; "anna" only the second.
  Type("nn");
  EXPECT_EQ(list->GetRowCount(), 2);
  EXPECT_EQ(Text(c), "Ann");
  Type("a");
  EXPECT_EQ(list->GetRowCount(), 1);
  EXPECT_EQ(grid->GetClientHeight(), grid->GetHeightForRowCount(1));
  EXPECT_EQ(Text(c), "anna");
  // A letter nothing begins with keeps the rows and the text.
  Type("x");
  EXPECT_EQ(list->GetRowCount(), 1);
  EXPECT_EQ(Text(c), "anna");
  Key(VK_RETURN);
  EXPECT_FALSE(c->HasShownPopup());
  EXPECT_EQ(list->GetRowCount(), Integer(kPeople.size()));
  // Leaving the editor writes the key; the record is posted.
  other->SetFocus();
  Pump();
  orders->Post();
  EXPECT_EQ(orders->FieldByName("CustID")->GetAsInteger(), 8);
  EXPECT_EQ(custName->GetAsString(), "anna");
  EXPECT_EQ(Text(c), "anna");
}

// The published defaults: Enter validates and posts, and the list field index reads as stored
// (0) also before there are columns.
TEST_F(DBLookupTest, EnterPostsTheChosenKeyAndTheListFieldIndexReadsAsStored) {
  Owned<TcxLookupComboBoxProperties> fresh(New<TcxLookupComboBoxProperties>(nullptr));
  EXPECT_TRUE(fresh->GetValidateOnEnter());
  EXPECT_EQ(fresh->GetListFieldIndex(), 0);
  const TPropInfo* index = GetPropInfo(fresh.get(), "ListFieldIndex");
  ASSERT_NE(index, nullptr);
  EXPECT_EQ(index->GetOrd(fresh.get()), 0);
  auto* c = MakeCombo<TcxDBLookupComboBox>();
  c->GetDataBinding()->SetDataSource(ordersSource);
  c->GetDataBinding()->SetDataField("CustID");
  c->GetProperties()->SetImmediateDropDown(false);
  Show();
  c->SetFocus();
  Pump();
  ASSERT_EQ(Text(c), "Bob");
  Type("d");
  EXPECT_EQ(Text(c), "Dora");
  EXPECT_EQ(orders->FieldByName("CustID")->GetAsInteger(), 2);
  // Enter, with the focus staying in the editor, writes Dora's key.
  Key(VK_RETURN);
  EXPECT_EQ(orders->State(), TDataSetState::dsEdit);
  EXPECT_EQ(orders->FieldByName("CustID")->GetAsInteger(), 7);
  EXPECT_EQ(Text(c), "Dora");
  orders->Cancel();
}

// A record chosen by typing and not yet posted is the one the opened list shows: opening the
// list does not fall back to the key the edit held before the typing.
TEST_F(DBLookupTest, OpeningTheListAfterTypingShowsTheTypedRecord) {
  TcxLookupComboBox* other = nullptr;
  auto* c = MakeBoundCombo(other);
  TcxLookupComboBoxProperties* p = c->GetProperties();
  p->SetImmediateDropDown(false);
  TcxDBDataController* list = p->GetDBDataController();
  Show();
  for (bool gridMode : {false, true}) {
    SCOPED_TRACE(gridMode);
    p->SetGridMode(gridMode);
    c->SetFocus();
    Pump();
    ASSERT_EQ(Text(c), "Bob");
    Type("d");
    ASSERT_EQ(Text(c), "Dora");
    Key(VK_F4);
    ASSERT_TRUE(c->HasShownPopup());
    EXPECT_EQ(Text(c), "Dora");
    EXPECT_TRUE(cxVariantsEqual(list->GetRecordId(list->GetFocusedRecordIndex()), Variant(Integer(7))));
    // Enter takes the focused row: still Dora, posted as her key when the editor is left.
    Key(VK_RETURN);
    EXPECT_FALSE(c->HasShownPopup());
    EXPECT_EQ(Text(c), "Dora");
    other->SetFocus();
    Pump();
    EXPECT_EQ(orders->FieldByName("CustID")->GetAsInteger(), 7);
    orders->Cancel();
    EXPECT_EQ(Text(c), "Bob");
  }
  // Unmodified, the list opens on the key the edit holds.
  c->SetFocus();
  Pump();
  Key(VK_F4);
  EXPECT_TRUE(cxVariantsEqual(list->GetRecordId(list->GetFocusedRecordIndex()), Variant(Integer(2))));
  Key(VK_ESCAPE);
}

TEST_F(DBLookupTest, ATypedCharacterMustSuitTheListField) {
  auto* c = MakeCombo();
  TcxLookupComboBoxProperties* p = c->GetProperties();
  p->SetListFieldNames("ID;Name");
  p->SetListFieldIndex(0);
  // A free-text list would take a letter nothing begins with; an integer list field refuses it.
  p->SetDropDownListStyle(LS::lsEditList);
  Show();
  c->SetFocus();
  Pump();
  Type("x");
  EXPECT_EQ(Text(c), "");
  Type("7");
  EXPECT_EQ(Text(c), "7");
  // A text list field takes letters.
  p->SetListFieldIndex(1);
  c->SetEditValue(Null());
  Type("x");
  EXPECT_EQ(Text(c), "x");
}

}  // namespace
