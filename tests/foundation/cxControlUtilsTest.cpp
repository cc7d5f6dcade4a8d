#include <gtest/gtest.h>

#include "classlib/core/SysUtils.h"
#include "platform/gdi/Gdi.h"
#include "widgets/foundation/cxControlUtils.h"

#include <set>

TEST(ColorParserTest, RgbTextIsClampedAndLenient) {
  struct Case {
    const char* text;
    COLORREF color;
  } cases[] = {
      {"255.128.0", RGB(255, 128, 0)},
      {"300.0.0", RGB(255, 0, 0)},        // not wrapped to 44
      {"-5.999999999999.12", RGB(0, 255, 12)},
      {"1 0.x2y.3", RGB(10, 2, 3)},       // other characters skipped
      {"1-2.3", RGB(12, 3, 0)},           // "-" counts only in front
      {"x-99999999999.0001.00000000000000000000007", RGB(0, 1, 7)},
      {"1.2.3.4", RGB(1, 2, 3)},
  };
  for (const Case& c : cases) EXPECT_EQ(COLORREF(cxRGBStringToColor(c.text)), c.color) << c.text;
}

TEST(ColorParserTest, HexTextReadsPairsAndShortInputKeepsItsDigits) {
  struct Case {
    const char* text;
    COLORREF color;
  } cases[] = {
      {"#FF8000", RGB(255, 128, 0)},
      {"$12 34 56 78", RGB(0x12, 0x34, 0x56)},
      {"#FF80", RGB(255, 128, 0)},
      {"#FF8", RGB(255, 8, 0)},
      {"zz#0G0H0", RGB(0, 0, 0)},
  };
  for (const Case& c : cases) EXPECT_EQ(COLORREF(cxHexStringToColor(c.text)), c.color) << c.text;
  EXPECT_EQ(cxHexStringToColor("#FF8000"), cxRGBStringToColor("255.128.0"));
}

TEST(ColorParserTest, AddingToAColourStaysInRangeAndResolvesSystemColours) {
  EXPECT_EQ(COLORREF(cxAddToColor(TColor(RGB(250, 10, 100)), 10, -20, 5)), RGB(255, 0, 105));
  COLORREF face = GetSysColor(15);
  TColor btnFace = TColor(0x8000000F);
  EXPECT_EQ(COLORREF(cxAddToColor(btnFace, 0, 0, 0)), face);
  EXPECT_EQ(GetRValue(COLORREF(cxAddToColor(btnFace, 1, 0, 0))), std::min(255, GetRValue(face) + 1));
}

TEST(NumberTextTest, IntegerAndNumberTests) {
  EXPECT_TRUE(cxIsIntegerText(" 42 "));
  EXPECT_FALSE(cxIsIntegerText(""));
  EXPECT_FALSE(cxIsIntegerText("99999999999"));

  Char sep = FormatSettings.DecimalSeparator;
  FormatSettings.DecimalSeparator = ',';
  EXPECT_TRUE(cxIsNumberText("-12,5"));
  EXPECT_FALSE(cxIsNumberText("12.5"));
  FormatSettings.DecimalSeparator = '.';
  EXPECT_TRUE(cxIsNumberText(" 12.5 "));
  EXPECT_FALSE(cxIsNumberText("1e5"));
  EXPECT_FALSE(cxIsNumberText("2" + String(308, '0'))) << "beyond 1.7e308";
  EXPECT_TRUE(cxIsNumberText("17" + String(307, '0')));
  FormatSettings.DecimalSeparator = sep;
}

TEST(NumberTextTest, LenientReadersNeverRaise) {
  struct Case {
    const char* text;
    bool stop;
    Integer value;
  } cases[] = {
      {"abc12de3", false, 123}, {"abc12de3", true, 0}, {"1-2", false, 12},
      {"-", false, 0}, {"99999999999", false, 0}, {"-2147483648", false, -2147483647 - 1},
  };
  for (const Case& c : cases) EXPECT_EQ(cxStrToIntLenient(c.text, c.stop), c.value) << c.text << " " << c.stop;

  Char sep = FormatSettings.DecimalSeparator;
  FormatSettings.DecimalSeparator = '.';
  EXPECT_DOUBLE_EQ(cxStrToFloatLenient("a-1.5b"), -1.5);
  EXPECT_DOUBLE_EQ(cxStrToFloatLenient("2.5x7", true), 2.5);
  EXPECT_DOUBLE_EQ(cxStrToFloatLenient("1.2.3"), 0.0);
  EXPECT_DOUBLE_EQ(cxStrToFloatLenient(""), 0.0);
  EXPECT_DOUBLE_EQ(cxStrToFloatLenient("1" + String(400, '0')), 0.0);
  FormatSettings.DecimalSeparator = sep;
}

TEST(RectRoutinesTest, ClampedSizesExtensionAndCentring) {
  EXPECT_EQ(cxClampedRectWidth(TRect{10, 0, 4, 0}), 0);
  EXPECT_EQ(cxClampedRectWidth(TRect{-5, 0, 5, 0}), 10);
  EXPECT_EQ(cxClampedRectHeight(TRect{0, 3, 0, 2}), 0);
  EXPECT_EQ(cxClampedRectWidth(TRect{-2147483647 - 1, 0, 2147483647, 0}), 2147483647);
  TRect r{10, 10, 20, 20};
  cxExtendRect(r, 1, -2, 3, -4);
  EXPECT_EQ(r, (TRect{11, 8, 23, 16}));
  EXPECT_EQ(cxCenteredOffset(TRect{0, 0, 0, 10}, 5), 3);   // 5 left over: the larger half
  EXPECT_EQ(cxCenteredOffset(TRect{0, 0, 0, 10}, 13), -1);
  EXPECT_EQ(cxCenteredOuterSize(TRect{0, 0, 0, 10}, 5), 13);
}
