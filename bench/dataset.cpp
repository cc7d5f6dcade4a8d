// The in-memory data set: walking, locating, bookmark comparison and appending.
#include <benchmark/benchmark.h>

#include "classlib/core/DB.h"

#include <algorithm>

namespace {

Owned<TMemoryDataSet> MakeDataSet(int Records) {
  Owned<TMemoryDataSet> ds(New<TMemoryDataSet>(nullptr));
  ds->FieldDefs().Add("ID", TFieldType::ftInteger);
  ds->FieldDefs().Add("NAME", TFieldType::ftString, 20);
  for (int i = 0; i < Records; ++i) ds->AddRecord({i, "Name " + IntToStr(i)});
  ds->Open();
  return ds;
}

void BM_WalkAll(benchmark::State& state) {
  auto ds = MakeDataSet(int(state.range(0)));
  TField* id = ds->FieldByName("ID");
  for (auto _ : state) {
    Int64 sum = 0;
    for (ds->First(); !ds->Eof(); ds->Next()) sum += id->GetAsInteger();
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_WalkAll)->Arg(10000)->Arg(100000);

void BM_LocateLast(benchmark::State& state) {
  auto ds = MakeDataSet(int(state.range(0)));
  const Variant key = Integer(state.range(0) - 1);
  for (auto _ : state) benchmark::DoNotOptimize(ds->Locate("ID", key, {}));
}
BENCHMARK(BM_LocateLast)->Arg(10000)->Arg(100000);

// The first comparison after a delete re-indexes the places; the rest are lookups.
void BM_CompareBookmarksAfterDelete(benchmark::State& state) {
  auto ds = MakeDataSet(100000);
  std::vector<TBookmarkStr> marks;
  for (int i = 0; i < 1000; ++i) {
    ds->SetRecNo(1 + i * 90);
    marks.push_back(ds->Bookmark());
  }
  for (auto _ : state) {
    state.PauseTiming();
    ds->Last();
    ds->Delete();
    state.ResumeTiming();
    int order = 0;
    for (size_t i = 1; i < marks.size(); ++i) order += ds->CompareBookmarks(marks[i - 1], marks[i]);
    benchmark::DoNotOptimize(order);
  }
}
BENCHMARK(BM_CompareBookmarksAfterDelete);

void BM_AppendPost(benchmark::State& state) {
  auto ds = MakeDataSet(0);
  TField* id = ds->FieldByName("ID");
  TField* name = ds->FieldByName("NAME");
  for (auto _ : state) {
    ds->Append();
    id->SetAsInteger(1);
    name->SetAsString("appended");
    ds->Post();
  }
}
BENCHMARK(BM_AppendPost)->Iterations(10000);

}  // namespace

namespace {

// Every record deleted one by one from the first: the time per record should stay flat.
void BM_DeleteAllFromFirst(benchmark::State& state) {
  const int n = int(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    auto ds = MakeDataSet(n);
    ds->First();
    state.ResumeTiming();
    while (!ds->IsEmpty()) ds->Delete();
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_DeleteAllFromFirst)->Arg(10000)->Arg(20000)->Arg(40000)->Unit(benchmark::kMillisecond);

// A filtered data set (its first half kept) counted after each of 500 deletions: the
// count should not walk the records.
void BM_FilteredCountAfterDelete(benchmark::State& state) {
  const int n = int(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    auto ds = MakeDataSet(n);
    ds->SetFilter("ID < " + IntToStr(n / 2));
    ds->SetFiltered(true);
    ds->First();
    benchmark::DoNotOptimize(ds->RecordCount());  // the first count walks once
    state.ResumeTiming();
    Integer sum = 0;
    for (int i = 0; i < 500 && !ds->IsEmpty(); ++i) {
      ds->Delete();
      sum += ds->RecordCount();
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * 500);
}
BENCHMARK(BM_FilteredCountAfterDelete)->Arg(5000)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond);

// An OnFilterRecord handler keeping two records in three, by a field's value.
struct TThirdsFilter : TObject {
  TField* Id = nullptr;
  void Accept(TDataSet*, bool& Accept) { Accept = Id->GetAsInteger() % 3 != 0; }
};

Owned<TMemoryDataSet> MakeHandlerFiltered(int Records, TThirdsFilter& Filter) {
  auto ds = MakeDataSet(Records);
  Filter.Id = ds->FieldByName("ID");
  ds->OnFilterRecord = TFilterRecordEvent(&Filter, &TThirdsFilter::Accept);
  ds->SetFiltered(true);
  ds->First();
  return ds;
}

// A grid scrolling a handler-filtered data set: one step, then the count and the current
// record's number for the scroll bar.
void BM_HandlerFilteredScrollStep(benchmark::State& state) {
  TThirdsFilter filter;
  auto ds = MakeHandlerFiltered(int(state.range(0)), filter);
  Int64 sum = 0;
  for (auto _ : state) {
    ds->Next();
    if (ds->Eof()) ds->First();
    sum += ds->RecordCount() + ds->RecNo();
  }
  benchmark::DoNotOptimize(sum);
}
BENCHMARK(BM_HandlerFilteredScrollStep)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

// An edit of the current record posted, then the count and the number: only that record
// should be asked again.
void BM_HandlerFilteredPostAndCount(benchmark::State& state) {
  TThirdsFilter filter;
  auto ds = MakeHandlerFiltered(int(state.range(0)), filter);
  benchmark::DoNotOptimize(ds->RecordCount());
  TField* id = ds->FieldByName("ID");
  Int64 sum = 0;
  for (auto _ : state) {
    ds->Edit();
    id->SetAsInteger(id->GetAsInteger() + 3);  // still kept: the record stays current
    ds->Post();
    sum += ds->RecordCount() + ds->RecNo();
  }
  benchmark::DoNotOptimize(sum);
}
BENCHMARK(BM_HandlerFilteredPostAndCount)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

}  // namespace

namespace {

// A filter text naming ALength values for the ID field, every tenth one present among the
// records (ID 0 .. ARecords - 1), as an IN list or as a chain of OR'd conditions.
String ValueListText(int ARecords, int ALength, bool AsInList) {
  String text = AsInList ? "ID IN (" : "";
  for (int i = 0; i < ALength; ++i) {
    const int id = i % 10 == 0 ? (i / 10) % ARecords : ARecords + i;
    if (i > 0) text += AsInList ? ", " : " OR ";
    text += AsInList ? IntToStr(id) : "ID = " + IntToStr(id);
  }
  return AsInList ? text + ")" : text;
}

Integer PresentValues(int ARecords, int ALength) { return std::min(ARecords, (ALength + 9) / 10); }

// Switches the filter of ARecords records on per iteration and counts what it kept (the text
// read, bound and indexed once, then every record asked).
void FilterTextOnce(benchmark::State& state, int ARecords, bool AInList, const char* ACounter) {
  const int length = int(state.range(0));
  auto ds = MakeDataSet(ARecords);
  ds->SetFilter(ValueListText(ARecords, length, AInList));
  Integer kept = 0;
  for (auto _ : state) {
    ds->SetFiltered(false);
    ds->SetFiltered(true);
    kept = ds->RecordCount();
  }
  if (kept != PresentValues(ARecords, length)) state.SkipWithError("wrong records kept");
  state.SetItemsProcessed(state.iterations() * ARecords);
  state.counters[ACounter] = double(length);
}

// The data set's own IN filter: 20,000 records against a list of 1,000 to 4,000 values.
// Before the list was indexed, every record compared itself with each value.
void BM_FilterTextInList(benchmark::State& state) { FilterTextOnce(state, 20000, true, "list"); }
BENCHMARK(BM_FilterTextInList)->Arg(1000)->Arg(2000)->Arg(4000)->Unit(benchmark::kMillisecond);

// The same values as a chain of OR'd conditions, as a controller hands them over: one flat
// list asked in turn (linear in the chain per record), which no longer nests.
void BM_FilterTextOrChain(benchmark::State& state) { FilterTextOnce(state, 1000, false, "chain"); }
BENCHMARK(BM_FilterTextOrChain)->Arg(1000)->Arg(4000)->Arg(40000)->Unit(benchmark::kMillisecond);

}  // namespace
