// The row list: record compare on each path, sorting by one and two fields with Nulls,
// storage order for equal keys, the edited record keeping its place, filtering, row
// numbering and the rebuild after each kind of change.
#include "DataControllerTestSupport.h"

#include "widgets/data/cxDataControllerInfo.h"
#include "widgets/data/cxDataGroups.h"
#include "widgets/data/cxFilter.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>
#include <string>

using enum TcxDataSortOrder;
using enum TcxDataControllerOption;
using V = std::vector<Integer>;

namespace {

class Sorting : public ControllerTest {};

// Strings whose order differs under each pair of the string options.
class StringSorting : public ControllerTest {
 protected:
  void SetUp() override {
    ControllerTest::SetUp();
    AddItems({StrType()});
    Fill({{"b"}, {"A"}, {"a"}, {"B"}, {"\xE9"}, {"F"}});  // 4 is e-acute
  }
  V SortedWith(TcxDataControllerOptions AOptions) {
    c_->SetOptions(AOptions);
    c_->ChangeSortingOrder(0, soAscending);
    return Rows();
  }
};

struct Reverser : TObject {
  Integer Calls = 0;
  Integer LastItem = -1;
  void Compare(TcxCustomDataController*, Integer, Integer, Integer AItemIndex, const Variant& V1, const Variant& V2,
               Integer& Compare) {
    ++Calls;
    LastItem = AItemIndex;
    Compare = CompareStr(V2.AsString(), V1.AsString());
  }
  void AlwaysLess(TcxCustomDataController*, Integer, Integer, Integer, const Variant&, const Variant&,
                  Integer& Compare) {
    Compare = -1;
  }
};

}  // namespace

TEST_F(StringSorting, EachStringOptionPairOrdersByItsRule) {
  EXPECT_EQ(SortedWith({}), (V{1, 3, 5, 2, 0, 4}));                            // bytes
  EXPECT_EQ(SortedWith({dcoCaseInsensitive}), (V{1, 2, 0, 3, 5, 4}));          // upper-cased bytes
  EXPECT_EQ(SortedWith({dcoAnsiSort}), (V{2, 1, 0, 3, 4, 5}));                 // locale, lower case first
  EXPECT_EQ(SortedWith({dcoAnsiSort, dcoCaseInsensitive}), (V{1, 2, 0, 3, 4, 5}));  // locale without case
}

TEST_F(StringSorting, OnCompareDecidesOverTheOptions) {
  Reverser r;
  c_->OnCompare = TcxDataControllerCompareEvent(&r, &Reverser::Compare);
  EXPECT_EQ(SortedWith({dcoAnsiSort}), (V{4, 0, 2, 5, 3, 1}));
  EXPECT_GT(r.Calls, 0);
  EXPECT_EQ(r.LastItem, 0);
}

TEST_F(Sorting, StoredValuesFetchedValuesAndDisplayTexts) {
  struct ByText : TcxDataController {
    using TcxDataController::TcxDataController;
    bool GetItemSortByDisplayText(Integer AItemIndex) const override { return AItemIndex == 0; }
  };
  c_.reset(New<ByText>(nullptr));
  AddItems({IntType()});
  c_->ChangeTextStored(0, true);
  Fill({{30}, {10}, {20}});
  c_->BeginUpdate();
  const char* texts[] = {"a", "c", "b"};
  for (Integer i = 0; i < 3; ++i) c_->SetDisplayText(i, 0, texts[i]);
  c_->EndUpdate();

  TcxDataSortInfo info{c_->Fields()->GetItem(0), soAscending, 0};
  EXPECT_EQ(c_->GetCompareKind(info), -1);
  EXPECT_LT(c_->CompareRecords(1, 0, info), 0);  // 10 < 30 straight from the buffers
  c_->ChangeSortingOrder(0, soAscending);
  EXPECT_EQ(Rows(), (V{1, 2, 0}));

  c_->SetOptions(c_->Options() + TcxDataControllerOptions{dcoSortByDisplayText});
  EXPECT_EQ(c_->GetCompareKind(info), 2);
  EXPECT_GT(c_->CompareRecords(1, 0, info), 0);  // "c" > "a"
  EXPECT_EQ(Rows(), (V{0, 2, 1}));

  // Fetched values of a non-string type compare as variants.
  Reverser r;
  c_->SetOptions({});
  c_->OnCompare = TcxDataControllerCompareEvent(&r, &Reverser::Compare);
  EXPECT_EQ(c_->GetCompareKind(info), 1);
  c_->OnCompare = nullptr;
  info.CompareKind = 1;
  EXPECT_LT(c_->CompareRecords(1, 0, info), 0);
}

