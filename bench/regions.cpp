// Region algebra and scan conversion: combine cost against rectangle count, and the
// shapes the raster device fills through the same code.
#include <benchmark/benchmark.h>

#include "platform/gdi/Region.h"
#include "platform/gdi/ScanConvert.h"

#include <cmath>
#include <random>
#include <vector>

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
void BM_CombineXor(benchmark::State& s) { CombineBench(s, RegionOp::Xor); }
BENCHMARK(BM_CombineOr)->Arg(64)->Arg(1024)->Arg(16384);
BENCHMARK(BM_CombineAnd)->Arg(64)->Arg(1024)->Arg(16384);
BENCHMARK(BM_CombineXor)->Arg(64)->Arg(1024)->Arg(16384);

void BM_FromRects(benchmark::State& state) {
  std::mt19937 rng(1);
  std::uniform_int_distribution<int> c(0, 2000), s(1, 200);
  std::vector<TRect> rects;
  for (int i = 0; i < state.range(0); ++i) rects.push_back(Bounds(c(rng), c(rng), s(rng), s(rng)));
  for (auto _ : state) benchmark::DoNotOptimize(Region::FromRects(rects));
}
BENCHMARK(BM_FromRects)->Arg(16)->Arg(256)->Arg(4096);

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
