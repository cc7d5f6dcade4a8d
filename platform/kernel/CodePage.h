// The Windows-1252 code page: the one character set of text inside the system.
// Conversion to Unicode happens only at the host boundary (glyph lookup, keyboard text,
// clipboard). The five bytes 1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map
// to the C1 control code points of the same value, so every byte round-trips.
#pragma once

#include "platform/kernel/Types.h"

char16_t CpToUnicode(Byte b);
// The byte for a code point, or -1 when the code page has none.
int CpFromUnicode(char32_t cp);
Byte CpUpper(Byte b);   // š→Š, œ→Œ, ÿ→Ÿ; ß and µ keep their case
Byte CpLower(Byte b);
bool CpIsAlpha(Byte b);
bool CpIsUpper(Byte b);
bool CpIsLower(Byte b);
// Whether b starts a double-byte character: never, in a single-byte code page.
inline BOOL IsDBCSLeadByte(Byte) { return FALSE; }

WideString AnsiToWide(const String& s);
// Characters without a 1252 byte become `fallback`.
String WideToAnsi(const WideString& s, Char fallback = '?');
// UTF-8 at the host boundary: characters without a byte are dropped.
String Utf8ToAnsi(const std::string& utf8);
std::string AnsiToUtf8(const String& s);