TEST_F(Sorting, OneAndTwoFieldsBothDirectionsWithNulls) {
  AddItems({IntType(), StrType()});
  const Variant n = Null();
  Fill({{2, "x"}, {n, "y"}, {1, "y"}, {2, "w"}, {n, "x"}, {1, "y"}});
  c_->ChangeSortingOrder(0, soAscending);
  EXPECT_EQ(Rows(), (V{1, 4, 2, 5, 0, 3}));  // Null first, equal keys in storage order
  c_->ChangeSortingOrder(0, soDescending);
  EXPECT_EQ(Rows(), (V{0, 3, 2, 5, 1, 4}));  // descending keeps storage order among equals
  c_->ChangeSortingOrder(1, soAscending);
  EXPECT_EQ(Rows(), (V{3, 0, 2, 5, 4, 1}));
  c_->ChangeSortingOrder(0, soAscending);
  c_->ChangeSortingOrder(1, soDescending);
  EXPECT_EQ(Rows(), (V{1, 4, 2, 5, 0, 3}));
  // Moving the string field in front of the number.
  c_->ChangeItemSortingIndex(1, 0);
  EXPECT_EQ(c_->GetItemSortingIndex(1), 0);
  EXPECT_EQ(Rows(), (V{1, 2, 5, 4, 0, 3}));
  c_->ClearSorting(false);
  EXPECT_EQ(c_->GetSortingItemCount(), 0);
  EXPECT_EQ(Rows(), (V{0, 1, 2, 3, 4, 5}));
}

TEST_F(Sorting, MatchesAStableSortOfTheKeys) {
  AddItems({IntType(), IntType()});
  std::mt19937 gen(7);
  const Integer n = 3000;
  std::vector<std::pair<Integer, Integer>> keys;  // first key -1 stands for Null
  c_->BeginUpdate();
  c_->SetRecordCount(n);
  for (Integer i = 0; i < n; ++i) {
    keys.emplace_back(Integer(gen() % 20) - 1, Integer(gen() % 5));
    c_->SetValue(i, 0, keys.back().first < 0 ? Null() : Variant(keys.back().first));
    c_->SetValue(i, 1, keys.back().second);
  }
  c_->ChangeSortingOrder(0, soDescending);
  c_->ChangeSortingOrder(1, soAscending);
  c_->EndUpdate();
  V expected(static_cast<size_t>(n));
  for (Integer i = 0; i < n; ++i) expected[size_t(i)] = i;
  std::stable_sort(expected.begin(), expected.end(), [&](Integer a, Integer b) {
    if (keys[size_t(a)].first != keys[size_t(b)].first) return keys[size_t(a)].first > keys[size_t(b)].first;
    return keys[size_t(a)].second < keys[size_t(b)].second;
  });
  EXPECT_EQ(Rows(), expected);
}

