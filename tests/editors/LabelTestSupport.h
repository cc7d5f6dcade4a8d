// Label tests: the foundation and editor units started with the label's registration, a
// label's properties and base style without a control, and the in-place path that lays
// a label out and paints it on a bitmap canvas.
#pragma once

#include "classlib/core/Filer.h"
#include "classlib/core/Streams.h"
#include "tests/foundation/PainterTestFixture.h"
#include "widgets/editcore/EditcoreUnits.h"
#include "widgets/editcore/cxEditPaintUtils.h"
#include "widgets/editors/cxLabel.h"
#include "widgets/foundation/FoundationUnits.h"

#include <gtest/gtest.h>

#include <string>

// A component that streams a label's properties as its sub-object.
class TLabelSettingsHolder : public TComponent {
  TL_CLASS(TLabelSettingsHolder, TComponent)
 public:
  explicit TLabelSettingsHolder(TComponent* AOwner) : TComponent(AOwner) {}
  void AfterConstruction() override {
    inherited::AfterConstruction();
    FProperties = New<TcxLabelProperties>(this);
  }
  void BeforeDestruction() override {
    FreeAndNil(FProperties);
    inherited::BeforeDestruction();
  }
  TcxLabelProperties* GetProperties() const { return FProperties; }
  void SetProperties(TcxLabelProperties* Value) { FProperties->Assign(Value); }

 private:
  TcxLabelProperties* FProperties = nullptr;
};

// Writes a 32-bit bitmap as a PNG file; false when it cannot.
bool WriteBitmapPng(TBitmap* ABitmap, const std::string& APath);

class LabelTest : public PainterTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Lays the label out in ABounds with AText and keeps the view data.
  void Layout(const TRect& ABounds, const String& AText, bool AInplace = false);
  void Paint() { info->Paint(*canvas); }
  TSize ContentSize(const String& AText, Integer AWidth = -1, bool AInplace = false);
  // The bounding box of pixels of AColor inside R (empty when there are none).
  TRect InkBox(const TRect& R, TColor AColor);
  Integer CountColor(const TRect& R, TColor AColor);
  // Dumps the canvas into the build folder for a look by eye.
  void Dump(const std::string& AName);

  TcxLabelProperties* props = nullptr;
  TcxLabelEditStyle* style = nullptr;
  TcxCustomLabelViewInfo* info = nullptr;
  TcxCustomLabelViewData* data = nullptr;
};
