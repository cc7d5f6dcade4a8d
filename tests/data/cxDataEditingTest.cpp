// Editing through the provider's state machine and the events around each step;
// inserting and appending among sorted and grouped rows; deleting the selection;
// navigation and the bookmark; the incremental filter.
#include "DataControllerTestSupport.h"

#include <climits>
#include <string>

using V = std::vector<Integer>;
using S = std::vector<std::string>;
using enum TcxDataControllerEditKind;
using enum TcxDataEditValueSource;

namespace {

struct Events : TObject {
  S Log;
  Integer RefuseBelow = INT_MIN;  // BeforePost raises when item 0 is below it
  Integer RaiseOnDelete = -1;
  TcxCustomDataController* FreeOnAfterPost = nullptr;
  void BeforeInsert(TcxCustomDataController*) { Log.push_back("BI"); }
  void AfterInsert(TcxCustomDataController*) { Log.push_back("AI"); }
  void NewRecord(TcxCustomDataController*, Integer R) { Log.push_back("NR" + std::to_string(R)); }
  void BeforePost(TcxCustomDataController* C) {
    Log.push_back("BP");
    const Variant v = C->GetEditValue(0, evsValue);
    if (!VarIsNull(v) && v.AsInteger() < RefuseBelow) throw Exception("negative");
  }
  void AfterPost(TcxCustomDataController*) {
    Log.push_back("AP");
    if (FreeOnAfterPost) FreeOnAfterPost->Free();
  }
  void BeforeCancel(TcxCustomDataController*) { Log.push_back("BC"); }
  void AfterCancel(TcxCustomDataController*) { Log.push_back("AC"); }
  void BeforeDelete(TcxCustomDataController*, Integer R) {
    if (R == RaiseOnDelete) throw Exception("kept");
    Log.push_back("BD" + std::to_string(R));
  }
  void AfterDelete(TcxCustomDataController*) { Log.push_back("AD"); }
};

class Editing : public ControllerTest {
 protected:
  // Records 0..4: 10 A, 20 A, 30 B, 40 B, 50 A.
  void SetUp() override {
    ControllerTest::SetUp();
    AddItems({IntType(), StrType()});
    Fill({{10, "A"}, {20, "A"}, {30, "B"}, {40, "B"}, {50, "A"}});
    Hook(c_.get());
  }
  void Hook(TcxCustomDataController* C) {
    C->OnBeforeInsert = TcxDataControllerNotifyEvent(&e_, &Events::BeforeInsert);
    C->OnAfterInsert = TcxDataControllerNotifyEvent(&e_, &Events::AfterInsert);
    C->OnNewRecord = TcxDataControllerRecordEvent(&e_, &Events::NewRecord);
    C->OnBeforePost = TcxDataControllerNotifyEvent(&e_, &Events::BeforePost);
    C->OnAfterPost = TcxDataControllerNotifyEvent(&e_, &Events::AfterPost);
    C->OnBeforeCancel = TcxDataControllerNotifyEvent(&e_, &Events::BeforeCancel);
    C->OnAfterCancel = TcxDataControllerNotifyEvent(&e_, &Events::AfterCancel);
    C->OnBeforeDelete = TcxDataControllerRecordEvent(&e_, &Events::BeforeDelete);
    C->OnAfterDelete = TcxDataControllerNotifyEvent(&e_, &Events::AfterDelete);
  }
  V Values() const {
    V r;
    for (Integer row : Rows()) r.push_back(row < 0 ? -1 : c_->GetItemValue(row, 0).AsInteger());
    return r;
  }
  Integer Value(Integer ARecord) const {
    const Variant v = c_->GetItemValue(ARecord, 0);
    return VarIsNull(v) ? -1 : v.AsInteger();
  }
  Events e_;
};

TEST_F(Editing, EditPostAndCancelWithTheirEvents) {
  c_->ChangeFocusedRowIndex(1);
  EXPECT_TRUE(c_->GetEditState().Empty());
  c_->Edit();
  EXPECT_EQ(c_->GetEditState(), TcxDataControllerEditState({dceEdit}));
  c_->SetEditValue(0, 99, evsValue);
  c_->SetEditValue(1, "Z", evsValue);
  EXPECT_EQ(c_->GetEditState(), TcxDataControllerEditState({dceEdit, dceChanging, dceModified}));
  EXPECT_EQ(Value(1), 99);
  c_->Cancel();  // both fields come back
  EXPECT_TRUE(c_->GetEditState().Empty());
  EXPECT_EQ(Value(1), 20);
  EXPECT_EQ(c_->GetItemValue(1, 1).AsString(), "A");

  c_->SetEditValue(0, 77, evsValue);  // editing starts by itself
  c_->Edit();                         // a second Edit keeps the values saved first
  c_->PostEditing();
  EXPECT_EQ(Value(1), 77);
  c_->Edit();
  c_->Cancel();
  EXPECT_EQ(Value(1), 77);
  EXPECT_EQ(e_.Log, (S{"BC", "AC", "BP", "AP", "BC", "AC"}));

  // An empty text stores Null; a value source other than text keeps the empty string.
  c_->SetEditValue(1, "", evsText);
  EXPECT_TRUE(VarIsNull(c_->GetItemValue(1, 1)));
  c_->SetEditValue(1, "", evsValue);
  EXPECT_EQ(c_->GetItemValue(1, 1).AsString(), "");
}

TEST_F(Editing, ASecondEditKeepsTheValuesSavedAtTheFirstSoCancelRestoresThem) {
  c_->ChangeFocusedRowIndex(1);
  c_->Edit();
  c_->SetEditValue(0, 99, evsValue);
  c_->SetEditValue(1, "Z", evsValue);
  c_->Edit();
  EXPECT_EQ(Value(1), 99) << "the second Edit leaves the edited values in place";
  c_->SetEditValue(0, 98, evsValue);
  c_->Edit();
  c_->Cancel();
  EXPECT_EQ(Value(1), 20);
  EXPECT_EQ(c_->GetItemValue(1, 1).AsString(), "A");
  EXPECT_TRUE(c_->GetEditState().Empty());
  // The edit after that saves afresh: what it cancels to is the record as it is then.
  c_->Edit();
  c_->SetEditValue(0, 21, evsValue);
  c_->PostEditing();
  c_->Edit();
  c_->SetEditValue(0, 22, evsValue);
  c_->Edit();
  c_->Cancel();
  EXPECT_EQ(Value(1), 21);
}

TEST_F(Editing, APostFailingValidationKeepsTheEditAndTheFocus) {
  e_.RefuseBelow = 0;
  c_->ChangeFocusedRowIndex(2);
  c_->SetEditValue(0, -5, evsValue);
  EXPECT_THROW(c_->PostEditing(), Exception);
  EXPECT_TRUE(c_->GetEditState().Contains(dceModified));
  EXPECT_EQ(Value(2), -5);
  EXPECT_THROW(c_->ChangeFocusedRowIndex(4), Exception);  // leaving the row posts
  EXPECT_EQ(c_->GetFocusedRowIndex(), 2);
  c_->Cancel();
  EXPECT_EQ(Value(2), 30);
  c_->ChangeFocusedRowIndex(4);
  EXPECT_EQ(c_->LockCount(), 0);
}

TEST_F(Editing, LeavingAnEditFocusesTheRecordTheRowShowed) {
  c_->ChangeFocusedRowIndex(0);
  c_->Insert();                  // rows: new 10 20 30 40 50
  c_->ChangeFocusedRowIndex(3);  // 30; the empty insert goes
  EXPECT_EQ(Value(c_->GetFocusedRecordIndex()), 30);
  EXPECT_EQ(c_->GetRecordCount(), 5);
  c_->ChangeSortingOrder(0, TcxDataSortOrder::soAscending);
  c_->ChangeFocusedRowIndex(0);
  c_->SetEditValue(0, 99, evsValue);  // re-sorts last when posted
  c_->ChangeFocusedRowIndex(2);       // 30
  EXPECT_EQ(Value(c_->GetFocusedRecordIndex()), 30);
  EXPECT_EQ(c_->GetFocusedRowIndex(), 1);
}

TEST_F(Editing, AnInsertWithoutValuesIsRemovedByPostAndCancel) {
  c_->SetRecordCount(0);
  c_->Append();
  EXPECT_EQ(c_->GetRecordCount(), 1);
  EXPECT_EQ(c_->GetFocusedRecordIndex(), 0);
  EXPECT_EQ(c_->GetEditState(), TcxDataControllerEditState({dceInsert}));
  c_->PostEditing();
  EXPECT_EQ(c_->GetRecordCount(), 0);
  EXPECT_TRUE(c_->GetEditState().Empty());
  EXPECT_EQ(e_.Log, (S{"BI", "NR0", "AI", "BC", "AC"}));  // no post events

  Fill({{10, "A"}, {20, "B"}});
  c_->ChangeFocusedRowIndex(0);
  c_->Append();
  c_->SetEditValue(0, 5, evsValue);
  c_->Cancel();  // inserting on the last row: the new last row takes the focus
  EXPECT_EQ(c_->GetRecordCount(), 2);
  EXPECT_EQ(c_->GetFocusedRowIndex(), 1);
}

TEST_F(Editing, InsertAndAppendPlaceTheNewRowAmongSortedRows) {
  c_->ChangeSortingOrder(0, TcxDataSortOrder::soDescending);  // 50 40 30 20 10
  for (Integer row = 0; row < 5; ++row) {
    c_->ChangeFocusedRowIndex(row);
    const Integer before = c_->GetFocusedRecordIndex();
    c_->Insert();
    const Integer added = c_->GetFocusedRecordIndex();
    EXPECT_EQ(added, before) << row;  // inserted before the focused record
    EXPECT_EQ(c_->GetFocusedRowIndex(), row);
    EXPECT_EQ(Rows()[size_t(row) + 1], before + 1);
    c_->SetEditValue(0, 5, evsValue);  // would sort last, stays until posted
    EXPECT_EQ(c_->GetFocusedRowIndex(), row);
    c_->Cancel();
    EXPECT_EQ(Values(), (V{50, 40, 30, 20, 10}));
  }
  c_->ChangeFocusedRowIndex(1);
  c_->Append();
  EXPECT_EQ(c_->GetFocusedRecordIndex(), 5);
  EXPECT_EQ(c_->GetFocusedRowIndex(), 5);
  c_->SetEditValue(0, 45, evsValue);
  EXPECT_EQ(c_->GetFocusedRowIndex(), 5);
  c_->PostEditing();
  EXPECT_EQ(Values(), (V{50, 45, 40, 30, 20, 10}));
  EXPECT_EQ(c_->GetFocusedRowIndex(), 1);
}

TEST_F(Editing, AnInsertedRowTakesTheGroupValuesOfItsPlace) {
  c_->Groups()->ChangeGrouping(1, 0);
  c_->Groups()->FullExpand();    // g(A) 0 1 4 g(B) 2 3
  c_->ChangeFocusedRowIndex(6);  // record 3, in B
  c_->Insert();
  const Integer added = c_->GetFocusedRecordIndex();
  EXPECT_EQ(added, 3);
  EXPECT_EQ(c_->GetItemValue(added, 1).AsString(), "B");
  EXPECT_EQ(c_->GetFocusedRowIndex(), 6);
  EXPECT_EQ(e_.Log, (S{"BI", "NR3", "AI"}));
  c_->SetEditValue(0, 1, evsValue);
  c_->PostEditing();
  EXPECT_EQ(Rows(), (V{0, 0, 1, 5, 2, 2, 3, 4}));  // g(A) 0 1 5 g(B) 2 new 4

  c_->ChangeFocusedRowIndex(2);  // record 1, in A: appending takes the last row's group
  c_->Append();
  EXPECT_EQ(c_->GetItemValue(c_->GetFocusedRecordIndex(), 1).AsString(), "B");
  c_->Cancel();
  c_->SetOptions(c_->Options() -
                 TcxDataControllerOptions({TcxDataControllerOption::dcoAssignGroupingValues}));
  c_->Insert();
  EXPECT_TRUE(VarIsNull(c_->GetItemValue(c_->GetFocusedRecordIndex(), 1)));
}

TEST_F(Editing, TheNewItemRowBecomesARealRecordWhenPosted) {
  c_->SetUseNewItemRowForEditing(true);
  c_->ChangeFocusedRowIndex(2);
  c_->SetNewItemRowFocused(true);
  EXPECT_TRUE(c_->IsNewItemRowActive());
  EXPECT_TRUE(VarIsNull(c_->GetEditValue(0, evsValue)));
  struct Kinds : TObject {
    std::vector<Integer> Seen;
    void Update(TcxUpdateControlInfo* AInfo) {
      if (auto* d = dynamic_cast<TcxDataChangedInfo*>(AInfo)) Seen.push_back(Integer(d->Kind));
    }
  } kinds;
  c_->OnUpdateControl = TcxUpdateControlEvent(&kinds, &Kinds::Update);
  c_->SetEditValue(0, 60, evsValue);  // editing the row inserts on it
  ASSERT_FALSE(kinds.Seen.empty());
  EXPECT_EQ(kinds.Seen.back(), Integer(TcxDataChange::dcField));  // its record is -1
  c_->OnUpdateControl = TcxUpdateControlEvent();
  EXPECT_EQ(c_->GetEditState(), TcxDataControllerEditState({dceInsert, dceChanging, dceModified}));
  EXPECT_EQ(c_->GetRecordCount(), 5);
  c_->PostEditing();
  EXPECT_EQ(c_->GetRecordCount(), 6);
  EXPECT_EQ(Value(5), 60);
  EXPECT_EQ(e_.Log,
            (S{"BI", "NR" + std::to_string(c_->GetCurrentRecordIndex()), "AI", "BP", "AP"}));
  c_->SetEditValue(0, 70, evsValue);  // the row starts empty again
  EXPECT_TRUE(VarIsNull(c_->GetEditValue(1, evsValue)));
  c_->Cancel();
  EXPECT_EQ(c_->GetRecordCount(), 6);
}

TEST_F(Editing, DeletingTheSelectionRunsTheEventsAsOneByOne) {
  c_->SetMultiSelect(true);
  c_->ChangeFocusedRowIndex(1);
  c_->ChangeRowSelection(1, true);
  c_->ChangeRowSelection(3, true);
  c_->DeleteSelection();
  EXPECT_EQ(e_.Log, (S{"BD3", "AD", "BD1", "AD"}));
  EXPECT_EQ(Values(), (V{10, 30, 50}));
  EXPECT_EQ(c_->GetSelectedCount(), 0);
  EXPECT_EQ(c_->GetFocusedRecordIndex(), 1);  // the row after the focused one: 30

  // A handler refusing one record: those before it in the order are gone.
  Fill({{10, "A"}, {20, "A"}, {30, "B"}, {40, "B"}, {50, "A"}});
  c_->SelectAll();
  e_.RaiseOnDelete = 2;
  EXPECT_THROW(c_->DeleteSelection(), Exception);
  EXPECT_EQ(Values(), (V{10, 20, 30}));
  EXPECT_EQ(c_->LockCount(), 0);

  // The focus stays within the group: the row before, not the next group's row.
  e_.RaiseOnDelete = -1;
  Fill({{10, "A"}, {20, "A"}, {30, "B"}, {40, "B"}, {50, "A"}});
  c_->SetMultiSelect(false);
  c_->Groups()->ChangeGrouping(1, 0);
  c_->Groups()->FullExpand();    // g(A) 0 1 4 g(B) 2 3
  c_->ChangeFocusedRowIndex(3);  // 50, the last of A
  c_->DeleteFocused();
  EXPECT_EQ(c_->GetFocusedRowIndex(), 2);
  EXPECT_EQ(Value(c_->GetFocusedRecordIndex()), 20);

  // A focused group row deletes its group.
  c_->ChangeFocusedRowIndex(0);
  c_->DeleteFocused();
  EXPECT_EQ(c_->GetRecordCount(), 2);
  EXPECT_EQ(c_->GetItemValue(0, 1).AsString(), "B");
}

namespace {

// Logs what a handler sees: the record count and every record's first value.
struct Witness : TObject {
  TcxCustomDataController* C = nullptr;
  S Log;
  std::string State() const {
    std::string r = std::to_string(C->GetRecordCount()) + ":";
    for (Integer i = 0; i < C->GetRecordCount(); ++i) r += " " + std::to_string(C->GetItemValue(i, 0).AsInteger());
    return r;
  }
  void BeforeDelete(TcxCustomDataController*, Integer R) { Log.push_back("BD" + std::to_string(R) + " " + State()); }
  void AfterDelete(TcxCustomDataController*) { Log.push_back("AD " + State()); }
};

}  // namespace

TEST_F(Editing, EachDeleteHandlerSeesTheRecordsAsTheyAreAfterThatDeletion) {
  Witness w;
  w.C = c_.get();
  c_->OnBeforeDelete = TcxDataControllerRecordEvent(&w, &Witness::BeforeDelete);
  c_->OnAfterDelete = TcxDataControllerNotifyEvent(&w, &Witness::AfterDelete);
  c_->SetMultiSelect(true);
  c_->ChangeFocusedRowIndex(0);
  c_->ChangeRowSelection(0, true);
  c_->ChangeRowSelection(2, true);
  c_->ChangeRowSelection(3, true);
  c_->DeleteSelection();
  EXPECT_EQ(w.Log, (S{"BD3 5: 10 20 30 40 50", "AD 4: 10 20 30 50", "BD2 4: 10 20 30 50",
                      "AD 3: 10 20 50", "BD0 3: 10 20 50", "AD 2: 20 50"}));
  EXPECT_EQ(Values(), (V{20, 50}));

  // A whole group deleted from its group row, one record at a time as well.
  w.Log.clear();
  Fill({{10, "A"}, {20, "A"}, {30, "B"}, {40, "B"}, {50, "A"}});
  c_->SetMultiSelect(false);
  c_->Groups()->ChangeGrouping(1, 0);
  c_->ChangeFocusedRowIndex(1);  // g(B)
  c_->DeleteFocused();
  EXPECT_EQ(w.Log, (S{"BD3 5: 10 20 30 40 50", "AD 4: 10 20 30 50", "BD2 4: 10 20 30 50", "AD 3: 10 20 50"}));
}

TEST_F(Editing, NavigationAndTheBookmark) {
  c_->GotoLast();
  EXPECT_EQ(c_->GetFocusedRowIndex(), 4);
  EXPECT_TRUE(c_->IsEOF());
  c_->GotoNext();
  EXPECT_EQ(c_->GetFocusedRowIndex(), 4);
  c_->GotoFirst();
  EXPECT_TRUE(c_->IsBOF());
  c_->GotoPrev();
  EXPECT_EQ(c_->GetFocusedRowIndex(), 0);
  c_->GotoNext();
  EXPECT_FALSE(c_->IsBOF() || c_->IsEOF());
  c_->MoveBy(2);
  EXPECT_EQ(c_->GetFocusedRowIndex(), 3);
  c_->SaveBookmark();
  c_->MoveBy(-10);
  EXPECT_EQ(c_->GetFocusedRowIndex(), 0);
  c_->MoveBy(INT_MAX);
  EXPECT_EQ(c_->GetFocusedRowIndex(), 4);
  c_->ChangeFocusedRowIndex(0);
  c_->Insert();  // before record 0: the bookmark keeps its record
  c_->Cancel();
  c_->GotoBookmark();
  EXPECT_EQ(Value(c_->GetFocusedRecordIndex()), 40);
  EXPECT_FALSE(c_->Scroll(1));

  c_->SetRecordCount(0);
  EXPECT_TRUE(c_->IsBOF());
  EXPECT_TRUE(c_->IsEOF());
}

TEST_F(Editing, ImmediatePostAndAHandlerFreeingTheController) {
  c_->SetOptions(c_->Options() +
                 TcxDataControllerOptions({TcxDataControllerOption::dcoImmediatePost}));
  c_->ChangeFocusedRowIndex(0);
  c_->SetEditValue(0, 11, evsValue);
  EXPECT_TRUE(c_->GetEditState().Empty());
  EXPECT_EQ(e_.Log, (S{"BP", "AP"}));
  e_.FreeOnAfterPost = c_.release();
  e_.FreeOnAfterPost->SetEditValue(0, 12, evsValue);  // nothing is touched after the handler
}

TEST_F(Editing, IncrementalFilterKeepsTheMatchingRows) {
  Fill({{1, "apple"}, {2, "Banana"}, {3, "berry"}, {4, "cherry"}});
  EXPECT_EQ(c_->ApplyIncrementalFilter(1, "b"), 1);
  EXPECT_EQ(Rows(), (V{1, 2}));
  EXPECT_TRUE(c_->ChangeIncrementalFilterText("be"));
  EXPECT_FALSE(c_->ChangeIncrementalFilterText("be"));
  EXPECT_EQ(Rows(), (V{2}));
  EXPECT_EQ(c_->ApplyIncrementalFilter(1, "x"), -1);
  c_->ResetIncrementalFilter();
  EXPECT_EQ(c_->GetRowCount(), 4);
}

}  // namespace

