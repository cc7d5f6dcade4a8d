// Pointer lists: TList, the owning TObjectList and TInterfaceList.
#pragma once

#include "classlib/core/Object.h"

#include <vector>

using Pointer = void*;

TL_ENUM(TListNotification, lnAdded, lnExtracted, lnDeleted);

class TList : public TObject {
  TL_CLASS(TList, TObject)
 public:
  using TListSortCompare = int (*)(Pointer Item1, Pointer Item2);

  // Notifies lnDeleted for every item, so owning lists free their objects.
  void BeforeDestruction() override;

  Integer Add(Pointer Item);
  void Insert(Integer Index, Pointer Item);
  void Delete(Integer Index);
  Integer Remove(Pointer Item);  // index the item had, or -1
  Pointer Extract(Pointer Item);  // removed without lnDeleted; nullptr when absent
  Integer IndexOf(Pointer Item) const;
  void Move(Integer CurIndex, Integer NewIndex);
  void Exchange(Integer Index1, Integer Index2);
  void Clear();
  void Pack();  // drops nil items
  // Stable: equal items keep their order, and an inconsistent compare cannot corrupt the list.
  void Sort(TListSortCompare Compare);

  Integer Count() const { return Integer(FList.size()); }
  void SetCount(Integer NewCount);
  Integer Capacity() const { return Integer(FList.capacity()); }
  void SetCapacity(Integer NewCapacity);
  Pointer Items(Integer Index) const;
  void SetItems(Integer Index, Pointer Item);
  Pointer operator[](Integer Index) const { return Items(Index); }
  Pointer First() const { return Items(0); }
  Pointer Last() const { return Items(Count() - 1); }

 protected:
  virtual void Notify(Pointer, TListNotification) {}
  void CheckIndex(Integer Index) const;

 private:
  std::vector<Pointer> FList;
};

class TObjectList : public TList {
  TL_CLASS(TObjectList, TList)
 public:
  explicit TObjectList(bool AOwnsObjects = true) : FOwnsObjects(AOwnsObjects) {}

  Integer Add(TObject* AObject) { return TList::Add(AObject); }
  void Insert(Integer Index, TObject* AObject) { TList::Insert(Index, AObject); }
  Integer Remove(TObject* AObject) { return TList::Remove(AObject); }
  TObject* Extract(TObject* Item) { return static_cast<TObject*>(TList::Extract(Item)); }
  Integer IndexOf(TObject* AObject) const { return TList::IndexOf(AObject); }
  TObject* Items(Integer Index) const { return static_cast<TObject*>(TList::Items(Index)); }
  void SetItems(Integer Index, TObject* AObject) { TList::SetItems(Index, AObject); }
  TObject* operator[](Integer Index) const { return Items(Index); }
  TObject* First() const { return Items(0); }
  TObject* Last() const { return Items(Count() - 1); }

  bool OwnsObjects() const { return FOwnsObjects; }
  void SetOwnsObjects(bool v) { FOwnsObjects = v; }

 protected:
  void Notify(Pointer Ptr, TListNotification Action) override;

 private:
  bool FOwnsObjects;
};

// A list of interface pointers; it owns nothing (interfaces are not counted here).
class TInterfaceList : public TObject {
  TL_CLASS(TInterfaceList, TObject)
 public:
  Integer Add(IInterface* Item);
  void Insert(Integer Index, IInterface* Item);
  void Delete(Integer Index);
  Integer Remove(IInterface* Item);
  Integer IndexOf(IInterface* Item) const;
  void Exchange(Integer Index1, Integer Index2);
  void Clear() { FList.clear(); }
  Integer Count() const { return Integer(FList.size()); }
  IInterface* Items(Integer Index) const;
  void SetItems(Integer Index, IInterface* Item);
  IInterface* First() const { return Items(0); }
  IInterface* Last() const { return Items(Count() - 1); }

 private:
  void CheckIndex(Integer Index) const;
  std::vector<IInterface*> FList;
};

[[noreturn]] void ListIndexError(Integer Index);
