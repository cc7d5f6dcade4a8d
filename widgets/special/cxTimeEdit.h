// The time edit: a spin edit on the seconds of a day behind a fixed time mask. A spin steps
// the part of the time under the caret; the date part of the value survives the editing.
#pragma once

#include "widgets/editors/cxSpinEdit.h"
#include "widgets/special/cxTimeEditFormats.h"

// "Could not convert to time": the text or value is no time of day.
extern const TResStringRec cxSTimeEditConvertError;

// Carries out a time typing result on a masked edit: the key goes in, or the corrected text
// is written and the key consumed, or the key is refused.
bool cxApplyTimeTyping(TcxCustomMaskEdit* AEdit, TcxTimeTyping AResult, const String& AText, Integer ACaret, Char& Key);

// The part of a time text at a position: which part, its 1-based start, its length, the
// AM/PM part's form, and whether the hours count to 24.
struct TcxTimeEditTimePartInfo {
  TcxTimePart Kind = TcxTimePart::tpHour;
  Integer Start = 1;
  Integer Length = 2;
  Integer SuffixForm = 2;
  bool Use24HourFormat = true;
};

class TcxCustomTimeEditProperties : public TcxCustomSpinEditProperties {
  TL_CLASS(TcxCustomTimeEditProperties, TcxCustomSpinEditProperties)
 public:
  explicit TcxCustomTimeEditProperties(TPersistent* AOwner) : TcxCustomSpinEditProperties(AOwner) {}
  void AfterConstruction() override;
  void BeforeDestruction() override;
  void Assign(TPersistent* Source) override;
  TcxCustomEditProperties* CreateSameClass() const override { return New<TcxCustomTimeEditProperties>(nullptr); }
  using TcxCustomSpinEditProperties::CalculateSpinValue;
  // The picture mask is edited by the time mode: its digits blank to "0", its designator
  // never blanks.
  TcxMaskEditCustomMode* CreateMode(TcxEditMaskKind AKind, TcxCustomMaskEdit* AEdit) override;

  bool GetAutoCorrectHours() const { return FAutoCorrectHours; }
  void SetAutoCorrectHours(bool Value) { FAutoCorrectHours = Value; }
  bool GetShowDate() const { return FShowDate; }
  void SetShowDate(bool Value);
  TcxTimeEditTimeFormat GetTimeFormat() const { return FTimeFormat; }
  void SetTimeFormat(TcxTimeEditTimeFormat Value);
  bool GetUse24HourFormat() const { return FUse24HourFormat; }
  void SetUse24HourFormat(bool Value);
  bool GetUseTimeFormatWhenUnfocused() const { return FUseTimeFormatWhenUnfocused; }
  void SetUseTimeFormatWhenUnfocused(bool Value);

  // The mask of the current format, again: after a locale change.
  void RebuildMask();
  virtual void GetTimePartInfo(Integer APos, TcxTimeEditTimePartInfo& AInfo) const;
  virtual Integer GetTimePartLength() const { return 2; }
  virtual Integer GetTimePartStart(TcxTimePart APart) const { return cxTimeEditPartStart(APart, FTimeFormat); }
  virtual Integer GetTimeSuffixForm() const { return 2; }
  // The focused display format.
  String DisplayFormat() const { return cxTimeEditDisplayFormat(FTimeFormat, FUse24HourFormat); }
  // The time of day a text gives, with its typed designator taken as the locale's; false
  // for a text that is no time. An empty text is midnight.
  bool TextToTime(const String& AText, double& ATime) const;
  // The text of a value as the edit shows it; false for a value that is no time.
  bool ValueToDisplayText(const Variant& AValue, bool AEditFocused, String& AText) const;

