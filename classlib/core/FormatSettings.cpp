// The process-wide format settings, read from the platform's locale table.
#include "classlib/core/SysUtils.h"
#include "platform/kernel/Locale.h"

#include <vector>

TFormatSettings FormatSettings;
const TSysLocale SysLocale;

TMbcsByteType ByteType(const String&, int) { return TMbcsByteType::mbSingleByte; }

TFormatSettings DefaultFormatSettings() { return TFormatSettings(); }

namespace {

bool Info(LCTYPE type, String& out) {
  int need = GetLocaleInfoA(LOCALE_USER_DEFAULT, type, nullptr, 0);
  if (need <= 0) return false;
  std::vector<char> buf(size_t(need) + 1, '\0');
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buf.data(), need) <= 0) return false;
  out = buf.data();
  return true;
}

void InfoText(LCTYPE type, String& field) {
  String s;
  if (Info(type, s)) field = s;
}

void InfoChar(LCTYPE type, Char& field) {
  String s;
  if (Info(type, s)) field = s.empty() ? Char(0) : s[0];
}

void InfoNumber(LCTYPE type, Byte& field, int max) {
  String s;
  if (!Info(type, s)) return;
  Integer v = StrToIntDef(Trim(s), 0);
  field = Byte(v >= 0 && v <= max ? v : 0);   // an answer outside the table counts as 0
}

// Translates a date or time picture of the platform into the class library's letters:
// H becomes h (the 24-hour clock follows from the missing AM/PM), t or tt becomes AMPM,
// the era letter is dropped, and '' (a quote) becomes a quoted quote.
String PictureToFormat(const String& p) {
  String r;
  for (size_t i = 0; i < p.size();) {
    Char c = p[i];
    if (c == '\'') {
      size_t j = p.find('\'', i + 1);
      if (j == i + 1) {
        r += "\"'\"";
        i += 2;
        continue;
      }
      if (j == String::npos) j = p.size();
      String text = p.substr(i + 1, j - i - 1);
      r += text.find('"') == String::npos ? "\"" + text + "\"" : "'" + text + "'";
      i = j + 1;
      continue;
    }
    if (c == 'H') {
      r += 'h';
    } else if (c == 't') {
      while (i + 1 < p.size() && p[i + 1] == 't') ++i;
      r += "AMPM";
    } else if (c == 'g') {
      while (i + 1 < p.size() && p[i + 1] == 'g') ++i;
      if (i + 1 < p.size() && p[i + 1] == ' ') ++i;   // the blank after the era goes with it
    } else {
      r += c;
    }
    ++i;
  }
  return r;
}

}  // namespace

void GetFormatSettings() {
  TFormatSettings fs = DefaultFormatSettings();
  InfoChar(LOCALE_SDECIMAL, fs.DecimalSeparator);
  InfoChar(LOCALE_STHOUSAND, fs.ThousandSeparator);
  InfoChar(LOCALE_SDATE, fs.DateSeparator);
  InfoChar(LOCALE_STIME, fs.TimeSeparator);
  String s;
  if (Info(LOCALE_SSHORTDATE, s)) fs.ShortDateFormat = PictureToFormat(s);
  if (Info(LOCALE_SLONGDATE, s)) fs.LongDateFormat = PictureToFormat(s);
  if (Info(LOCALE_SSHORTTIME, s)) fs.ShortTimeFormat = PictureToFormat(s);
  if (Info(LOCALE_STIMEFORMAT, s)) fs.LongTimeFormat = PictureToFormat(s);
  InfoText(LOCALE_S1159, fs.TimeAMString);
  InfoText(LOCALE_S2359, fs.TimePMString);
  for (int m = 0; m < 12; ++m) {
    InfoText(LOCALE_SMONTHNAME1 + LCTYPE(m), fs.LongMonthNames[m]);
    InfoText(LOCALE_SABBREVMONTHNAME1 + LCTYPE(m), fs.ShortMonthNames[m]);
  }
  // The platform counts Monday first; the class library Sunday first.
  for (int d = 0; d < 7; ++d) {
    LCTYPE k = LCTYPE((d + 6) % 7);
    InfoText(LOCALE_SDAYNAME1 + k, fs.LongDayNames[d]);
    InfoText(LOCALE_SABBREVDAYNAME1 + k, fs.ShortDayNames[d]);
  }
  InfoText(LOCALE_SCURRENCY, fs.CurrencyString);
  InfoNumber(LOCALE_ICURRENCY, fs.CurrencyFormat, 3);
  InfoNumber(LOCALE_INEGCURR, fs.NegCurrFormat, 15);
  InfoNumber(LOCALE_ICURRDIGITS, fs.CurrencyDecimals, 18);
  FormatSettings = fs;
}

void SysUtilsInitialize() { GetFormatSettings(); }

void SysUtilsFinalize() { FormatSettings = DefaultFormatSettings(); }
