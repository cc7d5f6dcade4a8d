// The data-set controller: its data fields bound to TFields, keys, records by key, focus
// that moves the data set, and the unit's start-up.
#include "widgets/databinding/cxDBData.h"

#include "classlib/core/ScopeGuards.h"
#include "widgets/databinding/cxDBFilter.h"

#include "widgets/databinding/cxDBDataGuards.h"
#include "widgets/foundation/cxClasses.h"

#include <algorithm>
#include <typeinfo>
#include <unordered_map>

using namespace cxDBDataGuards;
using enum TcxDataControllerChange;
using enum TDataSetState;

const TResStringRec cxSDBKeyFieldNotFound = {63210, "Key Field not found"};
const TResStringRec cxSDBParentFieldAssigned = {63213, "ADataField.FParentField <> nil"};
const TResStringRec cxSDBFieldBindingUnsettled = {63214, "The value type of a field does not settle"};

namespace {

// How often binding a field may find its value type changed before it gives up: a field
// settles in one pass, a field whose text setting depends on its type in two.
constexpr Integer kMaxBindingPasses = 4;

TcxValueTypeClass ValueTypeOf(const TField* AField) {
  if (!AField) return TcxStringValueType::StaticClass();
  switch (AField->DataType()) {
    using enum TFieldType;
    case ftString: return TcxStringValueType::StaticClass();
    case ftSmallint: return TcxSmallintValueType::StaticClass();
    case ftInteger:
    case ftAutoInc: return TcxIntegerValueType::StaticClass();
    case ftWord: return TcxWordValueType::StaticClass();
    case ftBoolean: return TcxBooleanValueType::StaticClass();
    case ftFloat:
    case ftCurrency: return TcxFloatValueType::StaticClass();
    case ftBCD: return TcxCurrencyValueType::StaticClass();
    case ftDate:
    case ftTime:
    case ftDateTime: return TcxDateTimeValueType::StaticClass();
    case ftWideString: return TcxWideStringValueType::StaticClass();
    case ftLargeint: return TcxLargeIntValueType::StaticClass();
    case ftFMTBcd: return TcxFMTBcdValueType::StaticClass();
    default: return TcxVariantValueType::StaticClass();
  }
}

// Key values for the key fields of a locate: the fields it was given read their values,
// every other field is left alone.
class TcxKeyValuesReader : public TcxValueDefReader {
 public:
  void Add(TcxCustomDataField* AField, const Variant& AValue) {
    FFields.push_back(AField->RootField());
    FValues.push_back(AValue);
  }
  Variant GetValue(TcxValueDef* AValueDef) override {
    for (size_t i = 0; i < FFields.size(); ++i)
      if (FFields[i] == AValueDef->Link()) return FValues[i];
    return Unassigned();
  }
  bool IsInternal(TcxValueDef* AValueDef) override {
    return std::find(FFields.begin(), FFields.end(), AValueDef->Link()) == FFields.end();
  }

 private:
  std::vector<TObject*> FFields;
  std::vector<Variant> FValues;
};

}  // namespace

// ---- TcxValueDefDBReader ----

TcxValueDefDBReader::TDefRead& TcxValueDefDBReader::ReadOf(TcxValueDef* AValueDef) {
  // The definition asked last (its value after whether it is internal), else the next.
  size_t i = FLast;
  if (i >= FReads.size() || FReads[i].Def != AValueDef) {
    i = i + 1 < FReads.size() ? i + 1 : 0;
    if (i >= FReads.size() || FReads[i].Def != AValueDef) {
      i = 0;
      while (i < FReads.size() && FReads[i].Def != AValueDef) ++i;
      if (i == FReads.size()) {
        TDefRead n;
        n.Def = AValueDef;
        n.Field = dynamic_cast<TcxDBDataField*>(AValueDef->Link());
        FReads.push_back(n);
      }
    }
  }
  FLast = i;
  TDefRead& r = FReads[i];
  // The data field may be bound to another field meanwhile: its kind is found again.
  TField* field = r.Field ? r.Field->Field() : nullptr;
  if (field != r.DataSetField) {
    r.DataSetField = field;
    if (field) r.Kind = cxFieldValueKind(field);
  }
  return r;
}

String TcxValueDefDBReader::GetDisplayText(TcxValueDef* AValueDef) {
  const TDefRead& r = ReadOf(AValueDef);
  TField* field = r.DataSetField;
  if (!field) return inherited::GetDisplayText(AValueDef);
  // Only a text handler runs the program's code here. It may free the controller (with its
  // storage and this reader's data fields), the data set or its source: the read ends there.
  TcxDBDataController* c = field->OnGetText ? r.Field->DBDataController() : nullptr;
  TcxDBDataProvider* p = c ? c->DBProvider() : nullptr;
  if (!p || !p->DataSet()) return field->DisplayText();
  TStepWatch<TcxDBDataProvider> watch(p, p->DataSet());
  String text = field->DisplayText();
  if (!watch.Alive()) Stop();
  return text;
}

Variant TcxValueDefDBReader::GetValue(TcxValueDef* AValueDef) {
  const TDefRead& r = ReadOf(AValueDef);
  if (r.DataSetField) return cxGetFieldValue(r.DataSetField, r.Kind);
  return inherited::GetValue(AValueDef);
}

bool TcxValueDefDBReader::IsInternal(TcxValueDef* AValueDef) {
  const TDefRead& r = ReadOf(AValueDef);
  return r.Field ? r.Field->IsValueInternal() : true;
}

// ---- TcxDBDataField ----

void TcxDBDataField::BeforeDestruction() {
  if (FParentField) FParentField->RemoveSubField(this);
  ClearSubFields();
  SetField(nullptr);
  inherited::BeforeDestruction();
}

TcxDBDataController* TcxDBDataField::DBDataController() const {
  return static_cast<TcxDBDataController*>(GetDataController());
}

const TcxDBDataField* TcxDBDataField::Root() const {
  const TcxDBDataField* f = this;
  for (Integer depth = 0; f->ReferenceField() && depth < 64; ++depth) {
    auto* next = dynamic_cast<const TcxDBDataField*>(f->ReferenceField());
    if (!next) break;
    f = next;
  }
  return f;
}

TField* TcxDBDataField::Field() const { return Root()->FField; }
Integer TcxDBDataField::FieldCount() const { return Integer(Root()->FFields.size()); }
TcxDBDataField* TcxDBDataField::Fields(Integer AIndex) const { return Root()->FFields.at(size_t(AIndex)); }
bool TcxDBDataField::IsLookup() const {
  TField* f = Field();
  return f && f->FieldKind() == TFieldKind::fkLookup;
}

void TcxDBDataField::SetField(TField* Value) {
  if (Value && Value->InState(TComponentStateItem::csDestroying)) Value = nullptr;
  if (FField == Value) return;
  TcxCustomDataController* c = GetDataController();
  TComponent* notifier = c ? c->Notifier() : nullptr;
  if (FField && notifier) FField->RemoveFreeNotification(notifier);
  FField = Value;
  if (FField && notifier) FField->FreeNotification(notifier);
  ClearSubFields();
}

