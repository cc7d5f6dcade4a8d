// The data controller's provider and data source, editing, deleting, the new-item row,
// navigation and the incremental filter.
#include "widgets/data/cxDataController.h"

#include "classlib/core/ScopeGuards.h"
#include "widgets/data/cxDataRelations.h"

#include <algorithm>
#include <climits>

using enum TcxDataChange;
using enum TcxDataControllerChange;
using enum TcxDataControllerEditKind;
using enum TcxDataControllerEditOperation;
using enum TcxDataControllerInfoChange;

namespace {

}  // namespace

// ---- Provider and data source ----

TcxDataProviderClass TcxCustomDataController::GetDataProviderClass() const {
  return ClassOf<TcxCustomDataProvider, TcxCustomDataProvider, TcxCustomDataController*>();
}

bool TcxCustomDataController::IsProviderMode() const {
  return FProvider && FProvider->CustomDataSource();
}

bool TcxCustomDataController::IsSmartRefresh() const {
  return IsProviderMode() && FProvider->IsRecordIdSupported();
}

bool TcxCustomDataController::IsProviderValueField(TcxCustomDataField* AField) const {
  if (!AField->IsInternal()) return true;
  return AField->ReferenceField() && !AField->ReferenceField()->IsInternal();
}

void TcxCustomDataController::CreateRecordHandleField(bool AWanted) {
  if (AWanted && !FRecordHandleField) {
    TcxCustomDataField* f = CreateInternalField();
    f->SetValueTypeClass(TcxLargeIntValueType::StaticClass());
    FRecordHandleField = f;
  } else if (!AWanted && FRecordHandleField) {
    TcxCustomDataField* f = FRecordHandleField;
    FRecordHandleField = nullptr;
    FFields->Remove(f);
  }
}

void TcxCustomDataController::ProviderFieldRemoved(TcxCustomDataField* AField) {
  if (AField == FRecordHandleField) FRecordHandleField = nullptr;
  if (FRelations) FRelations->FieldRemoved(AField);
  if (AField == FIncrementalFilterField) ResetIncrementalFilter();
}

void TcxCustomDataController::UpdateStructure() {
  auto bracket = UpdateBracket(this);
  FProvider->ResetEditing();
  // The controller's own records stay unless a data source comes or goes.
  if (!(FProvider->IsCustomDataSourceSupported() && !IsProviderMode() && !FChangingDataSource)) {
    FDataStorage->Clear(true);
    FFocusTargetRecordIndex = -1;
    FProvider->HandlesChanged();
  }
  ClearBookmark();
  FDataControllerInfo->RefreshRequest();
  CheckBookmark(-1);
  const bool storedOnly = IsProviderMode() || IsGridMode();
  if (storedOnly != FDataStorage->StoredValuesOnly() && FNewItemRecordIndex < 0) {
    // Every buffer goes with the change, the new-item record's too.
    FDataStorage->DeleteRecord(FNewItemRecordIndex);
    FNewItemRecordIndex = 0;
  }
  FDataStorage->SetStoredValuesOnly(storedOnly);
  FDataStorage->SetUseRecordID(IsRecordID() && FProvider->IsCustomDataSourceSupported() &&
                               !IsProviderMode());
  CreateRecordHandleField(CustomDataSource() != nullptr);
  FReloadPending = true;
  Refresh();
}

void TcxCustomDataController::ReloadStorage() {
  auto bracket = UpdateBracket(this);
  PreserveGroupStates();
  // Only records read from a provider are read again: an unbound controller's own
  // records are all it has.
  if (FProvider->IsActive()) {
    FDataStorage->Clear(true);
    FFocusTargetRecordIndex = -1;
    FProvider->HandlesChanged();
  }
  const bool pattern = IsDetail() && GetDetailMode() == TcxDataControllerDetailMode::dcdmPattern;
  // Reading moves the provider's cursor, whose handlers may free this controller. One that
  // raises (as the provider's controls come back, say) still leaves the rows built from the
  // records read, never rows of records the storage no longer holds: the error comes last.
  TWeakLink self(this);
  TFirstError errors;
  if (!pattern && FProvider->IsActive()) {
    errors.Run([this] {
      if (IsGridMode())
        FProvider->UpdateGridModeBuffer();
      else
        ReadProviderRecords();
    });
    if (!self.Alive()) return errors.Raise();
  }
  FDataControllerInfo->RefreshRequest();
  errors.Run([this] { CheckBookmark(-1); });
  if (!self.Alive()) return errors.Raise();
  errors.Run([this] { Change({dccData}); });
  errors.Raise();
}

