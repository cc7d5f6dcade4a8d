// fuzz-links: widgets_databinding
// Master-detail over data sets, driven by the input: a form owns a master memory data set
// and a detail data set (a plain one positioned by Locate, the same positioned by an
// OnDetailFirst handler, or a query re-opened for each master in SQL mode), their sources
// and the holders of a master controller and its pattern detail. Each side may have keys
// and smart refresh, the master may read a window of the data set; the master makes a clone
// of the pattern for each master record it is asked for. The steps focus, expand and collapse
// master rows, edit, append, insert, post, cancel and delete through the master, through the
// detail of a master row and straight on either data set. One of the data sets' handlers may
// free a data set, a source, the master, the pattern or the form after a chosen number of
// calls. Nothing may touch a freed object (the sanitizers watch), nothing may raise but a
// refused edit, and while every object stands and both data sets browse (and the first byte
// asks for it), the loaded master shows the records its data set holds, and so does each
// expanded detail; in SQL mode the records its query reads for its master, or, while the
// query is open for another master, those it read when last open for this one
// (FUZZ_CHECK_DETAILS=0 leaves the details unchecked).
#include "platform/user/UserTesting.h"
#include "tests/fuzz/support/CountdownFreer.h"
#include "tests/fuzz/support/DatabindingFuzz.h"
#include "tests/fuzz/support/FuzzInput.h"
#include "widgets/databinding/cxDBData.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

using Platform = DatabindingFuzzHost;

// The values of each record, as text, sorted: what a controller shows against what its
// data set holds, whatever the order.
using TRecords = std::vector<std::string>;

std::string RecordText(const std::vector<Variant>& AValues) {
  std::string r;
  for (const Variant& v : AValues)
    r += (VarIsNull(v) || VarIsEmpty(v) ? std::string("-") : std::string(VarToStr(v))) + ",";
  return r;
}

// A data set with parameters over a table of its own, as a query is: it opens on the
// table's rows whose fields equal the parameters, and what is posted to or deleted from it
// while open is written to the table, so that it reads the same when opened again.
class TFuzzQuery : public TMemoryDataSet {
  TL_CLASS(TFuzzQuery, TMemoryDataSet)
 public:
  explicit TFuzzQuery(TComponent* AOwner) : TMemoryDataSet(AOwner), FParams(New<TParams>()) {}
  void BeforeDestruction() override {
    inherited::BeforeDestruction();
    FParams->Free();
    FParams = nullptr;
  }
  TParams* GetParams() const override { return FParams; }
  // Its one parameter, named for the field it selects by.
  void SetKey(const String& AName) {
    FKeyName = AName;
    FParams->CreateParam(TFieldType::ftInteger, AName);
  }
  void AddRow(const std::vector<Variant>& AValues) { FTable.push_back({AValues, false}); }
  // The rows an opening with AValue for the parameter reads, as text, sorted.
  TRecords Reads(const Variant& AValue) {
    TRecords r;
    for (const TRow& row : FTable)
      if (!row.Gone && Matches(row.Values, {FKeyName}, {AValue}))
        r.push_back(RecordText(row.Values));
    std::sort(r.begin(), r.end());
    return r;
  }
  // What the query read for AValue while it was last open for it: a detail of that master
  // read then may keep it.
  const TRecords* LastRead(const Variant& AValue) const {
    auto it = FLastRead.find(KeyText(AValue));
    return it == FLastRead.end() ? nullptr : &it->second;
  }
  bool IsOpenFor(const Variant& AValue) const {
    return Active() && FOpenKey == KeyText(AValue) && !FOpenKey.empty();
  }

