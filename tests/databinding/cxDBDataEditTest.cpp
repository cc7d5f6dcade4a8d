// Editing through the controller and through the data set directly: after every step the
// controller holds what a fresh load of the data set holds.
#include "tests/databinding/DBDataTestSupport.h"

#include "classlib/core/SysUtils.h"
#include "widgets/data/cxFilter.h"

#include <algorithm>
#include <map>

using enum TFieldType;

namespace {

class DBDataEdit : public DBDataTest {
 protected:
  void MakeSet(Integer ACount) {
    std::vector<std::vector<Variant>> rows;
    for (Integer i = 1; i <= ACount; ++i) rows.push_back({i, String("n") + IntToStr(i), i * 10});
    MakeDataSet({{"ID", ftAutoInc}, {"NAME", ftString, 20}, {"V", ftInteger}}, rows);
    DS->Open();
  }
  // The controller's records by key: NAME and V of each ID.
  static std::map<Integer, std::pair<String, String>> Records(TcxDBDataController* AController) {
    std::map<Integer, std::pair<String, String>> r;
    for (Integer i = 0; i < AController->GetRecordCount(); ++i) {
      const Variant id = AController->GetItemValue(i, 0);
      EXPECT_FALSE(VarIsNull(id)) << "record " << i << " without a key";
      const Integer key = VarIsNull(id) ? -i : id.AsInteger();
      EXPECT_EQ(r.count(key), 0u) << "key " << key << " twice";
      r[key] = {VarToStr(AController->GetItemValue(i, 1)), VarToStr(AController->GetItemValue(i, 2))};
    }
    return r;
  }
  // What a fresh controller over the same data set, with the same items and keys, holds.
  std::map<Integer, std::pair<String, String>> FreshRecords() {
    Owned<TcxDBDataController> fresh(New<TcxDBDataController>(nullptr));
    DBTestItem items[3];
    const char* names[3] = {"ID", "NAME", "V"};
    for (Integer i = 0; i < 3; ++i) {
      fresh->AddItem(&items[i]);
      fresh->ChangeFieldName(i, names[i]);
    }
    fresh->SetKeyFieldNames("ID");
    fresh->SetDataSource(Source);
    return Records(fresh.get());
  }
  void ExpectEqualsFreshLoad(const std::string& AStep) {
    const auto expected = FreshRecords();
    const auto actual = Records(C.get());
    EXPECT_EQ(actual, expected) << AStep;
    if (!DS->Modified() && !IsEditState(DS->State()) && !DS->IsEmpty()) {
      // Browsing: the focused record is the data set's current one.
      const Integer focused = C->GetFocusedRecordIndex();
      ASSERT_GE(focused, 0) << AStep;
      EXPECT_EQ(C->GetItemValue(focused, 0), DS->FieldByName("ID")->Value()) << AStep;
    }
  }
  Integer RandomRow(std::mt19937& ARandom) {
    return C->GetRowCount() ? Integer(ARandom() % unsigned(C->GetRowCount())) : -1;
  }
};

TEST_F(DBDataEdit, RandomEditScriptsKeepTheControllerEqualToAFreshLoad) {
  // Without keys (records by place), with keys, and with keys and smart refresh.
  for (Integer mode : {0, 1, 2})
    for (unsigned seed = 11u; seed < 17u; ++seed) {
      const bool smart = mode == 2;
      MakeSet(12);
      MakeController({"ID", "NAME", "V"}, mode == 0 ? "" : "ID");
      C->DataModeController()->SetSmartRefresh(smart);
      C->ChangeSortingOrder(1, TcxDataSortOrder::soDescending);
      // A second controller on the same data set, in the other mode.
      Owned<TcxDBDataController> second(New<TcxDBDataController>(nullptr));
      AddItems(second.get(), {"ID", "NAME", "V"});
      second->SetKeyFieldNames("ID");
      second->DataModeController()->SetSmartRefresh(!smart);
      second->SetDataSource(Source);
      std::mt19937 random(seed);
      for (Integer step = 0; step < 80; ++step) {
        const unsigned op = random() % 11;
        const String text = "t" + IntToStr(Integer(random() % 1000));
        std::string what = "seed " + std::to_string(seed) + " mode " + std::to_string(mode) + " step " +
                           std::to_string(step) + " op " + std::to_string(op);
        switch (op) {
          case 0:  // edit through the controller
            if (C->GetRowCount() == 0) break;
            C->ChangeFocusedRowIndex(RandomRow(random));
            C->Edit();
            C->SetEditValue(1, Variant(text), TcxDataEditValueSource::evsValue);
            C->PostEditing();
            break;
          case 1:  // insert or append through the controller
            if (random() % 2)
              C->Insert();
            else
              C->Append();
            C->SetEditValue(1, Variant(text), TcxDataEditValueSource::evsValue);
            C->SetEditValue(2, Variant(Integer(random() % 100)), TcxDataEditValueSource::evsValue);
            C->PostEditing();
            break;
          case 2:  // delete through the controller
            if (C->GetRowCount() == 0) break;
            C->ChangeFocusedRowIndex(RandomRow(random));
            C->DeleteFocused();
            break;
          case 3:  // edit, then cancel, through the controller
            if (C->GetRowCount() == 0) break;
            C->ChangeFocusedRowIndex(RandomRow(random));
            C->Edit();
            C->SetEditValue(1, Variant(text), TcxDataEditValueSource::evsValue);
            C->Cancel();
            break;
          case 4:  // insert, then cancel, through the controller
            C->Append();
            C->SetEditValue(1, Variant(text), TcxDataEditValueSource::evsValue);
            C->Cancel();
            break;
          case 5:  // edit through the data set
            if (DS->IsEmpty()) break;
            DS->MoveBy(Integer(random() % 5) - 2);
            DS->Edit();
            DS->FieldByName("V")->SetValue(Variant(Integer(random() % 100)));
            DS->Post();
            break;
          case 6:  // append or insert through the data set
            if (random() % 2)
              DS->Append();
            else
              DS->Insert();
            DS->FieldByName("NAME")->SetValue(Variant(text));
            DS->Post();
            break;
          case 7:  // delete through the data set
            if (DS->IsEmpty()) break;
            DS->Delete();
            break;
          case 8:  // edit or insert, then cancel, through the data set
            if (random() % 2 && !DS->IsEmpty()) {
              DS->Edit();
            } else {
              DS->Append();
            }
            DS->FieldByName("NAME")->SetValue(Variant(text));
            DS->Cancel();
            break;
          case 10:  // delete several selected rows through the controller
            if (C->GetRowCount() == 0) break;
            C->SetMultiSelect(true);
            for (Integer n = Integer(random() % 4); n >= 0; --n) C->ChangeRowSelection(RandomRow(random), true);
            C->DeleteSelection();
            C->SetMultiSelect(false);
            break;
          default:  // move from outside
            if (random() % 2)
              DS->First();
            else
              DS->Last();
            break;
        }
        ExpectEqualsFreshLoad(what);
        EXPECT_EQ(Records(second.get()), FreshRecords()) << what << " (second controller)";
        if (HasFailure()) return;
      }
      second.reset();
      C.reset();
      Items.clear();
    }
}

}  // namespace

