// The month calendar and its small parts: an analogue clock face and the popup list of
// months that drops down from the calendar's month caption.
#pragma once

#include <array>

#include "classlib/core/SysUtils.h"
#include "widgets/editcore/cxEditProperties.h"
#include "widgets/editors/cxButtons.h"
#include "widgets/foundation/cxContainerPopup.h"
#include "widgets/foundation/cxControlBase.h"
#include "widgets/foundation/cxControls.h"
#include "widgets/special/cxTimeEdit.h"

// An analogue clock: hour dots on an elliptic dial, filled hour and minute hands, a second
// hand line.
class TcxClock : public TcxControl {
  TL_CLASS(TcxClock, TcxControl)
 public:
  explicit TcxClock(TComponent* AOwner);

  TColor GetMinuteDotColor() const { return FMinuteDotColor; }
  void SetMinuteDotColor(TColor Value);
  TDateTime GetTime() const { return FTime; }
  // Keeps the time of day only; a negative value keeps its absolute fraction.
  void SetTime(TDateTime Value);

  // Face geometry, shared by painting and its callers.
  struct TFace {
    double CX, CY, RX, RY;
  };
  static TFace FaceOf(Integer AWidth, Integer AHeight);
  // The dial point of minute position I (0 is 3 o'clock, clockwise on screen).
  static TPoint DotPoint(const TFace& F, Integer I);
  // Hand angles in radians from the 3 o'clock direction, clockwise on screen.
  static double HourAngle(Word H, Word M, Word S);
  static double MinuteAngle(Word M, Word S);
  static double SecondAngle(Word S);

 protected:
  bool HasScrollBars() const override { return false; }
  void Paint() override;

 private:
  TColor FMinuteDotColor = clWindow;
  TDateTime FTime = 0;
};

// What the month list asks of the calendar it belongs to. The calendar implements it.
class IcxMonthListCalendar {
 public:
  // The calendar control: its font, its screen position, the owner of the list.
  virtual TWinControl* MonthListControl() = 0;
  // The first day of the displayed month.
  virtual TDateTime MonthListFirstDate() = 0;
  // Shows the month of ADate (the first of a month).
  virtual void MonthListSetFirstDate(TDateTime ADate) = 0;
  // True: the twelve months of the displayed year; false: seven months with their years.
  virtual bool MonthListTwelveMonths() = 0;
  virtual Integer MonthListHeaderHeight() = 0;
  virtual Integer MonthListColumnWidth() = 0;
  // The month caption, in the calendar's client coordinates.
  virtual TRect MonthListCaptionRect() = 0;

 protected:
  ~IcxMonthListCalendar() = default;
};

// The popup list of months: seven consecutive months with their years, or January to
// December of the displayed year. In the seven-month form it follows the held mouse and
// scrolls while the pointer is above or below it.
class TMonthListBox : public TcxCustomPopupWindow {
  TL_CLASS(TMonthListBox, TcxCustomPopupWindow)
 public:
  static constexpr Integer kSevenCount = 7;
  static constexpr Integer kTwelveCount = 12;

  TMonthListBox(TWinControl* AOwnerControl, IcxMonthListCalendar* ACalendar);
  void BeforeDestruction() override;

  using TcxCustomPopupWindow::Popup;
  void Popup(TWinControl* AFocusedControl) override;
  void ClosePopup() override;
  void DoShowed() override;

  bool IsTwelveMonths() const { return FTwelveMonths; }
  Integer ItemCount() const { return FItemCount; }
  Integer ItemHeight() const { return FItemHeight; }
  Integer HotItem() const { return FHotItem; }
  Integer ScrollDirection() const { return FScrollDirection; }
  TcxTimer* ScrollTimer() const { return FTimer; }
  // Year and month of item I; false when its year is outside 100..9999.
  bool ItemMonth(Integer I, Word& AYear, Word& AMonth) const;
  // The item's text: the long month name, with its year in the seven-month form.
  String ItemText(Integer I) const;
  TRect ItemRect(Integer I) const;