TEST_F(Sorting, StringsMatchAByteOrderStableSort) {
  // Common prefixes longer than eight bytes, prefixes of each other, empty texts, case,
  // bytes above 0x7F, zero bytes and Nulls; by bytes, then by upper-cased bytes.
  const std::vector<std::string> pool{"",           "a",         "ab",         "abcdefgh", "abcdefghij1", "ABCDEFGHIJ2",
                                      "abcdefghi", "\xE9t\xE9", "\xE9",       "Z",        "aB",
                                      std::string("ab\0", 3), std::string("abcdefgh\0", 9)};
  AddItems({StrType(), IntType()});
  std::mt19937 gen(11);
  const Integer n = 2000;
  std::vector<Integer> pick(static_cast<size_t>(n));  // -1 stands for Null
  std::vector<Integer> second(static_cast<size_t>(n));
  c_->BeginUpdate();
  c_->SetRecordCount(n);
  for (Integer i = 0; i < n; ++i) {
    pick[size_t(i)] = Integer(gen() % (pool.size() + 1)) - 1;
    second[size_t(i)] = Integer(gen() % 3);
    if (pick[size_t(i)] >= 0) c_->SetValue(i, 0, String(pool[size_t(pick[size_t(i)])]));
    c_->SetValue(i, 1, second[size_t(i)]);
  }
  c_->ChangeSortingOrder(0, soDescending);
  c_->ChangeSortingOrder(1, soAscending);
  c_->EndUpdate();
  auto expected = [&](bool AUpper) {
    auto text = [&](Integer r) {
      std::string t = pool[size_t(pick[size_t(r)])];
      if (AUpper)
        for (char& ch : t)
          if (ch >= 'a' && ch <= 'z') ch = char(ch - 'a' + 'A');
      return t;
    };
    V e(static_cast<size_t>(n));
    for (Integer i = 0; i < n; ++i) e[size_t(i)] = i;
    std::stable_sort(e.begin(), e.end(), [&](Integer a, Integer b) {
      const bool nullA = pick[size_t(a)] < 0, nullB = pick[size_t(b)] < 0;
      if (nullA != nullB) return nullB;  // Nulls last when descending
      if (!nullA) {
        const std::string x = text(a), y = text(b);
        if (x != y) return std::lexicographical_compare(y.begin(), y.end(), x.begin(), x.end(), [](char p, char q) {
            return static_cast<unsigned char>(p) < static_cast<unsigned char>(q);
          });
      }
      return second[size_t(a)] < second[size_t(b)];
    });
    return e;
  };
  EXPECT_EQ(Rows(), expected(false));
  c_->SetOptions({dcoCaseInsensitive});  // texts fetched and upper-cased
  EXPECT_EQ(Rows(), expected(true));
}

// Texts of up to seven bytes sort by a number of their bytes and length; one of eight has
// no room for its length beside its bytes and must still order by its last byte, as a
// group of its own.
TEST_F(Sorting, TextsOfSevenAndEightBytesOrderByEveryByte) {
  AddItems({StrType()});
  Fill({{"abcdefgx"}, {"abcdefgp"}, {"abcdefg"}, {"abcdefgh"}, {"abcdefg"}});
  c_->ChangeSortingOrder(0, soAscending);
  EXPECT_EQ(Rows(), (V{2, 4, 3, 1, 0}));
  c_->ChangeSortingOrder(0, soDescending);
  EXPECT_EQ(Rows(), (V{0, 1, 3, 2, 4}));
  c_->ChangeItemGroupIndex(0, 0);
  TcxDataGroups* groups = c_->DataControllerInfo()->Groups();
  ASSERT_EQ(groups->Count(), 4);
  const Integer sizes[] = {1, 1, 1, 2};
  for (Integer g = 0; g < 4; ++g)
    EXPECT_EQ(groups->Items(g).EndIndex - groups->Items(g).BeginIndex + 1, sizes[g]) << g;
}

// Wide strings order by their code units, a text before its continuations; none is cut to
// its first bytes.
TEST_F(Sorting, WideStringsOrderByTheirCodeUnits) {
  AddItems({TcxWideStringValueType::StaticClass()});
  Fill({{WideString(u"ac")},
        {WideString(u"ab")},
        {WideString(u"\u0100")},
        {WideString(u"b")},
        {Null()},
        {WideString(u"")},
        {WideString(u"ab")},
        {WideString(u"abcdefghi")}});
  c_->ChangeSortingOrder(0, soAscending);
  EXPECT_EQ(Rows(), (V{4, 5, 1, 6, 7, 0, 3, 2}));
  c_->ChangeSortingOrder(0, soDescending);
  EXPECT_EQ(Rows(), (V{2, 3, 0, 7, 1, 6, 5, 4}));
  c_->ChangeItemGroupIndex(0, 0);
  EXPECT_EQ(c_->DataControllerInfo()->Groups()->Count(), 7);
}

// A controller that breaks ties its own way gets its order, not storage order.
TEST_F(Sorting, ADescendantsTieBreakDecidesBetweenEqualKeys) {
  struct ReversedTies : TcxDataController {
    using TcxDataController::TcxDataController;
    Integer CompareRecordIndexes(Integer a, Integer b) const override {
      return a < b ? 1 : a > b ? -1 : 0;
    }
  };
  c_.reset(New<ReversedTies>(nullptr));
  AddItems({IntType(), StrType()});
  Fill({{2, "a"}, {1, "a"}, {2, "a"}, {1, "b"}, {2, "a"}});
  c_->ChangeSortingOrder(0, soAscending);
  EXPECT_EQ(Rows(), (V{3, 1, 4, 2, 0}));
  c_->ChangeSortingOrder(1, soAscending);
  EXPECT_EQ(Rows(), (V{1, 3, 4, 2, 0}));
}

