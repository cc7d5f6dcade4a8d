// Filter operators: each kind over each kind of value, Null on either side, case, the
// operand texts and captions, and the date ranges from an injected today.
#include "FilterTestSupport.h"
#include "platform/kernel/Locale.h"
#include "widgets/foundation/cxVariants.h"

namespace {

using K = TcxFilterOperatorKind;
using O = TcxFilterCriteriaOption;

class FilterOperators : public CriteriaTest {
 protected:
  void TearDown() override {
    cxFilterTodaySource = nullptr;
    CriteriaTest::TearDown();
  }
  // Whether a record whose F holds AValue passes F <kind> AOperand.
  bool Passes(K AKind, const Variant& AValue, const Variant& AOperand) {
    c_->Clear();
    c_->Root()->AddItem(c_->Field(0), AKind, AOperand, "");
    return c_->Matches({AValue});
  }
  TcxFilterCriteriaItem* One(K AKind, const Variant& AOperand, const String& ADisplay = "") {
    c_->Clear();
    return c_->Root()->AddItem(c_->Field(0), AKind, AOperand, ADisplay);
  }
};

TDateTime gToday;
TDateTime Today() { return gToday; }

}  // namespace

TEST_F(FilterOperators, ComparisonsOverEveryKindOfValue) {
  struct Row {
    Variant Low, High;
  } rows[] = {
      {Integer(-3), Integer(7)},
      {1.25, 1.5},
      {"Apple", "apple"},  // byte order: upper case first
      {VarFromDateTime(45000.0), VarFromDateTime(45000.5)},
      {true, false},  // True counts as -1
      {Currency::FromRaw(10000), Currency::FromRaw(10001)},
      {Int64(1) << 40, (Int64(1) << 40) + 1},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(VarTypeAsText(VarType(r.Low)));
    EXPECT_TRUE(Passes(K::foEqual, r.Low, r.Low));
    EXPECT_FALSE(Passes(K::foEqual, r.Low, r.High));
    EXPECT_TRUE(Passes(K::foNotEqual, r.Low, r.High));
    EXPECT_TRUE(Passes(K::foLess, r.Low, r.High));
    EXPECT_FALSE(Passes(K::foLess, r.High, r.High));
    EXPECT_TRUE(Passes(K::foLessEqual, r.High, r.High));
    EXPECT_TRUE(Passes(K::foGreater, r.High, r.Low));
    EXPECT_FALSE(Passes(K::foGreaterEqual, r.Low, r.High));
    EXPECT_TRUE(Passes(K::foBetween, r.Low, VarArrayOf({r.Low, r.High})));
    EXPECT_FALSE(Passes(K::foNotBetween, r.High, VarArrayOf({r.Low, r.High})));
    EXPECT_TRUE(Passes(K::foInList, r.High, VarArrayOf({r.Low, r.High})));
    EXPECT_TRUE(Passes(K::foNotInList, r.High, VarArrayOf({r.Low})));
  }
  // Mixed kinds: numbers against their text, currency against a double.
  EXPECT_TRUE(Passes(K::foEqual, Integer(5), "5"));
  EXPECT_TRUE(Passes(K::foEqual, Currency::FromRaw(15000), 1.5));
  EXPECT_TRUE(Passes(K::foBetween, Integer(5), VarArrayOf({1, 5})));
  EXPECT_FALSE(Passes(K::foBetween, Integer(6), VarArrayOf({1, 5})));
  EXPECT_TRUE(Passes(K::foNotBetween, Integer(6), VarArrayOf({1, 5})));
  // Operands of the wrong shape satisfy nothing; values that cannot be compared are not equal.
  EXPECT_FALSE(Passes(K::foBetween, Integer(1), Integer(1)));
  EXPECT_FALSE(Passes(K::foNotBetween, Integer(1), VarArrayOf({1})));
  EXPECT_TRUE(Passes(K::foInList, Integer(4), Integer(4)));
  EXPECT_TRUE(Passes(K::foInList, "abc", VarArrayOf({1, "abc"})));
  EXPECT_FALSE(Passes(K::foInList, "abc", VarArrayOf({1, 2})));
}

// Wide texts with characters outside the code page: equal only when they are equal.
TEST_F(FilterOperators, WideTextsOutsideTheCodePage) {
  const Variant omega = WideString(u"\u03A9a"), delta = WideString(u"\u0394a");
  EXPECT_FALSE(Passes(K::foEqual, omega, delta));
  EXPECT_TRUE(Passes(K::foEqual, omega, omega));
  EXPECT_TRUE(Passes(K::foNotEqual, omega, delta));
  EXPECT_FALSE(Passes(K::foInList, omega, VarArrayOf({delta})));
  EXPECT_TRUE(Passes(K::foInList, omega, VarArrayOf({delta, omega})));
  EXPECT_TRUE(Passes(K::foNotInList, delta, VarArrayOf({omega})));
  // Ignoring case keeps them apart too, and still folds the letters the code page holds.
  c_->SetOptions({O::fcoCaseInsensitive});
  EXPECT_FALSE(Passes(K::foEqual, omega, delta));
  EXPECT_FALSE(Passes(K::foInList, omega, VarArrayOf({delta})));
  EXPECT_TRUE(Passes(K::foEqual, WideString(u"\u00E9t\u00E9"), "\xC9T\xC9"));
  EXPECT_TRUE(Passes(K::foEqual, WideString(u"\u03A9x"), WideString(u"\u03A9X")));
}

