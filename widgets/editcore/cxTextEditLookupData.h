// Lookup data of text editors: which item of the lookup items is current, incremental search
// with completion over them, stepping through them by keys and wheel, and the drop-down
// list that drop-down editors show in their popup.
#pragma once

#include "widgets/editcore/cxTextEdit.h"
#include "widgets/foundation/cxContainerPopup.h"
#include "widgets/foundation/cxInnerListBox.h"

class TcxCustomEditListBox;

// The editor a lookup data serves, as the lookup data sees it. The text editor implements it
// and passes itself as the lookup data's owner.
class IcxTextEditLookupDataOwner : public IInterface {
 public:
  virtual TcxCustomTextEditProperties* GetLookupProperties() = 0;
  // The editor's text as it stands now.
  virtual String GetLookupEditText() = 0;
  // Asks to enter edit mode; False when editing is refused.
  virtual bool DoLookupEditing() = 0;
  // Raised while the editor is entering edit mode.
  virtual bool IsLookupEditingLocked() = 0;
  virtual void SetLookupSelecting(bool Value) = 0;
  // The step that ends a match: the editor takes the current item's text.
  virtual void LookupMatchEnd() = 0;
  // The style of the editor's current state: the list takes its colour and visible font.
  virtual TcxContainerStyle* GetLookupActiveStyle() = 0;
};

// Directions of Go.
inline constexpr Integer cxLookupGoFirst = 0;
inline constexpr Integer cxLookupGoLast = 1;
inline constexpr Integer cxLookupGoNext = 2;
inline constexpr Integer cxLookupGoPrior = 3;
inline constexpr Integer cxLookupGoPageUp = 4;
inline constexpr Integer cxLookupGoPageDown = 5;

// What text editors and drop-down editors ask of their lookup data.
class IcxTextEditLookupData : public IInterface {
 public:
  // ---- drop-down editors ----
  // After the popup closed.
  virtual void CloseUp() = 0;
  // Before the popup shows.
  virtual void DropDown() = 0;
  // The text before the caret: the list selects the first item it begins.
  virtual void TextChanged(const String& ATextBeforeCaret) = 0;
  virtual bool Locate(String& AText, String& ATail, bool ANext, bool AExactMatch) = 0;
  virtual TWinControl* GetActiveControl() = 0;
  // The text of the current item ('' without one).
  virtual String GetCurrentText() = 0;
  // The list's size within the limits (0: none); (0, 0) without a list of its own.
  virtual TSize GetVisualAreaPreferredSize(Integer AMaxHeight, Integer AWidth) = 0;
  virtual void Go(Integer ADirection, bool AWrap) = 0;
  // Parents (and prepares) the list in the popup.
  virtual void Initialize(TWinControl* AVisualControlsParent) = 0;
  // A drop-down is refused when there is nothing to show.
  virtual bool IsEmpty() = 0;
  virtual void PositionVisualArea(const TRect& AClientRect) = 0;
  // The list's selection becomes the current item.
  virtual void SelectItem() = 0;
  virtual bool SyncWithEditText() = 0;

  // ---- all text editors ----
  virtual Variant GetCurrentKey() = 0;
  virtual void SetCurrentKey(const Variant& AKey) = 0;
  virtual Integer GetCurrentIndex() = 0;
  virtual void GetDisplayText(const Variant& AKey, String& AText) = 0;
  virtual bool ItemExists(const String& AText) = 0;
  virtual TcxCustomEditListBox* GetList() = 0;
  virtual void RefreshList() = 0;
  virtual void SetListBounds(const TRect& ARect) = 0;
  virtual bool IsMouseOverList() = 0;
  virtual TNotifyEvent GetOnSelectItem() = 0;
  virtual void SetOnSelectItem(TNotifyEvent Value) = 0;
  virtual TNotifyEvent GetOnCurrentKeyChanged() = 0;
  virtual void SetOnCurrentKeyChanged(TNotifyEvent Value) = 0;
};

using TcxCustomEditListBoxClass = TMetaClass<TcxCustomEditListBox, TComponent*>;

class TcxCustomTextEditLookupData : public TcxInterfacedPersistent, public IcxTextEditLookupData {
  TL_CLASS(TcxCustomTextEditLookupData, TcxInterfacedPersistent)
 public:
  // AOwner is the editor; it answers IcxTextEditLookupDataOwner.
  explicit TcxCustomTextEditLookupData(TPersistent* AOwner);
  void BeforeDestruction() override;

  IcxTextEditLookupDataOwner* GetEdit() const { return FEdit; }
  Integer GetListItemIndex() const { return FListItemIndex; }
  // The first item equal to AText, ignoring case; -1 when none.
  Integer IndexOf(const String& AText);

