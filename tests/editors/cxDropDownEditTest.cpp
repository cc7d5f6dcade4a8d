// What every drop-down edit shares, shown on the combo box and the popup edit: placing and
// fitting the popup beside the edit, the grip corner, sizing with the mouse, the system
// panel's close button, the show request and Tab.
#include "widgets/editors/cxPopupEdit.h"

#include "tests/editors/DropDownTestSupport.h"

namespace {

class DropDownEditTest : public DropDownTest {
 protected:
  TcxComboBox* AddItems(TcxComboBox* c, int n) {
    for (int i = 0; i < n; ++i) c->GetComboProperties()->GetItems()->Add("item " + std::to_string(i));
    return c;
  }
};

TEST_F(DropDownEditTest, OpensBelowTheEditOrAboveItWhenOnlyThereIsRoom) {
  TcxComboBox* c = AddItems(AddCombo({}), 20);
  Key(VK_F4);
  TRect edit = ScreenRect(c), popup = ScreenRect(c->PopupWindow());
  EXPECT_EQ(popup.Top, edit.Bottom);
  EXPECT_EQ(popup.Left, edit.Left);
  EXPECT_EQ(c->PopupWindow()->PopupViewInfo()->SizeGripCorner, cxPopupGripBottomRight);
  Key(VK_F4);

  // Near the bottom of the work area the list opens above and its grip goes to a top corner.
  form->SetTop(host().WorkArea().Bottom - 120);
  host().PumpUntilIdle();
  Key(VK_F4);
  edit = ScreenRect(c);
  popup = ScreenRect(c->PopupWindow());
  EXPECT_EQ(popup.Bottom, edit.Top);
  EXPECT_EQ(c->PopupWindow()->PopupViewInfo()->SizeGripCorner, cxPopupGripTopRight);
  EXPECT_EQ(List(c)->GetClientHeight(), 8 * List(c)->GetItemHeight(-1)) << "eight rows still fit above";
  Key(VK_F4);
}

TEST_F(DropDownEditTest, ARowsListLargerThanTheWorkAreaLosesRowsToFitIt) {
  TcxComboBox* c = AddItems(AddCombo({}), 100);
  c->GetComboProperties()->SetDropDownRows(100);
  const TRect edit = ScreenRect(c);
  const TRect area = host().WorkArea();
  Key(VK_F4);
  const TRect popup = ScreenRect(c->PopupWindow());
  const Integer row = List(c)->GetItemHeight(-1);
  EXPECT_GE(popup.Top, area.Top);
  EXPECT_LE(popup.Bottom, area.Bottom);
  EXPECT_EQ(popup.Top, edit.Bottom) << "below, where there is more room";
  EXPECT_EQ(List(c)->GetClientHeight() % row, 0) << "whole rows";
  EXPECT_LT(area.Bottom - popup.Bottom, row + 4) << "as many rows as the room takes";
  EXPECT_TRUE(GetWindowLongA(List(c)->GetHandle(), GWL_STYLE) & WS_VSCROLL);
}

TEST_F(DropDownEditTest, AWideItemWidensTheListAndAFixedWidthKeepsIt) {
  TcxComboBox* c = AddCombo({"a", "a much longer item than the edit is wide, by far"});
  Key(VK_F4);
  const Integer wide = c->PopupWindow()->GetWidth();
  EXPECT_GT(wide, c->GetWidth());
  EXPECT_EQ(List(c)->GetClientWidth(),
            List(c)->Canvas()->TextWidth("a much longer item than the edit is wide, by far") + 4);
  Key(VK_F4);
  c->GetComboProperties()->SetDropDownAutoWidth(false);
  c->GetComboProperties()->SetDropDownWidth(90);
  Key(VK_F4);
  EXPECT_EQ(c->PopupWindow()->GetWidth(), 90);
  Key(VK_F4);
}

TEST_F(DropDownEditTest, DroppedDownTwiceBeforeTheShowShowsOnce) {
  TcxComboBox* c = AddCombo({"one", "two"});
  c->SetDroppedDown(true);
  c->SetDroppedDown(true);
  EXPECT_TRUE(c->IsShowRequestQueued());
  host().PumpUntilIdle();
  EXPECT_TRUE(c->GetDroppedDown());
  EXPECT_EQ(events.Popups, 1);
  c->SetDroppedDown(false);
  EXPECT_FALSE(c->GetDroppedDown());
  EXPECT_EQ(events.Reason, TcxEditCloseUpReason::crNone);
}

TEST_F(DropDownEditTest, TabTakesTheHighlightedItemOnlyWithPostPopupValueOnTab) {
  TcxComboBox* c = AddCombo({"one", "two"});
  c->GetComboProperties()->SetPostPopupValueOnTab(true);
  Key(VK_F4);
  Key(VK_DOWN);
  Key(VK_TAB);
  EXPECT_FALSE(c->GetDroppedDown());
  EXPECT_EQ(events.Reason, TcxEditCloseUpReason::crTab);
  EXPECT_EQ(Text(c), "one");

  c->SetFocus();
  host().PumpUntilIdle();
  c->GetComboProperties()->SetPostPopupValueOnTab(false);
  Key(VK_F4);
  Key(VK_DOWN);
  Key(VK_TAB);
  EXPECT_FALSE(c->GetDroppedDown()) << "the focus left: the popup closed";
  EXPECT_EQ(events.Reason, TcxEditCloseUpReason::crNone);
  EXPECT_EQ(Text(c), "one");
  EXPECT_EQ(GetFocus(), other->GetHandle());
}

class DropDownSizingTest : public DropDownEditTest {
 protected:
  TcxPopupEdit* AddPopupEdit() {
    control = New<TListBox>(form);
    control->SetBounds(200, 40, 160, 130);
    control->SetParent(form);
    auto* e = New<TcxPopupEdit>(form);
    e->SetBounds(10, 10, 150, 21);
    e->SetParent(form);
    e->GetPopupProperties()->SetPopupControl(control);
    events.Listen(e->GetPopupProperties());
    host().PumpUntilIdle();
    e->SetFocus();
    host().PumpUntilIdle();
    return e;
  }
  TListBox* control = nullptr;
};

TEST_F(DropDownSizingTest, DraggingTheCornerStopsAtTheMinimumAndTheSizeIsKept) {
  TcxPopupEdit* e = AddPopupEdit();
  e->GetPopupProperties()->SetPopupMinWidth(120);
  e->GetPopupProperties()->SetPopupMinHeight(110);
  TRect before{}, after{};
  host().WhenIdle([&] {
    const HWND h = e->PopupWindow()->GetHandle();
    GetWindowRect(h, &before);
    const Integer w = before.Width(), ht = before.Height();
    host().MouseDown(h, w - 1, ht - 1);
    host().MouseMove(h, w - 100, ht - 100);
    host().MouseUp(h, w - 100, ht - 100);
    host().WhenIdle([&] {
      GetWindowRect(e->PopupWindow()->GetHandle(), &after);
      host().Key(VK_ESCAPE);
    });
  });
  Key(VK_F4);
  EXPECT_EQ(before.Width(), 162) << "the control and a one-pixel border";
  EXPECT_EQ(after.Left, before.Left);
  EXPECT_EQ(after.Top, before.Top);
  EXPECT_EQ(after.Width(), 120);
  EXPECT_EQ(after.Height(), 110);
  EXPECT_EQ(e->GetPopupProperties()->GetPopupWidth(), 120) << "a resized popup keeps its size";
  EXPECT_EQ(e->GetPopupProperties()->GetPopupHeight(), 110);
  EXPECT_EQ(control->GetParent(), form);
}

TEST_F(DropDownSizingTest, DroppedDownClearedBeforeTheShowShowsNothing) {
  TcxPopupEdit* e = AddPopupEdit();
  e->SetDroppedDown(true);
  ASSERT_TRUE(e->IsShowRequestQueued());
  EXPECT_EQ(control->GetParent(), e->PopupWindow());
  e->SetDroppedDown(false);
  EXPECT_FALSE(e->IsShowRequestQueued());
  host().PumpUntilIdle();
  EXPECT_FALSE(e->GetDroppedDown());
  EXPECT_EQ(events.Popups, 0);
  EXPECT_EQ(control->GetParent(), form) << "the control is back where it was";
  EXPECT_EQ(control->GetBoundsRect(), (TRect{200, 40, 360, 170}));
}

TEST_F(DropDownSizingTest, TheSystemPanelsCloseButtonClosesWithoutAReason) {
  TcxPopupEdit* e = AddPopupEdit();
  e->GetPopupProperties()->SetPopupSysPanelStyle(true);
  TRect panel{}, client{};
  host().WhenIdle([&] {
    TcxCustomEditPopupWindowViewInfo* vi = e->PopupWindow()->PopupViewInfo();
    panel = vi->SysPanelRect;
    client = vi->ClientRect;
    const TRect b = vi->CloseButtonRect;
    host().Click(e->PopupWindow()->GetHandle(), (b.Left + b.Right) / 2, (b.Top + b.Bottom) / 2);
  });
  Key(VK_F4);
  EXPECT_FALSE(e->GetDroppedDown());
  EXPECT_EQ(events.Reason, TcxEditCloseUpReason::crNone);
  EXPECT_EQ(events.CloseUps, 1);
  EXPECT_EQ(panel.Top, client.Bottom + 1) << "below the client area, past the dividing line";
  EXPECT_EQ(panel.Height(), std::max(GetSystemMetrics(SM_CYHSCROLL), GetSystemMetrics(SM_CYSIZE)));
}

}  // namespace

