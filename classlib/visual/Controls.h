// Controls: TControl (geometry, visibility, text, colour, mouse and message dispatch),
// TWinControl (a window handle made on demand, children, tab order, focus and the key
// path), TCustomControl and TGraphicControl (painted controls), the Mouse global, drag and
// drop, and window procedures made from method closures.
#pragma once

#include "classlib/core/Actions.h"
#include "classlib/core/Classes.h"
#include "classlib/visual/Cursors.h"
#include "classlib/visual/Graphics.h"
#include "classlib/visual/Messages.h"
#include "platform/user/User.h"

#include <algorithm>
#include <vector>

class TControl;
class TWinControl;
class TCustomForm;
class TDragObject;
class TDragDockObject;
class TDragImageList;
class TPopupMenu;
class TControlActionLink;
using TControlActionLinkClass = TMetaClass<TControlActionLink, TControl*>;

// ---- Window procedures from method closures -------------------------------------------

using TWndMethod = TMethod<void(TMessage& Message)>;

// A window-procedure token that calls Method with the message (the answer is the
// message's Result). Free it with FreeObjectInstance once no window uses it.
WNDPROC MakeObjectInstance(TWndMethod Method);
void FreeObjectInstance(WNDPROC ObjectInstance);
// A hidden top-level window whose messages go to Method: timers, broadcasts, posts.
HWND AllocateHWnd(TWndMethod Method);
void DeallocateHWnd(HWND Wnd);

// ---- Types ------------------------------------------------------------------------------

TL_ENUM(TAlign, alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom);
// How a control would like an input method editor set while it has the focus. This
// platform has none, so the setting is only kept and streamed.
TL_ENUM(TImeMode, imDisable, imClose, imOpen, imDontCare, imSAlpha, imAlpha, imHira, imSKata, imKata, imChinese,
        imSHanguel, imHanguel);
TL_ENUM(TAnchorKind, akLeft, akTop, akRight, akBottom);
using TAnchors = Set<TAnchorKind>;
TL_ENUM(TMouseButton, mbLeft, mbRight, mbMiddle);
TL_ENUM(TVerticalAlignment, taAlignTop, taAlignBottom, taVerticalCenter);
TL_ENUM(TDragMode, dmManual, dmAutomatic);
TL_ENUM(TDragKind, dkDrag, dkDock);
TL_ENUM(TDragState, dsDragEnter, dsDragLeave, dsDragMove);
TL_ENUM(TControlStyleItem, csAcceptsControls, csCaptureMouse, csDesignInteractive, csClickEvents, csFramed,
        csSetCaption, csOpaque, csDoubleClicks, csFixedWidth, csFixedHeight, csNoDesignVisible, csReplicatable,
        csNoStdEvents, csDisplayDragImage, csReflector, csActionClient, csMenuEvents);
using TControlStyle = Set<TControlStyleItem>;
TL_ENUM(TControlStateItem, csLButtonDown, csClicked, csPalette, csReadingState, csAlignmentNeeded, csFocusing,
        csCreating, csPaintCopy, csCustomPaint, csDestroyingHandle, csDocking);
using TControlState = Set<TControlStateItem>;

using TMouseEvent = TMethod<void(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y)>;
using TMouseMoveEvent = TMethod<void(TObject* Sender, TShiftState Shift, Integer X, Integer Y)>;
using TAlignPositionEvent = TMethod<void(TWinControl* Sender, TControl* Control, Integer& NewLeft, Integer& NewTop,
                                         Integer& NewWidth, Integer& NewHeight, TRect& AlignRect)>;
using TMouseWheelEvent =
    TMethod<void(TObject* Sender, TShiftState Shift, Integer WheelDelta, TPoint MousePos, bool& Handled)>;
using TMouseWheelUpDownEvent = TMethod<void(TObject* Sender, TShiftState Shift, TPoint MousePos, bool& Handled)>;
using TKeyEvent = TMethod<void(TObject* Sender, Word& Key, TShiftState Shift)>;
using TKeyPressEvent = TMethod<void(TObject* Sender, Char& Key)>;
using TDragOverEvent =
    TMethod<void(TObject* Sender, TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept)>;
using TDragDropEvent = TMethod<void(TObject* Sender, TObject* Source, Integer X, Integer Y)>;
using TStartDragEvent = TMethod<void(TObject* Sender, TDragObject*& DragObject)>;
using TEndDragEvent = TMethod<void(TObject* Sender, TObject* Target, Integer X, Integer Y)>;
using TStartDockEvent = TMethod<void(TObject* Sender, TDragDockObject*& DragObject)>;
using TDockOverEvent =
    TMethod<void(TObject* Sender, TDragDockObject* Source, Integer X, Integer Y, TDragState State, bool& Accept)>;
