// The spin edit's settings and value model: types, effective bounds, reading typed text,
// one spin step within the bounds, and validation of the display text.
#include "classlib/core/SysUtils.h"
#include "classlib/core/ScopeGuards.h"
#include "widgets/editors/cxSpinEdit.h"
#include "widgets/foundation/cxVariants.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

using VT = TcxSpinEditValueType;
__extension__ typedef __int128 Int128;

const TResStringRec cxSEditValueOutOfBounds = {65409, "Value out of bounds"};

constexpr double kFloatLimit = 1.7E308;
constexpr Int64 kIntMin = std::numeric_limits<Int64>::min();
constexpr Int64 kIntMax = std::numeric_limits<Int64>::max();
// 2^63: the first double past the Int64 range.
constexpr double kIntBound = 9223372036854775808.0;

// Nearest integer, halves to even, held to the Int64 range; NaN gives 0.
Int64 RoundToInt64(double D) {
  if (std::isnan(D)) return 0;
  const double r = std::nearbyint(D);
  if (r >= kIntBound) return kIntMax;
  if (r < -kIntBound) return kIntMin;
  return Int64(r);
}

double ClampFloat(double D) {
  if (std::isnan(D)) return 0.0;
  return std::max(-kFloatLimit, std::min(kFloatLimit, D));
}

bool IsIntegerVarType(TVarType T) {
  switch (T) {
    case varSmallint:
    case varInteger:
    case varShortInt:
    case varByte:
    case varWord:
    case varLongWord:
    case varInt64: return true;
    default: return false;
  }
}

// The double a variant holds; false when it holds no number that reads as one.
bool NumberOf(const Variant& V, double& D) {
  if (!cxVarIsNumber(V) || VarType(V) == varBoolean) return false;
  try {
    D = V.AsDouble();
  } catch (const Exception&) {
    return false;
  }
  return true;
}

String TrimBlanks(const String& S) {
  size_t i = 0, n = S.size();
  while (i < n && (S[i] == ' ' || S[i] == '\t')) ++i;
  while (n > i && (S[n - 1] == ' ' || S[n - 1] == '\t')) --n;
  return S.substr(i, n - i);
}

bool IsDecimalInteger(const String& S) {
  size_t i = 0;
  if (i < S.size() && (S[i] == '+' || S[i] == '-')) ++i;
  if (i == S.size()) return false;
  for (; i < S.size(); ++i)
    if (S[i] < '0' || S[i] > '9') return false;
  return true;
}

// Decimal places of the shortest decimal text that reads back as D; -1 when it has more than
// 22 (past the powers of ten a double holds exactly).
int DecimalPlaces(double D) {
  if (D == 0.0 || !std::isfinite(D)) return 0;
  char buf[40];
  for (int precision = 1; precision <= 17; ++precision) {
    std::snprintf(buf, sizeof buf, "%.*e", precision - 1, D);
    if (std::strtod(buf, nullptr) != D) continue;
    const char* e = std::strchr(buf, 'e');
    if (!e) return -1;
    // Digits of the mantissa after its first, trailing zeros left out (whatever character
    // the C library uses as its point).
    int digits = -1, zeros = 0;
    for (const char* c = buf; c < e; ++c) {
      if (*c < '0' || *c > '9') continue;
      ++digits;
      zeros = *c == '0' ? zeros + 1 : 0;
    }
    digits = std::max(0, digits - zeros);
    const int places = std::max(0, digits - std::atoi(e + 1));
    return places <= 22 ? places : -1;
  }
  return -1;
}

// V + AInc on the decimals of the two: binary fractions such as 0.1 would otherwise leave
// rests that add up step by step (0.1 three times up and down gives 2.8E-17, not 0).
double AddOnDecimals(double V, double AInc) {
  const double r = V + AInc;
  const int vPlaces = DecimalPlaces(V), incPlaces = DecimalPlaces(AInc);
  if (vPlaces < 0 || incPlaces < 0 || !std::isfinite(r)) return r;
  const int places = std::max(vPlaces, incPlaces);
  const double scale = std::pow(10.0, places);
  const double scaled = r * scale;
  // Beyond 2^53 whole numbers are no longer all held: the sum stays as it is.
  if (!(std::fabs(scaled) < 9007199254740992.0)) return r;
  return std::nearbyint(scaled) / scale;
}

