#include "widgets/editcore/cxEditPaintUtils.h"

#include "widgets/editcore/cxEditTextUtils.h"
#include "widgets/editcore/cxEditUtils.h"

#include "classlib/core/Exceptions.h"
#include "classlib/core/ScopeGuards.h"
#include "classlib/visual/Forms.h"
#include "platform/kernel/Version.h"
#include "platform/user/User.h"
#include "widgets/foundation/dxOffice11.h"
#include "widgets/foundation/dxThemeManager.h"
#include "widgets/foundation/dxUxTheme.h"

#include <algorithm>

namespace {

constexpr int kSystemBrushCount = 31;
HBRUSH gSystemBrushes[kSystemBrushCount] = {};
TcxSolidBrushCache* gBrushCache = nullptr;
bool gHotLightSupported = false;
int gInitCount = 0;

bool IsSystemColor(TColor AColor) { return (uint32_t(AColor) & 0xFF000000u) == 0x80000000u; }

// The platform reports a hot-light colour from the second 9x release and on every NT
// release from 5 on; later releases keep it.
bool HotLightSupportedByPlatform() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof(info);
  if (!GetVersionExA(&info)) return false;
  if (info.dwPlatformId == VER_PLATFORM_WIN32_NT) return info.dwMajorVersion >= 5;
  return info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS && info.dwMinorVersion != 0;
}

}  // namespace

// ---- brush cache ----

TcxSolidBrushCache::TcxSolidBrushCache(Integer ACapacity) : FCapacity(std::max<Integer>(ACapacity, 1)) {
  FColors.resize(size_t(FCapacity));
  FBrushes.resize(size_t(FCapacity));
  FUsageCounts.resize(size_t(FCapacity));
  FNotifier = New<TcxSystemPaletteChangedNotifier>(false);
  FNotifier->OnSystemPaletteChanged = {this, &TcxSolidBrushCache::PaletteChanged};
}

void TcxSolidBrushCache::BeforeDestruction() {
  FreeAndNil(FNotifier);
  Clear();
  inherited::BeforeDestruction();
}

void TcxSolidBrushCache::Clear() {
  for (Integer i = 0; i < FCount; ++i) DeleteObject(FBrushes[size_t(i)]);
  FCount = 0;
}

bool TcxSolidBrushCache::Find(TColor AColor, Integer& AIndex) const {
  Integer lo = 0, hi = FCount - 1;
  const uint32_t key = uint32_t(AColor);
  while (lo <= hi) {
    const Integer mid = lo + (hi - lo) / 2;
    const uint32_t c = uint32_t(FColors[size_t(mid)]);
    if (c == key) {
      AIndex = mid;
      return true;
    }
    if (c < key)
      lo = mid + 1;
    else
      hi = mid - 1;
  }
  AIndex = lo;
  return false;
}

bool TcxSolidBrushCache::Contains(TColor AColor) const {
  Integer i;
  return Find(AColor, i);
}

void TcxSolidBrushCache::Delete(Integer AIndex) {
  DeleteObject(FBrushes[size_t(AIndex)]);
  const auto from = size_t(AIndex) + 1, to = size_t(FCount);
  std::move(FColors.begin() + from, FColors.begin() + to, FColors.begin() + AIndex);
  std::move(FBrushes.begin() + from, FBrushes.begin() + to, FBrushes.begin() + AIndex);
  std::move(FUsageCounts.begin() + from, FUsageCounts.begin() + to, FUsageCounts.begin() + AIndex);
  --FCount;
}

