#include "classlib/core/SysUtils.h"
#include "classlib/visual/Messages.h"
#include "platform/user/User.h"
#include "widgets/foundation/cxControlBase.h"
#include "widgets/foundation/cxControls.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

// One watched caller: a 10 ms timer and what it watches. A component, so that the
// watched control's destruction reaches it and the tick never touches a dead control.
class TMouseTrackingTimer : public TComponent {
  TL_CLASS(TMouseTrackingTimer, TComponent)
 public:
  TMouseTrackingTimer() : TComponent(nullptr) {}
  void BeforeDestruction() override {
    if (FTimer) FTimer->Free();
    FTimer = nullptr;
    cxRemoveObjectLink(CallerLink);
    CallerLink = nullptr;
    if (Control) Control->RemoveFreeNotification(this);
    Control = nullptr;
    inherited::BeforeDestruction();
  }
  void Start() {
    FTimer = New<TcxTimer>(nullptr);
    FTimer->SetInterval(10);
    FTimer->SetOnTimer(TNotifyEvent(this, &TMouseTrackingTimer::Tick));
  }
  void Tick(TObject* Sender);
  // Every object clears its links when freed: a caller freed by any handler, even without
  // ending its tracking, is never told again.
  void HoldCaller(IcxMouseTrackingCaller* ACaller) {
    Caller = ACaller;
    if (TObject* object = dynamic_cast<TObject*>(ACaller)) CallerLink = cxAddObjectLink(object);
  }
  bool CallerAlive() const { return Caller && (!CallerLink || CallerLink->Ref); }

  TWinControl* Control = nullptr;
  TRect Bounds{};
  IcxMouseTrackingCaller* Caller = nullptr;
  TcxObjectLink* CallerLink = nullptr;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    inherited::Notification(AComponent, Operation);
    if (Operation == TOperation::opRemove && AComponent == Control) {
      Control = nullptr;
      // A caller that is a part of the control and no object of its own goes with it.
      if (CallerAlive() && !dynamic_cast<TObject*>(Caller)) Caller = nullptr;
    }
  }

 private:
  TcxTimer* FTimer = nullptr;
};
TL_DEFINE_CLASS(TMouseTrackingTimer)

std::vector<TMouseTrackingTimer*>& Trackers() {
  static std::vector<TMouseTrackingTimer*> list;
  return list;
}

TMouseTrackingTimer* FindTracker(IcxMouseTrackingCaller* ACaller) {
  for (TMouseTrackingTimer* t : Trackers())
    if (t->Caller == ACaller && t->CallerAlive()) return t;
  return nullptr;
}

// Takes the tracker out of the list; the caller frees it.
void Detach(TMouseTrackingTimer* ATracker) {
  auto& list = Trackers();
  list.erase(std::remove(list.begin(), list.end(), ATracker), list.end());
}

std::vector<TMouseTrackingTimer*>& Ticking();

bool PointIn(const TRect& R, const TPoint& P) {
  return P.X >= R.Left && P.X < R.Right && P.Y >= R.Top && P.Y < R.Bottom;
}

void TMouseTrackingTimer::Tick(TObject*) {
  if (!CallerAlive()) {
    Detach(this);
    Free();
    return;
  }
  POINT cursor{0, 0};
  GetCursorPos(&cursor);
  TWinControl* control = Control && Control->HandleAllocated() ? Control : nullptr;
  bool inside;
  if (auto* caller2 = dynamic_cast<IcxMouseTrackingCaller2*>(Caller); caller2 && control)
    inside = caller2->PtInCaller(control->ScreenToClient(cursor));
  else
    inside = PointIn(Bounds, cursor);
  if (inside) return;
  // Out of the list before anyone is told, so that a caller ending or restarting its
  // tracking from MouseLeave meets a consistent list; a loop run by a handler ticks no more.
  Detach(this);
  FTimer->SetEnabled(false);
  Ticking().push_back(this);
  // The control's handler may free the control or the caller. A library caller is held by its
  // link; one that dies with the control is dropped by the control's free notice; ending the
  // caller's tracking meanwhile drops any caller.
  if (control && !PointIn(control->GetClientRect(), control->ScreenToClient(cursor)))
    SendMessageA(control->Handle(), CM_MOUSELEAVE, 0, LPARAM(static_cast<TControl*>(control)));
  Ticking().erase(std::find(Ticking().begin(), Ticking().end(), this));
  if (CallerAlive()) Caller->MouseLeave();
  Free();  // nothing of this object is used after its own tick returns
}

// Trackers telling their control that the mouse has left, out of the list meanwhile.
std::vector<TMouseTrackingTimer*>& Ticking() {
  static std::vector<TMouseTrackingTimer*> list;
  return list;
}

Integer gHourglassCount = 0;
TCursor gSavedCursor = crDefault;

}  // namespace

