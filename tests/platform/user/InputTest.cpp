// Focus, activation, capture and the input path: routing by capture, z-order and window
// regions, double clicks, key state, the wheel and mouse-leave tracking.
#include "platform/gdi/Gdi.h"
#include "tests/platform/user/UserTestUtil.h"
#include "tests/support/UserTest.h"

class InputTest : public UserTest {
 protected:
  void SetUp() override {
    UserTest::SetUp();
    form = rec.Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 400, 300, nullptr, 0, "", CS_DBLCLKS);
    left = rec.Create(WS_CHILD | WS_VISIBLE, 10, 10, 100, 100, form, 0, "", CS_DBLCLKS);
    right = rec.Create(WS_CHILD | WS_VISIBLE, 200, 10, 100, 100, form, 0, "", CS_DBLCLKS);
    host().PumpUntilIdle();
    rec.Clear();
  }
  void TearDown() override {
    rec.handler = nullptr;   // it may refer to the test body's locals
    DestroyWindow(form);
    UserTest::TearDown();
  }
  std::vector<LoggedMessage> Of(UINT msg) const {
    std::vector<LoggedMessage> out;
    for (auto& m : rec.log)
      if (m.msg == msg) out.push_back(m);
    return out;
  }
  // Puts the pointer inside `left` and asks to hear when it leaves.
  TRACKMOUSEEVENT TrackLeaveOfLeft() {
    host().MouseMove(left, 5, 5);
    host().PumpUntilIdle();
    TRACKMOUSEEVENT tme;
    tme.dwFlags = TME_LEAVE;
    tme.hwndTrack = left;
    EXPECT_TRUE(TrackMouseEvent(&tme));
    return tme;
  }
  Recorder rec;
  HWND form = nullptr, left = nullptr, right = nullptr;
};

TEST_F(InputTest, FocusChangeOrderCarriesTheOtherWindow) {
  SetFocus(left);
  rec.Clear();
  EXPECT_EQ(SetFocus(right), left);
  ASSERT_EQ(rec.log.size(), 2u);
  EXPECT_EQ(rec.log[0], (LoggedMessage{left, WM_KILLFOCUS, reinterpret_cast<WPARAM>(right), 0}));
  EXPECT_EQ(rec.log[1], (LoggedMessage{right, WM_SETFOCUS, reinterpret_cast<WPARAM>(left), 0}));
  EXPECT_EQ(GetFocus(), right);
  rec.Clear();
  EXPECT_EQ(SetFocus(right), right);   // no change, no messages
  EXPECT_TRUE(rec.log.empty());
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
  std::vector<std::pair<HWND, UINT>> seen;
  for (auto& m : rec.log)
    if (m.msg == WM_NCACTIVATE || m.msg == WM_ACTIVATE || m.msg == WM_SETFOCUS || m.msg == WM_KILLFOCUS)
      seen.push_back({m.hwnd, m.msg});
  std::vector<std::pair<HWND, UINT>> expected = {{other, WM_NCACTIVATE}, {other, WM_ACTIVATE},
                                                 {form, WM_NCACTIVATE},  {form, WM_ACTIVATE},
                                                 {other, WM_KILLFOCUS},  {form, WM_SETFOCUS}};
  EXPECT_EQ(seen, expected);
  auto acts = Of(WM_ACTIVATE);
  EXPECT_EQ(LOWORD(acts[0].wParam), WA_INACTIVE);
  EXPECT_EQ(reinterpret_cast<HWND>(acts[0].lParam), form);
  EXPECT_EQ(LOWORD(acts[1].wParam), WA_ACTIVE);
  EXPECT_EQ(reinterpret_cast<HWND>(acts[1].lParam), other);
  EXPECT_EQ(rec.Count(form, WM_ACTIVATEAPP), 0);   // the application stayed active
  // Destroying the active window activates another one.
  DestroyWindow(form);
  form = nullptr;
  EXPECT_EQ(GetActiveWindow(), other);
  DestroyWindow(other);
  EXPECT_EQ(GetActiveWindow(), nullptr);
  EXPECT_EQ(GetFocus(), nullptr);
}

TEST_F(InputTest, ApplicationActivationReachesEveryTopLevelWindow) {
  HWND hidden = rec.Create(WS_POPUP, 0, 0, 1, 1);
  rec.Clear();
  UserSetApplicationActive(false);
  EXPECT_EQ(GetActiveWindow(), nullptr);
  ASSERT_EQ(rec.Count(hidden, WM_ACTIVATEAPP), 1);
  EXPECT_EQ(Of(WM_ACTIVATEAPP).front().wParam, WPARAM(FALSE));
  UserSetApplicationActive(true);
  EXPECT_EQ(rec.Count(hidden, WM_ACTIVATEAPP), 2);
  EXPECT_EQ(GetActiveWindow(), form);
  DestroyWindow(hidden);
}

