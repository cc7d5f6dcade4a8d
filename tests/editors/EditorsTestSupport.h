// The standard editors' tests: a bitmap canvas on marked paper (PainterTest) with the
// widget library's units started from the foundation up.
#pragma once

#include "tests/foundation/PainterTestFixture.h"
#include "widgets/editcore/EditcoreUnits.h"
#include "widgets/editors/EditorsUnits.h"
#include "widgets/foundation/FoundationUnits.h"

class EditorsTest : public PainterTest {
 protected:
  void SetUp() override {
    PainterTest::SetUp();
    WidgetsFoundationInitialize();
    WidgetsEditcoreInitialize();
    WidgetsEditorsInitialize();
  }
  void TearDown() override {
    WidgetsEditorsFinalize();
    WidgetsEditcoreFinalize();
    WidgetsFoundationFinalize();
    PainterTest::TearDown();
  }
  // A 32-bit strip w x h filled with `fill`.
  static Owned<TBitmap> Strip(int w, int h, TColor fill) {
    Owned<TBitmap> b(New<TBitmap>());
    b->SetPixelFormat(TPixelFormat::pf32bit);
    b->SetSize(w, h);
    b->Canvas()->Brush()->SetColor(fill);
    b->Canvas()->FillRect({0, 0, w, h});
    return b;
  }
};
