#include "widgets/editcore/cxTextEditControl.h"

#include "classlib/core/ScopeGuards.h"
#include "classlib/visual/Clipbrd.h"
#include "classlib/visual/HintWindow.h"
#include "platform/kernel/Units.h"
#include "platform/user/User.h"
#include "widgets/editcore/cxEditProperties.h"
#include "widgets/editcore/cxEditRepository.h"
#include "widgets/foundation/cxContainerPopup.h"
#include "widgets/foundation/cxVariants.h"

#include <algorithm>

// ---- inner edit ----

TcxCustomInnerTextEdit::TcxCustomInnerTextEdit(TComponent* AOwner) : TCustomEdit(AOwner) {
  SetBorderStyle(TBorderStyle::bsNone);
  // The editor is the tab stop.
  SetTabStop(false);
  SetParentFont(false);
  ApplyEchoMode();
  FIsCreating = false;
}

TcxCustomEdit* TcxCustomInnerTextEdit::GetControlContainer() { return Container(); }

TcxCustomTextEdit* TcxCustomInnerTextEdit::Container() const {
  return dynamic_cast<TcxCustomTextEdit*>(GetOwner());
}

void TcxCustomInnerTextEdit::SetEditValue(const Variant& Value) {
  const String old = GetText();
  TWeakLink self(this);  // the editor's change handlers may free the editor and this edit
  SetText(VarToStr(Value));
  if (self.Alive() && InState(TComponentStateItem::csDesigning) && !cxAreStringsEqual(old, GetText(), true) && OnChange)
    OnChange(this);
}

void TcxCustomInnerTextEdit::LockBounds(bool ALock) {
  if (ALock) ++FLockBoundsCount;
  else if (FLockBoundsCount > 0) --FLockBoundsCount;
}

void TcxCustomInnerTextEdit::SafelySetFocus() {
  const bool old = TCustomEdit::GetAutoSelect();
  TCustomEdit::SetAutoSelect(false);
  // OnEnter may free the editor, and this inner edit with it.
  TWatchedScopeExit restore(this, [this, old] { TCustomEdit::SetAutoSelect(old); });
  if (CanFocus()) SetFocus();
}

Integer TcxCustomInnerTextEdit::GetSelStart() {
  if (FImeCharCount > 0) return FSavedSelStart;
  return HandleAllocated() ? TCustomEdit::GetSelStart() : 0;
}

Integer TcxCustomInnerTextEdit::GetSelLength() {
  if (FImeCharCount > 0) return FSavedSelLength;
  return HandleAllocated() ? TCustomEdit::GetSelLength() : 0;
}

void TcxCustomInnerTextEdit::SetSelStart(Integer Value) {
  if (!HandleAllocated()) return;
  if (FImeCharCount > 0) FSavedSelStart = Value;
  else TCustomEdit::SetSelStart(Value);
}

void TcxCustomInnerTextEdit::SetSelLength(Integer Value) {
  if (!HandleAllocated()) return;
  if (FImeCharCount > 0) FSavedSelLength = Value;
  else TCustomEdit::SetSelLength(Value);
}

void TcxCustomInnerTextEdit::Change() {
  ++FTextChanges;
  inherited::Change();
}

void TcxCustomInnerTextEdit::AppendText(const String& ATail) {
  if (!HandleAllocated()) {
    SetText(GetText() + ATail);
    return;
  }
  // Straight to the platform edit: the insert is the caller's, not the user's.
  const WPARAM end = WPARAM(Perform(WM_GETTEXTLENGTH));
  TWeakLink self(this);  // the change notice runs handlers
  auto send = [&](UINT AMsg, WPARAM AWParam, LPARAM ALParam) {
    if (!self.Alive()) return;
    TMessage m{AMsg, AWParam, ALParam, 0};
    CallDefWndProc(m);
  };
  send(EM_SETSEL, end, LPARAM(end));
  send(EM_REPLACESEL, FALSE, LPARAM(ATail.c_str()));
  send(EM_SETSEL, 0, 0);
  send(EM_SETMODIFY, FALSE, 0);
}

void TcxCustomInnerTextEdit::SelectAll() {
  if (HandleAllocated()) SendMessageA(GetHandle(), EM_SETSEL, 0, LPARAM(-1));
}

void TcxCustomInnerTextEdit::SetAlignment(TAlignment Value) {
  TcxCustomTextEdit* c = Container();
  if (c && c->GetActiveProperties()->GetUseLeftAlignmentOnEditing()) Value = TAlignment::taLeftJustify;
  if (FAlignment == Value) return;
  FAlignment = Value;
  if (HandleAllocated()) RecreateWnd();
}

void TcxCustomInnerTextEdit::SetEchoMode(TcxEditEchoMode Value) {
  FEchoMode = Value;
  ApplyEchoMode();
}

void TcxCustomInnerTextEdit::SetPasswordChar(Char Value) {
  FPasswordChar = Value;
  if (FEchoMode == TcxEditEchoMode::eemPassword) ApplyEchoMode();
}

void TcxCustomInnerTextEdit::ApplyEchoMode() {
  if (FEchoMode == TcxEditEchoMode::eemNormal) TCustomEdit::SetPasswordChar(0);
  else TCustomEdit::SetPasswordChar(FPasswordChar != 0 ? FPasswordChar : Char('*'));
}

Integer TcxCustomInnerTextEdit::GetCaretCharIndex() {
  const Integer n = Integer(GetText().size());
  if (n == 0 || !HandleAllocated()) return 0;
  POINT caret{};
  GetCaretPos(&caret);
  auto x = [this](Integer i) {
    return Integer(int16_t(LOWORD(SendMessageA(GetHandle(), EM_POSFROMCHAR, WPARAM(i), 0))));
  };
  // The caret after the last character stands past every character's left edge.
  if (caret.X > x(n - 1)) return n;
  Integer lo = 0, hi = n - 1;
  while (hi - lo >= 2) {
    const Integer mid = (lo + hi) / 2;
    if (x(mid) <= caret.X) lo = mid;
    else hi = mid;
  }
  if (x(lo) == caret.X) return lo;
  return x(hi) == caret.X ? hi : hi + 1;
}

void TcxCustomInnerTextEdit::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  if (FIsCreating || FLockBoundsCount > 0) return;
  TcxCustomTextEdit* c = Container();
  if (!c) {
    TCustomEdit::SetBounds(ALeft, ATop, AWidth, AHeight);
    return;
  }
  // The new bounds run the resize handlers, which may free the editor and this edit with it.
  auto unlock = WatchedPairedCall(
      c, [c] { c->LockAlignControls(true); }, [c] { c->LockAlignControls(false); });
  TCustomEdit::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TcxCustomInnerTextEdit::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  Params.Style &= ~DWORD(ES_CENTER | ES_RIGHT | WS_BORDER | WS_DLGFRAME | WS_THICKFRAME);
  if (FAlignment == TAlignment::taRightJustify) Params.Style |= ES_RIGHT;
  else if (FAlignment == TAlignment::taCenter) Params.Style |= ES_CENTER;
  Params.Style |= ES_AUTOHSCROLL;
  Params.ExStyle &= ~DWORD(WS_EX_CLIENTEDGE);
}

