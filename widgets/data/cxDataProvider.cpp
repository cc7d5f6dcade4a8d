#include "widgets/data/cxDataProvider.h"

#include "classlib/core/ScopeGuards.h"
#include "widgets/data/cxDataController.h"
#include "widgets/foundation/cxVariants.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

using enum TcxDataChange;
using enum TcxDataControllerChange;

namespace {

// A value held in a buffer of its value type, for the type's own compare.
class TTypedValue {
 public:
  TTypedValue(TcxValueTypeClass AType, const Variant& AValue) : FType(AType) {
    FNull = VarIsNull(AValue) || VarIsEmpty(AValue);
    if (FNull) return;
    FBuffer = std::calloc(1, size_t(std::max(FType->GetDataSize(), 1)));
    try {
      FType->SetDataValue(FBuffer, AValue);
    } catch (...) {
      // Freed only on an error: on success the buffer is the value's.
      std::free(FBuffer);
      throw;
    }
  }
  ~TTypedValue() {
    if (!FBuffer) return;
    FType->FreeBuffer(FBuffer);
    std::free(FBuffer);
  }
  TTypedValue(const TTypedValue&) = delete;
  TTypedValue& operator=(const TTypedValue&) = delete;
  bool Null() const { return FNull; }
  const void* Buffer() const { return FBuffer; }

 private:
  TcxValueTypeClass FType;
  void* FBuffer = nullptr;
  bool FNull = true;
};

}  // namespace

// ---- TcxCustomDataProvider ----

TcxCustomDataProvider::TcxCustomDataProvider(TcxCustomDataController* ADataController)
    : FDataController(ADataController) {}

void TcxCustomDataProvider::BeforeDestruction() {
  if (FCustomDataSource) FCustomDataSource->RemoveProvider(this);
  FCustomDataSource = nullptr;
  if (FSavedRecordIndex < 0 && FDataController->DataStorage()) {
    FDataController->DataStorage()->DeleteRecord(FSavedRecordIndex);
    FSavedRecordIndex = 0;
  }
  inherited::BeforeDestruction();
}

void TcxCustomDataProvider::SetCustomDataSource(TcxCustomDataSource* ADataSource) {
  if (!IsCustomDataSourceSupported() || ADataSource == FCustomDataSource) return;
  if (FCustomDataSource) FCustomDataSource->RemoveProvider(this);
  FCustomDataSource = ADataSource;
  if (FCustomDataSource) FCustomDataSource->AddProvider(this);
  FHandleIndexValid = false;
  FDataController->FChangingDataSource = true;
  TScopeExit done([this] { FDataController->FChangingDataSource = false; });
  FDataController->UpdateStructure();
}

TcxCustomDataSource* TcxCustomDataProvider::Source() const {
  if (FCustomDataSource)
    FCustomDataSource->FCurrentProvider = const_cast<TcxCustomDataProvider*>(this);
  return FCustomDataSource;
}

void TcxCustomDataProvider::SortByDataSource() {
  if (TcxCustomDataSource* s = Source()) s->CustomSort();
}

bool TcxCustomDataProvider::IsDataSourceSorting() const {
  TcxCustomDataSource* s = Source();
  return s && s->IsCustomSorting();
}

bool TcxCustomDataProvider::IsRecordIdSupported() const {
  TcxCustomDataSource* s = Source();
  return s && s->IsRecordIdSupported();
}

bool TcxCustomDataProvider::CanDelete() const { return FDataController->GetRecordCount() > 0; }

bool TcxCustomDataProvider::CanInitEditing(Integer ARecordIndex) {
  FDataController->CheckRecordRange(ARecordIndex);
  if (!IsEditing()) DoEdit();
  if (IsEditing()) SetChanging();
  return true;
}

// ---- Entering edit ----

void TcxCustomDataProvider::InternalEdit() {
  TcxCustomDataController* c = FDataController;
  if (c->IsNewItemRowActive() && !IsInserting()) {
    Insert();
    return;
  }
  // A second Edit would save the edited values over the old ones.
  if (IsEditing()) return;
  FEditingRecordIndex = c->GetCurrentRecordIndex();
  if (FEditingRecordIndex >= 0) {
    const Integer row = c->GetFocusedRowIndex();
    const Integer rows = c->GetRowCount();
    if (row >= 0 && row == rows - 1)
      FEditingRecordIndex1 = c->GetRowInfo(row > 0 ? row - 1 : row).RecordIndex;
    else if (row >= 0)
      FEditingRecordIndex2 = c->GetRowInfo(row + 1).RecordIndex;
  }
  if (!IsEditing()) return;
  if (!FInserting && !SaveEditingRecord()) return;
  c->Change({dccUpdateRecord});
}

