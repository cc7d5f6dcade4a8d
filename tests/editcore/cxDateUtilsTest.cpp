// Date utilities: month arithmetic, week numbers across year ends under every first-week
// rule, smart words with offsets and refused tails, date texts, and the null date left by
// every failed conversion.
#include "FormatsTestSupport.h"
#include "RegExprTestSupport.h"

namespace {

TDateTime D(Word y, Word m, Word d) { return EncodeDate(y, m, d); }

}  // namespace

TEST(DateArithmetic, MonthsDaysAndTimes) {
  struct Row {
    Word Y, M;
    Integer Delta;
    Word ToY, ToM;
  };
  // The last row: no wrap to year 65535.
  for (Row r : {Row{2000, 1, -1, 1999, 12}, Row{2000, 12, 13, 2002, 1}, Row{2000, 3, -27, 1997, 12},
                Row{0, 1, -1, 0, 12}}) {
    Word y = r.Y, m = r.M;
    cxAddMonths(y, m, r.Delta);
    EXPECT_EQ(y * 100 + m, r.ToY * 100 + r.ToM) << r.Y << "-" << r.M << " + " << r.Delta;
  }
  Word y = 2026, m = 1;
  cxDecMonth(y, m);
  EXPECT_EQ(y * 100 + m, 202512);
  cxIncMonth(y, m);
  EXPECT_EQ(y * 100 + m, 202601);

  EXPECT_TRUE(cxIsLeapYear(2000));
  EXPECT_FALSE(cxIsLeapYear(1900));
  EXPECT_TRUE(cxIsLeapYear(2028));
  EXPECT_EQ(cxDaysPerMonth(2028, 2), 29);
  EXPECT_EQ(cxDaysPerMonth(2100, 2), 28);
  EXPECT_EQ(cxDaysPerMonth(2026, 13), 31);  // taken as December
  EXPECT_EQ(cxCheckDay(2026, 4, 31), 30);
  EXPECT_EQ(cxCheckDay(2026, 4, -3), 1);
  EXPECT_EQ(cxCheckDay(2026, 4, 12), 12);

  const Integer elements[] = {2026, 7, 9, 0};
  for (Integer i = 0; i < 4; ++i) EXPECT_EQ(cxGetDateElement(D(2026, 7, 9), i), elements[i]) << i;
  EXPECT_DOUBLE_EQ(cxTimeOf(-1.25), 0.25);
  EXPECT_DOUBLE_EQ(cxTimeOf(10.75), 0.75);
  EXPECT_EQ(cxDateOf(10.75), 10.0);
  EXPECT_EQ(cxDateOf(-1.25), -1.0);
  // Thursday 1 January 2026: the Sunday before, the Monday before, itself.
  EXPECT_EQ(cxGetWeekStart(D(2026, 1, 1).Value + 0.7, 0), D(2025, 12, 28));
  EXPECT_EQ(cxGetWeekStart(D(2026, 1, 1), 1), D(2025, 12, 29));
  EXPECT_EQ(cxGetWeekStart(D(2026, 1, 1), 4), D(2026, 1, 1));
  // A start day given outside 0..6 counts round the week: never a start after the date.
  EXPECT_EQ(cxGetWeekStart(D(2026, 1, 1), 8), D(2025, 12, 29));
  EXPECT_EQ(cxGetWeekStart(D(2026, 1, 1), 13), D(2025, 12, 27));
  EXPECT_EQ(cxGetWeekStart(D(2026, 1, 1), -8), D(2025, 12, 27));
  EXPECT_EQ(cxWeekOfYear(D(2021, 1, 1), TcxFirstWeekOfYear::fwyFirstFourDays, 8), 53);
}

// December is month 12 of its own year, reached from either side or by whole years.
TEST(DateArithmetic, AResultInDecemberStaysInItsYear) {
  struct Row {
    Word Y, M;
    Integer Delta;
  };
  for (Row r : {Row{2000, 11, 1}, Row{2000, 1, 11}, Row{2000, 12, 0}, Row{2001, 1, -1},
                Row{1999, 12, 12}, Row{2001, 12, -12}, Row{1998, 6, 30}, Row{2003, 3, -27}}) {
    Word y = r.Y, m = r.M;
    cxAddMonths(y, m, r.Delta);
    EXPECT_EQ(y * 100 + m, 200012) << r.Y << "-" << r.M << " + " << r.Delta;
  }
  // The next month after December is January of the next year.
  Word y = 2000, m = 12;
  cxAddMonths(y, m, 1);
  EXPECT_EQ(y * 100 + m, 200101);
  y = 2000, m = 11;
  cxIncMonth(y, m);
  EXPECT_EQ(y * 100 + m, 200012);
}

