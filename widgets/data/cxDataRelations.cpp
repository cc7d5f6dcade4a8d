#include "widgets/data/cxDataRelations.h"

#include "classlib/core/Lists.h"
#include "classlib/core/ScopeGuards.h"
#include "widgets/data/cxDataController.h"

#include <algorithm>
#include <deque>
#include <optional>

using enum TcxDataControllerChange;
using enum TcxDataControllerDetailMode;


// ---- TcxCustomDataRelation ----

TcxCustomDataRelation::TcxCustomDataRelation(TcxCustomDataRelationList* ARelationList,
                                             TObject* AItem)
    : FRelationList(ARelationList), FItem(AItem) {}

void TcxCustomDataRelation::AfterConstruction() {
  inherited::AfterConstruction();
  if (TcxCustomDataRelationList* list = FRelationList) {
    FRelationList = nullptr;
    list->AddItem(this);
  }
}

void TcxCustomDataRelation::BeforeDestruction() {
  if (TcxCustomDataController* detail = FDetailDataController) {
    const bool pattern = detail->IsPattern();
    detail->SetMasterRelation(nullptr, -1);
    detail->SetIsPattern(pattern);
  }
  FDetailDataController = nullptr;
  if (FRelationList) FRelationList->RemoveItem(this);
  inherited::BeforeDestruction();
}

TcxCustomDataController* TcxCustomDataRelation::DataController() const {
  return FRelationList ? FRelationList->DataController() : nullptr;
}

Integer TcxCustomDataRelation::Index() const {
  return FRelationList ? FRelationList->IndexOf(this) : -1;
}

// ---- TcxDetailInfoObject ----

void TcxDetailInfoObject::SetLinkObject(TObject* AObject,
                                        TcxCustomDataController* ADataController) {
  FLinkObject = AObject;
  FDataController = ADataController;
  if (ADataController) ADataController->FDetailInfo = this;
}

void TcxDetailInfoObject::BeforeDestruction() {
  TObject* object = FLinkObject;
  TcxCustomDataController* detail = FDataController;
  FLinkObject = nullptr;
  FDataController = nullptr;
  // The clone goes with its master's record: it must never reach back to the master.
  if (detail) {
    detail->FDetailInfo = nullptr;
    detail->FMasterRelation = nullptr;
    detail->FMasterRecordIndex = -1;
  }
  if (object) object->Free();
  inherited::BeforeDestruction();
}

// ---- TcxDetailObject ----

void TcxDetailObject::BeforeDestruction() {
  ClearInfo(-1);
  for (TcxDetailInfoObject*& info : FInfos) FreeAndNil(info);
  FInfos.clear();
  inherited::BeforeDestruction();
}

TcxDetailInfoObject* TcxDetailObject::Info(Integer ARelationIndex) const {
  return ARelationIndex >= 0 && ARelationIndex < InfoCount() ? FInfos[size_t(ARelationIndex)]
                                                             : nullptr;
}

TcxDetailInfoObject* TcxDetailObject::EnsureInfo(Integer ARelationIndex) {
  if (ARelationIndex < 0) return nullptr;
  if (ARelationIndex >= InfoCount()) FInfos.resize(size_t(ARelationIndex) + 1, nullptr);
  TcxDetailInfoObject*& info = FInfos[size_t(ARelationIndex)];
  if (!info) info = New<TcxDetailInfoObject>();
  return info;
}

bool TcxDetailObject::ClearInfo(Integer ARelationIndex) {
  bool had = false;
  for (Integer i = 0; i < InfoCount(); ++i) {
    if (ARelationIndex != -1 && i != ARelationIndex) continue;
    TcxDetailInfoObject*& info = FInfos[size_t(i)];
    if (!info) continue;
    had = had || info->LinkObject();
    FreeAndNil(info);
  }
  return had;
}

bool TcxDetailObject::HasInfoObject(Integer ARelationIndex) const {
  for (Integer i = 0; i < InfoCount(); ++i) {
    if (ARelationIndex != -1 && i != ARelationIndex) continue;
    if (FInfos[size_t(i)] && FInfos[size_t(i)]->LinkObject()) return true;
  }
  return false;
}

void TcxDetailObject::Fit(Integer ACount) {
  if (InfoCount() < ACount) FInfos.resize(size_t(ACount), nullptr);
  if (InfoCount() == 0)
    FActiveRelationIndex = -1;
  else
    FActiveRelationIndex =
        std::clamp<Integer>(FActiveRelationIndex, 0, std::max<Integer>(ACount - 1, 0));
}

