// The spin edit control: value access, typing, spin keys, buttons with auto-repeat, the
// wheel and the clipboard rules.
#include "widgets/editors/cxSpinEdit.h"

#include "classlib/core/ScopeGuards.h"
#include "classlib/core/SysUtils.h"
#include "classlib/visual/Forms.h"
#include "platform/kernel/Units.h"
#include "widgets/editcore/cxEditRegisteredRepositoryItems.h"
#include "widgets/foundation/cxVariants.h"

const TResStringRec cxSSpinEditInvalidNumericValue = {65411, "Invalid numeric value"};

namespace {

using B = TcxSpinEditButton;

constexpr Cardinal kRepeatFirstDelay = 400;
constexpr Cardinal kRepeatInterval = 100;

// Keys that change the text without a character: refused while the text cannot be edited.
bool IsTextChangingKey(Word Key, TShiftState Shift) {
  return Key == VK_DELETE || (Key == VK_INSERT && Shift.Contains(TShiftStateItem::ssShift));
}

}  // namespace

// ---- life ----

TcxCustomEditPropertiesClass TcxCustomSpinEdit::GetPropertiesClass() {
  return ClassOf<TcxCustomSpinEditProperties, TcxCustomEditProperties, TPersistent*>();
}

TcxCustomEditPropertiesClass TcxSpinEdit::GetPropertiesClass() {
  return ClassOf<TcxSpinEditProperties, TcxCustomEditProperties, TPersistent*>();
}

void TcxCustomSpinEdit::Initialize() {
  inherited::Initialize();
  SetEditValue(Variant(Integer(0)));
  FPressedState = 0;
}

void TcxCustomSpinEdit::BeforeDestruction() {
  FreeAndNil(FTimer);
  inherited::BeforeDestruction();
}

void TcxCustomSpinEdit::InitializeViewData(TcxCustomEditViewData* AViewData) {
  inherited::InitializeViewData(AViewData);
  if (auto* vd = dynamic_cast<TcxSpinEditViewData*>(AViewData)) vd->PressedState = FPressedState;
}

// ---- value ----

bool TcxCustomSpinEdit::InternalPrepareEditValue(const String& ADisplayText, bool ARaiseOnError,
                                                 Variant& AEditValue, String& AErrorText) {
  TcxCustomSpinEditProperties* p = SpinProperties();
  if (ADisplayText.empty()) {
    IcxEditDefaultValuesProvider* provider = p->GetIDefaultValuesProvider();
    AEditValue = provider && provider->DefaultRequired()
                     ? p->NumberToValueType(p->CheckValueBounds(Variant(Integer(0))))
                     : Variant::MakeNull();
    return true;
  }
  Variant v;
  bool error = !p->TryTextToValue(ADisplayText, v);
  if (error) {
    AErrorText.clear();
    auto* own = static_cast<TcxCustomSpinEditProperties*>(GetProperties());
    TcxEditLifeGuard guard(this);
    try {
      if (own && own->OnGetValue) own->OnGetValue(this, ADisplayText, v, AErrorText, error);
      if (guard.Alive() && HasRepositoryItem() && p != own && p->OnGetValue)
        p->OnGetValue(this, ADisplayText, v, AErrorText, error);
    } catch (const Exception& e) {
      AErrorText = e.Message();
      AEditValue = Variant();
      return false;
    }
    if (!guard.Alive()) return false;
  }
  if (error) {
    if (AErrorText.empty()) AErrorText = cxGetResourceString(cxSSpinEditInvalidNumericValue);
    if (!p->GetExceptionOnInvalidInput()) AErrorText.clear();
    else if (ARaiseOnError) throw Exception(AErrorText);
    v = FValue;
  }
  AEditValue = p->NumberToValueType(v);
  return !error;
}

void TcxCustomSpinEdit::PrepareEditValue(const Variant& ADisplayValue, Variant& AEditValue, bool) {
  String error;
  InternalPrepareEditValue(VarToStr(ADisplayValue), true, AEditValue, error);
}

Variant TcxCustomSpinEdit::InternalGetValue() {
  TcxCustomSpinEditProperties* p = SpinProperties();
  Variant v;
  if (IsFocused()) {
    String error;
    if (!FTyped || !InternalPrepareEditValue(VarToStr(GetDisplayValue()), false, v, error)) {
      v = FValue;
    }
    if (!cxVarIsNumber(v)) v = Variant(Integer(0));
  } else {
    v = EditValue();
    // A number is taken to the value type as it is (a fraction rounded for integers); a
    // text must read as a number.
    const bool number = cxVarIsNumber(v) && VarType(v) != varBoolean;
    if (!number && (!VarIsStr(v) || !p->IsEditValueValid(v, false))) v = p->CheckValueBounds(Variant(Integer(0)));
  }
  return p->NumberToValueType(v);
}

