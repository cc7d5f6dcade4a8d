#include "widgets/editcore/cxMaskEdit.h"

#include "classlib/core/ScopeGuards.h"
#include "classlib/core/SysUtils.h"
#include "classlib/visual/Clipbrd.h"
#include "classlib/visual/Forms.h"
#include "platform/kernel/Units.h"
#include "widgets/editcore/cxEditRegisteredRepositoryItems.h"

namespace {
const TResStringRec cxSMaskEditInvalidEditValue = {65283, "The edit value is invalid"};
}  // namespace

// ---- properties ----

bool TcxCustomMaskEditProperties::IsLoading() const {
  auto* owner = dynamic_cast<TComponent*>(GetOwner());
  return owner && owner->InState(TComponentStateItem::csLoading);
}

TcxMaskEditCustomModeClass TcxCustomMaskEditProperties::GetModeClass(TcxEditMaskKind AMaskKind) const {
  using A = TcxCustomMaskEdit*;
  using P = TcxCustomMaskEditProperties*;
  switch (AMaskKind) {
    case TcxEditMaskKind::emkRegExpr: return ClassOf<TcxMaskEditRegExprMode, TcxMaskEditCustomMode, A, P>();
    case TcxEditMaskKind::emkRegExprEx: return ClassOf<TcxMaskEditRegExprExMode, TcxMaskEditCustomMode, A, P>();
    default: return ClassOf<TcxMaskEditStandardMode, TcxMaskEditCustomMode, A, P>();
  }
}

TcxMaskEditCustomMode* TcxCustomMaskEditProperties::CreateMode(TcxEditMaskKind AKind, TcxCustomMaskEdit* AEdit) {
  return GetModeClass(AKind).Create(AEdit, this);
}

TcxEditMask TcxCustomMaskEditProperties::GetEditMask() const {
  if (FMaskKind != TcxEditMaskKind::emkStandard || !cxRegExprIsBlank(FEditMask)) return FEditMask;
  if (IcxEditDefaultValuesProvider* p = GetIDefaultValuesProvider()) return p->DefaultEditMask();
  return {};
}

bool TcxCustomMaskEditProperties::IsMasked() const { return !cxRegExprIsBlank(GetEditMask()); }

void TcxCustomMaskEditProperties::CheckMask(const String& AMask, TcxEditMaskKind AKind) {
  if (cxRegExprIsBlank(AMask)) return;
  std::unique_ptr<TcxMaskEditCustomMode> mode(CreateMode(AKind, nullptr));
  mode->Compile(AMask);
}

void TcxCustomMaskEditProperties::SetEditMask(const TcxEditMask& Value) {
  if (Value == GetEditMask()) {
    FEditMask = Value;
    return;
  }
  if (!IsLoading()) CheckMask(Value, FMaskKind);
  FEditMask = Value;
  Changed();
}

void TcxCustomMaskEditProperties::SetMaskKind(TcxEditMaskKind Value) {
  if (Value == FMaskKind) return;
  // A mask valid under one kind may not compile under another: refuse the switch then.
  if (!IsLoading()) {
    const TcxEditMaskKind old = FMaskKind;
    FMaskKind = Value;
    const String mask = GetEditMask();
    FMaskKind = old;
    CheckMask(mask, Value);
  }
  FMaskKind = Value;
  Changed();
}

void TcxCustomMaskEditProperties::SetAlwaysShowBlanksAndLiterals(bool Value) {
  if (Value == FAlwaysShowBlanksAndLiterals) return;
  FAlwaysShowBlanksAndLiterals = Value;
  Changed();
}

void TcxCustomMaskEditProperties::SetCaseInsensitive(bool Value) {
  const TEditCharCase c = GetCharCase();
  FCaseInsensitive = Value || c == TEditCharCase::ecUpperCase || c == TEditCharCase::ecLowerCase;
  Changed();
}

void TcxCustomMaskEditProperties::SetCharCase(TEditCharCase Value) {
  TcxCustomTextEditProperties::SetCharCase(Value);
  if (Value != TEditCharCase::ecNormal) SetCaseInsensitive(true);
}

void TcxCustomMaskEditProperties::SetIgnoreMaskBlank(bool Value) {
  if (Value == FIgnoreMaskBlank) return;
  FIgnoreMaskBlank = Value;
  Changed();
}

