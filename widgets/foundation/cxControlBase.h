// The library's base control: own canvas, look and feel, painter border and its own
// scroll bars with a size grip, settled so that the bars agree with each other.
#pragma once

#include "classlib/visual/ImgList.h"
#include "classlib/visual/StdCtrls.h"
#include "widgets/foundation/cxClasses.h"
#include "widgets/foundation/cxControls.h"
#include "widgets/foundation/cxLookAndFeels.h"
#include "widgets/foundation/cxScrollBar.h"

#include <vector>

TL_ENUM(TcxControlBorderStyle, cxcbsNone, cxcbsDefault);
TL_ENUM(TcxKey, kAll, kArrows, kChars, kTab);
TL_ENUM(TcxMouseWheelScrollingKind, mwskNone, mwskHorizontal, mwskVertical);
TL_ENUM(TcxDirection, dirNone, dirLeft, dirRight, dirUp, dirDown);

class TcxControl;
class TcxControlChildComponent;

TL_ENUM(TcxDragAndDropState, ddsNone, ddsStarting, ddsInProcess);

// The library's own drag-and-drop, driven by the control it belongs to.
class TcxDragAndDropObject : public TObject {
  TL_CLASS(TcxDragAndDropObject, TObject)
 public:
  explicit TcxDragAndDropObject(TcxControl* AControl);
  TcxControl* Control() const { return FControl; }
  TcxCanvas* Canvas() const;
  bool GetFinished() const { return FFinished; }
  void SetFinished(bool Value);
  TPoint CurMousePos{-1, -1};
  TPoint PrevMousePos{-1, -1};

  // Driver operations called by the control.
  void DoBeginDragAndDrop();
  void DoDragAndDrop(const TPoint& P, bool& Accepted);
  void DoEndDragAndDrop(bool Accepted);

  virtual bool GetImmediateStart() { return false; }

 protected:
  virtual void FinishedChanged() {}
  virtual TCursor GetDragAndDropCursor(bool Accepted) { return Accepted ? crDrag : crNoDrop; }
  virtual void AfterDragAndDrop(bool) {}
  virtual void BeginDragAndDrop() { FinishedChanged(); }
  virtual void DragAndDrop(const TPoint& P, bool& Accepted);
  virtual void EndDragAndDrop(bool Accepted);

 private:
  TcxControl* FControl;
  bool FFinished = false;
};
using TcxDragAndDropObjectClass = TMetaClass<TcxDragAndDropObject, TcxControl*>;

// The class library's drag object of a control: a copy cursor while Ctrl is held over a
// target that accepts. Made by the control for each drag, it frees itself when the drag
// has finished.
class TcxDragControlObject : public TDragControlObject {
  TL_CLASS(TcxDragControlObject, TDragControlObject)
 public:
  using TDragControlObject::TDragControlObject;
  TCursor GetDragCursor(bool Accepted, Integer X, Integer Y) override;
  void Finished(TObject* Target, Integer X, Integer Y, bool Accepted) override;
};
using TDragControlObjectClass = TMetaClass<TDragControlObject, TControl*>;

// The class library's drag object last seen over a library control, while that drag runs.
TDragObject* cxGetDragObject();

// The images a control shows under the mouse while the class library drags it.
class TcxDragImageList : public TDragImageList {
  TL_CLASS(TcxDragImageList, TDragImageList)
 public:
  using TDragImageList::TDragImageList;
};
using TcxDragImageListClass = TMetaClass<TcxDragImageList, TComponent*>;

// At design time, tells the designer of the control's form that the form changed.
void cxControlDesignerModified(TControl* AControl);

// An object that owns a control's mouse capture and is told when it loses it.
class IcxMouseCaptureObject {
 public:
  virtual void DoCancelMode() = 0;

 protected:
  ~IcxMouseCaptureObject() = default;
};

// A control built of other controls, which a caller may treat as one.
class IcxCompoundControl {
 protected:
  ~IcxCompoundControl() = default;
};

// A component that can stand as a control's popup menu without being a TPopupMenu.
class IcxPopupMenu {
 public:
  virtual bool IsShortCutKey(TMessage& Message) = 0;
  virtual void Popup(Integer X, Integer Y) = 0;

 protected:
  ~IcxPopupMenu() = default;
};