void TcxDBDataField::AddSubField(TcxDBDataField* ADataField) {
  if (std::find(FFields.begin(), FFields.end(), ADataField) != FFields.end()) return;
  if (ADataField->FParentField) cxDataControllerError(cxSDBParentFieldAssigned);
  FFields.push_back(ADataField);
  ADataField->FParentField = this;
}

void TcxDBDataField::RemoveSubField(TcxDBDataField* ADataField) {
  auto it = std::find(FFields.begin(), FFields.end(), ADataField);
  if (it == FFields.end()) return;
  FFields.erase(it);
  ADataField->FParentField = nullptr;
}

void TcxDBDataField::ClearSubFields() {
  while (!FFields.empty()) {
    TcxDBDataField* f = FFields.back();
    FFields.pop_back();
    f->FParentField = nullptr;
    if (FieldList())
      FieldList()->Remove(f);
    else
      f->Free();
  }
}

void TcxDBDataField::Reassign(TcxCustomDataField* ASource) {
  inherited::Reassign(ASource);
  auto* src = dynamic_cast<TcxDBDataField*>(ASource);
  if (!src) return;
  SetField(src->FField);
  src->SetField(nullptr);
  FFields = std::move(src->FFields);
  src->FFields.clear();
  for (TcxDBDataField* f : FFields) f->FParentField = this;
}

void TcxDBDataField::RemoveNotification(TComponent* AComponent) {
  if (ReferenceField() || AComponent != FField) {
    inherited::RemoveNotification(AComponent);
    return;
  }
  TcxDBDataController* c = DBDataController();
  TcxDBDataProvider* p = c ? c->DBProvider() : nullptr;
  if (p && p->IsInsideFirst() && p->DataLink()->Active() && p->DataSet() && !p->DataSet()->Active())
    p->SetFieldsVanished();
  FField = nullptr;
  if (p && !p->IsFrozen()) p->LayoutChanged(1);
}

bool TcxDBDataField::CanModify(TcxDataEditValueSource AEditValueSource) const {
  const bool base = inherited::CanModify(AEditValueSource);
  if (IsUnbound()) return base;
  TField* f = Field();
  if (!base || !f) return false;
  if (f->FieldKind() == TFieldKind::fkLookup) {
    if (AEditValueSource != TcxDataEditValueSource::evsKey || FieldCount() == 0) return false;
    for (Integer i = 0; i < FieldCount(); ++i)
      if (!Fields(i)->CanModify(TcxDataEditValueSource::evsValue)) return false;
    return true;
  }
  return cxIsFieldEditable(f, AEditValueSource == TcxDataEditValueSource::evsValue);
}

bool TcxDBDataField::IsUnbound() const { return !IsInternal() && !Field() && GetValueDef(); }

bool TcxDBDataField::IsValueInternal() const {
  TcxDBDataController* c = DBDataController();
  const bool grid = c && c->IsGridMode();
  if (Field()) return grid;
  if (IsUnbound()) return !(c && c->IsReadingRecord());
  return true;
}

void TcxDBDataField::UpdateValueTypeFromField() {
  if (ReferenceField()) return;
  TcxDBDataController* c = DBDataController();
  TField* field = FField;
  const Integer index = GetIndex();
  for (Integer pass = 0;; ++pass) {
    if (pass >= kMaxBindingPasses) cxDataControllerError(cxSDBFieldBindingUnsettled);
    const TcxValueTypeClass type = ValueTypeOf(field);
    bool textDefault = false;
    if (!IsInternal() && c && index >= 0)
      textDefault = c->GetItemEditValueSource(index) == TcxDataEditValueSource::evsText;
    const bool text = field ? cxIsFieldDisplayTextNeeded(field, textDefault) : false;
    const bool currency = field ? cxIsCurrencyField(field) : false;
    if (type == GetValueTypeClass() && currency == FIsCurrency && text == GetTextStored()) return;
    const bool typeChanged = type != GetValueTypeClass();
    BeginRecreateValueDef();
    SetTextStored(text);
    SetValueTypeClass(type);
    FIsCurrency = currency;
    EndRecreateValueDef();
    if (typeChanged && !IsInternal() && c) {
      c->ItemValueTypeChanged(index);
      for (Integer i = 0; i < c->GetItemCount(); ++i) {
        TcxCustomDataField* other = c->Fields()->GetItem(i);
        if (other != this && other->ReferenceField() == this) c->ItemValueTypeChanged(i);
      }
    }
  }
}

// ---- TcxDBDataSummaryItem ----

void TcxDBDataSummaryItem::BeforeDestruction() {
  if (FDataField)
    if (TcxDBDataController* c = dynamic_cast<TcxDBDataController*>(GetDataController())) {
      TcxDBDataField* f = FDataField;
      FDataField = nullptr;
      c->Fields()->Remove(f);
    }
  inherited::BeforeDestruction();
}

void TcxDBDataSummaryItem::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TcxDBDataSummaryItem*>(Source);
  if (!src) {
    inherited::Assign(Source);
    return;
  }
  auto update = PairedCall(
      [this] {
        if (Collection()) Collection()->BeginUpdate();
      },
      [this] {
        if (Collection()) Collection()->EndUpdate();
      });
  inherited::Assign(Source);
  SetFieldName(src->FFieldName);
}

bool TcxDBDataSummaryItem::IsCurrency(TVarType AVarType) const {
  auto* f = dynamic_cast<TcxDBDataField*>(GetField());
  if (f && f->Field()) return f->IsCurrency();
  return inherited::IsCurrency(AVarType);
}

TcxCustomDataField* TcxDBDataSummaryItem::GetField() const {
  return FDataField ? FDataField : inherited::GetField();
}

void TcxDBDataSummaryItem::SetFieldName(const String& Value) {
  if (Value == FFieldName) return;
  FFieldName = Value;
  if (auto* c = dynamic_cast<TcxDBDataController*>(GetDataController())) c->UpdateInternalField(FFieldName, FDataField);
}

// ---- TcxDBDataController ----

void TcxDBDataController::AfterConstruction() {
  FDataModeController = New<TcxDBDataModeController>(this);
  inherited::AfterConstruction();
}

void TcxDBDataController::BeforeDestruction() {
  // The link goes while everything it reaches still lives.
  if (Provider() && DBProvider()->DataLink()) {
    DBProvider()->ReleaseFrozenControls();
    DBProvider()->DataLink()->SetDataSource(nullptr);
  }
  FreeAndNil(FDataModeController);
  inherited::BeforeDestruction();
}

