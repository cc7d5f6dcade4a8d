// The controller's filter: activation and re-filtering, further criteria that never
// filter, conditions on items linked to fields, the value list of an item, and the
// "Criteria" property in component streams.
#include "DataControllerTestSupport.h"

#include "widgets/data/cxDataControllerFilter.h"
#include "widgets/data/cxFilterConsts.h"

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
