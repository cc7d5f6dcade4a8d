#include "widgets/editors/cxCheckBox.h"

#include "classlib/core/Filer.h"
#include "classlib/core/ScopeGuards.h"
#include "classlib/visual/Messages.h"
#include "platform/gdi/Gdi.h"
#include "platform/user/User.h"
#include "widgets/editcore/cxEditPaintUtils.h"
#include "widgets/editcore/cxEditTextUtils.h"
#include "widgets/editcore/cxEditUtils.h"
#include "widgets/foundation/cxVariants.h"
#include "widgets/foundation/dxThemeManager.h"
#include "widgets/foundation/dxUxTheme.h"

#include <algorithm>
#include <cstdint>

namespace {

using CS = TcxCheckBoxState;
using NS = TcxCheckBoxNullValueShowingStyle;
using ES = TcxEditCheckState;
using EB = TcxEditBorderStyle;

constexpr int kThemeCheckPart = 3;
constexpr UINT kDfcsFlat = 0x4000;
constexpr UINT kDfcsChecked = 0x400;
constexpr UINT kDfcsPushed = 0x200;
constexpr UINT kDfcsInactive = 0x100;
constexpr UINT kDfcs3State = 8;
constexpr DWORD kRopMaskBrush = 0xB8074A;  // the brush where the source is black

Integer gCheckWidth = 13;
Integer gCheckHeight = 13;
TBitmap* gCheckMarkMask = nullptr;
bool gMetricsDone = false;

TRect Shrunk(TRect R, Integer D) { return {R.Left + D, R.Top + D, R.Right - D, R.Bottom - D}; }

bool Inside(const TRect& R, const TPoint& P) {
  return P.X >= R.Left && P.X < R.Right && P.Y >= R.Top && P.Y < R.Bottom;
}

HTHEME ButtonTheme(bool ANativeStyle) {
  return cxIsNativeThemeUsable(ANativeStyle, TdxThemedObjectType::totButton)
             ? cxOpenTheme(TdxThemedObjectType::totButton)
             : nullptr;
}

// Unchecked-looking: unchecked, or grayed drawn without a mark.
bool ShowsMark(CS AState, NS ANullStyle) {
  return AState == CS::cbsChecked ||
         (AState == CS::cbsGrayed && ANullStyle == NS::nssGrayedChecked);
}

// Puts back the clip region it found when the scope ends.
auto SavedClip(TcxCanvas& ACanvas) {
  return TScopeExit([&ACanvas, region = ACanvas.GetClipRegion()] {
    ACanvas.SetClipRegion(region, TcxRegionOperation::roSet);
  });
}

void DrawCheckMarkMask(TcxCanvas& ACanvas, const TRect& AInterior, TColor AColor) {
  TBitmap* mask = cxGetCheckMarkMask();
  if (!mask) return;
  auto clip = SavedClip(ACanvas);
  ACanvas.IntersectClipRect(AInterior);
  HDC dc = ACanvas.GetHandle();
  HBRUSH brush = CreateSolidBrush(ColorToRGB(AColor));
  HGDIOBJ old = SelectObject(dc, brush);
  BitBlt(dc, AInterior.Left - 2, AInterior.Top - 2, mask->GetWidth(), mask->GetHeight(),
         mask->Canvas()->GetHandle(), 0, 0, kRopMaskBrush);
  SelectObject(dc, old);
  DeleteObject(brush);
}

void DrawCheckGlyph(TcxCanvas& ACanvas, const TcxEditCheckDrawParams& P) {
  const Integer imageWidth = P.Glyph->GetWidth() / P.GlyphCount;
  const Integer index =
      cxGetEditCheckGlyphIndex(P.State, P.CheckState, P.GrayedSupported, P.GlyphCount);
  const TRect& r = P.CheckRect;
  if (r.IsEmpty() || imageWidth <= 0) return;
  Owned<TBitmap> image(New<TScratchBitmap>());
  image->SetPixelFormat(TPixelFormat::pf32bit);
  image->SetSize(r.Width(), r.Height());
  // Only the strip's own image is copied: a rectangle taller or wider than it keeps the rest.
  const Integer srcX = index * imageWidth;
  const Integer srcY = (P.Glyph->GetHeight() - r.Height()) / 2;
  const Integer w = std::min(r.Width(), imageWidth);
  const Integer y0 = std::max<Integer>(0, srcY),
                y1 = std::min<Integer>(P.Glyph->GetHeight(), srcY + r.Height());
  image->Canvas()->Brush()->SetColor(P.Glyph->Canvas()->GetPixel(0, P.Glyph->GetHeight() - 1));
  image->Canvas()->FillRect({0, 0, r.Width(), r.Height()});
  if (w > 0 && y1 > y0)
    image->Canvas()->CopyRect({0, y0 - srcY, w, y1 - srcY}, P.Glyph->Canvas(),
                              {srcX, y0, srcX + w, y1});
  cxDrawGlyph(ACanvas, r.Left, r.Top, nullptr, P.BackgroundColor, P.CheckState != ES::ecsDisabled,
              image.get());
}

// The frame; false when the visual style drew the whole check.
bool DrawCheckFrame(TcxCanvas& ACanvas, const TcxEditCheckDrawParams& P) {
  if (P.NativeStyle) {
    if (HTHEME theme = ButtonTheme(true)) {
      cxDrawThemeBackground(theme, ACanvas.GetHandle(), kThemeCheckPart,
                            4 * Ord(P.State) + Ord(P.CheckState) + 1, P.CheckRect);
      return false;
    }
  }
  TRect r = P.CheckRect;
  const Integer f = 2 - cxGetContainerBorderWidth(TcxContainerBorderStyle(Ord(P.BorderStyle)));
  if (P.DrawBackground && f >= 1 && P.BackgroundColor != clNone)
    ACanvas.FrameRect(r, P.BackgroundColor, cxBordersAll, f);
  r = Shrunk(r, f);
  switch (P.BorderStyle) {
    case EB::ebsSingle:
      ACanvas.FrameRect(r, P.BorderColor);
      break;
    case EB::ebsThick:
      ACanvas.FrameRect(r, P.BorderColor, cxBordersAll, 2);
      break;
    case EB::ebsFlat:
      ACanvas.DrawEdge(r, true, true);
      ACanvas.FrameRect(Shrunk(r, 1), clBtnFace);
      break;
    case EB::ebs3D:
      ACanvas.DrawEdge(r, true, true);
      ACanvas.DrawComplexFrame(Shrunk(r, 1), cl3DDkShadow, cl3DLight);
      break;
    case EB::ebsUltraFlat:
    case EB::ebsOffice11: {
      const bool office11 = P.BorderStyle == EB::ebsOffice11;
      TColor color;
      if (office11 && P.CheckState == ES::ecsNormal && !P.Focused && !P.Designing) {
        color = clBtnText;
      } else if ((P.CheckState == ES::ecsNormal || P.CheckState == ES::ecsDisabled) &&
                 !(P.Designing && P.CheckState != ES::ecsDisabled) &&
                 !(P.Focused && P.CheckState == ES::ecsNormal)) {
        color = clBtnShadow;
      } else {
        color = cxGetEditBorderHighlightColor(office11);
      }
      ACanvas.FrameRect(r, color);
      break;
    }
    case EB::ebsNone:
      break;
  }
  return true;
}

void DrawCheckMark(TcxCanvas& ACanvas, const TcxEditCheckDrawParams& P) {
  const TRect interior = Shrunk(P.CheckRect, 2);
  if (P.BorderStyle == EB::ebsUltraFlat || P.BorderStyle == EB::ebsOffice11) {
    const bool office11 = P.BorderStyle == EB::ebsOffice11;
    cxFillRectByColor(ACanvas, interior,
                      cxGetFlatCheckInteriorColor(P.State, P.NullStyle, P.CheckState, office11));
    if (ShowsMark(P.State, P.NullStyle)) {
      const bool dim = P.CheckState == ES::ecsDisabled || P.State == CS::cbsGrayed;
      DrawCheckMarkMask(ACanvas, interior, dim ? clBtnShadow : clBtnText);
    }
    return;
  }
  auto clip = SavedClip(ACanvas);
  ACanvas.IntersectClipRect(interior);
  TRect r = P.CheckRect;
  DrawFrameControl(ACanvas.GetHandle(), &r, DFC_BUTTON,
                   cxGetCheckFrameControlFlags(P.State, P.NullStyle, P.CheckState, P.BorderStyle));
}

}  // namespace