TEST_F(Sorting, AnInconsistentCompareStillGivesEveryRecordOnce) {
  // "Always less" drives a plain quicksort to linear depth and quadratic time.
  AddItems({IntType()});
  const Integer n = 200000;
  c_->SetRecordCount(n);
  Reverser r;
  c_->OnCompare = TcxDataControllerCompareEvent(&r, &Reverser::AlwaysLess);
  c_->ChangeSortingOrder(0, soAscending);
  V rows = Rows();
  ASSERT_EQ(Integer(rows.size()), n);
  std::sort(rows.begin(), rows.end());
  for (Integer i = 0; i < n; ++i) ASSERT_EQ(rows[size_t(i)], i);
}

TEST_F(Sorting, EditedRecordKeepsItsPlaceAndPassesEveryFilter) {
  struct Editing : TcxDataController {
    using TcxDataController::TcxDataController;
    Integer Record = kNoEditRecord, Follower = -1;
    Integer GetEditingRecordIndex() const override { return Record; }
    Integer GetEditingFollowingRecordIndex() const override { return Follower; }
  };
  auto* e = New<Editing>(nullptr);
  c_.reset(e);
  AddItems({IntType()});
  Fill({{10}, {20}, {30}, {40}});
  c_->ChangeSortingOrder(0, soAscending);
  e->Record = 1;  // editing began with record 1 before record 2
  e->Follower = 2;
  c_->SetValue(1, 0, 99);
  EXPECT_EQ(Rows(), (V{0, 1, 2, 3}));
  e->Record = 3;  // the last row stays last
  e->Follower = -1;
  c_->SetValue(3, 0, 1);
  EXPECT_EQ(Rows(), (V{0, 2, 1, 3}));  // record 1 is posted and moves to its place
  e->Record = kNoEditRecord;  // posted: sorted in
  c_->Refresh();
  EXPECT_EQ(Rows(), (V{3, 0, 2, 1}));

  struct RejectAll : TObject {
    void Filter(TcxCustomDataController*, Integer, bool& Accept) { Accept = false; }
  } reject;
  e->Record = 2;
  c_->OnFilterRecord = TcxDataFilterRecordEvent(&reject, &RejectAll::Filter);
  c_->RefreshView();
  EXPECT_EQ(Rows(), (V{2}));
}

TEST_F(Sorting, FilterKeepsSurvivorsInOrderAndAsksEachRecordOnceFromTheEnd) {
  AddItems({IntType()});
  c_->SetRecordCount(10);
  struct Alternate : TObject {
    V Asked;
    void Filter(TcxCustomDataController*, Integer ARecordIndex, bool& Accept) {
      Asked.push_back(ARecordIndex);
      Accept = ARecordIndex % 2 == 0;
    }
  } f;
  c_->OnFilterRecord = TcxDataFilterRecordEvent(&f, &Alternate::Filter);
  c_->RefreshView();
  EXPECT_EQ(Rows(), (V{0, 2, 4, 6, 8}));
  EXPECT_EQ(f.Asked, (V{9, 8, 7, 6, 5, 4, 3, 2, 1, 0}));
  EXPECT_EQ(c_->GetFilteredRecordCount(), 5);
  EXPECT_EQ(c_->GetFilteredIndexByRecordIndex(6), 3);
  EXPECT_EQ(c_->GetFilteredIndexByRecordIndex(7), -1);
  EXPECT_EQ(c_->GetRowIndexByRecordIndex(7, true), -1);
  EXPECT_EQ(c_->GetFilteredRecordIndex(4), 8);
  EXPECT_EQ(c_->GetFilteredRecordIndex(5), -1);
}

TEST_F(Sorting, RowNumbering) {
  AddItems({IntType()});
  Fill({{3}, {1}, {2}});
  c_->ChangeSortingOrder(0, soDescending);
  for (Integer row = 0; row < 3; ++row) {
    const TcxRowInfo info = c_->GetRowInfo(row);
    EXPECT_EQ(info.FilteredIndex, row);
    EXPECT_EQ(info.Level, 0);
    EXPECT_FALSE(info.Expanded);
    EXPECT_EQ(c_->GetRowIndexByRecordIndex(info.RecordIndex, false), row);
  }
  EXPECT_EQ(c_->GetRowInfo(2).RecordIndex, 1);
  EXPECT_THROW(c_->GetRowInfo(3), EcxInvalidDataControllerOperation);
  EXPECT_THROW(c_->GetRowInfo(-1), EcxInvalidDataControllerOperation);
  c_->SetRecordCount(0);
  EXPECT_EQ(c_->GetRowCount(), 0);
  try {
    c_->GetRowInfo(0);
    FAIL();
  } catch (const EcxInvalidDataControllerOperation& e) {
    EXPECT_EQ(e.Message(), "RowIndex out of range");
  }
}

