// Master-detail over data sets: the relation's master key values, the detail-filter
// adapter that positions a detail data set (Locate, or re-opening it with parameters), and
// the unit's start-up, which registers that adapter.
#include "widgets/databinding/cxDBData.h"
#include "widgets/databinding/cxDBDataGuards.h"

#include "classlib/core/ScopeGuards.h"

#include <deque>

namespace {

TcxDBAdapterList* gDetailFilterAdapters = nullptr;
const TResStringRec cxSDBDetailFilterControllerNotFound = {63212, "DetailFilterController not found"};

// The number of values a key of AValues holds for ACount names: 1 for a plain value,
// the length for an array; -1 for Null or Unassigned.
Integer ValueCount(const Variant& AValues) {
  if (VarIsArray(AValues)) return VarArrayHighBound(AValues, 1) - VarArrayLowBound(AValues, 1) + 1;
  if (VarIsNull(AValues) || VarIsEmpty(AValues)) return -1;
  return 1;
}

// ASearch for key values of the shape the names ask for; False for any other shape, and for
// values no key field can be compared with.
template <class F>
bool SearchSafely(const String& AKeyFields, const Variant& AKeyValues, F ASearch) {
  const Integer names = cxGetFieldNameCount(AKeyFields);
  const Integer values = ValueCount(AKeyValues);
  if (names == 0 || (values != names && !(names == 1 && values == -1))) return false;
  try {
    return ASearch();
  } catch (const EVariantError&) {
    // A value no key field can be compared with is on no record.
    return false;
  } catch (const EConvertError&) {
    return false;
  }
}

// Whether the current record's fields of those names hold those values.
bool HoldsValues(TDataSet* ADataSet, const String& ANames, const Variant& AValues) {
  Owned<TStringList> list(New<TStringList>());
  cxGetFieldNames(ANames, list.get());
  std::vector<TField*> fields;
  for (Integer i = 0; i < list->Count(); ++i) {
    TField* f = ADataSet->FindField(list->Strings(i));
    if (!f) return false;
    fields.push_back(f);
  }
  return !fields.empty() && cxVariantsEqual(cxGetFieldValues(fields), AValues);
}

// Whether the data set has a parameter of each of those names.
bool HasParams(TDataSet* ADataSet, const String& ANames) {
  TParams* params = ADataSet->GetParams();
  if (!params) return false;
  Owned<TStringList> list(New<TStringList>());
  cxGetFieldNames(ANames, list.get());
  for (Integer i = 0; i < list->Count(); ++i)
    if (!params->FindParam(list->Strings(i))) return false;
  return list->Count() > 0;
}

}  // namespace

bool cxDBLocateSafely(TDataSet* ADataSet, const String& AKeyFields, const Variant& AKeyValues) {
  return SearchSafely(AKeyFields, AKeyValues,
                      [&] { return ADataSet->Locate(AKeyFields, AKeyValues, TLocateOptions()); });
}

bool cxDBLocateNextSafely(TDataSet* ADataSet, const String& AKeyFields, const Variant& AKeyValues) {
  return SearchSafely(AKeyFields, AKeyValues, [&] {
    return ADataSet->LocateNext(AKeyFields, AKeyValues, TLocateOptions());
  });
}

// ---- TcxDBDataRelation ----

void TcxDBDataRelation::BeforeDestruction() {
  if (FMasterKeyField) {
    TcxDBDataField* f = FMasterKeyField;
    FMasterKeyField = nullptr;
    if (f->FieldList()) f->FieldList()->Remove(f);
  }
  inherited::BeforeDestruction();
}

void TcxDBDataRelation::RemoveNotification(TComponent* AComponent) { inherited::RemoveNotification(AComponent); }

bool TcxDBDataRelation::HasMasterDetailKeys() const {
  return FMasterKeyField && !GetDetailKeyFieldNames().empty();
}

TcxDBDataController* TcxDBDataRelation::GetDBDataController() const {
  return dynamic_cast<TcxDBDataController*>(DataController());
}

namespace {
// The relation's detail controller as the pattern holds it.
const TcxDBDataController* PatternDetail(const TcxDBDataRelation* ARelation) {
  TcxCustomDataController* master = ARelation->DataController();
  if (!master) return nullptr;
  TcxCustomDataController* pattern = master->GetPatternDataController();
  if (!pattern || !pattern->HasRelations() || ARelation->Index() >= pattern->Relations()->GetCount())
    return nullptr;
  return dynamic_cast<const TcxDBDataController*>(
      pattern->Relations()->GetItem(ARelation->Index())->DetailDataController());
}
}  // namespace

