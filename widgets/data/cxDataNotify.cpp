// Change notification and update locking of the data controller.
#include "widgets/data/cxDataController.h"

#include "classlib/core/ScopeGuards.h"
#include "widgets/data/cxDataRelations.h"
#include "widgets/data/cxDataSummary.h"

#include <algorithm>

using enum TcxDataControllerChange;
using enum TcxDataChange;
using enum TcxDataControllerInfoChange;

namespace {

// Kinds that change which records exist: merged with anything else they become dcTotal.
bool IsStructural(TcxDataChange AKind) { return AKind == dcNew || AKind == dcDeleted || AKind == dcTotal; }

}  // namespace

void TcxCustomDataController::BeginUpdate() { FDataControllerInfo->BeginUpdate(); }

void TcxCustomDataController::EndUpdate() {
  // The rebuild and the notifications run handlers, and any of them may free the controller.
  // The bracket closes after a raising refresh all the same.
  TWeakLink self(this);
  TWatchedScopeExit close(this, [this, &self] {
    FDataControllerInfo->EndUpdate();
    if (self.Alive()) CheckChanges();
  });
  if (FDataControllerInfo->LockCount() == 1 && FRefreshPending) {
    FRefreshPending = false;
    DoRefresh();
  }
}

void TcxCustomDataController::Change(TcxDataControllerChanges AChanges) {
  FChanges += AChanges;
  CheckChanges();
}

void TcxCustomDataController::CheckChanges() {
  if (FChanges.Empty() || FDataControllerInfo->LockCount() != 0) return;
  SendChanges();
}

void TcxCustomDataController::DataChanged(TcxDataChange AKind, Integer AItemIndex, Integer ARecordIndex) {
  // Several records deleted at once: no one record stands for them, listeners are told of
  // a total change.
  const TcxDataChange told = AKind == dcDeleted && ARecordIndex < 0 ? dcTotal : AKind;
  if (FDataChangeMerged && (IsStructural(FDataChangeKind) || IsStructural(told)) &&
      !(FDataChangeKind == told && FDataChangeRecordIndex == ARecordIndex)) {
    // A record added, deleted or changed beside other changes: only a full redraw says
    // it all (a later field change must not narrow it down again).
    FDataChangeKind = dcTotal;
  } else if ((FDataChangeRecordIndex != -1 || (FDataChangeMerged && IsNewItemRecordMinusOne())) &&
             ARecordIndex != FDataChangeRecordIndex) {
    FDataChangeKind = dcTotal;
  } else if (AKind == dcField && FDataChangeItemIndex != -1 && FDataChangeItemIndex != AItemIndex) {
    FDataChangeKind = dcRecord;
    AItemIndex = -1;
  } else if (AKind == dcField && FDataChangeMerged && FDataChangeKind == dcRecord) {
    // The whole record is already to be redrawn: a field of it must not narrow that down.
    AItemIndex = -1;
  } else {
    FDataChangeKind = told;
  }
  FDataChangeItemIndex = AItemIndex;
  FDataChangeRecordIndex = ARecordIndex;
  FDataChangeMerged = true;

  auto changed = [&] {
    // Records read from a source are read again (a pending refresh will do it anyway); the
    // source's handlers may free this controller meanwhile.
    if (AKind == dcTotal && IsReloadNeeded() && !FRefreshPending) {
      FReloadPending = false;
      TWeakLink self(this);
      ReloadStorage();
      if (!self.Alive()) return;
    }
    if (AKind == dcNew || AKind == dcDeleted) FDataControllerInfo->AddChanges({dcicFocusedRecord});
    if ((AKind == dcField || AKind == dcRecord) && ARecordIndex >= 0)
      FDataControllerInfo->RecordValueRequest(ARecordIndex);
    else if (AKind == dcNew || AKind == dcDeleted)
      FDataControllerInfo->RecordsRequest();  // the row list noted those records on the way
    else
      FDataControllerInfo->RefreshRequest();
    if (IsDetail()) DetailChanged();
  };
  // A caller holding a bracket already closes it: a bracket of its own would end with
  // nothing to do, at the cost of its weak links (a load writing every value comes here).
  if (LockCount() > 0) {
    changed();
    return;
  }
  auto bracket = UpdateBracket(this);
  changed();
}

namespace {

// The controllers owning a relation of the item have their details reset, searched from
// AController down through every existing detail.
void ResetDetailsOfItem(TcxCustomDataController* AController, TObject* AItem, Integer ADepth) {
  if (ADepth > 64 || !AController->HasRelations()) return;
  if (AController->Relations()->FindByItem(AItem)) {
    AController->ResetDetails();
    return;
  }
  TcxCustomDataRelationList* list = AController->Relations();
  for (Integer r = 0; r < AController->GetRecordCount(); ++r) {
    TcxDetailObject* object = list->FindDetailObject(r);
    if (!object) continue;
    for (Integer i = 0; i < object->InfoCount(); ++i)
      if (TcxDetailInfoObject* info = object->Info(i); info && info->DataController())
        ResetDetailsOfItem(info->DataController(), AItem, ADepth + 1);
  }
}

}  // namespace

