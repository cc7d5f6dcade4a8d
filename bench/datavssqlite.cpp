// The data controller beside SQLite ":memory:" on one generated table (fixed seed: ID the
// integer primary key, Name with some Nulls and a quarter of long names sharing their
// first nine bytes, City of 100 values, Amount currency, Price float, Day date, Flag
// boolean). Each size is loaded into both once and the answers are compared first (row
// orders with the same Null and tie rules, every group level's keys, counts and sums,
// aggregates, the rows a search per keystroke lands on); a difference fails every
// benchmark of that size. Then each operation runs on both, ours named ".../Controller",
// theirs ".../SQLite", registered one after the other so both run interleaved in one run.
// Each side does the same work: the search starts from the focused row, saving and
// loading goes row by row (SQLite's page-image copy is a separate row of its own). A lookup
// list's work: the texts of 50 keys found by ID right after one record changed (SQLite: by
// its primary key), one incremental-filter keystroke ("a" then "ab", case-insensitive;
// SQLite: LIKE 'ab%' on a NOCASE-indexed copy of the names), and the indexes behind them
// built cold (SQLite: CREATE INDEX), and one record in and out before a keystroke's search
// (SQLite: a row inserted into and deleted from the copy). Sizes 10^4 and 10^5; 10^6 as well
// when TL_BENCH_1M is set in the environment (by hand: loading takes a while).
#include <benchmark/benchmark.h>

#include "bench/DataBenchTable.h"

#include "classlib/core/SysUtils.h"
#include "platform/kernel/Units.h"
#include "widgets/data/DataUnits.h"
#include "widgets/data/cxData.h"
#include "widgets/data/cxDataFind.h"

#include <algorithm>
#include <cmath>
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

using enum TcxDataSortOrder;
using enum TcxSummaryKind;
using enum TcxSummaryPosition;
using enum TcxFilterOperatorKind;

struct Item : TObject {};

// The controller side.
struct Ours {
  Item items[cColumns];
  Owned<TcxDataController> c;
  Ours() {
    c.reset(New<TcxDataController>(nullptr));
    const TcxValueTypeClass types[cColumns] = {
        TcxIntegerValueType::StaticClass(),  TcxStringValueType::StaticClass(),   TcxStringValueType::StaticClass(),
        TcxCurrencyValueType::StaticClass(), TcxFloatValueType::StaticClass(),    TcxDateTimeValueType::StaticClass(),
        TcxBooleanValueType::StaticClass()};
    for (Integer i = 0; i < cColumns; ++i) {
      c->AddItem(&items[i]);
      c->ChangeValueTypeClass(i, types[i]);
    }
  }
  void Load(const std::vector<Row>& ARows) {
    c->BeginUpdate();
    c->SetRecordCount(0);
    c->SetRecordCount(Integer(ARows.size()));
    for (Integer i = 0; i < Integer(ARows.size()); ++i) {
      const Row& r = ARows[size_t(i)];
      c->SetValue(i, cID, r.ID);
      c->SetValue(i, cName, r.NameNull ? Null() : Variant(String(r.Name)));
      c->SetValue(i, cCity, String(r.City));
      c->SetValue(i, cAmount, Variant(Currency::FromRaw(r.Amount)));
      c->SetValue(i, cPrice, r.Price);
      c->SetValue(i, cDay, VarFromDateTime(TDateTime{r.Day}));
      c->SetValue(i, cFlag, r.Flag);
    }
    c->EndUpdate();
  }
  void Reset() {
    c->BeginUpdate();
    c->Groups()->ClearGrouping();
    c->ClearSorting(false);
    c->Filter()->SetActive(false);
    c->EndUpdate();
  }
  std::vector<Integer> RowIDs() {
    std::vector<Integer> ids;
    for (Integer i = 0; i < c->GetRowCount(); ++i) ids.push_back(c->GetItemValue(c->GetRowInfo(i).RecordIndex, cID).AsInteger());
    return ids;
  }
  void SortBy(std::initializer_list<std::pair<Column, TcxDataSortOrder>> AKeys) {
    c->BeginUpdate();
    for (auto [col, order] : AKeys) c->ChangeSortingOrder(col, order);
    c->EndUpdate();
  }
  void GroupBy(std::initializer_list<Column> ALevels) {
    c->BeginUpdate();
    Integer level = 0;
    for (Column col : ALevels) c->ChangeItemGroupIndex(col, level++);
    c->EndUpdate();
  }
  // Keys, counts and the first summary of every group of a level, in group order.
  std::vector<std::string> GroupKeys(Integer ALevel) {
    std::vector<std::string> keys;
    TcxDataGroups* groups = c->DataControllerInfo()->Groups();
    for (Integer g = 0; g < groups->Count(); ++g) {
      const TcxDataGroupInfo& info = groups->Items(g);
      if (info.Level != ALevel) continue;
      const Integer first = c->GetFilteredRecordIndex(info.FirstPosition);
      std::string key;
      for (Integer l = 0; l <= ALevel; ++l)
        key += VarToStr(c->GetItemValue(first, c->GetGroupingItemIndex(l))) + "|";
      // The records under it: from its first position to the last of its last descendant.
      const TcxDataGroupInfo& last = groups->Items(info.LastDescendant);
      key += std::to_string(last.EndIndex - info.FirstPosition + 1);
      const Variant sum = c->Summary()->GetGroupSummaryValue(g, 0);
      if (!VarIsNull(sum)) key += "|" + std::to_string(sum.AsCurrency().Raw);
      keys.push_back(key);
    }
    return keys;
  }
  void FilterNameLike(const String& APattern, double ABelowPrice) {
    c->BeginUpdate();
    c->Filter()->Clear();
    c->Filter()->Root()->AddItem(&items[cName], foLike, APattern, APattern);
    c->Filter()->Root()->AddItem(&items[cPrice], foLess, ABelowPrice, "");
    c->Filter()->SetActive(true);
    c->EndUpdate();
  }
  String Saved() {
    TStringStream s;
    c->SaveToStream(s);
    return s.DataString();
  }
  // The Name shown for each ID, the record found as a lookup list finds its key's record.
  std::vector<std::string> KeyTexts(const std::vector<Integer>& AIDs) {
    std::vector<std::string> texts;
    for (Integer id : AIDs) {
      Owned<TcxDataControllerKeyLocateObject> locate(
          New<TcxDataControllerKeyLocateObject>(c.get()));
      Owned<TcxValueDefUnboundReader> reader(New<TcxValueDefUnboundReader>());
      locate->KeyFields().push_back(c->GetItemField(cID));
      reader->SetValue(c->GetItemField(cID), id);
      locate->ReadData(reader.get());
      const Integer r = locate->FindRecordIndex();
      texts.push_back(r < 0 ? std::string() : std::string(c->GetItemDisplayText(r, cName)));
    }
    return texts;
  }
  // Every index of the storage goes (a layout change), as after a reload.
  void DropIndexes() {
    c->ChangeTextStored(cFlag, true);
    c->ChangeTextStored(cFlag, false);
  }
  // Types AName one character at a time from the first row; the ID focused after each
  // keystroke (0 when nothing was found).
  std::vector<Integer> Type(const std::string& AName) {
    std::vector<Integer> ids;
    c->ChangeFocusedRowIndex(0);
    for (size_t n = 1; n <= AName.size(); ++n) {
      const bool found = c->Search()->Locate(cName, String(AName.substr(0, n)));
      ids.push_back(found ? c->GetItemValue(c->GetFocusedRecordIndex(), cID).AsInteger() : 0);
    }
    return ids;
  }
};

