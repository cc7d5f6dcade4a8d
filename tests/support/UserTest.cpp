#include "tests/support/UserTest.h"

namespace {

void UserReset() {
  UserResetState();
}

void UserLeaks(std::vector<std::string>& leaks) {
  if (int n = UserLiveWindowCount()) leaks.push_back(std::to_string(n) + " window(s) not destroyed");
  if (int n = UserLiveTimerCount()) leaks.push_back(std::to_string(n) + " timer(s) not killed");
  if (int n = UserLiveHookCount()) leaks.push_back(std::to_string(n) + " hook(s) not removed");
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
