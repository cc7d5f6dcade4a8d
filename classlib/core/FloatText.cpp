// Floating-point and currency text: conversion both ways and the float picture language.
#include "classlib/core/FloatText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

// ---- Decimal digits ----------------------------------------------------------------------------

TDecimal ToDecimal(double v, int precision, int decimals) {
  TDecimal d;
  d.Negative = std::signbit(v);
  if (std::isnan(v)) {
    d.Special = TDecimal::sNaN;
    return d;
  }
  if (std::isinf(v)) {
    d.Special = d.Negative ? TDecimal::sNegInf : TDecimal::sPosInf;
    return d;
  }
  precision = std::clamp(precision, 1, 18);
  if (v == 0) return d;
  // Eighteen significant digits of the exact binary value, then decimal rounding half away
  // from zero: the class library's rounding, not the C library's ties-to-even.
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.17e", std::fabs(v));
  String digits;
  const char* p = buf;
  for (; *p && *p != 'e'; ++p)
    if (*p >= '0' && *p <= '9') digits += *p;
  int exp10 = std::atoi(p + 1);
  int exponent = exp10 + 1;
  Int64 keep = std::min<Int64>(precision, Int64(exponent) + decimals);
  if (keep < 0) return TDecimal{d.Negative, TDecimal::sNone, String(), 0};
  bool roundUp = size_t(keep) < digits.size() && digits[size_t(keep)] >= '5';
  digits.resize(size_t(keep));
  if (roundUp) {
    Int64 i = keep - 1;
    for (; i >= 0; --i) {
      if (digits[size_t(i)] == '9') {
        digits[size_t(i)] = '0';
      } else {
        ++digits[size_t(i)];
        break;
      }
    }
    if (i < 0) {
      digits.insert(digits.begin(), '1');
      ++exponent;
      digits.pop_back();   // keep the digit count: the dropped digit is a zero
      if (digits.empty()) digits = "1";
    }
  }
  while (!digits.empty() && digits.back() == '0') digits.pop_back();
  d.Digits = digits;
  d.Exponent = digits.empty() ? 0 : exponent;
  return d;
}

namespace {

String SpecialText(const TDecimal& d) {
  switch (d.Special) {
    case TDecimal::sNaN: return "NAN";
    case TDecimal::sPosInf: return "INF";
    case TDecimal::sNegInf: return "-INF";
    default: return String();
  }
}

String ExponentText(int e, int minDigits, bool plus) {
  String r = e < 0 ? "-" : (plus ? "+" : "");
  String n = IntToStr(Integer(e < 0 ? -e : e));
  while (int(n.size()) < minDigits) n.insert(n.begin(), '0');
  return r + n;
}

// The digit at position i of the decimal (0 = first significant digit), '0' beyond.
Char DigitAt(const TDecimal& d, Int64 i) {
  return i >= 0 && size_t(i) < d.Digits.size() ? d.Digits[size_t(i)] : '0';
}

// Integer part and `decimals` fraction digits of a decimal in fixed notation.
String FixedText(const TDecimal& d, int decimals, bool thousands, const TFormatSettings& fs) {
  String intPart;
  for (Int64 i = 0; i < d.Exponent; ++i) intPart += DigitAt(d, i);
  if (intPart.empty()) intPart = "0";
  String r;
  if (thousands && fs.ThousandSeparator) {
    size_t n = intPart.size();
    for (size_t i = 0; i < n; ++i) {
      r += intPart[i];
      size_t rest = n - 1 - i;
      if (rest > 0 && rest % 3 == 0) r += fs.ThousandSeparator;
    }
  } else {
    r = intPart;
  }
  if (decimals > 0) {
    r += fs.DecimalSeparator;
    for (int i = 0; i < decimals; ++i) r += DigitAt(d, Int64(d.Exponent) + i);
  }
  return r;
}

String GeneralText(const TDecimal& d, int precision, int expDigits, const TFormatSettings& fs) {
  if (d.Digits.empty()) return "0";
  String r;
  if (d.Exponent > precision || d.Exponent < -3) {   // below 0.0001
    r += d.Digits[0];
    if (d.Digits.size() > 1) {
      r += fs.DecimalSeparator;
      r += d.Digits.substr(1);
    }
    r += 'E';
    r += ExponentText(d.Exponent - 1, expDigits, false);
    return r;
  }
  if (d.Exponent <= 0) {
    r = "0";
    r += fs.DecimalSeparator;
    r += String(size_t(-d.Exponent), '0');
    r += d.Digits;
    return r;
  }
  for (int i = 0; i < d.Exponent; ++i) r += DigitAt(d, i);
  if (size_t(d.Exponent) < d.Digits.size()) {
    r += fs.DecimalSeparator;
    r += d.Digits.substr(size_t(d.Exponent));
  }
  return r;
}

String ExponentForm(const TDecimal& d, int precision, int expDigits, const TFormatSettings& fs) {
  String r;
  r += DigitAt(d, 0);
  if (precision > 1) {
    r += fs.DecimalSeparator;
    for (int i = 1; i < precision; ++i) r += DigitAt(d, i);
  }
  r += 'E';
  r += ExponentText(d.Digits.empty() ? 0 : d.Exponent - 1, expDigits, true);
  return r;
}

// Places the currency symbol and the sign by the settings' patterns.
String CurrencyPattern(const String& num, bool negative, const TFormatSettings& fs) {
  const String& c = fs.CurrencyString;
  if (!negative) {
    switch (fs.CurrencyFormat) {
      case 1: return num + c;
      case 2: return c + " " + num;
      case 3: return num + " " + c;
      default: return c + num;
    }
  }
  switch (fs.NegCurrFormat) {
    case 1: return "-" + c + num;
    case 2: return c + "-" + num;
    case 3: return c + num + "-";
    case 4: return "(" + num + c + ")";
    case 5: return "-" + num + c;
    case 6: return num + "-" + c;
    case 7: return num + c + "-";
    case 8: return "-" + num + " " + c;
    case 9: return "-" + c + " " + num;
    case 10: return num + " " + c + "-";
    case 11: return c + " " + num + "-";
    case 12: return c + " -" + num;
    case 13: return num + "- " + c;
    case 14: return "(" + c + " " + num + ")";
    case 15: return "(" + num + " " + c + ")";
    default: return "(" + c + num + ")";
  }
}

}  // namespace

