#include "widgets/databinding/cxEditDBRegisteredRepositoryItems.h"

#include "widgets/databinding/cxDBLookupComboBox.h"

#include "platform/kernel/Units.h"
#include "widgets/special/cxEditRepositoryItems.h"

#include <algorithm>

// ---- keyed lists beside the base's ----

bool TcxEditKeyedRegisteredRepositoryItems::HoldsBaseItem(TcxEditRepositoryItem* AItem) const {
  auto holds = [AItem](const TRecord& r) { return r.Item == AItem; };
  return std::any_of(DefaultItems().begin(), DefaultItems().end(), holds) ||
         std::any_of(Items().begin(), Items().end(), holds);
}

void TcxEditKeyedRegisteredRepositoryItems::ListenTo(TcxEditRepositoryItem* AItem) {
  AItem->AddListener(this);  // once per listener, however many lists hold it
  Changed();
}

void TcxEditKeyedRegisteredRepositoryItems::ReleaseItem(TcxEditRepositoryItem* AItem) {
  if (!HoldsBaseItem(AItem) && !HoldsKeyedItem(AItem)) AItem->RemoveListener(this);
  Changed();
}

void TcxEditKeyedRegisteredRepositoryItems::ItemRemoved(TcxEditRepositoryItem* Sender) {
  RemoveKeyedItem(Sender);
  inherited::ItemRemoved(Sender);
}

// The base stops listening when its own lists let an item go; a keyed list may still hold it.
void TcxEditKeyedRegisteredRepositoryItems::UnregisterDefaultItem(Integer AVersion) {
  const std::vector<TRecord> before = DefaultItems();
  inherited::UnregisterDefaultItem(AVersion);
  for (const TRecord& r : before)
    if (HoldsKeyedItem(r.Item)) r.Item->AddListener(this);
}

void TcxEditKeyedRegisteredRepositoryItems::UnregisterItem(const TClass* AKey, Integer AVersion) {
  const std::vector<TRecord> before = Items();
  inherited::UnregisterItem(AKey, AVersion);
  for (const TRecord& r : before)
    if (HoldsKeyedItem(r.Item)) r.Item->AddListener(this);
}

TL_DEFINE_CLASS(TcxEditKeyedRegisteredRepositoryItems, [](auto&) {});

// ---- by value type ----

TcxEditRepositoryItem* TcxEditDataRegisteredRepositoryItems::GetItemByValueType(
    TcxValueTypeClass AValueTypeClass) const {
  for (const TEntry& e : FEntries)
    if (e.Key == AValueTypeClass) return e.Item;
  return GetDefaultItem();
}

void TcxEditDataRegisteredRepositoryItems::RegisterItemByValueType(TcxValueTypeClass AValueTypeClass,
                                                                   TcxEditRepositoryItem* AItem) {
  if (!AValueTypeClass || !AItem) return;
  for (const TEntry& e : FEntries)
    if (e.Key == AValueTypeClass) return;
  FEntries.push_back({AValueTypeClass, AItem});
  ListenTo(AItem);
}

void TcxEditDataRegisteredRepositoryItems::UnregisterItemByValueType(TcxValueTypeClass AValueTypeClass) {
  for (auto it = FEntries.begin(); it != FEntries.end(); ++it)
    if (it->Key == AValueTypeClass) {
      TcxEditRepositoryItem* item = it->Item;
      FEntries.erase(it);
      ReleaseItem(item);
      return;
    }
}

bool TcxEditDataRegisteredRepositoryItems::HoldsKeyedItem(TcxEditRepositoryItem* AItem) const {
  return std::any_of(FEntries.begin(), FEntries.end(), [AItem](const TEntry& e) { return e.Item == AItem; });
}

void TcxEditDataRegisteredRepositoryItems::RemoveKeyedItem(TcxEditRepositoryItem* AItem) {
  std::erase_if(FEntries, [AItem](const TEntry& e) { return e.Item == AItem; });
}

void TcxEditDataRegisteredRepositoryItems::BeforeDestruction() {
  while (!FEntries.empty()) UnregisterItemByValueType(FEntries.back().Key);
  inherited::BeforeDestruction();
}

TL_DEFINE_CLASS(TcxEditDataRegisteredRepositoryItems, [](auto&) {});

// ---- by field ----

TcxEditRepositoryItem* TcxEditDBRegisteredRepositoryItems::GetItemByFieldType(TFieldType AFieldType) const {
  TcxEditRepositoryItem* item = IsInTable(AFieldType) ? FFieldTypeItems[size_t(Ord(AFieldType))] : nullptr;
  return item ? item : GetDefaultItem();
}

