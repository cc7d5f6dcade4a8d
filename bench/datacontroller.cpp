// The data controller's rebuild steps at 10^4, 10^5 and 10^6 records: loading values
// inside one bracket, sorting (stored values; fetched strings in locale order) and
// filtering half of the records out. items_per_second is records per second: the time
// per record should stay flat (load, filter) or grow as log N (sort).
#include <benchmark/benchmark.h>

#include "classlib/core/SysUtils.h"
#include "platform/kernel/Units.h"
#include "widgets/data/DataUnits.h"
#include "widgets/data/cxData.h"

#include <cstdio>
#include <random>

namespace {

struct Item : TObject {};

struct Fixture {
  explicit Fixture(Integer ACount) {
    PlatformKernelInitialize();
    WidgetsDataInitialize();
    c.reset(New<TcxDataController>(nullptr));
    c->AddItem(&number);
    c->AddItem(&text);
    c->ChangeValueTypeClass(0, TcxIntegerValueType::StaticClass());
    c->ChangeValueTypeClass(1, TcxStringValueType::StaticClass());
    Load(ACount);
  }
  ~Fixture() {
    c.reset();
    WidgetsDataFinalize();
    PlatformKernelFinalize();
  }
  void Load(Integer ACount) {
    std::mt19937 gen(1);
    c->BeginUpdate();
    c->SetRecordCount(0);
    c->SetRecordCount(ACount);
    char buf[16];
    for (Integer i = 0; i < ACount; ++i) {
      const Integer v = Integer(gen() % 1000000);
      c->SetValue(i, 0, v);
      std::snprintf(buf, sizeof buf, "%c%06d", 'a' + v % 26, v);
      c->SetValue(i, 1, String(buf));
    }
    c->EndUpdate();
  }
  Item number, text;
  Owned<TcxDataController> c;
};

void BM_Load(benchmark::State& state) {
  const Integer n = Integer(state.range(0));
  Fixture f(0);
  for (auto _ : state) f.Load(n);
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_Load)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_SortStoredIntegers(benchmark::State& state) {
  const Integer n = Integer(state.range(0));
  Fixture f(n);
  for (auto _ : state) {
    state.PauseTiming();
    f.c->ClearSorting(false);
    state.ResumeTiming();
    f.c->ChangeSortingOrder(0, TcxDataSortOrder::soAscending);
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_SortStoredIntegers)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_SortTwoFieldsDescending(benchmark::State& state) {
  const Integer n = Integer(state.range(0));
  Fixture f(n);
  for (auto _ : state) {
    state.PauseTiming();
    f.c->ClearSorting(false);
    state.ResumeTiming();
    f.c->BeginUpdate();
    f.c->ChangeSortingOrder(1, TcxDataSortOrder::soDescending);
    f.c->ChangeSortingOrder(0, TcxDataSortOrder::soDescending);
    f.c->EndUpdate();
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_SortTwoFieldsDescending)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_SortStringsLocaleOrder(benchmark::State& state) {
  const Integer n = Integer(state.range(0));
  Fixture f(n);
  f.c->SetOptions({TcxDataControllerOption::dcoAnsiSort, TcxDataControllerOption::dcoCaseInsensitive});
  for (auto _ : state) {
    state.PauseTiming();
    f.c->ClearSorting(false);
    state.ResumeTiming();
    f.c->ChangeSortingOrder(1, TcxDataSortOrder::soAscending);
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_SortStringsLocaleOrder)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

struct Alternate : TObject {
  void Filter(TcxCustomDataController*, Integer ARecordIndex, bool& Accept) { Accept = (ARecordIndex & 1) == 0; }
};

void BM_FilterHalf(benchmark::State& state) {
  const Integer n = Integer(state.range(0));
  Fixture f(n);
  Alternate a;
  f.c->OnFilterRecord = TcxDataFilterRecordEvent(&a, &Alternate::Filter);
  for (auto _ : state) f.c->RefreshView();
  state.SetItemsProcessed(state.iterations() * n);
  if (f.c->GetRowCount() != n / 2) state.SkipWithError("wrong row count");
}
BENCHMARK(BM_FilterHalf)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace

namespace {

// Grouping by a key of ACount / 100 distinct values, then expanding every group.
void BM_GroupAndFullExpand(benchmark::State& state) {
  const Integer n = Integer(state.range(0));
  Fixture f(n);
  f.c->BeginUpdate();
  for (Integer i = 0; i < n; ++i) f.c->SetValue(i, 0, Integer(i % (n / 100)));
  f.c->EndUpdate();
  for (auto _ : state) {
    state.PauseTiming();
    f.c->Groups()->ClearGrouping();
    state.ResumeTiming();
    f.c->Groups()->ChangeGrouping(0, 0);
    f.c->Groups()->FullExpand();
  }
  if (f.c->GetRowCount() != n + n / 100) state.SkipWithError("wrong row count");
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_GroupAndFullExpand)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// Collapsing and expanding everything again, and finding rows of records after it.
void BM_ExpandCollapseAndFind(benchmark::State& state) {
  const Integer n = Integer(state.range(0));
  Fixture f(n);
  f.c->BeginUpdate();
  for (Integer i = 0; i < n; ++i) f.c->SetValue(i, 0, Integer(i % (n / 100)));
  f.c->Groups()->ChangeGrouping(0, 0);
  f.c->EndUpdate();
  Integer found = 0;
  for (auto _ : state) {
    f.c->Groups()->FullCollapse();
    f.c->Groups()->FullExpand();
    for (Integer r = 0; r < n; r += 97) found += f.c->GetRowIndexByRecordIndex(r, false) >= 0;
  }
  benchmark::DoNotOptimize(found);
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_ExpandCollapseAndFind)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// Every row selected, then a re-sort that moves every selected row.
void BM_SelectAllAndReSort(benchmark::State& state) {
  const Integer n = Integer(state.range(0));
  Fixture f(n);
  f.c->SetMultiSelect(true);
  bool descending = false;
  for (auto _ : state) {
    f.c->SelectAll();
    descending = !descending;
    f.c->ChangeSortingOrder(0, descending ? TcxDataSortOrder::soDescending : TcxDataSortOrder::soAscending);
  }
  if (f.c->GetSelectedCount() != n) state.SkipWithError("selection lost");
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_SelectAllAndReSort)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace

namespace {

struct KeyedController : TcxDataController {
  using TcxDataController::TcxDataController;
  bool IsSmartRefresh() const override { return true; }
  void GetKeyFields(std::vector<TcxCustomDataField*>& AFields) const override {
    AFields.push_back(Fields()->GetItem(0));
  }
};

// Every row selected, its keys saved and matched again: one binary search per record.
void BM_SaveAndRestoreSelectedKeys(benchmark::State& state) {
  const Integer n = Integer(state.range(0));
  PlatformKernelInitialize();
  WidgetsDataInitialize();
  {
    Item number;
    Owned<KeyedController> c(New<KeyedController>(nullptr));
    c->AddItem(&number);
    c->ChangeValueTypeClass(0, TcxIntegerValueType::StaticClass());
    c->BeginUpdate();
    c->SetRecordCount(n);
    for (Integer i = 0; i < n; ++i) c->SetValue(i, 0, Integer((i * 7919) % n));
    c->EndUpdate();
    c->SetMultiSelect(true);
    c->SelectAll();
    for (auto _ : state) {
      c->BeginSaveKeys();
      c->EndRestoreKeys();
    }
    if (c->GetSelectedCount() != n) state.SkipWithError("selection lost");
  }
  WidgetsDataFinalize();
  PlatformKernelFinalize();
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_SaveAndRestoreSelectedKeys)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

namespace {

// Every other row selected and deleted: the survivors close up once.
void BM_DeleteAlternateSelectedRows(benchmark::State& state) {
  const Integer n = Integer(state.range(0));
  Fixture f(n);
  f.c->SetMultiSelect(true);
  for (auto _ : state) {
    state.PauseTiming();
    f.Load(n);
    f.c->BeginUpdate();
    for (Integer row = 0; row < n; row += 2) f.c->ChangeRowSelection(row, true);
    f.c->EndUpdate();
    state.ResumeTiming();
    f.c->DeleteSelection();
  }
  if (f.c->GetRecordCount() != n / 2) state.SkipWithError("wrong count");
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_DeleteAlternateSelectedRows)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// The same records deleted one by one (last to first, in one bracket): each deletion
// shifts the records after it, for comparison with the single pass above.
void BM_DeleteAlternateOneByOne(benchmark::State& state) {
  const Integer n = Integer(state.range(0));
  Fixture f(n);
  for (auto _ : state) {
    state.PauseTiming();
    f.Load(n);
    state.ResumeTiming();
    f.c->BeginUpdate();
    for (Integer r = (n - 1) / 2 * 2; r >= 0; r -= 2) f.c->DeleteRecord(r);
    f.c->EndUpdate();
  }
  if (f.c->GetRecordCount() != n / 2) state.SkipWithError("wrong count");
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_DeleteAlternateOneByOne)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// A data source appending records, each found by its handle afterwards.
struct Source : TcxCustomDataSource {
  Int64 Next = 1;
  Integer Count = 0;
  TcxDataRecordHandle AppendRecord() override {
    ++Count;
    return Next++;
  }
  Integer GetRecordCount() override { return Count; }
  TcxDataRecordHandle GetRecordHandleByIndex(Integer AIndex) override { return AIndex + 1; }
};

void BM_ProviderAppendAndFindByHandle(benchmark::State& state) {
  const Integer n = Integer(state.range(0));
  PlatformKernelInitialize();
  WidgetsDataInitialize();
  {
    Item number;
    Owned<TcxDataController> c(New<TcxDataController>(nullptr));
    c->AddItem(&number);
    c->ChangeValueTypeClass(0, TcxIntegerValueType::StaticClass());
    Owned<Source> source(New<Source>());
    c->SetCustomDataSource(source.get());
    for (auto _ : state) {
      c->BeginUpdate();
      for (Integer i = 0; i < n; ++i) {
        const Integer r = c->AppendRecord();
        if (c->Provider()->GetRecordIndexByHandle(c->Provider()->GetRecordHandle(r)) != r) state.SkipWithError("lost");
      }
      c->EndUpdate();
      state.PauseTiming();
      source->Count = 0;
      source->Next = 1;
      source->DataChanged();
      state.ResumeTiming();
    }
    c->SetCustomDataSource(nullptr);
  }
  WidgetsDataFinalize();
  PlatformKernelFinalize();
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_ProviderAppendAndFindByHandle)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

namespace {

// An IN condition over the integer field: N records against a list of N / 5 values (half
// of them present), re-filtered once per iteration. Before the list became a set built
// once per filter, each record copied and scanned the whole list.
void BM_FilterInList(benchmark::State& state) {
  const Integer n = Integer(state.range(0));
  Fixture f(n);
  std::vector<Variant> values;
  std::mt19937 gen(7);
  for (Integer i = 0; i < n / 5; ++i) values.push_back(Variant(Integer(gen() % 2000000)));
  f.c->Filter()->Root()->AddItem(&f.number, TcxFilterOperatorKind::foInList, VarArrayOf(values), "");
  f.c->Filter()->SetActive(true);
  for (auto _ : state) f.c->RefreshView();
  benchmark::DoNotOptimize(f.c->GetRowCount());
  state.SetItemsProcessed(state.iterations() * n);
  state.counters["list"] = double(n / 5);
}
BENCHMARK(BM_FilterInList)->Arg(5000)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond);

// One value set outside an update bracket in a controller sorted by that field: the
// record moves to its new row; before, every set sorted all records again.
void BM_SortedSingleValueSet(benchmark::State& state) {
  const Integer n = Integer(state.range(0));
  Fixture f(n);
  f.c->ChangeSortingOrder(0, TcxDataSortOrder::soAscending);
  std::mt19937 gen(3);
  for (auto _ : state) f.c->SetValue(Integer(gen() % Integer(n)), 0, Integer(gen() % 1000000));
  if (f.c->GetRowCount() != n) state.SkipWithError("rows lost");
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SortedSingleValueSet)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

// The same with a value nudged up by one: the record moves past a row or two, so what
// remains is the search for its place (log N) and the rebuild's fixed steps.
void BM_SortedSingleValueNudge(benchmark::State& state) {
  const Integer n = Integer(state.range(0));
  Fixture f(n);
  f.c->ChangeSortingOrder(0, TcxDataSortOrder::soAscending);
  std::mt19937 gen(5);
  for (auto _ : state) {
    const Integer r = Integer(gen() % Integer(n));
    f.c->SetValue(r, 0, f.c->GetValue(r, f.c->GetItemField(0)).AsInteger() + 1);
  }
  if (f.c->GetRowCount() != n) state.SkipWithError("rows lost");
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SortedSingleValueNudge)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

}  // namespace
