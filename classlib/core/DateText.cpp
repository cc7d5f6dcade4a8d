// Dates and times as text: the format letters and the readers.
#include "classlib/core/SysUtils.h"

#include <cmath>

namespace {

Char Up(Char c) { return (c >= 'a' && c <= 'z') ? Char(c - 32) : c; }

bool MatchesAt(const String& s, size_t i, const char* word) {
  for (size_t k = 0; word[k]; ++k)
    if (i + k >= s.size() || Up(s[i + k]) != Up(word[k])) return false;
  return true;
}

size_t RunLength(const String& s, size_t i) {
  Char u = Up(s[i]);
  size_t j = i;
  while (j < s.size() && Up(s[j]) == u) ++j;
  return j - i;
}

String Padded(int v, size_t width) {
  String r = IntToStr(Integer(v));
  if (r.size() < width) r.insert(0, width - r.size(), '0');
  return r;
}

// A format shows a 12-hour clock when it holds an AM/PM marker outside quotes.
bool Uses12Hour(const String& f) {
  for (size_t i = 0; i < f.size(); ++i) {
    Char c = f[i];
    if (c == '"' || c == '\'') {
      size_t j = f.find(c, i + 1);
      if (j == String::npos) return false;
      i = j;
    } else if (MatchesAt(f, i, "AM/PM") || MatchesAt(f, i, "A/P") || MatchesAt(f, i, "AMPM")) {
      return true;
    }
  }
  return false;
}

void AppendDateTime(String& out, const String& f, TDateTime dt, const TFormatSettings& fs, int depth) {
  if (depth > 3) return;   // settings whose formats name each other cannot recurse forever
  Word y, mo, d, h, mi, s, ms;
  DecodeDate(dt, y, mo, d);
  DecodeTime(dt, h, mi, s, ms);
  Word dow = DayOfWeek(dt);
  const bool twelve = Uses12Hour(f);
  Char last = 0;
  for (size_t i = 0; i < f.size();) {
    Char c = f[i];
    Char u = Up(c);
    size_t n = 1;
    switch (u) {
      case 'Y':
        n = RunLength(f, i);
        out += n <= 2 ? Padded(y % 100, 2) : Padded(y, 4);
        break;
      case 'M':
        n = RunLength(f, i);
        if (last == 'H' && n <= 2) {
          out += n == 1 ? IntToStr(Integer(mi)) : Padded(mi, 2);
        } else if (n == 1) {
          out += IntToStr(Integer(mo));
        } else if (n == 2) {
          out += Padded(mo, 2);
        } else if (mo >= 1) {
          out += n == 3 ? fs.ShortMonthNames[mo - 1] : fs.LongMonthNames[mo - 1];
        }
        break;
      case 'D':
        n = RunLength(f, i);
        if (n == 1) out += IntToStr(Integer(d));
        else if (n == 2) out += Padded(d, 2);
        else if (n == 3) out += dow ? fs.ShortDayNames[dow - 1] : String();
        else if (n == 4) out += dow ? fs.LongDayNames[dow - 1] : String();
        else if (n == 5) AppendDateTime(out, fs.ShortDateFormat, dt, fs, depth + 1);
        else AppendDateTime(out, fs.LongDateFormat, dt, fs, depth + 1);
        break;
      case 'H': {
        n = RunLength(f, i);
        int hh = h;
        if (twelve) {
          hh = h % 12;
          if (hh == 0) hh = 12;
        }
        out += n == 1 ? IntToStr(Integer(hh)) : Padded(hh, 2);
        break;
      }
      case 'N':
        n = RunLength(f, i);
        out += n == 1 ? IntToStr(Integer(mi)) : Padded(mi, 2);
        break;
      case 'S':
        n = RunLength(f, i);
        out += n == 1 ? IntToStr(Integer(s)) : Padded(s, 2);
        break;
      case 'Z':
        n = RunLength(f, i);
        out += n == 1 ? IntToStr(Integer(ms)) : Padded(ms, 3);
        break;
      case 'T':
        n = RunLength(f, i);
        AppendDateTime(out, n == 1 ? fs.ShortTimeFormat : fs.LongTimeFormat, dt, fs, depth + 1);
        break;
      case 'C':
        n = RunLength(f, i);
        AppendDateTime(out, fs.ShortDateFormat, dt, fs, depth + 1);
        if (h || mi || s) {
          out += ' ';
          AppendDateTime(out, fs.LongTimeFormat, dt, fs, depth + 1);
        }
        break;
      case 'G':   // era: none in these calendars
        n = RunLength(f, i);
        break;
      case 'A':
        if (MatchesAt(f, i, "AM/PM")) {
          out += h >= 12 ? f.substr(i + 3, 2) : f.substr(i, 2);
          n = 5;
        } else if (MatchesAt(f, i, "A/P")) {
          out += h >= 12 ? f[i + 2] : f[i];
          n = 3;
        } else if (MatchesAt(f, i, "AMPM")) {
          out += h >= 12 ? fs.TimePMString : fs.TimeAMString;
          n = 4;
        } else {
          out += c;
        }
        break;
      case '/':
        if (fs.DateSeparator) out += fs.DateSeparator;
        break;
      case ':':
        if (fs.TimeSeparator) out += fs.TimeSeparator;
        break;
      case '"':
      case '\'': {
        size_t j = f.find(c, i + 1);
        if (j == String::npos) j = f.size();
        out.append(f, i + 1, j - i - 1);
        n = j < f.size() ? j - i + 1 : j - i;
        break;
      }
      default:
        out += c;
        break;
    }
    if (u >= 'A' && u <= 'Z') last = u;
    i += n;
  }
}

}  // namespace