void TcxCustomMaskEditProperties::Assign(TPersistent* Source) {
  auto update = UpdateBracket(this);
  inherited::Assign(Source);
  if (auto* s = dynamic_cast<TcxCustomMaskEditProperties*>(Source)) {
    FMaskKind = s->FMaskKind;
    FEditMask = s->FEditMask;
    FCaseInsensitive = s->FCaseInsensitive;
    FIgnoreMaskBlank = s->FIgnoreMaskBlank;
    FAlwaysShowBlanksAndLiterals = s->FAlwaysShowBlanksAndLiterals;
    Changed();
  }
}

void TcxCustomMaskEditProperties::MaxLengthChanged() {
  if (IsMasked() && GetMaxLength() != 0 && !FForcingMaxLength) {
    // The change notice of SetMaxLength runs handlers, which may raise or free the properties.
    TWatchedValue<bool> forcing(this, FForcingMaxLength, true);
    SetMaxLength(0);
  }
  inherited::MaxLengthChanged();
}

// Painting must never raise: a mask that does not compile shows the text unformatted.
TcxMaskEditCustomMode* TcxCustomMaskEditProperties::DisplayMode() {
  const String mask = GetEditMask();
  if (!FMode || FMode->GetMaskKind() != FMaskKind || FMode->Mask() != mask) {
    FMode.reset(CreateMode(FMaskKind, nullptr));
    FModeFailed = false;
    try {
      FMode->Compile(mask);
    } catch (const EcxMaskEditError&) {
      FModeFailed = true;
    }
  }
  if (auto* r = dynamic_cast<TcxMaskEditRegExprMode*>(FMode.get())) r->SetCaseInsensitive(FCaseInsensitive);
  return FModeFailed ? nullptr : FMode.get();
}

void TcxCustomMaskEditProperties::PrepareDisplayValue(const Variant& AEditValue, Variant& ADisplayValue,
                                                      bool AEditFocused) {
  IcxEditDefaultValuesProvider* provider = GetIDefaultValuesProvider();
  TcxMaskEditCustomMode* mode = IsMasked() ? DisplayMode() : nullptr;
  if (!mode || (!AEditFocused && provider && provider->IsDisplayFormatDefined(false))) {
    inherited::PrepareDisplayValue(AEditValue, ADisplayValue, AEditFocused);
    return;
  }
  const String text = VarToStr(AEditValue);
  if (FMaskKind == TcxEditMaskKind::emkStandard && !AEditFocused && !FAlwaysShowBlanksAndLiterals)
    ADisplayValue = Variant(mode->GetEditValueText(text));
  else
    ADisplayValue = Variant(mode->GetFormattedText(text));
}

void TcxCustomMaskEditProperties::ValidateDisplayValue(Variant& DisplayValue, String& ErrorText, bool& Error,
                                                       IcxEditPropertiesHost* AEdit) {
  if (!Error && IsMasked()) {
    auto* edit = dynamic_cast<TcxCustomMaskEdit*>(AEdit);
    TcxMaskEditCustomMode* mode = edit && edit->Mode() ? edit->Mode() : DisplayMode();
    bool valid = false;
    try {
      valid = mode && mode->IsCompiled() && mode->IsFullValidText(VarToStr(DisplayValue));
    } catch (const EcxMaskEditError&) {
      valid = false;
    }
    // An empty regular-expression text stays valid even while the mask is unusable.
    if (!valid && mode && mode->GetMaskKind() != TcxEditMaskKind::emkStandard && VarToStr(DisplayValue).empty())
      valid = true;
    if (!valid) {
      Error = true;
      ErrorText = LoadResString(cxSMaskEditInvalidEditValue);
    }
  }
  inherited::ValidateDisplayValue(DisplayValue, ErrorText, Error, AEdit);
}

bool TcxCustomMaskEditProperties::IsEditValueValid(Variant& AEditValue, bool AEditFocused) const {
  return IsMasked() || inherited::IsEditValueValid(AEditValue, AEditFocused);
}

TcxCustomEditClass TcxCustomMaskEditProperties::GetContainerClass() const {
  return ClassOf<TcxMaskEdit, TcxCustomEdit, TComponent*, bool>();
}

// ---- editor ----

TcxCustomEditPropertiesClass TcxCustomMaskEdit::GetPropertiesClass() {
  return ClassOf<TcxCustomMaskEditProperties, TcxCustomEditProperties, TPersistent*>();
}

