// The locale: one fixed table of formats and names, never the C library's locale (tests
// must not depend on the machine, and a minimal system has no usable one). The built-in
// table is US English; two more tables exist for tests: German, and one whose date
// formats carry the era letter.
#pragma once

#include "platform/kernel/Types.h"

#include <array>

struct SYSTEMTIME {
  WORD wYear = 0;
  WORD wMonth = 0;
  WORD wDayOfWeek = 0;  // ignored on input: the weekday is computed from the date
  WORD wDay = 0;
  WORD wHour = 0;
  WORD wMinute = 0;
  WORD wSecond = 0;
  WORD wMilliseconds = 0;
};
using LPSYSTEMTIME = SYSTEMTIME*;
using LCTYPE = DWORD;

inline constexpr LCID LOCALE_USER_DEFAULT = 0x0400;
inline constexpr LCID LOCALE_SYSTEM_DEFAULT = 0x0800;

inline constexpr LCTYPE LOCALE_NOUSEROVERRIDE = 0x80000000;  // accepted, no effect
inline constexpr LCTYPE LOCALE_USE_CP_ACP = 0x40000000;      // accepted, no effect

inline constexpr LCTYPE LOCALE_SDECIMAL = 0x0E;
inline constexpr LCTYPE LOCALE_STHOUSAND = 0x0F;
inline constexpr LCTYPE LOCALE_SCURRENCY = 0x14;
inline constexpr LCTYPE LOCALE_ICURRDIGITS = 0x19;
inline constexpr LCTYPE LOCALE_ICURRENCY = 0x1B;
inline constexpr LCTYPE LOCALE_INEGCURR = 0x1C;
inline constexpr LCTYPE LOCALE_SDATE = 0x1D;
inline constexpr LCTYPE LOCALE_STIME = 0x1E;
inline constexpr LCTYPE LOCALE_SSHORTDATE = 0x1F;
inline constexpr LCTYPE LOCALE_SLONGDATE = 0x20;
inline constexpr LCTYPE LOCALE_S1159 = 0x28;
inline constexpr LCTYPE LOCALE_S2359 = 0x29;
inline constexpr LCTYPE LOCALE_SDAYNAME1 = 0x2A;  // Monday; ..7 = Sunday (0x30)
inline constexpr LCTYPE LOCALE_SABBREVDAYNAME1 = 0x31;
inline constexpr LCTYPE LOCALE_SMONTHNAME1 = 0x38;  // January; ..12 = 0x43
inline constexpr LCTYPE LOCALE_SABBREVMONTHNAME1 = 0x44;
inline constexpr LCTYPE LOCALE_SSHORTTIME = 0x79;
inline constexpr LCTYPE LOCALE_STIMEFORMAT = 0x1003;
inline constexpr LCTYPE LOCALE_IFIRSTDAYOFWEEK = 0x100C;  // 0 Monday .. 6 Sunday
inline constexpr LCTYPE LOCALE_IFIRSTWEEKOFYEAR =
    0x100D;  // 0 contains 1 January, 1 first full week, 2 first four days

inline constexpr DWORD DATE_SHORTDATE = 0x1;
inline constexpr DWORD DATE_LONGDATE = 0x2;

struct LocaleTable {
  LCID lcid = 0;
  String decimal, thousand;
  String currency;
  int currencyDigits = 2;
  int currencyFormat = 0;          // 0..3: $1, 1$, $ 1, 1 $
  int negativeCurrencyFormat = 0;  // 0..15
  String dateSeparator, timeSeparator;
  // Pictures in the letters of GetDateFormatA / GetTimeFormatA.
  String shortDate, longDate, timeFormat, shortTime;
  String am, pm;
  std::array<String, 7> dayNames, abbrevDayNames;  // Monday first
  std::array<String, 12> monthNames, abbrevMonthNames;
  int firstDayOfWeek = 6;   // 0 Monday .. 6 Sunday
  int firstWeekOfYear = 0;  // 0..2
};

const LocaleTable& UsEnglishLocale();  // the built-in default
const LocaleTable& GermanLocale();
const LocaleTable& EraLocale();  // date pictures with the era letter "g"

// Makes `table` (copied) the current locale and calls the change hook, through which the
// window layer tells every top-level window about the new settings.
void SetCurrentLocale(const LocaleTable& table);
const LocaleTable& CurrentLocale();
// Back to the built-in table without calling the hook (unit start-up, test reset).
void ResetLocale();

using LocaleChangedHook = void (*)();
// Returns the previous hook; nullptr removes it.
LocaleChangedHook SetLocaleChangedHook(LocaleChangedHook hook);

LCID GetThreadLocale();

// Locale ids: LOCALE_USER_DEFAULT, LOCALE_SYSTEM_DEFAULT, the current table's id, or the id
// of a built-in table. The three functions answer the number of characters written including
// the terminating zero, or with cch 0 the number needed; 0 when the id, type, flags or date
// are not known or valid, or when the buffer is too short (GetLocaleInfoA still fills the
// buffer with what fits, without a terminating zero).
int GetLocaleInfoA(LCID locale, LCTYPE type, LPSTR data, int cch);
// flags: 0, DATE_SHORTDATE or DATE_LONGDATE (only without a picture); `date` nullptr means
// now. Picture letters: d dd ddd dddd, M MM MMM MMMM, y yy yyyy, g (era: nothing), 'text'
// (where '' is a quote); anything else is copied. Years 1601..30827.
int GetDateFormatA(LCID locale, DWORD flags, const SYSTEMTIME* date, LPCSTR format, LPSTR buf,
                   int cch);
// flags: 0. Picture letters: h hh (12-hour), H HH, m mm, s ss, t tt (first letter or whole
// AM/PM), quotes as above. No picture: the table's time format.
int GetTimeFormatA(LCID locale, DWORD flags, const SYSTEMTIME* time, LPCSTR format, LPSTR buf,
                   int cch);

// String comparison of the locale: letters by their base letter, then accents, then case
// (lower before upper). Lengths of -1 mean "up to the zero"; otherwise exactly that many
// bytes are compared, zeros included. Answers CSTR_LESS_THAN, CSTR_EQUAL or
// CSTR_GREATER_THAN, or 0 for an unknown locale, unknown flags or a null string.
inline constexpr DWORD NORM_IGNORECASE = 0x00000001;
inline constexpr int CSTR_LESS_THAN = 1;
inline constexpr int CSTR_EQUAL = 2;
inline constexpr int CSTR_GREATER_THAN = 3;
int CompareStringA(LCID locale, DWORD flags, LPCSTR s1, int n1, LPCSTR s2, int n2);
