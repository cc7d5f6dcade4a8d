// The data-set controller's grid mode beside SQLite ":memory:", on the generated table of
// the data benchmarks (bench/DataBenchTable.h). The answers are compared first: the pages
// a grid-mode scroll shows must hold the rows SQLite's keyset paging returns, the scroll
// bar's count and number must be the filtered data set's, and the three filters must
// keep the same number of records; a difference fails every benchmark of that size.
//   GridScroll/Controller      Scroll by one page of 50 rows in grid mode, then every value
//                              of the page read (back to the first record at the end)
//   GridScroll/SQLite          SELECT ... WHERE ID > ? ORDER BY ID LIMIT 50, every value read
//   ScrollBar/Filtered         one row scrolled on a filtered data set, then the scroll bar's
//                              record count and record number asked
//   Filter/AutoDataSetFilter   the criteria switched on with AutoDataSetFilter: the data set
//                              filters by their text, the grid-mode window follows
//   Filter/Controller          the same criteria filtering a loaded controller's rows
//   Filter/SQLite              the same condition as a WHERE, the kept IDs read
//   DeleteSelection/GridMode   1,000 records spread over the data set, selected by bookmark
//                              in grid mode, deleted at once (beside SQLite deleting them by
//                              key in one transaction)
// The aim: a scroll step and a scroll-bar update cost what the window costs, whatever the
// data set's size (compare the 10^4 and 10^5 rows).
#include <benchmark/benchmark.h>

#include "bench/DataBenchDataSet.h"

#include "classlib/core/DB.h"
#include "classlib/core/SysUtils.h"
#include "platform/kernel/Units.h"
#include "widgets/data/DataUnits.h"
#include "widgets/databinding/DatabindingUnits.h"
#include "widgets/databinding/cxDBData.h"
#include "widgets/databinding/cxDBFilter.h"

#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#ifdef TL_HAVE_SQLITE3
#include <sqlite3.h>
#endif

namespace {

using enum TcxFilterOperatorKind;

const char* const kNames[cColumns] = {"ID", "Name", "City", "Amount", "Price", "Day", "Flag"};
constexpr Integer kPage = 50;
// The filter every filtering benchmark applies, as the controller's criteria and as SQL.
constexpr double kMinPrice = 500.0;
const char* const kOtherCity = "City07";
const char* const kWhere = "Price >= 500.0 AND City <> 'City07'";

struct Item : TObject {};

// A memory data set of the rows and a controller over it.
struct Ours {
  Owned<TMemoryDataSet> ds;
  Owned<TDataSource> source;
  Item items[cColumns];
  Owned<TcxDBDataController> c;