bool IsForward(TcxSpinEditButton AButton) {
  return AButton == TcxSpinEditButton::sebForward || AButton == TcxSpinEditButton::sebFastForward;
}

}  // namespace

// ---- assigned values ----

void TcxSpinEditPropertiesValues::Assign(TPersistent* Source) {
  auto update = UpdateBracket(this);
  inherited::Assign(Source);
  if (auto* s = dynamic_cast<TcxSpinEditPropertiesValues*>(Source)) SetValueType(s->FValueType);
}

void TcxSpinEditPropertiesValues::RestoreDefaults() {
  auto update = UpdateBracket(this);
  inherited::RestoreDefaults();
  SetValueType(false);
}

void TcxSpinEditPropertiesValues::SetValueType(bool Value) {
  if (FValueType == Value) return;
  FValueType = Value;
  Changed();
}

// ---- spin buttons ----

TPersistent* TcxSpinEditButtons::GetOwner() const { return FOwner; }

void TcxSpinEditButtons::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TcxSpinEditButtons*>(Source);
  if (!s) return inherited::Assign(Source);
  if (FOwner) FOwner->BeginUpdate();
  FPosition = s->FPosition;
  FShowFastButtons = s->FShowFastButtons;
  if (FOwner) FOwner->EndUpdate();
}

void TcxSpinEditButtons::SetPosition(TcxSpinEditButtonsPosition Value) {
  if (FPosition == Value) return;
  FPosition = Value;
  if (FOwner) FOwner->NotifyChanged();
}

void TcxSpinEditButtons::SetShowFastButtons(bool Value) {
  if (FShowFastButtons == Value) return;
  FShowFastButtons = Value;
  if (FOwner) FOwner->NotifyChanged();
}

// ---- properties: life and settings ----

void TcxCustomSpinEditProperties::AfterConstruction() {
  inherited::AfterConstruction();
  FSpinButtons = New<TcxSpinEditButtons>(this);
  auto quiet = cxPropertiesQuietUpdate(this);
  GetButtons()->Add();
  GetButtons()->Add();
}

void TcxCustomSpinEditProperties::BeforeDestruction() {
  FreeAndNil(FSpinButtons);
  inherited::BeforeDestruction();
}

void TcxCustomSpinEditProperties::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TcxCustomSpinEditProperties*>(Source);
  if (!s || s == this) return inherited::Assign(Source);
  auto update = UpdateBracket(this);
  inherited::Assign(Source);
  SetCanEdit(s->FCanEdit);
  SetCircular(s->FCircular);
  SetExceptionOnInvalidInput(s->FExceptionOnInvalidInput);
  SetIncrement(s->FIncrement);
  SetLargeIncrement(s->FLargeIncrement);
  FSpinButtons->Assign(s->FSpinButtons);
  SetUseCtrlIncrement(s->FUseCtrlIncrement);
  if (s->IsValueTypeStored())
    SetValueType(s->FValueType);
  else
    GetSpinAssignedValues()->SetValueType(false);
  OnGetValue = s->OnGetValue;
}

void TcxCustomSpinEditProperties::SetCanEdit(bool Value) {
  if (FCanEdit == Value) return;
  FCanEdit = Value;
  Changed();
}

void TcxCustomSpinEditProperties::SetCircular(bool Value) {
  if (FCircular == Value) return;
  FCircular = Value;
  Changed();
}

void TcxCustomSpinEditProperties::SetExceptionOnInvalidInput(bool Value) {
  if (FExceptionOnInvalidInput == Value) return;
  FExceptionOnInvalidInput = Value;
  Changed();
}

void TcxCustomSpinEditProperties::SetIncrement(double Value) {
  if (!std::isfinite(Value) || FIncrement == Value) return;
  FIncrement = Value;
  Changed();
}

void TcxCustomSpinEditProperties::SetLargeIncrement(double Value) {
  if (!std::isfinite(Value) || FLargeIncrement == Value) return;
  FLargeIncrement = Value;
  Changed();
}

void TcxCustomSpinEditProperties::SetSpinButtons(TcxSpinEditButtons* Value) {
  if (Value && Value != FSpinButtons) FSpinButtons->Assign(Value);
}

