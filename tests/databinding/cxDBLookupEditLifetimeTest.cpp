// The data-set lookup edit over time: the list data set and its source going away while the
// editor lives, the grid-mode texts following the list's own changes, an emptied text, and
// a bound editor showing its records without moving the shared list.
#include "tests/databinding/DBLookupTestSupport.h"
#include "widgets/editcore/cxEditRepository.h"
#include "widgets/editors/cxGroupBox.h"

#include <functional>

namespace {

// The list data set's filter handler, asked as the editor reads a key's text, searches by
// text or focuses its key's record in grid mode, frees the editor (and with it its
// properties, list and controller): what asked ends there and touches none of them again
// (the sanitizer build sees that); the list data set carries on.
class TListFreer : public TObject {
 public:
  TObject* Victim = nullptr;
  int Runs = 0;
  void Filter(TDataSet*, bool& Accept) {
    Accept = true;
    if (!Victim) return;
    ++Runs;
    TObject* v = Victim;
    Victim = nullptr;
    v->Free();
  }
};

TEST_F(DBLookupTest, AListHandlerFreeingTheEditorEndsWhatAsked) {
  using Op = std::function<void(TcxLookupComboBox*)>;
  const std::pair<const char*, Op> ops[] = {
      {"display text", [](TcxLookupComboBox* c) { EXPECT_EQ(c->GetProperties()->GetDisplayText(Variant(Integer(8))), ""); }},
      {"search by text", [](TcxLookupComboBox* c) { EXPECT_EQ(c->GetProperties()->FindByText(0, "Dora", false), -1); }},
      {"drop down", [](TcxLookupComboBox* c) { c->DropDown(); }},
  };
  TListFreer freer;
  people->OnFilterRecord = {&freer, &TListFreer::Filter};
  people->SetFiltered(true);
  for (const auto& [name, op] : ops) {
    auto* c = MakeCombo();
    TcxLookupComboBoxProperties* p = c->GetProperties();
    p->SetGridMode(true);
    p->GetDBDataController()->DataModeController()->SetGridModeBufferCount(2);
    people->First();
    c->SetEditValue(Variant(Integer(7)));  // outside the window of two
    TWeakLink edit(c), list(p->GetDBDataController());
    freer.Runs = 0;
    freer.Victim = c;
    op(c);
    EXPECT_FALSE(edit.Alive()) << name;
    EXPECT_FALSE(list.Alive()) << name;
    EXPECT_EQ(freer.Runs, 1) << name;
    freer.Victim = nullptr;
    if (edit.Alive()) c->Free();
  }
  EXPECT_EQ(people->RecordCount(), Integer(kPeople.size()));
  auto* other = MakeCombo();
  other->GetProperties()->SetGridMode(true);
  EXPECT_EQ(other->GetProperties()->GetDisplayText(Variant(Integer(5))), "Cyd");
}

TEST_F(DBLookupTest, FreeingTheListSourceOrTheListDataSetLeavesAWorkingEditor) {
  auto* c = MakeCombo();
  TcxLookupComboBoxProperties* p = c->GetProperties();
  c->SetEditValue(Variant(Integer(2)));
  EXPECT_EQ(Text(c), "Bob");
  peopleSource->Free();
  peopleSource = nullptr;
  EXPECT_EQ(p->GetListSource(), nullptr);
  EXPECT_EQ(p->GetDisplayText(Variant(Integer(2))), "");
  c->SetEditValue(Variant(Integer(5)));
  EXPECT_EQ(Text(c), "");
  // A new source over a new list.
  auto* source = New<TDataSource>(form);
  source->SetDataSet(people);
  p->SetListSource(source);
  EXPECT_EQ(p->GetDisplayText(Variant(Integer(5))), "Cyd");
  p->SetGridMode(true);
  EXPECT_EQ(p->GetDisplayText(Variant(Integer(5))), "Cyd");
  people->Free();
  people = nullptr;
  EXPECT_EQ(p->GetListDataSet(), nullptr);
  EXPECT_EQ(p->GetDisplayText(Variant(Integer(7))), "");
  EXPECT_EQ(p->FindByText(0, "Dora", true), -1);
  c->SetEditValue(Variant(Integer(7)));
  EXPECT_EQ(Text(c), "");
}

TEST_F(DBLookupTest, FreeingTheListWhileItIsDroppedDownLeavesAWorkingEditor) {
  auto* c = MakeCombo();
  c->SetEditValue(Variant(Integer(2)));
  Show();
  c->SetFocus();
  Pump();
  Type("b");
  ASSERT_TRUE(c->HasShownPopup());
  people->Free();
  people = nullptr;
  Pump();
  EXPECT_EQ(c->GetProperties()->GetDBDataController()->GetRowCount(), 0);
  Type("o");
  Key(VK_DOWN);
  Key(VK_ESCAPE);
  EXPECT_FALSE(c->HasShownPopup());
  Key(VK_RETURN);
  EXPECT_EQ(c->GetProperties()->GetDisplayText(Variant(Integer(2))), "");
}

TEST_F(DBLookupTest, ARepositoryItemFreedWhileItsListIsDroppedDownLeavesAWorkingEditor) {
  auto* repo = New<TcxEditRepository>(form);
  auto* item = static_cast<TcxEditRepositoryLookupComboBoxItem*>(
      repo->CreateItem(ClassOf<TcxEditRepositoryLookupComboBoxItem, TcxEditRepositoryItem, TComponent*>()));
  TcxLookupComboBoxProperties* shared = item->GetProperties();
  shared->SetListSource(peopleSource);
  shared->SetKeyFieldNames("ID");
  shared->SetListFieldNames("Name");
  auto* c = New<TcxLookupComboBox>(form);
  c->SetParent(form);
  c->SetBounds(10, 10, 150, 21);
  c->SetRepositoryItem(item);
  c->SetEditValue(Variant(Integer(2)));
  EXPECT_EQ(Text(c), "Bob");
  Show();
  c->SetFocus();
  Pump();
  Type("c");
  ASSERT_TRUE(c->HasShownPopup());
  ASSERT_EQ(c->GetLookupEditData()->WiredGrid(), shared->Grid());
  item->Free();
  Pump();
  EXPECT_EQ(c->GetRepositoryItem(), nullptr);
  // The list went with the item: nothing is left pointing at it.
  EXPECT_EQ(c->GetLookupEditData()->WiredGrid(), nullptr);
  Key(VK_ESCAPE);
  Type("d");
  Key(VK_ESCAPE);
  Key(VK_RETURN);
  // The editor's own properties hold no list.
  EXPECT_EQ(static_cast<TcxLookupComboBoxProperties*>(c->GetActiveProperties())->GetListSource(), nullptr);
}

TEST_F(DBLookupTest, GridModeTextsFollowTheListsOwnChanges) {
  auto* c = MakeCombo();
  TcxLookupComboBoxProperties* p = c->GetProperties();
  p->SetGridMode(true);
  EXPECT_EQ(p->GetDisplayText(Variant(Integer(7))), "Dora");
  // The record's text is edited in the list data set.
  ASSERT_TRUE(people->Locate("ID", Variant(Integer(7)), {}));
  people->Edit();
  people->FieldByName("Name")->SetAsString("Dot");
  people->Post();
  EXPECT_EQ(p->GetDisplayText(Variant(Integer(7))), "Dot");
  // A closed list shows nothing; opened again, the texts come back.
  people->Close();
  EXPECT_EQ(p->GetDisplayText(Variant(Integer(5))), "");
  people->Open();
  EXPECT_EQ(p->GetDisplayText(Variant(Integer(5))), "Cyd");
  // The column's field changed through the column itself.
  p->GetListColumns()->GetItem(0)->SetFieldName("City");
  EXPECT_EQ(p->GetDisplayText(Variant(Integer(5))), "C5");
}

TEST_F(DBLookupTest, AnEmptiedTextIsNoKeyEvenWhenARecordHasNoText) {
  auto* c = MakeCombo();
  TcxLookupComboBoxProperties* p = c->GetProperties();
  for (bool grid : {false, true}) {
    p->SetGridMode(grid);
    c->SetEditValue(Variant(Integer(2)));
    EXPECT_TRUE(VarIsNull(c->GetLookupEditData()->DisplayTextToKey(""))) << grid;
    EXPECT_TRUE(cxVariantsEqual(c->GetLookupEditData()->DisplayTextToKey("bobby"), Variant(Integer(3)))) << grid;
  }
}

TEST_F(DBLookupTest, ABoundEditorShowingItsRecordsLeavesTheListWhereItWas) {
  orders->Close();
  for (Integer i = 2; i <= 6; ++i) orders->AddRecord({Variant(i), Variant(Integer(i == 6 ? 8 : i))});
  orders->Open();
  auto* c = MakeCombo<TcxDBLookupComboBox>();
  c->GetDataBinding()->SetDataSource(ordersSource);
  c->GetDataBinding()->SetDataField("CustID");
  TcxLookupComboBoxProperties* p = c->GetProperties();
  p->GetDBDataController()->DataModeController()->SetGridModeBufferCount(2);
  for (bool grid : {false, true}) {
    p->SetGridMode(grid);
    ASSERT_EQ(p->GetDBDataController()->IsGridMode(), grid);
    people->SetRecNo(2);
    for (orders->First(); !orders->Eof(); orders->Next()) {
      EXPECT_EQ(Text(c), p->GetDisplayText(orders->FieldByName("CustID")->Value())) << grid;
      EXPECT_EQ(people->RecNo(), 2) << grid << " " << orders->RecNo();
    }
    // Stepping through the closed list starts from the shown key: 5 is followed by 7.
    orders->SetRecNo(5);
    ASSERT_EQ(orders->FieldByName("CustID")->GetAsInteger(), 5);
    EXPECT_EQ(Text(c), "Cyd");
    c->GetLookupEditData()->Go(cxLookupGoNext, false);
    EXPECT_TRUE(cxVariantsEqual(c->GetLookupEditData()->GetCurrentKey(), Variant(Integer(7)))) << grid;
    // The step is the user's edit of the order: dropped here.
    orders->Cancel();
  }
}


TEST_F(DBLookupTest, SeveralKeyFieldsMakeOneKeyInBothModes) {
  // The list was read with one key field; the second is added afterwards.
  auto* c = MakeCombo();
  TcxLookupComboBoxProperties* p = c->GetProperties();
  p->SetKeyFieldNames("ID;City");
  const Variant key = VarArrayOf({Variant(Integer(5)), Variant(String("C5"))});
  const Variant wrong = VarArrayOf({Variant(Integer(5)), Variant(String("C7"))});
  for (bool grid : {false, true}) {
    p->SetGridMode(grid);
    EXPECT_EQ(p->GetDisplayText(key), "Cyd") << grid;
    EXPECT_EQ(p->GetDisplayText(wrong), "") << grid;
    EXPECT_EQ(p->GetDisplayText(Variant(Integer(5))), "") << grid;
    c->SetEditValue(Null());
    const Variant k = c->GetLookupEditData()->DisplayTextToKey("cyd");
    ASSERT_TRUE(VarIsArray(k)) << grid;
    EXPECT_TRUE(cxVariantsEqual(k, key)) << grid;
  }
}

}  // namespace

