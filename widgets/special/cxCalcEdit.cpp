#include "widgets/special/cxCalcEdit.h"

#include "classlib/core/ScopeGuards.h"
#include "classlib/core/SysUtils.h"
#include "classlib/core/Variants.h"
#include "platform/kernel/Units.h"
#include "platform/user/User.h"
#include "widgets/editcore/cxEditRegisteredRepositoryItems.h"
#include "widgets/editors/cxButtons.h"
#include "widgets/foundation/cxClasses.h"
#include "widgets/foundation/cxVariants.h"
#include "widgets/special/cxNumberText.h"

#include <algorithm>
#include <cmath>

namespace {

bool IsBlank(const Variant& V) { return VarIsEmpty(V) || cxVarIsBlank(V); }

// The number an edit value holds: a number as it is, a text when it reads as one.
bool ValueToNumber(const Variant& V, double& AValue) {
  AValue = 0;
  if (cxVarIsNumber(V)) {
    AValue = V.AsDouble();
    return std::isfinite(AValue);
  }
  return VarIsStr(V) && TryStrToFloat(Trim(V.AsString()), AValue);
}

}  // namespace

// ---- the popup calculator ----

const TcxCustomLookAndFeelPainter* TcxPopupCalculator::GetPainter() const {
  TcxContainerStyle* style = FEdit ? FEdit->GetActiveStyle() : nullptr;
  TcxLookAndFeel* lf = style ? style->GetLookAndFeel() : nullptr;
  return lf ? cxGetButtonPainter(lf) : inherited::GetPainter();
}

String TcxPopupCalculator::GetEditorValue() {
  TcxCustomInnerTextEdit* inner = FEdit ? FEdit->InnerTextEdit() : nullptr;
  return inner ? inner->GetText() : String();
}

void TcxPopupCalculator::SetEditorValue(const String& Value) {
  if (!FEdit || !FEdit->InnerEdit()) return;
  TcxEditLifeGuard guard(FEdit);
  if (!FEdit->DoEditing() || !guard.Alive() || !FEdit->InnerEdit()) return;
  FEdit->InnerEdit()->SetEditValue(Variant(Value));
  if (guard.Alive()) FEdit->SetDisplayValueModified(true);
}

void TcxPopupCalculator::ApplyFont(TFont* AFont) {
  GetFont()->Assign(AFont);
  FontChanged();
  Resize();
}

void TcxPopupCalculator::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  Params.Style &= ~DWORD(WS_BORDER);
  Params.ExStyle &= ~DWORD(WS_EX_CLIENTEDGE);
}

void TcxPopupCalculator::KeyDown(Word& Key, TShiftState Shift) {
  const bool alt = Shift.Contains(TShiftStateItem::ssAlt);
  // A key held with Alt is the drop-down's only when it is one of the popup keys: any other
  // (Alt+C, Alt+R, ...) is a system key of the form and presses no calculator button.
  if (alt && (!FEdit || !FEdit->PopupWindow() || !FEdit->PopupWindow()->IsPopupKey(Key))) {
    Key = 0;
    return;
  }
  // Escape leaves the drop-down as it found it: it does not clear the display first.
  if (Key == VK_ESCAPE && !alt) {
    Key = 0;
    HidePopup(this, TcxEditCloseUpReason::crCancel);
    return;
  }
  TWeakLink self(this);
  inherited::KeyDown(Key, Shift);
  if (!self.Alive()) return;
  const bool shift = Shift.Contains(TShiftStateItem::ssShift),
             ctrl = Shift.Contains(TShiftStateItem::ssCtrl);
  switch (Key) {
    case VK_F4:
      HidePopup(this, TcxEditCloseUpReason::crClose);
      break;
    case VK_UP:
    case VK_DOWN:
      if (alt) HidePopup(this, TcxEditCloseUpReason::crClose);
      break;
    case VK_RETURN:
      HidePopup(this, TcxEditCloseUpReason::crEnter);
      break;
    case VK_TAB:
      if (FEdit) FEdit->KeyDown(Key, Shift);
      break;
    case VK_INSERT:
      if (shift)
        PasteFromClipboard();
      else if (ctrl)
        CopyToClipboard();
      break;
    default:
      break;
  }
}

void TcxPopupCalculator::KeyPress(Char& Key) {
  const Char typed = Key;
  TWeakLink self(this);
  inherited::KeyPress(Key);
  if (self.Alive() && typed == '=' && FEdit && FEdit->CalcProperties()->GetQuickClose())
    HidePopup(this, TcxEditCloseUpReason::crEnter);
}

// ---- assigned values ----

void TcxCalcEditPropertiesValues::Assign(TPersistent* Source) {
  auto update = UpdateBracket(this);
  inherited::Assign(Source);
  if (auto* s = dynamic_cast<TcxCalcEditPropertiesValues*>(Source)) SetPrecision(s->FPrecision);
}