void TcxCustomDataController::ReadProviderRecords() {
  // Reading moves the provider's cursor, whose handlers may free this controller (and its
  // provider with it): the read ends there.
  auto frozen = WatchedPairedCall(
      this, [this] { FProvider->Freeze(); }, [this] { FProvider->Unfreeze(); });
  FProvider->SavePosition();
  if (frozen.Alive()) FProvider->First();
  if (!frozen.Alive()) return;
  if (IsProviderMode()) {
    FProvider->Source()->LoadRecordHandles();
  } else {
    // A provider with a cursor of its own: one record per position. A record whose read
    // ended early (the program's code freed what it read) ends the walk, without a move back.
    Owned<TcxValueDefReader> reader(FProvider->GetValueDefReaderClass().Create());
    while (frozen.Alive() && !FProvider->IsEOF()) {
      const Integer r = FDataStorage->AppendRecord();
      if (!FDataStorage->ReadRecordValues(r, reader.get())) return;
      FProvider->RecordAppended(r);
      FProvider->Next();
    }
  }
  if (frozen.Alive()) FProvider->RestorePosition();
}

void TcxCustomDataController::DoRefresh() {
  if (IsReloadNeeded()) {
    FReloadPending = false;
    TWeakLink self(this);  // the source's handlers may free the controller as it is read
    ReloadStorage();
    if (!self.Alive()) return;
  }
  FDataControllerInfo->RefreshRequest();
}

void TcxCustomDataController::ActiveChanged(bool AActive) {
  FActive = AActive;
  if (FProvider->IsActive()) Refresh();
}

// ---- Editing ----

TcxDataControllerEditState TcxCustomDataController::GetEditState() const {
  TcxDataControllerEditState r;
  if (FProvider->IsInserting())
    r.Include(dceInsert);
  else if (FProvider->IsEditing())
    r.Include(dceEdit);
  if (r.Empty()) return r;
  if (FProvider->IsChanging()) r.Include(dceChanging);
  if (FProvider->IsModified()) r.Include(dceModified);
  return r;
}

bool TcxCustomDataController::IsEditing() const { return FProvider->IsEditing(); }

TcxDataControllerEditOperations TcxCustomDataController::GetEditOperations() const {
  TcxDataControllerEditOperations r;
  if (FProvider->CanAppend()) r.Include(dceoAppend);
  if (FProvider->CanDelete()) r.Include(dceoDelete);
  if (FProvider->CanModify()) r.Include(dceoEdit);
  if (FProvider->CanInsert()) r.Include(dceoInsert);
  if (FProvider->IsDataSetOpen() && FProvider->IsSyncMode()) r.Include(dceoShowEdit);
  return r;
}

void TcxCustomDataController::Append() {
  if (FProvider->CanAppend()) FProvider->Append();
}

void TcxCustomDataController::Insert() {
  if (FProvider->CanInsert()) FProvider->Insert();
}

void TcxCustomDataController::Edit() {
  if (FProvider->CanModify()) FProvider->Edit();
}

void TcxCustomDataController::PostEditing() {
  if (!FProvider->IsEditing()) return;
  // A handler may free the controller: the link tells.
  TWeakLink self(this);
  FProvider->Post();
  if (self.Alive()) FProvider->ResetInsertedRecordIndex();
}

void TcxCustomDataController::Cancel() {
  if (FCancelling || !FProvider->IsEditing()) return;
  FCancelling = true;
  const Integer row = GetFocusedRowIndex();
  TWeakLink self(this);  // the cancel handlers may free the controller
  {
    TWatchedScopeExit done(this, [this] { FCancelling = false; });
    FProvider->Cancel();
  }
  if (!self.Alive()) return;
  if (row >= 0 && !FDataControllerInfo->IsUpdating())
    ChangeFocusedRowIndex(std::min(row, GetRowCount() - 1));
}

