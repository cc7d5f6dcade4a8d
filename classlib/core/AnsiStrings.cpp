// Case mapping and ordering of text in the code page.
#include "classlib/core/SysUtils.h"
#include "platform/kernel/CodePage.h"
#include "platform/kernel/Locale.h"


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
// The user locale's collation: letters by their base letter, then accents, then case.
int Collate(const String& a, const String& b, DWORD flags) {
  const int r = CompareStringA(LOCALE_USER_DEFAULT, flags, a.data(), int(a.size()), b.data(), int(b.size()));
  return r ? r - CSTR_EQUAL : (a < b ? -1 : a > b ? 1 : 0);
}
}  // namespace

int AnsiCompareStr(const String& a, const String& b) { return Collate(a, b, 0); }
int AnsiCompareText(const String& a, const String& b) { return Collate(a, b, NORM_IGNORECASE); }
bool AnsiSameText(const String& a, const String& b) { return AnsiCompareText(a, b) == 0; }
bool AnsiSameStr(const String& a, const String& b) { return a == b; }
