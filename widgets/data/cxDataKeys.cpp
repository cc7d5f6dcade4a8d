#include "widgets/data/cxDataKeys.h"

#include "widgets/data/cxDataController.h"
#include "widgets/foundation/cxVariants.h"

#include <algorithm>

void TcxKeys::TakeKeyFields() {
  FKeyFields.clear();
  FDataController->GetKeyFields(FKeyFields);
}

void TcxSelectedKeys::Clear() {
  FEntries.clear();
  TcxKeys::Clear();
}

void TcxSelectedKeys::Save() {
  Clear();
  TakeKeyFields();
  const TcxDataSelection* selection = FDataController->DataControllerInfo()->Selection();
  for (Integer i = 0; i < selection->Count(); ++i) {
    const TcxDataSelectionEntry& e = selection->Items(i);
    if (e.Kind == -1 || e.Index < 0 || e.Index >= FDataController->GetRecordCount()) continue;
    FEntries.push_back({FDataController->GetFieldValues(e.Index, FKeyFields), i});
  }
  std::stable_sort(FEntries.begin(), FEntries.end(),
                   [](const TEntry& a, const TEntry& b) { return cxCompareVariantsForSort(a.Key, b.Key) < 0; });
}

void TcxSelectedKeys::Restore() {
  TcxDataSelection* selection = FDataController->DataControllerInfo()->Selection();
  if (selection->Count() == 0 || FEntries.empty()) return;
  TakeKeyFields();
  std::vector<TcxDataSelectionEntry>& list = selection->List();
  std::vector<bool> matched(FEntries.size(), false);
  // The next unused entry of each run of equal keys, found by the run's first entry.
  std::vector<Integer> next(FEntries.size());
  for (size_t i = 0; i < next.size(); ++i) next[i] = Integer(i);
  for (Integer r = 0; r < FDataController->GetRecordCount(); ++r) {
    const Variant key = FDataController->GetFieldValues(r, FKeyFields);
    auto it = std::lower_bound(FEntries.begin(), FEntries.end(), key,
                               [](const TEntry& e, const Variant& k) { return cxCompareVariantsForSort(e.Key, k) < 0; });
    if (it == FEntries.end()) continue;
    const size_t run = size_t(it - FEntries.begin());
    const Integer candidate = next[run];
    if (candidate >= Integer(FEntries.size()) || !cxVariantsEqual(FEntries[size_t(candidate)].Key, key)) continue;
    ++next[run];
    matched[size_t(candidate)] = true;
    const Integer at = FEntries[size_t(candidate)].SelectionIndex;
    if (at < Integer(list.size())) list[size_t(at)].Index = r;
  }
  for (size_t i = 0; i < FEntries.size(); ++i) {
    const Integer at = FEntries[i].SelectionIndex;
    if (!matched[i] && at < Integer(list.size())) list[size_t(at)].Index = -1;
  }
  bool dropped = false;
  for (Integer i = Integer(list.size()) - 1; i >= 0; --i)
    if (list[size_t(i)].Kind != -1 && list[size_t(i)].Index == -1) {
      list.erase(list.begin() + i);
      dropped = true;
    }
  if (dropped) selection->Changed();
}

TcxSaveObject::TcxSaveObject(TcxCustomDataController* ADataController) {
  FSelectedKeys = New<TcxSelectedKeys>(ADataController);
}

void TcxSaveObject::BeforeDestruction() {
  FreeAndNil(FSelectedKeys);
  inherited::BeforeDestruction();
}

void TcxSaveObject::Save(TcxCustomDataController* AController) {
  if (AController->IsDestroying() || !AController->IsSmartRefresh()) return;
  FSelectedKeys->Save();
  AController->DataControllerInfo()->SaveGroupStates(
      {TcxDataExpandingInfoState::eisExpanded, TcxDataExpandingInfoState::eisSelected});
}

void TcxSaveObject::Restore(TcxCustomDataController* AController) {
  if (!AController->IsSmartRefresh()) {
    AController->Refresh();
    return;
  }
  if (FSelectedKeys->Count() > 0) FSelectedKeys->Restore();
  FSelectedKeys->Clear();
  AController->DataControllerInfo()->AddChanges({TcxDataControllerInfoChange::dcicExpanding});
}

TL_DEFINE_CLASS(TcxKeys)
TL_DEFINE_CLASS(TcxSelectedKeys)
TL_DEFINE_CLASS(TcxSaveObject)
