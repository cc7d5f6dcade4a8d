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

// Three keys typed at AAt into the memo holding AText, through the window's message loop as
// the user types them; the text is put back between rounds, untimed. With ALines the memo's
// Lines object exists (as in a memo read from a form) and must follow the keys.
void TypeThreeKeys(benchmark::State& state, const String& AText, Integer AAt, bool ALines) {
  Program p;
  p.Memo()->SetEditValue(Variant(AText));
  p.Host().PumpUntilIdle();
  TStrings* lines = ALines ? p.Memo()->GetLines() : nullptr;
  const Integer lineCount = lines ? lines->Count() : 0;
  for (auto _ : state) {
    state.PauseTiming();
    p.Memo()->SetSelStartAndLength(AAt, 0);
    p.Host().PumpUntilIdle();
    state.ResumeTiming();
    for (char c : {'a', 'b', 'c'}) {
      p.Host().Char(Byte(c));
      p.Host().PumpUntilIdle();
    }
    state.PauseTiming();
    if (p.Length() != AText.size() + 3 || (lines && lines->Count() != lineCount))
      state.SkipWithError("the keys were not typed");
    p.Memo()->SetSelStartAndLength(AAt, 3);
    p.Memo()->ClearSelection();
    p.Host().PumpUntilIdle();
    state.ResumeTiming();
  }
  state.SetComplexityN(state.range(0));
}

void BM_MemoTypeThreeKeysIntoParagraph(benchmark::State& state) {
  const String text = Paragraph(size_t(state.range(0)));
  TypeThreeKeys(state, text, Integer(text.size() / 2), false);
}
BENCHMARK(BM_MemoTypeThreeKeysIntoParagraph)->Arg(10000)->Arg(100000)->Arg(1000000)
    ->Unit(benchmark::kMillisecond);

// Lines of about 60 characters; the keys go into the middle line.
void BM_MemoTypeThreeKeysWithLines(benchmark::State& state) {
  static const char kLine[] = "pack my box with five dozen liquor jugs and a few more words\r\n";
  String text;
  while (text.size() < size_t(state.range(0))) text += kLine;
  TypeThreeKeys(state, text, Integer((text.size() / 2) / (sizeof kLine - 1) * (sizeof kLine - 1) + 5), true);
}
BENCHMARK(BM_MemoTypeThreeKeysWithLines)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// N lines added one by one, through Lines read once or read again for every line, to a memo
// that wraps and to one that scrolls sideways (its bar follows the widest line).
void LinesAddLoop(benchmark::State& state, bool AReadEachTime, bool ASideways) {
  Program p;
  if (ASideways) {
    p.Memo()->GetMemoProperties()->SetScrollBars(TScrollStyle::ssBoth);
    p.Memo()->GetMemoProperties()->SetWordWrap(false);
    p.Host().PumpUntilIdle();
  }
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
      (AReadEachTime ? p.Memo()->GetLines() : lines)->Add(line);
    }
    p.Host().PumpUntilIdle();
  }
  if (p.Length() != expected) state.SkipWithError("the lines were not added");
  state.SetComplexityN(state.range(0));
}
// Each line costs its own length: the rows grow linearly up to 10^5 lines (3.3 MB).
void BM_MemoLinesAddLoop(benchmark::State& state) { LinesAddLoop(state, false, false); }
BENCHMARK(BM_MemoLinesAddLoop)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
void BM_MemoLinesAddLoopReadingLines(benchmark::State& state) { LinesAddLoop(state, true, false); }
BENCHMARK(BM_MemoLinesAddLoopReadingLines)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
void BM_MemoLinesAddLoopScrollingSideways(benchmark::State& state) { LinesAddLoop(state, false, true); }
BENCHMARK(BM_MemoLinesAddLoopScrollingSideways)->Arg(1000)->Arg(10000)->Arg(100000)
    ->Unit(benchmark::kMillisecond);

}  // namespace
