#include "widgets/special/cxTimeEdit.h"

#include "classlib/core/ScopeGuards.h"
#include "classlib/core/SysUtils.h"
#include "platform/kernel/Units.h"
#include "widgets/editcore/cxDateUtils.h"
#include "widgets/editcore/cxEditRegisteredRepositoryItems.h"
#include "widgets/editcore/cxFormats.h"
#include "widgets/foundation/cxClasses.h"
#include "widgets/foundation/cxVariants.h"

#include <algorithm>
#include <cmath>
#include <vector>

const TResStringRec cxSTimeEditConvertError = {65400, "Could not convert to time"};

namespace {

using TF = TcxTimeEditTimeFormat;
using TP = TcxTimePart;

double SignOf(double AValue) { return AValue >= 0 ? 1.0 : -1.0; }

}  // namespace

bool cxApplyTimeTyping(TcxCustomMaskEdit* AEdit, TcxTimeTyping AResult, const String& AText, Integer ACaret, Char& Key) {
  switch (AResult) {
    case TcxTimeTyping::ttPlain: return true;
    case TcxTimeTyping::ttRefused: Key = 0; return false;
    case TcxTimeTyping::ttRewritten: break;
  }
  // Written here: the mask must not write the key again, nor beep.
  AEdit->ModeWriteText(AText, ACaret, 0);
  AEdit->SetSelStart(ACaret);
  return false;
}

namespace {

// Properties alive now: a locale change gives each the new 12-hour mask.
std::vector<TcxCustomTimeEditProperties*> gLiveProperties;

// The characters of the digits of a format: 8, 5 or 2.
size_t DigitsLength(TF AFormat) { return size_t((3 - Integer(AFormat)) * 3 - 1); }

// A date-time of a value, when it holds one: a date, a number or a text that reads as one.
bool ValueToDateTime(const Variant& AValue, double& ADate) {
  if (VarIsNull(AValue) || VarIsEmpty(AValue)) return false;
  if (VarIsStr(AValue)) {
    TDateTime d;
    if (!TryStrToDateTime(VarToStr(AValue), d)) return false;
    ADate = d.Value;
  } else if (cxVarIsDateTime(AValue) || (cxVarIsNumber(AValue) && VarType(AValue) != varBoolean)) {
    try {
      ADate = AValue.AsDouble();
    } catch (const Exception&) {
      return false;
    }
  } else {
    return false;
  }
  return std::isfinite(ADate) && ADate >= MinDateTime && ADate <= MaxDateTime;
}

class TTimeEditFormatListener : public TObject, public IcxFormatControllerListener {
 public:
  void FormatChanged() override {
    cxTimeEditBuildMasks();
    for (TcxCustomTimeEditProperties* p : gLiveProperties) p->RebuildMask();
  }
};

TTimeEditFormatListener* gListener = nullptr;

// A deleted digit leaves "0", so what is left still reads as a time; a deleted designator
// stays as it was, since half of one reads as neither.
class TcxTimeEditMaskMode : public TcxMaskEditStandardMode {
 public:
  using TcxMaskEditStandardMode::TcxMaskEditStandardMode;
  Char GetBlankChar(Integer APos) const override {
    TcxTimeEditTimePartInfo info;
    static_cast<const TcxCustomTimeEditProperties*>(GetProperties())->GetTimePartInfo(APos + 1, info);
    return info.Kind == TP::tpAMPM ? Char(0) : Char('0');
  }
};

}  // namespace

TcxMaskEditCustomMode* TcxCustomTimeEditProperties::CreateMode(TcxEditMaskKind AKind, TcxCustomMaskEdit* AEdit) {
  if (AKind != TcxEditMaskKind::emkStandard) return inherited::CreateMode(AKind, AEdit);
  return new TcxTimeEditMaskMode(AEdit, this);
}

// ---- properties --------------------------------------------------------------------------------

