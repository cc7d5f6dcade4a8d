// fuzz-links: widgets_databinding
// Two data-set controllers against their data set, driven by the input: a form owns a memory
// data set of a few records (ID, V), two data sources over it and a controller on each
// (keyed or not, smart refresh on or off, loaded or grid mode, multi-select on or off). Some
// handlers raise after a chosen number of calls: either source's OnDataChange, the data
// set's Before/AfterPost, Before/AfterDelete, AfterScroll, OnFilterRecord. The steps append,
// insert, edit, post, cancel and delete on the data set (alone or between DisableControls
// and EnableControls), refresh it and filter it; or focus, select, delete the focused row or
// the selection, edit and post, append or insert through either controller. A handler's
// error is expected; so is a refusal (a data-set or controller error); any other error is a
// fault. Two checks:
// - An operation of a controller on its focused row (or selection) deletes or changes only
//   the records those rows show, the edit writes the value asked for, an append adds the
//   record asked for, and nothing else of the data set changes; or it changes nothing.
// - After a step whose top bit asks for it, once the data set browses: with the handlers
//   quiet, a clean notice (DisableControls, EnableControls) goes to every link, and then each
//   loaded controller shows, row by row, the records the data set holds in its order.
// FUZZ_TRACE=1 in the environment lists the steps and what each side shows; FUZZ_CHECK_ROWS=0
// leaves the second check out, FUZZ_CHECK_ROWS=all makes it after every step; FUZZ_STACK=1
// prints where each handler raised (sanitizer builds).
#include "platform/user/UserTesting.h"
#include "tests/fuzz/support/DatabindingFuzz.h"
#include "tests/fuzz/support/FuzzInput.h"
#include "widgets/data/cxDataControllerFilter.h"
#include "widgets/databinding/cxDBData.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

// Where each handler raised, in the sanitizer builds.
extern "C" __attribute__((weak)) void __sanitizer_print_stack_trace();

namespace {

using Platform = DatabindingFuzzHost;

TL_EXCEPTION(EFuzzHandlerError, Exception);

bool Tracing() {
  static const bool tracing = std::getenv("FUZZ_TRACE") != nullptr;
  return tracing;
}

std::string ValueText(const Variant& v) {
  return VarIsNull(v) || VarIsEmpty(v) ? std::string("-") : std::string(VarToStr(v));
}

// One stored record: the data set's own number for it (stable while it exists) and its
// values as text.
struct TStored {
  Integer Id;
  std::string Key, V;
  bool operator==(const TStored&) const = default;
};

// A memory data set that lets the target read every stored record, filtered or not, without
// running a handler or moving, and tells which record a bookmark named, gone or not.
class TFuzzMemory : public TMemoryDataSet {
  TL_CLASS(TFuzzMemory, TMemoryDataSet)
 public:
  using TMemoryDataSet::TMemoryDataSet;
  std::vector<TStored> Stored() {
    std::vector<TStored> r;
    for (Integer p = 0; p < InternalRecordCount(); ++p) {
      const std::vector<Variant> values = InternalReadRecord(p);
      r.push_back({InternalRecordId(p), ValueText(values[0]), ValueText(values[1])});
      FNamed[InternalBookmark(p)] = InternalRecordId(p);
    }
    return r;
  }
  // The record a bookmark names; -1 for an empty or unknown one.
  Integer IdOf(const TBookmarkStr& ABookmark) {
    if (ABookmark.empty()) return -1;
    const Integer place = InternalFindBookmark(ABookmark);
    if (place >= 0) return InternalRecordId(place);
    auto it = FNamed.find(ABookmark);
    return it == FNamed.end() ? -1 : it->second;
  }

