// The locale's string comparison: the same three levels for every built-in table.
#include "platform/kernel/CodePage.h"
#include "platform/kernel/Locale.h"
#include "platform/kernel/LocaleInternal.h"

#include <algorithm>
#include <cstring>

namespace {

// The unaccented capital of a letter, or 0 for anything else.
Byte BaseLetter(Byte b) {
  const Byte u = CpUpper(b);
  if (u >= 'A' && u <= 'Z') return u;
  switch (u) {
    case 0x8A: case 0xDF: return 'S';  // Š ß
    case 0x8C: case 0xD2: case 0xD3: case 0xD4: case 0xD5: case 0xD6: case 0xD8: return 'O';
    case 0x8E: return 'Z';
    case 0x9F: case 0xDD: case 0xFF: return 'Y';
    case 0xC7: return 'C';
    case 0xD0: return 'D';
    case 0xD1: return 'N';
    case 0xDE: return 'T';
    default: break;
  }
  if (u >= 0xC0 && u <= 0xC6) return 'A';
  if (u >= 0xC8 && u <= 0xCB) return 'E';
  if (u >= 0xCC && u <= 0xCF) return 'I';
  if (u >= 0xD9 && u <= 0xDC) return 'U';
  return 0;
}

// Symbols by byte, then digits, then letters.
int Primary(Byte b) {
  if (Byte base = BaseLetter(b)) return 0x300 + (base - 'A');
  if (b >= '0' && b <= '9') return 0x200 + (b - '0');
  return b;
}

int Order(int d) { return d < 0 ? CSTR_LESS_THAN : d > 0 ? CSTR_GREATER_THAN : CSTR_EQUAL; }

}  // namespace

int CompareStringA(LCID locale, DWORD flags, LPCSTR s1, int n1, LPCSTR s2, int n2) {
  if (!LocaleFor(locale) || (flags & ~NORM_IGNORECASE) || !s1 || !s2) return 0;
  const size_t a = n1 < 0 ? std::strlen(s1) : size_t(n1);
  const size_t b = n2 < 0 ? std::strlen(s2) : size_t(n2);
  const size_t n = std::min(a, b);
  auto at = [](LPCSTR s, size_t i) { return Byte(s[i]); };
  for (size_t i = 0; i < n; ++i)
    if (int d = Primary(at(s1, i)) - Primary(at(s2, i))) return Order(d);
  if (a != b) return a < b ? CSTR_LESS_THAN : CSTR_GREATER_THAN;
  for (size_t i = 0; i < n; ++i)
    if (int d = int(CpUpper(at(s1, i))) - int(CpUpper(at(s2, i)))) return Order(d);
  if (flags & NORM_IGNORECASE) return CSTR_EQUAL;
  for (size_t i = 0; i < n; ++i) {
    const bool u1 = CpIsUpper(at(s1, i)), u2 = CpIsUpper(at(s2, i));
    if (u1 != u2) return u1 ? CSTR_GREATER_THAN : CSTR_LESS_THAN;
  }
  // Same letters in the same case: any byte still different (a non-letter) decides.
  for (size_t i = 0; i < n; ++i)
    if (at(s1, i) != at(s2, i)) return Order(int(at(s1, i)) - int(at(s2, i)));
  return CSTR_EQUAL;
}
