// Groups, expanding, focus and selection: the row layout of one and two grouping levels,
// expand and collapse, states kept across rebuilds, focus following its record, and
// multi-row selection with its anchor.
#include "DataControllerTestSupport.h"

#include <string>

using enum TcxDataSortOrder;
using enum TcxDataControllerOption;
using V = std::vector<Integer>;
using S = std::vector<std::string>;

namespace {

class Groups : public ControllerTest {
 protected:
  // "g<level>:<first record>" for a group row ("+" when expanded), the record for a data row.
  S Layout() const {
    S r;
    for (Integer i = 0; i < c_->GetRowCount(); ++i) {
      const TcxRowInfo info = c_->GetRowInfo(i);
      if (info.Level < c_->GetGroupingItemCount())
        r.push_back("g" + std::to_string(info.Level) + (info.Expanded ? "+" : "") + ":" +
                    std::to_string(info.RecordIndex));
      else
        r.push_back(std::to_string(info.RecordIndex));
    }
    return r;
  }
  TcxDataControllerGroups* G() const { return c_->Groups(); }
  // Two levels: item 0 (A/B), item 1 (x/y), item 2 a number to sort by.
  void TwoLevels() {
    AddItems({StrType(), StrType(), IntType()});
    Fill({{"A", "x", 5}, {"B", "y", 4}, {"A", "y", 3}, {"B", "y", 2}, {"A", "x", 1}});
    c_->BeginUpdate();
    G()->ChangeGrouping(0, 0);
    G()->ChangeGrouping(1, 1);
    c_->ChangeSortingOrder(2, soAscending);
    c_->EndUpdate();
  }
};

}  // namespace

TEST_F(Groups, OneLevel) {
  AddItems({StrType()});
  Fill({{"A"}, {"B"}, {"A"}});
  G()->ChangeGrouping(0, 0);
  EXPECT_EQ(Layout(), (S{"g0:0", "g0:1"}));
  EXPECT_EQ(G()->ChildCount(-1), 2);
  EXPECT_EQ(G()->ChildCount(0), 2);
  EXPECT_EQ(G()->ChildCount(1), 1);
  EXPECT_EQ(G()->ChildCount(2), -1);
  G()->ChangeExpanding(0, true, false);
  EXPECT_EQ(Layout(), (S{"g0+:0", "0", "2", "g0:1"}));
  EXPECT_EQ(c_->GetRowInfo(2).FilteredIndex, 1);
  EXPECT_EQ(G()->GetGroupIndexByRowIndex(3), 1);
  EXPECT_EQ(G()->GetGroupIndexByRowIndex(1), -1);  // a data row
  EXPECT_EQ(c_->GetRowIndexByRecordIndex(1, false), -1);  // in the collapsed B
  EXPECT_EQ(c_->GetRowIndexByRecordIndex(1, true), 4);    // B expanded for it
  EXPECT_EQ(Layout(), (S{"g0+:0", "0", "2", "g0+:1", "1"}));
  G()->ClearGrouping();
  EXPECT_EQ(Layout(), (S{"0", "1", "2"}));
}

// A grouped item's order is the one its sorting entry gives, ascending without one; the order
// a bracket asks for last is the one the rows get, whatever the groups showed before.
TEST_F(Groups, TheSortOrderOfAGroupedItemAskedInABracketIsTheOneShown) {
  AddItems({IntType()});
  Fill({{2}, {1}, {3}});
  G()->ChangeGrouping(0, 0);
  c_->ChangeSortingOrder(0, soDescending);
  EXPECT_EQ(Layout(), (S{"g0:2", "g0:0", "g0:1"}));
  c_->BeginUpdate();
  c_->ClearSorting(false);
  EXPECT_EQ(c_->GetItemSortOrder(0), soAscending);
  c_->ChangeSortingOrder(0, soDescending);
  c_->EndUpdate();
  EXPECT_EQ(Layout(), (S{"g0:2", "g0:0", "g0:1"}));
  EXPECT_EQ(c_->GetItemSortOrder(0), soDescending);
  c_->ChangeSortingOrder(0, soNone);
  EXPECT_EQ(Layout(), (S{"g0:1", "g0:0", "g0:2"}));
  EXPECT_EQ(c_->GetItemSortOrder(0), soAscending);
}

