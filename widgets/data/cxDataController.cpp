#include "widgets/data/cxDataController.h"

#include "classlib/core/ScopeGuards.h"
#include "classlib/core/SysUtils.h"
#include "widgets/data/cxData.h"
#include "widgets/data/cxDataKeys.h"
#include "widgets/data/cxDataRelations.h"
#include "widgets/data/cxFilter.h"
#include "widgets/foundation/cxVariants.h"

#include <algorithm>
#include <numeric>
#include <typeinfo>

using enum TcxDataControllerOption;
using enum TcxDataSortOrder;
using enum TcxDataChange;

// ---- Life ----

TcxCustomDataController::TcxCustomDataController(TComponent* AOwner)
    : FOwner(AOwner), FOptions{dcoAssignGroupingValues, dcoAssignMasterDetailKeys, dcoSaveExpanding} {
  FDataStorage = New<TcxDataStorage>();
  FFields = New<TcxCustomDataFieldList>(this);
  FGroups = New<TcxDataControllerGroups>(this);
  FNotifier = New<TcxDataControllerNotifier>(this);
}

void TcxCustomDataController::AfterConstruction() {
  inherited::AfterConstruction();
  CreateFilterSearchAndSummary();
  FDataControllerInfo = CreateDataControllerInfo();
  FProvider = GetDataProviderClass().Create(this);
}

void TcxCustomDataController::BeforeDestruction() {
  FDestroying = true;
  // Its free-notification links go while everything it reaches still lives.
  FreeAndNil(FNotifier);
  // A detail leaves its master; a master's clones go while its relations still exist.
  DetachFromMaster();
  FreeDetails();
  inherited::BeforeDestruction();
}

TcxCustomDataController::~TcxCustomDataController() {
  FreeAndNil(FNotifier);
  FreeAndNil(FRelations);
  FreeAndNil(FProvider);
  FreeAndNil(FDataControllerInfo);
  FreeFilterSearchAndSummary();
  // A copy: a criteria may tell the list of its going.
  const std::vector<TcxFilterCriteria*> filters = FFilters;
  FFilters.clear();
  for (TcxFilterCriteria* f : filters) f->Free();
  FreeAndNil(FGroups);
  FreeAndNil(FSaveObject);
  // Fields first: each frees its value definition in the storage.
  FreeAndNil(FFields);
  if (FDataStorage) FDataStorage->Clear(false);
  FreeAndNil(FDataStorage);
  for (TcxDataListenerLink* link : FListenerLinks) link->FDataController = nullptr;
  FListenerLinks.clear();
}

TcxCustomDataField* TcxCustomDataController::CreateField() { return New<TcxCustomDataField>(FFields); }

TcxCustomDataControllerInfo* TcxCustomDataController::CreateDataControllerInfo() {
  return New<TcxCustomDataControllerInfo>(this);
}

void TcxCustomDataController::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TcxCustomDataController*>(Source);
  if (!src) {
    inherited::Assign(Source);
    return;
  }
  auto bracket = UpdateBracket(this);
  SetOptions(src->FOptions);
  AssignFilterAndSummary(src);
  OnCompare = src->OnCompare;
  OnDataChanged = src->OnDataChanged;
  OnDetailCollapsing = src->OnDetailCollapsing;
  OnDetailExpanding = src->OnDetailExpanding;
  OnDetailCollapsed = src->OnDetailCollapsed;
  OnDetailExpanded = src->OnDetailExpanded;
  OnGroupingChanged = src->OnGroupingChanged;
  OnSortingChanged = src->OnSortingChanged;
}

void TcxCustomDataController::SetOptions(TcxDataControllerOptions Value) {
  if (FOptions == Value) return;
  const TcxDataControllerOptions ordering{dcoAnsiSort, dcoCaseInsensitive, dcoSortByDisplayText};
  const bool reorder = ((FOptions - Value) + (Value - FOptions)) * ordering != TcxDataControllerOptions();
  FOptions = Value;
  if (reorder) RefreshView();
}

bool TcxCustomDataController::IsLoading() const {
  return FOwner && FOwner->InState(TComponentStateItem::csLoading);
}

bool TcxCustomDataController::IsDestroying() const {
  return FDestroying || (FOwner && FOwner->InState(TComponentStateItem::csDestroying));
}

bool TcxCustomDataController::IsReading() const { return FOwner && FOwner->InState(TComponentStateItem::csReading); }

// ---- Items ----

void TcxCustomDataController::AddItem(TObject* AItem) {
  if (FFields->FieldByItem(AItem)) cxDataControllerError(cxSDataItemExistError);
  TcxCustomDataField* field = CreateField();
  field->SetItem(AItem);
  FFields->Add(field);
}

void TcxCustomDataController::RemoveItem(TObject* AItem) {
  TcxCustomDataField* field = FFields->FieldByItem(AItem);
  if (!field) return;
  auto bracket = UpdateBracket(this);
  FDataControllerInfo->RemoveField(field);
  FFields->Remove(field);
}

TObject* TcxCustomDataController::GetItem(Integer AIndex) const { return GetItemField(AIndex)->Item(); }

