#include "GdiTestCanvas.h"

#include <cmath>

using CurvesTest = GdiCanvasTest;

TEST_F(CurvesTest, ArcToLinesToTheArcsStartRunsCounterClockwiseAndEndsThere) {
  MoveToEx(dc, 2, 2, nullptr);
  // The circle in (10, 10)-(30, 30) from 0 degrees (its right) to 90 (its top).
  ASSERT_TRUE(ArcTo(dc, 10, 10, 30, 30, 40, 20, 20, 0));
  POINT pos{};
  GetCurrentPositionEx(dc, &pos);
  EXPECT_EQ(pos.X, 20);
  EXPECT_EQ(pos.Y, 10);
  // The line from (2, 2) to (30, 20) passes (16, 11); the arc passes 60 degrees at (25, 11)
  // and never reaches the left or lower half.
  ExpectPx({{2, 2, kBlack}, {16, 11, kBlack}, {30, 19, kBlack}, {25, 11, kBlack}});
  ExpectPx({{10, 20, kWhite}, {20, 30, kWhite}, {13, 13, kWhite}, {27, 27, kWhite}});
  // A box with no area draws nothing and keeps the position.
  Clear();
  EXPECT_FALSE(ArcTo(dc, 5, 5, 5, 20, 0, 0, 1, 1));
  EXPECT_TRUE(Inked().empty());
  GetCurrentPositionEx(dc, &pos);
  EXPECT_EQ(pos.X, 20);
}

TEST_F(CurvesTest, ArcToWhoseRadialsPointOneWayDrawsTheWholeEllipse) {
  // The box (5, 6)-(27, 18): centre (16, 12), radii 11 and 6. The start radial runs through
  // (25, 11), nine across and one up; the end radial through the same point, or through
  // (43, 9), three times as far the same way.
  for (const POINT end : {POINT{25, 11}, POINT{43, 9}}) {
    Clear();
    MoveToEx(dc, 27, 11, nullptr);
    ASSERT_TRUE(ArcTo(dc, 5, 6, 27, 18, 25, 11, end.X, end.Y));
    // Its left, top and bottom ends and the lower right quarter, round to where it started.
    ExpectPx(
        {{5, 12, kBlack}, {16, 6, kBlack}, {16, 18, kBlack}, {24, 16, kBlack}, {27, 12, kBlack}});
    ExpectPx({{16, 12, kWhite}, {4, 12, kWhite}, {16, 19, kWhite}});
    POINT pos{};
    GetCurrentPositionEx(dc, &pos);
    EXPECT_EQ(pos.X, 27) << "end " << end.X;
    EXPECT_EQ(pos.Y, 11);
  }
}

TEST_F(CurvesTest, AngleArcLinesToItsStartAndSweepsByTheSignOfItsAngle) {
  MoveToEx(dc, 0, 16, nullptr);
  ASSERT_TRUE(AngleArc(dc, 16, 16, 10, 0.0f, 90.0f));
  POINT pos{};
  GetCurrentPositionEx(dc, &pos);
  EXPECT_EQ(pos.X, 16);
  EXPECT_EQ(pos.Y, 6);
  // The line along row 16 to (26, 16), then up and round through 45 degrees at (23, 9).
  ExpectPx({{0, 16, kBlack}, {12, 16, kBlack}, {25, 16, kBlack}, {23, 9, kBlack}, {23, 23, kWhite}, {9, 9, kWhite}});
  Clear();
  MoveToEx(dc, 26, 16, nullptr);
  ASSERT_TRUE(AngleArc(dc, 16, 16, 10, 0.0f, -90.0f));   // clockwise: down
  GetCurrentPositionEx(dc, &pos);
  EXPECT_EQ(pos.Y, 26);
  ExpectPx({{23, 23, kBlack}, {23, 9, kWhite}});
  // A radius past the coordinate range, or an angle that is no number, fails untouched.
  Clear();
  EXPECT_FALSE(AngleArc(dc, 16, 16, 0x80000000u, 0.0f, 90.0f));
  EXPECT_FALSE(AngleArc(dc, 16, 16, 5, std::nanf(""), 90.0f));
  EXPECT_TRUE(Inked().empty());
}