void TcxCustomDataController::UpdateData() { FProvider->UpdateData(); }

Integer TcxCustomDataController::GetEditingRecordIndex() const {
  return FProvider ? FProvider->EditingRecordIndex() : kNoEditRecord;
}

Integer TcxCustomDataController::GetEditingFollowingRecordIndex() const {
  if (!FProvider || !FProvider->IsEditing()) return -1;
  const Integer after = FProvider->EditingRecordIndex2();
  return after >= 0 ? after : -1;
}

Integer TcxCustomDataController::GetEditingOrCurrentRecordIndex() const {
  return FProvider->IsEditing() ? FProvider->EditingRecordIndex() : GetCurrentRecordIndex();
}

TcxDataEditValueSource TcxCustomDataController::GetItemEditValueSource(Integer) const {
  return TcxDataEditValueSource::evsText;
}

bool TcxCustomDataController::IsImmediatePost() const {
  return FOptions.Contains(TcxDataControllerOption::dcoImmediatePost);
}

bool TcxCustomDataController::CanInitEditing(Integer AItemIndex) {
  TcxCustomDataField* field = GetItemField(AItemIndex);
  if (!FProvider->CanModify() && !field->IsUnbound()) return false;
  if (!field->CanModify(GetItemEditValueSource(AItemIndex))) return false;
  return FProvider->CanInitEditing(GetEditingOrCurrentRecordIndex());
}

Variant TcxCustomDataController::GetEditValue(Integer AItemIndex,
                                              TcxDataEditValueSource AEditValueSource) {
  TcxCustomDataField* field = GetItemField(AItemIndex);
  if (IsNewItemRowActive() && !FProvider->IsEditing()) return Null();
  return FProvider->GetEditValue(GetEditingOrCurrentRecordIndex(), field, AEditValueSource);
}

void TcxCustomDataController::SetEditValue(Integer AItemIndex, const Variant& AValue,
                                           TcxDataEditValueSource AEditValueSource) {
  TWeakLink self(this);  // every step runs handlers, which may free the controller
  if (!CanInitEditing(AItemIndex) || !self.Alive()) return;
  FProvider->SetEditValue(GetEditingOrCurrentRecordIndex(), GetItemField(AItemIndex), AValue,
                          AEditValueSource);
  if (self.Alive() && IsImmediatePost()) PostEditing();
}

bool TcxCustomDataController::CanFocusRecord(Integer ARecordIndex) {
  if (!FProvider->IsDataSetOpen() && FProvider->IsEditing() &&
      ARecordIndex != FProvider->EditingRecordIndex())
    PostEditing();
  return true;
}

void TcxCustomDataController::DoAfterCancel() {
  if (OnAfterCancel) OnAfterCancel(this);
}
void TcxCustomDataController::DoAfterDelete() {
  if (OnAfterDelete) OnAfterDelete(this);
}
void TcxCustomDataController::DoAfterInsert() {
  if (OnAfterInsert) OnAfterInsert(this);
}
void TcxCustomDataController::DoAfterPost() {
  if (OnAfterPost) OnAfterPost(this);
}
void TcxCustomDataController::DoBeforeCancel() {
  if (OnBeforeCancel) OnBeforeCancel(this);
}
void TcxCustomDataController::DoBeforeDelete(Integer ARecordIndex) {
  if (OnBeforeDelete) OnBeforeDelete(this, ARecordIndex);
}
void TcxCustomDataController::DoBeforeInsert() {
  if (OnBeforeInsert) OnBeforeInsert(this);
}
void TcxCustomDataController::DoBeforePost() {
  if (OnBeforePost) OnBeforePost(this);
}
void TcxCustomDataController::DoNewRecord(Integer ARecordIndex) {
  if (OnNewRecord) OnNewRecord(this, ARecordIndex);
}

// ---- Deleting ----