using R = TcxFirstWeekOfYear;

TEST(DateArithmetic, WeekNumbersAcrossYearEndsUnderEveryRule) {
  struct Day {
    Word Y, M, D;
    Integer Week;
  };
  struct Rule {
    R Kind;
    Integer StartOfWeek;
    std::vector<Day> Days;
  };
  const Rule rules[] = {
      // First four days, Monday start: 2021 begins on a Friday inside 2020's week 53.
      {R::fwyFirstFourDays, 1, {{2020, 12, 31, 53}, {2021, 1, 1, 53}, {2021, 1, 3, 53}, {2021, 1, 4, 1},
                                {2021, 1, 11, 2}, {2024, 12, 31, 1}, {2025, 12, 29, 1}, {2026, 1, 1, 1},
                                {2023, 1, 1, 52}}},
      // The week holding 1 January, Sunday start.
      // 26 December 2021 starts the week whose last day is 1 January 2022.
      {R::fwyJan1, 0, {{2022, 12, 31, 53}, {2025, 12, 31, 1}, {2026, 1, 1, 1}, {2026, 1, 4, 2}, {2021, 1, 1, 1},
                       {2021, 12, 25, 52}, {2021, 12, 26, 1}}},
      // The first full week, Sunday start: days before it are the last week of the old year.
      {R::fwyFirstFullWeek, 0, {{2026, 1, 1, 52}, {2026, 1, 3, 52}, {2026, 1, 4, 1}, {2026, 1, 11, 2},
                                {2025, 12, 31, 52}, {2023, 1, 1, 1}}},
  };
  for (const Rule& r : rules)
    for (const Day& d : r.Days)
      EXPECT_EQ(cxWeekOfYear(D(d.Y, d.M, d.D), r.Kind, r.StartOfWeek), d.Week)
          << d.Y << "-" << d.M << "-" << d.D << " rule " << int(r.Kind);
}

TEST_F(FormatsTest, SystemWeekRuleComesFromTheLocale) {
  // Built-in: the week holding 1 January.
  EXPECT_EQ(cxWeekOfYear(D(2021, 1, 1), R::fwySystem, 1), 1);
  SetCurrentLocale(GermanLocale());
  EXPECT_EQ(cxWeekOfYear(D(2021, 1, 1), R::fwySystem, 1), 53);
}

TEST_F(FormatsTest, SmartWordsWithOffsets) {
  SetToday(2026, 1, 1);  // a Thursday
  ASSERT_EQ(Date(), D(2026, 1, 1));
  struct Row {
    const char* Text;
    TDateTime Expected;
  };
  for (Row r : {Row{"today", D(2026, 1, 1)},         Row{"TODAY+3", D(2026, 1, 4)},
                Row{"  today - 1 ", D(2025, 12, 31)}, Row{"today+", D(2026, 1, 1)},
                Row{"yesterday", D(2025, 12, 31)},   Row{"tomorrow-10", D(2025, 12, 23)},
                Row{"thursday", D(2026, 1, 1)},      Row{"Sunday", D(2026, 1, 4)},
                Row{"Wednesday+1", D(2026, 1, 8)},   Row{"first", D(2025, 12, 28)},
                Row{"fifth", D(2026, 1, 1)},          Row{"seventh", D(2026, 1, 3)},
                Row{"bom", D(2026, 1, 1)},            Row{"eom", D(2026, 1, 31)},
                Row{"eom+1", D(2026, 2, 1)}}) {
    TDateTime d = 0.0;
    ASSERT_TRUE(cxSmartTextToDate(r.Text, d)) << r.Text;
    EXPECT_EQ(d, r.Expected) << r.Text;
  }
  TDateTime d = 0.0;
  ASSERT_TRUE(cxSmartTextToDate("now", d));
  EXPECT_EQ(d, Now());
  EXPECT_NE(cxTimeOf(d), 0.0);

  SetToday(2026, 1, 7);  // a Wednesday
  ASSERT_TRUE(cxSmartTextToDate("first", d));
  EXPECT_EQ(d, D(2026, 1, 4));
  SetToday(2028, 2, 10);
  ASSERT_TRUE(cxSmartTextToDate("eom", d));
  EXPECT_EQ(d, D(2028, 2, 29));
  // The ends of the integer range as offsets, the lowest one written in hexadecimal: the
  // offset is exact, with no overflow on the way.
  ASSERT_TRUE(cxSmartTextToDate("eom-$80000000", d));
  EXPECT_EQ(d.Value, D(2028, 2, 29).Value + 2147483648.0);
  ASSERT_TRUE(cxSmartTextToDate("eom+2147483647", d));
  EXPECT_EQ(d.Value, D(2028, 2, 29).Value + 2147483647.0);
}