TEST_F(Groups, TwoLevelsExpandCollapseAndQueries) {
  TwoLevels();
  EXPECT_EQ(Layout(), (S{"g0:4", "g0:3"}));
  EXPECT_TRUE(G()->FullExpand());
  EXPECT_EQ(Layout(), (S{"g0+:4", "g1+:4", "4", "0", "g1+:2", "2", "g0+:3", "g1+:3", "3", "1"}));
  EXPECT_EQ(c_->GetRowInfo(2).Level, 2);
  EXPECT_EQ(G()->Level(G()->GetGroupIndexByRowIndex(4)), 1);
  EXPECT_EQ(G()->ChildGroupIndex(-1, 1), G()->GetGroupIndexByRowIndex(6));
  EXPECT_EQ(G()->ChildGroupIndex(-1, 2), -1);
  EXPECT_EQ(G()->ChildGroupIndex(0, 1), G()->GetGroupIndexByRowIndex(4));
  EXPECT_EQ(G()->ChildRecordIndex(G()->GetGroupIndexByRowIndex(1), 1), 0);
  EXPECT_EQ(G()->ChildRecordIndex(G()->GetGroupIndexByRowIndex(1), 2), -1);
  EXPECT_TRUE(G()->IsChildRow(0, 5));
  EXPECT_TRUE(G()->IsChildRow(1, 3));
  EXPECT_FALSE(G()->IsChildRow(1, 5));
  V records;
  G()->LoadRecordList(records, 0);
  EXPECT_EQ(records, (V{4, 0, 2}));

  // Collapsing the outer A keeps the inner states for when it opens again.
  G()->ChangeExpanding(0, false, false);
  EXPECT_EQ(Layout(), (S{"g0:4", "g0+:3", "g1+:3", "3", "1"}));
  G()->ChangeExpanding(0, true, false);
  EXPECT_EQ(c_->GetRowCount(), 10);
  G()->ChangeExpanding(0, false, true);
  G()->ChangeExpanding(0, true, false);
  EXPECT_EQ(Layout(), (S{"g0+:4", "g1:4", "g1:2", "g0+:3", "g1+:3", "3", "1"}));
  G()->FullCollapse();
  EXPECT_EQ(Layout(), (S{"g0:4", "g0:3"}));

  c_->SetOptions(c_->Options() + TcxDataControllerOptions{dcoGroupsAlwaysExpanded});
  G()->ChangeExpanding(0, true, false);  // no effect in this mode
  EXPECT_EQ(c_->GetRowCount(), 2);
  EXPECT_TRUE(G()->FullExpand());
}

TEST_F(Groups, ExpandedStatesSurviveReSortsAndSavedReloads) {
  TwoLevels();
  G()->ChangeExpanding(1, true, false);  // B
  EXPECT_EQ(Layout(), (S{"g0:4", "g0+:3", "g1:3"}));
  c_->ChangeSortingOrder(0, soDescending);  // B first now
  EXPECT_EQ(Layout(), (S{"g0+:3", "g1:3", "g0:4"}));
  c_->SetValue(3, 2, 0);  // a reload, dcoSaveExpanding set
  EXPECT_EQ(Layout(), (S{"g0+:3", "g1:3", "g0:4"}));
  c_->SetOptions(c_->Options() - TcxDataControllerOptions{dcoSaveExpanding});
  c_->SetValue(3, 2, 1);
  EXPECT_EQ(Layout(), (S{"g0:3", "g0:4"}));
}