// The IDs of 50 rows in view somewhere in the middle of the table.
std::vector<Integer> VisibleIDs(Integer N) {
  std::vector<Integer> r;
  for (Integer i = 0; i < 50; ++i) r.push_back(N / 2 + i * 7);
  return r;
}

// The search from the focused row: the first row at or after it whose name starts so.
const char kSearch[] = "SELECT ID FROM t WHERE ID >= ?1 AND Name LIKE ?2 ORDER BY ID LIMIT 1";
const char kLike[] = "SELECT ID FROM n WHERE Name LIKE 'ab%'";
const char kByID[] = "SELECT Name FROM t WHERE ID = ?";
const char kRename[] = "UPDATE t SET Name = ?2 WHERE ID = ?1";

#ifdef TL_HAVE_SQLITE3
// The SQLite side.
struct Theirs {
  sqlite3* db = nullptr;
  // The names again with LIKE case-insensitive (as the incremental filter matches), in a
  // NOCASE column with an index, as a lookup list would keep them.
  sqlite3* names = nullptr;
  Theirs() {
    sqlite3_open(":memory:", &db);
    sqlite3_open(":memory:", &names);
    Exec("PRAGMA case_sensitive_like = ON");
  }
  ~Theirs() {
    sqlite3_close(names);
    sqlite3_close(db);
  }
  void Exec(const char* ASql) {
    char* error = nullptr;
    if (sqlite3_exec(db, ASql, nullptr, nullptr, &error) != SQLITE_OK) {
      std::fprintf(stderr, "sqlite: %s\n", error ? error : "?");
      sqlite3_free(error);
      std::abort();
    }
  }
  void Load(const std::vector<Row>& ARows) {
    Exec("DROP TABLE IF EXISTS t");
    CreateSQLiteTable(db, ARows);
    sqlite3_exec(names, "DROP TABLE IF EXISTS n", nullptr, nullptr, nullptr);
    sqlite3_exec(names, "CREATE TABLE n (ID INTEGER PRIMARY KEY, Name TEXT COLLATE NOCASE)",
                 nullptr, nullptr, nullptr);
    sqlite3_exec(names, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(names, "INSERT INTO n VALUES (?, ?)", -1, &st, nullptr);
    for (const Row& r : ARows) {
      sqlite3_bind_int(st, 1, r.ID);
      if (r.NameNull)
        sqlite3_bind_null(st, 2);
      else
        sqlite3_bind_text(st, 2, r.Name.data(), int(r.Name.size()), SQLITE_STATIC);
      sqlite3_step(st);
      sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_exec(names, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_exec(names, "CREATE INDEX n_name ON n (Name)", nullptr, nullptr, nullptr);
  }
  // The IDs the statement of kLike gives, in the index's order.
  std::vector<Integer> NamesLike(sqlite3_stmt* ALike) {
    std::vector<Integer> out;
    while (sqlite3_step(ALike) == SQLITE_ROW) out.push_back(sqlite3_column_int(ALike, 0));
    sqlite3_reset(ALike);
    return out;
  }
  sqlite3_stmt* PrepareLike() {
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(names, kLike, -1, &st, nullptr);
    return st;
  }
  std::vector<std::string> KeyTexts(sqlite3_stmt* AByID, const std::vector<Integer>& AIDs) {
    std::vector<std::string> texts;
    for (Integer id : AIDs) {
      sqlite3_bind_int(AByID, 1, id);
      const unsigned char* text =
          sqlite3_step(AByID) == SQLITE_ROW ? sqlite3_column_text(AByID, 0) : nullptr;
      texts.push_back(text ? reinterpret_cast<const char*>(text) : "");
      sqlite3_reset(AByID);
    }
    return texts;
  }
  sqlite3_stmt* Prepare(const char* ASql) {
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, ASql, -1, &st, nullptr);
    return st;
  }
  // Every row of a query as text cells joined by '|'.
  std::vector<std::string> Query(const char* ASql) {
    std::vector<std::string> out;
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, ASql, -1, &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW) {
      std::string line;
      for (int i = 0; i < sqlite3_column_count(st); ++i) {
        if (i) line += "|";
        const unsigned char* text = sqlite3_column_text(st, i);
        line += text ? reinterpret_cast<const char*>(text) : "";
      }
      out.push_back(line);
    }
    sqlite3_finalize(st);
    return out;
  }
  std::vector<Integer> IDs(const char* ASql) {
    std::vector<Integer> out;
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, ASql, -1, &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW) out.push_back(sqlite3_column_int(st, 0));
    sqlite3_finalize(st);
    return out;
  }
  // As Ours::Type: each keystroke searches from the row found last (the focused ID).
  std::vector<Integer> Type(sqlite3_stmt* ASearch, const std::string& AName) {
    std::vector<Integer> ids;
    Integer focused = 1;
    for (size_t n = 1; n <= AName.size(); ++n) {
      const std::string pattern = AName.substr(0, n) + "%";
      sqlite3_bind_int(ASearch, 1, focused);
      sqlite3_bind_text(ASearch, 2, pattern.data(), int(pattern.size()), SQLITE_TRANSIENT);
      Integer id = 0;
      if (sqlite3_step(ASearch) == SQLITE_ROW) focused = id = sqlite3_column_int(ASearch, 0);
      sqlite3_reset(ASearch);
      ids.push_back(id);
    }
    return ids;
  }
  sqlite3_stmt* PrepareSearch() {
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, kSearch, -1, &st, nullptr);
    return st;
  }
  // Every row read out column by column, then written into ACopy with one prepared
  // insert in one transaction: the row-wise save and load.
  void CopyRows(Theirs& ACopy) {
    ACopy.Exec("DELETE FROM t");
    ACopy.Exec("BEGIN");
    sqlite3_stmt* read = nullptr;
    sqlite3_stmt* write = nullptr;
    sqlite3_prepare_v2(db, "SELECT ID, Name, City, Amount, Price, Day, Flag FROM t", -1, &read, nullptr);
    sqlite3_prepare_v2(ACopy.db, "INSERT INTO t VALUES (?, ?, ?, ?, ?, ?, ?)", -1, &write, nullptr);
    while (sqlite3_step(read) == SQLITE_ROW) {
      sqlite3_bind_int(write, 1, sqlite3_column_int(read, 0));
      if (sqlite3_column_type(read, 1) == SQLITE_NULL)
        sqlite3_bind_null(write, 2);
      else
        sqlite3_bind_text(write, 2, reinterpret_cast<const char*>(sqlite3_column_text(read, 1)),
                          sqlite3_column_bytes(read, 1), SQLITE_TRANSIENT);
      sqlite3_bind_text(write, 3, reinterpret_cast<const char*>(sqlite3_column_text(read, 2)),
                        sqlite3_column_bytes(read, 2), SQLITE_TRANSIENT);
      sqlite3_bind_int64(write, 4, sqlite3_column_int64(read, 3));
      sqlite3_bind_double(write, 5, sqlite3_column_double(read, 4));
      sqlite3_bind_double(write, 6, sqlite3_column_double(read, 5));
      sqlite3_bind_int(write, 7, sqlite3_column_int(read, 6));
      sqlite3_step(write);
      sqlite3_reset(write);
    }
    sqlite3_finalize(read);
    sqlite3_finalize(write);
    ACopy.Exec("COMMIT");
  }
  Integer Count() {
    std::vector<Integer> n = IDs("SELECT COUNT(*) FROM t");
    return n.empty() ? -1 : n.front();
  }
};
#endif

