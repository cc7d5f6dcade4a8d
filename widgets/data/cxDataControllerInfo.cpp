#include "widgets/data/cxDataControllerInfo.h"

#include "classlib/core/ScopeGuards.h"
#include "widgets/data/cxData.h"
#include "widgets/data/cxDataController.h"
#include "widgets/data/cxDataSort.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <numeric>
#include <typeinfo>

using enum TcxDataControllerInfoChange;
using enum TcxDataControllerChange;
using enum TcxDataSortOrder;

namespace {
bool IsConsistentlyOrdered(TcxValueTypeClass AType);
}  // namespace

// ---- Sorting and grouping lists ----

void TcxSortingFieldList::ChangeSorting(TcxCustomDataField* AField, TcxDataSortOrder ASortOrder) {
  const Integer i = IndexOf(AField);
  if (i < 0) {
    if (ASortOrder == soNone) return;
    FItems.push_back({AField, ASortOrder, 0});
  } else if (ASortOrder == soNone) {
    FItems.erase(FItems.begin() + i);
  } else {
    if (FItems[size_t(i)].SortOrder == ASortOrder) return;
    FItems[size_t(i)].SortOrder = ASortOrder;
  }
  Changed();
}

void TcxSortingFieldList::Clear() {
  if (FItems.empty()) return;
  FItems.clear();
  Changed();
}

Integer TcxSortingFieldList::IndexOf(const TcxCustomDataField* AField) const {
  for (size_t i = 0; i < FItems.size(); ++i)
    if (FItems[i].Field == AField) return Integer(i);
  return -1;
}

void TcxSortingFieldList::Move(Integer ACurIndex, Integer ANewIndex) {
  if (ACurIndex == ANewIndex) return;
  TcxDataSortInfo e = FItems.at(size_t(ACurIndex));
  FItems.erase(FItems.begin() + ACurIndex);
  FItems.insert(FItems.begin() + std::clamp<Integer>(ANewIndex, 0, Count()), e);
  Changed();
}

void TcxSortingFieldList::Remove(const TcxCustomDataField* AField) {
  const Integer i = IndexOf(AField);
  if (i < 0) return;
  FItems.erase(FItems.begin() + i);
  Changed();
}

void TcxSortingFieldList::Changed() {
  if (!FInfo) return;
  // A grouped field's order is its sorting entry's, ascending without one: so from now on,
  // not from the next rebuild (a later change in the same bracket reads it).
  if (TcxGroupingFieldList* grouping = FInfo->GroupingFieldList())
    for (Integer i = 0; i < grouping->Count(); ++i) {
      const Integer s = IndexOf(grouping->Items(i).Field);
      grouping->SetSortOrder(i, s >= 0 ? Items(s).SortOrder : soAscending);
    }
  FInfo->AddChanges({dcicSorting});
  FInfo->CheckUpdate();
}

void TcxGroupingFieldList::ChangeGrouping(TcxCustomDataField* AField, Integer AGroupIndex) {
  const Integer i = IndexOf(AField);
  if (AGroupIndex < 0) {
    if (i < 0) return;
    FItems.erase(FItems.begin() + i);
  } else if (i >= 0) {
    const Integer target = std::min(AGroupIndex, Count() - 1);
    if (target == i) return;
    TcxDataSortInfo e = FItems[size_t(i)];
    FItems.erase(FItems.begin() + i);
    FItems.insert(FItems.begin() + target, e);
  } else {
    FItems.insert(FItems.begin() + std::min(AGroupIndex, Count()), TcxDataSortInfo{AField, soAscending, 0});
  }
  Changed();
}

void TcxGroupingFieldList::Changed() {
  if (!FInfo) return;
  FInfo->AddChanges({dcicGrouping, dcicSorting, dcicSummary});
  FInfo->CheckUpdate();
}

// ---- The info ----

TcxCustomDataControllerInfo::TcxCustomDataControllerInfo(TcxCustomDataController* ADataController)
    : FDataController(ADataController) {
  FSortingFieldList = New<TcxSortingFieldList>(this);
  FGroupingFieldList = New<TcxGroupingFieldList>(this);
  FGroups = New<TcxDataGroups>();
  FExpandingInfos = New<TcxDataExpandingInfos>();
  FSelection = ADataController->GetDataSelectionClass().Create(ADataController);
  FSelection->OnChanged = TNotifyEvent(this, &TcxCustomDataControllerInfo::SelectionChanged);
}

void TcxCustomDataControllerInfo::BeforeDestruction() {
  FreeAndNil(FSelection);
  FreeAndNil(FExpandingInfos);
  FreeAndNil(FGroups);
  FreeAndNil(FGroupingFieldList);
  FreeAndNil(FSortingFieldList);
  inherited::BeforeDestruction();
}

void TcxCustomDataControllerInfo::EndUpdate() {
  if (FLockCount > 0) --FLockCount;
  CheckUpdate();
}

void TcxCustomDataControllerInfo::CheckUpdate() {
  if (FLockCount != 0 || FInfoUpdating || FChanges.Empty()) return;
  // A change made by a handler during the rebuild stays pending for the next one, unless it
  // took records away (the data set or its source freed, say): the rows may name records
  // that are gone, and one more rebuild lays them out again before anyone reads them.
  TWeakLink controller(FDataController);
  const Integer before = FDataController->GetRecordCount();
  Update();
  if (!controller.Alive() || FLockCount != 0 || FInfoUpdating || FChanges.Empty() ||
      FDataController->GetRecordCount() >= before)
    return;
  Update();
}

bool TcxCustomDataControllerInfo::CanNarrowFilter() {
  TcxCustomDataController* c = FDataController;
  if (FInfoUpdating || !FChanges.Empty() || !FDeferredChanges.Empty() || FFilteredChangeCount < 0 ||
      FFilteredChangeCount != c->DataStorage()->ChangeCount() ||
      c->GetEditingRecordIndex() != kNoEditRecord || c->IsGridMode() || c->IsProviderMode())
    return false;
  const Integer count = c->GetRecordCount();
  if (count < 0 || FRecordPositions.size() != size_t(count) || RowListCount() > size_t(count))
    return false;
  PrepareSortInfo();
  // A descendant may order ties its own way; a compare of its own may order a subset apart.
  bool stable = FSortInfo.empty() || typeid(*c) == typeid(TcxDataController) ||
                typeid(*c) == typeid(TcxCustomDataController);
  for (const TcxDataSortInfo& e : FSortInfo) {
    TcxValueDef* def = e.Field->GetValueDef();
    stable = stable && e.CompareKind == -1 && def && IsConsistentlyOrdered(def->ValueTypeClass());
  }
  ResetSortInfo();
  return stable;
}

void TcxCustomDataControllerInfo::NarrowRequest() {
  TcxDataControllerInfoChanges changes{dcicLoad, dcicSummary};
  AddChanges(changes);
  FNarrowFilter = true;
  CheckUpdate();
}

void TcxCustomDataControllerInfo::RemoveField(TcxCustomDataField* AField) {
  FSortingFieldList->Remove(AField);
  if (FGroupingFieldList->IndexOf(AField) >= 0) FGroupingFieldList->ChangeGrouping(AField, -1);
}

Integer TcxCustomDataControllerInfo::GetRowCount() const {
  return IsGrouped() ? FGroups->RowCount() : Integer(RowListCount());
}

void TcxCustomDataControllerInfo::CheckRowIndex(Integer ARowIndex) const {
  if (ARowIndex < 0 || ARowIndex >= GetRowCount()) cxDataControllerError(cxSDataRowIndexError);
}

TcxRowInfo TcxCustomDataControllerInfo::GetRowInfo(Integer ARowIndex) const {
  CheckRowIndex(ARowIndex);
  TcxRowInfo r;
  if (!IsGrouped()) {
    r.FilteredIndex = ARowIndex;
  } else {
    const Integer g = FGroups->FindByRowIndex(ARowIndex);
    const TcxDataGroupInfo& group = FGroups->Items(g);
    if (group.RowIndex == ARowIndex) {
      r.Level = group.Level;
      r.Expanded = group.Expanded;
      r.FilteredIndex = group.FirstPosition;
      r.RecordIndex = RowAt(group.FirstPosition);
      return r;
    }
    r.FilteredIndex = group.BeginIndex + (ARowIndex - group.RowIndex - 1);
  }
  r.Level = FGroupingFieldList->Count();
  r.RecordIndex = RowAt(r.FilteredIndex);
  return r;
}

