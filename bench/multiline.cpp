// One typed character at the end of a multi-line edit holding n characters in lines of about
// 60: wrapped to the width, and unwrapped with a horizontal bar that follows the widest line.
// The edit lays its lines out anew on each key, so both grow with n; the growth is reported.
#include "bench/BenchDesktop.h"
#include "platform/user/Controls.h"
#include "platform/user/User.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

std::string Lines(size_t n) {
  static const char kLine[] = "pack my box with five dozen liquor jugs and a few more words\r\n";
  std::string s;
  while (s.size() < n) s += kLine;
  s.resize(n);
  return s;
}

void TypeAtEnd(benchmark::State& state, DWORD style) {
  BenchDesktop d(BenchUnits::User);
  const std::string text = Lines(size_t(state.range(0)));
  HWND edit = CreateWindowExA(0, "EDIT", text.c_str(), WS_POPUP | ES_MULTILINE | style, 0, 0, 300, 200, nullptr,
                              nullptr, nullptr, nullptr);
  SendMessageA(edit, EM_LIMITTEXT, 0, 0);
  const WPARAM end = WPARAM(text.size());
  for (auto _ : state) {
    SendMessageA(edit, EM_SETSEL, end, LPARAM(end));
    SendMessageA(edit, WM_CHAR, WPARAM('x'), 0);
    state.PauseTiming();
    SendMessageA(edit, EM_SETSEL, end, LPARAM(end + 1));
    SendMessageA(edit, WM_CHAR, WPARAM(VK_BACK), 0);
    state.ResumeTiming();
  }
  state.SetComplexityN(state.range(0));
  DestroyWindow(edit);
}

void BM_MultiLineTypeWrapped(benchmark::State& state) { TypeAtEnd(state, WS_VSCROLL); }
BENCHMARK(BM_MultiLineTypeWrapped)->RangeMultiplier(4)->Range(1 << 10, 1 << 16)->Complexity()
    ->Unit(benchmark::kMicrosecond);

void BM_MultiLineTypeScrollingSideways(benchmark::State& state) {
  TypeAtEnd(state, WS_VSCROLL | WS_HSCROLL | ES_AUTOHSCROLL);
}
BENCHMARK(BM_MultiLineTypeScrollingSideways)->RangeMultiplier(4)->Range(1 << 10, 1 << 16)->Complexity()
    ->Unit(benchmark::kMicrosecond);

}  // namespace