String FormatDateTime(const String& format, TDateTime dt, const TFormatSettings& fs) {
  String out;
  AppendDateTime(out, format.empty() ? String("c") : format, dt, fs, 0);
  return out;
}

String FormatDateTime(const String& format, TDateTime dt) { return FormatDateTime(format, dt, FormatSettings); }
String DateToStr(TDateTime dt, const TFormatSettings& fs) { return FormatDateTime("ddddd", dt, fs); }
String DateToStr(TDateTime dt) { return DateToStr(dt, FormatSettings); }
String TimeToStr(TDateTime dt, const TFormatSettings& fs) { return FormatDateTime("tt", dt, fs); }
String TimeToStr(TDateTime dt) { return TimeToStr(dt, FormatSettings); }
String DateTimeToStr(TDateTime dt, const TFormatSettings& fs) { return FormatDateTime("c", dt, fs); }
String DateTimeToStr(TDateTime dt) { return DateTimeToStr(dt, FormatSettings); }

// ---- Readers -------------------------------------------------------------------------------------

namespace {

enum class TDateOrder { doMDY, doDMY, doYMD };

TDateOrder OrderOf(const String& shortDateFormat) {
  for (size_t i = 0; i < shortDateFormat.size(); ++i) {
    Char c = shortDateFormat[i];
    if (c == '"' || c == '\'') {
      size_t j = shortDateFormat.find(c, i + 1);
      if (j == String::npos) break;
      i = j;
      continue;
    }
    switch (Up(c)) {
      case 'D': return TDateOrder::doDMY;
      case 'Y': return TDateOrder::doYMD;
      case 'M': return TDateOrder::doMDY;
      default: break;
    }
  }
  return TDateOrder::doMDY;
}

class TScanner {
 public:
  TScanner(const String& s, const TFormatSettings& fs) : S(s), Fs(fs) {}
  const String& S;
  const TFormatSettings& Fs;
  size_t P = 0;

  void SkipBlanks() {
    while (P < S.size() && S[P] == ' ') ++P;
  }
  bool AtEnd() {
    SkipBlanks();
    return P >= S.size();
  }
  bool Char_(Char c) {
    SkipBlanks();
    if (c && P < S.size() && S[P] == c) {
      ++P;
      return true;
    }
    return false;
  }
  // Up to 5 digits (a value up to 65535); `digits` tells how many were typed.
  bool Number(int& v, int& digits) {
    SkipBlanks();
    v = 0;
    digits = 0;
    while (P < S.size() && S[P] >= '0' && S[P] <= '9') {
      if (digits == 5) return false;
      v = v * 10 + (S[P++] - '0');
      ++digits;
    }
    return digits > 0 && v <= 65535;
  }
  // -1 none, 0 AM, 1 PM.
  int AmPm() {
    SkipBlanks();
    auto match = [&](const String& w) {
      return !w.empty() && P + w.size() <= S.size() && AnsiSameText(S.substr(P, w.size()), w);
    };
    const String* words[4] = {&Fs.TimeAMString, &Fs.TimePMString, nullptr, nullptr};
    static const String am = "AM", pm = "PM";
    words[2] = &am;
    words[3] = &pm;
    for (int k = 0; k < 4; ++k) {
      if (match(*words[k])) {
        P += words[k]->size();
        return k % 2;
      }
    }
    return -1;
  }
};

Word CurrentYear() {
  Word y, m, d;
  DecodeDate(Now(), y, m, d);
  return y ? y : 2000;
}

// A year typed with at most two digits lands in the window ending
// TwoDigitYearCenturyWindow years before the current one.
int WindowYear(int year, int digits, const TFormatSettings& fs) {
  if (year > 99 || digits > 2) return year;
  int current = CurrentYear();
  int base = current - fs.TwoDigitYearCenturyWindow;
  year += base / 100 * 100;
  if (fs.TwoDigitYearCenturyWindow > 0 && year < base) year += 100;
  return year;
}

bool Assemble(const int* v, const int* len, int count, TDateOrder order, const TFormatSettings& fs,
              TDateTime& out) {
  int y, m, d, yLen = 4;
  if (count == 2) {
    y = CurrentYear();
    if (order == TDateOrder::doDMY) {
      d = v[0];
      m = v[1];
    } else {
      m = v[0];
      d = v[1];
    }
  } else if (count == 3) {
    switch (order) {
      case TDateOrder::doDMY: d = v[0]; m = v[1]; y = v[2]; yLen = len[2]; break;
      case TDateOrder::doYMD: y = v[0]; m = v[1]; d = v[2]; yLen = len[0]; break;
      default: m = v[0]; d = v[1]; y = v[2]; yLen = len[2]; break;
    }
    y = WindowYear(y, yLen, fs);
  } else {
    return false;
  }
  if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1 || d > 31) return false;
  return TryEncodeDate(Word(y), Word(m), Word(d), out);
}

