// LIKE matching with many '%' on long texts: "%a%a...%a%b" against a text of 'a's never
// matches and makes a backtracking matcher try every split; the time here should grow with
// pattern length times text length.
#include <benchmark/benchmark.h>

#include "widgets/data/cxLike.h"

namespace {

String Pattern(int AWildcards) {
  String p;
  for (int i = 0; i < AWildcards; ++i) p += "%a";
  return p + "%b";
}

void BM_LikeManyWildcardsNoMatch(benchmark::State& state) {
  const String text(size_t(state.range(0)), 'a');
  const String pattern = Pattern(int(state.range(1)));
  for (auto _ : state) benchmark::DoNotOptimize(cxLikeMatches(text, pattern, '%', '_'));
  state.SetComplexityN(state.range(0) * state.range(1));
}
BENCHMARK(BM_LikeManyWildcardsNoMatch)
    ->ArgsProduct({{1000, 4000, 16000, 64000}, {4, 16, 64}})
    ->Complexity(benchmark::oN);

void BM_LikeContainsMatch(benchmark::State& state) {
  String text(size_t(state.range(0)), 'x');
  text += "needle";
  for (auto _ : state) benchmark::DoNotOptimize(cxLikeMatches(text, "%needle%", '%', '_'));
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_LikeContainsMatch)->RangeMultiplier(4)->Range(1000, 64000)->Complexity(benchmark::oN);

void BM_LikePrefixMismatch(benchmark::State& state) {
  const String text(size_t(state.range(0)), 'a');
  for (auto _ : state) benchmark::DoNotOptimize(cxLikeMatches(text, "b%a%a%a", '%', '_'));
}
BENCHMARK(BM_LikePrefixMismatch)->Arg(64000);

}  // namespace
