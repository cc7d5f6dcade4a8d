#include "GdiTestCanvas.h"

#include <tuple>
#include <utility>

using DcClipTest = GdiCanvasTest;

namespace {
HBRUSH Black() { return static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)); }
}  // namespace

TEST_F(DcClipTest, SaveAndRestoreBringBackEveryAttribute) {
  GdiHold pen(CreatePen(PS_SOLID, 1, RGB(1, 2, 3)));
  const HGDIOBJ originalPen = GetCurrentObject(dc, OBJ_PEN);
  EXPECT_EQ(SaveDC(dc), 1);
  SelectObject(dc, pen.h);
  SetWindowOrgEx(dc, 3, 4, nullptr);
  IntersectClipRect(dc, 0, 0, 5, 5);
  EXPECT_EQ(SaveDC(dc), 2);
  SetViewportOrgEx(dc, 7, 7, nullptr);
  EXPECT_EQ(SaveDC(dc), 3);
  EXPECT_FALSE(RestoreDC(dc, 4));
  EXPECT_FALSE(RestoreDC(dc, 0));
  EXPECT_TRUE(RestoreDC(dc, -1));   // back to level 2's state, i.e. viewport 7,7
  POINT vp, wo;
  GetViewportOrgEx(dc, &vp);
  EXPECT_EQ(vp, (POINT{7, 7}));
  EXPECT_TRUE(RestoreDC(dc, 1));
  GetViewportOrgEx(dc, &vp);
  GetWindowOrgEx(dc, &wo);
  EXPECT_EQ(std::pair(vp, wo), std::pair(POINT{0, 0}, POINT{0, 0}));
  EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), originalPen);
  GdiHold probe(CreateRectRgn(0, 0, 1, 1));
  EXPECT_EQ(GetClipRgn(dc, HRGN(probe.h)), 0);   // the clip set after SaveDC is gone
  EXPECT_FALSE(RestoreDC(dc, 1));                // the stack is empty now
}

TEST_F(DcClipTest, StaleDcHandlesFailCleanly) {
  HDC m = CreateCompatibleDC(dc);
  EXPECT_TRUE(DeleteDC(m));
  EXPECT_FALSE(DeleteDC(m));
  RECT r{0, 0, 1, 1};
  EXPECT_EQ(FillRect(m, &r, Black()), 0);
  EXPECT_FALSE(BitBlt(dc, 0, 0, 1, 1, m, 0, 0, SRCCOPY));
  EXPECT_EQ(SaveDC(m), 0);
}

TEST_F(DcClipTest, ABitmapLivesInOneDcAtATime) {
  HBITMAP b = CreateBitmap(4, 4, 1, 32, nullptr);
  HDC a = CreateCompatibleDC(nullptr), c = CreateCompatibleDC(nullptr);
  HGDIOBJ oa = SelectObject(a, b);
  EXPECT_NE(oa, nullptr);
  EXPECT_EQ(SelectObject(c, b), nullptr);
  SelectObject(a, oa);
  HGDIOBJ oc = SelectObject(c, b);
  EXPECT_NE(oc, nullptr);
  SelectObject(c, oc);
  DeleteDC(a);
  DeleteDC(c);
  DeleteObject(b);
}

TEST_F(DcClipTest, ClipRectsTakeLogicalCoordinatesAndStartFromTheFullArea) {
  SetViewportOrgEx(dc, 10, 5, nullptr);
  SetWindowOrgEx(dc, 2, 0, nullptr);   // device = logical - (2,0) + (10,5)
  EXPECT_EQ(ExcludeClipRect(dc, 2, 0, 4, 2), COMPLEXREGION);
  RECT all{-20, -20, 40, 40};
  FillRect(dc, &all, Black());
  ExpectPx({{10, 5, kWhite}, {11, 6, kWhite}, {12, 5, kBlack}, {0, 0, kBlack}});

  Clear();
  SelectClipRgn(dc, nullptr);
  EXPECT_EQ(IntersectClipRect(dc, 2, 0, 6, 3), SIMPLEREGION);
  RECT box;
  EXPECT_EQ(GetClipBox(dc, &box), SIMPLEREGION);
  EXPECT_EQ(box, (RECT{2, 0, 6, 3}));
  FillRect(dc, &all, Black());
  ExpectPx({{10, 5, kBlack}, {13, 7, kBlack}, {14, 7, kWhite}});
}

