// The list box of the library: the platform list box inside a styled container, with the
// library's border and scroll bars, owner drawing on a library canvas, integral-height sizing
// and a data binding that ties the selected item's text to a value.
#pragma once

#include "classlib/core/Variants.h"
#include "classlib/visual/StdCtrls.h"
#include "widgets/foundation/cxContainer.h"
#include "widgets/foundation/cxInnerListBox.h"

class TcxListBox;

using TcxListBoxDrawItemEvent = TMethod<void(TcxListBox* AControl, TcxCanvas* ACanvas, Integer AIndex, TRect ARect,
                                             TOwnerDrawState AState)>;
using TcxListBoxMeasureItemEvent = TMethod<void(TcxListBox* AControl, Integer AIndex, Integer& Height)>;

// The link between a list box and a value. This plain one always has data, stores nothing
// and allows changes unless read-only; data-aware list boxes bring their own.
class TcxDataBinding : public TPersistent {
  TL_CLASS(TcxDataBinding, TPersistent)
 public:
  explicit TcxDataBinding(TcxListBox* AOwner) : FOwner(AOwner) {}

  virtual bool CanModify() { return !FReadOnly; }
  virtual bool IsDataAvailable() { return true; }
  virtual Variant GetStoredValue() { return Null(); }
  virtual void SetStoredValue(const Variant& AValue) { (void)AValue; }
  // Escape in the list: the value goes back to the stored one.
  virtual void Reset() {}
  virtual bool GetReadOnly() { return FReadOnly; }
  virtual void SetReadOnly(bool Value) { FReadOnly = Value; }

  // The stored value changed: the list selects the item showing it.
  void DataChanged();
  // The stored value is wanted: the list hands over its selected item's text.
  void UpdateData();
  TcxListBox* Owner() const { return FOwner; }

 private:
  TcxListBox* FOwner;
  bool FReadOnly = false;
};

using TcxDataBindingClass = TMetaClass<TcxDataBinding, TcxListBox*>;

// The platform list box inside a TcxListBox.
class TcxInnerListBox : public TcxCustomInnerListBox {
  TL_CLASS(TcxInnerListBox, TcxCustomInnerListBox)
 public:
  explicit TcxInnerListBox(TComponent* AOwner);
  TcxListBox* ListBox() const;

 protected:
  void DrawItem(Integer Index, TRect Rect, TOwnerDrawState State) override;
  void MeasureItem(Integer Index, Integer& Height) override;
  void WMLButtonDown(TMessage& Message);
  // Whether the binding lets the user change the selection; true outside a list box.
  bool CanModify() const;
};

using TcxInnerListBoxClass = TMetaClass<TcxInnerListBox, TComponent*>;

class TcxListBox : public TcxContainer {
  TL_CLASS(TcxListBox, TcxContainer)
 public:
  explicit TcxListBox(TComponent* AOwner);
  void AfterConstruction() override;
  void BeforeDestruction() override;
  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;

  TcxInnerListBox* InnerListBox() const { return FInnerListBox; }
  TcxDataBinding* DataBinding() const { return FDataBinding; }
  // Whether the binding lets the user change the selection.
  bool CanModify() const { return !FDataBinding || FDataBinding->CanModify(); }

