// TCustomForm: creation from the description resource, window styles from the border
// settings, placement, showing and modal loops, closing, focus bookkeeping and dialog keys.
#include "classlib/visual/Forms.h"

#include "classlib/core/Filer.h"
#include "classlib/core/ScopeGuards.h"
#include "classlib/visual/ActnList.h"
#include "classlib/visual/Menus.h"

#include <algorithm>

using enum TControlStyleItem;
using enum TComponentStateItem;
using enum TControlStateItem;
using enum TFormBorderStyle;
using enum TBorderIcon;
using enum TPosition;
using enum TFormStateItem;
using enum TCloseAction;

namespace {
constexpr TColor kBtnFace = TColor(0x80000000 | 15);
}

TCustomForm::TCustomForm(TComponent* AOwner) : TWinControl(AOwner) { InitForm(); }

TCustomForm::TCustomForm(TComponent* AOwner, Integer) : TWinControl(AOwner) {
  InitForm();
  FCreatedNew = true;
}

void TCustomForm::InitForm() {
  FControlStyle = {csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  FVisible = false;
  FParentColor = false;
  FParentFont = false;
  FColor = kBtnFace;
  FWidth = 320;
  FHeight = 240;
  FCanvas = NewControlCanvas(this);
}

void TCustomForm::AfterConstruction() {
  inherited::AfterConstruction();
  FFormState.Include(fsCreating);
  if (Screen) Screen->AddForm(this);
  if (!FCreatedNew && ClassType() != TForm::StaticClass() && ClassType() != TCustomForm::StaticClass()) {
    // The descriptions of the ancestors come first, so a derived form adds to its base.
    const TClass& root =
        ClassType().InheritsFrom(TForm::StaticClass()) ? TForm::StaticClass() : TCustomForm::StaticClass();
    if (!InitInheritedComponent(this, root)) throw EResNotFound("Resource " + ClassName() + " not found");
  }
  FFormState.Exclude(fsCreating);
  DoCreate();
  if (FVisible) Perform(CM_VISIBLECHANGED, 1, 0);
}

void TCustomForm::BeforeDestruction() {
  try {
    DoDestroy();
  } catch (...) {  // not cleanup: a failing OnDestroy is reported and the destruction goes on
    if (Application) Application->HandleException(this);
  }
  if (Screen) Screen->RemoveForm(this);
  if (Application && Application->FMainForm == this) Application->FMainForm = nullptr;
  FActiveControl = nullptr;
  FFocusedControl = nullptr;
  SetMenu(nullptr);
  FreeControlCanvas(FCanvas);
  inherited::BeforeDestruction();
}

void TCustomForm::Loaded() {
  inherited::Loaded();
  if (FPendingClientWidth >= 0 || FPendingClientHeight >= 0) {
    Integer w = FPendingClientWidth >= 0 ? FPendingClientWidth : GetClientWidth();
    Integer h = FPendingClientHeight >= 0 ? FPendingClientHeight : GetClientHeight();
    FPendingClientWidth = FPendingClientHeight = -1;
    SetClientSize(w, h);
  }
}

void TCustomForm::DoCreate() {
  if (OnCreate) OnCreate(this);
}

void TCustomForm::DoDestroy() {
  if (OnDestroy) OnDestroy(this);
}

void TCustomForm::DoShow() {
  if (OnShow) OnShow(this);
}

void TCustomForm::DoHide() {
  if (OnHide) OnHide(this);
}

void TCustomForm::DoClose(TCloseAction& Action) {
  if (OnClose) OnClose(this, Action);
}

void TCustomForm::Activate() {
  if (OnActivate) OnActivate(this);
}

void TCustomForm::Deactivate() {
  if (OnDeactivate) OnDeactivate(this);
}

void TCustomForm::Paint() {
  if (OnPaint) OnPaint(this);
}

void TCustomForm::PaintWindow(HDC DC) {
  TControlCanvasPaint paint(FCanvas, FPaintDC, DC);
  Paint();
}

void TCustomForm::GetChildren(const TGetChildProc& Proc, TComponent* Root) {
  for (Integer i = 0; i < ComponentCount(); ++i)
    if (!Components(i)->HasParent()) Proc(Components(i));
  inherited::GetChildren(Proc, Root);
}

// ---- Window ------------------------------------------------------------------------------

void TCustomForm::SetBorderStyle(TFormBorderStyle Value) {
  if (FBorderStyle == Value) return;
  FBorderStyle = Value;
  RecreateWnd();
}

void TCustomForm::SetBorderIcons(TBorderIcons Value) {
  if (FBorderIcons == Value) return;
  FBorderIcons = Value;
  RecreateWnd();
}

void TCustomForm::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  Params.Style &= ~(WS_CHILD | WS_VISIBLE | WS_TABSTOP);
  Params.Style |= WS_CLIPCHILDREN;
  Params.WndParent = nullptr;
  if (Application && Application->FMainForm && Application->FMainForm != this &&
      Application->FMainForm->HandleAllocated())
    Params.WndParent = Application->FMainForm->FHandle;
  switch (FBorderStyle) {
    case bsNone: Params.Style |= WS_POPUP; break;
    case bsSingle: case bsToolWindow: Params.Style |= WS_CAPTION | WS_BORDER; break;
    case bsSizeable: case bsSizeToolWin: Params.Style |= WS_CAPTION | WS_THICKFRAME; break;
    case bsDialog:
      Params.Style |= WS_POPUP | WS_CAPTION;
      Params.ExStyle |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
      break;
  }
  if (FBorderStyle == bsToolWindow || FBorderStyle == bsSizeToolWin) Params.ExStyle |= WS_EX_TOOLWINDOW;
  if (FBorderStyle != bsNone && FBorderIcons.Contains(biSystemMenu)) {
    Params.Style |= WS_SYSMENU;
    bool small = FBorderStyle == bsDialog || FBorderStyle == bsToolWindow || FBorderStyle == bsSizeToolWin;
    if (!small) {
      if (FBorderIcons.Contains(biMinimize)) Params.Style |= WS_MINIMIZEBOX;
      if (FBorderIcons.Contains(biMaximize)) Params.Style |= WS_MAXIMIZEBOX;
    }
    if (FBorderStyle == bsDialog && FBorderIcons.Contains(biHelp)) Params.ExStyle |= WS_EX_CONTEXTHELP;
  }
  if (FFormStyle == TFormStyle::fsStayOnTop) Params.ExStyle |= WS_EX_TOPMOST;
  if (FPosition == poDefault || FPosition == poDefaultPosOnly) Params.X = Params.Y = CW_USEDEFAULT;
  if (FPosition == poDefault || FPosition == poDefaultSizeOnly) Params.Width = Params.Height = CW_USEDEFAULT;
}