void TcxCustomSpinEditProperties::SetUseCtrlIncrement(bool Value) {
  if (FUseCtrlIncrement == Value) return;
  FUseCtrlIncrement = Value;
  Changed();
}

TcxSpinEditValueType TcxCustomSpinEditProperties::GetValueType() const {
  if (IsValueTypeStored()) return FValueType;
  if (IcxEditDefaultValuesProvider* p = GetIDefaultValuesProvider())
    return p->DefaultIsFloatValue() ? VT::vtFloat : VT::vtInt;
  return VT::vtFloat;
}

void TcxCustomSpinEditProperties::SetValueType(TcxSpinEditValueType Value) {
  if (IsValueTypeStored() && FValueType == Value) return;
  FValueType = Value;
  auto update = cxPropertiesUpdate(this);
  GetSpinAssignedValues()->SetValueType(true);
}

void TcxCustomSpinEditProperties::SyncButtons() {
  TcxEditButtons* buttons = GetButtons();
  if (FSyncingButtons || !FSpinButtons || !buttons) return;
  const bool fast = FSpinButtons->GetShowFastButtons();
  const Integer n = buttons->Count();
  if (!(fast && n == 2) && !(!fast && n == 4)) return;
  TScopedValue<bool> syncing(FSyncingButtons, true);
  auto quiet = cxPropertiesQuietUpdate(this);
  if (fast) {
    buttons->Add();
    buttons->Add();
  } else {
    buttons->Delete(3);
    buttons->Delete(2);
  }
}

void TcxCustomSpinEditProperties::Changed() {
  SyncButtons();
  inherited::Changed();
}

// ---- value model ----

Variant TcxCustomSpinEditProperties::VarToValueType(const Variant& V) const {
  const bool isInt = GetValueType() == VT::vtInt;
  if (isInt && IsIntegerVarType(VarType(V))) return Variant(V.AsInt64());
  double d = 0.0;
  if (!NumberOf(V, d)) {
    d = 0.0;
    if (cxVarIsDateTime(V)) {
      // A date and time casts to its day number with the fraction of the day.
      d = V.AsDouble();
    } else if (VarIsStr(V)) {
      Variant t;
      if (TryTextToValue(V.AsString(), t)) return t;
    }
  }
  return isInt ? Variant(RoundToInt64(d)) : Variant(ClampFloat(d));
}

Variant TcxCustomSpinEditProperties::PrepareValue(const Variant& V) const {
  if (VarIsEmpty(V) || cxVarIsBlank(V)) return VarToValueType(Variant(Integer(0)));
  return VarToValueType(V);
}

Variant TcxCustomSpinEditProperties::NumberToValueType(const Variant& V) const {
  return cxVarIsNumber(V) ? VarToValueType(V) : V;
}

bool TcxCustomSpinEditProperties::TryTextToValue(const String& AText, Variant& V) const {
  V = Variant::MakeNull();
  const String text = TrimBlanks(AText);
  if (GetValueType() == VT::vtInt) {
    Int64 i = 0;
    if (!IsDecimalInteger(text) || !TryStrToInt64(text, i)) return false;
    V = Variant(i);
    return true;
  }
  double d = 0.0;
  if (!TryStrToFloat(text, d) || !std::isfinite(d) || d < -kFloatLimit || d > kFloatLimit) return false;
  V = Variant(d);
  return true;
}

Variant TcxCustomSpinEditProperties::GetEffectiveMinValue() const {
  if (GetValueType() == VT::vtInt)
    return Variant(IsValueBoundActive(0) ? RoundToInt64(GetMinValue()) : kIntMin);
  return Variant(IsValueBoundActive(0) ? ClampFloat(GetMinValue()) : -kFloatLimit);
}

Variant TcxCustomSpinEditProperties::GetEffectiveMaxValue() const {
  if (GetValueType() == VT::vtInt)
    return Variant(IsValueBoundActive(1) ? RoundToInt64(GetMaxValue()) : kIntMax);
  return Variant(IsValueBoundActive(1) ? ClampFloat(GetMaxValue()) : kFloatLimit);
}

TcxSpinBoundsCheckingKind TcxCustomSpinEditProperties::GetBoundsKind() const {
  if (FCircular) return TcxSpinBoundsCheckingKind::bckCircular;
  return ExtendValueToBound() ? TcxSpinBoundsCheckingKind::bckExtendToBound
                              : TcxSpinBoundsCheckingKind::bckDoNotExceed;
}

