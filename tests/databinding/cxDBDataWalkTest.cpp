// Walks of the data set inside DisableControls/EnableControls: one that only moved reads
// nothing again and the focus follows the data set; one that changed anything is read as a
// new controller reads it.
#include "tests/databinding/DBDataTestSupport.h"
#include "tests/databinding/TestDataSets.h"

#include "classlib/core/SysUtils.h"

using enum TFieldType;

namespace {

// What a controller shows: each row's values in row order, and the focused row.
struct Shown {
  std::vector<std::vector<Variant>> Rows;
  Integer FocusedRow = -1;
  bool operator==(const Shown&) const = default;
};

std::ostream& operator<<(std::ostream& AOut, const Shown& AShown) {
  AOut << "focused row " << AShown.FocusedRow << ", rows:";
  for (const auto& r : AShown.Rows) {
    AOut << " (";
    for (const Variant& v : r) AOut << (VarIsNull(v) ? String("null") : v.AsString()) << ' ';
    AOut << ')';
  }
  return AOut;
}

class DBDataWalk : public DBDataTest {
 protected:
  void SetUp() override {
    DBDataTest::SetUp();
    Counting = MakeTestDataSet<TTestCountingDataSet>(Owner.get(),
                                                     {{"ID", ftInteger}, {"N", ftString, 10}});
    DS = Counting;
    for (Integer i = 1; i <= 20; ++i) DS->AddRecord({i, String("n") + IntToStr(i % 7)});
    Source = New<TDataSource>(Owner.get());
    Source->SetDataSet(DS);
    DS->Open();
    NextID = 21;
  }
  // A controller with the settings under test: keys or none, smart refresh, sorted by ID
  // (unique, so that every controller orders the rows alike) up or down or not at all.
  TcxDBDataController* Configure(TcxDBDataController* AController, const String& AKeys, bool ASmart,
                                 Integer ASort) {
    AddItems(AController, {"ID", "N"});
    AController->SetKeyFieldNames(AKeys);
    AController->DataModeController()->SetSmartRefresh(ASmart);
    if (ASort == 1) AController->ChangeSortingOrder(0, TcxDataSortOrder::soAscending);
    if (ASort == 2) AController->ChangeSortingOrder(0, TcxDataSortOrder::soDescending);
    AController->SetDataSource(Source);
    return AController;
  }
  static Shown ShownBy(TcxDBDataController* AController) {
    Shown s;
    for (Integer i = 0; i < AController->GetRowCount(); ++i) {
      const Integer r = AController->GetRowInfo(i).RecordIndex;
      s.Rows.push_back({AController->GetItemValue(r, 0), AController->GetItemValue(r, 1)});
    }
    s.FocusedRow = AController->GetFocusedRowIndex();
    return s;
  }
  // What a new controller of the same settings shows of the data set as it stands.
  Shown Fresh(const String& AKeys, bool ASmart, Integer ASort) {
    Owned<TcxDBDataController> fresh(New<TcxDBDataController>(nullptr));
    Configure(fresh.get(), AKeys, ASmart, ASort);
    return ShownBy(fresh.get());
  }
  Integer CurrentID() const { return DS->FieldByName("ID")->Value().AsInteger(); }
  Integer FocusedID() const { return C->GetItemValue(C->GetFocusedRecordIndex(), 0).AsInteger(); }