void TCustomForm::CreateWnd() {
  inherited::CreateWnd();
  if (FMenu) {
    FMenu->SetWindowHandle(nullptr);
    FMenu->SetWindowHandle(FHandle);
  }
  if (!FEnabled) EnableWindow(FHandle, FALSE);
}

TRect TCustomForm::GetClientRect() const {
  if (FHandle) return inherited::GetClientRect();
  TCreateParams p;
  const_cast<TCustomForm*>(this)->CreateParams(p);
  TRect frame{0, 0, 0, 0};
  AdjustWindowRectEx(&frame, p.Style, HasMenuBar(), p.ExStyle);
  return {0, 0, std::max<Integer>(0, FWidth - (frame.Right - frame.Left)),
          std::max<Integer>(0, FHeight - (frame.Bottom - frame.Top))};
}

void TCustomForm::SetClientSize(Integer AWidth, Integer AHeight) {
  if (InState(csLoading)) {
    // The border settings may still follow in the description.
    if (AWidth != GetClientWidth()) FPendingClientWidth = AWidth;
    if (AHeight != GetClientHeight()) FPendingClientHeight = AHeight;
    return;
  }
  TRect c = GetClientRect();
  SetBounds(FLeft, FTop, FWidth - c.Right + std::max<Integer>(AWidth, 0),
            FHeight - c.Bottom + std::max<Integer>(AHeight, 0));
}

