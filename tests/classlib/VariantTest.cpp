#include <gtest/gtest.h>

#include "tests/classlib/ErrorText.h"

#include "classlib/core/Variants.h"

#include <cmath>
#include <limits>

TEST(VariantTypes, ConstructorsPickTheTypeCode) {
  EXPECT_EQ(VarType(Variant(1.5f)), varSingle);
  EXPECT_EQ(VarType(Variant(u"a")), varOleStr);

  EXPECT_TRUE(VarIsNumeric(Variant(IntToCurr(1))));
  EXPECT_FALSE(VarIsNumeric(VarFromDateTime(1)));
  EXPECT_FALSE(VarIsNumeric(Variant("1")));
  EXPECT_FALSE(VarIsNumeric(Null()));
}

TEST(VariantConversions, NumbersFromEveryType) {
  EXPECT_EQ(Variant(" 12 ").AsInteger(), 12);
  EXPECT_EQ(Variant("2.5").AsInteger(), 2);   // ties go to the even neighbour
  EXPECT_EQ(Variant(3.5).AsInteger(), 4);
  EXPECT_EQ(Variant(-2.5).AsInteger(), -2);
  EXPECT_EQ(Variant(true).AsInteger(), -1);
  EXPECT_EQ(Variant(1.23456).AsCurrency().Raw, 12346);
  EXPECT_EQ(VarType(VarAsType(Variant(255), varByte)), varByte);
  EXPECT_FLOAT_EQ(float(VarAsType(Variant(0.1), varSingle).AsDouble()), 0.1f);
}

TEST(VariantConversions, OutOfRangeNeverWraps) {
  EXPECT_THROW(Variant(Int64(1) << 40).AsInteger(), EVariantError);
  EXPECT_THROW(VarAsType(Variant(300), varByte), EVariantError);
  EXPECT_THROW(VarAsType(Variant(1e300), varSingle), EVariantError);
  EXPECT_THROW(Variant(1e300).AsCurrency(), EVariantError);
  EXPECT_THROW(Variant(2147483647.6).AsInteger(), EVariantError);
  EXPECT_THROW(Variant("99999999999").AsInteger(), EVariantError);
  EXPECT_THROW(Variant(Int64(std::numeric_limits<Int64>::max())).AsCurrency(), EVariantError);
  EXPECT_THROW(Variant(std::nan("")).AsInteger(), EVariantError);
  EXPECT_EQ(MessageOf<EVariantError>([] { Variant(Int64(1) << 40).AsInteger(); }),
            "Overflow while converting variant of type (Int64) into type (Integer)");
}

TEST(VariantConversions, MeaninglessConversionsRaise) {
  EXPECT_EQ(MessageOf<EVariantError>([] { Variant("abc").AsInteger(); }),
            "Could not convert variant of type (String) into type (Integer)");
  EXPECT_EQ(MessageOf<EVariantError>([] { Null().AsInteger(); }),
            "Could not convert variant of type (Null) into type (Integer)");
  EXPECT_THROW(Variant("1,5").AsDouble(), EVariantError);
  EXPECT_THROW(Variant("maybe").AsBoolean(), EVariantError);
  EXPECT_THROW(VarArrayOf({1}).AsInteger(), EVariantError);
}

TEST(VariantConversions, TextAndBooleans) {
  EXPECT_EQ(Variant(true).AsString(), "True");
  EXPECT_EQ(Variant(0.1f).AsString(), "0.1");   // a Single shows its own seven digits
  EXPECT_EQ(Variant(Int64(-9000000000)).AsString(), "-9000000000");
  EXPECT_EQ(Variant(u"h\u00E9llo").AsString(), "h\xE9llo");   // through the code page
  EXPECT_EQ(Variant("h\xE9llo").AsWideString(), u"h\u00E9llo");
  EXPECT_TRUE(Variant(" true ").AsBoolean());
  EXPECT_TRUE(Variant("-1").AsBoolean());
  EXPECT_TRUE(Variant(0.5).AsBoolean());
}

TEST(VariantConversions, DatesFromTextAndNumbers) {
  const TDateTime d = EncodeDate(2021, 3, 4);
  EXPECT_DOUBLE_EQ(VarToDateTime(Variant("3/4/2021")), d);
  EXPECT_DOUBLE_EQ(VarToDateTime(Variant(u"4 mar 2021 17:06")), d + EncodeTime(17, 6, 0, 0));
  EXPECT_THROW(VarToDateTime(Variant("not a date")), EVariantError);
  EXPECT_THROW(VarToDateTime(Variant(1e10)), EVariantError);
}

