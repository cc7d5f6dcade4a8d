// Reading typed numbers the way the numeric specialised editors accept them.
#pragma once

#include "classlib/core/SysUtils.h"
#include "widgets/editcore/cxTextEditViewData.h"

#include <cmath>

// AText without the locale's thousand separators read as a number: true when it reads and is
// 0 or of a magnitude in 5.0E-324 .. 1.7E308; AValue is 0 otherwise.
inline bool cxTextToNumber(const String& AText, double& AValue) {
  String s = AText;
  cxRemoveThousandSeparators(s);
  double v = 0;
  AValue = 0;
  if (!TryStrToFloat(s, v)) return false;
  const double m = std::fabs(v);
  if (v != 0 && (m < 5.0E-324 || m > 1.7E308)) return false;
  AValue = v;
  return true;
}