Integer TcxCustomDataControllerInfo::GetRowIndexByRecordIndex(Integer ARecordIndex, bool AMakeVisible) {
  const Integer pos = GetFilteredIndexByRecordIndex(ARecordIndex);
  if (pos < 0 || !IsGrouped()) return pos;
  const Integer g = FGroups->FindByPosition(pos);
  if (g < 0) return -1;
  if (!FGroups->IsVisibleExpanded(g)) {
    if (!AMakeVisible) return -1;
    FGroups->MakeVisible(g, true);
    FGroups->NumberRows();
    FChanges.Include(dcicExpanding);
  }
  const TcxDataGroupInfo& group = FGroups->Items(g);
  return group.RowIndex + 1 + (pos - group.BeginIndex);
}

Integer TcxCustomDataControllerInfo::GetGroupIndexByRowIndex(Integer ARowIndex) const {
  if (!IsGrouped()) return -1;
  const Integer g = FGroups->FindByRowIndex(ARowIndex);
  return g >= 0 && FGroups->Items(g).RowIndex == ARowIndex ? g : -1;
}

std::vector<Variant> TcxCustomDataControllerInfo::GetGroupPathValues(Integer AGroupIndex) const {
  std::vector<Variant> values;
  if (!FGroups->IsValid(AGroupIndex)) return values;
  const TcxDataGroupInfo& g = FGroups->Items(AGroupIndex);
  const Integer record = RowAt(g.FirstPosition);
  // Groups built over records since deleted name none.
  if (record < 0 || record >= FDataController->GetRecordCount()) return values;
  for (Integer l = 0; l <= g.Level; ++l)
    values.push_back(FDataController->GetGroupValue(record, FGroups->Fields()[size_t(l)]));
  return values;
}

void TcxCustomDataControllerInfo::ChangeExpanding(Integer AGroupIndex, bool AExpanded, bool ARecursive) {
  if (!FGroups->IsValid(AGroupIndex)) return;
  const Integer last = ARecursive ? FGroups->Items(AGroupIndex).LastDescendant : AGroupIndex;
  bool changed = false;
  for (Integer g = AGroupIndex; g <= last; ++g) {
    TcxDataGroupInfo& group = FGroups->Items(g);
    if (group.Expanded != AExpanded) {
      group.Expanded = AExpanded;
      changed = true;
    }
  }
  if (!changed) return;
  FChanges.Include(dcicExpanding);
  CheckUpdate();
}

void TcxCustomDataControllerInfo::SetGroupSorting(Integer ASummaryIndex, TcxDataSortOrder ASortOrder) {
  if (ASortOrder == soNone) ASortOrder = soAscending;
  if (ASummaryIndex < 0) ASortOrder = soNone;
  if (ASummaryIndex == FGroupSortingSummaryIndex && ASortOrder == FGroupSortingSummaryOrder) return;
  const bool cleared = ASummaryIndex < 0 && FGroupSortingSummaryIndex >= 0;
  FGroupSortingSummaryIndex = std::max<Integer>(ASummaryIndex, -1);
  FGroupSortingSummaryOrder = ASortOrder;
  InvalidateDelta();
  // Clearing it regroups in the plain order; setting it recalculates and re-orders.
  if (cleared)
    FChanges += {dcicGrouping, dcicSorting, dcicSummary};
  else
    FChanges += {dcicSummary, dcicExpanding};
  CheckUpdate();
}

void TcxCustomDataControllerInfo::ExpandAll(bool AExpanded) {
  bool changed = false;
  for (Integer g = 0; g < FGroups->Count(); ++g) {
    TcxDataGroupInfo& group = FGroups->Items(g);
    if (group.Expanded != AExpanded) {
      group.Expanded = AExpanded;
      changed = true;
    }
  }
  if (!changed) return;
  FChanges.Include(dcicExpanding);
  CheckUpdate();
}

void TcxCustomDataControllerInfo::ChangeFocusedRowIndex(Integer ARowIndex) {
  ARowIndex = std::clamp<Integer>(ARowIndex, -1, GetRowCount() - 1);
  if (ARowIndex == FFocusingInfo.RowIndex) return;
  if (!FChanges.Contains(dcicFocusedRow)) FPrevFocusingInfo = FFocusingInfo;
  const TcxRowInfo target = ARowIndex >= 0 ? GetRowInfo(ARowIndex) : TcxRowInfo();
  const Integer record = ARowIndex >= 0 ? target.RecordIndex : -1;
  // Inside an update the rows may still list records that went since (a reload, an empty
  // insert cancelled): such a row is no record to focus; the focus follows the records once
  // the rows are laid out again.
  if (record >= FDataController->GetRecordCount()) return;
  // Settling the edit and moving a cursor run handlers, which may free the controller and
  // this with it.
  TWeakLink controller(FDataController);
  // Settling the edit may take records out (an empty insert), put them in or move rows (a
  // re-sort): the row asked for is found again by the record it showed.
  const Integer outerTarget = FDataController->FFocusTargetRecordIndex;
  FDataController->FFocusTargetRecordIndex = record;
  const bool canFocus = FDataController->CanFocusRecord(record);
  if (!controller.Alive()) return;
  const Integer followed = FDataController->FFocusTargetRecordIndex;
  FDataController->FFocusTargetRecordIndex = outerTarget;
  if (!canFocus) return;
  if (ARowIndex >= 0 &&
      (ARowIndex >= GetRowCount() || GetRowInfo(ARowIndex).RecordIndex != followed)) {
    const bool dataRow = target.Level == FDataController->GetGroupingItemCount();
    const Integer row = dataRow && followed >= 0 ? GetRowIndexByRecordIndex(followed, true) : -1;
    if (row < 0) {
      // The record is gone: the row that now stands at the place asked for is focused as
      // any other would be, once.
      const Integer place = std::min(ARowIndex, GetRowCount() - 1);
      if (FRefocusing || place == FFocusingInfo.RowIndex) return;
      TWatchedValue<bool> refocusing(FDataController, FRefocusing, true);
      ChangeFocusedRowIndex(place);
      return;
    }
    ARowIndex = row;
  }
  const bool newItemRowActive = FDataController->IsNewItemRowActive();
  FDataController->BeforeFocusedRowChange(ARowIndex);
  if (!controller.Alive()) return;
  FFocusingInfo.RowIndex = ARowIndex;
  if (ARowIndex >= 0) {
    const TcxRowInfo info = GetRowInfo(ARowIndex);
    FFocusingInfo.RecordIndex = info.RecordIndex;
    FFocusingInfo.Level = info.Level;
  } else {
    FFocusingInfo.RecordIndex = -1;
    FFocusingInfo.Level = -1;
  }
  if (FFocusingInfo.RecordIndex != FPrevFocusingInfo.RecordIndex || FFocusingInfo.Level != FPrevFocusingInfo.Level ||
      FFocusingInfo.RowIndex != FPrevFocusingInfo.RowIndex) {
    FChanges += {dcicFocusedRow, dcicFocusedRecord};
    if (!FDataController->IsMultiSelect() && FDataController->SummaryCountsSelectedOnly())
      FChanges.Include(dcicSummary);
    // A row taking the focus from the new-item row ends it; the owner hears of that.
    if (ARowIndex >= 0 && FDataController->FNewItemRowFocused) {
      FDataController->FNewItemRowFocused = false;
      if (newItemRowActive) FPrevFocusingInfo.Changed = true;
    }
    FDataController->FocusedRecordChanged();
    if (!controller.Alive()) return;
    // In single-select mode the newly focused row is the selection again.
    if (!FDataController->IsMultiSelect()) FDataController->SetFocusedSelected(true);
    if (!controller.Alive()) return;
  }
  CheckUpdate();
}

void TcxCustomDataControllerInfo::ResetFocusing() {
  if (!FChanges.Contains(dcicFocusedRow) && !FChanges.Contains(dcicResetFocusedRow))
    FPrevFocusingInfo = FFocusingInfo;
  Integer record = FDataController->GetFocusingRecordIndex();
  if (record < 0) record = -1;
  // Another record is found as a data row; the same one keeps the level of its row.
  if (record != FFocusingInfo.RecordIndex) FFocusingInfo.Level = -1;
  FFocusingInfo.RowIndex = -1;
  FFocusingInfo.RecordIndex = record;
  AddChanges({dcicResetFocusedRow});
  CheckUpdate();
}

