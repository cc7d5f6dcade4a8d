// The bookmark, focus resets, focusing a selected row, the notifier, further filters,
// and the hooks that the focus and selection changes call.
#include "DataControllerTestSupport.h"
#include "widgets/data/cxFilter.h"

#include <string>

using enum TcxDataSortOrder;
using V = std::vector<Integer>;
using S = std::vector<std::string>;

namespace {

struct Probe : TcxDataController {
  using TcxDataController::TcxDataController;
  Integer Current = -5;  // -5: the inherited answer
  bool RefuseFocus = false;
  bool Grid = false;
  bool IsGridMode() const override { return Grid; }
  Integer SearchCancels = 0, BrowseChecks = 0;
  std::vector<TComponent*> Removed;
  Integer GetCurrentRecordIndex() const override {
    return Current == -5 ? TcxDataController::GetCurrentRecordIndex() : Current;
  }
  bool CanFocusRecord(Integer) override { return !RefuseFocus; }
  void CancelIncrementalSearch() override { ++SearchCancels; }
  void CheckBrowseState() override { ++BrowseChecks; }
  void RemoveNotification(TComponent* AComponent) override {
    Removed.push_back(AComponent);
    TcxDataController::RemoveNotification(AComponent);
  }
};

struct Recorder : TObject {
  S Sent;
  V Rows;
  void Update(TcxUpdateControlInfo* AInfo) {
    Sent.push_back(AInfo->ClassName());
    if (auto* s = dynamic_cast<TcxSelectionChangedInfo*>(AInfo))
      for (Integer i = 0; i < s->GetCount(); ++i) Rows.push_back(s->GetRowIndex(i));
  }
  void Filter(TcxCustomDataController*, Integer ARecordIndex, bool& Accept) { Accept = ARecordIndex != Rejected; }
  Integer Rejected = -1;
  Integer Heard = 0, DataEvents = 0;
  void Listener(TObject*) { ++Heard; }
  void DataChanged(TcxCustomDataController*) { ++DataEvents; }
};

class Focus : public ControllerTest {
 protected:
  TcxCustomDataController* Make() override { return New<Probe>(nullptr); }
  Probe* P() const { return static_cast<Probe*>(c_.get()); }
  // Records 0..4 with the values 10, 20, 30, 40, 50 and, in item 1, groups A A B B A.
  void Five() {
    AddItems({IntType(), StrType()});
    Fill({{10, "A"}, {20, "A"}, {30, "B"}, {40, "B"}, {50, "A"}});
    c_->OnUpdateControl = TcxUpdateControlEvent(&r_, &Recorder::Update);
  }
  Recorder r_;
};

}  // namespace

TEST_F(Focus, BookmarkFollowsItsRecordAndIsClearedWhenTheRecordGoes) {
  Five();
  EXPECT_FALSE(c_->IsBookmarkAvailable());
  EXPECT_EQ(c_->BookmarkRecordIndex(), -1);
  c_->ChangeFocusedRowIndex(2);
  r_.Sent.clear();
  EXPECT_TRUE(c_->SaveBookmark());
  EXPECT_FALSE(c_->SaveBookmark());  // unchanged
  EXPECT_EQ(r_.Sent, (S{"TcxBookmarkChangedInfo"}));
  EXPECT_TRUE(c_->IsBookmarkRow(2));
  EXPECT_FALSE(c_->IsBookmarkRow(1));
  EXPECT_FALSE(c_->IsBookmarkRow(9));

  c_->InsertRecord(0);  // record 2 is now record 3
  EXPECT_EQ(c_->BookmarkRecordIndex(), 3);
  c_->DeleteRecord(1);
  EXPECT_EQ(c_->BookmarkRecordIndex(), 2);
  EXPECT_EQ(c_->GetItemValue(c_->BookmarkRecordIndex(), 0).AsInteger(), 30);
  c_->DeleteRecord(4);  // after it: no change
  EXPECT_EQ(c_->BookmarkRecordIndex(), 2);

  c_->ChangeFocusedRowIndex(0);
  c_->GotoBookmark();
  EXPECT_EQ(c_->GetFocusedRecordIndex(), 2);

  r_.Sent.clear();
  c_->DeleteRecord(2);
  EXPECT_FALSE(c_->IsBookmarkAvailable());
  EXPECT_EQ(std::count(r_.Sent.begin(), r_.Sent.end(), "TcxBookmarkChangedInfo"), 1);
}

