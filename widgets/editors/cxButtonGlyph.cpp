#include "widgets/editors/cxButtonGlyph.h"

#include "classlib/visual/Controls.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/ImageList.h"
#include "platform/gdi/Text.h"

#include <algorithm>

using BS = TcxButtonState;

// ---- TcxButtonColors ------------------------------------------------------------------------

TcxButtonColors::TcxButtonColors(TControl* AOwner) : FButton(AOwner) {
  for (BS s : {BS::cxbsDefault, BS::cxbsNormal, BS::cxbsHot, BS::cxbsPressed, BS::cxbsDisabled}) FColors[s] = clDefault;
}

TPersistent* TcxButtonColors::GetOwner() const { return FButton; }

void TcxButtonColors::Changed() {
  if (FButton) FButton->Invalidate();
}

void TcxButtonColors::SetColor(TcxButtonState AState, TColor Value) {
  if (Value == clNone || Value == clDefault) {
    if (FColors[AState] == clDefault && !FAssignedColors.Contains(AState)) return;
    FColors[AState] = clDefault;
    FAssignedColors.Exclude(AState);
  } else {
    if (FColors[AState] == Value && FAssignedColors.Contains(AState)) return;
    FColors[AState] = Value;
    FAssignedColors.Include(AState);
  }
  Changed();
}

void TcxButtonColors::SetAssignedColors(TcxButtonAssignedColors Value) {
  // Outside design the set only follows the colours written.
  if (!FButton || !FButton->InState(TComponentStateItem::csDesigning) || Value == FAssignedColors) return;
  for (BS s : {BS::cxbsDefault, BS::cxbsNormal, BS::cxbsHot, BS::cxbsPressed, BS::cxbsDisabled}) {
    if (!Value.Contains(s)) FColors[s] = clDefault;
    else if (FColors[s] == clDefault) Value.Exclude(s);
  }
  FAssignedColors = Value;
  Changed();
}

void TcxButtonColors::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<TcxButtonColors*>(Source)) {
    FColors = src->FColors;
    FAssignedColors = src->FAssignedColors;
    Changed();
    return;
  }
  inherited::Assign(Source);
}

// ---- Glyph lists and their cache ------------------------------------------------------------

TcxGlyphList::TcxGlyphList(Integer AWidth, Integer AHeight) : TImageList(nullptr) {
  SetWidth(AWidth);
  SetHeight(AHeight);
  SetMasked(true);
}

Integer TcxGlyphList::AddMasked(TBitmap* Image, TColor MaskColor) {
  auto free = std::find(FUsed.begin(), FUsed.end(), false);
  Integer index = Integer(free - FUsed.begin());
  if (index < Count()) {
    ReplaceMasked(index, Image, MaskColor);
  } else {
    index = TImageList::AddMasked(Image, MaskColor);
    if (index < 0) return -1;
  }
  if (size_t(index) >= FUsed.size()) FUsed.resize(size_t(index) + 1, false);
  FUsed[size_t(index)] = true;
  ++FUsedCount;
  return index;
}

void TcxGlyphList::Delete(Integer Index) {
  if (Index < 0 || size_t(Index) >= FUsed.size() || !FUsed[size_t(Index)]) return;
  FUsed[size_t(Index)] = false;
  --FUsedCount;
}

namespace {
TcxGlyphCache* gGlyphCache = nullptr;
Integer gGlyphObjects = 0;
}  // namespace

TcxGlyphCache* cxGlyphCache() { return gGlyphCache; }

TcxGlyphCache::~TcxGlyphCache() {
  for (TcxGlyphList* l : FLists) l->Free();
}

TcxGlyphList* TcxGlyphCache::GetList(Integer AWidth, Integer AHeight) {
  for (auto it = FLists.rbegin(); it != FLists.rend(); ++it)
    if ((*it)->GetWidth() == AWidth && (*it)->GetHeight() == AHeight) return *it;
  TcxGlyphList* list = New<TcxGlyphList>(AWidth, AHeight);
  FLists.push_back(list);
  return list;
}

void TcxGlyphCache::ReturnList(TcxGlyphList* AList) {
  if (!AList || AList->UsedCount() > 0) return;
  auto it = std::find(FLists.begin(), FLists.end(), AList);
  if (it == FLists.end()) return;
  FLists.erase(it);
  AList->Free();
}

// ---- TcxButtonGlyph -------------------------------------------------------------------------