String FloatToStrF(double v, TFloatFormat format, int precision, int digits, const TFormatSettings& fs) {
  precision = std::clamp(precision, 1, 18);
  digits = std::clamp(digits, 0, 18);
  switch (format) {
    case TFloatFormat::ffExponent: {
      TDecimal d = ToDecimal(v, precision, 9999);
      if (d.Special) return SpecialText(d);
      String body = ExponentForm(d, precision, std::min(digits, 4), fs);
      return (d.Negative && !d.Digits.empty() ? "-" : "") + body;
    }
    case TFloatFormat::ffFixed:
    case TFloatFormat::ffNumber:
    case TFloatFormat::ffCurrency: {
      TDecimal d = ToDecimal(v, 18, digits);
      if (d.Special) return SpecialText(d);
      if (d.Exponent > precision) {   // too many integer digits for the precision
        TDecimal g = ToDecimal(v, precision, 9999);
        return (g.Negative && !g.Digits.empty() ? "-" : "") + GeneralText(g, precision, 0, fs);
      }
      bool neg = d.Negative && !d.Digits.empty();
      String num = FixedText(d, digits, format != TFloatFormat::ffFixed, fs);
      if (format == TFloatFormat::ffCurrency) return CurrencyPattern(num, neg, fs);
      return (neg ? "-" : "") + num;
    }
    case TFloatFormat::ffGeneral:
    default: {
      TDecimal d = ToDecimal(v, precision, 9999);
      if (d.Special) return SpecialText(d);
      return (d.Negative && !d.Digits.empty() ? "-" : "") + GeneralText(d, precision, std::min(digits, 4), fs);
    }
  }
}

String FloatToStrF(double v, TFloatFormat format, int precision, int digits) {
  return FloatToStrF(v, format, precision, digits, FormatSettings);
}

String FloatToStr(double v, const TFormatSettings& fs) {
  return FloatToStrF(v, TFloatFormat::ffGeneral, 15, 0, fs);
}

String FloatToStr(double v) { return FloatToStr(v, FormatSettings); }

// ---- Text to float -------------------------------------------------------------------------------

