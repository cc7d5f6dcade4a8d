// Shared between the stand-in's files; not for callers.
#pragma once

#include "platform/kernel/CodePage.h"
#include "platform/theme/ThemeMetrics.h"

inline bool ThemeSameName(const String& a, const String& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (CpUpper(Byte(a[i])) != CpUpper(Byte(b[i]))) return false;
  return true;
}

// Draws one part in one state into `r` (logical coordinates of `dc`).
void ThemeDrawPart(HDC dc, const String& className, int part, int state, const TRect& r);
