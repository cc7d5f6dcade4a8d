// Time as the platform sees it. Everything that reads the time or waits goes through one
// seam: the real clock by default; the headless host installs a virtual clock that tests
// advance, and on which Sleep only advances time.
#pragma once

#include "platform/kernel/Types.h"

#include <ctime>

class ClockSource {
 public:
  virtual ~ClockSource() = default;
  virtual DWORD Now() = 0;               // milliseconds, wrapping like the platform's tick count
  virtual void Sleep(DWORD ms) = 0;
  virtual std::time_t WallTime() = 0;    // seconds since the epoch, for time()
};

// Installs `source` (not owned); nullptr restores the real clock. Returns the previous one.
ClockSource* SetClockSource(ClockSource* source);
ClockSource& CurrentClock();

DWORD GetTickCount();
void Sleep(DWORD ms);
// Runs before every Sleep: the window layer sends what was drawn on to the screen, so that
// a program that draws and then sleeps shows the drawing for the whole sleep. nullptr
// removes it. Returns the previous hook.
using BeforeSleepHook = void (*)();
BeforeSleepHook SetBeforeSleepHook(BeforeSleepHook hook);
// The C runtime's wall clock, through the same seam.
std::time_t tl_time(std::time_t* out);
double tl_difftime(std::time_t end, std::time_t start);