// ---- metrics ----

void cxInitCheckBoxMetrics() {
  if (gMetricsDone) return;
  gMetricsDone = true;
  HBITMAP boxes = CreateCheckBoxesBitmap();
  if (!boxes) return;
  Owned<TBitmap> source(New<TBitmap>());
  source->SetHandle(boxes);
  if (source->GetWidth() < 8 || source->GetHeight() < 3) return;
  gCheckWidth = source->GetWidth() / 4;
  gCheckHeight = source->GetHeight() / 3;
  gCheckMarkMask = New<TBitmap>();
  gCheckMarkMask->SetPixelFormat(TPixelFormat::pf32bit);
  gCheckMarkMask->SetSize(gCheckWidth, gCheckHeight);
  HDC src = source->Canvas()->GetHandle();
  HDC dst = gCheckMarkMask->Canvas()->GetHandle();
  for (Integer y = 0; y < gCheckHeight; ++y)
    for (Integer x = 0; x < gCheckWidth; ++x)
      SetPixel(dst, x, y,
               GetPixel(src, x, y) != GetPixel(src, gCheckWidth + x, y) ? 0x000000 : 0xFFFFFF);
}

TSize cxGetCheckBoxMetricsSize() { return {gCheckWidth, gCheckHeight}; }

TBitmap* cxGetCheckMarkMask() { return gCheckMarkMask; }

// ---- routines ----

bool cxIsCheckGlyphValid(TBitmap* AGlyph, Integer AGlyphCount) {
  return AGlyphCount >= 1 && cxIsGraphicValid(AGlyph);
}

TSize cxGetEditCheckSize(TcxCanvas& ACanvas, bool ANativeStyle, TBitmap* AGlyph,
                         Integer AGlyphCount) {
  if (cxIsCheckGlyphValid(AGlyph, AGlyphCount))
    return {AGlyph->GetWidth() / AGlyphCount, AGlyph->GetHeight()};
  if (HTHEME theme = ButtonTheme(ANativeStyle)) {
    TSize size{};
    if (SUCCEEDED(
            cxGetThemePartSizeNoRect(theme, ACanvas.GetHandle(), kThemeCheckPart, 5, 1, size)))
      return size;
  }
  return cxGetCheckBoxMetricsSize();
}

Integer cxGetEditCheckGlyphIndex(TcxCheckBoxState AState, TcxEditCheckState ACheckState,
                                 bool AGrayedSupported, Integer AGlyphCount) {
  if (AGlyphCount <= 0) return 0;
  if (AState == CS::cbsGrayed && !AGrayedSupported) AState = CS::cbsUnchecked;
  const Integer group = !AGrayedSupported && AGlyphCount % 2 == 0 && AGlyphCount % 3 != 0 ? 2 : 3;
  Integer index = (ACheckState == ES::ecsPressed ? group : 0) + Ord(AState);
  if (index >= AGlyphCount && index >= group) index %= group;
  // A strip shorter than one group: the index still has to name one of its images.
  if (index >= AGlyphCount) index %= AGlyphCount;
  return index;
}

Integer cxGetCheckThemeState(TcxCheckBoxState AState, TcxCheckBoxNullValueShowingStyle ANullStyle,
                             TcxEditCheckState ACheckState) {
  if (AState != CS::cbsGrayed) return 4 * Ord(AState) + Ord(ACheckState) + 1;
  switch (ANullStyle) {
    case NS::nssUnchecked:
      return Ord(ACheckState) + 1;
    case NS::nssInactive:
      return 4;
    case NS::nssGrayedChecked:
      return Ord(ACheckState) + 9;
  }
  return 0;
}

UINT cxGetCheckFrameControlFlags(TcxCheckBoxState AState,
                                 TcxCheckBoxNullValueShowingStyle ANullStyle,
                                 TcxEditCheckState ACheckState, TcxEditBorderStyle ABorderStyle) {
  UINT flags = DFCS_BUTTONCHECK | (ABorderStyle == EB::ebs3D ? 0 : kDfcsFlat);
  if (ACheckState == ES::ecsDisabled)
    return flags | (ShowsMark(AState, ANullStyle) ? 0x608 : 0x308);
  if (AState == CS::cbsChecked) flags |= kDfcsChecked;
  if (AState == CS::cbsGrayed) {
    flags |= kDfcs3State;
    if (ANullStyle == NS::nssInactive) flags |= kDfcsInactive;
    if (ANullStyle == NS::nssGrayedChecked) flags |= kDfcsChecked;
  }
  if (ACheckState == ES::ecsPressed) flags |= kDfcsPushed;
  return flags;
}

TColor cxGetFlatCheckInteriorColor(TcxCheckBoxState AState,
                                   TcxCheckBoxNullValueShowingStyle ANullStyle,
                                   TcxEditCheckState ACheckState, bool AIsOffice11) {
  switch (ACheckState) {
    case ES::ecsNormal:
      return AState == CS::cbsGrayed && ANullStyle == NS::nssInactive ? clBtnFace : clWindow;
    case ES::ecsHot:
      return cxGetEditButtonHighlightColor(false, AIsOffice11);
    case ES::ecsPressed:
      return cxGetEditButtonHighlightColor(true, AIsOffice11);
    case ES::ecsDisabled:
      return clBtnFace;
  }
  return clWindow;
}

void cxDrawEditCheck(TcxCanvas& ACanvas, const TcxEditCheckDrawParams& AParams) {
  TcxEditCheckDrawParams p = AParams;
  if (p.State == CS::cbsGrayed && !p.GrayedSupported) p.State = CS::cbsUnchecked;
  if (cxIsCheckGlyphValid(p.Glyph, p.GlyphCount)) {
    DrawCheckGlyph(ACanvas, p);
    return;
  }
  if (DrawCheckFrame(ACanvas, p)) DrawCheckMark(ACanvas, p);
}

// ---- layout ----

void cxCalculateCheckBoxLayout(TcxCustomCheckBoxViewData& AViewData,
                               TcxCustomCheckBoxViewInfo& AViewInfo, const TSize& ACheckSize) {
  const TRect c = AViewInfo.ClientRect;
  TRect k = c, t = c;
  if (AViewData.IsInplace) {
    if (AViewInfo.Alignment == TAlignment::taLeftJustify) {
      t.Right -= 2;
      k.Left += 2;
    } else if (AViewInfo.Alignment == TAlignment::taRightJustify) {
      t.Left += 2;
      k.Right -= 2;
    }
    const TRect margins = AViewData.GetContentMargins();
    t.Top += margins.Top;
    t.Bottom -= margins.Bottom;
  } else {
    t = Shrunk(c, 2);
    t.Top -= 1;
    if (!AViewData.IsThemeUsable()) k = Shrunk(c, 2);
  }
  if (ACheckSize.cy < k.Height()) {
    k.Top += (k.Height() - ACheckSize.cy) / 2;
    k.Bottom = k.Top + ACheckSize.cy;
  }
  if (ACheckSize.cx >= k.Width()) {
    t.Right = t.Left;
  } else if (AViewInfo.Alignment == TAlignment::taCenter) {
    k.Left += (k.Width() - ACheckSize.cx) / 2;
    k.Right = k.Left + ACheckSize.cx;
  } else if (AViewInfo.Alignment == TAlignment::taRightJustify) {
    k.Left = k.Right - ACheckSize.cx;
    t.Right = k.Left - 3;
  } else {
    k.Right = k.Left + ACheckSize.cx;
    t.Left = k.Right + 3;
  }
  if (!AViewData.Enabled) {
    ++t.Right;
    ++t.Bottom;
  }
  AViewInfo.CheckRect = k;
  AViewInfo.TextRect = t;
}

