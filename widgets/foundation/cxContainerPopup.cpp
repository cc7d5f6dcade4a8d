#include "widgets/foundation/cxContainerPopup.h"

#include "classlib/core/ScopeGuards.h"
#include "classlib/visual/Messages.h"
#include "platform/user/User.h"

#include <algorithm>
#include <vector>

namespace {

std::vector<TcxCustomPopupWindow*> gShownPopups;
bool gPoppingUp = false;
bool gPopupClosing = false;
TcxCustomPopupWindow* gLastShownPopup = nullptr;
TcxCustomPopupWindow* gLastClosedPopup = nullptr;

void RemoveShown(TcxCustomPopupWindow* APopup) {
  gShownPopups.erase(std::remove(gShownPopups.begin(), gShownPopups.end(), APopup), gShownPopups.end());
}

}  // namespace

Integer cxShownPopupCount() { return Integer(gShownPopups.size()); }
TcxCustomPopupWindow* cxShownPopup(Integer AIndex) {
  return AIndex >= 0 && AIndex < cxShownPopupCount() ? gShownPopups[size_t(AIndex)] : nullptr;
}
TcxCustomPopupWindow* cxLastShownPopup() { return gLastShownPopup; }
TcxCustomPopupWindow* cxLastClosedPopup() { return gLastClosedPopup; }
bool cxIsPoppingUp() { return gPoppingUp; }
bool cxIsPopupClosing() { return gPopupClosing; }

void cxPopupDetail::SetPoppingUp(bool Value) { gPoppingUp = Value; }
void cxPopupDetail::ClearShownPopups() {
  gShownPopups.clear();
  gPoppingUp = gPopupClosing = false;
  gLastShownPopup = gLastClosedPopup = nullptr;
}

// ---- TcxCustomPopupWindow ---------------------------------------------------------------------

TcxCustomPopupWindow::TcxCustomPopupWindow(TWinControl* AOwnerControl)
    : TcxPopupWindow(AOwnerControl), FOwnerControl(AOwnerControl) {
  SetFormStyle(TFormStyle::fsNormal);
  SetVisible(false);
}

void TcxCustomPopupWindow::AfterConstruction() {
  inherited::AfterConstruction();
  FStyle = GetStyleClass().Create(this, TcxContainerStateItem::csNormal, nullptr, false);
  FStyle->OnChanged = TNotifyEvent(this, &TcxCustomPopupWindow::StyleChangedHandler);
  FViewInfo = GetViewInfoClass().Create();
}

void TcxCustomPopupWindow::BeforeDestruction() {
  RemoveShown(this);
  if (gLastShownPopup == this) gLastShownPopup = nullptr;
  if (gLastClosedPopup == this) gLastClosedPopup = nullptr;
  if (FStyle) FStyle->OnChanged = TNotifyEvent();
  FreeAndNil(FViewInfo);
  FreeAndNil(FStyle);
  inherited::BeforeDestruction();
}

TcxContainerStyleClass TcxCustomPopupWindow::GetStyleClass() const {
  return ClassOf<TcxContainerStyle, TcxContainerStyle, TPersistent*, TcxContainerStateItem, TcxContainerStyle*,
                 bool>();
}

TcxContainerViewInfoClass TcxCustomPopupWindow::GetViewInfoClass() const {
  return ClassOf<TcxContainerViewInfo, TcxContainerViewInfo>();
}

void TcxCustomPopupWindow::SetOwnerDropDownRect(const TPoint& ATopLeft, const TPoint& ABottomRight) {
  FDropDownTopLeft = ATopLeft;
  FDropDownBottomRight = ABottomRight;
}

bool TcxCustomPopupWindow::IsShown() const {
  return std::find(gShownPopups.begin(), gShownPopups.end(), this) != gShownPopups.end();
}

bool TcxCustomPopupWindow::Focused() const {
  if (!IsShown() || !FCaptureFocus || !FHandle) return false;
  return cxPopupDetail::IsWindowInside(FHandle, GetFocus());
}

void TcxCustomPopupWindow::AdjustClientRect(TRect& ARect) {
  if (FViewInfo && !FViewInfo->ClientRect.IsEmpty()) ARect = FViewInfo->ClientRect;
}

bool TcxCustomPopupWindow::IsPopupKey(Word AKey) const {
  return (AKey >= VK_PRIOR && AKey <= VK_DOWN) || AKey == VK_F4;
}

