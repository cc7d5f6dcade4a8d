// The calendar's small parts: an analogue clock face and the popup list of months that drops
// down from the calendar's month caption.
#pragma once

#include "classlib/core/SysUtils.h"
#include "widgets/foundation/cxContainerPopup.h"
#include "widgets/foundation/cxControlBase.h"
#include "widgets/foundation/cxControls.h"

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
