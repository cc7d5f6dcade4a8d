// The controller's filter: activation and re-filtering, further criteria that never
// filter, conditions on items linked to fields, the value list of an item, and the
// "Criteria" property in component streams.
#include "DataControllerTestSupport.h"

#include "widgets/data/cxDataControllerFilter.h"
#include "widgets/data/cxFilterConsts.h"

#include <cmath>
#include <random>

using V = std::vector<Integer>;
using enum TcxFilterOperatorKind;
using K = TcxFilterValueItemKind;

namespace {

class DataFilter : public ControllerTest {
 protected:
  void SetUp() override {
    ControllerTest::SetUp();
    AddItems({StrType(), IntType()});
    Fill({{"b", 3}, {Null(), 1}, {"a", 3}, {"", 2}, {"a", 5}});
  }
  TcxDataFilterCriteria* F() { return c_->Filter(); }
};

struct Listener : TObject {
  Integer Changes = 0, Lists = 0;
  void Changed(TObject*) { ++Changes; }
  void GetList(TcxFilterCriteria*, Integer, TcxDataFilterValueList* AList) {
    ++Lists;
    AList->Add(K::fviUser, 99, "ninety-nine", false);
  }
};

}  // namespace

TEST_F(DataFilter, OnlyTheActiveMainFilterFiltersAfterTheOutermostBracket) {
  Listener l;
  F()->OnChanged = TNotifyEvent(&l, &Listener::Changed);
  F()->Root()->AddItem(items_[1].get(), foGreaterEqual, 3, "3");
  EXPECT_EQ(Rows(), (V{0, 1, 2, 3, 4}));  // inactive
  c_->BeginUpdate();
  F()->SetActive(true);
  EXPECT_EQ(c_->GetRowCount(), 5);
  c_->EndUpdate();
  EXPECT_EQ(Rows(), (V{0, 2, 4}));
  EXPECT_TRUE(c_->IsFiltering());
  const Integer heard = l.Changes;
  F()->SetActive(true);  // unchanged: no notice
  EXPECT_EQ(l.Changes, heard);
  F()->Root()->AddItem(items_[0].get(), foEqual, "a", "a");
  EXPECT_EQ(Rows(), (V{2, 4}));
  EXPECT_GT(l.Changes, heard);

  // Further criteria never filter and stay silent.
  TcxFilterCriteria* other = c_->CreateFilter();
  ASSERT_NE(dynamic_cast<TcxDataFilterCriteria*>(other), nullptr);
  static_cast<TcxDataFilterCriteria*>(other)->SetActive(true);
  other->Root()->AddItem(items_[1].get(), foEqual, 5, "5");
  EXPECT_EQ(Rows(), (V{2, 4}));

  // Conditions name fields; removing the item drops them.
  EXPECT_EQ(F()->Root()->Items(0) ? static_cast<TcxFilterCriteriaItem*>(F()->Root()->Items(0))->ItemLink() : nullptr,
            c_->GetItemField(1));
  c_->RemoveItem(items_[1].get());
  EXPECT_EQ(F()->Root()->Count(), 1);
  EXPECT_TRUE(other->IsEmpty());
  EXPECT_EQ(Rows(), (V{2, 4}));
  F()->SetActive(false);
  EXPECT_EQ(c_->GetRowCount(), 5);
}

struct GridProbe : TcxDataController {
  using TcxDataController::TcxDataController;
  bool Grid = false;
  bool IsGridMode() const override { return Grid; }
};

TEST_F(DataFilter, GridModeNeverFilters) {
  Owned<GridProbe> g(New<GridProbe>(nullptr));
  g->AddItem(items_[0].get());
  g->Filter()->Root()->AddItem(items_[0].get(), foEqual, "a", "a");
  g->Filter()->SetActive(true);
  EXPECT_TRUE(g->IsFiltering());
  g->Grid = true;
  EXPECT_FALSE(g->IsFiltering());
}

TEST_F(DataFilter, AChangePostsThePendingEditBeforeTheRowsAreFilteredAgain) {
  c_->ChangeFocusedRecordIndex(1);
  c_->SetEditValue(1, 9, TcxDataEditValueSource::evsValue);
  ASSERT_TRUE(c_->IsEditing());
  F()->Root()->AddItem(items_[1].get(), foLessEqual, 2, "2");
  F()->SetActive(true);
  // Posted, so the edited record no longer stays: 9 fails the condition.
  EXPECT_FALSE(c_->IsEditing());
  EXPECT_EQ(Rows(), (V{3}));
  c_->Cancel();
  EXPECT_EQ(c_->GetValue(1, c_->GetItemField(1)).AsInteger(), 9);
}

