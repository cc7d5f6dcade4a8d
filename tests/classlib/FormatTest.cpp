#include <gtest/gtest.h>

#include "tests/classlib/ErrorText.h"

#include "classlib/core/SysUtils.h"

#include <limits>

TEST(Format, IntegerSpecifiers) {
  EXPECT_EQ(Format("%-5d|", {5}), "5    |");
  EXPECT_EQ(Format("%.3d", {-7}), "-007");
  EXPECT_EQ(Format("%02d", {5}), " 5");   // a leading 0 is part of the width, not a flag
  EXPECT_EQ(Format("%d", {std::numeric_limits<Int64>::min()}), "-9223372036854775808");
  EXPECT_EQ(Format("%.4x", {255}), "00FF");
  EXPECT_EQ(Format("%X", {Int64(-1)}), "FFFFFFFFFFFFFFFF");
  EXPECT_EQ(Format("%d%%", {50}), "50%");
}

TEST(Format, StringsIndexesAndStars) {
  EXPECT_EQ(Format("%.2s|", {"abc"}), "ab|");
  EXPECT_EQ(Format("%0:s %s %0:s", {"a", "b"}), "a b a");   // after an index, counting goes on from it
  EXPECT_EQ(Format("%-*d|", {3, 7}), "7  |");
}

TEST(Format, FloatSpecifiers) {
  EXPECT_EQ(Format("%.1f", {-0.04}), "0.0");
  EXPECT_EQ(Format("%.3e", {-0.00012345}), "-1.23E-004");
  EXPECT_EQ(Format("%.0n", {1234567.891}), "1,234,568");
  EXPECT_EQ(Format("%m", {-5.0}), "($5.00)");
  TFormatSettings de;
  de.DecimalSeparator = ',';
  de.ThousandSeparator = '.';
  EXPECT_EQ(Format("%.1f %n", {2.5, 1234.5}, de), "2,5 1.234,50");
}

TEST(Format, MismatchAndMissingArgumentsRaise) {
  EXPECT_THROW(Format("%s", {1}), EConvertError);
  EXPECT_THROW(Format("%*d", {"w", 1}), EConvertError);
  EXPECT_THROW(Format("%2:d", {1, 2}), EConvertError);
  EXPECT_THROW(Format("abc %", {1}), EConvertError);
  EXPECT_THROW(Format("%999999999d", {1}), EConvertError);   // refused, not allocated
  EXPECT_EQ(MessageOf<EConvertError>([] { Format("%d", {"x"}); }), "Format '%d' invalid or incompatible with argument");
  EXPECT_EQ(MessageOf<EConvertError>([] { Format("%d %s", {1}); }), "No argument for format '%d %s'");
  EXPECT_EQ(Format("no specifiers", {1, 2}), "no specifiers");   // surplus arguments are ignored
}

TEST(StrPrintf, CStyleFlagsAndTypes) {
  EXPECT_EQ(StrPrintf("%d:%02d", {3, 7}), "3:07");
  EXPECT_EQ(StrPrintf("%+d % d", {5, 5}), "+5  5");
  EXPECT_EQ(StrPrintf("%x %X %o", {255, 255, 8}), "ff FF 10");
  EXPECT_EQ(StrPrintf("%*d|%-*d|", {3, 1, 3, 2}), "  1|2  |");
  EXPECT_THROW(StrPrintf("%s", {3.5}), EConvertError);
  EXPECT_THROW(StrPrintf("%d,%d", {1}), EConvertError);
  EXPECT_THROW(StrPrintf("%", {1}), EConvertError);
}

TEST(StrScanf, ReadsTheStoredTexts) {
  Integer a = -1, b = -1;
  EXPECT_EQ(StrScanf("Size: 10, Colors:  4", "Size: %d, Colors: %d", {&a, &b}), 2);
  EXPECT_EQ(a, 10);
  EXPECT_EQ(b, 4);
  a = b = 99;
  EXPECT_EQ(StrScanf("3;4", "%d,%d", {&a, &b}), 1);
  EXPECT_EQ(a, 3);
  EXPECT_EQ(b, 99);
  EXPECT_EQ(StrScanf("-", "%d", {&a}), 0);
  EXPECT_EQ(StrScanf("99999999999", "%d", {&a}), 0);   // out of range: not stored
  EXPECT_EQ(a, 3);
  Int64 big = 0;
  EXPECT_EQ(StrScanf("99999999999", "%d", {&big}), 1);
  EXPECT_EQ(big, 99999999999);
}

TEST(StrScanf, WordsWidthsAndDestinationKinds) {
  String w1, w2;
  Integer n = 0;
  EXPECT_EQ(StrScanf("  hello world 7", "%s %s %d", {&w1, &w2, &n}), 3);
  EXPECT_EQ(w1, "hello");
  EXPECT_EQ(n, 7);
  EXPECT_THROW(StrScanf("12345", "%2d%d", {&n, &w1}), EConvertError);   // a String for %d
  EXPECT_EQ(n, 12);   // values before the fault stay stored
  Integer x = 0, y = 0;
  EXPECT_EQ(StrScanf("12345", "%2d%d", {&x, &y}), 2);
  EXPECT_EQ(x, 12);
  EXPECT_EQ(y, 345);
  double d = 0;
  EXPECT_EQ(StrScanf("v=2.5e1", "v=%f", {&d}), 1);
  EXPECT_DOUBLE_EQ(d, 25);
  Cardinal u = 0;
  EXPECT_EQ(StrScanf("-1", "%u", {&u}), 0);
  EXPECT_THROW(StrScanf("1 2", "%d %d", {&x}), EConvertError);
}
