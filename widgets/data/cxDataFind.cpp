#include "widgets/data/cxDataFind.h"

#include "classlib/core/ScopeGuards.h"
#include "widgets/data/cxDataController.h"
#include "widgets/data/cxDataUtils.h"

#include <algorithm>

// ---- Incremental search ----

Integer TcxDataControllerSearch::ItemIndex() const {
  return FSearchField && FSearchField->Item() ? FSearchField->GetIndex() : -1;
}

void TcxDataControllerSearch::DoFocusRecord(Integer AFilteredIndex) {
  TcxCustomDataController* c = FDataController;
  // Moving the focus may move a cursor whose handlers free the controller, and this search
  // with it.
  auto locked = WatchedPairedCall(
      c, [this] { Lock(); }, [this] { Unlock(); });
  const Integer before = c->GetFocusedRecordIndex();
  c->ChangeFocusedRecordIndex(c->GetFilteredRecordIndex(AFilteredIndex));
  if (!locked.Alive()) return;
  // Inside a caller's bracket the focus notice goes out when the bracket closes, no longer
  // under this lock.
  if (c->LockCount() > 0 && c->GetFocusedRecordIndex() != before)
    FOwnFocusRecord = c->GetFocusedRecordIndex();
  if (c->IsMultiSelect()) {
    auto bracket = UpdateBracket(c);
    c->ClearSelection();
    if (c->GetFocusedRowIndex() >= 0) c->ChangeRowSelection(c->GetFocusedRowIndex(), true);
  } else if (c->GetFocusedRowIndex() >= 0) {
    // The focus may have stayed where it was, on a row taken out of the selection.
    c->SetFocusedSelected(true);
  }
}

Integer TcxDataControllerSearch::DoSearch(Integer AStartFilteredIndex, Integer AEndFilteredIndex, bool AForward,
                                          const String& AText) {
  TcxCustomDataController* c = FDataController;
  if (!FSearchField) return -1;
  const Integer count = c->GetFilteredRecordCount();
  if (AEndFilteredIndex == -1) AEndFilteredIndex = AForward ? count - 1 : 0;
  const Integer step = AForward ? 1 : -1;
  for (Integer i = AStartFilteredIndex; AForward ? i <= AEndFilteredIndex : i >= AEndFilteredIndex; i += step) {
    if (i < 0 || i >= count) break;
    String text;
    try {
      text = c->GetDisplayText(c->GetFilteredRecordIndex(i), FSearchField);
    } catch (const Exception&) {
      continue;  // a value without a text matches nothing
    }
    if (cxTextMatches(text, AText, true)) return i;
  }
  return -1;
}

bool TcxDataControllerSearch::Locate(Integer AItemIndex, const String& AText) {
  TcxCustomDataController* c = FDataController;
  if (AText.empty() || c->GetFilteredRecordCount() == 0) return false;
  FSearchField = c->GetItemField(AItemIndex);
  if (c->IsGridMode()) {
    if (!c->GridModeSearch(AText, true, false)) return false;
  } else {
    Integer start = c->GetFilteredIndexByRecordIndex(c->GetFocusedRecordIndex());
    if (start < 0) start = 0;
    Integer found = DoSearch(start, -1, true, AText);
    // From the top only when the search did not start there.
    if (found < 0 && start > 0) found = DoSearch(0, start - 1, true, AText);
    if (found < 0) return false;
    TWeakLink controller(c);
    DoFocusRecord(found);
    if (!controller.Alive()) return false;
  }
  FSearching = true;
  FSearchText = AText;
  c->Change({TcxDataControllerChange::dccSearch});
  return true;
}

bool TcxDataControllerSearch::LocateNext(bool AForward) {
  TcxCustomDataController* c = FDataController;
  if (!FSearching || FSearchText.empty() || !FSearchField || c->GetFilteredRecordCount() == 0) return false;
  if (c->IsGridMode()) return c->GridModeSearch(FSearchText, AForward, true);
  const Integer current = c->GetFilteredIndexByRecordIndex(c->GetFocusedRecordIndex());
  if (current < 0) return false;
  const Integer start = current + (AForward ? 1 : -1);
  if (start < 0 || start >= c->GetFilteredRecordCount()) return false;
  const Integer found = DoSearch(start, -1, AForward, FSearchText);
  if (found < 0) return false;
  TWeakLink controller(c);
  DoFocusRecord(found);
  return controller.Alive();
}

