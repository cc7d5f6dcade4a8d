// Master-detail over data sets: each master record's detail rows against a plain filter of
// the detail data set by the master's key, by Locate and by re-opening a query.
#include "tests/databinding/DBDataDetailTestSupport.h"

#include "classlib/core/SysUtils.h"

#include <algorithm>
#include <map>
#include <set>

using enum TFieldType;

namespace {

TEST_F(DBDataDetail, EachMastersDetailRowsEqualAPlainFilterOfTheDetailSet) {
  MakePlainSets();
  EXPECT_EQ(Pattern->GetDetailMode(), TcxDataControllerDetailMode::dcdmPattern);
  // Visit the masters out of order: each detail walks from its own first record.
  for (Integer r : {3, 0, 4, 1, 2}) {
    const Integer id = Master->GetItemValue(r, 0).AsInteger();
    TcxCustomDataController* d = Master->GetDetailDataController(r, 0);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->GetDetailMode(), TcxDataControllerDetailMode::dcdmClone);
    EXPECT_EQ(DetailIDs(d), Expected()[id]) << "master " << id;
    EXPECT_EQ(Master->GetDetailHasChildren(r, 0), !Expected()[id].empty()) << "master " << id;
  }
  // The pattern itself reads nothing.
  EXPECT_EQ(Pattern->GetRecordCount(), 0);
}

TEST_F(DBDataDetail, ASQLModeDetailIsReopenedOnlyWhenItsParametersChange) {
  TTestMemoryQuery* query = MakeQuerySets();
  const Integer opens = query->OpenCount();
  TcxCustomDataController* d1 = Master->GetDetailDataController(0, 0);
  EXPECT_EQ(DetailIDs(d1), Expected()[1]);
  EXPECT_EQ(query->OpenCount(), opens + 1);
  // The same master again: the query already holds its records.
  d1->Refresh();
  EXPECT_EQ(query->OpenCount(), opens + 1);
  EXPECT_EQ(DetailIDs(d1), Expected()[1]);
  // Another master: opened once more, with its own parameter.
  TcxCustomDataController* d4 = Master->GetDetailDataController(3, 0);
  EXPECT_EQ(query->OpenCount(), opens + 2);
  EXPECT_EQ(DetailIDs(d4), Expected()[4]);
  EXPECT_EQ(query->GetParams()->ParamByName("MID")->Value(), Variant(4));
  // The first detail keeps its records, and the query holding another master's records
  // is outdated for it.
  EXPECT_EQ(DetailIDs(d1), Expected()[1]);
  EXPECT_TRUE(static_cast<TcxDBDataController*>(d1)->IsDetailQueryOutdated());
}

TEST_F(DBDataDetail, AQueryAlreadyHoldingTheMastersRecordsIsReadFromItsFirstRecord) {
  TTestMemoryQuery* query = MakeQuerySets();
  TcxCustomDataController* d1 = Master->GetDetailDataController(0, 0);
  ASSERT_EQ(DetailIDs(d1), Expected()[1]);
  const Integer opens = query->OpenCount();
  query->Last();
  ASSERT_EQ(query->FieldByName("ID")->Value(), Variant(12));
  d1->Refresh();
  EXPECT_EQ(query->OpenCount(), opens) << "the parameters hold this master's values";
  EXPECT_EQ(DetailIDs(d1), Expected()[1]);
  // The adapter on its own: the query moves to its first record and is not reopened.
  query->Last();
  bool reopened = false;
  EXPECT_TRUE(
      Pattern->GetDetailFilterAdapter()->LocateDetail(query, "MID", reopened, true, Variant(1)));
  EXPECT_FALSE(reopened);
  EXPECT_EQ(query->FieldByName("ID")->Value(), Variant(10));
  EXPECT_EQ(query->OpenCount(), opens);
}

TEST_F(DBDataDetail, AQueryWhoseFirstRecordWentToAnotherMasterIsReadFromTheMastersFirstRecord) {
  TTestMemoryQuery* query = MakeQuerySets();
  TcxCustomDataController* d1 = Master->GetDetailDataController(0, 0);
  ASSERT_EQ(DetailIDs(d1), Expected()[1]);
  // The query holds the record posted to master 4 until it is opened again.
  query->First();
  query->Edit();
  query->FieldByName("MID")->SetValue(Variant(4));
  query->Post();
  ASSERT_EQ(query->RecordCount(), 3);
  EXPECT_EQ(DetailIDs(d1), (std::set<Integer>{11, 12}));
  d1->Refresh();
  EXPECT_EQ(DetailIDs(d1), (std::set<Integer>{11, 12}));
  // The adapter on its own: the first record that holds the master's values, not re-opened.
  const Integer opens = query->OpenCount();
  query->Last();
  bool reopened = false;
  EXPECT_TRUE(
      Pattern->GetDetailFilterAdapter()->LocateDetail(query, "MID", reopened, true, Variant(1)));
  EXPECT_FALSE(reopened);
  EXPECT_EQ(query->FieldByName("ID")->Value(), Variant(11));
  EXPECT_EQ(query->OpenCount(), opens);
}

TEST_F(DBDataDetail, ARecordASQLDetailPostsForAnotherMasterLeavesItAndReopensNoQuery) {
  TTestMemoryQuery* query = MakeQuerySets();
  TcxCustomDataController* d5 = Master->GetDetailDataController(4, 0);
  TcxCustomDataController* d2 = Master->GetDetailDataController(1, 0);
  ASSERT_EQ(DetailIDs(d5), Expected()[5]);
  ASSERT_EQ(DetailIDs(d2), Expected()[2]);
  // A value typed into the empty detail inserts a record, given master 5's key.
  d2->SetEditValue(1, Variant(5), TcxDataEditValueSource::evsValue);
  ASSERT_EQ(query->State(), TDataSetState::dsInsert);
  query->FieldByName("ID")->SetValue(Variant(50));
  query->Prior();
  ASSERT_EQ(query->State(), TDataSetState::dsBrowse);
  // Nor does master 5's detail take the query, opened for master 2, for its own.
  EXPECT_EQ(query->RecordCount(), 1);
  EXPECT_EQ(query->GetParams()->ParamByName("MID")->Value(), Variant(2));
  EXPECT_EQ(DetailIDs(d5), Expected()[5]);
  EXPECT_EQ(DetailIDs(d2), Expected()[2]);
  d2->Refresh();
  EXPECT_EQ(DetailIDs(d2), Expected()[2]);
}

// Counts the posts of a data set.
struct PostCounter : TObject {
  Integer Posts = 0;
  void BeforePost(TDataSet*) { ++Posts; }
};

TEST_F(DBDataDetail, AnEmptyAppendLeftAsAnotherSQLDetailTakesTheQueryIsGivenUpByItsOwnDetail) {
  TTestMemoryQuery* query = MakeQuerySets();
  // Keyed details too: the detail focused holds back its siblings' notices as it moves.
  for (bool keyed : {false, true}) {
    SCOPED_TRACE(keyed ? "keyed" : "unkeyed");
    Pattern->SetKeyFieldNames(keyed ? "ID" : "");
    Master->ResetDetails();
    TcxCustomDataController* d1 = Master->GetDetailDataController(0, 0);
    TcxCustomDataController* d5 = Master->GetDetailDataController(4, 0);
    ASSERT_EQ(DetailIDs(d5), Expected()[5]);
    ASSERT_EQ(static_cast<TcxDBDataController*>(d5)->IdentifiesRecordsByKey(), keyed);
    PostCounter counter;
    query->BeforePost = TDataSetNotifyEvent(&counter, &PostCounter::BeforePost);
    // Nothing is typed into the appended record but the master's key values.
    d5->Append();
    ASSERT_EQ(query->State(), TDataSetState::dsInsert);
    ASSERT_EQ(d5->GetRecordCount(), 1);
    d1->ChangeFocusedRowIndex(0);
    EXPECT_EQ(query->GetParams()->ParamByName("MID")->Value(), Variant(1));
    EXPECT_EQ(query->State(), TDataSetState::dsBrowse);
    EXPECT_EQ(counter.Posts, 0);
    EXPECT_EQ(d5->GetRecordCount(), 0);
    EXPECT_EQ(DetailIDs(d1), Expected()[1]);
    query->BeforePost = nullptr;
  }
}

TEST_F(DBDataDetail, AnSQLDetailTakingTheQueryBackShowsWhatItReadsForItsMasterNow) {
  TTestMemoryQuery* query = MakeQuerySets();
  TcxCustomDataController* d4 = Master->GetDetailDataController(3, 0);
  TcxCustomDataController* d3 = Master->GetDetailDataController(2, 0);
  ASSERT_EQ(DetailIDs(d3), Expected()[3]);
  ASSERT_EQ(DetailIDs(d4), Expected()[4]);
  // A record is given to master 4 while the query holds master 3's.
  query->AddRow({42, 4, 7.0});
  EXPECT_EQ(DetailIDs(d4), Expected()[4]);
  d4->ChangeFocusedRowIndex(0);
  EXPECT_EQ(query->GetParams()->ParamByName("MID")->Value(), Variant(4));
  EXPECT_EQ(DetailIDs(d4), (std::set<Integer>{40, 41, 42}));
  EXPECT_EQ(DetailIDs(d3), Expected()[3]);
  // The focused record is the one the query stands on.
  ASSERT_GE(d4->GetFocusedRecordIndex(), 0);
  EXPECT_EQ(d4->GetItemValue(d4->GetFocusedRecordIndex(), 0), query->FieldByName("ID")->Value());
}

