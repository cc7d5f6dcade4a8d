#include "widgets/editcore/cxTextEdit.h"

#include "classlib/core/Filer.h"
#include "classlib/core/ScopeGuards.h"
#include "classlib/core/SysUtils.h"
#include "widgets/editcore/cxTextEditLookupData.h"
#include "widgets/foundation/cxContainer.h"
#include "widgets/foundation/cxVariants.h"

#include <cmath>

const TResStringRec cxSEditValueOutOfBounds = {65409, "Value out of bounds"};
const TResStringRec cxSEditNumericValueConvertError = {65410, "Could not convert to numeric value"};

namespace {

// A bound that is not a finite number bounds nothing.
bool IsUsableBound(double V) { return std::isfinite(V); }

}  // namespace

// ---- assigned values ----

void TcxTextEditPropertiesValues::SetFlag(bool& AFlag, bool Value) {
  if (AFlag == Value) return;
  AFlag = Value;
  Changed();
}

void TcxTextEditPropertiesValues::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TcxCustomEditPropertiesValues*>(Source);
  if (!src) return inherited::Assign(Source);
  auto update = UpdateBracket(this);
  SetReadOnly(src->GetReadOnly());
  if (auto* t = dynamic_cast<TcxTextEditPropertiesValues*>(src)) {
    SetDisplayFormat(t->FDisplayFormat);
    SetEditFormat(t->FEditFormat);
    SetMaxLength(t->FMaxLength);
    SetMaxValue(t->FMaxValue);
    SetMinValue(t->FMinValue);
  }
}

void TcxTextEditPropertiesValues::RestoreDefaults() {
  auto update = UpdateBracket(this);
  inherited::RestoreDefaults();
  SetDisplayFormat(false);
  SetEditFormat(false);
  SetMaxLength(false);
  SetMaxValue(false);
  SetMinValue(false);
}

bool TcxTextEditPropertiesValues::IsMaxValueStored() const {
  auto* p = dynamic_cast<TcxCustomTextEditProperties*>(GetOwner());
  return FMaxValue && p && p->GetMaxValue() == 0.0;
}

bool TcxTextEditPropertiesValues::IsMinValueStored() const {
  auto* p = dynamic_cast<TcxCustomTextEditProperties*>(GetOwner());
  return FMinValue && p && p->GetMinValue() == 0.0;
}

TL_DEFINE_CLASS(TcxTextEditPropertiesValues, [](auto& c) {
  using T = TcxTextEditPropertiesValues;
  c.Property("DisplayFormat", &T::GetDisplayFormat, &T::SetDisplayFormat).Default(false);
  c.Property("EditFormat", &T::GetEditFormat, &T::SetEditFormat).Default(false);
  c.Property("MaxLength", &T::GetMaxLength, &T::SetMaxLength).Default(false);
  c.Property("MaxValue", &T::GetMaxValue, &T::SetMaxValue).Stored(&T::IsMaxValueStored);
  c.Property("MinValue", &T::GetMinValue, &T::SetMinValue).Stored(&T::IsMinValueStored);
});

// ---- properties ----

TcxCustomTextEditProperties::TcxCustomTextEditProperties(TPersistent* AOwner) : TcxCustomEditProperties(AOwner) {}

void TcxCustomTextEditProperties::AfterConstruction() {
  inherited::AfterConstruction();
  FLookupItems = New<TStringList>();
  FLookupItems->OnChange = {this, &TcxCustomTextEditProperties::LookupItemsChanged};
  cxGetFormatController()->AddListener(this);
  FListening = true;
}

void TcxCustomTextEditProperties::BeforeDestruction() {
  if (FListening) cxGetFormatController()->RemoveListener(this);
  FListening = false;
  FreeAndNil(FLookupItems);
  inherited::BeforeDestruction();
}

void TcxCustomTextEditProperties::FormatChanged() {
  FFormatChanging = true;
  TScopeExit reset([this] { FFormatChanging = false; });
  Changed();
}

template <class T>
void TcxCustomTextEditProperties::SetIfDifferent(T& AField, const T& Value) {
  if (AField == Value) return;
  AField = Value;
  Changed();
}

