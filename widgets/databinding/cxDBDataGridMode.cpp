// Grid mode: the controller's records are the rows of the data link's window over the
// data set, read where they stand; navigation, bookmarks, the selection and the search
// move the data set itself instead of loading it.
#include "widgets/databinding/cxDBData.h"

#include "classlib/core/ScopeGuards.h"
#include "widgets/databinding/cxDBDataGuards.h"

#include <algorithm>
#include <climits>
#include <limits>

using namespace cxDBDataGuards;
using enum TcxDataChange;
using enum TcxDataControllerChange;
using enum TDataSetState;

namespace {

const TResStringRec cxSDBNotGridMode = {63211, "DataController not in GridMode"};

// A record index past every window: while the provider searches or inserts, reading it
// reads the data set's current record, wherever that is.
constexpr Integer kCurrentRecord = INT_MAX;

TField* BoundField(TcxCustomDataField* AField) {
  auto* f = dynamic_cast<TcxDBDataField*>(AField);
  return f ? f->Field() : nullptr;
}

}  // namespace

// ---- The provider's window ----

Integer TcxDBDataProvider::GridModeBufferSize() const {
  const TcxDBDataController* c = DBDataController();
  const Integer count = c->DataModeController()->GridModeBufferCount();
  return count > 0 ? count : c->GetDefaultGridModeBufferCount();
}

TBookmarkStr TcxDBDataProvider::GetRowBookmark(Integer ARecordIndex) const {
  TDataSet* ds = DataSet();
  if (!ds || !FDataLink->Active() || ARecordIndex < 0 || ARecordIndex >= FDataLink->RecordCount()) return {};
  auto active = ActiveRecordKept(FDataLink);
  FDataLink->SetActiveRecord(ARecordIndex);
  return ds->Bookmark();
}

bool TcxDBDataProvider::WindowRecordsChanged() {
  std::vector<TBookmarkStr> rows;
  if (DBDataController()->HasRelations() && FDataLink->Active())
    for (Integer r = 0; r < FDataLink->RecordCount(); ++r) rows.push_back(GetRowBookmark(r));
  bool changed = rows.size() != FWindowBookmarks.size();
  for (size_t r = 0; !changed && r < rows.size(); ++r)
    changed = rows[r].empty() || CompareBookmarks(rows[r], FWindowBookmarks[r]) != 0;
  FWindowBookmarks.swap(rows);
  return changed;
}

void TcxDBDataProvider::UpdateGridModeBuffer() {
  if (FDataLink->Active() && IsGridMode()) {
    TcxDataStorage* storage = DBDataController()->DataStorage();
    // Reading more records into the window runs the data set's handlers, which may free
    // the data set or the controller.
    TStepWatch<TcxDBDataProvider> watch(this, DataSet());
    FDataLink->SetBufferCount(GridModeBufferSize());
    if (!watch.ProviderAlive()) return;
    if (!watch.Alive()) {
      inherited::UpdateGridModeBuffer();
      return;
    }
    // The storage holds no values here, only one record per row of the window. Its
    // internal records stay: an edit under way keeps its saved record there (and the
    // new-item row its own), and lets it go itself when the edit ends.
    storage->Clear(true);
    storage->SetRecordCount(FDataLink->RecordCount());
    FCurrentRecordIndex = FDataLink->ActiveRecord();
    WindowRecordsChanged();
    // The focus follows the data set's current record into the new window.
    DBDataController()->ResetFocusing();
  }
  inherited::UpdateGridModeBuffer();
}

void TcxDBDataProvider::RefreshGridModeBuffer() {
  if (!FDataLink->Active() || !IsGridMode()) return;
  TcxDBDataController* c = DBDataController();
  const Integer before = c->GetRecordCount();
  TStepWatch<TcxDBDataProvider> watch(this, DataSet());
  FDataLink->SetBufferCount(GridModeBufferSize());
  // A data set that a handler freed as the window was read has taken the rows with it.
  if (!watch.Alive()) return;
  FCurrentRecordIndex = FDataLink->ActiveRecord();
  if (before == FDataLink->RecordCount() && !IsInserting()) {
    // The same number of rows: their values are read where they stand, so only the rows
    // are painted again and the focus follows the data set's current record.
    DataChanged(dcRecord, -1, -1);
    c->ResetFocusing();
    // A record deleted, or the data set gone elsewhere, without a scroll: the rows show
    // other records, and their details are of the records that were there (as after a
    // scroll). A record changed in place keeps its row and its details.
    if (WindowRecordsChanged() && c->HasRelations()) c->CollapseDetails();
  } else {
    DataChanged(dcTotal, -1, -1);
  }
}

