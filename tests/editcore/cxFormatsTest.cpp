// The format controller: parsing of date and time pictures, the masks and display formats
// built from them for the built-in and the German locale, rebuilding on the "intl"
// broadcast, overrides that survive it, update brackets, listeners and the hidden window.
#include "FormatsTestSupport.h"
#include "RegExprTestSupport.h"
#include "widgets/editcore/cxStandardMask.h"

using namespace regexpr_test;
using K = TcxDateTimeFormatItemKind;

namespace {

std::vector<TcxDateTimeFormatItem> ItemsOf(const String& AFormat) {
  TcxDateTimeFormatInfo info;
  EXPECT_TRUE(cxGetFormatController()->GetDateTimeFormatInfo(AFormat, info)) << AFormat;
  return info.Items;
}

// Whether a compiled mask takes the whole text and ends in a final state.
bool Accepts(const String& AMask, const String& AText) {
  Owned<TcxRegExpr> e = Compiled(AMask, true);
  return Type(*e, AText) && e->IsFinal();
}

const char* kUsMonths = "'Jan'|'Feb'|'Mar'|'Apr'|'May'|'Jun'|'Jul'|'Aug'|'Sep'|'Oct'|'Nov'|'Dec'";
const char* kWordsNoNow =
    "'today'|'yesterday'|'tomorrow'|'Sunday'|'Monday'|'Tuesday'|'Wednesday'|'Thursday'|'Friday'|'Saturday'|"
    "'first'|'second'|'third'|'fourth'|'fifth'|'sixth'|'seventh'|'bom'|'eom'";
const char* kOffset = ")((\\+|-)\\d(\\d(\\d\\d?)?)?)?";

}  // namespace

TEST_F(FormatsTest, PicturesParseIntoItems) {
  using I = TcxDateTimeFormatItem;
  // A minute after an hour, a twelve-hour clock because of the suffix.
  EXPECT_EQ(ItemsOf("h:mm AM/PM"), (std::vector<I>{{K::dtikHour, "12h"},
                                                  {K::dtikTimeSeparator, ":"},
                                                  {K::dtikMin, "mm"},
                                                  {K::dtikString, " "},
                                                  {K::dtikTimeSuffix, "AM/PM"}}));
  EXPECT_EQ(ItemsOf("HH:mm"), (std::vector<I>{{K::dtikHour, "24HH"}, {K::dtikTimeSeparator, ":"}, {K::dtikMin, "mm"}}));
  // A repeated year is dropped; repeated separators and literals stay; quotes are dropped.
  EXPECT_EQ(ItemsOf("yyyy/yyyy/'x'\"y\""), (std::vector<I>{{K::dtikYear, "YYYY"},
                                                            {K::dtikDateSeparator, "/"},
                                                            {K::dtikDateSeparator, "/"},
                                                            {K::dtikString, "xy"}}));
  // Runs are cut; a suffix without an hour goes.
  EXPECT_EQ(ItemsOf("MMMMMM ss zzzz AM/PM"), (std::vector<I>{{K::dtikMonth, "MMMM"},
                                                           {K::dtikString, " "},
                                                           {K::dtikSec, "ss"},
                                                           {K::dtikString, " "},
                                                           {K::dtikMSec, "zzz"},
                                                           {K::dtikString, " "}}));
  // "aaaa" names the day; "C" is the short date, a blank and the long time.
  EXPECT_EQ(ItemsOf("aaa"), (std::vector<I>{{K::dtikDay, "DDD"}}));
  EXPECT_EQ(ItemsOf(""), ItemsOf("M/d/yyyy h:mm:ss AMPM"));
  EXPECT_EQ(ItemsOf("ddddd"), ItemsOf("M/d/yyyy"));
  EXPECT_EQ(ItemsOf("yy e"), (std::vector<I>{{K::dtikYear, "YY"}, {K::dtikString, " "}}));
}

