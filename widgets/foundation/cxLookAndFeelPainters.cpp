// The neutral defaults every family starts from, the shared glyph geometry and the family
// instances.
#include "widgets/foundation/cxLookAndFeelPainters.h"

#include "platform/kernel/Arith.h"
#include "widgets/foundation/cxLookAndFeelPainterImages.h"
#include "widgets/foundation/cxPainterGlyphs.h"

#include <algorithm>

// ---- glyph helpers shared by the families ----

void cxFillRectColor(TcxCanvas& ACanvas, const TRect& R, TColor AColor) {
  if (R.IsEmpty() || AColor == clNone) return;
  ACanvas.GetBrush()->SetStyle(TBrushStyle::bsSolid);
  ACanvas.SetBrushColor(AColor);
  ACanvas.FillRect(R);
}

void cxDrawTriangle(TcxCanvas& ACanvas, const TcxArrowPoints& P, TColor AColor) {
  ACanvas.GetBrush()->SetStyle(TBrushStyle::bsSolid);
  ACanvas.SetBrushColor(AColor);
  ACanvas.GetPen()->SetColor(AColor);
  ACanvas.Polygon({P[0], P[1], P[2]});
}

void cxDrawLine(TcxCanvas& ACanvas, Integer X1, Integer Y1, Integer X2, Integer Y2, TColor AColor) {
  ACanvas.GetPen()->SetColor(AColor);
  ACanvas.MoveTo(X1, Y1);
  ACanvas.LineTo(X2, Y2);
}

void cxDrawPlusMinus(TcxCanvas& ACanvas, const TRect& R, bool AExpanded, TColor AColor) {
  if (R.IsEmpty()) return;
  // Floor halves keep the sign centred for rects left of or above the origin.
  auto floorHalf = [](Integer v) { return v >= 0 ? v / 2 : -((-v + 1) / 2); };
  const Integer cx = floorHalf(R.Left + R.Right);
  const Integer cy = floorHalf(R.Top + R.Bottom);
  const Integer n = std::max<Integer>(0, (R.Width() - 4) / 2);
  cxFillRectColor(ACanvas, Rect(cx - n, cy, cx + n + 1, cy + 1), AColor);
  if (!AExpanded) cxFillRectColor(ACanvas, Rect(cx, cy - n, cx + 1, cy + n + 1), AColor);
}

void cxDrawSortingMarkGlyph(TcxCanvas& ACanvas, const TRect& R, TPoint ASize, bool AAscending, TColor ADark,
                            TColor ALight) {
  const Integer w = ASize.X, h = ASize.Y;
  if (w <= 0 || h <= 0 || R.IsEmpty()) return;
  const bool even = w % 2 == 0;
  const Integer cx = (R.Left + R.Right) / 2 - (even ? 1 : 0);
  const Integer half = w / 2;
  const Integer half2 = half - (even ? 1 : 0);
  const Integer d = AAscending ? 1 : -1;
  const Integer y0 = AAscending ? (R.Top + R.Bottom - h) / 2 : (R.Top + R.Bottom + h) / 2 - 1;
  const TPoint apex{cx + half - half2, y0};
  ACanvas.GetPen()->SetColor(ALight);
  ACanvas.MoveTo(cx + half, y0 + d * (h - 2));
  ACanvas.LineTo(apex.X, apex.Y);
  ACanvas.LineTo(cx + half, y0 + d * (h - 1));
  ACanvas.GetPen()->SetColor(AAscending ? ALight : ADark);
  ACanvas.LineTo(cx - half2, y0 + d * (h - 1));
  ACanvas.GetPen()->SetColor(ADark);
  ACanvas.LineTo(apex.X, apex.Y);
  ACanvas.LineTo(cx - half2, y0 + d * (h - (w % 2)));
}

void cxDrawHeaderArrowsGlyph(TcxCanvas& ACanvas, TRect R, TcxHeaderArrows AArrows, Integer AOffset,
                             Integer ABorderSize, TColor AColor) {
  if (AArrows == TcxHeaderArrows::haNone) return;
  R.Top += ABorderSize;
  R.Top += 1;
  R.Bottom -= 1;
  if (R.IsEmpty()) return;
  Integer h = (R.Bottom - R.Top) / 2;
  if (h % 2 == 0) h += 1;
  const Integer y0 = (R.Top + R.Bottom - h) / 2 - 1;
  const Integer depth = h / 2 + 1;
  if (AArrows == TcxHeaderArrows::haLeft || AArrows == TcxHeaderArrows::haBoth) {
    const Integer x = R.Left + AOffset - 1;
    cxDrawTriangle(ACanvas, {TPoint{x, y0}, TPoint{x, y0 + h + 1}, TPoint{x - depth, y0 + h / 2 + 1}}, AColor);
  }
  if (AArrows == TcxHeaderArrows::haRight || AArrows == TcxHeaderArrows::haBoth) {
    const Integer x = R.Right - AOffset + 1;
    cxDrawTriangle(ACanvas, {TPoint{x, y0}, TPoint{x, y0 + h + 1}, TPoint{x + depth, y0 + h / 2 + 1}}, AColor);
  }
}

void cxDrawRing(TcxCanvas& ACanvas, TRect& R, TColor ALeftTop, TColor ARightBottom, TcxBorders ABorders) {
  if (R.IsEmpty()) return;
  ACanvas.DrawComplexFrame(R, ALeftTop, ARightBottom, ABorders, 1);
  // A rect too small for another ring stays where it is rather than inverting.
  if (R.Width() > 2 && R.Height() > 2) InflateRect(&R, -1, -1);
  else R = Rect(R.Left, R.Top, R.Left, R.Top);
}

// ---- the neutral defaults ----

void TcxCustomLookAndFeelPainter::DrawDropDownGlyph(TcxCanvas& ACanvas, const TRect& R, TColor AColor) const {
  if (R.IsEmpty()) return;
  Integer w = R.Width() / 2;
  if (w % 2 == 0) w += 1;
  const Integer h = w / 2 + 1;
  const Integer y = MulDiv(R.Top + R.Bottom - h, 1, 2);
  const TPoint p1{(R.Left + R.Right - w) / 2, y};
  cxDrawTriangle(ACanvas, {p1, TPoint{p1.X + w - 1, y}, TPoint{(R.Left + R.Right - 1) / 2, y + h - 1}}, AColor);
}

