// Fields of the data-set unit: reading and writing the active record buffer, value
// conversion by field type, edit and display texts.
#include "classlib/core/DB.h"

#include "platform/kernel/CodePage.h"

#include <cmath>
#include <limits>

using enum TFieldType;
using enum TFieldKind;

namespace DBConsts {
// The data-set unit's texts, numbered from 64560 beside the system unit's.
const TResStringRec SFieldNotFound = {64560, "Field '%s' not found"};
const TResStringRec SDataSetOpen = {64561, "Cannot perform this operation on an open dataset"};
const TResStringRec SDataSetClosed = {64562, "Cannot perform this operation on a closed dataset"};
const TResStringRec SNotEditing = {64563, "Dataset not in edit or insert mode"};
const TResStringRec SDataSetReadOnly = {64564, "Cannot modify a read-only dataset"};
const TResStringRec SFieldReadOnly = {64565, "Field '%s' cannot be modified"};
const TResStringRec SFieldRequired = {64566, "Field '%s' must have a value"};
const TResStringRec SDataSetEmpty = {64567, "Cannot perform this operation on an empty dataset"};
const TResStringRec SRecordNotFound = {64568, "Record not found"};
const TResStringRec SDuplicateFieldName = {64569, "Duplicate field name '%s'"};
const TResStringRec SFieldNameMissing = {64570, "Field name missing"};
const TResStringRec SFieldRangeError = {
    64571, "%s is not a valid value for field '%s'. The allowed range is %s to %s"};
const TResStringRec SFieldValueError = {64572, "Invalid value for field '%s'"};
const TResStringRec SParameterNotFound = {64573, "Parameter '%s' not found"};
const TResStringRec SFilterNotSupported = {64574,
                                           "Filter text is not supported by this dataset: %s"};
const TResStringRec SLocateValueCount = {64575, "%d key fields need an array of %d values"};
const TResStringRec SCircularLookup = {64576, "Lookup field '%s' cannot look up its own dataset"};
const TResStringRec SDataSetUniDirectional = {64577,
                                              "Operation not allowed on a unidirectional dataset"};
const TResStringRec SDataSetAsking = {
    64578, "Cannot move or change the dataset while its records are being filtered or calculated"};
}  // namespace DBConsts

void DatabaseError(const String& Message, const TComponent* Component) {
  if (Component && !Component->GetName().empty())
    throw EDatabaseError(Component->GetName() + ": " + Message);
  throw EDatabaseError(Message);
}

void DatabaseErrorFmt(const TResStringRec& Message, TVarRecs Args, const TComponent* Component) {
  DatabaseError(Format(LoadResString(Message), Args), Component);
}

bool IsEditState(TDataSetState s) {
  return s == TDataSetState::dsEdit || s == TDataSetState::dsInsert || s == TDataSetState::dsSetKey;
}

String ExtractFieldName(const String& Fields, Integer& Pos) {
  Integer i = Pos;
  const Integer n = Integer(Fields.size());
  while (i <= n && Fields[size_t(i - 1)] != ';') ++i;
  String name = Trim(Copy(Fields, Pos, i - Pos));
  if (i <= n) ++i;  // past the separator
  Pos = i;
  return name;
}

// ---- TField ----------------------------------------------------------------------------------

TL_DEFINE_CLASS(TField)

TField::TField(TComponent* AOwner) : TComponent(AOwner) { FValidChars.set(); }

void TField::BeforeDestruction() {
  if (FDataSet) FDataSet->RemoveField(this);
  if (FLookupDataSet) FLookupDataSet->RemoveFreeNotification(this);
  inherited::BeforeDestruction();
}

void TField::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent == FLookupDataSet) FLookupDataSet = nullptr;
}

void TField::SetDataSet(TDataSet* Value) {
  if (Value == FDataSet) return;
  if (FDataSet) FDataSet->CheckInactive();
  if (Value) {
    Value->CheckInactive();
    Value->CheckFieldName(this, FFieldName);
  }
  if (FDataSet) FDataSet->RemoveField(this);
  if (Value) Value->AddField(this);
}