void TcxCustomInnerTextEdit::CreateWnd() {
  if (TcxCustomTextEdit* c = Container()) c->SetRegionChanged();
  inherited::CreateWnd();
  ApplyMargins();
}

void TcxCustomInnerTextEdit::ApplyMargins() {
  SendMessageA(GetHandle(), EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELONG(0, 1));
}

void TcxCustomInnerTextEdit::WndProc(TMessage& Message) {
  TcxCustomTextEdit* c = Container();
  if (c && c->InnerControlMenuHandler(Message)) return;
  switch (Message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      // An editor dragged automatically drags as a whole, whichever part is pressed.
      if (c && c->GetDragMode() == TDragMode::dmAutomatic && !c->InState(TComponentStateItem::csDesigning)) {
        c->BeginDrag(false, -1);
        return;
      }
      break;
    case WM_ERASEBKGND:
      Message.Result = 1;
      return;
    case WM_NCPAINT:
      Message.Result = 0;
      return;
    case CM_WANTSPECIALKEY:
      Message.Result = c ? c->Perform(CM_WANTSPECIALKEY, Message.WParam, Message.LParam) : 0;
      return;
    case CM_HINTSHOW:
      // The editor decides its hint; the record goes there in its coordinates and back.
      if (c && Message.LParam) {
        auto& info = *reinterpret_cast<THintInfo*>(Message.LParam);
        const Integer dx = GetLeft(), dy = GetTop();
        info.CursorPos = {info.CursorPos.X + dx, info.CursorPos.Y + dy};
        OffsetRect(&info.CursorRect, dx, dy);
        Message.Result = c->Perform(CM_HINTSHOW, Message.WParam, Message.LParam);
        info.CursorPos = {info.CursorPos.X - dx, info.CursorPos.Y - dy};
        OffsetRect(&info.CursorRect, -dx, -dy);
        return;
      }
      break;
    case WM_GETDLGCODE:
      inherited::WndProc(Message);
      Message.Result |= DLGC_WANTCHARS;
      if (GetKeyState(VK_CONTROL) >= 0) Message.Result |= DLGC_WANTTAB;
      if (c && (c->IsInplace() || c->HasShownPopup())) Message.Result |= DLGC_WANTALLKEYS;
      return;
    case WM_KEYDOWN: {
      // A key the platform edit ignores (no change of the text and the selection unchanged)
      // still reaches the editor. The text is not copied to tell: a change sends its notice.
      TcxInnerEditState state;
      cxSaveInnerEditState(this, false, state);
      const Integer changes = FTextChanges;
      FInternalUpdating = false;
      TcxEditLifeGuard guard(this);
      inherited::WndProc(Message);
      if (!guard.Alive() || !c || FInternalUpdating || changes != FTextChanges ||
          cxIsInnerEditStateChanged(this, state))
        return;
      Word key = Word(Message.WParam);
      if (key != 0) c->DoAfterKeyDown(key, KeyDataToShiftState(Message.LParam));
      return;
    }
    case WM_CHAR: {
      TcxInnerEditState state;
      cxSaveInnerEditState(this, false, state);
      const Integer changes = FTextChanges;
      FInternalUpdating = false;
      TcxEditLifeGuard guard(this);
      inherited::WndProc(Message);
      if (!guard.Alive()) return;
      if (FImeCharCount > 0 && --FImeCharCount == 0 && HandleAllocated()) {
        TCustomEdit::SetSelStart(FSavedSelStart);
        TCustomEdit::SetSelLength(FSavedSelLength);
      }
      if (c && !FInternalUpdating && (changes != FTextChanges || cxIsInnerEditStateChanged(this, state)))
        c->SetInnerEditShowing(false);
      return;
    }
    case WM_IME_CHAR:
      // One code page of single bytes: no character arrives as a lead and a trail byte.
      FImeLastChar = Char(Byte(Message.WParam));
      FImeCharCount = 1;
      FSavedSelStart = TCustomEdit::GetSelStart();
      FSavedSelLength = TCustomEdit::GetSelLength();
      break;
    case WM_CUT:
      if (c) c->InnerCut();
      Message.Result = 0;
      return;
    case WM_CLEAR:
      if (c && !TCustomEdit::GetReadOnly()) c->InnerClear();
      Message.Result = 0;
      return;
    case WM_PASTE:
      if (c && !TCustomEdit::GetReadOnly()) c->InnerPaste();
      Message.Result = 0;
      return;
    case WM_SETFOCUS: {
      TcxEditLifeGuard guard(this);
      inherited::WndProc(Message);
      if (!guard.Alive() || !c || c->IsDestroying()) return;
      if (!(c->HandleAllocated() && HWND(Message.WParam) == c->GetHandle())) {
        c->FocusChanged();
        if (!guard.Alive()) return;
      }
      // Focus entering the editor is an entry even where the form's own entry does not run
      // (its dialog shown again with this edit still its active control) or keeps off while
      // a mouse button is held elsewhere (the click that opened the dialog): with AutoSelect
      // a single-line edit's text is selected, so typing replaces it. Not for a click on the
      // edit, nor while focused from code (SafelySetFocus), nor in place.
      if (FAutoSelect && TCustomEdit::GetAutoSelect() && !c->IsInplace() && GetFocus() == GetHandle() &&
          !ControlState().Contains(TControlStateItem::csLButtonDown) &&
          !(GetWindowLongA(GetHandle(), GWL_STYLE) & ES_MULTILINE))
        SelectAll();
      return;
    }
    case WM_KILLFOCUS: {
      TcxEditLifeGuard guard(c);
      inherited::WndProc(Message);
      if (guard.Alive() && !c->IsDestroying()) c->FocusChanged();
      return;
    }
    case WM_SIZE:
      inherited::WndProc(Message);
      if (HandleAllocated()) ApplyMargins();
      return;
    case CM_MOUSELEAVE: {
      // The editor's hot look follows the cursor out of the inner edit. The editor hears of
      // the leaving first (as the inner edit's parent), and its handler may free it.
      TcxEditLifeGuard guard(c);
      inherited::WndProc(Message);
      if (guard.Alive() && !c->IsDestroying()) c->RecalcViewAtCursor();
      return;
    }
    default:
      break;
  }
  inherited::WndProc(Message);
}

void TcxCustomInnerTextEdit::DefaultHandler(TMessage& Message) {
  TcxCustomTextEdit* c = Container();
  if (c && !c->IsDestroying() && c->InnerControlDefaultHandler(Message)) return;
  inherited::DefaultHandler(Message);
}

