// The container unit's thread hooks: they close shown popups when their owner hides, the
// application loses activation, a window closes or the user clicks elsewhere; keep the
// owner form's caption active while its popup is open; and hold back Alt keys a popup does
// not want. Also the unit's start-up and the window tests the hooks rely on.
#include "platform/kernel/Threads.h"
#include "classlib/core/ScopeGuards.h"
#include "classlib/visual/Messages.h"
#include "platform/user/User.h"
#include "widgets/foundation/cxContainerPopup.h"

#include <algorithm>
#include <map>
#include <vector>

namespace {

Integer gStartCount = 0;
HHOOK gCallWndProcHook = nullptr;
HHOOK gGetMessageHook = nullptr;
HHOOK gMouseHook = nullptr;
TcxScreenCanvas* gScreenCanvas = nullptr;

// Windows armed to swallow their next message, each with the procedure to put back.
std::map<HWND, WNDPROC>& SwallowedWindows() {
  static std::map<HWND, WNDPROC> windows;
  return windows;
}

LRESULT cxSwallowWindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  auto& windows = SwallowedWindows();
  auto it = windows.find(Wnd);
  if (it == windows.end()) return DefWindowProcA(Wnd, Msg, WParam, LParam);
  const WNDPROC saved = it->second;
  windows.erase(it);
  SetWindowLongA(Wnd, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(saved));
  return 1;
}

WNDPROC SwallowProc() { return MakeProcInstance(cxSwallowWindowProc); }

// Puts back the procedures of windows whose swallowed message never came.
void DisarmSwallowedWindows() {
  for (const auto& [wnd, saved] : SwallowedWindows())
    if (IsWindow(wnd) && reinterpret_cast<WNDPROC>(GetWindowLongA(wnd, GWL_WNDPROC)) == SwallowProc())
      SetWindowLongA(wnd, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(saved));
  SwallowedWindows().clear();
}

bool IsDestroying(const TComponent* AComponent) {
  return AComponent && AComponent->InState(TComponentStateItem::csDestroying);
}

// The owner control's window, when the owner is alive and has one.
HWND OwnerWindow(const TcxCustomPopupWindow* APopup) {
  TWinControl* owner = APopup->OwnerControl();
  return owner && !IsDestroying(owner) && owner->HandleAllocated() ? owner->GetHandle() : nullptr;
}

TCustomForm* OwnerForm(const TcxCustomPopupWindow* APopup) {
  TWinControl* owner = APopup->OwnerControl();
  return owner ? GetParentForm(owner) : nullptr;
}

HWND OwnerFormWindow(const TcxCustomPopupWindow* APopup) {
  TCustomForm* form = OwnerForm(APopup);
  return form && form->HandleAllocated() ? form->GetHandle() : nullptr;
}

bool IsUsable(const TcxCustomPopupWindow* APopup) { return !IsDestroying(APopup) && APopup->HandleAllocated(); }

// The container's own focus notice is protected; a member pointer taken through a derived
// class reaches it without a cast of the object.
struct ContainerFocusNotice : TcxContainer {
  static void Send(TcxContainer* AContainer) {
    void (TcxContainer::*notice)() = &ContainerFocusNotice::FocusChanged;
    (AContainer->*notice)();
  }
};

// Closes a popup as the hooks do. True when it left the shown list; a popup that stayed
// (a descendant refusing) is passed over, so that a scan restarting after each close ends.
// The popup may be gone afterwards: only its address is compared.
bool HookClose(TcxCustomPopupWindow* APopup) {
  APopup->CloseFromHook();
  for (Integer i = 0; i < cxShownPopupCount(); ++i)
    if (cxShownPopup(i) == APopup) return false;
  return true;
}

// ---- WH_CALLWNDPROC ---------------------------------------------------------------------------

void ClosePopupsOfHiddenOwner(HWND Wnd) {
  for (Integer i = 0; i < cxShownPopupCount();) {
    TcxCustomPopupWindow* popup = cxShownPopup(i);
    const HWND owner = IsUsable(popup) ? OwnerWindow(popup) : nullptr;
    // Closing changes the list: the scan starts again.
    const bool closed =
        owner && cxPopupDetail::IsWindowInside(Wnd, owner) && !IsWindowVisible(owner) && HookClose(popup);
    i = closed ? 0 : i + 1;
  }
}

void KeepOwnerCaptionActive(HWND Wnd) {
  if (cxIsPoppingUp()) {
    cxSwallowNextWindowMessage(Wnd);
    return;
  }
  for (Integer i = 0; i < cxShownPopupCount(); ++i)
    if (OwnerFormWindow(cxShownPopup(i)) == Wnd) {
      cxSwallowNextWindowMessage(Wnd);
      return;
    }
}

