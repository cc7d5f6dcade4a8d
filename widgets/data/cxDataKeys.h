// Keys by which selected rows survive a reload of the records: saved before, matched
// against the reloaded records by their key field values after.
#pragma once

#include "classlib/core/Variants.h"
#include "widgets/data/cxDataControllerTypes.h"

#include <vector>

class TcxCustomDataController;
class TcxCustomDataField;

class TcxKeys : public TObject {
  TL_CLASS(TcxKeys, TObject)
 public:
  explicit TcxKeys(TcxCustomDataController* ADataController) : FDataController(ADataController) {}
  // In slot order.
  virtual void Restore() {}
  virtual void Save() {}
  virtual void Clear() { FKeyFields.clear(); }

  TcxCustomDataController* DataController() const { return FDataController; }
  const std::vector<TcxCustomDataField*>& KeyFields() const { return FKeyFields; }

 protected:
  void TakeKeyFields();
  TcxCustomDataController* FDataController;
  std::vector<TcxCustomDataField*> FKeyFields;
};

class TcxSelectedKeys : public TcxKeys {
  TL_CLASS(TcxSelectedKeys, TcxKeys)
 public:
  using TcxKeys::TcxKeys;
  struct TEntry {
    Variant Key;
    Integer SelectionIndex;
  };
  // Every selected data row's key and its place in the selection, sorted by key (equal
  // keys in selection order).
  void Save() override;
  // Each record takes the first unused entry with an equal key (a binary search per
  // record); the selection entries that found no record are dropped.
  void Restore() override;
  void Clear() override;
  Integer Count() const { return Integer(FEntries.size()); }

 private:
  std::vector<TEntry> FEntries;
};

// What BeginSaveKeys keeps until EndRestoreKeys.
class TcxSaveObject : public TObject {
  TL_CLASS(TcxSaveObject, TObject)
 public:
  explicit TcxSaveObject(TcxCustomDataController* ADataController);
  void BeforeDestruction() override;
  void Save(TcxCustomDataController* AController);
  void Restore(TcxCustomDataController* AController);
  TcxSelectedKeys* SelectedKeys() const { return FSelectedKeys; }

 private:
  TcxSelectedKeys* FSelectedKeys = nullptr;
};