TcxEditRepositoryItem* TcxEditDBRegisteredRepositoryItems::GetItemByField(TField* AField) const {
  if (!AField) return GetDefaultItem();
  if (AField->FieldKind() == TFieldKind::fkLookup) {
    TcxEditRepositoryItem* item = GetLookupItem();
    return item ? item : GetDefaultItem();
  }
  if (auto* numeric = dynamic_cast<TNumericField*>(AField); numeric && numeric->GetCurrency()) {
    TcxEditRepositoryItem* item = GetCurrencyItem();
    return item ? item : GetDefaultItem();
  }
  return GetItemByFieldType(AField->DataType());
}

void TcxEditDBRegisteredRepositoryItems::RegisterItemByFieldType(TFieldType AFieldType,
                                                                 TcxEditRepositoryItem* AItem) {
  if (!AItem || !IsInTable(AFieldType)) return;
  TcxEditRepositoryItem*& slot = FFieldTypeItems[size_t(Ord(AFieldType))];
  if (slot) return;
  slot = AItem;
  ListenTo(AItem);
}

void TcxEditDBRegisteredRepositoryItems::UnregisterItemByFieldType(TFieldType AFieldType) {
  if (!IsInTable(AFieldType)) return;
  TcxEditRepositoryItem*& slot = FFieldTypeItems[size_t(Ord(AFieldType))];
  if (TcxEditRepositoryItem* item = slot) {
    slot = nullptr;
    ReleaseItem(item);
  }
}

namespace {

void AddOnce(std::vector<TcxEditRepositoryItem*>& AList, TcxEditRepositoryItem* AItem) {
  if (std::find(AList.begin(), AList.end(), AItem) == AList.end()) AList.push_back(AItem);
}

bool RemoveFrom(std::vector<TcxEditRepositoryItem*>& AList, TcxEditRepositoryItem* AItem) {
  return std::erase(AList, AItem) > 0;
}

}  // namespace

void TcxEditDBRegisteredRepositoryItems::RegisterCurrencyItem(TcxEditRepositoryItem* AItem) {
  if (!AItem) return;
  AddOnce(FCurrencyItems, AItem);
  ListenTo(AItem);
}

void TcxEditDBRegisteredRepositoryItems::UnregisterCurrencyItem(TcxEditRepositoryItem* AItem) {
  if (RemoveFrom(FCurrencyItems, AItem)) ReleaseItem(AItem);
}

void TcxEditDBRegisteredRepositoryItems::RegisterLookupItem(TcxEditRepositoryItem* AItem) {
  if (!AItem) return;
  AddOnce(FLookupItems, AItem);
  ListenTo(AItem);
}

void TcxEditDBRegisteredRepositoryItems::UnregisterLookupItem(TcxEditRepositoryItem* AItem) {
  if (RemoveFrom(FLookupItems, AItem)) ReleaseItem(AItem);
}

bool TcxEditDBRegisteredRepositoryItems::HoldsKeyedItem(TcxEditRepositoryItem* AItem) const {
  auto in = [AItem](const auto& AList) { return std::find(AList.begin(), AList.end(), AItem) != AList.end(); };
  return in(FFieldTypeItems) || in(FCurrencyItems) || in(FLookupItems);
}

void TcxEditDBRegisteredRepositoryItems::RemoveKeyedItem(TcxEditRepositoryItem* AItem) {
  for (TcxEditRepositoryItem*& slot : FFieldTypeItems)
    if (slot == AItem) slot = nullptr;
  RemoveFrom(FCurrencyItems, AItem);
  RemoveFrom(FLookupItems, AItem);
}

void TcxEditDBRegisteredRepositoryItems::BeforeDestruction() {
  while (!FCurrencyItems.empty()) UnregisterCurrencyItem(FCurrencyItems.back());
  while (!FLookupItems.empty()) UnregisterLookupItem(FLookupItems.back());
  for (size_t i = kFieldTypeCount; i-- > 0;) UnregisterItemByFieldType(TFieldType(i));
  inherited::BeforeDestruction();
}

TL_DEFINE_CLASS(TcxEditDBRegisteredRepositoryItems, [](auto&) {});

// ---- the registries and their start-up ----

namespace {

TcxEditDataRegisteredRepositoryItems* gDataItems = nullptr;
TcxEditDBRegisteredRepositoryItems* gDBItems = nullptr;
// What start-up made, so shut-down frees exactly those.
std::vector<TcxEditRepositoryItem*> gCreatedItems;
UnitCounter gUnit;

TcxEditRepositoryItem* MakeItem(TcxEditRepositoryItemClass AClass) {
  TcxEditRepositoryItem* item = GetDefaultEditRepository()->CreateItem(AClass);
  gCreatedItems.push_back(item);
  return item;
}

// Freed items leave both registries on their own; freeing them also keeps a restart from
// piling copies into the default repository.
// An item somebody else freed meanwhile is no longer in the repository and is skipped.
void FreeAll() {
  TcxEditRepository* repository = GetDefaultEditRepository();
  for (auto it = gCreatedItems.rbegin(); it != gCreatedItems.rend(); ++it)
    for (Integer i = repository->Count(); i-- > 0;)
      if (repository->Items(i) == *it) {
        (*it)->Free();
        break;
      }
  gCreatedItems.clear();
  if (gDBItems) gDBItems->Free();
  gDBItems = nullptr;
  if (gDataItems) gDataItems->Free();
  gDataItems = nullptr;
}

}  // namespace