Variant TcxCustomSpinEditProperties::CheckValueBounds(const Variant& V) const {
  double d = 0.0;
  if (!NumberOf(V, d)) return V;
  if (IsValueBoundActive(0) && d < GetMinValue()) return Variant(GetMinValue());
  if (IsValueBoundActive(1) && d > GetMaxValue()) return Variant(GetMaxValue());
  return V;
}

Variant TcxCustomSpinEditProperties::GetStepIncrement(TcxSpinEditButton AButton) const {
  const bool fast = AButton == TcxSpinEditButton::sebFastBackward || AButton == TcxSpinEditButton::sebFastForward;
  const double step = fast ? FLargeIncrement : FIncrement;
  if (GetValueType() == VT::vtInt) {
    // Held to ±(2^63 - 1) so that negating it stays inside the type.
    const Int64 i = std::max(RoundToInt64(step), -kIntMax);
    return Variant(IsForward(AButton) ? i : -i);
  }
  const double d = ClampFloat(step);
  return Variant(IsForward(AButton) ? d : -d);
}

bool TcxCustomSpinEditProperties::CalculateSpinValue(const Variant& AValue, TcxSpinEditButton AButton,
                                                     const Variant& AIncrement, Variant& ANewValue) const {
  const TcxSpinBoundsCheckingKind kind = GetBoundsKind();
  const bool circular = kind == TcxSpinBoundsCheckingKind::bckCircular;
  const bool forward = IsForward(AButton);
  const Variant current = cxVarIsNumber(AValue) ? VarToValueType(AValue) : PrepareValue(Variant());
  if (GetValueType() == VT::vtInt) {
    const Int128 v = current.AsInt64();
    const Int128 mn = GetEffectiveMinValue().AsInt64(), mx = GetEffectiveMaxValue().AsInt64();
    Int128 r;
    if (v < mn) {
      if (!forward && !circular) return false;
      r = forward ? mn : mx;
    } else if (v > mx) {
      if (forward && !circular) return false;
      r = forward ? mn : mx;
    } else {
      // Exact in 128 bits: no distance or sum can leave the type range unnoticed.
      const Int128 inc = VarToValueType(AIncrement).AsInt64();
      const Int128 lo = mn - v, hi = mx - v;
      if (lo <= inc && inc <= hi) {
        r = v + inc;
      } else if (kind == TcxSpinBoundsCheckingKind::bckDoNotExceed) {
        return false;
      } else if (kind == TcxSpinBoundsCheckingKind::bckExtendToBound) {
        r = inc < lo ? mn : mx;
      } else {
        // Whole periods of the range, however large the step.
        const Int128 period = mx - mn + 1;
        Int128 offset = (v - mn + inc) % period;
        if (offset < 0) offset += period;
        r = mn + offset;
      }
    }
    ANewValue = NumberToValueType(Variant(Int64(r)));
    return true;
  }
  const double v = current.AsDouble();
  const double mn = GetEffectiveMinValue().AsDouble(), mx = GetEffectiveMaxValue().AsDouble();
  double r;
  if (v < mn) {
    if (!forward && !circular) return false;
    r = forward ? mn : mx;
  } else if (v > mx) {
    if (forward && !circular) return false;
    r = forward ? mn : mx;
  } else {
    const double inc = VarToValueType(AIncrement).AsDouble();
    const double lo = std::max(mn - v, -kFloatLimit), hi = std::min(mx - v, kFloatLimit);
    // One turn of the circle is Max - Min + 1, as for whole numbers: 0..9 steps from 9 to 0.
    const double period = mx - mn + 1;
    if (lo <= inc && inc <= hi) {
      r = AddOnDecimals(v, inc);
    } else if (kind == TcxSpinBoundsCheckingKind::bckDoNotExceed) {
      return false;
    } else if (kind == TcxSpinBoundsCheckingKind::bckExtendToBound || !std::isfinite(period)) {
      r = inc < lo ? mn : mx;
    } else {
      double offset = (v - mn) + std::fmod(inc, period);
      if (offset >= period) offset -= period;
      else if (offset < 0) offset += period;
      r = std::isfinite(offset) ? mn + offset : (inc < lo ? mn : mx);
      // A fractional step can land in the unit gap between Max and the next turn's Min:
      // it goes on to the far end of the range, never outside it.
      if (r > mx) r = inc > 0 ? mn : mx;
    }
    r = std::max(mn, std::min(mx, r));
  }
  ANewValue = NumberToValueType(Variant(r));
  return true;
}