// The editor hears each key first; what it leaves reaches the inner edit's own handlers.
void TcxCustomInnerTextEdit::KeyDown(Word& Key, TShiftState Shift) {
  FInternalUpdating = false;
  TcxEditLifeGuard guard(this);
  if (TcxCustomTextEdit* c = Container()) c->KeyDown(Key, Shift);
  if (!guard.Alive()) {
    Key = 0;  // spent: nothing after the handler that freed the editor sees it
    return;
  }
  if (Key == 0) FInternalUpdating = true;
  else inherited::KeyDown(Key, Shift);
}

void TcxCustomInnerTextEdit::KeyUp(Word& Key, TShiftState Shift) {
  FInternalUpdating = false;
  if (Key == VK_TAB) Key = 0;
  TcxEditLifeGuard guard(this);
  if (TcxCustomTextEdit* c = Container(); c && Key != 0) c->KeyUp(Key, Shift);
  if (!guard.Alive()) {
    Key = 0;
    return;
  }
  if (Key == 0) FInternalUpdating = true;
  else inherited::KeyUp(Key, Shift);
}

void TcxCustomInnerTextEdit::KeyPress(Char& Key) {
  FInternalUpdating = false;
  if (Key == Char(9)) Key = 0;
  TcxCustomTextEdit* c = Container();
  if (c && Key != 0) {
    // Watching this inner edit: freeing the editor frees it too.
    TcxEditLifeGuard guard(this);
    c->KeyPress(Key);
    if (!guard.Alive()) {
      Key = 0;
      return;
    }
    // Enter and Escape insert nothing; a stand-alone editor lets the platform beep on Enter.
    if ((Key == Char(13) || Key == Char(27)) && (c->IsInplace() || (Key == Char(13) && !c->GetBeepOnEnter())))
      Key = 0;
  }
  if (Key == 0) FInternalUpdating = true;
  else inherited::KeyPress(Key);
}

void TcxCustomInnerTextEdit::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TcxEditLifeGuard guard(this);
  inherited::MouseDown(Button, Shift, X, Y);
  if (TcxCustomTextEdit* c = Container(); c && guard.Alive()) c->InnerMouseDown(Button, Shift, X + GetLeft(), Y + GetTop());
}

void TcxCustomInnerTextEdit::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TcxEditLifeGuard guard(this);
  inherited::MouseMove(Shift, X, Y);
  if (TcxCustomTextEdit* c = Container(); c && guard.Alive()) c->InnerMouseMove(Shift, X + GetLeft(), Y + GetTop());
}

void TcxCustomInnerTextEdit::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TcxEditLifeGuard guard(this);
  inherited::MouseUp(Button, Shift, X, Y);
  if (TcxCustomTextEdit* c = Container(); c && guard.Alive()) c->InnerMouseUp(Button, Shift, X + GetLeft(), Y + GetTop());
}

void TcxCustomInnerTextEdit::Click() {
  TcxEditLifeGuard guard(this);
  inherited::Click();
  if (TcxCustomTextEdit* c = Container(); c && guard.Alive()) c->InnerClick();
}

bool TcxCustomInnerTextEdit::ExecuteAction(TBasicAction* Action) {
  TWeakLink self(this);
  if (inherited::ExecuteAction(Action)) return true;
  TcxCustomTextEdit* c = self.Alive() ? Container() : nullptr;
  return c && c->DataBinding() && c->DataBinding()->ExecuteAction(Action);
}

bool TcxCustomInnerTextEdit::UpdateAction(TBasicAction* Action) {
  TWeakLink self(this);
  if (inherited::UpdateAction(Action)) return true;
  TcxCustomTextEdit* c = self.Alive() ? Container() : nullptr;
  return c && c->DataBinding() && c->DataBinding()->UpdateAction(Action);
}

void TcxCustomInnerTextEdit::DblClick() {
  TcxEditLifeGuard guard(this);
  inherited::DblClick();
  if (TcxCustomTextEdit* c = Container(); c && guard.Alive()) c->InnerDblClick();
}

TL_DEFINE_CLASS(TcxCustomInnerTextEdit, [](auto&) {});

// ---- text editor ----

void TcxCustomTextEdit::Initialize() {
  inherited::Initialize();
  FBeepOnEnter = true;
  FInnerEditShowing = false;
  if (TcxCustomInnerTextEdit* inner = InnerTextEdit()) {
    inner->SetColor(clWindow);
    inner->SetOnChange({this, &TcxCustomTextEdit::InnerChanged});
  }
  SetBounds(GetLeft(), GetTop(), 121, 21);
  if (const TcxCustomTextEditLookupDataClass c = ActiveProperties()->GetLookupDataClass(); c.Class) {
    FLookupData = c.Create(this);
    FLookupData->OnCurrentKeyChanged = {this, &TcxCustomTextEdit::LookupDataChanged};
  }
  if (!FListeningFormats) cxGetFormatController()->AddListener(this);
  FListeningFormats = true;
  PropertiesChanged(nullptr);
}

void TcxCustomTextEdit::BeforeDestruction() {
  if (InnerTextEdit()) FSavedText = EditText();
  if (FListeningFormats) cxGetFormatController()->RemoveListener(this);
  FListeningFormats = false;
  FreeAndNil(FLookupData);
  inherited::BeforeDestruction();
}

TcxCustomEditPropertiesClass TcxCustomTextEdit::GetPropertiesClass() {
  return ClassOf<TcxCustomTextEditProperties, TcxCustomEditProperties, TPersistent*>();
}

TMetaClass<TWinControl, TComponent*> TcxCustomTextEdit::GetInnerEditClass() const {
  return ClassOf<TcxCustomInnerTextEdit, TWinControl, TComponent*>();
}

String TcxCustomTextEdit::EditText() {
  TcxCustomInnerTextEdit* inner = InnerTextEdit();
  return inner ? inner->GetText() : FSavedText;
}

Variant TcxCustomTextEdit::GetDisplayValue() { return Variant(EditText()); }

void TcxCustomTextEdit::SetInternalDisplayValue(const Variant& Value) {
  TcxCustomInnerTextEdit* inner = InnerTextEdit();
  if (!inner) return;
  // An empty text is no new item: clearing the editor tells nobody. Nor is the text already
  // shown (the display refreshed), nor one read while loading: no event fires then.
  if (ActiveProperties()->GetEditingStyle() == TcxEditEditingStyle::esEdit && UsesLookup() &&
      !InState(TComponentStateItem::csLoading) && !InState(TComponentStateItem::csDestroying)) {
    const String text = VarToStr(Value);
    if (!text.empty() && text != inner->GetText() && !ActiveProperties()->FindLookupText(text)) {
      TcxEditLifeGuard guard(this);
      DoOnNewLookupDisplayText(text);
      if (!guard.Alive() || !InnerTextEdit()) return;
    }
  }
  SetDisplayIsEditValue(false);
  {
    TScopedValue<bool> syncing(FSyncing, true);
    inner->SetText(VarToStr(Value));
  }
  TcxEditLifeGuard guard(this);
  SyncLookupWithDisplayValue();
  if (guard.Alive()) UpdateDrawValue();
}