void TcxCustomTextEditProperties::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TcxCustomTextEditProperties*>(Source);
  if (!src || src == this) return inherited::Assign(Source);
  auto update = cxPropertiesUpdate(this);
  inherited::Assign(Source);
  SetCharCase(src->FCharCase);
  SetEchoMode(src->FEchoMode);
  SetAccumulateFixedListTyping(src->FAccumulateFixedListTyping);
  FValidChars = src->FValidChars;
  SetHideCursor(src->FHideCursor);
  SetHideSelection(src->FHideSelection);
  SetImmediateUpdateText(src->FImmediateUpdateText);
  SetIncrementalSearch(src->FIncrementalSearch);
  SetLookupExactMatch(src->FLookupExactMatch);
  FLookupItems->SetSorted(false);
  FLookupItems->Assign(src->FLookupItems);
  FLookupItems->SetSorted(src->FLookupItems->GetSorted());
  TcxTextEditPropertiesValues* values = GetTextAssignedValues();
  TcxTextEditPropertiesValues* srcValues = src->GetTextAssignedValues();
  if (srcValues->GetDisplayFormat()) SetDisplayFormat(src->FDisplayFormat); else values->SetDisplayFormat(false);
  if (srcValues->GetEditFormat()) SetEditFormat(src->FEditFormat); else values->SetEditFormat(false);
  if (srcValues->GetMaxLength()) SetMaxLength(src->FMaxLength); else values->SetMaxLength(false);
  if (srcValues->GetMaxValue()) SetMaxValue(src->FMaxValue); else values->SetMaxValue(false);
  if (srcValues->GetMinValue()) SetMinValue(src->FMinValue); else values->SetMinValue(false);
  SetOEMConvert(src->FOEMConvert);
  SetImeMode(src->FImeMode);
  SetImeName(src->FImeName);
  SetPasswordChar(src->FPasswordChar);
  SetUseDisplayFormatWhenEditing(src->FUseDisplayFormatWhenEditing);
  OnNewLookupDisplayText = src->OnNewLookupDisplayText;
  OnLookupItemChanged = src->OnLookupItemChanged;
}

void TcxCustomTextEditProperties::AlignmentChanged(TObject* Sender) {
  auto update = cxPropertiesUpdate(this);
  inherited::AlignmentChanged(Sender);
}

// ---- settings ----

void TcxCustomTextEditProperties::SetAccumulateFixedListTyping(bool Value) {
  if (FAccumulateFixedListTyping == Value) return;
  FAccumulateFixedListTyping = Value;
  if (GetEditingStyle() == TcxEditEditingStyle::esFixedList) Changed();
}

void TcxCustomTextEditProperties::SetCharCase(TEditCharCase Value) { SetIfDifferent(FCharCase, Value); }
void TcxCustomTextEditProperties::SetEchoMode(TcxEditEchoMode Value) { SetIfDifferent(FEchoMode, Value); }
void TcxCustomTextEditProperties::SetHideCursor(bool Value) { SetIfDifferent(FHideCursor, Value); }
void TcxCustomTextEditProperties::SetHideSelection(bool Value) { SetIfDifferent(FHideSelection, Value); }
void TcxCustomTextEditProperties::SetImeMode(TImeMode Value) { SetIfDifferent(FImeMode, Value); }
void TcxCustomTextEditProperties::SetImeName(const String& Value) { SetIfDifferent(FImeName, Value); }
void TcxCustomTextEditProperties::SetImmediateUpdateText(bool Value) { SetIfDifferent(FImmediateUpdateText, Value); }
void TcxCustomTextEditProperties::SetIncrementalSearch(bool Value) { SetIfDifferent(FIncrementalSearch, Value); }
void TcxCustomTextEditProperties::SetLookupExactMatch(bool Value) { SetIfDifferent(FLookupExactMatch, Value); }
void TcxCustomTextEditProperties::SetOEMConvert(bool Value) { SetIfDifferent(FOEMConvert, Value); }
void TcxCustomTextEditProperties::SetPasswordChar(Char Value) { SetIfDifferent(FPasswordChar, Value); }
void TcxCustomTextEditProperties::SetUseDisplayFormatWhenEditing(bool Value) {
  SetIfDifferent(FUseDisplayFormatWhenEditing, Value);
}

void TcxCustomTextEditProperties::SetLookupItems(TStrings* Value) {
  if (Value && Value != FLookupItems) FLookupItems->Assign(Value);
}

String TcxCustomTextEditProperties::GetDisplayFormat() const {
  if (IsDisplayFormatAssigned()) return FDisplayFormat;
  if (IcxEditDefaultValuesProvider* p = GetIDefaultValuesProvider()) {
    String f = p->DefaultDisplayFormat();
    if (!f.empty()) return f;
  }
  return GetDefaultDisplayFormat();
}