TEST_F(DcClipTest, EffectiveClipIsApplicationClipWithinSystemClip) {
  Surface window(40, 30, 0xFFFFFF);
  Region sys(TRect{0, 0, 10, 10});   // device coordinates of the DC
  HDC w = CreateSurfaceDC(&window, {5, 4}, &sys);
  RECT all{-50, -50, 50, 50};
  HRGN app = CreateRectRgn(6, 6, 20, 20);
  SelectClipRgn(w, app);
  FillRect(w, &all, Black());
  EXPECT_EQ(window.At(11, 10), 0u);        // device (6,6) at surface (11,10)
  EXPECT_EQ(window.At(15, 14), 0xFFFFFFu);
  RECT box;
  GetClipBox(w, &box);
  EXPECT_EQ(box, (RECT{6, 6, 10, 10}));
  // The window layer changes the system clip later; the application clip stays.
  Region upd(TRect{0, 0, 8, 8});
  SetDCSystemClip(w, &upd);
  GetClipBox(w, &box);
  EXPECT_EQ(box, (RECT{6, 6, 8, 8}));
  DeleteObject(app);
  DeleteDC(w);
}

TEST_F(DcClipTest, FocusRectDrawnTwiceRestoresThePixels) {
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) Surf().Set(x, y, Pixel(x * 7 + y * 300));
  Surface before = Surf().Clone();
  RECT r{3, 4, 14, 11};
  DrawFocusRect(dc, &r);
  int changed = 0;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      const bool onFrame = x >= 3 && x < 14 && y >= 4 && y < 11 && (x == 3 || x == 13 || y == 4 || y == 10);
      if (Surf().At(x, y) != before.At(x, y)) {
        ++changed;
        EXPECT_TRUE(onFrame) << x << "," << y;
        EXPECT_EQ(Surf().At(x, y), ~before.At(x, y) & kPixelMask);
      }
    }
  EXPECT_EQ(changed, 16);   // half of the 32 frame pixels
  DrawFocusRect(dc, &r);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) ASSERT_EQ(Surf().At(x, y), before.At(x, y)) << x << "," << y;
}

TEST_F(DcClipTest, FillRectIgnoresInvertedRectsAndTakesSystemColourIndices) {
  RECT inv{5, 5, 2, 8};
  EXPECT_EQ(FillRect(dc, &inv, Black()), 1);
  EXPECT_EQ(Count(kBlack), 0);
  RECT r{0, 0, 2, 2};
  FillRect(dc, &r, reinterpret_cast<HBRUSH>(uintptr_t(COLOR_BTNSHADOW + 1)));
  ExpectPx({{1, 1, GetSysColor(COLOR_BTNSHADOW)}, {2, 2, kWhite}});
  RECT f{4, 4, 8, 7};
  FrameRect(dc, &f, Black());
  EXPECT_EQ(Count(kBlack), 10);
  ExpectPx({{7, 6, kBlack}, {5, 5, kWhite}});
}

TEST_F(DcClipTest, SunkenEdgeUsesTheTwoRingsAndAdjusts) {
  RECT r{2, 2, 10, 8};
  ASSERT_TRUE(DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST));
  EXPECT_EQ(r, (RECT{4, 4, 8, 6}));
  // Outer ring: shadow top-left, highlight bottom-right owning the corner; inner ring: dark
  // shadow top-left, light bottom-right; no BF_MIDDLE.
  ExpectPx({{2, 2, GetSysColor(COLOR_BTNSHADOW)}, {9, 2, GetSysColor(COLOR_BTNHIGHLIGHT)},
            {2, 7, GetSysColor(COLOR_BTNHIGHLIGHT)}, {3, 3, GetSysColor(COLOR_3DDKSHADOW)},
            {8, 6, GetSysColor(COLOR_3DLIGHT)}, {5, 5, kWhite}});
}

TEST_F(DcClipTest, ExtSelectClipRgnCombinesWithTheCurrentClip) {
  HRGN a = CreateRectRgn(0, 0, 10, 10), b = CreateRectRgn(5, 5, 20, 20), got = CreateRectRgn(0, 0, 0, 0);
  // Without a clip, the combination starts from the whole bitmap.
  EXPECT_EQ(ExtSelectClipRgn(dc, a, RGN_DIFF), COMPLEXREGION);
  EXPECT_EQ(std::pair(PtVisible(dc, 3, 3), PtVisible(dc, 12, 3)), std::pair(FALSE, TRUE));
  SelectClipRgn(dc, a);
  EXPECT_EQ(ExtSelectClipRgn(dc, b, RGN_OR), COMPLEXREGION);
  EXPECT_EQ(std::tuple(PtVisible(dc, 15, 15), PtVisible(dc, 2, 2), PtVisible(dc, 15, 2)),
            std::tuple(TRUE, TRUE, FALSE));
  EXPECT_EQ(ExtSelectClipRgn(dc, b, RGN_AND), SIMPLEREGION);
  EXPECT_EQ(GetClipRgn(dc, got), 1);
  EXPECT_TRUE(EqualRgn(got, b));
  RECT box;
  EXPECT_EQ(ExtSelectClipRgn(dc, b, 42), ERROR);
  EXPECT_EQ(IntersectClipRect(dc, 40, 40, 50, 50), NULLREGION);
  EXPECT_EQ(GetClipBox(dc, &box), NULLREGION);
  EXPECT_EQ(box, (RECT{0, 0, 0, 0}));
  for (HRGN h : {a, b, got}) DeleteObject(h);
}