namespace {

// Counts the data set's posts.
struct PostCounter : TObject {
  Integer Posts = 0;
  void AfterPost(TDataSet*) { ++Posts; }
};

class DBDataSmart : public DBDataEdit {
 protected:
  ReloadCountingController* MakeCounting(bool ASmart) {
    auto* c = New<ReloadCountingController>(nullptr);
    C.reset(c);
    AddItems(c, {"ID", "NAME", "V"});
    c->SetKeyFieldNames("ID");
    c->DataModeController()->SetSmartRefresh(ASmart);
    c->SetDataSource(Source);
    return c;
  }
};

TEST_F(DBDataSmart, APostedEditIsReReadInPlaceAndANewAutoIncrementRecordKeepsItsNewKey) {
  MakeSet(5);
  ReloadCountingController* c = MakeCounting(true);
  const Integer reloads = c->Reloads;
  c->ChangeFocusedRowIndex(2);
  c->Edit();
  c->SetEditValue(1, Variant("edited"), TcxDataEditValueSource::evsValue);
  c->PostEditing();
  EXPECT_EQ(c->Reloads, reloads);
  EXPECT_EQ(c->GetItemValue(2, 1), Variant("edited"));
  EXPECT_EQ(DS->FieldByName("NAME")->Value(), Variant("edited"));
  // A new record: its key is Null until the data set posts it, then 6.
  c->Append();
  c->SetEditValue(1, Variant("new"), TcxDataEditValueSource::evsValue);
  c->PostEditing();
  EXPECT_EQ(c->Reloads, reloads);
  ASSERT_EQ(c->GetRecordCount(), 6);
  EXPECT_EQ(c->FindRecordIndexByKey(Variant(6)), c->GetFocusedRecordIndex());
  EXPECT_EQ(c->GetItemValue(c->GetFocusedRecordIndex(), 1), Variant("new"));
  EXPECT_EQ(DS->FieldByName("ID")->Value(), Variant(6));
  // Without smart refresh the same post reads everything again.
  C.reset();
  c = MakeCounting(false);
  const Integer before = c->Reloads;
  c->Edit();
  c->SetEditValue(1, Variant("again"), TcxDataEditValueSource::evsValue);
  c->PostEditing();
  EXPECT_GT(c->Reloads, before);
}

// Frees itself as a key search reads its values (the search's own record has a negative
// index), on the Countdown-th such read, as a data source freeing its controller would.
class SelfFreeingController : public TcxDBDataController {
 public:
  using TcxDBDataController::TcxDBDataController;
  int Countdown = 0;  // 0: never
  int* Runs = nullptr;
  int* Reads = nullptr;  // counts the key searches' reads
  Variant GetValue(Integer ARecordIndex, TcxCustomDataField* AField) const override {
    auto* self = const_cast<SelfFreeingController*>(this);
    if (ARecordIndex < 0 && Reads) ++*Reads;
    if (ARecordIndex >= 0 || Countdown == 0 || --self->Countdown > 0)
      return TcxDBDataController::GetValue(ARecordIndex, AField);
    ++*Runs;
    self->Free();
    return Null();
  }
};

// A new record posted is looked for by key as the data set's notice finds the focused record
// again, and a key compared without case reads its values through the controller; the
// controller frees itself on each of those reads in turn: the post is stored, and nothing of
// the controller or its provider is touched afterwards (the sanitizer build sees that).
TEST_F(DBDataSmart, AKeySearchFreeingTheControllerEndsTheReconciling) {
  // First without freeing, to count the reads; then freeing on each of them in turn.
  int reads = 0;
  for (int read = 0; read <= reads; ++read) {
    MakeSet(5);
    C.reset();
    auto* c = New<SelfFreeingController>(nullptr);
    if (read == 0) C.reset(c);
    AddItems(c, {"ID", "NAME", "V"});
    c->SetKeyFieldNames("NAME");
    TcxDataControllerOptions options = c->Options();
    options.Include(TcxDataControllerOption::dcoCaseInsensitive);
    c->SetOptions(options);
    c->DataModeController()->SetSmartRefresh(true);
    c->SetDataSource(Source);
    c->Append();
    c->SetEditValue(1, Variant("renamed"), TcxDataEditValueSource::evsValue);
    int runs = 0;
    c->Runs = &runs;
    c->Countdown = read;
    if (read == 0) c->Reads = &reads;
    TWeakLink link(c);
    c->PostEditing();
    if (read == 0) {
      ASSERT_GT(reads, 1);
      continue;  // the fixture frees the controller
    }
    EXPECT_FALSE(link.Alive()) << read;
    EXPECT_EQ(runs, 1) << read;
    if (link.Alive()) c->Free();
    EXPECT_EQ(DS->State(), TDataSetState::dsBrowse) << read;
    EXPECT_TRUE(DS->Locate("NAME", Variant("renamed"), {})) << read;
  }
}

TEST_F(DBDataSmart, PostingAnUnmodifiedRecordCancelsItInsteadOfPosting) {
  MakeSet(3);
  PostCounter counter;
  DS->AfterPost = TDataSetNotifyEvent(&counter, &PostCounter::AfterPost);
  MakeController({"ID", "NAME"}, "ID");
  C->Edit();
  ASSERT_EQ(DS->State(), TDataSetState::dsEdit);
  C->PostEditing();
  EXPECT_EQ(DS->State(), TDataSetState::dsBrowse);
  EXPECT_EQ(counter.Posts, 0);
  C->Edit();
  C->SetEditValue(1, Variant("x"), TcxDataEditValueSource::evsValue);
  C->PostEditing();
  EXPECT_EQ(counter.Posts, 1);
  DS->AfterPost = nullptr;
}

// An insert cancelled in a sorted, grouped view: the base cancel takes the new record out
// of the storage, and the watched record must go with it, or smart refresh reconciles the
// record that moved into its place and deletes it.
TEST_F(DBDataSmart, ACancelledInsertLeavesEveryOtherRecord) {
  for (int variant = 0; variant < 8; ++variant) {
    C.reset();
    std::vector<std::vector<Variant>> rows;
    for (Integer i = 1; i <= 6; ++i) rows.push_back({i, String(i % 2 ? "odd" : "even"), i * 10});
    MakeDataSet({{"ID", ftAutoInc}, {"NAME", ftString, 20}, {"V", ftInteger}}, rows);
    DS->Open();
    MakeController({"ID", "NAME", "V"}, "ID");
    C->DataModeController()->SetSmartRefresh(true);
    if (variant & 1) C->ChangeSortingOrder(2, TcxDataSortOrder::soDescending);
    if (variant & 2) C->ChangeItemGroupIndex(1, 0);
    C->ChangeFocusedRowIndex(variant & 4 ? 0 : 2);
    C->Insert();
    C->SetEditValue(1, Variant("x"), TcxDataEditValueSource::evsValue);
    C->Cancel();
    std::vector<Integer> keys;
    for (const auto& r : Records(C.get())) keys.push_back(r.first);
    EXPECT_EQ(keys, (std::vector<Integer>{1, 2, 3, 4, 5, 6})) << "variant " << variant;
    EXPECT_EQ(DS->RecordCount(), 6);
  }
}

TEST_F(DBDataSmart, ASecondControllerCatchesUpAfterTheFirstOnesFreezeAndLock) {
  MakeSet(6);
  MakeController({"ID", "NAME", "V"}, "ID");
  Owned<TcxDBDataController> second(New<TcxDBDataController>(nullptr));
  AddItems(second.get(), {"ID", "NAME", "V"});
  second->SetKeyFieldNames("ID");
  second->SetDataSource(Source);
  TcxDBDataProvider* first = C->DBProvider();
  // Changed from outside while the first one is frozen.
  first->Freeze();
  DS->Last();
  DS->Edit();
  DS->FieldByName("NAME")->SetValue(Variant("while frozen"));
  DS->Post();
  first->Unfreeze();
  EXPECT_EQ(Records(second.get()), FreshRecords());
  EXPECT_EQ(second->GetItemValue(5, 1), Variant("while frozen"));
  // Records added from outside while the first one is locked.
  first->BeginLock();
  DS->Append();
  DS->FieldByName("NAME")->SetValue(Variant("while locked"));
  DS->Post();
  first->EndLock();
  ASSERT_EQ(second->GetRecordCount(), 7);
  EXPECT_EQ(second->GetItemValue(6, 1), Variant("while locked"));
  EXPECT_EQ(Records(second.get()), FreshRecords());
  second.reset();
}

}  // namespace

