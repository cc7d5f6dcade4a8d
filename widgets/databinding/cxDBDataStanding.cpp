// The data set put on the record a row shows before the controller acts on the data set's
// current record (deleting it, editing it, inserting before it). Where the data set no longer
// holds that record, or its search lands on another one, the action is refused: it never
// goes to whatever record the data set happens to stand on.
#include "widgets/databinding/cxDBData.h"

#include "widgets/databinding/cxDBDataGuards.h"

using enum TDataSetState;
using namespace cxDBDataGuards;

const TResStringRec cxSDBRecordNotInDataSet = {63215, "The record is no longer in the data set"};

// The controller's own edit or deletion is of its record: the data set may stand elsewhere
// (where a clone's read left it, on a sibling's record, on one a filter hid and the focus
// left for the row now in its place, or anywhere after a change this view has not heard of),
// which the record's bookmark tells. An edit of another record under way is settled by the
// move, as by a focus change; an insert under way stands on no record and is left alone, as
// is the grid mode's window, whose rows are the data set's buffered records.
bool TcxDBDataProvider::StandOnRecord(Integer ARecordIndex, bool ARequired) {
  TDataSet* ds = DataSet();
  const bool onRecord = ds && (ds->State() == dsBrowse || ds->State() == dsEdit) && IsSyncMode();
  // No record (no row focused): the record the data set browses or edits is none a row shows,
  // and is left alone. An empty data set has none to leave alone (an edit there inserts one).
  if (ARecordIndex < 0) return !onRecord || ds->IsEmpty();
  if (!onRecord || IsGridMode()) return true;
  const TBookmarkStr mark = RecordBookmark(ARecordIndex);
  if (ds->BookmarkAvailable() &&
      (mark.empty() ? StandsOnUnmarkedRecord(ARecordIndex) : ds->Bookmark() == mark))
    return true;
  // Asking and moving run the data set's filter and scroll handlers.
  TStepWatch<TcxDBDataProvider> watch(this, ds);
  // A bookmark stays valid while its record exists: one that no longer finds it tells that
  // the record is gone (or hidden by the data set's filter), and nothing moves.
  bool standing = mark.empty() || ds->BookmarkValid(mark);
  if (!watch.Alive()) return false;
  if (standing) {
    const bool found = DBDataController()->FocusRecordInDataSet(ARecordIndex);
    if (!watch.Alive()) return false;
    standing = mark.empty() ? found && StandsOnUnmarkedRecord(ARecordIndex)
                            : StandsOnRecord(ARecordIndex, mark, found);
    if (!watch.Alive()) return false;
  }
  if (!standing && ARequired) cxDataControllerError(cxSDBRecordNotInDataSet);
  return standing;
}

// A record no bookmark is known for yet (one inserted, say): the data set's record is taken
// for it unless another row shows that record, or (with keys) it holds another key.
bool TcxDBDataProvider::StandsOnUnmarkedRecord(Integer ARecordIndex) {
  TDataSet* ds = DataSet();
  if (!ds->BookmarkAvailable()) return false;
  const Integer shown = BookmarkedRecordIndex(ds->Bookmark());
  if (shown >= 0 && shown != ARecordIndex) return false;
  TcxDBDataController* c = DBDataController();
  return !c->IdentifiesRecordsByKey() ||
         cxVariantsEqual(c->GetDataSetKeyValues(), c->GetRecordId(ARecordIndex));
}

// Whether the data set, moved towards the record with AMark (AFound: the controller's move
// says it arrived), stands on it. With keys the move ends on the record's bookmark where the
// record there still has the row's key, else on the first record holding that key: the
// record itself unless another row shows it (a record sharing the key). Without keys it moves
// by places, which are off when this view missed a change: the bookmark then finds it.
bool TcxDBDataProvider::StandsOnRecord(Integer ARecordIndex, const TBookmarkStr& AMark,
                                       bool AFound) {
  TDataSet* ds = DataSet();
  if (!ds->BookmarkAvailable()) return false;
  const TBookmarkStr current = ds->Bookmark();
  if (current == AMark) return true;
  if (DBDataController()->IdentifiesRecordsByKey()) {
    if (!AFound) return false;
    const Integer shown = BookmarkedRecordIndex(current);
    return shown < 0 || shown == ARecordIndex;
  }
  // Asking and moving run the data set's filter and scroll handlers: the caller watches.
  TStepWatch<TcxDBDataProvider> watch(this, ds);
  const bool valid = ds->BookmarkValid(AMark);
  if (!watch.Alive() || !valid) return false;
  ds->GotoBookmark(AMark);
  return watch.Alive() && ds->BookmarkAvailable() && ds->Bookmark() == AMark;
}
