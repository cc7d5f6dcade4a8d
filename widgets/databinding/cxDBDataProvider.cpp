// The data-set provider: moving and editing on the data set, the data link's notices, the
// mode switches, and the coordination of several providers on one data set (deletions are in
// cxDBDataDeleting.cpp).
#include "widgets/databinding/cxDBData.h"

#include "classlib/core/ScopeGuards.h"
#include "widgets/databinding/cxDBDataGuards.h"

#include <algorithm>
#include <deque>
#include <functional>

using enum TcxDataChange;
using enum TcxDataControllerChange;
using enum TDataSetState;

namespace {
using namespace cxDBDataGuards;

// Every data-set provider of the program, so that one can ask about the others bound to
// the same data set. Never destroyed: a controller held by a static object is freed after
// the function statics made later than it, and must still find the list.
std::vector<TcxDBDataProvider*>& Providers() {
  static auto* list = new std::vector<TcxDBDataProvider*>;
  return *list;
}

bool InEditState(const TDataSet* ADataSet) { return ADataSet && IsEditState(ADataSet->State()); }

// A data set a handler freed stays in memory until the operation that ran the handler
// returns, and moves no more meanwhile: a walk over it ends at once.
bool Freed(const TDataSet* ADataSet) {
  return ADataSet->InState(TComponentStateItem::csDestroying);
}

// How many key values AValue holds: the length of an array, 1 for a plain value (Null
// included: a key may be null), 0 for Unassigned.
Integer KeyValueCount(const Variant& AValue) {
  if (VarIsEmpty(AValue)) return 0;
  if (VarIsArray(AValue)) return VarArrayHighBound(AValue, 1) - VarArrayLowBound(AValue, 1) + 1;
  return 1;
}

}  // namespace

// ---- TcxDBDataModeController ----

void TcxDBDataModeController::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TcxDBDataModeController*>(Source);
  if (!src) {
    inherited::Assign(Source);
    return;
  }
  FDetailInSQLMode = src->FDetailInSQLMode;
  FDetailSyncEnabled = src->FDetailSyncEnabled;
  SetGridMode(src->FGridMode);
  SetGridModeBufferCount(src->FGridModeBufferCount);
  SetSmartRefresh(src->FSmartRefresh);
  FSyncInsert = src->FSyncInsert;
  SetSyncMode(src->FSyncMode);
  OnDetailFirst = src->OnDetailFirst;
  OnDetailIsCurrentQuery = src->OnDetailIsCurrentQuery;
}

void TcxDBDataModeController::SetGridMode(bool Value) {
  if (FGridMode == Value) return;
  const bool was = FDataController->IsGridMode();
  FGridMode = Value;
  if (FDataController->IsGridMode() == was) return;
  // Rows selected in one mode name nothing in the other (rows of the storage against
  // records of the data set by bookmark).
  FDataController->DataControllerInfo()->Selection()->Reset();
  FDataController->UpdateStructure();
}

void TcxDBDataModeController::SetGridModeBufferCount(Integer Value) {
  Value = std::max<Integer>(Value, 0);
  if (FGridModeBufferCount == Value) return;
  FGridModeBufferCount = Value;
  FDataController->GridModeBufferCountChanged();
}

void TcxDBDataModeController::SetSmartRefresh(bool Value) {
  if (FSmartRefresh == Value) return;
  FSmartRefresh = Value;
  if (!FDataController->IsGridMode()) FDataController->DBProvider()->DataScrolled(0);
}

void TcxDBDataModeController::SetSyncMode(bool Value) {
  if (FSyncMode == Value) return;
  FSyncMode = Value;
  if (FDataController->DBProvider()->IsActive()) FDataController->DBProvider()->DataScrolled(0);
}

// ---- TcxDBDataLink ----

TcxDBDataLink::TcxDBDataLink(TcxDBDataProvider* AProvider) : FProvider(AProvider) { SetVisualControl(true); }

void TcxDBDataLink::ActiveChanged() {
  TcxDBDataProvider* p = FProvider;
  // Reading the records runs the data set's handlers, which may free the controller.
  TWeakLink alive(p);
  {
    TWatchedValue<bool> guard(p, p->FInActivation, true);
    p->ActiveChanged(Active());
  }
  if (!alive.Alive()) return;
  TcxDBDataController* c = p->DBDataController();
  if (c->IsLoading()) c->SetLoadedOnce();
  p->FInsertSeen = DataSet() && DataSet()->State() == dsInsert;
}

void TcxDBDataLink::DataSetChanged() {
  FProvider->NotePostedRecord();
  FProvider->DoDataSetChanged();
}

void TcxDBDataLink::DataSetScrolled(Integer ADistance) { FProvider->DataScrolled(ADistance); }

void TcxDBDataLink::EditingChanged() {
  FProvider->NotePostedRecord();
  FProvider->DoEditingChanged();
}

void TcxDBDataLink::FocusControl(TField*& AField) {
  TcxDBDataController* c = FProvider->DBDataController();
  if (!AField) return;
  for (Integer i = 0; i < c->GetItemCount(); ++i) {
    if (c->GetItemDataSetField(i) != AField) continue;
    // Only a control that took the focus ends the search; otherwise the field stays for
    // the data set's other links.
    bool done = false;
    c->FocusControl(i, done);
    if (done) AField = nullptr;
    return;
  }
}

void TcxDBDataLink::LayoutChanged() { FProvider->LayoutChanged(3); }

void TcxDBDataLink::RecordChanged(TField*) { FProvider->RecordChanged(); }

void TcxDBDataLink::UpdateData() {
  TcxDBDataProvider* p = FProvider;
  p->NotifyUpdateData();
  // Reading the edited record again runs the text handlers, which may free the controller
  // with this link and its provider.
  TWeakLink self(p);
  if (p->IsSmartRefreshActive()) p->RecordChanged();
  if (self.Alive()) p->ResetChanging();
}

// ---- TcxDBDataAssignedFields ----

void TcxDBDataAssignedFields::AddField(TField* AField) {
  if (AField && !Contains(AField)) FFields.push_back(AField);
}

void TcxDBDataAssignedFields::AddFields(const std::vector<TField*>& AFields) {
  for (TField* f : AFields) AddField(f);
}

void TcxDBDataAssignedFields::AddFieldsByName(TDataSet* ADataSet, const String& AFieldNames) {
  if (!ADataSet) return;
  std::vector<TField*> fields;
  ADataSet->GetFieldList(fields, AFieldNames);
  AddFields(fields);
}

bool TcxDBDataAssignedFields::Contains(TField* AField) const {
  return std::find(FFields.begin(), FFields.end(), AField) != FFields.end();
}

// ---- TcxDBDataProvider ----

TcxDBDataProvider::TcxDBDataProvider(TcxCustomDataController* ADataController)
    : TcxCustomDataProvider(ADataController) {
  FAssignedFields = New<TcxDBDataAssignedFields>();
  FDataLink = New<TcxDBDataLink>(this);
  Providers().push_back(this);
}

void TcxDBDataProvider::BeforeDestruction() {
  for (TcxDBDataProvider* p : Providers()) {
    auto it = std::find(p->FPending.begin(), p->FPending.end(), this);
    if (it != p->FPending.end()) p->FPending.erase(it);
  }
  FPending.clear();
  ReleaseFrozenControls();
  if (FDataLink) SetLinkDataSource(nullptr);
  FreeAndNil(FDataLink);
  auto& list = Providers();
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
  FreeAndNil(FAssignedFields);
  inherited::BeforeDestruction();
}

TcxDBDataController* TcxDBDataProvider::DBDataController() const {
  return static_cast<TcxDBDataController*>(DataController());
}

TDataSet* TcxDBDataProvider::DataSet() const { return FDataLink ? FDataLink->DataSet() : nullptr; }

