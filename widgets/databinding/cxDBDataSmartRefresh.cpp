// Smart refresh of every posted record. The watched record is the one this controller
// edits; the data set may post others (an edit made straight on it, or through another
// control, of a record the controller's filter hides, or any edit while the controller does
// not follow the data set). Each post names its record's bookmark while its notices go out:
// that record is read again where the storage holds it, and the rows weigh it again, one
// record's cost instead of reading every record.
#include "widgets/databinding/cxDBData.h"

#include "classlib/core/ScopeGuards.h"
#include "widgets/databinding/cxDBDataGuards.h"

#include <algorithm>

using enum TDataSetState;
using cxDBDataGuards::TStepWatch;

namespace {

// Past this many posted records heard and not yet read again, reading every record costs
// less than reading them one by one.
size_t MaxPostedRecords(Integer ARecordCount) {
  return std::max<size_t>(64, size_t(std::max<Integer>(ARecordCount, 0)) / 16);
}

}  // namespace

void TcxDBDataProvider::EveryRecordRead() {
  FPostedMarks.clear();
  FPostedSet.clear();
  FPostedOverflow = false;
  TDataSet* ds = DataSet();
  FRecordsChangeCount = ds ? ds->RecordsChangeCount() : 0;
}

void TcxDBDataProvider::NotePostedRecord() {
  TDataSet* ds = DataSet();
  if (!ds || FPostedOverflow || !IsSmartRefreshActive()) return;
  const TBookmarkStr& mark = ds->PostedBookmark();
  if (mark.empty() || FPostedSet.count(mark)) return;
  if (FPostedMarks.size() >= MaxPostedRecords(DBDataController()->GetRecordCount())) {
    FPostedMarks.clear();
    FPostedSet.clear();
    FPostedOverflow = true;
    return;
  }
  FPostedMarks.push_back(mark);
  FPostedSet.insert(mark);
}

TBookmarkStr TcxDBDataProvider::WatchedBookmark() const {
  if (FWatchedRecordIndex == kNoEditRecord) return {};
  return RecordBookmark(FWatchedRecordIndex >= 0 ? FWatchedRecordIndex : FAppendedRecordIndex);
}

Integer TcxDBDataProvider::PostedRecordIndex(const TBookmarkStr& ABookmark) {
  TcxDBDataController* c = DBDataController();
  TDataSet* ds = DataSet();
  // Standing on the record, the data set gives its key, which the storage's key index finds;
  // the bookmark confirms it (the edit may have given the record another's key).
  Integer byKey = -1;
  if (ds->State() == dsBrowse && ds->BookmarkAvailable() && ds->Bookmark() == ABookmark) {
    Variant key;
    try {
      key = c->GetDataSetKeyValues();
    } catch (const EcxInvalidDataControllerOperation&) {
      key = Null();  // a key field not bound: the bookmark alone tells
    }
    TWeakLink controller(c);
    if (!VarIsNull(key) && !VarIsEmpty(key)) byKey = c->FindRecordIndexByKey(key);
    if (!controller.Alive()) return -1;
    if (byKey >= 0 && RecordBookmark(byKey) == ABookmark) return byKey;
  }
  // Records whose keys are shared or missing, or changed by the edit: the bookmark tells.
  const Integer marked = BookmarkedRecordIndex(ABookmark);
  if (marked >= 0) return marked;
  // A stored record without a bookmark, alone with the key, is the posted one.
  if (byKey >= 0 && RecordBookmark(byKey).empty() && !IsRecordKeyShared(byKey)) {
    SetRecordBookmark(byKey, ABookmark);
    return byKey;
  }
  return -1;
}

bool TcxDBDataProvider::SmartRefreshPosted(const TBookmarkStr& AReconciled) {
  if (FPostedMarks.empty()) return true;
  std::vector<TBookmarkStr> marks;
  marks.swap(FPostedMarks);
  FPostedSet.clear();
  TDataSet* ds = DataSet();
  if (!ds || !ds->Active() || IsGridMode()) return true;
  TcxDBDataController* c = DBDataController();
  // Reading values and searching keys run the data set's and the controller's handlers,
  // which may free the data set, its source or the controller: nothing more is done then.
  TStepWatch<TcxDBDataProvider> watch(this, ds);
  {
    // The rows are weighed once, when the bracket ends (whose handlers may free all too).
    auto bracket = UpdateBracket(c);
    for (const TBookmarkStr& mark : marks) {
      if (mark == AReconciled) continue;
      const Integer r = PostedRecordIndex(mark);
      if (!watch.Alive()) return false;
      if (r < 0) continue;
      // Hidden by the data set's filter now, or given another master: it goes from the
      // storage, as a full read would leave it out.
      const bool valid = ds->BookmarkValid(mark);
      if (!watch.Alive()) return false;
      const bool shown = valid && c->RereadRecordAt(r, mark);
      if (!watch.Alive()) return false;
      if (!shown) {
        c->DeleteRecord(r);
        if (!watch.Alive()) return false;
        continue;
      }
      c->ResetDetailsOfChangedKeys(r);
      if (!watch.Alive()) return false;
      c->RefreshRecordView(r);
      if (!watch.Alive()) return false;
    }
  }
  return watch.Alive();
}
