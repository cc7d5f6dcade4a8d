// Fonts, pens and brushes: properties, their GDI handles and change notification.
#include "classlib/visual/Graphics.h"
#include "classlib/core/ScopeGuards.h"
#include "platform/gdi/Font.h"
#include "platform/kernel/Arith.h"

#include <algorithm>
#include <cstring>

// ---- TGraphicsObject --------------------------------------------------------------------------

TL_DEFINE_CLASS(TGraphicsObject)

void TGraphicsObject::BeforeDestruction() {
  OnChange = nullptr;
  inherited::BeforeDestruction();
}

TGraphicsObject::~TGraphicsObject() {
  if (FHandle) DeleteObject(FHandle);
}

void TGraphicsObject::Changed() {
  HGDIOBJ old = FHandle;
  FHandle = nullptr;
  TScopeExit drop([old] {
    if (old) DeleteObject(old);
  });
  if (OnChange) OnChange(this);
}

// ---- TFont ------------------------------------------------------------------------------------------

TL_DEFINE_CLASS(TFont, [](auto& c) {
  c.Property("Charset", &TFont::GetCharset, &TFont::SetCharset).Idents("TFontCharset").Default(DEFAULT_CHARSET);
  c.Property("Color", &TFont::GetColor, &TFont::SetColor).Idents("TColor").NoDefault();
  c.Property("Height", &TFont::GetHeight, &TFont::SetHeight).NoDefault();
  c.Property("Name", &TFont::GetName, &TFont::SetName);
  c.Property("Pitch", &TFont::GetPitch, &TFont::SetPitch).Default(TFontPitch::fpDefault);
  c.Property("Size", &TFont::GetSize, &TFont::SetSize).Stored(false);
  c.Property("Style", &TFont::GetStyle, &TFont::SetStyle).Default(TFontStyles{});
})

TFont::TFont() = default;

void TFont::Modified() { Changed(); }

void TFont::Assign(TPersistent* Source) {
  if (auto* f = dynamic_cast<TFont*>(Source)) {
    if (f == this) return;
    FName = f->FName;
    FHeight = f->FHeight;
    FStyle = f->FStyle;
    FColor = f->FColor;
    FCharset = f->FCharset;
    FPitch = f->FPitch;
    Modified();
    return;
  }
  inherited::Assign(Source);
}

