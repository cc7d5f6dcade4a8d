// The combo box: a drop-down edit whose popup is an owner-drawn list of strings. Typing is
// matched against the items by the text editor's lookup machinery; this unit supplies the
// list, its sizing by rows and the widest item, the item drawing and measuring events and
// the three list styles.
#pragma once

#include "widgets/editors/cxDropDownEdit.h"

class TcxCustomComboBox;

TL_ENUM(TcxEditDropDownListStyle, lsEditFixedList, lsEditList, lsFixedList);

using TcxEditDrawItemEvent = TMethod<void(TcxCustomComboBox* AControl, TcxCanvas* ACanvas, Integer AIndex,
                                          const TRect& ARect, TOwnerDrawState AState)>;

class TcxCustomComboBoxProperties : public TcxCustomDropDownEditProperties {
  TL_CLASS(TcxCustomComboBoxProperties, TcxCustomDropDownEditProperties)
 public:
  explicit TcxCustomComboBoxProperties(TPersistent* AOwner);
  void Assign(TPersistent* Source) override;
  TcxCustomEditProperties* CreateSameClass() const override { return New<TcxCustomComboBoxProperties>(nullptr); }

  bool GetDropDownAutoWidth() const { return GetPopupAutoSize(); }
  void SetDropDownAutoWidth(bool Value) { SetPopupAutoSize(Value); }
  TcxEditDropDownListStyle GetDropDownListStyle() const { return FDropDownListStyle; }
  void SetDropDownListStyle(TcxEditDropDownListStyle Value);
  Integer GetDropDownRows() const { return FDropDownRows; }
  // Values below 1 are ignored.
  void SetDropDownRows(Integer Value);
  bool GetDropDownSizeable() const { return GetPopupSizeable(); }
  void SetDropDownSizeable(bool Value) { SetPopupSizeable(Value); }
  Integer GetDropDownWidth() const { return GetPopupWidth(); }
  void SetDropDownWidth(Integer Value) { SetPopupWidth(Value); }
  // 0 or less: the list's own row height.
  Integer GetItemHeight() const { return FItemHeight; }
  void SetItemHeight(Integer Value);
  TStrings* GetItems() const { return GetLookupItems(); }
  void SetItems(TStrings* Value) { SetLookupItems(Value); }
  bool GetRevertable() const { return FRevertable; }
  void SetRevertable(bool Value);
  bool GetSorted() const { return GetLookupItemsSorted(); }
  void SetSorted(bool Value) { SetLookupItemsSorted(Value); }

  bool IsFixedList() const override { return FDropDownListStyle == TcxEditDropDownListStyle::lsFixedList; }
  bool IsPopupWindowSizeFixed() const override { return !GetPopupSizeable(); }
  TcxEditEditingStyle GetEditingStyle() const override;
  TcxCustomTextEditLookupDataClass GetLookupDataClass() const override;
  bool UseLookupData() const override { return true; }
  TcxCustomEditPopupWindowClass GetPopupWindowClass() const override;
  TcxCustomEditViewDataClass GetViewDataClass() const override;
  TcxCustomEditClass GetContainerClass() const override;
  Integer GetDropDownPageSize() const override { return FDropDownRows; }

  TcxEditDrawItemEvent OnDrawItem;
  TMeasureItemEvent OnMeasureItem;

 private:
  TcxEditDropDownListStyle FDropDownListStyle = TcxEditDropDownListStyle::lsEditList;
  Integer FDropDownRows = 8;
  Integer FItemHeight = 0;
  bool FRevertable = false;
};

class TcxComboBoxProperties : public TcxCustomComboBoxProperties {
  TL_CLASS(TcxComboBoxProperties, TcxCustomComboBoxProperties)
 public:
  using TcxCustomComboBoxProperties::TcxCustomComboBoxProperties;
  TcxCustomEditProperties* CreateSameClass() const override { return New<TcxComboBoxProperties>(nullptr); }
};

// The combo box's popup: its width follows the widest item or the edit, its height the rows.
class TcxComboBoxPopupWindow : public TcxCustomEditPopupWindow {
  TL_CLASS(TcxComboBoxPopupWindow, TcxCustomEditPopupWindow)
 public:
  using TcxCustomEditPopupWindow::TcxCustomEditPopupWindow;

 protected:
  void CalculateSize() override;
};

// The owner-drawn list of a combo box. It never takes the focus: the edit keeps it.
class TcxCustomComboBoxListBox : public TcxCustomEditListBox {
  TL_CLASS(TcxCustomComboBoxListBox, TcxCustomEditListBox)
 public:
  explicit TcxCustomComboBoxListBox(TComponent* AOwner);

  TcxCustomComboBox* Edit() const;
  Integer GetItemHeight(Integer AIndex = -1) override;
  Integer GetHeight(Integer ARowCount) override;
  // The next mouse move over the list is ignored (the keyboard just set the selection).
  void IgnoreNextMouseMove() { FIgnoreMouseMove = true; }

 protected:
  void MeasureItem(Integer Index, Integer& Height) override;
  bool DoDrawItem(Integer AIndex, const TRect& ARect, TOwnerDrawState AState) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void WndProc(TMessage& Message) override;

