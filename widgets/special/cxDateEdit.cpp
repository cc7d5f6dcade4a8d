#include "widgets/special/cxDateEdit.h"

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

const TResStringRec cxSDateEditInvalidDate = {65401, "Invalid Date"};

namespace {

using enum TcxCalendarKind;
using enum TcxInputKind;
using enum TDateOnError;

const TResStringRec cxSDateEditValueOutOfBounds = {65409, "Value out of bounds"};

double SignOf(double AValue) { return AValue >= 0 ? 1.0 : -1.0; }

bool InDateRange(double AValue) { return std::isfinite(AValue) && AValue >= MinDateTime && AValue <= MaxDateTime; }

class TcxDateEditMaskStandardMode : public TcxMaskEditStandardMode {
 public:
  using TcxMaskEditStandardMode::TcxMaskEditStandardMode;
  Char GetBlankChar(Integer APos) const override {
    TcxDateEditTimePartInfo info;
    auto* p = static_cast<const TcxCustomDateEditProperties*>(GetProperties());
    if (!p->GetTimePartInfo(APos + 1, info)) return TcxMaskEditStandardMode::GetBlankChar(APos);
    return p->GetTimePartBlankChar(APos + 1);
  }
};

}  // namespace

TcxMaskEditCustomMode* TcxCustomDateEditProperties::CreateMode(TcxEditMaskKind AKind, TcxCustomMaskEdit* AEdit) {
  if (AKind != TcxEditMaskKind::emkStandard) return inherited::CreateMode(AKind, AEdit);
  return new TcxDateEditMaskStandardMode(AEdit, this);
}

// ---- assigned values ---------------------------------------------------------------------------

void TcxDateEditPropertiesValues::Assign(TPersistent* Source) {
  auto update = UpdateBracket(this);
  inherited::Assign(Source);
  if (auto* s = dynamic_cast<TcxDateEditPropertiesValues*>(Source)) {
    SetDateButtons(s->FDateButtons);
    SetInputKind(s->FInputKind);
  }
}

void TcxDateEditPropertiesValues::RestoreDefaults() {
  auto update = UpdateBracket(this);
  inherited::RestoreDefaults();
  SetDateButtons(false);
  SetInputKind(false);
}

void TcxDateEditPropertiesValues::SetDateButtons(bool Value) {
  if (FDateButtons == Value) return;
  FDateButtons = Value;
  Changed();
}

void TcxDateEditPropertiesValues::SetInputKind(bool Value) {
  if (FInputKind == Value) return;
  FInputKind = Value;
  Changed();
}

// ---- properties --------------------------------------------------------------------------------

void TcxCustomDateEditProperties::AfterConstruction() {
  inherited::AfterConstruction();
  auto quiet = cxPropertiesQuietUpdate(this);
  SetCaseInsensitive(true);
  SetValidateOnEnter(true);
  SetPopupSizeable(false);
  SetImmediateDropDown(false);
  BuildMask();
}

void TcxCustomDateEditProperties::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TcxCustomDateEditProperties*>(Source);
  if (!s || s == this) return inherited::Assign(Source);
  auto update = UpdateBracket(this);
  inherited::Assign(Source);
  SetArrowsForYear(s->FArrowsForYear);
  SetDateOnError(s->FDateOnError);
  SetKind(s->FKind);
  SetSaveTime(s->FSaveTime);
  SetShowTime(s->FShowTime);
  SetYearsInMonthList(s->FYearsInMonthList);
  if (s->IsDateButtonsStored()) SetDateButtons(s->FDateButtons);
  if (s->IsInputKindStored()) SetInputKind(s->FInputKind);
}

