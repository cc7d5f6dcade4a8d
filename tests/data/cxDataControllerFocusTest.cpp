// The bookmark, focus resets, focusing a selected row, the notifier, further filters, the
// provider lock, and the hooks that focus and expanding changes call.
#include "DataControllerTestSupport.h"
#include "widgets/data/cxFilter.h"

#include <string>

using V = std::vector<Integer>;
using S = std::vector<std::string>;

namespace {

struct OwnSelection : TcxDataSelection {
  using TcxDataSelection::TcxDataSelection;
  Integer Adds = 0;
  void Add(Integer AIndex, Integer ARowIndex, Integer AKind, Integer ARecordOrGroupIndex) override {
    ++Adds;
    TcxDataSelection::Add(AIndex, ARowIndex, AKind, ARecordOrGroupIndex);
  }
};

struct Probe : TcxDataController {
  using TcxDataController::TcxDataController;
  Integer Current = -5;  // -5: the inherited answer
  bool RefuseFocus = false, Grid = false;
  Integer SearchCancels = 0, BrowseChecks = 0, Summaries = 0;
  std::vector<TComponent*> Removed;
  Integer GetCurrentRecordIndex() const override {
    return Current == -5 ? TcxDataController::GetCurrentRecordIndex() : Current;
  }
  bool IsGridMode() const override { return Grid; }
  TcxDataSelectionClass GetDataSelectionClass() const override {
    return ClassOf<OwnSelection, TcxDataSelection, TcxCustomDataController*>();
  }
  bool CanFocusRecord(Integer) override { return !RefuseFocus; }
  void CancelIncrementalSearch() override { ++SearchCancels; }
  void CheckBrowseState() override { ++BrowseChecks; }
  void CalculateGroupSummaries() override { ++Summaries; }
  void RemoveNotification(TComponent* AComponent) override { Removed.push_back(AComponent); }
};

struct Recorder : TObject {
  S Sent;
  V Rows;
  Integer Rejected = -1, Heard = 0;
  void Update(TcxUpdateControlInfo* AInfo) {
    Sent.push_back(AInfo->ClassName());
    if (auto* s = dynamic_cast<TcxSelectionChangedInfo*>(AInfo))
      for (Integer i = 0; i < s->GetCount(); ++i) Rows.push_back(s->GetRowIndex(i));
  }
  void Filter(TcxCustomDataController*, Integer ARecordIndex, bool& Accept) { Accept = ARecordIndex != Rejected; }
  void Listener(TObject*) { ++Heard; }
  Integer Bookmarks() const { return Integer(std::count(Sent.begin(), Sent.end(), "TcxBookmarkChangedInfo")); }
};

struct ReadOwner : TComponent {
  ReadOwner() : TComponent(nullptr) {}
  void SetReading(bool AOn) { SetStateFlag(TComponentStateItem::csReading, AOn); }
};

class Focus : public ControllerTest {
 protected:
  TcxCustomDataController* Make() override { return New<Probe>(nullptr); }
  Probe* P() const { return static_cast<Probe*>(c_.get()); }
  // Records 0..4: 10 A, 20 A, 30 B, 40 B, 50 A.
  void SetUp() override {
    ControllerTest::SetUp();
    AddItems({IntType(), StrType()});
    Fill({{10, "A"}, {20, "A"}, {30, "B"}, {40, "B"}, {50, "A"}});
    c_->OnUpdateControl = TcxUpdateControlEvent(&r_, &Recorder::Update);
  }
  Recorder r_;
};

}  // namespace