String TcxDBDataRelation::GetDetailKeyFieldNames() const {
  const TcxDBDataController* d = PatternDetail(this);
  return d ? d->DetailKeyFieldNames() : String();
}

String TcxDBDataRelation::GetMasterKeyFieldNames() const {
  const TcxDBDataController* d = PatternDetail(this);
  return d ? d->MasterKeyFieldNames() : String();
}

Variant TcxDBDataRelation::GetMasterRecordKeyValues(Integer ARecordIndex) const {
  TcxCustomDataController* master = DataController();
  if (!master || ARecordIndex < 0 || ARecordIndex >= master->GetRecordCount())
    cxDataControllerError(cxSDataRecordIndexError);
  if (!HasMasterDetailKeys()) return Unassigned();
  std::vector<TcxCustomDataField*> fields;
  if (FMasterKeyField->FieldCount() == 0)
    fields.push_back(FMasterKeyField);
  else
    for (Integer i = 0; i < FMasterKeyField->FieldCount(); ++i) fields.push_back(FMasterKeyField->Fields(i));
  return master->GetFieldValues(ARecordIndex, fields);
}

// ---- TcxDBProviderDetailFilterAdapter ----

bool TcxDBProviderDetailFilterAdapter::IsCurrentQuery(TDataSet* ADataSet, const String& AParamNames,
                                                      const Variant& AParamValues) {
  TParams* params = ADataSet ? ADataSet->GetParams() : nullptr;
  if (!params) return false;
  Owned<TStringList> names(New<TStringList>());
  cxGetFieldNames(AParamNames, names.get());
  if (names->Count() == 0) return false;
  for (Integer i = 0; i < names->Count(); ++i)
    if (!params->FindParam(names->Strings(i))) return false;
  if (ValueCount(AParamValues) != names->Count() && !(names->Count() == 1 && ValueCount(AParamValues) == -1))
    return false;
  return cxVariantsEqual(params->GetParamValues(AParamNames), AParamValues);
}

void TcxDBProviderDetailFilterAdapter::ReopenSQL(TDataSet* ADataSet, const String& AParamNames,
                                                 const Variant& AParamValues, bool& AReopened) {
  TParams* params = ADataSet->GetParams();
  if (!params) return;
  if (IsCurrentQuery(ADataSet, AParamNames, AParamValues)) {
    ADataSet->First();
    return;
  }
  // A parameter the query does not have, or values of another shape: the query cannot be
  // asked for that master, and the detail shows none of its records.
  Owned<TStringList> names(New<TStringList>());
  cxGetFieldNames(AParamNames, names.get());
  for (Integer i = 0; i < names->Count(); ++i)
    if (!params->FindParam(names->Strings(i))) return;
  const Integer count = ValueCount(AParamValues);
  if (names->Count() == 0 || (count != names->Count() && !(names->Count() == 1 && count == -1))) return;
  // Closing and opening run the data set's handlers, which may free the controller whose
  // values these are, or the data set itself: copies are set, and a freed data set is left.
  const String paramNames = AParamNames;
  const Variant paramValues = AParamValues;
  TWeakLink alive(ADataSet);
  {
    auto controls = WatchedPairedCall(
        ADataSet, [ADataSet] { ADataSet->DisableControls(); },
        [ADataSet] { ADataSet->EnableControls(); });
    ADataSet->Close();
    if (!alive.Alive()) return;
    params->SetParamValues(paramNames, paramValues);
    ADataSet->Open();
  }
  if (alive.Alive()) AReopened = true;
}

bool TcxDBProviderDetailFilterAdapter::LocateDetail(TDataSet* ADataSet, const String& AMasterDetailKeyFieldNames,
                                                    bool& AReopened, bool ADetailInSQLMode,
                                                    const Variant& AMasterDetailKeyValues) {
  if (!ADetailInSQLMode) return cxDBLocateSafely(ADataSet, AMasterDetailKeyFieldNames, AMasterDetailKeyValues);
  // Copies: re-opening runs handlers, which may free the controller whose values these are.
  const String names = AMasterDetailKeyFieldNames;
  const Variant values = AMasterDetailKeyValues;
  TWeakLink alive(ADataSet);
  ReopenSQL(ADataSet, names, values, AReopened);
  // A query keeps what was posted to it since it opened, records moved to other masters too:
  // the master's records start at the first that still holds its values.
  if (alive.Alive() && ADataSet->Active() && !ADataSet->IsEmpty() &&
      IsCurrentQuery(ADataSet, names, values) && !HoldsValues(ADataSet, names, values))
    cxDBLocateSafely(ADataSet, names, values);
  return true;
}

