// Strings, integers and file names.
#include "classlib/core/SysUtils.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <limits>

// ---- Strings -------------------------------------------------------------------------------

int Pos(const String& sub, const String& s) {
  if (sub.empty()) return 0;
  size_t p = s.find(sub);
  return p == String::npos ? 0 : int(p) + 1;
}

String Copy(const String& s, int index1, int count) {
  Int64 len = Int64(s.size());
  Int64 start = std::max<Int64>(index1, 1);
  if (count <= 0 || start > len) return String();
  Int64 n = std::min<Int64>(count, len - start + 1);
  return s.substr(size_t(start - 1), size_t(n));
}

void Delete(String& s, int index1, int count) {
  Int64 len = Int64(s.size());
  if (index1 < 1 || index1 > len || count <= 0) return;
  Int64 n = std::min<Int64>(count, len - index1 + 1);
  s.erase(size_t(index1 - 1), size_t(n));
}

void Insert(const String& sub, String& s, int index1) {
  Int64 len = Int64(s.size());
  Int64 at = std::clamp<Int64>(index1, 1, len + 1);
  s.insert(size_t(at - 1), sub);
}

String StringOfChar(Char c, int count) { return count > 0 ? String(size_t(count), c) : String(); }

namespace {
bool IsBlank(Char c) { return Byte(c) <= ' '; }
}  // namespace

String TrimLeft(const String& s) {
  size_t i = 0;
  while (i < s.size() && IsBlank(s[i])) ++i;
  return s.substr(i);
}

String TrimRight(const String& s) {
  size_t n = s.size();
  while (n > 0 && IsBlank(s[n - 1])) --n;
  return s.substr(0, n);
}

String Trim(const String& s) { return TrimLeft(TrimRight(s)); }

String UpperCase(const String& s) {
  String r = s;
  for (Char& c : r)
    if (c >= 'a' && c <= 'z') c = Char(c - 32);
  return r;
}

String LowerCase(const String& s) {
  String r = s;
  for (Char& c : r)
    if (c >= 'A' && c <= 'Z') c = Char(c + 32);
  return r;
}

int CompareStr(const String& a, const String& b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i)
    if (a[i] != b[i]) return int(Byte(a[i])) - int(Byte(b[i]));
  return int(Int64(a.size()) - Int64(b.size()) > 0) - int(Int64(a.size()) - Int64(b.size()) < 0);
}

int CompareText(const String& a, const String& b) {
  auto up = [](Char c) { return (c >= 'a' && c <= 'z') ? int(Byte(c)) - 32 : int(Byte(c)); };
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    int d = up(a[i]) - up(b[i]);
    if (d != 0) return d;
  }
  return int(a.size() > b.size()) - int(a.size() < b.size());
}

bool SameText(const String& a, const String& b) { return CompareText(a, b) == 0; }

String StringReplace(const String& s, const String& oldPattern, const String& newPattern,
                     std::initializer_list<TReplaceFlag> flags) {
  bool all = false, ignoreCase = false;
  for (TReplaceFlag f : flags) {
    if (f == TReplaceFlag::rfReplaceAll) all = true;
    if (f == TReplaceFlag::rfIgnoreCase) ignoreCase = true;
  }
  if (oldPattern.empty()) return s;
  const String hay = ignoreCase ? AnsiUpperCase(s) : s;
  const String needle = ignoreCase ? AnsiUpperCase(oldPattern) : oldPattern;
  String out;
  size_t from = 0;
  while (from <= s.size()) {
    size_t p = hay.find(needle, from);
    if (p == String::npos) break;
    out.append(s, from, p - from);
    out += newPattern;
    from = p + oldPattern.size();
    if (!all) break;
  }
  out.append(s, std::min(from, s.size()), String::npos);
  return out;
}

bool IsValidIdent(const String& s) {
  if (s.empty()) return false;
  for (size_t i = 0; i < s.size(); ++i) {
    Char c = s[i];
    bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
    if (!letter && !(i > 0 && c >= '0' && c <= '9')) return false;
  }
  return true;
}

String AnsiQuotedStr(const String& s, Char quote) {
  String r(1, quote);
  for (Char c : s) {
    r += c;
    if (c == quote) r += c;
  }
  r += quote;
  return r;
}

String QuotedStr(const String& s) { return AnsiQuotedStr(s, '\''); }

String AnsiDequotedStr(const String& s, Char quote) {
  if (s.empty() || s[0] != quote) return s;
  String r;
  size_t i = 1;
  while (i < s.size()) {
    if (s[i] == quote) {
      if (i + 1 < s.size() && s[i + 1] == quote) {
        r += quote;
        i += 2;
        continue;
      }
      return r;   // closing quote: whatever follows is not part of the value
    }
    r += s[i++];
  }
  return r;
}

// ---- Integers ------------------------------------------------------------------------------

String IntToStr(Integer v) { return IntToStr(Int64(v)); }

String IntToStr(Int64 v) {
  char buf[24];
  UInt64 mag = v < 0 ? UInt64(0) - UInt64(v) : UInt64(v);
  int n = 0;
  do {
    buf[n++] = char('0' + mag % 10);
    mag /= 10;
  } while (mag);
  String r;
  if (v < 0) r += '-';
  while (n) r += buf[--n];
  return r;
}

