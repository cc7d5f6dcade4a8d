// The data-aware editor classes: each is an editor kind with a data-set binding. They answer
// the request for a control's data link (CM_GETDATALINK) with their binding's link, and
// publish DataBinding and Properties, both set by copying.
#pragma once

#include "widgets/databinding/cxDBEdit.h"
#include "widgets/editcore/cxMaskEdit.h"
#include "widgets/editcore/cxTextEditControl.h"
#include "widgets/editors/cxCheckBox.h"
#include "widgets/editors/cxComboBox.h"
#include "widgets/editors/cxHyperLinkEdit.h"
#include "widgets/editors/cxListBox.h"
#include "widgets/editors/cxMRUEdit.h"
#include "widgets/editors/cxMemo.h"
#include "widgets/editors/cxPopupEdit.h"
#include "widgets/editors/cxRadioGroup.h"
#include "widgets/editors/cxSpinEdit.h"
#include "widgets/special/cxBlobEdit.h"
#include "widgets/special/cxButtonEdit.h"
#include "widgets/special/cxCalcEdit.h"
#include "widgets/special/cxCurrencyEdit.h"
#include "widgets/special/cxDateEdit.h"
#include "widgets/special/cxImage.h"
#include "widgets/special/cxImageComboBox.h"
#include "widgets/special/cxTimeEdit.h"

// One data-aware editor: AName over the editor kind ABase, with properties of class AProps
// and a binding of class ABinding.
#define CX_DB_EDITOR_CLASS(AName, ABase, AProps, ABinding)                                     \
  class AName : public ABase {                                                                 \
    TL_CLASS(AName, ABase)                                                                     \
   public:                                                                                     \
    using ABase::ABase;                                                                        \
    TcxCustomEditPropertiesClass GetPropertiesClass() override;                                \
    TcxEditDataBindingClass GetDataBindingClass() const override;                              \
    AProps* GetProperties() const { return static_cast<AProps*>(TcxCustomEdit::GetProperties()); } \
    void SetProperties(AProps* Value) { TcxCustomEdit::SetProperties(Value); }                 \
    ABinding* GetDataBinding() const { return static_cast<ABinding*>(DataBinding()); }         \
    void SetDataBinding(ABinding* Value) { DataBinding()->Assign(Value); }                     \
    /* A typed character must also suit the bound field. */                                    \
    bool IsValidChar(Char AChar) override;                                                     \
    /* Unbound at design time, a text editor shows its name however it is redisplayed. */      \
    void SynchronizeDisplayValue() override;                                                   \
                                                                                               \
   protected:                                                                                  \
    void WndProc(TMessage& Message) override;                                                  \
  }

CX_DB_EDITOR_CLASS(TcxDBTextEdit, TcxCustomTextEdit, TcxTextEditProperties, TcxDBTextEditDataBinding);
CX_DB_EDITOR_CLASS(TcxDBMemo, TcxCustomMemo, TcxMemoProperties, TcxDBTextEditDataBinding);
CX_DB_EDITOR_CLASS(TcxDBMaskEdit, TcxCustomMaskEdit, TcxMaskEditProperties, TcxDBTextEditDataBinding);
CX_DB_EDITOR_CLASS(TcxDBButtonEdit, TcxCustomButtonEdit, TcxButtonEditProperties, TcxDBTextEditDataBinding);
CX_DB_EDITOR_CLASS(TcxDBCheckBox, TcxCustomCheckBox, TcxCheckBoxProperties, TcxDBEditDataBinding);
CX_DB_EDITOR_CLASS(TcxDBComboBox, TcxCustomComboBox, TcxComboBoxProperties, TcxDBTextEditDataBinding);
CX_DB_EDITOR_CLASS(TcxDBPopupEdit, TcxCustomPopupEdit, TcxPopupEditProperties, TcxDBTextEditDataBinding);
CX_DB_EDITOR_CLASS(TcxDBSpinEdit, TcxCustomSpinEdit, TcxSpinEditProperties, TcxDBTextEditDataBinding);
CX_DB_EDITOR_CLASS(TcxDBTimeEdit, TcxCustomTimeEdit, TcxTimeEditProperties, TcxDBTextEditDataBinding);
CX_DB_EDITOR_CLASS(TcxDBBlobEdit, TcxCustomBlobEdit, TcxBlobEditProperties, TcxDBEditDataBinding);
CX_DB_EDITOR_CLASS(TcxDBCalcEdit, TcxCustomCalcEdit, TcxCalcEditProperties, TcxDBTextEditDataBinding);
CX_DB_EDITOR_CLASS(TcxDBDateEdit, TcxCustomDateEdit, TcxDateEditProperties, TcxDBTextEditDataBinding);
CX_DB_EDITOR_CLASS(TcxDBCurrencyEdit, TcxCustomCurrencyEdit, TcxCurrencyEditProperties,
                   TcxDBTextEditDataBinding);