struct Table {
  std::vector<Row> Rows;
  Ours ours;
#ifdef TL_HAVE_SQLITE3
  Theirs theirs;
#endif
  std::string Mismatch;  // empty when both sides agreed
};

const char kSortOne[] = "SELECT ID FROM t ORDER BY Price, ID";
const char kSortTwo[] = "SELECT ID FROM t ORDER BY City DESC, Name, ID";
const char kGroupOne[] = "SELECT City, COUNT(*), SUM(Amount) FROM t GROUP BY City ORDER BY City";
const char kGroupTwo[] = "SELECT City, Flag, COUNT(*), SUM(Amount) FROM t GROUP BY City, Flag ORDER BY City, Flag";
const char kFilter[] = "SELECT ID FROM t WHERE Name LIKE '%ab%' AND Price < 500 ORDER BY ID";
const char kFooter[] = "SELECT SUM(Amount), MIN(Price), MAX(Price), COUNT(*), AVG(Day) FROM t";

// A name from the middle of the table (a long one at every size), typed key by key.
std::string SearchedName(const Table& T) {
  for (size_t i = T.Rows.size() / 2 + 1; i < T.Rows.size(); ++i)
    if (!T.Rows[i].NameNull && T.Rows[i].Name.size() > 8) return T.Rows[i].Name;
  return T.Rows[T.Rows.size() / 2 + 1].Name;
}