TEST_F(Editing, RegroupingPostsThePendingEditFirst) {
  c_->ChangeFocusedRowIndex(1);  // record 1: 20 A
  c_->Edit();
  c_->SetEditValue(1, "B", evsValue);
  c_->Groups()->ChangeGrouping(1, 0);
  EXPECT_TRUE(c_->GetEditState().Empty());
  EXPECT_EQ(e_.Log, (S{"BP", "AP"}));
  c_->Groups()->FullExpand();  // g(A) 0 4 g(B) 1 2 3: the posted value groups the record
  EXPECT_EQ(Rows(), (V{0, 0, 4, 1, 1, 2, 3}));
  EXPECT_EQ(c_->GetFocusedRecordIndex(), 1);

  // Asking for the position the item already has changes nothing, so the edit stays.
  c_->Edit();
  c_->SetEditValue(0, 21, evsValue);
  c_->Groups()->ChangeGrouping(1, 0);
  c_->Groups()->ChangeGrouping(1, 5);  // past the end: the one level it already holds
  EXPECT_TRUE(c_->GetEditState().Contains(dceEdit));
  c_->Groups()->ChangeGrouping(1, -1);
  EXPECT_TRUE(c_->GetEditState().Empty());
  EXPECT_EQ(e_.Log, (S{"BP", "AP", "BP", "AP"}));
  EXPECT_EQ(Value(1), 21);
}