void TcxCustomLookAndFeelPainter::DrawContent(TcxCanvas& ACanvas, const TRect& ABounds,
                                              const TRect& ATextAreaBounds, Integer /*AState*/,
                                              TAlignment AAlignmentHorz, TcxAlignmentVert AAlignmentVert,
                                              bool AMultiLine, bool AShowEndEllipsis, const String& AText,
                                              TFont* AFont, TColor ATextColor, TColor ABkColor,
                                              const TcxDrawBackgroundEvent& AOnDrawBackground,
                                              bool /*AIsLast*/) const {
  if (!(AOnDrawBackground && AOnDrawBackground(ACanvas, ABounds))) cxFillRectColor(ACanvas, ABounds, ABkColor);
  if (AText.empty()) return;
  ACanvas.GetBrush()->SetStyle(TBrushStyle::bsClear);
  if (AFont) ACanvas.SetFont(AFont);
  if (ATextColor != clNone && ATextColor != clDefault) ACanvas.GetFont()->SetColor(ATextColor);
  ACanvas.DrawText(AText, ATextAreaBounds,
                   cxAlignmentsHorz[static_cast<int>(AAlignmentHorz)] |
                       cxAlignmentsVert[static_cast<int>(AAlignmentVert)] | cxMultiLine[AMultiLine ? 1 : 0] |
                       cxEndEllipsis[AShowEndEllipsis ? 1 : 0],
                   true);
  ACanvas.GetBrush()->SetStyle(TBrushStyle::bsSolid);
}

TRect TcxCustomLookAndFeelPainter::SunkenBoxContentBounds(const TRect& R) const {
  TRect Result = R;
  InflateRect(&Result, -SunkenFrameWidth(), -SunkenFrameWidth());
  return Result;
}

TRect TcxCustomLookAndFeelPainter::SunkenBoxTextBounds(const TRect& R) const {
  TRect Result = SunkenBoxContentBounds(R);
  InflateRect(&Result, -2, -2);
  return Result;
}

TcxLookAndFeelStyle TcxCustomLookAndFeelPainter::LookAndFeelStyle() const { return TcxLookAndFeelStyle::lfsStandard; }
Integer TcxCustomLookAndFeelPainter::DefaultValue5() const { return 0; }
Integer TcxCustomLookAndFeelPainter::DefaultValue6() const { return 0; }
Integer TcxCustomLookAndFeelPainter::DefaultValue7() const { return 0; }

TColor TcxCustomLookAndFeelPainter::DefaultColor8() const { return 0xCFCFCF; }
TColor TcxCustomLookAndFeelPainter::DefaultColor9() const { return 0xFFFFFF; }
TColor TcxCustomLookAndFeelPainter::DefaultColor10() const { return clBtnShadow; }
TColor TcxCustomLookAndFeelPainter::DefaultColor11() const { return 0xF0CAA6; }
TColor TcxCustomLookAndFeelPainter::DefaultColor12() const { return 0x800000; }
TColor TcxCustomLookAndFeelPainter::DefaultColor13() const { return 0xFF0000; }
TColor TcxCustomLookAndFeelPainter::DefaultColor14() const { return clBtnShadow; }
TColor TcxCustomLookAndFeelPainter::DefaultColor15() const { return clWindowText; }
TColor TcxCustomLookAndFeelPainter::DefaultColor16() const { return clWindowText; }
TColor TcxCustomLookAndFeelPainter::DefaultColor17() const { return clWindowText; }
TColor TcxCustomLookAndFeelPainter::DefaultColor18() const { return clWindow; }
TColor TcxCustomLookAndFeelPainter::DefaultColor19() const { return clWindow; }
TColor TcxCustomLookAndFeelPainter::DefaultColor20() const { return clWindow; }
TColor TcxCustomLookAndFeelPainter::DefaultColor21() const { return clWindowText; }
TColor TcxCustomLookAndFeelPainter::DefaultColor22() const { return clWindow; }
TColor TcxCustomLookAndFeelPainter::DefaultColor23() const { return clWindowText; }
TColor TcxCustomLookAndFeelPainter::DefaultColor24() const { return clBtnShadow; }
TColor TcxCustomLookAndFeelPainter::DefaultColor25() const { return clBtnHighlight; }
TColor TcxCustomLookAndFeelPainter::DefaultColor26() const { return clBtnText; }
TColor TcxCustomLookAndFeelPainter::DefaultColor27() const { return clBtnFace; }
TColor TcxCustomLookAndFeelPainter::DefaultColor28() const { return clBtnText; }
TColor TcxCustomLookAndFeelPainter::DefaultColor29() const { return clBtnShadow; }
TColor TcxCustomLookAndFeelPainter::DefaultColor30() const { return clBtnFace; }
TColor TcxCustomLookAndFeelPainter::DefaultColor31() const { return clBtnText; }
TColor TcxCustomLookAndFeelPainter::DefaultColor32() const { return clBtnShadow; }
TColor TcxCustomLookAndFeelPainter::DefaultColor33() const { return clBtnFace; }
TColor TcxCustomLookAndFeelPainter::DefaultColor34() const { return clBtnFace; }
TColor TcxCustomLookAndFeelPainter::DefaultColor35() const { return clBtnText; }
TColor TcxCustomLookAndFeelPainter::DefaultColor36() const { return clBtnShadow; }
TColor TcxCustomLookAndFeelPainter::DefaultColor37() const { return clBtnFace; }
TColor TcxCustomLookAndFeelPainter::DefaultColor38() const { return clBtnFace; }
TColor TcxCustomLookAndFeelPainter::DefaultColor39() const { return clBtnText; }
TColor TcxCustomLookAndFeelPainter::DefaultColor40() const { return 0xFF0000; }
TColor TcxCustomLookAndFeelPainter::DefaultColor41() const { return DefaultColor29(); }
TColor TcxCustomLookAndFeelPainter::DefaultColor42() const { return clBtnFace; }
TColor TcxCustomLookAndFeelPainter::DefaultColor43() const { return clHighlight; }
TColor TcxCustomLookAndFeelPainter::DefaultColor44() const { return clHighlightText; }
TColor TcxCustomLookAndFeelPainter::DefaultColor45() const { return clWindow; }
TColor TcxCustomLookAndFeelPainter::DefaultColor46() const { return clWindowText; }
TColor TcxCustomLookAndFeelPainter::DefaultColor47() const { return 0x0000FF; }
TColor TcxCustomLookAndFeelPainter::DefaultColor48() const { return clBtnFace; }
TColor TcxCustomLookAndFeelPainter::DefaultColor49() const { return 0xD5FFFF; }
TColor TcxCustomLookAndFeelPainter::DefaultColor50() const { return clWindowText; }
TColor TcxCustomLookAndFeelPainter::DefaultColor51() const { return clHighlight; }
TColor TcxCustomLookAndFeelPainter::DefaultColor52() const { return clHighlightText; }
TColor TcxCustomLookAndFeelPainter::DefaultColor53() const { return clBtnFace; }
TColor TcxCustomLookAndFeelPainter::DefaultColor54() const { return clBtnFace; }
TColor TcxCustomLookAndFeelPainter::DefaultColor55() const { return clBtnText; }
TColor TcxCustomLookAndFeelPainter::DefaultColor56() const { return clBtnFace; }
TColor TcxCustomLookAndFeelPainter::DefaultColor57() const { return 0xFFFFFF; }
TColor TcxCustomLookAndFeelPainter::DefaultColor58() const { return 0x000000; }
TColor TcxCustomLookAndFeelPainter::DefaultColor59() const { return clBtnFace; }
TColor TcxCustomLookAndFeelPainter::DefaultColor60() const { return clBtnText; }
TColor TcxCustomLookAndFeelPainter::DefaultColor61() const { return 0xFFFFFF; }

