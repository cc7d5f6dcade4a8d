// Glyph and frame helpers the painter families share.
#pragma once

#include "widgets/foundation/cxLookAndFeelPainters.h"

// Solid fill; nothing for an empty rect or clNone.
void cxFillRectColor(TcxCanvas& ACanvas, const TRect& R, TColor AColor);
// A filled triangle with brush and pen in the colour.
void cxDrawTriangle(TcxCanvas& ACanvas, const TcxArrowPoints& P, TColor AColor);
// A 1-pixel line, end point excluded.
void cxDrawLine(TcxCanvas& ACanvas, Integer X1, Integer Y1, Integer X2, Integer Y2, TColor AColor);
void cxDrawPlusMinus(TcxCanvas& ACanvas, const TRect& R, bool AExpanded, TColor AColor);
void cxDrawSortingMarkGlyph(TcxCanvas& ACanvas, const TRect& R, TPoint ASize, bool AAscending, TColor ADark,
                            TColor ALight);
void cxDrawHeaderArrowsGlyph(TcxCanvas& ACanvas, TRect R, TcxHeaderArrows AArrows, Integer AOffset,
                             Integer ABorderSize, TColor AColor);
void cxDrawDoubleChevron(TcxCanvas& ACanvas, const TRect& R, bool AExpanded, TColor AColor);
void cxDrawCheckMark(TcxCanvas& ACanvas, const TRect& R, TColor AColor);
// The close cross for a button ASize wide.
void cxDrawCross(TcxCanvas& ACanvas, const TRect& R, Integer ASize, bool APressed, TColor AColor);
// One ring of a two-colour frame, then R moves in by one (never past empty).
void cxDrawRing(TcxCanvas& ACanvas, TRect& R, TColor ALeftTop, TColor ARightBottom,
                TcxBorders ABorders = cxBordersAll);
