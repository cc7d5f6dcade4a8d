#include "widgets/data/cxDataTypes.h"

#include "classlib/core/SysUtils.h"

#include <cmath>
#include <string>

namespace {

// A decimal spelled out: sign, integer digits without leading zeros, fraction digits
// without trailing zeros (so equal values spell alike).
struct Digits {
  bool Negative = false;
  std::string Int;
  std::string Frac;
};

void Normalize(Digits& d) {
  size_t lead = d.Int.find_first_not_of('0');
  d.Int.erase(0, lead == std::string::npos ? d.Int.size() : lead);
  size_t trail = d.Frac.find_last_not_of('0');
  d.Frac.erase(trail == std::string::npos ? 0 : trail + 1);
  if (d.Int.empty() && d.Frac.empty()) d.Negative = false;
}

Digits Unpack(const TBcd& b) {
  Digits d;
  int precision = b.Precision > MaxFMTBcdDigits ? MaxFMTBcdDigits : b.Precision;
  int places = b.SignSpecialPlaces & 0x3F;
  if (places > precision) places = precision;
  for (int i = 0; i < precision; ++i) {
    int nibble = (i % 2 == 0) ? (b.Fraction[i / 2] >> 4) : (b.Fraction[i / 2] & 15);
    // Bytes not written by this unit may hold nibbles above 9; read them as 9.
    Char c = Char('0' + (nibble > 9 ? 9 : nibble));
    (i < precision - places ? d.Int : d.Frac) += c;
  }
  d.Negative = (b.SignSpecialPlaces & 0x80) != 0;
  Normalize(d);
  return d;
}

bool Pack(const Digits& d, TBcd& b) {
  std::string all = d.Int + d.Frac;
  if (all.empty()) all = "0";
  if (all.size() > size_t(MaxFMTBcdDigits)) return false;
  TBcd r;
  r.Precision = Byte(all.size());
  r.SignSpecialPlaces = Byte(d.Frac.size()) | (d.Negative ? 0x80 : 0);
  for (size_t i = 0; i < all.size(); ++i) {
    Byte v = Byte(all[i] - '0');
    r.Fraction[i / 2] |= (i % 2 == 0) ? Byte(v << 4) : v;
  }
  b = r;
  return true;
}

bool IsDigit(Char c) { return c >= '0' && c <= '9'; }

[[noreturn]] void ConvertError(const Variant& v, const char* to, bool overflow) {
  String from = VarTypeAsText(VarType(v));
  throw EVariantError(overflow ? "Overflow while converting variant of type (" + from + ") into type (" + to + ")"
                               : "Could not convert variant of type (" + from + ") into type (" + to + ")");
}

}  // namespace

bool TryStrToBcd(const String& AText, TBcd& ABcd) {
  String s = Trim(AText);
  size_t i = 0;
  Digits d;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) d.Negative = s[i++] == '-';
  bool any = false, point = false;
  for (; i < s.size(); ++i) {
    Char c = s[i];
    if (IsDigit(c)) {
      (point ? d.Frac : d.Int) += c;
      any = true;
    } else if (!point && (c == FormatSettings.DecimalSeparator || c == '.')) {
      point = true;
    } else {
      break;
    }
  }
  if (!any) return false;
  long exponent = 0;
  if (i < s.size() && (s[i] == 'E' || s[i] == 'e')) {
    ++i;
    bool negExp = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) negExp = s[i++] == '-';
    if (i >= s.size()) return false;
    for (; i < s.size() && IsDigit(s[i]); ++i) {
      exponent = exponent * 10 + (s[i] - '0');
      if (exponent > 1000) return false;
    }
    if (negExp) exponent = -exponent;
  }
  if (i != s.size()) return false;
  // Move the decimal point by the exponent.
  if (exponent > 0) {
    std::string moved = d.Frac.substr(0, size_t(std::min<long>(exponent, long(d.Frac.size()))));
    d.Frac.erase(0, moved.size());
    d.Int += moved;
    d.Int.append(size_t(exponent) - moved.size(), '0');
  } else if (exponent < 0) {
    size_t n = size_t(-exponent);
    if (n > d.Int.size()) d.Int.insert(0, n - d.Int.size(), '0');
    d.Frac.insert(0, d.Int.substr(d.Int.size() - n));
    d.Int.erase(d.Int.size() - n);
  }
  Normalize(d);
  return Pack(d, ABcd);
}

TBcd StrToBcd(const String& AText) {
  TBcd b;
  if (!TryStrToBcd(AText, b)) throw EConvertError("'" + AText + "' is not a valid BCD value");
  return b;
}

String BcdToStr(const TBcd& ABcd) {
  Digits d = Unpack(ABcd);
  String r = d.Negative ? "-" : "";
  r += d.Int.empty() ? "0" : d.Int;
  if (!d.Frac.empty()) r += FormatSettings.DecimalSeparator + d.Frac;
  return r;
}