namespace {

TEST_F(DropDownEditTest, ASizeableListSnapsToWholeRowsAndKeepsItsSize) {
  TcxComboBox* c = AddItems(AddCombo({}), 30);
  c->GetComboProperties()->SetDropDownSizeable(true);
  Key(VK_F4);
  TcxCustomEditPopupWindow* popup = c->PopupWindow();
  const HWND h = popup->GetHandle();
  const Integer row = List(c)->GetItemHeight(-1);
  const TRect before = ScreenRect(popup);
  const TRect grip = popup->PopupViewInfo()->SizeGripRect;
  EXPECT_TRUE(grip.IsEmpty()) << "no system panel, no grip: the borders size it";
  const Integer w = before.Width(), ht = before.Height();
  host().MouseDown(h, w - 1, ht - 1);
  host().MouseMove(h, w + 39, ht + 3 * row + row / 2);
  host().MouseUp(h, w + 39, ht + 3 * row + row / 2);
  host().PumpUntilIdle();
  ASSERT_TRUE(c->GetDroppedDown()) << "sizing keeps the list open";
  const TRect after = ScreenRect(popup);
  EXPECT_EQ(after.Width(), w + 40);
  EXPECT_EQ(after.Height(), ht + 3 * row) << "whole rows only";
  EXPECT_EQ(List(c)->GetClientHeight(), 11 * row);
  Key(VK_ESCAPE);
  EXPECT_EQ(c->GetComboProperties()->GetDropDownWidth(), w + 40);
  Key(VK_F4);
  EXPECT_EQ(ScreenRect(popup).Width(), w + 40);
  EXPECT_EQ(ScreenRect(popup).Height(), ht + 3 * row) << "opened again at the size it was given";
}

}  // namespace

