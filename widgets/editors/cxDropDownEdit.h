// Drop-down editors: the masked text editor with a button that opens a popup window beside
// it, and that window (its frame, the optional system panel with close button and size
// grip, sizing by the mouse, and the way a close by the popup hooks becomes a close-up
// reason). The combo box, the popup edit and the other drop-down kinds build on both.
#pragma once

#include "classlib/visual/Forms.h"
#include "classlib/visual/Messages.h"
#include "widgets/editcore/cxMaskEdit.h"
#include "widgets/foundation/cxContainerPopup.h"
#include "widgets/foundation/cxLookAndFeels.h"

class TcxCustomDropDownEdit;

// Private messages of drop-down editors: show the popup after the current message; hand it
// a typed character.
inline constexpr UINT DXM_DROPDOWNPOPUP = TL_MSG_POPUP_SHOW;
inline constexpr UINT DXM_DROPDOWNCHAR = TL_MSG_POPUP_CHAR;

// Close button states and size grip corners of the popup's system panel.
inline constexpr Integer cxPopupCloseButtonNormal = 1;
inline constexpr Integer cxPopupCloseButtonHot = 2;
inline constexpr Integer cxPopupCloseButtonPressed = 3;
inline constexpr Integer cxPopupGripTopLeft = 0;
inline constexpr Integer cxPopupGripTopRight = 1;
inline constexpr Integer cxPopupGripBottomLeft = 2;
inline constexpr Integer cxPopupGripBottomRight = 3;

// The popup's layout: borders, the system panel with its close button and grip, the client area.
class TcxCustomEditPopupWindowViewInfo : public TcxContainerViewInfo {
  TL_CLASS(TcxCustomEditPopupWindowViewInfo, TcxContainerViewInfo)
 public:
  // Lays the window out in ABounds (its own coordinates).
  void Calculate(const TRect& ABounds);
  // Border widths at the left, top, right and bottom, the system panel counted in.
  TRect GetBorderExtent() const;
  // The rings the border draws on one side (without the system panel).
  Integer GetRingCount() const;
  Integer GetSysPanelHeight() const;
  // The panel's height before its lower bound: the scroll-bar and caption-button metrics and
  // the themed parts' heights.
  Integer GetSysPanelBaseHeight() const;
  // The themed size grip's and close button's part sizes; (0, 0) when drawn without a theme.
  TSize GetThemedGripSize() const;
  TSize GetThemedCloseButtonSize() const;
  // The grip's and the close button's sizes in the panel (the close button's width 0 when hidden).
  TSize GetSizeGripSize() const;
  TSize GetCloseButtonSize() const;
  Integer GetMinSysPanelHeight() const { return FMinSysPanelHeight; }
  void SetMinSysPanelHeight(Integer Value) { FMinSysPanelHeight = std::max<Integer>(0, Value); }
  // The sizing directions at P: -1, 0 or 1 horizontally and vertically (0, 0: none).
  void GetSizingDirections(const TPoint& P, Integer& AHorz, Integer& AVert) const;
  void Paint(TcxCanvas& ACanvas) override;

  TcxEditPopupBorderStyle PopupBorderStyle = TcxEditPopupBorderStyle::epbsDefault;
  bool ClientEdge = false;
  bool SysPanelStyle = false;
  bool Sizeable = false;
  bool CloseButton = true;
  Integer SizeGripCorner = cxPopupGripBottomRight;
  Integer CloseButtonState = cxPopupCloseButtonNormal;
  TRect SysPanelRect{};
  TRect CloseButtonRect{};
  TRect SizeGripRect{};

 private:
  Integer FMinSysPanelHeight = 0;
};

class TcxCustomEditPopupWindow : public TcxCustomPopupWindow {
  TL_CLASS(TcxCustomEditPopupWindow, TcxCustomPopupWindow)
 public:
  explicit TcxCustomEditPopupWindow(TWinControl* AOwnerControl);
  void BeforeDestruction() override;

  TcxCustomDropDownEdit* Edit() const;
  TcxCustomEditPopupWindowViewInfo* PopupViewInfo() const {
    return static_cast<TcxCustomEditPopupWindowViewInfo*>(ViewInfo());
  }

  // Settings the edit copies in before each showing.
  bool PopupAutoSize = true;
  bool ClientEdge = false;
  bool CloseButton = true;
  Integer MinWidth = 0;
  Integer MinHeight = 0;
  bool Sizeable = false;
  bool SysPanelStyle = false;
  Integer PopupWidth = 0;
  Integer PopupHeight = 0;
  bool Shadow = false;
  bool NativeStyle = false;
  TcxEditPopupBorderStyle EditPopupBorderStyle = TcxEditPopupBorderStyle::epbsDefault;
  // The edit's width when the popup has no width of its own.
  Integer EditWidth = 0;