// Whether AMenu (an IcxPopupMenu or a TPopupMenu) fired an item for the key of Message.
bool cxPopupMenuIsShortCut(TComponent* AMenu, TMessage& Message);
// Shows AMenu at the screen point (X, Y) for ACaller; false when nothing was shown (no
// menu, a menu of another kind, or a TPopupMenu without auto-popup).
bool cxShowPopupMenu(TComponent* ACaller, TComponent* AMenu, Integer X, Integer Y);
class TPopupMenu;
// The height the menu takes when shown: each visible item the height of "Qg" plus 4 in the
// menu font, or what the item measures itself at when it does; the sum plus 4. 0 without a menu.
Integer cxGetPopupMenuHeight(TPopupMenu* AMenu);
// Gives AForm the font and scales the form, its children and its client size by the ratio
// of the heights of "Qq" in the new and the old font.
void cxScaleFormByFont(TCustomForm* AForm, TFont* AFont);


// What a control asks of one of its bars; applied once the bars have settled.
struct TcxScrollBarData {
  Integer Min = 0, Max = 100, Position = 0, PageSize = 0;
  TScrollBarInc SmallChange = 1, LargeChange = 1;
  bool Enabled = true, Visible = false, AllowShow = true, AllowHide = true;
};

class TcxControlScrollBar : public TcxScrollBar {
  TL_CLASS(TcxControlScrollBar, TcxScrollBar)
 public:
  explicit TcxControlScrollBar(TComponent* AOwner);
  TcxScrollBarData Data;
  // Takes the pending data. A range the bar itself would refuse (a page beyond Max when
  // Min is negative) is brought into shape first instead of failing the layout.
  void ApplyData();

 protected:
  virtual void FocusParent();
  void WndProc(TMessage& Message) override;
};

class TcxSizeGrip : public TCustomControl {
  TL_CLASS(TcxSizeGrip, TCustomControl)
 public:
  explicit TcxSizeGrip(TComponent* AOwner);

 protected:
  void Paint() override;
};

class TcxControl : public TCustomControl {
  TL_CLASS(TcxControl, TCustomControl)
 public:
  // The keys a control handles itself. A class member, since the data controller's key
  // lists are the global TcxKeys.
  using TcxKeys = Set<TcxKey>;
  // How many times one settlement may run the bars' calculation before it stops the
  // bars from changing again.
  static constexpr int kMaxScrollBarPasses = 8;

  explicit TcxControl(TComponent* AOwner);
  void AfterConstruction() override;
  void BeforeDestruction() override;

