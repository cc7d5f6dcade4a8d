// Small shared pieces for controls: colour-name tables, rectangle helpers, colour
// arithmetic, lenient parsers of numbers and colours from text, and text tests.
#pragma once

#include "classlib/core/Variants.h"
#include "classlib/visual/Controls.h"
#include "classlib/visual/Graphics.h"
#include "platform/kernel/Types.h"
#include "widgets/foundation/cxClasses.h"

#include <array>

// ---- Control hook ----

class TcxControlHookProc;

// Subclasses a window control's window procedure: messages reach WndProc first, which
// hands them on to the procedure that was there before. Unhooking restores that procedure
// only while this hook is still the window's procedure; when another procedure has been
// installed on top since, this hook's link in the chain stays in place and passes every
// message straight on, so the other procedure and the control's own handling keep working.
class TcxControlHook : public TObject {
  TL_CLASS(TcxControlHook, TObject)
 public:
  TcxControlHook();
  void BeforeDestruction() override;
  ~TcxControlHook() override;

  TWinControl* GetControl() const { return FControl; }
  virtual void SetControl(TWinControl* Value);
  // The message goes on to the saved procedure (or the control's default one); after
  // WM_DESTROY the hook removes itself.
  virtual void WndProc(TMessage& Message);
  virtual void HookControl();
  virtual void UnhookControl();

  bool IsHooked() const { return FOldWndProc != nullptr; }
  WNDPROC NewWndProc() const;
  WNDPROC OldWndProc() const { return FOldWndProc; }
  bool Destroying() const { return FDestroying; }

 private:
  TWinControl* FControl = nullptr;
  TcxControlHookProc* FNewWndProc = nullptr;
  WNDPROC FOldWndProc = nullptr;
  bool FDestroying = false;
  HWND FWnd = nullptr;   // the window of the message being handled
  friend class TcxControlHookProc;
};

// ---- Drawing and measuring ----

// A frame inside R (edges included): the left and top edges in ALeftTopColor, the right
// and bottom edges in ARightBottomColor; R then shrinks by 1 on every side.
void cxDrawTwoColorFrame(TCanvas* ACanvas, TRect& R, TColor ALeftTopColor, TColor ARightBottomColor);
void cxDrawLine(TCanvas* ACanvas, const TPoint& P1, const TPoint& P2, TColor AColor);
// Flags for drawing text: ABase with the entries for the alignments and switches, either
// the platform's DT_ flags (AUseDrawTextFlags) or the canvas's own text flags. A positive
// tab count adds DT_TABSTOP | DT_EXPANDTABS (192), or 256 in the canvas's flags.
Integer cxMakeDrawTextFlags(Integer ABase, TAlignment AHorz, TcxAlignmentVert AVert, bool AEndEllipsis,
                            bool AWordWrap, bool AShowPrefix, Integer ATabCount, bool AUseDrawTextFlags);
// The height of "Wg", the width of S, and the widest line of a multi-line S plus 1, in AFont.
Integer cxGetFontTextHeight(TFont* AFont);
Integer cxGetFontTextWidth(TFont* AFont, const String& S);
Integer cxGetWidestLineWidth(TFont* AFont, const String& S);
// Paints into DC, in AControl's client coordinates, what its parent shows behind it
// (WM_ERASEBKGND and WM_PAINT sent to the parent), or only AControl's own background
// when it has no parent or AFromParent is off; then AControl's graphic children.
void cxPaintControlBackground(TWinControl* AControl, HDC DC, bool AFromParent = true);
// Assigns AFont to the canvas; a TrueType font at an angle (degrees, taken into 0..359)
// other than 0 is recreated with that escapement. Answers whether the font is TrueType.
bool cxAssignRotatedFont(TCanvas* ACanvas, TFont* AFont, Integer AAngle);

// ---- Colour names ----

struct TcxWebColor {
  const char* Name;
  TColor Value;
};

// The class library's colour constants, clBlack to clWindowText.
extern const std::array<const char*, 52> cxColorConstNames;
// Black, Silver, Gray, White, Maroon, Red, Purple, Fuchsia, Green, Lime, Olive, Yellow,
// Navy, Blue, Teal, Aqua.
extern const std::array<const char*, 16> cxBasicColorNames;
// The web colour keywords in alphabetical order, with their values.
extern const std::array<TcxWebColor, 140> cxWebColors;
// The same names grouped by hue, from LightPink to Black.
extern const std::array<const char*, 140> cxWebColorNamesByHue;

// ---- Rectangles ----

// Width and height, 0 when negative.
Integer cxClampedRectWidth(const TRect& R);
Integer cxClampedRectHeight(const TRect& R);
// Adds an amount to each side: Left += ALeft, Top += ATop, Right += ARight, Bottom += ABottom.
void cxExtendRect(TRect& R, Integer ALeft, Integer ATop, Integer ARight, Integer ABottom);
// The offset that centres ASize vertically in R (the larger half when the space left is odd),
// and the outer size that goes with it: 2 * offset + 2 + ASize.
Integer cxCenteredOffset(const TRect& R, Integer ASize);
Integer cxCenteredOuterSize(const TRect& R, Integer ASize);

// ---- Colours ----

// AColor (system colours resolved) with the amounts added to red, green and blue, each
// component kept within 0..255.
TColor cxAddToColor(TColor AColor, Integer ARed, Integer AGreen, Integer ABlue);
// "r.g.b": up to three decimal fields; a missing or malformed field is 0 and each is
// kept within 0..255, so "300.0.0" is full red rather than a wrapped value.
TColor cxRGBStringToColor(const String& S);
// The text's hexadecimal digits in pairs: red, green, blue. A missing pair is 0, a
// pair of one digit is that digit's value ("#FF8" is red 255, green 8, blue 0).
TColor cxHexStringToColor(const String& S);

// ---- Numbers and text ----

// The trimmed text is an integer.
bool cxIsIntegerText(const String& S);
// The trimmed text has digits, at most one decimal separator and a "-" only in front, and
// its magnitude is at most 1.7e308. "-" alone is not a number.
bool cxIsNumberText(const String& S);
// Lenient readers: the text's digits (and, for floats, the decimal separator) with a "-"
// only in front; other characters are skipped, or end the number when AStopAtInvalid is
// set. Text with no digits, or a value out of range, reads as 0.
Integer cxStrToIntLenient(const String& S, bool AStopAtInvalid = false);
double cxStrToFloatLenient(const String& S, bool AStopAtInvalid = false);
bool cxVarIsNullOrEmpty(const Variant& V);
// The AIndex-th part (from 1) of S split at ASeparator; "" beyond the parts or for AIndex < 1.
String cxGetToken(const String& S, Char ASeparator, Integer AIndex);
// "1" for 1, "2" for 2, "0" for any other value.
String cxDigitText(Integer AValue);
