#include "tests/support/KernelTest.h"

#include "platform/kernel/Locale.h"

#include <cstdio>
#include <cstring>
#include <ctime>
#include <tuple>
#include <utility>

namespace {

using LocaleTest = KernelTest;

constexpr LCID kUs = 0x0409;
constexpr LCID kGerman = 0x0407;

String Info(LCID lcid, LCTYPE type) {
  char buf[100];
  const int n = GetLocaleInfoA(lcid, type, buf, sizeof buf);
  if (n == 0) return "<fail>";
  EXPECT_EQ(n, int(std::strlen(buf)) + 1) << "count includes the terminating zero";
  return buf;
}

SYSTEMTIME Day(int y, int m, int d, int h = 0, int mi = 0, int s = 0) {
  return {WORD(y), WORD(m), 0, WORD(d), WORD(h), WORD(mi), WORD(s), 0};
}

String Date(LCID lcid, DWORD flags, const SYSTEMTIME& st, const char* picture) {
  char buf[256];
  const int n = GetDateFormatA(lcid, flags, &st, picture, buf, sizeof buf);
  if (n == 0) return "<fail>";
  EXPECT_EQ(n, int(std::strlen(buf)) + 1);
  return buf;
}

String Time(LCID lcid, const SYSTEMTIME& st, const char* picture) {
  char buf[256];
  const int n = GetTimeFormatA(lcid, 0, &st, picture, buf, sizeof buf);
  if (n == 0) return "<fail>";
  EXPECT_EQ(n, int(std::strlen(buf)) + 1);
  return buf;
}

// Expects each (type, answer) of the table `lcid` stands for.
void ExpectInfo(LCID lcid, std::initializer_list<std::pair<LCTYPE, const char*>> answers) {
  for (auto [type, want] : answers) EXPECT_EQ(Info(lcid, type), want) << "type " << type;
}

int g_hookCalls = 0;
LCID g_lcidSeenByHook = 0;
void CountingHook() {
  ++g_hookCalls;
  g_lcidSeenByHook = GetThreadLocale();
}

}  // namespace

TEST_F(LocaleTest, BuiltInTableIsUsEnglish) {
  EXPECT_EQ(GetThreadLocale(), kUs);
  // Day names start on Monday; the indexed fields are the ones most easily shifted.
  ExpectInfo(LOCALE_USER_DEFAULT, {{LOCALE_SSHORTDATE, "M/d/yyyy"}, {LOCALE_SDAYNAME1 + 6, "Sunday"},
                                   {LOCALE_SABBREVMONTHNAME1 + 8, "Sep"}});
}

TEST_F(LocaleTest, GermanTableAnswersByIdAndWhenCurrent) {
  EXPECT_EQ(Info(kGerman, LOCALE_SSHORTDATE), "dd.MM.yyyy");
  SetCurrentLocale(GermanLocale());
  EXPECT_EQ(GetThreadLocale(), kGerman);
  // The currency goes after the number, with a blank (3).
  ExpectInfo(LOCALE_USER_DEFAULT, {{LOCALE_SCURRENCY, "\x80"}, {LOCALE_ICURRENCY, "3"}, {LOCALE_SMONTHNAME1 + 2, "M\xE4rz"}});
  // The other tables stay reachable by id.
}

TEST_F(LocaleTest, UnknownIdsTypesAndShortBuffersFail) {
  char buf[8] = "xxxxxxx";
  EXPECT_EQ(GetLocaleInfoA(0x0413, LOCALE_SDATE, buf, sizeof buf), 0);
  EXPECT_EQ(GetLocaleInfoA(kUs, LOCALE_SDAYNAME1 + 7 + 7 + 12 + 12, buf, sizeof buf), 0);
  // "M/d/yyyy" needs 9 bytes with its zero.
  EXPECT_EQ(GetLocaleInfoA(kUs, LOCALE_SSHORTDATE, nullptr, 0), 9);
  EXPECT_EQ(GetLocaleInfoA(kUs, LOCALE_SSHORTDATE, buf, 8), 0);
  EXPECT_EQ(GetLocaleInfoA(kUs, LOCALE_SDATE, nullptr, 5), 0);
  // A short buffer fails yet holds what fits, with no zero after it.
  char day[8] = "#######";
  EXPECT_EQ(GetLocaleInfoA(kUs, LOCALE_SDAYNAME1, day, 3), 0);
  EXPECT_EQ(std::string(day), "Mon####");
}

