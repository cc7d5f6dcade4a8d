// Grid mode: the controller's rows are the data set's records around its current one,
// read where they stand; scrolling, the buffer size, bookmarks and row ids follow the data
// set itself.
#include "tests/databinding/DBDataTestSupport.h"

#include "classlib/core/SysUtils.h"
#include "widgets/databinding/cxDBFilter.h"

#include <algorithm>
#include <limits>
#include <map>
#include <random>

using enum TFieldType;

namespace {

// Counts the hooks a grid-mode scroll calls.
class TCountingDBController : public TcxDBDataController {
  TL_CLASS(TCountingDBController, TcxDBDataController)
 public:
  using TcxDBDataController::TcxDBDataController;
  void GridModeScrolled() override {
    ++Scrolled;
    inherited::GridModeScrolled();
  }
  void DataSetPositionChanged() override { ++PositionChanged; }
  Integer Scrolled = 0;
  Integer PositionChanged = 0;
};

// Every record the data set reads runs its calculation: this counts the reads.
class TReadCounter : public TObject {
 public:
  Integer Reads = 0;
  void Count(TDataSet*) { ++Reads; }
};

// Counts the data set's changes its links hear.
class TChangeCounter : public TDataLink {
 public:
  Integer Changes = 0;

 protected:
  void DataSetChanged() override { ++Changes; }
};

}  // namespace

TL_DEFINE_CLASS(TCountingDBController)

class DBGridMode : public DBDataTest {
 protected:
  // ACount records with ID 1..ACount and S "r<ID>", a grid-mode controller over them with
  // a window of ABuffer rows, the data set open on its first record.
  void Open(Integer ACount, Integer ABuffer) {
    std::vector<std::vector<Variant>> rows;
    Model.clear();
    for (Integer i = 1; i <= ACount; ++i) {
      rows.push_back({Variant(i), Variant("r" + IntToStr(i))});
      Model.push_back(i);
    }
    MakeDataSet({{"ID", ftInteger}, {"S", ftString, 10}}, rows);
    C.reset(New<TCountingDBController>(nullptr));
    AddItems(C.get(), {"ID", "S"});
    C->DataModeController()->SetGridModeBufferCount(ABuffer);
    C->DataModeController()->SetGridMode(true);
    C->SetDataSource(Source);
    DS->Open();
  }
  TCountingDBController* Counting() const { return static_cast<TCountingDBController*>(C.get()); }
  Integer CurrentID() const { return DS->FieldByName("ID")->Value().AsInteger(); }
  Integer RowID(Integer ARow) const { return C->GetItemValue(C->GetRowInfo(ARow).RecordIndex, 0).AsInteger(); }
  String RowText(Integer ARow) const { return C->GetItemDisplayText(C->GetRowInfo(ARow).RecordIndex, 1); }
  void Locate(Integer AID) { ASSERT_TRUE(DS->Locate("ID", Variant(AID), TLocateOptions())); }
  // The rows hold ACount records of the data set in a row (Model: the IDs the data set
  // holds, in order), the focused one being its current record, each row's values those
  // of its record.
  void ExpectWindow(Integer ACount) { ExpectWindowOf(C.get(), ACount); }
  void ExpectWindowOf(TcxDBDataController* AController, Integer ACount) {
    auto rowID = [&](Integer ARow) {
      return AController->GetItemValue(AController->GetRowInfo(ARow).RecordIndex, 0).AsInteger();
    };
    ASSERT_EQ(AController->GetRowCount(), ACount);
    ASSERT_EQ(AController->GetRecordCount(), ACount);
    const Integer focused = AController->GetFocusedRowIndex();
    ASSERT_GE(focused, 0);
    EXPECT_EQ(rowID(focused), CurrentID());
    const auto at = std::find(Model.begin(), Model.end(), CurrentID());
    ASSERT_NE(at, Model.end());
    const Integer place = Integer(at - Model.begin());
    ASSERT_GE(place - focused, 0);
    ASSERT_LE(place - focused + ACount, Integer(Model.size()));
    for (Integer r = 0; r < ACount; ++r) {
      EXPECT_EQ(rowID(r), Model[size_t(place - focused + r)]) << "row " << r;
      EXPECT_EQ(AController->GetItemDisplayText(AController->GetRowInfo(r).RecordIndex, 1), "r" + IntToStr(rowID(r)))
          << "row " << r;
    }
  }
  void DeleteID(Integer AID) {
    Locate(AID);
    DS->Delete();
    Model.erase(std::find(Model.begin(), Model.end(), AID));
  }
  std::vector<Integer> Model;
};

TEST_F(DBGridMode, TheRowsAreTheRecordsAroundTheCurrentOne) {
  Open(1000, 10);
  EXPECT_TRUE(C->IsGridMode());
  ExpectWindow(10);
  EXPECT_EQ(RowID(0), 1);
  DS->MoveBy(500);
  EXPECT_EQ(CurrentID(), 501);
  ExpectWindow(10);
  Locate(300);
  ExpectWindow(10);
  DS->Last();
  ExpectWindow(10);
  EXPECT_EQ(RowID(0), 991);
  EXPECT_EQ(C->GetFocusedRowIndex(), 9);
  // Reading a row leaves the data set's current record alone.
  EXPECT_EQ(CurrentID(), 1000);
  // Focusing a row moves the data set there.
  C->ChangeFocusedRowIndex(2);
  EXPECT_EQ(CurrentID(), 993);
  // Loaded mode reads every record again.
  C->DataModeController()->SetGridMode(false);
  EXPECT_FALSE(C->IsGridMode());
  EXPECT_EQ(C->GetRecordCount(), 1000);
}

TEST_F(DBGridMode, ARecordDeletedOrAddedFromOutsideKeepsTheWindowWhole) {
  Open(1000, 10);
  DeleteID(500);
  EXPECT_EQ(CurrentID(), 501);
  ExpectWindow(10);
  for (Integer r = 0; r < C->GetRowCount(); ++r) EXPECT_NE(RowID(r), 500);
  // Fewer records than the window: the window shrinks with them.
  DS->SetFilter("ID <= 4");
  DS->SetFiltered(true);
  EXPECT_EQ(C->GetRowCount(), 4);
  DS->SetFiltered(false);
  ExpectWindow(10);
}

TEST_F(DBGridMode, WithoutABufferCountTheWindowHoldsAHundredRecords) {
  Open(250, 0);
  ExpectWindow(100);
  DS->MoveBy(120);
  ExpectWindow(100);
}

