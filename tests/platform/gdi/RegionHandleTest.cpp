#include "GdiTestCanvas.h"
#include "platform/gdi/Raster.h"
#include "platform/kernel/Threads.h"

using RegionHandleTest = GdiCanvasTest;

TEST_F(RegionHandleTest, CombineAnswersComplexityAndQueriesAgree) {
  HRGN a = CreateRectRgn(0, 0, 10, 10), b = CreateRectRgn(5, 5, 15, 15), d = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(CombineRgn(d, a, b, RGN_AND), SIMPLEREGION);
  RECT box;
  EXPECT_EQ(GetRgnBox(d, &box), SIMPLEREGION);
  EXPECT_EQ(box, (RECT{5, 5, 10, 10}));
  EXPECT_EQ(CombineRgn(d, a, b, RGN_OR), COMPLEXREGION);
  EXPECT_TRUE(PtInRegion(d, 14, 14) && !PtInRegion(d, 14, 2));
  EXPECT_EQ(CombineRgn(d, a, a, RGN_DIFF), NULLREGION);
  EXPECT_EQ(CombineRgn(d, b, nullptr, RGN_COPY), SIMPLEREGION);
  EXPECT_TRUE(EqualRgn(d, b));
  EXPECT_EQ(CombineRgn(d, a, b, 9), ERROR);
  DeleteObject(b);
  EXPECT_EQ(CombineRgn(d, a, b, RGN_AND), ERROR);   // stale operand
  EXPECT_FALSE(PtInRegion(b, 6, 6));
  DeleteObject(a);
  DeleteObject(d);
}

TEST_F(RegionHandleTest, FillFrameAndInvertRegionsUseLogicalCoordinates) {
  HRGN r = CreateRectRgn(2, 2, 8, 6);
  SetWindowOrgEx(dc, 1, 1, nullptr);
  FrameRgn(dc, r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)), 1, 1);
  ExpectPx({{1, 1, kBlack}, {6, 4, kBlack}, {2, 2, kWhite}, {7, 5, kWhite}});
  InvertRgn(dc, r);
  ExpectPx({{1, 1, kWhite}, {3, 3, kBlack}});
  FillRgn(dc, r, reinterpret_cast<HBRUSH>(uintptr_t(COLOR_HIGHLIGHT + 1)));
  EXPECT_EQ(Px(3, 3), GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_FALSE(FrameRgn(dc, r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)), 0, 1));
  DeleteObject(r);
}

TEST_F(RegionHandleTest, PathsBecomeRegions) {
  EXPECT_EQ(PathToRegion(dc), nullptr);   // no path yet
  BeginPath(dc);
  Rectangle(dc, 2, 3, 9, 7);
  EndPath(dc);
  EXPECT_EQ(Px(2, 3), kWhite);   // recording draws nothing
  HRGN r = PathToRegion(dc);
  ASSERT_NE(r, nullptr);
  HRGN want = CreateRectRgn(2, 3, 9, 7);
  EXPECT_TRUE(EqualRgn(r, want));
  EXPECT_EQ(PathToRegion(dc), nullptr);   // consumed
  DeleteObject(r);

  BeginPath(dc);
  Rectangle(dc, 0, 0, 4, 4);
  AbortPath(dc);
  EXPECT_FALSE(EndPath(dc));
  EXPECT_EQ(PathToRegion(dc), nullptr);
  DeleteObject(want);
}

namespace {
// `strips` parallelograms 3 pixels wide and 8 apart over rows [0, rows), leaning one pixel
// right per row, so no two rows are alike: the region holds strips * rows rectangles. Each
// strip is given `copies` times over itself.
struct Strips {
  std::vector<POINT> Points;
  std::vector<INT> Counts;
  Strips(int strips, int rows, int copies = 1) {
    for (int i = 0; i < strips; ++i)
      for (int c = 0; c < copies; ++c) {
        const int x = 8 * i;
        Points.insert(Points.end(), {{x, 0}, {x + 3, 0}, {x + 3 + rows, rows}, {x + rows, rows}});
        Counts.push_back(4);
      }
  }
  HRGN Rgn(int mode = ALTERNATE) const {
    return CreatePolyPolygonRgn(Points.data(), Counts.data(), int(Counts.size()), mode);
  }
  HRGN PathRgn(HDC dc) const {
    BeginPath(dc);
    PolyPolygon(dc, Points.data(), Counts.data(), int(Counts.size()));
    EndPath(dc);
    return PathToRegion(dc);
  }
};

size_t RectCount(HRGN r) { return RegionFromHandle(r)->Rgn.Rects().size(); }
}  // namespace

