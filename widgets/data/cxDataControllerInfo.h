// The row list of a data controller: the pending rebuild set, the update lock, the
// sorting and grouping field lists, the view-order record list and the groups over it,
// rebuilt in a fixed order (load, filter, sort, group, number) when the lock is
// released; and the focus and selection that follow the rows through every rebuild.
#pragma once

#include "widgets/data/cxDataControllerTypes.h"
#include "widgets/data/cxDataGroups.h"
#include "widgets/data/cxDataSelection.h"

#include <vector>

class TcxCustomDataController;
class TcxCustomDataField;
class TcxCustomDataControllerInfo;

// One entry of a sort: CompareKind is cached while a sort runs: -1 stored values are
// compared directly, 1 fetched values, 2 display texts.
struct TcxDataSortInfo {
  TcxCustomDataField* Field = nullptr;
  TcxDataSortOrder SortOrder = TcxDataSortOrder::soNone;
  Integer CompareKind = 0;
};

// One focusing state; the controller info keeps the current and the previous one, copied
// whole. LastCommittedRecordIndex is the focused record the owner was last told of (set
// when the focus notification is sent), so that within an update bracket it still names
// the record the owner shows as focused while RecordIndex has moved on.
struct TcxDataFocusingInfo {
  Integer RowIndex = -1;
  Integer RecordIndex = -1;
  Integer Level = -1;
  Integer LastCommittedRecordIndex = -1;
  bool Changed = false;
};

class TcxSortingFieldList : public TObject {
  TL_CLASS(TcxSortingFieldList, TObject)
 public:
  explicit TcxSortingFieldList(TcxCustomDataControllerInfo* AInfo) : FInfo(AInfo) {}

  // Adds at the end (unless soNone), changes the order, or removes with soNone.
  void ChangeSorting(TcxCustomDataField* AField, TcxDataSortOrder ASortOrder);
  void Clear();
  Integer Count() const { return Integer(FItems.size()); }
  const TcxDataSortInfo& Items(Integer AIndex) const { return FItems.at(size_t(AIndex)); }
  Integer IndexOf(const TcxCustomDataField* AField) const;
  void Move(Integer ACurIndex, Integer ANewIndex);
  void Remove(const TcxCustomDataField* AField);
  // Sets the order of the entry of AField without reporting a change.
  void SetSortOrder(Integer AIndex, TcxDataSortOrder ASortOrder) { FItems.at(size_t(AIndex)).SortOrder = ASortOrder; }

 protected:
  virtual void Changed();
  TcxCustomDataControllerInfo* FInfo;
  std::vector<TcxDataSortInfo> FItems;
};

class TcxGroupingFieldList : public TcxSortingFieldList {
  TL_CLASS(TcxGroupingFieldList, TcxSortingFieldList)
 public:
  using TcxSortingFieldList::TcxSortingFieldList;
  // AGroupIndex >= 0 moves a present field to min(AGroupIndex, Count-1) or inserts an
  // absent one at min(AGroupIndex, Count), ascending; a negative index removes it.
  void ChangeGrouping(TcxCustomDataField* AField, Integer AGroupIndex);

 protected:
  void Changed() override;
};

class TcxCustomDataControllerInfo : public TObject {
  TL_CLASS(TcxCustomDataControllerInfo, TObject)
 public:
  explicit TcxCustomDataControllerInfo(TcxCustomDataController* ADataController);
  void BeforeDestruction() override;

  TcxCustomDataController* DataController() const { return FDataController; }

