#include "widgets/editcore/cxEditUtils.h"

#include "platform/user/User.h"
#include "widgets/editcore/cxEditPaintUtils.h"
#include "widgets/editcore/cxEditProperties.h"
#include "widgets/editcore/cxEditViewData.h"
#include "widgets/foundation/dxOffice11.h"
#include "widgets/foundation/dxThemeManager.h"
#include "widgets/foundation/dxUxTheme.h"

#include <algorithm>

namespace {

using S = TcxEditButtonState;
using St = TcxEditButtonStyle;
using K = TcxEditButtonKind;

constexpr int kThemeProbeSize = 100;

TdxThemedObjectType ThemeTypeOf(const TcxEditButtonViewInfo& V) {
  return V.Data.ComboBoxStyle ? TdxThemedObjectType::totComboBox : TdxThemedObjectType::totButton;
}

HTHEME ThemeOf(const TcxEditButtonViewInfo& V) {
  return V.Data.NativeStyle ? cxOpenTheme(ThemeTypeOf(V)) : nullptr;
}

int NativeStateOf(S AState) {
  switch (AState) {
    case S::ebsDisabled: return 4;
    case S::ebsPressed: return 3;
    case S::ebsSelected: return 2;
    default: return 1;
  }
}

// What the theme keeps around the content of a 100 × 100 button; false without a theme.
bool ThemeBorder(TcxCanvas& ACanvas, const TcxEditButtonViewInfo& V, TSize& ABorder) {
  HTHEME theme = ThemeOf(V);
  if (!theme) return false;
  const TRect probe{0, 0, kThemeProbeSize, kThemeProbeSize};
  TRect content{};
  if (FAILED(cxGetThemeBackgroundContentRect(theme, ACanvas.GetHandle(), 1, NativeStateOf(V.State), probe, content)))
    return false;
  ABorder = {kThemeProbeSize - content.Width(), kThemeProbeSize - content.Height()};
  return true;
}

bool IsPressed(const TcxEditButtonViewInfo& V) { return V.State == S::ebsPressed; }
bool IsLit(const TcxEditButtonViewInfo& V) { return V.State == S::ebsPressed || V.State == S::ebsSelected; }
bool HasColor(const TcxEditButtonViewInfo& V) { return V.BackgroundColor != clDefault; }

void Shrink(TRect& R) { InflateRect(&R, -1, -1); }

// A two-colour frame one pixel wide; R moves in by one.
void ComplexFrame(TcxCanvas& ACanvas, TRect& R, TColor ALeftTop, TColor ARightBottom) {
  ACanvas.DrawComplexFrame(R, ALeftTop, ARightBottom);
  Shrink(R);
}

void Frame(TcxCanvas& ACanvas, TRect& R, TColor AColor) {
  ACanvas.FrameRect(R, AColor);
  Shrink(R);
}

void Sides(TcxCanvas& ACanvas, TRect& R, Integer ASides, TColor AColor) { cxDrawRectBorders(ACanvas, R, ASides, AColor); }

// The side of a button that lies toward the editor's border of its side.
Integer OuterSide(const TcxEditButtonViewInfo& V) {
  return V.Data.LeftAlignment ? cxEditBorderLeft : cxEditBorderRight;
}

bool StandsAlone(const TcxEditButtonViewInfo& V) { return V.Data.Leftmost && V.Data.Rightmost; }

// The sides facing the text or another button: the inner side, and the outer one unless
// it is the editor's own border.
Integer NeighbourSides(const TcxEditButtonViewInfo& V) {
  if (V.Data.LeftAlignment) return cxEditBorderRight | (V.Data.Leftmost ? 0 : cxEditBorderLeft);
  return cxEditBorderLeft | (V.Data.Rightmost ? 0 : cxEditBorderRight);
}

const TcxCustomLookAndFeelPainter* PainterOfStyle(const TcxEditButtonViewInfo& V) {
  TcxLookAndFeelKind kind = TcxLookAndFeelKind::lfUltraFlat;
  switch (V.ButtonStyle) {
    case St::bts3D: kind = TcxLookAndFeelKind::lfStandard; break;
    case St::btsFlat: kind = TcxLookAndFeelKind::lfFlat; break;
    case St::btsOffice11: kind = TcxLookAndFeelKind::lfOffice11; break;
    default: break;
  }
  return cxGetPainterClass(V.Data.NativeStyle, kind);
}

}  // namespace

// ---- sizes ----

Integer cxGetNativeEditButtonBorderWidth(TcxCanvas& ACanvas, const TcxEditButtonViewInfo& AViewInfo) {
  TSize border;
  return ThemeBorder(ACanvas, AViewInfo, border) ? border.cx : 4;
}