TcxEditDataRegisteredRepositoryItems* cxGetEditDataRegisteredRepositoryItems() {
  if (!gDataItems) gDataItems = New<TcxEditDataRegisteredRepositoryItems>(nullptr);
  return gDataItems;
}

TcxEditDBRegisteredRepositoryItems* cxGetEditDBRegisteredRepositoryItems() {
  if (!gDBItems) gDBItems = New<TcxEditDBRegisteredRepositoryItems>(nullptr);
  return gDBItems;
}

TcxEditRepositoryItemClass cxEditDBFieldTypeItemClass(TFieldType AFieldType) {
  using enum TFieldType;
  switch (AFieldType) {
    case ftBoolean:
      return cxEditRepositoryItemClassOf<TcxEditRepositoryCheckBoxItem>();
    case ftDate:
    case ftDateTime:
    case ftTimeStamp:
      return cxEditRepositoryItemClassOf<TcxEditRepositoryDateItem>();
    case ftTime:
      return cxEditRepositoryItemClassOf<TcxEditRepositoryTimeItem>();
    case ftMemo:
      return cxEditRepositoryItemClassOf<TcxEditRepositoryMemoItem>();
    case ftGraphic:
      return cxEditRepositoryItemClassOf<TcxEditRepositoryImageItem>();
    case ftBytes:
    case ftVarBytes:
    case ftBlob:
    case ftFmtMemo:
    case ftOle1:
    case ftOle2:
    case ftTypedBinary:
      return cxEditRepositoryItemClassOf<TcxEditRepositoryBlobItem>();
    default:
      return {};
  }
}

void cxEditDBRegisteredRepositoryItems::Initialize() {
  if (!gUnit.Enter()) return;
  try {
    TcxEditDataRegisteredRepositoryItems* data = cxGetEditDataRegisteredRepositoryItems();
    data->RegisterDefaultItem(0, MakeItem(cxEditRepositoryItemClassOf<TcxEditRepositoryTextItem>()));
    data->RegisterItemByValueType(TcxBooleanValueType::StaticClass(),
                                  MakeItem(cxEditRepositoryItemClassOf<TcxEditRepositoryCheckBoxItem>()));
    data->RegisterItemByValueType(TcxCurrencyValueType::StaticClass(),
                                  MakeItem(cxEditRepositoryItemClassOf<TcxEditRepositoryCurrencyItem>()));
    data->RegisterItemByValueType(TcxDateTimeValueType::StaticClass(),
                                  MakeItem(cxEditRepositoryItemClassOf<TcxEditRepositoryDateItem>()));
    data->RegisterItemByValueType(TcxFMTBcdValueType::StaticClass(),
                                  MakeItem(cxEditRepositoryItemClassOf<TcxEditRepositoryCurrencyItem>()));
    data->RegisterItemByValueType(TcxSQLTimeStampValueType::StaticClass(),
                                  MakeItem(cxEditRepositoryItemClassOf<TcxEditRepositoryDateItem>()));

    TcxEditDBRegisteredRepositoryItems* db = cxGetEditDBRegisteredRepositoryItems();
    db->RegisterDefaultItem(0, MakeItem(cxEditRepositoryItemClassOf<TcxEditRepositoryMaskItem>()));
    db->RegisterCurrencyItem(MakeItem(cxEditRepositoryItemClassOf<TcxEditRepositoryCurrencyItem>()));
    // Lookup fields take a lookup combo box without grid lines or header.
    TcxEditRepositoryItem* lookup = MakeItem(cxEditRepositoryItemClassOf<TcxEditRepositoryLookupComboBoxItem>());
    auto* lookupProperties = static_cast<TcxLookupComboBoxProperties*>(lookup->GetProperties());
    lookupProperties->GetListOptions()->SetGridLines(TcxGridLines::glNone);
    lookupProperties->SetDropDownListStyle(TcxEditDropDownListStyle::lsEditFixedList);
    lookupProperties->GetListOptions()->SetShowHeader(false);
    db->RegisterLookupItem(lookup);
    // One item per entry, so that two blob-like types never share settings.
    for (size_t i = 0; i < TcxEditDBRegisteredRepositoryItems::kFieldTypeCount; ++i)
      if (TcxEditRepositoryItemClass c = cxEditDBFieldTypeItemClass(TFieldType(i)))
        db->RegisterItemByFieldType(TFieldType(i), MakeItem(c));
  } catch (...) {  // written out: a start that fails is undone; one that succeeds stays
    gUnit.Leave();
    FreeAll();
    throw;
  }
}

void cxEditDBRegisteredRepositoryItems::Finalize() {
  if (gUnit.Leave()) FreeAll();
}
