#include <gtest/gtest.h>

#include "platform/gdi/Region.h"
#include "platform/gdi/ScanConvert.h"

#include <climits>
#include <random>
#include <vector>

namespace {

constexpr int N = 16;   // the oracle's grid: pixels 0..N-1 in both directions

struct Grid {
  bool px[N][N] = {};
  bool operator==(const Grid& o) const {
    for (int y = 0; y < N; ++y)
      for (int x = 0; x < N; ++x)
        if (px[y][x] != o.px[y][x]) return false;
    return true;
  }
};

Grid Paint(const std::vector<TRect>& rects) {
  Grid g;
  for (const TRect& r : rects)
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x) g.px[y][x] = true;
  return g;
}

Grid Paint(const Region& r) { return Paint(r.Rects()); }

// The canonical rectangle list of a pixel set, built row by row without the region code:
// runs per row, and vertically adjacent rows with identical runs joined into one band.
std::vector<TRect> Canonical(const Grid& g) {
  std::vector<TRect> out;
  std::vector<std::pair<int, int>> prevRuns;
  size_t prevStart = 0;
  int prevRow = -2;
  for (int y = 0; y < N; ++y) {
    std::vector<std::pair<int, int>> runs;
    for (int x = 0; x < N;) {
      if (!g.px[y][x]) { ++x; continue; }
      int e = x;
      while (e < N && g.px[y][e]) ++e;
      runs.emplace_back(x, e);
      x = e;
    }
    if (runs.empty()) continue;
    if (prevRow == y - 1 && runs == prevRuns) {
      for (size_t i = prevStart; i < out.size(); ++i) out[i].Bottom = y + 1;
    } else {
      prevStart = out.size();
      for (auto [a, b] : runs) out.push_back({a, y, b, y + 1});
    }
    prevRuns = runs;
    prevRow = y;
  }
  return out;
}

void ExpectCanonical(const Region& r) {
  const auto& rs = r.Rects();
  for (size_t i = 0; i < rs.size(); ++i) {
    ASSERT_FALSE(rs[i].IsEmpty());
    if (i == 0) continue;
    const TRect& p = rs[i - 1];
    const TRect& c = rs[i];
    if (c.Top == p.Top) {
      ASSERT_EQ(c.Bottom, p.Bottom) << "a band holds rects of one height";
      ASSERT_GT(c.Left, p.Right) << "rects in a band are sorted, apart and not touching";
    } else {
      ASSERT_GE(c.Top, p.Bottom) << "bands are sorted and do not overlap";
    }
  }
}

std::vector<TRect> RandomRects(std::mt19937& rng, int maxCount) {
  std::uniform_int_distribution<int> coord(0, N), count(0, maxCount);
  std::vector<TRect> v;
  for (int i = count(rng); i > 0; --i) v.push_back({coord(rng), coord(rng), coord(rng), coord(rng)});
  return v;
}

std::vector<TRect> NonEmpty(const std::vector<TRect>& v) {
  std::vector<TRect> out;
  for (const TRect& r : v)
    if (!r.IsEmpty()) out.push_back(r);
  return out;
}

}  // namespace

TEST(Region, FromRectsMatchesPixelUnionInCanonicalForm) {
  std::mt19937 rng(7);
  for (int iter = 0; iter < 400; ++iter) {
    const auto rects = RandomRects(rng, iter % 2 ? 40 : 8);   // sparse, and dense with overlaps
    const Region r = Region::FromRects(rects);
    ExpectCanonical(r);
    const Grid want = Paint(NonEmpty(rects));
    ASSERT_TRUE(Paint(r) == want);
    ASSERT_EQ(r.Rects(), Canonical(want)) << "iteration " << iter;
  }
}

TEST(Region, FromRectsWithinABoxHoldsTheUnionsPixelsInsideIt) {
  std::mt19937 rng(9);
  std::uniform_int_distribution<int> b(-2, N + 2);
  for (int iter = 0; iter < 400; ++iter) {
    const auto rects = RandomRects(rng, iter % 2 ? 40 : 8);
    const TRect box{b(rng), b(rng), b(rng), b(rng)};
    Grid want = Paint(NonEmpty(rects));
    for (int y = 0; y < N; ++y)
      for (int x = 0; x < N; ++x)
        want.px[y][x] =
            want.px[y][x] && x >= box.Left && x < box.Right && y >= box.Top && y < box.Bottom;
    const Region r = Region::FromRects(rects, box);
    ExpectCanonical(r);
    ASSERT_EQ(r.Rects(), Canonical(want)) << "iteration " << iter;
  }
}

TEST(Region, OverlappingRectsCutToABoxCostWhatTheBoxHolds) {
  // A staircase of 3000 rects each over the next: their union holds millions of rectangles,
  // cut to a 16 x 16 box at most one per pair of columns on each row.
  std::vector<TRect> stairs;
  for (int i = 0; i < 3000; ++i) stairs.push_back(Rect(2 * i - 3000, i - 3000, 2 * i - 2999, i));
  const Region r = Region::FromRects(stairs, Rect(0, 0, 16, 16));
  ExpectCanonical(r);
  EXPECT_LE(r.Rects().size(), size_t(16 * 8));
  // Row y of the box lies in rects y + 1 to 2999; those reaching columns 0 to 15 are 1500 to
  // 1507, one even column each.
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) ASSERT_EQ(r.Contains(x, y), x % 2 == 0) << x << "," << y;
}

