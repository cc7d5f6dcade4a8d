// Focus, activation, capture and the input path: routing by capture, z-order and window
// regions, double clicks, key state, the wheel and mouse-leave tracking.
#include "platform/gdi/Gdi.h"
#include "tests/platform/user/UserTestUtil.h"
#include "tests/support/UserTest.h"

#include <tuple>
#include <utility>

class InputTest : public RecorderTest {
 protected:
  void SetUp() override {
    RecorderTest::SetUp();
    form = rec.Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 400, 300, nullptr, 0, "", CS_DBLCLKS);
    left = rec.Create(WS_CHILD | WS_VISIBLE, 10, 10, 100, 100, form, 0, "", CS_DBLCLKS);
    right = rec.Create(WS_CHILD | WS_VISIBLE, 200, 10, 100, 100, form, 0, "", CS_DBLCLKS);
    host().PumpUntilIdle();
    rec.Clear();
  }
  Logged Of(UINT msg) const { return rec.Of(msg); }
  // The window that gets the button-down of a fresh click.
  HWND DownAt(HWND w, int x, int y) {
    rec.Clear();
    in().Click(w, x, y);
    const Logged downs = Of(WM_LBUTTONDOWN);
    return downs.empty() ? nullptr : downs[0].hwnd;
  }
  PumpedInput in() { return PumpedInput(host()); }
  // Puts the pointer inside `left` and asks to hear when it leaves.
  TRACKMOUSEEVENT TrackLeaveOfLeft() {
    in().MouseMove(left, 5, 5);
    TRACKMOUSEEVENT tme;
    tme.dwFlags = TME_LEAVE;
    tme.hwndTrack = left;
    EXPECT_TRUE(TrackMouseEvent(&tme));
    return tme;
  }
  LPARAM ScreenPoint(HWND h, int x, int y) {
    POINT p{x, y};
    ClientToScreen(h, &p);
    return MAKELPARAM(WORD(p.X), WORD(p.Y));
  }
  HWND form = nullptr, left = nullptr, right = nullptr;
};

TEST_F(InputTest, FocusChangeOrderCarriesTheOtherWindow) {
  SetFocus(left);
  rec.Clear();
  EXPECT_EQ(SetFocus(right), left);
  EXPECT_EQ(rec.log, (Logged{{left, WM_KILLFOCUS, reinterpret_cast<WPARAM>(right), 0},
                             {right, WM_SETFOCUS, reinterpret_cast<WPARAM>(left), 0}}));
  EXPECT_EQ(GetFocus(), right);
  // A focus change made by the losing window wins.
  rec.handler = [&](HWND h, UINT m, WPARAM, LPARAM, LRESULT&) {
    if (h == right && m == WM_KILLFOCUS) SetFocus(form);
    return false;
  };
  SetFocus(left);
  EXPECT_EQ(GetFocus(), form);
  // The nested change ran to its end; the outer one stops and `left` never hears of it.
  EXPECT_EQ(rec.Count(left, WM_SETFOCUS), 0);
  EXPECT_EQ(rec.Count(form, WM_SETFOCUS), 1);
}

TEST_F(InputTest, ActivationMovesBetweenTopLevelWindows) {
  HWND other = rec.Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 600, 100, 200, 200);
  EXPECT_EQ(GetActiveWindow(), other);
  rec.Clear();
  EXPECT_EQ(SetActiveWindow(form), other);
  EXPECT_EQ(rec.Sequence({WM_NCACTIVATE, WM_ACTIVATE, WM_SETFOCUS, WM_KILLFOCUS}),
            (Sent{{other, WM_NCACTIVATE}, {other, WM_ACTIVATE}, {form, WM_NCACTIVATE}, {form, WM_ACTIVATE},
                  {other, WM_KILLFOCUS}, {form, WM_SETFOCUS}}));
  EXPECT_EQ(Of(WM_ACTIVATE), (Logged{{other, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(form)},
                                     {form, WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(other)}}));
  EXPECT_EQ(rec.Count(form, WM_ACTIVATEAPP), 0);   // the application stayed active
  // Destroying the active window activates another one.
  DestroyWindow(form);
  form = nullptr;
  EXPECT_EQ(GetActiveWindow(), other);
  DestroyWindow(other);
  EXPECT_EQ(GetActiveWindow(), nullptr);
  EXPECT_EQ(GetFocus(), nullptr);
}

