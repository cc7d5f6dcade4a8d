// Walking every record of a memory data set with ten data-aware editors bound to ten of its
// fields, beside the bare walk that reads the same ten fields: the ratio of the two is what
// the binding costs per record (each editor is told of every scroll and shows the new value).
#include "bench/BenchDesktop.h"
#include "classlib/core/DB.h"
#include "classlib/visual/Forms.h"
#include "widgets/data/DataUnits.h"
#include "widgets/databinding/DatabindingUnits.h"
#include "widgets/databinding/cxDBEdit.h"
#include "widgets/editors/EditorsUnits.h"
#include "widgets/special/SpecialUnits.h"

#include <benchmark/benchmark.h>

namespace {

struct TBenchField {
  const char* Name;
  TFieldType Type;
  Integer Size;
};

const TBenchField kFields[] = {
    {"ID", TFieldType::ftInteger, 0},   {"NAME", TFieldType::ftString, 20}, {"PRICE", TFieldType::ftFloat, 0},
    {"QTY", TFieldType::ftInteger, 0},  {"WHEN", TFieldType::ftDate, 0},    {"OK", TFieldType::ftBoolean, 0},
    {"CODE", TFieldType::ftString, 8},  {"RATE", TFieldType::ftFloat, 0},   {"CITY", TFieldType::ftString, 16},
    {"NOTE", TFieldType::ftString, 30},
};

class Program : public BenchDesktop {
 public:
  Program(Integer ARecords, bool AEditors) : BenchDesktop(BenchUnits::Editcore) {
    WidgetsEditorsInitialize();
    WidgetsSpecialInitialize();
    WidgetsDataInitialize();
    WidgetsDatabindingInitialize();
    form_ = TCustomForm::CreateNew(nullptr);
    form_->SetBounds(0, 0, 400, 320);
    ds_ = New<TMemoryDataSet>(form_);
    for (const TBenchField& f : kFields) ds_->FieldDefs().Add(f.Name, f.Type, f.Size);
    for (Integer i = 0; i < ARecords; ++i)
      ds_->AddRecord({i, "Name " + IntToStr(i), i * 0.25, i % 97, TDateTime(40000 + i % 3000), i % 2 == 0,
                      "C" + IntToStr(i % 1000), 1.0 / (i + 1), "City " + IntToStr(i % 50), "note " + IntToStr(i)});
    source_ = New<TDataSource>(form_);
    source_->SetDataSet(ds_);
    ds_->Open();
    if (AEditors) {
      Integer row = 0;
      const auto bind = [&](TcxCustomEdit* e, auto* binding, const char* field) {
        e->SetBounds(10, 4 + 28 * row++, 200, 21);
        e->SetParent(form_);
        binding->SetDataSource(source_);
        binding->SetDataField(field);
      };
      auto* id = New<TcxDBSpinEdit>(form_);
      bind(id, id->GetDataBinding(), "ID");
      auto* name = New<TcxDBTextEdit>(form_);
      bind(name, name->GetDataBinding(), "NAME");
      auto* price = New<TcxDBCurrencyEdit>(form_);
      bind(price, price->GetDataBinding(), "PRICE");
      auto* qty = New<TcxDBSpinEdit>(form_);
      bind(qty, qty->GetDataBinding(), "QTY");
      auto* when = New<TcxDBDateEdit>(form_);
      bind(when, when->GetDataBinding(), "WHEN");
      auto* ok = New<TcxDBCheckBox>(form_);
      bind(ok, ok->GetDataBinding(), "OK");
      auto* code = New<TcxDBMaskEdit>(form_);
      bind(code, code->GetDataBinding(), "CODE");
      auto* rate = New<TcxDBCalcEdit>(form_);
      bind(rate, rate->GetDataBinding(), "RATE");
      auto* city = New<TcxDBComboBox>(form_);
      bind(city, city->GetDataBinding(), "CITY");
      auto* note = New<TcxDBTextEdit>(form_);
      bind(note, note->GetDataBinding(), "NOTE");
      last_ = note;
    }
    form_->Show();
    Host().PumpUntilIdle();
  }
  ~Program() {
    form_->Free();
    Host().PumpUntilIdle();
    WidgetsDatabindingFinalize();
    WidgetsDataFinalize();
    WidgetsSpecialFinalize();
    WidgetsEditorsFinalize();
  }
  TMemoryDataSet* DataSet() { return ds_; }
  TcxCustomEdit* LastEditor() { return last_; }

 private:
  TCustomForm* form_ = nullptr;
  TMemoryDataSet* ds_ = nullptr;
  TDataSource* source_ = nullptr;
  TcxCustomEdit* last_ = nullptr;
};

// The bare walk: every record, its ten fields read.
void BM_WalkReadingTenFields(benchmark::State& state) {
  Program p(Integer(state.range(0)), false);
  TMemoryDataSet* ds = p.DataSet();
  std::vector<TField*> fields;
  for (const TBenchField& f : kFields) fields.push_back(ds->FieldByName(f.Name));
  for (auto _ : state) {
    Integer seen = 0;
    for (ds->First(); !ds->Eof(); ds->Next())
      for (TField* f : fields) seen += VarIsNull(f->GetAsVariant()) ? 0 : 1;
    benchmark::DoNotOptimize(seen);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_WalkReadingTenFields)->Arg(100000)->Unit(benchmark::kMillisecond);

// The same walk with ten editors showing every record.
void BM_WalkWithTenBoundEditors(benchmark::State& state) {
  Program p(Integer(state.range(0)), true);
  TMemoryDataSet* ds = p.DataSet();
  for (auto _ : state) {
    for (ds->First(); !ds->Eof(); ds->Next()) {
    }
    p.Host().PumpUntilIdle();
  }
  const String last = "note " + IntToStr(Integer(state.range(0)) - 1);
  if (VarToStr(p.LastEditor()->GetEditValue()) != last) state.SkipWithError("the editors did not follow");
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_WalkWithTenBoundEditors)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

namespace {

// The same walk inside DisableControls, as bulk walks run: the editors hear nothing until the
// end, then show the last record once.
void BM_WalkWithTenBoundEditorsControlsDisabled(benchmark::State& state) {
  Program p(Integer(state.range(0)), true);
  TMemoryDataSet* ds = p.DataSet();
  for (auto _ : state) {
    ds->DisableControls();
    for (ds->First(); !ds->Eof(); ds->Next()) {
    }
    ds->EnableControls();
    p.Host().PumpUntilIdle();
  }
  const String last = "note " + IntToStr(Integer(state.range(0)) - 1);
  if (VarToStr(p.LastEditor()->GetEditValue()) != last) state.SkipWithError("the editors did not follow");
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_WalkWithTenBoundEditorsControlsDisabled)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