namespace {

// The IDs the controller holds, in record order.
std::vector<Integer> IDs(TcxDBDataController* AController) {
  std::vector<Integer> r;
  for (Integer i = 0; i < AController->GetRecordCount(); ++i) r.push_back(AController->GetItemValue(i, 0).AsInteger());
  return r;
}

TEST_F(DBDataEdit, DeletingTheFocusedRecordDeletesThatOneAndFocusesItsNeighbour) {
  // Without keys, with keys, with keys and smart refresh; the first, a middle and the last
  // row focused.
  for (Integer mode : {0, 1, 2})
    for (Integer row : {0, 2, 4}) {
      const std::string what = "mode " + std::to_string(mode) + " row " + std::to_string(row);
      MakeSet(5);
      MakeController({"ID", "NAME", "V"}, mode == 0 ? "" : "ID");
      C->DataModeController()->SetSmartRefresh(mode == 2);
      C->ChangeFocusedRowIndex(row);
      const Integer id = C->GetItemValue(C->GetFocusedRecordIndex(), 0).AsInteger();
      ASSERT_EQ(id, row + 1) << what;
      C->DeleteFocused();
      std::vector<Integer> expected = {1, 2, 3, 4, 5};
      expected.erase(expected.begin() + row);
      EXPECT_EQ(IDs(C.get()), expected) << what;
      ASSERT_EQ(DS->RecordCount(), 4) << what;
      // The record after the deleted one takes the focus, the one before it at the end; the
      // data set stands on it too.
      const Integer next = row < 4 ? row + 2 : row;
      ASSERT_GE(C->GetFocusedRecordIndex(), 0) << what;
      EXPECT_EQ(C->GetItemValue(C->GetFocusedRecordIndex(), 0), Variant(next)) << what;
      EXPECT_EQ(DS->FieldByName("ID")->Value(), Variant(next)) << what;
      C.reset();
      Items.clear();
    }
  // Several selected records: the focused one among them hands the focus to the next row
  // that stays.
  for (Integer mode : {0, 1, 2}) {
    const std::string what = "selection, mode " + std::to_string(mode);
    MakeSet(6);
    MakeController({"ID", "NAME", "V"}, mode == 0 ? "" : "ID");
    C->DataModeController()->SetSmartRefresh(mode == 2);
    C->SetMultiSelect(true);
    C->ChangeFocusedRowIndex(1);
    C->ClearSelection();
    C->ChangeRowSelection(1, true);
    C->ChangeRowSelection(3, true);
    ASSERT_EQ(C->GetSelectedCount(), 2) << what;
    C->DeleteSelection();
    EXPECT_EQ(IDs(C.get()), (std::vector<Integer>{1, 3, 5, 6})) << what;
    ASSERT_GE(C->GetFocusedRecordIndex(), 0) << what;
    EXPECT_EQ(C->GetItemValue(C->GetFocusedRecordIndex(), 0), Variant(3)) << what;
    EXPECT_EQ(DS->FieldByName("ID")->Value(), Variant(3)) << what;
    C.reset();
    Items.clear();
  }
}

}  // namespace

