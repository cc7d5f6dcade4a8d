#include <gtest/gtest.h>

#include "platform/gdi/FontEngine.h"
#include "platform/host/HeadlessHost.h"
#include "platform/user/User.h"
#include "tests/support/AppTest.h"
#include "widgets/foundation/FoundationUnits.h"
#include "widgets/special/cxCalendar.h"

namespace {

// A stand-in calendar: a plain control with a month caption at (40, 0)-(100, 20).
class TStubCalendar : public TcxControl, public IcxMonthListCalendar {
  TL_CLASS(TStubCalendar, TcxControl)
 public:
  using TcxControl::TcxControl;
  TDateTime First = 0;
  bool Twelve = false;
  int Sets = 0;
  TWinControl* MonthListControl() override { return this; }
  TDateTime MonthListFirstDate() override { return First; }
  void MonthListSetFirstDate(TDateTime ADate) override { First = ADate, ++Sets; }
  bool MonthListTwelveMonths() override { return Twelve; }
  Integer MonthListHeaderHeight() override { return 20; }
  Integer MonthListColumnWidth() override { return 20; }
  TRect MonthListCaptionRect() override { return {40, 0, 100, 20}; }
};
TL_DEFINE_CLASS(TStubCalendar)

TColor AsColor(Pixel p) { return TColor(((p & 0xFF) << 16) | (p & 0xFF00) | ((p >> 16) & 0xFF)); }

class cxCalendarPartsTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    WidgetsFoundationInitialize();
    form = TCustomForm::CreateNew(nullptr);
    form->SetBounds(100, 100, 400, 300);
    form->Show();
    Pump();
  }
  void TearDown() override {
    form->Free();
    WidgetsFoundationFinalize();
    AppTest::TearDown();
  }
  TcxClock* MakeClock(Integer W, Integer H) {
    TcxClock* c = New<TcxClock>(form);
    c->SetBounds(10, 10, W, H);
    c->SetParent(form);
    Pump();
    return c;
  }
  TColor Px(TWinControl* c, Integer x, Integer y) {
    return AsColor(host().PixelAt(c->GetHandle(), x, y));
  }
  // The calendar at client (X, Y) of the form, showing AFirst, with its month list.
  void MakeList(TDateTime AFirst, bool ATwelve, Integer X = 50, Integer Y = 50) {
    cal = New<TStubCalendar>(form);
    cal->SetBounds(X, Y, 160, 150);
    cal->SetParent(form);
    cal->GetFont()->SetName(kTestFaceName);
    cal->First = AFirst;
    cal->Twelve = ATwelve;
    list = New<TMonthListBox>(cal, cal);
    Pump();
  }
  std::vector<String> Texts() {
    std::vector<String> r;
    for (Integer i = 0; i < list->ItemCount(); ++i) r.push_back(list->ItemText(i));
    return r;
  }
  HWND LW() { return list->GetHandle(); }
  void Move(Integer X, Integer Y) {
    host().MouseMove(LW(), X, Y);
    Pump();
  }

  TCustomForm* form = nullptr;
  TStubCalendar* cal = nullptr;
  TMonthListBox* list = nullptr;
};

const TColor kTeal = TColor(ColorToRGB(clTeal)), kRed = TColor(ColorToRGB(clRed)),
             kFace = TColor(ColorToRGB(clWindow)), kAqua = TColor(ColorToRGB(clAqua)),
             kText = TColor(ColorToRGB(clBtnText));

TEST_F(cxCalendarPartsTest, ClockHandsPointAtTheTime) {
  TcxClock* c = MakeClock(100, 100);  // centre (50, 50), radii 48
  c->SetTime(EncodeTime(3, 0, 0, 0));
  Pump();
  // Hour hand to the right (tip 36 out, tail 7 back), minute and second hands up.
  EXPECT_EQ(Px(c, 84, 50), kTeal);
  EXPECT_EQ(Px(c, 89, 50), kFace) << "the hour tip ends at 0.75 of the radius";
  EXPECT_EQ(Px(c, 44, 50), kTeal);
  EXPECT_EQ(Px(c, 38, 50), kFace) << "the hour tail ends at 0.15 of the radius";
  EXPECT_EQ(Px(c, 50, 30), kRed) << "the second hand is drawn over the minute hand";
  EXPECT_EQ(Px(c, 51, 30), kTeal);
  EXPECT_EQ(Px(c, 50, 8), kRed) << "the second hand reaches 0.9 of the radius";
  EXPECT_EQ(Px(c, 30, 50), kFace);

  c->SetTime(EncodeTime(6, 30, 15, 0));
  Pump();
  // Minute hand 90 degrees from 3 o'clock plus a quarter of a minute, i.e. straight down;
  // hour hand half-way between 6 and 7; the second hand at 15 seconds lies to the right.
  EXPECT_EQ(Px(c, 49, 88), kTeal);
  EXPECT_EQ(Px(c, 49, 92), kFace) << "the minute tip ends at 0.85 of the radius";
  EXPECT_EQ(Px(c, 50, 20), kFace);
  EXPECT_EQ(Px(c, 80, 50), kRed);
  EXPECT_EQ(Px(c, 43, 76), kTeal) << "hour hand at 105 degrees";
  EXPECT_EQ(Px(c, 46, 76), kFace);
  EXPECT_EQ(Px(c, 55, 69), kFace);
}

