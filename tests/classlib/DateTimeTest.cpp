#include <gtest/gtest.h>

#include "tests/classlib/ErrorText.h"

#include "classlib/core/SysUtils.h"
#include "platform/kernel/VirtualClock.h"

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <limits>

namespace {

// A fixed wall clock in UTC, so "now" and the two-digit-year window are reproducible.
class DateTimeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* tz = std::getenv("TZ");
    FHadTz = tz != nullptr;
    if (tz) FOldTz = tz;
    setenv("TZ", "UTC", 1);
    tzset();
    // 2026-06-15 10:20:30 UTC
    FClock = std::make_unique<VirtualClock>(std::time_t(1781518830));
    FOld = SetClockSource(FClock.get());
  }
  void TearDown() override {
    SetClockSource(FOld);
    if (FHadTz) setenv("TZ", FOldTz.c_str(), 1);
    else unsetenv("TZ");
    tzset();
  }
  std::unique_ptr<VirtualClock> FClock;
  ClockSource* FOld = nullptr;
  bool FHadTz = false;
  std::string FOldTz;
};

TFormatSettings German() {
  TFormatSettings fs;
  fs.DateSeparator = '.';
  fs.ShortDateFormat = "dd.MM.yyyy";
  fs.LongDateFormat = "dddd, d. MMMM yyyy";
  fs.LongTimeFormat = "hh:nn:ss";
  fs.ShortTimeFormat = "hh:nn";
  fs.DecimalSeparator = ',';
  fs.TimeAMString = "";
  fs.TimePMString = "";
  fs.LongMonthNames[2] = "M\xE4rz";
  return fs;
}

TDateTime At(Word y, Word mo, Word d, Word h = 0, Word mi = 0, Word s = 0, Word ms = 0) {
  return ComposeDateTime(EncodeDate(y, mo, d), EncodeTime(h, mi, s, ms));
}

}  // namespace

TEST_F(DateTimeTest, KnownDayNumbers) {
  const struct {
    Word Y, M, D;
    double Serial;
  } known[] = {{1899, 12, 30, 0}, {1899, 12, 29, -1}, {2000, 1, 1, 36526}, {1, 1, 1, MinDateTime}};
  for (const auto& k : known) EXPECT_EQ(EncodeDate(k.Y, k.M, k.D), k.Serial) << k.Y << "-" << k.M << "-" << k.D;
}

// Walks the calendar day by day from 0001-01-01 with an independent counter and checks
// encoding, decoding and the weekday of every day.
TEST_F(DateTimeTest, EveryDayRoundTrips) {
  Int64 serial = Int64(MinDateTime);
  Word weekday = 2;   // 0001-01-01 was a Monday
  for (Word y = 1; y <= 9999; ++y) {
    for (Word m = 1; m <= 12; ++m) {
      const Word days = DaysInAMonth(y, m);
      ASSERT_EQ(days, m == 2 ? (IsLeapYear(y) ? 29 : 28) : (m == 4 || m == 6 || m == 9 || m == 11) ? 30 : 31);
      for (Word d = 1; d <= days; ++d, ++serial, weekday = Word(weekday % 7 + 1)) {
        if (y > 3 && y < 9997 && (y < 1890 || y > 1910) && d % 5 != 1) continue;   // sample, but fully near the ends and 1900
        TDateTime dt;
        ASSERT_TRUE(TryEncodeDate(y, m, d, dt));
        ASSERT_EQ(double(dt), double(serial)) << y << "-" << m << "-" << d;
        Word yy, mm, dd;
        DecodeDate(dt, yy, mm, dd);
        ASSERT_EQ(yy, y);
        ASSERT_EQ(mm, m);
        ASSERT_EQ(dd, d);
        ASSERT_EQ(DayOfWeek(dt), weekday) << y << "-" << m << "-" << d;
      }
    }
  }
  EXPECT_EQ(serial, 2958466);
}

