#include "GdiTestCanvas.h"

#include <set>
#include <string>
#include <utility>

using LineShapeTest = GdiCanvasTest;

namespace {
constexpr COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0), kBlue = RGB(0, 0, 255);
}

TEST_F(LineShapeTest, LinesExcludeTheirEndPointInEveryDirection) {
  const POINT ends[] = {{20, 10}, {0, 10}, {10, 20}, {10, 0}, {18, 14}, {2, 6}, {13, 19}, {7, 1}};
  for (POINT e : ends) {
    SCOPED_TRACE(testing::Message() << "to " << e.X << "," << e.Y);
    Clear();
    MoveToEx(dc, 10, 10, nullptr);
    LineTo(dc, e.X, e.Y);
    ExpectPx({{10, 10, kBlack}, {e.X, e.Y, kWhite}});   // the start drawn, the end excluded
    // One pixel per step of the major axis.
    EXPECT_EQ(int(Inked().size()), std::max(std::abs(e.X - 10), std::abs(e.Y - 10)));
  }
  // A zero-length line draws nothing.
  Clear();
  MoveToEx(dc, 5, 5, nullptr);
  LineTo(dc, 5, 5);
  EXPECT_EQ(Px(5, 5), kWhite);
}

TEST_F(LineShapeTest, XorPolylineTouchesEachPixelOnce) {
  SetROP2(dc, R2_XORPEN);
  Use(CreatePen(PS_SOLID, 1, kWhite));
  const POINT sq[] = {{2, 2}, {12, 2}, {12, 9}, {2, 9}, {2, 2}};
  Polyline(dc, sq, 5);
  // White XOR white = black on every outline pixel; a pixel hit twice would be white again.
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      const bool outline = ((x == 2 || x == 12) && y >= 2 && y <= 9) || ((y == 2 || y == 9) && x >= 2 && x <= 12);
      EXPECT_EQ(Px(x, y), outline ? kBlack : kWhite) << x << "," << y;
    }
}

TEST_F(LineShapeTest, RectangleCoversLeftTopButNotRightBottom) {
  Use(CreateSolidBrush(kRed));
  Rectangle(dc, 2, 3, 8, 7);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) {
      const bool inside = x >= 2 && x < 8 && y >= 3 && y < 7;
      const bool border = inside && (x == 2 || x == 7 || y == 3 || y == 6);
      EXPECT_EQ(Px(x, y), !inside ? kWhite : border ? kBlack : kRed) << x << "," << y;
    }
  // Without a pen the fill loses the right column and bottom row.
  Clear();
  Use(GetStockObject(NULL_PEN));
  Rectangle(dc, 2, 3, 8, 7);
  ExpectPx({{2, 3, kRed}, {6, 5, kRed}, {7, 5, kWhite}, {6, 6, kWhite}});
}

TEST_F(LineShapeTest, PolygonFillsInteriorAndOutlinesWithPen) {
  Use(CreateSolidBrush(kGreen));
  const POINT tri[] = {{2, 2}, {20, 2}, {2, 20}};
  Polygon(dc, tri, 3);
  ExpectPx({{2, 2, kBlack}, {10, 2, kBlack}, {2, 10, kBlack}, {5, 5, kGreen}, {15, 15, kWhite}});
}

namespace {
// Rows of the canvas's top-left w x h pixels: '#' for `ink`, 'o' for `other`, '.' for white.
template <class PixelAt>
std::vector<std::string> Picture(PixelAt px, int w, int h, COLORREF ink, COLORREF other = RGB(255, 255, 255)) {
  std::vector<std::string> rows;
  for (int y = 0; y < h; ++y) {
    std::string r;
    for (int x = 0; x < w; ++x) {
      const COLORREF c = px(x, y);
      r += c == ink ? '#' : c == other && other != RGB(255, 255, 255) ? 'o' : c == RGB(255, 255, 255) ? '.' : '?';
    }
    rows.push_back(r);
  }
  return rows;
}
}  // namespace