void TcxDBDataController::Assign(TPersistent* Source) {
  inherited::Assign(Source);
  auto* src = dynamic_cast<TcxDBDataController*>(Source);
  if (!src) return;
  // Copies first: binding to the data source (and naming keys) runs its data set's
  // handlers, which may free the source controller or this one.
  const String keys = src->FKeyFieldNames;
  const String detailKeys = src->FDetailKeyFieldNames;
  const String masterKeys = src->FMasterKeyFieldNames;
  OnDetailHasChildren = src->OnDetailHasChildren;
  FDataModeController->Assign(src->FDataModeController);
  TWeakLink self(this);
  SetDataSource(src->DataSource());
  if (!self.Alive()) return;
  SetKeyFieldNames(keys);
  if (!self.Alive()) return;
  SetDetailKeyFieldNames(detailKeys);
  if (!self.Alive()) return;
  SetMasterKeyFieldNames(masterKeys);
}

TDataSource* TcxDBDataController::DataSource() const { return DBProvider()->DataLink()->DataSource(); }

void TcxDBDataController::SetDataSource(TDataSource* Value) {
  TcxDBDataLink* link = DBProvider()->DataLink();
  if (link->DataSource() == Value) return;
  DBProvider()->SetLinkDataSource(Value);
  if (link->DataSource() == Value) DataSourceChanged();
}

void TcxDBDataController::SetKeyFieldNames(const String& Value) {
  if (FKeyFieldNames == Value) return;
  FKeyFieldNames = Value;
  UpdateInternalField(FKeyFieldNames, FKeyField);
}

void TcxDBDataController::SetDetailKeyFieldNames(const String& Value) {
  if (FDetailKeyFieldNames == Value) return;
  FDetailKeyFieldNames = Value;
  KeyNamesChanged();
}

void TcxDBDataController::SetMasterKeyFieldNames(const String& Value) {
  if (FMasterKeyFieldNames == Value) return;
  FMasterKeyFieldNames = Value;
  KeyNamesChanged();
}

void TcxDBDataController::KeyNamesChanged() {
  // The master reads other key values now, and the details made for the old ones go. A
  // clone's names are its pattern's copy (and the master would free the clone in its own
  // setter), and a master that is itself a clone follows its pattern.
  using enum TcxDataControllerDetailMode;
  TcxCustomDataRelation* relation = GetMasterRelation();
  TcxCustomDataController* master = relation ? relation->DataController() : nullptr;
  if (!master || GetDetailMode() == dcdmClone || master->GetDetailMode() == dcdmClone || !master->HasRelations())
    return;
  // The end of the relation list's update reports the change, as a change of one relation does.
  master->Relations()->BeginUpdate();
  master->Relations()->EndUpdate();
}

TcxDataProviderClass TcxDBDataController::GetDataProviderClass() const {
  return ClassOf<TcxDBDataProvider, TcxCustomDataProvider, TcxCustomDataController*>();
}

TcxCustomDataField* TcxDBDataController::CreateField() { return New<TcxDBDataField>(Fields()); }

TCollectionItemClass TcxDBDataController::GetSummaryItemClass() const {
  return ClassOf<TcxDBDataSummaryItem, TCollectionItem, TCollection*>();
}

String TcxDBDataController::RecordIdentity(Integer ARecordIndex) const {
  const TcxDBDataProvider* p = DBProvider();
  if (!p || Integer(p->RecordBookmarks().size()) != GetRecordCount()) return {};
  return p->RecordBookmark(ARecordIndex);
}

void TcxDBDataController::GetKeyFields(std::vector<TcxCustomDataField*>& AList) const {
  if (!FKeyField) return;
  if (FKeyField->FieldCount() == 0 && !cxIsMultipleFieldNames(FKeyFieldNames)) {
    AList.push_back(FKeyField);
    return;
  }
  for (Integer i = 0; i < FKeyField->FieldCount(); ++i) AList.push_back(FKeyField->Fields(i));
}

bool TcxDBDataController::IsProviderValueField(TcxCustomDataField* AField) const {
  if (inherited::IsProviderValueField(AField)) return true;
  auto* f = dynamic_cast<TcxDBDataField*>(AField);
  return f && f->Field();
}

bool TcxDBDataController::IsSmartRefresh() const { return FKeyField && !IsGridMode(); }

// Its compare and filter are the base's; the loaded records are read from the storage.
bool TcxDBDataController::RowsFollowRecordValues() const {
  return typeid(*this) == typeid(TcxDBDataController);
}

bool TcxDBDataController::IsSmartRefreshActive() const { return DBProvider()->IsSmartRefreshActive(); }

void TcxDBDataController::ReloadStorage() {
  TDataSet* ds = DataSet();
  if (ds && ds->Active()) {
    UpdateRelationFields();
    UpdateFields();
  }
  TcxDBDataProvider* p = DBProvider();
  // Reading every record moves the data set, which would end an edit of it, perhaps
  // another component's: one holding changes is posted first (a refused post raises, and
  // nothing is read), one without stays, and the records are read around it
  // (ReadProviderRecords); they are read again once it ends.
  // Posting runs the data set's handlers, which may free this controller.
  if (ds && !IsGridMode() && p->IsActive() &&
      GetDetailMode() != TcxDataControllerDetailMode::dcdmPattern) {
    TWeakLink settling(this);
    const bool stays = p->SettleEditBeforeRead();
    if (!settling.Alive()) return;
    if (stays) p->ReadWhenBrowsing();
  }
  // Expanded groups and selected rows are found again by their keys; without keys the
  // selected rows are found by the data set's bookmarks (and the base's fallback, a
  // refresh, would read everything once more).
  const bool byKey = IdentifiesRecordsByKey();
  if (!byKey && !IsGridMode()) {
    ReloadKeepingSelectionByBookmarks();
    return;
  }
  if (byKey) BeginSaveKeys();
  const bool reading = p->FReadingAll;
  p->FReadingAll = true;
  TWeakLink self(this);  // the walk runs the data set's handlers, which may free this controller
  {
    TWatchedScopeExit restore(this, [this, p, reading, byKey] {
      p->FReadingAll = reading;
      if (byKey) EndRestoreKeys();
    });
    inherited::ReloadStorage();
  }
  if (!self.Alive()) return;
  DBProvider()->ClearReloadMark();
}

void TcxDBDataController::ReloadKeepingSelectionByBookmarks() {
  TcxDBDataProvider* p = DBProvider();
  TcxDataSelection* selection = DataControllerInfo()->Selection();
  // The selected records' bookmarks, by their places in the selection; none when the
  // bookmarks no longer match the stored records (records went without a read since).
  std::vector<TBookmarkStr> selected;
  const TcxRecordBookmarks& marks = p->RecordBookmarks();
  const bool known = Integer(marks.size()) == GetRecordCount();
  for (Integer i = 0; i < selection->Count(); ++i) {
    const TcxDataSelectionEntry& e = selection->Items(i);
    const bool record = e.Kind != -1 && e.Index >= 0 && size_t(e.Index) < marks.size();
    selected.push_back(known && record ? marks[size_t(e.Index)] : TBookmarkStr());
  }
  auto bracket = UpdateBracket(this);
  TWeakLink self(this);  // the walk runs the data set's handlers, which may free this controller
  {
    TWatchedValue<bool> readingAll(this, p->FReadingAll, true);
    inherited::ReloadStorage();
  }
  if (!self.Alive()) return;
  p->ClearReloadMark();
  if (selected.empty()) return;
  std::unordered_map<TBookmarkStr, Integer> records;
  for (size_t r = 0; r < marks.size(); ++r)
    if (!marks[r].empty()) records.emplace(marks[r], Integer(r));
  // A record that is gone, or was never known, takes its entry with it: the entry must
  // not name whatever record now stands at its old index.
  selection->RemapRecords([&](Integer AEntry, Integer) {
    if (size_t(AEntry) >= selected.size() || selected[size_t(AEntry)].empty()) return -1;
    auto it = records.find(selected[size_t(AEntry)]);
    return it == records.end() ? -1 : it->second;
  });
}