TEST_F(Focus, BookmarkFollowsItsRecordUntilItIsDeletedOrFilteredOut) {
  EXPECT_FALSE(c_->IsBookmarkAvailable());
  c_->ChangeFocusedRowIndex(2);
  r_.Sent.clear();
  EXPECT_TRUE(c_->SaveBookmark());
  EXPECT_FALSE(c_->SaveBookmark());
  EXPECT_EQ(r_.Sent, (S{"TcxBookmarkChangedInfo"}));
  EXPECT_TRUE(c_->IsBookmarkRow(2));
  EXPECT_FALSE(c_->IsBookmarkRow(1));
  c_->InsertRecord(0);
  c_->DeleteRecord(1);
  c_->DeleteRecord(4);
  EXPECT_EQ(c_->GetItemValue(c_->BookmarkRecordIndex(), 0).AsInteger(), 30);
  c_->ChangeFocusedRowIndex(0);
  c_->GotoBookmark();
  EXPECT_EQ(c_->GetFocusedRecordIndex(), c_->BookmarkRecordIndex());

  c_->OnFilterRecord = TcxDataFilterRecordEvent(&r_, &Recorder::Filter);
  r_.Rejected = 0;
  c_->RefreshView();
  EXPECT_TRUE(c_->IsBookmarkAvailable());
  r_.Rejected = c_->BookmarkRecordIndex();
  r_.Sent.clear();
  c_->RefreshView();
  EXPECT_FALSE(c_->IsBookmarkAvailable());
  ASSERT_FALSE(r_.Sent.empty());
  EXPECT_EQ(r_.Sent.back(), "TcxBookmarkChangedInfo");  // after the rebuild's own

  c_->SaveBookmark();
  r_.Sent.clear();
  c_->DeleteRecord(c_->BookmarkRecordIndex());
  EXPECT_FALSE(c_->IsBookmarkAvailable());
  EXPECT_EQ(r_.Bookmarks(), 1);
}

TEST_F(Focus, AGroupRowIsNoBookmarkRow) {
  c_->Groups()->ChangeGrouping(1, 0);
  c_->Groups()->FullExpand();  // g(A) 0 1 4 g(B) 2 3
  c_->ChangeFocusedRowIndex(1);
  c_->SaveBookmark();
  EXPECT_FALSE(c_->IsBookmarkRow(0));  // names record 0 too
  EXPECT_TRUE(c_->IsBookmarkRow(1));
}

TEST_F(Focus, ResetFocusingFindsTheCurrentRecordAgain) {
  EXPECT_EQ(c_->GetCurrentRecordIndex(), kNoEditRecord);
  c_->Groups()->ChangeGrouping(1, 0);  // g(A) g(B), collapsed
  c_->ChangeFocusedRowIndex(1);
  EXPECT_EQ(c_->GetCurrentRecordIndex(), 2);
  r_.Sent.clear();
  c_->ResetFocusing();  // the same record: its group row stays focused
  EXPECT_EQ(c_->GetFocusedRowIndex(), 1);
  EXPECT_EQ(r_.Sent, (S{"TcxFocusedRecordChangedInfo"}));

  P()->Current = 3;  // records scrolled under the rows
  r_.Sent.clear();
  c_->DataScrolled();
  EXPECT_EQ(c_->GetFocusedRecordIndex(), 3);
  EXPECT_EQ(c_->GetFocusedRowIndex(), 3);  // g(A) g(B)+ 2 3
  EXPECT_EQ(r_.Sent, (S{"TcxDataChangedInfo", "TcxFocusedRowChangedInfo", "TcxFocusedRecordChangedInfo"}));

  c_->ChangeFocusedRowIndex(0);
  c_->BeginLoadRecords();  // a current record that outlives a reload keeps the focus
  c_->SetRecordCount(4);
  c_->EndLoadRecords();
  EXPECT_EQ(c_->GetFocusedRecordIndex(), 3);
}

TEST_F(Focus, LastCommittedRecordIsTheOneTheOwnerWasLastToldOf) {
  TcxCustomDataControllerInfo* info = c_->DataControllerInfo();
  EXPECT_EQ(info->FocusingInfo().LastCommittedRecordIndex, -1);
  c_->ChangeFocusedRowIndex(1);
  EXPECT_EQ(info->FocusingInfo().LastCommittedRecordIndex, 1);
  c_->BeginUpdate();
  c_->ChangeFocusedRowIndex(3);
  c_->ChangeFocusedRowIndex(4);
  EXPECT_EQ(info->FocusingInfo().RecordIndex, 4);
  EXPECT_EQ(info->FocusingInfo().LastCommittedRecordIndex, 1);  // not yet notified
  c_->EndUpdate();
  EXPECT_EQ(info->FocusingInfo().LastCommittedRecordIndex, 4);
  EXPECT_EQ(info->PrevFocusingInfo().LastCommittedRecordIndex, 4);
  c_->ChangeFocusedRowIndex(-1);
  EXPECT_EQ(info->FocusingInfo().LastCommittedRecordIndex, -1);
}

