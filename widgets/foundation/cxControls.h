// The library's base services for controls: hidden utility windows, timers on one shared
// window, the desktop work area and popup forms placed against an owner rectangle.
#pragma once

#include "classlib/visual/Controls.h"
#include "classlib/visual/Forms.h"
#include "widgets/foundation/cxGraphics.h"
#include "widgets/foundation/cxLookAndFeelPainters.h"

#include <memory>

// ---- Library cursors (screen cursor ids, loaded by the unit start-up) ---------------------

inline constexpr TCursor crcxDragCopy = 2100, crcxFullScroll = 2101, crcxHorScroll = 2102, crcxVerScroll = 2103,
                         crcxUpScroll = 2104, crcxRightScroll = 2105, crcxDownScroll = 2106, crcxLeftScroll = 2107,
                         crcxRemove = 2108, crcxVertSize = 2109, crcxHorzSize = 2110, crcxMultiDrag = 2111,
                         crcxNoDrop = 2112, crcxDrag = 2113, crcxHandPoint = 2114;

// ---- Utility windows ----------------------------------------------------------------------

// A hidden window whose messages go to the virtual WndProc (default: DefWindowProcA).
class TcxMessageWindow : public TObject {
  TL_CLASS(TcxMessageWindow, TObject)
 public:
  TcxMessageWindow();
  ~TcxMessageWindow() override;
  HWND Handle() const { return FHandle; }

 protected:
  virtual void WndProc(TMessage& Message);

 private:
  void MainWndProc(TMessage& Message) { WndProc(Message); }
  HWND FHandle = nullptr;
};

// The one window every TcxTimer of the process runs on.
class TcxTimerWindow : public TcxMessageWindow {
  TL_CLASS(TcxTimerWindow, TcxMessageWindow)
 protected:
  void WndProc(TMessage& Message) override;
};

// A timer that needs no window of its own: its id is its own address on the shared window.
class TcxTimer : public TComponent {
  TL_CLASS(TcxTimer, TComponent)
 public:
  explicit TcxTimer(TComponent* AOwner);
  void BeforeDestruction() override;

  bool GetEnabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  Cardinal GetInterval() const { return FInterval; }
  // 0 keeps the old interval.
  void SetInterval(Cardinal Value);
  TNotifyEvent GetOnTimer() const { return FOnTimer; }
  void SetOnTimer(TNotifyEvent Value);
  UINT_PTR TimerID() const { return reinterpret_cast<UINT_PTR>(this); }
  // Whether a system timer is running for it.
  bool TimerOn() const { return FTimerOn; }

 protected:
  virtual void Timer();

 private:
  void KillTimerIfOn();
  void Restart();
  bool FEnabled = true;
  Cardinal FInterval = 1000;
  bool FTimerOn = false;
  TNotifyEvent FOnTimer;
  friend class TcxTimerWindow;
};

// The shared message window, created on first use.
TcxMessageWindow* cxGetMessageWindow();

// ---- Work area, popups ----------------------------------------------------------------------

// The work rectangle of the monitor nearest to P (the system work area without monitor
// functions).
TRect cxGetDesktopWorkArea(const TPoint& P);

TL_ENUM(TcxPopupAlignHorz, pahLeft, pahCenter, pahRight);
TL_ENUM(TcxPopupAlignVert, pavTop, pavCenter, pavBottom);
TL_ENUM(TcxPopupDirection, pdHorizontal, pdVertical);

// Where a W × H popup opens against the owner rectangle O (screen coordinates): on the
// side the alignment asks, on the other side of the opening axis when that side has more
// room and the asked one does not fit, then clamped into the work area along the free
// axis.
TPoint cxCalculatePopupPosition(const TRect& O, Integer W, Integer H, TcxPopupDirection Direction,
                                TcxPopupAlignHorz AlignHorz, TcxPopupAlignVert AlignVert, const TRect& WorkArea);

class TcxPopupWindow : public TForm {
  TL_CLASS(TcxPopupWindow, TForm)
 public:
  explicit TcxPopupWindow(TComponent* AOwner);
  void BeforeDestruction() override;

  bool GetAdjustSize() const { return FAdjustSize; }
  void SetAdjustSize(bool Value) { FAdjustSize = Value; }
  TcxPopupAlignHorz GetAlignHorz() const { return FAlignHorz; }
  void SetAlignHorz(TcxPopupAlignHorz Value) { FAlignHorz = Value; }
  TcxPopupAlignVert GetAlignVert() const { return FAlignVert; }
  void SetAlignVert(TcxPopupAlignVert Value) { FAlignVert = Value; }
  TcxPopupDirection GetDirection() const { return FDirection; }
  void SetDirection(TcxPopupDirection Value) { FDirection = Value; }
  Integer GetBorderSpace() const { return FBorderSpace; }
  // Negative values count as 0.
  void SetBorderSpace(Integer Value);
  TcxPopupBorderStyle GetPopupBorderStyle() const { return FBorderStyle; }
  void SetPopupBorderStyle(TcxPopupBorderStyle Value);
  TColor GetFrameColor() const { return FFrameColor; }
  void SetFrameColor(TColor Value) { FFrameColor = Value; }
  TRect GetOwnerBounds() const { return FOwnerBounds; }
  void SetOwnerBounds(const TRect& Value) { FOwnerBounds = Value; }
  TControl* GetOwnerParent() const { return FOwnerParent; }
  void SetOwnerParent(TControl* Value) { FOwnerParent = Value; }