  Ours(const std::vector<Row>& ARows, bool AGridMode) {
    ds.reset(NewBenchDataSet(ARows));
    source.reset(New<TDataSource>(nullptr));
    source->SetDataSet(ds.get());
    c.reset(New<TcxDBDataController>(nullptr));
    for (Integer i = 0; i < cColumns; ++i) {
      c->AddItem(&items[i]);
      c->ChangeFieldName(i, kNames[i]);
    }
    c->DataModeController()->SetGridModeBufferCount(kPage);
    c->DataModeController()->SetGridMode(AGridMode);
    c->SetDataSource(source.get());
  }
  ~Ours() {
    c.reset();
    source.reset();
    ds.reset();
  }
  // Every value of the rows, summed up by type so that nothing is optimised away.
  Int64 ReadPage(std::vector<Integer>* AIDs = nullptr) {
    Int64 n = 0;
    for (Integer r = 0; r < c->GetRowCount(); ++r) {
      const Integer record = c->GetRowInfo(r).RecordIndex;
      for (Integer i = 0; i < cColumns; ++i) n += c->GetItemValue(record, i).VType();
      if (AIDs) AIDs->push_back(c->GetItemValue(record, cID).AsInteger());
    }
    return n;
  }
  // One page on; back to the first page at the end.
  void NextPage() {
    if (c->IsEOF()) {
      c->GotoFirst();
      return;
    }
    c->Scroll(kPage);
  }
  void SetCriteria() {
    TcxDBDataFilterCriteria* f = static_cast<TcxDBDataFilterCriteria*>(c->Filter());
    f->Clear();
    f->AddItem(f->Root(), &items[cPrice], foGreaterEqual, kMinPrice, "500");
    f->AddItem(f->Root(), &items[cCity], foNotEqual, String(kOtherCity), kOtherCity);
  }
};

#ifdef TL_HAVE_SQLITE3
struct Theirs {
  sqlite3* db = nullptr;
  sqlite3_stmt* page = nullptr;
  explicit Theirs(const std::vector<Row>& ARows) {
    sqlite3_open(":memory:", &db);
    CreateSQLiteTable(db, ARows);
    sqlite3_prepare_v2(db, "SELECT ID, Name, City, Amount, Price, Day, Flag FROM t WHERE ID > ? ORDER BY ID LIMIT ?",
                       -1, &page, nullptr);
  }
  ~Theirs() {
    sqlite3_finalize(page);
    sqlite3_close(db);
  }
  // The page after AAfter, every value read; the last ID of the page (0: none).
  Integer ReadPage(Integer AAfter, Int64& ASum, std::vector<Integer>* AIDs = nullptr) {
    sqlite3_bind_int(page, 1, AAfter);
    sqlite3_bind_int(page, 2, kPage);
    Integer last = 0;
    while (sqlite3_step(page) == SQLITE_ROW) {
      last = sqlite3_column_int(page, 0);
      if (AIDs) AIDs->push_back(last);
      ASum += sqlite3_column_bytes(page, 1) + sqlite3_column_bytes(page, 2) + sqlite3_column_int64(page, 3) +
              Int64(sqlite3_column_double(page, 4)) + Int64(sqlite3_column_double(page, 5)) +
              sqlite3_column_int(page, 6);
    }
    sqlite3_reset(page);
    return last;
  }
  std::vector<Integer> Filtered() {
    std::vector<Integer> ids;
    sqlite3_stmt* st = nullptr;
    const std::string sql = std::string("SELECT ID FROM t WHERE ") + kWhere;
    sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW) ids.push_back(sqlite3_column_int(st, 0));
    sqlite3_finalize(st);
    return ids;
  }
};
#endif

struct Sized {
  std::vector<Row> rows;
  std::unique_ptr<Ours> grid, loaded;
#ifdef TL_HAVE_SQLITE3
  std::unique_ptr<Theirs> theirs;
#endif
  Integer kept = 0;  // the records the filter keeps, counted by hand
  std::string error;
};

std::string Compare(Sized& s) {
  for (const Row& r : s.rows)
    if (r.Price >= kMinPrice && r.City != kOtherCity) ++s.kept;
  Ours& g = *s.grid;
  // Three pages on, the window holds the rows of the fourth page.
  for (int i = 0; i < 3; ++i) g.NextPage();
  std::vector<Integer> ours;
  g.ReadPage(&ours);
  if (Integer(ours.size()) != kPage) return "page size";
  for (Integer i = 0; i < kPage; ++i)
    if (ours[size_t(i)] != 3 * kPage + 1 + i) return "grid page row " + std::to_string(i);
#ifdef TL_HAVE_SQLITE3
  std::vector<Integer> theirs;
  Int64 sum = 0;
  Integer after = 0;
  for (int i = 0; i < 4; ++i) {
    theirs.clear();
    after = s.theirs->ReadPage(after, sum, &theirs);
  }
  if (theirs != ours) return "SQLite page";
  if (Integer(s.theirs->Filtered().size()) != s.kept) return "SQLite filter";
#endif
  g.c->GotoFirst();
  // The automatic data-set filter and the controller's own filter keep the same records.
  g.SetCriteria();
  auto* auto_ = static_cast<TcxDBDataFilterCriteria*>(g.c->Filter());
  auto_->SetAutoDataSetFilter(true);
  auto_->SetActive(true);
  if (g.c->GetDataSetRecordCount() != s.kept) return "data-set filter count";
  g.c->SetDataSetRecNo(s.kept / 2);
  if (g.c->GetDataSetRecNo() != s.kept / 2) return "filtered record number";
  // The scroll bar's step: one row past the window's last row each time.
  g.c->GotoFirst();
  g.c->Scroll(1);
  g.c->Scroll(1);
  if (g.c->GetDataSetRecNo() != kPage + 2) return "filtered scroll step";
  auto_->SetActive(false);
  Ours& l = *s.loaded;
  l.SetCriteria();
  l.c->Filter()->SetActive(true);
  if (l.c->GetFilteredRecordCount() != s.kept) return "controller filter count";
  l.c->Filter()->SetActive(false);
  return {};
}

