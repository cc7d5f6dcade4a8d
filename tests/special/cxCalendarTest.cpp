// The month calendar on a headless form: grid dates and the range ends, navigation by arrows
// (with their repeat on the virtual clock), wheel, keys and the month list, day choice and the
// date buttons with the one event they fire, the popup's closing reasons, and its pixels in
// two looks plus a gallery.
#include <gtest/gtest.h>

#include "platform/gdi/FontEngine.h"
#include "platform/host/HeadlessHost.h"
#include "platform/user/User.h"
#include "tests/foundation/GalleryFile.h"
#include "tests/support/AppTest.h"
#include "tests/support/MouseCrossingFreer.h"
#include "widgets/editcore/EditcoreUnits.h"
#include "widgets/editcore/cxDateUtils.h"
#include "widgets/editcore/cxFormats.h"
#include "widgets/editors/EditorsUnits.h"
#include "widgets/foundation/FoundationUnits.h"
#include "widgets/special/cxCalendar.h"

namespace {

using enum TDateButton;
using enum TcxCalendarKind;
using CR = TcxEditCloseUpReason;

class TTestCalendar : public TcxPopupCalendar {
  TL_CLASS(TTestCalendar, TcxPopupCalendar)
 public:
  using TcxPopupCalendar::TcxPopupCalendar;
  void PressKey(Word Key, TShiftState Shift = {}) { KeyDown(Key, Shift); }
};
TL_DEFINE_CLASS(TTestCalendar)

class TCalendarLog : public TObject {
  TL_CLASS(TCalendarLog, TObject)
 public:
  int Changes = 0;
  std::vector<CR> Hides;
  void Changed(TObject*) { ++Changes; }
  void Hide(TObject*, CR AReason) { Hides.push_back(AReason); }
};
TL_DEFINE_CLASS(TCalendarLog)

TDateTime D(Word y, Word m, Word d) { return EncodeDate(y, m, d); }
TColor AsColor(Pixel p) { return TColor(((p & 0xFF) << 16) | (p & 0xFF00) | ((p >> 16) & 0xFF)); }
TColor Rgb(TColor c) { return TColor(ColorToRGB(c)); }

class cxCalendarTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    FormatSettings = DefaultFormatSettings();
    WidgetsFoundationInitialize();
    WidgetsEditcoreInitialize();
    WidgetsEditorsInitialize();
    cxGetFormatController()->SetStartOfWeek(0);
    SetToday(2026, 3, 18);  // a Wednesday
    form = TCustomForm::CreateNew(nullptr);
    form->SetBounds(100, 100, 600, 500);
    cal = New<TTestCalendar>(form);
    cal->GetFont()->SetName(kTestFaceName);
    cal->SetParent(form);
    cal->SetBounds(10, 10, 100, 100);
    cal->OnDateTimeChanged = TNotifyEvent(log.get(), &TCalendarLog::Changed);
    cal->OnHidePopup = TcxCalendarHidePopupEvent(log.get(), &TCalendarLog::Hide);
    form->Show();
    Pump();
  }
  void TearDown() override {
    form->Free();
    WidgetsEditorsFinalize();
    WidgetsEditcoreFinalize();
    WidgetsFoundationFinalize();
    FormatSettings = DefaultFormatSettings();
    AppTest::TearDown();
  }
  // Noon of the given day, on or after the clock's start (1 January 2026).
  void SetToday(Word y, Word m, Word d) {
    const double target = D(y, m, d).Value + 0.5 - D(2026, 1, 1).Value;
    UInt64 ms = UInt64(target * 86400000.0) - Clock().Elapsed();
    while (ms > 0) {
      const DWORD step = DWORD(std::min<UInt64>(ms, 86400000));
      Clock().Advance(step);
      ms -= step;
    }
  }
  HWND W() { return cal->GetHandle(); }
  TPoint Centre(const TRect& r) { return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2}; }
  void Click(const TRect& r) {
    const TPoint p = Centre(r);
    host().Click(W(), p.X, p.Y);
    Pump();
  }
  void Key(int vk, int modifier = 0) {
    if (modifier) host().KeyDown(modifier);
    host().Key(vk);
    if (modifier) host().KeyUp(modifier);
    Pump();
  }
  TColor Px(Integer x, Integer y) { return AsColor(host().PixelAt(W(), x, y)); }
  // The cell of a date shown in the grid.
  TRect CellOf(TDateTime d) {
    const Integer i = Integer(d.Value - cal->GetFirstGridDate().Value);
    return cal->CellRect(i % 7, i / 7);
  }

  TCustomForm* form = nullptr;
  TTestCalendar* cal = nullptr;
  Owned<TCalendarLog> log{New<TCalendarLog>()};
};