bool TryStrToFloat(const String& s, double& out, const TFormatSettings& fs) {
  size_t i = 0, n = s.size();
  while (i < n && s[i] == ' ') ++i;
  while (n > i && s[n - 1] == ' ') --n;
  // Rebuilt in the C library's own notation, so the current C locale never matters.
  std::string c;
  if (i < n && (s[i] == '+' || s[i] == '-')) c += s[i++];
  size_t mantissa = 0;
  while (i < n && s[i] >= '0' && s[i] <= '9') c += s[i++], ++mantissa;
  if (i < n && s[i] == fs.DecimalSeparator) {
    c += '.';
    ++i;
    while (i < n && s[i] >= '0' && s[i] <= '9') c += s[i++], ++mantissa;
  }
  if (mantissa == 0) return false;
  if (i < n && (s[i] == 'e' || s[i] == 'E')) {
    c += 'e';
    ++i;
    if (i < n && (s[i] == '+' || s[i] == '-')) c += s[i++];
    size_t expDigits = 0;
    while (i < n && s[i] >= '0' && s[i] <= '9') c += s[i++], ++expDigits;
    if (expDigits == 0) return false;
  }
  if (i != n) return false;
  char* end = nullptr;
  double v = std::strtod(c.c_str(), &end);
  if (end != c.c_str() + c.size() || !std::isfinite(v)) return false;
  out = v;
  return true;
}

bool TryStrToFloat(const String& s, double& out) { return TryStrToFloat(s, out, FormatSettings); }

double StrToFloat(const String& s, const TFormatSettings& fs) {
  double v;
  if (!TryStrToFloat(s, v, fs)) throw EConvertError(Format(LoadResString(SysConst::SInvalidFloat), {s}));
  return v;
}

double StrToFloat(const String& s) { return StrToFloat(s, FormatSettings); }

double StrToFloatDef(const String& s, double def) {
  double v;
  return TryStrToFloat(s, v) ? v : def;
}

// ---- The picture language -----------------------------------------------------------------------