void TcxCalcEditPropertiesValues::RestoreDefaults() {
  auto update = UpdateBracket(this);
  inherited::RestoreDefaults();
  SetPrecision(false);
}

void TcxCalcEditPropertiesValues::SetPrecision(bool Value) {
  if (FPrecision == Value) return;
  FPrecision = Value;
  Changed();
}

// ---- properties ----

TcxCustomCalcEditProperties::TcxCustomCalcEditProperties(TPersistent* AOwner)
    : TcxCustomPopupEditProperties(AOwner) {}

void TcxCustomCalcEditProperties::AfterConstruction() {
  inherited::AfterConstruction();
  SetBeepOnError(true);
  SetValidateOnEnter(true);
  SetPopupSizeable(false);
  // Typed characters go into the edit's text, under its rules, not into the calculator.
  SetImmediateDropDown(false);
}

void TcxCustomCalcEditProperties::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TcxCustomCalcEditProperties*>(Source);
  if (!s) {
    inherited::Assign(Source);
    return;
  }
  auto update = UpdateBracket(this);
  inherited::Assign(Source);
  SetBeepOnError(s->GetBeepOnError());
  SetQuickClose(s->FQuickClose);
  SetScientificFormat(s->FScientificFormat);
  SetUseThousandSeparator(s->FUseThousandSeparator);
  if (s->IsPrecisionStored())
    SetPrecision(s->FPrecision);
  else
    GetCalcAssignedValues()->SetPrecision(false);
}

void TcxCustomCalcEditProperties::SetQuickClose(bool Value) {
  if (FQuickClose == Value) return;
  FQuickClose = Value;
  Changed();
}

void TcxCustomCalcEditProperties::SetScientificFormat(bool Value) {
  if (FScientificFormat == Value) return;
  FScientificFormat = Value;
  Changed();
}

void TcxCustomCalcEditProperties::SetUseThousandSeparator(bool Value) {
  if (FUseThousandSeparator == Value) return;
  FUseThousandSeparator = Value;
  Changed();
}

Byte TcxCustomCalcEditProperties::GetPrecision() const {
  Integer r = kMaxPrecision;
  if (IsPrecisionStored())
    r = FPrecision;
  else if (IcxEditDefaultValuesProvider* p = GetIDefaultValuesProvider())
    r = p->DefaultPrecision();
  return Byte(std::clamp<Integer>(r, 0, kMaxPrecision));
}

void TcxCustomCalcEditProperties::SetPrecision(Byte Value) {
  if (IsPrecisionStored() && FPrecision == Value) return;
  FPrecision = Value;
  auto update = cxPropertiesUpdate(this);
  GetCalcAssignedValues()->SetPrecision(true);
}

bool TcxCustomCalcEditProperties::TextToNumber(const String& AText, double& AValue) {
  return cxTextToNumber(AText, AValue);
}

String TcxCustomCalcEditProperties::NumberToText(double AValue, bool AEditFocused) {
  const String format = GetDisplayFormat();
  if (!AEditFocused && !format.empty()) return FormatFloat(format, AValue);
  String s =
      FloatToStrF(AValue, FScientificFormat ? TFloatFormat::ffExponent : TFloatFormat::ffGeneral,
                  GetPrecision(), 0);
  if (!FScientificFormat) {
    if (FUseThousandSeparator) cxAddThousandSeparators(s);
    return s;
  }
  String exponent;
  cxExtractExponent(s, exponent);
  if (s.find(FormatSettings.DecimalSeparator) != String::npos) {
    while (!s.empty() && s.back() == '0') s.pop_back();
    if (!s.empty() && s.back() == FormatSettings.DecimalSeparator) s.pop_back();
  }
  return s + exponent;
}

TcxCustomEditPropertiesValuesClass TcxCustomCalcEditProperties::GetAssignedValuesClass() const {
  return ClassOf<TcxCalcEditPropertiesValues, TcxCustomEditPropertiesValues,
                 TcxCustomEditProperties*>();
}

bool TcxCustomCalcEditProperties::IsEditValueValid(Variant& AEditValue, bool) const {
  if (IsBlank(AEditValue) || cxVarIsNumber(AEditValue)) return true;
  double d = 0;
  return VarIsStr(AEditValue) && TryStrToFloat(AEditValue.AsString(), d);
}

void TcxCustomCalcEditProperties::PrepareDisplayValue(const Variant& AEditValue,
                                                      Variant& ADisplayValue, bool AEditFocused) {
  double v = 0;
  if (IsBlank(AEditValue))
    ADisplayValue = Variant(String());
  else if (ValueToNumber(AEditValue, v))
    ADisplayValue = Variant(NumberToText(v, AEditFocused));
  else
    ADisplayValue = Variant(VarIsStr(AEditValue) ? AEditValue.AsString() : String());
}