TEST_F(Groups, FocusFollowsItsRecord) {
  AddItems({IntType(), StrType()});
  Fill({{3, "a"}, {1, "b"}, {2, "a"}, {4, "b"}});
  c_->ChangeFocusedRowIndex(2);
  EXPECT_EQ(c_->GetFocusedRecordIndex(), 2);
  c_->ChangeSortingOrder(0, soDescending);
  EXPECT_EQ(c_->GetFocusedRecordIndex(), 2);
  EXPECT_EQ(c_->GetFocusedRowIndex(), 2);  // 4, 3, 2, 1
  struct Filter : TObject {
    Integer Out = -1;
    void Run(TcxCustomDataController*, Integer ARecordIndex, bool& Accept) { Accept = ARecordIndex != Out; }
  } f;
  f.Out = 0;
  c_->OnFilterRecord = TcxDataFilterRecordEvent(&f, &Filter::Run);
  c_->RefreshView();
  EXPECT_EQ(c_->GetFocusedRowIndex(), 1);  // 4, 2, 1
  EXPECT_EQ(c_->GetFocusedRecordIndex(), 2);
  // Grouping puts the record into a collapsed group: its groups open for it.
  G()->ChangeGrouping(1, 0);
  EXPECT_EQ(c_->GetFocusedRecordIndex(), 2);
  EXPECT_EQ(c_->GetRowInfo(c_->GetFocusedRowIndex()).RecordIndex, 2);
  // Its record filtered out, the focus stays on its row and takes that row's record.
  G()->ClearGrouping();
  f.Out = 2;
  c_->RefreshView();  // 4, 3, 1
  EXPECT_EQ(c_->GetFocusedRowIndex(), 1);
  EXPECT_EQ(c_->GetFocusedRecordIndex(), 0);
  // Beyond the rows it moves to the last one.
  c_->ChangeFocusedRowIndex(2);
  f.Out = 1;
  c_->RefreshView();  // 4, 3, 2
  EXPECT_EQ(c_->GetFocusedRecordIndex(), 2);
  c_->SetRecordCount(1);
  EXPECT_EQ(c_->GetFocusedRowIndex(), 0);
  EXPECT_EQ(c_->GetFocusedRecordIndex(), 0);
  c_->SetRecordCount(0);
  EXPECT_EQ(c_->GetFocusedRowIndex(), -1);
}

TEST_F(Groups, CollapsingMovesTheFocusToTheGroupRow) {
  TwoLevels();
  G()->FullExpand();
  c_->ChangeFocusedRowIndex(5);  // record 2 in A/y
  G()->ChangeExpanding(0, false, false);
  EXPECT_EQ(c_->GetFocusedRowIndex(), 0);
  EXPECT_EQ(c_->GetRowInfo(0).Level, 0);
  c_->ChangeSortingOrder(2, soDescending);  // a focused group row stays on its group
  EXPECT_EQ(c_->GetFocusedRowIndex(), 0);
  EXPECT_EQ(c_->GetRowInfo(0).Level, 0);
}

TEST_F(Groups, SelectionWithAnchorRangesAndToggles) {
  AddItems({IntType()});
  c_->SetRecordCount(8);
  // Single-select: the focused row is the selection while the flag is set.
  c_->ChangeFocusedRowIndex(3);
  EXPECT_EQ(c_->GetSelectedCount(), 1);
  EXPECT_EQ(c_->GetSelectedRowIndex(0), 3);
  c_->ChangeRowSelection(4, true);  // ignored in this mode
  EXPECT_FALSE(c_->IsRowSelected(4));
  c_->SetFocusedSelected(false);
  EXPECT_EQ(c_->GetSelectedCount(), 0);
  c_->ChangeFocusedRowIndex(4);  // a new focus is selected again
  EXPECT_EQ(c_->GetSelectedRowIndex(0), 4);
  c_->SetFocusedSelected(false);

  c_->SetMultiSelect(true);
  c_->SetSelectionAnchor(2);
  c_->SelectFromAnchor(5, false);  // Shift
  V rows;
  for (Integer i = 0; i < c_->GetSelectedCount(); ++i) rows.push_back(c_->GetSelectedRowIndex(i));
  EXPECT_EQ(rows, (V{2, 3, 4, 5}));
  c_->ChangeRowSelection(7, true);  // Ctrl
  c_->ChangeRowSelection(3, false);
  c_->SelectFromAnchor(0, true);  // Ctrl+Shift keeps the rest
  rows.clear();
  for (Integer i = 0; i < c_->GetSelectedCount(); ++i) rows.push_back(c_->GetSelectedRowIndex(i));
  EXPECT_EQ(rows, (V{0, 1, 2, 4, 5, 7}));
  c_->SelectFromAnchor(1, false);
  EXPECT_EQ(c_->GetSelectedCount(), 2);
  c_->SelectAll();
  EXPECT_EQ(c_->GetSelectedCount(), 8);
  EXPECT_THROW(c_->SetSelectionAnchor(8), EcxInvalidDataControllerOperation);

  // Selected records keep their selection through a sort and lose it when filtered out.
  c_->ClearSelection();
  c_->BeginUpdate();
  for (Integer r = 0; r < 8; ++r) c_->SetValue(r, 0, 10 - r);
  c_->EndUpdate();
  c_->ChangeRowSelection(1, true);  // record 1
  c_->ChangeSortingOrder(0, soAscending);
  EXPECT_TRUE(c_->IsRowSelected(6));
  EXPECT_EQ(c_->GetSelectedCount(), 1);
  struct Filter : TObject {
    void Run(TcxCustomDataController*, Integer ARecordIndex, bool& Accept) { Accept = ARecordIndex != 1; }
  } f;
  c_->OnFilterRecord = TcxDataFilterRecordEvent(&f, &Filter::Run);
  c_->RefreshView();
  EXPECT_EQ(c_->GetSelectedCount(), 0);
}