#ifdef TL_HAVE_SQLITE3
std::string Check(Table& T) {
  Ours& o = T.ours;
  Theirs& s = T.theirs;
  o.Reset();
  o.SortBy({{cPrice, soAscending}});
  if (o.RowIDs() != s.IDs(kSortOne)) return "sort by one field";
  o.Reset();
  o.SortBy({{cCity, soDescending}, {cName, soAscending}});
  if (o.RowIDs() != s.IDs(kSortTwo)) return "sort by two fields (Nulls first, ties by ID)";
  o.Reset();
  o.c->Summary()->DefaultGroupSummaryItems()->Add(&o.items[cAmount], spGroup, skSum);
  o.GroupBy({cCity});
  std::vector<std::string> ours = o.GroupKeys(0);
  std::vector<std::string> theirs = s.Query(kGroupOne);
  if (ours != theirs) return "group by one level";
  o.Reset();
  o.GroupBy({cCity, cFlag});
  // The outer level of two keeps its own counts and sums.
  if (o.GroupKeys(0) != s.Query(kGroupOne)) return "group by two levels, the outer level";
  ours = o.GroupKeys(1);
  theirs = s.Query(kGroupTwo);
  for (std::string& k : theirs) {
    // The Boolean reads as its word in ours, 0/1 in SQLite.
    const size_t a = k.find('|');
    const size_t b = k.find('|', a + 1);
    k = k.substr(0, a) + "|" + VarToStr(Variant(k.substr(a + 1, b - a - 1) == "1")) + "|" + k.substr(b + 1);
  }
  if (ours != theirs) return "group by two levels";
  o.c->Summary()->DefaultGroupSummaryItems()->Clear();
  o.Reset();
  o.FilterNameLike("%ab%", 500);
  if (o.RowIDs() != s.IDs(kFilter)) return "LIKE filter";
  o.Reset();
  TcxDataFooterSummaryItems* footer = o.c->Summary()->FooterSummaryItems();
  footer->Clear();
  footer->Add(&o.items[cAmount], spFooter, skSum);
  footer->Add(&o.items[cPrice], spFooter, skMin);
  footer->Add(&o.items[cPrice], spFooter, skMax);
  footer->Add(&o.items[cID], spFooter, skCount);
  footer->Add(&o.items[cDay], spFooter, skAverage);
  TcxDataSummary* sum = o.c->Summary();
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(s.db, kFooter, -1, &st, nullptr);
  if (sqlite3_step(st) != SQLITE_ROW) return "footer query";
  const bool same = sqlite3_column_int64(st, 0) == sum->GetFooterSummaryValue(0).AsCurrency().Raw &&
                    sqlite3_column_double(st, 1) == sum->GetFooterSummaryValue(1).AsDouble() &&
                    sqlite3_column_double(st, 2) == sum->GetFooterSummaryValue(2).AsDouble() &&
                    sqlite3_column_int(st, 3) == sum->GetFooterSummaryValue(3).AsInteger();
  // The mean of whole days: summed in another order it may differ in the last bits.
  const double theirAverage = sqlite3_column_double(st, 4);
  const double ourAverage = sum->GetFooterSummaryValue(4).AsDouble();
  sqlite3_finalize(st);
  if (!same) return "footer aggregates";
  if (std::fabs(theirAverage - ourAverage) > 1e-9 * std::fabs(theirAverage)) return "footer average";
  footer->Clear();
  o.Reset();
  sqlite3_stmt* search = s.PrepareSearch();
  const std::vector<Integer> theirSearch = s.Type(search, SearchedName(T));
  sqlite3_finalize(search);
  if (o.Type(SearchedName(T)) != theirSearch) return "search per keystroke";
  const std::vector<Integer> ids = VisibleIDs(Integer(T.Rows.size()));
  sqlite3_stmt* byID = s.Prepare(kByID);
  const bool sameTexts = o.KeyTexts(ids) == s.KeyTexts(byID, ids);
  sqlite3_finalize(byID);
  if (!sameTexts) return "key texts";
  o.c->ApplyIncrementalFilter(cName, "a");
  o.c->ApplyIncrementalFilter(cName, "ab");
  std::vector<Integer> filtered = o.RowIDs();
  o.c->ResetIncrementalFilter();
  sqlite3_stmt* like = s.PrepareLike();
  std::vector<Integer> theirLike = s.NamesLike(like);
  sqlite3_finalize(like);
  std::sort(theirLike.begin(), theirLike.end());
  if (filtered != theirLike || filtered.empty()) return "incremental filter";
  return std::string();
}
#endif

