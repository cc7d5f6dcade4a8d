#include <gtest/gtest.h>

#include "platform/kernel/Arith.h"

#include <limits>
#include <stdexcept>
#include <tuple>
#include <utility>

TEST(MulDiv, RoundsTheExactQuotientHalfAwayFromZero) {
  // 7.5, 2.5, 2.33, 2.67 and their negatives; a third stays zero, never -0 or -1.
  const std::tuple<Integer, Integer, Integer, Integer> cases[] = {
      {10, 3, 4, 8},   {10, 1, 4, 3},   {7, 1, 3, 2},   {8, 1, 3, 3},  {-10, 3, 4, -8}, {10, -1, 4, -3},
      {10, 1, -4, -3}, {-10, 1, -4, 3}, {-7, 1, 3, -2}, {-8, 1, 3, -3}, {0, 5, 7, 0},   {1, 1, 3, 0}};
  for (auto [a, b, c, want] : cases) EXPECT_EQ(MulDiv(a, b, c), want) << a << "*" << b << "/" << c;
}

TEST(MulDiv, UsesTheFull64BitProduct) {
  // 100000 * 100000 overflows 32 bits; the quotient fits again.
  EXPECT_EQ(MulDiv(100000, 100000, 100000), 100000);
  EXPECT_EQ(MulDiv(0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF), 0x7FFFFFFF);
  EXPECT_EQ(MulDiv(std::numeric_limits<Integer>::min(), 1, 1), std::numeric_limits<Integer>::min());
  EXPECT_EQ(MulDiv(std::numeric_limits<Integer>::min(), -1, -1),
            std::numeric_limits<Integer>::min());
}

TEST(MulDiv, AnswersMinusOneOnZeroDivisorOrOverflow) {
  for (auto [a, b, c] : {std::tuple{5, 6, 0}, {0, 0, 0}, {0x7FFFFFFF, 2, 1}, {INT32_MIN, -1, 1}, {0x40000000, 4, 2}})
    EXPECT_EQ(MulDiv(a, b, c), -1) << a << "*" << b << "/" << c;
  // Rounding itself can push the result out of range.
  EXPECT_EQ(MulDiv(0x7FFFFFFF, 2, 2), 0x7FFFFFFF);
}

TEST(Round, HalvesGoToTheEvenNeighbour) {
  for (auto [x, want] : {std::pair{0.5, 0}, {1.5, 2}, {2.5, 2}, {3.5, 4}, {-0.5, 0}, {-1.5, -2}, {-2.5, -2},
                         {2.4999999, 2}, {2.5000001, 3}, {-2.5000001, -3}})
    EXPECT_EQ(Round(x), want) << x;
  EXPECT_EQ(Round(1e15 + 0.5), Int64(1e15));                 // even
  EXPECT_EQ(Round(4503599627370497.0), 4503599627370497LL);  // 2^52 + 1: no fraction left
}

TEST(Trunc, DropsTheFractionTowardsZero) {
  for (auto [x, want] : {std::pair{2.9, 2}, {-2.9, -2}, {-0.1, 0}}) EXPECT_EQ(Trunc(x), want) << x;
  EXPECT_EQ(Trunc(9007199254740993.0), 9007199254740992LL);
}

TEST(RoundAndTrunc, RefuseValuesWithoutAnInteger) {
  EXPECT_THROW(Round(std::numeric_limits<double>::quiet_NaN()), std::out_of_range);
  EXPECT_THROW(Round(std::numeric_limits<double>::infinity()), std::out_of_range);
  EXPECT_THROW(Trunc(-std::numeric_limits<double>::infinity()), std::out_of_range);
  EXPECT_THROW(Trunc(9.3e18), std::out_of_range);
  EXPECT_THROW(Round(-9.3e18), std::out_of_range);
  EXPECT_EQ(Trunc(-9223372036854775808.0), std::numeric_limits<Int64>::min());
}