TEST(VariantCompare, ConversionsAndNulls) {
  EXPECT_TRUE(Variant("10") == Variant(10));   // the string is read as a number
  EXPECT_TRUE(Variant("9") < Variant(10));     // numerically, not as text
  EXPECT_TRUE(Variant("9") > Variant("10"));   // as text
  EXPECT_THROW((void)(Variant("abc") == Variant(1)), EVariantError);
  EXPECT_FALSE(Null() == Variant(0));
  EXPECT_TRUE(Null() < Variant(-1000));
  EXPECT_TRUE(Variant(Int64(9007199254740993)) != Variant(Int64(9007199254740992)));   // exact, not via double
  EXPECT_TRUE(VarFromDateTime(EncodeDate(2021, 3, 4)) == Variant("3/4/2021"));
  EXPECT_TRUE(Variant(std::nan("")) != Variant(std::nan("")));
  EXPECT_FALSE(Null() >= Variant(1));
  EXPECT_TRUE(Variant(true) < Variant(false));   // True is -1
  EXPECT_THROW((void)(Variant(true) == Variant("perhaps")), EVariantError);
  // Wide texts the code page cannot hold stay apart; those it can hold keep the byte order.
  EXPECT_FALSE(Variant(u"\u03A9a") == Variant(u"\u0394a"));
  EXPECT_TRUE(Variant(u"\u0394a") < Variant(u"\u03A9a"));
  EXPECT_TRUE(Variant(u"\u03A9a") == Variant(u"\u03A9a"));
  EXPECT_TRUE(Variant(u"\u20AC") < Variant(u"\u0160"));  // bytes 80 and 8A, though U+20AC > U+0160
  EXPECT_TRUE(Variant(u"abc") == Variant("abc"));

  using R = TVariantRelationship;
  EXPECT_EQ(VarCompareValue(Null(), Variant(1)), R::vrNotEqual);
  EXPECT_THROW(VarCompareValue(VarArrayOf({1}), VarArrayOf({1})), EVariantError);
  EXPECT_THROW((void)(VarArrayOf({1}) == Variant(1)), EVariantError);
}

TEST(VariantArithmetic, PromotionAndConcatenation) {
  Variant big = Variant(std::numeric_limits<Integer>::max()) + Variant(1);
  EXPECT_EQ(VarType(big), varInt64);   // no wrap-around: the wider type
  EXPECT_EQ(big.AsInt64(), Int64(2147483648));
  EXPECT_EQ((Variant(Byte(200)) + Variant(Byte(100))).AsInteger(), 300);

  Variant mixed = Variant("1") + Variant(2);
  EXPECT_DOUBLE_EQ(mixed.AsDouble(), 3);
  EXPECT_THROW(Variant("abc") * Variant(2), EVariantError);

  Variant half = Variant(1) / Variant(2);
  EXPECT_THROW(Variant(1) / Variant(0), EZeroDivide);

  Variant money = Variant(DoubleToCurr(1.5)) + Variant(2);
  EXPECT_EQ(money.AsCurrency().Raw, 35000);

  Variant day = VarFromDateTime(EncodeDate(2021, 3, 4)) + Variant(1);
  EXPECT_EQ(VarType(day), varDate);
  EXPECT_DOUBLE_EQ(day.AsDateTime(), EncodeDate(2021, 3, 5));
  Variant avg = (VarFromDateTime(10) + VarFromDateTime(20)) / Variant(2);   // a date average stays a date
  EXPECT_EQ(VarType(avg), varDate);
  EXPECT_DOUBLE_EQ(avg.AsDouble(), 15);

  Variant neg = -Variant(std::numeric_limits<Integer>::min());
  EXPECT_EQ(VarType(neg), varInt64);
  EXPECT_EQ(neg.AsInt64(), Int64(2147483648));
  EXPECT_THROW(VarArrayOf({1}) + Variant(1), EVariantError);
}

TEST(VariantArrays, BoundsCopiesAndTypedElements) {
  Variant a = VarArrayCreate(1, 3, varVariant);
  EXPECT_TRUE(VarIsEmpty(a[2]));
  EXPECT_THROW(a[0], EVariantError);
  a[3] = Variant("x");
  EXPECT_EQ(VarArrayGet(a, 3).AsString(), "x");

  Variant b = VarArrayOf({1, "a", 2.5});
  Variant c = b;   // arrays are values: the copy is independent
  c[0] = Variant(9);
  EXPECT_EQ(b[0].AsInteger(), 1);

  EXPECT_THROW(VarArrayCreate(0, 1, varInteger), EVariantError);   // arrays hold variants
  EXPECT_THROW(VarArrayPut(b, Variant(1), 3), EVariantError);

  EXPECT_EQ(MessageOf<EVariantError>([] { VarArrayLowBound(Variant(1)); }), "Variant is not an array");
  Variant empty = VarArrayCreate(0, -1, varVariant);
  EXPECT_THROW(empty[0], EVariantError);
  EXPECT_THROW(VarArrayCreate(0, std::numeric_limits<Integer>::max(), varVariant), EVariantError);
  Variant extreme = VarArrayCreate(std::numeric_limits<Integer>::max() - 1, std::numeric_limits<Integer>::max(), varVariant);
  EXPECT_EQ(VarArrayHighBound(extreme), std::numeric_limits<Integer>::max());
  EXPECT_NO_THROW(extreme[std::numeric_limits<Integer>::max()]);
}

TEST(VariantStrings, AStringIsReadInPlaceAndExtendedByItsTail) {
  Variant v(String("ab"));
  ASSERT_NE(v.StringData(), nullptr);
  EXPECT_EQ(*v.StringData(), "ab");
  v.AppendString("\r\ncd");
  v.AppendString("");
  EXPECT_EQ(VarType(v), varString);
  EXPECT_EQ(v.AsString(), "ab\r\ncd");
  // A copy made before keeps its own text.
  const Variant copy = v;
  v.AppendString("e");
  EXPECT_EQ(copy.AsString(), "ab\r\ncd");
  EXPECT_EQ(v.AsString(), "ab\r\ncde");
  // Only a string has text to read in place or to extend; the others are left as they were.
  EXPECT_EQ(Variant(12).StringData(), nullptr);
  EXPECT_EQ(Variant(u"wide").StringData(), nullptr);
  EXPECT_EQ(Null().StringData(), nullptr);
  for (Variant other : {Variant(12), Variant(u"wide"), Null(), Variant()}) {
    const TVarType type = VarType(other);
    EXPECT_THROW(other.AppendString("x"), EVariantError);
    EXPECT_EQ(VarType(other), type);
  }
}
