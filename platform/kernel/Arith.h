// Integer arithmetic with the platform's and the class library's rounding rules.
#pragma once

#include "platform/kernel/Types.h"

// a * b / c from a 64-bit product, the exact quotient rounded half away from zero.
// -1 when c is zero or the result does not fit in 32 bits, as the platform answers.
Integer MulDiv(Integer a, Integer b, Integer c);

// v limited to the 32-bit range: sums and differences of caller values saturate there
// instead of overflowing.
constexpr Integer Saturate32(Int64 v) {
  return v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : Integer(v);
}

// The class library's Round: to the nearest integer, halves to the even neighbour
// (2.5 -> 2, 3.5 -> 4, -2.5 -> -2). Trunc drops the fraction (towards zero).
// Both throw std::out_of_range for NaN, infinities and values beyond 64 bits, where the
// class library raises an invalid-operation error; callers above the platform translate it.
Int64 Round(double x);
Int64 Trunc(double x);