bool TcxCustomDataProvider::SaveEditingRecord() {
  TcxDataStorage* storage = FDataController->DataStorage();
  if (FSavedRecordIndex == 0) FSavedRecordIndex = storage->AddInternalRecord();
  return FDataController->CopyRecordValues(FEditingRecordIndex, FSavedRecordIndex);
}

// ---- Append and insert ----

void TcxCustomDataProvider::InternalInsert(bool AAppend) {
  TcxCustomDataController* c = FDataController;
  if (IsInserting() && !IsChanging() && !IsModified()) return;
  // Each handler on the way may free the controller, and this provider with it.
  TWeakLink self(c);
  if (IsEditing() && (IsChanging() || IsModified())) {
    if (IsChanging()) UpdateData();
    if (!self.Alive()) return;
    Post();
    if (!self.Alive()) return;
  }
  // An edit without changes is simply left.
  if (IsEditing()) ResetEditing();
  c->DoBeforeInsert();
  if (!self.Alive()) return;
  Integer record = kNoEditRecord;
  bool made = true;
  {
    auto bracket = UpdateBracket(c);
    std::vector<Variant> groupValues;
    if (c->UseNewItemRowForEditing() && c->IsNewItemRowFocused()) {
      Integer from = c->GetFocusedRecordIndex();
      if (from < 0 && c->GetRowCount() > 0) from = c->GetRowInfo(0).RecordIndex;
      groupValues = c->GetGroupValues(from);
      record = c->GetNewItemRecordIndex();
      c->ClearRecordValues(record);
    } else {
      if (!AAppend) c->ClearSelection();
      if (IsGridMode()) {
        record = c->GetActiveRecordIndex();
        made = record >= 0;
        groupValues = c->GetGroupValues(record);
      } else if (AAppend) {
        const Integer rows = c->GetRowCount();
        const Integer last = rows > 0 ? c->GetRowInfo(rows - 1).RecordIndex : -1;
        groupValues = c->GetGroupValues(last);
        record = c->AppendRecord();
        made = record >= 0;
        if (last >= 0) FEditingRecordIndex1 = last;
      } else {
        const Integer row = c->GetFocusedRowIndex();
        Integer before = row >= 0 ? c->GetRowInfo(row).RecordIndex : 0;
        before = std::clamp<Integer>(before, 0, c->GetRecordCount());
        groupValues = c->GetGroupValues(before);
        record = c->InsertRecord(before);
        made = record >= 0;
        if (record >= 0 && before >= record) ++before;
        if (before < c->GetRecordCount()) FEditingRecordIndex2 = before;
      }
    }
    // A source that made no record leaves nothing to edit.
    if (!made || record == kNoEditRecord) {
      FEditingRecordIndex1 = FEditingRecordIndex2 = kNoEditRecord;
      return;
    }
    FEditingRecordIndex = record;
    FInserting = true;
    InitInsertedRecord(record, groupValues);
    if (!self.Alive()) return;
    ResetChanging();
  }
  if (!self.Alive()) return;
  if (record >= 0) c->ChangeFocusedRecordIndex(record);
  if (self.Alive()) c->DoAfterInsert();
}

void TcxCustomDataProvider::InitInsertedRecord(Integer ARecordIndex,
                                               const std::vector<Variant>& AGroupValues) {
  TcxCustomDataController* c = FDataController;
  if (c->GetGroupingItemCount() > 0 &&
      c->Options().Contains(TcxDataControllerOption::dcoAssignGroupingValues)) {
    for (Integer level = 0;
         level < c->GetGroupingItemCount() && level < Integer(AGroupValues.size()); ++level) {
      const Integer item = c->GetGroupingItemIndex(level);
      if (item >= 0) SetValue(ARecordIndex, c->GetItemField(item), AGroupValues[size_t(level)]);
    }
  }
  c->DoNewRecord(ARecordIndex);
}

