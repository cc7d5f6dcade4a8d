#include "widgets/data/cxDataKeys.h"

#include "widgets/data/cxDataController.h"
#include "widgets/data/cxDataRelations.h"
#include "widgets/foundation/cxVariants.h"

#include <algorithm>
#include <memory>
#include <unordered_map>

namespace {

// Entries by key value; equal keys keep their order, so "the first match" stays defined.
template <class TInfo>
void SortByKey(std::vector<TcxKeyInfo*>& AItems) {
  std::stable_sort(AItems.begin(), AItems.end(), [](const TcxKeyInfo* a, const TcxKeyInfo* b) {
    return cxCompareVariantsForSort(static_cast<const TInfo*>(a)->Key, static_cast<const TInfo*>(b)->Key) < 0;
  });
}

}  // namespace

void TcxKeys::TakeKeyFields() {
  FKeyFields.clear();
  FDataController->GetKeyFields(FKeyFields);
}

void TcxKeys::BeforeDestruction() {
  Clear();
  inherited::BeforeDestruction();
}

void TcxKeys::FreeItem(Integer AIndex) {
  TcxKeyInfo*& item = FItems.at(size_t(AIndex));
  delete item;
  item = nullptr;
}

void TcxKeys::Clear() {
  for (Integer i = 0; i < Integer(FItems.size()); ++i)
    if (FItems[size_t(i)]) FreeItem(i);
  FItems.clear();
  FKeyFields.clear();
}

void TcxSelectedKeys::Save() {
  Clear();
  TakeKeyFields();
  const TcxDataSelection* selection = FDataController->DataControllerInfo()->Selection();
  FItems.reserve(size_t(selection->Count()));
  for (Integer i = 0; i < selection->Count(); ++i) {
    const TcxDataSelectionEntry& e = selection->Items(i);
    if (e.Kind == -1 || e.Index < 0 || e.Index >= FDataController->GetRecordCount()) continue;
    auto info = std::make_unique<TcxSelectedKeyInfo>(FDataController->GetFieldValues(e.Index, FKeyFields), i,
                                                     FDataController->RecordIdentity(e.Index));
    FItems.push_back(info.get());
    info.release();
  }
  SortByKey<TcxSelectedKeyInfo>(FItems);
}

void TcxSelectedKeys::Restore() {
  TcxDataSelection* selection = FDataController->DataControllerInfo()->Selection();
  if (selection->Count() == 0 || FItems.empty()) return;
  TakeKeyFields();
  const std::vector<TcxDataSelectionEntry>& list = selection->List();
  // Matched entries are freed as they match, so the search runs over a copy of the keys.
  std::vector<Variant> keys;
  std::vector<Integer> positions;
  std::unordered_map<String, Integer> byIdentity;
  // Identities count only where the reloaded records have them too.
  const bool identified =
      FDataController->GetRecordCount() > 0 && !FDataController->RecordIdentity(0).empty();
  keys.reserve(FItems.size());
  positions.reserve(FItems.size());
  for (Integer i = 0; i < Count(); ++i) {
    keys.push_back(SelectedItems(i)->Key);
    positions.push_back(SelectedItems(i)->SelectionIndex);
    if (!identified) SelectedItems(i)->Identity.clear();
    if (!SelectedItems(i)->Identity.empty()) byIdentity.emplace(SelectedItems(i)->Identity, i);
  }
  auto take = [&](Integer AEntry, Integer ARecord) {
    const Integer at = positions[size_t(AEntry)];
    if (at < Integer(list.size())) selection->SetIndex(at, ARecord);
    FreeItem(AEntry);
  };
  // The next unused entry without an identity of each run of equal keys, found by the
  // run's first entry.
  std::vector<Integer> next(keys.size());
  for (size_t i = 0; i < next.size(); ++i) next[i] = Integer(i);
  for (Integer r = 0; r < FDataController->GetRecordCount(); ++r) {
    const Variant key = FDataController->GetFieldValues(r, FKeyFields);
    if (!byIdentity.empty()) {
      const String identity = FDataController->RecordIdentity(r);
      const auto known = identity.empty() ? byIdentity.end() : byIdentity.find(identity);
      if (known != byIdentity.end()) {
        const Integer entry = known->second;
        byIdentity.erase(known);
        if (Items(entry)) take(entry, r);
        continue;
      }
    }
    auto it = std::lower_bound(keys.begin(), keys.end(), key,
                               [](const Variant& e, const Variant& k) { return cxCompareVariantsForSort(e, k) < 0; });
    if (it == keys.end()) continue;
    const size_t run = size_t(it - keys.begin());
    Integer candidate = next[run];
    while (candidate < Integer(keys.size()) && cxVariantsEqual(keys[size_t(candidate)], key) &&
           (!Items(candidate) || !SelectedItems(candidate)->Identity.empty()))
      ++candidate;
    next[run] = candidate;
    if (candidate >= Integer(keys.size()) || !cxVariantsEqual(keys[size_t(candidate)], key)) continue;
    ++next[run];
    take(candidate, r);
  }
  for (Integer i = 0; i < Count(); ++i) {
    const Integer at = positions[size_t(i)];
    if (Items(i) && at < Integer(list.size())) selection->SetIndex(at, -1);
  }
  bool dropped = false;
  for (Integer i = Integer(list.size()) - 1; i >= 0; --i)
    if (list[size_t(i)].Kind != -1 && list[size_t(i)].Index == -1) {
      selection->InternalDelete(i);
      dropped = true;
    }
  if (dropped) selection->Changed();
}