TEST_F(cxCalendarTest, GridDatesStepsAndRangeEnds) {
  EXPECT_EQ(cal->GetSelectDate(), D(2026, 3, 18)) << "today, without a time";
  EXPECT_EQ(cal->GetFirstDate(), D(2026, 3, 1));
  // March 2026 starts on a Sunday, in the first column: a whole week of February precedes it.
  EXPECT_EQ(cal->GetFirstGridDate(), D(2026, 2, 22));
  EXPECT_EQ(cal->GetLastGridDate(), D(2026, 4, 4));
  cxGetFormatController()->SetStartOfWeek(1);
  EXPECT_EQ(cal->GetFirstGridDate(), D(2026, 2, 23)) << "Monday first: Sunday the 1st sits in the last column";
  EXPECT_EQ(TcxCustomCalendar::ColumnOf(D(2026, 3, 1), 1), 6);
  cxGetFormatController()->SetStartOfWeek(0);
  EXPECT_EQ(cal->GetLastDate(), D(2026, 3, 31));

  using C = TcxCustomCalendar;
  EXPECT_EQ(C::StepDate(D(2026, 1, 1), C::kMonthBack), D(2025, 12, 1));
  EXPECT_EQ(C::StepDate(D(2026, 12, 1), C::kMonthForward), D(2027, 1, 1));
  EXPECT_EQ(C::StepDate(D(2024, 2, 1), C::kYearBack), D(2023, 2, 1));
  // The ends: the year of the minimum date and 9999.
  EXPECT_EQ(C::StepDate(D(100, 1, 1), C::kMonthBack).Value, C::kInvalidDate);
  EXPECT_EQ(C::StepDate(D(100, 6, 1), C::kYearBack).Value, C::kInvalidDate);
  EXPECT_EQ(C::StepDate(D(9999, 12, 1), C::kMonthForward).Value, C::kInvalidDate);
  EXPECT_EQ(C::StepDate(D(9999, 1, 1), C::kYearForward).Value, C::kInvalidDate);
  EXPECT_TRUE(C::IsDateAcceptable(D(9999, 12, 31).Value + EncodeTime(23, 59, 59, 999).Value));
  EXPECT_FALSE(C::IsDateAcceptable(D(9999, 12, 31).Value + 0.999999999)) << "past the last millisecond";
  EXPECT_FALSE(C::IsDateAcceptable(D(9999, 12, 31).Value + 1));
  EXPECT_FALSE(C::IsDateAcceptable(D(99, 12, 31)));
  EXPECT_TRUE(C::IsDateAcceptable(NullDate));

  // January of year 100 starts on a Friday and has nothing before it to show.
  cal->SetSelectDate(D(100, 1, 15));
  EXPECT_EQ(cal->GetFirstDate(), D(100, 1, 1));
  EXPECT_EQ(cal->GetFirstGridDate(), D(100, 1, 1).Value - 5);
  EXPECT_EQ(cal->PosToDate(Centre(cal->CellRect(0, 0))).Value, NullDate) << "no date before the minimum";
  EXPECT_EQ(cal->PosToDate(Centre(cal->CellRect(5, 0))), D(100, 1, 1));
  cal->SetSelectDate(D(99, 12, 31));
  EXPECT_EQ(cal->GetSelectDate(), D(100, 1, 15)) << "a date before the minimum is refused";
  cal->SetFirstDate(C::kInvalidDate);
  EXPECT_EQ(cal->GetFirstDate(), D(100, 1, 1));
  // A month starting in the first column later on gets its preceding week.
  cal->SetSelectDate(D(2023, 1, 5));  // 1 January 2023 is a Sunday
  EXPECT_EQ(cal->GetFirstGridDate(), D(2022, 12, 25));
}