void TcxCustomDataProvider::SetValue(Integer ARecordIndex, TcxCustomDataField* AField,
                                     const Variant& AValue) {
  FDataController->SetValue(ARecordIndex, AField->GetIndex(), AValue);
}

// ---- Post and cancel ----

void TcxCustomDataProvider::NotifyUpdateData() {
  if (!IsChanging() || FInUpdateData) return;
  TScopedValue inUpdate(FInUpdateData, true);
  FDataController->UpdateEditingRecord();
}

void TcxCustomDataProvider::UpdateData() {
  NotifyUpdateData();
  ResetChanging();
}

void TcxCustomDataProvider::Post() {
  TcxCustomDataController* c = FDataController;
  NotifyUpdateData();
  if (!IsEditing()) return;
  if (IsInserting() && !IsModified()) {
    Cancel();
    c->DataChanged(dcRecord, -1, -1);
    return;
  }
  // A raising handler (a failed validation) leaves the edit as it is. A handler may also free
  // the controller, and this provider with it: nothing goes on then.
  TWeakLink self(c);
  c->DoBeforePost();
  if (!self.Alive()) return;
  Integer posted = FEditingRecordIndex;
  if (IsInserting() && posted < 0 && posted == c->FNewItemRecordIndex) {
    FPostingIntoSource = c->IsProviderMode();
    {
      TWatchedScopeExit done(c, [this] { FPostingIntoSource = false; });
      posted = c->AppendRecord();
    }
    if (!self.Alive()) return;
    FInsertedRecordIndex = posted;
    if (posted >= 0) c->CopyRecord(FEditingRecordIndex, posted);
    if (!self.Alive()) return;
  }
  ResetEditing();
  c->DataChanged(dcRecord, -1, posted);
  if (self.Alive()) c->DoAfterPost();
}

void TcxCustomDataProvider::Cancel() {
  TcxCustomDataController* c = FDataController;
  TWeakLink self(c);  // the handlers may free the controller, and this provider with it
  c->DoBeforeCancel();
  if (!self.Alive()) return;
  Integer focusLast = -1;
  {
    auto bracket = UpdateBracket(c);
    const Integer record = FEditingRecordIndex;
    const bool newItem = record < 0 && record == c->FNewItemRecordIndex;
    if (IsEditing() && (record < c->GetRecordCount() || newItem)) {
      if (FInserting) {
        if (record >= 0) {
          const Integer focused = c->GetFocusedRecordIndex();
          ResetEditing();
          c->DeleteRecord(record);
          if (!c->IsCancelling() && focused >= c->GetRecordCount())
            focusLast = c->GetRecordCount() - 1;
        }
      } else if (FSavedRecordIndex < 0 && record >= 0) {
        c->CopyRecord(FSavedRecordIndex, record);
      }
    }
    ResetEditing();
  }
  if (!self.Alive()) return;
  if (focusLast >= 0) c->ChangeFocusedRecordIndex(focusLast);
  if (self.Alive()) c->DoAfterCancel();
}

void TcxCustomDataProvider::ResetEditing() {
  FEditingRecordIndex = FEditingRecordIndex1 = FEditingRecordIndex2 = kNoEditRecord;
  FInserting = FChanging = FModified = false;
  if (FSavedRecordIndex < 0) {
    const Integer saved = FSavedRecordIndex;
    FSavedRecordIndex = 0;
    FDataController->DataStorage()->DeleteRecord(saved);
  }
}

Variant TcxCustomDataProvider::GetEditValue(Integer ARecordIndex, TcxCustomDataField* AField,
                                            TcxDataEditValueSource) {
  if (ARecordIndex == kNoEditRecord) cxDataControllerError(cxSDataRecordIndexError);
  return FDataController->GetValue(ARecordIndex, AField);
}

bool TcxCustomDataProvider::SetEditValue(Integer ARecordIndex, TcxCustomDataField* AField,
                                         const Variant& AValue,
                                         TcxDataEditValueSource AEditValueSource) {
  Variant value = AValue;
  if (AEditValueSource == TcxDataEditValueSource::evsText && VarToStr(value).empty())
    value = Null();
  // Modified before the value goes in: a write that raises part-way (the source refusing it,
  // a handler of the change) still leaves an edit that Cancel undoes and Post does not skip.
  // The change's handlers may also free the controller, and this provider with it.
  SetModified();
  FDataController->SetValue(ARecordIndex, AField->GetIndex(), value);
  return true;
}

