#include "widgets/special/cxCurrencyEdit.h"

#include "classlib/core/ScopeGuards.h"
#include "classlib/core/SysUtils.h"
#include "classlib/core/Variants.h"
#include "platform/kernel/Units.h"
#include "platform/user/User.h"
#include "widgets/editcore/cxEditRegisteredRepositoryItems.h"
#include "widgets/foundation/cxClasses.h"
#include "widgets/foundation/cxVariants.h"
#include "widgets/special/cxNumberText.h"

#include <algorithm>
#include <cmath>

namespace {

const TResStringRec scxSEditCurrencyConvertError = {65410, "Could not convert to numeric value"};

bool IsBlank(const Variant& V) { return VarIsEmpty(V) || cxVarIsBlank(V); }

[[noreturn]] void RaiseConvertError() {
  throw EConvertError(cxGetResourceString(scxSEditCurrencyConvertError));
}

}  // namespace

// ---- properties ----

TcxCustomCurrencyEditProperties::TcxCustomCurrencyEditProperties(TPersistent* AOwner)
    : TcxCustomTextEditProperties(AOwner) {
  SetValidateOnEnter(true);
}

void TcxCustomCurrencyEditProperties::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TcxCustomCurrencyEditProperties*>(Source);
  if (!s) {
    inherited::Assign(Source);
    return;
  }
  auto update = UpdateBracket(this);
  inherited::Assign(Source);
  SetDecimalPlaces(s->FDecimalPlaces);
  SetNullable(s->FNullable);
  SetNullString(s->FNullString);
  SetUseThousandSeparator(s->FUseThousandSeparator);
}

void TcxCustomCurrencyEditProperties::SetNullable(bool Value) {
  if (FNullable == Value) return;
  FNullable = Value;
  Changed();
}

void TcxCustomCurrencyEditProperties::SetNullString(const String& Value) {
  if (FNullString == Value) return;
  FNullString = Value;
  Changed();
}

void TcxCustomCurrencyEditProperties::SetUseThousandSeparator(bool Value) {
  if (FUseThousandSeparator == Value) return;
  FUseThousandSeparator = Value;
  Changed();
}

bool TcxCustomCurrencyEditProperties::TextToNumber(const String& AText, double& AValue) {
  return cxTextToNumber(AText, AValue);
}

Currency TcxCustomCurrencyEditProperties::NumberToCurrency(double AValue) {
  if (!std::isfinite(AValue)) RaiseConvertError();
  try {
    return DoubleToCurr(AValue);
  } catch (const EOverflow&) {
    RaiseConvertError();
  }
}

String TcxCustomCurrencyEditProperties::GetDefaultDisplayFormat() const {
  return cxGetFormatController()->GetCurrencyFormat();
}

bool TcxCustomCurrencyEditProperties::IsDisplayFormatDefined(bool AIsInplace) const {
  IcxEditDefaultValuesProvider* p = GetIDefaultValuesProvider();
  if (AIsInplace || !p) return false;
  return p->IsDisplayFormatDefined(true);
}

void TcxCustomCurrencyEditProperties::PrepareDisplayValue(const Variant& AEditValue,
                                                          Variant& ADisplayValue,
                                                          bool AEditFocused) {
  if (!IsBlank(AEditValue)) {
    inherited::PrepareDisplayValue(AEditValue, ADisplayValue, AEditFocused);
  } else if (AEditFocused) {
    ADisplayValue = Variant(String());
  } else if (FNullable) {
    ADisplayValue = Variant(FNullString);
  } else {
    ADisplayValue = Variant(FormatEditValue(Variant(0.0), false));
  }
}

void TcxCustomCurrencyEditProperties::ValidateDisplayValue(Variant& DisplayValue, String& ErrorText,
                                                           bool& Error,
                                                           IcxEditPropertiesHost* AEdit) {
  Error = false;
  if (auto* host = dynamic_cast<IcxTextEditPropertiesHost*>(AEdit)) {
    try {
      Variant value;
      host->PrepareEditValue(DisplayValue, value, host->IsEditFocused());
    } catch (const EConvertError& e) {
      Error = true;
      ErrorText = e.Message();
    }
  }
  inherited::ValidateDisplayValue(DisplayValue, ErrorText, Error, AEdit);
}

// ---- the editor ----