void TcxCustomPopupWindow::FitToWorkArea(TPoint& APosition, const TRect& AWorkArea) {
  if (!AcceptsAnySize()) return;
  TRect owner = GetOwnerBounds();
  if (TControl* parent = GetOwnerParent()) {
    const TPoint a = parent->ClientToScreen({owner.Left, owner.Top});
    owner = {a.X, a.Y, a.X + owner.Right - owner.Left, a.Y + owner.Bottom - owner.Top};
  }
  Integer W = GetWidth(), H = GetHeight();
  if (APosition.X + W > AWorkArea.Right) W = std::max<Integer>(0, AWorkArea.Right - APosition.X);
  if (APosition.Y < owner.Top) {
    // Above the owner: the bottom edge stays against it and the top comes down.
    if (APosition.Y < AWorkArea.Top) {
      const Integer lost = std::min(H, AWorkArea.Top - APosition.Y);
      H -= lost;
      APosition.Y += lost;
    }
  } else if (APosition.Y + H > AWorkArea.Bottom) {
    H = std::max<Integer>(0, AWorkArea.Bottom - APosition.Y);
  }
  if (W != GetWidth() || H != GetHeight()) SetBounds(GetLeft(), GetTop(), W, H);
}

void TcxCustomPopupWindow::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  if (FCaptureFocus) {
    TCustomForm* ownerForm = FOwnerControl ? GetParentForm(FOwnerControl) : nullptr;
    if (ownerForm && ownerForm != this) Params.WndParent = ownerForm->GetHandle();
    Params.Style = (Params.Style & ~WS_CHILD) | WS_POPUP;
    Params.ExStyle &= ~WS_EX_TOPMOST;
    if (FIsTopMost && ownerForm && ownerForm != this &&
        (DWORD(GetWindowLongA(ownerForm->GetHandle(), GWL_EXSTYLE)) & WS_EX_TOPMOST))
      Params.ExStyle |= WS_EX_TOPMOST;
  } else {
    Params.Style = (Params.Style & ~WS_POPUP) | WS_CHILD;
    Params.ExStyle |= WS_EX_TOOLWINDOW;
    Params.WndParent = GetParentWindow();
    if (!Params.WndParent && Application) Params.WndParent = Application->Handle();
  }
  Params.Style |= WS_CLIPCHILDREN;
}

void TcxCustomPopupWindow::CreateWnd() {
  // Counted as shown while the window comes up, so the hooks treat its first messages
  // as the popup's.
  const bool counted = !IsShown();
  if (counted) gShownPopups.push_back(this);
  TScopeExit uncount([this, counted] {
    if (counted) RemoveShown(this);
  });
  inherited::CreateWnd();
}

void TcxCustomPopupWindow::SetCaptureFocus(bool Value) {
  if (FCaptureFocus == Value) return;
  FCaptureFocus = Value;
  RecreatePopupWindow();
}

void TcxCustomPopupWindow::SetIsTopMost(bool Value) {
  if (FIsTopMost == Value) return;
  FIsTopMost = Value;
  RecreatePopupWindow();
}

void TcxCustomPopupWindow::RecreatePopupWindow() {
  if (!HandleAllocated()) return;
  const bool wasShown = IsShown();
  if (wasShown) ClosePopup();
  RecreateWnd();
  // Shown again once the caller is done: a modal popup's loop must not run inside a setter.
  if (wasShown) PostMessageA(GetHandle(), DXM_POPUPREPOPUP, 0, 0);
}

void TcxCustomPopupWindow::Popup(TWinControl* AFocusedControl) {
  if (IsShown()) return;
  if (FOwnerControl && (!FOwnerControl->HandleAllocated() || !IsWindowVisible(FOwnerControl->GetHandle()))) {
    // An owner that cannot be seen gets its popup closed at once, never shown.
    gShownPopups.push_back(this);
    ClosePopup();
    return;
  }
  FClosedByClick = false;
  SetModalResult(mrNone);
  TWeakLink self(this);
  DoPopup(AFocusedControl);
  if (!self.Alive()) return;
  DoShowed();
  if (!self.Alive()) return;
  if (FCaptureFocus && FModal) RunModalLoop();
}