// ---- Deleting ----

void TcxCustomDataProvider::BeginDeleting(const std::vector<Integer>& AGoing) {
  TcxCustomDataController* c = FDataController;
  FDeletingFocusRecordIndex = -1;
  const Integer row = c->GetFocusedRowIndex();
  if (IsGridMode() || row < 0) return;
  const Integer rows = c->GetRowCount();
  Integer next;
  if (c->IsMultiSelect() && !c->IsRowSelected(row) && c->GetSelectedCount() > 0) {
    next = row;  // the selection goes, the focused row stays (unless it goes too)
  } else if (c->GetGroupingItemCount() == 0) {
    next = row + 1 < rows ? row + 1 : row - 1;
  } else {
    const Integer level = c->GetRowInfo(row).Level;
    if (row + 1 < rows && c->GetRowInfo(row + 1).Level == level)
      next = row + 1;
    else if (row > 0 && c->GetRowInfo(row - 1).Level == level)
      next = row - 1;
    else if (row + 1 < rows)
      next = row + 1;
    else
      next = row == 0 ? row : row - 1;
  }
  // A row whose record goes cannot take the focus: the search goes on the same way, then
  // back from the focused row the other way.
  auto going = [&](Integer ARow) {
    return std::binary_search(AGoing.begin(), AGoing.end(), c->GetRowInfo(ARow).RecordIndex);
  };
  if (next >= 0 && next < rows && going(next)) {
    const Integer step = next < row ? -1 : 1;
    while (next >= 0 && next < rows && going(next)) next += step;
    if (next < 0 || next >= rows)
      for (next = row - step; next >= 0 && next < rows && going(next);) next -= step;
  }
  FDeletingFocusRecordIndex = next >= 0 && next < rows ? c->GetRowInfo(next).RecordIndex : -1;
}

void TcxCustomDataProvider::EndDeleting() { FDeletingFocusRecordIndex = -1; }

void TcxCustomDataProvider::DeleteFocused() {
  TcxCustomDataController* c = FDataController;
  const Integer record = c->GetFocusedRecordIndex();
  if (record < 0) return;
  c->DoBeforeDelete(record);
  const bool provider = c->IsProviderMode();
  if (provider) c->BeginSaveKeys();
  TWatchedScopeExit restore(c, [c, provider] {
    if (provider) c->EndRestoreKeys();
  });
  c->DeleteRecord(record);
  c->DoAfterDelete();
}

void TcxCustomDataProvider::DeleteSelection() {
  TcxCustomDataController* c = FDataController;
  std::vector<Integer> records = c->GetRowRecords(c->GetSelectedRows());
  c->FDeletingSelection = true;
  // The deletion's handlers may free the controller.
  TWatchedScopeExit done(c, [c] { c->FDeletingSelection = false; });
  c->DeleteRecords(std::move(records));
}

void TcxCustomDataProvider::DeleteRecords(const std::vector<Integer>& AList) {
  TcxCustomDataController* c = FDataController;
  const bool provider = c->IsProviderMode();
  if (provider) c->BeginSaveKeys();
  TWatchedScopeExit restore(c, [c, provider] {
    if (provider) c->EndRestoreKeys();
  });
  auto bracket = UpdateBracket(c);
  if (provider) {
    // The handles first: the records are read again once, at the end.
    std::vector<TcxDataRecordHandle> handles;
    handles.reserve(AList.size());
    for (Integer r : AList) handles.push_back(GetRecordHandle(r));
    TWatchedScopeExit reread(c, [this, c, &AList] {
      ShiftDeletingFocus(AList);
      c->DataChanged(dcTotal, -1, -1);
    });
    for (size_t i = AList.size(); i-- > 0;) {
      c->DoBeforeDelete(AList[i]);
      if (c->GetEditingRecordIndex() == AList[i]) ResetEditing();
      if (TcxCustomDataSource* s = Source()) s->DeleteRecord(handles[i]);
      c->DoAfterDelete();
    }
  } else {
    // Last to first, one by one: each after-delete handler sees the records and their
    // count without the record just deleted (and a handler raising keeps the rest).
    for (size_t i = AList.size(); i-- > 0;) {
      c->DoBeforeDelete(AList[i]);
      c->DeleteStorageRecords({AList[i]});
      c->DoAfterDelete();
    }
  }
  if (c->FDeletingSelection) c->ClearSelection();
}