TEST_F(FormatsTest, EraLetterAndNestingLimitEmptyTheInfo) {
  TcxDateTimeFormatInfo info;
  EXPECT_FALSE(Controller()->GetDateTimeFormatInfo("yyyy gg", info));
  EXPECT_TRUE(info.Items.empty());
  EXPECT_EQ(Controller()->GetDateTimeStandardMask(info, TcxDateTimeEditMaskKind::dtmkDate), "");
  // A short date that names itself stops at the nesting limit instead of recursing.
  FormatSettings.ShortDateFormat = "ddddd/M";
  EXPECT_TRUE(Controller()->GetDateTimeFormatInfo("ddddd", info));
  // Through a nested format the era letter still fails the whole parse.
  FormatSettings.LongDateFormat = "gg yyyy";
  EXPECT_FALSE(Controller()->GetDateTimeFormatInfo("M dddddd", info));
  EXPECT_TRUE(info.Items.empty());
}

// The standard date and date-time masks, the date and date-time display formats, the date
// edit format and the currency format, in that order.
std::vector<String> FormatsOf(TcxFormatController* c) {
  return {c->GetStandardDateEditMask(), c->GetStandardDateTimeEditMask(), c->GetDateDisplayFormat(),
          c->GetDateTimeDisplayFormat(), c->GetDateEditFormat(), c->GetCurrencyFormat()};
}

TEST_F(FormatsTest, BuiltInLocaleMasksAndFormats) {
  TcxFormatController* c = Controller();
  EXPECT_EQ(FormatsOf(c), (std::vector<String>{"!99/99/9999;1; ", "!99/99/9999\\ 99:99:99\\ cc;1; ", "mm/dd/yyyy",
                                               "mm/dd/yyyy' 'hh:nn:ss' 'ampm", "MM/dd/yyyy", "$,0.00;($,0.00)"}));
  EXPECT_EQ(c->GetStartOfWeek(), 0);
  String date = String("((0?[1-9]|1[012])|(") + kUsMonths + "))\\/([012]?[1-9]|[123]0|31)\\/\\d\\d\\d\\d";
  EXPECT_EQ(c->GetRegExprDateEditMask(), "(" + date + ")|(" + kWordsNoNow + kOffset);
  String time = "(0?[1-9]|1[012])\\:[0-5]?\\d\\:[0-5]?\\d' '('AM'|'PM')?";
  EXPECT_EQ(c->GetRegExprDateTimeEditMask(),
            "(" + date + "' '(" + time + ")?)|(" + kWordsNoNow + "|'now'" + kOffset);
  EXPECT_EQ(c->GetDateTimeStandardMask(c->GetTimeFormatInfo(), TcxDateTimeEditMaskKind::dtmkTime),
            "00:00:00\\ cc;1;0");

  for (const char* text : {"12/31/2026", "Dec/5/2026", "today+365"})
    EXPECT_TRUE(Accepts(c->GetRegExprDateEditMask(), text)) << text;
  EXPECT_FALSE(Accepts(c->GetRegExprDateEditMask(), "now"));
  EXPECT_FALSE(Accepts(c->GetRegExprDateEditMask(), "13/1/2026"));
  EXPECT_TRUE(Accepts(c->GetRegExprDateTimeEditMask(), "1/5/2026 11:59:00 PM"));
  EXPECT_TRUE(Accepts(c->GetRegExprDateTimeEditMask(), "now-2"));
  EXPECT_TRUE(cxStandardMaskIsFullValidText(c->GetStandardDateEditMask(), "12/31/2026"));
}

TEST_F(FormatsTest, LocaleBroadcastRebuildsForListeners) {
  TcxFormatController* c = Controller();
  CountingListener* l = Listen<CountingListener>();
  SetCurrentLocale(GermanLocale());  // the window layer broadcasts "intl"
  EXPECT_EQ(l->Formats, 1);
  EXPECT_EQ(FormatsOf(c), (std::vector<String>{"!99\\.99\\.9999;1; ", "!99\\.99\\.9999\\ 99:99:99;1; ",
                                               "dd'.'mm'.'yyyy", "dd'.'mm'.'yyyy' 'hh:nn:ss", "dd.MM.yyyy",
                                               ",0.00 \x80;-,0.00 \x80"}));
  EXPECT_EQ(c->GetStartOfWeek(), 1);
  EXPECT_TRUE(Accepts(c->GetRegExprDateEditMask(), "31.12.2026"));
  EXPECT_TRUE(Accepts(c->GetRegExprDateEditMask(), "1.M\xE4r.2026"));
  EXPECT_TRUE(Accepts(c->GetRegExprDateTimeEditMask(), "31.12.2026 23:05:00"));
  EXPECT_FALSE(Accepts(c->GetRegExprDateTimeEditMask(), "31.12.2026 24:00:00"));

  // Without the application's switch the notice is not followed.
  Application->SetUpdateFormatSettings(false);
  SetCurrentLocale(UsEnglishLocale());
  EXPECT_EQ(l->Formats, 1);
  EXPECT_EQ(c->GetStandardDateEditMask(), "!99\\.99\\.9999;1; ");
}