  bool ExtendValueToBound() const override { return false; }
  bool IsDisplayTextBoundsChecked() const override { return false; }
  bool KeepSelectionAfterSpin() const override { return true; }
  bool IsEditValueNumeric() const override { return false; }
  // The value is a time, not its text.
  TcxDataEditValueSource GetEditValueSource(bool) const override { return TcxDataEditValueSource::evsValue; }
  // The step crosses the day in whole days: 23:59:59 and one second is midnight.
  bool CalculateSpinValue(const Variant& AValue, TcxSpinEditButton AButton, const Variant& AIncrement,
                          Variant& ANewValue) const override;
  bool IsEditValueValid(Variant& AEditValue, bool AEditFocused) const override;
  void PrepareDisplayValue(const Variant& AEditValue, Variant& ADisplayValue, bool AEditFocused) override;
  void ValidateDisplayValue(Variant& DisplayValue, String& ErrorText, bool& Error,
                            IcxEditPropertiesHost* AEdit) override;
  TcxCustomEditClass GetContainerClass() const override;

 private:
  bool FAutoCorrectHours = true;
  bool FShowDate = false;
  TcxTimeEditTimeFormat FTimeFormat = TcxTimeEditTimeFormat::tfHourMinSec;
  bool FUse24HourFormat = true;
  bool FUseTimeFormatWhenUnfocused = true;
};

class TcxTimeEditProperties : public TcxCustomTimeEditProperties {
  TL_CLASS(TcxTimeEditProperties, TcxCustomTimeEditProperties)
 public:
  using TcxCustomTimeEditProperties::TcxCustomTimeEditProperties;
  TcxCustomEditProperties* CreateSameClass() const override { return New<TcxTimeEditProperties>(nullptr); }
};

class TcxCustomTimeEdit : public TcxCustomSpinEdit {
  TL_CLASS(TcxCustomTimeEdit, TcxCustomSpinEdit)
 public:
  using TcxCustomSpinEdit::TcxCustomSpinEdit;

  TcxCustomTimeEditProperties* TimeProperties() {
    return static_cast<TcxCustomTimeEditProperties*>(GetActiveProperties());
  }
  // The time of day of the value (of the typed text while focused), never negative.
  TDateTime GetTime();
  // The value becomes the kept date part with this time of day.
  void SetTime(TDateTime Value);
  void Clear() override { SetTime(0); }
  // The date part the value keeps while its time is edited.
  double DatePart() const { return FDatePart; }
  // The part of the time at the caret.
  TcxTimePart CaretPart();

  TcxCustomEditPropertiesClass GetPropertiesClass() override;
  void Initialize() override;
  Variant GetIncrement(TcxSpinEditButton AButton) override;
  // Seconds of the time the text shows.
  Variant InternalGetValue() override;
  // Seconds of the day: the time of day becomes theirs, the date part stays.
  void SetValue(const Variant& Value) override;
  String GetDisplayTextForValue(const Variant& AValue) override;
  void PrepareEditValue(const Variant& ADisplayValue, Variant& AEditValue, bool AEditFocused) override;
  void InternalSetEditValue(const Variant& AValue, bool AValidateEditValue = false) override;
  // Unfocused, the text is free of the mask: a date with the time, the platform's time
  // text, or nothing.
  void SetInternalDisplayValue(const Variant& Value) override;
  bool IsCharValidForPos(Char& Key, Integer APos) override;
  // Letters of the designator too: the mask and the parts' rules judge each character.
  bool IsValidChar(Char AChar) override;
  void PropertiesChanged(TObject* Sender) override;

 private:
  double FDatePart = 0;
};

class TcxTimeEdit : public TcxCustomTimeEdit {
  TL_CLASS(TcxTimeEdit, TcxCustomTimeEdit)
 public:
  using TcxCustomTimeEdit::TcxCustomTimeEdit;
  TcxCustomEditPropertiesClass GetPropertiesClass() override;
  TcxTimeEditProperties* GetTimeEditProperties() const { return static_cast<TcxTimeEditProperties*>(GetProperties()); }
};

namespace cxTimeEdit {
// Registers the editor and follows locale changes with the 12-hour masks.
void Initialize();
void Finalize();
}  // namespace cxTimeEdit
