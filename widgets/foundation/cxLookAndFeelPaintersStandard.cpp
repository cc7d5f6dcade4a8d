// The classic 3-D family and its one-ring flat sibling.
#include "platform/gdi/Gdi.h"
#include "widgets/foundation/cxLookAndFeelPainterImages.h"
#include "widgets/foundation/cxPainterGlyphs.h"

namespace {

using BS = TcxButtonState;

void FillPage(TcxCanvas& ACanvas, const TRect& R, TcxButtonState AState) {
  TBitmap* Checker = cxCheckerBitmap(AState == BS::cxbsPressed);
  if (!Checker) {
    cxFillRectColor(ACanvas, R, AState == BS::cxbsPressed ? cl3DDkShadow : clBtnFace);
    return;
  }
  ACanvas.GetBrush()->SetBitmap(Checker);
  ACanvas.FillRect(R);
  ACanvas.GetBrush()->SetBitmap(nullptr);
  ACanvas.GetBrush()->SetStyle(TBrushStyle::bsSolid);
}

TcxArrowDirection ScrollArrowDirection(bool AHorizontal, TcxScrollBarPart APart) {
  const bool Up = APart == TcxScrollBarPart::sbpLineUp;
  if (AHorizontal) return Up ? TcxArrowDirection::adLeft : TcxArrowDirection::adRight;
  return Up ? TcxArrowDirection::adUp : TcxArrowDirection::adDown;
}

// Flat and UltraFlat scroll-bar parts share this shape: buttons with an arrow inside.
void DrawButtonLikeScrollPart(const TcxCustomLookAndFeelPainter& P, TcxCanvas& ACanvas, bool AHorizontal, TRect R,
                              TcxScrollBarPart APart, TcxButtonState AState) {
  switch (APart) {
    case TcxScrollBarPart::sbpLineUp:
    case TcxScrollBarPart::sbpLineDown:
    case TcxScrollBarPart::sbpThumbnail: {
      P.DrawButton(ACanvas, R, String(), AState, true, clDefault, clDefault);
      const Integer n = P.ButtonBorderSize(BS::cxbsNormal);
      InflateRect(&R, -n, -n);
      if (APart != TcxScrollBarPart::sbpThumbnail)
        P.DrawButtonArrow(ACanvas, R, AState, ScrollArrowDirection(AHorizontal, APart));
      break;
    }
    case TcxScrollBarPart::sbpPageUp:
    case TcxScrollBarPart::sbpPageDown:
      FillPage(ACanvas, R, AState);
      break;
    default:
      break;
  }
}

void DrawSunkenOuter(TcxCanvas& ACanvas, const TRect& R) { ACanvas.DrawEdge(R, true, true, cxBordersAll); }
void DrawRaisedInner(TcxCanvas& ACanvas, const TRect& R, TcxBorders ABorders = cxBordersAll) {
  ACanvas.DrawEdge(R, false, false, ABorders);
}

void DrawHeaderBorder3D(TcxCanvas& ACanvas, const TRect& R, TcxNeighbors ANeighbors) {
  if (R.IsEmpty()) return;
  DrawRaisedInner(ACanvas, R);
  if (ANeighbors.Contains(TcxNeighbor::nLeft)) {
    ACanvas.SetPixel(R.Left, R.Top + 1, clBtnFace);
    ACanvas.SetPixel(R.Left, R.Bottom - 2, clBtnFace);
  }
  if (ANeighbors.Contains(TcxNeighbor::nRight)) {
    ACanvas.SetPixel(R.Right - 1, R.Top, clBtnHighlight);
    ACanvas.SetPixel(R.Right - 1, R.Top + 1, clBtnFace);
    ACanvas.SetPixel(R.Right - 1, R.Bottom - 2, clBtnFace);
  }
}

void DrawDropDownButton3D(const TcxCustomLookAndFeelPainter& P, TcxCanvas& ACanvas, TRect R, TcxButtonState AState,
                          bool AIsActive) {
  if (R.IsEmpty()) return;
  if (AState == BS::cxbsPressed) DrawSunkenOuter(ACanvas, R);
  else DrawRaisedInner(ACanvas, R);
  InflateRect(&R, -1, -1);
  cxFillRectColor(ACanvas, R, clBtnFace);
  P.DrawDropDownGlyph(ACanvas, R, AIsActive ? 0xFF0000 : clBtnText);
}

void DrawPlusGlyph3D(const TcxCustomLookAndFeelPainter& P, TcxCanvas& ACanvas, TRect R, TcxButtonState AState) {
  R.Right -= 1;
  R.Bottom -= 1;
  if (AState == BS::cxbsPressed) OffsetRect(&R, 1, 1);
  P.TcxCustomLookAndFeelPainter::DrawPlusGlyph(ACanvas, R, AState);
}

void DrawTabBorder3D(TcxCanvas& ACanvas, TRect R, TcxBorder ABorder, TcxBorders ABorders, bool AVertical) {
  if (R.IsEmpty()) return;
  TColor Color = clBtnHighlight;
  if (AVertical) {
    if (ABorder == TcxBorder::bLeft) {
      R.Top += ABorders.Contains(TcxBorder::bTop) ? 2 : 1;
      R.Bottom -= ABorders.Contains(TcxBorder::bBottom) ? 2 : 1;
      ACanvas.SetPixel(R.Left + 1, R.Top - 1, clBtnHighlight);
      ACanvas.SetPixel(R.Left + 1, R.Bottom, clBtnHighlight);
    } else if ((ABorder == TcxBorder::bTop || ABorder == TcxBorder::bBottom) && ABorders.Contains(TcxBorder::bLeft)) {
      R.Left += 1;
    }
    if (ABorder == TcxBorder::bBottom) Color = clBtnShadow;
  } else {
    if (ABorder == TcxBorder::bTop) {
      R.Left += 1;
      R.Right -= 1;
      ACanvas.SetPixel(R.Left - 1, R.Top + 1, clBtnHighlight);
      ACanvas.SetPixel(R.Right, R.Top + 1, clBtnHighlight);
    } else if (ABorder == TcxBorder::bLeft || ABorder == TcxBorder::bRight) {
      if (ABorders.Contains(TcxBorder::bTop)) R.Top += 2;
      if (ABorders.Contains(TcxBorder::bBottom)) R.Bottom -= 1;
    }
    if (ABorder == TcxBorder::bRight) Color = clBtnShadow;
  }
  cxFillRectColor(ACanvas, R, Color);
}

// The bar's long edges, then the framed fill of what is left. The second inflate of the
// 3-D bar would reach one pixel outside the given rect, so drawing is clipped to it.
void DrawBarBody(TcxCanvas& ACanvas, TRect R, bool AHorizontal, const TcxPaintParams& ABackground,
                 std::initializer_list<std::pair<TColor, TColor>> APairs) {
  if (R.IsEmpty()) return;
  const TRect Bounds = R;
  auto clipToBounds = [&](TRect X) {
    X.Left = std::max(X.Left, Bounds.Left);
    X.Right = std::min(X.Right, Bounds.Right);
    X.Top = std::max(X.Top, Bounds.Top);
    X.Bottom = std::min(X.Bottom, Bounds.Bottom);
    return X;
  };
  for (const auto& [First, Second] : APairs) {
    if (AHorizontal) {
      cxFillRectColor(ACanvas, clipToBounds(Rect(R.Left, R.Top, R.Right, R.Top + 1)), First);
      cxFillRectColor(ACanvas, clipToBounds(Rect(R.Left, R.Bottom - 1, R.Right, R.Bottom)), Second);
      InflateRect(&R, 1, -1);
    } else {
      cxFillRectColor(ACanvas, clipToBounds(Rect(R.Left, R.Top, R.Left + 1, R.Bottom)), First);
      cxFillRectColor(ACanvas, clipToBounds(Rect(R.Right - 1, R.Top, R.Right, R.Bottom)), Second);
      InflateRect(&R, -1, 1);
    }
  }
  R = clipToBounds(R);
  if (R.IsEmpty()) return;
  ACanvas.FillRect(R, ABackground, clNone, {}, 0);
}

}  // namespace