Integer TcxCustomDataController::GetItemID(TObject* AItem) const {
  if (!AItem) return -1;
  for (Integer i = 0; i < GetItemCount(); ++i)
    if (FFields->GetItem(i)->Item() == AItem) return i;
  return -1;
}

TObject* TcxCustomDataController::GetItemByID(Integer AID) const {
  return AID >= 0 && AID < GetItemCount() ? FFields->GetItem(AID)->Item() : nullptr;
}

TcxCustomDataField* TcxCustomDataController::GetItemField(Integer AItemIndex) const {
  CheckItemRange(AItemIndex);
  return FFields->GetItem(AItemIndex);
}

void TcxCustomDataController::ChangeValueTypeClass(Integer AItemIndex, TcxValueTypeClass AValueTypeClass) {
  TcxCustomDataField* field = GetItemField(AItemIndex);
  if (!AValueTypeClass) throw EcxInvalidDataControllerOperation("A field needs a value type");
  if (field->GetValueTypeClass() == AValueTypeClass) return;
  field->RootField()->SetValueTypeClass(AValueTypeClass);
  ItemValueTypeChanged(AItemIndex);
  // The values went with the old definition.
  if (IsProviderMode())
    UpdateStructure();
  else
    Refresh();
}

TcxValueTypeClass TcxCustomDataController::GetItemValueTypeClass(Integer AItemIndex) const {
  return GetItemField(AItemIndex)->GetValueTypeClass();
}

void TcxCustomDataController::ChangeTextStored(Integer AItemIndex, bool Value) {
  GetItemField(AItemIndex)->RootField()->SetTextStored(Value);
}

bool TcxCustomDataController::GetItemTextStored(Integer AItemIndex) const {
  return GetItemField(AItemIndex)->GetTextStored();
}

bool TcxCustomDataController::GetItemSortByDisplayText(Integer) const { return false; }

TcxCustomDataField* TcxCustomDataController::CreateInternalField() {
  TcxCustomDataField* field = CreateField();
  field->SetIsInternal(true);
  FFields->Add(field);
  return field;
}

void TcxCustomDataController::FieldRemoved(TcxCustomDataField* AField) {
  // Conditions link the owner's items, or (in the controller's own criteria) fields.
  for (TcxFilterCriteria* f : FFilters) {
    f->RemoveItemByItemLink(AField);
    if (AField->Item()) f->RemoveItemByItemLink(AField->Item());
  }
  FieldRemovedFromFilterSearchAndSummary(AField);
}

// ---- Further filters ----


TcxFilterCriteria* TcxCustomDataController::CreateFilter() {
  TcxFilterCriteria* f = GetFilterCriteriaClass().Create(this);
  FFilters.push_back(f);
  return f;
}

void TcxCustomDataController::FilterDestroying(TcxFilterCriteria* ACriteria) {
  auto it = std::find(FFilters.begin(), FFilters.end(), ACriteria);
  if (it != FFilters.end()) FFilters.erase(it);
}

void TcxCustomDataController::RemoveNotification(TComponent* AComponent) {
  FFields->RemoveNotification(AComponent);
  if (FRelations) FRelations->RemoveNotification(AComponent);
}

// ---- Records ----

void TcxCustomDataController::CheckItemRange(Integer AItemIndex) const {
  if (AItemIndex < 0 || AItemIndex >= GetItemCount()) cxDataControllerError(cxSDataItemIndexError);
}

void TcxCustomDataController::CheckRecordRange(Integer ARecordIndex) const {
  if (ARecordIndex >= 0 && ARecordIndex < GetRecordCount()) return;
  if (ARecordIndex != kNoEditRecord && ARecordIndex == GetEditingRecordIndex()) return;
  if (ARecordIndex < 0 && ARecordIndex == FNewItemRecordIndex) return;
  cxDataControllerError(cxSDataRecordIndexError);
}

void TcxCustomDataController::SetRecordCount(Integer Value) {
  if (IsGridMode()) return;
  Value = std::max<Integer>(Value, 0);
  if (Value == GetRecordCount()) return;
  if (IsProviderMode()) {
    FProvider->SetRecordCount(Value);
  } else {
    // The records deleted from the end take a pending edit of theirs with them.
    if (FProvider->EditingRecordIndex() >= Value) FProvider->ResetEditing();
    FDataStorage->SetRecordCount(Value);
    FProvider->HandlesChanged();
  }
  DataChanged(dcTotal, -1, -1);
}

Integer TcxCustomDataController::AppendRecord() {
  Integer r;
  if (IsProviderMode()) {
    r = FProvider->AppendRecord();
    if (r < 0) return r;
  } else {
    r = FDataStorage->AppendRecord();
    FDataControllerInfo->RecordAppended();
  }
  DataChanged(dcNew, -1, -1);
  return r;
}

Integer TcxCustomDataController::InsertRecord(Integer ARecordIndex) {
  if (ARecordIndex < 0 || ARecordIndex > GetRecordCount()) cxDataControllerError(cxSDataRecordIndexError);
  Integer r = ARecordIndex;
  if (IsProviderMode()) {
    PreserveGroupStates();
    r = FProvider->InsertRecord(ARecordIndex);
    if (r < 0) return r;
  } else {
    PreserveGroupStates();
    FDataStorage->InsertRecord(ARecordIndex);
  }
  RecordInserted(r);
  DataChanged(dcNew, -1, r);
  return r;
}