void TcxCustomTimeEditProperties::AfterConstruction() {
  inherited::AfterConstruction();
  {
    auto quiet = cxPropertiesQuietUpdate(this);
    SetValueType(TcxSpinEditValueType::vtFloat);
    SetMinMaxValues(0, cxSecondsPerDay - 1);
    SetIncrement(1.0);
    SetIgnoreMaskBlank(true);
    SetAlwaysShowBlanksAndLiterals(true);
    RebuildMask();
  }
  gLiveProperties.push_back(this);
}

void TcxCustomTimeEditProperties::BeforeDestruction() {
  std::erase(gLiveProperties, this);
  inherited::BeforeDestruction();
}

void TcxCustomTimeEditProperties::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TcxCustomTimeEditProperties*>(Source);
  if (!s || s == this) return inherited::Assign(Source);
  auto update = UpdateBracket(this);
  inherited::Assign(Source);
  FAutoCorrectHours = s->FAutoCorrectHours;
  SetShowDate(s->FShowDate);
  SetTimeFormat(s->FTimeFormat);
  SetUse24HourFormat(s->FUse24HourFormat);
  SetUseTimeFormatWhenUnfocused(s->FUseTimeFormatWhenUnfocused);
}

void TcxCustomTimeEditProperties::RebuildMask() {
  auto update = cxPropertiesUpdate(this);
  SetEditMask(cxTimeEditMask(FTimeFormat, FUse24HourFormat));
}

void TcxCustomTimeEditProperties::SetShowDate(bool Value) {
  if (FShowDate == Value) return;
  FShowDate = Value;
  Changed();
}

void TcxCustomTimeEditProperties::SetTimeFormat(TcxTimeEditTimeFormat Value) {
  if (FTimeFormat == Value) return;
  FTimeFormat = Value;
  RebuildMask();
  Changed();
}

void TcxCustomTimeEditProperties::SetUse24HourFormat(bool Value) {
  if (FUse24HourFormat == Value) return;
  FUse24HourFormat = Value;
  RebuildMask();
  Changed();
}

void TcxCustomTimeEditProperties::SetUseTimeFormatWhenUnfocused(bool Value) {
  if (FUseTimeFormatWhenUnfocused == Value) return;
  FUseTimeFormatWhenUnfocused = Value;
  Changed();
}

void TcxCustomTimeEditProperties::GetTimePartInfo(Integer APos, TcxTimeEditTimePartInfo& AInfo) const {
  AInfo.Kind = cxTimeEditPartAt(APos, FTimeFormat, FUse24HourFormat);
  AInfo.Start = GetTimePartStart(AInfo.Kind);
  AInfo.Length = GetTimePartLength();
  AInfo.SuffixForm = GetTimeSuffixForm();
  AInfo.Use24HourFormat = FUse24HourFormat;
}

bool TcxCustomTimeEditProperties::TextToTime(const String& AText, double& ATime) const {
  ATime = 0;
  if (Trim(AText).empty()) return true;
  const size_t digits = DigitsLength(FTimeFormat);
  String text = AText.substr(0, std::min(digits, AText.size()));
  // A deleted hour leaves "00", which a 12-hour clock calls twelve, as the spin value does.
  if (!FUse24HourFormat && text.compare(0, 2, "00") == 0) text.replace(0, 2, "12");
  if (FTimeFormat == TF::tfHour) text += ":00";
  if (!FUse24HourFormat) {
    // The typed designator stands for the locale's: its first letters decide which.
    const String typed = Trim(AText.size() > digits ? AText.substr(digits) : String());
    const String& am = FormatSettings.TimeAMString;
    const String& pm = FormatSettings.TimePMString;
    String designator = am;
    if (!pm.empty() && !typed.empty() &&
        (SameText(typed, pm) || (!SameText(typed, am) && SameText(typed.substr(0, 1), pm.substr(0, 1)))))
      designator = pm;
    if (!designator.empty()) text += " " + designator;
  }
  TDateTime t;
  if (!TryStrToTime(text, t)) return false;
  ATime = t.Value;
  return true;
}