// ---- TcxCustomDataRelationList ----

TcxCustomDataRelationList::TcxCustomDataRelationList(TcxCustomDataController* ADataController)
    : FDataController(ADataController) {}

void TcxCustomDataRelationList::BeforeDestruction() {
  Clear();
  inherited::BeforeDestruction();
}

TcxCustomDataRelation* TcxCustomDataRelationList::Add(TObject* AItem) {
  // The relation adds itself.
  return FDataController->CreateRelation(this, AItem);
}

void TcxCustomDataRelationList::AddItem(TcxCustomDataRelation* ARelation) {
  if (IndexOf(ARelation) >= 0) return;
  ARelation->FRelationList = this;
  FItems.push_back(ARelation);
  Changed(ARelation);
}

void TcxCustomDataRelationList::RemoveItem(TcxCustomDataRelation* ARelation) {
  auto it = std::find(FItems.begin(), FItems.end(), ARelation);
  if (it == FItems.end()) return;
  FItems.erase(it);
  ARelation->FRelationList = nullptr;
  Changed(nullptr);
}

void TcxCustomDataRelationList::Assign(TcxCustomDataRelationList* ASource) {
  auto bracket = UpdateBracket(this);
  Clear();
  if (ASource)
    for (TcxCustomDataRelation* r : ASource->FItems) Add(r->Item())->Assign(r);
}

void TcxCustomDataRelationList::EndUpdate() {
  if (FLockCount > 0 && --FLockCount == 0) Changed(nullptr);
}

void TcxCustomDataRelationList::Clear() {
  if (FItems.empty()) return;
  auto bracket = UpdateBracket(this);
  while (!FItems.empty()) FItems.back()->Free();
}

TcxCustomDataRelation* TcxCustomDataRelationList::FindByItem(TObject* AItem) const {
  for (TcxCustomDataRelation* r : FItems)
    if (r->Item() == AItem) return r;
  return nullptr;
}

void TcxCustomDataRelationList::Move(Integer ACurIndex, Integer ANewIndex) {
  if (ACurIndex < 0 || ACurIndex >= GetCount()) ListIndexError(ACurIndex);
  if (ANewIndex < 0 || ANewIndex >= GetCount()) ListIndexError(ANewIndex);
  if (ACurIndex == ANewIndex) return;
  TcxCustomDataRelation* r = FItems[size_t(ACurIndex)];
  FItems.erase(FItems.begin() + ACurIndex);
  FItems.insert(FItems.begin() + ANewIndex, r);
  Changed(r);
}

void TcxCustomDataRelationList::RemoveByItem(TObject* AItem) {
  if (TcxCustomDataRelation* r = FindByItem(AItem)) r->Free();
}

TcxCustomDataRelation* TcxCustomDataRelationList::GetItem(Integer AIndex) const {
  if (AIndex < 0 || AIndex >= GetCount()) ListIndexError(AIndex);
  return FItems[size_t(AIndex)];
}

Integer TcxCustomDataRelationList::IndexOf(const TcxCustomDataRelation* ARelation) const {
  auto it = std::find(FItems.begin(), FItems.end(), ARelation);
  return it == FItems.end() ? -1 : Integer(it - FItems.begin());
}

void TcxCustomDataRelationList::Changed(TcxCustomDataRelation* ARelation) {
  if (FLockCount == 0) Update(ARelation);
}

void TcxCustomDataRelationList::Update(TcxCustomDataRelation*) {
  TcxCustomDataController* c = FDataController;
  auto bracket = UpdateBracket(c);
  if (FItems.empty()) {
    if (FItemField) {
      TcxCustomDataField* f = FItemField;
      FItemField = nullptr;
      // Every record's detail object (and the clones in it) goes with the field.
      c->Fields()->Remove(f);
    }
  } else if (FItemField) {
    for (Integer r = 0; r < c->GetRecordCount(); ++r)
      if (ClearDetailInfo(r, -1)) c->FChanges.Include(dccDetail);
  } else {
    FItemField = c->CreateInternalField();
    FItemField->SetValueTypeClass(TcxObjectValueType::StaticClass());
  }
  c->NotifyDataChanged();
}

