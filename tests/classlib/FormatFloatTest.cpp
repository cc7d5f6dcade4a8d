#include <gtest/gtest.h>

#include "tests/classlib/ErrorText.h"

#include "classlib/core/SysUtils.h"

#include <cmath>
#include <limits>

namespace {
TFormatSettings German() {
  TFormatSettings fs;
  fs.DecimalSeparator = ',';
  fs.ThousandSeparator = '.';
  fs.DateSeparator = '.';
  fs.ShortDateFormat = "dd.MM.yyyy";
  fs.CurrencyString = "EUR";
  fs.CurrencyFormat = 3;
  fs.NegCurrFormat = 8;
  return fs;
}
}  // namespace

// The documented picture table: positive, negative, one half and zero.
TEST(FormatFloat, DocumentedPictureTable) {
  struct Row {
    const char* format;
    const char* pos;
    const char* neg;
    const char* half;
    const char* zero;
  };
  const Row rows[] = {
      {"0", "1234", "-1234", "1", "0"},
      {"#,##0.00;;Zero", "1,234.00", "-1,234.00", "0.50", "Zero"},
      {"0.000E+00", "1.234E+03", "-1.234E+03", "5.000E-01", "0.000E+00"},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(FormatFloat(r.format, 1234), r.pos) << r.format;
    EXPECT_EQ(FormatFloat(r.format, -1234), r.neg) << r.format;
    EXPECT_EQ(FormatFloat(r.format, 0.5), r.half) << r.format;
    EXPECT_EQ(FormatFloat(r.format, 0), r.zero) << r.format;
  }
}

struct Picture {
  const char* Format;
  double Value;
  const char* Text;
};

void ExpectPictures(std::initializer_list<Picture> ARows) {
  for (const Picture& r : ARows) EXPECT_EQ(FormatFloat(r.Format, r.Value), r.Text) << r.Format << " / " << r.Value;
}

TEST(FormatFloat, RoundsHalfAwayFromZero) {
  // 0.125 is an exact binary half, 1.005 is stored a little below, and 9.96 carries into a
  // new digit.
  ExpectPictures({{"0", -2.5, "-3"}, {"0.00", 0.125, "0.13"}, {"0.00", 1.005, "1.00"},
                  {"#,##0", 999999.5, "1,000,000"}});
}

TEST(FormatFloat, SectionsChooseBySignAndRoundedZero) {
  // What rounds to zero has no sign; without a zero section the first is used, unsigned; an
  // empty negative section is the first one.
  ExpectPictures({{"0.00", -0.001, "0.00"}, {"0.0;(0.0);'nil'", -0.01, "nil"}, {"0.0;(0.0);'nil'", -0.06, "(0.1)"},
                  {"0.0;(0.0)", -0.01, "0.0"}, {"0;;", -3, "-3"}, {"'+'0;'-'0", -7, "-7"}});
}

TEST(FormatFloat, DigitsLiteralsAndGroups) {
  // No decimal separator without decimals; format characters inside quotes are text;
  // padding zeros are grouped too.
  ExpectPictures({{",0.", 1234.5, "1,235"}, {"00-00", 1234, "12-34"}, {"#,##0", -1234567, "-1,234,567"},
                  {"0\"0#;\"", 5, "50#;"}, {"0,000", 5, "0,005"}, {"0.##", 2, "2"}, {"0.0#", 2.345, "2.35"},
                  {"00.00E+00", 1234, "12.34E+02"}, {"0.0e-000", 0.00123, "1.2e-003"}});
  EXPECT_EQ(FormatFloat("#,##0.00", 1234.5, German()), "1.234,50");
}

TEST(FormatFloat, EmptyFormatAndSpecialValues) {
  const double inf = std::numeric_limits<double>::infinity();
  // Beyond the fixed range: the general form.
  ExpectPictures({{"", 1.5, "1.5"}, {"0", std::numeric_limits<double>::quiet_NaN(), "NAN"}, {"0", inf, "INF"},
                  {"0", -inf, "-INF"}, {"0", 1e20, "1E20"}});
}

