#include "widgets/editcore/cxEditRegisteredRepositoryItems.h"

#include <functional>

namespace {

// Keys and versions ordered by comparison, never by subtraction: a difference of two
// addresses does not fit the result, and one of two versions overflows (-2 against the
// largest version), either of which sends the search the wrong way.
int Compare(const TClass* AKey1, Integer AVersion1, const TClass* AKey2, Integer AVersion2) {
  if (AKey1 != AKey2) return std::less<const TClass*>()(AKey1, AKey2) ? -1 : 1;
  if (AVersion1 == AVersion2) return 0;
  return AVersion1 < AVersion2 ? -1 : 1;
}

}  // namespace

bool TcxEditRegisteredRepositoryItems::Find(const std::vector<TRecord>& AList, const TClass* AKey, Integer AVersion,
                                            size_t& AIndex) {
  // With the any-version value, the first record of the key: the lowest version.
  const bool any = AVersion == AnyVersion;
  size_t lo = 0, hi = AList.size();
  while (lo < hi) {
    const size_t mid = lo + (hi - lo) / 2;
    const TRecord& r = AList[mid];
    const int c = any ? (r.Key == AKey ? 1 : Compare(r.Key, 0, AKey, 0)) : Compare(r.Key, r.Version, AKey, AVersion);
    if (c < 0)
      lo = mid + 1;
    else
      hi = mid;
  }
  AIndex = lo;
  return lo < AList.size() && AList[lo].Key == AKey && (any || AList[lo].Version == AVersion);
}

Integer TcxEditRegisteredRepositoryItems::AddItem(std::vector<TRecord>& AList, const TClass* AKey, Integer AVersion,
                                                  TcxEditRepositoryItem* AItem) {
  if (!AItem || AVersion == AnyVersion) return -1;
  size_t index;
  if (Find(AList, AKey, AVersion, index)) return Integer(index);
  AList.insert(AList.begin() + ptrdiff_t(index), TRecord{AKey, AVersion, AItem});
  AItem->AddListener(this);
  Changed();
  return Integer(index);
}

void TcxEditRegisteredRepositoryItems::RemoveAt(std::vector<TRecord>& AList, size_t AIndex) {
  TcxEditRepositoryItem* item = AList[AIndex].Item;
  AList.erase(AList.begin() + ptrdiff_t(AIndex));
  // The item may still be held by another record (another key or version): keep listening then.
  auto holds = [item](const TRecord& r) { return r.Item == item; };
  if (std::none_of(FDefaultItems.begin(), FDefaultItems.end(), holds) &&
      std::none_of(FItems.begin(), FItems.end(), holds))
    item->RemoveListener(this);
  Changed();
}

Integer TcxEditRegisteredRepositoryItems::RegisterDefaultItem(Integer AVersion, TcxEditRepositoryItem* AItem) {
  return AddItem(FDefaultItems, nullptr, AVersion, AItem);
}

Integer TcxEditRegisteredRepositoryItems::RegisterItem(const TClass* AKey, Integer AVersion,
                                                       TcxEditRepositoryItem* AItem) {
  if (!AKey) return -1;
  return AddItem(FItems, AKey, AVersion, AItem);
}

void TcxEditRegisteredRepositoryItems::UnregisterDefaultItem(Integer AVersion) {
  size_t index;
  if (AVersion != AnyVersion && Find(FDefaultItems, nullptr, AVersion, index)) RemoveAt(FDefaultItems, index);
}

void TcxEditRegisteredRepositoryItems::UnregisterItem(const TClass* AKey, Integer AVersion) {
  size_t index;
  if (AVersion != AnyVersion && Find(FItems, AKey, AVersion, index)) RemoveAt(FItems, index);
}

TcxEditRepositoryItem* TcxEditRegisteredRepositoryItems::GetDefaultItem() const {
  return FDefaultItems.empty() ? nullptr : FDefaultItems.front().Item;
}

TcxEditRepositoryItem* TcxEditRegisteredRepositoryItems::GetItem(const TClass* AKey) const {
  size_t index;
  if (AKey && Find(FItems, AKey, AnyVersion, index)) return FItems[index].Item;
  return GetDefaultItem();
}

void TcxEditRegisteredRepositoryItems::ItemRemoved(TcxEditRepositoryItem* Sender) {
  for (std::vector<TRecord>* list : {&FDefaultItems, &FItems})
    for (size_t i = list->size(); i-- > 0;)
      if (i < list->size() && (*list)[i].Item == Sender) RemoveAt(*list, i);
}

void TcxEditRegisteredRepositoryItems::PropertiesChanged(TcxEditRepositoryItem*) { Changed(); }

void TcxEditRegisteredRepositoryItems::BeforeDestruction() {
  FDestroying = true;
  for (std::vector<TRecord>* list : {&FDefaultItems, &FItems})
    while (!list->empty()) RemoveAt(*list, list->size() - 1);
  inherited::BeforeDestruction();
}

TL_DEFINE_CLASS(TcxEditRegisteredRepositoryItems, [](auto&) {});
