// The one-pixel single-colour family (the application-wide default look) and the Office11
// family built on it, whose colours come from the Office11 colour set at every call.
#include "widgets/foundation/dxOffice11.h"
#include "widgets/foundation/dxThemeManager.h"
#include "widgets/foundation/cxLookAndFeelPainterImages.h"
#include "widgets/foundation/cxPainterGlyphs.h"

void cxDrawButtonLikeScrollPart(const TcxCustomLookAndFeelPainter& P, TcxCanvas& ACanvas, bool AHorizontal, TRect R,
                                TcxScrollBarPart APart, TcxButtonState AState);
void cxDrawBarBody(TcxCanvas& ACanvas, const TRect& R, bool AHorizontal, const TcxPaintParams& ABackground,
                   TColor AFirst, TColor ASecond);

namespace {
using BS = TcxButtonState;

void Frame(TcxCanvas& ACanvas, const TRect& R, TColor AColor, TcxBorders ABorders = cxBordersAll) {
  if (!R.IsEmpty()) ACanvas.FrameRect(R, AColor, ABorders, 1);
}

const TdxOffice11Colors& O11() { return cxOffice11Colors(); }
TColor C(COLORREF AValue) { return static_cast<TColor>(AValue); }
}  // namespace

// ---- UltraFlat ----

TcxLookAndFeelStyle TcxUltraFlatLookAndFeelPainter::LookAndFeelStyle() const { return TcxLookAndFeelStyle::lfsUltraFlat; }
TColor TcxUltraFlatLookAndFeelPainter::DefaultColor16() const { return 0x800000; }
TColor TcxUltraFlatLookAndFeelPainter::DefaultColor47() const { return clBtnShadow; }
Integer TcxUltraFlatLookAndFeelPainter::BorderSize() const { return 1; }
void TcxUltraFlatLookAndFeelPainter::DrawBorder(TcxCanvas& ACanvas, TRect R) const { Frame(ACanvas, R, clBtnShadow); }
Integer TcxUltraFlatLookAndFeelPainter::ButtonBorderSize(TcxButtonState AState) const {
  return AState == BS::cxbsDefault ? 2 : 1;
}

TColor TcxUltraFlatLookAndFeelPainter::ButtonColor(TcxButtonState AState) const {
  switch (AState) {
    case BS::cxbsHot: return cxUltraFlatHotColor();
    case BS::cxbsPressed: return cxUltraFlatPressedColor();
    default: return clBtnFace;
  }
}

TRect TcxUltraFlatLookAndFeelPainter::ButtonContentBounds(const TRect& R) const {
  TRect Result = R;
  InflateRect(&Result, -3, -3);
  return Result.IsEmpty() ? R : Result;
}

TRect TcxUltraFlatLookAndFeelPainter::ButtonGroupBorderSizes(Integer AButtonCount, Integer AButtonIndex) const {
  TRect Result = Rect(1, 2, 1, 2);
  if (AButtonIndex == 0) Result.Left += 1;
  else if (AButtonIndex == AButtonCount - 1) Result.Right += 1;
  return Result;
}

Integer TcxUltraFlatLookAndFeelPainter::ButtonTextOffset() const { return 2; }
Integer TcxUltraFlatLookAndFeelPainter::ButtonTextShift() const { return 0; }

TColor TcxUltraFlatLookAndFeelPainter::ButtonSymbolColor(TcxButtonState AState, TColor ADefaultColor) const {
  if (AState == BS::cxbsPressed) return clHighlightText;
  return TcxCustomLookAndFeelPainter::ButtonSymbolColor(AState, ADefaultColor);
}

TcxButtonState TcxUltraFlatLookAndFeelPainter::ButtonSymbolState(TcxButtonState) const { return BS::cxbsNormal; }

