// Case mapping and ordering of text in the code page.
#include "classlib/core/SysUtils.h"
#include "platform/kernel/CodePage.h"

#include <algorithm>

String AnsiUpperCase(const String& s) {
  String r = s;
  for (Char& c : r) c = Char(CpUpper(Byte(c)));
  return r;
}

String AnsiLowerCase(const String& s) {
  String r = s;
  for (Char& c : r) c = Char(CpLower(Byte(c)));
  return r;
}

namespace {
// The unaccented capital of a letter of the code page, or 0 for a non-letter.
Char BaseLetter(Byte b) {
  Byte u = CpUpper(b);
  if (u >= 'A' && u <= 'Z') return Char(u);
  switch (u) {
    case 0x8A: return 'S';   // Š
    case 0x8C: return 'O';   // Œ
    case 0x8E: return 'Z';   // Ž
    case 0x9F: return 'Y';   // Ÿ
    case 0xDF: return 'S';   // ß
    case 0xD0: return 'D';   // Ð
    case 0xD1: return 'N';
    case 0xC7: return 'C';
    case 0xDD: return 'Y';
    case 0xDE: return 'T';   // Þ
    default: break;
  }
  if (u >= 0xC0 && u <= 0xC6) return 'A';
  if (u >= 0xC8 && u <= 0xCB) return 'E';
  if (u >= 0xCC && u <= 0xCF) return 'I';
  if ((u >= 0xD2 && u <= 0xD6) || u == 0xD8) return 'O';
  if (u >= 0xD9 && u <= 0xDC) return 'U';
  if (u == 0xFF) return 'Y';   // ÿ has its capital at 0x9F; kept for safety
  return 0;
}

// Primary weight: symbols by byte, then digits, then letters by their base letter.
int Primary(Byte b) {
  Char base = BaseLetter(b);
  if (base) return 0x300 + (Byte(base) - 'A');
  if (b >= '0' && b <= '9') return 0x200 + (b - '0');
  return b;
}

int Sign(int v) { return (v > 0) - (v < 0); }

// Compares level by level: primary weights, then the accented capital, then (when
// `withCase`) lower case before upper case.
int Collate(const String& a, const String& b, bool withCase) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    int d = Primary(Byte(a[i])) - Primary(Byte(b[i]));
    if (d) return Sign(d);
  }
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  for (size_t i = 0; i < n; ++i) {
    int d = int(CpUpper(Byte(a[i]))) - int(CpUpper(Byte(b[i])));
    if (d) return Sign(d);
  }
  if (!withCase) return 0;
  for (size_t i = 0; i < n; ++i) {
    bool ua = CpIsUpper(Byte(a[i])), ub = CpIsUpper(Byte(b[i]));
    if (ua != ub) return ua ? 1 : -1;
  }
  return 0;
}
}  // namespace

int AnsiCompareStr(const String& a, const String& b) { return Collate(a, b, true); }
int AnsiCompareText(const String& a, const String& b) { return Collate(a, b, false); }
bool AnsiSameText(const String& a, const String& b) { return AnsiCompareText(a, b) == 0; }
bool AnsiSameStr(const String& a, const String& b) { return a == b; }