void TField::SetFieldName(const String& Value) {
  if (Value == FFieldName) return;
  if (FDataSet) {
    FDataSet->CheckInactive();
    FDataSet->CheckFieldName(this, Value);
  }
  FFieldName = Value;
  PropertyChanged(true);
}

void TField::SetFieldKind(TFieldKind Value) {
  if (Value == FFieldKind) return;
  if (FDataSet) FDataSet->CheckInactive();
  FFieldKind = Value;
}

void TField::SetSize(Integer Value) {
  if (FDataSet) FDataSet->CheckInactive();
  FSize = Value < 0 ? 0 : Value;
}

Integer TField::Index() const {
  if (!FDataSet) return -1;
  for (Integer i = 0; i < FDataSet->FieldCount(); ++i)
    if (FDataSet->Fields(i) == this) return i;
  return -1;
}

void TField::PropertyChanged(bool LayoutAffected) {
  // A format or text property changes what the records show.
  if (FDataSet) ++FDataSet->FChangeCount;
  if (FDataSet && FDataSet->Active())
    FDataSet->DataEvent(LayoutAffected ? TDataEvent::deLayoutChange : TDataEvent::deDataSetChange,
                        0);
}

void TField::SetDisplayLabel(const String& v) {
  if (v == FDisplayLabel) return;
  FDisplayLabel = v;
  PropertyChanged(true);
}

Integer TField::DisplayWidth() const { return FDisplayWidth > 0 ? FDisplayWidth : DefaultWidth(); }

void TField::SetDisplayWidth(Integer v) {
  if (v == FDisplayWidth) return;
  FDisplayWidth = v;
  PropertyChanged(true);
}

void TField::SetVisible(bool v) {
  if (v == FVisible) return;
  FVisible = v;
  PropertyChanged(true);
}

void TField::SetReadOnly(bool v) {
  if (v == FReadOnly) return;
  FReadOnly = v;
  PropertyChanged(false);
}

void TField::SetAlignment(TAlignment v) {
  if (v == FAlignment) return;
  FAlignment = v;
  PropertyChanged(false);
}

void TField::SetEditMask(const String& v) {
  FEditMask = v;
  PropertyChanged(false);
}

void TField::SetKeyFields(const String& v) {
  if (FDataSet) FDataSet->CheckInactive();
  FKeyFields = v;
}

void TField::SetLookupDataSet(TDataSet* v) {
  if (v == FLookupDataSet) return;
  if (FDataSet) FDataSet->CheckInactive();
  if (v && v == FDataSet) DatabaseErrorFmt(DBConsts::SCircularLookup, {DisplayName()}, FDataSet);
  if (FLookupDataSet) FLookupDataSet->RemoveFreeNotification(this);
  FLookupDataSet = v;
  if (v) v->FreeNotification(this);
}

void TField::SetLookupKeyFields(const String& v) {
  if (FDataSet) FDataSet->CheckInactive();
  FLookupKeyFields = v;
}

void TField::SetLookupResultField(const String& v) {
  if (FDataSet) FDataSet->CheckInactive();
  FLookupResultField = v;
}

bool TField::CanModify() const {
  if (FReadOnly || !FDataSet) return false;
  if (FFieldKind != fkData) return false;
  return FDataSet->CanModify();
}

bool TField::IsNull() const {
  const Variant v = GetAsVariant();
  return VarIsNull(v) || VarIsEmpty(v);
}

Variant TField::GetAsVariant() const {
  if (!FDataSet) return Null();
  return FDataSet->FieldData(this);
}

void TField::SetAsVariant(const Variant& Value) {
  if (!FDataSet) DatabaseErrorFmt(DBConsts::SFieldValueError, {DisplayName()});
  const bool empty = VarIsNull(Value) || VarIsEmpty(Value);
  FDataSet->SetFieldData(this, empty ? Null() : ConvertValue(Value));
}

