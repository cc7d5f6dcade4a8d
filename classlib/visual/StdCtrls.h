// Standard controls over the platform's window classes: buttons (BUTTON), single-line
// edits (EDIT) and list boxes (LISTBOX) with owner drawing and virtual items.
#pragma once

#include "classlib/core/Strings.h"
#include "classlib/visual/Controls.h"
#include "platform/user/Controls.h"

#include <utility>
#include <vector>

TL_ENUM(TBorderStyle, bsNone, bsSingle);
TL_ENUM(TScrollStyle, ssNone, ssHorizontal, ssVertical, ssBoth);
TL_ENUM(TEditCharCase, ecNormal, ecUpperCase, ecLowerCase);
TL_ENUM(TListBoxStyle, lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable, lbVirtual, lbVirtualOwnerDraw);
TL_ENUM(TOwnerDrawStateItem, odSelected, odGrayed, odDisabled, odChecked, odFocused, odDefault);
using TOwnerDrawState = Set<TOwnerDrawStateItem>;

class TCustomListBox;
using TDrawItemEvent = TMethod<void(TWinControl* Control, Integer Index, TRect Rect, TOwnerDrawState State)>;
using TMeasureItemEvent = TMethod<void(TWinControl* Control, Integer Index, Integer& Height)>;
using TLBGetDataEvent = TMethod<void(TWinControl* Control, Integer Index, String& Data)>;
// The index of the item whose text starts with FindString, or -1.
using TLBFindDataEvent = TMethod<Integer(TWinControl* Control, const String& FindString)>;
using TLBGetDataObjectEvent = TMethod<void(TWinControl* Control, Integer Index, TObject*& DataObject)>;

// ---- Buttons --------------------------------------------------------------------------------

class TButtonControl : public TWinControl {
  TL_CLASS(TButtonControl, TWinControl)
 public:
  explicit TButtonControl(TComponent* AOwner);
};

class TButton : public TButtonControl {
  TL_CLASS(TButton, TButtonControl)
 public:
  explicit TButton(TComponent* AOwner);

  // Enter presses the default button unless another button has the focus.
  bool GetDefault() const { return FDefault; }
  void SetDefault(bool Value);
  // Escape presses the cancel button.
  bool GetCancel() const { return FCancel; }
  void SetCancel(bool Value) { FCancel = Value; }
  // Clicking sets the parent form's ModalResult to this (when not mrNone).
  Integer GetModalResult() const { return FModalResult; }
  void SetModalResult(Integer Value) { FModalResult = Value; }
  void Click() override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  // Whether Enter presses this button now.
  bool IsActive();
  bool IsActiveWith(TWinControl* Focused);
  void UpdateButtonStyle();
  void UpdateButtonStyle(TWinControl* Focused);
  void CNCommand(TMessage& Message);
  void CMDialogKey(TMessage& Message);
  void CMFocusChanged(TMessage& Message);

 private:
  bool FDefault = false;
  bool FCancel = false;
  Integer FModalResult = 0;
};

// A radio button: checking it unchecks the radio buttons beside it (same parent). Its own
// window keeps no check state of its own once a descendant owner-draws it, so the state
// lives here.
class TRadioButton : public TButtonControl {
  TL_CLASS(TRadioButton, TButtonControl)
 public:
  explicit TRadioButton(TComponent* AOwner);

  bool GetChecked() const { return FChecked; }
  void SetChecked(bool Value) { SetCheckedState(Value); }
  // taRightJustify: the caption right of the glyph (the default); taLeftJustify: left of it.
  TAlignment GetAlignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void WndProc(TMessage& Message) override;
  // Stores the state, sends it to the window, and when checked turns the siblings off and
  // clicks (unless clicks are disabled).
  virtual void SetCheckedState(bool Value);
  // The user's activation: a click of the window, the accelerator, or the keyboard focus.
  virtual void Activate() { SetCheckedState(true); }
  bool ClicksDisabled() const { return FClicksDisabled; }
  void SetClicksDisabled(bool Value) { FClicksDisabled = Value; }
  void CNCommand(TMessage& Message);
  void CMDialogChar(TMessage& Message);
  void WMSetFocus(TMessage& Message);

 private:
  void TurnSiblingsOff();
  bool FChecked = false;
  bool FClicksDisabled = false;
  bool FMouseFocusing = false;
  TAlignment FAlignment = TAlignment::taRightJustify;
};