  bool GetAutoComplete() const { return FInnerListBox->GetAutoComplete(); }
  void SetAutoComplete(bool Value) { FInnerListBox->SetAutoComplete(Value); }
  Cardinal GetAutoCompleteDelay() const { return FInnerListBox->GetAutoCompleteDelay(); }
  void SetAutoCompleteDelay(Cardinal Value) { FInnerListBox->SetAutoCompleteDelay(Value); }
  Integer GetColumns() const { return FInnerListBox->GetColumns(); }
  void SetColumns(Integer Value) { FInnerListBox->SetColumns(Value); }
  bool GetExtendedSelect() const { return FInnerListBox->GetExtendedSelect(); }
  void SetExtendedSelect(bool Value) { FInnerListBox->SetExtendedSelect(Value); }
  bool GetIntegralHeight() const { return FIntegralHeight; }
  void SetIntegralHeight(bool Value);
  // As stored: the owner-drawn height. GetItemHeight answers the height items really take.
  Integer GetItemHeightValue() const { return FInnerListBox->GetItemHeight(); }
  void SetItemHeight(Integer Value);
  // The height of one item by the list style: the font's text height for the standard and
  // virtual styles, ItemHeight for the fixed owner-drawn ones, and for the variable one
  // ItemHeight as OnMeasureItem changes it for item AIndex (when there is such an item).
  Integer GetItemHeight(Integer AIndex = 0);
  Integer GetItemIndex() const { return FInnerListBox->GetItemIndex(); }
  void SetItemIndex(Integer Value) { FInnerListBox->SetItemIndex(Value); }
  TStrings* GetItems() const { return FInnerListBox->GetItems(); }
  void SetItems(TStrings* Value) { FInnerListBox->SetItems(Value); }
  TListBoxStyle GetListStyle() const { return FInnerListBox->GetStyle(); }
  void SetListStyle(TListBoxStyle Value);
  bool GetMultiSelect() const { return FInnerListBox->GetMultiSelect(); }
  void SetMultiSelect(bool Value) { FInnerListBox->SetMultiSelect(Value); }
  bool GetReadOnly() const { return FDataBinding->GetReadOnly(); }
  void SetReadOnly(bool Value) { FDataBinding->SetReadOnly(Value); }
  Integer GetScrollWidth() const { return FInnerListBox->GetScrollWidth(); }
  void SetScrollWidth(Integer Value);
  bool GetSelected(Integer Index) const { return FInnerListBox->GetSelected(Index); }
  void SetSelected(Integer Index, bool Value) { FInnerListBox->SetSelected(Index, Value); }
  Integer GetSelCount() const { return FInnerListBox->GetSelCount(); }
  bool GetSorted() const { return FInnerListBox->GetSorted(); }
  void SetSorted(bool Value) { FInnerListBox->SetSorted(Value); }
  Integer GetTabWidth() const { return FInnerListBox->GetTabWidth(); }
  void SetTabWidth(Integer Value) { FInnerListBox->SetTabWidth(Value); }
  Integer GetTopIndex() const { return FInnerListBox->GetTopIndex(); }
  void SetTopIndex(Integer Value) { FInnerListBox->SetTopIndex(Value); }
  Integer GetCount() const { return FInnerListBox->GetCount(); }
  void SetCount(Integer Value) { FInnerListBox->SetCount(Value); }
  Integer ItemAtPos(const TPoint& Pos, bool Existing) const { return FInnerListBox->ItemAtPos(Pos, Existing); }
  TRect ItemRect(Integer Index) const { return FInnerListBox->ItemRect(Index); }
  void Clear() { FInnerListBox->Clear(); }
  void ClearSelection() { FInnerListBox->ClearSelection(); }
  void SelectAll() { FInnerListBox->SelectAll(); }

  // The virtual-mode events live on the inner list box.
  TLBGetDataEvent GetOnData() const { return FInnerListBox->OnData; }
  void SetOnData(TLBGetDataEvent Value) { FInnerListBox->OnData = Value; }
  TLBFindDataEvent GetOnDataFind() const { return FInnerListBox->OnDataFind; }
  void SetOnDataFind(TLBFindDataEvent Value) { FInnerListBox->OnDataFind = Value; }
  TLBGetDataObjectEvent GetOnDataObject() const { return FInnerListBox->OnDataObject; }
  void SetOnDataObject(TLBGetDataObjectEvent Value) { FInnerListBox->OnDataObject = Value; }

  TcxListBoxDrawItemEvent OnDrawItem;
  TcxListBoxMeasureItemEvent OnMeasureItem;

  // Virtual operations, in the order the list box introduces them.
  // Fires OnDrawItem; false when it is not assigned and the list draws the item itself.
  virtual bool DoDrawItem(Integer AIndex, const TRect& ARect, TOwnerDrawState AState);
  virtual TcxDataBindingClass GetDataBindingClass() const;
  virtual TcxInnerListBoxClass GetInnerListBoxClass() const;

  // The binding's stored value changed: select the item showing its text.
  void DataChange();
  // The binding wants the value: the selected item's text, or an empty string.
  void UpdateData();
  // A press on the list while it may not change: focus and the mouse-down event only.
  void InnerMouseDownReadOnly(TMouseButton Button, TShiftState Shift, Integer X, Integer Y);

 protected:
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(Char& Key) override;
  void FontChanged() override;
  void Loaded() override;
  void WndProc(TMessage& Message) override;

 private:
  bool IsIntegralHeightActive() const;
  // AHeight cut to whole items; unchanged when items have no height to count.
  Integer IntegralHeightFor(Integer AWidth, Integer AHeight);
  void ApplyIntegralHeight();
  // List-box messages sent to the list box itself; items go through Items so both stay one.
  LRESULT ForwardListMessage(UINT AMsg, WPARAM AWParam, LPARAM ALParam);

  TcxInnerListBox* FInnerListBox = nullptr;
  TcxDataBinding* FDataBinding = nullptr;
  bool FIntegralHeight = false;
};

namespace cxListBox {
void Initialize();
void Finalize();
}  // namespace cxListBox
