// The headless host: loops that can never end fail fast, waits let virtual time pass, and
// the screen composes the windows.
#include "platform/gdi/Gdi.h"
#include "tests/platform/user/UserTestUtil.h"
#include "tests/support/UserTest.h"

#include <tuple>

using HeadlessHostTest = RecorderTest;

TEST_F(HeadlessHostTest, AWindowThatNeverValidatesFailsInsteadOfHanging) {
  HWND h = rec.Create(WS_POPUP | WS_VISIBLE, 0, 0, 10, 10);
  host().PumpUntilIdle();
  rec.handler = [](HWND, UINT m, WPARAM, LPARAM, LRESULT& r) {
    r = 0;
    return m == WM_PAINT;   // handled without BeginPaint: the update region stays
  };
  InvalidateRect(h, nullptr, FALSE);
  EXPECT_THROW(host().PumpUntilIdle(), HeadlessStall);
  rec.handler = nullptr;
  host().PumpUntilIdle();
}

TEST_F(HeadlessHostTest, TheScreenShowsWindowsByZOrderAndShape) {
  const COLORREF red = RGB(200, 0, 0), blue = RGB(0, 0, 200);
  std::map<HWND, COLORREF> colours;
  rec.handler = [&](HWND h, UINT m, WPARAM, LPARAM, LRESULT& r) {
    if (m != WM_PAINT || !colours.count(h)) return false;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(h, &ps);
    HBRUSH b = CreateSolidBrush(colours[h]);
    FillRect(dc, &ps.rcPaint, b);
    DeleteObject(b);
    EndPaint(h, &ps);
    r = 0;
    return true;
  };
  HWND below = rec.Create(WS_POPUP | WS_VISIBLE, 100, 100, 100, 100);
  HWND above = rec.Create(WS_POPUP | WS_VISIBLE, 150, 150, 100, 100);
  colours = {{below, red}, {above, blue}};
  InvalidateRect(below, nullptr, TRUE);
  InvalidateRect(above, nullptr, TRUE);
  host().PumpUntilIdle();
  Surface screen = host().CaptureScreen();
  EXPECT_EQ(screen.At(120, 120), PixelFromColor(red));
  EXPECT_EQ(screen.At(170, 170), PixelFromColor(blue));
  // A window region lets what lies below show through.
  SetWindowRgn(above, CreateRectRgn(50, 50, 100, 100), TRUE);
  screen = host().CaptureScreen();
  EXPECT_EQ(screen.At(170, 170), PixelFromColor(red));
  EXPECT_EQ(screen.At(220, 220), PixelFromColor(blue));
}

TEST_F(HeadlessHostTest, WaitsWithATimeoutLetVirtualTimePass) {
  DWORD start = GetTickCount();
  EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 250, QS_ALLINPUT), 258u);
  EXPECT_EQ(GetTickCount(), start + 250);
  // A timer due earlier ends the wait at its time.
  HWND h = rec.Create(WS_POPUP, 0, 0, 1, 1);
  SetTimer(h, 1, 100, nullptr);
  EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 1000, QS_ALLINPUT), 0u);
  EXPECT_EQ(GetTickCount(), start + 350);
  MSG m{};
  EXPECT_EQ(MsgWaitForMultipleObjects(1, &m, FALSE, 10, QS_ALLINPUT), 0xFFFFFFFFu);   // no handles here
}

// Input that reaches the screen while the program is busy waits in the host until the
// program looks for messages; a look that finds the queue empty asks the host.
TEST_F(HeadlessHostTest, InputArrivingWhileBusyIsTakenByTheNextLookAtTheQueue) {
  HWND h = rec.Create(WS_POPUP | WS_VISIBLE, 0, 0, 20, 20);
  SetFocus(h);
  host().PumpUntilIdle();
  host().Arrive(300, [&] { host().Key('A'); });
  MSG m{};
  EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));   // not arrived yet
  Sleep(300);
  ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(std::tuple(m.hwnd, m.message, m.wParam), std::tuple(h, UINT(WM_KEYDOWN), WPARAM('A')));
  EXPECT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, UINT(WM_KEYUP));
  EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
}

// What is drawn on a window's DC reaches the screen when the DC is released, and before
// the program sleeps with the DC still open: the drawing shows through the sleep.
TEST_F(HeadlessHostTest, DrawingOnAnOpenWindowDCIsShownBeforeASleep) {
  const COLORREF red = RGB(200, 0, 0), blue = RGB(0, 0, 200);
  HWND h = rec.Create(WS_POPUP | WS_VISIBLE, 0, 0, 20, 20);
  host().PumpUntilIdle();
  auto fill = [](HDC dc, COLORREF c) {
    RECT r{0, 0, 20, 20};
    HBRUSH b = CreateSolidBrush(c);
    FillRect(dc, &r, b);
    DeleteObject(b);
  };
  auto shown = [&] { return host().Presented(h).At(5, 5); };
  HDC dc = GetDC(h);
  fill(dc, red);
  EXPECT_NE(shown(), PixelFromColor(red));
  Sleep(10);
  EXPECT_EQ(shown(), PixelFromColor(red));
  fill(dc, blue);
  EXPECT_EQ(shown(), PixelFromColor(red));
  ReleaseDC(h, dc);
  EXPECT_EQ(shown(), PixelFromColor(blue));
}