void TcxCustomTextEdit::SyncLookupWithDisplayValue() {
  if (UsesLookup()) FLookupData->SyncWithEditText();
}

void TcxCustomTextEdit::SynchronizeDisplayValue() {
  Variant dv;
  // The value's text may come from a text handler (a lookup's list), which may free this.
  TcxEditLifeGuard guard(this);
  ActiveProperties()->PrepareDisplayValue(EditValue(), dv, IsFocused());
  if (!guard.Alive()) return;
  SetInternalDisplayValue(dv);
  if (!guard.Alive()) return;
  // The inner edit now shows the string edit value itself: it may be extended in place.
  const String* value = EditValue().StringData();
  const String* shown = dv.StringData();
  TcxCustomInnerTextEdit* inner = InnerTextEdit();
  if (value && shown && inner && inner->HandleAllocated() && *value == *shown &&
      size_t(inner->Perform(WM_GETTEXTLENGTH)) == value->size())
    SetDisplayIsEditValue(true);
}

bool TcxCustomTextEdit::CanAppendEditText(const String& ATail) {
  TcxCustomInnerTextEdit* inner = InnerTextEdit();
  if (ATail.empty() || !inner || !inner->HandleAllocated() || !DisplayIsEditValue() || IsUserInput() ||
      IsEditValueSettingLocked() || IsDestroying())
    return false;
  TcxCustomTextEditProperties* p = ActiveProperties();
  // A numeric kind formats its value; a new text may be news to the lookup items.
  if (p->IsEditValueNumeric() || (p->GetEditingStyle() == TcxEditEditingStyle::esEdit && UsesLookup())) return false;
  const String* value = EditValue().StringData();
  if (!value) return false;
  // A single line that does not scroll takes only what fits; a text set at once is whole.
  const DWORD style = DWORD(GetWindowLongA(inner->GetHandle(), GWL_STYLE));
  if (!(style & (ES_MULTILINE | ES_AUTOHSCROLL))) return false;
  // The text set at once ignores the length limit; an insert would be cut by it.
  TMessage limit{EM_GETLIMITTEXT, 0, 0, 0};
  inner->CallDefWndProc(limit);
  const size_t length = size_t(inner->Perform(WM_GETTEXTLENGTH));
  return length == value->size() && limit.Result >= 0 && size_t(limit.Result) >= length &&
         size_t(limit.Result) - length >= ATail.size();
}

bool TcxCustomTextEdit::AppendEditText(const String& ATail) {
  if (!CanAppendEditText(ATail)) return false;
  InternalAppendEditValue(ATail);
  return true;
}

void TcxCustomTextEdit::AppendDisplayValue(const String& ATail) {
  TcxCustomInnerTextEdit* inner = InnerTextEdit();
  if (!inner) return;
  const size_t before = size_t(inner->Perform(WM_GETTEXTLENGTH));
  TcxEditLifeGuard guard(this);
  {
    TWatchedValue<bool> syncing(this, FSyncing, true);
    inner->AppendText(ATail);
  }
  if (!guard.Alive()) return;
  UpdateDrawValue(before, ATail);
}

void TcxCustomTextEdit::PrepareEditValue(const Variant& ADisplayValue, Variant& AEditValue, bool) {
  AEditValue = ActiveProperties()->TextToEditValue(VarToStr(ADisplayValue));
}

// The value is stored with the modified flags kept: posting still sees the text as edited.
void TcxCustomTextEdit::ApplyDisplayValue(const Variant& ADisplayValue) {
  Variant value;
  auto modifiedFlags = WatchedPairedCall(
      this, [this] { SaveModifiedFlags(); }, [this] { RestoreModifiedFlags(); });
  PrepareEditValue(ADisplayValue, value, IsFocused());
  InternalSetEditValue(value);
}

bool TcxCustomTextEdit::SetDisplayText(const String& AText) {
  // One line: whatever follows a line break never reaches the text.
  String text = AText;
  if (const size_t br = text.find_first_of("\r\n"); br != String::npos) text.resize(br);
  Variant v(text);
  if (!ActiveProperties()->IsTextEditValueValid(v, IsFocused())) return false;
  TcxEditLifeGuard guard(this);
  SetInternalDisplayValue(Variant(text));
  // A text set rather than typed is the value at once: shown again later, it stays.
  if (guard.Alive() && InnerTextEdit() && DataBinding()) SynchronizeEditValue();
  return true;
}

void TcxCustomTextEdit::SynchronizeEditValue() {
  Variant value;
  const bool editing = IsUserInput() || DataBinding()->IsEditing();
  try {
    PrepareEditValue(GetDisplayValue(), value, IsFocused());
  } catch (const Exception&) {
    // A text the kind cannot convert waits, as typed, for the validation to report it.
    SetDisplayValueModified(true);
    return;
  }
  StoreEditValueFromDisplay(value, editing);
}

// What the user typed changes the display text; the events fire once, after the view follows.
void TcxCustomTextEdit::InnerChanged(TObject*) {
  if (FSyncing) return;
  SetDisplayIsEditValue(false);
  auto lock = WatchedPairedCall(
      this, [this] { LockChangeEvents(true); }, [this] { LockChangeEvents(false, true); });
  ChangeHandler(this);
  if (lock.Alive()) RegroupDigits();
  if (lock.Alive()) UpdateDrawValue();
}

// A number typed into a kind that groups digits while editing is regrouped at once, the
// caret staying after the same digit.
void TcxCustomTextEdit::RegroupDigits() {
  TcxCustomTextEditProperties* p = ActiveProperties();
  TcxCustomInnerTextEdit* inner = InnerTextEdit();
  if (!inner || !IsFocused() || !p->IsDigitGroupingWhileEditing() || !p->IsEditValueNumeric()) return;
  String text = EditText();
  Integer caret = inner->GetSelStart();
  if (!cxRegroupThousandSeparators(text, caret) || text == EditText()) return;
  SetInternalDisplayValue(Variant(text));
  inner->SetSelStart(caret);
}

// ---- settings ----

void TcxCustomTextEdit::PropertiesChanged(TObject* Sender) {
  TcxCustomInnerTextEdit* inner = InnerTextEdit();
  if (!inner || IsDestroying() || InState(TComponentStateItem::csDestroying)) return;
  TcxCustomTextEditProperties* p = ActiveProperties();
  if (UsesLookup()) {
    // The list's handlers run as it is read: one may free this editor.
    TcxEditLifeGuard lookup(this);
    FLookupData->RefreshList();
    if (!lookup.Alive()) return;
    if (!FIsLookupSelecting) FLookupData->SyncWithEditText();
    if (!lookup.Alive()) return;
  }
  inner->SetAlignment(p->GetAlignment()->GetHorz());
  if (!IsInplace()) inner->SetInnerAutoSelect(p->GetAutoSelect());
  inner->SetCharCase(p->GetCharCase());
  inner->SetEchoMode(p->GetEchoMode());
  inner->SetHideSelection(p->GetHideSelection());
  inner->SetImeMode(p->GetImeMode());
  inner->SetImeName(p->GetImeName());
  SetImeMode(p->GetImeMode());
  SetImeName(p->GetImeName());
  inner->SetMaxLength(std::max<Integer>(0, p->GetMaxLength()));
  inner->SetOEMConvert(p->GetOEMConvert());
  inner->SetPasswordChar(p->GetPasswordChar());
  CheckValueBounds();
  if (!InnerTextEdit()) return;
  // A new format or case shows at once; text being edited is left as typed.
  if (!IsFocused() && !InState(TComponentStateItem::csLoading)) SynchronizeDisplayValue();
  TcxEditLifeGuard guard(this);  // placing the inner edit runs its OnResize
  inherited::PropertiesChanged(Sender);
  if (guard.Alive()) UpdateDrawValue();
}