void cxCalculateCheckBoxFocusRect(TcxCustomCheckBoxViewData& AViewData,
                                  TcxCustomCheckBoxViewInfo& AViewInfo, TcxCanvas& ACanvas) {
  AViewInfo.ThemeState =
      AViewData.IsThemeUsable()
          ? cxGetCheckThemeState(AViewInfo.State, AViewInfo.NullStyle, AViewInfo.CheckState)
          : 0;
  if (AViewData.Style) AViewInfo.SetBackgroundColor(AViewData.Style->GetVisibleColor());
  if (AViewData.BackgroundColor != clDefault)
    AViewInfo.SetBackgroundColor(AViewData.BackgroundColor);
  const bool centred = AViewInfo.Alignment == TAlignment::taCenter;
  const bool hasFocusRect =
      AViewData.Focused &&
      ((!AViewData.IsInplace && !centred) ||
       (AViewData.IsInplace && centred &&
        AViewData.PaintOptions.Contains(TcxEditPaintOption::epoShowFocusRectWhenInplace)));
  TRect f{};
  if (hasFocusRect) {
    if (centred) {
      f = Shrunk(AViewInfo.ClientRect, 1);
    } else if (!AViewInfo.Text.empty()) {
      f = AViewInfo.TextRect;
      TcxCustomCheckBoxProperties* props = AViewData.CheckProperties();
      if (!props || !props->GetFullFocusRect()) {
        cxSetCanvasFont(ACanvas, AViewInfo.Font);
        ACanvas.TextExtentInRect(AViewInfo.Text, f, AViewInfo.CaptionFlags);
      }
      f = Shrunk(f, -1);
    }
  }
  if (!f.IsEmpty()) {
    TRect limit;
    if (centred) {
      limit = {f.Left, AViewInfo.ClientRect.Top, f.Right, AViewInfo.ClientRect.Bottom};
    } else {
      const Integer i = AViewData.IsInplace ? 1 : 0;
      const TRect& t = AViewInfo.TextRect;
      limit = {t.Left - 1, t.Top - 1 + 2 * i, t.Right + 1, t.Bottom + 1 - 2 * i};
      limit.Right = std::min(limit.Right, AViewInfo.Bounds.Right - 1);
    }
    f = {std::max(f.Left, limit.Left), std::max(f.Top, limit.Top), std::min(f.Right, limit.Right),
         std::min(f.Bottom, limit.Bottom)};
    if (f.IsEmpty()) f = TRect{};
  }
  AViewInfo.FocusRect = f;
}

// ---- view data ----

bool TcxCustomCheckBoxViewData::IsThemeUsable() const {
  return cxIsNativeThemeUsable(NativeStyle, TdxThemedObjectType::totButton);
}

Integer TcxCustomCheckBoxViewData::GetDrawTextFlags(TAlignment AAlignment) const {
  static const Integer kHorz[3] = {cxAlignLeft, cxAlignLeft, cxAlignHCenter};
  Integer flags = kHorz[Ord(AAlignment)] | cxSingleLine | cxShowPrefix;
  TcxCustomCheckBoxProperties* props = CheckProperties();
  const bool multiLine = props && props->GetMultiLine();
  if (multiLine) flags = (flags & ~cxSingleLine) | cxWordBreak | cxDontClip;
  if (IsInplace || !multiLine)
    flags |= cxAlignVCenter;
  else
    flags |= cxAlignTop;
  return flags;
}

void TcxCustomCheckBoxViewData::Calculate(TcxCanvas& ACanvas, const TRect& ABounds, const TPoint& P,
                                          TcxMouseButton AButton, TShiftState AShift,
                                          TcxCustomEditViewInfo* AViewInfo, bool AIsMouseEvent) {
  auto* vi = static_cast<TcxCustomCheckBoxViewInfo*>(AViewInfo);
  const ES previous = vi->CheckState;
  inherited::Calculate(ACanvas, ABounds, P, AButton, AShift, AViewInfo, AIsMouseEvent);
  // Hot tracking takes the style's frame for other editors; a check box has none.
  vi->SetEditBorderStyle(GetEffectiveBorderStyle());
  vi->BorderWidth = 0;
  TcxCustomCheckBoxProperties* props = CheckProperties();
  // 1. Caption and alignment.
  if (Edit) vi->Text = Edit->GetText();
  const bool useAlignment = props && props->GetUseAlignmentWhenInplace();
  vi->Alignment =
      IsInplace && !useAlignment && vi->Text.empty() ? TAlignment::taCenter : HorzAlignment;
  vi->CaptionFlags = GetDrawTextFlags(vi->Alignment);
  vi->DrawTextFlags = Cardinal(vi->CaptionFlags);
  // 2. Check look.
  vi->CheckBorderStyle = Style ? Style->GetEditBorderStyle() : EB::ebsNone;
  vi->Glyph = props && props->HasGlyph() ? props->GetGlyph() : nullptr;
  vi->GlyphCount = props ? props->GetGlyphCount() : 0;
  vi->NullStyle = props ? props->GetNullStyle() : NS::nssGrayedChecked;
  vi->IsGlyphValid = cxIsCheckGlyphValid(vi->Glyph, vi->GlyphCount);
  vi->CheckBorderOffset =
      IsThemeUsable() || vi->IsGlyphValid
          ? 0
          : 2 - cxGetContainerBorderWidth(TcxContainerBorderStyle(Ord(vi->CheckBorderStyle)));
  // 3. Layout.
  cxCalculateCheckBoxLayout(*this, *vi,
                            cxGetEditCheckSize(ACanvas, NativeStyle, vi->Glyph, vi->GlyphCount));
  // 4. Paint state.
  const bool designing = Edit && Edit->InState(TComponentStateItem::csDesigning);
  auto* checkEdit = dynamic_cast<IcxCheckBoxEdit*>(Edit);
  using SS = TShiftStateItem;
  if (!Enabled)
    vi->CheckState = ES::ecsDisabled;
  else if (checkEdit && checkEdit->IsKeyboardPressed())
    vi->CheckState = ES::ecsPressed;
  else if (designing || !Inside(ABounds, P))
    vi->CheckState = ES::ecsNormal;
  else if (AShift.Empty())
    vi->CheckState = ES::ecsHot;
  else if (AShift == TShiftState{SS::ssLeft} &&
           (AButton == TcxMouseButton::cxmbLeft || previous == ES::ecsPressed))
    vi->CheckState = ES::ecsPressed;
  else
    vi->CheckState = ES::ecsNormal;
  // 5. Focus and theme state.
  cxCalculateCheckBoxFocusRect(*this, *vi, ACanvas);
  // 6. A grid's single-line check lights up under the mouse.
  if (IsInplace && vi->CheckBorderStyle == EB::ebsSingle)
    vi->BorderColor =
        vi->CheckState == ES::ecsHot || (designing && vi->CheckState != ES::ecsDisabled)
            ? clHighlight
            : clBtnShadow;
  // 7.
  vi->IsTextColorAssigned = Style && Style->IsValueAssigned(csvTextColor);
  vi->Edit = Edit;
}