using TDockDropEvent = TMethod<void(TObject* Sender, TDragDockObject* Source, Integer X, Integer Y)>;
using TUnDockEvent = TMethod<void(TObject* Sender, TControl* Client, TWinControl* NewTarget, bool& Allow)>;
using TGetSiteInfoEvent =
    TMethod<void(TObject* Sender, TControl* DockClient, TRect& InfluenceRect, TPoint MousePos, bool& CanDock)>;

// The shift state of a mouse message's key flags, and of the keyboard now.
TShiftState KeysToShiftState(WPARAM Keys);
TShiftState KeyboardStateToShiftState();
// The shift state carried by a key message's lParam (Alt only) plus Shift and Ctrl now.
TShiftState KeyDataToShiftState(LPARAM KeyData);

struct TCreateParams {
  String Caption;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  Integer X = 0, Y = 0, Width = 0, Height = 0;
  HWND WndParent = nullptr;
  void* Param = nullptr;
  WNDCLASSA WindowClass;
  String WinClassName;
};

// ---- Size constraints ----------------------------------------------------------------------

// The smallest and largest size a control may take; 0 means no limit. A minimum above a
// maximum raises the maximum with it, a maximum below the minimum lowers the minimum.
class TSizeConstraints : public TPersistent {
  TL_CLASS(TSizeConstraints, TPersistent)
 public:
  explicit TSizeConstraints(TControl* AControl) : FControl(AControl) {}
  void Assign(TPersistent* Source) override;
  TPersistent* GetOwner() const override;  // the control
  Integer GetMaxHeight() const { return FMaxHeight; }
  void SetMaxHeight(Integer Value);
  Integer GetMaxWidth() const { return FMaxWidth; }
  void SetMaxWidth(Integer Value);
  Integer GetMinHeight() const { return FMinHeight; }
  void SetMinHeight(Integer Value);
  Integer GetMinWidth() const { return FMinWidth; }
  void SetMinWidth(Integer Value);
  // Brings a size within the limits.
  void Apply(Integer& Width, Integer& Height) const;
  TNotifyEvent OnChange;

 private:
  void Change();
  TControl* FControl;
  Integer FMaxHeight = 0, FMaxWidth = 0, FMinHeight = 0, FMinWidth = 0;
};

// ---- TControl ---------------------------------------------------------------------------

// Positions stay within +-kMaxControlCoord and sizes within 0..kMaxControlCoord (the
// platform's drawing range), so an edge (position + size) never overflows.
inline constexpr Integer kMaxControlCoord = Integer(1) << 27;

class TControl : public TComponent {
  TL_CLASS(TControl, TComponent)
 public:
  explicit TControl(TComponent* AOwner);
  void BeforeDestruction() override;
  ~TControl() override;