// The minimum month has no week before it, even when it starts in the first column: its
// first day then heads the grid. The month after it does get its whole preceding week.
TEST_F(cxCalendarTest, TheMinimumMonthStartingInTheFirstColumnHasNoWeekBefore) {
  using C = TcxCustomCalendar;
  cxGetFormatController()->SetStartOfWeek(5);  // Friday first, like 1 January 100
  ASSERT_EQ(C::ColumnOf(D(100, 1, 1), 5), 0);
  cal->SetSelectDate(D(100, 1, 15));
  ASSERT_EQ(cal->GetFirstDate(), D(100, 1, 1));
  EXPECT_EQ(cal->GetFirstGridDate(), D(100, 1, 1));
  EXPECT_EQ(cal->GetLastGridDate(), D(100, 2, 11));
  EXPECT_EQ(cal->PosToDate(Centre(cal->CellRect(0, 0))), D(100, 1, 1));
  EXPECT_EQ(cal->PosToDate(Centre(cal->CellRect(6, 5))), D(100, 2, 11));
  // 1 October 100 is a Friday too, and later than the minimum.
  cal->SetSelectDate(D(100, 10, 5));
  ASSERT_EQ(cal->GetFirstDate(), D(100, 10, 1));
  EXPECT_EQ(cal->GetFirstGridDate(), D(100, 9, 24));
  cxGetFormatController()->SetStartOfWeek(0);
}

TEST_F(cxCalendarTest, LayoutOfTheDateKind) {
  // The test face: "0" is 7 x 14, so columns of 21, margins of 14, rows of 16, a header of 19.
  EXPECT_EQ(cal->ColumnWidth(), 21);
  EXPECT_EQ(cal->RowHeight(), 16);
  EXPECT_EQ(cal->HeaderHeight(), 19);
  const Integer gridWidth = 2 * 14 + 7 * 21;
  EXPECT_EQ(cal->GetWidth(), gridWidth);
  EXPECT_EQ(cal->GetHeight(), 17 + 6 * 16 + 19 + 1 + cal->ButtonStripHeight());
  EXPECT_EQ(cal->DaysRect(), (TRect{14, 36, 14 + 7 * 21, 36 + 6 * 16}));
  EXPECT_EQ(cal->ArrowCount(), 4);
  EXPECT_EQ(cal->ArrowRect(0), (TRect{0, 0, 19, 18}));
  EXPECT_EQ(cal->ArrowRect(3).Right, gridWidth);
  EXPECT_EQ(cal->MonthCaptionRect().Left, 19);
  EXPECT_EQ(cal->ArrowRect(1).Left, cal->MonthCaptionRect().Right);
  EXPECT_EQ(cal->YearCaptionRect().Right, cal->ArrowRect(3).Left);
  EXPECT_GT(cal->MonthCaptionRect().Width(), cal->YearCaptionRect().Width());
  // Today and Clear share the strip with equal gaps; Now and OK belong to the other kind.
  TcxButton* today = cal->DateButton(btnToday);
  TcxButton* clear = cal->DateButton(btnClear);
  EXPECT_TRUE(today->GetVisible());
  EXPECT_TRUE(clear->GetVisible());
  EXPECT_FALSE(cal->DateButton(btnNow)->GetVisible());
  EXPECT_FALSE(cal->DateButton(btnOk)->GetVisible());
  EXPECT_EQ(today->GetLeft(), gridWidth - clear->GetLeft() - (clear->GetWidth() - 1));
  EXPECT_FALSE(today->GetTabStop());

  // Day names: first characters from the week's first day; the last (whole) character under
  // the Chinese and Arabic character sets.
  EXPECT_EQ(cal->DayCaption(0), "S");
  EXPECT_EQ(cal->DayCaption(1), "M");
  cxGetFormatController()->SetStartOfWeek(1);
  EXPECT_EQ(cal->DayCaption(6), "S");
  EXPECT_EQ(cal->DayCaption(3), "T");
  FormatSettings.ShortDayNames[4] = "\xE6\x98\x9F\xE6\x9C\x9F\xE5\x9B\x9B";  // three CJK characters
  EXPECT_EQ(cal->DayCaption(3), "\xE6\x98\x9F");
  cal->GetFont()->SetCharset(GB2312_CHARSET);
  EXPECT_EQ(cal->DayCaption(3), "\xE5\x9B\x9B");
  cal->GetFont()->SetCharset(DEFAULT_CHARSET);
  cxGetFormatController()->SetStartOfWeek(0);

  // A larger font: larger cells, and the buttons follow it.
  cal->GetFont()->SetSize(cal->GetFont()->GetSize() * 2);
  EXPECT_GT(cal->ColumnWidth(), 21);
  EXPECT_EQ(today->GetFont()->GetSize(), cal->GetFont()->GetSize());
  cal->GetFont()->SetSize(cal->GetFont()->GetSize() / 2);
  EXPECT_EQ(cal->ColumnWidth(), 21);

  cal->SetArrowsForYear(false);
  EXPECT_EQ(cal->ArrowCount(), 2);
  EXPECT_EQ(cal->MonthCaptionRect(), (TRect{19, 0, gridWidth - 19, 18}));
  cal->SetDateButtons({});
  EXPECT_EQ(cal->GetHeight(), 17 + 6 * 16 + 19 + 1) << "no strip without Today and Clear";
}