TcxCustomEditPropertiesClass TcxMaskEdit::GetPropertiesClass() {
  return ClassOf<TcxMaskEditProperties, TcxCustomEditProperties, TPersistent*>();
}

void TcxCustomMaskEdit::Initialize() {
  inherited::Initialize();
  FResendingKey = false;
  FShiftPressed = false;
}

void TcxCustomMaskEdit::BeforeDestruction() {
  FMode.reset();
  inherited::BeforeDestruction();
}

void TcxCustomMaskEdit::RecreateMode() {
  TcxCustomMaskEditProperties* p = ActiveProperties();
  FModeKind = p->GetMaskKind();
  FModeMask = p->GetEditMask();
  FFormerEmptyText = FMode && FModeCompiled ? FMode->GetEmptyString() : String();
  FMode.reset(p->CreateMode(FModeKind, this));
  // A new mode follows the text settings from the start, not only after their next change.
  FMode->CharCase = p->GetCharCase();
  FMode->EchoMode = p->GetEchoMode();
  FModeCompiled = false;
  try {
    FMode->Compile(FModeMask);
    FModeCompiled = true;
  } catch (const EcxMaskEditError&) {
    // Reported once, by the setter or at Loaded; keys are refused meanwhile.
  }
}

void TcxCustomMaskEdit::PropertiesChanged(TObject* Sender) {
  TcxCustomMaskEditProperties* p = ActiveProperties();
  TcxCustomInnerTextEdit* inner = InnerTextEdit();
  // A setting that makes a new window would lose the caret of the user's edit.
  const bool keepSelection = inner && inner->HandleAllocated() && IsFocused();
  const Integer selStart = keepSelection ? GetSelStart() : 0, selLength = keepSelection ? GetSelLength() : 0;
  const String textBefore = inner ? inner->GetText() : String();
  bool changed = false;
  if (p) {
    TcxEditLifeGuard guard(this);
    {
      auto lock = WatchedPairedCall(
          this, [this] { LockChangeEvents(true); }, [this] { LockChangeEvents(false); });
      if (!FMode || FModeKind != p->GetMaskKind() || FModeMask != p->GetEditMask()) {
        RecreateMode();
        changed = true;
        if (p->IsMasked() && p->GetMaxLength() != 0) p->SetMaxLength(0);
      }
      if (FMode->CharCase != p->GetCharCase() || FMode->EchoMode != p->GetEchoMode()) {
        FMode->CharCase = p->GetCharCase();
        FMode->EchoMode = p->GetEchoMode();
        changed = true;
      }
      if (auto* r = dynamic_cast<TcxMaskEditRegExprMode*>(FMode.get())) r->SetCaseInsensitive(p->GetCaseInsensitive());
      if (changed && p->IsMasked() && !InState(TComponentStateItem::csLoading) && !IsInnerEditNotReady()) {
        FMode->ApplyPendingEmptyText();
        if (guard.Alive()) FMode->UpdateEditValue();
      }
    }
    if (!guard.Alive()) return;
  }
  TWeakLink alive(this);  // placing the inner edit runs its OnResize, which may free this
  inherited::PropertiesChanged(Sender);
  if (!alive.Alive()) return;
  inner = InnerTextEdit();
  if (keepSelection && inner && inner->HandleAllocated() && FMode) {
    const Integer size = Integer(inner->GetText().size());
    if (inner->GetText() == textBefore) {
      if (GetSelStart() != selStart || GetSelLength() != selLength)
        TcxCustomTextEdit::SetSelStartAndLength(selStart, selLength);
    } else if (changed && FMode->GetMaskKind() == TcxEditMaskKind::emkStandard && selLength == 1) {
      // A new picture mask: the caret stays at its place in the new text.
      TcxCustomTextEdit::SetSelStartAndLength(std::min(selStart, size), 0);
    }
    if (IsMasked()) FMode->SetOverwriteSelection();
  }
  if (changed) UpdateEditingText();
}