TEST_F(DateTimeTest, LeapYearsAndInvalidDates) {
  EXPECT_EQ(DaysInAMonth(2021, 13), 0);
  const Word bad[][3] = {{2021, 2, 29}, {0, 1, 1}, {10000, 1, 1}, {2020, 13, 1}, {2020, 1, 0}, {1900, 2, 29}};
  for (const auto& b : bad) {
    EXPECT_THROW(EncodeDate(b[0], b[1], b[2]), EConvertError) << b[0] << "-" << b[1] << "-" << b[2];
    TDateTime dt = 123;
    EXPECT_FALSE(TryEncodeDate(b[0], b[1], b[2], dt));
    EXPECT_EQ(double(dt), 123.0);
  }
  EXPECT_EQ(MessageOf<EConvertError>([] { EncodeDate(2021, 2, 29); }), "Invalid argument to date encode");
}

TEST_F(DateTimeTest, TimesAndNegativeDates) {
  Word h, m, s, ms;
  DecodeTime(EncodeTime(12, 30, 15, 500), h, m, s, ms);
  EXPECT_EQ((std::vector<Word>{h, m, s, ms}), (std::vector<Word>{12, 30, 15, 500}));
  EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
  // Before 1899-12-30 the fraction still runs forwards from midnight.
  Word y, mo, d;
  DecodeDate(-1.25, y, mo, d);
  DecodeTime(-1.25, h, m, s, ms);
  EXPECT_EQ(EncodeDate(y, mo, d), EncodeDate(1899, 12, 29));
  EXPECT_EQ(h, 6);
  // A hair before midnight rounds to the next day's 00:00:00.000, consistently.
  DecodeDate(1 - 1e-12, y, mo, d);
  DecodeTime(1 - 1e-12, h, m, s, ms);
  EXPECT_EQ(EncodeDate(y, mo, d), 1.0);
  EXPECT_EQ(h + m + s + ms, 0);
  // Outside the calendar every part is 0.
  for (double bad : {1e10, -1e10, std::nan(""), std::numeric_limits<double>::infinity()}) {
    DecodeDate(bad, y, mo, d);
    DecodeTime(bad, h, m, s, ms);
    EXPECT_EQ(y + mo + d + h + m + s + ms, 0) << bad;
    EXPECT_EQ(DayOfWeek(bad), 0);
  }
}

TEST_F(DateTimeTest, WeekdaysMonthsAndSystemTime) {
  EXPECT_EQ(double(IncMonth(EncodeDate(2020, 1, 31))), double(EncodeDate(2020, 2, 29)));
  EXPECT_DOUBLE_EQ(IncMonth(At(2021, 3, 15, 10, 30), -14), At(2020, 1, 15, 10, 30));
  EXPECT_THROW(IncMonth(EncodeDate(9999, 12, 1), 1), EConvertError);
  EXPECT_THROW(IncMonth(EncodeDate(1, 1, 1), -1), EConvertError);
  SYSTEMTIME st;
  DateTimeToSystemTime(At(2021, 1, 1, 13, 14, 15, 16), st);
  EXPECT_EQ(st.wDayOfWeek, 5);   // Friday, Sunday being 0
  EXPECT_DOUBLE_EQ(SystemTimeToDateTime(st), At(2021, 1, 1, 13, 14, 15, 16));
  st.wMonth = 2;
  st.wDay = 30;
  EXPECT_THROW(SystemTimeToDateTime(st), EConvertError);
}

TEST_F(DateTimeTest, ClockFollowsTheSeam) {
  EXPECT_DOUBLE_EQ(Now(), At(2026, 6, 15, 10, 20, 30));
  FClock->Advance(14 * 3600 * 1000);   // past midnight
  EXPECT_EQ(double(Date()), double(EncodeDate(2026, 6, 16)));
}

