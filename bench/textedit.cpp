// One character typed into a text editor holding 1,000 characters, as the user types it:
// the key goes through the window's message loop, the platform edit inserts it, the editor
// follows with its change events, and the invalidated editor is repainted.
#include "classlib/visual/Forms.h"
#include "classlib/visual/VisualUnits.h"
#include "platform/host/HeadlessHost.h"
#include "platform/kernel/Clock.h"
#include "platform/kernel/Units.h"
#include "widgets/editcore/EditcoreUnits.h"
#include "widgets/editcore/cxTextEditControl.h"
#include "widgets/foundation/FoundationUnits.h"

#include <benchmark/benchmark.h>

namespace {

class Program {
 public:
  Program() : host_(clock_) {
    previousClock_ = SetClockSource(&clock_);
    PlatformKernelInitialize();
    PlatformUserInitialize();
    ClasslibVisualInitialize();
    WidgetsFoundationInitialize();
    WidgetsEditcoreInitialize();
    form_ = TCustomForm::CreateNew(nullptr);
    form_->SetBounds(0, 0, 400, 100);
    edit_ = New<TcxTextEdit>(form_);
    edit_->SetBounds(10, 10, 300, 21);
    edit_->SetParent(form_);
    form_->Show();
    edit_->SetEditValue(Variant(String(1000, 'w')));
    edit_->SetFocus();
    host_.PumpUntilIdle();
  }
  ~Program() {
    form_->Free();
    host_.PumpUntilIdle();
    WidgetsEditcoreFinalize();
    WidgetsFoundationFinalize();
    ClasslibVisualFinalize();
    PlatformUserFinalize();
    PlatformKernelFinalize();
    SetClockSource(previousClock_);
  }
  HeadlessHost& Host() { return host_; }
  TcxTextEdit* Edit() { return edit_; }

 private:
  VirtualClock clock_;
  ClockSource* previousClock_ = nullptr;
  HeadlessHost host_;
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
