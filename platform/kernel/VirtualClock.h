// A clock that moves only when told: the headless host and the tests install it so that
// timers, Sleep and time() are reproducible. Sleep advances the time instead of waiting.
#pragma once

#include "platform/kernel/Clock.h"

class VirtualClock final : public ClockSource {
 public:
  // 2026-01-01 00:00:00 UTC: a fixed start, so dates derived from time() are reproducible.
  static constexpr std::time_t kDefaultEpoch = 1767225600;

  explicit VirtualClock(std::time_t epoch = kDefaultEpoch, DWORD startTicks = 0)
      : epoch_(epoch), startTicks_(startTicks) {}

  DWORD Now() override { return DWORD(startTicks_ + elapsedMs_); }
  void Sleep(DWORD ms) override { Advance(ms); }
  std::time_t WallTime() override { return epoch_ + std::time_t(elapsedMs_ / 1000); }

  void Advance(DWORD ms) { elapsedMs_ += ms; }
  // Milliseconds since the clock was made; never wraps, unlike Now().
  UInt64 Elapsed() const { return elapsedMs_; }

 private:
  std::time_t epoch_;
  DWORD startTicks_;
  UInt64 elapsedMs_ = 0;
};