TcxDetailObject* TcxCustomDataRelationList::FindDetailObject(Integer ARecordIndex) const {
  if (!FItemField || !FItemField->GetValueDef()) return nullptr;
  const Variant v =
      FDataController->DataStorage()->GetValue(ARecordIndex, FItemField->GetValueDef());
  if (VarIsNull(v) || VarIsEmpty(v)) return nullptr;
  return reinterpret_cast<TcxDetailObject*>(intptr_t(v.AsInt64()));
}

TcxDetailObject* TcxCustomDataRelationList::GetDetailObject(Integer ARecordIndex) {
  FDataController->CheckRecordRange(ARecordIndex);
  if (!FItemField || !FItemField->GetValueDef()) return nullptr;
  TcxValueDef* def = FItemField->GetValueDef();
  TcxDataStorage* storage = FDataController->DataStorage();
  TcxDetailObject* object = FindDetailObject(ARecordIndex);
  if (NoDetailControllers()) {
    // Null frees the stored object: its clones lose their master first, in its infos.
    if (object) storage->SetValue(ARecordIndex, def, Null());
    return nullptr;
  }
  if (!object) {
    object = New<TcxDetailObject>();
    object->SetActiveRelationIndex(FDataController->GetDefaultActiveRelationIndex());
    storage->SetValue(ARecordIndex, def, Variant(Int64(reinterpret_cast<intptr_t>(object))));
  }
  object->Fit(GetCount());
  return object;
}

bool TcxCustomDataRelationList::ClearDetailInfo(Integer ARecordIndex, Integer ARelationIndex) {
  FDataController->CheckRecordRange(ARecordIndex);
  TcxDetailObject* object = FindDetailObject(ARecordIndex);
  if (!object) return false;
  // A cached has-children answer goes too: the record's details changed either way.
  object->ClearInfo(ARelationIndex);
  return true;
}

bool TcxCustomDataRelationList::HasDetailInfo(Integer ARecordIndex, Integer ARelationIndex) const {
  FDataController->CheckRecordRange(ARecordIndex);
  TcxDetailObject* object = FindDetailObject(ARecordIndex);
  return object && object->HasInfoObject(ARelationIndex);
}

bool TcxCustomDataRelationList::NoDetailControllers() const {
  TcxCustomDataController* pattern = FDataController->GetPatternDataController();
  const TcxCustomDataRelationList* list =
      pattern && pattern->FRelations ? pattern->FRelations : this;
  for (TcxCustomDataRelation* r : list->FItems)
    if (r->DetailDataController()) return false;
  return true;
}

void TcxCustomDataRelationList::RemoveNotification(TComponent* AComponent) {
  if (FItemField && static_cast<TObject*>(FItemField) == static_cast<TObject*>(AComponent))
    FItemField = nullptr;
  for (TcxCustomDataRelation* r : std::vector<TcxCustomDataRelation*>(FItems))
    r->RemoveNotification(AComponent);
}

void TcxCustomDataRelationList::FieldRemoved(TcxCustomDataField* AField) {
  if (AField == FItemField) FItemField = nullptr;
}

// ---- The controller's relation operations ----

TcxCustomDataRelationList* TcxCustomDataController::Relations() {
  if (!FRelations) FRelations = New<TcxCustomDataRelationList>(this);
  return FRelations;
}

bool TcxCustomDataController::HasRelations() const {
  return FRelations && FRelations->GetCount() > 0;
}

TcxCustomDataRelation* TcxCustomDataController::CreateRelation(TcxCustomDataRelationList* AList,
                                                               TObject* AItem) {
  return New<TcxCustomDataRelation>(AList, AItem);
}