void TcxCustomTextEditProperties::SetDisplayFormat(const String& Value) {
  if (IsDisplayFormatAssigned() && FDisplayFormat == Value) return;
  FDisplayFormat = Value;
  auto update = cxPropertiesUpdate(this);
  GetTextAssignedValues()->SetDisplayFormat(true);
}

String TcxCustomTextEditProperties::GetEditFormat() const {
  if (IsEditFormatAssigned()) return FEditFormat;
  bool providerFlag = false, providerFormats = false;
  String format;
  GetEditingFormat(providerFlag, providerFormats, format, nullptr);
  return format;
}

void TcxCustomTextEditProperties::SetEditFormat(const String& Value) {
  if (IsEditFormatAssigned() && FEditFormat == Value) return;
  FEditFormat = Value;
  auto update = cxPropertiesUpdate(this);
  GetTextAssignedValues()->SetEditFormat(true);
}

Integer TcxCustomTextEditProperties::GetDefaultMaxLength() const {
  IcxEditDefaultValuesProvider* p = GetIDefaultValuesProvider();
  return p ? std::max<Integer>(0, p->DefaultMaxLength()) : 0;
}

Integer TcxCustomTextEditProperties::GetMaxLength() const {
  return IsMaxLengthAssigned() ? FMaxLength : GetDefaultMaxLength();
}

void TcxCustomTextEditProperties::SetMaxLength(Integer Value) {
  if (Value < 0) Value = 0;
  if (IsMaxLengthAssigned() && FMaxLength == Value) return;
  FMaxLength = Value;
  {
    auto quiet = cxPropertiesQuietUpdate(this);
    GetTextAssignedValues()->SetMaxLength(true);
  }
  MaxLengthChanged();
}

double TcxCustomTextEditProperties::GetMaxValue() const {
  if (IsMaxValueAssigned()) return FMaxValue;
  IcxEditDefaultValuesProvider* p = GetIDefaultValuesProvider();
  return p ? p->DefaultMaxValue() : 0.0;
}

double TcxCustomTextEditProperties::GetMinValue() const {
  if (IsMinValueAssigned()) return FMinValue;
  IcxEditDefaultValuesProvider* p = GetIDefaultValuesProvider();
  return p ? p->DefaultMinValue() : 0.0;
}

void TcxCustomTextEditProperties::SetMaxValue(double Value) {
  if (IsMaxValueAssigned() && FMaxValue == Value) return;
  FMaxValue = Value;
  auto update = cxPropertiesUpdate(this);
  GetTextAssignedValues()->SetMaxValue(true);
}

void TcxCustomTextEditProperties::SetMinValue(double Value) {
  if (IsMinValueAssigned() && FMinValue == Value) return;
  FMinValue = Value;
  auto update = cxPropertiesUpdate(this);
  GetTextAssignedValues()->SetMinValue(true);
}

void TcxCustomTextEditProperties::SetMinMaxValues(double AMinValue, double AMaxValue) {
  auto update = cxPropertiesUpdate(this);
  SetMinValue(AMinValue);
  SetMaxValue(AMaxValue);
}

TcxTextEditViewStyle TcxCustomTextEditProperties::GetViewStyle() const {
  switch (GetButtonsViewStyle()) {
    case TcxEditButtonsViewStyle::bvsButtonsAutoWidth: return TcxTextEditViewStyle::vsButtonsAutoWidth;
    case TcxEditButtonsViewStyle::bvsButtonsOnly: return TcxTextEditViewStyle::vsButtonsOnly;
    default: break;
  }
  return FHideCursor ? TcxTextEditViewStyle::vsHideCursor : TcxTextEditViewStyle::vsNormal;
}

void TcxCustomTextEditProperties::SetViewStyle(TcxTextEditViewStyle Value) {
  if (GetViewStyle() == Value) return;
  auto update = cxPropertiesUpdate(this);
  static constexpr TcxEditButtonsViewStyle kButtons[] = {
      TcxEditButtonsViewStyle::bvsNormal, TcxEditButtonsViewStyle::bvsNormal, TcxEditButtonsViewStyle::bvsButtonsOnly,
      TcxEditButtonsViewStyle::bvsButtonsAutoWidth};
  SetButtonsViewStyle(kButtons[Ord(Value)]);
  SetHideCursor(Value != TcxTextEditViewStyle::vsNormal);
}

