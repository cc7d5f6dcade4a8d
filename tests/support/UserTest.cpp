#include "tests/support/UserTest.h"

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/GdiObject.h"

namespace {

size_t g_gdiObjectsAtStart = 0;
size_t g_dcsAtStart = 0;

void UserReset() {
  UserResetState();
  PlatformUserInitialize();
  g_gdiObjectsAtStart = GdiLiveObjectCount();
  g_dcsAtStart = LiveDCCount();
}

void UserLeaks(std::vector<std::string>& leaks) {
  if (int n = UserLiveWindowCount()) leaks.push_back(std::to_string(n) + " window(s) not destroyed");
  if (int n = UserLiveTimerCount()) leaks.push_back(std::to_string(n) + " timer(s) not killed");
  if (int n = UserLiveHookCount()) leaks.push_back(std::to_string(n) + " hook(s) not removed");
  if (GdiLiveObjectCount() > g_gdiObjectsAtStart)
    leaks.push_back(std::to_string(GdiLiveObjectCount() - g_gdiObjectsAtStart) + " GDI object(s) not deleted");
  if (LiveDCCount() > g_dcsAtStart)
    leaks.push_back(std::to_string(LiveDCCount() - g_dcsAtStart) + " device context(s) not released");
}

}  // namespace

void UserTest::SetUp() {
  AddTestHook({"user", UserReset, UserLeaks});
  host_ = std::make_unique<HeadlessHost>(Clock());
  KernelTest::SetUp();
}

void UserTest::TearDown() {
  KernelTest::TearDown();
  // Whatever a failed test left is destroyed now, so the next test starts clean.
  UserResetState();
  host_.reset();
}
