// What a container paints around its inner control: border, background and drop shadow,
// by its style or through the visual style.
#pragma once

#include "widgets/foundation/cxContainerStyle.h"
#include "widgets/foundation/cxControlBase.h"
#include "widgets/foundation/cxGraphics.h"
#include "widgets/foundation/dxThemeManager.h"
#include "platform/user/User.h"

using TcxContainerState = Set<TcxContainerStateItem>;

// The library's mouse buttons, none included: what a view is calculated with.
TL_ENUM(TcxMouseButton, cxmbNone, cxmbLeft, cxmbRight, cxmbMiddle);

// Border width by border style: 0, 1, 2, 2, 2, 1, 1.
Integer cxGetContainerBorderWidth(TcxContainerBorderStyle ABorderStyle);
// Border width by look-and-feel kind.
Integer cxGetLookAndFeelBorderWidth(TcxLookAndFeelKind AKind);
// A 3-pixel shadow below and right of R; each strip is left out of the clip region afterwards.
void cxDrawContainerShadow(TcxCanvas& ACanvas, const TRect& R);

class TcxContainerViewInfo : public TObject {
  TL_CLASS(TcxContainerViewInfo, TObject)
 public:
  TcxContainerViewInfo() = default;

  virtual void DrawBorder(TcxCanvas& ACanvas, const TRect& R);
  virtual TcxContainerBorderStyle GetContainerBorderStyle() const { return BorderStyle; }
  virtual void InternalPaint(TcxCanvas& ACanvas);
  virtual void SetBackgroundColor(TColor Value) { BackgroundColor = Value; }
  virtual void Assign(TcxContainerViewInfo* Source);
  // What must be repainted against an older view info; the caller frees the region. A
  // container has nothing finer than its frame, so the base answers an empty region.
  virtual TcxRegion* GetUpdateRegion(TcxContainerViewInfo* AViewInfo);
  virtual void Offset(Integer DX, Integer DY);
  virtual void Paint(TcxCanvas& ACanvas) { InternalPaint(ACanvas); }

  TColor BackgroundColor = clWindow;
  TColor BorderColor = clWindowFrame;
  TRect BorderRect{};
  TcxContainerBorderStyle BorderStyle = TcxContainerBorderStyle::cbsNone;
  Integer BorderWidth = 0;
  TRect Bounds{};
  TRect ClientRect{};
  TcxContainerState ContainerState{TcxContainerStateItem::csNormal};
  TcxBorders Edges = cxBordersAll;
  uint8_t HotState = 0;
  bool NativeStyle = false;
  bool Shadow = false;
  int NativePart = 1;
  int NativeState = 1;
  TdxThemedObjectType ThemedObjectType = TdxThemedObjectType::totEdit;

 protected:
  void PaintNative(TcxCanvas& ACanvas);
};

using TcxContainerViewInfoClass = TMetaClass<TcxContainerViewInfo>;

// Where an inner control is cut off by its container: the visible part in the child's
// coordinates, or no region at all when nothing is cut off.
struct TcxContainerInnerControlBounds {
  bool NoRegion = true;
  TRect Rect{};
  bool operator==(const TcxContainerInnerControlBounds&) const = default;
};

class TcxContainer;

// Implemented by controls hosted inside a container ({1B111318-D9C9-4C35-9EFF-5D95793C0106}).
class IcxContainerInnerControl {
 public:
  virtual ~IcxContainerInnerControl() = default;
  virtual TcxContainer* GetControlContainer() = 0;
  virtual TWinControl* GetControl() = 0;
  // The library bars laid over the control's own ones; nil when it has none.
  virtual TcxScrollBar* GetLibraryScrollBar(TScrollBarKind AKind) = 0;
};

// ---- small routines of the container unit ----