TEST_F(DateTimeTest, FormatDateTimeLetters) {
  const TDateTime dt = At(2021, 3, 4, 5, 6, 7, 89);   // a Thursday
  struct Row {
    const char* Format;
    TDateTime When;
    const char* Text;
  };
  // "hh:mm": an m after an h is the minute.
  for (const Row& r : {Row{"d dd ddd dddd", dt, "4 04 Thu Thursday"}, Row{"m mm mmm mmmm", dt, "3 03 Mar March"},
                       Row{"h hh n nn s ss z zzz", dt, "5 05 6 06 7 07 89 089"}, Row{"hh:mm", dt, "05:06"},
                       Row{"h:mm am/pm", At(2021, 3, 4, 17, 6), "5:06 pm"}, Row{"h:nn ampm", At(2021, 3, 4, 0, 30), "12:30 AM"},
                       Row{"c", EncodeDate(2021, 3, 4), "3/4/2021"}, Row{"\"day\" d, 'mm' m", dt, "day 4, mm 3"},
                       Row{"\"unterminated", dt, "unterminated"}})
    EXPECT_EQ(FormatDateTime(r.Format, r.When), r.Text) << r.Format;
  EXPECT_EQ(FormatDateTime("dddddd", dt, German()), "Thursday, 4. M\xE4rz 2021");
}

TEST_F(DateTimeTest, FormatsNamingEachOtherDoNotRecurseForever) {
  TFormatSettings fs;
  fs.ShortDateFormat = "c";
  fs.LongTimeFormat = "ddddd";
  EXPECT_NO_THROW(FormatDateTime("c", At(2021, 3, 4, 5), fs));
}

TEST_F(DateTimeTest, StrToDateUsesTheSettingsOrderAndWindow) {
  // The window is 1976..2075; four digits typed are taken as they are; without a year, the
  // current one.
  const struct {
    const char* Text;
    Word Y, M, D;
  } good[] = {{" 3 / 4 / 2021 ", 2021, 3, 4}, {"1/1/75", 2075, 1, 1}, {"1/1/76", 1976, 1, 1},
              {"1/1/0075", 75, 1, 1}, {"3/4", 2026, 3, 4}};
  for (const auto& g : good) EXPECT_EQ(double(StrToDate(g.Text)), double(EncodeDate(g.Y, g.M, g.D))) << g.Text;
  for (const char* bad : {"2/30/2021", "", "3/4/2021x", "3//2021", "1/2/3/4", "99999/1/1", "1/1/10000"})
    EXPECT_THROW(StrToDate(bad), EConvertError) << bad;
  EXPECT_EQ(MessageOf<EConvertError>([] { StrToDate("abc"); }), "'abc' is not a valid date");

  const TFormatSettings de = German();
  EXPECT_THROW(StrToDate("31.12.", de), EConvertError);
  TDateTime dt = 0;
  EXPECT_TRUE(TryStrToDate("31.12", dt, de));
  EXPECT_EQ(double(dt), double(EncodeDate(2026, 12, 31)));
}

TEST_F(DateTimeTest, StrToTimeAndDateTime) {
  const std::pair<const char*, double> times[] = {
      {"5:06:07 pm", EncodeTime(17, 6, 7, 0)}, {"12:00 AM", 0.0}, {"5 PM", EncodeTime(17, 0, 0, 0)},
      {"05:06:07.089", EncodeTime(5, 6, 7, 89)}};
  for (const auto& [text, time] : times) EXPECT_DOUBLE_EQ(StrToTime(text), time) << text;
  for (const char* bad : {"13:00 PM", "0:00 AM", "25:00", "5:60", "5:06 XM", "5:06:07.1000"})
    EXPECT_THROW(StrToTime(bad), EConvertError) << bad;
  EXPECT_DOUBLE_EQ(StrToDateTime("5:06"), EncodeTime(5, 6, 0, 0));
  for (const char* bad : {"3/4/2021 25:00", "x 5:06", "3/4/2021 5:06 junk"})
    EXPECT_THROW(StrToDateTime(bad), EConvertError) << bad;
  // What DateTimeToStr writes, StrToDateTime reads back (to the second).
  for (TDateTime dt : {At(2021, 3, 4, 17, 6, 7), At(1999, 12, 31, 0, 0, 1), At(2040, 2, 29, 12, 0, 0)}) {
    EXPECT_DOUBLE_EQ(StrToDateTime(DateTimeToStr(dt)), dt);
    EXPECT_DOUBLE_EQ(StrToDateTime(DateTimeToStr(dt, German()), German()), dt);
  }
}

