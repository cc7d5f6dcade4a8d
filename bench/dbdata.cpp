// The data-set controller in loaded mode beside the bare data-set walk and beside SQLite
// ":memory:", on the generated table of the controller-vs-SQLite benchmark (same seed and
// rules: ID, Name with some Nulls, City of 100 values, Amount currency, Price float, Day
// date, Flag boolean). The answers are compared first: the records the controller loaded,
// the values a bare walk reads and the rows SQLite returns must be the same, and LocateByKey
// must find the record SQLite finds by its INTEGER PRIMARY KEY; a difference fails every
// benchmark of that size.
//   Load/Controller    a new controller bound to the open data set (binding and reading)
//   Reload/Controller  the same controller reading every record again
//   Load/BareWalk      First..Next over the data set, every field's value read, inside
//                      DisableControls/EnableControls with no controller bound: the floor
//   Walk/BoundController the same walk with a loaded controller bound to the data set:
//                      nothing changed, so it reads nothing again and only follows the
//                      data set's record (the walk must cost the floor)
//   Load/SQLite        a prepared SELECT stepped into one vector per column
//   LocateByKey/...    focusing records by key beside SQLite's lookup by primary key
//   PostEdit/...       one edited record posted: smart refresh (in a plain view, a view
//                      sorted by Name and filtered on Flag, a view grouped by City with
//                      Amount edited, and a view sorted by the edited City, where the
//                      record moves from the first rows to the last and back), posted
//                      straight on the data set to a record the controller's filter
//                      hides (Elsewhere), a full reload, SQLite's UPDATE by rowid
//   InsertDelete/...   one record inserted in the middle of the rows and posted, then that
//                      record deleted again (the set keeps its size), with smart
//                      refresh in a plain view and in a view sorted by Name; beside
//                      SQLite's INSERT and DELETE by rowid
//   InsertDelete/...Scattered  a record inserted at a random row and posted, then the record at
//                      another random row deleted (the same rows every run; the one deleted is
//                      the next one inserted, so the set keeps its records and its size);
//                      beside SQLite inserting and deleting the same records by rowid
//   DeleteSelected1000 1,000 selected records deleted at once, beside SQLite deleting them
//                      by key in one transaction; ControllerIndexed with the data set's key
//                      index built before (as a focus moving by key builds it),
//                      ControllerSorted in a view sorted by Name
//   Append/...         one record appended through the controller (smart refresh) and
//                      posted: NullKey leaves the key Null, as a program that fills it in
//                      later does, while another record with a Null key stays in the set
//                      (the key cannot tell the two apart); KeyGiven gives a new ID; beside
//                      SQLite's INSERT. The record is deleted again outside the timing, so
//                      the set keeps its size
//   DetailPerMaster    the next of 1,000 masters and its 100 of 10^5 detail records, beside
//                      SQLite's SELECT on an indexed master key
// Sizes 10^4 and 10^5; the posts, the inserts, the appends and the deletions at 10^6 as well when TL_BENCH_1M
// is set in the environment (by hand: loading takes a while).
#include <benchmark/benchmark.h>

#include "bench/DataBenchDataSet.h"

#include "classlib/core/DB.h"
#include "classlib/core/SysUtils.h"
#include "platform/kernel/Units.h"
#include "widgets/data/DataUnits.h"
#include "widgets/databinding/DatabindingUnits.h"
#include "widgets/data/cxFilter.h"
#include "widgets/databinding/cxDBData.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#ifdef TL_HAVE_SQLITE3
#include <sqlite3.h>
#endif

namespace {

const char* const kNames[cColumns] = {"ID", "Name", "City", "Amount", "Price", "Day", "Flag"};

struct Item : TObject {};

// The data set and a controller over it.
struct Ours {
  Owned<TMemoryDataSet> ds;
  Owned<TDataSource> source;
  Item items[cColumns];
  Owned<TcxDBDataController> c;

  explicit Ours(const std::vector<Row>& ARows) {
    ds.reset(NewBenchDataSet(ARows));
    source.reset(New<TDataSource>(nullptr));
    source->SetDataSet(ds.get());
  }
  ~Ours() {
    Unbind();
    source.reset();
    ds.reset();
  }
  void Bind() {
    c.reset(New<TcxDBDataController>(nullptr));
    for (Integer i = 0; i < cColumns; ++i) {
      c->AddItem(&items[i]);
      c->ChangeFieldName(i, kNames[i]);
    }
    c->SetKeyFieldNames("ID");
    c->SetDataSource(source.get());
  }
  void Unbind() { c.reset(); }
};

// Every field's value of every record, as a bare walk reads them.
Int64 BareWalk(TDataSet* ADataSet) {
  std::vector<TField*> fields;
  for (Integer i = 0; i < ADataSet->FieldCount(); ++i) fields.push_back(ADataSet->Fields(i));
  Int64 n = 0;
  ADataSet->DisableControls();
  for (ADataSet->First(); !ADataSet->Eof(); ADataSet->Next())
    for (TField* f : fields) {
      const Variant v = f->Value();
      n += v.VType();
    }
  ADataSet->EnableControls();
  return n;
}

#ifdef TL_HAVE_SQLITE3
struct Theirs {
  sqlite3* db = nullptr;
  explicit Theirs(const std::vector<Row>& ARows) {
    sqlite3_open(":memory:", &db);
    CreateSQLiteTable(db, ARows);
  }
  ~Theirs() { sqlite3_close(db); }