TEST_F(LineShapeTest, FillTakesPixelsWhosePointIsInsideLeftAndTopEdgesIncluded) {
  auto at = [this](int x, int y) { return Px(x, y); };
  Use(CreateSolidBrush(kRed));
  Use(GetStockObject(NULL_PEN));
  const POINT down[] = {{0, 0}, {8, 0}, {4, 4}};
  Polygon(dc, down, 3);
  EXPECT_EQ(Picture(at, 10, 5, kRed),
            (std::vector<std::string>{"########..", ".######...", "..####....", "...##.....", ".........."}));
  Clear();
  // Vertical edges: the left one is in, the right one out; the bottom row is out.
  const POINT quad[] = {{1, 1}, {5, 1}, {5, 3}, {1, 3}};
  Polygon(dc, quad, 4);
  EXPECT_EQ(Picture(at, 7, 4, kRed),
            (std::vector<std::string>{".......", ".####..", ".####..", "......."}));
  // A region from the same points holds the same pixels.
  GdiHold rgn(CreatePolygonRgn(down, 3, ALTERNATE));
  Clear();
  GdiHold red(CreateSolidBrush(kRed));
  FillRgn(dc, HRGN(rgn.h), HBRUSH(red.h));
  EXPECT_EQ(Picture(at, 10, 4, kRed),
            (std::vector<std::string>{"########..", ".######...", "..####....", "...##....."}));
}

TEST_F(LineShapeTest, ArrowGlyphsOfOneColourAreSolid) {
  auto at = [this](int x, int y) { return Px(x, y); };
  // The drop-down and scroll arrows the painters draw: pen and brush of one colour.
  Use(CreateSolidBrush(kBlue));
  Use(CreatePen(PS_SOLID, 1, kBlue));
  struct Glyph {
    std::vector<POINT> points;
    std::vector<std::string> rows;
  };
  const Glyph glyphs[] = {
      {{{0, 0}, {8, 0}, {4, 4}}, {"#########", ".#######.", "..#####..", "...###...", "....#...."}},
      {{{4, 0}, {8, 4}, {0, 4}}, {"....#....", "...###...", "..#####..", ".#######.", "#########"}},
      {{{0, 0}, {0, 8}, {4, 4}}, {"#....", "##...", "###..", "####.", "#####", "####.", "###..", "##...", "#...."}},
      {{{4, 0}, {4, 8}, {0, 4}}, {"....#", "...##", "..###", ".####", "#####", ".####", "..###", "...##", "....#"}},
  };
  for (const Glyph& g : glyphs) {
    Clear();
    Polygon(dc, g.points.data(), int(g.points.size()));
    EXPECT_EQ(Picture(at, int(g.rows[0].size()), int(g.rows.size()), kBlue), g.rows)
        << g.points[0].X << "," << g.points[0].Y;
  }
  // A pen of another colour outlines exactly the edges' line pixels around the same fill.
  Clear();
  Use(CreatePen(PS_SOLID, 1, kRed));
  const POINT down[] = {{0, 0}, {8, 0}, {4, 4}};
  Polygon(dc, down, 3);
  EXPECT_EQ(Picture(at, 9, 5, kBlue, kRed),
            (std::vector<std::string>{"ooooooooo", ".o#####o.", "..o###o..", "...o#o...", "....o...."}));
}

TEST_F(LineShapeTest, PieRunsCounterClockwiseAndIsFullWhenEndsMeet) {
  Use(CreateSolidBrush(kRed));
  Use(GetStockObject(NULL_PEN));
  // From east to north, counter-clockwise: the upper right quadrant.
  Pie(dc, 0, 0, 30, 30, 30, 15, 15, 0);
  ExpectPx({{22, 8, kRed}, {8, 8, kWhite}, {8, 22, kWhite}, {22, 22, kWhite}});
  // Equal radials: the whole ellipse, same pixels as Ellipse.
  Clear();
  Pie(dc, 2, 3, 27, 21, 27, 12, 27, 12);
  const std::vector<POINT> pie = Inked();
  Clear();
  Ellipse(dc, 2, 3, 27, 21);
  EXPECT_EQ(pie, Inked());
  EXPECT_GT(pie.size(), 200u);
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
  HPEN pen = CreatePen(PS_SOLID, 1, kRed);
  HGDIOBJ o = SelectObject(dc, pen);
  EXPECT_TRUE(DeleteObject(pen));
  MoveToEx(dc, 0, 0, nullptr);
  LineTo(dc, 4, 0);
  EXPECT_EQ(Px(1, 0), kRed);
  EXPECT_EQ(SelectObject(dc, o), static_cast<HGDIOBJ>(pen));
}

