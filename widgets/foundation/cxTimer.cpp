#include "classlib/visual/Forms.h"
#include "classlib/visual/Messages.h"
#include "platform/kernel/Modules.h"
#include "platform/kernel/Version.h"
#include "platform/user/User.h"
#include "widgets/foundation/cxControls.h"

#include <iterator>
#include <set>

namespace {

std::set<UINT_PTR>& RunningTimers() {
  static std::set<UINT_PTR> ids;
  return ids;
}
TcxTimerWindow* gTimerWindow = nullptr;
bool gIsWin9X = false, gIsWin2KOrXP = false, gIsWinXP = false, gIsNT4OrLater = false;
TcxMessageWindow* gMessageWindow = nullptr;
int gInitCount = 0;
HMODULE gUser32 = nullptr;

using TMonitorFromPoint = HMONITOR (*)(POINT, DWORD);
using TGetMonitorInfo = BOOL (*)(HMONITOR, MONITORINFO*);
TMonitorFromPoint gMonitorFromPoint = nullptr;
TGetMonitorInfo gGetMonitorInfo = nullptr;

// Screen cursor ids 2100 onwards, in this order.
const char* const kCursorNames[] = {
    "CX_DRAGCOPYCURSOR",  "CX_FULLSCROLLCURSOR", "CX_HORSCROLLCURSOR", "CX_VERSCROLLCURSOR",
    "CX_UPSCROLLCURSOR",  "CX_RIGHTSCROLLCURSOR", "CX_DOWNSCROLLCURSOR", "CX_LEFTSCROLLCURSOR",
    "CX_REMOVECURSOR",    "CX_VERTSIZECURSOR",   "CX_HORZSIZECURSOR",  "CX_MULTIDRAGCURSOR",
    "CX_NODROPCURSOR",    "CX_DRAGCURSOR",       "CX_HANDPOINTCURSOR"};

TcxTimerWindow* TimerWindow() {
  if (!gTimerWindow) gTimerWindow = New<TcxTimerWindow>();
  return gTimerWindow;
}

}  // namespace

void TlRegisterResources_widgets_foundation();

// ---- TcxMessageWindow -----------------------------------------------------------------------

TcxMessageWindow::TcxMessageWindow() {
  FHandle = AllocateHWnd(TWndMethod(this, &TcxMessageWindow::MainWndProc));
}

TcxMessageWindow::~TcxMessageWindow() {
  if (FHandle) DeallocateHWnd(FHandle);
}

void TcxMessageWindow::WndProc(TMessage& Message) {
  Message.Result = DefWindowProcA(FHandle, Message.Msg, Message.WParam, Message.LParam);
}

TL_DEFINE_CLASS(TcxMessageWindow)

void TcxTimerWindow::WndProc(TMessage& Message) {
  if (Message.Msg == WM_TIMER) {
    const UINT_PTR id = UINT_PTR(Message.WParam);
    // Only ids still running name a live timer: a timer leaves the list before it dies.
    if (RunningTimers().count(id)) reinterpret_cast<TcxTimer*>(id)->Timer();
    Message.Result = 0;
    return;
  }
  inherited::WndProc(Message);
}

TL_DEFINE_CLASS(TcxTimerWindow)

TcxMessageWindow* cxGetMessageWindow() {
  if (!gMessageWindow) gMessageWindow = New<TcxMessageWindow>();
  return gMessageWindow;
}

// ---- TcxTimer -------------------------------------------------------------------------------

TcxTimer::TcxTimer(TComponent* AOwner) : TComponent(AOwner) {}

void TcxTimer::BeforeDestruction() {
  KillTimerIfOn();
  inherited::BeforeDestruction();
}

void TcxTimer::KillTimerIfOn() {
  if (RunningTimers().erase(TimerID()) && gTimerWindow) KillTimer(gTimerWindow->Handle(), TimerID());
  FTimerOn = false;
}

void TcxTimer::Restart() {
  KillTimerIfOn();
  if (!FEnabled || !FOnTimer || FInterval == 0) return;
  if (SetTimer(TimerWindow()->Handle(), TimerID(), FInterval, nullptr) != 0) {
    RunningTimers().insert(TimerID());
    FTimerOn = true;
  }
}