Table& Get(Integer N) {
  static std::map<Integer, std::unique_ptr<Table>> tables;
  auto& t = tables[N];
  if (!t) {
    PlatformKernelInitialize();
    WidgetsDataInitialize();
    t = std::make_unique<Table>();
    t->Rows = Generate(N);
    t->ours.Load(t->Rows);
#ifdef TL_HAVE_SQLITE3
    t->theirs.Load(t->Rows);
    t->Mismatch = Check(*t);
    if (!t->Mismatch.empty()) std::fprintf(stderr, "N=%d: the answers differ: %s\n", N, t->Mismatch.c_str());
#endif
    t->ours.Reset();
  }
  return *t;
}

bool Usable(benchmark::State& state, Table& T) {
  if (T.Mismatch.empty()) return true;
  state.SkipWithError(("answers differ: " + T.Mismatch).c_str());
  return false;
}

// ---- The operations, ours then theirs ----

void LoadOurs(benchmark::State& state) {
  Table& t = Get(Integer(state.range(0)));
  Ours fresh;
  for (auto _ : state) fresh.Load(t.Rows);
}

void SortOneOurs(benchmark::State& state) {
  Table& t = Get(Integer(state.range(0)));
  if (!Usable(state, t)) return;
  for (auto _ : state) {
    state.PauseTiming();
    t.ours.Reset();
    state.ResumeTiming();
    t.ours.SortBy({{cPrice, soAscending}});
  }
}

void SortTwoOurs(benchmark::State& state) {
  Table& t = Get(Integer(state.range(0)));
  if (!Usable(state, t)) return;
  for (auto _ : state) {
    state.PauseTiming();
    t.ours.Reset();
    state.ResumeTiming();
    t.ours.SortBy({{cCity, soDescending}, {cName, soAscending}});
  }
}

void GroupOneOurs(benchmark::State& state) {
  Table& t = Get(Integer(state.range(0)));
  if (!Usable(state, t)) return;
  for (auto _ : state) {
    state.PauseTiming();
    t.ours.Reset();
    state.ResumeTiming();
    t.ours.GroupBy({cCity});
  }
}

void GroupTwoOurs(benchmark::State& state) {
  Table& t = Get(Integer(state.range(0)));
  if (!Usable(state, t)) return;
  for (auto _ : state) {
    state.PauseTiming();
    t.ours.Reset();
    state.ResumeTiming();
    t.ours.GroupBy({cCity, cFlag});
  }
}

void FilterOurs(benchmark::State& state) {
  Table& t = Get(Integer(state.range(0)));
  if (!Usable(state, t)) return;
  for (auto _ : state) {
    state.PauseTiming();
    t.ours.Reset();
    state.ResumeTiming();
    t.ours.FilterNameLike("%ab%", 500);
  }
  state.counters["rows"] = t.ours.c->GetRowCount();
}

void FooterOurs(benchmark::State& state) {
  Table& t = Get(Integer(state.range(0)));
  if (!Usable(state, t)) return;
  t.ours.Reset();
  TcxDataFooterSummaryItems* footer = t.ours.c->Summary()->FooterSummaryItems();
  footer->Add(&t.ours.items[cAmount], spFooter, skSum);
  footer->Add(&t.ours.items[cPrice], spFooter, skMin);
  footer->Add(&t.ours.items[cPrice], spFooter, skMax);
  footer->Add(&t.ours.items[cID], spFooter, skCount);
  footer->Add(&t.ours.items[cDay], spFooter, skAverage);
  for (auto _ : state) t.ours.c->Summary()->CalculateFooterSummary();
  footer->Clear();
}

void GroupSummaryOurs(benchmark::State& state) {
  Table& t = Get(Integer(state.range(0)));
  if (!Usable(state, t)) return;
  TcxDataGroupSummaryItems* items = t.ours.c->Summary()->DefaultGroupSummaryItems();
  items->Add(&t.ours.items[cAmount], spGroup, skSum);
  items->Add(nullptr, spGroup, skCount);
  for (auto _ : state) {
    state.PauseTiming();
    t.ours.Reset();
    state.ResumeTiming();
    t.ours.GroupBy({cCity});
  }
  items->Clear();
}

// Typing a name taken from the middle of the table, one character at a time.
void SearchOurs(benchmark::State& state) {
  Table& t = Get(Integer(state.range(0)));
  if (!Usable(state, t)) return;
  t.ours.Reset();
  const std::string name = SearchedName(t);
  Integer found = 0;
  for (auto _ : state) {
    state.PauseTiming();
    t.ours.c->ChangeFocusedRowIndex(0);
    state.ResumeTiming();
    for (size_t n = 1; n <= name.size(); ++n) found += t.ours.c->Search()->Locate(cName, String(name.substr(0, n)));
  }
  benchmark::DoNotOptimize(found);
}

// One record's name changed (not timed), then the 50 visible keys' texts.
void KeyTextsAfterChangeOurs(benchmark::State& state) {
  Table& t = Get(Integer(state.range(0)));
  if (!Usable(state, t)) return;
  t.ours.Reset();
  const Integer n = Integer(t.Rows.size());
  const std::vector<Integer> ids = VisibleIDs(n);
  const Integer changed = n / 3;
  const Row& row = t.Rows[size_t(changed)];
  const Variant original = row.NameNull ? Null() : Variant(String(row.Name));
  t.ours.KeyTexts(ids);  // steady: whatever indexes the lookups build are there
  bool renamed = false;
  for (auto _ : state) {
    state.PauseTiming();
    renamed = !renamed;
    t.ours.c->SetValue(changed, cName, renamed ? Variant(String("renamed")) : original);
    state.ResumeTiming();
    benchmark::DoNotOptimize(t.ours.KeyTexts(ids));
  }
  t.ours.c->SetValue(changed, cName, original);
}

