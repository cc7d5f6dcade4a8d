// Keys by which selected rows survive a reload of the records: saved before, matched
// against the reloaded records by their key field values after.
#pragma once

#include "classlib/core/Variants.h"
#include "widgets/data/cxDataControllerTypes.h"

#include <utility>
#include <vector>

class TcxCustomDataController;
class TcxCustomDataField;

// A saved key entry; each kind of keys owns entries of its own kind.
struct TcxKeyInfo {
  virtual ~TcxKeyInfo() = default;
};

// A selected data row: its key values and the position of its entry in the selection.
struct TcxSelectedKeyInfo : TcxKeyInfo {
  TcxSelectedKeyInfo(Variant AKey, Integer ASelectionIndex, String AIdentity)
      : Key(std::move(AKey)), SelectionIndex(ASelectionIndex), Identity(std::move(AIdentity)) {}
  Variant Key;
  Integer SelectionIndex;
  String Identity;  // the record's identity, where the controller knows one
};

class TcxKeys : public TObject {
  TL_CLASS(TcxKeys, TObject)
 public:
  explicit TcxKeys(TcxCustomDataController* ADataController) : FDataController(ADataController) {}
  void BeforeDestruction() override;
  // In slot order.
  virtual void Restore() {}
  virtual void Save() {}
  // Frees the entry at AIndex and leaves its slot empty (nullptr); every removal of an
  // entry goes through here.
  virtual void FreeItem(Integer AIndex);
  // Frees every entry and empties the list.
  virtual void Clear();

  TcxCustomDataController* DataController() const { return FDataController; }
  const std::vector<TcxCustomDataField*>& KeyFields() const { return FKeyFields; }
  // Slots of freed entries stay until Clear.
  Integer Count() const { return Integer(FItems.size()); }
  TcxKeyInfo* Items(Integer AIndex) const { return FItems.at(size_t(AIndex)); }

 protected:
  void TakeKeyFields();
  TcxCustomDataController* FDataController;
  std::vector<TcxCustomDataField*> FKeyFields;
  std::vector<TcxKeyInfo*> FItems;  // owned
};

class TcxSelectedKeys : public TcxKeys {
  TL_CLASS(TcxSelectedKeys, TcxKeys)
 public:
  using TcxKeys::TcxKeys;
  // Every selected data row's key and its place in the selection, sorted by key (equal
  // keys in selection order).
  void Save() override;
  // A record takes the entry saved with its identity; else the first unused entry with an
  // equal key and no identity (a binary search per record). A taken entry is freed; the
  // selection entries that found no record are dropped.
  void Restore() override;
  TcxSelectedKeyInfo* SelectedItems(Integer AIndex) const { return static_cast<TcxSelectedKeyInfo*>(Items(AIndex)); }
};

class TcxSaveObject;

// A record whose detail was expanded: its key values, the detail's active relation and
// what the detail controller itself kept.
struct TcxDetailKeyInfo : TcxKeyInfo {
  TcxDetailKeyInfo(Variant AKey, Integer ARelationIndex, TcxSaveObject* ASaveObject)
      : Key(std::move(AKey)), RelationIndex(ARelationIndex), SaveObject(ASaveObject) {}
  ~TcxDetailKeyInfo() override;
  Variant Key;
  Integer RelationIndex;
  TcxSaveObject* SaveObject;  // owned
};

class TcxDetailKeys : public TcxKeys {
  TL_CLASS(TcxDetailKeys, TcxKeys)
 public:
  using TcxKeys::TcxKeys;
  // Every record with an expanded detail, sorted by key; a detail controller of the
  // master's class keeps its own states in the entry's save object.
  void Save() override;
  // Each record matching an entry (the first with an equal key) expands its detail again
  // with the saved relation, whose controller gets its own states back.
  void Restore() override;
  TcxDetailKeyInfo* DetailItems(Integer AIndex) const { return static_cast<TcxDetailKeyInfo*>(Items(AIndex)); }
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
  TcxDetailKeys* DetailKeys() const { return FDetailKeys; }

 private:
  TcxDetailKeys* FDetailKeys = nullptr;
  TcxSelectedKeys* FSelectedKeys = nullptr;
};