void TcxCustomCurrencyEdit::Initialize() {
  inherited::Initialize();
  // The component's name never becomes the amount.
  TControlStyle cs = ControlStyle();
  cs.Exclude(TControlStyleItem::csSetCaption);
  SetControlStyle(cs);
}

bool TcxCustomCurrencyEdit::IsCurrencyValue() {
  if (VarType(EditValue()) == varCurrency) return true;
  IcxEditDefaultValuesProvider* p = GetActiveProperties()->GetIDefaultValuesProvider();
  return p && p->DefaultIsCurrency();
}

double TcxCustomCurrencyEdit::GetValue() {
  const Variant& v = EditValue();
  if (IsBlank(v)) return 0;
  if (VarIsStr(v)) {
    double d = 0;
    return TcxCustomCurrencyEditProperties::TextToNumber(Trim(v.AsString()), d) ? d : 0;
  }
  if (!cxVarIsNumber(v)) return 0;
  return v.AsDouble();
}

void TcxCustomCurrencyEdit::SetValue(double Value) {
  if (!std::isfinite(Value)) return;
  TcxCustomCurrencyEditProperties* p = CurrencyProperties();
  if (p->IsValueBoundDefined()) {
    if (p->IsValueBoundActive(1) && Value > p->GetMaxValue()) Value = p->GetMaxValue();
    if (p->IsValueBoundActive(0) && Value < p->GetMinValue()) Value = p->GetMinValue();
  }
  if (IsCurrencyValue())
    SetEditValue(Variant(TcxCustomCurrencyEditProperties::NumberToCurrency(Value)));
  else
    SetEditValue(Variant(Value));
}

void TcxCustomCurrencyEdit::PrepareEditValue(const Variant& ADisplayValue, Variant& AEditValue,
                                             bool) {
  const String text = Trim(VarToStr(ADisplayValue));
  if (text.empty()) {
    AEditValue = Variant::MakeNull();
    return;
  }
  double d = 0;
  if (!TcxCustomCurrencyEditProperties::TextToNumber(text, d)) RaiseConvertError();
  if (IsCurrencyValue())
    AEditValue = Variant(TcxCustomCurrencyEditProperties::NumberToCurrency(d));
  else
    AEditValue = Variant(d);
}

bool TcxCustomCurrencyEdit::IsValidChar(Char AChar) {
  // Backspace, paste and cut are no characters of the number: the text they leave is the
  // validation's to judge.
  if (Byte(AChar) < 32) return true;
  TcxCustomCurrencyEditProperties* p = CurrencyProperties();
  const bool thousand = p->GetUseThousandSeparator() && AChar == FormatSettings.ThousandSeparator;
  if (!cxIsNumericChar(AChar, TcxNumberType::ntExponent) && !thousand) return false;
  bool providerFlag = false, providerFormats = false;
  String format;
  p->GetEditingFormat(providerFlag, providerFormats, format, this);
  if (providerFormats) return true;
  String text = VarToStr(GetDisplayValue());
  const Integer length = Integer(text.size());
  const Integer start = std::clamp<Integer>(GetSelStart(), 0, length);
  const Integer count = std::clamp<Integer>(GetSelLength(), 0, length - start);
  text.replace(size_t(start), size_t(count), 1, AChar);
  if (text == "-") return true;
  if (const size_t point = text.find(FormatSettings.DecimalSeparator); point != String::npos) {
    size_t end = text.find_first_of("eE", point + 1);
    if (end == String::npos) end = text.size();
    if (Integer(end - point - 1) > p->GetDecimalPlaces()) return false;
  }
  double d = 0;
  return TcxCustomCurrencyEditProperties::TextToNumber(text, d);
}

void TcxCustomCurrencyEdit::DoEditKeyPress(Char& Key) {
  TcxCustomCurrencyEditProperties* p = CurrencyProperties();
  if ((Key == ',' || Key == '.') &&
      !(p->GetUseThousandSeparator() && Key == FormatSettings.ThousandSeparator))
    Key = FormatSettings.DecimalSeparator;
  if (Byte(Key) >= 32 && !IsValidChar(Key)) {
    Key = 0;
    MessageBeep(0);
    return;
  }
  inherited::DoEditKeyPress(Key);
}