  // Geometry, in the parent's client coordinates (screen coordinates for top-level windows).
  TWinControl* GetParent() const { return FParent; }
  virtual void SetParent(TWinControl* AParent);
  Integer GetLeft() const { return FLeft; }
  void SetLeft(Integer Value) { SetBounds(Value, FTop, FWidth, FHeight); }
  Integer GetTop() const { return FTop; }
  void SetTop(Integer Value) { SetBounds(FLeft, Value, FWidth, FHeight); }
  Integer GetWidth() const { return FWidth; }
  void SetWidth(Integer Value) { SetBounds(FLeft, FTop, Value, FHeight); }
  Integer GetHeight() const { return FHeight; }
  void SetHeight(Integer Value) { SetBounds(FLeft, FTop, FWidth, Value); }
  TRect GetBoundsRect() const { return {FLeft, FTop, FLeft + FWidth, FTop + FHeight}; }
  void SetBoundsRect(const TRect& R) { SetBounds(R.Left, R.Top, R.Right - R.Left, R.Bottom - R.Top); }
  // Negative sizes are taken as zero.
  virtual void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight);
  virtual TRect GetClientRect() const;
  Integer GetClientWidth() const { return GetClientRect().Right; }
  void SetClientWidth(Integer Value) { SetClientSize(Value, GetClientHeight()); }
  Integer GetClientHeight() const { return GetClientRect().Bottom; }
  void SetClientHeight(Integer Value) { SetClientSize(GetClientWidth(), Value); }
  virtual TPoint ClientOrigin() const;
  TPoint ClientToScreen(const TPoint& Point) const;
  TPoint ScreenToClient(const TPoint& Point) const;

  TAlign GetAlign() const { return FAlign; }
  void SetAlign(TAlign Value);
  // Edges kept at their distance from the parent's edges when the parent is resized; a
  // control anchored on both sides of an axis stretches.
  TAnchors GetAnchors() const { return FAnchors; }
  void SetAnchors(TAnchors Value);
  bool GetVisible() const { return FVisible; }
  void SetVisible(bool Value);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // Visible with every parent up to a top-level window that is shown.
  virtual bool Showing() const;
  bool GetEnabled() const { return FEnabled; }
  virtual void SetEnabled(bool Value);

  // Text through WM_GETTEXT/WM_SETTEXT, so a control that keeps its text elsewhere answers.
  String GetText() const;
  void SetText(const String& Value);
  String GetCaption() const { return GetText(); }
  void SetCaption(const String& Value) { SetText(Value); }

  TColor GetColor() const { return FColor; }
  void SetColor(TColor Value);
  bool GetParentColor() const { return FParentColor; }
  void SetParentColor(bool Value);
  // Changing the font stops taking the parent's.
  TFont* GetFont() const { return FFont; }
  void SetFont(TFont* Value);
  bool GetParentFont() const { return FParentFont; }
  void SetParentFont(bool Value);
  TCursor GetCursor() const { return FCursor; }
  void SetCursor(TCursor Value);
  const String& GetHint() const { return FHint; }
  void SetHint(const String& Value) { FHint = Value; }
  // The menu a right click (WM_CONTEXTMENU) opens when its AutoPopup is on.
  TPopupMenu* GetPopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TPopupMenu* Value);
  // The action this control follows (nullptr: none). Assigning one takes its properties
  // (only those still at their defaults while the action is loading); freeing either side
  // unties the two.
  TBasicAction* GetAction() const;
  void SetAction(TBasicAction* Value);
  TControlActionLink* GetActionLink() const { return FActionLink; }
  // Idle time: the linked action updates itself.
  virtual void InitiateAction();

  TControlStyle ControlStyle() const { return FControlStyle; }
  void SetControlStyle(TControlStyle Value) { FControlStyle = Value; }
  TControlState ControlState() const { return FControlState; }
  void SetControlState(TControlState Value) { FControlState = Value; }

  // Messages straight to WindowProc, with or without a window handle. Exceptions pass.
  LRESULT Perform(UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);
  const TWndMethod& GetWindowProc() const { return FWindowProc; }
  void SetWindowProc(const TWndMethod& Value) { FWindowProc = Value; }

  virtual void Invalidate();
  virtual void Update();
  virtual void Repaint();
  void Refresh() { Repaint(); }
  void BringToFront() { SetZOrder(true); }
  void SendToBack() { SetZOrder(false); }

  bool GetMouseCapture() const;
  void SetMouseCapture(bool Value);
  // Where a wheel message goes: the form hands it to its focused control, which passes
  // what it does not use on to its parent as CM_MOUSEWHEEL.
  virtual void MouseWheelHandler(TMessage& Message);

  // Drag and drop.
  TDragMode GetDragMode() const { return FDragMode; }
  void SetDragMode(TDragMode Value) { FDragMode = Value; }
  TCursor GetDragCursor() const { return FDragCursor; }
  void SetDragCursor(TCursor Value) { FDragCursor = Value; }
  // dkDock drags dock the control on a dock site or float it in a window of its own.
  TDragKind GetDragKind() const { return FDragKind; }
  void SetDragKind(TDragKind Value) { FDragKind = Value; }
  // The images shown under the mouse while the control is dragged (none here).
  virtual TDragImageList* GetDragImages() { return nullptr; }
  // Starts dragging now, or once the mouse moved Threshold pixels with the button down
  // (a negative Threshold means Mouse->DragThreshold).
  void BeginDrag(bool Immediate, Integer Threshold = -1);
  void EndDrag(bool Drop);
  bool Dragging() const;
  virtual void DragOver(TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept);
  virtual void DragDrop(TObject* Source, Integer X, Integer Y);

  // Docking. The dock site holding this control: its parent when docked there, or when the
  // parent is a dock site and the control docks by dragging (DragKind dkDock); else nullptr.
  TWinControl* GetHostDockSite() const;
  // Floating in a window made for it (of FloatingDockSiteClass), or, a form whose
  // FloatingDockSiteClass is its own class, standing alone without a parent.
  bool GetFloating() const;
  // The class of the window made to hold the control when it floats (a TWinControl
  // class that a component's owner alone constructs); nullptr restores the default.
  const TClass* GetFloatingDockSiteClass() const { return FFloatingDockSiteClass; }
  void SetFloatingDockSiteClass(const TClass* Value);
  // The size the control takes when it floats; 0 (the default) means its size now. A
  // control leaving a floating window remembers the size it had there.
  Integer GetUndockWidth() const { return FUndockWidth > 0 ? FUndockWidth : FWidth; }
  void SetUndockWidth(Integer Value) { FUndockWidth = std::max<Integer>(Value, 0); }
  Integer GetUndockHeight() const { return FUndockHeight > 0 ? FUndockHeight : FHeight; }
  void SetUndockHeight(Integer Value) { FUndockHeight = std::max<Integer>(Value, 0); }
  // Docks the control on NewDockSite, on side ControlSide of the site (DropControl, a
  // control on the site, is told to the site's handlers). The site the control leaves
  // may refuse (OnUnDock); false then, and when NewDockSite is nullptr, the control
  // itself or one of its children, and for a form, which stays a window of its own (it
  // only floats: dragged or floated, it moves).
  bool ManualDock(TWinControl* NewDockSite, TControl* DropControl = nullptr, TAlign ControlSide = TAlign::alNone);
  // Floats the control with ScreenPos as its screen rectangle; false when its dock site
  // refuses to let it go.
  bool ManualFloat(const TRect& ScreenPos);

  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* Value) override;
  void ReadState(TReader& Reader) override;

  // Limits SetBounds applies to the size.
  TSizeConstraints* GetConstraints() const { return FConstraints; }
  void SetConstraints(TSizeConstraints* Value) { FConstraints->Assign(Value); }
  // The three-dimensional look and the hints: kept and streamed, taken from the parent
  // while the Parent flag is on; setting the value turns the Parent flag off.
  bool GetCtl3D() const { return FCtl3D; }
  void SetCtl3D(bool Value);
  bool GetParentCtl3D() const { return FParentCtl3D; }
  void SetParentCtl3D(bool Value);
  bool GetShowHint() const { return FShowHint; }
  void SetShowHint(bool Value);
  bool GetParentShowHint() const { return FParentShowHint; }
  void SetParentShowHint(bool Value);

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseUp;
  TNotifyEvent OnResize;
  TMouseWheelEvent OnMouseWheel;
  TMouseWheelUpDownEvent OnMouseWheelDown;
  TMouseWheelUpDownEvent OnMouseWheelUp;
  TDragOverEvent OnDragOver;
  TDragDropEvent OnDragDrop;
  TStartDragEvent OnStartDrag;
  TEndDragEvent OnEndDrag;
  // Before a dock drag starts (a handler may give the drag object), and after it ends:
  // Target is the dock site, the floating window, or nullptr when nothing moved.
  TStartDockEvent OnStartDock;
  TEndDragEvent OnEndDock;

 protected:
  // Holds position and size to the range above.
  static void ClampBounds(Integer& ALeft, Integer& ATop, Integer& AWidth, Integer& AHeight);
  virtual void WndProc(TMessage& Message);
  bool IsCtl3DStored() const { return !FParentCtl3D; }
  bool IsShowHintStored() const { return !FParentShowHint; }
  void ConstraintsChanged(TObject* Sender);
  void DefaultHandler(TMessage& Message) override;
  // Runs OnClick, or the action when OnClick is the action's own handler or unassigned.
  virtual void Click();
  virtual void DblClick();
  // The action's properties reach the control; with CheckDefaults only where the control
  // still has the default value.
  virtual void ActionChange(TObject* Sender, bool CheckDefaults);
  virtual TControlActionLinkClass GetActionLinkClass() const;
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  virtual void MouseMove(TShiftState Shift, Integer X, Integer Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  virtual void Resize();
  // Whole notches (WHEEL_DELTA) go to DoMouseWheelDown/Up; the rest waits for more.
  virtual bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos);
  virtual bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos);
  virtual bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos);
  virtual void SetZOrder(bool TopMost);
  virtual void SetClientSize(Integer AWidth, Integer AHeight);
  // Scales position, size and (unless taken from the parent) the font by M / D.
  virtual void ChangeScale(Integer M, Integer D);
  // Asks the parent to lay its aligned children out again.
  void RequestAlign();
  void Loaded() override;
  // Remembers the distances to the parent's edges that the anchors keep.
  void UpdateAnchorRules();
  void InvalidateControl(bool IsVisible, bool IsOpaque);
  virtual void DoStartDrag(TDragObject*& DragObject);
  virtual void DoEndDrag(TObject* Target, Integer X, Integer Y);
  virtual void DoStartDock(TDragDockObject*& DragObject);
  virtual void DoEndDock(TObject* Target, Integer X, Integer Y);
  // Makes the window that holds the control while it floats, with Bounds as the screen
  // rectangle of its client area.
  virtual TWinControl* CreateFloatingDockSite(const TRect& Bounds);

  // Message handlers.
  void WMLButtonDown(TMessage& Message);
  void WMRButtonDown(TMessage& Message);
  void WMMButtonDown(TMessage& Message);
  void WMLButtonDblClk(TMessage& Message);
  void WMRButtonDblClk(TMessage& Message);
  void WMMButtonDblClk(TMessage& Message);
  void WMLButtonUp(TMessage& Message);
  void WMRButtonUp(TMessage& Message);
  void WMMButtonUp(TMessage& Message);
  void WMMouseMove(TMessage& Message);
  void WMCancelMode(TMessage& Message);
  void WMMouseWheel(TMessage& Message);
  void CMMouseWheel(TMessage& Message);
  void WMContextMenu(TMessage& Message);
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void CMEnabledChanged(TMessage& Message);
  void CMParentColorChanged(TMessage& Message);
  void CMParentFontChanged(TMessage& Message);
  void CMMouseEnter(TMessage& Message);
  void CMMouseLeave(TMessage& Message);
  void CMVisibleChanged(TMessage& Message);
  void CMColorChanged(TMessage& Message);
  bool IsColorStored() const { return !FParentColor; }
  bool IsFontStored() const { return !FParentFont; }
  void FontChanged(TObject* Sender);

  TWinControl* FParent = nullptr;
  Integer FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
  TAlign FAlign = TAlign::alNone;
  TAnchors FAnchors{TAnchorKind::akLeft, TAnchorKind::akTop};
  TRect FAnchorRules;  // distances to the parent's left, top, right and bottom edges
  bool FAnchoring = false;
  Integer FWheelAccumulator = 0;
  bool FVisible = true;
  bool FEnabled = true;
  String FText;
  TFont* FFont = nullptr;
  bool FParentFont = true;
  TColor FColor = TColor(0x80000000 | 5);  // clWindow
  bool FParentColor = true;
  TCursor FCursor = crDefault;
  TCursor FDragCursor = crDrag;
  TDragMode FDragMode = TDragMode::dmManual;
  TDragKind FDragKind = TDragKind::dkDrag;
  bool FDocked = false;  // the parent holds this control as a dock client
  const TClass* FFloatingDockSiteClass = nullptr;
  Integer FUndockWidth = 0, FUndockHeight = 0;
  TSizeConstraints* FConstraints = nullptr;
  bool FCtl3D = true, FParentCtl3D = true;
  bool FShowHint = false, FParentShowHint = true;
  String FHint;
  TPopupMenu* FPopupMenu = nullptr;
  TControlActionLink* FActionLink = nullptr;
  TControlStyle FControlStyle;
  TControlState FControlState;
  TWndMethod FWindowProc;

 private:
  void DoMouseDown(TMessage& Message, TMouseButton Button, TShiftState Shift);
  void DoMouseUp(TMessage& Message, TMouseButton Button);
  // Hands this control's value of a flag to the children that take it from their parent.
  void SpreadToChildren(bool TControl::*ParentFlag, bool TControl::*Value);
  // Moves the control onto Site at ScreenRect, aligned to Side, as its dock client.
  void DockTo(TWinControl* Site, const TRect& ScreenRect, TAlign Side);
  // Floats the control with its client area at ScreenRect: in the floating window it is
  // alone in (moved there), in a new one, or, a form, by itself; nullptr when a handler
  // freed it.
  TWinControl* FloatTo(const TRect& ScreenRect);

  friend class TWinControl;
  friend class TCustomForm;
  friend class TApplication;
  friend struct DragState;
  friend struct DockDrag;
  friend class TControlActionLink;
};