void TcxTimer::SetEnabled(bool Value) {
  if (FEnabled == Value) return;
  FEnabled = Value;
  Restart();
}

void TcxTimer::SetInterval(Cardinal Value) {
  if (Value == 0 || Value == FInterval) return;
  FInterval = Value;
  Restart();
}

void TcxTimer::SetOnTimer(TNotifyEvent Value) {
  if (FOnTimer == Value) return;
  FOnTimer = Value;
  Restart();
}

void TcxTimer::Timer() {
  if (FOnTimer) FOnTimer(this);
}

TL_DEFINE_CLASS(TcxTimer, [](auto& c) {
  c.Property("Enabled", &TcxTimer::GetEnabled, &TcxTimer::SetEnabled).Default(true);
  c.Property("Interval", &TcxTimer::GetInterval, &TcxTimer::SetInterval).Default(1000);
  c.Property("OnTimer", &TcxTimer::GetOnTimer, &TcxTimer::SetOnTimer);
})

// ---- Work area ----------------------------------------------------------------------------

TRect cxGetDesktopWorkArea(const TPoint& P) {
  if (gMonitorFromPoint && gGetMonitorInfo) {
    MONITORINFO info;
    info.cbSize = 40;
    if (HMONITOR monitor = gMonitorFromPoint(P, MONITOR_DEFAULTTONEAREST); monitor && gGetMonitorInfo(monitor, &info))
      return info.rcWork;
  }
  TRect R{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &R, 0);
  return R;
}

bool IsWin9X() { return gIsWin9X; }
bool IsWin2KOrXP() { return gIsWin2KOrXP; }
bool IsWinXP() { return gIsWinXP; }
bool IsNT4OrLater() { return gIsNT4OrLater; }

void cxSendControlRefresh(TWinControl* AControl) {
  if (AControl && AControl->HandleAllocated()) SendMessageA(AControl->Handle(), CM_RECREATEWND, 0, 0);
}

// ---- Unit -----------------------------------------------------------------------------------

namespace cxControls {

void Initialize() {
  if (gInitCount++ > 0) return;
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof(version);
  if (GetVersionExA(&version)) {
    const DWORD id = version.dwPlatformId, major = version.dwMajorVersion;
    gIsWin9X = id == VER_PLATFORM_WIN32_WINDOWS || id == 0;
    gIsWin2KOrXP = id == VER_PLATFORM_WIN32_NT && major >= 5;
    gIsWinXP = gIsWin2KOrXP && version.dwMinorVersion > 0;
    gIsNT4OrLater = id == VER_PLATFORM_WIN32_NT && major >= 4;
  }
  TlRegisterResources_widgets_foundation();
  // A cursor that cannot be loaded leaves its id on the default arrow.
  if (Screen)
    for (size_t i = 0; i < std::size(kCursorNames); ++i)
      if (HCURSOR cursor = LoadCursorA(GetModuleHandleA(nullptr), kCursorNames[i]))
        Screen->SetCursors(TCursor(crcxDragCopy + Integer(i)), cursor);
  gUser32 = LoadLibraryA("USER32");
  if (gUser32) {
    gMonitorFromPoint = reinterpret_cast<TMonitorFromPoint>(GetProcAddress(gUser32, "MonitorFromPoint"));
    gGetMonitorInfo = reinterpret_cast<TGetMonitorInfo>(GetProcAddress(gUser32, "GetMonitorInfoA"));
  }
}

void Finalize() {
  if (gInitCount == 0 || --gInitCount > 0) return;
  // Trackers left running are ended here rather than failing the shut-down.
  EndAllMouseTracking();
  FreeSettingsController();
  // Timers still running at shut-down are stopped rather than left to fire into a freed window.
  if (gTimerWindow)
    for (UINT_PTR id : RunningTimers()) KillTimer(gTimerWindow->Handle(), id);
  RunningTimers().clear();
  if (gUser32) FreeLibrary(gUser32);
  gUser32 = nullptr;
  gMonitorFromPoint = nullptr;
  gGetMonitorInfo = nullptr;
  if (gTimerWindow) gTimerWindow->Free();
  gTimerWindow = nullptr;
  if (gMessageWindow) gMessageWindow->Free();
  gMessageWindow = nullptr;
}

}  // namespace cxControls