TEST_F(CurvesTest, PolyDrawChecksEveryTypeFirstAndClosesFiguresToTheirStart) {
  MoveToEx(dc, 2, 2, nullptr);
  const POINT tri[] = {{20, 2}, {20, 20}};
  const BYTE triTypes[] = {PT_LINETO, PT_LINETO | PT_CLOSEFIGURE};
  ASSERT_TRUE(PolyDraw(dc, tri, triTypes, 2));
  // Closing draws back to the figure's start, the position stays at the last point.
  ExpectPx({{10, 2, kBlack}, {20, 10, kBlack}, {11, 11, kBlack}, {12, 8, kWhite}});
  POINT pos{};
  GetCurrentPositionEx(dc, &pos);
  EXPECT_EQ(pos.X, 20);
  EXPECT_EQ(pos.Y, 20);
  const int inked = int(Inked().size());
  // Bad figures fail whole: nothing drawn, the position kept.
  const POINT four[] = {{5, 28}, {6, 28}, {7, 28}, {8, 28}};
  const BYTE loneBezier[] = {PT_LINETO, PT_BEZIERTO, PT_LINETO, PT_LINETO};
  const BYTE shortBezier[] = {PT_MOVETO, PT_LINETO, PT_BEZIERTO, PT_BEZIERTO};
  const BYTE closedMove[] = {PT_LINETO, PT_MOVETO | PT_CLOSEFIGURE, PT_LINETO, PT_LINETO};
  const BYTE bareClose[] = {PT_MOVETO, PT_LINETO, PT_CLOSEFIGURE, PT_LINETO};
  for (const BYTE* bad : {loneBezier, shortBezier, closedMove, bareClose}) {
    EXPECT_FALSE(PolyDraw(dc, four, bad, 4));
    GetCurrentPositionEx(dc, &pos);
    EXPECT_EQ(pos.X, 20);
    EXPECT_EQ(pos.Y, 20);
  }
  EXPECT_EQ(int(Inked().size()), inked);
  // Moves start new figures; a Bezier's three points curve from where the figure is.
  Clear();
  const POINT mixed[] = {{2, 28}, {10, 28}, {14, 20}, {22, 20}, {26, 28}};
  const BYTE mixedTypes[] = {PT_MOVETO, PT_LINETO, PT_BEZIERTO, PT_BEZIERTO, PT_BEZIERTO};
  ASSERT_TRUE(PolyDraw(dc, mixed, mixedTypes, 5));
  ExpectPx({{6, 28, kBlack}, {18, 22, kBlack}, {18, 20, kWhite}, {20, 10, kWhite}});
  GetCurrentPositionEx(dc, &pos);
  EXPECT_EQ(pos.X, 26);
}

TEST_F(CurvesTest, PolyDrawAndArcToAddToAnOpenPath) {
  Use(GetStockObject(NULL_PEN));
  Use(CreateSolidBrush(RGB(0, 0, 255)));
  BeginPath(dc);
  MoveToEx(dc, 4, 4, nullptr);
  const POINT pts[] = {{20, 4}, {20, 20}};
  const BYTE types[] = {PT_LINETO, PT_LINETO | PT_CLOSEFIGURE};
  ASSERT_TRUE(PolyDraw(dc, pts, types, 2));
  EndPath(dc);
  FillPath(dc);
  // The triangle (4, 4) (20, 4) (20, 20) filled: inside its diagonal, not beyond.
  ExpectPx({{18, 6, RGB(0, 0, 255)}, {6, 18, kWhite}, {10, 5, RGB(0, 0, 255)}});
}