// Exposed to the UltraFlat family, which shares the button-like scroll parts and the bar.
void cxDrawButtonLikeScrollPart(const TcxCustomLookAndFeelPainter& P, TcxCanvas& ACanvas, bool AHorizontal, TRect R,
                                TcxScrollBarPart APart, TcxButtonState AState) {
  DrawButtonLikeScrollPart(P, ACanvas, AHorizontal, R, APart, AState);
}
void cxDrawBarBody(TcxCanvas& ACanvas, const TRect& R, bool AHorizontal, const TcxPaintParams& ABackground,
                   TColor AFirst, TColor ASecond) {
  DrawBarBody(ACanvas, R, AHorizontal, ABackground, {{AFirst, ASecond}});
}

// ---- Standard ----

TcxLookAndFeelStyle TcxStandardLookAndFeelPainter::LookAndFeelStyle() const { return TcxLookAndFeelStyle::lfsStandard; }
TColor TcxStandardLookAndFeelPainter::DefaultColor49() const { return clWindow; }
Integer TcxStandardLookAndFeelPainter::BorderSize() const { return 2; }

void TcxStandardLookAndFeelPainter::DrawBorder(TcxCanvas& ACanvas, TRect R) const {
  cxDrawRing(ACanvas, R, clBtnShadow, clBtnHighlight);
  cxDrawRing(ACanvas, R, cl3DDkShadow, cl3DLight);
}