  TTestCountingDataSet* Counting = nullptr;
  Integer NextID = 0;
};

TEST_F(DBDataWalk, AWalkThatOnlyMovedReadsNoRecordAndTheFocusFollowsTheDataSet) {
  for (const char* keys : {"", "ID"})
    for (Integer sort : {0, 2}) {
      const String k = keys;
      C.reset();
      C.reset(Configure(New<TcxDBDataController>(nullptr), k, false, sort));
      for (Integer stop : {0, 7, 19, 20}) {
        DS->DisableControls();
        DS->First();
        for (Integer i = 0; i < stop; ++i) DS->Next();
        const Integer reads = Counting->Reads();
        DS->EnableControls();
        EXPECT_EQ(Counting->Reads(), reads)
            << "keys '" << keys << "' sort " << sort << " stop " << stop;
        EXPECT_EQ(FocusedID(), CurrentID())
            << "keys '" << keys << "' sort " << sort << " stop " << stop;
        EXPECT_EQ(ShownBy(C.get()), Fresh(k, false, sort)) << "keys '" << keys << "' sort " << sort;
      }
    }
}

TEST_F(DBDataWalk, AfterASmartRefreshInsertTheFocusFindsTheRecordWhereverItIsStored) {
  C.reset(Configure(New<TcxDBDataController>(nullptr), "ID", true, 0));
  // Inserted third in the data set through the controller, and kept by smart refresh
  // wherever it stores it.
  C->ChangeFocusedRowIndex(2);
  C->Insert();
  C->SetEditValue(0, Variant(99), TcxDataEditValueSource::evsValue);
  C->PostEditing();
  ASSERT_EQ(C->GetRecordCount(), 21);
  DS->DisableControls();
  DS->Last();
  DS->First();
  DS->MoveBy(2);
  const Integer reads = Counting->Reads();
  DS->EnableControls();
  EXPECT_EQ(Counting->Reads(), reads);
  EXPECT_EQ(FocusedID(), 99);
  // And the record now at the third place, where the stored one was another.
  DS->DisableControls();
  DS->First();
  DS->MoveBy(20);
  DS->EnableControls();
  EXPECT_EQ(CurrentID(), 20);
  EXPECT_EQ(FocusedID(), 20);
}

// A walk that moves at random and changes the data set in one of every way it can (or in
// none), against a new controller reading the data set after it.
TEST_F(DBDataWalk, EveryKindOfChangeInsideAWalkIsSeenAsANewControllerSeesIt) {
  std::mt19937 random(20240611);
  auto pick = [&](Integer lo, Integer hi) {
    return std::uniform_int_distribution<Integer>(lo, hi)(random);
  };
  const Integer kinds = 11;
  for (Integer round = 0; round < 6 * kinds; ++round) {
    const String keys = round % 2 ? "ID" : "";
    const bool smart = keys == "ID" && pick(0, 1) == 1;
    const Integer sort = pick(0, 2);
    C.reset();
    C.reset(Configure(New<TcxDBDataController>(nullptr), keys, smart, sort));
    // An edit posted with the controls enabled first, so that smart refresh has stored
    // records out of the data set's order.
    if (smart && !DS->IsEmpty() && pick(0, 1) == 1) {
      DS->Insert();
      DS->FieldByName("ID")->SetValue(Variant(NextID++));
      DS->Post();
    }
    const Integer kind = round % kinds;
    auto move = [&] {
      switch (pick(0, 4)) {
        case 0:
          DS->First();
          break;
        case 1:
          DS->Last();
          break;
        case 2:
          DS->MoveBy(pick(-5, 5));
          break;
        case 3:
          DS->Locate("ID", Variant(pick(1, NextID)), TLocateOptions());
          break;
        default:
          if (DS->RecordCount() > 0) DS->SetRecNo(pick(1, DS->RecordCount()));
      }
    };
    DS->DisableControls();
    move();
    switch (kind) {
      case 0:
        break;  // nothing but moves
      case 1:
        if (!DS->IsEmpty()) {
          DS->Edit();
          DS->FieldByName("N")->SetValue(Variant(String("e") + IntToStr(round)));
          DS->Post();
        }
        break;
      case 2:
        DS->Insert();
        DS->FieldByName("ID")->SetValue(Variant(NextID++));
        DS->Post();
        break;
      case 3:
        DS->Append();
        DS->FieldByName("ID")->SetValue(Variant(NextID++));
        DS->FieldByName("N")->SetValue(Variant("app"));
        DS->Post();
        break;
      case 4:
        if (!DS->IsEmpty()) DS->Delete();
        break;
      case 5:
        DS->SetFilter("ID > " + IntToStr(pick(0, 15)));
        DS->SetFiltered(!DS->Filtered());
        break;
      case 6:
        DS->Refresh();
        break;
      case 7:
        DS->Close();
        DS->Open();
        break;
      case 8:
        DS->AddRecord({NextID++, Variant("added")});
        break;
      case 9:
        // An edit given up: nothing stored changed, though the state did.
        if (!DS->IsEmpty()) {
          DS->Edit();
          DS->FieldByName("N")->SetValue(Variant("gone"));
          DS->Cancel();
        }
        break;
      default:
        DS->EmptyDataSet();
        for (Integer i = 0; i < pick(0, 12); ++i) DS->AddRecord({NextID++, Variant("re")});
        DS->First();
    }
    move();
    DS->EnableControls();
    const Shown fresh = Fresh(keys, smart, sort);
    EXPECT_EQ(ShownBy(C.get()), fresh) << "round " << round << " kind " << kind << " keys '" << keys
                                       << "' smart " << smart << " sort " << sort;
    if (!DS->IsEmpty()) {
      EXPECT_EQ(FocusedID(), CurrentID()) << "round " << round << " kind " << kind;
    }
  }
}

}  // namespace