// ---- TcxDBDataModeController ----

bool TcxDBDataModeController::DetailIsCurrentQuery(const String& AMasterDetailKeyFieldNames,
                                                   const Variant& AMasterDetailKeyValues) {
  TDataSet* ds = FDataController->DataSet();
  if (OnDetailIsCurrentQuery) return OnDetailIsCurrentQuery(this, ds, AMasterDetailKeyFieldNames, AMasterDetailKeyValues);
  // A data set freed by a handler of the re-opening leaves no query to be current.
  if (!ds) return false;
  return FDataController->GetDetailFilterAdapter()->IsCurrentQuery(ds, AMasterDetailKeyFieldNames,
                                                                   AMasterDetailKeyValues);
}

bool TcxDBDataModeController::DetailFirst(const String& AMasterDetailKeyFieldNames,
                                          const Variant& AMasterDetailKeyValues, bool& AReopened) {
  AReopened = false;
  TDataSet* ds = FDataController->DataSet();
  if (OnDetailFirst) {
    OnDetailFirst(this, ds, AMasterDetailKeyFieldNames, AMasterDetailKeyValues, AReopened);
    return true;
  }
  if (!ds) return false;
  return FDataController->GetDetailFilterAdapter()->LocateDetail(ds, AMasterDetailKeyFieldNames, AReopened,
                                                                 FDetailInSQLMode, AMasterDetailKeyValues);
}

// ---- TcxDBDataProvider: an edit of the shared data set ended by a detail's operation ----

bool TcxDBDataProvider::ReconcileEditEnded(bool APosted) {
  TcxDBDataController* c = DBDataController();
  TDataSet* ds = DataSet();
  if (!c->IsDetail() || !ds || IsEditState(ds->State())) return SmartRefreshWatched();
  // One detail at a time watches the data set's edit: this one, or another (the one that
  // stood on the data set as code began it). The other's notice comes only once the data
  // set stands on this detail's new record, when the record it watched can no longer be
  // told: it reconciles it now.
  TcxDBDataProvider* watcher = FWatchedRecordIndex != kNoEditRecord ? this : nullptr;
  if (!watcher)
    for (TcxDBDataProvider* p : OtherProviders())
      if (p->FWatchedRecordIndex != kNoEditRecord && p->DBDataController()->IsDetail() &&
          p->IsSmartRefreshActive()) {
        watcher = p;
        break;
      }
  // A record inserted has no bookmark yet, and its key may be another record's (or Null, as
  // others are): the one posted is where the data set stands.
  const Integer r = watcher ? watcher->FWatchedRecordIndex : -1;
  if (APosted && r >= 0 && watcher->FWatchedInserting && watcher->RecordBookmark(r).empty() &&
      ds->BookmarkAvailable())
    watcher->SetRecordBookmark(r, ds->Bookmark());
  // A record posted that this detail did not watch may be its master's.
  if (APosted && watcher != this && IsDataSetRecordShown()) ReadWhenBrowsing();
  if (watcher && watcher != this) {
    // Reconciling runs handlers, which may free either.
    TWeakLink self(this), other(watcher);
    const bool reconciled = watcher->SmartRefreshWatched();
    if (!self.Alive()) return false;
    if (reconciled && other.Alive()) watcher->ResetWatch();
  }
  return SmartRefreshWatched();
}

void TcxDBDataProvider::NoteEditStateChanged() {
  TDataSet* ds = DataSet();
  if (!ds) return;
  if (IsEditState(ds->State())) {
    FChangesAtEditStart = ds->ChangeCount();
    return;
  }
  FEditEndUnheard = true;
  const Integer r = FWatchedRecordIndex;
  if (!DBDataController()->IsDetail() || !IsSmartRefreshActive() || !FWatchedInserting || r < 0 ||
      !RecordBookmark(r).empty() || ds->ChangeCount() == FChangesAtEditStart ||
      !ds->BookmarkAvailable())
    return;
  // Posted, the insert stands where the data set does; given up, the data set went back to
  // a record read before, which keeps its own bookmark.
  const TBookmarkStr mark = ds->Bookmark();
  if (BookmarkedRecordIndex(mark) < 0) SetRecordBookmark(r, mark);
}

