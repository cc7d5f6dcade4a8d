// Opening and closing a combo box's list with F4, as the user does, against the number of
// items: each opening measures every item for the list's width and fills the list.
#include "bench/BenchDesktop.h"
#include "classlib/visual/Forms.h"
#include "widgets/editors/EditorsUnits.h"
#include "widgets/editors/cxComboBox.h"

#include <benchmark/benchmark.h>

namespace {

class Program : public BenchDesktop {
 public:
  explicit Program(Integer ACount) : BenchDesktop(BenchUnits::Editcore) {
    WidgetsEditorsInitialize();
    form_ = TCustomForm::CreateNew(nullptr);
    form_->SetBounds(0, 0, 400, 100);
    combo_ = New<TcxComboBox>(form_);
    combo_->SetBounds(10, 10, 200, 21);
    combo_->SetParent(form_);
    TStrings* items = combo_->GetComboProperties()->GetItems();
    items->BeginUpdate();
    for (Integer i = 0; i < ACount; ++i) items->Add("item number " + std::to_string(i));
    items->EndUpdate();
    form_->Show();
    combo_->SetFocus();
    Host().PumpUntilIdle();
  }
  ~Program() {
    form_->Free();
    Host().PumpUntilIdle();
    WidgetsEditorsFinalize();
  }
  TcxComboBox* Combo() { return combo_; }

 private:
  TCustomForm* form_ = nullptr;
  TcxComboBox* combo_ = nullptr;
};

void BM_ComboBoxOpenAndClose(benchmark::State& state) {
  Program p(Integer(state.range(0)));
  for (auto _ : state) {
    p.Host().Key(VK_F4);
    p.Host().PumpUntilIdle();
    p.Host().Key(VK_F4);
    p.Host().PumpUntilIdle();
  }
  if (p.Combo()->GetDroppedDown()) state.SkipWithError("the list stayed open");
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ComboBoxOpenAndClose)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
