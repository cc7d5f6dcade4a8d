// A component that reads every record of a data set (a view opened or refreshed, a detail
// made, a structure change, a select-all) while another holds an edit of that data set: the
// edit is never lost, and every typed value lands on the record it was typed into.
#include "tests/databinding/DBDataTestSupport.h"
#include "tests/databinding/TestDataSets.h"
#include "widgets/databinding/cxDBData.h"
#include "widgets/databinding/cxDBEdit.h"

#include <map>
#include <set>

using enum TFieldType;
using enum TDataSetState;

namespace {

struct PendingEditItem : TObject {};

// Makes a clone of the pattern detail for every master record it is asked for.
class PendingEditMaster : public TcxDBDataController {
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

// Raises from BeforePost while armed.
struct PostRefuser : TObject {
  bool Armed = false;
  void BeforePost(TDataSet*) {
    if (Armed) throw EDatabaseError("refused");
  }
};

// Counts the reads of every record.
class CountingReads : public TcxDBDataController {
 public:
  using TcxDBDataController::TcxDBDataController;
  void ReadProviderRecords() override {
    ++Reads;
    TcxDBDataController::ReadProviderRecords();
  }
  Integer Reads = 0;
};

// What each post stored, ID to NOTE.
struct PostLog : TObject {
  std::map<Integer, String> Posted;
  void AfterPost(TDataSet* ADataSet) {
    Posted[ADataSet->FieldByName("ID")->Value().AsInteger()] =
        ADataSet->FieldByName("NOTE")->GetAsString();
  }
};

// How the edit is made, and which read of every record comes while it goes on.
enum class EditKind { Controller, Editor, CloneDetail, Append };
enum class ReadKind { Open, Refresh, Structure, MakeDetail, Expand, SelectAll };

// Masters 1..5 and their details (ID, MID, NOTE) on a form, controllers over the details, a
// text edit bound to the details' NOTE, and a master controller with a pattern detail.

class DBDataPendingEdit : public DatabindingTest {
 protected:
  void SetUp() override {
    DatabindingTest::SetUp();
    Masters = MakeTestDataSet(form, {{"ID", ftInteger}, {"NAME", ftString, 10}});
    for (Integer i = 1; i <= 5; ++i) Masters->AddRecord({i, String(1, Char('a' + i - 1))});
    Details =
        MakeTestDataSet(form, {{"ID", ftInteger}, {"MID", ftInteger}, {"NOTE", ftString, 20}});
    for (const auto& r : InitialDetails()) Details->AddRecord({r.first, r.first / 10, r.second});
    MasterSource = New<TDataSource>(form);
    MasterSource->SetDataSet(Masters);
    DetailSource = New<TDataSource>(form);
    DetailSource->SetDataSet(Details);
    Masters->Open();
    Details->Open();
  }
  void TearDown() override {
    B.reset();
    A.reset();
    Master.reset();
    Pattern.reset();
    Items.clear();
    DatabindingTest::TearDown();
  }
  // ID to NOTE; the master of a detail is its ID's tens.
  static std::map<Integer, String> InitialDetails() {
    return {{10, "ten"},    {11, "eleven"}, {20, "twenty"},
            {30, "thirty"}, {40, "forty"},  {41, "forty-one"}};
  }
  TcxDBDataController* AddController(Owned<TcxDBDataController>& AOwned,
                                     TcxDBDataController* AController, TDataSource* ASource,
                                     const std::vector<String>& ANames, const String& AKeys) {
    AOwned.reset(AController);
    for (const String& n : ANames) {
      Items.emplace_back(New<PendingEditItem>());
      AController->AddItem(Items.back().get());
      AController->ChangeFieldName(AController->GetItemCount() - 1, n);
    }
    AController->SetKeyFieldNames(AKeys);
    if (ASource) AController->SetDataSource(ASource);
    return AController;
  }
  TcxDBDataController* MakeDetailController(Owned<TcxDBDataController>& AOwned,
                                            TcxDBDataController* AController = nullptr) {
    return AddController(AOwned, AController ? AController : New<TcxDBDataController>(nullptr),
                         DetailSource, {"ID", "MID", "NOTE"}, "ID");
  }
  // The details become a query on MID (what it posts is not kept past its next opening).
  TTestMemoryQuery* MakeQuery() {
    auto* query = MakeTestDataSet<TTestMemoryQuery>(
        form, {{"ID", ftInteger}, {"MID", ftInteger}, {"NOTE", ftString, 20}});
    query->GetParams()->CreateParam(ftInteger, "MID");
    for (const auto& r : InitialDetails()) query->AddRow({r.first, r.first / 10, r.second});
    query->Open();
    Details = query;
    DetailSource->SetDataSet(query);
    return query;
  }
  String NoteOf(TcxDBDataController* AController, Integer AID) {
    const Integer row = RowOfID(AController, AID);
    return row < 0
               ? String("(none)")
               : VarToStr(AController->GetItemValue(AController->GetRowInfo(row).RecordIndex, 2));
  }
  void MakeMasterDetail() {
    Owned<TcxDBDataController> master;
    AddController(master, New<PendingEditMaster>(nullptr), MasterSource, {"ID", "NAME"}, "ID");
    Master.reset(static_cast<PendingEditMaster*>(master.release()));
    AddController(Pattern, New<TcxDBDataController>(nullptr), DetailSource, {"ID", "MID", "NOTE"},
                  "ID");
    Pattern->SetMasterKeyFieldNames("ID");
    Pattern->SetDetailKeyFieldNames("MID");
    Pattern->SetMasterRelation(Master->Relations()->Add(&Level), -1);
    Master->Refresh();
  }
  TcxDBDataController* DetailOf(Integer AMasterID) {
    return static_cast<TcxDBDataController*>(Master->GetDetailDataController(AMasterID - 1, 0));
  }
  static Integer RowOfID(TcxDBDataController* AController, Integer AID) {
    for (Integer r = 0; r < AController->GetRowCount(); ++r) {
      const Integer record = AController->GetRowInfo(r).RecordIndex;
      if (record >= 0 && AController->GetItemValue(record, 0) == Variant(AID)) return r;
    }
    return -1;
  }
  // The IDs a controller holds (a record without one, a new record, left out).
  static std::set<Integer> IDs(TcxDBDataController* AController) {
    std::set<Integer> r;
    for (Integer i = 0; i < AController->GetRecordCount(); ++i) {
      const Variant id = AController->GetItemValue(i, 0);
      if (!VarIsNull(id)) r.insert(id.AsInteger());
    }
    return r;
  }
  // The stored records of the data set, ID to NOTE, read without moving it.
  std::map<Integer, String> Stored() const {
    std::map<Integer, String> r;
    for (Integer id = 1; id <= 120; ++id) {
      const Variant note = Details->Lookup("ID", id, "NOTE");
      if (!VarIsNull(note)) r[id] = VarToStr(note);
    }
    return r;
  }

