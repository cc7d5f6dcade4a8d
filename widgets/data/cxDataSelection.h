// The multi-row selection: entries sorted by row, each a group row (kind -1 and its group)
// or a data row (its level and its record), and the anchor of range selections.
#pragma once

#include "widgets/data/cxDataControllerTypes.h"

#include <vector>

class TcxCustomDataController;

struct TcxDataSelectionEntry {
  Integer Kind = 0;  // -1 group row, else the data row's level
  Integer Index = -1;  // group index or record index
  Integer RowIndex = -1;
};

class TcxDataSelection : public TObject {
  TL_CLASS(TcxDataSelection, TObject)
 public:
  explicit TcxDataSelection(TcxCustomDataController* ADataController = nullptr) : FDataController(ADataController) {}
  TcxCustomDataController* DataController() const { return FDataController; }
  Integer Count() const { return Integer(FItems.size()); }
  const TcxDataSelectionEntry& Items(Integer AIndex) const { return FItems.at(size_t(AIndex)); }
  std::vector<TcxDataSelectionEntry>& List() { return FItems; }
  // Inserts at AIndex (-1 appends).
  virtual void Add(Integer AIndex, Integer ARowIndex, Integer AKind, Integer ARecordOrGroupIndex);
  void Delete(Integer AIndex);
  void Clear();
  // Clears the anchor and the entries.
  void Reset();
  // True with the match, else False with the insertion point.
  virtual bool FindByRowIndex(Integer ARowIndex, Integer& AIndex) const;
  Integer FindByRecordIndex(Integer ARecordIndex) const;
  Integer FindByGroupIndex(Integer AGroupIndex) const;
  bool IsRecordSelected(Integer ARecordIndex) const { return FindByRecordIndex(ARecordIndex) >= 0; }
  bool IsRowIndexSelected(Integer ARowIndex) const {
    Integer i;
    return FindByRowIndex(ARowIndex, i);
  }
  // Appends entries (kind 0, index and row = position) or deletes from the end until
  // there are ACount.
  virtual void Resize(Integer ACount);
  // Drops, from the end, the data entries whose record fails APasses.
  template <class Passes>
  void CheckRecordRows(Passes APasses) {
    bool changed = false;
    for (Integer i = Count() - 1; i >= 0; --i)
      if (FItems[size_t(i)].Kind != -1 && !APasses(FItems[size_t(i)].Index)) {
        if (FItems[size_t(i)].RowIndex == FAnchorRowIndex) ClearAnchor();
        FItems.erase(FItems.begin() + i);
        changed = true;
      }
    if (changed) Changed();
  }
  Integer AnchorRowIndex() const { return FAnchorRowIndex; }
  void SetAnchorRowIndex(Integer Value) { FAnchorRowIndex = Value; }
  virtual void ClearAnchor() { FAnchorRowIndex = -1; }
  // Fired by every change of the entries.
  TNotifyEvent OnChanged;
  void Changed() {
    if (OnChanged) OnChanged(this);
  }

 private:
  TcxCustomDataController* FDataController;
  std::vector<TcxDataSelectionEntry> FItems;
  Integer FAnchorRowIndex = -1;
};
