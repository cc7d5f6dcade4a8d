#include "widgets/editcore/cxEditRepository.h"

#include "classlib/core/Filer.h"
#include "classlib/core/SysUtils.h"

#include <algorithm>

const TResStringRec cxSEditRepositoryItemNotAcceptable = {65408, "The repository item is not acceptable"};

namespace {

TcxEditRepository* gDefaultRepository = nullptr;
Integer gInitCount = 0;

bool Contains(const std::vector<IcxEditRepositoryItemListener*>& L, IcxEditRepositoryItemListener* X) {
  return std::find(L.begin(), L.end(), X) != L.end();
}

}  // namespace

// ---- item ----

void TcxEditRepositoryItem::AfterConstruction() {
  inherited::AfterConstruction();
  FProperties = GetEditPropertiesClass().Create(this);
  FProperties->OnPropertiesChanged = {this, &TcxEditRepositoryItem::PropertiesChanged};
}

void TcxEditRepositoryItem::BeforeDestruction() {
  // A listener may leave (or make another leave) while it hears of the removal.
  const std::vector<IcxEditRepositoryItemListener*> snapshot = FListeners;
  for (auto it = snapshot.rbegin(); it != snapshot.rend(); ++it)
    if (Contains(FListeners, *it)) (*it)->ItemRemoved(this);
  FListeners.clear();
  SetRepository(nullptr);
  FreeAndNil(FProperties);
  inherited::BeforeDestruction();
}

void TcxEditRepositoryItem::PropertiesChanged(TObject*) {
  const std::vector<IcxEditRepositoryItemListener*> snapshot = FListeners;
  for (auto it = snapshot.rbegin(); it != snapshot.rend(); ++it)
    if (Contains(FListeners, *it)) (*it)->PropertiesChanged(this);
}

void TcxEditRepositoryItem::AddListener(IcxEditRepositoryItemListener* AListener) {
  if (AListener && !Contains(FListeners, AListener)) FListeners.push_back(AListener);
}

void TcxEditRepositoryItem::RemoveListener(IcxEditRepositoryItemListener* AListener) {
  FListeners.erase(std::remove(FListeners.begin(), FListeners.end(), AListener), FListeners.end());
}

TcxCustomEditPropertiesClass TcxEditRepositoryItem::GetEditPropertiesClass() const {
  return ClassOf<TcxCustomEditProperties, TcxCustomEditProperties, TPersistent*>();
}

void TcxEditRepositoryItem::AssignProperties(TcxCustomEditProperties* AProperties) {
  if (AProperties && FProperties) FProperties->Assign(AProperties);
}

void TcxEditRepositoryItem::SetRepository(TcxEditRepository* Value) {
  if (FRepository == Value) return;
  if (FRepository) FRepository->RemoveItem(this);
  FRepository = Value;
  if (FRepository) FRepository->AddItem(this);
}

TComponent* TcxEditRepositoryItem::GetParentComponent() const { return FRepository; }

void TcxEditRepositoryItem::SetParentComponent(TComponent* Value) {
  if (InState(TComponentStateItem::csLoading)) return;
  SetRepository(dynamic_cast<TcxEditRepository*>(Value));
}

void TcxEditRepositoryItem::ReadState(TReader& Reader) {
  inherited::ReadState(Reader);
  if (auto* repository = dynamic_cast<TcxEditRepository*>(Reader.Parent())) SetRepository(repository);
}

TL_DEFINE_CLASS(TcxEditRepositoryItem, [](auto&) {});

// ---- repository ----

void TcxEditRepository::BeforeDestruction() {
  while (!FItems.empty()) FItems.back()->Free();
  inherited::BeforeDestruction();
}

void TcxEditRepository::Clear() {
  while (!FItems.empty()) FItems.back()->Free();
}

TcxEditRepositoryItem* TcxEditRepository::CreateItem(TcxEditRepositoryItemClass ARepositoryItemClass) {
  return CreateItemEx(ARepositoryItemClass, this);
}

TcxEditRepositoryItem* TcxEditRepository::CreateItemEx(TcxEditRepositoryItemClass ARepositoryItemClass,
                                                       TComponent* AOwner) {
  TcxEditRepositoryItem* item = ARepositoryItemClass.Create(AOwner);
  item->SetRepository(this);
  return item;
}

TcxEditRepositoryItem* TcxEditRepository::Items(Integer Index) const {
  if (Index < 0 || Index >= Count()) throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return FItems[size_t(Index)];
}