// ---- TcxDBDataController: master-detail ----

TcxCustomDataRelation* TcxDBDataController::CreateRelation(TcxCustomDataRelationList* AList, TObject* AItem) {
  return New<TcxDBDataRelation>(AList, AItem);
}

void TcxDBDataController::SetMasterRelation(TcxCustomDataRelation* ARelation, Integer ARecordIndex) {
  auto bracket = UpdateBracket(this);
  inherited::SetMasterRelation(ARelation, ARecordIndex);
  auto* relation = dynamic_cast<TcxDBDataRelation*>(ARelation);
  if (!relation || ARecordIndex == -1) return;
  // A clone reads the pattern's data set.
  if (auto* pattern = dynamic_cast<TcxDBDataController*>(ARelation->DetailDataController());
      pattern && pattern != this && !DataSource())
    SetDataSource(pattern->DataSource());
  FMasterDetailKeyValues = relation->GetMasterRecordKeyValues(ARecordIndex);
  Refresh();
}

void TcxDBDataController::UpdateRelationFields() {
  if (!HasRelations()) return;
  for (Integer i = 0; i < Relations()->GetCount(); ++i)
    if (auto* r = dynamic_cast<TcxDBDataRelation*>(Relations()->GetItem(i)))
      UpdateInternalField(r->GetMasterKeyFieldNames(), r->MasterKeyField());
}

String TcxDBDataController::GetMasterDetailKeyFieldNames() const {
  return FMasterKeyFieldNames.empty() ? String() : FDetailKeyFieldNames;
}

std::vector<TField*> TcxDBDataController::GetDetailKeyFieldList() const {
  std::vector<TField*> r;
  TDataSet* ds = DataSet();
  const String names = GetMasterDetailKeyFieldNames();
  if (!ds || names.empty()) return r;
  Owned<TStringList> list(New<TStringList>());
  cxGetFieldNames(names, list.get());
  for (Integer i = 0; i < list->Count(); ++i) {
    TField* f = ds->FindField(list->Strings(i));
    if (!f) return {};
    r.push_back(f);
  }
  return r;
}

bool TcxDBDataController::IsDetailQueryOutdated() const {
  if (!IsDetail() || !FDataModeController->DetailInSQLMode()) return false;
  if (!FDataModeController->DetailSyncEnabled()) return true;
  if (DBProvider()->IsDetailPositioned()) return false;
  if (VarIsEmpty(FMasterDetailKeyValues)) return false;
  TDataSet* ds = DataSet();
  // A query that can tell whose records it was opened for says so: what it holds may since
  // have been given to other masters, so its current record tells nothing.
  const String names = GetMasterDetailKeyFieldNames();
  if (ds && ds->Active() && (FDataModeController->OnDetailIsCurrentQuery || HasParams(ds, names)))
    return !FDataModeController->DetailIsCurrentQuery(names, FMasterDetailKeyValues);
  const std::vector<TField*> keys = GetDetailKeyFieldList();
  // An empty query (no record for this master) has nothing to compare: it is outdated
  // unless its parameters are this master's.
  if (keys.empty() || !ds || !ds->Active() || ds->IsEmpty()) return true;
  return !cxVariantsEqual(FMasterDetailKeyValues, cxGetFieldValues(keys));
}

TcxDBProviderDetailFilterAdapter* TcxDBDataController::GetDetailFilterAdapter() const {
  TDataSet* ds = DataSet();
  TcxDBAdapterList* list = cxDBData::DetailFilterAdapters();
  Integer index = -1;
  if (ds && list && list->FindAdapter(&ds->ClassType(), index))
    if (auto* a = dynamic_cast<TcxDBProviderDetailFilterAdapter*>(list->GetItem(index))) return a;
  cxDataControllerError(cxSDBDetailFilterControllerNotFound);
}