void TcxDBDataController::ReadProviderRecords() {
  TcxDBDataProvider* p = DBProvider();
  p->ClearRecordBookmarks();
  p->EveryRecordRead();
  TDataSet* ds = DataSet();
  if (!ds || (!IsEditState(ds->State()) && !FReadInPlace)) {
    // The walk runs the data set's handlers, which may free this controller or the data set.
    TStepWatch<TcxDBDataProvider> watch(p, ds);
    try {
      inherited::ReadProviderRecords();
      if (watch.ProviderAlive()) p->FReadCutShort = false;
    } catch (...) {
      if (watch.ProviderAlive()) p->FReadCutShort = true;
      throw;
    }
    // The records are all new: the current one is the record the data set stands on, found
    // by its bookmark, whatever the provider counted to before (a detail's query re-opened
    // for its master stands elsewhere, and may hold fewer records). The focus follows it,
    // the focused index naming a record of the storage read before; standing on none of
    // them (a positioning handler left it on another master's), it leaves the focus alone.
    if (watch.Alive() && !IsGridMode()) {
      const Integer current =
          ds->Active() && ds->BookmarkAvailable() ? p->BookmarkedRecordIndex(ds->Bookmark()) : -1;
      p->SetCurrentRecordIndex(current);
      if (current >= 0 && p->IsSyncMode() && GetFocusedRecordIndex() != current)
        inherited::ResetFocusing();
    }
    // Opened again for this master, the query holds what it reads for the details of other
    // master records sharing its key values too: they read it as well.
    if (watch.Alive() && p->FQueryReopened) {
      p->FQueryReopened = false;
      RefreshDetailsSharingKey();
    }
  } else if (CanReadInPlace()) {
    ReadRecordsInPlace();
  } else {
    // A detail whose data set must first be opened again (or positioned by a handler)
    // for its master shows no record until the edit ends: nor is a record of it edited.
    if (p->EditingRecordIndex() != kNoEditRecord) p->ResetEditing();
    p->SetCurrentRecordIndex(-1);
  }
}

bool TcxDBDataController::CanReadInPlace() {
  if (!IsDetail() || VarIsEmpty(FMasterDetailKeyValues)) return true;
  if (FDataModeController->OnDetailFirst) return false;
  return !FDataModeController->DetailInSQLMode() ||
         FDataModeController->DetailIsCurrentQuery(GetMasterDetailKeyFieldNames(),
                                                   FMasterDetailKeyValues);
}

void TcxDBDataController::ReadRecordsInPlace() {
  TcxDBDataProvider* p = DBProvider();
  TDataSet* ds = DataSet();
  // The stored records are all new: an edit of an old one is left to the data set.
  if (p->EditingRecordIndex() != kNoEditRecord) p->ResetEditing();
  p->SetCurrentRecordIndex(-1);
  const bool detail = IsDetail();
  const std::vector<TField*> keys = detail ? GetDetailKeyFieldList() : std::vector<TField*>();
  if (detail && (VarIsEmpty(FMasterDetailKeyValues) || keys.empty())) return;
  // The record being edited (none while one is inserted).
  const TBookmarkStr current = ds->BookmarkAvailable() ? ds->Bookmark() : TBookmarkStr();
  Owned<TcxValueDefReader> reader(p->GetValueDefReaderClass().Create());
  // The data set's handlers run as its records are read and may free this controller.
  TWeakLink self(this);
  ds->ReadRecords([&](const TBookmarkStr& ABookmark) {
    if (!self.Alive()) return false;
    // A detail's records are those of its master, wherever they stand.
    if (detail && !cxVariantsEqual(cxGetFieldValues(keys), FMasterDetailKeyValues)) return true;
    const Integer r = DataStorage()->AppendRecord();
    if (!DataStorage()->ReadRecordValues(r, reader.get())) return false;
    p->SetRecordBookmark(r, ABookmark);
    if (!current.empty() && ds->CompareBookmarks(ABookmark, current) == 0)
      p->SetCurrentRecordIndex(r);
    return true;
  });
}

void TcxDBDataController::DeliverHeldBackNotices() { DBProvider()->DeliverPendingNotices(); }

void TcxDBDataController::UpdateField(TcxCustomDataField* AField) {
  inherited::UpdateField(AField);
  if (auto* f = dynamic_cast<TcxDBDataField*>(AField)) BindDataField(f, false);
}

void TcxDBDataController::UpdateFields() {
  inherited::UpdateFields();
  for (Integer i = 0; i < Fields()->GetCount(); ++i)
    if (auto* f = dynamic_cast<TcxDBDataField*>(Fields()->GetItem(i))) BindDataField(f, true);
}

void TcxDBDataController::UnbindFields() {
  TScopedValue<bool> unbinding(FUnbindingFields, true);
  UpdateFields();
}

void TcxDBDataController::RemoveNotification(TComponent* AComponent) { inherited::RemoveNotification(AComponent); }

void TcxDBDataController::UpdateStructure() {
  TcxDBDataLink* link = DBProvider()->DataLink();
  const Integer buffer = link->BufferCount();
  TWeakLink self(this);  // reading the records runs the data set's handlers
  if (!IsGridMode()) link->SetBufferCount(1);
  if (!self.Alive()) return;
  inherited::UpdateStructure();
  if (self.Alive() && link->BufferCount() != buffer) DBProvider()->RefreshOtherWindows();
}

