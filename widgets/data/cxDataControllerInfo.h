// The row list of a data controller: the pending rebuild set, the update lock, the
// sorting and grouping field lists, the view-order record list and the groups over it,
// rebuilt in a fixed order (load, filter, sort, group, number) when the lock is
// released; and the focus and selection that follow the rows through every rebuild.
#pragma once

#include "classlib/core/GapList.h"
#include "classlib/core/SysUtils.h"
#include "widgets/data/cxDataControllerTypes.h"
#include "widgets/data/cxDataGroups.h"
#include "widgets/data/cxDataSelection.h"

#include <vector>

class TcxCustomDataController;
class TcxCustomDataField;
class TcxCustomDataControllerInfo;
class TcxValueType;

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
  // Anything that may reorder rows beyond the records noted below asks for the whole
  // rebuild.
  void AddChanges(TcxDataControllerInfoChanges AChanges);
  // What a reload request adds: load and summary, plus sorting and grouping when items
  // are sorted or grouped.
  void RefreshRequest();
  // A reload request for the values of one record: the rebuild may find that record's
  // place alone (below).
  void RecordValueRequest(Integer ARecordIndex);
  // A reload request for records that came or went: those were noted on the way
  // (RecordsDeleted, RecordInserted, RecordAppended).
  void RecordsRequest();
  // A record was added at the end of the storage.
  void RecordAppended();
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
  Integer GetFilteredRecordCount() const { return Integer(RowListCount()); }
  // The record at a view-order position; -1 outside the list.
  Integer GetFilteredRecordIndex(Integer AIndex) const;
  // The records in view order.
  const std::vector<Integer>& RecordList() const {
    FlattenRows();
    return FRecordList;
  }
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
  // Without ASelection the selection is left alone: saved keys will bring it back. The
  // rebuild that follows moves the rows of just these records where it can.
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
  bool FRefocusing = false;         // a focus change goes to another row, its record gone
  bool FNarrowFilter = false;       // the pending reload narrows the incremental filter
  Int64 FFilteredChangeCount = -1;  // the storage's change count the rows were filtered at
  bool FSortOrderChanged = false;
  bool FGroupingChanged = false;
  TcxSortingFieldList* FSortingFieldList = nullptr;
  TcxGroupingFieldList* FGroupingFieldList = nullptr;
  std::vector<TcxDataSortInfo> FSortInfo;  // the combined list, while sorting
  // View order; see FRowPieces and FRecordShifts.
  mutable std::vector<Integer> FRecordList;
  // Records moved across the rows without the list being shifted: the rows in order are
  // these runs of FRecordList (none: FRecordList itself). They are laid flat again past a
  // few dozen runs, after many reads, and before anything else reads or changes the list.
  struct TRowPiece {
    Integer Start, Count;
  };
  mutable std::vector<TRowPiece> FRowPieces;
  mutable std::vector<Integer> FRowPieceEnds;  // each run's end among the rows
  mutable std::vector<Integer> FFlatScratch;   // the buffer the next flat list is laid in
  mutable Integer FPieceReads = 0;
  // Records inserted into or deleted from the storage since FRecordList's entries were
  // written, in order: an entry above Above takes Delta. An entry written since (fresh)
  // takes only the shifts logged after it. The rows read through them; FlattenRows writes
  // them into the list, and every reader of the list as a whole calls it first.
  struct TRecordShift {
    Integer Above, Delta;
  };
  struct TFreshEntry {
    size_t Slot;    // in FRecordList
    size_t Shifts;  // the log's length when it was written
  };
  mutable std::vector<TRecordShift> FRecordShifts;
  mutable std::vector<TFreshEntry> FFreshEntries;
  // Free slots of FRecordList where the last entry came or went, so that the next one there
  // moves no others; FlattenRows closes them up. Entries are known by their index among the
  // entries (slots of FRowPieces and FFreshEntries alike).
  mutable size_t FEntryGapStart = 0, FEntryGapSize = 0;
  size_t RowListCount() const { return FRecordList.size() - FEntryGapSize; }
  size_t SlotOfEntry(size_t AIndex) const {
    return AIndex < FEntryGapStart ? AIndex : AIndex + FEntryGapSize;
  }
  // Record index -> view-order position, -1 filtered out; see FStaleFirst.
  mutable TGapList<Integer> FRecordPositions;
  // Rows among which records moved without their positions being written (-1: none): a
  // record's stored position lies among them exactly when its row does. The records moved
  // keep exact positions; another one's is its stored one shifted as the shifts since say,
  // or, once they grew too many, found by renumbering those rows. The shifts are kept
  // composed, as what each stored position becomes: from each Start on (ascending, the first
  // 0) up to the next one, a position takes Delta. Shifts that undo one another (a row that
  // came and went, or moved and went back) add no steps.
  struct TRowShift {
    Integer Start, Delta;
  };
  mutable Integer FStaleFirst = -1;
  mutable Integer FStaleLast = -1;
  mutable std::vector<Integer> FExactRecords;
  mutable std::vector<TRowShift> FShifts;
  mutable bool FShiftsKept = true;
  mutable Integer FShiftedReads = 0;
  // The rows the positions follow while FRecordList holds another list for a moment.
  const std::vector<Integer>* FPositionedRows = nullptr;
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
  // ---- Rows kept up to date record by record (cxDataRowDelta.cpp) ----
  // What decides the rows besides the records' own values, as the last rebuild found it.
  struct TRowRules {
    std::vector<TcxDataSortInfo> Sort;
    std::vector<const TcxValueType*> SortTypes;  // the value type of each sort entry's field
    std::vector<TcxCustomDataField*> Grouping;
    TcxDataControllerOptions Options;
    bool Filtering = false;
    bool OtherFilters = false;  // the incremental filter or OnFilterRecord
    bool Compare = false;       // OnCompare
    bool Mode = false;          // grid or provider mode
    Integer GroupSorting = -1;  // the group summary ordering the groups
    TFormatSettings Formats;    // what the filter's operands were prepared with
  };
  // Records that came or went since the last rebuild, in order.
  struct TRowStep {
    std::vector<Integer> Deleted;  // sorted; empty for an insertion
    Integer Inserted = -1;
  };
  // The rows are what a rebuild of every record gave under FRowRules.
  bool FRowsComplete = false;
  // Every change since the last rebuild is one noted here.
  bool FDeltaValid = false;
  // A request arrived while the rebuild ran: the next one starts afresh.
  bool FDeltaBroken = false;
  std::vector<TRowStep> FRowSteps;
  std::vector<Integer> FTouchedRecords;  // changed or added since, numbered as now
  Integer FNotedRecordCount = 0;         // the record count the notes account for
  // The edited record and its follower as the rows hold them, numbered as now (-2: gone).
  Integer FRowsEditingRecord = kNoEditRecord;
  Integer FRowsEditingFollower = -1;
  TRowRules FRowRules;

 private:
  void RebuildPositions();
  // ---- Positions found when read, rows moved by runs (cxDataRowDelta.cpp) ----
  // The record's position: exact, shifted through the log, or the stale rows renumbered.
  Integer PositionOf(Integer ARecordIndex) const;
  void SettlePositions() const;
  void DropStaleRows() const;
  // The rows AFirst..ALast moved by ADelta, ARecordIndex (-1: none) to APosition (-1: out of
  // the rows).
  void ShiftedRows(Integer AFirst, Integer ALast, Integer ADelta, Integer ARecordIndex,
                   Integer APosition);
  // The rows AFirst..ALast moved by ADelta: composed with the shifts before.
  void ComposeShift(Integer AFirst, Integer ALast, Integer ADelta);
  // A record inserted at ARecordIndex (ADelta 1) or deleted there (-1): the records the
  // positions know by number follow.
  void RenumberExactRecords(Integer ARecordIndex, Integer ADelta);
  // One record deleted from the storage: its row goes, the rows after it move up.
  void DeleteRecordRow(Integer ARecordIndex);
  // The record at a view-order position, through the runs and the shifts of numbers.
  Integer RowAt(Integer APosition) const;
  // The list as the rows stand: in view order, every entry numbered as now.
  void FlattenRows() const;
  // Laid flat when moved by runs; the shifts of numbers may stay.
  void LayRunsFlat() const;
  // ---- Record numbers shifted when read (cxDataRowDelta.cpp) ----
  // The entry at ASlot of FRecordList, read as ARecord, numbered as now.
  Integer Renumbered(size_t ASlot, Integer ARecord) const;
  // Every entry above AAbove takes ADelta (records came or went in the storage).
  void ShiftRecordNumbers(Integer AAbove, Integer ADelta);
  // An entry written at ASlot, numbered as now, the later ones moved up; one taken out.
  void InsertEntry(size_t ASlot, Integer ARecord);
  void EraseEntry(size_t ASlot);
  void MoveEntryGap(size_t AIndex) const;
  void CloseEntryGap() const;
  void SettleRecordNumbers() const;
  // The record at AFrom moved to ATo (counted without it), by its runs.
  void MoveRow(Integer AFrom, Integer ATo);
  // The row at APosition gone, by its run when the rows are in runs.
  void EraseRow(Integer APosition);
  // Runs that continue one another joined; laid flat when one or too many.
  void JoinRowPieces();
  // Brings the groups' expanded and selected states back from the remembered ones, as a
  // regroup does, and numbers the rows.
  void RestoreGroupStates();
  // ---- Rows kept up to date record by record ----
  void InvalidateDelta();
  // The notes are dropped when the storage holds another number of records than noted.
  bool CheckNotedCount(Integer AExpected);
  void ResetDelta(bool AComplete);
  void NoteRecordsDeleted(const std::vector<Integer>& AList);
  void NoteRecordInserted(Integer ARecordIndex);
  TRowRules CurrentRowRules() const;
  bool MatchesRowRules() const;
  // Whether the pending rebuild may be done from the noted records; FSortInfo prepared.
  bool CanApplyDelta(TcxDataControllerInfoChanges AChanges) const;
  // The noted deletions and insertions applied to the rows and positions.
  void ApplyRowSteps();
  // The noted records put where a rebuild would; False when that cannot be shown (groups
  // would change), and the rebuild must run.
  bool ApplyDelta();
  // One record put where a rebuild would, or taken out; False as for ApplyDelta.
  bool PlaceRecord(Integer ARecordIndex, bool AKeep);
  // The place among the rows (the row AExcludedPosition left out) a sort gives the record.
  Integer FindRowPlace(Integer ARecordIndex, Integer AExcludedPosition) const;
  // Grouped: the record moving from row position AFrom to ATo (counted without it) stays
  // in its group, and every group keeps its rows.
  bool KeepsGroups(Integer ARecordIndex, Integer AFrom, Integer ATo) const;
  // Grouped: the one record noted deleted leaves the groups as they are, but for the rows
  // after it; False when its group goes with it.
  bool DeleteFromGroups();
  // The footer over the rows in storage order, as a rebuild computes it before sorting.
  void CalculateFooterInStorageOrder();
  // The sort when the first key is compared straight from the buffers; False when the
  // general sort must run.
  bool SortByFirstKey();
  // The sort when the first key's texts are fetched (string options, display texts).
  bool SortByFetchedTexts();
  // The records in storage order again.
  void SortByStorageOrder();
};