void TcxCustomCheckBoxViewData::EditValueToDrawValue(TcxCanvas& ACanvas, const Variant& AEditValue,
                                                     TcxCustomEditViewInfo* AViewInfo) {
  auto* vi = static_cast<TcxCustomCheckBoxViewInfo*>(AViewInfo);
  TcxCustomCheckBoxProperties* props = CheckProperties();
  vi->State = PreviewMode || !props ? CS::cbsChecked : props->GetState(AEditValue);
  if (IsInplace) vi->Text.clear();
  cxCalculateCheckBoxFocusRect(*this, *vi, ACanvas);
}

TSize TcxCustomCheckBoxViewData::GetEditConstantPartSize(
    TcxCanvas& ACanvas, const TcxEditSizeProperties& AEditSizeProperties, TSize& AMinContentSize,
    TcxCustomEditViewInfo* AViewInfo) {
  Owned<TcxCustomEditViewInfo> own;
  if (!AViewInfo) {
    own.reset(New<TcxCustomCheckBoxViewInfo>());
    AViewInfo = own.get();
  }
  TSize size =
      inherited::GetEditConstantPartSize(ACanvas, AEditSizeProperties, AMinContentSize, AViewInfo);
  auto* vi = static_cast<TcxCustomCheckBoxViewInfo*>(AViewInfo);
  TSize content{vi->CheckRect.Width(), vi->CheckRect.Height()};
  cxSetCanvasFont(ACanvas, Style ? Style->GetFont() : nullptr);
  const bool centred = vi->Alignment == TAlignment::taCenter;
  if (IsInplace && !vi->Text.empty() && !centred) {
    content.cx = ACanvas.TextWidth(cxRemoveHotKeyPrefix(vi->Text)) +
                 (vi->TextRect.Left - vi->Bounds.Left) + (vi->Bounds.Right - vi->TextRect.Right);
  } else if (IsInplace) {
    content.cx += 4;
  }
  if (IsInplace)
    content.cy += 2 * (1 - vi->CheckBorderOffset);
  else if (vi->ThemeState == 0)
    content.cy += 4;
  // The caption's height in the editor text layout: its own flags, characters broken
  // where a word does not fit, one line unless the caption is multi-line.
  TcxCustomCheckBoxProperties* props = CheckProperties();
  const bool multiLine = props && props->GetMultiLine();
  const String caption = IsInplace || centred ? String("Gg") : vi->Text;
  TRect r{0, 0, std::max<Integer>(1, vi->TextRect.Width()), 0};
  const Cardinal flags = Cardinal(cxConvertTextFlags(vi->CaptionFlags)) | cxtfCharBreak |
                         (multiLine ? 0 : cxtfSingleLine) | cxtfCalcRect;
  cxDrawCanvasText(&ACanvas, caption.empty() ? String("Gg") : caption, r, flags);
  content.cy = std::max(content.cy, r.Height());
  size.cx += content.cx;
  size.cy += content.cy;
  return size;
}

TL_DEFINE_CLASS(TcxCustomCheckBoxViewData, [](auto&) {});
TL_DEFINE_CLASS(TcxCheckBoxStyle, [](auto&) {});

// ---- view info ----

void TcxCustomCheckBoxViewInfo::InternalPaint(TcxCanvas& ACanvas) {
  cxPaintCheckBoxViewInfo(ACanvas, *this);
}

void TcxCustomCheckBoxViewInfo::Assign(TcxContainerViewInfo* Source) {
  inherited::Assign(Source);
  if (auto* src = dynamic_cast<TcxCustomCheckBoxViewInfo*>(Source)) {
    CheckState = src->CheckState;
    ThemeState = src->ThemeState;
  }
}

TcxRegion* TcxCustomCheckBoxViewInfo::GetUpdateRegion(TcxContainerViewInfo* AViewInfo) {
  TcxRegion* region = inherited::GetUpdateRegion(AViewInfo);
  auto* other = dynamic_cast<TcxCustomCheckBoxViewInfo*>(AViewInfo);
  if (other && (other->CheckState != CheckState || other->ThemeState != ThemeState)) {
    if (!region) region = New<TcxRegion>();
    region->Combine(New<TcxRegion>(CheckRect), TcxRegionOperation::roAdd);
  }
  return region;
}

void TcxCustomCheckBoxViewInfo::Offset(Integer DX, Integer DY) {
  inherited::Offset(DX, DY);
  CheckRect = {CheckRect.Left + DX, CheckRect.Top + DY, CheckRect.Right + DX,
               CheckRect.Bottom + DY};
  if (!FocusRect.IsEmpty())
    FocusRect = {FocusRect.Left + DX, FocusRect.Top + DY, FocusRect.Right + DX,
                 FocusRect.Bottom + DY};
}

bool TcxCustomCheckBoxViewInfo::IsButtonAtPoint(const TPoint& P) const {
  return Inside(Bounds, {P.X + ScrollOffset.X, P.Y + ScrollOffset.Y});
}

bool TcxCustomCheckBoxViewInfo::RepaintChanges(TWinControl* AControl, const TRect& AInnerRect,
                                               TcxCustomEditViewInfo* AOldViewInfo) {
  if (!AControl || !AControl->HandleAllocated()) return false;
  const bool repainted = inherited::RepaintChanges(AControl, AInnerRect, AOldViewInfo);
  auto* old = dynamic_cast<TcxCustomCheckBoxViewInfo*>(AOldViewInfo);
  if (old && (old->State != State || old->ThemeState != ThemeState)) {
    const RECT r{CheckRect.Left - ScrollOffset.X, CheckRect.Top - ScrollOffset.Y,
                 CheckRect.Right - ScrollOffset.X, CheckRect.Bottom - ScrollOffset.Y};
    InvalidateRect(AControl->Handle(), &r, Transparent);
  }
  return repainted;
}

void TcxCustomCheckBoxViewInfo::DrawCaption(TcxCanvas& ACanvas) {
  cxSetCanvasFont(ACanvas, Font);
  ACanvas.GetFont()->SetColor(TextColor);
  ACanvas.GetBrush()->SetStyle(TBrushStyle::bsClear);
  const bool innerControl = dynamic_cast<IcxContainerInnerControl*>(Edit) != nullptr;
  const bool embossed = !Enabled && !IsTextColorAssigned && !NativeStyle && !innerControl;
  ACanvas.DrawText(Text, TextRect, CaptionFlags, !embossed);
}

TL_DEFINE_CLASS(TcxCustomCheckBoxViewInfo, [](auto&) {});

