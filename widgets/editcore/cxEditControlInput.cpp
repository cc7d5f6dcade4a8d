// The editor control's keys, clipboard messages, focus entry and exit, mouse and activation
// inside a host control.
#include "classlib/core/ScopeGuards.h"
#include "classlib/visual/Forms.h"
#include "classlib/visual/HintWindow.h"
#include "widgets/editcore/cxEditControl.h"

namespace {

bool HasShift(TShiftState S, TShiftStateItem I) { return S.Contains(I); }

// The character a key press queues behind itself, or 0 when it is not known.
Char CharOfKey(Word Key, TShiftState Shift) {
  const bool ctrl = HasShift(Shift, TShiftStateItem::ssCtrl);
  if (Key == VK_RETURN) return Char(ctrl ? 10 : 13);
  if (Key == VK_ESCAPE) return Char(27);
  if (Key == VK_BACK) return Char(8);
  if (Key == VK_TAB) return Char(9);
  if (Key == VK_SPACE) return ' ';
  if (Key >= 'A' && Key <= 'Z') {
    if (ctrl) return Char(Key - 'A' + 1);
    return Char(HasShift(Shift, TShiftStateItem::ssShift) ? Key : Key - 'A' + 'a');
  }
  if (Key >= '0' && Key <= '9' && !ctrl) return Char(Key);
  return 0;
}

// Characters that change the text: printable ones, Backspace, paste (Ctrl+V) and cut (Ctrl+X).
bool IsEditingChar(Char C) {
  const Byte b = Byte(C);
  return b >= 32 || b == 8 || b == 22 || b == 24;
}

}  // namespace

// ---- keys ----

bool TcxCustomEdit::IsClickKey(Word Key, TShiftState Shift) {
  const TShortCut k = GetActiveProperties()->GetClickKey();
  return k != 0 && ShortCut(Key, Shift) == k;
}

bool TcxCustomEdit::IsEditorKey(Word Key, TShiftState Shift) {
  TcxCustomEditProperties* p = GetActiveProperties();
  switch (Key) {
    case VK_TAB:
      return !HasShift(Shift, TShiftStateItem::ssAlt) && !HasShift(Shift, TShiftStateItem::ssCtrl);
    case VK_ESCAPE:
      return FModifiedAfterEnter;
    case VK_RETURN:
      if (IsClickKey(Key, Shift) && p->GetButtons()->GetDefaultButton()) return true;
      return p->GetValidateOnEnter() && FModifiedAfterEnter && !FIsDisplayValueValidated;
    default:
      return false;
  }
}

void TcxCustomEdit::KeyDown(Word& Key, TShiftState Shift) {
  FEscapeHandled = false;
  TcxEditLifeGuard guard(this);
  if (!IsClickKey(Key, Shift)) inherited::KeyDown(Key, Shift);
  if (guard.Alive() && Key != 0) DoEditKeyDown(Key, Shift);
  if (!guard.Alive()) Key = 0;
}

void TcxCustomEdit::KeyUp(Word& Key, TShiftState Shift) {
  TcxEditLifeGuard guard(this);
  inherited::KeyUp(Key, Shift);
  if (guard.Alive() && Key != 0) DoEditKeyUp(Key, Shift);
  if (!guard.Alive()) Key = 0;
}

void TcxCustomEdit::DoAfterKeyDown(Word& Key, TShiftState Shift) {
  if (OnAfterKeyDown) OnAfterKeyDown(this, Key, Shift);
}

bool TcxCustomEdit::CanKeyDownModifyEdit(Word Key, TShiftState Shift) {
  const bool modifies = Key == VK_DELETE ||
                        (Key == VK_INSERT && HasShift(Shift, TShiftStateItem::ssShift)) ||
                        (Key == VK_BACK && HasShift(Shift, TShiftStateItem::ssAlt));
  return !modifies || DoEditing();
}

bool TcxCustomEdit::CanKeyPressModifyEdit(Char& Key) {
  if (IsEditingChar(Key) && !IsValidChar(Key)) return false;
  return !IsEditingChar(Key) || DoEditing();
}

