#include <gtest/gtest.h>

#include "platform/gdi/Region.h"
#include "platform/gdi/ScanConvert.h"

#include <climits>
#include <cmath>
#include <cstdint>
#include <random>
#include <set>
#include <vector>

namespace {

using PixelSet = std::set<std::pair<int, int>>;   // (y, x)

PixelSet Pixels(const std::vector<Span>& spans) {
  PixelSet s;
  for (const Span& sp : spans)
    for (int x = sp.X0; x < sp.X1; ++x) EXPECT_TRUE(s.insert({sp.Y, x}).second) << "pixel twice";
  return s;
}

PixelSet Pixels(const Region& r) {
  PixelSet s;
  for (const TRect& q : r.Rects())
    for (int y = q.Top; y < q.Bottom; ++y)
      for (int x = q.Left; x < q.Right; ++x) s.insert({y, x});
  return s;
}

// Point-in-polygon by the crossing rule, evaluated at the pixel's own point with exact
// rationals: the edges a ray towards +x crosses, each with its direction. An edge covers the
// rows from its upper end up to, not including, its lower end.
int Winding(const std::vector<std::vector<TPoint>>& polys, int px, int py, bool parity) {
  int w = 0, crossings = 0;
  for (const auto& p : polys) {
    if (p.size() < 3) continue;
    for (size_t i = 0; i < p.size(); ++i) {
      TPoint a = p[i], b = p[(i + 1) % p.size()];
      if (a.Y == b.Y) continue;
      const int dir = a.Y < b.Y ? 1 : -1;
      if (a.Y > b.Y) std::swap(a, b);
      if (!(a.Y <= py && py < b.Y)) continue;
      // Crossing x = a.X + (py - a.Y) * (b.X - a.X) / (b.Y - a.Y); counts when it lies at or
      // left of the point.
      const int64_t dy = b.Y - a.Y;
      if (int64_t(a.X) * dy + int64_t(py - a.Y) * (b.X - a.X) <= int64_t(px) * dy) {
        w += dir;
        ++crossings;
      }
    }
  }
  return parity ? crossings % 2 : w;
}

PixelSet BruteForcePolygon(const std::vector<std::vector<TPoint>>& polys, PolyFillMode mode, int lo,
                           int hi) {
  PixelSet s;
  for (int y = lo; y < hi; ++y)
    for (int x = lo; x < hi; ++x)
      if (Winding(polys, x, y, mode == PolyFillMode::Alternate) != 0) s.insert({y, x});
  return s;
}

bool InEllipse(const TRect& b, int x, int y) {
  const int64_t w = b.Right - b.Left, h = b.Bottom - b.Top;
  const int64_t dx = 2 * int64_t(x) + 1 - (b.Left + b.Right), dy = 2 * int64_t(y) + 1 - (b.Top + b.Bottom);
  return dx * dx * h * h + dy * dy * w * w <= w * w * h * h;
}

}  // namespace

TEST(ScanConvert, EllipseHoldsExactlyThePixelCentresInside) {
  for (int w = 1; w <= 13; ++w)
    for (int h = 1; h <= 13; ++h) {
      const TRect box = Rect(-3, 2, -3 + w, 2 + h);
      PixelSet want;
      for (int y = box.Top; y < box.Bottom; ++y)
        for (int x = box.Left; x < box.Right; ++x)
          if (InEllipse(box, x, y)) want.insert({y, x});
      ASSERT_EQ(Pixels(EllipseSpans(box)), want) << w << "x" << h;
      ASSERT_EQ(Pixels(Region::Ellipse(box)), want);
    }
  EXPECT_TRUE(Region::Ellipse(Rect(0, 0, Region::MaxShapeExtent + 1, 5)).IsEmpty());
}