 protected:
  void InternalOpen() override {
    inherited::InternalOpen();
    EmptyDataSet();
    FPlaceRows.clear();
    std::vector<String> names;
    std::vector<Variant> params;
    for (Integer i = 0; i < FParams->Count(); ++i) {
      names.push_back(FParams->Items(i)->Name());
      params.push_back(FParams->Items(i)->Value());
    }
    for (size_t t = 0; t < FTable.size(); ++t) {
      if (FTable[t].Gone || !Matches(FTable[t].Values, names, params)) continue;
      AddRecord(FTable[t].Values);
      FPlaceRows[InternalRecordId(InternalRecordCount() - 1)] = t;
    }
    FOpenKey = params.size() == 1 && names[0] == FKeyName ? KeyText(params[0]) : std::string();
    FOpenValue = params.size() == 1 ? params[0] : Variant();
    NoteRead();
  }
  void InternalClose() override {
    NoteRead();
    FOpenKey.clear();
    inherited::InternalClose();
  }
  Integer InternalPost(Integer APlace, bool AInserting,
                       const std::vector<Variant>& AValues) override {
    const Integer place = inherited::InternalPost(APlace, AInserting, AValues);
    std::vector<Variant> stored = InternalReadRecord(place);
    const Integer id = InternalRecordId(place);
    auto it = FPlaceRows.find(id);
    if (it == FPlaceRows.end()) {
      FPlaceRows[id] = FTable.size();
      FTable.push_back({std::move(stored), false});
    } else {
      FTable[it->second].Values = std::move(stored);
    }
    return place;
  }
  void InternalDelete(Integer APlace) override {
    auto it = FPlaceRows.find(InternalRecordId(APlace));
    inherited::InternalDelete(APlace);
    if (it != FPlaceRows.end()) {
      FTable[it->second].Gone = true;
      FPlaceRows.erase(it);
    }
  }

 private:
  struct TRow {
    std::vector<Variant> Values;
    bool Gone;
  };
  static std::string KeyText(const Variant& AValue) {
    return VarIsNull(AValue) || VarIsEmpty(AValue) ? std::string("-")
                                                   : std::string(VarToStr(AValue));
  }
  // Whether the row's fields of those names hold those values (Null matching Null only).
  bool Matches(const std::vector<Variant>& ARow, const std::vector<String>& ANames,
               const std::vector<Variant>& AValues) {
    for (size_t i = 0; i < ANames.size(); ++i) {
      const Variant& param = AValues[i];
      const Integer column = FieldDefs().IndexOf(ANames[i]);
      const Variant value =
          column >= 0 && size_t(column) < ARow.size() ? ARow[size_t(column)] : Null();
      const bool paramNull = VarIsNull(param) || VarIsEmpty(param);
      const bool valueNull = VarIsNull(value) || VarIsEmpty(value);
      const bool equal = paramNull || valueNull
                             ? paramNull == valueNull
                             : VarCompareValue(param, value) == TVariantRelationship::vrEqual;
      if (!equal) return false;
    }
    return true;
  }
  void NoteRead() {
    if (!FOpenKey.empty()) FLastRead[FOpenKey] = Reads(FOpenValue);
  }

  TParams* FParams;
  String FKeyName;
  std::vector<TRow> FTable;
  std::map<Integer, size_t> FPlaceRows;  // record id of the open query -> its table row
  std::string FOpenKey;                  // the parameter's value it is open for, as text
  Variant FOpenValue;
  std::map<std::string, TRecords> FLastRead;
};

// Makes a clone of the pattern detail for each master record asked for.
class TFuzzMaster : public TcxDBDataController {
 public:
  using TcxDBDataController::TcxDBDataController;
  TObject* CreateDetailDataController(TcxCustomDataRelation* ARelation, Integer) override {
    auto* pattern = static_cast<TcxDBDataController*>(ARelation->DetailDataController());
    auto* clone = New<TcxDBDataController>(nullptr);
    // Binding the clone runs the data set's handlers, which may free the pattern.
    TWeakLink alive(pattern);
    clone->Assign(pattern);
    if (!alive.Alive()) {
      clone->Free();
      return nullptr;
    }
    for (Integer i = 0; i < pattern->GetItemCount(); ++i) {
      clone->AddItem(pattern->GetItem(i));
      clone->ChangeFieldName(i, pattern->GetDataFieldName(i));
      if (!alive.Alive()) {
        clone->Free();
        return nullptr;
      }
    }
    return clone;
  }
  TcxCustomDataController* GetDetailDataControllerOf(TObject* AObject) const override {
    return dynamic_cast<TcxCustomDataController*>(AObject);
  }
};