TEST_F(InputTest, ClicksGoToTheTopmostWindowUnderThePoint) {
  host().Click(left, 5, 6);
  host().PumpUntilIdle();
  auto downs = Of(WM_LBUTTONDOWN);
  ASSERT_EQ(downs.size(), 1u);
  EXPECT_EQ(downs[0].hwnd, left);
  EXPECT_EQ(downs[0].lParam, MAKELPARAM(5, 6));
  EXPECT_EQ(downs[0].wParam, MK_LBUTTON);
  EXPECT_EQ(Of(WM_LBUTTONUP)[0].wParam, 0u);
  // WM_SETCURSOR precedes the button message, with the hit code and the message.
  auto cursor = Of(WM_SETCURSOR);
  ASSERT_FALSE(cursor.empty());
  EXPECT_EQ(LOWORD(cursor[0].lParam), HTCLIENT);
  // An overlapping sibling on top takes the click.
  HWND over = rec.Create(WS_CHILD | WS_VISIBLE, 50, 50, 100, 100, form);
  rec.Clear();
  host().Click(left, 60, 60);
  host().PumpUntilIdle();
  EXPECT_EQ(Of(WM_LBUTTONDOWN).at(0).hwnd, over);
  // Hidden and disabled children are looked through.
  ShowWindow(over, SW_HIDE);
  EnableWindow(left, FALSE);
  rec.Clear();
  host().Click(left, 60, 60);
  host().PumpUntilIdle();
  EXPECT_EQ(Of(WM_LBUTTONDOWN).at(0).hwnd, form);
  // The frame gets non-client messages with screen points.
  rec.Clear();
  RECT wr;
  GetWindowRect(form, &wr);
  host().Click(nullptr, wr.Left + 50, wr.Top + 8);
  host().PumpUntilIdle();
  auto nc = Of(WM_NCLBUTTONDOWN);
  ASSERT_EQ(nc.size(), 1u);
  EXPECT_EQ(nc[0].wParam, WPARAM(HTCAPTION));
  EXPECT_EQ(nc[0].lParam, MAKELPARAM(WORD(wr.Left + 50), WORD(wr.Top + 8)));
}

TEST_F(InputTest, WindowRegionsShapeHitTesting) {
  // Only a 20x20 square in the middle of `left` belongs to it.
  SetWindowRgn(left, CreateRectRgn(40, 40, 60, 60), TRUE);
  host().Click(left, 5, 5);
  host().Click(left, 45, 45);
  host().PumpUntilIdle();
  auto downs = Of(WM_LBUTTONDOWN);
  ASSERT_EQ(downs.size(), 2u);
  EXPECT_EQ(downs[0].hwnd, form);
  EXPECT_EQ(downs[1].hwnd, left);
  POINT p{10 + 5, 10 + 5};
  ClientToScreen(form, &p);
  EXPECT_EQ(WindowFromPoint(p), form);
  HRGN copy = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetWindowRgn(left, copy), SIMPLEREGION);
  RECT box;
  GetRgnBox(copy, &box);
  EXPECT_EQ(box, Rect(40, 40, 60, 60));
  DeleteObject(copy);
  SetWindowRgn(left, nullptr, TRUE);
  EXPECT_EQ(WindowFromPoint(p), left);
}

TEST_F(InputTest, TransparentHitTestPassesToTheWindowBelow) {
  HWND glass = rec.Create(WS_CHILD | WS_VISIBLE, 0, 0, 400, 300, form);
  rec.handler = [&](HWND h, UINT m, WPARAM, LPARAM, LRESULT& r) {
    if (h == glass && m == WM_NCHITTEST) {
      r = HTTRANSPARENT;
      return true;
    }
    return false;
  };
  host().Click(right, 3, 3);
  host().PumpUntilIdle();
  EXPECT_EQ(Of(WM_LBUTTONDOWN).at(0).hwnd, right);
  rec.handler = nullptr;
  DestroyWindow(glass);
}