void TcxUltraFlatLookAndFeelPainter::DrawButtonInGroup(TcxCanvas& ACanvas, const TRect& R, TcxButtonState AState,
                                                       Integer AButtonCount, Integer AButtonIndex,
                                                       TColor AFrameColor) const {
  // A count or index out of range draws a middle button.
  const bool Valid = AButtonCount > 0 && AButtonIndex >= 0 && AButtonIndex < AButtonCount;
  const bool First = Valid && AButtonIndex == 0;
  const bool Last = Valid && AButtonIndex == AButtonCount - 1;
  TRect B = Rect(R.Left, R.Top + 1, R.Right, R.Bottom - 1);
  if (First) B.Left += 1;
  if (Last) B.Right -= 1;
  if (B.IsEmpty()) return;
  if (AState == BS::cxbsNormal || AState == BS::cxbsDisabled) {
    Frame(ACanvas, B, AFrameColor);
    InflateRect(&B, -1, -1);
  } else {
    if (!First) {
      cxFillRectColor(ACanvas, Rect(B.Left, B.Top, B.Left + 1, B.Bottom), HighlightColor());
      B.Left += 1;
    }
    if (!Last) {
      cxFillRectColor(ACanvas, Rect(B.Right - 1, B.Top, B.Right, B.Bottom), HighlightColor());
      B.Right -= 1;
    }
  }
  cxFillRectColor(ACanvas, B, ButtonColor(AState));
}

void TcxUltraFlatLookAndFeelPainter::DrawButtonBorder(TcxCanvas& ACanvas, TRect R, TcxButtonState AState) const {
  if (R.IsEmpty()) return;
  switch (AState) {
    case BS::cxbsDefault:
      cxDrawRing(ACanvas, R, clWindowFrame, clWindowFrame);
      cxDrawRing(ACanvas, R, clWindowFrame, clWindowFrame);
      break;
    case BS::cxbsNormal: Frame(ACanvas, R, clBtnText); break;
    case BS::cxbsDisabled: Frame(ACanvas, R, clBtnShadow); break;
    default: Frame(ACanvas, R, clHighlight); break;
  }
}

void TcxUltraFlatLookAndFeelPainter::DrawStateFrame(TcxCanvas& ACanvas, const TRect& R, bool AFirst,
                                                    bool ASecond) const {
  Frame(ACanvas, R, AFirst ? clBtnText : ASecond ? HighlightColor() : clBtnShadow);
}

void TcxUltraFlatLookAndFeelPainter::DrawExpandButton(TcxCanvas& ACanvas, const TRect& R, bool AExpanded,
                                                      TColor AColor) const {
  if (R.IsEmpty()) return;
  Frame(ACanvas, R, clBtnShadow);
  TRect B = R;
  InflateRect(&B, -1, -1);
  cxFillRectColor(ACanvas, B, AColor == clDefault ? clBtnFace : AColor);
  cxDrawPlusMinus(ACanvas, B, AExpanded, clBtnText);
  ACanvas.ExcludeClipRect(R);
}

Integer TcxUltraFlatLookAndFeelPainter::ExpandButtonSize() const { return 11; }
bool TcxUltraFlatLookAndFeelPainter::IsScrollBarHotTracked() const { return true; }

void TcxUltraFlatLookAndFeelPainter::DrawCheckBorder(TcxCanvas& ACanvas, TRect R, TcxButtonState AState) const {
  if (R.IsEmpty()) return;
  Frame(ACanvas, R, clBtnText);
  InflateRect(&R, -1, -1);
  Frame(ACanvas, R, CheckButtonColor(AState));
}