  // ---- Locking and rebuilding ----
  void BeginUpdate() { ++FLockCount; }
  // Lowers the lock; at 0 rebuilds when changes are pending.
  void EndUpdate();
  Integer LockCount() const { return FLockCount; }
  bool IsUpdating() const { return FInfoUpdating; }
  void CheckUpdate();
  TcxDataControllerInfoChanges Changes() const { return FChanges; }
  // Requests made while a rebuild runs (by an event handler) wait for the next one.
  void AddChanges(TcxDataControllerInfoChanges AChanges) {
    using enum TcxDataControllerInfoChange;
    // Anything that reorders rows asks for the whole rebuild.
    if (AChanges.Contains(dcicLoad) || AChanges.Contains(dcicSorting) ||
        AChanges.Contains(dcicGrouping)) {
      FMovedRecord = -1;
      FNarrowFilter = false;
    }
    if (FInfoUpdating)
      FDeferredChanges += AChanges;
    else
      FChanges += AChanges;
  }
  // What a reload request adds: load and summary, plus sorting and grouping when items
  // are sorted or grouped.
  void RefreshRequest();
  // A reload request for the values of one record: while nothing else is pending and the
  // rows are in the order of stored values, the rebuild moves just that record.
  void RecordValueRequest(Integer ARecordIndex);
  // Whether the rows are what a rebuild would give now and stay so for any subset of them:
  // nothing pending, the records unchanged since they were filtered, no record edited, the
  // order one of stored values that orders every subset alike. Then an incremental filter
  // whose text grew may narrow them (NarrowRequest) instead of filtering every record.
  bool CanNarrowFilter();
  void NarrowRequest();
  void SetSortOrderChanged() { FSortOrderChanged = true; }
  void SetGroupingChanged() { FGroupingChanged = true; }

  // ---- Sorting and grouping lists ----
  TcxSortingFieldList* SortingFieldList() const { return FSortingFieldList; }
  TcxGroupingFieldList* GroupingFieldList() const { return FGroupingFieldList; }
  // A field leaves both lists (it is being removed).
  void RemoveField(TcxCustomDataField* AField);

  // ---- Rows: group rows and the data rows of expanded deepest groups ----
  Integer GetRowCount() const;
  void CheckRowIndex(Integer ARowIndex) const;
  TcxRowInfo GetRowInfo(Integer ARowIndex) const;
  // -1 when the record is filtered out, or hidden in a collapsed group unless
  // AMakeVisible, which first expands every group on its path.
  Integer GetRowIndexByRecordIndex(Integer ARecordIndex, bool AMakeVisible);
  Integer GetFilteredRecordCount() const { return Integer(FRecordList.size()); }
  // The record at a view-order position; -1 outside the list.
  Integer GetFilteredRecordIndex(Integer AIndex) const;
  // The records in view order.
  const std::vector<Integer>& RecordList() const { return FRecordList; }
  // The view-order position of a record; -1 when it is filtered out.
  Integer GetFilteredIndexByRecordIndex(Integer ARecordIndex) const;

  // ---- Groups ----
  TcxDataGroups* Groups() const { return FGroups; }
  bool IsGrouped() const { return FGroupingFieldList->Count() > 0; }
  // The group shown by a group row; -1 for a data row or a bad row.
  Integer GetGroupIndexByRowIndex(Integer ARowIndex) const;
  // The group values of a group from the outermost level down to its own.
  std::vector<Variant> GetGroupPathValues(Integer AGroupIndex) const;
  // Sets the flag of the group (and of its descendants when ARecursive); rows are
  // numbered again at the rebuild.
  void ChangeExpanding(Integer AGroupIndex, bool AExpanded, bool ARecursive);
  // The group summary item by which groups are ordered (-1: none), and its order.
  Integer GroupSortingSummaryIndex() const { return FGroupSortingSummaryIndex; }
  TcxDataSortOrder GroupSortingSummaryOrder() const { return FGroupSortingSummaryOrder; }
  void SetGroupSorting(Integer ASummaryIndex, TcxDataSortOrder ASortOrder);
  void ExpandAll(bool AExpanded);

  // Remembers the expanded and selected groups by their values, for the next regroup.
  void SaveGroupStates(TcxDataExpandingInfoStates AStates);

  // ---- Focus ----
  TcxDataFocusingInfo& FocusingInfo() { return FFocusingInfo; }
  TcxDataFocusingInfo& PrevFocusingInfo() { return FPrevFocusingInfo; }
  // Clamped to -1..RowCount-1; a change adds dcicFocusedRow and dcicFocusedRecord.
  void ChangeFocusedRowIndex(Integer ARowIndex);
  // Clears the focused row and takes the controller's current record, whose row the
  // rebuild focuses again.
  void ResetFocusing();
  // Storage records went or came: the focus and the selection keep their records (the
  // focus of a deleted record keeps its row, which the rebuild settles). AList is sorted.
  // Without ASelection the selection is left alone: saved keys will bring it back.
  void RecordsDeleted(const std::vector<Integer>& AList, bool ASelection);
  void RecordInserted(Integer ARecordIndex, bool ASelection);

