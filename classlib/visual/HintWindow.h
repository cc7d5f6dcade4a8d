// Hints: the record a control receives with CM_HINTSHOW, the hint window the application
// shows after the mouse rests over a control, and the short part of a hint text.
#pragma once

#include "classlib/visual/Controls.h"

// What the application is about to show; CM_HINTSHOW carries a pointer to it as its
// LParam, and a control may change any field. A non-zero answer cancels the hint.
struct THintInfo {
  TControl* HintControl = nullptr;
  // Screen position of the hint window's top-left corner.
  TPoint HintPos;
  // Width at which the text wraps.
  Integer HintMaxWidth = 0;
  TColor HintColor = clInfoBk;
  // While the mouse stays inside (client coordinates of HintControl) the hint stays and no
  // new one is asked for.
  TRect CursorRect;
  // The mouse, in client coordinates of HintControl.
  TPoint CursorPos;
  // Milliseconds before the hint is asked for again although the mouse has not moved
  // (0: not asked again).
  Integer ReshowTimeout = 0;
  // Milliseconds the hint stays up (0 or less: until the mouse leaves).
  Integer HideTimeout = 0;
  String HintStr;
  void* HintData = nullptr;
};

// The part of a hint before the first "|" (all of it when there is none).
String GetShortHint(const String& Hint);

// A top-level popup that shows a hint text: the system's hint colours and font, a thin
// frame, never activated, never in the way of the mouse.
class THintWindow : public TCustomControl {
  TL_CLASS(THintWindow, TCustomControl)
 public:
  explicit THintWindow(TComponent* AOwner);

  // The window rectangle (at the origin) that shows AHint wrapped at MaxWidth.
  virtual TRect CalcHintRect(Integer MaxWidth, const String& AHint);
  // Shows AHint in Rect (screen coordinates), moved so that it lies on the screen.
  virtual void ActivateHint(TRect Rect, const String& AHint);
  // Hides the window; it is kept for the next hint.
  void ReleaseHint();
  bool IsHintShown() const { return FShown; }

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
  void WMNCHitTest(TMessage& Message);

 private:
  bool FShown = false;
};
