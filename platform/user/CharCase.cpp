// Case conversion of byte strings through the code page's tables.
#include "platform/kernel/CodePage.h"
#include "platform/user/User.h"

DWORD CharUpperBuffA(LPSTR text, DWORD length) {
  if (!text) return 0;
  for (DWORD i = 0; i < length; ++i) text[i] = char(CpUpper(Byte(text[i])));
  return length;
}

DWORD CharLowerBuffA(LPSTR text, DWORD length) {
  if (!text) return 0;
  for (DWORD i = 0; i < length; ++i) text[i] = char(CpLower(Byte(text[i])));
  return length;
}