void TcxCustomDataController::ApplyDeletingFocus() {
  const Integer record = FProvider->DeletingFocusRecordIndex();
  if (record < 0 || record >= GetRecordCount()) return;
  // As a focus reset, but onto the chosen record: the rebuild finds its row.
  auto& focus = FDataControllerInfo->FocusingInfo();
  if (!FDataControllerInfo->Changes().Contains(dcicFocusedRow) &&
      !FDataControllerInfo->Changes().Contains(dcicResetFocusedRow))
    FDataControllerInfo->PrevFocusingInfo() = focus;
  focus.RowIndex = -1;
  focus.RecordIndex = record;
  focus.Level = -1;
  FDataControllerInfo->AddChanges({dcicResetFocusedRow});
}

// A data row deletes its record; a group row stands for every record of its group.
void TcxCustomDataController::DeleteFocusedRow(Integer ARowIndex) {
  if (GetRowInfo(ARowIndex).Level == GetGroupingItemCount())
    FProvider->DeleteFocused();
  else
    DeleteRecords(GetRowRecords({ARowIndex}));
}

std::vector<Integer> TcxCustomDataController::GetSelectedRows() const {
  std::vector<Integer> rows;
  for (Integer i = 0; i < GetSelectedCount(); ++i) rows.push_back(GetSelectedRowIndex(i));
  return rows;
}

std::vector<Integer> TcxCustomDataController::GetRowRecords(const std::vector<Integer>& ARows) {
  std::vector<Integer> records;
  for (Integer row : ARows) {
    if (row < 0 || row >= GetRowCount()) continue;
    const TcxRowInfo info = GetRowInfo(row);
    if (info.Level == GetGroupingItemCount())
      records.push_back(info.RecordIndex);
    else
      FGroups->LoadRecordList(records, row);
  }
  std::sort(records.begin(), records.end());
  records.erase(std::unique(records.begin(), records.end()), records.end());
  return records;
}

void TcxCustomDataController::DeleteFocused() {
  const Integer row = GetFocusedRowIndex();
  if (row < 0 || !FProvider->CanDelete()) return;
  auto bracket = UpdateBracket(this);
  // The delete handlers may free the controller: nothing of it is touched after that.
  TWeakLink self(this);
  TWatchedValue inDelete(this, FInDeleteCommand, true);
  FProvider->BeginDeleting(GetRowRecords({row}));
  TWatchedScopeExit endDeleting(this, [this] { FProvider->EndDeleting(); });
  DeleteFocusedRow(row);
  if (self.Alive()) ClearSelection();
  if (self.Alive()) ApplyDeletingFocus();
}

void TcxCustomDataController::DeleteSelection() {
  if (GetSelectedCount() == 0 || !FProvider->CanDelete()) return;
  auto bracket = UpdateBracket(this);
  // The delete handlers may free the controller: nothing of it is touched after that.
  TWeakLink self(this);
  TWatchedValue inDelete(this, FInDeleteCommand, true);
  FProvider->BeginDeleting(GetRowRecords(GetSelectedRows()));
  TWatchedScopeExit endDeleting(this, [this] { FProvider->EndDeleting(); });
  if (FMultiSelect)
    FProvider->DeleteSelection();
  else
    DeleteFocusedRow(GetFocusedRowIndex());
  if (self.Alive()) ApplyDeletingFocus();
}

void TcxCustomDataController::DeleteRecords(std::vector<Integer> AList) {
  std::sort(AList.begin(), AList.end());
  AList.erase(std::unique(AList.begin(), AList.end()), AList.end());
  AList.erase(std::remove_if(AList.begin(), AList.end(),
                             [this](Integer r) { return r < 0 || r >= GetRecordCount(); }),
              AList.end());
  if (AList.empty()) return;
  BeginDeletingRecords();
  // The deletion's notifications may free the controller.
  TWatchedScopeExit endDeleting(this, [this] { EndDeletingRecords(); });
  FProvider->DeleteRecords(AList);
}