void TcxCustomMaskEdit::Loaded() {
  inherited::Loaded();
  if (!IsMasked()) return;
  RecreateMode();
  if (!FModeCompiled) {
    // Compiled once more to report what is wrong with the loaded mask; the load goes on.
    try {
      std::unique_ptr<TcxMaskEditCustomMode> probe(ActiveProperties()->CreateMode(FModeKind, nullptr));
      probe->Compile(FModeMask);
    } catch (const EcxMaskEditError&) {
      Application->HandleException(this);
    }
  }
  auto lock = PairedCall([this] { LockChangeEvents(true); }, [this] { LockChangeEvents(false); });
  ReapplyMask();
}

bool TcxCustomMaskEdit::IsCharValidForPos(Char&, Integer) { return true; }

void TcxCustomMaskEdit::ReapplyMask() {
  if (FMode) FMode->UpdateEditValue();
}

bool TcxCustomMaskEdit::HoldsValue() {
  const Variant v = GetEditValue();
  if (VarIsNull(v) || VarIsEmpty(v)) return false;
  const String s = VarToStr(v);
  return !s.empty() && s != FFormerEmptyText;
}

String TcxCustomMaskEdit::GetEmptyMaskText() { return IsMasked() && FMode ? FMode->GetEmptyString() : String(); }

void TcxCustomMaskEdit::ModeWriteText(const String& AText, Integer ASelStart, Integer ASelLength) {
  TcxCustomInnerTextEdit* inner = InnerTextEdit();
  if (!inner) return;
  TWeakLink self(this);
  if (inner->GetText() != AText) AsUserInput([&] { inner->SetText(AText); });
  if (self.Alive()) TcxCustomTextEdit::SetSelStartAndLength(ASelStart, ASelLength);
}

void TcxCustomMaskEdit::SetSelStart(Integer Value) {
  TcxCustomTextEdit::SetSelStart(Value);
  if (FMode && IsMasked()) FMode->SetOverwriteSelection();
}

void TcxCustomMaskEdit::SetSelLength(Integer Value) {
  TcxCustomTextEdit::SetSelLength(Value);
  if (FMode && IsMasked()) FMode->SetOverwriteSelection();
}

void TcxCustomMaskEdit::DoEditKeyDown(Word& Key, TShiftState Shift) {
  if (!FMode || !IsMasked() || FResendingKey || Key == VK_TAB) {
    inherited::DoEditKeyDown(Key, Shift);
    return;
  }
  if (Key == VK_DELETE && !CanKeyDownModifyEdit(Key, Shift)) {
    DoAfterKeyDown(Key, Shift);
    Key = 0;
    return;
  }
  FShiftPressed = Shift.Contains(TShiftStateItem::ssShift);
  const bool ctrl = Shift.Contains(TShiftStateItem::ssCtrl);
  bool goesOn = true;
  switch (Key) {
    case VK_UP:
    case VK_DOWN:
      if (!HasShownPopup()) {
        DoAfterKeyDown(Key, Shift);
        Key = 0;
      }
      break;
    case VK_LEFT:
    case VK_RIGHT: {
      const bool left = Key == VK_LEFT;
      const bool atEdge = left ? FMode->IsCursorBegin() : FMode->IsCursorEnd();
      goesOn = left ? (ctrl ? FMode->GotoHome() : FMode->MoveLeft()) : (ctrl ? FMode->GotoEnd() : FMode->MoveRight());
      // With Ctrl the inner edit goes to the start or the end, not a word on.
      if (goesOn && ctrl) Key = left ? VK_HOME : VK_END;
      // A host such as a grid may move on from the edge.
      if (!goesOn && atEdge) DoAfterKeyDown(Key, Shift);
      break;
    }
    case VK_HOME: goesOn = FMode->GotoHome(); break;
    case VK_END: goesOn = FMode->GotoEnd(); break;
    case VK_DELETE:
      if (FShiftPressed && GetSelLength() > 0) break;
      goesOn = FShiftPressed ? FMode->Backspace() : FMode->DeleteSelection();
      break;
    default: break;
  }
  if (!goesOn) Key = 0;
  if (Key != 0) inherited::DoEditKeyDown(Key, Shift);
}