TEST_F(FormatsTest, SmartWordsRefuseTrailingText) {
  SetToday(2026, 1, 1);
  for (const char* text : {"todayx", "sunday morning", "firstly", "fifth avenue", "today 3", "bomb", "x today"}) {
    TDateTime d = 5.0;
    EXPECT_FALSE(cxSmartTextToDate(text, d)) << text;
    EXPECT_FALSE(cxTryTextToDate(text, d)) << text;
    EXPECT_EQ(d.Value, NullDate) << text;
  }
  TDateTime d;
  EXPECT_THROW(cxSmartTextToDate("today+abc", d), EConvertError);
}

namespace {
bool PayDay(const String& AText, TDateTime& ADate) {
  if (!AnsiSameText(Trim(AText), "payday")) return false;
  ADate = EncodeDate(2026, 1, 25);
  return true;
}
}  // namespace

TEST_F(FormatsTest, WordsComeFromOverridesAndTheHook) {
  SetToday(2026, 1, 1);
  cxSetResourceString(cxSDateWords[0], "heute");
  TDateTime d;
  EXPECT_TRUE(cxSmartTextToDate("heute+1", d));
  EXPECT_EQ(d, D(2026, 1, 2));
  EXPECT_FALSE(cxSmartTextToDate("today", d));
  String expr = "x";
  cxAddSmartDateWordsToRegExpr(expr, false);
  EXPECT_EQ(expr.rfind("(x)|('heute'|'yesterday'|", 0), 0u) << expr;
  EXPECT_EQ(expr.find("'now'"), String::npos);
  // A word blanked by an application leaves no empty alternative behind.
  cxSetResourceString(cxSDateWords[5], "");
  cxSetResourceString(cxSDateWords[6], "it's");
  expr = "\\d";
  cxAddSmartDateWordsToRegExpr(expr, true);
  EXPECT_TRUE(regexpr_test::ErrorsOf(expr).empty()) << expr;
  EXPECT_FALSE(cxSmartTextToDate("", d));
  EXPECT_TRUE(cxSmartTextToDate("IT'S-1", d));
  EXPECT_EQ(d, D(2026, 1, 6));  // the Wednesday word: 7 January, less a day

  EXPECT_FALSE(cxSmartTextToDate("payday", d));
  cxSmartTextToDateFunc = PayDay;
  EXPECT_TRUE(cxTryTextToDate(" payday ", d));
  EXPECT_EQ(d, D(2026, 1, 25));
  cxSmartTextToDateFunc = nullptr;
}

TEST_F(FormatsTest, EveryFailedConversionLeavesTheNullDate) {
  SetToday(2026, 1, 1);
  for (const char* text : {"", "   ", "garbage", "12/31/10000", "2/30/2026", "today+abc", "today+99999999",
                           "today-9999999", "13/1/2026"}) {
    TDateTime d = 1.0;
    EXPECT_FALSE(cxTryTextToDate(text, d)) << text;
    EXPECT_EQ(d.Value, NullDate) << text;
  }
  for (bool locale : {false, true}) {
    TDateTime d = 1.0;
    EXPECT_FALSE(cxTextToDateTime("not a date", locale, d));
    EXPECT_EQ(d.Value, NullDate);
  }
  EXPECT_EQ(cxStrToDateDef("nope", 7.0), TDateTime(7.0));
  EXPECT_EQ(cxStrToDateDef("3/4/2026", 7.0), D(2026, 3, 4));
}

TEST_F(FormatsTest, SmartWordOffsetsReadTheSameWhateverTheDateSeparator) {
  LocaleTable dashed = UsEnglishLocale();
  dashed.dateSeparator = "-";
  dashed.shortDate = "yyyy-MM-dd";
  SetCurrentLocale(dashed);
  for (bool library : {false, true}) {
    Controller()->SetUseLibraryFormats(library);
    TDateTime d;
    ASSERT_TRUE(cxTryTextToDate("today-1", d)) << library;
    EXPECT_EQ(d, D(2025, 12, 31));
    ASSERT_TRUE(cxTryTextToDate(" Today - 2 ", d)) << library;
    EXPECT_EQ(d, D(2025, 12, 30));
    ASSERT_TRUE(cxTryTextToDate("today+1", d)) << library;
    EXPECT_EQ(d, D(2026, 1, 2));
  }
  Controller()->SetUseLibraryFormats(false);
  TDateTime d;
  ASSERT_TRUE(cxTryTextToDate("2026-03-04", d));  // the separators still read as such
  EXPECT_EQ(d, D(2026, 3, 4));
}