TEST_F(LocaleTest, SwitchCallsTheHookOnceWithTheNewTableInPlace) {
  // The window layer installs its own hook when it starts; this test stands in for it.
  const LocaleChangedHook windowLayerHook = SetLocaleChangedHook(nullptr);
  SetCurrentLocale(GermanLocale());  // no hook: nothing to tell, nothing breaks
  g_hookCalls = 0;
  EXPECT_EQ(SetLocaleChangedHook(CountingHook), nullptr);
  SetCurrentLocale(UsEnglishLocale());
  EXPECT_EQ(g_hookCalls, 1);
  EXPECT_EQ(g_lcidSeenByHook, kUs);
  EXPECT_EQ(SetLocaleChangedHook(nullptr), &CountingHook);
  SetCurrentLocale(GermanLocale());
  EXPECT_EQ(g_hookCalls, 1);
  SetLocaleChangedHook(windowLayerHook);
}

TEST_F(LocaleTest, NamedDateFormats) {
  const SYSTEMTIME st = Day(2021, 1, 5);
  EXPECT_EQ(Date(kUs, 0, st, nullptr), "1/5/2021");
  EXPECT_EQ(Date(kUs, DATE_LONGDATE, st, nullptr), "Tuesday, January 5, 2021");
  EXPECT_EQ(Date(kGerman, 0, st, nullptr), "05.01.2021");
  EXPECT_EQ(Date(kGerman, DATE_LONGDATE, Day(2024, 3, 4), nullptr), "Montag, 4. M\xE4rz 2024");
  EXPECT_EQ(Date(EraLocale().lcid, 0, st, nullptr), " 2021/01/05");  // the era prints nothing
}

TEST_F(LocaleTest, DatePictureLetters) {
  const SYSTEMTIME st = Day(2009, 3, 7);  // a Saturday
  EXPECT_EQ(Date(kUs, 0, st, "d dd ddd dddd ddddd"), "7 07 Sat Saturday Saturday");
  EXPECT_EQ(Date(kUs, 0, st, "y yy yyy yyyy yyyyy"), "9 09 2009 2009 2009");
  // A quote always opens literal text, where a doubled quote is one quote.
  EXPECT_EQ(Date(kUs, 0, st, "d''M"), "73");
  EXPECT_EQ(Date(kUs, 0, st, "''''d"), "'7");
  EXPECT_EQ(Date(kUs, 0, st, "'''d'd"), "'d7");
  EXPECT_EQ(Date(kUs, 0, st, "'unclosed d"), "unclosed d");
  EXPECT_EQ(Date(kUs, 0, st, "h:m:s t, d"), "h:m:s t, 7");  // time letters are text here
  EXPECT_EQ(Date(kGerman, 0, st, "dddd d. MMM"), "Samstag 7. M\xE4r");
}

TEST_F(LocaleTest, TheWeekdayIsComputedNotTaken) {
  SYSTEMTIME st = Day(2000, 2, 29);
  st.wDayOfWeek = 0;
  EXPECT_EQ(Date(kUs, 0, st, "dddd"), "Tuesday");
  EXPECT_EQ(Date(kUs, 0, Day(1601, 1, 1), "dddd"), "Monday");
}

