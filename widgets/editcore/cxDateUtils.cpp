#include "widgets/editcore/cxDateUtils.h"

#include "classlib/core/SysUtils.h"
#include "classlib/core/Variants.h"
#include "platform/kernel/Units.h"
#include "widgets/editcore/cxFormats.h"
#include "widgets/foundation/cxClasses.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

Word cxMinYear = 100;
Integer cxMaxYear = 9999;
TcxSmartTextToDateFunc cxSmartTextToDateFunc = nullptr;
std::array<String, cxSmartDateWordCount> cxSmartDateWords;

const TResStringRec cxSDateWords[cxSmartDateWordCount] = {
    {65360, "today"},    {65361, "yesterday"}, {65362, "tomorrow"}, {65363, "Sunday"},
    {65364, "Monday"},   {65365, "Tuesday"},   {65366, "Wednesday"}, {65367, "Thursday"},
    {65368, "Friday"},   {65369, "Saturday"},  {65370, "first"},    {65371, "second"},
    {65372, "third"},    {65373, "fourth"},    {65374, "fifth"},    {65375, "sixth"},
    {65376, "seventh"},  {65377, "bom"},       {65378, "eom"},      {65379, "now"},
};

namespace {

UnitCounter gUnit;

constexpr Word kDaysPerMonth[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

// Whole days of a date value; values beyond the 64-bit range saturate rather than overflow.
int64_t TruncDays(double ADate) {
  if (!(ADate > -9.0e18)) return std::isnan(ADate) ? 0 : INT64_MIN / 2;
  if (ADate >= 9.0e18) return INT64_MAX / 2;
  return int64_t(std::trunc(ADate));
}

// Date of the given year's 1 January; false when the year cannot be encoded.
bool NewYear(Integer AYear, double& ADate) {
  if (AYear < 1 || AYear > 9999) return false;
  TDateTime d;
  if (!TryEncodeDate(Word(AYear), 1, 1, d)) return false;
  ADate = d.Value;
  return true;
}

Word YearOf(double ADate) { return cxGetDateElement(ADate, 0); }
Word MonthOf(double ADate) { return cxGetDateElement(ADate, 1); }

bool UseLibraryFormats() { return cxGetFormatController()->GetUseLibraryFormats(); }

bool HasTimePart(TDateTime ADate) { return cxTimeOf(ADate) != 0; }

// The rest after a smart word: empty, a lone sign, or a sign and an integer (blanks
// around the sign allowed). AOffset gets the signed number of days (a double: the lowest
// integer has no negative); a sign followed by something else raises, as the strict
// integer conversion does.
bool ReadOffset(const String& ARest, double& AOffset) {
  AOffset = 0;
  String rest = Trim(ARest);
  if (rest.empty()) return true;
  if (rest[0] != '+' && rest[0] != '-') return false;
  if (rest.size() < 2) return true;
  const double n = StrToInt(Trim(rest.substr(1)));
  AOffset = rest[0] == '-' ? -n : n;
  return true;
}

double SmartWordDate(int AIndex) {
  double today = Date().Value;
  double w = DayOfWeek(today);  // 1 Sunday .. 7 Saturday
  switch (AIndex) {
    case 0:
      return today;
    case 1:
      return today - 1;
    case 2:
      return today + 1;
    case 17:
    case 18: {
      Word y, m, d;
      DecodeDate(today, y, m, d);
      return EncodeDate(y, m, AIndex == 17 ? 1 : cxDaysPerMonth(y, m)).Value;
    }
    case cxSmartDateNowIndex:
      return Now().Value;
    default:
      break;
  }
  if (AIndex >= 3 && AIndex <= 9) {
    double k = AIndex - 2 - w;
    return k < 0 ? today + k + 7 : today + k;
  }
  return today - (9 - AIndex + w);  // first .. seventh
}

}  // namespace

void cxLoadSmartDateWords() {
  for (int i = 0; i < cxSmartDateWordCount; ++i) cxSmartDateWords[size_t(i)] = cxGetResourceString(cxSDateWords[i]);
}

// ---- Calendar arithmetic ----

void cxDecMonth(Word& AYear, Word& AMonth) {
  if (AMonth <= 1) {
    AMonth = 12;
    if (AYear > 0) --AYear;
  } else {
    --AMonth;
  }
}

void cxIncMonth(Word& AYear, Word& AMonth) {
  if (AMonth >= 12) {
    AMonth = 1;
    if (AYear < 65535) ++AYear;
  } else {
    ++AMonth;
  }
}

void cxAddMonths(Word& AYear, Word& AMonth, Integer ADelta) {
  int64_t year = int64_t(AYear) + ADelta / 12;
  int64_t month = int64_t(AMonth) + ADelta % 12;
  if (month < 1) {
    month += 12;
    --year;
  } else if (month > 12) {
    month -= 12;
    ++year;
  }
  AYear = Word(std::clamp<int64_t>(year, 0, 65535));
  AMonth = Word(std::clamp<int64_t>(month, 1, 12));
}

bool cxIsLeapYear(Integer AYear) { return AYear % 4 == 0 && (AYear % 100 != 0 || AYear % 400 == 0); }

Word cxDaysPerMonth(Integer AYear, Integer AMonth) {
  AMonth = std::clamp<Integer>(AMonth, 1, 12);
  if (AMonth == 2 && cxIsLeapYear(AYear)) return 29;
  return kDaysPerMonth[AMonth - 1];
}

Word cxCheckDay(Integer AYear, Integer AMonth, Integer ADay) {
  if (ADay < 1) return 1;
  Word days = cxDaysPerMonth(AYear, AMonth);
  return ADay > days ? days : Word(ADay);
}

Word cxGetDateElement(TDateTime ADate, Integer AKind) {
  Word y, m, d;
  DecodeDate(ADate, y, m, d);
  switch (AKind) {
    case 0:
      return y;
    case 1:
      return m;
    case 2:
      return d;
    default:
      return 0;
  }
}

double cxTimeOf(TDateTime ADate) { return std::fabs(Frac(ADate.Value)); }

double cxDateOf(TDateTime ADate) { return double(TruncDays(ADate.Value)); }

TDateTime cxGetWeekStart(TDateTime ADate, Integer AStartOfWeek) {
  // A start day outside 0..6 counts round the week, so the start never lies after the date.
  int64_t k = (int64_t(DayOfWeek(ADate)) - 1 - AStartOfWeek) % 7;
  if (k < 0) k += 7;
  return double(TruncDays(ADate.Value) - k);
}

Integer cxWeekOfYear(TDateTime ADate, TcxFirstWeekOfYear AFirstWeekOfYear, Integer AStartOfWeek) {
  if (AFirstWeekOfYear == TcxFirstWeekOfYear::fwySystem) {
    Integer rule = StrToIntDef(Trim(cxGetLocaleString(LOCALE_IFIRSTWEEKOFYEAR)), 0);
    AFirstWeekOfYear = TcxFirstWeekOfYear(std::clamp<Integer>(rule, 0, 2) + 1);
  }
  Integer year = YearOf(ADate);
  double jan1;
  if (!NewYear(year, jan1)) return 0;
  double w0 = cxGetWeekStart(jan1, AStartOfWeek).Value;
  if (AFirstWeekOfYear == TcxFirstWeekOfYear::fwyFirstFullWeek && YearOf(w0) < year) w0 += 7;
  if (AFirstWeekOfYear == TcxFirstWeekOfYear::fwyFirstFourDays && YearOf(w0 + 3) < year) w0 += 7;
  int64_t day = TruncDays(ADate.Value);
  // Days before the first week belong to the last week of the year before.
  if (double(day) < w0) {
    double dec31 = jan1 - 1;
    if (YearOf(dec31) < 1) return 0;
    return cxWeekOfYear(dec31, AFirstWeekOfYear, AStartOfWeek);
  }
  Integer week = Integer((day - int64_t(w0)) / 7 + 1);
  if (MonthOf(ADate) == 12) {
    double ws = cxGetWeekStart(ADate, AStartOfWeek).Value;
    if (AFirstWeekOfYear == TcxFirstWeekOfYear::fwyJan1 && MonthOf(ws + 6) == 1) week = 1;
    if (AFirstWeekOfYear == TcxFirstWeekOfYear::fwyFirstFourDays && MonthOf(ws + 3) == 1) week = 1;
  }
  return week;
}

TDateTime cxGetMinDate() { return EncodeDate(cxMinYear < 1 ? 1 : cxMinYear, 1, 1); }

// ---- Locale text ----

String cxGetLocaleString(LCTYPE ALCType) {
  int need = GetLocaleInfoA(GetThreadLocale(), ALCType, nullptr, 0);
  if (need <= 0) return String();
  std::vector<char> buf(size_t(need) + 1, '\0');
  if (GetLocaleInfoA(GetThreadLocale(), ALCType, buf.data(), need) <= 0) return String();
  return String(buf.data());
}

bool cxFormatLocaleDate(String& AText, DWORD AFlags, const String& AFormat, TDateTime ADate) {
  SYSTEMTIME st;
  DateTimeToSystemTime(ADate, st);
  char buf[256] = {};
  int n = GetDateFormatA(GetThreadLocale(), AFlags, &st, AFormat.empty() ? nullptr : AFormat.c_str(), buf,
                         int(sizeof buf));
  if (n > 1) {
    AText = String(buf);
    return true;
  }
  AText.clear();
  return false;
}

String cxGetLongDateText(TDateTime ADate) {
  String text;
  if (cxFormatLocaleDate(text, DATE_LONGDATE, String(), ADate)) return text;
  return FormatDateTime("dddddd", ADate);
}

String cxGetDateEditFormat(bool AFourDigitYear, TDateTime ADate) {
  String format;
  if (UseLibraryFormats()) {
    format = FormatSettings.ShortDateFormat;
    if (HasTimePart(ADate)) format += " " + FormatSettings.LongTimeFormat;
  } else {
    format = cxGetLocaleString(LOCALE_SSHORTDATE);
  }
  if (AFourDigitYear) {
    String lower = AnsiLowerCase(format);
    size_t at = lower.find("yy");
    if (lower.find("yyy") == String::npos && at != String::npos) format.replace(at, 2, "yyyy");
  }
  return format;
}

void cxDateTimeToLocaleText(bool AFourDigitYear, String& AText, TDateTime ADate) {
  AText.clear();
  if (ADate.Value == NullDate) return;
  String format = cxGetDateEditFormat(AFourDigitYear, ADate);
  if (UseLibraryFormats()) {
    AText = FormatDateTime(format, ADate);
    return;
  }
  SYSTEMTIME st;
  DateTimeToSystemTime(ADate, st);
  char buf[100] = {};
  if (GetDateFormatA(GetThreadLocale(), 0, &st, format.c_str(), buf, int(sizeof buf)) == 0) {
    AText = DateTimeToStr(ADate);
    return;
  }
  AText = buf;
  if (HasTimePart(ADate)) {
    char tbuf[100] = {};
    if (GetTimeFormatA(GetThreadLocale(), 0, &st, nullptr, tbuf, int(sizeof tbuf)) > 0) AText += String(" ") + tbuf;
  }
}

void cxDateTimeToText(bool AUseOwnFormat, bool AWithTime, bool AFourDigitYear, String& AText, TDateTime ADate) {
  AText.clear();
  if (ADate.Value == NullDate) return;
  if (!AUseOwnFormat) {
    cxDateTimeToLocaleText(AFourDigitYear, AText, ADate);
    return;
  }
  TcxFormatController* c = cxGetFormatController();
  if (AWithTime)
    AText = FormatDateTime(c->GetDateTimeDisplayFormat(), ADate);
  else
    AText = FormatDateTime(c->GetDateDisplayFormat(), cxDateOf(ADate));
}

// ---- Text to date ----

String cxBlankDateSeparators(const String& AText) {
  String sep = cxGetLocaleString(LOCALE_SDATE);
  String r = AText;
  if (sep.empty()) return r;
  std::replace(r.begin(), r.end(), sep[0], ' ');
  return r;
}

TDateTime cxStrToDateDef(const String& AText, TDateTime ADefault) {
  try {
    return StrToDate(AText);
  } catch (const Exception&) {
    return ADefault;
  }
}

namespace {

// The smart words alone, without the program's own conversion.
bool SmartWordToDate(const String& AText, TDateTime& ADate) {
  cxLoadSmartDateWords();
  String text = Trim(AText);
  std::vector<int> order;
  for (int i = 0; i < cxSmartDateWordCount; ++i)
    if (!cxSmartDateWords[size_t(i)].empty()) order.push_back(i);
  std::stable_sort(order.begin(), order.end(), [](int a, int b) {
    const String& wa = cxSmartDateWords[size_t(a)];
    const String& wb = cxSmartDateWords[size_t(b)];
    if (wa.size() != wb.size()) return wa.size() > wb.size();
    return AnsiCompareText(wa, wb) > 0;
  });
  for (int i : order) {
    const String& word = cxSmartDateWords[size_t(i)];
    if (text.size() < word.size() || !AnsiSameText(text.substr(0, word.size()), word)) continue;
    double offset = 0;
    if (!ReadOffset(text.substr(word.size()), offset)) continue;
    ADate = SmartWordDate(i) + offset;
    return true;
  }
  return false;
}

}  // namespace

bool cxSmartTextToDate(const String& AText, TDateTime& ADate) {
  if (SmartWordToDate(AText, ADate)) return true;
  if (cxSmartTextToDateFunc) return cxSmartTextToDateFunc(AText, ADate);
  return false;
}

bool cxTryTextToDate(const String& AText, TDateTime& ADate) {
  ADate = NullDate;
  String text = Trim(AText);
  if (text.empty()) return false;
  bool library = UseLibraryFormats();
  try {
    TDateTime value = NullDate;
    // A smart word's offset keeps its sign whatever the locale's date separator ("today-1"
    // where the separator is "-"): the words are read before the separators are blanked.
    if (!SmartWordToDate(text, value) && !cxSmartTextToDate(library ? text : cxBlankDateSeparators(text), value)) {
      if (library)
        value = StrToDateTime(text);
      else
        value = VarToDateTime(Variant(cxBlankDateSeparators(text)));
    }
    if (!(value.Value > -2147483648.0 && value.Value < 2147483647.0)) return false;
    Word y, m, d;
    DecodeDate(value, y, m, d);
    if (d == 0 || y > cxMaxYear) return false;
    ADate = value;
    return true;
  } catch (const Exception&) {
    ADate = NullDate;
    return false;
  }
}

bool cxTextToDateTime(const String& AText, bool AUseLocaleConversion, TDateTime& ADate) {
  ADate = NullDate;
  try {
    if (AUseLocaleConversion)
      ADate = VarToDateTime(Variant(cxBlankDateSeparators(AText)));
    else
      ADate = StrToDateTime(AText);
    return true;
  } catch (const Exception&) {
    ADate = NullDate;
    return false;
  }
}

// ---- Mask-language support ----

String cxQuoteTextRuns(const String& AText, const String& AApostrophe) {
  String r;
  size_t i = 0;
  while (i < AText.size()) {
    if (AText[i] == '\'') {
      r += AApostrophe;
      ++i;
      continue;
    }
    size_t j = AText.find('\'', i);
    if (j == String::npos) j = AText.size();
    r += "'" + AText.substr(i, j - i) + "'";
    i = j;
  }
  return r;
}

String cxQuoteRegExprText(const String& AText) { return cxQuoteTextRuns(AText, "\\'"); }

void cxAddSmartDateWordsToRegExpr(String& AExpr, bool AWithNow) {
  cxLoadSmartDateWords();
  String words;
  for (int i = 0; i < cxSmartDateWordCount; ++i) {
    if (i == cxSmartDateNowIndex && !AWithNow) continue;
    const String& w = cxSmartDateWords[size_t(i)];
    if (w.empty()) continue;  // an empty alternative would not compile
    if (!words.empty()) words += "|";
    words += cxQuoteRegExprText(w);
  }
  if (words.empty()) return;  // nothing to offer besides the expression itself
  AExpr = "(" + AExpr + ")|(" + words + ")((\\+|-)\\d(\\d(\\d\\d?)?)?)?";
}

void cxDateUtils::Initialize() {
  if (!gUnit.Enter()) return;
  for (String& w : cxSmartDateWords) w.clear();
  cxMinYear = 100;
  cxMaxYear = 9999;
  cxSmartTextToDateFunc = nullptr;
}

void cxDateUtils::Finalize() {
  if (!gUnit.Leave()) return;
  for (String& w : cxSmartDateWords) w = String();
  cxSmartTextToDateFunc = nullptr;
}
