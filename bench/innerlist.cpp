// Filling the list box inside a container: every added item lets the library bars follow
// the list's own, so a large fill pays for that many bar updates.
#include "bench/BenchDesktop.h"
#include "classlib/visual/Forms.h"
#include "platform/user/User.h"
#include "widgets/foundation/cxInnerListBox.h"

#include <benchmark/benchmark.h>

namespace {

class TBenchListContainer : public TcxContainer {
  TL_CLASS(TBenchListContainer, TcxContainer)
 public:
  using TcxContainer::TcxContainer;
  void AfterConstruction() override {
    inherited::AfterConstruction();
    List = New<TcxCustomInnerListBox>(this);
    List->SetParent(this);
    SetInnerControl(List);
  }
  TcxCustomInnerListBox* List = nullptr;
};

}  // namespace
TL_DEFINE_CLASS(TBenchListContainer, [](auto&) {});

namespace {

class Program : BenchDesktop {
 public:
  Program() : BenchDesktop(BenchUnits::Foundation) {
    cxLookUpGetScrollBarInfo();  // as the container unit's start-up does
    form_ = TCustomForm::CreateNew(nullptr);
    form_->SetBounds(50, 50, 300, 300);
    box_ = New<TBenchListContainer>(form_);
    box_->SetBounds(10, 10, 200, 200);
    box_->SetParent(form_);
    form_->Show();
    Application->ProcessMessages();
  }
  ~Program() {
    form_->Free();
  }
  TcxCustomInnerListBox* List() { return box_->List; }

 private:
  TCustomForm* form_ = nullptr;
  TBenchListContainer* box_ = nullptr;
};

void BM_FillInnerList(benchmark::State& state) {
  Program p;
  const int n = int(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    p.List()->Clear();
    state.ResumeTiming();
    for (int i = 0; i < n; ++i) p.List()->GetItems()->Add("item");
  }
  if (!p.List()->GetLibraryScrollBar(TScrollBarKind::sbVertical)->GetVisible()) state.SkipWithError("no library bar");
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_FillInnerList)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
