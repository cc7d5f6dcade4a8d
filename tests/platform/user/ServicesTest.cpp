// Broadcasts of setting changes, system parameters, monitors, cursors, the clipboard,
// window scroll bars and the fixture's leak report.
#include "platform/gdi/Codecs.h"
#include "platform/gdi/Gdi.h"
#include "platform/kernel/Locale.h"
#include "platform/kernel/Modules.h"
#include "platform/kernel/Resources.h"
#include "tests/platform/user/UserTestUtil.h"
#include "tests/support/TestHooks.h"
#include "tests/support/UserTest.h"

#include <climits>
#include <cstring>
#include <tuple>

class ServicesTest : public RecorderTest {
 protected:
  // The WM_SETTINGCHANGE messages `h` was sent.
  Logged SettingChanges(HWND h) const {
    Logged out;
    for (auto& m : rec.Of(WM_SETTINGCHANGE))
      if (m.hwnd == h) out.push_back(m);
    return out;
  }
};

TEST_F(ServicesTest, SettingChangesReachEveryTopLevelWindowHiddenOnesIncluded) {
  HWND shown = rec.Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100, 100);
  HWND utility = rec.Create(WS_POPUP, 0, 0, 0, 0);                 // a hidden utility window
  HWND child = rec.Create(WS_CHILD, 0, 0, 10, 10, shown);
  HWND messageOnly = rec.Create(WS_POPUP, 0, 0, 0, 0, HWND_MESSAGE);
  rec.Clear();
  INT index = COLOR_BTNFACE;
  COLORREF colour = RGB(1, 2, 3);
  SetSysColors(1, &index, &colour);
  UserSetSystemMetric(SM_CYHSCROLL, 20);
  UserBroadcastLocaleChange();
  UserBroadcastThemeChange();
  for (HWND h : {shown, utility})
    EXPECT_EQ(Names(rec.For(h, {WM_SYSCOLORCHANGE, WM_SETTINGCHANGE, WM_THEMECHANGED})),
              "WM_SYSCOLORCHANGE WM_SETTINGCHANGE WM_SETTINGCHANGE WM_THEMECHANGED");
  EXPECT_TRUE(rec.For(child).empty());         // children hear it from their parents
  EXPECT_TRUE(rec.For(messageOnly).empty());   // message-only windows get no broadcasts
  const Logged settings = SettingChanges(utility);
  ASSERT_EQ(settings.size(), 2u);
  EXPECT_STREQ(reinterpret_cast<const char*>(settings[1].lParam), "intl");
}

TEST_F(ServicesTest, WorkAreaAndMonitors) {
  RECT wa;
  HWND h = rec.Create(WS_POPUP, 0, 0, 0, 0);
  rec.Clear();
  host().SetWorkArea(Rect(0, 40, 1280, 1000));
  EXPECT_EQ(rec.Count(h, WM_SETTINGCHANGE), 1);
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &wa, 0);
  EXPECT_EQ(wa, Rect(0, 40, 1280, 1000));
  HMONITOR m = MonitorFromPoint({5, 5}, MONITOR_DEFAULTTONULL);
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(MonitorFromPoint({-5000, 5}, MONITOR_DEFAULTTONULL), nullptr);
  UserSetMonitorLookupFails(true);
  EXPECT_EQ(MonitorFromPoint({5, 5}, MONITOR_DEFAULTTONEAREST), nullptr);
}