bool TcxCustomTextEdit::ShowsTextByInnerEdit() {
  const TcxEditEditingStyle s = ActiveProperties()->GetEditingStyle();
  if (s == TcxEditEditingStyle::esFixedList || s == TcxEditEditingStyle::esNoEdit) return false;
  if (InState(TComponentStateItem::csDesigning)) return false;
  return true;
}

void TcxCustomTextEdit::UpdateInnerEditColors() { inherited::AdjustInnerControl(); }

void TcxCustomTextEdit::SetInnerEditShowing(bool AValue) {
  if (!HandleAllocated() || FInnerEditShowing == AValue) return;
  FInnerEditShowing = AValue;
  TcxEditLifeGuard guard(this);  // placing the inner edit runs its OnResize
  RecalcViewAtCursor();
  if (guard.Alive()) UpdateDrawValue();
}

void TcxCustomTextEdit::UpdateDrawValue() { UpdateDrawValue(String::npos, String()); }

void TcxCustomTextEdit::UpdateDrawValue(size_t AKeptLength, const String& ATail) {
  if (!HandleAllocated()) return;
  if (auto* vi = dynamic_cast<TcxCustomTextEditViewInfo*>(EditViewInfo())) {
    // The display text is made a character at a time: the text kept shows as it did, and
    // only the tail is added to it.
    if (AKeptLength != String::npos && vi == FDrawValueViewInfo && vi->Text.size() == AKeptLength) {
      String tail = ATail;
      ActiveProperties()->DisplayValueToDisplayText(tail);
      vi->Text += tail;
    } else {
      String text = EditText();
      ActiveProperties()->DisplayValueToDisplayText(text);
      vi->Text = std::move(text);
    }
    FDrawValueViewInfo = vi;
    vi->SelStart = 0;
    vi->SelLength = 0;
    // A fixed list draws its text itself: the search highlight is painted as the selection.
    TcxCustomTextEditProperties* p = ActiveProperties();
    if (p->GetEditingStyle() == TcxEditEditingStyle::esFixedList && FInnerEditShowing &&
        p->GetAccumulateFixedListTyping()) {
      if (TcxCustomInnerTextEdit* inner = InnerTextEdit()) {
        vi->SelStart = inner->GetSelStart();
        vi->SelLength = inner->GetSelLength();
      }
    }
  }
  const RECT r{0, 0, GetWidth(), GetHeight()};
  ::InvalidateRect(GetHandle(), &r, FALSE);
}

void TcxCustomTextEdit::AdjustInnerEditPosition() {
  TcxCustomInnerTextEdit* inner = InnerTextEdit();
  auto* vi = dynamic_cast<TcxCustomTextEditViewInfo*>(EditViewInfo());
  if (!inner || !vi || FAdjusting) return;
  // The inner editor's resize handlers may raise or free the editor.
  TWatchedValue<bool> adjusting(this, FAdjusting, true);
  TRect r = vi->TextRect;
  if (r.IsEmpty()) r = vi->ClientRect;
  if (IsInplace()) {
    r.Top += 1;
    r.Bottom -= 1;
  }
  const TRect now{inner->GetLeft(), inner->GetTop(), inner->GetLeft() + inner->GetWidth(),
                  inner->GetTop() + inner->GetHeight()};
  if (!(now == r)) {
    inner->LockBounds(false);
    inner->SetBounds(r.Left, r.Top, std::max(0, r.Width()), std::max(0, r.Height()));
  }
}

// ---- keys ----

bool TcxCustomTextEdit::KeepsNavigationKeys(Word Key, TShiftState) {
  // The vertical keys stay when they may step the lookup items (handled below).
  if (Key == VK_PRIOR || Key == VK_NEXT || Key == VK_UP || Key == VK_DOWN)
    return UsesLookup() && CanNavigateLookupItems();
  return Key == VK_LEFT || Key == VK_RIGHT || Key == VK_HOME || Key == VK_END;
}

bool TcxCustomTextEdit::IsEditorKey(Word Key, TShiftState Shift) {
  if (inherited::IsEditorKey(Key, Shift) || Key == VK_DELETE) return true;
  if (!UsesLookup() || !CanNavigateLookupItems() || HasShownPopup()) return false;
  if (Key == VK_PRIOR || Key == VK_NEXT) return true;
  return (Key == VK_UP || Key == VK_DOWN) && !Shift.Contains(TShiftStateItem::ssAlt);
}

bool TcxCustomTextEdit::GoLookup(Integer ADirection) {
  const Variant before = FLookupData->GetCurrentKey();
  TcxEditLifeGuard guard(this);
  // The change events are held to the end, the click only while the lookup steps.
  auto changeLock = WatchedPairedCall(
      this, [this] { LockChangeEvents(true); }, [this] { LockChangeEvents(false); });
  bool moved = false;
  {
    auto clickLock = WatchedPairedCall(
        this, [this] { LockClick(true); }, [this] { LockClick(false); });
    FLookupData->Go(ADirection, false);
    moved = guard.Alive() && !cxVariantsEqualLoose(before, FLookupData->GetCurrentKey());
  }
  if (!guard.Alive()) return false;
  if (moved) {
    SetModifiedAndClick();
    Variant v(EditText());
    if (guard.Alive() && ActiveProperties()->GetImmediatePost() &&
        ActiveProperties()->IsTextEditValueValid(v, IsFocused()) && CanPostEditValue())
      PostEditValue(true);
  }
  return moved;
}