bool TcxCustomTimeEditProperties::ValueToDisplayText(const Variant& AValue, bool AEditFocused, String& AText) const {
  AText.clear();
  if (VarIsNull(AValue) || VarIsEmpty(AValue)) {
    if (AEditFocused) AText = TrimRight(FormatDateTime(DisplayFormat(), 0.0));
    return true;
  }
  double v = 0;
  if (!ValueToDateTime(AValue, v)) return false;
  const bool withDate = FShowDate && cxDateOf(v) != 0;
  if (AEditFocused || (FUseTimeFormatWhenUnfocused && !withDate))
    AText = FormatDateTime(DisplayFormat(), v);
  else
    AText = withDate ? DateTimeToStr(v) : TimeToStr(v);
  AText = TrimRight(AText);
  return true;
}

bool TcxCustomTimeEditProperties::CalculateSpinValue(const Variant& AValue, TcxSpinEditButton,
                                                     const Variant& AIncrement, Variant& ANewValue) const {
  const double v = std::clamp(cxVarIsNumber(AValue) ? AValue.AsDouble() : 0.0, 0.0, double(cxSecondsPerDay - 1));
  const double r = v + (cxVarIsNumber(AIncrement) ? AIncrement.AsDouble() : 0.0);
  if (r >= 0 && r < cxSecondsPerDay) {
    ANewValue = Variant(r);
    return true;
  }
  if (GetBoundsKind() != TcxSpinBoundsCheckingKind::bckCircular) return false;
  ANewValue = Variant(std::fmod(std::fmod(r, double(cxSecondsPerDay)) + cxSecondsPerDay, double(cxSecondsPerDay)));
  return true;
}

bool TcxCustomTimeEditProperties::IsEditValueValid(Variant& AEditValue, bool) const {
  if (VarIsStr(AEditValue)) {
    TDateTime t;
    return TryStrToTime(VarToStr(AEditValue), t);
  }
  return VarIsNull(AEditValue) || VarIsEmpty(AEditValue) || cxVarIsDateTime(AEditValue) ||
         (cxVarIsNumber(AEditValue) && VarType(AEditValue) != varBoolean);
}

// A value that is no time shows as nothing: painting never raises.
void TcxCustomTimeEditProperties::PrepareDisplayValue(const Variant& AEditValue, Variant& ADisplayValue,
                                                      bool AEditFocused) {
  String text;
  ValueToDisplayText(AEditValue, AEditFocused, text);
  ADisplayValue = Variant(text);
}

void TcxCustomTimeEditProperties::ValidateDisplayValue(Variant& DisplayValue, String& ErrorText, bool& Error,
                                                       IcxEditPropertiesHost* AEdit) {
  double t = 0;
  if (!Error && !TextToTime(VarToStr(DisplayValue), t)) Error = true;
  if (Error && ErrorText.empty()) ErrorText = cxGetResourceString(cxSTimeEditConvertError);
  // The spin edit's number checks do not apply to a time text.
  TcxCustomTextEditProperties::ValidateDisplayValue(DisplayValue, ErrorText, Error, AEdit);
}

TcxCustomEditClass TcxCustomTimeEditProperties::GetContainerClass() const {
  return ClassOf<TcxTimeEdit, TcxCustomEdit, TComponent*, bool>();
}

// ---- the control -------------------------------------------------------------------------------

TcxCustomEditPropertiesClass TcxCustomTimeEdit::GetPropertiesClass() {
  return ClassOf<TcxCustomTimeEditProperties, TcxCustomEditProperties, TPersistent*>();
}

TcxCustomEditPropertiesClass TcxTimeEdit::GetPropertiesClass() {
  return ClassOf<TcxTimeEditProperties, TcxCustomEditProperties, TPersistent*>();
}

void TcxCustomTimeEdit::Initialize() {
  inherited::Initialize();
  // The component's name never becomes the time.
  TControlStyle cs = ControlStyle();
  cs.Exclude(TControlStyleItem::csSetCaption);
  SetControlStyle(cs);
}