 private:
  // Dragged past the top (-1) or bottom (1) edge, the list scrolls a row on each tick.
  void SetScrollDirection(Integer ADirection);
  void ScrollTimerHandler(TObject*);
  void ScrollStep();
  bool FIgnoreMouseMove = false;
  bool FPressed = false;
  Integer FScrollDirection = 0;
  TcxTimer* FScrollTimer = nullptr;
};

class TcxComboBoxListBox : public TcxCustomComboBoxListBox {
  TL_CLASS(TcxComboBoxListBox, TcxCustomComboBoxListBox)
 public:
  using TcxCustomComboBoxListBox::TcxCustomComboBoxListBox;
};

class TcxComboBoxLookupData : public TcxCustomTextEditLookupData {
  TL_CLASS(TcxComboBoxLookupData, TcxCustomTextEditLookupData)
 public:
  using TcxCustomTextEditLookupData::TcxCustomTextEditLookupData;

  TcxCustomEditListBoxClass GetListClass() const override;
  // Rows up to DropDownRows (fewer when they do not fit AMaxHeight), the widest item + 4,
  // and room for the scroll bars the list will show.
  TSize GetVisualAreaPreferredSize(Integer AMaxHeight, Integer AWidth) override;
  // A proposed client size cut to whole rows (room kept for a horizontal bar), widened for
  // a vertical bar when rows are hidden.
  void SnapListSize(Integer& AWidth, Integer& AHeight);
  void DoInitializeList() override;

 private:
  TcxCustomComboBoxProperties* ComboProperties() const;
};

class TcxCustomComboBoxViewData : public TcxCustomDropDownEditViewData {
  TL_CLASS(TcxCustomComboBoxViewData, TcxCustomDropDownEditViewData)
 public:
  using TcxCustomDropDownEditViewData::TcxCustomDropDownEditViewData;
  void Calculate(TcxCanvas& ACanvas, const TRect& ABounds, const TPoint& P, TcxMouseButton AButton,
                 TShiftState AShift, TcxCustomEditViewInfo* AViewInfo, bool AIsMouseEvent) override;
};

class TcxCustomComboBox : public TcxCustomDropDownEdit {
  TL_CLASS(TcxCustomComboBox, TcxCustomDropDownEdit)
 public:
  using TcxCustomDropDownEdit::TcxCustomDropDownEdit;

  TcxCustomComboBoxProperties* ActiveProperties() {
    return static_cast<TcxCustomComboBoxProperties*>(GetActiveProperties());
  }
  // nullptr when the kind's lookup data is not a list box's (a lookup edit's grid).
  TcxComboBoxLookupData* GetComboLookupData() const { return dynamic_cast<TcxComboBoxLookupData*>(LookupData()); }
  // The popup's stored height goes back to automatic, so that the next set-up fits the list
  // again; nothing while KeepPopupHeight is raised.
  void ResetPopupHeight();
  bool GetKeepPopupHeight() const { return FKeepPopupHeight; }
  void SetKeepPopupHeight(bool Value) { FKeepPopupHeight = Value; }
  // -1 for none.
  Integer GetItemIndex();
  // Selects the item as if the user chose it: the text follows and OnChange fires.
  void SetItemIndex(Integer Value);
  // Calls OnDrawItem (own properties first, then a linked repository item's); false without one.
  bool DoDrawItem(TcxCanvas* ACanvas, Integer AIndex, const TRect& ARect, TOwnerDrawState AState);
  bool HasDrawItemHandler();
  bool DoMeasureItem(TWinControl* AControl, Integer AIndex, Integer& AHeight);
  bool HasMeasureItemHandler();

  TcxCustomEditPropertiesClass GetPropertiesClass() override;
  void Initialize() override;
  bool CanDropDown() override;
  TSize GetPopupWindowClientPreferredSize() override;
  void AdjustPopupClientSize(Integer& AWidth, Integer& AHeight) override;
  bool CanNavigateLookupItems(bool = false) const override { return true; }
  // The list and its scroll bars take the popup controls' look and feel.
  void PopupControlsLookAndFeelChanged() override;
  void DoEditKeyDown(Word& Key, TShiftState Shift) override;
  void Activate(TcxCustomEditData*& AEditData) override;
  // The edit area of a fixed list drawn by OnDrawItem.
  void DrawEditArea(TObject* Sender, TcxCanvas& ACanvas, const TRect& R);

 protected:
  void DblClick() override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  // The lookup data changed the text (a chosen item).
  virtual void LookupTextChanged() {}

 private:
  // Around the text editor's own handler: a selection made through the lookup data is a change.
  void LookupKeyChanged(TObject* Sender);
  void ChangeItemIndex(Integer Value);
  TNotifyEvent FTextEditLookupHandler;
  bool FKeepPopupHeight = false;
};

class TcxComboBox : public TcxCustomComboBox {
  TL_CLASS(TcxComboBox, TcxCustomComboBox)
 public:
  using TcxCustomComboBox::TcxCustomComboBox;
  TcxCustomEditPropertiesClass GetPropertiesClass() override;
  TcxComboBoxProperties* GetComboProperties() const { return static_cast<TcxComboBoxProperties*>(GetProperties()); }
};

namespace cxComboBox {
// Registers the combo box with the editor registry and the streaming classes.
void Initialize();
void Finalize();
}  // namespace cxComboBox
