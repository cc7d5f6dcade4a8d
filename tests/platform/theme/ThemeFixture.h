// A window-layer fixture with the visual-style stand-in registered (off until a test turns
// it on) and a 32-bit memory DC to draw on.
#pragma once

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/GdiObject.h"
#include "platform/theme/ThemeTesting.h"
#include "tests/support/PaperDC.h"
#include "tests/support/ThemeTestHook.h"
#include "tests/support/UserTest.h"

#include <vector>

class ThemeFixture : public UserTest, public PaperDC {
 protected:
  void SetUp() override {
    AddThemeTestHook();
    UserTest::SetUp();
  }
  void TearDown() override {
    for (HTHEME t : opened_) CloseThemeData(t);
    Release();
    UserTest::TearDown();
  }
  // Turns visual styles on and opens `classes`, closed when the test ends.
  HTHEME Open(const char16_t* classes) {
    ThemeSetActive(true);
    HTHEME t = OpenThemeData(nullptr, classes);
    EXPECT_NE(t, nullptr);
    opened_.push_back(t);
    return t;
  }

 private:
  std::vector<HTHEME> opened_;
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
