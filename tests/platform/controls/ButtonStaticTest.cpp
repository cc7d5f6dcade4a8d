// Buttons (push, check, radio groups, owner draw) and static text.
#include "platform/gdi/Surface.h"
#include "tests/platform/controls/ControlTestUtil.h"

class ButtonTest : public ControlTest {};

TEST_F(ButtonTest, PushButtonClicksOnReleaseInsideOnly) {
  HWND b = Child("BUTTON", "OK", BS_PUSHBUTTON, 10, 10, 80, 24, 11);
  host().PumpUntilIdle();
  notes.clear();
  in().MouseDown(b, 5, 5);
  EXPECT_EQ(SendMessageA(b, BM_GETSTATE, 0, 0) & BST_PUSHED, BST_PUSHED);
  // Dragged out: not pushed, and releasing outside clicks nothing.
  in().MouseMove(b, 200, 5);
  in().MouseUp(b, 200, 5);
  EXPECT_TRUE(notes.empty());
  in().Click(b, 5, 5);
  EXPECT_EQ(Codes(11), std::vector<WORD>{BN_CLICKED});
  // Space pushes on the key going down and clicks when it comes up.
  SetFocus(b);
  in().KeyDown(VK_SPACE);
  EXPECT_TRUE(notes.empty());
  in().KeyUp(VK_SPACE);
  EXPECT_EQ(Codes(11), std::vector<WORD>{BN_CLICKED});
  EnableWindow(b, FALSE);
  SendMessageA(b, BM_CLICK, 0, 0);
  EXPECT_TRUE(notes.empty());
}

TEST_F(ButtonTest, CheckBoxesAndRadioGroups) {
  HWND check = Child("BUTTON", "check", BS_AUTOCHECKBOX | WS_GROUP, 10, 10, 100, 20, 1);
  HWND manual = Child("BUTTON", "manual", BS_CHECKBOX, 10, 40, 100, 20, 2);
  HWND r1 = Child("BUTTON", "r1", BS_AUTORADIOBUTTON | WS_GROUP, 10, 70, 100, 20, 3);
  HWND r2 = Child("BUTTON", "r2", BS_AUTORADIOBUTTON, 10, 100, 100, 20, 4);
  HWND r3 = Child("BUTTON", "r3", BS_AUTORADIOBUTTON, 10, 130, 100, 20, 5);
  HWND other = Child("BUTTON", "other", BS_AUTORADIOBUTTON | WS_GROUP, 10, 160, 100, 20, 6);
  for (LRESULT want : {BST_CHECKED, BST_UNCHECKED}) {
    SendMessageA(check, BM_CLICK, 0, 0);
    EXPECT_EQ(SendMessageA(check, BM_GETCHECK, 0, 0), want);
  }
  // A plain check box only notifies; the owner decides.
  SendMessageA(manual, BM_CLICK, 0, 0);
  EXPECT_EQ(SendMessageA(manual, BM_GETCHECK, 0, 0), BST_UNCHECKED);

  SendMessageA(other, BM_SETCHECK, BST_CHECKED, 0);
  SendMessageA(r1, BM_CLICK, 0, 0);
  SendMessageA(r3, BM_CLICK, 0, 0);
  auto checks = [&] {
    std::vector<LRESULT> out;
    for (HWND h : {r1, r2, r3, other}) out.push_back(SendMessageA(h, BM_GETCHECK, 0, 0));
    return out;
  };
  // `other` is in another group.
  EXPECT_EQ(checks(), (std::vector<LRESULT>{BST_UNCHECKED, BST_UNCHECKED, BST_CHECKED, BST_CHECKED}));
  notes.clear();
  in().Click(r2, 3, 3);
  EXPECT_EQ(checks(), (std::vector<LRESULT>{BST_UNCHECKED, BST_CHECKED, BST_UNCHECKED, BST_CHECKED}));
  EXPECT_EQ(Codes(4), std::vector<WORD>{BN_CLICKED});
}

TEST_F(ButtonTest, ARadioButtonIsATabStopExactlyWhileChecked) {
  HWND radio = Child("BUTTON", "r", BS_RADIOBUTTON, 10, 10, 100, 20, 1);
  HWND box = Child("BUTTON", "c", BS_CHECKBOX, 10, 40, 100, 20, 2);
  HWND a = Child("BUTTON", "a", BS_AUTORADIOBUTTON | WS_GROUP, 10, 70, 100, 20, 3);
  HWND b = Child("BUTTON", "b", BS_AUTORADIOBUTTON, 10, 100, 100, 20, 4);
  auto stop = [](HWND h) { return (GetWindowLongA(h, GWL_STYLE) & WS_TABSTOP) != 0; };
  SendMessageA(radio, BM_SETCHECK, BST_CHECKED, 0);
  SendMessageA(box, BM_SETCHECK, BST_CHECKED, 0);
  EXPECT_EQ(std::pair(stop(radio), stop(box)), std::pair(true, false));
  SendMessageA(radio, BM_SETCHECK, BST_UNCHECKED, 0);
  EXPECT_FALSE(stop(radio));
  // Clicking moves the stop within the group.
  SendMessageA(a, BM_CLICK, 0, 0);
  SendMessageA(b, BM_CLICK, 0, 0);
  EXPECT_EQ(std::pair(stop(a), stop(b)), std::pair(false, true));
}