TEST_F(DBDataDetail, ADetailWithoutTheAskedParameterIsNotCurrentAndRaisesNothing) {
  auto* query = New<TTestMemoryQuery>(Owner.get());
  query->FieldDefs().Add("ID", ftInteger);
  query->FieldDefs().Add("MID", ftInteger);
  query->FieldDefs().Add("OTHER", ftInteger);
  query->GetParams()->CreateParam(ftInteger, "OTHER");
  query->AddRow({20, 2, Null()});
  query->Open();
  MakeSets(query);
  MakeControllers();
  Pattern->DataModeController()->SetDetailInSQLMode(true);
  TcxDBProviderDetailFilterAdapter* adapter = Pattern->GetDetailFilterAdapter();
  EXPECT_FALSE(adapter->IsCurrentQuery(query, "MID", Variant(1)));
  EXPECT_FALSE(adapter->IsCurrentQuery(DS, "ID", Variant(1)));
  const Integer opens = query->OpenCount();
  TcxCustomDataController* d = nullptr;
  EXPECT_NO_THROW(d = Master->GetDetailDataController(0, 0));
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(query->OpenCount(), opens);
  // It shows none of the other master's records the query still holds.
  EXPECT_EQ(d->GetRecordCount(), 0);
}

TEST_F(DBDataDetail, NoAdapterForTheDataSetsClassIsAnError) {
  MakeDataSet({{"ID", ftInteger}}, {{1}});
  DS->Open();
  MakeController({"ID"});
  EXPECT_NE(C->GetDetailFilterAdapter(), nullptr);
  cxDBData::DetailFilterAdapters()->UnregisterAdapter(
      &TDataSet::StaticClass(), ClassOf<TcxDBProviderDetailFilterAdapter, TcxDBAdapterItem, const TClass*>());
  EXPECT_THROW(C->GetDetailFilterAdapter(), EcxInvalidDataControllerOperation);
}

}  // namespace

namespace {

// Frees the master controller from the data set's post.
struct MasterKiller : TObject {
  Owned<MasterController>* Victim = nullptr;
  void BeforePost(TDataSet*) { Victim->reset(); }
};

TEST_F(DBDataDetail, LeavingADetailRowPostsTheMasterFirstAndSurvivesAHandlerFreeingIt) {
  MakePlainSets();
  // The master re-reads only its posted record, so its details stay.
  Master->SetKeyFieldNames("ID");
  Master->DataModeController()->SetSmartRefresh(true);
  auto* d = static_cast<TcxDBDataController*>(Master->GetDetailDataController(0, 0));
  ASSERT_NE(d, nullptr);
  // A pending master edit is posted before the detail row is left.
  DS->Edit();
  DS->FieldByName("NAME")->SetValue(Variant("posted"));
  EXPECT_TRUE(d->CanLeaveFocusedRow());
  EXPECT_EQ(DS->State(), TDataSetState::dsBrowse);
  EXPECT_EQ(DS->FieldByName("NAME")->Value(), Variant("posted"));
  ASSERT_EQ(Master->GetDetailDataController(0, 0), d);
  // A handler of that post frees the master, and with it this detail: the answer is False.
  MasterKiller killer;
  killer.Victim = &Master;
  DS->BeforePost = TDataSetNotifyEvent(&killer, &MasterKiller::BeforePost);
  DS->Edit();
  DS->FieldByName("NAME")->SetValue(Variant("again"));
  EXPECT_FALSE(d->CanLeaveFocusedRow());
  EXPECT_EQ(Master.get(), nullptr);
  DS->BeforePost = nullptr;
  EXPECT_EQ(DS->State(), TDataSetState::dsBrowse);
}

}  // namespace

namespace {

TEST_F(DBDataDetail, FocusingAnOutdatedSQLDetailAsksTheQueryForItsMasterAgain) {
  TTestMemoryQuery* query = MakeQuerySets();
  auto* d1 = static_cast<TcxDBDataController*>(Master->GetDetailDataController(0, 0));
  auto* d4 = static_cast<TcxDBDataController*>(Master->GetDetailDataController(3, 0));
  ASSERT_TRUE(d1->IsDetailQueryOutdated());
  const Integer opens = query->OpenCount();
  d1->ChangeFocusedRowIndex(2);
  EXPECT_EQ(query->OpenCount(), opens + 1);
  EXPECT_EQ(query->GetParams()->ParamByName("MID")->Value(), Variant(1));
  EXPECT_FALSE(d1->IsDetailQueryOutdated());
  // The query stands on the focused detail record; the other clone kept its records.
  EXPECT_EQ(d1->GetItemValue(d1->GetFocusedRecordIndex(), 0), query->FieldByName("ID")->Value());
  EXPECT_EQ(DetailIDs(d4), Expected()[4]);
  EXPECT_EQ(DetailIDs(d1), Expected()[1]);
  // Focusing again within the same master asks nothing anew.
  d1->ChangeFocusedRowIndex(0);
  EXPECT_EQ(query->OpenCount(), opens + 1);
  EXPECT_EQ(d1->GetItemValue(d1->GetFocusedRecordIndex(), 0), query->FieldByName("ID")->Value());
}

}  // namespace

namespace {

TEST_F(DBDataDetail, OnlyOneCloneDetailOfARelationHoldsAFocusedRecord) {
  MakePlainSets();
  auto* d1 = static_cast<TcxDBDataController*>(Master->GetDetailDataController(0, 0));
  auto* d4 = static_cast<TcxDBDataController*>(Master->GetDetailDataController(3, 0));
  ASSERT_NE(d1, nullptr);
  ASSERT_NE(d4, nullptr);
  d1->ChangeFocusedRowIndex(1);
  ASSERT_GE(d1->GetFocusedRecordIndex(), 0);
  EXPECT_TRUE(d1->DBProvider()->IsDetailPositioned());
  // The other clone takes the shared data set: the first one lets its record go.
  d4->ChangeFocusedRowIndex(1);
  ASSERT_GE(d4->GetFocusedRecordIndex(), 0);
  EXPECT_EQ(d1->GetFocusedRecordIndex(), -1);
  EXPECT_FALSE(d1->DBProvider()->IsDetailPositioned());
  EXPECT_EQ(d4->GetItemValue(d4->GetFocusedRecordIndex(), 0), Variant(41));
  // The first one is told it stopped being the active detail before the other is told it
  // became it.
  Master->ActiveDetails.clear();
  d1->ChangeFocusedRowIndex(0);
  EXPECT_EQ(Master->ActiveDetails, (TActiveDetailLog{{d4, false}, {d1, true}}));
  Master->ActiveDetails.clear();
  d4->ChangeFocusedRowIndex(1);
  EXPECT_EQ(Master->ActiveDetails, (TActiveDetailLog{{d1, false}, {d4, true}}));
  // And back again.
  d1->ChangeFocusedRowIndex(2);
  EXPECT_EQ(d4->GetFocusedRecordIndex(), -1);
  ASSERT_GE(d1->GetFocusedRecordIndex(), 0);
  EXPECT_EQ(d1->GetItemValue(d1->GetFocusedRecordIndex(), 0), Variant(12));
}

}  // namespace

namespace {

TEST_F(DBDataDetail, MovingThePatternsDataSetBringsTheMasterAndExpandsItsDetail) {
  TMemoryDataSet* detail = MakePlainSets();
  for (TcxDBDataController* c : {static_cast<TcxDBDataController*>(Master.get()), Pattern.get()}) {
    c->SetKeyFieldNames("ID");
    c->DataModeController()->SetSmartRefresh(true);
  }
  ASSERT_EQ(DS->FieldByName("ID")->Value(), Variant(1));
  // The detail data set moves to a detail record: the master follows onto its record and
  // the pattern's answer is that record's expanded detail.
  auto follow = [&](Integer ADetailID, Integer AMasterID) {
    ASSERT_TRUE(detail->Locate("ID", Variant(ADetailID), TLocateOptions()));
    EXPECT_EQ(DS->FieldByName("ID")->Value(), Variant(AMasterID));
    const Integer r = Master->GetFocusedRecordIndex();
    ASSERT_GE(r, 0);
    EXPECT_EQ(Master->GetItemValue(r, 0), Variant(AMasterID));
    EXPECT_TRUE(Master->GetDetailExpanding(r));
    TcxCustomDataController* d = Master->GetDetailDataController(r, 0);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(DetailIDs(d), Expected()[AMasterID]);
    EXPECT_EQ(Pattern->SyncMasterPos(), d);
  };
  follow(40, 4);
  const Integer r4 = Master->GetFocusedRecordIndex();
  TcxCustomDataController* d4 = Master->GetDetailDataController(r4, 0);
  // Asked again on the same record, the answer is the detail already shown; nothing moves.
  EXPECT_EQ(Pattern->SyncMasterPos(), d4);
  EXPECT_EQ(Master->GetFocusedRecordIndex(), r4);
  // Another master's record, and back.
  follow(11, 1);
  follow(41, 4);
  EXPECT_EQ(Master->GetDetailDataController(Master->GetFocusedRecordIndex(), 0), d4);
  // A master in the middle of an edit is not moved.
  DS->Edit();
  EXPECT_FALSE(Master->CanSyncMasterPos());
  ASSERT_TRUE(detail->Locate("ID", Variant(30), TLocateOptions()));
  EXPECT_EQ(DS->FieldByName("ID")->Value(), Variant(4));
  EXPECT_EQ(Pattern->SyncMasterPos(), nullptr);
  DS->Cancel();
}

TEST_F(DBDataDetail, WithoutKeysOrRelationTheDetailShowsItselfAndNothingMoves) {
  TMemoryDataSet* detail = MakePlainSets();
  // Neither the master nor the pattern identifies its records by key: nothing follows.
  ASSERT_TRUE(detail->Locate("ID", Variant(40), TLocateOptions()));
  EXPECT_EQ(DS->FieldByName("ID")->Value(), Variant(1));
  EXPECT_EQ(Pattern->SyncMasterPos(), nullptr);
  // A controller without a master relation is the one that shows its own data.
  MakeController({"ID"});
  EXPECT_EQ(C->SyncMasterPos(), C.get());
}

}  // namespace

