// Master-detail: clone details sharing one data set, where one detail's edit is given up or
// ended as a sibling takes the data set for its own master.
#include "tests/databinding/DBDataDetailTestSupport.h"

namespace {

class DBDataDetailSibling : public DBDataDetail {
 protected:
  TTestMemoryQuery* MakeKeyedQuerySets() {
    TTestMemoryQuery* query = MakeQuerySets();
    Pattern->SetKeyFieldNames("ID");
    Pattern->DataModeController()->SetSmartRefresh(true);
    Master->ResetDetails();
    return query;
  }
  // A fresh fixture's query sets, keyed or not: for tests that run both ways.
  TTestMemoryQuery* RemakeQuerySets(bool AKeyed) {
    TearDown();
    SetUp();
    return AKeyed ? MakeKeyedQuerySets() : MakeQuerySets();
  }
  // The detail's records as "ID:MID:V", sorted.
  static std::set<std::string> Records(TcxCustomDataController* ADetail) {
    std::set<std::string> r;
    for (Integer i = 0; i < ADetail->GetRecordCount(); ++i) {
      std::string text;
      for (Integer k = 0; k < 3; ++k)
        text += (k ? ":" : "") + std::string(VarToStr(ADetail->GetItemValue(i, k)));
      r.insert(text);
    }
    return r;
  }
};

TEST_F(DBDataDetailSibling, ADetailReadAsASiblingsAppendIsGivenUpFocusesTheQuerysRecord) {
  TTestMemoryQuery* query = MakeKeyedQuerySets();
  TcxCustomDataController* d1 = Master->GetDetailDataController(0, 0);
  ASSERT_EQ(DetailIDs(d1), Expected()[1]);
  d1->Append();
  ASSERT_EQ(query->State(), TDataSetState::dsInsert);
  // Master 4's row is expanded: the query is opened for it, the empty append given up.
  Master->ChangeDetailExpanding(3, true);
  TcxCustomDataController* d4 = Master->GetDetailDataController(3, 0);
  ASSERT_NE(d4, nullptr);
  ASSERT_EQ(query->State(), TDataSetState::dsBrowse);
  EXPECT_EQ(DetailIDs(d1), Expected()[1]);
  EXPECT_EQ(DetailIDs(d4), Expected()[4]);
  ASSERT_GE(d4->GetFocusedRecordIndex(), 0);
  EXPECT_EQ(d4->GetItemValue(d4->GetFocusedRecordIndex(), 0), query->FieldByName("ID")->Value());
  // An edit made on the query lands on the record it stands on, under no other.
  const Integer id = query->FieldByName("ID")->GetAsInteger();
  query->Edit();
  query->FieldByName("V")->SetValue(Variant(9.0));
  const std::set<std::string> expected = id == 40 ? std::set<std::string>{"40:4:9", "41:4:6"}
                                                  : std::set<std::string>{"40:4:5", "41:4:9"};
  EXPECT_EQ(Records(d4), expected);
  query->Post();
  EXPECT_EQ(Records(d4), expected);
}

}  // namespace

namespace {

TEST_F(DBDataDetailSibling, AnInsertEndedAfterASiblingAskedToReadLeavesNoRowBehind) {
  TTestMemoryQuery* query = MakeKeyedQuerySets();
  ASSERT_TRUE(Master->ChangeDetailExpanding(2, true));
  TcxCustomDataController* d3 = Master->GetDetailDataController(2, 0);
  ASSERT_TRUE(Master->ChangeDetailExpanding(0, true));
  TcxCustomDataController* d1 = Master->GetDetailDataController(0, 0);
  ASSERT_EQ(DetailIDs(d1), Expected()[1]);
  d1->Insert();
  ASSERT_EQ(query->State(), TDataSetState::dsInsert);
  ASSERT_EQ(d1->GetRecordCount(), 4);
  // Master 3's detail is asked to read while the insert goes on: it reads once the insert
  // ends, the query then opened for master 3.
  d3->Refresh();
  query->Cancel();
  EXPECT_EQ(query->State(), TDataSetState::dsBrowse);
  // The insert's row goes with it (its ID, Null, would not even convert).
  ASSERT_EQ(d1->GetRecordCount(), 3);
  EXPECT_EQ(DetailIDs(d1), Expected()[1]);
  EXPECT_EQ(DetailIDs(d3), Expected()[3]);
}

}  // namespace