Variant TField::ConvertValue(const Variant& Value) const { return Value; }

Variant TField::OldValue() const {
  if (!FDataSet || FSlot < 0 || FSlot >= Integer(FDataSet->FOldValues.size()))
    return GetAsVariant();
  return FDataSet->FOldValues[size_t(FSlot)];
}

void TField::RangeError(double Value, double Min, double Max) const {
  DatabaseErrorFmt(DBConsts::SFieldRangeError,
                   {FloatToStr(Value), DisplayName(), FloatToStr(Min), FloatToStr(Max)});
}

String TField::GetAsString() const { return IsNull() ? String() : GetText(false); }
void TField::SetAsString(const String& Value) {
  SetAsVariant(Value.empty() && DataType() != ftString && DataType() != ftWideString &&
                       DataType() != ftFixedChar
                   ? Null()
                   : Variant(Value));
}
Integer TField::GetAsInteger() const { return IsNull() ? 0 : GetAsVariant().AsInteger(); }
void TField::SetAsInteger(Integer Value) { SetAsVariant(Value); }
double TField::GetAsFloat() const { return IsNull() ? 0.0 : GetAsVariant().AsDouble(); }
void TField::SetAsFloat(double Value) { SetAsVariant(Value); }
bool TField::GetAsBoolean() const { return IsNull() ? false : GetAsVariant().AsBoolean(); }
void TField::SetAsBoolean(bool Value) { SetAsVariant(Value); }
TDateTime TField::GetAsDateTime() const {
  return IsNull() ? TDateTime(0) : VarToDateTime(GetAsVariant());
}
void TField::SetAsDateTime(TDateTime Value) { SetAsVariant(VarFromDateTime(Value)); }
Currency TField::GetAsCurrency() const {
  return IsNull() ? Currency{} : GetAsVariant().AsCurrency();
}
void TField::SetAsCurrency(Currency Value) { SetAsVariant(Value); }
Int64 TField::GetAsLargeInt() const { return IsNull() ? 0 : GetAsVariant().AsInt64(); }
void TField::SetAsLargeInt(Int64 Value) { SetAsVariant(Value); }
WideString TField::GetAsWideString() const { return AnsiToWide(GetAsString()); }
void TField::SetAsWideString(const WideString& Value) { SetAsString(WideToAnsi(Value)); }

String TField::GetText(bool) const { return VarToStr(GetAsVariant()); }

String TField::CallGetText(bool DisplayText) const {
  if (OnGetText) {
    String text;
    OnGetText(const_cast<TField*>(this), text, DisplayText);
    return text;
  }
  return IsNull() ? String() : GetText(DisplayText);
}

void TField::SetText(const String& Value) {
  if (OnSetText)
    OnSetText(this, Value);
  else
    SetAsString(Value);
}

void TField::FocusControl() {
  if (!FDataSet || !FDataSet->Active()) return;
  TField* field = this;
  FDataSet->DataEvent(TDataEvent::deFocusControl, reinterpret_cast<intptr_t>(&field));
}

void TField::Validate() {
  if (OnValidate) OnValidate(this);
}

// ---- String fields ---------------------------------------------------------------------------

TL_DEFINE_CLASS(TStringField)
TStringField::TStringField(TComponent* AOwner) : TField(AOwner) {
  SetDataType(ftString);
  SetSize(20);
}

// Text longer than Size is cut, as a fixed-size column stores it.
Variant TStringField::ConvertValue(const Variant& Value) const {
  String s = VarToStr(Value);
  if (Size() > 0 && Integer(s.size()) > Size()) s.resize(size_t(Size()));
  return s;
}

TL_DEFINE_CLASS(TWideStringField)
TWideStringField::TWideStringField(TComponent* AOwner) : TStringField(AOwner) {
  SetDataType(ftWideString);
}

WideString TWideStringField::GetAsWideString() const {
  const Variant v = GetAsVariant();
  return VarIsNull(v) ? WideString() : v.AsWideString();
}