TEST_F(Focus, FocusSelectedRowInASelectionOfTheControllersClass) {
  auto* selection = dynamic_cast<OwnSelection*>(c_->DataControllerInfo()->Selection());
  ASSERT_TRUE(selection);
  EXPECT_EQ(selection->DataController(), c_.get());
  c_->SetMultiSelect(true);
  c_->ChangeRowSelection(1, true);
  c_->ChangeRowSelection(3, true);
  EXPECT_EQ(selection->Adds, 2);
  EXPECT_TRUE(c_->FocusSelectedRow(1));
  EXPECT_EQ(c_->GetFocusedRowIndex(), 3);
  EXPECT_FALSE(c_->FocusSelectedRow(2));
  P()->RefuseFocus = true;
  EXPECT_FALSE(c_->FocusSelectedRow(0));
  EXPECT_EQ(c_->GetFocusedRowIndex(), 3);
}

TEST_F(Focus, HooksOfTheSearchAndTheEditState) {
  c_->ChangeFocusedRowIndex(1);
  c_->Change({TcxDataControllerChange::dccUpdateRecord});
  EXPECT_EQ(P()->SearchCancels, 2);
  c_->SetRecordCount(0);  // from record 1 to none
  c_->ResetFocusing();    // none before or after
  EXPECT_EQ(P()->SearchCancels, 3);

  Fill({{10, "A"}, {20, "A"}, {30, "B"}});
  c_->Groups()->ChangeGrouping(1, 0);
  c_->Groups()->FullExpand();  // g(A) 0 1 g(B) 2
  c_->ChangeFocusedRowIndex(4);
  c_->Groups()->ChangeExpanding(0, false, false);
  EXPECT_EQ(P()->BrowseChecks, 0);
  c_->Groups()->ChangeExpanding(1, false, false);  // hides the focused row
  EXPECT_EQ(P()->BrowseChecks, 1);
  c_->Groups()->FullCollapse();  // a top-level group row stays in sight
  EXPECT_EQ(P()->BrowseChecks, 1);
}

TEST_F(Focus, SelectionNotificationNamesTheRowsAfterAReSort) {
  c_->ChangeFocusedRowIndex(0);  // selected as the focused row
  c_->ChangeSortingOrder(0, TcxDataSortOrder::soDescending);
  r_.Rows.clear();
  c_->SetFocusedSelected(false);
  EXPECT_EQ(r_.Rows, (V{4}));
}

TEST_F(Focus, NotifierPassesTheRemovalOfAComponent) {
  Owned<TComponent> a(New<TComponent>(nullptr)), b(New<TComponent>(nullptr));
  a->FreeNotification(c_->Notifier());
  b->FreeNotification(c_->Notifier());
  TComponent* raw = a.get();
  a.reset();
  EXPECT_EQ(P()->Removed, (std::vector<TComponent*>{raw}));
  c_.reset();  // b must not reach the controller afterwards
  b.reset();
}

TEST_F(Focus, FurtherFiltersLoseTheConditionsOfARemovedItemAndNeverFilter) {
  TcxFilterCriteria* f = c_->CreateFilter();
  TcxFilterCriteria* g = c_->CreateFilter();
  f->Root()->AddItem(items_[0].get(), TcxFilterOperatorKind::foEqual, 10, "10");
  f->Root()->AddItem(items_[1].get(), TcxFilterOperatorKind::foEqual, "A", "A");
  g->Root()->AddItem(items_[0].get(), TcxFilterOperatorKind::foLess, 30, "30");
  c_->RemoveItem(items_[0].get());
  EXPECT_EQ(f->Root()->Count(), 1);
  EXPECT_TRUE(g->IsEmpty());
  EXPECT_EQ(c_->GetRowCount(), 5);
  c_->FilterDestroying(g);
  g->Free();
  ASSERT_EQ(c_->GetFilterCount(), 1);
  EXPECT_EQ(c_->GetFilter(0), f);  // freed with the controller
}