namespace {

TEST_F(DBDataDetail, OnlyOneSQLCloneDetailOfARelationHoldsAFocusedRecord) {
  TTestMemoryQuery* query = MakeQuerySets();
  auto* d1 = static_cast<TcxDBDataController*>(Master->GetDetailDataController(0, 0));
  auto* d4 = static_cast<TcxDBDataController*>(Master->GetDetailDataController(3, 0));
  d4->ChangeFocusedRowIndex(1);
  ASSERT_GE(d4->GetFocusedRecordIndex(), 0);
  EXPECT_TRUE(d4->DBProvider()->IsDetailPositioned());
  // The other clone asks the query for its own master and takes it: the first lets go.
  d1->ChangeFocusedRowIndex(2);
  ASSERT_GE(d1->GetFocusedRecordIndex(), 0);
  EXPECT_EQ(d1->GetItemValue(d1->GetFocusedRecordIndex(), 0), query->FieldByName("ID")->Value());
  EXPECT_EQ(d4->GetFocusedRecordIndex(), -1);
  EXPECT_FALSE(d4->DBProvider()->IsDetailPositioned());
  EXPECT_TRUE(d1->DBProvider()->IsDetailPositioned());
  EXPECT_EQ(DetailIDs(d4), Expected()[4]);
}

}  // namespace

namespace {

// A master that answers as a buffered window of its data set once asked to, and refuses
// to focus one record.
class WindowMaster : public MasterController {
 public:
  using MasterController::MasterController;
  bool IsGridMode() const override { return Windowed; }
  bool CanFocusRecord(Integer ARecordIndex) override {
    return ARecordIndex != Refused && MasterController::CanFocusRecord(ARecordIndex);
  }
  bool Windowed = false;
  Integer Refused = -1;
};

TEST_F(DBDataDetail, InAWindowOfTheDataSetAMasterRecordIsFocusedBeforeItsDetailExpands) {
  MakePlainSets();
  auto* master = New<WindowMaster>(nullptr);
  Master.reset(master);
  AddItems(master, {"ID", "NAME"});
  master->SetDataSource(Source);
  Pattern->SetMasterRelation(master->Relations()->Add(&Level), -1);
  master->Refresh();
  master->ChangeFocusedRecordIndex(0);
  master->Windowed = true;
  EXPECT_TRUE(master->ChangeDetailExpanding(3, true));
  EXPECT_EQ(master->GetFocusedRecordIndex(), 3);
  EXPECT_EQ(DS->FieldByName("ID")->Value(), Variant(4));
  // A record that cannot be focused keeps its detail collapsed; collapsing asks no focus.
  master->Refused = 1;
  EXPECT_FALSE(master->ChangeDetailExpanding(1, true));
  EXPECT_FALSE(master->GetDetailExpanding(1));
  EXPECT_EQ(master->GetFocusedRecordIndex(), 3);
  EXPECT_TRUE(master->ChangeDetailExpanding(3, false));
  EXPECT_EQ(master->GetFocusedRecordIndex(), 3);
  // Outside the window nothing is focused first.
  master->Windowed = false;
  master->Refused = -1;
  EXPECT_TRUE(master->ChangeDetailExpanding(1, true));
  EXPECT_EQ(master->GetFocusedRecordIndex(), 3);
}

}  // namespace

namespace {

// The detail data set's MID of the record whose ID is AID, read without moving it.
Variant MasterIdOf(TMemoryDataSet* ADetail, Integer AID) { return ADetail->Lookup("ID", Variant(AID), "MID"); }

TEST_F(DBDataDetail, ARecordAddedThroughADetailTakesItsMastersKeyValues) {
  TMemoryDataSet* detail = MakePlainSets();
  // Keys make the clones follow the shared data set, so that they may edit it.
  Pattern->SetKeyFieldNames("ID");
  auto* d3 = static_cast<TcxDBDataController*>(Master->GetDetailDataController(2, 0));
  ASSERT_NE(d3, nullptr);
  ASSERT_TRUE(d3->DBProvider()->CanModify());
  d3->Append();
  ASSERT_EQ(detail->State(), TDataSetState::dsInsert);
  // The master's key is in the new record before anything is typed.
  EXPECT_EQ(detail->FieldByName("MID")->Value(), Variant(3));
  d3->SetEditValue(0, Variant(31), TcxDataEditValueSource::evsValue);
  d3->PostEditing();
  EXPECT_EQ(detail->State(), TDataSetState::dsBrowse);
  EXPECT_EQ(MasterIdOf(detail, 31), Variant(3));
  // Inserting works the same way; the other clones on the shared data set leave the insert
  // to the one that made it.
  auto* d1 = static_cast<TcxDBDataController*>(Master->GetDetailDataController(0, 0));
  d1->ChangeFocusedRowIndex(1);
  d1->Insert();
  EXPECT_EQ(detail->FieldByName("MID")->Value(), Variant(1));
  d1->SetEditValue(0, Variant(13), TcxDataEditValueSource::evsValue);
  EXPECT_EQ(d1->GetRecordCount(), 4);
  EXPECT_EQ(d3->GetRecordCount(), 2);
  d1->PostEditing();
  EXPECT_EQ(MasterIdOf(detail, 13), Variant(1));
  EXPECT_EQ(DetailIDs(d1), (std::set<Integer>{10, 11, 12, 13}));
  // A new record that holds only the keys the controller filled in is not modified: leaving
  // it for another row cancels it.
  const Integer count = detail->RecordCount();
  d3->Append();
  EXPECT_EQ(detail->FieldByName("MID")->Value(), Variant(3));
  EXPECT_FALSE(d3->DBProvider()->IsDataSetModified());
  d3->ChangeFocusedRowIndex(0);
  EXPECT_EQ(detail->State(), TDataSetState::dsBrowse);
  EXPECT_EQ(detail->RecordCount(), count);
  // Without the option the key stays empty.
  auto* d4 = static_cast<TcxDBDataController*>(Master->GetDetailDataController(3, 0));
  d4->SetOptions(d4->Options() - TcxDataControllerOptions{TcxDataControllerOption::dcoAssignMasterDetailKeys});
  d4->Append();
  EXPECT_TRUE(VarIsNull(detail->FieldByName("MID")->Value()));
  d4->Cancel();
  EXPECT_EQ(detail->State(), TDataSetState::dsBrowse);
}

}  // namespace

namespace {

TEST_F(DBDataDetail, KeyNamesGivenAfterTheMasterReadItsRecordsTakeEffect) {
  TMemoryDataSet* detail = MakeTestDataSet(Owner.get(), {{"ID", ftInteger}, {"MID", ftInteger}, {"V", ftFloat}});
  for (const auto& r : DetailRows()) detail->AddRecord(r);
  detail->Open();
  MakeSets(detail);
  MakeControllers();
  // The keys are named once the master shows its records: the master reads its key values
  // anew and each detail shows its own records.
  Pattern->SetMasterKeyFieldNames("");
  Pattern->SetDetailKeyFieldNames("");
  Master->Refresh();
  ASSERT_EQ(Master->GetRecordCount(), 5);
  Pattern->SetDetailKeyFieldNames("MID");
  Pattern->SetMasterKeyFieldNames("ID");
  for (Integer r : {0, 3, 2}) {
    const Integer id = Master->GetItemValue(r, 0).AsInteger();
    TcxCustomDataController* d = Master->GetDetailDataController(r, 0);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(DetailIDs(d), Expected()[id]) << "master " << id;
  }
  // Naming other keys drops the details made for the old ones.
  Pattern->SetMasterKeyFieldNames("NAME");
  TcxCustomDataController* d = Master->GetDetailDataController(0, 0);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(static_cast<TcxDBDataController*>(d)->MasterKeyFieldNames(), "NAME");
  // A clone given names of its own keeps its place: only the pattern's names count.
  auto* clone = static_cast<TcxDBDataController*>(d);
  clone->SetDetailKeyFieldNames("V");
  EXPECT_EQ(Master->GetDetailDataController(0, 0), d);
  EXPECT_EQ(clone->DetailKeyFieldNames(), "V");
}

}  // namespace