  // Leaves a typed value of NOTE on the details' record 30 (or an empty appended record)
  // with the data set editing it.
  void MakeEdit(EditKind AKind) {
    switch (AKind) {
      case EditKind::Controller:
        A->ChangeFocusedRowIndex(RowOfID(A.get(), 30));
        A->Edit();
        A->SetEditValue(2, Variant("typed"), TcxDataEditValueSource::evsValue);
        break;
      case EditKind::Editor:
        ASSERT_TRUE(Details->Locate("ID", 30, TLocateOptions()));
        Edit->SetFocus();
        Pump();
        Edit->SelectAll();
        Type("typed");
        ASSERT_EQ(Details->FieldByName("NOTE")->Value(), Variant("thirty"));
        break;
      case EditKind::CloneDetail: {
        TcxDBDataController* d = DetailOf(3);
        d->ChangeFocusedRowIndex(0);
        d->Edit();
        d->SetEditValue(2, Variant("typed"), TcxDataEditValueSource::evsValue);
        break;
      }
      case EditKind::Append:
        Details->Append();
        break;
    }
    ASSERT_TRUE(IsEditState(Details->State()));
  }
  // A read of every record of the details, by a component other than the editing one.
  void MakeRead(ReadKind AKind) {
    switch (AKind) {
      case ReadKind::Open:
        MakeDetailController(B);
        break;
      case ReadKind::Refresh:
      case ReadKind::Structure:
      case ReadKind::SelectAll:
        ASSERT_TRUE(B);
        if (AKind == ReadKind::Refresh) {
          B->Refresh();
        } else if (AKind == ReadKind::Structure) {
          B->UpdateStructure();
        } else {
          B->SelectAll();
        }
        break;
      case ReadKind::MakeDetail:
        ASSERT_NE(DetailOf(4), nullptr);
        break;
      case ReadKind::Expand:
        Master->ChangeDetailExpanding(1, true);
        ASSERT_TRUE(Master->GetDetailExpanding(1));
        break;
    }
  }
  // Controllers that exist before the edit for the read to act on.
  void PrepareRead(ReadKind AKind) {
    if (AKind == ReadKind::Refresh || AKind == ReadKind::Structure) MakeDetailController(B);
    if (AKind == ReadKind::SelectAll) {
      MakeDetailController(B);
      B->DataModeController()->SetGridMode(true);
      B->SetMultiSelect(true);
    }
  }