void TCustomForm::PlaceOnScreen() {
  TRect area{0, 0, Screen ? Screen->Width() : 0, Screen ? Screen->Height() : 0};
  TRect within = area;
  switch (FPosition) {
    case poScreenCenter: case poDesktopCenter: break;
    case poMainFormCenter: case poOwnerFormCenter: {
      TCustomForm* center = Application ? Application->FMainForm : nullptr;
      if (FPosition == poOwnerFormCenter)
        if (auto* f = dynamic_cast<TCustomForm*>(Owner())) center = f;
      if (center && center != this && center->FVisible) within = center->GetBoundsRect();
      break;
    }
    default: return;
  }
  Integer x = within.Left + (within.Right - within.Left - FWidth) / 2;
  Integer y = within.Top + (within.Bottom - within.Top - FHeight) / 2;
  // Keep the caption reachable: the form stays inside the work area where it fits.
  TRect work = Screen ? Screen->WorkAreaRect() : area;
  x = std::max(work.Left, std::min(x, work.Right - FWidth));
  y = std::max(work.Top, std::min(y, work.Bottom - FHeight));
  SetBounds(x, y, FWidth, FHeight);
}

void TCustomForm::CMShowingChanged(TMessage&) {
  if (!FHandle) return;
  if (FVisible) {
    if (FFormState.Contains(fsShowing)) return;
    auto showing = PairedCall([this] { FFormState.Include(fsShowing); },
                              [this] { FFormState.Exclude(fsShowing); });
    DoShow();
    PlaceOnScreen();
    ShowWindow(FHandle, SW_SHOW);
  } else {
    DoHide();
    if (Screen && Screen->FActiveForm == this) Screen->FActiveForm = nullptr;
    ShowWindow(FHandle, SW_HIDE);
  }
}

// ---- Focus --------------------------------------------------------------------------------

bool TCustomForm::CanFocus() const { return FVisible && FEnabled; }

void TCustomForm::SetFocus() {
  if (!FActive) {
    if (!(FVisible && FEnabled)) throw EInvalidOperation("Cannot focus a disabled or invisible window");
    SetWindowFocus();
  }
}

void TCustomForm::SetWindowFocus() {
  HWND h = FActiveControl ? FActiveControl->GetHandle() : GetHandle();
  if (h) ::SetFocus(h);
}

void TCustomForm::SetActiveControl(TWinControl* Control) {
  if (FActiveControl == Control) return;
  if (InState(csLoading)) {
    FActiveControl = Control;
    return;
  }
  if (Control && (GetParentForm(Control) != this || !Control->CanFocus()))
    throw EInvalidOperation("Cannot focus a disabled or invisible window");
  FActiveControl = Control;
  if (FActive) SetWindowFocus();
}

void TCustomForm::FocusControl(TWinControl* Control) {
  bool wasActive = FActive;
  SetActiveControl(Control);
  if (!wasActive) SetFocus();
}

void TCustomForm::DefocusControl(TWinControl* Control, bool Removing) {
  if (Removing && Control->ContainsControl(FFocusedControl)) FFocusedControl = Control->FParent;
  if (Screen && Control->ContainsControl(Screen->FActiveControl)) Screen->FActiveControl = nullptr;
  if (Control->ContainsControl(FActiveControl)) {
    if (InState(csDestroying) || !FActive)
      FActiveControl = nullptr;
    else
      SetActiveControl(nullptr);
  }
}

// False when the focus moved on meanwhile, or when the handler freed this form.
bool TCustomForm::SendFocusMessage(TWinControl* Control, UINT Msg) {
  Integer count = FFocusCount;
  TWeakLink self(this);
  Control->Perform(Msg);
  return self.Alive() && FFocusCount == count;
}

namespace {
void NotifyFocusChanged(TWinControl* Parent, TWinControl* Focused) {
  for (Integer i = 0; i < Parent->ControlCount(); ++i)
    if (auto* w = dynamic_cast<TWinControl*>(Parent->Controls(i))) {
      w->Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(Focused));
      NotifyFocusChanged(w, Focused);
    }
}
}  // namespace

