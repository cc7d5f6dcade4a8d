// Text output: one line with TextOutA, a paragraph with DrawTextA word breaking, and the
// fit-count measurement the line breakers run per line.
#include "bench/BenchTextTarget.h"
#include "platform/gdi/Text.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

const char kLine[] = "The quick brown fox jumps over the lazy dog 0123456789";

std::string Paragraph() {
  std::string s;
  for (int i = 0; i < 12; ++i) s += "Pack my box with five dozen liquor jugs, said the sphinx of black quartz. ";
  return s;
}

// Text is drawn without filling its background.
struct Target : BenchTextTarget {
  explicit Target(const char* face, int height = -13) : BenchTextTarget(face, height) { SetBkMode(dc, TRANSPARENT); }
};

void BM_TextOutLine(benchmark::State& state, const char* face) {
  Target t(face);
  for (auto _ : state) benchmark::DoNotOptimize(TextOutA(t.dc, 4, 100, kLine, int(sizeof kLine - 1)));
  state.SetItemsProcessed(state.iterations() * int64_t(sizeof kLine - 1));
}
BENCHMARK_CAPTURE(BM_TextOutLine, Arial, "Arial");
BENCHMARK_CAPTURE(BM_TextOutLine, TestFace, kTestFaceName);

void BM_TextOutRotated(benchmark::State& state) {
  Target t("Arial");
  HFONT rotated = CreateFontA(-13, 0, 900, 900, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
  HGDIOBJ old = SelectObject(t.dc, rotated);
  for (auto _ : state) benchmark::DoNotOptimize(TextOutA(t.dc, 100, 450, kLine, int(sizeof kLine - 1)));
  SelectObject(t.dc, old);
  DeleteObject(rotated);
}
BENCHMARK(BM_TextOutRotated);

void BM_DrawTextWordBreak(benchmark::State& state) {
  Target t("Tahoma");
  std::string text = Paragraph();
  for (auto _ : state) {
    RECT r{10, 10, 310, 470};
    benchmark::DoNotOptimize(DrawTextA(t.dc, text.c_str(), int(text.size()), &r, DT_WORDBREAK | DT_NOPREFIX));
  }
  state.SetItemsProcessed(state.iterations() * int64_t(text.size()));
}
BENCHMARK(BM_DrawTextWordBreak);

void BM_DrawTextCalcRect(benchmark::State& state) {
  Target t("Tahoma");
  std::string text = Paragraph();
  for (auto _ : state) {
    RECT r{10, 10, 310, 10};
    benchmark::DoNotOptimize(DrawTextA(t.dc, text.c_str(), int(text.size()), &r, DT_CALCRECT | DT_WORDBREAK));
  }
}
BENCHMARK(BM_DrawTextCalcRect);

void BM_FitCount(benchmark::State& state) {
  Target t("Arial");
  std::string text = Paragraph();
  for (auto _ : state) {
    int fit = 0;
    SIZE size{};
    GetTextExtentExPointA(t.dc, text.c_str(), int(text.size()), 300, &fit, nullptr, &size);
    benchmark::DoNotOptimize(fit);
  }
}
BENCHMARK(BM_FitCount);

}  // namespace
