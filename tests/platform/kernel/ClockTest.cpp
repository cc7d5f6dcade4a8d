#include "tests/support/KernelTest.h"

#include "platform/kernel/Clock.h"

using ClockTest = KernelTest;

TEST_F(ClockTest, EverythingReadsTheInstalledClock) {
  const DWORD start = GetTickCount();
  const std::time_t wallStart = tl_time(nullptr);
  EXPECT_EQ(wallStart, VirtualClock::kDefaultEpoch);
  Sleep(1500);  // advances virtual time, returns at once
  EXPECT_EQ(GetTickCount() - start, 1500u);
  std::time_t out = 0;
  EXPECT_EQ(tl_time(&out), wallStart + 1);
  EXPECT_EQ(out, wallStart + 1);
  Clock().Advance(600);
  EXPECT_EQ(tl_time(nullptr), wallStart + 2);  // 2100 ms
  EXPECT_DOUBLE_EQ(tl_difftime(wallStart, wallStart + 5), -5.0);
}

TEST_F(ClockTest, TickCountWrapsLikeThePlatforms) {
  VirtualClock nearWrap(VirtualClock::kDefaultEpoch, 0xFFFFFF00u);
  ClockSource* previous = SetClockSource(&nearWrap);
  EXPECT_EQ(previous, &Clock());
  Sleep(0x200);
  EXPECT_EQ(GetTickCount(), 0x100u);
  // Elapsed time by unsigned difference survives the wrap.
  EXPECT_EQ(GetTickCount() - 0xFFFFFF00u, 0x200u);
  EXPECT_EQ(nearWrap.Elapsed(), 0x200u);
  EXPECT_EQ(tl_time(nullptr), VirtualClock::kDefaultEpoch);
  SetClockSource(previous);
}