TEST_F(FormatsTest, CurrencyFormatFollowsTheSettings) {
  TcxFormatController* c = Controller();
  FormatSettings.CurrencyDecimals = 0;
  FormatSettings.CurrencyString = "Fr.";
  FormatSettings.CurrencyFormat = 2;
  FormatSettings.NegCurrFormat = 14;
  c->SetAssignedCurrencyFormat(true);
  c->SetAssignedCurrencyFormat(false);  // rebuilds
  EXPECT_EQ(c->GetCurrencyFormat(), "Fr'.' ,0.;(Fr'.' ,0.)");
  // A symbol holding placeholders or quotes cannot change the number's layout.
  FormatSettings.CurrencyString = "0#'";
  FormatSettings.CurrencyDecimals = 2;
  FormatSettings.CurrencyFormat = 1;
  FormatSettings.NegCurrFormat = 99;  // outside the table: the first pattern
  c->SetAssignedCurrencyFormat(true);
  c->SetAssignedCurrencyFormat(false);
  EXPECT_EQ(FormatFloat(c->GetCurrencyFormat(), 1234.5), "1,234.500#'");
  EXPECT_EQ(FormatFloat(c->GetCurrencyFormat(), -2.0), "(0#'2.00)");
  c->SetCurrencyFormat("0.0");
  EXPECT_TRUE(c->GetAssignedCurrencyFormat());
  EXPECT_EQ(c->GetCurrencyFormat(), "0.0");
}

TEST_F(FormatsTest, LiteralsSeparatorsAndNamesAreQuoted) {
  TcxFormatController* c = Controller();
  FormatSettings.ShortDateFormat = "yyyy\"'s\" MMMM/d";
  FormatSettings.LongMonthNames[0] = "Jan'y";
  FormatSettings.DateSeparator = 'd';
  Rebuild();
  const String& mask = c->GetRegExprDateEditMask();
  EXPECT_TRUE(ErrorsOf(mask).empty()) << mask;
  EXPECT_TRUE(Accepts(mask, "2026's Jan'yd5"));
  EXPECT_TRUE(Accepts(mask, "2026's 1d31"));
  EXPECT_FALSE(Accepts(mask, "2026's 1731"));  // the separator is the letter, not a digit class
  EXPECT_EQ(FormatDateTime(c->GetDateDisplayFormat(), EncodeDate(2026, 3, 4)), "2026's Mard04");
}

TEST_F(FormatsTest, BlankMonthNamesLeaveNoEmptyAlternative) {
  TcxFormatController* c = Controller();
  FormatSettings.ShortDateFormat = "d/MMM/yyyy";
  FormatSettings.ShortMonthNames[4] = "";
  Rebuild();
  const String& mask = c->GetRegExprDateEditMask();
  EXPECT_TRUE(ErrorsOf(mask).empty()) << mask;
  EXPECT_TRUE(Accepts(mask, "5/Jun/2026"));
  EXPECT_TRUE(Accepts(mask, "5/5/2026"));
  EXPECT_FALSE(Accepts(mask, "5//2026"));
  // With no names at all only the month numbers remain.
  for (String& name : FormatSettings.ShortMonthNames) name.clear();
  Rebuild();
  EXPECT_TRUE(ErrorsOf(c->GetRegExprDateEditMask()).empty()) << c->GetRegExprDateEditMask();
  EXPECT_TRUE(ErrorsOf(c->GetRegExprDateTimeEditMask()).empty()) << c->GetRegExprDateTimeEditMask();
  EXPECT_TRUE(Accepts(c->GetRegExprDateEditMask(), "5/12/2026"));
  EXPECT_FALSE(Accepts(c->GetRegExprDateEditMask(), "5/Dec/2026"));
}

