#include "platform/kernel/CodePage.h"

#include <array>

namespace {

// 0x80..0x9F; the rest of the code page equals Latin-1. The five undefined bytes map to
// the C1 controls of the same value.
constexpr char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98
};

enum : Byte { kUpper = 1, kLower = 2, kAlpha = 4 };

struct CaseTables {
  std::array<Byte, 256> upper{}, lower{}, flags{};
  constexpr CaseTables() {
    for (int i = 0; i < 256; ++i) upper[i] = lower[i] = Byte(i);
    auto pair = [this](int up, int low) {
      upper[low] = Byte(up);
      lower[up] = Byte(low);
      flags[up] = kUpper | kAlpha;
      flags[low] = kLower | kAlpha;
    };
    for (int c = 'A'; c <= 'Z'; ++c) pair(c, c + 32);
    for (int c = 0xC0; c <= 0xDE; ++c)
      if (c != 0xD7) pair(c, c + 32);  // × and ÷ are not letters
    pair(0x8A, 0x9A);                  // Š š
    pair(0x8C, 0x9C);                  // Œ œ
    pair(0x8E, 0x9E);                  // Ž ž
    pair(0x9F, 0xFF);                  // Ÿ ÿ
    // Lower-case letters whose capitals the code page lacks: ƒ, µ, ß.
    flags[0x83] = flags[0xB5] = flags[0xDF] = kLower | kAlpha;
    // Letters without case: the ordinal indicators and the modifier circumflex.
    flags[0xAA] = flags[0xBA] = flags[0x88] = kAlpha;
  }
};

constexpr CaseTables kCase;

}  // namespace

char16_t CpToUnicode(Byte b) { return (b >= 0x80 && b < 0xA0) ? kHigh[b - 0x80] : char16_t(b); }

int CpFromUnicode(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return int(cp);
  for (int i = 0; i < 32; ++i)
    if (kHigh[i] == cp) return 0x80 + i;
  return -1;
}

Byte CpUpper(Byte b) { return kCase.upper[b]; }
Byte CpLower(Byte b) { return kCase.lower[b]; }
bool CpIsAlpha(Byte b) { return kCase.flags[b] & kAlpha; }
bool CpIsUpper(Byte b) { return kCase.flags[b] & kUpper; }
bool CpIsLower(Byte b) { return kCase.flags[b] & kLower; }

WideString AnsiToWide(const String& s) {
  WideString out;
  out.reserve(s.size());
  for (char c : s) out.push_back(CpToUnicode(Byte(c)));
  return out;
}

String WideToAnsi(const WideString& s, Char fallback) {
  String out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    const char16_t u = s[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF)
      ++i;  // one character outside the code page, one fallback
    const int b = (u >= 0xD800 && u <= 0xDFFF) ? -1 : CpFromUnicode(u);
    out.push_back(b < 0 ? fallback : char(b));
  }
  return out;
}

String Utf8ToAnsi(const std::string& utf8) {
  String out;
  out.reserve(utf8.size());
  size_t i = 0;
  const size_t n = utf8.size();
  while (i < n) {
    const Byte lead = Byte(utf8[i]);
    int len = 0;
    char32_t cp = 0;
    if (lead < 0x80) {
      len = 1;
      cp = lead;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      len = 2;
      cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      len = 3;
      cp = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      len = 4;
      cp = lead & 0x07;
    } else {
      ++i;  // a stray continuation or invalid lead byte
      continue;
    }
    int k = 1;
    for (; k < len && i + size_t(k) < n; ++k) {
      const Byte c = Byte(utf8[i + size_t(k)]);
      if ((c & 0xC0) != 0x80) break;
      cp = (cp << 6) | (c & 0x3F);
    }
    if (k < len) {  // broken or truncated sequence: drop it, resynchronise on the offending byte
      i += size_t(k);
      continue;
    }
    i += size_t(len);
    // Overlong forms and surrogates are not characters.
    if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
        (cp >= 0xD800 && cp <= 0xDFFF))
      continue;
    const int b = CpFromUnicode(cp);
    if (b >= 0) out.push_back(char(b));
  }
  return out;
}

std::string AnsiToUtf8(const String& s) {
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    const char16_t u = CpToUnicode(Byte(c));
    if (u < 0x80) {
      out.push_back(char(u));
    } else if (u < 0x800) {
      out.push_back(char(0xC0 | (u >> 6)));
      out.push_back(char(0x80 | (u & 0x3F)));
    } else {
      out.push_back(char(0xE0 | (u >> 12)));
      out.push_back(char(0x80 | ((u >> 6) & 0x3F)));
      out.push_back(char(0x80 | (u & 0x3F)));
    }
  }
  return out;
}