void TcxCustomDateEditProperties::BuildMask() {
  if (FBuildingMask) return;
  TScopedValue<bool> reset(FBuildingMask, true);
  TcxFormatController* c = cxGetFormatController();
  const bool withTime = FKind == ckDateTime;
  // The mask of one kind need not compile under the other (the picture of a date and time
  // is no regular expression): it goes before the kind changes.
  auto setMask = [this](TcxEditMaskKind AKind, const String& AMask) {
    if (GetMaskKind() != AKind) {
      SetEditMask(String());
      SetMaskKind(AKind);
    }
    SetEditMask(AMask);
  };
  auto quiet = cxPropertiesQuietUpdate(this);
  switch (GetInputKind()) {
    case ikMask:
      setMask(TcxEditMaskKind::emkStandard,
              withTime ? c->GetStandardDateTimeEditMask() : c->GetStandardDateEditMask());
      break;
    case ikRegExpr:
      setMask(TcxEditMaskKind::emkRegExprEx,
              withTime ? c->GetRegExprDateTimeEditMask() : c->GetRegExprDateEditMask());
      break;
    case ikStandard:
      SetEditMask(String());
      break;
  }
}

void TcxCustomDateEditProperties::Changed() {
  BuildMask();
  inherited::Changed();
}

void TcxCustomDateEditProperties::SetArrowsForYear(bool Value) {
  if (FArrowsForYear == Value) return;
  FArrowsForYear = Value;
  Changed();
}

TDateButtons TcxCustomDateEditProperties::GetDateButtons() const {
  if (IsDateButtonsStored()) return FDateButtons;
  if (FKind == ckDateTime) return {TDateButton::btnClear, TDateButton::btnNow};
  return {TDateButton::btnClear, TDateButton::btnToday};
}

void TcxCustomDateEditProperties::SetDateButtons(TDateButtons Value) {
  if (IsDateButtonsStored() && FDateButtons == Value) return;
  FDateButtons = Value;
  auto update = cxPropertiesUpdate(this);
  DateValues()->SetDateButtons(true);
}

void TcxCustomDateEditProperties::SetDateOnError(TDateOnError Value) {
  if (FDateOnError == Value) return;
  FDateOnError = Value;
  Changed();
}

TcxInputKind TcxCustomDateEditProperties::GetInputKind() const {
  if (IsInputKindStored()) return FInputKind;
  return FKind == ckDateTime ? ikMask : ikRegExpr;
}

void TcxCustomDateEditProperties::SetInputKind(TcxInputKind Value) {
  if (IsInputKindStored() && FInputKind == Value) return;
  FInputKind = Value;
  auto update = cxPropertiesUpdate(this);
  DateValues()->SetInputKind(true);
}

void TcxCustomDateEditProperties::SetKind(TcxCalendarKind Value) {
  if (FKind == Value) return;
  FKind = Value;
  Changed();
}

void TcxCustomDateEditProperties::SetSaveTime(bool Value) {
  if (FSaveTime == Value) return;
  FSaveTime = Value;
  Changed();
}

void TcxCustomDateEditProperties::SetShowTime(bool Value) {
  if (FShowTime == Value) return;
  FShowTime = Value;
  Changed();
}

void TcxCustomDateEditProperties::SetYearsInMonthList(bool Value) {
  if (FYearsInMonthList == Value) return;
  FYearsInMonthList = Value;
  Changed();
}

bool TcxCustomDateEditProperties::IsMinDateActive() const {
  const double mn = GetMinValue(), mx = GetMaxValue();
  return mn != 0 && (mx == 0 || mx > mn);
}

bool TcxCustomDateEditProperties::IsMaxDateActive() const {
  const double mn = GetMinValue(), mx = GetMaxValue();
  return mx != 0 && (mn == 0 || mx > mn);
}

bool TcxCustomDateEditProperties::GetTimePartInfo(Integer APos, TcxDateEditTimePartInfo& AInfo) const {
  AInfo = TcxDateEditTimePartInfo();
  TcxFormatController* c = cxGetFormatController();
  if (FKind != ckDateTime || GetInputKind() != ikMask || !c->GetTimePartHandling()) return false;
  using K = TcxDateTimeFormatItemKind;
  K kind = K::dtikString;
  if (!cxFindDateTimeFormatItem(c->GetDateTimeFormatInfo(), APos, kind, AInfo.Start, AInfo.Length, AInfo.SuffixForm))
    return false;
  switch (kind) {
    case K::dtikHour: AInfo.Kind = 0; return true;
    case K::dtikMin: AInfo.Kind = 1; return true;
    case K::dtikSec: AInfo.Kind = 2; return true;
    case K::dtikTimeSuffix: AInfo.Kind = 3; return true;
    default: AInfo = TcxDateEditTimePartInfo(); return false;
  }
}

