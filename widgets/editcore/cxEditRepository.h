// Edit repository: named items that each own one properties object and share it with
// every editor linked to them, the repository that owns and streams the items, and the
// link through which an editor uses an item's properties instead of its own.
#pragma once

#include "widgets/editcore/cxEditProperties.h"

#include <vector>

class TcxEditRepository;
class TcxEditRepositoryItem;

// {4E27D642-022B-4CD2-AB96-64C7CF9B3299}
class IcxEditRepositoryItemListener : public IInterface {
 public:
  // The item is being destroyed.
  virtual void ItemRemoved(TcxEditRepositoryItem* Sender) = 0;
  virtual void PropertiesChanged(TcxEditRepositoryItem* Sender) = 0;
};

class TcxEditRepositoryItem : public TComponent {
  TL_CLASS(TcxEditRepositoryItem, TComponent)
 public:
  explicit TcxEditRepositoryItem(TComponent* AOwner) : TComponent(AOwner) {}
  // The properties, of the class the item kind asks for.
  void AfterConstruction() override;
  // Listeners hear ItemRemoved (last first), the item leaves its repository, then the properties go.
  void BeforeDestruction() override;

  // Listeners from the last to the first; one that leaves during the call is not called again.
  virtual void PropertiesChanged(TObject* Sender);
  // Once per listener.
  virtual void AddListener(IcxEditRepositoryItemListener* AListener);
  virtual TcxCustomEditPropertiesClass GetEditPropertiesClass() const;
  virtual void RemoveListener(IcxEditRepositoryItemListener* AListener);
  Integer ListenerCount() const { return Integer(FListeners.size()); }

  TcxCustomEditProperties* GetProperties() const { return FProperties; }
  void SetProperties(TcxCustomEditProperties* Value) { AssignProperties(Value); }
  void AssignProperties(TcxCustomEditProperties* AProperties);
  TcxEditRepository* GetRepository() const { return FRepository; }
  void SetRepository(TcxEditRepository* Value);

  bool HasParent() const override { return FRepository != nullptr; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* Value) override;
  void ReadState(TReader& Reader) override;

 private:
  std::vector<IcxEditRepositoryItemListener*> FListeners;
  TcxCustomEditProperties* FProperties = nullptr;
  TcxEditRepository* FRepository = nullptr;
};

using TcxEditRepositoryItemClass = TMetaClass<TcxEditRepositoryItem, TComponent*>;

template <class T>
TcxEditRepositoryItemClass cxEditRepositoryItemClassOf() {
  return ClassOf<T, TcxEditRepositoryItem, TComponent*>();
}

class TcxEditRepository : public TComponent {
  TL_CLASS(TcxEditRepository, TComponent)
 public:
  explicit TcxEditRepository(TComponent* AOwner) : TComponent(AOwner) {}
  // Frees the items from the last to the first.
  void BeforeDestruction() override;

  virtual TcxEditRepositoryItem* CreateItem(TcxEditRepositoryItemClass ARepositoryItemClass);
  virtual TcxEditRepositoryItem* CreateItemEx(TcxEditRepositoryItemClass ARepositoryItemClass, TComponent* AOwner);

  Integer Count() const { return Integer(FItems.size()); }
  TcxEditRepositoryItem* Items(Integer Index) const;
  // Case-insensitive in the user's locale; the first match, or nullptr.
  TcxEditRepositoryItem* ItemByName(const String& AName) const;
  void Clear();
  void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;

 private:
  friend class TcxEditRepositoryItem;
  void AddItem(TcxEditRepositoryItem* AItem);
  void RemoveItem(TcxEditRepositoryItem* AItem);
  std::vector<TcxEditRepositoryItem*> FItems;
};

// The library-wide repository, made on the first request and freed at the unit's finalization.
TcxEditRepository* GetDefaultEditRepository();

// ---- an editor's link to an item ----

// What the link asks of the editor it serves.
class IcxEditRepositoryItemHost : public IInterface {
 public:
  virtual TcxCustomEditProperties* GetOwnProperties() = 0;
  // The properties class of the editor kind: an item must provide it or a descendant.
  virtual TcxCustomEditPropertiesClass GetPropertiesClass() = 0;
  // Loading or being destroyed: changes are not passed on.
  virtual bool IsLinkLocked() = 0;
  virtual void PropertiesChanged(TObject* Sender) = 0;
  // The data binding's provider, handed to whichever properties are active.
  virtual IcxEditDefaultValuesProvider* GetDefaultValuesProvider() = 0;
  virtual void RepositoryItemChanging() {}
  virtual void RepositoryItemChanged() {}
};

// Listens to the linked item for its editor: swaps the listeners, hands the change handler
// and the provider to whichever properties are active, and falls back to the editor's own
// properties when the item goes.
class TcxEditRepositoryItemLink : public TObject, public IcxEditRepositoryItemListener {
  TL_CLASS(TcxEditRepositoryItemLink, TObject)
 public:
  explicit TcxEditRepositoryItemLink(IcxEditRepositoryItemHost* AHost) : FHost(AHost) {}
  void BeforeDestruction() override;

  TcxEditRepositoryItem* GetItem() const { return FItem; }
  // Raises "The repository item is not acceptable" for an item whose properties class does
  // not fit the editor; the old link then stays.
  void SetItem(TcxEditRepositoryItem* Value);
  bool IsItemAcceptable(TcxEditRepositoryItem* AItem);
  // The item's properties (given the provider first) when linked, else the own ones.
  TcxCustomEditProperties* GetActiveProperties();

  void ItemRemoved(TcxEditRepositoryItem* Sender) override;
  void PropertiesChanged(TcxEditRepositoryItem* Sender) override;

 private:
  // Own properties get the editor's change handler and the provider back.
  void AttachOwnProperties();
  void OwnPropertiesChanged(TObject* Sender) { FHost->PropertiesChanged(Sender); }

  IcxEditRepositoryItemHost* FHost;
  TcxEditRepositoryItem* FItem = nullptr;
};

extern const TResStringRec cxSEditRepositoryItemNotAcceptable;

namespace cxEditRepository {
// The last Finalize frees the default repository.
void Initialize();
void Finalize();
}  // namespace cxEditRepository