bool TcxDBDataController::SettleEditBeforeDetailQuery() {
  if (!IsDetail() || !FDataModeController->DetailInSQLMode() || FUpdatingDetailQuery) return true;
  TDataSet* ds = DataSet();
  if (VarIsEmpty(FMasterDetailKeyValues) || !ds || !ds->Active() || !IsEditState(ds->State()))
    return true;
  if (FDataModeController->DetailIsCurrentQuery(GetMasterDetailKeyFieldNames(),
                                                FMasterDetailKeyValues))
    return true;
  // Re-opening the query ends any edit of it without a word: the edit is left first, as
  // the focus change this step belongs to leaves it (a modified record is posted). It is
  // the edit of the sibling standing on the query, if one does: that one settles it, so
  // that an insert of its own it gives up leaves its rows (another detail would post it, or
  // cancel it unseen once the query holds another master's records).
  TcxDBDataProvider* p = DBProvider();
  TcxDBDataController* owner = this;
  for (TcxDBDataProvider* other : p->OtherProviders())
    if (other->DBDataController()->IsDetail() && other->IsDetailPositioned()) {
      owner = other->DBDataController();
      break;
    }
  // The post's or cancel's handlers may free the data set, its source or this detail.
  cxDBDataGuards::TStepWatch<TcxDBDataProvider> watch(p, ds);
  owner->CheckBrowseState();
  if (!watch.Alive()) return false;
  if (owner != this && IsEditState(ds->State())) {
    CheckBrowseState();
    if (!watch.Alive()) return false;
  }
  return true;
}

void TcxDBDataController::UpdateDetailQuery() {
  if (!IsDetail() || !FDataModeController->DetailInSQLMode() || FUpdatingDetailQuery) return;
  if (VarIsEmpty(FMasterDetailKeyValues) || !DataSet()) return;
  if (FDataModeController->DetailIsCurrentQuery(GetMasterDetailKeyFieldNames(), FMasterDetailKeyValues)) return;
  TcxDBDataProvider* p = DBProvider();
  if (!SettleEditBeforeDetailQuery()) return;
  // Re-opening and reading run the data set's handlers, which may free this detail.
  TWeakLink self(this);
  {
    FUpdatingDetailQuery = true;
    TWatchedScopeExit updating(this, [this] { FUpdatingDetailQuery = false; });
    auto freeze = cxDBDataGuards::Frozen(p);
    p->First();
    if (!self.Alive()) return;
    p->SavePosition();
    p->RestorePosition();
    if (!self.Alive()) return;
    p->SetCurrentRecordIndex(0);
  }
  // Re-opened for this master, the query may hold records given to it while it held
  // another master's: the detail shows what it reads now.
  if (self.Alive() &&
      FDataModeController->DetailIsCurrentQuery(GetMasterDetailKeyFieldNames(),
                                                FMasterDetailKeyValues))
    Refresh();
}

void TcxDBDataController::RefreshDetailsSharingKey() {
  // Links: a sibling's read runs the data set's handlers, which may free any of them.
  std::deque<TWeakLink> siblings;
  for (TcxDBDataProvider* p : DBProvider()->OtherProviders()) {
    TcxDBDataController* other = p->DBDataController();
    if (other->IsDetail() && !other->IsPattern() &&
        other->GetDetailMode() == TcxDataControllerDetailMode::dcdmClone &&
        other->FDataModeController->DetailInSQLMode() && !other->FUpdatingDetailQuery &&
        cxVariantsEqual(other->FMasterDetailKeyValues, FMasterDetailKeyValues))
      siblings.emplace_back(other);
  }
  TWeakLink self(this);
  for (TWeakLink& link : siblings) {
    if (!self.Alive()) return;
    auto* other = static_cast<TcxDBDataController*>(link.Ref());
    // A detail positioned by its own handler reads only that way.
    if (!other || !other->CanReadInPlace() || !link.Alive()) continue;
    TWatchedValue<bool> inPlace(other, other->FReadInPlace, true);
    other->Refresh();
  }
}

void TcxDBDataController::FocusedRecordChanged() {
  inherited::FocusedRecordChanged();
  TcxCustomDataRelation* relation = GetMasterRelation();
  TcxCustomDataController* master = GetMasterDataController();
  if (!relation || !master || GetFocusedRecordIndex() < 0 || FChangingFocus) return;
  // One clone detail of a relation holds a focused record at a time: they share one data
  // set, and it stands on this one's record now.
  TScopedValue<bool> changing(FChangingFocus, true);
  // The siblings let go first, then this one takes the data set.
  master->ForEachDetailController(relation, TMethod<void(TcxCustomDataController*)>(
                                                this, &TcxDBDataController::LeaveActiveDetail));
  DBProvider()->SetDetailPositioned(true);
}

