// The popup edit: a drop-down edit whose popup shows any control of the form. The control is
// lifted out of its parent into the popup while it is open and given back afterwards.
#pragma once

#include "widgets/editors/cxDropDownEdit.h"

class TcxCustomPopupEditProperties : public TcxCustomDropDownEditProperties {
  TL_CLASS(TcxCustomPopupEditProperties, TcxCustomDropDownEditProperties)
 public:
  explicit TcxCustomPopupEditProperties(TPersistent* AOwner);
  void AfterConstruction() override;
  void BeforeDestruction() override;
  void Assign(TPersistent* Source) override;
  TcxCustomEditProperties* CreateSameClass() const override { return New<TcxCustomPopupEditProperties>(nullptr); }

  TControl* GetPopupControl() const { return FPopupControl; }
  // Watched: a control that is freed is cleared from the setting.
  void SetPopupControl(TControl* Value);

  bool IsPopupWindowCapturingFocus() const override { return true; }
  bool IsPopupWindowSizeFixed() const override { return !GetPopupSizeable(); }
  bool UseLookupData() const override { return false; }
  TcxCustomEditPopupWindowClass GetPopupWindowClass() const override;
  TcxCustomEditClass GetContainerClass() const override;

 private:
  void PopupControlFreed(TComponent* AComponent);

  TControl* FPopupControl = nullptr;
  TcxFreeNotificator* FWatch = nullptr;
};

class TcxPopupEditProperties : public TcxCustomPopupEditProperties {
  TL_CLASS(TcxPopupEditProperties, TcxCustomPopupEditProperties)
 public:
  using TcxCustomPopupEditProperties::TcxCustomPopupEditProperties;
  void AfterConstruction() override;
  TcxCustomEditProperties* CreateSameClass() const override { return New<TcxPopupEditProperties>(nullptr); }
};

class TcxPopupEditPopupWindowViewInfo : public TcxCustomEditPopupWindowViewInfo {
  TL_CLASS(TcxPopupEditPopupWindowViewInfo, TcxCustomEditPopupWindowViewInfo)
};

class TcxPopupEditPopupWindow : public TcxCustomEditPopupWindow {
  TL_CLASS(TcxPopupEditPopupWindow, TcxCustomEditPopupWindow)
 public:
  using TcxCustomEditPopupWindow::TcxCustomEditPopupWindow;
  TcxContainerViewInfoClass GetViewInfoClass() const override;
};

class TcxCustomPopupEdit : public TcxCustomDropDownEdit {
  TL_CLASS(TcxCustomPopupEdit, TcxCustomDropDownEdit)
 public:
  using TcxCustomDropDownEdit::TcxCustomDropDownEdit;
  void BeforeDestruction() override;

  TcxCustomPopupEditProperties* ActiveProperties() {
    return static_cast<TcxCustomPopupEditProperties*>(GetActiveProperties());
  }
  // The control shown in the popup now (nullptr while closed, or once it was freed).
  TControl* ShownControl() const { return FShownControl; }

  // Virtual operations, in the order the popup edit introduces them.
  // Stores a reason and closes the popup window.
  virtual void CloseUpWithReason(TcxEditCloseUpReason AReason);
  virtual void RestorePopupControlData();
  virtual void SavePopupControlData();

  TcxCustomEditPropertiesClass GetPropertiesClass() override;
  bool CanDropDown() override;
  // Refuses a popup control that is the edit, its popup, one of its parents or one of its
  // own controls: "Circular referencing is not allowed".
  void DoInitPopup() override;
  void SetupPopupWindow() override;
  TSize GetPopupWindowClientPreferredSize() override;
  void PositionPopupWindowChildren(const TRect& AClientRect) override;
  TWinControl* GetPopupFocusedControl() override;
  void PopupWindowClosed() override;

 private:
  void Watch(TComponent* AComponent);
  void Unwatch(TComponent* AComponent);
  void WatchedFreed(TComponent* AComponent);

  TControl* FShownControl = nullptr;
  TWinControl* FSavedParent = nullptr;
  TAlign FSavedAlign = TAlign::alNone;
  TRect FSavedBounds{};
  bool FSavedVisible = false;
  bool FSavedIsForm = false;
  TFormBorderStyle FSavedBorderStyle = TFormBorderStyle::bsSizeable;
  TcxFreeNotificator* FWatch = nullptr;
};

class TcxPopupEdit : public TcxCustomPopupEdit {
  TL_CLASS(TcxPopupEdit, TcxCustomPopupEdit)
 public:
  using TcxCustomPopupEdit::TcxCustomPopupEdit;
  TcxCustomEditPropertiesClass GetPropertiesClass() override;
  TcxPopupEditProperties* GetPopupProperties() const { return static_cast<TcxPopupEditProperties*>(GetProperties()); }
};

namespace cxPopupEdit {
void Initialize();
void Finalize();
}  // namespace cxPopupEdit
