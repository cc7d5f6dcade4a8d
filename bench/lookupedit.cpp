// The lookup combo box over a list data set of 10^5 records (ID, Name of six lower-case
// letters). The display texts of 50 visible rows' keys: in loaded mode (the controller's key
// search), in grid mode cold (each text read from the data set without moving it) and warm
// (from the cache), beside SQLite's lookup by an INTEGER PRIMARY KEY. And one incremental-
// filter keystroke ("a" then "ab") beside SQLite's LIKE 'ab%' on a NOCASE-indexed column.
// Keys are found through key indexes (the controller's storage in loaded mode, the data set
// in grid mode) once built; "after a change" times the 50 texts right after the list's
// records changed (indexes dropped), against the plain rows, where the indexes are kept.
// Both sides' answers are compared before timing; a difference fails the SQLite side.
#include "bench/BenchDesktop.h"
#include "classlib/core/DB.h"
#include "widgets/data/DataUnits.h"
#include "widgets/databinding/DatabindingUnits.h"
#include "widgets/databinding/cxDBLookupComboBox.h"
#include "widgets/editors/EditorsUnits.h"
#include "widgets/special/SpecialUnits.h"

#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#ifdef TL_HAVE_SQLITE3
#include <sqlite3.h>
#endif

namespace {

constexpr Integer kVisible = 50;

std::vector<std::string> Names(Integer N) {
  std::mt19937 gen(20261207);
  std::vector<std::string> r(static_cast<size_t>(N));
  for (auto& s : r)
    for (int k = 0; k < 6; ++k) s += char('a' + gen() % 26);
  return r;
}

// The keys of 50 rows in view somewhere in the middle of the list.
std::vector<Integer> VisibleKeys(Integer N) {
  std::vector<Integer> r;
  for (Integer i = 0; i < kVisible; ++i) r.push_back(N / 2 + i * 7);
  return r;
}

class Program : BenchDesktop {
 public:
  explicit Program(Integer N) : BenchDesktop(BenchUnits::Editcore), names_(Names(N)) {
    WidgetsEditorsInitialize();
    WidgetsSpecialInitialize();
    WidgetsDataInitialize();
    WidgetsDatabindingInitialize();
    owner_ = New<TComponent>(nullptr);
    ds_ = New<TMemoryDataSet>(owner_);
    ds_->FieldDefs().Add("ID", TFieldType::ftInteger, 0);
    ds_->FieldDefs().Add("Name", TFieldType::ftString, 20);
    // Filled before opening: an open set would refresh per record.
    for (Integer i = 0; i < N; ++i) ds_->AddRecord({Variant(i + 1), Variant(String(names_[size_t(i)]))});
    ds_->Open();
    source_ = New<TDataSource>(owner_);
    source_->SetDataSet(ds_);
    props_ = New<TcxLookupComboBoxProperties>(nullptr);
    props_->SetListSource(source_);
    props_->SetKeyFieldNames("ID");
    props_->SetListFieldNames("Name");
  }
  ~Program() {
    props_->Free();
    owner_->Free();
    WidgetsDatabindingFinalize();
    WidgetsDataFinalize();
    WidgetsSpecialFinalize();
    WidgetsEditorsFinalize();
  }
  TcxLookupComboBoxProperties* Props() { return props_; }
  TMemoryDataSet* List() { return ds_; }
  const std::vector<std::string>& Rows() const { return names_; }
  std::vector<std::string> Texts(const std::vector<Integer>& AKeys) {
    std::vector<std::string> r;
    for (Integer k : AKeys) r.push_back(props_->GetDisplayText(Variant(k)));
    return r;
  }