TEST_F(cxCalendarTest, DayChoiceFiresOnceAndNavigationNever) {
  cal->SetFocus();
  cal->SetSelectDate(D(2026, 3, 5));
  Click(CellOf(D(2026, 3, 12)));
  EXPECT_EQ(cal->GetSelectDate(), D(2026, 3, 12));
  EXPECT_EQ(log->Changes, 1);
  EXPECT_EQ(log->Hides, (std::vector<CR>{CR::crEnter}));
  // A grey day of the next month selects it and shows its month.
  Click(CellOf(D(2026, 4, 2)));
  EXPECT_EQ(cal->GetFirstDate(), D(2026, 4, 1));
  EXPECT_EQ(log->Changes, 2);

  // Dragging over the grid moves the selection but not the month; the release chooses once.
  const TPoint from = Centre(CellOf(D(2026, 4, 8))), to = Centre(CellOf(D(2026, 5, 1)));
  host().MouseDown(W(), from.X, from.Y);
  host().MouseMove(W(), to.X, to.Y);
  Pump();
  EXPECT_EQ(cal->GetSelectDate(), D(2026, 5, 1));
  EXPECT_EQ(cal->GetFirstDate(), D(2026, 4, 1));
  host().MouseUp(W(), to.X, to.Y);
  Pump();
  EXPECT_EQ(log->Changes, 3);

  log->Changes = 0;
  Click(cal->ArrowRect(0));
  Click(cal->ArrowRect(3));
  EXPECT_EQ(cal->GetFirstDate(), D(2027, 3, 1));
  host().Wheel(W(), Centre(cal->MonthCaptionRect()).X, Centre(cal->MonthCaptionRect()).Y, -120);
  Pump();
  EXPECT_EQ(cal->GetFirstDate(), D(2027, 4, 1)) << "wheel down over the month: one month on";
  host().Wheel(W(), Centre(cal->YearCaptionRect()).X, Centre(cal->YearCaptionRect()).Y, 120);
  Pump();
  EXPECT_EQ(cal->GetFirstDate(), D(2026, 4, 1)) << "wheel up over the year: one year back";
  cal->SetSelectDate(D(2026, 4, 2));
  Key(VK_RIGHT);
  Key(VK_NEXT);
  EXPECT_EQ(cal->GetSelectDate(), D(2026, 5, 3));
  EXPECT_EQ(log->Changes, 0);
}