// ---- Edits ----------------------------------------------------------------------------------

class TCustomEdit : public TWinControl {
  TL_CLASS(TCustomEdit, TWinControl)
 public:
  explicit TCustomEdit(TComponent* AOwner);

  // 0 is no limit. Negative values raise EInvalidOperation.
  Integer GetMaxLength() const { return FMaxLength; }
  void SetMaxLength(Integer Value);
  Char GetPasswordChar() const { return FPasswordChar; }
  void SetPasswordChar(Char Value);
  bool GetReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value);
  bool GetModified();
  void SetModified(bool Value);
  bool GetAutoSelect() const { return FAutoSelect; }
  void SetAutoSelect(bool Value) { FAutoSelect = Value; }
  TEditCharCase GetCharCase() const { return FCharCase; }
  void SetCharCase(TEditCharCase Value);
  bool GetHideSelection() const { return FHideSelection; }
  void SetHideSelection(bool Value);
  TBorderStyle GetBorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);

  // The selection, in characters from the start of the text (made on the window).
  Integer GetSelStart();
  void SetSelStart(Integer Value);
  Integer GetSelLength();
  void SetSelLength(Integer Value);
  String GetSelText();
  void SetSelText(const String& Value);
  void SelectAll();
  void ClearSelection();
  void Clear() { SetText(""); }
  void CopyToClipboard();
  void CutToClipboard();
  void PasteFromClipboard();
  void Undo();
  bool CanUndo();
  void ClearUndo();

  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void DoEnter() override;
  virtual void Change();
  void CNCommand(TMessage& Message);

 private:
  Integer FMaxLength = 0;
  Char FPasswordChar = 0;
  bool FReadOnly = false;
  bool FModified = false;
  bool FAutoSelect = true;
  bool FHideSelection = true;
  TEditCharCase FCharCase = TEditCharCase::ecNormal;
  TBorderStyle FBorderStyle = TBorderStyle::bsSingle;
};

class TEdit : public TCustomEdit {
  TL_CLASS(TEdit, TCustomEdit)
 public:
  using TCustomEdit::TCustomEdit;
};

// ---- List boxes -----------------------------------------------------------------------------

// The list box's items: kept here (so they survive a new window) and mirrored into the
// window while it exists.
class TListBoxStrings : public TStrings {
  TL_CLASS(TListBoxStrings, TStrings)
 public:
  explicit TListBoxStrings(TCustomListBox* AListBox) : FListBox(AListBox) {}
  Integer Add(const String& S) override;
  Integer AddObject(const String& S, TObject* AObject) override;
  void Clear() override;
  void Delete(Integer Index) override;
  void Insert(Integer Index, const String& S) override;
  void InsertObject(Integer Index, const String& S, TObject* AObject) override;
  Integer IndexOf(const String& S) const override;
  // Sorts in place (for Sorted).
  void SortItems();

 protected:
  String Get(Integer Index) const override;
  Integer GetCount() const override;
  TObject* GetObject(Integer Index) const override;
  void Put(Integer Index, const String& S) override;
  void PutObject(Integer Index, TObject* AObject) override;

 private:
  friend class TCustomListBox;
  TCustomListBox* FListBox;
  std::vector<std::pair<String, TObject*>> FItems;
};

class TCustomListBox : public TWinControl {
  TL_CLASS(TCustomListBox, TWinControl)
 public:
  explicit TCustomListBox(TComponent* AOwner);
  void BeforeDestruction() override;