Char TcxCustomDateEditProperties::GetTimePartBlankChar(Integer APos) const {
  TcxDateEditTimePartInfo info;
  if (!GetTimePartInfo(APos, info)) return ' ';
  return info.Kind == 3 ? Char(0) : Char('0');
}

namespace {

// Whether the hour of the date-and-time format runs on a 12-hour clock.
bool IsTwelveHourFormat() {
  for (const TcxDateTimeFormatItem& item : cxGetFormatController()->GetDateTimeFormatInfo().Items)
    if (item.Kind == TcxDateTimeFormatItemKind::dtikHour) return item.Data.rfind("12", 0) == 0;
  return false;
}

}  // namespace

String TcxCustomDateEditProperties::ZeroHourAsTwelve(const String& AText) const {
  if (!IsTwelveHourFormat()) return AText;
  for (Integer pos = 1; pos <= Integer(AText.size()); ++pos) {
    TcxDateEditTimePartInfo info;
    if (!GetTimePartInfo(pos, info) || info.Kind != 0) continue;
    String text = AText;
    const size_t start = size_t(info.Start - 1), length = size_t(info.Length);
    if (start + length <= text.size() && text.substr(start, length) == String(length, '0'))
      text.replace(start, length, "12");
    return text;
  }
  return AText;
}

bool TcxCustomDateEditProperties::HasBlankDatePart(const String& AText) const {
  for (Integer pos = 1; pos <= Integer(AText.size()); ++pos) {
    TcxDateEditTimePartInfo info;
    if (!GetTimePartInfo(pos, info)) continue;
    // The date stands before the time: nothing there but blanks and separators is no date.
    const String date = AText.substr(0, size_t(pos - 1));
    return std::all_of(date.begin(), date.end(),
                       [](Char c) { return c == ' ' || c == FormatSettings.DateSeparator; });
  }
  return false;
}

bool TcxCustomDateEditProperties::TextToDate(const String& AText, TDateTime& ADate) const {
  ADate = NullDate;
  if (Trim(AText).empty()) return false;
  // The platform reads a time alone as a time on day 0; an emptied date is no date.
  if (HasBlankDatePart(AText)) return false;
  TcxFormatController* c = cxGetFormatController();
  // A deleted hour of a masked date and time leaves "00", which a 12-hour clock calls twelve.
  const String text = ZeroHourAsTwelve(AText);
  const bool ok = c->GetSmartInput() ? cxTryTextToDate(text, ADate)
                                     : cxTextToDateTime(text, !c->GetUseLibraryFormats(), ADate);
  if (!ok || !InDateRange(ADate.Value)) {
    ADate = NullDate;
    return false;
  }
  return true;
}

Variant TcxCustomDateEditProperties::TextToDateValue(const String& AText) const {
  if (Trim(AText).empty()) return Variant::MakeNull();
  TDateTime d;
  if (TextToDate(AText, d)) return Variant(d);
  if (FDateOnError == deToday) return Variant(FKind == ckDate ? Date() : Now());
  return Variant::MakeNull();
}

bool TcxCustomDateEditProperties::ValueToDate(const Variant& AValue, TDateTime& ADate) const {
  ADate = NullDate;
  if (VarIsNull(AValue) || VarIsEmpty(AValue)) return false;
  if (VarIsStr(AValue)) return TextToDate(VarToStr(AValue), ADate);
  if (!cxVarIsDateTime(AValue) && !(cxVarIsNumber(AValue) && VarType(AValue) != varBoolean)) return false;
  double d = 0;
  try {
    d = AValue.AsDouble();
  } catch (const Exception&) {
    return false;
  }
  // Numbers beyond the date range are not dates: never decoded.
  if (!InDateRange(d) || d == NullDate) return false;
  ADate = d;
  return true;
}