TEST_F(ServicesTest, CursorsFollowTheHitTest) {
  HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
  HCURSOR ibeam = LoadCursorA(nullptr, IDC_IBEAM);
  EXPECT_FALSE(DestroyCursor(arrow));   // shared
  // The class cursor is set over the client area, the arrow or a sizing cursor over the frame.
  WNDCLASSA wc;
  wc.lpszClassName = "Text";
  wc.hCursor = ibeam;
  wc.lpfnWndProc = DefWindowProcToken();
  RegisterClassA(&wc);
  HWND h = CreateWindowExA(0, "Text", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 200, 200, nullptr, nullptr,
                           nullptr, nullptr);
  PumpedInput in(host());
  in.MouseMove(h, 10, 10);
  EXPECT_EQ(GetCursor(), ibeam);
  in.MouseMove(nullptr, 150, 102);   // the top edge of the frame
  EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_SIZENS));
  // Own cursors from pixels: the hot spot is clamped into the image.
  Pixel pixels[4] = {0xFF00FF, 0x000000, 0x000000, 0xFF00FF};
  HCURSOR own = CreateCursorFromPixels(2, 2, pixels, 0xFF00FF, 9, 9);
  ASSERT_NE(own, nullptr);
  EXPECT_EQ(GetCursorImage(own)->HotX, 1);
  EXPECT_TRUE(DestroyCursor(own));
  DestroyWindow(h);
}

TEST_F(ServicesTest, ClipboardHoldsCopiesOfText) {
  HWND h = rec.Create(WS_POPUP, 0, 0, 0, 0);
  EXPECT_EQ(SetClipboardData(CF_TEXT, "x", 1), nullptr);   // not open
  ASSERT_TRUE(OpenClipboard(h));
  EXPECT_FALSE(OpenClipboard(h));
  EXPECT_TRUE(EmptyClipboard());
  char text[] = "Tessaloom";
  ASSERT_NE(SetClipboardData(CF_TEXT, text, 4), nullptr);   // no terminator given
  text[0] = 'X';                                           // the clipboard kept its own copy
  EXPECT_TRUE(CloseClipboard());
  EXPECT_EQ(GetClipboardData(CF_TEXT), nullptr);   // closed
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_STREQ(static_cast<const char*>(GetClipboardData(CF_TEXT)), "Tess");
  EXPECT_EQ(std::pair(GetClipboardDataSize(CF_TEXT), GetClipboardOwner()), std::pair(size_t(5), h));
  CloseClipboard();
  DestroyWindow(h);
  EXPECT_EQ(GetClipboardOwner(), nullptr);
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));   // the data outlives its owner
}

TEST_F(ServicesTest, WindowScrollBars) {
  HWND h = rec.Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 200);
  RECT before, after;
  GetClientRect(h, &before);
  SCROLLINFO si;
  EXPECT_FALSE(GetScrollInfo(h, SB_VERT, &si));   // no bar yet
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  si.nMin = 0;
  si.nMax = 99;
  si.nPage = 10;
  si.nPos = 500;
  EXPECT_EQ(SetScrollInfo(h, SB_VERT, &si, TRUE), 90);   // clamped to max - page + 1
  GetClientRect(h, &after);
  EXPECT_EQ(after.Width(), before.Width() - GetSystemMetrics(SM_CXVSCROLL));   // the bar appeared
  EXPECT_EQ(SetScrollPos(h, SB_VERT, -5, FALSE), 90);
  EXPECT_EQ(GetScrollPos(h, SB_VERT), 0);
  // The bar is hit-tested as part of the frame.
  POINT p{after.Right + 2, 50};
  ClientToScreen(h, &p);
  EXPECT_EQ(SendMessageA(h, WM_NCHITTEST, 0, MAKELPARAM(WORD(p.X), WORD(p.Y))), HTVSCROLL);
  // A range that fits the page hides the bar again.
  si.fMask = SIF_RANGE;
  si.nMax = 5;
  SetScrollInfo(h, SB_VERT, &si, TRUE);
  GetClientRect(h, &after);
  EXPECT_EQ(after, before);
  host().PumpUntilIdle();
}