Variant TcxCustomSpinEditProperties::ClampToBounds(const Variant& V) const {
  if (!cxVarIsNumber(V)) return V;
  const Variant v = VarToValueType(V);
  if (GetValueType() == VT::vtInt) {
    const Int64 i = v.AsInt64();
    return Variant(std::max(GetEffectiveMinValue().AsInt64(), std::min(GetEffectiveMaxValue().AsInt64(), i)));
  }
  const double d = v.AsDouble();
  return Variant(std::max(GetEffectiveMinValue().AsDouble(), std::min(GetEffectiveMaxValue().AsDouble(), d)));
}

String TcxCustomSpinEditProperties::ValueToText(const Variant& V, bool AEditFocused) {
  Variant display;
  try {
    PrepareDisplayValue(V, display, AEditFocused);
  } catch (const Exception&) {
    return VarIsNull(V) ? String() : VarToStr(V);
  }
  return VarToStr(display);
}

// ---- validation ----

bool TcxCustomSpinEditProperties::IsEditValueValid(Variant& AEditValue, bool) const {
  Variant value;
  if (VarIsEmpty(AEditValue) || cxVarIsBlank(AEditValue)) {
    value = AEditValue;
  } else if (VarIsStr(AEditValue)) {
    if (!TryTextToValue(AEditValue.AsString(), value)) return false;
  } else if (cxVarIsNumber(AEditValue)) {
    // Numbers are judged as numbers: finite, of the type's range, whole for vtInt.
    if (VarType(AEditValue) == varBoolean) return false;
    if (!(GetValueType() == VT::vtInt && IsIntegerVarType(VarType(AEditValue)))) {
      double d = 0.0;
      if (!NumberOf(AEditValue, d) || !std::isfinite(d)) return false;
      if (GetValueType() == VT::vtInt ? (d != std::trunc(d) || d < -kIntBound || d >= kIntBound)
                                      : (d < -kFloatLimit || d > kFloatLimit))
        return false;
    }
    value = AEditValue;
  } else if (!cxVarIsDateTime(AEditValue)) {
    return false;
  } else {
    value = AEditValue;
  }
  AEditValue = NumberToValueType(PrepareValue(value));
  return true;
}

bool TcxCustomSpinEditProperties::IsTextEditValueValid(Variant& AEditValue, bool AEditFocused) const {
  if (!inherited::IsTextEditValueValid(AEditValue, AEditFocused)) return false;
  const String text = VarToStr(AEditValue);
  if (!IsDisplayTextBoundsChecked() || text.empty()) return true;
  Variant v;
  if (!TryTextToValue(text, v)) return false;
  if (ClampToBounds(v) != v)
    AEditValue = Variant(const_cast<TcxCustomSpinEditProperties*>(this)->ValueToText(v, AEditFocused));
  return true;
}

void TcxCustomSpinEditProperties::ValidateDisplayValue(Variant& DisplayValue, String& ErrorText, bool& Error,
                                                       IcxEditPropertiesHost* AEdit) {
  auto* edit = dynamic_cast<TcxCustomSpinEdit*>(AEdit);
  const bool focused = edit && edit->IsFocused();
  if (!Error) {
    Variant v;
    bool valid = true;
    if (!edit) {
      const String text = VarToStr(DisplayValue);
      valid = text.empty() || TryTextToValue(text, v);
      if (!valid && FExceptionOnInvalidInput) ErrorText = cxGetResourceString(cxSSpinEditInvalidNumericValue);
    } else if (edit->IsTyped()) {
      valid = edit->InternalPrepareEditValue(VarToStr(DisplayValue), false, v, ErrorText);
    } else {
      v = edit->StoredValue();
    }
    // Text that reads as no number and has no message is dropped: the last value returns.
    if (!valid && !ErrorText.empty()) Error = true;
    if (!Error) {
      if (VarIsNull(v) || VarIsEmpty(v)) v = CheckValueBounds(Variant(Integer(0)));
      v = VarToValueType(v);
      DisplayValue = Variant(ValueToText(v, focused));
      if (ClampToBounds(v) != v) {
        Error = true;
        ErrorText = cxGetResourceString(cxSEditValueOutOfBounds);
      }
    }
  }
  inherited::ValidateDisplayValue(DisplayValue, ErrorText, Error, AEdit);
}