  // Raised once the user sized the popup with the mouse (the edit stores the size).
  bool GetSizeChanged() const { return FSizeChanged; }
  void SetSizeChanged(bool Value) { FSizeChanged = Value; }
  bool IsSizing() const { return FSizing; }
  // The alignment code: 0 left, 1 centre, 2 right.
  Integer GetAlignmentCode() const;

  // Size, then position beside the edit fitted to the work area, in one bounds change.
  void CalculateBounds();

  // Virtual operations, in the order the editor popup introduces them.
  virtual void CalculateViewInfo();
  // A character to the window with the keyboard focus.
  virtual void SendCharToFocus(Char AChar);
  virtual TSize GetNonClientSize();

  bool AcceptsAnySize() const override { return true; }
  void CloseByHook() override;
  TcxContainerViewInfoClass GetViewInfoClass() const override;
  // The window's shape: with a shadow, the cut-out keeps a popup above the edit from shading it.
  void UpdateWindowRegion();
  // A proposed size of a sizeable popup raised to its minimums, a list's client snapped to whole rows.
  void AdjustSizingSize(Integer& AWidth, Integer& AHeight);

 protected:
  void CalculateSize() override;
  TPoint CalculatePosition() override;
  void DoClosed() override;
  void DoClosing() override;
  void Paint() override;
  void Resize() override;
  void WndProc(TMessage& Message) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseLeave(TControl* AControl) override;

 private:
  bool IsFixedSize() const;
  void SetCloseButtonState(Integer AState);
  // The window rectangle the sizing would give for the cursor at the screen point P.
  TRect SizingBounds(const TPoint& P) const;
  void DrawSizingFrame(const TRect& R);
  void EraseSizingFrame();
  void EndSizing();

  bool FSizeChanged = false;
  bool FSizing = false;
  Integer FSizingHorz = 0, FSizingVert = 0;
  TPoint FSizingOffset{0, 0};
  TRect FSizingFrame{};
  bool FSizingFrameShown = false;
  bool FCloseButtonPressed = false;
};

using TcxCustomEditPopupWindowClass = TMetaClass<TcxCustomEditPopupWindow, TWinControl*>;

class TcxCustomDropDownEditProperties : public TcxCustomMaskEditProperties {
  TL_CLASS(TcxCustomDropDownEditProperties, TcxCustomMaskEditProperties)
 public:
  explicit TcxCustomDropDownEditProperties(TPersistent* AOwner);
  void AfterConstruction() override;
  void BeforeDestruction() override;
  void Assign(TPersistent* Source) override;
  TcxCustomEditProperties* CreateSameClass() const override { return New<TcxCustomDropDownEditProperties>(nullptr); }
  void Changed() override;
  TcxCustomEditViewDataClass GetViewDataClass() const override;

  // An empty glyph turns a glyph button back into a drop-down one.
  TBitmap* GetButtonGlyph() const;
  void SetButtonGlyph(TBitmap* Value);
  bool GetImmediateDropDown() const { return FImmediateDropDown; }
  void SetImmediateDropDown(bool Value);
  bool GetImmediatePopup() const { return FImmediatePopup; }
  void SetImmediatePopup(bool Value);
  TAlignment GetPopupAlignment() const { return FPopupAlignment; }
  void SetPopupAlignment(TAlignment Value);
  bool GetPopupAutoSize() const { return FPopupAutoSize; }
  void SetPopupAutoSize(bool Value);
  bool GetPopupClientEdge() const { return FPopupClientEdge; }
  void SetPopupClientEdge(bool Value);
  Integer GetPopupHeight() const { return FPopupHeight; }
  void SetPopupHeight(Integer Value);
  Integer GetPopupMinHeight() const { return FPopupMinHeight; }
  void SetPopupMinHeight(Integer Value);
  Integer GetPopupMinWidth() const { return FPopupMinWidth; }
  void SetPopupMinWidth(Integer Value);
  bool GetPopupSizeable() const { return FPopupSizeable; }
  void SetPopupSizeable(bool Value);
  bool GetPopupSysPanelStyle() const { return FPopupSysPanelStyle; }
  void SetPopupSysPanelStyle(bool Value);
  Integer GetPopupWidth() const { return FPopupWidth; }
  void SetPopupWidth(Integer Value);
  bool GetPostPopupValueOnTab() const { return FPostPopupValueOnTab; }
  void SetPostPopupValueOnTab(bool Value);
  // The button that shows ButtonGlyph; moving it hands the glyph over.
  Integer GetGlyphButtonIndex() const { return FGlyphButtonIndex; }
  void SetGlyphButtonIndex(Integer Value);