namespace {

TEST_F(DBDataDetail, AskingWhetherAMasterRecordHasDetailsLeavesADetailsEditAlone) {
  TMemoryDataSet* detail = MakePlainSets();
  Pattern->SetKeyFieldNames("ID");
  auto* d4 = static_cast<TcxDBDataController*>(Master->GetDetailDataController(3, 0));
  ASSERT_NE(d4, nullptr);
  d4->ChangeFocusedRowIndex(1);
  d4->Edit();
  d4->SetEditValue(2, Variant(9.5), TcxDataEditValueSource::evsValue);
  ASSERT_EQ(detail->State(), TDataSetState::dsEdit);
  // Each master record is asked while the detail edits: the answers are right and the
  // edit goes on, on its record.
  for (Integer r = 0; r < Master->GetRecordCount(); ++r) {
    const Integer id = Master->GetItemValue(r, 0).AsInteger();
    EXPECT_EQ(Master->GetDetailHasChildren(r, 0), !Expected()[id].empty()) << "master " << id;
  }
  EXPECT_EQ(detail->State(), TDataSetState::dsEdit);
  EXPECT_EQ(detail->FieldByName("ID")->Value(), Variant(41));
  EXPECT_EQ(detail->FieldByName("V")->Value(), Variant(9.5));
  d4->PostEditing();
  EXPECT_EQ(detail->Lookup("ID", Variant(41), "V"), Variant(9.5));
}

}  // namespace

namespace {

// Each master's detail records as a walk of the detail data set filtered by MID finds
// them: ID to V (-1 for a null V). The cursor is put back.
std::map<Integer, double> FilteredDetail(TMemoryDataSet* ADetail, Integer AMasterID) {
  std::map<Integer, double> r;
  const TBookmarkStr at = ADetail->Bookmark();
  ADetail->DisableControls();
  for (ADetail->First(); !ADetail->Eof(); ADetail->Next())
    if (ADetail->FieldByName("MID")->Value() == Variant(AMasterID)) {
      const Variant v = ADetail->FieldByName("V")->Value();
      r[ADetail->FieldByName("ID")->Value().AsInteger()] = VarIsNull(v) ? -1 : v.AsDouble();
    }
  ADetail->GotoBookmark(at);
  ADetail->EnableControls();
  return r;
}

// Adds a record through a random master's detail, an empty one too, where nothing keeps a
// master's records together: appended at the end of the data set, or inserted while the data
// set stands on a record of another master (put there by that master's detail).
void AddUngroupedRecord(std::mt19937& ARandom, MasterController* AMaster, Integer& ANextId) {
  auto* target = static_cast<TcxDBDataController*>(
      AMaster->GetDetailDataController(Integer(ARandom() % 5), 0));
  auto* other = static_cast<TcxDBDataController*>(
      AMaster->GetDetailDataController(Integer(ARandom() % 5), 0));
  if (other->GetRowCount() > 0)
    other->ChangeFocusedRowIndex(Integer(ARandom() % unsigned(other->GetRowCount())));
  if (ARandom() % 2 == 0)
    target->Append();
  else
    target->Insert();
  target->SetEditValue(0, Variant(ANextId++), TcxDataEditValueSource::evsValue);
  target->SetEditValue(2, Variant(double(ARandom() % 100)), TcxDataEditValueSource::evsValue);
  target->PostEditing();
}

TEST_F(DBDataDetail, RandomEditsThroughCloneDetailsKeepEachDetailEqualToAFilterOfItsDataSet) {
  for (bool smart : {false, true})
    for (unsigned seed = 1; seed < 4; ++seed) {
      // Each master's records scattered among the others' from the start.
      TMemoryDataSet* detail = MakePlainSets(true);
      Pattern->SetKeyFieldNames("ID");
      Pattern->DataModeController()->SetSmartRefresh(smart);
      std::mt19937 random(seed);
      Integer nextId = 100;
      for (Integer step = 0; step < 40; ++step) {
        const Integer master = Integer(random() % 5);
        auto* d = static_cast<TcxDBDataController*>(Master->GetDetailDataController(master, 0));
        ASSERT_NE(d, nullptr);
        const unsigned op = random() % 6;
        const std::string what = "smart " + std::to_string(smart) + " seed " + std::to_string(seed) + " step " +
                                 std::to_string(step) + " op " + std::to_string(op);
        if (d->GetRowCount() == 0) continue;
        d->ChangeFocusedRowIndex(Integer(random() % unsigned(d->GetRowCount())));
        switch (op) {
          case 0:  // edit and post
            d->Edit();
            d->SetEditValue(2, Variant(double(random() % 100)), TcxDataEditValueSource::evsValue);
            d->PostEditing();
            break;
          case 1:  // insert before the focused record
            d->Insert();
            d->SetEditValue(0, Variant(nextId++), TcxDataEditValueSource::evsValue);
            d->PostEditing();
            break;
          case 2:
            d->DeleteFocused();
            break;
          case 3:  // edit and cancel
            d->Edit();
            d->SetEditValue(2, Variant(1000.0), TcxDataEditValueSource::evsValue);
            d->Cancel();
            break;
          default:
            AddUngroupedRecord(random, Master.get(), nextId);
            break;
        }
        ASSERT_EQ(detail->State(), TDataSetState::dsBrowse) << what;
        for (Integer r = 0; r < 5; ++r) {
          auto* shown = static_cast<TcxDBDataController*>(Master->GetDetailDataController(r, 0));
          std::map<Integer, double> records;
          for (Integer i = 0; i < shown->GetRecordCount(); ++i) {
            const Variant v = shown->GetItemValue(i, 2);
            records[shown->GetItemValue(i, 0).AsInteger()] = VarIsNull(v) ? -1 : v.AsDouble();
          }
          ASSERT_EQ(records, FilteredDetail(detail, r + 1)) << what << " master " << r + 1;
        }
      }
      Master.reset();
      Pattern.reset();
    }
}

}  // namespace

