// Tests of the visual-style access, the theme manager and the Office11 colours: the class
// library running, the visual-style stand-in registered but off, and the units started by
// the test itself once it has set the platform up (version, hidden names, theme on).
#pragma once

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/GdiObject.h"
#include "platform/kernel/Modules.h"
#include "platform/kernel/Version.h"
#include "platform/theme/ThemeTesting.h"
#include "tests/support/AppTest.h"
#include "tests/support/PaperDC.h"
#include "tests/support/ThemeTestHook.h"
#include "widgets/foundation/dxOffice11.h"
#include "widgets/foundation/dxThemeManager.h"

class ThemeUnitsTest : public AppTest, public PaperDC {
 protected:
  void SetUp() override {
    AddThemeTestHook();
    AppTest::SetUp();
  }
  void TearDown() override {
    while (cxOffice11DotDarkBrush()) cxOffice11TearDown();
    while (started_ > 0) Stop();
    Release();
    AppTest::TearDown();
  }

  // Visual styles on with the default style file and the given colour name.
  static void ThemeOn(const char16_t* colorName = u"NormalColor") {
    ThemeConfigure({true, u"C:\\WINDOWS\\Resources\\Themes\\Luna\\Luna.msstyles", colorName, u"NormalSize"});
  }
  void Start() {
    dxOffice11::Initialize();
    ++started_;
  }
  void Stop() {
    dxOffice11::Finalize();
    --started_;
  }

 private:
  int started_ = 0;
};