TEST_F(Focus, BookmarkIsClearedWhenItsRecordIsFilteredOut) {
  Five();
  c_->ChangeFocusedRowIndex(3);
  c_->SaveBookmark();
  c_->OnFilterRecord = TcxDataFilterRecordEvent(&r_, &Recorder::Filter);
  r_.Rejected = 1;
  c_->RefreshView();
  EXPECT_EQ(c_->BookmarkRecordIndex(), 3);  // another record left
  r_.Sent.clear();
  r_.Rejected = 3;
  c_->RefreshView();
  EXPECT_FALSE(c_->IsBookmarkAvailable());
  // Sent with the rebuild's own notifications, after them.
  ASSERT_FALSE(r_.Sent.empty());
  EXPECT_EQ(r_.Sent.back(), "TcxBookmarkChangedInfo");
  c_->ClearBookmark();
  EXPECT_EQ(std::count(r_.Sent.begin(), r_.Sent.end(), "TcxBookmarkChangedInfo"), 1);
}

TEST_F(Focus, AGroupRowIsNoBookmarkRow) {
  Five();
  c_->Groups()->ChangeGrouping(1, 0);
  c_->Groups()->FullExpand();  // A: 0 1 4, B: 2 3
  c_->ChangeFocusedRowIndex(1);
  ASSERT_EQ(c_->GetFocusedRecordIndex(), 0);
  c_->SaveBookmark();
  EXPECT_FALSE(c_->IsBookmarkRow(0));  // the group row of A names record 0 too
  EXPECT_TRUE(c_->IsBookmarkRow(1));
}

TEST_F(Focus, ResetFocusingFindsTheCurrentRecordAgain) {
  Five();
  c_->Groups()->ChangeGrouping(1, 0);  // both groups collapsed: rows g(A), g(B)
  c_->ChangeFocusedRowIndex(1);
  r_.Sent.clear();
  c_->ResetFocusing();  // the same record: the group row stays focused
  EXPECT_EQ(c_->GetFocusedRowIndex(), 1);
  EXPECT_EQ(r_.Sent, (S{"TcxFocusedRecordChangedInfo"}));

  // The current record is elsewhere (records scrolled under the rows): its row is
  // focused, its group expanded for it.
  P()->Current = 3;
  r_.Sent.clear();
  c_->DataScrolled();
  EXPECT_EQ(c_->GetFocusedRecordIndex(), 3);
  EXPECT_EQ(c_->GetFocusedRowIndex(), 3);  // g(A), g(B)+, 2, 3
  EXPECT_EQ(r_.Sent, (S{"TcxDataChangedInfo", "TcxFocusedRowChangedInfo", "TcxFocusedRecordChangedInfo"}));

  P()->Current = kNoEditRecord;
  c_->ResetFocusing();
  EXPECT_EQ(c_->GetFocusedRowIndex(), -1);
  EXPECT_EQ(c_->GetFocusedRecordIndex(), -1);
}

TEST_F(Focus, CurrentRecordIsTheFocusedOneOrNone) {
  Five();
  EXPECT_EQ(c_->GetCurrentRecordIndex(), kNoEditRecord);
  c_->ChangeFocusedRowIndex(4);
  EXPECT_EQ(c_->GetCurrentRecordIndex(), 4);
  EXPECT_EQ(c_->GetActiveRecordIndex(), 4);
}

TEST_F(Focus, FocusSelectedRow) {
  Five();
  c_->SetMultiSelect(true);
  c_->ChangeRowSelection(1, true);
  c_->ChangeRowSelection(3, true);
  EXPECT_TRUE(c_->FocusSelectedRow(1));
  EXPECT_EQ(c_->GetFocusedRowIndex(), 3);
  EXPECT_FALSE(c_->FocusSelectedRow(2));
  EXPECT_EQ(c_->GetFocusedRowIndex(), 3);
  P()->RefuseFocus = true;
  EXPECT_FALSE(c_->FocusSelectedRow(0));
  EXPECT_EQ(c_->GetFocusedRowIndex(), 3);
}

TEST_F(Focus, IncrementalSearchStopsWhenTheFocusedRecordChangesOrIsRedrawn) {
  Five();
  c_->ChangeFocusedRowIndex(1);
  EXPECT_EQ(P()->SearchCancels, 1);
  c_->Change({TcxDataControllerChange::dccUpdateRecord});
  EXPECT_EQ(P()->SearchCancels, 2);
  c_->SetRecordCount(0);  // the focus goes: from record 1 to none
  EXPECT_EQ(P()->SearchCancels, 3);
  c_->ResetFocusing();  // no record before or after
  EXPECT_EQ(P()->SearchCancels, 3);
}