// ---- classes ----

TcxCustomEditPropertiesValuesClass TcxCustomSpinEditProperties::GetAssignedValuesClass() const {
  return ClassOf<TcxSpinEditPropertiesValues, TcxCustomEditPropertiesValues, TcxCustomEditProperties*>();
}

TcxCustomEditViewDataClass TcxCustomSpinEditProperties::GetViewDataClass() const {
  return ClassOf<TcxSpinEditViewData, TcxCustomEditViewData, TcxCustomEditProperties*, TcxCustomEditStyle*, bool>();
}

TcxCustomEditViewInfoClass TcxCustomSpinEditProperties::GetViewInfoClass() const {
  return ClassOf<TcxSpinEditViewInfo, TcxCustomEditViewInfo>();
}

TcxCustomEditClass TcxCustomSpinEditProperties::GetContainerClass() const {
  return ClassOf<TcxSpinEdit, TcxCustomEdit, TComponent*, bool>();
}

TL_DEFINE_CLASS(TcxSpinEditPropertiesValues, [](auto& c) {
  using T = TcxSpinEditPropertiesValues;
  c.Property("ValueType", &T::GetValueType, &T::SetValueType).Default(false);
});
TL_DEFINE_CLASS(TcxSpinEditButtons, [](auto& c) {
  using T = TcxSpinEditButtons;
  c.Property("Position", &T::GetPosition, &T::SetPosition).Default(TcxSpinEditButtonsPosition::sbpVert);
  c.Property("ShowFastButtons", &T::GetShowFastButtons, &T::SetShowFastButtons).Default(false);
});
TL_DEFINE_CLASS(TcxCustomSpinEditProperties, [](auto&) {});
TL_DEFINE_CLASS(TcxSpinEditProperties, [](auto& c) {
  using T = TcxSpinEditProperties;
  c.Property("CanEdit", &T::GetCanEdit, &T::SetCanEdit).Default(true);
  c.Property("DisplayFormat", &T::GetDisplayFormat, &T::SetDisplayFormat).Stored(&T::IsDisplayFormatStored);
  c.Property("EchoMode", &T::GetEchoMode, &T::SetEchoMode).Default(TcxEditEchoMode::eemNormal);
  c.Property("EditFormat", &T::GetEditFormat, &T::SetEditFormat).Stored(&T::IsEditFormatStored);
  c.Property("ExceptionOnInvalidInput", &T::GetExceptionOnInvalidInput, &T::SetExceptionOnInvalidInput)
      .Default(false);
  c.Property("HideSelection", &T::GetHideSelection, &T::SetHideSelection).Default(true);
  c.Property("ImeMode", &T::GetImeMode, &T::SetImeMode).Default(TImeMode::imDontCare);
  c.Property("ImeName", &T::GetImeName, &T::SetImeName);
  c.Property("Increment", &T::GetIncrement, &T::SetIncrement).Stored(&T::IsIncrementStored);
  c.Property("LargeIncrement", &T::GetLargeIncrement, &T::SetLargeIncrement).Stored(&T::IsLargeIncrementStored);
  c.Property("MaxValue", &T::GetMaxValue, &T::SetMaxValue).Stored(&T::IsMaxValueStored);
  c.Property("MinValue", &T::GetMinValue, &T::SetMinValue).Stored(&T::IsMinValueStored);
  c.Property("PasswordChar", &T::GetPasswordChar, &T::SetPasswordChar).Default(Char(0));
  c.Property("SpinButtons", &T::GetSpinButtons, &T::SetSpinButtons);
  c.Property("UseCtrlIncrement", &T::GetUseCtrlIncrement, &T::SetUseCtrlIncrement).Default(false);
  c.Property("UseDisplayFormatWhenEditing", &T::GetUseDisplayFormatWhenEditing, &T::SetUseDisplayFormatWhenEditing)
      .Default(false);
  c.Property("ValueType", &T::GetValueType, &T::SetValueType).Stored(&T::IsValueTypeStored);
  c.Event("OnGetValue", &T::OnGetValue);
});
