// Decimal digits of a double, shared by the float and format routines of this library.
#pragma once

#include "classlib/core/SysUtils.h"

// |value| = 0.Digits × 10^Exponent; zero has no digits.
struct TDecimal {
  bool Negative = false;
  enum { sNone, sNaN, sPosInf, sNegInf } Special = sNone;
  String Digits;       // significant digits, no trailing zeros
  int Exponent = 0;
};

// At most `precision` (1..18) significant digits and at most `decimals` after the point,
// rounded half away from zero from the value's 18-digit expansion.
TDecimal ToDecimal(double v, int precision, int decimals);