void TcxCustomPopupWindow::DoPopup(TWinControl* AFocusedControl) {
  InitPopup();
  CalculateSize();
  TPoint P = CalculatePosition();
  FitToWorkArea(P, cxGetDesktopWorkArea(P));
  TScopedValue<bool> poppingUp(gPoppingUp, true);
  gLastShownPopup = this;
  gShownPopups.push_back(this);
  DoShowing();
  SetBounds(P.X, P.Y, GetWidth(), GetHeight());
  Show();
  if (FCaptureFocus) {
    FFocusedControl = AFocusedControl ? AFocusedControl : FindNextControl(nullptr, true, true, false);
    if (FFocusedControl && FFocusedControl->CanFocus())
      FFocusedControl->SetFocus();
    else if (CanFocus())
      SetFocus();
  } else {
    FFocusedControl = AFocusedControl;
  }
  if (HandleAllocated())
    SetWindowPos(FHandle, FIsTopMost ? HWND_TOPMOST : HWND_TOP, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void TcxCustomPopupWindow::RunModalLoop() {
  TWeakLink self(this);
  while (self.Alive() && IsShown() && HandleAllocated() && IsWindowVisible(FHandle)) {
    MSG msg{};
    // Alt, Enter or Space with Alt would reach the menu loop of the owner form.
    if (PeekMessageA(&msg, nullptr, WM_SYSKEYDOWN, WM_SYSKEYDOWN, PM_NOREMOVE) &&
        (msg.wParam == WPARAM(VK_RETURN) || msg.wParam == WPARAM(VK_MENU) || msg.wParam == WPARAM(VK_SPACE)))
      PeekMessageA(&msg, nullptr, WM_SYSKEYDOWN, WM_SYSKEYDOWN, PM_REMOVE);
    if (GetModalResult() != mrNone) {
      if (CloseQuery()) CloseFromHook();
      // Refused, or a CloseByHook that kept the popup open: the loop goes on.
      if (self.Alive() && IsShown()) SetModalResult(mrNone);
      continue;
    }
    // The application quits while the popup is open: the quit stays queued for the loop
    // that owns it, and this one ends instead of swallowing it.
    if (!Application || PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE)) break;
    Application->HandleMessage();
    if (self.Alive() && Application->Terminated()) {
      // A loop inside this one took the quit: post it again for the loops outside.
      PostQuitMessage(0);
      break;
    }
  }
  if (self.Alive() && IsShown()) ClosePopup();
}

void TcxCustomPopupWindow::ClosePopup() {
  if (!IsShown()) return;
  RemoveShown(this);
  TWeakLink self(this);
  DoClosing();
  if (!self.Alive()) return;
  TScopedValue<bool> closing(gPopupClosing, true);
  gLastClosedPopup = this;
  if (HandleAllocated()) ShowWindow(FHandle, SW_HIDE);
  if (!self.Alive()) return;
  Hide();
  if (!self.Alive()) return;
  DoClosed();
  if (!self.Alive()) return;
  if (HandleAllocated() && cxPopupDetail::IsWindowInside(FHandle, GetCapture())) ReleaseCapture();
}

void TcxCustomPopupWindow::CloseFromHook() {
  // Not a scope object: the popup may be freed by the close.
  TWeakLink self(this);
  const bool old = FClosingByHook;
  FClosingByHook = true;
  CloseByHook();
  if (self.Alive()) FClosingByHook = old;
}

void TcxCustomPopupWindow::PostClose() {
  if (HandleAllocated()) PostMessageA(FHandle, DXM_POPUPCLOSE, 0, 0);
}

void TcxCustomPopupWindow::DoClosed() {
  if (OnClosed) OnClosed(this);
}
void TcxCustomPopupWindow::DoClosing() {
  if (OnClosing) OnClosing(this);
}
void TcxCustomPopupWindow::DoShowed() {
  if (OnShowed) OnShowed(this);
}
void TcxCustomPopupWindow::DoShowing() {
  if (OnShowing) OnShowing(this);
}

void TcxCustomPopupWindow::KeyDown(Word& Key, TShiftState Shift) {
  // Escape first gives up a mouse capture the popup holds (a drag inside it); only the
  // next Escape goes on.
  if (Key == VK_ESCAPE && IsShown() && FHandle && cxPopupDetail::IsWindowInside(FHandle, GetCapture())) {
    ReleaseCapture();
    Key = 0;
    return;
  }
  inherited::KeyDown(Key, Shift);
}

void TcxCustomPopupWindow::Deactivate() {
  if (FApplicationDeactivating)
    TForm::Deactivate();  // the popup stays for the hooks, which also release the owner's caption
  else
    inherited::Deactivate();
}

void TcxCustomPopupWindow::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_ACTIVATE:
      if (LOWORD(Message.WParam) == WA_INACTIVE) {
        // No window of the application takes over: the application is losing activation.
        FApplicationDeactivating = Message.LParam == 0;
        TWatchedScopeExit lower(this, [this] { FApplicationDeactivating = false; });
        inherited::WndProc(Message);
        return;
      }
      break;
    case WM_ACTIVATEAPP:
      // The hooks close popups when the application loses activation.
      Message.Result = 0;
      return;
    case WM_ERASEBKGND:
      if (!NeedsEraseBackground()) {
        Message.Result = 1;
        return;
      }
      break;
    case DXM_POPUPCLOSE: {
      TWeakLink self(this);
      ClosePopup();
      if (!self.Alive()) return;
      if (FOwnerControl && FOwnerControl->HandleAllocated())
        SendMessageA(FOwnerControl->GetHandle(), WM_SETFOCUS, 0, 0);
      Message.Result = 0;
      return;
    }
    case DXM_POPUPREPOPUP:
      Popup(FFocusedControl);
      Message.Result = 0;
      return;
    case CM_MOUSEENTER:
      inherited::WndProc(Message);
      MouseEnter(reinterpret_cast<TControl*>(Message.LParam));
      return;
    case CM_MOUSELEAVE:
      inherited::WndProc(Message);
      MouseLeave(reinterpret_cast<TControl*>(Message.LParam));
      return;
    default:
      break;
  }
  inherited::WndProc(Message);
}

TL_DEFINE_CLASS(TcxCustomPopupWindow)
