// Edit-button drawing: the width a button needs, the theme part and state of a native
// button, its frame and background in each button style, and its content by kind. The
// primitives come from the editor painting utilities.
#pragma once

#include "widgets/editcore/cxEditButtons.h"
#include "widgets/foundation/cxGraphics.h"

class TcxCustomEditProperties;
class TcxCustomEditViewInfo;

// Horizontal border size of a button: 4 without a theme; with one, what the theme keeps
// around the content of a 100 × 100 button.
Integer cxGetNativeEditButtonBorderWidth(TcxCanvas& ACanvas, const TcxEditButtonViewInfo& AViewInfo);
// Vertical counterpart; without a theme by the button's style: 0, 4 for 3D, else 2.
Integer cxGetEditButtonBordersHeight(TcxCanvas& ACanvas, const TcxEditButtonViewInfo& AViewInfo);
// A native mark stays only when the theme the button needs is there. Width when set (at
// least the border size); else glyph width plus border, caption width plus border plus 3
// (at least the scroll-bar arrow size), or the scroll-bar arrow size.
Integer cxGetEditButtonWidth(TcxCanvas& ACanvas, TcxEditButtonViewInfo& AViewInfo);
// Theme part (0 without a theme) and state of the button, and whether the theme's
// background is partly transparent.
void cxCalcNativeButtonPartAndState(TcxEditButtonViewInfo& AViewInfo);
bool cxEditHasButtons(TcxCustomEditProperties* AProperties, bool AFlag);
// The theme's region of a native button, else its bounds; the caller frees it.
TcxRegion* cxGetEditButtonRegion(TcxCanvas& ACanvas, const TcxEditButtonViewInfo& AViewInfo);
// The ultra-flat (or Office11) painter's button colour, pressed or hot.
TColor cxGetEditButtonHighlightColor(bool APressed, bool AIsOffice11);

// Frame and background in the button's style, then the content.
void cxDrawEditButton(TcxCanvas& ACanvas, TcxCustomEditViewInfo& AViewInfo, Integer AButtonVisibleIndex);
// The content by kind inside R on ABackgroundColor (none when native or transparent);
// disabled content twice, highlight at +1,+1 then shadow.
void cxDrawEditButtonContent(TcxCanvas& ACanvas, TcxCustomEditViewInfo& AViewInfo, Integer AButtonVisibleIndex,
                             const TRect& R, TColor ABackgroundColor, TColor ATextColor);
