// Master-detail relations: the detail-object field, clone details made by the master's
// hook, reused, moved with their master record and freed with it or with the master.
#include "DataControllerTestSupport.h"
#include "widgets/data/cxDataRelations.h"

using enum TcxDataControllerDetailMode;

namespace {

Integer gDetailsAlive = 0;

struct Detail : TcxDataController {
  using TcxDataController::TcxDataController;
  void AfterConstruction() override {
    TcxDataController::AfterConstruction();
    ++gDetailsAlive;
  }
  void BeforeDestruction() override {
    --gDetailsAlive;
    TcxDataController::BeforeDestruction();
  }
};

struct Master : TcxDataController {
  using TcxDataController::TcxDataController;
  Integer Made = 0, NullFirst = 0;
  bool Raise = false;
  TObject* CreateDetailDataController(TcxCustomDataRelation*, Integer) override {
    ++Made;
    if (Raise) throw Exception("no detail");
    if (NullFirst > 0 && NullFirst-- > 0) return nullptr;
    return New<Detail>(nullptr);
  }
  TcxCustomDataController* GetDetailDataControllerOf(TObject* AObject) const override {
    return dynamic_cast<TcxCustomDataController*>(AObject);
  }
};

struct Visitor : TObject {
  std::vector<TcxCustomDataController*> Seen;
  void Visit(TcxCustomDataController* ADetail) { Seen.push_back(ADetail); }
};

struct Expansion : TObject {
  bool Allow = true;
  Integer Expanded = 0;
  void Expanding(TcxCustomDataController*, Integer, bool& AAllow) { AAllow = Allow; }
  void Done(TcxCustomDataController*, Integer) { ++Expanded; }
};

class Relations : public ControllerTest {
 protected:
  TcxCustomDataController* Make() override { return New<Master>(nullptr); }
  Master* M() const { return static_cast<Master*>(c_.get()); }
  void SetUp() override {
    ControllerTest::SetUp();
    gDetailsAlive = 0;
    AddItems({IntType()});
    Fill({{10}, {20}, {30}, {40}});
    relation_ = c_->Relations()->Add(items_[0].get());
    pattern_.reset(New<Detail>(nullptr));
    pattern_->SetRecordCount(3);
    pattern_->SetMasterRelation(relation_, -1);
    EXPECT_EQ(pattern_->GetRecordCount(), 3);  // its own records are all it has
  }
  void TearDown() override {
    c_.reset();
    pattern_.reset();
    EXPECT_EQ(gDetailsAlive, 0);
    ControllerTest::TearDown();
  }
  TcxCustomDataRelation* relation_ = nullptr;
  Owned<Detail> pattern_;
};

TEST_F(Relations, TheDetailObjectFieldLivesWithTheRelations) {
  EXPECT_EQ(c_->Fields()->InternalCount(), 1);
  EXPECT_EQ(c_->GetItemCount(), 1);
  Owned<TestItem> second(New<TestItem>());
  c_->Relations()->Add(second.get());
  EXPECT_EQ(c_->Fields()->InternalCount(), 1);
  c_->Relations()->Clear();
  EXPECT_EQ(c_->Fields()->InternalCount(), 0);
  EXPECT_FALSE(c_->HasRelations());
  EXPECT_FALSE(pattern_->IsDetail());  // left on its own, still a pattern
  EXPECT_TRUE(pattern_->IsPattern());
}

TEST_F(Relations, ClonesAreMadeOnceAndFollowTheirMasterRecord) {
  EXPECT_EQ(pattern_->GetDetailMode(), dcdmPattern);
  EXPECT_EQ(c_->GetDetailMode(), dcdmNone);
  TcxCustomDataController* clone = c_->GetDetailDataController(2, 0);
  ASSERT_NE(clone, nullptr);
  EXPECT_EQ(c_->GetDetailDataController(2, 0), clone);
  EXPECT_EQ(M()->Made, 1);
  EXPECT_EQ(clone->GetDetailMode(), dcdmClone);
  EXPECT_EQ(clone->GetMasterDataController(), c_.get());
  EXPECT_EQ(clone->GetPatternDataController(), pattern_.get());
  EXPECT_EQ(clone->GetMasterRecordIndex(), 2);
  EXPECT_EQ(c_->GetDetailActiveRelationIndex(2), 0);
  EXPECT_EQ(c_->GetDetailActiveRelationIndex(1), 0);

  TcxCustomDataController* other = c_->GetDetailDataController(0, 0);
  Visitor v;
  c_->ForEachDetailController(relation_,
                              TMethod<void(TcxCustomDataController*)>(&v, &Visitor::Visit));
  EXPECT_EQ(v.Seen, (std::vector<TcxCustomDataController*>{other, clone}));

  c_->InsertRecord(0);
  EXPECT_EQ(clone->GetMasterRecordIndex(), 3);
  EXPECT_EQ(other->GetMasterRecordIndex(), 1);
  EXPECT_EQ(gDetailsAlive, 3);
  c_->DeleteRecord(1);  // a clone goes with its record
  EXPECT_EQ(gDetailsAlive, 2);
  EXPECT_EQ(clone->GetMasterRecordIndex(), 2);
  EXPECT_EQ(c_->GetDetailDataController(2, 0), clone);

  c_->GetDetailDataController(0, 0);
  c_->GetDetailDataController(1, 0);
  c_->SetMultiSelect(true);
  c_->SelectAll();
  c_->DeleteSelection();
  EXPECT_EQ(gDetailsAlive, 1);
  EXPECT_EQ(c_->GetRecordCount(), 0);
}

TEST_F(Relations, DetailsNeverOutliveOrDangleBehindTheirMaster) {
  TcxCustomDataController* clone = c_->GetDetailDataController(1, 0);
  clone->Free();  // freed on its own: the master makes a new one when asked
  EXPECT_EQ(gDetailsAlive, 1);
  TcxCustomDataController* again = c_->GetDetailDataController(1, 0);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(M()->Made, 2);
  c_->GetDetailDataController(3, 0);
  EXPECT_EQ(gDetailsAlive, 3);
  c_.reset();  // the clones go with the master, the pattern stays alone
  EXPECT_EQ(gDetailsAlive, 1);
  EXPECT_FALSE(pattern_->IsDetail());
  pattern_->SetRecordCount(2);
  EXPECT_EQ(pattern_->GetRowCount(), 2);
}

TEST_F(Relations, APatternFreedFirstLeavesNoDanglingRelation) {
  c_->GetDetailDataController(0, 0);
  pattern_.reset();
  EXPECT_EQ(relation_->DetailDataController(), nullptr);
  EXPECT_EQ(c_->GetDetailDataController(0, 0), nullptr);  // its clone is dropped too
  EXPECT_EQ(gDetailsAlive, 0);
}

TEST_F(Relations, TheHookRaisingOrMakingNothing) {
  M()->Raise = true;
  EXPECT_THROW(c_->GetDetailDataController(0, 0), Exception);
  M()->Raise = false;
  EXPECT_NE(c_->GetDetailDataController(0, 0), nullptr);  // the creating flags were cleared

  M()->Made = 0;
  M()->NullFirst = 1;  // one retry
  EXPECT_NE(c_->GetDetailDataController(1, 0), nullptr);
  EXPECT_EQ(M()->Made, 2);

  pattern_->SetMasterRelation(nullptr, -1);  // no relation has a detail controller
  M()->Made = 0;
  EXPECT_EQ(gDetailsAlive, 3);
  EXPECT_EQ(c_->GetDetailDataController(0, 0), nullptr);
  EXPECT_EQ(c_->GetDetailDataController(1, 0), nullptr);
  EXPECT_EQ(M()->Made, 0);
  EXPECT_EQ(gDetailsAlive, 1);  // the stored objects were dropped with their clones
  EXPECT_THROW(c_->GetDetailDataController(9, 0), EcxInvalidDataControllerOperation);
}

TEST_F(Relations, ExpandingAsksAndTells) {
  Expansion e;
  c_->OnDetailExpanding = TcxDataDetailExpandingEvent(&e, &Expansion::Expanding);
  c_->OnDetailExpanded = TcxDataDetailExpandedEvent(&e, &Expansion::Done);
  EXPECT_FALSE(c_->GetDetailExpanding(1));
  e.Allow = false;
  EXPECT_FALSE(c_->ChangeDetailExpanding(1, true));
  e.Allow = true;
  EXPECT_TRUE(c_->ChangeDetailExpanding(1, true));
  EXPECT_FALSE(c_->ChangeDetailExpanding(1, true));
  EXPECT_TRUE(c_->GetDetailExpanding(1));
  EXPECT_EQ(e.Expanded, 1);
  c_->CollapseDetails();
  EXPECT_FALSE(c_->GetDetailExpanding(1));
}

}  // namespace