TEST_F(cxCalendarTest, HeldArrowRepeatsEvery200MsWhileOnIt) {
  const TPoint back = Centre(cal->ArrowRect(0));
  host().MouseDown(W(), back.X, back.Y);
  Pump();
  EXPECT_EQ(cal->GetFirstDate(), D(2026, 2, 1));
  host().Advance(199);
  EXPECT_EQ(cal->GetFirstDate(), D(2026, 2, 1));
  host().Advance(1);
  EXPECT_EQ(cal->GetFirstDate(), D(2026, 1, 1));
  host().Advance(400);
  EXPECT_EQ(cal->GetFirstDate(), D(2025, 11, 1));
  // Off the arrow the stepping pauses; the timer keeps running.
  host().MouseMove(W(), Centre(cal->DaysRect()).X, Centre(cal->DaysRect()).Y);
  host().Advance(600);
  EXPECT_EQ(cal->GetFirstDate(), D(2025, 11, 1));
  EXPECT_TRUE(cal->ArrowTimer()->GetEnabled());
  EXPECT_EQ(cal->GetSelectDate(), D(2026, 3, 18)) << "dragging with the timer on selects nothing";
  const TPoint yearBack = Centre(cal->ArrowRect(2));
  host().MouseMove(W(), yearBack.X, yearBack.Y);
  host().Advance(200);
  EXPECT_EQ(cal->GetFirstDate(), D(2024, 11, 1)) << "the arrow under the cursor sets the step";
  host().MouseUp(W(), yearBack.X, yearBack.Y);
  Pump();
  EXPECT_FALSE(cal->ArrowTimer()->GetEnabled());
  host().Advance(1000);
  EXPECT_EQ(cal->GetFirstDate(), D(2024, 11, 1));
  EXPECT_EQ(log->Changes, 0);
  EXPECT_TRUE(log->Hides.empty()) << "releasing an arrow closes nothing";
  // A press cut short by a cancelled mode stops the repeat too.
  host().MouseDown(W(), back.X, back.Y);
  Pump();
  SendMessageA(W(), WM_CANCELMODE, 0, 0);
  EXPECT_FALSE(cal->ArrowTimer()->GetEnabled());
}

TEST_F(cxCalendarTest, KeysMoveTheSelection) {
  cal->SetFocus();
  cal->SetSelectDate(D(2024, 1, 31));
  Key(VK_NEXT);
  EXPECT_EQ(cal->GetSelectDate(), D(2024, 2, 29)) << "the day is clamped to the month";
  Key(VK_NEXT);
  EXPECT_EQ(cal->GetSelectDate(), D(2024, 3, 29));
  Key(VK_PRIOR);
  Key(VK_PRIOR);
  Key(VK_PRIOR);
  EXPECT_EQ(cal->GetSelectDate(), D(2023, 12, 29));
  cal->SetSelectDate(D(2026, 3, 18));  // a Wednesday
  Key(VK_HOME);
  EXPECT_EQ(cal->GetSelectDate(), D(2026, 3, 15));
  Key(VK_END);
  EXPECT_EQ(cal->GetSelectDate(), D(2026, 3, 21));
  Key(VK_HOME, VK_CONTROL);
  EXPECT_EQ(cal->GetSelectDate(), D(2026, 3, 1));
  Key(VK_END, VK_CONTROL);
  EXPECT_EQ(cal->GetSelectDate(), D(2026, 3, 31));
  Key(VK_UP);
  Key(VK_LEFT);
  EXPECT_EQ(cal->GetSelectDate(), D(2026, 3, 23));
  Key(VK_DOWN);
  EXPECT_EQ(cal->GetSelectDate(), D(2026, 3, 30));
  cal->PressKey(VK_UP, TShiftState{TShiftStateItem::ssAlt});
  EXPECT_EQ(cal->GetSelectDate(), D(2026, 3, 30)) << "Alt+Up does not move";
  EXPECT_EQ(log->Hides, (std::vector<CR>{CR::crClose})) << "but closes the popup";

  // The last day: nothing moves past it.
  cal->SetSelectDate(D(9999, 12, 31));
  Key(VK_RIGHT);
  Key(VK_NEXT);
  Key(VK_DOWN);
  EXPECT_EQ(cal->GetSelectDate(), D(9999, 12, 31));
  Click(cal->ArrowRect(1));
  EXPECT_EQ(cal->GetFirstDate(), D(9999, 12, 1));

  // From no date at all, keys start at today.
  cal->DateButton(btnClear)->Click();
  EXPECT_EQ(cal->GetSelectDate().Value, NullDate);
  Key(VK_NEXT);
  EXPECT_EQ(cal->GetSelectDate(), D(2026, 4, 18));
  EXPECT_EQ(log->Changes, 1) << "only the Clear button";
}

