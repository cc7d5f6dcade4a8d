// The list-based data-aware editors read their field again (a cancel of the record, the field
// set by the program, another record) while they have the focus: Down with the list closed
// steps from the item read, and the opened list highlights it, as a new editor on the same
// field would.
#include "tests/databinding/DatabindingTestSupport.h"
#include "widgets/databinding/cxDBEdit.h"
#include "widgets/databinding/cxDBLookupComboBox.h"

namespace {

using enum TFieldType;
using enum TDataSetState;

// Two records: ID 1, NAME "Apple", CUST 2 (Bob); ID 3, NAME "Cherry", CUST 7 (Dora). The
// people of the lookup list: Ann 1, Bob 2, Cy 5, Dora 7.
class DBComboBoxPositionTest : public DatabindingTest {
 protected:
  void SetUp() override {
    DatabindingTest::SetUp();
    form->SetBounds(100, 100, 420, 320);
    DS = MakeTestDataSet(form, {{"ID", ftInteger}, {"NAME", ftString, 20}, {"CUST", ftInteger}});
    DS->AddRecord({1, "Apple", 2});
    DS->AddRecord({3, "Cherry", 7});
    Source = New<TDataSource>(form);
    Source->SetDataSet(DS);
    DS->Open();
    People = MakeTestDataSet(form, {{"ID", ftInteger}, {"Name", ftString, 20}});
    for (auto [id, name] : {std::pair{1, "Ann"}, {2, "Bob"}, {5, "Cy"}, {7, "Dora"}})
      People->AddRecord({id, name});
    People->Open();
    PeopleSource = New<TDataSource>(form);
    PeopleSource->SetDataSet(People);
  }

  template <class T>
  T* Add(const char* AField, Integer AHeight = 21) {
    T* e = New<T>(form);
    e->SetBounds(10, 10, 160, AHeight);
    e->SetParent(form);
    e->GetDataBinding()->SetDataSource(Source);
    e->GetDataBinding()->SetDataField(AField);
    return e;
  }
  TcxDBComboBox* AddCombo(TcxEditDropDownListStyle AStyle) {
    auto* c = Add<TcxDBComboBox>("NAME");
    for (const char* s : {"Apple", "Banana", "Cherry", "Damson"})
      c->GetProperties()->GetItems()->Add(s);
    c->GetProperties()->SetDropDownListStyle(AStyle);
    c->GetProperties()->SetImmediateDropDown(false);
    return c;
  }
  // Items "Item 1" to "Item 4" of the values 1 to 4.
  TcxDBImageComboBox* AddImageCombo() {
    auto* c = Add<TcxDBImageComboBox>("ID");
    for (int v = 1; v <= 4; ++v) {
      TcxImageComboBoxItem* item = c->GetProperties()->GetItems()->Add();
      item->SetValue(v);
      item->SetDescription("Item " + IntToStr(v));
    }
    return c;
  }
  TcxDBLookupComboBox* AddLookup() {
    auto* c = Add<TcxDBLookupComboBox>("CUST");
    TcxLookupComboBoxProperties* p = c->GetProperties();
    p->SetListSource(PeopleSource);
    p->SetKeyFieldNames("ID");
    p->SetListFieldNames("Name");
    p->SetImmediateDropDown(false);
    return c;
  }
  void Press(int VK) {
    host().Key(VK);
    Pump();
  }
  void Focus(TWinControl* c) {
    c->SetFocus();
    Pump();
  }
  static String Shown(TcxCustomTextEdit* e) { return VarToStr(e->GetDisplayValue()); }
  static TcxCustomEditListBox* List(TcxCustomComboBox* c) { return c->LookupData()->GetList(); }
  TField* F(const char* AName) const { return DS->FieldByName(AName); }

