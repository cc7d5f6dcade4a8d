// The filter condition tree bound to a data controller: conditions name the controller's
// fields, read a record's values through it, travel in window descriptions as the binary
// property "Criteria", and re-filter the controller's rows when they change; and the
// value list of one item for a filter drop-down.
#pragma once

#include "widgets/data/cxFilter.h"

class TcxCustomDataController;
class TcxCustomDataField;
class TcxDataFilterValueList;

using TcxDataFilterGetValueListEvent =
    TMethod<void(TcxFilterCriteria* Sender, Integer AItemIndex, TcxDataFilterValueList* AValueList)>;

class TcxDataFilterCriteria : public TcxFilterCriteria {
  TL_CLASS(TcxDataFilterCriteria, TcxFilterCriteria)
 public:
  explicit TcxDataFilterCriteria(TcxCustomDataController* ADataController) : FDataController(ADataController) {}
  // Deactivates first, and leaves the controller's list of further criteria.
  void BeforeDestruction() override;
  // From other data criteria: the conditions and options, then Active.
  void Assign(TPersistent* Source) override;

  Integer GetIDByItemLink(TObject* AItemLink) override;
  TcxFilterCriteriaItemClass GetItemClass() override;
  TObject* GetItemLinkByID(Integer AID) override;
  TcxFilterValueListClass GetValueListClass() override;
  void DoChanged() override;
  void AssignEvents(TPersistent* ASource) override;
  // An item link that is a controller item becomes the field bound to it.
  TcxFilterCriteriaItem* AddItem(TcxFilterCriteriaItemList* AParent, TObject* AItemLink,
                                 TcxFilterOperatorKind AOperatorKind, const Variant& AValue,
                                 const String& ADisplayValue) override;
  TcxFilterCriteriaItem* FindItemByItemLink(TObject* AItemLink) override;
  // Also inactive: what a loaded stream omits is the default.
  void RestoreDefaults() override;

  TcxCustomDataController* DataController() const { return FDataController; }
  // A new value list of GetValueListClass; the caller owns it.
  TcxDataFilterValueList* CreateValueList();
  // Active, not empty, and the controller not in grid mode.
  virtual bool IsFiltering();
  bool GetActive() const { return FActive; }
  void SetActive(bool Value);
  // The field an item link names: the link itself when it is a field, else the field
  // bound to the controller item; nullptr when neither.
  TcxCustomDataField* FieldOfLink(TObject* AItemLink) const;

  // A filter pass over the controller's records: the conditions that can be read straight
  // from the record buffers are prepared once; the verdicts are DoFilterRecord's.
  void BeginFilterRecords();
  bool FilterRecord(Integer ARecordIndex);
  void EndFilterRecords();

  TcxDataFilterGetValueListEvent OnGetValueList;

  // The prepared conditions of a pass (opaque).
  struct TPlan;

 protected:
  void DefineProperties(TFiler& Filer) override;

 private:
  TPlan* FPlan = nullptr;
  TcxCustomDataController* FDataController;
  bool FActive = false;
  bool FDestroying = false;
};

// A condition on one of the controller's fields; its data is a record index.
class TcxDataFilterCriteriaItem : public TcxFilterCriteriaItem {
  TL_CLASS(TcxDataFilterCriteriaItem, TcxFilterCriteriaItem)
 public:
  using TcxFilterCriteriaItem::TcxFilterCriteriaItem;
  void GetDataValue(Pointer AData, Variant& AValue) override;
  void GetFieldCaption(String& AText) override;
  void GetFieldName(String& AText) override;
  TcxCustomDataField* Field();
  TcxCustomDataController* DataController();
};

// The entries of one item's filter drop-down.
class TcxDataFilterValueList : public TcxFilterValueList {
  TL_CLASS(TcxDataFilterValueList, TcxFilterValueList)
 public:
  using TcxFilterValueList::TcxFilterValueList;
  // "(All)", "(Custom...)", the item's distinct non-blank values with their display texts,
  // "(Blanks)" and "(NonBlanks)" when a value is blank (always in grid mode), then the
  // criteria's OnGetValueList.
  virtual void Load(Integer AItemIndex);
  TcxDataFilterCriteria* DataCriteria() const { return static_cast<TcxDataFilterCriteria*>(Criteria()); }
};

// Passes a record index where the criteria take untyped record data.
inline Pointer cxRecordIndexToData(Integer ARecordIndex) { return reinterpret_cast<Pointer>(intptr_t(ARecordIndex)); }
inline Integer cxDataToRecordIndex(Pointer AData) { return Integer(reinterpret_cast<intptr_t>(AData)); }