Integer TcxStandardLookAndFeelPainter::ButtonBorderSize(TcxButtonState AState) const {
  return AState == BS::cxbsDefault ? 3 : 2;
}
Integer TcxStandardLookAndFeelPainter::ButtonTextOffset() const { return 1; }
Integer TcxStandardLookAndFeelPainter::ButtonTextShift() const { return 1; }

void TcxStandardLookAndFeelPainter::DrawButtonBorder(TcxCanvas& ACanvas, TRect R, TcxButtonState AState) const {
  if (R.IsEmpty()) return;
  if (AState == BS::cxbsPressed) {
    cxDrawRing(ACanvas, R, clBlack, clBlack);
    cxDrawRing(ACanvas, R, clBtnShadow, clBtnShadow);
    return;
  }
  if (AState == BS::cxbsDefault) cxDrawRing(ACanvas, R, clBlack, clBlack);
  cxDrawRing(ACanvas, R, clBtnHighlight, cl3DDkShadow);
  cxDrawRing(ACanvas, R, cl3DLight, clBtnShadow);
}

void TcxStandardLookAndFeelPainter::DrawExpandButton(TcxCanvas& ACanvas, const TRect& R, bool AExpanded,
                                                     TColor AColor) const {
  if (R.IsEmpty()) return;
  TRect B = R;
  ACanvas.DrawComplexFrame(B, clBtnHighlight, cl3DDkShadow, cxBordersAll, 1);
  InflateRect(&B, -1, -1);
  ACanvas.FrameRect(B, clBtnShadow, {TcxBorder::bRight, TcxBorder::bBottom}, 1);
  B.Right -= 1;
  B.Bottom -= 1;
  cxFillRectColor(ACanvas, B, AColor == clDefault ? clBtnFace : AColor);
  cxDrawPlusMinus(ACanvas, B, AExpanded, clBtnText);
  ACanvas.ExcludeClipRect(R);
}

void TcxStandardLookAndFeelPainter::DrawGroupExpandButton(TcxCanvas& ACanvas, const TRect& R, bool AExpanded,
                                                          TcxButtonState AState) const {
  // Drawn as the flat family draws it.
  cxFlatPainter()->DrawGroupExpandButton(ACanvas, R, AExpanded, AState);
}

Integer TcxStandardLookAndFeelPainter::ExpandButtonSize() const { return 12; }
bool TcxStandardLookAndFeelPainter::IsScrollBarHotTracked() const { return false; }

void TcxStandardLookAndFeelPainter::DrawCheckBorder(TcxCanvas& ACanvas, TRect R, TcxButtonState) const {
  if (R.IsEmpty()) return;
  ACanvas.DrawEdge(R, true, false, cxBordersAll);
  InflateRect(&R, -1, -1);
  if (!R.IsEmpty()) ACanvas.DrawEdge(R, true, true, cxBordersAll);
}

void TcxStandardLookAndFeelPainter::DrawHeaderBorder(TcxCanvas& ACanvas, const TRect& R, TcxNeighbors ANeighbors,
                                                     TcxBorders) const {
  DrawHeaderBorder3D(ACanvas, R, ANeighbors);
}

void TcxStandardLookAndFeelPainter::DrawButtonCellBorder(TcxCanvas& ACanvas, TRect R, TcxButtonState AState,
                                                         TcxBorders ABorders) const {
  if (AState == BS::cxbsPressed) {
    cxDrawRing(ACanvas, R, clBtnShadow, clBtnShadow, ABorders);
    return;
  }
  cxDrawRing(ACanvas, R, clBtnHighlight, cl3DDkShadow, ABorders);
  cxDrawRing(ACanvas, R, cl3DLight, clBtnShadow, ABorders);
}

