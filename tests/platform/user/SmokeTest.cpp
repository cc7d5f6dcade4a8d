#include "tests/support/UserTest.h"

class Smoke : public UserTest {};

TEST_F(Smoke, CreatesAndDestroys) {
  WNDCLASSA wc;
  wc.lpszClassName = "Smoke";
  ASSERT_NE(RegisterClassA(&wc), 0);
  HWND h = CreateWindowExA(0, "Smoke", "x", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200, 100, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(IsWindow(h));
  host().PumpUntilIdle();
  EXPECT_TRUE(DestroyWindow(h));
  EXPECT_FALSE(IsWindow(h));
}