namespace {
String HexOf(UInt64 bits, int digits) {
  static const char kHex[] = "0123456789ABCDEF";
  String r;
  do {
    r += kHex[bits & 15];
    bits >>= 4;
  } while (bits);
  digits = std::min(digits, 64);   // a silly width must not allocate without bound
  while (int(r.size()) < digits) r += '0';
  std::reverse(r.begin(), r.end());
  return r;
}

// Parses the class library's integer text. `hexBits` is the width of a hexadecimal bit
// pattern; decimal text must fit [lo, hi].
bool ParseInteger(const String& s, Int64 lo, Int64 hi, int hexBits, Int64& out) {
  size_t i = 0, n = s.size();
  while (i < n && (s[i] == ' ' || s[i] == '\t')) ++i;
  bool neg = false;
  if (i < n && (s[i] == '+' || s[i] == '-')) {
    neg = s[i] == '-';
    ++i;
  }
  bool hex = false;
  if (i < n && s[i] == '$') {
    hex = true;
    ++i;
  } else if (i + 1 < n && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i >= n) return false;
  UInt64 mag = 0;
  if (hex) {
    for (; i < n; ++i) {
      Char c = s[i];
      int d = c >= '0' && c <= '9' ? c - '0'
              : c >= 'a' && c <= 'f' ? c - 'a' + 10
              : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
      if (d < 0 || (mag >> (hexBits - 4)) != 0) return false;
      mag = (mag << 4) | UInt64(d);
    }
    // The digits are the value's bits: $FFFFFFFF is -1 as an Integer.
    Int64 v = hexBits == 64 ? Int64(mag)
              : (mag >> (hexBits - 1)) ? Int64(mag) - (Int64(1) << hexBits) : Int64(mag);
    if (neg) {
      if (v == std::numeric_limits<Int64>::min()) return false;
      v = -v;
    }
    if (v < lo || v > hi) return false;
    out = v;
    return true;
  }
  const UInt64 limit = neg ? UInt64(0) - UInt64(lo) : UInt64(hi);
  for (; i < n; ++i) {
    Char c = s[i];
    if (c < '0' || c > '9') return false;
    UInt64 d = UInt64(c - '0');
    if (mag > (limit - d) / 10) return false;
    mag = mag * 10 + d;
  }
  out = neg ? Int64(UInt64(0) - mag) : Int64(mag);
  return true;
}

[[noreturn]] void RaiseInvalidInteger(const String& s) {
  throw EConvertError(Format(LoadResString(SysConst::SInvalidInteger), {s}));
}
}  // namespace

String IntToHex(Integer v, int digits) { return HexOf(UInt64(Cardinal(v)), digits); }
String IntToHex(Int64 v, int digits) { return HexOf(UInt64(v), digits); }

bool TryStrToInt(const String& s, Integer& out) {
  Int64 v;
  if (!ParseInteger(s, std::numeric_limits<Integer>::min(), std::numeric_limits<Integer>::max(), 32, v))
    return false;
  out = Integer(v);
  return true;
}

Integer StrToInt(const String& s) {
  Integer v;
  if (!TryStrToInt(s, v)) RaiseInvalidInteger(s);
  return v;
}

Integer StrToIntDef(const String& s, Integer def) {
  Integer v;
  return TryStrToInt(s, v) ? v : def;
}

bool TryStrToInt64(const String& s, Int64& out) {
  return ParseInteger(s, std::numeric_limits<Int64>::min(), std::numeric_limits<Int64>::max(), 64, out);
}

Int64 StrToInt64(const String& s) {
  Int64 v;
  if (!TryStrToInt64(s, v)) RaiseInvalidInteger(s);
  return v;
}

Int64 StrToInt64Def(const String& s, Int64 def) {
  Int64 v;
  return TryStrToInt64(s, v) ? v : def;
}

// ---- Files ----------------------------------------------------------------------------------

namespace {
bool IsDelim(Char c) { return c == '/' || c == '\\'; }

size_t LastDelim(const String& s) {
  for (size_t i = s.size(); i > 0; --i)
    if (IsDelim(s[i - 1])) return i - 1;
  return String::npos;
}
}  // namespace

String ExtractFilePath(const String& fileName) {
  size_t p = LastDelim(fileName);
  return p == String::npos ? String() : fileName.substr(0, p + 1);
}

String ExtractFileDir(const String& fileName) {
  size_t p = LastDelim(fileName);
  if (p == String::npos) return String();
  if (p == 0) return fileName.substr(0, 1);   // the root keeps its delimiter
  return fileName.substr(0, p);
}

String ExtractFileName(const String& fileName) {
  size_t p = LastDelim(fileName);
  return p == String::npos ? fileName : fileName.substr(p + 1);
}

String ExtractFileExt(const String& fileName) {
  for (size_t i = fileName.size(); i > 0; --i) {
    Char c = fileName[i - 1];
    if (IsDelim(c)) break;
    if (c == '.') return fileName.substr(i - 1);
  }
  return String();
}

String ChangeFileExt(const String& fileName, const String& ext) {
  String ext0 = ExtractFileExt(fileName);
  return fileName.substr(0, fileName.size() - ext0.size()) + ext;
}

String IncludeTrailingPathDelimiter(const String& s) {
  if (!s.empty() && IsDelim(s.back())) return s;
  return s + PathDelim;
}

String ExcludeTrailingPathDelimiter(const String& s) {
  if (s.size() > 1 && IsDelim(s.back())) return s.substr(0, s.size() - 1);
  return s;
}

bool FileExists(const String& fileName) {
  if (fileName.empty() || fileName.find('\0') != String::npos) return false;
  struct stat st;
  return ::stat(fileName.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirectoryExists(const String& name) {
  if (name.empty() || name.find('\0') != String::npos) return false;
  struct stat st;
  return ::stat(name.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}