TEST(FormatFloat, OddPicturesNeverFail) {
  const char* formats[] = {"'", "0'abc", ";;;;", "0E+", "E-0000000", "0.0.0", ",,,",
                           "0000000000000000000000000000000", "0.000000000000000000000000000000000000",
                           "'';''", "e+e-E+E-", "0.#E+0;0", "\xFF\x80"};
  const double values[] = {0, 1, -1, 0.5, 123456789.123, -1e-300, 1e17, 9.99999e17};
  for (const char* f : formats)
    for (double v : values) EXPECT_NO_THROW(FormatFloat(f, v)) << f << " " << v;
  EXPECT_EQ(FormatFloat("0'abc", 5), "5abc");
  EXPECT_EQ(FormatFloat("0.000000000000000000000000", 1).size(), 26u);
  EXPECT_EQ(FormatFloat("\"0\"", 5), "0");   // no placeholder: only the text
}

TEST(FloatText, FloatToStrUsesFifteenDigits) {
  const std::pair<double, const char*> texts[] = {
      {-0.0, "0"}, {2.0 / 3, "0.666666666666667"}, {123456789012345.0, "123456789012345"}, {1e15, "1E15"},
      {0.0001, "0.0001"}, {0.00001, "1E-5"}};
  for (const auto& [value, text] : texts) EXPECT_EQ(FloatToStr(value), text) << value;
  EXPECT_EQ(FloatToStr(1.5, German()), "1,5");
}

TEST(FloatText, FloatToStrFFormats) {
  using FF = TFloatFormat;
  const struct {
    double Value;
    FF Format;
    Integer Precision, Digits;
    const char* Text;
  } rows[] = {{1234.5678, FF::ffNumber, 15, 2, "1,234.57"},
              {1234.5678, FF::ffExponent, 15, 2, "1.23456780000000E+03"},
              {1234.5678, FF::ffGeneral, 3, 0, "1.23E3"}, {-0.004, FF::ffFixed, 15, 2, "0.00"}};
  for (const auto& r : rows) EXPECT_EQ(FloatToStrF(r.Value, r.Format, r.Precision, r.Digits), r.Text) << r.Text;
  TFormatSettings fs;
  fs.NegCurrFormat = 15;
  EXPECT_EQ(FloatToStrF(-5, FF::ffCurrency, 15, 2, fs), "(5.00 $)");
  fs.NegCurrFormat = 200;   // outside the table: the first pattern
  EXPECT_EQ(FloatToStrF(-5, FF::ffCurrency, 15, 2, fs), "($5.00)");
  EXPECT_EQ(FloatToStrF(-5, FF::ffCurrency, 15, 2, German()), "-5,00 EUR");
}

TEST(FloatText, StrToFloatSyntax) {
  EXPECT_DOUBLE_EQ(StrToFloat("  -1e3  "), -1000);
  EXPECT_DOUBLE_EQ(StrToFloat("1,5", German()), 1.5);
  for (const char* bad : {"1,5", "", ".", "1e+", "1.5.", "1e400", "inf", "0x10", "1 5"})
    EXPECT_THROW(StrToFloat(bad), EConvertError) << bad;
  EXPECT_THROW(StrToFloat("1.5", German()), EConvertError);
  EXPECT_EQ(MessageOf<EConvertError>([] { StrToFloat("x1"); }), "'x1' is not a valid floating point value");
  // Every text FloatToStr writes reads back to the same value.
  for (double v : {0.1, 1.0 / 3, 123.456, -9.87654321e-7, 4.5e100})
    EXPECT_NEAR(StrToFloat(FloatToStr(v)), v, std::fabs(v) * 1e-14);
}

TEST(CurrencyType, ExactArithmeticAndOverflow) {
  Currency a = DoubleToCurr(1.5), b = DoubleToCurr(0.25);
  EXPECT_EQ((a * b).Raw, 3750);
  EXPECT_EQ((IntToCurr(1) / IntToCurr(3)).Raw, 3333);
  EXPECT_EQ(DoubleToCurr(-0.00016).Raw, -2);   // to the nearest ten-thousandth
  EXPECT_THROW(DoubleToCurr(1e300), EOverflow);
  EXPECT_THROW(DoubleToCurr(std::nan("")), EOverflow);
  EXPECT_THROW(Currency::FromRaw(std::numeric_limits<Int64>::max()) + Currency::FromRaw(1), EOverflow);
  EXPECT_THROW(a / Currency{}, EZeroDivide);
  EXPECT_EQ(CurrToStr(-Currency::FromRaw(1)), "-0.0001");
  EXPECT_EQ(StrToCurr("12.3456").Raw, 123456);
  EXPECT_THROW(StrToCurr("1e300"), EConvertError);
}