TEST_F(DBGridMode, AForwardOnlyDataSetIsLoaded) {
  std::vector<std::vector<Variant>> rows;
  for (Integer i = 1; i <= 30; ++i) rows.push_back({Variant(i), Variant("r" + IntToStr(i))});
  MakeDataSet({{"ID", ftInteger}, {"S", ftString, 10}}, rows);
  DS->SetUniDirectional(true);
  MakeController({"ID", "S"});
  C->DataModeController()->SetGridModeBufferCount(10);
  C->DataModeController()->SetGridMode(true);
  EXPECT_FALSE(C->IsGridMode());
  DS->SetUniDirectional(false);
  EXPECT_TRUE(C->IsGridMode());
}

TEST_F(DBGridMode, ABufferCountChangeReadsTheWindowAgain) {
  Open(1000, 10);
  Locate(501);
  C->DataModeController()->SetGridModeBufferCount(20);
  EXPECT_FALSE(C->IsGridModeChangePending());
  ExpectWindow(20);
  EXPECT_EQ(CurrentID(), 501);
  C->DataModeController()->SetGridModeBufferCount(4);
  ExpectWindow(4);
  EXPECT_EQ(CurrentID(), 501);
}

TEST_F(DBGridMode, ABufferCountChangedWhileEditingKeepsTheEditAndTheWindowWhole) {
  // Shrinking and growing the window under an edit; then posting or cancelling it.
  for (bool post : {true, false}) {
    SCOPED_TRACE(post ? "posted" : "cancelled");
    Open(100, 10);
    Locate(10);
    C->Edit();
    C->SetEditValue(1, Variant("typed"), TcxDataEditValueSource::evsValue);
    ASSERT_NO_THROW(C->DataModeController()->SetGridModeBufferCount(5));
    EXPECT_EQ(DS->State(), TDataSetState::dsEdit);
    EXPECT_EQ(DS->FieldByName("S")->GetAsString(), "typed");
    EXPECT_EQ(C->GetRowCount(), 5);
    ASSERT_NO_THROW(C->DataModeController()->SetGridModeBufferCount(3));
    EXPECT_EQ(C->GetRowCount(), 3);
    EXPECT_EQ(RowID(C->GetFocusedRowIndex()), 10);
    if (post) {
      C->PostEditing();
    } else {
      C->Cancel();
    }
    EXPECT_EQ(DS->State(), TDataSetState::dsBrowse);
    EXPECT_EQ(CurrentID(), 10);
    EXPECT_EQ(DS->FieldByName("S")->GetAsString(), post ? "typed" : "r10");
    if (post) {
      DS->Edit();
      DS->FieldByName("S")->SetValue(Variant("r10"));
      DS->Post();
    }
    ExpectWindow(3);
    // The next edit and a change of the window under it run as the first did.
    C->Edit();
    ASSERT_NO_THROW(C->DataModeController()->SetGridModeBufferCount(2));
    C->Cancel();
    ExpectWindow(2);
  }
}

TEST_F(DBGridMode, ScrollMovesTheWindowByTheDistance) {
  Open(1000, 10);
  ExpectWindow(10);
  Counting()->Scrolled = Counting()->PositionChanged = 0;
  EXPECT_TRUE(C->Scroll(3));
  // Three records past the last row: the window starts three records later and the
  // current record is its last.
  EXPECT_EQ(RowID(0), 4);
  EXPECT_EQ(CurrentID(), 13);
  ExpectWindow(10);
  EXPECT_EQ(Counting()->Scrolled, 1);
  EXPECT_EQ(Counting()->PositionChanged, 1);
  EXPECT_TRUE(C->Scroll(-2));
  EXPECT_EQ(RowID(0), 2);
  EXPECT_EQ(CurrentID(), 2);
  ExpectWindow(10);
  // A move inside the window scrolls nothing, but the position changed.
  Counting()->Scrolled = Counting()->PositionChanged = 0;
  DS->MoveBy(1);
  EXPECT_EQ(Counting()->Scrolled, 0);
  EXPECT_EQ(Counting()->PositionChanged, 1);
  // At the ends nothing is left to scroll to.
  DS->First();
  C->Scroll(-1);
  EXPECT_EQ(RowID(0), 1);
  DS->Last();
  C->Scroll(5);
  EXPECT_EQ(RowID(9), 1000);
  // The widest distances scroll to the ends from a row inside the window.
  for (Integer distance :
       {std::numeric_limits<Integer>::min(), std::numeric_limits<Integer>::max()}) {
    Locate(500);
    DS->MoveBy(2);
    ASSERT_GT(C->GetFocusedRowIndex(), 0);
    ASSERT_LT(C->GetFocusedRowIndex(), 9);
    C->Scroll(distance);
    EXPECT_EQ(RowID(0), distance < 0 ? 1 : 991);
    ExpectWindow(10);
  }
}

TEST_F(DBGridMode, TheBookmarkIsARecordOfTheDataSet) {
  Open(1000, 10);
  Locate(40);
  EXPECT_FALSE(C->IsBookmarkAvailable());
  EXPECT_TRUE(C->SaveBookmark());
  EXPECT_FALSE(C->SaveBookmark());  // the same record again
  EXPECT_TRUE(C->IsBookmarkRow(C->GetFocusedRowIndex()));
  Locate(700);
  for (Integer r = 0; r < C->GetRowCount(); ++r) EXPECT_FALSE(C->IsBookmarkRow(r));
  C->GotoBookmark();
  EXPECT_EQ(CurrentID(), 40);
  EXPECT_TRUE(C->IsBookmarkRow(C->GetFocusedRowIndex()));
  C->ClearBookmark();
  EXPECT_FALSE(C->IsBookmarkAvailable());
}

TEST_F(DBGridMode, AStaleBookmarkIsDroppedNeverFollowed) {
  Open(1000, 10);
  Locate(40);
  C->SaveBookmark();
  // Deleted while the controls are off: the controller hears nothing of it yet.
  DS->DisableControls();
  DS->Delete();
  Locate(600);
  C->GotoBookmark();
  EXPECT_EQ(CurrentID(), 600);
  EXPECT_FALSE(C->IsBookmarkAvailable());
  DS->EnableControls();
  // A bookmark whose record goes while the controls are on is dropped at the change.
  Locate(70);
  C->SaveBookmark();
  DS->Delete();
  EXPECT_FALSE(C->IsBookmarkAvailable());
  C->GotoBookmark();
  EXPECT_EQ(CurrentID(), 71);
}