HFONT TFont::GetHandle() {
  if (!FHandle) {
    LOGFONTA lf{};
    lf.lfHeight = FHeight;
    lf.lfWeight = FStyle.Contains(TFontStyle::fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = FStyle.Contains(TFontStyle::fsItalic) ? 1 : 0;
    lf.lfUnderline = FStyle.Contains(TFontStyle::fsUnderline) ? 1 : 0;
    lf.lfStrikeOut = FStyle.Contains(TFontStyle::fsStrikeOut) ? 1 : 0;
    lf.lfCharSet = FCharset;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    switch (FPitch) {
      case TFontPitch::fpVariable: lf.lfPitchAndFamily = VARIABLE_PITCH; break;
      case TFontPitch::fpFixed: lf.lfPitchAndFamily = FIXED_PITCH; break;
      default: lf.lfPitchAndFamily = DEFAULT_PITCH; break;
    }
    const size_t n = std::min<size_t>(FName.size(), LF_FACESIZE - 1);
    std::memcpy(lf.lfFaceName, FName.data(), n);
    FHandle = CreateFontIndirectA(&lf);
  }
  return static_cast<HFONT>(FHandle);
}

void TFont::SetHandle(HFONT Value) {
  LOGFONTA lf{};
  if (!Value || GetObjectA(Value, sizeof lf, &lf) != int(sizeof lf))
    throw EInvalidGraphicOperation("Invalid font handle");
  lf.lfFaceName[LF_FACESIZE - 1] = 0;
  FName = lf.lfFaceName;
  FHeight = lf.lfHeight;
  TFontStyles s;
  if (lf.lfWeight >= FW_BOLD) s.Include(TFontStyle::fsBold);
  if (lf.lfItalic) s.Include(TFontStyle::fsItalic);
  if (lf.lfUnderline) s.Include(TFontStyle::fsUnderline);
  if (lf.lfStrikeOut) s.Include(TFontStyle::fsStrikeOut);
  FStyle = s;
  FCharset = lf.lfCharSet;
  switch (lf.lfPitchAndFamily & 3) {
    case VARIABLE_PITCH: FPitch = TFontPitch::fpVariable; break;
    case FIXED_PITCH: FPitch = TFontPitch::fpFixed; break;
    default: FPitch = TFontPitch::fpDefault; break;
  }
  if (Value == FHandle) return;
  Changed();       // listeners deselect the old handle, which is deleted
  FHandle = Value;  // the font owns the new one from now on
}

void TFont::SetName(const String& Value) {
  if (Value.empty() || Value == FName) return;
  FName = Value;
  Modified();
}

Integer TFont::GetSize() const { return -MulDiv(FHeight, 72, PixelsPerInch); }

void TFont::SetSize(Integer Value) { SetHeight(-MulDiv(Value, PixelsPerInch, 72)); }

void TFont::SetHeight(Integer Value) {
  if (Value == FHeight) return;
  FHeight = Value;
  Modified();
}

void TFont::SetStyle(TFontStyles Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  Modified();
}

void TFont::SetColor(TColor Value) {
  if (Value == FColor) return;
  FColor = Value;
  // The colour is the canvas's text colour, not part of the handle: keep it.
  if (OnChange) OnChange(this);
}

void TFont::SetCharset(TFontCharset Value) {
  if (Value == FCharset) return;
  FCharset = Value;
  Modified();
}

void TFont::SetPitch(TFontPitch Value) {
  if (Value == FPitch) return;
  FPitch = Value;
  Modified();
}

// ---- TPen ---------------------------------------------------------------------------------------------

TL_DEFINE_CLASS(TPen, [](auto& c) {
  c.Property("Color", &TPen::GetColor, &TPen::SetColor).Idents("TColor").Default(clBlack);
  c.Property("Mode", &TPen::GetMode, &TPen::SetMode).Default(TPenMode::pmCopy);
  c.Property("Style", &TPen::GetStyle, &TPen::SetStyle).Default(TPenStyle::psSolid);
  c.Property("Width", &TPen::GetWidth, &TPen::SetWidth).Default(1);
})

void TPen::Assign(TPersistent* Source) {
  if (auto* p = dynamic_cast<TPen*>(Source)) {
    if (p == this) return;
    FColor = p->FColor;
    FWidth = p->FWidth;
    FStyle = p->FStyle;
    FMode = p->FMode;
    Changed();
    return;
  }
  inherited::Assign(Source);
}

HPEN TPen::GetHandle() {
  if (!FHandle) {
    static constexpr UINT kStyles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
    const COLORREF c = ColorToDevice(FColor);
    FHandle = CreatePen(int(kStyles[Ord(FStyle)]), FWidth, c);
  }
  return static_cast<HPEN>(FHandle);
}

void TPen::SetColor(TColor Value) {
  if (Value == FColor) return;
  FColor = Value;
  Changed();
}

void TPen::SetWidth(Integer Value) {
  Value = std::max<Integer>(Value, 1);
  if (Value == FWidth) return;
  FWidth = Value;
  Changed();
}

void TPen::SetStyle(TPenStyle Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  Changed();
}

void TPen::SetMode(TPenMode Value) {
  if (Value == FMode) return;
  FMode = Value;
  Changed();
}

int TPen::Rop2() const {
  static constexpr int kRop2[] = {R2_BLACK,       R2_WHITE,       R2_NOP,         R2_NOT,
                                  R2_COPYPEN,     R2_NOTCOPYPEN,  R2_MERGEPENNOT, R2_MASKPENNOT,
                                  R2_MERGENOTPEN, R2_MASKNOTPEN,  R2_MERGEPEN,    R2_NOTMERGEPEN,
                                  R2_MASKPEN,     R2_NOTMASKPEN,  R2_XORPEN,      R2_NOTXORPEN};
  return kRop2[Ord(FMode)];
}

// ---- TBrush -----------------------------------------------------------------------------------------

TL_DEFINE_CLASS(TBrush, [](auto& c) {
  c.Property("Color", &TBrush::GetColor, &TBrush::SetColor).Idents("TColor").Default(clWhite);
  c.Property("Style", &TBrush::GetStyle, &TBrush::SetStyle).Default(TBrushStyle::bsSolid);
})

void TBrush::Assign(TPersistent* Source) {
  if (auto* b = dynamic_cast<TBrush*>(Source)) {
    if (b == this) return;
    FColor = b->FColor;
    FStyle = b->FStyle;
    FBitmap = b->FBitmap;
    Changed();
    return;
  }
  inherited::Assign(Source);
}

HBRUSH TBrush::GetHandle() {
  if (!FHandle) {
    const COLORREF c = ColorToDevice(FColor);
    HBITMAP pattern = FBitmap ? FBitmap->GetHandle() : nullptr;
    if (pattern) {
      FHandle = CreatePatternBrush(pattern);
    } else if (FStyle == TBrushStyle::bsSolid) {
      FHandle = CreateSolidBrush(c);
    } else if (FStyle == TBrushStyle::bsClear) {
      LOGBRUSH lb{BS_NULL, 0, 0};
      FHandle = CreateBrushIndirect(&lb);
    } else {
      FHandle = CreateHatchBrush(Ord(FStyle) - Ord(TBrushStyle::bsHorizontal) + HS_HORIZONTAL, c);
    }
  }
  return static_cast<HBRUSH>(FHandle);
}

void TBrush::SetColor(TColor Value) {
  if (Value == FColor && FStyle != TBrushStyle::bsClear) return;
  FColor = Value;
  if (FStyle == TBrushStyle::bsClear) FStyle = TBrushStyle::bsSolid;
  Changed();
}

void TBrush::SetStyle(TBrushStyle Value) {
  if (Value == FStyle && !FBitmap) return;
  FStyle = Value;
  if (FStyle == TBrushStyle::bsClear) FBitmap = nullptr;
  Changed();
}

void TBrush::SetBitmap(TBitmap* Value) {
  FBitmap = Value;
  Changed();
}