// ---- TWinControl ------------------------------------------------------------------------

class TWinControl : public TControl {
  TL_CLASS(TWinControl, TControl)
 public:
  explicit TWinControl(TComponent* AOwner);
  void BeforeDestruction() override;

  HWND GetHandle();  // creates the window when needed
  HWND Handle() { return GetHandle(); }
  bool HandleAllocated() const { return FHandle != nullptr; }
  void HandleNeeded();
  void RecreateWnd();
  HWND GetParentWindow() const { return FParentWindow; }
  void SetParentWindow(HWND Value);

  // Children: graphic controls first, then windowed ones, each in z-order from the bottom.
  Integer ControlCount() const { return Integer(FControls.size() + FWinControls.size()); }
  TControl* Controls(Integer Index) const;
  void InsertControl(TControl* AControl);
  void RemoveControl(TControl* AControl);
  bool ContainsControl(const TControl* Control) const;
  // The topmost visible child under a client point: graphic children only unless
  // AllowWinControls, disabled ones only with AllowDisabled; nullptr when none.
  TControl* ControlAtPos(const TPoint& Pos, bool AllowDisabled, bool AllowWinControls = false) const;
  // Sends Message to every child until one answers with a non-zero Result.
  void Broadcast(TMessage& Message);
  void Realign() { AlignControls(nullptr, GetClientRect()); }
  void DisableAlign() { ++FAlignLevel; }
  void EnableAlign();