TObject* TcxCustomDataController::GetDetailDataControllerObject(Integer ARecordIndex,
                                                                Integer ARelationIndex) {
  if (!HasRelations()) {
    CheckRecordRange(ARecordIndex);
    return nullptr;
  }
  TcxCustomDataRelation* relation = FRelations->GetItem(ARelationIndex);
  TcxDetailObject* object = FRelations->GetDetailObject(ARecordIndex);
  if (!object) return nullptr;
  if (TcxDetailInfoObject* info = object->Info(ARelationIndex); info && info->LinkObject())
    return info->LinkObject();
  if (FCreatingDetail) return nullptr;
  TObject* made = nullptr;
  // Making the detail binds it to its data set, whose handlers may free this master or the
  // pattern: the flags are put back only on what still lives, and a detail made for a
  // master that went goes too.
  TWeakLink self(this);
  {
    TcxCustomDataController* pattern = GetPatternDataController();
    if (pattern == this) pattern = nullptr;
    TWatchedValue<bool> creating(this, FCreatingDetail, true);
    std::optional<TWatchedValue<bool>> patternCreating;
    if (pattern) patternCreating.emplace(pattern, pattern->FCreatingDetail, true);
    made = CreateDetailDataController(relation, ARecordIndex);
  }
  if (!self.Alive()) {
    if (made) made->Free();
    return nullptr;
  }
  if (made) {
    // The hook may have changed the records: the object only fits the record it was
    // made for while that record still holds the same detail object.
    if (ARecordIndex < 0 || ARecordIndex >= GetRecordCount() ||
        FRelations->FindDetailObject(ARecordIndex) != object) {
      made->Free();
      made = nullptr;
    } else {
      TcxCustomDataController* detail = GetDetailDataControllerOf(made);
      object->EnsureInfo(ARelationIndex)->SetLinkObject(made, detail);
      // The clone reads its records, whose handlers may free this master (and the clone
      // with it) or the clone's master record: nothing is handed out then.
      TWeakLink self(this), clone(detail);
      if (detail && detail->FMasterRelation != relation)
        detail->SetMasterRelation(relation, ARecordIndex);
      if (!self.Alive()) return nullptr;
      if (detail && !clone.Alive()) return nullptr;
      if (detail) detail->FMasterRecordIndex = ARecordIndex;
    }
  }
  // Once more for the record, unless it went meanwhile (its master's records read again).
  if (!made && !FRetryingDetail && ARecordIndex < GetRecordCount()) {
    TScopedValue<bool> retry(FRetryingDetail, true);
    return GetDetailDataControllerObject(ARecordIndex, ARelationIndex);
  }
  return made;
}

TcxCustomDataController* TcxCustomDataController::GetDetailDataController(Integer ARecordIndex,
                                                                          Integer ARelationIndex) {
  TObject* object = GetDetailDataControllerObject(ARecordIndex, ARelationIndex);
  if (!object) return nullptr;
  TcxDetailObject* detail = FRelations->FindDetailObject(ARecordIndex);
  TcxDetailInfoObject* info = detail ? detail->Info(ARelationIndex) : nullptr;
  return info ? info->DataController() : GetDetailDataControllerOf(object);
}

bool TcxCustomDataController::GetDetailHasChildren(Integer ARecordIndex, Integer ARelationIndex) {
  CheckRecordRange(ARecordIndex);
  if (!HasRelations()) return false;
  if (FRelations->HasDetailInfo(ARecordIndex, ARelationIndex)) {
    TcxDetailInfoObject* info = FRelations->FindDetailObject(ARecordIndex)->Info(ARelationIndex);
    return info->DataController() && info->DataController()->GetRecordCount() > 0;
  }
  if (!IsProviderMode() && !FProvider->IsDataSetOpen()) return false;
  TcxDetailObject* object = FRelations->GetDetailObject(ARecordIndex);
  if (!object) return FProvider->GetDetailHasChildren(ARecordIndex, ARelationIndex);
  TcxDetailInfoObject* info = object->EnsureInfo(ARelationIndex);
  if (!info->HasChildrenAssigned())
    info->SetHasChildren(FProvider->GetDetailHasChildren(ARecordIndex, ARelationIndex));
  return info->HasChildren();
}

Integer TcxCustomDataController::GetDetailActiveRelationIndex(Integer ARecordIndex) {
  CheckRecordRange(ARecordIndex);
  if (!HasRelations()) return -1;
  TcxDetailObject* object = FRelations->GetDetailObject(ARecordIndex);
  return object ? object->ActiveRelationIndex() : -1;
}

void TcxCustomDataController::ChangeDetailActiveRelationIndex(Integer ARecordIndex,
                                                              Integer ARelationIndex) {
  CheckRecordRange(ARecordIndex);
  if (!HasRelations()) return;
  TcxDetailObject* object = FRelations->GetDetailObject(ARecordIndex);
  if (!object) return;
  const Integer was = object->ActiveRelationIndex();
  object->SetActiveRelationIndex(ARelationIndex);
  object->Fit(FRelations->GetCount());
  if (object->ActiveRelationIndex() != was) Change({dccDetail});
}