TEST_F(DBGridMode, RowIdsAreTheRecordsBookmarks) {
  Open(100, 10);
  Locate(50);
  const Integer focused = C->GetFocusedRowIndex();
  EXPECT_EQ(C->GetRowId(focused).AsString(), DS->Bookmark());
  const TBookmarkStr here = DS->Bookmark();
  DS->Next();
  EXPECT_NE(C->GetRowId(focused + 1).AsString(), here);
  EXPECT_EQ(C->GetRowId(focused + 1).AsString(), DS->Bookmark());
  // Loaded mode: the record's id, its key value.
  C->SetKeyFieldNames("ID");
  C->DataModeController()->SetGridMode(false);
  EXPECT_EQ(C->GetRowId(0).AsInteger(), 1);
}

TEST_F(DBGridMode, LookupsAreLockedWhileTheDataSetInserts) {
  Open(30, 10);
  EXPECT_FALSE(C->IsLookupLocked());
  DS->Insert();
  EXPECT_TRUE(C->IsLookupLocked());
  DS->Cancel();
  EXPECT_FALSE(C->IsLookupLocked());
}

TEST_F(DBGridMode, TheDataSetsRecordCountAndNumber) {
  Open(1000, 10);
  DS->SetFilter("ID > 400");
  DS->SetFiltered(true);
  EXPECT_EQ(C->GetDataSetRecordCount(), 600);
  EXPECT_EQ(C->GetDataSetRecNo(), 1);
  C->SetDataSetRecNo(250);
  EXPECT_EQ(CurrentID(), 650);
  EXPECT_EQ(C->GetDataSetRecNo(), 250);
  ExpectWindow(10);
  DS->Close();
  EXPECT_EQ(C->GetDataSetRecordCount(), 0);
  EXPECT_EQ(C->GetDataSetRecNo(), -1);
}

TEST_F(DBGridMode, KeysAreFoundInTheWindowThenByTheDataSet) {
  Open(1000, 10);
  C->SetKeyFieldNames("ID");
  Locate(500);
  const Integer first = RowID(0);
  // In the window: its row, found without moving the window.
  const Integer r = C->FindRecordIndexByKey(first + 2);
  ASSERT_GE(r, 0);
  EXPECT_EQ(C->GetItemValue(r, 0).AsInteger(), first + 2);
  EXPECT_EQ(C->FindRecordIndexByKey(900), -1);
  EXPECT_TRUE(C->LocateByKey(first + 2));
  EXPECT_EQ(CurrentID(), first + 2);
  EXPECT_EQ(RowID(0), first);
  // Outside it: the data set finds the record, and the focused row counts as selected.
  EXPECT_TRUE(C->LocateByKey(900));
  EXPECT_EQ(CurrentID(), 900);
  ExpectWindow(10);
  EXPECT_TRUE(C->IsRowSelected(C->GetFocusedRowIndex()));
  EXPECT_FALSE(C->LocateByKey(5000));
  EXPECT_FALSE(C->LocateByKey(Variant("no number")));
  EXPECT_EQ(CurrentID(), 900);
}

TEST_F(DBGridMode, EditsAndInsertsOfTheDataSetShowInTheWindow) {
  Open(100, 10);
  Locate(50);
  // An edit through the controller is the data set's edit.
  const Integer row = C->GetFocusedRowIndex();
  C->Edit();
  EXPECT_EQ(DS->State(), TDataSetState::dsEdit);
  C->SetEditValue(1, Variant("edited"), TcxDataEditValueSource::evsValue);
  C->PostEditing();
  EXPECT_EQ(DS->State(), TDataSetState::dsBrowse);
  EXPECT_EQ(DS->FieldByName("S")->GetAsString(), "edited");
  EXPECT_EQ(C->GetItemDisplayText(C->GetRowInfo(row).RecordIndex, 1), "edited");
  // An edit of the data set's own shows in its row.
  DS->Edit();
  DS->FieldByName("S")->SetValue(Variant("r50"));
  DS->Post();
  EXPECT_EQ(C->GetItemDisplayText(C->GetRowInfo(row).RecordIndex, 1), "r50");
  // A record the data set inserts by itself joins the window, and goes on a cancel.
  DS->Insert();
  EXPECT_TRUE(C->IsEditing());
  DS->FieldByName("ID")->SetValue(Variant(1000));
  DS->Cancel();
  EXPECT_FALSE(C->IsEditing());
  ExpectWindow(10);
  DS->Append();
  DS->FieldByName("ID")->SetValue(Variant(101));
  DS->FieldByName("S")->SetValue(Variant("r101"));
  DS->Post();
  Model.push_back(101);
  EXPECT_EQ(CurrentID(), 101);
  ExpectWindow(10);
}

TEST_F(DBGridMode, TheScrollBarOfAFilteredDataSetReadsOnlyTheWindow) {
  // Persistent fields with a calculated one: each record read is counted.
  DS = New<TMemoryDataSet>(Owner.get());
  AddTestField<TIntegerField>(Owner.get(), DS, "ID");
  AddTestField<TStringField>(Owner.get(), DS, "S");
  auto* calc = AddTestField<TIntegerField>(Owner.get(), DS, "CALC");
  calc->SetFieldKind(TFieldKind::fkCalculated);
  for (Integer i = 1; i <= 2000; ++i) DS->AddRecord({Variant(i), Variant("r" + IntToStr(i))});
  TReadCounter counter;
  DS->OnCalcFields = TDataSetNotifyEvent(&counter, &TReadCounter::Count);
  Source = New<TDataSource>(Owner.get());
  Source->SetDataSet(DS);
  MakeController({"ID", "S"});
  C->DataModeController()->SetGridModeBufferCount(10);
  C->DataModeController()->SetGridMode(true);
  DS->Open();
  DS->SetFilter("ID > 500");
  DS->SetFiltered(true);
  EXPECT_EQ(C->GetDataSetRecordCount(), 1500);
  counter.Reads = 0;
  for (Integer step = 1; step <= 100; ++step) {
    C->Scroll(1);
    ASSERT_EQ(C->GetDataSetRecordCount(), 1500);
    ASSERT_EQ(C->GetDataSetRecNo(), CurrentID() - 500);
  }
  EXPECT_EQ(CurrentID(), 500 + 10 + 100);
  // One record comes into the window per step; nothing is read to count or number.
  EXPECT_GE(counter.Reads, 100);
  EXPECT_LE(counter.Reads, 200);
  DS->OnCalcFields = nullptr;
}

