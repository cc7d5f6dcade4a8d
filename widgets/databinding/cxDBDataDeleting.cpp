// The data-set provider's deletions: the focused record, and a list of records reached by
// their bookmarks, by the data set's search for their keys, or by one walk where nothing
// else serves; every data-set call watched for a handler freeing what the deletion uses.
#include "widgets/databinding/cxDBData.h"

#include "classlib/core/ScopeGuards.h"
#include "widgets/databinding/cxDBDataGuards.h"

#include <algorithm>
#include <unordered_map>

using enum TcxDataChange;
using enum TcxDataControllerChange;
using enum TDataSetState;

namespace {

// Deletes the records of AList (ascending) through their bookmarks AMarks, last record first
// (the data set's storage then moves one way); a record gone meanwhile is skipped and counted
// in ASkipped. AStepped is told after each data-set call the change count before it and the
// changes the call made itself (0 or 1); false from it (a handler freed something) ends the
// deletion and is returned. The records deleted go into ADeleted.
template <class F>
bool DeleteBookmarked(TDataSet* ADataSet, const std::vector<Integer>& AList,
                      const std::vector<TBookmarkStr>& AMarks, std::vector<Integer>& ADeleted,
                      Integer& ASkipped, F AStepped) {
  for (size_t i = AMarks.size(); i-- > 0;) {
    UInt64 before = ADataSet->ChangeCount();
    const bool valid = ADataSet->BookmarkValid(AMarks[i]);
    if (!AStepped(before, 0)) return false;
    if (!valid) {
      ++ASkipped;
      continue;
    }
    ADataSet->GotoBookmark(AMarks[i]);
    if (!AStepped(before, 0)) return false;
    before = ADataSet->ChangeCount();
    ADataSet->Delete();
    if (!AStepped(before, 1)) return false;
    ADeleted.push_back(AList[i]);
  }
  return true;
}

// A key value (or an array of them) as one text, for finding equal keys by hashing.
String KeyText(const Variant& AValue) {
  if (VarIsArray(AValue)) {
    String r;
    for (Integer i = VarArrayLowBound(AValue, 1); i <= VarArrayHighBound(AValue, 1); ++i)
      r += KeyText(VarArrayGet(AValue, i)) + '\x1F';
    return r;
  }
  if (VarIsNull(AValue) || VarIsEmpty(AValue)) return String(1, '\x1E');
  return VarToStr(AValue);
}

// Whether the data set's exact search for a value of these key fields answers from its key
// index: one stored field of texts or whole numbers, and no filter handler (which may decide
// on anything).
bool SearchedByIndex(const TDataSet* ADataSet, const std::vector<TField*>& AKeys) {
  if (AKeys.size() != 1 || ADataSet->OnFilterRecord || AKeys[0]->FieldKind() != TFieldKind::fkData)
    return false;
  switch (AKeys[0]->DataType()) {
    case TFieldType::ftString: case TFieldType::ftFixedChar: case TFieldType::ftWideString:
    case TFieldType::ftSmallint: case TFieldType::ftInteger: case TFieldType::ftWord:
    case TFieldType::ftAutoInc: case TFieldType::ftLargeint:
      return true;
    default:
      return false;
  }
}

}  // namespace

using namespace cxDBDataGuards;

void TcxDBDataProvider::DeleteFocused() {
  TcxDBDataController* c = DBDataController();
  TDataSet* ds = DataSet();
  const Integer focused = c->GetFocusedRecordIndex();
  if (!ds || focused < 0) return;
  {
    // Refused (the record is gone): the focus stays where it is.
    TWatchedScopeExit keepFocus(this, [this] { FDeletingFocusRecordIndex = -1; });
    if (!StandOnRecord(focused)) return;
    keepFocus.Release();
  }
  const bool smart = IsSmartRefreshActive();
  Integer next = DeletingFocusRecordIndex();
  // The delete and the move after it run the data set's handlers, which may free the data
  // set, its source or the controller: nothing more is done then.
  TStepWatch<TcxDBDataProvider> watch(this, ds);
  FRereadAfterDeletion = false;
  {
    auto controls = ControlsDisabled(ds);
    const UInt64 before = ds->ChangeCount();
    ds->Delete();
    if (!watch.Alive()) return;
    // A handler that changed the data set besides has it read again.
    if (ds->ChangeCount() != before + 1) FRereadAfterDeletion = true;
    // The stored record goes while the data set's notice still waits, so that the notice
    // finds both holding the same records.
    if (smart && !FRereadAfterDeletion && focused < c->GetRecordCount()) {
      c->DeleteRecord(focused);
      if (next > focused) --next;
    }
    if (next >= 0 && next < c->GetRecordCount() && next != focused) {
      // Without keys the data set is moved by places: the deleted record is gone from
      // the data set but (outside smart refresh) still in the storage.
      if (!smart && !c->IdentifiesRecordsByKey() && next > focused) --next;
      c->FocusRecordInDataSet(next);
    }
  }
  if (!watch.Alive()) return;
  if (smart && !FRereadAfterDeletion)
    c->ResetFocusing();
  else
    // The records were read again without the deleted one: the record to focus moved up.
    ShiftDeletingFocus({focused});
}

