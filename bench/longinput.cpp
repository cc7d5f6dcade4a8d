// Long input through paths that once grew quadratically: a paste into an edit control that
// does not scroll, a sorted list box filled item by item, DrawTextA over a long text and a
// single long word, and the picture mask placing a long text. Each reports its growth
// (BigO) over its range; all should stay near n or n log n.
#include "bench/BenchDesktop.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/Text.h"
#include "platform/user/Controls.h"
#include "platform/user/User.h"
#include "widgets/editcore/cxStandardMask.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

std::string Words(size_t n) {
  static const char kWords[] = "pack my box with five dozen liquor jugs ";
  std::string s;
  while (s.size() < n) s += kWords;
  s.resize(n);
  return s;
}

// A narrow edit control without automatic scrolling: a paste is cut to what fits.
void BM_EditPasteWithoutAutoScroll(benchmark::State& state) {
  BenchDesktop d(BenchUnits::User);
  HWND edit = CreateWindowExA(0, "EDIT", "", WS_POPUP, 0, 0, 200, 24, nullptr, nullptr, nullptr, nullptr);
  SendMessageA(edit, EM_LIMITTEXT, 0, 0);
  const std::string text = Words(size_t(state.range(0)));
  for (auto _ : state) {
    SetWindowTextA(edit, "");
    SendMessageA(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
  }
  state.SetComplexityN(state.range(0));
  DestroyWindow(edit);
}
BENCHMARK(BM_EditPasteWithoutAutoScroll)->RangeMultiplier(4)->Range(1 << 10, 1 << 15)->Complexity()
    ->Unit(benchmark::kMicrosecond);

void BM_SortedListBoxFill(benchmark::State& state) {
  BenchDesktop d(BenchUnits::User);
  HWND list = CreateWindowExA(0, "LISTBOX", "", WS_POPUP | LBS_SORT | LBS_HASSTRINGS, 0, 0, 200, 200, nullptr,
                              nullptr, nullptr, nullptr);
  const int n = int(state.range(0));
  std::vector<std::string> items;
  uint32_t seed = 1;
  for (int i = 0; i < n; ++i) {
    seed = seed * 1103515245u + 12345u;
    items.push_back("item " + std::to_string(seed % 1000003));
  }
  for (auto _ : state) {
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (const std::string& s : items) SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
  }
  state.SetComplexityN(n);
  DestroyWindow(list);
}
BENCHMARK(BM_SortedListBoxFill)->RangeMultiplier(4)->Range(1 << 10, 1 << 16)->Complexity()
    ->Unit(benchmark::kMillisecond);

struct Canvas {
  Canvas() {
    dc = CreateCompatibleDC(nullptr);
    bitmap = CreateBitmap(300, 200, 1, 32, nullptr);
    old = SelectObject(dc, bitmap);
  }
  ~Canvas() {
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  HDC dc;
  HBITMAP bitmap;
  HGDIOBJ old;
};

void DrawTextOf(benchmark::State& state, const std::string& text, UINT format) {
  Canvas c;
  for (auto _ : state) {
    RECT r{0, 0, 300, 200};
    benchmark::DoNotOptimize(DrawTextA(c.dc, text.c_str(), int(text.size()), &r, format));
  }
  state.SetComplexityN(int64_t(text.size()));
}

void BM_DrawTextLongParagraph(benchmark::State& state) {
  DrawTextOf(state, Words(size_t(state.range(0))), DT_WORDBREAK);
}
BENCHMARK(BM_DrawTextLongParagraph)->RangeMultiplier(8)->Range(1 << 11, 1 << 20)->Complexity()
    ->Unit(benchmark::kMillisecond);

void BM_DrawTextOneLongWordEditControl(benchmark::State& state) {
  DrawTextOf(state, std::string(size_t(state.range(0)), 'w'), DT_WORDBREAK | DT_EDITCONTROL);
}
BENCHMARK(BM_DrawTextOneLongWordEditControl)->RangeMultiplier(4)->Range(1 << 10, 1 << 16)->Complexity()
    ->Unit(benchmark::kMillisecond);

void BM_PictureMaskFormat(benchmark::State& state) {
  const size_t n = size_t(state.range(0));
  std::string mask, text;
  for (size_t i = 0; i < n; ++i) mask += i % 3 == 2 ? '-' : '0';
  for (size_t i = 0; i < n; ++i) text += char('a' + i % 26);   // letters no position takes
  text += std::string(n, '7');
  for (auto _ : state) benchmark::DoNotOptimize(cxStandardMaskFormatText(mask, text));
  state.SetComplexityN(int64_t(n));
}
BENCHMARK(BM_PictureMaskFormat)->RangeMultiplier(4)->Range(1 << 10, 1 << 16)->Complexity()
    ->Unit(benchmark::kMillisecond);

}  // namespace