void cxPaintCheckBoxViewInfo(TcxCanvas& ACanvas, TcxCustomCheckBoxViewInfo& AViewInfo) {
  TcxCustomCheckBoxViewInfo& vi = AViewInfo;
  auto* checkEdit = dynamic_cast<IcxCheckBoxEdit*>(vi.Edit);
  const bool transparent =
      vi.Transparent || (!vi.IsInplace && vi.Edit && vi.Edit->NeedsViewRefresh());
  const bool designing = vi.Edit && vi.Edit->InState(TComponentStateItem::csDesigning);
  HTHEME theme = ButtonTheme(vi.NativeStyle);
  {
    auto clip = SavedClip(ACanvas);
    bool exclude = !vi.Transparent;
    if (exclude && transparent)
      exclude = !vi.IsGlyphValid && !(theme && cxIsThemeBackgroundPartiallyTransparent(
                                                   theme, kThemeCheckPart, vi.ThemeState));
    if (exclude) ACanvas.ExcludeClipRect(Shrunk(vi.CheckRect, vi.CheckBorderOffset));
    if (!vi.IsInplace) {
      if (checkEdit && checkEdit->IsNativeBackground()) {
        const RECT r{vi.Bounds.Left, vi.Bounds.Top, vi.Bounds.Right, vi.Bounds.Bottom};
        cxDrawThemeParentBackground(vi.Edit->Handle(), ACanvas.GetHandle(), &r);
      } else if (transparent) {
        if (vi.Edit) cxPaintParentBackground(vi.Edit, ACanvas.GetHandle(), vi.Bounds);
      } else if (vi.NativeStyle) {
        cxFillRectByColor(ACanvas, vi.Bounds, vi.BackgroundColor);
      } else {
        cxDrawEditBackgroundAndButtons(ACanvas, vi);
      }
    } else if (!transparent && !vi.DrawEditBackground(ACanvas)) {
      cxFillRectByColor(ACanvas, vi.Bounds, vi.BackgroundColor);
    }
  }
  TcxEditCheckDrawParams p;
  p.CheckRect = vi.CheckRect;
  p.State = vi.State;
  p.NullStyle = vi.NullStyle;
  p.GrayedSupported = true;
  p.Focused = vi.Focused;
  p.Designing = designing;
  p.DrawBackground = !transparent;
  p.BackgroundColor = transparent ? clNone : vi.BackgroundColor;
  p.BorderColor = vi.BorderColor;
  p.NativeStyle = vi.NativeStyle;
  p.BorderStyle = vi.CheckBorderStyle;
  p.GlyphCount = vi.GlyphCount;
  p.Glyph = vi.Glyph;
  p.CheckState = vi.CheckState;
  cxDrawEditCheck(ACanvas, p);
  if (vi.Alignment != TAlignment::taCenter) vi.DrawCaption(ACanvas);
  if (!vi.FocusRect.IsEmpty()) ACanvas.DrawFocusRect(vi.FocusRect);
}

// ---- properties ----

const TResStringRec scxSEditRepositoryCheckBoxItem = {
    65339, "CheckBox|Represents a check box control that allows selecting an option"};
const TResStringRec cxSEditCheckBoxChecked = {65385, "True"};
const TResStringRec cxSEditCheckBoxGrayed = {65386, ""};
const TResStringRec cxSEditCheckBoxUnchecked = {65387, "False"};

namespace {

// Same type and equal; values that cannot be compared are not equal.
bool ExactlyEqual(const Variant& A, const Variant& B) {
  if (A.VType() != B.VType()) return false;
  if (A.VType() == varNull || A.VType() == varEmpty) return true;
  try {
    return A == B;
  } catch (const Exception&) {
    return false;
  }
}

}  // namespace

TcxCustomCheckBoxProperties::TcxCustomCheckBoxProperties(TPersistent* AOwner)
    : TcxCustomEditProperties(AOwner),
      FDisplayChecked(cxGetResourceString(cxSEditCheckBoxChecked)),
      FDisplayGrayed(cxGetResourceString(cxSEditCheckBoxGrayed)),
      FDisplayUnchecked(cxGetResourceString(cxSEditCheckBoxUnchecked)),
      FValueChecked(true),
      FValueGrayed(Variant::MakeNull()),
      FValueUnchecked(false) {}

void TcxCustomCheckBoxProperties::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TcxCustomCheckBoxProperties*>(Source);
  if (!s) {
    inherited::Assign(Source);
    return;
  }
  auto update = UpdateBracket(this);
  inherited::Assign(Source);
  SetAllowGrayed(s->FAllowGrayed);
  SetCaption(s->FCaption);
  SetDisplayChecked(s->FDisplayChecked);
  SetDisplayGrayed(s->FDisplayGrayed);
  SetDisplayUnchecked(s->FDisplayUnchecked);
  SetFullFocusRect(s->FFullFocusRect);
  SetGlyph(s->FGlyph);
  SetGlyphCount(s->FGlyphCount);
  SetMultiLine(s->FMultiLine);
  SetNullStyle(s->FNullStyle);
  SetUseAlignmentWhenInplace(s->FUseAlignmentWhenInplace);
  // The three values are taken together: one at a time, a swap of two would be refused.
  if (!ExactlyEqual(FValueChecked, s->FValueChecked) ||
      !ExactlyEqual(FValueGrayed, s->FValueGrayed) ||
      !ExactlyEqual(FValueUnchecked, s->FValueUnchecked)) {
    FValueChecked = s->FValueChecked;
    FValueGrayed = s->FValueGrayed;
    FValueUnchecked = s->FValueUnchecked;
    Changed();
  }
}

void TcxCustomCheckBoxProperties::DefineProperties(TFiler& Filer) {
  inherited::DefineProperties(Filer);
  Filer.DefineProperty(
      "Caption", [this](TReader& Reader) { SetCaption(Reader.ReadString()); }, nullptr, false);
}

TcxCustomEditClass TcxCustomCheckBoxProperties::GetContainerClass() const {
  return ClassOf<TcxCheckBox, TcxCustomEdit, TComponent*, bool>();
}

TcxEditSupportedOperations TcxCustomCheckBoxProperties::GetSupportedOperations() const {
  using O = TcxEditSupportedOperation;
  return {O::esoAlwaysHotTrack, O::esoEditing,        O::esoFiltering,      O::esoHotTrack,
          O::esoNoContentPart,  O::esoShowingCaption, O::esoSorting,        O::esoTransparency};
}

bool TcxCustomCheckBoxProperties::IsEditValueValid(Variant& AEditValue, bool AEditFocused) const {
  return inherited::IsEditValueValid(AEditValue, AEditFocused) && IsMapped(AEditValue);
}

String TcxCustomCheckBoxProperties::GetDisplayText(const Variant& AEditValue) const {
  switch (GetState(AEditValue)) {
    case CS::cbsUnchecked: return FDisplayUnchecked;
    case CS::cbsChecked: return FDisplayChecked;
    default: return FDisplayGrayed;
  }
}

Variant TcxCustomCheckBoxProperties::PrepareDisplayValue(const Variant& AEditValue) const {
  return Variant(Integer(GetState(AEditValue)));
}

void TcxCustomCheckBoxProperties::SetCaption(const String& Value) {
  CaptionChanged = true;
  if (FCaption == Value) return;
  FCaption = Value;
  Changed();
}

bool TcxCustomCheckBoxProperties::IsMapped(const Variant& Value) const {
  return ExactlyEqual(Value, FValueChecked) || ExactlyEqual(Value, FValueGrayed) ||
         ExactlyEqual(Value, FValueUnchecked);
}

void TcxCustomCheckBoxProperties::SetValueChecked(const Variant& Value) {
  if (IsMapped(Value) || Value.VType() == varNull) return;
  FValueChecked = Value;
  Changed();
}

void TcxCustomCheckBoxProperties::SetValueGrayed(const Variant& Value) {
  if (IsMapped(Value)) return;
  FValueGrayed = Value;
  Changed();
}

void TcxCustomCheckBoxProperties::SetValueUnchecked(const Variant& Value) {
  if (IsMapped(Value) || Value.VType() == varNull) return;
  FValueUnchecked = Value;
  Changed();
}

bool TcxCustomCheckBoxProperties::IsDisplayCheckedStored() const {
  return FDisplayChecked != cxGetResourceString(cxSEditCheckBoxChecked);
}
bool TcxCustomCheckBoxProperties::IsDisplayGrayedStored() const {
  return FDisplayGrayed != cxGetResourceString(cxSEditCheckBoxGrayed);
}
bool TcxCustomCheckBoxProperties::IsDisplayUncheckedStored() const {
  return FDisplayUnchecked != cxGetResourceString(cxSEditCheckBoxUnchecked);
}
bool TcxCustomCheckBoxProperties::IsValueCheckedStored() const {
  return !ExactlyEqual(FValueChecked, Variant(true));
}
bool TcxCustomCheckBoxProperties::IsValueGrayedStored() const {
  return FValueGrayed.VType() != varNull;
}
bool TcxCustomCheckBoxProperties::IsValueUncheckedStored() const {
  return !ExactlyEqual(FValueUnchecked, Variant(false));
}