TEST_F(InputTest, CaptureTakesAllMouseInput) {
  rec.handler = [&](HWND h, UINT m, WPARAM, LPARAM, LRESULT&) {
    if (m == WM_LBUTTONDOWN) SetCapture(h);
    if (m == WM_LBUTTONUP) ReleaseCapture();
    return false;
  };
  host().MouseDown(left, 5, 5);
  host().MouseMove(right, 5, 5);        // over another window
  host().MouseMove(nullptr, 5, 5);      // outside the form, far left on the screen
  host().MouseUp(nullptr, 5, 5);
  host().PumpUntilIdle();
  auto moves = Of(WM_MOUSEMOVE);
  ASSERT_GE(moves.size(), 2u);
  for (auto& m : moves) EXPECT_EQ(m.hwnd, left);
  POINT origin{0, 0};
  ClientToScreen(left, &origin);
  EXPECT_EQ(moves.back().lParam, MAKELPARAM(WORD(SHORT(5 - origin.X)), WORD(SHORT(5 - origin.Y))));
  EXPECT_LT(GET_X_LPARAM(moves.back().lParam), 0);   // negative client coordinates arrive intact
  auto ups = Of(WM_LBUTTONUP);
  ASSERT_EQ(ups.size(), 1u);
  EXPECT_EQ(ups[0].hwnd, left);
  EXPECT_EQ(GetCapture(), nullptr);
  ASSERT_EQ(rec.Count(left, WM_CAPTURECHANGED), 1);
  EXPECT_EQ(Of(WM_CAPTURECHANGED)[0].lParam, 0);
  // Taking the capture away tells the old holder who has it now.
  SetCapture(left);
  SetCapture(right);
  EXPECT_EQ(reinterpret_cast<HWND>(Of(WM_CAPTURECHANGED).back().lParam), right);
  ReleaseCapture();
}

TEST_F(InputTest, DoubleClicksNeedTheClassStyleTimeAndPlace) {
  host().DoubleClick(left, 5, 5);
  host().PumpUntilIdle();
  EXPECT_EQ(Names(rec.For(left, {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK})),
            "WM_LBUTTONDOWN WM_LBUTTONUP WM_LBUTTONDBLCLK WM_LBUTTONUP");
  rec.Clear();
  // Too slow.
  host().Click(left, 5, 5);
  host().PumpUntilIdle();
  Clock().Advance(GetDoubleClickTime() + 1);
  host().Click(left, 5, 5);
  host().PumpUntilIdle();
  EXPECT_EQ(rec.Count(left, WM_LBUTTONDBLCLK), 0);
  rec.Clear();
  // Too far.
  Clock().Advance(GetDoubleClickTime() + 1);
  host().Click(left, 5, 5);
  host().Click(left, 5 + GetSystemMetrics(SM_CXDOUBLECLK), 5);
  host().PumpUntilIdle();
  EXPECT_EQ(rec.Count(left, WM_LBUTTONDBLCLK), 0);
  rec.Clear();
  // A third click is a single click again.
  Clock().Advance(GetDoubleClickTime() + 1);
  host().Click(right, 1, 1);
  host().Click(right, 1, 1);
  host().Click(right, 1, 1);
  host().PumpUntilIdle();
  EXPECT_EQ(rec.Count(right, WM_LBUTTONDBLCLK), 1);
  EXPECT_EQ(rec.Count(right, WM_LBUTTONDOWN), 2);
  // Without CS_DBLCLKS there are only single clicks.
  HWND plain = rec.Create(WS_CHILD | WS_VISIBLE, 10, 150, 50, 50, form);
  host().DoubleClick(plain, 5, 5);
  host().PumpUntilIdle();
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
  BYTE state[256];
  GetKeyboardState(state);
  EXPECT_TRUE(state[VK_SHIFT] & 0x80);
  EXPECT_TRUE(state[VK_LSHIFT] & 0x80);
  host().KeyUp(VK_SHIFT);
  host().PumpUntilIdle();
  EXPECT_FALSE(GetKeyState(VK_SHIFT) & 0x8000);
  EXPECT_EQ(rec.Count(right, WM_KEYDOWN), 1);
  EXPECT_EQ(rec.Count(right, WM_KEYUP), 1);
  // Toggle keys flip on each press.
  host().Key(VK_CAPITAL);
  host().PumpUntilIdle();
  EXPECT_EQ(GetKeyState(VK_CAPITAL) & 1, 1);
  host().Key(VK_CAPITAL);
  host().PumpUntilIdle();
  EXPECT_EQ(GetKeyState(VK_CAPITAL) & 1, 0);
  // Alt makes system keys; with no focus the active window gets system keys.
  rec.Clear();
  host().KeyDown(VK_MENU);
  host().Key('X');
  host().KeyUp(VK_MENU);
  host().PumpUntilIdle();
  EXPECT_EQ(rec.Count(right, WM_SYSKEYDOWN), 2);
  SetFocus(nullptr);
  rec.Clear();
  host().Key('Y');
  host().PumpUntilIdle();
  EXPECT_EQ(rec.Count(form, WM_SYSKEYDOWN), 1);
  // Mouse buttons are keys too, with MK_ flags from the same state.
  host().MouseDown(left, 1, 1);
  host().PumpUntilIdle();
  EXPECT_TRUE(GetKeyState(VK_LBUTTON) & 0x8000);
  host().MouseUp(left, 1, 1);
  host().PumpUntilIdle();
  EXPECT_FALSE(GetKeyState(VK_LBUTTON) & 0x8000);
}