  TcxCanvas* GetCanvas() const { return FcxCanvas; }
  TcxLookAndFeel* GetLookAndFeel() const { return FLookAndFeel; }
  void SetLookAndFeel(TcxLookAndFeel* Value) { FLookAndFeel->Assign(Value); }
  TcxControlBorderStyle GetBorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TcxControlBorderStyle Value);
  TScrollStyle GetScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle Value);
  TcxKeys GetKeys() const { return FKeys; }
  void SetKeys(TcxKeys Value) { FKeys = Value; }
  bool GetFocusOnClick() const { return FFocusOnClick; }
  void SetFocusOnClick(bool Value) { FFocusOnClick = Value; }
  TcxControlScrollBar* HScrollBar() const { return FHScrollBar; }
  TcxControlScrollBar* VScrollBar() const { return FVScrollBar; }
  TcxSizeGrip* SizeGrip() const { return FSizeGrip; }
  bool HScrollBarVisible() const;
  bool VScrollBarVisible() const;

  void SetScrollBarInfo(TScrollBarKind AKind, Integer AMin, Integer AMax, Integer AStep, Integer APage, Integer APos,
                        bool AAllowShow, bool AAllowHide);
  void BeginUpdateScrollBars();
  void EndUpdateScrollBars();
  void ScrollContent(TcxDirection ADirection);
  bool IsPanning() const { return FPanning; }

  // Drag-and-drop of the library's own kind.
  TcxDragAndDropState GetDragAndDropState() const { return FDragAndDropState; }
  // Back to ddsNone outside the finishing of a drag-and-drop cancels the mouse operation.
  void SetDragAndDropState(TcxDragAndDropState Value);
  TcxDragAndDropObject* DragAndDropObject();
  TcxDragAndDropObjectClass GetDragAndDropObjectClassValue() const { return FDragAndDropObjectClass; }
  void SetDragAndDropObjectClass(TcxDragAndDropObjectClass Value) { FDragAndDropObjectClass = Value; }
  // Ends a running drag-and-drop (or one about to start); guarded against re-entry.
  void FinishDragAndDrop(bool Accepted);
  TPoint MouseDownPos() const { return FMouseDownPos; }
  bool IsMouseInPressedArea(Integer X, Integer Y) const { return cxIsPointInDragArea(FMouseDownPos, X, Y); }

  virtual TRect GetBounds();
  virtual TRect GetClientBounds();
  virtual Integer GetBorderSize();
  virtual const TcxCustomLookAndFeelPainter* GetPainter() const;
  virtual bool HasScrollBars() const { return true; }
  virtual void UpdateScrollBars();

  void DragOver(TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept) override;
  // The bars and the grip the control keeps for itself.
  virtual bool IsInternalControl(const TControl* AControl) const {
    return AControl && (AControl == FHScrollBar || AControl == FVScrollBar || AControl == FSizeGrip);
  }
  // Whether a click on one of its own children (a bar) focuses the control.
  virtual bool CanFocusOnChildClick(TControl*) { return CanFocusOnClick(); }
  // Bounds of the content and its border within the client area; empty means the whole
  // client area.
  TRect GetExplicitBounds() const { return FExplicitBounds; }
  void SetExplicitBounds(const TRect& Value);
  // Whether the control and the form it sits on can both take the focus now.
  virtual bool CanTakeFocus();
  // Always in manual drag mode; else only near the point of the last press.
  virtual bool AllowDragAt(Integer X, Integer Y);

  // A TPopupMenu or a component implementing IcxPopupMenu; anything else is taken as nil.
  // The class library's own popup menu of the control follows it (nil for the interface).
  TComponent* GetPopupMenu() const { return FcxPopupMenu; }
  void SetPopupMenu(TComponent* Value);

  bool IsLoading() const { return InState(TComponentStateItem::csLoading); }
  bool IsDestroying() const { return InState(TComponentStateItem::csDestroying); }
  // Designing: csDesigning; focused: the window has the input focus.
  virtual bool IsDesigning() const;
  virtual bool IsFocused() const { return Focused(); }
  // Tells the form's designer of a change, unless the control or a parent is loading,
  // writing or being destroyed.
  void DesignerModified();
  // Components that belong to the control without being controls; the control lets them
  // go (their Control becomes nil) when it is destroyed.
  virtual void AddChildComponent(TcxControlChildComponent* AComponent);
  virtual void RemoveChildComponent(TcxControlChildComponent* AComponent);
  Integer ChildComponentCount() const { return Integer(FChildComponents.size()); }
  // Streaming writes the child components Root owns inside the control, so that they are
  // not lost (they have a parent, so their owner does not write them).
  void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;
  TcxControlChildComponent* ChildComponents(Integer Index) const { return FChildComponents.at(size_t(Index)); }

  // The drag images while the class library drags the control: made on first use from
  // GetDragImagesClass and filled by InitDragImages; nullptr without any image.
  TDragImageList* GetDragImages() override;

  // The object owning the mouse capture; setting one captures the mouse, nil releases it.
  // The object replaced is told through IcxMouseCaptureObject when it implements it.
  TObject* GetMouseCaptureObject() const { return FMouseCaptureObject; }
  void SetMouseCaptureObject(TObject* Value);
  // Whether the mouse went down on the control while it held the capture (until released).
  bool IsPressed() const { return FPressed; }
  bool GetParentBackground() const { return FParentBackground; }
  void SetParentBackground(bool Value);

  // Listeners are told after the font changed; one may remove itself or another meanwhile.
  void AddFontListener(IcxFontListener* AListener);
  void RemoveFontListener(IcxFontListener* AListener);
  // Window services; nothing while the control has no window.
  void InvalidateRect(const TRect& R, bool EraseBackground);
  void InvalidateRegion(const TcxRegion* ARegion, bool EraseBackground);  // nothing for an empty one
  void UpdateWithChildren();
  void ScrollWindow(Integer DX, Integer DY, const TRect& R);
  // Posts a move to where the cursor is, so that the control re-evaluates what lies under it.
  void PostMouseMove();

  TContextPopupEvent OnContextPopup;
  TNotifyEvent OnFocusChanged;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;

 protected:
  virtual void CalculateScrollBarsHook() {}
  virtual bool IsPixelScrollBar(TScrollBarKind) { return false; }
  virtual void Scroll(TScrollBarKind AKind, TScrollCode AScrollCode, Integer& AScrollPos);
  virtual TRect GetHScrollBarBounds();
  virtual TRect GetVScrollBarBounds();
  virtual TRect GetSizeGripBounds();
  virtual void SetInternalControlsBounds();
  // The bars and the grip become children of the control (when it has them).
  virtual void SetInternalControlsParent();
  virtual void BringInternalControlsToFront();
  virtual bool NeedsInternalControlsOnTop() { return true; }
  virtual TcxMouseWheelScrollingKind GetMouseWheelScrollingKind();
  virtual void LookAndFeelChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues);
  virtual void BoundsChanged();
  virtual void FocusChanged();
  virtual void MouseEnter(TControl* AControl);
  virtual void MouseLeave(TControl* AControl);
  virtual bool MayFocus() { return true; }
  virtual bool CanFocusOnClick();
  // The left button in automatic drag mode starts the class library's drag once the mouse
  // leaves the drag area; the middle button pans (a modal loop until a click, Escape or a
  // release after moving).
  virtual void DoMouseDownDragOrPan(TMouseButton Button, Integer X, Integer Y);
  // Consulted at design time only.
  virtual bool CanDrag(Integer, Integer) { return true; }
  virtual bool CanBeginAutoDrag() { return FDragAndDropState == TcxDragAndDropState::ddsNone; }
  virtual bool IsMouseOperationActive() { return FDragAndDropState != TcxDragAndDropState::ddsNone || FPressed; }
  virtual void BeforeMouseDown(TMouseButton, TShiftState, Integer, Integer) {}
  // Whether an unfocused control keeps the capture of a press (else the press goes no further).
  virtual bool KeepMouseCaptureUnfocused() { return false; }
  virtual TCursor GetCursorDefault(Integer, Integer) { return FDefaultCursor; }
  virtual void CursorChanged() { FDefaultCursor = GetCursor(); }
  virtual void ParentBackgroundChanged() {}
  virtual void FontChanged();
  virtual void ColorChanged() {}
  virtual void VisibleChanged() {}
  virtual void TextChanged() {}
  // Without it the background is left to the painting (no flicker).
  virtual bool NeedsEraseBackground() { return false; }
  virtual bool CanFocusOnClickAt(Integer, Integer) { return CanFocusOnClick(); }
  void CreateParams(TCreateParams& Params) override;
  virtual TDragControlObjectClass GetDragObjectClass();
  // A refused object ends the class library's drag before it starts.
  virtual bool AcceptDragObject(TDragObject*) { return true; }
  void DoStartDrag(TDragObject*& DragObject) override;
  // MousePos is in client coordinates, (-1, -1) for a request from the keyboard.
  virtual void DoContextPopup(const TPoint& MousePos, bool& Handled);
  virtual bool DoShowPopupMenu(TComponent* AMenu, Integer X, Integer Y);
  void Notification(TComponent* AComponent, TOperation Operation) override;
  virtual TcxDragAndDropObjectClass GetDragAndDropObjectClass();
  virtual void DrawDragImage(TcxCanvas*, const TRect&) {}
  virtual TcxDragImageListClass GetDragImagesClass();
  virtual TPoint GetDragImagesSize() { return {0, 0}; }
  virtual bool HasDragImages() { return false; }
  // Sizes the list by GetDragImagesSize and adds the picture DrawDragImage draws, its
  // transparent colour masked out; nothing when a side is 0.
  virtual void InitDragImages(TcxDragImageList* ADragImages);
  void DoEndDrag(TObject* Target, Integer X, Integer Y) override;
  virtual bool StartDragAndDrop(const TPoint&) { return false; }
  virtual void BeginDragAndDrop();
  virtual void DragAndDrop(const TPoint& P, bool& Accepted);
  virtual void EndDragAndDrop(bool Accepted);
  virtual void EndMouseOperations();
  virtual void DoCancelMode();
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void KeyDown(Word& Key, TShiftState Shift) override;

  void Paint() override;
  void Resize() override;
  void WndProc(TMessage& Message) override;
  void CreateWnd() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override;

 private:
  void ScrollEvent(TObject* Sender, TScrollCode ScrollCode, Integer& ScrollPos);
  void CheckTwoBars();
  void DoPanning();
  void LookAndFeelChangedHandler(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues) {
    LookAndFeelChanged(Sender, AChangedValues);
  }

  TcxControlBorderStyle FBorderStyle = TcxControlBorderStyle::cxcbsNone;
  bool FCalculatingScrollBars = false;
  TcxCanvas* FcxCanvas = nullptr;
  bool FFocusOnClick = true;
  TcxControlScrollBar* FHScrollBar = nullptr;
  TcxControlScrollBar* FVScrollBar = nullptr;
  TcxSizeGrip* FSizeGrip = nullptr;
  bool FRecordedHVisible = false, FRecordedVVisible = false;
  bool FVisibilityForced = false;
  TcxKeys FKeys;
  TcxLookAndFeel* FLookAndFeel = nullptr;
  TScrollStyle FScrollBars = TScrollStyle::ssBoth;
  Integer FScrollBarsLockCount = 0;
  bool FScrollBarsUpdateNeeded = false;
  bool FUpdatingScrollBars = false;
  bool FPanning = false;
  TcxDragAndDropObject* FDragAndDropObject = nullptr;
  TcxDragAndDropObjectClass FDragAndDropObjectClass;
  TcxDragAndDropState FDragAndDropState = TcxDragAndDropState::ddsNone;
  TCursor FSavedScreenCursor = crDefault;
  bool FFinishingDragAndDrop = false;
  TPoint FMouseDownPos{0, 0};
  TComponent* FcxPopupMenu = nullptr;
  TObject* FMouseCaptureObject = nullptr;
  bool FPressed = false;
  TCursor FDefaultCursor = crDefault;
  bool FParentBackground = true, FPaintedParentBackground = true;
  std::vector<IcxFontListener*> FFontListeners;
  TRect FExplicitBounds{};
  TcxDragImageList* FDragImages = nullptr;
  std::vector<TcxControlChildComponent*> FChildComponents;
};