void TcxCustomCheckBoxProperties::BeforeDestruction() {
  FreeAndNil(FGlyph);
  inherited::BeforeDestruction();
}

TcxCustomEditViewDataClass TcxCustomCheckBoxProperties::GetViewDataClass() const {
  return ClassOf<TcxCustomCheckBoxViewData, TcxCustomEditViewData, TcxCustomEditProperties*,
                 TcxCustomEditStyle*, bool>();
}

TcxCustomEditViewInfoClass TcxCustomCheckBoxProperties::GetViewInfoClass() const {
  return ClassOf<TcxCustomCheckBoxViewInfo, TcxCustomEditViewInfo>();
}

TcxCheckBoxState TcxCustomCheckBoxProperties::GetState(const Variant& AEditValue) const {
  if (cxVariantsEqualLoose(AEditValue, FValueChecked)) return CS::cbsChecked;
  if (cxVariantsEqualLoose(AEditValue, FValueUnchecked)) return CS::cbsUnchecked;
  return CS::cbsGrayed;
}

void TcxCustomCheckBoxProperties::SetFullFocusRect(bool Value) {
  if (FFullFocusRect == Value) return;
  FFullFocusRect = Value;
  Changed();
}

TBitmap* TcxCustomCheckBoxProperties::GetGlyph() const {
  if (!FGlyph) {
    FGlyph = New<TBitmap>();
    FGlyph->OnChange = {const_cast<TcxCustomCheckBoxProperties*>(this),
                        &TcxCustomCheckBoxProperties::GlyphChanged};
  }
  return FGlyph;
}

void TcxCustomCheckBoxProperties::SetGlyph(TBitmap* Value) {
  if (!Value) {
    FreeAndNil(FGlyph);
    Changed();
  } else {
    GetGlyph()->Assign(Value);
  }
}

void TcxCustomCheckBoxProperties::SetGlyphCount(Integer Value) {
  if (FGlyphCount == Value) return;
  FGlyphCount = Value;
  if (FGlyph) Changed();
}

void TcxCustomCheckBoxProperties::SetMultiLine(bool Value) {
  if (FMultiLine == Value) return;
  FMultiLine = Value;
  Changed();
}

void TcxCustomCheckBoxProperties::SetNullStyle(TcxCheckBoxNullValueShowingStyle Value) {
  if (FNullStyle == Value) return;
  FNullStyle = Value;
  Changed();
}

void TcxCustomCheckBoxProperties::SetUseAlignmentWhenInplace(bool Value) {
  if (FUseAlignmentWhenInplace == Value) return;
  FUseAlignmentWhenInplace = Value;
  Changed();
}

TL_DEFINE_CLASS(TcxCustomCheckBoxProperties, [](auto& c) {
  using T = TcxCustomCheckBoxProperties;
  c.Property("AllowGrayed", &T::GetAllowGrayed, &T::SetAllowGrayed).Default(false);
  c.Property("DisplayChecked", &T::GetDisplayChecked, &T::SetDisplayChecked)
      .Stored(&T::IsDisplayCheckedStored);
  c.Property("DisplayGrayed", &T::GetDisplayGrayed, &T::SetDisplayGrayed)
      .Stored(&T::IsDisplayGrayedStored);
  c.Property("DisplayUnchecked", &T::GetDisplayUnchecked, &T::SetDisplayUnchecked)
      .Stored(&T::IsDisplayUncheckedStored);
  c.Property("ValueChecked", &T::GetValueChecked, &T::SetValueChecked)
      .Stored(&T::IsValueCheckedStored);
  c.Property("ValueGrayed", &T::GetValueGrayed, &T::SetValueGrayed)
      .Stored(&T::IsValueGrayedStored);
  c.Property("ValueUnchecked", &T::GetValueUnchecked, &T::SetValueUnchecked)
      .Stored(&T::IsValueUncheckedStored);
  c.Property("FullFocusRect", &T::GetFullFocusRect, &T::SetFullFocusRect).Default(false);
  c.Property("GlyphCount", &T::GetGlyphCount, &T::SetGlyphCount).Default(6);
  c.Property("MultiLine", &T::GetMultiLine, &T::SetMultiLine).Default(false);
  c.Property("NullStyle", &T::GetNullStyle, &T::SetNullStyle)
      .Default(TcxCheckBoxNullValueShowingStyle::nssGrayedChecked);
  c.Property("UseAlignmentWhenInplace", &T::GetUseAlignmentWhenInplace,
             &T::SetUseAlignmentWhenInplace)
      .Default(false);
});

TL_DEFINE_CLASS(TcxCheckBoxProperties, [](auto& c) {
  using T = TcxCustomCheckBoxProperties;
  c.Property("Caption", &T::GetCaption, &T::SetCaption).Stored(false);
});

// ---- editor ----

TcxCustomEditPropertiesClass TcxCustomCheckBox::GetPropertiesClass() {
  return ClassOf<TcxCustomCheckBoxProperties, TcxCustomEditProperties, TPersistent*>();
}

TcxCustomEditPropertiesClass TcxCheckBox::GetPropertiesClass() {
  return ClassOf<TcxCheckBoxProperties, TcxCustomEditProperties, TPersistent*>();
}

void TcxCustomCheckBox::Initialize() {
  inherited::Initialize();
  FControlStyle.Exclude(TControlStyleItem::csDoubleClicks);
  SetWidth(121);
  Variant v;
  PrepareEditValue(Variant(Integer(CS::cbsUnchecked)), v, false);
  auto quiet = WatchedPairedCall(
      this, [this] { LockChangeEvents(true); }, [this] { LockChangeEvents(false, false); });
  SetEditValue(v);
}

void TcxCustomCheckBox::PrepareEditValue(const Variant& ADisplayValue, Variant& AEditValue, bool) {
  TcxCustomCheckBoxProperties* p = ActiveProperties();
  switch (ADisplayValue.AsInteger()) {
    case 0: AEditValue = p->GetValueUnchecked(); break;
    case 1: AEditValue = p->GetValueChecked(); break;
    default: AEditValue = p->GetValueGrayed(); break;
  }
}

TcxCheckBoxState TcxCustomCheckBox::GetState() {
  return ActiveProperties()->GetState(EditValue());
}

void TcxCustomCheckBox::SetState(TcxCheckBoxState Value) {
  if (InState(TComponentStateItem::csLoading) && !FLoading) {
    FStoredState = Value;
    FStateStoredOnLoad = true;
    return;
  }
  if (Value == GetState()) return;
  Variant v;
  PrepareEditValue(Variant(Integer(Value)), v, IsFocused());
  SetEditValue(v);
}

void TcxCustomCheckBox::SetParentBackground(bool Value) {
  if (FParentBackground == Value) return;
  FParentBackground = Value;
  Invalidate();
}

bool TcxCustomCheckBox::IsNativeBackground() const {
  return IsNativeStyle() && FParentBackground && !IsInplace() && !IsTransparent();
}

bool TcxCustomCheckBox::IsStateStored() {
  if (auto* action = dynamic_cast<TCustomAction*>(GetAction()))
    return GetState() == CS::cbsGrayed || GetChecked() != action->GetChecked();
  return GetState() != CS::cbsUnchecked;
}

