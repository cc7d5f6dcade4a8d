// Format with the class library's specifiers, C-style printf and scanf over String.
#include "classlib/core/FloatText.h"

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace {

// Widths and precisions beyond this are refused rather than allocated.
constexpr Int64 kMaxWidth = 100000;

// Puts `arg` in place of the message's "%s" by hand: Format itself is what failed, and a
// translated message must not be able to send it round again.
String MessageWith(const TResStringRec& rec, const String& arg) {
  String msg = LoadResString(rec);
  size_t p = msg.find("%s");
  if (p != String::npos) msg.replace(p, 2, arg);
  return msg;
}

[[noreturn]] void InvalidFormat(const String& format) {
  throw EConvertError(MessageWith(SysConst::SInvalidFormat, format));
}

[[noreturn]] void ArgumentMissing(const String& format) {
  throw EConvertError(MessageWith(SysConst::SArgumentMissing, format));
}

// Reads the arguments in order or by index, raising on a missing one.
class TArgs {
 public:
  TArgs(TVarRecs args, const String& format) : FArgs(args), FFormat(format) {}
  const TVarRec& Next() {
    if (FIndex >= FArgs.size()) ArgumentMissing(FFormat);
    return FArgs.begin()[FIndex++];
  }
  void Seek(size_t index) { FIndex = index; }

 private:
  TVarRecs FArgs;
  const String& FFormat;
  size_t FIndex = 0;
};

bool IsInt(const TVarRec& a) { return a.VType == TVarRec::vtInteger || a.VType == TVarRec::vtInt64; }

// Digits or '*' at f[i]; -1 when neither is there.
Int64 ReadNumber(const String& f, size_t& i, TArgs& args, const String& format) {
  if (i < f.size() && f[i] == '*') {
    ++i;
    const TVarRec& a = args.Next();
    if (!IsInt(a)) InvalidFormat(format);
    return a.VInt;
  }
  if (i >= f.size() || f[i] < '0' || f[i] > '9') return -1;
  Int64 v = 0;
  while (i < f.size() && f[i] >= '0' && f[i] <= '9') {
    v = v * 10 + (f[i++] - '0');
    if (v > kMaxWidth) InvalidFormat(format);
  }
  return v;
}

// Copies literal text, "%%" as one '%', up to the next directive and steps past its '%';
// false once the format is used up.
bool NextDirective(const String& format, size_t& i, String& out) {
  const size_t n = format.size();
  while (i < n) {
    Char c = format[i++];
    if (c != '%') {
      out += c;
    } else if (i < n && format[i] == '%') {
      out += '%';
      ++i;
    } else {
      return true;
    }
  }
  return false;
}

// The precision after a '.' (digits or '*'); -1 without one, and a bare '.' or negative '*' means 0.
Int64 ReadPrecision(const String& format, size_t& i, TArgs& list) {
  if (i >= format.size() || format[i] != '.') return -1;
  ++i;
  return std::max<Int64>(ReadNumber(format, i, list, format), 0);
}

String Pad(String s, Int64 width, bool left) {
  if (width > Int64(s.size())) {
    String fill(size_t(width - Int64(s.size())), ' ');
    s = left ? s + fill : fill + s;
  }
  return s;
}

double FloatArg(const TVarRec& a, const String& format) {
  if (a.VType == TVarRec::vtExtended) return a.VFloat;
  if (a.VType == TVarRec::vtCurrency) return CurrToDouble(a.VCurr);
  InvalidFormat(format);
}

// Zero-extends an integer's digits to at least `prec` (the sign stays in front).
String MinDigits(String digits, Int64 prec) {
  bool neg = !digits.empty() && digits[0] == '-';
  if (neg) digits.erase(0, 1);
  if (prec > Int64(digits.size())) digits.insert(0, size_t(prec - Int64(digits.size())), '0');
  return neg ? "-" + digits : digits;
}

String UnsignedText(UInt64 v) {
  char buf[24];
  std::snprintf(buf, sizeof buf, "%" PRIu64, v);
  return buf;
}

}  // namespace

