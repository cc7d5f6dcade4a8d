// The tree of group rows over the sorted records, which groups are expanded, and the
// expanded and selected groups remembered across a rebuild.
#pragma once

#include "classlib/core/Variants.h"
#include "widgets/data/cxDataControllerTypes.h"

#include <vector>

class TcxCustomDataController;
class TcxCustomDataField;

// A group in row order (pre-order: a group, then its descendants). For a group of the
// deepest level BeginIndex..EndIndex are the view-order positions of its records; for an
// inner group they are the list indexes of its first and last child group.
struct TcxDataGroupInfo {
  Integer RowIndex = -1;
  bool Expanded = false;
  Integer Level = 0;
  Integer BeginIndex = 0;
  Integer EndIndex = -1;
  Integer ParentIndex = -1;
  Integer LastDescendant = 0;  // list index of its last descendant (itself when none)
  Integer ChildCount = 0;
  Integer FirstPosition = 0;  // view-order position of its first record
  Variant SummaryValues;
};

class TcxDataGroups : public TObject {
  TL_CLASS(TcxDataGroups, TObject)
 public:
  Integer Count() const { return Integer(FItems.size()); }
  Integer LevelCount() const { return Integer(FFields.size()); }
  const std::vector<TcxCustomDataField*>& Fields() const { return FFields; }
  TcxDataGroupInfo& Items(Integer AIndex) { return FItems.at(size_t(AIndex)); }
  const TcxDataGroupInfo& Items(Integer AIndex) const { return FItems.at(size_t(AIndex)); }
  bool IsValid(Integer AIndex) const { return AIndex >= 0 && AIndex < Count(); }

  void Clear(const std::vector<TcxCustomDataField*>& AFields);
  // Builds the tree over ARecordList: AFieldsDiffer (APosition, ALevel) tells whether the
  // record at APosition differs on that level from the one before it.
  template <class Differ>
  void Build(Integer ARecordCount, Differ AFieldsDiffer);
  // Numbers the rows; answers the row count.
  Integer NumberRows();
  Integer RowCount() const { return FRowCount; }

  // The group that shows the row (the outermost collapsed one among those sharing it), or
  // for a data row its deepest group; -1 beyond the rows.
  Integer FindByRowIndex(Integer ARowIndex) const;
  // The deepest group that holds a view-order position; -1 when none.
  Integer FindByPosition(Integer APosition) const;
  // Whether the group and all its ancestors are expanded.
  bool IsVisibleExpanded(Integer AIndex) const;
  // Expands every ancestor of the group; answers whether anything changed.
  bool MakeVisible(Integer AIndex, bool AIncludingSelf);
  Integer ChildGroup(Integer AIndex, Integer AChild) const;
  // With one grouping level: orders the groups by element ASummaryIndex of their summary
  // values (cxCompareVariants, equal values keeping their order), then numbers the rows.
  void SortBySummary(Integer ASummaryIndex, TcxDataSortOrder ASortOrder);

 private:
  std::vector<TcxDataGroupInfo> FItems;
  std::vector<Integer> FDeepest;  // list indexes of deepest-level groups, in order
  std::vector<TcxCustomDataField*> FFields;
  Integer FRowCount = 0;
};

template <class Differ>
void TcxDataGroups::Build(Integer ARecordCount, Differ AFieldsDiffer) {
  FItems.clear();
  FDeepest.clear();
  const Integer levels = LevelCount();
  if (levels == 0 || ARecordCount == 0) return;
  std::vector<Integer> open(size_t(levels), -1);
  auto openFrom = [&](Integer ALevel, Integer APosition) {
    for (Integer l = ALevel; l < levels; ++l) {
      TcxDataGroupInfo g;
      g.Level = l;
      g.ParentIndex = l > 0 ? open[size_t(l - 1)] : -1;
      g.FirstPosition = APosition;
      g.BeginIndex = l == levels - 1 ? APosition : Count() + 1;
      const Integer index = Count();
      FItems.push_back(g);
      if (g.ParentIndex >= 0) {
        TcxDataGroupInfo& p = FItems[size_t(g.ParentIndex)];
        p.EndIndex = index;
        ++p.ChildCount;
      }
      open[size_t(l)] = index;
      if (l == levels - 1) FDeepest.push_back(index);
    }
  };
  auto close = [&](Integer ALevel, Integer AEndPosition) {
    for (Integer l = levels - 1; l >= ALevel; --l) {
      TcxDataGroupInfo& g = FItems[size_t(open[size_t(l)])];
      if (l == levels - 1) {
        g.EndIndex = AEndPosition;
        g.ChildCount = g.EndIndex - g.BeginIndex + 1;
      }
      g.LastDescendant = Count() - 1;
    }
  };
  openFrom(0, 0);
  for (Integer pos = 1; pos < ARecordCount; ++pos) {
    for (Integer l = 0; l < levels; ++l) {
      if (AFieldsDiffer(pos, l)) {
        close(l, pos - 1);
        openFrom(l, pos);
        break;
      }
    }
  }
  close(0, ARecordCount - 1);
}

// Group states remembered across a rebuild, by each group's values down to its level.
TL_ENUM(TcxDataExpandingInfoState, eisExpanded, eisSelected);
using TcxDataExpandingInfoStates = Set<TcxDataExpandingInfoState>;

class TcxDataExpandingInfos : public TObject {
  TL_CLASS(TcxDataExpandingInfos, TObject)
 public:
  struct TEntry {
    std::vector<Variant> Values;  // one per level down to the group's own
    TcxDataExpandingInfoStates States;
  };
  void Clear();
  // Notes a grouped field; twice raises "Item already exists".
  void AddField(TcxCustomDataField* AField);
  const std::vector<TcxCustomDataField*>& Fields() const { return FFields; }
  TcxDataExpandingInfoStates SaveStates() const { return FSaveStates; }
  void SetSaveStates(TcxDataExpandingInfoStates Value) { FSaveStates = Value; }
  void Add(std::vector<Variant> AValues, TcxDataExpandingInfoStates AStates);
  // Sorts the entries for Find.
  void Prepare();
  // The states remembered for a group with these values; empty when none.
  TcxDataExpandingInfoStates Find(const std::vector<Variant>& AValues) const;
  bool Empty() const { return FEntries.empty(); }

 private:
  std::vector<TEntry> FEntries;
  std::vector<TcxCustomDataField*> FFields;
  TcxDataExpandingInfoStates FSaveStates;
};