void TcxCustomCheckBox::SetCheckedQuietly(bool Value) {
  auto click = WatchedPairedCall(
      this, [this] { LockClick(true); }, [this] { LockClick(false); });
  auto changes = WatchedPairedCall(
      this, [this] { LockChangeEvents(true); }, [this] { LockChangeEvents(false, false); });
  SetChecked(Value);
}

void TcxCustomCheckBox::ActionChange(TObject* Sender, bool CheckDefaults) {
  TWeakLink guard(this);
  inherited::ActionChange(Sender, CheckDefaults);
  auto* action = dynamic_cast<TCustomAction*>(Sender);
  if (!guard.Alive() || !action) return;
  if ((InState(TComponentStateItem::csLoading) && !FLoading) || (FLoading && FStateStoredOnLoad)) return;
  if (!CheckDefaults || !GetChecked()) SetCheckedQuietly(action->GetChecked());
}

TControlActionLinkClass TcxCustomCheckBox::GetActionLinkClass() const {
  return ClassOf<TcxCheckBoxActionLink, TControlActionLink, TControl*>();
}

bool TcxCheckBoxActionLink::IsCheckedLinked() {
  return inherited::IsCheckedLinked() && CheckBox()->GetState() != CS::cbsGrayed &&
         CheckBox()->GetChecked() == CustomAction()->GetChecked();
}

void TcxCheckBoxActionLink::SetChecked(bool Value) {
  if (IsCheckedLinked()) CheckBox()->SetCheckedQuietly(Value);
}

void TcxCustomCheckBox::Toggle() {
  static constexpr CS kNext[] = {CS::cbsChecked, CS::cbsUnchecked, CS::cbsChecked};
  TcxEditLifeGuard guard(this);
  auto locked = WatchedPairedCall(
      this, [this] { LockChangeEvents(true); }, [this] { LockChangeEvents(false); });
  const CS s = GetState();
  const CS next = s == CS::cbsUnchecked && ActiveProperties()->GetAllowGrayed() ? CS::cbsGrayed
                                                                                : kNext[Integer(s)];
  AsUserInput([&] { SetState(next); });
  if (guard.Alive() && ActiveProperties()->GetImmediatePost() && CanPostEditValue() &&
      ValidateDisplayText(true))
    PostEditValue(false);
}

void TcxCustomCheckBox::InvalidateCheck() {
  if (HandleAllocated()) cxInvalidateControlRect(this, CheckViewInfo()->CheckRect, false);
}

void TcxCustomCheckBox::FireStateChange() {
  TcxEditLifeGuard guard(this);
  Click();
  if (guard.Alive()) DoChange();
}

void TcxCustomCheckBox::InternalSetEditValue(const Variant& AValue, bool AValidateEditValue) {
  TcxEditLifeGuard guard(this);
  const CS before = GetState();
  inherited::InternalSetEditValue(AValue, AValidateEditValue);
  if (!guard.Alive()) return;
  // The base step already told OnChange of the new value; the state change adds the click.
  if (GetState() != before) {
    CheckViewInfo()->State = GetState();
    Click();
    if (!guard.Alive()) return;
  }
  RecalcViewAtCursor();
}

void TcxCustomCheckBox::PropertiesChanged(TObject* Sender) {
  if (!DataBinding() || InState(TComponentStateItem::csDestroying)) return;
  TcxEditLifeGuard guard(this);
  TcxCustomCheckBoxProperties* p = ActiveProperties();
  if (p->CaptionChanged) {
    p->CaptionChanged = false;
    SetText(p->GetCaption());
  }
  const CS s = GetState();
  if (CheckViewInfo()->State != s) {
    CheckViewInfo()->State = s;
    InvalidateCheck();
    if (!IsChangeEventsLocked()) {
      FireStateChange();
      if (!guard.Alive()) return;
    }
  }
  inherited::PropertiesChanged(Sender);
}

void TcxCustomCheckBox::UpdatePressedButton(TcxCustomEditViewInfo* AOldViewInfo) {
  auto* old = dynamic_cast<TcxCustomCheckBoxViewInfo*>(AOldViewInfo);
  if (old && old->CheckState == ES::ecsPressed && CheckViewInfo()->CheckState == ES::ecsHot)
    Toggle();
}

void TcxCustomCheckBox::DoEditKeyDown(Word& Key, TShiftState Shift) {
  inherited::DoEditKeyDown(Key, Shift);
  if (Key != VK_SPACE) return;
  const ES cs = CheckViewInfo()->CheckState;
  if (cs != ES::ecsNormal && cs != ES::ecsHot) return;
  FKeyboardPressed = true;
  CheckViewInfo()->CheckState = ES::ecsPressed;
  RecalcViewAtCursor();
  Key = 0;
}

void TcxCustomCheckBox::DoEditKeyPress(Char& Key) {
  inherited::DoEditKeyPress(Key);
  if (IsInplace() && Key == ' ' && CheckViewInfo()->CheckState == ES::ecsNormal) {
    Toggle();
    Key = 0;
  }
}

void TcxCustomCheckBox::DoEditKeyUp(Word& Key, TShiftState Shift) {
  inherited::DoEditKeyUp(Key, Shift);
  if (Key != VK_SPACE || CheckViewInfo()->CheckState != ES::ecsPressed) return;
  FKeyboardPressed = false;
  CheckViewInfo()->CheckState = ES::ecsNormal;
  InvalidateCheck();
  Toggle();
}

void TcxCustomCheckBox::DoExit() {
  FKeyboardPressed = false;
  inherited::DoExit();
}

void TcxCustomCheckBox::Loaded() {
  LockClick(true);
  LockChangeEvents(true);
  FLoading = true;
  TScopeExit loaded([this] {
    FLoading = false;
    FStateStoredOnLoad = false;
    LockChangeEvents(false, false);
    LockClick(false);
  });
  inherited::Loaded();
  // A State left out of the description because it equals the action's Checked is that.
  auto* action = dynamic_cast<TCustomAction*>(GetAction());
  if (FStateStoredOnLoad)
    SetState(FStoredState);
  else if (!IsDataStorage())
    SetState(action && action->GetChecked() ? CS::cbsChecked : CS::cbsUnchecked);
}

namespace {

// The character after a single "&" in the text, or 0.
Char AccelOf(const String& AText) {
  for (size_t i = 0; i + 1 < AText.size(); ++i) {
    if (AText[i] != '&') continue;
    if (AText[i + 1] != '&') return AText[i + 1];
    ++i;
  }
  return 0;
}

}  // namespace

void TcxCustomCheckBox::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_LBUTTONUP: {
      // The toggle is this control's click; the platform's own must not fire again.
      TControlState st = ControlState();
      st.Exclude(TControlStateItem::csClicked);
      SetControlState(st);
      break;
    }
    case CM_DIALOGCHAR: {
      const Char a = AccelOf(GetText());
      if (a != 0 && std::tolower(Byte(a)) == std::tolower(Byte(Message.WParam)) && CanFocus()) {
        TcxEditLifeGuard guard(this);
        SetFocus();
        if (guard.Alive() && Focused()) Toggle();
        Message.Result = 1;
        return;
      }
      break;
    }
    case CM_TEXTCHANGED: {
      TcxEditLifeGuard guard(this);  // a change handler may free the box
      inherited::WndProc(Message);
      if (!guard.Alive()) return;
      CheckViewInfo()->Text = GetText();
      RecalcViewAtCursor();
      if (guard.Alive()) CheckAutoSize();
      return;
    }
    case CM_PARENTCOLORCHANGED:
      inherited::WndProc(Message);
      if (IsNativeStyle() && FParentBackground) Invalidate();
      return;
    default:
      break;
  }
  inherited::WndProc(Message);
}