void TcxDataControllerSearch::Cancel() {
  if (IsLocked() || !FSearching) return;
  FSearchText.clear();
  FSearching = false;
  FDataController->Change({TcxDataControllerChange::dccSearch});
}

bool TcxDataControllerSearch::TakeOwnFocusChange() {
  const Integer own = FOwnFocusRecord;
  FOwnFocusRecord = -1;
  return own >= 0 && own == FDataController->GetFocusedRecordIndex();
}

void TcxDataControllerSearch::FieldRemoved(TcxCustomDataField* AField) {
  if (FSearchField != AField) return;
  const Integer locks = FLockCount;
  FLockCount = 0;
  Cancel();
  FLockCount = locks;
  FSearchField = nullptr;
}

// ---- Readers ----

Variant TcxValueDefUnboundReader::GetValue(TcxValueDef* AValueDef) {
  auto* field = static_cast<TcxCustomDataField*>(AValueDef->Link());
  for (size_t i = 0; i < FFields.size(); ++i)
    if (FFields[i] == field) return FValues[i];
  return Unassigned();
}

bool TcxValueDefUnboundReader::IsInternal(TcxValueDef* AValueDef) {
  auto* field = static_cast<TcxCustomDataField*>(AValueDef->Link());
  return !field || field->IsInternal();
}

void TcxValueDefUnboundReader::SetValue(TcxCustomDataField* AField, const Variant& AValue) {
  for (size_t i = 0; i < FFields.size(); ++i)
    if (FFields[i] == AField) {
      FValues[i] = AValue;
      return;
    }
  FFields.push_back(AField);
  FValues.push_back(AValue);
}

String TcxValueDefRecordReader::GetDisplayText(TcxValueDef* AValueDef) {
  auto* field = static_cast<TcxCustomDataField*>(AValueDef->Link());
  return field && !field->IsInternal() ? FDataController->GetDisplayText(FRecordIndex, field) : String();
}

Variant TcxValueDefRecordReader::GetValue(TcxValueDef* AValueDef) {
  auto* field = static_cast<TcxCustomDataField*>(AValueDef->Link());
  return field ? FDataController->GetValue(FRecordIndex, field) : Unassigned();
}

bool TcxValueDefRecordReader::IsInternal(TcxValueDef* AValueDef) {
  auto* field = static_cast<TcxCustomDataField*>(AValueDef->Link());
  return !field || field->IsInternal();
}

// ---- Locate objects ----

TcxDataControllerLocateObject::TcxDataControllerLocateObject(TcxCustomDataController* ADataController)
    : FDataController(ADataController), FControllerLink(ADataController) {}

void TcxDataControllerLocateObject::BeforeDestruction() {
  ReleaseRecord();
  inherited::BeforeDestruction();
}

void TcxDataControllerLocateObject::ReleaseRecord() {
  if (FRecordIndex >= 0) return;
  // Gone with the controller (a compare handler freed it): nothing left to delete.
  if (!FControllerLink.Alive()) {
    FRecordIndex = 0;
    return;
  }
  const Integer record = FRecordIndex;
  FRecordIndex = 0;
  FDataController->DataStorage()->DeleteRecord(record);
}

bool TcxDataControllerLocateObject::ReadData(TcxValueDefReader* AValueDefReader) {
  TcxDataStorage* storage = FDataController->DataStorage();
  if (FRecordIndex >= 0) FRecordIndex = storage->AddInternalRecord();
  // A controller may keep some values out of its storage except while a record is read.
  TcxCustomDataController* c = FDataController;
  auto reading = WatchedPairedCall(
      c, [c] { c->BeginReadRecord(); }, [c] { c->EndReadRecord(); });
  return storage->ReadRecordValues(FRecordIndex, AValueDefReader);
}