TEST_F(DBGridMode, TwoWindowsOnOneDataSetEachFollowIt) {
  Open(500, 10);
  Owned<TcxDBDataController> other(New<TcxDBDataController>(nullptr));
  AddItems(other.get(), {"ID", "S"});
  other->DataModeController()->SetGridModeBufferCount(4);
  other->DataModeController()->SetGridMode(true);
  other->SetDataSource(Source);
  auto expectOther = [&](int AStep) {
    SCOPED_TRACE(AStep);
    ExpectWindowOf(other.get(), 4);
  };
  expectOther(1);
  Locate(250);
  ExpectWindow(10);
  expectOther(2);
  C->Scroll(7);
  ExpectWindow(10);
  expectOther(3);
  // One walks the data set with the controls off (select all); the other hears of it after.
  C->SetMultiSelect(true);
  C->SelectAll();
  EXPECT_EQ(C->GetSelectedCount(), 500);
  ExpectWindow(10);
  expectOther(4);
  other->Scroll(-3);
  ExpectWindow(10);
  expectOther(5);
  DeleteID(CurrentID());
  ExpectWindow(10);
  expectOther(6);
  EXPECT_EQ(C->GetSelectedCount(), 499);
  other->SetDataSource(nullptr);
}

TEST_F(DBGridMode, TheDataSetsOwnFilterShapesTheWindowAndUnchangedSettingsLeaveItAlone) {
  Open(100, 10);
  auto* filter = static_cast<TcxDBDataFilterCriteria*>(C->Filter());
  filter->SetAutoDataSetFilter(true);
  filter->AddItem(filter->Root(), Items[0].get(), TcxFilterOperatorKind::foGreater, 93, "93");
  filter->SetActive(true);
  EXPECT_TRUE(DS->Filtered());
  Model = {94, 95, 96, 97, 98, 99, 100};
  ExpectWindow(7);
  EXPECT_EQ(C->GetDataSetRecordCount(), 7);
  TChangeCounter link;
  link.SetDataSource(Source);
  filter->Changed();
  filter->SetTranslateIn(true);
  EXPECT_EQ(link.Changes, 0);
  ExpectWindow(7);
  filter->SetActive(false);
  EXPECT_FALSE(DS->Filtered());
  EXPECT_GT(link.Changes, 0);
  EXPECT_EQ(C->GetRowCount(), 10);
  link.SetDataSource(nullptr);
}

TEST_F(DBGridMode, RandomEditsScrollsAndWindowSizesKeepBothWindowsOnTheDataSet) {
  // Scrolls, jumps, deletes, inserts (posted or cancelled), edits and window sizes changed
  // at any time, through the controller and from outside; a second window follows. After
  // every step each window holds the records around the data set's current one.
  for (unsigned seed = 1; seed <= 6; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    Open(60, 8);
    Owned<TcxDBDataController> other(New<TcxDBDataController>(nullptr));
    AddItems(other.get(), {"ID", "S"});
    other->DataModeController()->SetGridModeBufferCount(4);
    other->DataModeController()->SetGridMode(true);
    other->SetDataSource(Source);
    std::mt19937 random(seed);
    auto pick = [&](Integer lo, Integer hi) { return std::uniform_int_distribution<Integer>(lo, hi)(random); };
    auto place = [&] { return std::find(Model.begin(), Model.end(), CurrentID()) - Model.begin(); };
    Integer next = 1000;
    auto typeNew = [&](TcxDBDataController* AController) {
      AController->SetEditValue(0, Variant(next), TcxDataEditValueSource::evsValue);
      AController->SetEditValue(1, Variant("r" + IntToStr(next)), TcxDataEditValueSource::evsValue);
    };
    for (Integer step = 0; step < 120; ++step) {
      const Integer op = pick(0, 9);
      SCOPED_TRACE("step " + std::to_string(step) + ", operation " + std::to_string(op));
      switch (op) {
        case 0:
          C->Scroll(pick(-5, 5));
          break;
        case 1:
          Locate(Model[size_t(pick(0, Integer(Model.size()) - 1))]);
          break;
        case 2:
        case 3:
          if (Model.size() > 3) {
            const Integer id = CurrentID();
            if (op == 2)
              DS->Delete();
            else
              C->DeleteFocused();
            Model.erase(std::find(Model.begin(), Model.end(), id));
          }
          break;
        case 4: {
          // Inserted before the current record, through either window.
          const auto at = place();
          TcxDBDataController* through = pick(0, 1) ? C.get() : other.get();
          through->Insert();
          typeNew(through);
          if (pick(0, 2) == 0) {
            through->Cancel();
          } else {
            through->PostEditing();
            Model.insert(Model.begin() + at, next);
          }
          ++next;
          break;
        }
        case 5:
          C->DataModeController()->SetGridModeBufferCount(pick(1, 12));
          break;
        case 6:
          C->ChangeFocusedRowIndex(pick(0, C->GetRowCount() - 1));
          break;
        case 7:
          // An edit that leaves the value as it was, with the window resized under it.
          C->Edit();
          C->SetEditValue(1, Variant("r" + IntToStr(CurrentID())), TcxDataEditValueSource::evsValue);
          if (pick(0, 1)) C->DataModeController()->SetGridModeBufferCount(pick(1, 12));
          if (pick(0, 1))
            C->PostEditing();
          else
            C->Cancel();
          break;
        case 8:
          if (pick(0, 1))
            DS->First();
          else
            DS->Last();
          break;
        default: {
          const auto at = place();
          DS->Insert();
          DS->FieldByName("ID")->SetValue(Variant(next));
          DS->FieldByName("S")->SetValue(Variant("r" + IntToStr(next)));
          DS->Post();
          Model.insert(Model.begin() + at, next++);
          break;
        }
      }
      ASSERT_EQ(DS->State(), TDataSetState::dsBrowse);
      const Integer size = C->DataModeController()->GridModeBufferCount();
      ASSERT_NO_FATAL_FAILURE(ExpectWindow(std::min<Integer>(Integer(Model.size()), size)));
      ASSERT_NO_FATAL_FAILURE(ExpectWindowOf(other.get(), std::min<Integer>(Integer(Model.size()), 4)));
    }
    other->SetDataSource(nullptr);
  }
}