TEST(ScanConvert, RoundRectCornersAreEllipseQuarters) {
  const TRect box = Rect(2, 3, 22, 15);
  // Corners as large as the box make the ellipse; no corners make the rectangle.
  EXPECT_EQ(Region::RoundRect(box, 20, 12), Region::Ellipse(box));
  EXPECT_EQ(Region::RoundRect(box, 500, 500), Region::Ellipse(box)) << "sizes clamp to the box";
  const PixelSet s = Pixels(Region::RoundRect(box, 6, 4));
  // The top-left corner equals the top-left quarter of a 6x4 ellipse placed there.
  const PixelSet e = Pixels(Region::Ellipse(Rect(2, 3, 8, 7)));
  for (int y = 3; y < 5; ++y)
    for (int x = 2; x < 5; ++x) EXPECT_EQ(s.count({y, x}), e.count({y, x})) << x << "," << y;
}

TEST(ScanConvert, PolygonsMatchTheCrossingRuleAtThePixelsOwnPoints) {
  std::mt19937 rng(21);
  std::uniform_int_distribution<int> c(-2, 18), n(3, 7), k(1, 3);
  for (int iter = 0; iter < 300; ++iter) {
    std::vector<std::vector<TPoint>> polys(k(rng));
    for (auto& p : polys)
      for (int i = n(rng); i > 0; --i) p.push_back({c(rng), c(rng)});
    for (PolyFillMode mode : {PolyFillMode::Alternate, PolyFillMode::Winding}) {
      const PixelSet want = BruteForcePolygon(polys, mode, -3, 20);
      ASSERT_EQ(Pixels(PolygonSpans(polys, mode)), want) << "iteration " << iter;
      ASSERT_EQ(Pixels(Region::Polygon(polys, mode)), want);
    }
  }
}

TEST(ScanConvert, PolygonsBuiltWithinABoxHoldJustTheirPixelsInsideIt) {
  std::mt19937 rng(33);
  std::uniform_int_distribution<int> c(-2, 18), n(3, 7), k(1, 3), b(-3, 20);
  for (int iter = 0; iter < 300; ++iter) {
    std::vector<std::vector<TPoint>> polys(k(rng));
    for (auto& p : polys)
      for (int i = n(rng); i > 0; --i) p.push_back({c(rng), c(rng)});
    const TRect box = Rect(b(rng), b(rng), b(rng), b(rng));
    for (PolyFillMode mode : {PolyFillMode::Alternate, PolyFillMode::Winding}) {
      PixelSet want;
      for (const auto& [y, x] : BruteForcePolygon(polys, mode, -3, 20))
        if (x >= box.Left && x < box.Right && y >= box.Top && y < box.Bottom) want.insert({y, x});
      ASSERT_EQ(Pixels(Region::Polygon(polys, mode, box)), want) << "iteration " << iter;
    }
  }
}

TEST(ScanConvert, APolygonOfAnySizeCostsTheBoxItIsBuiltIn) {
  // Sixteen strips at 45 degrees, each over two million rows (past what an unbounded region
  // may span): inside a 16 x 16 box they hold pixels where x + y is 4i or 4i + 1.
  std::vector<std::vector<TPoint>> strips;
  for (int a = 0; a < 64; a += 4)
    strips.push_back({{a + 1000000, -1000000},
                      {a + 1000002, -1000000},
                      {a + 2 - 1000000, 1000000},
                      {a - 1000000, 1000000}});
  EXPECT_TRUE(Region::Polygon(strips, PolyFillMode::Winding).IsEmpty()) << "too tall unbounded";
  const Region r = Region::Polygon(strips, PolyFillMode::Winding, Rect(0, 0, 16, 16));
  PixelSet want;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x)
      if ((x + y) % 4 < 2) want.insert({y, x});
  EXPECT_EQ(Pixels(r), want);
  EXPECT_LE(r.Rects().size(), size_t(16 * 8)) << "no more rectangles than the box's rows can hold";
  EXPECT_TRUE(Region::Polygon(strips, PolyFillMode::Winding, Rect(0, 0, 0, 16)).IsEmpty())
      << "an empty box";
}