// A component that belongs to a control (its parent component) without being a control.
class TcxControlChildComponent : public TcxComponent {
  TL_CLASS(TcxControlChildComponent, TcxComponent)
 public:
  explicit TcxControlChildComponent(TComponent* AOwner) : TcxComponent(AOwner) {}
  // Owned by AControl's owner when AAssignOwner (else by nobody), and joins AControl.
  TcxControlChildComponent(TcxControl* AControl, bool AAssignOwner);
  void AfterConstruction() override;
  void BeforeDestruction() override;

  TcxControl* GetControl() const { return FControl; }
  bool IsLoading() const { return InState(TComponentStateItem::csLoading); }
  virtual bool IsDestroying() const { return InState(TComponentStateItem::csDestroying); }
  bool HasParent() const override { return FControl != nullptr; }
  TComponent* GetParentComponent() const override { return FControl; }
  // A TcxControl takes the component in; nil lets it go.
  void SetParentComponent(TComponent* Value) override;
  // Read inside a control, the component joins it.
  void ReadState(TReader& Reader) override;

 protected:
  virtual void Initialize() {}
  // Called by the control taking the component in or letting it go.
  virtual void SetControl(TcxControl* Value) { FControl = Value; }

 private:
  TcxControl* FControl = nullptr;
  TcxControl* FJoinControl = nullptr;  // the control named at construction
  friend class TcxControl;
};