TEST_F(Focus, GridModeListenersWaitWhileTheProviderIsLocked) {
  c_->AddNotifyEventItem(&r_, TNotifyEvent(&r_, &Recorder::Listener));
  c_->BeginProviderLock();
  c_->NotifyDataChanged();
  P()->Grid = true;
  c_->NotifyDataChanged();
  EXPECT_EQ(r_.Heard, 1);
  c_->EndProviderLock();
  c_->EndProviderLock();  // never below zero
  c_->NotifyDataChanged();
  EXPECT_EQ(r_.Heard, 2);
}

TEST_F(Focus, SummariesSkippedWhileTheOwnerIsReadComeWithLoaded) {
  Owned<ReadOwner> owner(New<ReadOwner>());
  Owned<Probe> c(New<Probe>(owner.get()));
  const Integer built = c->Summaries;
  owner->SetReading(true);
  c->Refresh();
  EXPECT_EQ(c->Summaries, built);
  owner->SetReading(false);
  c->Loaded();
  c->Loaded();
  EXPECT_EQ(c->Summaries, built + 1);
}

// Records added or removed before the focused or a selected record move its index: the
// focus and the selection stay on the records they were on.
TEST_F(Focus, FocusAndSelectionStayOnTheirRecordsWhenOtherRecordsComeOrGo) {
  auto value = [this](Integer ARecord) { return c_->GetValue(ARecord, c_->GetItemField(0)).AsInteger(); };
  auto selected = [&] {
    V r;
    for (Integer i = 0; i < c_->GetSelectedCount(); ++i)
      r.push_back(value(c_->GetRowInfo(c_->GetSelectedRowIndex(i)).RecordIndex));
    return r;
  };
  c_->ChangeFocusedRowIndex(3);  // 40
  c_->DeleteRecord(0);           // 20 30 40 50
  EXPECT_EQ(c_->GetFocusedRowIndex(), 2);
  EXPECT_EQ(value(c_->GetFocusedRecordIndex()), 40);
  c_->InsertRecord(0);  // (empty) 20 30 40 50
  EXPECT_EQ(c_->GetFocusedRowIndex(), 3);
  EXPECT_EQ(value(c_->GetFocusedRecordIndex()), 40);
  c_->AppendRecord();
  EXPECT_EQ(c_->GetFocusedRowIndex(), 3);
  EXPECT_EQ(c_->GetFocusedRecordIndex(), 3);
  c_->DeleteRecord(3);  // the focused record itself: the row keeps the focus
  EXPECT_EQ(c_->GetFocusedRowIndex(), 3);
  EXPECT_EQ(value(c_->GetFocusedRecordIndex()), 50);

  Fill({{10, "A"}, {20, "A"}, {30, "B"}, {40, "B"}, {50, "A"}});
  c_->SetMultiSelect(true);
  c_->ClearSelection();
  c_->ChangeRowSelection(1, true);
  c_->ChangeRowSelection(3, true);
  c_->DeleteRecord(0);  // 20 30 40 50
  EXPECT_EQ(selected(), (V{20, 40}));
  EXPECT_EQ(c_->GetSelectedRowIndex(1), 2);
  c_->DeleteRecord(0);  // a selected record goes with its entry: 30 40 50
  EXPECT_EQ(selected(), (V{40}));
  EXPECT_EQ(c_->GetSelectedRowIndex(0), 1);
  c_->InsertRecord(1);  // 30 (empty) 40 50
  EXPECT_EQ(selected(), (V{40}));
  EXPECT_EQ(c_->GetSelectedRowIndex(0), 2);
}

