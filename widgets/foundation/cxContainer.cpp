#include "widgets/foundation/cxContainer.h"

#include "platform/theme/UxTheme.h"
#include "widgets/foundation/dxUxTheme.h"

Integer cxGetContainerBorderWidth(TcxContainerBorderStyle ABorderStyle) {
  static const Integer kWidths[] = {0, 1, 2, 2, 2, 1, 1};
  const auto i = static_cast<size_t>(ABorderStyle);
  return i < std::size(kWidths) ? kWidths[i] : 0;
}

Integer cxGetLookAndFeelBorderWidth(TcxLookAndFeelKind AKind) {
  switch (AKind) {
    case TcxLookAndFeelKind::lfFlat:
    case TcxLookAndFeelKind::lfStandard: return 2;
    case TcxLookAndFeelKind::lfUltraFlat:
    case TcxLookAndFeelKind::lfOffice11: return 1;
  }
  return 1;
}

void cxDrawContainerShadow(TcxCanvas& ACanvas, const TRect& R) {
  const TRect bottom{R.Left + 3, R.Bottom, R.Right, R.Bottom + 3};
  const TRect right{R.Right, R.Top + 3, R.Right + 3, R.Bottom + 3};
  ACanvas.SetBrushColor(clBtnShadow);
  for (const TRect& strip : {bottom, right}) {
    if (strip.IsEmpty()) continue;
    ACanvas.FillRect(strip);
    ACanvas.ExcludeClipRect(strip);
  }
}

void TcxContainerViewInfo::Assign(TcxContainerViewInfo* Source) {
  if (Source) ClientRect = Source->ClientRect;
}

void TcxContainerViewInfo::Offset(Integer DX, Integer DY) {
  for (TRect* r : {&BorderRect, &Bounds, &ClientRect}) {
    r->Left += DX;
    r->Right += DX;
    r->Top += DY;
    r->Bottom += DY;
  }
}

void TcxContainerViewInfo::DrawBorder(TcxCanvas& ACanvas, const TRect& R) {
  using B = TcxContainerBorderStyle;
  const TRect inner{R.Left + 1, R.Top + 1, R.Right - 1, R.Bottom - 1};
  switch (BorderStyle) {
    case B::cbsSingle:
    case B::cbsThick:
      ACanvas.FrameRect(R, BorderColor, cxBordersAll, BorderWidth);
      break;
    case B::cbsFlat:
      ACanvas.DrawEdge(R, true, true, Edges);
      ACanvas.FrameRect(inner, clBtnFace);
      break;
    case B::cbs3D:
      ACanvas.DrawEdge(R, true, true, Edges);
      ACanvas.DrawComplexFrame(inner, cl3DDkShadow, cl3DLight, Edges);
      break;
    case B::cbsNone:
    case B::cbsUltraFlat:
    case B::cbsOffice11:
      break;
  }
}

void TcxContainerViewInfo::InternalPaint(TcxCanvas& ACanvas) {
  if (NativeStyle) return PaintNative(ACanvas);
  TRect r = BorderRect;
  r.Left -= BorderWidth;
  r.Top -= BorderWidth;
  if (Edges.Contains(TcxBorder::bRight)) r.Right += BorderWidth;
  if (Edges.Contains(TcxBorder::bBottom)) r.Bottom += BorderWidth;
  if (Shadow) cxDrawContainerShadow(ACanvas, r);
  if (!Edges.Contains(TcxBorder::bRight)) r.Right += BorderWidth;
  if (!Edges.Contains(TcxBorder::bBottom)) r.Bottom += BorderWidth;
  DrawBorder(ACanvas, r);
  if (BorderRect.IsEmpty()) return;
  ACanvas.SetBrushColor(BackgroundColor);
  ACanvas.FillRect(BorderRect);
}

void TcxContainerViewInfo::PaintNative(TcxCanvas& ACanvas) {
  if (Bounds.IsEmpty()) return;
  if (BorderStyle == TcxContainerBorderStyle::cbsNone) {
    ACanvas.SetBrushColor(BackgroundColor);
    ACanvas.FillRect(Bounds);
    return;
  }
  TRect content = Bounds;
  HTHEME theme = cxOpenTheme(ThemedObjectType);
  if (!theme || FAILED(cxGetThemeBackgroundContentRect(theme, ACanvas.GetHandle(), NativePart, NativeState, Bounds,
                                                        content)))
    content = {Bounds.Left + 1, Bounds.Top + 1, Bounds.Right - 1, Bounds.Bottom - 1};
  // Without a theme colour the frame keeps the computed border colour rather than garbage.
  TColor frame = BorderColor;
  COLORREF themed = 0;
  HTHEME combo = cxOpenTheme(TdxThemedObjectType::totComboBox);
  if (combo && SUCCEEDED(cxGetThemeColor(combo, 1, 1, TMT_BORDERCOLOR, themed))) frame = TColor(themed);
  if (!content.IsEmpty()) {
    ACanvas.SetBrushColor(BackgroundColor);
    ACanvas.FillRect(content);
  }
  ACanvas.SetBrushColor(frame);
  const TRect strips[] = {{Bounds.Left, Bounds.Top, Bounds.Right, content.Top},
                          {Bounds.Left, content.Bottom, Bounds.Right, Bounds.Bottom},
                          {Bounds.Left, content.Top, content.Left, content.Bottom},
                          {content.Right, content.Top, Bounds.Right, content.Bottom}};
  for (const TRect& s : strips)
    if (!s.IsEmpty()) ACanvas.FillRect(s);
}

TL_DEFINE_CLASS(TcxContainerViewInfo, [](auto&) {});