  // One vector per column, as an application reads a result into its own arrays.
  struct Columns {
    std::vector<Integer> ID;
    std::vector<std::string> Name;
    std::vector<bool> NameNull;
    std::vector<std::string> City;
    std::vector<Int64> Amount;
    std::vector<double> Price, Day;
    std::vector<bool> Flag;
  };
  Columns ReadAll() {
    Columns out;
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "SELECT ID, Name, City, Amount, Price, Day, Flag FROM t ORDER BY ID", -1, &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW) {
      out.ID.push_back(sqlite3_column_int(st, 0));
      const unsigned char* name = sqlite3_column_text(st, 1);
      out.NameNull.push_back(name == nullptr);
      out.Name.emplace_back(name ? reinterpret_cast<const char*>(name) : "");
      out.City.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(st, 2)));
      out.Amount.push_back(sqlite3_column_int64(st, 3));
      out.Price.push_back(sqlite3_column_double(st, 4));
      out.Day.push_back(sqlite3_column_double(st, 5));
      out.Flag.push_back(sqlite3_column_int(st, 6) != 0);
    }
    sqlite3_finalize(st);
    return out;
  }
  // The City of the record with this ID; empty when none.
  std::string CityOf(sqlite3_stmt* AStatement, Integer AID) {
    sqlite3_bind_int(AStatement, 1, AID);
    std::string r;
    if (sqlite3_step(AStatement) == SQLITE_ROW) r = reinterpret_cast<const char*>(sqlite3_column_text(AStatement, 0));
    sqlite3_reset(AStatement);
    return r;
  }
};
#endif

// The keys every LocateByKey run looks for: spread over the table, one missing.
std::vector<Integer> Keys(Integer N) {
  std::mt19937 gen(7);
  std::vector<Integer> r;
  for (int i = 0; i < 63; ++i) r.push_back(Integer(gen() % unsigned(N)) + 1);
  r.push_back(N + 1);
  return r;
}

struct Sized {
  std::vector<Row> rows;
  std::unique_ptr<Ours> ours;
#ifdef TL_HAVE_SQLITE3
  std::unique_ptr<Theirs> theirs;
#endif
  std::string error;
};

std::string Compare(Sized& s) {
  Ours& o = *s.ours;
  o.Bind();
  TcxDBDataController* c = o.c.get();
  if (c->GetRecordCount() != Integer(s.rows.size())) return "record count";
  for (Integer i = 0; i < Integer(s.rows.size()); ++i) {
    const Row& r = s.rows[size_t(i)];
    const Variant name = c->GetItemValue(i, cName);
    if (c->GetItemValue(i, cID).AsInteger() != r.ID || VarIsNull(name) != r.NameNull ||
        (!r.NameNull && name.AsString() != r.Name) || c->GetItemValue(i, cCity).AsString() != r.City ||
        c->GetItemValue(i, cAmount).AsCurrency().Raw != r.Amount || c->GetItemValue(i, cPrice).AsDouble() != r.Price ||
        c->GetItemValue(i, cDay).AsDouble() != r.Day || c->GetItemValue(i, cFlag).AsBoolean() != r.Flag)
      return "controller record " + std::to_string(i);
  }
#ifdef TL_HAVE_SQLITE3
  const Theirs::Columns cols = s.theirs->ReadAll();
  if (cols.ID.size() != s.rows.size()) return "SQLite row count";
  for (size_t i = 0; i < s.rows.size(); ++i) {
    const Row& r = s.rows[i];
    if (cols.ID[i] != r.ID || cols.NameNull[i] != r.NameNull || (!r.NameNull && cols.Name[i] != r.Name) ||
        cols.City[i] != r.City || cols.Amount[i] != r.Amount || cols.Price[i] != r.Price || cols.Day[i] != r.Day ||
        cols.Flag[i] != r.Flag)
      return "SQLite row " + std::to_string(i);
  }
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(s.theirs->db, "SELECT City FROM t WHERE ID = ?", -1, &st, nullptr);
  for (Integer key : Keys(Integer(s.rows.size()))) {
    const bool found = c->LocateByKey(key);
    const std::string theirs = s.theirs->CityOf(st, key);
    if (found != !theirs.empty()) return "LocateByKey found " + std::to_string(key);
    if (found && (c->GetItemValue(c->GetFocusedRecordIndex(), cCity).AsString() != theirs ||
                  o.ds->FieldByName("City")->GetAsString() != theirs))
      return "LocateByKey record " + std::to_string(key);
  }
  sqlite3_finalize(st);
#endif
  return std::string();
}

Sized& Get(Integer N) {
  static std::map<Integer, Sized> cache;
  auto it = cache.find(N);
  if (it != cache.end()) return it->second;
  Sized& s = cache[N];
  StartDatabindingUnits();
  s.rows = Generate(N);
  s.ours = std::make_unique<Ours>(s.rows);
#ifdef TL_HAVE_SQLITE3
  s.theirs = std::make_unique<Theirs>(s.rows);
#endif
  s.error = Compare(s);
  return s;
}

bool Ready(benchmark::State& state, Sized& s) { return AnswersAgree(state, s.error); }