bool ScanDate(TScanner& sc, TDateTime& out) {
  int v[3], len[3], count = 0;
  if (!sc.Number(v[0], len[0])) return false;
  count = 1;
  while (count < 3) {
    size_t save = sc.P;
    if (!sc.Char_(sc.Fs.DateSeparator)) break;
    if (!sc.Number(v[count], len[count])) {
      sc.P = save;
      return false;
    }
    ++count;
  }
  // A trailing separator after three numbers ("1/2/2020/") is not a date.
  return Assemble(v, len, count, OrderOf(sc.Fs.ShortDateFormat), sc.Fs, out);
}

bool ScanTime(TScanner& sc, TDateTime& out) {
  int ampm = sc.AmPm();
  int h, mi = 0, s = 0, ms = 0, dg;
  if (!sc.Number(h, dg)) return false;
  bool separated = false;
  if (sc.Char_(sc.Fs.TimeSeparator)) {
    separated = true;
    if (!sc.Number(mi, dg)) return false;
    if (sc.Char_(sc.Fs.TimeSeparator)) {
      if (!sc.Number(s, dg)) return false;
      if (sc.Char_(sc.Fs.DecimalSeparator)) {
        if (!sc.Number(ms, dg)) return false;
      }
    }
  }
  if (ampm < 0) ampm = sc.AmPm();
  if (!separated && ampm < 0) return false;   // a bare number is not a time
  if (ampm >= 0) {
    if (h < 1 || h > 12) return false;
    h = h % 12 + (ampm ? 12 : 0);
  }
  if (h > 23 || mi > 59 || s > 59 || ms > 999) return false;
  return TryEncodeTime(Word(h), Word(mi), Word(s), Word(ms), out);
}

[[noreturn]] void Invalid(const TResStringRec& rec, const String& s) {
  throw EConvertError(Format(LoadResString(rec), {s}));
}

}  // namespace

bool TryStrToDate(const String& s, TDateTime& out, const TFormatSettings& fs) {
  TScanner sc(s, fs);
  TDateTime d;
  if (!ScanDate(sc, d) || !sc.AtEnd()) return false;
  out = d;
  return true;
}

bool TryStrToTime(const String& s, TDateTime& out, const TFormatSettings& fs) {
  TScanner sc(s, fs);
  TDateTime t;
  if (!ScanTime(sc, t) || !sc.AtEnd()) return false;
  out = t;
  return true;
}

bool TryStrToDateTime(const String& s, TDateTime& out, const TFormatSettings& fs) {
  TScanner sc(s, fs);
  TDateTime d, t = 0;
  if (ScanDate(sc, d)) {
    if (!sc.AtEnd() && (!ScanTime(sc, t) || !sc.AtEnd())) return false;
    out = ComposeDateTime(d, t);
    return true;
  }
  return TryStrToTime(s, out, fs);
}

bool TryStrToDate(const String& s, TDateTime& out) { return TryStrToDate(s, out, FormatSettings); }
bool TryStrToTime(const String& s, TDateTime& out) { return TryStrToTime(s, out, FormatSettings); }
bool TryStrToDateTime(const String& s, TDateTime& out) { return TryStrToDateTime(s, out, FormatSettings); }

TDateTime StrToDate(const String& s, const TFormatSettings& fs) {
  TDateTime r;
  if (!TryStrToDate(s, r, fs)) Invalid(SysConst::SInvalidDate, s);
  return r;
}