  Integer GetTabOrder() const;
  void SetTabOrder(Integer Value);
  bool GetTabStop() const { return FTabStop; }
  void SetTabStop(bool Value);
  // Windowed descendants in tab order, depth first.
  void GetTabOrderList(std::vector<TWinControl*>& List) const;
  TWinControl* FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop, bool CheckParent) const;
  void SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop);

  virtual bool CanFocus() const;
  virtual void SetFocus();
  bool Focused() const;

  TRect GetClientRect() const override;
  TPoint ClientOrigin() const override;
  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
  // Scales the control's size, font and children by M / D; its own position stays.
  void ScaleBy(Integer M, Integer D);
  void Invalidate() override;
  void Update() override;
  void Repaint() override;
  bool Showing() const override;
  // Paints this control, its graphic and its windowed children into DC with the
  // control's client origin at (X, Y).
  void PaintTo(HDC DC, Integer X, Integer Y);

  // The key path: events, and the hooks the form and menus override.
  virtual bool IsShortCut(TMessage& Message);

  // Docking: controls dragged with DragKind dkDock dock here while DockSite is on. No
  // dock manager lays the clients out (UseDockManager is kept and streamed): a client
  // takes the alignment of the side it was dropped on.
  TImeMode GetImeMode() const { return FImeMode; }
  void SetImeMode(TImeMode Value) { FImeMode = Value; }
  const String& GetImeName() const { return FImeName; }
  void SetImeName(const String& Value) { FImeName = Value; }

  bool GetDockSite() const { return FDockSite; }
  void SetDockSite(bool Value);
  bool GetUseDockManager() const { return FUseDockManager; }
  void SetUseDockManager(bool Value) { FUseDockManager = Value; }
  // The children docked here, in child order.
  Integer DockClientCount() const;
  TControl* DockClients(Integer Index) const;
  // The side of the client area nearest to MousePos (client coordinates).
  TAlign GetDockEdge(const TPoint& MousePos) const;
  // Where a dock client would dock; by default the screen bounds grown by 10 pixels, then
  // OnGetSiteInfo.
  virtual void GetSiteInfo(TControl* Client, TRect& InfluenceRect, TPoint MousePos, bool& CanDock);
  // A dock drag over the site (client coordinates): places the dock rectangle on the edge
  // under the mouse, then OnDockOver, which accepts unless it says no.
  virtual void DockOver(TDragDockObject* Source, Integer X, Integer Y, TDragState State, bool& Accept);
  // After a client docked here: OnDockDrop.
  virtual void DockDrop(TDragDockObject* Source, Integer X, Integer Y);
  // Whether Client may leave for NewTarget (nullptr: to float): OnUnDock.
  virtual bool DoUnDock(TWinControl* NewTarget, TControl* Client);
  // The screen rectangle a client takes when docked on Source's DropAlign side.
  virtual void PositionDockRect(TDragDockObject* Source);

  // Streaming lists the children Root owns.
  void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;
  void Loaded() override;

  TKeyEvent OnKeyDown;
  TKeyPressEvent OnKeyPress;
  TKeyEvent OnKeyUp;
  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;
  TDockOverEvent OnDockOver;
  TDockDropEvent OnDockDrop;
  TUnDockEvent OnUnDock;
  TGetSiteInfoEvent OnGetSiteInfo;
  // Places a child aligned alCustom; see CustomAlignPosition.
  TAlignPositionEvent OnAlignPosition;

 protected:
  virtual void CreateParams(TCreateParams& Params);
  TControlActionLinkClass GetActionLinkClass() const override;
  // Children first, aligned once afterwards.
  void ChangeScale(Integer M, Integer D) override;
  // Builds this control on a platform window class: its class style and procedure become
  // the window's default handling. Raises EInvalidOperation when the class is unknown.
  void CreateSubClass(TCreateParams& Params, LPCSTR ControlClassName);
  virtual void CreateWnd();
  virtual void CreateWindowHandle(const TCreateParams& Params);
  virtual void DestroyWnd();
  virtual void DestroyWindowHandle();
  void CreateHandle();
  void DestroyHandle();
  void UpdateControlState();
  virtual void AlignControls(TControl* AControl, TRect& Rect);
  // Where a child aligned alCustom goes, after the other aligned children took their room:
  // the proposed bounds are its current ones, AlignRect what is left of the client area.
  // By default OnAlignPosition decides, and without it the child stays where it is.
  virtual void CustomAlignPosition(TControl* Control, Integer& NewLeft, Integer& NewTop, Integer& NewWidth,
                                   Integer& NewHeight, TRect& AlignRect);
  // The part of the client area that aligned children share; all of it by default.
  virtual void AdjustClientRect(TRect&) {}
  void AlignControls(TControl* AControl, const TRect& Rect) {
    TRect r = Rect;
    AlignControls(AControl, r);
  }
  virtual void PaintWindow(HDC DC);
  void PaintHandler(TMessage& Message);
  void PaintControls(HDC DC, TControl* First);
  void WndProc(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;
  void MainWndProc(TMessage& Message);
  void SetZOrder(bool TopMost) override;
  virtual void KeyDown(Word& Key, TShiftState Shift);
  virtual void KeyPress(Char& Key);
  virtual void KeyUp(Word& Key, TShiftState Shift);
  bool DoKeyDown(TMessage& Message);
  bool DoKeyPress(TMessage& Message);
  bool DoKeyUp(TMessage& Message);
  virtual void DoEnter();
  virtual void DoExit();
  HBRUSH BrushHandle();
  void UpdateBounds();
  bool IsControlMouseMsg(TMessage& Message);

  void WMPaint(TMessage& Message);
  void WMEraseBkgnd(TMessage& Message);
  void WMWindowPosChanged(TMessage& Message);
  void WMKeyDown(TMessage& Message);
  void WMKeyUp(TMessage& Message);
  void WMChar(TMessage& Message);
  void WMSetCursor(TMessage& Message);
  void WMNCDestroy(TMessage& Message);
  void WMSysColorChange(TMessage& Message);
  void WMSettingChange(TMessage& Message);
  void WMMouseLeave(TMessage& Message);
  void CNKeyDown(TMessage& Message);
  void CNChar(TMessage& Message);
  void CNCtlColor(TMessage& Message);
  void CMDialogKey(TMessage& Message);
  void CMDialogChar(TMessage& Message);
  void CMEnter(TMessage& Message);
  void CMExit(TMessage& Message);
  void CMVisibleChanged(TMessage& Message);
  void CMEnabledChanged(TMessage& Message);
  void CMColorChanged(TMessage& Message);
  void CMFontChanged(TMessage& Message);
  void CMSysColorChange(TMessage& Message);
  void CMWinIniChange(TMessage& Message);
  void CMShowingChanged(TMessage& Message);
  void CMRecreateWnd(TMessage& Message);

  HWND FHandle = nullptr;
  HWND FParentWindow = nullptr;
  WNDPROC FObjectInstance = nullptr;
  WNDPROC FDefWndProc = nullptr;
  bool FTabStop = false;
  Integer FAlignLevel = 0;
  HBRUSH FBrush = nullptr;
  COLORREF FBrushColor = 0;
  std::vector<TControl*> FControls;     // graphic children
  std::vector<TWinControl*> FWinControls;
  std::vector<TWinControl*> FTabList;
  bool FDockSite = false;
  bool FUseDockManager = false;
  TImeMode FImeMode = TImeMode::imDontCare;
  String FImeName;

 private:
  void DoAlign(TAlign AAlign, TRect& Rect);
  void ApplyAnchors(const TRect& Client);
  void RemoveFocus(bool Removing);
  static LRESULT InitWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  friend class TControl;
  friend class TCustomForm;
  friend class TApplication;
};

