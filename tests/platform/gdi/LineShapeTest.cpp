#include "GdiTestCanvas.h"

#include <set>
#include <utility>

using LineShapeTest = GdiCanvasTest;



TEST_F(LineShapeTest, LinesExcludeTheirEndPointInEveryDirection) {
  const POINT ends[] = {{20, 10}, {0, 10}, {10, 20}, {10, 0}, {18, 14}, {2, 6}, {13, 19}, {7, 1}};
  for (POINT e : ends) {
    Surf().Fill(0xFFFFFF);
    MoveToEx(dc, 10, 10, nullptr);
    LineTo(dc, e.X, e.Y);
    EXPECT_EQ(Px(10, 10), kBlack) << "start drawn, to " << e.X << "," << e.Y;
    EXPECT_EQ(Px(e.X, e.Y), kWhite) << "end excluded, to " << e.X << "," << e.Y;
    // One pixel per step of the major axis.
    int count = 0;
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x) count += Px(x, y) == kBlack;
    EXPECT_EQ(count, std::max(std::abs(e.X - 10), std::abs(e.Y - 10)));
    POINT cp;
    GetCurrentPositionEx(dc, &cp);
    EXPECT_EQ(cp, e);
  }
}

TEST_F(LineShapeTest, ZeroLengthLineDrawsNothing) {
  MoveToEx(dc, 5, 5, nullptr);
  LineTo(dc, 5, 5);
  EXPECT_EQ(Px(5, 5), kWhite);
}

TEST_F(LineShapeTest, XorPolylineTouchesEachPixelOnce) {
  SetROP2(dc, R2_XORPEN);
  HPEN pen = CreatePen(PS_SOLID, 1, kWhite);
  HGDIOBJ o = SelectObject(dc, pen);
  const POINT sq[] = {{2, 2}, {12, 2}, {12, 9}, {2, 9}, {2, 2}};
  Polyline(dc, sq, 5);
  // White XOR white = black on every outline pixel; a pixel hit twice would be white again.
  for (int x = 2; x <= 12; ++x) {
    EXPECT_EQ(Px(x, 2), kBlack) << x;
    EXPECT_EQ(Px(x, 9), kBlack) << x;
  }
  for (int y = 2; y <= 9; ++y) {
    EXPECT_EQ(Px(2, y), kBlack) << y;
    EXPECT_EQ(Px(12, y), kBlack) << y;
  }
  EXPECT_EQ(Px(7, 5), kWhite);
  SelectObject(dc, o);
  DeleteObject(pen);
}

TEST_F(LineShapeTest, RectangleCoversLeftTopButNotRightBottom) {
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  HGDIOBJ ob = SelectObject(dc, red);
  Rectangle(dc, 2, 3, 8, 7);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) {
      const bool inside = x >= 2 && x < 8 && y >= 3 && y < 7;
      const bool border = inside && (x == 2 || x == 7 || y == 3 || y == 6);
      const COLORREF want = !inside ? kWhite : border ? kBlack : RGB(255, 0, 0);
      EXPECT_EQ(Px(x, y), want) << x << "," << y;
    }
  // Without a pen the fill loses the right column and bottom row.
  Surf().Fill(0xFFFFFF);
  HGDIOBJ op = SelectObject(dc, GetStockObject(NULL_PEN));
  Rectangle(dc, 2, 3, 8, 7);
  EXPECT_EQ(Px(2, 3), RGB(255, 0, 0));
  EXPECT_EQ(Px(6, 5), RGB(255, 0, 0));
  EXPECT_EQ(Px(7, 5), kWhite);
  EXPECT_EQ(Px(6, 6), kWhite);
  SelectObject(dc, op);
  SelectObject(dc, ob);
  DeleteObject(red);
}

TEST_F(LineShapeTest, DottedPenAlternatesRunsAndFillsGapsOnlyWhenOpaque) {
  HPEN dot = CreatePen(PS_DOT, 1, kBlack);
  HGDIOBJ o = SelectObject(dc, dot);
  SetBkColor(dc, RGB(0, 0, 255));
  SetBkMode(dc, TRANSPARENT);
  MoveToEx(dc, 0, 1, nullptr);
  LineTo(dc, 12, 1);
  SetBkMode(dc, OPAQUE);
  MoveToEx(dc, 0, 3, nullptr);
  LineTo(dc, 12, 3);
  for (int x = 0; x < 12; ++x) {
    const bool on = (x / 3) % 2 == 0;
    EXPECT_EQ(Px(x, 1), on ? kBlack : kWhite) << x;
    EXPECT_EQ(Px(x, 3), on ? kBlack : RGB(0, 0, 255)) << x;
  }
  SelectObject(dc, o);
  DeleteObject(dot);
}

