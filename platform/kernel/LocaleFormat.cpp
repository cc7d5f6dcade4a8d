// GetDateFormatA and GetTimeFormatA over the locale table.
#include "platform/kernel/Clock.h"
#include "platform/kernel/Locale.h"
#include "platform/kernel/LocaleInternal.h"

#include <cstdio>
#include <ctime>

namespace {

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
  static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}

// 0 Sunday .. 6 Saturday, from days since the civil epoch (1970-01-01 was a Thursday).
int WeekDay(int y, int m, int d) {
  y -= m <= 2;
  const int era = (y >= 0 ? y : y - 399) / 400;
  const int yoe = y - era * 400;
  const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  const Int64 days = Int64(era) * 146097 + doe - 719468;
  return int(((days + 4) % 7 + 7) % 7);
}

SYSTEMTIME LocalNow() {
  const std::time_t now = CurrentClock().WallTime();
  std::tm tm{};
  localtime_r(&now, &tm);
  SYSTEMTIME st;
  st.wYear = WORD(tm.tm_year + 1900);
  st.wMonth = WORD(tm.tm_mon + 1);
  st.wDay = WORD(tm.tm_mday);
  st.wDayOfWeek = WORD(tm.tm_wday);
  st.wHour = WORD(tm.tm_hour);
  st.wMinute = WORD(tm.tm_min);
  st.wSecond = WORD(tm.tm_sec);
  return st;
}

String Digits(int v, int width) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%0*d", width, v);
  return buf;
}

// Expands `picture`: `letters` are the pattern letters this function knows; runs of
// them go to `field`, quotes give literal text, anything else is copied.
template <class Field>
String Expand(const String& picture, const char* letters, Field field) {
  String out;
  const size_t n = picture.size();
  size_t i = 0;
  while (i < n) {
    const char c = picture[i];
    // A quote always opens literal text; inside it a doubled quote is one quote, so two
    // quotes alone are empty text and four are one quote.
    if (c == '\'') {
      ++i;
      while (i < n) {
        if (picture[i] == '\'') {
          if (i + 1 < n && picture[i + 1] == '\'') {
            out += '\'';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        out += picture[i++];
      }
      continue;
    }
    bool known = false;
    for (const char* l = letters; *l; ++l) known = known || (*l == c);
    if (!known) {
      out += c;
      ++i;
      continue;
    }
    size_t run = 1;
    while (i + run < n && picture[i + run] == c) ++run;
    field(out, c, run);
    i += run;
  }
  return out;
}

}  // namespace

int GetDateFormatA(LCID locale, DWORD flags, const SYSTEMTIME* date, LPCSTR format, LPSTR buf,
                   int cch) {
  const LocaleTable* t = LocaleFor(locale);
  if (!t) return 0;
  const DWORD kind = flags & ~LOCALE_NOUSEROVERRIDE;
  if (kind & ~(DATE_SHORTDATE | DATE_LONGDATE)) return 0;
  if (kind == (DATE_SHORTDATE | DATE_LONGDATE)) return 0;
  if (format && kind != 0) return 0;  // a picture and a named format exclude each other
  SYSTEMTIME st = date ? *date : LocalNow();
  if (st.wYear < 1601 || st.wYear > 30827 || st.wMonth < 1 || st.wMonth > 12 || st.wDay < 1 ||
      st.wDay > DaysInMonth(st.wYear, st.wMonth))
    return 0;
  const int weekDay = WeekDay(st.wYear, st.wMonth, st.wDay);  // 0 Sunday
  const int nameIndex = (weekDay + 6) % 7;                    // the table counts from Monday
  const String picture =
      format ? String(format) : (kind == DATE_LONGDATE ? t->longDate : t->shortDate);
  const String text = Expand(picture, "dMyg", [&](String& out, char c, size_t run) {
    switch (c) {
      case 'd':
        if (run <= 2)
          out += Digits(st.wDay, int(run));
        else
          out += run == 3 ? t->abbrevDayNames[size_t(nameIndex)] : t->dayNames[size_t(nameIndex)];
        break;
      case 'M':
        if (run <= 2)
          out += Digits(st.wMonth, int(run));
        else
          out += run == 3 ? t->abbrevMonthNames[st.wMonth - 1u] : t->monthNames[st.wMonth - 1u];
        break;
      case 'y':
        out += run <= 2 ? Digits(st.wYear % 100, int(run)) : Digits(st.wYear, 1);
        break;
      default:  // 'g': the Gregorian calendar names no era
        break;
    }
  });
  return CopyOut(text, buf, cch);
}

int GetTimeFormatA(LCID locale, DWORD flags, const SYSTEMTIME* time, LPCSTR format, LPSTR buf,
                   int cch) {
  const LocaleTable* t = LocaleFor(locale);
  if (!t) return 0;
  if (flags & ~LOCALE_NOUSEROVERRIDE) return 0;
  SYSTEMTIME st = time ? *time : LocalNow();
  if (st.wHour > 23 || st.wMinute > 59 || st.wSecond > 59 || st.wMilliseconds > 999) return 0;
  const String picture = format ? String(format) : t->timeFormat;
  const String& marker = st.wHour < 12 ? t->am : t->pm;
  const String text = Expand(picture, "hHmst", [&](String& out, char c, size_t run) {
    const int width = run >= 2 ? 2 : 1;
    switch (c) {
      case 'h':
        out += Digits(st.wHour % 12 == 0 ? 12 : st.wHour % 12, width);
        break;
      case 'H':
        out += Digits(st.wHour, width);
        break;
      case 'm':
        out += Digits(st.wMinute, width);
        break;
      case 's':
        out += Digits(st.wSecond, width);
        break;
      default:  // 't'
        out += run == 1 ? marker.substr(0, 1) : marker;
        break;
    }
  });
  return CopyOut(text, buf, cch);
}
