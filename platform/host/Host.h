// Where pixels, input and time really come from. The platform talks to exactly one host:
// the headless host in tests, a screen host in the program. The interface is header-only,
// so the window layer below can hold a pointer to it without linking the hosts.
#pragma once

#include "platform/kernel/Types.h"

#include <optional>

class Region;

class Host {
 public:
  virtual ~Host() = default;
  virtual DWORD Now() = 0;                        // milliseconds, as GetTickCount counts
  virtual void Sleep(DWORD ms) = 0;
  // Called when the queue is empty: wait until input arrives (delivered through the
  // platform's input entry points) or the deadline (a Now() value) passes. Returns true
  // when something may have arrived.
  virtual bool WaitForInput(std::optional<DWORD> deadline) = 0;
  // A wait the caller limited itself (a timeout): like WaitForInput, but a host whose time
  // is virtual may let the time pass instead of treating the wait as a stall.
  virtual bool WaitWithTimeout(DWORD deadline) { return WaitForInput(deadline); }
  // Takes in input that has already arrived, without waiting, and sends what was presented
  // on to the screen: a program busy between two waits (a replay's pauses) still answers
  // its input and shows what it drew.
  virtual void PollInput() {}
  // A top-level window was created, moved, sized, shown or hidden (screen coordinates).
  virtual void TopLevelChanged(HWND hwnd, const TRect& screen, DWORD style) = 0;
  // A top-level window is gone.
  virtual void TopLevelDestroyed(HWND hwnd) = 0;
  // Pixels of a top-level window changed (window coordinates).
  virtual void Present(HWND hwnd, const Region& dirty) = 0;
  virtual void SetCursor(HCURSOR cursor) = 0;
  virtual TRect WorkArea() = 0;
};