// Never held to the bounds: a value set or typed outside them reads back as it is shown.
Variant TcxCustomSpinEdit::GetValue() { return InternalGetValue(); }

void TcxCustomSpinEdit::SetValue(const Variant& Value) {
  if (!cxVarIsNumber(Value)) return;
  Variant v = Value;
  if (!SpinProperties()->IsEditValueValid(v, IsFocused())) return;
  SetEditValue(v);
}

bool TcxCustomSpinEdit::IsValueStored() const {
  return !cxVariantsEqualLoose(const_cast<TcxCustomSpinEdit*>(this)->GetValue(), Variant(Integer(0)));
}

String TcxCustomSpinEdit::GetDisplayTextForValue(const Variant& AValue) {
  return SpinProperties()->ValueToText(AValue, IsFocused());
}

Variant TcxCustomSpinEdit::GetIncrement(TcxSpinEditButton AButton) {
  return SpinProperties()->GetStepIncrement(AButton);
}

void TcxCustomSpinEdit::SynchronizeDisplayValue() {
  TcxCustomSpinEditProperties* p = SpinProperties();
  if (p) {
    Variant v = EditValue();
    FValue = p->IsEditValueValid(v, IsFocused()) ? p->PrepareValue(v)
                                                 : p->VarToValueType(p->CheckValueBounds(Variant(Integer(0))));
  }
  FTyped = false;
  inherited::SynchronizeDisplayValue();
}

void TcxCustomSpinEdit::ChangeHandler(TObject* Sender) {
  FTyped = FIsTyping;
  FIsTyping = false;
  inherited::ChangeHandler(Sender);
}

void TcxCustomSpinEdit::CorrectValueToBounds() {
  TcxCustomSpinEditProperties* p = SpinProperties();
  const Variant v = InternalGetValue();
  if (!cxVarIsNumber(v)) return;
  const Variant bounded = p->ClampToBounds(v);
  if (bounded != v) SetValue(bounded);
}

void TcxCustomSpinEdit::PropertiesChanged(TObject* Sender) {
  TWeakLink alive(this);  // placing the inner edit runs its OnResize, which may free this
  inherited::PropertiesChanged(Sender);
  if (!alive.Alive()) return;
  if (!SpinProperties() || IsInnerEditNotReady() || InState(TComponentStateItem::csLoading)) return;
  if (GetEditModified() && DataBinding() && DataBinding()->CanModify()) CorrectValueToBounds();
}

// ---- one step ----

bool TcxCustomSpinEdit::DoSpinStep(TcxSpinEditButton AButton) {
  TcxEditLifeGuard guard(this);
  auto locked = WatchedPairedCall(
      this, [this] { LockChangeEvents(true); }, [this] { LockChangeEvents(false); });
  bool changed = false;
  Variant v;
  if (DoEditing() && guard.Alive() &&
      SpinProperties()->CalculateSpinValue(InternalGetValue(), AButton, GetIncrement(AButton), v)) {
    const String oldText = VarToStr(GetDisplayValue());
    const String newText = GetDisplayTextForValue(v);
    const Integer selStart = GetSelStart(), selLength = GetSelLength();
    FValue = v;
    FTyped = false;
    AsUserInput([&] { SetInternalDisplayValue(Variant(newText)); });
    changed = guard.Alive() && oldText != newText;
    if (changed) {
      SetDisplayValueModified(true);
      if (SpinProperties()->KeepSelectionAfterSpin())
        SetSelStartAndLength(selStart, selLength);
      else
        SetSelStartAndLength(Integer(newText.size()), 0);
      DoChange();
      TcxCustomSpinEditProperties* p = SpinProperties();
      if (guard.Alive() && p->GetImmediatePost() && CanPostEditValue() &&
          ValidateDisplayText(true) && guard.Alive()) {
        PostEditValue(false);
        if (guard.Alive()) SynchronizeDisplayValue();
      }
    }
  }
  return changed;
}

// ---- keys ----

bool TcxCustomSpinEdit::IsSpinKey(Word Key, TcxSpinEditButton& AButton) const {
  switch (Key) {
    case VK_UP: AButton = B::sebForward; return true;
    case VK_DOWN: AButton = B::sebBackward; return true;
    case VK_PRIOR: AButton = B::sebFastForward; return true;
    case VK_NEXT: AButton = B::sebFastBackward; return true;
    default: return false;
  }
}