// The 50 visible keys' texts with nothing changed in between.
void KeyTextsSteadyOurs(benchmark::State& state) {
  Table& t = Get(Integer(state.range(0)));
  if (!Usable(state, t)) return;
  t.ours.Reset();
  const std::vector<Integer> ids = VisibleIDs(Integer(t.Rows.size()));
  t.ours.KeyTexts(ids);
  for (auto _ : state) benchmark::DoNotOptimize(t.ours.KeyTexts(ids));
}

// The list filtered by "a" (not timed) is narrowed to "ab".
void KeystrokeOurs(benchmark::State& state) {
  Table& t = Get(Integer(state.range(0)));
  if (!Usable(state, t)) return;
  t.ours.Reset();
  for (auto _ : state) {
    state.PauseTiming();
    t.ours.c->ApplyIncrementalFilter(cName, "a");
    state.ResumeTiming();
    t.ours.c->ApplyIncrementalFilter(cName, "ab");
  }
  state.counters["rows"] = t.ours.c->GetRowCount();
  t.ours.c->ResetIncrementalFilter();
}

// The key index of ID built from nothing, once lookups walked as many records as it holds.
void KeyIndexBuildOurs(benchmark::State& state) {
  Table& t = Get(Integer(state.range(0)));
  if (!Usable(state, t)) return;
  t.ours.Reset();
  TcxDataStorage* storage = t.ours.c->DataStorage();
  TcxValueDef* def = t.ours.c->GetItemField(cID)->GetValueDef();
  Integer found = -1;
  for (auto _ : state) {
    state.PauseTiming();
    t.ours.DropIndexes();
    storage->CountEqualWalk(def, storage->RecordCount());
    state.ResumeTiming();
    if (!storage->FindEqualRecord(def, 0, found)) state.SkipWithError("no key index was built");
  }
}

// The incremental filter's text index of Name built from nothing, once filtering read as
// many texts as it holds.
void TextIndexBuildOurs(benchmark::State& state) {
  Table& t = Get(Integer(state.range(0)));
  if (!Usable(state, t)) return;
  t.ours.Reset();
  TcxDataStorage* storage = t.ours.c->DataStorage();
  TcxValueDef* def = t.ours.c->GetItemField(cName)->GetValueDef();
  std::vector<Integer> found;
  for (auto _ : state) {
    state.PauseTiming();
    t.ours.DropIndexes();
    storage->CountTextWalk(def, storage->RecordCount());
    state.ResumeTiming();
    if (!storage->FindTextPrefix(def, "AB", found)) state.SkipWithError("no text index was built");
  }
  state.counters["rows"] = double(found.size());
}

// The incremental filter's text index of Name built (not timed); one record inserted in the
// middle with a name of its own and deleted again, then the records whose name begins "ab".
void TextIndexInsertDeleteOurs(benchmark::State& state) {
  Table& t = Get(Integer(state.range(0)));
  if (!Usable(state, t)) return;
  t.ours.Reset();
  TcxDataStorage* storage = t.ours.c->DataStorage();
  TcxValueDef* def = t.ours.c->GetItemField(cName)->GetValueDef();
  const Integer at = Integer(t.Rows.size()) / 3;
  std::vector<Integer> found;
  storage->CountTextWalk(def, storage->RecordCount());
  if (!storage->FindTextPrefix(def, "AB", found)) state.SkipWithError("no text index was built");
  for (auto _ : state) {
    const Integer r = t.ours.c->InsertRecord(at);
    t.ours.c->SetValue(r, cName, String("abyz"));
    t.ours.c->DeleteRecord(r);
    if (!storage->FindTextPrefix(def, "AB", found))
      state.SkipWithError("the text index was dropped");
  }
  state.counters["rows"] = double(found.size());
}

void StreamOurs(benchmark::State& state) {
  Table& t = Get(Integer(state.range(0)));
  Ours copy;
  for (auto _ : state) {
    TStringStream s;
    t.ours.c->SaveToStream(s);
    s.SetPosition(0);
    copy.c->LoadFromStream(s);
  }
  if (copy.c->GetRecordCount() != Integer(t.Rows.size())) state.SkipWithError("stream lost records");
}

#ifdef TL_HAVE_SQLITE3
void LoadTheirs(benchmark::State& state) {
  Table& t = Get(Integer(state.range(0)));
  Theirs fresh;
  for (auto _ : state) fresh.Load(t.Rows);
}

void QueryTheirs(benchmark::State& state, const char* ASql) {
  Table& t = Get(Integer(state.range(0)));
  if (!Usable(state, t)) return;
  for (auto _ : state) benchmark::DoNotOptimize(t.theirs.Query(ASql));
}