void TcxCustomDataControllerInfo::RecordsDeleted(const std::vector<Integer>& AList, bool ASelection) {
  for (TcxDataFocusingInfo* f : {&FFocusingInfo, &FPrevFocusingInfo}) {
    if (f->RecordIndex < 0) continue;
    const auto at = std::lower_bound(AList.begin(), AList.end(), f->RecordIndex);
    if (at != AList.end() && *at == f->RecordIndex)
      f->RecordIndex = -1;
    else
      f->RecordIndex -= Integer(at - AList.begin());
  }
  if (ASelection) FSelection->RecordsDeleted(AList);
  NoteRecordsDeleted(AList);
}

void TcxCustomDataControllerInfo::RecordInserted(Integer ARecordIndex, bool ASelection) {
  for (TcxDataFocusingInfo* f : {&FFocusingInfo, &FPrevFocusingInfo})
    if (f->RecordIndex >= ARecordIndex) ++f->RecordIndex;
  if (ASelection) FSelection->RecordInserted(ARecordIndex);
  NoteRecordInserted(ARecordIndex);
}

// ---- Selection ----

Integer TcxCustomDataControllerInfo::GetSelectedCount() const {
  if (!FDataController->IsMultiSelect())
    return FDataController->IsFocusedSelected() && FFocusingInfo.RowIndex >= 0 ? 1 : 0;
  return FSelection->Count();
}

Integer TcxCustomDataControllerInfo::GetSelectedRowIndex(Integer AIndex) const {
  if (!FDataController->IsMultiSelect()) return AIndex == 0 && GetSelectedCount() == 1 ? FFocusingInfo.RowIndex : -1;
  return AIndex >= 0 && AIndex < FSelection->Count() ? FSelection->Items(AIndex).RowIndex : -1;
}

bool TcxCustomDataControllerInfo::IsRowSelected(Integer ARowIndex) const {
  if (!FDataController->IsMultiSelect()) return GetSelectedCount() == 1 && ARowIndex == FFocusingInfo.RowIndex;
  return FSelection->IsRowIndexSelected(ARowIndex);
}

void TcxCustomDataControllerInfo::ChangeRowSelection(Integer ARowIndex, bool ASelected) {
  CheckRowIndex(ARowIndex);
  if (!FDataController->IsMultiSelect()) return;
  Integer at;
  const bool present = FSelection->FindByRowIndex(ARowIndex, at);
  if (present == ASelected) return;
  if (!ASelected) {
    FSelection->Delete(at);
    return;
  }
  if (!FDataController->CanSelectRow(ARowIndex)) return;
  const Integer g = GetGroupIndexByRowIndex(ARowIndex);
  if (g >= 0)
    FSelection->Add(at, ARowIndex, -1, g);
  else
    FSelection->Add(at, ARowIndex, FGroupingFieldList->Count(), GetRowInfo(ARowIndex).RecordIndex);
}

void TcxCustomDataControllerInfo::SelectRange(Integer AFromRowIndex, Integer AToRowIndex) {
  if (!FDataController->IsMultiSelect()) return;
  if (AFromRowIndex > AToRowIndex) std::swap(AFromRowIndex, AToRowIndex);
  CheckRowIndex(AFromRowIndex);
  CheckRowIndex(AToRowIndex);
  std::vector<TcxDataSelectionEntry> added;
  const std::vector<TcxDataSelectionEntry>& old = FSelection->List();
  Integer at;
  FSelection->FindByRowIndex(AFromRowIndex, at);
  const Integer first = at;
  for (Integer row = AFromRowIndex; row <= AToRowIndex; ++row) {
    while (at < Integer(old.size()) && old[size_t(at)].RowIndex < row) ++at;
    if (at < Integer(old.size()) && old[size_t(at)].RowIndex == row) continue;
    if (!FDataController->CanSelectRow(row)) continue;
    const Integer g = GetGroupIndexByRowIndex(row);
    if (g >= 0)
      added.push_back({-1, g, row});
    else
      added.push_back({FGroupingFieldList->Count(), GetRowInfo(row).RecordIndex, row});
  }
  if (added.empty()) return;
  // Each insertion shifts the entries after the range; when that costs more than
  // rebuilding, the merged list is laid down again by appends.
  const size_t after = old.size() - size_t(at);
  if (after == 0 || added.size() * after <= old.size() + added.size()) {
    at = first;
    for (const TcxDataSelectionEntry& e : added) {
      while (at < FSelection->Count() && FSelection->Items(at).RowIndex < e.RowIndex) ++at;
      FSelection->InternalAdd(at++, e.RowIndex, e.Kind, e.Index);
    }
  } else {
    std::vector<TcxDataSelectionEntry> merged;
    merged.reserve(old.size() + added.size());
    std::merge(old.begin(), old.end(), added.begin(), added.end(), std::back_inserter(merged),
               [](const TcxDataSelectionEntry& a, const TcxDataSelectionEntry& b) { return a.RowIndex < b.RowIndex; });
    FSelection->InternalClear();
    for (const TcxDataSelectionEntry& e : merged) FSelection->InternalAdd(-1, e.RowIndex, e.Kind, e.Index);
  }
  FSelection->Changed();
}

void TcxCustomDataControllerInfo::SelectionChanged(TObject*) {
  FChanges.Include(dcicSelection);
  if (FDataController->SummaryCountsSelectedOnly()) FChanges.Include(dcicSummary);
  CheckUpdate();
}

Integer TcxCustomDataControllerInfo::GetFilteredRecordIndex(Integer AIndex) const {
  return AIndex >= 0 && AIndex < GetFilteredRecordCount() ? RowAt(AIndex) : -1;
}

Integer TcxCustomDataControllerInfo::GetFilteredIndexByRecordIndex(Integer ARecordIndex) const {
  if (ARecordIndex < 0 || size_t(ARecordIndex) >= FRecordPositions.size()) return -1;
  return PositionOf(ARecordIndex);
}

Integer TcxCustomDataControllerInfo::CompareRecords(Integer ARecordIndex1, Integer ARecordIndex2) const {
  if (ARecordIndex1 == ARecordIndex2) return 0;
  // The edited record stays where it was when editing began.
  if (FEditingRecord != kNoEditRecord) {
    if (ARecordIndex1 == FEditingRecord) {
      if (FEditingFollower < 0) return 1;
      if (ARecordIndex2 == FEditingFollower) return -1;
      ARecordIndex1 = FEditingFollower;
    } else if (ARecordIndex2 == FEditingRecord) {
      if (FEditingFollower < 0) return -1;
      if (ARecordIndex1 == FEditingFollower) return 1;
      ARecordIndex2 = FEditingFollower;
    }
  }
  for (const TcxDataSortInfo& e : FSortInfo) {
    const Integer r = FDataController->CompareRecordsBySortOrder(ARecordIndex1, ARecordIndex2, e);
    if (r != 0) return r;
  }
  return FDataController->CompareRecordIndexes(ARecordIndex1, ARecordIndex2);
}

void TcxCustomDataControllerInfo::PrepareSortInfo() {
  FSortInfo.clear();
  for (Integer i = 0; i < FGroupingFieldList->Count(); ++i) {
    TcxDataSortInfo e = FGroupingFieldList->Items(i);
    const Integer s = FSortingFieldList->IndexOf(e.Field);
    e.SortOrder = s >= 0 ? FSortingFieldList->Items(s).SortOrder : soAscending;
    FGroupingFieldList->SetSortOrder(i, e.SortOrder);
    FSortInfo.push_back(e);
  }
  for (Integer i = 0; i < FSortingFieldList->Count(); ++i) {
    const TcxDataSortInfo& e = FSortingFieldList->Items(i);
    if (FGroupingFieldList->IndexOf(e.Field) < 0) FSortInfo.push_back(e);
  }
  for (TcxDataSortInfo& e : FSortInfo) e.CompareKind = FDataController->GetCompareKind(e);
}

void TcxCustomDataControllerInfo::ResetSortInfo() {
  for (TcxDataSortInfo& e : FSortInfo) e.CompareKind = 0;
}