namespace {

TEST_F(DBDataEdit, FreezingWhileEditingLeavesTheEditAndWhatWasTyped) {
  // Without keys, with keys, with keys and smart refresh; a freeze inside a freeze.
  for (Integer mode : {0, 1, 2}) {
    const std::string what = "mode " + std::to_string(mode);
    MakeSet(5);
    MakeController({"ID", "NAME", "V"}, mode == 0 ? "" : "ID");
    C->DataModeController()->SetSmartRefresh(mode == 2);
    C->ChangeFocusedRowIndex(2);
    C->Edit();
    C->SetEditValue(1, Variant("typed"), TcxDataEditValueSource::evsValue);
    ASSERT_EQ(C->GetItemValue(2, 1), Variant("typed")) << what;
    TcxDBDataProvider* p = C->DBProvider();
    p->Freeze();
    EXPECT_EQ(DS->State(), TDataSetState::dsEdit) << what;
    p->Freeze();
    p->Unfreeze();
    p->Unfreeze();
    EXPECT_TRUE(C->IsEditing()) << what;
    EXPECT_EQ(DS->FieldByName("NAME")->Value(), Variant("typed")) << what;
    EXPECT_EQ(C->GetItemValue(2, 1), Variant("typed")) << what;
    C->PostEditing();
    EXPECT_EQ(DS->Lookup("ID", 3, "NAME"), Variant("typed")) << what;
    EXPECT_EQ(C->GetFocusedRecordIndex(), 2) << what;
    ExpectEqualsFreshLoad(what);
    C.reset();
    Items.clear();
  }
}

}  // namespace