// Frees its victim on the Countdown-th call of any handler it is set to; positions a detail
// for its master when it is the OnDetailFirst handler.
class TFreer : public TCountdownFreer {
 public:
  bool Paused = false;
  void HDataSet(TDataSet*) {
    if (!Paused) Hit();
  }
  void DetailFirst(TcxDBDataModeController*, TDataSet* ADataSet, const String& ANames,
                   const Variant& AValues, bool&) {
    if (ADataSet) cxDBLocateSafely(ADataSet, ANames, AValues);
  }
};

using TEventSlot = TDataSetNotifyEvent TDataSet::*;
const TEventSlot kEvents[] = {
    &TDataSet::BeforePost,   &TDataSet::AfterPost,    &TDataSet::BeforeDelete,
    &TDataSet::AfterDelete,  &TDataSet::BeforeCancel, &TDataSet::AfterCancel,
    &TDataSet::BeforeScroll, &TDataSet::AfterScroll,  &TDataSet::BeforeEdit,
    &TDataSet::AfterEdit,    &TDataSet::BeforeInsert, &TDataSet::AfterInsert,
    &TDataSet::OnNewRecord,  &TDataSet::BeforeOpen,   &TDataSet::AfterOpen,
    &TDataSet::BeforeClose};
constexpr unsigned kEventCount = sizeof(kEvents) / sizeof(kEvents[0]);

Variant SmallValue(FuzzBytes& in) {
  const uint8_t v = in.U8() % 9;
  return v == 8 ? Null() : Variant(Integer(v));
}

TcxDBDataController* MakeController(TComponent* AForm, TcxDBDataController* AController,
                                    uint8_t AMode, std::vector<Owned<TObject>>& AItems,
                                    const std::vector<const char*>& ANames) {
  auto* holder = New<TControllerHolder>(AForm);
  holder->Controller.Attach(AController);
  for (const char* name : ANames) {
    AItems.emplace_back(New<TObject>());
    AController->AddItem(AItems.back().get());
    AController->ChangeFieldName(AController->GetItemCount() - 1, name);
  }
  if (AMode & 1) AController->SetKeyFieldNames("ID");
  AController->DataModeController()->SetSmartRefresh(AMode & 2);
  return AController;
}

// The data set's records (those whose field AMatch equals AValue, when named), read without
// moving it.
TRecords DataSetRecords(TDataSet* ADataSet, const std::vector<const char*>& ANames,
                        const char* AMatch, const Variant& AValue) {
  TRecords r;
  ADataSet->ReadRecords([&](const TBookmarkStr&) {
    if (AMatch) {
      const Variant v = ADataSet->FieldByName(AMatch)->Value();
      if (VarIsNull(v) || VarCompareValue(v, AValue) != TVariantRelationship::vrEqual) return true;
    }
    std::vector<Variant> values;
    for (const char* n : ANames) values.push_back(ADataSet->FieldByName(n)->Value());
    r.push_back(RecordText(values));
    return true;
  });
  std::sort(r.begin(), r.end());
  return r;
}

TRecords ControllerRecords(TcxCustomDataController* AController) {
  TRecords r;
  for (Integer i = 0; i < AController->GetRecordCount(); ++i) {
    std::vector<Variant> values;
    for (Integer k = 0; k < AController->GetItemCount(); ++k)
      values.push_back(AController->GetValue(i, AController->GetItemField(k)));
    r.push_back(RecordText(values));
  }
  std::sort(r.begin(), r.end());
  return r;
}

void Mismatch(const char* AWhat, const TRecords& AShown, const TRecords& AHeld,
              const char* AHolder = "its data set holds") {
  std::fprintf(stderr, "%s shows", AWhat);
  for (const std::string& s : AShown) std::fprintf(stderr, " [%s]", s.c_str());
  std::fprintf(stderr, "\n  %s", AHolder);
  for (const std::string& s : AHeld) std::fprintf(stderr, " [%s]", s.c_str());
  std::fprintf(stderr, "\n");
  std::abort();
}

struct TSetup {
  TForm* Form = nullptr;
  TMemoryDataSet* MasterSet = nullptr;
  TMemoryDataSet* DetailSet = nullptr;
  TDataSource* MasterSource = nullptr;
  TDataSource* DetailSource = nullptr;
  TWeakLink FormLink, MasterSetLink, DetailSetLink, MasterSourceLink, DetailSourceLink, MasterLink,
      PatternLink;
  bool SQLMode = false;
  bool Positioned = false;  // the pattern's OnDetailFirst positions the detail