// ---- conversions ----

TcxEditEditingStyle TcxCustomTextEditProperties::GetEditingStyle() const {
  return FHideCursor ? TcxEditEditingStyle::esNoEdit : TcxEditEditingStyle::esEdit;
}

bool TcxCustomTextEditProperties::CanIncrementalSearch() const {
  switch (GetEditingStyle()) {
    case TcxEditEditingStyle::esEditList:
    case TcxEditEditingStyle::esFixedList: return true;
    case TcxEditEditingStyle::esEdit: return FIncrementalSearch;
    default: return false;
  }
}

bool TcxCustomTextEditProperties::FindLookupText(const String& AText) const {
  for (Integer i = 0; i < FLookupItems->Count(); ++i)
    if (cxAreStringsEqual(AText, FLookupItems->Strings(i), false)) return true;
  return false;
}

TcxCustomTextEditLookupDataClass TcxCustomTextEditProperties::GetLookupDataClass() const {
  return ClassOf<TcxCustomTextEditLookupData, TcxCustomTextEditLookupData, TPersistent*>();
}

void TcxCustomTextEditProperties::DisplayValueToDisplayText(String& AText) const {
  if (FEchoMode == TcxEditEchoMode::eemPassword) {
    AText = StringOfChar(FPasswordChar == 0 ? '*' : FPasswordChar, Integer(AText.size()));
    return;
  }
  if (FCharCase != TEditCharCase::ecNormal) cxApplyCharCase(AText, FCharCase);
}

namespace {
String PlainText(const Variant& V) {
  if (cxIsDateVarType(VarType(V))) return DateTimeToStr(V.AsDateTime());
  try {
    return VarToStr(V);
  } catch (const Exception&) {
    return {};
  }
}
}  // namespace

void TcxCustomTextEditProperties::GetDisplayText(const Variant& AEditValue, String& ADisplayText, bool) {
  if (IsValueFormattedByProvider()) {
    ADisplayText = PlainText(AEditValue);
  } else {
    Variant value = AEditValue;
    ADisplayText.clear();
    bool shown = false;
    if (IsEditValueValid(value, false)) {
      // Painting never raises: a value the kind cannot format shows as it is, and the
      // conversion error is left to validation.
      try {
        Variant display;
        PrepareDisplayValue(value, display, false);
        ADisplayText = PlainText(display);
        shown = true;
      } catch (const Exception&) {
      }
    }
    if (!shown) ADisplayText = PlainText(AEditValue);
  }
  DisplayValueToDisplayText(ADisplayText);
}

bool TcxCustomTextEditProperties::IsEditValuesEqual(const Variant& AValue1, const Variant& AValue2) {
  String t1, t2;
  GetDisplayText(AValue1, t1);
  GetDisplayText(AValue2, t2);
  return cxAreStringsEqual(t1, t2, true);
}

TcxDataEditValueSource TcxCustomTextEditProperties::GetEditValueSource(bool AEditFocused) const {
  return IsEditValueNumeric() ? inherited::GetEditValueSource(AEditFocused) : TcxDataEditValueSource::evsText;
}

void TcxCustomTextEditProperties::PrepareDisplayValue(const Variant& AEditValue, Variant& ADisplayValue,
                                                      bool AEditFocused) {
  if (!IsEditValueNumeric()) {
    ADisplayValue = Variant(PlainText(AEditValue));
    return;
  }
  // A new editor's value is unassigned: as blank as Null, not an error.
  if (VarIsEmpty(AEditValue) || cxVarIsBlank(AEditValue)) {
    ADisplayValue = Variant(String());
    return;
  }
  if (cxVarIsNumber(AEditValue) || VarIsStr(AEditValue)) {
    ADisplayValue = Variant(FormatEditValue(AEditValue, AEditFocused));
    return;
  }
  throw EConvertError(cxGetResourceString(cxSEditNumericValueConvertError));
}

String TcxCustomTextEditProperties::FormatEditValue(const Variant& AValue, bool AEditFocused) {
  String format;
  if (AEditFocused) {
    bool providerFlag = false, providerFormats = false;
    GetEditingFormat(providerFlag, providerFormats, format, nullptr);
  } else {
    format = GetDisplayFormat();
  }
  if (format.empty()) {
    String s = PlainText(AValue);
    if (AEditFocused && IsDigitGroupingWhileEditing()) cxAddThousandSeparators(s);
    return s;
  }
  double v = 0.0;
  if (VarIsStr(AValue)) {
    // A string that is no number shows as typed.
    if (!TryStrToFloat(AValue.AsString(), v)) return AValue.AsString();
  } else {
    v = AValue.AsDouble();
  }
  return FormatFloat(format, v);
}

