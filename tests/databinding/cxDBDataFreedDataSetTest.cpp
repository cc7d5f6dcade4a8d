// A data set freed by its own calculation or filter handler while a data-set controller reads
// it (loading every record, or filling its grid-mode window): the controller's walk ends
// with the data set gone and the controller left empty and usable; nothing touches the freed
// data set (the sanitizer build sees that).
#include "tests/databinding/DBDataTestSupport.h"

namespace {

class TDataSetFreer : public TObject {
 public:
  TDataSet* Victim = nullptr;
  int Countdown = 0;
  int Runs = 0;
  void Hit() {
    if (!Victim || --Countdown > 0) return;
    ++Runs;
    TDataSet* v = Victim;
    Victim = nullptr;
    v->Free();
  }
  void Calc(TDataSet*) { Hit(); }
  void Filter(TDataSet*, bool& Accept) {
    Accept = true;
    Hit();
  }
};

class DBDataFreedDataSet : public DBDataTest {
 protected:
  // Eight records, with a calculated field; OnCalcFields or OnFilterRecord (filtering) set to
  // AFreer, which is not armed yet.
  void MakeOpenSet(bool ACalc, TDataSetFreer& AFreer) {
    MakeDataSet({{"ID", TFieldType::ftInteger}, {"NAME", TFieldType::ftString, 20}});
    AddTestField<TIntegerField>(Owner.get(), DS, "ID");
    AddTestField<TStringField>(Owner.get(), DS, "NAME")->SetSize(20);
    AddTestField<TStringField>(Owner.get(), DS, "CALC")->SetFieldKind(TFieldKind::fkCalculated);
    for (Integer i = 1; i <= 8; ++i) DS->AddRecord({i, "n" + IntToStr(i)});
    if (ACalc) {
      DS->OnCalcFields = {&AFreer, &TDataSetFreer::Calc};
    } else {
      DS->OnFilterRecord = {&AFreer, &TDataSetFreer::Filter};
      DS->SetFiltered(true);
    }
    DS->Open();
  }
};

TEST_F(DBDataFreedDataSet, FreedWhileAControllerReadsItTheControllerIsLeftEmpty) {
  for (bool calc : {false, true}) {
    for (bool grid : {false, true}) {
      const std::string what = std::string(calc ? "calc" : "filter") + (grid ? " grid" : " loaded");
      TDataSetFreer freer;
      MakeOpenSet(calc, freer);
      C.reset(New<TcxDBDataController>(nullptr));
      AddItems(C.get(), {"ID", "NAME", "CALC"});
      C->SetKeyFieldNames("ID");
      if (grid) {
        C->DataModeController()->SetGridMode(true);
        C->DataModeController()->SetGridModeBufferCount(5);
      }
      freer.Victim = DS;
      freer.Countdown = 3;  // in the middle of the walk
      TWeakLink link(DS);
      C->SetDataSource(Source);
      EXPECT_FALSE(link.Alive()) << what;
      EXPECT_EQ(freer.Runs, 1) << what;
      EXPECT_EQ(Source->DataSet(), nullptr) << what;
      EXPECT_EQ(C->GetRecordCount(), 0) << what;
      EXPECT_EQ(C->GetRowCount(), 0) << what;
      // The controller takes another data set as usual.
      MakeDataSet({{"ID", TFieldType::ftInteger}}, {{Variant(Integer(1))}, {Variant(Integer(2))}});
      DS->Open();
      C->SetDataSource(Source);
      EXPECT_EQ(C->GetRecordCount(), 2) << what;
      C.reset();
    }
  }
}

// Selecting every row, and visiting every row, in grid mode walk the data set itself.
TEST_F(DBDataFreedDataSet, FreedWhileSelectingOrVisitingEveryRowTheWalkEnds) {
  for (int run = 0; run < 4; ++run) {
    const bool calc = run % 2 == 1, visiting = run >= 2;
    TDataSetFreer freer;
    MakeOpenSet(calc, freer);
    MakeController({"ID", "NAME", "CALC"}, "ID");
    C->DataModeController()->SetGridMode(true);
    C->DataModeController()->SetGridModeBufferCount(3);
    C->SetMultiSelect(true);
    freer.Victim = DS;
    freer.Countdown = 5;
    TWeakLink link(DS);
    int visited = 0;
    if (visiting)
      C->ForEachRow(false, [&](Integer, const TcxRowInfo&) { ++visited; });
    else
      C->SelectAll();
    EXPECT_FALSE(link.Alive()) << run;
    EXPECT_EQ(freer.Runs, 1) << run;
    EXPECT_LT(visited, 8) << run;
    EXPECT_EQ(C->GetRecordCount(), 0) << run;
    EXPECT_EQ(C->GetSelectedCount(), 0) << run;
    C.reset();
  }
}

}  // namespace