  TFuzzMaster* Master() const { return static_cast<TFuzzMaster*>(MasterLink.Ref()); }
  TcxDBDataController* Pattern() const {
    return static_cast<TcxDBDataController*>(PatternLink.Ref());
  }
  bool AllAlive() const {
    return FormLink.Alive() && MasterSetLink.Alive() && DetailSetLink.Alive() &&
           MasterSourceLink.Alive() && DetailSourceLink.Alive() && MasterLink.Alive() &&
           PatternLink.Alive();
  }
};

// The master's records and each expanded detail's against the data sets, once both browse.
void Check(TSetup& s) {
  if (!s.AllAlive()) return;
  TFuzzMaster* m = s.Master();
  TDataSet* ms = s.MasterSet;
  TDataSet* dset = s.DetailSet;
  if (!ms->Active() || !dset->Active() || ms->State() != TDataSetState::dsBrowse ||
      dset->State() != TDataSetState::dsBrowse)
    return;
  if (m->IsGridMode()) return;
  const TRecords held = DataSetRecords(ms, {"ID", "NAME"}, nullptr, Variant());
  const TRecords shown = ControllerRecords(m);
  if (shown != held) Mismatch("the master", shown, held);
  // FUZZ_CHECK_DETAILS=0 in the environment leaves the details out, to look at the master
  // alone.
  static const bool details = [] {
    const char* v = std::getenv("FUZZ_CHECK_DETAILS");
    return !v || std::string(v) != "0";
  }();
  if (!details) return;
  auto* query = s.SQLMode ? static_cast<TFuzzQuery*>(dset) : nullptr;
  for (Integer r = 0; r < m->GetRecordCount(); ++r) {
    if (!m->GetDetailExpanding(r)) continue;
    const Variant key = m->GetValue(r, m->GetItemField(0));
    if (VarIsNull(key) || VarIsEmpty(key)) continue;
    TcxCustomDataController* d = m->GetDetailDataController(r, 0);
    if (!d) continue;
    const TRecords detailShown = ControllerRecords(d);
    // A query holds one master's records at a time: a detail shows what it reads for the
    // detail's master, or, while it is open for another, may keep what it read for this one.
    const TRecords detailHeld =
        query ? query->Reads(key) : DataSetRecords(dset, {"ID", "MID", "V"}, "MID", key);
    if (detailShown == detailHeld) continue;
    if (query && !query->IsOpenFor(key))
      if (const TRecords* kept = query->LastRead(key); kept && detailShown == *kept) continue;
    std::fprintf(stderr, "master record %d (ID %s): ", int(r), std::string(VarToStr(key)).c_str());
    if (query)
      Mismatch("its SQL-mode detail", detailShown, detailHeld, "its query reads");
    else
      Mismatch("its detail", detailShown, detailHeld);
  }
}

// FUZZ_TRACE=1 in the environment lists the steps as they run.
bool Tracing() {
  static const bool tracing = std::getenv("FUZZ_TRACE") != nullptr;
  return tracing;
}

// The detail of a master row: the one of the row the input names when it is expanded,
// else the focused row's, expanded first.
TcxDBDataController* DetailOf(TFuzzMaster* m, uint8_t ARow) {
  const Integer rows = m->GetRowCount();
  if (rows <= 0) return nullptr;
  TWeakLink self(m);
  Integer record = m->GetRowInfo(Integer(ARow) % rows).RecordIndex;
  if (record < 0 || !m->GetDetailExpanding(record)) record = m->GetFocusedRecordIndex();
  if (!self.Alive() || record < 0 || record >= m->GetRecordCount()) return nullptr;
  if (!m->GetDetailExpanding(record)) {
    m->ChangeDetailExpanding(record, true);
    if (!self.Alive() || record >= m->GetRecordCount()) return nullptr;
  }
  if (Tracing()) std::fprintf(stderr, "  (the detail of master record %d)\n", int(record));
  return static_cast<TcxDBDataController*>(m->GetDetailDataController(record, 0));
}

