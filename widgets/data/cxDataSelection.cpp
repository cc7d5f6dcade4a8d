#include "widgets/data/cxDataSelection.h"

#include <algorithm>

void TcxDataSelection::Add(Integer AIndex, Integer ARowIndex, Integer AKind, Integer ARecordOrGroupIndex) {
  const TcxDataSelectionEntry e{AKind, ARecordOrGroupIndex, ARowIndex};
  if (AIndex < 0 || AIndex >= Count())
    FItems.push_back(e);
  else
    FItems.insert(FItems.begin() + AIndex, e);
  Changed();
}

void TcxDataSelection::Delete(Integer AIndex) {
  if (AIndex < 0 || AIndex >= Count()) return;
  if (FItems[size_t(AIndex)].RowIndex == FAnchorRowIndex) ClearAnchor();
  FItems.erase(FItems.begin() + AIndex);
  Changed();
}

void TcxDataSelection::Clear() {
  if (FItems.empty()) return;
  FItems.clear();
  Changed();
}

void TcxDataSelection::Reset() {
  ClearAnchor();
  Clear();
}

void TcxDataSelection::Resize(Integer ACount) {
  ACount = ACount < 0 ? 0 : ACount;
  if (ACount == Count()) return;
  while (Count() > ACount) {
    if (FItems.back().RowIndex == FAnchorRowIndex) ClearAnchor();
    FItems.pop_back();
  }
  while (Count() < ACount) FItems.push_back({0, Count(), Count()});
  Changed();
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