TEST_F(DBGridMode, AWindowFollowsWhenALargerWindowOnItsDataSetComesGoesOrLoads) {
  // The data set's record buffer serves every link: a larger window coming, going or
  // leaving grid mode reshapes it under the smaller one.
  for (unsigned seed = 1; seed <= 6; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    Open(60, 4);
    Owned<TcxDBDataController> large(New<TcxDBDataController>(nullptr));
    AddItems(large.get(), {"ID", "S"});
    large->DataModeController()->SetGridModeBufferCount(12);
    large->DataModeController()->SetGridMode(true);
    large->SetDataSource(Source);
    std::mt19937 random(seed);
    auto pick = [&](Integer lo, Integer hi) { return std::uniform_int_distribution<Integer>(lo, hi)(random); };
    for (Integer step = 0; step < 100; ++step) {
      const Integer op = pick(0, 4);
      SCOPED_TRACE("step " + std::to_string(step) + ", operation " + std::to_string(op));
      switch (op) {
        case 0:
          Locate(pick(1, 60));
          break;
        case 1:
          (pick(0, 1) ? C.get() : large.get())->Scroll(pick(-6, 6));
          break;
        case 2:
          large->SetDataSource(large->DataSource() ? nullptr : Source);
          break;
        case 3:
          large->DataModeController()->SetGridMode(!large->DataModeController()->GridMode());
          break;
        default:
          C->ChangeFocusedRowIndex(pick(0, C->GetRowCount() - 1));
          break;
      }
      ASSERT_NO_FATAL_FAILURE(ExpectWindow(4));
      if (large->DataSource() && large->IsGridMode()) {
        ASSERT_NO_FATAL_FAILURE(ExpectWindowOf(large.get(), 12));
      }
    }
    large.reset();
    ASSERT_NO_FATAL_FAILURE(ExpectWindow(4));
  }
}

namespace {

// A master that makes a loaded clone of its pattern detail for each record it is asked for.
class TCloningMaster : public TcxDBDataController {
  TL_CLASS(TCloningMaster, TcxDBDataController)
 public:
  using TcxDBDataController::TcxDBDataController;
  TObject* CreateDetailDataController(TcxCustomDataRelation* ARelation, Integer) override {
    auto* pattern = static_cast<TcxDBDataController*>(ARelation->DetailDataController());
    auto* clone = New<TcxDBDataController>(nullptr);
    CopyDetailPattern(clone, pattern);
    return clone;
  }
  TcxCustomDataController* GetDetailDataControllerOf(TObject* AObject) const override {
    return dynamic_cast<TcxCustomDataController*>(AObject);
  }
};

}  // namespace

TL_DEFINE_CLASS(TCloningMaster)

TEST_F(DBGridMode, EachRowOfAWindowedMasterShowsItsOwnRecordsDetails) {
  // Masters 1..6 in a window of three rows; details of masters 1, 3 and 4.
  MakeDataSet({{"ID", ftInteger}, {"NAME", ftString, 10}},
              {{1, "a"}, {2, "b"}, {3, "c"}, {4, "d"}, {5, "e"}, {6, "f"}});
  DS->Open();
  TMemoryDataSet* detail = MakeTestDataSet(Owner.get(), {{"ID", ftInteger}, {"MID", ftInteger}});
  for (const auto& r : std::vector<std::vector<Variant>>{{10, 1}, {11, 1}, {12, 1}, {30, 3}, {40, 4}, {41, 4}})
    detail->AddRecord(r);
  detail->Open();
  auto* detailSource = New<TDataSource>(Owner.get());
  detailSource->SetDataSet(detail);
  const std::map<Integer, std::vector<Integer>> details = {{1, {10, 11, 12}}, {3, {30}}, {4, {40, 41}}};
  DBTestItem level;
  Owned<TCloningMaster> master(New<TCloningMaster>(nullptr));
  AddItems(master.get(), {"ID", "NAME"});
  master->DataModeController()->SetGridModeBufferCount(3);
  master->DataModeController()->SetGridMode(true);
  master->SetDataSource(Source);
  Owned<TcxDBDataController> pattern(New<TcxDBDataController>(nullptr));
  AddItems(pattern.get(), {"ID", "MID"});
  pattern->SetDataSource(detailSource);
  pattern->SetMasterKeyFieldNames("ID");
  pattern->SetDetailKeyFieldNames("MID");
  pattern->SetMasterRelation(master->Relations()->Add(&level), -1);
  master->Refresh();
  // Each row's detail holds the detail records of the master record the row shows now.
  auto expectDetails = [&](const std::vector<Integer>& AMasters) {
    ASSERT_EQ(master->GetRowCount(), Integer(AMasters.size()));
    for (Integer r = 0; r < master->GetRowCount(); ++r) {
      const Integer record = master->GetRowInfo(r).RecordIndex;
      const Integer id = master->GetItemValue(record, 0).AsInteger();
      ASSERT_EQ(id, AMasters[size_t(r)]) << "row " << r;
      TcxCustomDataController* d = master->GetDetailDataController(record, 0);
      ASSERT_NE(d, nullptr);
      std::vector<Integer> ids;
      for (Integer i = 0; i < d->GetRecordCount(); ++i) ids.push_back(d->GetItemValue(i, 0).AsInteger());
      const auto want = details.find(id);
      EXPECT_EQ(ids, want == details.end() ? std::vector<Integer>() : want->second) << "master " << id;
    }
  };
  expectDetails({1, 2, 3});
  {
    // A master deleted from outside: the rows show the records after it.
    SCOPED_TRACE("deleted");
    ASSERT_TRUE(DS->Locate("ID", Variant(1), TLocateOptions()));
    DS->Delete();
    expectDetails({2, 3, 4});
  }
  {
    SCOPED_TRACE("scrolled");
    master->Scroll(1);
    expectDetails({3, 4, 5});
  }
  {
    // Back to the first record: the data set changed its window without a scroll.
    SCOPED_TRACE("first");
    DS->First();
    expectDetails({2, 3, 4});
    DS->Last();
    expectDetails({4, 5, 6});
  }
  {
    // A record edited in place keeps its row, and its row its detail.
    SCOPED_TRACE("edited");
    TcxCustomDataController* d4 = master->GetDetailDataController(master->GetRowInfo(0).RecordIndex, 0);
    DS->Edit();
    DS->FieldByName("NAME")->SetValue(Variant("f2"));
    DS->Post();
    expectDetails({4, 5, 6});
    EXPECT_EQ(master->GetDetailDataController(master->GetRowInfo(0).RecordIndex, 0), d4);
  }
  pattern->SetMasterRelation(nullptr, -1);
}

