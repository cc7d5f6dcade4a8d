// The editors' text layout on a long text: measuring (the needed rectangle, laid out twice)
// and drawing with word breaking, with and without tab expansion, and for justified rows.
// Rows are measured by summing per-character extents, so the cost should grow with the
// text, not with the square of a row's length.
#include "bench/BenchTextTarget.h"
#include "platform/gdi/Text.h"
#include "widgets/editcore/cxEditTextUtils.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

std::string LongText(size_t AChars, bool ATabs) {
  const char* words[] = {"Pack", "my", "box", "with", "five", "dozen", "liquor", "jugs", "said", "the", "sphinx"};
  std::string s;
  for (size_t i = 0; s.size() < AChars; ++i) {
    s += words[i % std::size(words)];
    s += ATabs && i % 3 == 0 ? '\t' : ' ';
    if (i % 40 == 39) s += "\r\n";
  }
  s.resize(AChars);
  return s;
}

struct Target : BenchTextTarget {
  Target() : BenchTextTarget("Arial") {}
};

// Arg 0: characters; arg 1: tabs expanded (1) or blanks only (0).
void BM_EditTextMeasure(benchmark::State& state) {
  Target t;
  const bool tabs = state.range(1) != 0;
  const std::string text = LongText(size_t(state.range(0)), tabs);
  const Cardinal flags = cxtfWordBreak | cxtfCalcRect | (tabs ? cxtfExpandTabs : 0);
  for (auto _ : state) {
    TRect r{0, 0, 600, 0};
    benchmark::DoNotOptimize(cxTextOut(t.dc, text.c_str(), r, flags));
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_EditTextMeasure)->Args({10000, 0})->Args({10000, 1})->Args({40000, 0})->Unit(benchmark::kMicrosecond);

void BM_EditTextDraw(benchmark::State& state) {
  Target t;
  const bool tabs = state.range(1) != 0;
  const std::string text = LongText(size_t(state.range(0)), tabs);
  const Cardinal flags = cxtfWordBreak | (tabs ? cxtfExpandTabs : 0);
  for (auto _ : state) {
    TRect r{0, 0, 600, 480};
    benchmark::DoNotOptimize(cxTextOut(t.dc, text.c_str(), r, flags));
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_EditTextDraw)->Args({10000, 0})->Args({10000, 1})->Unit(benchmark::kMicrosecond);

void BM_EditTextDrawJustified(benchmark::State& state) {
  Target t;
  const std::string text = LongText(size_t(state.range(0)), false);
  const Cardinal flags = cxMakeTextAlignFlags(TcxTextAlignX::taJustifyX, TcxTextAlignY::taTop);
  for (auto _ : state) {
    TRect r{0, 0, 600, 480};
    benchmark::DoNotOptimize(cxTextOut(t.dc, text.c_str(), r, flags));
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_EditTextDrawJustified)->Arg(10000)->Unit(benchmark::kMicrosecond);

}  // namespace