namespace {

enum { kFrameUp = 0, kFrameDisabled = 1, kFrameDown = 2 };
// DSPDxax: the brush where the source is white, the destination where it is black.
constexpr DWORD kRopDSPDxax = 0x00E20746;

// A monochrome picture of AFrame of ASource: white where its pixels have AColor (or, with
// AInvert, where they have not), black elsewhere. The caller deletes it.
HBITMAP MonoMask(HDC ASource, const TRect& AFrame, COLORREF AColor, bool AInvert) {
  const int w = AFrame.Right - AFrame.Left, h = AFrame.Bottom - AFrame.Top;
  HBITMAP mono = CreateBitmap(w, h, 1, 1, nullptr);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, mono);
  const COLORREF oldBk = SetBkColor(ASource, AColor);
  BitBlt(dc, 0, 0, w, h, ASource, AFrame.Left, AFrame.Top, SRCCOPY);
  SetBkColor(ASource, oldBk);
  if (AInvert) PatBlt(dc, 0, 0, w, h, DSTINVERT);
  SelectObject(dc, old);
  DeleteDC(dc);
  return mono;
}

// Paints AColor into ADest at (X, Y) wherever AMask is white.
void PaintThroughMask(TCanvas* ADest, Integer X, Integer Y, HBITMAP AMask, Integer W, Integer H, TColor AColor) {
  ADest->Brush()->SetColor(AColor);
  HDC dest = ADest->GetHandle();
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, AMask);
  const COLORREF oldText = SetTextColor(dest, RGB(0, 0, 0));
  const COLORREF oldBk = SetBkColor(dest, RGB(255, 255, 255));
  HGDIOBJ oldBrush = SelectObject(dest, ADest->Brush()->GetHandle());
  BitBlt(dest, X, Y, W, H, dc, 0, 0, kRopDSPDxax);
  SelectObject(dest, oldBrush);
  SetTextColor(dest, oldText);
  SetBkColor(dest, oldBk);
  SelectObject(dc, old);
  DeleteDC(dc);
}

}  // namespace

TcxButtonGlyph::TcxButtonGlyph() {
  if (gGlyphObjects++ == 0 && !gGlyphCache) gGlyphCache = New<TcxGlyphCache>();
  FOriginal = New<TBitmap>();
  FOriginal->OnChange = TNotifyEvent(this, &TcxButtonGlyph::GlyphChanged);
}

TcxButtonGlyph::~TcxButtonGlyph() {
  Invalidate();
  FOriginal->OnChange = TNotifyEvent();
  FOriginal->Free();
  if (--gGlyphObjects == 0 && gGlyphCache && gGlyphCache->Count() == 0) FreeAndNil(gGlyphCache);
}

void TcxButtonGlyph::Invalidate() {
  for (Integer& index : FIndexes) {
    if (index >= 0 && FGlyphList) FGlyphList->Delete(index);
    index = -1;
  }
  if (FGlyphList && gGlyphCache) gGlyphCache->ReturnList(FGlyphList);
  FGlyphList = nullptr;
}

void TcxButtonGlyph::GlyphChanged(TObject*) {
  Invalidate();
  if (OnChange) OnChange(this);
}

void TcxButtonGlyph::SetGlyph(TBitmap* Value) {
  Invalidate();
  if (Value) {
    FOriginal->Assign(Value);
  } else {
    FOriginal->SetSize(0, 0);
  }
  if (Value && Value->GetHeight() > 0 && Value->GetWidth() % Value->GetHeight() == 0) {
    const Integer n = Value->GetWidth() / Value->GetHeight();
    FNumGlyphs = n >= 1 && n <= 4 ? n : 1;
  }
}

void TcxButtonGlyph::SetNumGlyphs(Integer Value) {
  if (Value > 4) Value = 4;
  if (Value <= 0 || Value == FNumGlyphs) return;
  Invalidate();
  FNumGlyphs = Value;
}

Integer TcxButtonGlyph::FrameOf(TcxButtonState AState) const {
  // The disabled image is built even from a one-frame strip (embossed), so it keeps its slot.
  if (AState == BS::cxbsDisabled) return kFrameDisabled;
  const Integer frame = AState == BS::cxbsPressed && FNumGlyphs >= 3 ? kFrameDown : kFrameUp;
  return frame < FNumGlyphs ? frame : kFrameUp;
}

TSize TcxButtonGlyph::GlyphSize() const {
  // More frames than pixels leaves no frame to show.
  const Integer w = FOriginal->GetWidth() / FNumGlyphs, h = FOriginal->GetHeight();
  if (w < 1 || h < 1) return {0, 0};
  return {w, h};
}