void TcxCustomEdit::DoEditKeyDown(Word& Key, TShiftState Shift) {
  TcxEditLifeGuard guard(this);
  TcxCustomEditProperties* p = GetActiveProperties();
  // 1. The clear key empties the value as the user's own change.
  if (p->GetClearKey() != 0 && ShortCut(Key, Shift) == p->GetClearKey()) {
    AsUserInput([&] { SetEditValue(Variant()); });
    if (!guard.Alive()) return;
    FIsDisplayValueValidated = true;
    Key = 0;
    return;
  }
  // 2. The click key presses the default button; only its own queued character goes.
  if (IsClickKey(Key, Shift) && p->GetButtons()->GetDefaultButton()) {
    if (const Char c = CharOfKey(Key, Shift); c != 0 && HandleAllocated()) {
      const HWND focus = GetFocus();
      const HWND target =
          focus && (focus == GetHandle() || IsChild(GetHandle(), focus)) ? focus : GetHandle();
      MSG m{};
      if (PeekMessageA(&m, target, WM_CHAR, WM_CHAR, PM_NOREMOVE)) {
        if (m.message == WM_QUIT) {
          PeekMessageA(&m, target, WM_CHAR, WM_CHAR, PM_REMOVE);
          PostQuitMessage(int(m.wParam));
        } else if (Byte(m.wParam) == Byte(c)) {
          PeekMessageA(&m, target, WM_CHAR, WM_CHAR, PM_REMOVE);
        }
      }
    }
    ClickDefaultButton();
    if (guard.Alive()) Key = 0;
    return;
  }
  // 3. A key that would change a value the editor may not edit is consumed.
  if (!CanKeyDownModifyEdit(Key, Shift)) {
    if (!guard.Alive()) return;
    DoAfterKeyDown(Key, Shift);
    if (guard.Alive()) Key = 0;
    return;
  }
  if (!guard.Alive()) return;
  // 4. Tab moves to the next tab stop of the form, counted from the editor.
  if (Key == VK_TAB && IsFocused() && !HasShift(Shift, TShiftStateItem::ssAlt) &&
      !HasShift(Shift, TShiftStateItem::ssCtrl)) {
    if (p->IsTabInput()) return;
    HandleTabKey(Shift);
    if (!guard.Alive()) return;
    DoAfterKeyDown(Key, Shift);
    if (!guard.Alive() || Key == 0) return;
    Key = 0;
    if (TCustomForm* form = GetParentForm(this)) {
      TWinControl* current = form->GetActiveControl();
      if (!current || current == this || ContainsControl(current)) current = this;
      form->SelectNext(current, !HasShift(Shift, TShiftStateItem::ssShift), true);
      if (guard.Alive() && HandleAllocated() && GetFocus() == GetHandle() && FInnerEdit)
        FInnerEdit->SafelySetFocus();
    }
    return;
  }
  // 5. Enter validates and posts, each change event at most once.
  if (Key == VK_RETURN && p->GetValidateOnEnter()) {
    Key = 0;
    LockChangeEvents(true);
    // An error drops the change events held meanwhile; a normal end fires them.
    TWatchedScopeEnd unlock(
        this, [this](bool AEndedNormally) { LockChangeEvents(false, AEndedNormally); });
    if (ValidateDisplayText(true) && guard.Alive() && CanPostEditValue()) PostEditValue(false);
    return;
  }
  // 6. Escape puts back the value the editor had when it got the focus.
  if (Key == VK_ESCAPE && FModifiedAfterEnter) {
    ResetEditValue();
    if (!guard.Alive()) return;
    FEscapeHandled = true;
    Key = 0;
    return;
  }
  // 7. Navigation keys go to the after-key-down handler only.
  if (Key >= VK_PRIOR && Key <= VK_DOWN && !KeepsNavigationKeys(Key, Shift)) {
    DoAfterKeyDown(Key, Shift);
    if (guard.Alive()) Key = 0;
  }
}

void TcxCustomEdit::KeyPress(Char& Key) {
  if (Key == Char(27) && FEscapeHandled) {
    FEscapeHandled = false;
    Key = 0;
    return;
  }
  TcxEditLifeGuard guard(this);
  inherited::KeyPress(Key);
  if (guard.Alive() && Key != 0) DoEditKeyPress(Key);
  if (!guard.Alive()) Key = 0;
}

