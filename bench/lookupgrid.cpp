// The lookup grid over 10^5 records. Laying out and painting the visible window (each cell
// through its column's editor) beside the floor: the same cells' texts drawn straight onto
// a canvas of the grid's size with the same font, one DrawText per cell on a filled
// background. And a header-click sort (which also lays the window out again) beside
// SQLite's ORDER BY over the same strings, stepping every row; the first rows of both
// orders are compared before timing, and a difference fails the SQLite side.
#include "bench/BenchDesktop.h"
#include "classlib/visual/Forms.h"
#include "platform/gdi/FontEngine.h"
#include "widgets/data/DataUnits.h"
#include "widgets/databinding/DatabindingUnits.h"
#include "widgets/databinding/cxLookupGrid.h"
#include "widgets/databinding/cxLookupGridView.h"
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

constexpr Integer kColumns = 3;

std::vector<std::vector<std::string>> Generate(Integer N) {
  std::mt19937 gen(20261207);
  std::vector<std::vector<std::string>> rows(static_cast<size_t>(N), std::vector<std::string>(size_t(kColumns)));
  for (auto& r : rows) {
    for (int k = 0; k < 7; ++k) r[0] += char('a' + gen() % 26);
    r[1] = "City" + std::to_string(gen() % 100);
    r[2] = std::to_string(gen() % 100000);
  }
  return rows;
}

class Program : BenchDesktop {
 public:
  explicit Program(Integer N) : BenchDesktop(BenchUnits::Editcore), rows_(Generate(N)) {
    WidgetsEditorsInitialize();
    WidgetsSpecialInitialize();
    WidgetsDataInitialize();
    WidgetsDatabindingInitialize();
    form_ = TCustomForm::CreateNew(nullptr);
    form_->SetBounds(50, 50, 460, 360);
    grid_ = New<TcxLookupGrid>(form_);
    grid_->SetParent(form_);
    grid_->GetFont()->SetName("Tahoma");
    grid_->SetBounds(10, 10, 420, 300);
    for (Integer i = 0; i < kColumns; ++i) {
      TcxLookupGridColumn* c = grid_->GetColumns()->Add();
      c->SetCaption("Column" + std::to_string(i));
      c->SetValueTypeClass(TcxStringValueType::StaticClass());
    }
    TcxLookupGridDataController* dc = grid_->GetDataController();
    dc->BeginUpdate();
    dc->SetRecordCount(N);
    for (Integer r = 0; r < N; ++r)
      for (Integer i = 0; i < kColumns; ++i) dc->SetValue(r, i, Variant(String(rows_[size_t(r)][size_t(i)])));
    dc->EndUpdate();
    form_->Show();
    Application->ProcessMessages();
    grid_->SetTopRowIndex(N / 2);
    Application->ProcessMessages();
  }
  ~Program() {
    form_->Free();
    WidgetsDatabindingFinalize();
    WidgetsDataFinalize();
    WidgetsSpecialFinalize();
    WidgetsEditorsFinalize();
  }
  TcxLookupGrid* Grid() { return grid_; }
  const std::vector<std::vector<std::string>>& Rows() const { return rows_; }
  // The first n records of the grid's view order, by their first column.
  std::vector<std::string> Head(size_t n) {
    std::vector<std::string> r;
    for (Integer i = 0; i < Integer(n) && i < grid_->GetRowCount(); ++i)
      r.push_back(rows_[size_t(grid_->GetDataController()->GetRowInfo(i).RecordIndex)][0]);
    return r;
  }

 private:
  std::vector<std::vector<std::string>> rows_;
  TCustomForm* form_ = nullptr;
  TcxLookupGrid* grid_ = nullptr;
};

void BM_LookupGridLayoutAndPaint(benchmark::State& state) {
  Program p(Integer(state.range(0)));
  TcxLookupGrid* grid = p.Grid();
  for (auto _ : state) {
    grid->RefreshLayout();
    grid->Repaint();
  }
  state.counters["rows"] = double(grid->ViewInfo()->RowCount());
}

