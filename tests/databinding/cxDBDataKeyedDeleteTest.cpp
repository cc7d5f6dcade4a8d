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

// K2: twice K, computed.
struct Doubler : TObject {
  void Calc(TDataSet* ADataSet) {
    const Variant k = ADataSet->FieldByName("K")->Value();
    ADataSet->FieldByName("K2")->SetValue(VarIsNull(k) ? Null() : Variant(2 * k.AsInteger()));
  }
};

using Rows = std::vector<std::vector<Variant>>;

class DBDataKeyedDelete : public DBDataTest {
 protected:
  // ANumber records: RECID 1.. (unique), K (repeated whole numbers, some Null), S (repeated
  // texts, some Null), F (0..3).
  // With ACalc, persistent fields and a calculated K2.
  void Fill(std::mt19937& AGen, Integer ANumber, bool ACalc = false) {
    Counting = MakeTestDataSet<TTestCountingDataSet>(
        Owner.get(),
        {{"RECID", ftInteger}, {"K", ftInteger}, {"S", ftString, 10}, {"F", ftInteger}});
    DS = Counting;
    if (ACalc) {
      AddTestField<TIntegerField>(Owner.get(), DS, "RECID");
      AddTestField<TIntegerField>(Owner.get(), DS, "K");
      AddTestField<TStringField>(Owner.get(), DS, "S");
      AddTestField<TIntegerField>(Owner.get(), DS, "F");
      AddTestField<TIntegerField>(Owner.get(), DS, "K2")->SetFieldKind(TFieldKind::fkCalculated);
      DS->OnCalcFields = TDataSetNotifyEvent(&Double, &Doubler::Calc);
    }
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

  // A grid-mode controller with a window of ABuffer rows over RECID, K, S (and K2).
  void OpenGridMode(Integer ABuffer, bool ACalc) {
    C.reset(New<TcxDBDataController>(nullptr));
    AddItems(C.get(), {"RECID", "K", "S"});
    if (ACalc) AddItems(C.get(), {"K2"});
    C->DataModeController()->SetGridModeBufferCount(ABuffer);
    C->DataModeController()->SetGridMode(true);
    C->SetDataSource(Source);
    C->SetMultiSelect(true);
    C->ClearSelection();
  }
  // The records a walk of the data set shows (read where they stand, nothing moved), as the
  // controller's items read them.
  Rows Visible(bool ACalc) {
    Rows r;
    DS->ReadRecords([&](const TBookmarkStr&) {
      r.push_back({DS->FieldByName("RECID")->Value(), DS->FieldByName("K")->Value(),
                   DS->FieldByName("S")->Value()});
      if (ACalc) r.back().push_back(DS->FieldByName("K2")->Value());
      return true;
    });
    return r;
  }
  // The grid-mode rows are records of a walk in a row, as many as the window holds, the
  // focused one the data set's current record.
  void ExpectGridWindow(Integer ABuffer, bool ACalc) {
    Rows shown;
    for (Integer i = 0; i < C->GetRowCount(); ++i) {
      const Integer record = C->GetRowInfo(i).RecordIndex;
      shown.push_back({});
      for (Integer item = 0; item < C->GetItemCount(); ++item)
        shown.back().push_back(C->GetItemValue(record, item));
    }
    const Rows visible = Visible(ACalc);
    ASSERT_EQ(Integer(shown.size()), std::min<Integer>(ABuffer, Integer(visible.size())));
    if (shown.empty()) return;
    const auto first = std::find(visible.begin(), visible.end(), shown.front());
    ASSERT_NE(first, visible.end());
    ASSERT_LE(Integer(first - visible.begin()) + Integer(shown.size()), Integer(visible.size()));
    EXPECT_EQ(shown, Rows(first, first + ptrdiff_t(shown.size())));
    const Integer focused = C->GetFocusedRowIndex();
    ASSERT_GE(focused, 0);
    EXPECT_EQ(shown[size_t(focused)][0].AsInteger(), DS->FieldByName("RECID")->GetAsInteger());
  }

  // AKind 0: no filter; 1: a filter text; 2: an OnFilterRecord handler. Both hide F = 1.
  void FilterBy(Integer AKind) {
    if (AKind == 1) {
      DS->SetFilter("F <> 1");
      DS->SetFiltered(true);
    } else if (AKind == 2) {
      DS->OnFilterRecord = TFilterRecordEvent(&Hide, &Hider::Filter);
      DS->SetFiltered(true);
    }
  }

  TTestCountingDataSet* Counting = nullptr;
  Hider Hide;
  Changer Change;
  Doubler Double;
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
            FilterBy(filter);
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

// Grid mode: random selections over a data set filtered or not, with a calculated field or
// not, and a handler that edits a record or adds one as the first record goes: the records
// deleted are exactly those selected, and the window then shows what a walk reads.
TEST_F(DBDataKeyedDelete, GridModeDeletesTheSelectionAndShowsWhatAWalkReads) {
  Integer deleted = 0;
  for (Integer filter = 0; filter < 3; ++filter)
    for (bool calc : {false, true})
      for (Integer handler = 0; handler < 3; ++handler)
        for (unsigned seed = 1; seed <= 3; ++seed) {
          SCOPED_TRACE("filter " + std::to_string(filter) + (calc ? ", calculated" : "") +
                       ", handler " + std::to_string(handler) + ", seed " + std::to_string(seed));
          std::mt19937 gen(seed * 17 + unsigned(filter * 3 + handler));
          Fill(gen, 80, calc);
          FilterBy(filter);
          DS->AfterDelete = TDataSetNotifyEvent(&Change, &Changer::AfterDelete);
          DS->Open();
          const Integer buffer = 3 + Integer(gen() % 8);
          OpenGridMode(buffer, calc);
          std::set<Integer> selected;
          for (const auto& row : Visible(false))
            if (gen() % 4 == 0) selected.insert(row[0].AsInteger());
          if (selected.empty()) continue;
          // Picked in a random order; the selection keeps the data set's.
          std::vector<Integer> picks(selected.begin(), selected.end());
          std::shuffle(picks.begin(), picks.end(), gen);
          for (Integer id : picks) {
            ASSERT_TRUE(DS->Locate("RECID", Variant(id), {}));
            C->ChangeRowSelection(C->GetFocusedRowIndex(), true);
          }
          ASSERT_EQ(C->GetSelectedCount(), Integer(selected.size()));
          std::vector<Integer> want;
          for (const auto& entry : Stored("RECID"))
            if (!selected.count(entry.first)) want.push_back(entry.first);
          Change.Armed = handler > 0;
          Change.Append = handler == 2;
          if (Change.Append) want.push_back(900);
          C->DeleteSelection();
          EXPECT_FALSE(Change.Armed);
          deleted += Integer(selected.size());
          std::vector<Integer> got;
          for (const auto& entry : Stored("RECID")) got.push_back(entry.first);
          EXPECT_EQ(got, want);
          EXPECT_EQ(C->GetSelectedCount(), 0);
          ExpectGridWindow(buffer, calc);
          // Scrolled over the whole data set, every window is what a walk reads.
          C->GotoFirst();
          for (Integer step = 0; step < 30 && !C->IsEOF(); ++step) {
            ExpectGridWindow(buffer, calc);
            C->Scroll(buffer);
          }
          C.reset();
          Items.clear();
          Change.Armed = false;
        }
  EXPECT_GT(deleted, 500);
}

// Grid mode reaches each selected record by its bookmark: deleting a few records of a large
// window reads a few records and the window once, not the window once per record.
TEST_F(DBDataKeyedDelete, GridModeReadsTheRecordsItDeletesAndTheWindowOnce) {
  std::mt19937 gen(3);
  Fill(gen, 400);
  DS->Open();
  OpenGridMode(50, false);
  for (Integer id : {20, 90, 160, 230, 300, 370}) {
    ASSERT_TRUE(DS->Locate("RECID", Variant(id), {}));
    C->ChangeRowSelection(C->GetFocusedRowIndex(), true);
  }
  const Integer before = Counting->Reads();
  C->DeleteSelection();
  EXPECT_EQ(DS->RecordCount(), 394);
  EXPECT_LT(Counting->Reads() - before, 50 + 2 * 6 + 10);
  ExpectGridWindow(50, false);
}
