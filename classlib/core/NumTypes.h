// Numeric types shared by the class library: fixed-point currency and date-time values.
#pragma once

#include "platform/kernel/Types.h"

#include <compare>

// A fixed-point amount with four decimal places: the value times 10000 in 64 bits.
struct Currency {
  Int64 Raw = 0;

  static constexpr Currency FromRaw(Int64 raw) { return Currency{raw}; }
  constexpr auto operator<=>(const Currency&) const = default;
};

// Days since 1899-12-30; the fraction is the time of day. A distinct type so that
// properties and variants can tell a date from a plain floating-point number; it
// converts to and from double implicitly, so date arithmetic reads naturally.
struct TDateTime {
  double Value = 0;

  constexpr TDateTime() = default;
  constexpr TDateTime(double v) : Value(v) {}  // NOLINT: implicit by design
  constexpr operator double() const { return Value; }
};