String Format(const String& format, TVarRecs args, const TFormatSettings& fs) {
  String out;
  TArgs list(args, format);
  const size_t n = format.size();
  size_t i = 0;
  while (NextDirective(format, i, out)) {
    Int64 first = ReadNumber(format, i, list, format);
    Int64 width = -1;
    if (i < n && format[i] == ':') {
      if (first < 0) InvalidFormat(format);
      list.Seek(size_t(first));
      ++i;
    } else {
      width = first;
    }
    bool left = false;
    if (width < 0 && i < n && format[i] == '-') {
      left = true;
      ++i;
    }
    if (width < 0) width = ReadNumber(format, i, list, format);
    Int64 prec = ReadPrecision(format, i, list);
    if (width > kMaxWidth || prec > kMaxWidth) InvalidFormat(format);
    if (i >= n) InvalidFormat(format);
    Char type = Char(format[i] | 0x20);
    ++i;
    const TVarRec& a = list.Next();
    String piece;
    switch (type) {
      case 'd':
        if (!IsInt(a)) InvalidFormat(format);
        piece = MinDigits(IntToStr(a.VInt), prec);
        break;
      case 'u':
        if (!IsInt(a)) InvalidFormat(format);
        piece = MinDigits(UnsignedText(a.VType == TVarRec::vtInteger ? UInt64(Cardinal(a.VInt)) : UInt64(a.VInt)), prec);
        break;
      case 'x':
        if (!IsInt(a)) InvalidFormat(format);
        piece = a.VType == TVarRec::vtInteger ? IntToHex(Integer(a.VInt), 0) : IntToHex(a.VInt, 0);
        piece = MinDigits(piece, prec);
        break;
      case 'e':
        piece = FloatToStrF(FloatArg(a, format), TFloatFormat::ffExponent, prec < 0 ? 15 : int(prec), 3, fs);
        break;
      case 'f':
        piece = FloatToStrF(FloatArg(a, format), TFloatFormat::ffFixed, 18, prec < 0 ? 2 : int(prec), fs);
        break;
      case 'g':
        piece = FloatToStrF(FloatArg(a, format), TFloatFormat::ffGeneral, prec < 0 ? 15 : int(prec), 3, fs);
        break;
      case 'n':
        piece = FloatToStrF(FloatArg(a, format), TFloatFormat::ffNumber, 18, prec < 0 ? 2 : int(prec), fs);
        break;
      case 'm':
        piece = FloatToStrF(FloatArg(a, format), TFloatFormat::ffCurrency, 18,
                            prec < 0 ? fs.CurrencyDecimals : int(prec), fs);
        break;
      case 'p':
        if (a.VType != TVarRec::vtPointer) InvalidFormat(format);
        piece = IntToHex(Int64(reinterpret_cast<uintptr_t>(a.VPtr)), 16);
        break;
      case 's':
        if (a.VType != TVarRec::vtString && a.VType != TVarRec::vtChar) InvalidFormat(format);
        piece = a.VStr;
        if (prec >= 0 && Int64(piece.size()) > prec) piece.resize(size_t(prec));
        break;
      default:
        InvalidFormat(format);
    }
    out += Pad(std::move(piece), width, left);
  }
  return out;
}

String Format(const String& format, TVarRecs args) { return Format(format, args, FormatSettings); }

// ---- printf ----------------------------------------------------------------------------------------

