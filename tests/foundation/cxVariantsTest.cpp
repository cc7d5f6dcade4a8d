#include <gtest/gtest.h>

#include "widgets/foundation/cxVariants.h"

#include <cmath>
#include <limits>

namespace {

String Hex(const String& bytes) {
  static const char* digits = "0123456789ABCDEF";
  String r;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (i) r += ' ';
    r += digits[Byte(bytes[i]) >> 4];
    r += digits[Byte(bytes[i]) & 15];
  }
  return r;
}

String Unhex(const String& hex) {
  String r;
  for (size_t i = 0; i + 1 < hex.size(); i += 3) r += Char(std::stoi(hex.substr(i, 2), nullptr, 16));
  return r;
}

String Written(const Variant& v) {
  TStringStream s;
  cxStreamWriteVariant(s, v);
  return Hex(s.DataString());
}

Variant ReadBack(const String& bytes) {
  TStringStream s(bytes);
  Variant v = cxStreamReadVariant(s);
  EXPECT_EQ(s.GetPosition(), Int64(bytes.size())) << "the whole value is consumed";
  return v;
}

// A stream that cannot tell its size, as a pipe would.
class TUnsizedStream : public TStringStream {
 public:
  using TStringStream::TStringStream;
  Int64 Seek(Int64 Offset, TSeekOrigin Origin) override {
    if (Origin == TSeekOrigin::soEnd) throw EStreamError("cannot seek");
    return TStringStream::Seek(Offset, Origin);
  }
};

int Sgn(int v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); }

}  // namespace

TEST(TypedStreamTest, EveryTagWritesTheDocumentedBytes) {
  struct Case {
    Variant value;
    const char* bytes;
  } cases[] = {
      {Null(), "00"},
      {Variant(true), "09"},
      {Variant(Integer(100)), "02 64"},
      {Variant(Integer(-129)), "03 7F FF"},
      {Variant(Integer(70000)), "04 70 11 01 00"},
      {Variant("A"), "06 01 41"},
      {Variant(1.0f), "0F 00 00 80 3F"},
      {Variant(1.0), "05 00 00 00 00 00 00 00 80 FF 3F"},
      {Variant(Currency::FromRaw(15000)), "10 98 3A 00 00 00 00 00 00"},
      {Variant(Int64(1) << 40), "06 0D 31 30 39 39 35 31 31 36 32 37 37 37 36"},
      {VarArrayOf({Variant(Integer(1)), Variant("a"), Null()}), "01 02 03 02 01 06 01 61 00"},
      {VarArrayCreate(0, -1, varVariant), "01 02 00"},
  };
  for (const Case& c : cases) EXPECT_EQ(Written(c.value), c.bytes) << VarTypeAsText(VarType(c.value));
}

TEST(TypedStreamTest, StringLengthPicksTheShortOrLongTag) {
  String s255(255, 'x'), s256(256, 'y');
  String w255 = Written(Variant(s255)), w256 = Written(Variant(s256));
  EXPECT_EQ(w255.substr(0, 5), "06 FF");
  EXPECT_EQ(w255.size(), 3 * (2 + 255) - 1);
  EXPECT_EQ(w256.substr(0, 14), "0C 00 01 00 00");
  EXPECT_EQ(ReadBack(Unhex(w256)).AsString(), s256);
  EXPECT_EQ(ReadBack(Unhex(w255)).AsString(), s255);
}

TEST(TypedStreamTest, ValuesSurviveARoundTrip) {
  Variant nested = VarArrayOf({Variant(Integer(-5)), VarArrayOf({Variant(u"\u20AC"), Variant(2.75)}),
                               Variant(Currency::FromRaw(-123456789)), Variant(String("a\0b", 3))});
  Variant values[] = {Variant(Integer(std::numeric_limits<Integer>::min())), Variant(1e300), Variant(-0.1),
                      Variant(5e-324), Variant(0.25f), nested};
  for (const Variant& v : values) {
    TStringStream s;
    cxStreamWriteVariant(s, v);
    s.SetPosition(0);
    Variant r = cxStreamReadVariant(s);
    EXPECT_TRUE(cxVariantsEqual(v, r)) << Written(v);
  }
  Variant r = ReadBack(Unhex(Written(nested)));
  EXPECT_EQ(r[1][0].AsWideString(), u"\u20AC");
  EXPECT_EQ(r[3].AsString(), String("a\0b", 3));
}