TEST_F(Groups, SelectedGroupRowStaysSelectedAfterAReSort) {
  TwoLevels();
  c_->SetMultiSelect(true);
  c_->ChangeRowSelection(1, true);  // group B
  c_->ChangeSortingOrder(0, soDescending);
  EXPECT_EQ(c_->GetSelectedCount(), 1);
  EXPECT_TRUE(c_->IsRowSelected(0));
  EXPECT_EQ(c_->GetRowInfo(0).RecordIndex, 3);
}

TEST_F(Groups, FocusAndSelectionNotifications) {
  AddItems({IntType()});
  c_->SetRecordCount(4);
  struct Rec : TObject {
    S Sent;
    V Rows;
    void Update(TcxUpdateControlInfo* AInfo) {
      Sent.push_back(AInfo->ClassName());
      if (auto* s = dynamic_cast<TcxSelectionChangedInfo*>(AInfo))
        for (Integer i = 0; i < s->GetCount(); ++i) Rows.push_back(s->GetRowIndex(i));
    }
  } r;
  c_->OnUpdateControl = TcxUpdateControlEvent(&r, &Rec::Update);
  c_->ChangeFocusedRowIndex(1);
  EXPECT_EQ(r.Sent, (S{"TcxFocusedRowChangedInfo", "TcxFocusedRecordChangedInfo"}));
  c_->SetMultiSelect(true);  // the focused row stays selected
  EXPECT_EQ(r.Rows, (V{1}));
  c_->ChangeRowSelection(1, false);
  r.Sent.clear();
  r.Rows.clear();
  c_->ChangeRowSelection(2, true);
  EXPECT_EQ(r.Sent, (S{"TcxSelectionChangedInfo"}));
  EXPECT_EQ(r.Rows, (V{2}));
  r.Rows.clear();
  c_->ChangeRowSelection(3, true);  // a second row: any row may have changed
  EXPECT_TRUE(r.Rows.empty());
  EXPECT_EQ(r.Sent.size(), 2u);
}

namespace {

struct Keyed : TcxDataController {
  using TcxDataController::TcxDataController;
  bool IsSmartRefresh() const override { return true; }
  void GetKeyFields(std::vector<TcxCustomDataField*>& AFields) const override {
    AFields.push_back(Fields()->GetItem(0));
  }
};

class Keys : public Groups {
 protected:
  TcxCustomDataController* Make() override { return New<Keyed>(nullptr); }
  V SelectedRecords() const {
    V r;
    for (Integer i = 0; i < c_->GetSelectedCount(); ++i)
      r.push_back(c_->GetRowInfo(c_->GetSelectedRowIndex(i)).RecordIndex);
    return r;
  }
};

}  // namespace