TEST_F(LineShapeTest, PolygonFillsInteriorAndOutlinesWithPen) {
  HBRUSH green = CreateSolidBrush(RGB(0, 255, 0));
  HGDIOBJ ob = SelectObject(dc, green);
  const POINT tri[] = {{2, 2}, {20, 2}, {2, 20}};
  Polygon(dc, tri, 3);
  EXPECT_EQ(Px(2, 2), kBlack);
  EXPECT_EQ(Px(10, 2), kBlack);
  EXPECT_EQ(Px(2, 10), kBlack);
  EXPECT_EQ(Px(5, 5), RGB(0, 255, 0));
  EXPECT_EQ(Px(15, 15), kWhite);
  SelectObject(dc, ob);
  DeleteObject(green);
}

TEST_F(LineShapeTest, EllipseStaysInsideItsBoxAndIsSymmetric) {
  HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
  HGDIOBJ ob = SelectObject(dc, blue);
  Ellipse(dc, 4, 6, 24, 20);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      const bool painted = Px(x, y) != kWhite;
      if (x < 4 || x >= 24 || y < 6 || y >= 20) {
        EXPECT_FALSE(painted) << x << "," << y;
      }
      // Mirror inside the box: x -> 4 + 23 - x, y -> 6 + 19 - y.
      if (x >= 4 && x < 24 && y >= 6 && y < 20) {
        EXPECT_EQ(painted, Px(27 - x, y) != kWhite) << x << "," << y;
        EXPECT_EQ(painted, Px(x, 25 - y) != kWhite) << x << "," << y;
      }
    }
  EXPECT_EQ(Px(14, 13), RGB(0, 0, 255));   // centre filled
  EXPECT_EQ(Px(14, 6), kBlack);            // top of the outline
  SelectObject(dc, ob);
  DeleteObject(blue);
}

TEST_F(LineShapeTest, PieRunsCounterClockwiseAndIsFullWhenEndsMeet) {
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  HGDIOBJ ob = SelectObject(dc, red);
  HGDIOBJ op = SelectObject(dc, GetStockObject(NULL_PEN));
  // From east to north, counter-clockwise: the upper right quadrant.
  Pie(dc, 0, 0, 30, 30, 30, 15, 15, 0);
  EXPECT_EQ(Px(22, 8), RGB(255, 0, 0));
  EXPECT_EQ(Px(8, 8), kWhite);
  EXPECT_EQ(Px(8, 22), kWhite);
  EXPECT_EQ(Px(22, 22), kWhite);
  // Swapped ends give the other three quadrants.
  Surf().Fill(0xFFFFFF);
  Pie(dc, 0, 0, 30, 30, 15, 0, 30, 15);
  EXPECT_EQ(Px(22, 8), kWhite);
  EXPECT_EQ(Px(8, 8), RGB(255, 0, 0));
  EXPECT_EQ(Px(8, 22), RGB(255, 0, 0));
  EXPECT_EQ(Px(22, 22), RGB(255, 0, 0));
  // Equal radials: the whole ellipse, same pixels as Ellipse.
  Surf().Fill(0xFFFFFF);
  Pie(dc, 2, 3, 27, 21, 27, 12, 27, 12);
  std::vector<COLORREF> pie;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) pie.push_back(Px(x, y));
  Surf().Fill(0xFFFFFF);
  Ellipse(dc, 2, 3, 27, 21);
  size_t i = 0, filled = 0;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x, ++i) {
      EXPECT_EQ(pie[i], Px(x, y)) << x << "," << y;
      filled += pie[i] != kWhite;
    }
  EXPECT_GT(filled, 200u);
  SelectObject(dc, op);
  SelectObject(dc, ob);
  DeleteObject(red);
}