std::vector<TcxDBDataProvider*> TcxDBDataProvider::OtherProviders() const {
  std::vector<TcxDBDataProvider*> r;
  TDataSet* ds = DataSet();
  if (!ds) return r;
  for (TcxDBDataProvider* p : Providers())
    if (p != this && p->DataSet() == ds) r.push_back(p);
  return r;
}

bool TcxDBDataProvider::IsBusy() const {
  return LockCount() > 0 || IsFrozen() || FInOwnOperation || FInCanInitEditing;
}

bool TcxDBDataProvider::IsSmartRefreshActive() const {
  const TcxDBDataController* c = DBDataController();
  return c->IdentifiesRecordsByKey() && !IsGridMode() && c->DataModeController()->SmartRefresh();
}

// ---- Tests ----

bool TcxDBDataProvider::IsGridMode() const {
  const TcxDBDataController* c = DBDataController();
  const TcxDBDataModeController* modes = c ? c->DataModeController() : nullptr;
  if (!modes || !modes->GridMode()) return false;
  // A data set that only moves forward cannot show a window that scrolls back, and a
  // pattern reads no records at all.
  TDataSet* ds = DataSet();
  if (ds && ds->IsUniDirectional()) return false;
  return c->GetDetailMode() != TcxDataControllerDetailMode::dcdmPattern;
}

bool TcxDBDataProvider::IsGridModeUpdating() const { return FInGridModeChange && IsGridMode(); }

bool TcxDBDataProvider::IsDataSetOpen() const {
  TDataSet* ds = DataSet();
  return ds && ds->State() != dsInactive;
}

bool TcxDBDataProvider::IsDataSetBusy() const {
  for (TcxDBDataProvider* p : OtherProviders())
    if (p->FInOwnOperation) return true;
  return false;
}

bool TcxDBDataProvider::IsSyncMode() const {
  TDataSet* ds = DataSet();
  const TcxDBDataController* c = DBDataController();
  if (!ds || !ds->Active() || ds->IsUniDirectional()) return false;
  if (!IsGridMode() && !c->DataModeController()->SyncMode()) return false;
  if (!c->IsDetail()) return true;
  if (!c->DataModeController()->DetailSyncEnabled()) return false;
  if (c->DataModeController()->DetailInSQLMode()) return IsDetailPositioned();
  return c->IdentifiesRecordsByKey() || IsGridMode();
}

bool TcxDBDataProvider::IsActive() const {
  TDataSet* ds = DataSet();
  return ds && ds->Active() && !ds->ControlsDisabled() && !Freed(ds);
}

bool TcxDBDataProvider::IsDataSetReady() const {
  TDataSet* ds = DataSet();
  return ds && ds->FieldCount() > 0 && (ds->Active() || !ds->DefaultFields());
}

bool TcxDBDataProvider::IsBOF() const {
  TDataSet* ds = DataSet();
  if (!ds) return inherited::IsBOF();
  return ds->Bof() || !FDataLink->Active() || Freed(ds);
}

bool TcxDBDataProvider::IsEditing() const {
  if (FBaseEditState || IsReadOnly()) return inherited::IsEditing();
  return InEditState(DataSet());
}

bool TcxDBDataProvider::IsEOF() const {
  TDataSet* ds = DataSet();
  if (!ds) return inherited::IsEOF();
  if (Freed(ds)) return true;
  const TcxDBDataController* c = DBDataController();
  if (c->IsDetail() && !IsGridMode()) {
    // A detail's records end where no later record holds its master's key values, and the
    // data set stands on one of them until then.
    const Variant& values = c->MasterDetailKeyValues();
    if (VarIsEmpty(values) || ds->Eof() || (FReadingAll && FDetailRecordsEnded)) return true;
    if (InEditState(ds)) return false;
    const std::vector<TField*> keys = c->GetDetailKeyFieldList();
    return keys.empty() || !cxVariantsEqual(cxGetFieldValues(keys), values);
  }
  return ds->Eof() || !FDataLink->Active();
}

bool TcxDBDataProvider::IsInserting() const {
  if (FBaseEditState) return inherited::IsInserting();
  TDataSet* ds = DataSet();
  return ds && ds->State() == dsInsert;
}

bool TcxDBDataProvider::IsModified() const { return inherited::IsModified() || IsDataSetModified(); }

void TcxDBDataProvider::RecordAppended(Integer ARecordIndex) {
  TDataSet* ds = DataSet();
  // With keys too: records that share a key (or have none yet) are told apart by it.
  if (ds && !IsGridMode())
    SetRecordBookmark(ARecordIndex, ds->BookmarkAvailable() ? ds->Bookmark() : TBookmarkStr());
  if (DBDataController()->IdentifiesRecordsByKey() || FSavedBookmark.empty()) return;
  if (ds && ds->BookmarkAvailable() && ds->CompareBookmarks(ds->Bookmark(), FSavedBookmark) == 0)
    FCurrentRecordIndex = ARecordIndex;
}

// ---- Navigation ----

void TcxDBDataProvider::First() {
  TWatchedValue<bool> guard(this, FInFirst, true);
  FFieldsVanished = false;
  FDetailRecordsEnded = false;
  inherited::First();
  TDataSet* ds = DataSet();
  if (!ds) return;
  TcxDBDataController* c = DBDataController();
  if (!c->IsDetail() || IsGridMode()) {
    ds->First();
    return;
  }
  // A copy: the search or the re-opening runs handlers, which may free the controller.
  const Variant values = c->MasterDetailKeyValues();
  // A detail without its master's values stays where it is.
  if (VarIsEmpty(values)) return;
  bool reopened = false;
  TWeakLink self(this);
  c->DataModeController()->DetailFirst(c->GetMasterDetailKeyFieldNames(), values, reopened);
  if (!self.Alive()) return;
  if (reopened) {
    SavePosition();
    FQueryReopened = true;
  }
  SetDetailPositioned(true);
  if (FFieldsVanished) {
    // Re-opening the data set made new fields: this detail and its siblings on the same
    // data set bind to them.
    c->UpdateFields();
    for (TcxDBDataProvider* p : OtherProviders()) {
      TcxDBDataController* other = p->DBDataController();
      if (!other->IsDetail()) continue;
      other->UpdateFields();
      other->Change({dccData});
    }
  }
}

bool TcxDBDataProvider::IsDetailPositioned() const {
  const TcxDBDataController* c = DBDataController();
  if (!(c->IsDetail() && !c->DataModeController()->DetailInSQLMode() && IsSyncMode())) return FDetailPositioned;
  if (FInCanInitEditing) return true;
  bool otherOwn = false, otherInit = false;
  for (TcxDBDataProvider* p : OtherProviders()) {
    otherOwn = otherOwn || p->FInOwnOperation;
    otherInit = otherInit || p->FInCanInitEditing;
  }
  const bool r = FInOwnOperation || ((c->GetFocusedRowIndex() >= 0 || FDetailPositioned) && !otherOwn) ||
                 (c->IsNewItemRowActive() && IsInserting());
  return r && !otherInit;
}

void TcxDBDataProvider::SetDetailPositioned(bool Value) {
  // One detail at a time stands on the shared data set: the others are told first.
  if (Value && !FDetailPositioned) DBDataController()->LeaveSiblingDetails();
  if (FDetailPositioned == Value) return;
  FDetailPositioned = Value;
  DBDataController()->ActiveDetailChanged(Value);
}