void TcxCustomMaskEdit::DoEditKeyPress(Char& Key) {
  if (!FMode || !IsMasked() || FResendingKey) {
    inherited::DoEditKeyPress(Key);
    return;
  }
  const Byte b = Byte(Key);
  if (b == 9 || b == 27) {
    Key = 0;
    return;
  }
  // Enter, the clipboard keys, select-all and undo are the text editor's.
  if (b == 13 || b == 3 || b == 22 || b == 24 || b == 1 || b == 26) {
    inherited::DoEditKeyPress(Key);
    return;
  }
  TcxCustomEdit::DoEditKeyPress(Key);
  if (Key == 0) return;
  // Other control characters would land in any-character positions.
  if (b < 32 && b != 8) {
    Key = 0;
    return;
  }
  bool goesOn;
  AsUserInput([&] { goesOn = b == 8 ? FMode->Backspace() : FMode->PressSymbol(Key); });
  if (!goesOn) Key = 0;
}

void TcxCustomMaskEdit::CutToClipboard() {
  if (!FMode || !IsMasked()) {
    inherited::CutToClipboard();
    return;
  }
  if (GetSelLength() == 0 || (IsUserInput() && !DoEditing())) return;
  CopyToClipboard();
  FMode->DeleteSelection();
}

void TcxCustomMaskEdit::PasteFromClipboard() {
  if (!FMode || !IsMasked()) {
    inherited::PasteFromClipboard();
    return;
  }
  if (!Clipboard->HasFormat(CF_TEXT)) return;
  String text = Clipboard->GetAsText();
  if (const size_t br = text.find_first_of("\r\n"); br != String::npos) text.resize(br);
  SetSelText(text);
}

void TcxCustomMaskEdit::SetSelText(const String& Value) {
  if (!FMode || !IsMasked()) {
    TcxCustomTextEdit::SetSelText(Value);
    return;
  }
  FMode->BeforePaste(Value);
  String text;
  Integer caret = 0;
  if (!CanChangeSelText(Value, text, caret)) return;
  // The pasted characters take their places in the mask; those it refuses are dropped.
  const String shown = FormatThroughMode(text);
  caret = std::min(caret, Integer(shown.size()));
  if (IsUserInput()) {
    ModeWriteText(shown, caret, 0);
  } else {
    TcxCustomTextEdit::SetInternalDisplayValue(Variant(shown));
    TcxCustomTextEdit::SetSelStartAndLength(caret, 0);
    UpdateEditingText();
  }
  FMode->SetInsertedLength(Integer(Value.size()));
  FMode->SetText(shown);
  FMode->AfterPaste();
}

String TcxCustomMaskEdit::FormatThroughMode(const String& AText) {
  if (!FMode || !FMode->IsCompiled()) return AText;
  TcxCustomMaskEditProperties* p = ActiveProperties();
  if (FMode->GetMaskKind() == TcxEditMaskKind::emkStandard && !IsFocused() && !p->GetAlwaysShowBlanksAndLiterals())
    return FMode->GetEditValueText(AText);
  return FMode->GetFormattedText(AText);
}

void TcxCustomMaskEdit::PrepareEditValue(const Variant& ADisplayValue, Variant& AEditValue, bool AEditFocused) {
  if (FMode && IsMasked()) AEditValue = Variant(FMode->GetEditValueText(VarToStr(ADisplayValue)));
  else inherited::PrepareEditValue(ADisplayValue, AEditValue, AEditFocused);
}

void TcxCustomMaskEdit::SetInternalDisplayValue(const Variant& Value) {
  if (!FMode || !IsMasked() || InState(TComponentStateItem::csLoading)) {
    inherited::SetInternalDisplayValue(Value);
    UpdateEditingText();
    return;
  }
  const String shown = FormatThroughMode(VarToStr(Value));
  TWeakLink self(this);
  inherited::SetInternalDisplayValue(Variant(shown));
  if (!self.Alive()) return;
  FMode->SetText(shown);
  UpdateEditingText();
}

void TcxCustomMaskEdit::ChangeHandler(TObject* Sender) {
  UpdateEditingText();
  inherited::ChangeHandler(Sender);
}

void TcxCustomMaskEdit::UpdateEditingText() {
  TcxCustomInnerTextEdit* inner = InnerTextEdit();
  const String display = inner ? inner->GetText() : String();
  FEditingText = FMode && IsMasked() ? FMode->GetEditValueText(display) : display;
}

String TcxCustomMaskEdit::GetEditingText() {
  if (FMode && IsMasked()) return FEditingText;
  TcxCustomInnerTextEdit* inner = InnerTextEdit();
  return inner ? inner->GetText() : SavedText();
}

void TcxCustomMaskEdit::DblClick() {
  if (FMode && IsMasked()) FMode->SelectText();
  inherited::DblClick();
}