void TcxUltraFlatLookAndFeelPainter::DrawHeaderSection(TcxCanvas& ACanvas, const TRect& ABounds,
                                                       TcxNeighbors ANeighbors, TcxBorders ABorders,
                                                       TcxButtonState AState, TAlignment AAlignmentHorz,
                                                       TcxAlignmentVert AAlignmentVert, bool AMultiLine,
                                                       bool AShowEndEllipsis, const String& AText, TFont* AFont,
                                                       TColor ATextColor, TColor ABkColor,
                                                       const TcxDrawBackgroundEvent& AOnDrawBackground,
                                                       bool) const {
  TRect B = ABounds;
  InflateRect(&B, -1, -1);
  if (B.IsEmpty()) return;
  DrawContent(ACanvas, B, B, static_cast<Integer>(AState), AAlignmentHorz, AAlignmentVert, AMultiLine,
              AShowEndEllipsis, AText, AFont, ATextColor, ABkColor, AOnDrawBackground, false);
  DrawHeaderBorder(ACanvas, B, ANeighbors, ABorders);
}

void TcxUltraFlatLookAndFeelPainter::DrawHeaderBorder(TcxCanvas& ACanvas, const TRect& R, TcxNeighbors,
                                                      TcxBorders ABorders) const {
  TcxBorders Sides = {TcxBorder::bRight, TcxBorder::bBottom};
  if (ABorders.Contains(TcxBorder::bLeft)) Sides = Sides + TcxBorders{TcxBorder::bLeft};
  if (ABorders.Contains(TcxBorder::bTop)) Sides = Sides + TcxBorders{TcxBorder::bTop};
  Frame(ACanvas, R, clBtnText, Sides);
}

void TcxUltraFlatLookAndFeelPainter::DrawButtonCellBorder(TcxCanvas& ACanvas, TRect R, TcxButtonState AState,
                                                          TcxBorders ABorders) const {
  Frame(ACanvas, R, AState == BS::cxbsDisabled ? clBtnShadow : clBlack, ABorders);
}

void TcxUltraFlatLookAndFeelPainter::DrawButtonCellContent(TcxCanvas& ACanvas, const TRect& R, TcxButtonState AState,
                                                           const String& AText, TFont* AFont,
                                                           TAlignment AAlignmentHorz, TcxAlignmentVert AAlignmentVert,
                                                           TColor ATextColor, TColor ABkColor) const {
  const bool Lit = AState == BS::cxbsHot || AState == BS::cxbsPressed;
  cxFillRectColor(ACanvas, R, Lit ? ButtonColor(AState) : ABkColor);
  if (ATextColor != clDefault && ATextColor != clNone) ACanvas.GetFont()->SetColor(ATextColor);
  DrawButtonCellText(ACanvas, ButtonCellTextBounds(R, AState), AFont, ATextColor, AText, AAlignmentHorz,
                     AAlignmentVert, AState);
}

void TcxUltraFlatLookAndFeelPainter::DrawSortingMark(TcxCanvas& ACanvas, const TRect& R, bool AAscending) const {
  cxDrawSortingMarkGlyph(ACanvas, R, SortingMarkSize(), AAscending, clBtnShadow, clBtnShadow);
}

TcxBorders TcxUltraFlatLookAndFeelPainter::HeaderBorders(TcxNeighbors ANeighbors) const {
  TcxBorders Result = cxBordersAll;
  if (ANeighbors.Contains(TcxNeighbor::nLeft)) Result = Result - TcxBorders{TcxBorder::bLeft};
  if (ANeighbors.Contains(TcxNeighbor::nTop)) Result = Result - TcxBorders{TcxBorder::bTop};
  return Result;
}

Integer TcxUltraFlatLookAndFeelPainter::HeaderBorderSize() const { return 1; }
TPoint TcxUltraFlatLookAndFeelPainter::SortingMarkSize() const { return {7, 8}; }
TcxBorders TcxUltraFlatLookAndFeelPainter::SunkenBoxBorders() const { return {TcxBorder::bRight, TcxBorder::bBottom}; }
Integer TcxUltraFlatLookAndFeelPainter::RaisedFrameWidth() const { return 1; }
Integer TcxUltraFlatLookAndFeelPainter::SunkenFrameWidth() const { return 1; }
Integer TcxUltraFlatLookAndFeelPainter::SunkenBoxOuterWidth() const { return 2; }