Integer TcxDataControllerLocateObject::FindByFields(const std::vector<TcxCustomDataField*>& AFields) {
  TcxCustomDataController* c = FDataController;
  if (FRecordIndex >= 0) return -1;
  std::vector<TcxDataSortInfo> keys;
  for (TcxCustomDataField* f : AFields) {
    TcxDataSortInfo e{f, TcxDataSortOrder::soAscending, 0};
    e.CompareKind = c->GetCompareKind(e);
    keys.push_back(e);
  }
  // One field compared by its stored values (no handler, no display text, no data source's
  // own comparison): the storage's key index may answer.
  TcxValueDef* stored = nullptr;
  if (keys.size() == 1 && keys[0].CompareKind < 0 && !(c->IsProviderMode() && c->IsProviderValueField(keys[0].Field)))
    stored = keys[0].Field->GetValueDef();
  Integer found = -1;
  if (stored && c->DataStorage()->FindEqualRecord(stored, FRecordIndex, found)) return found;
  Integer r = 0;
  for (; r < c->GetRecordCount(); ++r) {
    bool equal = true;
    for (const TcxDataSortInfo& e : keys) {
      const Integer order = c->CompareRecords(r, FRecordIndex, e);
      // A compare handler or a data source freed the controller: nothing is found.
      if (!FControllerLink.Alive()) return -1;
      if (order != 0) {
        equal = false;
        break;
      }
    }
    if (equal) {
      found = r;
      break;
    }
  }
  if (stored) c->DataStorage()->CountEqualWalk(stored, found < 0 ? r : r + 1);
  return found;
}

Integer TcxDataControllerGroupLocateObject::FindRecordIndex() {
  TcxCustomDataController* c = DataController();
  std::vector<TcxCustomDataField*> fields;
  for (Integer l = 0; l <= FLevel && l < c->GetGroupingItemCount(); ++l)
    fields.push_back(c->GetItemField(c->GetGroupingItemIndex(l)));
  return FindByFields(fields);
}

TL_DEFINE_CLASS(TcxDataControllerSearch)
TL_DEFINE_CLASS(TcxValueDefUnboundReader)
TL_DEFINE_CLASS(TcxValueDefRecordReader)
TL_DEFINE_CLASS(TcxDataControllerLocateObject)
TL_DEFINE_CLASS(TcxDataControllerKeyLocateObject)
TL_DEFINE_CLASS(TcxDataControllerGroupLocateObject)

// ---- The controller's search ----

TcxDataControllerSearchClass TcxCustomDataController::GetSearchClass() const {
  return ClassOf<TcxDataControllerSearch, TcxDataControllerSearch, TcxCustomDataController*>();
}

void TcxCustomDataController::CancelIncrementalSearch() {
  if (FSearch) FSearch->Cancel();
}

Integer TcxCustomDataController::FindIncrementalFilterRecord(Integer AStartIndex, Integer AItemIndex, bool AForward,
                                                             bool AWrap, const String& AText, bool APartial) {
  TcxCustomDataField* field = GetItemField(AItemIndex);
  const Integer count = GetFilteredRecordCount();
  if (AStartIndex < 0 || AStartIndex >= count) return -1;
  auto matches = [&](Integer APosition) {
    const Integer record = GetFilteredRecordIndex(APosition);
    try {
      return cxTextMatches(GetDisplayText(record, field), AText, APartial);
    } catch (const Exception&) {
      return false;
    }
  };
  auto scan = [&](Integer AFrom, Integer ATo) {
    const Integer step = AForward ? 1 : -1;
    for (Integer i = AFrom; AForward ? i <= ATo : i >= ATo; i += step)
      if (matches(i)) return GetFilteredRecordIndex(i);
    return Integer(-1);
  };
  Integer r = AForward ? scan(AStartIndex, count - 1) : scan(AStartIndex, 0);
  if (r < 0 && AStartIndex > 0 && AWrap) r = AForward ? scan(0, AStartIndex - 1) : scan(count - 1, AStartIndex + 1);
  return r;
}