bool TCustomForm::SetFocusedControl(TWinControl* Control) {
  if (InState(csDestroying)) return false;
  ++FFocusCount;
  FActiveControl = Control != this ? Control : nullptr;
  if (Screen) {
    Screen->FActiveControl = Control;
    Screen->FActiveForm = this;
  }
  if (Control->FControlState.Contains(csFocusing)) return true;
  // The control's own OnEnter may free it: the mark goes only from a control still alive.
  auto focusing = WatchedPairedCall(
      Control, [Control] { Control->FControlState.Include(csFocusing); },
      [Control] { Control->FControlState.Exclude(csFocusing); });
  try {
    if (Screen && Screen->FFocusedForm != this) {
      if (TCustomForm* old = Screen->FFocusedForm) {
        Screen->FFocusedForm = nullptr;
        if (!SendFocusMessage(old, CM_EXIT)) return false;
      }
      Screen->FFocusedForm = this;
      if (!SendFocusMessage(this, CM_ENTER)) return false;
    }
    if (!FFocusedControl) FFocusedControl = this;
    while (FFocusedControl && !FFocusedControl->ContainsControl(Control)) {
      TWinControl* leaving = FFocusedControl;
      TWinControl* parent = leaving->FParent;
      if (!SendFocusMessage(leaving, CM_EXIT)) return false;
      // A control its exit handler freed has moved the focus up already (DefocusControl).
      if (FFocusedControl == leaving) FFocusedControl = parent;
    }
    while (FFocusedControl && FFocusedControl != Control) {
      TWinControl* next = Control;
      while (next->FParent != FFocusedControl) next = next->FParent;
      FFocusedControl = next;
      if (!SendFocusMessage(next, CM_ENTER)) return false;
    }
  } catch (...) {
    // A refused exit keeps the focus where the exits stopped.
    TWinControl* keep = FFocusedControl && FFocusedControl != this ? FFocusedControl : nullptr;
    FActiveControl = keep;
    if (Screen) Screen->FActiveControl = keep ? keep : this;
    if (keep && keep != Control && keep->FHandle) ::SetFocus(keep->FHandle);
    throw;
  }
  // Controls whose look depends on the focus elsewhere (the default button) hear of it.
  NotifyFocusChanged(this, Control);
  return true;
}

// ---- Showing and closing -----------------------------------------------------------------

TModalResult TCustomForm::ShowModal() {
  if (FVisible || !FEnabled || FFormState.Contains(fsModal) || FFormStyle == TFormStyle::fsMDIChild)
    throw EInvalidOperation("Cannot make a visible window modal");
  if (HWND cap = GetCapture()) SendMessageA(cap, WM_CANCELMODE, 0, 0);
  ReleaseCapture();
  FFormState.Include(fsModal);
  HWND activeWindow = GetActiveWindow();
  std::vector<TCustomForm*> disabled;
  if (Screen)
    for (TCustomForm* f : Screen->FForms)
      if (f != this && f->FHandle && IsWindowVisible(f->FHandle) && IsWindowEnabled(f->FHandle)) {
        EnableWindow(f->FHandle, FALSE);
        disabled.push_back(f);
      }
  // A handler of the dialog (its OnCloseQuery, say) may free it: the loop then ends as
  // cancelled and only the other forms are put back.
  TWeakLink self(this);
  TScopeExit restore([&self, &disabled, activeWindow] {
    for (TCustomForm* f : disabled)
      if (Screen &&
          std::find(Screen->FForms.begin(), Screen->FForms.end(), f) != Screen->FForms.end() &&
          f->FHandle)
        EnableWindow(f->FHandle, TRUE);
    if (auto* form = static_cast<TCustomForm*>(self.Ref())) {
      try {
        form->Hide();
      } catch (...) {  // not cleanup: reported, so the other forms are still put back
        if (Application) Application->HandleException(form);
      }
      if (self.Alive()) form->FFormState.Exclude(fsModal);
    }
    if (activeWindow && IsWindow(activeWindow)) SetActiveWindow(activeWindow);
  });
  Show();
  if (!self.Alive()) return mrCancel;
  SetWindowFocus();
  if (!self.Alive()) return mrCancel;
  FModalResult = mrNone;
  do {
    Application->HandleMessage();
    if (!self.Alive()) return mrCancel;
    if (Application->Terminated())
      FModalResult = mrCancel;
    else if (FModalResult != mrNone)
      CloseModal();
    if (!self.Alive()) return mrCancel;
  } while (FModalResult == mrNone);
  return FModalResult;
}

// OnCloseQuery and OnClose may free the form: a form gone has nothing left to close.
void TCustomForm::CloseModal() {
  TCloseAction action = caNone;
  TWeakLink self(this);
  if (CloseQuery() && self.Alive()) {
    action = caHide;
    DoClose(action);
  }
  if (!self.Alive()) return;
  if (action == caNone)
    FModalResult = mrNone;
  else if (action == caFree)
    Release();
}

bool TCustomForm::CloseQuery() {
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(this, canClose);
  return canClose;
}

