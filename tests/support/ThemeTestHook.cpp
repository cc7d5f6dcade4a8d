#include "tests/support/ThemeTestHook.h"

#include "platform/theme/ThemeTesting.h"
#include "tests/support/TestHooks.h"

#include <string>

namespace {

void ThemeReset() {
  ThemeResetState();
  PlatformThemeInitialize();
  ThemeSetActive(false);
}

void ThemeLeaks(std::vector<std::string>& leaks) {
  if (int n = ThemeLiveHandleCount()) leaks.push_back(std::to_string(n) + " theme handle(s) not closed");
}

}  // namespace

void AddThemeTestHook() { AddTestHook({"theme", ThemeReset, ThemeLeaks}); }
