// Deleting the selected records of a loaded controller that knows its records by key: the
// records selected go, also among records sharing a key, and the controller then shows what
// a new one shows; a deletion reaches its records
// by key without reading the others, and what the data set's handlers change meanwhile is
// shown too.
#include "tests/databinding/DBDataTestSupport.h"
#include "tests/databinding/TestDataSets.h"

#include "classlib/core/SysUtils.h"

#include <algorithm>
#include <set>

using enum TFieldType;

namespace {

struct Hider : TObject {
  // Hides the records whose F is 1.
  void Filter(TDataSet* ADataSet, bool& AAccept) {
    AAccept = ADataSet->FieldByName("F")->Value() != Variant(Integer(1));
  }
};

struct Changer : TObject {
  // Once armed, the first AfterDelete changes the record the data set stands on, or adds one.
  void AfterDelete(TDataSet* ADataSet) {
    if (!Armed || ADataSet->IsEmpty()) return;
    Armed = false;
    if (Append) {
      ADataSet->Append();
      ADataSet->FieldByName("RECID")->SetValue(Variant(Integer(900)));
      ADataSet->FieldByName("K")->SetValue(Variant(Integer(900)));
    } else {
      ADataSet->Edit();
      ADataSet->FieldByName("S")->SetValue(Variant("changed"));
    }
    ADataSet->Post();
  }
  bool Armed = false;
  bool Append = false;
};

using Rows = std::vector<std::vector<Variant>>;

class DBDataKeyedDelete : public DBDataTest {
 protected:
  // ANumber records: RECID 1.. (unique), K (repeated whole numbers, some Null), S (repeated
  // texts, some Null), F (0..3).
  void Fill(std::mt19937& AGen, Integer ANumber) {
    Counting = MakeTestDataSet<TTestCountingDataSet>(
        Owner.get(),
        {{"RECID", ftInteger}, {"K", ftInteger}, {"S", ftString, 10}, {"F", ftInteger}});
    DS = Counting;
    for (Integer i = 1; i <= ANumber; ++i) {
      const Variant k =
          AGen() % 8 == 0 ? Null() : Variant(Integer(AGen() % unsigned(ANumber / 3 + 1)));
      const Variant s =
          AGen() % 8 == 0 ? Null() : Variant(String("s") + IntToStr(Integer(AGen() % 9)));
      DS->AddRecord({i, k, s, Integer(AGen() % 4)});
    }
    Source = New<TDataSource>(Owner.get());
    Source->SetDataSet(DS);
  }
  TcxDBDataController* Configure(TcxDBDataController* AController, const String& AKeys, bool ASmart,
                                 bool ASorted) {
    AddItems(AController, {"RECID", "K", "S"});
    AController->SetKeyFieldNames(AKeys);
    AController->DataModeController()->SetSmartRefresh(ASmart);
    // S has repeated values: ties keep the data set's order.
    if (ASorted) AController->ChangeSortingOrder(2, TcxDataSortOrder::soDescending);
    AController->SetDataSource(Source);
    return AController;
  }
  static Rows ShownBy(TcxDBDataController* AController) {
    Rows r;
    for (Integer i = 0; i < AController->GetRowCount(); ++i) {
      const Integer record = AController->GetRowInfo(i).RecordIndex;
      r.push_back({AController->GetItemValue(record, 0), AController->GetItemValue(record, 1),
                   AController->GetItemValue(record, 2)});
    }
    return r;
  }
  Rows Fresh(const String& AKeys, bool ASmart, bool ASorted) {
    Owned<TcxDBDataController> fresh(New<TcxDBDataController>(nullptr));
    Configure(fresh.get(), AKeys, ASmart, ASorted);
    return ShownBy(fresh.get());
  }
  // Every stored record's RECID and its values of AKeyFields, hidden ones included.
  std::vector<std::pair<Integer, Variant>> Stored(const String& AKeyFields) {
    std::vector<std::pair<Integer, Variant>> r;
    const bool filtered = DS->Filtered();
    DS->SetFiltered(false);
    DS->DisableControls();
    for (DS->First(); !DS->Eof(); DS->Next())
      r.emplace_back(DS->FieldByName("RECID")->Value().AsInteger(), DS->GetFieldValues(AKeyFields));
    DS->EnableControls();
    DS->SetFiltered(filtered);
    return r;
  }

  TTestCountingDataSet* Counting = nullptr;
  Hider Hide;
  Changer Change;
};

}  // namespace