TEST_F(InputTest, WheelGoesToTheFocusWithTheScreenPoint) {
  SetFocus(left);
  rec.Clear();
  host().Wheel(right, 7, 8, -WHEEL_DELTA);
  host().PumpUntilIdle();
  auto wheel = Of(WM_MOUSEWHEEL);
  ASSERT_GE(wheel.size(), 1u);
  EXPECT_EQ(wheel[0].hwnd, left);
  EXPECT_EQ(SHORT(HIWORD(wheel[0].wParam)), -WHEEL_DELTA);
  POINT p{7, 8};
  ClientToScreen(right, &p);
  EXPECT_EQ(wheel[0].lParam, MAKELPARAM(WORD(p.X), WORD(p.Y)));
  // The default procedure passes it up to the parent.
  EXPECT_EQ(wheel.back().hwnd, form);
  UINT lines = 0;
  SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
  EXPECT_EQ(lines, 3u);
  SystemParametersInfoA(SPI_SETWHEELSCROLLLINES, WHEEL_PAGESCROLL, nullptr, 0);
  SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
  EXPECT_EQ(lines, WHEEL_PAGESCROLL);
}

TEST_F(InputTest, MouseLeaveIsPostedWhenThePointerLeaves) {
  TRACKMOUSEEVENT tme = TrackLeaveOfLeft();
  host().MouseMove(left, 6, 6);
  host().PumpUntilIdle();
  EXPECT_EQ(rec.Count(left, WM_MOUSELEAVE), 0);
  host().MouseMove(right, 6, 6);
  host().PumpUntilIdle();
  EXPECT_EQ(rec.Count(left, WM_MOUSELEAVE), 1);
  host().MouseMove(nullptr, 0, 0);
  host().PumpUntilIdle();
  EXPECT_EQ(rec.Count(left, WM_MOUSELEAVE), 1);   // once per request
  // Asking while the pointer is elsewhere answers at once.
  ASSERT_TRUE(TrackMouseEvent(&tme));
  host().PumpUntilIdle();
  EXPECT_EQ(rec.Count(left, WM_MOUSELEAVE), 2);
}

TEST_F(InputTest, MouseLeaveIsPostedWhenThePointerMovesOffEveryWindow) {
  TRACKMOUSEEVENT tme = TrackLeaveOfLeft();
  POINT nowhere{2, 2};
  ASSERT_EQ(WindowFromPoint(nowhere), nullptr);
  host().MouseMove(nullptr, nowhere.X, nowhere.Y);
  host().PumpUntilIdle();
  EXPECT_EQ(rec.Count(left, WM_MOUSELEAVE), 1);
  tme.dwFlags = TME_QUERY;
  tme.hwndTrack = nullptr;
  ASSERT_TRUE(TrackMouseEvent(&tme));
  EXPECT_EQ(tme.dwFlags & TME_LEAVE, 0u) << "the request ends with the message";
}

TEST_F(InputTest, DestroyingTheFocusedWindowTakesTheFocusAwayAudibly) {
  // A hidden control may hold the focus; destroying it still tells it, and the focus
  // passes to its parent.
  HWND hidden = rec.Create(WS_CHILD, 10, 150, 50, 20, form);
  SetFocus(hidden);
  ASSERT_EQ(GetFocus(), hidden);
  rec.Clear();
  DestroyWindow(hidden);
  EXPECT_EQ(rec.Count(hidden, WM_KILLFOCUS), 1);
  EXPECT_EQ(GetFocus(), form);
  EXPECT_EQ(rec.Count(form, WM_SETFOCUS), 1);
  // A visible control too: exactly one WM_KILLFOCUS, before WM_DESTROY.
  SetFocus(left);
  rec.Clear();
  DestroyWindow(left);
  EXPECT_EQ(rec.Count(left, WM_KILLFOCUS), 1);
  std::vector<UINT> order;
  for (auto& m : rec.log)
    if (m.hwnd == left && (m.msg == WM_KILLFOCUS || m.msg == WM_DESTROY)) order.push_back(m.msg);
  EXPECT_EQ(order, (std::vector<UINT>{WM_KILLFOCUS, WM_DESTROY}));
  EXPECT_NE(GetFocus(), left);
  left = nullptr;
}