bool TcxCustomDataController::GetDetailExpanding(Integer ARecordIndex) {
  CheckRecordRange(ARecordIndex);
  if (!HasRelations()) return false;
  TcxDetailObject* object = FRelations->FindDetailObject(ARecordIndex);
  return object && object->Expanded();
}

bool TcxCustomDataController::CanChangeDetailExpanding(Integer ARecordIndex, bool AExpanded) {
  bool allow = true;
  if (AExpanded) {
    if (OnDetailExpanding) OnDetailExpanding(this, ARecordIndex, allow);
  } else if (OnDetailCollapsing) {
    OnDetailCollapsing(this, ARecordIndex, allow);
  }
  return allow;
}

bool TcxCustomDataController::ChangeDetailExpanding(Integer ARecordIndex, bool AExpanded) {
  if (GetDetailExpanding(ARecordIndex) == AExpanded) return false;
  // Settling the edits and focusing the record run handlers, which may free this controller.
  TWeakLink self(this);
  CheckBrowseState();
  if (!self.Alive()) return false;
  if (ARecordIndex < 0 || ARecordIndex >= GetRecordCount() || !HasRelations()) return false;
  TcxDetailObject* object = FRelations->GetDetailObject(ARecordIndex);
  if (!object) return false;
  const bool can = CanChangeDetailExpanding(ARecordIndex, AExpanded);
  if (!self.Alive() || !can) return false;
  // The handler may have changed the records.
  if (ARecordIndex >= GetRecordCount() || FRelations->FindDetailObject(ARecordIndex) != object)
    return false;
  object->SetExpanded(AExpanded);
  TcxCustomDataController* master = GetMasterDataController();
  if (!(master && master->LockCount() > 0)) Change({dccDetail});
  if (AExpanded) {
    if (OnDetailExpanded) OnDetailExpanded(this, ARecordIndex);
  } else if (OnDetailCollapsed) {
    OnDetailCollapsed(this, ARecordIndex);
  }
  return true;
}

void TcxCustomDataController::ResetDetails() {
  if (!HasRelations() || !FRelations->ItemField()) return;
  auto bracket = UpdateBracket(this);
  for (Integer r = 0; r < GetRecordCount(); ++r)
    if (FRelations->ClearDetailInfo(r, -1)) FChanges.Include(dccDetail);
}

void TcxCustomDataController::CollapseDetails() {
  if (!HasRelations() || !FRelations->ItemField()) return;
  // Settling an edit runs the data's handlers, which may free this controller.
  TWeakLink self(this);
  CheckBrowseState();
  if (!self.Alive()) return;
  auto bracket = UpdateBracket(this);
  for (Integer r = 0; r < GetRecordCount(); ++r) {
    if (FRelations->ClearDetailInfo(r, -1)) FChanges.Include(dccDetail);
    if (TcxDetailObject* object = FRelations->GetDetailObject(r); object && object->Expanded()) {
      object->SetExpanded(false);
      FChanges.Include(dccDetail);
    }
  }
}

void TcxCustomDataController::ForEachDetailController(
    TcxCustomDataRelation* ARelation, TMethod<void(TcxCustomDataController* ADetail)> AProc) {
  if (!ARelation || !AProc || !HasRelations()) return;
  const Integer own = FRelations->IndexOf(ARelation);
  // The relation belongs to this controller or to a pattern further down.
  for (Integer r = 0; r < GetRecordCount(); ++r) {
    TcxDetailObject* object = FRelations->FindDetailObject(r);
    if (!object) continue;
    for (Integer i = 0; i < object->InfoCount(); ++i) {
      TcxDetailInfoObject* info = object->Info(i);
      if (!info || !info->DataController()) continue;
      if (own >= 0) {
        if (i == own) AProc(info->DataController());
      } else {
        info->DataController()->ForEachDetailController(ARelation, AProc);
      }
    }
  }
}

void TcxCustomDataController::CheckDetailsBrowseState() {
  if (!HasRelations() || !FRelations->ItemField()) return;
  // Settling a detail's edit runs handlers, which may change this master's records, free
  // details or this master: the details are gathered first, and each is settled while it
  // (and this master) lives.
  std::deque<TWeakLink> details;
  for (Integer r = 0; r < GetRecordCount(); ++r) {
    TcxDetailObject* object = FRelations->FindDetailObject(r);
    if (!object) continue;
    for (Integer i = 0; i < object->InfoCount(); ++i)
      if (TcxDetailInfoObject* info = object->Info(i); info && info->DataController())
        details.emplace_back(info->DataController());
  }
  TWeakLink self(this);
  for (const TWeakLink& link : details) {
    if (!self.Alive()) return;
    if (auto* detail = static_cast<TcxCustomDataController*>(link.Ref()))
      detail->CheckBrowseState();
  }
}