struct NamedItems : TcxDataController {
  using TcxDataController::TcxDataController;
  String GetItemFieldName(Integer) const override { return "QTY"; }
  String GetItemDataFieldName(Integer) const override { return "Quantity"; }
};

TEST_F(DataFilter, TheExpressionUsesTheFieldNameAndTheDisplayTheDataFieldName) {
  Owned<NamedItems> n(New<NamedItems>(nullptr));
  n->AddItem(items_[1].get());
  n->Filter()->Root()->AddItem(items_[1].get(), foEqual, 3, "3");
  String text;
  n->Filter()->GetFilterText(false, text);
  EXPECT_EQ(text, "(QTY = 3)");
  n->Filter()->GetFilterText(true, text);
  EXPECT_EQ(text, "(Quantity = 3)");
}

TEST_F(DataFilter, ValueListHoldsSpecialsDistinctValuesAndBlanks) {
  using namespace cxFilterConsts;
  Listener l;
  F()->OnGetValueList = TcxDataFilterGetValueListEvent(&l, &Listener::GetList);
  Owned<TcxDataFilterValueList> list(F()->CreateValueList());
  list->Load(0);
  std::vector<String> texts;
  for (Integer i = 0; i < list->Count(); ++i) texts.push_back(list->Items(i).DisplayText);
  EXPECT_EQ(texts, (std::vector<String>{"(All)", "(Custom...)", "(Blanks)", "(NonBlanks)", "ninety-nine", "a", "b"}));
  EXPECT_EQ(l.Lists, 1);
  list->Load(1);  // no blank among the numbers
  EXPECT_EQ(list->IndexOfKind(K::fviBlanks), -1);
  EXPECT_EQ(list->Count(), 2 + 4 + 1);
  EXPECT_EQ(list->Items(3).Value.AsInteger(), 1);  // after the user entry
}

// Decimals come out of the records as texts; a filter and the value list still take them
// by their numbers, also against an operand given as text.
TEST_F(DataFilter, DecimalsFilterAndListByTheirNumbers) {
  AddItems({TcxFMTBcdValueType::StaticClass()});
  const char* decimals[] = {"10", "9.99", "2", nullptr, "1.50"};
  for (Integer r = 0; r < 5; ++r) c_->SetValue(r, 2, decimals[r] ? Variant(decimals[r]) : Null());
  F()->Root()->AddItem(items_[2].get(), foGreater, "9.99", "9.99");
  F()->SetActive(true);
  EXPECT_EQ(Rows(), V({0}));
  F()->Clear();
  F()->Root()->AddItem(items_[2].get(), foBetween, VarArrayOf({"2", "10"}), "2;10");
  EXPECT_EQ(Rows(), V({0, 1, 2}));
  F()->Clear();
  F()->Root()->AddItem(items_[2].get(), foEqual, "1.5", "1.5");
  EXPECT_EQ(Rows(), V({4}));

  Owned<TcxDataFilterValueList> list(F()->CreateValueList());
  list->Load(2);
  std::vector<String> texts;
  for (Integer i = list->IndexOfKind(K::fviNonBlanks) + 1; i < list->Count(); ++i)
    texts.push_back(list->Items(i).DisplayText);
  EXPECT_EQ(texts, (std::vector<String>{"1.5", "2", "9.99", "10"}));
}

// A Variant field may hold an array, which has no text: the list still loads.
TEST_F(DataFilter, ValueListOfAVariantFieldHoldingAnArray) {
  AddItems({TcxVariantValueType::StaticClass()});
  c_->SetValue(0, 2, VarArrayOf({1, 2}));
  c_->SetValue(1, 2, 7);
  Owned<TcxDataFilterValueList> list(F()->CreateValueList());
  EXPECT_NO_THROW(list->Load(2));
  EXPECT_EQ(list->Count() - list->IndexOfKind(K::fviValue), 2);  // the array and 7, each listed once
  EXPECT_EQ(list->Items(list->GetIndexByValue(7)).DisplayText, "7");
  EXPECT_EQ(c_->GetDisplayText(0, c_->GetItemField(2)), "");
}