void TcxDBDataController::ResetFocusing() {
  auto bracket = UpdateBracket(this);
  inherited::ResetFocusing();
  TcxDBDataProvider* p = DBProvider();
  if (!p->IsSyncMode()) return;
  if (GetDetailMode() == TcxDataControllerDetailMode::dcdmPattern) {
    // The pattern reads no records: its data set's position is handed to the masters.
    bool otherChanging = false;
    for (TcxDBDataProvider* other : p->OtherProviders()) otherChanging = otherChanging || other->IsInsideOwnOperation();
    if (!IsLoading() && !p->IsInsideActivation() && !otherChanging && !FSynchronizing && !FCheckingBrowseState)
      SyncMasterPos();
    return;
  }
  if (IsPattern() || !IdentifiesRecordsByKey() || IsLoading()) return;
  std::vector<TcxCustomDataField*> keys;
  GetKeyFields(keys);
  const Integer current = p->CurrentRecordIndex();
  // The record the provider counted to usually is the data set's current one: only when
  // its key differs is the storage searched.
  // Records that share a key are told apart by their bookmarks, where known.
  TDataSet* ds = DataSet();
  const TBookmarkStr at = ds && ds->BookmarkAvailable() ? ds->Bookmark() : TBookmarkStr();
  auto otherRecord = [&](Integer ARecord) {
    const TBookmarkStr mark = p->RecordBookmark(ARecord);
    return !at.empty() && !mark.empty() && mark != at;
  };
  if (current >= 0 && current < GetRecordCount()) {
    try {
      if (cxVariantsEqual(GetFieldValues(current, keys), GetDataSetKeyValues()) &&
          !otherRecord(current))
        return;
    } catch (const EcxInvalidDataControllerOperation&) {
      return;
    }
  }
  TWeakLink self(this);
  Integer r = FindRecordIndexByFields(keys);
  if (!self.Alive()) return;  // a compare handler freed the controller
  if (r >= 0 && otherRecord(r)) {
    const Integer marked = p->BookmarkedRecordIndex(at);
    if (marked >= 0) r = marked;
  }
  if (r != current) {
    p->SetCurrentRecordIndex(r);
    inherited::ResetFocusing();
  }
}

void TcxDBDataController::ActiveChanged(bool AActive) {
  // A query re-opened for another master's detail: this detail keeps the records it read
  // (reading now would re-open the query for this master again, and so on for ever).
  if (AActive && IsDetailQueryOutdated()) return;
  if (AActive && DataStorage()->StoredValuesOnly() != IsGridMode()) {
    // The data set has a say in the mode (one that only moves forward is never shown in
    // grid mode): records kept for the other mode are laid out anew before they are read.
    auto bracket = UpdateBracket(this);
    UpdateStructure();
    inherited::ActiveChanged(AActive);
  } else {
    inherited::ActiveChanged(AActive);
  }
  if (!AActive && !IsDestroying()) {
    // Bookmarks are texts of the data set that closed; the next one open on this link (or
    // the same one read anew) may know the same texts for other records.
    DBSelection()->DropAllBookmarks();
    if (!FGridBookmark.empty()) {
      FGridBookmark.clear();
      Change({TcxDataControllerChange::dccBookmark});
    }
  }
  // A closed data set shows no records: what was read from it goes with it.
  if (!AActive && GetRecordCount() > 0 && !IsDestroying()) UpdateStructure();
}

void TcxDBDataController::NotifyDataChanged() {
  inherited::NotifyDataChanged();
  UpdateRelationFields();
}

void TcxDBDataController::Loaded() {
  if (!FLoadedOnce) {
    if (DBProvider()->IsDataSetReady()) Refresh();
  }
  inherited::Loaded();
  FLoadedOnce = true;
}

bool TcxDBDataController::ExecuteAction(TBasicAction* AAction) {
  return inherited::ExecuteAction(AAction) || DBProvider()->DataLink()->ExecuteAction(AAction);
}

bool TcxDBDataController::UpdateAction(TBasicAction* AAction) {
  return inherited::UpdateAction(AAction) || DBProvider()->DataLink()->UpdateAction(AAction);
}

void TcxDBDataController::ChangeValueTypeClass(Integer AItemIndex, TcxValueTypeClass AValueTypeClass) {
  CheckItemRange(AItemIndex);
  if (GetItemDataSetField(AItemIndex)) return;
  inherited::ChangeValueTypeClass(AItemIndex, AValueTypeClass);
}

bool TcxDBDataController::IsItemDisplayFormatDefined(Integer AItemIndex, bool AIgnoreCurrency) const {
  const bool r = inherited::IsItemDisplayFormatDefined(AItemIndex, AIgnoreCurrency);
  if (AIgnoreCurrency && r)
    if (TField* f = GetItemDataSetField(AItemIndex); f && cxIsCurrencyField(f)) return false;
  return r;
}

Variant TcxDBDataController::GetGroupValue(Integer ARecordIndex, TcxCustomDataField* AField) const {
  auto* f = dynamic_cast<TcxDBDataField*>(AField);
  if (!f || !f->IsLookup()) return inherited::GetGroupValue(ARecordIndex, AField);
  if (f->FieldCount() == 1) return inherited::GetGroupValue(ARecordIndex, f->Fields(0));
  Variant r = VarArrayCreate(0, f->FieldCount() - 1, varVariant);
  for (Integer i = 0; i < f->FieldCount(); ++i) VarArrayPut(r, inherited::GetGroupValue(ARecordIndex, f->Fields(i)), i);
  return r;
}

Variant TcxDBDataController::GetRecordFieldValue(Integer ARecordIndex, TcxCustomDataField* AField) const {
  auto* f = dynamic_cast<TcxDBDataField*>(AField);
  if (!f || !f->IsLookup()) return inherited::GetRecordFieldValue(ARecordIndex, AField);
  if (f->FieldCount() == 0) return Null();
  if (f->FieldCount() == 1) return GetRecordFieldValue(ARecordIndex, f->Fields(0));
  Variant r = VarArrayCreate(0, f->FieldCount() - 1, varVariant);
  for (Integer i = 0; i < f->FieldCount(); ++i) VarArrayPut(r, GetRecordFieldValue(ARecordIndex, f->Fields(i)), i);
  return r;
}

String TcxDBDataController::GetItemFieldName(Integer AItemIndex) const {
  TcxDBDataField* f = GetDBField(AItemIndex);
  TField* field = f->Field();
  if (!field) return String();
  const auto* filter = dynamic_cast<const TcxDBDataFilterCriteria*>(Filter());
  const bool ignoreOrigin = !filter || filter->IgnoreOrigin();
  if (field->FieldKind() != TFieldKind::fkLookup) return cxGetFilterFieldName(field, ignoreOrigin);
  String r;
  for (Integer i = 0; i < f->FieldCount(); ++i) {
    if (i > 0) r += ';';
    r += cxGetFilterFieldName(f->Fields(i)->Field(), ignoreOrigin);
  }
  return r;
}

TcxFilterCriteriaClass TcxDBDataController::GetFilterCriteriaClass() const {
  return ClassOf<TcxDBDataFilterCriteria, TcxFilterCriteria, TcxCustomDataController*>();
}

Variant TcxDBDataController::GetRecordId(Integer ARecordIndex) const {
  if (ARecordIndex < 0 || ARecordIndex >= GetRecordCount()) cxDataControllerError(cxSDataRecordIndexError);
  std::vector<TcxCustomDataField*> keys;
  GetKeyFields(keys);
  return GetFieldValues(ARecordIndex, keys);
}

// ---- Focus follows the data set ----