void TcxCustomEdit::DoEditKeyPress(Char& Key) {
  TcxEditLifeGuard guard(this);
  const bool ok = CanKeyPressModifyEdit(Key);
  // A key whose handler freed the editor is consumed: nothing may process it further.
  if (!guard.Alive() || !ok) Key = 0;
}

// ---- messages ----

void TcxCustomEdit::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_NCCALCSIZE:
      if (FUpdatingBounds) {
        Message.Result = 0;
        return;
      }
      break;
    case WM_CUT:
      AsUserInput([&] {
        if (!GetActiveProperties()->GetReadOnly() && FDataBinding->IsDataAvailable())
          CutToClipboard();
        else
          CopyToClipboard();
      });
      Message.Result = 0;
      return;
    case WM_COPY:
      CopyToClipboard();
      Message.Result = 0;
      return;
    case WM_PASTE:
      if (!GetActiveProperties()->GetReadOnly() && FDataBinding->IsDataAvailable())
        AsUserInput([&] { PasteFromClipboard(); });
      Message.Result = 0;
      return;
    case CM_DIALOGCHAR: {
      TcxEditButtons* buttons = GetActiveProperties()->GetButtons();
      const Integer i = buttons->IndexOfAccel(Char(Message.WParam));
      if (i >= 0 && buttons->Items(i)->GetEnabled() && GetEnabled() && GetVisible()) {
        DoButtonClick(i);
        Message.Result = 1;
        return;
      }
      break;
    }
    case CM_WANTSPECIALKEY:
      if (IsEditorKey(Word(Message.WParam), cxGetShiftState())) {
        Message.Result = 1;
        return;
      }
      break;
    case WM_GETDLGCODE:
      inherited::WndProc(Message);
      Message.Result |= DLGC_WANTTAB | DLGC_WANTARROWS | DLGC_WANTCHARS;
      return;
    case CM_HINTSHOW:
      inherited::WndProc(Message);
      if (Message.Result == 0) HintForCutText(*reinterpret_cast<THintInfo*>(Message.LParam));
      return;
    default:
      break;
  }
  inherited::WndProc(Message);
}

// Over a text cut off by the editor's bounds the hint is the whole text, kept while the
// mouse stays over the text.
void TcxCustomEdit::HintForCutText(THintInfo& AInfo) {
  TcxCustomEditViewInfo* info = EditViewInfo();
  if (!info) return;
  TRect textRect{};
  bool multiLine = false;
  String text;
  if (!info->GetHintTextInRect(AInfo.CursorPos, textRect, multiLine, text)) return;
  AInfo.HintStr = text;
  AInfo.CursorRect = textRect;
}

// ---- focus ----

bool TcxCustomEdit::IsFocused() const {
  if (InState(TComponentStateItem::csDestroying)) return false;
  if (HandleAllocated() && Focused()) return true;
  TWinControl* inner = InnerControl();
  return inner && inner->HandleAllocated() && inner->Focused();
}

void TcxCustomEdit::DoEnter() {
  if (InState(TComponentStateItem::csDestroying)) return;
  if (FLockExit) {
    TcxContainer::RecalcViewAtCursor();
    return;
  }
  TcxEditLifeGuard guard(this);
  {
    // A raising OnEnter leaves the saved flags balanced too.
    auto modifiedFlags = WatchedPairedCall(
        this, [this] { SaveModifiedFlags(); }, [this] { RestoreModifiedFlags(); });
    inherited::DoEnter();
    if (!guard.Alive()) return;
    if (RefreshOnFocus()) FDataBinding->UpdateDisplayValue();
    if (!guard.Alive()) return;
    if (CanResetEditValue()) FPrevEditValue = FEditValue;
    if (RefreshOnFocus()) SynchronizeDisplayValue();
  }
  if (!guard.Alive()) return;
  FModifiedAfterEnter = false;
}

void TcxCustomEdit::DoExit() {
  TWatchedValue<bool> notUserInput(this, FIsUserInput, false);
  InternalExit();
}