// GetScrollBarInfo found by name at start-up; without it no library bars cover inner controls.
void cxLookUpGetScrollBarInfo();
bool cxIsGetScrollBarInfoAvailable();
bool cxGetScrollBarInfo(HWND AWnd, Integer AObjectId, SCROLLBARINFO& AInfo);
// Scroll-bar states meaning the bar is not shown: invisible or off-screen.
inline constexpr DWORD cxScrollBarHiddenStates = 0x18000;
// Gives a library bar the range, page (clamped to the maximum) and position of a window's own
// bar, with a small change of 1; false when the window answers nothing.
bool cxCopyScrollInfo(HWND AWnd, int ABar, TcxScrollBar* AScrollBar);
bool cxAreStringsEqual(const String& S1, const String& S2, bool ACaseSensitive);
TRect cxGetControlRect(TControl* AControl);
// Outer less Inner (clipped to Outer) as the strips left, top, right and bottom, empty ones
// left out; all of Outer when nothing of it is left out; the count is 0 to 4.
int cxGetRectFrameStrips(const TRect& AOuter, const TRect& AInner, TRect (&AStrips)[4]);
// Outer minus Inner as four strips; all of Outer when Inner is empty.
void cxFillRectFrame(TcxCanvas& ACanvas, const TRect& AOuter, const TRect& AInner, TColor AColor);
void cxInvalidateRectFrame(HWND AWnd, const TRect& AOuter, const TRect& AInner, bool AErase);
void cxInvalidateControlRect(TWinControl* AControl, const TRect& R, bool AErase);
void cxShrinkSidesWithoutBorder(TRect& R, Integer AWidth, TcxBorders ABorders);
// Sets the window region only when it differs from the current one.
void cxUpdateWindowRegion(HWND AWnd, const TRect& ABounds, bool ANoRegion, const TRect& AExclude, bool AShadow);
void cxSetWindowRegionFromInfo(TWinControl* AControl, const TcxContainerInnerControlBounds& AInfo);
bool cxIsWindowOfControl(TWinControl* AControl, HWND AWnd);
TcxContainer* cxGetInnerControlContainer(TControl* AControl);
bool cxIsNativeThemeUsable(bool ANativeStyle, TdxThemedObjectType AObjectType);
// Library mouse buttons: left 1, right 2, middle 3.
TcxMouseButton cxTranslateMouseButton(TMouseButton AButton);
TPoint cxGetCursorPos();
TShiftState cxGetShiftState();
void cxAssignFont(TFont* ADest, TFont* ASource);
void cxEmptyProcedure();
// Top, centre, bottom → the library text flags 8, 16, 32.
Integer cxVerticalAlignmentToTextFlag(TVerticalAlignment AAlignment);
// The corner square between both library bars of an inner control, in its container's coordinates.
TRect cxGetInnerControlSizeGripRect(IcxContainerInnerControl* AInnerControl);

// Private message: update the library scroll bars over the inner control.
inline constexpr UINT DXM_UPDATESCROLLBARS = 0x8068;

using TcxContainerStylesClass = TMetaClass<TcxContainerStyles, TPersistent*, TcxContainerStyleClass>;

// A styled, bordered control around one optional inner window control.
class TcxContainer : public TcxControl {
  TL_CLASS(TcxContainer, TcxControl)
 public:
  explicit TcxContainer(TComponent* AOwner);
  void AfterConstruction() override;
  void BeforeDestruction() override;
  // The inner control is the container's own making: never written as its child, even when
  // the container itself is what is written.
  void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;

  TcxContainerStyle* GetStyle() const { return FStyles->Style(); }
  void SetStyle(TcxContainerStyle* Value) { FStyles->SetStyle(TcxContainerStateItem::csNormal, Value); }
  TcxContainerStyle* GetStyleFocused() const { return FStyles->StyleFocused(); }
  void SetStyleFocused(TcxContainerStyle* Value) { FStyles->SetStyle(TcxContainerStateItem::csActive, Value); }
  TcxContainerStyle* GetStyleDisabled() const { return FStyles->StyleDisabled(); }
  void SetStyleDisabled(TcxContainerStyle* Value) { FStyles->SetStyle(TcxContainerStateItem::csDisabled, Value); }
  TcxContainerStyle* GetStyleHot() const { return FStyles->StyleHot(); }
  void SetStyleHot(TcxContainerStyle* Value) { FStyles->SetStyle(TcxContainerStateItem::csHotTrack, Value); }
  TcxContainerViewInfo* ViewInfo() const { return FViewInfo; }
  TWinControl* InnerControl() const { return FInnerControl; }

  // The style of the current state: disabled, else focused, else hot, else normal.
  TcxContainerStyle* GetActiveStyle() const;
  bool IsDestroying() const { return FIsDestroying; }
  void LockAlignControls(bool ALock);
  void RecalcViewAtCursor(bool AIsMouseEvent = false);
  void PostUpdateScrollBars();
  // Clips the window to the painted area (and its shadow); left alone when unchanged.
  void UpdateWindowRegion();
  bool IsStylePropertyStored(const String& APropertyName, bool ACheckShared) const;
  void SetFocus() override;
  // Raised by an inner control while it forwards its own mouse-down to the container.
  bool InnerControlMouseDown = false;