TcxCustomDataController* TcxCustomDataController::GetMasterDataController() const {
  return FMasterRelation ? FMasterRelation->DataController() : nullptr;
}

TcxCustomDataController* TcxCustomDataController::GetPatternDataController() {
  if (!FMasterRelation) return this;
  TcxCustomDataController* pattern = FMasterRelation->DetailDataController();
  return pattern ? pattern : this;
}

TcxDataControllerDetailMode TcxCustomDataController::GetDetailMode() const {
  if (!FMasterRelation) return dcdmNone;
  return FIsPattern || FMasterRecordIndex == -1 ? dcdmPattern : dcdmClone;
}

void TcxCustomDataController::SetMasterRelation(TcxCustomDataRelation* ARelation,
                                                Integer ARecordIndex) {
  auto bracket = UpdateBracket(this);
  if (FMasterRelation && FMasterRelation->FDetailDataController == this)
    FMasterRelation->FDetailDataController = nullptr;
  FMasterRelation = ARelation;
  FMasterRecordIndex = ARelation ? ARecordIndex : -1;
  FIsPattern = false;
  if (ARelation) {
    if (ARecordIndex == -1) {
      // A pattern replaces the relation's previous one, which is left on its own.
      if (TcxCustomDataController* old = ARelation->FDetailDataController; old && old != this) {
        old->FMasterRelation = nullptr;
        old->FMasterRecordIndex = -1;
      }
      ARelation->FDetailDataController = this;
      FIsPattern = true;
    } else if (TcxCustomDataController* pattern = ARelation->DetailDataController();
               pattern && pattern != this) {
      SetCustomDataSource(pattern->CustomDataSource());
    }
  }
  Refresh();
}

void TcxCustomDataController::DetachFromMaster() {
  if (FDetailInfo) {
    if (FDetailInfo->FLinkObject == this) FDetailInfo->FLinkObject = nullptr;
    FDetailInfo->FDataController = nullptr;
    FDetailInfo = nullptr;
  }
  if (FMasterRelation && FMasterRelation->FDetailDataController == this)
    FMasterRelation->FDetailDataController = nullptr;
  FMasterRelation = nullptr;
  FMasterRecordIndex = -1;
}

void TcxCustomDataController::FreeDetails() {
  // The clones go while their relations still exist, then the relations (their patterns
  // stay, on their own).
  if (FRelations && FRelations->ItemField())
    for (Integer r = 0; r < GetRecordCount(); ++r) FRelations->ClearDetailInfo(r, -1);
  FreeAndNil(FRelations);
}

void TcxCustomDataController::FixDetailRecordIndexes(Integer ARecordIndex, Integer ADelta) {
  if (!HasRelations()) return;
  TcxDetailObject* object = FRelations->FindDetailObject(ARecordIndex);
  if (!object) return;
  for (Integer i = 0; i < object->InfoCount(); ++i)
    if (TcxDetailInfoObject* info = object->Info(i); info && info->DataController())
      info->DataController()->FMasterRecordIndex = ARecordIndex + ADelta;
}

void TcxCustomDataController::DetailChanged() {
  TcxCustomDataController* master = GetMasterDataController();
  if (!master || master->FProvider->IsEditing() || !master->HasRelations()) return;
  bool known = false;
  for (Integer r = 0; r < master->GetRecordCount(); ++r) {
    TcxDetailObject* object = master->FRelations->FindDetailObject(r);
    if (!object) continue;
    for (Integer i = 0; i < object->InfoCount(); ++i)
      if (TcxDetailInfoObject* info = object->Info(i); info && info->HasChildrenAssigned()) {
        info->ResetHasChildren();
        known = true;
      }
  }
  if (known) master->Change({dccLayout});
}

TL_DEFINE_CLASS(TcxCustomDataRelation)
TL_DEFINE_CLASS(TcxDetailInfoObject)
TL_DEFINE_CLASS(TcxDetailObject)
TL_DEFINE_CLASS(TcxCustomDataRelationList)