TEST_F(Relations, ClearingTheInfoOfARecordAnswersWhetherItHasADetailObject) {
  EXPECT_FALSE(c_->Relations()->ClearDetailInfo(1, -1));  // none made yet
  EXPECT_EQ(c_->GetDetailActiveRelationIndex(1), 0);     // makes the object, no clone
  EXPECT_TRUE(c_->Relations()->ClearDetailInfo(1, -1));
  EXPECT_FALSE(c_->Relations()->HasDetailInfo(1, -1));
  ASSERT_NE(c_->GetDetailDataController(3, 0), nullptr);
  EXPECT_TRUE(c_->Relations()->ClearDetailInfo(3, 0));
  EXPECT_FALSE(c_->Relations()->HasDetailInfo(3, 0));
  EXPECT_EQ(gDetailsAlive, 1);  // the pattern alone
}

TEST_F(Relations, LoadingARecordStreamKeepsTheDetailsOfTheRecordsThatStay) {
  TcxCustomDataController* clone = c_->GetDetailDataController(1, 0);
  c_->GetDetailDataController(3, 0);
  ASSERT_EQ(gDetailsAlive, 3);  // the pattern and two clones
  TStringStream out;
  c_->SaveToStream(out);
  c_->SetValue(1, 0, 99);
  TStringStream in(out.DataString());
  c_->LoadFromStream(in);
  EXPECT_EQ(c_->GetItemValue(1, 0).AsInteger(), 20);
  EXPECT_EQ(c_->GetDetailDataController(1, 0), clone);
  EXPECT_EQ(M()->Made, 2);
  EXPECT_EQ(gDetailsAlive, 3);

  // Cut to three records: record 3's detail goes with its record.
  Owned<TestItem> item(New<TestItem>());
  Owned<TcxDataController> three(New<TcxDataController>(nullptr));
  three->AddItem(item.get());
  three->ChangeValueTypeClass(0, IntType());
  three->SetRecordCount(3);
  TStringStream cut;
  three->SaveToStream(cut);
  TStringStream back(cut.DataString());
  c_->LoadFromStream(back);
  EXPECT_EQ(c_->GetRecordCount(), 3);
  EXPECT_EQ(gDetailsAlive, 2);
  EXPECT_EQ(c_->GetDetailDataController(1, 0), clone);
  three.reset();
}
