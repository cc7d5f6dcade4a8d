// The library's drop-down window: a popup form that belongs to an owner control, takes the
// focus or stays a tool child, and closes itself when the user clicks elsewhere, leaves the
// application or hides its owner (the thread hooks of the container unit decide those
// closings). Also the container unit's start-up and the window tests the hooks share.
#pragma once

#include "widgets/foundation/cxContainer.h"
#include "widgets/foundation/cxControls.h"

// Private messages of the popup: close it ($8065), pop it up again on its focused control ($8066).
inline constexpr UINT DXM_POPUPCLOSE = 0x8065;
inline constexpr UINT DXM_POPUPREPOPUP = 0x8066;

class TcxCustomPopupWindow : public TcxPopupWindow {
  TL_CLASS(TcxCustomPopupWindow, TcxPopupWindow)
 public:
  // The owner control also owns the popup as a component.
  explicit TcxCustomPopupWindow(TWinControl* AOwnerControl);
  void AfterConstruction() override;
  void BeforeDestruction() override;

  TWinControl* OwnerControl() const { return FOwnerControl; }
  TcxContainerStyle* GetStyle() const { return FStyle; }
  TcxContainerViewInfo* ViewInfo() const { return FViewInfo; }
  // The control focused when the popup shows (remembered by Popup).
  TWinControl* FocusedControl() const { return FFocusedControl; }

  // True: an owned top-level popup that takes the focus; false: a tool child window.
  bool GetCaptureFocus() const { return FCaptureFocus; }
  void SetCaptureFocus(bool Value);
  bool GetIsTopMost() const { return FIsTopMost; }
  void SetIsTopMost(bool Value);
  // With CaptureFocus: Popup runs its own message loop while the popup is shown; a
  // ModalResult set meanwhile closes it (through CloseByHook) once CloseQuery agrees, and a
  // quit ends the loop and stays queued for the loop outside.
  bool GetModal() const { return FModal; }
  void SetModal(bool Value) { FModal = Value; }

  // The owner's drop-down area (its button), as two points in the owner control's client
  // coordinates: a click there closes the popup and marks it closed by that click.
  void SetOwnerDropDownRect(const TPoint& ATopLeft, const TPoint& ABottomRight);
  TPoint OwnerDropDownTopLeft() const { return FDropDownTopLeft; }
  TPoint OwnerDropDownBottomRight() const { return FDropDownBottomRight; }
  // Set when a click on the owner's drop-down area closed the popup, so that the owner does
  // not open it again at once; the owner clears it, and the next Popup does.
  bool GetClosedByClick() const { return FClosedByClick; }
  void SetClosedByClick(bool Value) { FClosedByClick = Value; }
  // Raised while a hook or the popup's own loop closes it.
  bool IsClosingByHook() const { return FClosingByHook; }

  void Popup() override { Popup(nullptr); }
  virtual void Popup(TWinControl* AFocusedControl);
  void ClosePopup() override;
  // Closes the popup the way a hook does (the flag raised), through CloseByHook.
  void CloseFromHook();
  // Posts $8065: the popup closes and the owner control is told it has the focus.
  void PostClose();
  bool IsShown() const;
  // Shown, capturing the focus, and the focused window is the popup or inside it.
  bool Focused() const;
  // Aligned children share the view info's client area once it has been calculated.
  void AdjustClientRect(TRect& ARect) override;

  TNotifyEvent OnClosed;
  TNotifyEvent OnClosing;
  TNotifyEvent OnShowed;
  TNotifyEvent OnShowing;