// A click places the caret; the picture mask then covers the position the next key overwrites.
void TcxCustomMaskEdit::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TWeakLink self(this);  // the handlers may free the editor
  inherited::MouseUp(Button, Shift, X, Y);
  if (self.Alive() && Button == TMouseButton::mbLeft && FMode && IsMasked()) FMode->SetOverwriteSelection();
}

void TcxCustomMaskEdit::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TWeakLink self(this);
  inherited::MouseMove(Shift, X, Y);
  if (self.Alive() && Shift.Contains(TShiftStateItem::ssLeft) && FMode && IsMasked()) FMode->SetOverwriteSelection();
}

void TcxCustomMaskEdit::DoEnter() {
  if (FMode && IsMasked() && ActiveProperties()->GetAutoSelect()) FMode->SelectText();
  inherited::DoEnter();
}

// ---- registration ----

TL_DEFINE_CLASS(TcxCustomMaskEditProperties, [](auto&) {});
TL_DEFINE_CLASS(TcxMaskEditProperties, [](auto& c) {
  using T = TcxMaskEditProperties;
  c.Property("MaskKind", &T::GetMaskKind, &T::SetMaskKind).Default(TcxEditMaskKind::emkStandard);
  c.Property("EditMask", &T::GetStoredEditMask, &T::SetEditMask);
  c.Property("AlwaysShowBlanksAndLiterals", &T::GetAlwaysShowBlanksAndLiterals, &T::SetAlwaysShowBlanksAndLiterals)
      .Default(false);
  c.Property("CaseInsensitive", &T::GetCaseInsensitive, &T::SetCaseInsensitive).Default(true);
  c.Property("IgnoreMaskBlank", &T::GetIgnoreMaskBlank, &T::SetIgnoreMaskBlank).Default(false);
  c.Property("CharCase", &T::GetCharCase, &T::SetCharCase).Default(TEditCharCase::ecNormal);
  c.Property("EchoMode", &T::GetEchoMode, &T::SetEchoMode).Default(TcxEditEchoMode::eemNormal);
  c.Property("HideSelection", &T::GetHideSelection, &T::SetHideSelection).Default(true);
  c.Property("ImeMode", &T::GetImeMode, &T::SetImeMode).Default(TImeMode::imDontCare);
  c.Property("ImeName", &T::GetImeName, &T::SetImeName);
  c.Property("IncrementalSearch", &T::GetIncrementalSearch, &T::SetIncrementalSearch).Default(true);
  c.Property("LookupItems", &T::GetLookupItems, &T::SetLookupItems).Stored(&T::IsLookupItemsStored);
  c.Property("LookupItemsSorted", &T::GetLookupItemsSorted, &T::SetLookupItemsSorted).Default(false);
  c.Property("MaxLength", &T::GetMaxLength, &T::SetMaxLength).Stored(&T::IsMaxLengthStored);
  c.Property("OEMConvert", &T::GetOEMConvert, &T::SetOEMConvert).Default(false);
  c.Property("PasswordChar", &T::GetPasswordChar, &T::SetPasswordChar).Default(Char(0));
  c.Property("ValidateOnEnter", &T::GetValidateOnEnter, &T::SetValidateOnEnter).Default(true);
  c.Event("OnNewLookupDisplayText", &T::OnNewLookupDisplayText);
});
TL_DEFINE_CLASS(TcxCustomMaskEdit, [](auto&) {});
TL_DEFINE_CLASS(TcxMaskEdit, [](auto& c) {
  using T = TcxMaskEdit;
  c.Property("BeepOnEnter", &T::GetBeepOnEnter, &T::SetBeepOnEnter).Default(true);
  c.Property("Properties", &T::GetMaskProperties);
});

namespace cxMaskEdit {

namespace {
UnitCounter gMaskEdit;
}  // namespace

void Initialize() {
  if (!gMaskEdit.Enter()) return;
  cxRegisterEditor(TcxMaskEditProperties::StaticClass(),
                   "MaskEdit|Represents a generic masked edit control.",
                   TcxMaskEdit::StaticClass());
}

void Finalize() {
  if (!gMaskEdit.Leave()) return;
  cxUnregisterEditor(TcxMaskEditProperties::StaticClass(), TcxMaskEdit::StaticClass());
}

}  // namespace cxMaskEdit