TcxEditRepositoryItem* TcxEditRepository::ItemByName(const String& AName) const {
  if (AName.empty()) return nullptr;
  for (TcxEditRepositoryItem* item : FItems)
    if (AnsiCompareText(item->GetName(), AName) == 0) return item;
  return nullptr;
}

void TcxEditRepository::GetChildren(const TGetChildProc& Proc, TComponent* Root) {
  for (TcxEditRepositoryItem* item : FItems)
    if (item->Owner() == Root) Proc(item);
}

void TcxEditRepository::AddItem(TcxEditRepositoryItem* AItem) {
  if (std::find(FItems.begin(), FItems.end(), AItem) == FItems.end()) FItems.push_back(AItem);
}

void TcxEditRepository::RemoveItem(TcxEditRepositoryItem* AItem) {
  FItems.erase(std::remove(FItems.begin(), FItems.end(), AItem), FItems.end());
}

TL_DEFINE_CLASS(TcxEditRepository, [](auto&) {});

TcxEditRepository* GetDefaultEditRepository() {
  if (!gDefaultRepository) gDefaultRepository = New<TcxEditRepository>(nullptr);
  return gDefaultRepository;
}

namespace cxEditRepository {

void Initialize() { ++gInitCount; }

void Finalize() {
  if (gInitCount == 0 || --gInitCount > 0) return;
  FreeAndNil(gDefaultRepository);
}

}  // namespace cxEditRepository

// ---- link ----

void TcxEditRepositoryItemLink::BeforeDestruction() {
  if (FItem) FItem->RemoveListener(this);
  FItem = nullptr;
  inherited::BeforeDestruction();
}

bool TcxEditRepositoryItemLink::IsItemAcceptable(TcxEditRepositoryItem* AItem) {
  if (!AItem) return true;
  const TcxCustomEditPropertiesClass c = AItem->GetEditPropertiesClass();
  const TcxCustomEditPropertiesClass own = FHost->GetPropertiesClass();
  return c.Class && own.Class && c.Class->InheritsFrom(*own.Class);
}

void TcxEditRepositoryItemLink::AttachOwnProperties() {
  TcxCustomEditProperties* own = FHost->GetOwnProperties();
  if (!own || FHost->IsLinkLocked()) return;
  own->OnPropertiesChanged = {this, &TcxEditRepositoryItemLink::OwnPropertiesChanged};
  own->SetIDefaultValuesProvider(FHost->GetDefaultValuesProvider());
}

void TcxEditRepositoryItemLink::SetItem(TcxEditRepositoryItem* Value) {
  if (Value == FItem) return;
  if (!IsItemAcceptable(Value)) throw Exception(cxGetResourceString(cxSEditRepositoryItemNotAcceptable));
  FHost->RepositoryItemChanging();
  if (FItem) FItem->RemoveListener(this);
  FItem = Value;
  if (FItem) FItem->AddListener(this);
  if (!FItem) {
    AttachOwnProperties();
  } else {
    if (!FHost->IsLinkLocked()) FHost->PropertiesChanged(FItem->GetProperties());
    if (TcxCustomEditProperties* own = FHost->GetOwnProperties()) own->OnPropertiesChanged = nullptr;
  }
  FHost->RepositoryItemChanged();
}

TcxCustomEditProperties* TcxEditRepositoryItemLink::GetActiveProperties() {
  if (!FItem) return FHost->GetOwnProperties();
  TcxCustomEditProperties* p = FItem->GetProperties();
  {
    auto locked = cxPropertiesLockUpdate(p);
    p->SetIDefaultValuesProvider(FHost->GetDefaultValuesProvider());
  }
  return p;
}

void TcxEditRepositoryItemLink::ItemRemoved(TcxEditRepositoryItem* Sender) {
  if (Sender != FItem) return;
  FItem->RemoveListener(this);
  FItem = nullptr;
  // Forgetting the item alone would leave the own properties without a change handler:
  // the editor would no longer hear of its own settings.
  if (FHost->IsLinkLocked()) return;
  AttachOwnProperties();
  if (TcxCustomEditProperties* own = FHost->GetOwnProperties()) FHost->PropertiesChanged(own);
}

void TcxEditRepositoryItemLink::PropertiesChanged(TcxEditRepositoryItem* Sender) {
  if (Sender == FItem && !FHost->IsLinkLocked()) FHost->PropertiesChanged(Sender->GetProperties());
}

TL_DEFINE_CLASS(TcxEditRepositoryItemLink, [](auto&) {});