namespace {

// Each master's detail rows, ID to V, against the filter of the detail data set by its key.
void ExpectEachDetailIsAFilterOf(MasterController* AMaster, TMemoryDataSet* ADetail,
                                 const std::string& AWhat) {
  for (Integer r = 0; r < AMaster->GetRecordCount(); ++r) {
    const Integer id = AMaster->GetItemValue(r, 0).AsInteger();
    TcxCustomDataController* shown = AMaster->GetDetailDataController(r, 0);
    ASSERT_NE(shown, nullptr) << AWhat;
    std::map<Integer, double> records;
    for (Integer i = 0; i < shown->GetRecordCount(); ++i) {
      const Variant v = shown->GetItemValue(i, 2);
      records[shown->GetItemValue(i, 0).AsInteger()] = VarIsNull(v) ? -1 : v.AsDouble();
    }
    EXPECT_EQ(records, FilteredDetail(ADetail, id)) << AWhat << " master " << id;
  }
}

// The row of the detail record with that ID; -1 when none.
Integer RowOfID(TcxCustomDataController* ADetail, Integer AID) {
  for (Integer row = 0; row < ADetail->GetRowCount(); ++row)
    if (ADetail->GetItemValue(ADetail->GetRowInfo(row).RecordIndex, 0) == Variant(AID)) return row;
  return -1;
}

TEST_F(DBDataDetail, AMastersDetailShowsItsRecordsWhereverTheyStandInTheDataSet) {
  TMemoryDataSet* detail = MakePlainSets(true);
  for (Integer r : {3, 0, 4, 1, 2}) {
    const Integer id = Master->GetItemValue(r, 0).AsInteger();
    TcxCustomDataController* d = Master->GetDetailDataController(r, 0);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(DetailIDs(d), Expected()[id]) << "master " << id;
    EXPECT_EQ(Master->GetDetailHasChildren(r, 0), !Expected()[id].empty()) << "master " << id;
  }
  // With keys the clones follow the data set: focusing a record between other masters'
  // records puts the data set on it, and the detail keeps all of its records.
  auto* d1 = static_cast<TcxDBDataController*>(Master->GetDetailDataController(0, 0));
  d1->SetKeyFieldNames("ID");
  d1->Refresh();
  const Integer row = RowOfID(d1, 12);
  ASSERT_GE(row, 0);
  d1->ChangeFocusedRowIndex(row);
  EXPECT_EQ(detail->FieldByName("ID")->Value(), Variant(12));
  EXPECT_EQ(DetailIDs(d1), Expected()[1]);
}

TEST_F(DBDataDetail, RecordsAppendedOrInsertedThroughDetailsShowUnderTheirOwnMasters) {
  TMemoryDataSet* detail = MakePlainSets();
  Pattern->SetKeyFieldNames("ID");
  // An append goes to the end of the data set, after master 4's records.
  auto* d3 = static_cast<TcxDBDataController*>(Master->GetDetailDataController(2, 0));
  d3->Append();
  d3->SetEditValue(0, Variant(31), TcxDataEditValueSource::evsValue);
  d3->PostEditing();
  EXPECT_EQ(DetailIDs(d3), (std::set<Integer>{30, 31}));
  ExpectEachDetailIsAFilterOf(Master.get(), detail, "after the append");
  // An insert through master 2's empty detail while the data set stands inside master 1's
  // records: the new record parts them.
  auto* d1 = static_cast<TcxDBDataController*>(Master->GetDetailDataController(0, 0));
  d1->ChangeFocusedRowIndex(RowOfID(d1, 11));
  ASSERT_EQ(detail->FieldByName("ID")->Value(), Variant(11));
  auto* d2 = static_cast<TcxDBDataController*>(Master->GetDetailDataController(1, 0));
  ASSERT_EQ(d2->GetRecordCount(), 0);
  d2->Insert();
  d2->SetEditValue(0, Variant(20), TcxDataEditValueSource::evsValue);
  d2->PostEditing();
  EXPECT_EQ(DetailIDs(d2), (std::set<Integer>{20}));
  EXPECT_EQ(DetailIDs(d1), Expected()[1]);
  ExpectEachDetailIsAFilterOf(Master.get(), detail, "after the insert");
  // Master 4's records, appended to and inserted into from master 1's detail's place.
  auto* d4 = static_cast<TcxDBDataController*>(Master->GetDetailDataController(3, 0));
  d1->ChangeFocusedRowIndex(RowOfID(d1, 10));
  d4->Insert();
  d4->SetEditValue(0, Variant(42), TcxDataEditValueSource::evsValue);
  d4->PostEditing();
  EXPECT_EQ(DetailIDs(d4), (std::set<Integer>{40, 41, 42}));
  ExpectEachDetailIsAFilterOf(Master.get(), detail, "after the second insert");
}

// A master whose clones get their data source from the relation: a clone reads nothing before
// it knows its master.
class LeanMaster : public MasterController {
 public:
  using MasterController::MasterController;
  TObject* CreateDetailDataController(TcxCustomDataRelation* ARelation, Integer) override {
    auto* pattern = static_cast<TcxDBDataController*>(ARelation->DetailDataController());
    auto* clone = New<TcxDBDataController>(nullptr);
    clone->SetMasterKeyFieldNames(pattern->MasterKeyFieldNames());
    clone->SetDetailKeyFieldNames(pattern->DetailKeyFieldNames());
    CopyDetailPattern(clone, pattern, true);
    return clone;
  }
};

// Scattered records cost each detail its own records, not a walk over the data set: what the
// data set reads for every master's detail stays within a few times its size.
TEST_F(DBDataDetail, ReadingEveryMastersScatteredDetailReadsTheDataSetAFewTimesAtMost) {
  const Integer kMasters = 100, kDetails = 1000;
  std::vector<std::vector<Variant>> masters;
  for (Integer m = 1; m <= kMasters; ++m) masters.push_back({m, "m" + IntToStr(m)});
  MakeDataSet({{"ID", ftInteger}, {"NAME", ftString, 10}}, masters);
  DS->Open();
  auto* detail = MakeTestDataSet<TTestCountingDataSet>(
      Owner.get(), {{"ID", ftInteger}, {"MID", ftInteger}, {"V", ftFloat}});
  // Master m's records stand a hundred records apart.
  for (Integer i = 0; i < kDetails; ++i) detail->AddRecord({i, i % kMasters + 1, double(i)});
  detail->Open();
  Detail = detail;
  DetailSource = New<TDataSource>(Owner.get());
  DetailSource->SetDataSet(detail);
  MakeControllers();
  Master.reset(New<LeanMaster>(nullptr));
  AddItems(Master.get(), {"ID", "NAME"});
  Master->SetDataSource(Source);
  Pattern->SetMasterRelation(Master->Relations()->Add(&Level), -1);
  Master->Refresh();
  const Integer before = detail->Reads();
  for (Integer r = 0; r < kMasters; ++r) {
    TcxCustomDataController* d = Master->GetDetailDataController(r, 0);
    ASSERT_NE(d, nullptr);
    ASSERT_EQ(d->GetRecordCount(), kDetails / kMasters) << "master " << r + 1;
  }
  // A walk over the data set for each master would read it a hundred times.
  EXPECT_LT(detail->Reads() - before, 6 * kDetails);
}

}  // namespace

namespace {

// Records what the detail events of the data-set controller are given.
struct DetailEventLog : TObject {
  std::vector<std::string> Calls;
  bool Children = true;
  void HasChildren(TcxDBDataController*, Integer ARecordIndex, Integer ARelationIndex, const String& ANames,
                   const Variant& AValues, bool& HasChildren) {
    Calls.push_back("has " + std::to_string(ARecordIndex) + " " + std::to_string(ARelationIndex) + " " + ANames +
                    " " + VarToStr(AValues) + (HasChildren ? " true" : " false"));
    HasChildren = Children;
  }
  void First(TcxDBDataModeController*, TDataSet* ADataSet, const String& ANames, const Variant& AValues,
             bool& AReopened) {
    Calls.push_back("first " + ANames + " " + VarToStr(AValues) + (AReopened ? " reopened" : ""));
    ADataSet->Locate(ANames, AValues, TLocateOptions());
  }
};

TEST_F(DBDataDetail, TheDetailEventsGetTheDetailKeyNamesAndTheMastersKeyValues) {
  MakePlainSets();
  DetailEventLog log;
  Master->OnDetailHasChildren = TcxDBDataDetailHasChildrenEvent(&log, &DetailEventLog::HasChildren);
  // The handler decides, and is given True to start from.
  log.Children = false;
  EXPECT_FALSE(Master->GetDetailHasChildren(0, 0));
  EXPECT_EQ(log.Calls, (std::vector<std::string>{"has 0 0 MID 1 true"}));
  // A detail positioned by its own handler: the adapter is not asked.
  Pattern->DataModeController()->OnDetailFirst =
      TcxDBDataModeControllerDetailFirstEvent(&log, &DetailEventLog::First);
  log.Calls.clear();
  TcxCustomDataController* d = Master->GetDetailDataController(3, 0);
  ASSERT_NE(d, nullptr);
  ASSERT_FALSE(log.Calls.empty());
  EXPECT_EQ(log.Calls.front(), "first MID 4");
  EXPECT_EQ(DetailIDs(d), Expected()[4]);
}

}  // namespace

namespace {

// The detail data set's records, ID to MID and V (-1 for a null V), read without moving it.
std::map<Integer, std::pair<Integer, double>> DetailRecordsOf(TMemoryDataSet* ADetail) {
  std::map<Integer, std::pair<Integer, double>> r;
  ADetail->ReadRecords([&](const TBookmarkStr&) {
    const Variant v = ADetail->FieldByName("V")->Value();
    r[ADetail->FieldByName("ID")->Value().AsInteger()] = {ADetail->FieldByName("MID")->Value().AsInteger(),
                                                         VarIsNull(v) ? -1 : v.AsDouble()};
    return true;
  });
  return r;
}

// Components other than the editing detail that read every record of the detail data set
// while an edit of it goes on: a loaded controller that is opened anew, refreshed and holds
// a selection, a window controller that selects all, and the master expanding its rows.
class DetailReaders {
 public:
  DetailReaders(MasterController* AMaster, TDataSource* ASource) : FMaster(AMaster), FSource(ASource) {}

  // One read, picked by ARandom; AEditedMaster's detail is the one editing, and stays.
  // Expanding or collapsing a master row leaves the details' edits first, as moving the
  // focus does (an edit without changes is cancelled): not with AExpanding False.
  void Read(std::mt19937& ARandom, Integer AEditedMaster, bool AExpanding = true) {
    const unsigned kind = ARandom() % 5;
    switch (kind == 3 && !AExpanding ? 4 : kind) {
      case 0:
        Open(ARandom() % 2 == 0);
        break;
      case 1:
        FLoaded->Refresh();
        break;
      case 2:
        FWindow->SelectAll();
        break;
      case 3: {
        const Integer r = Integer(ARandom() % 5);
        if (r == AEditedMaster) break;
        FMaster->ChangeDetailExpanding(r, false);
        FMaster->ChangeDetailExpanding(r, true);
        break;
      }
      default:
        break;
    }
  }
  // The loaded controller, with key fields or without, selecting two of its rows.
  void Open(bool AKeys) {
    FLoaded.reset(New<TcxDBDataController>(nullptr));
    for (Integer i = 0; i < 3; ++i) FLoaded->AddItem(&FItems[i]);
    const char* names[3] = {"ID", "MID", "V"};
    for (Integer i = 0; i < 3; ++i) FLoaded->ChangeFieldName(i, names[i]);
    FLoaded->SetKeyFieldNames(AKeys ? "ID" : "");
    FLoaded->SetDataSource(FSource);
    FLoaded->SetMultiSelect(true);
    FLoaded->ClearSelection();
    for (Integer row : {1, 3})
      if (row < FLoaded->GetRowCount()) FLoaded->ChangeRowSelection(row, true);
    FSelected = SelectedIDs();
  }
  void OpenWindow() {
    FWindow.reset(New<TcxDBDataController>(nullptr));
    FWindow->AddItem(&FItems[3]);
    FWindow->ChangeFieldName(0, "ID");
    FWindow->DataModeController()->SetGridMode(true);
    FWindow->SetMultiSelect(true);
    FWindow->SetDataSource(FSource);
  }
  // The loaded controller holds the data set's records, and its selection has moved onto
  // no record it did not hold selected before.
  void Check(TMemoryDataSet* ADetail, const std::string& AWhat) {
    std::map<Integer, double> shown, stored;
    for (Integer i = 0; i < FLoaded->GetRecordCount(); ++i) {
      const Variant v = FLoaded->GetItemValue(i, 2);
      shown[FLoaded->GetItemValue(i, 0).AsInteger()] = VarIsNull(v) ? -1 : v.AsDouble();
    }
    for (const auto& [id, record] : DetailRecordsOf(ADetail)) stored[id] = record.second;
    EXPECT_EQ(shown, stored) << AWhat << " (second controller)";
    const std::set<Integer> selected = SelectedIDs();
    EXPECT_TRUE(std::includes(FSelected.begin(), FSelected.end(), selected.begin(), selected.end()))
        << AWhat << " (selection moved)";
    FSelected = selected;
  }
  void Reset() {
    FLoaded.reset();
    FWindow.reset();
  }

