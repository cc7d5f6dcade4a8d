#include "widgets/data/cxDataControllerInfo.h"

#include "widgets/data/cxDataController.h"
#include "widgets/data/cxDataSort.h"

#include <algorithm>
#include <cstring>
#include <numeric>

using enum TcxDataControllerInfoChange;
using enum TcxDataControllerChange;
using enum TcxDataSortOrder;

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
}

void TcxCustomDataControllerInfo::BeforeDestruction() {
  FreeAndNil(FGroupingFieldList);
  FreeAndNil(FSortingFieldList);
  inherited::BeforeDestruction();
}

void TcxCustomDataControllerInfo::EndUpdate() {
  if (FLockCount > 0) --FLockCount;
  CheckUpdate();
}

void TcxCustomDataControllerInfo::CheckUpdate() {
  // A change made by a handler during the rebuild stays pending for the next one.
  if (FLockCount != 0 || FInfoUpdating || FChanges.Empty()) return;
  Update();
}

void TcxCustomDataControllerInfo::RefreshRequest() {
  FChanges += {dcicLoad, dcicSummary};
  if (FSortingFieldList->Count() > 0) FChanges.Include(dcicSorting);
  if (FGroupingFieldList->Count() > 0) FChanges.Include(dcicGrouping);
  CheckUpdate();
}

void TcxCustomDataControllerInfo::RemoveField(TcxCustomDataField* AField) {
  FSortingFieldList->Remove(AField);
  if (FGroupingFieldList->IndexOf(AField) >= 0) FGroupingFieldList->ChangeGrouping(AField, -1);
}

void TcxCustomDataControllerInfo::CheckRowIndex(Integer ARowIndex) const {
  if (ARowIndex < 0 || ARowIndex >= GetRowCount()) cxDataControllerError(cxSDataRowIndexError);
}

TcxRowInfo TcxCustomDataControllerInfo::GetRowInfo(Integer ARowIndex) const {
  CheckRowIndex(ARowIndex);
  TcxRowInfo r;
  r.Level = FGroupingFieldList->Count();
  r.Expanded = false;
  r.FilteredIndex = ARowIndex;
  r.RecordIndex = FRecordList[size_t(ARowIndex)];
  return r;
}

Integer TcxCustomDataControllerInfo::GetRowIndexByRecordIndex(Integer ARecordIndex, bool) {
  return GetFilteredIndexByRecordIndex(ARecordIndex);
}

Integer TcxCustomDataControllerInfo::GetFilteredRecordIndex(Integer AIndex) const {
  return AIndex >= 0 && AIndex < GetFilteredRecordCount() ? FRecordList[size_t(AIndex)] : -1;
}