TEST_F(LineShapeTest, FarAwayLinesDrawOnlyTheirVisiblePartWithTheRightDashPhase) {
  GdiHold dot(CreatePen(PS_DOT, 1, kBlack));
  HGDIOBJ o = SelectObject(dc, dot.h);
  SetBkMode(dc, TRANSPARENT);
  MoveToEx(dc, -30, 1, nullptr);
  LineTo(dc, 12, 1);
  for (int x = 0; x < 12; ++x) EXPECT_EQ(Px(x, 1), ((x + 30) / 3) % 2 == 0 ? kBlack : kWhite) << x;
  SelectObject(dc, o);
  // Ends near the coordinate limits: the visible part only, the end still excluded.
  Clear();
  MoveToEx(dc, -2000000000, 5, nullptr);
  LineTo(dc, 2000000000, 5);
  ExpectPx({{0, 5, kBlack}, {31, 5, kBlack}});
  Clear();
  SetViewportOrgEx(dc, 2000000000, 0, nullptr);   // sums stay in range
  MoveToEx(dc, 0, 7, nullptr);
  LineTo(dc, 5, 7);
  Rectangle(dc, -2147483647, -2147483647, 2147483647, 2147483647);
  Ellipse(dc, -2147483647, -2147483647, 2147483647, 2147483647);
  SetViewportOrgEx(dc, 0, 0, nullptr);
  EXPECT_EQ(Px(0, 7), kWhite);
}

TEST_F(LineShapeTest, WidePensCoverTheirWidthAroundTheLine) {
  Use(CreatePen(PS_SOLID, 3, kBlack));
  MoveToEx(dc, 5, 10, nullptr);
  LineTo(dc, 20, 10);
  for (int x = 5; x < 20; ++x)
    for (int y = 8; y <= 12; ++y) EXPECT_EQ(Px(x, y), (y >= 9 && y <= 11) ? kBlack : kWhite) << x << "," << y;
  // A wide-pen rectangle is framed on the outline, the fill inside it.
  Clear();
  Use(CreateSolidBrush(kRed));
  Rectangle(dc, 5, 5, 20, 20);
  ExpectPx({{4, 4, kBlack}, {6, 6, kBlack}, {7, 7, kRed}, {3, 3, kWhite}});
}

TEST_F(LineShapeTest, HatchBrushesPaintOneLinePerEightRows) {
  HBRUSH h = Use(CreateHatchBrush(HS_HORIZONTAL, kBlue));
  SetBkColor(dc, kGreen);
  RECT r{0, 0, 8, 16};
  FillRect(dc, &r, h);
  int lineRows = 0;
  for (int y = 0; y < 16; ++y) {
    const COLORREF c = Px(3, y);
    lineRows += c == kBlue;
  }
  EXPECT_EQ(lineRows, 2);   // one per 8 rows
}

TEST_F(LineShapeTest, RoundRectMatchesItsRegionAndStrokePathDrawsFigures) {
  HGDIOBJ op = SelectObject(dc, GetStockObject(NULL_PEN));
  HGDIOBJ ob = SelectObject(dc, GetStockObject(BLACK_BRUSH));
  RoundRect(dc, 2, 2, 21, 17, 8, 6);
  GdiHold rgn(CreateRoundRectRgn(2, 2, 20, 16, 8, 6));   // the pen-less fill is one pixel smaller
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x)
      EXPECT_EQ(Px(x, y) == kBlack, bool(PtInRegion(HRGN(rgn.h), x, y))) << x << "," << y;
  SelectObject(dc, ob);
  SelectObject(dc, op);
  Clear();
  BeginPath(dc);
  const POINT tri[] = {{2, 2}, {10, 2}, {2, 10}};
  Polygon(dc, tri, 3);
  EndPath(dc);
  EXPECT_TRUE(StrokePath(dc));
  ExpectPx({{2, 2, kBlack}, {9, 2, kBlack}, {2, 9, kBlack}, {4, 4, kWhite}});
  EXPECT_FALSE(StrokePath(dc));   // consumed
}

TEST_F(LineShapeTest, TiesLightTheUpperOrLeftPixelWhicheverWayTheLineRuns) {
  struct Case {
    POINT a, b;
    std::vector<POINT> lit;
  };
  const Case cases[] = {
      // Slope 1/2: at x = 11 and 13 the line runs exactly between two rows.
      {{10, 10}, {14, 12}, {{10, 10}, {11, 10}, {12, 11}, {13, 11}}},
      {{14, 12}, {10, 10}, {{11, 10}, {12, 11}, {13, 11}, {14, 12}}},
      // Steep: ties between columns go left.
      {{10, 10}, {12, 14}, {{10, 10}, {10, 11}, {11, 12}, {11, 13}}},
      {{12, 14}, {10, 10}, {{10, 11}, {11, 12}, {11, 13}, {12, 14}}},
  };
  for (const Case& c : cases) {
    Clear();
    MoveToEx(dc, c.a.X, c.a.Y, nullptr);
    LineTo(dc, c.b.X, c.b.Y);
    EXPECT_EQ(Inked(), c.lit) << c.a.X << "," << c.a.Y << " to " << c.b.X << "," << c.b.Y;
  }
}