void TcxCustomLookAndFeelPainter::DrawArrow(TcxCanvas& ACanvas, const TRect& R, TcxArrowDirection ADirection,
                                            TColor AColor) const {
  if (R.IsEmpty()) return;
  cxDrawTriangle(ACanvas, CalculateArrowPoints(R, ADirection, true), AColor);
}

void TcxCustomLookAndFeelPainter::DrawScrollBarArrow(TcxCanvas& ACanvas, TRect R, TcxButtonState AState,
                                                     TcxArrowDirection ADirection, bool ADrawAsButton) const {
  if (R.IsEmpty()) return;
  const TcxArrowPoints P = CalculateArrowPoints(R, ADirection, false);
  if (ADrawAsButton) DrawPlainButton(ACanvas, R, AState);
  else cxFillRectColor(ACanvas, R, ButtonColor(AState));
  cxDrawTriangle(ACanvas, P, ButtonSymbolColor(AState, clDefault));
}

void TcxCustomLookAndFeelPainter::DrawPlainButton(TcxCanvas& ACanvas, const TRect& R, TcxButtonState AState) const {
  cxFillRectColor(ACanvas, R, ButtonColor(AState));
  DrawButtonBorder(ACanvas, R, AState);
}

void TcxCustomLookAndFeelPainter::DrawButtonArrow(TcxCanvas& ACanvas, const TRect& R, TcxButtonState AState,
                                                  TcxArrowDirection ADirection) const {
  if (R.IsEmpty()) return;
  TRect Bounds = R;
  if (AState == TcxButtonState::cxbsPressed) OffsetRect(&Bounds, ButtonTextShift(), ButtonTextShift());
  TcxArrowPoints P = CalculateArrowPoints(Bounds, ADirection, true);
  if (AState == TcxButtonState::cxbsDisabled) {
    TcxArrowPoints Shifted = P;
    for (TPoint& Pt : Shifted) Pt = {Pt.X + 1, Pt.Y + 1};
    cxDrawTriangle(ACanvas, Shifted, clBtnHighlight);
    cxDrawTriangle(ACanvas, P, clBtnShadow);
  } else {
    cxDrawTriangle(ACanvas, P, ButtonSymbolColor(AState, clDefault));
  }
}

Integer TcxCustomLookAndFeelPainter::BorderSize() const { return 0; }
void TcxCustomLookAndFeelPainter::DrawBorder(TcxCanvas&, TRect) const {}
TRect TcxCustomLookAndFeelPainter::ButtonDrawBounds(const TRect& R) const { return R; }
Integer TcxCustomLookAndFeelPainter::ButtonBorderSize(TcxButtonState) const { return 0; }
TColor TcxCustomLookAndFeelPainter::ButtonColor(TcxButtonState) const { return clBtnFace; }

TRect TcxCustomLookAndFeelPainter::ButtonContentBounds(const TRect& R) const {
  TRect Result = R;
  InflateRect(&Result, -4, -4);
  return Result.IsEmpty() ? R : Result;
}

TRect TcxCustomLookAndFeelPainter::ButtonGroupBorderSizes(Integer, Integer) const {
  const Integer n = ButtonBorderSize(TcxButtonState::cxbsNormal);
  return Rect(n, n, n, n);
}

Integer TcxCustomLookAndFeelPainter::ButtonTextOffset() const { return 0; }
Integer TcxCustomLookAndFeelPainter::ButtonTextShift() const { return 0; }

TColor TcxCustomLookAndFeelPainter::ButtonSymbolColor(TcxButtonState AState, TColor ADefaultColor) const {
  if (AState == TcxButtonState::cxbsDisabled) return clBtnShadow;
  return ADefaultColor == clDefault ? clBtnText : ADefaultColor;
}

TcxButtonState TcxCustomLookAndFeelPainter::ButtonSymbolState(TcxButtonState AState) const { return AState; }

