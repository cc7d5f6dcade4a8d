// The standard editors' tests: a bitmap canvas on marked paper (PainterTest) with the
// widget library's units started from the foundation up.
#pragma once

#include "classlib/core/FormText.h"
#include "classlib/core/Streams.h"
#include "classlib/visual/Forms.h"
#include "tests/foundation/PainterTestFixture.h"
#include "tests/support/FormDescription.h"
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
  // The form a window description in text makes; the caller frees it.
  static TForm* ReadDialog(const char* AText) {
    TForm* dialog = TForm::CreateNew(Application);
    ReadDescription(AText, dialog);
    return dialog;
  }
};

// Controls on a dialog form named "dlg", freed after each test.
class EditorsDialogTest : public EditorsTest {
 protected:
  void SetUp() override {
    EditorsTest::SetUp();
    form = TForm::CreateNew(Application);
    form->SetName("dlg");
    form->SetBounds(100, 100, 300, 200);
  }
  void TearDown() override {
    form->Free();
    EditorsTest::TearDown();
  }
  void Show() {
    form->Show();
    Pump();
  }
  TForm* form = nullptr;
};