// ---- Index moves ----

void TcxCustomDataProvider::RecordInserted(Integer ARecordIndex) {
  for (Integer* r : {&FEditingRecordIndex, &FEditingRecordIndex1, &FEditingRecordIndex2,
                     &FDeletingFocusRecordIndex})
    if (*r >= ARecordIndex) ++*r;
  FHandleIndexValid = false;
}

void TcxCustomDataProvider::RecordDeleted(Integer ARecordIndex) {
  if (FEditingRecordIndex == ARecordIndex) ResetEditing();
  for (Integer* r : {&FEditingRecordIndex1, &FEditingRecordIndex2})
    if (*r == ARecordIndex) *r = kNoEditRecord;
  for (Integer* r : {&FEditingRecordIndex, &FEditingRecordIndex1, &FEditingRecordIndex2,
                     &FDeletingFocusRecordIndex})
    if (*r > ARecordIndex) --*r;
  FHandleIndexValid = false;
}

void TcxCustomDataProvider::DeleteStoredRecords(const std::vector<Integer>& AList) {
  FDataController->DeleteStorageRecords(AList);
}

void TcxCustomDataProvider::ShiftDeletingFocus(const std::vector<Integer>& AList) {
  Integer& r = FDeletingFocusRecordIndex;
  if (r >= 0) r -= Integer(std::lower_bound(AList.begin(), AList.end(), r) - AList.begin());
}

// ---- Records of the data source ----

TcxDataRecordHandle TcxCustomDataProvider::GetRecordHandle(Integer ARecordIndex) const {
  TcxCustomDataField* f = FDataController->RecordHandleField();
  if (!f || !f->GetValueDef() || ARecordIndex < 0 ||
      ARecordIndex >= FDataController->GetRecordCount())
    return kNoRecordHandle;
  const Variant v = FDataController->DataStorage()->GetValue(ARecordIndex, f->GetValueDef());
  return VarIsNull(v) || VarIsEmpty(v) ? kNoRecordHandle : v.AsInt64();
}

TcxDataItemHandle TcxCustomDataProvider::GetItemHandle(TcxCustomDataField* AField) const {
  TcxCustomDataField* f =
      AField->IsInternal() && AField->ReferenceField() ? AField->ReferenceField() : AField;
  TcxCustomDataSource* s = Source();
  return s ? s->GetItemHandle(f->GetIndex()) : TcxDataItemHandle(f->GetIndex());
}

void TcxCustomDataProvider::BuildHandleIndex() const {
  FHandleIndex.clear();
  const Integer n = FDataController->GetRecordCount();
  FHandleIndex.reserve(size_t(n));
  // From the last record, so that the first of equal handles wins.
  for (Integer r = n - 1; r >= 0; --r) FHandleIndex[GetRecordHandle(r)] = r;
  FHandleIndexValid = true;
}

Integer TcxCustomDataProvider::GetRecordIndexByHandle(TcxDataRecordHandle AHandle) const {
  if (!FHandleIndexValid) BuildHandleIndex();
  auto it = FHandleIndex.find(AHandle);
  return it == FHandleIndex.end() ? -1 : it->second;
}

Integer TcxCustomDataProvider::AppendRecord() {
  TcxCustomDataSource* s = Source();
  TcxCustomDataField* f = FDataController->RecordHandleField();
  if (!s || !f || !f->GetValueDef()) return -1;
  const TcxDataRecordHandle h = s->AppendRecord();
  if (h == kNoRecordHandle) return -1;
  TcxDataStorage* storage = FDataController->DataStorage();
  const Integer r = storage->AppendRecord();
  storage->SetValue(r, f->GetValueDef(), Variant(Int64(h)));
  if (FHandleIndexValid) FHandleIndex.emplace(h, r);
  return r;
}