void TcxCustomDataControllerInfo::NarrowFilter() {
  TcxCustomDataController* c = FDataController;
  TcxDataStorage* storage = c->DataStorage();
  const String& text = c->GetIncrementalFilterText();
  TcxValueDef* def =
      c->FIncrementalFilterField ? c->FIncrementalFilterField->GetValueDef() : nullptr;
  if (text.empty() || !def) return;  // no text keeps every row
  SettlePositions();
  FlattenRows();
  std::vector<Integer> kept;
  // Many rows: the index finds the few that stay; few rows: their texts are read.
  constexpr size_t kFewRows = 64;
  if (FRecordList.size() > kFewRows && storage->FindTextPrefix(def, text, kept)) {
    size_t out = 0;
    for (Integer r : kept)
      if (FRecordPositions[size_t(r)] >= 0) kept[out++] = r;
    kept.resize(out);
    auto byRow = [this](Integer a, Integer b) {
      return FRecordPositions[size_t(a)] < FRecordPositions[size_t(b)];
    };
    if (!std::is_sorted(kept.begin(), kept.end(), byRow))
      std::sort(kept.begin(), kept.end(), byRow);
  } else {
    std::string_view view;
    for (Integer r : FRecordList)
      if (storage->TextView(r, def, view) && cxTextBegins(view, text)) kept.push_back(r);
    storage->CountTextWalk(def, Integer(FRecordList.size()));
  }
  for (Integer r : FRecordList) FRecordPositions[size_t(r)] = -1;
  for (size_t i = 0; i < kept.size(); ++i) FRecordPositions[size_t(kept[i])] = Integer(i);
  FRecordList.swap(kept);
}

void TcxCustomDataControllerInfo::DoFilter() {
  TcxCustomDataController* c = FDataController;
  const bool criteria = c->IsFiltering();
  const bool incremental = c->IsIncrementalFiltering();
  const bool event = c->HasFilterRecordEvent();
  if (!(criteria || incremental || event) || c->IsGridMode()) return;
  const Integer editing = c->GetEditingRecordIndex();
  // The verdicts are asked from the last record to the first, then the survivors close
  // up in one pass, keeping their order.
  FlattenRows();
  std::vector<char> keep(FRecordList.size(), 1);
  // Without a handler nothing changes the records during the pass: the incremental filter
  // may answer from the storage's text index.
  const bool indexed = incremental && !event;
  if (indexed) c->BeginIncrementalFilterPass();
  if (criteria) c->BeginFilterRecords();
  {
    // The passes end in the order they began. The handler may free the controller, and this
    // object with it: then nothing is left to end.
    TWatchedScopeExit ended(this, [&] {
      if (indexed) c->EndIncrementalFilterPass();
      if (criteria) c->EndFilterRecords();
    });
    for (size_t i = FRecordList.size(); i-- > 0;) {
      const Integer r = FRecordList[i];
      if (r == editing) continue;
      bool accept = true;
      if (event) {
        accept = c->DoFilterRecord(r);
        if (!ended.Alive()) return;
        // A handler that removed records: those past the end are no more asked about.
        if (r >= c->GetRecordCount()) continue;
      }
      if (accept && incremental) accept = c->CompareIncrementalFilterText(r);
      if (accept && criteria) accept = c->DoFilterCriteriaRecord(r);
      keep[i] = accept;
    }
  }
  // A handler may have changed the number of records: no row points past them. The change
  // itself asked for a rebuild, which takes in records it added.
  const Integer count = c->GetRecordCount();
  size_t out = 0;
  for (size_t i = 0; i < FRecordList.size(); ++i)
    if (keep[i] && FRecordList[i] < count) FRecordList[out++] = FRecordList[i];
  FRecordList.resize(out);
}

namespace {

// One sort key of one record taken out of its buffer, so that most compares read
// contiguous arrays instead of record buffers: small fixed-size values are copied; ansi
// strings keep their first eight bytes (as a big-endian number, which orders as the bytes
// do) and their length besides the pointer to their text, which decides only between
// equal prefixes of longer texts.
struct TKeyCell {
  std::uint64_t Bits;  // a copied value, or a text's first eight bytes
  const void* Data;
  std::uint32_t Length;  // a text's length, at most 2^32-1 (only lengths up to 8 matter)
  bool Null;
  bool Copied;
  const void* Value() const { return Copied ? static_cast<const void*>(&Bits) : Data; }
};

struct TKeyColumn {
  TcxValueTypeClass Type;
  bool Descending;
  bool Prefixed;
};

// The first two keys travel with the record, the further ones stay in a table by slot.
constexpr size_t kInlineKeys = 2;
struct TKeyedRecord {
  Integer Record;
  Integer Slot;  // its further cells: Slot * (column count - 2) onwards
  TKeyCell Cells[kInlineKeys];
};

std::uint64_t BytePrefix(const String* AText) {
  std::uint64_t r = 0;
  const size_t n = AText ? std::min<size_t>(AText->size(), 8) : 0;
  for (size_t i = 0; i < 8; ++i) r = (r << 8) | (i < n ? Byte((*AText)[i]) : 0);
  return r;
}

// Reads one key of one record out of its buffer.
void FillCell(const TcxDataStorage* AStorage, Integer ARecord, TcxValueDef* ADef, size_t ACopySize, bool ACopy,
              bool APrefixed, TKeyCell& ACell) {
  const void* p = nullptr;
  ACell.Null = AStorage->GetDataBuffer(ARecord, ADef, p);
  ACell.Copied = false;
  ACell.Data = p;
  ACell.Bits = 0;
  ACell.Length = 0;
  if (ACell.Null) return;
  if (ACopy && p) {
    std::memcpy(&ACell.Bits, p, ACopySize);
    ACell.Copied = true;
  } else if (APrefixed) {
    ACell.Bits = BytePrefix(static_cast<const String*>(p));
    const size_t length = p ? static_cast<const String*>(p)->size() : 0;
    ACell.Length = std::uint32_t(std::min<size_t>(length, UINT32_MAX));
  }
}

bool IsCopied(TcxValueTypeClass AType, size_t& ASize) {
  ASize = size_t(std::max(AType->GetDataSize(), 0));
  return !AType->IsString() && !AType->InheritsFrom(TcxVariantValueType::StaticClass()) && ASize <= 8;
}

// The stored order of two cells of one key (Null first), before its direction.
inline Integer CompareCells(const TKeyColumn& AColumn, const TKeyCell& a, const TKeyCell& b) {
  if (a.Null || b.Null) return a.Null == b.Null ? 0 : a.Null ? -1 : 1;
  if (AColumn.Prefixed && a.Data && b.Data) {
    if (a.Bits != b.Bits) return a.Bits < b.Bits ? -1 : 1;
    // Equal first bytes and a text of at most eight: the shorter text is the prefix.
    if (std::min(a.Length, b.Length) <= 8) return a.Length < b.Length ? -1 : a.Length > b.Length ? 1 : 0;
  }
  return AColumn.Type->Compare(a.Value(), b.Value());
}

// Value types whose compare is a strict order of the stored values (no NaN, no mixed
// variants).
bool IsConsistentlyOrdered(TcxValueTypeClass AType) {
  return AType == TcxIntegerValueType::StaticClass() || AType == TcxSmallintValueType::StaticClass() ||
         AType == TcxWordValueType::StaticClass() || AType == TcxLargeIntValueType::StaticClass() ||
         AType == TcxBooleanValueType::StaticClass() || AType == TcxCurrencyValueType::StaticClass() ||
         AType == TcxStringValueType::StaticClass() || AType == TcxWideStringValueType::StaticClass();
}

// The order key of a cell of a column whose compare it settles alone: equal keys for equal
// values, the keys' order for unequal ones (Nulls aside). False where the value has none:
// an ansi text longer than seven bytes, whose first bytes and length do not settle it.
bool OrderKey(const TKeyColumn& AColumn, const TKeyCell& ACell, std::uint64_t& AKey) {
  const TcxValueTypeClass type = AColumn.Type;
  if (AColumn.Prefixed) {
    if (!ACell.Data || ACell.Length > 7) return false;
    AKey = ACell.Bits | ACell.Length;  // the eighth byte of a shorter text is 0
    return true;
  }
  if (!ACell.Copied) return false;
  auto load = [&ACell](auto AValue) {
    std::memcpy(&AValue, &ACell.Bits, sizeof AValue);
    return AValue;
  };
  // Signed values with their sign bit flipped order as unsigned ones.
  if (type == TcxIntegerValueType::StaticClass())
    AKey = std::uint32_t(load(std::int32_t())) ^ 0x80000000u;
  else if (type == TcxSmallintValueType::StaticClass())
    AKey = std::uint16_t(load(std::int16_t())) ^ 0x8000u;
  else if (type == TcxWordValueType::StaticClass())
    AKey = load(std::uint16_t());
  else if (type == TcxLargeIntValueType::StaticClass() ||
           type == TcxCurrencyValueType::StaticClass())
    AKey = std::uint64_t(load(std::int64_t())) ^ (std::uint64_t(1) << 63);
  else if (type == TcxBooleanValueType::StaticClass())
    AKey = load(std::uint8_t()) != 0;
  else
    return false;
  return true;
}

}  // namespace