// A focused group row is the whole selection of single-select mode: deleting the
// selection deletes the group's records, as deleting the focused row does.
TEST_F(Editing, DeletingASingleSelectedGroupRowDeletesItsRecords) {
  c_->Groups()->ChangeGrouping(1, 0);  // g(A) g(B), both collapsed
  c_->ChangeFocusedRowIndex(1);        // g(B): records 2 and 3
  ASSERT_EQ(c_->GetSelectedCount(), 1);
  c_->DeleteSelection();
  EXPECT_EQ(e_.Log, (S{"BD3", "AD", "BD2", "AD"}));
  EXPECT_EQ(c_->GetRecordCount(), 3);
  EXPECT_EQ(Value(0), 10);
  EXPECT_EQ(Value(1), 20);
  EXPECT_EQ(Value(2), 50);

  c_->Groups()->FullExpand();  // g(A) 10 20 50: a data row deletes its record alone
  c_->ChangeFocusedRowIndex(2);
  e_.Log.clear();
  c_->DeleteSelection();
  EXPECT_EQ(e_.Log, (S{"BD1", "AD"}));
  EXPECT_EQ(c_->GetRecordCount(), 2);
  EXPECT_EQ(Value(c_->GetFocusedRecordIndex()), 50);
}

// The row that takes the focus after a deletion is the nearest one that stays.
TEST_F(Editing, AfterDeletingTheFocusGoesToTheNearestRowThatStays) {
  c_->ChangeSortingOrder(0, TcxDataSortOrder::soDescending);  // 50 40 30 20 10
  c_->SetMultiSelect(true);
  c_->ChangeFocusedRowIndex(1);
  c_->ClearSelection();
  c_->SelectRows(1, 2);  // 40 30
  c_->DeleteSelection();
  EXPECT_EQ(Values(), (V{50, 20, 10}));
  EXPECT_EQ(c_->GetFocusedRowIndex(), 1);
  EXPECT_EQ(Value(c_->GetFocusedRecordIndex()), 20);

  Fill({{10, "A"}, {20, "A"}, {30, "B"}, {40, "B"}, {50, "A"}});  // 50 40 30 20 10
  c_->ChangeFocusedRowIndex(2);
  c_->ClearSelection();
  c_->SelectRows(2, 4);  // 30 20 10: nothing after them, so the row before
  c_->DeleteSelection();
  EXPECT_EQ(Values(), (V{50, 40}));
  EXPECT_EQ(Value(c_->GetFocusedRecordIndex()), 40);

  Fill({{10, "A"}, {20, "A"}, {30, "B"}, {40, "B"}, {50, "A"}});
  c_->Groups()->ChangeGrouping(1, 0);
  c_->Groups()->FullExpand();  // g(A) 50 20 10 g(B) 40 30
  c_->ChangeFocusedRowIndex(0);
  c_->DeleteFocused();  // the group row's own records go: g(B) is the nearest row left
  EXPECT_EQ(Values(), (V{40, 40, 30}));
  EXPECT_EQ(Value(c_->GetFocusedRecordIndex()), 40);
}