TDateTime StrToTime(const String& s, const TFormatSettings& fs) {
  TDateTime r;
  if (!TryStrToTime(s, r, fs)) Invalid(SysConst::SInvalidTime, s);
  return r;
}

TDateTime StrToDateTime(const String& s, const TFormatSettings& fs) {
  TDateTime r;
  if (!TryStrToDateTime(s, r, fs)) Invalid(SysConst::SInvalidDateTime, s);
  return r;
}

TDateTime StrToDate(const String& s) { return StrToDate(s, FormatSettings); }
TDateTime StrToTime(const String& s) { return StrToTime(s, FormatSettings); }
TDateTime StrToDateTime(const String& s) { return StrToDateTime(s, FormatSettings); }

// ---- The tolerant reader ----------------------------------------------------------------------------

bool TryTextToDateTimeLoose(const String& s, TDateTime& out, const TFormatSettings& fs) {
  // The time starts at the first number followed by the time separator.
  size_t timeAt = String::npos;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] >= '0' && s[i] <= '9' && (i == 0 || s[i - 1] < '0' || s[i - 1] > '9')) {
      size_t j = i;
      while (j < s.size() && s[j] >= '0' && s[j] <= '9') ++j;
      while (j < s.size() && s[j] == ' ') ++j;
      if (j < s.size() && s[j] == fs.TimeSeparator) {
        timeAt = i;
        break;
      }
    }
  }
  String datePart = timeAt == String::npos ? s : s.substr(0, timeAt);
  TDateTime time = 0;
  if (timeAt != String::npos) {
    TScanner sc(s, fs);
    sc.P = timeAt;
    if (!ScanTime(sc, time) || !sc.AtEnd()) return false;
  }
  // Date tokens: numbers and words, split at blanks and the usual separators.
  int v[3], len[3], count = 0, month = 0;
  size_t i = 0;
  bool any = false;
  while (i < datePart.size()) {
    Char c = datePart[i];
    if (c == ' ' || c == ',' || c == '-' || c == '.' || c == '/' || c == '\t' || c == fs.DateSeparator) {
      ++i;
      continue;
    }
    any = true;
    if (c >= '0' && c <= '9') {
      if (count == 3) return false;
      int value = 0, digits = 0;
      while (i < datePart.size() && datePart[i] >= '0' && datePart[i] <= '9') {
        if (++digits > 5) return false;
        value = value * 10 + (datePart[i++] - '0');
      }
      v[count] = value;
      len[count++] = digits;
      continue;
    }
    size_t j = i;
    while (j < datePart.size() && datePart[j] != ' ' && datePart[j] != ',' && datePart[j] != '-' &&
           datePart[j] != '.' && datePart[j] != '/' && datePart[j] != fs.DateSeparator &&
           !(datePart[j] >= '0' && datePart[j] <= '9'))
      ++j;
    String word = datePart.substr(i, j - i);
    i = j;
    bool known = false;
    for (int m = 0; m < 12 && !known; ++m) {
      if (AnsiSameText(word, fs.LongMonthNames[m]) || AnsiSameText(word, fs.ShortMonthNames[m])) {
        if (month) return false;
        month = m + 1;
        known = true;
      }
    }
    for (int k = 0; k < 7 && !known; ++k)   // a weekday name adds nothing
      known = AnsiSameText(word, fs.LongDayNames[k]) || AnsiSameText(word, fs.ShortDayNames[k]);
    if (!known) return false;
  }
  if (!any) {
    if (timeAt == String::npos) return false;
    out = time;
    return true;
  }
  TDateTime date;
  if (month) {
    int day = 1, year = CurrentYear(), yLen = 4;
    if (count == 1) {
      if (len[0] > 2 || v[0] > 31) {
        year = v[0];
        yLen = len[0];
      } else {
        day = v[0];
      }
    } else if (count == 2) {
      // The year is the number that cannot be a day; otherwise the day comes first.
      int yi = (len[0] > 2 || v[0] > 31) ? 0 : 1;
      year = v[yi];
      yLen = len[yi];
      day = v[1 - yi];
    } else {
      return false;
    }
    year = WindowYear(year, yLen, fs);
    if (year < 1 || year > 9999 || day < 1 || day > 31) return false;
    if (!TryEncodeDate(Word(year), Word(month), Word(day), date)) return false;
  } else {
    TDateOrder order = OrderOf(fs.ShortDateFormat);
    if (count == 3 && len[0] > 2) order = TDateOrder::doYMD;   // 2021-01-05
    if (!Assemble(v, len, count, order, fs, date)) return false;
  }
  out = ComposeDateTime(date, time);
  return true;
}
