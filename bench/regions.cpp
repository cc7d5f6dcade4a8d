// Region algebra and scan conversion: combine cost against rectangle count beside pixman's
// regions on the same inputs (each row of ours registered next to pixman's, so the sides run
// interleaved), and the shapes the raster device fills through the same code.
#include "bench/BenchPaired.h"
#include "platform/gdi/Region.h"
#include "platform/gdi/ScanConvert.h"

#include <cmath>
#include <random>
#include <vector>

#ifdef TL_HAVE_PIXMAN
#include <pixman.h>
#endif

namespace {

// A checkerboard of n cells: n rectangles in sqrt(n) bands.
Region Checker(int n, int shift) {
  const int side = int(std::sqrt(double(n)));
  std::vector<TRect> rects;
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x)
      if ((x + y) % 2 == 0) rects.push_back(Bounds(x * 8 + shift, y * 8 + shift, 8, 8));
  return Region::FromRects(rects);
}

void CombineBench(benchmark::State& state, RegionOp op) {
  const Region a = Checker(int(state.range(0)), 0), b = Checker(int(state.range(0)), 3);
  for (auto _ : state) benchmark::DoNotOptimize(Region::Combine(a, b, op));
  state.counters["rects"] = double(a.Rects().size() + b.Rects().size());
}

void BM_CombineOr(benchmark::State& s) { CombineBench(s, RegionOp::Or); }
void BM_CombineAnd(benchmark::State& s) { CombineBench(s, RegionOp::And); }
void BM_CombineDiff(benchmark::State& s) { CombineBench(s, RegionOp::Diff); }
void BM_CombineXor(benchmark::State& s) { CombineBench(s, RegionOp::Xor); }

std::vector<TRect> RandomRects(int n) {
  std::mt19937 rng(1);
  std::uniform_int_distribution<int> c(0, 2000), s(1, 200);
  std::vector<TRect> rects;
  for (int i = 0; i < n; ++i) rects.push_back(Bounds(c(rng), c(rng), s(rng), s(rng)));
  return rects;
}