TEST_F(DBGridMode, ARecordAddedThroughAWindowedDetailStaysUntilPosted) {
  MakeDataSet({{"ID", ftInteger}, {"NAME", ftString, 10}}, {{1, "a"}, {2, "b"}, {3, "c"}});
  DS->Open();
  TMemoryDataSet* detail = MakeTestDataSet(Owner.get(), {{"ID", ftInteger}, {"MID", ftInteger}});
  for (const auto& r : std::vector<std::vector<Variant>>{{10, 1}, {11, 1}, {12, 1}, {30, 3}}) detail->AddRecord(r);
  detail->Open();
  auto* detailSource = New<TDataSource>(Owner.get());
  detailSource->SetDataSet(detail);
  DBTestItem level;
  Owned<TCloningMaster> master(New<TCloningMaster>(nullptr));
  AddItems(master.get(), {"ID", "NAME"});
  master->SetDataSource(Source);
  Owned<TcxDBDataController> pattern(New<TcxDBDataController>(nullptr));
  AddItems(pattern.get(), {"ID", "MID"});
  pattern->DataModeController()->SetGridModeBufferCount(3);
  pattern->DataModeController()->SetGridMode(true);
  pattern->SetDataSource(detailSource);
  pattern->SetMasterKeyFieldNames("ID");
  pattern->SetDetailKeyFieldNames("MID");
  pattern->SetMasterRelation(master->Relations()->Add(&level), -1);
  master->Refresh();
  auto* d = static_cast<TcxDBDataController*>(master->GetDetailDataController(0, 0));
  ASSERT_NE(d, nullptr);
  ASSERT_TRUE(d->IsGridMode());
  // Inserted in the middle of the window and at its end: the new record is the focused row
  // until it is posted.
  for (bool append : {false, true}) {
    SCOPED_TRACE(append ? "appended" : "inserted");
    ASSERT_TRUE(detail->Locate("ID", Variant(11), TLocateOptions()));
    const Integer id = append ? 99 : 98;
    if (append)
      d->Append();
    else
      d->Insert();
    EXPECT_EQ(detail->State(), TDataSetState::dsInsert);
    ASSERT_TRUE(d->IsEditing());
    const Integer row = d->GetFocusedRowIndex();
    ASSERT_GE(row, 0);
    EXPECT_TRUE(VarIsNull(d->GetItemValue(d->GetRowInfo(row).RecordIndex, 0)));
    d->SetEditValue(0, Variant(id), TcxDataEditValueSource::evsValue);
    d->SetEditValue(1, Variant(2), TcxDataEditValueSource::evsValue);
    d->PostEditing();
    EXPECT_EQ(detail->State(), TDataSetState::dsBrowse);
    EXPECT_EQ(detail->Lookup("ID", Variant(id), "MID"), Variant(2));
    EXPECT_EQ(d->GetItemValue(d->GetFocusedRecordIndex(), 0), Variant(id));
  }
  EXPECT_EQ(detail->RecordCount(), 6);
  pattern->SetMasterRelation(nullptr, -1);
}

// ---- Selection by bookmarks, iteration and the search ----

class DBGridModeSelection : public DBGridMode {
 protected:
  void OpenSelecting(Integer ACount, Integer ABuffer) {
    Open(ACount, ABuffer);
    C->SetMultiSelect(true);
    DS->DisableControls();
    for (DS->First(); !DS->Eof(); DS->Next()) Marks[CurrentID()] = DS->Bookmark();
    DS->First();
    DS->EnableControls();
  }
  Integer FocusedRow() const { return C->GetFocusedRowIndex(); }
  // The IDs of the selected bookmarks, in the selection's order.
  std::vector<Integer> SelectedIDs() const {
    std::vector<Integer> r;
    for (Integer i = 0; i < C->GetSelectedCount(); ++i) {
      const TBookmarkStr b = C->GetSelectedBookmark(i);
      Integer id = -1;
      for (const auto& [k, v] : Marks)
        if (v == b) id = k;
      r.push_back(id);
    }
    return r;
  }
  static std::vector<Integer> Range(Integer AFrom, Integer ATo, std::vector<Integer> AWithout = {}) {
    std::vector<Integer> r;
    for (Integer i = AFrom; i <= ATo; ++i)
      if (std::find(AWithout.begin(), AWithout.end(), i) == AWithout.end()) r.push_back(i);
    return r;
  }
  void Anchor(Integer AID) {
    Locate(AID);
    C->SetSelectionAnchor(FocusedRow());
  }
  void SelectTo(Integer AID, bool AKeep = false) {
    Locate(AID);
    C->SelectFromAnchor(FocusedRow(), AKeep);
  }
  std::map<Integer, TBookmarkStr> Marks;
};

TEST_F(DBGridModeSelection, SelectAllTakesEveryRecordInTheDataSetsOrder) {
  OpenSelecting(300, 10);
  Locate(150);
  const Integer firstRow = RowID(0);
  C->SelectAll();
  EXPECT_EQ(SelectedIDs(), Range(1, 300));
  // The data set is back where it was, with the same window.
  EXPECT_EQ(CurrentID(), 150);
  EXPECT_EQ(RowID(0), firstRow);
  for (Integer r = 0; r < C->GetRowCount(); ++r) EXPECT_TRUE(C->IsRowSelected(r));
  C->ClearSelection();
  EXPECT_EQ(C->GetSelectedCount(), 0);
}

TEST_F(DBGridModeSelection, ARangeFromEitherEndSelectsTheSameRecords) {
  OpenSelecting(100, 10);
  Anchor(20);
  EXPECT_TRUE(C->IsSelectionAnchorAssigned());
  EXPECT_EQ(C->GetSelectionAnchorRowIndex(), -1);
  SelectTo(27);
  EXPECT_EQ(SelectedIDs(), Range(20, 27));
  Anchor(27);
  SelectTo(20);
  EXPECT_EQ(SelectedIDs(), Range(20, 27));
  // Across more records than the window holds.
  Anchor(60);
  SelectTo(20);
  EXPECT_EQ(SelectedIDs(), Range(20, 60));
  EXPECT_EQ(C->GetSelectionAnchorBookmark(), Marks[60]);
  // Keeping the selection merges a second range into it.
  Anchor(80);
  SelectTo(85, true);
  std::vector<Integer> both = Range(20, 60);
  for (Integer i = 80; i <= 85; ++i) both.push_back(i);
  EXPECT_EQ(SelectedIDs(), both);
  Anchor(58);
  SelectTo(82, true);
  EXPECT_EQ(SelectedIDs(), Range(20, 85));
}