TEST_F(InputTest, APressIsToldToEachAncestorBeforeTheChildSeesIt) {
  HWND inner = rec.Create(WS_CHILD | WS_VISIBLE, 20, 30, 40, 40, left);
  host().PumpUntilIdle();
  rec.Clear();
  in().Click(inner, 5, 6);
  // The point is in each ancestor's client coordinates; `left` lies at (10, 10) in `form`.
  EXPECT_EQ(Of(WM_PARENTNOTIFY), (Logged{{left, WM_PARENTNOTIFY, WM_LBUTTONDOWN, MAKELPARAM(25, 36)},
                                         {form, WM_PARENTNOTIFY, WM_LBUTTONDOWN, MAKELPARAM(35, 46)}}));
  EXPECT_EQ(rec.Sequence({WM_PARENTNOTIFY, WM_LBUTTONDOWN, WM_LBUTTONUP}),
            (Sent{{left, WM_PARENTNOTIFY}, {form, WM_PARENTNOTIFY}, {inner, WM_LBUTTONDOWN}, {inner, WM_LBUTTONUP}}));
  // A double click is still told as a plain press.
  rec.Clear();
  in().DoubleClick(right, 3, 4);
  EXPECT_EQ(Of(WM_PARENTNOTIFY), (Logged{{form, WM_PARENTNOTIFY, WM_LBUTTONDOWN, MAKELPARAM(203, 14)},
                                         {form, WM_PARENTNOTIFY, WM_LBUTTONDOWN, MAKELPARAM(203, 14)}}));
  EXPECT_EQ(rec.Count(right, WM_LBUTTONDBLCLK), 1);
  // A window that asks not to notify stops the chain at itself.
  SetWindowLongA(left, GWL_EXSTYLE, WS_EX_NOPARENTNOTIFY);
  rec.Clear();
  Clock().Advance(GetDoubleClickTime() + 1);
  in().Click(inner, 5, 6);
  EXPECT_EQ(rec.Sequence({WM_PARENTNOTIFY}), (Sent{{left, WM_PARENTNOTIFY}}));
  SetWindowLongA(inner, GWL_EXSTYLE, WS_EX_NOPARENTNOTIFY);
  rec.Clear();
  in().Click(inner, 5, 6);
  EXPECT_TRUE(Of(WM_PARENTNOTIFY).empty());
}

TEST_F(InputTest, ClicksGoToTheTopmostWindowUnderThePoint) {
  in().Click(left, 5, 6);
  EXPECT_EQ(Of(WM_LBUTTONDOWN), (Logged{{left, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 6)}}));
  // An overlapping sibling on top takes the click; hidden and disabled children are looked through.
  HWND over = rec.Create(WS_CHILD | WS_VISIBLE, 50, 50, 100, 100, form);
  EXPECT_EQ(DownAt(left, 60, 60), left);   // a new child goes below its siblings
  BringWindowToTop(over);
  EXPECT_EQ(DownAt(left, 60, 60), over);
  ShowWindow(over, SW_HIDE);
  EnableWindow(left, FALSE);
  EXPECT_EQ(DownAt(left, 60, 60), form);
}

TEST_F(InputTest, WindowRegionsShapeHitTesting) {
  // Only a 20x20 square in the middle of `left` belongs to it.
  SetWindowRgn(left, CreateRectRgn(40, 40, 60, 60), TRUE);
  host().Click(left, 5, 5);
  in().Click(left, 45, 45);
  auto downs = Of(WM_LBUTTONDOWN);
  ASSERT_EQ(downs.size(), 2u);
  EXPECT_EQ(std::pair(downs[0].hwnd, downs[1].hwnd), std::pair(form, left));
}

TEST_F(InputTest, TransparentHitTestPassesToTheWindowBelow) {
  HWND glass = rec.Create(WS_CHILD | WS_VISIBLE, 0, 0, 400, 300, form);
  rec.handler = Answer(glass, WM_NCHITTEST, HTTRANSPARENT);
  EXPECT_EQ(DownAt(right, 3, 3), right);
}