Variant TWideStringField::ConvertValue(const Variant& Value) const {
  WideString s = Value.AsWideString();
  if (Size() > 0 && Integer(s.size()) > Size()) s.resize(size_t(Size()));
  return s;
}

// ---- Numeric fields --------------------------------------------------------------------------

TL_DEFINE_CLASS(TNumericField)
TNumericField::TNumericField(TComponent* AOwner) : TField(AOwner) {
  SetAlignment(TAlignment::taRightJustify);
}

void TNumericField::SetDisplayFormat(const String& v) {
  FDisplayFormat = v;
  PropertyChanged(false);
}

void TNumericField::SetEditFormat(const String& v) {
  FEditFormat = v;
  PropertyChanged(false);
}

String TNumericField::FormatNumber(double v, bool DisplayText, const String& Plain) const {
  const String& fmt = DisplayText || FEditFormat.empty() ? FDisplayFormat : FEditFormat;
  if (!DisplayText && FEditFormat.empty()) return Plain;
  return fmt.empty() ? Plain : FormatFloat(fmt, v);
}

namespace {
TCharSet NumberChars(bool Fraction) {
  TCharSet set;
  for (const char* c = "+-0123456789"; *c; ++c) set.set(Byte(*c));
  if (Fraction) {
    set.set(Byte(FormatSettings.DecimalSeparator));
    set.set(Byte('E'));
    set.set(Byte('e'));
  }
  return set;
}

// A text read as a number for a numeric field: the field's own conversion error on failure.
double TextToNumber(const Variant& Value) {
  if (VarIsStr(Value)) return StrToFloat(Trim(Value.AsString()));
  return Value.AsDouble();
}
}  // namespace

TL_DEFINE_CLASS(TIntegerField)
TIntegerField::TIntegerField(TComponent* AOwner)
    : TIntegerField(AOwner, ftInteger, std::numeric_limits<Integer>::min(),
                    std::numeric_limits<Integer>::max()) {}
TIntegerField::TIntegerField(TComponent* AOwner, TFieldType Type, Int64 Low, Int64 High)
    : TNumericField(AOwner), FLow(Low), FHigh(High) {
  SetDataType(Type);
  SetValidChars(NumberChars(false));
}

String TIntegerField::GetText(bool DisplayText) const {
  const Integer v = GetAsVariant().AsInteger();
  return FormatNumber(double(v), DisplayText, IntToStr(v));
}

Variant TIntegerField::ConvertValue(const Variant& Value) const {
  Int64 v;
  if (VarIsStr(Value)) {
    const String s = Trim(Value.AsString());
    if (!TryStrToInt64(s, v))
      throw EConvertError(Format(LoadResString(SysConst::SInvalidInteger), {s}));
  } else {
    v = Value.AsInt64();
  }
  Int64 lo = FLow, hi = FHigh;
  if (FMinValue != 0 || FMaxValue != 0) {
    lo = FMinValue;
    hi = FMaxValue;
  }
  if (v < lo || v > hi)
    DatabaseErrorFmt(DBConsts::SFieldRangeError,
                     {IntToStr(v), DisplayName(), IntToStr(lo), IntToStr(hi)});
  return Integer(v);
}

TL_DEFINE_CLASS(TSmallintField)
TSmallintField::TSmallintField(TComponent* AOwner)
    : TIntegerField(AOwner, ftSmallint, -32768, 32767) {}
TL_DEFINE_CLASS(TWordField)
TWordField::TWordField(TComponent* AOwner) : TIntegerField(AOwner, ftWord, 0, 65535) {}
TL_DEFINE_CLASS(TAutoIncField)
TAutoIncField::TAutoIncField(TComponent* AOwner)
    : TIntegerField(AOwner, ftAutoInc, std::numeric_limits<Integer>::min(),
                    std::numeric_limits<Integer>::max()) {}

TL_DEFINE_CLASS(TLargeintField)
TLargeintField::TLargeintField(TComponent* AOwner) : TNumericField(AOwner) {
  SetDataType(ftLargeint);
  SetValidChars(NumberChars(false));
}