String TcxCustomDateEditProperties::DateToDisplayText(TDateTime ADate, bool AEditFocused) const {
  const TcxInputKind input = GetInputKind();
  const bool hasTime = cxTimeOf(ADate) != 0;
  bool showTime;
  if (!AEditFocused)
    showTime = FKind == ckDateTime || FShowTime;
  else if (FKind == ckDateTime)
    showTime = hasTime || input == ikMask;
  else
    showTime = FShowTime && hasTime && input == ikStandard;
  const TDateTime shown = showTime ? ADate : TDateTime(cxDateOf(ADate));
  String text;
  cxDateTimeToText(AEditFocused && input == ikMask, AEditFocused && FKind == ckDateTime, true, text, shown);
  return TrimRight(text);
}

bool TcxCustomDateEditProperties::IsEditValueValid(Variant& AEditValue, bool) const {
  if (VarIsNull(AEditValue) || VarIsEmpty(AEditValue)) return true;
  TDateTime d;
  return ValueToDate(AEditValue, d);
}

bool TcxCustomDateEditProperties::IsTextEditValueValid(Variant& AEditValue, bool) const {
  const String text = VarToStr(AEditValue);
  TDateTime d;
  return Trim(text).empty() || TextToDate(text, d);
}

void TcxCustomDateEditProperties::PrepareDisplayValue(const Variant& AEditValue, Variant& ADisplayValue,
                                                      bool AEditFocused) {
  TDateTime d;
  ADisplayValue = Variant(ValueToDate(AEditValue, d) ? DateToDisplayText(d, AEditFocused) : String());
}

void TcxCustomDateEditProperties::ValidateDisplayValue(Variant& DisplayValue, String& ErrorText, bool& Error,
                                                       IcxEditPropertiesHost* AEdit) {
  auto* edit = dynamic_cast<TcxCustomDateEdit*>(AEdit);
  const bool focused = edit && edit->IsFocused();
  Error = false;
  ErrorText = cxGetResourceString(cxSDateEditInvalidDate);
  String text = VarToStr(DisplayValue);
  const String empty = edit ? edit->GetEmptyMaskText() : String();
  auto isBlank = [&](const String& AText) { return edit ? edit->IsEmptyDateText(AText) : Trim(AText).empty(); };
  const bool blank = isBlank(text);
  TDateTime date = NullDate;
  if (!blank && !TextToDate(text, date)) Error = true;
  const bool handler = edit && edit->IsOnValidateAssigned();
  if (!handler) {
    if (Error && FDateOnError == deToday) {
      date = FKind == ckDate ? Date() : Now();
      Error = false;
    } else if (Error && FDateOnError == deNull) {
      date = NullDate;
      Error = false;
    }
  } else {
    if (!Error && date.Value != NullDate) DisplayValue = Variant(DateToDisplayText(date, true));
    // The handler may free the editor, and these properties with it.
    TWeakLink watch(edit);
    DoValidate(DisplayValue, ErrorText, Error, AEdit);
    if (!watch.Alive()) return;
    text = VarToStr(DisplayValue);
    if (!Error) {
      date = NullDate;
      if (!isBlank(text) && !TextToDate(text, date)) Error = true;
    }
  }
  if (!Error && date.Value != NullDate) {
    if ((IsMinDateActive() && date.Value < GetMinValue()) || (IsMaxDateActive() && date.Value > GetMaxValue())) {
      Error = true;
      ErrorText = cxGetResourceString(cxSDateEditValueOutOfBounds);
    } else {
      if (FKind == ckDate && edit) {
        if (cxTimeOf(date) != 0)
          edit->SetSavedTime(cxTimeOf(date));
        else if (!FSaveTime)
          edit->SetSavedTime(0);
        else if (edit->SavedTime() != 0)
          date = cxDateOf(date) + SignOf(date.Value) * edit->SavedTime();
      }
      DisplayValue = Variant(DateToDisplayText(date, focused));
    }
  } else if (!Error) {
    if (edit) {
      edit->SetSavedTime(0);
      if (!VarIsNull(edit->EditValue())) edit->InternalSetEditValue(Variant::MakeNull(), false);
    }
    DisplayValue = Variant(empty);
  }
  if (Error && edit) DisplayValue = edit->GetDisplayValue();
}

