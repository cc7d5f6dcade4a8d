// A window-layer fixture with the visual-style stand-in registered (off until a test turns
// it on) and a 32-bit memory DC to draw on.
#pragma once

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/GdiObject.h"
#include "platform/theme/ThemeTesting.h"
#include "tests/support/PaperDC.h"
#include "tests/support/ThemeTestHook.h"
#include "tests/support/UserTest.h"

class ThemeFixture : public UserTest, public PaperDC {
 protected:
  void SetUp() override {
    AddThemeTestHook();
    UserTest::SetUp();
  }
  void TearDown() override {
    Release();
    UserTest::TearDown();
  }
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