void TcxCustomDataController::DeleteRecord(Integer ARecordIndex) {
  if (ARecordIndex < 0 || ARecordIndex >= GetRecordCount()) cxDataControllerError(cxSDataRecordIndexError);
  if (!IsProviderMode()) {
    DeleteStorageRecords({ARecordIndex});
    return;
  }
  auto bracket = UpdateBracket(this);
  // The source deletes; its records are read again.
  if (ARecordIndex == FProvider->EditingRecordIndex()) FProvider->ResetEditing();
  FProvider->DeleteRecord(ARecordIndex);
  FProvider->ShiftDeletingFocus({ARecordIndex});
  FDataControllerInfo->RecordsDeleted({ARecordIndex}, !IsRestoringSelectionByKeys());
  DataChanged(dcTotal, -1, -1);
}

// The bookmark, the edit and the details keep their records when records before them
// come or go.
void TcxCustomDataController::RecordInserted(Integer ARecordIndex) {
  if (FBookmarkRecordIndex >= ARecordIndex) ++FBookmarkRecordIndex;
  if (FFocusTargetRecordIndex >= ARecordIndex) ++FFocusTargetRecordIndex;
  FDataControllerInfo->RecordInserted(ARecordIndex, !IsRestoringSelectionByKeys());
  FProvider->RecordInserted(ARecordIndex);
  if (HasRelations() && FRelations->ItemField())
    for (Integer r = ARecordIndex + 1; r < GetRecordCount(); ++r) FixDetailRecordIndexes(r, 0);
}

void TcxCustomDataController::RecordDeleted(Integer ARecordIndex) {
  if (FBookmarkRecordIndex > ARecordIndex) --FBookmarkRecordIndex;
  FProvider->RecordDeleted(ARecordIndex);
  if (HasRelations() && FRelations->ItemField())
    for (Integer r = ARecordIndex; r < GetRecordCount(); ++r) FixDetailRecordIndexes(r, 0);
}

bool TcxCustomDataController::CopyRecordValues(Integer AFromRecordIndex, Integer AToRecordIndex) {
  // Internal records (saved values, the new-item row) are checked by the storage.
  if (AFromRecordIndex >= 0) CheckRecordRange(AFromRecordIndex);
  if (AToRecordIndex >= 0) CheckRecordRange(AToRecordIndex);
  // A record read from outside runs the program's code (a field's text handler), which may
  // free this controller: the copy ends there.
  TWeakLink self(this);
  // Internal fields (record handles, detail objects) belong to their record.
  for (Integer i = 0; i < FFields->GetCount(); ++i) {
    TcxCustomDataField* field = FFields->GetItem(i);
    TcxValueDef* def = field->GetValueDef();
    if (field->ReferenceField() || !def || field->IsInternal()) continue;
    const Variant value = GetValue(AFromRecordIndex, field);
    if (!self.Alive()) return false;
    const bool text = def->TextStored();
    const String display = text ? GetDisplayText(AFromRecordIndex, field) : String();
    if (!self.Alive()) return false;
    if (IsProviderMode() && AToRecordIndex >= 0) {
      FProvider->SetProviderValue(AToRecordIndex, field, value);
      if (!self.Alive()) return false;
      if (text) FProvider->SetProviderDisplayText(AToRecordIndex, field, display);
      if (!self.Alive()) return false;
    } else {
      FDataStorage->SetValue(AToRecordIndex, def, value);
      if (text) FDataStorage->SetDisplayText(AToRecordIndex, def, display);
    }
  }
  return true;
}

void TcxCustomDataController::ClearRecordValues(Integer ARecordIndex) {
  for (Integer i = 0; i < FFields->GetCount(); ++i) {
    TcxCustomDataField* field = FFields->GetItem(i);
    TcxValueDef* def = field->GetValueDef();
    if (field->ReferenceField() || !def || field->IsInternal()) continue;
    FDataStorage->SetValue(ARecordIndex, def, Null());
    if (def->TextStored()) FDataStorage->SetDisplayText(ARecordIndex, def, String());
  }
}

void TcxCustomDataController::CopyRecord(Integer AFromRecordIndex, Integer AToRecordIndex) {
  if (CopyRecordValues(AFromRecordIndex, AToRecordIndex)) DataChanged(dcRecord, -1, AToRecordIndex);
}

// A custom data source or a data set's field is the program's own code, which may free the
// controller: a rebuild that was reading stops there. Any other caller gets what was read
// and must test the controller before going on.
template <class F>
auto TcxCustomDataController::ReadFromOutside(F&& ARead) const -> decltype(ARead()) {
  TWeakLink link(const_cast<TcxCustomDataController*>(this));
  const bool rebuilding = FDataControllerInfo && FDataControllerInfo->IsUpdating();
  auto value = ARead();
  if (!link.Alive() && rebuilding) throw TcxDataControllerFreed();
  return value;
}