TcxCustomEditPropertiesValuesClass TcxCustomDateEditProperties::GetAssignedValuesClass() const {
  return ClassOf<TcxDateEditPropertiesValues, TcxCustomEditPropertiesValues, TcxCustomEditProperties*>();
}

TcxCustomEditClass TcxCustomDateEditProperties::GetContainerClass() const {
  return ClassOf<TcxDateEdit, TcxCustomEdit, TComponent*, bool>();
}

// ---- the control -------------------------------------------------------------------------------

TcxCustomEditPropertiesClass TcxCustomDateEdit::GetPropertiesClass() {
  return ClassOf<TcxCustomDateEditProperties, TcxCustomEditProperties, TPersistent*>();
}

TcxCustomEditPropertiesClass TcxDateEdit::GetPropertiesClass() {
  return ClassOf<TcxDateEditProperties, TcxCustomEditProperties, TPersistent*>();
}

void TcxCustomDateEdit::BeforeDestruction() {
  if (FCalendar) {
    FCalendar->OnDateTimeChanged = {};
    FCalendar->OnHidePopup = {};
  }
  inherited::BeforeDestruction();
}

TcxPopupCalendar* TcxCustomDateEdit::Calendar() {
  if (!FCalendar) {
    FCalendar = New<TcxPopupCalendar>(this);
    FCalendar->Edit = this;
    FCalendar->OnDateTimeChanged = TNotifyEvent(this, &TcxCustomDateEdit::DateChanged);
    FCalendar->OnHidePopup = TcxCalendarHidePopupEvent(this, &TcxCustomDateEdit::CalendarHidePopup);
  }
  return FCalendar;
}

TDateTime TcxCustomDateEdit::GetDate() {
  const Variant v = EditValue();
  if (VarIsStr(v)) {
    Variant d;
    PrepareEditValue(v, d, false);
    return VarIsNull(d) ? TDateTime(NullDate) : d.AsDateTime();
  }
  TDateTime d;
  return DateProperties()->ValueToDate(v, d) ? d : TDateTime(NullDate);
}

void TcxCustomDateEdit::SetDate(TDateTime Value) {
  if (Value.Value == NullDate) {
    SetEditValue(Variant::MakeNull());
    return;
  }
  double d = Value.Value;
  TcxCustomDateEditProperties* p = DateProperties();
  if (p->GetKind() == ckDate && p->GetSaveTime() && cxTimeOf(d) == 0) d = cxDateOf(d) + SignOf(d) * FSavedTime;
  SetEditValue(Variant(TDateTime(d)));
}

void TcxCustomDateEdit::DropDown() {
  DateProperties()->SetPopupControl(Calendar());
  inherited::DropDown();
}