HBRUSH TcxSolidBrushCache::GetBrush(TColor AColor) {
  Integer index;
  if (Find(AColor, index)) {
    ++FUsageCounts[size_t(index)];
    return FBrushes[size_t(index)];
  }
  if (FCount == FCapacity) {
    const auto first = FUsageCounts.begin(), last = FUsageCounts.begin() + FCount;
    const Integer victim = Integer(std::min_element(first, last) - first);
    Delete(victim);
    if (victim < index) --index;
  }
  const auto at = size_t(index), end = size_t(FCount);
  std::move_backward(FColors.begin() + at, FColors.begin() + end, FColors.begin() + end + 1);
  std::move_backward(FBrushes.begin() + at, FBrushes.begin() + end, FBrushes.begin() + end + 1);
  std::move_backward(FUsageCounts.begin() + at, FUsageCounts.begin() + end, FUsageCounts.begin() + end + 1);
  FColors[at] = AColor;
  FBrushes[at] = CreateSolidBrush(ColorToRGB(AColor));
  FUsageCounts[at] = 0;
  ++FCount;
  return FBrushes[at];
}

TL_DEFINE_CLASS(TcxSolidBrushCache, [](auto&) {});

HBRUSH cxGetSolidBrush(TColor AColor) {
  if (IsSystemColor(AColor)) {
    const uint32_t index = uint32_t(AColor) & 0xFFFFFFu;
    if (index < uint32_t(kSystemBrushCount))
      return gSystemBrushes[index] ? gSystemBrushes[index] : GetSysColorBrush(int(index));
  }
  if (!gBrushCache) throw Exception("The editor painting utilities are not initialized");
  return gBrushCache->GetBrush(AColor);
}

HBRUSH cxGetSolidBrushForCanvas(TcxCanvas&, TColor AColor) { return cxGetSolidBrush(AColor); }

void cxResetSolidBrushCache() {
  if (gBrushCache) gBrushCache->Clear();
}

TcxSolidBrushCache* cxSolidBrushCache() { return gBrushCache; }

void cxFillRectWithBrush(HDC DC, const TRect& R, HBRUSH ABrush) { FillRect(DC, &R, ABrush); }

void cxFillRectByColor(TcxCanvas& ACanvas, const TRect& R, TColor AColor) {
  if (AColor == clNone || R.IsEmpty()) return;
  cxFillRectWithBrush(ACanvas.GetHandle(), R, cxGetSolidBrush(AColor));
}

void cxFillRectAroundRect(TcxCanvas& ACanvas, const TRect& AOuter, const TRect& AInner, TColor AColor) {
  TRect strips[4];
  const int n = cxGetRectFrameStrips(AOuter, AInner, strips);
  for (int i = 0; i < n; ++i) cxFillRectByColor(ACanvas, strips[i], AColor);
}

void cxOffsetRectByPoint(TRect& R, const TPoint& P) { OffsetRect(&R, P.X, P.Y); }

// ---- lines and shapes ----

void cxDrawPolyline(TcxCanvas& ACanvas, const TPoint* APoints, Integer ACount, bool AUseBrush, TColor AColor) {
  if (!APoints || ACount <= 0) return;
  if (AUseBrush) {
    if (ACount == 1) return cxFillRectByColor(ACanvas, {APoints[0].X, APoints[0].Y, APoints[0].X + 1, APoints[0].Y + 1}, AColor);
    for (Integer i = 1; i < ACount; ++i) {
      const TPoint& a = APoints[i - 1];
      const TPoint& b = APoints[i];
      cxFillRectByColor(ACanvas,
                        {std::min(a.X, b.X), std::min(a.Y, b.Y), std::max(a.X, b.X) + 1, std::max(a.Y, b.Y) + 1},
                        AColor);
    }
    return;
  }
  ACanvas.GetPen()->SetColor(AColor);
  ACanvas.Polyline(TPointArray(APoints, APoints + ACount));
  ACanvas.SetPixel(APoints[ACount - 1].X, APoints[ACount - 1].Y, AColor);
}