TEST_F(Sorting, RowsFollowEveryKindOfChange) {
  AddItems({IntType()});
  Fill({{30}, {10}, {20}});
  c_->ChangeSortingOrder(0, soAscending);
  EXPECT_EQ(Rows(), (V{1, 2, 0}));
  c_->SetValue(0, 0, 5);  // a value
  EXPECT_EQ(Rows(), (V{0, 1, 2}));
  const Integer r = c_->AppendRecord();  // a new record (Null sorts first)
  EXPECT_EQ(r, 3);
  EXPECT_EQ(Rows(), (V{3, 0, 1, 2}));
  c_->InsertRecord(0);  // every record moves up by one
  c_->SetValue(0, 0, 15);
  EXPECT_EQ(Rows(), (V{4, 1, 2, 0, 3}));
  c_->DeleteRecord(2);  // 10 goes
  EXPECT_EQ(Rows(), (V{3, 1, 0, 2}));
  c_->SetRecordCount(2);
  EXPECT_EQ(Rows(), (V{1, 0}));
  c_->ChangeSortingOrder(0, soNone);
  EXPECT_EQ(Rows(), (V{0, 1}));
  EXPECT_THROW(c_->InsertRecord(3), EcxInvalidDataControllerOperation);
  EXPECT_THROW(c_->DeleteRecord(2), EcxInvalidDataControllerOperation);
}

// The edited record's values decide its place: a change of the sort order posts the edit
// first (once, with its events), so the record moves to where its new value sorts.
TEST_F(Sorting, ChangingTheSortOrderPostsThePendingEdit) {
  using enum TcxDataEditValueSource;
  struct Posts : TObject {
    Integer Count = 0;
    void Before(TcxCustomDataController*) { ++Count; }
  } posts;
  c_->OnBeforePost = TcxDataControllerNotifyEvent(&posts, &Posts::Before);
  AddItems({IntType(), IntType()});
  Fill({{10, 1}, {20, 2}, {30, 3}});
  auto editRecord1 = [&](Integer AItem, Integer AValue) {
    c_->ChangeFocusedRecordIndex(1);
    c_->Edit();
    c_->SetEditValue(AItem, AValue, evsValue);
    ASSERT_TRUE(c_->IsEditing());
  };
  editRecord1(0, 5);
  c_->ChangeSortingOrder(0, soAscending);
  EXPECT_FALSE(c_->IsEditing());
  EXPECT_EQ(posts.Count, 1);
  EXPECT_EQ(Rows(), (V{1, 0, 2}));

  c_->ChangeSortingOrder(1, soAscending);
  editRecord1(1, 9);
  c_->ChangeItemSortingIndex(1, 0);  // item 1 sorts first now
  EXPECT_FALSE(c_->IsEditing());
  EXPECT_EQ(posts.Count, 2);
  EXPECT_EQ(Rows(), (V{0, 2, 1}));

  editRecord1(0, 0);
  c_->ClearSorting(false);
  EXPECT_FALSE(c_->IsEditing());
  EXPECT_EQ(posts.Count, 3);
  EXPECT_EQ(c_->GetItemValue(1, 0).AsInteger(), 0);
  EXPECT_EQ(Rows(), (V{0, 1, 2}));

  // No change of the order: the edit stays.
  editRecord1(0, 7);
  c_->ChangeSortingOrder(0, soNone);
  c_->ClearSorting(false);
  EXPECT_TRUE(c_->IsEditing());
  EXPECT_EQ(posts.Count, 3);
}