void TcxCustomLookAndFeelPainter::DrawButton(TcxCanvas& ACanvas, TRect R, const String& ACaption,
                                             TcxButtonState AState, bool ADrawBorder, TColor AColor,
                                             TColor ATextColor) const {
  if (R.IsEmpty()) return;
  if (ADrawBorder) {
    DrawButtonBorder(ACanvas, R, AState);
    const Integer n = ButtonBorderSize(AState);
    InflateRect(&R, -n, -n);
  }
  cxFillRectColor(ACanvas, R, AColor == clDefault ? ButtonColor(AState) : AColor);
  ACanvas.GetFont()->SetColor(ATextColor == clDefault ? ButtonSymbolColor(AState, clDefault) : ATextColor);
  ACanvas.GetBrush()->SetStyle(TBrushStyle::bsClear);
  if (R.Height() % 2 != 0) R.Bottom -= 1;
  if (R.Height() < 18) R.Top -= 1;
  if (AState == TcxButtonState::cxbsPressed) OffsetRect(&R, ButtonTextShift(), ButtonTextShift());
  if (!ACaption.empty())
    ACanvas.DrawText(ACaption, R, cxAlignHCenter | cxAlignVCenter | cxSingleLine | cxShowPrefix,
                     AState != TcxButtonState::cxbsDisabled);
  ACanvas.GetBrush()->SetStyle(TBrushStyle::bsSolid);
}

void TcxCustomLookAndFeelPainter::DrawButtonInGroup(TcxCanvas& ACanvas, const TRect& R, TcxButtonState AState,
                                                    Integer, Integer, TColor) const {
  DrawButton(ACanvas, R, String(), AState, true, clDefault, clDefault);
}

void TcxCustomLookAndFeelPainter::DrawButtonBorder(TcxCanvas&, TRect, TcxButtonState) const {}
void TcxCustomLookAndFeelPainter::DrawStateFrame(TcxCanvas&, const TRect&, bool, bool) const {}

void TcxCustomLookAndFeelPainter::DrawExpandButton(TcxCanvas&, const TRect&, bool, TColor) const {}
bool TcxCustomLookAndFeelPainter::ExpandButtonOpaque() const { return true; }

void TcxCustomLookAndFeelPainter::DrawGroupExpandButton(TcxCanvas& ACanvas, const TRect& R, bool AExpanded,
                                                        TcxButtonState AState) const {
  if (R.IsEmpty()) return;
  DrawButton(ACanvas, R, String(), AState, true, clDefault, clDefault);
  cxDrawDoubleChevron(ACanvas, R, AExpanded, ButtonSymbolColor(AState, clDefault));
}

void cxDrawDoubleChevron(TcxCanvas& ACanvas, const TRect& R, bool AExpanded, TColor AColor) {
  ACanvas.GetPen()->SetColor(AColor);
  const Integer x0 = (R.Left + R.Right - 7) / 2;
  const Integer y0 = (R.Top + R.Bottom - 8) / 2;
  for (Integer i = y0; i <= y0 + 3; ++i) {
    const Integer y = i < y0 + 2 ? i : i + 2;
    const Integer e = (i - y0) % 2;  // every second row is inset at both ends
    if (AExpanded)
      ACanvas.Polyline({TPoint{x0 + e, y + 3 - e}, TPoint{x0 + 3, y}, TPoint{x0 + 7 - e, y + 4 - e}});
    else
      ACanvas.Polyline({TPoint{x0 + e, y + e}, TPoint{x0 + 3, y + 3}, TPoint{x0 + 7 - e, y + e - 1}});
  }
}

void TcxCustomLookAndFeelPainter::DrawSmallExpandButton(TcxCanvas& ACanvas, const TRect& R, bool AExpanded,
                                                        TColor ABorderColor, TColor AColor) const {
  if (R.IsEmpty()) return;
  ACanvas.FrameRect(R, ABorderColor, cxBordersAll, 1);
  TRect Inner = R;
  InflateRect(&Inner, -1, -1);
  if (AColor != clDefault) cxFillRectColor(ACanvas, Inner, AColor);
  cxDrawPlusMinus(ACanvas, R, AExpanded, clBtnText);
}

Integer TcxCustomLookAndFeelPainter::ExpandButtonSize() const { return 0; }
Integer TcxCustomLookAndFeelPainter::GroupExpandButtonSize() const { return 15; }
bool TcxCustomLookAndFeelPainter::IsScrollBarHotTracked() const { return false; }

bool TcxCustomLookAndFeelPainter::IsPointOverGroupExpandButton(const TRect& R, const TPoint& P) const {
  return P.X >= R.Left && P.X < R.Right && P.Y >= R.Top && P.Y < R.Bottom;
}

Integer TcxCustomLookAndFeelPainter::SmallExpandButtonSize() const { return 9; }

Integer TcxCustomLookAndFeelPainter::CheckBorderSize() const { return 2; }

TColor TcxCustomLookAndFeelPainter::CheckButtonColor(TcxButtonState AState) const {
  switch (AState) {
    case TcxButtonState::cxbsPressed:
    case TcxButtonState::cxbsDisabled:
      return clBtnFace;
    default:
      return clWindow;
  }
}

void TcxCustomLookAndFeelPainter::DrawCheck(TcxCanvas& ACanvas, const TRect& R, TcxButtonState AState,
                                            bool AChecked, TColor AColor) const {
  if (R.IsEmpty()) return;
  cxFillRectColor(ACanvas, R, CheckButtonColor(AState));
  if (AChecked) cxDrawCheckMark(ACanvas, R, AColor);
}

void cxDrawCheckMark(TcxCanvas& ACanvas, const TRect& R, TColor AColor) {
  const Integer w = R.Width() - 2, h = R.Height() - 4;
  if (w <= 0 || h <= 0) return;
  const Integer cx = (R.Left + R.Right) / 2 - 1;
  ACanvas.GetPen()->SetColor(AColor);
  for (Integer k = 0; k < 3; ++k) {
    const Integer y = (R.Top + R.Bottom + h) / 2 - 2 + k;
    ACanvas.Polyline({TPoint{cx - (w / 2 - 1), y - h / 2}, TPoint{cx, y}, TPoint{cx + w / 2 + 2, y - h}});
  }
}

void TcxCustomLookAndFeelPainter::DrawCheckBorder(TcxCanvas&, TRect, TcxButtonState) const {}

void TcxCustomLookAndFeelPainter::DrawCheckButton(TcxCanvas& ACanvas, TRect R, TcxButtonState AState,
                                                  bool AChecked) const {
  if (R.IsEmpty()) return;
  DrawCheckBorder(ACanvas, R, AState);
  InflateRect(&R, -CheckBorderSize(), -CheckBorderSize());
  DrawCheck(ACanvas, R, AState, AChecked, AState == TcxButtonState::cxbsDisabled ? clGrayText : clBtnText);
}

