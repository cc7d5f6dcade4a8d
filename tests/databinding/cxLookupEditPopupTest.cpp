// The open list of a lookup edit as the user meets it: the mouse chooses, sorts and scrolls
// while the edit keeps the focus; the arrow keys move the list's row only, Escape puts back
// what the edit had when the list opened, Enter chooses; and every pick reaches the value,
// a second one too. Over the plain lookup grid and in the data-aware lookup combo box.
#include "tests/databinding/DBLookupTestSupport.h"
#include "tests/databinding/LookupEditTestSupport.h"
#include "tests/editors/DropDownTestSupport.h"

namespace {

const std::vector<std::pair<Integer, String>> kColours = {
    {10, "RED"}, {20, "GREEN"}, {30, "BLUE"}, {40, "AMBER"}, {50, "CYAN"}, {60, "OLIVE"}};

// The centre of a row's list cell and of a column's header, in the grid's client points.
TPoint RowPoint(TcxCustomLookupGrid* AGrid, Integer ARowIndex) {
  const TcxLookupGridRowViewInfo* row = AGrid->ViewInfo()->FindRow(ARowIndex);
  if (!row) return {-1, -1};
  return {(row->Bounds.Left + row->Bounds.Right) / 2, (row->Bounds.Top + row->Bounds.Bottom) / 2};
}
TPoint HeaderPoint(TcxCustomLookupGrid* AGrid, Integer AColumnIndex) {
  const TRect& r = AGrid->ViewInfo()->Columns()[size_t(AColumnIndex)]->Bounds;
  return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
}

// The edit's own window holds the keyboard focus (an edit whose list is open counts as
// focused whatever holds it).
bool HoldsFocus(TcxCustomEdit* AEdit) {
  TWinControl* inner = AEdit->InnerControl();
  return inner && inner->HandleAllocated() && ::GetFocus() == inner->GetHandle();
}

class LookupListMouse : public LookupEditTest {
 protected:
  TTestLookupEdit* MakeColours() {
    auto* e = MakeEdit(kColours);
    e->Props()->SetListFieldIndex(1);
    e->Props()->SetValidateOnEnter(true);
    e->SetEditValue(Variant(Integer(20)));
    return e;
  }
  static Variant CurrentKey(TTestLookupEdit* e) { return e->LookupData()->GetCurrentKey(); }
  void Click(TcxCustomLookupGrid* AGrid, TPoint P) {
    host().Click(AGrid->GetHandle(), P.X, P.Y);
    Pump();
  }
};

TEST_F(LookupListMouse, AClickOnARowChoosesItAndTheEditKeepsTheFocus) {
  auto* e = MakeColours();
  TcxLookupGrid* grid = e->Props()->Grid();
  ASSERT_EQ(Text(e), "GREEN");
  Key(VK_F4);
  ASSERT_TRUE(e->HasShownPopup());
  EXPECT_EQ(grid->GetFocusedRowIndex(), 1);
  Click(grid, RowPoint(grid, 3));
  EXPECT_FALSE(e->HasShownPopup());
  EXPECT_EQ(Text(e), "AMBER");
  EXPECT_TRUE(cxVariantsEqual(CurrentKey(e), Variant(Integer(40))));
  EXPECT_TRUE(HoldsFocus(e));
  EXPECT_FALSE(grid->Focused());
  EXPECT_TRUE(e->GetDisplayValueModified());
  // The chosen key is the edit value once the text is taken.
  Key(VK_RETURN);
  EXPECT_TRUE(cxVariantsEqual(e->EditValue(), Variant(Integer(40))));
}

TEST_F(LookupListMouse, AHeaderClickSortsAndLeavesTheListOpenOnTheFocusedEdit) {
  auto* e = MakeColours();
  TcxLookupGrid* grid = e->Props()->Grid();
  Key(VK_F4);
  ASSERT_TRUE(e->HasShownPopup());
  Click(grid, HeaderPoint(grid, 1));
  EXPECT_EQ(grid->GetColumns()->GetItem(1)->GetSortOrder(), TcxDataSortOrder::soAscending);
  EXPECT_TRUE(e->HasShownPopup());
  EXPECT_TRUE(HoldsFocus(e));
  EXPECT_EQ(Text(e), "GREEN");
  // Sorted by name: AMBER, BLUE, CYAN, GREEN, OLIVE, RED; the first row is AMBER.
  Click(grid, RowPoint(grid, 0));
  EXPECT_FALSE(e->HasShownPopup());
  EXPECT_EQ(Text(e), "AMBER");
  EXPECT_TRUE(HoldsFocus(e));
}

// Pressed on a row and dragged below the list, the list scrolls a row every 50 ms; released
// back on a row it chooses that row; released outside the rows it chooses nothing.
TEST_F(LookupListMouse, ADragPastTheListsEdgeScrollsItAndTheReleaseDecides) {
  auto* e = MakeColours();
  e->Props()->SetDropDownRows(3);
  TcxLookupGrid* grid = e->Props()->Grid();
  Key(VK_F4);
  ASSERT_TRUE(e->HasShownPopup());
  ASSERT_EQ(grid->ViewInfo()->VisibleRowCount(), 3);
  const HWND h = grid->GetHandle();
  const TPoint first = RowPoint(grid, 0);
  host().MouseDown(h, first.X, first.Y);
  Pump();
  EXPECT_TRUE(HoldsFocus(e));
  EXPECT_EQ(grid->GetFocusedRowIndex(), 0);
  host().MouseMove(h, first.X, grid->GetClientHeight() + 6);
  Pump();
  EXPECT_EQ(grid->GetScrollMode(), TcxLookupGridScrollMode::smBottom);
  host().Advance(50);
  host().Advance(50);
  EXPECT_EQ(grid->GetFocusedRowIndex(), 4);
  EXPECT_EQ(grid->GetTopRowIndex(), 2);
  EXPECT_TRUE(e->HasShownPopup());
  EXPECT_TRUE(HoldsFocus(e));
  EXPECT_EQ(Text(e), "GREEN");
  const TPoint last = RowPoint(grid, 4);
  host().MouseMove(h, last.X, last.Y);
  host().MouseUp(h, last.X, last.Y);
  Pump();
  EXPECT_TRUE(cxVariantsEqual(CurrentKey(e), Variant(Integer(50))));
  EXPECT_FALSE(e->HasShownPopup());
  EXPECT_EQ(Text(e), "CYAN");
  EXPECT_TRUE(HoldsFocus(e));
  // Released outside the rows: nothing is chosen. The list opens on the chosen row.
  Key(VK_F4);
  ASSERT_TRUE(e->HasShownPopup());
  EXPECT_EQ(grid->GetFocusedRowIndex(), 4);
  const TPoint top = RowPoint(grid, grid->GetTopRowIndex());
  host().MouseDown(h, top.X, top.Y);
  host().MouseUp(h, top.X, grid->GetClientHeight() + 40);
  Pump();
  EXPECT_FALSE(e->HasShownPopup());
  EXPECT_EQ(Text(e), "CYAN");
  EXPECT_TRUE(cxVariantsEqual(CurrentKey(e), Variant(Integer(50))));
}

TEST_F(LookupListMouse, TheListsScrollBarScrollsItAndTheEditKeepsTheFocus) {
  auto* e = MakeColours();
  e->Props()->SetDropDownRows(3);
  TcxLookupGrid* grid = e->Props()->Grid();
  Key(VK_F4);
  ASSERT_TRUE(e->HasShownPopup());
  TcxControlScrollBar* bar = grid->VScrollBar();
  ASSERT_TRUE(bar && bar->GetVisible());
  host().Click(bar->GetHandle(), bar->GetWidth() / 2, bar->GetHeight() - 3);
  Pump();
  EXPECT_EQ(grid->GetTopRowIndex(), 1);
  EXPECT_TRUE(e->HasShownPopup());
  EXPECT_TRUE(HoldsFocus(e));
  EXPECT_EQ(Text(e), "GREEN");
}

// The wheel turned over the open list scrolls it; the edit keeps its text and the focus.
TEST_F(LookupListMouse, TheWheelOverTheOpenListScrollsIt) {
  auto* e = MakeColours();
  e->Props()->SetDropDownRows(3);
  TcxLookupGrid* grid = e->Props()->Grid();
  Key(VK_F4);
  ASSERT_TRUE(e->HasShownPopup());
  ASSERT_EQ(grid->GetTopRowIndex(), 0);
  const TPoint p = RowPoint(grid, 0);
  host().Wheel(grid->GetHandle(), p.X, p.Y, -WHEEL_DELTA);
  Pump();
  EXPECT_TRUE(e->HasShownPopup());
  EXPECT_EQ(grid->GetTopRowIndex(), 3) << "three rows a notch, as far as the last row shown";
  EXPECT_EQ(Text(e), "GREEN");
  EXPECT_TRUE(HoldsFocus(e));
  host().Wheel(grid->GetHandle(), p.X, p.Y, WHEEL_DELTA);
  Pump();
  EXPECT_EQ(grid->GetTopRowIndex(), 0);
  EXPECT_EQ(Text(e), "GREEN");
}

TEST_F(LookupListMouse, ArrowsMoveOnlyTheListsRowEscapePutsBackEnterChooses) {
  auto* e = MakeColours();
  TcxLookupGrid* grid = e->Props()->Grid();
  Key(VK_F4);
  Key(VK_DOWN);
  EXPECT_EQ(grid->GetFocusedRowIndex(), 2);
  EXPECT_TRUE(grid->GetDataController()->IsFocusedSelected());
  EXPECT_EQ(Text(e), "GREEN");
  EXPECT_TRUE(cxVariantsEqual(CurrentKey(e), Variant(Integer(20))));
  Key(VK_NEXT);
  EXPECT_EQ(grid->GetFocusedRowIndex(), 5);
  EXPECT_EQ(Text(e), "GREEN");
  Key(VK_ESCAPE);
  EXPECT_FALSE(e->HasShownPopup());
  EXPECT_EQ(Text(e), "GREEN");
  EXPECT_TRUE(cxVariantsEqual(CurrentKey(e), Variant(Integer(20))));
  EXPECT_FALSE(e->GetDisplayValueModified());
  // The closed list shows the edit's record again; Enter on a moved row chooses it.
  EXPECT_EQ(grid->GetFocusedRowIndex(), 1);
  Key(VK_F4);
  Key(VK_UP);
  EXPECT_EQ(Text(e), "GREEN");
  Key(VK_RETURN);
  EXPECT_FALSE(e->HasShownPopup());
  EXPECT_EQ(Text(e), "RED");
  EXPECT_TRUE(cxVariantsEqual(CurrentKey(e), Variant(Integer(10))));
  // The arrows of the closed list still step the edit itself.
  Key(VK_DOWN);
  EXPECT_EQ(Text(e), "GREEN");
}

// Typing while the list is open searches it; Escape puts back the text and key the edit had
// when the list opened, not the typed ones.
TEST_F(LookupListMouse, EscapeAfterTypingInTheOpenListPutsBackTheTextTheListOpenedOn) {
  auto* e = MakeColours();
  e->SelectAll();
  Type("b");
  ASSERT_TRUE(e->HasShownPopup());
  ASSERT_EQ(Text(e), "BLUE");
  TChangeCounter changes;
  e->Props()->OnChange = {&changes, &TChangeCounter::Changed};
  Key(VK_ESCAPE);
  EXPECT_FALSE(e->HasShownPopup());
  EXPECT_EQ(Text(e), "GREEN");
  EXPECT_EQ(changes.Count, 1) << "the text put back is a change";
  EXPECT_TRUE(cxVariantsEqual(CurrentKey(e), Variant(Integer(20))));
  EXPECT_FALSE(e->GetDisplayValueModified());
  // A text typed with the list closed is what the list opened on: Escape keeps it.
  e->Props()->SetImmediateDropDown(false);
  Type("o");
  ASSERT_EQ(Text(e), "OLIVE");
  ASSERT_FALSE(e->HasShownPopup());
  Key(VK_F4);
  Key(VK_DOWN);
  Key(VK_ESCAPE);
  EXPECT_EQ(Text(e), "OLIVE");
  EXPECT_TRUE(e->GetDisplayValueModified());
  Key(VK_RETURN);
  EXPECT_TRUE(cxVariantsEqual(e->EditValue(), Variant(Integer(60))));
}

// A handler that frees the edit while the list closes (the text put back by Escape, a row
// chosen by a click): nothing after it touches the edit, its list or its popup (the
// sanitizer build sees that), and the form goes on.
TEST_F(LookupListMouse, AHandlerFreeingTheEditWhileTheListClosesEndsThere) {
  struct Case {
    const char* Name;
    bool OnCloseUp;
    bool ByClick;
  };
  for (const Case& k :
       {Case{"change on Escape", false, false}, Case{"change on a click", false, true},
        Case{"close-up on a click", true, true}}) {
    SCOPED_TRACE(k.Name);
    auto* e = MakeColours();
    TcxLookupGrid* grid = e->Props()->Grid();
    TDropDownFreer freer;
    if (k.ByClick) {
      Key(VK_F4);
    } else {
      e->SelectAll();
      Type("b");
      ASSERT_EQ(Text(e), "BLUE");
    }
    ASSERT_TRUE(e->HasShownPopup());
    freer.Victim = e;
    TWeakLink edit(e), list(grid);
    if (k.OnCloseUp)
      e->Props()->OnCloseUp = {&freer, &TDropDownFreer::Notify};
    else
      e->Props()->OnChange = {&freer, &TDropDownFreer::Notify};
    if (k.ByClick)
      Click(grid, RowPoint(grid, 3));
    else
      Key(VK_ESCAPE);
    EXPECT_FALSE(edit.Alive());
    EXPECT_FALSE(list.Alive());
    EXPECT_EQ(freer.Runs, 1);
    for (String s : TakeExceptions()) ADD_FAILURE() << s;
    if (edit.Alive()) e->Free();
  }
}

// ---- the data-aware lookup combo box ----

using DBLookupListMouse = DBLookupTest;

TEST_F(DBLookupListMouse, ClickedRowsHeaderAndOutsideOfTheBoundComboBox) {
  TcxLookupComboBox* other = nullptr;
  auto* c = MakeBoundCombo(other);
  TcxLookupDBGrid* grid = c->GetProperties()->Grid();
  Show();
  c->SetFocus();
  Pump();
  ASSERT_EQ(Text(c), "Bob");
  Key(VK_F4);
  ASSERT_TRUE(c->HasShownPopup());
  host().Click(grid->GetHandle(), RowPoint(grid, 5).X, RowPoint(grid, 5).Y);
  Pump();
  EXPECT_FALSE(c->HasShownPopup());
  EXPECT_EQ(Text(c), "Dora");
  EXPECT_TRUE(HoldsFocus(c));
  // A header click sorts by name and leaves the list open; a click beside the list closes it
  // choosing nothing.
  Key(VK_F4);
  ASSERT_TRUE(c->HasShownPopup());
  host().Click(grid->GetHandle(), HeaderPoint(grid, 0).X, HeaderPoint(grid, 0).Y);
  Pump();
  EXPECT_TRUE(c->HasShownPopup());
  EXPECT_TRUE(HoldsFocus(c));
  EXPECT_EQ(grid->GetColumns()->GetItem(0)->GetSortOrder(), TcxDataSortOrder::soAscending);
  host().Click(form->GetHandle(), 280, 5);
  Pump();
  EXPECT_FALSE(c->HasShownPopup());
  EXPECT_EQ(Text(c), "Dora");
  other->SetFocus();
  Pump();
  EXPECT_EQ(orders->FieldByName("CustID")->GetAsInteger(), 7);
  EXPECT_EQ(custName->GetAsString(), "Dora");
  orders->Cancel();
}

// The lookup combo box without a binding: chosen with the mouse, browsed and cancelled with
// the keys, chosen again, each choice its edit value.
TEST_F(DBLookupListMouse, TheUnboundLookupComboBoxChoosesAndCancelsAsTheBoundOne) {
  auto* c = MakeCombo();
  c->GetProperties()->SetImmediatePost(true);
  TcxLookupDBGrid* grid = c->GetProperties()->Grid();
  Show();
  c->SetFocus();
  Pump();
  c->SetEditValue(Variant(Integer(2)));
  ASSERT_EQ(Text(c), "Bob");
  Key(VK_F4);
  host().Click(grid->GetHandle(), RowPoint(grid, 4).X, RowPoint(grid, 4).Y);
  Pump();
  EXPECT_FALSE(c->HasShownPopup());
  EXPECT_TRUE(HoldsFocus(c));
  EXPECT_TRUE(cxVariantsEqual(c->EditValue(), Variant(Integer(5))));
  Key(VK_F4);
  Key(VK_DOWN);
  Key(VK_DOWN);
  EXPECT_EQ(Text(c), "Cyd");
  Key(VK_ESCAPE);
  EXPECT_EQ(Text(c), "Cyd");
  EXPECT_TRUE(cxVariantsEqual(c->EditValue(), Variant(Integer(5))));
  Key(VK_F4);
  Key(VK_DOWN);
  Key(VK_RETURN);
  EXPECT_EQ(Text(c), "Dora");
  EXPECT_TRUE(cxVariantsEqual(c->EditValue(), Variant(Integer(7))));
}

// On Bob: F4, Down shows Bob still; Escape, then leaving the editor stores nothing new. In
// grid mode the steps move the list data set itself: it comes back to Bob.
TEST_F(DBLookupListMouse, EscapeLeavesTheBoundKeyAsItWas) {
  TcxLookupComboBox* other = nullptr;
  auto* c = MakeBoundCombo(other);
  Show();
  for (bool gridMode : {false, true}) {
    SCOPED_TRACE(gridMode);
    c->GetProperties()->SetGridMode(gridMode);
    c->SetFocus();
    Pump();
    Key(VK_F4);
    Key(VK_DOWN);
    Key(VK_DOWN);
    EXPECT_EQ(Text(c), "Bob");
    Key(VK_ESCAPE);
    EXPECT_FALSE(c->HasShownPopup());
    EXPECT_EQ(Text(c), "Bob");
    if (gridMode) {
      EXPECT_EQ(people->FieldByName("Name")->GetAsString(), "Bob");
    }
    host().Key(VK_TAB);
    Pump();
    ASSERT_FALSE(HoldsFocus(c));
    EXPECT_EQ(orders->FieldByName("CustID")->GetAsInteger(), 2);
    EXPECT_EQ(orders->State(), TDataSetState::dsBrowse);
  }
}

// Typed into the bound combo box, the list opening on the first character, then Escape: the
// text and key the list opened on come back and leaving the editor stores nothing new.
TEST_F(DBLookupListMouse, EscapeAfterTypingLeavesTheBoundKeyAsItWas) {
  TcxLookupComboBox* other = nullptr;
  auto* c = MakeBoundCombo(other);
  c->GetProperties()->SetImmediateDropDown(true);
  Show();
  c->SetFocus();
  Pump();
  ASSERT_EQ(Text(c), "Bob");
  c->SelectAll();
  host().Char('d');
  Pump();
  ASSERT_TRUE(c->HasShownPopup());
  ASSERT_EQ(Text(c), "Dora");
  Key(VK_ESCAPE);
  EXPECT_FALSE(c->HasShownPopup());
  EXPECT_EQ(Text(c), "Bob");
  other->SetFocus();
  Pump();
  EXPECT_EQ(orders->FieldByName("CustID")->GetAsInteger(), 2);
  EXPECT_EQ(Text(c), "Bob");
  if (orders->State() != TDataSetState::dsBrowse) orders->Cancel();
}

// A pick confirmed with Enter is stored; a second pick from the list then is stored too.
TEST_F(DBLookupListMouse, ASecondPickIsStoredAsTheFirstWas) {
  TcxLookupComboBox* other = nullptr;
  auto* c = MakeBoundCombo(other);
  Show();
  c->SetFocus();
  Pump();
  for (const auto& [rows, name, key] :
       {std::tuple{1, "Bobby", 3}, std::tuple{3, "Dora", 7}, std::tuple{-5, "Ann", 1}}) {
    SCOPED_TRACE(name);
    Key(VK_F4);
    for (int i = 0; i < std::abs(rows); ++i) Key(rows > 0 ? VK_DOWN : VK_UP);
    Key(VK_RETURN);
    ASSERT_FALSE(c->HasShownPopup());
    EXPECT_EQ(Text(c), name);
    Key(VK_RETURN);
    EXPECT_EQ(orders->FieldByName("CustID")->GetAsInteger(), key);
  }
  // Picked with the mouse after a confirmed pick: stored when the editor is left.
  Key(VK_F4);
  TcxLookupDBGrid* grid = c->GetProperties()->Grid();
  host().Click(grid->GetHandle(), RowPoint(grid, 4).X, RowPoint(grid, 4).Y);
  Pump();
  EXPECT_EQ(Text(c), "Cyd");
  other->SetFocus();
  Pump();
  EXPECT_EQ(orders->FieldByName("CustID")->GetAsInteger(), 5);
  EXPECT_EQ(Text(c), "Cyd");
  orders->Cancel();
}

// A handler freeing the bound combo box as its record's key changes under it ends there:
// nothing after it touches the edit's field link (the sanitizer build sees that).
TEST_F(DBLookupListMouse, AHandlerFreeingTheBoundComboBoxAsItsFieldChangesEndsThere) {
  TcxLookupComboBox* other = nullptr;
  auto* c = MakeBoundCombo(other);
  Show();
  Pump();
  TDropDownFreer freer;
  freer.Victim = c;
  c->GetProperties()->OnEditValueChanged = {&freer, &TDropDownFreer::Notify};
  TWeakLink edit(c);
  orders->Edit();
  orders->FieldByName("CustID")->SetAsInteger(5);
  EXPECT_FALSE(edit.Alive());
  EXPECT_EQ(freer.Runs, 1);
  orders->Cancel();
  if (edit.Alive()) c->Free();
}

// The bound combo box shows its field anew as it takes the focus and as it is left; a change
// handler freeing the edit there ends the entry or the exit.
TEST_F(DBLookupListMouse, AHandlerFreeingTheBoundComboBoxAsItIsEnteredOrLeftEndsThere) {
  struct TCountdown : TObject {
    TDropDownFreer* Freer = nullptr;
    int Calls = 0, At = 0;
    void Notify(TObject* Sender) {
      if (++Calls == At) Freer->Notify(Sender);
    }
  };
  for (int at : {1, 2}) {
    SCOPED_TRACE(at);
    TcxLookupComboBox* other = nullptr;
    auto* c = MakeBoundCombo(other);
    Show();
    Pump();
    TDropDownFreer freer;
    TCountdown countdown;
    countdown.Freer = &freer;
    countdown.At = at;
    freer.Victim = c;
    c->GetProperties()->OnChange = {&countdown, &TCountdown::Notify};
    TWeakLink edit(c);
    c->SetFocus();
    Pump();
    ASSERT_EQ(countdown.Calls, 1) << "the field shown anew on entering";
    ASSERT_EQ(edit.Alive(), at == 2);
    other->SetFocus();
    Pump();
    EXPECT_FALSE(edit.Alive());
    EXPECT_EQ(freer.Runs, 1);
    orders->Cancel();
    if (edit.Alive()) c->Free();
    other->Free();
  }
}

}  // namespace