TEST_F(ServicesTest, ScrollValuesStartEmptyAndOutliveTheBar) {
  // Made without bars: no values, an empty range.
  HWND plain = rec.Create(WS_POPUP, 0, 0, 100, 100);
  int lo = -1, hi = -1;
  EXPECT_TRUE(GetScrollRange(plain, SB_VERT, &lo, &hi));
  EXPECT_EQ(std::pair(lo, hi), std::pair(0, 0));
  SCROLLINFO si;
  si.fMask = SIF_ALL;
  EXPECT_FALSE(GetScrollInfo(plain, SB_HORZ, &si));
  // Setting one bar gives both their values; the other's range is the default 0..100.
  SetScrollRange(plain, SB_VERT, 0, 100, FALSE);
  EXPECT_TRUE(GetScrollRange(plain, SB_HORZ, &lo, &hi));
  EXPECT_EQ(std::pair(lo, hi), std::pair(0, 100));
  EXPECT_TRUE(GetScrollInfo(plain, SB_HORZ, &si));
  // Made with a bar: 0..100 from the start.
  HWND h = rec.Create(WS_POPUP | WS_VISIBLE | WS_VSCROLL, 0, 0, 100, 100);
  EXPECT_TRUE(GetScrollRange(h, SB_HORZ, &lo, &hi));
  EXPECT_EQ(std::pair(lo, hi), std::pair(0, 100));
  // A range the page covers hides the bar, but its values stay readable.
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  si.nMin = 0;
  si.nMax = 9;
  si.nPage = 20;
  si.nPos = 3;
  SetScrollInfo(h, SB_VERT, &si, TRUE);
  EXPECT_FALSE(GetWindowLongA(h, GWL_STYLE) & WS_VSCROLL);
  SCROLLINFO got;
  got.fMask = SIF_RANGE | SIF_PAGE;
  ASSERT_TRUE(GetScrollInfo(h, SB_VERT, &got));
  EXPECT_EQ(std::tuple(got.nMin, got.nMax, got.nPage), std::tuple(0, 9, 10u));
  // SIF_DISABLENOSCROLL keeps it shown, unavailable until there is something to scroll.
  SCROLLBARINFO sbi;
  for (auto [max, state] : {std::pair{9, STATE_SYSTEM_UNAVAILABLE}, {99, DWORD(0)}}) {
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_DISABLENOSCROLL;
    si.nMax = max;
    SetScrollInfo(h, SB_VERT, &si, TRUE);
    EXPECT_TRUE(GetWindowLongA(h, GWL_STYLE) & WS_VSCROLL);
    GetScrollBarInfo(h, OBJID_VSCROLL, &sbi);
    EXPECT_EQ(sbi.rgstate[0], state) << max;
  }
  // An unavailable bar ignores presses.
  si.nMax = 9;
  SetScrollInfo(h, SB_VERT, &si, TRUE);
  host().PumpUntilIdle();
  rec.Clear();
  PumpedInput(host()).Click(nullptr, sbi.rcScrollBar.Left + 3, sbi.rcScrollBar.Top + 3);
  EXPECT_EQ(rec.Count(h, WM_VSCROLL), 0);
}

TEST_F(ServicesTest, LeakReportNamesWhatATestLeftBehind) {
  HWND h = rec.Create(WS_POPUP, 0, 0, 0, 0);
  SetTimer(h, 1, 100, nullptr);
  HHOOK hook = SetWindowsHookExA(WH_GETMESSAGE, [](int c, WPARAM w, LPARAM l) { return CallNextHookEx(nullptr, c, w, l); },
                                 nullptr, 0);
  std::vector<std::string> leaks = RunLeakChecks();
  auto has = [&](const char* what) {
    return std::any_of(leaks.begin(), leaks.end(), [&](const std::string& s) { return s.find(what) != s.npos; });
  };
  for (const char* what : {"window", "timer", "hook"}) EXPECT_TRUE(has(what)) << what;
  UnhookWindowsHookEx(hook);
  DestroyWindow(h);
  EXPECT_TRUE(RunLeakChecks().empty());
}