TEST_F(FormatsTest, RejectedLocaleFormatLeavesMasksEmpty) {
  TcxFormatController* c = Controller();
  FormatSettings.ShortDateFormat = "gg yyyy/M/d";
  Rebuild();
  EXPECT_EQ(c->GetStandardDateEditMask(), "");
  EXPECT_EQ(c->GetRegExprDateEditMask(), "");
  EXPECT_EQ(c->GetRegExprDateTimeEditMask(), "");
  EXPECT_EQ(c->GetStandardDateTimeEditMask(), "");
  EXPECT_EQ(c->GetDateDisplayFormat(), "");
  // A time format rejected alone still spoils only the date-and-time masks.
  FormatSettings.ShortDateFormat = "M/d/yyyy";
  FormatSettings.LongTimeFormat = "g h:mm";
  Rebuild();
  EXPECT_NE(c->GetRegExprDateEditMask(), "");
  EXPECT_EQ(c->GetRegExprDateTimeEditMask(), "");
}

TEST_F(FormatsTest, AssignedValuesSurviveLocaleChanges) {
  TcxFormatController* c = Controller();
  FormatOnlyListener* l = Listen<FormatOnlyListener>();
  c->SetStandardDateEditMask("!99-99;1;_");
  c->SetStartOfWeek(3);
  EXPECT_EQ(l->Formats, 2);
  SetCurrentLocale(GermanLocale());
  EXPECT_EQ(c->GetStandardDateEditMask(), "!99-99;1;_");
  EXPECT_EQ(c->GetComputedStandardDateEditMask(), "!99\\.99\\.9999;1; ");
  EXPECT_EQ(c->GetStartOfWeek(), 3);
  c->SetAssignedStandardDateEditMask(false);
  c->SetAssignedStartOfWeek(false);
  EXPECT_EQ(c->GetStandardDateEditMask(), "!99\\.99\\.9999;1; ");
  EXPECT_EQ(c->GetStartOfWeek(), 1);
}

TEST_F(FormatsTest, EndUpdateRebuildsWhatTheBracketChanged) {
  TcxFormatController* c = Controller();
  FormatOnlyListener* l = Listen<FormatOnlyListener>();
  c->SetStandardDateEditMask("!0;1;_");
  l->Formats = 0;
  c->BeginUpdate();
  c->BeginUpdate();
  c->SetAssignedStandardDateEditMask(false);
  c->EndUpdate();
  EXPECT_EQ(l->Formats, 0);
  c->EndUpdate();
  EXPECT_EQ(l->Formats, 1);
  EXPECT_EQ(c->GetStandardDateEditMask(), "!99/99/9999;1; ");
  c->EndUpdate();  // unbalanced: nothing
  EXPECT_EQ(l->Formats, 1);
}

TEST_F(FormatsTest, HiddenWindowLivesWithTheListeners) {
  TcxFormatController* c = Controller();
  EXPECT_EQ(c->GetWindowHandle(), nullptr);
  Owned<CountingListener> a(New<CountingListener>());
  Owned<FormatOnlyListener> b(New<FormatOnlyListener>());
  c->AddListener(a.get());
  c->AddListener(a.get());
  c->AddListener(b.get());
  EXPECT_EQ(c->ListenerCount(), 2u);
  HWND wnd = c->GetWindowHandle();
  ASSERT_TRUE(IsWindow(wnd));
  EXPECT_EQ(SendMessageA(wnd, WM_TIMECHANGE, 0, 0), 0);
  EXPECT_EQ(a->Times, 1);
  // Other notices and a settings change without a section are not format changes.
  SendMessageA(wnd, WM_SETTINGCHANGE, 0, 0);
  SendMessageA(wnd, WM_SETTINGCHANGE, 1, reinterpret_cast<LPARAM>("intl"));
  EXPECT_EQ(a->Formats + b->Formats, 0);
  // A listener leaving while being told does not disturb the others.
  a->RemoveSelf = true;
  UserBroadcastLocaleChange();
  EXPECT_EQ(a->Formats, 1);
  EXPECT_EQ(b->Formats, 1);
  EXPECT_EQ(c->ListenerCount(), 1u);
  c->RemoveListener(b.get());
  EXPECT_EQ(c->GetWindowHandle(), nullptr);
  EXPECT_FALSE(IsWindow(wnd));
}

TEST_F(FormatsTest, FirstListenerSeesCurrentLocale) {
  // Changed while nobody listened, so no window heard it.
  SetCurrentLocale(GermanLocale());
  GetFormatSettings();
  Listen<FormatOnlyListener>();
  EXPECT_EQ(Controller()->GetStandardDateEditMask(), "!99\\.99\\.9999;1; ");
}