TEST_F(cxCalendarPartsTest, ClockDialIsEllipticWithRaisedHourDots) {
  TcxClock* c = MakeClock(60, 40);  // centre (30, 20), radii 28 and 18
  c->SetTime(0.5);
  Pump();
  EXPECT_EQ(Px(c, 58, 20), kTeal) << "3 o'clock";
  EXPECT_EQ(Px(c, 30, 38), kTeal) << "6 o'clock";
  EXPECT_EQ(Px(c, 2, 20), kTeal) << "9 o'clock";
  EXPECT_EQ(Px(c, 30, 2), kTeal) << "12 o'clock";
  // The 3 o'clock dot: light top-left, dark bottom-right.
  EXPECT_EQ(Px(c, 57, 19), kAqua);
  EXPECT_EQ(Px(c, 59, 21), kText);
  EXPECT_EQ(Px(c, 55, 20), kFace);
}

TEST_F(cxCalendarPartsTest, ClockKeepsTheTimeOfDayOnly) {
  TcxClock* c = MakeClock(50, 50);
  c->SetTime(1.25);
  EXPECT_DOUBLE_EQ(c->GetTime(), 0.25);
  Pump();
  c->SetTime(2.25);
  EXPECT_FALSE(GetUpdateRect(c->GetHandle(), nullptr, FALSE))
      << "the same time of day does not repaint";
  c->SetTime(2.5);
  EXPECT_TRUE(GetUpdateRect(c->GetHandle(), nullptr, FALSE));
  c->SetTime(-1.75);
  EXPECT_DOUBLE_EQ(c->GetTime(), 0.75);
}

TEST_F(cxCalendarPartsTest, SevenMonthFormCentresOnTheCaptionAndFollowsTheMouse) {
  MakeList(EncodeDate(2024, 3, 1), false);
  list->Popup();
  Pump();
  ASSERT_TRUE(list->IsShown());
  EXPECT_EQ(Texts(), (std::vector<String>{"December 2023", "January 2024", "February 2024",
                                          "March 2024", "April 2024", "May 2024", "June 2024"}));
  // Item height 18, 6 columns of 20 plus the frame; centred on the caption's centre.
  EXPECT_EQ(list->GetWidth(), 122);
  EXPECT_EQ(list->GetHeight(), 7 * 18 + 2);
  const TPoint centre = cal->ClientToScreen({70, 10});
  TRect r{};
  GetWindowRect(LW(), &r);
  EXPECT_EQ(r.Left, centre.X - 61);
  EXPECT_EQ(r.Top, centre.Y - 64);
  EXPECT_EQ(GetCapture(), LW());

  Move(30, 1 + 2 * 18 + 5);
  EXPECT_EQ(list->HotItem(), 2);
  EXPECT_EQ(Px(list, 5, 1 + 2 * 18 + 2), TColor(ColorToRGB(clWindowText)))
      << "the hot item is inverted";
  Move(30, 1 + 3 * 18 - 1);
  EXPECT_EQ(list->HotItem(), 2) << "the last row of an item still belongs to it";
  host().MouseUp(LW(), 30, 1 + 3 * 18 - 1);
  Pump();
  EXPECT_FALSE(list->IsShown());
  EXPECT_EQ(cal->First, EncodeDate(2024, 2, 1));
  EXPECT_NE(GetCapture(), LW());
}