bool TcxDBDataProvider::GetDetailHasChildren(Integer ARecordIndex, Integer ARelationIndex) {
  TcxDBDataController* c = DBDataController();
  auto* relation = dynamic_cast<TcxDBDataRelation*>(c->Relations()->GetItem(ARelationIndex));
  auto* detail = relation ? dynamic_cast<TcxDBDataController*>(relation->DetailDataController()) : nullptr;
  if (!detail) return inherited::GetDetailHasChildren(ARecordIndex, ARelationIndex);
  const Variant values = relation->GetMasterRecordKeyValues(ARecordIndex);
  if (c->OnDetailHasChildren) {
    bool has = true;
    c->OnDetailHasChildren(c, ARecordIndex, ARelationIndex, detail->GetMasterDetailKeyFieldNames(), values, has);
    return has;
  }
  if (detail->IsGridMode() || detail->DataModeController()->DetailInSQLMode()) return true;
  TDataSet* ds = detail->DataSet();
  if (!ds || !ds->Active()) return false;
  const String names = detail->GetMasterDetailKeyFieldNames();
  if (names.empty() || VarIsEmpty(values)) return false;
  // A detail editing the data set keeps its record: freezing would cancel the edit and
  // Locate would post it, so the data set is searched without moving.
  if (InEditState(ds)) {
    if (cxGetFieldNameCount(names) != KeyValueCount(values)) return false;
    return !VarIsNull(ds->Lookup(names, values, names));
  }
  TcxDBDataProvider* p = detail->DBProvider();
  bool found = false;
  {
    // The search runs the detail data set's handlers, which may free the detail.
    TStepWatch<TcxDBDataProvider> watch(p, ds);
    auto freeze = Frozen(p);
    if (!watch.Alive()) return false;
    p->SavePosition();
    found = cxDBLocateSafely(ds, names, values);
    if (watch.Alive()) p->RestorePosition();
  }
  return found;
}

void TcxDBDataProvider::Prior() {
  if (TDataSet* ds = DataSet()) ds->Prior();
}

void TcxDBDataProvider::Next() {
  TDataSet* ds = DataSet();
  if (!ds) return;
  TcxDBDataController* c = DBDataController();
  if (FReadingAll && c->IsDetail() && !IsGridMode() && !VarIsEmpty(c->MasterDetailKeyValues())) {
    // Nothing keeps a master's detail records together (an append goes to the end, an
    // insert to wherever the data set stands): the walk goes from one to the next. The
    // search's handlers may free the controller, and this provider with it.
    TWeakLink self(this);
    const bool found =
        cxDBLocateNextSafely(ds, c->GetMasterDetailKeyFieldNames(), c->MasterDetailKeyValues());
    if (self.Alive() && !found) FDetailRecordsEnded = true;
    return;
  }
  ds->Next();
}

void TcxDBDataProvider::Last() {
  if (TDataSet* ds = DataSet()) ds->Last();
}

void TcxDBDataProvider::MoveBy(Integer ADistance) {
  if (TDataSet* ds = DataSet()) ds->MoveBy(ADistance);
}

void TcxDBDataProvider::SavePosition() {
  TDataSet* ds = DataSet();
  if (!ds) return;
  // A data set that only moves forward never comes back to a record: nothing is kept to
  // go back to, and RestorePosition leaves it where the walk ended.
  FSavedBookmark =
      ds->BookmarkAvailable() && !ds->IsUniDirectional() ? ds->Bookmark() : TBookmarkStr();
  FSavedActiveRecord = ds->ActiveRecord();
  FSavedBOF = ds->Bof();
  FSavedEOF = ds->Eof();
}

void TcxDBDataProvider::RestorePosition() {
  TDataSet* ds = DataSet();
  if (!ds || FSavedBookmark.empty()) return;
  // Asking and each move run the data set's filter and scroll handlers, which may free the
  // data set or the controller.
  TStepWatch<TcxDBDataProvider> watch(this, ds);
  const bool valid = IsBookmarkValid(FSavedBookmark);
  if (!watch.Alive() || !valid) return;
  // Copies: a notice that the jump sends may save another position meanwhile.
  const Integer s = FSavedActiveRecord;
  const bool bof = FSavedBOF, eof = FSavedEOF;
  ds->GotoBookmark(TBookmarkStr(FSavedBookmark));
  if (!watch.Alive()) return;
  // The same window of records comes back, with the saved record at its old place.
  const Integer a = ds->ActiveRecord();
  const Integer b = ds->BufferCount();
  if (a < s) {
    ds->MoveBy(-s);
    if (watch.Alive()) ds->MoveBy(s);
  } else if (a > s) {
    ds->MoveBy(b - 1 - s);
    if (watch.Alive()) ds->MoveBy(s - b + 1);
  }
  if (!watch.Alive()) return;
  if (bof && !ds->Bof()) ds->Prior();
  if (!watch.Alive()) return;
  if (eof && !ds->Eof()) ds->Next();
}

// ---- Rights ----

bool TcxDBDataProvider::CanDelete() const {
  TDataSet* ds = DataSet();
  return CanModify() && ds && !ds->IsEmpty();
}

bool TcxDBDataProvider::CanModify() const {
  TDataSet* ds = DataSet();
  return ds && ds->Active() && ds->CanModify() && IsSyncMode();
}

bool TcxDBDataProvider::CanInitEditing(Integer ARecordIndex) {
  if (IsReadOnly()) return inherited::CanInitEditing(ARecordIndex);
  TcxDBDataController* c = DBDataController();
  bool result;
  TWeakLink self(this);  // the data set's edit or insert handlers may free the controller
  {
    TWatchedValue<bool> guard(this, FInCanInitEditing, true);
    if (c->IsNewItemRowActive() && !IsInserting()) {
      Insert();
      result = true;
    } else {
      if (!StandOnRecord(ARecordIndex)) return false;
      result = FDataLink->Edit();
    }
  }
  if (!self.Alive()) return false;
  if (result) {
    SetChanging();
    if (c->IsNewItemRowActive()) c->Change({dccUpdateRecord});
  }
  return result;
}

// ---- Editing ----

template <class F>
void TcxDBDataProvider::OwnOperation(F AOperation) {
  TWatchedValue<bool> guard(this, FInOwnOperation, true);
  TDataSet* ds = DataSet();
  if (!InEditState(ds)) {
    AOperation();
    return;
  }
  // Settling the edit first runs the data set's handlers, which may free the data set, its
  // source or the controller: then the operation is not started.
  TStepWatch<TcxDBDataProvider> watch(this, ds);
  if (!IsSmartRefreshActive()) {
    if (ds->State() == dsInsert) DBDataController()->CheckBrowseState();
    if (watch.Alive() && InEditState(ds)) FDataLink->UpdateRecord();
    if (watch.Alive()) AOperation();
    return;
  }
  auto controls = ControlsDisabled(ds);
  const UInt64 changes = ds->ChangeCount();
  ds->CheckBrowseMode();
  if (!watch.Alive() || !ReconcileEditEnded(ds->ChangeCount() != changes) || !watch.Alive()) return;
  ResetWatch();
  ResetEditing();
  AOperation();
}

void TcxDBDataProvider::Append() {
  OwnOperation([this] {
    if (TDataSet* ds = DataSet()) ds->Append();
  });
}

void TcxDBDataProvider::Insert() {
  // The new record goes in front of the focused one, so the data set stands on that first.
  TcxDBDataController* c = DBDataController();
  const Integer focused = c->GetFocusedRecordIndex();
  if (focused >= 0 && !c->IsNewItemRowActive() && !StandOnRecord(focused)) return;
  TWatchedValue<bool> guard(this, FInOwnInsert, true);
  OwnOperation([this] {
    if (TDataSet* ds = DataSet()) ds->Insert();
  });
}

void TcxDBDataProvider::Edit() {
  if (IsReadOnly()) {
    inherited::Edit();
    return;
  }
  TcxDBDataController* c = DBDataController();
  if (!c->IsNewItemRowActive() && !StandOnRecord(c->GetFocusedRecordIndex())) return;
  if (TDataSet* ds = DataSet()) ds->Edit();
}

void TcxDBDataProvider::Post() {
  if (IsReadOnly()) {
    inherited::Post();
    return;
  }
  if (TDataSet* ds = DataSet()) ds->CheckBrowseMode();
}