TEST_F(cxCalendarTest, PopupKeysCloseWithTheirReasons) {
  cal->PressKey(VK_ESCAPE);
  cal->PressKey(VK_F4);
  cal->PressKey(VK_F4, TShiftState{TShiftStateItem::ssAlt});
  cal->PressKey(VK_DOWN, TShiftState{TShiftStateItem::ssAlt});
  EXPECT_EQ(log->Changes, 0);
  cal->PressKey(VK_RETURN);
  EXPECT_EQ(log->Hides, (std::vector<CR>{CR::crCancel, CR::crClose, CR::crClose, CR::crEnter}));
  EXPECT_EQ(log->Changes, 1);

  // Escape closes a twelve-month list first; Enter does nothing while a list is shown.
  cal->SetYearsInMonthList(false);
  Click(cal->MonthCaptionRect());
  ASSERT_TRUE(cal->MonthList()->IsShown());
  EXPECT_TRUE(cal->MonthList()->IsTwelveMonths());
  cal->PressKey(VK_RETURN);
  cal->PressKey(VK_ESCAPE);
  EXPECT_FALSE(cal->MonthList()->IsShown());
  EXPECT_EQ(log->Hides.size(), 4u);
  EXPECT_EQ(log->Changes, 1);
}

TEST_F(cxCalendarTest, MonthCaptionOpensTheListAndGoesHot) {
  const TPoint caption = Centre(cal->MonthCaptionRect());
  host().MouseMove(W(), caption.X, caption.Y);
  Pump();
  EXPECT_EQ(cal->HotCaption(), 1);
  EXPECT_EQ(Screen->GetCursor(), crHandPoint);
  host().MouseMove(W(), Centre(cal->YearCaptionRect()).X, caption.Y);
  Pump();
  EXPECT_EQ(cal->HotCaption(), 2);
  host().MouseMove(W(), caption.X, caption.Y + 40);
  Pump();
  EXPECT_EQ(cal->HotCaption(), 0);
  EXPECT_EQ(Screen->GetCursor(), crDefault);

  // Years form: press on the caption, drag to an item, release there.
  host().MouseDown(W(), caption.X, caption.Y);
  Pump();
  TMonthListBox* list = cal->MonthList();
  ASSERT_TRUE(list->IsShown());
  EXPECT_FALSE(list->IsTwelveMonths());
  EXPECT_EQ(list->ItemText(0), "December 2025");
  const TRect item = list->ItemRect(5);
  host().MouseMove(list->GetHandle(), 20, Centre(item).Y);
  host().MouseUp(list->GetHandle(), 20, Centre(item).Y);
  Pump();
  EXPECT_FALSE(list->IsShown());
  EXPECT_EQ(cal->GetFirstDate(), D(2026, 5, 1));
  EXPECT_EQ(cal->GetSelectDate(), D(2026, 3, 18)) << "the month list navigates only";
  EXPECT_EQ(log->Changes, 0);
}