TEST_F(DBGridModeSelection, ARecordDeletedInsideARangeLeavesIt) {
  for (bool fromTop : {true, false}) {
    SCOPED_TRACE(fromTop ? "anchor at the top" : "anchor at the bottom");
    OpenSelecting(100, 10);
    Anchor(fromTop ? 20 : 27);
    SelectTo(fromTop ? 27 : 20);
    DeleteID(24);
    EXPECT_EQ(SelectedIDs(), Range(20, 27, {24}));
    // The moving end grows and shrinks by one record at a time.
    SelectTo(fromTop ? 28 : 19);
    EXPECT_EQ(SelectedIDs(), fromTop ? Range(20, 28, {24}) : Range(19, 27, {24}));
    SelectTo(fromTop ? 26 : 21);
    EXPECT_EQ(SelectedIDs(), fromTop ? Range(20, 26, {24}) : Range(21, 27, {24}));
    SelectTo(fromTop ? 20 : 27);
    EXPECT_EQ(SelectedIDs(), Range(fromTop ? 20 : 27, fromTop ? 20 : 27));
    // The anchor's own record goes: the anchor goes with it.
    DeleteID(fromTop ? 20 : 27);
    EXPECT_EQ(C->GetSelectedCount(), 0);
    EXPECT_FALSE(C->IsSelectionAnchorAssigned());
  }
}

TEST_F(DBGridModeSelection, ARangeAfterRecordsPickedOneByOneTakesEveryRecordBetween) {
  struct Case {
    Integer rangeFrom, rangeTo;
    std::vector<Integer> picked, dropped;
    Integer anchor, target;
  };
  // A range, then records picked or dropped one by one, then a range again: the end next
  // to the target, or the record before (after) it, is in the list with a gap inside it.
  const Case cases[] = {{20, 20, {23, 26}, {}, 20, 23}, {20, 20, {23}, {}, 20, 24},
                        {26, 26, {20, 23}, {}, 26, 23}, {26, 26, {23}, {}, 26, 22},
                        {20, 26, {}, {23}, 20, 25},     {20, 26, {}, {23}, 26, 21}};
  for (const Case& k : cases) {
    SCOPED_TRACE("anchor " + IntToStr(k.anchor) + ", target " + IntToStr(k.target));
    OpenSelecting(60, 8);
    Anchor(k.rangeFrom);
    SelectTo(k.rangeTo);
    for (Integer id : k.picked) {
      Locate(id);
      C->ChangeRowSelection(FocusedRow(), true);
    }
    for (Integer id : k.dropped) {
      Locate(id);
      C->ChangeRowSelection(FocusedRow(), false);
    }
    Anchor(k.anchor);
    SelectTo(k.target);
    EXPECT_EQ(SelectedIDs(), Range(std::min(k.anchor, k.target), std::max(k.anchor, k.target)));
    // The range now holds every record: one more record at the moving end.
    const Integer next = k.target > k.anchor ? k.target + 1 : k.target - 1;
    SelectTo(next);
    EXPECT_EQ(SelectedIDs(), Range(std::min(k.anchor, next), std::max(k.anchor, next)));
  }
}

TEST_F(DBGridModeSelection, ARecordTheDataSetsFilterHidesLeavesTheSelectionAndTheBookmark) {
  OpenSelecting(100, 10);
  Locate(24);
  ASSERT_TRUE(C->SaveBookmark());
  Anchor(20);
  SelectTo(27);
  DS->SetFilter("ID <> 24");
  DS->SetFiltered(true);
  // The hidden record cannot be gone to: it is no longer selected, nor remembered.
  EXPECT_EQ(SelectedIDs(), Range(20, 27, {24}));
  EXPECT_FALSE(C->IsBookmarkAvailable());
  Locate(50);
  EXPECT_NO_THROW(C->GotoBookmark());
  EXPECT_EQ(CurrentID(), 50);
  // Deleting the selection deletes what it shows, and never the hidden record.
  EXPECT_NO_THROW(C->DeleteSelection());
  EXPECT_EQ(DS->RecordCount(), 92);
  DS->SetFiltered(false);
  EXPECT_TRUE(DS->Locate("ID", Variant(24), TLocateOptions()));
  EXPECT_EQ(DS->RecordCount(), 93);
}

TEST_F(DBGridModeSelection, ARecordTheFilterShowsAgainInsideARangeIsTakenInByTheNextStep) {
  OpenSelecting(60, 8);
  Anchor(20);
  SelectTo(27);
  DS->SetFilter("ID <> 24");
  DS->SetFiltered(true);
  EXPECT_EQ(SelectedIDs(), Range(20, 27, {24}));
  DS->SetFiltered(false);
  Locate(27);
  SelectTo(26);
  EXPECT_EQ(SelectedIDs(), Range(20, 26));
}

TEST_F(DBGridModeSelection, OneStepRangesAgreeWithAWalk) {
  OpenSelecting(60, 8);
  std::mt19937 random(51);
  auto pick = [&](Integer lo, Integer hi) { return std::uniform_int_distribution<Integer>(lo, hi)(random); };
  Integer anchor = 30, target = 30;
  Anchor(anchor);
  for (Integer round = 0; round < 200; ++round) {
    if (pick(0, 9) == 0) {
      anchor = pick(1, 60);
      Anchor(anchor);
    }
    // Mostly one record on, as the keyboard moves; sometimes a jump.
    target = pick(0, 3) == 0 ? pick(1, 60) : std::clamp<Integer>(target + pick(-1, 1), 1, 60);
    SelectTo(target);
    ASSERT_EQ(SelectedIDs(), Range(std::min(anchor, target), std::max(anchor, target))) << "round " << round;
  }
}