 private:
  std::vector<std::string> names_;
  TComponent* owner_ = nullptr;
  TMemoryDataSet* ds_ = nullptr;
  TDataSource* source_ = nullptr;
  TcxLookupComboBoxProperties* props_ = nullptr;
};

void Display(benchmark::State& state, bool AGridMode, bool AWarm) {
  Program p(Integer(state.range(0)));
  const std::vector<Integer> keys = VisibleKeys(Integer(state.range(0)));
  p.Props()->SetGridMode(AGridMode);
  if (AWarm) p.Texts(keys);
  for (auto _ : state) {
    if (AGridMode && !AWarm) {
      state.PauseTiming();
      p.Props()->Cache()->Clear();
      state.ResumeTiming();
    }
    benchmark::DoNotOptimize(p.Texts(keys));
  }
}

// The list's records changed (Refresh reads them anew) before each round of 50 texts: the
// key indexes are built again on the way.
void DisplayAfterChange(benchmark::State& state, bool AGridMode) {
  Program p(Integer(state.range(0)));
  const std::vector<Integer> keys = VisibleKeys(Integer(state.range(0)));
  p.Props()->SetGridMode(AGridMode);
  for (auto _ : state) {
    state.PauseTiming();
    p.List()->Refresh();
    if (AGridMode) p.Props()->Cache()->Clear();
    state.ResumeTiming();
    benchmark::DoNotOptimize(p.Texts(keys));
  }
}

void BM_LookupDisplayLoadedAfterChange(benchmark::State& state) { DisplayAfterChange(state, false); }
void BM_LookupDisplayGridAfterChange(benchmark::State& state) { DisplayAfterChange(state, true); }

void BM_LookupDisplayLoaded(benchmark::State& state) { Display(state, false, false); }
void BM_LookupDisplayGridCold(benchmark::State& state) { Display(state, true, false); }
void BM_LookupDisplayGridWarm(benchmark::State& state) { Display(state, true, true); }

// One keystroke: the list filtered by "a" is narrowed to "ab".
void BM_LookupIncrementalFilterKeystroke(benchmark::State& state) {
  Program p(Integer(state.range(0)));
  TcxCustomDataController* c = p.Props()->GetListDataController();
  Integer rows = 0;
  for (auto _ : state) {
    state.PauseTiming();
    c->ApplyIncrementalFilter(0, "a");
    state.ResumeTiming();
    c->ApplyIncrementalFilter(0, "ab");
    rows = c->GetRowCount();
  }
  state.counters["rows"] = double(rows);
}

#ifdef TL_HAVE_SQLITE3
class Theirs {
 public:
  explicit Theirs(const std::vector<std::string>& ARows) {
    sqlite3_open(":memory:", &db_);
    sqlite3_exec(db_, "CREATE TABLE t (id INTEGER PRIMARY KEY, name TEXT COLLATE NOCASE)", nullptr, nullptr, nullptr);
    sqlite3_exec(db_, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* ins = nullptr;
    sqlite3_prepare_v2(db_, "INSERT INTO t VALUES (?, ?)", -1, &ins, nullptr);
    for (size_t i = 0; i < ARows.size(); ++i) {
      sqlite3_bind_int(ins, 1, int(i + 1));
      sqlite3_bind_text(ins, 2, ARows[i].data(), int(ARows[i].size()), SQLITE_STATIC);
      sqlite3_step(ins);
      sqlite3_reset(ins);
    }
    sqlite3_finalize(ins);
    sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_exec(db_, "CREATE INDEX t_name ON t (name)", nullptr, nullptr, nullptr);
  }
  ~Theirs() { sqlite3_close(db_); }
  sqlite3* Db() { return db_; }

 private:
  sqlite3* db_ = nullptr;
};

void BM_LookupDisplaySQLite(benchmark::State& state) {
  Program p(Integer(state.range(0)));
  Theirs t(p.Rows());
  const std::vector<Integer> keys = VisibleKeys(Integer(state.range(0)));
  sqlite3_stmt* q = nullptr;
  sqlite3_prepare_v2(t.Db(), "SELECT name FROM t WHERE id = ?", -1, &q, nullptr);
  auto texts = [&] {
    std::vector<std::string> r;
    for (Integer k : keys) {
      sqlite3_bind_int(q, 1, int(k));
      r.push_back(sqlite3_step(q) == SQLITE_ROW ? reinterpret_cast<const char*>(sqlite3_column_text(q, 0)) : "");
      sqlite3_reset(q);
    }
    return r;
  };
  if (texts() != p.Texts(keys)) {
    state.SkipWithError("the texts differ from SQLite's");
  } else {
    for (auto _ : state) benchmark::DoNotOptimize(texts());
  }
  sqlite3_finalize(q);
}

void BM_LookupIncrementalFilterSQLite(benchmark::State& state) {
  Program p(Integer(state.range(0)));
  Theirs t(p.Rows());
  sqlite3_stmt* q = nullptr;
  sqlite3_prepare_v2(t.Db(), "SELECT id, name FROM t WHERE name LIKE 'ab%'", -1, &q, nullptr);
  auto rows = [&] {
    Integer n = 0;
    while (sqlite3_step(q) == SQLITE_ROW) ++n;
    sqlite3_reset(q);
    return n;
  };
  TcxCustomDataController* c = p.Props()->GetListDataController();
  c->ApplyIncrementalFilter(0, "ab");
  if (rows() != c->GetRowCount()) {
    state.SkipWithError("the filtered rows differ from SQLite's");
  } else {
    for (auto _ : state) benchmark::DoNotOptimize(rows());
  }
  sqlite3_finalize(q);
}
#endif

}  // namespace

BENCHMARK(BM_LookupDisplayLoaded)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LookupDisplayLoadedAfterChange)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LookupDisplayGridCold)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LookupDisplayGridAfterChange)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LookupDisplayGridWarm)->Arg(100000)->Unit(benchmark::kMicrosecond);
#ifdef TL_HAVE_SQLITE3
BENCHMARK(BM_LookupDisplaySQLite)->Arg(100000)->Unit(benchmark::kMicrosecond);
#endif
BENCHMARK(BM_LookupIncrementalFilterKeystroke)->Arg(100000)->Unit(benchmark::kMillisecond);
#ifdef TL_HAVE_SQLITE3
BENCHMARK(BM_LookupIncrementalFilterSQLite)->Arg(100000)->Unit(benchmark::kMillisecond);
#endif
