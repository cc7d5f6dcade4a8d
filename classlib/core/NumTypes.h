// Fixed-point money and the date-time number of the class library.
#pragma once

#include "platform/kernel/Types.h"

// Days since 1899-12-30; the fraction is the time of day. Before that day the
// fraction still counts forwards from midnight (-1.25 is 1899-12-29 06:00).
using TDateTime = double;

// Money as a scaled 64-bit integer: the value times 10000, so four decimals are exact.
// Conversions and arithmetic that leave the range raise EOverflow instead of wrapping.
struct Currency {
  static constexpr Int64 Scale = 10000;
  Int64 Value = 0;   // amount × 10000

  constexpr Currency() = default;
  constexpr Currency(Integer units) : Value(Int64(units) * Scale) {}

  static constexpr Currency FromRaw(Int64 raw) {
    Currency c;
    c.Value = raw;
    return c;
  }
  // Rounds to the nearest 1/10000, ties to even (the floating unit's default rounding).
  static Currency FromDouble(double v);
  static Currency FromInt64(Int64 v);
  double ToDouble() const { return double(Value) / double(Scale); }

  Currency operator-() const;
  Currency& operator+=(const Currency& o);
  Currency& operator-=(const Currency& o);
  Currency& operator*=(const Currency& o);
  Currency& operator/=(const Currency& o);   // EZeroDivide on zero
  friend Currency operator+(Currency a, const Currency& b) { return a += b; }
  friend Currency operator-(Currency a, const Currency& b) { return a -= b; }
  friend Currency operator*(Currency a, const Currency& b) { return a *= b; }
  friend Currency operator/(Currency a, const Currency& b) { return a /= b; }
  friend constexpr bool operator==(const Currency&, const Currency&) = default;
  friend constexpr auto operator<=>(const Currency&, const Currency&) = default;
};
