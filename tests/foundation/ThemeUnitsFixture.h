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
#include "tests/support/ThemeTestHook.h"
#include "widgets/foundation/dxOffice11.h"
#include "widgets/foundation/dxThemeManager.h"

class ThemeUnitsTest : public AppTest {
 protected:
  static constexpr COLORREF kPaper = RGB(1, 2, 3);

  void SetUp() override {
    AddThemeTestHook();
    AppTest::SetUp();
  }
  void TearDown() override {
    while (cxOffice11DotDarkBrush()) cxOffice11TearDown();
    while (started_ > 0) Stop();
    ReleaseCanvas();
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

  void Canvas(int w, int h) {
    ReleaseCanvas();
    dc = CreateCompatibleDC(nullptr);
    bmp = CreateBitmap(w, h, 1, 32, nullptr);
    old_ = SelectObject(dc, bmp);
    Surf().Fill(PixelFromColor(kPaper));
  }
  Surface& Surf() { return *BitmapFromHandle(bmp)->Pixels; }
  COLORREF Px(int x, int y) { return ColorFromPixel(Surf().At(x, y)); }
  bool Painted(const TRect& r) {
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x)
        if (Px(x, y) != kPaper) return true;
    return false;
  }

  HDC dc = nullptr;
  HBITMAP bmp = nullptr;

 private:
  void ReleaseCanvas() {
    if (!dc) return;
    SelectObject(dc, old_);
    DeleteDC(dc);
    DeleteObject(bmp);
    dc = nullptr;
  }
  HGDIOBJ old_ = nullptr;
  int started_ = 0;
};
