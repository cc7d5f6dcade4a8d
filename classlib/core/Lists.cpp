#include "classlib/core/Lists.h"

#include <algorithm>
#include <string>

using enum TListNotification;

TL_DEFINE_CLASS(TList)
TL_DEFINE_CLASS(TObjectList)
TL_DEFINE_CLASS(TInterfaceList)

void ListIndexError(Integer Index) {
  throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
}

// ---- TList ----

void TList::BeforeDestruction() {
  Clear();
  inherited::BeforeDestruction();
}

void TList::CheckIndex(Integer Index) const {
  if (Index < 0 || Index >= Count()) ListIndexError(Index);
}

Integer TList::Add(Pointer Item) {
  FList.push_back(Item);
  if (Item) Notify(Item, lnAdded);
  return Count() - 1;
}

void TList::Insert(Integer Index, Pointer Item) {
  if (Index < 0 || Index > Count()) ListIndexError(Index);
  FList.insert(FList.begin() + Index, Item);
  if (Item) Notify(Item, lnAdded);
}

void TList::Delete(Integer Index) {
  CheckIndex(Index);
  Pointer p = FList[size_t(Index)];
  FList.erase(FList.begin() + Index);
  if (p) Notify(p, lnDeleted);
}

Integer TList::Remove(Pointer Item) {
  Integer i = IndexOf(Item);
  if (i >= 0) Delete(i);
  return i;
}

Pointer TList::Extract(Pointer Item) {
  Integer i = IndexOf(Item);
  if (i < 0) return nullptr;
  Pointer p = FList[size_t(i)];
  FList.erase(FList.begin() + i);
  Notify(p, lnExtracted);
  return p;
}

Integer TList::IndexOf(Pointer Item) const {
  auto it = std::find(FList.begin(), FList.end(), Item);
  return it == FList.end() ? -1 : Integer(it - FList.begin());
}

void TList::Move(Integer CurIndex, Integer NewIndex) {
  if (CurIndex == NewIndex) return;
  CheckIndex(CurIndex);
  CheckIndex(NewIndex);
  Pointer p = FList[size_t(CurIndex)];
  FList.erase(FList.begin() + CurIndex);
  FList.insert(FList.begin() + NewIndex, p);
}

void TList::Exchange(Integer Index1, Integer Index2) {
  CheckIndex(Index1);
  CheckIndex(Index2);
  std::swap(FList[size_t(Index1)], FList[size_t(Index2)]);
}

void TList::Clear() {
  // Items leave one at a time from the end, so a Notify that looks at the list sees it whole.
  while (!FList.empty()) {
    Pointer p = FList.back();
    FList.pop_back();
    if (p) Notify(p, lnDeleted);
  }
  FList.shrink_to_fit();
}

void TList::Pack() { FList.erase(std::remove(FList.begin(), FList.end(), nullptr), FList.end()); }

void TList::Sort(TListSortCompare Compare) {
  if (!Compare) return;
  std::stable_sort(FList.begin(), FList.end(), [Compare](Pointer a, Pointer b) { return Compare(a, b) < 0; });
}

void TList::SetCount(Integer NewCount) {
  if (NewCount < 0 || NewCount > (1 << 27))
    throw EListError("List count out of bounds (" + std::to_string(NewCount) + ")");
  while (Count() > NewCount) Delete(Count() - 1);
  FList.resize(size_t(NewCount), nullptr);
}

void TList::SetCapacity(Integer NewCapacity) {
  if (NewCapacity < Count() || NewCapacity > (1 << 27))
    throw EListError("List capacity out of bounds (" + std::to_string(NewCapacity) + ")");
  FList.reserve(size_t(NewCapacity));
}

Pointer TList::Items(Integer Index) const {
  CheckIndex(Index);
  return FList[size_t(Index)];
}

void TList::SetItems(Integer Index, Pointer Item) {
  CheckIndex(Index);
  Pointer old = FList[size_t(Index)];
  if (old == Item) return;
  FList[size_t(Index)] = Item;
  if (old) Notify(old, lnDeleted);
  if (Item) Notify(Item, lnAdded);
}

// ---- TObjectList ----

void TObjectList::Notify(Pointer Ptr, TListNotification Action) {
  if (FOwnsObjects && Action == lnDeleted) static_cast<TObject*>(Ptr)->Free();
  inherited::Notify(Ptr, Action);
}

// ---- TInterfaceList ----

void TInterfaceList::CheckIndex(Integer Index) const {
  if (Index < 0 || Index >= Count()) ListIndexError(Index);
}

Integer TInterfaceList::Add(IInterface* Item) {
  FList.push_back(Item);
  return Count() - 1;
}

void TInterfaceList::Insert(Integer Index, IInterface* Item) {
  if (Index < 0 || Index > Count()) ListIndexError(Index);
  FList.insert(FList.begin() + Index, Item);
}

void TInterfaceList::Delete(Integer Index) {
  CheckIndex(Index);
  FList.erase(FList.begin() + Index);
}

Integer TInterfaceList::Remove(IInterface* Item) {
  Integer i = IndexOf(Item);
  if (i >= 0) Delete(i);
  return i;
}

Integer TInterfaceList::IndexOf(IInterface* Item) const {
  auto it = std::find(FList.begin(), FList.end(), Item);
  return it == FList.end() ? -1 : Integer(it - FList.begin());
}

void TInterfaceList::Exchange(Integer Index1, Integer Index2) {
  CheckIndex(Index1);
  CheckIndex(Index2);
  std::swap(FList[size_t(Index1)], FList[size_t(Index2)]);
}

IInterface* TInterfaceList::Items(Integer Index) const {
  CheckIndex(Index);
  return FList[size_t(Index)];
}

void TInterfaceList::SetItems(Integer Index, IInterface* Item) {
  CheckIndex(Index);
  FList[size_t(Index)] = Item;
}