TEST_F(Keys, SelectedRowsComeBackByKeyFirstMatchFirst) {
  AddItems({IntType()});
  Fill({{10}, {20}, {30}, {20}});
  c_->SetMultiSelect(true);
  c_->ChangeRowSelection(1, true);
  c_->ChangeRowSelection(2, true);
  c_->ChangeRowSelection(3, true);
  c_->BeginSaveKeys();
  c_->BeginSaveKeys();  // nested: counted only
  c_->DeleteRecord(0);  // 20, 30, 20
  c_->AppendRecord();
  c_->SetValue(3, 0, 20);  // 20, 30, 20, 20
  c_->EndRestoreKeys();
  EXPECT_EQ(c_->LockCount(), 1);
  c_->EndRestoreKeys();
  EXPECT_EQ(c_->LockCount(), 0);
  // Two saved 20s take the first two records keyed 20; the third 20 stays unselected.
  EXPECT_EQ(SelectedRecords(), (V{0, 1, 2}));

  c_->BeginSaveKeys();
  c_->DeleteRecord(1);  // 20, 20, 20: the saved 30 finds nothing
  c_->EndRestoreKeys();
  EXPECT_EQ(SelectedRecords(), (V{0, 1}));
}

namespace {

// Logs the key of every entry it frees; a second free of one entry would log it twice.
struct LoggingKeys : TcxSelectedKeys {
  using TcxSelectedKeys::TcxSelectedKeys;
  void FreeItem(Integer AIndex) override {
    Freed.push_back(SelectedItems(AIndex)->Key.AsInteger());
    TcxSelectedKeys::FreeItem(AIndex);
  }
  V Freed;
};

}  // namespace

TEST_F(Keys, EveryEntryIsFreedOnceThroughTheFreeSlot) {
  AddItems({IntType()});
  Fill({{30}, {10}, {20}});
  c_->SetMultiSelect(true);
  c_->SelectAll();
  Owned<LoggingKeys> keys(New<LoggingKeys>(c_.get()));
  keys->Save();
  ASSERT_EQ(keys->Count(), 3);
  EXPECT_EQ(keys->SelectedItems(0)->Key.AsInteger(), 10);  // sorted by key
  EXPECT_EQ(keys->SelectedItems(0)->SelectionIndex, 1);
  c_->SetValue(1, 0, 11);  // 30, 11, 20: the saved 10 finds nothing
  keys->Restore();
  EXPECT_EQ(keys->Freed, (V{30, 20}));  // matched in record order
  EXPECT_EQ(SelectedRecords(), (V{0, 2}));
  keys->Clear();
  EXPECT_EQ(keys->Freed, (V{30, 20, 10}));
  EXPECT_EQ(keys->Count(), 0);
  keys->Save();
  keys->Freed.clear();
  keys->Save();  // saving again clears first
  EXPECT_EQ(keys->Freed, (V{20, 30}));
}

namespace {

// Plays the summary: each group's only summary value is its record count.
struct Counting : TcxDataController {
  using TcxDataController::TcxDataController;
  void CalculateGroupSummaries() override {
    TcxDataGroups* groups = DataControllerInfo()->Groups();
    for (Integer g = 0; g < groups->Count(); ++g) {
      Variant v = VarArrayCreate(0, 0, varVariant);
      VarArrayPut(v, groups->Items(g).ChildCount, 0);
      groups->Items(g).SummaryValues = v;
    }
  }
};

class SummarySorting : public Groups {
 protected:
  TcxCustomDataController* Make() override { return New<Counting>(nullptr); }
};

}  // namespace

TEST_F(SummarySorting, GroupsOrderedByTheirSummaryValue) {
  AddItems({StrType()});
  Fill({{"A"}, {"B"}, {"C"}, {"B"}, {"C"}, {"C"}});
  G()->ChangeGrouping(0, 0);
  EXPECT_EQ(Layout(), (S{"g0:0", "g0:1", "g0:2"}));  // A 1, B 2, C 3
  c_->SortGroupsBySummary(0, soDescending);
  EXPECT_TRUE(c_->IsSortingBySummary());
  EXPECT_EQ(Layout(), (S{"g0:2", "g0:1", "g0:0"}));
  G()->ChangeExpanding(1, true, false);  // B
  EXPECT_EQ(Layout(), (S{"g0:2", "g0+:1", "1", "3", "g0:0"}));
  EXPECT_EQ(c_->GetRowIndexByRecordIndex(3, false), 3);
  EXPECT_EQ(c_->GetRowIndexByRecordIndex(5, true), 3);  // C opens
  EXPECT_EQ(Layout(), (S{"g0+:2", "2", "4", "5", "g0+:1", "1", "3", "g0:0"}));
  c_->SetValue(0, 0, "C");  // a fourth C, kept first after the reload
  EXPECT_EQ(Layout(), (S{"g0+:0", "0", "2", "4", "5", "g0+:1", "1", "3"}));
  c_->SortGroupsBySummary(-1, soNone);
  EXPECT_FALSE(c_->IsSortingBySummary());
  EXPECT_EQ(Layout(), (S{"g0+:1", "1", "3", "g0+:0", "0", "2", "4", "5"}));
}