namespace {

void RefreshWindows(const std::vector<TcxDBDataProvider*>& AProviders) {
  for (TcxDBDataProvider* p : AProviders)
    if (p->DataLink() && p->DataLink()->Active() && p->IsGridMode() && !p->IsFrozen()) {
      auto bracket = UpdateBracket(p->DBDataController());
      p->RefreshGridModeBuffer();
    }
}

}  // namespace

void TcxDBDataProvider::RefreshOtherWindows() { RefreshWindows(OtherProviders()); }

void TcxDBDataProvider::SetLinkDataSource(TDataSource* Value) {
  const std::vector<TcxDBDataProvider*> left = OtherProviders();
  FDataLink->SetDataSource(Value);
  RefreshWindows(left);
  RefreshOtherWindows();
}

void TcxDBDataProvider::GridModeDataSetChanged() {
  TcxDBDataController* c = DBDataController();
  TWatchedValue<bool> guard(this, FInGridModeChange, true);
  auto bracket = UpdateBracket(c);
  TWeakLink self(this);  // reading the window runs the data set's handlers
  RefreshGridModeBuffer();
  if (!self.Alive()) return;
  // A bookmark of a record that is gone is dropped, never followed later.
  if (c->IsMultiSelect()) c->DBSelection()->DropInvalidBookmarks();
  if (!self.Alive()) return;
  c->CheckBookmark(-1);
  if (!self.Alive()) return;
  TDataSet* ds = DataSet();
  if (ds && ds->State() == dsInsert) InsertFromDataSet();
}

Variant TcxDBDataProvider::GetGridModeValue(Integer ARecordIndex, TcxCustomDataField* AField) {
  TField* field = BoundField(AField);
  if (!field) return inherited::GetGridModeValue(ARecordIndex, AField);
  if (ARecordIndex >= 0 && ARecordIndex < FDataLink->RecordCount()) {
    auto active = ActiveRecordKept(FDataLink);
    FDataLink->SetActiveRecord(ARecordIndex);
    return field->IsNull() ? Null() : field->Value();
  }
  if (IsInserting() || FSearching) return field->IsNull() ? Null() : field->Value();
  return Null();
}

String TcxDBDataProvider::GetGridModeDisplayText(Integer ARecordIndex, TcxCustomDataField* AField) {
  TField* field = BoundField(AField);
  if (!field) return inherited::GetGridModeDisplayText(ARecordIndex, AField);
  if (ARecordIndex >= 0 && ARecordIndex < FDataLink->RecordCount()) {
    auto active = ActiveRecordKept(FDataLink);
    FDataLink->SetActiveRecord(ARecordIndex);
    return field->DisplayText();
  }
  if (IsInserting() || FSearching) return field->DisplayText();
  return String();
}

void TcxDBDataProvider::Scroll(Integer ADistance) {
  if (!IsGridMode() || ADistance == 0 || !IsActive()) return;
  TDataSet* ds = DataSet();
  const Integer active = FDataLink->ActiveRecord();
  TStepWatch<TcxDBDataProvider> watch(this, ds);  // the scroll handlers may free either
  // Past the first (or last) row of the window, so that the window itself moves by
  // ADistance records; in 64 bits, so that the widest distances reach the ends.
  const Int64 distance = ADistance < 0 ? Int64(ADistance) - active
                                       : Int64(ADistance) + (FDataLink->RecordCount() - active - 1);
  ds->MoveBy(Integer(std::clamp<Int64>(distance, std::numeric_limits<Integer>::min(),
                                       std::numeric_limits<Integer>::max())));
  if (!watch.Alive()) return;
  TcxDBDataController* c = DBDataController();
  c->UpdatePrevSelection();
  c->SetFocusedSelected(true);
}

void TcxDBDataProvider::DeleteSelection() {
  TcxDBDataController* c = DBDataController();
  if (!IsGridMode()) {
    inherited::DeleteSelection();
    return;
  }
  TDataSet* ds = DataSet();
  if (!ds) return;
  TcxDBDataSelection* selection = c->DBSelection();
  // Each step runs the data set's handlers, which may free the data set, its source or the
  // controller: the deleting stops there.
  TStepWatch<TcxDBDataProvider> watch(this, ds);
  auto controls = ControlsDisabled(ds);
  for (Integer i = selection->BookmarkCount() - 1; i >= 0; --i) {
    const TBookmarkStr bookmark = selection->Bookmarks(i);
    // A record that is gone already is not looked for: only its entry goes.
    const bool valid = IsBookmarkValid(bookmark);
    if (!watch.Alive()) return;
    if (valid) {
      ds->GotoBookmark(bookmark);
      if (!watch.Alive()) return;
      ds->Delete();
      if (!watch.Alive()) return;
    }
    selection->DeleteBookmark(i);
  }
}