void cxDrawRectBorders(TcxCanvas& ACanvas, TRect& R, Integer ASides, TColor AColor) {
  if (ASides & cxEditBorderLeft) {
    cxFillRectByColor(ACanvas, {R.Left, R.Top, R.Left + 1, R.Bottom}, AColor);
    ++R.Left;
  }
  if (ASides & cxEditBorderRight) {
    cxFillRectByColor(ACanvas, {R.Right - 1, R.Top, R.Right, R.Bottom}, AColor);
    --R.Right;
  }
  if (ASides & cxEditBorderTop) {
    cxFillRectByColor(ACanvas, {R.Left, R.Top, R.Right, R.Top + 1}, AColor);
    ++R.Top;
  }
  if (ASides & cxEditBorderBottom) {
    cxFillRectByColor(ACanvas, {R.Left, R.Bottom - 1, R.Right, R.Bottom}, AColor);
    --R.Bottom;
  }
}

void cxDrawEditArrow(TcxCanvas& ACanvas, const TRect& R, Integer ASize, TcxArrowDirection ADirection,
                     bool APressed, bool ADouble, TColor AColor) {
  if (ASize <= 0) return;
  using D = TcxArrowDirection;
  const bool vertical = ADirection == D::adUp || ADirection == D::adDown;
  const Integer across = 2 * ASize - 1, along = ADouble ? 2 * ASize : ASize;
  const Integer w = vertical ? across : along, h = vertical ? along : across;
  Integer x = R.Left + (R.Width() - w) / 2, y = R.Top + (R.Height() - h) / 2;
  if (APressed) {
    ++x;
    ++y;
  }
  for (Integer t = 0; t < (ADouble ? 2 : 1); ++t) {
    for (Integer i = 0; i < ASize; ++i) {
      // Line i counts from the figure's leading edge; its length grows toward the base.
      const bool apexFirst = ADirection == D::adUp || ADirection == D::adLeft;
      const Integer half = apexFirst ? i : ASize - 1 - i;
      const Integer pos = t * ASize + i;
      TRect line = vertical ? TRect{x + ASize - 1 - half, y + pos, x + ASize + half, y + pos + 1}
                            : TRect{x + pos, y + ASize - 1 - half, x + pos + 1, y + ASize + half};
      cxFillRectByColor(ACanvas, line, AColor);
    }
  }
}

TSize cxCalcArrowSize(Integer AWidth, Integer AHeight, TcxArrowDirection ADirection) {
  Integer n = (std::min(AWidth, AHeight) - 1) / 2;
  if (n % 2 == 0) ++n;
  TSize s{n, n / 2 + 1};
  if (ADirection == TcxArrowDirection::adLeft || ADirection == TcxArrowDirection::adRight) std::swap(s.cx, s.cy);
  return s;
}

void cxCenterRect(const TRect& ABounds, const TSize& ASize, bool APressed, Integer& X, Integer& Y) {
  X = ABounds.Left + (ABounds.Width() - ASize.cx) / 2;
  Y = ABounds.Top + (ABounds.Height() - ASize.cy) / 2;
  if (!APressed) return;
  if (X + ASize.cx < ABounds.Right) ++X;
  if (Y + ASize.cy < ABounds.Bottom) ++Y;
}

// ---- glyphs ----

bool cxIsGraphicValid(TGraphic* AGraphic) {
  return AGraphic && !AGraphic->Empty() && AGraphic->GetWidth() > 0 && AGraphic->GetHeight() > 0;
}