TEST(ScanConvert, HugePolygonsCostOnlyTheVisibleRows) {
  // A tall rectangle spans four billion rows; the window keeps the work to ten of them.
  const std::vector<std::vector<TPoint>> tall{
      {{INT_MIN, INT_MIN}, {INT_MAX, INT_MIN}, {INT_MAX, INT_MAX}, {INT_MIN, INT_MAX}}};
  const auto spans = PolygonSpans(tall, PolyFillMode::Alternate, {0, 10});
  ASSERT_EQ(spans.size(), 10u);
  EXPECT_EQ(spans[0], (Span{0, INT_MIN, INT_MAX}));
  // A huge slanted triangle, far beyond 32-bit products, still converts exactly.
  const std::vector<std::vector<TPoint>> tri{{{INT_MIN, INT_MIN}, {INT_MAX, INT_MAX}, {INT_MIN, INT_MAX}}};
  const auto diag = PolygonSpans(tri, PolyFillMode::Winding, {-2, 2});
  ASSERT_EQ(diag.size(), 4u);
  for (const Span& s : diag) {
    EXPECT_EQ(s.X0, INT_MIN);
    EXPECT_NEAR(double(s.X1), double(s.Y), 2.0) << "the diagonal passes near the origin";
  }
  EXPECT_TRUE(Region::Polygon(tri, PolyFillMode::Winding).IsEmpty()) << "too big for a region";
}

TEST(ScanConvert, HugeEllipsesStayExactInTheirVisibleRows) {
  const TRect box = Rect(INT_MIN, INT_MIN, INT_MAX, INT_MAX);   // 2^32 - 1 pixels each way
  const auto middle = EllipseSpans(box, {-1, 0});
  ASSERT_EQ(middle.size(), 1u);
  EXPECT_EQ(middle[0], (Span{-1, INT_MIN, INT_MAX})) << "the middle row spans the whole box";
  const auto top = EllipseSpans(box, {INT_MIN, INT_MIN + 1});
  ASSERT_EQ(top.size(), 1u);
  EXPECT_EQ(top[0].X0 + top[0].X1, -1) << "centred";
  // The top row holds the pixels within sqrt(1 - (1 - 1/h)^2) ~ sqrt(2/h) of the half width.
  EXPECT_NEAR(double(top[0].X1) - top[0].X0, 2.0 * 4294967295.0 / 2 * std::sqrt(2.0 / 4294967295.0), 4);
  EXPECT_FALSE(PieSpans(box, {0, INT_MIN}, {INT_MAX, 0}, {-5, 5}).empty());
}

TEST(ScanConvert, AHugeShapeWithoutARowWindowYieldsNothingInsteadOfEndlessWork) {
  const TRect tall = Rect(0, 0, 200, 1 << 27);
  const TPoint east{200, 1 << 26}, west{0, 1 << 26};
  EXPECT_TRUE(PieSpans(tall, east, west).empty() && EllipseSpans(tall).empty() &&
              RoundRectSpans(tall, 20, 20).empty() &&
              PolygonSpans({{{0, 0}, {200, 0}, {0, 1 << 27}}}, PolyFillMode::Winding).empty());
  // The rows asked for are still exact: just above the centre the upper half is full width.
  const auto middle = PieSpans(tall, east, west, {(1 << 26) - 2, 1 << 26});
  ASSERT_EQ(middle.size(), 2u);
  EXPECT_EQ(middle[0], (Span{(1 << 26) - 2, 0, 200}));
  EXPECT_TRUE(PieSpans(tall, east, west, {(1 << 26) + 2, (1 << 26) + 4}).empty()) << "lower half";
  // A box exactly as tall as a region may be is still converted whole.
  const TRect limit = Rect(0, 0, 4, Region::MaxShapeExtent);
  EXPECT_FALSE(PieSpans(limit, {4, 0}, {0, 0}).empty());
}