void ClosePopupsOnAppDeactivation() {
  // The owner forms keep their active caption only while their popups are shown.
  std::vector<HWND> forms;
  for (Integer i = 0; i < cxShownPopupCount(); ++i)
    if (HWND form = OwnerFormWindow(cxShownPopup(i)); form && std::find(forms.begin(), forms.end(), form) == forms.end())
      forms.push_back(form);
  for (HWND form : forms) PostMessageA(form, WM_NCACTIVATE, FALSE, 0);
  for (Integer i = 0; i < cxShownPopupCount();) {
    TcxCustomPopupWindow* popup = cxShownPopup(i);
    const bool keep = (popup->GetCaptureFocus() && popup->Active()) || !popup->HandleAllocated() ||
                      !IsWindowEnabled(popup->GetHandle());
    if (keep) {
      ++i;
      continue;
    }
    // The close runs the owner's handlers, which may free the owner.
    const TWeakLink owner(popup->OwnerControl());
    if (!HookClose(popup)) {
      ++i;
      continue;
    }
    if (auto* container = dynamic_cast<TcxContainer*>(owner.Ref()); container && !IsDestroying(container))
      ContainerFocusNotice::Send(container);
    i = 0;
  }
}

void ClosePopupsOnClose(HWND Wnd) {
  for (Integer i = 0; i < cxShownPopupCount(); ++i) {
    TcxCustomPopupWindow* popup = cxShownPopup(i);
    if (popup->HandleAllocated() && popup->GetHandle() == Wnd) {
      // Closing a focus-taking popup (Alt+F4 in it) closes the form it stands for. The
      // form is found first: the close runs the owner's handlers, which may free the owner.
      TWinControl* owner = popup->OwnerControl();
      const TWeakLink form(popup->GetCaptureFocus() && owner && !IsDestroying(owner) ? GetParentForm(owner) : nullptr);
      if (HookClose(popup) && form.Alive())
        if (auto* f = static_cast<TCustomForm*>(form.Ref()); !IsDestroying(f) && f->HandleAllocated())
          SendMessageA(f->GetHandle(), WM_CLOSE, 0, 0);
      return;
    }
  }
  for (Integer i = 0; i < cxShownPopupCount();) {
    TcxCustomPopupWindow* popup = cxShownPopup(i);
    TWinControl* owner = popup->OwnerControl();
    // Closing the owner's own window (or anything of its form, for an owner without one).
    const bool closes = owner && !popup->GetCaptureFocus() &&
                        cxPopupDetail::IsWindowInside(OwnerFormWindow(popup), Wnd) &&
                        (!owner->HandleAllocated() || owner->GetHandle() == Wnd);
    i = closes && HookClose(popup) ? 0 : i + 1;
  }
}

void ClosePopupsOnOwnerHide(HWND Wnd) {
  Integer newest = -1;
  for (Integer i = cxShownPopupCount() - 1; i >= 0 && newest < 0; --i)
    if (HWND owner = OwnerWindow(cxShownPopup(i)); owner && cxPopupDetail::IsWindowInside(Wnd, owner)) newest = i;
  if (newest < 0) return;
  // That popup and every one shown after it, newest first.
  while (cxShownPopupCount() > newest) {
    const Integer before = cxShownPopupCount();
    cxShownPopup(before - 1)->CloseFromHook();
    if (cxShownPopupCount() >= before) break;  // a popup that refused to close
  }
}

void ClosePopupOnDestroy(HWND Wnd) {
  for (Integer i = 0; i < cxShownPopupCount(); ++i) {
    TcxCustomPopupWindow* popup = cxShownPopup(i);
    if (popup->HandleAllocated() && popup->GetHandle() == Wnd) {
      HookClose(popup);
      return;
    }
  }
}

LRESULT cxPopupCallWndProcHook(int Code, WPARAM WParam, LPARAM LParam) {
  if (Code == HC_ACTION && cxShownPopupCount() > 0) {
    const CWPSTRUCT& cwp = *reinterpret_cast<const CWPSTRUCT*>(LParam);
    switch (cwp.message) {
      case WM_WINDOWPOSCHANGED:
        ClosePopupsOfHiddenOwner(cwp.hwnd);
        break;
      case WM_NCACTIVATE:
        if (cwp.wParam == 0) KeepOwnerCaptionActive(cwp.hwnd);
        break;
      case WM_ACTIVATEAPP:
        if (cwp.wParam == 0) ClosePopupsOnAppDeactivation();
        break;
      case WM_CLOSE:
        ClosePopupsOnClose(cwp.hwnd);
        break;
      case WM_SHOWWINDOW:
        if (cwp.wParam == 0) ClosePopupsOnOwnerHide(cwp.hwnd);
        break;
      case WM_DESTROY:
        ClosePopupOnDestroy(cwp.hwnd);
        break;
      default:
        break;
    }
  }
  return CallNextHookEx(gCallWndProcHook, Code, WParam, LParam);
}