void TcxUltraFlatLookAndFeelPainter::DrawRaisedFrame(TcxCanvas& ACanvas, const TRect& R) const {
  Frame(ACanvas, R, SeparatorColor(), {TcxBorder::bRight, TcxBorder::bBottom});
}
void TcxUltraFlatLookAndFeelPainter::DrawSunkenFrame(TcxCanvas& ACanvas, const TRect& R) const {
  Frame(ACanvas, R, SeparatorColor());
}

void TcxUltraFlatLookAndFeelPainter::DrawDropDownButton(TcxCanvas& ACanvas, const TRect& R, TcxButtonState AState,
                                                        bool AIsActive) const {
  if (R.IsEmpty()) return;
  Frame(ACanvas, R, BorderColorForState(AState));
  TRect B = R;
  InflateRect(&B, -1, -1);
  cxFillRectColor(ACanvas, B, ButtonColor(AState));
  DrawDropDownGlyph(ACanvas, B, AIsActive ? 0xFF0000 : ButtonSymbolColor(AState, clDefault));
}

TPoint TcxUltraFlatLookAndFeelPainter::CloseButtonSize() const {
  const TPoint P = TcxCustomLookAndFeelPainter::CloseButtonSize();
  return {P.X, P.Y + 1};
}
TPoint TcxUltraFlatLookAndFeelPainter::ButtonSize138() const {
  const TPoint P = TcxCustomLookAndFeelPainter::ButtonSize138();
  return {P.X - 1, P.Y - 1};
}

void TcxUltraFlatLookAndFeelPainter::DrawTabBorder(TcxCanvas& ACanvas, const TRect& R, TcxBorder ABorder,
                                                   TcxBorders, bool AVertical) const {
  TRect B = R;
  const bool Far = AVertical ? ABorder == TcxBorder::bBottom : ABorder == TcxBorder::bRight;
  if (Far && !AVertical) B.Bottom -= TabBorderSize(AVertical);
  cxFillRectColor(ACanvas, B, Far ? TextColorForBorder() : ShadowColor());
}

void TcxUltraFlatLookAndFeelPainter::DrawTabsRoot(TcxCanvas& ACanvas, const TRect& R, TcxBorders ABorders,
                                                  bool AVertical) const {
  if (!R.IsEmpty()) ACanvas.FrameRect(R, ShadowColor(), ABorders, TabBorderSize(AVertical));
}

Integer TcxUltraFlatLookAndFeelPainter::TabBorderSize(bool) const { return 1; }

void TcxUltraFlatLookAndFeelPainter::DrawScrollBarPart(TcxCanvas& ACanvas, bool AHorizontal, TRect R,
                                                       TcxScrollBarPart APart, TcxButtonState AState) const {
  if (R.IsEmpty()) return;
  if (APart == TcxScrollBarPart::sbpThumbnail && AState == BS::cxbsDisabled) return;
  cxDrawButtonLikeScrollPart(*this, ACanvas, AHorizontal, R, APart, AState);
}

void TcxUltraFlatLookAndFeelPainter::DrawToolButton(TcxCanvas& ACanvas, const TRect& R, TcxButtonState AState) const {
  DrawButton(ACanvas, R, String(), AState, AState == BS::cxbsHot || AState == BS::cxbsPressed, clDefault, clDefault);
}

void TcxUltraFlatLookAndFeelPainter::DrawBar(TcxCanvas& ACanvas, const TRect& R, bool AHorizontal,
                                             const TcxPaintParams& ABackground) const {
  cxDrawBarBody(ACanvas, R, AHorizontal, ABackground, DefaultColor47(), DefaultColor47());
}

bool TcxUltraFlatLookAndFeelPainter::IsButtonHotTrack() const { return true; }