// With other rows selected, the focused row keeps the focus when the selection goes; when
// the focused row itself goes, the nearest row that stays takes it.
TEST_F(Editing, DeletingAnUnselectedFocusedRowFocusesTheNearestRowThatStays) {
  c_->ChangeSortingOrder(0, TcxDataSortOrder::soDescending);  // 50 40 30 20 10
  c_->SetMultiSelect(true);
  c_->ChangeFocusedRowIndex(2);
  c_->ClearSelection();
  c_->ChangeRowSelection(0, true);
  c_->DeleteSelection();  // 50 goes, 30 keeps the focus
  EXPECT_EQ(Values(), (V{40, 30, 20, 10}));
  EXPECT_EQ(Value(c_->GetFocusedRecordIndex()), 30);

  c_->ChangeRowSelection(0, true);
  c_->DeleteFocused();  // 30 goes: 20 after it
  EXPECT_EQ(Values(), (V{40, 20, 10}));
  EXPECT_EQ(c_->GetFocusedRowIndex(), 1);
  EXPECT_EQ(Value(c_->GetFocusedRecordIndex()), 20);
}

// Lowering the record count deletes the edited record from the end: its edit goes with it,
// so that records added later never receive the old values of a cancel.
TEST_F(Editing, ARecordCountBelowTheEditedRecordDropsItsEdit) {
  c_->ChangeFocusedRecordIndex(4);
  c_->Edit();
  c_->SetEditValue(0, 99, evsValue);
  c_->SetRecordCount(4);
  EXPECT_FALSE(c_->IsEditing());
  c_->SetRecordCount(5);
  c_->Cancel();
  EXPECT_EQ(Value(4), -1);

  // An edit of a record that stays is kept.
  c_->ChangeFocusedRecordIndex(1);
  c_->Edit();
  c_->SetEditValue(0, 98, evsValue);
  c_->SetRecordCount(2);
  EXPECT_TRUE(c_->IsEditing());
  c_->Cancel();
  EXPECT_EQ(Value(1), 20);

  // An inserted record past the new end goes without deleting another on a later cancel.
  c_->SetRecordCount(3);
  c_->ChangeFocusedRecordIndex(2);
  c_->Append();
  ASSERT_EQ(c_->GetRecordCount(), 4);
  c_->SetRecordCount(3);
  EXPECT_FALSE(c_->IsEditing());
  c_->SetRecordCount(4);
  c_->Cancel();
  EXPECT_EQ(c_->GetRecordCount(), 4);
}