String TLargeintField::GetText(bool DisplayText) const {
  const Int64 v = GetAsVariant().AsInt64();
  return FormatNumber(double(v), DisplayText, IntToStr(v));
}

Variant TLargeintField::ConvertValue(const Variant& Value) const {
  if (VarIsStr(Value)) return StrToInt64(Trim(Value.AsString()));
  return Value.AsInt64();
}

TL_DEFINE_CLASS(TFloatField)
TFloatField::TFloatField(TComponent* AOwner) : TNumericField(AOwner) {
  SetDataType(ftFloat);
  SetValidChars(NumberChars(true));
}

void TFloatField::SetCurrency(bool v) {
  FCurrency = v;
  PropertyChanged(false);
}

void TFloatField::SetPrecision(Integer v) {
  FPrecision = v < 2 ? 2 : (v > 15 ? 15 : v);
  PropertyChanged(false);
}

String TFloatField::GetText(bool DisplayText) const {
  const double v = GetAsVariant().AsDouble();
  String plain;
  if (DisplayText && FCurrency)
    plain = FloatToStrF(v, TFloatFormat::ffCurrency, FPrecision, FormatSettings.CurrencyDecimals);
  else if (!DisplayText && FCurrency)
    plain = FloatToStrF(v, TFloatFormat::ffFixed, FPrecision, FormatSettings.CurrencyDecimals);
  else
    plain = FloatToStrF(v, TFloatFormat::ffGeneral, FPrecision, 0);
  return FormatNumber(v, DisplayText, plain);
}

Variant TFloatField::ConvertValue(const Variant& Value) const {
  const double v = TextToNumber(Value);
  if (!std::isfinite(v)) DatabaseErrorFmt(DBConsts::SFieldValueError, {DisplayName()});
  if ((FMinValue != 0 || FMaxValue != 0) && (v < FMinValue || v > FMaxValue))
    RangeError(v, FMinValue, FMaxValue);
  return v;
}

TL_DEFINE_CLASS(TCurrencyField)
TCurrencyField::TCurrencyField(TComponent* AOwner) : TFloatField(AOwner) {
  SetDataType(ftCurrency);
  SetCurrency(true);
}

TL_DEFINE_CLASS(TFMTBCDField)
TFMTBCDField::TFMTBCDField(TComponent* AOwner) : TFloatField(AOwner) { SetDataType(ftFMTBcd); }

TL_DEFINE_CLASS(TBCDField)
TBCDField::TBCDField(TComponent* AOwner) : TNumericField(AOwner) {
  SetDataType(ftBCD);
  SetSize(4);
  SetValidChars(NumberChars(true));
}

void TBCDField::SetCurrency(bool v) {
  FCurrency = v;
  PropertyChanged(false);
}

String TBCDField::GetText(bool DisplayText) const {
  const Currency c = GetAsVariant().AsCurrency();
  const double v = CurrToDouble(c);
  String plain;
  if (DisplayText && FCurrency)
    plain = FloatToStrF(v, TFloatFormat::ffCurrency, 18, FormatSettings.CurrencyDecimals);
  else if (!DisplayText && FCurrency)
    plain = FloatToStrF(v, TFloatFormat::ffFixed, 18, FormatSettings.CurrencyDecimals);
  else
    plain = CurrToStr(c);
  return FormatNumber(v, DisplayText, plain);
}

Variant TBCDField::ConvertValue(const Variant& Value) const {
  const Currency c = VarIsStr(Value) ? StrToCurr(Trim(Value.AsString())) : Value.AsCurrency();
  if ((FMinValue.Raw != 0 || FMaxValue.Raw != 0) &&
      (c.Raw < FMinValue.Raw || c.Raw > FMaxValue.Raw))
    RangeError(CurrToDouble(c), CurrToDouble(FMinValue), CurrToDouble(FMaxValue));
  return c;
}