TEST_F(DataFilter, CriteriaTravelInComponentStreamsWithTheirItems) {
  F()->Root()->AddItem(items_[1].get(), foBetween, VarArrayOf({2, 3}), "2;3");
  F()->Root()->AddItem(items_[0].get(), foLike, "a%", "a%");
  F()->SetActive(true);
  TStringStream s;
  F()->SaveToStream(s);
  const String bytes = s.DataString();
  EXPECT_NE(bytes.find("\x0D" "Filter.Active\x09"), String::npos);
  EXPECT_NE(bytes.find("\x0F" "Filter.Criteria\x0A"), String::npos);
  EXPECT_EQ(Rows(), (V{2}));

  Owned<TcxDataController> d(New<TcxDataController>(nullptr));
  TestItem x, y;
  d->AddItem(&x);
  d->AddItem(&y);
  // Loading replaces what was there, the stream's conditions land on the same item indexes.
  d->Filter()->Root()->AddItem(&x, foEqual, "zzz", "zzz");
  s.SetPosition(0);
  d->Filter()->LoadFromStream(s);
  EXPECT_TRUE(d->Filter()->GetActive());
  EXPECT_TRUE(d->Filter()->IsEqual(F()));
  ASSERT_EQ(d->Filter()->Root()->Count(), 2);
  EXPECT_EQ(static_cast<TcxFilterCriteriaItem*>(d->Filter()->Root()->Items(0))->ItemLink(), d->GetItemField(1));

  // Saved inactive and empty: loading clears and deactivates.
  Owned<TcxDataController> e(New<TcxDataController>(nullptr));
  TStringStream empty;
  e->Filter()->SaveToStream(empty);
  empty.SetPosition(0);
  d->Filter()->LoadFromStream(empty);
  EXPECT_FALSE(d->Filter()->GetActive());
  EXPECT_TRUE(d->Filter()->IsEmpty());

  // Assigning the controller copies the filter onto the same items.
  d->Assign(c_.get());
  EXPECT_TRUE(d->Filter()->GetActive());
  EXPECT_EQ(static_cast<TcxFilterCriteriaItem*>(d->Filter()->Root()->Items(1))->ItemLink(), d->GetItemField(0));
  d.reset();
  e.reset();
}

namespace {

// The same controller, read through the general path only.
struct Derived : TcxDataController {
  using TcxDataController::TcxDataController;
};

}  // namespace

