#include "platform/kernel/Arith.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <stdexcept>

Integer MulDiv(Integer a, Integer b, Integer c) {
  if (c == 0) return -1;
  const Int64 product = Int64(a) * Int64(b);
  const bool negative = (product < 0) != (c < 0);
  // |product| <= 2^62 and |c| <= 2^31, so unsigned 64-bit holds both magnitudes.
  const UInt64 num = product < 0 ? UInt64(0) - UInt64(product) : UInt64(product);
  const UInt64 den = c < 0 ? UInt64(0) - UInt64(Int64(c)) : UInt64(c);
  UInt64 q = num / den;
  const UInt64 r = num % den;
  if (r >= den - r) ++q;  // r * 2 >= den without overflow: half goes away from zero
  const Int64 result = negative ? -Int64(q) : Int64(q);
  if (result > std::numeric_limits<Integer>::max() || result < std::numeric_limits<Integer>::min())
    return -1;
  return Integer(result);
}

namespace {

// Doubles in [-2^63, 2^63) convert to Int64 without overflow.
void CheckRange(double x, const char* what) {
  if (!(x >= -9223372036854775808.0 && x < 9223372036854775808.0))
    throw std::out_of_range(std::string(what) + ": value outside the 64-bit integer range");
}

}  // namespace

Int64 Round(double x) {
  if (!std::isfinite(x)) throw std::out_of_range("Round: value is not a finite number");
  const double lower = std::floor(x);
  const double diff = x - lower;  // exact: x and floor(x) share their binade
  double result = lower;
  if (diff > 0.5 || (diff == 0.5 && std::fmod(lower, 2.0) != 0.0)) result = lower + 1.0;
  CheckRange(result, "Round");
  return Int64(result);
}

Int64 Trunc(double x) {
  if (!std::isfinite(x)) throw std::out_of_range("Trunc: value is not a finite number");
  const double t = std::trunc(x);
  CheckRange(t, "Trunc");
  return Int64(t);
}