TColor TcxUltraFlatLookAndFeelPainter::BorderColorForState(TcxButtonState AState) const {
  return AState == BS::cxbsNormal ? clBtnShadow : clHighlight;
}
TColor TcxUltraFlatLookAndFeelPainter::ShadowColor() const { return clBtnShadow; }
TColor TcxUltraFlatLookAndFeelPainter::TextColorForBorder() const { return clBtnText; }
TColor TcxUltraFlatLookAndFeelPainter::HighlightColor() const { return clHighlight; }

// ---- Office11 ----

TcxLookAndFeelStyle TcxOffice11LookAndFeelPainter::LookAndFeelStyle() const { return TcxLookAndFeelStyle::lfsOffice11; }

// The section background in three bands, each from the light blend to the dark gradient
// colour: two two-stage gradients, then a plain one.
void TcxOffice11LookAndFeelPainter::DrawContent(TcxCanvas& ACanvas, const TRect& ABounds, const TRect& ATextAreaBounds,
                                                Integer AState, TAlignment AAlignmentHorz,
                                                TcxAlignmentVert AAlignmentVert, bool AMultiLine,
                                                bool AShowEndEllipsis, const String& AText, TFont* AFont,
                                                TColor ATextColor, TColor ABkColor,
                                                const TcxDrawBackgroundEvent& AOnDrawBackground, bool AIsLast) const {
  (void)ABkColor;
  if (!(AOnDrawBackground && AOnDrawBackground(ACanvas, ABounds)) && !ABounds.IsEmpty()) {
    const Integer third = ABounds.Height() / 3;
    TRect First = ABounds, Second = ABounds, Third = ABounds;
    First.Bottom = Second.Top = ABounds.Top + third;
    Second.Bottom = Third.Top = ABounds.Top + 2 * third;
    const HDC DC = ACanvas.GetHandle();
    if (!First.IsEmpty()) cxFillTwoStageGradientRect(DC, First, SchemeColor165(), false, SchemeColor162());
    if (!Second.IsEmpty()) cxFillTwoStageGradientRect(DC, Second, SchemeColor165(), false, SchemeColor162());
    if (!Third.IsEmpty()) cxFillGradientRect(DC, Third, SchemeColor165(), false, SchemeColor162());
  }
  TcxCustomLookAndFeelPainter::DrawContent(ACanvas, ABounds, ATextAreaBounds, AState, AAlignmentHorz, AAlignmentVert,
                                           AMultiLine, AShowEndEllipsis, AText, AFont, ATextColor, clNone, nullptr,
                                           AIsLast);
}

// The one colour of the set not among the named fields that fits the shadow role.
TColor TcxOffice11LookAndFeelPainter::DefaultColor14() const { return C(O11().PainterColor19); }
TColor TcxOffice11LookAndFeelPainter::DefaultColor24() const { return C(O11().PainterColor17); }
TColor TcxOffice11LookAndFeelPainter::DefaultColor25() const { return C(O11().HighlightEdge); }
TColor TcxOffice11LookAndFeelPainter::DefaultColor27() const { return DefaultColor34(); }
TColor TcxOffice11LookAndFeelPainter::DefaultColor28() const { return DefaultColor35(); }
TColor TcxOffice11LookAndFeelPainter::DefaultColor30() const { return C(O11().PainterColor33); }
TColor TcxOffice11LookAndFeelPainter::DefaultColor32() const { return C(O11().PainterColor19); }
TColor TcxOffice11LookAndFeelPainter::DefaultColor33() const { return C(O11().GradientLight); }
TColor TcxOffice11LookAndFeelPainter::DefaultColor34() const { return C(O11().Face); }
TColor TcxOffice11LookAndFeelPainter::DefaultColor36() const { return DefaultColor32(); }
TColor TcxOffice11LookAndFeelPainter::DefaultColor42() const { return C(O11().Face); }
TColor TcxOffice11LookAndFeelPainter::DefaultColor43() const { return C(O11().PainterColor34); }
TColor TcxOffice11LookAndFeelPainter::DefaultColor44() const { return clWindowText; }
TColor TcxOffice11LookAndFeelPainter::DefaultColor47() const { return C(O11().PainterColor36); }
TColor TcxOffice11LookAndFeelPainter::DefaultColor48() const { return C(O11().PainterColor35); }
TColor TcxOffice11LookAndFeelPainter::DefaultColor54() const { return C(O11().PainterColor4); }
TColor TcxOffice11LookAndFeelPainter::DefaultColor56() const { return DefaultColor54(); }
TColor TcxOffice11LookAndFeelPainter::DefaultColor59() const { return C(O11().Face); }
TColor TcxOffice11LookAndFeelPainter::DefaultColor61() const { return DefaultColor48(); }

