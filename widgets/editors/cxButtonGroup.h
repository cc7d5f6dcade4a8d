// Groups of buttons in a box: the items, the properties with their column count, the layout
// of one rectangle per item in columns filled top to bottom, and the control that keeps one
// child button per item and moves the focus between them with the arrow keys.
#pragma once

#include "classlib/core/Collections.h"
#include "widgets/editors/cxGroupBox.h"
#include "widgets/foundation/cxLookAndFeelPainters.h"

#include <vector>

// The column count actually used for ACount items when ColumnsAsked are wanted: no column
// stays empty. No items, no columns.
Integer cxButtonGroupColumnCount(Integer ACount, Integer AColumnsAsked);
// Rows for ACount items in AColumns columns; 0 without items or columns.
Integer cxButtonGroupRowCount(Integer ACount, Integer AColumns);
// One rectangle per item inside AArea: AColumns columns ASpacing apart, equal rows with the
// odd pixels split above and below. Empty without items; never divides by zero.
std::vector<TRect> cxButtonGroupItemRects(Integer ACount, Integer AColumns, const TRect& AArea, Integer ASpacing);

// The look of an item's button: in place by the look-and-feel kind, standing by the border
// style (a table of its own, apart from the editor buttons' default resolution).
TcxEditButtonStyle cxButtonGroupButtonStyle(bool AIsInplace, TcxLookAndFeelKind AKind, TcxEditBorderStyle ABorder);

class TcxButtonGroupItem : public TCollectionItem {
  TL_CLASS(TcxButtonGroupItem, TCollectionItem)
 public:
  explicit TcxButtonGroupItem(TCollection* Collection) : TCollectionItem(Collection) {}
  void Assign(TPersistent* Source) override;

  const String& GetCaption() const { return FCaption; }
  void SetCaption(const String& Value);
  bool GetEnabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  Integer GetTag() const { return FTag; }
  void SetTag(Integer Value) { FTag = Value; }

 private:
  String FCaption;
  bool FEnabled = true;
  Integer FTag = 0;
};

TL_ENUM(TcxButtonGroupChangeKind, bgcAdded, bgcRemoved, bgcChanged, bgcAll);

class TcxButtonGroupItems : public TOwnedCollection {
  TL_CLASS(TcxButtonGroupItems, TOwnedCollection)
 public:
  TcxButtonGroupItems(TPersistent* AOwner, TCollectionItemClass AItemClass) : TOwnedCollection(AOwner, AItemClass) {}
  TcxButtonGroupItem* Items(Integer Index) const {
    return static_cast<TcxButtonGroupItem*>(TCollection::Items(Index));
  }
  // The last change: one item (its index and kind) or the whole collection (bgcAll, -1).
  Integer ChangedIndex() const { return FChangedIndex; }
  TcxButtonGroupChangeKind ChangeKind() const { return FChangeKind; }

 protected:
  void Notify(TCollectionItem* Item, TCollectionNotification Action) override;
  void Update(TCollectionItem* Item) override;

 private:
  Integer FChangedIndex = -1;
  TcxButtonGroupChangeKind FChangeKind = TcxButtonGroupChangeKind::bgcAll;
  bool FSingle = false;
};

class TcxCustomButtonGroupProperties : public TcxCustomGroupBoxProperties {
  TL_CLASS(TcxCustomButtonGroupProperties, TcxCustomGroupBoxProperties)
 public:
  explicit TcxCustomButtonGroupProperties(TPersistent* AOwner);
  void AfterConstruction() override;
  void BeforeDestruction() override;
  void Assign(TPersistent* Source) override;
  TcxCustomEditProperties* CreateSameClass() const override;
  TcxCustomEditViewDataClass GetViewDataClass() const override;
  TcxCustomEditViewInfoClass GetViewInfoClass() const override;

  Integer GetColumns() const { return FColumns; }
  // Values below 1 become 1.
  void SetColumns(Integer Value);
  TcxButtonGroupItems* GetItems() const { return FItems; }
  void SetItems(TcxButtonGroupItems* Value) { FItems->Assign(Value); }
  bool GetWordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);
  Integer ColumnCount() const { return cxButtonGroupColumnCount(FItems->Count(), FColumns); }
  Integer RowCount() const { return cxButtonGroupRowCount(FItems->Count(), ColumnCount()); }

 protected:
  virtual TCollectionItemClass GetItemClass() const;

 private:
  TcxButtonGroupItems* FItems = nullptr;
  Integer FColumns = 1;
  bool FWordWrap = false;
};

// One button view info per item, in the layout's rectangles.
class TcxButtonGroupViewInfo : public TcxGroupBoxViewInfo {
  TL_CLASS(TcxButtonGroupViewInfo, TcxGroupBoxViewInfo)
 public:
  TcxGroupBoxButtonViewInfo* Button(Integer Index) const {
    return static_cast<TcxGroupBoxButtonViewInfo*>(ButtonsInfo[size_t(Index)].get());
  }
  Integer ButtonCount() const { return Integer(ButtonsInfo.size()); }
  void Assign(TcxContainerViewInfo* Source) override;
  // The item shown down (the checked one), -1 for none.
  Integer DownIndex = -1;
  // The button under a free mouse and the one shown pressed; -1 for none.
  Integer HotIndex = -1;
  Integer PressedIndex = -1;
  // The button the left press began on, for as long as the left button stays held.
  Integer CapturedIndex = -1;
  // Some button is down, pressed, held or captured.
  bool IsButtonActive = false;
  // The item that shows the focus rectangle while the editor is focused; -1 for none.
  Integer FocusedIndex = -1;
  // Child windows stand for the items and paint themselves.
  bool HasChildButtons = false;
  bool WordWrap = false;
  const TcxCustomLookAndFeelPainter* Painter = nullptr;  // not owned
};