void TcxCustomLookAndFeelPainter::DrawRadioButton(TcxCanvas& ACanvas, Integer X, Integer Y, TcxButtonState AState,
                                                  bool AChecked, bool AFocused, TColor ABrushColor,
                                                  bool AIsDesigning) const {
  cxDrawRadioButtonImage(ACanvas, X, Y, LookAndFeelStyle(), AState, AChecked, AFocused, ABrushColor, AIsDesigning);
}

void TcxCustomLookAndFeelPainter::DrawHeader(TcxCanvas& ACanvas, const TRect& ABounds,
                                             const TRect& ATextAreaBounds, TcxNeighbors ANeighbors,
                                             TcxBorders ABorders, TcxButtonState AState,
                                             TAlignment AAlignmentHorz, TcxAlignmentVert AAlignmentVert,
                                             bool AMultiLine, bool AShowEndEllipsis, const String& AText,
                                             TFont* AFont, TColor ATextColor, TColor ABkColor,
                                             const TcxDrawBackgroundEvent& AOnDrawBackground, bool AIsLast) const {
  if (ABounds.IsEmpty()) return;
  DrawHeaderBorder(ACanvas, ABounds, ANeighbors, ABorders);
  DrawContent(ACanvas, HeaderDrawCellBounds(ABounds, ABorders), ATextAreaBounds, static_cast<Integer>(AState),
              AAlignmentHorz, AAlignmentVert, AMultiLine, AShowEndEllipsis, AText, AFont, ATextColor, ABkColor,
              AOnDrawBackground, AIsLast);
}

void TcxCustomLookAndFeelPainter::DrawHeaderSection(TcxCanvas& ACanvas, const TRect& ABounds,
                                                    TcxNeighbors ANeighbors, TcxBorders ABorders,
                                                    TcxButtonState AState, TAlignment AAlignmentHorz,
                                                    TcxAlignmentVert AAlignmentVert, bool AMultiLine,
                                                    bool AShowEndEllipsis, const String& AText, TFont* AFont,
                                                    TColor ATextColor, TColor ABkColor,
                                                    const TcxDrawBackgroundEvent& AOnDrawBackground,
                                                    bool AIsLast) const {
  DrawHeader(ACanvas, ABounds, ABounds, ANeighbors, ABorders, AState, AAlignmentHorz, AAlignmentVert, AMultiLine,
             AShowEndEllipsis, AText, AFont, ATextColor, ABkColor, AOnDrawBackground, AIsLast);
}

void TcxCustomLookAndFeelPainter::DrawHeaderBorder(TcxCanvas&, const TRect&, TcxNeighbors, TcxBorders) const {}

void TcxCustomLookAndFeelPainter::DrawInvertedRect(TcxCanvas& ACanvas, const TRect& R) const {
  if (R.IsEmpty()) return;
  ACanvas.InvertRect(R);
}

void TcxCustomLookAndFeelPainter::DrawButtonCell(TcxCanvas& ACanvas, const TRect& R, TcxButtonState AState,
                                                 TcxBorders ABorders, const String& AText, TFont* AFont,
                                                 TAlignment AAlignmentHorz, TcxAlignmentVert AAlignmentVert,
                                                 TColor ATextColor, TColor ABkColor) const {
  if (R.IsEmpty()) return;
  DrawButtonCellBorder(ACanvas, R, AState, ABorders);
  DrawButtonCellContent(ACanvas, ButtonCellContentBounds(R), AState, AText, AFont, AAlignmentHorz,
                        AAlignmentVert, ATextColor, ABkColor);
}

void TcxCustomLookAndFeelPainter::DrawButtonCellBorder(TcxCanvas&, TRect, TcxButtonState, TcxBorders) const {}

void TcxCustomLookAndFeelPainter::DrawButtonCellContent(TcxCanvas& ACanvas, const TRect& R, TcxButtonState AState,
                                                        const String& AText, TFont* AFont,
                                                        TAlignment AAlignmentHorz, TcxAlignmentVert AAlignmentVert,
                                                        TColor ATextColor, TColor ABkColor) const {
  cxFillRectColor(ACanvas, R, ABkColor);
  DrawButtonCellText(ACanvas, ButtonCellTextBounds(R, AState), AFont, ATextColor, AText, AAlignmentHorz,
                     AAlignmentVert, AState);
}

void TcxCustomLookAndFeelPainter::DrawButtonCellText(TcxCanvas& ACanvas, const TRect& R, TFont* AFont,
                                                     TColor ATextColor, const String& AText,
                                                     TAlignment AAlignmentHorz, TcxAlignmentVert AAlignmentVert,
                                                     TcxButtonState AState) const {
  if (AText.empty() || R.IsEmpty()) return;
  if (AFont) ACanvas.SetFont(AFont);
  const Integer Flags = cxAlignmentsHorz[static_cast<int>(AAlignmentHorz)] |
                        cxAlignmentsVert[static_cast<int>(AAlignmentVert)] | cxSingleLine;
  ACanvas.GetBrush()->SetStyle(TBrushStyle::bsClear);
  if (AState == TcxButtonState::cxbsDisabled) {
    TRect Shifted = R;
    OffsetRect(&Shifted, 1, 1);
    ACanvas.GetFont()->SetColor(clBtnHighlight);
    ACanvas.DrawText(AText, Shifted, Flags, true);
    ACanvas.GetFont()->SetColor(clBtnShadow);
  } else if (ATextColor != clDefault && ATextColor != clNone) {
    ACanvas.GetFont()->SetColor(ATextColor);
  }
  ACanvas.DrawText(AText, R, Flags, true);
  ACanvas.GetBrush()->SetStyle(TBrushStyle::bsSolid);
}

void TcxCustomLookAndFeelPainter::DrawSortingMark(TcxCanvas&, const TRect&, bool) const {}
TcxBorders TcxCustomLookAndFeelPainter::HeaderBorders(TcxNeighbors) const { return cxBordersAll; }
Integer TcxCustomLookAndFeelPainter::HeaderBorderSize() const { return 0; }