void TCustomForm::Close() {
  if (FFormState.Contains(fsModal)) {
    FModalResult = mrCancel;
    return;
  }
  TWeakLink self(this);
  if (!CloseQuery() || !self.Alive()) return;
  TCloseAction action = caHide;
  DoClose(action);
  if (action == caNone || !self.Alive()) return;
  if (Application && Application->FMainForm == this)
    Application->Terminate();
  else if (action == caHide)
    Hide();
  else if (action == caMinimize)
    ShowWindow(GetHandle(), SW_MINIMIZE);
  else
    Release();
}

void TCustomForm::Release() { PostMessageA(GetHandle(), CM_RELEASE, 0, 0); }

// ---- The main menu -------------------------------------------------------------------------

bool TCustomForm::HasMenuBar() const { return FMenu || (FHandle && ::GetMenu(FHandle)); }

void TCustomForm::SetMenu(TMainMenu* Value) {
  if (FMenu == Value) return;
  if (Value)
    for (TCustomForm* f : Screen ? Screen->FForms : std::vector<TCustomForm*>{})
      if (f != this && f->FMenu == Value) throw EInvalidOperation("Menu '" + Value->GetName() + "' is already being used by another form");
  // The client size is kept when the bar comes or goes.
  TRect client = GetClientRect();
  if (FMenu) {
    FMenu->RemoveFreeNotification(this);
    FMenu->SetWindowHandle(nullptr);
  }
  FMenu = Value;
  if (FMenu) {
    FMenu->FreeNotification(this);
    if (FHandle) FMenu->SetWindowHandle(FHandle);
  }
  if (!InState(csLoading) && !InState(csDestroying)) SetClientSize(client.Right, client.Bottom);
}

void TCustomForm::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent == FMenu) {
    TRect client = GetClientRect();
    if (FHandle && IsWindow(FHandle)) ::SetMenu(FHandle, nullptr);
    FMenu = nullptr;
    if (!InState(csDestroying)) SetClientSize(client.Right, client.Bottom);
  }
}

bool TCustomForm::IsShortCut(TMessage& Message) {
  // A disabled form (under a modal dialog) fires no menu commands.
  if (!FEnabled || (FHandle && !IsWindowEnabled(FHandle))) return false;
  if (FMenu && FMenu->IsShortCut(Message)) return true;
  // The action lists this form owns: one of their shortcuts runs its action.
  TWeakLink self(this);
  for (Integer i = 0; i < ComponentCount() && self.Alive(); ++i)
    if (auto* list = dynamic_cast<TCustomActionList*>(Components(i)); list && list->IsShortCut(Message)) return true;
  return self.Alive() && inherited::IsShortCut(Message);
}

void TCustomForm::WMCommand(TMessage& Message) {
  if (Message.LParam == 0 && HIWORD(Message.WParam) == 0 && FMenu && FMenu->DispatchCommand(LOWORD(Message.WParam))) {
    Message.Result = 0;
    return;
  }
  TL_INHERITED(Message);
}

void TCustomForm::WMInitMenuPopup(TMessage& Message) {
  if (FMenu) FMenu->DispatchPopup(reinterpret_cast<HMENU>(Message.WParam));
  TL_INHERITED(Message);
}

void TCustomForm::WMMeasureItem(TMessage& Message) {
  auto* m = reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam);
  if (m && m->CtlType == ODT_MENU && FMenu && FMenu->MeasureItem(*m)) {
    Message.Result = 1;
    return;
  }
  TL_INHERITED(Message);
}

void TCustomForm::WMDrawItem(TMessage& Message) {
  auto* d = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
  if (d && d->CtlType == ODT_MENU && FMenu && FMenu->DrawItem(*d)) {
    Message.Result = 1;
    return;
  }
  TL_INHERITED(Message);
}

void TCustomForm::MouseWheelHandler(TMessage& Message) {
  if (FFocusedControl && FFocusedControl != this)
    Message.Result = FFocusedControl->Perform(CM_MOUSEWHEEL, Message.WParam, Message.LParam);
  else
    inherited::MouseWheelHandler(Message);
}

void TCustomForm::WMClose(TMessage&) { Close(); }

void TCustomForm::WMActivate(TMessage& Message) {
  // Not passed on: the default would focus the form itself and lose the active control.
  bool active = LOWORD(Message.WParam) != WA_INACTIVE;
  if (active == FActive) return;
  FActive = active;
  if (InState(csDestroying)) return;  // no events once OnDestroy ran
  if (active) {
    if (Screen) Screen->FActiveForm = this;
    FFormState.Include(fsActivated);
    SetWindowFocus();
    Activate();
  } else {
    Deactivate();
  }
}