// ---- The search ----

bool TcxDBDataProvider::GridModeSearch(const String& AText, bool AForward, bool AIsNext) {
  TDataSet* ds = DataSet();
  TcxDBDataController* c = DBDataController();
  TcxCustomDataField* field = c->Search()->SearchField();
  if (!ds || !field || IsEditing() || !ds->Active() || (ds->Bof() && ds->Eof())) return false;
  auto matches = [&] {
    TWatchedValue<bool> searching(this, FSearching, true);
    return cxTextMatches(c->GetDisplayText(kCurrentRecord, field), AText, true);
  };
  // Each step runs the data set's handlers, which may free the data set, its source or the
  // controller (a text handler too, as each record is compared): the search ends there,
  // with nothing found.
  TStepWatch<TcxDBDataProvider> watch(this, ds);
  const bool here = !AIsNext && matches();
  if (!watch.Alive()) return false;
  if (here) {
    c->ResetFocusing();
    return true;
  }
  bool found = false;
  {
    auto freeze = Frozen(this);
    if (!watch.Alive()) return false;  // the cancel of a pending edit ran handlers
    SavePosition();
    const TBookmarkStr saved = FSavedBookmark;
    TBookmarkStr start;
    Integer wraps = 0;
    // One step on; false when the search ends at the data set's end.
    auto step = [&]() -> bool {
      if (AForward)
        ds->Next();
      else
        ds->Prior();
      if (!watch.Alive()) return false;
      if (!(AForward ? ds->Eof() : ds->Bof())) return true;
      start = saved;
      // Without a start to come back to, a second wrap would go round for ever: the
      // whole data set has been searched by then.
      if (AIsNext || ++wraps > 1) return false;
      if (AForward)
        ds->First();
      else
        ds->Last();
      return watch.Alive();
    };
    try {
      // The walk ends where step() ends it, not at the data set's EOF flag: Last, the
      // wrap of a backward search, sets that flag too.
      bool go = !AIsNext || step();
      while (go) {
        if (!start.empty() && CompareBookmarks(ds->Bookmark(), start) == 0) break;
        if (matches()) {
          found = true;
          break;
        }
        if (!watch.Alive()) break;
        go = step();
      }
      if (!found && watch.Alive()) RestorePosition();
    } catch (...) {  // written out: a record found stays, an error goes back
      if (watch.Alive()) RestorePosition();
      throw;
    }
  }
  if (!watch.Alive()) return false;
  if (found) {
    c->UpdatePrevSelection();
    c->Change({dccLayout});
  }
  return found;
}

// ---- The controller's grid mode ----

bool TcxDBDataController::IsGridMode() const { return Provider() && DBProvider()->IsGridMode(); }

Integer TcxDBDataController::GetActiveRecordIndex() const {
  if (IsGridMode()) return DBProvider()->DataLink()->ActiveRecord();
  return inherited::GetActiveRecordIndex();
}

bool TcxDBDataController::IsGridModeChangePending() const {
  return inherited::IsGridModeChangePending() || FChangingBufferCount;
}

void TcxDBDataController::GridModeBufferCountChanged() {
  if (!IsGridMode()) return;
  TScopedValue<bool> changing(FChangingBufferCount, true);
  {
    auto bracket = UpdateBracket(this);
    DBProvider()->RefreshGridModeBuffer();
  }
  DBProvider()->RefreshOtherWindows();
}

bool TcxDBDataController::IsLookupLocked() const {
  if (inherited::IsLookupLocked()) return true;
  TDataSet* ds = DataSet();
  return IsGridMode() && ds && ds->State() == dsInsert;
}

bool TcxDBDataController::GridModeSearch(const String& AText, bool AForward, bool AIsNext) {
  bool found;
  TWeakLink self(this);  // the search runs the data set's handlers, which may free this controller
  {
    auto lock = WatchedPairedCall(
        this, [this] { Search()->Lock(); }, [this] { Search()->Unlock(); });
    found = DBProvider()->GridModeSearch(AText, AForward, AIsNext);
    if (!self.Alive()) return false;
  }
  return found;
}

Variant TcxDBDataController::GetRowId(Integer ARowIndex) const {
  const TcxRowInfo info = GetRowInfo(ARowIndex);
  if (IsGridMode()) return Variant(String(DBProvider()->GetRowBookmark(info.RecordIndex)));
  return GetRecordId(info.RecordIndex);
}

