// Filter value list: order of the kinds, sorting, duplicates, the count limit, recently
// used entries, mapping conditions to entries, and the ordered-set build against inserting
// one entry at a time.
#include "FilterTestSupport.h"
#include "widgets/foundation/cxVariants.h"

#include <random>

namespace {

using V = TcxFilterValueItemKind;
using K = TcxFilterOperatorKind;

class FilterValueList : public CriteriaTest {
 protected:
  void SetUp() override {
    CriteriaTest::SetUp();
    l_.reset(c_->GetValueListClass().Create(c_.get()));
  }
  void TearDown() override {
    l_.reset();
    CriteriaTest::TearDown();
  }
  std::string Shape() {
    std::string r;
    for (Integer i = 0; i < l_->Count(); ++i) {
      const TcxFilterValueItem& e = l_->Items(i);
      if (i) r += " ";
      r += e.Kind == V::fviValue || e.Kind == V::fviMRU ? VarToStr(e.Value) : std::string(EnumInfo<V>::Name(e.Kind));
    }
    return r;
  }
  void Value(const Variant& v) { l_->Add(V::fviValue, v, VarToStr(v), false); }
  Owned<TcxFilterValueList> l_;
};

}  // namespace

TEST_F(FilterValueList, OrderDuplicatesAndLimit) {
  Value(3);
  Value(1);
  l_->Add(V::fviAll, Null(), "(All)", false);
  Value(2);
  Value(2);
  l_->Add(V::fviBlanks, Null(), "(Blanks)", false);
  EXPECT_EQ(Shape(), "fviAll fviBlanks 1 2 3");
  l_->Add(V::fviMRU, 7, "7", false);
  l_->Add(V::fviMRU, 8, "8", false);
  EXPECT_EQ(Shape(), "7 8 fviMRUSeparator fviAll fviBlanks 1 2 3");
  Value(7);  // already among the recent entries
  EXPECT_EQ(l_->Count(), 8);
  Integer at;
  EXPECT_TRUE(l_->Find(8, "8", at));
  EXPECT_EQ(at, 1);
  EXPECT_FALSE(l_->Find(2.5, "2.5", at));
  EXPECT_EQ(at, 7);
  EXPECT_EQ(l_->GetIndexByValue(3), 7);
  EXPECT_EQ(l_->IndexOfKind(V::fviNonBlanks), -1);

  l_->Clear();
  c_->SetMaxValueListCount(2);
  Value(5);
  Value(4);
  Value(6);
  EXPECT_EQ(Shape(), "4 5");
  c_->SetMaxValueListCount(-3);
  EXPECT_EQ(c_->GetMaxValueListCount(), 0);

  // Sorted input goes to the end as given; display-text order folds case when asked.
  l_->Clear();
  l_->Add(V::fviValue, 9, "9", true);
  l_->Add(V::fviValue, 1, "1", true);
  EXPECT_EQ(Shape(), "9 1");
  l_->Clear();
  l_->SetSortByDisplayText(true);
  for (const char* t : {"b", "C", "a"}) l_->Add(V::fviValue, t, t, false);
  EXPECT_EQ(Shape(), "a b C");
  c_->SetOptions({TcxFilterCriteriaOption::fcoCaseInsensitive});
  l_->Add(V::fviValue, "A", "A", false);
  EXPECT_EQ(l_->Count(), 3);
}

TEST_F(FilterValueList, WideTextsOutsideTheCodePageAreDistinct) {
  l_->Add(V::fviValue, WideString(u"\u03A9a"), "?a", false);
  l_->Add(V::fviValue, WideString(u"\u0394a"), "?a", false);
  l_->Add(V::fviValue, WideString(u"\u03A9a"), "?a", false);
  ASSERT_EQ(l_->Count(), 2);
  EXPECT_EQ(l_->Items(0).Value.AsWideString(), u"\u0394a");
  EXPECT_EQ(l_->GetIndexByValue(WideString(u"\u03A9a")), 1);
}

TEST_F(FilterValueList, ConditionsMapToEntries) {
  l_->Add(V::fviAll, Null(), "(All)", false);
  l_->Add(V::fviCustom, Null(), "(Custom...)", false);
  l_->Add(V::fviBlanks, Null(), "(Blanks)", false);
  l_->Add(V::fviNonBlanks, Null(), "(NonBlanks)", false);
  Value(5);
  Value(7);
  EXPECT_EQ(l_->GetIndexByCriteriaItem(nullptr), -1);
  auto index = [&](TcxFilterCriteriaItem* item) { return l_->GetIndexByCriteriaItem(item); };
  EXPECT_EQ(index(c_->Root()->AddItem(c_->Field(0), K::foEqual, 7, "7")), 5);
  EXPECT_EQ(index(c_->Root()->AddItem(c_->Field(0), K::foEqual, 6, "6")), 0);
  EXPECT_EQ(index(c_->Root()->AddItem(c_->Field(0), K::foEqual, Null(), "")), 2);
  EXPECT_EQ(index(c_->Root()->AddItem(c_->Field(0), K::foNotEqual, Null(), "")), 3);
  EXPECT_EQ(index(c_->Root()->AddItem(c_->Field(0), K::foLess, 7, "7")), 1);
  EXPECT_EQ(index(c_->Root()->AddItemList(TcxFilterBoolOperatorKind::fboOr)->AddItem(c_->Field(0), K::foEqual, 7, "7")),
            1);
}

TEST_F(FilterValueList, OrderedSetBuildEqualsOneByOneInsertion) {
  std::mt19937 rng(7);
  for (int round = 0; round < 40; ++round) {
    Integer limit = round % 4 == 0 ? Integer(rng() % 30) : 0;
    c_->SetMaxValueListCount(limit);
    l_->Clear();
    l_->Add(V::fviAll, Null(), "(All)", false);
    std::vector<Variant> reference;  // sorted distinct values, inserted at their place
    for (int i = 0; i < 200; ++i) {
      Variant v = round % 2 ? Variant(Integer(rng() % 60)) : Variant(String(1, Char('a' + rng() % 26)) + "x");
      if (i % 17 == 0) {
        ASSERT_GE(l_->Count(), 1);  // reads in between merge what is pending
      }
      Value(v);
      bool full = limit != 0 && Integer(reference.size()) + 1 >= limit;
      auto at = std::lower_bound(reference.begin(), reference.end(), v,
                                 [](const Variant& a, const Variant& b) { return cxCompareVariants(a, b) < 0; });
      if (!full && (at == reference.end() || cxCompareVariants(*at, v) != 0)) reference.insert(at, v);
    }
    ASSERT_EQ(l_->Count(), Integer(reference.size()) + 1) << round;
    for (size_t i = 0; i < reference.size(); ++i)
      ASSERT_TRUE(cxVariantsEqual(l_->Items(Integer(i) + 1).Value, reference[i])) << round << " " << i;
  }
}