TEST_F(DcClipTest, ColoursAreKeptAsGivenAndStartBlackOnWhite) {
  HDC m = CreateCompatibleDC(nullptr);
  EXPECT_EQ(SetBkColor(m, 0x12345678), COLORREF(0xFFFFFF));
  EXPECT_EQ(GetBkColor(m), COLORREF(0x12345678));   // all four bytes
  EXPECT_EQ(SetTextColor(m, 0xFFEEDDCC), COLORREF(0));
  EXPECT_EQ(GetTextColor(m), COLORREF(0xFFEEDDCC));
  DeleteDC(m);
  HDC stale = m;
  EXPECT_EQ(GetBkColor(stale), CLR_INVALID);
  EXPECT_EQ(SetBkMode(stale, OPAQUE), 0);
}

TEST_F(DcClipTest, GettingAndSelectingTheClipRegion) {
  EXPECT_EQ(GetClipRgn(nullptr, nullptr), -1);
  HDC m = CreateCompatibleDC(nullptr);   // holds the 1x1 bitmap
  GdiHold empty(CreateRectRgn(0, 0, 0, 0)), got(CreateRectRgn(1, 2, 3, 4)), same(CreateRectRgn(1, 2, 3, 4));
  HRGN g = HRGN(got.h);
  EXPECT_EQ(GetClipRgn(m, nullptr), 0);
  EXPECT_EQ(GetClipRgn(m, g), 0);
  EXPECT_TRUE(EqualRgn(g, HRGN(same.h)));   // untouched without a clip
  RECT box;
  // Nothing taken away from everything: the clip is the whole bitmap.
  EXPECT_EQ(ExtSelectClipRgn(m, HRGN(empty.h), RGN_DIFF), SIMPLEREGION);
  EXPECT_EQ(GetClipRgn(m, g), 1);
  EXPECT_EQ(GetRgnBox(g, &box), SIMPLEREGION);
  EXPECT_EQ(box, (RECT{0, 0, 1, 1}));
  EXPECT_EQ(GetClipRgn(m, nullptr), -1);   // a clip, but nowhere to put it
  EXPECT_EQ(ExtSelectClipRgn(m, nullptr, RGN_DIFF), ERROR);   // only RGN_COPY takes no region
  EXPECT_EQ(GetClipRgn(m, g), 1);
  EXPECT_EQ(ExtSelectClipRgn(m, nullptr, RGN_COPY), SIMPLEREGION);
  EXPECT_EQ(GetClipRgn(m, g), 0);
  EXPECT_EQ(SelectClipRgn(m, HRGN(empty.h)), NULLREGION);
  EXPECT_EQ(SelectClipRgn(m, nullptr), SIMPLEREGION);
  // A bigger bitmap makes a bigger whole; an inverted rectangle is still visible.
  HBITMAP bmp = CreateBitmap(100, 100, 1, 32, nullptr);
  HGDIOBJ old = SelectObject(m, bmp);
  EXPECT_EQ(ExtSelectClipRgn(m, HRGN(empty.h), RGN_DIFF), SIMPLEREGION);
  GetClipRgn(m, g);
  GetRgnBox(g, &box);
  EXPECT_EQ(box, (RECT{0, 0, 100, 100}));
  RECT inverted{20, 20, 10, 10};
  EXPECT_TRUE(RectVisible(m, &inverted));
  SelectObject(m, old);
  DeleteObject(bmp);
  DeleteDC(m);
}

TEST(ClipRegions, PolygonsWithoutAreaGiveAnEmptyRegionNotAFailure) {
  const POINT zero[] = {{0, 0}, {0, 0}, {0, 0}}, line[] = {{1, 0}, {11, 0}, {21, 0}};
  const POINT mixed[] = {{0, 0}, {0, 0}, {0, 0}, {6, 6}, {6, 6}, {6, 6}};
  const POINT overflow[] = {{0, 0}, {1, 0}, {0, INT32_MIN}};
  const INT three[] = {3}, twice[] = {3, 3};
  for (auto [pts, counts, n] : {std::tuple{zero, three, 1}, {line, three, 1}, {mixed, twice, 2}, {overflow, three, 1}}) {
    HRGN r = CreatePolyPolygonRgn(pts, counts, n, ALTERNATE);
    ASSERT_NE(r, nullptr);
    RECT box;
    EXPECT_EQ(GetRgnBox(r, &box), NULLREGION);
    DeleteObject(r);
  }
}