TEST_F(ButtonTest, EachKindAnswersItsDialogCodeAndKeepsOrIgnoresChecks) {
  const std::tuple<DWORD, LRESULT, LRESULT> kinds[] = {
      {BS_PUSHBUTTON, DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON, BST_UNCHECKED},
      {BS_DEFPUSHBUTTON, DLGC_BUTTON | DLGC_DEFPUSHBUTTON, BST_UNCHECKED},
      {BS_CHECKBOX, DLGC_BUTTON, BST_CHECKED},
      {BS_AUTO3STATE, DLGC_BUTTON, BST_CHECKED},
      {BS_AUTORADIOBUTTON, DLGC_BUTTON | DLGC_RADIOBUTTON, BST_CHECKED},
      {BS_GROUPBOX, DLGC_STATIC, BST_UNCHECKED},
      {BS_OWNERDRAW, DLGC_BUTTON, BST_UNCHECKED}};
  for (auto [kind, code, checked] : kinds) {
    HWND b = Child("BUTTON", "b", kind, 10, 10, 80, 24);
    EXPECT_EQ(SendMessageA(b, WM_GETDLGCODE, 0, 0), code) << kind;
    SendMessageA(b, BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_EQ(SendMessageA(b, BM_GETCHECK, 0, 0), checked) << kind;
    // Pushing is a state of its own and leaves the style alone.
    DWORD style = DWORD(GetWindowLongA(b, GWL_STYLE)) & ~WS_TABSTOP;
    SendMessageA(b, BM_SETSTATE, TRUE, 0);
    EXPECT_EQ(SendMessageA(b, BM_GETSTATE, 0, 0) & BST_PUSHED, BST_PUSHED) << kind;
    EXPECT_EQ(DWORD(GetWindowLongA(b, GWL_STYLE)) & ~WS_TABSTOP, style);
    DestroyWindow(b);
  }
}

TEST_F(ButtonTest, TheSpaceKeyHoldsTheMouseUntilItComesUp) {
  HWND b = Child("BUTTON", "b", BS_CHECKBOX, 10, 10, 80, 24, 3);
  SetFocus(b);
  SendMessageA(b, WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_EQ(GetCapture(), b);
  notes.clear();
  SendMessageA(b, WM_KEYUP, VK_SPACE, 0);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(Codes(3), std::vector<WORD>{BN_CLICKED});
  // Losing the focus while the key is down lets the mouse go without a click.
  SendMessageA(b, WM_KEYDOWN, VK_SPACE, 0);
  SetFocus(nullptr);
  EXPECT_EQ(GetCapture(), nullptr);
  SendMessageA(b, WM_KEYUP, VK_SPACE, 0);
  EXPECT_TRUE(Codes(3).empty());
}

TEST_F(ButtonTest, StaticTextIsTransparentToClicksAndRepaintsOnNewText) {
  HWND s = Child("STATIC", "&Name", SS_LEFT, 10, 10, 100, 20, 13);
  host().PumpUntilIdle();
  EXPECT_EQ(SendMessageA(s, WM_NCHITTEST, 0, MAKELPARAM(70, 70)), HTTRANSPARENT);
  HWND n = Child("STATIC", "x", SS_NOTIFY, 10, 40, 100, 20, 14);
  EXPECT_NE(SendMessageA(n, WM_NCHITTEST, 0, MAKELPARAM(70, 100)), HTTRANSPARENT);
  // The text uses the window text colour over the parent's static brush.
  Pixel face = PixelFromColor(GetSysColor(COLOR_BTNFACE));
  auto inked = [&] {
    int n = 0;
    for (int x = 0; x < 40; ++x)
      for (int y = 0; y < 20; ++y) n += host().PixelAt(s, x, y) != face;
    return n;
  };
  EXPECT_GT(inked(), 0);
  SetWindowTextA(s, "");
  host().PumpUntilIdle();
  EXPECT_EQ(inked(), 0);
}

TEST_F(ButtonTest, EveryStaticPaintAsksTheParentForColoursOnAClippedDC) {
  int asked = 0, clipped = 0;
  onMessage = [&](UINT m, WPARAM w, LPARAM, LRESULT&) {
    if (m == WM_CTLCOLORSTATIC) {
      asked++;
      HRGN rgn = CreateRectRgn(0, 0, 1, 1);
      clipped += GetClipRgn(reinterpret_cast<HDC>(w), rgn) == 1;
      DeleteObject(rgn);
    }
    return false;
  };
  HWND s = Child("STATIC", "Test", SS_LEFT, 5, 5, 100, 100);
  host().PumpUntilIdle();
  asked = clipped = 0;
  // The parent clips no children, so its invalid area reaches the control.
  RECT part{5, 5, 30, 30};
  for (auto [target, area] : {std::pair{parent, static_cast<RECT*>(nullptr)}, {parent, &part}, {s, &part}, {s, nullptr}}) {
    InvalidateRect(target, area, FALSE);
    UpdateWindow(target);
  }
  EXPECT_EQ(std::pair(asked, clipped), std::pair(4, 4));
  onMessage = nullptr;
}