void TcxCustomEdit::InternalExit() {
  if (InState(TComponentStateItem::csDestroying) || FLockExit) return;
  TcxEditLifeGuard guard(this);
  {
    auto modifiedFlags = WatchedPairedCall(
        this, [this] { SaveModifiedFlags(); }, [this] { RestoreModifiedFlags(); });
    // A value changed by other means than typing (a popup, the clipboard, a file) leaves the
    // display unmodified but the binding editing: it is posted as well, or the redisplay
    // below would drop it.
    if (FModifiedAfterEnter || (!FIsInplace && CanPostEditValue())) {
      bool ok = false;
      {
        LockChangeEvents(true);
        // The change events held meanwhile fire only after a valid value; an error or an
        // invalid one drops them.
        TWatchedScopeEnd unlock(this, [this, &ok](bool AEndedNormally) {
          LockChangeEvents(false, AEndedNormally && ok);
        });
        ok = ValidateDisplayText(true);
        if (ok && guard.Alive() && !FIsInplace && CanPostEditValue()) PostEditValue(false);
      }
      if (!guard.Alive() || !ok) return;
    }
    if (RefreshOnExit()) FDataBinding->UpdateDisplayValue();
    if (!guard.Alive()) return;
    EditFocusChanged();
    if (!guard.Alive()) return;
    TcxContainer::RecalcViewAtCursor();  // placing the inner edit runs its OnResize
  }
  if (!guard.Alive()) return;
  inherited::DoExit();
  if (guard.Alive()) SetDisplayValueModified(false);
}

void TcxCustomEdit::FocusChanged() {
  if (InState(TComponentStateItem::csDestroying) || !FDataBinding) return;
  DoFocusChanged();
}

void TcxCustomEdit::DoFocusChanged() {
  const bool focused = IsFocused() && (!Application || Application->Active());
  if (focused == FFocused) return;
  FFocused = focused;
  TcxEditLifeGuard guard(this);
  inherited::FocusChanged();
  if (!guard.Alive()) return;
  EditFocusChanged();
  if (!guard.Alive() || focused) return;
  // A dialog closed with a result other than Cancel takes what was typed without an error box.
  TCustomForm* form = GetParentForm(this);
  if (form && form->FormState().Contains(TFormStateItem::fsModal) && !form->GetVisible() &&
      form->GetModalResult() != mrNone && form->GetModalResult() != mrCancel)
    ValidateDisplayText(false);
}

bool TcxCustomEdit::Deactivate() {
  TcxEditLifeGuard guard(this);
  if (!ValidateDisplayText(true) || !guard.Alive()) return false;
  SynchronizeDisplayValue();
  return true;
}

// ---- mouse ----

void TcxCustomEdit::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TcxEditLifeGuard guard(this);
  if (Button == TMouseButton::mbLeft && ClickTimerRunning()) {
    // A second click soon after an activation by mouse is a double click.
    StopClickTimer();
    if (GetButtonIndexAt({X, Y}) < 0) {
      DblClick();
      if (!guard.Alive()) return;
    }
  }
  inherited::MouseDown(Button, Shift, X, Y);
  if (!guard.Alive()) return;
  if (Button == TMouseButton::mbLeft && HandleAllocated() && GetCapture() == GetHandle()) {
    const POINT q{X, Y};
    for (const auto& b : EditViewInfo()->ButtonsInfo)
      if (b->State == TcxEditButtonState::ebsPressed && PtInRect(&b->VisibleBounds, q))
        FPressedButton = b->ButtonIndex;
  }
}

void TcxCustomEdit::DblClick() {
  // A double click on a button presses and clicks it once more instead.
  if (HandleAllocated()) {
    POINT p{};
    GetCursorPos(&p);
    ::ScreenToClient(GetHandle(), &p);
    if (GetButtonIndexAt(p) >= 0) return;
  }
  inherited::DblClick();
}

void TcxCustomEdit::ClickTimerHandler(TObject*) { StopClickTimer(); }

void TcxCustomEdit::StopClickTimer() {
  if (FClickTimer) FClickTimer->SetEnabled(false);
}

// ---- activation in place ----

void TcxCustomEdit::HookInnerEditWndProc() {
  TWinControl* inner = InnerControl();
  if (FInnerEditHookedWnd || !inner) return;
  const HWND h = inner->GetHandle();
  FInnerEditWndProcInstance = MakeObjectInstance({this, &TcxCustomEdit::InnerEditWndProc});
  FInnerEditDefWndProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FInnerEditWndProcInstance)));
  FInnerEditHookedWnd = h;
}