// ---- Painted controls ---------------------------------------------------------------------

class TCustomControl : public TWinControl {
  TL_CLASS(TCustomControl, TWinControl)
 public:
  explicit TCustomControl(TComponent* AOwner);
  void BeforeDestruction() override;
  // Draws on the window: the paint's device context during Paint, else a window DC
  // given back once the current message has been handled.
  TCanvas* Canvas() const { return FCanvas; }

 protected:
  virtual void Paint() {}
  void PaintWindow(HDC DC) override;
  // The device context of the paint in progress (nullptr outside Paint).
  HDC PaintDC() const { return FPaintDC; }

  TControlCanvas* FCanvas = nullptr;

 private:
  HDC FPaintDC = nullptr;
};

class TGraphicControl : public TControl {
  TL_CLASS(TGraphicControl, TControl)
 public:
  explicit TGraphicControl(TComponent* AOwner);
  void BeforeDestruction() override;
  // Draws on the parent's window with the origin at this control, clipped to it.
  TCanvas* Canvas() const { return FCanvas; }

 protected:
  virtual void Paint() {}
  // The parent's device context during Paint, with the origin at this control.
  HDC PaintDC() const { return FPaintDC; }
  void WMPaint(TMessage& Message);

  TControlCanvas* FCanvas = nullptr;

