// The window layer's state, the host seam, system metrics and parameters, and the entry
// points tests use to inspect and reset it.
#include "platform/kernel/Clock.h"
#include "platform/user/UserInternal.h"
#include "platform/user/UserTesting.h"

#include <algorithm>

using namespace user_detail;

namespace {

std::unique_ptr<State>& StatePtr() {
  static std::unique_ptr<State> state = std::make_unique<State>();
  return state;
}

Host*& HostPtr() {
  static Host* host = nullptr;
  return host;
}

}  // namespace

namespace user_detail {

State& S() {
  return *StatePtr();
}

Host* CurrentHost() {
  return HostPtr();
}

DWORD Now() {
  if (Host* h = HostPtr()) return h->Now();
  return GetTickCount();
}

void InitMetrics() {
  auto& st = S();
  auto& m = st.metrics;
  std::fill(std::begin(m), std::end(m), 0);
  m[SM_CXSCREEN] = 1280;
  m[SM_CYSCREEN] = 1024;
  m[SM_CXVSCROLL] = 16;
  m[SM_CYHSCROLL] = 16;
  m[SM_CYCAPTION] = 19;
  m[SM_CXBORDER] = 1;
  m[SM_CYBORDER] = 1;
  m[SM_CXDLGFRAME] = 3;
  m[SM_CYDLGFRAME] = 3;
  m[SM_CYVTHUMB] = 16;
  m[SM_CXHTHUMB] = 16;
  m[SM_CXICON] = 32;
  m[SM_CYICON] = 32;
  m[SM_CXCURSOR] = 32;
  m[SM_CYCURSOR] = 32;
  m[SM_CYMENU] = 19;
  m[SM_CYVSCROLL] = 16;
  m[SM_CXHSCROLL] = 16;
  m[SM_CXMIN] = 112;
  m[SM_CYMIN] = 27;
  m[SM_CXSIZE] = 18;
  m[SM_CYSIZE] = 18;
  m[SM_CXFRAME] = 4;
  m[SM_CYFRAME] = 4;
  m[SM_CXDOUBLECLK] = 4;
  m[SM_CYDOUBLECLK] = 4;
  m[SM_CXEDGE] = 2;
  m[SM_CYEDGE] = 2;
  m[SM_CXSMICON] = 16;
  m[SM_CYSMICON] = 16;
  m[SM_CYSMCAPTION] = 16;
  m[SM_CXMENUSIZE] = 18;
  m[SM_CYMENUSIZE] = 18;
  m[SM_CXDRAG] = 4;
  m[SM_CYDRAG] = 4;
  m[SM_MOUSEWHEELPRESENT] = 1;
  m[SM_CMONITORS] = 1;
  if (Host* h = HostPtr()) st.workArea = h->WorkArea();
  else st.workArea = {0, 0, m[SM_CXSCREEN], m[SM_CYSCREEN] - 30};
  m[SM_CXVIRTUALSCREEN] = m[SM_CXSCREEN];
  m[SM_CYVIRTUALSCREEN] = m[SM_CYSCREEN];
  m[SM_CXFULLSCREEN] = st.workArea.Width();
  m[SM_CYFULLSCREEN] = st.workArea.Height() - m[SM_CYCAPTION];
  m[SM_CXMAXIMIZED] = st.workArea.Width() + 2 * m[SM_CXFRAME];
  m[SM_CYMAXIMIZED] = st.workArea.Height() + 2 * m[SM_CYFRAME];
}

}  // namespace user_detail

Host* SetUserHost(Host* host) {
  Host* old = HostPtr();
  HostPtr() = host;
  if (host) S().workArea = host->WorkArea();
  return old;
}

Host* GetUserHost() {
  return HostPtr();
}

int GetSystemMetrics(int index) {
  EnsureRoots();
  if (index < 0 || index >= SM_CMETRICS) return 0;
  return S().metrics[index];
}