bool TcxCustomDataControllerInfo::SortByFirstKey() {
  TcxCustomDataController* c = FDataController;
  if (FSortInfo.empty() || FEditingRecord != kNoEditRecord || c->IsProviderMode()) return false;
  // The leading keys compared straight from the buffers; the rest through the controller.
  std::vector<TKeyColumn> columns;
  std::vector<TcxValueDef*> defs;
  for (const TcxDataSortInfo& e : FSortInfo) {
    TcxValueDef* def = e.Field->GetValueDef();
    if (e.CompareKind != -1 || !def) break;
    TcxValueTypeClass type = def->ValueTypeClass();
    // Only the ansi string's compare is the byte order that the prefix follows.
    columns.push_back({type, e.SortOrder == TcxDataSortOrder::soDescending, type == TcxStringValueType::StaticClass()});
    defs.push_back(def);
  }
  if (columns.empty()) return false;
  const size_t keys = columns.size();
  const size_t further = keys > kInlineKeys ? keys - kInlineKeys : 0;
  FlattenRows();
  std::vector<TKeyCell> cells(FRecordList.size() * further);
  std::vector<TKeyedRecord> keyed(FRecordList.size());
  for (size_t i = 0; i < FRecordList.size(); ++i) {
    keyed[i].Record = FRecordList[i];
    keyed[i].Slot = Integer(i);
  }
  const TcxDataStorage* storage = c->DataStorage();
  for (size_t k = 0; k < keys; ++k) {
    size_t size;
    const bool copy = IsCopied(columns[k].Type, size);
    for (size_t i = 0; i < FRecordList.size(); ++i)
      FillCell(storage, FRecordList[i], defs[k], size, copy, columns[k].Prefixed,
               k < kInlineKeys ? keyed[i].Cells[k] : cells[i * further + k - kInlineKeys]);
  }
  auto cellOf = [&](const TKeyedRecord& ARecord, size_t AKey) -> const TKeyCell& {
    return AKey < kInlineKeys ? ARecord.Cells[AKey] : cells[size_t(ARecord.Slot) * further + AKey - kInlineKeys];
  };
  // The order of two records on the keys read out: their first difference, directed.
  auto compareKeys = [&](const TKeyedRecord& a, const TKeyedRecord& b) -> Integer {
    for (size_t k = 0; k < keys; ++k) {
      const Integer r = CompareCells(columns[k], cellOf(a, k), cellOf(b, k));
      if (r != 0) return columns[k].Descending ? (r < 0 ? 1 : -1) : (r < 0 ? -1 : 1);
    }
    return 0;
  };
  auto noteBreaks = [&] {
    const size_t levels = std::min<size_t>(keys, 254);
    FKeyBreaks.assign(keyed.size(), Byte(levels));
    for (size_t i = 1; i < keyed.size(); ++i)
      for (size_t k = 0; k < levels; ++k)
        if (CompareCells(columns[k], cellOf(keyed[i - 1], k), cellOf(keyed[i], k)) != 0) {
          FKeyBreaks[i] = Byte(k);
          break;
        }
    FKeyBreakLevels = Integer(levels);
  };
  // Keys whose compare is a consistent order, all of them read out, and the plain
  // controller's tie-break by storage order: a stable sort of the records in storage
  // order gives the same order without asking for the tie-break at all.
  bool stable = keys == FSortInfo.size() &&
                (typeid(*c) == typeid(TcxDataController) || typeid(*c) == typeid(TcxCustomDataController));
  for (const TKeyColumn& k : columns) stable = stable && (k.Prefixed || IsConsistentlyOrdered(k.Type));
  if (stable) {
    auto byRecord = [](const TKeyedRecord& a, const TKeyedRecord& b) { return a.Record < b.Record; };
    if (!std::is_sorted(keyed.begin(), keyed.end(), byRecord)) std::sort(keyed.begin(), keyed.end(), byRecord);
    // Every key settled by a number: a radix sort per key, the last key first, each pass
    // keeping the order of the one before; ties stay in storage order as in the stable
    // sort. The breaks are read from the same numbers.
    const size_t n = keyed.size();
    std::vector<std::uint64_t> numbers(n * keys);
    std::vector<Byte> nulls(n * keys);
    bool numbered = true;
    for (size_t k = 0; k < keys && numbered; ++k)
      for (size_t i = 0; i < n && numbered; ++i) {
        const TKeyCell& cell = cellOf(keyed[i], k);
        nulls[k * n + i] = cell.Null;
        numbered = cell.Null || OrderKey(columns[k], cell, numbers[k * n + i]);
      }
    if (numbered) {
      std::vector<std::uint32_t> order(n);
      std::iota(order.begin(), order.end(), 0u);
      std::vector<cxDataSort::TKeySlot> items(n), scratch;
      for (size_t k = keys; k-- > 0;) {
        const std::uint64_t* number = numbers.data() + k * n;
        const Byte* null = nulls.data() + k * n;
        const bool descending = columns[k].Descending;
        bool anyNull = false;
        for (size_t i = 0; i < n; ++i) {
          const std::uint32_t slot = order[i];
          anyNull = anyNull || null[slot];
          items[i] = {null[slot] ? 0 : descending ? ~number[slot] : number[slot], slot};
        }
        cxDataSort::RadixSort(items, scratch);
        // Nulls come first, before the direction: last when descending.
        size_t out = 0;
        auto take = [&](bool ANull) {
          for (const cxDataSort::TKeySlot& e : items)
            if (bool(null[e.Slot]) == ANull) order[out++] = e.Slot;
        };
        if (!anyNull) {
          take(false);
        } else if (descending) {
          take(false);
          take(true);
        } else {
          take(true);
          take(false);
        }
      }
      const size_t levels = std::min<size_t>(keys, 254);
      FKeyBreaks.assign(n, Byte(levels));
      for (size_t i = 1; i < n; ++i)
        for (size_t k = 0; k < levels; ++k) {
          const size_t a = k * n + order[i - 1], b = k * n + order[i];
          if (nulls[a] != nulls[b] || (!nulls[a] && numbers[a] != numbers[b])) {
            FKeyBreaks[i] = Byte(k);
            break;
          }
        }
      FKeyBreakLevels = Integer(levels);
      // The records gathered from a compact copy, not from the keyed entries.
      std::vector<Integer> records(n);
      for (size_t i = 0; i < n; ++i) records[i] = keyed[i].Record;
      for (size_t i = 0; i < n; ++i) FRecordList[i] = records[order[i]];
      return true;
    }
    std::stable_sort(keyed.begin(), keyed.end(),
                     [&](const TKeyedRecord& a, const TKeyedRecord& b) { return compareKeys(a, b) < 0; });
  } else {
    cxDataSort::Sort(keyed, [&](const TKeyedRecord& a, const TKeyedRecord& b) -> Integer {
      const Integer r = compareKeys(a, b);
      if (r != 0) return r;
      for (size_t e = keys; e < FSortInfo.size(); ++e) {
        const Integer next = c->CompareRecordsBySortOrder(a.Record, b.Record, FSortInfo[e]);
        if (next != 0) return next;
      }
      return c->CompareRecordIndexes(a.Record, b.Record);
    });
  }
  for (size_t i = 0; i < keyed.size(); ++i) FRecordList[i] = keyed[i].Record;
  noteBreaks();
  return true;
}

namespace {

// The order of two records whose first keys compared as AFirst: that key's direction, then
// the further keys, then storage order, as CompareRecords does.
Integer ThenFurtherKeys(const TcxCustomDataController* c, const std::vector<TcxDataSortInfo>& ASortInfo,
                        Integer AFirst, bool ADescending, Integer a, Integer b) {
  if (AFirst != 0) return ADescending ? (AFirst < 0 ? 1 : -1) : AFirst;
  for (size_t e = 1; e < ASortInfo.size(); ++e) {
    const Integer next = c->CompareRecordsBySortOrder(a, b, ASortInfo[e]);
    if (next != 0) return next;
  }
  return c->CompareRecordIndexes(a, b);
}

}  // namespace