namespace {

struct TSection {
  String Text;
  int IntCount = 0;        // digit placeholders before the decimal point
  int IntZeroFrom = -1;    // index of the first '0' among them (-1 none)
  int FracCount = 0;       // placeholders after the point
  int FracMin = 0;         // fraction digits always shown (up to the last '0')
  bool Thousands = false;
  bool Scientific = false;
  int ExpDigits = 0;
};

// Steps over a quoted run starting at s[i]; an unterminated quote takes the rest.
size_t SkipQuoted(const String& s, size_t i) {
  Char q = s[i++];
  while (i < s.size() && s[i] != q) ++i;
  return i < s.size() ? i + 1 : i;
}

bool IsExponentAt(const String& s, size_t i) {
  return (s[i] == 'E' || s[i] == 'e') && i + 1 < s.size() && (s[i + 1] == '+' || s[i + 1] == '-');
}

std::vector<String> SplitSections(const String& f) {
  std::vector<String> out(1);
  for (size_t i = 0; i < f.size();) {
    if (f[i] == '"' || f[i] == '\'') {
      size_t j = SkipQuoted(f, i);
      out.back().append(f, i, j - i);
      i = j;
    } else if (f[i] == ';') {
      if (out.size() == 3) break;   // a fourth section is never used
      out.emplace_back();
      ++i;
    } else {
      out.back() += f[i++];
    }
  }
  return out;
}

TSection Analyse(const String& text) {
  TSection s;
  s.Text = text;
  bool point = false;
  for (size_t i = 0; i < text.size();) {
    Char c = text[i];
    if (c == '"' || c == '\'') {
      i = SkipQuoted(text, i);
      continue;
    }
    if (!s.Scientific && IsExponentAt(text, i)) {
      s.Scientific = true;
      i += 2;
      while (i < text.size() && text[i] == '0') {
        ++s.ExpDigits;
        ++i;
      }
      s.ExpDigits = std::min(s.ExpDigits, 4);
      continue;
    }
    if (c == '0' || c == '#') {
      if (point) {
        ++s.FracCount;
        if (c == '0') s.FracMin = s.FracCount;
      } else {
        if (c == '0' && s.IntZeroFrom < 0) s.IntZeroFrom = s.IntCount;
        ++s.IntCount;
      }
    } else if (c == '.') {
      point = true;
    } else if (c == ',') {
      s.Thousands = true;
    }
    ++i;
  }
  return s;
}

// The integer and fraction digits a section shows for |v|, decided before rendering so
// that a value rounding to zero can move to the zero section.
struct TPlaced {
  String Int;      // integer digits, no leading zeros ("" for zero)
  String Frac;     // fraction digits to show
  int Exp = 0;     // scientific exponent
};

bool Place(const TSection& s, double a, TPlaced& out) {
  const int fracMax = s.FracCount;
  if (s.Scientific) {
    int sig = std::clamp(s.IntCount + fracMax, 1, 18);
    TDecimal d = ToDecimal(a, sig, 9999);
    if (d.Digits.empty()) {
      out.Exp = 0;
      out.Frac.assign(size_t(fracMax), '0');
    } else {
      out.Exp = d.Exponent - s.IntCount;
      for (int i = 0; i < s.IntCount; ++i) out.Int += DigitAt(d, i);
      size_t lead = out.Int.find_first_not_of('0');
      out.Int = lead == String::npos ? String() : out.Int.substr(lead);
      for (int i = 0; i < fracMax; ++i) out.Frac += DigitAt(d, s.IntCount + i);
    }
  } else {
    TDecimal d = ToDecimal(a, 18, fracMax);
    for (Int64 i = 0; i < d.Exponent; ++i) out.Int += DigitAt(d, i);
    for (int i = 0; i < fracMax; ++i) out.Frac += DigitAt(d, Int64(d.Exponent) + i);
  }
  bool zero = out.Int.empty() && out.Frac.find_first_not_of('0') == String::npos;
  while (int(out.Frac.size()) > s.FracMin && !out.Frac.empty() && out.Frac.back() == '0') out.Frac.pop_back();
  return !zero;
}

String Render(const TSection& s, const TPlaced& p, const TFormatSettings& fs) {
  String r;
  const int n = s.IntCount;
  // Scientific notation always shows a leading digit, even for zero.
  const String digits = (s.Scientific && p.Int.empty() && n > 0) ? String("0") : p.Int;
  const int len = int(digits.size());
  const bool groups = s.Thousands && !s.Scientific && fs.ThousandSeparator;
  auto emitAt = [&](int pos, Char c) {   // pos counts from the right, 0 = units
    r += c;
    if (groups && pos > 0 && pos % 3 == 0) r += fs.ThousandSeparator;
  };
  auto emitInt = [&](int pos) { emitAt(pos, digits[size_t(len - 1 - pos)]); };
  auto emitLeading = [&]() {      // integer digits beyond the placeholders
    for (int pos = len - 1; pos >= n; --pos) emitInt(pos);
  };
  int intSeen = 0, fracSeen = 0;
  bool point = false, pointDone = false;
  for (size_t i = 0; i < s.Text.size();) {
    Char c = s.Text[i];
    if (c == '"' || c == '\'') {
      size_t j = SkipQuoted(s.Text, i);
      bool closed = j - 1 > i && s.Text[j - 1] == c;
      size_t end = closed ? j - 1 : j;
      r.append(s.Text, i + 1, end - i - 1);
      i = j;
      continue;
    }
    if (IsExponentAt(s.Text, i)) {
      if (!s.Scientific) break;   // unreachable: Analyse saw it
      r += c;
      r += ExponentText(p.Exp, s.ExpDigits, s.Text[i + 1] == '+');
      i += 2;
      while (i < s.Text.size() && s.Text[i] == '0') ++i;
      continue;
    }
    if (c == '0' || c == '#') {
      if (!point) {
        int k = intSeen++;
        if (k == 0) emitLeading();
        int pos = n - 1 - k;
        if (pos < len)
          emitInt(pos);
        else if (s.IntZeroFrom >= 0 && k >= s.IntZeroFrom)
          emitAt(pos, '0');
      } else {
        int k = fracSeen++;
        if (size_t(k) < p.Frac.size()) r += p.Frac[size_t(k)];
      }
    } else if (c == '.') {
      if (!point) {
        point = true;
        if (n == 0) emitLeading();
        if (!p.Frac.empty() && !pointDone) r += fs.DecimalSeparator;
        pointDone = true;
      }
    } else if (c != ',') {
      r += c;
    }
    ++i;
  }
  return r;
}

}  // namespace