BOOL SystemParametersInfoA(UINT action, UINT uiParam, void* pv, UINT winIni) {
  EnsureRoots();
  auto& st = S();
  switch (action) {
    case SPI_GETWORKAREA:
      if (!pv) return FALSE;
      *static_cast<RECT*>(pv) = st.workArea;
      return TRUE;
    case SPI_SETWORKAREA:
      if (!pv) return FALSE;
      st.workArea = *static_cast<const RECT*>(pv);
      if (winIni & SPIF_SENDCHANGE) UserBroadcast(WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
      return TRUE;
    case SPI_GETWHEELSCROLLLINES:
      if (!pv) return FALSE;
      *static_cast<UINT*>(pv) = st.wheelLines;
      return TRUE;
    case SPI_SETWHEELSCROLLLINES:
      st.wheelLines = uiParam;
      if (winIni & SPIF_SENDCHANGE) UserBroadcast(WM_SETTINGCHANGE, SPI_SETWHEELSCROLLLINES, 0);
      return TRUE;
    case SPI_SETDOUBLECLICKTIME:
      SetDoubleClickTime(uiParam);
      return TRUE;
    case SPI_GETKEYBOARDDELAY:
      if (!pv) return FALSE;
      *static_cast<int*>(pv) = 1;
      return TRUE;
    case SPI_GETKEYBOARDSPEED:
      if (!pv) return FALSE;
      *static_cast<DWORD*>(pv) = 31;
      return TRUE;
    case SPI_GETDRAGFULLWINDOWS:
    case SPI_GETFLATMENU:
    case SPI_GETMENUANIMATION:
      if (!pv) return FALSE;
      *static_cast<BOOL*>(pv) = FALSE;
      return TRUE;
    case SPI_GETCARETWIDTH:
      if (!pv) return FALSE;
      *static_cast<DWORD*>(pv) = 1;
      return TRUE;
    default:
      return FALSE;
  }
}

BOOL MessageBeep(UINT type) {
  S().beeps.push_back(type);
  return TRUE;
}

// ---- Monitors: one monitor, the virtual screen ----------------------------------------------

namespace {
HMONITOR ThePrimaryMonitor() { return reinterpret_cast<HMONITOR>(uintptr_t(0x10001)); }

HMONITOR MonitorFor(const TRect& r, DWORD flags) {
  auto& st = S();
  if (st.monitorLookupFails) return nullptr;
  TRect screen{0, 0, st.metrics[SM_CXSCREEN], st.metrics[SM_CYSCREEN]};
  bool inside = r.Right > screen.Left && r.Left < screen.Right && r.Bottom > screen.Top && r.Top < screen.Bottom;
  if (inside || flags != MONITOR_DEFAULTTONULL) return ThePrimaryMonitor();
  return nullptr;
}
}  // namespace

HMONITOR MonitorFromPoint(POINT pt, DWORD flags) {
  EnsureRoots();
  return MonitorFor({pt.X, pt.Y, pt.X + 1, pt.Y + 1}, flags);
}

HMONITOR MonitorFromRect(const RECT* rect, DWORD flags) {
  EnsureRoots();
  if (!rect) return nullptr;
  TRect r = *rect;
  if (r.IsEmpty()) r = {r.Left, r.Top, r.Left + 1, r.Top + 1};
  return MonitorFor(r, flags);
}

HMONITOR MonitorFromWindow(HWND hwnd, DWORD flags) {
  EnsureRoots();
  Wnd* w = Find(hwnd);
  if (!w) return S().monitorLookupFails || flags == MONITOR_DEFAULTTONULL ? nullptr : ThePrimaryMonitor();
  TRect r = WindowRectOnScreen(w);
  if (r.IsEmpty()) r = {r.Left, r.Top, r.Left + 1, r.Top + 1};
  return MonitorFor(r, flags);
}

BOOL GetMonitorInfoA(HMONITOR monitor, MONITORINFO* info) {
  EnsureRoots();
  auto& st = S();
  if (st.monitorLookupFails || monitor != ThePrimaryMonitor() || !info || info->cbSize < sizeof(MONITORINFO))
    return FALSE;
  info->rcMonitor = {0, 0, st.metrics[SM_CXSCREEN], st.metrics[SM_CYSCREEN]};
  info->rcWork = st.workArea;
  info->dwFlags = MONITORINFOF_PRIMARY;
  return TRUE;
}

// ---- Testing entry points ------------------------------------------------------------------

int UserLiveWindowCount() {
  int n = 0;
  auto& st = S();
  for (auto& w : st.slots)
    if (w && w->handle != st.desktop && w->handle != st.messageRoot) n++;
  return n;
}

int UserLiveTimerCount() {
  return int(S().timers.size());
}

int UserLiveHookCount() {
  int n = 0;
  for (auto& h : S().hooks)
    if (!h.removed) n++;
  return n;
}

namespace user_detail {
void ResetPaintState();
void ResetServices();
}

void UserResetState() {
  auto& st = S();
  // Windows go first (through DestroyWindow, so their procedures see the usual end), then
  // everything else is dropped with the state.
  if (st.desktop) {
    for (int guard = 0; guard < 1000; guard++) {
      HWND victim = nullptr;
      for (HWND root : {st.desktop, st.messageRoot})
        if (Wnd* r = Find(root); r && !r->children.empty()) victim = r->children.front();
      if (!victim) break;
      // Procedures may throw while being torn down; the reset must still complete.
      try {
        if (!DestroyWindow(victim)) break;
      } catch (...) {
      }
    }
  }
  ResetPaintState();
  ResetServices();
  StatePtr() = std::make_unique<State>();
  EnsureRoots();
}

int UserSendDepth() {
  return S().sendDepth;
}

const std::vector<UINT>& UserBeeps() {
  return S().beeps;
}

void UserBroadcast(UINT msg, WPARAM wParam, LPARAM lParam) {
  EnsureRoots();
  std::vector<HWND> tops = Find(S().desktop)->children;
  for (HWND h : tops) Send(h, msg, wParam, lParam);
}

void UserSetSystemMetric(int index, int value) {
  EnsureRoots();
  if (index < 0 || index >= SM_CMETRICS) return;
  S().metrics[index] = value;
  UserBroadcast(WM_SETTINGCHANGE, SPI_SETNONCLIENTMETRICS, 0);
}

void UserBroadcastLocaleChange() {
  static const char intl[] = "intl";
  UserBroadcast(WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(intl));
}

void UserBroadcastThemeChange() {
  UserBroadcast(WM_THEMECHANGED, 0, 0);
}

void UserBroadcastSysColorChange() {
  UserBroadcast(WM_SYSCOLORCHANGE, 0, 0);
}

void UserSetWorkArea(const TRect& area) {
  EnsureRoots();
  S().workArea = area;
  UserBroadcast(WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
}

void UserSetApplicationActive(bool active) {
  EnsureRoots();
  auto& st = S();
  if (active) {
    if (st.active) return;
    HWND first = nullptr;
    for (HWND h : Find(st.desktop)->children)
      if (Wnd* w = Find(h); w && (w->style & WS_VISIBLE) && !(w->style & WS_DISABLED)) {
        first = h;
        break;
      }
    if (first) SetActiveWindow(first);
    else if (!st.appActive) {
      st.appActive = true;
      UserBroadcast(WM_ACTIVATEAPP, TRUE, 0);
    }
  } else {
    if (st.active) SetActiveWindow(nullptr);
    else if (st.appActive) {
      st.appActive = false;
      UserBroadcast(WM_ACTIVATEAPP, FALSE, 0);
    }
  }
}

void UserSetMonitorLookupFails(bool fails) {
  S().monitorLookupFails = fails;
}

std::optional<DWORD> UserNextTimerDue() {
  std::optional<DWORD> best;
  DWORD now = Now();
  for (auto& t : S().timers)
    if (!best || int32_t((t.due - now) - (*best - now)) < 0) best = t.due;
  return best;
}

bool UserQueueHasWork() {
  EnsureRoots();
  return GetQueueStatus(QS_ALLINPUT) != 0 || S().quitPending;
}