bool TcxCustomDataControllerInfo::SortByFetchedTexts() {
  TcxCustomDataController* c = FDataController;
  if (FSortInfo.empty() || FEditingRecord != kNoEditRecord || c->IsProviderMode()) return false;
  const TcxDataSortInfo first = FSortInfo.front();
  if (first.CompareKind != 1 && first.CompareKind != 2) return false;
  if (c->OnCompare && !first.Field->IsInternal()) return false;
  const bool ansi = c->Options().Contains(TcxDataControllerOption::dcoAnsiSort);
  const bool noCase = c->Options().Contains(TcxDataControllerOption::dcoCaseInsensitive);
  // Each record's text is fetched once (upper-cased once for the byte order without
  // case) instead of twice per compare; a value that is no text takes the general compare.
  FlattenRows();
  struct TTextRecord {
    Integer Record;
    Integer Slot;
    bool IsText;
    std::uint64_t Prefix;
  };
  std::vector<String> texts(FRecordList.size());
  std::vector<TTextRecord> keyed(FRecordList.size());
  for (size_t i = 0; i < FRecordList.size(); ++i) {
    TTextRecord& k = keyed[i];
    k.Record = FRecordList[i];
    k.Slot = Integer(i);
    if (first.CompareKind == 2) {
      texts[i] = c->GetDisplayText(k.Record, first.Field);
      k.IsText = true;
    } else {
      const Variant v = c->GetValue(k.Record, first.Field);
      k.IsText = v.VType() == varString || v.VType() == varOleStr;
      if (k.IsText) texts[i] = v.AsString();
    }
    if (k.IsText && !ansi && noCase) texts[i] = AnsiUpperCase(texts[i]);
    k.Prefix = k.IsText && !ansi ? BytePrefix(&texts[i]) : 0;
  }
  const bool descending = first.SortOrder == TcxDataSortOrder::soDescending;
  cxDataSort::Sort(keyed, [&](const TTextRecord& a, const TTextRecord& b) {
    Integer r;
    if (!a.IsText || !b.IsText) {
      r = c->CompareRecords(a.Record, b.Record, first);
    } else if (ansi) {
      const String& x = texts[size_t(a.Slot)];
      const String& y = texts[size_t(b.Slot)];
      r = noCase ? AnsiCompareText(x, y) : AnsiCompareStr(x, y);
    } else if (a.Prefix != b.Prefix) {
      r = a.Prefix < b.Prefix ? -1 : 1;
    } else {
      r = CompareStr(texts[size_t(a.Slot)], texts[size_t(b.Slot)]);
    }
    return ThenFurtherKeys(c, FSortInfo, r, descending, a.Record, b.Record);
  });
  for (size_t i = 0; i < keyed.size(); ++i) FRecordList[i] = keyed[i].Record;
  return true;
}

void TcxCustomDataControllerInfo::SortByStorageOrder() {
  // Distinct record indexes below the count: a mark per record puts them in order.
  const size_t count = size_t(std::max<Integer>(FDataController->GetRecordCount(), 0));
  std::vector<Byte> present(count);
  for (Integer r : FRecordList) {
    if (r < 0 || size_t(r) >= count || present[size_t(r)]) {
      std::sort(FRecordList.begin(), FRecordList.end());
      return;
    }
    present[size_t(r)] = 1;
  }
  size_t out = 0;
  for (size_t r = 0; r < count; ++r)
    if (present[r]) FRecordList[out++] = Integer(r);
}

void TcxCustomDataControllerInfo::DoSort() {
  FlattenRows();
  FKeyBreaks.clear();
  FKeyBreakLevels = 0;
  if (FDataController->IsGridMode() || FRecordList.empty()) return;
  PrepareSortInfo();
  // A compare that freed the controller took this object with it: nothing to reset.
  TWatchedScopeExit reset(this, [this] { ResetSortInfo(); });
  if (FSortInfo.empty() && FEditingRecord == kNoEditRecord) {
    if (!std::is_sorted(FRecordList.begin(), FRecordList.end())) SortByStorageOrder();
  } else if (!SortByFirstKey() && !SortByFetchedTexts())
    cxDataSort::Sort(FRecordList, [this](Integer a, Integer b) { return CompareRecords(a, b); });
}

void TcxCustomDataControllerInfo::RebuildPositions() {
  FlattenRows();
  DropStaleRows();
  FRecordPositions.assign(size_t(std::max<Integer>(FDataController->GetRecordCount(), 0)), -1);
  for (size_t i = 0; i < FRecordList.size(); ++i) {
    const Integer r = FRecordList[i];
    if (r >= 0 && size_t(r) < FRecordPositions.size()) FRecordPositions[size_t(r)] = Integer(i);
  }
}

void TcxCustomDataControllerInfo::SaveGroupStates(TcxDataExpandingInfoStates AStates) {
  using enum TcxDataExpandingInfoState;
  if (AStates == FExpandingInfos->SaveStates() && !AStates.Empty()) return;
  FExpandingInfos->Clear();
  if (AStates.Empty() || FGroups->Count() == 0) return;
  // Only a grouping unchanged since the groups were built can find its groups again.
  std::vector<TcxCustomDataField*> fields;
  for (Integer i = 0; i < FGroupingFieldList->Count(); ++i) fields.push_back(FGroupingFieldList->Items(i).Field);
  if (fields != FGroups->Fields()) return;
  for (TcxCustomDataField* f : fields) FExpandingInfos->AddField(f);
  FExpandingInfos->SetSaveStates(AStates);
  const bool alwaysExpanded = FDataController->Options().Contains(TcxDataControllerOption::dcoGroupsAlwaysExpanded);
  for (Integer g = 0; g < FGroups->Count(); ++g) {
    const TcxDataGroupInfo& group = FGroups->Items(g);
    if (group.ParentIndex >= 0 && !FGroups->IsVisibleExpanded(group.ParentIndex)) continue;
    TcxDataExpandingInfoStates states;
    if (group.Expanded && AStates.Contains(eisExpanded) && !alwaysExpanded) states.Include(eisExpanded);
    if (AStates.Contains(eisSelected) && FSelection->FindByGroupIndex(g) >= 0) states.Include(eisSelected);
    if (states.Empty()) continue;
    std::vector<Variant> values = GetGroupPathValues(g);
    if (!values.empty()) FExpandingInfos->Add(std::move(values), states);
  }
  FExpandingInfos->Prepare();
}

void TcxCustomDataControllerInfo::DoGrouping() {
  using enum TcxDataExpandingInfoState;
  std::vector<TcxCustomDataField*> fields;
  for (Integer i = 0; i < FGroupingFieldList->Count(); ++i) fields.push_back(FGroupingFieldList->Items(i).Field);
  FGroups->Clear(fields);
  if (fields.empty()) return;
  FlattenRows();
  PrepareSortInfo();
  TcxCustomDataController* c = FDataController;
  {
    // A compare that freed the controller took this object with it: nothing to reset.
    TWatchedScopeExit reset(this, [this] { ResetSortInfo(); });
    // Levels compared straight from the buffers read each record's value out once.
    const size_t levels = fields.size(), n = FRecordList.size();
    // The record being edited stays in the group it had when editing began until it is
    // posted: it is compared through its saved old values; one being inserted (nothing
    // saved) as the record that followed it, or as equal to its neighbours without one.
    size_t edited = n;
    Integer standIn = kNoEditRecord;
    if (FEditingRecord >= 0) {
      edited = size_t(std::find(FRecordList.begin(), FRecordList.end(), FEditingRecord) - FRecordList.begin());
      const TcxCustomDataProvider* provider = c->Provider();
      if (!provider->IsInserting() && provider->SavedRecordIndex() < 0)
        standIn = provider->SavedRecordIndex();
      else if (FEditingFollower >= 0)
        standIn = FEditingFollower;
    }
    const bool joinsNeighbours = edited < n && standIn == kNoEditRecord;
    auto recordAt = [&](size_t APosition) { return APosition == edited ? standIn : FRecordList[APosition]; };
    auto nextToEdited = [&](Integer APosition) {
      return joinsNeighbours && (size_t(APosition) == edited || size_t(APosition) == edited + 1);
    };
    const bool broken = edited == n && FKeyBreaks.size() == n && size_t(FKeyBreakLevels) >= levels;
    bool stored = !broken && !c->IsProviderMode();
    for (size_t l = 0; l < levels && stored; ++l) stored = FSortInfo[l].CompareKind == -1 && fields[l]->GetValueDef();
    if (broken) {
      FGroups->Build(Integer(n), [&](Integer APosition, Integer ALevel) {
        return Integer(FKeyBreaks[size_t(APosition)]) <= ALevel;
      });
    } else if (stored) {
      std::vector<TKeyCell> cells(n * levels);
      std::vector<TKeyColumn> columns;
      for (size_t l = 0; l < levels; ++l) {
        TcxValueDef* def = fields[l]->GetValueDef();
        TcxValueTypeClass type = def->ValueTypeClass();
        columns.push_back({type, false, type == TcxStringValueType::StaticClass()});
        size_t size;
        const bool copy = IsCopied(type, size);
        for (size_t i = 0; i < n; ++i)
          if (!(joinsNeighbours && i == edited))
            FillCell(c->DataStorage(), recordAt(i), def, size, copy, columns[l].Prefixed, cells[i * levels + l]);
      }
      FGroups->Build(Integer(n), [&](Integer APosition, Integer ALevel) {
        if (nextToEdited(APosition)) return false;
        const size_t l = size_t(ALevel);
        return CompareCells(columns[l], cells[size_t(APosition - 1) * levels + l], cells[size_t(APosition) * levels + l]) != 0;
      });
    } else {
      FGroups->Build(Integer(n), [&](Integer APosition, Integer ALevel) {
        if (nextToEdited(APosition)) return false;
        return c->CompareRecordsBySortOrder(recordAt(size_t(APosition - 1)), recordAt(size_t(APosition)),
                                            FSortInfo[size_t(ALevel)]) != 0;
      });
    }
  }
  RestoreGroupStates();
}