Integer TcxCustomDataProvider::InsertRecord(Integer ARecordIndex) {
  TcxCustomDataSource* s = Source();
  TcxCustomDataField* f = FDataController->RecordHandleField();
  if (!s || !f || !f->GetValueDef()) return -1;
  TcxDataStorage* storage = FDataController->DataStorage();
  const bool append = s->GetRecordCount() <= 0 || ARecordIndex >= storage->RecordCount();
  const TcxDataRecordHandle h =
      append ? s->AppendRecord() : s->InsertRecord(GetRecordHandle(ARecordIndex));
  if (h == kNoRecordHandle) return -1;
  const Integer at = append ? storage->RecordCount() : ARecordIndex;
  storage->InsertRecord(at);
  storage->SetValue(at, f->GetValueDef(), Variant(Int64(h)));
  FHandleIndexValid = false;
  return GetRecordIndexByHandle(h);
}

void TcxCustomDataProvider::DeleteRecord(Integer ARecordIndex) {
  if (TcxCustomDataSource* s = Source()) s->DeleteRecord(GetRecordHandle(ARecordIndex));
}

bool TcxCustomDataProvider::GetDetailHasChildren(Integer ARecordIndex, Integer ARelationIndex) {
  TcxCustomDataSource* s = Source();
  return s && s->GetDetailHasChildren(ARecordIndex, ARelationIndex);
}

String TcxCustomDataProvider::GetProviderDisplayText(Integer ARecordIndex,
                                                     TcxCustomDataField* AField) {
  TcxCustomDataSource* s = Source();
  return s ? s->GetDisplayText(GetRecordHandle(ARecordIndex), GetItemHandle(AField)) : String();
}

Variant TcxCustomDataProvider::GetRecordId(Integer ARecordIndex) {
  TcxCustomDataSource* s = Source();
  return s ? s->GetRecordId(GetRecordHandle(ARecordIndex)) : Null();
}

Variant TcxCustomDataProvider::GetProviderValue(Integer ARecordIndex, TcxCustomDataField* AField) {
  TcxCustomDataSource* s = Source();
  return s ? s->GetValue(GetRecordHandle(ARecordIndex), GetItemHandle(AField)) : Null();
}

TcxValueDefReaderClass TcxCustomDataProvider::GetValueDefReaderClass() const {
  return ClassOf<TcxValueDefReader, TcxValueDefReader>();
}

void TcxCustomDataProvider::SetProviderValue(Integer ARecordIndex, TcxCustomDataField* AField,
                                             const Variant& AValue) {
  if (TcxCustomDataSource* s = Source())
    s->SetValue(GetRecordHandle(ARecordIndex), GetItemHandle(AField), AValue);
}

void TcxCustomDataProvider::SetRecordCount(Integer ARecordCount) {
  if (TcxCustomDataSource* s = Source()) s->SetRecordCount(ARecordCount);
}

Integer TcxCustomDataProvider::CompareValues(Integer ARecordIndex1, Integer ARecordIndex2,
                                             TcxCustomDataField* AField) {
  TcxCustomDataController* c = FDataController;
  TcxValueTypeClass type = AField->GetValueTypeClass();
  if (ARecordIndex1 < 0 && ARecordIndex2 < 0 && AField->GetValueDef())
    return c->DataStorage()->CompareRecords(ARecordIndex1, ARecordIndex2, AField->GetValueDef());
  // A data source that frees the controller (and this provider with it) while read ends
  // the compare.
  TWeakLink link(c);
  const Variant v1 = c->GetValue(ARecordIndex1, AField);
  if (!link.Alive()) return 0;
  const Variant v2 = c->GetValue(ARecordIndex2, AField);
  if (!link.Alive()) return 0;
  if (!type) return cxCompareVariantsForSort(v1, v2);
  try {
    const TTypedValue a(type, v1), b(type, v2);
    if (a.Null() || b.Null()) return a.Null() == b.Null() ? 0 : a.Null() ? -1 : 1;
    return type->CompareValues(a.Buffer(), b.Buffer());
  } catch (const Exception&) {
    // A source value the field's type cannot hold still takes a consistent place.
    return cxCompareVariantsForSort(v1, v2);
  }
}