  TMemoryDataSet* DS = nullptr;
  TDataSource* Source = nullptr;
  TMemoryDataSet* People = nullptr;
  TDataSource* PeopleSource = nullptr;
};

class DBComboBoxPositionByStyle : public DBComboBoxPositionTest,
                                  public ::testing::WithParamInterface<TcxEditDropDownListStyle> {};

TEST_P(DBComboBoxPositionByStyle, ACancelledRecordIsWhereDownStepsFrom) {
  TcxDBComboBox* c = AddCombo(GetParam());
  Show();
  Focus(c);
  Press(VK_DOWN);
  Press(VK_DOWN);
  ASSERT_EQ(Shown(c), "Cherry");
  ASSERT_EQ(DS->State(), dsEdit);
  DS->Cancel();
  Pump();
  ASSERT_EQ(Shown(c), "Apple");
  EXPECT_EQ(c->GetItemIndex(), 0);
  Press(VK_DOWN);
  EXPECT_EQ(Shown(c), "Banana");
  DS->Cancel();
  Pump();
  Press(VK_F4);
  ASSERT_TRUE(c->GetDroppedDown());
  EXPECT_EQ(List(c)->GetItemIndex(), 0) << "the list opens on the item read";
  Press(VK_ESCAPE);
}

TEST_P(DBComboBoxPositionByStyle, AFieldSetByTheProgramOrAnotherRecordIsWhereDownStepsFrom) {
  TcxDBComboBox* c = AddCombo(GetParam());
  Show();
  Focus(c);
  Press(VK_DOWN);
  ASSERT_EQ(Shown(c), "Banana");
  F("NAME")->SetAsString("Cherry");
  Pump();
  ASSERT_EQ(Shown(c), "Cherry");
  Press(VK_DOWN);
  EXPECT_EQ(Shown(c), "Damson");
  DS->Post();
  DS->Edit();
  F("NAME")->SetAsString("Apple");
  DS->Post();
  Pump();
  Press(VK_DOWN);
  ASSERT_EQ(Shown(c), "Banana");
  // The next record: its Cherry is where Up steps from.
  DS->Cancel();
  DS->Next();
  Pump();
  ASSERT_EQ(Shown(c), "Cherry");
  Press(VK_UP);
  EXPECT_EQ(Shown(c), "Banana");
}

std::string StyleName(const ::testing::TestParamInfo<TcxEditDropDownListStyle>& i) {
  static const char* const names[] = {"EditFixedList", "EditList", "FixedList"};
  return names[Ord(i.param)];
}

// Typed into the open list, then Escape: the text the list opened on comes back and leaving
// the editor writes nothing new; the next item picked with the mouse is written as usual.
TEST_P(DBComboBoxPositionByStyle, EscapeInTheOpenListLeavesTheFieldAsItWas) {
  TcxDBComboBox* c = AddCombo(GetParam());
  auto* neutral = New<TcxTextEdit>(form);
  neutral->SetBounds(10, 200, 100, 21);
  neutral->SetParent(form);
  Show();
  for (bool immediatePost : {false, true}) {
    SCOPED_TRACE(immediatePost);
    c->GetProperties()->SetImmediatePost(immediatePost);
    Focus(c);
    Press(VK_F4);
    ASSERT_TRUE(c->GetDroppedDown());
    host().Char('d');
    Pump();
    ASSERT_NE(Shown(c), "Apple");
    Press(VK_ESCAPE);
    EXPECT_FALSE(c->GetDroppedDown());
    EXPECT_EQ(Shown(c), "Apple");
    Focus(neutral);
    EXPECT_EQ(F("NAME")->GetAsString(), "Apple");
    EXPECT_EQ(Shown(c), "Apple");
    Focus(c);
    Press(VK_F4);
    TcxCustomEditListBox* list = List(c);
    const TRect r = list->ItemRect(2);
    host().MouseMove(list->GetHandle(), r.Left + 5, (r.Top + r.Bottom) / 2);
    host().Click(list->GetHandle(), r.Left + 5, (r.Top + r.Bottom) / 2);
    Pump();
    Focus(neutral);
    EXPECT_EQ(F("NAME")->GetAsString(), "Cherry");
    if (DS->State() == dsEdit) DS->Cancel();
    DS->Edit();
    F("NAME")->SetAsString("Apple");
    DS->Post();
    Pump();
    host().Advance(GetDoubleClickTime() + 1);
  }
}

INSTANTIATE_TEST_SUITE_P(EveryListStyle, DBComboBoxPositionByStyle,
                         ::testing::Values(TcxEditDropDownListStyle::lsEditList,
                                           TcxEditDropDownListStyle::lsEditFixedList,
                                           TcxEditDropDownListStyle::lsFixedList),
                         StyleName);

TEST_F(DBComboBoxPositionTest, AnMRUEditFollowsACancelledRecord) {
  auto* e = Add<TcxDBMRUEdit>("NAME");
  for (const char* s : {"Apple", "Quince", "Sloe"}) e->GetProperties()->GetLookupItems()->Add(s);
  e->GetProperties()->SetImmediateDropDown(false);
  Show();
  Focus(e);
  Press(VK_DOWN);
  ASSERT_EQ(Shown(e), "Quince");
  DS->Cancel();
  Pump();
  ASSERT_EQ(Shown(e), "Apple");
  // The chosen Quince went to the top of the list: Apple is the second item now.
  Press(VK_DOWN);
  EXPECT_EQ(Shown(e), "Sloe");
  DS->Cancel();
  Pump();
  // Sloe went to the top too: Apple is the third item now.
  Press(VK_F4);
  ASSERT_TRUE(e->GetDroppedDown());
  ASSERT_EQ(List(e)->GetItemIndex(), 2);
  EXPECT_EQ(List(e)->GetItemText(2), "Apple");
  Press(VK_ESCAPE);
}

TEST_F(DBComboBoxPositionTest, AnImageComboBoxFollowsACancelledRecord) {
  TcxDBImageComboBox* c = AddImageCombo();
  Show();
  Focus(c);
  Press(VK_DOWN);
  Press(VK_DOWN);
  ASSERT_EQ(Shown(c), "Item 3");
  DS->Cancel();
  Pump();
  ASSERT_EQ(Shown(c), "Item 1");
  Press(VK_DOWN);
  EXPECT_EQ(Shown(c), "Item 2");
  DS->Post();
  EXPECT_EQ(VarToStr(F("ID")->GetAsVariant()), "2");
  DS->Edit();
  F("ID")->SetAsInteger(1);
  Pump();
  Pump();
  Press(VK_F4);
  ASSERT_TRUE(c->GetDroppedDown());
  EXPECT_EQ(List(c)->GetItemIndex(), 0);
  Press(VK_ESCAPE);
}

TEST_F(DBComboBoxPositionTest, ALookupComboBoxFollowsACancelledRecord) {
  TcxDBLookupComboBox* c = AddLookup();
  Show();
  Focus(c);
  ASSERT_EQ(Shown(c), "Bob");
  Press(VK_DOWN);
  Press(VK_DOWN);
  ASSERT_EQ(Shown(c), "Dora");
  DS->Cancel();
  Pump();
  ASSERT_EQ(Shown(c), "Bob");
  Press(VK_DOWN);
  EXPECT_EQ(Shown(c), "Cy");
  DS->Post();
  EXPECT_EQ(VarToStr(F("CUST")->GetAsVariant()), "5");
  DS->Edit();
  F("CUST")->SetAsInteger(1);
  Pump();
  ASSERT_EQ(Shown(c), "Ann");
  Press(VK_DOWN);
  EXPECT_EQ(Shown(c), "Bob");
  DS->Cancel();
  Pump();
  ASSERT_EQ(Shown(c), "Cy");
  Press(VK_F4);
  ASSERT_TRUE(c->GetDroppedDown());
  EXPECT_EQ(c->GetProperties()->GetListDataController()->GetFocusedRecordIndex(), 2)
      << "the list opens on the record read";
  Press(VK_ESCAPE);
}

// A null key shows no text: no record is current then, not even one whose name is empty, and
// Down goes to the first.
TEST_F(DBComboBoxPositionTest, ALookupComboBoxOnANullKeyHasNoCurrentRecord) {
  People->Append();
  People->FieldByName("ID")->SetAsInteger(9);
  People->Post();
  TcxDBLookupComboBox* c = AddLookup();
  Show();
  Focus(c);
  Press(VK_DOWN);
  ASSERT_EQ(Shown(c), "Cy");
  F("CUST")->Clear();
  Pump();
  ASSERT_EQ(Shown(c), "");
  Press(VK_DOWN);
  EXPECT_EQ(Shown(c), "Ann");
  DS->Post();
  EXPECT_EQ(VarToStr(F("CUST")->GetAsVariant()), "1");
}

TEST_F(DBComboBoxPositionTest, ARadioGroupFollowsACancelledRecord) {
  auto* g = Add<TcxDBRadioGroup>("ID", 120);
  for (int v = 1; v <= 4; ++v) {
    auto* item = static_cast<TcxRadioGroupItem*>(g->GetProperties()->GetItems()->Add());
    item->SetCaption("Number " + IntToStr(v));
    item->SetValue(v);
  }
  Show();
  Focus(g);
  ASSERT_EQ(g->GetItemIndex(), 0);
  Press(VK_DOWN);
  Press(VK_DOWN);
  ASSERT_EQ(g->GetItemIndex(), 2);
  DS->Cancel();
  Pump();
  ASSERT_EQ(g->GetItemIndex(), 0);
  EXPECT_TRUE(g->Buttons(0)->Focused()) << "the focus goes with the checked button";
  Press(VK_DOWN);
  EXPECT_EQ(g->GetItemIndex(), 1);
  DS->Post();
  EXPECT_EQ(VarToStr(F("ID")->GetAsVariant()), "2");
}

}  // namespace
