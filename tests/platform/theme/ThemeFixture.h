// A window-layer fixture with the visual-style stand-in registered (off until a test turns
// it on) and a 32-bit memory DC to draw on.
#pragma once

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/GdiObject.h"
#include "platform/theme/ThemeTesting.h"
#include "tests/support/ThemeTestHook.h"
#include "tests/support/UserTest.h"

class ThemeFixture : public UserTest {
 protected:
  static constexpr COLORREF kPaper = RGB(1, 2, 3);

  void SetUp() override {
    AddThemeTestHook();
    UserTest::SetUp();
  }
  void TearDown() override {
    Release();
    UserTest::TearDown();
  }

  void Canvas(int w, int h) {
    Release();
    dc = CreateCompatibleDC(nullptr);
    bmp = CreateBitmap(w, h, 1, 32, nullptr);
    old_ = SelectObject(dc, bmp);
    Surf().Fill(PixelFromColor(kPaper));
  }
  Surface& Surf() { return *BitmapFromHandle(bmp)->Pixels; }
  COLORREF Px(int x, int y) { return ColorFromPixel(Surf().At(x, y)); }
  // Whether any pixel of r differs from the paper.
  bool Painted(const TRect& r) {
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x)
        if (Px(x, y) != kPaper) return true;
    return false;
  }

  HDC dc = nullptr;
  HBITMAP bmp = nullptr;

 private:
  void Release() {
    if (!dc) return;
    SelectObject(dc, old_);
    DeleteDC(dc);
    DeleteObject(bmp);
    dc = nullptr;
  }
  HGDIOBJ old_ = nullptr;
};

// Closes a theme handle at the end of a scope.
struct ThemeHold {
  HTHEME h;
  explicit ThemeHold(HTHEME t) : h(t) {}
  ~ThemeHold() {
    if (h) CloseThemeData(h);
  }
  ThemeHold(const ThemeHold&) = delete;
  ThemeHold& operator=(const ThemeHold&) = delete;
};