TRect TcxCustomLookAndFeelPainter::HeaderContentBounds(const TRect& R, TcxNeighbors ANeighbors,
                                                       TcxBorders ABorders) const {
  TRect Result = R;
  const TcxBorders Sides = ABorders - HeaderBorders(ANeighbors);
  const Integer n = HeaderBorderSize();
  if (Sides.Contains(TcxBorder::bLeft)) Result.Left -= n;
  if (Sides.Contains(TcxBorder::bTop)) Result.Top -= n;
  if (Sides.Contains(TcxBorder::bRight)) Result.Right += n;
  if (Sides.Contains(TcxBorder::bBottom)) Result.Bottom += n;
  return Result;
}

TRect TcxCustomLookAndFeelPainter::HeaderDrawCellBounds(const TRect& R, TcxBorders ABorders) const {
  TRect Result = R;
  const Integer n = HeaderBorderSize();
  if (ABorders.Contains(TcxBorder::bLeft)) Result.Left += n;
  if (ABorders.Contains(TcxBorder::bTop)) Result.Top += n;
  if (ABorders.Contains(TcxBorder::bRight)) Result.Right -= n;
  if (ABorders.Contains(TcxBorder::bBottom)) Result.Bottom -= n;
  return Result;
}

bool TcxCustomLookAndFeelPainter::HeaderFlag() const { return true; }
Integer TcxCustomLookAndFeelPainter::HeaderHeight(Integer AFontHeight) const {
  return 2 * (HeaderBorderSize() + 2) + AFontHeight;
}
Integer TcxCustomLookAndFeelPainter::ButtonCellBorderSize(TcxButtonState) const { return 1; }

TRect TcxCustomLookAndFeelPainter::ButtonCellTextBounds(const TRect& R, TcxButtonState AState) const {
  TRect Result = R;
  if (AState == TcxButtonState::cxbsPressed) OffsetRect(&Result, 1, 1);
  return Result;
}

TRect TcxCustomLookAndFeelPainter::ButtonCellContentBounds(const TRect& R) const {
  TRect Result = R;
  const Integer n = ButtonCellBorderSize(TcxButtonState::cxbsNormal);
  InflateRect(&Result, -n, -n);
  return Result;
}

// With both bLeft and bRight the two border terms cancel; the lookup grid's column widths
// depend on exactly this sum, so it stays.
Integer TcxCustomLookAndFeelPainter::HeaderWidth(TcxCanvas& ACanvas, TcxBorders ABorders, TFont* AFont,
                                                 const String& AText) const {
  if (AFont) ACanvas.SetFont(AFont);
  Integer Result = ACanvas.TextWidth(AText) + 4;
  if (ABorders.Contains(TcxBorder::bLeft)) Result += HeaderBorderSize();
  if (ABorders.Contains(TcxBorder::bRight)) Result -= HeaderBorderSize();
  return Result;
}

bool TcxCustomLookAndFeelPainter::ButtonCellFlag() const { return false; }
TPoint TcxCustomLookAndFeelPainter::SortingMarkAreaSize() const {
  const TPoint S = SortingMarkSize();
  return {S.X + 16, S.Y};
}
TPoint TcxCustomLookAndFeelPainter::SortingMarkSize() const { return {0, 0}; }

void TcxCustomLookAndFeelPainter::DrawSunkenBox(TcxCanvas& ACanvas, const TRect& R, TAlignment AAlignmentHorz,
                                                TcxAlignmentVert AAlignmentVert, bool AMultiLine,
                                                const String& AText, TFont* AFont, TColor ATextColor,
                                                TColor ABkColor,
                                                const TcxDrawBackgroundEvent& AOnDrawBackground) const {
  if (R.IsEmpty()) return;
  DrawSunkenFrame(ACanvas, R);
  DrawContent(ACanvas, SunkenBoxContentBounds(R), SunkenBoxTextBounds(R), 0, AAlignmentHorz, AAlignmentVert,
              AMultiLine, false, AText, AFont, ATextColor, ABkColor, AOnDrawBackground, true);
}

TcxBorders TcxCustomLookAndFeelPainter::SunkenBoxBorders() const { return cxBordersAll; }
Integer TcxCustomLookAndFeelPainter::RaisedFrameWidth() const { return 0; }
Integer TcxCustomLookAndFeelPainter::SunkenFrameWidth() const { return 0; }
Integer TcxCustomLookAndFeelPainter::SunkenBoxOuterWidth() const { return 0; }
bool TcxCustomLookAndFeelPainter::SunkenBoxFlag() const { return true; }
TColor TcxCustomLookAndFeelPainter::SeparatorColor() const { return clBtnShadow; }
Integer TcxCustomLookAndFeelPainter::SeparatorWidth() const { return 1; }
void TcxCustomLookAndFeelPainter::DrawRaisedFrame(TcxCanvas&, const TRect&) const {}
void TcxCustomLookAndFeelPainter::DrawSunkenFrame(TcxCanvas&, const TRect&) const {}
void TcxCustomLookAndFeelPainter::DrawSeparator(TcxCanvas& ACanvas, const TRect& R) const {
  cxFillRectColor(ACanvas, R, SeparatorColor());
}
void TcxCustomLookAndFeelPainter::DrawItemCheckButton(TcxCanvas& ACanvas, const TRect& R, TcxButtonState AState,
                                                      bool AChecked) const {
  DrawCheckButton(ACanvas, R, AState, AChecked);
}

void cxDrawCross(TcxCanvas& ACanvas, const TRect& R, Integer ASize, bool APressed, TColor AColor) {
  Integer s = ASize / 2;
  if (s % 2 == 0) s -= 1;
  if (s <= 0 || R.IsEmpty()) return;
  Integer x = R.Left + (R.Width() - s) / 2;
  Integer y = R.Top + (R.Height() - s) / 2;
  if (APressed) { ++x; ++y; }
  ACanvas.GetPen()->SetColor(AColor);
  for (Integer pass = 0; pass < 2; ++pass, ++x) {
    ACanvas.MoveTo(x, y);
    ACanvas.LineTo(x + s, y + s);
    ACanvas.MoveTo(x, y + s - 1);
    ACanvas.LineTo(x + s, y - 1);
  }
}

