// One repository item class per editor: each creates the properties of its editor and
// publishes them typed. Reading Properties checks the type; writing copies the given
// settings into the item's own object, which is never replaced.
#pragma once

#include "widgets/editcore/cxEditRepository.h"
#include "widgets/editcore/cxMaskEdit.h"
#include "widgets/editcore/cxTextEdit.h"
#include "widgets/editors/cxCheckBox.h"
#include "widgets/editors/cxComboBox.h"
#include "widgets/editors/cxHyperLinkEdit.h"
#include "widgets/editors/cxMRUEdit.h"
#include "widgets/editors/cxMemo.h"
#include "widgets/editors/cxPopupEdit.h"
#include "widgets/editors/cxRadioGroup.h"
#include "widgets/editors/cxSpinEdit.h"
#include "widgets/special/cxBlobEdit.h"
#include "widgets/special/cxImage.h"
#include "widgets/special/cxImageComboBox.h"

// The properties as AProperties' class; EInvalidCast for an object of another class.
template <class T>
T* cxCheckedPropertiesCast(TcxCustomEditProperties* AProperties) {
  if (!AProperties) return nullptr;
  auto* p = dynamic_cast<T*>(AProperties);
  if (!p) throw EInvalidCast("Invalid class typecast");
  return p;
}

#define TL_EDIT_REPOSITORY_ITEM(Name, Props)                                                         \
  class Name : public TcxEditRepositoryItem {                                                        \
    TL_CLASS(Name, TcxEditRepositoryItem)                                                            \
   public:                                                                                           \
    using TcxEditRepositoryItem::TcxEditRepositoryItem;                                              \
    TcxCustomEditPropertiesClass GetEditPropertiesClass() const override {                           \
      return ClassOf<Props, TcxCustomEditProperties, TPersistent*>();                                \
    }                                                                                                \
    Props* GetProperties() const { return cxCheckedPropertiesCast<Props>(TcxEditRepositoryItem::GetProperties()); } \
    void SetProperties(Props* Value) { AssignProperties(Value); }                                    \
  }

TL_EDIT_REPOSITORY_ITEM(TcxEditRepositoryTextItem, TcxTextEditProperties);
TL_EDIT_REPOSITORY_ITEM(TcxEditRepositoryImageItem, TcxImageProperties);
TL_EDIT_REPOSITORY_ITEM(TcxEditRepositoryComboBoxItem, TcxComboBoxProperties);
TL_EDIT_REPOSITORY_ITEM(TcxEditRepositoryMaskItem, TcxMaskEditProperties);
TL_EDIT_REPOSITORY_ITEM(TcxEditRepositoryPopupItem, TcxPopupEditProperties);
TL_EDIT_REPOSITORY_ITEM(TcxEditRepositorySpinItem, TcxSpinEditProperties);
TL_EDIT_REPOSITORY_ITEM(TcxEditRepositoryMemoItem, TcxMemoProperties);
TL_EDIT_REPOSITORY_ITEM(TcxEditRepositoryBlobItem, TcxBlobEditProperties);
TL_EDIT_REPOSITORY_ITEM(TcxEditRepositoryCheckBoxItem, TcxCheckBoxProperties);
TL_EDIT_REPOSITORY_ITEM(TcxEditRepositoryMRUItem, TcxMRUEditProperties);
TL_EDIT_REPOSITORY_ITEM(TcxEditRepositoryHyperLinkItem, TcxHyperLinkEditProperties);
TL_EDIT_REPOSITORY_ITEM(TcxEditRepositoryRadioGroupItem, TcxRadioGroupProperties);

// Also lets go of an image list that is being removed.
class TcxEditRepositoryImageComboBoxItem : public TcxEditRepositoryItem {
  TL_CLASS(TcxEditRepositoryImageComboBoxItem, TcxEditRepositoryItem)
 public:
  using TcxEditRepositoryItem::TcxEditRepositoryItem;
  TcxCustomEditPropertiesClass GetEditPropertiesClass() const override {
    return ClassOf<TcxImageComboBoxProperties, TcxCustomEditProperties, TPersistent*>();
  }
  TcxImageComboBoxProperties* GetProperties() const {
    return cxCheckedPropertiesCast<TcxImageComboBoxProperties>(TcxEditRepositoryItem::GetProperties());
  }
  void SetProperties(TcxImageComboBoxProperties* Value) { AssignProperties(Value); }

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
};

namespace cxEditRepositoryItems {
// The item classes for streaming, after the editors' own units (which it starts).
void Initialize();
void Finalize();
}  // namespace cxEditRepositoryItems
