// Fields of a data controller: each ties one of the owner's items to a value definition
// in the controller's record storage, or shares the storage of another field.
#pragma once

#include "classlib/core/Classes.h"
#include "widgets/data/cxDataStorage.h"
#include "widgets/data/cxDataUtils.h"

#include <vector>

class TcxCustomDataController;
class TcxCustomDataFieldList;

class TcxCustomDataField : public TObject {
  TL_CLASS(TcxCustomDataField, TObject)
 public:
  explicit TcxCustomDataField(TcxCustomDataFieldList* AFieldList);
  // Leaves the list and frees the value definition unless it references another field.
  void BeforeDestruction() override;

  // In slot order.
  // Takes over ASource's value definition and value type; ASource is left without both.
  virtual void Reassign(TcxCustomDataField* ASource);
  virtual void RemoveNotification(TComponent* AComponent);
  virtual bool CanModify(TcxDataEditValueSource AEditValueSource) const;
  virtual bool IsUnbound() const { return false; }
  virtual bool IsInternal() const { return FIsInternal; }

  TcxCustomDataFieldList* FieldList() const { return FFieldList; }
  TcxCustomDataController* GetDataController() const;
  TObject* Item() const { return FItem; }
  void SetItem(TObject* Value) { FItem = Value; }
  void SetIsInternal(bool Value);
  Integer GetIndex() const;
  void SetIndex(Integer Value);

  TcxCustomDataField* ReferenceField() const { return FReferenceField; }
  // Shares the storage of the root of AField's chain; a cycle raises
  // EcxInvalidDataControllerOperation and changes nothing.
  void SetReferenceField(TcxCustomDataField* AField);
  // The first field of the reference chain that has no reference (this one without).
  TcxCustomDataField* RootField() const;

  // The root's value definition, value type and text-stored flag.
  TcxValueDef* GetValueDef() const;
  TcxValueTypeClass GetValueTypeClass() const;
  bool GetTextStored() const;
  // Recreate the definition when the value differs (fields without reference only).
  void SetValueTypeClass(TcxValueTypeClass Value);
  void SetTextStored(bool Value);
  void BeginRecreateValueDef();
  void EndRecreateValueDef();

 private:
  friend class TcxCustomDataFieldList;
  void CreateValueDef();
  void FreeValueDef();

  TcxCustomDataFieldList* FFieldList;
  TObject* FItem = nullptr;
  bool FIsInternal = false;
  TcxCustomDataField* FReferenceField = nullptr;
  bool FTextStored = false;
  TcxValueTypeClass FValueTypeClass = nullptr;
  TcxValueDef* FValueDef = nullptr;
  Integer FRecreateCount = 0;
};

// Visible fields first, internal fields after them; field i serves item i.
class TcxCustomDataFieldList : public TObject {
  TL_CLASS(TcxCustomDataFieldList, TObject)
 public:
  explicit TcxCustomDataFieldList(TcxCustomDataController* ADataController);
  void BeforeDestruction() override;

  virtual void RemoveNotification(TComponent* AComponent);

  void Add(TcxCustomDataField* AField);
  // Frees the field after the controller forgot it and its referencing fields moved on.
  void Remove(TcxCustomDataField* AField);
  void Clear();
  TcxCustomDataField* FieldByItem(TObject* AItem) const;
  // Of the fields that reference AField, the first takes over its storage; the others
  // are pointed at that first one.
  void ReleaseReferences(TcxCustomDataField* AField);
  Integer GetCount() const { return Integer(FItems.size()); }
  Integer InternalCount() const { return FInternalCount; }
  Integer VisibleCount() const { return GetCount() - FInternalCount; }
  // EListError on a bad index.
  TcxCustomDataField* GetItem(Integer AIndex) const;
  Integer IndexOf(const TcxCustomDataField* AField) const;
  TcxCustomDataController* DataController() const { return FDataController; }
  bool Changed() const { return FChanged; }
  void SetChanged(bool Value) { FChanged = Value; }

 private:
  friend class TcxCustomDataField;
  void Extract(TcxCustomDataField* AField);
  void Move(Integer ACurIndex, Integer ANewIndex);
  void Recount();

  TcxCustomDataController* FDataController;
  std::vector<TcxCustomDataField*> FItems;
  Integer FInternalCount = 0;
  bool FChanged = false;
};