Integer cxGetEditButtonBordersHeight(TcxCanvas& ACanvas, const TcxEditButtonViewInfo& AViewInfo) {
  TSize border;
  if (ThemeBorder(ACanvas, AViewInfo, border)) return border.cy;
  switch (AViewInfo.ButtonStyle) {
    case St::btsDefault: return 0;
    case St::bts3D: return 4;
    default: return 2;
  }
}

Integer cxGetEditButtonWidth(TcxCanvas& ACanvas, TcxEditButtonViewInfo& AViewInfo) {
  if (AViewInfo.Data.NativeStyle && !cxOpenTheme(ThemeTypeOf(AViewInfo))) AViewInfo.Data.NativeStyle = false;
  const Integer border = cxGetNativeEditButtonBorderWidth(ACanvas, AViewInfo);
  const Integer arrow = GetSystemMetrics(SM_CYHSCROLL);
  const TcxEditButtonViewInfoData& d = AViewInfo.Data;
  // A negative width set from code counts as automatic, like 0.
  if (d.Width >= 1) return std::max(d.Width, border);
  if (d.Kind == K::bkGlyph && cxIsGraphicValid(d.Glyph)) return d.Glyph->GetWidth() + border;
  if (d.Kind == K::bkText) return std::max(ACanvas.TextWidth(d.DisplayCaption) + border + 3, arrow);
  return arrow;
}

void cxCalcNativeButtonPartAndState(TcxEditButtonViewInfo& AViewInfo) {
  HTHEME theme = ThemeOf(AViewInfo);
  AViewInfo.NativePart = theme ? 1 : 0;
  AViewInfo.NativeState = NativeStateOf(AViewInfo.State);
  AViewInfo.BackgroundPartiallyTransparent =
      theme && cxIsThemeBackgroundPartiallyTransparent(theme, AViewInfo.NativePart, AViewInfo.NativeState);
}

bool cxEditHasButtons(TcxCustomEditProperties* AProperties, bool AFlag) {
  return AFlag && AProperties && AProperties->GetButtons()->Count() > 0;
}

TcxRegion* cxGetEditButtonRegion(TcxCanvas& ACanvas, const TcxEditButtonViewInfo& AViewInfo) {
  if (HTHEME theme = ThemeOf(AViewInfo)) {
    HRGN rgn = nullptr;
    const RECT r = AViewInfo.Bounds;
    if (SUCCEEDED(cxGetThemeBackgroundRegion(theme, ACanvas.GetHandle(), 1, NativeStateOf(AViewInfo.State), &r,
                                             &rgn)) &&
        rgn) {
      TcxRegion* result = New<TcxRegion>(rgn);
      result->Combine(New<TcxRegion>(AViewInfo.Bounds), TcxRegionOperation::roIntersect);
      return result;
    }
  }
  return New<TcxRegion>(AViewInfo.Bounds);
}

TColor cxGetEditButtonHighlightColor(bool APressed, bool AIsOffice11) {
  const TcxCustomLookAndFeelPainter* p = AIsOffice11 ? cxOffice11Painter() : cxUltraFlatPainter();
  return p->ButtonColor(APressed ? TcxButtonState::cxbsPressed : TcxButtonState::cxbsHot);
}

// ---- drawing ----