TEST_F(RegionHandleTest, RegionsFromPathsAndPolygonsStopAtTheLimitAndFailCleanly) {
  // 256 strips down a 4K screen's 2160 rows: 552960 rectangles are built whole.
  HRGN r = Strips(256, 2160).PathRgn(dc);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(RectCount(r), 552960u);
  RECT box;
  EXPECT_EQ(GetRgnBox(r, &box), COMPLEXREGION);
  EXPECT_EQ(box, (RECT{0, 0, 8 * 255 + 3 + 2159, 2160}));
  EXPECT_TRUE(PtInRegion(r, 8 * 7 + 2000, 2000) && PtInRegion(r, 8 * 7 + 2002, 2000));
  EXPECT_FALSE(PtInRegion(r, 8 * 7 + 1999, 2000) || PtInRegion(r, 8 * 7 + 2003, 2000));
  DeleteObject(r);

  // 256 strips of 16385 rows are a row more than the 4194304 rectangles a built region may
  // hold: no region, the error set, the path consumed.
  SetLastError(ERROR_SUCCESS);
  ASSERT_EQ(Strips(256, 16385).PathRgn(dc), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_FALSE(EndPath(dc));
  EXPECT_EQ(PathToRegion(dc), nullptr);
  // Far past it (a gigabyte whole) the build stops at the limit all the same.
  EXPECT_EQ(Strips(256, 400000).PathRgn(dc), nullptr);

  // Edges over one another give few rectangles but cost a crossing each per row: 4096 copies
  // of a strip (8192 edges) over 2049 rows are more crossings than a scan may look at.
  SetLastError(ERROR_SUCCESS);
  EXPECT_EQ(Strips(1, 2049, 4096).Rgn(WINDING), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_MEMORY);
}

TEST_F(RegionHandleTest, ClipPathsAndCombinationsStopAtTheLimitAndKeepTheClip) {
  // A path cut to the bitmap fails as a region from it would, and leaves the clip as it was.
  Canvas(64, 2100);
  IntersectClipRect(dc, 0, 0, 10, 10);
  BeginPath(dc);
  const Strips many(1, 2049, 4096);
  PolyPolygon(dc, many.Points.data(), many.Counts.data(), int(many.Counts.size()));
  EndPath(dc);
  SetLastError(ERROR_SUCCESS);
  EXPECT_FALSE(SelectClipPath(dc, RGN_COPY));
  EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_MEMORY);
  RECT box;
  EXPECT_EQ(GetClipBox(dc, &box), SIMPLEREGION);
  EXPECT_EQ(box, (RECT{0, 0, 10, 10}));

  // 2048 columns by 2048 rows meet in 4194304 squares: the limit. A row more fails.
  std::vector<POINT> pts;
  std::vector<INT> counts;
  auto rect = [&](int l, int t, int r, int b) {
    pts.insert(pts.end(), {{l, t}, {r, t}, {r, b}, {l, b}});
    counts.push_back(4);
  };
  for (int i = 0; i < 2048; ++i) rect(2 * i, 0, 2 * i + 1, 4098);
  HRGN columns = CreatePolyPolygonRgn(pts.data(), counts.data(), int(counts.size()), ALTERNATE);
  pts.clear();
  counts.clear();
  for (int j = 0; j < 2048; ++j) rect(0, 2 * j, 4096, 2 * j + 1);
  HRGN rows = CreatePolyPolygonRgn(pts.data(), counts.data(), int(counts.size()), ALTERNATE);
  rect(0, 4096, 4096, 4097);
  HRGN moreRows = CreatePolyPolygonRgn(pts.data(), counts.data(), int(counts.size()), ALTERNATE);
  HRGN d = CreateRectRgn(1, 2, 3, 4), want = CreateRectRgn(1, 2, 3, 4);
  ASSERT_EQ(CombineRgn(d, columns, rows, RGN_AND), COMPLEXREGION);
  EXPECT_EQ(RectCount(d), 4194304u);
  EXPECT_TRUE(PtInRegion(d, 4094, 4094) && !PtInRegion(d, 4093, 4094) && !PtInRegion(d, 4094, 4095));
  CombineRgn(d, want, nullptr, RGN_COPY);
  SetLastError(ERROR_SUCCESS);
  EXPECT_EQ(CombineRgn(d, columns, moreRows, RGN_AND), ERROR);
  EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_TRUE(EqualRgn(d, want));   // the destination kept

  SelectClipRgn(dc, columns);
  SetLastError(ERROR_SUCCESS);
  EXPECT_EQ(ExtSelectClipRgn(dc, moreRows, RGN_AND), ERROR);
  EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_MEMORY);
  HRGN clip = CreateRectRgn(0, 0, 0, 0);
  ASSERT_EQ(GetClipRgn(dc, clip), 1);
  EXPECT_TRUE(EqualRgn(clip, columns));
  for (HRGN h : {columns, rows, moreRows, d, want, clip}) DeleteObject(h);
}