// A list box whose items carry objects and can be dragged out: a press on an item while one
// is selected arms the drag, which starts once the mouse leaves the drag area or the item.
class TcxCustomizeListBox : public TListBox {
  TL_CLASS(TcxCustomizeListBox, TListBox)
 public:
  using TListBox::TListBox;
  // The object of the selected item (nullptr without a selection). Setting it selects the
  // item holding the object and fires the click.
  TObject* GetItemObject();
  void SetItemObject(TObject* Value);
  // The item armed for dragging, -1 for none.
  Integer DragItemIndex() const { return FDragItemIndex; }

 protected:
  void CreateParams(TCreateParams& Params) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void WndProc(TMessage& Message) override;

 private:
  Integer FDragItemIndex = -1;
  TPoint FPressPoint{0, 0};
};

// Hands system metric changes to the controls that registered (as the $8131 request).
class TcxSettingsController : public TObject {
  TL_CLASS(TcxSettingsController, TObject)
 public:
  ~TcxSettingsController() override;
  void AddListener(TWinControl* AControl);
  void RemoveListener(TWinControl* AControl);
  HWND Window() const { return FWindow; }

 private:
  void WndProc(TMessage& Message);
  std::vector<TWinControl*> FListeners;
  HWND FWindow = nullptr;
};
TcxSettingsController* cxSettingsController();
