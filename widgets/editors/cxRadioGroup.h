// The library's radio button: a class-library radio button whose glyph the look-and-feel
// painters (or the platform's visual style) draw, with hot and pressed states that follow
// the mouse, transparency, word wrap and a popup menu.
#pragma once

#include "classlib/visual/StdCtrls.h"
#include "widgets/foundation/cxControls.h"
#include "widgets/foundation/cxGraphics.h"
#include "widgets/foundation/cxLookAndFeels.h"

// The glyph's look as the mouse and the enabled state leave it.
TL_ENUM(TcxRadioButtonState, rbsDisabled, rbsHot, rbsNormal, rbsPressed);

class TcxRadioButton : public TRadioButton, public IcxMouseTrackingCaller {
  TL_CLASS(TcxRadioButton, TRadioButton)
 public:
  explicit TcxRadioButton(TComponent* AOwner);
  ~TcxRadioButton() override;
  void BeforeDestruction() override;

  TcxLookAndFeel* GetLookAndFeel() const { return FLookAndFeel; }
  void SetLookAndFeel(TcxLookAndFeel* Value) { FLookAndFeel->Assign(Value); }
  TComponent* GetPopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TComponent* Value);
  bool GetParentBackground() const { return FParentBackground; }
  void SetParentBackground(bool Value);
  bool GetTransparent() const { return FTransparent; }
  void SetTransparent(bool Value);
  bool GetWordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);

  TcxRadioButtonState GetVisualState() const { return FState; }
  // Where the glyph went at the last paint.
  TRect GetGlyphRect() const { return FGlyphRect; }
  // Native painting: asked for and the button theme can be drawn.
  bool IsNativeStyle() const;
  // Paints the whole button onto ACanvas at (0, 0), as the window would.
  void PaintTo(TcxCanvas& ACanvas, bool AFocused);

  virtual bool DoShowPopupMenu(TComponent* AMenu, Integer X, Integer Y);

 protected:
  // True for the button that stands for one item of a radio group.
  virtual bool IsInplace() const { return false; }
  // Whether the check being made now is the button's own activation.
  bool IsActivating() const { return FActivating; }

  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Activate() override;
  void MouseLeave() override;

  void UpdateState(const TPoint& P, bool AButtonHeld);
  void UpdateStateFromCursor();

  void CNDrawItem(TMessage& Message);
  void CNMeasureItem(TMessage& Message);
  void CNKeyDown(TMessage& Message);
  void BMSetCheck(TMessage& Message);
  void CMMouseEnter(TMessage& Message);
  void CMMouseLeave(TMessage& Message);
  void CMEnabledChanged(TMessage& Message);
  void WMCaptureChanged(TMessage& Message);
  void WMContextMenu(TMessage& Message);
  void WMEraseBkgnd(TMessage& Message);
  void WMMouse(TMessage& Message);
  void WMWindowPosChanged(TMessage& Message);

 private:
  void LookAndFeelChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues);
  void SetVisualState(TcxRadioButtonState Value);

  TCanvas* FCanvas;
  TcxCanvas* FcxCanvas;
  TcxLookAndFeel* FLookAndFeel;
  TComponent* FPopupMenu = nullptr;
  TcxRadioButtonState FState = TcxRadioButtonState::rbsNormal;
  bool FTransparent = false;
  bool FParentBackground = true;
  bool FWordWrap = false;
  bool FActivating = false;
  TRect FGlyphRect{};
};

namespace cxRadioGroup {
void Initialize();
void Finalize();
}  // namespace cxRadioGroup