// The list's Name field's text handler frees the combo box, its parent or its form on its
// n-th call, for every n, while a grid-mode list's grid lays out its rows (it asks each shown
// row's text): as the list opens, opens again in a new colour, or moves by keys. The layout
// and what asked for it stop where the grid went, touching nothing freed (the sanitizer build
// sees that), and the list data set carries on.
class TTextFreer : public TObject {
 public:
  TObject* Victim = nullptr;
  int Countdown = 0;
  void GetText(TField* Sender, String& Text, bool) {
    Text = Sender->GetAsString();
    if (!Victim || --Countdown > 0) return;
    TObject* v = Victim;
    Victim = nullptr;
    v->Free();
  }
};

TEST_F(DBLookupTest, AListTextHandlerFreeingTheComboWhileTheGridLaysOutEndsTheLayout) {
  TTextFreer freer;
  people->FieldByName("Name")->OnGetText = {&freer, &TTextFreer::GetText};
  const char* const victims[] = {"combo box", "parent", "form"};
  // The list opened the first time (the grid gets its window); opened again in another
  // colour (the grid is laid out as it takes the colour); walked down and a page down while
  // open (rows scrolled in and out).
  const char* const ways[] = {"first drop-down", "drop-down in a new colour", "keys in the open list"};
  for (int way = 0; way < 3; ++way) {
    for (int victim = 0; victim < 3; ++victim) {
      int freeingRuns = 0;
      for (int n = 1; n < 200; ++n) {
        TForm* f = TCustomForm::CreateNew(nullptr);
        f->SetBounds(100, 100, 400, 300);
        auto* box = New<TcxGroupBox>(f);
        box->SetBounds(5, 5, 300, 200);
        box->SetParent(f);
        auto* c = New<TcxLookupComboBox>(f);
        c->SetParent(box);
        c->SetBounds(10, 10, 150, 21);
        TcxLookupComboBoxProperties* p = c->GetProperties();
        p->SetListSource(peopleSource);
        p->SetKeyFieldNames("ID");
        p->SetListFieldNames("Name");
        p->SetGridMode(true);
        p->SetDropDownRows(5);
        c->SetEditValue(Variant(Integer(2)));
        TWeakLink form(f), edit(c), list(p->GetDBDataController());
        f->Show();
        Pump();
        c->SetFocus();
        if (way > 0) {
          c->DropDown();
          Pump();
          if (way == 1) {
            Key(VK_ESCAPE);
            c->GetStyle()->SetColor(clYellow);
            Pump();
          }
        }
        // Counted from here on: every call before is the edit's own text or an earlier layout.
        freer.Countdown = n;
        freer.Victim = victim == 0 ? static_cast<TObject*>(c) : victim == 1 ? static_cast<TObject*>(box) : f;
        if (way < 2) {
          c->DropDown();
          Pump();
        } else {
          for (int i = 0; i < 6 && freer.Victim; ++i) Key(VK_DOWN);
          if (freer.Victim) Key(VK_NEXT);
        }
        const bool freed = freer.Victim == nullptr;
        freer.Victim = nullptr;
        if (freed) {
          EXPECT_FALSE(edit.Alive()) << ways[way] << " " << victims[victim] << " " << n;
          EXPECT_FALSE(list.Alive()) << ways[way] << " " << victims[victim] << " " << n;
          ++freeingRuns;
        }
        if (form.Alive()) f->Free();
        Pump();
        if (!freed) break;  // the drop-down asked fewer than n texts: every n was tried
      }
      // Five rows shown, each layout asking their texts: more than five ns freed something.
      EXPECT_GT(freeingRuns, 5) << ways[way] << " " << victims[victim];
    }
  }
  freer.Victim = nullptr;
  EXPECT_EQ(people->RecordCount(), Integer(kPeople.size()));
  auto* other = MakeCombo();
  other->GetProperties()->SetGridMode(true);
  EXPECT_EQ(other->GetProperties()->GetDisplayText(Variant(Integer(5))), "Cyd");
}
