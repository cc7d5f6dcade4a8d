// Entry points for tests and for the test fixture: state inspection, leak counts, a fresh
// platform state, and changes of system settings that broadcast as the platform does.
#pragma once

#include "platform/user/User.h"

#include <vector>

// Live windows (not counting the desktop), timers and hooks.
int UserLiveWindowCount();
int UserLiveTimerCount();
int UserLiveHookCount();
// Destroys every window, timer, hook, caret, class and queued message, and restores the
// default metrics, settings and key state. Tokens from MakeProcInstance stay valid.
void UserResetState();

// Messages sent but not yet returned (re-entrancy depth).
int UserSendDepth();
// Whether BeginPaint is open on the window (no EndPaint yet).
bool UserIsPainting(HWND hwnd);
// The time the next timer falls due, if any timer exists.
std::optional<DWORD> UserNextTimerDue();
// Whether the queue holds anything retrievable now (posted, input, quit, paint, due timer).
bool UserQueueHasWork();

// MessageBeep calls so far, oldest first; cleared by the reset.
const std::vector<UINT>& UserBeeps();

// Settings changes. Each one updates the value and sends the notice to every top-level
// window, hidden ones included.
void UserSetSystemMetric(int index, int value);          // WM_SETTINGCHANGE(SPI_SETNONCLIENTMETRICS)
void UserBroadcastLocaleChange();                        // WM_SETTINGCHANGE(0, "intl")
void UserBroadcastThemeChange();                         // WM_THEMECHANGED
void UserBroadcastSysColorChange();                      // WM_SYSCOLORCHANGE
void UserSetWorkArea(const TRect& area);                 // WM_SETTINGCHANGE(SPI_SETWORKAREA)
// Activation leaving or returning to the application: WM_ACTIVATEAPP to every top-level.
void UserSetApplicationActive(bool active);
// Sends `msg` to every top-level window, hidden ones included (message-only ones excluded).
void UserBroadcast(UINT msg, WPARAM wParam, LPARAM lParam);
// Makes the monitor lookups fail, as on a system without them.
void UserSetMonitorLookupFails(bool fails);

// The caret as a host draws it: the window, its client-area rectangle, and whether the
// blink phase shows it now.
struct CaretState {
  HWND hwnd = nullptr;
  TRect rect;
  bool visible = false;
};
CaretState UserCaretState();