void TcxCustomSpinEdit::DoEditKeyDown(Word& Key, TShiftState Shift) {
  FIsTyping = false;
  TcxCustomSpinEditProperties* p = SpinProperties();
  TcxSpinEditButton button = B::sebForward;
  if (IsSpinKey(Key, button) && (!p->GetUseCtrlIncrement() || Shift.Contains(TShiftStateItem::ssCtrl))) {
    TcxEditLifeGuard guard(this);
    if (DataBinding()->IsEditing() || DoEditing()) {
      if (!guard.Alive()) return;
      FPressedState = Byte(Ord(button) + 1);
      RepaintButtons();
      if (HandleAllocated() && GetCapture() == GetHandle()) ReleaseCapture();
      DoSpinStep(button);
    }
    if (guard.Alive()) Key = 0;
    return;
  }
  StopTracking();
  if (Key != VK_ESCAPE) FIsTyping = true;
  if (!p->GetCanEdit() && IsTextChangingKey(Key, Shift)) {
    TcxEditLifeGuard guard(this);
    DoAfterKeyDown(Key, Shift);
    if (guard.Alive()) Key = 0;
    return;
  }
  inherited::DoEditKeyDown(Key, Shift);
}

void TcxCustomSpinEdit::DoEditKeyUp(Word& Key, TShiftState Shift) {
  TcxSpinEditButton button = B::sebForward;
  if (IsSpinKey(Key, button)) StopTracking();
  FIsTyping = false;
  inherited::DoEditKeyUp(Key, Shift);
}

void TcxCustomSpinEdit::DoEditKeyPress(Char& Key) {
  if (Key == '.' || Key == ',') Key = FormatSettings.DecimalSeparator;
  const Byte b = Byte(Key);
  if (b >= 32 || b == 8) {
    if (!IsValidChar(Key)) {
      Key = 0;
      MessageBeep(0);
      return;
    }
    FIsTyping = true;
  }
  inherited::DoEditKeyPress(Key);
}

bool TcxCustomSpinEdit::IsValidChar(Char AChar) {
  TcxCustomSpinEditProperties* p = SpinProperties();
  const Byte b = Byte(AChar);
  const bool edits = b >= 32 || b == 8 || b == 22 || b == 24;
  if (!p->GetCanEdit()) return !edits;
  auto* own = static_cast<TcxCustomSpinEditProperties*>(GetProperties());
  if ((own && own->OnGetValue) || p->OnGetValue) return true;
  if (b < 32) return true;
  const bool numeric = p->GetValueType() == TcxSpinEditValueType::vtInt
                           ? cxIsNumericChar(AChar, TcxNumberType::ntInteger) || AChar == 'e' || AChar == 'E'
                           : cxIsNumericChar(AChar, TcxNumberType::ntExponent);
  return numeric || p->GetValidChars().test(b);
}

// ---- clipboard ----

void TcxCustomSpinEdit::CutToClipboard() {
  if (!SpinProperties()->GetCanEdit()) return;
  FIsTyping = true;
  TWatchedScopeExit typed(this, [this] { FIsTyping = false; });  // handlers may free it
  inherited::CutToClipboard();
}

void TcxCustomSpinEdit::PasteFromClipboard() {
  if (!SpinProperties()->GetCanEdit()) return;
  FIsTyping = true;
  TWatchedScopeExit typed(this, [this] { FIsTyping = false; });  // handlers may free it
  inherited::PasteFromClipboard();
}

// ---- mouse, repeat and wheel ----

void TcxCustomSpinEdit::DoButtonDown(Integer AButtonIndex) {
  inherited::DoButtonDown(AButtonIndex);
  if (FPressedState != 0 || AButtonIndex < 0 || AButtonIndex > Ord(B::sebFastForward)) return;
  TcxEditLifeGuard guard(this);
  DoSpinStep(TcxSpinEditButton(AButtonIndex));
  if (!guard.Alive()) return;
  if (SpinProperties()->GetReadOnly() || !DataBinding()->IsDataAvailable()) return;
  FreeAndNil(FTimer);
  FTimer = New<TcxTimer>(nullptr);
  FTimer->SetEnabled(false);
  FTimer->SetInterval(kRepeatFirstDelay);
  FTimer->SetOnTimer({this, &TcxCustomSpinEdit::RepeatTimerHandler});
  FTimer->SetEnabled(true);
}