Sized& Get(Integer N) {
  static std::map<Integer, Sized> sizes;
  auto [it, fresh] = sizes.try_emplace(N);
  Sized& s = it->second;
  if (fresh) {
    StartDatabindingUnits();
    s.rows = Generate(N);
    s.grid = std::make_unique<Ours>(s.rows, true);
    s.loaded = std::make_unique<Ours>(s.rows, false);
#ifdef TL_HAVE_SQLITE3
    s.theirs = std::make_unique<Theirs>(s.rows);
#endif
    s.error = Compare(s);
  }
  return s;
}

bool Ready(benchmark::State& state, Sized& s) { return AnswersAgree(state, s.error); }

void GridScrollOurs(benchmark::State& state) {
  Sized& s = Get(Integer(state.range(0)));
  if (!Ready(state, s)) return;
  Ours& g = *s.grid;
  g.c->GotoFirst();
  for (auto _ : state) {
    g.NextPage();
    benchmark::DoNotOptimize(g.ReadPage());
  }
  state.SetItemsProcessed(state.iterations() * kPage);
}

void ScrollBarFiltered(benchmark::State& state) {
  Sized& s = Get(Integer(state.range(0)));
  if (!Ready(state, s)) return;
  Ours& g = *s.grid;
  g.ds->SetFilter(String("Price >= 500"));
  g.ds->SetFiltered(true);
  g.c->GotoFirst();
  for (auto _ : state) {
    if (g.c->IsEOF()) g.c->GotoFirst();
    g.c->Scroll(1);
    benchmark::DoNotOptimize(g.c->GetDataSetRecordCount() + g.c->GetDataSetRecNo());
  }
  g.ds->SetFiltered(false);
  g.ds->SetFilter(String());
}

void FilterAuto(benchmark::State& state) {
  Sized& s = Get(Integer(state.range(0)));
  if (!Ready(state, s)) return;
  Ours& g = *s.grid;
  auto* f = static_cast<TcxDBDataFilterCriteria*>(g.c->Filter());
  g.SetCriteria();
  f->SetAutoDataSetFilter(true);
  for (auto _ : state) {
    f->SetActive(true);
    benchmark::DoNotOptimize(g.c->GetDataSetRecordCount());
    state.PauseTiming();
    f->SetActive(false);
    state.ResumeTiming();
  }
}

void FilterController(benchmark::State& state) {
  Sized& s = Get(Integer(state.range(0)));
  if (!Ready(state, s)) return;
  Ours& l = *s.loaded;
  l.SetCriteria();
  for (auto _ : state) {
    l.c->Filter()->SetActive(true);
    benchmark::DoNotOptimize(l.c->GetFilteredRecordCount());
    state.PauseTiming();
    l.c->Filter()->SetActive(false);
    state.ResumeTiming();
  }
}

// Every 97th record from the 50th on: 1,000 of them at 10^5, fewer at 10^4.
std::vector<Integer> Spread(Integer N) {
  std::vector<Integer> ids;
  for (Integer id = 50; id <= N && Integer(ids.size()) < 1000; id += 97) ids.push_back(id);
  return ids;
}

void DeleteSelectionOurs(benchmark::State& state) {
  const Integer n = Integer(state.range(0));
  Sized& s = Get(n);
  if (!Ready(state, s)) return;
  const std::vector<Integer> ids = Spread(n);
  for (auto _ : state) {
    state.PauseTiming();
    auto fresh = std::make_unique<Ours>(s.rows, true);
    fresh->c->SetMultiSelect(true);
    fresh->c->ClearSelection();
    for (Integer id : ids) {
      fresh->ds->Locate("ID", Variant(id), TLocateOptions());
      fresh->c->ChangeRowSelection(fresh->c->GetFocusedRowIndex(), true);
    }
    if (fresh->c->GetSelectedCount() != Integer(ids.size())) {
      state.SkipWithError("selection");
      return;
    }
    state.ResumeTiming();
    fresh->c->DeleteSelection();
    state.PauseTiming();
    if (fresh->ds->RecordCount() != n - Integer(ids.size())) {
      state.SkipWithError("records left");
      return;
    }
    fresh.reset();
    state.ResumeTiming();
  }
}