namespace {

// Records of every value type whose compare orders its stored values alone, with the
// extremes of each, and a model of their order: Null first, numbers by value, texts by
// bytes (a text before its longer continuations, zero bytes included).
class KeyTypes : public ControllerTest {
 protected:
  enum { kInt, kSmall, kWord, kLarge, kCurrency, kBool, kText, kTypes };
  struct Cell {
    bool Null = true;
    Int64 Number = 0;
    std::string Text;
  };
  void SetUp() override {
    ControllerTest::SetUp();
    AddItems({IntType(), TcxSmallintValueType::StaticClass(), TcxWordValueType::StaticClass(),
              TcxLargeIntValueType::StaticClass(), TcxCurrencyValueType::StaticClass(),
              TcxBooleanValueType::StaticClass(), StrType()});
  }
  Cell Random(Integer AType) {
    Cell c;
    if (gen_() % 7 == 0) return c;
    c.Null = false;
    const Int64 ints[] = {INT32_MIN, -70000, -1, 0, 1, 5, 70000, INT32_MAX};
    const Int64 smalls[] = {-32768, -300, -1, 0, 1, 255, 256, 32767};
    const Int64 words[] = {0, 1, 127, 128, 255, 256, 32768, 65535};
    const Int64 larges[] = {INT64_MIN,      -(Int64(1) << 40), -1,       0, 1,
                            Int64(1) << 32, Int64(1) << 40,    INT64_MAX};
    const std::string texts[] = {"",        "a",     std::string("a\0", 2), "ab", "b", "\xFF",
                                 "abcdefg", "abcdef"};
    const size_t i = gen_() % 8;
    switch (AType) {
      case kInt:
        c.Number = ints[i];
        break;
      case kSmall:
        c.Number = smalls[i];
        break;
      case kWord:
        c.Number = words[i];
        break;
      case kLarge:
        c.Number = larges[i];
        break;
      case kCurrency:
        c.Number = larges[i] / 3;
        break;  // raw ten-thousandths
      case kBool:
        c.Number = Int64(i % 2);
        break;
      default:
        c.Text = texts[i];
        break;
    }
    return c;
  }
  static Variant AsVariant(Integer AType, const Cell& ACell) {
    if (ACell.Null) return Null();
    switch (AType) {
      case kInt:
      case kSmall:
      case kWord:
        return Integer(ACell.Number);
      case kLarge:
        return ACell.Number;
      case kCurrency:
        return Currency::FromRaw(ACell.Number);
      case kBool:
        return ACell.Number != 0;
      default:
        return String(ACell.Text);
    }
  }
  static int Order(const Cell& a, const Cell& b) {
    if (a.Null || b.Null) return int(!a.Null) - int(!b.Null);
    if (a.Number != b.Number) return a.Number < b.Number ? -1 : 1;
    const int c = a.Text.compare(b.Text);  // char_traits<char>: bytes as unsigned
    return c < 0 ? -1 : c > 0 ? 1 : 0;
  }
  void FillRandom(Integer ACount) {
    cells_.assign(size_t(ACount), {});
    c_->BeginUpdate();
    c_->SetRecordCount(ACount);
    for (Integer r = 0; r < ACount; ++r)
      for (Integer t = 0; t < kTypes; ++t) {
        cells_[size_t(r)][size_t(t)] = Random(t);
        c_->SetValue(r, t, AsVariant(t, cells_[size_t(r)][size_t(t)]));
      }
    c_->EndUpdate();
  }
  // The records by these keys, equal ones in storage order.
  V Expected(const std::vector<std::pair<Integer, TcxDataSortOrder>>& AKeys) const {
    V e(cells_.size());
    for (size_t i = 0; i < e.size(); ++i) e[i] = Integer(i);
    std::stable_sort(e.begin(), e.end(), [&](Integer a, Integer b) {
      for (auto [t, order] : AKeys) {
        const int r = Order(cells_[size_t(a)][size_t(t)], cells_[size_t(b)][size_t(t)]);
        if (r != 0) return order == soDescending ? r > 0 : r < 0;
      }
      return false;
    });
    return e;
  }
  V Filtered() const {
    V r;
    TcxCustomDataControllerInfo* info = c_->DataControllerInfo();
    for (Integer i = 0; i < info->GetFilteredRecordCount(); ++i)
      r.push_back(info->GetFilteredRecordIndex(i));
    return r;
  }
  std::mt19937 gen_{29};
  std::vector<std::array<Cell, kTypes>> cells_;
};

}  // namespace