namespace {

TEST_F(DBDataEdit, ASecondControllerFollowsTheFirstOnesFocusAndEditsTheRecordItShows) {
  // Without keys, with keys, with keys and smart refresh (both controllers alike).
  for (Integer mode : {0, 1, 2}) {
    const std::string what = "mode " + std::to_string(mode);
    MakeSet(5);
    MakeController({"ID", "NAME", "V"}, mode == 0 ? "" : "ID");
    C->DataModeController()->SetSmartRefresh(mode == 2);
    Owned<TcxDBDataController> second(New<TcxDBDataController>(nullptr));
    AddItems(second.get(), {"ID", "NAME", "V"});
    second->SetKeyFieldNames(mode == 0 ? "" : "ID");
    second->DataModeController()->SetSmartRefresh(mode == 2);
    second->SetDataSource(Source);
    for (Integer row : {3, 1, 4}) {
      C->ChangeFocusedRowIndex(row);
      ASSERT_EQ(DS->FieldByName("ID")->Value(), Variant(row + 1)) << what;
      const Integer focused = second->GetFocusedRecordIndex();
      ASSERT_GE(focused, 0) << what;
      EXPECT_EQ(second->GetItemValue(focused, 0), Variant(row + 1)) << what << " row " << row;
    }
    // The second one edits the record it shows focused (the data set's current one).
    const Variant shown = second->GetItemValue(second->GetFocusedRecordIndex(), 0);
    second->Edit();
    second->SetEditValue(1, Variant("second"), TcxDataEditValueSource::evsValue);
    second->PostEditing();
    EXPECT_EQ(DS->Lookup("ID", shown, "NAME"), Variant("second")) << what;
    EXPECT_EQ(Records(second.get()), FreshRecords()) << what;
    EXPECT_EQ(Records(C.get()), FreshRecords()) << what;
    second.reset();
    C.reset();
    Items.clear();
  }
}

}  // namespace