// Conditions read straight from the record buffers decide as the operators do on the
// prepared variants: LIKE patterns at their edges, numbers against integer, real and date
// operands, Nulls, NaN, and every Boolean list kind.
TEST_F(DataFilter, BufferVerdictsEqualTheOperatorsOnRandomCriteria) {
  const TcxValueTypeClass types[] = {StrType(), IntType(), TcxFloatValueType::StaticClass(),
                                     TcxDateTimeValueType::StaticClass(), TcxLargeIntValueType::StaticClass(),
                                     TcxSmallintValueType::StaticClass()};
  Owned<TcxDataController> fast(New<TcxDataController>(nullptr));
  Owned<Derived> general(New<Derived>(nullptr));
  std::vector<Owned<TestItem>> items;
  for (TcxValueTypeClass t : types) {
    items.emplace_back(New<TestItem>());
    for (TcxDataController* c : {fast.get(), static_cast<TcxDataController*>(general.get())}) {
      c->AddItem(items.back().get());
      c->ChangeValueTypeClass(c->GetItemCount() - 1, t);
    }
  }
  std::mt19937 gen(11);
  const char* texts[] = {"", "a", "ab", "ba", "aab", "b", "abab", "%a", "a_"};
  const char* patterns[] = {"%", "%%", "a%", "%a", "%a%", "", "a", "_a", "a%b", "%ab%", "%%a", "a%%", "%a%%"};
  auto number = [&]() -> Variant { return Integer(gen() % 7) - 3; };
  for (TcxDataController* c : {fast.get(), static_cast<TcxDataController*>(general.get())}) c->SetRecordCount(80);
  for (Integer r = 0; r < 80; ++r) {
    std::vector<Variant> row;
    row.push_back(gen() % 6 == 0 ? Null() : Variant(String(texts[gen() % 9])));
    row.push_back(gen() % 6 == 0 ? Null() : number());
    row.push_back(gen() % 9 == 0 ? Variant(std::nan("")) : Variant(double(Integer(gen() % 13) - 6) / 2));
    row.push_back(VarFromDateTime(TDateTime{double(gen() % 5)}));
    row.push_back(Variant(Int64(gen() % 5) - 2));
    row.push_back(number());
    for (TcxDataController* c : {fast.get(), static_cast<TcxDataController*>(general.get())})
      for (size_t i = 0; i < row.size(); ++i) c->SetValue(r, Integer(i), row[i]);
  }
  const TcxFilterOperatorKind numeric[] = {foEqual, foNotEqual, foLess, foLessEqual, foGreater, foGreaterEqual};
  for (int round = 0; round < 200; ++round) {
    for (TcxDataController* c : {fast.get(), static_cast<TcxDataController*>(general.get())}) {
      c->BeginUpdate();
      c->Filter()->Clear();
      c->Filter()->SetOptions(round % 5 == 0 ? TcxFilterCriteriaOptions{TcxFilterCriteriaOption::fcoIgnoreNull}
                                             : TcxFilterCriteriaOptions{});
    }
    std::mt19937 pick{unsigned(round)};
    const auto root = TcxFilterBoolOperatorKind(pick() % 4);
    const auto inner = TcxFilterBoolOperatorKind(pick() % 4);
    const Integer conditions = 1 + Integer(pick() % 3);
    for (TcxDataController* c : {fast.get(), static_cast<TcxDataController*>(general.get())}) {
      std::mt19937 same{unsigned(round) * 31u};
      c->Filter()->Root()->SetBoolOperatorKind(root);
      TcxFilterCriteriaItemList* list = c->Filter()->Root()->AddItemList(inner);
      for (Integer k = 0; k < conditions; ++k) {
        TcxFilterCriteriaItemList* to = same() % 2 ? list : c->Filter()->Root();
        const Integer field = Integer(same() % 6);
        if (field == 0) {
          const bool like = same() % 3 != 0;
          const auto op = like ? (same() % 2 ? foLike : foNotLike) : (same() % 2 ? foEqual : foNotEqual);
          const char* p = patterns[same() % 13];
          to->AddItem(items[0].get(), op, String(p), String(p));
        } else {
          const auto op = numeric[same() % 6];
          const unsigned kind = same() % 3;
          const Variant operand = kind == 0   ? Variant(Integer(same() % 5) - 2)
                                  : kind == 1 ? Variant(double(Integer(same() % 9) - 4) / 2)
                                              : VarFromDateTime(TDateTime{double(same() % 5)});
          to->AddItem(items[size_t(field)].get(), op, operand, "f" + std::to_string(field));
        }
      }
      c->Filter()->SetActive(true);
      c->EndUpdate();
    }
    std::vector<Integer> a, b;
    for (Integer i = 0; i < fast->GetRowCount(); ++i) a.push_back(fast->GetRowInfo(i).RecordIndex);
    for (Integer i = 0; i < general->GetRowCount(); ++i) b.push_back(general->GetRowInfo(i).RecordIndex);
    String text;
    fast->Filter()->GetFilterText(true, text);
    if (a != b)
      for (Integer r = 0; r < 80; ++r)
        if ((fast->GetFilteredIndexByRecordIndex(r) != -1) != (general->GetFilteredIndexByRecordIndex(r) != -1)) {
          for (Integer f = 0; f < 6; ++f) text += " [" + std::to_string(VarType(fast->GetItemValue(r, f))) + ":" + VarToStr(fast->GetItemValue(r, f)) + "]";
          break;
        }
    ASSERT_EQ(a, b) << "round " << round << " " << text;
  }
}

// Criteria made without a controller have no items: a value list of theirs refuses any
// item index as a bad one instead of reading through no controller.
TEST(DataFilterWithoutController, TheValueListRefusesEveryItem) {
  Owned<TcxDataFilterCriteria> criteria(New<TcxDataFilterCriteria>(nullptr));
  Owned<TcxDataFilterValueList> list(criteria->CreateValueList());
  try {
    list->Load(0);
    FAIL();
  } catch (const EcxInvalidDataControllerOperation& e) {
    EXPECT_EQ(e.Message(), "ItemIndex out of range");
  }
  EXPECT_EQ(list->Count(), 0);
}