bool TcxDBDataController::CanFocusRecord(Integer ARecordIndex) {
  TcxDBDataProvider* p = DBProvider();
  if ((p->IsInserting() && ARecordIndex == p->EditingRecordIndex()) || (IsNewItemRowFocused() && ARecordIndex < 0)) {
    if (!p->IsInserting() && ARecordIndex < 0) PostEditing();
    return true;
  }
  // Leaving every row: the pending edit is settled, the data set stays where it is. A
  // clone detail let go by its sibling settles nothing: the data set's edit is the
  // sibling's.
  if (ARecordIndex < 0 && !FChangingFocus) {
    CheckBrowseState();
    return true;
  }
  bool result;
  const bool changingFocus = FChangingFocus;
  const Integer focusedBefore = GetFocusedRecordIndex();
  // A focus change follows the record it asked for through what settling and reading do.
  const bool followed = FocusTargetRecordIndex() == ARecordIndex;
  // Moving the data set runs its handlers, which may free this controller.
  TWeakLink self(this);
  // A sibling settling its edit of the query hears of it at once, not once this detail's
  // lock is off and the query holds this master's records.
  if (IsDetail() && FDataModeController->DetailSyncEnabled() && !changingFocus &&
      !SettleEditBeforeDetailQuery())
    return false;
  {
    auto lock = WatchedPairedCall(
        this, [p] { p->BeginLock(); }, [p] { p->EndLock(); });
    if (IsDetail() && FDataModeController->DetailSyncEnabled() && !changingFocus) UpdateDetailQuery();
    // The detail's query read its records again: the record asked for moved, or went (the
    // focus change then focuses what stands at its place), or is no record any more.
    const Integer record = followed && self.Alive() ? FocusTargetRecordIndex() : ARecordIndex;
    if (!self.Alive())
      result = false;
    else if (record < 0 || record >= GetRecordCount())
      result = followed;
    else if (!changingFocus && p->IsSyncMode())
      result = FocusRecordInDataSet(record);
    else
      result = inherited::CanFocusRecord(record);
  }
  if (!self.Alive()) return false;
  // A clone let go by its sibling (which is reading its own records off the shared data
  // set) moved nothing: its masters have no position to follow.
  if (changingFocus)
    DeliverHeldBackNotices();
  else
    ReportSyncMasterPos();
  if (!self.Alive()) return false;
  // Moving the data set re-focuses this controller on the record through the data set's
  // own notice, before the row focus itself changes: the row focus then sees no change,
  // and the focused-record step would never run for it.
  if (result && !changingFocus && focusedBefore != ARecordIndex && GetFocusedRecordIndex() == ARecordIndex)
    FocusedRecordChanged();
  return result;
}

bool TcxDBDataController::FocusRecordInDataSet(Integer ARecordIndex) {
  if (ARecordIndex < 0) return false;
  TcxDBDataProvider* p = DBProvider();
  TDataSet* ds = DataSet();
  if (!ds) return false;
  // Settling the edit runs the data set's handlers, which may free the data set, its source
  // or this controller: then nothing moves.
  TStepWatch<TcxDBDataProvider> watch(p, ds);
  if (IdentifiesRecordsByKey()) {
    const Variant key = GetRecordId(ARecordIndex);
    // Read first: a key name the data set lacks is reported as such, not by the Locate.
    const Variant current = GetDataSetKeyValues();
    // Records that share a key are told apart by their bookmarks.
    const TBookmarkStr mark = p->RecordBookmark(ARecordIndex);
    const bool onMark = mark.empty() || !ds->BookmarkAvailable() || ds->Bookmark() == mark;
    if (ARecordIndex == p->CurrentRecordIndex() && cxVariantsEqual(key, current) && onMark) {
      CheckBrowseState();
      return watch.Alive();
    }
    CheckBrowseState();
    if (!watch.Alive()) return false;
    // Asking runs the data set's filter, whose handler may free this controller.
    const bool valid = !mark.empty() && ds->BookmarkValid(mark);
    if (!watch.Alive()) return false;
    if (valid) {
      ds->GotoBookmark(mark);
      if (!watch.Alive()) return false;
      if (cxVariantsEqual(GetDataSetKeyValues(), key)) return true;
    }
    // A copy of the names: the search's handlers may free this controller.
    return ds->Locate(String(FKeyFieldNames), key, TLocateOptions());
  }
  CheckBrowseState();
  if (!watch.Alive()) return false;
  p->MoveBy(ARecordIndex - p->CurrentRecordIndex());
  return true;
}

// A rebuild (a filter hiding the focused record, a sort, a grouping) moved the focus: the
// data set follows it as it follows a click, so that its other links show and edit the
// focused record. It stays where it is while anything else owns its position: an edit (never
// ended here: it may be another component's, typed and not posted), a walk or lock of a
// provider on it, its controls disabled, a clone detail's shared position, the grid window.
void TcxDBDataController::FocusSettledByRebuild() {
  TcxDBDataProvider* p = DBProvider();
  if (FFollowingFocus || FChangingFocus || FCheckingBrowseState || IsGridMode() ||
      !p->IsSyncMode() || IsDetail() || IsPattern() || IsNewItemRowActive() || IsLoading())
    return;
  const Integer record = GetFocusedRecordIndex();
  TDataSet* ds = DataSet();
  if (record < 0 || record >= GetRecordCount() || !ds || !ds->Active() || ds->State() != dsBrowse ||
      ds->ControlsDisabled())
    return;
  std::vector<TcxDBDataProvider*> all = p->OtherProviders();
  all.push_back(p);
  for (TcxDBDataProvider* each : all)
    if (each->IsBusy() || each->FReadingAll || each->FDelivering) return;
  // Moving the data set runs its scroll handlers, which may free this controller or come
  // back here.
  TWatchedValue<bool> following(this, FFollowingFocus, true);
  auto lock = WatchedPairedCall(
      this, [p] { p->BeginLock(); }, [p] { p->EndLock(); });
  p->StandOnRecord(record, false);
}

namespace {
// Frees a weak link whether or not its controller still exists.
void ReleaseLink(TcxDataListenerLink*& ALink) {
  if (TcxCustomDataController* c = ALink->DataController())
    c->DestroyListenerLink(ALink);
  else
    FreeAndNil(ALink);
}
}  // namespace

void TcxDBDataController::CheckBrowseState() {
  if (FCheckingBrowseState) return;
  TDataSet* ds = DataSet();
  FCheckingBrowseState = true;
  // A handler of the data set's post may free this controller: the link tells. It may free
  // the data set or its source as well: the watch tells.
  TcxDataListenerLink* link = CreateListenerLink();
  TStepWatch<TcxDBDataProvider> watch(DBProvider(), ds);
  TScopeExit release([this, &link] {
    const bool alive = link->DataController() != nullptr;
    ReleaseLink(link);
    if (alive) FCheckingBrowseState = false;
  });
  if (ds && (ds->State() == dsEdit || ds->State() == dsInsert)) {
    ds->UpdateRecord();
    if (!watch.Alive()) {
    } else if (DBProvider()->IsDataSetModified()) {
      auto controls = ControlsDisabled(IsSmartRefreshActive() ? nullptr : ds);
      ds->Post();
    } else {
      Cancel();
    }
  }
  if (link->DataController()) CheckDetailsBrowseState();
}