TEST_F(LocaleTest, InvalidDatesAndFlagsFail) {
  for (auto [y, m, d] : {std::tuple{2021, 2, 29}, {1900, 2, 29}, {2021, 13, 1}, {2021, 4, 0}, {1600, 12, 31},
                         {30828, 1, 1}})
    EXPECT_EQ(Date(kUs, 0, Day(y, m, d), nullptr), "<fail>") << y << "-" << m << "-" << d;
  EXPECT_EQ(Date(kUs, 0, Day(30827, 12, 31), "yyyy"), "30827");
  EXPECT_EQ(Date(kUs, 0x4, Day(2021, 1, 1), nullptr), "<fail>");
  EXPECT_EQ(Date(kUs, DATE_SHORTDATE | DATE_LONGDATE, Day(2021, 1, 1), nullptr), "<fail>");
  EXPECT_EQ(Date(kUs, DATE_LONGDATE, Day(2021, 1, 1), "d"), "<fail>");
  EXPECT_EQ(Date(0x0413, 0, Day(2021, 1, 1), nullptr), "<fail>");
}

TEST_F(LocaleTest, FormattingCountsTheZeroAndRefusesShortBuffers) {
  const SYSTEMTIME st = Day(2021, 1, 5);
  EXPECT_EQ(GetDateFormatA(kUs, 0, &st, nullptr, nullptr, 0), 9);  // "1/5/2021"
  char buf[9];
  EXPECT_EQ(GetDateFormatA(kUs, 0, &st, nullptr, buf, 8), 0);
  EXPECT_EQ(GetDateFormatA(kUs, 0, &st, nullptr, buf, 9), 9);
  EXPECT_STREQ(buf, "1/5/2021");
}

TEST_F(LocaleTest, TimePictures) {
  const std::tuple<LCID, int, int, int, const char*> named[] = {
      {kUs, 0, 5, 9, "12:05:09 AM"}, {kUs, 12, 0, 0, "12:00:00 PM"}, {kGerman, 9, 7, 2, "09:07:02"}};
  for (auto [lcid, h, m, s, want] : named) EXPECT_EQ(Time(lcid, Day(2021, 1, 5, h, m, s), nullptr), want);
  const SYSTEMTIME st = Day(2021, 1, 5, 9, 5, 3);
  EXPECT_EQ(Time(kUs, st, "h hh hhh H HH m mm s ss t tt"), "9 09 09 9 09 5 05 3 03 A AM");
  EXPECT_EQ(Time(kGerman, st, "H:mm tt|t"), "9:05 |");  // no markers in this table
}

TEST_F(LocaleTest, InvalidTimesAndFlagsFail) {
  for (auto [h, m, s] : {std::tuple{24, 0, 0}, {1, 60, 0}, {1, 0, 60}})
    EXPECT_EQ(Time(kUs, Day(2021, 1, 5, h, m, s), nullptr), "<fail>") << h << ":" << m << ":" << s;
  SYSTEMTIME st = Day(2021, 1, 5, 1, 0, 0);
  st.wMilliseconds = 1000;
  EXPECT_EQ(Time(kUs, st, nullptr), "<fail>");
  st.wMilliseconds = 0;
  char buf[32];
  EXPECT_EQ(GetTimeFormatA(kUs, 0x2, &st, nullptr, buf, sizeof buf), 0);
  EXPECT_EQ(GetTimeFormatA(kUs, LOCALE_NOUSEROVERRIDE, &st, nullptr, buf, sizeof buf), 11);
}

TEST_F(LocaleTest, NoDateMeansNowOnTheInstalledClock) {
  Clock().Advance(3 * 86400 * 1000u);
  const std::time_t now = VirtualClock::kDefaultEpoch + 3 * 86400;
  std::tm tm{};
  localtime_r(&now, &tm);
  char expected[64];
  std::snprintf(expected, sizeof expected, "%d/%d/%d %d", tm.tm_mon + 1, tm.tm_mday,
                tm.tm_year + 1900, tm.tm_min);
  char date[64], time[16];
  ASSERT_GT(GetDateFormatA(kUs, 0, nullptr, nullptr, date, sizeof date), 0);
  ASSERT_GT(GetTimeFormatA(kUs, 0, nullptr, "m", time, sizeof time), 0);
  EXPECT_EQ(String(date) + " " + time, expected);
}