String StrPrintf(const String& format, TVarRecs args) {
  String out;
  TArgs list(args, format);
  const size_t n = format.size();
  size_t i = 0;
  while (NextDirective(format, i, out)) {
    String flags;
    while (i < n && (format[i] == '-' || format[i] == '0' || format[i] == '+' || format[i] == ' ')) {
      if (flags.find(format[i]) == String::npos) flags += format[i];
      ++i;
    }
    Int64 width = ReadNumber(format, i, list, format);
    if (width < -kMaxWidth) InvalidFormat(format);
    if (width < -1) {   // a negative '*' width means left alignment
      flags += '-';
      width = -width;
    }
    Int64 prec = ReadPrecision(format, i, list);
    if (width > kMaxWidth || prec > kMaxWidth) InvalidFormat(format);
    while (i < n && (format[i] == 'h' || format[i] == 'l' || format[i] == 'L' || format[i] == 'q')) ++i;
    if (i >= n) InvalidFormat(format);
    Char type = format[i++];
    const TVarRec& a = list.Next();
    // Numbers go through the C library with a rebuilt, fully known conversion.
    String spec = "%" + flags;
    if (width >= 0) spec += IntToStr(width);
    if (prec >= 0) spec += "." + IntToStr(prec);
    std::vector<char> buf(size_t(std::max<Int64>(width, 0) + std::max<Int64>(prec, 0)) + 400);
    switch (type) {
      case 'd':
      case 'i':
        if (!IsInt(a)) InvalidFormat(format);
        spec += PRId64;
        std::snprintf(buf.data(), buf.size(), spec.c_str(), a.VInt);
        out += buf.data();
        break;
      case 'u':
      case 'x':
      case 'X':
      case 'o': {
        if (!IsInt(a)) InvalidFormat(format);
        UInt64 v = a.VType == TVarRec::vtInteger ? UInt64(Cardinal(a.VInt)) : UInt64(a.VInt);
        spec += type == 'u' ? PRIu64 : type == 'x' ? PRIx64 : type == 'X' ? PRIX64 : PRIo64;
        std::snprintf(buf.data(), buf.size(), spec.c_str(), v);
        out += buf.data();
        break;
      }
      case 'f':
      case 'F':
      case 'e':
      case 'E':
      case 'g':
      case 'G': {
        double v = FloatArg(a, format);
        spec += type;
        if (prec > 400) InvalidFormat(format);
        std::snprintf(buf.data(), buf.size(), spec.c_str(), v);
        out += buf.data();
        break;
      }
      case 'c':
      case 's': {
        String s;
        if (a.VType == TVarRec::vtString || a.VType == TVarRec::vtChar)
          s = a.VStr;
        else if (type == 'c' && IsInt(a))
          s = String(1, Char(a.VInt));
        else
          InvalidFormat(format);
        if (type == 's' && prec >= 0 && Int64(s.size()) > prec) s.resize(size_t(prec));
        out += Pad(std::move(s), width, flags.find('-') != String::npos);
        break;
      }
      default:
        InvalidFormat(format);
    }
  }
  return out;
}

// ---- scanf -----------------------------------------------------------------------------------------

namespace {
bool IsSpace(Char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }
}  // namespace