void LoadOurs(benchmark::State& state) {
  Sized& s = Get(Integer(state.range(0)));
  if (!Ready(state, s)) return;
  for (auto _ : state) {
    s.ours->Unbind();
    s.ours->Bind();
    benchmark::DoNotOptimize(s.ours->c->GetRecordCount());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void ReloadOurs(benchmark::State& state) {
  Sized& s = Get(Integer(state.range(0)));
  if (!Ready(state, s)) return;
  if (!s.ours->c) s.ours->Bind();
  for (auto _ : state) {
    s.ours->c->Refresh();
    benchmark::DoNotOptimize(s.ours->c->GetRecordCount());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void LoadBareWalk(benchmark::State& state) {
  Sized& s = Get(Integer(state.range(0)));
  if (!Ready(state, s)) return;
  // No link hears the walk: what is measured is the walk alone.
  s.ours->Unbind();
  for (auto _ : state) benchmark::DoNotOptimize(BareWalk(s.ours->ds.get()));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void WalkBoundController(benchmark::State& state) {
  Sized& s = Get(Integer(state.range(0)));
  if (!Ready(state, s)) return;
  if (!s.ours->c) s.ours->Bind();
  TcxDBDataController* c = s.ours->c.get();
  for (auto _ : state) benchmark::DoNotOptimize(BareWalk(s.ours->ds.get()));
  state.SetItemsProcessed(state.iterations() * state.range(0));
  // The walk ends past the last record, where the focus must have followed.
  if (c->GetRecordCount() != Integer(s.rows.size()) ||
      c->GetItemValue(c->GetFocusedRecordIndex(), cID).AsInteger() != s.rows.back().ID)
    state.SkipWithError("the controller did not follow the walk");
}

void LocateOurs(benchmark::State& state) {
  Sized& s = Get(Integer(state.range(0)));
  if (!Ready(state, s)) return;
  if (!s.ours->c) s.ours->Bind();
  const std::vector<Integer> keys = Keys(Integer(state.range(0)));
  size_t k = 0;
  for (auto _ : state) benchmark::DoNotOptimize(s.ours->c->LocateByKey(keys[k++ % keys.size()]));
}

// One edit of one record, posted: with smart refresh only that record is read again, and
// only its row finds its place again; without it every record is read.
enum class TPostView { Plain, SortedFiltered, Grouped, Moving };

void PostEditOurs(benchmark::State& state, bool ASmart, TPostView AView = TPostView::Plain) {
  Sized& s = Get(Integer(state.range(0)));
  if (!Ready(state, s)) return;
  if (!s.ours->c) s.ours->Bind();
  TcxDBDataController* c = s.ours->c.get();
  c->DataModeController()->SetSmartRefresh(ASmart);
  c->BeginUpdate();
  switch (AView) {
    case TPostView::Plain:
      break;
    case TPostView::SortedFiltered:
      c->ChangeSortingOrder(cName, TcxDataSortOrder::soAscending);
      c->Filter()->Root()->AddItem(c->GetItem(cFlag), TcxFilterOperatorKind::foEqual, true, "True");
      c->Filter()->SetActive(true);
      break;
    case TPostView::Grouped:
      c->SetOptions(c->Options() +
                    TcxDataControllerOptions{TcxDataControllerOption::dcoGroupsAlwaysExpanded});
      c->ChangeItemGroupIndex(cCity, 0);
      break;
    case TPostView::Moving:
      c->ChangeSortingOrder(cCity, TcxDataSortOrder::soAscending);
      break;
  }
  c->EndUpdate();
  c->ChangeFocusedRecordIndex(c->GetRowInfo(c->GetRowCount() / 2).RecordIndex);
  const Integer edited = AView == TPostView::Grouped ? cAmount : cCity;
  Integer n = 0;
  for (auto _ : state) {
    c->Edit();
    // Sorted by City, the record goes from the first rows to the last and back.
    const String prefix = AView == TPostView::Moving ? (n % 2 ? "Z" : "A") : "";
    const Variant value = edited == cCity ? Variant(prefix + "Edited" + IntToStr(n % 10))
                                          : Variant(Currency::FromRaw(Int64(n % 10) * 10000));
    ++n;
    c->SetEditValue(edited, value, TcxDataEditValueSource::evsValue);
    c->PostEditing();
  }
  const Integer focused = c->GetFocusedRecordIndex();
  const bool reached =
      focused >= 0 &&
      (edited == cCity
           ? c->GetItemValue(focused, cCity).AsString().find("Edited") != std::string::npos
           : c->GetItemValue(focused, cAmount).AsCurrency().Raw % 10000 == 0);
  c->BeginUpdate();
  c->ClearSorting(false);
  c->Groups()->ClearGrouping();
  c->SetOptions(c->Options() -
                TcxDataControllerOptions{TcxDataControllerOption::dcoGroupsAlwaysExpanded});
  c->Filter()->Clear();
  c->Filter()->SetActive(false);
  c->EndUpdate();
  c->DataModeController()->SetSmartRefresh(false);
  if (!reached) state.SkipWithError("the edit did not reach the controller");
}
void PostEditSmart(benchmark::State& state) { PostEditOurs(state, true); }
void PostEditSmartSortedFiltered(benchmark::State& state) {
  PostEditOurs(state, true, TPostView::SortedFiltered);
}
void PostEditSmartGrouped(benchmark::State& state) {
  PostEditOurs(state, true, TPostView::Grouped);
}
void PostEditSmartMoving(benchmark::State& state) { PostEditOurs(state, true, TPostView::Moving); }
void PostEditReload(benchmark::State& state) { PostEditOurs(state, false); }

// One edit posted straight on the data set (another component's) of a record the controller's
// filter hides: with smart refresh that record alone is read again, wherever it stands.
void PostEditElsewhere(benchmark::State& state) {
  Sized& s = Get(Integer(state.range(0)));
  if (!Ready(state, s)) return;
  if (!s.ours->c) s.ours->Bind();
  TcxDBDataController* c = s.ours->c.get();
  TDataSet* ds = s.ours->ds.get();
  c->DataModeController()->SetSmartRefresh(true);
  c->Filter()->Root()->AddItem(c->GetItem(cFlag), TcxFilterOperatorKind::foEqual, true, "True");
  c->Filter()->SetActive(true);
  if (!ds->Locate("Flag", Variant(false), TLocateOptions())) state.SkipWithError("no hidden record");
  const Variant id = ds->FieldByName("ID")->Value();
  TField* city = ds->FieldByName("City");
  Integer n = 0;
  for (auto _ : state) {
    ds->Edit();
    city->SetAsString("Elsewhere" + IntToStr(n++ % 10));
    ds->Post();
  }
  const Integer r = c->FindRecordIndexByKey(id);
  const bool reached = r >= 0 && c->GetItemValue(r, cCity).AsString() == city->GetAsString();
  c->Filter()->Clear();
  c->Filter()->SetActive(false);
  c->DataModeController()->SetSmartRefresh(false);
  if (!reached) state.SkipWithError("the edit did not reach the controller");
}

// One record inserted in the middle of the rows and posted, then deleted again (in the
// sorted view its Name sorts it near the middle): with smart refresh each touches its own
// row only, and the data set ends as it began.
void InsertDeleteOurs(benchmark::State& state, bool ASorted) {
  const Integer n = Integer(state.range(0));
  Sized& s = Get(n);
  if (!Ready(state, s)) return;
  if (!s.ours->c) s.ours->Bind();
  TcxDBDataController* c = s.ours->c.get();
  c->DataModeController()->SetSmartRefresh(true);
  if (ASorted) c->ChangeSortingOrder(cName, TcxDataSortOrder::soAscending);
  Integer id = 2 * n, inserted = 0;
  bool reached = true;
  for (auto _ : state) {
    c->ChangeFocusedRowIndex(c->GetRowCount() / 2);
    c->Insert();
    c->SetEditValue(cID, Variant(++id), TcxDataEditValueSource::evsValue);
    c->SetEditValue(cName, Variant(String("m-inserted")), TcxDataEditValueSource::evsValue);
    c->SetEditValue(cCity, Variant(String("Inserted")), TcxDataEditValueSource::evsValue);
    c->PostEditing();
    ++inserted;
    // Every so often the row of the record posted is checked: focused, with its values.
    if (inserted % 64 == 1) {
      const Integer focused = c->GetFocusedRecordIndex();
      reached = reached && c->GetRecordCount() == n + 1 && focused >= 0 &&
                c->GetItemValue(focused, cID).AsInteger() == id &&
                c->GetRowInfo(c->GetFocusedRowIndex()).RecordIndex == focused;
    }
    c->DeleteFocused();
  }
  // The set keeps its size; the data set and the controller agree on it.
  reached = reached && c->GetRecordCount() == n && s.ours->ds->RecordCount() == n &&
            c->GetRowCount() == n;
  c->ClearSorting(false);
  c->DataModeController()->SetSmartRefresh(false);
  if (!reached) state.SkipWithError("the insert or the deletion did not reach the controller");
}
void InsertDeleteSmart(benchmark::State& state) { InsertDeleteOurs(state, false); }

void InsertDeleteScatteredOurs(benchmark::State& state) {
  const Integer n = Integer(state.range(0));
  Sized& s = Get(n);
  if (!Ready(state, s)) return;
  if (!s.ours->c) s.ours->Bind();
  TcxDBDataController* c = s.ours->c.get();
  c->DataModeController()->SetSmartRefresh(true);
  std::mt19937 gen(11);
  auto pick = [&] { return Integer(gen() % unsigned(c->GetRowCount())); };
  std::vector<Variant> held(cColumns);
  // The focused row's record read, then deleted: the next one inserted.
  auto take = [&] {
    c->ChangeFocusedRowIndex(pick());
    const Integer r = c->GetFocusedRecordIndex();
    for (Integer i = 0; i < cColumns; ++i) held[size_t(i)] = c->GetItemValue(r, i);
    c->DeleteFocused();
  };
  auto put = [&] {
    c->ChangeFocusedRowIndex(pick());
    c->Insert();
    for (Integer i = 0; i < cColumns; ++i)
      c->SetEditValue(i, held[size_t(i)], TcxDataEditValueSource::evsValue);
    c->PostEditing();
  };
  take();
  Integer inserted = 0;
  bool reached = true;
  for (auto _ : state) {
    put();
    if (++inserted % 64 == 1) {
      const Integer focused = c->GetFocusedRecordIndex();
      reached = reached && c->GetRecordCount() == n && focused >= 0 &&
                c->GetItemValue(focused, cID).AsInteger() == held[size_t(cID)].AsInteger() &&
                c->GetRowInfo(c->GetFocusedRowIndex()).RecordIndex == focused;
    }
    take();
  }
  put();
  reached = reached && c->GetRecordCount() == n && s.ours->ds->RecordCount() == n &&
            c->GetRowCount() == n;
  c->DataModeController()->SetSmartRefresh(false);
  if (!reached) state.SkipWithError("the insert or the deletion did not reach the controller");
}
void InsertDeleteSmartSorted(benchmark::State& state) { InsertDeleteOurs(state, true); }

// One record appended and posted through the keyed smart-refresh controller, its key left
// Null or given; the record is deleted again with the timing paused. With ANullKey a record
// whose key is Null stays in the set meanwhile: the two share their key.
void AppendOurs(benchmark::State& state, bool ANullKey) {
  const Integer n = Integer(state.range(0));
  Sized& s = Get(n);
  if (!Ready(state, s)) return;
  if (!s.ours->c) s.ours->Bind();
  TcxDBDataController* c = s.ours->c.get();
  c->DataModeController()->SetSmartRefresh(true);
  auto append = [&](const Variant& AID, const String& AName) {
    c->Append();
    c->SetEditValue(cID, AID, TcxDataEditValueSource::evsValue);
    c->SetEditValue(cName, Variant(AName), TcxDataEditValueSource::evsValue);
    c->SetEditValue(cCity, Variant(String("Appended")), TcxDataEditValueSource::evsValue);
    c->PostEditing();
  };
  if (ANullKey) append(Null(), "resident");
  const Integer resident = c->GetFocusedRecordIndex();
  bool reached = !ANullKey || (resident >= 0 && VarIsNull(c->GetItemValue(resident, cID)));
  Integer id = 3 * n, appended = 0;
  for (auto _ : state) {
    const String name = "appended" + IntToStr(appended++ % 64);
    append(ANullKey ? Null() : Variant(++id), name);
    state.PauseTiming();
    // The row posted is focused, with its values, and the data set stands on it.
    const Integer focused = c->GetFocusedRecordIndex();
    reached = reached && focused >= 0 && c->GetItemValue(focused, cName).AsString() == name &&
              (ANullKey ? VarIsNull(c->GetItemValue(focused, cID))
                        : c->GetItemValue(focused, cID).AsInteger() == id) &&
              s.ours->ds->FieldByName("Name")->GetAsString() == name;
    c->DeleteFocused();
    state.ResumeTiming();
  }
  if (ANullKey) {
    c->ChangeFocusedRecordIndex(resident);
    reached = reached && c->GetItemValue(c->GetFocusedRecordIndex(), cName).AsString() == "resident";
    c->DeleteFocused();
  }
  reached = reached && c->GetRecordCount() == n && s.ours->ds->RecordCount() == n &&
            c->GetRowCount() == n;
  c->DataModeController()->SetSmartRefresh(false);
  if (!reached) state.SkipWithError("the append or the deletion did not reach the controller");
}
void AppendNullKey(benchmark::State& state) { AppendOurs(state, true); }
void AppendKeyGiven(benchmark::State& state) { AppendOurs(state, false); }

// 1,000 selected records of a fresh data set deleted at once (smart refresh on); Indexed: the
// data set's key index is built before, as the searches by key of a focus moving through the
// records build it.
void DeleteSelectedOurs(benchmark::State& state, bool AIndexed, bool ASorted = false) {
  const Integer n = Integer(state.range(0));
  Sized& s = Get(n);
  if (!Ready(state, s)) return;
  for (auto _ : state) {
    state.PauseTiming();
    auto ours = std::make_unique<Ours>(s.rows);
    ours->Bind();
    TcxDBDataController* c = ours->c.get();
    c->DataModeController()->SetSmartRefresh(true);
    if (ASorted) c->ChangeSortingOrder(cName, TcxDataSortOrder::soAscending);
    c->SetMultiSelect(true);
    c->BeginUpdate();
    for (Integer i = 0; i < 1000; ++i) c->ChangeRowSelection(Integer((Int64(i) * 7919) % n), true);
    c->EndUpdate();
    const Integer selected = c->GetSelectedCount();
    if (AIndexed)
      for (Integer i = 0; i < 3; ++i) ours->ds->Lookup("ID", Variant(Integer(-1)), "ID");
    state.ResumeTiming();
    c->DeleteSelection();
    state.PauseTiming();
    if (c->GetRecordCount() != n - selected || ours->ds->RecordCount() != n - selected)
      state.SkipWithError("deleted another number of records");
    ours.reset();
    state.ResumeTiming();
  }
}
void DeleteSelectedCold(benchmark::State& state) { DeleteSelectedOurs(state, false); }
void DeleteSelectedIndexed(benchmark::State& state) { DeleteSelectedOurs(state, true); }
void DeleteSelectedSorted(benchmark::State& state) { DeleteSelectedOurs(state, false, true); }

// 1,000 masters over 10^5 detail records (100 each, kept together as an index on MID
// would): one step is moving to the next master and reading its detail records.
struct MasterDetail {
  Owned<TMemoryDataSet> masters, details;
  Owned<TDataSource> masterSource, detailSource;
  Item masterItem, detailItems[3], level;
  Owned<TcxDBDataController> master, pattern, clone;
  TcxCustomDataRelation* relation = nullptr;
  MasterDetail() {
    masters.reset(New<TMemoryDataSet>(nullptr));
    masters->FieldDefs().Add("ID", TFieldType::ftInteger);
    for (Integer i = 1; i <= 1000; ++i) masters->AddRecord({i});
    masters->Open();
    details.reset(New<TMemoryDataSet>(nullptr));
    details->FieldDefs().Add("ID", TFieldType::ftInteger);
    details->FieldDefs().Add("MID", TFieldType::ftInteger);
    details->FieldDefs().Add("V", TFieldType::ftFloat);
    for (Integer i = 0; i < 100000; ++i) details->AddRecord({i, i / 100 + 1, double(i % 977)});
    details->Open();
    masterSource.reset(New<TDataSource>(nullptr));
    masterSource->SetDataSet(masters.get());
    detailSource.reset(New<TDataSource>(nullptr));
    detailSource->SetDataSet(details.get());
    master.reset(New<TcxDBDataController>(nullptr));
    master->AddItem(&masterItem);
    master->ChangeFieldName(0, "ID");
    master->SetDataSource(masterSource.get());
    pattern.reset(New<TcxDBDataController>(nullptr));
    clone.reset(New<TcxDBDataController>(nullptr));
    const char* names[3] = {"ID", "MID", "V"};
    for (TcxDBDataController* c : {pattern.get(), clone.get()})
      for (Integer i = 0; i < 3; ++i) {
        c->AddItem(&detailItems[i]);
        c->ChangeFieldName(i, names[i]);
      }
    pattern->SetDataSource(detailSource.get());
    pattern->SetMasterKeyFieldNames("ID");
    pattern->SetDetailKeyFieldNames("MID");
    relation = master->Relations()->Add(&level);
    pattern->SetMasterRelation(relation, -1);
    clone->Assign(pattern.get());
    master->Refresh();
  }
  ~MasterDetail() {
    clone.reset();
    pattern.reset();
    master.reset();
    masterSource.reset();
    detailSource.reset();
  }
  // Shows master record r's details; their count.
  Integer Show(Integer ARecord) {
    master->ChangeFocusedRowIndex(ARecord);
    clone->SetMasterRelation(relation, ARecord);
    return clone->GetRecordCount();
  }
};

MasterDetail& GetMasterDetail(std::string& AError) {
  static std::unique_ptr<MasterDetail> md;
  if (md) return *md;
  StartDatabindingUnits();
  md = std::make_unique<MasterDetail>();
  for (Integer r : {0, 499, 999, 3})
    if (md->Show(r) != 100 || md->clone->GetItemValue(0, 1).AsInteger() != r + 1) AError = "master " + std::to_string(r);
  return *md;
}

void DetailPerMasterOurs(benchmark::State& state) {
  std::string error;
  MasterDetail& md = GetMasterDetail(error);
  if (!error.empty()) {
    state.SkipWithError(error.c_str());
    return;
  }
  Integer r = 0;
  for (auto _ : state) benchmark::DoNotOptimize(md.Show(r++ % 1000));
}

#ifdef TL_HAVE_SQLITE3
void DetailPerMasterTheirs(benchmark::State& state) {
  sqlite3* db = nullptr;
  sqlite3_open(":memory:", &db);
  sqlite3_exec(db, "CREATE TABLE d (ID INTEGER PRIMARY KEY, MID INTEGER, V REAL); CREATE INDEX dm ON d (MID)",
               nullptr, nullptr, nullptr);
  sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, "INSERT INTO d VALUES (?, ?, ?)", -1, &st, nullptr);
  for (Integer i = 0; i < 100000; ++i) {
    sqlite3_bind_int(st, 1, i);
    sqlite3_bind_int(st, 2, i / 100 + 1);
    sqlite3_bind_double(st, 3, double(i % 977));
    sqlite3_step(st);
    sqlite3_reset(st);
  }
  sqlite3_finalize(st);
  sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  sqlite3_prepare_v2(db, "SELECT ID, MID, V FROM d WHERE MID = ?", -1, &st, nullptr);
  Integer r = 0;
  for (auto _ : state) {
    std::vector<Integer> ids;
    std::vector<double> values;
    sqlite3_bind_int(st, 1, r++ % 1000 + 1);
    while (sqlite3_step(st) == SQLITE_ROW) {
      ids.push_back(sqlite3_column_int(st, 0));
      values.push_back(sqlite3_column_double(st, 2));
    }
    sqlite3_reset(st);
    if (ids.size() != 100) state.SkipWithError("detail rows");
    benchmark::DoNotOptimize(ids.data());
  }
  sqlite3_finalize(st);
  sqlite3_close(db);
}
#endif

#ifdef TL_HAVE_SQLITE3
void PostEditTheirs(benchmark::State& state) {
  Sized& s = Get(Integer(state.range(0)));
  if (!Ready(state, s)) return;
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(s.theirs->db, "UPDATE t SET City = ? WHERE rowid = ?", -1, &st, nullptr);
  Integer n = 0;
  for (auto _ : state) {
    const std::string city = "Edited" + std::to_string(n++ % 10);
    sqlite3_bind_text(st, 1, city.data(), int(city.size()), SQLITE_TRANSIENT);
    sqlite3_bind_int(st, 2, Integer(state.range(0)) / 2);
    sqlite3_step(st);
    sqlite3_reset(st);
  }
  sqlite3_finalize(st);
}

// The same pair by rowid in the middle: the middle row deleted, then inserted again.
void InsertDeleteTheirs(benchmark::State& state) {
  const Integer n = Integer(state.range(0));
  Sized& s = Get(n);
  if (!Ready(state, s)) return;
  sqlite3_stmt* ins = nullptr;
  sqlite3_stmt* del = nullptr;
  sqlite3_prepare_v2(s.theirs->db,
                     "INSERT INTO t (ID, Name, City, Amount, Price, Day, Flag) "
                     "VALUES (?, 'Inserted', 'Inserted', 0, 0, 0, 0)",
                     -1, &ins, nullptr);
  sqlite3_prepare_v2(s.theirs->db, "DELETE FROM t WHERE rowid = ?", -1, &del, nullptr);
  const Integer middle = n / 2;
  bool reached = true;
  for (auto _ : state) {
    sqlite3_bind_int(del, 1, middle);
    reached = reached && sqlite3_step(del) == SQLITE_DONE && sqlite3_changes(s.theirs->db) == 1;
    sqlite3_reset(del);
    sqlite3_bind_int(ins, 1, middle);
    reached = reached && sqlite3_step(ins) == SQLITE_DONE;
    sqlite3_reset(ins);
  }
  sqlite3_finalize(ins);
  sqlite3_finalize(del);
  // The row goes back as it was, for the benchmarks that read the table after this one.
  const Row& r = s.rows[size_t(middle - 1)];
  sqlite3_stmt* up = nullptr;
  sqlite3_prepare_v2(s.theirs->db,
                     "UPDATE t SET Name = ?, City = ?, Amount = ?, Price = ?, Day = ?, Flag = ? "
                     "WHERE ID = ?",
                     -1, &up, nullptr);
  BindRowValues(up, r, 1);
  sqlite3_bind_int(up, 7, middle);
  reached = reached && sqlite3_step(up) == SQLITE_DONE;
  sqlite3_finalize(up);
  if (!reached) state.SkipWithError("the insert or the deletion did not reach SQLite");
}

// The same records as the scattered pair above by rowid: the row deleted is inserted next.
void InsertDeleteScatteredTheirs(benchmark::State& state) {
  const Integer n = Integer(state.range(0));
  Sized& s = Get(n);
  if (!Ready(state, s)) return;
  sqlite3_stmt* ins = nullptr;
  sqlite3_stmt* del = nullptr;
  sqlite3_prepare_v2(s.theirs->db,
                     "INSERT INTO t (ID, Name, City, Amount, Price, Day, Flag) "
                     "VALUES (?, ?, ?, ?, ?, ?, ?)",
                     -1, &ins, nullptr);
  sqlite3_prepare_v2(s.theirs->db, "DELETE FROM t WHERE rowid = ?", -1, &del, nullptr);
  std::mt19937 gen(11);
  bool reached = true;
  Integer held = 0;
  auto take = [&] {
    held = Integer(gen() % unsigned(n));  // a row of s.rows
    sqlite3_bind_int(del, 1, s.rows[size_t(held)].ID);
    reached = reached && sqlite3_step(del) == SQLITE_DONE && sqlite3_changes(s.theirs->db) == 1;
    sqlite3_reset(del);
  };
  auto put = [&] {
    const Row& r = s.rows[size_t(held)];
    sqlite3_bind_int(ins, 1, r.ID);
    BindRowValues(ins, r, 2);
    reached = reached && sqlite3_step(ins) == SQLITE_DONE;
    sqlite3_reset(ins);
  };
  take();
  for (auto _ : state) {
    put();
    take();
  }
  put();
  sqlite3_finalize(ins);
  sqlite3_finalize(del);
  if (!reached) state.SkipWithError("the insert or the deletion did not reach SQLite");
}

// A row inserted (its rowid given by SQLite), deleted again with the timing paused.
void AppendTheirs(benchmark::State& state) {
  const Integer n = Integer(state.range(0));
  Sized& s = Get(n);
  if (!Ready(state, s)) return;
  sqlite3_stmt* ins = nullptr;
  sqlite3_stmt* del = nullptr;
  sqlite3_prepare_v2(s.theirs->db,
                     "INSERT INTO t (Name, City, Amount, Price, Day, Flag) "
                     "VALUES (?, 'Appended', 0, 0, 0, 0)",
                     -1, &ins, nullptr);
  sqlite3_prepare_v2(s.theirs->db, "DELETE FROM t WHERE rowid = ?", -1, &del, nullptr);
  bool reached = true;
  Integer appended = 0;
  for (auto _ : state) {
    const std::string name = "appended" + std::to_string(appended++ % 64);
    sqlite3_bind_text(ins, 1, name.data(), int(name.size()), SQLITE_TRANSIENT);
    reached = reached && sqlite3_step(ins) == SQLITE_DONE;
    sqlite3_reset(ins);
    state.PauseTiming();
    sqlite3_bind_int64(del, 1, sqlite3_last_insert_rowid(s.theirs->db));
    reached = reached && sqlite3_step(del) == SQLITE_DONE && sqlite3_changes(s.theirs->db) == 1;
    sqlite3_reset(del);
    state.ResumeTiming();
  }
  sqlite3_finalize(ins);
  sqlite3_finalize(del);
  if (!reached) state.SkipWithError("the insert or the deletion did not reach SQLite");
}

void DeleteSelectedTheirs(benchmark::State& state) {
  const Integer n = Integer(state.range(0));
  Sized& s = Get(n);
  if (!Ready(state, s)) return;
  for (auto _ : state) {
    state.PauseTiming();
    auto theirs = std::make_unique<Theirs>(s.rows);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(theirs->db, "DELETE FROM t WHERE ID = ?", -1, &st, nullptr);
    state.ResumeTiming();
    sqlite3_exec(theirs->db, "BEGIN", nullptr, nullptr, nullptr);
    for (Integer i = 0; i < 1000; ++i) {
      sqlite3_bind_int(st, 1, Integer((Int64(i) * 7919) % n) + 1);
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

void LoadTheirs(benchmark::State& state) {
  Sized& s = Get(Integer(state.range(0)));
  if (!Ready(state, s)) return;
  for (auto _ : state) benchmark::DoNotOptimize(s.theirs->ReadAll().ID.size());
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void LocateTheirs(benchmark::State& state) {
  Sized& s = Get(Integer(state.range(0)));
  if (!Ready(state, s)) return;
  const std::vector<Integer> keys = Keys(Integer(state.range(0)));
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(s.theirs->db, "SELECT City FROM t WHERE ID = ?", -1, &st, nullptr);
  size_t k = 0;
  for (auto _ : state) benchmark::DoNotOptimize(s.theirs->CityOf(st, keys[k++ % keys.size()]));
  sqlite3_finalize(st);
}
#endif

void RegisterPostEdit(Integer n) {
  benchmark::RegisterBenchmark("PostEdit/SmartRefresh", PostEditSmart)
      ->Arg(n)
      ->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("PostEdit/SmartRefreshSortedFiltered", PostEditSmartSortedFiltered)
      ->Arg(n)
      ->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("PostEdit/SmartRefreshGrouped", PostEditSmartGrouped)
      ->Arg(n)
      ->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("PostEdit/SmartRefreshMoving", PostEditSmartMoving)
      ->Arg(n)
      ->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("PostEdit/SmartRefreshElsewhere", PostEditElsewhere)
      ->Arg(n)
      ->Unit(benchmark::kMicrosecond);
#ifdef TL_HAVE_SQLITE3
  benchmark::RegisterBenchmark("PostEdit/SQLite", PostEditTheirs)
      ->Arg(n)
      ->Unit(benchmark::kMicrosecond);
#endif
}

void RegisterInsertDelete(Integer n) {
  benchmark::RegisterBenchmark("InsertDelete/SmartRefresh", InsertDeleteSmart)
      ->Arg(n)
      ->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("InsertDelete/SmartRefreshSorted", InsertDeleteSmartSorted)
      ->Arg(n)
      ->Unit(benchmark::kMicrosecond);
#ifdef TL_HAVE_SQLITE3
  benchmark::RegisterBenchmark("InsertDelete/SQLite", InsertDeleteTheirs)
      ->Arg(n)
      ->Unit(benchmark::kMicrosecond);
#endif
  benchmark::RegisterBenchmark("InsertDelete/SmartRefreshScattered", InsertDeleteScatteredOurs)
      ->Arg(n)
      ->Unit(benchmark::kMicrosecond);
#ifdef TL_HAVE_SQLITE3
  benchmark::RegisterBenchmark("InsertDelete/SQLiteScattered", InsertDeleteScatteredTheirs)
      ->Arg(n)
      ->Unit(benchmark::kMicrosecond);
#endif
}

void RegisterAppend(Integer n) {
  benchmark::RegisterBenchmark("Append/NullKey", AppendNullKey)->Arg(n)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("Append/KeyGiven", AppendKeyGiven)->Arg(n)->Unit(benchmark::kMicrosecond);
#ifdef TL_HAVE_SQLITE3
  benchmark::RegisterBenchmark("Append/SQLite", AppendTheirs)->Arg(n)->Unit(benchmark::kMicrosecond);
#endif
}

void RegisterDeleteSelected(Integer n) {
  benchmark::RegisterBenchmark("DeleteSelected1000/Controller", DeleteSelectedCold)
      ->Arg(n)
      ->Iterations(3)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("DeleteSelected1000/ControllerIndexed", DeleteSelectedIndexed)
      ->Arg(n)
      ->Iterations(3)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("DeleteSelected1000/ControllerSorted", DeleteSelectedSorted)
      ->Arg(n)
      ->Iterations(3)
      ->Unit(benchmark::kMillisecond);
#ifdef TL_HAVE_SQLITE3
  benchmark::RegisterBenchmark("DeleteSelected1000/SQLite", DeleteSelectedTheirs)
      ->Arg(n)
      ->Iterations(3)
      ->Unit(benchmark::kMillisecond);
#endif
}

struct Registration {
  Registration() {
    benchmark::RegisterBenchmark("DetailPerMaster/Controller", DetailPerMasterOurs)
        ->Iterations(200)
        ->Unit(benchmark::kMillisecond);
#ifdef TL_HAVE_SQLITE3
    benchmark::RegisterBenchmark("DetailPerMaster/SQLite", DetailPerMasterTheirs)->Unit(benchmark::kMicrosecond);
#endif
    std::vector<Integer> sizes{10000, 100000};
    // By hand: loading 10^6 records takes a while.
    if (std::getenv("TL_BENCH_1M")) sizes.push_back(1000000);
    for (Integer n : sizes) {
      if (n > 100000) {
        // The post and the deletion alone at the largest size, beside SQLite.
        RegisterPostEdit(n);
        RegisterInsertDelete(n);
        RegisterAppend(n);
        RegisterDeleteSelected(n);
        continue;
      }
      benchmark::RegisterBenchmark("Load/Controller", LoadOurs)->Arg(n)->Unit(benchmark::kMillisecond);
      benchmark::RegisterBenchmark("Reload/Controller", ReloadOurs)->Arg(n)->Unit(benchmark::kMillisecond);
      benchmark::RegisterBenchmark("Load/BareWalk", LoadBareWalk)->Arg(n)->Unit(benchmark::kMillisecond);
      benchmark::RegisterBenchmark("Walk/BoundController", WalkBoundController)
          ->Arg(n)
          ->Unit(benchmark::kMillisecond);
#ifdef TL_HAVE_SQLITE3
      benchmark::RegisterBenchmark("Load/SQLite", LoadTheirs)->Arg(n)->Unit(benchmark::kMillisecond);
#endif
      RegisterPostEdit(n);
      benchmark::RegisterBenchmark("PostEdit/FullReload", PostEditReload)
          ->Arg(n)
          ->Unit(benchmark::kMillisecond);
      RegisterInsertDelete(n);
      RegisterAppend(n);
      RegisterDeleteSelected(n);
      benchmark::RegisterBenchmark("LocateByKey/Controller", LocateOurs)->Arg(n)->Unit(benchmark::kMicrosecond);
#ifdef TL_HAVE_SQLITE3
      benchmark::RegisterBenchmark("LocateByKey/SQLite", LocateTheirs)->Arg(n)->Unit(benchmark::kMicrosecond);
#endif
    }
  }
} registration;

}  // namespace