void TcxDBDataProvider::DeleteRecords(const std::vector<Integer>& AList) {
  TcxDBDataController* c = DBDataController();
  TDataSet* ds = DataSet();
  if (!ds || AList.empty()) return;
  // Each step runs the data set's handlers, which may free the data set, its source or the
  // controller: the deleting stops there, and what it deleted stays deleted.
  TStepWatch<TcxDBDataProvider> watch(this, ds);
  auto controls = ControlsDisabled(ds);
  if (c->IdentifiesRecordsByKey()) {
    FRereadAfterDeletion = false;
    std::vector<Integer> stored;
    if (!DeleteRecordsByKey(AList, stored) || !watch.Alive()) return;
    std::sort(stored.begin(), stored.end());
    stored.erase(std::unique(stored.begin(), stored.end()), stored.end());
    if (IsSmartRefreshActive() && !FRereadAfterDeletion) {
      // The stored records go while the data set's notice still waits.
      auto bracket = UpdateBracket(c);
      DeleteStoredRecords(stored);
      // The data set stands after the last record deleted, the first in record order, whose
      // record mostly followed it in the storage too: a guess the focus checks by key before
      // it searches.
      if (!stored.empty()) SetCurrentRecordIndex(stored.front());
      c->ResetFocusing();
    } else {
      // Read again without the deleted records, the storage moved the record to focus up.
      ShiftDeletingFocus(stored);
    }
    return;
  }
  // By position: record index i is the data set's i-th record. Leaving an edit first
  // (CanFocusRecord) may move records to other places (a posted record the filter hides,
  // records read again): the listed ones are then found by their bookmarks, when known.
  const std::vector<TBookmarkStr> marks = RecordBookmarksOf(AList);
  if (!c->CanFocusRecord(AList.back()) || !watch.Alive()) return;
  if (!marks.empty()) {
    std::vector<Integer> deleted;
    Integer skipped = 0;
    if (!DeleteBookmarked(ds, AList, marks, deleted, skipped,
                          [&](UInt64, UInt64) { return watch.Alive(); }))
      return;
    ShiftDeletingFocus(AList);
    return;
  }
  Integer previous = AList.back();
  const Integer last = c->GetRecordCount() - 1;
  for (size_t i = AList.size(); i-- > 0;) {
    const Integer r = AList[i];
    if (i + 1 < AList.size()) ds->MoveBy(r - previous + (previous == last ? 1 : 0));
    if (!watch.Alive()) return;
    ds->Delete();
    if (!watch.Alive()) return;
    previous = r;
  }
  ShiftDeletingFocus(AList);
}