#ifdef TL_HAVE_SQLITE3
void DeleteSelectionTheirs(benchmark::State& state) {
  const Integer n = Integer(state.range(0));
  Sized& s = Get(n);
  if (!Ready(state, s)) return;
  const std::vector<Integer> ids = Spread(n);
  for (auto _ : state) {
    state.PauseTiming();
    auto theirs = std::make_unique<Theirs>(s.rows);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(theirs->db, "DELETE FROM t WHERE ID = ?", -1, &st, nullptr);
    state.ResumeTiming();
    sqlite3_exec(theirs->db, "BEGIN", nullptr, nullptr, nullptr);
    for (Integer id : ids) {
      sqlite3_bind_int(st, 1, id);
      sqlite3_step(st);
      sqlite3_reset(st);
    }
    sqlite3_exec(theirs->db, "COMMIT", nullptr, nullptr, nullptr);
    state.PauseTiming();
    sqlite3_finalize(st);
    theirs.reset();
    state.ResumeTiming();
  }
}

void GridScrollTheirs(benchmark::State& state) {
  Sized& s = Get(Integer(state.range(0)));
  if (!Ready(state, s)) return;
  Integer after = 0;
  Int64 sum = 0;
  for (auto _ : state) {
    after = s.theirs->ReadPage(after, sum);
    if (after == 0) after = s.theirs->ReadPage(0, sum);
  }
  benchmark::DoNotOptimize(sum);
  state.SetItemsProcessed(state.iterations() * kPage);
}

void FilterTheirs(benchmark::State& state) {
  Sized& s = Get(Integer(state.range(0)));
  if (!Ready(state, s)) return;
  for (auto _ : state) benchmark::DoNotOptimize(s.theirs->Filtered().size());
}
#endif

void RegisterDeleteSelection(Integer n) {
  benchmark::RegisterBenchmark("DeleteSelection/GridMode", DeleteSelectionOurs)
      ->Arg(n)
      ->Iterations(3)
      ->Unit(benchmark::kMillisecond);
#ifdef TL_HAVE_SQLITE3
  benchmark::RegisterBenchmark("DeleteSelection/SQLite", DeleteSelectionTheirs)
      ->Arg(n)
      ->Iterations(3)
      ->Unit(benchmark::kMillisecond);
#endif
}

struct Registration {
  Registration() {
    std::vector<Integer> sizes{10000, 100000};
    // By hand: the deletion at 10^6 as well (building the table takes a while).
    if (std::getenv("TL_BENCH_1M")) sizes.push_back(1000000);
    for (Integer n : sizes) {
      if (n > 100000) {
        RegisterDeleteSelection(n);
        continue;
      }
      benchmark::RegisterBenchmark("GridScroll/Controller", GridScrollOurs)->Arg(n)->Unit(benchmark::kMicrosecond);
#ifdef TL_HAVE_SQLITE3
      benchmark::RegisterBenchmark("GridScroll/SQLite", GridScrollTheirs)->Arg(n)->Unit(benchmark::kMicrosecond);
#endif
      benchmark::RegisterBenchmark("ScrollBar/Filtered", ScrollBarFiltered)->Arg(n)->Unit(benchmark::kMicrosecond);
      benchmark::RegisterBenchmark("Filter/AutoDataSetFilter", FilterAuto)->Arg(n)->Unit(benchmark::kMillisecond);
      benchmark::RegisterBenchmark("Filter/Controller", FilterController)->Arg(n)->Unit(benchmark::kMillisecond);
#ifdef TL_HAVE_SQLITE3
      benchmark::RegisterBenchmark("Filter/SQLite", FilterTheirs)->Arg(n)->Unit(benchmark::kMillisecond);
#endif
      RegisterDeleteSelection(n);
    }
  }
} registration;

}  // namespace
