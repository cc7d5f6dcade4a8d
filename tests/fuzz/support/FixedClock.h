// A fixed virtual wall clock for the targets whose results depend on the date (today, now,
// the current year of two-digit years): installed while it lives, so a run replays the
// same on any day; the real clock is back once it goes.
#pragma once

#include "platform/kernel/VirtualClock.h"

struct FixedClock {
  FixedClock() { SetClockSource(&clock); }
  ~FixedClock() { SetClockSource(nullptr); }
  FixedClock(const FixedClock&) = delete;
  FixedClock& operator=(const FixedClock&) = delete;
  VirtualClock clock;
};