void ControllerStep(TcxDBDataController* c, uint8_t op, FuzzBytes& in) {
  const Integer rows = c->GetRowCount();
  const Integer row = rows > 0 ? Integer(in.U8()) % rows : 0;
  switch (op % 12) {
    case 0:
      c->ChangeFocusedRowIndex(row);
      break;
    case 1:
      c->Edit();
      break;
    case 2: {
      const Integer item = Integer(in.U8()) % c->GetItemCount();
      c->SetEditValue(item, SmallValue(in), TcxDataEditValueSource::evsValue);
      break;
    }
    case 3:
      c->PostEditing();
      break;
    case 4:
      c->Cancel();
      break;
    case 5:
      c->Insert();
      break;
    case 6:
      c->Append();
      break;
    case 7:
      c->DeleteFocused();
      break;
    case 8:
      c->GotoNext();
      break;
    case 9:
      c->GotoPrev();
      break;
    case 10:
      c->Refresh();
      break;
    default:
      c->LocateByKey(SmallValue(in));
      break;
  }
}

// Whether the data set's next record is inserted, not appended: the byte of its ID (whose
// value is the byte modulo 9) tells, by ten of the 29 values of the byte divided by 9; the
// inputs kept before give none of them there, and go on meaning what they did.
bool BegunByInsert(const FuzzBytes& in) {
  constexpr uint32_t kInserting = 1u << 5 | 1u << 6 | 1u << 9 | 1u << 10 | 1u << 14 | 1u << 18 |
                                  1u << 19 | 1u << 20 | 1u << 23 | 1u << 24;
  return kInserting >> (in.Peek() / 9) & 1;
}

void DataSetStep(TDataSet* ds, const char* AField, uint8_t op, FuzzBytes& in) {
  switch (op % 8) {
    case 0: {
      TWeakLink alive(ds);
      ds->Edit();
      if (alive.Alive() && ds->State() == TDataSetState::dsEdit)
        cxSetFieldValue(ds->FieldByName(AField), SmallValue(in));
      break;
    }
    case 1: {
      // A record begun straight on the data set, with any ID (one other records have, or
      // none) and master key: appended, or inserted where the data set stands.
      TWeakLink alive(ds);
      if (BegunByInsert(in))
        ds->Insert();
      else
        ds->Append();
      if (alive.Alive() && ds->State() == TDataSetState::dsInsert) {
        cxSetFieldValue(ds->FieldByName("ID"), SmallValue(in));
        cxSetFieldValue(ds->FieldByName(AField), SmallValue(in));
      }
      break;
    }
    case 2:
      ds->Post();
      break;
    case 3:
      ds->Delete();
      break;
    case 4:
      ds->Cancel();
      break;
    case 5:
      ds->Next();
      break;
    case 6:
      ds->Prior();
      break;
    default:
      ds->First();
      break;
  }
}

void Step(TSetup& s, uint8_t op, FuzzBytes& in) {
  TFuzzMaster* m = s.Master();
  if (Tracing()) {
    static const char* const kOn[] = {"master", "master",     "expand",
                                      "detail", "master set", "detail set"};
    static const char* const kControllerOps[] = {"focus",  "edit",   "set value", "post",
                                                 "cancel", "insert", "append",    "delete",
                                                 "next",   "prior",  "refresh",   "locate"};
    static const char* const kSetOps[] = {"edit",   "append", "post",  "delete",
                                          "cancel", "next",   "prior", "first"};
    const uint8_t sub = op / 6;
    std::fprintf(stderr, "step: %s %s\n", kOn[op % 6],
                 op % 6 == 2   ? (op & 64 ? "in" : "out")
                 : op % 6 >= 4 ? (sub % 8 == 1 && BegunByInsert(in) ? "insert" : kSetOps[sub % 8])
                               : kControllerOps[sub % 12]);
  }
  switch (op % 6) {
    case 0:
    case 1:
      if (m) ControllerStep(m, op / 6, in);
      break;
    case 2:
      if (m) {
        const Integer rows = m->GetRowCount();
        if (rows <= 0) break;
        const Integer record = m->GetRowInfo(Integer(in.U8()) % rows).RecordIndex;
        if (record >= 0) m->ChangeDetailExpanding(record, op & 64);
      }
      break;
    case 3:
      if (m) {
        if (TcxDBDataController* d = DetailOf(m, in.U8())) ControllerStep(d, op / 6, in);
      }
      break;
    case 4:
      if (s.MasterSetLink.Alive()) DataSetStep(s.MasterSet, "NAME", op / 6, in);
      break;
    default:
      if (s.DetailSetLink.Alive()) DataSetStep(s.DetailSet, "MID", op / 6, in);
      break;
  }
}