void TcxStandardLookAndFeelPainter::DrawSortingMark(TcxCanvas& ACanvas, const TRect& R, bool AAscending) const {
  cxDrawSortingMarkGlyph(ACanvas, R, SortingMarkSize(), AAscending, clBtnShadow, clBtnHighlight);
}

Integer TcxStandardLookAndFeelPainter::HeaderBorderSize() const { return 1; }
Integer TcxStandardLookAndFeelPainter::ButtonCellBorderSize(TcxButtonState AState) const {
  return AState == BS::cxbsPressed ? 1 : 2;
}
TPoint TcxStandardLookAndFeelPainter::SortingMarkSize() const { return {8, 7}; }
Integer TcxStandardLookAndFeelPainter::RaisedFrameWidth() const { return 1; }
Integer TcxStandardLookAndFeelPainter::SunkenFrameWidth() const { return 1; }
Integer TcxStandardLookAndFeelPainter::SunkenBoxOuterWidth() const { return 1; }
void TcxStandardLookAndFeelPainter::DrawRaisedFrame(TcxCanvas& ACanvas, const TRect& R) const {
  if (!R.IsEmpty()) DrawRaisedInner(ACanvas, R);
}
void TcxStandardLookAndFeelPainter::DrawSunkenFrame(TcxCanvas& ACanvas, const TRect& R) const {
  if (!R.IsEmpty()) DrawSunkenOuter(ACanvas, R);
}
void TcxStandardLookAndFeelPainter::DrawDropDownButton(TcxCanvas& ACanvas, const TRect& R, TcxButtonState AState,
                                                       bool AIsActive) const {
  DrawDropDownButton3D(*this, ACanvas, R, AState, AIsActive);
}
void TcxStandardLookAndFeelPainter::DrawPlusGlyph(TcxCanvas& ACanvas, const TRect& R, TcxButtonState AState) const {
  DrawPlusGlyph3D(*this, ACanvas, R, AState);
}
void TcxStandardLookAndFeelPainter::DrawTabBorder(TcxCanvas& ACanvas, const TRect& R, TcxBorder ABorder,
                                                  TcxBorders ABorders, bool AVertical) const {
  DrawTabBorder3D(ACanvas, R, ABorder, ABorders, AVertical);
}
void TcxStandardLookAndFeelPainter::DrawTabsRoot(TcxCanvas& ACanvas, const TRect& R, TcxBorders ABorders,
                                                 bool) const {
  if (!R.IsEmpty()) DrawRaisedInner(ACanvas, R, ABorders);
}
Integer TcxStandardLookAndFeelPainter::TabBorderSize(bool) const { return 1; }

void TcxStandardLookAndFeelPainter::DrawScrollBarPart(TcxCanvas& ACanvas, bool AHorizontal, TRect R,
                                                      TcxScrollBarPart APart, TcxButtonState AState) const {
  if (R.IsEmpty()) return;
  if (APart == TcxScrollBarPart::sbpThumbnail && AState == BS::cxbsDisabled) return;
  if (AState == BS::cxbsHot) AState = BS::cxbsNormal;
  const bool Pressed = AState == BS::cxbsPressed;
  auto scrollFrame = [&](TRect F, bool APressedLook) {
    if (APressedLook) {
      cxDrawRing(ACanvas, F, clBtnShadow, clBtnShadow);
      cxDrawRing(ACanvas, F, clBtnFace, clBtnFace);
    } else {
      cxDrawRing(ACanvas, F, clBtnFace, cl3DDkShadow);
      cxDrawRing(ACanvas, F, clBtnHighlight, clBtnShadow);
    }
    return F;
  };
  switch (APart) {
    case TcxScrollBarPart::sbpLineUp:
    case TcxScrollBarPart::sbpLineDown: {
      static constexpr UINT kKinds[2][2] = {{DFCS_SCROLLUP, DFCS_SCROLLDOWN}, {DFCS_SCROLLLEFT, DFCS_SCROLLRIGHT}};
      UINT State = kKinds[AHorizontal ? 1 : 0][APart == TcxScrollBarPart::sbpLineUp ? 0 : 1];
      if (AState == BS::cxbsDisabled) State |= DFCS_INACTIVE;
      if (Pressed) State |= DFCS_FLAT;
      TRect Glyph = R;
      if (Pressed) OffsetRect(&Glyph, 1, 1);
      DrawFrameControl(ACanvas.GetHandle(), &Glyph, DFC_SCROLL, State);
      scrollFrame(R, Pressed);
      break;
    }
    case TcxScrollBarPart::sbpThumbnail: {
      scrollFrame(R, false);
      TRect Face = R;
      const Integer n = ButtonBorderSize(BS::cxbsNormal);
      InflateRect(&Face, -n, -n);
      cxFillRectColor(ACanvas, Face, clBtnFace);
      break;
    }
    case TcxScrollBarPart::sbpPageUp:
    case TcxScrollBarPart::sbpPageDown:
      FillPage(ACanvas, R, AState);
      break;
    default:
      break;
  }
}

