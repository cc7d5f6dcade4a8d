// Painting: update regions, the paint cycle and erasing, clipping of children, siblings and
// window regions, redraw requests, scrolling, and the frame.
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Gdi.h"
#include "tests/platform/user/UserTestUtil.h"
#include "tests/support/UserTest.h"

#include <tuple>
#include <utility>

namespace {
constexpr COLORREF kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255), kGreen = RGB(0, 255, 0);

void Fill(HDC dc, RECT r, COLORREF colour) {
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
}

// Each window fills its client area with its own colour when it paints.
struct Painter {
  std::map<HWND, COLORREF> colours;
  std::vector<std::pair<HWND, RECT>> painted;   // rcPaint of each WM_PAINT
  bool Handle(HWND h, UINT m, LRESULT& r) {
    if (m != WM_PAINT || !colours.count(h)) return false;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(h, &ps);
    painted.push_back({h, ps.rcPaint});
    RECT all;
    GetClientRect(h, &all);
    Fill(dc, all, colours[h]);   // clipped to what needs painting
    EndPaint(h, &ps);
    r = 0;
    return true;
  }
};
}  // namespace

class PaintTest : public RecorderTest {
 protected:
  void SetUp() override {
    RecorderTest::SetUp();
    rec.handler = [this](HWND h, UINT m, WPARAM, LPARAM, LRESULT& r) { return painter.Handle(h, m, r); };
  }
  Pixel At(HWND h, int x, int y) { return host().PixelAt(h, x, y); }
  // Expects each listed client pixel of `h` to have its colour.
  void ExpectColours(HWND h, std::initializer_list<std::tuple<int, int, COLORREF>> points) {
    for (auto [x, y, c] : points) EXPECT_EQ(At(h, x, y), PixelFromColor(c)) << x << "," << y;
  }
  std::vector<HWND> PaintOrder() const {
    std::vector<HWND> out;
    for (auto& p : painter.painted) out.push_back(p.first);
    return out;
  }
  Painter painter;
};

TEST_F(PaintTest, UpdateRegionsAccumulateAndValidate) {
  HWND h = rec.Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200);
  host().PumpUntilIdle();
  RECT r;
  RECT a{10, 10, 20, 20}, b{30, 30, 40, 45};
  InvalidateRect(h, &a, FALSE);
  InvalidateRect(h, &b, FALSE);
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetUpdateRgn(h, rgn, FALSE), COMPLEXREGION);
  ValidateRect(h, &a);
  EXPECT_EQ(GetUpdateRgn(h, rgn, FALSE), SIMPLEREGION);
  GetRgnBox(rgn, &r);
  EXPECT_EQ(r, b);
  // Invalidation is clipped to the client area.
  RECT huge{-100, -100, 5000, 5000};
  InvalidateRect(h, &huge, FALSE);
  GetUpdateRect(h, &r, FALSE);
  RECT client;
  GetClientRect(h, &client);
  EXPECT_EQ(r, client);
  ValidateRect(h, nullptr);
  DeleteObject(rgn);
  // Hidden windows have nothing to paint.
  ShowWindow(h, SW_HIDE);
  InvalidateRect(h, nullptr, TRUE);
  EXPECT_FALSE(GetUpdateRect(h, &r, FALSE));
}

TEST_F(PaintTest, BeginPaintErasesWithTheClassBrushAndClipsToTheUpdate) {
  HWND h = rec.Create(WS_POPUP | WS_VISIBLE, 0, 0, 100, 100);
  host().PumpUntilIdle();
  painter.colours[h] = kRed;
  RECT part{10, 10, 20, 30};
  InvalidateRect(h, &part, FALSE);
  host().PumpUntilIdle();
  ASSERT_EQ(painter.painted.size(), 1u);
  EXPECT_EQ(painter.painted[0].second, part);
  ExpectColours(h, {{10, 10, kRed}, {19, 29, kRed}, {20, 29, GetSysColor(COLOR_WINDOW)}});   // the last outside
  EXPECT_EQ(rec.Count(h, WM_ERASEBKGND), 1);   // only the first paint asked for erasing
}

TEST_F(PaintTest, UpdateWindowPaintsNowParentBeforeChildren) {
  HWND parent = rec.Create(WS_POPUP | WS_VISIBLE, 0, 0, 200, 200);
  HWND child = rec.Create(WS_CHILD | WS_VISIBLE, 10, 10, 50, 50, parent);
  painter.colours[parent] = kRed;
  painter.colours[child] = kBlue;
  EXPECT_TRUE(UpdateWindow(parent));
  EXPECT_EQ(PaintOrder(), (std::vector<HWND>{parent, child}));
  EXPECT_FALSE(UserQueueHasWork());
  // A parent without WS_CLIPCHILDREN paints over its child, so the child is repainted too.
  painter.painted.clear();
  InvalidateRect(parent, nullptr, TRUE);
  host().PumpUntilIdle();
  EXPECT_EQ(painter.painted.size(), 2u);
  ExpectColours(child, {{1, 1, kBlue}});
  ExpectColours(parent, {{5, 5, kRed}});
}