Variant TcxCustomDataController::GetValue(Integer ARecordIndex, TcxCustomDataField* AField) const {
  if (ARecordIndex >= 0 && IsProviderValueField(AField)) {
    if (IsProviderMode()) return ReadFromOutside([&] { return FProvider->GetProviderValue(ARecordIndex, AField); });
    if (IsGridMode()) return ReadFromOutside([&] { return FProvider->GetGridModeValue(ARecordIndex, AField); });
  }
  TcxValueDef* def = AField->GetValueDef();
  return def ? FDataStorage->GetValue(ARecordIndex, def) : Unassigned();
}

String TcxCustomDataController::GetDisplayText(Integer ARecordIndex, TcxCustomDataField* AField) const {
  if (ARecordIndex >= 0 && IsProviderValueField(AField)) {
    if (IsProviderMode()) return ReadFromOutside([&] { return FProvider->GetProviderDisplayText(ARecordIndex, AField); });
    if (IsGridMode()) return ReadFromOutside([&] { return FProvider->GetGridModeDisplayText(ARecordIndex, AField); });
  }
  TcxValueDef* def = AField->GetValueDef();
  return def ? FDataStorage->GetDisplayText(ARecordIndex, def) : String();
}

Variant TcxCustomDataController::GetItemValue(Integer ARecordIndex, Integer AItemIndex) const {
  CheckRecordRange(ARecordIndex);
  return GetValue(ARecordIndex, GetItemField(AItemIndex));
}

String TcxCustomDataController::GetItemDisplayText(Integer ARecordIndex, Integer AItemIndex) const {
  CheckRecordRange(ARecordIndex);
  return GetDisplayText(ARecordIndex, GetItemField(AItemIndex));
}

void TcxCustomDataController::SetValue(Integer ARecordIndex, Integer AItemIndex, const Variant& AValue) {
  if (IsGridMode()) return;
  CheckRecordRange(ARecordIndex);
  TcxCustomDataField* field = GetItemField(AItemIndex);
  if (IsProviderMode() && ARecordIndex >= 0) {
    FProvider->SetProviderValue(ARecordIndex, field, AValue);
  } else if (TcxValueDef* def = field->GetValueDef()) {
    FDataStorage->SetValue(ARecordIndex, def, AValue);
  }
  DataChanged(dcField, AItemIndex, ARecordIndex);
}

void TcxCustomDataController::SetDisplayText(Integer ARecordIndex, Integer AItemIndex, const String& AText) {
  if (IsGridMode()) return;
  CheckRecordRange(ARecordIndex);
  TcxCustomDataField* field = GetItemField(AItemIndex);
  if (IsProviderMode() && ARecordIndex >= 0) {
    FProvider->SetProviderDisplayText(ARecordIndex, field, AText);
  } else if (TcxValueDef* def = field->GetValueDef()) {
    FDataStorage->SetDisplayText(ARecordIndex, def, AText);
  }
  DataChanged(dcField, AItemIndex, ARecordIndex);
}

Variant TcxCustomDataController::GetRecordId(Integer ARecordIndex) const {
  if (ARecordIndex < 0 || ARecordIndex >= GetRecordCount()) cxDataControllerError(cxSDataRecordIndexError);
  if (FDataStorage->UseRecordID()) return Variant(FDataStorage->RecordID(ARecordIndex));
  if (IsProviderMode() && FProvider->IsRecordIdSupported()) return FProvider->GetRecordId(ARecordIndex);
  return Null();
}

Variant TcxCustomDataController::GetFieldValues(Integer ARecordIndex,
                                                const std::vector<TcxCustomDataField*>& AFields) const {
  if (AFields.empty()) return IsProviderMode() ? FProvider->GetRecordId(ARecordIndex) : Null();
  if (AFields.size() == 1) return GetValue(ARecordIndex, AFields[0]);
  Variant r = VarArrayCreate(0, Integer(AFields.size()) - 1, varVariant);
  for (size_t i = 0; i < AFields.size(); ++i) VarArrayPut(r, GetValue(ARecordIndex, AFields[i]), Integer(i));
  return r;
}

Variant TcxCustomDataController::GetGroupValue(Integer ARecordIndex, TcxCustomDataField* AField) const {
  return GetValue(ARecordIndex, AField);
}

std::vector<Variant> TcxCustomDataController::GetGroupValues(Integer ARecordIndex) const {
  std::vector<Variant> r(size_t(GetGroupingItemCount()), Null());
  if (ARecordIndex < 0 || ARecordIndex >= GetRecordCount()) return r;
  const TcxGroupingFieldList* groups = FDataControllerInfo->GroupingFieldList();
  for (Integer level = 0; level < groups->Count(); ++level)
    r[size_t(level)] = GetGroupValue(ARecordIndex, groups->Items(level).Field);
  return r;
}

// ---- Sorting and grouping ----

void TcxCustomDataController::ChangeSortingOrder(Integer AItemIndex, TcxDataSortOrder ASortOrder) {
  if (GetItemSortOrder(AItemIndex) == ASortOrder) return;
  // The edited record's values decide its place: the edit is posted first.
  TWeakLink self(this);
  PostEditing();
  if (!self.Alive()) return;
  FDataControllerInfo->SetSortOrderChanged();
  FDataControllerInfo->SortingFieldList()->ChangeSorting(GetItemField(AItemIndex), ASortOrder);
}