void TcxDBDataProvider::Cancel() {
  if (IsReadOnly()) {
    inherited::Cancel();
    return;
  }
  if (IsSmartRefreshActive()) {
    TcxDBDataController* c = DBDataController();
    // The controller's cancel handlers may free it, and this provider with it.
    TWeakLink self(this);
    TWatchedValue<bool> base(this, FBaseEditState, true);
    {
      auto reading = WatchedPairedCall(
          this, [c] { c->BeginReadRecord(); }, [c] { c->EndReadRecord(); });
      inherited::Cancel();
    }
    if (!self.Alive()) return;
  }
  DataSetCancel();
}

void TcxDBDataProvider::UpdateData() { FDataLink->UpdateData(); }

Variant TcxDBDataProvider::GetEditValue(Integer ARecordIndex, TcxCustomDataField* AField,
                                        TcxDataEditValueSource AEditValueSource) {
  auto* f = dynamic_cast<TcxDBDataField*>(AField);
  TField* field = f ? f->Field() : nullptr;
  if (!field) {
    if (AField->IsUnbound()) return inherited::GetEditValue(ARecordIndex, AField, AEditValueSource);
    return Null();
  }
  if (AEditValueSource == TcxDataEditValueSource::evsText) {
    if (field->IsNull() && !field->OnGetText) return Null();
    return Variant(field->Text());
  }
  if (AEditValueSource == TcxDataEditValueSource::evsKey && !field->KeyFields().empty())
    return field->DataSet()->GetFieldValues(field->KeyFields());
  return field->IsNull() ? Null() : field->Value();
}

bool TcxDBDataProvider::SetEditValue(Integer ARecordIndex, TcxCustomDataField* AField, const Variant& AValue,
                                     TcxDataEditValueSource AEditValueSource) {
  auto* f = dynamic_cast<TcxDBDataField*>(AField);
  TField* field = f ? f->Field() : nullptr;
  if (!field) {
    if (AField->IsUnbound()) return inherited::SetEditValue(ARecordIndex, AField, AValue, AEditValueSource);
    return false;
  }
  if (AEditValueSource == TcxDataEditValueSource::evsText || field->OnSetText)
    field->SetText(VarIsNull(AValue) || VarIsEmpty(AValue) ? String() : VarToStr(AValue));
  else if (AEditValueSource == TcxDataEditValueSource::evsKey && !field->KeyFields().empty())
    field->DataSet()->SetFieldValues(field->KeyFields(), AValue);
  else
    cxSetFieldValue(field, AValue);
  return true;
}

void TcxDBDataProvider::SetValue(Integer, TcxCustomDataField* AField, const Variant& AValue) {
  auto* f = dynamic_cast<TcxDBDataField*>(AField);
  TField* field = f ? f->Field() : nullptr;
  if (!field) return;
  if (field->Lookup() && !field->KeyFields().empty()) {
    field->DataSet()->SetFieldValues(field->KeyFields(), AValue);
    FAssignedFields->AddFieldsByName(field->DataSet(), field->KeyFields());
  } else {
    field->SetValue(AValue);
    FAssignedFields->AddField(field);
  }
}

void TcxDBDataProvider::InitInsertedRecord(Integer ARecordIndex, const std::vector<Variant>& AGroupValues) {
  TcxDBDataController* c = DBDataController();
  bool otherOwn = false;
  for (TcxDBDataProvider* p : OtherProviders()) otherOwn = otherOwn || p->FInOwnOperation;
  if (!FInOwnOperation && !FInCanInitEditing && !otherOwn) {
    c->RereadEditingRecord();
    return;
  }
  FAssignedFields->Clear();
  inherited::InitInsertedRecord(ARecordIndex, AGroupValues);
  if (c->IsDetail() && c->Options().Contains(TcxDataControllerOption::dcoAssignMasterDetailKeys)) {
    // A record added through a detail belongs to its master: it gets the master's key
    // values, which count as written by the controller, not as the user's changes.
    const std::vector<TField*> keys = c->GetDetailKeyFieldList();
    const Variant& values = c->MasterDetailKeyValues();
    if (!keys.empty() && KeyValueCount(values) == Integer(keys.size())) {
      cxSetFieldValues(keys, values);
      FAssignedFields->AddFields(keys);
    }
  }
  c->InsertedRecordInitialized(ARecordIndex);
  c->RereadEditingRecord();
}

// ---- Counters and the reload marks ----

void TcxDBDataProvider::MarkReload() {
  if (!DBDataController()->IsPattern()) FReloadMark = true;
  for (TcxDBDataProvider* p : OtherProviders())
    if (!p->DBDataController()->IsPattern()) p->FReloadMark = true;
}

void TcxDBDataProvider::BeginLock() {
  inherited::BeginLock();
  if (InEditState(DataSet())) MarkReload();
}

void TcxDBDataProvider::EndLock() {
  inherited::EndLock();
  if (LockCount() == 0 && !IsFrozen()) DeliverPendingNotices();
}

void TcxDBDataProvider::Freeze() {
  inherited::Freeze();
  TDataSet* ds = DataSet();
  // The controls go back to the data set they were taken from, wherever the link is by then.
  FFrozenControls.emplace_back(ds);
  if (!ds) return;
  ds->DisableControls();
  // An edit going on is never dropped: it may be another component's, typed and not yet
  // posted. The walks that freeze settle it first (SettleEditBeforeRead) and move nothing
  // while it goes on.
  if (ds->Active() && InEditState(ds)) MarkReload();
}

void TcxDBDataProvider::Unfreeze() {
  // The data set tells of its changes as its controls come back, and reading them runs its
  // handlers, which may free the controller, and this provider with it. A link or handler
  // raising there still leaves this provider thawed, and the notices held back for it and
  // for the others delivered: the first error comes last.
  TWeakLink self(this);
  TFirstError errors;
  if (!FFrozenControls.empty()) {
    auto* ds = static_cast<TDataSet*>(FFrozenControls.back().Ref());
    FFrozenControls.pop_back();
    if (ds) errors.Run([ds] { ds->EnableControls(); });
    if (!self.Alive()) return errors.Raise();
  }
  inherited::Unfreeze();
  if (!IsFrozen() && FReloadWhenThawed) {
    FReloadWhenThawed = false;
    // The notices held back for this provider come after the read: the query's holder
    // hears the edit's end before the read takes the query from it.
    errors.Run([this] { LetQueryHolderHearEditEnd(); });
    if (!self.Alive()) return errors.Raise();
    errors.Run([this] { DataChanged(dcTotal, -1, -1); });
    if (!self.Alive()) return errors.Raise();
  }
  // What the others held back while this provider was frozen goes out now, not only when
  // a later focus change happens to deliver it.
  if (!IsFrozen() && LockCount() == 0) errors.Run([this] { DeliverPendingNotices(); });
  errors.Raise();
}

// ---- Reads while an edit goes on ----

bool TcxDBDataProvider::IsPendingEditModified() const {
  TDataSet* ds = DataSet();
  if (!ds || !ds->Modified() || !IsDataSetModified()) return false;
  for (TcxDBDataProvider* p : OtherProviders())
    if (!p->IsDataSetModified()) return false;
  return true;
}

bool TcxDBDataProvider::SettleEditBeforeRead() {
  TDataSet* ds = DataSet();
  if (!ds || !ds->Active() || !InEditState(ds)) return false;
  // Writing what the editors hold and posting run the data set's handlers, which may free
  // the data set, its source or the controller: nothing is read then.
  TStepWatch<TcxDBDataProvider> watch(this, ds);
  // What the editors hold goes into the fields first, as for any post.
  ds->UpdateRecord();
  if (!watch.Alive()) return false;
  if (InEditState(ds) && IsPendingEditModified()) {
    TWatchedValue<bool> settling(this, FSettling, true);
    ds->Post();
    if (!watch.Alive()) return false;
  }
  return InEditState(ds);
}