  // Virtual operations, in the order the container introduces them.
  virtual bool IsContainerFocused() const { return Focused(); }
  virtual void AdjustInnerControl();
  // AButton: the mouse button held since it was pressed over a container, or none.
  virtual void CalculateViewInfo(const TPoint& P, TcxMouseButton AButton, bool AIsMouseEvent);
  virtual bool IsSizeAllowed() { return true; }
  virtual void ContainerStyleChanged(TObject* Sender);
  virtual bool DefaultParentColor() const { return false; }
  virtual void EndMouseTracking();
  virtual void GetBorderExtent(TRect& R) const;
  virtual void CalculateInnerControlClipRect(const TRect& R, TWinControl* AControl,
                                             TcxContainerInnerControlBounds& AInfo);
  // The painted area: the bounds less the extent, grown by the border where edges are on.
  virtual void GetBorderRect(TRect& R) const;
  virtual TcxContainerStyleClass GetStyleClass() const;
  virtual TcxContainerStylesClass GetStylesClass() const;
  virtual TcxContainerViewInfoClass GetViewInfoClass() const;
  virtual bool HasShadow() const;
  virtual TcxContainerStyle* InternalGetActiveStyle() const;
  virtual TcxContainerStyleValues GetUnusedStyleValues() const { return {}; }
  virtual bool HasTabOrderChildren() const { return false; }
  virtual bool NeedsViewRefresh() const { return false; }
  virtual bool ProcessViewInfoChanges(const TPoint& P, TcxMouseButton AButton, TShiftState AShift,
                                      bool AIsMouseEvent);
  virtual void AdjustInnerControlBounds();
  virtual void ClipCanvasToRegion() {}
  virtual bool HandlesTabKey() const { return false; }
  virtual void UpdateScrollBar(TcxScrollBar* AScrollBar);
  virtual TdxThemedObjectType GetBackgroundThemedObjectType() const { return TdxThemedObjectType::totEdit; }
  virtual int GetBackgroundNativePart() const { return 1; }
  virtual int GetBackgroundNativeState() const;
  virtual void ScreenRectToClient(const TRect& AScreenRect, TRect& R) const;
  virtual bool IsScrollBarEnabled(TcxScrollBar* AScrollBar, const SCROLLBARINFO& AInfo) const;
  virtual bool GetInnerControlScrollBarInfo(SCROLLBARINFO& AInfo, TScrollBarKind AKind) const;
  virtual bool IsScrollBarVisible(const SCROLLBARINFO& AInfo) const;
  virtual bool IsNativeStyle() const;
  virtual void FocusInnerControl();
  // Descendants pass the drag kind on to their inner control as well.
  virtual void SetDragKind(TDragKind Value) { TControl::SetDragKind(Value); }
  virtual void SetScrollBarVisible(TcxScrollBar* AScrollBar, bool AVisible);
  virtual void SetRegionChanged() { FRegionChanged = true; }
  virtual void GetHotTrackBounds(TRect& R) const;
  virtual bool HasShownPopup() const { return false; }
  // Unhandled messages of the inner control; true when the container took it.
  virtual bool InnerControlDefaultHandler(TMessage& Message) { (void)Message; return false; }
  // The inner control's key-down notifications offered to the container's shortcuts.
  virtual bool InnerControlMenuHandler(TMessage& Message);
  virtual bool IsInplace() const { return false; }
  void UpdateScrollBars() override;

 protected:
  // Descendants that create an inner control hand it over here; it stays theirs to free.
  void SetInnerControl(TWinControl* Value);
  // A new view info of the class GetViewInfoClass answers now.
  void RecreateViewInfo();

  void AlignControls(TControl* AControl, TRect& ARect) override;
  bool CanFocusOnClick() override;
  // Scales an assigned style font, else asks the style controller once.
  void ChangeScale(Integer M, Integer D) override;
  void ColorChanged() override;
  void FocusChanged() override;
  void FontChanged() override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void Loaded() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseEnter(TControl* AControl) override;
  void MouseLeave(TControl* AControl) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void Paint() override;
  void Resize() override;
  void CreateWnd() override;
  void WndProc(TMessage& Message) override;

 private:
  // Told by the mouse tracking when the cursor left the hot-track bounds.
  class TMouseTracker : public IcxMouseTrackingCaller {
   public:
    explicit TMouseTracker(TcxContainer* AContainer) : FContainer(AContainer) {}
    void MouseLeave() override { FContainer->RecalcViewAtCursor(true); }

   private:
    TcxContainer* FContainer;
  };

  TcxContainerState ComputeState(const TPoint& P, bool AMouseInside) const;
  void CopyColorToStyle();
  void CopyFontToStyle();

  TWinControl* FInnerControl = nullptr;
  TcxContainerInnerControlBounds FInnerControlBounds;
  bool FIsAdjusting = false;
  Integer FLockAlignControlsCount = 0;
  Integer FLockResizeCount = 0;
  bool FScrollBarsUpdating = false;
  TcxContainerStyles* FStyles = nullptr;
  TcxContainerViewInfo* FViewInfo = nullptr;
  mutable TcxContainerStyle* FActiveStyle = nullptr;
  mutable TcxContainerState FActiveStyleState;
  bool FCreating = true;
  bool FIsDestroying = false;
  bool FIsCopyingFromStyle = false;
  bool FRegionChanged = false;
  bool FRecalculating = false;
  bool FMouseInside = false;
  bool FTakingParentFont = false;
  TMouseTracker FMouseTracker{this};
};