TEST(TypedStreamTest, ExtendedFloatsConvertExactly) {
  auto read = [](const char* hex) {
    TStringStream s(Unhex(hex));
    return cxStreamReadFloat(s);
  };
  // One bit below the double's last place: a tie rounds to even, more rounds up.
  EXPECT_EQ(read("00 04 00 00 00 00 00 80 FF 3F"), 1.0);
  EXPECT_EQ(read("00 0C 00 00 00 00 00 80 FF 3F"), 1.0 + std::ldexp(1.0, -51));
  EXPECT_EQ(read("01 04 00 00 00 00 00 80 FF 3F"), 1.0 + std::ldexp(1.0, -52));
  // Beyond the double range: infinities; the largest exponent with a fraction is NaN.
  EXPECT_EQ(read("00 00 00 00 00 00 00 80 FE 7F"), std::numeric_limits<double>::infinity());
  EXPECT_EQ(read("00 00 00 00 00 00 00 80 FE FF"), -std::numeric_limits<double>::infinity());
  EXPECT_TRUE(std::isnan(read("01 00 00 00 00 00 00 C0 FF 7F")));
  EXPECT_EQ(read("00 00 00 00 00 00 00 00 00 00"), 0.0);
  // Just above half the smallest subnormal: rounded once it is that subnormal (rounding
  // first to 53 bits and then again to the subnormal unit would give 0).
  EXPECT_EQ(read("08 00 00 00 00 00 00 80 CC 3B"), std::numeric_limits<double>::denorm_min());
  EXPECT_EQ(read("00 00 00 00 00 00 00 80 CC 3B"), 0.0) << "exactly half: ties to even";
  // An unnormal (integer bit clear, exponent not zero) is no number.
  EXPECT_TRUE(std::isnan(read("00 00 00 00 00 00 00 40 FF 3F")));

  double values[] = {0.0, -0.0, 1.0, 3.141592653589793, -1e-310, 5e-324, 1.7976931348623157e308, 1e-5};
  for (double d : values) {
    TStringStream s;
    cxStreamWriteFloat(s, d);
    ASSERT_EQ(s.DataString().size(), 10u);
    s.SetPosition(0);
    double back = cxStreamReadFloat(s);
    EXPECT_EQ(back, d);
    EXPECT_EQ(std::signbit(back), std::signbit(d));
  }
}

TEST(TypedStreamTest, PrimitivesAreLittleEndianOfTheirWidth) {
  TStringStream s;
  cxStreamWriteBoolean(s, true);
  cxStreamWriteChar(s, 'Z');
  cxStreamWriteByte(s, 0xFE);
  cxStreamWriteShortInt(s, -2);
  cxStreamWriteSmallInt(s, -2);
  cxStreamWriteWord(s, 0xBEEF);
  cxStreamWriteInteger(s, -2);
  cxStreamWriteCardinal(s, 0xDEADBEEF);
  cxStreamWriteInt64(s, -2);
  cxStreamWriteSingle(s, -1.0f);
  cxStreamWriteCurrency(s, Currency::FromRaw(10000));
  cxStreamWriteDateTime(s, TDateTime(-1.5));
  cxStreamWriteString(s, "ab");
  cxStreamWriteWideString(s, u"\u0100");
  EXPECT_EQ(Hex(s.DataString()),
            "01 5A FE FE FE FF EF BE FE FF FF FF EF BE AD DE FE FF FF FF FF FF FF FF 00 00 80 BF "
            "10 27 00 00 00 00 00 00 00 00 00 00 00 00 F8 BF 02 00 00 00 61 62 01 00 00 00 00 01");

  s.SetPosition(0);
  EXPECT_TRUE(cxStreamReadBoolean(s));
  EXPECT_EQ(cxStreamReadChar(s), 'Z');
  EXPECT_EQ(cxStreamReadByte(s), 0xFE);
  EXPECT_EQ(cxStreamReadShortInt(s), -2);
  EXPECT_EQ(cxStreamReadSmallInt(s), -2);
  EXPECT_EQ(cxStreamReadWord(s), 0xBEEF);
  EXPECT_EQ(cxStreamReadInteger(s), -2);
  EXPECT_EQ(cxStreamReadCardinal(s), 0xDEADBEEFu);
  EXPECT_EQ(cxStreamReadInt64(s), -2);
  float f = 0;
  cxStreamReadSingleInto(s, f);
  EXPECT_EQ(f, -1.0f);
  EXPECT_EQ(cxStreamReadCurrency(s).Raw, 10000);
  EXPECT_EQ(cxStreamReadDateTime(s).Value, -1.5);
  String str = "old";
  cxStreamReadStringInto(s, str);
  EXPECT_EQ(str, "ab");
  EXPECT_EQ(cxStreamReadWideString(s), u"\u0100");

  TStringStream boolByte(Unhex("7F"));
  EXPECT_TRUE(cxStreamReadBoolean(boolByte)) << "any non-zero byte is true";
}

