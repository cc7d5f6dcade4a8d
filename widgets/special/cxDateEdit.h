// The date edit: a popup edit whose text is a date (or a date and time) and whose drop-down
// holds the month calendar. Text is typed plainly, through a standard mask or through a
// regular-expression mask, all built from the locale by the format controller; smart words
// ("today", "eom+1") are read as dates.
#pragma once

#include "widgets/editcore/cxDateUtils.h"
#include "widgets/editors/cxPopupEdit.h"
#include "widgets/special/cxCalendar.h"

TL_ENUM(TcxInputKind, ikStandard, ikMask, ikRegExpr);
TL_ENUM(TDateOnError, deNoChange, deToday, deNull);

// "Invalid Date": the error of a typed text that is no date.
extern const TResStringRec cxSDateEditInvalidDate;

class TcxCustomDateEdit;

// A time part of a masked date-and-time text: Kind 0 hour, 1 minute, 2 second, 3 AM/PM;
// its 1-based start and its length; the AM/PM part's form.
struct TcxDateEditTimePartInfo {
  Integer Kind = 0;
  Integer Start = 0;
  Integer Length = 0;
  TcxTimeSuffixKind SuffixForm = TcxTimeSuffixKind::tskAMPMString;
};

// The assigned flags of the by-kind settings; MinDate and MaxDate share the text edit's
// MinValue and MaxValue flags.
class TcxDateEditPropertiesValues : public TcxTextEditPropertiesValues {
  TL_CLASS(TcxDateEditPropertiesValues, TcxTextEditPropertiesValues)
 public:
  using TcxTextEditPropertiesValues::TcxTextEditPropertiesValues;
  void Assign(TPersistent* Source) override;
  void RestoreDefaults() override;

  bool GetDateButtons() const { return FDateButtons; }
  void SetDateButtons(bool Value);
  bool GetInputKind() const { return FInputKind; }
  void SetInputKind(bool Value);
  // The bound flags under the names of the date bounds.
  bool GetMaxDate() const { return GetMaxValue(); }
  void SetMaxDate(bool Value) { SetMaxValue(Value); }
  bool GetMinDate() const { return GetMinValue(); }
  void SetMinDate(bool Value) { SetMinValue(Value); }

 private:
  bool FDateButtons = false;
  bool FInputKind = false;
};

class TcxCustomDateEditProperties : public TcxCustomPopupEditProperties {
  TL_CLASS(TcxCustomDateEditProperties, TcxCustomPopupEditProperties)
 public:
  explicit TcxCustomDateEditProperties(TPersistent* AOwner) : TcxCustomPopupEditProperties(AOwner) {}
  void AfterConstruction() override;
  void Assign(TPersistent* Source) override;
  TcxCustomEditProperties* CreateSameClass() const override { return New<TcxCustomDateEditProperties>(nullptr); }
  // Rebuilds the mask first.
  void Changed() override;

  bool GetArrowsForYear() const { return FArrowsForYear; }
  void SetArrowsForYear(bool Value);
  // Unassigned: Clear and Today for dates, Clear and Now for dates with times.
  TDateButtons GetDateButtons() const;
  void SetDateButtons(TDateButtons Value);
  bool IsDateButtonsStored() const { return DateValues()->GetDateButtons(); }
  TDateOnError GetDateOnError() const { return FDateOnError; }
  void SetDateOnError(TDateOnError Value);
  // Unassigned: the regular-expression mask for dates, the standard mask with times.
  TcxInputKind GetInputKind() const;
  void SetInputKind(TcxInputKind Value);
  bool IsInputKindStored() const { return DateValues()->GetInputKind(); }
  TcxCalendarKind GetKind() const { return FKind; }
  void SetKind(TcxCalendarKind Value);
  // 0: no bound.
  TDateTime GetMaxDate() const { return GetMaxValue(); }
  void SetMaxDate(TDateTime Value) { SetMaxValue(Value.Value); }
  TDateTime GetMinDate() const { return GetMinValue(); }
  void SetMinDate(TDateTime Value) { SetMinValue(Value.Value); }
  bool GetSaveTime() const { return FSaveTime; }
  void SetSaveTime(bool Value);
  bool GetShowTime() const { return FShowTime; }
  void SetShowTime(bool Value);
  bool GetYearsInMonthList() const { return FYearsInMonthList; }
  void SetYearsInMonthList(bool Value);
  TcxDateEditPropertiesValues* DateValues() const {
    return static_cast<TcxDateEditPropertiesValues*>(GetAssignedValues());
  }

  // Text to value: Null for the empty mask text; a date, or for a text that is no date
  // Null (today or now with deToday).
  Variant TextToDateValue(const String& AText) const;
  // A date a text gives (smart words unless switched off); false for a text that is no date.
  bool TextToDate(const String& AText, TDateTime& ADate) const;
  // A date of a value: a number or date within the date range, or a text read as a date.
  bool ValueToDate(const Variant& AValue, TDateTime& ADate) const;
  // The text a date shows: unfocused in the general form; focused in the mask's form.
  String DateToDisplayText(TDateTime ADate, bool AEditFocused) const;
  // Whether a masked date and time has nothing but blanks where its date stands.
  bool HasBlankDatePart(const String& AText) const;
  // AText with an hour of "00" in the 12-hour time of a masked date and time read as "12".
  String ZeroHourAsTwelve(const String& AText) const;
  // Whether the bound is in force: non-zero and, with both set, only while Max > Min.
  bool IsMinDateActive() const;
  bool IsMaxDateActive() const;
  // The time part at a 1-based position of the masked date-and-time text; false elsewhere,
  // and always false unless the kind, the input kind and the format controller allow parts.
  virtual bool GetTimePartInfo(Integer APos, TcxDateEditTimePartInfo& AInfo) const;
  // The blank of a position: "0" in hours, minutes and seconds, none (#0) in the AM/PM part,
  // a space elsewhere.
  virtual Char GetTimePartBlankChar(Integer APos) const;

