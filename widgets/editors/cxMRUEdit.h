// The most-recently-used edit: a combo box that keeps the texts entered last at the top of
// its items, optionally bounded in number, with a second, ellipsis button of its own.
#pragma once

#include "widgets/editors/cxComboBox.h"

class TcxCustomMRUEditProperties : public TcxCustomComboBoxProperties {
  TL_CLASS(TcxCustomMRUEditProperties, TcxCustomComboBoxProperties)
 public:
  explicit TcxCustomMRUEditProperties(TPersistent* AOwner);
  void AfterConstruction() override;
  void Assign(TPersistent* Source) override;
  TcxCustomEditProperties* CreateSameClass() const override { return New<TcxCustomMRUEditProperties>(nullptr); }
  void Changed() override;

  Integer GetMaxItemCount() const { return FMaxItemCount; }
  // 0 means no limit; a lower limit cuts the items from the end at once.
  void SetMaxItemCount(Integer Value);
  bool GetShowEllipsis() const { return FShowEllipsis; }
  void SetShowEllipsis(bool Value);
  // Cuts the items to MaxItemCount from the end.
  void CutItems();

  TcxEditButtonKind GetButtonKindWithoutGlyph(Integer AButtonIndex) const override;
  TcxCustomEditClass GetContainerClass() const override;

  // Fired by a click on the ellipsis button.
  TNotifyEvent OnButtonClick;

 private:
  Integer FMaxItemCount = 0;
  bool FShowEllipsis = true;
  bool FApplyingButtons = false;
};

class TcxMRUEditProperties : public TcxCustomMRUEditProperties {
  TL_CLASS(TcxMRUEditProperties, TcxCustomMRUEditProperties)
 public:
  using TcxCustomMRUEditProperties::TcxCustomMRUEditProperties;
  TcxCustomEditProperties* CreateSameClass() const override { return New<TcxMRUEditProperties>(nullptr); }
};

class TcxCustomMRUEdit : public TcxCustomComboBox {
  TL_CLASS(TcxCustomMRUEdit, TcxCustomComboBox)
 public:
  using TcxCustomComboBox::TcxCustomComboBox;

  TcxCustomMRUEditProperties* ActiveProperties() {
    return static_cast<TcxCustomMRUEditProperties*>(GetActiveProperties());
  }

  // Puts AText at the top of the items: moved there when it is in the list, else inserted
  // and the list cut to MaxItemCount. Nothing for an empty text, one already first, or
  // when editing is refused.
  virtual void AddItem(const String& AText);

  TcxCustomEditPropertiesClass GetPropertiesClass() override;
  void DoEditKeyDown(Word& Key, TShiftState Shift) override;
  void ApplyDisplayValue(const Variant& ADisplayValue) override;
  void DoButtonClick(Integer AButtonIndex) override;

 protected:
  void LookupTextChanged() override;

 private:
  bool FAddingItem = false;
};

class TcxMRUEdit : public TcxCustomMRUEdit {
  TL_CLASS(TcxMRUEdit, TcxCustomMRUEdit)
 public:
  using TcxCustomMRUEdit::TcxCustomMRUEdit;
  TcxCustomEditPropertiesClass GetPropertiesClass() override;
  TcxMRUEditProperties* GetMRUProperties() const { return static_cast<TcxMRUEditProperties*>(GetProperties()); }
};

namespace cxMRUEdit {
void Initialize();
void Finalize();
}  // namespace cxMRUEdit