void TcxDBDataProvider::SetRecordBookmark(Integer ARecordIndex, const TBookmarkStr& ABookmark) {
  if (ARecordIndex >= 0) FRecordBookmarks.Set(size_t(ARecordIndex), ABookmark);
}

std::vector<TBookmarkStr> TcxDBDataProvider::RecordBookmarksOf(
    const std::vector<Integer>& AList) const {
  std::vector<TBookmarkStr> r;
  if (IsGridMode() || Integer(FRecordBookmarks.size()) != DBDataController()->GetRecordCount())
    return r;
  for (Integer record : AList) {
    if (record < 0 || size_t(record) >= FRecordBookmarks.size() ||
        FRecordBookmarks[size_t(record)].empty())
      return {};
    r.push_back(FRecordBookmarks[size_t(record)]);
  }
  return r;
}

TBookmarkStr TcxDBDataProvider::RecordBookmark(Integer ARecordIndex) const {
  if (IsGridMode() || ARecordIndex < 0 || size_t(ARecordIndex) >= FRecordBookmarks.size())
    return {};
  return FRecordBookmarks[size_t(ARecordIndex)];
}

Integer TcxDBDataProvider::BookmarkedRecordIndex(const TBookmarkStr& ABookmark) const {
  if (ABookmark.empty() || IsGridMode()) return -1;
  return FRecordBookmarks.Find(ABookmark);
}

void TcxDBDataProvider::RecordBookmarkInserted(Integer ARecordIndex) {
  if (ARecordIndex >= 0 && size_t(ARecordIndex) <= FRecordBookmarks.size())
    FRecordBookmarks.InsertEmpty(size_t(ARecordIndex));
}

void TcxDBDataProvider::ReleaseFrozenControls() {
  if (FFrozenControls.empty()) return;
  // The link leaves first, so that the data sets' notices reach only the others.
  SetLinkDataSource(nullptr);
  std::deque<TWeakLink> frozen;
  frozen.swap(FFrozenControls);
  FFreezeCount = 0;
  for (const TWeakLink& link : frozen)
    if (auto* ds = static_cast<TDataSet*>(link.Ref())) {
      // The other links read the changes now; one that fails there (the data set still
      // busy with the handler that freed this controller) never stops this going.
      try {
        ds->EnableControls();
      } catch (const Exception&) {
      }
    }
}

void TcxDBDataProvider::AddPending(TcxDBDataProvider* AProvider) {
  if (std::find(FPending.begin(), FPending.end(), AProvider) == FPending.end()) FPending.push_back(AProvider);
}

void TcxDBDataProvider::DeliverPendingNotices() {
  if (FDelivering || FPending.empty()) return;
  TWatchedValue<bool> guard(this, FDelivering, true);
  // The notices waiting now go out once each: one held back again as it is handled (this
  // provider still busy further up) waits for the next delivery, instead of going round
  // for ever. A notice read anew runs the data set's handlers, which may free any provider.
  std::deque<TWeakLink> waiting;
  for (auto it = FPending.rbegin(); it != FPending.rend(); ++it) waiting.emplace_back(*it);
  FPending.clear();
  // Each waiting provider hears its notice whatever another's handlers raise or free (this
  // one included: taken out of the list, it would hear of it never). The first error comes
  // last.
  TFirstError errors;
  for (const TWeakLink& link : waiting) {
    auto* p = static_cast<TcxDBDataProvider*>(link.Ref());
    if (!p) continue;
    errors.Run([p] {
      TWatchedValue<bool> delivered(p, p->FDeliveredLate, true);
      p->DoDataSetChanged();
    });
  }
  errors.Raise();
}

Integer TcxDBDataProvider::GetRecordIndex() const {
  if (IsInserting()) {
    if (!IsGridMode() || !FInGridModeChange) return EditingRecordIndex();
    TcxDBDataController* c = DBDataController();
    if (c->IsNewItemRowActive()) return c->GetNewItemRecordIndex();
  }
  return FCurrentRecordIndex;
}

TcxValueDefReaderClass TcxDBDataProvider::GetValueDefReaderClass() const {
  return ClassOf<TcxValueDefDBReader, TcxValueDefReader>();
}

// ---- Notices from the data set ----

void TcxDBDataProvider::ActiveChanged(bool AActive) {
  TWeakLink self(this);  // reading the records runs the data set's handlers
  inherited::ActiveChanged(AActive);
  if (!self.Alive()) return;
  TDataSet* ds = DataSet();
  if (ds && !ds->Active() && ds->DefaultFields()) DBDataController()->UnbindFields();
}

void TcxDBDataProvider::DataScrolled(Integer ADistance) {
  const bool grid = IsGridMode();
  TcxDBDataController* c = DBDataController();
  // Collapsing the details and the bracket's end run handlers, which may free the
  // controller, and this provider with it.
  TWeakLink self(this);
  if (grid) {
    FCurrentRecordIndex = FDataLink->ActiveRecord();
    auto bracket = UpdateBracket(c);
    if (ADistance != 0) {
      // The window shows other records now: the rows are painted anew, and what the
      // details showed belongs to records that left it.
      c->GridModeScrolled();
      if (self.Alive() && c->HasRelations()) c->CollapseDetails();
      if (!self.Alive()) return;
    }
    WindowRecordsChanged();
  } else {
    FCurrentRecordIndex += ADistance;
  }
  if (!self.Alive()) return;
  inherited::DataScrolled(ADistance);
  if (!self.Alive()) return;
  if (grid) {
    TDataSet* ds = DataSet();
    if (ds && ds->IsSequenced()) c->DataSetPositionChanged();
  }
}

void TcxDBDataProvider::LayoutChanged(Integer AKind) {
  // A detail re-opening the shared data set (this one included) changes no layout the
  // details did not bind to already: the fields are bound anew, nothing is read again.
  std::vector<TcxDBDataProvider*> all = OtherProviders();
  all.push_back(this);
  for (TcxDBDataProvider* p : all)
    if (p->IsFrozen() && p->DBDataController()->IsDetail()) {
      if (IsActive()) DBDataController()->UpdateFields();
      return;
    }
  inherited::LayoutChanged(AKind);
}

void TcxDBDataProvider::LetQueryHolderHearEditEnd() {
  TcxDBDataController* c = DBDataController();
  if (!c->IsDetail() || !c->DataModeController()->DetailInSQLMode() || !c->IsDetailQueryOutdated())
    return;
  // Once the query holds another master's records, the sibling that stood on it keeps what
  // it showed (an insert given up among them): it takes the change while the query is still
  // its own. Its own notice, coming later, then finds the query outdated and changes nothing.
  for (TcxDBDataProvider* p : OtherProviders()) {
    TcxDBDataController* other = p->DBDataController();
    if (!p->FEditEndUnheard || !other->IsDetail() ||
        !other->DataModeController()->DetailInSQLMode() || other->IsDetailQueryOutdated())
      continue;
    p->DoDataSetChanged();
    return;
  }
}