TEST_F(FormatsTest, EditorTextsConvertInEitherLocale) {
  TDateTime d;
  ASSERT_TRUE(cxTryTextToDate("12/31/2026", d));
  EXPECT_EQ(d, D(2026, 12, 31));
  ASSERT_TRUE(cxTextToDateTime("3/4/2026 1:30 PM", false, d));
  EXPECT_EQ(d, TDateTime(D(2026, 3, 4).Value + 13.5 / 24));
  SetCurrentLocale(GermanLocale());  // Application re-reads the settings
  ASSERT_TRUE(cxTryTextToDate("31.12.2026", d));
  EXPECT_EQ(d, D(2026, 12, 31));
  ASSERT_TRUE(cxTextToDateTime("4.3.2026", true, d));
  EXPECT_EQ(d, D(2026, 3, 4));
  Controller()->SetUseLibraryFormats(true);
  ASSERT_TRUE(cxTryTextToDate("4.3.2026", d));
  EXPECT_EQ(d, D(2026, 3, 4));
}

TEST_F(FormatsTest, DateTexts) {
  struct Row {
    bool OwnFormat, WithTime;
    double Value;
    const char* Text;
  };
  const double day = D(2026, 3, 5).Value;
  String text = "x";
  for (Row r : {Row{false, true, NullDate, ""}, Row{true, true, NullDate, ""}, Row{false, false, day, "3/5/2026"},
                Row{false, true, day + 13.5 / 24, "3/5/2026 1:30:00 PM"}, Row{true, false, day + 0.25, "03/05/2026"},
                Row{true, true, day + 0.25, "03/05/2026 06:00:00 AM"}}) {
    cxDateTimeToText(r.OwnFormat, r.WithTime, false, text, r.Value);
    EXPECT_EQ(text, r.Text);
  }
  EXPECT_EQ(cxGetLongDateText(D(2026, 3, 5)), "Thursday, March 5, 2026");

  LocaleTable shortYear = UsEnglishLocale();
  shortYear.shortDate = "M/d/yy";
  SetCurrentLocale(shortYear);
  EXPECT_EQ(cxGetDateEditFormat(false, D(2026, 3, 5)), "M/d/yy");
  EXPECT_EQ(cxGetDateEditFormat(true, D(2026, 3, 5)), "M/d/yyyy");
  cxDateTimeToLocaleText(false, text, D(2026, 3, 5));
  EXPECT_EQ(text, "3/5/26");
  cxDateTimeToLocaleText(true, text, D(2026, 3, 5));
  EXPECT_EQ(text, "3/5/2026");
  // Beyond the locale functions' years the class library's text stands in.
  cxDateTimeToLocaleText(true, text, D(1500, 3, 5));
  EXPECT_EQ(text, DateTimeToStr(D(1500, 3, 5)));

  // A picture whose text overflows the locale call's buffer falls back as well.
  LocaleTable wordy = UsEnglishLocale();
  wordy.shortDate = "M/d/yyyy '" + String(120, 'x') + "'";
  SetCurrentLocale(wordy);
  cxDateTimeToLocaleText(false, text, D(2026, 3, 5));
  EXPECT_EQ(text, DateTimeToStr(D(2026, 3, 5)));
  EXPECT_EQ(text.size(), 8u + 1 + 120);

  SetCurrentLocale(GermanLocale());
  EXPECT_EQ(cxBlankDateSeparators("31.12.2026"), "31 12 2026");
  Controller()->SetUseLibraryFormats(true);
  EXPECT_EQ(cxGetDateEditFormat(false, D(2026, 3, 5).Value + 0.5), "dd.MM.yyyy hh:mm:ss");
}

TEST(RegExprQuoting, ApostrophesAndRuns) {
  EXPECT_EQ(cxQuoteRegExprText("ab"), "'ab'");
  EXPECT_EQ(cxQuoteRegExprText("o'clock'"), "'o'\\''clock'\\'");
  EXPECT_EQ(cxQuoteRegExprText("''"), "\\'\\'");
  EXPECT_EQ(cxQuoteRegExprText(""), "");
}
