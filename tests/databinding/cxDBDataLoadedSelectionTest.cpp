// The selection of a loaded controller across the reads of every record: it stays on the
// records the user selected, by their keys or, without key fields, by the data set's
// bookmarks; a record that is gone or hidden leaves it, and no entry ever moves onto
// another record.
#include "tests/databinding/DBDataTestSupport.h"

#include "classlib/core/SysUtils.h"
#include "widgets/databinding/cxDBFilter.h"

#include <set>

using enum TFieldType;

namespace {

class DBDataLoadedSelection : public DBDataTest {
 protected:
  // Records ID 1..8; a multi-select controller, with key fields or without, sorted by
  // NAME descending or not.
  void Make(bool AKeys, bool ASorted) {
    std::vector<std::vector<Variant>> rows;
    for (Integer i = 1; i <= 8; ++i) rows.push_back({i, String("n") + IntToStr(i)});
    MakeDataSet({{"ID", ftInteger}, {"NAME", ftString, 10}}, rows);
    DS->Open();
    MakeController({"ID", "NAME"}, AKeys ? "ID" : "");
    if (ASorted) C->ChangeSortingOrder(1, TcxDataSortOrder::soDescending);
    C->SetMultiSelect(true);
  }
  void Select(std::initializer_list<Integer> AIDs) {
    C->ClearSelection();
    for (Integer id : AIDs) {
      Integer row = -1;
      for (Integer r = 0; r < C->GetRowCount(); ++r)
        if (C->GetItemValue(C->GetRowInfo(r).RecordIndex, 0) == Variant(id)) row = r;
      ASSERT_GE(row, 0) << id;
      C->ChangeRowSelection(row, true);
    }
  }
  std::set<Integer> SelectedIDs() const {
    std::set<Integer> r;
    for (Integer i = 0; i < C->GetSelectedCount(); ++i) {
      const Integer row = C->GetSelectedRowIndex(i);
      r.insert(C->GetItemValue(C->GetRowInfo(row).RecordIndex, 0).AsInteger());
    }
    return r;
  }
  // Every record of the data set, filtered or not.
  std::set<Integer> StoredIDs() const {
    std::set<Integer> r;
    for (Integer id = 1; id <= 120; ++id)
      if (!VarIsNull(DS->Lookup("ID", id, "ID"))) r.insert(id);
    return r;
  }
  TcxDBDataFilterCriteria* Filter() const {
    return static_cast<TcxDBDataFilterCriteria*>(C->Filter());
  }
  void End() {
    C.reset();
    Items.clear();
  }
};

TEST_F(DBDataLoadedSelection, StaysOnItsRecordsWhateverHappensToOthersFromOutside) {
  for (bool keys : {false, true})
    for (bool sorted : {false, true}) {
      const std::string what = std::string(keys ? "keys" : "no keys") + (sorted ? ", sorted" : "");
      Make(keys, sorted);
      Select({5, 6});
      // A record before them goes.
      ASSERT_TRUE(DS->Locate("ID", 1, TLocateOptions()));
      DS->Delete();
      EXPECT_EQ(SelectedIDs(), (std::set<Integer>{5, 6})) << what;
      // One is added (an insert before them would clear the selection, as any insert does).
      DS->Append();
      DS->FieldByName("ID")->SetValue(Variant(100));
      DS->Post();
      EXPECT_EQ(SelectedIDs(), (std::set<Integer>{5, 6})) << what;
      // One of them is changed: it is still the record selected.
      ASSERT_TRUE(DS->Locate("ID", 6, TLocateOptions()));
      DS->Edit();
      DS->FieldByName("NAME")->SetValue(Variant("changed"));
      DS->Post();
      EXPECT_EQ(SelectedIDs(), (std::set<Integer>{5, 6})) << what;
      // One of them goes: its entry goes with it, and moves onto no other record.
      ASSERT_TRUE(DS->Locate("ID", 5, TLocateOptions()));
      DS->Delete();
      EXPECT_EQ(SelectedIDs(), (std::set<Integer>{6})) << what;
      C->Refresh();
      EXPECT_EQ(SelectedIDs(), (std::set<Integer>{6})) << what;
      // Deleting the selection deletes that one only.
      C->DeleteSelection();
      EXPECT_EQ(StoredIDs(), (std::set<Integer>{2, 3, 4, 7, 8, 100})) << what;
      End();
    }
}

TEST_F(DBDataLoadedSelection, ARecordTheDataSetsFilterHidesLeavesItAndIsNotDeleted) {
  for (bool keys : {false, true}) {
    const std::string what = keys ? "keys" : "no keys";
    Make(keys, false);
    Filter()->SetAutoDataSetFilter(true);
    Select({2, 3, 4});
    Filter()->AddItem(Filter()->Root(), Items[0].get(), TcxFilterOperatorKind::foNotEqual, 3, "3");
    Filter()->SetActive(true);
    ASSERT_TRUE(DS->Filtered()) << what;
    EXPECT_EQ(SelectedIDs(), (std::set<Integer>{2, 4})) << what;
    // Shown again, the hidden record is not selected again.
    Filter()->SetActive(false);
    ASSERT_FALSE(DS->Filtered()) << what;
    EXPECT_EQ(SelectedIDs(), (std::set<Integer>{2, 4})) << what;
    C->DeleteSelection();
    EXPECT_EQ(StoredIDs(), (std::set<Integer>{1, 3, 5, 6, 7, 8})) << what;
    End();
  }
}

}  // namespace

namespace {

TEST_F(DBDataLoadedSelection,
       DeletingTheSelectionDeletesItsRecordsWhenPostingAnEditMovesTheOthers) {
  // An edit from outside that the data set's filter hides once it is posted: the selected
  // records stand at other places after the post that deleting runs first.
  for (bool keys : {false, true}) {
    const std::string what = keys ? "keys" : "no keys";
    Make(keys, false);
    Filter()->SetAutoDataSetFilter(true);
    Filter()->AddItem(Filter()->Root(), Items[1].get(), TcxFilterOperatorKind::foNotEqual, "x",
                      "x");
    Filter()->SetActive(true);
    Select({4, 5});
    ASSERT_TRUE(DS->Locate("ID", 2, TLocateOptions()));
    DS->Edit();
    DS->FieldByName("NAME")->SetValue(Variant("x"));
    ASSERT_EQ(SelectedIDs(), (std::set<Integer>{4, 5})) << what;
    C->DeleteSelection();
    Filter()->SetActive(false);
    EXPECT_EQ(StoredIDs(), (std::set<Integer>{1, 2, 3, 6, 7, 8})) << what;
    EXPECT_EQ(DS->Lookup("ID", 2, "NAME"), Variant("x")) << what;
    End();
  }
}

}  // namespace