void TcxCustomEdit::UnhookInnerEditWndProc() {
  if (!FInnerEditHookedWnd) return;
  const HWND h = FInnerEditHookedWnd;
  // Another subclass installed over ours keeps the chain; ours then stays until the window goes.
  if (IsWindow(h) &&
      GetWindowLongPtrA(h, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(FInnerEditWndProcInstance)) {
    SetWindowLongPtrA(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FInnerEditDefWndProc));
    FreeObjectInstance(FInnerEditWndProcInstance);
  }
  FInnerEditHookedWnd = nullptr;
  FInnerEditWndProcInstance = nullptr;
  FInnerEditDefWndProc = nullptr;
}

void TcxCustomEdit::InnerEditWndProc(TMessage& Message) {
  Message.Result = CallWindowProcA(FInnerEditDefWndProc, FInnerEditHookedWnd, Message.Msg,
                                   Message.WParam, Message.LParam);
}

void TcxCustomEdit::Activate(TcxCustomEditData*& AEditData) {
  if (!AEditData) {
    const TcxCustomEditDataClass c = GetEditDataClass();
    if (c.Class) AEditData = c.Create(this);
  }
  FEditData = AEditData;
  TcxEditLifeGuard guard(this);
  Show();
  if (CanFocus()) SetFocus();
  if (!guard.Alive()) return;
  if (GetActiveProperties()->GetAutoSelect()) SelectAll();
  SynchronizeDisplayValue();
  if (guard.Alive()) SetEditModified(false);
}

void TcxCustomEdit::ActivateByKey(Char AKey, TcxCustomEditData*& AEditData) {
  auto hook = WatchedPairedCall(
      this, [this] { HookInnerEditWndProc(); }, [this] { UnhookInnerEditWndProc(); });
  Activate(AEditData);
  if (hook.Alive() && AKey != 0 && CanKeyStartEdit(AKey)) {
    TWinControl* target = InnerControl() ? InnerControl() : this;
    SendMessageA(target->GetHandle(), WM_CHAR, WPARAM(Byte(AKey)), 0);
  }
}

void TcxCustomEdit::ActivateByMouse(TShiftState Shift, Integer X, Integer Y,
                                    TcxCustomEditData*& AEditData) {
  TcxEditLifeGuard guard(this);
  Activate(AEditData);
  if (!guard.Alive() || !HandleAllocated()) return;
  TWinControl* target = InnerControl() && InnerControl()->GetVisible() ? InnerControl() : this;
  POINT p{X, Y};
  if (target != this) MapWindowPoints(GetHandle(), target->GetHandle(), &p, 1);
  WPARAM keys = 0;
  if (Shift.Contains(TShiftStateItem::ssShift)) keys |= MK_SHIFT;
  if (Shift.Contains(TShiftStateItem::ssCtrl)) keys |= MK_CONTROL;
  if (Shift.Contains(TShiftStateItem::ssLeft)) keys |= MK_LBUTTON;
  if (Shift.Contains(TShiftStateItem::ssRight)) keys |= MK_RBUTTON;
  if (Shift.Contains(TShiftStateItem::ssMiddle)) keys |= MK_MBUTTON;
  const HWND w = target->GetHandle();
  const UINT msg = Shift.Contains(TShiftStateItem::ssLeft) ? WM_LBUTTONDOWN : WM_LBUTTONUP;
  SendMessageA(w, msg, keys, MAKELPARAM(p.X, p.Y));
  if (!guard.Alive()) return;
  if ((GetKeyState(VK_LBUTTON) & 0x8000) == 0 && (GetCapture() == w || GetCapture() == GetHandle()))
    ReleaseCapture();
  if (const UINT t = GetDoubleClickTime(); t > 0) {
    if (!FClickTimer) {
      FClickTimer = New<TcxTimer>(nullptr);
      FClickTimer->SetEnabled(false);
      FClickTimer->SetOnTimer({this, &TcxCustomEdit::ClickTimerHandler});
    }
    FClickTimer->SetInterval(t);
    FClickTimer->SetEnabled(true);
  }
}

TL_DEFINE_CLASS(TcxCustomEdit, [](auto& c) {
  c.Property("RepositoryItem", &TcxCustomEdit::GetRepositoryItem,
             &TcxCustomEdit::SetRepositoryItem);
  c.Event("OnFocusChanged", &TcxCustomEdit::OnFocusChanged);
});