TEST_F(Focus, ForEachRowWalksTheRowsOrTheSelectedOnes) {
  c_->Groups()->ChangeGrouping(1, 0);
  c_->Groups()->ChangeExpanding(1, true, false);  // g(A) g(B) 30 40
  V rows, records;
  auto walk = [&](bool ASelectedOnly) {
    rows.clear();
    records.clear();
    c_->ForEachRow(ASelectedOnly, [&](Integer ARow, const TcxRowInfo& AInfo) {
      rows.push_back(ARow);
      records.push_back(AInfo.RecordIndex);
    });
  };
  walk(false);
  EXPECT_EQ(rows, (V{0, 1, 2, 3}));
  EXPECT_EQ(records, (V{0, 2, 2, 3}));
  walk(true);  // single-select: the focused row, none focused yet
  EXPECT_TRUE(rows.empty());
  c_->ChangeFocusedRowIndex(3);
  walk(true);
  EXPECT_EQ(rows, (V{3}));
  c_->SetFocusedSelected(false);
  walk(true);
  EXPECT_TRUE(rows.empty());

  c_->SetMultiSelect(true);
  c_->ClearSelection();
  c_->SelectRows(0, 2);
  // A step may change the selection: the walk keeps to the rows selected when it began.
  V seen;
  c_->ForEachRow(true, [&](Integer ARow, const TcxRowInfo&) {
    seen.push_back(ARow);
    c_->ClearSelection();
  });
  EXPECT_EQ(seen, (V{0, 1, 2}));
}

namespace {
struct FocusNotes : TObject {
  struct Note {
    Integer PrevFocusedRecordIndex, FocusedRecordIndex;
    bool NewItemRowFocusingChanged;
  };
  std::vector<Note> Seen;
  void Update(TcxUpdateControlInfo* AInfo) {
    if (auto* f = dynamic_cast<TcxFocusedRecordChangedInfo*>(AInfo))
      Seen.push_back({f->PrevFocusedRecordIndex, f->FocusedRecordIndex, f->NewItemRowFocusingChanged});
  }
};
}  // namespace

// Leaving an active new-item row for a row is told as such to the owner, once.
TEST_F(Focus, LeavingTheNewItemRowIsToldWithTheFocusChange) {
  FocusNotes notes;
  c_->OnUpdateControl = TcxUpdateControlEvent(&notes, &FocusNotes::Update);
  c_->SetUseNewItemRowForEditing(true);
  c_->ChangeFocusedRowIndex(2);
  c_->SetNewItemRowFocused(true);
  ASSERT_TRUE(c_->IsNewItemRowActive());
  notes.Seen.clear();
  c_->ChangeFocusedRowIndex(1);
  EXPECT_FALSE(c_->IsNewItemRowFocused());
  ASSERT_EQ(notes.Seen.size(), 1u);
  EXPECT_EQ(notes.Seen[0].PrevFocusedRecordIndex, -1);
  EXPECT_EQ(notes.Seen[0].FocusedRecordIndex, 1);
  EXPECT_TRUE(notes.Seen[0].NewItemRowFocusingChanged);
  c_->ChangeFocusedRowIndex(3);  // an ordinary move
  ASSERT_EQ(notes.Seen.size(), 2u);
  EXPECT_FALSE(notes.Seen[1].NewItemRowFocusingChanged);

  // A refused move leaves the new-item row where it was.
  c_->SetNewItemRowFocused(true);
  P()->RefuseFocus = true;
  c_->ChangeFocusedRowIndex(0);
  EXPECT_TRUE(c_->IsNewItemRowActive());
  P()->RefuseFocus = false;
}

// Focusing a record answers whether it happened: a record the filter hides has no row.
TEST_F(Focus, FocusingARecordAnswersWhetherItsRowTookTheFocus) {
  c_->Groups()->ChangeGrouping(1, 0);  // g(A) g(B), collapsed
  EXPECT_TRUE(c_->ChangeFocusedRecordIndex(3));  // its group opens: g(A) g(B) 30 40
  EXPECT_EQ(c_->GetFocusedRowIndex(), 3);
  r_.Rejected = 4;
  c_->OnFilterRecord = TcxDataFilterRecordEvent(&r_, &Recorder::Filter);
  c_->Refresh();
  EXPECT_FALSE(c_->ChangeFocusedRecordIndex(4));
  EXPECT_EQ(c_->GetFocusedRecordIndex(), 3);
  P()->RefuseFocus = true;
  EXPECT_TRUE(c_->ChangeFocusedRecordIndex(0));  // refused by the hook, not by the rows
  EXPECT_EQ(c_->GetFocusedRecordIndex(), 3);
  P()->RefuseFocus = false;
  EXPECT_TRUE(c_->ChangeFocusedRecordIndex(-1));
  EXPECT_EQ(c_->GetFocusedRowIndex(), -1);
  c_->OnFilterRecord = nullptr;
}