Integer TcxButtonGlyph::CreateButtonGlyph(TcxButtonState AState) {
  const Integer frame = FrameOf(AState);
  if (FIndexes[size_t(frame)] >= 0) return FIndexes[size_t(frame)];
  const TSize size = GlyphSize();
  if (size.cx == 0) return -1;
  if (!gGlyphCache) gGlyphCache = New<TcxGlyphCache>();
  if (!FGlyphList) FGlyphList = gGlyphCache->GetList(size.cx, size.cy);

  Owned<TBitmap> image(New<TBitmap>());
  image->SetPixelFormat(TPixelFormat::pf32bit);
  image->SetSize(size.cx, size.cy);
  TCanvas* canvas = image->Canvas();
  canvas->Brush()->SetColor(clBtnFace);
  canvas->FillRect({0, 0, size.cx, size.cy});
  const TRect whole{0, 0, size.cx, size.cy};
  const TRect source{frame * size.cx, 0, (frame + 1) * size.cx, size.cy};
  Integer index;
  // A monochrome strip is read through a coloured copy, so its masks keep its shape.
  Owned<TBitmap> colored;
  TBitmap* strip = FOriginal;
  if (FOriginal->GetMonochrome()) {
    colored.reset(New<TBitmap>());
    colored->Assign(FOriginal);
    colored->SetPixelFormat(TPixelFormat::pf32bit);
    strip = colored.get();
  }
  if (frame == kFrameDisabled) {
    HDC src = strip->Canvas()->GetHandle();
    if (FNumGlyphs < 2) {
      // Embossed from the up frame's shape: everything but its transparent colour.
      const COLORREF back = ColorToRGB(FOriginal->GetTransparentMode() == TTransparentMode::tmFixed
                                           ? FTransparentColor
                                           : strip->Canvas()->GetPixel(0, size.cy - 1));
      HBITMAP shape = MonoMask(src, {0, 0, size.cx, size.cy}, back, true);
      PaintThroughMask(canvas, 1, 1, shape, size.cx, size.cy, clBtnHighlight);
      PaintThroughMask(canvas, 0, 0, shape, size.cx, size.cy, clBtnShadow);
      DeleteObject(shape);
    } else {
      canvas->CopyRect(whole, strip->Canvas(), source);
      // Each pass keys on the strip itself, so one recolouring never feeds the next.
      const std::pair<TColor, TColor> passes[] = {
          {clWhite, clBtnHighlight}, {clGray, clBtnShadow}, {FTransparentColor, clBtnFace}};
      for (const auto& [from, to] : passes) {
        HBITMAP mask = MonoMask(src, source, ColorToRGB(from), false);
        PaintThroughMask(canvas, 0, 0, mask, size.cx, size.cy, to);
        DeleteObject(mask);
      }
    }
    index = FGlyphList->AddMasked(image.get(), clDefault);
  } else {
    canvas->CopyRect(whole, strip->Canvas(), source);
    index = FGlyphList->AddMasked(
        image.get(), FOriginal->GetTransparentMode() == TTransparentMode::tmFixed ? FTransparentColor : clDefault);
  }
  FIndexes[size_t(frame)] = index;
  return index;
}

TRect TcxButtonGlyph::TextMargins() const {
  if (FOriginal->GetWidth() > 0 && FOriginal->GetHeight() > 0) return {0, 0, 0, 0};
  return {1, 0, 2, 0};
}

TcxButtonGlyphLayout TcxButtonGlyph::CalcLayout(TcxCanvas& ACanvas, const TRect& AClient, const TPoint& AOffset,
                                                const String& ACaption, TButtonLayout ALayout, Integer AMargin,
                                                Integer ASpacing, Integer ATextFlags) {
  using L = TButtonLayout;
  if (ATextFlags & DT_RIGHT) {
    if (ALayout == L::blGlyphLeft) ALayout = L::blGlyphRight;
    else if (ALayout == L::blGlyphRight) ALayout = L::blGlyphLeft;
  }
  const Integer clientW = AClient.Right - AClient.Left, clientH = AClient.Bottom - AClient.Top;
  TRect text{0, 0, 0, 0};
  TPoint textSize{0, 0};
  if (!ACaption.empty()) {
    const TRect m = TextMargins();
    text = {m.Left, m.Top, clientW - m.Right, -m.Bottom};
    DrawTextA(ACanvas.GetHandle(), ACaption.c_str(), Integer(ACaption.size()), &text, UINT(ATextFlags) | DT_CALCRECT);
    textSize = {text.Right - text.Left + m.Left + m.Right, text.Bottom - text.Top + m.Top + m.Bottom};
  }
  const TSize glyph = GlyphSize();
  TPoint glyphPos{0, 0}, textPos{0, 0};
  const bool horizontal = ALayout == L::blGlyphLeft || ALayout == L::blGlyphRight;
  if (horizontal) {
    glyphPos.Y = (clientH - glyph.cy) / 2;
    textPos.Y = (clientH - textSize.Y - 1) / 2;
  } else {
    glyphPos.X = (clientW - glyph.cx) / 2;
    textPos.X = (clientW - textSize.X) / 2;
  }
  if (textSize.X == 0 || glyph.cx == 0) ASpacing = 0;
  const Integer c = horizontal ? clientW : clientH;
  const Integer g = horizontal ? glyph.cx : glyph.cy;
  const Integer t = horizontal ? textSize.X : textSize.Y;
  if (AMargin == -1) {
    if (ASpacing == -1) {
      AMargin = (c - (g + t)) / 3;
      ASpacing = AMargin;
    } else {
      AMargin = (c - (g + ASpacing + t)) / 2;
    }
  } else if (ASpacing == -1) {
    ASpacing = ((c - (AMargin + g)) - t) / 2;
  }
  Integer glyphAt, textAt;
  if (ALayout == L::blGlyphLeft || ALayout == L::blGlyphTop) {
    glyphAt = AMargin;
    textAt = AMargin + g + ASpacing;
  } else {
    textAt = AMargin;
    glyphAt = AMargin + t + ASpacing;
  }
  (horizontal ? glyphPos.X : glyphPos.Y) = glyphAt;
  (horizontal ? textPos.X : textPos.Y) = textAt;
  TcxButtonGlyphLayout result;
  result.GlyphPos = {glyphPos.X + AClient.Left + AOffset.X, glyphPos.Y + AClient.Top + AOffset.Y};
  const Integer dx = textPos.X + AClient.Left + AOffset.X, dy = textPos.Y + AClient.Top + AOffset.Y;
  result.TextRect = {text.Left + dx, text.Top + dy, text.Right + dx, text.Bottom + dy};
  return result;
}