 private:
  std::set<Integer> SelectedIDs() const {
    std::set<Integer> r;
    for (Integer i = 0; i < FLoaded->GetSelectedCount(); ++i)
      r.insert(FLoaded->GetItemValue(FLoaded->GetRowInfo(FLoaded->GetSelectedRowIndex(i)).RecordIndex, 0).AsInteger());
    return r;
  }
  MasterController* FMaster;
  TDataSource* FSource;
  DBTestItem FItems[4];
  Owned<TcxDBDataController> FLoaded, FWindow;
  std::set<Integer> FSelected;
};

TEST_F(DBDataDetail, RandomEditsReadByOtherComponentsMidwayLandOnTheRecordsTheyWereTypedInto) {
  for (bool smart : {false, true})
    for (unsigned seed = 1; seed < 4; ++seed) {
      TMemoryDataSet* detail = MakePlainSets();
      Pattern->SetKeyFieldNames("ID");
      Pattern->DataModeController()->SetSmartRefresh(smart);
      DetailReaders readers(Master.get(), DetailSource);
      readers.Open(false);
      readers.OpenWindow();
      // What the data set must hold: each edit on the record it was typed into.
      std::map<Integer, std::pair<Integer, double>> model = DetailRecordsOf(detail);
      std::mt19937 random(seed * 7919u);
      Integer nextId = 100;
      for (Integer step = 0; step < 40; ++step) {
        const Integer master = Integer(random() % 5);
        auto* d = static_cast<TcxDBDataController*>(Master->GetDetailDataController(master, 0));
        ASSERT_NE(d, nullptr);
        const unsigned op = random() % 5;
        const std::string what = "smart " + std::to_string(smart) + " seed " + std::to_string(seed) + " step " +
                                 std::to_string(step) + " op " + std::to_string(op);
        if (op != 4 && d->GetRowCount() == 0) continue;
        Integer id = -1;
        if (d->GetRowCount() > 0) {
          d->ChangeFocusedRowIndex(Integer(random() % unsigned(d->GetRowCount())));
          id = d->GetItemValue(d->GetFocusedRecordIndex(), 0).AsInteger();
        }
        switch (op) {
          case 0: {  // edit, read by others, post
            const double v = double(random() % 100);
            d->Edit();
            d->SetEditValue(2, Variant(v), TcxDataEditValueSource::evsValue);
            readers.Read(random, master);
            d->PostEditing();
            model[id].second = v;
            break;
          }
          case 1:  // insert, read by others, post
            d->Insert();
            d->SetEditValue(0, Variant(nextId), TcxDataEditValueSource::evsValue);
            readers.Read(random, master);
            d->PostEditing();
            model[nextId++] = {master + 1, -1};
            break;
          case 2:
            d->DeleteFocused();
            readers.Read(random, master);
            model.erase(id);
            break;
          case 3:  // edit, read by others, cancel: a read that posted the edit stored it
            d->Edit();
            d->SetEditValue(2, Variant(1000.0), TcxDataEditValueSource::evsValue);
            readers.Read(random, master);
            if (detail->State() == TDataSetState::dsBrowse) model[id].second = 1000;
            d->Cancel();
            break;
          default:  // an empty record appended to the data set, read by others, left
            detail->Append();
            readers.Read(random, master, false);
            ASSERT_EQ(detail->State(), TDataSetState::dsInsert) << what;
            detail->Cancel();
            break;
        }
        ASSERT_EQ(detail->State(), TDataSetState::dsBrowse) << what;
        ASSERT_EQ(DetailRecordsOf(detail), model) << what;
        readers.Check(detail, what);
        for (Integer r = 0; r < 5; ++r) {
          auto* shown = static_cast<TcxDBDataController*>(Master->GetDetailDataController(r, 0));
          std::map<Integer, double> records;
          for (Integer i = 0; i < shown->GetRecordCount(); ++i) {
            const Variant v = shown->GetItemValue(i, 2);
            records[shown->GetItemValue(i, 0).AsInteger()] = VarIsNull(v) ? -1 : v.AsDouble();
          }
          ASSERT_EQ(records, FilteredDetail(detail, r + 1)) << what << " master " << r + 1;
        }
        if (HasFailure()) return;
      }
      readers.Reset();
      Master.reset();
      Pattern.reset();
    }
}

}  // namespace

