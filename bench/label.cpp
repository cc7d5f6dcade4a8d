// Rendering a label with a one-pixel depth effect: every step of Depth draws the caption
// once more, so the render time grows with Depth.
#include "classlib/visual/VisualUnits.h"
#include "platform/host/HeadlessHost.h"
#include "platform/kernel/Clock.h"
#include "platform/kernel/Units.h"
#include "widgets/editcore/EditcoreUnits.h"
#include "widgets/editors/cxLabel.h"
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
    cxLabelInitialize();
    properties_ = New<TcxLabelProperties>(nullptr);
    style_ = static_cast<TcxCustomEditStyle*>(properties_->GetStyleClass().Create(
        nullptr, TcxContainerStateItem::csNormal, nullptr, false));
    style_->GetFont()->SetName("Tahoma");
    style_->GetFont()->SetHeight(-16);
    bitmap_ = New<TBitmap>();
    bitmap_->SetSize(300, 60);
    canvas_ = New<TcxCanvas>(bitmap_->Canvas());
  }
  ~Program() {
    canvas_->Free();
    bitmap_->Free();
    style_->Free();
    properties_->Free();
    cxLabelFinalize();
    WidgetsEditcoreFinalize();
    WidgetsFoundationFinalize();
    ClasslibVisualFinalize();
    PlatformUserFinalize();
    PlatformKernelFinalize();
    SetClockSource(previousClock_);
  }
  TcxLabelProperties* Properties() { return properties_; }
  TcxCustomEditStyle* Style() { return style_; }
  TcxCanvas& Canvas() { return *canvas_; }

 private:
  VirtualClock clock_;
  ClockSource* previousClock_ = nullptr;
  HeadlessHost host_;
  TcxLabelProperties* properties_ = nullptr;
  TcxCustomEditStyle* style_ = nullptr;
  TBitmap* bitmap_ = nullptr;
  TcxCanvas* canvas_ = nullptr;
};

void BM_LabelExtrudeRender(benchmark::State& state) {
  Program p;
  p.Properties()->SetLabelEffect(TcxLabelEffect::cxleExtrude);
  p.Properties()->SetDepth(Word(state.range(0)));
  Owned<TcxCustomLabelViewInfo> info(
      static_cast<TcxCustomLabelViewInfo*>(p.Properties()->GetViewInfoClass().Create()));
  Owned<TcxCustomLabelViewData> data(
      static_cast<TcxCustomLabelViewData*>(p.Properties()->CreateViewData(p.Style(), false)));
  const Variant value(String("Game is paused"));
  for (auto _ : state) {
    // Every calculation renders again.
    data->Calculate(p.Canvas(), {0, 0, 300, 60}, {-1, -1}, TcxMouseButton::cxmbNone, {}, info.get(),
                    false);
    data->EditValueToDrawValue(p.Canvas(), value, info.get());
    info->Paint(p.Canvas());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LabelExtrudeRender)->Arg(0)->Arg(4)->Arg(32)->Arg(256)->Unit(benchmark::kMicrosecond);

}  // namespace