TEST_F(InputTest, ClickActivatesAnInactiveWindow) {
  HWND other = rec.Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 600, 100, 200, 200);
  host().PumpUntilIdle();
  rec.Clear();
  host().Click(left, 5, 5);
  host().PumpUntilIdle();
  EXPECT_EQ(GetActiveWindow(), form);
  auto ma = Of(WM_MOUSEACTIVATE);
  ASSERT_GE(ma.size(), 1u);
  EXPECT_EQ(ma[0].hwnd, left);   // asked first, then its parent through the default procedure
  EXPECT_EQ(reinterpret_cast<HWND>(ma[0].wParam), form);
  EXPECT_EQ(LOWORD(Of(WM_ACTIVATE).back().wParam), WA_CLICKACTIVE);
  // A window answering "activate and eat" swallows the click.
  rec.handler = [&](HWND h, UINT m, WPARAM, LPARAM, LRESULT& r) {
    if (h == other && m == WM_MOUSEACTIVATE) {
      r = MA_ACTIVATEANDEAT;
      return true;
    }
    return false;
  };
  rec.Clear();
  host().Click(other, 5, 5);
  host().PumpUntilIdle();
  EXPECT_EQ(GetActiveWindow(), other);
  EXPECT_EQ(rec.Count(other, WM_LBUTTONDOWN), 0);
  rec.handler = nullptr;
  DestroyWindow(other);
}

TEST_F(InputTest, ADisabledOwnerRefusesClicksAndRaisesItsDialog) {
  HWND dialog = rec.Create(WS_POPUP | WS_CAPTION | WS_VISIBLE, 600, 600, 100, 100, form);
  EnableWindow(form, FALSE);
  SetActiveWindow(dialog);
  HWND third = rec.Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 800, 100, 100, 100);
  EXPECT_EQ(GetActiveWindow(), third);
  rec.Clear();
  size_t beeps = UserBeeps().size();
  host().Click(left, 5, 5);
  host().PumpUntilIdle();
  EXPECT_EQ(rec.Count(left, WM_LBUTTONDOWN), 0);
  EXPECT_EQ(rec.Count(form, WM_LBUTTONDOWN), 0);
  EXPECT_EQ(rec.Count(form, WM_NCLBUTTONDOWN), 0);
  EXPECT_EQ(GetActiveWindow(), dialog);
  EXPECT_EQ(UserBeeps().size(), beeps + 1);
  EnableWindow(form, TRUE);
  DestroyWindow(third);
  DestroyWindow(dialog);
}

TEST_F(InputTest, TheDefaultProcedureTurnsInputIntoCommands) {
  // A right click asks for a context menu at the screen point, passed up to the parent.
  host().Click(left, 7, 9, MouseButton::Right);
  host().PumpUntilIdle();
  auto menus = Of(WM_CONTEXTMENU);
  ASSERT_EQ(menus.size(), 2u);
  EXPECT_EQ(menus[0].hwnd, left);
  EXPECT_EQ(menus[1].hwnd, form);
  POINT p{7, 9};
  ClientToScreen(left, &p);
  EXPECT_EQ(menus[0].lParam, MAKELPARAM(WORD(p.X), WORD(p.Y)));
  // The menu key asks for it at (-1, -1).
  SetFocus(right);
  rec.Clear();
  host().Key(VK_APPS);
  host().PumpUntilIdle();
  ASSERT_FALSE(Of(WM_CONTEXTMENU).empty());
  EXPECT_EQ(Of(WM_CONTEXTMENU)[0].lParam, -1);
  // Alt+F4 closes the top-level window.
  rec.Clear();
  host().KeyDown(VK_MENU);
  host().Key(VK_F4);
  host().KeyUp(VK_MENU);
  host().PumpUntilIdle();
  EXPECT_EQ(rec.Count(form, WM_CLOSE), 1);
  EXPECT_FALSE(IsWindow(form));
  form = nullptr;
}

TEST_F(InputTest, RedrawOffHidesAWindowFromPaintingWithoutNotice) {
  rec.Clear();
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
