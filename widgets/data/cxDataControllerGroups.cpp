// The controller's grouping face: expanding and collapsing, grouping items, and walking
// the group tree.
#include "widgets/data/cxDataController.h"

#include "classlib/core/ScopeGuards.h"

namespace {

bool AlwaysExpanded(const TcxCustomDataController* C) {
  return C->Options().Contains(TcxDataControllerOption::dcoGroupsAlwaysExpanded);
}

}  // namespace

void TcxDataControllerGroups::ChangeExpanding(Integer ARowIndex, bool AExpanded, bool ARecursive) {
  TcxCustomDataControllerInfo* info = FDataController->DataControllerInfo();
  if (!info->IsGrouped() || AlwaysExpanded(FDataController)) return;
  info->CheckRowIndex(ARowIndex);
  const Integer g = info->GetGroupIndexByRowIndex(ARowIndex);
  if (g < 0) return;
  const Integer focused = FDataController->GetFocusedRowIndex();
  const bool hidesFocus = !AExpanded && focused != ARowIndex && focused >= 0 && IsChildRow(ARowIndex, focused);
  auto bracket = UpdateBracket(FDataController);
  if (hidesFocus) FDataController->CheckBrowseState();
  info->ChangeExpanding(g, AExpanded, ARecursive);
  if (hidesFocus) {
    info->Groups()->NumberRows();
    info->ChangeFocusedRowIndex(info->Groups()->Items(g).RowIndex);
  }
}

void TcxDataControllerGroups::FullCollapse() {
  TcxCustomDataControllerInfo* info = FDataController->DataControllerInfo();
  if (!info->IsGrouped() || AlwaysExpanded(FDataController)) return;
  auto bracket = UpdateBracket(FDataController);
  // The focus moves to the top-level group that held it.
  const Integer focusedRecord = FDataController->GetFocusedRecordIndex();
  // Only a top-level group row stays in sight.
  if (info->FocusingInfo().RowIndex >= 0 && info->FocusingInfo().Level > 0) FDataController->CheckBrowseState();
  info->ExpandAll(false);
  if (focusedRecord >= 0) {
    TcxDataGroups* groups = info->Groups();
    Integer g = groups->FindByPosition(info->GetFilteredIndexByRecordIndex(focusedRecord));
    while (g >= 0 && groups->Items(g).ParentIndex >= 0) g = groups->Items(g).ParentIndex;
    groups->NumberRows();
    if (g >= 0) info->ChangeFocusedRowIndex(groups->Items(g).RowIndex);
  }
}

bool TcxDataControllerGroups::FullExpand() {
  TcxCustomDataControllerInfo* info = FDataController->DataControllerInfo();
  if (!info->IsGrouped()) return false;
  if (AlwaysExpanded(FDataController)) return true;
  auto bracket = UpdateBracket(FDataController);
  info->ExpandAll(true);
  return true;
}

void TcxDataControllerGroups::ChangeGrouping(Integer AItemIndex, Integer AGroupIndex) {
  FDataController->ChangeItemGroupIndex(AItemIndex, AGroupIndex);
}

void TcxDataControllerGroups::ClearGrouping() {
  auto bracket = UpdateBracket(FDataController);
  for (Integer level = GroupingItemCount() - 1; level >= 0; --level)
    FDataController->ChangeItemGroupIndex(GroupingItemIndex(level), -1);
}

Integer TcxDataControllerGroups::GroupingItemCount() const { return FDataController->GetGroupingItemCount(); }

Integer TcxDataControllerGroups::GroupingItemIndex(Integer ALevel) const {
  return FDataController->GetGroupingItemIndex(ALevel);
}

Integer TcxDataControllerGroups::GetItemGroupIndex(Integer AItemIndex) const {
  return FDataController->GetItemGroupIndex(AItemIndex);
}

Integer TcxDataControllerGroups::ChildCount(Integer AGroupIndex) const {
  const TcxDataGroups* groups = FDataController->DataControllerInfo()->Groups();
  if (AGroupIndex == -1) {
    Integer n = 0;
    for (Integer g = 0; g < groups->Count(); g = groups->Items(g).LastDescendant + 1) ++n;
    return n;
  }
  return groups->IsValid(AGroupIndex) ? groups->Items(AGroupIndex).ChildCount : -1;
}

Integer TcxDataControllerGroups::ChildGroupIndex(Integer AGroupIndex, Integer AIndex) const {
  return FDataController->DataControllerInfo()->Groups()->ChildGroup(AGroupIndex, AIndex);
}

Integer TcxDataControllerGroups::ChildRecordIndex(Integer AGroupIndex, Integer AIndex) const {
  const TcxCustomDataControllerInfo* info = FDataController->DataControllerInfo();
  const TcxDataGroups* groups = info->Groups();
  if (!groups->IsValid(AGroupIndex)) return -1;
  const TcxDataGroupInfo& g = groups->Items(AGroupIndex);
  if (g.Level != groups->LevelCount() - 1 || AIndex < 0 || AIndex >= g.ChildCount) return -1;
  return info->GetFilteredRecordIndex(g.BeginIndex + AIndex);
}

Integer TcxDataControllerGroups::Level(Integer AGroupIndex) const {
  const TcxDataGroups* groups = FDataController->DataControllerInfo()->Groups();
  return groups->IsValid(AGroupIndex) ? groups->Items(AGroupIndex).Level : -1;
}

Integer TcxDataControllerGroups::GetGroupIndexByRowIndex(Integer ARowIndex) const {
  return FDataController->DataControllerInfo()->GetGroupIndexByRowIndex(ARowIndex);
}

bool TcxDataControllerGroups::IsChildRow(Integer AParentRowIndex, Integer ARowIndex) const {
  const TcxCustomDataControllerInfo* info = FDataController->DataControllerInfo();
  const TcxDataGroups* groups = info->Groups();
  const Integer parent = info->GetGroupIndexByRowIndex(AParentRowIndex);
  if (parent < 0) return false;
  if (AParentRowIndex == ARowIndex) return true;
  if (ARowIndex < 0 || ARowIndex >= info->GetRowCount()) return false;
  const TcxDataGroupInfo& p = groups->Items(parent);
  const Integer g = groups->FindByRowIndex(ARowIndex);
  // A data row belongs to its deepest group; that group, or a group row, lies in the
  // parent's subtree.
  return g >= parent && g <= p.LastDescendant;
}

void TcxDataControllerGroups::LoadRecordList(std::vector<Integer>& AList, Integer ARowIndex) const {
  const TcxCustomDataControllerInfo* info = FDataController->DataControllerInfo();
  const TcxDataGroups* groups = info->Groups();
  const Integer g = info->GetGroupIndexByRowIndex(ARowIndex);
  if (g < 0) return;
  for (Integer d = g; d <= groups->Items(g).LastDescendant; ++d) {
    const TcxDataGroupInfo& group = groups->Items(d);
    if (group.Level != groups->LevelCount() - 1) continue;
    for (Integer pos = group.BeginIndex; pos <= group.EndIndex; ++pos) AList.push_back(info->GetFilteredRecordIndex(pos));
  }
}