  // Sides: 0 left, 1 top, 2 right, 3 bottom.
  virtual Integer GetBorderWidth(Integer Side) const;
  virtual Integer GetFrameWidth(Integer Side) const;
  virtual void ClosePopup();
  virtual void Popup();
  TcxCanvas* GetCanvas() const { return FcxCanvas; }

 protected:
  virtual void DrawFrame();
  void Paint() override;
  void Deactivate() override;
  void WndProc(TMessage& Message) override;
  virtual TPoint CalculatePosition();
  virtual void CalculateSize();
  virtual void InitPopup();

 private:
  // Moves the children so that they sit inside the current frame; only the difference to
  // the offset already applied moves them, so repeated openings keep the layout.
  void ApplyFrameOffset();

  bool FAdjustSize = true;
  TcxPopupAlignHorz FAlignHorz = TcxPopupAlignHorz::pahLeft;
  TcxPopupAlignVert FAlignVert = TcxPopupAlignVert::pavBottom;
  Integer FBorderSpace = 0;
  TcxPopupBorderStyle FBorderStyle = TcxPopupBorderStyle::pbsNone;
  TcxPopupDirection FDirection = TcxPopupDirection::pdVertical;
  TColor FFrameColor = clWindowText;
  TRect FOwnerBounds{};
  TControl* FOwnerParent = nullptr;
  TPoint FAppliedOffset{0, 0};
  TcxCanvas* FcxCanvas = nullptr;
  HWND FActiveCaptionWindow = nullptr;  // keeps an active caption while the popup is shown
};

// Platform flags, read from the platform's version at start-up.
bool IsWin9X();
bool IsWin2KOrXP();
bool IsWinXP();
bool IsNT4OrLater();

// Asks the control to recreate its window (when it has one).
void cxSendControlRefresh(TWinControl* AControl);

// The window that owns the popup holding Wnd (Wnd itself outside popups); set by the
// container unit while it runs, nullptr otherwise.
using TcxFindPopupOwnerWindowFunc = HWND (*)(HWND Wnd);
extern TcxFindPopupOwnerWindowFunc cxFindPopupOwnerWindowFunc;

namespace cxControls {
// Counted: the first Initialize looks up the monitor functions; the last Finalize frees
// the shared windows and stops the timers still running.
void Initialize();
void Finalize();
}  // namespace cxControls

// ---- Mouse tracking, drag detection and small services ---------------------------------------

// Told when the mouse has left what it tracks.
class IcxMouseTrackingCaller {
 public:
  virtual void MouseLeave() = 0;

 protected:
  ~IcxMouseTrackingCaller() = default;
};
// A caller that decides itself whether a client point is still its own.
class IcxMouseTrackingCaller2 : public IcxMouseTrackingCaller {
 public:
  virtual bool PtInCaller(const TPoint& P) = 0;

 protected:
  ~IcxMouseTrackingCaller2() = default;
};

// Watches the cursor every 10 ms until it leaves Bounds (client coordinates of Control,
// screen coordinates without one); then Control gets CM_MOUSELEAVE (when the cursor is
// outside its client area) and the caller MouseLeave. A caller already tracked is left as it is.
void cxBeginMouseTracking(TWinControl* AControl, const TRect& ABounds, IcxMouseTrackingCaller* ACaller);
void cxEndMouseTracking(IcxMouseTrackingCaller* ACaller);
bool cxIsMouseTracking(IcxMouseTrackingCaller* ACaller);

TL_ENUM(TcxDragDetect, ddNone, ddDrag, ddCancel);
// Runs a loop with the mouse captured until a button is released (ddNone), Escape is
// pressed (ddCancel) or the mouse moves beyond the drag threshold (ddDrag).
TcxDragDetect cxDragDetect(HWND Wnd);
// Both offsets of (X, Y) from AStart are below the drag threshold.
bool cxIsPointInDragArea(const TPoint& AStart, Integer X, Integer Y);
// The middle-button panning speed (1..12) for a cursor ADistance pixels from the start,
// with an indicator AIndicatorSize pixels across.
Integer cxPanningSpeed(Integer ADistance, Integer AIndicatorSize);

UINT cxGetDoubleClickTime();
bool cxIsCtrlPressed();
void cxMapWindowPoint(HWND AFrom, HWND ATo, TPoint& P);
void cxMapWindowRect(HWND AFrom, HWND ATo, TRect& R);
// Counted: the first show saves the screen cursor and shows the hourglass, the last hide
// restores it; a hide without a show does nothing.
void cxShowHourglassCursor();
void cxHideHourglassCursor();
// Whether AControl or any of its parents has a window.
bool cxAnyParentHandleAllocated(TControl* AControl);
bool cxIsTextChar(Char C);
TL_ENUM(TcxNumberType, ntInteger, ntFloat, ntExponent);
bool cxIsNumericChar(Char C, TcxNumberType ANumberType);
Word cxTranslateKey(Word AKey);

namespace cxControls {
// Ends every mouse tracking still running (unit shut-down).
void EndAllMouseTracking();
void FreeSettingsController();
}  // namespace cxControls