// ---- Bookmark: one remembered record of the data set ----

bool TcxDBDataController::IsBookmarkAvailable() const {
  if (IsGridMode()) return !FGridBookmark.empty();
  return inherited::IsBookmarkAvailable();
}

bool TcxDBDataController::IsBookmarkRow(Integer ARowIndex) const {
  if (!IsGridMode()) return inherited::IsBookmarkRow(ARowIndex);
  if (!IsBookmarkAvailable() || !DataSet() || ARowIndex < 0 || ARowIndex >= GetRowCount()) return false;
  const TBookmarkStr row = DBProvider()->GetRowBookmark(GetRowInfo(ARowIndex).RecordIndex);
  return !row.empty() && DBProvider()->CompareBookmarks(FGridBookmark, row) == 0;
}

bool TcxDBDataController::IsBookmarkInvalid(Integer ARecordIndex) const {
  if (!IsGridMode()) return inherited::IsBookmarkInvalid(ARecordIndex);
  if (FGridBookmark.empty()) return false;
  return !DataSet() || !DBProvider()->IsBookmarkValid(FGridBookmark);
}

void TcxDBDataController::CheckBookmark(Integer ARecordIndex) {
  if (!IsGridMode()) {
    inherited::CheckBookmark(ARecordIndex);
    return;
  }
  TWeakLink self(this);  // asking runs the data set's filter, whose handler may free this
  const bool drop = IsBookmarkInvalid(ARecordIndex);
  if (!self.Alive() || !drop) return;
  FGridBookmark.clear();
  Change({dccBookmark});
}

void TcxDBDataController::ClearBookmark() {
  const bool had = !FGridBookmark.empty();
  FGridBookmark.clear();
  if (had) Change({dccBookmark});
  inherited::ClearBookmark();
}

void TcxDBDataController::GotoBookmark() {
  if (!IsGridMode()) {
    inherited::GotoBookmark();
    return;
  }
  TDataSet* ds = DataSet();
  if (!ds || FGridBookmark.empty()) return;
  // Asking runs the data set's filter, and moving its scroll handlers: either may free the
  // data set, its source or this controller.
  TStepWatch<TcxDBDataProvider> watch(DBProvider(), ds);
  const bool valid = DBProvider()->IsBookmarkValid(FGridBookmark);
  if (!watch.Alive()) return;
  // A record that is gone is not looked for: the bookmark goes instead.
  if (!valid) {
    ClearBookmark();
    return;
  }
  ds->GotoBookmark(TBookmarkStr(FGridBookmark));
  if (watch.Alive()) UpdatePrevSelection();
}

bool TcxDBDataController::SaveBookmark() {
  if (!IsGridMode()) return inherited::SaveBookmark();
  TDataSet* ds = DataSet();
  if (!ds || !ds->BookmarkAvailable()) return false;
  const TBookmarkStr current = ds->Bookmark();
  if (!FGridBookmark.empty() && DBProvider()->CompareBookmarks(FGridBookmark, current) == 0) return false;
  FGridBookmark = current;
  Change({dccBookmark});
  return true;
}

// ---- Selection and iteration by bookmarks ----

TcxDataSelectionClass TcxDBDataController::GetDataSelectionClass() const {
  return ClassOf<TcxDBDataSelection, TcxDataSelection, TcxCustomDataController*>();
}

TcxDBDataSelection* TcxDBDataController::DBSelection() const {
  return static_cast<TcxDBDataSelection*>(DataControllerInfo()->Selection());
}

TBookmarkStr TcxDBDataController::GetSelectedBookmark(Integer AIndex) const {
  if (!IsGridMode()) cxDataControllerError(cxSDBNotGridMode);
  if (!IsMultiSelect()) {
    const Integer row = GetFocusedRowIndex();
    return row >= 0 ? DBProvider()->GetRowBookmark(GetRowInfo(row).RecordIndex) : TBookmarkStr();
  }
  const TcxDBDataSelection* selection = DBSelection();
  return AIndex >= 0 && AIndex < selection->BookmarkCount() ? selection->Bookmarks(AIndex) : TBookmarkStr();
}

TBookmarkStr TcxDBDataController::GetSelectionAnchorBookmark() const {
  if (!IsGridMode()) cxDataControllerError(cxSDBNotGridMode);
  return DBSelection()->AnchorBookmark();
}