TEST(DataSelection, ResizeAndTheAnchor) {
  Owned<TcxDataSelection> s(New<TcxDataSelection>());
  s->Resize(3);
  ASSERT_EQ(s->Count(), 3);
  EXPECT_EQ(s->Items(2).RowIndex, 2);
  EXPECT_EQ(s->Items(2).Index, 2);
  s->SetAnchorRowIndex(2);
  s->Resize(1);
  EXPECT_EQ(s->Count(), 1);
  EXPECT_EQ(s->AnchorRowIndex(), -1);  // its row's entry went
  Integer at = -1;
  EXPECT_FALSE(s->FindByRowIndex(5, at));
  EXPECT_EQ(at, 1);
}

TEST_F(Groups, AnEditedRecordStaysInItsGroupUntilPosted) {
  using enum TcxDataEditValueSource;
  AddItems({StrType(), IntType()});
  // Both ways of comparing: values read out of the buffers, and the fetched values that
  // a case-insensitive order compares.
  for (bool fetched : {false, true}) {
    SCOPED_TRACE(fetched);
    TcxDataControllerOptions options = c_->Options();
    if (fetched) options.Include(dcoCaseInsensitive);
    c_->SetOptions(options);
    G()->ClearGrouping();
    Fill({{"A", 1}, {"A", 2}, {"A", 3}, {"B", 4}});
    G()->ChangeGrouping(0, 0);
    c_->ChangeFocusedRecordIndex(1);
    c_->Edit();
    c_->SetEditValue(0, "Z", evsValue);
    // The focus opened A's group.
    EXPECT_EQ(Layout(), (S{"g0+:0", "0", "1", "2", "g0:3"}));
    c_->PostEditing();
    EXPECT_EQ(Layout(), (S{"g0+:0", "0", "2", "g0:3", "g0+:1", "1"}));

    // Edited into the value of the group after it: still its own group's member.
    c_->ChangeFocusedRecordIndex(2);
    c_->Edit();
    c_->SetEditValue(0, "B", evsValue);
    EXPECT_EQ(Layout(), (S{"g0+:0", "0", "2", "g0:3", "g0+:1", "1"}));
    c_->Cancel();
  }
}

TEST_F(Groups, AnInsertedRecordJoinsTheGroupOfTheRecordAfterIt) {
  AddItems({StrType()});
  Fill({{"A"}, {"B"}, {"B"}});
  // The new record keeps its own (null) value: only its place decides its group.
  c_->SetOptions(c_->Options() - TcxDataControllerOptions{dcoAssignGroupingValues});
  G()->ChangeGrouping(0, 0);
  G()->FullExpand();  // g(A) 0 g(B) 1 2
  c_->ChangeFocusedRowIndex(3);
  c_->Insert();  // before record 1: a new record 1 of no value yet, B's first member
  const Integer inserted = c_->GetEditingRecordIndex();
  EXPECT_EQ(inserted, 1);
  EXPECT_EQ(Layout(), (S{"g0+:0", "0", "g0+:1", "1", "2", "3"}));
  c_->Cancel();

  // With nothing after it, it joins the last group.
  c_->ChangeFocusedRowIndex(4);
  c_->Append();
  EXPECT_EQ(c_->GetEditingRecordIndex(), 3);
  EXPECT_EQ(Layout(), (S{"g0+:0", "0", "g0+:1", "1", "2", "3"}));
  c_->Cancel();
}