TEST_F(FormatsTest, ItemsByPosition) {
  const TcxDateTimeFormatInfo& info = Controller()->GetDateTimeFormatInfo();
  EXPECT_EQ(cxGetDateTimeFormatTextLength(info), 22);  // "12/31/2026 11:59:00 PM"
  struct Row {
    Integer Pos;
    K Kind;
    Integer Start, Length;
  };
  for (Row r : {Row{1, K::dtikMonth, 1, 2}, Row{2, K::dtikMonth, 1, 2}, Row{3, K::dtikDateSeparator, 3, 1},
                Row{10, K::dtikYear, 7, 4}, Row{11, K::dtikString, 11, 1}, Row{13, K::dtikHour, 12, 2},
                Row{22, K::dtikTimeSuffix, 21, 2}}) {
    K kind;
    Integer start = 0, length = 0;
    TcxTimeSuffixKind suffix = TcxTimeSuffixKind::tskAP;
    ASSERT_TRUE(cxFindDateTimeFormatItem(info, r.Pos, kind, start, length, suffix)) << r.Pos;
    EXPECT_EQ(kind, r.Kind) << r.Pos;
    EXPECT_EQ(start, r.Start) << r.Pos;
    EXPECT_EQ(length, r.Length) << r.Pos;
    if (kind == K::dtikTimeSuffix) {
      EXPECT_EQ(suffix, TcxTimeSuffixKind::tskAMPMString);
    }
  }
  K kind;
  Integer start, length;
  TcxTimeSuffixKind suffix;
  EXPECT_FALSE(cxFindDateTimeFormatItem(info, 0, kind, start, length, suffix));
  EXPECT_FALSE(cxFindDateTimeFormatItem(info, 23, kind, start, length, suffix));
  EXPECT_FALSE(cxFindDateTimeFormatItem(TcxDateTimeFormatInfo(), 1, kind, start, length, suffix));
}

namespace {
// Notes the smallest year date editing accepts at the moment it is told of a change.
class MinYearListener : public TObject, public IcxFormatControllerListener {
 public:
  std::vector<int> Years;
  void FormatChanged() override { Years.push_back(cxGetDateElement(cxGetMinDate(), 0)); }
};
}  // namespace

TEST_F(FormatsTest, SwitchesAndLibraryFormats) {
  TcxFormatController* c = Controller();
  EXPECT_TRUE(c->GetTimePartHandling());
  EXPECT_TRUE(c->GetSmartInput());
  FormatOnlyListener* l = Listen<FormatOnlyListener>();
  c->SetSmartInput(false);
  c->SetTimePartHandling(false);
  c->SetTimePartHandling(false);
  EXPECT_EQ(l->Formats, 2);
  c->SetUseLibraryFormats(true);
  EXPECT_EQ(cxMinYear, 1);
  EXPECT_EQ(cxGetMinDate(), EncodeDate(1, 1, 1));
  c->SetUseLibraryFormats(false);
  EXPECT_EQ(cxMinYear, 100);

  // Listeners told of the switch already see the minimum year that goes with it.
  MinYearListener* years = Listen<MinYearListener>();
  c->SetUseLibraryFormats(true);
  c->SetUseLibraryFormats(false);
  EXPECT_EQ(years->Years, (std::vector<int>{1, 100}));
}

TEST_F(FormatsTest, MasksOfEveryShippedTableCompile) {
  FormatOnlyListener* l = Listen<FormatOnlyListener>();
  for (const LocaleTable* t : {&GermanLocale(), &EraLocale(), &UsEnglishLocale()}) {
    SetCurrentLocale(*t);
    for (const String& mask : {Controller()->GetRegExprDateEditMask(), Controller()->GetRegExprDateTimeEditMask()}) {
      ASSERT_FALSE(mask.empty()) << t->lcid;
      EXPECT_TRUE(ErrorsOf(mask).empty()) << t->lcid << ": " << mask;
    }
    String today;
    cxDateTimeToLocaleText(true, today, EncodeDate(2026, 11, 30));
    // The era picture leaves a blank where the era would be.
    EXPECT_TRUE(Accepts(Controller()->GetRegExprDateEditMask(), Trim(today))) << t->lcid << ": " << today;
  }
  EXPECT_EQ(l->Formats, 3);
}