namespace {

class DBDataDetailMove : public DBDataDetail {
 protected:
  using TShown = std::map<Integer, std::map<Integer, double>>;
  // A detail's records, ID to V (-1 for a null V).
  static std::map<Integer, double> RecordsOf(TcxCustomDataController* ADetail) {
    std::map<Integer, double> r;
    for (Integer i = 0; i < ADetail->GetRecordCount(); ++i) {
      const Variant v = ADetail->GetItemValue(i, 2);
      r[ADetail->GetItemValue(i, 0).AsInteger()] = VarIsNull(v) ? -1 : v.AsDouble();
    }
    return r;
  }
  // Each master's detail records as a full read shows them: a new master and pattern without
  // smart refresh read the same data sets, and are freed before anything else runs.
  TShown FreshlyRead() {
    DBTestItem level;
    Owned<TcxDBDataController> pattern(New<TcxDBDataController>(nullptr));
    Owned<MasterController> master(New<MasterController>(nullptr));
    AddItems(master.get(), {"ID", "NAME"});
    master->SetDataSource(Source);
    AddItems(pattern.get(), {"ID", "MID", "V"});
    pattern->SetDataSource(DetailSource);
    pattern->SetMasterKeyFieldNames("ID");
    pattern->SetDetailKeyFieldNames("MID");
    pattern->SetMasterRelation(master->Relations()->Add(&level), -1);
    master->Refresh();
    TShown r;
    for (Integer i = 0; i < master->GetRecordCount(); ++i)
      r[master->GetItemValue(i, 0).AsInteger()] = RecordsOf(master->GetDetailDataController(i, 0));
    return r;
  }
  // Every master's smart-refresh clone against a full read of fresh controllers.
  void ExpectAsFreshlyRead(const std::string& AWhat) {
    TShown shown;
    for (Integer i = 0; i < Master->GetRecordCount(); ++i)
      shown[Master->GetItemValue(i, 0).AsInteger()] =
          RecordsOf(Master->GetDetailDataController(i, 0));
    EXPECT_EQ(shown, FreshlyRead()) << AWhat;
  }
  TcxDBDataController* DetailOf(Integer AMasterID) {
    return static_cast<TcxDBDataController*>(Master->GetDetailDataController(AMasterID - 1, 0));
  }
  // The clone of that master stands on the record with that ID.
  void Focus(Integer AMasterID, Integer AID) {
    TcxDBDataController* d = DetailOf(AMasterID);
    const Integer row = RowOfID(d, AID);
    ASSERT_GE(row, 0) << AID;
    d->ChangeFocusedRowIndex(row);
    ASSERT_EQ(Detail->FieldByName("ID")->Value(), Variant(AID));
  }
  // A record added to the data set itself, no detail asked.
  void AddFromOutside(bool AAppend, Integer AID, Integer AMasterID) {
    if (AAppend)
      Detail->Append();
    else
      Detail->Insert();
    Detail->FieldByName("ID")->SetValue(Variant(AID));
    Detail->FieldByName("MID")->SetValue(Variant(AMasterID));
    Detail->FieldByName("V")->SetValue(Variant(9.0));
    Detail->Post();
  }
  // The record with that ID given to another master (and a new V) by the data set itself.
  void MoveFromOutside(Integer AID, Integer AMasterID, double AV = 8.0) {
    ASSERT_TRUE(Detail->Locate("ID", Variant(AID), TLocateOptions()));
    Detail->Edit();
    Detail->FieldByName("MID")->SetValue(Variant(AMasterID));
    Detail->FieldByName("V")->SetValue(Variant(AV));
    Detail->Post();
  }
};

// After a post a smart-refresh clone shows the record only when it holds its master's keys,
// whoever began the insert or the edit, and the record shows under the master it names.
TEST_F(DBDataDetailMove, APostedRecordShowsUnderTheMasterWhoseKeysItHolds) {
  MakePlainSets();
  Pattern->SetKeyFieldNames("ID");
  Pattern->DataModeController()->SetSmartRefresh(true);
  for (Integer m = 1; m <= 5; ++m) ASSERT_NE(DetailOf(m), nullptr);
  ExpectAsFreshlyRead("at the start");
  // Inserts begun on the data set while a clone stands on it, posted with another master's
  // keys: the standing clone takes them up, and must let them go.
  Focus(1, 11);
  AddFromOutside(true, 50, 4);
  ExpectAsFreshlyRead("appended with master 4's key under master 1's clone");
  Focus(4, 40);
  AddFromOutside(false, 51, 2);
  ExpectAsFreshlyRead("inserted with master 2's key under master 4's clone");
  Focus(3, 30);
  AddFromOutside(false, 52, 3);
  ExpectAsFreshlyRead("inserted with the standing clone's own key");
  // Edits that change the master key: by the data set under the standing clone, ...
  Focus(1, 10);
  MoveFromOutside(10, 5);
  ExpectAsFreshlyRead("master 1's record moved to master 5 by the data set");
  // ... by the data set on a record of a clone that does not stand on it, ...
  Focus(4, 41);
  MoveFromOutside(50, 1);
  ExpectAsFreshlyRead("master 4's other record moved to master 1 by the data set");
  // ... by the data set on another master's record, into the standing clone's master, or
  // keeping its master ...
  Focus(3, 30);
  MoveFromOutside(41, 3);
  ExpectAsFreshlyRead("master 4's record moved to master 3 under master 3's clone");
  Focus(3, 30);
  MoveFromOutside(11, 1, 7.0);
  ExpectAsFreshlyRead("master 1's record edited by the data set under master 3's clone");
  // ... through the clone showing the record, ...
  Focus(3, 41);
  MoveFromOutside(41, 4);
  ExpectAsFreshlyRead("master 3's record moved back to master 4 under its own clone");
  Focus(4, 40);
  TcxDBDataController* d4 = DetailOf(4);
  d4->Edit();
  d4->SetEditValue(1, Variant(1), TcxDataEditValueSource::evsValue);
  d4->PostEditing();
  ExpectAsFreshlyRead("master 4's record moved to master 1 through its clone");
  // ... and through another controller on the data set.
  Owned<TcxDBDataController> plain(New<TcxDBDataController>(nullptr));
  AddItems(plain.get(), {"ID", "MID", "V"});
  plain->SetKeyFieldNames("ID");
  plain->DataModeController()->SetSmartRefresh(true);
  plain->SetDataSource(DetailSource);
  Focus(1, 12);
  Integer row = -1;
  for (Integer i = 0; i < plain->GetRowCount() && row < 0; ++i)
    if (plain->GetItemValue(plain->GetRowInfo(i).RecordIndex, 0) == Variant(12)) row = i;
  ASSERT_GE(row, 0);
  plain->ChangeFocusedRowIndex(row);
  plain->Edit();
  plain->SetEditValue(1, Variant(3), TcxDataEditValueSource::evsValue);
  plain->PostEditing();
  ExpectAsFreshlyRead("master 1's record moved to master 3 through another controller");
  plain.reset();
  EXPECT_EQ(Detail->State(), TDataSetState::dsBrowse);
}

// A change made with the data set's controls off reaches the clones as one notice, with no
// record watched: a clone holding every record of the data set still lets a moved one go.
TEST_F(DBDataDetailMove, ARecordMovedWhileControlsAreOffLeavesACloneHoldingEveryRecord) {
  TMemoryDataSet* detail =
      MakeTestDataSet(Owner.get(), {{"ID", ftInteger}, {"MID", ftInteger}, {"V", ftFloat}});
  for (Integer id : {10, 11, 12}) detail->AddRecord({id, 1, 1.0});
  detail->Open();
  MakeSets(detail);
  MakeControllers();
  Pattern->SetKeyFieldNames("ID");
  Pattern->DataModeController()->SetSmartRefresh(true);
  for (Integer m = 1; m <= 5; ++m) ASSERT_NE(DetailOf(m), nullptr);
  Focus(1, 10);
  detail->DisableControls();
  MoveFromOutside(11, 2);
  detail->EnableControls();
  ExpectAsFreshlyRead("moved with the controls off");
  // Its values changed the same way are read again as well.
  detail->DisableControls();
  MoveFromOutside(11, 1, 5.0);
  detail->EnableControls();
  ExpectAsFreshlyRead("moved back with the controls off");
}

}  // namespace

namespace {

// The master's records against its data set's, as "ID/NAME" texts in order.
std::vector<std::string> RecordTexts(TcxCustomDataController* AController) {
  std::vector<std::string> r;
  for (Integer i = 0; i < AController->GetRecordCount(); ++i)
    r.push_back(std::string(VarToStr(AController->GetItemValue(i, 0))) + "/" +
                std::string(VarToStr(AController->GetItemValue(i, 1))));
  std::sort(r.begin(), r.end());
  return r;
}

std::vector<std::string> DataSetTexts(TDataSet* ADataSet) {
  std::vector<std::string> r;
  ADataSet->ReadRecords([&](const TBookmarkStr&) {
    r.push_back(std::string(VarToStr(ADataSet->Fields(0)->Value())) + "/" +
                std::string(VarToStr(ADataSet->Fields(1)->Value())));
    return true;
  });
  std::sort(r.begin(), r.end());
  return r;
}

TEST_F(DBDataDetail, APositionedDetailReadWhileItsDataSetIsEditedEditsNoRecordItDropped) {
  TMemoryDataSet* detail = MakePlainSets();
  Pattern->SetKeyFieldNames("ID");
  DetailEventLog log;
  Pattern->DataModeController()->OnDetailFirst =
      TcxDBDataModeControllerDetailFirstEvent(&log, &DetailEventLog::First);
  TcxCustomDataController* d = Master->GetDetailDataController(0, 0);
  ASSERT_NE(d, nullptr);
  ASSERT_EQ(d->GetRecordCount(), 3);
  d->ChangeFocusedRowIndex(2);
  // An edit with no changes yet stays while the detail reads its records, and a detail
  // positioned by its handler shows nothing until the edit ends.
  detail->Edit();
  d->Refresh();
  ASSERT_EQ(detail->State(), TDataSetState::dsEdit);
  EXPECT_NO_THROW(detail->FieldByName("V")->SetAsFloat(8.5));
  detail->Post();
  EXPECT_EQ(DetailIDs(d), Expected()[1]);
}

TEST_F(DBDataDetail, AMasterKeepingItsRowsWhosePatternWentReadsItsRecordsAgain) {
  MakePlainSets();
  Master->SetKeyFieldNames("ID");
  ASSERT_TRUE(Master->ChangeDetailExpanding(2, true));
  Pattern.reset();
  EXPECT_NO_THROW(Master->Refresh());
  EXPECT_EQ(RecordTexts(Master.get()), DataSetTexts(DS));
}

TEST_F(DBDataDetail, ADeleteOnThePatternsDataSetBringsTheMasterToADetailShowingItsRecords) {
  // Each master's records scattered, none for master 1.
  TMemoryDataSet* detail =
      MakeTestDataSet(Owner.get(), {{"ID", ftInteger}, {"MID", ftInteger}, {"V", ftFloat}});
  const Integer mids[] = {5, 4, 2, 5, 2, 2, 0, 0};
  for (Integer i = 1; i <= 8; ++i) detail->AddRecord({i, mids[i - 1], i * 3.0});
  detail->Open();
  MakeSets(detail);
  MakeControllers();
  Pattern->SetKeyFieldNames("ID");
  Pattern->ChangeSortingOrder(2, TcxDataSortOrder::soDescending);
  DetailEventLog log;
  Pattern->DataModeController()->OnDetailFirst =
      TcxDBDataModeControllerDetailFirstEvent(&log, &DetailEventLog::First);
  Master->SetKeyFieldNames("ID");
  ASSERT_TRUE(Master->ChangeDetailExpanding(0, true));
  auto* d = static_cast<TcxDBDataController*>(Master->GetDetailDataController(0, 0));
  ASSERT_EQ(d->GetRecordCount(), 0);
  d->LocateByKey(Variant(0));
  detail->Delete();
  for (Integer r = 0; r < Master->GetRecordCount(); ++r) {
    if (!Master->GetDetailExpanding(r)) continue;
    const Integer id = Master->GetItemValue(r, 0).AsInteger();
    std::set<Integer> expected;
    detail->ReadRecords([&](const TBookmarkStr&) {
      if (detail->FieldByName("MID")->Value() == Variant(id))
        expected.insert(detail->FieldByName("ID")->GetAsInteger());
      return true;
    });
    EXPECT_EQ(DetailIDs(Master->GetDetailDataController(r, 0)), expected) << "master " << id;
  }
}

TEST_F(DBDataDetail, AnEditThroughACloneEditsItsFocusedRecordWhereverTheDataSetStands) {
  TMemoryDataSet* detail =
      MakeTestDataSet(Owner.get(), {{"ID", ftInteger}, {"MID", ftInteger}, {"V", ftFloat}});
  detail->Open();
  MakeSets(detail);
  MakeControllers();
  Pattern->SetKeyFieldNames("ID");
  Pattern->DataModeController()->SetSmartRefresh(true);
  DetailEventLog log;
  Pattern->DataModeController()->OnDetailFirst =
      TcxDBDataModeControllerDetailFirstEvent(&log, &DetailEventLog::First);
  // Two records without a key, for masters 1 and 6.
  for (const Integer mid : {1, 6}) {
    detail->Append();
    detail->FieldByName("MID")->SetAsInteger(mid);
  }
  detail->Post();
  ASSERT_TRUE(Master->ChangeDetailExpanding(0, true));
  auto* d = static_cast<TcxDBDataController*>(Master->GetDetailDataController(0, 0));
  ASSERT_EQ(d->GetRecordCount(), 1);
  d->SetEditValue(1, Variant(0), TcxDataEditValueSource::evsValue);
  Master->ChangeFocusedRowIndex(2);
  // The data set stood on master 6's record: master 1's own record took the new key.
  EXPECT_EQ(detail->Lookup("MID", Variant(6), "MID"), Variant(6));
  EXPECT_EQ(detail->Lookup("MID", Variant(0), "MID"), Variant(0));
  Integer held = 0;
  detail->ReadRecords([&](const TBookmarkStr&) {
    held += detail->FieldByName("MID")->Value() == Variant(1) ? 1 : 0;
    return true;
  });
  EXPECT_EQ(d->GetRecordCount(), held);
  for (Integer r = 0; r < d->GetRecordCount(); ++r) EXPECT_EQ(d->GetItemValue(r, 1), Variant(1));
}

TEST_F(DBDataDetail, AnExpandedDetailFollowsItsMastersKeyChangedBySmartRefresh) {
  MakePlainSets();
  Master->SetKeyFieldNames("ID");
  Master->DataModeController()->SetSmartRefresh(true);
  ASSERT_TRUE(Master->ChangeDetailExpanding(2, true));
  ASSERT_EQ(DetailIDs(Master->GetDetailDataController(2, 0)), Expected()[3]);
  // Master 3 becomes master 4 (whose detail records then are its own) and then 7 (none).
  for (const Integer id : {4, 7}) {
    Master->ChangeFocusedRowIndex(Master->GetRowIndexByRecordIndex(2, true));
    Master->SetEditValue(0, Variant(id), TcxDataEditValueSource::evsValue);
    Master->PostEditing();
    ASSERT_EQ(Master->GetItemValue(2, 0), Variant(id));
    EXPECT_TRUE(Master->GetDetailExpanding(2));
    EXPECT_EQ(DetailIDs(Master->GetDetailDataController(2, 0)), Expected()[id]) << "master " << id;
  }
}

}  // namespace