  TMemoryDataSet* Masters = nullptr;
  TMemoryDataSet* Details = nullptr;
  TDataSource* MasterSource = nullptr;
  TDataSource* DetailSource = nullptr;
  TcxDBTextEdit* Edit = nullptr;
  Owned<TcxDBDataController> A, B;
  Owned<PendingEditMaster> Master;
  Owned<TcxDBDataController> Pattern;
  PendingEditItem Level;
  std::vector<Owned<PendingEditItem>> Items;
};

class EveryRead : public DBDataPendingEdit,
                  public ::testing::WithParamInterface<std::tuple<EditKind, ReadKind>> {};

TEST_P(EveryRead, KeepsTheTypedValueAndItLandsOnItsRecord) {
  using enum EditKind;
  using enum ReadKind;
  const auto [edit, read] = GetParam();
  Edit = New<TcxDBTextEdit>(form);
  Edit->SetBounds(10, 10, 140, 21);
  Edit->SetParent(form);
  Edit->GetDataBinding()->SetDataSource(DetailSource);
  Edit->GetDataBinding()->SetDataField("NOTE");
  Show();
  MakeDetailController(A);
  MakeMasterDetail();
  PrepareRead(read);
  MakeEdit(edit);
  if (HasFailure()) return;
  MakeRead(read);
  if (HasFailure()) return;
  // The read saw every record.
  if (read == Open || read == Refresh || read == Structure) {
    std::set<Integer> all;
    for (const auto& r : InitialDetails()) all.insert(r.first);
    EXPECT_EQ(IDs(B.get()), all);
  } else if (read == MakeDetail) {
    EXPECT_EQ(IDs(DetailOf(4)), (std::set<Integer>{40, 41}));
  } else if (read == Expand) {
    EXPECT_EQ(IDs(DetailOf(2)), (std::set<Integer>{20}));
  } else {
    EXPECT_EQ(B->GetSelectedCount(), Integer(InitialDetails().size()));
  }
  // The edit is still going on, or it was stored; finishing it stores what was typed on the
  // record it was typed into, and nothing else changes.
  std::map<Integer, String> expected = InitialDetails();
  if (edit == Append) {
    ASSERT_EQ(Details->State(), dsInsert);
    Details->FieldByName("ID")->SetValue(Variant(99));
    Details->FieldByName("MID")->SetValue(Variant(2));
    Details->FieldByName("NOTE")->SetValue(Variant("typed"));
    expected[99] = "typed";
  } else {
    expected[30] = "typed";
    if (edit == Editor) {
      EXPECT_EQ(Edit->InnerTextEdit()->GetText(), "typed");
    }
  }
  if (IsEditState(Details->State())) Details->Post();
  EXPECT_EQ(Stored(), expected);
}

std::string EveryReadName(const ::testing::TestParamInfo<std::tuple<EditKind, ReadKind>>& AInfo) {
  static const char* edits[] = {"Controller", "Editor", "CloneDetail", "Append"};
  static const char* reads[] = {"Open",       "Refresh", "Structure",
                                "MakeDetail", "Expand",  "SelectAll"};
  return std::string(edits[int(std::get<0>(AInfo.param))]) + "Then" +
         reads[int(std::get<1>(AInfo.param))];
}

INSTANTIATE_TEST_SUITE_P(
    PendingEdit, EveryRead,
    ::testing::Combine(::testing::Values(EditKind::Controller, EditKind::Editor,
                                         EditKind::CloneDetail, EditKind::Append),
                       ::testing::Values(ReadKind::Open, ReadKind::Refresh, ReadKind::Structure,
                                         ReadKind::MakeDetail, ReadKind::Expand,
                                         ReadKind::SelectAll)),
    EveryReadName);

TEST_F(DBDataPendingEdit, AnEditWithChangesIsPostedBeforeTheReadAndOneWithoutStays) {
  MakeDetailController(A);
  // Changes: stored before the other controller reads them.
  A->ChangeFocusedRowIndex(RowOfID(A.get(), 30));
  A->Edit();
  A->SetEditValue(2, Variant("typed"), TcxDataEditValueSource::evsValue);
  MakeDetailController(B);
  EXPECT_EQ(Details->State(), dsBrowse);
  EXPECT_EQ(Stored()[30], "typed");
  EXPECT_EQ(NoteOf(B.get(), 30), "typed");
  // No changes: the edit and the insert go on, and the records are read all the same.
  for (bool insert : {false, true}) {
    if (insert) {
      Details->Append();
    } else {
      A->ChangeFocusedRowIndex(RowOfID(A.get(), 40));
      A->Edit();
    }
    const TDataSetState state = Details->State();
    ASSERT_TRUE(IsEditState(state));
    B->Refresh();
    MakeDetailController(B);
    EXPECT_EQ(Details->State(), state);
    EXPECT_EQ(IDs(B.get()), (std::set<Integer>{10, 11, 20, 30, 40, 41}));
    if (!insert) {
      EXPECT_EQ(Details->FieldByName("ID")->Value(), Variant(40));
      EXPECT_TRUE(A->IsEditing());
    }
    Details->Cancel();
  }
}

TEST_F(DBDataPendingEdit, ARefusedPostKeepsTheEditRaisesAndNothingIsRead) {
  PostRefuser refuser;
  Details->BeforePost = TDataSetNotifyEvent(&refuser, &PostRefuser::BeforePost);
  MakeDetailController(A);
  auto* counting =
      static_cast<CountingReads*>(MakeDetailController(B, New<CountingReads>(nullptr)));
  Owned<TcxDBDataController> grid;
  TcxDBDataController* window = MakeDetailController(grid);
  window->DataModeController()->SetGridMode(true);
  window->SetMultiSelect(true);
  A->ChangeFocusedRowIndex(RowOfID(A.get(), 30));
  A->Edit();
  A->SetEditValue(2, Variant("typed"), TcxDataEditValueSource::evsValue);
  refuser.Armed = true;
  const Integer reads = counting->Reads;
  EXPECT_THROW(B->Refresh(), EDatabaseError);
  EXPECT_EQ(counting->Reads, reads);
  const Integer selected = window->GetSelectedCount();
  EXPECT_THROW(window->SelectAll(), EDatabaseError);
  EXPECT_EQ(window->GetSelectedCount(), selected);
  EXPECT_EQ(Details->State(), dsEdit);
  EXPECT_EQ(Details->FieldByName("NOTE")->Value(), Variant("typed"));
  EXPECT_TRUE(A->IsEditing());
  // Accepted, the same reads post it first.
  refuser.Armed = false;
  B->Refresh();
  EXPECT_EQ(Details->State(), dsBrowse);
  EXPECT_EQ(Stored()[30], "typed");
  EXPECT_EQ(NoteOf(B.get(), 30), "typed");
  grid.reset();
  Details->BeforePost = nullptr;
}

TEST_F(DBDataPendingEdit, RecordsReadWhileAnEditStaysAreReadAgainWhenItEnds) {
  // A controller that re-reads only the records it watches: the edit it did not see begin.
  for (bool insert : {false, true}) {
    MakeDetailController(A);
    if (insert) {
      Details->Append();
    } else {
      A->ChangeFocusedRowIndex(RowOfID(A.get(), 30));
      A->Edit();
    }
    AddController(B, New<TcxDBDataController>(nullptr), nullptr, {"ID", "MID", "NOTE"}, "ID");
    B->DataModeController()->SetSmartRefresh(true);
    B->SetDataSource(DetailSource);
    ASSERT_TRUE(IsEditState(Details->State()));
    if (insert) {
      Details->FieldByName("ID")->SetValue(Variant(99));
      Details->FieldByName("MID")->SetValue(Variant(2));
    }
    Details->FieldByName("NOTE")->SetValue(Variant("typed"));
    Details->Post();
    EXPECT_EQ(NoteOf(B.get(), insert ? 99 : 30), "typed") << insert;
    B.reset();
    A.reset();
  }
}

TEST_F(DBDataPendingEdit, AQueryDetailThatMustBeOpenedAgainReadsOnceTheEditEnds) {
  MakeQuery();
  MakeMasterDetail();
  Pattern->DataModeController()->SetDetailInSQLMode(true);
  ASSERT_EQ(IDs(DetailOf(3)), (std::set<Integer>{30}));
  Details->Append();
  // Opening the query for master 4 would end the insert: the detail waits.
  TcxDBDataController* four = DetailOf(4);
  EXPECT_EQ(Details->State(), dsInsert);
  EXPECT_TRUE(IDs(four).empty()) << IDs(four).size() << " " << *IDs(four).begin();
  Details->Cancel();
  EXPECT_EQ(IDs(four), (std::set<Integer>{40, 41}));
}

TEST_F(DBDataPendingEdit, FocusingAQueryDetailPostsTheEditBeforeTheQueryIsOpenedAgain) {
  TTestMemoryQuery* query = MakeQuery();
  PostLog log;
  query->AfterPost = TDataSetNotifyEvent(&log, &PostLog::AfterPost);
  MakeMasterDetail();
  Pattern->DataModeController()->SetDetailInSQLMode(true);
  TcxDBDataController* four = DetailOf(4);
  TcxDBDataController* three = DetailOf(3);
  ASSERT_EQ(IDs(three), (std::set<Integer>{30}));
  three->ChangeFocusedRowIndex(0);
  three->Edit();
  three->SetEditValue(2, Variant("typed"), TcxDataEditValueSource::evsValue);
  // The query holds master 3's records: focusing master 4's detail opens it again.
  four->ChangeFocusedRowIndex(1);
  EXPECT_EQ(log.Posted, (std::map<Integer, String>{{30, "typed"}}));
  EXPECT_EQ(query->State(), dsBrowse);
  EXPECT_EQ(query->FieldByName("MID")->Value(), Variant(4));
  query->AfterPost = nullptr;
}

TEST_F(DBDataPendingEdit, ARangeOfAWindowIsSelectedWithoutEndingAnInsert) {
  MakeDetailController(B);
  B->DataModeController()->SetGridMode(true);
  B->SetMultiSelect(true);
  B->ChangeFocusedRowIndex(RowOfID(B.get(), 11));
  B->SetSelectionAnchor(B->GetFocusedRowIndex());
  MakeDetailController(A);
  // An insert before record 20 (one at the end would leave nothing to select from).
  ASSERT_TRUE(Details->Locate("ID", 20, TLocateOptions()));
  Details->Insert();
  B->SelectFromAnchor(RowOfID(B.get(), 40), false);
  EXPECT_EQ(Details->State(), dsInsert);
  std::set<Integer> selected;
  for (Integer i = 0; i < B->GetSelectedCount(); ++i) {
    const TBookmarkStr b = B->GetSelectedBookmark(i);
    Details->ReadRecords([&](const TBookmarkStr& ABookmark) {
      if (ABookmark == b) selected.insert(Details->FieldByName("ID")->Value().AsInteger());
      return true;
    });
  }
  EXPECT_EQ(selected, (std::set<Integer>{11, 20, 30, 40}));
}

}  // namespace