// ---- WH_GETMESSAGE ----------------------------------------------------------------------------

LRESULT cxPopupGetMessageHook(int Code, WPARAM WParam, LPARAM LParam) {
  if (Code == HC_ACTION && WParam == PM_REMOVE && cxShownPopupCount() > 0) {
    MSG& msg = *reinterpret_cast<MSG*>(LParam);
    if (msg.message == WM_SYSKEYDOWN) {
      TcxCustomPopupWindow* newest = cxShownPopup(cxShownPopupCount() - 1);
      const bool ownLoop = newest->GetCaptureFocus() && newest->GetModal();
      if (!ownLoop && !newest->IsPopupKey(Word(msg.wParam))) msg.message = 0;
    }
  }
  return CallNextHookEx(gGetMessageHook, Code, WParam, LParam);
}

// ---- WH_MOUSE ---------------------------------------------------------------------------------

LRESULT cxPopupMouseHook(int Code, WPARAM WParam, LPARAM LParam) {
  if (Code == HC_ACTION && cxShownPopupCount() > 0) {
    const UINT msg = UINT(WParam);
    if (msg == WM_NCLBUTTONDOWN || msg == WM_NCLBUTTONDBLCLK || msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK) {
      const MOUSEHOOKSTRUCT& info = *reinterpret_cast<const MOUSEHOOKSTRUCT*>(LParam);
      if (!cxClosePopupsOnClick(info.hwnd, info, msg)) return 1;
    }
  }
  return CallNextHookEx(gMouseHook, Code, WParam, LParam);
}

// The window a click must lie in to count as a click on the form: the form's own window for
// a form inside a control, else the top-level window holding it.
HWND FormClickArea(TCustomForm* AForm) {
  if (!AForm || !AForm->HandleAllocated()) return nullptr;
  return AForm->GetParent() ? AForm->GetHandle() : GetAncestor(AForm->GetHandle(), GA_ROOT);
}

// A left press on the owner control inside the drop-down area the popup keeps for it.
bool IsPressOnDropDownArea(TcxCustomPopupWindow* APopup, HWND AWnd, const TPoint& AScreenPoint, UINT AMessage) {
  TWinControl* owner = APopup->OwnerControl();
  if (!owner || !owner->HandleAllocated() || !cxPopupDetail::IsWindowInside(owner->GetHandle(), AWnd) ||
      (AMessage != WM_LBUTTONDOWN && AMessage != WM_LBUTTONDBLCLK))
    return false;
  const TPoint a = owner->ClientToScreen(APopup->OwnerDropDownTopLeft());
  const TPoint b = owner->ClientToScreen(APopup->OwnerDropDownBottomRight());
  return AScreenPoint.X >= a.X && AScreenPoint.X < b.X && AScreenPoint.Y >= a.Y && AScreenPoint.Y < b.Y;
}

bool cxIsDescendantWindowAt(TWinControl* AControl, HWND AWnd, int ADepth) {
  // Popups owned by controls inside themselves would make a cycle.
  if (!AControl || !AWnd || ADepth > 32 || !AControl->HandleAllocated()) return false;
  const HWND own = AControl->GetHandle();
  if (AWnd == own) return false;
  if (IsChild(own, AWnd)) return true;
  for (Integer i = 0; i < AControl->ControlCount(); ++i)
    if (auto* child = dynamic_cast<TWinControl*>(AControl->Controls(i))) {
      if (child->HandleAllocated() && child->GetHandle() == AWnd) return true;
      if (cxIsDescendantWindowAt(child, AWnd, ADepth + 1)) return true;
    }
  for (Integer i = 0; i < cxShownPopupCount(); ++i) {
    TcxCustomPopupWindow* popup = cxShownPopup(i);
    if (popup->OwnerControl() != AControl || !popup->HandleAllocated()) continue;
    if (popup->GetHandle() == AWnd || cxIsDescendantWindowAt(popup, AWnd, ADepth + 1)) return true;
  }
  return false;
}

}  // namespace

// ---- Routines ---------------------------------------------------------------------------------

void cxSwallowNextWindowMessage(HWND AWnd) {
  if (!IsWindow(AWnd)) return;
  auto& windows = SwallowedWindows();
  // Armed twice, the window would save the swallowing procedure as its own.
  if (windows.count(AWnd)) return;
  windows[AWnd] = reinterpret_cast<WNDPROC>(GetWindowLongA(AWnd, GWL_WNDPROC));
  SetWindowLongA(AWnd, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(SwallowProc()));
}

bool cxIsDescendantWindow(TWinControl* AControl, HWND AWnd) { return cxIsDescendantWindowAt(AControl, AWnd, 0); }