void TcxCustomDataController::ClearSorting(bool AKeepGroupedItems) {
  TcxSortingFieldList* sorting = FDataControllerInfo->SortingFieldList();
  const TcxGroupingFieldList* grouping = FDataControllerInfo->GroupingFieldList();
  bool drops = false;
  for (Integer i = 0; i < sorting->Count() && !drops; ++i)
    drops = !AKeepGroupedItems || grouping->IndexOf(sorting->Items(i).Field) < 0;
  if (drops) {
    TWeakLink self(this);
    PostEditing();
    if (!self.Alive()) return;
  }
  auto bracket = UpdateBracket(this);
  for (Integer i = sorting->Count() - 1; i >= 0; --i) {
    TcxCustomDataField* f = sorting->Items(i).Field;
    if (AKeepGroupedItems && grouping->IndexOf(f) >= 0) continue;
    FDataControllerInfo->SetSortOrderChanged();
    sorting->Remove(f);
  }
}

TcxDataSortOrder TcxCustomDataController::GetItemSortOrder(Integer AItemIndex) const {
  TcxCustomDataField* field = GetItemField(AItemIndex);
  const TcxSortingFieldList* sorting = FDataControllerInfo->SortingFieldList();
  Integer i = sorting->IndexOf(field);
  if (i >= 0) return sorting->Items(i).SortOrder;
  const TcxGroupingFieldList* grouping = FDataControllerInfo->GroupingFieldList();
  i = grouping->IndexOf(field);
  if (i >= 0) return grouping->Items(i).SortOrder;
  return soNone;
}

Integer TcxCustomDataController::GetItemSortingIndex(Integer AItemIndex) const {
  return FDataControllerInfo->SortingFieldList()->IndexOf(GetItemField(AItemIndex));
}

Integer TcxCustomDataController::GetSortingItemCount() const { return FDataControllerInfo->SortingFieldList()->Count(); }

void TcxCustomDataController::ChangeItemSortingIndex(Integer AItemIndex, Integer ASortingIndex) {
  TcxCustomDataField* field = GetItemField(AItemIndex);
  if (GetItemSortingIndex(AItemIndex) == ASortingIndex) return;
  TcxSortingFieldList* sorting = FDataControllerInfo->SortingFieldList();
  auto bracket = UpdateBracket(this);
  if (GetItemGroupIndex(AItemIndex) >= 0 && GetItemSortOrder(AItemIndex) == soAscending && ASortingIndex == -1) {
    sorting->Remove(field);
  } else {
    if (sorting->IndexOf(field) < 0) ChangeSortingOrder(AItemIndex, GetItemSortOrder(AItemIndex));
    const Integer cur = sorting->IndexOf(field);
    if (cur >= 0 && GetItemSortOrder(AItemIndex) != soNone) {
      const Integer target = std::clamp<Integer>(ASortingIndex, 0, sorting->Count() - 1);
      if (target != cur) {
        TWeakLink self(this);
        PostEditing();
        if (!self.Alive()) return;
        FDataControllerInfo->SetSortOrderChanged();
        sorting->Move(cur, target);
      }
    }
  }
}

void TcxCustomDataController::ChangeItemGroupIndex(Integer AItemIndex, Integer AGroupIndex) {
  TcxCustomDataField* field = GetItemField(AItemIndex);
  const Integer was = GetItemGroupIndex(AItemIndex);
  // The place the list would give it: a grouped item moves at most to the last level.
  const Integer count = GetGroupingItemCount();
  const Integer to = AGroupIndex < 0 ? -1 : std::min(AGroupIndex, was >= 0 ? count - 1 : count);
  if (to == was) return;
  // The edited record's values decide its group: the edit is posted first.
  TWeakLink self(this);
  PostEditing();
  if (!self.Alive()) return;
  FDataControllerInfo->SetGroupingChanged();
  FDataControllerInfo->GroupingFieldList()->ChangeGrouping(field, AGroupIndex);
}

Integer TcxCustomDataController::GetItemGroupIndex(Integer AItemIndex) const {
  return FDataControllerInfo->GroupingFieldList()->IndexOf(GetItemField(AItemIndex));
}

Integer TcxCustomDataController::GetGroupingItemCount() const {
  return FDataControllerInfo->GroupingFieldList()->Count();
}

Integer TcxCustomDataController::GetGroupingItemIndex(Integer ALevel) const {
  const TcxGroupingFieldList* grouping = FDataControllerInfo->GroupingFieldList();
  if (ALevel < 0 || ALevel >= grouping->Count()) return -1;
  return grouping->Items(ALevel).Field->GetIndex();
}

void TcxCustomDataController::SortGroupsBySummary(Integer ASummaryIndex, TcxDataSortOrder ASortOrder) {
  FDataControllerInfo->SetGroupSorting(ASummaryIndex, ASortOrder);
}