TEST(TypedStreamTest, CorruptStreamsRaiseTheReadError) {
  const char* bad[] = {
      "07", "0A", "0B", "0E", "13", "FF",            // undefined tags
      "",                                            // nothing at all
      "04 01 00",                                    // short integer
      "01 02 FF",                                    // negative count
      "01 04 00 00 00 80",                           // most negative count
      "01 04 FF FF FF 7F 00",                        // count beyond the bytes left
      "0C FF FF FF FF",                              // negative length
      "0C FF FF FF 7F 41",                           // length beyond the bytes left
      "12 00 00 00 40 41 00",                        // wide length beyond the bytes left
      "06 05 41 42",                                 // short string cut off
      "01 02 02 00",                                 // array cut off
      "05 00 00 00 00 00 00 00 80",                  // extended cut off
  };
  for (const char* hex : bad) {
    TStringStream s(Unhex(hex));
    try {
      cxStreamReadVariant(s);
      ADD_FAILURE() << "accepted " << hex;
    } catch (const EReadError& e) {
      EXPECT_EQ(e.Message(), "Stream read error") << hex;
    }
  }
  TStringStream negString(Unhex("FE FF FF FF 41"));
  EXPECT_THROW(cxStreamReadString(negString), EReadError);
}

TEST(TypedStreamTest, NestingIsLimitedButValidDepthReads) {
  auto nested = [](int depth) {
    String bytes;
    for (int i = 0; i < depth; ++i) bytes += Unhex("01 02 01");
    return bytes + Unhex("00");
  };
  Variant deep = ReadBack(nested(cxMaxVariantNesting));
  EXPECT_TRUE(VarIsArray(deep));
  TStringStream s(nested(cxMaxVariantNesting + 1));
  EXPECT_THROW(cxStreamReadVariant(s), EReadError);
  TStringStream huge(nested(100000));
  EXPECT_THROW(cxStreamReadVariant(huge), EReadError);
}

TEST(TypedStreamTest, StreamsOfUnknownSizeReadValidDataAndStopAtTheirEnd) {
  TUnsizedStream ok(Unhex("01 02 02 06 01 61 0C 01 00 00 00 62"));
  Variant v = cxStreamReadVariant(ok);
  EXPECT_EQ(v[1].AsString(), "b");
  TUnsizedStream lying(Unhex("0C FF FF FF 7F 41 42"));
  EXPECT_THROW(cxStreamReadVariant(lying), EReadError);
  TUnsizedStream manyItems(Unhex("01 04 FF FF FF 7F 0D 0D"));
  EXPECT_THROW(cxStreamReadVariant(manyItems), EReadError);
}

TEST(TypedStreamTest, UnwritableValuesPropagateTheirError) {
  // A stream that refuses writes: the stream's own write error.
  class TFullStream : public TStringStream {
   public:
    Integer Write(const void*, Integer) override { return 0; }
  } full;
  EXPECT_THROW(cxStreamWriteVariant(full, Variant(Integer(1))), EWriteError);
}