// The floor: the visible window's texts, each in its cell's rectangle, on a bitmap of the
// grid's size.
void BM_LookupGridFloorTexts(benchmark::State& state) {
  Program p(Integer(state.range(0)));
  TcxLookupGrid* grid = p.Grid();
  TcxLookupGridViewInfo* vi = grid->ViewInfo();
  Owned<TBitmap> bitmap(New<TBitmap>());
  bitmap->SetPixelFormat(TPixelFormat::pf32bit);
  bitmap->SetSize(grid->GetWidth(), grid->GetHeight());
  Owned<TcxCanvas> canvas(New<TcxCanvas>(bitmap->Canvas()));
  canvas->SetFont(grid->GetFont());
  std::vector<TRect> cells;
  std::vector<Integer> records;
  for (const auto& row : vi->Rows()) {
    records.push_back(row->RecordIndex);
    for (const auto& cell : row->Cells) cells.push_back(cell->ContentBounds);
  }
  TcxLookupGridDataController* dc = grid->GetDataController();
  for (auto _ : state) {
    canvas->SetBrushColor(clWindow);
    canvas->FillRect({0, 0, grid->GetWidth(), grid->GetHeight()});
    size_t k = 0;
    for (Integer record : records)
      for (Integer i = 0; i < kColumns; ++i)
        canvas->DrawText(dc->GetItemDisplayText(record, i), cells[k++], DT_LEFT | DT_VCENTER | DT_SINGLELINE);
  }
  state.counters["rows"] = double(records.size());
}

void BM_LookupGridHeaderSort(benchmark::State& state) {
  Program p(Integer(state.range(0)));
  // Each click sorts from the records' own order, as ORDER BY does from the table's.
  for (auto _ : state) {
    state.PauseTiming();
    p.Grid()->GetDataController()->ClearSorting(false);
    state.ResumeTiming();
    p.Grid()->HeaderClick(0, {});
  }
}

#ifdef TL_HAVE_SQLITE3
void BM_LookupGridHeaderSortSQLite(benchmark::State& state) {
  Program p(Integer(state.range(0)));
  sqlite3* db = nullptr;
  sqlite3_open(":memory:", &db);
  sqlite3_exec(db, "CREATE TABLE t (a TEXT, b TEXT, c TEXT)", nullptr, nullptr, nullptr);
  sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
  sqlite3_stmt* ins = nullptr;
  sqlite3_prepare_v2(db, "INSERT INTO t VALUES (?, ?, ?)", -1, &ins, nullptr);
  for (const auto& r : p.Rows()) {
    for (int i = 0; i < kColumns; ++i)
      sqlite3_bind_text(ins, i + 1, r[size_t(i)].data(), int(r[size_t(i)].size()), SQLITE_STATIC);
    sqlite3_step(ins);
    sqlite3_reset(ins);
  }
  sqlite3_finalize(ins);
  sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  // Same answer first: the grid sorted ascending against ORDER BY.
  p.Grid()->HeaderClick(0, {});
  const std::vector<std::string> ours = p.Head(100);
  std::vector<std::string> theirs;
  sqlite3_stmt* q = nullptr;
  sqlite3_prepare_v2(db, "SELECT a, b, c FROM t ORDER BY a", -1, &q, nullptr);
  while (sqlite3_step(q) == SQLITE_ROW && theirs.size() < ours.size())
    theirs.push_back(reinterpret_cast<const char*>(sqlite3_column_text(q, 0)));
  sqlite3_reset(q);
  if (ours != theirs) {
    state.SkipWithError("the grid's order differs from ORDER BY");
  } else {
    for (auto _ : state) {
      int n = 0;
      while (sqlite3_step(q) == SQLITE_ROW) ++n;
      sqlite3_reset(q);
      benchmark::DoNotOptimize(n);
    }
  }
  sqlite3_finalize(q);
  sqlite3_close(db);
}
#endif

}  // namespace

BENCHMARK(BM_LookupGridLayoutAndPaint)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LookupGridFloorTexts)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LookupGridHeaderSort)->Arg(100000)->Unit(benchmark::kMillisecond);
#ifdef TL_HAVE_SQLITE3
BENCHMARK(BM_LookupGridHeaderSortSQLite)->Arg(100000)->Unit(benchmark::kMillisecond);
#endif