  // The scroll interval for a distance of ADistance pixels beyond the list's edge.
  static Cardinal ScrollInterval(Integer ADistance, Integer AItemHeight);

 protected:
  void CreateParams(TCreateParams& Params) override;
  TPoint CalculatePosition() override;
  void CalculateSize() override {}
  void InitPopup() override {}
  void Click() override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void Paint() override;
  // A click on the list takes no activation: the drop-down it may stand in stays active.
  void WndProc(TMessage& Message) override;

 private:
  void SetHotItem(Integer Value);
  void ApplyHotItem();
  void StopScrolling();
  void TimerHandler(TObject* Sender);
  // Months since year 0 of the item I.
  Integer ItemIndex(Integer I) const;

  IcxMonthListCalendar* FCalendar;
  TcxTimer* FTimer = nullptr;
  bool FTwelveMonths = false;
  Integer FItemCount = kSevenCount;
  Integer FItemHeight = 0;
  Integer FFirstOffset = 0;  // first item, in months from the displayed month
  Integer FBaseIndex = 0;    // the displayed month, in months since year 0
  Integer FHotItem = -1;
  Integer FScrollDirection = 0;
  TPoint FPosition{};
};

// ---- The month calendar ------------------------------------------------------------------------

class TcxCustomDateEdit;

TL_ENUM(TcxCalendarKind, ckDate, ckDateTime);
TL_ENUM(TDateButton, btnClear, btnNow, btnToday, btnOk);
using TCalendarButton = TDateButton;
using TDateButtons = Set<TDateButton>;

using TcxCalendarHidePopupEvent = TMethod<void(TObject* Sender, TcxEditCloseUpReason AReason)>;

extern const TResStringRec cxSDateToday;
extern const TResStringRec cxSDateNow;
extern const TResStringRec cxSDateClear;
extern const TResStringRec cxSDateOK;

// An own-drawn month calendar: a header with the month, the year and navigation arrows, the
// day names, six weeks of days and a strip of date buttons; the date-and-time kind adds a
// clock and its caption. Choosing a date (a click, a date button, Enter) fires
// OnDateTimeChanged; navigation (arrows, wheel, keys, the month list) fires nothing. Today
// and now are read from the class library's clock.
class TcxCustomCalendar : public TcxControl, public IcxMonthListCalendar {
  TL_CLASS(TcxCustomCalendar, TcxControl)
 public:
  // The header arrows repeat at this interval while held.
  static constexpr Cardinal kArrowRepeatInterval = 200;
  // The step of StepDate: one month back or forward, one year back or forward.
  static constexpr Integer kMonthBack = 0, kMonthForward = 1, kYearBack = 2, kYearForward = 3;
  // What StepDate gives when the step leaves the year range; never acceptable.
  static constexpr double kInvalidDate = -699999.0;

  explicit TcxCustomCalendar(TComponent* AOwner);
  void AfterConstruction() override;
  void BeforeDestruction() override;

  TDateTime GetSelectDate() const { return FSelectDate; }
  virtual void SetSelectDate(TDateTime Value);
  TDateTime GetFirstDate() const { return FFirstDate; }
  virtual void SetFirstDate(TDateTime Value);
  TcxCalendarKind GetKind() const { return FKind; }
  void SetKind(TcxCalendarKind Value);
  TDateButtons GetDateButtons() const { return FDateButtons; }
  void SetDateButtons(TDateButtons Value);
  bool GetArrowsForYear() const { return FArrowsForYear; }
  void SetArrowsForYear(bool Value);
  bool GetYearsInMonthList() const { return FYearsInMonthList; }
  void SetYearsInMonthList(bool Value) { FYearsInMonthList = Value; }
  bool GetFlat() const { return FFlat; }
  void SetFlat(bool Value);
  // The time of day the clock and the time edit show (the date-and-time kind's time).
  TDateTime GetTime() const;
  void SetTime(TDateTime Value);
  // The time edit's format, surfaced.
  TcxTimeEditTimeFormat GetTimeFormat() const;
  void SetTimeFormat(TcxTimeEditTimeFormat Value);
  bool GetUse24HourFormat() const;
  void SetUse24HourFormat(bool Value);