void TcxStandardLookAndFeelPainter::DrawHeaderWithArrows(TcxCanvas& ACanvas, const TRect& R, const String& AText,
                                                         TcxNeighbors ANeighbors, const TcxViewParams& AViewParams,
                                                         TcxHeaderArrows AArrows, Integer AArrowOffset,
                                                         const TcxDrawBackgroundEvent& AOnDrawBackground) const {
  if (R.IsEmpty()) return;
  TcxBorders Sides = cxBordersAll;
  if (ANeighbors.Contains(TcxNeighbor::nRight)) Sides = Sides - TcxBorders{TcxBorder::bRight};
  if (ANeighbors.Contains(TcxNeighbor::nLeft)) Sides = Sides - TcxBorders{TcxBorder::bLeft};
  ACanvas.FrameRect(R, clBlack, Sides, 1);
  TcxCustomLookAndFeelPainter::DrawHeaderWithArrows(ACanvas, HeaderDrawCellBounds(R, Sides), AText, ANeighbors,
                                                    AViewParams, AArrows, AArrowOffset, AOnDrawBackground);
}

void TcxStandardLookAndFeelPainter::DrawBar(TcxCanvas& ACanvas, const TRect& R, bool AHorizontal,
                                            const TcxPaintParams& ABackground) const {
  DrawBarBody(ACanvas, R, AHorizontal, ABackground, {{clBtnFace, cl3DDkShadow}, {clBtnHighlight, clBtnShadow}});
}

// ---- Flat ----

TcxLookAndFeelStyle TcxFlatLookAndFeelPainter::LookAndFeelStyle() const { return TcxLookAndFeelStyle::lfsFlat; }
Integer TcxFlatLookAndFeelPainter::BorderSize() const { return 1; }
void TcxFlatLookAndFeelPainter::DrawBorder(TcxCanvas& ACanvas, TRect R) const {
  cxDrawRing(ACanvas, R, clBtnShadow, clBtnHighlight);
}
Integer TcxFlatLookAndFeelPainter::ButtonBorderSize(TcxButtonState AState) const {
  return AState == BS::cxbsDefault ? 2 : 1;
}
Integer TcxFlatLookAndFeelPainter::ButtonTextOffset() const { return 1; }
Integer TcxFlatLookAndFeelPainter::ButtonTextShift() const { return 1; }

void TcxFlatLookAndFeelPainter::DrawButtonBorder(TcxCanvas& ACanvas, TRect R, TcxButtonState AState) const {
  if (R.IsEmpty()) return;
  if (AState == BS::cxbsPressed) {
    cxDrawRing(ACanvas, R, clBtnShadow, clBtnHighlight);
    return;
  }
  if (AState == BS::cxbsDefault) cxDrawRing(ACanvas, R, clBlack, clBlack);
  cxDrawRing(ACanvas, R, clBtnHighlight, clBtnShadow);
}

void TcxFlatLookAndFeelPainter::DrawExpandButton(TcxCanvas& ACanvas, const TRect& R, bool AExpanded,
                                                 TColor AColor) const {
  if (R.IsEmpty()) return;
  DrawButton(ACanvas, R, String(), BS::cxbsNormal, true, AColor, clDefault);
  TRect B = R;
  InflateRect(&B, -1, -1);
  cxDrawPlusMinus(ACanvas, B, AExpanded, clBtnText);
  ACanvas.ExcludeClipRect(R);
}

Integer TcxFlatLookAndFeelPainter::ExpandButtonSize() const { return 11; }
bool TcxFlatLookAndFeelPainter::IsScrollBarHotTracked() const { return false; }

