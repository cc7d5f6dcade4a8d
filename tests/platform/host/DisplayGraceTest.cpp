// Opening the display with a grace: tries until one succeeds or the grace is over.
#include "platform/host/sdl/DisplayGrace.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Attempts {
  explicit Attempts(int FailFirst = 0, uint32_t Clock = 0) : failFirst(FailFirst), clock(Clock) {}
  int failFirst;    // tries that fail before the first success (-1: all fail)
  uint32_t clock;   // ms
  int tries = 0;
  std::vector<uint32_t> triedAt;
  bool Open(uint32_t graceMs, uint32_t stepMs) {
    return OpenWithGrace(
        [&] {
          triedAt.push_back(clock);
          return failFirst >= 0 && tries++ >= failFirst;
        },
        [&] { return clock; }, [&](uint32_t ms) { clock += ms; }, graceMs, stepMs);
  }
};

TEST(DisplayGrace, TriesUntilTheDisplayAnswersOrTheGraceIsOver) {
  Attempts first;
  EXPECT_TRUE(first.Open(3000, 200));
  EXPECT_EQ(first.triedAt, (std::vector<uint32_t>{0}));

  Attempts late{3};
  EXPECT_TRUE(late.Open(3000, 200));
  EXPECT_EQ(late.triedAt, (std::vector<uint32_t>{0, 200, 400, 600}));

  // Never: the last try is the one at the end of the grace, then no more waiting.
  Attempts never{-1};
  EXPECT_FALSE(never.Open(1000, 200));
  EXPECT_EQ(never.triedAt, (std::vector<uint32_t>{0, 200, 400, 600, 800, 1000}));
  EXPECT_EQ(never.clock, 1000u);
  // Across the wrap of the millisecond counter.
  Attempts wrapped{-1, 0xFFFFFF00u};
  EXPECT_FALSE(wrapped.Open(1000, 500));
  EXPECT_EQ(wrapped.triedAt.size(), 3u);
}

}  // namespace