void TcxCustomDataControllerInfo::RestoreGroupStates() {
  using enum TcxDataExpandingInfoState;
  const bool alwaysExpanded =
      FDataController->Options().Contains(TcxDataControllerOption::dcoGroupsAlwaysExpanded);
  std::vector<Integer> selectedGroups;
  for (Integer g = 0; g < FGroups->Count(); ++g) {
    TcxDataGroupInfo& group = FGroups->Items(g);
    group.Expanded = alwaysExpanded;
    group.SummaryValues = Variant();
    if (FExpandingInfos->Empty()) continue;
    const TcxDataExpandingInfoStates states = FExpandingInfos->Find(GetGroupPathValues(g));
    if (states.Contains(eisExpanded)) group.Expanded = true;
    if (states.Contains(eisSelected)) selectedGroups.push_back(g);
  }
  FExpandingInfos->Clear();
  FGroups->NumberRows();
  // Selected group rows come back as new entries; their rows are set by the re-index.
  for (Integer g : selectedGroups) FSelection->InternalAdd(-1, -1, -1, g);
}

void TcxCustomDataControllerInfo::ReindexSelection(bool ARegrouped) {
  const Integer count = FSelection->Count();
  // In grid mode the selection names records of the source, not rows of the window.
  if (count == 0 || FDataController->IsGridMode()) return;
  // The entries as they are now: kept ones with their new row and kind, dropped ones marked.
  std::vector<TcxDataSelectionEntry> next(FSelection->List());
  std::vector<char> keep(size_t(count), 1);
  for (Integer i = 0; i < count; ++i) {
    TcxDataSelectionEntry& e = next[size_t(i)];
    char& k = keep[size_t(i)];
    if (e.Kind == -1) {
      // Old group indexes mean nothing after a regroup: those came back through the
      // remembered states with new indexes and no row yet.
      if ((ARegrouped && e.RowIndex != -1) || !FGroups->IsValid(e.Index)) {
        k = 0;
        continue;
      }
      e.RowIndex = FGroups->Items(e.Index).RowIndex;
      k = FGroups->FindByRowIndex(e.RowIndex) == e.Index;  // else hidden in a collapsed group
    } else {
      if (e.Index >= FDataController->GetRecordCount()) {
        k = 0;
        continue;
      }
      e.Kind = FGroupingFieldList->Count();
      e.RowIndex = GetRowIndexByRecordIndex(e.Index, false);
      k = e.RowIndex >= 0;
    }
  }
  bool changed = false, ordered = true;
  size_t deleteCost = 0;
  Integer lastRow = -1;
  for (Integer i = 0; i < count; ++i) {
    const TcxDataSelectionEntry& e = next[size_t(i)];
    const TcxDataSelectionEntry& was = FSelection->Items(i);
    if (!keep[size_t(i)]) {
      deleteCost += size_t(count - i);
      changed = true;
      continue;
    }
    if (e.RowIndex < lastRow) ordered = false;
    lastRow = e.RowIndex;
    if (e.Kind != was.Kind || e.RowIndex != was.RowIndex) changed = true;
  }
  if (!changed) return;
  if (ordered && deleteCost <= size_t(count) * 2) {
    // Drop from the end, so the indexes still to visit stay valid; deleting an entry
    // clears the anchor when it was the anchor row's.
    for (Integer i = count - 1; i >= 0; --i)
      if (!keep[size_t(i)]) FSelection->InternalDelete(i);
    Integer at = 0;
    for (Integer i = 0; i < count; ++i)
      if (keep[size_t(i)]) FSelection->Reindex(at++, next[size_t(i)].Kind, next[size_t(i)].RowIndex);
  } else {
    // Rows changed order (or many are dropped): the entries are laid down again in row order.
    for (Integer i = 0; i < count; ++i)
      if (!keep[size_t(i)] && FSelection->Items(i).RowIndex == FSelection->AnchorRowIndex()) FSelection->ClearAnchor();
    std::vector<TcxDataSelectionEntry> kept;
    kept.reserve(size_t(count));
    for (Integer i = 0; i < count; ++i)
      if (keep[size_t(i)]) kept.push_back(next[size_t(i)]);
    std::stable_sort(kept.begin(), kept.end(),
                     [](const TcxDataSelectionEntry& a, const TcxDataSelectionEntry& b) { return a.RowIndex < b.RowIndex; });
    FSelection->InternalClear();
    for (const TcxDataSelectionEntry& e : kept) FSelection->InternalAdd(-1, e.RowIndex, e.Kind, e.Index);
  }
  if (FSelection->AnchorRowIndex() >= GetRowCount()) FSelection->ClearAnchor();
  FChanges.Include(dcicSelection);
}

void TcxCustomDataControllerInfo::SettleFocus() {
  const Integer rows = GetRowCount();
  if (FPrevFocusingInfo.RowIndex >= rows) FPrevFocusingInfo.RowIndex = -1;
  if (FFocusingInfo.RecordIndex < 0 && FFocusingInfo.RowIndex < 0) return;
  Integer row = -1;
  const Integer record = FFocusingInfo.RecordIndex;
  if (record >= 0 && GetFilteredIndexByRecordIndex(record) >= 0) {
    if (IsGrouped() && FFocusingInfo.Level >= 0 && FFocusingInfo.Level < FGroups->LevelCount()) {
      // A focused group row stays on the group of its level that holds the record.
      Integer g = FGroups->FindByPosition(GetFilteredIndexByRecordIndex(record));
      while (g >= 0 && FGroups->Items(g).Level > FFocusingInfo.Level) g = FGroups->Items(g).ParentIndex;
      if (g >= 0) {
        if (FGroups->MakeVisible(g, false)) {
          FGroups->NumberRows();
          FChanges.Include(dcicExpanding);
        }
        row = FGroups->Items(g).RowIndex;
      }
    } else {
      row = GetRowIndexByRecordIndex(record, true);
    }
  }
  TcxDataFocusingInfo next = FFocusingInfo;
  if (row >= 0) {
    next.RowIndex = row;
  } else {
    // The record left the rows: the focus stays at its row, or the last one.
    next.RowIndex = std::min(FFocusingInfo.RowIndex, rows - 1);
  }
  if (next.RowIndex >= 0) {
    const TcxRowInfo info = GetRowInfo(next.RowIndex);
    next.RecordIndex = info.RecordIndex;
    next.Level = info.Level;
  } else {
    next.RecordIndex = -1;
    next.Level = -1;
  }
  if (next.RowIndex != FFocusingInfo.RowIndex || next.RecordIndex != FFocusingInfo.RecordIndex ||
      next.Level != FFocusingInfo.Level) {
    if (!FChanges.Contains(dcicFocusedRow) && !FChanges.Contains(dcicResetFocusedRow))
      FPrevFocusingInfo = FFocusingInfo;
    FFocusingInfo.RowIndex = next.RowIndex;
    FFocusingInfo.RecordIndex = next.RecordIndex;
    FFocusingInfo.Level = next.Level;
    FChanges.Include(dcicFocusedRow);
    if (next.RecordIndex != FPrevFocusingInfo.RecordIndex) FChanges.Include(dcicFocusedRecord);
  }
}