TL_DEFINE_CLASS(TcxCustomCheckBox, [](auto&) {});
TL_DEFINE_CLASS(TcxCheckBoxActionLink)

TL_DEFINE_CLASS(TcxCheckBox, [](auto& c) {
  using T = TcxCustomCheckBox;
  c.Property("Properties", &TcxCheckBox::GetProperties, &TcxCheckBox::SetProperties);
  c.Property("Checked", &T::GetChecked, &T::SetChecked).Stored(false);
  c.Property("ParentBackground", &T::GetParentBackground, &T::SetParentBackground).Default(true);
  c.Property("State", &T::GetState, &T::SetState).Stored(&T::IsStateStored);
});

// ---- check-state lists ----

namespace {

using CVF = TcxCheckStatesValueFormat;

void AppendGroup(String& AText, const TcxCheckStates& AStates, CS AState, IcxCheckItems* AItems,
                 bool ACaptions) {
  bool first = true;
  const size_t count =
      ACaptions ? std::min(AStates.size(), size_t(std::max(0, AItems->GetCount()))) : AStates.size();
  for (size_t i = 0; i < count; ++i) {
    if (AStates[i] != AState) continue;
    if (ACaptions) {
      const String c = AItems->GetCaption(Integer(i));
      AText += std::to_string(c.size()) + ":" + c;
    } else {
      if (!first) AText += ",";
      AText += std::to_string(i);
    }
    first = false;
  }
}

// Digits only, no sign, no overflow past a 32-bit count.
bool ParseCount(const String& S, size_t& APos, size_t AEnd, Integer& AValue) {
  const size_t start = APos;
  Int64 v = 0;
  while (APos < AEnd && S[APos] >= '0' && S[APos] <= '9') {
    v = v * 10 + (S[APos] - '0');
    if (v > 0x7FFFFFFF) return false;
    ++APos;
  }
  AValue = Integer(v);
  return APos > start;
}

bool ReadStatesString(const String& S, TcxCheckStates& AStates) {
  const size_t n = std::min(S.size(), AStates.size());
  for (size_t i = 0; i < n; ++i) {
    if (S[i] < '0' || S[i] > '2') return false;
    AStates[i] = CS(S[i] - '0');
  }
  return true;
}

bool ReadInteger(const Variant& V, TcxCheckStates& AStates) {
  Int64 bits = 0;
  if (VarIsStr(V)) {
    if (!TryStrToInt64(V.AsString(), bits)) return false;
  } else if (VarIsNumeric(V)) {
    try {
      bits = V.AsInt64();
    } catch (const Exception&) {
      return false;
    }
  } else if (!VarIsNull(V)) {
    return false;
  }
  for (size_t i = 0; i < AStates.size() && i < 64; ++i)
    if ((std::uint64_t(bits) >> i) & 1) AStates[i] = CS::cbsChecked;
  return true;
}

bool ReadIndices(const String& S, TcxCheckStates& AStates) {
  CS state = CS::cbsGrayed;
  size_t pos = 0;
  bool expectIndex = false;  // after a separator another index must follow
  while (pos < S.size()) {
    if (S[pos] == ';') {
      if (state == CS::cbsChecked || expectIndex) return false;
      state = CS::cbsChecked;
      ++pos;
      expectIndex = true;
      continue;
    }
    Integer index = 0;
    if (!ParseCount(S, pos, S.size(), index) || size_t(index) >= AStates.size()) return false;
    AStates[size_t(index)] = state;
    expectIndex = false;
    if (pos < S.size() && S[pos] == ',') {
      ++pos;
      expectIndex = true;
    } else if (pos < S.size() && S[pos] != ';') {
      return false;
    }
  }
  return !expectIndex;
}

bool ReadCaptions(const String& S, IcxCheckItems* AItems, TcxCheckStates& AStates) {
  struct Parsed {
    String Caption;
    CS State;
    bool Used = false;
  };
  std::vector<Parsed> parsed;
  CS state = CS::cbsGrayed;
  size_t pos = 0;
  while (pos < S.size()) {
    if (S[pos] == ';') {
      if (state == CS::cbsChecked) return false;
      state = CS::cbsChecked;
      ++pos;
      continue;
    }
    Integer len = 0;
    if (!ParseCount(S, pos, S.size(), len) || pos >= S.size() || S[pos] != ':') return false;
    ++pos;
    if (size_t(len) > S.size() - pos) return false;
    parsed.push_back({S.substr(pos, size_t(len)), state});
    pos += size_t(len);
  }
  for (size_t i = 0; i < AStates.size(); ++i) {
    const String caption = AItems->GetCaption(Integer(i));
    for (Parsed& p : parsed)
      if (!p.Used && p.Caption == caption) {
        p.Used = true;
        AStates[i] = p.State;
        break;
      }
  }
  for (const Parsed& p : parsed)
    if (!p.Used) return false;
  return true;
}

}  // namespace

void cxCheckStatesToValue(const TcxCheckStates& ACheckStates, IcxCheckItems* AItems,
                          TcxCheckStatesValueFormat AFormat, Variant& AValue) {
  switch (AFormat) {
    case CVF::cvfStatesString: {
      String s;
      for (CS st : ACheckStates) s += Char('0' + Integer(st));
      AValue = Variant(s);
      return;
    }
    case CVF::cvfInteger: {
      std::uint64_t bits = 0;
      for (size_t i = 0; i < ACheckStates.size() && i < 64; ++i)
        if (ACheckStates[i] == CS::cbsChecked) bits |= std::uint64_t(1) << i;
      AValue = Variant(Int64(bits));
      return;
    }
    default: {
      const bool captions = AFormat == CVF::cvfCaptions;
      if (captions && !AItems) {
        AValue = Variant(String());
        return;
      }
      String s;
      AppendGroup(s, ACheckStates, CS::cbsGrayed, AItems, captions);
      if (std::find(ACheckStates.begin(), ACheckStates.end(), CS::cbsChecked) !=
          ACheckStates.end()) {
        s += ";";
        AppendGroup(s, ACheckStates, CS::cbsChecked, AItems, captions);
      }
      AValue = Variant(s);
      return;
    }
  }
}

void cxValueToCheckStates(const Variant& AValue, IcxCheckItems* AItems,
                          TcxCheckStatesValueFormat AFormat, TcxCheckStates& ACheckStates) {
  const Integer count = AItems ? std::max(0, AItems->GetCount()) : 0;
  ACheckStates.assign(size_t(count), CS::cbsUnchecked);
  if (VarIsNull(AValue) || (VarIsStr(AValue) && AValue.AsString().empty())) return;
  bool ok = false;
  if (AFormat == CVF::cvfInteger) {
    ok = ReadInteger(AValue, ACheckStates);
  } else if (VarIsStr(AValue)) {
    const String s = AValue.AsString();
    switch (AFormat) {
      case CVF::cvfStatesString: ok = ReadStatesString(s, ACheckStates); break;
      case CVF::cvfIndices: ok = ReadIndices(s, ACheckStates); break;
      default: ok = ReadCaptions(s, AItems, ACheckStates); break;
    }
  }
  if (!ok) ACheckStates.assign(size_t(count), CS::cbsUnchecked);
}

// ---- unit ----

namespace cxCheckBox {

void Initialize() {
  cxInitCheckBoxMetrics();
  cxRegisterEditor(TcxCheckBoxProperties::StaticClass(),
                   cxGetResourceString(scxSEditRepositoryCheckBoxItem), TcxCheckBox::StaticClass());
}

void Finalize() {
  cxUnregisterEditor(TcxCheckBoxProperties::StaticClass(), TcxCheckBox::StaticClass());
  FreeAndNil(gCheckMarkMask);
  gMetricsDone = false;
}

}  // namespace cxCheckBox
