#include "widgets/data/cxDataGroups.h"

#include "widgets/foundation/cxVariants.h"

#include <algorithm>

// ---- TcxDataGroups ----

void TcxDataGroups::Clear(const std::vector<TcxCustomDataField*>& AFields) {
  FItems.clear();
  FDeepest.clear();
  FFields = AFields;
  FRowCount = 0;
}

Integer TcxDataGroups::NumberRows() {
  const Integer levels = LevelCount();
  Integer next = 0;
  Integer hiddenUntil = -1;  // descendants of a collapsed group share its row
  Integer sharedRow = -1;
  for (Integer i = 0; i < Count(); ++i) {
    TcxDataGroupInfo& g = FItems[size_t(i)];
    if (i <= hiddenUntil) {
      g.RowIndex = sharedRow;
      continue;
    }
    g.RowIndex = next++;
    if (!g.Expanded) {
      hiddenUntil = g.LastDescendant;
      sharedRow = g.RowIndex;
    } else if (g.Level == levels - 1) {
      next += g.ChildCount;
    }
  }
  FRowCount = next;
  return next;
}

Integer TcxDataGroups::FindByRowIndex(Integer ARowIndex) const {
  if (ARowIndex < 0 || ARowIndex >= FRowCount || FItems.empty()) return -1;
  // The last group whose row is at or before ARowIndex...
  auto it = std::upper_bound(FItems.begin(), FItems.end(), ARowIndex,
                             [](Integer row, const TcxDataGroupInfo& g) { return row < g.RowIndex; });
  if (it == FItems.begin()) return -1;
  const Integer row = std::prev(it)->RowIndex;
  if (row != ARowIndex) return Integer(std::prev(it) - FItems.begin());  // a data row of that group
  // ...and of those sharing the row, the first: the outermost collapsed one.
  auto first = std::lower_bound(FItems.begin(), FItems.end(), row,
                                [](const TcxDataGroupInfo& g, Integer r) { return g.RowIndex < r; });
  return Integer(first - FItems.begin());
}

Integer TcxDataGroups::FindByPosition(Integer APosition) const {
  auto it = std::upper_bound(FDeepest.begin(), FDeepest.end(), APosition,
                             [this](Integer pos, Integer g) { return pos < FItems[size_t(g)].BeginIndex; });
  if (it == FDeepest.begin()) return -1;
  const Integer g = *std::prev(it);
  return APosition <= FItems[size_t(g)].EndIndex ? g : -1;
}

bool TcxDataGroups::IsVisibleExpanded(Integer AIndex) const {
  for (Integer g = AIndex; g >= 0; g = FItems[size_t(g)].ParentIndex)
    if (!FItems[size_t(g)].Expanded) return false;
  return true;
}

bool TcxDataGroups::MakeVisible(Integer AIndex, bool AIncludingSelf) {
  bool changed = false;
  for (Integer g = AIncludingSelf ? AIndex : FItems[size_t(AIndex)].ParentIndex; g >= 0;
       g = FItems[size_t(g)].ParentIndex) {
    if (!FItems[size_t(g)].Expanded) {
      FItems[size_t(g)].Expanded = true;
      changed = true;
    }
  }
  return changed;
}

Integer TcxDataGroups::ChildGroup(Integer AIndex, Integer AChild) const {
  if (AChild < 0) return -1;
  Integer g;
  if (AIndex == -1) {
    g = FItems.empty() ? -1 : 0;
  } else {
    if (!IsValid(AIndex) || FItems[size_t(AIndex)].Level == LevelCount() - 1) return -1;
    if (AChild >= FItems[size_t(AIndex)].ChildCount) return -1;
    g = AIndex + 1;
  }
  // Siblings follow each other's last descendant.
  for (Integer k = 0; g >= 0 && g < Count() && k < AChild; ++k) g = FItems[size_t(g)].LastDescendant + 1;
  if (g < 0 || g >= Count()) return -1;
  if (AIndex == -1 && FItems[size_t(g)].Level != 0) return -1;
  return g;
}

void TcxDataGroups::SortBySummary(Integer ASummaryIndex, TcxDataSortOrder ASortOrder) {
  if (LevelCount() != 1 || FItems.empty() || ASummaryIndex < 0) return;
  auto value = [ASummaryIndex](const TcxDataGroupInfo& g) {
    const Variant& v = g.SummaryValues;
    if (!(v.VType() & varArray)) return Null();
    if (ASummaryIndex < VarArrayLowBound(v, 1) || ASummaryIndex > VarArrayHighBound(v, 1)) return Null();
    return v[ASummaryIndex];
  };
  const bool descending = ASortOrder == TcxDataSortOrder::soDescending;
  std::stable_sort(FItems.begin(), FItems.end(), [&](const TcxDataGroupInfo& a, const TcxDataGroupInfo& b) {
    const Integer r = cxCompareVariantsForSort(value(a), value(b));
    return descending ? r > 0 : r < 0;
  });
  for (Integer i = 0; i < Count(); ++i) FItems[size_t(i)].LastDescendant = i;
  // FindByPosition bisects the deepest groups by their first position.
  FDeepest.resize(FItems.size());
  for (size_t i = 0; i < FDeepest.size(); ++i) FDeepest[i] = Integer(i);
  std::sort(FDeepest.begin(), FDeepest.end(),
            [this](Integer a, Integer b) { return FItems[size_t(a)].BeginIndex < FItems[size_t(b)].BeginIndex; });
  NumberRows();
}

// ---- TcxDataExpandingInfos ----

void TcxDataExpandingInfos::Clear() {
  FEntries.clear();
  FFields.clear();
  FSaveStates = TcxDataExpandingInfoStates();
}

void TcxDataExpandingInfos::AddField(TcxCustomDataField* AField) {
  if (std::find(FFields.begin(), FFields.end(), AField) != FFields.end()) cxDataControllerError(cxSDataItemExistError);
  FFields.push_back(AField);
}

void TcxDataExpandingInfos::Add(std::vector<Variant> AValues, TcxDataExpandingInfoStates AStates) {
  FEntries.push_back({std::move(AValues), AStates});
}

namespace {

Integer CompareValueLists(const std::vector<Variant>& A, const std::vector<Variant>& B) {
  if (A.size() != B.size()) return A.size() < B.size() ? -1 : 1;
  for (size_t i = 0; i < A.size(); ++i) {
    const Integer r = cxCompareVariantsForSort(A[i], B[i]);
    if (r != 0) return r;
  }
  return 0;
}

}  // namespace

void TcxDataExpandingInfos::Prepare() {
  std::stable_sort(FEntries.begin(), FEntries.end(),
                   [](const TEntry& a, const TEntry& b) { return CompareValueLists(a.Values, b.Values) < 0; });
}

TcxDataExpandingInfoStates TcxDataExpandingInfos::Find(const std::vector<Variant>& AValues) const {
  auto it = std::lower_bound(FEntries.begin(), FEntries.end(), AValues, [](const TEntry& e, const std::vector<Variant>& v) {
    return CompareValueLists(e.Values, v) < 0;
  });
  if (it == FEntries.end() || CompareValueLists(it->Values, AValues) != 0) return {};
  return it->States;
}

TL_DEFINE_CLASS(TcxDataGroups)
TL_DEFINE_CLASS(TcxDataExpandingInfos)