namespace {

// The face the small close, pin and plus buttons draw their symbol on. The fill is inset by the
// normal state's border width whatever the state, so the face keeps its size when pressed.
void DrawSmallButtonFace(const TcxCustomLookAndFeelPainter& P, TcxCanvas& ACanvas, const TRect& R,
                         TcxButtonState AState) {
  P.DrawButtonBorder(ACanvas, R, AState);
  TRect Inner = R;
  const Integer n = P.ButtonBorderSize(TcxButtonState::cxbsNormal);
  InflateRect(&Inner, -n, -n);
  cxFillRectColor(ACanvas, Inner, P.ButtonColor(AState));
}

}  // namespace

void TcxCustomLookAndFeelPainter::DrawCloseButton(TcxCanvas& ACanvas, const TRect& R, TcxButtonState AState) const {
  if (R.IsEmpty()) return;
  DrawSmallButtonFace(*this, ACanvas, R, AState);
  cxDrawCross(ACanvas, R, CloseButtonSize().X, AState == TcxButtonState::cxbsPressed,
              ButtonSymbolColor(ButtonSymbolState(AState), clDefault));
}

void TcxCustomLookAndFeelPainter::DrawDropDownButton(TcxCanvas&, const TRect&, TcxButtonState, bool) const {}
TPoint TcxCustomLookAndFeelPainter::CheckButtonSize() const { return {13, 13}; }
TPoint TcxCustomLookAndFeelPainter::CloseButtonSize() const { return {16, 14}; }
TPoint TcxCustomLookAndFeelPainter::SmallButtonSize() const { return {15, 0}; }
bool TcxCustomLookAndFeelPainter::SmallButtonFlag() const { return true; }
TPoint TcxCustomLookAndFeelPainter::ButtonSize136() const { return {16, 14}; }
TPoint TcxCustomLookAndFeelPainter::ButtonSize137() const { return {16, 14}; }
TPoint TcxCustomLookAndFeelPainter::ButtonSize138() const { return {13, 13}; }
TPoint TcxCustomLookAndFeelPainter::AutoHideButtonSize() const { return {16, 14}; }
TPoint TcxCustomLookAndFeelPainter::ButtonSize140() const { return {16, 14}; }

void TcxCustomLookAndFeelPainter::DrawPlusButton(TcxCanvas& ACanvas, const TRect& R, TcxButtonState AState) const {
  if (R.IsEmpty()) return;
  DrawSmallButtonFace(*this, ACanvas, R, AState);
  DrawPlusGlyph(ACanvas, R, AState);
}

void TcxCustomLookAndFeelPainter::DrawPlusGlyph(TcxCanvas& ACanvas, const TRect& R, TcxButtonState AState) const {
  TRect B = R;
  InflateRect(&B, -1, -1);
  if (B.IsEmpty()) return;
  const bool Disabled = AState == TcxButtonState::cxbsDisabled;
  auto strokes = [&](const TRect& S, TColor AColor, bool ALeading) {
    const Integer y = S.Top + S.Height() / 2 - 1;
    const Integer x = S.Left + S.Width() / 2 - 1;
    cxDrawLine(ACanvas, S.Left, y, S.Right - 1, y, AColor);
    cxDrawLine(ACanvas, x, S.Top, x, S.Bottom - 1, AColor);
    if (ALeading) {
      ACanvas.SetPixel(S.Left - 1, y, AColor);
      ACanvas.SetPixel(x, S.Top - 1, AColor);
    } else {
      ACanvas.SetPixel(S.Right - 1, y, AColor);
      ACanvas.SetPixel(x, S.Bottom - 1, AColor);
    }
  };
  OffsetRect(&B, 1, 1);
  strokes(B, Disabled ? clBtnHighlight : DefaultColor16(), true);
  OffsetRect(&B, -1, -1);
  strokes(B, Disabled ? clBtnShadow : DefaultColor16(), false);
}

void TcxCustomLookAndFeelPainter::DrawAutoHideButton(TcxCanvas& ACanvas, const TRect& R, TcxButtonState AState,
                                                     bool APinned, TColor) const {
  if (R.IsEmpty()) return;
  DrawSmallButtonFace(*this, ACanvas, R, AState);
  TBitmap* Glyph = cxAutoHideBitmap(APinned);
  if (!Glyph || Glyph->GetWidth() <= 0) return;
  Integer x = R.Left + (R.Width() - Glyph->GetWidth()) / 2;
  Integer y = R.Top + (R.Height() - Glyph->GetHeight()) / 2;
  if (AState == TcxButtonState::cxbsPressed) { ++x; ++y; }
  ACanvas.Draw(x, y, Glyph);
}

void TcxCustomLookAndFeelPainter::DrawTab(TcxCanvas&, const TRect&, TcxBorders, const String&, TcxButtonState, bool,
                                          TFont*, TColor, TColor) const {}
void TcxCustomLookAndFeelPainter::DrawTabBorder(TcxCanvas&, const TRect&, TcxBorder, TcxBorders, bool) const {}
void TcxCustomLookAndFeelPainter::DrawTabsRoot(TcxCanvas&, const TRect&, TcxBorders, bool) const {}
bool TcxCustomLookAndFeelPainter::IsTabHotTracked() const { return false; }
bool TcxCustomLookAndFeelPainter::IsTabNative() const { return false; }
Integer TcxCustomLookAndFeelPainter::TabBorderSize(bool) const { return 0; }

void TcxCustomLookAndFeelPainter::DrawIndicatorItem(TcxCanvas& ACanvas, const TRect& R, TcxIndicatorKind AKind,
                                                    TColor AColor,
                                                    const TcxDrawBackgroundEvent& AOnDrawBackground) const {
  if (R.IsEmpty()) return;
  DrawHeader(ACanvas, R, R, {}, HeaderBorders({TcxNeighbor::nTop, TcxNeighbor::nBottom}),
             TcxButtonState::cxbsNormal, TAlignment::taLeftJustify, TcxAlignmentVert::vaTop, false, false, String(),
             nullptr, clNone, AColor, AOnDrawBackground, false);
  cxDrawIndicatorImage(ACanvas, R, AKind);
}

