#include "GdiTestCanvas.h"

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