Integer TcxCustomDataController::GetCompareKind(const TcxDataSortInfo& ASortInfo) const {
  TcxCustomDataField* field = ASortInfo.Field;
  const bool internal = field->IsInternal();
  if (!internal && FOptions.Contains(dcoSortByDisplayText) && GetItemSortByDisplayText(field->GetIndex())) return 2;
  if (!internal && OnCompare) return 1;
  TcxValueTypeClass type = field->GetValueTypeClass();
  if (!type || !field->GetValueDef()) return 1;
  // A data source that compares by itself is asked with the fetched records.
  if (IsProviderMode() && IsProviderValueField(field) && FProvider->Source() && FProvider->Source()->IsNativeCompare())
    return 1;
  if (type->IsString() && (FOptions.Contains(dcoAnsiSort) || FOptions.Contains(dcoCaseInsensitive))) return 1;
  return -1;
}

namespace {

bool IsStringVariant(const Variant& V) {
  const TVarType t = V.VType();
  return t == varString || t == varOleStr;
}

}  // namespace

bool TcxCustomDataController::RowsFollowRecordValues() const {
  return typeid(*this) == typeid(TcxDataController) ||
         typeid(*this) == typeid(TcxCustomDataController);
}

Integer TcxCustomDataController::CompareRecords(Integer ARecordIndex1, Integer ARecordIndex2,
                                                const TcxDataSortInfo& ASortInfo) const {
  TcxCustomDataField* field = ASortInfo.Field;
  const Integer kind = ASortInfo.CompareKind != 0 ? ASortInfo.CompareKind : GetCompareKind(ASortInfo);
  const bool provider = IsProviderMode() && IsProviderValueField(field);
  if (kind < 0 && !provider) return FDataStorage->CompareRecords(ARecordIndex1, ARecordIndex2, field->GetValueDef());
  // From here a data source, a field's text or OnCompare may free the controller: a rebuild
  // (a sort, a grouping) stops where it is; any other caller (a search) gets 0, and nothing
  // more of the controller is touched.
  auto* self = const_cast<TcxCustomDataController*>(this);
  TWeakLink link(self);
  const bool rebuilding = FDataControllerInfo && FDataControllerInfo->IsUpdating();
  auto freed = [&] {
    if (link.Alive()) return false;
    if (rebuilding) throw TcxDataControllerFreed();
    return true;
  };
  if (kind < 0) {
    const Integer r = FProvider->CompareValues(ARecordIndex1, ARecordIndex2, field);
    return freed() ? 0 : r;
  }
  if (provider && !OnCompare && ARecordIndex1 >= 0 && ARecordIndex2 >= 0 && FProvider->Source() &&
      FProvider->Source()->IsNativeCompare()) {
    const Integer r = FProvider->CompareByDataSource(ARecordIndex1, ARecordIndex2, field);
    return freed() ? 0 : r;
  }
  Variant v1, v2;
  if (kind == 2) {
    v1 = GetDisplayText(ARecordIndex1, field);
    if (freed()) return 0;
    v2 = GetDisplayText(ARecordIndex2, field);
  } else {
    v1 = GetValue(ARecordIndex1, field);
    if (freed()) return 0;
    v2 = GetValue(ARecordIndex2, field);
  }
  if (freed()) return 0;
  if (OnCompare && !field->IsInternal()) {
    Integer result = 0;
    OnCompare(self, ARecordIndex1, ARecordIndex2, field->GetIndex(), v1, v2, result);
    return freed() ? 0 : result;
  }
  if (IsStringVariant(v1) && IsStringVariant(v2)) {
    const bool ansi = FOptions.Contains(dcoAnsiSort);
    const bool noCase = FOptions.Contains(dcoCaseInsensitive);
    const String s1 = v1.AsString(), s2 = v2.AsString();
    if (ansi) return noCase ? AnsiCompareText(s1, s2) : AnsiCompareStr(s1, s2);
    return noCase ? CompareStr(AnsiUpperCase(s1), AnsiUpperCase(s2)) : CompareStr(s1, s2);
  }
  // The sorting form keeps mixed kinds in one consistent order; Null sorts first.
  return cxCompareVariantsForSort(v1, v2);
}

Integer TcxCustomDataController::CompareRecordsBySortOrder(Integer ARecordIndex1, Integer ARecordIndex2,
                                                           const TcxDataSortInfo& ASortInfo) const {
  const Integer r = CompareRecords(ARecordIndex1, ARecordIndex2, ASortInfo);
  if (ASortInfo.SortOrder != soDescending) return r;
  return r < 0 ? 1 : r > 0 ? -1 : 0;
}

// ---- Rows ----

TcxRowInfo TcxCustomDataController::GetRowInfo(Integer ARowIndex) const {
  FDataControllerInfo->CheckRowIndex(ARowIndex);
  return FDataControllerInfo->GetRowInfo(ARowIndex);
}

Integer TcxCustomDataController::GetRowIndexByRecordIndex(Integer ARecordIndex, bool AMakeVisible) {
  return FDataControllerInfo->GetRowIndexByRecordIndex(ARecordIndex, AMakeVisible);
}

Integer TcxCustomDataController::GetFocusedRowIndex() const { return FDataControllerInfo->FocusingInfo().RowIndex; }

Integer TcxCustomDataController::GetFocusedRecordIndex() const {
  return FDataControllerInfo->FocusingInfo().RecordIndex;
}

