#include "widgets/data/cxDataFields.h"

#include "classlib/core/Lists.h"
#include "widgets/data/cxCustomData.h"

#include <algorithm>

// ---- TcxCustomDataField ----

TcxCustomDataField::TcxCustomDataField(TcxCustomDataFieldList* AFieldList) : FFieldList(AFieldList) {}

void TcxCustomDataField::BeforeDestruction() {
  if (FFieldList) FFieldList->Extract(this);
  if (!FReferenceField) FreeValueDef();
  inherited::BeforeDestruction();
}

void TcxCustomDataField::Reassign(TcxCustomDataField* ASource) {
  FValueDef = ASource->FValueDef;
  if (FValueDef) FValueDef->SetLink(this);
  FValueTypeClass = ASource->FValueTypeClass;
  FTextStored = ASource->FTextStored;
  FReferenceField = nullptr;
  ASource->FValueDef = nullptr;
  ASource->FValueTypeClass = nullptr;
}

void TcxCustomDataField::RemoveNotification(TComponent*) {}

bool TcxCustomDataField::CanModify(TcxDataEditValueSource) const {
  if (RootField()->FValueDef) return true;
  TcxCustomDataController* c = GetDataController();
  return c && c->IsProviderMode();
}

TcxCustomDataController* TcxCustomDataField::GetDataController() const {
  return FFieldList ? FFieldList->DataController() : nullptr;
}

void TcxCustomDataField::SetIsInternal(bool Value) {
  FIsInternal = Value;
  if (FFieldList) FFieldList->Recount();
}

Integer TcxCustomDataField::GetIndex() const { return FFieldList ? FFieldList->IndexOf(this) : -1; }

void TcxCustomDataField::SetIndex(Integer Value) {
  if (FFieldList) FFieldList->Move(GetIndex(), Value);
}

TcxCustomDataField* TcxCustomDataField::RootField() const {
  const TcxCustomDataField* f = this;
  while (f->FReferenceField) f = f->FReferenceField;
  return const_cast<TcxCustomDataField*>(f);
}

void TcxCustomDataField::SetReferenceField(TcxCustomDataField* AField) {
  if (AField == FReferenceField) return;
  // A chain that leads back here would make the root search loop for ever.
  for (const TcxCustomDataField* f = AField; f; f = f->FReferenceField)
    if (f == this) throw EcxInvalidDataControllerOperation("Circular field reference");
  if (!FReferenceField) {
    FreeValueDef();
    FValueTypeClass = nullptr;
  }
  FReferenceField = AField;
  if (!FReferenceField) CreateValueDef();
}

TcxValueDef* TcxCustomDataField::GetValueDef() const { return RootField()->FValueDef; }
TcxValueTypeClass TcxCustomDataField::GetValueTypeClass() const { return RootField()->FValueTypeClass; }
bool TcxCustomDataField::GetTextStored() const { return RootField()->FTextStored; }

void TcxCustomDataField::SetValueTypeClass(TcxValueTypeClass Value) {
  if (FReferenceField || FValueTypeClass == Value) return;
  BeginRecreateValueDef();
  FValueTypeClass = Value;
  EndRecreateValueDef();
}

void TcxCustomDataField::SetTextStored(bool Value) {
  if (FReferenceField || FTextStored == Value) return;
  BeginRecreateValueDef();
  FTextStored = Value;
  EndRecreateValueDef();
}

void TcxCustomDataField::BeginRecreateValueDef() {
  if (FRecreateCount++ == 0) FreeValueDef();
}

void TcxCustomDataField::EndRecreateValueDef() {
  if (--FRecreateCount == 0) CreateValueDef();
}

void TcxCustomDataField::CreateValueDef() {
  if (FReferenceField || !FValueTypeClass || FValueDef || FRecreateCount > 0) return;
  TcxCustomDataController* c = GetDataController();
  if (!c) return;
  // Only internal fields are kept when the storage keeps stored values only: the values
  // of the others then come from the provider.
  FValueDef = c->DataStorage()->ValueDefs()->Add(FValueTypeClass, FIsInternal, FTextStored, this);
}