  // Whether ADate lies from the first day of the minimum year to the end of 31 Dec 9999,
  // or is the null date.
  static bool IsDateAcceptable(TDateTime ADate);
  // The first of the month AStep leads to from AFirstDate; kInvalidDate outside the years.
  static TDateTime StepDate(TDateTime AFirstDate, Integer AStep);
  // The column of ADate in the grid, for a week starting on AStartOfWeek (0 Sunday).
  static Integer ColumnOf(TDateTime ADate, Integer AStartOfWeek);

  virtual void LayoutChanged();
  virtual void CheckHotTrack();
  virtual Integer GetInnerSpacing() const;
  virtual TDateTime GetLastDate() const;
  virtual TPoint GetTimeAreaMargins() const;
  virtual TDateTime GetFirstGridDate() const;
  virtual TDateTime GetLastGridDate() const;
  virtual TSize GetSize() const;
  virtual void HidePopup(TObject* Sender, TcxEditCloseUpReason AReason);
  virtual TDateTime PosToDate(const TPoint& P) const;

  // Metrics and view rectangles, as the last layout left them.
  Integer ColumnWidth() const { return FColWidth; }
  Integer RowHeight() const { return FRowHeight; }
  Integer HeaderHeight() const { return FHeaderHeight; }
  Integer ButtonStripHeight() const { return FButtonsRegionHeight; }
  Integer ArrowCount() const { return FArrowCount; }
  TRect ArrowRect(Integer I) const { return FArrowRects[size_t(I)]; }
  TRect HeaderRect() const { return FHeaderRect; }
  TRect MonthCaptionRect() const { return FMonthRect; }
  TRect YearCaptionRect() const { return FYearRect; }
  TRect DaysRect() const { return FDaysRect; }
  TRect TimeCaptionRect() const { return FTimeCaptionRect; }
  TRect CellRect(Integer ACol, Integer ARow) const;
  // 0 none, 1 the month caption, 2 the year caption.
  Byte HotCaption() const { return FHotCaption; }
  TcxButton* DateButton(TDateButton AButton) const { return FButtons[size_t(AButton)]; }
  TcxClock* Clock() const { return FClock; }
  TcxTimeEdit* TimeEdit() const { return FTimeEdit; }
  TMonthListBox* MonthList() const { return FMonthList; }
  TcxTimer* ArrowTimer() const { return FTimer; }
  // The caption text of the time area: the selected date and the clock's time.
  String TimeCaptionText() const;
  // The day name over column ACol: the first character of the short name, or its last for
  // the Chinese and Arabic character sets, whose short names end in the distinguishing one.
  String DayCaption(Integer ACol) const;

  TNotifyEvent OnDateTimeChanged;

  // IcxMonthListCalendar
  TWinControl* MonthListControl() override { return this; }
  TDateTime MonthListFirstDate() override { return FFirstDate; }
  void MonthListSetFirstDate(TDateTime ADate) override { SetFirstDate(ADate); }
  bool MonthListTwelveMonths() override { return FArrowsForYear && !FYearsInMonthList; }
  Integer MonthListHeaderHeight() override { return FHeaderHeight; }
  Integer MonthListColumnWidth() override { return FColWidth; }
  TRect MonthListCaptionRect() override { return FMonthRect; }