TEST_F(cxCalendarPartsTest, SevenMonthFormScrollsFasterFurtherAway) {
  MakeList(EncodeDate(2024, 3, 1), false);
  list->Popup();
  Pump();
  EXPECT_EQ(TMonthListBox::ScrollInterval(-53, 18), 100u);
  EXPECT_EQ(TMonthListBox::ScrollInterval(-54, 18), 50u);
  // Each whole item height further away is the next speed: 500, 250, 100, then 50 ms.
  EXPECT_EQ(TMonthListBox::ScrollInterval(-17, 18), 500u);
  EXPECT_EQ(TMonthListBox::ScrollInterval(-18, 18), 250u);
  EXPECT_EQ(TMonthListBox::ScrollInterval(35, 18), 250u);
  EXPECT_EQ(TMonthListBox::ScrollInterval(36, 18), 100u);
  EXPECT_EQ(TMonthListBox::ScrollInterval(200, 18), 50u);

  Move(30, -5);  // within one item height above
  EXPECT_EQ(list->HotItem(), -1);
  EXPECT_EQ(list->ScrollDirection(), -1);
  host().Advance(499);
  EXPECT_EQ(list->ItemText(0), "December 2023");
  host().Advance(1);
  EXPECT_EQ(list->ItemText(0), "November 2023");
  Move(30, -60);  // three item heights away
  EXPECT_EQ(list->ScrollTimer()->GetInterval(), 50u);
  host().Advance(200);
  EXPECT_EQ(list->ItemText(0), "July 2023");
  // Below the list, one pixel past its bottom: downwards at the slowest speed.
  Move(30, list->GetHeight());
  EXPECT_EQ(list->ScrollDirection(), 1);
  host().Advance(500);
  EXPECT_EQ(list->ItemText(0), "August 2023");
  Move(30, 10);  // back inside: the scrolling stops
  EXPECT_FALSE(list->ScrollTimer()->GetEnabled());
  host().Advance(2000);
  EXPECT_EQ(list->ItemText(0), "August 2023");
  host().MouseUp(LW(), 30, 10);
  Pump();
  EXPECT_EQ(cal->First, EncodeDate(2023, 8, 1));
}

TEST_F(cxCalendarPartsTest, ScrollingStopsAtTheYearRange) {
  MakeList(EncodeDate(100, 2, 1), false);
  list->Popup();
  Pump();
  EXPECT_EQ(list->ItemText(0), "");
  EXPECT_EQ(list->ItemText(1), "");
  EXPECT_EQ(list->ItemText(2), "January 100");
  Move(30, 1 + 5);
  EXPECT_EQ(list->HotItem(), -1) << "an item outside the years cannot be hot";
  list->ClosePopup();
  EXPECT_EQ(cal->Sets, 0) << "closing without a hot item keeps the month";

  cal->First = EncodeDate(100, 4, 1);
  list->Popup();
  Pump();
  Move(30, -100);
  host().Advance(1000);
  EXPECT_EQ(list->ItemText(0), "January 100") << "never scrolls past year 100";
  list->ClosePopup();

  cal->First = EncodeDate(9999, 9, 1);
  list->Popup();
  Pump();
  Move(30, list->GetHeight() + 100);
  host().Advance(1000);
  EXPECT_EQ(list->ItemText(6), "December 9999");
  EXPECT_EQ(list->ItemText(0), "June 9999") << "never scrolls past year 9999";
  list->ClosePopup();
}

TEST_F(cxCalendarPartsTest, TwelveMonthFormChoosesByClick) {
  MakeList(EncodeDate(2024, 9, 1), true);
  SetCapture(cal->GetHandle());
  list->Popup();
  Pump();
  ASSERT_EQ(list->ItemCount(), 12);
  EXPECT_EQ(list->ItemText(0), "January");
  EXPECT_EQ(list->ItemText(11), "December");
  EXPECT_EQ(GetCapture(), nullptr) << "the twelve-month form releases the capture";
  Move(30, 1 + 4 * 18 + 3);
  EXPECT_EQ(list->HotItem(), 4);
  host().Click(LW(), 30, 1 + 4 * 18 + 3);
  Pump();
  EXPECT_FALSE(list->IsShown());
  EXPECT_EQ(cal->First, EncodeDate(2024, 5, 1));
  EXPECT_EQ(cal->Sets, 1);
}

TEST_F(cxCalendarPartsTest, ListStaysOnTheWorkAreaNearScreenEdges) {
  // The form's client area starts at (100, 100) plus its frame; the calendar sits far
  // right and low so the centred list would leave the screen.
  MakeList(EncodeDate(2024, 3, 1), false);
  form->SetBounds(1180, 940, 200, 200);
  cal->SetBounds(0, 0, 160, 150);
  Pump();
  list->Popup();
  Pump();
  TRect r{};
  GetWindowRect(LW(), &r);
  EXPECT_EQ(r.Right, HeadlessHost::ScreenWidth);
  EXPECT_EQ(r.Bottom, HeadlessHost::ScreenHeight - 30);
  list->ClosePopup();
  form->SetBounds(-60, -40, 200, 200);
  Pump();
  list->Popup();
  Pump();
  GetWindowRect(LW(), &r);
  EXPECT_EQ(r.Left, 0);
  EXPECT_EQ(r.Top, 0);
  list->ClosePopup();
}

}  // namespace
