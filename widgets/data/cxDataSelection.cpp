#include "widgets/data/cxDataSelection.h"

#include <algorithm>

void TcxDataSelection::InternalAdd(Integer AIndex, Integer ARowIndex, Integer AKind, Integer ARecordOrGroupIndex) {
  const TcxDataSelectionEntry e{AKind, ARecordOrGroupIndex, ARowIndex};
  if (AIndex < 0 || AIndex >= Count())
    FItems.push_back(e);
  else
    FItems.insert(FItems.begin() + AIndex, e);
}

void TcxDataSelection::InternalClear() { FItems.clear(); }

void TcxDataSelection::InternalDelete(Integer AIndex) {
  if (FItems[size_t(AIndex)].RowIndex == FAnchorRowIndex) ClearAnchor();
  FItems.erase(FItems.begin() + AIndex);
}

void TcxDataSelection::Add(Integer AIndex, Integer ARowIndex, Integer AKind, Integer ARecordOrGroupIndex) {
  InternalAdd(AIndex, ARowIndex, AKind, ARecordOrGroupIndex);
  Changed();
}

void TcxDataSelection::Delete(Integer AIndex) {
  if (AIndex < 0 || AIndex >= Count()) return;
  InternalDelete(AIndex);
  Changed();
}

void TcxDataSelection::Clear() {
  if (FItems.empty()) return;
  InternalClear();
  Changed();
}

void TcxDataSelection::Reset() {
  ClearAnchor();
  Clear();
}

void TcxDataSelection::Resize(Integer ACount) {
  ACount = ACount < 0 ? 0 : ACount;
  if (ACount == Count()) return;
  while (Count() > ACount) InternalDelete(Count() - 1);
  while (Count() < ACount) InternalAdd(-1, Count(), 0, Count());
  Changed();
}

void TcxDataSelection::RecordsDeleted(const std::vector<Integer>& AList) {
  bool changed = false;
  for (Integer i = Count() - 1; i >= 0; --i) {
    TcxDataSelectionEntry& e = FItems[size_t(i)];
    if (e.Kind == -1 || e.Index < 0) continue;
    const auto at = std::lower_bound(AList.begin(), AList.end(), e.Index);
    if (at != AList.end() && *at == e.Index) {
      InternalDelete(i);
      changed = true;
    } else {
      e.Index -= Integer(at - AList.begin());
    }
  }
  if (changed) Changed();
}

void TcxDataSelection::RecordInserted(Integer ARecordIndex) {
  for (TcxDataSelectionEntry& e : FItems)
    if (e.Kind != -1 && e.Index >= ARecordIndex) ++e.Index;
}

bool TcxDataSelection::FindByRowIndex(Integer ARowIndex, Integer& AIndex) const {
  auto it = std::lower_bound(FItems.begin(), FItems.end(), ARowIndex,
                             [](const TcxDataSelectionEntry& e, Integer row) { return e.RowIndex < row; });
  AIndex = Integer(it - FItems.begin());
  return it != FItems.end() && it->RowIndex == ARowIndex;
}

Integer TcxDataSelection::FindByRecordIndex(Integer ARecordIndex) const {
  for (size_t i = 0; i < FItems.size(); ++i)
    if (FItems[i].Kind != -1 && FItems[i].Index == ARecordIndex) return Integer(i);
  return -1;
}

Integer TcxDataSelection::FindByGroupIndex(Integer AGroupIndex) const {
  for (size_t i = 0; i < FItems.size(); ++i)
    if (FItems[i].Kind == -1 && FItems[i].Index == AGroupIndex) return Integer(i);
  return -1;
}

TL_DEFINE_CLASS(TcxDataSelection)