void TcxOffice11LookAndFeelPainter::DrawBorder(TcxCanvas& ACanvas, TRect R) const {
  Frame(ACanvas, R, C(O11().PainterColor19));
}

TColor TcxOffice11LookAndFeelPainter::ButtonColor(TcxButtonState AState) const {
  switch (AState) {
    case BS::cxbsHot: return C(O11().HotLight);
    case BS::cxbsPressed: return C(O11().PressedLight);
    case BS::cxbsDisabled: return clBtnFace;
    default: return C(O11().Face);
  }
}

TColor TcxOffice11LookAndFeelPainter::ButtonSymbolColor(TcxButtonState AState, TColor) const {
  if (AState == BS::cxbsPressed && !cxIsOffice11SchemeThemed()) return clHighlightText;
  return C(AState == BS::cxbsDisabled ? O11().DisabledText : O11().Text);
}

void TcxOffice11LookAndFeelPainter::DrawButtonBorder(TcxCanvas& ACanvas, TRect R, TcxButtonState AState) const {
  switch (AState) {
    case BS::cxbsDefault: TcxUltraFlatLookAndFeelPainter::DrawButtonBorder(ACanvas, R, AState); break;
    case BS::cxbsNormal: Frame(ACanvas, R, clBtnText); break;
    case BS::cxbsDisabled: Frame(ACanvas, R, C(O11().DisabledText)); break;
    default: Frame(ACanvas, R, C(O11().SelectionFrame)); break;
  }
}

void TcxOffice11LookAndFeelPainter::DrawExpandButton(TcxCanvas& ACanvas, const TRect& R, bool AExpanded,
                                                     TColor) const {
  if (R.IsEmpty()) return;
  TBitmap* Glyph = AExpanded ? cxOffice11ExpandButtonMinusBitmap() : cxOffice11ExpandButtonPlusBitmap();
  TCanvas* Canvas = ACanvas.Canvas();
  // Corner pixels blend with what lies under them; only pixels inside R are read or written.
  auto inside = [&](Integer x, Integer y) { return x < R.Right && y < R.Bottom; };
  const TColor TopLeft = Canvas->GetPixel(R.Left, R.Top);
  const TColor BottomRight = Canvas->GetPixel(R.Right - 1, R.Bottom - 1);
  TcxRegion* SavedClip = ACanvas.GetClipRegion();
  ACanvas.IntersectClipRect(R);
  if (Glyph) ACanvas.Draw(R.Left, R.Top, Glyph);
  const TColor First = C(O11().ExpandButtonFrame), Second = C(O11().ExpandButtonSign);
  if (TopLeft >= 0) ACanvas.SetPixel(R.Left, R.Top, cxBlendColors(First, TopLeft, 25));
  if (BottomRight >= 0) {
    const TColor Soft = cxBlendColors(Second, BottomRight, 25);
    if (inside(R.Left + 10, R.Top)) ACanvas.SetPixel(R.Left + 10, R.Top, Soft);
    if (inside(R.Left, R.Top + 10)) ACanvas.SetPixel(R.Left, R.Top + 10, Soft);
    if (inside(R.Left + 10, R.Top + 10)) ACanvas.SetPixel(R.Left + 10, R.Top + 10, Soft);
  }
  ACanvas.SetClipRegion(SavedClip, TcxRegionOperation::roSet);
}