TEST_F(LineShapeTest, SetPixelAndGetPixelFollowOriginAndClip) {
  SetViewportOrgEx(dc, 5, 6, nullptr);
  EXPECT_EQ(SetPixel(dc, 1, 2, RGB(9, 8, 7)), RGB(9, 8, 7));
  EXPECT_EQ(Px(6, 8), RGB(9, 8, 7));
  EXPECT_EQ(GetPixel(dc, 1, 2), RGB(9, 8, 7));
  EXPECT_EQ(GetPixel(dc, 40, 40), CLR_INVALID);
  EXPECT_EQ(SetPixel(dc, -20, 0, kBlack), CLR_INVALID);
  IntersectClipRect(dc, 0, 0, 1, 1);
  EXPECT_EQ(GetPixel(dc, 1, 2), CLR_INVALID);
  EXPECT_EQ(SetPixel(dc, 1, 2, kBlack), CLR_INVALID);
  EXPECT_EQ(Px(6, 8), RGB(9, 8, 7));
}

TEST_F(LineShapeTest, DeletingASelectedPenKeepsDrawingSafe) {
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
  HGDIOBJ o = SelectObject(dc, pen);
  EXPECT_TRUE(DeleteObject(pen));
  EXPECT_EQ(GetObjectType(pen), 0u);
  MoveToEx(dc, 0, 0, nullptr);
  LineTo(dc, 4, 0);
  EXPECT_EQ(Px(1, 0), RGB(255, 0, 0));
  EXPECT_EQ(SelectObject(dc, o), static_cast<HGDIOBJ>(pen));
}

TEST_F(LineShapeTest, FarAwayLinesDrawOnlyTheirVisiblePartWithTheRightDashPhase) {
  HPEN dot = CreatePen(PS_DOT, 1, kBlack);
  HGDIOBJ o = SelectObject(dc, dot);
  SetBkMode(dc, TRANSPARENT);
  MoveToEx(dc, -30, 1, nullptr);
  LineTo(dc, 12, 1);
  for (int x = 0; x < 12; ++x) EXPECT_EQ(Px(x, 1), ((x + 30) / 3) % 2 == 0 ? kBlack : kWhite) << x;
  SelectObject(dc, o);
  DeleteObject(dot);
  // Ends near the coordinate limits: the visible part only, the end still excluded.
  Surf().Fill(0xFFFFFF);
  MoveToEx(dc, -2000000000, 5, nullptr);
  LineTo(dc, 2000000000, 5);
  EXPECT_EQ(Px(0, 5), kBlack);
  EXPECT_EQ(Px(31, 5), kBlack);
  Surf().Fill(0xFFFFFF);
  SetViewportOrgEx(dc, 2000000000, 0, nullptr);   // sums stay in range
  MoveToEx(dc, 0, 7, nullptr);
  LineTo(dc, 5, 7);
  Rectangle(dc, -2147483647, -2147483647, 2147483647, 2147483647);
  Ellipse(dc, -2147483647, -2147483647, 2147483647, 2147483647);
  SetViewportOrgEx(dc, 0, 0, nullptr);
  EXPECT_EQ(Px(0, 7), kWhite);
}

TEST_F(LineShapeTest, WidePensCoverTheirWidthAroundTheLine) {
  HPEN wide = CreatePen(PS_SOLID, 3, kBlack);
  HGDIOBJ o = SelectObject(dc, wide);
  MoveToEx(dc, 5, 10, nullptr);
  LineTo(dc, 20, 10);
  for (int x = 5; x < 20; ++x)
    for (int y = 8; y <= 12; ++y) EXPECT_EQ(Px(x, y), (y >= 9 && y <= 11) ? kBlack : kWhite) << x << "," << y;
  // A wide-pen rectangle is framed on the outline, the fill inside it.
  Surf().Fill(0xFFFFFF);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  HGDIOBJ ob = SelectObject(dc, red);
  Rectangle(dc, 5, 5, 20, 20);
  EXPECT_EQ(Px(4, 4), kBlack);
  EXPECT_EQ(Px(6, 6), kBlack);
  EXPECT_EQ(Px(7, 7), RGB(255, 0, 0));
  EXPECT_EQ(Px(3, 3), kWhite);
  SelectObject(dc, ob);
  SelectObject(dc, o);
  DeleteObject(red);
  DeleteObject(wide);
}