void cxDrawGlyph(TcxCanvas& ACanvas, Integer X, Integer Y, TBitmap* ABackgroundBitmap, TColor ABackgroundColor,
                 bool AEnabled, TBitmap* AGlyph) {
  if (!cxIsGraphicValid(AGlyph)) return;
  const Integer w = AGlyph->GetWidth(), h = AGlyph->GetHeight();
  const TRect source{0, 0, w, h};
  if (AEnabled && ABackgroundColor != clNone) {
    TCanvas* target = ABackgroundBitmap ? ABackgroundBitmap->Canvas() : ACanvas.Canvas();
    const Integer tx = ABackgroundBitmap ? 0 : X, ty = ABackgroundBitmap ? 0 : Y;
    TBrush* brush = target->Brush();
    const TBrushStyle style = brush->GetStyle();
    const TColor color = brush->GetColor();
    brush->SetColor(ABackgroundColor);
    target->BrushCopy({tx, ty, tx + w, ty + h}, AGlyph, source, AGlyph->GetTransparentColor());
    brush->SetColor(color);
    if (brush->GetStyle() != style) brush->SetStyle(style);
    if (ABackgroundBitmap) ACanvas.Draw(X, Y, ABackgroundBitmap);
    return;
  }
  Owned<TCustomImageList> images(New<TCustomImageList>(nullptr));
  images->SetWidth(w);
  images->SetHeight(h);
  images->AddMasked(AGlyph, AGlyph->GetTransparentColor());
  if (AEnabled && !ABackgroundBitmap) {
    // A clear brush: the transparent pixels keep what is under them, which a brush copy
    // (filling them with the brush) cannot do.
    images->Draw(ACanvas.Canvas(), X, Y, 0, true);
    return;
  }
  if (ABackgroundBitmap) {
    images->Draw(ABackgroundBitmap->Canvas(), 0, 0, 0, AEnabled);
    ACanvas.Draw(X, Y, ABackgroundBitmap);
  } else if (ABackgroundColor != clNone) {
    Owned<TBitmap> back(New<TScratchBitmap>());
    back->SetSize(w, h);
    back->Canvas()->Brush()->SetColor(ABackgroundColor);
    back->Canvas()->FillRect(source);
    images->Draw(back->Canvas(), 0, 0, 0, false);
    ACanvas.Draw(X, Y, back.get());
  } else {
    images->Draw(ACanvas.Canvas(), X, Y, 0, false);
  }
}

void cxDrawImageListImage(TcxCanvas& ACanvas, const TPoint& P, TCustomImageList* AImageList, Integer AIndex,
                          bool AEnabled, TColor ABackgroundColor, TBitmap* ABitmap) {
  if (!AImageList || AIndex < 0 || AIndex >= AImageList->Count()) return;
  Owned<TBitmap> own;
  if (!ABitmap && ABackgroundColor == clNone) {
    // Nothing to fill behind the image: it goes straight onto the canvas.
    AImageList->Draw(ACanvas.Canvas(), P.X, P.Y, AIndex, AEnabled);
    return;
  }
  if (!ABitmap) {
    own.reset(New<TScratchBitmap>());
    own->SetSize(AImageList->GetWidth(), AImageList->GetHeight());
    own->Canvas()->Brush()->SetColor(ABackgroundColor);
    own->Canvas()->FillRect({0, 0, own->GetWidth(), own->GetHeight()});
    ABitmap = own.get();
  }
  AImageList->Draw(ABitmap->Canvas(), 0, 0, AIndex, AEnabled);
  ACanvas.Draw(P.X, P.Y, ABitmap);
}

// ---- editor frame and background ----