bool TcxDBDataController::CanLeaveFocusedRow() {
  if (FChangingFocus || !dynamic_cast<TcxDBDataRelation*>(GetMasterRelation())) return true;
  // The focus coming onto the record just inserted leaves nothing: settling the edits
  // here would cancel that record before anything was typed into it. In a window the new
  // record takes the row, and so the record index, of the one it was inserted before.
  TcxDBDataProvider* p = DBProvider();
  if (p->IsInserting() && p->EditingRecordIndex() >= 0 &&
      (p->EditingRecordIndex() != GetFocusedRecordIndex() || p->FInInsertFromDataSet))
    return true;
  TcxCustomDataController* master = GetMasterDataController();
  if (!master) return true;
  if (!master->CanLeaveFocusedRow()) return false;
  // The master leaves its edit first, then this detail; a handler on the way may free
  // either of them (freeing the master frees this clone too).
  TcxDataListenerLink* self = CreateListenerLink();
  TcxDataListenerLink* other = master->CreateListenerLink();
  TScopeExit release([&self, &other] {
    ReleaseLink(self);
    ReleaseLink(other);
  });
  master->CheckBrowseState();
  if (self->DataController()) CheckBrowseState();
  return self->DataController() && other->DataController();
}

void TcxDBDataController::AfterUpdateData() {
  if (TDataSet* ds = DataSet()) ds->Refresh();
}

void TcxDBDataController::RecordDeleted(Integer ARecordIndex) {
  inherited::RecordDeleted(ARecordIndex);
  DBProvider()->ForgetRecord(ARecordIndex);
}

void TcxDBDataController::RecordInserted(Integer ARecordIndex) {
  inherited::RecordInserted(ARecordIndex);
  DBProvider()->RecordBookmarkInserted(ARecordIndex);
}

// ---- Keys ----

std::vector<TField*> TcxDBDataController::GetKeyDBFields() const {
  std::vector<TcxCustomDataField*> keys;
  GetKeyFields(keys);
  std::vector<TField*> r;
  for (TcxCustomDataField* k : keys) {
    auto* f = dynamic_cast<TcxDBDataField*>(k);
    if (!f || !f->Field()) cxDataControllerError(cxSDBKeyFieldNotFound);
    r.push_back(f->Field());
  }
  return r;
}

Variant TcxDBDataController::GetDataSetKeyValues() const { return cxGetFieldValues(GetKeyDBFields()); }

Integer TcxDBDataController::FindRecordIndexByKey(const Variant& AKeyValues) {
  std::vector<TcxCustomDataField*> keys;
  GetKeyFields(keys);
  if (keys.empty()) return -1;
  TcxKeyValuesReader reader;
  if (keys.size() == 1) {
    reader.Add(keys[0], AKeyValues);
  } else {
    if (!VarIsArray(AKeyValues) || VarArrayHighBound(AKeyValues, 1) - VarArrayLowBound(AKeyValues, 1) + 1 != Integer(keys.size()))
      return -1;
    const Integer low = VarArrayLowBound(AKeyValues, 1);
    for (size_t i = 0; i < keys.size(); ++i) reader.Add(keys[i], VarArrayGet(AKeyValues, low + Integer(i)));
  }
  for (TcxCustomDataField* k : keys)
    if (!k->GetValueDef()) return -1;
  if (IsGridMode()) {
    // The window's records hold no stored values: each is read where it stands.
    for (Integer r = 0; r < GetRecordCount(); ++r)
      if (cxVariantsEqual(GetFieldValues(r, keys), AKeyValues)) return r;
    return -1;
  }
  Owned<TcxDataControllerKeyLocateObject> locate(New<TcxDataControllerKeyLocateObject>(this));
  locate->KeyFields() = keys;
  try {
    locate->ReadData(&reader);
  } catch (const Exception&) {
    // A value that no key field can hold belongs to no record.
    return -1;
  }
  return locate->FindRecordIndex();
}

bool TcxDBDataController::LocateByKey(const Variant& AKeyValues) {
  TWeakLink self(this);
  const Integer r = FindRecordIndexByKey(AKeyValues);
  if (!self.Alive()) return false;  // a compare handler freed the controller
  if (r < 0 && IsGridMode()) {
    // Outside the window: the data set itself looks for the record.
    TDataSet* ds = DataSet();
    if (!ds) return false;
    TcxDBDataProvider* p = DBProvider();
    bool found;
    {
      // Ending the lock delivers the held-back notices, whose reading may free this controller.
      auto lock = WatchedPairedCall(
          this, [p] { p->BeginLock(); }, [p] { p->EndLock(); });
      // The data set's handlers may free this controller (a lookup editor freed, say): the
      // search reads a copy of the key names.
      const String keys = KeyFieldNames();
      found = cxDBLocateSafely(ds, keys, AKeyValues);
    }
    if (found && self.Alive()) SetFocusedSelected(true);
    return found && self.Alive();
  }
  const Integer row = r >= 0 ? GetRowIndexByRecordIndex(r, true) : -1;
  ChangeFocusedRowIndex(row);
  return row != -1;
}

Integer TcxDBDataController::FindRecordIndexByFields(const std::vector<TcxCustomDataField*>& AFields) {
  if (AFields.empty()) return -1;
  for (TcxCustomDataField* k : AFields)
    if (!k->GetValueDef()) return -1;
  Owned<TcxDataControllerKeyLocateObject> locate(New<TcxDataControllerKeyLocateObject>(this));
  locate->KeyFields() = AFields;
  Owned<TcxValueDefReader> reader(DBProvider()->GetValueDefReaderClass().Create());
  if (!locate->ReadData(reader.get())) return -1;
  return locate->FindRecordIndex();
}

// ---- Items and their data-set fields ----

TcxDBDataField* TcxDBDataController::GetDBField(Integer AItemIndex) const {
  return static_cast<TcxDBDataField*>(inherited::GetItemField(AItemIndex));
}

void TcxDBDataController::ChangeFieldName(Integer AItemIndex, const String& AFieldName) {
  TcxDBDataField* f = GetDBField(AItemIndex);
  if (AFieldName != f->FieldNames()) SetDataFieldNames(f, AFieldName, false);
}

String TcxDBDataController::GetDataFieldName(Integer AItemIndex) const { return GetDBField(AItemIndex)->FieldNames(); }

TField* TcxDBDataController::GetItemDataSetField(Integer AItemIndex) const { return GetDBField(AItemIndex)->Field(); }

TObject* TcxDBDataController::GetItemByFieldName(const String& AFieldName) const {
  for (Integer i = 0; i < GetItemCount(); ++i)
    if (AnsiCompareText(GetDBField(i)->FieldNames(), AFieldName) == 0) return GetItem(i);
  return nullptr;
}

