// One character typed into a text editor holding 1,000 characters, as the user types it:
// the key goes through the window's message loop, the platform edit inserts it, the editor
// follows with its change events, and the invalidated editor is repainted.
#include "bench/BenchDesktop.h"
#include "classlib/visual/Forms.h"
#include "widgets/editcore/cxTextEditControl.h"

#include <benchmark/benchmark.h>

namespace {

class Program : public BenchDesktop {
 public:
  Program() : BenchDesktop(BenchUnits::Editcore) {
    form_ = TCustomForm::CreateNew(nullptr);
    form_->SetBounds(0, 0, 400, 100);
    edit_ = New<TcxTextEdit>(form_);
    edit_->SetBounds(10, 10, 300, 21);
    edit_->SetParent(form_);
    form_->Show();
    edit_->SetEditValue(Variant(String(1000, 'w')));
    edit_->SetFocus();
    Host().PumpUntilIdle();
  }
  ~Program() {
    form_->Free();
    Host().PumpUntilIdle();
  }
  TcxTextEdit* Edit() { return edit_; }

 private:
  TCustomForm* form_ = nullptr;
  TcxTextEdit* edit_ = nullptr;
};

void BM_TextEditTypeOneCharacter(benchmark::State& state) {
  Program p;
  for (auto _ : state) {
    // The typed character replaces one in the middle: the text stays 1,000 characters long.
    state.PauseTiming();
    p.Edit()->SetSelStartAndLength(500, 1);
    p.Host().PumpUntilIdle();
    state.ResumeTiming();
    p.Host().Char('a');
    p.Host().PumpUntilIdle();
  }
  if (p.Edit()->InnerTextEdit()->GetText().size() != 1000) state.SkipWithError("the text changed length");
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TextEditTypeOneCharacter)->Unit(benchmark::kMicrosecond);

}  // namespace