  // Virtual operations, in the order the drop-down properties introduce them.
  virtual Integer GetDropDownButtonVisibleIndex() const { return 0; }
  virtual bool IsFixedList() const { return false; }
  // False: ImmediatePost posts at close-up; True: after the popup closed.
  virtual bool IsPostAfterPopupClosed() const { return false; }
  virtual TcxCustomEditPopupWindowClass GetPopupWindowClass() const;
  virtual bool IsPopupWindowSizeFixed() const { return true; }
  virtual bool IsPopupWindowCapturingFocus() const { return false; }
  // The kind a button takes back when it no longer shows ButtonGlyph.
  virtual TcxEditButtonKind GetButtonKindWithoutGlyph(Integer AButtonIndex) const {
    (void)AButtonIndex;
    return TcxEditButtonKind::bkDown;
  }

  bool IsButtonGlyphStored() const { return FButtonGlyph && !FButtonGlyph->Empty(); }

  TCloseQueryEvent OnCloseQuery;
  TNotifyEvent OnCloseUp;
  TNotifyEvent OnInitPopup;
  TNotifyEvent OnPopup;

 private:
  void GlyphChanged(TObject*) { Changed(); }
  void ApplyButtonGlyph();

  mutable TBitmap* FButtonGlyph = nullptr;
  Integer FGlyphButtonIndex = 0;
  bool FImmediateDropDown = true;
  bool FImmediatePopup = false;
  TAlignment FPopupAlignment = TAlignment::taLeftJustify;
  bool FPopupAutoSize = true;
  bool FPopupClientEdge = false;
  Integer FPopupHeight = 0;
  Integer FPopupMinHeight = 0;
  Integer FPopupMinWidth = 0;
  bool FPopupSizeable = false;
  bool FPopupSysPanelStyle = false;
  Integer FPopupWidth = 0;
  bool FPostPopupValueOnTab = false;
  bool FApplyingGlyph = false;
};

// The drop-down button looks pressed while the popup is open; a focused fixed list shows its
// text as a selected block.
class TcxCustomDropDownEditViewData : public TcxCustomTextEditViewData {
  TL_CLASS(TcxCustomDropDownEditViewData, TcxCustomTextEditViewData)
 public:
  using TcxCustomTextEditViewData::TcxCustomTextEditViewData;
  bool IsButtonPressed(Integer AButtonIndex) const override;
  void Calculate(TcxCanvas& ACanvas, const TRect& ABounds, const TPoint& P, TcxMouseButton AButton,
                 TShiftState AShift, TcxCustomEditViewInfo* AViewInfo, bool AIsMouseEvent) override;
};

// The look and feel of the controls shown in the popup: it follows the edit.
class TcxEditPopupControlLookAndFeel : public TcxLookAndFeel {
  TL_CLASS(TcxEditPopupControlLookAndFeel, TcxLookAndFeel)
 public:
  explicit TcxEditPopupControlLookAndFeel(TcxCustomDropDownEdit* AEdit) : TcxLookAndFeel(nullptr), FEdit(AEdit) {}
  TcxCustomDropDownEdit* Edit() const { return FEdit; }

 private:
  TcxCustomDropDownEdit* FEdit;
};

class TcxCustomDropDownEdit : public TcxCustomMaskEdit {
  TL_CLASS(TcxCustomDropDownEdit, TcxCustomMaskEdit)
 public:
  using TcxCustomMaskEdit::TcxCustomMaskEdit;
  void BeforeDestruction() override;
  // Buttons and a popup: every style value of an editor is in use.
  TcxContainerStyleValues GetUnusedStyleValues() const override { return {}; }

  TcxCustomDropDownEditProperties* ActiveProperties() {
    return static_cast<TcxCustomDropDownEditProperties*>(GetActiveProperties());
  }
  TcxCustomEditPopupWindow* PopupWindow() const { return FPopupWindow; }
  TcxEditPopupControlLookAndFeel* PopupControlsLookAndFeel() const { return FPopupControlsLookAndFeel; }
  bool GetDroppedDown() const { return HasShownPopup(); }
  void SetDroppedDown(bool Value);
  TcxEditCloseUpReason CloseUpReason() const { return FCloseUpReason; }
  // The edit's bounds in its parent's client coordinates, grown by a shadow.
  TRect GetPopupOwnerBounds();
  // Whether the properties show a lookup list in the popup.
  bool UsesLookupList();
  // A show request waits in the popup's queue.
  bool IsShowRequestQueued();