namespace {

TRect Inflated(const TRect& R, Integer D) { return {R.Left - D, R.Top - D, R.Right + D, R.Bottom + D}; }

void DrawEditFrame(TcxCanvas& ACanvas, TcxCustomEditViewInfo& V, bool AFullBackground) {
  using B = TcxContainerBorderStyle;
  const B style = V.GetContainerBorderStyle();
  const Integer width = cxGetContainerBorderWidth(style);
  TRect r = V.ClientRect;
  r.Left -= width;
  r.Top -= width;
  if (V.Edges.Contains(TcxBorder::bRight)) r.Right += width;
  if (V.Edges.Contains(TcxBorder::bBottom)) r.Bottom += width;
  if (V.Shadow) cxDrawContainerShadow(ACanvas, r);
  if (!V.Edges.Contains(TcxBorder::bRight)) r.Right += width;
  if (!V.Edges.Contains(TcxBorder::bBottom)) r.Bottom += width;
  const TRect inner = Inflated(r, -1);
  switch (style) {
    case B::cbsSingle:
    case B::cbsThick:
      ACanvas.FrameRect(r, V.BorderColor, cxBordersAll, width);
      break;
    case B::cbsFlat:
      ACanvas.DrawEdge(r, true, true, V.Edges);
      ACanvas.FrameRect(inner, clBtnFace);
      break;
    case B::cbs3D:
      ACanvas.DrawEdge(r, true, true, V.Edges);
      ACanvas.DrawComplexFrame(inner, cl3DDkShadow, cl3DLight, V.Edges);
      break;
    case B::cbsNone:
    case B::cbsUltraFlat:
    case B::cbsOffice11:
      break;
  }
  if (V.Transparent) return;
  if (V.IsInplace) {
    if (AFullBackground)
      cxFillRectByColor(ACanvas, V.InnerEditRect, V.BackgroundColor);
    else if (V.HasInnerEditOffset)
      cxFillRectAroundRect(ACanvas, V.ClientRect, V.InnerEditRect, V.BackgroundColor);
  } else if (AFullBackground) {
    cxFillRectByColor(ACanvas, V.ClientRect, V.BackgroundColor);
  }
}

// Answers false when no theme can draw the frame, so the caller draws it without one.
bool DrawNativeEditFrame(TcxCanvas& ACanvas, TcxCustomEditViewInfo& V, bool AFullBackground,
                         TcxEditBackgroundPaintingStyle AStyle) {
  using S = TcxEditBackgroundPaintingStyle;
  const bool bordered = V.GetContainerBorderStyle() != TcxContainerBorderStyle::cbsNone;
  if (V.IsInplace || !bordered) {
    if (!V.Transparent) cxFillRectByColor(ACanvas, V.InnerEditRect, V.BackgroundColor);
    return true;
  }
  HTHEME theme = cxOpenTheme(TdxThemedObjectType::totEdit);
  if (!theme) return false;
  const HDC dc = ACanvas.GetHandle();
  const TRect frame = Inflated(V.ClientRect, cxGetContainerBorderWidth(V.GetContainerBorderStyle()));
  TRect area{};
  switch (AStyle) {
    case S::bpsSolid:
      if (FAILED(cxGetThemeBackgroundContentRect(theme, dc, 1, V.NativeState, frame, area))) area = V.ClientRect;
      break;
    case S::bpsComboEdit:
      area = Inflated(frame, -3);
      area.Bottom = V.ClientRect.Bottom;
      break;
    case S::bpsComboListEdit:
      area = V.ButtonAreaRect;
      break;
  }
  // The theme never paints over the client rectangle, whatever the style's area.
  TRect keep = area;
  if (!V.ClientRect.IsEmpty()) UnionRect(&keep, &area, &V.ClientRect);
  TcxRegion* saved = ACanvas.GetClipRegion();
  ACanvas.ExcludeClipRect(keep);
  cxDrawThemeBackground(theme, dc, 1, V.NativeState, frame);
  ACanvas.SetClipRegion(saved, TcxRegionOperation::roSet);
  if (V.Transparent) return true;
  if (AFullBackground)
    cxFillRectByColor(ACanvas, keep, V.BackgroundColor);
  else if (AStyle != S::bpsComboListEdit) {
    // The band between the two, whichever of them holds the other.
    TRect both{};
    UnionRect(&both, &area, &V.ClientRect);
    if (both == area)
      cxFillRectAroundRect(ACanvas, area, V.ClientRect, V.BackgroundColor);
    else
      cxFillRectAroundRect(ACanvas, V.ClientRect, area, V.BackgroundColor);
  }
  return true;
}

}  // namespace

