#include "platform/kernel/Locale.h"
#include "platform/kernel/LocaleInternal.h"

#include <cstring>

namespace {

LocaleTable MakeUsEnglish() {
  LocaleTable t;
  t.lcid = 0x0409;
  t.decimal = ".";
  t.thousand = ",";
  t.currency = "$";
  t.currencyDigits = 2;
  t.currencyFormat = 0;
  t.negativeCurrencyFormat = 0;
  t.dateSeparator = "/";
  t.timeSeparator = ":";
  t.shortDate = "M/d/yyyy";
  t.longDate = "dddd, MMMM d, yyyy";
  t.timeFormat = "h:mm:ss tt";
  t.shortTime = "h:mm tt";
  t.am = "AM";
  t.pm = "PM";
  t.dayNames = {"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};
  t.abbrevDayNames = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
  t.monthNames = {"January", "February", "March",     "April",   "May",      "June",
                  "July",    "August",   "September", "October", "November", "December"};
  t.abbrevMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  t.firstDayOfWeek = 6;
  t.firstWeekOfYear = 0;
  return t;
}

LocaleTable MakeGerman() {
  LocaleTable t;
  t.lcid = 0x0407;
  t.decimal = ",";
  t.thousand = ".";
  t.currency = "\x80";  // the euro sign
  t.currencyDigits = 2;
  t.currencyFormat = 3;          // 1 €
  t.negativeCurrencyFormat = 8;  // -1 €
  t.dateSeparator = ".";
  t.timeSeparator = ":";
  t.shortDate = "dd.MM.yyyy";
  t.longDate = "dddd, d. MMMM yyyy";
  t.timeFormat = "HH:mm:ss";
  t.shortTime = "HH:mm";
  t.dayNames = {"Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag", "Sonntag"};
  t.abbrevDayNames = {"Mo", "Di", "Mi", "Do", "Fr", "Sa", "So"};
  t.monthNames = {"Januar", "Februar", "M\xE4rz",   "April",   "Mai",      "Juni",
                  "Juli",   "August",  "September", "Oktober", "November", "Dezember"};
  t.abbrevMonthNames = {"Jan", "Feb", "M\xE4r", "Apr", "Mai", "Jun",
                        "Jul", "Aug", "Sep",    "Okt", "Nov", "Dez"};
  t.firstDayOfWeek = 0;
  t.firstWeekOfYear = 2;
  return t;
}

// The formats of an era-based calendar, with English texts: what matters to callers is
// the era letter, which format parsers of the class library reject.
LocaleTable MakeEra() {
  LocaleTable t = MakeUsEnglish();
  t.lcid = 0x0411;
  t.shortDate = "gg yyyy/MM/dd";
  t.longDate = "gg yyyy MMMM d";
  t.timeFormat = "H:mm:ss";
  t.shortTime = "H:mm";
  t.currency = "\xA5";  // the yen sign
  t.currencyDigits = 0;
  t.negativeCurrencyFormat = 1;
  return t;
}

LocaleTable& Current() {
  static LocaleTable table = MakeUsEnglish();
  return table;
}

LocaleChangedHook g_hook = nullptr;

String Number(int v) { return std::to_string(v); }

// The value of `type` in `t`; false for an unknown type.
bool Lookup(const LocaleTable& t, LCTYPE type, String& out) {
  if (type >= LOCALE_SDAYNAME1 && type < LOCALE_SDAYNAME1 + 7) {
    out = t.dayNames[type - LOCALE_SDAYNAME1];
    return true;
  }
  if (type >= LOCALE_SABBREVDAYNAME1 && type < LOCALE_SABBREVDAYNAME1 + 7) {
    out = t.abbrevDayNames[type - LOCALE_SABBREVDAYNAME1];
    return true;
  }
  if (type >= LOCALE_SMONTHNAME1 && type < LOCALE_SMONTHNAME1 + 12) {
    out = t.monthNames[type - LOCALE_SMONTHNAME1];
    return true;
  }
  if (type >= LOCALE_SABBREVMONTHNAME1 && type < LOCALE_SABBREVMONTHNAME1 + 12) {
    out = t.abbrevMonthNames[type - LOCALE_SABBREVMONTHNAME1];
    return true;
  }
  switch (type) {
    case LOCALE_SDECIMAL:
      out = t.decimal;
      return true;
    case LOCALE_STHOUSAND:
      out = t.thousand;
      return true;
    case LOCALE_SCURRENCY:
      out = t.currency;
      return true;
    case LOCALE_ICURRDIGITS:
      out = Number(t.currencyDigits);
      return true;
    case LOCALE_ICURRENCY:
      out = Number(t.currencyFormat);
      return true;
    case LOCALE_INEGCURR:
      out = Number(t.negativeCurrencyFormat);
      return true;
    case LOCALE_SDATE:
      out = t.dateSeparator;
      return true;
    case LOCALE_STIME:
      out = t.timeSeparator;
      return true;
    case LOCALE_SSHORTDATE:
      out = t.shortDate;
      return true;
    case LOCALE_SLONGDATE:
      out = t.longDate;
      return true;
    case LOCALE_STIMEFORMAT:
      out = t.timeFormat;
      return true;
    case LOCALE_SSHORTTIME:
      out = t.shortTime;
      return true;
    case LOCALE_S1159:
      out = t.am;
      return true;
    case LOCALE_S2359:
      out = t.pm;
      return true;
    case LOCALE_IFIRSTDAYOFWEEK:
      out = Number(t.firstDayOfWeek);
      return true;
    case LOCALE_IFIRSTWEEKOFYEAR:
      out = Number(t.firstWeekOfYear);
      return true;
    default:
      return false;
  }
}

}  // namespace

const LocaleTable& UsEnglishLocale() {
  static const LocaleTable table = MakeUsEnglish();
  return table;
}

const LocaleTable& GermanLocale() {
  static const LocaleTable table = MakeGerman();
  return table;
}

const LocaleTable& EraLocale() {
  static const LocaleTable table = MakeEra();
  return table;
}

void SetCurrentLocale(const LocaleTable& table) {
  Current() = table;
  if (g_hook) g_hook();
}

const LocaleTable& CurrentLocale() { return Current(); }

void ResetLocale() { Current() = UsEnglishLocale(); }

LocaleChangedHook SetLocaleChangedHook(LocaleChangedHook hook) {
  LocaleChangedHook previous = g_hook;
  g_hook = hook;
  return previous;
}

LCID GetThreadLocale() { return Current().lcid; }

const LocaleTable* LocaleFor(LCID id) {
  if (id == LOCALE_USER_DEFAULT || id == LOCALE_SYSTEM_DEFAULT || id == Current().lcid)
    return &Current();
  for (const LocaleTable* t : {&UsEnglishLocale(), &GermanLocale(), &EraLocale()})
    if (t->lcid == id) return t;
  return nullptr;
}

int CopyOut(const String& text, LPSTR buf, int cch) {
  const int needed = int(text.size()) + 1;
  if (cch < 0 || (cch > 0 && !buf)) return 0;
  if (cch == 0) return needed;
  if (needed > cch) return 0;
  std::memcpy(buf, text.data(), text.size());
  buf[text.size()] = '\0';
  return needed;
}

int GetLocaleInfoA(LCID locale, LCTYPE type, LPSTR data, int cch) {
  const LocaleTable* t = LocaleFor(locale);
  if (!t) return 0;
  String value;
  if (!Lookup(*t, type & ~(LOCALE_NOUSEROVERRIDE | LOCALE_USE_CP_ACP), value)) return 0;
  if (cch > 0 && data && size_t(cch) <= value.size()) {
    // Too short: a failure, but what fits is there, as on the platform.
    std::memcpy(data, value.data(), size_t(cch));
    return 0;
  }
  return CopyOut(value, data, cch);
}
