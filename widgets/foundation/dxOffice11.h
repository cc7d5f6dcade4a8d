// The Office11 colour set: three palettes for the colour variants of the default visual
// style, colours mixed from the system colours otherwise; the brushes and bitmaps made
// from them; colour arithmetic and the small drawing routines of that look.
#pragma once

#include "classlib/core/Enums.h"
#include "platform/kernel/Types.h"

class TBitmap;

TL_ENUM(TOffice11Scheme, schUnknown, schNormalColor, schHomestead, schMetallic);

// Every colour is a plain RGB value ($BBGGRR).
struct TdxOffice11Colors {
  COLORREF GradientLight, GradientDark, Face, PainterColor4, BlendSource5, BlendSource12;
  COLORREF DotDark, DotLight, PainterColor15, PainterColor16, PainterColor17, PainterColor19;
  COLORREF SelectionFrame, HotLight, HotDark, PressedLight, PressedDark, Text, DisabledText;
  COLORREF PainterColor33, PainterColor34, PainterColor35, PainterColor36;
  COLORREF HighlightEdge, SchemeBlend, ExpandButtonFrame, ExpandButtonSign;
};

// Counted: the first set-up calculates the colours and makes brushes and bitmaps, the
// last tear-down frees them.
void cxOffice11SetUp();
void cxOffice11TearDown();
// Recalculates the colours; remakes brushes and bitmaps when set up.
void cxOffice11Refresh();

TOffice11Scheme cxGetOffice11Scheme();
bool cxIsOffice11SchemeThemed();
const TdxOffice11Colors& cxOffice11Colors();
Integer cxOffice11TwoStageGradientPercent();
// The brushes and bitmaps; null while not set up. A bitmap missing from the resources
// is empty.
HBRUSH cxOffice11DotDarkBrush();
HBRUSH cxOffice11DotLightBrush();
HBRUSH cxOffice11SelectionFrameBrush();
TBitmap* cxOffice11SubMenuExpandBitmap();
TBitmap* cxOffice11ExpandButtonMinusBitmap();
TBitmap* cxOffice11ExpandButtonPlusBitmap();

// The scheme the current visual style asks for.
TOffice11Scheme cxDetectOffice11Scheme();

// Colour arithmetic. Colours may be system colours; components are clamped to 0..255.
TColor cxBlendColors(TColor AColor1, TColor AColor2, Integer APercent);
TColor cxScaleColor(TColor AColor, Integer APercent);
TColor cxLightenColor(TColor AColor, Integer APercent);
TColor cxMixSystemColors(Integer AFaceWeight, Integer AHighlightWeight, Integer AWindowWeight);
TColor cxGetNearestScreenColor(TColor AColor);

bool cxIsBtnFaceBlack();
bool cxIsBtnFaceWhite();
bool cxIsBlackFaceWithColoredText();

void cxFillGradientRect(HDC DC, const TRect& R, TColor AColor1, bool AHorizontal, TColor AColor2);
void cxFillTwoStageGradientRect(HDC DC, const TRect& R, TColor AColor1, bool AHorizontal, TColor AColor2);
TColor cxGetGradientColorAt(const TRect& R, Integer APosition, TColor AColor1, bool AHorizontal,
                            TColor AColor2);
void cxFillRectColor(HDC DC, const TRect& R, TColor AColor);
void cxFrameRectColor(HDC DC, const TRect& R, TColor AColor);
void cxFrameSelectionRect(HDC DC, const TRect& R);
void cxDrawDotRow(HDC DC, const TRect& R, bool AVertical);
void cxDrawSizeGripDots(HDC DC, const TRect& R);
void cxDrawOffice11Arrow(HDC DC, const TRect& R, bool ADown, bool ADisabled, bool ASelected);

// Recolours the submenu bitmap from one colour to the other by each pixel's red value;
// the top-left pixel's colour and black stay.
void cxRecolorOffice11Bitmap(TBitmap* ABitmap, TColor ALight, TColor ADark);

namespace dxOffice11 {
void Initialize();
void Finalize();
}  // namespace dxOffice11