bool TcxOffice11LookAndFeelPainter::ExpandButtonOpaque() const { return false; }
void TcxOffice11LookAndFeelPainter::DrawSmallExpandButton(TcxCanvas& ACanvas, const TRect& R, bool AExpanded,
                                                          TColor, TColor AColor) const {
  DrawExpandButton(ACanvas, R, AExpanded, AColor);
}
Integer TcxOffice11LookAndFeelPainter::SmallExpandButtonSize() const { return ExpandButtonSize(); }

TColor TcxOffice11LookAndFeelPainter::CheckButtonColor(TcxButtonState AState) const {
  if (AState == BS::cxbsHot || AState == BS::cxbsPressed || AState == BS::cxbsDisabled) return ButtonColor(AState);
  return TcxCustomLookAndFeelPainter::CheckButtonColor(AState);
}

void TcxOffice11LookAndFeelPainter::DrawHeader(TcxCanvas& ACanvas, const TRect& ABounds, const TRect& ATextAreaBounds,
                                               TcxNeighbors ANeighbors, TcxBorders ABorders, TcxButtonState AState,
                                               TAlignment AAlignmentHorz, TcxAlignmentVert AAlignmentVert,
                                               bool AMultiLine, bool AShowEndEllipsis, const String& AText,
                                               TFont* AFont, TColor ATextColor, TColor ABkColor,
                                               const TcxDrawBackgroundEvent&, bool AIsLast) const {
  TcxCustomLookAndFeelPainter::DrawHeader(ACanvas, ABounds, ATextAreaBounds, ANeighbors, ABorders, AState,
                                          AAlignmentHorz, AAlignmentVert, AMultiLine, AShowEndEllipsis, AText, AFont,
                                          ATextColor, ABkColor, nullptr, AIsLast);
}

// Light edges left and top, dark edges right and bottom, corners softened by blends.
void TcxOffice11LookAndFeelPainter::DrawHeaderBorder(TcxCanvas& ACanvas, const TRect& R, TcxNeighbors,
                                                     TcxBorders ABorders) const {
  if (R.IsEmpty()) return;
  if (ABorders.Contains(TcxBorder::bLeft)) Frame(ACanvas, R, SchemeColor164(), {TcxBorder::bLeft});
  if (ABorders.Contains(TcxBorder::bTop)) Frame(ACanvas, R, SchemeColor165(), {TcxBorder::bTop});
  if (ABorders.Contains(TcxBorder::bRight)) Frame(ACanvas, R, SchemeColor163(), {TcxBorder::bRight});
  if (ABorders.Contains(TcxBorder::bBottom)) Frame(ACanvas, R, SchemeColor162(), {TcxBorder::bBottom});
  if (ABorders.Contains(TcxBorder::bRight) && ABorders.Contains(TcxBorder::bBottom))
    ACanvas.SetPixel(R.Right - 1, R.Bottom - 1, cxBlendColors(SchemeColor163(), SchemeColor162(), 50));
  if (ABorders.Contains(TcxBorder::bRight) && ABorders.Contains(TcxBorder::bTop))
    ACanvas.SetPixel(R.Right - 1, R.Top, cxBlendColors(SchemeColor163(), SchemeColor165(), 25));
}

void TcxOffice11LookAndFeelPainter::DrawButtonCell(TcxCanvas& ACanvas, const TRect& R, TcxButtonState AState,
                                                   TcxBorders ABorders, const String& AText, TFont* AFont,
                                                   TAlignment AAlignmentHorz, TcxAlignmentVert AAlignmentVert,
                                                   TColor ATextColor, TColor ABkColor) const {
  DrawHeader(ACanvas, R, R, {}, ABorders, AState, AAlignmentHorz, AAlignmentVert, false, false, AText, AFont,
             ATextColor, ABkColor, nullptr, false);
  if (AState == BS::cxbsPressed) DrawInvertedRect(ACanvas, R);
}