// ---- Boolean fields --------------------------------------------------------------------------

TL_DEFINE_CLASS(TBooleanField)
TBooleanField::TBooleanField(TComponent* AOwner) : TField(AOwner) { SetDataType(ftBoolean); }

void TBooleanField::SetDisplayValues(const String& v) {
  const int p = Pos(";", v);
  if (p == 0) {
    FTrueText = v;
    FFalseText.clear();
  } else {
    FTrueText = Copy(v, 1, p - 1);
    FFalseText = Copy(v, p + 1, int(v.size()));
  }
  if (v.empty()) FTrueText = "True", FFalseText = "False";
  FDisplayValues = v;
  PropertyChanged(false);
}

String TBooleanField::GetText(bool) const {
  return GetAsVariant().AsBoolean() ? FTrueText : FFalseText;
}

// Accepts the display texts (any case, or a prefix of one) as well as the variant's own rules.
Variant TBooleanField::ConvertValue(const Variant& Value) const {
  if (!VarIsStr(Value)) return Value.AsBoolean();
  const String s = Trim(Value.AsString());
  auto starts = [&](const String& word) {
    return !s.empty() && !word.empty() && AnsiSameText(Copy(word, 1, int(s.size())), s);
  };
  const bool t = starts(FTrueText), f = starts(FFalseText);
  if (t != f) return t;
  if (SameText(s, "True")) return true;
  if (SameText(s, "False")) return false;
  throw EConvertError("'" + s + "' is not a valid boolean value for field '" + DisplayName() + "'");
}

// ---- Date and time fields --------------------------------------------------------------------

TL_DEFINE_CLASS(TDateTimeField)
TDateTimeField::TDateTimeField(TComponent* AOwner) : TDateTimeField(AOwner, ftDateTime) {}
TDateTimeField::TDateTimeField(TComponent* AOwner, TFieldType Type) : TField(AOwner) {
  SetDataType(Type);
}

void TDateTimeField::SetDisplayFormat(const String& v) {
  FDisplayFormat = v;
  PropertyChanged(false);
}

String TDateTimeField::DefaultFormat() const { return "c"; }

String TDateTimeField::GetText(bool DisplayText) const {
  const TDateTime dt = VarToDateTime(GetAsVariant());
  if (DisplayText && !FDisplayFormat.empty()) return FormatDateTime(FDisplayFormat, dt);
  return FormatDateTime(DefaultFormat(), dt);
}

Variant TDateTimeField::ConvertValue(const Variant& Value) const {
  if (VarIsStr(Value)) return VarFromDateTime(StrToDateTime(Trim(Value.AsString())));
  return VarFromDateTime(VarToDateTime(Value));
}

TL_DEFINE_CLASS(TDateField)
TDateField::TDateField(TComponent* AOwner) : TDateTimeField(AOwner, ftDate) {}
String TDateField::DefaultFormat() const { return FormatSettings.ShortDateFormat; }
Variant TDateField::ConvertValue(const Variant& Value) const {
  const TDateTime dt = VarIsStr(Value) ? StrToDate(Trim(Value.AsString())) : VarToDateTime(Value);
  return VarFromDateTime(TDateTime(std::trunc(dt.Value)));
}

TL_DEFINE_CLASS(TTimeField)
TTimeField::TTimeField(TComponent* AOwner) : TDateTimeField(AOwner, ftTime) {}
String TTimeField::DefaultFormat() const { return FormatSettings.LongTimeFormat; }
Variant TTimeField::ConvertValue(const Variant& Value) const {
  const TDateTime dt = VarIsStr(Value) ? StrToTime(Trim(Value.AsString())) : VarToDateTime(Value);
  return VarFromDateTime(TDateTime(std::fabs(Frac(dt.Value))));
}

TL_DEFINE_CLASS(TSQLTimeStampField)
TSQLTimeStampField::TSQLTimeStampField(TComponent* AOwner) : TDateTimeField(AOwner, ftTimeStamp) {}