Integer TcxCustomDataProvider::CompareByDataSource(Integer ARecordIndex1, Integer ARecordIndex2,
                                                   TcxCustomDataField* AField) {
  TcxCustomDataSource* s = Source();
  if (!s) return 0;
  return s->NativeCompareFunc(GetRecordHandle(ARecordIndex1), GetRecordHandle(ARecordIndex2),
                              GetItemHandle(AField));
}

// ---- Events from the source side ----

// Reading the records again may run a handler of the source that frees the controller, and
// this provider with it.
void TcxCustomDataProvider::ActiveChanged(bool AActive) {
  TWeakLink self(this);
  FDataController->ActiveChanged(AActive);
  if (self.Alive()) ResetEditing();
}

void TcxCustomDataProvider::DataChanged(TcxDataChange AKind, Integer AItemIndex,
                                        Integer ARecordIndex) {
  TWeakLink self(this);
  if (!IsFrozen()) FDataController->DataChanged(AKind, AItemIndex, ARecordIndex);
  if (!self.Alive()) return;
  if (FPostingIntoSource)
    ResetChanging();
  else
    ResetEditing();
}

void TcxCustomDataProvider::DataScrolled(Integer) {
  // Finding the focused record again may search by key, and a data source read by the
  // search may free the controller, and this provider with it.
  TWeakLink self(this);
  FDataController->DataScrolled();
  if (self.Alive()) ResetChanging();
}

void TcxCustomDataProvider::LayoutChanged(Integer) { FDataController->Refresh(); }

// ---- TcxCustomDataSource ----

void TcxCustomDataSource::BeforeDestruction() {
  // A copy: each provider leaves the list.
  const std::vector<TcxCustomDataProvider*> providers = FProviders;
  for (TcxCustomDataProvider* p : providers) p->SetCustomDataSource(nullptr);
  FProviders.clear();
  FCurrentProvider = nullptr;
  inherited::BeforeDestruction();
}

TcxCustomDataController* TcxCustomDataSource::DataController() const {
  TcxCustomDataProvider* p = CurrentProvider();
  return p ? p->DataController() : nullptr;
}

void TcxCustomDataSource::DataChanged() {
  TcxCustomDataProvider* p = CurrentProvider();
  if (!p) return;
  TcxCustomDataController* c = p->DataController();
  auto bracket = UpdateBracket(c);
  p->DataChanged(dcTotal, -1, -1);
}

Integer TcxCustomDataSource::GetDefaultItemID(Integer AItemIndex) {
  TcxCustomDataController* c = DataController();
  return c ? c->GetItemID(c->GetItem(AItemIndex)) : -1;
}

String TcxCustomDataSource::GetDisplayText(TcxDataRecordHandle ARecordHandle,
                                           TcxDataItemHandle AItemHandle) {
  return VarToStr(GetValue(ARecordHandle, AItemHandle));
}

void TcxCustomDataSource::GetInfoForCompare(TcxDataRecordHandle, TcxDataItemHandle, Variant&) {
  cxDataControllerError(cxSDataReadError);
}

void TcxCustomDataSource::LoadRecordHandles() {
  TcxCustomDataController* c = DataController();
  if (!c || !c->RecordHandleField() || !c->RecordHandleField()->GetValueDef()) return;
  TcxDataStorage* storage = c->DataStorage();
  TcxValueDef* def = c->RecordHandleField()->GetValueDef();
  const Integer n = std::max<Integer>(GetRecordCount(), 0);
  storage->SetRecordCount(n);
  for (Integer i = 0; i < n; ++i)
    storage->SetValue(i, def, Variant(Int64(GetRecordHandleByIndex(i))));
  c->Provider()->HandlesChanged();
}

void TcxCustomDataSource::AddProvider(TcxCustomDataProvider* AProvider) {
  if (std::find(FProviders.begin(), FProviders.end(), AProvider) == FProviders.end())
    FProviders.push_back(AProvider);
}

void TcxCustomDataSource::RemoveProvider(TcxCustomDataProvider* AProvider) {
  auto it = std::find(FProviders.begin(), FProviders.end(), AProvider);
  if (it != FProviders.end()) FProviders.erase(it);
  if (FCurrentProvider == AProvider) FCurrentProvider = nullptr;
}

TL_DEFINE_CLASS(TcxCustomDataProvider)
TL_DEFINE_CLASS(TcxCustomDataSource)