TEST_F(ServicesTest, CursorsLoadFromResources) {
  DecodedImage image;
  image.Width = 3;
  image.Height = 2;
  image.Pixels = {0x000000, 0xFFFFFF, 0x000000, 0x112233, 0x000000, 0x445566};
  image.HasAlpha = true;
  image.Alpha = {255, 0, 255, 255, 255, 255};
  EncodeResult png = EncodePng(image);
  ASSERT_TRUE(png.Ok);
  static const char bad[] = "not an image";
  ResourceItem items[] = {
      {1, 0, "TESTCURSOR", png.Bytes.data(), png.Bytes.size(), 2, 1},
      {1, 0, "BROKENCURSOR", reinterpret_cast<const Byte*>(bad), sizeof bad, 0, 0},
  };
  RegisterResourceTable({"cursor-test", items, 2});
  HCURSOR c = LoadCursorA(nullptr, "TESTCURSOR");
  ASSERT_NE(c, nullptr);
  const CursorImage* art = GetCursorImage(c);
  ASSERT_NE(art, nullptr);
  EXPECT_EQ(std::pair(art->HotX, art->HotY), std::pair(2, 1));
  EXPECT_EQ(LoadCursorA(nullptr, "BROKENCURSOR"), nullptr);   // bad data is refused, not a crash
  UnregisterResourceTable("cursor-test");
}

TEST_F(ServicesTest, ClipboardHoldsACopyOfABitmap) {
  const Pixel pixels[6] = {0x112233, 0x445566, 0x778899, 0xAABBCC, 0xDDEEFF, 0x000001};
  HBITMAP source = CreateBitmap(3, 2, 1, 32, pixels);
  ASSERT_NE(source, nullptr);
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  EXPECT_TRUE(SetClipboardBitmap(source));
  EXPECT_FALSE(SetClipboardBitmap(reinterpret_cast<HBITMAP>(uintptr_t(0x5))));   // not a bitmap
  CloseClipboard();
  DeleteObject(source);   // the clipboard does not depend on it
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_BITMAP));
  ASSERT_TRUE(OpenClipboard(nullptr));
  HBITMAP copy = GetClipboardBitmap();
  CloseClipboard();
  ASSERT_NE(copy, nullptr);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, copy);
  EXPECT_EQ(std::pair(GetPixel(dc, 0, 0), GetPixel(dc, 2, 1)),
            std::pair(ColorFromPixel(0x112233), ColorFromPixel(0x000001)));
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(copy);
}

TEST_F(ServicesTest, PressingWindowScrollBarsScrolls) {
  std::vector<std::pair<WORD, WORD>> steps;   // (code, position)
  rec.handler = [&](HWND, UINT m, WPARAM w, LPARAM, LRESULT&) {
    if (m == WM_VSCROLL) steps.push_back({LOWORD(w), HIWORD(w)});
    return false;
  };
  HWND h = rec.Create(WS_POPUP | WS_VISIBLE | WS_VSCROLL, 100, 100, 100, 216);
  SCROLLINFO si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  si.nMax = 99;
  si.nPage = 50;
  SetScrollInfo(h, SB_VERT, &si, TRUE);
  host().PumpUntilIdle();
  SCROLLBARINFO sbi;
  GetScrollBarInfo(h, OBJID_VSCROLL, &sbi);
  int x = sbi.rcScrollBar.Left + 5, top = sbi.rcScrollBar.Top;
  host().Click(nullptr, x, top + 3);                        // the upper arrow
  host().Click(nullptr, x, sbi.rcScrollBar.Bottom - 3);     // the lower arrow
  PumpedInput(host()).Click(nullptr, x, top + sbi.xyThumbBottom + 5);   // the track below the thumb
  EXPECT_EQ(steps, (std::vector<std::pair<WORD, WORD>>{{SB_LINEUP, 0}, {SB_ENDSCROLL, 0}, {SB_LINEDOWN, 0},
                                                       {SB_ENDSCROLL, 0}, {SB_PAGEDOWN, 0}, {SB_ENDSCROLL, 0}}));
  // Dragging the thumb to the end of the track.
  steps.clear();
  int thumbMiddle = top + (sbi.xyThumbTop + sbi.xyThumbBottom) / 2;
  host().MouseDown(nullptr, x, thumbMiddle);
  host().MouseMove(nullptr, x, thumbMiddle + 200);
  PumpedInput(host()).MouseUp(nullptr, x, thumbMiddle + 200);
  ASSERT_EQ(steps.size(), 3u);
  EXPECT_EQ(steps[0], std::make_pair(WORD(SB_THUMBTRACK), WORD(50)));
  EXPECT_EQ(steps[1], std::make_pair(WORD(SB_THUMBPOSITION), WORD(50)));
  EXPECT_EQ(steps[2].first, SB_ENDSCROLL);
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(ServicesTest, TheCloseBoxClosesOnRelease) {
  HWND h = rec.Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 200, 150);
  host().PumpUntilIdle();
  RECT r;
  GetWindowRect(h, &r);
  int frame = GetSystemMetrics(SM_CXFRAME);
  POINT close{r.Right - frame - 6, r.Top + frame + 6};
  EXPECT_EQ(SendMessageA(h, WM_NCHITTEST, 0, MAKELPARAM(WORD(close.X), WORD(close.Y))), HTCLOSE);
  // Released elsewhere: nothing happens.
  host().MouseDown(nullptr, close.X, close.Y);
  PumpedInput(host()).MouseUp(nullptr, close.X - 100, close.Y + 50);
  EXPECT_TRUE(IsWindow(h));
  EXPECT_EQ(rec.Count(h, WM_CLOSE), 0);
  Clock().Advance(GetDoubleClickTime() + 1);   // else the next press is a double click
  PumpedInput(host()).Click(nullptr, close.X, close.Y);
  EXPECT_EQ(rec.Count(h, WM_CLOSE), 1);
  EXPECT_FALSE(IsWindow(h));   // the default procedure destroys on WM_CLOSE
}