TEST_F(InputTest, CaptureTakesAllMouseInput) {
  rec.handler = [&](HWND h, UINT m, WPARAM, LPARAM, LRESULT&) {
    if (m == WM_LBUTTONDOWN) SetCapture(h);
    if (m == WM_LBUTTONUP) ReleaseCapture();
    return false;
  };
  host().MouseDown(left, 5, 5);
  host().MouseMove(right, 5, 5);     // over another window
  host().MouseMove(nullptr, 5, 5);   // outside the form, far left on the screen
  in().MouseUp(nullptr, 5, 5);
  auto moves = Of(WM_MOUSEMOVE);
  ASSERT_GE(moves.size(), 2u);
  for (auto& m : moves) EXPECT_EQ(m.hwnd, left);
  EXPECT_LT(GET_X_LPARAM(moves.back().lParam), 0);   // negative client coordinates arrive intact
  EXPECT_EQ(Of(WM_LBUTTONUP), (Logged{{left, WM_LBUTTONUP, 0, moves.back().lParam}}));
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(Of(WM_CAPTURECHANGED), (Logged{{left, WM_CAPTURECHANGED, 0, 0}}));
}

TEST_F(InputTest, DoubleClicksNeedTheClassStyleTimeAndPlace) {
  in().DoubleClick(left, 5, 5);
  EXPECT_EQ(Names(rec.For(left, {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK})),
            "WM_LBUTTONDOWN WM_LBUTTONUP WM_LBUTTONDBLCLK WM_LBUTTONUP");
  // A third click is a single click again.
  Clock().Advance(GetDoubleClickTime() + 1);
  host().Click(right, 1, 1);
  host().Click(right, 1, 1);
  in().Click(right, 1, 1);
  EXPECT_EQ(rec.Count(right, WM_LBUTTONDBLCLK), 1);
  EXPECT_EQ(rec.Count(right, WM_LBUTTONDOWN), 2);
  // Without CS_DBLCLKS there are only single clicks.
  HWND plain = rec.Create(WS_CHILD | WS_VISIBLE, 10, 150, 50, 50, form);
  in().DoubleClick(plain, 5, 5);
  EXPECT_EQ(rec.Count(plain, WM_LBUTTONDBLCLK), 0);
  EXPECT_EQ(rec.Count(plain, WM_LBUTTONDOWN), 2);
}

TEST_F(InputTest, KeysGoToTheFocusAndKeyStateFollowsRetrieval) {
  SetFocus(right);
  rec.Clear();
  host().KeyDown(VK_SHIFT);
  EXPECT_TRUE(GetAsyncKeyState(VK_SHIFT) & 0x8000);   // at once
  EXPECT_FALSE(GetKeyState(VK_SHIFT) & 0x8000);       // not yet retrieved
  host().PumpUntilIdle();
  EXPECT_TRUE(GetKeyState(VK_SHIFT) & 0x8000);
  in().KeyUp(VK_SHIFT);
  EXPECT_FALSE(GetKeyState(VK_SHIFT) & 0x8000);
  // Alt makes system keys; with no focus the active window gets system keys.
  rec.Clear();
  in().Chord(VK_MENU, 'X');
  EXPECT_EQ(rec.Count(right, WM_SYSKEYDOWN), 2);
  SetFocus(nullptr);
  rec.Clear();
  in().Key('Y');
  EXPECT_EQ(rec.Count(form, WM_SYSKEYDOWN), 1);
}

TEST_F(InputTest, WheelGoesToTheFocusWithTheScreenPoint) {
  SetFocus(left);
  rec.Clear();
  in().Wheel(right, 7, 8, -WHEEL_DELTA);
  auto wheel = Of(WM_MOUSEWHEEL);
  ASSERT_GE(wheel.size(), 1u);
  EXPECT_EQ(std::tuple(wheel[0].hwnd, SHORT(HIWORD(wheel[0].wParam)), wheel[0].lParam),
            std::tuple(left, SHORT(-WHEEL_DELTA), ScreenPoint(right, 7, 8)));
  EXPECT_EQ(wheel.back().hwnd, form) << "the default procedure passes it up to the parent";
}

TEST_F(InputTest, MouseLeaveIsPostedWhenThePointerLeaves) {
  TrackLeaveOfLeft();
  // Nothing while inside, one on leaving, and once per request only.
  for (auto [over, leaves] : {std::pair{left, 0}, {right, 1}, {HWND(nullptr), 1}}) {
    in().MouseMove(over, 6, 6);
    EXPECT_EQ(rec.Count(left, WM_MOUSELEAVE), leaves);
  }
}