// Random selections over records with repeated and Null keys, one key field of either type or
// two, a data set filtered by its text or by a handler or not, a sorted controller or not,
// smart refresh or not: the records deleted are exactly those selected, and the controller
// then shows what a new one shows.
TEST_F(DBDataKeyedDelete, DeletesWhatAWalkDeletesAndShowsWhatANewControllerShows) {
  Integer deleted = 0;
  for (const char* keys : {"K", "S", "K;S"})
    for (Integer filter = 0; filter < 3; ++filter)
      for (bool smart : {false, true})
        for (bool sorted : {false, true})
          for (unsigned seed = 1; seed <= 3; ++seed) {
            SCOPED_TRACE(std::string("keys ") + keys + ", filter " + std::to_string(filter) +
                         (smart ? ", smart" : "") + (sorted ? ", sorted" : "") + ", seed " +
                         std::to_string(seed));
            std::mt19937 gen(seed * 131 + unsigned(filter));
            Fill(gen, 60);
            if (filter == 1) {
              DS->SetFilter("F <> 1");
              DS->SetFiltered(true);
            } else if (filter == 2) {
              DS->OnFilterRecord = TFilterRecordEvent(&Hide, &Hider::Filter);
              DS->SetFiltered(true);
            }
            DS->Open();
            C.reset(New<TcxDBDataController>(nullptr));
            Configure(C.get(), keys, smart, sorted);
            // Searches by key before: the data set's index, where one serves, is built.
            for (Integer i = 0; i < 3; ++i) DS->Locate(keys, DS->GetFieldValues(keys), {});
            C->SetMultiSelect(true);
            C->ClearSelection();
            for (Integer row = 0; row < C->GetRowCount(); ++row)
              if (gen() % 3 == 0) C->ChangeRowSelection(row, true);
            auto selectedIds = [&] {
              std::set<Integer> r;
              for (Integer i = 0; i < C->GetSelectedCount(); ++i) {
                const Integer record = C->GetRowInfo(C->GetSelectedRowIndex(i)).RecordIndex;
                r.insert(C->GetItemValue(record, 0).AsInteger());
              }
              return r;
            };
            const std::set<Integer> selected = selectedIds();
            ASSERT_FALSE(selected.empty());
            // Reading every record (the filter off and on again) keeps the same records
            // selected, also among records sharing a key.
            std::vector<Integer> want;
            for (const auto& entry : Stored(keys))
              if (!selected.count(entry.first)) want.push_back(entry.first);
            EXPECT_EQ(selectedIds(), selected);
            deleted += Integer(Stored(keys).size() - want.size());
            C->DeleteSelection();
            EXPECT_EQ(ShownBy(C.get()), Fresh(keys, smart, sorted));
            EXPECT_GE(C->GetFocusedRecordIndex(), C->GetRecordCount() > 0 ? 0 : -1);
            std::vector<Integer> got;
            for (const auto& entry : Stored(keys)) got.push_back(entry.first);
            EXPECT_EQ(got, want);
            C.reset();
            Items.clear();
          }
  EXPECT_GT(deleted, 1000);
}

// With the data set's key index built, deleting a few records by a key of their own reads a
// few records, not every record before the last one deleted. (With repeated keys smart
// refresh cannot tell which of a key's records went, and reads the data set again.)
TEST_F(DBDataKeyedDelete, ReachesEachRecordByItsKey) {
  for (const char* keys : {"RECID"}) {
    SCOPED_TRACE(keys);
    std::mt19937 gen(5);
    Fill(gen, 400);
    DS->Open();
    C.reset(New<TcxDBDataController>(nullptr));
    Configure(C.get(), keys, true, false);
    for (Integer i = 0; i < 3; ++i) DS->Lookup(keys, "absent", "RECID");
    C->SetMultiSelect(true);
    C->ClearSelection();
    for (Integer row : {3, 150, 398, 399}) C->ChangeRowSelection(row, true);
    // The index answers from here on.
    DS->Lookup(keys, "absent", "RECID");
    const Integer before = Counting->Reads();
    const Integer count = C->GetRecordCount();
    C->DeleteSelection();
    EXPECT_EQ(C->GetRecordCount(), count - 4);
    EXPECT_EQ(DS->RecordCount(), count - 4);
    EXPECT_LT(Counting->Reads() - before, 60);
    EXPECT_EQ(ShownBy(C.get()), Fresh(keys, true, false));
    C.reset();
    Items.clear();
  }
}

// A data-set handler that changes a record, or adds one, while the controller deletes: the
// controller shows the data set as the deletion left it, as a new controller does.
TEST_F(DBDataKeyedDelete, WhatAHandlerChangesDuringTheDeletionIsShown) {
  for (bool append : {false, true})
    for (bool selection : {false, true})
      for (bool smart : {false, true}) {
        SCOPED_TRACE(std::string(append ? "append" : "edit") +
                     (selection ? ", selection" : ", focused") + (smart ? ", smart" : ""));
        std::mt19937 gen(9);
        Fill(gen, 30);
        DS->AfterDelete = TDataSetNotifyEvent(&Change, &Changer::AfterDelete);
        DS->Open();
        C.reset(New<TcxDBDataController>(nullptr));
        Configure(C.get(), "RECID", smart, false);
        C->SetMultiSelect(true);
        C->ClearSelection();
        C->ChangeRowSelection(4, true);
        if (selection) C->ChangeRowSelection(12, true);
        C->ChangeFocusedRowIndex(4);
        Change.Armed = true;
        Change.Append = append;
        if (selection)
          C->DeleteSelection();
        else
          C->DeleteFocused();
        EXPECT_FALSE(Change.Armed);
        EXPECT_EQ(DS->RecordCount(), 30 - (selection ? 2 : 1) + (append ? 1 : 0));
        EXPECT_EQ(ShownBy(C.get()), Fresh("RECID", smart, false));
        C.reset();
        Items.clear();
      }
}