TEST_F(DBGridModeSelection, BookmarksOfAClosedOrReplacedDataSetAreDropped) {
  // Bookmarks are texts of one data set; another data set may know the same texts for
  // other records.
  enum { kOtherSource, kOtherDataSet, kReopened };
  for (int how : {kOtherSource, kOtherDataSet, kReopened}) {
    SCOPED_TRACE(how);
    OpenSelecting(50, 10);
    TMemoryDataSet* second = MakeTestDataSet(Owner.get(), {{"ID", ftInteger}, {"S", ftString, 10}});
    for (Integer i = 1; i <= 50; ++i) second->AddRecord({Variant(100 + i), Variant("s" + IntToStr(i))});
    second->Open();
    auto* secondSource = New<TDataSource>(Owner.get());
    secondSource->SetDataSet(second);
    Anchor(3);
    SelectTo(6);
    ASSERT_EQ(SelectedIDs(), Range(3, 6));
    ASSERT_TRUE(C->SaveBookmark());
    if (how == kOtherSource) {
      C->SetDataSource(secondSource);
    } else if (how == kOtherDataSet) {
      Source->SetDataSet(second);
    } else {
      DS->Close();
      DS->Open();
    }
    EXPECT_EQ(C->GetSelectedCount(), 0);
    EXPECT_FALSE(C->IsSelectionAnchorAssigned());
    EXPECT_FALSE(C->IsBookmarkAvailable());
    // Nothing of the other data set is deleted for the records selected in the first.
    C->DeleteSelection();
    EXPECT_EQ(second->RecordCount(), 50);
    EXPECT_EQ(DS->RecordCount(), 50);
    if (how != kReopened) {
      // The next range is of the data set shown now.
      ASSERT_TRUE(second->Locate("ID", Variant(110), TLocateOptions()));
      C->SetSelectionAnchor(FocusedRow());
      ASSERT_TRUE(second->Locate("ID", Variant(111), TLocateOptions()));
      C->SelectFromAnchor(FocusedRow(), false);
      EXPECT_EQ(C->GetSelectedCount(), 2);
      C->DeleteSelection();
      EXPECT_EQ(second->RecordCount(), 48);
      EXPECT_FALSE(second->Locate("ID", Variant(110), TLocateOptions()));
    }
    C->SetDataSource(nullptr);
  }
}

TEST_F(DBGridModeSelection, SelectedRowsAndFocusingThem) {
  OpenSelecting(100, 10);
  C->ClearSelection();
  Locate(5);
  C->ChangeRowSelection(FocusedRow(), true);
  Locate(3);
  C->ChangeRowSelection(FocusedRow(), true);
  EXPECT_EQ(SelectedIDs(), (std::vector<Integer>{3, 5}));
  EXPECT_EQ(RowID(C->GetSelectedRowIndex(1)), 5);
  // Outside the window a selected record has no row, and comes back with it.
  Locate(90);
  EXPECT_EQ(C->GetSelectedRowIndex(0), -1);
  EXPECT_TRUE(C->FocusSelectedRow(1));
  EXPECT_EQ(CurrentID(), 5);
  EXPECT_TRUE(C->IsRowSelected(FocusedRow()));
  C->ChangeRowSelection(FocusedRow(), false);
  EXPECT_EQ(SelectedIDs(), (std::vector<Integer>{3}));
  // A selected record gone while the controller heard nothing is not followed.
  DS->DisableControls();
  Locate(3);
  DS->Delete();
  Locate(50);
  EXPECT_FALSE(C->FocusSelectedRow(0));
  EXPECT_EQ(CurrentID(), 50);
  DS->EnableControls();
  EXPECT_EQ(C->GetSelectedCount(), 0);
  // Bookmark queries belong to grid mode.
  C->DataModeController()->SetGridMode(false);
  EXPECT_THROW(C->GetSelectedBookmark(0), EcxInvalidDataControllerOperation);
  EXPECT_THROW(C->GetSelectionAnchorBookmark(), EcxInvalidDataControllerOperation);
}

TEST_F(DBGridModeSelection, DeletingTheSelectionDeletesItsRecords) {
  OpenSelecting(100, 10);
  Anchor(40);
  SelectTo(45);
  C->DeleteSelection();
  EXPECT_EQ(DS->RecordCount(), 94);
  for (Integer id = 40; id <= 45; ++id)
    EXPECT_FALSE(DS->Locate("ID", Variant(id), TLocateOptions())) << id;
  EXPECT_EQ(C->GetSelectedCount(), 0);
}

TEST_F(DBGridModeSelection, ForEachRowWalksTheDataSet) {
  OpenSelecting(50, 10);
  Locate(20);
  std::vector<Integer> seen;
  C->ForEachRow(false, [&](Integer ARow, const TcxRowInfo& AInfo) {
    EXPECT_EQ(ARow, C->GetFocusedRowIndex());
    seen.push_back(C->GetItemValue(AInfo.RecordIndex, 0).AsInteger());
  });
  EXPECT_EQ(seen, Range(1, 50));
  // The data set stays where the walk ended: on its last record, at its end.
  EXPECT_TRUE(DS->Eof());
  EXPECT_EQ(CurrentID(), 50);
  Anchor(10);
  SelectTo(12);
  Locate(30);
  seen.clear();
  C->ForEachRow(true, [&](Integer, const TcxRowInfo& AInfo) {
    seen.push_back(C->GetItemValue(AInfo.RecordIndex, 0).AsInteger());
  });
  EXPECT_EQ(seen, Range(10, 12));
  EXPECT_EQ(CurrentID(), 12);
}

TEST_F(DBGridModeSelection, TheSearchWrapsOnceAndRestoresThePositionWhenNothingMatches) {
  OpenSelecting(100, 10);
  Locate(60);
  const Integer firstRow = RowID(0);
  // Nothing matches: the whole data set is searched once, and nothing moves.
  EXPECT_FALSE(C->Search()->Locate(1, "zz"));
  EXPECT_EQ(CurrentID(), 60);
  EXPECT_EQ(RowID(0), firstRow);
  // From the current record to the end, then from the top.
  EXPECT_TRUE(C->Search()->Locate(1, "R5"));
  EXPECT_EQ(CurrentID(), 5);
  EXPECT_EQ(RowID(FocusedRow()), 5);
  EXPECT_TRUE(C->Search()->LocateNext(true));
  EXPECT_EQ(CurrentID(), 50);
  // Moving the data set ends the search; the searched item stays for the next one.
  Locate(59);
  // Continuing stops at the end of the data set, and the data set stays.
  EXPECT_FALSE(C->GridModeSearch("r5", true, true));
  EXPECT_EQ(CurrentID(), 59);
  EXPECT_TRUE(C->GridModeSearch("r5", false, true));
  EXPECT_EQ(CurrentID(), 58);
  Locate(5);
  EXPECT_FALSE(C->GridModeSearch("r5", false, true));
  EXPECT_EQ(CurrentID(), 5);
  // A new backward search wraps to the last record once.
  EXPECT_TRUE(C->GridModeSearch("r9", false, false));
  EXPECT_EQ(CurrentID(), 99);
  EXPECT_FALSE(C->GridModeSearch("nothing", false, false));
  EXPECT_EQ(CurrentID(), 99);
  // The current record matches: nothing moves.
  EXPECT_TRUE(C->GridModeSearch("r99", true, false));
  EXPECT_EQ(CurrentID(), 99);
}
