// The specialised editors' tests: the standard editors' fixture with the specialised units
// started on top, a dialog form named "dlg", and the locale put back after each test.
#pragma once

#include "classlib/core/SysUtils.h"
#include "platform/kernel/Locale.h"
#include "platform/user/UserTesting.h"
#include "tests/editors/EditorsTestSupport.h"
#include "widgets/special/SpecialUnits.h"

class SpecialDialogTest : public EditorsTest {
 protected:
  void SetUp() override {
    EditorsTest::SetUp();
    WidgetsSpecialInitialize();
    form = TForm::CreateNew(Application);
    form->SetName("dlg");
    form->SetBounds(100, 100, 300, 200);
  }
  void TearDown() override {
    form->Free();
    WidgetsSpecialFinalize();
    EditorsTest::TearDown();
    ResetLocale();
    FormatSettings = DefaultFormatSettings();
  }
  void Show() {
    form->Show();
    Pump();
  }
  static size_t Beeps() { return UserBeeps().size(); }
  TForm* form = nullptr;
};