Integer TcxCustomDataController::GetCurrentRecordIndex() const {
  if (IsNewItemRowActive() && FNewItemRecordIndex < 0) return FNewItemRecordIndex;
  const Integer r = GetFocusedRecordIndex();
  return r >= 0 ? r : kNoEditRecord;
}

void TcxCustomDataController::ResetFocusing() { FDataControllerInfo->ResetFocusing(); }

Integer TcxCustomDataController::GetFocusingRecordIndex() const {
  if (FProvider->IsDataSetOpen() && FProvider->IsSyncMode()) return FProvider->GetRecordIndex();
  return GetCurrentRecordIndex();
}

void TcxCustomDataController::UpdateFields() {
  for (Integer i = 0; i < FFields->GetCount(); ++i) UpdateField(FFields->GetItem(i));
}

void TcxCustomDataController::ReportSyncMasterPos() {
  TWeakLink self(this);  // the change's listeners may free this controller
  if (IsDetail() && GetDetailMode() == TcxDataControllerDetailMode::dcdmClone) Change({TcxDataControllerChange::dccSyncMasterPos});
  if (self.Alive()) DeliverHeldBackNotices();
}

bool TcxCustomDataController::FocusSelectedRow(Integer AIndex) {
  const Integer row = GetSelectedRowIndex(AIndex);
  if (row < 0) return false;
  TWeakLink self(this);  // moving the focus runs the provider's handlers, which may free this
  ChangeFocusedRowIndex(row);
  return self.Alive() && GetFocusedRowIndex() == row;
}

void TcxCustomDataController::ForEachRow(bool ASelectedOnly, const TcxDataRowProc& AProc) {
  if (!AProc) return;
  std::vector<Integer> rows;
  if (ASelectedOnly) {
    rows = GetSelectedRows();
  } else {
    rows.resize(size_t(GetRowCount()));
    std::iota(rows.begin(), rows.end(), 0);
  }
  for (Integer row : rows)
    if (row >= 0 && row < GetRowCount()) AProc(row, GetRowInfo(row));
}

// ---- Bookmark ----

bool TcxCustomDataController::IsBookmarkRow(Integer ARowIndex) const {
  if (!IsBookmarkAvailable() || ARowIndex < 0 || ARowIndex >= GetRowCount()) return false;
  const TcxRowInfo info = FDataControllerInfo->GetRowInfo(ARowIndex);
  // A group row names its first record, but shows no record of its own.
  return info.Level == GetGroupingItemCount() && info.RecordIndex == FBookmarkRecordIndex;
}

bool TcxCustomDataController::IsBookmarkInvalid(Integer ARecordIndex) const {
  if (!IsBookmarkAvailable()) return false;
  return ARecordIndex == FBookmarkRecordIndex || GetFilteredIndexByRecordIndex(FBookmarkRecordIndex) < 0;
}

void TcxCustomDataController::CheckBookmark(Integer ARecordIndex) {
  if (!IsBookmarkInvalid(ARecordIndex)) return;
  FBookmarkRecordIndex = -1;
  BookmarkChanged();
}

void TcxCustomDataController::ClearBookmark() {
  if (FBookmarkRecordIndex == -1) return;
  FBookmarkRecordIndex = -1;
  BookmarkChanged();
}

void TcxCustomDataController::GotoBookmark() {
  if (IsBookmarkAvailable()) ChangeFocusedRecordIndex(FBookmarkRecordIndex);
}

bool TcxCustomDataController::SaveBookmark() {
  const Integer record = GetFocusedRecordIndex();
  if (record == FBookmarkRecordIndex) return false;
  FBookmarkRecordIndex = record;
  BookmarkChanged();
  return true;
}

void TcxCustomDataController::BookmarkChanged() {
  // Within a rebuild the change goes out with the rebuild's own changes.
  FChanges.Include(TcxDataControllerChange::dccBookmark);
  if (!FDataControllerInfo->IsUpdating()) CheckChanges();
}

bool TcxCustomDataController::DoFilterRecord(Integer ARecordIndex) {
  bool accept = true;
  if (OnFilterRecord) OnFilterRecord(this, ARecordIndex, accept);
  return accept;
}

TL_DEFINE_CLASS(TcxCustomDataController)
TL_DEFINE_CLASS(TcxDataListenerLink)
TL_DEFINE_CLASS(TcxDataControllerGroups)
TL_DEFINE_CLASS(TcxDataControllerNotifier)

void TcxDataControllerNotifier::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && FDataController) FDataController->RemoveNotification(AComponent);
}

// ---- Focus and selection ----

bool TcxCustomDataController::ChangeFocusedRecordIndex(Integer ARecordIndex) {
  if (ARecordIndex < 0) return ChangeFocusedRowIndex(-1);
  CheckRecordRange(ARecordIndex);
  bool result = false;
  auto bracket = UpdateBracket(this);  // let go of when a handler of the move frees the controller
  // A record the filter hides has no row to focus.
  const Integer row = GetRowIndexByRecordIndex(ARecordIndex, true);
  if (row >= 0) result = ChangeFocusedRowIndex(row);
  return result;
}

