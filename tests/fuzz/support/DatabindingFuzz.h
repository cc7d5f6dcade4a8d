// What the fuzz targets over bound widgets share: every widget unit up to data binding
// started on the fuzz host (finalized in reverse), fields added to a data set, and the holder
// through which a form frees a data controller.
#pragma once

#include "classlib/core/DB.h"
#include "tests/fuzz/support/VisualFuzzHost.h"
#include "widgets/data/DataUnits.h"
#include "widgets/databinding/DatabindingUnits.h"
#include "widgets/editcore/EditcoreUnits.h"
#include "widgets/editors/EditorsUnits.h"
#include "widgets/foundation/FoundationUnits.h"
#include "widgets/special/SpecialUnits.h"

struct DatabindingFuzzHost : VisualFuzzHost {
  explicit DatabindingFuzzHost(bool ARouted = false) : VisualFuzzHost(ARouted) {
    WidgetsFoundationInitialize();
    WidgetsEditcoreInitialize();
    WidgetsEditorsInitialize();
    WidgetsSpecialInitialize();
    WidgetsDataInitialize();
    WidgetsDatabindingInitialize();
  }
  ~DatabindingFuzzHost() {
    WidgetsDatabindingFinalize();
    WidgetsDataFinalize();
    WidgetsSpecialFinalize();
    WidgetsEditorsFinalize();
    WidgetsEditcoreFinalize();
    WidgetsFoundationFinalize();
  }
};

// A controller is no component: the form frees it through this holder, as a grid would
// (unless a handler freed it first).
class TControllerHolder : public TComponent {
 public:
  using TComponent::TComponent;
  TWeakLink Controller;
  void BeforeDestruction() override {
    TObject* c = Controller.Ref();
    Controller.Detach();
    if (c) c->Free();
    TComponent::BeforeDestruction();
  }
};

template <class T>
T* AddField(TComponent* AOwner, TDataSet* ADataSet, const char* AName) {
  T* f = New<T>(AOwner);
  f->SetFieldName(AName);
  f->SetDataSet(ADataSet);
  return f;
}