void cxDrawEditBackgroundAndButtons(TcxCanvas& ACanvas, TcxCustomEditViewInfo& AViewInfo, bool AFullBackground,
                                    TcxEditBackgroundPaintingStyle AStyle) {
  {
    TcxRegion* saved = ACanvas.GetClipRegion();
    TScopeExit restoreClip([&] { ACanvas.SetClipRegion(saved, TcxRegionOperation::roSet); });
    for (const auto& button : AViewInfo.ButtonsInfo) ACanvas.ExcludeClipRect(button->Bounds);
    if (!AViewInfo.NativeStyle || !DrawNativeEditFrame(ACanvas, AViewInfo, AFullBackground, AStyle))
      DrawEditFrame(ACanvas, AViewInfo, AFullBackground);
  }
  const TRect& bounds = AViewInfo.Bounds;
  for (Integer i = 0; i < Integer(AViewInfo.ButtonsInfo.size()); ++i) {
    const TRect b = AViewInfo.ButtonsInfo[size_t(i)]->Bounds;
    if (b.IsEmpty()) continue;
    const bool outside =
        b.Left < bounds.Left || b.Top < bounds.Top || b.Right > bounds.Right || b.Bottom > bounds.Bottom;
    if (!outside) {
      AViewInfo.DrawButton(ACanvas, i);
      continue;
    }
    TcxRegion* clip = ACanvas.GetClipRegion();
    TScopeExit restoreClip([&] { ACanvas.SetClipRegion(clip, TcxRegionOperation::roSet); });
    ACanvas.IntersectClipRect(bounds);
    AViewInfo.DrawButton(ACanvas, i);
  }
}

const TcxCustomLookAndFeelPainter* cxGetPainterClass(bool ANativeStyle, TcxLookAndFeelKind AKind) {
  if (ANativeStyle && cxIsThemeAvailable() && cxWinXPPainter()) return cxWinXPPainter();
  return cxPainterOfKind(AKind);
}

TColor cxGetEditBorderHighlightColor(bool AIsOffice11) {
  return AIsOffice11 ? TColor(cxOffice11Colors().SelectionFrame) : clHighlight;
}

TColor cxGetHotLightColor() {
  return gHotLightSupported ? TColor(GetSysColor(COLOR_HOTLIGHT)) : TColor(0xFF0000);
}

// ---- parent background ----