void TcxCustomDateEdit::DoInitPopup() {
  TcxCustomDateEditProperties* p = DateProperties();
  TcxPopupCalendar* cal = Calendar();
  if (p->GetPopupControl() != cal) p->SetPopupControl(cal);
  TcxContainerStyle* style = GetActiveStyle();
  cal->SetColor(style->GetColor());
  cal->GetFont()->Assign(style->GetFont());
  cal->SetFlat(PopupControlsLookAndFeel()->GetKind() != TcxLookAndFeelKind::lfStandard);
  cal->GetLookAndFeel()->SetMasterLookAndFeel(PopupControlsLookAndFeel());
  cal->SetDateButtons(p->GetDateButtons());
  cal->SetArrowsForYear(p->GetArrowsForYear());
  cal->SetKind(p->GetKind());
  cal->SetYearsInMonthList(p->GetYearsInMonthList());
  // The time edit follows the locale's long time format.
  TcxDateTimeFormatInfo info;
  cxGetFormatController()->GetDateTimeFormatInfo(FormatSettings.LongTimeFormat, info);
  using K = TcxDateTimeFormatItemKind;
  const TcxTimeEditTimeFormat format = info.DefinedItems[size_t(K::dtikSec)]   ? TcxTimeEditTimeFormat::tfHourMinSec
                                       : info.DefinedItems[size_t(K::dtikMin)] ? TcxTimeEditTimeFormat::tfHourMin
                                                                               : TcxTimeEditTimeFormat::tfHour;
  bool use24 = true;
  for (const TcxDateTimeFormatItem& item : info.Items)
    if (item.Kind == K::dtikHour) use24 = item.Data.rfind("24", 0) == 0;
  cal->SetTimeFormat(format);
  cal->SetUse24HourFormat(use24);
  FDateOnPopup = GetDate();
  const TDateTime shown = FDateOnPopup.Value == NullDate ? Date() : FDateOnPopup;
  if (p->GetKind() == ckDateTime) cal->SetTime(cxTimeOf(shown));
  cal->SetFirstDate(cxDateOf(shown));
  cal->SetSelectDate(cxDateOf(shown));
  cal->LayoutChanged();
  inherited::DoInitPopup();
}

void TcxCustomDateEdit::DoPopup() {
  TcxEditLifeGuard guard(this);  // OnPopup may free the editor
  inherited::DoPopup();
  if (guard.Alive() && FCalendar) {
    FCalendar->LayoutChanged();
    FCalendar->CheckHotTrack();
  }
}

void TcxCustomDateEdit::CloseUp(TcxEditCloseUpReason AReason) {
  auto* own = dynamic_cast<TcxCustomDateEditProperties*>(GetProperties());
  if (AReason == TcxEditCloseUpReason::crTab && FCalendar && HasShownPopup() && own && own->GetKind() == ckDate &&
      DateProperties()->GetPostPopupValueOnTab()) {
    TcxEditLifeGuard guard(this);
    DateChanged(FCalendar);
    if (!guard.Alive()) return;
  }
  inherited::CloseUp(AReason);
}

// Escape in the calendar's time edit first puts back a time being typed; only an untouched
// time edit lets it close the popup.
bool TcxCustomDateEdit::PopupKeepsClosingKey(Word Key, TShiftState Shift) {
  if (Key != VK_ESCAPE || Shift.Contains(TShiftStateItem::ssAlt) || !FCalendar) return false;
  TcxTimeEdit* time = FCalendar->TimeEdit();
  if (!time || !time->GetVisible() || !time->IsFocused()) return false;
  return time->GetDisplayValueModified();
}

void TcxCustomDateEdit::PopupWindowClosed() {
  TcxEditLifeGuard guard(this);  // the closing handlers may free the editor
  inherited::PopupWindowClosed();
  if (guard.Alive() && FCalendar) FCalendar->CheckHotTrack();
}

void TcxCustomDateEdit::CalendarHidePopup(TObject*, TcxEditCloseUpReason AReason) {
  if (HasShownPopup()) CloseUpWithReason(AReason);
}

void TcxCustomDateEdit::DateChanged(TObject*) {
  TcxCustomDateEditProperties* p = DateProperties();
  const double selected = FCalendar->GetSelectDate().Value;
  double value = selected;
  if (selected != NullDate) {
    if (p->GetKind() == ckDateTime)
      value = cxDateOf(selected) + SignOf(selected) * FCalendar->GetTime().Value;
    else if (p->GetSaveTime() && FDateOnPopup.Value != NullDate)
      value = cxDateOf(selected) + SignOf(selected) * cxTimeOf(FDateOnPopup);
  }
  const Variant newValue = value == NullDate ? Variant::MakeNull() : Variant(TDateTime(value));
  Variant display;
  p->PrepareDisplayValue(newValue, display, IsFocused());
  if (VarToStr(display) == VarToStr(GetDisplayValue()) && VarIsNull(newValue) == VarIsNull(EditValue())) return;
  TcxEditLifeGuard guard(this);  // every handler on the way may free the editor
  if (!DoEditing() || !guard.Alive()) return;
  {
    auto lock = WatchedPairedCall(
        this, [this] { LockChangeEvents(true); }, [this] { LockChangeEvents(false); });
    InternalSetEditValue(newValue, false);
    if (guard.Alive()) SetEditModified(true);
    if (guard.Alive()) SelectAll();
  }
  // A day clicked or taken with Enter is told after the popup closed, when the post that
  // follows the close has run: the chosen day is posted here.
  if (!guard.Alive() || HasShownPopup() || !p->GetImmediatePost()) return;
  auto locked = WatchedPairedCall(
      this, [this] { LockChangeEvents(true); }, [this] { LockChangeEvents(false); });
  if (CanPostEditValue() && ValidateDisplayText(true) && guard.Alive()) PostEditValue(false);
}