void TcxDBDataProvider::DoDataSetChanged() {
  // Only the held-back notice itself is delivered late: the notices its handling causes
  // (the walk of a reload) are new ones, to be told apart as usual.
  const bool deliveredLate = FDeliveredLate;
  FDeliveredLate = false;
  FEditEndUnheard = false;
  TDataSet* ds = DataSet();
  if (!ds) return;
  TcxDBDataController* c = DBDataController();
  if (FSettling) {
    // This provider posted an edit to read every record next: the change is in that read.
    ResetWatch();
    return;
  }
  const bool byKey = c->IdentifiesRecordsByKey();
  for (TcxDBDataProvider* p : OtherProviders())
    if (p->FReadingAll) {
      // That provider is reading every record: it only moves the data set.
      DataScrolled(0);
      return;
    } else if (p->IsFrozen() || (p->LockCount() > 0 && byKey)) {
      // Waits on that provider: delivered when it is idle again.
      p->AddPending(this);
      return;
    }
  if (FReadWhenBrowsing && !InEditState(ds) && !IsFrozen()) {
    // The records read (or not read) while an edit went on are read now that it ended.
    FReadWhenBrowsing = false;
    FReloadMark = false;
    ResetWatch();
    TWeakLink self(this);
    LetQueryHolderHearEditEnd();
    if (!self.Alive() || DataSet() != ds) return;
    DataChanged(dcTotal, -1, -1);
    return;
  }
  if (c->IsDetailQueryOutdated()) return;
  bool scroll = false;
  std::vector<TcxDBDataProvider*> all = OtherProviders();
  all.push_back(this);
  const bool grid = IsGridMode();
  for (TcxDBDataProvider* p : all)
    if (p->IsFrozen() || p->FDelivering || (p->LockCount() > 0 && (byKey || grid))) scroll = true;
  // The controller's own provider lock (its own navigation) does not hide a change in grid
  // mode: the window has to follow it.
  if (grid && c->IsProviderLocked()) scroll = false;
  // A notice held back for this provider is not a scroll: the data set may have changed
  // in any way meanwhile.
  if (scroll && !FReloadMark && !deliveredLate) {
    DataScrolled(0);
    return;
  }
  if (grid) {
    GridModeDataSetChanged();
    return;
  }
  if (!FReloadMark && !FReadCutShort && !deliveredLate && FollowedUnchangedWalk()) return;
  if (!InEditState(ds)) {
    // Counting and reading the records run the data set's handlers, which may free the
    // controller, and this provider with it.
    TWeakLink self(this);
    // Reading takes the shared data set from the sibling standing on it (a master record
    // sharing this one's key values): one that has not heard its edit end yet hears it
    // first, or it would keep the row of an insert the data set gave up.
    if (c->IsDetail() && !FDetailPositioned)
      for (TcxDBDataProvider* p : OtherProviders())
        if (p->FEditEndUnheard && p->FDetailPositioned && p->DBDataController()->IsDetail()) {
          p->DoDataSetChanged();
          if (!self.Alive() || DataSet() != ds) return;
          break;
        }
    // A record deleted or added from outside was never watched: re-reading the watched
    // record cannot show it, so the count tells, and everything is read again. A detail
    // holds a part of the data set, which its count cannot be told from: a record given
    // another master unwatched is found only by reading again.
    // Nor is a change made while the controls were disabled, which this provider never
    // heard of: whatever it watched, more may have changed (the controller's own deletion
    // takes its records out of the storage itself).
    const bool ownDeletion =
        (FDeletingDepth > 0 || c->IsDeletingRecords()) && !FRereadAfterDeletion;
    bool unwatchedChange = false;
    if (IsSmartRefreshActive()) {
      if ((ds->ChangedWhileControlsDisabled() && !ownDeletion) || FPostedOverflow || FReadCutShort ||
          ds->RecordsChangeCount() != FRecordsChangeCount) {
        unwatchedChange = true;
      } else if (FWatchedRecordIndex == kNoEditRecord && FAppendedRecordIndex < 0) {
        if (c->IsDetail()) {
          unwatchedChange = true;
        } else {
          const Integer count = ds->RecordCount();
          if (!self.Alive()) return;
          unwatchedChange = count != c->GetRecordCount();
        }
      }
    }
    if (IsSmartRefreshActive() && !unwatchedChange) {
      // The records posted meanwhile are read again too, whichever this controller watched.
      const TBookmarkStr watched = WatchedBookmark();
      if (!SmartRefreshWatched() || !self.Alive() || !SmartRefreshPosted(watched)) return;
      DataScrolled(0);
      if (!self.Alive()) return;
    } else {
      FReloadMark = false;
      FRereadAfterDeletion = false;
      // A frozen provider drops the change (its controller reads nothing while frozen): the
      // records are read once it thaws, or the edit its freeze cancelled would stay shown.
      if (IsFrozen() && !FReadingAll) FReloadWhenThawed = true;
      DataChanged(dcTotal, -1, -1);
      if (!self.Alive()) return;
    }
    ResetWatch();
    return;
  }
  // The insert is another detail's when it is for another master, or when a sibling took
  // the data set for it (a master record sharing this one's key values).
  if (ds->State() == dsInsert && c->IsDetail() && FWatchedRecordIndex != kNoEditRecord &&
      (!IsDataSetRecordShown() || !FDetailPositioned)) {
    // The data set went from this detail's edit straight into another detail's insert: the
    // record watched was posted unseen, and is read once the data set browses (the
    // insert's record is not the watched one).
    ResetWatch();
    ReadWhenBrowsing();
    // The details of master records sharing this one's key values hold the record too, and
    // heard nothing of it: the one whose insert posted it was watching none.
    const Variant& values = c->MasterDetailKeyValues();
    for (TcxDBDataProvider* p : OtherProviders()) {
      TcxDBDataController* other = p->DBDataController();
      if (other->IsDetail() && !other->IsPattern() && !VarIsEmpty(values) &&
          cxVariantsEqual(other->MasterDetailKeyValues(), values))
        p->ReadWhenBrowsing();
    }
  }
  // A record posted while the controls were off (on the way into this insert, by another
  // detail's operation or by code) reached no detail but its watcher: it may be this
  // detail's master's, and is read once the data set browses.
  if (c->IsDetail() && !FInOwnOperation && IsSmartRefreshActive() &&
      ds->ChangedWhileControlsDisabled())
    ReadWhenBrowsing();
  if (ds->State() != dsInsert || FInserting) return;
  // Clone details share the data set: the insert belongs to the one standing on it.
  if (c->IsDetail() && !IsDetailPositioned()) return;
  if (!c->IsPattern() && c->DataModeController()->SyncInsert() && IsSyncMode()) InsertFromDataSet();
}

bool TcxDBDataProvider::FollowedUnchangedWalk() {
  TDataSet* ds = DataSet();
  TcxDBDataController* c = DBDataController();
  // Only a controller holding every record of the data set as it read them, with nothing
  // of its own under way, can tell that they still stand; when in doubt it reads again.
  if (!ds->OnlyMovedWhileControlsDisabled() || InEditState(ds) || IsFrozen() || !IsSyncMode() ||
      c->IsDetail() || c->IsPattern() || c->HasRelations() || inherited::IsEditing() ||
      FWatchedRecordIndex != kNoEditRecord || FAppendedRecordIndex >= 0 || FReloadWhenThawed ||
      FReadWhenBrowsing)
    return false;
  // Counting and numbering ask the data set's filter, whose handler may free the data set or
  // the controller: then there is nothing left to read, and the walk counts as followed.
  TStepWatch<TcxDBDataProvider> watch(this, ds);
  const Integer count = ds->RecordCount();
  if (!watch.Alive()) return true;
  if (count != c->GetRecordCount()) return false;
  // Stored records stand in the data set's order, unless smart refresh appended one: the
  // place is a guess that a search by key confirms or corrects; without keys the record's
  // bookmark decides.
  const Integer place = ds->IsEmpty() ? -1 : ds->RecNo() - 1;
  if (!watch.Alive()) return true;
  Integer r = place >= 0 && place < c->GetRecordCount() ? place : -1;
  if (!c->IdentifiesRecordsByKey() && ds->BookmarkAvailable()) {
    const TcxRecordBookmarks& marks = FRecordBookmarks;
    if (Integer(marks.size()) != c->GetRecordCount()) return false;
    const TBookmarkStr current = ds->Bookmark();
    if (r < 0 || marks[size_t(r)] != current) {
      r = marks.Find(current);
      if (r < 0) return false;
    }
  }
  FCurrentRecordIndex = r;
  DataScrolled(0);
  return true;
}