namespace {

// The controls whose parent's image is being painted: a graphic control that paints its
// parent's background from its own paint would otherwise come back through the parent's paint.
std::vector<const TControl*> gPaintingParentOf;

// W's non-client edge, drawn with DC's origin at W's window corner; answers where the
// client area starts.
TPoint DrawWindowFrame(TWinControl* W, HDC DC) {
  if (!W->HandleAllocated()) return {0, 0};
  TRect frame{0, 0, W->GetWidth(), W->GetHeight()};
  if (GetWindowLongA(W->GetHandle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE)
    DrawEdge(DC, &frame, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
  else if (GetWindowLongA(W->GetHandle(), GWL_STYLE) & WS_BORDER)
    DrawEdge(DC, &frame, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST | BF_FLAT | BF_MONO);
  return {frame.Left, frame.Top};
}

// Draws W's frame (when asked), background and paint into DC, whose origin already maps
// to W's window corner; R is the part wanted, in W's client coordinates.
void PaintWindowCopy(TWinControl* W, HDC DC, const TRect& R, bool AWithFrame) {
  if (AWithFrame) {
    const TPoint client = DrawWindowFrame(W, DC);
    OffsetWindowOrgEx(DC, -client.X, -client.Y, nullptr);
  }
  IntersectClipRect(DC, 0, 0, W->GetClientWidth(), W->GetClientHeight());
  IntersectClipRect(DC, R.Left, R.Top, R.Right, R.Bottom);
  const TControlState paintCopy{TControlStateItem::csPaintCopy};
  W->SetControlState(W->ControlState() + paintCopy);
  TScopeExit endPaintCopy([W, paintCopy] { W->SetControlState(W->ControlState() - paintCopy); });
  if (W->HandleAllocated()) {
    SendMessageA(W->GetHandle(), WM_ERASEBKGND, WPARAM(DC), 0);
    SendMessageA(W->GetHandle(), WM_PAINT, WPARAM(DC), 0);
  } else {
    W->Perform(WM_ERASEBKGND, WPARAM(DC), 0);
    W->Perform(WM_PAINT, WPARAM(DC), 0);
  }
}

// W with its frame at the DC's origin, then its windowed children over it, each with its own.
void PaintWindowCopyWithChildren(TWinControl* W, HDC DC) {
  PaintWindowCopy(W, DC, {0, 0, W->GetWidth(), W->GetHeight()}, true);
  // The origin now stands at W's client corner, the clip inside its client area.
  for (Integer i = 0; i < W->ControlCount(); ++i) {
    auto* c = dynamic_cast<TWinControl*>(W->Controls(i));
    if (!c || !c->GetVisible()) continue;
    const int saved = SaveDC(DC);
    OffsetWindowOrgEx(DC, -c->GetLeft(), -c->GetTop(), nullptr);
    IntersectClipRect(DC, 0, 0, c->GetWidth(), c->GetHeight());
    TScopeExit restore([DC, saved] { RestoreDC(DC, saved); });
    PaintWindowCopyWithChildren(c, DC);
  }
}

}  // namespace

void cxPaintParentBackground(TControl* AControl, HDC DC, const TRect& R) {
  if (!AControl || !DC) return;
  TWinControl* parent = AControl->GetParent();
  if (!parent) return;
  if (std::find(gPaintingParentOf.begin(), gPaintingParentOf.end(), AControl) != gPaintingParentOf.end()) return;
  gPaintingParentOf.push_back(AControl);
  TRect inParent = R;
  OffsetRect(&inParent, AControl->GetLeft(), AControl->GetTop());
  const int saved = SaveDC(DC);
  TScopeExit restore([&] {
    RestoreDC(DC, saved);
    gPaintingParentOf.erase(std::find(gPaintingParentOf.begin(), gPaintingParentOf.end(), AControl));
  });
  IntersectClipRect(DC, R.Left, R.Top, R.Right, R.Bottom);
  // The parent's client corner lands at the control's (-Left, -Top).
  OffsetWindowOrgEx(DC, AControl->GetLeft(), AControl->GetTop(), nullptr);
  const bool topForm =
      parent->GetParent() == nullptr && dynamic_cast<TCustomForm*>(parent) != nullptr;
  if (!topForm) {
    // Step back to the parent's window corner so its frame lands around the client area.
    const TPoint client = parent->HandleAllocated() ? parent->ClientOrigin() : TPoint{0, 0};
    TPoint corner{0, 0};
    if (parent->HandleAllocated()) {
      TRect wr{};
      GetWindowRect(parent->GetHandle(), &wr);
      corner = {client.X - wr.Left, client.Y - wr.Top};
    }
    OffsetWindowOrgEx(DC, corner.X, corner.Y, nullptr);
    DrawWindowFrame(parent, DC);
    OffsetWindowOrgEx(DC, -corner.X, -corner.Y, nullptr);
  }
  PaintWindowCopy(parent, DC, inParent, false);
  for (Integer i = 0; i < parent->ControlCount(); ++i) {
    TControl* c = parent->Controls(i);
    if (c == AControl) break;
    auto* w = dynamic_cast<TWinControl*>(c);
    if (!w || !w->GetVisible()) continue;
    TRect meet{};
    const TRect bounds = w->GetBoundsRect();
    if (!IntersectRect(&meet, &bounds, &inParent)) continue;
    const int child = SaveDC(DC);
    OffsetWindowOrgEx(DC, -w->GetLeft(), -w->GetTop(), nullptr);
    TRect part = meet;
    OffsetRect(&part, -w->GetLeft(), -w->GetTop());
    IntersectClipRect(DC, part.Left, part.Top, part.Right, part.Bottom);
    TScopeExit restoreChild([DC, child] { RestoreDC(DC, child); });
    PaintWindowCopyWithChildren(w, DC);
  }
}

// ---- text and fonts ----

String cxRemoveHotKeyPrefix(const String& AText) {
  String result;
  result.reserve(AText.size());
  for (size_t i = 0; i < AText.size(); ++i) {
    if (AText[i] != '&') {
      result += AText[i];
    } else if (i + 1 < AText.size()) {
      result += AText[++i];
    } else {
      result += '_';
    }
  }
  return result;
}

// The layout flags hold each alignment as a number, so a contradictory pair of canvas
// bits (right and centre) must not add up to another alignment (justified), nor a
// justified or distributed layout turn into two canvas bits.
Integer cxConvertTextFlags(Integer AFlags) {
  using X = TcxTextAlignX;
  using Y = TcxTextAlignY;
  const X x = (AFlags & cxAlignRight) ? X::taRight : (AFlags & cxAlignHCenter) ? X::taCenterX : X::taLeft;
  const Y y = (AFlags & cxAlignBottom) ? Y::taBottom : (AFlags & cxAlignVCenter) ? Y::taCenterY : Y::taTop;
  Cardinal result = cxMakeTextAlignFlags(x, y);
  if (AFlags & cxSingleLine) result |= cxtfSingleLine;
  if (AFlags & cxWordBreak) result |= cxtfWordBreak;
  return Integer(result);
}

Integer cxConvertTextFlagsToCanvasFlags(Integer AFlags) {
  const Cardinal flags = Cardinal(AFlags);
  Integer result = 0;
  switch (flags & cxtfAlignXMask) {
    case Cardinal(TcxTextAlignX::taCenterX): result |= cxAlignHCenter; break;
    case Cardinal(TcxTextAlignX::taRight): result |= cxAlignRight; break;
    default: break;
  }
  switch ((flags & cxtfAlignYMask) >> 4) {
    case Cardinal(TcxTextAlignY::taCenterY): result |= cxAlignVCenter; break;
    case Cardinal(TcxTextAlignY::taBottom): result |= cxAlignBottom; break;
    default: break;
  }
  if (flags & cxtfSingleLine) result |= cxSingleLine;
  if (flags & cxtfWordBreak) result |= cxWordBreak;
  return result;
}

void cxSetCanvasFontFromLogFont(TcxCanvas& ACanvas, const LOGFONTA& ALogFont) {
  ACanvas.GetFont()->SetHandle(CreateFontIndirectA(&ALogFont));
}

void cxSetCanvasFont(TcxCanvas& ACanvas, TFont* AFont) {
  if (!AFont) return;
  TFont* f = ACanvas.GetFont();
  if (f == AFont) return;
  if (f->GetName() != AFont->GetName() || f->GetHeight() != AFont->GetHeight() || f->GetStyle() != AFont->GetStyle() ||
      f->GetCharset() != AFont->GetCharset() || f->GetPitch() != AFont->GetPitch())
    f->Assign(AFont);
  else if (f->GetColor() != AFont->GetColor())
    f->SetColor(AFont->GetColor());
}

void cxGetCanvasLogFont(TcxCanvas& ACanvas, LOGFONTA& ALogFont) {
  ALogFont = LOGFONTA{};
  GetObjectA(ACanvas.GetFont()->GetHandle(), int(sizeof(LOGFONTA)), &ALogFont);
}

// ---- start-up ----

namespace cxEditPaintUtils {

void Initialize() {
  if (gInitCount++ > 0) return;
  for (int i = 0; i < kSystemBrushCount; ++i) gSystemBrushes[i] = GetSysColorBrush(i);
  gBrushCache = New<TcxSolidBrushCache>(128);
  gHotLightSupported = HotLightSupportedByPlatform();
}

void Finalize() {
  if (gInitCount == 0 || --gInitCount > 0) return;
  FreeAndNil(gBrushCache);
  std::fill(std::begin(gSystemBrushes), std::end(gSystemBrushes), nullptr);
}

}  // namespace cxEditPaintUtils