// The incremental filter stays on its item when an item before it goes, and ends with its
// own item.
TEST_F(Editing, TheIncrementalFilterFollowsItsItemWhenItemsGo) {
  AddItems({StrType(), StrType()});
  Fill({{1, "A", "apple", "x"}, {2, "A", "Banana", "b"}, {3, "B", "berry", "y"}, {4, "A", "cherry", "b"}});
  c_->ApplyIncrementalFilter(2, "b");
  EXPECT_EQ(Rows(), (V{1, 2}));
  c_->RemoveItem(items_[0].get());
  EXPECT_EQ(c_->GetIncrementalFilterItemIndex(), 1);
  c_->RefreshView();
  EXPECT_EQ(Rows(), (V{1, 2}));
  // A field moved to another place (a column dragged) takes the filter along.
  c_->GetItemField(1)->SetIndex(2);
  EXPECT_EQ(c_->GetIncrementalFilterItemIndex(), 2);
  c_->RefreshView();
  EXPECT_EQ(Rows(), (V{1, 2}));
  c_->GetItemField(2)->SetIndex(1);
  c_->RemoveItem(items_[3].get());  // after the filter's item: nothing moves
  EXPECT_EQ(c_->GetIncrementalFilterItemIndex(), 1);
  c_->RemoveItem(items_[2].get());
  EXPECT_EQ(c_->GetIncrementalFilterItemIndex(), -1);
  EXPECT_EQ(c_->GetRowCount(), 4);
}
