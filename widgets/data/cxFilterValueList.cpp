// The filter value list.
#include "classlib/core/Lists.h"
#include "classlib/core/SysUtils.h"
#include "widgets/data/cxFilter.h"
#include "widgets/foundation/cxVariants.h"

using K = TcxFilterValueItemKind;

Integer TcxFilterValueList::CompareEntries(const Variant& AValue1, const String& AText1, const Variant& AValue2,
                                           const String& AText2) {
  bool caseInsensitive = FCriteria && FCriteria->GetOptions().Contains(TcxFilterCriteriaOption::fcoCaseInsensitive);
  if (FSortByDisplayText) {
    if (caseInsensitive) return AnsiCompareStr(AnsiUpperCase(AText1), AnsiUpperCase(AText2));
    return AnsiCompareStr(AText1, AText2);
  }
  Variant a = AValue1, b = AValue2;
  if (FCriteria) {
    FCriteria->PrepareValue(AValue1, a);
    FCriteria->PrepareValue(AValue2, b);
  }
  return cxCompareVariants(a, b);
}

bool TcxFilterValueList::PendingLess::operator()(const TcxFilterValueItem& A, const TcxFilterValueItem& B) const {
  return List->CompareEntries(A.Value, A.DisplayText, B.Value, B.DisplayText) < 0;
}

Integer TcxFilterValueList::Compare(Integer AIndex, const Variant& AValue, const String& ADisplayText) {
  MergePending();
  const TcxFilterValueItem& item = FItems[size_t(AIndex)];
  return CompareEntries(item.Value, item.DisplayText, AValue, ADisplayText);
}

void TcxFilterValueList::MergePending() const {
  if (FPending.empty()) return;
  auto self = const_cast<TcxFilterValueList*>(this);
  std::vector<TcxFilterValueItem> merged;
  Integer first = FirstValueIndex();
  merged.reserve(FItems.size() + FPending.size());
  merged.insert(merged.end(), FItems.begin(), FItems.begin() + first);
  // Both runs are sorted by the same comparison; an existing entry stays before a new one
  // that compares equal to it, as an insertion at the first equal place would leave it.
  auto it = FItems.begin() + first;
  auto p = FPending.begin();
  while (it != FItems.end() || p != FPending.end()) {
    if (p == FPending.end() ||
        (it != FItems.end() && self->CompareEntries(p->Value, p->DisplayText, it->Value, it->DisplayText) >= 0))
      merged.push_back(*it++);
    else
      merged.push_back(*p++);
  }
  FPending.clear();
  FItems.swap(merged);
}

bool TcxFilterValueList::ContainsMerged(const Variant& AValue, const String& ADisplayText) {
  for (size_t i = 0; i < FItems.size() && FItems[i].Kind == K::fviMRU; ++i)
    if (CompareEntries(FItems[i].Value, FItems[i].DisplayText, AValue, ADisplayText) == 0) return true;
  Integer low = FirstValueIndex(), high = Integer(FItems.size()) - 1;
  while (low <= high) {
    Integer middle = low + (high - low) / 2;
    const TcxFilterValueItem& item = FItems[size_t(middle)];
    Integer c = CompareEntries(item.Value, item.DisplayText, AValue, ADisplayText);
    if (c == 0) return true;
    if (c > 0) high = middle - 1;
    else low = middle + 1;
  }
  return false;
}

Integer TcxFilterValueList::FirstValueIndex() const {
  for (size_t i = 0; i < FItems.size(); ++i)
    if (FItems[i].Kind == K::fviValue) return Integer(i);
  return Integer(FItems.size());
}

void TcxFilterValueList::Add(TcxFilterValueItemKind AKind, const Variant& AValue, const String& ADisplayText,
                             bool AIsSorted) {
  TcxFilterValueItem entry{AKind, AValue, ADisplayText};
  if (AKind == K::fviMRU) {
    MergePending();
    size_t mru = 0;
    while (mru < FItems.size() && FItems[mru].Kind == K::fviMRU) ++mru;
    if (mru < FItems.size() && FItems[mru].Kind == K::fviMRUSeparator) {
      FItems.insert(FItems.begin() + ptrdiff_t(mru), entry);
    } else {
      FItems.insert(FItems.begin(), TcxFilterValueItem{K::fviMRUSeparator, Null(), String()});
      FItems.insert(FItems.begin(), entry);
    }
    return;
  }
  if (AKind == K::fviValue) {
    if (AIsSorted) {
      MergePending();
      FItems.push_back(entry);
      return;
    }
    Integer limit = MaxValueListCount();
    if (limit != 0 && Integer(FItems.size() + FPending.size()) >= limit) return;
    if (ContainsMerged(AValue, ADisplayText)) return;
    // Kept aside until the list is next read; the set drops a repeat of a pending value.
    FPending.insert(entry);
    return;
  }
  MergePending();
  FItems.insert(FItems.begin() + FirstValueIndex(), entry);
}

void TcxFilterValueList::Clear() {
  FPending.clear();
  FItems.clear();
}

bool TcxFilterValueList::Find(const Variant& AValue, const String& ADisplayText, Integer& AIndex) {
  MergePending();
  for (Integer i = 0; i < Integer(FItems.size()) && FItems[size_t(i)].Kind == K::fviMRU; ++i)
    if (Compare(i, AValue, ADisplayText) == 0) {
      AIndex = i;
      return true;
    }
  Integer low = FirstValueIndex(), high = Integer(FItems.size()) - 1;
  bool found = false;
  while (low <= high) {
    Integer middle = low + (high - low) / 2;
    Integer c = Compare(middle, AValue, ADisplayText);
    if (c >= 0) {
      high = middle - 1;
      if (c == 0) found = true;
    } else {
      low = middle + 1;
    }
  }
  AIndex = low;
  return found;
}

Integer TcxFilterValueList::GetIndexByCriteriaItem(TcxFilterCriteriaItem* AItem) {
  if (!AItem) return -1;
  using O = TcxFilterOperatorKind;
  if (AItem->IsNullValue(AItem->Value())) {
    if (AItem->OperatorKind() == O::foEqual) return IndexOfKind(K::fviBlanks);
    if (AItem->OperatorKind() == O::foNotEqual) return IndexOfKind(K::fviNonBlanks);
  }
  if (AItem->OperatorKind() == O::foEqual && FCriteria && AItem->Parent() == FCriteria->Root()) {
    Integer at;
    if (Find(AItem->Value(), AItem->DisplayValue(), at)) return at;
    return IndexOfKind(K::fviAll);
  }
  return IndexOfKind(K::fviCustom);
}

Integer TcxFilterValueList::IndexOfKind(TcxFilterValueItemKind AKind) const {
  MergePending();
  for (size_t i = 0; i < FItems.size(); ++i)
    if (FItems[i].Kind == AKind) return Integer(i);
  return -1;
}

Integer TcxFilterValueList::GetIndexByValue(const Variant& AValue) {
  Integer at;
  String text;
  try {
    text = VarToStr(AValue);
  } catch (const Exception&) {
  }
  return Find(AValue, text, at) ? at : -1;
}

const TcxFilterValueItem& TcxFilterValueList::Items(Integer AIndex) const {
  MergePending();
  if (AIndex < 0 || AIndex >= Integer(FItems.size())) ListIndexError(AIndex);
  return FItems[size_t(AIndex)];
}

TL_DEFINE_CLASS(TcxFilterValueList)