TEST_F(FilterOperators, NullOnEitherSide) {
  // A Null record value sorts below every operand.
  EXPECT_TRUE(Passes(K::foLess, Null(), 5));
  EXPECT_TRUE(Passes(K::foLessEqual, Null(), 5));
  EXPECT_TRUE(Passes(K::foNotEqual, Null(), 5));
  EXPECT_FALSE(Passes(K::foEqual, Null(), 5));
  EXPECT_FALSE(Passes(K::foGreater, Null(), 5));
  EXPECT_FALSE(Passes(K::foGreaterEqual, Null(), 5));
  c_->SetOptions({O::fcoIgnoreNull});
  EXPECT_FALSE(Passes(K::foLess, Null(), 5));
  EXPECT_FALSE(Passes(K::foNotEqual, Null(), 5));
  c_->SetOptions({});

  // A Null operand makes the condition a blank test.
  EXPECT_TRUE(One(K::foEqual, Null())->Operator()->IsNullOperator());
  EXPECT_TRUE(Passes(K::foEqual, Null(), Null()));
  EXPECT_FALSE(Passes(K::foEqual, "", Null()));
  EXPECT_TRUE(Passes(K::foLike, Null(), Null()));
  EXPECT_TRUE(Passes(K::foNotEqual, Integer(0), Null()));
  EXPECT_FALSE(Passes(K::foNotLike, Null(), Null()));
  EXPECT_EQ(One(K::foEqual, Null())->DisplayValue(), "blank");
  c_->SetOptions({O::fcoSoftNull});
  EXPECT_TRUE(Passes(K::foEqual, "", Null()));
  EXPECT_TRUE(Passes(K::foEqual, "", ""));  // an empty operand is blank too
  c_->SetOptions({O::fcoSoftNull, O::fcoIgnoreNull});
  EXPECT_TRUE(Passes(K::foEqual, Null(), Null()));  // a blank test still sees blanks
  EXPECT_FALSE(Passes(K::foLess, "", "b"));
}

TEST_F(FilterOperators, CaseAndLike) {
  EXPECT_FALSE(Passes(K::foEqual, "abc", "ABC"));
  EXPECT_FALSE(Passes(K::foLike, "abc", "AB%"));
  EXPECT_TRUE(Passes(K::foNotLike, "abc", "AB%"));
  c_->SetOptions({O::fcoCaseInsensitive});
  EXPECT_TRUE(Passes(K::foEqual, "abc", "ABC"));
  EXPECT_TRUE(Passes(K::foEqual, WideString(u"abc"), "ABC"));
  EXPECT_TRUE(Passes(K::foLike, "abc", "AB%"));
  EXPECT_TRUE(Passes(K::foLess, "apple", "BANANA"));
  // A list's and a range's values are compared as the record's value is: upper-cased.
  EXPECT_TRUE(Passes(K::foInList, "abc", VarArrayOf({"x", "abc"})));
  EXPECT_FALSE(Passes(K::foNotInList, "ABC", VarArrayOf({"abc"})));
  EXPECT_TRUE(Passes(K::foBetween, "b", VarArrayOf({"a", "c"})));
  c_->SetOptions({});
  EXPECT_TRUE(Passes(K::foLike, Integer(123), "1_3"));  // a number matches by its text
  c_->SetPercentWildcard('*');
  c_->SetUnderscoreWildcard('?');
  EXPECT_TRUE(Passes(K::foLike, "a%b", "a%?"));
  EXPECT_TRUE(Passes(K::foLike, "abc", "*c"));
  EXPECT_FALSE(Passes(K::foLike, "abc", "%c"));
}