void TcxDBDataController::UpdateInternalField(const String& AFieldNames, TcxDBDataField*& AField) {
  // A field bound to one data-set field does not turn into the parent of several: a new one does.
  if (AField && cxIsMultipleFieldNames(AFieldNames) && AField->FieldCount() == 0) {
    TcxDBDataField* f = AField;
    AField = nullptr;
    Fields()->Remove(f);
  }
  if (!AFieldNames.empty()) {
    if (!AField) AField = static_cast<TcxDBDataField*>(CreateInternalField());
    SetDataFieldNames(AField, AFieldNames, false);
    return;
  }
  if (!AField) return;
  TcxDBDataField* f = AField;
  AField = nullptr;
  Fields()->Remove(f);
  Change({dccData});
}

void TcxDBDataController::SetDataFieldNames(TcxDBDataField* AField, const String& AFieldNames, bool AForced) {
  AField->ClearSubFields();
  if (!AForced && AField->FieldNames() != AFieldNames) {
    Fields()->ReleaseReferences(AField);
    AField->SetFieldNames(AFieldNames);
  }
  if (AForced || cxIsMultipleFieldNames(AFieldNames)) {
    auto bracket = UpdateBracket(this);
    TStringList* names = New<TStringList>();
    Owned<TStringList> guard(names);
    cxGetFieldNames(AFieldNames, names);
    for (Integer i = 0; i < names->Count(); ++i) {
      auto* sub = static_cast<TcxDBDataField*>(CreateInternalField());
      AField->AddSubField(sub);
      SetDataFieldNames(sub, names->Strings(i), false);
    }
    return;
  }
  const TcxValueTypeClass before = AField->GetValueTypeClass();
  AField->SetReferenceField(nullptr);
  TcxDBDataField* reference = nullptr;
  if (!AFieldNames.empty()) {
    for (Integer i = 0; i < Fields()->GetCount() && !reference; ++i) {
      auto* other = dynamic_cast<TcxDBDataField*>(Fields()->GetItem(i));
      if (other && other != AField && !other->ReferenceField() && other->FieldCount() == 0 &&
          !other->FieldNames().empty() && cxTextEquals(other->FieldNames(), AFieldNames))
        reference = other;
    }
  }
  if (reference)
    AField->SetReferenceField(reference);
  else if (AFieldNames.empty())
    AField->SetValueTypeClass(nullptr);
  UpdateField(AField);
  if (AField->GetValueTypeClass() != before && !AField->IsInternal()) ItemValueTypeChanged(AField->GetIndex());
  if (reference)
    Change({dccData});
  else
    Refresh();
}

void TcxDBDataController::BindDataField(TcxDBDataField* AField, bool ALookupPass) {
  if (AField->ReferenceField()) return;
  if (ALookupPass && !(AField->ParentField() && AField->ParentField()->IsLookup())) return;
  TDataSet* ds = DataSet();
  if (!ds) return;
  TField* old = AField->Field();
  TField* field = FUnbindingFields || AField->FieldNames().empty() ? nullptr : ds->FindField(AField->FieldNames());
  if (field != old) {
    AField->SetField(field);
  }
  if (!field) {
    if (old && AField->FieldCount() == 0 && !AField->IsInternal()) AField->UpdateValueTypeFromField();
    return;
  }
  AField->UpdateValueTypeFromField();
  if (field->FieldKind() == TFieldKind::fkLookup && (field != old || AField->FieldCount() == 0)) {
    const String names = AField->FieldNames();
    SetDataFieldNames(AField, field->KeyFields(), true);
    AField->SetFieldNames(names);
  }
}

// ---- Records read again ----

bool TcxDBDataController::RereadEditingRecord() {
  TcxDBDataProvider* p = DBProvider();
  if (p->EditingRecordIndex() == kNoEditRecord) return true;
  p->WatchEditingRecord();
  return RereadRecord(p->EditingRecordIndex());
}

bool TcxDBDataController::RereadRecord(Integer ARecordIndex) {
  TcxDBDataProvider* p = DBProvider();
  Owned<TcxValueDefReader> reader(p->GetValueDefReaderClass().Create());
  if (!DataStorage()->ReadRecordValues(ARecordIndex, reader.get())) return false;
  p->RecordAppended(ARecordIndex);
  if (!p->IsInsideCanInitEditing()) Change({dccUpdateRecord});
  return true;
}

bool TcxDBDataController::RereadRecordAt(Integer ARecordIndex, const TBookmarkStr& ABookmark) {
  TcxDBDataProvider* p = DBProvider();
  TDataSet* ds = DataSet();
  if (!ds) return false;
  Owned<TcxValueDefReader> reader(p->GetValueDefReaderClass().Create());
  bool shown = false;
  // The data set's handlers run as the record is read and may free this controller, the
  // data set or its source: the read ends there, with nothing shown.
  TStepWatch<TcxDBDataProvider> watch(p, ds);
  ds->ReadRecords(
      [&](const TBookmarkStr& AMark) {
        if (!watch.Alive() || AMark != ABookmark) return false;
        shown = p->IsDataSetRecordShown();
        if (shown) shown = DataStorage()->ReadRecordValues(ARecordIndex, reader.get());
        return false;
      },
      ABookmark);
  if (!watch.Alive()) return false;
  if (shown && !p->IsInsideCanInitEditing()) Change({dccUpdateRecord});
  return shown;
}

Integer TcxDBDataController::GetDataSetRecordCount() const {
  TDataSet* ds = DataSet();
  return ds && ds->Active() ? ds->RecordCount() : 0;
}

Integer TcxDBDataController::GetDataSetRecNo() const {
  TDataSet* ds = DataSet();
  return ds && ds->Active() ? ds->RecNo() : -1;
}

void TcxDBDataController::SetDataSetRecNo(Integer ARecNo) {
  if (TDataSet* ds = DataSet(); ds && ds->Active()) ds->SetRecNo(ARecNo);
}

TL_DEFINE_CLASS(TcxValueDefDBReader)
TL_DEFINE_CLASS(TcxDBDataField)
TL_DEFINE_CLASS(TcxDBDataSummaryItem, [](auto& c) {
  c.Property("FieldName", &TcxDBDataSummaryItem::FieldName, &TcxDBDataSummaryItem::SetFieldName);
})
TL_DEFINE_CLASS(TcxDBDataController, [](auto& c) {
  using T = TcxDBDataController;
  c.Property("DataModeController", &T::DataModeController, &T::SetDataModeController);
  c.Property("DataSource", &T::DataSource, &T::SetDataSource);
  c.Property("DetailKeyFieldNames", &T::DetailKeyFieldNames, &T::SetDetailKeyFieldNames);
  c.Property("KeyFieldNames", &T::KeyFieldNames, &T::SetKeyFieldNames);
  c.Property("MasterKeyFieldNames", &T::MasterKeyFieldNames, &T::SetMasterKeyFieldNames);
  c.Event("OnDetailHasChildren", &T::OnDetailHasChildren);
})