void BM_FromRects(benchmark::State& state) {
  const std::vector<TRect> rects = RandomRects(int(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(Region::FromRects(rects));
}

#ifdef TL_HAVE_PIXMAN
struct PixRegion {
  pixman_region32_t r;
  PixRegion() { pixman_region32_init(&r); }
  explicit PixRegion(const std::vector<TRect>& rects) {
    std::vector<pixman_box32_t> boxes;
    for (const TRect& q : rects) boxes.push_back({q.Left, q.Top, q.Right, q.Bottom});
    pixman_region32_init_rects(&r, boxes.data(), int(boxes.size()));
  }
  ~PixRegion() { pixman_region32_fini(&r); }
  PixRegion(const PixRegion&) = delete;
  PixRegion& operator=(const PixRegion&) = delete;
};

enum class PixOp { Union, Intersect, Subtract, Xor };

void PixmanCombineBench(benchmark::State& state, PixOp op) {
  const PixRegion a(Checker(int(state.range(0)), 0).Rects()), b(Checker(int(state.range(0)), 3).Rects());
  for (auto _ : state) {
    PixRegion out;
    switch (op) {
      case PixOp::Union: pixman_region32_union(&out.r, &a.r, &b.r); break;
      case PixOp::Intersect: pixman_region32_intersect(&out.r, &a.r, &b.r); break;
      case PixOp::Subtract: pixman_region32_subtract(&out.r, &a.r, &b.r); break;
      case PixOp::Xor: {   // pixman has no xor: the two differences joined
        PixRegion ab, ba;
        pixman_region32_subtract(&ab.r, &a.r, &b.r);
        pixman_region32_subtract(&ba.r, &b.r, &a.r);
        pixman_region32_union(&out.r, &ab.r, &ba.r);
        break;
      }
    }
    benchmark::DoNotOptimize(pixman_region32_n_rects(&out.r));
  }
}
void BM_PixmanUnion(benchmark::State& s) { PixmanCombineBench(s, PixOp::Union); }
void BM_PixmanIntersect(benchmark::State& s) { PixmanCombineBench(s, PixOp::Intersect); }
void BM_PixmanSubtract(benchmark::State& s) { PixmanCombineBench(s, PixOp::Subtract); }
void BM_PixmanXor(benchmark::State& s) { PixmanCombineBench(s, PixOp::Xor); }

void BM_PixmanFromRects(benchmark::State& state) {
  const std::vector<TRect> rects = RandomRects(int(state.range(0)));
  std::vector<pixman_box32_t> boxes;
  for (const TRect& q : rects) boxes.push_back({q.Left, q.Top, q.Right, q.Bottom});
  for (auto _ : state) {
    pixman_region32_t r;
    pixman_region32_init_rects(&r, boxes.data(), int(boxes.size()));
    benchmark::DoNotOptimize(pixman_region32_n_rects(&r));
    pixman_region32_fini(&r);
  }
}
#endif

TL_PAIRED(BM_CombineOr, BM_PixmanUnion, 64);
TL_PAIRED(BM_CombineOr, BM_PixmanUnion, 1024);
TL_PAIRED(BM_CombineOr, BM_PixmanUnion, 16384);
TL_PAIRED(BM_CombineAnd, BM_PixmanIntersect, 64);
TL_PAIRED(BM_CombineAnd, BM_PixmanIntersect, 1024);
TL_PAIRED(BM_CombineAnd, BM_PixmanIntersect, 16384);
TL_PAIRED(BM_CombineDiff, BM_PixmanSubtract, 64);
TL_PAIRED(BM_CombineDiff, BM_PixmanSubtract, 1024);
TL_PAIRED(BM_CombineDiff, BM_PixmanSubtract, 16384);
TL_PAIRED(BM_CombineXor, BM_PixmanXor, 64);
TL_PAIRED(BM_CombineXor, BM_PixmanXor, 1024);
TL_PAIRED(BM_CombineXor, BM_PixmanXor, 16384);
TL_PAIRED(BM_FromRects, BM_PixmanFromRects, 16);
TL_PAIRED(BM_FromRects, BM_PixmanFromRects, 256);
TL_PAIRED(BM_FromRects, BM_PixmanFromRects, 4096);

// A star-like polygon with n vertices over a 1000 x 1000 box.
std::vector<std::vector<TPoint>> Star(int n) {
  std::vector<TPoint> p;
  for (int i = 0; i < n; ++i) {
    const double a = 2 * M_PI * i / n, r = (i % 2) ? 200 : 500;
    p.push_back({500 + int(r * std::cos(a)), 500 + int(r * std::sin(a))});
  }
  return {p};
}

void BM_PolygonRegion(benchmark::State& state) {
  const auto star = Star(int(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(Region::Polygon(star, PolyFillMode::Winding));
}
BENCHMARK(BM_PolygonRegion)->Arg(8)->Arg(64)->Arg(512);

void BM_PolygonSpans(benchmark::State& state) {
  const auto star = Star(int(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(PolygonSpans(star, PolyFillMode::Alternate));
}
BENCHMARK(BM_PolygonSpans)->Arg(8)->Arg(64)->Arg(512);

// 256 strips leaning a pixel a row, so each row of each strip is a rectangle of its own. A
// 4K screen's 2160 rows are built whole; 16385 rows pass the limit of a built region by a row,
// and 400000 rows (a gigabyte whole) stop at it for the same cost.
void BM_LeaningStripsRegion(benchmark::State& state) {
  const int rows = int(state.range(0));
  std::vector<std::vector<TPoint>> strips;
  for (int x = 0; x < 256 * 8; x += 8) strips.push_back({{x, 0}, {x + 3, 0}, {x + 3 + rows, rows}, {x + rows, rows}});
  for (auto _ : state) benchmark::DoNotOptimize(Region::BoundedPolygon(strips, PolyFillMode::Alternate));
}
BENCHMARK(BM_LeaningStripsRegion)->Arg(2160)->Arg(16385)->Arg(400000)->Unit(benchmark::kMillisecond);

void BM_EllipseRegion(benchmark::State& state) {
  const Integer d = Integer(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(Region::Ellipse(Rect(0, 0, d, d)));
}
BENCHMARK(BM_EllipseRegion)->Arg(32)->Arg(1000);

void BM_PieSpans(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(PieSpans(Rect(0, 0, 1000, 700), {900, 0}, {0, 600}));
}
BENCHMARK(BM_PieSpans);

}  // namespace