void TcxDBDataProvider::DoEditingChanged() {
  NoteEditStateChanged();
  if (!IsSyncMode()) {
    FInsertSeen = false;
    return;
  }
  TDataSet* ds = DataSet();
  if (FDataLink->Active() && ds->State() == dsEdit) {
    // Taking the edit reads the record, in grid mode through its text handlers, which may
    // free the controller.
    TWeakLink self(this);
    EditFromDataSet();
    if (!self.Alive()) return;
  } else if (ds->State() == dsInsert) {
    // An insert that was under way when the link became active reaches the window now.
    if (FInsertSeen && !ds->ControlsDisabled() && IsGridMode() && !FInOwnOperation) InsertFromDataSet();
  } else if (!InEditState(ds)) {
    TcxDBDataController* c = DBDataController();
    if (IsSmartRefreshActive() && FEditingRecordIndex < 0 && FEditingRecordIndex != kNoEditRecord &&
        FInserting && FAppendedRecordIndex < 0) {
      // The new-item row's record becomes a real one.
      const Integer r = c->DataStorage()->AppendRecord();
      c->DataControllerInfo()->RecordAppended();
      FAppendedRecordIndex = r;
      c->CopyRecord(FEditingRecordIndex, r);
      if (!IsGridMode())
        SetRecordBookmark(r, ds->BookmarkAvailable() ? ds->Bookmark() : TBookmarkStr());
    }
    ResetEditing();
  }
  FInsertSeen = false;
}

void TcxDBDataProvider::EditFromDataSet() {
  TcxDBDataController* c = DBDataController();
  // Clone details share the data set: an edit of another master's record is none of this
  // detail's, whichever of them was positioned last. Taking it would watch one of its own
  // records and read the other master's record into it.
  if (!IsDataSetRecordShown()) return;
  // With no row focused (a key search found none) the data set still stands on a record,
  // and edits that one: the focus follows it first, so that the edit has its record and
  // the post is reconciled. So too where the focused row shows another record (the move
  // onto the edited one held back while another controller was busy): the edit must not
  // be taken as that row's, whose record the post would then be read into.
  TDataSet* ds = DataSet();
  const Integer focused = c->GetFocusedRecordIndex();
  const TBookmarkStr focusedMark = RecordBookmark(focused);
  const bool elsewhere = focused >= 0 && !focusedMark.empty() && ds->BookmarkAvailable() &&
                         ds->Bookmark() != focusedMark;
  if (((focused < 0 && FCurrentRecordIndex >= 0 && FCurrentRecordIndex < c->GetRecordCount()) ||
       elsewhere) &&
      !c->IsNewItemRowActive()) {
    TWeakLink self(this);
    c->ResetFocusing();
    if (!self.Alive()) return;
  }
  TWatchedValue<bool> base(this, FBaseEditState, true);
  // Saving the record reads it (in grid mode through its text handlers, which may free
  // the controller).
  auto reading = WatchedPairedCall(
      c, [c] { c->BeginReadRecord(); }, [c] { c->EndReadRecord(); });
  InternalEdit();
}

void TcxDBDataProvider::InsertFromDataSet() {
  if (FInInsertFromDataSet) return;
  TWatchedValue<bool> guard(this, FInInsertFromDataSet, true);
  TWatchedValue<bool> base(this, FBaseEditState, true);
  InternalInsert(IsEOF() && !FInOwnInsert);
}

// ---- New operations ----

bool TcxDBDataProvider::IsDataSetModified() const {
  TDataSet* ds = DataSet();
  if (ds && ds->Modified()) {
    if (FAssignedFields->IsEmpty()) return true;
    for (Integer i = 0; i < ds->FieldCount(); ++i) {
      TField* f = ds->Fields(i);
      if (!FAssignedFields->Contains(f) && !f->IsNull()) return true;
    }
  }
  if (inherited::IsModified()) {
    const TcxDBDataController* c = DBDataController();
    for (Integer i = 0; i < c->GetItemCount(); ++i) {
      TcxCustomDataField* f = c->GetItemField(i);
      if (!f->IsUnbound()) continue;
      if (!VarIsNull(const_cast<TcxDBDataController*>(c)->GetEditValue(i, TcxDataEditValueSource::evsValue)))
        return true;
    }
  }
  return false;
}

bool TcxDBDataProvider::IsBookmarkValid(const TBookmarkStr& ABookmark) const {
  TDataSet* ds = DataSet();
  return ds && ds->BookmarkValid(ABookmark);
}

Integer TcxDBDataProvider::CompareBookmarks(const TBookmarkStr& ABookmark1, const TBookmarkStr& ABookmark2) const {
  TDataSet* ds = DataSet();
  if (!ds || !FDataLink->Active()) return -1;
  return ds->CompareBookmarks(ABookmark1, ABookmark2);
}

void TcxDBDataProvider::DataSetCancel() {
  TDataSet* ds = DataSet();
  if (!ds) return;
  TcxDBDataController* c = DBDataController();
  if (!c->IsDetail() || !IsEOF()) {
    ds->Cancel();
    return;
  }
  auto controls = ControlsDisabled(ds);
  Variant key = Unassigned();
  const Integer rows = c->GetRowCount();
  if (rows >= 2) {
    const Integer r = c->GetRowInfo(rows - 2).RecordIndex;
    if (r >= 0) key = c->GetRecordId(r);
  }
  TStepWatch<TcxDBDataProvider> watch(this, ds);  // the cancel handlers may free either
  ds->Cancel();
  if (!watch.Alive()) return;
  // A copy of the names: the search's handlers may free the controller.
  const String names = c->KeyFieldNames();
  if (!VarIsEmpty(key) && !names.empty()) ds->Locate(names, key, TLocateOptions());
}

void TcxDBDataProvider::RecordChanged() {
  TcxDBDataController* c = DBDataController();
  TWeakLink self(this);  // the record's text handlers may free the controller
  if ((!c->IsDetail() || !c->DataModeController()->DetailSyncEnabled() || IsDetailPositioned()) && IsEditing())
    c->RereadEditingRecord();
  if (self.Alive()) ResetChanging();
}

// ---- Smart refresh ----

void TcxDBDataProvider::WatchEditingRecord() {
  FWatchedRecordIndex = EditingRecordIndex();
  FWatchedInserting = IsInserting();
}

void TcxDBDataProvider::ResetWatch() {
  FWatchedRecordIndex = kNoEditRecord;
  FWatchedInserting = false;
  FAppendedRecordIndex = -1;
}

void TcxDBDataProvider::ForgetRecord(Integer ARecordIndex) {
  if (FWatchedRecordIndex == ARecordIndex) ResetWatch();
  if (FFocusedBeforeDelete == ARecordIndex) FFocusedBeforeDelete = -1;
}

bool TcxDBDataProvider::IsDataSetRecordShown() const {
  const TcxDBDataController* c = DBDataController();
  if (!c->IsDetail() || IsGridMode()) return true;
  const Variant& values = c->MasterDetailKeyValues();
  const std::vector<TField*> keys = c->GetDetailKeyFieldList();
  // Without its master's values or key fields a detail has nothing to tell its records by.
  if (VarIsEmpty(values) || keys.empty()) return true;
  return cxVariantsEqual(cxGetFieldValues(keys), values);
}

void TcxDBDataProvider::RecordInserted(Integer ARecordIndex) {
  inherited::RecordInserted(ARecordIndex);
  if (FWatchedRecordIndex >= ARecordIndex) ++FWatchedRecordIndex;
  if (FAppendedRecordIndex >= ARecordIndex) ++FAppendedRecordIndex;
}