void TcxCustomDataControllerInfo::Update() {
  using enum TcxDataExpandingInfoState;
  TcxCustomDataController* c = FDataController;
  FInfoUpdating = true;
  // Group breaks come only from a sort of this rebuild.
  FKeyBreaks.clear();
  const TcxDataControllerInfoChanges changes = FChanges;
  const Integer focusedBefore = FFocusingInfo.RecordIndex;
  // The rows were filtered at the storage's count of changes (any change after, by a handler
  // too, leaves them to a full filter); a rebuild that fails leaves them to one as well.
  const Int64 changeCount = c->DataStorage()->ChangeCount();
  const Int64 filteredChangeCount = FFilteredChangeCount;
  const bool narrowing = FNarrowFilter;
  FNarrowFilter = false;
  FFilteredChangeCount = -1;
  // Handlers run by the steps (filter, compare, summary) may free the controller, and this
  // object with it.
  TWeakLink self(this);
  bool rows = false, complete = FRowsComplete;
  try {
    const bool summary = changes.Contains(dcicSummary) && !c->IsReading() && !c->IsDestroying();
    if (changes.Contains(dcicSummary) && c->IsReading() && !c->IsDestroying()) c->FSummaryHeldBack = true;
    const bool load = changes.Contains(dcicLoad), grouping = changes.Contains(dcicGrouping);
    const bool sorting = changes.Contains(dcicSorting);
    rows = load || grouping || sorting;
    // Groups are built again whenever the order of the records may have changed.
    const bool regroup = load || grouping || (sorting && IsGrouped());
    FEditingRecord = c->GetEditingRecordIndex();
    FEditingFollower = c->GetEditingFollowingRecordIndex();
    // Only noted records changed, came or went: they alone find their places.
    bool byDelta = false;
    if (rows) {
      PrepareSortInfo();
      byDelta = CanApplyDelta(changes);
      if (!byDelta) ResetSortInfo();
    }

    if (regroup) {
      TcxDataExpandingInfoStates states;
      // A re-sort keeps every group's state; a reload or regroup only with dcoSaveExpanding.
      if ((c->Options().Contains(TcxDataControllerOption::dcoSaveExpanding) || !(load || grouping)))
        states.Include(eisExpanded);
      for (const TcxDataSelectionEntry& e : FSelection->List())
        if (e.Kind == -1) {
          states.Include(eisSelected);
          break;
        }
      SaveGroupStates(states);
    }
    if (byDelta) {
      {
        TWatchedScopeExit reset(this, [this] { ResetSortInfo(); });
        byDelta = ApplyDelta();
      }
      if (!self.Alive()) return;
    }
    // An incremental filter whose text grew, asked for alone, over rows that still stand.
    const bool narrow = narrowing && load && !byDelta && !grouping && !sorting &&
                        filteredChangeCount == changeCount;
    if (narrow) {
      NarrowFilter();
      if (!self.Alive()) return;
      // Narrowed rows are no start for a later rebuild of noted records.
      complete = false;
    } else if (load && !byDelta) {
      FlattenRows();
      FRecordList.resize(size_t(std::max<Integer>(c->GetRecordCount(), 0)));
      std::iota(FRecordList.begin(), FRecordList.end(), 0);
      DoFilter();
      // A filter handler freed the controller, and this object with it.
      if (!self.Alive()) return;
    }
    if (summary && !c->SummaryCountsSelectedOnly()) {
      if (byDelta)
        CalculateFooterInStorageOrder();
      else
        c->CalculateFooterSummary();
      if (!self.Alive()) return;  // a summary handler freed the controller
    }
    if (!byDelta && (grouping || sorting)) DoSort();
    if (regroup) {
      if (!IsGrouped())
        FGroups->Clear({});
      else if (byDelta)
        RestoreGroupStates();
      else
        DoGrouping();
    } else if (changes.Contains(dcicExpanding)) {
      FGroups->NumberRows();
    }
    if (rows && !byDelta && !narrow) {
      RebuildPositions();
      // Rows a later rebuild can start from: every record weighed, in a sort's order or in
      // storage order (an unsorted view sorted with a record held in place is neither).
      complete = (load || FRowsComplete) && !c->IsGridMode() && !c->IsProviderMode() &&
                 !(FSortInfo.empty() && FEditingRecord != kNoEditRecord && (grouping || sorting));
      if (complete) {
        PrepareSortInfo();
        FRowRules = CurrentRowRules();
        ResetSortInfo();
      }
    }
    if (rows) {
      FRowsEditingRecord = FEditingRecord;
      FRowsEditingFollower = FEditingFollower;
    }
    if (c->Options().Contains(TcxDataControllerOption::dcoFocusTopRowAfterSorting) && (FSortOrderChanged || FGroupingChanged) &&
        !c->IsNotifying() && GetRowCount() > 0) {
      if (!FChanges.Contains(dcicFocusedRow)) FPrevFocusingInfo = FFocusingInfo;
      FChanges.Include(dcicFocusedRow);
      FFocusingInfo.RecordIndex = GetRowInfo(0).RecordIndex;
      FFocusingInfo.Level = GetRowInfo(0).Level;
      if (FSelection->Count() > 0) {
        FSelection->InternalClear();
        FChanges.Include(dcicSelection);
      }
    }
    SettleFocus();
    c->CheckBookmark(-1);
    if (!self.Alive()) return;  // asking about a grid-mode bookmark runs the filter handler
    ReindexSelection(regroup);
    // Rows moved: a later selection notification names the rows as they are now.
    if (load || sorting || changes.Contains(dcicExpanding)) c->UpdatePrevSelection();
    if (summary) {
      c->CalculateGroupSummaries();
      if (!self.Alive()) return;
    }
    if (FGroupSortingSummaryIndex >= 0 && (summary || regroup) && FGroups->LevelCount() == 1) {
      FGroups->SortBySummary(FGroupSortingSummaryIndex, FGroupSortingSummaryOrder);
      SettleFocus();
      ReindexSelection(false);
    }
  } catch (const TcxDataControllerFreed&) {
    if (!self.Alive()) return;
    FInfoUpdating = false;
    FChanges = FDeferredChanges;
    FDeferredChanges = TcxDataControllerInfoChanges();
    // The rows may be half built: the next rebuild takes every record.
    ResetDelta(false);
    throw;
  } catch (...) {  // written out: only a failed rebuild hands its changes on to the next
    if (!self.Alive()) throw;
    FInfoUpdating = false;
    FChanges = FDeferredChanges;
    FDeferredChanges = TcxDataControllerInfoChanges();
    // The rows may be half built: the next rebuild takes every record.
    ResetDelta(false);
    throw;
  }
  FInfoUpdating = false;
  if (rows) {
    ResetDelta(complete);
  } else if (FDeltaBroken) {
    InvalidateDelta();
    FDeltaBroken = false;
  }
  FFilteredChangeCount = changes.Contains(dcicLoad) ? changeCount : filteredChangeCount;
  if (FFocusingInfo.RecordIndex != focusedBefore && FFocusingInfo.RecordIndex >= 0)
    c->FFocusSettled = true;

  const TcxDataControllerInfoChanges all = FChanges;
  TcxDataControllerChanges out;
  if (all.Contains(dcicLoad) || all.Contains(dcicGrouping) || all.Contains(dcicExpanding)) out.Include(dccData);
  if (all.Contains(dcicSorting) || all.Contains(dcicView)) out.Include(dccLayout);
  if (all.Contains(dcicFocusedRow) || all.Contains(dcicResetFocusedRow) || all.Contains(dcicFocusedRecord))
    out.Include(dccFocus);
  if (all.Contains(dcicSelection)) out.Include(dccSelection);
  if (all.Contains(dcicSummary)) out.Include(dccSummary);
  if (FGroupingChanged) out.Include(dccGrouping);
  if (FSortOrderChanged) out.Include(dccSorting);
  FGroupingChanged = false;
  FSortOrderChanged = false;
  FChanges = FDeferredChanges;
  FDeferredChanges = TcxDataControllerInfoChanges();
  c->Change(out);
}

TL_DEFINE_CLASS(TcxSortingFieldList)
TL_DEFINE_CLASS(TcxGroupingFieldList)
TL_DEFINE_CLASS(TcxCustomDataControllerInfo)