void cxDrawEditButton(TcxCanvas& ACanvas, TcxCustomEditViewInfo& AViewInfo, Integer AButtonVisibleIndex) {
  if (AButtonVisibleIndex < 0 || AButtonVisibleIndex >= Integer(AViewInfo.ButtonsInfo.size())) return;
  const TcxEditButtonViewInfo& V = *AViewInfo.ButtonsInfo[size_t(AButtonVisibleIndex)];
  TRect R = V.Bounds;
  if (R.IsEmpty()) return;
  const bool transparent = V.Data.Transparent;
  const TColor bk = HasColor(V) ? V.BackgroundColor : clBtnFace;

  if (V.Data.NativeStyle) {
    if (HTHEME theme = ThemeOf(V)) {
      const int state = NativeStateOf(V.State);
      cxDrawThemeBackground(theme, ACanvas.GetHandle(), 1, state, R);
      if (V.Data.ComboBoxStyle) return;
      TRect content = R;
      if (FAILED(cxGetThemeBackgroundContentRect(theme, ACanvas.GetHandle(), 1, state, R, content))) content = R;
      return cxDrawEditButtonContent(ACanvas, AViewInfo, AButtonVisibleIndex, content, bk, clBtnText);
    }
  }

  TcxEditButtonStyle style = V.ButtonStyle;
  // A pressed or hot simple button looks like a flat one.
  if (style == St::btsSimple && IsLit(V)) style = St::btsFlat;
  TColor back = bk, text = clBtnText;
  switch (style) {
    case St::btsDefault:
      break;
    case St::bts3D:
      if (IsPressed(V)) {
        Frame(ACanvas, R, clBtnShadow);
        Frame(ACanvas, R, bk);
      } else {
        ComplexFrame(ACanvas, R, cl3DLight, cl3DDkShadow);
        ComplexFrame(ACanvas, R, clBtnHighlight, clBtnShadow);
      }
      break;
    case St::btsFlat:
      Sides(ACanvas, R, cxEditBorderLeft, bk);
      if (IsPressed(V))
        ComplexFrame(ACanvas, R, clBtnShadow, clBtnHighlight);
      else
        ComplexFrame(ACanvas, R, clBtnHighlight, clBtnShadow);
      Sides(ACanvas, R, cxEditBorderRight, bk);
      break;
    case St::btsSimple:
      if (!transparent)
        Frame(ACanvas, R, bk);
      else
        Shrink(R);
      Sides(ACanvas, R, cxEditBorderLeft | cxEditBorderRight, bk);
      break;
    case St::btsHotFlat: {
      if (!HasColor(V)) {
        switch (V.State) {
          case S::ebsPressed: back = clBtnText; break;
          case S::ebsSelected: back = clBtnShadow; break;
          default: back = clBtnFace; break;
        }
      }
      if (StandsAlone(V)) {
        Frame(ACanvas, R, clBtnShadow);
      } else {
        const Integer outer = OuterSide(V);
        const Integer inner = outer == cxEditBorderLeft ? cxEditBorderRight : cxEditBorderLeft;
        Sides(ACanvas, R, cxEditBorderTop | cxEditBorderBottom | outer, clBtnShadow);
        Sides(ACanvas, R, inner, back);
      }
      Sides(ACanvas, R, cxEditBorderLeft | cxEditBorderRight, back);
      if (V.State == S::ebsSelected && HasColor(V))
        text = clBtnShadow;
      else if (IsLit(V))
        text = clWindow;
      break;
    }
    case St::btsUltraFlat:
    case St::btsOffice11: {
      const bool office11 = style == St::btsOffice11;
      if (HasColor(V))
        back = V.BackgroundColor;
      else if (IsLit(V))
        back = cxGetEditButtonHighlightColor(IsPressed(V), office11);
      else if (V.State == S::ebsNormal && office11)
        back = cxOffice11Painter()->ButtonColor(TcxButtonState::cxbsNormal);
      else
        back = clBtnFace;
      const TColor border = cxGetEditBorderHighlightColor(office11);
      if (!IsLit(V)) {
        if (transparent)
          Shrink(R);
        else
          Frame(ACanvas, R, back);
      } else if (V.Data.FullFrame) {
        Frame(ACanvas, R, border);
      } else {
        Sides(ACanvas, R, NeighbourSides(V), border);
      }
      break;
    }
  }
  cxDrawEditButtonContent(ACanvas, AViewInfo, AButtonVisibleIndex, R, back, text);
}

