// Calendar arithmetic on TDateTime and the wall clock.
#include "classlib/core/SysUtils.h"
#include "platform/kernel/Clock.h"

#include <algorithm>
#include <cmath>
#include <ctime>

namespace {
const Word kMonthDays[2][12] = {{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
                                {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31}};

bool InRange(TDateTime dt) { return dt >= MinDateTime && dt < MaxDateTime + 1e-8; }

// Whole days since 0001-01-01 (day 1) and milliseconds of the day, rounded to the
// millisecond as one quantity so 23:59:59.9999 becomes the next day's midnight.
bool Split(TDateTime dt, Int64& days, Int64& msec) {
  if (!InRange(dt)) return false;
  double whole = std::trunc(dt);
  Int64 total = std::llround(std::fabs(dt - whole) * MSecsPerDay);
  Int64 d = Int64(whole);
  if (total >= MSecsPerDay) {   // the fraction rounded up to a whole day
    total -= MSecsPerDay;
    d += dt < 0 ? -1 : 1;
  }
  days = d + DateDelta;
  msec = total;
  if (days < 1 || days > 2958465 + DateDelta) return false;   // 0001-01-01 .. 9999-12-31
  return true;
}
}  // namespace

double Frac(double x) { return x - std::trunc(x); }
double Int(double x) { return std::trunc(x); }

bool IsLeapYear(Word year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

Word DaysInAMonth(Word year, Word month) {
  if (month < 1 || month > 12) return 0;
  return kMonthDays[IsLeapYear(year)][month - 1];
}

bool TryEncodeDate(Word year, Word month, Word day, TDateTime& out) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInAMonth(year, month))
    return false;
  Integer days = day;
  for (Word m = 1; m < month; ++m) days += DaysInAMonth(year, m);
  Integer y = year - 1;
  days += y * 365 + y / 4 - y / 100 + y / 400;
  out = double(days - DateDelta);
  return true;
}

TDateTime EncodeDate(Word year, Word month, Word day) {
  TDateTime r;
  if (!TryEncodeDate(year, month, day, r)) throw EConvertError(LoadResString(SysConst::SDateEncodeError));
  return r;
}

bool TryEncodeTime(Word hour, Word min, Word sec, Word msec, TDateTime& out) {
  if (hour >= 24 || min >= 60 || sec >= 60 || msec >= 1000) return false;
  out = double((hour * 3600000 + min * 60000 + sec * 1000 + msec)) / MSecsPerDay;
  return true;
}

TDateTime EncodeTime(Word hour, Word min, Word sec, Word msec) {
  TDateTime r;
  if (!TryEncodeTime(hour, min, sec, msec, r)) throw EConvertError(LoadResString(SysConst::STimeEncodeError));
  return r;
}

void DecodeDate(TDateTime dt, Word& year, Word& month, Word& day) {
  Int64 days, msec;
  year = month = day = 0;
  if (!Split(dt, days, msec) || days <= 0) return;
  // Days since 0001-01-01 (0-based) in 400-, 100-, 4- and 1-year cycles.
  Int64 t = days - 1;
  Int64 y = 1;
  y += 400 * (t / 146097);
  t %= 146097;
  Int64 c = t / 36524;
  if (c == 4) c = 3;   // the last day of a 400-year cycle
  y += 100 * c;
  t -= c * 36524;
  y += 4 * (t / 1461);
  t %= 1461;
  Int64 k = t / 365;
  if (k == 4) k = 3;   // the last day of a leap cycle
  y += k;
  t -= k * 365;
  const Word* md = kMonthDays[IsLeapYear(Word(y))];
  Word m = 0;
  while (t >= md[m]) t -= md[m++];
  year = Word(y);
  month = Word(m + 1);
  day = Word(t + 1);
}

void DecodeTime(TDateTime dt, Word& hour, Word& min, Word& sec, Word& msec) {
  Int64 days, ms;
  hour = min = sec = msec = 0;
  if (!Split(dt, days, ms)) return;
  hour = Word(ms / 3600000);
  min = Word(ms / 60000 % 60);
  sec = Word(ms / 1000 % 60);
  msec = Word(ms % 1000);
}

TDateTime ComposeDateTime(TDateTime date, TDateTime time) {
  double d = std::trunc(date), t = std::fabs(time - std::trunc(time));
  return d < 0 ? d - t : d + t;
}

Word DayOfWeek(TDateTime dt) {
  Int64 days, ms;
  if (!Split(dt, days, ms)) return 0;
  Int64 r = days % 7;
  if (r < 0) r += 7;
  return Word(r + 1);   // 0001-01-01 (day 1) was a Monday
}

Word DaysInMonth(TDateTime dt) {
  Word y, m, d;
  DecodeDate(dt, y, m, d);
  return DaysInAMonth(y, m);
}

TDateTime IncMonth(TDateTime dt, int months) {
  Word y, m, d;
  DecodeDate(dt, y, m, d);
  if (y == 0) return dt;
  Int64 total = Int64(y) * 12 + (m - 1) + months;
  Int64 ny = total / 12, nm = total % 12 + 1;
  if (ny < 1 || ny > 9999) throw EConvertError(LoadResString(SysConst::SDateEncodeError));
  Word nd = std::min<Word>(d, DaysInAMonth(Word(ny), Word(nm)));
  return ComposeDateTime(EncodeDate(Word(ny), Word(nm), nd), dt);
}

void DateTimeToSystemTime(TDateTime dt, SYSTEMTIME& st) {
  DecodeDate(dt, st.wYear, st.wMonth, st.wDay);
  DecodeTime(dt, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds);
  Word dow = DayOfWeek(dt);
  st.wDayOfWeek = dow ? Word(dow - 1) : 0;
}

TDateTime SystemTimeToDateTime(const SYSTEMTIME& st) {
  return ComposeDateTime(EncodeDate(st.wYear, st.wMonth, st.wDay),
                         EncodeTime(st.wHour, st.wMinute, st.wSecond, st.wMilliseconds));
}

namespace {
// The wall clock's local date and time of day, kept apart so Time() carries no rounding
// from the day number.
void LocalNow(TDateTime& date, TDateTime& time) {
  std::time_t t = tl_time(nullptr);
  std::tm local{};
  localtime_r(&t, &local);
  if (!TryEncodeDate(Word(local.tm_year + 1900), Word(local.tm_mon + 1), Word(local.tm_mday), date)) date = 0;
  // A leap second reads as the last second of its minute.
  if (!TryEncodeTime(Word(local.tm_hour), Word(local.tm_min), Word(std::min(local.tm_sec, 59)), 0, time)) time = 0;
}
}  // namespace

TDateTime Now() {
  TDateTime d, t;
  LocalNow(d, t);
  return ComposeDateTime(d, t);
}

TDateTime Date() {
  TDateTime d, t;
  LocalNow(d, t);
  return d;
}

TDateTime Time() {
  TDateTime d, t;
  LocalNow(d, t);
  return t;
}