TEST_F(PaintTest, ClipChildrenKeepsTheParentOffItsChildren) {
  HWND parent = rec.Create(WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 200, 200);
  HWND child = rec.Create(WS_CHILD | WS_VISIBLE, 10, 10, 50, 50, parent);
  painter.colours[child] = kBlue;
  host().PumpUntilIdle();
  painter.colours[parent] = kRed;
  painter.painted.clear();
  InvalidateRect(parent, nullptr, FALSE);
  host().PumpUntilIdle();
  ASSERT_EQ(painter.painted.size(), 1u);   // the child's pixels were never touched
  ExpectColours(child, {{25, 25, kBlue}});
  ExpectColours(parent, {{5, 5, kRed}, {60, 60, kRed}});
}

TEST_F(PaintTest, SiblingsAndWindowRegionsClipPainting) {
  HWND parent = rec.Create(WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 200, 200);
  // The first child created is on top.
  HWND above = rec.Create(WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 50, 50, 100, 100, parent);
  HWND below = rec.Create(WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 10, 10, 100, 100, parent);
  painter.colours = {{parent, kGreen}, {below, kBlue}, {above, kRed}};
  host().PumpUntilIdle();
  InvalidateRect(below, nullptr, FALSE);
  host().PumpUntilIdle();
  ExpectColours(parent, {{60, 60, kRed}, {20, 20, kBlue}});   // the sibling on top stays
  // A window region limits what the window draws; below repaints what it uncovers.
  SetWindowRgn(above, CreateRectRgn(0, 0, 20, 20), TRUE);
  host().PumpUntilIdle();
  ExpectColours(parent, {{55, 55, kRed}, {100, 100, kBlue}, {140, 140, kGreen}});
}