bool TcxCustomTextEdit::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) {
  if (inherited::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
  if (!CanNavigateLookupItems(true) || HasShownPopup() || !UsesLookup() || !CheckInplaceFlags(0)) return false;
  GoLookup(WheelDelta <= 0 ? cxLookupGoNext : cxLookupGoPrior);
  return true;
}

namespace {

// A key the editor spent stays marked on the inner edit, which then leaves it alone; a key
// passed on, or an error, clears the mark. A handler that freed the editor freed the inner
// edit with it: nothing is left to clear.
template <class K>
auto InternalUpdatingEnd(TcxCustomInnerTextEdit* AInner, K& AKey) {
  return TWatchedScopeEnd(AInner, [AInner, &AKey](bool AEndedNormally) {
    if (!AEndedNormally || AKey != 0) AInner->SetInternalUpdating(false);
  });
}

}  // namespace

void TcxCustomTextEdit::DoEditKeyDown(Word& Key, TShiftState Shift) {
  TcxCustomInnerTextEdit* inner = InnerTextEdit();
  const TcxEditEditingStyle style = ActiveProperties()->GetEditingStyle();
  TcxEditLifeGuard guard(this);
  if (style == TcxEditEditingStyle::esFixedList && (Key == VK_LEFT || Key == VK_RIGHT || Key == VK_DELETE)) {
    SetInnerEditShowing(false);
    DoAfterKeyDown(Key, Shift);
    if (guard.Alive()) Key = 0;
    return;
  }
  if (inner) inner->SetInternalUpdating(true);
  auto updating = InternalUpdatingEnd(inner, Key);
  const Word was = Key;
  inherited::DoEditKeyDown(Key, Shift);
  if (!guard.Alive()) return;
  if (was == VK_RETURN && FInnerEditShowing) SelectAll();
  if (Key == 0) return;
  // The vertical keys (and Home and End of a fixed list) step the lookup items.
  const bool ctrl = Shift.Contains(TShiftStateItem::ssCtrl);
  Integer dir = -1;
  switch (Key) {
    case VK_PRIOR: dir = ctrl ? cxLookupGoFirst : cxLookupGoPageUp; break;
    case VK_NEXT: dir = ctrl ? cxLookupGoLast : cxLookupGoPageDown; break;
    case VK_UP: dir = cxLookupGoPrior; break;
    case VK_DOWN: dir = cxLookupGoNext; break;
    case VK_HOME: if (style == TcxEditEditingStyle::esFixedList) dir = cxLookupGoFirst; break;
    case VK_END: if (style == TcxEditEditingStyle::esFixedList) dir = cxLookupGoLast; break;
    default: break;
  }
  if (dir >= 0) {
    if (UsesLookup() && CanNavigateLookupItems() && GoLookup(dir)) {
      if (guard.Alive()) Key = 0;
      return;
    }
    if (!guard.Alive()) return;
    if (Key != VK_HOME && Key != VK_END) {
      DoAfterKeyDown(Key, Shift);
      if (guard.Alive()) Key = 0;
      return;
    }
  }
  // Left and Right collapse a selection to its near end rather than moving from the caret.
  if ((Key == VK_LEFT || Key == VK_RIGHT) && !Shift.Contains(TShiftStateItem::ssShift) &&
      GetSelLength() > 0) {
    const Integer start = GetSelStart();
    SetSelStartAndLength(Key == VK_LEFT ? start : start + GetSelLength(), 0);
    SetInnerEditShowing(false);
    Key = 0;
    return;
  }
  // An edit list takes only its items' texts: Delete edits nothing there.
  if (Key == VK_DELETE && style == TcxEditEditingStyle::esEditList) {
    DoAfterKeyDown(Key, Shift);
    if (guard.Alive()) Key = 0;
    return;
  }
  if (Key == VK_LEFT || Key == VK_RIGHT || Key == VK_DELETE) SetInnerEditShowing(false);
  if (Key == VK_END && GetSelLength() == 0 && style != TcxEditEditingStyle::esFixedList)
    SetInnerEditShowing(false);
}

void TcxCustomTextEdit::CheckValueBounds() {
  TcxCustomTextEditProperties* p = ActiveProperties();
  if (!DataBinding() || !DataBinding()->CanModify() || !p->IsEditValueNumeric() || !p->IsValueBoundDefined())
    return;
  if (IsInnerEditNotReady() || InState(TComponentStateItem::csLoading)) return;
  ValueBoundsHook();
}

void TcxCustomTextEdit::DoOnNewLookupDisplayText(const String& AText) {
  auto* own = static_cast<TcxCustomTextEditProperties*>(GetProperties());
  TcxEditLifeGuard guard(this);
  if (own && own->OnNewLookupDisplayText) own->OnNewLookupDisplayText(this, AText);
  if (!guard.Alive()) return;
  if (TcxEditRepositoryItem* item = GetRepositoryItem()) {
    auto* linked = dynamic_cast<TcxCustomTextEditProperties*>(item->GetProperties());
    if (linked && linked != own && linked->OnNewLookupDisplayText) linked->OnNewLookupDisplayText(this, AText);
  }
}

Integer TcxCustomTextEdit::GetInnerEditTextHeight() {
  TcxCustomInnerTextEdit* inner = InnerTextEdit();
  return cxScreenCanvas()->FontHeight(inner ? inner->GetFont() : GetFont());
}

void TcxCustomTextEdit::FormatChanged() {
  if (IsInnerEditNotReady() || IsFocused() || InState(TComponentStateItem::csLoading)) return;
  SynchronizeDisplayValue();
}

bool TcxCustomTextEdit::UsesLookup() {
  return FLookupData && ActiveProperties()->UseLookupData() && FLookupData->GetItemCount() > 0;
}

void TcxCustomTextEdit::DoEditKeyPress(Char& Key) {
  TcxCustomInnerTextEdit* inner = InnerTextEdit();
  if (inner) inner->SetInternalUpdating(true);
  auto updating = InternalUpdatingEnd(inner, Key);
  TcxEditLifeGuard guard(this);
  inherited::DoEditKeyPress(Key);
  if (!guard.Alive() || Key == 0) return;
  TcxCustomTextEditProperties* p = ActiveProperties();
  const TcxEditEditingStyle style = p->GetEditingStyle();
  FIsLookupSelecting = false;
  bool found = false;
  AsUserInput([&] {
    if (style == TcxEditEditingStyle::esFixedList && Key == Char(8) && !p->GetAccumulateFixedListTyping()) {
      Key = 0;
      SetInnerEditShowing(false);
      return;
    }
    const Variant previousKey = FLookupData ? FLookupData->GetCurrentKey() : Variant();
    {
      // The search's own selection is no click: the click, if any, comes once it is done.
      // An OnChange raised by the search must not leave the clicks locked.
      auto clickLock = WatchedPairedCall(
          this, [this] { LockClick(true); }, [this] { LockClick(false); });
      const String text = EditText();
      const Integer start = GetSelStart(), len = GetSelLength();
      const bool search = UsesLookup() && p->CanIncrementalSearch();
      const bool wasShowing = FInnerEditShowing;
      if (Key == Char(8) && search) {
        // In an edit list Backspace first turns the rest of the text into the completion.
        if (style == TcxEditEditingStyle::esEditList && !FInnerEditShowing && start > 0) {
          SetSelStartAndLength(start, Integer(text.size()) - start);
          SetInnerEditShowing(true);
        }
        // With a completion showing, the typed part loses its last character and is looked up
        // again; a typed part left empty clears the text.
        if (FInnerEditShowing && start > 0) {
          found = IncrementalSearch(text.substr(0, size_t(start - 1)));
          if (!guard.Alive()) return;
          if (start == 1) Key = 0;
        }
        if (style == TcxEditEditingStyle::esFixedList) Key = 0;
      } else if (Byte(Key) >= 32 && search &&
                 (style != TcxEditEditingStyle::esEdit || len > 0 || FInnerEditShowing ||
                  start == Integer(text.size()))) {
        FIsLookupSelecting = true;
        String candidate;
        if (len > 0) candidate = text.substr(0, size_t(start)) + Key;
        else if (style == TcxEditEditingStyle::esFixedList) candidate = FInnerEditShowing ? text + Key : String(1, Key);
        else candidate = String(text).insert(size_t(start), 1, Key);
        found = IncrementalSearch(candidate);
        if (!guard.Alive()) return;
        if (!found && style == TcxEditEditingStyle::esFixedList) found = IncrementalSearch(String(1, Key));
        if (!guard.Alive()) return;
        if (!found && style != TcxEditEditingStyle::esEdit) {
          Key = 0;
          if (style == TcxEditEditingStyle::esEditList && !EditText().empty()) SetInnerEditShowing(true);
          // A miss keeps the letters typed so far highlighted.
          if (style == TcxEditEditingStyle::esFixedList && p->GetAccumulateFixedListTyping() && wasShowing)
            SetInnerEditShowing(true);
        }
      }
    }
    if (FLookupData && !cxVariantsEqualLoose(FLookupData->GetCurrentKey(), previousKey)) SetModifiedAndClick();
  });
  if (!guard.Alive()) return;
  if (found) Key = 0;
}

bool TcxCustomTextEdit::IncrementalSearch(String T) {
  TcxCustomInnerTextEdit* inner = InnerTextEdit();
  if (!FLookupData || !inner) return false;
  String tail;
  // The search reads the list's texts, and a text set runs OnChange: either handler may free
  // the editor.
  TWeakLink self(this);
  const bool found = !T.empty() && FLookupData->Locate(T, tail, false, false);
  if (!self.Alive()) return false;
  if (T.empty() && ActiveProperties()->GetEditingStyle() != TcxEditEditingStyle::esFixedList) inner->SetText("");
  if (!self.Alive()) return false;
  if (found) {
    // The typed part takes the item's own letters; the completion stays selected.
    inner->SetText(T + tail);
    if (!self.Alive()) return found;
    inner->SetSelStart(Integer(T.size()));
    inner->SetSelLength(Integer(tail.size()));
  }
  if (HandleAllocated()) FInnerEditShowing = found;
  UpdateDrawValue();
  return found;
}

void TcxCustomTextEdit::LookupDataChanged(TObject*) {
  if (!FLookupData) return;
  String text;
  // The key's text may come from a text handler (a lookup's list), which may free this.
  TcxEditLifeGuard guard(this);
  FLookupData->GetDisplayText(FLookupData->GetCurrentKey(), text);
  if (!guard.Alive() || text == EditText()) return;
  const bool editing = DoEditing();
  if (!guard.Alive() || !editing) return;
  SaveModifiedFlags();
  SetInternalDisplayValue(Variant(text));
  if (!guard.Alive()) return;
  RestoreModifiedFlags();
  SetModifiedAndClick();
  if (!guard.Alive()) return;
  SelectAll();
  RecalcViewAtCursor();
}

// ---- selection ----

Integer TcxCustomTextEdit::GetSelStart() {
  TcxCustomInnerTextEdit* inner = InnerTextEdit();
  const TcxEditEditingStyle s = ActiveProperties()->GetEditingStyle();
  if (!inner || s == TcxEditEditingStyle::esNoEdit || (s == TcxEditEditingStyle::esFixedList && !FInnerEditShowing))
    return 0;
  return inner->GetSelStart();
}

Integer TcxCustomTextEdit::GetSelLength() {
  TcxCustomInnerTextEdit* inner = InnerTextEdit();
  const TcxEditEditingStyle s = ActiveProperties()->GetEditingStyle();
  if (!inner || s == TcxEditEditingStyle::esNoEdit || (s == TcxEditEditingStyle::esFixedList && !FInnerEditShowing))
    return 0;
  return inner->GetSelLength();
}

String TcxCustomTextEdit::GetSelText() {
  const Integer start = GetSelStart(), len = GetSelLength();
  const String text = EditText();
  if (len <= 0 || start >= Integer(text.size())) return {};
  return text.substr(size_t(start), size_t(len));
}

void TcxCustomTextEdit::SetSelStart(Integer Value) {
  if (ActiveProperties()->GetEditingStyle() == TcxEditEditingStyle::esNoEdit) return;
  if (TcxCustomInnerTextEdit* inner = InnerTextEdit()) inner->SetSelStart(Value);
}

void TcxCustomTextEdit::SetSelLength(Integer Value) {
  if (ActiveProperties()->GetEditingStyle() == TcxEditEditingStyle::esNoEdit) return;
  if (TcxCustomInnerTextEdit* inner = InnerTextEdit()) inner->SetSelLength(Value);
}

void TcxCustomTextEdit::SetSelStartAndLength(Integer AStart, Integer ALength) {
  SetSelStart(AStart);
  SetSelLength(ALength);
}

void TcxCustomTextEdit::SetSelText(const String& Value) {
  String text;
  Integer caret = 0;
  if (!CanChangeSelText(Value, text, caret)) return;
  TcxEditLifeGuard guard(this);  // the change handlers may free the editor
  if (!SetDisplayText(text) || !guard.Alive()) return;
  SetSelStartAndLength(caret, 0);
}

void TcxCustomTextEdit::SelectAll() {
  if (TcxCustomInnerTextEdit* inner = InnerTextEdit()) inner->SelectAll();
}

void TcxCustomTextEdit::ClearSelection() {
  const Integer start = GetSelStart(), len = GetSelLength();
  if (len <= 0) return;
  String text = EditText();
  text.erase(size_t(start), size_t(len));
  if (SetDisplayText(text)) SetSelStartAndLength(start, 0);
}

bool TcxCustomTextEdit::CanChangeSelText(const String& AText, String& ANewText, Integer& ANewSelStart) {
  TcxCustomTextEditProperties* p = ActiveProperties();
  const TcxEditEditingStyle style = p->GetEditingStyle();
  if (IsUserInput() && style == TcxEditEditingStyle::esNoEdit) return false;
  TcxCustomInnerTextEdit* inner = InnerTextEdit();
  if (!inner) return false;
  if (style == TcxEditEditingStyle::esFixedList || style == TcxEditEditingStyle::esNoEdit) SelectAll();
  const String text = EditText();
  // The inner edit's own selection: without a cursor the editor reports none, yet the whole
  // text, just selected, is what the new text replaces.
  const Integer start = std::clamp<Integer>(inner->GetSelStart(), 0, Integer(text.size()));
  const Integer end = std::clamp<Integer>(start + inner->GetSelLength(), start, Integer(text.size()));
  const Integer limit = p->GetMaxLength();
  if (IsUserInput() && style == TcxEditEditingStyle::esEdit && limit >= 1) {
    String head = text.substr(0, size_t(start)) + AText;
    if (Integer(head.size()) > limit) head.resize(size_t(limit));
    if (Integer(head.size()) < start) return false;
    ANewText = head + text.substr(size_t(end));
    if (Integer(ANewText.size()) > limit) ANewText.resize(size_t(limit));
    ANewSelStart = Integer(head.size());
  } else if (style == TcxEditEditingStyle::esFixedList) {
    ANewText = AText;
    ANewSelStart = Integer(AText.size());
  } else {
    ANewText = text.substr(0, size_t(start)) + AText + text.substr(size_t(end));
    ANewSelStart = start + Integer(AText.size());
  }
  Variant v(ANewText);
  if (!p->IsTextEditValueValid(v, IsFocused())) return false;
  if (IsUserInput() && !DoEditing()) return false;
  ANewText = VarToStr(v);
  return true;
}

// ---- clipboard ----

void TcxCustomTextEdit::CopyToClipboard() {
  const TcxEditEditingStyle s = ActiveProperties()->GetEditingStyle();
  if (s == TcxEditEditingStyle::esFixedList || s == TcxEditEditingStyle::esNoEdit) SelectAll();
  TcxCustomInnerTextEdit* inner = InnerTextEdit();
  // The inner edit's own selection: a list or a text without a cursor reports none.
  if (inner && inner->GetSelLength() > 0) inner->CopyToClipboard();
}

void TcxCustomTextEdit::CutToClipboard() {
  TcxCustomInnerTextEdit* inner = InnerTextEdit();
  if (!inner || GetSelLength() == 0) return;
  if (IsUserInput()) {
    String text;
    Integer caret = 0;
    if (!CanChangeSelText("", text, caret)) return;
    TMessage m{WM_CUT, 0, 0, 0};
    inner->CallDefWndProc(m);
  } else {
    inner->CopyToClipboard();
    SetSelText("");
  }
}

void TcxCustomTextEdit::PasteFromClipboard() {
  TcxCustomInnerTextEdit* inner = InnerTextEdit();
  if (!inner || !Clipboard->HasFormat(CF_TEXT)) return;
  String pasted = Clipboard->GetAsText();
  // A single-line text ends at its first line break.
  if (const size_t br = pasted.find_first_of("\r\n"); br != String::npos) pasted.resize(br);
  if (IsUserInput()) {
    String text;
    Integer caret = 0;
    if (!CanChangeSelText(pasted, text, caret)) return;
    TMessage m{WM_PASTE, 0, 0, 0};
    inner->CallDefWndProc(m);
  } else {
    SetSelText(pasted);
  }
}

void TcxCustomTextEdit::InnerCut() {
  AsUserInput([&] {
    if (InnerTextEdit()->TCustomEdit::GetReadOnly()) CopyToClipboard();
    else CutToClipboard();
  });
}

void TcxCustomTextEdit::InnerMouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  InnerControlMouseDown = true;
  TWatchedScopeExit reset(this, [this] { InnerControlMouseDown = false; });
  MouseDown(Button, Shift, X, Y);
}