TEST(VariantCompareTest, ScalarsOrderAcrossTypes) {
  struct Case {
    Variant a, b;
    int sign;
  } cases[] = {
      {Variant(Integer(2)), Variant(Integer(10)), -1},
      {Variant(2.5), Variant(Integer(2)), 1},
      {Variant("10"), Variant(Integer(9)), 1},        // text meeting a number is read as one
      {Variant(Integer(7)), Variant("7"), 0},
      {Variant(false), Variant(true), 1},             // True counts as -1
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Sgn(cxCompareVariants(c.a, c.b)), c.sign) << VarToStr(c.a) << " / " << VarToStr(c.b);
    EXPECT_EQ(Sgn(cxCompareVariants(c.b, c.a)), -c.sign) << VarToStr(c.b) << " / " << VarToStr(c.a);
  }
}

TEST(VariantCompareTest, AnsiStringsCompareAsUnsignedBytes) {
  EXPECT_EQ(cxCompareVariants(Variant("abcde"), Variant("ab")), 3);
  EXPECT_EQ(cxCompareVariants(Variant("B"), Variant("a")), 'B' - 'a');   // case-sensitive
  EXPECT_EQ(cxCompareVariants(Variant("\xE9"), Variant("z")), 0xE9 - 'z');
  EXPECT_EQ(cxCompareVariants(Variant(String("a\0b", 3)), Variant(String("a\0c", 3))), 'b' - 'c');
}

TEST(VariantCompareTest, ArraysCompareByBoundThenElements) {
  Variant a12 = VarArrayOf({Variant(Integer(1)), Variant(Integer(2))});
  Variant a13 = VarArrayOf({Variant(Integer(1)), Variant(Integer(3))});
  Variant a123 = VarArrayOf({Variant(Integer(1)), Variant(Integer(2)), Variant(Integer(3))});
  EXPECT_LT(cxCompareVariants(a12, a13), 0);
  EXPECT_EQ(cxCompareVariants(a12, VarArrayOf({Variant(Integer(1)), Variant(2.0)})), 0);
  EXPECT_EQ(cxCompareVariants(a123, a13), 1);   // high bound 2 against 1
  EXPECT_EQ(cxCompareVariants(a12, Variant(Integer(99))), 1);
  EXPECT_EQ(cxCompareVariants(Null(), a12), -1);
}

TEST(VariantCompareTest, IncomparableValuesAnswerMinusOneButSortConsistently) {
  Variant text("abc"), five(Integer(5));
  EXPECT_EQ(cxCompareVariants(text, five), -1);
  EXPECT_EQ(cxCompareVariants(five, text), -1);
  EXPECT_FALSE(cxVariantsEqual(text, five));

  Variant values[] = {text, five, Null(), Variant(), Variant("10"), Variant(2.5), Variant(true), Variant(u"xyz"),
                      Variant("abd"), cxMakeVarArraySingle(text), cxMakeVarArraySingle(five), Variant::FromDateTime(3)};
  for (const Variant& a : values)
    for (const Variant& b : values)
      EXPECT_EQ(Sgn(cxCompareVariantsForSort(a, b)), -Sgn(cxCompareVariantsForSort(b, a)))
          << VarToStr(a) << " / " << VarToStr(b);
  EXPECT_LT(cxCompareVariantsForSort(five, text), 0) << "numbers before text";
  EXPECT_EQ(cxCompareVariantsForSort(Variant(Integer(3)), Variant(Integer(3))), 0);
}

