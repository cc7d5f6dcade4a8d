// Collections: ordered lists of items of one item class, owned by the collection.
#pragma once

#include "classlib/core/Classes.h"

#include <vector>

class TCollection;
class TCollectionItem;

using TCollectionItemClass = TMetaClass<TCollectionItem, TCollection*>;

TL_ENUM(TCollectionNotification, cnAdded, cnExtracting, cnDeleting);

class TCollectionItem : public TPersistent {
  TL_CLASS(TCollectionItem, TPersistent)
 public:
  // The item joins Collection in AfterConstruction, where the collection's overrides
  // see the finished item.
  explicit TCollectionItem(TCollection* Collection) : FPendingCollection(Collection) {}
  void AfterConstruction() override;
  void BeforeDestruction() override;

  TCollection* Collection() const { return FCollection; }
  void SetCollection(TCollection* Value);
  Integer ID() const { return FID; }
  Integer GetIndex() const;
  virtual void SetIndex(Integer Value);
  virtual String GetDisplayName() const;
  virtual void SetDisplayName(const String&) { Changed(false); }
  TPersistent* GetOwner() const override;
  String GetNamePath() const override;

 protected:
  // Tells the collection: this item alone changed, or (AllItems) the whole collection.
  void Changed(bool AllItems);

 private:
  friend class TCollection;
  TCollection* FPendingCollection;
  TCollection* FCollection = nullptr;
  Integer FID = 0;
};

class TCollection : public TPersistent {
  TL_CLASS(TCollection, TPersistent)
 public:
  explicit TCollection(TCollectionItemClass ItemClass) : FItemClass(ItemClass) {}
  void BeforeDestruction() override;

  TCollectionItem* Add();
  TCollectionItem* Insert(Integer Index);
  void Delete(Integer Index);
  void Clear();
  void Assign(TPersistent* Source) override;
  virtual void BeginUpdate() { ++FUpdateCount; }
  virtual void EndUpdate();
  Integer Count() const { return Integer(FItems.size()); }
  TCollectionItem* Items(Integer Index) const;
  // Assigns Value to the item at Index.
  void SetItems(Integer Index, TCollectionItem* Value);
  TCollectionItem* FindItemID(Integer ID) const;
  const TCollectionItemClass& ItemClass() const { return FItemClass; }
  TPersistent* GetOwner() const override { return nullptr; }
  String GetNamePath() const override;
  Integer UpdateCount() const { return FUpdateCount; }

 protected:
  virtual void Notify(TCollectionItem*, TCollectionNotification) {}
  // Item nullptr: the whole collection changed.
  virtual void Update(TCollectionItem*) {}
  void Changed();
  virtual void SetItemName(TCollectionItem*) {}

 private:
  friend class TCollectionItem;
  void InsertItem(TCollectionItem* Item);
  void RemoveItem(TCollectionItem* Item);
  void CheckIndex(Integer Index) const;

  TCollectionItemClass FItemClass;
  std::vector<TCollectionItem*> FItems;
  Integer FUpdateCount = 0;
  Integer FNextID = 0;
};

class TOwnedCollection : public TCollection {
  TL_CLASS(TOwnedCollection, TCollection)
 public:
  TOwnedCollection(TPersistent* AOwner, TCollectionItemClass ItemClass) : TCollection(ItemClass), FOwner(AOwner) {}
  TPersistent* GetOwner() const override { return FOwner; }

 private:
  TPersistent* FOwner;
};