void TcxCustomSpinEdit::RepeatTimerHandler(TObject*) {
  if (!FTimer) return;
  // A button whose press lost the mouse to another window is no longer held.
  if (!HandleAllocated() || GetCapture() != GetHandle()) {
    StopTracking();
    return;
  }
  if (FTimer->GetInterval() == kRepeatFirstDelay) FTimer->SetInterval(kRepeatInterval);
  TcxCustomEditViewInfo* vi = EditViewInfo();
  if (!vi || vi->PressedButton < 0 || vi->PressedButton >= Integer(vi->ButtonsInfo.size())) return;
  const Integer index = vi->ButtonsInfo[size_t(vi->PressedButton)]->ButtonIndex;
  if (index >= 0 && index <= Ord(B::sebFastForward)) DoSpinStep(TcxSpinEditButton(index));
}

void TcxCustomSpinEdit::RepaintButtons() {
  if (HandleAllocated() && !IsDestroying()) RecalcViewAtCursor();
}

void TcxCustomSpinEdit::StopTracking() {
  if (FStopping) return;
  // Releasing the capture and the repaint run handlers, which may raise or free the editor.
  TWatchedValue<bool> stopping(this, FStopping, true);
  // Every button the mouse or a key held looks released again, the fast ones included.
  FreeAndNil(FTimer);
  FPressedState = 0;
  if (HandleAllocated() && GetCapture() == GetHandle()) ReleaseCapture();
  RepaintButtons();
}

bool TcxCustomSpinEdit::ProcessViewInfoChanges(const TPoint& P, TcxMouseButton AButton, TShiftState AShift,
                                               bool AIsMouseEvent) {
  const bool r = inherited::ProcessViewInfoChanges(P, AButton, AShift, AIsMouseEvent);
  if (r && FTimer && !FStopping) {
    TcxCustomEditViewInfo* vi = EditViewInfo();
    if (vi->PressedButton < 0 && vi->SelectedButton < 0) {
      FStopping = true;
      FreeAndNil(FTimer);
      FPressedState = 0;
      FStopping = false;
    }
  }
  return r;
}

void TcxCustomSpinEdit::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TcxEditLifeGuard guard(this);
  inherited::MouseUp(Button, Shift, X, Y);
  if (guard.Alive()) StopTracking();
}

void TcxCustomSpinEdit::DblClick() {
  TcxEditLifeGuard guard(this);
  inherited::DblClick();
  if (!guard.Alive() || !HandleAllocated()) return;
  POINT p{};
  GetCursorPos(&p);
  ::ScreenToClient(GetHandle(), &p);
  if (GetButtonIndexAt(p) < 0) StopTracking();
}

void TcxCustomSpinEdit::FocusChanged() {
  if (InState(TComponentStateItem::csDestroying)) return;
  TcxEditLifeGuard guard(this);
  inherited::FocusChanged();
  if (guard.Alive() && !IsFocused()) StopTracking();
}

bool TcxCustomSpinEdit::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
  if (inherited::DoMouseWheelDown(Shift, MousePos)) return true;
  if (!CheckInplaceFlags(Integer(Shift.ToInt()))) return false;
  DoSpinStep(B::sebBackward);
  return true;
}

bool TcxCustomSpinEdit::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
  if (inherited::DoMouseWheelUp(Shift, MousePos)) return true;
  if (!CheckInplaceFlags(Integer(Shift.ToInt()))) return false;
  DoSpinStep(B::sebForward);
  return true;
}

// ---- registration ----

TL_DEFINE_CLASS(TcxCustomSpinEdit, [](auto&) {});
TL_DEFINE_CLASS(TcxSpinEdit, [](auto& c) {
  using T = TcxSpinEdit;
  c.Property("BeepOnEnter", &T::GetBeepOnEnter, &T::SetBeepOnEnter).Default(true);
  c.Property("Properties", &T::GetSpinEditProperties);
  c.Property("Value", &T::GetValue, &T::SetValue).Stored(&T::IsValueStored);
});

namespace cxSpinEdit {

namespace {
UnitCounter gSpinEdit;
}  // namespace

void Initialize() {
  if (!gSpinEdit.Enter()) return;
  cxRegisterEditor(TcxSpinEditProperties::StaticClass(), "SpinEdit|Represents a spin editor",
                   TcxSpinEdit::StaticClass());
}

void Finalize() {
  if (!gSpinEdit.Leave()) return;
  cxUnregisterEditor(TcxSpinEditProperties::StaticClass(), TcxSpinEdit::StaticClass());
}

}  // namespace cxSpinEdit
