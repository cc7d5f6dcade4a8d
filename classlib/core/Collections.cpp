#include "classlib/core/Collections.h"

#include "classlib/core/ScopeGuards.h"

#include <algorithm>
#include <string>

using enum TCollectionNotification;

TL_DEFINE_CLASS(TCollectionItem)
TL_DEFINE_CLASS(TCollection)
TL_DEFINE_CLASS(TOwnedCollection)

// ---- TCollectionItem ----

void TCollectionItem::AfterConstruction() {
  inherited::AfterConstruction();
  SetCollection(FPendingCollection);
  FPendingCollection = nullptr;
}

void TCollectionItem::BeforeDestruction() {
  SetCollection(nullptr);
  inherited::BeforeDestruction();
}

void TCollectionItem::SetCollection(TCollection* Value) {
  if (FCollection == Value) return;
  if (FCollection) FCollection->RemoveItem(this);
  if (Value) Value->InsertItem(this);
}

Integer TCollectionItem::GetIndex() const {
  if (!FCollection) return -1;
  const auto& items = FCollection->FItems;
  auto it = std::find(items.begin(), items.end(), this);
  return it == items.end() ? -1 : Integer(it - items.begin());
}

void TCollectionItem::SetIndex(Integer Value) {
  Integer cur = GetIndex();
  if (cur < 0 || cur == Value) return;
  auto& items = FCollection->FItems;
  Value = std::clamp(Value, Integer(0), Integer(items.size()) - 1);
  items.erase(items.begin() + cur);
  items.insert(items.begin() + Value, this);
  Changed(true);
}

String TCollectionItem::GetDisplayName() const { return ClassName(); }

TPersistent* TCollectionItem::GetOwner() const { return FCollection; }

String TCollectionItem::GetNamePath() const {
  if (!FCollection) return ClassName();
  return FCollection->GetNamePath() + "[" + std::to_string(GetIndex()) + "]";
}

void TCollectionItem::Changed(bool AllItems) {
  if (FCollection && FCollection->FUpdateCount == 0) FCollection->Update(AllItems ? nullptr : this);
}

// ---- TCollection ----

void TCollection::BeforeDestruction() {
  FUpdateCount = 1;  // no change notifications while dying
  Clear();
  inherited::BeforeDestruction();
}

void TCollection::CheckIndex(Integer Index) const {
  if (Index < 0 || Index >= Count()) throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
}

TCollectionItem* TCollection::Add() {
  if (!FItemClass) throw EInvalidOperation("Collection has no item class");
  return FItemClass.Create(this);
}

TCollectionItem* TCollection::Insert(Integer Index) {
  if (Index < 0 || Index > Count()) throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  TCollectionItem* item = Add();
  item->SetIndex(Index);
  return item;
}

void TCollection::Delete(Integer Index) {
  CheckIndex(Index);
  TCollectionItem* item = FItems[size_t(Index)];
  Notify(item, cnDeleting);
  item->Free();
}

void TCollection::Clear() {
  if (FItems.empty()) return;
  auto update = UpdateBracket(this);
  while (!FItems.empty()) FItems.back()->Free();
}

void TCollection::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<TCollection*>(Source)) {
    if (src == this) return;
    auto update = UpdateBracket(this);
    Clear();
    for (TCollectionItem* item : src->FItems) Add()->Assign(item);
    return;
  }
  inherited::Assign(Source);
}

void TCollection::EndUpdate() {
  if (FUpdateCount == 0) return;
  if (--FUpdateCount == 0) Changed();
}

TCollectionItem* TCollection::Items(Integer Index) const {
  CheckIndex(Index);
  return FItems[size_t(Index)];
}

void TCollection::SetItems(Integer Index, TCollectionItem* Value) { Items(Index)->Assign(Value); }

TCollectionItem* TCollection::FindItemID(Integer ID) const {
  for (TCollectionItem* item : FItems)
    if (item->FID == ID) return item;
  return nullptr;
}

String TCollection::GetNamePath() const {
  TPersistent* owner = GetOwner();
  if (!owner) return ClassName();
  String path = owner->GetNamePath();
  return path.empty() ? ClassName() : path + "." + ClassName();
}

void TCollection::Changed() {
  if (FUpdateCount == 0) Update(nullptr);
}

void TCollection::InsertItem(TCollectionItem* Item) {
  if (FItemClass.Class && !Item->InheritsFrom(*FItemClass.Class))
    throw EInvalidOperation(Item->ClassName() + " is not an item class of this collection");
  FItems.push_back(Item);
  Item->FCollection = this;
  Item->FID = FNextID++;
  SetItemName(Item);
  Notify(Item, cnAdded);
  Changed();
}

void TCollection::RemoveItem(TCollectionItem* Item) {
  Notify(Item, cnExtracting);
  auto it = std::find(FItems.begin(), FItems.end(), Item);
  if (it != FItems.end()) FItems.erase(it);
  Item->FCollection = nullptr;
  Changed();
}
