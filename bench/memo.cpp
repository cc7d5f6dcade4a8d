// A memo that wraps its lines (its default) against the size of its text: one long paragraph
// set at once, three keys typed into the middle of it, and a loop adding line after line
// through Lines. Each should grow with the text (or the line) alone.
#include "bench/BenchDesktop.h"
#include "classlib/visual/Forms.h"
#include "widgets/editors/EditorsUnits.h"
#include "widgets/editors/cxMemo.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

// One paragraph of words, no line break.
String Paragraph(size_t n) {
  static const char kWords[] = "pack my box with five dozen liquor jugs ";
  String s;
  s.reserve(n + sizeof kWords);
  while (s.size() < n) s += kWords;
  s.resize(n);
  return s;
}

class Program : public BenchDesktop {
 public:
  Program() : BenchDesktop(BenchUnits::Editcore) {
    WidgetsEditorsInitialize();
    form_ = TCustomForm::CreateNew(nullptr);
    form_->SetBounds(0, 0, 400, 300);
    memo_ = New<TcxMemo>(form_);
    memo_->SetBounds(10, 10, 300, 200);
    memo_->SetParent(form_);
    form_->Show();
    memo_->SetFocus();
    Host().PumpUntilIdle();
  }
  ~Program() {
    form_->Free();
    Host().PumpUntilIdle();
    WidgetsEditorsFinalize();
  }
  TcxMemo* Memo() { return memo_; }
  size_t Length() { return memo_->InnerMemo()->GetText().size(); }

 private:
  TCustomForm* form_ = nullptr;
  TcxMemo* memo_ = nullptr;
};

void BM_MemoSetWrappedParagraph(benchmark::State& state) {
  Program p;
  const String text = Paragraph(size_t(state.range(0)));
  for (auto _ : state) {
    state.PauseTiming();
    p.Memo()->SetEditValue(Variant(String()));
    p.Host().PumpUntilIdle();
    state.ResumeTiming();
    p.Memo()->SetEditValue(Variant(text));
    p.Host().PumpUntilIdle();
  }
  if (p.Length() != text.size()) state.SkipWithError("the text was not set");
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_MemoSetWrappedParagraph)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// The keys go through the window's message loop as the user types them; the text is put back
// between rounds, untimed.
void BM_MemoTypeThreeKeysIntoParagraph(benchmark::State& state) {
  Program p;
  const String text = Paragraph(size_t(state.range(0)));
  p.Memo()->SetEditValue(Variant(text));
  p.Host().PumpUntilIdle();
  const Integer middle = Integer(text.size() / 2);
  for (auto _ : state) {
    state.PauseTiming();
    p.Memo()->SetSelStartAndLength(middle, 0);
    p.Host().PumpUntilIdle();
    state.ResumeTiming();
    for (char c : {'a', 'b', 'c'}) {
      p.Host().Char(Byte(c));
      p.Host().PumpUntilIdle();
    }
    state.PauseTiming();
    if (p.Length() != text.size() + 3) state.SkipWithError("the keys were not typed");
    p.Memo()->SetSelStartAndLength(middle, 3);
    p.Memo()->ClearSelection();
    p.Host().PumpUntilIdle();
    state.ResumeTiming();
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_MemoTypeThreeKeysIntoParagraph)->Arg(10000)->Arg(100000)->Arg(1000000)
    ->Unit(benchmark::kMillisecond);

void BM_MemoLinesAddLoop(benchmark::State& state) {
  Program p;
  const Integer count = Integer(state.range(0));
  size_t expected = 0;
  for (auto _ : state) {
    state.PauseTiming();
    p.Memo()->GetLines()->Clear();
    p.Host().PumpUntilIdle();
    state.ResumeTiming();
    TStrings* lines = p.Memo()->GetLines();
    expected = 0;
    for (Integer i = 0; i < count; ++i) {
      const String line = "line number " + std::to_string(i) + " of the list";
      expected += line.size() + (i > 0 ? 2 : 0);
      lines->Add(line);
    }
    p.Host().PumpUntilIdle();
  }
  if (p.Length() != expected) state.SkipWithError("the lines were not added");
  state.SetComplexityN(state.range(0));
}
// Sizes kept where one run stays short: adding a line still copies the whole text in the
// editor framework's value change, so 10^5 lines take minutes.
BENCHMARK(BM_MemoLinesAddLoop)->Arg(1000)->Arg(3000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