  // The picture mask is edited by the date mode: time digits blank to "0", the designator
  // never blanks, other positions take the mask's blank.
  TcxMaskEditCustomMode* CreateMode(TcxEditMaskKind AKind, TcxCustomMaskEdit* AEdit) override;

  bool IsEditValueNumeric() const override { return true; }
  bool IsValueBoundDefined() const override { return IsMinDateActive() || IsMaxDateActive(); }
  bool IsValueBoundActive(Integer ABound) const override { return ABound == 0 ? IsMinDateActive() : IsMaxDateActive(); }
  bool IsPostAfterPopupClosed() const override { return true; }
  bool IsPopupWindowSizeFixed() const override { return false; }
  bool IsEditValueValid(Variant& AEditValue, bool AEditFocused) const override;
  bool IsTextEditValueValid(Variant& AEditValue, bool AEditFocused) const override;
  // A value that is no date shows as nothing: painting never raises.
  void PrepareDisplayValue(const Variant& AEditValue, Variant& ADisplayValue, bool AEditFocused) override;
  void ValidateDisplayValue(Variant& DisplayValue, String& ErrorText, bool& Error,
                            IcxEditPropertiesHost* AEdit) override;
  TcxCustomEditPropertiesValuesClass GetAssignedValuesClass() const override;
  TcxCustomEditClass GetContainerClass() const override;

 private:
  void BuildMask();

  bool FArrowsForYear = true;
  TDateButtons FDateButtons{TDateButton::btnClear, TDateButton::btnToday};
  TDateOnError FDateOnError = TDateOnError::deNoChange;
  TcxInputKind FInputKind = TcxInputKind::ikRegExpr;
  TcxCalendarKind FKind = TcxCalendarKind::ckDate;
  bool FSaveTime = true;
  bool FShowTime = true;
  bool FYearsInMonthList = true;
  bool FBuildingMask = false;
};

class TcxDateEditProperties : public TcxCustomDateEditProperties {
  TL_CLASS(TcxDateEditProperties, TcxCustomDateEditProperties)
 public:
  using TcxCustomDateEditProperties::TcxCustomDateEditProperties;
  TcxCustomEditProperties* CreateSameClass() const override { return New<TcxDateEditProperties>(nullptr); }
};

class TcxCustomDateEdit : public TcxCustomPopupEdit {
  TL_CLASS(TcxCustomDateEdit, TcxCustomPopupEdit)
 public:
  using TcxCustomPopupEdit::TcxCustomPopupEdit;
  void BeforeDestruction() override;

  TcxCustomDateEditProperties* DateProperties() {
    return static_cast<TcxCustomDateEditProperties*>(GetActiveProperties());
  }
  // The value as a date; the null date for none.
  TDateTime GetDate();
  void SetDate(TDateTime Value);
  void Clear() override { SetDate(NullDate); }
  // Whether AText is the edit's empty text: blank, the mask's empty text, or that text with
  // zeros left in the time digits of a date and time (whatever the designator).
  bool IsEmptyDateText(const String& AText);
  TcxPopupCalendar* Calendar();
  // The time of day kept while only dates are typed or picked.
  double SavedTime() const { return FSavedTime; }
  void SetSavedTime(double Value) { FSavedTime = Value; }
  TDateTime DateOnPopup() const { return FDateOnPopup; }

  TcxCustomEditPropertiesClass GetPropertiesClass() override;
  bool CanDropDown() override { return true; }
  void DropDown() override;
  void DoInitPopup() override;
  void DoPopup() override;
  // Tab with PostPopupValueOnTab takes the calendar's day first (dates only: with times
  // Tab moves among the calendar's own controls).
  void CloseUp(TcxEditCloseUpReason AReason) override;
  void PopupWindowClosed() override;
  bool PopupKeepsClosingKey(Word Key, TShiftState Shift) override;
  void PrepareEditValue(const Variant& ADisplayValue, Variant& AEditValue, bool AEditFocused) override;
  void InternalSetEditValue(const Variant& AValue, bool AValidateEditValue = false) override;
  void ValueBoundsHook() override;
  // The time parts of a masked date-and-time text take the time edit's typing rules.
  bool IsCharValidForPos(Char& Key, Integer APos) override;

 private:
  void DateChanged(TObject* Sender);
  void CalendarHidePopup(TObject* Sender, TcxEditCloseUpReason AReason);

  TcxPopupCalendar* FCalendar = nullptr;
  TDateTime FDateOnPopup = NullDate;
  double FSavedTime = 0;
};

class TcxDateEdit : public TcxCustomDateEdit {
  TL_CLASS(TcxDateEdit, TcxCustomDateEdit)
 public:
  using TcxCustomDateEdit::TcxCustomDateEdit;
  TcxCustomEditPropertiesClass GetPropertiesClass() override;
  TcxDateEditProperties* GetDateEditProperties() const { return static_cast<TcxDateEditProperties*>(GetProperties()); }
};

namespace cxDateEdit {
void Initialize();
void Finalize();
}  // namespace cxDateEdit