void TcxCustomDateEdit::PrepareEditValue(const Variant& ADisplayValue, Variant& AEditValue, bool) {
  TcxCustomDateEditProperties* p = DateProperties();
  const String text = VarToStr(ADisplayValue);
  // The bare mask is an emptied text: Null, never a date that DateOnError makes up.
  if (IsEmptyDateText(text)) {
    AEditValue = Variant::MakeNull();
    return;
  }
  AEditValue = p->TextToDateValue(text);
  if (VarIsNull(AEditValue) || p->GetKind() != ckDate || !p->GetSaveTime()) return;
  const double d = AEditValue.AsDouble();
  if (cxTimeOf(d) == 0 && FSavedTime != 0) AEditValue = Variant(TDateTime(cxDateOf(d) + SignOf(d) * FSavedTime));
}

bool TcxCustomDateEdit::IsEmptyDateText(const String& AText) {
  if (Trim(AText).empty()) return true;
  const String empty = GetEmptyMaskText();
  if (empty.empty() || AText.size() != empty.size()) return false;
  // Deleting leaves "0" in the time digits and the designator as it was: both stand for the
  // empty text there.
  String text = AText;
  TcxCustomDateEditProperties* p = DateProperties();
  for (size_t i = 0; i < text.size(); ++i) {
    TcxDateEditTimePartInfo info;
    if (p->GetTimePartInfo(Integer(i) + 1, info) && (info.Kind == 3 || text[i] == '0')) text[i] = empty[i];
  }
  return SameText(text, empty);
}

void TcxCustomDateEdit::InternalSetEditValue(const Variant& AValue, bool AValidateEditValue) {
  TcxCustomDateEditProperties* p = DateProperties();
  if (p && p->GetKind() == ckDate) {
    TDateTime d;
    FSavedTime = p->GetSaveTime() && p->ValueToDate(AValue, d) ? cxTimeOf(d) : 0.0;
  }
  inherited::InternalSetEditValue(AValue, AValidateEditValue);
}

void TcxCustomDateEdit::ValueBoundsHook() {
  TcxCustomDateEditProperties* p = DateProperties();
  const TDateTime d = GetDate();
  if (d.Value == NullDate) return;
  if (p->IsMinDateActive() && d.Value < p->GetMinValue())
    SetDate(p->GetMinDate());
  else if (p->IsMaxDateActive() && d.Value > p->GetMaxValue())
    SetDate(p->GetMaxDate());
}

bool TcxCustomDateEdit::IsCharValidForPos(Char& Key, Integer APos) {
  if (!inherited::IsCharValidForPos(Key, APos)) return false;
  TcxDateEditTimePartInfo info;
  if (!DateProperties()->GetTimePartInfo(APos, info)) return true;
  String text = VarToStr(GetDisplayValue());
  Integer caret = 0;
  TcxTimeTyping r = TcxTimeTyping::ttPlain;
  if (info.Kind == 3) {
    r = cxTimeEditTypeSuffixIntoText(text, info.Start, APos, Key, caret);
  } else {
    const bool twelve = IsTwelveHourFormat();
    const Integer lo = info.Kind == 0 && twelve ? 1 : 0;
    const Integer hi = info.Kind == 0 ? (twelve ? 12 : 23) : 59;
    r = cxTimeEditTypeIntoText(text, info.Start, APos, Key, lo, hi, caret);
  }
  return cxApplyTimeTyping(this, r, text, caret, Key);
}