void SortOneTheirs(benchmark::State& state) {
  Table& t = Get(Integer(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(t.theirs.IDs(kSortOne));
}
void SortTwoTheirs(benchmark::State& state) {
  Table& t = Get(Integer(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(t.theirs.IDs(kSortTwo));
}
void GroupOneTheirs(benchmark::State& state) {
  Table& t = Get(Integer(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(t.theirs.IDs("SELECT City, COUNT(*) FROM t GROUP BY City ORDER BY City"));
}
void GroupTwoTheirs(benchmark::State& state) {
  Table& t = Get(Integer(state.range(0)));
  for (auto _ : state)
    benchmark::DoNotOptimize(t.theirs.IDs("SELECT City, Flag, COUNT(*) FROM t GROUP BY City, Flag ORDER BY City, Flag"));
}
void FilterTheirs(benchmark::State& state) {
  Table& t = Get(Integer(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(t.theirs.IDs(kFilter));
}
void FooterTheirs(benchmark::State& state) { QueryTheirs(state, kFooter); }
void GroupSummaryTheirs(benchmark::State& state) { QueryTheirs(state, kGroupOne); }

void SearchTheirs(benchmark::State& state) {
  Table& t = Get(Integer(state.range(0)));
  if (!Usable(state, t)) return;
  const std::string name = SearchedName(t);
  sqlite3_stmt* st = t.theirs.PrepareSearch();
  Integer found = 0;
  for (auto _ : state) found += Integer(t.theirs.Type(st, name).size());
  sqlite3_finalize(st);
  benchmark::DoNotOptimize(found);
}

void KeyTextsAfterChangeTheirs(benchmark::State& state) {
  Table& t = Get(Integer(state.range(0)));
  if (!Usable(state, t)) return;
  const Integer n = Integer(t.Rows.size());
  const std::vector<Integer> ids = VisibleIDs(n);
  const Row& row = t.Rows[size_t(n / 3)];
  sqlite3_stmt* byID = t.theirs.Prepare(kByID);
  sqlite3_stmt* rename = t.theirs.Prepare(kRename);
  auto setName = [&](bool ARenamed) {
    sqlite3_bind_int(rename, 1, row.ID);
    if (ARenamed)
      sqlite3_bind_text(rename, 2, "renamed", -1, SQLITE_STATIC);
    else if (row.NameNull)
      sqlite3_bind_null(rename, 2);
    else
      sqlite3_bind_text(rename, 2, row.Name.data(), int(row.Name.size()), SQLITE_STATIC);
    sqlite3_step(rename);
    sqlite3_reset(rename);
  };
  bool renamed = false;
  for (auto _ : state) {
    state.PauseTiming();
    renamed = !renamed;
    setName(renamed);
    state.ResumeTiming();
    benchmark::DoNotOptimize(t.theirs.KeyTexts(byID, ids));
  }
  setName(false);
  sqlite3_finalize(rename);
  sqlite3_finalize(byID);
}

void KeyTextsSteadyTheirs(benchmark::State& state) {
  Table& t = Get(Integer(state.range(0)));
  if (!Usable(state, t)) return;
  const std::vector<Integer> ids = VisibleIDs(Integer(t.Rows.size()));
  sqlite3_stmt* byID = t.theirs.Prepare(kByID);
  for (auto _ : state) benchmark::DoNotOptimize(t.theirs.KeyTexts(byID, ids));
  sqlite3_finalize(byID);
}

void KeystrokeTheirs(benchmark::State& state) {
  Table& t = Get(Integer(state.range(0)));
  if (!Usable(state, t)) return;
  sqlite3_stmt* like = t.theirs.PrepareLike();
  size_t rows = 0;
  for (auto _ : state) rows = t.theirs.NamesLike(like).size();
  sqlite3_finalize(like);
  state.counters["rows"] = double(rows);
}

void IndexBuildTheirs(benchmark::State& state, sqlite3* ADatabase, const char* ACreate) {
  for (auto _ : state) {
    state.PauseTiming();
    sqlite3_exec(ADatabase, "DROP INDEX IF EXISTS built", nullptr, nullptr, nullptr);
    state.ResumeTiming();
    sqlite3_exec(ADatabase, ACreate, nullptr, nullptr, nullptr);
  }
  sqlite3_exec(ADatabase, "DROP INDEX IF EXISTS built", nullptr, nullptr, nullptr);
}

void KeyIndexBuildTheirs(benchmark::State& state) {
  Table& t = Get(Integer(state.range(0)));
  if (!Usable(state, t)) return;
  IndexBuildTheirs(state, t.theirs.db, "CREATE INDEX built ON t (ID)");
}

void TextIndexBuildTheirs(benchmark::State& state) {
  Table& t = Get(Integer(state.range(0)));
  if (!Usable(state, t)) return;
  IndexBuildTheirs(state, t.theirs.db, "CREATE INDEX built ON t (Name COLLATE NOCASE)");
}

void TextIndexInsertDeleteTheirs(benchmark::State& state) {
  Table& t = Get(Integer(state.range(0)));
  if (!Usable(state, t)) return;
  sqlite3_stmt* like = t.theirs.PrepareLike();
  sqlite3_stmt *insert = nullptr, *erase = nullptr;
  sqlite3_prepare_v2(t.theirs.names, "INSERT INTO n VALUES (?1, 'abyz')", -1, &insert, nullptr);
  sqlite3_prepare_v2(t.theirs.names, "DELETE FROM n WHERE ID = ?1", -1, &erase, nullptr);
  const Integer id = Integer(t.Rows.size()) * 2 + 1;
  size_t rows = 0;
  for (auto _ : state) {
    sqlite3_bind_int(insert, 1, id);
    sqlite3_step(insert);
    sqlite3_reset(insert);
    sqlite3_bind_int(erase, 1, id);
    sqlite3_step(erase);
    sqlite3_reset(erase);
    rows = t.theirs.NamesLike(like).size();
  }
  sqlite3_finalize(erase);
  sqlite3_finalize(insert);
  sqlite3_finalize(like);
  state.counters["rows"] = double(rows);
}

void StreamTheirs(benchmark::State& state) {
  Table& t = Get(Integer(state.range(0)));
  Theirs copy;
  copy.Load({});
  for (auto _ : state) t.theirs.CopyRows(copy);
  if (copy.Count() != Integer(t.Rows.size())) state.SkipWithError("the copy lost rows");
}

// Not the same work as ours: the database's pages copied whole, no row read or written.
void PageImageTheirs(benchmark::State& state) {
  Table& t = Get(Integer(state.range(0)));
  Theirs copy;
  for (auto _ : state) {
    sqlite3_int64 size = 0;
    unsigned char* image = sqlite3_serialize(t.theirs.db, "main", &size, 0);
    sqlite3_deserialize(copy.db, "main", image, size, size, SQLITE_DESERIALIZE_FREEONCLOSE | SQLITE_DESERIALIZE_RESIZEABLE);
  }
}
#endif

struct Registration {
  Registration() {
    std::vector<Integer> sizes{10000, 100000};
    if (std::getenv("TL_BENCH_1M")) sizes.push_back(1000000);
    struct Pair {
      const char* Name;
      void (*Ours)(benchmark::State&);
      void (*Theirs)(benchmark::State&);
      benchmark::TimeUnit Unit = benchmark::kMillisecond;
    };
    constexpr benchmark::TimeUnit us = benchmark::kMicrosecond;
    const Pair pairs[] = {
#ifdef TL_HAVE_SQLITE3
        {"Load", LoadOurs, LoadTheirs},
        {"SortOneField", SortOneOurs, SortOneTheirs},
        {"SortTwoFields", SortTwoOurs, SortTwoTheirs},
        {"GroupOneLevel", GroupOneOurs, GroupOneTheirs},
        {"GroupTwoLevels", GroupTwoOurs, GroupTwoTheirs},
        {"FilterLike", FilterOurs, FilterTheirs},
        {"FooterSummaries", FooterOurs, FooterTheirs},
        {"GroupSummaries", GroupSummaryOurs, GroupSummaryTheirs},
        {"SearchPerKeystroke", SearchOurs, SearchTheirs},
        {"KeyTextsSteady", KeyTextsSteadyOurs, KeyTextsSteadyTheirs, us},
        {"KeyTextsAfterChange", KeyTextsAfterChangeOurs, KeyTextsAfterChangeTheirs, us},
        {"IncrementalFilterKeystroke", KeystrokeOurs, KeystrokeTheirs, us},
        {"KeyIndexBuild", KeyIndexBuildOurs, KeyIndexBuildTheirs},
        {"TextIndexBuild", TextIndexBuildOurs, TextIndexBuildTheirs},
        {"TextIndexInsertDelete", TextIndexInsertDeleteOurs, TextIndexInsertDeleteTheirs, us},
        {"SaveAndLoad", StreamOurs, StreamTheirs},
        {"SaveAndLoadPageImage", nullptr, PageImageTheirs},
#else
        {"Load", LoadOurs, nullptr},
        {"SortOneField", SortOneOurs, nullptr},
        {"SortTwoFields", SortTwoOurs, nullptr},
        {"GroupOneLevel", GroupOneOurs, nullptr},
        {"GroupTwoLevels", GroupTwoOurs, nullptr},
        {"FilterLike", FilterOurs, nullptr},
        {"FooterSummaries", FooterOurs, nullptr},
        {"GroupSummaries", GroupSummaryOurs, nullptr},
        {"SearchPerKeystroke", SearchOurs, nullptr},
        {"KeyTextsSteady", KeyTextsSteadyOurs, nullptr, us},
        {"KeyTextsAfterChange", KeyTextsAfterChangeOurs, nullptr, us},
        {"IncrementalFilterKeystroke", KeystrokeOurs, nullptr, us},
        {"KeyIndexBuild", KeyIndexBuildOurs, nullptr},
        {"TextIndexBuild", TextIndexBuildOurs, nullptr},
        {"TextIndexInsertDelete", TextIndexInsertDeleteOurs, nullptr, us},
        {"SaveAndLoad", StreamOurs, nullptr},
#endif
    };
    for (const Pair& p : pairs)
      for (Integer n : sizes) {
        if (p.Ours)
          benchmark::RegisterBenchmark((std::string(p.Name) + "/Controller").c_str(), p.Ours)
              ->Arg(n)
              ->Unit(p.Unit);
        if (p.Theirs)
          benchmark::RegisterBenchmark((std::string(p.Name) + "/SQLite").c_str(), p.Theirs)
              ->Arg(n)
              ->Unit(p.Unit);
      }
  }
} registration;

}  // namespace
