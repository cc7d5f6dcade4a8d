// Two controllers on one data set through two data sources: a change the first source's
// handler fails on still reaches the second controller; and a controller whose rows are
// behind the data set (its controls disabled meanwhile) acts on the record its row shows, or
// refuses, never on another record.
#include "tests/databinding/DBDataTestSupport.h"

#include "classlib/core/SysUtils.h"
#include "tests/classlib/ErrorText.h"
#include "widgets/data/cxFilter.h"

#include <functional>
#include <utility>

using enum TFieldType;

namespace missed_notice {

// Hides the record with ID 2.
struct TTwoHider : TObject {
  void Filter(TDataSet* ADataSet, bool& AAccept) {
    AAccept = ADataSet->FieldByName("ID")->Value() != Variant(Integer(2));
  }
};

// Raises once, when armed, from a data source's OnDataChange or the data set's AfterDelete.
struct TOnceRaiser : TObject {
  bool Armed = false;
  void DataChange(TObject*, TField*) { Raise("OnDataChange failed"); }
  void AfterDelete(TDataSet*) { Raise("AfterDelete failed"); }
  void Raise(const char* AText) {
    if (std::exchange(Armed, false)) throw Exception(AText);
  }
};

// The three ways a controller knows its records: by place, by key, by key with smart refresh.
const char* const kModes[] = {"by place", "by key", "by key, smart refresh"};

class DBDataMissedNotice : public DBDataTest {
 protected:
  // ID 1..5 (or the IDs given), NAME "n<ID>".
  void MakeSet(const std::vector<Integer>& AIds = {1, 2, 3, 4, 5}) {
    std::vector<std::vector<Variant>> rows;
    for (size_t i = 0; i < AIds.size(); ++i)
      rows.push_back({AIds[i], String("n") + IntToStr(AIds[i]) +
                                   (i > 0 && AIds[i] == AIds[i - 1] ? "b" : "")});
    MakeDataSet({{"ID", ftInteger}, {"NAME", ftString, 20}}, rows);
    DS->Open();
  }
  // A controller of ID and NAME in the mode (kModes) on ASource, held by AOwned.
  TcxDBDataController* Make(Owned<TcxDBDataController>& AOwned, TDataSource* ASource,
                            Integer AMode) {
    AOwned.reset(New<TcxDBDataController>(nullptr));
    AddItems(AOwned.get(), {"ID", "NAME"});
    AOwned->SetKeyFieldNames(AMode > 0 ? "ID" : "");
    AOwned->DataModeController()->SetSmartRefresh(AMode == 2);
    AOwned->SetDataSource(ASource);
    return AOwned.get();
  }
  // The NAME of each row, in row order.
  static String Rows(TcxDBDataController* AController) {
    String r;
    for (Integer row = 0; row < AController->GetRowCount(); ++row)
      r += VarToStr(AController->GetItemValue(AController->GetRowInfo(row).RecordIndex, 1)) + " ";
    return r;
  }
  // The NAME of each record of the data set, in its order; the cursor stays where it is.
  String Records() {
    String r;
    const TBookmarkStr at = DS->Bookmark();
    DS->DisableControls();
    for (DS->First(); !DS->Eof(); DS->Next()) r += DS->FieldByName("NAME")->GetAsString() + " ";
    if (!at.empty() && DS->BookmarkValid(at)) DS->GotoBookmark(at);
    DS->EnableControls();
    return r;
  }
  void Focus(TcxDBDataController* AController, const String& AName) {
    for (Integer row = 0; row < AController->GetRowCount(); ++row)
      if (VarToStr(AController->GetItemValue(AController->GetRowInfo(row).RecordIndex, 1)) ==
          AName) {
        AController->ChangeFocusedRowIndex(row);
        return;
      }
    ADD_FAILURE() << "no row shows " << AName.c_str();
  }
  // Edits the focused record's NAME through the controller and posts it.
  static void EditName(TcxDBDataController* AController, const String& AName) {
    AController->Edit();
    AController->SetEditValue(1, Variant(AName), TcxDataEditValueSource::evsValue);
    AController->PostEditing();
  }
};

TEST_F(DBDataMissedNotice, TheOtherControllerHearsADeletionAFailedHandlerInterrupted) {
  for (Integer mode = 0; mode < 3; ++mode)
    for (bool bySelection : {false, true}) {
      SCOPED_TRACE(std::string(kModes[mode]) + (bySelection ? ", DeleteSelection" : ", by code"));
      MakeSet();
      TcxDBDataController* first = Make(C, Source, mode);
      TDataSource* second = New<TDataSource>(Owner.get());
      second->SetDataSet(DS);
      Owned<TcxDBDataController> otherOwned;
      TcxDBDataController* other = Make(otherOwned, second, mode);
      TOnceRaiser raiser;
      Source->OnDataChange = TDataChangeEvent(&raiser, &TOnceRaiser::DataChange);
      if (bySelection) {
        // The deletion stops at the first AfterDelete (of n4, the last selected); the first
        // source's handler then fails as the controls come back, an error that unwinding drops.
        TOnceRaiser afterDelete;
        DS->AfterDelete = TDataSetNotifyEvent(&afterDelete, &TOnceRaiser::AfterDelete);
        first->SetMultiSelect(true);
        first->ChangeRowSelection(1, true);
        first->ChangeRowSelection(3, true);
        afterDelete.Armed = raiser.Armed = true;
        EXPECT_EQ(MessageOf([&] { first->DeleteSelection(); }), "AfterDelete failed");
        DS->AfterDelete = nullptr;
      } else {
        DS->DisableControls();
        DS->Locate("ID", Variant(2), {});
        DS->Delete();
        DS->Locate("ID", Variant(4), {});
        DS->Delete();
        raiser.Armed = true;
        EXPECT_EQ(MessageOf([&] { DS->EnableControls(); }), "OnDataChange failed");
      }
      const String left = bySelection ? "n1 n2 n3 n5 " : "n1 n3 n5 ";
      EXPECT_EQ(Records(), left);
      EXPECT_EQ(Rows(first), left);
      EXPECT_EQ(Rows(other), left);
      DS->Last();
      DS->First();
      EXPECT_EQ(Rows(other), left);
      // Acting on its rows reaches the records they show.
      Focus(other, "n3");
      other->DeleteFocused();
      Focus(other, "n5");
      EditName(other, "edited");
      const String after = bySelection ? "n1 n2 edited " : "n1 edited ";
      EXPECT_EQ(Records(), after);
      EXPECT_EQ(Rows(other), after);
      EXPECT_EQ(Rows(first), after);
      otherOwned.reset();
      C.reset();
    }
}

TEST_F(DBDataMissedNotice, AControllerBehindTheDataSetActsOnItsRowsRecordOrRefuses) {
  using Unseen = std::function<void(TMemoryDataSet*)>;  // done while the controls are disabled
  using Act = std::function<void(TcxDBDataController*)>;
  // In each mode: the row showing ARow acted on; ARecords left in the data set.
  auto check = [&](const char* AName, const std::vector<Integer>& AIds, const char* ARow,
                   const Unseen& AUnseen, const Act& AAct, bool ARefused, const char* ARecords,
                   bool AUnmarked = false) {
    for (Integer mode = 0; mode < 3; ++mode) {
      SCOPED_TRACE(std::string(kModes[mode]) + ": " + AName);
      MakeSet(AIds);
      TcxDBDataController* controller = Make(C, Source, mode);
      Focus(controller, ARow);
      if (AUnmarked)
        controller->DBProvider()->SetRecordBookmark(controller->GetFocusedRecordIndex(), {});
      DS->DisableControls();
      AUnseen(DS);
      if (ARefused) {
        EXPECT_EQ(MessageOf<EcxInvalidDataControllerOperation>([&] { AAct(controller); }),
                  "The record is no longer in the data set");
        EXPECT_EQ(DS->State(), TDataSetState::dsBrowse);
      } else {
        AAct(controller);
      }
      EXPECT_EQ(Records(), ARecords);
      DS->EnableControls();
      EXPECT_EQ(Records(), ARecords);
      EXPECT_EQ(Rows(controller), ARecords);
      C.reset();
    }
  };
  auto gone = [](Integer AId) {
    return [AId](TMemoryDataSet* ds) {
      ds->Locate("ID", Variant(AId), {});
      ds->Delete();
    };
  };
  auto moved = [](TMemoryDataSet* ds) { ds->MoveBy(2); };
  TTwoHider hider;
  auto hidden = [&hider](TMemoryDataSet* ds) {
    ds->OnFilterRecord = TFilterRecordEvent(&hider, &TTwoHider::Filter);
    ds->SetFiltered(true);
  };
  auto deleteFocused = [](TcxDBDataController* c) { c->DeleteFocused(); };
  auto edit = [](TcxDBDataController* c) { EditName(c, "edited"); };
  auto insert = [](TcxDBDataController* c) {
    c->Insert();
    c->SetEditValue(0, Variant(Integer(9)), TcxDataEditValueSource::evsValue);
    c->SetEditValue(1, Variant("new"), TcxDataEditValueSource::evsValue);
    c->PostEditing();
  };
  const std::vector<Integer> five = {1, 2, 3, 4, 5}, shared = {1, 2, 2, 3};
  check("delete, record gone", five, "n2", gone(2), deleteFocused, true, "n1 n3 n4 n5 ");
  check("edit, record gone", five, "n4", gone(4), edit, true, "n1 n2 n3 n5 ");
  check("insert before, record gone", five, "n2", gone(2), insert, true, "n1 n3 n4 n5 ");
  check("delete, record hidden by the data set's filter", five, "n2", hidden, deleteFocused, true,
        "n1 n3 n4 n5 ");
  // (An edit or insert needs the controls: the controller starts it on hearing of it.)
  check("delete, data set moved", five, "n2", moved, deleteFocused, false, "n1 n3 n4 n5 ");
  // Records sharing a key: the search for the gone one's key finds the other.
  check("delete, record sharing its key gone", shared, "n2", gone(2), deleteFocused, true,
        "n1 n2b n3 ");
  check("edit, record sharing its key gone", shared, "n2", gone(2), edit, true, "n1 n2b n3 ");
  // A record whose bookmark the controller never learned (a read a handler broke off): the
  // data set's record is another row's.
  check("delete, record gone, its bookmark unknown", five, "n2", gone(2), deleteFocused, true,
        "n1 n3 n4 n5 ", true);
  // No row focused (the controller's own filter hides every record): the data set's record
  // is none a row shows, and is not edited.
  for (Integer mode = 0; mode < 3; ++mode) {
    SCOPED_TRACE(std::string(kModes[mode]) + ": edit, no row focused");
    MakeSet();
    TcxDBDataController* controller = Make(C, Source, mode);
    Focus(controller, "n3");
    controller->Filter()->Root()->AddItem(controller->GetItem(0), TcxFilterOperatorKind::foLess, 0,
                                          "0");
    controller->Filter()->SetActive(true);
    ASSERT_EQ(controller->GetFocusedRecordIndex(), -1);
    EditName(controller, "edited");
    EXPECT_EQ(Records(), "n1 n2 n3 n4 n5 ");
    C.reset();
  }
}

}  // namespace missed_notice