Integer TcxCustomDataControllerInfo::GetFilteredIndexByRecordIndex(Integer ARecordIndex) const {
  if (ARecordIndex < 0 || size_t(ARecordIndex) >= FRecordPositions.size()) return -1;
  return FRecordPositions[size_t(ARecordIndex)];
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

void TcxCustomDataControllerInfo::DoFilter() {
  TcxCustomDataController* c = FDataController;
  const bool criteria = c->IsFiltering();
  const bool incremental = c->IsIncrementalFiltering();
  const bool event = c->HasFilterRecordEvent();
  if (!(criteria || incremental || event) || c->IsGridMode()) return;
  const Integer editing = c->GetEditingRecordIndex();
  // The verdicts are asked from the last record to the first, then the survivors close
  // up in one pass, keeping their order.
  std::vector<char> keep(FRecordList.size(), 1);
  for (size_t i = FRecordList.size(); i-- > 0;) {
    const Integer r = FRecordList[i];
    if (r == editing) continue;
    if (event && !c->DoFilterRecord(r))
      keep[i] = 0;
    else if (incremental && !c->CompareIncrementalFilterText(r))
      keep[i] = 0;
    else if (criteria && !c->DoFilterCriteriaRecord(r))
      keep[i] = 0;
  }
  size_t out = 0;
  for (size_t i = 0; i < FRecordList.size(); ++i)
    if (keep[i]) FRecordList[out++] = FRecordList[i];
  FRecordList.resize(out);
}

namespace {

// A record with the first sort key taken out of its buffer: small fixed-size values are
// copied, so that the sort reads them from one contiguous array instead of from a record
// buffer per compare; other values are reached through their prepared data pointer.
struct TKeyedRecord {
  Integer Record;
  bool Null;
  const void* Data;
  alignas(8) Byte Key[16];
  const void* Value() const { return Data ? Data : Key; }
};

}  // namespace

bool TcxCustomDataControllerInfo::SortByFirstKey() {
  TcxCustomDataController* c = FDataController;
  if (FSortInfo.empty() || FEditingRecord != kNoEditRecord || c->IsProviderMode()) return false;
  const TcxDataSortInfo first = FSortInfo.front();
  TcxValueDef* def = first.Field->GetValueDef();
  if (first.CompareKind != -1 || !def) return false;
  TcxValueTypeClass type = def->ValueTypeClass();
  const size_t size = size_t(std::max(type->GetDataSize(), 0));
  const bool copy = !type->IsString() && !type->InheritsFrom(TcxVariantValueType::StaticClass()) && size <= 16;
  std::vector<TKeyedRecord> keyed(FRecordList.size());
  const TcxDataStorage* storage = c->DataStorage();
  for (size_t i = 0; i < FRecordList.size(); ++i) {
    TKeyedRecord& k = keyed[i];
    k.Record = FRecordList[i];
    const void* p = nullptr;
    k.Null = storage->GetDataBuffer(k.Record, def, p) || !p;
    k.Data = nullptr;
    if (k.Null) continue;
    if (copy)
      std::memcpy(k.Key, p, size);
    else
      k.Data = p;
  }
  const bool descending = first.SortOrder == TcxDataSortOrder::soDescending;
  cxDataSort::Sort(keyed, [&](const TKeyedRecord& a, const TKeyedRecord& b) {
    Integer r;
    if (a.Null || b.Null)
      r = a.Null == b.Null ? 0 : a.Null ? -1 : 1;
    else
      r = type->Compare(a.Value(), b.Value());
    if (r != 0) return descending ? (r < 0 ? 1 : -1) : r;
    // Equal first keys: the further entries, then storage order, as CompareRecords does.
    for (size_t e = 1; e < FSortInfo.size(); ++e) {
      const Integer next = c->CompareRecordsBySortOrder(a.Record, b.Record, FSortInfo[e]);
      if (next != 0) return next;
    }
    return c->CompareRecordIndexes(a.Record, b.Record);
  });
  for (size_t i = 0; i < keyed.size(); ++i) FRecordList[i] = keyed[i].Record;
  return true;
}

void TcxCustomDataControllerInfo::DoSort() {
  if (FDataController->IsGridMode() || FRecordList.empty()) return;
  PrepareSortInfo();
  try {
    if (FSortInfo.empty() && FEditingRecord == kNoEditRecord)
      std::sort(FRecordList.begin(), FRecordList.end());  // storage order
    else if (!SortByFirstKey())
      cxDataSort::Sort(FRecordList, [this](Integer a, Integer b) { return CompareRecords(a, b); });
  } catch (...) {
    ResetSortInfo();
    throw;
  }
  ResetSortInfo();
}

void TcxCustomDataControllerInfo::RebuildPositions() {
  FRecordPositions.assign(size_t(std::max<Integer>(FDataController->GetRecordCount(), 0)), -1);
  for (size_t i = 0; i < FRecordList.size(); ++i) {
    const Integer r = FRecordList[i];
    if (r >= 0 && size_t(r) < FRecordPositions.size()) FRecordPositions[size_t(r)] = Integer(i);
  }
}

void TcxCustomDataControllerInfo::Update() {
  TcxCustomDataController* c = FDataController;
  FInfoUpdating = true;
  const TcxDataControllerInfoChanges changes = FChanges;
  try {
    const bool summary = changes.Contains(dcicSummary) && !c->IsReading() && !c->IsDestroying();
    FEditingRecord = c->GetEditingRecordIndex();
    FEditingFollower = c->GetEditingFollowingRecordIndex();
    if (changes.Contains(dcicLoad)) {
      FRecordList.resize(size_t(std::max<Integer>(c->GetRecordCount(), 0)));
      std::iota(FRecordList.begin(), FRecordList.end(), 0);
      DoFilter();
    }
    if (summary && !c->SummaryCountsSelectedOnly()) c->CalculateFooterSummary();
    if (changes.Contains(dcicGrouping) || changes.Contains(dcicSorting)) DoSort();
    if (changes.Contains(dcicGrouping)) DoGrouping();
    RebuildPositions();
    // The focused record keeps its focus where it is still shown.
    if (FFocusingInfo.RecordIndex >= 0) {
      const Integer row = GetRowIndexByRecordIndex(FFocusingInfo.RecordIndex, false);
      if (row != FFocusingInfo.RowIndex) {
        FFocusingInfo.RowIndex = row;
        if (row < 0) FFocusingInfo.RecordIndex = -1;
        FChanges.Include(dcicFocusedRow);
      }
    }
    if (summary) c->CalculateGroupSummaries();
  } catch (...) {
    FInfoUpdating = false;
    FChanges = TcxDataControllerInfoChanges();
    throw;
  }
  FInfoUpdating = false;

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
  FChanges = TcxDataControllerInfoChanges();
  c->Change(out);
}

TL_DEFINE_CLASS(TcxSortingFieldList)
TL_DEFINE_CLASS(TcxGroupingFieldList)
TL_DEFINE_CLASS(TcxCustomDataControllerInfo)