  // Virtual operations, in the order the popup introduces them.
  // Whether FitToWorkArea may shrink the popup.
  virtual bool AcceptsAnySize() const { return false; }
  virtual void DoClosed();
  virtual void DoClosing();
  virtual void DoShowed();
  virtual bool NeedsEraseBackground() const { return false; }
  virtual void CloseByHook() { ClosePopup(); }
  virtual void StyleChanged(TObject* Sender) { (void)Sender; }
  // Keys a non-modal popup lets through with Alt: page up/down, end, home, arrows, F4.
  virtual bool IsPopupKey(Word AKey) const;
  // Shrinks the popup into the work area from Position when AcceptsAnySize allows it; a
  // popup above its owner moves down by the height it lost.
  virtual void FitToWorkArea(TPoint& APosition, const TRect& AWorkArea);
  virtual TcxContainerStyleClass GetStyleClass() const;
  virtual TcxContainerViewInfoClass GetViewInfoClass() const;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  // Closes the popup when another window of the application takes the activation; when
  // the application itself loses it, the hooks close the popup instead.
  void Deactivate() override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void WndProc(TMessage& Message) override;
  void DoShowing();
  virtual void MouseEnter(TControl* AControl) { (void)AControl; }
  virtual void MouseLeave(TControl* AControl) { (void)AControl; }

 private:
  void DoPopup(TWinControl* AFocusedControl);
  void RunModalLoop();
  // Recreates a window whose creation flags changed; a shown popup shows again afterwards.
  void RecreatePopupWindow();
  void StyleChangedHandler(TObject* Sender) { StyleChanged(Sender); }

  TWinControl* FOwnerControl = nullptr;
  bool FCaptureFocus = true;
  bool FIsTopMost = false;
  bool FModal = true;
  TcxContainerStyle* FStyle = nullptr;
  TcxContainerViewInfo* FViewInfo = nullptr;
  TWinControl* FFocusedControl = nullptr;
  TPoint FDropDownTopLeft{0, 0};
  TPoint FDropDownBottomRight{0, 0};
  bool FClosedByClick = false;
  bool FClosingByHook = false;
  bool FApplicationDeactivating = false;
};

// ---- Shown popups, shared by the popups and the hooks ------------------------------------

// The popups shown now, oldest first.
Integer cxShownPopupCount();
TcxCustomPopupWindow* cxShownPopup(Integer AIndex);
TcxCustomPopupWindow* cxLastShownPopup();
TcxCustomPopupWindow* cxLastClosedPopup();
// Raised while a popup is being shown (and around a closing by a click).
bool cxIsPoppingUp();
// Raised while a popup closes.
bool cxIsPopupClosing();

// ---- Routines of the container unit ------------------------------------------------------

// Wnd lies inside the control (not its own window): a child window, a window of one of its
// windowed children, or of a popup shown for it or for one of them.
bool cxIsDescendantWindow(TWinControl* AControl, HWND AWnd);
// The owner control's window of the first popup found walking up from Wnd; Wnd without one.
HWND cxFindParentPopupOwnerWindow(HWND AWnd);
// The application is active, the control shows under the cursor, and its form counts as
// active (no form, an active form, or the form holding the first shown popup's owner).
bool cxIsControlUnderMouseActive(TControl* AControl);
// The control's container has a popup shown.
bool cxHasShownPopup(TControl* AControl);
// Closes the popups a press on Wnd leaves behind; false when the press is to be discarded.
bool cxClosePopupsOnClick(HWND AWnd, const MOUSEHOOKSTRUCT& AMouseInfo, UINT AMessage);
// The next message to Wnd is answered 1 without reaching its procedure. A window already
// armed stays armed once.
void cxSwallowNextWindowMessage(HWND AWnd);
// The unit's screen canvas (nullptr outside start-up and shut-down).
TcxScreenCanvas* cxScreenCanvas();

// Counted: the first start-up looks up GetScrollBarInfo, registers the style controller
// class, installs the three popup hooks of the thread and makes the screen canvas; the last
// shut-down undoes it.
void cxContainerStartUp();
void cxContainerShutDown();

namespace cxPopupDetail {
// AWnd is AOuter or one of its child windows.
inline bool IsWindowInside(HWND AOuter, HWND AWnd) {
  return AOuter && AWnd && (AWnd == AOuter || IsChild(AOuter, AWnd));
}
// For the hooks of the container unit only.
void SetPoppingUp(bool Value);
void ClearShownPopups();
}  // namespace cxPopupDetail