void TCustomForm::CMRelease(TMessage&) { Free(); }

void TCustomForm::CMDialogKey(TMessage& Message) {
  if (GetKeyState(VK_MENU) >= 0) {
    switch (Message.WParam) {
      case VK_TAB:
        if (GetKeyState(VK_CONTROL) >= 0) {
          SelectNext(FActiveControl, GetKeyState(VK_SHIFT) >= 0, true);
          Message.Result = 1;
          return;
        }
        break;
      case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN:
        if (FActiveControl && FActiveControl->FParent) {
          FActiveControl->FParent->SelectNext(FActiveControl, Message.WParam == VK_RIGHT || Message.WParam == VK_DOWN,
                                              false);
          Message.Result = 1;
        }
        return;
      default:
        break;
    }
  }
  TL_INHERITED(Message);
}

void TCustomForm::WMSysCommand(TMessage& Message) {
  // Alt with a letter reaches the form as the menu key. The letter is offered to the
  // controls' own underlined letters first (a dialog's buttons, whichever control has the
  // focus); only a letter none of them takes goes on to the menu bar.
  const WPARAM key = WPARAM(Message.LParam);
  if ((Message.WParam & 0xFFF0) == SC_KEYMENU && key != 0 && key != VK_SPACE && key != '-' && !GetCapture() &&
      Perform(CM_DIALOGCHAR, key, 0) != 0) {
    Message.Result = 0;
    return;
  }
  TL_INHERITED(Message);
}

TL_MESSAGES(TCustomForm,
            TL_ON(WM_COMMAND, WMCommand),
            TL_ON(WM_SYSCOMMAND, WMSysCommand),
            TL_ON(WM_INITMENUPOPUP, WMInitMenuPopup),
            TL_ON(WM_MEASUREITEM, WMMeasureItem),
            TL_ON(WM_DRAWITEM, WMDrawItem),
            TL_ON(WM_CLOSE, WMClose),
            TL_ON(WM_ACTIVATE, WMActivate),
            TL_ON(CM_RELEASE, CMRelease),
            TL_ON(CM_DIALOGKEY, CMDialogKey),
            TL_ON(CM_SHOWINGCHANGED, CMShowingChanged))

TL_DEFINE_CLASS(TCustomForm, [](auto& c) {
  c.Property("ActiveControl", &TCustomForm::GetActiveControl, &TCustomForm::SetActiveControl);
  c.Property("BorderIcons", &TCustomForm::GetBorderIcons, &TCustomForm::SetBorderIcons)
      .Default(TBorderIcons{biSystemMenu, biMinimize, biMaximize});
  c.Property("BorderStyle", &TCustomForm::GetBorderStyle, &TCustomForm::SetBorderStyle).Default(bsSizeable);
  c.Property("ClientWidth", &TCustomForm::GetClientWidth, &TCustomForm::SetClientWidth);
  c.Property("ClientHeight", &TCustomForm::GetClientHeight, &TCustomForm::SetClientHeight);
  c.Property("FormStyle", &TCustomForm::GetFormStyle, &TCustomForm::SetFormStyle).Default(TFormStyle::fsNormal);
  c.Property("Menu", &TCustomForm::GetMenu, &TCustomForm::SetMenu);
  c.Property("KeyPreview", &TCustomForm::GetKeyPreview, &TCustomForm::SetKeyPreview).Default(false);
  c.Property("Position", &TCustomForm::GetPosition, &TCustomForm::SetPosition).Default(poDesigned);
  c.Event("OnCreate", &TCustomForm::OnCreate);
  c.Event("OnDestroy", &TCustomForm::OnDestroy);
  c.Event("OnShow", &TCustomForm::OnShow);
  c.Event("OnHide", &TCustomForm::OnHide);
  c.Event("OnPaint", &TCustomForm::OnPaint);
  c.Event("OnClose", &TCustomForm::OnClose);
  c.Event("OnCloseQuery", &TCustomForm::OnCloseQuery);
  c.Event("OnActivate", &TCustomForm::OnActivate);
  c.Event("OnDeactivate", &TCustomForm::OnDeactivate);
})

TL_DEFINE_CLASS(TForm)