int BcdCompare(const TBcd& A, const TBcd& B) {
  Digits a = Unpack(A), b = Unpack(B);
  if (a.Negative != b.Negative) return a.Negative ? -1 : 1;
  int magnitude;
  if (a.Int.size() != b.Int.size()) {
    magnitude = a.Int.size() < b.Int.size() ? -1 : 1;
  } else {
    int c = a.Int.compare(b.Int);
    if (c == 0) c = a.Frac.compare(b.Frac);  // no trailing zeros, so text order is value order
    magnitude = c < 0 ? -1 : (c > 0 ? 1 : 0);
  }
  return a.Negative ? -magnitude : magnitude;
}

TDateTime SQLTimeStampToDateTime(const TSQLTimeStamp& AStamp) {
  TDateTime date, time;
  if (AStamp.Year < 1 || !TryEncodeDate(Word(AStamp.Year), AStamp.Month, AStamp.Day, date) ||
      AStamp.Fractions > 999 ||
      !TryEncodeTime(AStamp.Hour, AStamp.Minute, AStamp.Second, Word(AStamp.Fractions), time))
    throw EConvertError("Invalid SQL time stamp");
  return ComposeDateTime(date, time);
}

TSQLTimeStamp DateTimeToSQLTimeStamp(TDateTime ADateTime) {
  if (!(ADateTime.Value >= MinDateTime && ADateTime.Value <= MaxDateTime))
    throw EConvertError("Invalid date and time for an SQL time stamp");
  SYSTEMTIME st;
  DateTimeToSystemTime(ADateTime, st);
  TSQLTimeStamp r;
  r.Year = SmallInt(st.wYear);
  r.Month = st.wMonth;
  r.Day = st.wDay;
  r.Hour = st.wHour;
  r.Minute = st.wMinute;
  r.Second = st.wSecond;
  r.Fractions = st.wMilliseconds;
  SQLTimeStampToDateTime(r);  // a stamp that could not be read back is refused here
  return r;
}

int SQLTimeStampCompare(const TSQLTimeStamp& A, const TSQLTimeStamp& B) {
  const long a[] = {A.Year, A.Month, A.Day, A.Hour, A.Minute, A.Second, long(A.Fractions)};
  const long b[] = {B.Year, B.Month, B.Day, B.Hour, B.Minute, B.Second, long(B.Fractions)};
  for (int i = 0; i < 7; ++i)
    if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
  return 0;
}

Variant VarFMTBcdCreate(const TBcd& ABcd) { return Variant(BcdToStr(ABcd)); }

TBcd VarToBcd(const Variant& AValue) {
  TBcd b;
  TVarType t = VarType(AValue);
  if (VarIsArray(AValue) || t == varNull) ConvertError(AValue, "FMTBcd", false);
  if (t == varEmpty) return b;
  if (VarIsStr(AValue)) {
    if (!TryStrToBcd(AValue.AsString(), b)) ConvertError(AValue, "FMTBcd", false);
    return b;
  }
  String text;
  if (t == varSingle || t == varDouble || t == varDate) {
    double d = AValue.AsDouble();
    if (!std::isfinite(d)) ConvertError(AValue, "FMTBcd", !std::isnan(d));
    text = FloatToStr(d);
  } else if (t == varCurrency) {
    text = CurrToStr(AValue.AsCurrency());
  } else if (t == varBoolean) {
    text = AValue.AsBoolean() ? "-1" : "0";
  } else {
    text = IntToStr(AValue.AsInt64());
  }
  if (!TryStrToBcd(text, b)) ConvertError(AValue, "FMTBcd", true);
  return b;
}

Variant VarSQLTimeStampCreate(const TSQLTimeStamp& AStamp) {
  TDateTime dt;
  try {
    dt = SQLTimeStampToDateTime(AStamp);
  } catch (const EConvertError&) {
    throw EVariantError("Could not convert variant of type (SQLTimeStamp) into type (Date)");
  }
  return VarFromDateTime(dt);
}

TSQLTimeStamp VarToSQLTimeStamp(const Variant& AValue) {
  if (VarIsNull(AValue) || VarIsArray(AValue)) ConvertError(AValue, "SQLTimeStamp", false);
  TDateTime dt = AValue.AsDateTime();  // raises the variant error itself
  return DateTimeToSQLTimeStamp(dt);
}

Variant cxVarAsValueType(const Variant& AValue, TVarType AVarType) {
  if (AVarType == varFMTBcd) return VarFMTBcdCreate(VarToBcd(AValue));
  if (AVarType == varSQLTimeStamp) return VarSQLTimeStampCreate(VarToSQLTimeStamp(AValue));
  return VarAsType(AValue, AVarType);
}