void TcxFlatLookAndFeelPainter::DrawCheckBorder(TcxCanvas& ACanvas, TRect R, TcxButtonState AState) const {
  if (R.IsEmpty()) return;
  ACanvas.DrawEdge(R, true, true, cxBordersAll);
  InflateRect(&R, -1, -1);
  if (!R.IsEmpty()) ACanvas.FrameRect(R, CheckButtonColor(AState), cxBordersAll, 1);
}

void TcxFlatLookAndFeelPainter::DrawHeaderBorder(TcxCanvas& ACanvas, const TRect& R, TcxNeighbors ANeighbors,
                                                 TcxBorders) const {
  DrawHeaderBorder3D(ACanvas, R, ANeighbors);
}

void TcxFlatLookAndFeelPainter::DrawButtonCellBorder(TcxCanvas& ACanvas, TRect R, TcxButtonState AState,
                                                     TcxBorders ABorders) const {
  if (AState == BS::cxbsPressed) cxDrawRing(ACanvas, R, clBtnShadow, clBtnHighlight, ABorders);
  else cxDrawRing(ACanvas, R, clBtnHighlight, clBtnShadow, ABorders);
}

void TcxFlatLookAndFeelPainter::DrawSortingMark(TcxCanvas& ACanvas, const TRect& R, bool AAscending) const {
  cxDrawSortingMarkGlyph(ACanvas, R, SortingMarkSize(), AAscending, clBtnShadow, clBtnHighlight);
}
Integer TcxFlatLookAndFeelPainter::HeaderBorderSize() const { return 1; }
TPoint TcxFlatLookAndFeelPainter::SortingMarkSize() const { return {8, 7}; }
Integer TcxFlatLookAndFeelPainter::RaisedFrameWidth() const { return 1; }
Integer TcxFlatLookAndFeelPainter::SunkenFrameWidth() const { return 1; }
Integer TcxFlatLookAndFeelPainter::SunkenBoxOuterWidth() const { return 1; }
void TcxFlatLookAndFeelPainter::DrawRaisedFrame(TcxCanvas& ACanvas, const TRect& R) const {
  if (!R.IsEmpty()) DrawRaisedInner(ACanvas, R);
}
void TcxFlatLookAndFeelPainter::DrawSunkenFrame(TcxCanvas& ACanvas, const TRect& R) const {
  if (!R.IsEmpty()) DrawSunkenOuter(ACanvas, R);
}
void TcxFlatLookAndFeelPainter::DrawDropDownButton(TcxCanvas& ACanvas, const TRect& R, TcxButtonState AState,
                                                   bool AIsActive) const {
  DrawDropDownButton3D(*this, ACanvas, R, AState, AIsActive);
}
void TcxFlatLookAndFeelPainter::DrawPlusGlyph(TcxCanvas& ACanvas, const TRect& R, TcxButtonState AState) const {
  DrawPlusGlyph3D(*this, ACanvas, R, AState);
}
void TcxFlatLookAndFeelPainter::DrawTabBorder(TcxCanvas& ACanvas, const TRect& R, TcxBorder ABorder,
                                              TcxBorders ABorders, bool AVertical) const {
  DrawTabBorder3D(ACanvas, R, ABorder, ABorders, AVertical);
}
void TcxFlatLookAndFeelPainter::DrawTabsRoot(TcxCanvas& ACanvas, const TRect& R, TcxBorders ABorders, bool) const {
  if (!R.IsEmpty()) DrawRaisedInner(ACanvas, R, ABorders);
}
Integer TcxFlatLookAndFeelPainter::TabBorderSize(bool) const { return 1; }

void TcxFlatLookAndFeelPainter::DrawScrollBarPart(TcxCanvas& ACanvas, bool AHorizontal, TRect R,
                                                  TcxScrollBarPart APart, TcxButtonState AState) const {
  if (R.IsEmpty()) return;
  if (APart == TcxScrollBarPart::sbpThumbnail && AState == BS::cxbsDisabled) return;
  if (AState == BS::cxbsHot) AState = BS::cxbsNormal;
  DrawButtonLikeScrollPart(*this, ACanvas, AHorizontal, R, APart, AState);
}

void TcxFlatLookAndFeelPainter::DrawBar(TcxCanvas& ACanvas, const TRect& R, bool AHorizontal,
                                        const TcxPaintParams& ABackground) const {
  DrawBarBody(ACanvas, R, AHorizontal, ABackground, {{clBtnHighlight, clBtnShadow}});
}