void TcxDBDataController::LeaveSiblingDetails() {
  for (TcxDBDataProvider* p : DBProvider()->OtherProviders()) {
    TcxDBDataController* other = p->DBDataController();
    if (!other->IsDetail() || other->FChangingFocus) continue;
    if (other->GetDetailMode() == TcxDataControllerDetailMode::dcdmClone)
      LeaveActiveDetail(other);
    else
      p->SetDetailPositioned(false);
  }
}

void TcxDBDataController::ResetDetailsOfChangedKeys(Integer ARecordIndex) {
  if (!HasRelations() || !Relations()->ItemField() || ARecordIndex < 0 ||
      ARecordIndex >= GetRecordCount())
    return;
  TcxCustomDataRelationList* relations = Relations();
  for (Integer i = 0; i < relations->GetCount(); ++i) {
    auto* relation = dynamic_cast<TcxDBDataRelation*>(relations->GetItem(i));
    if (!relation || !relation->HasMasterDetailKeys() || !relations->HasDetailInfo(ARecordIndex, i))
      continue;
    TcxDetailObject* object = relations->FindDetailObject(ARecordIndex);
    TcxDetailInfoObject* info = object ? object->Info(i) : nullptr;
    auto* detail = info ? dynamic_cast<TcxDBDataController*>(info->DataController()) : nullptr;
    if (!detail || cxVariantsEqual(detail->MasterDetailKeyValues(),
                                   relation->GetMasterRecordKeyValues(ARecordIndex)))
      continue;
    // Details are made for the key values their master record had: with others they are
    // made anew when next asked for (an expanded record stays expanded).
    auto bracket = UpdateBracket(this);
    relations->ClearDetailInfo(ARecordIndex, -1);
    Change({TcxDataControllerChange::dccDetail});
    return;
  }
}

void TcxDBDataController::LeaveActiveDetail(TcxCustomDataController* ADetail) {
  auto* other = dynamic_cast<TcxDBDataController*>(ADetail);
  if (!other || other == this || other->FChangingFocus || other->GetDetailMode() != TcxDataControllerDetailMode::dcdmClone)
    return;
  TScopedValue<bool> changing(other->FChangingFocus, true);
  other->DBProvider()->SetDetailPositioned(false);
  other->ChangeFocusedRecordIndex(-1);
}

namespace {

// The data set's values of those fields (one value or an array); Unassigned when a name
// names no field, so that nothing is compared or located on a field that is not there.
Variant DataSetValuesOf(TDataSet* ADataSet, const String& ANames) {
  if (!ADataSet || !ADataSet->Active() || ANames.empty()) return Variant();
  Owned<TStringList> list(New<TStringList>());
  cxGetFieldNames(ANames, list.get());
  std::vector<TField*> fields;
  for (Integer i = 0; i < list->Count(); ++i) {
    TField* f = ADataSet->FindField(list->Strings(i));
    if (!f) return Variant();
    fields.push_back(f);
  }
  return cxGetFieldValues(fields);
}

}  // namespace

bool TcxDBDataController::CanSyncMasterPos() const {
  for (const TcxCustomDataController* c = this; c; c = c->GetMasterDataController()) {
    auto* db = dynamic_cast<const TcxDBDataController*>(c);
    if (!db) return false;
    TcxDBDataProvider* p = db->DBProvider();
    if (!p->IsSyncMode() || !db->IsSmartRefresh() || p->IsEditing()) return false;
  }
  return true;
}