void TcxCustomLookAndFeelPainter::DrawIndicatorItemEx(TcxCanvas& ACanvas, const TRect& R, TcxIndicatorKind AKind,
                                                      TColor AColor,
                                                      const TcxDrawBackgroundEvent& AOnDrawBackground) const {
  if (R.IsEmpty()) return;
  DrawHeaderSection(ACanvas, R, {}, HeaderBorders({TcxNeighbor::nTop, TcxNeighbor::nBottom}),
                    TcxButtonState::cxbsNormal, TAlignment::taLeftJustify, TcxAlignmentVert::vaTop, false, false,
                    String(), nullptr, clNone, AColor, AOnDrawBackground, false);
  cxDrawIndicatorImage(ACanvas, R, AKind);
}

bool TcxCustomLookAndFeelPainter::IndicatorFlag() const { return true; }
void TcxCustomLookAndFeelPainter::DrawScrollBarPart(TcxCanvas&, bool, TRect, TcxScrollBarPart, TcxButtonState) const {}

void TcxCustomLookAndFeelPainter::DrawHeaderWithArrows(TcxCanvas& ACanvas, const TRect& R, const String& AText,
                                                       TcxNeighbors ANeighbors, const TcxViewParams& AViewParams,
                                                       TcxHeaderArrows AArrows, Integer AArrowOffset,
                                                       const TcxDrawBackgroundEvent& AOnDrawBackground) const {
  if (R.IsEmpty()) return;
  DrawHeader(ACanvas, R, R, ANeighbors, HeaderBorders(ANeighbors), TcxButtonState::cxbsNormal,
             TAlignment::taCenter, TcxAlignmentVert::vaCenter, false, false, AText, AViewParams.Font,
             AViewParams.TextColor, AViewParams.Color, AOnDrawBackground, false);
  cxDrawHeaderArrowsGlyph(ACanvas, R, AArrows, AArrowOffset, BorderSize(), clWindowText);
}

void TcxCustomLookAndFeelPainter::DrawFrameBorder(TcxCanvas& ACanvas, const TRect& R) const { DrawBorder(ACanvas, R); }

void TcxCustomLookAndFeelPainter::DrawToolButton(TcxCanvas& ACanvas, const TRect& R, TcxButtonState AState) const {
  DrawButton(ACanvas, R, String(), AState, true, clDefault, clDefault);
}

void TcxCustomLookAndFeelPainter::DrawBar(TcxCanvas&, const TRect&, bool, const TcxPaintParams&) const {}

TColor TcxCustomLookAndFeelPainter::DefaultSelectionColor() const { return DefaultColor43(); }
TColor TcxCustomLookAndFeelPainter::DefaultSelectionTextColor() const { return DefaultColor44(); }
TRect TcxCustomLookAndFeelPainter::ButtonFocusRect(TcxCanvas&, const TRect& R) const { return ButtonContentBounds(R); }
bool TcxCustomLookAndFeelPainter::IsButtonHotTrack() const { return false; }
TPoint TcxCustomLookAndFeelPainter::RadioButtonSize() const { return cxRadioButtonImageSize(); }

TcxArrowPoints TcxCustomLookAndFeelPainter::CalculateArrowPoints(TRect R, TcxArrowDirection ADirection,
                                                                 bool ASquare) {
  if (ASquare) {
    const Integer d = R.Width() - R.Height();
    if (d > 0) InflateRect(&R, -(d / 2), 0);
    else InflateRect(&R, 0, -((-d) / 2));
  }
  const Integer l = R.Left, t = R.Top, r = R.Right, b = R.Bottom;
  Integer w = 0, h = 0;
  if (ADirection == TcxArrowDirection::adUp || ADirection == TcxArrowDirection::adDown) {
    w = std::max<Integer>(0, (R.Width() - 1) / 2);
    if (w % 2 == 0) w += 1;
    h = w / 2 + 1;
  } else {
    h = std::max<Integer>(0, (R.Height() - 1) / 2);
    if (h % 2 == 0) h += 1;
    w = h / 2 + 1;
  }
  TcxArrowPoints P;
  switch (ADirection) {
    case TcxArrowDirection::adUp:
      P[0] = {(l + r - 1) / 2, MulDiv(t + b - h, 1, 2)};
      P[1] = {(l + r - w) / 2, P[0].Y + h - 1};
      P[2] = {P[1].X + w - 1, P[1].Y};
      break;
    case TcxArrowDirection::adDown:
      P[0] = {(l + r - w) / 2, MulDiv(t + b - h, 1, 2)};
      P[1] = {P[0].X + w - 1, P[0].Y};
      P[2] = {(l + r - 1) / 2, P[0].Y + h - 1};
      break;
    case TcxArrowDirection::adLeft:
      P[0] = {(l + r - w) / 2, (t + b) / 2};
      P[1] = {P[0].X + w - 1, MulDiv(t + b - h, 1, 2)};
      P[2] = {P[1].X, P[1].Y + h - 1};
      break;
    case TcxArrowDirection::adRight:
      P[0] = {(l + r - w) / 2, MulDiv(t + b - h, 1, 2)};
      P[1] = {P[0].X + w - 1, (t + b) / 2};
      P[2] = {P[0].X, P[0].Y + h - 1};
      break;
  }
  return P;
}

// ---- the family instances ----

namespace {
const TcxCustomLookAndFeelPainter kCustomPainter;
const TcxStandardLookAndFeelPainter kStandardPainter;
const TcxFlatLookAndFeelPainter kFlatPainter;
const TcxUltraFlatLookAndFeelPainter kUltraFlatPainter;
const TcxOffice11LookAndFeelPainter kOffice11Painter;
const TcxCustomLookAndFeelPainter* gNativePainter = nullptr;
}  // namespace

const TcxCustomLookAndFeelPainter* cxCustomPainter() { return &kCustomPainter; }
const TcxCustomLookAndFeelPainter* cxStandardPainter() { return &kStandardPainter; }
const TcxCustomLookAndFeelPainter* cxFlatPainter() { return &kFlatPainter; }
const TcxCustomLookAndFeelPainter* cxUltraFlatPainter() { return &kUltraFlatPainter; }
const TcxCustomLookAndFeelPainter* cxOffice11Painter() { return &kOffice11Painter; }
void cxRegisterNativePainter(const TcxCustomLookAndFeelPainter* APainter) { gNativePainter = APainter; }
const TcxCustomLookAndFeelPainter* cxWinXPPainter() { return gNativePainter; }