// ---- start-up ----------------------------------------------------------------------------------

namespace cxDateEdit {

namespace {
UnitCounter gDateEdit;
}  // namespace

void Initialize() {
  if (!gDateEdit.Enter()) return;
  cxTimeEdit::Initialize();
  cxRegisterEditor(TcxDateEditProperties::StaticClass(),
                   "DateEdit|Represents an edit control with a dropdown calendar",
                   TcxDateEdit::StaticClass());
}

void Finalize() {
  if (!gDateEdit.Leave()) return;
  cxUnregisterEditor(TcxDateEditProperties::StaticClass(), TcxDateEdit::StaticClass());
  cxTimeEdit::Finalize();
}

}  // namespace cxDateEdit

TL_DEFINE_CLASS(TcxDateEditPropertiesValues, [](auto& c) {
  using T = TcxDateEditPropertiesValues;
  c.Property("DateButtons", &T::GetDateButtons, &T::SetDateButtons).Default(false);
  c.Property("InputKind", &T::GetInputKind, &T::SetInputKind).Default(false);
  // Read under the date names; written once, under the inherited ones.
  c.Property("MaxDate", &T::GetMaxDate, &T::SetMaxDate).Stored(false);
  c.Property("MinDate", &T::GetMinDate, &T::SetMinDate).Stored(false);
});
TL_DEFINE_CLASS(TcxCustomDateEditProperties, [](auto&) {});
TL_DEFINE_CLASS(TcxDateEditProperties, [](auto& c) {
  using T = TcxDateEditProperties;
  c.Property("ArrowsForYear", &T::GetArrowsForYear, &T::SetArrowsForYear).Default(true);
  c.Property("ButtonGlyph", &T::GetButtonGlyph, &T::SetButtonGlyph).Stored(&T::IsButtonGlyphStored);
  c.Property("DateButtons", &T::GetDateButtons, &T::SetDateButtons).Stored(&T::IsDateButtonsStored);
  c.Property("DateOnError", &T::GetDateOnError, &T::SetDateOnError).Default(TDateOnError::deNoChange);
  c.Property("ImeMode", &T::GetImeMode, &T::SetImeMode).Default(TImeMode::imDontCare);
  c.Property("ImeName", &T::GetImeName, &T::SetImeName);
  c.Property("InputKind", &T::GetInputKind, &T::SetInputKind).Stored(&T::IsInputKindStored);
  c.Property("Kind", &T::GetKind, &T::SetKind).Default(TcxCalendarKind::ckDate);
  c.Property("MaxDate", &T::GetMaxDate, &T::SetMaxDate).Stored(&T::IsMaxValueStored);
  c.Property("MinDate", &T::GetMinDate, &T::SetMinDate).Stored(&T::IsMinValueStored);
  c.Property("PostPopupValueOnTab", &T::GetPostPopupValueOnTab, &T::SetPostPopupValueOnTab).Default(false);
  c.Property("SaveTime", &T::GetSaveTime, &T::SetSaveTime).Default(true);
  c.Property("ShowTime", &T::GetShowTime, &T::SetShowTime).Default(true);
  c.Property("ValidateOnEnter", &T::GetValidateOnEnter, &T::SetValidateOnEnter).Default(true);
  c.Property("YearsInMonthList", &T::GetYearsInMonthList, &T::SetYearsInMonthList).Default(true);
  c.Event("OnCloseUp", &T::OnCloseUp);
  c.Event("OnInitPopup", &T::OnInitPopup);
  c.Event("OnPopup", &T::OnPopup);
});
TL_DEFINE_CLASS(TcxCustomDateEdit, [](auto&) {});
TL_DEFINE_CLASS(TcxDateEdit, [](auto& c) {
  using T = TcxDateEdit;
  c.Property("Date", &T::GetDate, &T::SetDate).Default(TDateTime(NullDate));
  cxPublishEditValue<T>(c);
  c.Property("Properties", &T::GetDateEditProperties);
});