void cxBeginMouseTracking(TWinControl* AControl, const TRect& ABounds, IcxMouseTrackingCaller* ACaller) {
  if (!ACaller || FindTracker(ACaller)) return;
  auto* tracker = New<TMouseTrackingTimer>();
  tracker->HoldCaller(ACaller);
  tracker->Bounds = ABounds;
  if (AControl) {
    tracker->Control = AControl;
    AControl->FreeNotification(tracker);
    const TPoint a = AControl->ClientToScreen({ABounds.Left, ABounds.Top});
    const TPoint b = AControl->ClientToScreen({ABounds.Right, ABounds.Bottom});
    tracker->Bounds = {a.X, a.Y, b.X, b.Y};
  }
  Trackers().push_back(tracker);
  tracker->Start();
}

void cxEndMouseTracking(IcxMouseTrackingCaller* ACaller) {
  if (TMouseTrackingTimer* tracker = FindTracker(ACaller)) {
    Detach(tracker);
    tracker->Free();
  }
  // A tick in progress for this caller tells it nothing more.
  for (TMouseTrackingTimer* t : Ticking())
    if (t->Caller == ACaller) t->Caller = nullptr;
}

bool cxIsMouseTracking(IcxMouseTrackingCaller* ACaller) { return FindTracker(ACaller) != nullptr; }

void cxControls::EndAllMouseTracking() {
  while (!Trackers().empty()) {
    TMouseTrackingTimer* tracker = Trackers().back();
    Trackers().pop_back();
    tracker->Free();
  }
}

// ---- Drag detection ---------------------------------------------------------------------------

TcxDragDetect cxDragDetect(HWND Wnd) {
  using enum TcxDragDetect;
  TcxDragDetect result = ddCancel;
  POINT start{0, 0};
  GetCursorPos(&start);
  const Integer d = Mouse ? Mouse->GetDragThreshold() : 5;
  const TRect area{start.X - d, start.Y - d, start.X + d, start.Y + d};
  SetCapture(Wnd);
  bool done = false;
  while (!done && GetCapture() == Wnd) {
    MSG msg{};
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(int(msg.wParam));  // the loop that owns the quit sees it again
      break;
    }
    if (got < 0) break;
    switch (msg.message) {
      case WM_LBUTTONUP:
      case WM_RBUTTONUP:
      case WM_MBUTTONUP:
        result = ddNone;
        done = true;
        break;
      case WM_KEYDOWN:
      case WM_KEYUP:
        done = msg.wParam == VK_ESCAPE;
        break;
      case WM_MOUSEMOVE:
        if (msg.hwnd == Wnd) {
          POINT p{GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
          ClientToScreen(Wnd, &p);
          if (!PointIn(area, p)) {
            result = ddDrag;
            done = true;
          }
        }
        break;
      default:
        break;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  if (GetCapture() == Wnd) ReleaseCapture();
  return result;
}

bool cxIsPointInDragArea(const TPoint& AStart, Integer X, Integer Y) {
  const Integer d = Mouse ? Mouse->GetDragThreshold() : 5;
  return std::abs(X - AStart.X) < d && std::abs(Y - AStart.Y) < d;
}

Integer cxPanningSpeed(Integer ADistance, Integer AIndicatorSize) {
  // The distance may be measured on the other axis than the indicator's width, which can
  // make the raw value 0 or negative just outside the dead zone.
  return std::clamp((ADistance - AIndicatorSize / 2) / 5 + 1, 1, 12);
}

// ---- Small services ---------------------------------------------------------------------------

UINT cxGetDoubleClickTime() { return GetDoubleClickTime(); }

bool cxIsCtrlPressed() { return GetAsyncKeyState(VK_CONTROL) < 0; }

void cxMapWindowPoint(HWND AFrom, HWND ATo, TPoint& P) { MapWindowPoints(AFrom, ATo, &P, 1); }

void cxMapWindowRect(HWND AFrom, HWND ATo, TRect& R) {
  POINT pts[2] = {{R.Left, R.Top}, {R.Right, R.Bottom}};
  MapWindowPoints(AFrom, ATo, pts, 2);
  R = {pts[0].X, pts[0].Y, pts[1].X, pts[1].Y};
}

void cxShowHourglassCursor() {
  if (gHourglassCount++ == 0 && Screen) {
    gSavedCursor = Screen->GetCursor();
    Screen->SetCursor(crHourGlass);
  }
}

void cxHideHourglassCursor() {
  if (gHourglassCount == 0) return;
  if (--gHourglassCount == 0 && Screen) Screen->SetCursor(gSavedCursor);
}

bool cxAnyParentHandleAllocated(TControl* AControl) {
  for (TControl* c = AControl; c; c = c->GetParent())
    if (auto* w = dynamic_cast<TWinControl*>(c); w && w->HandleAllocated()) return true;
  return false;
}

bool cxIsTextChar(Char C) { return Byte(C) >= 32; }

bool cxIsNumericChar(Char C, TcxNumberType ANumberType) {
  if (C == '+' || C == '-' || (C >= '0' && C <= '9')) return true;
  if (ANumberType != TcxNumberType::ntInteger && C == FormatSettings.DecimalSeparator) return true;
  return ANumberType == TcxNumberType::ntExponent && (C == 'e' || C == 'E');
}

Word cxTranslateKey(Word AKey) { return AKey; }