TEST_F(FilterOperators, ValueTextsCaptionsAndDisplayValues) {
  auto valueText = [&](K kind, const Variant& v) {
    String t;
    One(kind, v)->Operator()->GetValueText(v, t);
    return t;
  };
  EXPECT_EQ(valueText(K::foEqual, "O'Brien"), "'O''Brien'");
  EXPECT_EQ(valueText(K::foEqual, 2.5), "2.5");
  EXPECT_EQ(valueText(K::foEqual, true), "True");
  EXPECT_EQ(valueText(K::foEqual, VarFromDateTime(EncodeDate(2026, 1, 2))), "'1/2/2026'");
  c_->SetDateTimeFormat("yyyy-mm-dd");
  EXPECT_EQ(valueText(K::foEqual, VarFromDateTime(EncodeDate(2026, 1, 2))), "'2026-01-02'");
  EXPECT_EQ(valueText(K::foBetween, VarArrayOf({1, "x"})), "1 AND 'x'");
  EXPECT_EQ(valueText(K::foInList, VarArrayOf({1, 2, 3})), "(1, 2, 3)");

  auto caption = [&](K kind, const Variant& v) {
    String t;
    One(kind, v)->Operator()->GetCaption(t);
    return t;
  };
  EXPECT_EQ(caption(K::foLike, "%abc%"), "contains");
  EXPECT_EQ(caption(K::foLike, "abc%"), "begins with");
  EXPECT_EQ(caption(K::foNotLike, "%abc"), "does not end with");
  EXPECT_EQ(caption(K::foNotLike, "a%c"), "not like");
  EXPECT_EQ(caption(K::foNotEqual, Null()), "is not blank");
  EXPECT_EQ(caption(K::foThisMonth, Null()), "is this month");
  EXPECT_EQ(caption(K::foGreaterEqual, 1), "is greater than or equal to");

  EXPECT_EQ(One(K::foBetween, VarArrayOf({1, 5}), "1; 5")->GetDisplayValue(), "1 and 5");
  EXPECT_EQ(One(K::foInList, VarArrayOf({1, 2}), " 1;2; ")->GetDisplayValue(), "(1, 2, blank)");
  EXPECT_EQ(One(K::foToday, Null(), "whatever")->GetDisplayValue(), "");
  EXPECT_EQ(One(K::foLike, "%ab%", "%%ab%")->GetDisplayValue(), "%%ab%");
  c_->SetOptions({O::fcoShowOperatorDescription});
  EXPECT_EQ(One(K::foLike, "%ab%", "%%ab%")->GetDisplayValue(), "ab");
  EXPECT_EQ(One(K::foEqual, Null())->GetDisplayValue(), "");
}

TEST_F(FilterOperators, DateRangesFromTheInjectedToday) {
  cxFilterTodaySource = Today;
  auto range = [&](K kind, TDateTime today) {
    gToday = today.Value + 0.75;  // the time of day does not matter
    auto op = static_cast<TcxFilterDateOperator*>(One(kind, Null())->Operator());
    return std::pair<double, double>(op->DateStart(), op->DateEnd());
  };
  auto D = [](Word y, Word m, Word d) { return EncodeDate(y, m, d).Value; };
  using P = std::pair<double, double>;
  EXPECT_EQ(range(K::foThisMonth, D(2026, 12, 15)), P(D(2026, 12, 1), D(2027, 1, 1)));
  EXPECT_EQ(range(K::foNextMonth, D(2026, 11, 20)), P(D(2026, 12, 1), D(2027, 1, 1)));
  EXPECT_EQ(range(K::foNextMonth, D(2026, 12, 20)), P(D(2027, 1, 1), D(2027, 2, 1)));
  EXPECT_EQ(range(K::foLastMonth, D(2026, 1, 31)), P(D(2025, 12, 1), D(2026, 1, 1)));
  EXPECT_EQ(range(K::foYesterday, D(2026, 3, 1)), P(D(2026, 2, 28), D(2026, 3, 1)));
  EXPECT_EQ(range(K::foTomorrow, D(2026, 3, 1)), P(D(2026, 3, 2), D(2026, 3, 3)));
  EXPECT_EQ(range(K::foNextYear, D(2026, 6, 1)), P(D(2027, 1, 1), D(2028, 1, 1)));
  EXPECT_EQ(range(K::foLastYear, D(2026, 6, 1)), P(D(2025, 1, 1), D(2026, 1, 1)));
  // Weeks start on Sunday in the built-in locale, on Monday in the German one.
  EXPECT_EQ(range(K::foThisWeek, D(2024, 1, 10)), P(D(2024, 1, 7), D(2024, 1, 14)));
  SetCurrentLocale(GermanLocale());
  EXPECT_EQ(range(K::foLastWeek, D(2024, 1, 10)), P(D(2024, 1, 1), D(2024, 1, 8)));
  EXPECT_EQ(range(K::foNextWeek, D(2024, 1, 10)), P(D(2024, 1, 15), D(2024, 1, 22)));
  SetCurrentLocale(UsEnglishLocale());

  gToday = D(2026, 5, 20);
  One(K::foToday, Null());
  EXPECT_TRUE(c_->Matches({VarFromDateTime(D(2026, 5, 20) + 0.99)}));
  EXPECT_FALSE(c_->Matches({VarFromDateTime(D(2026, 5, 21))}));
  EXPECT_FALSE(c_->Matches({Null()}));
  EXPECT_FALSE(c_->Matches({"not a date"}));
  EXPECT_TRUE(c_->Matches({"5/20/2026"}));  // a text that reads as a date
}