int StrScanf(const String& text, const String& format, std::initializer_list<TScanArg> args) {
  int stored = 0;
  size_t ti = 0, fi = 0, next = 0;
  const size_t tn = text.size(), fn = format.size();
  auto skipBlanks = [&] {
    while (ti < tn && IsSpace(text[ti])) ++ti;
  };
  while (fi < fn) {
    Char c = format[fi];
    if (IsSpace(c)) {
      while (fi < fn && IsSpace(format[fi])) ++fi;
      skipBlanks();
      continue;
    }
    if (c != '%' || (fi + 1 < fn && format[fi + 1] == '%')) {
      if (c == '%') ++fi;
      if (ti >= tn || text[ti] != c) return stored;
      ++ti;
      ++fi;
      continue;
    }
    ++fi;
    bool suppress = fi < fn && format[fi] == '*';
    if (suppress) ++fi;
    Int64 width = 0;
    while (fi < fn && format[fi] >= '0' && format[fi] <= '9') {
      width = width * 10 + (format[fi++] - '0');
      if (width > kMaxWidth) InvalidFormat(format);
    }
    while (fi < fn && (format[fi] == 'h' || format[fi] == 'l' || format[fi] == 'L')) ++fi;
    if (fi >= fn) InvalidFormat(format);
    Char type = format[fi++];
    const size_t limit = width > 0 ? size_t(width) : String::npos;
    const TScanArg* dest = nullptr;
    if (!suppress) {
      if (next >= args.size()) ArgumentMissing(format);
      dest = &args.begin()[next++];
    }
    switch (type) {
      case 'd':
      case 'i':
      case 'u': {
        if (dest && !(dest->Kind == TScanArg::saInteger || dest->Kind == TScanArg::saInt64 ||
                      (type == 'u' && dest->Kind == TScanArg::saCardinal)))
          InvalidFormat(format);
        skipBlanks();
        size_t start = ti, taken = 0;
        bool neg = false;
        if (ti < tn && taken < limit && (text[ti] == '+' || text[ti] == '-')) {
          neg = text[ti] == '-';
          ++ti;
          ++taken;
        }
        UInt64 mag = 0;
        size_t digits = 0;
        bool overflow = false;
        while (ti < tn && taken < limit && text[ti] >= '0' && text[ti] <= '9') {
          UInt64 d = UInt64(text[ti] - '0');
          if (mag > (UInt64(std::numeric_limits<Int64>::max()) - d) / 10) overflow = true;
          else mag = mag * 10 + d;
          ++ti;
          ++taken;
          ++digits;
        }
        if (digits == 0) {
          ti = start;
          return stored;
        }
        if (overflow) return stored;
        Int64 v = neg ? -Int64(mag) : Int64(mag);
        if (dest) {
          switch (dest->Kind) {
            case TScanArg::saInteger:
              if (v < std::numeric_limits<Integer>::min() || v > std::numeric_limits<Integer>::max()) return stored;
              *static_cast<Integer*>(dest->Ptr) = Integer(v);
              break;
            case TScanArg::saCardinal:
              if (v < 0 || v > Int64(std::numeric_limits<Cardinal>::max())) return stored;
              *static_cast<Cardinal*>(dest->Ptr) = Cardinal(v);
              break;
            default:
              *static_cast<Int64*>(dest->Ptr) = v;
              break;
          }
          ++stored;
        }
        break;
      }
      case 's':
      case 'c': {
        if (dest && dest->Kind != TScanArg::saString) InvalidFormat(format);
        String s;
        if (type == 's') {
          skipBlanks();
          while (ti < tn && !IsSpace(text[ti]) && s.size() < limit) s += text[ti++];
          if (s.empty()) return stored;
        } else {
          size_t count = width > 0 ? size_t(width) : 1;
          if (tn - ti < count) return stored;
          s = text.substr(ti, count);
          ti += count;
        }
        if (dest) {
          *static_cast<String*>(dest->Ptr) = s;
          ++stored;
        }
        break;
      }
      case 'f':
      case 'e':
      case 'g': {
        if (dest && dest->Kind != TScanArg::saDouble) InvalidFormat(format);
        skipBlanks();
        String num;
        size_t j = ti;
        auto take = [&](auto pred) {
          while (j < tn && num.size() < limit && pred(text[j])) num += text[j++];
        };
        auto isDigit = [](Char ch) { return ch >= '0' && ch <= '9'; };
        if (j < tn && (text[j] == '+' || text[j] == '-')) num += text[j++];
        take(isDigit);
        if (j < tn && text[j] == '.' && num.size() < limit) {
          num += text[j++];
          take(isDigit);
        }
        if (j < tn && (text[j] == 'e' || text[j] == 'E') && num.size() < limit) {
          String save = num;
          size_t saveJ = j;
          num += text[j++];
          if (j < tn && (text[j] == '+' || text[j] == '-')) num += text[j++];
          size_t before = num.size();
          take(isDigit);
          if (num.size() == before) {
            num = save;
            j = saveJ;
          }
        }
        char* end = nullptr;
        double v = std::strtod(num.c_str(), &end);
        if (num.empty() || end != num.c_str() + num.size() || !std::isfinite(v)) return stored;
        ti = j;
        if (dest) {
          *static_cast<double*>(dest->Ptr) = v;
          ++stored;
        }
        break;
      }
      default:
        InvalidFormat(format);
    }
  }
  return stored;
}