namespace {

TEST_F(DropDownEditTest, AShadowedPopupIsShapedAndCastsNoShadowOnTheEditAboveIt) {
  TcxComboBox* c = AddItems(AddCombo({}), 5);
  c->GetStyle()->SetShadow(true);
  host().PumpUntilIdle();
  auto inRegion = [&](Integer x, Integer y) {
    HRGN rgn = CreateRectRgn(0, 0, 0, 0);
    const bool has = GetWindowRgn(c->PopupWindow()->GetHandle(), rgn) != ERROR && PtInRegion(rgn, x, y);
    DeleteObject(rgn);
    return has;
  };
  Key(VK_F4);
  Integer w = c->PopupWindow()->GetWidth(), h = c->PopupWindow()->GetHeight();
  EXPECT_EQ(w, c->GetWidth() + 3) << "as wide as the edit with its shadow";
  EXPECT_TRUE(inRegion(w - 1, h - 1)) << "the shadow's corner";
  EXPECT_FALSE(inRegion(w - 1, 0)) << "beside the shadow";
  EXPECT_TRUE(inRegion(4, h - 1));
  Key(VK_F4);

  form->SetTop(host().WorkArea().Bottom - 90);
  host().PumpUntilIdle();
  Key(VK_F4);
  ASSERT_EQ(c->PopupWindow()->PopupViewInfo()->SizeGripCorner, cxPopupGripTopRight);
  w = c->PopupWindow()->GetWidth();
  h = c->PopupWindow()->GetHeight();
  EXPECT_EQ(ScreenRect(c->PopupWindow()).Bottom, ScreenRect(c).Top + 3) << "moved down over the shadow row";
  EXPECT_FALSE(inRegion(4, h - 1)) << "no shadow over the edit below";
  EXPECT_TRUE(inRegion(w - 1, h - 1)) << "beyond the edit's right edge the shadow stays";
}

}  // namespace

namespace {

TEST_F(DropDownSizingTest, AnInPlacePopupEditOpensOnActivationAndACharacterGoesToTheControl) {
  control = New<TListBox>(form);
  control->SetBounds(200, 40, 160, 130);
  control->SetParent(form);
  control->GetItems()->Add("apple");
  control->GetItems()->Add("pear");
  auto* e = New<TcxPopupEdit>(form, true);
  e->SetBounds(10, 10, 150, 21);
  e->SetParent(form);
  e->GetPopupProperties()->SetPopupControl(control);
  events.Listen(e->GetPopupProperties());
  host().PumpUntilIdle();
  TcxCustomEditData* data = nullptr;
  Integer selected = -2;
  host().WhenIdle([&] { host().Key(VK_ESCAPE); });
  e->Activate(data);
  host().PumpUntilIdle();
  EXPECT_EQ(events.Popups, 1) << "ImmediatePopup";

  e->GetPopupProperties()->SetImmediatePopup(false);
  host().WhenIdle([&] {
    selected = control->GetItemIndex();
    host().Key(VK_ESCAPE);
  });
  e->ActivateByKey('p', data);
  host().PumpUntilIdle();
  EXPECT_EQ(events.Popups, 2) << "a typed character opens it";
  EXPECT_EQ(selected, 1) << "and is typed into the control";
  if (data) data->Free();
}

}  // namespace
