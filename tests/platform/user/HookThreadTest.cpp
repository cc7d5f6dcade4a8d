// Hooks belong to the window thread: a hook asked for another thread is refused.
#include "platform/kernel/Threads.h"
#include "tests/support/UserTest.h"

#include <thread>

namespace {

LRESULT PassOn(int code, WPARAM w, LPARAM l) { return CallNextHookEx(nullptr, code, w, l); }

TEST_F(UserTest, HooksAreOnlyForTheWindowThread) {
  const DWORD self = GetCurrentThreadId();
  EXPECT_NE(self, 0u);
  EXPECT_EQ(GetCurrentThreadId(), self);
  DWORD other = 0;
  std::thread([&] { other = GetCurrentThreadId(); }).join();
  EXPECT_NE(other, self);
  EXPECT_NE(other, 0u);

  EXPECT_EQ(SetWindowsHookExA(WH_MOUSE, PassOn, nullptr, other), nullptr);
  HHOOK own = SetWindowsHookExA(WH_MOUSE, PassOn, nullptr, self);
  ASSERT_NE(own, nullptr);
  EXPECT_TRUE(UnhookWindowsHookEx(own));
}

}  // namespace