 private:
  std::map<TBookmarkStr, Integer> FNamed;  // every bookmark seen, and its record
};

// Raises on the Countdown-th call of any handler it is set to, then every Every-th call
// (never again for 0); quiet while Paused. OnFilterRecord keeps the records whose V is not
// FilterOut modulo 3.
class TRaiser : public TObject {
 public:
  bool Paused = true;
  int Countdown = 0;
  int Every = 0;
  int FilterOut = 0;
  void Hit(const char* AWhere) {
    if (Paused || Countdown <= 0 || --Countdown > 0) return;
    Countdown = Every;
    if (Tracing()) std::fprintf(stderr, "  (%s raises)\n", AWhere);
    if (std::getenv("FUZZ_STACK") && __sanitizer_print_stack_trace) __sanitizer_print_stack_trace();
    throw EFuzzHandlerError(String("handler error in ") + AWhere);
  }
  void DataChange1(TObject*, TField*) { Hit("OnDataChange of source 1"); }
  void DataChange2(TObject*, TField*) { Hit("OnDataChange of source 2"); }
  void BeforePost(TDataSet*) { Hit("BeforePost"); }
  void AfterPost(TDataSet*) { Hit("AfterPost"); }
  void BeforeDelete(TDataSet*) { Hit("BeforeDelete"); }
  void AfterDelete(TDataSet*) { Hit("AfterDelete"); }
  void AfterScroll(TDataSet*) { Hit("AfterScroll"); }
  void Filter(TDataSet* ADataSet, bool& Accept) {
    Hit("OnFilterRecord");
    const Variant v = ADataSet->FieldByName("V")->Value();
    Accept = VarIsNull(v) || Integer(v) % 3 != FilterOut;
  }
};

// What a row shows: its key and V as text, empty for no row; and the data set's record its
// bookmark names (-1 where the controller keeps none, as in grid mode).
struct TShown {
  std::string Key, V;
  Integer Id = -1;
};

struct TSetup {
  TForm* Form = nullptr;
  TFuzzMemory* DataSet = nullptr;
  TDataSource* Sources[2] = {nullptr, nullptr};
  TcxDBDataController* Controllers[2] = {nullptr, nullptr};
  // Each controller's own filter keeps the records whose V is under its limit, while active.
  Integer OwnFilterLimits[2] = {0, 0};
  // The rows each controller was asked to select: in grid mode a selection outlives the
  // window, and a record selected there may be deleted when its row is long gone.
  std::vector<TShown> Selected[2];
  TRaiser Raiser;
  Integer NextId = 1;
  bool NullKeys = false;  // appends may leave the key Null
  bool FilterByHandler = false;
};

// A key for a new record: the next unused ID, or Null where the setup allows it.
Variant NewKey(TSetup& s, FuzzBytes& in) {
  const uint8_t b = in.U8();
  if (s.NullKeys && b % 4 == 0) return Null();
  return Variant(s.NextId++);
}

Variant NewValue(FuzzBytes& in) { return Variant(Integer(in.U8() % 40)); }

TShown RowShows(TFuzzMemory* ds, TcxDBDataController* c, Integer ARow) {
  if (ARow < 0 || ARow >= c->GetRowCount()) return {};
  const Integer record = c->GetRowInfo(ARow).RecordIndex;
  if (record < 0) return {};
  // A row of a record the controller no longer holds: shown as such, matching no record.
  if (record >= c->GetRecordCount())
    return {
        "<record " + std::to_string(record) + " of " + std::to_string(c->GetRecordCount()) + ">",
        "?"};
  return {ValueText(c->GetValue(record, c->GetItemField(0))),
          ValueText(c->GetValue(record, c->GetItemField(1))),
          ds->IdOf(c->DBProvider()->RecordBookmark(record))};
}

// Whether a stored record is the one a row shows: the record its bookmark names, or the
// record of its key (the IDs given are never shared; for a Null key, the same V as well). A
// row whose values lag behind its record still stands for that record: what it shows is the
// second check's business.
bool IsShown(const TStored& ARecord, const TShown& AShown) {
  if (AShown.Id >= 0 && ARecord.Id == AShown.Id) return true;
  if (AShown.Key.empty() || ARecord.Key != AShown.Key) return false;
  return AShown.Key != "-" || ARecord.V == AShown.V;
}

void PrintStored(const char* AWhat, const std::vector<TStored>& ARecords) {
  std::fprintf(stderr, "  %s:", AWhat);
  for (const TStored& r : ARecords)
    std::fprintf(stderr, " [#%d %s,%s]", int(r.Id), r.Key.c_str(), r.V.c_str());
  std::fprintf(stderr, "\n");
}

[[noreturn]] void Fault(const char* AWhat, const std::vector<TStored>& ABefore,
                        const std::vector<TStored>& AAfter) {
  std::fprintf(stderr, "%s\n", AWhat);
  PrintStored("stored before", ABefore);
  PrintStored("stored after", AAfter);
  std::abort();
}

// The changes from ABefore to AAfter, by the data set's record numbers.
struct TDiff {
  std::vector<TStored> Removed, Added;
  std::vector<std::pair<TStored, TStored>> Changed;  // before, after
};

TDiff Diff(const std::vector<TStored>& ABefore, const std::vector<TStored>& AAfter) {
  TDiff d;
  for (const TStored& b : ABefore) {
    auto it =
        std::find_if(AAfter.begin(), AAfter.end(), [&](const TStored& a) { return a.Id == b.Id; });
    if (it == AAfter.end())
      d.Removed.push_back(b);
    else if (!(*it == b))
      d.Changed.push_back({b, *it});
  }
  for (const TStored& a : AAfter)
    if (std::none_of(ABefore.begin(), ABefore.end(),
                     [&](const TStored& b) { return a.Id == b.Id; }))
      d.Added.push_back(a);
  return d;
}

// ---- The records each side shows ----

// The data set's records in its order; those whose V is under ALimit unless it is negative.
std::vector<std::string> DataSetRows(TDataSet* ds, Integer ALimit) {
  std::vector<std::string> r;
  ds->ReadRecords([&](const TBookmarkStr&) {
    const Variant v = ds->FieldByName("V")->Value();
    // The controller's filter orders Null before any value.
    if (ALimit >= 0 && !VarIsNull(v) && Integer(v) >= ALimit) return true;
    r.push_back(ValueText(ds->FieldByName("ID")->Value()) + "," +
                ValueText(ds->FieldByName("V")->Value()));
    return true;
  });
  return r;
}

std::vector<std::string> ControllerRows(TFuzzMemory* ds, TcxDBDataController* c) {
  std::vector<std::string> r;
  for (Integer i = 0; i < c->GetRowCount(); ++i) {
    const TShown shown = RowShows(ds, c, i);
    r.push_back(shown.Key + "," + shown.V);
  }
  return r;
}

void PrintRows(const char* AWhat, const std::vector<std::string>& ARows) {
  std::fprintf(stderr, "  %s:", AWhat);
  for (const std::string& r : ARows) std::fprintf(stderr, " [%s]", r.c_str());
  std::fprintf(stderr, "\n");
}

void Trace(TSetup& s) {
  TDataSet* ds = s.DataSet;
  if (!ds->Active()) return;
  std::fprintf(stderr, "  data set state %d%s, current %s\n", int(ds->State()),
               ds->ControlsDisabled() ? " (controls disabled)" : "",
               ds->IsEmpty() ? "none" : ValueText(ds->FieldByName("ID")->Value()).c_str());
  PrintStored("stored", s.DataSet->Stored());
  for (int k = 0; k < 2; ++k) {
    TcxDBDataController* c = s.Controllers[k];
    std::fprintf(stderr, "  controller %d (focused row %d):", k + 1, int(c->GetFocusedRowIndex()));
    for (const std::string& r : ControllerRows(s.DataSet, c))
      std::fprintf(stderr, " [%s]", r.c_str());
    std::fprintf(stderr, "\n");
  }
}

// FUZZ_CHECK_ROWS=0 in the environment leaves the rows unchecked, to look at what the
// controllers' operations do alone; FUZZ_CHECK_ROWS=all checks them after every step, to
// find the step where they first went wrong.
const char* CheckRowsSetting() {
  static const char* const v = std::getenv("FUZZ_CHECK_ROWS");
  return v ? v : "";
}
bool CheckingRows(uint8_t op) {
  const std::string v = CheckRowsSetting();
  return v == "all" || (v != "0" && (op & 0x80));
}

// With the handlers quiet, a notice every link hears; then each loaded controller shows the
// data set's records in its order.
void CheckRows(TSetup& s) {
  TDataSet* ds = s.DataSet;
  if (!ds->Active() || ds->State() != TDataSetState::dsBrowse) return;
  s.Raiser.Paused = true;
  ds->DisableControls();
  ds->EnableControls();
  if (ds->State() != TDataSetState::dsBrowse) return;
  for (int k = 0; k < 2; ++k) {
    TcxDBDataController* c = s.Controllers[k];
    if (c->IsGridMode()) continue;
    const bool filtered = c->Filter()->IsFiltering();
    const std::vector<std::string> held = DataSetRows(ds, filtered ? s.OwnFilterLimits[k] : -1);
    const std::vector<std::string> shown = ControllerRows(s.DataSet, c);
    if (shown == held) continue;
    std::fprintf(stderr, "controller %d shows rows other than the data set's records\n", k + 1);
    PrintRows("controller shows", shown);
    PrintRows("data set holds", held);
    std::abort();
  }
}

// ---- Steps on the data set ----

// Runs AOperation with the controls disabled, enabling them again whatever it raised, as a
// program does in a finally block.
template <class F>
void WithControlsDisabled(TDataSet* ds, F AOperation) {
  ds->DisableControls();
  try {
    AOperation();
  } catch (...) {
    ds->EnableControls();
    throw;
  }
  ds->EnableControls();
}

void SetValues(TDataSet* ds, const Variant& AKey, const Variant& AValue) {
  if (ds->State() != TDataSetState::dsInsert && ds->State() != TDataSetState::dsEdit) return;
  if (!VarIsEmpty(AKey)) ds->FieldByName("ID")->SetValue(AKey);
  ds->FieldByName("V")->SetValue(AValue);
}

const char* const kDataSetSteps[] = {"append",
                                     "insert",
                                     "edit",
                                     "post",
                                     "cancel",
                                     "delete",
                                     "next",
                                     "prior",
                                     "first",
                                     "delete with controls off",
                                     "edit with controls off",
                                     "refresh",
                                     "filter on/off",
                                     "append with controls off"};
constexpr unsigned kDataSetStepCount = sizeof(kDataSetSteps) / sizeof(kDataSetSteps[0]);

void DataSetStep(TSetup& s, unsigned op, FuzzBytes& in) {
  TDataSet* ds = s.DataSet;
  switch (op) {
    case 0: {
      const Variant key = NewKey(s, in), value = NewValue(in);
      ds->Append();
      SetValues(ds, key, value);
      break;
    }
    case 1: {
      const Variant key = NewKey(s, in), value = NewValue(in);
      ds->Insert();
      SetValues(ds, key, value);
      break;
    }
    case 2: {
      const Variant value = NewValue(in);
      ds->Edit();
      SetValues(ds, Unassigned(), value);
      break;
    }
    case 3:
      ds->Post();
      break;
    case 4:
      ds->Cancel();
      break;
    case 5:
      ds->Delete();
      break;
    case 6:
      ds->Next();
      break;
    case 7:
      ds->Prior();
      break;
    case 8:
      ds->First();
      break;
    case 9: {
      const uint8_t b = in.U8();
      WithControlsDisabled(ds, [&] {
        for (int i = 0; i <= b % 3; ++i) {
          if (b & 4) ds->Next();
          if (!ds->IsEmpty()) ds->Delete();
        }
      });
      break;
    }
    case 10: {
      const uint8_t b = in.U8();
      const Variant value = NewValue(in);
      WithControlsDisabled(ds, [&] {
        if (b & 1) ds->Next();
        ds->Edit();
        SetValues(ds, Unassigned(), value);
        ds->Post();
        if (b & 2) ds->First();
      });
      break;
    }
    case 11:
      ds->Refresh();
      break;
    case 12:
      ds->SetFiltered(!ds->Filtered());
      break;
    default: {
      const Variant key = NewKey(s, in), value = NewValue(in);
      WithControlsDisabled(ds, [&] {
        ds->Append();
        SetValues(ds, key, value);
        ds->Post();
      });
      break;
    }
  }
}

// ---- Steps through a controller ----

const char* const kControllerSteps[] = {
    "focus",         "delete focused",  "select",           "delete selection",
    "edit and post", "append and post", "refresh",          "edit",
    "next or prior", "insert and post", "own filter on/off"};
constexpr unsigned kControllerStepCount = sizeof(kControllerSteps) / sizeof(kControllerSteps[0]);

// Leaves an edit a step began and could not post, with the handlers quiet, so that the
// records compared are the stored ones.
void CancelLeftEdit(TSetup& s) {
  const bool paused = s.Raiser.Paused;
  s.Raiser.Paused = true;
  if (s.DataSet->State() != TDataSetState::dsBrowse) {
    try {
      s.DataSet->Cancel();
    } catch (const Exception&) {
    }
  }
  s.Raiser.Paused = paused;
}

// What the data set may have become after an operation of the controller: records the rows
// showed may go (One: at most one of them), the focused row's record may take the V asked
// for, one record asked for may come; nothing else.
struct TExpect {
  std::vector<TShown> MayRemove;
  bool One = false;
  TShown Edited;
  std::string EditedV;
  bool Edits = false;
  TStored Appended;
  bool Appends = false;
};

void CheckExpect(const char* AStep, const TExpect& AExpect, const std::vector<TStored>& ABefore,
                 const std::vector<TStored>& AAfter) {
  const TDiff d = Diff(ABefore, AAfter);
  char what[400];
  if (!d.Removed.empty()) {
    if (AExpect.MayRemove.empty() || (AExpect.One && d.Removed.size() > 1)) {
      std::snprintf(what, sizeof what, "%s removed records it was not asked to", AStep);
      Fault(what, ABefore, AAfter);
    }
    std::vector<bool> used(AExpect.MayRemove.size(), false);
    for (const TStored& r : d.Removed) {
      bool found = false;
      for (size_t i = 0; i < AExpect.MayRemove.size() && !found; ++i)
        if (!used[i] && IsShown(r, AExpect.MayRemove[i])) used[i] = found = true;
      if (!found) {
        std::string rows;
        for (const TShown& m : AExpect.MayRemove)
          rows += " [" + m.Key + "," + m.V + " #" + std::to_string(m.Id) + "]";
        std::snprintf(what, sizeof what,
                      "%s removed record #%d (ID %s), which no row it acted on shows (rows:%s)",
                      AStep, int(r.Id), r.Key.c_str(), rows.c_str());
        Fault(what, ABefore, AAfter);
      }
    }
  }
  if (!d.Changed.empty()) {
    const auto& [was, now] = d.Changed.front();
    if (!AExpect.Edits || d.Changed.size() > 1 || !IsShown(was, AExpect.Edited) ||
        now.Key != was.Key || now.V != AExpect.EditedV) {
      std::snprintf(
          what, sizeof what,
          "%s changed record #%d from %s,%s to %s,%s (the row showed %s,%s #%d, V %s asked)", AStep,
          int(was.Id), was.Key.c_str(), was.V.c_str(), now.Key.c_str(), now.V.c_str(),
          AExpect.Edited.Key.c_str(), AExpect.Edited.V.c_str(), int(AExpect.Edited.Id),
          AExpect.EditedV.c_str());
      Fault(what, ABefore, AAfter);
    }
  }
  if (!d.Added.empty()) {
    const TStored& a = d.Added.front();
    if (!AExpect.Appends || d.Added.size() > 1 || a.Key != AExpect.Appended.Key ||
        a.V != AExpect.Appended.V) {
      std::snprintf(what, sizeof what, "%s added record #%d (%s,%s), not the one asked (%s,%s)",
                    AStep, int(a.Id), a.Key.c_str(), a.V.c_str(), AExpect.Appended.Key.c_str(),
                    AExpect.Appended.V.c_str());
      Fault(what, ABefore, AAfter);
    }
  }
}

void ControllerStep(TSetup& s, int AWhich, unsigned op, FuzzBytes& in) {
  TcxDBDataController* c = s.Controllers[AWhich];
  const Integer rows = c->GetRowCount();
  const uint8_t pick = in.U8();
  const Integer row = rows > 0 ? Integer(pick) % rows : 0;
  switch (op) {
    case 0:
      c->ChangeFocusedRowIndex(row);
      return;
    case 2:
      if (rows > 0) {
        s.Selected[AWhich].push_back(RowShows(s.DataSet, c, row));
        c->ChangeRowSelection(row, true);
      }
      return;
    case 6:
      c->Refresh();
      return;
    case 7: {
      const Variant value = NewValue(in);
      c->Edit();
      c->SetEditValue(1, value, TcxDataEditValueSource::evsValue);
      return;
    }
    case 8:
      if (pick & 1)
        c->GotoNext();
      else
        c->GotoPrev();
      return;
    case 10: {
      TcxDataFilterCriteria* f = c->Filter();
      if (f->IsEmpty())
        f->Root()->AddItem(c->GetItem(1), TcxFilterOperatorKind::foLess,
                           Variant(s.OwnFilterLimits[AWhich]), IntToStr(s.OwnFilterLimits[AWhich]));
      f->SetActive(!f->GetActive());
      return;
    }
    default:
      break;
  }
  // The operations on the focused row (or the selection) are checked against the records
  // stored before, when the data set browsed then.
  const bool checked = s.DataSet->State() == TDataSetState::dsBrowse;
  const std::vector<TStored> before = s.DataSet->Stored();
  TExpect expect;
  const Integer focused = c->GetFocusedRowIndex();
  const Variant key = op == 5 || op == 9 ? NewKey(s, in) : Variant();
  const Variant value = NewValue(in);
  try {
    switch (op) {
      case 1:
        expect.MayRemove.push_back(RowShows(s.DataSet, c, focused));
        expect.One = true;
        c->DeleteFocused();
        break;
      case 3:
        for (Integer i = 0; i < c->GetSelectedCount(); ++i)
          expect.MayRemove.push_back(RowShows(s.DataSet, c, c->GetSelectedRowIndex(i)));
        if (!c->IsMultiSelect()) {
          expect.MayRemove.push_back(RowShows(s.DataSet, c, focused));
          expect.One = true;
        } else if (c->IsGridMode()) {
          for (const TShown& shown : s.Selected[AWhich]) expect.MayRemove.push_back(shown);
        }
        c->DeleteSelection();
        break;
      case 4:
        expect.Edited = RowShows(s.DataSet, c, focused);
        expect.EditedV = ValueText(value);
        expect.Edits = true;
        // Editing a data set that shows no record inserts one, as the data set's Edit does.
        if (focused < 0 && s.DataSet->IsEmpty()) {
          expect.Appended = {0, "-", ValueText(value)};
          expect.Appends = true;
        }
        c->Edit();
        c->SetEditValue(1, value, TcxDataEditValueSource::evsValue);
        c->PostEditing();
        break;
      default:
        expect.Appended = {0, ValueText(key), ValueText(value)};
        expect.Appends = true;
        if (op == 5)
          c->Append();
        else
          c->Insert();
        c->SetEditValue(0, key, TcxDataEditValueSource::evsValue);
        c->SetEditValue(1, value, TcxDataEditValueSource::evsValue);
        c->PostEditing();
        break;
    }
  } catch (const Exception&) {
    CancelLeftEdit(s);
    if (checked) CheckExpect(kControllerSteps[op], expect, before, s.DataSet->Stored());
    throw;
  }
  CancelLeftEdit(s);
  if (checked) CheckExpect(kControllerSteps[op], expect, before, s.DataSet->Stored());
}

// ---- The run ----

TcxDBDataController* MakeController(TSetup& s, TDataSource* ASource, uint8_t AMode,
                                    std::vector<Owned<TObject>>& AItems) {
  auto* holder = New<TControllerHolder>(s.Form);
  auto* c = New<TcxDBDataController>(holder);
  holder->Controller.Attach(c);
  for (const char* name : {"ID", "V"}) {
    AItems.emplace_back(New<TObject>());
    c->AddItem(AItems.back().get());
    c->ChangeFieldName(c->GetItemCount() - 1, name);
  }
  if (AMode & 1) c->SetKeyFieldNames("ID");
  c->DataModeController()->SetSmartRefresh(AMode & 2);
  c->SetMultiSelect(AMode & 4);
  // Grid mode is the rarer case: the rows are then a window, checked by the first rule only.
  if ((AMode & 0x18) == 0x18) {
    c->DataModeController()->SetGridModeBufferCount(2 + (AMode >> 5) % 4);
    c->DataModeController()->SetGridMode(true);
  }
  c->SetDataSource(ASource);
  return c;
}

// The first byte shapes the run: which handlers the raiser takes, whether appends may leave
// the key Null, whether the filter is a handler's; then the records, the countdown, the
// controllers' modes and up to 32 steps.
void TwoControllers(FuzzBytes& in) {
  TSetup s;
  const uint8_t shape = in.U8();
  s.NullKeys = shape & 1;
  s.FilterByHandler = shape & 2;
  const uint8_t hooks = in.U8();
  s.Form = TCustomForm::CreateNew(nullptr);
  s.DataSet = New<TFuzzMemory>(s.Form);
  TFuzzMemory* ds = s.DataSet;
  ds->FieldDefs().Add("ID", TFieldType::ftInteger);
  ds->FieldDefs().Add("V", TFieldType::ftInteger);
  AddField<TIntegerField>(s.Form, ds, "ID");
  AddField<TIntegerField>(s.Form, ds, "V");
  const int records = in.U8() % 9;
  for (int i = 1; i <= records; ++i) ds->AddRecord({Variant(Integer(i)), Variant(Integer(i * 10))});
  s.NextId = records + 1;
  TRaiser& r = s.Raiser;
  r.Countdown = 1 + in.U8() % 8;
  r.Every = in.U8() % 4;
  r.FilterOut = shape % 3;
  if (s.FilterByHandler)
    ds->OnFilterRecord = {&r, &TRaiser::Filter};
  else
    ds->SetFilter(String("V < ") + IntToStr(10 + (shape >> 2) % 30));
  for (int k = 0; k < 2; ++k) {
    s.Sources[k] = New<TDataSource>(s.Form);
    s.Sources[k]->SetDataSet(ds);
  }
  if (hooks & 1) s.Sources[0]->OnDataChange = {&r, &TRaiser::DataChange1};
  if (hooks & 2) s.Sources[1]->OnDataChange = {&r, &TRaiser::DataChange2};
  if (hooks & 4) ds->BeforePost = {&r, &TRaiser::BeforePost};
  if (hooks & 8) ds->AfterPost = {&r, &TRaiser::AfterPost};
  if (hooks & 16) ds->BeforeDelete = {&r, &TRaiser::BeforeDelete};
  if (hooks & 32) ds->AfterDelete = {&r, &TRaiser::AfterDelete};
  if (hooks & 64) ds->AfterScroll = {&r, &TRaiser::AfterScroll};
  ds->Open();
  std::vector<Owned<TObject>> items;
  for (int k = 0; k < 2; ++k) {
    const uint8_t mode = in.U8();
    s.Controllers[k] = MakeController(s, s.Sources[k], mode, items);
    s.OwnFilterLimits[k] = 5 + (mode >> 5) * 5;
  }
  (void)ds->Stored();  // learns the first records' bookmarks
  if (Tracing()) Trace(s);
  r.Paused = false;
  for (int i = 0; i < 32 && in.More(); ++i) {
    const uint8_t op = in.U8();
    const unsigned side = (op & 0x7F) % 3, sub = (op & 0x7F) / 3;
    if (Tracing()) {
      if (side == 0)
        std::fprintf(stderr, "step %d: data set %s\n", i, kDataSetSteps[sub % kDataSetStepCount]);
      else
        std::fprintf(stderr, "step %d: controller %u %s\n", i, side,
                     kControllerSteps[sub % kControllerStepCount]);
    }
    try {
      if (side == 0)
        DataSetStep(s, sub % kDataSetStepCount, in);
      else
        ControllerStep(s, int(side - 1), sub % kControllerStepCount, in);
    } catch (const EFuzzHandlerError&) {
    } catch (const EDatabaseError& e) {
      if (Tracing()) std::fprintf(stderr, "  refused: %s\n", e.what());
    } catch (const EcxInvalidDataControllerOperation& e) {
      if (Tracing()) std::fprintf(stderr, "  refused: %s\n", e.what());
    } catch (const Exception& e) {
      std::fprintf(stderr, "step %d raised: %s\n", i, e.what());
      std::abort();
    }
    // Errors the library caught and recorded rather than passed on.
    for (const String& e : Application->TakeExceptions()) {
      if (Tracing()) std::fprintf(stderr, "  recorded: %s\n", e.c_str());
    }
    (void)s.DataSet->Stored();  // learns the bookmarks of records that came meanwhile
    if (Tracing()) Trace(s);
    if (CheckingRows(op)) {
      CheckRows(s);
      r.Paused = false;
    }
  }
  r.Paused = true;
  s.Form->Free();
}

}  // namespace

TL_DEFINE_CLASS(TFuzzMemory)

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzEnvironment<Platform>();
  RunLeavingNoWindow([&] {
    FuzzBytes in(data, size);
    TwoControllers(in);
  });
  return 0;
}