namespace {

// Positions a detail by Locate, as an OnDetailFirst handler.
struct LocatingPositioner : TObject {
  void First(TcxDBDataModeController*, TDataSet* ADataSet, const String& ANames,
             const Variant& AValues, bool&) {
    cxDBLocateSafely(ADataSet, ANames, AValues);
  }
};

class DBDataDetailSharedMasterKey : public DBDataDetailSibling,
                                    public testing::WithParamInterface<bool> {};

// Master records sharing a key: each one's detail shows every record of that key, those
// appended through the others' too.
TEST_P(DBDataDetailSharedMasterKey, AppendsWithoutAnIDThroughTwoClonesShowUnderEveryOne) {
  TMemoryDataSet* detail = MakePlainSets();
  Pattern->SetKeyFieldNames("ID");
  Pattern->DataModeController()->SetSmartRefresh(true);
  LocatingPositioner positioner;
  if (GetParam())
    Pattern->DataModeController()->OnDetailFirst =
        TcxDBDataModeControllerDetailFirstEvent(&positioner, &LocatingPositioner::First);
  DS->AddRecord({5, "f"});
  DS->AddRecord({5, "g"});
  Master->Refresh();
  ASSERT_EQ(Master->GetRecordCount(), 7);
  std::vector<TcxCustomDataController*> details;
  for (Integer r : {4, 5, 6}) {
    ASSERT_TRUE(Master->ChangeDetailExpanding(r, true));
    details.push_back(Master->GetDetailDataController(r, 0));
    ASSERT_EQ(details.back()->GetRecordCount(), 0);
  }
  // The last two append, the second append posting the first's record; moving the data
  // set posts the second's.
  details[2]->Append();
  details[1]->Append();
  ASSERT_EQ(detail->State(), TDataSetState::dsInsert);
  detail->Next();
  ASSERT_EQ(detail->State(), TDataSetState::dsBrowse);
  for (size_t i = 0; i < details.size(); ++i) {
    EXPECT_EQ(Records(details[i]), (std::set<std::string>{":5:"})) << "detail " << i;
    EXPECT_EQ(details[i]->GetRecordCount(), 2) << "detail " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(LocateAndOnDetailFirst, DBDataDetailSharedMasterKey, testing::Bool());

}  // namespace

namespace {

// Frees the master controller (its details with it) as the query opens.
struct MasterFreeingHandler : TObject {
  Owned<MasterController>* Master = nullptr;
  void BeforeOpen(TDataSet*) { Master->reset(); }
};

TEST_F(DBDataDetailSibling, ADetailFreedAsItsFocusOpensTheQueryForItsMasterStopsThere) {
  TTestMemoryQuery* query = MakeQuerySets();
  TcxCustomDataController* d1 = Master->GetDetailDataController(0, 0);
  Master->GetDetailDataController(3, 0);
  MasterFreeingHandler handler;
  handler.Master = &Master;
  query->BeforeOpen = TDataSetNotifyEvent(&handler, &MasterFreeingHandler::BeforeOpen);
  TWeakLink alive(d1);
  d1->ChangeFocusedRowIndex(1);
  EXPECT_FALSE(alive.Alive());
  EXPECT_EQ(Master.get(), nullptr);
  query->BeforeOpen = nullptr;
  EXPECT_EQ(query->GetParams()->ParamByName("MID")->Value(), Variant(1));
}

}  // namespace

namespace {

// Two master records share a key, so their SQL-mode details read the same query: an insert
// begun on the query while it is open for that key, and cancelled after one of them was
// asked to read, leaves no row under either.
TEST_F(DBDataDetailSibling, AnInsertCancelledUnderTwoMastersSharingAKeyLeavesNoRow) {
  for (bool keyed : {false, true}) {
    SCOPED_TRACE(keyed ? "keyed" : "without keys");
    TTestMemoryQuery* query = RemakeQuerySets(keyed);
    Master->SetKeyFieldNames("ID");
    // A sixth master record, appended with the key of the second.
    DS->Append();
    DS->FieldByName("ID")->SetValue(Variant(2));
    DS->FieldByName("NAME")->SetValue(Variant("f"));
    const Integer appended = Master->GetFocusedRecordIndex();
    ASSERT_TRUE(Master->ChangeDetailExpanding(appended, true));
    ASSERT_EQ(DS->State(), TDataSetState::dsBrowse);
    ASSERT_EQ(appended, 5);
    Master->GetDetailDataController(5, 0)->Insert();
    ASSERT_EQ(query->State(), TDataSetState::dsInsert);
    // Master 3's row expanded gives the empty insert up; a refresh expands both masters
    // with key 2.
    ASSERT_TRUE(Master->ChangeDetailExpanding(2, true));
    Master->Refresh();
    ASSERT_TRUE(Master->GetDetailExpanding(1));
    TcxCustomDataController* d1 = Master->GetDetailDataController(1, 0);
    TcxCustomDataController* d2 = Master->GetDetailDataController(2, 0);
    TcxCustomDataController* d5 = Master->GetDetailDataController(5, 0);
    // Master 2 has no details: the query is empty, and an edit inserts.
    query->Edit();
    ASSERT_EQ(query->State(), TDataSetState::dsInsert);
    // Master 3's detail is asked to read while the insert goes on: it reads once the insert
    // ends, the query then opened for master 3.
    d2->Refresh();
    query->Delete();
    ASSERT_EQ(query->State(), TDataSetState::dsBrowse);
    EXPECT_EQ(d1->GetRecordCount(), 0);
    EXPECT_EQ(d5->GetRecordCount(), 0);
    EXPECT_EQ(DetailIDs(d2), Expected()[3]);
  }
}

}  // namespace

namespace {

// Frees the query itself as it opens.
struct QueryFreeingHandler : TObject {
  void AfterOpen(TDataSet* ADataSet) { ADataSet->Free(); }
};

TEST_F(DBDataDetailSibling, AQueryFreedAsADetailsFocusOpensItForItsMasterEndsTheFocusQuietly) {
  TTestMemoryQuery* query = MakeQuerySets();
  TcxCustomDataController* d1 = Master->GetDetailDataController(0, 0);
  Master->GetDetailDataController(3, 0);
  QueryFreeingHandler handler;
  query->AfterOpen = TDataSetNotifyEvent(&handler, &QueryFreeingHandler::AfterOpen);
  TWeakLink gone(query);
  // The query opened for master 1 is freed: the detail has no data set left, and no error
  // about the data set's kind reaches the caller.
  EXPECT_NO_THROW(d1->ChangeFocusedRowIndex(1));
  EXPECT_FALSE(gone.Alive());
  EXPECT_EQ(static_cast<TcxDBDataController*>(d1)->DataSet(), nullptr);
  EXPECT_EQ(d1->GetRecordCount(), 0);
}

}  // namespace

namespace {

// Two master records share a key: when the query is opened again for that key, the detail
// of each shows what it reads, records that came for the key while it held another's too.
TEST_F(DBDataDetailSibling, AQueryOpenedForASharedKeyIsReadByTheDetailsOfEveryMasterWithIt) {
  for (bool keyed : {false, true}) {
    SCOPED_TRACE(keyed ? "keyed" : "without keys");
    TTestMemoryQuery* query = RemakeQuerySets(keyed);
    DS->AddRecord({2, "f"});
    Master->Refresh();
    ASSERT_TRUE(Master->ChangeDetailExpanding(1, true));
    TcxCustomDataController* d1 = Master->GetDetailDataController(1, 0);
    ASSERT_EQ(d1->GetRecordCount(), 0);
    // The query is opened for master 3, and a record for master 2 comes into its table.
    ASSERT_TRUE(Master->ChangeDetailExpanding(2, true));
    Master->GetDetailDataController(2, 0)->ChangeFocusedRowIndex(0);
    ASSERT_EQ(query->GetParams()->ParamByName("MID")->Value(), Variant(3));
    query->AddRow({20, 2, 7.0});
    // The second master with key 2 opens the query for it again.
    ASSERT_TRUE(Master->ChangeDetailExpanding(5, true));
    TcxCustomDataController* d5 = Master->GetDetailDataController(5, 0);
    ASSERT_EQ(query->GetParams()->ParamByName("MID")->Value(), Variant(2));
    EXPECT_EQ(DetailIDs(d5), (std::set<Integer>{20}));
    EXPECT_EQ(DetailIDs(d1), (std::set<Integer>{20}));
  }
}

}  // namespace