CX_DB_EDITOR_CLASS(TcxDBHyperLinkEdit, TcxCustomHyperLinkEdit, TcxHyperLinkEditProperties,
                   TcxDBTextEditDataBinding);
CX_DB_EDITOR_CLASS(TcxDBImage, TcxCustomImage, TcxImageProperties, TcxDBEditDataBinding);
CX_DB_EDITOR_CLASS(TcxDBImageComboBox, TcxCustomImageComboBox, TcxImageComboBoxProperties,
                   TcxDBTextEditDataBinding);
CX_DB_EDITOR_CLASS(TcxDBMRUEdit, TcxCustomMRUEdit, TcxMRUEditProperties, TcxDBTextEditDataBinding);

#undef CX_DB_EDITOR_CLASS

// A radio group whose item buttons pass the data-link request on to the group.
class TcxDBRadioGroup : public TcxCustomRadioGroup {
  TL_CLASS(TcxDBRadioGroup, TcxCustomRadioGroup)
 public:
  using TcxCustomRadioGroup::TcxCustomRadioGroup;
  TcxCustomEditPropertiesClass GetPropertiesClass() override;
  TcxEditDataBindingClass GetDataBindingClass() const override;
  TcxRadioGroupProperties* GetProperties() const {
    return static_cast<TcxRadioGroupProperties*>(TcxCustomEdit::GetProperties());
  }
  void SetProperties(TcxRadioGroupProperties* Value) { TcxCustomEdit::SetProperties(Value); }
  TcxDBEditDataBinding* GetDataBinding() const { return static_cast<TcxDBEditDataBinding*>(DataBinding()); }
  void SetDataBinding(TcxDBEditDataBinding* Value) { DataBinding()->Assign(Value); }

 protected:
  TWinControl* CreateButton() override;
  void WndProc(TMessage& Message) override;
};

class TcxDBRadioGroupButton : public TcxCustomRadioGroupButton {
  TL_CLASS(TcxDBRadioGroupButton, TcxCustomRadioGroupButton)
 public:
  explicit TcxDBRadioGroupButton(TComponent* AOwner);

 protected:
  void WndProc(TMessage& Message) override;
};

// The list box's own binding over a data-set binding: the list shows and hands over the
// field's value through it, and a selection the user changes marks the field modified.
class TcxDBListBoxDataBinding : public TcxDataBinding {
  TL_CLASS(TcxDBListBoxDataBinding, TcxDataBinding)
 public:
  explicit TcxDBListBoxDataBinding(TcxListBox* AOwner) : TcxDataBinding(AOwner) {}
  void AfterConstruction() override;
  void BeforeDestruction() override;

  // As for the data-aware editors, the data source must let the data set edit.
  bool CanModify() override;
  bool IsDataAvailable() override { return FDBBinding->IsDataAvailable(); }
  Variant GetStoredValue() override;
  void SetStoredValue(const Variant& AValue) override;
  void Reset() override { FDBBinding->Reset(); }
  bool GetReadOnly() override { return FDBBinding->GetReadOnly(); }
  void SetReadOnly(bool Value) override { FDBBinding->SetReadOnly(Value); }

  TcxDBDataBinding* DBBinding() const { return FDBBinding; }

 private:
  void BindingDataChanged() { DataChanged(); }
  void BindingUpdateData() { UpdateData(); }

  TcxDBDataBinding* FDBBinding = nullptr;
};

class TcxDBListBox : public TcxListBox {
  TL_CLASS(TcxDBListBox, TcxListBox)
 public:
  using TcxListBox::TcxListBox;
  void AfterConstruction() override;
  TcxDataBindingClass GetDataBindingClass() const override;
  TcxDBDataBinding* GetDataBinding() const {
    return static_cast<TcxDBListBoxDataBinding*>(DataBinding())->DBBinding();
  }
  void SetDataBinding(TcxDBDataBinding* Value) { GetDataBinding()->Assign(Value); }

 protected:
  void WndProc(TMessage& Message) override;

 private:
  void InnerClick(TObject* Sender);
};