TcxTimePart TcxCustomTimeEdit::CaretPart() {
  TcxCustomTimeEditProperties* p = TimeProperties();
  return cxTimeEditPartAt(GetSelStart() + 1, p->GetTimeFormat(), p->GetUse24HourFormat());
}

Variant TcxCustomTimeEdit::GetIncrement(TcxSpinEditButton AButton) {
  using B = TcxSpinEditButton;
  const bool fast = AButton == B::sebFastBackward || AButton == B::sebFastForward;
  const bool backward = AButton == B::sebBackward || AButton == B::sebFastBackward;
  const Integer seconds = Integer(InternalGetValue().AsDouble());
  return Variant(double(cxTimeEditIncrement(CaretPart(), fast, backward, seconds)));
}

Variant TcxCustomTimeEdit::InternalGetValue() {
  TcxCustomTimeEditProperties* p = TimeProperties();
  String text;
  if (IsFocused())
    text = VarToStr(GetDisplayValue());
  else
    p->ValueToDisplayText(EditValue(), true, text);
  return Variant(double(cxTimeEditTextToSeconds(text, p->GetTimeFormat(), p->GetUse24HourFormat())));
}

void TcxCustomTimeEdit::SetValue(const Variant& Value) {
  if (!cxVarIsNumber(Value) || VarType(Value) == varBoolean) return;
  SetTime(Value.AsDouble() * 1000.0 / MSecsPerDay);
}

String TcxCustomTimeEdit::GetDisplayTextForValue(const Variant& AValue) {
  const double seconds = cxVarIsNumber(AValue) ? AValue.AsDouble() : 0.0;
  return TrimRight(FormatDateTime(TimeProperties()->DisplayFormat(), seconds / cxSecondsPerDay));
}

// Text that is no time keeps the value as it is: validation reports it, this never raises.
void TcxCustomTimeEdit::PrepareEditValue(const Variant& ADisplayValue, Variant& AEditValue, bool) {
  double t = 0;
  if (!TimeProperties()->TextToTime(VarToStr(ADisplayValue), t)) {
    AEditValue = EditValue();
    return;
  }
  AEditValue = Variant(TDateTime(FDatePart + SignOf(FDatePart) * t));
}

void TcxCustomTimeEdit::InternalSetEditValue(const Variant& AValue, bool AValidateEditValue) {
  double d = 0;
  FDatePart = ValueToDateTime(AValue, d) ? cxDateOf(d) : 0.0;
  inherited::InternalSetEditValue(AValue, AValidateEditValue);
}

void TcxCustomTimeEdit::SetInternalDisplayValue(const Variant& Value) {
  if (!IsFocused() && TimeProperties()) {
    TcxCustomTextEdit::SetInternalDisplayValue(Value);
    return;
  }
  inherited::SetInternalDisplayValue(Value);
}

TDateTime TcxCustomTimeEdit::GetTime() {
  Variant v = EditValue();
  if (IsFocused()) PrepareEditValue(GetDisplayValue(), v, true);
  double d = 0;
  if (!ValueToDateTime(v, d)) return 0.0;
  return std::fabs(Frac(d));
}

void TcxCustomTimeEdit::SetTime(TDateTime Value) {
  const double t = std::isfinite(Value.Value) ? std::fabs(Frac(Value.Value)) : 0.0;
  SetEditValue(Variant(TDateTime(FDatePart + SignOf(FDatePart) * t)));
}

bool TcxCustomTimeEdit::IsCharValidForPos(Char& Key, Integer APos) {
  if (!inherited::IsCharValidForPos(Key, APos)) return false;
  TcxCustomTimeEditProperties* p = TimeProperties();
  const bool use24 = p->GetUse24HourFormat();
  String text = VarToStr(GetDisplayValue());
  TcxTimeEditTimePartInfo info;
  p->GetTimePartInfo(APos, info);
  Integer caret = 0;
  TcxTimeTyping r;
  if (info.Kind == TP::tpAMPM) {
    r = cxTimeEditTypeSuffixIntoText(text, info.Start, APos, Key, caret);
  } else {
    const Integer lo = info.Kind == TP::tpHour && !use24 ? 1 : 0;
    const Integer hi = info.Kind == TP::tpHour ? (use24 ? 23 : 12) : 59;
    r = cxTimeEditTypeIntoText(text, info.Start, APos, Key, lo, hi, caret);
  }
  return cxApplyTimeTyping(this, r, text, caret, Key);
}

