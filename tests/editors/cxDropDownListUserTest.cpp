// The open list of a combo box and of a most-recently-used edit as the user meets it with the
// mouse and the keys: the edit keeps the focus whatever is clicked in the list, its scroll
// bar scrolls without closing it, a drag tracks and scrolls past the edge and the release
// decides, Escape puts back what the edit had when the list opened, and a second choice
// after leaving and coming back is the value as the first was.
#include "tests/editors/DropDownTestSupport.h"
#include "widgets/editors/cxMRUEdit.h"
#include "widgets/editors/cxPopupEdit.h"

namespace {

class DropDownListUserTest : public DropDownTest {
 protected:
  // A combo box with "item 0" .. "item 19" showing five rows, holding "item 2" unmodified.
  TcxComboBox* AddLong() {
    TcxComboBox* c = AddCombo({});
    for (int i = 0; i < 20; ++i)
      c->GetComboProperties()->GetItems()->Add("item " + std::to_string(i));
    c->GetComboProperties()->SetDropDownRows(5);
    c->SetEditValue(Variant("item 2"));
    host().PumpUntilIdle();
    return c;
  }
  bool EditFocused(TcxCustomEdit* e) { return GetFocus() == e->InnerControl()->GetHandle(); }
  static TPoint Centre(const TRect& R) { return {(R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2}; }
  static Integer TopIndex(TcxCustomEditListBox* AList) {
    return Integer(SendMessageA(AList->GetHandle(), LB_GETTOPINDEX, 0, 0));
  }
};

TEST_F(DropDownListUserTest, TheListsScrollBarScrollsItAndTheEditKeepsTheFocus) {
  TcxComboBox* c = AddLong();
  ClickButton(c);
  ASSERT_TRUE(c->GetDroppedDown());
  TcxCustomEditListBox* list = List(c);
  ASSERT_EQ(TopIndex(list), 0);
  // The bar's lower arrow, at the list's right edge: a click scrolls a row.
  const TRect r = ScreenRect(list);
  host().Click(nullptr, r.Right - 3, r.Bottom - 3);
  host().PumpUntilIdle();
  EXPECT_TRUE(c->GetDroppedDown());
  EXPECT_EQ(TopIndex(list), 1);
  EXPECT_TRUE(EditFocused(c));
  EXPECT_EQ(Text(c), "item 2");
  // Then a click on a row still chooses it.
  const TPoint p = Centre(list->ItemRect(4));
  host().MouseMove(list->GetHandle(), p.X, p.Y);
  host().Click(list->GetHandle(), p.X, p.Y);
  host().PumpUntilIdle();
  EXPECT_FALSE(c->GetDroppedDown());
  EXPECT_EQ(Text(c), "item 4");
  EXPECT_TRUE(EditFocused(c));
}

// The wheel turned over the open list scrolls the list; the text stays.
TEST_F(DropDownListUserTest, TheWheelOverTheOpenListScrollsIt) {
  TcxComboBox* c = AddLong();
  ClickButton(c);
  ASSERT_TRUE(c->GetDroppedDown());
  TcxCustomEditListBox* list = List(c);
  const TPoint p = Centre(list->ItemRect(1));
  host().Wheel(list->GetHandle(), p.X, p.Y, -WHEEL_DELTA);
  host().PumpUntilIdle();
  EXPECT_TRUE(c->GetDroppedDown());
  EXPECT_EQ(TopIndex(list), 3) << "three lines a notch";
  EXPECT_EQ(Text(c), "item 2");
  EXPECT_TRUE(EditFocused(c));
  host().Wheel(list->GetHandle(), p.X, p.Y, WHEEL_DELTA);
  host().PumpUntilIdle();
  EXPECT_EQ(TopIndex(list), 0);
  Key(VK_ESCAPE);
  // With the list closed the wheel steps the edit's item as before.
  host().Wheel(c->InnerControl()->GetHandle(), 5, 5, -WHEEL_DELTA);
  host().PumpUntilIdle();
  EXPECT_EQ(Text(c), "item 3");
}

// A sizeable list with the system panel: a press on its grip, on its frame and on its close
// button leaves the focus in the edit; the close button closes it choosing nothing.
TEST_F(DropDownListUserTest, TheListsGripFrameAndCloseButtonLeaveTheFocusInTheEdit) {
  TcxComboBox* c = AddLong();
  c->GetComboProperties()->SetDropDownSizeable(true);
  c->GetComboProperties()->SetPopupSysPanelStyle(true);
  ClickButton(c);
  ASSERT_TRUE(c->GetDroppedDown());
  TcxCustomEditPopupWindow* popup = c->PopupWindow();
  TcxCustomEditPopupWindowViewInfo* vi = popup->PopupViewInfo();
  ASSERT_FALSE(vi->SizeGripRect.IsEmpty());
  const TPoint grip = Centre(vi->SizeGripRect);
  host().Click(popup->GetHandle(), grip.X, grip.Y);
  host().PumpUntilIdle();
  EXPECT_TRUE(c->GetDroppedDown());
  EXPECT_TRUE(EditFocused(c));
  host().Click(popup->GetHandle(), 0, vi->Bounds.Height() / 2);
  host().PumpUntilIdle();
  EXPECT_TRUE(c->GetDroppedDown());
  EXPECT_TRUE(EditFocused(c));
  Key(VK_DOWN);
  ASSERT_FALSE(vi->CloseButtonRect.IsEmpty());
  const TPoint close = Centre(vi->CloseButtonRect);
  host().Click(popup->GetHandle(), close.X, close.Y);
  host().PumpUntilIdle();
  EXPECT_FALSE(c->GetDroppedDown());
  EXPECT_EQ(events.Reason, TcxEditCloseUpReason::crNone);
  EXPECT_EQ(Text(c), "item 2");
  EXPECT_TRUE(EditFocused(c));
}

// The right and the middle button on an item choose nothing and leave the focus in the edit.
TEST_F(DropDownListUserTest, OtherButtonsOnAnItemLeaveTheListOpenOnTheFocusedEdit) {
  TcxComboBox* c = AddLong();
  ClickButton(c);
  ASSERT_TRUE(c->GetDroppedDown());
  TcxCustomEditListBox* list = List(c);
  const TPoint p = Centre(list->ItemRect(4));
  for (MouseButton b : {MouseButton::Right, MouseButton::Middle}) {
    host().Click(list->GetHandle(), p.X, p.Y, b);
    host().PumpUntilIdle();
    EXPECT_TRUE(c->GetDroppedDown());
    EXPECT_TRUE(EditFocused(c));
    EXPECT_EQ(Text(c), "item 2");
  }
  Key(VK_ESCAPE);
  EXPECT_EQ(Text(c), "item 2");
}

// Pressed on a row and dragged below the list, the list scrolls a row every 50 ms; released
// back on a row it chooses that row; released beside the list it closes choosing nothing.
TEST_F(DropDownListUserTest, ADragPastTheListsEdgeScrollsItAndTheReleaseDecides) {
  TcxComboBox* c = AddLong();
  ClickButton(c);
  ASSERT_TRUE(c->GetDroppedDown());
  TcxCustomEditListBox* list = List(c);
  const HWND h = list->GetHandle();
  ASSERT_EQ(list->GetItemIndex(), 2);
  const TPoint first = Centre(list->ItemRect(0));
  host().MouseMove(h, first.X, first.Y);
  host().MouseDown(h, first.X, first.Y);
  host().PumpUntilIdle();
  EXPECT_EQ(list->GetItemIndex(), 0);
  host().MouseMove(h, first.X, list->GetClientHeight() + 6);
  host().PumpUntilIdle();
  EXPECT_EQ(list->GetItemIndex(), 5) << "the row below the last shown";
  host().Advance(50);
  host().Advance(50);
  EXPECT_EQ(list->GetItemIndex(), 7);
  EXPECT_EQ(TopIndex(list), 3);
  EXPECT_TRUE(c->GetDroppedDown());
  EXPECT_TRUE(EditFocused(c));
  EXPECT_EQ(Text(c), "item 2");
  const TPoint back = Centre(list->ItemRect(6));
  host().MouseMove(h, back.X, back.Y);
  host().Advance(200);
  EXPECT_EQ(TopIndex(list), 3) << "back over the rows, the scrolling stops";
  host().MouseUp(h, back.X, back.Y);
  host().PumpUntilIdle();
  EXPECT_FALSE(c->GetDroppedDown());
  EXPECT_EQ(Text(c), "item 6");
  EXPECT_EQ(events.Reason, TcxEditCloseUpReason::crEnter);
  EXPECT_TRUE(EditFocused(c));

  // Released beside the list: nothing is chosen, the list closes on the text it opened on.
  ClickButton(c);
  ASSERT_TRUE(c->GetDroppedDown());
  const TPoint top = Centre(list->ItemRect(TopIndex(list)));
  host().MouseMove(h, top.X, top.Y);
  host().MouseDown(h, top.X, top.Y);
  host().MouseMove(h, list->GetWidth() + 40, top.Y);
  host().MouseUp(h, list->GetWidth() + 40, top.Y);
  host().PumpUntilIdle();
  EXPECT_FALSE(c->GetDroppedDown());
  EXPECT_EQ(Text(c), "item 6");
  EXPECT_EQ(events.Reason, TcxEditCloseUpReason::crCancel);
  EXPECT_TRUE(EditFocused(c));
  EXPECT_EQ(c->GetItemIndex(), 6);
}

// Typed while the list is open (the first character opens it), the text goes back on Escape
// with the modified marks it had; a text typed with the list closed is what it opened on.
TEST_F(DropDownListUserTest, EscapeAfterTypingInTheOpenListPutsBackTheTextTheListOpenedOn) {
  TcxComboBox* c = AddLong();
  c->SelectAll();
  Type("item 1");
  ASSERT_TRUE(c->GetDroppedDown());
  ASSERT_EQ(Text(c).substr(0, 6), "item 1");
  events.Changes = 0;
  Key(VK_ESCAPE);
  EXPECT_FALSE(c->GetDroppedDown());
  EXPECT_EQ(Text(c), "item 2");
  EXPECT_EQ(events.Changes, 1) << "the text put back is a change";
  EXPECT_FALSE(c->GetDisplayValueModified());
  EXPECT_FALSE(c->GetEditModified());
  EXPECT_EQ(c->GetItemIndex(), 2);
  Key(VK_DOWN);
  EXPECT_EQ(Text(c), "item 3") << "the closed list steps from the text put back";

  c->GetComboProperties()->SetImmediateDropDown(false);
  c->SelectAll();
  Type("item 7");
  ASSERT_FALSE(c->GetDroppedDown());
  Key(VK_F4);
  Key(VK_DOWN);
  Type("x");
  Key(VK_ESCAPE);
  EXPECT_EQ(Text(c), "item 7");
  EXPECT_TRUE(c->GetDisplayValueModified());
  other->SetFocus();
  host().PumpUntilIdle();
  EXPECT_EQ(VarToStr(c->EditValue()), "item 7");
}

// A handler that frees the combo box as its list is cancelled (the text put back by Escape, a
// release beside the items) ends it there: nothing after it touches the edit or its list.
TEST_F(DropDownListUserTest, AHandlerFreeingTheEditAsTheListIsCancelledEndsThere) {
  for (bool byRelease : {false, true}) {
    SCOPED_TRACE(byRelease);
    TcxComboBox* c = AddLong();
    TDropDownFreer freer;
    if (byRelease) {
      ClickButton(c);
    } else {
      c->SelectAll();
      Type("item 1");
    }
    ASSERT_TRUE(c->GetDroppedDown());
    TcxCustomEditListBox* list = List(c);
    TWeakLink edit(c), listLink(list);
    freer.Victim = c;
    if (byRelease) {
      c->GetComboProperties()->OnCloseUp = {&freer, &TDropDownFreer::Notify};
      const TPoint p = Centre(list->ItemRect(0));
      host().MouseMove(list->GetHandle(), p.X, p.Y);
      host().MouseDown(list->GetHandle(), p.X, p.Y);
      host().MouseMove(list->GetHandle(), p.X, list->GetClientHeight() + 5);
      host().MouseUp(list->GetHandle(), list->GetWidth() + 20, p.Y);
    } else {
      c->GetComboProperties()->OnChange = {&freer, &TDropDownFreer::Notify};
      host().Key(VK_ESCAPE);
    }
    host().Advance(200);
    EXPECT_FALSE(edit.Alive());
    EXPECT_FALSE(listLink.Alive());
    EXPECT_EQ(freer.Runs, 1);
    if (edit.Alive()) c->Free();
  }
}

// A handler that frees the combo box as the program sets its item (the list open or closed)
// ends it there: nothing after it touches the edit's lookup data.
TEST_F(DropDownListUserTest, AHandlerFreeingTheEditAsTheProgramSetsItsItemEndsThere) {
  for (bool open : {false, true}) {
    SCOPED_TRACE(open);
    TcxComboBox* c = AddLong();
    if (open) ClickButton(c);
    ASSERT_EQ(c->GetDroppedDown(), open);
    TDropDownFreer freer;
    freer.Victim = c;
    c->GetComboProperties()->OnChange = {&freer, &TDropDownFreer::Notify};
    TWeakLink edit(c);
    c->SetItemIndex(5);
    host().Advance(200);
    EXPECT_FALSE(edit.Alive());
    EXPECT_EQ(freer.Runs, 1);
    if (edit.Alive()) c->Free();
  }
}

// The most-recently-used edit: what was typed into the open list goes on Escape and joins
// no list; an item chosen with the mouse goes to the top.
TEST_F(DropDownListUserTest, EscapeInAnMRUEditsListAddsNothing) {
  auto* e = New<TcxMRUEdit>(form);
  e->SetBounds(10, 40, 150, 21);
  e->SetParent(form);
  TStrings* items = e->GetMRUProperties()->GetLookupItems();
  for (const char* s : {"red", "green", "blue"}) items->Add(s);
  e->SetEditValue(Variant("green"));
  host().PumpUntilIdle();
  e->SetFocus();
  host().PumpUntilIdle();
  e->SelectAll();
  Type("bl");
  ASSERT_TRUE(e->GetDroppedDown());
  Key(VK_DOWN);
  Key(VK_ESCAPE);

  EXPECT_FALSE(e->GetDroppedDown());
  EXPECT_EQ(Text(e), "green");
  EXPECT_FALSE(e->GetDisplayValueModified());
  EXPECT_EQ(items->Strings(0), "red");
  EXPECT_EQ(items->Count(), 3);
  ClickButton(e);
  TcxCustomEditListBox* list = List(e);
  const TPoint p = Centre(list->ItemRect(2));
  host().MouseMove(list->GetHandle(), p.X, p.Y);
  host().Click(list->GetHandle(), p.X, p.Y);
  host().PumpUntilIdle();
  EXPECT_EQ(Text(e), "blue");
  EXPECT_EQ(items->Strings(0), "blue");
  EXPECT_TRUE(EditFocused(e));
}

// Chosen, left, chosen again: each choice is the value once the edit is left; with the mouse
// and with the keys, in the combo box and in the most-recently-used edit.
TEST_F(DropDownListUserTest, ASecondChoiceAfterLeavingIsTheValueAsTheFirstWas) {
  auto* mru = New<TcxMRUEdit>(form);
  mru->SetBounds(10, 40, 150, 21);
  mru->SetParent(form);
  for (const char* s : {"red", "green", "blue"}) mru->GetMRUProperties()->GetLookupItems()->Add(s);
  TcxComboBox* combo = AddCombo({"red", "green", "blue"});
  for (TcxCustomComboBox* c :
       {static_cast<TcxCustomComboBox*>(combo), static_cast<TcxCustomComboBox*>(mru)}) {
    SCOPED_TRACE(c->ClassName());
    c->SetFocus();
    host().PumpUntilIdle();
    // The most-recently-used edit moves a chosen item to the top: items go by their text.
    auto pick = [&](const String& text) {
      ClickButton(c);
      ASSERT_TRUE(c->GetDroppedDown());
      TcxCustomEditListBox* list = List(c);
      Integer index = 0;
      while (index < list->GetCount() && list->GetItemText(index) != text) ++index;
      ASSERT_LT(index, list->GetCount());
      const TPoint p = Centre(list->ItemRect(index));
      host().MouseMove(list->GetHandle(), p.X, p.Y);
      host().Click(list->GetHandle(), p.X, p.Y);
      host().PumpUntilIdle();
      EXPECT_FALSE(c->GetDroppedDown());
      EXPECT_TRUE(EditFocused(c));
      EXPECT_EQ(Text(c), text);
      other->SetFocus();
      host().PumpUntilIdle();
      EXPECT_EQ(VarToStr(c->EditValue()), text);
      c->SetFocus();
      host().PumpUntilIdle();
      host().Advance(GetDoubleClickTime() + 1);
    };
    pick("green");
    pick("blue");
    pick("red");
    Key(VK_F4);
    Key(VK_DOWN);
    Key(VK_RETURN);
    const String byKeys = Text(c);
    EXPECT_NE(byKeys, "red");
    other->SetFocus();
    host().PumpUntilIdle();
    EXPECT_EQ(VarToStr(c->EditValue()), byKeys);
  }
}

}  // namespace

namespace {

// The popup edit hosts a control that takes the focus: clicks on it, on its scroll bar and on
// the popup's own close button keep the popup open or close it as they should, and the focus
// is the edit's again once it closes.
class PopupEditUserTest : public DropDownTest {
 protected:
  TcxPopupEdit* AddPopupEdit() {
    list = New<TListBox>(form);
    list->SetBounds(200, 40, 120, 60);
    list->SetParent(form);
    for (int i = 0; i < 20; ++i) list->GetItems()->Add("row " + std::to_string(i));
    auto* e = New<TcxPopupEdit>(form);
    e->SetBounds(10, 10, 150, 21);
    e->SetParent(form);
    e->GetPopupProperties()->SetPopupControl(list);
    e->GetPopupProperties()->SetPopupAutoSize(true);
    e->GetPopupProperties()->SetPopupSysPanelStyle(true);
    events.Listen(e->GetPopupProperties());
    host().PumpUntilIdle();
    e->SetFocus();
    host().PumpUntilIdle();
    return e;
  }
  TListBox* list = nullptr;
};

TEST_F(PopupEditUserTest, ClicksInTheHostedControlKeepItOpenAndTheFocusComesBackToTheEdit) {
  TcxPopupEdit* e = AddPopupEdit();
  bool openAfterRow = false, openAfterBar = false, listFocused = false;
  Integer top = -1;
  host().WhenIdle([&] {
    const TRect row = list->ItemRect(1);
    host().Click(list->GetHandle(), row.Left + 5, (row.Top + row.Bottom) / 2);
    host().PumpUntilIdle();
    openAfterRow = e->GetDroppedDown();
    listFocused = GetFocus() == list->GetHandle();
    TRect r{};
    GetWindowRect(list->GetHandle(), &r);
    host().Click(nullptr, r.Right - 3, r.Bottom - 3);
    host().PumpUntilIdle();
    openAfterBar = e->GetDroppedDown();
    top = list->GetTopIndex();
    host().Key(VK_F4);
  });
  Key(VK_F4);
  EXPECT_TRUE(openAfterRow);
  EXPECT_TRUE(listFocused) << "the hosted control takes the focus while open";
  EXPECT_TRUE(openAfterBar);
  EXPECT_EQ(top, 1);
  EXPECT_FALSE(e->GetDroppedDown());
  EXPECT_EQ(events.Reason, TcxEditCloseUpReason::crClose);
  EXPECT_EQ(GetFocus(), e->InnerControl()->GetHandle());
  EXPECT_EQ(list->GetItemIndex(), 1);

  // The popup's close button.
  host().WhenIdle([&] {
    TcxCustomEditPopupWindow* popup = e->PopupWindow();
    const TRect b = popup->PopupViewInfo()->CloseButtonRect;
    ASSERT_FALSE(b.IsEmpty());
    host().Click(popup->GetHandle(), (b.Left + b.Right) / 2, (b.Top + b.Bottom) / 2);
    host().PumpUntilIdle();
    if (e->GetDroppedDown()) host().Key(VK_ESCAPE);
  });
  Key(VK_F4);
  EXPECT_FALSE(e->GetDroppedDown());
  EXPECT_EQ(events.Reason, TcxEditCloseUpReason::crNone);
  EXPECT_EQ(GetFocus(), e->InnerControl()->GetHandle());
}

}  // namespace