void TcxCustomDataController::NotifyDataChanged() {
  if (IsDestroying()) return;
  if (IsDetail() && GetDetailMode() == TcxDataControllerDetailMode::dcdmPattern) {
    // A pattern's change concerns every clone made after it.
    TcxCustomDataController* top = GetMasterDataController();
    for (Integer depth = 0; top && top->IsDetail() && depth < 64; ++depth) top = top->GetMasterDataController();
    if (top) ResetDetailsOfItem(top, FMasterRelation->Item(), 0);
    return;
  }
  Change({dccData});
}

void TcxCustomDataController::Refresh() {
  if (FDataControllerInfo->LockCount() > 0) {
    FRefreshPending = true;
    return;
  }
  auto bracket = UpdateBracket(this);
  DoRefresh();
}

void TcxCustomDataController::RefreshView() {
  auto bracket = UpdateBracket(this);
  FDataControllerInfo->RefreshRequest();
}

void TcxCustomDataController::RefreshRecordView(Integer ARecordIndex) {
  auto bracket = UpdateBracket(this);
  if (ARecordIndex >= 0)
    FDataControllerInfo->RecordValueRequest(ARecordIndex);
  else
    FDataControllerInfo->RecordsRequest();
}

void TcxCustomDataController::NotifyChanged() {
  if (IsDestroying()) return;
  if (!OnDataChanged && !OnRecordChanged && FNotifyEventItems.empty()) return;
  if (IsLoading()) {
    FChangedHeldBack = true;
    return;
  }
  TWeakLink self(this);
  // A pattern's events are the ones its clones were given: its own records show nowhere.
  if (!(IsDetail() && GetDetailMode() == TcxDataControllerDetailMode::dcdmPattern)) {
    if ((FDataChangeKind == dcField || FDataChangeKind == dcRecord) &&
        (FDataChangeRecordIndex != -1 || IsNewItemRecordMinusOne()) && OnRecordChanged)
      OnRecordChanged(this, FDataChangeRecordIndex, FDataChangeItemIndex);
    if (!self.Alive()) return;
    if (OnDataChanged) OnDataChanged(this);
  }
  if (!self.Alive() || (IsGridMode() && IsProviderLocked())) return;
  // A copy: a listener may remove itself or others.
  const std::vector<TNotifyEventItem> items = FNotifyEventItems;
  for (const TNotifyEventItem& item : items)
    if (item.Event) {
      item.Event(this);
      if (!self.Alive()) return;
    }
}

void TcxCustomDataController::Loaded() {
  if (FSummaryHeldBack || (FSummary && FSummary->AfterSummaryPending())) {
    FSummaryHeldBack = false;
    auto bracket = UpdateBracket(this);
    FDataControllerInfo->AddChanges({dcicSummary});
  }
  if (!FChangedHeldBack) return;
  FChangedHeldBack = false;
  NotifyChanged();
}

void TcxCustomDataController::DoUpdateControl(TcxUpdateControlInfo* AInfo) {
  if (OnUpdateControl) OnUpdateControl(AInfo);
}

void TcxCustomDataController::Send(TcxUpdateControlInfo* AInfo) {
  Owned<TcxUpdateControlInfo> info(AInfo);
  TWatchedValue notifying(this, FNotifying, true);
  DoUpdateControl(info.get());
}

void TcxCustomDataController::SendChanges() {
  TcxDataControllerChanges left = FChanges;
  FChanges = TcxDataControllerChanges();
  TWeakLink self(this);
  try {
    SendChangeSteps(left);
  } catch (...) {
    // Only an error puts back what a raising handler kept from being told, for the next change.
    if (self.Alive()) FChanges += left;
    throw;
  }
}

