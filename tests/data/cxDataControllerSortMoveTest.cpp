// A sorted controller after single value changes: the rows must be the order a full sort
// gives (keys with Nulls first, one key descending, storage order for ties), with the
// focus and the selection following their records.
#include "DataControllerTestSupport.h"

#include <algorithm>
#include <random>
#include <set>

using enum TcxDataSortOrder;

namespace {

class SortedValueChanges : public ControllerTest {
 protected:
  // The order worked out here from the values the test stored: field 0 ascending, field 1
  // descending, Null below every value, then the record index.
  std::vector<Integer> Expected() const {
    std::vector<Integer> order(size_t(c_->GetRecordCount()));
    for (size_t i = 0; i < order.size(); ++i) order[i] = Integer(i);
    auto key = [](const Variant& v, bool text) -> std::pair<int, std::string> {
      if (VarIsNull(v)) return {0, ""};
      return {1, text ? std::string(v.AsString()) : std::string(12 - std::to_string(v.AsInteger()).size(), '0') +
                                                       std::to_string(v.AsInteger())};
    };
    std::sort(order.begin(), order.end(), [&](Integer a, Integer b) {
      const auto a0 = key(c_->GetItemValue(a, 0), false), b0 = key(c_->GetItemValue(b, 0), false);
      if (a0 != b0) return a0 < b0;
      const auto a1 = key(c_->GetItemValue(a, 1), true), b1 = key(c_->GetItemValue(b, 1), true);
      if (a1 != b1) return b1 < a1;
      return a < b;
    });
    return order;
  }
  Variant RandomValue(std::mt19937& AGen, Integer AItem) {
    if (AGen() % 6 == 0) return Null();
    if (AItem == 0) return Integer(AGen() % 5);  // few values: many ties
    static const char* texts[] = {"", "a", "ab", "b", "B", "abcdefghij", "abcdefghik"};
    return String(texts[AGen() % 7]);
  }
};

}  // namespace

TEST_F(SortedValueChanges, RowsMatchAFullSortAfterEverySet) {
  AddItems({IntType(), StrType()});
  const Integer n = 150;
  std::mt19937 gen(54);
  c_->BeginUpdate();
  c_->SetRecordCount(n);
  for (Integer r = 0; r < n; ++r)
    for (Integer i = 0; i < 2; ++i) c_->SetValue(r, i, RandomValue(gen, i));
  c_->EndUpdate();
  c_->BeginUpdate();
  c_->ChangeSortingOrder(0, soAscending);
  c_->ChangeSortingOrder(1, soDescending);
  c_->EndUpdate();
  ASSERT_EQ(Rows(), Expected());
  for (int step = 0; step < 800; ++step) {
    const Integer r = Integer(gen() % Integer(n));
    if (step % 10 == 9) {
      // Several changes in one bracket: to one record, or to two.
      const Integer other = step % 20 == 9 ? r : Integer(gen() % Integer(n));
      c_->BeginUpdate();
      c_->SetValue(r, 0, RandomValue(gen, 0));
      c_->SetValue(other, 1, RandomValue(gen, 1));
      c_->EndUpdate();
    } else {
      const Integer item = Integer(gen() % 2);
      c_->SetValue(r, item, RandomValue(gen, item));
    }
    ASSERT_EQ(Rows(), Expected()) << "after step " << step;
  }
}

TEST_F(SortedValueChanges, FocusAndSelectionFollowTheMovedRecord) {
  AddItems({IntType(), StrType()});
  Fill({{5, "e"}, {1, "a"}, {3, "c"}, {4, "d"}, {2, "b"}});
  c_->ChangeSortingOrder(0, soAscending);
  ASSERT_EQ(Rows(), (std::vector<Integer>{1, 4, 2, 3, 0}));
  c_->SetMultiSelect(true);
  c_->ChangeFocusedRecordIndex(2);
  c_->ChangeRowSelection(0, true);  // record 1
  c_->ChangeRowSelection(3, true);  // record 3
  c_->SetValue(2, 0, 9);            // record 2 goes to the end
  EXPECT_EQ(Rows(), (std::vector<Integer>{1, 4, 3, 0, 2}));
  EXPECT_EQ(c_->GetFocusedRecordIndex(), 2);
  EXPECT_EQ(c_->GetFocusedRowIndex(), 4);
  std::set<Integer> selected;
  for (Integer i = 0; i < c_->GetSelectedCount(); ++i)
    selected.insert(c_->GetRowInfo(c_->GetSelectedRowIndex(i)).RecordIndex);
  EXPECT_EQ(selected, (std::set<Integer>{1, 3}));
  c_->SetValue(0, 0, 0);  // record 0 goes to the front; the focused one shifts back
  EXPECT_EQ(Rows(), (std::vector<Integer>{0, 1, 4, 3, 2}));
  EXPECT_EQ(c_->GetFocusedRowIndex(), 4);
  EXPECT_TRUE(c_->IsRowSelected(1));
  EXPECT_TRUE(c_->IsRowSelected(3));
  EXPECT_FALSE(c_->IsRowSelected(0));
}