void TcxCustomCurrencyEdit::PropertiesChanged(TObject* Sender) {
  // Typed text stays until it is validated.
  if (!IsInnerEditNotReady() && !(IsInplace() && GetActiveProperties()->IsChangeLocked()) &&
      DataBinding() && !GetDisplayValueModified())
    DataBinding()->UpdateDisplayValue();
  inherited::PropertiesChanged(Sender);
}

void TcxCustomCurrencyEdit::PasteFromClipboard() {
  if (CanModify()) inherited::PasteFromClipboard();
}

TcxCustomEditPropertiesClass TcxCustomCurrencyEdit::GetPropertiesClass() {
  return ClassOf<TcxCustomCurrencyEditProperties, TcxCustomEditProperties, TPersistent*>();
}

TcxCustomEditPropertiesClass TcxCurrencyEdit::GetPropertiesClass() {
  return ClassOf<TcxCurrencyEditProperties, TcxCustomEditProperties, TPersistent*>();
}

TcxCustomEditClass TcxCustomCurrencyEditProperties::GetContainerClass() const {
  return ClassOf<TcxCurrencyEdit, TcxCustomEdit, TComponent*, bool>();
}

TL_DEFINE_CLASS(TcxCustomCurrencyEditProperties, [](auto&) {});
TL_DEFINE_CLASS(TcxCurrencyEditProperties, [](auto& c) {
  using T = TcxCurrencyEditProperties;
  c.Property("DecimalPlaces", &T::GetDecimalPlaces, &T::SetDecimalPlaces).Default(2);
  c.Property("DisplayFormat", &T::GetDisplayFormat, &T::SetDisplayFormat)
      .Stored(&T::IsDisplayFormatStored);
  c.Property("EchoMode", &T::GetEchoMode, &T::SetEchoMode).Default(TcxEditEchoMode::eemNormal);
  c.Property("EditFormat", &T::GetEditFormat, &T::SetEditFormat).Stored(&T::IsEditFormatStored);
  c.Property("HideSelection", &T::GetHideSelection, &T::SetHideSelection).Default(true);
  c.Property("ImeMode", &T::GetImeMode, &T::SetImeMode).Default(TImeMode::imDontCare);
  c.Property("ImeName", &T::GetImeName, &T::SetImeName);
  c.Property("MaxValue", &T::GetMaxValue, &T::SetMaxValue).Stored(&T::IsMaxValueStored);
  c.Property("MinValue", &T::GetMinValue, &T::SetMinValue).Stored(&T::IsMinValueStored);
  c.Property("Nullable", &T::GetNullable, &T::SetNullable).Default(true);
  c.Property("NullString", &T::GetNullString, &T::SetNullString);
  c.Property("PasswordChar", &T::GetPasswordChar, &T::SetPasswordChar).Default(Char(0));
  c.Property("UseDisplayFormatWhenEditing", &T::GetUseDisplayFormatWhenEditing,
             &T::SetUseDisplayFormatWhenEditing)
      .Default(false);
  c.Property("UseThousandSeparator", &T::GetUseThousandSeparator, &T::SetUseThousandSeparator)
      .Default(false);
  c.Property("ValidateOnEnter", &T::GetValidateOnEnter, &T::SetValidateOnEnter).Default(true);
});
TL_DEFINE_CLASS(TcxCustomCurrencyEdit, [](auto&) {});
TL_DEFINE_CLASS(TcxCurrencyEdit, [](auto& c) {
  using T = TcxCurrencyEdit;
  c.Property("BeepOnEnter", &T::GetBeepOnEnter, &T::SetBeepOnEnter).Default(true);
  c.Property("Properties", &T::GetCurrencyEditProperties);
  c.Property("Value", &T::GetValue, &T::SetValue);
  cxPublishEditValue<T>(c);
});

namespace cxCurrencyEdit {

namespace {
UnitCounter gCurrencyEdit;
}  // namespace

void Initialize() {
  if (!gCurrencyEdit.Enter()) return;
  cxRegisterEditor(TcxCurrencyEditProperties::StaticClass(),
                   "CurrencyEdit|Represents an editor enabling editing currency data",
                   TcxCurrencyEdit::StaticClass());
}

void Finalize() {
  if (!gCurrencyEdit.Leave()) return;
  cxUnregisterEditor(TcxCurrencyEditProperties::StaticClass(), TcxCurrencyEdit::StaticClass());
}

}  // namespace cxCurrencyEdit
