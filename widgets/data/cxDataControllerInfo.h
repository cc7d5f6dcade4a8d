// The row list of a data controller: the pending rebuild set, the update lock, the
// sorting and grouping field lists and the view-order record list, rebuilt in a fixed
// order (load, filter, sort) when the lock is released.
//
// Grouped items take part in the sort order ahead of the sorted ones; turning the sorted
// records into group rows is the group step's work, done by a descendant.
#pragma once

#include "widgets/data/cxDataControllerTypes.h"

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
  void AddChanges(TcxDataControllerInfoChanges AChanges) { FChanges += AChanges; }
  // What a reload request adds: load and summary, plus sorting and grouping when items
  // are sorted or grouped.
  void RefreshRequest();
  void SetSortOrderChanged() { FSortOrderChanged = true; }
  void SetGroupingChanged() { FGroupingChanged = true; }

  // ---- Sorting and grouping lists ----
  TcxSortingFieldList* SortingFieldList() const { return FSortingFieldList; }
  TcxGroupingFieldList* GroupingFieldList() const { return FGroupingFieldList; }
  // A field leaves both lists (it is being removed).
  void RemoveField(TcxCustomDataField* AField);

  // ---- Rows (without grouping a row is a position of the view-order list) ----
  Integer GetRowCount() const { return Integer(FRecordList.size()); }
  void CheckRowIndex(Integer ARowIndex) const;
  virtual TcxRowInfo GetRowInfo(Integer ARowIndex) const;
  // -1 when the record is filtered out (or not a record).
  virtual Integer GetRowIndexByRecordIndex(Integer ARecordIndex, bool AMakeVisible);
  Integer GetFilteredRecordCount() const { return Integer(FRecordList.size()); }
  // The record at a view-order position; -1 outside the list.
  Integer GetFilteredRecordIndex(Integer AIndex) const;
  // The view-order position of a record; -1 when it is filtered out.
  Integer GetFilteredIndexByRecordIndex(Integer ARecordIndex) const;

  // ---- Focus state kept for the notifications (moved by the focusing operations) ----
  struct TFocusingInfo {
    Integer RowIndex = -1;
    Integer RecordIndex = -1;
    bool Changed = false;
  };
  TFocusingInfo& FocusingInfo() { return FFocusingInfo; }
  TFocusingInfo& PrevFocusingInfo() { return FPrevFocusingInfo; }
  // The selected rows, in row order (none without a selection object).
  virtual Integer GetSelectedCount() const { return 0; }
  virtual Integer GetSelectedRowIndex(Integer) const { return -1; }

  // The record compare of the sort: the edited record keeps its place, then the
  // combined entries in turn, then storage order.
  Integer CompareRecords(Integer ARecordIndex1, Integer ARecordIndex2) const;

 protected:
  // The rebuild; see the order in the implementation.
  virtual void Update();
  virtual void DoFilter();
  virtual void DoSort();
  // Runs after the sort when grouping changed; the base has no group rows.
  virtual void DoGrouping() {}
  void PrepareSortInfo();
  void ResetSortInfo();

  TcxCustomDataController* FDataController;
  TcxDataControllerInfoChanges FChanges;
  Integer FLockCount = 0;
  bool FInfoUpdating = false;
  bool FSortOrderChanged = false;
  bool FGroupingChanged = false;
  TcxSortingFieldList* FSortingFieldList = nullptr;
  TcxGroupingFieldList* FGroupingFieldList = nullptr;
  std::vector<TcxDataSortInfo> FSortInfo;  // the combined list, while sorting
  std::vector<Integer> FRecordList;        // view order
  std::vector<Integer> FRecordPositions;   // record index -> view-order position, -1 filtered out
  TFocusingInfo FFocusingInfo;
  TFocusingInfo FPrevFocusingInfo;
  // The edited record and the record that followed it when editing began (-1: it was last).
  Integer FEditingRecord = kNoEditRecord;
  Integer FEditingFollower = -1;

 private:
  void RebuildPositions();
  // The sort when the first key is compared straight from the buffers; False when the
  // general sort must run.
  bool SortByFirstKey();
};