HWND cxFindParentPopupOwnerWindow(HWND AWnd) {
  for (HWND h = AWnd; h; h = GetParent(h))
    if (auto* popup = dynamic_cast<TcxCustomPopupWindow*>(FindControl(h))) {
      TWinControl* owner = popup->OwnerControl();
      return owner && owner->HandleAllocated() ? owner->GetHandle() : AWnd;
    }
  return AWnd;
}

bool cxIsControlUnderMouseActive(TControl* AControl) {
  auto* control = dynamic_cast<TWinControl*>(AControl);
  if (!control || !Application || !Application->Active() || !control->HandleAllocated() ||
      !IsWindowVisible(control->GetHandle()))
    return false;
  POINT p{0, 0};
  GetCursorPos(&p);
  if (FindDragTarget(p, false) != control) return false;
  TCustomForm* form = GetParentForm(control);
  if (!form || form->Active()) return true;
  // A form whose popup is open counts as active: the popup has the activation in its stead.
  TcxCustomPopupWindow* first = cxShownPopup(0);
  return first && first->OwnerControl() && form->ContainsControl(first->OwnerControl());
}

bool cxHasShownPopup(TControl* AControl) {
  TcxContainer* container = cxGetInnerControlContainer(AControl);
  return container && container->HasShownPopup();
}

bool cxClosePopupsOnClick(HWND AWnd, const MOUSEHOOKSTRUCT& AMouseInfo, UINT AMessage) {
  bool result = true;
  for (Integer i = 0; i < cxShownPopupCount();) {
    TcxCustomPopupWindow* popup = cxShownPopup(i);
    TWinControl* owner = popup->OwnerControl();
    const bool onDropDown = IsPressOnDropDownArea(popup, AWnd, AMouseInfo.pt, AMessage);
    // An active focus-taking popup closes when the click moves the activation, except on
    // the owner's button, where the owner must learn that this click closed it.
    const bool skip = (popup->GetCaptureFocus() && popup->Active() && !onDropDown) ||
                      (popup->HandleAllocated() && (popup->GetHandle() == AWnd || cxIsDescendantWindow(popup, AWnd)));
    if (skip) {
      ++i;
      continue;
    }
    TCustomForm* ownerForm = owner ? GetParentForm(owner) : nullptr;
    if (!cxPopupDetail::IsWindowInside(FormClickArea(ownerForm), AWnd)) {
      // Elsewhere the popup closes through its owner's focus change; only a popup whose
      // owner sits in another popup that is gone already closes here.
      auto* ownerPopup = dynamic_cast<TcxCustomPopupWindow*>(ownerForm);
      if (!ownerPopup || ownerPopup->IsShown()) {
        ++i;
        continue;
      }
    } else if (onDropDown) {
      popup->SetClosedByClick(true);
      if (IsDestroying(owner) || !owner->GetVisible()) result = false;
    }
    {
      const bool oldPoppingUp = cxIsPoppingUp();
      cxPopupDetail::SetPoppingUp(true);
      TScopeExit lower([oldPoppingUp] { cxPopupDetail::SetPoppingUp(oldPoppingUp); });
      if (!HookClose(popup)) {
        ++i;
        continue;
      }
    }
    i = 0;
  }
  return result;
}

TcxScreenCanvas* cxScreenCanvas() { return gScreenCanvas; }

// ---- Start-up ---------------------------------------------------------------------------------

void cxContainerStartUp() {
  if (gStartCount++ > 0) return;
  cxLookUpGetScrollBarInfo();
  RegisterClass(TcxStyleController::StaticClass());
  cxPopupDetail::ClearShownPopups();
  // The platform has one thread: the hooks are that thread's.
  gCallWndProcHook = SetWindowsHookExA(WH_CALLWNDPROC, cxPopupCallWndProcHook, nullptr, GetCurrentThreadId());
  gGetMessageHook = SetWindowsHookExA(WH_GETMESSAGE, cxPopupGetMessageHook, nullptr, GetCurrentThreadId());
  gMouseHook = SetWindowsHookExA(WH_MOUSE, cxPopupMouseHook, nullptr, GetCurrentThreadId());
  gScreenCanvas = New<TcxScreenCanvas>();
  cxFindPopupOwnerWindowFunc = cxFindParentPopupOwnerWindow;
}

void cxContainerShutDown() {
  if (gStartCount == 0 || --gStartCount > 0) return;
  cxFindPopupOwnerWindowFunc = nullptr;
  FreeAndNil(gScreenCanvas);
  for (HHOOK* hook : {&gCallWndProcHook, &gGetMessageHook, &gMouseHook}) {
    if (*hook) UnhookWindowsHookEx(*hook);
    *hook = nullptr;
  }
  DisarmSwallowedWindows();
  cxPopupDetail::ClearShownPopups();
}