void TcxCustomCalcEditProperties::ValidateDisplayValue(Variant& DisplayValue, String& ErrorText,
                                                       bool& Error, IcxEditPropertiesHost* AEdit) {
  Error = false;
  inherited::ValidateDisplayValue(DisplayValue, ErrorText, Error, AEdit);
}

bool TcxCustomCalcEditProperties::IsDisplayFormatDefined(bool AIsInplace) const {
  IcxEditDefaultValuesProvider* p = GetIDefaultValuesProvider();
  if (AIsInplace || IsDisplayFormatAssigned() || !p) return false;
  return p->IsDisplayFormatDefined(true);
}

Variant TcxCustomCalcEditProperties::TextToEditValue(const String& AText) {
  String s = AText;
  if (!FScientificFormat && FUseThousandSeparator) cxRemoveThousandSeparators(s);
  s = Trim(s);
  double d = 0;
  if (s.empty() || !TryStrToFloat(s, d)) return Variant::MakeNull();
  return Variant(d);
}

TcxCustomEditClass TcxCustomCalcEditProperties::GetContainerClass() const {
  return ClassOf<TcxCalcEdit, TcxCustomEdit, TComponent*, bool>();
}

// ---- the editor ----

void TcxCustomCalcEdit::Initialize() {
  inherited::Initialize();
  SetEditValue(Variant(0.0));
  FCalculator = New<TcxPopupCalculator>(this);
  FCalculator->SetEdit(this);
  FCalculator->SetAutoFontSize(false);
  FCalculator->OnHidePopup = {this, &TcxCustomCalcEdit::HidePopupHandler};
  AssignPopupControl();
}

void TcxCustomCalcEdit::AssignPopupControl() {
  TcxCustomCalcEditProperties* p = CalcProperties();
  if (!FCalculator || p->GetPopupControl() == FCalculator) return;
  auto lock = PairedCall([p] { p->LockUpdate(true); }, [p] { p->LockUpdate(false); });
  p->SetPopupControl(FCalculator);
}

void TcxCustomCalcEdit::HidePopupHandler(TObject*, TcxEditCloseUpReason AReason) {
  CloseUpWithReason(AReason);
}

void TcxCustomCalcEdit::CloseUpWithReason(TcxEditCloseUpReason AReason) {
  inherited::CloseUpWithReason(AReason);
}

double TcxCustomCalcEdit::GetValue() {
  double v = 0;
  return ValueToNumber(EditValue(), v) ? v : 0;
}

void TcxCustomCalcEdit::SetValue(double Value) {
  if (std::isfinite(Value)) SetEditValue(Variant(Value));
}

void TcxCustomCalcEdit::PropertiesChanged(TObject* Sender) {
  if (!IsInnerEditNotReady() && FCalculator) {
    TcxCustomCalcEditProperties* p = CalcProperties();
    FCalculator->SetBeepOnError(p->GetBeepOnError());
    FCalculator->SetPrecision(p->GetPrecision());
    AssignPopupControl();
  }
  inherited::PropertiesChanged(Sender);
}

bool TcxCustomCalcEdit::IsValidChar(Char AChar) {
  // As in the currency edit: control characters are no characters of the number.
  if (Byte(AChar) < 32) return true;
  if (!cxIsNumericChar(AChar, TcxNumberType::ntExponent)) return false;
  String text = VarToStr(GetDisplayValue());
  const Integer length = Integer(text.size());
  const Integer start = std::clamp<Integer>(GetSelStart(), 0, length);
  const Integer count = std::clamp<Integer>(GetSelLength(), 0, length - start);
  text.replace(size_t(start), size_t(count), 1, AChar);
  if (text == "-") return true;
  double d = 0;
  return cxTextToNumber(text, d);
}

void TcxCustomCalcEdit::DoEditKeyPress(Char& Key) {
  if (Key == '.' || Key == ',') Key = FormatSettings.DecimalSeparator;
  if (Byte(Key) >= 32 && !IsValidChar(Key)) {
    Key = 0;
    if (CalcProperties()->GetBeepOnError()) MessageBeep(0);
    return;
  }
  inherited::DoEditKeyPress(Key);
}

void TcxCustomCalcEdit::PasteFromClipboard() {
  if (FCalculator && DoEditing()) FCalculator->PasteFromClipboard();
}

bool TcxCustomCalcEdit::CanDropDown() {
  return !CalcProperties()->GetReadOnly() && DataBinding()->IsDataAvailable() &&
         inherited::CanDropDown();
}

void TcxCustomCalcEdit::DoInitPopup() {
  AssignPopupControl();
  inherited::DoInitPopup();
}

void TcxCustomCalcEdit::InitializePopupWindow() {
  inherited::InitializePopupWindow();
  if (!FCalculator) return;
  FCalculator->HandleNeeded();
  FCalculator->ApplyFont(GetActiveStyle()->GetFont());
}