 protected:
  bool HasScrollBars() const override { return false; }
  TcxMouseWheelScrollingKind GetMouseWheelScrollingKind() override { return TcxMouseWheelScrollingKind::mwskNone; }
  void CreateWnd() override;
  void Paint() override;
  void FontChanged() override;
  void LookAndFeelChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues) override;
  void DblClick() override;
  bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseEnter(TControl* AControl) override;
  void MouseLeave(TControl* AControl) override;
  void DoCancelMode() override;

  void DoDateTimeChanged();
  void SetHotCaption(Byte Value);
  // The caption (1 month, 2 year) under a client point; 0 for none.
  Byte CaptionAt(const TPoint& P) const;
  // The arrow under a client point; -1 for none.
  Integer ArrowAt(const TPoint& P) const;
  // The step of arrow I: two arrows step months, four step months then years.
  Integer ArrowStep(Integer I) const;
  TPoint CursorClientPos() const;
  bool IsMonthListShown() const;

 private:
  void ButtonClick(TObject* Sender);
  void TimeEditChanged(TObject* Sender);
  void TimerHandler(TObject* Sender);
  void StopArrowTimer();
  void CalculateMetrics(TcxCanvas& C);
  void PlaceChildren();
  void CalculateViewRects(TcxCanvas& C);
  bool IsButtonVisible(TDateButton AButton) const;
  bool HasButtonStrip() const;
  bool IsOffice11() const;
  TPoint GridOrigin() const;
  Integer ClockSide() const;
  Integer TimeAreaWidth() const;
  Integer StripGap() const;
  // The date keys step from: SelectDate, or today when none is selected.
  TDateTime KeyBaseDate() const;
  void PaintTimeCaption(TcxCanvas& C, const TcxCustomLookAndFeelPainter* P);
  void PaintHeader(TcxCanvas& C, const TcxCustomLookAndFeelPainter* P);
  void PaintDayNames(TcxCanvas& C);
  void PaintDays(TcxCanvas& C, const TcxCustomLookAndFeelPainter* P);
  void PaintButtonStrip(TcxCanvas& C);

  TDateTime FSelectDate = 0;
  TDateTime FFirstDate = 0;
  TcxCalendarKind FKind = TcxCalendarKind::ckDate;
  TDateButtons FDateButtons{TDateButton::btnClear, TDateButton::btnToday};
  bool FArrowsForYear = true;
  bool FYearsInMonthList = true;
  bool FFlat = true;
  Byte FHotCaption = 0;
  TCursor FSavedCursor = crDefault;
  TcxButton* FButtons[4] = {};
  TcxClock* FClock = nullptr;
  TcxTimeEdit* FTimeEdit = nullptr;
  TMonthListBox* FMonthList = nullptr;
  TcxTimer* FTimer = nullptr;
  // Metrics.
  Integer FColWidth = 0, FRowHeight = 0, FHeaderHeight = 0, FDaysOfWeekHeight = 0, FSideWidth = 0;
  Integer FButtonWidth = 0, FButtonHeight = 0, FButtonsRegionHeight = 0, FGridWidth = 0, FTimeEditWidth = 0;
  // View rectangles.
  std::array<TRect, 4> FArrowRects{};
  Integer FArrowCount = 0;
  TRect FDaysRect{}, FTimeCaptionRect{}, FHeaderRect{}, FMonthRect{}, FYearRect{};
};

// The calendar in a date edit's drop-down: it asks to close (OnHidePopup) with a reason
// instead of closing anything itself, and takes the closing keys.
class TcxPopupCalendar : public TcxCustomCalendar {
  TL_CLASS(TcxPopupCalendar, TcxCustomCalendar)
 public:
  using TcxCustomCalendar::TcxCustomCalendar;
  void HidePopup(TObject* Sender, TcxEditCloseUpReason AReason) override;
  // No caption is hot while the edit shows no popup.
  void CheckHotTrack() override;

  TcxCalendarHidePopupEvent OnHidePopup;
  // The date edit whose drop-down holds the calendar; nil for a calendar on its own.
  TcxCustomDateEdit* Edit = nullptr;

 protected:
  void KeyDown(Word& Key, TShiftState Shift) override;
  // Dragged outside, the selection returns to the edit's date.
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
};