TEST(Region, EveryCombineModeAgreesWithThePixelOracle) {
  std::mt19937 rng(11);
  const RegionOp ops[] = {RegionOp::And, RegionOp::Or, RegionOp::Xor, RegionOp::Diff, RegionOp::Copy};
  for (int iter = 0; iter < 600; ++iter) {
    // Few rectangles, and many (regions of many bands and rects per band).
    const Region a = Region::FromRects(RandomRects(rng, iter % 2 ? 30 : 6));
    const Region b = Region::FromRects(RandomRects(rng, iter % 3 ? 30 : 6));
    const Grid ga = Paint(a), gb = Paint(b);
    for (RegionOp op : ops) {
      Grid want;
      for (int y = 0; y < N; ++y)
        for (int x = 0; x < N; ++x) {
          const bool pa = ga.px[y][x], pb = gb.px[y][x];
          switch (op) {
            case RegionOp::And: want.px[y][x] = pa && pb; break;
            case RegionOp::Or: want.px[y][x] = pa || pb; break;
            case RegionOp::Xor: want.px[y][x] = pa != pb; break;
            case RegionOp::Diff: want.px[y][x] = pa && !pb; break;
            case RegionOp::Copy: want.px[y][x] = pa; break;
          }
        }
      const Region c = Region::Combine(a, b, op);
      ExpectCanonical(c);
      ASSERT_EQ(c.Rects(), Canonical(want)) << "iteration " << iter << " op " << int(op);
      // Equal pixel sets compare equal, however they were built.
      ASSERT_TRUE(c == Region::FromRects(Canonical(want)));
    }
  }
}

TEST(Region, HitTestsAgreeWithPixels) {
  std::mt19937 rng(3);
  std::uniform_int_distribution<int> c(-2, N + 2);
  for (int iter = 0; iter < 200; ++iter) {
    const Region r = Region::FromRects(RandomRects(rng, 6));
    const Grid g = Paint(r);
    for (int y = -2; y < N + 2; ++y)
      for (int x = -2; x < N + 2; ++x) {
        const bool want = x >= 0 && y >= 0 && x < N && y < N && g.px[y][x];
        ASSERT_EQ(r.Contains(x, y), want) << x << "," << y;
      }
    TRect q{c(rng), c(rng), c(rng), c(rng)};
    bool want = false;
    for (int y = std::min(q.Top, q.Bottom); y < std::max(q.Top, q.Bottom); ++y)
      for (int x = std::min(q.Left, q.Right); x < std::max(q.Left, q.Right); ++x)
        want = want || (x >= 0 && y >= 0 && x < N && y < N && g.px[y][x]);
    ASSERT_EQ(r.Intersects(q), want) << q.Left << "," << q.Top << "," << q.Right << "," << q.Bottom;
    ASSERT_EQ(r.Intersected(q), Region::Combine(r, Region(q), RegionOp::And));
  }
}

TEST(Region, OffsetMovesAndClampsAtTheIntegerLimits) {
  Region r = Region::FromRects({Rect(0, 0, 10, 2), Rect(0, 2, 3, 10)});
  const Region original = r;
  r.Offset(-7, 100);
  r.Offset(7, -100);
  EXPECT_EQ(r, original);

  Region big(Rect(0, 0, 10, 10));
  big.Offset(INT_MAX - 5, 0);
  ExpectCanonical(big);
  EXPECT_EQ(big.Bounds(), Rect(INT_MAX - 5, 0, INT_MAX, 10));

  Region gone(Rect(0, 0, 10, 10));
  gone.Offset(0, INT_MIN);
  gone.Offset(0, INT_MIN);   // everything squashed onto the lowest row: no pixels left
  EXPECT_TRUE(gone.IsEmpty());

  // Bands squashed together by clamping merge back into canonical form.
  Region bands = Region::FromRects({Rect(0, 0, 4, 1), Rect(0, 1, 2, 2), Rect(0, 2, 4, 3)});
  bands.Offset(0, INT_MAX - 1);
  ExpectCanonical(bands);
  EXPECT_EQ(bands.Rects(), std::vector<TRect>{Rect(0, INT_MAX - 1, 4, INT_MAX)});
}

TEST(Region, BuilderJoinsEqualRunsAndDropsRowsAlreadyCovered) {
  RegionBuilder b;
  const Integer a[] = {0, 4, 6, 9};
  const Integer c[] = {1, 2};
  b.Rows(0, 2, a, 4);
  b.Rows(2, 5, a, 4);   // same spans right below: one band
  b.Rows(3, 7, c, 2);   // starts inside the previous run: only rows 5..7 count
  b.Rows(9, 9, c, 2);   // no rows
  b.Rows(9, 10, c, 0);  // no spans
  const Region r = b.Finish();
  ExpectCanonical(r);
  EXPECT_EQ(r.Rects(), (std::vector<TRect>{Rect(0, 0, 4, 5), Rect(6, 0, 9, 5), Rect(1, 5, 2, 7)}));
  EXPECT_TRUE(b.Finish().IsEmpty()) << "a finished builder starts over";
}