void TcxCustomCalcEdit::DoPopup() {
  FTextBeforePopup = VarToStr(GetDisplayValue());
  FModifiedBeforePopup = GetDisplayValueModified();
  TcxEditLifeGuard guard(this);  // OnPopup may free the editor
  inherited::DoPopup();
  if (guard.Alive() && FCalculator) FCalculator->ResetKeyPress();
}

void TcxCustomCalcEdit::PopupWindowClosed() {
  TcxEditLifeGuard guard(this);
  if (CloseUpReason() == TcxEditCloseUpReason::crCancel) {
    SetInternalDisplayValue(Variant(FTextBeforePopup));
    SetDisplayValueModified(FModifiedBeforePopup);
    // Nor does a cancelled calculation leave an operation pending for the next drop-down.
    if (FCalculator) FCalculator->ResetOperation();
  } else if (VarToStr(GetDisplayValue()) == cxGetResourceString(scxSCalcError)) {
    SetEditValue(Variant(0.0));
  }
  if (!guard.Alive()) return;
  if (CalcProperties()->GetAutoSelect())
    SelectAll();
  else
    SetSelStart(Integer(VarToStr(GetDisplayValue()).size()));
  inherited::PopupWindowClosed();
}

TcxCustomEditPropertiesClass TcxCustomCalcEdit::GetPropertiesClass() {
  return ClassOf<TcxCustomCalcEditProperties, TcxCustomEditProperties, TPersistent*>();
}

TcxCustomEditPropertiesClass TcxCalcEdit::GetPropertiesClass() {
  return ClassOf<TcxCalcEditProperties, TcxCustomEditProperties, TPersistent*>();
}

TL_DEFINE_CLASS(TcxPopupCalculator, [](auto&) {});
TL_DEFINE_CLASS(TcxCalcEditPropertiesValues, [](auto& c) {
  using T = TcxCalcEditPropertiesValues;
  c.Property("Precision", &T::GetPrecision, &T::SetPrecision).Default(false);
});
TL_DEFINE_CLASS(TcxCustomCalcEditProperties, [](auto&) {});
TL_DEFINE_CLASS(TcxCalcEditProperties, [](auto& c) {
  using T = TcxCalcEditProperties;
  c.Property("BeepOnError", &T::GetBeepOnError, &T::SetBeepOnError).Default(true);
  c.Property("ButtonGlyph", &T::GetButtonGlyph, &T::SetButtonGlyph).Stored(&T::IsButtonGlyphStored);
  c.Property("DisplayFormat", &T::GetDisplayFormat, &T::SetDisplayFormat)
      .Stored(&T::IsDisplayFormatStored);
  c.Property("ImeMode", &T::GetImeMode, &T::SetImeMode).Default(TImeMode::imDontCare);
  c.Property("ImeName", &T::GetImeName, &T::SetImeName);
  c.Property("Precision", &T::GetPrecision, &T::SetPrecision).Stored(&T::IsPrecisionStored);
  c.Property("QuickClose", &T::GetQuickClose, &T::SetQuickClose).Default(false);
  c.Property("ScientificFormat", &T::GetScientificFormat, &T::SetScientificFormat).Default(false);
  c.Property("UseThousandSeparator", &T::GetUseThousandSeparator, &T::SetUseThousandSeparator)
      .Default(false);
  c.Property("ValidateOnEnter", &T::GetValidateOnEnter, &T::SetValidateOnEnter).Default(true);
  c.Event("OnCloseUp", &T::OnCloseUp);
  c.Event("OnInitPopup", &T::OnInitPopup);
  c.Event("OnPopup", &T::OnPopup);
});
TL_DEFINE_CLASS(TcxCustomCalcEdit, [](auto&) {});
TL_DEFINE_CLASS(TcxCalcEdit, [](auto& c) {
  using T = TcxCalcEdit;
  c.Property("BeepOnEnter", &T::GetBeepOnEnter, &T::SetBeepOnEnter).Default(true);
  c.Property("Properties", &T::GetCalcEditProperties);
  c.Property("Value", &T::GetValue, &T::SetValue);
  cxPublishEditValue<T>(c);
});

namespace cxCalcEdit {

namespace {
UnitCounter gCalcEdit;
}  // namespace

void Initialize() {
  if (!gCalcEdit.Enter()) return;
  cxRegisterEditor(TcxCalcEditProperties::StaticClass(),
                   "CalcEdit|Represents an edit control with a dropdown calculator window",
                   TcxCalcEdit::StaticClass());
}

void Finalize() {
  if (!gCalcEdit.Leave()) return;
  cxUnregisterEditor(TcxCalcEditProperties::StaticClass(), TcxCalcEdit::StaticClass());
}

}  // namespace cxCalcEdit
