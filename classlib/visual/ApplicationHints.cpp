// The application's hints: which control the mouse rests over, the pauses before a hint
// shows and before it hides, CM_HINTSHOW, and what ends a hint.
#include "classlib/visual/Forms.h"
#include "classlib/visual/HintWindow.h"

#include <algorithm>

namespace {

// A control's hint text, or the nearest parent's when it has none.
String HintTextOf(const TControl* Control) {
  for (const TControl* c = Control; c; c = c->GetParent())
    if (!c->GetHint().empty()) return c->GetHint();
  return {};
}

// How far below the mouse the hint starts: past the part of the cursor under its hot spot.
Integer CursorHeightMargin() {
  if (const CursorImage* image = GetCursorImage(GetCursor())) return image->Height - image->HotY;
  return GetSystemMetrics(SM_CYCURSOR);
}

bool EndsHint(UINT Msg) {
  switch (Msg) {
    case WM_KEYDOWN: case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK: case WM_RBUTTONDBLCLK: case WM_MBUTTONDBLCLK:
    case WM_NCLBUTTONDOWN: case WM_NCRBUTTONDOWN: case WM_NCMBUTTONDOWN:
    case WM_MOUSEWHEEL:
      return true;
    default:
      return false;
  }
}

}  // namespace

void TApplication::SetShowHint(bool Value) {
  if (FShowHint == Value) return;
  FShowHint = Value;
  if (!Value) {
    CancelHint();
    if (FHintWindow) FHintWindow->Free();  // clears FHintWindow through ControlDestroyed
  }
}

void TApplication::StartHintTimer(Integer Pause, THintTimer Kind) {
  StopHintTimer();
  if (!FHandle) return;
  SetTimer(FHandle, kHintTimerId, UINT(std::max<Integer>(Pause, 0)), nullptr);
  FHintTimer = Kind;
}

void TApplication::StopHintTimer() {
  if (FHintTimer == THintTimer::None) return;
  FHintTimer = THintTimer::None;
  if (FHandle) KillTimer(FHandle, kHintTimerId);
}

void TApplication::HintTimerExpired() {
  const THintTimer kind = FHintTimer;
  StopHintTimer();
  if (kind == THintTimer::Show) {
    TPoint p;
    if (GetCursorPos(&p)) ActivateHint(p);
  } else if (kind == THintTimer::Hide) {
    HideHint();
  }
}

void TApplication::CancelHint() {
  StopHintTimer();
  if (FHintWindow) FHintWindow->ReleaseHint();
  FHintControl = nullptr;
  FHintActive = false;
  FHintCursorRect = {};
}

void TApplication::HideHint() {
  StopHintTimer();
  if (FHintWindow) FHintWindow->ReleaseHint();
  FHintActive = false;
}

void TApplication::CancelHintOnInput(const MSG& Msg) {
  if ((FHintControl || FHintTimer != THintTimer::None) && EndsHint(Msg.message)) CancelHint();
}

void TApplication::HintMouseMessage(TControl* Control, TMessage& Message) {
  if (!FShowHint || !Control) return;
  const TPoint p = Control->ClientToScreen({GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)});
  TControl* target = FindDragTarget(p, true);
  if (!target || !target->GetShowHint() || target->InState(TComponentStateItem::csDesigning)) {
    CancelHint();
    return;
  }
  if (target == FHintControl && PtInRect(&FHintCursorRect, POINT{p.X, p.Y})) return;
  // Another control, or out of the shown hint's rectangle: what is up goes, and the next
  // hint waits for the mouse to rest again (briefly when one was up just now).
  if (FHintWindow) FHintWindow->ReleaseHint();
  FHintControl = target;
  FHintCursorRect = {};
  StartHintTimer(FHintActive ? FHintShortPause : FHintPause, THintTimer::Show);
}

void TApplication::ActivateHint(const TPoint& CursorPos) {
  StopHintTimer();
  TControl* control = FHintControl;
  if (!FShowHint || !control) return;
  if (FindDragTarget(CursorPos, true) != control) {
    CancelHint();
    return;
  }
  THintInfo info;
  info.HintControl = control;
  info.HintPos = {CursorPos.X, CursorPos.Y + CursorHeightMargin()};
  info.HintMaxWidth = Screen ? Screen->Width() : GetSystemMetrics(SM_CXSCREEN);
  info.HintColor = clInfoBk;
  info.CursorRect = control->GetClientRect();
  info.CursorPos = control->ScreenToClient(CursorPos);
  info.HintStr = GetShortHint(HintTextOf(control));
  info.HideTimeout = FHintHidePause;
  TWeakLink alive(control);
  const bool canShow = control->Perform(CM_HINTSHOW, 0, LPARAM(&info)) == 0;
  // Freed (its hint was cancelled then) or replaced while it answered: nothing to show.
  if (!alive.Alive() || FHintControl != control || !FShowHint) return;
  if (canShow && !info.HintStr.empty()) {
    if (!FHintWindow) FHintWindow = New<THintWindow>(this);
    TRect r = FHintWindow->CalcHintRect(info.HintMaxWidth, info.HintStr);
    OffsetRect(&r, info.HintPos.X, info.HintPos.Y);
    const TPoint origin = control->ClientOrigin();
    FHintCursorRect = info.CursorRect;
    OffsetRect(&FHintCursorRect, origin.X, origin.Y);
    FHintWindow->SetColor(info.HintColor);
    FHintWindow->ActivateHint(r, info.HintStr);
    FHintActive = true;
    if (info.HideTimeout > 0) StartHintTimer(info.HideTimeout, THintTimer::Hide);
    return;
  }
  // Nothing to show here: the next move asks again after the pause, or the control's
  // reshow time does.
  if (FHintWindow) FHintWindow->ReleaseHint();
  FHintActive = false;
  FHintCursorRect = {};
  if (info.ReshowTimeout > 0) StartHintTimer(info.ReshowTimeout, THintTimer::Show);
}