TEST_F(cxCalendarTest, DateButtonsChooseCloseAndSetTheClock) {
  cal->SetKind(ckDateTime);
  cal->SetDateButtons({btnClear, btnNow, btnToday});
  Pump();
  for (TDateButton b : {btnToday, btnNow, btnClear, btnOk}) EXPECT_TRUE(cal->DateButton(b)->GetVisible()) << int(b);
  EXPECT_TRUE(cal->Clock()->GetVisible());
  EXPECT_TRUE(cal->DateButton(btnOk)->GetTabStop());

  TcxTimeEdit* timeEdit = cal->TimeEdit();
  EXPECT_TRUE(timeEdit->GetVisible());
  EXPECT_EQ(timeEdit->GetTabOrder(), 0);
  EXPECT_GE(timeEdit->GetLeft(), cal->HeaderRect().Right) << "in the time area";
  // The time edit drives the clock.
  timeEdit->SetFocus();
  timeEdit->SetSelStart(0);
  host().Text("0930");
  Pump();
  EXPECT_EQ(timeEdit->InnerTextEdit()->GetText(), "09:30:00");
  EXPECT_NEAR(cal->GetTime().Value, EncodeTime(9, 30, 0, 0).Value, 1e-9);
  cal->SetFocus();
  cal->SetSelectDate(D(2026, 3, 2));
  EXPECT_EQ(cal->TimeCaptionText(), DateTimeToStr(D(2026, 3, 2).Value + EncodeTime(9, 30, 0, 0).Value));
  cal->DateButton(btnOk)->Click();
  EXPECT_NEAR(cal->GetSelectDate().Value, D(2026, 3, 2).Value + EncodeTime(9, 30, 0, 0).Value, 1e-9);
  cal->DateButton(btnToday)->Click();
  EXPECT_NEAR(cal->GetSelectDate().Value, D(2026, 3, 18).Value + EncodeTime(9, 30, 0, 0).Value, 1e-9);
  cal->SetUse24HourFormat(false);
  EXPECT_EQ(timeEdit->InnerTextEdit()->GetText(), "09:30:00 AM") << "the format reaches the time edit";
  cal->SetUse24HourFormat(true);
  cal->DateButton(btnNow)->Click();
  EXPECT_EQ(cal->GetSelectDate(), Now());
  EXPECT_DOUBLE_EQ(cal->GetTime().Value, 0.5) << "the clock takes the time of the value";
  EXPECT_NEAR(timeEdit->GetTime().Value, 0.5, 1e-9) << "and the time edit the clock's";
  cal->DateButton(btnClear)->Click();
  EXPECT_EQ(cal->GetSelectDate().Value, NullDate);
  EXPECT_EQ(cal->GetTime().Value, 0.0) << "Clear sets the clock to midnight";
  EXPECT_EQ(cal->TimeCaptionText(), "") << "no date, no caption";
  EXPECT_EQ(log->Changes, 4);
  EXPECT_EQ(log->Hides, std::vector<CR>(4, CR::crEnter));

  // In this kind a single click only selects; a double click chooses.
  Click(CellOf(D(2026, 3, 10)));
  EXPECT_EQ(cal->GetSelectDate(), D(2026, 3, 10));
  EXPECT_EQ(log->Changes, 4);
  const TPoint p = Centre(CellOf(D(2026, 3, 11)));
  host().DoubleClick(W(), p.X, p.Y);
  Pump();
  EXPECT_EQ(cal->GetSelectDate(), D(2026, 3, 11));
  EXPECT_EQ(log->Changes, 5);
}

TEST_F(cxCalendarTest, PixelsOfSelectionTodayAndHeaderInTwoLooks) {
  cal->SetSelectDate(D(2026, 3, 5));
  Pump();
  const TRect sel = CellOf(D(2026, 3, 5)), today = CellOf(D(2026, 3, 18)), other = CellOf(D(2026, 3, 25));
  EXPECT_EQ(Px(sel.Left + 1, sel.Top + 1), Rgb(clHighlight));
  EXPECT_EQ(Px(today.Left, today.Top + 3), Rgb(clMaroon)) << "today is framed";
  EXPECT_EQ(Px(today.Left + 1, today.Top + 1), Rgb(clWindow));
  EXPECT_EQ(Px(other.Left + 1, other.Top + 1), Rgb(clWindow));
  const TRect month = cal->MonthCaptionRect();
  EXPECT_EQ(Px(month.Left + 1, month.Top + 1), Rgb(clBtnFace));
  EXPECT_EQ(Px(month.Left + 1, cal->HeaderRect().Bottom - 1), Rgb(clBtnText)) << "flat: a line under the header";
  // The back arrow's tip points left, in the text colour.
  const TcxArrowPoints a = TcxCustomLookAndFeelPainter::CalculateArrowPoints(cal->ArrowRect(0), TcxArrowDirection::adLeft, true);
  EXPECT_EQ(Px(a[0].X + 1, a[0].Y), Rgb(clBtnText));

  // Nothing selected: today's cell takes the selection and keeps its frame.
  cal->DateButton(btnClear)->Click();
  Pump();
  EXPECT_EQ(Px(today.Left + 1, today.Top + 1), Rgb(clHighlight));
  EXPECT_EQ(Px(today.Left, today.Top + 3), Rgb(clMaroon));
  EXPECT_EQ(Px(sel.Left + 1, sel.Top + 1), Rgb(clWindow));

  // Office11: the header is inset and filled with the painter's face colour, framed.
  cal->GetLookAndFeel()->SetKind(TcxLookAndFeelKind::lfOffice11);
  Pump();
  EXPECT_EQ(cal->HeaderRect(), (TRect{2, 2, cal->GetWidth() - 2, 2 + 18})) << "one pixel lower";
  const TRect m11 = cal->MonthCaptionRect();
  EXPECT_EQ(Px(m11.Left + 1, m11.Top + 1), Rgb(cxOffice11Painter()->DefaultColor42()));
  EXPECT_EQ(Px(1, 5), Rgb(clWindow)) << "outside the inset header";
  EXPECT_EQ(Px(2, 5), Rgb(clBtnShadow));
}

