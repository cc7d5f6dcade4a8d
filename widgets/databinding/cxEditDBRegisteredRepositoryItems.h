// The repository items that show a value when nobody chose an editor: one registry keyed
// by the value type of a data controller's field, one keyed by a data set's field. Each
// keeps a default item for keys without an entry; the items live in the library's default
// repository and drop out of a registry by themselves when they are destroyed.
#pragma once

#include "classlib/core/DB.h"
#include "widgets/data/cxDataStorage.h"
#include "widgets/editcore/cxEditRegisteredRepositoryItems.h"

#include <array>
#include <vector>

// Shared by both registries: an item held under keys of the registry's own kind keeps the
// registry listening as long as any list still holds it.
class TcxEditKeyedRegisteredRepositoryItems : public TcxEditRegisteredRepositoryItems {
  TL_CLASS(TcxEditKeyedRegisteredRepositoryItems, TcxEditRegisteredRepositoryItems)
 public:
  using TcxEditRegisteredRepositoryItems::TcxEditRegisteredRepositoryItems;
  void ItemRemoved(TcxEditRepositoryItem* Sender) override;
  void UnregisterDefaultItem(Integer AVersion) override;
  void UnregisterItem(const TClass* AKey, Integer AVersion) override;

 protected:
  // Whether a list of the subclass holds the item.
  virtual bool HoldsKeyedItem(TcxEditRepositoryItem* AItem) const = 0;
  // Drops the item from every list of the subclass.
  virtual void RemoveKeyedItem(TcxEditRepositoryItem* AItem) = 0;
  // Starts listening to an item a list of the subclass took in.
  void ListenTo(TcxEditRepositoryItem* AItem);
  // Stops listening once no list at all holds the item.
  void ReleaseItem(TcxEditRepositoryItem* AItem);

 private:
  bool HoldsBaseItem(TcxEditRepositoryItem* AItem) const;
};

// Keyed by value type class, exactly (a descendant type does not take its parent's item).
class TcxEditDataRegisteredRepositoryItems : public TcxEditKeyedRegisteredRepositoryItems {
  TL_CLASS(TcxEditDataRegisteredRepositoryItems, TcxEditKeyedRegisteredRepositoryItems)
 public:
  using TcxEditKeyedRegisteredRepositoryItems::TcxEditKeyedRegisteredRepositoryItems;
  void BeforeDestruction() override;

  // The item registered for the value type, else the default item (which may be nil).
  TcxEditRepositoryItem* GetItemByValueType(TcxValueTypeClass AValueTypeClass) const;
  // The first registration of a value type wins; a nil type or item is refused.
  void RegisterItemByValueType(TcxValueTypeClass AValueTypeClass, TcxEditRepositoryItem* AItem);
  void UnregisterItemByValueType(TcxValueTypeClass AValueTypeClass);

 protected:
  bool HoldsKeyedItem(TcxEditRepositoryItem* AItem) const override;
  void RemoveKeyedItem(TcxEditRepositoryItem* AItem) override;

 private:
  struct TEntry {
    TcxValueTypeClass Key;
    TcxEditRepositoryItem* Item;  // not owned
  };
  std::vector<TEntry> FEntries;
};

// Keyed by field type (one slot per type), with one list for currency fields and one for
// lookup fields, of which the first entry answers.
class TcxEditDBRegisteredRepositoryItems : public TcxEditKeyedRegisteredRepositoryItems {
  TL_CLASS(TcxEditDBRegisteredRepositoryItems, TcxEditKeyedRegisteredRepositoryItems)
 public:
  static constexpr size_t kFieldTypeCount = EnumInfo<TFieldType>::Count;

  using TcxEditKeyedRegisteredRepositoryItems::TcxEditKeyedRegisteredRepositoryItems;
  // Marks itself as going, empties the currency and lookup lists, then the rest.
  void BeforeDestruction() override;

  // No field: the default item. A lookup field: the lookup item. A numeric field that
  // counts money: the currency item. Otherwise the item of the field's type. Each falls
  // back to the default item when its entry is empty, as does a type outside the table.
  TcxEditRepositoryItem* GetItemByField(TField* AField) const;
  TcxEditRepositoryItem* GetItemByFieldType(TFieldType AFieldType) const;
  // A type outside the table is refused; the first registration of a type wins.
  void RegisterItemByFieldType(TFieldType AFieldType, TcxEditRepositoryItem* AItem);
  void UnregisterItemByFieldType(TFieldType AFieldType);
  void RegisterCurrencyItem(TcxEditRepositoryItem* AItem);
  void UnregisterCurrencyItem(TcxEditRepositoryItem* AItem);
  void RegisterLookupItem(TcxEditRepositoryItem* AItem);
  void UnregisterLookupItem(TcxEditRepositoryItem* AItem);
  // The first entry of each list, nil when it is empty.
  TcxEditRepositoryItem* GetCurrencyItem() const { return FCurrencyItems.empty() ? nullptr : FCurrencyItems.front(); }
  TcxEditRepositoryItem* GetLookupItem() const { return FLookupItems.empty() ? nullptr : FLookupItems.front(); }

 protected:
  bool HoldsKeyedItem(TcxEditRepositoryItem* AItem) const override;
  void RemoveKeyedItem(TcxEditRepositoryItem* AItem) override;

 private:
  static bool IsInTable(TFieldType AFieldType) { return size_t(Ord(AFieldType)) < kFieldTypeCount; }
  std::array<TcxEditRepositoryItem*, kFieldTypeCount> FFieldTypeItems{};
  std::vector<TcxEditRepositoryItem*> FCurrencyItems;
  std::vector<TcxEditRepositoryItem*> FLookupItems;
};

// Created on the first call; freed by the unit's shut-down.
TcxEditDataRegisteredRepositoryItems* cxGetEditDataRegisteredRepositoryItems();
TcxEditDBRegisteredRepositoryItems* cxGetEditDBRegisteredRepositoryItems();

// The item class of a field type at start-up: empty where the type takes the default item.
TcxEditRepositoryItemClass cxEditDBFieldTypeItemClass(TFieldType AFieldType);

namespace cxEditDBRegisteredRepositoryItems {
// Fills both registries with items made in the default repository; shut-down frees those
// items and both registries.
void Initialize();
void Finalize();
}  // namespace cxEditDBRegisteredRepositoryItems