TcxDetailKeyInfo::~TcxDetailKeyInfo() { FreeAndNil(SaveObject); }

namespace {

// The detail controller of a record's relation, when it is one of the master's kind.
TcxCustomDataController* DetailOfMastersKind(TcxCustomDataController* AMaster, Integer ARecordIndex,
                                             Integer ARelationIndex) {
  TcxCustomDataController* detail = AMaster->GetDetailDataController(ARecordIndex, ARelationIndex);
  return detail && detail->InheritsFrom(AMaster->ClassType()) ? detail : nullptr;
}

// The same among the details the record has already: saving makes none (making one reads
// its records, whose handlers may change the master's records or free the master).
TcxCustomDataController* ExistingDetailOfMastersKind(TcxCustomDataController* AMaster, Integer ARecordIndex,
                                                     Integer ARelationIndex) {
  TcxDetailObject* object = AMaster->Relations()->FindDetailObject(ARecordIndex);
  TcxDetailInfoObject* info = object ? object->Info(ARelationIndex) : nullptr;
  TcxCustomDataController* detail = info ? info->DataController() : nullptr;
  return detail && detail->InheritsFrom(AMaster->ClassType()) ? detail : nullptr;
}

}  // namespace

void TcxDetailKeys::Save() {
  Clear();
  TakeKeyFields();
  TcxCustomDataController* c = FDataController;
  // Without relations no record is expanded: the records are not visited.
  for (Integer r = 0; c->HasRelations() && r < c->GetRecordCount(); ++r) {
    if (!c->GetDetailExpanding(r)) continue;
    // No relation has a detail controller any more (its pattern went): nothing to save.
    const Integer relation = c->GetDetailActiveRelationIndex(r);
    if (relation < 0) continue;
    TcxCustomDataController* detail = ExistingDetailOfMastersKind(c, r, relation);
    auto info = std::make_unique<TcxDetailKeyInfo>(c->GetFieldValues(r, FKeyFields), relation,
                                                   New<TcxSaveObject>(detail ? detail : c));
    if (detail) info->SaveObject->Save(detail);
    FItems.push_back(info.get());
    info.release();
  }
  SortByKey<TcxDetailKeyInfo>(FItems);
}

void TcxDetailKeys::Restore() {
  TakeKeyFields();
  TcxCustomDataController* c = FDataController;
  // Making a detail binds it to its data, whose handlers may free the controller: the
  // restore ends there.
  TWeakLink alive(c);
  for (Integer r = 0; r < c->GetRecordCount(); ++r) {
    const Variant key = c->GetFieldValues(r, FKeyFields);
    TcxDetailKeyInfo* found = nullptr;
    for (Integer i = 0; i < Count() && !found; ++i)
      if (cxVariantsEqual(DetailItems(i)->Key, key)) found = DetailItems(i);
    if (!found) continue;
    c->ChangeDetailExpanding(r, true);
    if (!alive.Alive()) return;
    // The expanding's handlers may have taken records away (the master's data set freed).
    if (r >= c->GetRecordCount()) return;
    c->ChangeDetailActiveRelationIndex(r, found->RelationIndex);
    if (!alive.Alive()) return;
    // The expanding hooks may refuse: only a detail open on the saved relation goes on.
    if (r >= c->GetRecordCount() || !c->GetDetailExpanding(r) ||
        c->GetDetailActiveRelationIndex(r) != found->RelationIndex)
      continue;
    if (TcxCustomDataController* detail = DetailOfMastersKind(c, r, found->RelationIndex))
      found->SaveObject->Restore(detail);
    if (!alive.Alive()) return;
  }
}

TcxSaveObject::TcxSaveObject(TcxCustomDataController* ADataController) {
  FDetailKeys = New<TcxDetailKeys>(ADataController);
  FSelectedKeys = New<TcxSelectedKeys>(ADataController);
}

void TcxSaveObject::BeforeDestruction() {
  FreeAndNil(FDetailKeys);
  FreeAndNil(FSelectedKeys);
  inherited::BeforeDestruction();
}

void TcxSaveObject::Save(TcxCustomDataController* AController) {
  if (AController->IsCreatingDetail() || AController->IsDestroying() || !AController->IsSmartRefresh()) return;
  FDetailKeys->Save();
  FSelectedKeys->Save();
  AController->DataControllerInfo()->SaveGroupStates(
      {TcxDataExpandingInfoState::eisExpanded, TcxDataExpandingInfoState::eisSelected});
}

void TcxSaveObject::Restore(TcxCustomDataController* AController) {
  if (AController->IsCreatingDetail()) return;
  if (!AController->IsSmartRefresh()) {
    AController->Refresh();
    return;
  }
  // Restoring the details may free the controller (see TcxDetailKeys::Restore).
  TWeakLink alive(AController);
  if (FDetailKeys->Count() > 0) FDetailKeys->Restore();
  FDetailKeys->Clear();
  if (!alive.Alive()) return;
  if (FSelectedKeys->Count() > 0) FSelectedKeys->Restore();
  FSelectedKeys->Clear();
  AController->DataControllerInfo()->AddChanges({TcxDataControllerInfoChange::dcicExpanding});
}

TL_DEFINE_CLASS(TcxKeys)
TL_DEFINE_CLASS(TcxSelectedKeys)
TL_DEFINE_CLASS(TcxDetailKeys)
TL_DEFINE_CLASS(TcxSaveObject)