void TcxButtonGlyph::DrawButtonText(TcxCanvas& ACanvas, const String& ACaption, TRect R, TcxButtonState AState,
                                    Integer AFlags) {
  if (ACaption.empty()) return;
  HDC dc = ACanvas.GetHandle();
  const UINT flags = (UINT(AFlags) | DT_CENTER | DT_VCENTER) & ~UINT(DT_WORDBREAK);
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  const COLORREF color = ColorToRGB(ACanvas.GetFont()->GetColor());
  if (AState == BS::cxbsDisabled) {
    TRect shifted{R.Left + 1, R.Top + 1, R.Right + 1, R.Bottom + 1};
    SetTextColor(dc, ColorToRGB(clBtnHighlight));
    DrawTextA(dc, ACaption.c_str(), Integer(ACaption.size()), &shifted, flags);
  }
  SetTextColor(dc, color);
  DrawTextA(dc, ACaption.c_str(), Integer(ACaption.size()), &R, flags);
  SetBkMode(dc, oldMode);
}

TRect TcxButtonGlyph::Draw(TcxCanvas& ACanvas, const TRect& AClient, const TPoint& AOffset, const String& ACaption,
                           TButtonLayout ALayout, Integer AMargin, Integer ASpacing, TcxButtonState AState, bool,
                           Integer ATextFlags) {
  const TcxButtonGlyphLayout layout =
      CalcLayout(ACanvas, AClient, AOffset, ACaption, ALayout, AMargin, ASpacing, ATextFlags);
  const Integer index = CreateButtonGlyph(AState);
  if (index >= 0 && FGlyphList)
    ImageList_DrawEx(FGlyphList->GetHandle(), index, ACanvas.GetHandle(), layout.GlyphPos.X, layout.GlyphPos.Y, 0, 0,
                     CLR_NONE, CLR_NONE, ILD_TRANSPARENT);
  DrawButtonText(ACanvas, ACaption, layout.TextRect, AState, ATextFlags);
  return layout.TextRect;
}

TL_DEFINE_CLASS(TcxButtonColors, [](auto& c) {
  using T = TcxButtonColors;
  c.Property("AssignedColors", &T::GetAssignedColors, &T::SetAssignedColors);
  c.Property("Default", &T::GetDefault, &T::SetDefault).Idents("TColor").Stored(&T::IsColorStored<BS::cxbsDefault>);
  c.Property("Normal", &T::GetNormal, &T::SetNormal).Idents("TColor").Stored(&T::IsColorStored<BS::cxbsNormal>);
  c.Property("Hot", &T::GetHot, &T::SetHot).Idents("TColor").Stored(&T::IsColorStored<BS::cxbsHot>);
  c.Property("Pressed", &T::GetPressed, &T::SetPressed).Idents("TColor").Stored(&T::IsColorStored<BS::cxbsPressed>);
  c.Property("Disabled", &T::GetDisabled, &T::SetDisabled)
      .Idents("TColor")
      .Stored(&T::IsColorStored<BS::cxbsDisabled>);
})
TL_DEFINE_CLASS(TcxGlyphList)
TL_DEFINE_CLASS(TcxGlyphCache)
TL_DEFINE_CLASS(TcxButtonGlyph)