TEST_F(PaintTest, ScrollWindowExMovesPixelsAndInvalidatesTheRest) {
  HWND h = rec.Create(WS_POPUP | WS_VISIBLE, 0, 0, 100, 100);
  host().PumpUntilIdle();
  HDC dc = GetDC(h);
  Fill(dc, {10, 10, 20, 20}, kRed);
  ReleaseDC(h, dc);
  RECT exposed;
  HRGN update = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(ScrollWindowEx(h, 0, -5, nullptr, nullptr, update, &exposed, SW_INVALIDATE), SIMPLEREGION);
  EXPECT_EQ(exposed, Rect(0, 95, 100, 100));
  ExpectColours(h, {{15, 5, kRed}, {15, 16, GetSysColor(COLOR_WINDOW)}});
  DeleteObject(update);
  // Children move with SW_SCROLLCHILDREN.
  HWND child = rec.Create(WS_CHILD | WS_VISIBLE, 20, 20, 10, 10, h);
  ScrollWindowEx(h, 3, 4, nullptr, nullptr, nullptr, nullptr, SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
  POINT p{0, 0};
  MapWindowPoints(child, h, &p, 1);
  EXPECT_EQ(p, Point(23, 24));
  host().PumpUntilIdle();
}

TEST_F(PaintTest, WindowDCsReachTheFrameClientDCsDoNot) {
  HWND h = rec.Create(WS_POPUP | WS_VISIBLE | WS_BORDER, 0, 0, 50, 50);
  host().PumpUntilIdle();
  HDC client = GetDC(h);
  Fill(client, {0, 0, 50, 50}, kRed);   // clipped to the 48x48 client area
  ReleaseDC(h, client);
  Surface s = host().Capture(h);
  EXPECT_EQ(std::tuple(s.At(0, 0), s.At(1, 1), s.At(48, 48)),
            std::tuple(PixelFromColor(GetSysColor(COLOR_WINDOWFRAME)), PixelFromColor(kRed), PixelFromColor(kRed)));
  HDC whole = GetWindowDC(h);
  Fill(whole, {0, 0, 50, 50}, kRed);
  EXPECT_EQ(ReleaseDC(h, whole), 1);
  EXPECT_EQ(ReleaseDC(h, whole), 0);   // released once only
  s = host().Capture(h);
  EXPECT_EQ(s.At(0, 0), PixelFromColor(kRed));
  // A frame redraw request brings the border back through WM_NCPAINT.
  rec.Clear();
  RedrawWindow(h, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
  EXPECT_EQ(rec.Count(h, WM_NCPAINT), 1);
  EXPECT_EQ(host().Capture(h).At(0, 0), PixelFromColor(GetSysColor(COLOR_WINDOWFRAME)));
}

TEST_F(PaintTest, RedrawFlagsEraseValidateAndInternalPaint) {
  HWND h = rec.Create(WS_POPUP | WS_VISIBLE, 0, 0, 50, 50);
  host().PumpUntilIdle();
  rec.Clear();
  // Erasing now sends WM_ERASEBKGND without WM_PAINT; the update region stays.
  RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ERASENOW);
  EXPECT_EQ(std::pair(rec.Count(h, WM_ERASEBKGND), rec.Count(h, WM_PAINT)), std::pair(1, 0));
  RECT r;
  EXPECT_TRUE(GetUpdateRect(h, &r, FALSE));
  RedrawWindow(h, nullptr, nullptr, RDW_VALIDATE);
  EXPECT_FALSE(GetUpdateRect(h, &r, FALSE));
  // An internal paint gives a WM_PAINT with nothing to update.
  RedrawWindow(h, nullptr, nullptr, RDW_INTERNALPAINT);
  EXPECT_TRUE(UserQueueHasWork());
  host().PumpUntilIdle();
  EXPECT_EQ(std::pair(rec.Count(h, WM_ERASEBKGND), rec.Count(h, WM_PAINT)), std::pair(1, 1));
}

TEST_F(PaintTest, GrowingRepaintsOnlyWhatIsNewUnlessTheClassAsks) {
  HWND plain = rec.Create(WS_POPUP | WS_VISIBLE, 0, 0, 50, 50);
  painter.colours[plain] = kRed;
  host().PumpUntilIdle();
  painter.painted.clear();
  MoveWindow(plain, 0, 0, 80, 60, TRUE);
  host().PumpUntilIdle();
  ASSERT_EQ(painter.painted.size(), 1u);
  EXPECT_EQ(painter.painted[0].second, Rect(0, 0, 80, 60));   // bounds of the L-shaped new part
  HRGN probe = CreateRectRgn(0, 0, 0, 0);
  InvalidateRect(plain, nullptr, FALSE);
  ValidateRect(plain, nullptr);
  MoveWindow(plain, 0, 0, 80, 70, TRUE);
  EXPECT_EQ(GetUpdateRgn(plain, probe, FALSE), SIMPLEREGION);
  RECT box;
  GetRgnBox(probe, &box);
  EXPECT_EQ(box, Rect(0, 60, 80, 70));
  DestroyWindow(plain);
  // CS_HREDRAW: a change of width repaints everything.
  HWND full = CreateWindowExA(0, rec.ClassName(CS_HREDRAW | CS_VREDRAW), "", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                              nullptr, nullptr, nullptr, nullptr);
  host().PumpUntilIdle();
  MoveWindow(full, 0, 0, 60, 50, TRUE);
  GetUpdateRgn(full, probe, FALSE);
  GetRgnBox(probe, &box);
  EXPECT_EQ(box, Rect(0, 0, 60, 50));
  DeleteObject(probe);
  DestroyWindow(full);
}

// Each redraw style answers its own axis only: the other axis repaints just the strip it
// uncovers, and a change by one pixel, shrinking included, is a change.
TEST_F(PaintTest, EachRedrawStyleRepaintsEverythingOnlyForItsOwnAxis) {
  HRGN probe = CreateRectRgn(0, 0, 0, 0);
  // The bounds of what a move to (w, h) leaves to paint, from a fully painted window.
  auto updateAfter = [&](HWND h, int w, int hgt) {
    ValidateRect(h, nullptr);
    MoveWindow(h, 0, 0, w, hgt, TRUE);
    RECT box{};
    if (GetUpdateRgn(h, probe, FALSE) != NULLREGION) GetRgnBox(probe, &box);
    return box;
  };
  HWND wide = CreateWindowExA(0, rec.ClassName(CS_HREDRAW), "", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                              nullptr, nullptr, nullptr, nullptr);
  host().PumpUntilIdle();
  EXPECT_EQ(updateAfter(wide, 50, 51), Rect(0, 50, 50, 51));  // taller: the new row only
  EXPECT_EQ(updateAfter(wide, 51, 51), Rect(0, 0, 51, 51));
  EXPECT_EQ(updateAfter(wide, 50, 51), Rect(0, 0, 50, 51));  // narrower by one
  EXPECT_EQ(updateAfter(wide, 50, 50), Rect(0, 0, 0, 0));    // shorter uncovers nothing
  DestroyWindow(wide);
  HWND tall = CreateWindowExA(0, rec.ClassName(CS_VREDRAW), "", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                              nullptr, nullptr, nullptr, nullptr);
  host().PumpUntilIdle();
  EXPECT_EQ(updateAfter(tall, 51, 50), Rect(50, 0, 51, 50));  // wider: the new column only
  EXPECT_EQ(updateAfter(tall, 51, 51), Rect(0, 0, 51, 51));
  EXPECT_EQ(updateAfter(tall, 51, 50), Rect(0, 0, 51, 50));  // shorter by one
  EXPECT_EQ(updateAfter(tall, 50, 50), Rect(0, 0, 0, 0));    // narrower uncovers nothing
  DestroyWindow(tall);
  DeleteObject(probe);
}