TEST(ScanConvert, APolygonScanStopsWhereItsRegionOrItsCrossingsRunOut) {
  // A parallelogram leaning right over rows 0..2: one rectangle and two crossings a row.
  const TPoint lean[] = {{0, 0}, {2, 0}, {5, 3}, {3, 3}};
  const Integer four = 4;
  const PolygonSet set{lean, &four, 1};
  RegionBuilder three(3), two(2), any;
  EXPECT_TRUE(ScanPolygons(set, PolyFillMode::Alternate, {}, three));
  EXPECT_EQ(three.Finish().Rects(), (std::vector<TRect>{Rect(0, 0, 2, 1), Rect(1, 1, 3, 2), Rect(2, 2, 4, 3)}));
  EXPECT_FALSE(ScanPolygons(set, PolyFillMode::Alternate, {}, two));
  EXPECT_TRUE(two.Stopped());
  EXPECT_TRUE(two.Finish().IsEmpty()) << "a stopped builder gives nothing";
  EXPECT_TRUE(ScanPolygons(set, PolyFillMode::Alternate, {}, any, 6));
  EXPECT_EQ(any.Finish().Rects().size(), 3u);
  EXPECT_FALSE(ScanPolygons(set, PolyFillMode::Alternate, {}, any, 5));
}

TEST(ScanConvert, EllipseOutlineIsTheBorderOfTheFill) {
  for (const TRect box : {Rect(0, 0, 12, 12), Rect(0, 0, 31, 9), Rect(0, 0, 2, 2), Rect(3, 3, 40, 60)}) {
    const PixelSet fill = Pixels(EllipseSpans(box));
    const PixelSet line = Pixels(EllipseOutlineSpans(box));
    for (auto [y, x] : fill) {
      const bool interior = fill.count({y - 1, x}) && fill.count({y + 1, x}) && fill.count({y, x - 1}) &&
                            fill.count({y, x + 1});
      ASSERT_EQ(line.count({y, x}) == 1, !interior) << x << "," << y;
    }
    for (auto p : line) ASSERT_TRUE(fill.count(p));
  }
}

TEST(ScanConvert, PieWithBothEndsInOneDirectionIsTheWholeEllipse) {
  const TRect box = Rect(0, 0, 20, 20);   // centre (10, 10)
  const PixelSet fill = Pixels(EllipseSpans(box));
  EXPECT_EQ(Pixels(PieSpans(box, {20, 10}, {20, 10})), fill) << "equal points: whole ellipse";
}

TEST(ScanConvert, PieMatchesAnAngleTestOnOddBoxes) {
  std::mt19937 rng(9);
  std::uniform_int_distribution<int> c(-10, 40);
  const TRect box = Rect(1, 2, 28, 19);
  const double cx = (1 + 28) / 2.0, cy = (2 + 19) / 2.0;
  for (int iter = 0; iter < 200; ++iter) {
    const TPoint s{c(rng), c(rng)}, e{c(rng), c(rng)};
    const double as = std::atan2(cy - s.Y, s.X - cx), ae = std::atan2(cy - e.Y, e.X - cx);
    if (std::abs(std::remainder(as - ae, 2 * M_PI)) < 1e-9) continue;   // whole ellipse
    double sweep = ae - as;
    while (sweep < 0) sweep += 2 * M_PI;
    const PixelSet got = Pixels(PieSpans(box, s, e));
    for (int y = box.Top; y < box.Bottom; ++y)
      for (int x = box.Left; x < box.Right; ++x) {
        if (!InEllipse(box, x, y)) {
          ASSERT_FALSE(got.count({y, x}));
          continue;
        }
        const double px = x + 0.5 - cx, py = cy - (y + 0.5);
        if (px == 0 && py == 0) continue;
        double a = std::atan2(py, px) - as;
        while (a < 0) a += 2 * M_PI;
        while (a >= 2 * M_PI) a -= 2 * M_PI;
        // Skip pixels within rounding distance of a ray; exact ties are the code's to settle.
        if (std::abs(a) < 1e-9 || std::abs(a - sweep) < 1e-9 || std::abs(a - 2 * M_PI) < 1e-9) continue;
        ASSERT_EQ(got.count({y, x}) == 1, a <= sweep) << "iteration " << iter << " pixel " << x << "," << y;
      }
  }
}