void TcxCustomTextEditProperties::GetEditingFormat(bool& AProviderFlag, bool& AProviderFormats, String& AFormat,
                                                   IcxTextEditPropertiesHost* AEdit) const {
  AProviderFlag = false;
  AProviderFormats = false;
  AFormat.clear();
  if (IsEditFormatAssigned()) {
    AFormat = FEditFormat;
    return;
  }
  IcxEditDefaultValuesProvider* p = GetIDefaultValuesProvider();
  if (p && !(AEdit && AEdit->IsInplaceEdit()) && p->IsNonNumericDisplayFormat()) {
    AProviderFormats = true;
    return;
  }
  if (p) {
    String f = p->DefaultEditFormat();
    if (!f.empty()) {
      AFormat = f;
      return;
    }
  }
  if (!IsDisplayFormatAssigned()) {
    if (p) {
      String f = p->DefaultDisplayFormat();
      if (!f.empty())
        AFormat = f;
      else if (GetDisplayFormatOptions().Contains(TcxEditDisplayFormatOption::dfoSupports))
        AProviderFlag = p->IsDisplayFormatDefined(
            !GetDisplayFormatOptions().Contains(TcxEditDisplayFormatOption::dfoNoCurrencyValue));
    }
  } else {
    AFormat = FDisplayFormat;
  }
  if (!FUseDisplayFormatWhenEditing) AFormat.clear();
}

bool TcxCustomTextEditProperties::PrepareInsertedText(const String& AText, Integer ASelStart, Integer ASelLength,
                                                      String& AInsert) const {
  const Integer length = Integer(AText.size());
  ASelStart = std::clamp<Integer>(ASelStart, 0, length);
  ASelLength = std::clamp<Integer>(ASelLength, 0, length - ASelStart);
  const size_t brk = AInsert.find_first_of(String("\r\n\0", 3));
  if (brk != String::npos) AInsert.resize(brk);
  if (FCharCase != TEditCharCase::ecNormal) cxApplyCharCase(AInsert, FCharCase);
  const Integer maxLength = GetMaxLength();
  if (maxLength > 0) {
    const Integer kept = length - ASelLength;
    if (kept > maxLength) return false;
    const Integer room = maxLength - kept;
    if (Integer(AInsert.size()) > room) AInsert.resize(size_t(room));
    if (AInsert.empty() && ASelLength == 0) return false;
  }
  return true;
}

// ---- validation ----

bool TcxCustomTextEditProperties::IsEditValueValid(Variant& AEditValue, bool AEditFocused) const {
  if (VarIsNull(AEditValue) || !VarIsStr(AEditValue)) return true;
  return IsTextEditValueValid(AEditValue, AEditFocused);
}

bool TcxCustomTextEditProperties::IsTextEditValueValid(Variant& AEditValue, bool) const {
  String text = VarToStr(AEditValue);
  const TcxEditEditingStyle style = GetEditingStyle();
  if ((style == TcxEditEditingStyle::esEditList || style == TcxEditEditingStyle::esFixedList) && UseLookupData() &&
      !text.empty() && !FindLookupText(text))
    return false;
  cxApplyCharCase(text, FCharCase);
  AEditValue = Variant(text);
  return true;
}

bool TcxCustomTextEditProperties::IsValueBoundDefined() const {
  const double maxV = GetMaxValue(), minV = GetMinValue();
  if (!IsUsableBound(maxV) || !IsUsableBound(minV)) return false;
  if (maxV > minV) return true;
  return maxV < minV && (IsMaxValueAssigned() != IsMinValueAssigned());
}

bool TcxCustomTextEditProperties::IsValueBoundActive(Integer ABound) const {
  const double maxV = GetMaxValue(), minV = GetMinValue();
  if (!IsUsableBound(maxV) || !IsUsableBound(minV)) return false;
  if (maxV > minV) return true;
  if (maxV == minV || IsMaxValueAssigned() == IsMinValueAssigned()) return false;
  return ABound == 0 ? IsMinValueAssigned() : IsMaxValueAssigned();
}