bool TcxCustomTimeEdit::IsValidChar(Char AChar) {
  // Backspace, paste (22) and cut (24) edit as typed characters do.
  const Byte b = Byte(AChar);
  return TimeProperties()->GetCanEdit() && (b == 8 || b == 22 || b == 24 || b >= 32);
}

// The caret goes to the end before the new settings show the time again.
void TcxCustomTimeEdit::PropertiesChanged(TObject* Sender) {
  if (TimeProperties() && HandleAllocated()) SetSelStart(Integer(VarToStr(GetDisplayValue()).size()));
  inherited::PropertiesChanged(Sender);
}

// ---- start-up ----------------------------------------------------------------------------------

namespace cxTimeEdit {

namespace {
UnitCounter gTimeEdit;
}  // namespace

void Initialize() {
  if (!gTimeEdit.Enter()) return;
  cxFormats::Initialize();
  cxTimeEditBuildMasks();
  gListener = New<TTimeEditFormatListener>();
  cxGetFormatController()->AddListener(gListener);
  cxRegisterEditor(TcxTimeEditProperties::StaticClass(),
                   "TimeEdit|Represents an editor displaying time values",
                   TcxTimeEdit::StaticClass());
}

void Finalize() {
  if (!gTimeEdit.Leave()) return;
  cxUnregisterEditor(TcxTimeEditProperties::StaticClass(), TcxTimeEdit::StaticClass());
  if (gListener) {
    cxGetFormatController()->RemoveListener(gListener);
    gListener->Free();
    gListener = nullptr;
  }
  cxFormats::Finalize();
}

}  // namespace cxTimeEdit

TL_DEFINE_CLASS(TcxCustomTimeEditProperties, [](auto&) {});
TL_DEFINE_CLASS(TcxTimeEditProperties, [](auto& c) {
  using T = TcxTimeEditProperties;
  c.Property("AutoCorrectHours", &T::GetAutoCorrectHours, &T::SetAutoCorrectHours).Default(true);
  c.Property("Circular", &T::GetCircular, &T::SetCircular).Default(false);
  c.Property("HideSelection", &T::GetHideSelection, &T::SetHideSelection).Default(true);
  c.Property("ImeMode", &T::GetImeMode, &T::SetImeMode).Default(TImeMode::imDontCare);
  c.Property("ImeName", &T::GetImeName, &T::SetImeName);
  c.Property("ShowDate", &T::GetShowDate, &T::SetShowDate).Default(false);
  c.Property("TimeFormat", &T::GetTimeFormat, &T::SetTimeFormat).Default(TcxTimeEditTimeFormat::tfHourMinSec);
  c.Property("Use24HourFormat", &T::GetUse24HourFormat, &T::SetUse24HourFormat).Default(true);
  c.Property("UseCtrlIncrement", &T::GetUseCtrlIncrement, &T::SetUseCtrlIncrement).Default(false);
  c.Property("UseTimeFormatWhenUnfocused", &T::GetUseTimeFormatWhenUnfocused, &T::SetUseTimeFormatWhenUnfocused)
      .Default(true);
});
TL_DEFINE_CLASS(TcxCustomTimeEdit, [](auto&) {});
TL_DEFINE_CLASS(TcxTimeEdit, [](auto& c) {
  using T = TcxTimeEdit;
  c.Property("Properties", &T::GetTimeEditProperties);
  c.Property("Time", &T::GetTime, &T::SetTime).Default(TDateTime(0.0));
  cxPublishEditValue<T>(c);
});
