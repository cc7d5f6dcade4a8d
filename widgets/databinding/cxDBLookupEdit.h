// The data-set lookup edit: the lookup edit's list comes from a list data set through a
// data-set lookup grid's controller, the edit value is the value of the key fields and the
// text the list field's text. A bound lookup field can define the whole list. In GridMode the
// texts of keys are read from the data set itself and kept in a cache.
#pragma once

#include "widgets/data/cxDataStorage.h"
#include "widgets/databinding/cxDBEdit.h"
#include "widgets/databinding/cxLookupDBGrid.h"
#include "widgets/databinding/cxLookupEdit.h"

class TcxCustomDBLookupEditProperties : public TcxCustomLookupEditProperties {
  TL_CLASS(TcxCustomDBLookupEditProperties, TcxCustomLookupEditProperties)
 public:
  using TcxCustomLookupEditProperties::TcxCustomLookupEditProperties;
  void BeforeDestruction() override;
  void Assign(TPersistent* Source) override;
  TcxCustomEditProperties* CreateSameClass() const override { return New<TcxCustomDBLookupEditProperties>(nullptr); }
  // Empties the cache, sets the controller's grid mode, and looks at the bound field again.
  void Changed() override;

  // ---- settings ----
  String GetKeyFieldNames() const;
  // Refused while a lookup field defines the list.
  void SetKeyFieldNames(const String& Value);
  // The list columns' field names joined with ';'.
  String GetListFieldNames() const;
  void SetListFieldNames(const String& Value);
  void SetListFieldIndex(Integer Value) override;
  bool GetGridMode() const { return FGridMode; }
  void SetGridMode(bool Value);
  bool GetIncrementalFiltering() const override;

  // ---- the list ----
  TcxDBDataController* GetDBDataController() const {
    return dynamic_cast<TcxDBDataController*>(GetListDataController());
  }
  TDataSet* GetListDataSet() const;
  // The list column's field (nullptr without one).
  TField* GetListField() const;
  bool IsDefinedByLookupField() const override { return FLookupField != nullptr; }
  TField* LookupField() const { return FLookupField; }
  // The cache of key texts; nullptr outside GridMode.
  TcxLookupList* Cache() const { return FCache; }

  // ---- the list source ----
  String GetDisplayText(const Variant& AKey) override;
  using TcxCustomLookupEditProperties::GetDisplayText;
  Integer FindByText(Integer AItemIndex, const String& AText, bool APartial) override;
  bool IsKeyListField() const override;
  bool IsDisplayFormatDefined(bool AEditFocused) const override;
  Variant GetRecordKey(Integer ARecordIndex) const override;
  Integer FindRecordIndexByKey(const Variant& AKey) override;
  void LockDataController() override;
  void UnlockDataController() override;
  TcxCustomTextEditLookupDataClass GetLookupDataClass() const override;
  TcxCustomEditClass GetContainerClass() const override;

  // Column operations the grid answers.
  virtual void AddListColumnForFieldName(const String& AFieldName) { (void)AFieldName; }
  virtual String GetListColumnFieldName(Integer AIndex) const { (void)AIndex; return {}; }
  virtual void RebuildListColumns(const String& AFieldNames) { (void)AFieldNames; }
  virtual void SetListDataSource(TDataSource* Value) { (void)Value; }

  // The lookup field is examined again (the bound field changed, or the properties).
  void CheckLookupField();
  // Refuses ABoundDataSet when it is AListDataSet or follows it through its masters.
  static void CheckCircularDataLink(TDataSet* ABoundDataSet, TDataSet* AListDataSet);

 protected:
  // Refuses a change while a lookup field defines the list (outside the copy step).
  void CheckNotDefinedByLookupField() const;
  // Refuses a list data set that is the bound data set or one of its masters.
  void CheckCircularDataLink(TDataSet* AListDataSet) const;
  // The data set the edit is bound to (through its field).
  TDataSet* GetBoundDataSet() const;
  bool IsCopyingFromLookupField() const { return FCopying; }

 private:
  TField* BoundLookupField() const;
  void LookupFieldFreed(TComponent* AComponent);
  void SetLookupField(TField* AField);

  TField* FLookupField = nullptr;
  TDataSource* FLookupSource = nullptr;
  TcxFreeNotificator* FFieldWatch = nullptr;
  TcxLookupList* FCache = nullptr;
  bool FGridMode = false;
  bool FCopying = false;
  bool FChecking = false;
  Integer FProviderLockCount = 0;
};

class TcxCustomDBLookupEditLookupData : public TcxCustomLookupEditLookupData {
  TL_CLASS(TcxCustomDBLookupEditLookupData, TcxCustomLookupEditLookupData)
 public:
  using TcxCustomLookupEditLookupData::TcxCustomLookupEditLookupData;
  // The controller locates the key by the key fields.
  void SyncGridWithKey() override;

 protected:
  // In grid mode the focused row is the list data set's current record.
  bool FocusMovesSharedList() override;
};

class TcxCustomDBLookupEdit : public TcxCustomLookupEdit {
  TL_CLASS(TcxCustomDBLookupEdit, TcxCustomLookupEdit)
 public:
  using TcxCustomLookupEdit::TcxCustomLookupEdit;
  TcxCustomEditPropertiesClass GetPropertiesClass() override;
  TcxCustomDBLookupEditProperties* DBLookupProperties() {
    return static_cast<TcxCustomDBLookupEditProperties*>(GetActiveProperties());
  }

  // A typed character must suit the list field.
  void DoEditKeyPress(Char& Key) override;
};

// The binding of lookup editors: they edit a lookup field's key.
class TcxDBLookupEditDataBinding : public TcxDBTextEditDataBinding {
  TL_CLASS(TcxDBLookupEditDataBinding, TcxDBTextEditDataBinding)
 public:
  using TcxDBTextEditDataBinding::TcxDBTextEditDataBinding;
  bool IsKeyEditing() const override { return true; }
  // The properties look at the bound field again.
  void DefaultValuesChanged() override;
  // A binding whose data set is the list data set or follows it through its masters is
  // refused: the list would move the record being edited.
  void SetDataSource(TDataSource* Value) override;
  void SetDataField(const String& Value) override;

 private:
  void CheckCircularBinding(TDataSource* ASource, const String& AField) const;
};