namespace {

TEST_F(DBDataDetail, AnEditOfAnotherMastersRecordLeavesTheLastPositionedDetailsRecords) {
  TMemoryDataSet* detail =
      MakeTestDataSet(Owner.get(), {{"ID", ftInteger}, {"MID", ftInteger}, {"V", ftFloat}});
  detail->Open();
  MakeSets(detail);
  MakeControllers();
  Master->DataModeController()->SetSmartRefresh(true);
  Pattern->SetKeyFieldNames("ID");
  Pattern->DataModeController()->SetSmartRefresh(true);
  DetailEventLog log;
  Pattern->DataModeController()->OnDetailFirst =
      TcxDBDataModeControllerDetailFirstEvent(&log, &DetailEventLog::First);
  // One record without a key for each of masters 1 and 2, appended through their details
  // and posted as the data set moves back; master 2's detail is the last one positioned.
  for (Integer row : {0, 1}) {
    Master->ChangeFocusedRowIndex(row);
    ASSERT_TRUE(Master->ChangeDetailExpanding(row, true));
    Master->GetDetailDataController(row, 0)->Append();
    detail->Prior();
  }
  auto* two = static_cast<TcxDBDataController*>(Master->GetDetailDataController(1, 0));
  ASSERT_EQ(two->GetRecordCount(), 1);
  // The data set stands on master 1's record: its edit, dropped as the master's focus
  // moves, is no edit of master 2's record.
  ASSERT_EQ(detail->FieldByName("MID")->Value(), Variant(1));
  detail->Edit();
  EXPECT_EQ(two->GetEditingRecordIndex(), kNoEditRecord);
  detail->FieldByName("MID")->SetAsInteger(2);
  Master->ChangeFocusedRowIndex(0);
  ASSERT_EQ(detail->State(), TDataSetState::dsBrowse);
  for (Integer r : {0, 1}) {
    const Integer id = Master->GetItemValue(r, 0).AsInteger();
    Integer held = 0;
    detail->ReadRecords([&](const TBookmarkStr&) {
      held += detail->FieldByName("MID")->Value() == Variant(id) ? 1 : 0;
      return true;
    });
    EXPECT_EQ(Master->GetDetailDataController(r, 0)->GetRecordCount(), held) << "master " << id;
  }
}

}  // namespace

namespace {

// Frees its victim in the first data-set handler it is set to.
struct MasterFreer : TObject {
  TObject* Victim = nullptr;
  void Hit(TDataSet*) {
    TObject* v = Victim;
    Victim = nullptr;
    if (v) v->Free();
  }
};

TEST_F(DBDataDetail, AMasterFreedAsItFollowsThePatternsDataSetEndsTheFollowingThere) {
  TMemoryDataSet* detail = MakePlainSets();
  for (TcxDBDataController* c : {static_cast<TcxDBDataController*>(Master.get()), Pattern.get()}) {
    c->SetKeyFieldNames("ID");
    c->DataModeController()->SetSmartRefresh(true);
  }
  MasterFreer freer;
  TWeakLink master(Master.get());
  freer.Victim = Master.release();
  DS->AfterScroll = {&freer, &MasterFreer::Hit};
  // The master moves to master 4's record and its handler frees the master.
  ASSERT_TRUE(detail->Locate("ID", Variant(40), TLocateOptions()));
  DS->AfterScroll = nullptr;
  EXPECT_FALSE(master.Alive());
  EXPECT_EQ(DS->FieldByName("ID")->Value(), Variant(4));
  // Without its master the pattern shows its own data.
  EXPECT_EQ(Pattern->SyncMasterPos(), Pattern.get());
}

}  // namespace

namespace {

TEST_F(DBDataDetail, ADetailWhoseInsertAnotherDetailsAppendPostedShowsItsRecord) {
  TMemoryDataSet* detail =
      MakeTestDataSet(Owner.get(), {{"ID", ftInteger}, {"MID", ftInteger}, {"V", ftFloat}});
  for (Integer i = 1; i <= 3; ++i) detail->AddRecord({i, 3, i * 3.0});
  detail->Open();
  MakeSets(detail);
  MakeControllers();
  Pattern->ChangeSortingOrder(2, TcxDataSortOrder::soDescending);
  for (TcxDBDataController* c : {static_cast<TcxDBDataController*>(Master.get()), Pattern.get()}) {
    c->SetKeyFieldNames("ID");
    c->DataModeController()->SetSmartRefresh(true);
  }
  DetailEventLog log;
  Pattern->DataModeController()->OnDetailFirst =
      TcxDBDataModeControllerDetailFirstEvent(&log, &DetailEventLog::First);
  ASSERT_TRUE(Master->ChangeDetailExpanding(0, true));
  TcxCustomDataController* d = Master->GetDetailDataController(0, 0);
  // Master 1's detail inserts; master 3's detail appends, which posts that insert on the
  // way into its own.
  d->Append();
  Master->ChangeDetailExpanding(2, true);
  ASSERT_TRUE(Master->GetDetailExpanding(2));
  TcxCustomDataController* d3 = Master->GetDetailDataController(2, 0);
  d3->Append();
  detail->Post();
  ASSERT_EQ(detail->State(), TDataSetState::dsBrowse);
  Integer held = 0;
  detail->ReadRecords([&](const TBookmarkStr&) {
    held += detail->FieldByName("MID")->Value() == Variant(1) ? 1 : 0;
    return true;
  });
  ASSERT_EQ(held, 1);
  ASSERT_EQ(d->GetRecordCount(), 1);
  EXPECT_EQ(d->GetItemValue(0, 1), Variant(1));
}

}  // namespace

namespace {

TEST_F(DBDataDetail, AWindowMastersRecordWhoseDataSetGoesAsItIsFocusedIsNotExpanded) {
  MakePlainSets();
  Master->DataModeController()->SetGridModeBufferCount(4);
  Master->DataModeController()->SetGridMode(true);
  ASSERT_EQ(Master->GetRecordCount(), 4);
  // The master data set's scroll handler frees it as the master focuses the record.
  MasterFreer freer;
  freer.Victim = DS;
  DS->AfterScroll = {&freer, &MasterFreer::Hit};
  bool expanded = true;
  EXPECT_NO_THROW(expanded = Master->ChangeDetailExpanding(3, true));
  EXPECT_FALSE(expanded);
  EXPECT_EQ(freer.Victim, nullptr);
}

}  // namespace
