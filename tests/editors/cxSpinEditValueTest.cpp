// The spin edit's value model: reading text, the value type and its bounds, one spin step
// under each bounds-checking kind at the ends of the ranges, and the accepted edit values.
#include "tests/editors/EditorsTestSupport.h"
#include "widgets/editors/cxSpinEdit.h"

#include <cmath>
#include <limits>

namespace {

using VT = TcxSpinEditValueType;
using B = TcxSpinEditButton;
constexpr Int64 kMaxI = std::numeric_limits<Int64>::max();
constexpr Int64 kMinI = std::numeric_limits<Int64>::min();

// A subclass that never extends a step to a bound (as the time edit does).
class TNoExtendProperties : public TcxSpinEditProperties {
  TL_CLASS(TNoExtendProperties, TcxSpinEditProperties)
 public:
  using TcxSpinEditProperties::TcxSpinEditProperties;
  bool ExtendValueToBound() const override { return false; }
};

class TFloatProvider : public TcxCustomEditDefaultValuesProvider {
  TL_CLASS(TFloatProvider, TcxCustomEditDefaultValuesProvider)
 public:
  using TcxCustomEditDefaultValuesProvider::TcxCustomEditDefaultValuesProvider;
  bool DefaultIsFloatValue() override { return IsFloat; }
  bool IsFloat = false;
};

class SpinValue : public EditorsTest {
 protected:
  void SetUp() override {
    EditorsTest::SetUp();
    p.reset(New<TcxSpinEditProperties>(nullptr));
  }
  void TearDown() override {
    p.reset();
    EditorsTest::TearDown();
  }
  // The value one spin makes, or "none".
  String Spin(TcxCustomSpinEditProperties* AProps, const Variant& V, B AButton) {
    Variant r;
    if (!AProps->CalculateSpinValue(V, AButton, r)) return "none";
    EXPECT_EQ(VarType(r), AProps->GetValueType() == VT::vtInt ? varInt64 : varDouble);
    return VarToStr(r);
  }
  String Spin(const Variant& V, B AButton) { return Spin(p.get(), V, AButton); }
  String Read(const String& AText) {
    Variant v;
    if (!p->TryTextToValue(AText, v)) {
      EXPECT_TRUE(VarIsNull(v));
      return "fail";
    }
    return VarToStr(v);
  }
  Owned<TcxSpinEditProperties> p;
};

TEST_F(SpinValue, TextReadsOnlyAsADecimalNumberOfTheValueType) {
  p->SetValueType(VT::vtInt);
  const std::pair<const char*, const char*> ints[] = {
      {"5", "5"}, {" -7 ", "-7"}, {"+5", "5"}, {"9223372036854775807", "9223372036854775807"},
      {"-9223372036854775808", "-9223372036854775808"}, {"9223372036854775808", "fail"}, {"0x10", "fail"},
      {"$10", "fail"}, {"1e3", "fail"}, {"5.0", "fail"}, {"", "fail"}, {"-", "fail"}, {"abc", "fail"}};
  for (const auto& [text, expected] : ints) EXPECT_EQ(Read(text), expected) << text;
  p->SetValueType(VT::vtFloat);
  const std::pair<const char*, const char*> floats[] = {
      {"2.5", "2.5"}, {"1e3", "1000"}, {" -0.5 ", "-0.5"}, {"1.7E308", "1.7E308"}, {"1.8E308", "fail"},
      {"1e400", "fail"}, {"nan", "fail"}, {"inf", "fail"}, {"-INF", "fail"}, {"0x1p3", "fail"}, {"1,5", "fail"}};
  for (const auto& [text, expected] : floats) EXPECT_EQ(Read(text), expected) << text;
  // The locale's separator, not the point.
  FormatSettings.DecimalSeparator = ',';
  EXPECT_EQ(Read("1,5"), "1,5");
  EXPECT_EQ(Read("1.5"), "fail");
  FormatSettings.DecimalSeparator = '.';
}

TEST_F(SpinValue, TheValueTypeComesFromTheSettingThenTheProvider) {
  EXPECT_EQ(p->GetValueType(), VT::vtFloat);
  Owned<TFloatProvider> provider(New<TFloatProvider>(nullptr));
  p->SetIDefaultValuesProvider(provider.get());
  EXPECT_EQ(p->GetValueType(), VT::vtInt);
  provider->IsFloat = true;
  EXPECT_EQ(p->GetValueType(), VT::vtFloat);
  p->SetValueType(VT::vtInt);
  EXPECT_TRUE(p->IsValueTypeStored());
  EXPECT_EQ(p->GetValueType(), VT::vtInt);
  p->GetAssignedValues()->RestoreDefaults();
  EXPECT_EQ(p->GetValueType(), VT::vtFloat);
  p->SetIDefaultValuesProvider(nullptr);
  // Without a type set, the typed text 5 gives the Double 5.
  Variant v(String("5"));
  ASSERT_TRUE(p->IsEditValueValid(v, false));
  EXPECT_EQ(VarType(v), varDouble);
}

TEST_F(SpinValue, BoundsAndStepsOfTheIntegerTypeRoundHalfToEven) {
  p->SetValueType(VT::vtInt);
  // No bound in force: the whole type.
  EXPECT_EQ(p->GetEffectiveMinValue().AsInt64(), kMinI);
  EXPECT_EQ(p->GetEffectiveMaxValue().AsInt64(), kMaxI);
  p->SetMinMaxValues(2.5, 3.5);
  EXPECT_EQ(p->GetEffectiveMinValue().AsInt64(), 2);
  EXPECT_EQ(p->GetEffectiveMaxValue().AsInt64(), 4);
  // A Double past the Int64 range is held to it.
  p->SetMinMaxValues(-1e30, 1e30);
  EXPECT_EQ(p->GetEffectiveMinValue().AsInt64(), kMinI);
  EXPECT_EQ(p->GetEffectiveMaxValue().AsInt64(), kMaxI);
  p->SetIncrement(2.5);
  EXPECT_EQ(p->GetStepIncrement(B::sebForward).AsInt64(), 2);
  p->SetIncrement(3.5);
  EXPECT_EQ(p->GetStepIncrement(B::sebBackward).AsInt64(), -4);
  p->SetLargeIncrement(1e300);
  EXPECT_EQ(p->GetStepIncrement(B::sebFastBackward).AsInt64(), -kMaxI);
  // A step that is no finite number is refused.
  p->SetIncrement(NAN);
  p->SetLargeIncrement(INFINITY);
  EXPECT_EQ(p->GetIncrement(), 3.5);
  EXPECT_EQ(p->GetLargeIncrement(), 1e300);
}

TEST_F(SpinValue, AStepAtTheEndsOfABoundedRange) {
  p->SetValueType(VT::vtInt);
  p->SetMinMaxValues(5, 20);
  struct Case {
    Int64 value;
    B button;
    const char* extend;
    const char* circular;
  } cases[] = {
      {20, B::sebForward, "20", "5"},     {5, B::sebBackward, "5", "20"},     {19, B::sebFastForward, "20", "13"},
      {6, B::sebFastBackward, "5", "12"}, {3, B::sebBackward, "none", "20"},  {3, B::sebForward, "5", "5"},
      {25, B::sebForward, "none", "5"},   {25, B::sebBackward, "20", "20"},   {10, B::sebForward, "11", "11"},
  };
  for (const Case& c : cases) {
    p->SetCircular(false);
    EXPECT_EQ(Spin(Variant(c.value), c.button), c.extend) << c.value << " " << Ord(c.button);
    p->SetCircular(true);
    EXPECT_EQ(Spin(Variant(c.value), c.button), c.circular) << c.value << " " << Ord(c.button);
  }
  // 0..9 turns round in whole periods, however large the step.
  p->SetMinMaxValues(0, 9);
  EXPECT_EQ(Spin(Variant(Int64(9)), B::sebForward), "0");
  EXPECT_EQ(Spin(Variant(Int64(0)), B::sebBackward), "9");
  p->SetLargeIncrement(26);
  EXPECT_EQ(Spin(Variant(Int64(3)), B::sebFastForward), "9");
  EXPECT_EQ(Spin(Variant(Int64(3)), B::sebFastBackward), "7");
  // A kind that does not extend leaves a step past the bound undone.
  Owned<TNoExtendProperties> n(New<TNoExtendProperties>(nullptr));
  n->SetValueType(VT::vtInt);
  n->SetMinMaxValues(5, 20);
  EXPECT_EQ(n->GetBoundsKind(), TcxSpinBoundsCheckingKind::bckDoNotExceed);
  EXPECT_EQ(Spin(n.get(), Variant(Int64(20)), B::sebForward), "none");
  EXPECT_EQ(Spin(n.get(), Variant(Int64(19)), B::sebForward), "20");
}

TEST_F(SpinValue, StepsAtTheLimitsOfTheTypesStayInsideThem) {
  p->SetValueType(VT::vtInt);
  p->SetLargeIncrement(1e300);
  EXPECT_EQ(Spin(Variant(kMaxI), B::sebForward), "9223372036854775807");
  EXPECT_EQ(Spin(Variant(kMinI), B::sebFastBackward), "-9223372036854775808");
  EXPECT_EQ(Spin(Variant(kMaxI - 5), B::sebFastForward), "9223372036854775807");
  // The distance to the far bound does not fit the type; the step itself does.
  EXPECT_EQ(Spin(Variant(Int64(100)), B::sebFastBackward), "-9223372036854775707");
  // Circular over the whole type wraps through the other end instead of overflowing.
  p->SetCircular(true);
  EXPECT_EQ(Spin(Variant(kMaxI), B::sebForward), "-9223372036854775808");
  EXPECT_EQ(Spin(Variant(kMinI), B::sebBackward), "9223372036854775807");

  p->SetValueType(VT::vtFloat);
  p->SetCircular(false);
  EXPECT_EQ(Spin(Variant(1.7e308), B::sebFastForward), "1.7E308");
  EXPECT_EQ(Spin(Variant(-1.7e308), B::sebFastBackward), "-1.7E308");
  p->SetCircular(true);
  // With no bounds the period would be infinite: the step stops at the limit, finite.
  EXPECT_EQ(Spin(Variant(1.7e308), B::sebFastForward), "1.7E308");
}

TEST_F(SpinValue, FloatsTurnRoundAsWholeNumbersDoAndStayInTheRange) {
  // The default value type is floating; a turn is Max - Min + 1, as for whole numbers.
  p->SetCircular(true);
  p->SetMinMaxValues(5, 20);
  EXPECT_EQ(Spin(Variant(20.0), B::sebForward), "5");
  EXPECT_EQ(Spin(Variant(5.0), B::sebBackward), "20");
  p->SetMinMaxValues(0, 9);
  EXPECT_EQ(Spin(Variant(0.0), B::sebBackward), "9");
  EXPECT_EQ(Spin(Variant(8.5), B::sebForward), "0");
  // A fractional step into the gap past a bound goes on to the other end.
  p->SetMinMaxValues(0, 1);
  p->SetIncrement(0.5);
  EXPECT_EQ(Spin(Variant(1.0), B::sebForward), "0");
  EXPECT_EQ(Spin(Variant(0.0), B::sebBackward), "1");
  EXPECT_EQ(Spin(Variant(0.5), B::sebForward), "1");
  p->SetLargeIncrement(2.25);
  EXPECT_EQ(Spin(Variant(0.5), B::sebFastForward), "0.75");
  EXPECT_EQ(Spin(Variant(0.5), B::sebFastBackward), "0.25");
  p->SetCircular(false);
  EXPECT_EQ(Spin(Variant(0.75), B::sebForward), "1");
  EXPECT_EQ(Spin(Variant(0.25), B::sebBackward), "0");
}

// Decimal steps land on the decimals the user sees: three steps of 0.1 up and three down come
// back to 0, not to the binary rest 2.8E-17 that would show as such in the text.
TEST_F(SpinValue, DecimalStepsStayOnTheirDecimals) {
  p->SetIncrement(0.1);
  Variant v(0.0);
  for (B b : {B::sebForward, B::sebForward, B::sebForward}) ASSERT_TRUE(p->CalculateSpinValue(v, b, v));
  EXPECT_EQ(v.AsDouble(), 0.3);
  for (B b : {B::sebBackward, B::sebBackward, B::sebBackward}) ASSERT_TRUE(p->CalculateSpinValue(v, b, v));
  EXPECT_EQ(v.AsDouble(), 0.0);
  EXPECT_EQ(VarToStr(v), "0");
  // Up to 1 in ten steps, then the bound of 0..1 is met exactly and the next step is none.
  p->SetMinMaxValues(0, 1);
  v = Variant(0.0);
  for (int i = 0; i < 10; ++i) ASSERT_TRUE(p->CalculateSpinValue(v, B::sebForward, v));
  EXPECT_EQ(v.AsDouble(), 1.0);
  // The finer of the two decimals counts.
  p->SetMinMaxValues(0, 0);
  p->SetIncrement(0.5);
  v = Variant(0.25);
  ASSERT_TRUE(p->CalculateSpinValue(v, B::sebForward, v));
  EXPECT_EQ(v.AsDouble(), 0.75);
  p->SetIncrement(0.001);
  v = Variant(-2.5);
  ASSERT_TRUE(p->CalculateSpinValue(v, B::sebBackward, v));
  EXPECT_EQ(v.AsDouble(), -2.501);
  // Steps that are no short decimal keep their own fine grain.
  p->SetMinMaxValues(0, 0);
  p->SetIncrement(1.0 / 3.0);
  v = Variant(0.0);
  ASSERT_TRUE(p->CalculateSpinValue(v, B::sebForward, v));
  EXPECT_EQ(v.AsDouble(), 1.0 / 3.0);
  p->SetIncrement(1e-20);
  v = Variant(2e-20);
  ASSERT_TRUE(p->CalculateSpinValue(v, B::sebForward, v));
  EXPECT_EQ(v.AsDouble(), 3e-20);
  p->SetIncrement(0.25);
  v = Variant(1e15);
  ASSERT_TRUE(p->CalculateSpinValue(v, B::sebBackward, v));
  EXPECT_EQ(v.AsDouble(), 999999999999999.75);
}

TEST_F(SpinValue, EditValuesAreNumbersOfTheTypeOrRefused) {
  p->SetValueType(VT::vtInt);
  struct Case {
    Variant value;
    const char* result;
  } cases[] = {
      {Variant(String("12")), "12"}, {Variant(String("abc")), "refused"}, {Variant(7.0), "7"},
      {Variant(7.5), "refused"},     {Variant(NAN), "refused"},           {Variant(INFINITY), "refused"},
      {Variant(true), "refused"},    {Variant::MakeNull(), "0"},          {Variant(String("")), "0"},
      {Variant(1e19), "refused"},    {Variant(TDateTime{45000.75}), "45001"},
  };
  for (Case& c : cases) {
    Variant v = c.value;
    const bool ok = p->IsEditValueValid(v, false);
    EXPECT_EQ(ok ? VarToStr(v) : String("refused"), c.result) << VarToStr(c.value);
    if (ok) {
      EXPECT_EQ(VarType(v), varInt64);
    }
  }
  p->SetValueType(VT::vtFloat);
  Variant v(-INFINITY);
  EXPECT_FALSE(p->IsEditValueValid(v, false));
  v = Variant(1.75e308);
  EXPECT_FALSE(p->IsEditValueValid(v, false));
  v = Variant(Integer(3));
  ASSERT_TRUE(p->IsEditValueValid(v, false));
  EXPECT_EQ(VarType(v), varDouble);
  // A date and time is taken as its day number.
  v = Variant(TDateTime{45000.75});
  ASSERT_TRUE(p->IsEditValueValid(v, false));
  EXPECT_EQ(v, Variant(45000.75));
}

TEST_F(SpinValue, FastButtonsFollowTheSettingAndAssignCopiesEverything) {
  EXPECT_EQ(p->GetButtons()->Count(), 2);
  p->GetSpinButtons()->SetShowFastButtons(true);
  EXPECT_EQ(p->GetButtons()->Count(), 4);
  p->GetSpinButtons()->SetShowFastButtons(false);
  EXPECT_EQ(p->GetButtons()->Count(), 2);

  p->SetCanEdit(false);
  p->SetLargeIncrement(7);
  p->SetValueType(VT::vtInt);
  p->GetSpinButtons()->SetPosition(TcxSpinEditButtonsPosition::sbpHorzLeftRight);
  p->GetSpinButtons()->SetShowFastButtons(true);
  Owned<TcxSpinEditProperties> q(New<TcxSpinEditProperties>(nullptr));
  q->Assign(p.get());
  EXPECT_FALSE(q->GetCanEdit());
  EXPECT_EQ(q->GetLargeIncrement(), 7);
  EXPECT_TRUE(q->IsValueTypeStored());
  EXPECT_EQ(q->GetSpinButtons()->GetPosition(), TcxSpinEditButtonsPosition::sbpHorzLeftRight);
  EXPECT_EQ(q->GetButtons()->Count(), 4);

  TcxRegisteredClasses* r = GetRegisteredEditProperties();
  const Integer i = r->GetIndexByClass(&TcxSpinEditProperties::StaticClass());
  ASSERT_GE(i, 0);
  EXPECT_EQ(r->Names(i), "SpinEdit");
  EXPECT_EQ(r->Descriptions(i), "Represents a spin editor");
}

}  // namespace

TL_DEFINE_CLASS(TNoExtendProperties, [](auto&) {});
TL_DEFINE_CLASS(TFloatProvider, [](auto&) {});