void TcxCustomDataController::PreserveGroupStates() {
  using enum TcxDataExpandingInfoState;
  if (!FDataControllerInfo->IsGrouped() || FDataControllerInfo->Groups()->Count() == 0 ||
      FDataControllerInfo->IsUpdating())
    return;
  // The states the next rebuild asks for, as it would (a reload keeps the expanded
  // groups with dcoSaveExpanding, the selected ones while they stay selected).
  TcxDataExpandingInfoStates states;
  if (FOptions.Contains(TcxDataControllerOption::dcoSaveExpanding)) states.Include(eisExpanded);
  if (!FInDeleteCommand)
    for (const TcxDataSelectionEntry& e : FDataControllerInfo->Selection()->List())
      if (e.Kind == -1) {
        states.Include(eisSelected);
        break;
      }
  FDataControllerInfo->SaveGroupStates(states);
}

void TcxCustomDataController::DeleteStorageRecords(const std::vector<Integer>& AList) {
  if (AList.empty()) return;
  auto bracket = UpdateBracket(this);
  PreserveGroupStates();
  const Integer editing = FProvider->EditingRecordIndex();
  if (editing >= 0 && std::binary_search(AList.begin(), AList.end(), editing))
    FProvider->ResetEditing();
  const bool bookmarked = FBookmarkRecordIndex >= 0 &&
                          std::binary_search(AList.begin(), AList.end(), FBookmarkRecordIndex);
  if (bookmarked) {
    TWeakLink self(this);  // asking about a grid-mode bookmark runs the filter handler
    CheckBookmark(FBookmarkRecordIndex);
    if (!self.Alive()) return;
  }
  // Later records move down by the count of deleted ones before them.
  auto shift = [&AList](Integer& r) {
    if (r < 0) return;
    r -= Integer(std::lower_bound(AList.begin(), AList.end(), r) - AList.begin());
  };
  if (FRelations) {
    const Integer n = GetRecordCount();
    Integer gone = 0;
    // Records before the first deleted one keep their places.
    for (Integer r = AList.front(); r < n; ++r) {
      if (gone < Integer(AList.size()) && AList[size_t(gone)] == r) {
        ++gone;
        continue;
      }
      if (gone > 0) FixDetailRecordIndexes(r, -gone);
    }
  }
  FDataStorage->DeleteRecords(AList);
  FDataControllerInfo->RecordsDeleted(AList, !IsRestoringSelectionByKeys());
  shift(FBookmarkRecordIndex);
  if (std::binary_search(AList.begin(), AList.end(), FFocusTargetRecordIndex))
    FFocusTargetRecordIndex = -1;
  else
    shift(FFocusTargetRecordIndex);
  for (Integer* r : {&FProvider->FEditingRecordIndex, &FProvider->FEditingRecordIndex1,
                     &FProvider->FEditingRecordIndex2})
    if (*r >= 0) {
      if (std::binary_search(AList.begin(), AList.end(), *r))
        *r = kNoEditRecord;
      else
        shift(*r);
    }
  // A deleted record's successor takes its place as the record to focus.
  FProvider->ShiftDeletingFocus(AList);
  FProvider->StorageRecordsDeleted(AList);
  FProvider->HandlesChanged();
  FDataControllerInfo->AddChanges({dcicFocusedRecord});
  // Several records as one: the rows take the step noted for them, and are built again only
  // where it cannot be applied, grouped (NoteRecordsDeleted) or where the delta cannot follow
  // (CanApplyDelta), from the group states saved above while the rows still named the
  // records. A total change would read every record again (a data-set controller) and save
  // the group states anew through rows naming records that have moved.
  DataChanged(dcDeleted, -1, AList.size() == 1 ? AList.front() : -1);
}

// ---- The new-item row ----

void TcxCustomDataController::SetUseNewItemRowForEditing(bool Value) {
  if (FUseNewItemRowForEditing == Value) return;
  if (!Value && FNewItemRowFocused) SetNewItemRowFocused(false);
  FUseNewItemRowForEditing = Value;
  if (Value && FNewItemRowFocused) GetNewItemRecordIndex();
}

void TcxCustomDataController::SetNewItemRowFocused(bool Value) {
  if (FNewItemRowFocused == Value) return;
  auto bracket = UpdateBracket(this);
  // Leaving the row ends its edit; entering it leaves the focused record.
  if (FProvider->IsEditing()) PostEditing();
  FNewItemRowFocused = Value;
  if (Value && FUseNewItemRowForEditing) GetNewItemRecordIndex();
  if (Value) ChangeFocusedRowIndex(-1);
  Change({dccFocus});
}