void TcxOffice11LookAndFeelPainter::DrawSortingMark(TcxCanvas& ACanvas, const TRect& R, bool AAscending) const {
  cxDrawSortingMarkGlyph(ACanvas, R, SortingMarkSize(), AAscending, SchemeColor163(), SchemeColor164());
}

TcxBorders TcxOffice11LookAndFeelPainter::HeaderBorders(TcxNeighbors) const { return cxBordersAll; }
bool TcxOffice11LookAndFeelPainter::ButtonCellFlag() const { return true; }
TColor TcxOffice11LookAndFeelPainter::SeparatorColor() const { return SchemeColor163(); }

void TcxOffice11LookAndFeelPainter::DrawScrollBarPart(TcxCanvas& ACanvas, bool AHorizontal, TRect R,
                                                      TcxScrollBarPart APart, TcxButtonState AState) const {
  const TcxCustomLookAndFeelPainter* Native = cxWinXPPainter();
  const TcxCustomLookAndFeelPainter* P = Native && cxAreThemesAvailable() ? Native : cxStandardPainter();
  P->DrawScrollBarPart(ACanvas, AHorizontal, R, APart, AState);
}

void TcxOffice11LookAndFeelPainter::DrawHeaderWithArrows(TcxCanvas& ACanvas, const TRect& R, const String& AText,
                                                         TcxNeighbors ANeighbors, const TcxViewParams& AViewParams,
                                                         TcxHeaderArrows AArrows, Integer AArrowOffset,
                                                         const TcxDrawBackgroundEvent& AOnDrawBackground) const {
  // The gradient section with its arrows in the scheme's text colour.
  if (R.IsEmpty()) return;
  DrawHeader(ACanvas, R, R, ANeighbors, HeaderBorders(ANeighbors), BS::cxbsNormal, TAlignment::taCenter,
             TcxAlignmentVert::vaCenter, false, false, AText, AViewParams.Font, AViewParams.TextColor,
             AViewParams.Color, AOnDrawBackground, false);
  cxDrawHeaderArrowsGlyph(ACanvas, R, AArrows, AArrowOffset, BorderSize(), C(O11().Text));
}

void TcxOffice11LookAndFeelPainter::DrawFrameBorder(TcxCanvas& ACanvas, const TRect& R) const {
  Frame(ACanvas, R, DefaultColor47());
}

void TcxOffice11LookAndFeelPainter::DrawToolButton(TcxCanvas& ACanvas, const TRect& R, TcxButtonState AState) const {
  const TcxCustomLookAndFeelPainter* Native = cxWinXPPainter();
  (Native ? Native : cxStandardPainter())->DrawToolButton(ACanvas, R, AState);
}

TColor TcxOffice11LookAndFeelPainter::BorderColorForState(TcxButtonState AState) const {
  return AState == BS::cxbsNormal ? SchemeColor163() : C(O11().SelectionFrame);
}
TColor TcxOffice11LookAndFeelPainter::ShadowColor() const { return SchemeColor163(); }
TColor TcxOffice11LookAndFeelPainter::HighlightColor() const { return C(O11().SelectionFrame); }
TColor TcxOffice11LookAndFeelPainter::SchemeColor162() const { return C(O11().GradientDark); }
TColor TcxOffice11LookAndFeelPainter::SchemeColor163() const { return C(O11().PainterColor15); }
TColor TcxOffice11LookAndFeelPainter::SchemeColor164() const { return C(O11().PainterColor16); }
TColor TcxOffice11LookAndFeelPainter::SchemeColor165() const {
  return cxBlendColors(C(O11().GradientLight), C(O11().GradientDark), 50);
}