void TcxCustomDataController::SendChangeSteps(TcxDataControllerChanges& ALeft) {
  const TcxDataControllerChanges changes = ALeft;
  // Every step tells handlers, and any of them may free the controller.
  TWeakLink self(this);

  // 1. Data, else layout, else the focused record's redraw.
  ALeft -= TcxDataControllerChanges({dccData, dccLayout, dccDetail, dccSummary, dccUpdateRecord});
  if (changes.Contains(dccData)) {
    if (FDataChangeKind == dcField && FDataChangeItemIndex == -1) FDataChangeKind = dcRecord;
    if ((FDataChangeKind == dcField || FDataChangeKind == dcRecord) && FDataChangeRecordIndex == -1 &&
        !IsNewItemRecordMinusOne())
      FDataChangeKind = dcTotal;
    Send(New<TcxDataChangedInfo>(FDataChangeKind, FDataChangeItemIndex, FDataChangeRecordIndex));
    if (!self.Alive()) return;
    {
      TWatchedScopeExit reset(this, [this] {
        FDataChangeKind = dcTotal, FDataChangeItemIndex = -1, FDataChangeRecordIndex = -1, FDataChangeMerged = false;
      });
      NotifyChanged();
    }
    if (!self.Alive()) return;
  } else if (changes.Contains(dccLayout) || changes.Contains(dccDetail) || changes.Contains(dccSummary)) {
    Send(New<TcxLayoutChangedInfo>());
    if (!self.Alive()) return;
  } else if (changes.Contains(dccUpdateRecord)) {
    Send(New<TcxUpdateRecordInfo>(GetFocusedRecordIndex()));
    if (!self.Alive()) return;
    CancelIncrementalSearch();
  }

  // 2. Focus.
  ALeft -= TcxDataControllerChanges({dccFocus});
  if (changes.Contains(dccFocus)) {
    auto& cur = FDataControllerInfo->FocusingInfo();
    auto& prev = FDataControllerInfo->PrevFocusingInfo();
    if (cur.RowIndex != prev.RowIndex) Send(New<TcxFocusedRowChangedInfo>(prev.RowIndex, cur.RowIndex));
    if (!self.Alive()) return;
    if (!(prev.RecordIndex < 0 && cur.RecordIndex < 0 && !prev.Changed)) {
      Send(New<TcxFocusedRecordChangedInfo>(prev.RecordIndex, cur.RecordIndex, prev.RowIndex, cur.RowIndex,
                                            prev.Changed));
      if (!self.Alive()) return;
      if (!(FSearch && FSearch->TakeOwnFocusChange())) CancelIncrementalSearch();
    }
    cur.LastCommittedRecordIndex = cur.RecordIndex;
    prev = cur;
    cur.Changed = false;
  }
  if (FFocusSettled) {
    FFocusSettled = false;
    FocusSettledByRebuild();
    if (!self.Alive()) return;
  }

  // 3. Selection: the rows that changed when at most one was selected before and after.
  ALeft -= TcxDataControllerChanges({dccSelection});
  if (changes.Contains(dccSelection)) {
    const Integer count = FDataControllerInfo->GetSelectedCount();
    const Integer single = count == 1 ? FDataControllerInfo->GetSelectedRowIndex(0) : -1;
    auto* info = New<TcxSelectionChangedInfo>();
    if (FPrevSelectedCount <= 1 && count <= 1) {
      if (FPrevSelectedRow != -1) info->RowIndexes.push_back(FPrevSelectedRow);
      if (single != -1 && single != FPrevSelectedRow) info->RowIndexes.push_back(single);
    }
    FPrevSelectedCount = count;
    FPrevSelectedRow = single;
    Send(info);
    if (!self.Alive()) return;
  }

  ALeft -= TcxDataControllerChanges({dccSearch});
  if (changes.Contains(dccSearch)) Send(New<TcxSearchChangedInfo>());
  if (!self.Alive()) return;
  ALeft -= TcxDataControllerChanges({dccBookmark});
  if (changes.Contains(dccBookmark)) Send(New<TcxBookmarkChangedInfo>());
  if (!self.Alive()) return;
  ALeft -= TcxDataControllerChanges({dccGrouping});
  if (changes.Contains(dccGrouping) && !IsReading() && OnGroupingChanged) OnGroupingChanged(this);
  if (!self.Alive()) return;
  ALeft -= TcxDataControllerChanges({dccSorting});
  if (changes.Contains(dccSorting) && !IsReading() && OnSortingChanged && !FSortingNotifying) {
    {
      TWatchedValue notifying(this, FSortingNotifying, true);
      OnSortingChanged(this);
    }
    if (!self.Alive()) return;
  }
  ALeft -= TcxDataControllerChanges({dccSyncMasterPos});
  if (changes.Contains(dccSyncMasterPos) && IsDetail() && GetDetailMode() == TcxDataControllerDetailMode::dcdmClone)
    if (TcxCustomDataController* pattern = GetPatternDataController(); pattern && pattern != this)
      pattern->ResetFocusing();
}

void TcxCustomDataController::UpdatePrevSelection() {
  FPrevSelectedCount = GetSelectedCount();
  FPrevSelectedRow = FPrevSelectedCount == 1 ? GetSelectedRowIndex(0) : -1;
}

void TcxCustomDataController::AddNotifyEventItem(TObject* AObject, TNotifyEvent AEvent) {
  FNotifyEventItems.push_back({AObject, AEvent});
}

void TcxCustomDataController::RemoveNotifyEventItem(TObject* AObject, TNotifyEvent AEvent) {
  auto it = std::find_if(FNotifyEventItems.begin(), FNotifyEventItems.end(),
                         [&](const TNotifyEventItem& i) { return i.Object == AObject && i.Event == AEvent; });
  if (it != FNotifyEventItems.end()) FNotifyEventItems.erase(it);
}

TcxDataListenerLink* TcxCustomDataController::CreateListenerLink() {
  auto* link = New<TcxDataListenerLink>();
  link->FDataController = this;
  FListenerLinks.push_back(link);
  return link;
}

void TcxCustomDataController::DestroyListenerLink(TcxDataListenerLink*& ALink) {
  if (!ALink) return;
  auto it = std::find(FListenerLinks.begin(), FListenerLinks.end(), ALink);
  if (it != FListenerLinks.end()) FListenerLinks.erase(it);
  FreeAndNil(ALink);
}