TEST_F(InputTest, DestroyingTheFocusedWindowTakesTheFocusAwayAudibly) {
  // A hidden control may hold the focus; destroying it still tells it, and the focus
  // passes to its parent.
  HWND hidden = rec.Create(WS_CHILD, 10, 150, 50, 20, form);
  SetFocus(hidden);
  ASSERT_EQ(GetFocus(), hidden);
  rec.Clear();
  DestroyWindow(hidden);
  EXPECT_EQ(std::tuple(rec.Count(hidden, WM_KILLFOCUS), GetFocus(), rec.Count(form, WM_SETFOCUS)),
            std::tuple(1, form, 1));
  // A visible control too: exactly one WM_KILLFOCUS, before WM_DESTROY.
  SetFocus(left);
  rec.Clear();
  DestroyWindow(left);
  EXPECT_EQ(rec.For(left, {WM_KILLFOCUS, WM_DESTROY}), (std::vector<UINT>{WM_KILLFOCUS, WM_DESTROY}));
  left = nullptr;
}

TEST_F(InputTest, ClickActivatesAnInactiveWindow) {
  HWND other = rec.Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 600, 100, 200, 200);
  host().PumpUntilIdle();
  rec.Clear();
  in().Click(left, 5, 5);
  EXPECT_EQ(GetActiveWindow(), form);
  auto ma = Of(WM_MOUSEACTIVATE);
  ASSERT_GE(ma.size(), 1u);
  // A window answering "activate and eat" swallows the click.
  rec.handler = Answer(other, WM_MOUSEACTIVATE, MA_ACTIVATEANDEAT);
  rec.Clear();
  in().Click(other, 5, 5);
  EXPECT_EQ(GetActiveWindow(), other);
  EXPECT_EQ(rec.Count(other, WM_LBUTTONDOWN), 0) << "activated, the click eaten";
}

TEST_F(InputTest, ADisabledOwnerRefusesClicksAndRaisesItsDialog) {
  HWND dialog = rec.Create(WS_POPUP | WS_CAPTION | WS_VISIBLE, 600, 600, 100, 100, form);
  EnableWindow(form, FALSE);
  SetActiveWindow(dialog);
  rec.Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 800, 100, 100, 100);   // takes the activation
  rec.Clear();
  size_t beeps = UserBeeps().size();
  in().Click(left, 5, 5);
  EXPECT_TRUE(Of(WM_LBUTTONDOWN).empty());
  EXPECT_EQ(GetActiveWindow(), dialog);
  EXPECT_EQ(UserBeeps().size(), beeps + 1);
  EnableWindow(form, TRUE);
}

TEST_F(InputTest, TheDefaultProcedureTurnsInputIntoCommands) {
  // A right click asks for a context menu at the screen point, passed up to the parent.
  in().Click(left, 7, 9, MouseButton::Right);
  LPARAM at = ScreenPoint(left, 7, 9);
  EXPECT_EQ(Of(WM_CONTEXTMENU), (Logged{{left, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(left), at},
                                        {form, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(left), at}}));
  // The menu key asks for it at (-1, -1).
  SetFocus(right);
  rec.Clear();
  in().Key(VK_APPS);
  ASSERT_FALSE(Of(WM_CONTEXTMENU).empty());
  EXPECT_EQ(Of(WM_CONTEXTMENU)[0].lParam, -1);
  // Alt+F4 closes the top-level window.
  rec.Clear();
  in().Chord(VK_MENU, VK_F4);
  EXPECT_EQ(rec.Count(form, WM_CLOSE), 1);
  EXPECT_FALSE(IsWindow(form));
  form = nullptr;
}

TEST_F(InputTest, RedrawOffHidesAWindowFromPaintingWithoutNotice) {
  SendMessageA(left, WM_SETREDRAW, FALSE, 0);
  EXPECT_FALSE(IsWindowVisible(left));
  InvalidateRect(left, nullptr, TRUE);
  host().PumpUntilIdle();
  EXPECT_EQ(rec.Count(left, WM_PAINT), 0);
  EXPECT_EQ(rec.Count(left, WM_SHOWWINDOW), 0);
  SendMessageA(left, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(left, nullptr, TRUE);
  host().PumpUntilIdle();
  EXPECT_EQ(rec.Count(left, WM_PAINT), 1);
}