// The first bytes shape the setup: the detail data set's kind, the victim, the records of
// both data sets, the handlers, the countdown and each controller's keys and modes; then
// up to 32 steps.
void MasterDetail(FuzzBytes& in) {
  const uint8_t shape = in.U8();
  TSetup s;
  s.Form = TCustomForm::CreateNew(nullptr);
  s.FormLink.Attach(s.Form);
  s.MasterSet = New<TMemoryDataSet>(s.Form);
  s.MasterSet->FieldDefs().Add("ID", TFieldType::ftInteger);
  s.MasterSet->FieldDefs().Add("NAME", TFieldType::ftInteger);
  AddField<TIntegerField>(s.Form, s.MasterSet, "ID");
  AddField<TIntegerField>(s.Form, s.MasterSet, "NAME");
  const uint8_t kind = shape % 3;
  s.SQLMode = kind == 2;
  s.Positioned = kind == 1;
  TFuzzQuery* query = s.SQLMode ? New<TFuzzQuery>(s.Form) : nullptr;
  s.DetailSet = query ? query : New<TMemoryDataSet>(s.Form);
  s.DetailSet->FieldDefs().Add("ID", TFieldType::ftInteger);
  s.DetailSet->FieldDefs().Add("MID", TFieldType::ftInteger);
  s.DetailSet->FieldDefs().Add("V", TFieldType::ftInteger);
  AddField<TIntegerField>(s.Form, s.DetailSet, "ID");
  AddField<TIntegerField>(s.Form, s.DetailSet, "MID");
  AddField<TIntegerField>(s.Form, s.DetailSet, "V");
  if (query) query->SetKey("MID");
  const int masters = in.U8() % 6;
  for (int i = 1; i <= masters; ++i)
    s.MasterSet->AddRecord({Variant(Integer(i)), Variant(Integer(i * 10))});
  const int details = in.U8() % 9;
  for (int i = 1; i <= details; ++i) {
    const std::vector<Variant> row{Variant(Integer(i)), Variant(Integer(in.U8() % 7)),
                                   Variant(Integer(i * 3))};
    if (query)
      query->AddRow(row);
    else
      s.DetailSet->AddRecord(row);
  }
  s.MasterSource = New<TDataSource>(s.Form);
  s.MasterSource->SetDataSet(s.MasterSet);
  s.DetailSource = New<TDataSource>(s.Form);
  s.DetailSource->SetDataSet(s.DetailSet);
  s.MasterSetLink.Attach(s.MasterSet);
  s.DetailSetLink.Attach(s.DetailSet);
  s.MasterSourceLink.Attach(s.MasterSource);
  s.DetailSourceLink.Attach(s.DetailSource);
  TFreer freer;
  const uint8_t hooks = in.U8();
  if (hooks & 0x40) {
    TDataSet* target = hooks & 0x20 ? static_cast<TDataSet*>(s.DetailSet) : s.MasterSet;
    target->*kEvents[hooks % kEventCount] = {&freer, &TFreer::HDataSet};
  }
  freer.Countdown = 1 + in.U8() % 8;
  std::vector<Owned<TObject>> items;
  try {
    s.MasterSet->Open();
    s.DetailSet->Open();
    const uint8_t masterMode = in.U8();
    auto* master = New<TFuzzMaster>(nullptr);
    s.MasterLink.Attach(master);
    MakeController(s.Form, master, masterMode, items, {"ID", "NAME"});
    if (masterMode & 4) {
      master->DataModeController()->SetGridModeBufferCount(2 + (masterMode >> 5) % 4);
      master->DataModeController()->SetGridMode(true);
    }
    if (masterMode & 8) master->ChangeSortingOrder(1, TcxDataSortOrder::soDescending);
    master->SetDataSource(s.MasterSource);
    const uint8_t detailMode = in.U8();
    auto* pattern = New<TcxDBDataController>(nullptr);
    s.PatternLink.Attach(pattern);
    MakeController(s.Form, pattern, detailMode, items, {"ID", "MID", "V"});
    if (detailMode & 4) pattern->ChangeSortingOrder(2, TcxDataSortOrder::soDescending);
    if (s.Positioned) pattern->DataModeController()->OnDetailFirst = {&freer, &TFreer::DetailFirst};
    pattern->DataModeController()->SetDetailInSQLMode(s.SQLMode);
    pattern->SetDataSource(s.DetailSource);
    pattern->SetMasterKeyFieldNames("ID");
    pattern->SetDetailKeyFieldNames("MID");
    items.emplace_back(New<TObject>());
    pattern->SetMasterRelation(master->Relations()->Add(items.back().get()), -1);
    master->Refresh();
    switch ((shape / 3) % 8) {
      case 0:
        freer.Victim = s.DetailSet;
        break;
      case 1:
        freer.Victim = s.MasterSet;
        break;
      case 2:
        freer.Victim = s.DetailSource;
        break;
      case 3:
        freer.Victim = s.MasterSource;
        break;
      case 4:
        freer.Victim = master;
        break;
      case 5:
        freer.Victim = pattern;
        break;
      case 6:
        freer.Victim = s.Form;
        break;
      default:
        break;
    }
  } catch (const EDatabaseError&) {
  }
  const bool check = shape & 0x80;
  for (int i = 0; i < 32 && in.More() && s.FormLink.Alive(); ++i) {
    try {
      Step(s, in.U8(), in);
    } catch (const EDatabaseError&) {
      // A refused step (no record to edit or delete, say) is the data set's word.
    } catch (const Exception& e) {
      std::fprintf(stderr, "step %d raised: %s\n", i, e.what());
      std::abort();
    }
    if (Tracing() && s.AllAlive() && !s.Master()->IsGridMode()) {
      // Asking for a detail may make it, which runs the handlers: the listing frees nothing.
      TScopedValue<bool> paused(freer.Paused, true);
      TFuzzMaster* m = s.Master();
      std::fprintf(stderr, "  master (focused %d):", int(m->GetFocusedRecordIndex()));
      for (const std::string& r : ControllerRecords(m)) std::fprintf(stderr, " [%s]", r.c_str());
      std::fprintf(stderr, "\n  master set:");
      if (s.MasterSet->Active())
        for (const std::string& r : DataSetRecords(s.MasterSet, {"ID", "NAME"}, nullptr, Variant()))
          std::fprintf(stderr, " [%s]", r.c_str());
      std::fprintf(stderr, " state %d\n", int(s.MasterSet->State()));
      std::fprintf(stderr, "  detail set:");
      if (s.DetailSet->Active())
        for (const std::string& r : DataSetRecords(s.DetailSet, {"ID", "MID", "V"}, nullptr, Variant()))
          std::fprintf(stderr, " [%s]", r.c_str());
      std::fprintf(stderr, " state %d\n", int(s.DetailSet->State()));
      if (query && s.DetailSetLink.Alive()) {
        std::fprintf(stderr, "  query's table:");
        for (int k = -1; k < 8; ++k)
          for (const std::string& t : query->Reads(k < 0 ? Null() : Variant(Integer(k))))
            std::fprintf(stderr, " [%s]", t.c_str());
        std::fprintf(stderr, "\n");
      }
      for (Integer r = 0; r < m->GetRecordCount(); ++r) {
        if (!m->GetDetailExpanding(r)) continue;
        if (TcxCustomDataController* d = m->GetDetailDataController(r, 0)) {
          std::fprintf(stderr, "  detail of %d:", int(r));
          for (const std::string& t : ControllerRecords(d)) std::fprintf(stderr, " [%s]", t.c_str());
          std::fprintf(stderr, "\n");
        }
      }
    }
    if (check) {
      freer.Paused = true;
      Check(s);
      freer.Paused = false;
    }
  }
  freer.Victim = nullptr;
  if (s.FormLink.Alive()) s.Form->Free();
}

}  // namespace

TL_DEFINE_CLASS(TFuzzQuery)

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzEnvironment<Platform>();
  RunLeavingNoWindow([&] {
    FuzzBytes in(data, size);
    MasterDetail(in);
  });
  return 0;
}