void TcxCustomTextEdit::InnerClear() { AsUserInput([&] { ClearSelection(); }); }

void TcxCustomTextEdit::InnerPaste() { AsUserInput([&] { PasteFromClipboard(); }); }

// ---- activation and messages ----

void TcxCustomTextEdit::Activate(TcxCustomEditData*& AEditData) {
  TcxEditLifeGuard guard(this);
  inherited::Activate(AEditData);
  if (!guard.Alive() || !HandleAllocated()) return;
  SetSelStart(0);
  if (ActiveProperties()->GetAutoSelect()) SelectAll();
}

void TcxCustomTextEdit::InnerEditWndProc(TMessage& Message) {
  inherited::InnerEditWndProc(Message);
  TcxCustomInnerTextEdit* inner = InnerTextEdit();
  if (Message.Msg == WM_SETFOCUS && inner && inner->GetInnerAutoSelect()) SelectAll();
}

void TcxCustomTextEdit::UnhookInnerEditWndProc() {
  inherited::UnhookInnerEditWndProc();
}

void TcxCustomTextEdit::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_GETTEXT: {
      // No room, not even for the terminator: nothing is copied.
      char* out = reinterpret_cast<char*>(Message.LParam);
      const Integer size = Integer(Message.WParam);
      if (size <= 0 || !out) {
        Message.Result = 0;
        return;
      }
      const String text = GetProperties() ? EditText() : FSavedText;
      const Integer n = std::min<Integer>(Integer(text.size()), size - 1);
      std::copy_n(text.data(), size_t(n), out);
      out[n] = 0;
      Message.Result = n;
      return;
    }
    case WM_GETTEXTLENGTH:
      Message.Result = LRESULT((GetProperties() ? EditText() : FSavedText).size());
      return;
    case WM_SETTEXT:
      if (FSettingText) break;
      {
        TWatchedValue<bool> settingText(this, FSettingText, true);  // OnChange may free the editor
        const char* t = reinterpret_cast<const char*>(Message.LParam);
        Message.Result = SetDisplayText(t ? String(t) : String()) ? 1 : 0;
      }
      return;
    case WM_CLEAR:
      if (!ActiveProperties()->GetReadOnly() && DataBinding()->CanModify()) AsUserInput([&] { ClearSelection(); });
      Message.Result = 0;
      return;
    default:
      break;
  }
  inherited::WndProc(Message);
}