 private:
  HDC FPaintDC = nullptr;
};

// ---- Drag and drop --------------------------------------------------------------------------

class TDragObject : public TObject {
  TL_CLASS(TDragObject, TObject)
 public:
  // The cursor over a target: DragCursor when it accepts, crNoDrop otherwise.
  virtual TCursor GetDragCursor(bool Accepted, Integer X, Integer Y);
  TControl* DragTarget() const { return FDragTarget; }
  TPoint DragPos() const { return FDragPos; }
  bool Cancelling() const { return FCancelling; }
  bool Dropped() const { return FDropped; }
  virtual void Finished(TObject* Target, Integer X, Integer Y, bool Accepted);
  // The images shown under the mouse during this drag (none here).
  virtual TDragImageList* GetDragImages() { return nullptr; }
  // Around drawing that should not meet the drag image: nested, each hide with its show.
  void HideDragImage();
  void ShowDragImage();

 protected:
  TControl* FDragTarget = nullptr;
  TPoint FDragPos;
  bool FCancelling = false;
  bool FDropped = false;
  friend struct DragState;
  friend struct DockDrag;
};

// The object a control drags when its OnStartDrag gives none: the control itself is the
// source its targets see.
class TDragControlObject : public TDragObject {
  TL_CLASS(TDragControlObject, TDragObject)
 public:
  explicit TDragControlObject(TControl* AControl) : FControl(AControl) {}
  TControl* Control() const { return FControl; }
  TCursor GetDragCursor(bool Accepted, Integer X, Integer Y) override;
  TDragImageList* GetDragImages() override { return FControl->GetDragImages(); }

 private:
  TControl* FControl;
};