class TcxButtonGroupViewData : public TcxGroupBoxViewData {
  TL_CLASS(TcxButtonGroupViewData, TcxGroupBoxViewData)
 public:
  using TcxGroupBoxViewData::TcxGroupBoxViewData;
  void Calculate(TcxCanvas& ACanvas, const TRect& ABounds, const TPoint& P, TcxMouseButton AButton,
                 TShiftState AShift, TcxCustomEditViewInfo* AViewInfo, bool AIsMouseEvent) override;
  // Room for every item: widest caption plus glyph per column without a width; with one,
  // row height grows to the tallest word-wrapped caption.
  TSize InternalGetEditContentSize(TcxCanvas& ACanvas, const Variant& AEditValue,
                                   const TcxEditSizeProperties& AEditSizeProperties) override;
  // The item shown down; the control sets it from its value.
  Integer DownIndex = -1;
  Integer FocusedIndex = -1;
  bool HasChildButtons = false;
  static constexpr Integer kGlyphSpacing = 5;
  static constexpr Integer kTextMargin = 2;
};

// A group box with one child button per item.
class TcxCustomButtonGroup : public TcxCustomGroupBox {
  TL_CLASS(TcxCustomButtonGroup, TcxCustomGroupBox)
 public:
  using TcxCustomGroupBox::TcxCustomGroupBox;

  TcxCustomButtonGroupProperties* ButtonGroupProperties() {
    return static_cast<TcxCustomButtonGroupProperties*>(GetActiveProperties());
  }
  Integer ButtonCount() const { return Integer(FButtons.size()); }
  TWinControl* Buttons(Integer Index) const { return FButtons[size_t(Index)]; }
  Integer IndexOfButton(const TControl* AButton) const;
  // The room inside the frame the items share.
  TRect ItemArea();
  // The rectangle of each item in the group's client area.
  std::vector<TRect> ItemRects();
  // Arrow-key movement from the button at AIndex; true when the focus moved.
  bool FocusNeighbour(Integer AIndex, Word Key);
  bool IsInternalControl(const TControl* AControl) const override;
  static constexpr Integer kColumnSpacing = 6;
  // True while a button's mouse-down is passed on to the group.
  bool IsButtonMouseDown() const { return FButtonMouseDown; }
  // In place, the press that started editing goes on to the button under it, at its centre.
  void ActivateByMouse(TShiftState Shift, Integer X, Integer Y, TcxCustomEditData*& AEditData) override;
  // The group or one of its buttons holds the focus.
  bool IsFocused() const override;
  void Initialize() override;
  // Given a parent, the buttons are brought up to date: some of their looks need one.
  void SetParent(TWinControl* AParent) override;

 protected:
  virtual TWinControl* CreateButton();
  virtual void InitializeButton(TWinControl* AButton);
  virtual void SetButtonCount(Integer Value);
  virtual void UpdateButtons();
  virtual void ArrangeButtons();
  // Each button takes the style's colour, and its font with the style's text colour.
  virtual void UpdateButtonStyles();
  void ContainerStyleChanged(TObject* Sender) override;
  void PropertiesChanged(TObject* Sender) override;
  // The items fill the box given; it never sizes itself to them.
  bool IsAutoSizeActive() const override { return false; }
  void Resize() override;
  void DoEditKeyDown(Word& Key, TShiftState Shift) override;
  void CreateWnd() override;
  void BeforeDestruction() override;
  void InitializeViewData(TcxCustomEditViewData* AViewData) override;
  // Moved or sized while see-through: the children show what lies behind them anew.
  void WndProc(TMessage& Message) override;
  // The item to show down in the view.
  virtual Integer GetDownIndex() const { return -1; }
  // The room for the items follows the view (a caption moved to another side, say): the
  // buttons move with it.
  bool ProcessViewInfoChanges(const TPoint& P, TcxMouseButton AButton, TShiftState AShift,
                              bool AIsMouseEvent) override;
  // Not asked again for a button's context menu its own routing already brought here.
  void DoContextPopup(const TPoint& MousePos, bool& Handled) override;

 private:
  // A button's mouse and keys reach the group as its own, in the group's coordinates.
  void ButtonMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  void ButtonMouseMove(TObject* Sender, TShiftState Shift, Integer X, Integer Y);
  void ButtonMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  void ButtonKeyDown(TObject* Sender, Word& Key, TShiftState Shift);
  void ButtonKeyPress(TObject* Sender, Char& Key);
  void ButtonKeyUp(TObject* Sender, Word& Key, TShiftState Shift);
  void ButtonContextPopup(TObject* Sender, TPoint MousePos, bool& Handled);
  // The button whose context menu, already seen by the group, the message WParam names.
  bool IsPassedOnFromButton(WPARAM AWnd) const;

  std::vector<TWinControl*> FButtons;
  bool FButtonMouseDown = false;
  bool FContextPopupAsked = false;
};