namespace {

TEST_F(DBDataEdit, TheFocusedRowAFilterMovedToIsTheOneEditedOrDeleted) {
  // The filter hides the focused record: the focus goes to the row now in its place, while
  // nothing moved the data set off the hidden one. Without keys, with keys, with keys and
  // smart refresh; an edit posted, then a deletion.
  for (Integer mode : {0, 1, 2}) {
    const std::string what = "mode " + std::to_string(mode);
    MakeSet(5);
    MakeController({"ID", "NAME", "V"}, mode == 0 ? "" : "ID");
    C->DataModeController()->SetSmartRefresh(mode == 2);
    C->ChangeFocusedRowIndex(2);
    ASSERT_EQ(DS->FieldByName("ID")->Value(), Variant(3)) << what;
    C->Filter()->Root()->AddItem(C->GetItem(2), TcxFilterOperatorKind::foNotEqual, 30, "30");
    C->Filter()->SetActive(true);
    ASSERT_EQ(C->GetRowCount(), 4) << what;
    ASSERT_EQ(C->GetFocusedRowIndex(), 2) << what;
    ASSERT_EQ(C->GetItemValue(C->GetFocusedRecordIndex(), 0), Variant(4)) << what;
    C->ChangeFocusedRowIndex(2);
    C->Edit();
    C->SetEditValue(1, Variant("edited"), TcxDataEditValueSource::evsValue);
    C->PostEditing();
    EXPECT_EQ(VarToStr(DS->Lookup("ID", 4, "NAME")), "edited") << what;
    EXPECT_EQ(VarToStr(DS->Lookup("ID", 3, "NAME")), "n3") << what;
    EXPECT_EQ(Records(C.get()), FreshRecords()) << what;
    // Once more, the record now focused deleted.
    C->Filter()->Root()->AddItem(C->GetItem(2), TcxFilterOperatorKind::foNotEqual, 40, "40");
    C->Filter()->SetActive(true);
    ASSERT_EQ(C->GetRowCount(), 3) << what;
    ASSERT_EQ(C->GetItemValue(C->GetFocusedRecordIndex(), 0), Variant(5)) << what;
    C->DeleteFocused();
    EXPECT_EQ(IDs(C.get()), (std::vector<Integer>{1, 2, 3, 4})) << what;
    EXPECT_EQ(VarToStr(DS->Lookup("ID", 4, "NAME")), "edited") << what;
    EXPECT_EQ(Records(C.get()), FreshRecords()) << what;
    C.reset();
    Items.clear();
  }
}

}  // namespace