TEST(VariantCompareTest, LooseEqualityComparesBooleansAsText) {
  EXPECT_TRUE(cxVariantsEqualLoose(Variant(true), Variant("True")));
  EXPECT_FALSE(cxVariantsEqualLoose(Variant(true), Variant("true")));
  EXPECT_FALSE(cxVariantsEqualLoose(Variant(true), Variant(Integer(-1))));   // "True" against "-1"
  EXPECT_TRUE(cxVariantsEqual(Variant(true), Variant(Integer(-1))));
  EXPECT_FALSE(cxVariantsEqualLoose(Null(), Variant(false)));
  EXPECT_TRUE(cxVariantsEqualLoose(Variant(Integer(5)), Variant("5")));
  EXPECT_FALSE(cxVariantsEqualLoose(Variant(Integer(5)), Variant("five")));
  EXPECT_FALSE(cxVariantsEqualLoose(Variant(true), cxMakeVarArraySingle(Variant(true))));
}

TEST(VariantTestsTest, ArrayBuildersRebaseAtZero) {
  Variant single = cxMakeVarArraySingle(Variant("a"));
  Variant v = VarArrayCreate(5, 6, varVariant);
  v[5] = Variant(Integer(1));
  v[6] = Variant(Integer(2));
  cxVarArrayAppend(v, Variant("three"));
  EXPECT_EQ(VarArrayLowBound(v, 1), 0);
  EXPECT_EQ(VarArrayHighBound(v, 1), 2);
  EXPECT_EQ(v[2].AsString(), "three");
  Variant empty = VarArrayCreate(0, -1, varVariant);
  cxVarArrayAppend(empty, Null());
  EXPECT_EQ(VarArrayHighBound(empty, 1), 0);
  Variant scalar(Integer(1));
  EXPECT_THROW(cxVarArrayAppend(scalar, Null()), EVariantError);
}

TEST(VariantTestsTest, TypeTestsReadTheValueAndItsTypeCode) {
  // Blank: Null or an empty text of either width; Empty, zero and a blank character are values.
  for (const Variant& v : {Null(), Variant(""), Variant(u"")}) EXPECT_TRUE(cxVarIsBlank(v)) << VarToStr(v);
  for (const Variant& v : {Variant(), Variant(Integer(0)), Variant(" "), Variant(false)})
    EXPECT_FALSE(cxVarIsBlank(v)) << VarToStr(v);
  EXPECT_TRUE(cxVariantsEqualOrBothBlank(Null(), Variant("")));
  EXPECT_TRUE(cxVariantsEqualOrBothBlank(Variant(u""), Variant("")));
  EXPECT_TRUE(cxVariantsEqualOrBothBlank(Variant(Integer(4)), Variant(4.0)));
  EXPECT_FALSE(cxVariantsEqualOrBothBlank(Null(), Variant()));
  EXPECT_FALSE(cxVariantsEqualOrBothBlank(Variant(""), Variant(Integer(0))));

  // Numbers: every ordinal and floating type, Boolean included; dates and texts are not.
  for (const Variant& v : {Variant(ShortInt(1)), Variant(Byte(1)), Variant(SmallInt(1)), Variant(Word(1)),
                           Variant(Integer(1)), Variant(LongWord(1)), Variant(Int64(1)), Variant(1.0f), Variant(1.0),
                           Variant(Currency::FromRaw(10000)), Variant(true)})
    EXPECT_TRUE(cxVarIsNumber(v)) << VarType(v);
  for (const Variant& v : {Variant::FromDateTime(1), Variant("1"), Null(), Variant(), cxMakeVarArraySingle(Variant(1.0))})
    EXPECT_FALSE(cxVarIsNumber(v)) << VarType(v);

  EXPECT_TRUE(cxVarIsDateTime(Variant::FromDateTime(45000.5)));
  EXPECT_FALSE(cxVarIsDateTime(Variant(45000.5)));
  EXPECT_FALSE(cxVarIsDateTime(cxMakeVarArraySingle(Variant::FromDateTime(1))));

  // The type code itself must be the date or currency code: an array of them is neither.
  EXPECT_TRUE(cxIsDateVarType(varDate));
  EXPECT_FALSE(cxIsDateVarType(varDouble));
  EXPECT_FALSE(cxIsDateVarType(varArray | varDate));
  EXPECT_TRUE(cxIsCurrencyVarType(varCurrency));
  EXPECT_FALSE(cxIsCurrencyVarType(varInt64));
  EXPECT_FALSE(cxIsCurrencyVarType(varArray | varCurrency));
}