TEST_F(cxCalendarTest, GalleryOfKindsAndLooks) {
  struct Shot {
    TcxCalendarKind Kind;
    TcxLookAndFeelKind Look;
    bool Flat;
  };
  const Shot shots[] = {{ckDate, TcxLookAndFeelKind::lfUltraFlat, true},
                        {ckDate, TcxLookAndFeelKind::lfStandard, false},
                        {ckDate, TcxLookAndFeelKind::lfOffice11, true},
                        {ckDateTime, TcxLookAndFeelKind::lfUltraFlat, true}};
  cal->SetSelectDate(D(2026, 3, 5));
  constexpr int kGap = 8, kMaxH = 260;
  DecodedImage image;
  image.Width = kGap;
  image.Height = kMaxH + 2 * kGap;
  std::vector<std::vector<Pixel>> columns;  // column-major pieces, one per shot
  std::vector<TSize> sizes;
  for (const Shot& s : shots) {
    cal->SetKind(s.Kind);
    cal->SetFlat(s.Flat);
    cal->GetLookAndFeel()->SetKind(s.Look);
    Pump();
    const Integer w = cal->GetWidth(), h = std::min<Integer>(cal->GetHeight(), kMaxH);
    ASSERT_GT(w, 0);
    const Surface screen = host().CaptureScreen();
    const TPoint origin = cal->ClientToScreen({0, 0});
    std::vector<Pixel> shot;
    for (Integer y = 0; y < h; ++y)
      for (Integer x = 0; x < w; ++x) shot.push_back(screen.At(origin.X + x, origin.Y + y));
    columns.push_back(std::move(shot));
    sizes.push_back({w, h});
    image.Width += w + kGap;
  }
  image.Pixels.assign(size_t(image.Width) * size_t(image.Height), PixelFromColor(ColorToRGB(clWhite)));
  int left = kGap;
  for (size_t i = 0; i < columns.size(); ++i) {
    for (int y = 0; y < sizes[i].cy; ++y)
      for (int x = 0; x < sizes[i].cx; ++x)
        image.Pixels[size_t((y + kGap) * image.Width + left + x)] = columns[i][size_t(y * sizes[i].cx + x)];
    left += sizes[i].cx + kGap;
  }
  EXPECT_NE(columns[0], columns[1]) << "the standard look differs from the flat one";
  WriteGalleryPng(image, "calendar.png");
}

// The calendar tracks the hot part after its OnMouseEnter and OnMouseLeave: a handler freeing
// the calendar ends that.
TEST_F(cxCalendarTest, AnOnMouseEnterOrLeaveHandlerMayFreeTheCalendar) {
  for (const bool entering : {true, false}) {
    SCOPED_TRACE(entering ? "entering" : "leaving");
    auto* c = New<TTestCalendar>(form);
    c->SetParent(form);
    c->SetBounds(250, 10, 150, 150);
    Pump();
    ExpectFreedAsTheMouseCrossesIt(host(), form, c, TPoint{500, 350}, entering);
  }
}

}  // namespace