  // Virtual operations, in the order the drop-down edit introduces them.
  virtual bool CanDropDown() { return false; }
  virtual void CloseUp(TcxEditCloseUpReason AReason);
  virtual void CreatePopupWindow();
  virtual void DoInitPopup();
  virtual void DoPopup();
  virtual void DropDown();
  virtual void PopupWindowShowing() {}
  virtual TWinControl* GetPopupFocusedControl();
  virtual TSize GetPopupWindowClientPreferredSize();
  virtual void InitializeLookupData();
  virtual void InitializePopupWindow();
  virtual void PopupControlsLookAndFeelChanged() {}
  virtual void PositionPopupWindowChildren(const TRect& AClientRect);
  virtual void SetupPopupWindow();
  // After the popup window closed.
  virtual void PopupWindowClosed();
  // Whether a closing key pressed in the popup stays with the control that has the focus there.
  virtual bool PopupKeepsClosingKey(Word Key, TShiftState Shift) {
    (void)Key;
    (void)Shift;
    return false;
  }
  // What the edit holds as its popup opens (text and modified marks), and putting it back
  // when the popup is cancelled: what was typed or chosen meanwhile goes. A descendant with
  // more state (a lookup key) adds it to both.
  virtual void SaveDropDownState();
  virtual void RestoreDropDownState();
  // Snaps a proposed client size of a sizeable popup (a list keeps whole rows).
  virtual void AdjustPopupClientSize(Integer& AWidth, Integer& AHeight) { (void)AWidth; (void)AHeight; }
  // OnCloseQuery of the own properties, then of a linked repository item's.
  bool CanClosePopup();
  // The popup controls' look and feel follows the edit: an in-place edit's style, else the
  // painting style of its first button; PopupControlsLookAndFeelChanged hears a change.
  void UpdatePopupControlsLookAndFeel();

  // ---- editor overrides ----
  bool HasShownPopup() const override;
  bool IsFocused() const override;
  TcxCustomEditPropertiesClass GetPropertiesClass() override;
  void Initialize() override;
  void PropertiesChanged(TObject* Sender) override;
  void DoEditKeyDown(Word& Key, TShiftState Shift) override;
  void DoEditKeyPress(Char& Key) override;
  void HandleTabKey(TShiftState Shift) override;
  void DoButtonDown(Integer AButtonIndex) override;
  bool CanKeyStartEdit(Char AKey) override;
  void Activate(TcxCustomEditData*& AEditData) override;
  void ActivateByKey(Char AKey, TcxCustomEditData*& AEditData) override;
  void ActivateByMouse(TShiftState Shift, Integer X, Integer Y, TcxCustomEditData*& AEditData) override;
  bool Deactivate() override;
  void FocusChanged() override;
  // The wheel turned while a list is open beside the edit scrolls the list.
  bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override;
  // A value given from outside while the popup is open is what a cancel goes back to.
  void SynchronizeDisplayValue() override;

 protected:
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  // Typed text while the popup is shown re-synchronises the lookup list.
  void ChangeHandler(TObject* Sender) override;
  bool IsActivatingByMouse() const { return FActivatingByMouse; }

 private:
  void PopupWindowShowedHandler(TObject*);
  void PopupWindowClosedHandler(TObject*);
  void PopupWindowClosingHandler(TObject*);
  void PopupWindowCloseQuery(TObject*, bool& CanClose) { CanClose = CanClosePopup(); }
  void PopupWindowShowingHandler(TObject*) { PopupWindowShowing(); }
  void PopupWindowKeyDown(TObject* Sender, Word& Key, TShiftState Shift);
  // Removes a queued show request; true when there was one.
  bool RemoveShowRequest();
  void FireOwnThenLinked(TNotifyEvent TcxCustomDropDownEditProperties::*AEvent);
  bool DropDownButtonAt(Integer AButtonIndex);

  TcxCustomEditPopupWindow* FPopupWindow = nullptr;
  TcxEditPopupControlLookAndFeel* FPopupControlsLookAndFeel = nullptr;
  TcxEditCloseUpReason FCloseUpReason = TcxEditCloseUpReason::crNone;
  bool FActivatingByMouse = false;
  bool FPopupOpenAtPress = false;
  bool FInMouseDown = false;
  // The focus was inside the popup when it began to close: it comes back to the edit.
  bool FFocusInPopup = false;
  // A press outside the popup closed it (through the hooks) at this screen point; the same
  // press reaching the edit must not open it again.
  bool FClosedByPress = false;
  POINT FClosedByPressPos{0, 0};
  bool FClosingUp = false;
  // What SaveDropDownState kept.
  bool FDropDownStateSaved = false;
  String FDropDownText;
  bool FDropDownEditModified = false;
  bool FDropDownDisplayModified = false;
  // In-place editors keep the popup's size here between activations.
  bool FInplacePopupSizeChanged = false;
  TSize FInplacePopupSize{0, 0};

  friend class TcxCustomEditPopupWindow;
};
