// Master-detail relations of a data controller: each relation hangs a detail controller
// (the pattern) under a master item, and every master record keeps a detail object in an
// internal object field, remembering the active relation, whether the detail is expanded,
// and per relation the clone detail made for that record.
#pragma once

#include "classlib/core/Object.h"
#include "widgets/data/cxDataControllerTypes.h"

#include <vector>

class TcxCustomDataController;
class TcxCustomDataField;
class TcxCustomDataRelationList;
class TComponent;

class TcxCustomDataRelation : public TObject {
  TL_CLASS(TcxCustomDataRelation, TObject)
 public:
  // Stores the item and adds itself to the list.
  TcxCustomDataRelation(TcxCustomDataRelationList* ARelationList, TObject* AItem);
  void AfterConstruction() override;
  // Detaches its detail controller (which stays a pattern) and leaves the list.
  void BeforeDestruction() override;

  // In slot order.
  virtual void RemoveNotification(TComponent*) {}
  virtual void Assign(TcxCustomDataRelation*) {}

  TcxCustomDataRelationList* RelationList() const { return FRelationList; }
  TcxCustomDataController* DataController() const;
  TObject* Item() const { return FItem; }
  Integer Index() const;
  // The pattern: the detail controller attached to the relation.
  TcxCustomDataController* DetailDataController() const { return FDetailDataController; }

 private:
  friend class TcxCustomDataRelationList;
  friend class TcxCustomDataController;
  TcxCustomDataRelationList* FRelationList;
  TObject* FItem;
  TcxCustomDataController* FDetailDataController = nullptr;
};

// The per-relation slot of a detail object: the object the master made for this record
// and relation (owned), its controller, and the cached has-children answer.
class TcxDetailInfoObject : public TObject {
  TL_CLASS(TcxDetailInfoObject, TObject)
 public:
  // Frees the object, detaching its controller from the master first.
  void BeforeDestruction() override;
  TObject* LinkObject() const { return FLinkObject; }
  TcxCustomDataController* DataController() const { return FDataController; }
  bool HasChildren() const { return FHasChildren; }
  bool HasChildrenAssigned() const { return FHasChildrenAssigned; }
  void SetHasChildren(bool Value) {
    FHasChildren = Value;
    FHasChildrenAssigned = true;
  }
  void ResetHasChildren() { FHasChildrenAssigned = false; }
  // Takes the object; ADataController is its controller (may be nullptr).
  void SetLinkObject(TObject* AObject, TcxCustomDataController* ADataController);

 private:
  friend class TcxCustomDataController;
  TObject* FLinkObject = nullptr;
  TcxCustomDataController* FDataController = nullptr;
  bool FHasChildren = false;
  bool FHasChildrenAssigned = false;
};

class TcxDetailObject : public TObject {
  TL_CLASS(TcxDetailObject, TObject)
 public:
  void BeforeDestruction() override;
  Integer ActiveRelationIndex() const { return FActiveRelationIndex; }
  void SetActiveRelationIndex(Integer Value) { FActiveRelationIndex = Value; }
  bool Expanded() const { return FExpanded; }
  void SetExpanded(bool Value) { FExpanded = Value; }
  Integer InfoCount() const { return Integer(FInfos.size()); }
  // nullptr when the slot is empty or beyond the list.
  TcxDetailInfoObject* Info(Integer ARelationIndex) const;
  // Made when missing, the list growing as needed.
  TcxDetailInfoObject* EnsureInfo(Integer ARelationIndex);
  // Frees the info of the relation (all of them for -1); True when one held an object.
  bool ClearInfo(Integer ARelationIndex);
  bool HasInfoObject(Integer ARelationIndex) const;
  // Grows the slot list to ACount and brings the active index into range.
  void Fit(Integer ACount);

 private:
  Integer FActiveRelationIndex = -1;
  bool FExpanded = false;
  std::vector<TcxDetailInfoObject*> FInfos;  // owned
};

class TcxCustomDataRelationList : public TObject {
  TL_CLASS(TcxCustomDataRelationList, TObject)
 public:
  explicit TcxCustomDataRelationList(TcxCustomDataController* ADataController);
  // Clears the relations; the detail-object field goes with the last one.
  void BeforeDestruction() override;

  TcxCustomDataController* DataController() const { return FDataController; }
  // A new relation of the controller's relation class for the item.
  TcxCustomDataRelation* Add(TObject* AItem);
  void Assign(TcxCustomDataRelationList* ASource);
  void BeginUpdate() { ++FLockCount; }
  // The outermost end reports a change.
  void EndUpdate();
  void Clear();
  TcxCustomDataRelation* FindByItem(TObject* AItem) const;
  void Move(Integer ACurIndex, Integer ANewIndex);
  void RemoveByItem(TObject* AItem);
  Integer GetCount() const { return Integer(FItems.size()); }
  // EListError on a bad index.
  TcxCustomDataRelation* GetItem(Integer AIndex) const;
  Integer IndexOf(const TcxCustomDataRelation* ARelation) const;
  // The internal field in which every master record keeps its detail object.
  TcxCustomDataField* ItemField() const { return FItemField; }

  // The record's detail object, made on demand; nullptr without relations, or when no
  // relation has a detail controller (a stored object is then dropped).
  TcxDetailObject* GetDetailObject(Integer ARecordIndex);
  // The stored object, never made nor dropped.
  TcxDetailObject* FindDetailObject(Integer ARecordIndex) const;
  // Frees the info of the record's relation (all for -1); False without a stored object.
  bool ClearDetailInfo(Integer ARecordIndex, Integer ARelationIndex);
  bool HasDetailInfo(Integer ARecordIndex, Integer ARelationIndex) const;
  // No relation of the pattern controller's list has a detail controller.
  bool NoDetailControllers() const;
  void RemoveNotification(TComponent* AComponent);
  // The field is being freed by someone else.
  void FieldRemoved(TcxCustomDataField* AField);

 protected:
  friend class TcxCustomDataRelation;
  void AddItem(TcxCustomDataRelation* ARelation);
  void RemoveItem(TcxCustomDataRelation* ARelation);
  // The list changed (outside its update bracket).
  void Changed(TcxCustomDataRelation* ARelation);
  virtual void Update(TcxCustomDataRelation* ARelation);

 private:
  TcxCustomDataController* FDataController;
  std::vector<TcxCustomDataRelation*> FItems;
  Integer FLockCount = 0;
  TcxCustomDataField* FItemField = nullptr;
  bool FClearing = false;
};
