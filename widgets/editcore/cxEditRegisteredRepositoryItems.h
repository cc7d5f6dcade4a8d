// Registries that answer which repository item shows a value of a given kind: a default
// item plus items keyed by a class and a version. A registry listens to every item it
// holds, so a destroyed item drops out by itself. Subclasses fill them at start-up.
#pragma once

#include "widgets/editcore/cxEditRepository.h"

#include <vector>

class TcxEditRegisteredRepositoryItems : public TcxInterfacedPersistent, public IcxEditRepositoryItemListener {
  TL_CLASS(TcxEditRegisteredRepositoryItems, TcxInterfacedPersistent)
 public:
  struct TRecord {
    const TClass* Key = nullptr;
    Integer Version = 0;
    TcxEditRepositoryItem* Item = nullptr;  // not owned
  };
  // The version a search takes to match any version of its key.
  static constexpr Integer AnyVersion = 0x7FFFFFFF;

  explicit TcxEditRegisteredRepositoryItems(TPersistent* AOwner = nullptr) : TcxInterfacedPersistent(AOwner) {}
  // Every record goes, each item losing this registry as a listener.
  void BeforeDestruction() override;

  // Drops every record of the item, from the end of each list (defaults first).
  void ItemRemoved(TcxEditRepositoryItem* Sender) override;
  void PropertiesChanged(TcxEditRepositoryItem* Sender) override;

  // The first registration of a key and version wins; answers the record's index. A null
  // item, a null key in RegisterItem, or the any-version value are refused with -1.
  virtual Integer RegisterDefaultItem(Integer AVersion, TcxEditRepositoryItem* AItem);
  virtual Integer RegisterItem(const TClass* AKey, Integer AVersion, TcxEditRepositoryItem* AItem);
  virtual void UnregisterDefaultItem(Integer AVersion);
  virtual void UnregisterItem(const TClass* AKey, Integer AVersion);
  // The item of the lowest version, or nullptr.
  virtual TcxEditRepositoryItem* GetDefaultItem() const;
  // An item of AKey (the lowest version), else the default item.
  virtual TcxEditRepositoryItem* GetItem(const TClass* AKey) const;

  const std::vector<TRecord>& DefaultItems() const { return FDefaultItems; }
  const std::vector<TRecord>& Items() const { return FItems; }
  bool IsDestroying() const { return FDestroying; }

 protected:
  // A hook for subclasses: the registrations changed.
  virtual void Changed() {}

 private:
  Integer AddItem(std::vector<TRecord>& AList, const TClass* AKey, Integer AVersion, TcxEditRepositoryItem* AItem);
  void RemoveAt(std::vector<TRecord>& AList, size_t AIndex);
  // Halving search: true and the index when found, else false and where the record goes.
  static bool Find(const std::vector<TRecord>& AList, const TClass* AKey, Integer AVersion, size_t& AIndex);

  bool FDestroying = false;
  std::vector<TRecord> FDefaultItems;
  std::vector<TRecord> FItems;
};