namespace {

// A data link on the same source: what a data-aware editor shows is its current record.
class TShownRecord : public TDataLink {
 public:
  Variant Shown() const { return Active() ? DataSet()->FieldByName("ID")->Value() : Variant(); }
};

TEST_F(DBDataEdit, TheDataSetFollowsTheFocusARebuildOfTheRowsMoved) {
  // Without keys, with keys, with keys and smart refresh.
  for (Integer mode : {0, 1, 2}) {
    const std::string what = "mode " + std::to_string(mode);
    MakeSet(6);
    MakeController({"ID", "NAME", "V"}, mode == 0 ? "" : "ID");
    C->DataModeController()->SetSmartRefresh(mode == 2);
    TShownRecord link;
    link.SetDataSource(Source);
    C->ChangeFocusedRowIndex(2);
    ASSERT_EQ(link.Shown(), Variant(3)) << what;
    // A filter hides the focused record: the row now in its place is the data set's.
    C->Filter()->Root()->AddItem(C->GetItem(2), TcxFilterOperatorKind::foNotEqual, 30, "30");
    C->Filter()->SetActive(true);
    ASSERT_EQ(C->GetItemValue(C->GetFocusedRecordIndex(), 0), Variant(4)) << what;
    EXPECT_EQ(DS->FieldByName("ID")->Value(), Variant(4)) << what;
    EXPECT_EQ(link.Shown(), Variant(4)) << what;
    // A sort keeps the focused record: the data set stays on it.
    C->ChangeSortingOrder(2, TcxDataSortOrder::soDescending);
    ASSERT_EQ(C->GetItemValue(C->GetFocusedRecordIndex(), 0), Variant(4)) << what;
    EXPECT_EQ(DS->FieldByName("ID")->Value(), Variant(4)) << what;
    // Grouping settles the focus on a row of the groups: the data set stands on its record
    // (a group row's is the group's first, as for a click on it).
    C->ChangeItemGroupIndex(2, 0);
    ASSERT_GE(C->GetFocusedRecordIndex(), 0) << what;
    EXPECT_EQ(DS->FieldByName("ID")->Value(), C->GetItemValue(C->GetFocusedRecordIndex(), 0))
        << what;
    C->ChangeItemGroupIndex(2, -1);
    // Once more hidden, the last row focused: the focus goes back a row.
    C->ChangeFocusedRowIndex(C->GetRowCount() - 1);
    const Variant last = C->GetItemValue(C->GetFocusedRecordIndex(), 0);
    ASSERT_EQ(DS->FieldByName("ID")->Value(), last) << what;
    C->Filter()->Root()->AddItem(C->GetItem(0), TcxFilterOperatorKind::foNotEqual, last, "");
    C->Filter()->SetActive(true);
    ASSERT_NE(C->GetItemValue(C->GetFocusedRecordIndex(), 0), last) << what;
    EXPECT_EQ(DS->FieldByName("ID")->Value(), C->GetItemValue(C->GetFocusedRecordIndex(), 0))
        << what;
    link.SetDataSource(nullptr);
    C.reset();
    Items.clear();
  }
}

TEST_F(DBDataEdit, ASortFocusingTheTopRowMovesTheDataSetOnlyOnceAnEditIsSettled) {
  // The sort settles another component's edit first (its typed value posted to its own
  // record), then the data set follows the focus to the top row.
  for (Integer mode : {0, 1}) {
    for (bool editing : {false, true}) {
      const std::string what = "mode " + std::to_string(mode) + (editing ? " editing" : "");
      MakeSet(5);
      MakeController({"ID", "NAME", "V"}, mode == 0 ? "" : "ID");
      C->SetOptions(C->Options() +
                    TcxDataControllerOptions{TcxDataControllerOption::dcoFocusTopRowAfterSorting});
      C->ChangeFocusedRowIndex(2);
      if (editing) {
        DS->Edit();
        DS->FieldByName("NAME")->SetValue(Variant("typed"));
      }
      C->ChangeSortingOrder(2, TcxDataSortOrder::soDescending);
      ASSERT_EQ(C->GetItemValue(C->GetFocusedRecordIndex(), 0), Variant(5)) << what;
      EXPECT_EQ(DS->State(), TDataSetState::dsBrowse) << what;
      EXPECT_EQ(DS->FieldByName("ID")->Value(), Variant(5)) << what;
      EXPECT_EQ(VarToStr(DS->Lookup("ID", 3, "NAME")), editing ? "typed" : "n3") << what;
      EXPECT_EQ(VarToStr(DS->Lookup("ID", 5, "NAME")), "n5") << what;
      EXPECT_EQ(Records(C.get()), FreshRecords()) << what;
      C.reset();
      Items.clear();
    }
  }
}

TEST_F(DBDataEdit, ADataSetMovedOntoARecordTheFilterHidesStaysThere) {
  // Another component moves the data set onto a hidden record: the focus cannot follow it,
  // and the data set is not sent back to the focus.
  for (Integer mode : {0, 1, 2}) {
    const std::string what = "mode " + std::to_string(mode);
    MakeSet(5);
    MakeController({"ID", "NAME", "V"}, mode == 0 ? "" : "ID");
    C->DataModeController()->SetSmartRefresh(mode == 2);
    C->Filter()->Root()->AddItem(C->GetItem(2), TcxFilterOperatorKind::foNotEqual, 30, "30");
    C->Filter()->SetActive(true);
    C->ChangeFocusedRowIndex(3);
    ASSERT_EQ(DS->FieldByName("ID")->Value(), Variant(5)) << what;
    ASSERT_TRUE(DS->Locate("ID", Variant(3), TLocateOptions())) << what;
    EXPECT_EQ(DS->FieldByName("ID")->Value(), Variant(3)) << what;
    DS->Next();
    EXPECT_EQ(DS->FieldByName("ID")->Value(), Variant(4)) << what;
    EXPECT_EQ(C->GetItemValue(C->GetFocusedRecordIndex(), 0), Variant(4)) << what;
    C.reset();
    Items.clear();
  }
}

}  // namespace