void TcxCustomTextEditProperties::ValidateValueBounds(Variant& ADisplayValue, String& AErrorText, bool& AError,
                                                      IcxEditPropertiesHost* AEdit) {
  auto* host = dynamic_cast<IcxTextEditPropertiesHost*>(AEdit);
  Variant value;
  try {
    if (host)
      host->PrepareEditValue(ADisplayValue, value, host->IsEditFocused());
    else
      value = ADisplayValue;
    if (VarIsStr(value)) {
      // Text no editor converted: a number in the locale's form, or not a number at all.
      String s = value.AsString();
      cxRemoveThousandSeparators(s);
      double d = 0.0;
      if (Trim(s).empty()) return;
      if (!TryStrToFloat(Trim(s), d)) throw EConvertError(cxGetResourceString(cxSEditNumericValueConvertError));
      value = Variant(d);
    }
  } catch (const Exception& e) {
    AError = true;
    AErrorText = e.Message();
    return;
  }
  if (!cxVarIsNumber(value)) return;
  const double v = value.AsDouble();
  if ((IsValueBoundActive(0) && v < GetMinValue()) || (IsValueBoundActive(1) && v > GetMaxValue())) {
    AError = true;
    AErrorText = cxGetResourceString(cxSEditValueOutOfBounds);
  }
}

void TcxCustomTextEditProperties::ValidateDisplayValue(Variant& DisplayValue, String& ErrorText, bool& Error,
                                                       IcxEditPropertiesHost* AEdit) {
  if (IsEditValueNumeric() && IsValueBoundDefined()) ValidateValueBounds(DisplayValue, ErrorText, Error, AEdit);
  inherited::ValidateDisplayValue(DisplayValue, ErrorText, Error, AEdit);
}

String TcxCustomTextEditProperties::GetValidateErrorText() const { return cxGetResourceString(cxSEditValueOutOfBounds); }

TcxCustomEditPropertiesValuesClass TcxCustomTextEditProperties::GetAssignedValuesClass() const {
  return ClassOf<TcxTextEditPropertiesValues, TcxCustomEditPropertiesValues, TcxCustomEditProperties*>();
}

TcxCustomEditViewDataClass TcxCustomTextEditProperties::GetViewDataClass() const {
  return ClassOf<TcxCustomTextEditViewData, TcxCustomEditViewData, TcxCustomEditProperties*, TcxCustomEditStyle*,
                 bool>();
}

TcxCustomEditViewInfoClass TcxCustomTextEditProperties::GetViewInfoClass() const {
  return ClassOf<TcxCustomTextEditViewInfo, TcxCustomEditViewInfo>();
}

TcxEditSupportedOperations TcxCustomTextEditProperties::GetSupportedOperations() const {
  TcxEditSupportedOperations ops = inherited::GetSupportedOperations();
  using O = TcxEditSupportedOperation;
  for (O o : {O::esoAutoHeight, O::esoEditing, O::esoFiltering, O::esoHorzAlignment, O::esoIncSearch, O::esoSorting})
    ops.Include(o);
  return ops;
}

// ---- streaming ----

bool TcxCustomTextEditProperties::IsAssignedValuesStoredText() const {
  TcxTextEditPropertiesValues* v = GetTextAssignedValues();
  return IsReadOnlyAssigned() || v->GetDisplayFormat() || v->GetEditFormat() || v->GetMaxLength() ||
         v->IsMaxValueStored() || v->IsMinValueStored();
}

void TcxCustomTextEditProperties::DefineProperties(TFiler& Filer) {
  inherited::DefineProperties(Filer);
  // Old form data named the display-format flag by itself; read it, never write it.
  Filer.DefineProperty(
      "IsDisplayFormatAssigned",
      [this](TReader& Reader) { GetTextAssignedValues()->SetDisplayFormat(Reader.ReadBoolean()); }, nullptr, false);
}

TL_DEFINE_CLASS(TcxCustomTextEditProperties, [](auto& c) {
  using T = TcxCustomTextEditProperties;
  // The text kinds' assigned values carry more flags than the base's stored test knows.
  c.Property("AssignedValues", &T::GetAssignedValues, &T::SetAssignedValues).Stored(&T::IsAssignedValuesStoredText);
});

TL_DEFINE_CLASS(TcxTextEditProperties, [](auto& c) {
  using T = TcxTextEditProperties;
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
  c.Event("OnNewLookupDisplayText", &T::OnNewLookupDisplayText);
});