TEST_F(LineShapeTest, HatchBrushesPaintLinesAndRespectTheBackgroundMode) {
  HBRUSH h = CreateHatchBrush(HS_HORIZONTAL, RGB(0, 0, 255));
  SetBkColor(dc, RGB(0, 255, 0));
  RECT r{0, 0, 8, 16};
  FillRect(dc, &r, h);
  int lineRows = 0;
  for (int y = 0; y < 16; ++y) {
    const COLORREF c = Px(3, y);
    EXPECT_TRUE(c == RGB(0, 0, 255) || c == RGB(0, 255, 0)) << y;
    lineRows += c == RGB(0, 0, 255);
    for (int x = 0; x < 8; ++x) EXPECT_EQ(Px(x, y), c) << "rows are uniform";
  }
  EXPECT_EQ(lineRows, 2);   // one per 8 rows
  // Shapes with a hatch brush in TRANSPARENT mode leave the gaps alone.
  Surf().Fill(0xFFFFFF);
  SetBkMode(dc, TRANSPARENT);
  HGDIOBJ ob = SelectObject(dc, h);
  HGDIOBJ op = SelectObject(dc, GetStockObject(NULL_PEN));
  Rectangle(dc, 0, 0, 9, 17);
  int blue = 0, white = 0;
  for (int y = 0; y < 16; ++y) {
    blue += Px(3, y) == RGB(0, 0, 255);
    white += Px(3, y) == kWhite;
  }
  EXPECT_EQ(blue, 2);
  EXPECT_EQ(white, 14);
  SelectObject(dc, op);
  SelectObject(dc, ob);
  DeleteObject(h);
}

TEST_F(LineShapeTest, RoundRectMatchesItsRegionAndStrokePathDrawsFigures) {
  HGDIOBJ op = SelectObject(dc, GetStockObject(NULL_PEN));
  HGDIOBJ ob = SelectObject(dc, GetStockObject(BLACK_BRUSH));
  RoundRect(dc, 2, 2, 21, 17, 8, 6);
  HRGN rgn = CreateRoundRectRgn(2, 2, 20, 16, 8, 6);   // the pen-less fill is one pixel smaller
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) EXPECT_EQ(Px(x, y) == kBlack, bool(PtInRegion(rgn, x, y))) << x << "," << y;
  DeleteObject(rgn);
  SelectObject(dc, ob);
  SelectObject(dc, op);
  Surf().Fill(0xFFFFFF);
  BeginPath(dc);
  const POINT tri[] = {{2, 2}, {10, 2}, {2, 10}};
  Polygon(dc, tri, 3);
  EndPath(dc);
  EXPECT_TRUE(StrokePath(dc));
  EXPECT_EQ(Px(2, 2), kBlack);
  EXPECT_EQ(Px(9, 2), kBlack);
  EXPECT_EQ(Px(2, 9), kBlack);
  EXPECT_EQ(Px(4, 4), kWhite);
  EXPECT_FALSE(StrokePath(dc));   // consumed
}

TEST_F(LineShapeTest, TiesLightTheUpperOrLeftPixelWhicheverWayTheLineRuns) {
  auto draw = [&](POINT a, POINT b) {
    Surf().Fill(0xFFFFFF);
    MoveToEx(dc, a.X, a.Y, nullptr);
    LineTo(dc, b.X, b.Y);
    std::vector<POINT> lit;
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x)
        if (Px(x, y) == kBlack) lit.push_back({x, y});
    return lit;
  };
  // Slope 1/2: at x = 11 and 13 the line runs exactly between two rows.
  const auto down = draw({10, 10}, {14, 12});
  EXPECT_EQ(down, (std::vector<POINT>{{10, 10}, {11, 10}, {12, 11}, {13, 11}}));
  const auto up = draw({14, 12}, {10, 10});
  EXPECT_EQ(up, (std::vector<POINT>{{11, 10}, {12, 11}, {13, 11}, {14, 12}}));
  // Steep: ties between columns go left.
  const auto steep = draw({10, 10}, {12, 14});
  EXPECT_EQ(steep, (std::vector<POINT>{{10, 10}, {10, 11}, {11, 12}, {11, 13}}));
  const auto steepBack = draw({12, 14}, {10, 10});
  EXPECT_EQ(steepBack, (std::vector<POINT>{{10, 11}, {11, 12}, {11, 13}, {12, 14}}));
  // Mirrored upwards: the same rule, so the upper pixel again.
  const auto rising = draw({10, 12}, {14, 10});
  EXPECT_EQ(rising, (std::vector<POINT>{{13, 10}, {11, 11}, {12, 11}, {10, 12}}));
}