Integer TcxDBDataController::GetSelectedRowIndex(Integer AIndex) const {
  if (!IsGridMode() || !IsMultiSelect()) return inherited::GetSelectedRowIndex(AIndex);
  const TcxDBDataSelection* selection = DBSelection();
  const Integer rows = GetRowCount();
  if (AIndex < 0 || AIndex >= selection->BookmarkCount() || rows == 0) return -1;
  const TBookmarkStr& wanted = selection->Bookmarks(AIndex);
  TcxDBDataProvider* p = DBProvider();
  auto rowBookmark = [&](Integer ARow) { return p->GetRowBookmark(GetRowInfo(ARow).RecordIndex); };
  // A record outside the window has no row.
  if (p->CompareBookmarks(rowBookmark(0), wanted) > 0 || p->CompareBookmarks(wanted, rowBookmark(rows - 1)) > 0)
    return -1;
  for (Integer r = 0; r < rows; ++r)
    if (p->CompareBookmarks(rowBookmark(r), wanted) == 0) return r;
  return -1;
}

bool TcxDBDataController::FocusSelectedRow(Integer AIndex) {
  if (!IsGridMode()) return inherited::FocusSelectedRow(AIndex);
  TDataSet* ds = DataSet();
  if (!ds) return false;
  const TBookmarkStr bookmark = GetSelectedBookmark(AIndex);
  // Asking runs the data set's filter, whose handler may free the data set or this.
  TStepWatch<TcxDBDataProvider> watch(DBProvider(), ds);
  const bool valid = DBProvider()->IsBookmarkValid(bookmark);
  if (!watch.Alive() || !valid) return false;
  ds->GotoBookmark(bookmark);
  return watch.Alive();
}

void TcxDBDataController::SelectAll() {
  if (IsGridMode())
    DBSelection()->SelectAll();
  else
    inherited::SelectAll();
}

void TcxDBDataController::SetSelectionAnchor(Integer ARowIndex) {
  if (!IsGridMode()) {
    inherited::SetSelectionAnchor(ARowIndex);
    return;
  }
  DataControllerInfo()->CheckRowIndex(ARowIndex);
  DBSelection()->SetAnchorBookmark(DBProvider()->GetRowBookmark(GetRowInfo(ARowIndex).RecordIndex));
}

Integer TcxDBDataController::GetSelectionAnchorRowIndex() const {
  return IsGridMode() ? -1 : inherited::GetSelectionAnchorRowIndex();
}

bool TcxDBDataController::IsSelectionAnchorAssigned() const {
  if (IsGridMode()) return !DBSelection()->AnchorBookmark().empty();
  return inherited::IsSelectionAnchorAssigned();
}

void TcxDBDataController::SelectFromAnchor(Integer ARowIndex, bool AKeepSelection) {
  if (!IsGridMode()) {
    inherited::SelectFromAnchor(ARowIndex, AKeepSelection);
    return;
  }
  DataControllerInfo()->CheckRowIndex(ARowIndex);
  if (DBSelection()->AnchorBookmark().empty()) return;
  DBSelection()->SelectFromAnchor(DBProvider()->GetRowBookmark(GetRowInfo(ARowIndex).RecordIndex), AKeepSelection);
}

void TcxDBDataController::ForEachRow(bool ASelectedOnly, const TcxDBDataRowProc& AProc) {
  if (!AProc) return;
  if (!IsGridMode()) {
    TcxCustomDataController::ForEachRow(ASelectedOnly, AProc);
    return;
  }
  TDataSet* ds = DataSet();
  if (!ds) return;
  // The focused row follows the data set's current record as it moves.
  auto visit = [&] {
    const Integer row = GetFocusedRowIndex();
    AProc(row, row >= 0 ? GetRowInfo(row) : TcxRowInfo());
  };
  if (ASelectedOnly) {
    if (!IsMultiSelect()) {
      visit();
      return;
    }
    // A copy: AProc may change the selection.
    std::vector<TBookmarkStr> bookmarks;
    for (Integer i = 0; i < DBSelection()->BookmarkCount(); ++i) bookmarks.push_back(DBSelection()->Bookmarks(i));
    // The data set's handlers, and AProc, may free the data set, its source or this
    // controller on the way: the walk ends there.
    TStepWatch<TcxDBDataProvider> watch(DBProvider(), ds);
    for (const TBookmarkStr& b : bookmarks) {
      const bool valid = DBProvider()->IsBookmarkValid(b);
      if (!watch.Alive()) return;
      if (!valid) continue;
      ds->GotoBookmark(b);
      if (!watch.Alive()) return;
      visit();
      if (!watch.Alive()) return;
    }
    return;
  }
  TStepWatch<TcxDBDataProvider> watch(DBProvider(), ds);
  for (ds->First(); watch.Alive() && !ds->Eof(); ds->Next()) {
    visit();
    if (!watch.Alive()) return;
  }
}