void TcxCustomDataController::SetMultiSelect(bool Value) {
  if (FMultiSelect == Value) return;
  auto bracket = UpdateBracket(this);
  FMultiSelect = Value;
  FFocusedSelected = true;
  FDataControllerInfo->Selection()->Reset();
  // The focused row was the selection of single-select mode, and stays selected.
  if (Value && GetFocusedRowIndex() >= 0) ChangeRowSelection(GetFocusedRowIndex(), true);
  if (SummaryCountsSelectedOnly()) FDataControllerInfo->AddChanges({TcxDataControllerInfoChange::dcicSummary});
}

void TcxCustomDataController::SetFocusedSelected(bool Value) {
  if (FFocusedSelected == Value) return;
  FFocusedSelected = Value;
  if (!FMultiSelect) {
    FDataControllerInfo->AddChanges({TcxDataControllerInfoChange::dcicSelection});
    FDataControllerInfo->CheckUpdate();
  }
}

void TcxCustomDataController::ChangeRowSelection(Integer ARowIndex, bool ASelected) {
  FDataControllerInfo->ChangeRowSelection(ARowIndex, ASelected);
}

bool TcxCustomDataController::IsRowSelected(Integer ARowIndex) const {
  return FDataControllerInfo->IsRowSelected(ARowIndex);
}

Integer TcxCustomDataController::GetSelectedCount() const { return FDataControllerInfo->GetSelectedCount(); }

Integer TcxCustomDataController::GetSelectedRowIndex(Integer AIndex) const {
  return FDataControllerInfo->GetSelectedRowIndex(AIndex);
}

void TcxCustomDataController::ClearSelection() { FDataControllerInfo->Selection()->Clear(); }

void TcxCustomDataController::SelectAll() {
  if (GetRowCount() > 0) SelectRows(0, GetRowCount() - 1);
}

void TcxCustomDataController::SelectRows(Integer AStartRowIndex, Integer AEndRowIndex) {
  auto bracket = UpdateBracket(this);
  FDataControllerInfo->SelectRange(AStartRowIndex, AEndRowIndex);
}

void TcxCustomDataController::SetSelectionAnchor(Integer ARowIndex) {
  FDataControllerInfo->CheckRowIndex(ARowIndex);
  FDataControllerInfo->Selection()->SetAnchorRowIndex(ARowIndex);
}

Integer TcxCustomDataController::GetSelectionAnchorRowIndex() const {
  return FDataControllerInfo->Selection()->AnchorRowIndex();
}

void TcxCustomDataController::SelectFromAnchor(Integer ARowIndex, bool AKeepSelection) {
  const Integer anchor = GetSelectionAnchorRowIndex();
  if (anchor < 0) return;
  FDataControllerInfo->CheckRowIndex(ARowIndex);
  auto bracket = UpdateBracket(this);
  if (!AKeepSelection) ClearSelection();
  FDataControllerInfo->SelectRange(anchor, ARowIndex);
}

// ---- Keys ----

void TcxCustomDataController::BeginSaveKeys() {
  if (FSaveKeysCount++ > 0) return;
  BeginUpdate();
  try {
    FSaveObject = New<TcxSaveObject>(this);
    FSaveObject->Save(this);
  } catch (...) {
    // Only an error closes the bracket here: a save that succeeds keeps it open until the restore.
    FreeAndNil(FSaveObject);
    FSaveKeysCount = 0;
    EndUpdate();
    throw;
  }
}

void TcxCustomDataController::EndRestoreKeys() {
  if (FSaveKeysCount == 0 || --FSaveKeysCount > 0) return;
  // Restoring may read the records again and save keys of its own meanwhile: this save is
  // taken out first, and goes whatever becomes of the controller.
  Owned<TcxSaveObject> saved(FSaveObject);
  FSaveObject = nullptr;
  TWatchedScopeExit done(this, [this] { EndUpdate(); });
  if (saved) saved->Restore(this);
}

// ---- Loading ----

void TcxCustomDataController::BeginLoadRecords() {
  BeginUpdate();
  try {
    FDataStorage->Clear(true);
    FFocusTargetRecordIndex = -1;
    FDataControllerInfo->Selection()->Reset();
  } catch (...) {
    // Only an error closes the bracket here: loading keeps it open until EndLoadRecords.
    EndUpdate();
    throw;
  }
}

Integer TcxCustomDataController::AppendRecordFromReader(TcxValueDefReader* AReader) {
  const Integer r = FDataStorage->AppendRecord();
  return FDataStorage->ReadRecordValues(r, AReader) ? r : -1;
}

void TcxCustomDataController::EndLoadRecords() {
  TWatchedScopeExit done(this, [this] { EndUpdate(); });
  // The records are new: no focus carries over.
  auto& focus = FDataControllerInfo->FocusingInfo();
  if (focus.RowIndex >= 0 || focus.RecordIndex >= 0) {
    FDataControllerInfo->PrevFocusingInfo() = focus;
    focus = TcxDataFocusingInfo();
    FDataControllerInfo->AddChanges({TcxDataControllerInfoChange::dcicResetFocusedRow});
  }
  // A current record that outlives the reload (a descendant's cursor) takes the focus.
  ResetFocusing();
  DataChanged(TcxDataChange::dcTotal, -1, -1);
}