namespace {

// The ellipsis dots, the arrow or the caption at R's place, in AColor.
void DrawSymbol(TcxCanvas& ACanvas, const TcxEditButtonViewInfo& V, const TRect& R, bool APressed, TColor AColor) {
  switch (V.Data.Kind) {
    case K::bkEllipsis: {
      const Integer d = R.Width() >= 12 ? 2 : 1;
      Integer x, y;
      cxCenterRect(R, {3 * d + 4, d}, APressed, x, y);
      for (Integer i = 0; i < 3; ++i) cxFillRectByColor(ACanvas, {x + i * (d + 2), y, x + i * (d + 2) + d, y + d}, AColor);
      break;
    }
    case K::bkDown: {
      // The spare pixel of an odd width or height goes right and down, where a pressed
      // arrow moves, so the move stays inside the content.
      TRect a = R;
      if (a.Width() % 2 == 0) --a.Right;
      if (a.Height() % 2 == 0) --a.Bottom;
      if (APressed) OffsetRect(&a, 1, 1);
      PainterOfStyle(V)->DrawArrow(ACanvas, a, TcxArrowDirection::adDown, AColor);
      break;
    }
    case K::bkText: {
      TRect t = R;
      if (APressed) OffsetRect(&t, 1, 1);
      TFont* font = ACanvas.GetFont();
      const TColor saved = font->GetColor();
      font->SetColor(AColor);
      const TBrushStyle brush = ACanvas.GetBrush()->GetStyle();
      ACanvas.GetBrush()->SetStyle(TBrushStyle::bsClear);
      ACanvas.DrawText(V.Data.Caption, t, cxAlignHCenter | cxAlignVCenter | cxSingleLine | cxShowPrefix);
      ACanvas.GetBrush()->SetStyle(brush);
      font->SetColor(saved);
      break;
    }
    case K::bkGlyph:
      break;
  }
}

// The glyph goes onto a bitmap of the button's background, which then lands in one piece:
// the glyph's place is painted once.
void DrawGlyphContent(TcxCanvas& ACanvas, const TcxEditButtonViewInfo& V, const TRect& R, bool AEnabled,
                      TColor ABackgroundColor) {
  TBitmap* glyph = V.Data.Glyph;
  const TSize size{std::min(glyph->GetWidth(), R.Width()), std::min(glyph->GetHeight(), R.Height())};
  if (size.cx <= 0 || size.cy <= 0) return;
  Integer x, y;
  cxCenterRect(R, size, IsPressed(V), x, y);
  Owned<TBitmap> back(New<TScratchBitmap>());
  back->SetSize(size.cx, size.cy);
  const TRect target{x, y, x + size.cx, y + size.cy};
  if (V.Data.NativeStyle && ThemeOf(V)) {
    // The theme's own background under the glyph, so partly transparent themes show through.
    SetWindowOrgEx(back->Canvas()->GetHandle(), x, y, nullptr);
    cxDrawThemeBackground(ThemeOf(V), back->Canvas()->GetHandle(), 1, NativeStateOf(V.State), V.Bounds);
    SetWindowOrgEx(back->Canvas()->GetHandle(), 0, 0, nullptr);
  } else if (V.Data.Transparent) {
    back->Canvas()->CopyRect({0, 0, size.cx, size.cy}, ACanvas.Canvas(), target);
  } else {
    cxFillRectAroundRect(ACanvas, R, target, ABackgroundColor);
    back->Canvas()->Brush()->SetColor(ABackgroundColor);
    back->Canvas()->FillRect({0, 0, size.cx, size.cy});
  }
  cxDrawGlyph(ACanvas, x, y, back.get(), clNone, AEnabled, glyph);
}

}  // namespace

void cxDrawEditButtonContent(TcxCanvas& ACanvas, TcxCustomEditViewInfo& AViewInfo, Integer AButtonVisibleIndex,
                             const TRect& R, TColor ABackgroundColor, TColor ATextColor) {
  if (R.IsEmpty() || AButtonVisibleIndex < 0 || AButtonVisibleIndex >= Integer(AViewInfo.ButtonsInfo.size())) return;
  const TcxEditButtonViewInfo& V = *AViewInfo.ButtonsInfo[size_t(AButtonVisibleIndex)];
  const bool glyph = V.Data.Kind == K::bkGlyph && cxIsGraphicValid(V.Data.Glyph);
  if (!V.Data.NativeStyle && !glyph && !V.Data.Transparent &&
      !AViewInfo.DrawButtonBackground(ACanvas, R, AButtonVisibleIndex)) {
    if (V.ButtonStyle == St::btsOffice11 && V.Data.Gradient && IsLit(V) && !HasColor(V)) {
      // Office11 gradients for a hot or pressed button, kept inside it.
      const TdxOffice11Colors& c = cxOffice11Colors();
      const bool pressed = IsPressed(V);
      TRect area{};
      IntersectRect(&area, &R, &V.Bounds);
      cxFillGradientRect(ACanvas.GetHandle(), area, TColor(pressed ? c.PressedLight : c.HotLight), false,
                         TColor(pressed ? c.PressedDark : c.HotDark));
    } else {
      cxFillRectByColor(ACanvas, R, ABackgroundColor);
    }
  }
  const bool enabled = V.State != S::ebsDisabled;
  if (glyph) return DrawGlyphContent(ACanvas, V, R, enabled, ABackgroundColor);
  if (!enabled) {
    TRect shifted = R;
    OffsetRect(&shifted, 1, 1);
    DrawSymbol(ACanvas, V, shifted, false, clBtnHighlight);
    DrawSymbol(ACanvas, V, R, false, clBtnShadow);
    return;
  }
  TColor color = ATextColor;
  if (V.Data.Kind == K::bkText && !(V.ButtonStyle == St::btsHotFlat && IsLit(V)))
    color = V.Data.TextColor != clDefault ? V.Data.TextColor : AViewInfo.TextColor;
  DrawSymbol(ACanvas, V, R, IsPressed(V), color);
}
