// One calculate-and-paint of a text editor's view with a drop-down button, as every mouse
// move over an editor does: a view data made by the properties lays the view info out and
// the view info paints it on a bitmap.
#include "bench/BenchDesktop.h"
#include "classlib/visual/Forms.h"
#include "widgets/editcore/cxEdit.h"
#include "widgets/editcore/cxTextEditViewData.h"

#include <benchmark/benchmark.h>

namespace {

class Program : BenchDesktop {
 public:
  Program() : BenchDesktop(BenchUnits::Editcore) {
    properties_ = New<TcxCustomEditProperties>(nullptr);
    properties_->GetButtons()->Add()->SetKind(TcxEditButtonKind::bkDown);
    styles_ = New<TcxContainerStyles>(nullptr, cxEditStyleClassOf<TcxEditStyle>());
    bitmap_ = New<TBitmap>();
    bitmap_->SetSize(200, 30);
    canvas_ = New<TcxCanvas>(bitmap_->Canvas());
  }
  ~Program() {
    canvas_->Free();
    bitmap_->Free();
    styles_->Free();
    properties_->Free();
  }
  TcxCustomEditProperties* Properties() { return properties_; }
  TcxCustomEditStyle* Style() { return static_cast<TcxCustomEditStyle*>(styles_->Style()); }
  TcxCanvas& Canvas() { return *canvas_; }

 private:
  TcxCustomEditProperties* properties_ = nullptr;
  TcxContainerStyles* styles_ = nullptr;
  TBitmap* bitmap_ = nullptr;
  TcxCanvas* canvas_ = nullptr;
};

void BM_TextEditViewCalculateAndPaint(benchmark::State& state) {
  Program p;
  Owned<TcxCustomTextEditViewInfo> info(New<TcxCustomTextEditViewInfo>());
  const Variant value(String("The quick brown fox"));
  int x = 0;
  for (auto _ : state) {
    Owned<TcxCustomTextEditViewData> data(New<TcxCustomTextEditViewData>(p.Properties(), p.Style(), false));
    data->Focused = true;
    data->SelLength = 3;
    x = (x + 7) % 200;  // the mouse moving over the editor and its button
    data->Calculate(p.Canvas(), {0, 0, 200, 24}, {x, 10}, TcxMouseButton::cxmbNone, {}, info.get(), false);
    data->EditValueToDrawValue(p.Canvas(), value, info.get());
    info->Paint(p.Canvas());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TextEditViewCalculateAndPaint)->Unit(benchmark::kMicrosecond);

}  // namespace