void TcxCustomDataField::FreeValueDef() {
  TcxValueDef* d = FValueDef;
  FValueDef = nullptr;
  if (d) d->Free();
}

// ---- TcxCustomDataFieldList ----

TcxCustomDataFieldList::TcxCustomDataFieldList(TcxCustomDataController* ADataController)
    : FDataController(ADataController) {}

void TcxCustomDataFieldList::BeforeDestruction() {
  Clear();
  inherited::BeforeDestruction();
}

void TcxCustomDataFieldList::RemoveNotification(TComponent* AComponent) {
  for (TcxCustomDataField* f : std::vector<TcxCustomDataField*>(FItems)) f->RemoveNotification(AComponent);
}

void TcxCustomDataFieldList::Add(TcxCustomDataField* AField) {
  AField->FFieldList = this;
  if (AField->IsInternal())
    FItems.push_back(AField);
  else
    FItems.insert(FItems.begin() + VisibleCount(), AField);
  Recount();
  AField->CreateValueDef();
}

void TcxCustomDataFieldList::Remove(TcxCustomDataField* AField) {
  if (IndexOf(AField) < 0) return;
  FChanged = true;
  if (FDataController) FDataController->FieldRemoved(AField);
  if (FDataController) FDataController->ProviderFieldRemoved(AField);
  ReleaseReferences(AField);
  AField->Free();
}

void TcxCustomDataFieldList::Clear() {
  while (!FItems.empty()) {
    TcxCustomDataField* f = FItems.back();
    // Referencing fields go first, so that no field outlives the storage it reads.
    for (TcxCustomDataField* g : FItems)
      if (g->FReferenceField == f) g->FReferenceField = nullptr;
    f->Free();
  }
}

TcxCustomDataField* TcxCustomDataFieldList::FieldByItem(TObject* AItem) const {
  for (TcxCustomDataField* f : FItems)
    if (f->FItem == AItem) return f;
  return nullptr;
}

void TcxCustomDataFieldList::ReleaseReferences(TcxCustomDataField* AField) {
  if (TcxCustomDataField* up = AField->FReferenceField) {
    // A link in the middle of a chain owns no storage: the fields behind it read the
    // root's through the field before it.
    for (TcxCustomDataField* f : FItems)
      if (f != AField && f->FReferenceField == AField) f->FReferenceField = up;
    return;
  }
  TcxCustomDataField* heir = nullptr;
  for (TcxCustomDataField* f : FItems) {
    if (f == AField || f->FReferenceField != AField) continue;
    if (!heir) {
      heir = f;
      heir->Reassign(AField);
    } else {
      f->FReferenceField = heir;
    }
  }
}

TcxCustomDataField* TcxCustomDataFieldList::GetItem(Integer AIndex) const {
  if (AIndex < 0 || AIndex >= GetCount()) ListIndexError(AIndex);
  return FItems[size_t(AIndex)];
}

Integer TcxCustomDataFieldList::IndexOf(const TcxCustomDataField* AField) const {
  auto it = std::find(FItems.begin(), FItems.end(), AField);
  return it == FItems.end() ? -1 : Integer(it - FItems.begin());
}

void TcxCustomDataFieldList::Extract(TcxCustomDataField* AField) {
  auto it = std::find(FItems.begin(), FItems.end(), AField);
  if (it == FItems.end()) return;
  FItems.erase(it);
  Recount();
}

void TcxCustomDataFieldList::Move(Integer ACurIndex, Integer ANewIndex) {
  if (ACurIndex < 0 || ACurIndex >= GetCount()) ListIndexError(ACurIndex);
  if (ANewIndex < 0 || ANewIndex >= GetCount()) ListIndexError(ANewIndex);
  TcxCustomDataField* f = FItems[size_t(ACurIndex)];
  FItems.erase(FItems.begin() + ACurIndex);
  FItems.insert(FItems.begin() + ANewIndex, f);
}

void TcxCustomDataFieldList::Recount() {
  FInternalCount = Integer(std::count_if(FItems.begin(), FItems.end(), [](auto* f) { return f->IsInternal(); }));
}

TL_DEFINE_CLASS(TcxCustomDataField)
TL_DEFINE_CLASS(TcxCustomDataFieldList)