TEST_F(Focus, EditStateIsLeftOnlyWhenACollapseHidesTheFocusedRow) {
  Five();
  c_->Groups()->ChangeGrouping(1, 0);
  c_->Groups()->FullExpand();  // g(A) 0 1 4 g(B) 2 3
  c_->ChangeFocusedRowIndex(6);
  c_->Groups()->ChangeExpanding(0, false, false);
  EXPECT_EQ(P()->BrowseChecks, 0);
  c_->Groups()->ChangeExpanding(1, false, false);
  EXPECT_EQ(P()->BrowseChecks, 1);
  EXPECT_EQ(c_->GetFocusedRowIndex(), 1);
  c_->Groups()->FullCollapse();  // a top-level group row stays in sight
  EXPECT_EQ(P()->BrowseChecks, 1);
  c_->Groups()->FullExpand();
  c_->ChangeFocusedRowIndex(2);
  c_->Groups()->FullCollapse();
  EXPECT_EQ(P()->BrowseChecks, 2);
}

TEST_F(Focus, SelectionNotificationNamesTheRowsAfterAReSort) {
  Five();
  c_->ChangeFocusedRowIndex(0);  // record 0, selected as the focused row
  c_->ChangeSortingOrder(0, soDescending);
  ASSERT_EQ(c_->GetFocusedRowIndex(), 4);
  r_.Rows.clear();
  c_->SetFocusedSelected(false);
  EXPECT_EQ(r_.Rows, (V{4}));
}

TEST_F(Focus, NotifierPassesTheRemovalOfAComponent) {
  Owned<TComponent> a(New<TComponent>(nullptr));
  Owned<TComponent> b(New<TComponent>(nullptr));
  a->FreeNotification(c_->Notifier());
  b->FreeNotification(c_->Notifier());
  TComponent* raw = a.get();
  a.reset();
  EXPECT_EQ(P()->Removed, (std::vector<TComponent*>{raw}));
  // The controller goes first: b must not reach it afterwards.
  c_.reset();
  b.reset();
}

TEST_F(Focus, FurtherFiltersAreOwnedAndLoseTheConditionsOfARemovedItem) {
  Five();
  TcxFilterCriteria* f = c_->CreateFilter();
  TcxFilterCriteria* g = c_->CreateFilter();
  ASSERT_EQ(c_->GetFilterCount(), 2);
  EXPECT_EQ(c_->GetFilter(1), g);
  f->Root()->AddItem(items_[0].get(), TcxFilterOperatorKind::foEqual, 10, "10");
  f->Root()->AddItem(items_[1].get(), TcxFilterOperatorKind::foEqual, "A", "A");
  g->Root()->AddItem(items_[0].get(), TcxFilterOperatorKind::foLess, 30, "30");
  const std::vector<Integer> rows = Rows();
  c_->RemoveItem(items_[0].get());
  EXPECT_EQ(f->Root()->Count(), 1);
  EXPECT_TRUE(g->IsEmpty());
  EXPECT_EQ(Rows(), rows);  // they never filter the rows
  c_->FilterDestroying(g);
  g->Free();
  EXPECT_EQ(c_->GetFilterCount(), 1);
  // f goes with the controller.
}

TEST_F(Focus, GridModeListenersWaitWhileTheProviderIsLocked) {
  Five();
  c_->AddNotifyEventItem(&r_, TNotifyEvent(&r_, &Recorder::Listener));
  c_->OnDataChanged = TcxDataControllerNotifyEvent(&r_, &Recorder::DataChanged);
  c_->BeginProviderLock();
  c_->NotifyDataChanged();  // not in grid mode: heard
  EXPECT_EQ(r_.Heard, 1);
  P()->Grid = true;
  c_->NotifyDataChanged();
  EXPECT_EQ(r_.Heard, 1);
  EXPECT_EQ(r_.DataEvents, 2);  // the event still fires
  c_->EndProviderLock();
  c_->EndProviderLock();  // never below zero
  c_->NotifyDataChanged();
  EXPECT_EQ(r_.Heard, 2);
}

TEST_F(Focus, LoadingRecordsFocusesACurrentRecordThatOutlivesIt) {
  Five();
  c_->ChangeFocusedRowIndex(4);
  P()->Current = 1;
  c_->BeginLoadRecords();
  c_->SetRecordCount(3);
  c_->EndLoadRecords();
  EXPECT_EQ(c_->GetFocusedRecordIndex(), 1);
  EXPECT_EQ(c_->GetFocusedRowIndex(), 1);
}
