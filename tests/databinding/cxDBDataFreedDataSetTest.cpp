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

TEST_F(DBDataTest, ADataSetFreedByItsHandlerWhileAControllerReadsItLeavesTheControllerEmpty) {
  for (bool calc : {false, true}) {
    for (bool grid : {false, true}) {
      const std::string what = std::string(calc ? "calc" : "filter") + (grid ? " grid" : " loaded");
      MakeDataSet({{"ID", TFieldType::ftInteger}, {"NAME", TFieldType::ftString, 20}});
      AddTestField<TIntegerField>(Owner.get(), DS, "ID");
      AddTestField<TStringField>(Owner.get(), DS, "NAME")->SetSize(20);
      AddTestField<TStringField>(Owner.get(), DS, "CALC")->SetFieldKind(TFieldKind::fkCalculated);
      for (Integer i = 1; i <= 8; ++i) DS->AddRecord({i, "n" + IntToStr(i)});
      TDataSetFreer freer;
      if (calc) {
        DS->OnCalcFields = {&freer, &TDataSetFreer::Calc};
      } else {
        DS->OnFilterRecord = {&freer, &TDataSetFreer::Filter};
        DS->SetFiltered(true);
      }
      DS->Open();
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

}  // namespace