  TStrings* GetItems() const { return FItems; }
  void SetItems(TStrings* Value) { FItems->Assign(Value); }
  // -1 for none. Out-of-range indexes raise EListError.
  Integer GetItemIndex();
  void SetItemIndex(Integer Value);
  Integer GetTopIndex();
  void SetTopIndex(Integer Value);
  bool GetSorted() const { return FSorted; }
  void SetSorted(bool Value);
  TListBoxStyle GetStyle() const { return FStyle; }
  void SetStyle(TListBoxStyle Value);
  Integer GetItemHeight();
  void SetItemHeight(Integer Value);
  bool GetIntegralHeight() const { return FIntegralHeight; }
  void SetIntegralHeight(bool Value);
  TBorderStyle GetBorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);
  // The number of items; settable in the virtual styles only (EInvalidOperation otherwise).
  Integer GetCount() const;
  void SetCount(Integer Value);
  bool IsVirtual() const { return FStyle == TListBoxStyle::lbVirtual || FStyle == TListBoxStyle::lbVirtualOwnerDraw; }
  bool IsOwnerDraw() const { return FStyle != TListBoxStyle::lbStandard && FStyle != TListBoxStyle::lbVirtual; }

  // Several items may be selected: with ExtendedSelect by Shift and Ctrl as well, else each
  // click or Space toggles one. A changed kind makes a new window.
  bool GetMultiSelect() const { return FMultiSelect; }
  void SetMultiSelect(bool Value);
  bool GetExtendedSelect() const { return FExtendedSelect; }
  void SetExtendedSelect(bool Value);
  // Whether item Index is selected; without multiple selection, whether it is ItemIndex.
  bool GetSelected(Integer Index);
  void SetSelected(Integer Index, bool Value);
  Integer GetSelCount();
  void ClearSelection();
  void SelectAll();
  // The items flow into this many columns of equal width; 0 is one column without a
  // horizontal bar.
  Integer GetColumns() const { return FColumns; }
  void SetColumns(Integer Value);
  // Tab stops every TabWidth dialog units; 0 leaves tabs to the list's default.
  Integer GetTabWidth() const { return FTabWidth; }
  void SetTabWidth(Integer Value);
  // The width the list scrolls over horizontally, in pixels.
  Integer GetScrollWidth();
  void SetScrollWidth(Integer Value);
  // Typed keys search the items by their beginnings.
  bool GetAutoComplete() const { return FAutoComplete; }
  void SetAutoComplete(bool Value) { FAutoComplete = Value; }

  // The item under a client point: -1 (Existing) or Count (not Existing) below the last.
  Integer ItemAtPos(const TPoint& Pos, bool Existing);
  // The item's rectangle in client coordinates (empty when not shown).
  TRect ItemRect(Integer Index);
  void Clear() { FItems->Clear(); }
  // Draws on the item during OnDrawItem.
  TCanvas* Canvas() const { return FCanvas; }

  TDrawItemEvent OnDrawItem;
  TMeasureItemEvent OnMeasureItem;
  TLBGetDataEvent OnData;
  TLBFindDataEvent OnDataFind;
  TLBGetDataObjectEvent OnDataObject;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  virtual void DrawItem(Integer Index, TRect Rect, TOwnerDrawState State);
  virtual void MeasureItem(Integer Index, Integer& Height);
  String DoGetData(Integer Index) const;
  // A virtual list box holds no text to search: its owner answers; -1 without a handler.
  Integer DoFindData(const String& Data);
  TObject* DoGetDataObject(Integer Index) const;
  void CNCommand(TMessage& Message);
  void CNDrawItem(TMessage& Message);
  void CNMeasureItem(TMessage& Message);
  void WMSize(TMessage& Message);

 private:
  friend class TListBoxStrings;
  bool IsMultiSelectWindow() const;
  void SetColumnWidth();
  // Keeps the selection of a list without a window in step with an item put in or taken out.
  void ShiftSelection(Integer Index, Integer Delta);
  TListBoxStrings* FItems;
  TControlCanvas* FCanvas = nullptr;
  HDC FDrawDC = nullptr;
  Integer FItemIndex = -1;
  Integer FTopIndex = 0;
  Integer FCount = 0;
  Integer FItemHeight = 16;
  bool FSorted = false;
  bool FIntegralHeight = false;
  bool FMultiSelect = false;
  bool FExtendedSelect = true;
  bool FAutoComplete = true;
  Integer FColumns = 0;
  Integer FTabWidth = 0;
  Integer FScrollWidth = 0;
  // The selected items of a multiple selection while there is no window, ascending.
  std::vector<Integer> FSelection;
  TListBoxStyle FStyle = TListBoxStyle::lbStandard;
  TBorderStyle FBorderStyle = TBorderStyle::bsSingle;
};

class TListBox : public TCustomListBox {
  TL_CLASS(TListBox, TCustomListBox)
 public:
  using TCustomListBox::TCustomListBox;
};

namespace StdCtrlsUnit {
void Initialize();
void Finalize();
}  // namespace StdCtrlsUnit
