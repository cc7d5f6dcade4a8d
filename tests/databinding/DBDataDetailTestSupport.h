// The master-detail fixture: a master set of five records, a detail set (plain or a query on
// MID) and a master controller that makes a clone of its pattern detail per master record.
#pragma once

#include "tests/databinding/DBDataTestSupport.h"

#include <map>
#include <set>

// Which detail became (True) or stopped being (False) the active one, in order.
using TActiveDetailLog = std::vector<std::pair<TcxDBDataController*, bool>>;

// A clone that writes its active-detail changes into its master's log.
class RecordingDetail : public TcxDBDataController {
 public:
  using TcxDBDataController::TcxDBDataController;
  void ActiveDetailChanged(bool AActive) override {
    if (Log) Log->emplace_back(this, AActive);
  }
  TActiveDetailLog* Log = nullptr;
};

// A master that makes a clone of its pattern detail for every master record it is asked for.
class MasterController : public TcxDBDataController {
 public:
  using TcxDBDataController::TcxDBDataController;
  TObject* CreateDetailDataController(TcxCustomDataRelation* ARelation, Integer) override {
    auto* pattern = static_cast<TcxDBDataController*>(ARelation->DetailDataController());
    auto* clone = New<RecordingDetail>(nullptr);
    clone->Log = &ActiveDetails;
    CopyDetailPattern(clone, pattern);
    ++Clones;
    return clone;
  }
  TcxCustomDataController* GetDetailDataControllerOf(TObject* AObject) const override {
    return dynamic_cast<TcxCustomDataController*>(AObject);
  }
  Integer Clones = 0;
  TActiveDetailLog ActiveDetails;
};

class DBDataDetail : public DBDataTest {
 protected:
  void TearDown() override {
    Master.reset();
    Pattern.reset();
    DBDataTest::TearDown();
  }
  // Masters 1..5; the details of each master stand together, as an index on MID keeps them.
  void MakeSets(TMemoryDataSet* ADetail) {
    MakeDataSet({{"ID", TFieldType::ftInteger}, {"NAME", TFieldType::ftString, 10}},
                {{1, "a"}, {2, "b"}, {3, "c"}, {4, "d"}, {5, "e"}});
    DS->Open();
    Detail = ADetail;
    DetailSource = New<TDataSource>(Owner.get());
    DetailSource->SetDataSet(Detail);
  }
  // The detail rows each master must show.
  std::map<Integer, std::set<Integer>> Expected() const {
    return {{1, {10, 11, 12}}, {2, {}}, {3, {30}}, {4, {40, 41}}, {5, {}}};
  }
  std::vector<std::vector<Variant>> DetailRows() const {
    return {{10, 1, 1.0}, {11, 1, 2.0}, {12, 1, 3.0}, {30, 3, 4.0}, {40, 4, 5.0}, {41, 4, 6.0}};
  }
  // The same records as a data set without an order on MID holds them after some editing:
  // each master's records scattered among the others'.
  std::vector<std::vector<Variant>> ScatteredDetailRows() const {
    return {{41, 4, 6.0}, {10, 1, 1.0}, {30, 3, 4.0}, {11, 1, 2.0}, {40, 4, 5.0}, {12, 1, 3.0}};
  }
  void MakeControllers() {
    Master.reset(New<MasterController>(nullptr));
    AddItems(Master.get(), {"ID", "NAME"});
    Master->SetDataSource(Source);
    Pattern.reset(New<TcxDBDataController>(nullptr));
    AddItems(Pattern.get(), {"ID", "MID", "V"});
    Pattern->SetDataSource(DetailSource);
    Pattern->SetMasterKeyFieldNames("ID");
    Pattern->SetDetailKeyFieldNames("MID");
    TcxCustomDataRelation* relation = Master->Relations()->Add(&Level);
    Pattern->SetMasterRelation(relation, -1);
    Master->Refresh();
  }
  // The master set and a plain detail set of DetailRows, both open, with their controllers.
  TMemoryDataSet* MakePlainSets(bool AScattered = false) {
    TMemoryDataSet* detail = MakeTestDataSet(Owner.get(), {{"ID", TFieldType::ftInteger},
                                                           {"MID", TFieldType::ftInteger},
                                                           {"V", TFieldType::ftFloat}});
    for (const auto& r : AScattered ? ScatteredDetailRows() : DetailRows()) detail->AddRecord(r);
    detail->Open();
    MakeSets(detail);
    MakeControllers();
    return detail;
  }
  // The master set and a query of DetailRows on parameter MID, with an SQL-mode pattern.
  TTestMemoryQuery* MakeQuerySets() {
    auto* query = New<TTestMemoryQuery>(Owner.get());
    query->FieldDefs().Add("ID", TFieldType::ftInteger);
    query->FieldDefs().Add("MID", TFieldType::ftInteger);
    query->FieldDefs().Add("V", TFieldType::ftFloat);
    query->GetParams()->CreateParam(TFieldType::ftInteger, "MID");
    for (const auto& r : DetailRows()) query->AddRow(r);
    query->Open();
    MakeSets(query);
    MakeControllers();
    Pattern->DataModeController()->SetDetailInSQLMode(true);
    return query;
  }
  std::set<Integer> DetailIDs(TcxCustomDataController* ADetail) const {
    std::set<Integer> r;
    for (Integer i = 0; i < ADetail->GetRecordCount(); ++i)
      r.insert(ADetail->GetItemValue(i, 0).AsInteger());
    return r;
  }

  TMemoryDataSet* Detail = nullptr;
  TDataSource* DetailSource = nullptr;
  DBTestItem Level;
  Owned<MasterController> Master;
  Owned<TcxDBDataController> Pattern;
};