TcxCustomDataController* TcxDBDataController::SyncMasterPos() {
  TcxCustomDataRelation* masterRelation = GetMasterRelation();
  if (!masterRelation || GetMasterDetailKeyFieldNames().empty()) return this;
  auto* relation = dynamic_cast<TcxDBDataRelation*>(masterRelation);
  auto* master = dynamic_cast<TcxDBDataController*>(GetMasterDataController());
  if (!relation || !master || !DBProvider()->IsSyncMode() || !master->CanSyncMasterPos() ||
      master->IsCreatingDetail())
    return nullptr;
  const Variant detailValues = DataSetValuesOf(DataSet(), relation->GetDetailKeyFieldNames());
  const Variant masterValues = DataSetValuesOf(master->DataSet(), relation->GetMasterKeyFieldNames());
  // A detail standing on no record (an empty data set) names no master.
  if (VarIsEmpty(detailValues) || VarIsEmpty(masterValues)) return nullptr;
  TcxCustomDataController* result = nullptr;
  // Locating the master and following it run the data sets' handlers, which may free the
  // master (its provider with it) or this detail: nothing more is done then.
  TWeakLink self(this);
  master->FSynchronizing = true;
  TWatchedScopeExit synchronizing(master, [master] { master->FSynchronizing = false; });
  const bool equal = cxVariantsEqual(detailValues, masterValues);
  if (equal && master->IsChangingFocus()) return nullptr;
  bool located = equal;
  if (!equal) {
    TcxDBDataProvider* mp = master->DBProvider();
    auto lock = WatchedPairedCall(mp, [mp] { mp->BeginLock(); }, [mp] { mp->EndLock(); });
    located = cxDBLocateSafely(master->DataSet(), relation->GetMasterKeyFieldNames(), detailValues);
  }
  if (!self.Alive() || !synchronizing.Alive()) return nullptr;
  if (located) {
    // The masters above come first: the record's detail exists only once its own master
    // stands on it.
    const Integer relationIndex = relation->Index();
    if (TcxCustomDataController* shown = master->SyncMasterPos()) {
      if (!self.Alive()) return nullptr;
      result = ActivateDetailOfFocusedRecord(shown, relationIndex, detailValues);
    }
    if (!self.Alive()) return nullptr;
    ReportSyncMasterPos();
  }
  return result;
}

TcxCustomDataController* TcxDBDataController::ActivateDetailOfFocusedRecord(TcxCustomDataController* AController,
                                                                            Integer ARelationIndex,
                                                                            const Variant& AKeyValues) {
  if (!AController || AController->GetFocusedRowIndex() < 0) return nullptr;
  const Integer record = AController->GetFocusedRecordIndex();
  if (record < 0) return nullptr;
  // Making the detail binds it to its data set, whose handlers may free the controller.
  TWeakLink alive(AController);
  AController->ChangeDetailExpanding(record, true);
  // The handlers may also have taken records away (the master's data set freed).
  auto gone = [&] { return !alive.Alive() || record >= AController->GetRecordCount(); };
  if (gone() || !AController->GetDetailExpanding(record)) return nullptr;
  const Integer active = AController->GetDetailActiveRelationIndex(record);
  if (active >= 0 && active != ARelationIndex) {
    // Another relation already shows a detail of this data set on the same key values.
    auto* other = dynamic_cast<TcxDBDataController*>(AController->GetDetailDataController(record, active));
    if (gone()) return nullptr;
    if (other && cxVariantsEqual(DataSetValuesOf(other->DataSet(), other->DetailKeyFieldNames()), AKeyValues))
      return other;
  }
  AController->ChangeDetailActiveRelationIndex(record, ARelationIndex);
  if (gone()) return nullptr;
  return AController->GetDetailDataController(record, ARelationIndex);
}

bool TcxDBDataController::CanChangeDetailExpanding(Integer ARecordIndex, bool AExpanded) {
  if (IsGridMode() && AExpanded) {
    // The buffered records are the data set's window: the master record is made current
    // before its detail asks the data set for its records.
    // Moving the data set runs its handlers, which may free this controller.
    TWeakLink self(this);
    for (Integer attempt = 0; attempt < 2 && GetFocusedRecordIndex() != ARecordIndex; ++attempt) {
      ChangeFocusedRecordIndex(ARecordIndex);
      // The handlers may also have closed or freed the data set: the window is gone.
      if (!self.Alive() || ARecordIndex >= GetRecordCount()) return false;
    }
    if (GetFocusedRecordIndex() != ARecordIndex) return false;
  }
  return inherited::CanChangeDetailExpanding(ARecordIndex, AExpanded);
}

// ---- Start-up ----

namespace cxDBData {

void Initialize() {
  gDetailFilterAdapters = New<TcxDBAdapterList>();
  gDetailFilterAdapters->RegisterAdapter(
      &TDataSet::StaticClass(),
      ClassOf<TcxDBProviderDetailFilterAdapter, TcxDBAdapterItem, const TClass*>());
}

void Finalize() { FreeAndNil(gDetailFilterAdapters); }

TcxDBAdapterList* DetailFilterAdapters() { return gDetailFilterAdapters; }

}  // namespace cxDBData

TL_DEFINE_CLASS(TcxDBDataRelation)
TL_DEFINE_CLASS(TcxDBProviderDetailFilterAdapter)