// ---- the published editor ----

TcxCustomEditPropertiesClass TcxTextEdit::GetPropertiesClass() {
  return ClassOf<TcxTextEditProperties, TcxCustomEditProperties, TPersistent*>();
}

TcxCustomEditClass TcxTextEditProperties::GetContainerClass() const {
  return ClassOf<TcxTextEdit, TcxCustomEdit, TComponent*, bool>();
}

TL_DEFINE_CLASS(TcxCustomTextEdit, [](auto&) {});
TL_DEFINE_CLASS(TcxTextEdit, [](auto& c) {
  using T = TcxTextEdit;
  c.Property("BeepOnEnter", &T::GetBeepOnEnter, &T::SetBeepOnEnter).Default(true);
  c.Property("Properties", &T::GetTextProperties);
  c.Property("Text", &T::GetText, &T::SetValueText);
});

namespace cxTextEditControl {

namespace {
UnitCounter gTextEdit;
}  // namespace

void Initialize() {
  if (!gTextEdit.Enter()) return;
  cxRegisterEditor(TcxTextEditProperties::StaticClass(),
                   "TextEdit|Represents a single line text editor", TcxTextEdit::StaticClass());
}

void Finalize() {
  if (!gTextEdit.Leave()) return;
  cxUnregisterEditor(TcxTextEditProperties::StaticClass(), TcxTextEdit::StaticClass());
}

}  // namespace cxTextEditControl
