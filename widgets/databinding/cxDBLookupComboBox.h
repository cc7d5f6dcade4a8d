// The lookup combo box: a combo box whose drop-down is a data-set lookup grid over a list
// data source, editing keys by their display texts, and its data-aware form bound to a field.
#pragma once

#include "widgets/databinding/cxDBLookupEdit.h"
#include "widgets/special/cxEditRepositoryItems.h"

class TcxLookupComboBoxProperties : public TcxCustomDBLookupEditProperties {
  TL_CLASS(TcxLookupComboBoxProperties, TcxCustomDBLookupEditProperties)
 public:
  using TcxCustomDBLookupEditProperties::TcxCustomDBLookupEditProperties;
  // Makes the list grid (no owner, popup mode) and listens to its controller.
  void AfterConstruction() override;
  // Stops listening, then frees the grid.
  void BeforeDestruction() override;
  void Assign(TPersistent* Source) override;
  TcxCustomEditProperties* CreateSameClass() const override { return New<TcxLookupComboBoxProperties>(nullptr); }
  TcxCustomEditClass GetContainerClass() const override;

  // ---- published settings ----
  TcxLookupDBGridColumns* GetListColumns() const { return FGrid ? FGrid->GetColumns() : nullptr; }
  void SetListColumns(TcxLookupDBGridColumns* Value);
  TcxLookupGridOptions* GetListOptions() const { return FGrid ? FGrid->GetOptions() : nullptr; }
  void SetListOptions(TcxLookupGridOptions* Value);
  // nullptr while a lookup field defines the list.
  TDataSource* GetListSource() const;
  void SetListSource(TDataSource* Value);
  TNotifyEvent GetOnSortingChanged() const { return FOnSortingChanged; }
  void SetOnSortingChanged(TNotifyEvent Value);

  TcxLookupDBGrid* Grid() const { return FGrid; }

  // ---- the list source, answered from the grid ----
  TWinControl* GetListControl() const override { return FGrid; }
  Integer GetListColumnCount() const override { return FGrid ? FGrid->GetColumns()->Count() : 0; }
  TcxCustomLookupGrid* GetLookupGrid() const override { return FGrid; }
  TcxCustomDataController* GetListDataController() const override {
    return FGrid ? FGrid->GetDataController() : nullptr;
  }
  Integer GetListColumnsWidth() const override;
  Integer SnapListHeight(Integer AHeight) const override { return FGrid->SnapPopupHeight(AHeight); }
  Integer GetListHeightForRowCount(Integer ARowCount) const override { return FGrid->GetHeightForRowCount(ARowCount); }
  bool IsPointOverList(const TPoint& P) const override { return FGrid && FGrid->IsPointOverRow(P); }
  void SetListEvents(TcxCustomLookupEditLookupData* AData, bool AWire) override;
  void SetListLookAndFeel(TcxLookAndFeel* ALookAndFeel, TColor AColor, TFont* AFont) override;
  void ListPopupStarted() override;
  void ListPopupEnded() override;
  void AddListColumnForFieldName(const String& AFieldName) override;
  String GetListColumnFieldName(Integer AIndex) const override;
  void RebuildListColumns(const String& AFieldNames) override;
  void SetListDataSource(TDataSource* Value) override;

 private:
  void SortingChanged(TcxCustomDataController* Sender);
  TcxLookupDBGrid* FGrid = nullptr;
  TNotifyEvent FOnSortingChanged;
};

class TcxCustomLookupComboBox : public TcxCustomDBLookupEdit {
  TL_CLASS(TcxCustomLookupComboBox, TcxCustomDBLookupEdit)
 public:
  using TcxCustomDBLookupEdit::TcxCustomDBLookupEdit;
  TcxCustomEditPropertiesClass GetPropertiesClass() override;
  TcxLookupComboBoxProperties* GetProperties() const {
    return static_cast<TcxLookupComboBoxProperties*>(TcxCustomEdit::GetProperties());
  }
  void SetProperties(TcxLookupComboBoxProperties* Value) { TcxCustomEdit::SetProperties(Value); }
  TcxLookupComboBoxProperties* ActiveLookupProperties() {
    return static_cast<TcxLookupComboBoxProperties*>(GetActiveProperties());
  }
};

class TcxLookupComboBox : public TcxCustomLookupComboBox {
  TL_CLASS(TcxLookupComboBox, TcxCustomLookupComboBox)
 public:
  using TcxCustomLookupComboBox::TcxCustomLookupComboBox;
};

class TcxDBLookupComboBox : public TcxCustomLookupComboBox {
  TL_CLASS(TcxDBLookupComboBox, TcxCustomLookupComboBox)
 public:
  using TcxCustomLookupComboBox::TcxCustomLookupComboBox;
  TcxEditDataBindingClass GetDataBindingClass() const override;
  TcxDBLookupEditDataBinding* GetDataBinding() const { return static_cast<TcxDBLookupEditDataBinding*>(DataBinding()); }
  void SetDataBinding(TcxDBLookupEditDataBinding* Value) { DataBinding()->Assign(Value); }

 protected:
  void WndProc(TMessage& Message) override;
};

// The repository item of the lookup combo box.
TL_EDIT_REPOSITORY_ITEM(TcxEditRepositoryLookupComboBoxItem, TcxLookupComboBoxProperties);

namespace cxDBLookupComboBox {
// Registers the lookup combo box with the editor registry and its classes for window
// descriptions.
void Initialize();
void Finalize();
}  // namespace cxDBLookupComboBox