  // ---- Selection ----
  TcxDataSelection* Selection() const { return FSelection; }
  Integer GetSelectedCount() const;
  Integer GetSelectedRowIndex(Integer AIndex) const;
  bool IsRowSelected(Integer ARowIndex) const;
  void ChangeRowSelection(Integer ARowIndex, bool ASelected);
  void SelectRange(Integer AFromRowIndex, Integer AToRowIndex);

  // The record compare of the sort: the edited record keeps its place, then the
  // combined entries in turn, then storage order.
  Integer CompareRecords(Integer ARecordIndex1, Integer ARecordIndex2) const;

 protected:
  // The rebuild; see the order in the implementation.
  virtual void Update();
  virtual void DoFilter();
  // The rows kept for the incremental filter's shorter text filtered for its longer one, in
  // their order, from the storage's text index or by reading the kept rows' texts.
  void NarrowFilter();
  virtual void DoSort();
  // Builds the groups over the sorted records and gives remembered states back.
  virtual void DoGrouping();
  void ReindexSelection(bool ARegrouped);
  void SettleFocus();
  void SelectionChanged(TObject* Sender);
  void PrepareSortInfo();
  void ResetSortInfo();

  TcxCustomDataController* FDataController;
  TcxDataControllerInfoChanges FChanges;
  TcxDataControllerInfoChanges FDeferredChanges;
  Integer FLockCount = 0;
  bool FInfoUpdating = false;
  bool FNarrowFilter = false;       // the pending reload narrows the incremental filter
  Int64 FFilteredChangeCount = -1;  // the storage's change count the rows were filtered at
  bool FSortOrderChanged = false;
  bool FGroupingChanged = false;
  TcxSortingFieldList* FSortingFieldList = nullptr;
  TcxGroupingFieldList* FGroupingFieldList = nullptr;
  std::vector<TcxDataSortInfo> FSortInfo;  // the combined list, while sorting
  std::vector<Integer> FRecordList;        // view order
  std::vector<Integer> FRecordPositions;   // record index -> view-order position, -1 filtered out
  TcxDataFocusingInfo FFocusingInfo;
  TcxDataFocusingInfo FPrevFocusingInfo;
  TcxDataGroups* FGroups = nullptr;
  TcxDataExpandingInfos* FExpandingInfos = nullptr;
  TcxDataSelection* FSelection = nullptr;
  Integer FGroupSortingSummaryIndex = -1;
  TcxDataSortOrder FGroupSortingSummaryOrder = TcxDataSortOrder::soNone;
  // The edited record and the record that followed it when editing began (-1: it was last).
  Integer FEditingRecord = kNoEditRecord;
  Integer FEditingFollower = -1;
  // Left by the last sort that read its keys out of the buffers: for each view-order
  // position, the first of those keys on which the record differs from the one before
  // (FKeyBreakLevels when none); grouping reads its group breaks from it.
  std::vector<Byte> FKeyBreaks;
  Integer FKeyBreakLevels = 0;
  // The one record whose values changed since the last rebuild (-1: none, or more has changed).
  Integer FMovedRecord = -1;
  // The last rebuild left the rows as a sort by stored values of all records.
  bool FRowsInStoredOrder = false;

 private:
  // Whether the rows can be a sort by stored values alone (no filter, groups, edited
  // record, fetched values or user compare, keys in a consistent order); FSortInfo prepared.
  bool IsStoredOrder() const;
  // Takes the record out of the rows and puts it back where the sort would: binary
  // search, then the rows between shift by one.
  void MoveRecordIntoOrder(Integer ARecordIndex);
  void RebuildPositions();
  // The sort when the first key is compared straight from the buffers; False when the
  // general sort must run.
  bool SortByFirstKey();
  // The sort when the first key's texts are fetched (string options, display texts).
  bool SortByFetchedTexts();
};