String FormatFloat(const String& format, double v, const TFormatSettings& fs) {
  if (std::isnan(v) || std::isinf(v)) return SpecialText(ToDecimal(v, 15, 0));
  std::vector<String> sections = SplitSections(format);
  if (format.empty()) return FloatToStr(v, fs);
  const double a = std::fabs(v);
  if (a >= 1e18) return FloatToStrF(v, TFloatFormat::ffGeneral, 15, 0, fs);
  const bool neg = v < 0;
  size_t idx = (neg && sections.size() >= 2 && !sections[1].empty()) ? 1 : 0;
  TSection sec = Analyse(sections[idx]);
  TPlaced placed;
  if (Place(sec, a, placed)) {
    String body = Render(sec, placed, fs);
    return (neg && idx == 0) ? "-" + body : body;
  }
  // Rounds to zero: the zero section, else the first one without a sign.
  if (sections.size() >= 3 && !sections[2].empty()) sec = Analyse(sections[2]);
  else if (idx != 0) sec = Analyse(sections[0]);
  TPlaced zero;
  Place(sec, 0.0, zero);
  return Render(sec, zero, fs);
}

String FormatFloat(const String& format, double v) { return FormatFloat(format, v, FormatSettings); }

String FormatCurr(const String& format, Currency v) { return FormatFloat(format, CurrToDouble(v)); }

// ---- Currency ------------------------------------------------------------------------------------

namespace {
[[noreturn]] void CurrencyOverflow() { throw EOverflow(LoadResString(SysConst::SCurrencyOverflow)); }

Int64 Checked(__int128 v) {
  if (v > std::numeric_limits<Int64>::max() || v < std::numeric_limits<Int64>::min()) CurrencyOverflow();
  return Int64(v);
}

// num / den rounded to nearest, ties to even.
__int128 DivRound(__int128 num, __int128 den) {
  __int128 q = num / den, r = num % den;
  __int128 twice = (r < 0 ? -r : r) * 2, ad = den < 0 ? -den : den;
  bool negative = (num < 0) != (den < 0);
  if (twice > ad || (twice == ad && (q & 1))) q += negative ? -1 : 1;
  return q;
}
}  // namespace

Currency DoubleToCurr(double v) {
  double scaled = std::nearbyint(v * double(CurrencyScale));
  if (!(scaled >= -9223372036854775808.0 && scaled < 9223372036854775808.0)) CurrencyOverflow();
  return Currency::FromRaw(Int64(scaled));
}

Currency IntToCurr(Int64 v) { return Currency::FromRaw(Checked(__int128(v) * CurrencyScale)); }

Currency operator-(Currency a) { return Currency::FromRaw(Checked(-__int128(a.Raw))); }
Currency operator+(Currency a, Currency b) { return Currency::FromRaw(Checked(__int128(a.Raw) + b.Raw)); }
Currency operator-(Currency a, Currency b) { return Currency::FromRaw(Checked(__int128(a.Raw) - b.Raw)); }

Currency operator*(Currency a, Currency b) {
  return Currency::FromRaw(Checked(DivRound(__int128(a.Raw) * b.Raw, CurrencyScale)));
}

Currency operator/(Currency a, Currency b) {
  if (b.Raw == 0) throw EZeroDivide(LoadResString(SysConst::SDivByZero));
  return Currency::FromRaw(Checked(DivRound(__int128(a.Raw) * CurrencyScale, b.Raw)));
}

String CurrToStr(Currency v) {
  UInt64 mag = v.Raw < 0 ? UInt64(0) - UInt64(v.Raw) : UInt64(v.Raw);
  String r = v.Raw < 0 ? "-" : "";
  r += IntToStr(Int64(mag / 10000));
  UInt64 frac = mag % 10000;
  if (frac) {
    String f = IntToStr(Int64(frac));
    f.insert(0, 4 - f.size(), '0');
    while (f.back() == '0') f.pop_back();
    r += FormatSettings.DecimalSeparator;
    r += f;
  }
  return r;
}

bool TryStrToCurr(const String& s, Currency& out) {
  double v;
  if (!TryStrToFloat(s, v)) return false;
  try {
    out = DoubleToCurr(v);
  } catch (const EOverflow&) {
    return false;
  }
  return true;
}

Currency StrToCurr(const String& s) {
  Currency c;
  if (!TryStrToCurr(s, c)) throw EConvertError(Format(LoadResString(SysConst::SInvalidCurrency), {s}));
  return c;
}
