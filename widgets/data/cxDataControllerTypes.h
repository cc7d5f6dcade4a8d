// Shared types of the data controller: options, sort orders, the change sets of the
// controller and of its row list, row information, the "no record" values, the error
// texts and the notification objects sent to the controller's owner.
#pragma once

#include "classlib/core/Enums.h"
#include "classlib/core/Exceptions.h"
#include "classlib/core/Object.h"
#include "widgets/data/cxDataUtils.h"

#include <vector>

TL_ENUM(TcxDataControllerOption, dcoAnsiSort, dcoCaseInsensitive, dcoAssignGroupingValues, dcoAssignMasterDetailKeys,
        dcoSaveExpanding, dcoSortByDisplayText, dcoFocusTopRowAfterSorting, dcoGroupsAlwaysExpanded, dcoImmediatePost,
        dcoInsertOnNewItemRowFocusing);
using TcxDataControllerOptions = Set<TcxDataControllerOption>;

TL_ENUM(TcxDataSortOrder, soNone, soAscending, soDescending);

// Bit values are 1 << ordinal, as the stored 16-bit word holds them.
TL_ENUM(TcxDataControllerChange, dccLayout, dccData, dccFocus, dccSelection, dccDetail, dccSummary, dccSearch, dccSorting,
        dccGrouping, dccSyncMasterPos, dccBookmark, dccUpdateRecord);
using TcxDataControllerChanges = Set<TcxDataControllerChange>;

TL_ENUM(TcxDataChange, dcField, dcRecord, dcNew, dcDeleted, dcTotal);

TL_ENUM(TcxDataControllerInfoChange, dcicLoad, dcicGrouping, dcicSorting, dcicFocusedRow, dcicView, dcicExpanding,
        dcicResetFocusedRow, dcicSelection, dcicSummary, dcicFocusedRecord);
using TcxDataControllerInfoChanges = Set<TcxDataControllerInfoChange>;

TL_ENUM(TcxDataControllerDetailMode, dcdmNone, dcdmPattern, dcdmClone);
TL_ENUM(TcxDataControllerEditKind, dceInsert, dceEdit, dceChanging, dceModified);
using TcxDataControllerEditState = Set<TcxDataControllerEditKind>;
TL_ENUM(TcxDataControllerEditOperation, dceoAppend, dceoDelete, dceoEdit, dceoInsert, dceoShowEdit);
using TcxDataControllerEditOperations = Set<TcxDataControllerEditOperation>;

// A row or record index meaning none.
inline constexpr Integer kNoRecord = -1;
// The current or editing record when there is none.
inline constexpr Integer kNoEditRecord = -2147483647;

// A row: its level (the number of grouped items for a data row), whether it is an
// expanded group row, its position in the view-order record list and that record.
struct TcxRowInfo {
  Integer Level = 0;
  bool Expanded = false;
  Integer FilteredIndex = -1;
  Integer RecordIndex = -1;
};

extern const TResStringRec cxSDataRecordIndexError;
extern const TResStringRec cxSDataItemIndexError;
extern const TResStringRec cxSDataRowIndexError;
extern const TResStringRec cxSDataItemExistError;
extern const TResStringRec cxSDataInvalidStreamFormat;
extern const TResStringRec cxSDataReadError;
extern const TResStringRec cxSDataProviderModeError;

// Raises EcxInvalidDataControllerOperation with the (possibly overridden) resource text.
[[noreturn]] void cxDataControllerError(const TResStringRec& AResString);

// ---- Notification objects (sent through OnUpdateControl, freed right after) ----

class TcxUpdateControlInfo : public TObject {
  TL_CLASS(TcxUpdateControlInfo, TObject)
};

class TcxDataChangedInfo : public TcxUpdateControlInfo {
  TL_CLASS(TcxDataChangedInfo, TcxUpdateControlInfo)
 public:
  TcxDataChangedInfo(TcxDataChange AKind, Integer AItemIndex, Integer ARecordIndex)
      : Kind(AKind), ItemIndex(AItemIndex), RecordIndex(ARecordIndex) {}
  TcxDataChange Kind;
  Integer ItemIndex;
  Integer RecordIndex;
};

class TcxLayoutChangedInfo : public TcxUpdateControlInfo {
  TL_CLASS(TcxLayoutChangedInfo, TcxUpdateControlInfo)
};

class TcxUpdateRecordInfo : public TcxUpdateControlInfo {
  TL_CLASS(TcxUpdateRecordInfo, TcxUpdateControlInfo)
 public:
  explicit TcxUpdateRecordInfo(Integer ARecordIndex) : RecordIndex(ARecordIndex) {}
  Integer RecordIndex;
};

class TcxFocusedRowChangedInfo : public TcxUpdateControlInfo {
  TL_CLASS(TcxFocusedRowChangedInfo, TcxUpdateControlInfo)
 public:
  TcxFocusedRowChangedInfo(Integer APrevFocusedRowIndex, Integer AFocusedRowIndex)
      : FocusedRowIndex(AFocusedRowIndex), PrevFocusedRowIndex(APrevFocusedRowIndex) {}
  Integer FocusedRowIndex;
  Integer PrevFocusedRowIndex;
};

class TcxFocusedRecordChangedInfo : public TcxUpdateControlInfo {
  TL_CLASS(TcxFocusedRecordChangedInfo, TcxUpdateControlInfo)
 public:
  TcxFocusedRecordChangedInfo(Integer APrevFocusedRecordIndex, Integer AFocusedRecordIndex, Integer APrevFocusedRowIndex,
                              Integer AFocusedRowIndex, bool ANewItemRowFocusingChanged)
      : PrevFocusedRecordIndex(APrevFocusedRecordIndex),
        FocusedRecordIndex(AFocusedRecordIndex),
        FocusedRowIndex(AFocusedRowIndex),
        PrevFocusedRowIndex(APrevFocusedRowIndex),
        NewItemRowFocusingChanged(ANewItemRowFocusingChanged) {}
  Integer PrevFocusedRecordIndex;
  Integer FocusedRecordIndex;
  Integer FocusedRowIndex;
  Integer PrevFocusedRowIndex;
  bool NewItemRowFocusingChanged;
};

class TcxSelectionChangedInfo : public TcxUpdateControlInfo {
  TL_CLASS(TcxSelectionChangedInfo, TcxUpdateControlInfo)
 public:
  // No rows means that any row may have changed.
  std::vector<Integer> RowIndexes;
  Integer GetCount() const { return Integer(RowIndexes.size()); }
  Integer GetRowIndex(Integer AIndex) const { return RowIndexes.at(size_t(AIndex)); }
};

class TcxSearchChangedInfo : public TcxUpdateControlInfo {
  TL_CLASS(TcxSearchChangedInfo, TcxUpdateControlInfo)
};

class TcxBookmarkChangedInfo : public TcxUpdateControlInfo {
  TL_CLASS(TcxBookmarkChangedInfo, TcxUpdateControlInfo)
};