bool TcxCustomDataController::IsNewItemRowActive() const {
  return FUseNewItemRowForEditing && FNewItemRowFocused && GetFocusedRecordIndex() < 0;
}

Integer TcxCustomDataController::GetNewItemRecordIndex() {
  if (FNewItemRecordIndex == 0) FNewItemRecordIndex = FDataStorage->AddInternalRecord();
  return FNewItemRecordIndex;
}

// ---- Focus and navigation ----

bool TcxCustomDataController::ChangeFocusedRowIndex(Integer ARowIndex) {
  // Leaving the row, posting and moving the provider's cursor run handlers, which may free
  // the controller: nothing more is done then.
  TWeakLink self(this);
  if (FProvider->IsSyncMode() && !FProvider->IsInsidePositionChange() &&
      ARowIndex != GetFocusedRowIndex() && !CanLeaveFocusedRow())
    return false;
  if (!self.Alive()) return false;
  const Integer target = std::clamp<Integer>(ARowIndex, -1, GetRowCount() - 1);
  if (target != GetFocusedRowIndex()) {
    CheckDetailsBrowseState();
    if (!self.Alive()) return false;
    // The edit is posted first; posting may move rows (a re-sort, an empty insert
    // removed), so the focus goes to the record that the row showed.
    if (FProvider->IsEditing() && !FProvider->IsDataSetOpen()) {
      const TcxRowInfo info = target >= 0 ? GetRowInfo(target) : TcxRowInfo();
      Integer record = target >= 0 ? info.RecordIndex : -1;
      if (record != FProvider->EditingRecordIndex()) {
        const Integer editing = FProvider->EditingRecordIndex();
        const bool inserting = FProvider->IsInserting();
        const Integer count = GetRecordCount();
        PostEditing();
        if (!self.Alive()) return false;
        if (record >= 0 && info.Level == GetGroupingItemCount()) {
          if (inserting && GetRecordCount() < count && editing >= 0 && editing < record) --record;
          const Integer row = GetRowIndexByRecordIndex(record, true);
          if (row >= 0) ARowIndex = row;
        }
      }
    }
  }
  FDataControllerInfo->ChangeFocusedRowIndex(ARowIndex);
  if (!self.Alive()) return false;
  if (FProvider->IsSyncMode() && IsFocusDetailRow() && GetFocusedRecordIndex() >= 0) {
    TcxCustomDataController* detail = GetDetailDataController(
        GetFocusedRecordIndex(), GetDetailActiveRelationIndex(GetFocusedRecordIndex()));
    if (detail && detail->GetFocusedRowIndex() < 0 && !detail->IsNewItemRowActive())
      detail->ChangeFocusedRowIndex(0);
  }
  return true;
}

void TcxCustomDataController::GotoFirst() {
  if (IsGridMode())
    FProvider->First();
  else
    ChangeFocusedRowIndex(0);
}

void TcxCustomDataController::GotoLast() {
  if (IsGridMode())
    FProvider->Last();
  else
    ChangeFocusedRowIndex(GetRowCount() - 1);
}

void TcxCustomDataController::GotoNext() {
  if (IsGridMode())
    FProvider->Next();
  else
    ChangeFocusedRowIndex(GetFocusedRowIndex() + 1);
}

void TcxCustomDataController::GotoPrev() {
  if (IsGridMode())
    FProvider->Prior();
  else
    ChangeFocusedRowIndex(std::max<Integer>(GetFocusedRowIndex() - 1, 0));
}

void TcxCustomDataController::MoveBy(Integer ADistance) {
  if (IsGridMode()) {
    FProvider->MoveBy(ADistance);
    return;
  }
  // In 64 bits: near the ends of the range the sum must not wrap.
  const Int64 target = std::clamp<Int64>(Int64(GetFocusedRowIndex()) + ADistance, 0, INT_MAX);
  ChangeFocusedRowIndex(Integer(target));
}

bool TcxCustomDataController::IsBOF() const {
  if (IsGridMode()) return FProvider->IsBOF();
  return GetRowCount() == 0 || GetFocusedRowIndex() == 0;
}