TEST_F(DateTimeTest, LooseReaderTakesBlanksAndMonthNames) {
  const TFormatSettings& fs = FormatSettings;
  TDateTime dt = 0;
  const struct {
    const char* text;
    TDateTime expected;
  } good[] = {
      {"Thursday, March 4, 2021", EncodeDate(2021, 3, 4)},
      {"4-mar-21", EncodeDate(2021, 3, 4)},
      {"MARCH 2021", EncodeDate(2021, 3, 1)},
      {"4 Mar 2021 17:06", At(2021, 3, 4, 17, 6)},
  };
  for (const auto& g : good) {
    ASSERT_TRUE(TryTextToDateTimeLoose(g.text, dt, fs)) << g.text;
    EXPECT_DOUBLE_EQ(dt, g.expected) << g.text;
  }
  for (const char* bad : {"", "foo 2021", "March April 4", "1 2 3 4", "31 Feb 2021", "4 March 2021 junk", "123456 1 1"})
    EXPECT_FALSE(TryTextToDateTimeLoose(bad, dt, fs)) << bad;
  EXPECT_TRUE(TryTextToDateTimeLoose("4. M\xC4RZ 2021", dt, German()));   // names in the code page's case
  EXPECT_DOUBLE_EQ(dt, EncodeDate(2021, 3, 4));
}

// Each test leaves the built-in locale behind.
class FormatSettingsTest : public ::testing::Test {
 protected:
  void TearDown() override {
    ResetLocale();
    GetFormatSettings();
  }
};

TEST_F(FormatSettingsTest, FilledFromTheLocaleTable) {
  SetCurrentLocale(GermanLocale());
  GetFormatSettings();
  const TFormatSettings& fs = FormatSettings;
  EXPECT_EQ((String{fs.DecimalSeparator, fs.ThousandSeparator, fs.DateSeparator}), ",..");
  EXPECT_EQ(DateTimeToStr(ComposeDateTime(EncodeDate(2021, 3, 4), EncodeTime(17, 6, 7, 0))),
            "04.03.2021 17:06:07");
  EXPECT_EQ(FloatToStrF(-1234.5, TFloatFormat::ffCurrency, 15, 2), "-1.234,50 \x80");

  FormatSettings.DecimalSeparator = '?';
  SysUtilsInitialize();   // start-up reads the locale as well
  EXPECT_EQ(FormatSettings.DecimalSeparator, ',');
  SysUtilsFinalize();
  EXPECT_EQ(FormatSettings.DecimalSeparator, '.');

}

TEST_F(FormatSettingsTest, PicturesWithTextAndOddTablesTranslate) {
  LocaleTable t = UsEnglishLocale();
  t.shortDate = "d 'de' MMMM, ''yy";
  t.timeFormat = "HH 'h' mm";
  t.currencyFormat = 9;            // outside 0..3
  t.negativeCurrencyFormat = 40;   // outside 0..15
  t.currencyDigits = 0;
  SetCurrentLocale(t);
  GetFormatSettings();
  EXPECT_EQ(FormatSettings.ShortDateFormat, "d \"de\" MMMM, \"'\"yy");
  const TDateTime dt = ComposeDateTime(EncodeDate(2021, 3, 4), EncodeTime(17, 6, 0, 0));
  EXPECT_EQ(DateToStr(dt), "4 de March, '21");
  EXPECT_EQ(TimeToStr(dt), "17 h 06");
  EXPECT_EQ(Format("%m", {-2.5}), "($3)");
}