  // ---- IcxTextEditLookupData ----
  void CloseUp() override;
  void DropDown() override;
  void TextChanged(const String& ATextBeforeCaret) override;
  bool Locate(String& AText, String& ATail, bool ANext, bool AExactMatch) override;
  TWinControl* GetActiveControl() override;
  String GetCurrentText() override;
  TSize GetVisualAreaPreferredSize(Integer AMaxHeight, Integer AWidth) override;
  void Go(Integer ADirection, bool AWrap) override;
  void Initialize(TWinControl* AVisualControlsParent) override;
  bool IsEmpty() override { return GetItemCount() == 0; }
  void PositionVisualArea(const TRect& AClientRect) override;
  void SelectItem() override;
  bool SyncWithEditText() override;
  Variant GetCurrentKey() override;
  void SetCurrentKey(const Variant& AKey) override;
  Integer GetCurrentIndex() override { return FCurrentIndex; }
  void GetDisplayText(const Variant& AKey, String& AText) override;
  bool ItemExists(const String& AText) override { return IndexOf(AText) >= 0; }
  TcxCustomEditListBox* GetList() override { return FList; }
  void RefreshList() override { ListItemsChanged(); }
  void SetListBounds(const TRect& ARect) override;
  bool IsMouseOverList() override;
  TNotifyEvent GetOnSelectItem() override { return OnSelectItem; }
  void SetOnSelectItem(TNotifyEvent Value) override { OnSelectItem = Value; }
  TNotifyEvent GetOnCurrentKeyChanged() override { return OnCurrentKeyChanged; }
  void SetOnCurrentKeyChanged(TNotifyEvent Value) override { OnCurrentKeyChanged = Value; }

  // ---- virtual operations, in the order the kinds override them ----
  virtual String GetItem(Integer AIndex);
  virtual Integer GetItemCount();
  // No list here: the plain text editor shows none.
  virtual TcxCustomEditListBoxClass GetListClass() const { return {}; }
  // Whether a list of any kind shows in the popup: a list-box class, or a list control the
  // kind brings along (a grid).
  virtual bool HasVisualList() const { return GetListClass().Class != nullptr; }
  // The list's selection becomes ListItemIndex.
  virtual void SyncListItemIndex(TObject* Sender);
  virtual void ListItemsChanged();
  virtual bool AdjustListSize() { return true; }
  virtual void DoInitializeList() {}
  virtual void DoListChanged() {}
  virtual TSize GetPreferredListSize() { return {0, 0}; }
  // Makes the list once (owned by AOwner), fits it to the editor's style, fills it and
  // brings it in step with the editor's text.
  virtual bool PrepareList(TWinControl* AOwner);

  TNotifyEvent OnSelectItem;
  TNotifyEvent OnCurrentKeyChanged;

 protected:
  void SetCurrentIndex(Integer AIndex);
  void SetListSelection(Integer AIndex);
  void SetListItemCount(Integer ACount);
  TcxCustomTextEditProperties* ActiveProperties() const;

 private:
  void NotFound(bool AExactMatch, const String& AText);
  void ListFreed(TComponent* AComponent);
  Integer FCurrentIndex = -1;
  Integer FListItemIndex = -1;
  TcxCustomEditListBox* FList = nullptr;
  IcxTextEditLookupDataOwner* FEdit = nullptr;
  // The list's owner, watched so that a list freed with it is forgotten.
  TcxFreeNotificator* FListWatch = nullptr;
};

// The owner-drawn list of a drop-down editor. Its owner is the popup; the editor it serves
// is the popup's owner control.
class TcxCustomEditListBox : public TcxCustomInnerListBox {
  TL_CLASS(TcxCustomEditListBox, TcxCustomInnerListBox)
 public:
  explicit TcxCustomEditListBox(TComponent* AOwner);

  bool GetHotTrack() const { return FHotTrack; }
  void SetHotTrack(bool Value) { FHotTrack = Value; }
  // Also tells OnSelectionChanged.
  void SetItemIndex(Integer Value);
  void RecreateWindow();
  // The editor the list serves (through the popup that owns it); nullptr without one.
  IcxTextEditLookupDataOwner* GetEdit() const;

  virtual Integer GetHeight(Integer ARowCount);
  // The text height of "Wg" in the list's font.
  virtual Integer GetItemHeight(Integer AIndex = -1);
  virtual Integer GetItemWidth(Integer AIndex);
  virtual String GetItemText(Integer AIndex);
  bool NeedDrawFocusRect() override;
  // The list's own items are placeholders: typed searches read the shown texts.
  Integer FindItemStartingWith(const String& AText) override;

  TNotifyEvent OnSelectionChanged;

 protected:
  void Click() override;
  // A typed search that moved the selection tells OnSelectionChanged too.
  void KeyPress(Char& Key) override;
  void DrawItem(Integer Index, TRect Rect, TOwnerDrawState State) override;
  void MeasureItem(Integer Index, Integer& Height) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override;
  virtual bool DoDrawItem(Integer AIndex, const TRect& ARect, TOwnerDrawState AState);
  void WndProc(TMessage& Message) override;

 private:
  bool FHotTrack = true;
};
