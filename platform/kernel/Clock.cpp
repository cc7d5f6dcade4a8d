#include "platform/kernel/Clock.h"

#include <cerrno>
#include <chrono>
#include <ctime>

namespace {

class RealClock final : public ClockSource {
 public:
  DWORD Now() override {
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    // The tick count wraps after 49.7 days, as the platform's does.
    return DWORD(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
  }
  void Sleep(DWORD ms) override {
    timespec rest{time_t(ms / 1000), static_cast<decltype(rest.tv_nsec)>((ms % 1000) * 1000000)};
    // A signal must not cut the wait short.
    while (nanosleep(&rest, &rest) != 0 && errno == EINTR) {
    }
  }
  std::time_t WallTime() override { return std::time(nullptr); }
};

RealClock& Real() {
  static RealClock clock;
  return clock;
}

ClockSource* g_current = nullptr;
BeforeSleepHook g_beforeSleep = nullptr;

}  // namespace

ClockSource* SetClockSource(ClockSource* source) {
  ClockSource* previous = g_current ? g_current : &Real();
  g_current = source;
  return previous;
}

ClockSource& CurrentClock() { return g_current ? *g_current : Real(); }

DWORD GetTickCount() { return CurrentClock().Now(); }

BeforeSleepHook SetBeforeSleepHook(BeforeSleepHook hook) {
  BeforeSleepHook previous = g_beforeSleep;
  g_beforeSleep = hook;
  return previous;
}

void Sleep(DWORD ms) {
  if (g_beforeSleep) g_beforeSleep();
  CurrentClock().Sleep(ms);
}

std::time_t tl_time(std::time_t* out) {
  const std::time_t now = CurrentClock().WallTime();
  if (out) *out = now;
  return now;
}

double tl_difftime(std::time_t end, std::time_t start) { return double(end) - double(start); }
