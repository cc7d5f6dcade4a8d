// The IN list's index against a plain scan: every value of a mixed pool asked of random
// lists of the pool, and a filter whose list changes between passes.
#include "FilterTestSupport.h"
#include "widgets/data/cxFilterValueSet.h"

#include <cmath>
#include <limits>
#include <random>

namespace {

using K = TcxFilterOperatorKind;

// The verdict the index must reproduce: Variant equality with each element in turn, a
// comparison that raises counting as not equal.
bool ScanContains(const std::vector<Variant>& AList, const Variant& AValue) {
  for (const Variant& e : AList) {
    try {
      if (AValue == e) return true;
    } catch (const Exception&) {
    }
  }
  return false;
}

// Values of every kind, with the look-alikes that cross kinds: texts that read as
// numbers, dates or Booleans, integers equal to currency and floats, -0.0, NaN, Empty.
std::vector<Variant> Pool() {
  std::vector<Variant> p = {
      Null(), Variant(), Integer(0), Integer(1), Integer(-1), Integer(2), Integer(36526), Int64(1) << 53,
      (Int64(1) << 53) + 1, Byte(1), Word(2), SmallInt(-1), LongWord(7), true, false,
      Currency::FromRaw(10000), Currency::FromRaw(15000), Currency::FromRaw(0), Currency::FromRaw(-10000), 0.0, -0.0,
      1.0, 1.5, 2.5, -1.0, 9007199254740992.0, std::numeric_limits<double>::quiet_NaN(), float(1.5f), float(0.1f), 0.1,
      VarFromDateTime(1.0), VarFromDateTime(2.5), VarFromDateTime(0.0), VarFromDateTime(36526.0), "1", "1.0", " 2 ",
      "1.5", "True", "false", "TRUE", "abc", "ABC", "", "0", "-1", "1/1/2000", "2.5", "9007199254740993", u"1",
      u"abc", u"", VarArrayOf({1, 2}), VarArrayOf({})};
  return p;
}

// The list as kinds and texts, for a failure's message.
std::string Describe(const std::vector<Variant>& AList) {
  std::string s;
  for (const Variant& e : AList)
    s += std::to_string(VarType(e)) + ":" + std::string(VarIsArray(e) ? String("<array>") : VarToStrDef(e, "<null>")) + " ";
  return s;
}

}  // namespace

TEST(FilterValueSet, AgreesWithScanningOverMixedKinds) {
  const std::vector<Variant> pool = Pool();
  std::mt19937 gen(20261207);
  Integer hits = 0, asked = 0;
  for (int round = 0; round < 3000; ++round) {
    std::vector<Variant> list;
    const size_t size = gen() % 9;
    for (size_t i = 0; i < size; ++i) list.push_back(pool[gen() % pool.size()]);
    // Now and then a single value stands for a list of one.
    const bool single = round % 7 == 0 && !list.empty() && !VarIsArray(list.front());
    const Variant operand = single ? list.front() : VarArrayOf(list);
    if (single) list.resize(1);
    const TcxFilterValueSet set(operand);
    for (const Variant& v : pool) {
      const bool expected = ScanContains(list, v);
      ASSERT_EQ(set.Contains(v), expected) << "value " << VarToStrDef(VarIsArray(v) ? Variant("<array>") : v, "<null>")
                                          << " of type " << VarType(v) << " in round " << round << " list " << Describe(list);
      hits += expected;
      ++asked;
    }
  }
  // Both verdicts came up often: the comparison above cannot pass by always answering one.
  EXPECT_GT(hits, asked / 20);
  EXPECT_LT(hits, asked - asked / 20);
}

TEST(FilterValueSet, PinnedCrossKindVerdicts) {
  const TcxFilterValueSet numbers(VarArrayOf({Integer(1), 2.5, Currency::FromRaw(30000)}));
  EXPECT_TRUE(numbers.Contains("1"));       // a text meeting a number is read as one
  EXPECT_TRUE(numbers.Contains(" 2.5 "));
  EXPECT_TRUE(numbers.Contains(3.0));       // currency meeting a float
  EXPECT_TRUE(numbers.Contains(Int64(3)));  // currency meeting an integer exactly
  EXPECT_FALSE(numbers.Contains("abc"));    // cannot be compared: not equal
  EXPECT_FALSE(numbers.Contains(Null()));
  EXPECT_TRUE(numbers.Contains(VarFromDateTime(1.0)));  // dates compare as their numbers

  const TcxFilterValueSet texts(VarArrayOf({"abc", "True", Null()}));
  EXPECT_FALSE(texts.Contains("ABC"));  // bytes: the criteria fold case, not the list
  EXPECT_TRUE(texts.Contains(true));   // a Boolean meeting a text reads it as a Boolean
  EXPECT_FALSE(texts.Contains(false));
  EXPECT_TRUE(texts.Contains(Null()));
  EXPECT_FALSE(texts.Contains(VarArrayOf({"abc"})));

  const TcxFilterValueSet huge(VarArrayOf({(Int64(1) << 53) + 1}));
  EXPECT_FALSE(huge.Contains(Int64(1) << 53));  // integers meet integers exactly
  EXPECT_TRUE(huge.Contains(9007199254740992.0));  // but a double rounds them
  EXPECT_FALSE(TcxFilterValueSet(std::numeric_limits<double>::quiet_NaN()).Contains(std::numeric_limits<double>::quiet_NaN()));
}

namespace {

class FilterInList : public CriteriaTest {};

}  // namespace

TEST_F(FilterInList, ListChangesAndCaseFoldingReachTheIndex) {
  TcxFilterCriteriaItem* item = c_->Root()->AddItem(c_->Field(0), K::foInList, VarArrayOf({"a", "B"}), "");
  EXPECT_TRUE(c_->Matches({"a"}));
  EXPECT_FALSE(c_->Matches({"b"}));
  EXPECT_FALSE(c_->Matches({"c"}));
  item->SetValue(VarArrayOf({"c", Integer(5)}));
  EXPECT_TRUE(c_->Matches({"c"}));
  EXPECT_FALSE(c_->Matches({"a"}));
  EXPECT_TRUE(c_->Matches({"5"}));
  // Folding case prepares the list again: the index follows.
  c_->SetOptions({TcxFilterCriteriaOption::fcoCaseInsensitive});
  EXPECT_TRUE(c_->Matches({"C"}));
  item->SetOperatorKind(K::foNotInList);
  EXPECT_FALSE(c_->Matches({"C"}));
  EXPECT_TRUE(c_->Matches({"a"}));
}