void TcxDBDataProvider::StorageRecordsDeleted(const std::vector<Integer>& AList) {
  // The bookmarks of the records left close up (AList is ascending).
  std::vector<Integer> marked;
  for (Integer r : AList)
    if (r >= 0 && size_t(r) < FRecordBookmarks.size() && (marked.empty() || marked.back() != r))
      marked.push_back(r);
  FRecordBookmarks.EraseSorted(marked);
  auto gone = [&AList](Integer r) { return std::binary_search(AList.begin(), AList.end(), r); };
  auto shift = [&AList](Integer r) {
    return r - Integer(std::lower_bound(AList.begin(), AList.end(), r) - AList.begin());
  };
  if ((FWatchedRecordIndex >= 0 && gone(FWatchedRecordIndex)) ||
      (FAppendedRecordIndex >= 0 && gone(FAppendedRecordIndex))) {
    ResetWatch();
    return;
  }
  if (FWatchedRecordIndex >= 0) FWatchedRecordIndex = shift(FWatchedRecordIndex);
  if (FAppendedRecordIndex >= 0) FAppendedRecordIndex = shift(FAppendedRecordIndex);
}

bool TcxDBDataProvider::IsRecordKeyShared(Integer ARecordIndex) const {
  TcxDBDataController* c = DBDataController();
  std::vector<TcxCustomDataField*> keys;
  c->GetKeyFields(keys);
  // One stored key field: the storage's key index counts the records holding the key.
  TcxValueDef* stored = keys.size() == 1 ? keys[0]->GetValueDef() : nullptr;
  TcxDataStorage* storage = c->DataStorage();
  Integer count = 0;
  if (stored && storage->CountEqualRecords(stored, ARecordIndex, count)) return count > 1;
  const Variant key = c->GetFieldValues(ARecordIndex, keys);
  const Integer n = c->GetRecordCount();
  for (Integer i = 0; i < n; ++i)
    if (i != ARecordIndex && cxVariantsEqual(c->GetFieldValues(i, keys), key)) return true;
  // The walk pays towards building the index.
  if (stored) storage->CountEqualWalk(stored, n);
  return false;
}

bool TcxDBDataProvider::SmartRefreshWatched() {
  TcxDBDataController* c = DBDataController();
  if (FWatchedRecordIndex == kNoEditRecord) {
    FReloadMark = false;
    return true;
  }
  // The watched record itself is reconciled, wherever the focus went meanwhile (another
  // controller's cancel moves the data set, and with it this focus, before the change
  // arrives; the record would otherwise stay behind).
  Integer r = FWatchedRecordIndex;
  if (r < 0) r = FAppendedRecordIndex >= 0 ? FAppendedRecordIndex : c->GetFocusedRecordIndex();
  if (r >= c->GetRecordCount()) r = -1;
  bool taken = false;
  if (r >= 0 && (r == FWatchedRecordIndex || r == FAppendedRecordIndex) && RecordBookmark(r).empty()) {
    // A record inserted has no bookmark until the data set posts it: where the data set's
    // record can only be the watched one, it takes that bookmark, and is read again by it.
    TWeakLink self(this);
    taken = TakeDataSetBookmark(r);
    if (!self.Alive()) return false;
  }
  if (!taken && r >= 0 && (r == FWatchedRecordIndex || r == FAppendedRecordIndex) &&
      RecordBookmark(r).empty() && IsRecordKeyShared(r)) {
    // No bookmark tells the watched record apart, and another stored record has its key
    // (Null, say, for records that have none yet): the key cannot tell which of them the
    // data set's record is, nor whether the watched one is still there. Every record is
    // read again.
    TWeakLink self(this);
    ResetWatch();
    FReloadMark = false;
    if (!IsActive()) {
      // With the data set's controls off nothing can be read now (the controller's own
      // operation posted the record): it is read once the data set browses again.
      ReadWhenBrowsing();
      return true;
    }
    if (IsFrozen() && !FReadingAll) FReloadWhenThawed = true;
    DataChanged(dcTotal, -1, -1);
    return self.Alive();
  }
  // The watched record reconciled, it is the one record the rows must weigh again.
  bool reconciled = false;
  // The values read and the key searches may run handlers that free the controller, and
  // this provider with it: then nothing more is done. A text handler that freed the data
  // set or its source as the record was read ends the reconciling too.
  TWeakLink controller(c);
  {
    auto bracket = UpdateBracket(c);
    TStepWatch<TcxDBDataProvider> read(this, DataSet());
    if (r >= 0 && (r == FWatchedRecordIndex || r == FAppendedRecordIndex)) {
      reconciled = true;
      const Variant stored = c->GetRecordId(r);
      if (!controller.Alive()) return false;
      const Variant current = c->GetDataSetKeyValues();
      TDataSet* ds = DataSet();
      const TBookmarkStr mark = RecordBookmark(r);
      if (ds && !ds->IsEmpty() && !mark.empty()) {
        // A record read before has a bookmark: that record is the one to read again,
        // wherever the data set stands now (a cancelled edit of its key, say, left the
        // data set on it with the key it had before). Gone, or given another master, it
        // goes from the storage.
        const bool valid = ds->BookmarkValid(mark);
        if (!read.Alive()) return false;
        const bool shown = valid && c->RereadRecordAt(r, mark);
        if (!read.Alive()) return false;
        if (!shown) {
          c->DeleteRecord(r);
          r = -1;
        }
        c->ResetFocusing();
        if (!controller.Alive()) return false;
      } else if (!ds || ds->IsEmpty()) {
        // An insert cancelled in an empty data set: nothing holds the record any more.
        c->DeleteRecord(r);
        r = -1;
        c->ResetFocusing();
        if (!controller.Alive()) return false;
      } else if (!IsDataSetRecordShown()) {
        // Posted with another master's key values (whoever began the insert or the edit):
        // the record now shows under that master only.
        c->DeleteRecord(r);
        r = -1;
        c->ResetFocusing();
        if (!controller.Alive()) return false;
      } else if (cxVariantsEqual(stored, current)) {
        if (!c->RereadRecord(r)) return false;
      } else {
        std::vector<TField*> keys = c->GetKeyDBFields();
        const bool autoInc = keys.size() == 1 && keys[0]->DataType() == TFieldType::ftAutoInc;
        const bool newKey = FWatchedInserting && VarIsNull(stored) && autoInc;
        const bool unlisted = newKey && c->FindRecordIndexByKey(current) < 0;
        if (!controller.Alive()) return false;
        if (unlisted) {
          if (!c->RereadRecord(r)) return false;
        } else {
          const Integer found = c->FindRecordIndexByKey(stored);
          if (!controller.Alive()) return false;
          if (found < 0 || found == r) {
            c->DeleteRecord(r);
            r = -1;
          }
          c->ResetFocusing();
          if (!controller.Alive()) return false;
        }
      }
    }
  }
  if (!controller.Alive()) return false;
  if (reconciled && r >= 0) c->ResetDetailsOfChangedKeys(r);
  if (reconciled)
    c->RefreshRecordView(r);
  else
    c->RefreshView();
  FReloadMark = false;
  return true;
}

TL_DEFINE_CLASS(TcxDBDataModeController, [](auto& c) {
  using T = TcxDBDataModeController;
  c.Property("DetailInSQLMode", &T::DetailInSQLMode, &T::SetDetailInSQLMode).Default(false);
  c.Property("GridMode", &T::GridMode, &T::SetGridMode).Default(false);
  c.Property("GridModeBufferCount", &T::GridModeBufferCount, &T::SetGridModeBufferCount).Default(0);
  c.Property("SmartRefresh", &T::SmartRefresh, &T::SetSmartRefresh).Default(false);
  c.Property("SyncMode", &T::SyncMode, &T::SetSyncMode).Default(true);
  c.Event("OnDetailFirst", &T::OnDetailFirst);
  c.Event("OnDetailIsCurrentQuery", &T::OnDetailIsCurrentQuery);
})
TL_DEFINE_CLASS(TcxDBDataLink)
TL_DEFINE_CLASS(TcxDBDataAssignedFields)
TL_DEFINE_CLASS(TcxDBDataProvider)