// Negative numbers, the extremes of each width, Nulls, texts that are prefixes of others
// or differ in a zero byte, both directions, one to three keys.
TEST_F(KeyTypes, EveryStoredOrderMatchesAStableSortOfTheValues) {
  FillRandom(1500);
  for (int round = 0; round < 40; ++round) {
    std::vector<std::pair<Integer, TcxDataSortOrder>> keys;
    const size_t count = 1 + gen_() % 3;
    while (keys.size() < count) {
      const Integer t = Integer(gen_() % kTypes);
      if (std::none_of(keys.begin(), keys.end(), [t](auto& k) { return k.first == t; }))
        keys.push_back({t, gen_() % 2 ? soDescending : soAscending});
    }
    c_->BeginUpdate();
    c_->ClearSorting(false);
    for (auto [t, order] : keys) c_->ChangeSortingOrder(t, order);
    c_->EndUpdate();
    std::string what;
    for (auto [t, order] : keys) what += std::to_string(t) + (order == soDescending ? "- " : "+ ");
    ASSERT_EQ(Rows(), Expected(keys)) << what;
  }
}

// Grouped by such keys, each group holds the records equal on its levels, in the order
// the values give, and no two neighbouring groups of the deepest level are equal.
TEST_F(KeyTypes, GroupsBreakWhereTheValuesDiffer) {
  FillRandom(1200);
  const std::vector<std::vector<Integer>> levels{
      {kInt}, {kText}, {kBool, kSmall}, {kCurrency, kText}, {kWord, kLarge}};
  for (const std::vector<Integer>& grouping : levels) {
    c_->BeginUpdate();
    c_->Groups()->ClearGrouping();
    c_->ClearSorting(false);
    for (size_t l = 0; l < grouping.size(); ++l) c_->ChangeItemGroupIndex(grouping[l], Integer(l));
    c_->ChangeSortingOrder(grouping.back(), soDescending);
    c_->EndUpdate();
    std::vector<std::pair<Integer, TcxDataSortOrder>> keys;
    for (Integer t : grouping)
      keys.push_back({t, t == grouping.back() ? soDescending : soAscending});
    const V expected = Expected(keys);
    ASSERT_EQ(Filtered(), expected) << grouping.front();
    TcxDataGroups* groups = c_->DataControllerInfo()->Groups();
    const Integer deepest = Integer(grouping.size()) - 1;
    auto equal = [&](Integer a, Integer b) {
      for (Integer t : grouping)
        if (Order(cells_[size_t(a)][size_t(t)], cells_[size_t(b)][size_t(t)]) != 0) return false;
      return true;
    };
    Integer covered = 0, previousLast = -1;
    for (Integer g = 0; g < groups->Count(); ++g) {
      const TcxDataGroupInfo& group = groups->Items(g);
      if (group.Level != deepest) continue;
      ASSERT_EQ(group.BeginIndex, previousLast + 1);
      for (Integer p = group.BeginIndex; p <= group.EndIndex; ++p)
        ASSERT_TRUE(equal(expected[size_t(group.BeginIndex)], expected[size_t(p)])) << g;
      if (previousLast >= 0) {
        ASSERT_FALSE(equal(expected[size_t(previousLast)], expected[size_t(group.BeginIndex)]))
            << g;
      }
      previousLast = group.EndIndex;
      covered += group.EndIndex - group.BeginIndex + 1;
    }
    EXPECT_EQ(covered, Integer(expected.size()));
  }
}

// Ungrouped and unsorted, the rows a filter keeps go back to storage order.
TEST_F(Sorting, ClearedSortAndGroupingGiveStorageOrderOfTheKeptRecords) {
  AddItems({IntType(), StrType()});
  Fill({{5, "b"}, {1, "a"}, {4, "b"}, {0, "a"}, {3, "b"}, {2, "a"}, {6, "c"}});
  c_->Filter()->Root()->AddItem(items_[0].get(), TcxFilterOperatorKind::foGreaterEqual, 1, "1");
  c_->Filter()->SetActive(true);
  c_->ChangeSortingOrder(0, soDescending);
  ASSERT_EQ(Rows(), (V{6, 0, 2, 4, 5, 1}));
  c_->ClearSorting(false);
  EXPECT_EQ(Rows(), (V{0, 1, 2, 4, 5, 6}));
  c_->ChangeItemGroupIndex(1, 0);
  c_->ChangeSortingOrder(0, soAscending);
  c_->Groups()->ClearGrouping();
  c_->ClearSorting(false);
  EXPECT_EQ(Rows(), (V{0, 1, 2, 4, 5, 6}));
}