// Each listed record is reached by its bookmark where every one has a bookmark: records
// sharing a key (or without one) are told apart so. Otherwise each deletes the first
// data-set record with its key, as a walk of the data set from its first record finds them.
// The records deleted go into AStored. Smart refresh takes them out of the storage itself,
// which is sound only where the record deleted is the one listed: a bookmark gone meanwhile,
// or a key the data set still holds after deleting by key, has the controller read the data
// set again. False when a handler freed the data set, its source or the controller.
bool TcxDBDataProvider::DeleteRecordsByKey(const std::vector<Integer>& AList,
                                           std::vector<Integer>& AStored) {
  TcxDBDataController* c = DBDataController();
  TDataSet* ds = DataSet();
  TStepWatch<TcxDBDataProvider> watch(this, ds);
  // A step that changed the data set by more than it did itself ran a handler that changed
  // it: the controller reads it again.
  auto stepped = [&](UInt64 ABefore, UInt64 AOwn) {
    if (!watch.Alive()) return false;
    if (ds->ChangeCount() != ABefore + AOwn) FRereadAfterDeletion = true;
    return true;
  };
  const std::vector<TBookmarkStr> marks = RecordBookmarksOf(AList);
  if (!marks.empty()) {
    Integer skipped = 0;
    if (!DeleteBookmarked(ds, AList, marks, AStored, skipped, stepped)) return false;
    if (skipped > 0) FRereadAfterDeletion = true;  // gone behind the controller's back
    return true;
  }
  std::vector<TcxCustomDataField*> keys;
  c->GetKeyFields(keys);
  const std::vector<TField*> dbKeys = c->GetKeyDBFields();
  const bool smart = IsSmartRefreshActive();
  if (SearchedByIndex(ds, dbKeys)) {
    // Each record is reached by the data set's search by key. Last record first, which is
    // mostly the data set's order backwards: its storage then moves one way, from the end
    // (where appended records leave room) down, not first all the way to the first record
    // deleted and then back up. A key held by several records still deletes its first ones.
    std::vector<Integer> list(AList);
    std::sort(list.begin(), list.end(), std::greater<>());
    const String name = dbKeys[0]->FieldName();
    ds->ExpectSearches(name, Integer(list.size()) * (smart ? 2 : 1));
    for (Integer record : list) {
      const Variant key = c->GetFieldValues(record, keys);
      UInt64 before = ds->ChangeCount();
      const bool found = ds->Locate(name, key, {});
      if (!stepped(before, 0)) return false;
      if (!found) continue;
      before = ds->ChangeCount();
      ds->Delete();
      if (!stepped(before, 1)) return false;
      AStored.push_back(record);
    }
    if (!smart || FRereadAfterDeletion) return true;
    for (Integer record : AStored) {
      const Variant key = c->GetFieldValues(record, keys);
      // The search for a Null key finds a Null either way.
      if (VarIsNull(key) || VarIsEmpty(key)) {
        FRereadAfterDeletion = true;
        break;
      }
      const UInt64 before = ds->ChangeCount();
      const bool left = !VarIsNull(ds->Lookup(name, key, name));
      if (!stepped(before, 0)) return false;
      if (left) {
        FRereadAfterDeletion = true;
        break;
      }
    }
    return true;
  }
  // No index serves: one walk over the data set finds every listed key, instead of one
  // search per record.
  std::unordered_map<String, std::vector<Integer>> wanted;
  for (size_t i = AList.size(); i-- > 0;)
    wanted[KeyText(c->GetFieldValues(AList[i], keys))].push_back(AList[i]);
  size_t remaining = AList.size();
  Integer count = ds->RecordCount();
  if (!watch.Alive()) return false;
  Integer place = 0;
  UInt64 before = ds->ChangeCount();
  ds->First();
  if (!stepped(before, 0)) return false;
  // Smart refresh walks on past the last listed key to see that no record of one is left.
  while (place < count && (remaining > 0 || (smart && !FRereadAfterDeletion))) {
    auto it = wanted.find(KeyText(cxGetFieldValues(dbKeys)));
    if (it == wanted.end() || it->second.empty()) {
      if (it != wanted.end()) FRereadAfterDeletion = true;
      before = ds->ChangeCount();
      ds->Next();
      if (!stepped(before, 0)) return false;
      ++place;
      continue;
    }
    const Integer record = it->second.back();
    it->second.pop_back();
    --remaining;
    before = ds->ChangeCount();
    ds->Delete();
    if (!stepped(before, 1)) return false;
    --count;
    AStored.push_back(record);
  }
  return true;
}

void TcxDBDataProvider::BeginDeleting(const std::vector<Integer>& AGoing) {
  inherited::BeginDeleting(AGoing);
  ++FDeletingDepth;
}

void TcxDBDataProvider::EndDeleting() {
  if (FDeletingDepth > 0) --FDeletingDepth;
  TcxDBDataController* c = DBDataController();
  const Integer r = DeletingFocusRecordIndex();
  TWeakLink self(this);  // moving the data set runs its handlers, which may free the controller
  if (r >= 0 && r < c->GetRecordCount()) c->ChangeFocusedRecordIndex(r);
  if (!self.Alive()) return;
  inherited::EndDeleting();
}