bool TcxCustomDataController::IsEOF() const {
  if (IsGridMode()) return FProvider->IsEOF();
  return GetRowCount() == 0 || GetFocusedRowIndex() == GetRowCount() - 1;
}

bool TcxCustomDataController::Scroll(Integer ADistance) {
  if (!IsGridMode()) return false;
  FProvider->Scroll(ADistance);
  return true;
}

// ---- Incremental filter ----

Integer TcxCustomDataController::GetIncrementalFilterItemIndex() const {
  return FIncrementalFilterField ? FIncrementalFilterField->GetIndex() : -1;
}

bool TcxCustomDataController::IsIncrementalFiltering() const {
  return FIncrementalFilterField && !FIncrementalFilterText.empty();
}

bool TcxCustomDataController::CompareIncrementalFilterText(Integer ARecordIndex) const {
  if (!FIncrementalFilterField) return true;
  if (ARecordIndex >= 0 && size_t(ARecordIndex) < FIncrementalFilterMatches.size())
    return FIncrementalFilterMatches[size_t(ARecordIndex)] != 0;
  String text;
  try {
    text = GetDisplayText(ARecordIndex, FIncrementalFilterField);
  } catch (const Exception&) {
    return false;
  }
  return cxTextMatches(text, FIncrementalFilterText, true);
}

void TcxCustomDataController::BeginIncrementalFilterPass() {
  FIncrementalFilterMatches.clear();
  if (!IsIncrementalFiltering()) return;
  TcxCustomDataField* field = FIncrementalFilterField;
  // A data source's or a data set's texts are read where they are.
  if ((IsProviderMode() || IsGridMode()) && IsProviderValueField(field)) return;
  TcxValueDef* def = field->GetValueDef();
  const Integer count = FDataStorage->RecordCount();
  if (!def || count == 0) return;
  std::vector<Integer> records;
  if (!FDataStorage->FindTextPrefix(def, FIncrementalFilterText, records)) {
    // This pass reads every text: enough such passes pay for the index.
    FDataStorage->CountTextWalk(def, count);
    return;
  }
  FIncrementalFilterMatches.assign(size_t(count), 0);
  for (Integer r : records) FIncrementalFilterMatches[size_t(r)] = 1;
}

void TcxCustomDataController::EndIncrementalFilterPass() { std::vector<char>().swap(FIncrementalFilterMatches); }

Integer TcxCustomDataController::ApplyIncrementalFilter(Integer AItemIndex, const String& AText) {
  CheckItemRange(AItemIndex);
  TcxCustomDataField* field = GetItemField(AItemIndex);
  // A typed character can only drop rows: the rows kept so far are filtered further. Only
  // texts the storage holds itself (any change of them shows in its count of changes), and
  // with no other filter whose verdicts could change by themselves.
  TcxValueDef* def = field->GetValueDef();
  const bool grew = FIncrementalFilterText.empty() || cxTextBegins(AText, FIncrementalFilterText);
  const bool own =
      def && (def->HasTextSlot() || def->ValueTypeClass() == TcxStringValueType::StaticClass());
  const bool narrow = field == FIncrementalFilterField && grew && own && !IsFiltering() &&
                      !HasFilterRecordEvent() && FDataControllerInfo->CanNarrowFilter();
  FIncrementalFilterField = field;
  FIncrementalFilterText = AText;
  if (narrow) {
    auto bracket = UpdateBracket(this);
    FDataControllerInfo->NarrowRequest();
  } else {
    RefreshView();
  }
  return GetFilteredRecordCount() > 0 ? GetFilteredRecordIndex(0) : -1;
}

bool TcxCustomDataController::ChangeIncrementalFilterText(const String& AText) {
  if (AText == FIncrementalFilterText || !FIncrementalFilterField) return false;
  ApplyIncrementalFilter(GetIncrementalFilterItemIndex(), AText);
  return true;
}

void TcxCustomDataController::ResetIncrementalFilter() {
  const bool was = IsIncrementalFiltering();
  FIncrementalFilterField = nullptr;
  FIncrementalFilterText.clear();
  if (was && !IsDestroying()) RefreshView();
}
