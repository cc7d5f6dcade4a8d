// What the fuzz targets that drive edits through the headless host share: the platform put
// back between inputs, the run of steps on a shown form, and the steps on a drop-down edit
// and its open popup that read the same bytes in every target.
#pragma once

#include "classlib/visual/Forms.h"
#include "platform/host/HeadlessHost.h"
#include "platform/user/User.h"
#include "tests/fuzz/support/FuzzInput.h"
#include "widgets/editors/cxDropDownEdit.h"
#include "widgets/foundation/cxControls.h"

#include <cstdint>
#include <optional>

// The widgets' timers share one window, made on first use and kept for the process: made
// before the first input, it is not a window an input left behind.
inline void MakeSharedWindows() {
  static const bool made = [] {
    struct TIdle : TObject {
      void Tick(TObject*) {}
    } idle;
    Owned<TcxTimer> timer(New<TcxTimer>(nullptr));
    timer->SetOnTimer({&idle, &TIdle::Tick});
    return true;
  }();
  (void)made;
}

// Puts back what an earlier input may have left in the platform: the pointer off every
// window, no button or key held, no capture, no hint, and the time for a double click past.
// Only the windows of this process's timers exist here.
inline void ResetPlatform(HeadlessHost& AHost) {
  ReleaseCapture();
  for (int vk = 1; vk < 256; ++vk) {
    if (!(GetAsyncKeyState(vk) & 0x8000)) continue;
    switch (vk) {
      case VK_LBUTTON:
        InputMouseButton(WM_LBUTTONUP, {0, 0});
        break;
      case VK_RBUTTON:
        InputMouseButton(WM_RBUTTONUP, {0, 0});
        break;
      case VK_MBUTTON:
        InputMouseButton(WM_MBUTTONUP, {0, 0});
        break;
      default:
        InputKey(vk, false);
        break;
    }
  }
  SetCursorPos(0, 0);
  // With no window to take them the releases are dropped unseen: the state read while
  // messages are handled is cleared here.
  const BYTE released[256] = {};
  SetKeyboardState(released);
  Application->CancelHint();
  AHost.Advance(GetDoubleClickTime() + 1);
  AHost.PumpUntilIdle();
}

// Sets the handler of the drop-down's event that which % 8 names to f.
template <class Freer>
void HookDropDown(TcxCustomDropDownEdit* e, Freer* f, uint8_t which) {
  auto* p = static_cast<TcxCustomDropDownEditProperties*>(e->GetProperties());
  switch (which % 8) {
    case 0:
      p->OnChange = {f, &Freer::HNotify};
      break;
    case 1:
      p->OnEditValueChanged = {f, &Freer::HNotify};
      break;
    case 2:
      p->OnCloseUp = {f, &Freer::HNotify};
      break;
    case 3:
      p->OnClosePopup = {f, &Freer::HClosePopup};
      break;
    case 4:
      p->OnInitPopup = {f, &Freer::HNotify};
      break;
    case 5:
      p->OnPopup = {f, &Freer::HNotify};
      break;
    case 6:
      p->OnValidate = {f, &Freer::HValidate};
      break;
    default:
      e->OnExit = {f, &Freer::HNotify};
      break;
  }
}

// The keys a drop-down step presses, the b-th of them.
inline int DropDownKey(uint8_t b) {
  static const int kKeys[] = {VK_ESCAPE, VK_RETURN, VK_DOWN, VK_UP,
                              VK_F4,     VK_TAB,    VK_BACK, VK_NEXT};
  return kKeys[b % (sizeof(kKeys) / sizeof(kKeys[0]))];
}

// Shows the form, focuses the edit and takes up to 24 steps while the edit stands; an error
// or a stalled host ends the steps.
template <class Step>
void ShowAndStep(HeadlessHost& AHost, TCustomForm* AForm, TWinControl* AEdit,
                 const TWeakLink& AEditLink, FuzzBytes& in, Step AStep) {
  try {
    AForm->Show();
    AHost.PumpUntilIdle();
    if (AEditLink.Alive()) AEdit->SetFocus();
    AHost.PumpUntilIdle();
    for (int i = 0; i < 24 && in.More() && AEditLink.Alive(); ++i) AStep();
  } catch (const Exception&) {
  } catch (const HeadlessStall&) {
  }
}

// Runs what is still scripted (a drop-down that never opened its loop leaves its script) while
// what it names still exists.
inline void RunLeftScripts(HeadlessHost& AHost) {
  try {
    while (AHost.PendingScripts() > 0) AHost.WaitForInput(std::nullopt);
    AHost.PumpUntilIdle();
  } catch (const Exception&) {
  } catch (const HeadlessStall&) {
  }
}

// Frees the form unless a handler did; a scroll timer whose list is gone ends at its next
// tick.
inline void FreeFormAndSettle(HeadlessHost& AHost, TCustomForm* AForm, const TWeakLink& AFormLink) {
  if (AFormLink.Alive()) AForm->Free();
  AHost.Advance(100);
  AHost.PumpUntilIdle();
}

// The steps of op % 10 in 0-5 and 8 on the edit e, whose open popup window is APopup (null
// while none is open): open by F4 or the button, move, press and release the mouse over a
// point of the popup (APointAt(b, c)), let time pass, turn the wheel, and give the focus to
// the edit or to AOther. False for the other ops, which each target has its own.
template <class PointAt>
bool DropDownPointerStep(HeadlessHost& AHost, TcxCustomDropDownEdit* e, const TWeakLink& AOther,
                         HWND APopup, uint8_t op, uint8_t b, uint8_t c, PointAt APointAt) {
  const HWND h = APopup;
  switch (op % 10) {
    case 0:
      if (b & 1) {
        AHost.Key(VK_F4);
      } else if (e->HandleAllocated() && !e->EditViewInfo()->ButtonsInfo.empty()) {
        const TRect r = e->EditViewInfo()->ButtonsInfo[0]->Bounds;
        AHost.Click(e->GetHandle(), (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
      }
      return true;
    case 1:
    case 2:
      if (h) {
        const TPoint p = APointAt(b, c);
        AHost.MouseMove(h, p.X, p.Y);
        if (op % 10 == 1) AHost.MouseDown(h, p.X, p.Y);
      }
      return true;
    case 3:
      for (int i = 0; i < 1 + b % 4; ++i) {
        AHost.Advance(50);
        AHost.PumpUntilIdle();
      }
      return true;
    case 4:
      if (h) {
        const TPoint p = APointAt(b, c);
        AHost.MouseUp(h, p.X, p.Y);
      }
      return true;
    case 5: {
      const int delta = (b & 1) ? WHEEL_DELTA : -WHEEL_DELTA;
      if (h && !(b & 2)) {
        const TPoint p = APointAt(b, c);
        AHost.Wheel(h, p.X, p.Y, delta);
      } else if (e->HandleAllocated()) {
        TWinControl* inner = e->InnerControl();
        AHost.Wheel(inner ? inner->GetHandle() : e->GetHandle(), 5, 5, delta);
      }
      return true;
    }
    case 8:
      if (!(b & 1)) {
        e->SetFocus();
      } else if (auto* other = static_cast<TWinControl*>(AOther.Ref())) {
        other->SetFocus();
      }
      return true;
    default:
      return false;
  }
}