// ---- Other fields ----------------------------------------------------------------------------

TL_DEFINE_CLASS(TAggregateField)
TAggregateField::TAggregateField(TComponent* AOwner) : TField(AOwner) {
  SetFieldKind(fkAggregate);
  SetDataType(ftVariant);
}

String TAggregateField::GetText(bool DisplayText) const {
  if (!VarIsNumeric(FValue)) return VarToStr(FValue);
  const double v = FValue.AsDouble();
  if (DisplayText && !FDisplayFormat.empty()) return FormatFloat(FDisplayFormat, v);
  if (FCurrency)
    return FloatToStrF(v, DisplayText ? TFloatFormat::ffCurrency : TFloatFormat::ffFixed,
                       FPrecision, FormatSettings.CurrencyDecimals);
  return FloatToStrF(v, TFloatFormat::ffGeneral, FPrecision, 0);
}

TL_DEFINE_CLASS(TVariantField)
TVariantField::TVariantField(TComponent* AOwner) : TField(AOwner) { SetDataType(ftVariant); }

TL_DEFINE_CLASS(TBlobField)
TBlobField::TBlobField(TComponent* AOwner) : TBlobField(AOwner, ftBlob, TBlobType::btNone) {}
TBlobField::TBlobField(TComponent* AOwner, TFieldType Type, TBlobType Blob)
    : TField(AOwner), FBlobType(Blob) {
  SetDataType(Type);
}

// A binary value shows as its kind in brackets, as a grid cell would.
String TBlobField::GetText(bool DisplayText) const {
  if (DisplayText)
    return "(" + EnumInfo<TFieldType>::Type().ValueName(int(DataType())).substr(2) + ")";
  return VarToStr(GetAsVariant());
}

Variant TBlobField::ConvertValue(const Variant& Value) const { return VarToStr(Value); }

TL_DEFINE_CLASS(TMemoField)
TMemoField::TMemoField(TComponent* AOwner) : TBlobField(AOwner, ftMemo, TBlobType::btMemo) {}
String TMemoField::GetText(bool DisplayText) const {
  return DisplayText ? String("(MEMO)") : VarToStr(GetAsVariant());
}

TL_DEFINE_CLASS(TGraphicField)
TGraphicField::TGraphicField(TComponent* AOwner)
    : TBlobField(AOwner, ftGraphic, TBlobType::btGraphic) {}

const TClass* FieldClassOf(TFieldType Type) {
  switch (Type) {
    case ftString:
    case ftFixedChar:
    case ftGuid:
      return &TStringField::StaticClass();
    case ftWideString:
      return &TWideStringField::StaticClass();
    case ftSmallint:
      return &TSmallintField::StaticClass();
    case ftInteger:
      return &TIntegerField::StaticClass();
    case ftWord:
      return &TWordField::StaticClass();
    case ftAutoInc:
      return &TAutoIncField::StaticClass();
    case ftLargeint:
      return &TLargeintField::StaticClass();
    case ftBoolean:
      return &TBooleanField::StaticClass();
    case ftFloat:
      return &TFloatField::StaticClass();
    case ftCurrency:
      return &TCurrencyField::StaticClass();
    case ftBCD:
      return &TBCDField::StaticClass();
    case ftFMTBcd:
      return &TFMTBCDField::StaticClass();
    case ftDate:
      return &TDateField::StaticClass();
    case ftTime:
      return &TTimeField::StaticClass();
    case ftDateTime:
      return &TDateTimeField::StaticClass();
    case ftTimeStamp:
      return &TSQLTimeStampField::StaticClass();
    case ftBlob:
    case ftBytes:
    case ftVarBytes:
    case ftTypedBinary:
      return &TBlobField::StaticClass();
    case ftMemo:
    case ftFmtMemo:
      return &TMemoField::StaticClass();
    case ftGraphic:
      return &TGraphicField::StaticClass();
    case ftVariant:
      return &TVariantField::StaticClass();
    default:
      return nullptr;
  }
}