TEST_F(ServicesTest, ExtremeCallerValuesSaturateInsteadOfOverflowing) {
  HWND h = rec.Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 30, 40, 200, 200);
  SCROLLINFO si{};
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  si.nMin = INT_MIN;
  si.nMax = INT_MAX;
  si.nPage = 100;
  si.nPos = INT_MAX;
  EXPECT_EQ(SetScrollInfo(h, SB_VERT, &si, TRUE), INT_MAX - 99);   // max - page + 1 over the whole line
  si.nPage = UINT_MAX;
  EXPECT_EQ(SetScrollInfo(h, SB_VERT, &si, TRUE), INT_MIN + 1);   // the same rule at the widest page
  EXPECT_TRUE(GetScrollInfo(h, SB_VERT, &si));
  EXPECT_EQ(std::tuple(si.nMin, si.nMax, si.nPage, si.nPos), std::tuple(INT_MIN, INT_MAX, UINT_MAX, INT_MIN + 1));
  host().PumpUntilIdle();   // paints the bar's thumb from that range

  POINT o{0, 0};
  ClientToScreen(h, &o);
  ASSERT_TRUE(o.X > 30 && o.Y > 40);
  POINT p{INT_MAX, INT_MIN};
  EXPECT_TRUE(ClientToScreen(h, &p));
  EXPECT_EQ(p, (POINT{INT_MAX, INT_MIN + o.Y}));
  p = {INT_MIN, INT_MAX};
  EXPECT_TRUE(ScreenToClient(h, &p));
  EXPECT_EQ(p, (POINT{INT_MIN, INT_MAX - o.Y}));
  POINT pts[] = {{INT_MAX, INT_MIN}};
  MapWindowPoints(h, nullptr, pts, 1);
  EXPECT_EQ(pts[0], (POINT{INT_MAX, INT_MIN + o.Y}));
  RECT r{INT_MIN, INT_MIN + 1, INT_MAX - 1, INT_MAX};
  EXPECT_TRUE(AdjustWindowRectEx(&r, WS_OVERLAPPEDWINDOW, TRUE, WS_EX_CLIENTEDGE));
  EXPECT_EQ(r, (RECT{INT_MIN, INT_MIN, INT_MAX, INT_MAX}));
}