// The control of a window handle made by the class library, or nullptr.
TWinControl* FindControl(HWND Handle);
// The control under a screen point (graphic children included), or nullptr.
TControl* FindDragTarget(const TPoint& Pos, bool AllowDisabled);
TCustomForm* GetParentForm(const TControl* Control);
// The control holding the mouse capture (graphic controls included), or nullptr.
TControl* GetCaptureControl();
void SetCaptureControl(TControl* Control);
// Forgets a control being destroyed, releasing the capture it holds.
void CaptureControlDestroyed(TControl* Control);
// Control canvases hold a window DC only while a message is handled: these track them
// and give back the DCs of the canvases not locked in a paint.
void RegisterControlCanvas(TControlCanvas* Canvas);
void UnregisterControlCanvas(TControlCanvas* Canvas);
void FreeDeviceContexts();
// A canvas on Control for its lifetime, registered as above.
TControlCanvas* NewControlCanvas(TControl* Control);
void FreeControlCanvas(TControlCanvas*& Canvas);

// Gives a control's canvas the paint's device context for the length of a paint (and
// PaintDC slot), locked so that no nested message takes it away. A paint handler may free
// the control, and its canvas with it: nothing is put back then.
class TControlCanvasPaint {
 public:
  TControlCanvasPaint(TControlCanvas* Canvas, HDC& Slot, HDC DC) : FCanvas(Canvas), FSlot(Slot), FOld(Slot) {
    FSlot = DC;
    Canvas->Lock();
    Canvas->FreeHandle();  // a window DC taken earlier in this message
    Canvas->SetHandle(DC);
  }
  ~TControlCanvasPaint() {
    auto* canvas = static_cast<TControlCanvas*>(FCanvas.Ref());
    if (!canvas) return;
    canvas->SetHandle(nullptr);
    canvas->Unlock();
    FSlot = FOld;
  }
  TControlCanvasPaint(const TControlCanvasPaint&) = delete;
  TControlCanvasPaint& operator=(const TControlCanvasPaint&) = delete;

 private:
  TWeakLink FCanvas;
  HDC& FSlot;
  HDC FOld;
};
// Cancels a drag in progress (Escape, WM_CANCELMODE, the source going away).
void CancelDrag();
// Whether a drag (or a drag waiting for its threshold) is in progress.
bool DragActive();
// The object of the drag under way once it has passed its threshold, else nullptr.
TDragObject* CurrentDragObject();
// Forgets a control being destroyed as the target under a drag.
void DragTargetDestroyed(TControl* Control);
// Forgets drag images freed while a drag shows them.
void DragImagesDestroyed(TDragImageList* Images);

// The object of a drag that docks: the control, where it would land (DockRect, screen
// coordinates) and how (DropAlign, DropOnControl), or that it would float.
class TDragDockObject : public TDragObject {
  TL_CLASS(TDragDockObject, TDragObject)
 public:
  explicit TDragDockObject(TControl* AControl) : FControl(AControl) {}
  TControl* Control() const { return FControl; }
  // Dock drags keep the ordinary cursor; the dock rectangle shows where the control goes.
  TCursor GetDragCursor(bool Accepted, Integer X, Integer Y) override;
  const TRect& GetDockRect() const { return FDockRect; }
  void SetDockRect(const TRect& Value) { FDockRect = Value; }
  TAlign GetDropAlign() const { return FDropAlign; }
  void SetDropAlign(TAlign Value) { FDropAlign = Value; }
  TControl* GetDropOnControl() const { return FDropOnControl; }
  void SetDropOnControl(TControl* Value) { FDropOnControl = Value; }
  bool GetFloating() const { return FFloating; }
  void SetFloating(bool Value) { FFloating = Value; }
  Integer GetFrameWidth() const { return FFrameWidth; }
  void SetFrameWidth(Integer Value) { FFrameWidth = std::max<Integer>(Value, 1); }

 private:
  TControl* FControl;
  TRect FDockRect{};
  TAlign FDropAlign = TAlign::alNone;
  TControl* FDropOnControl = nullptr;
  bool FFloating = false;
  Integer FFrameWidth = 4;
  TPoint FGrab{};  // the mouse from the control's top-left when the drag started
  friend struct DockDrag;
};
// The dock drag under way once it has passed its threshold, else nullptr.
TDragDockObject* CurrentDockObject();

// ---- Mouse ----------------------------------------------------------------------------------

class TMouse : public TObject {
  TL_CLASS(TMouse, TObject)
 public:
  TMouse();
  Integer GetDragThreshold() const { return FDragThreshold; }
  void SetDragThreshold(Integer Value) { FDragThreshold = Value < 0 ? 0 : Value; }
  Integer GetWheelScrollLines() const { return FWheelScrollLines; }
  bool GetWheelPresent() const;
  TPoint GetCursorPos() const;
  void SetCursorPos(const TPoint& Value);
  HWND GetCapture() const;
  void SetCapture(HWND Value);
  // Re-reads the settings after a WM_SETTINGCHANGE.
  void SettingChanged(UINT Setting);

 private:
  Integer FDragThreshold = 5;
  Integer FWheelScrollLines = 3;
};

extern TMouse* Mouse;

// Unit start-up of the controls unit: the Mouse global, the window class procedure and
// the class registrations.
namespace ControlsUnit {
void Initialize();
void Finalize();
}  // namespace ControlsUnit
