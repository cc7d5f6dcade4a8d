// The multi-row selection: entries sorted by row, each a group row (kind -1 and its group)
// or a data row (its level and its record), and the anchor of range selections.
#pragma once

#include "widgets/data/cxDataControllerTypes.h"

#include <vector>

class TcxCustomDataController;
class TcxCustomDataControllerInfo;
class TcxSelectedKeys;

struct TcxDataSelectionEntry {
  Integer Kind = 0;  // -1 group row, else the data row's level
  Integer Index = -1;  // group index or record index
  Integer RowIndex = -1;
};

// Every insertion, removal and clearing of entries, by any path, goes through
// InternalAdd, InternalDelete and InternalClear, so that a descendant keeping state in
// parallel with the entries (same indexes) can follow each one.
class TcxDataSelection : public TObject {
  TL_CLASS(TcxDataSelection, TObject)
  friend class TcxCustomDataControllerInfo;
  friend class TcxSelectedKeys;

 public:
  explicit TcxDataSelection(TcxCustomDataController* ADataController = nullptr) : FDataController(ADataController) {}
  TcxCustomDataController* DataController() const { return FDataController; }
  Integer Count() const { return Integer(FItems.size()); }
  const TcxDataSelectionEntry& Items(Integer AIndex) const { return FItems.at(size_t(AIndex)); }
  const std::vector<TcxDataSelectionEntry>& List() const { return FItems; }
  virtual void ClearAnchor() { FAnchorRowIndex = -1; }
  // Appends entries (kind 0, index and row = position) or deletes from the end until
  // there are ACount.
  virtual void Resize(Integer ACount);
  // Inserts at AIndex (-1 appends).
  virtual void Add(Integer AIndex, Integer ARowIndex, Integer AKind, Integer ARecordOrGroupIndex);
  // True with the match, else False with the insertion point.
  virtual bool FindByRowIndex(Integer ARowIndex, Integer& AIndex) const;
  void Delete(Integer AIndex);
  void Clear();
  // Clears the anchor and the entries.
  void Reset();
  Integer FindByRecordIndex(Integer ARecordIndex) const;
  Integer FindByGroupIndex(Integer AGroupIndex) const;
  bool IsRecordSelected(Integer ARecordIndex) const { return FindByRecordIndex(ARecordIndex) >= 0; }
  bool IsRowIndexSelected(Integer ARowIndex) const {
    Integer i;
    return FindByRowIndex(ARowIndex, i);
  }
  // Drops, from the end, the data entries whose record fails APasses.
  template <class Passes>
  void CheckRecordRows(Passes APasses) {
    bool changed = false;
    for (Integer i = Count() - 1; i >= 0; --i)
      if (FItems[size_t(i)].Kind != -1 && !APasses(FItems[size_t(i)].Index)) {
        InternalDelete(i);
        changed = true;
      }
    if (changed) Changed();
  }
  // The records were read again under new indexes: each data entry takes the record
  // ANewRecord (entry's position, its old record) names, and goes when that is -1.
  template <class NewRecord>
  void RemapRecords(NewRecord ANewRecord) {
    bool changed = false;
    for (Integer i = Count() - 1; i >= 0; --i) {
      TcxDataSelectionEntry& e = FItems[size_t(i)];
      if (e.Kind == -1) continue;
      const Integer r = ANewRecord(i, e.Index);
      if (r == e.Index) continue;
      changed = true;
      if (r < 0)
        InternalDelete(i);
      else
        e.Index = r;
    }
    if (changed) Changed();
  }
  // Data entries follow their records when records before them go or come; the entry of
  // a deleted record goes with it. AList is sorted ascending.
  void RecordsDeleted(const std::vector<Integer>& AList);
  void RecordInserted(Integer ARecordIndex);
  Integer AnchorRowIndex() const { return FAnchorRowIndex; }
  void SetAnchorRowIndex(Integer Value) { FAnchorRowIndex = Value; }
  // Fired by every change of the entries.
  TNotifyEvent OnChanged;
  void Changed() {
    if (OnChanged) OnChanged(this);
  }

 protected:
  // The raw edits, without notification. AIndex -1 (or past the end) appends.
  virtual void InternalAdd(Integer AIndex, Integer ARowIndex, Integer AKind, Integer ARecordOrGroupIndex);
  virtual void InternalClear();
  // Clears the anchor when the entry is the anchor row's.
  virtual void InternalDelete(Integer AIndex);

 private:
  // A re-indexed entry keeps its place; only its row and kind move.
  void Reindex(Integer AIndex, Integer AKind, Integer ARowIndex) {
    FItems[size_t(AIndex)].Kind = AKind;
    FItems[size_t(AIndex)].RowIndex = ARowIndex;
  }
  void SetIndex(Integer AIndex, Integer ARecordOrGroupIndex) { FItems[size_t(AIndex)].Index = ARecordOrGroupIndex; }

  TcxCustomDataController* FDataController;
  std::vector<TcxDataSelectionEntry> FItems;
  Integer FAnchorRowIndex = -1;
};
