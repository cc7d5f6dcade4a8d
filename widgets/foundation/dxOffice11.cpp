#include "widgets/foundation/dxOffice11.h"

#include "classlib/core/SysUtils.h"
#include "classlib/visual/Graphics.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/GdiObject.h"
#include "platform/kernel/Arith.h"
#include "platform/kernel/CodePage.h"
#include "platform/kernel/Units.h"
#include "platform/user/User.h"
#include "widgets/foundation/dxThemeManager.h"

#include <algorithm>
#include <array>

namespace {

struct Palette {
  COLORREF f1, f2, f3, f4, f5, f12, f13, f14, f15, f16, f17, f19, f22, f23, f24, f25, f26, f31, f32, f33,
      f34, f35, f36;
};

// Indexed by scheme - 1.
const Palette kPalettes[3] = {
    {0xFEECDD, 0xE2A981, 0xF5BE9E, 0xF9DAC3, 0x913500, 0xE0A47B, 0x764127, 0xFFFFFF, 0xCB8C6A, 0xFFF9F1,
     0xC9662A, 0x962D00, 0x800000, 0xCCF4FF, 0x91D0FF, 0x8ED3FF, 0x4E91FE, 0x000000, 0x8D8D8D, 0xFBDABE,
     0x94E6FB, 0xFADAC4, 0x962D00},
    {0xDEF7F4, 0x91C6B7, 0xA7D9D9, 0xE4F0F2, 0x6B7760, 0x8FC4B5, 0x335E51, 0xFFFFFF, 0x588060, 0xDEF7F4,
     0x5E8674, 0x5E8D75, 0x385D3F, 0xCCF4FF, 0x91D0FF, 0x8ED3FF, 0x4E91FE, 0x000000, 0x8D8D8D, 0x91BAAF,
     0x94E6FB, 0xE4F1F2, 0x588060},
    {0xFAF4F3, 0xB59799, 0xE5D7D7, 0xF7F3F3, 0x927476, 0xB09193, 0x755454, 0xFFFFFF, 0x8F6D6E, 0xFFFFFF,
     0x99797A, 0x947C7C, 0x6F4B4B, 0xCCF4FF, 0x91D0FF, 0x8ED3FF, 0x4E91FE, 0x000000, 0x8D8D8D, 0xEBE5E5,
     0x94E6FB, 0xF7F3F3, 0x947C7C}};
const Integer kTwoStagePercent[4] = {75, 41, 125, 40};

TOffice11Scheme gScheme = TOffice11Scheme::schUnknown;
bool gThemed = false;
TdxOffice11Colors gColors{};
Integer gTwoStagePercent = 75;
HBRUSH gDotDarkBrush = nullptr, gDotLightBrush = nullptr, gSelectionBrush = nullptr;
TBitmap* gSubMenuExpand = nullptr;
TBitmap* gExpandMinus = nullptr;
TBitmap* gExpandPlus = nullptr;
int gSetUpCount = 0;
UnitCounter gUnit;

// While set up, a visual-style change (on, off or another scheme) recalculates the colours,
// as a system-colour change does.
class TOffice11ThemeSink : public TObject {
  TL_CLASS(TOffice11ThemeSink, TObject)
 public:
  void ThemeChanged() { cxOffice11Refresh(); }
};
TOffice11ThemeSink* gThemeSink = nullptr;
TdxThemeChangedNotificator* gThemeNotificator = nullptr;

Integer Clamp(Integer c) { return std::clamp(c, 0, 255); }

Integer Comp(COLORREF c, int which) {
  return which == 0 ? GetRValue(c) : which == 1 ? GetGValue(c) : GetBValue(c);
}

COLORREF Pack(Integer r, Integer g, Integer b) { return RGB(Byte(Clamp(r)), Byte(Clamp(g)), Byte(Clamp(b))); }

// Per component c1 + MulDiv(index, c2 - c1, divisor), clamped.
COLORREF Step(COLORREF c1, COLORREF c2, Integer index, Integer divisor) {
  Integer v[3];
  for (int k = 0; k < 3; ++k) {
    Integer a = Comp(c1, k), b = Comp(c2, k);
    v[k] = divisor <= 0 ? a : a + MulDiv(index, b - a, divisor);
  }
  return Pack(v[0], v[1], v[2]);
}

COLORREF SysRGB(TColor c) { return ColorToRGB(c); }

void FillBand(HDC dc, const TRect& r, COLORREF c) {
  if (r.Right <= r.Left || r.Bottom <= r.Top) return;
  HBRUSH b = CreateSolidBrush(c);
  FillRect(dc, &r, b);
  DeleteObject(b);
}

TRect BandRect(const TRect& r, bool horizontal, Integer from, Integer to) {
  return horizontal ? TRect{from, r.Top, to, r.Bottom} : TRect{r.Left, from, r.Right, to};
}

void CalculateColors() {
  gScheme = cxDetectOffice11Scheme();
  gThemed = cxAreThemesAvailable({}) && gScheme != TOffice11Scheme::schUnknown;
  TdxOffice11Colors& c = gColors;
  if (gThemed) {
    const Palette& p = kPalettes[int(gScheme) - 1];
    c = {p.f1,  p.f2,  p.f3,  p.f4,  p.f5,  p.f12, p.f13, p.f14, p.f15, p.f16, p.f17, p.f19, p.f22, p.f23,
         p.f24, p.f25, p.f26, p.f31, p.f32, p.f33, p.f34, p.f35, p.f36, 0,     0,     0,     0};
    c.HighlightEdge = 0xFFFFFF;
  } else {
    const COLORREF face = SysRGB(clBtnFace), window = SysRGB(clWindow), shadow = SysRGB(clBtnShadow);
    c.GradientLight = cxBlendColors(clBtnFace, clWindow, 22);
    c.GradientDark = cxBlendColors(clBtnFace, clWindow, 96);
    c.Face = face;
    c.PainterColor4 = cxBlendColors(clBtnFace, clWindow, 20);
    c.BlendSource5 = shadow;
    c.BlendSource12 = face;
    c.DotDark = cxBlendColors(clBtnShadow, clWindow, 76);
    c.DotLight = window;
    c.PainterColor15 = cxBlendColors(clBtnShadow, clWindow, 70);
    c.PainterColor16 = 0xFFFFFF;
    c.PainterColor17 = shadow;
    c.PainterColor19 = shadow;
    c.SelectionFrame = SysRGB(clHighlight);
    c.HotLight = c.HotDark = cxGetNearestScreenColor(cxMixSystemColors(-2, 30, 72));
    c.PressedLight = c.PressedDark = cxGetNearestScreenColor(cxMixSystemColors(14, 44, 40));
    c.Text = SysRGB(clBtnText);
    c.DisabledText = SysRGB(clGrayText);
    c.PainterColor33 = face;
    c.PainterColor34 = cxMixSystemColors(41, 11, 48);
    c.PainterColor35 = face;
    c.PainterColor36 = shadow;
    c.HighlightEdge = SysRGB(clBtnHighlight);
  }
  c.SchemeBlend = cxBlendColors(TColor(c.BlendSource5), TColor(c.BlendSource12), 50);
  c.ExpandButtonFrame = 0xBFAE9E;
  c.ExpandButtonSign = 0x5F462E;
  gTwoStagePercent = kTwoStagePercent[gThemed ? int(gScheme) : 0];
}

TBitmap* LoadBitmap(const char* name) {
  TBitmap* b = New<TBitmap>();
  try {
    b->LoadFromResourceName(nullptr, name);
  } catch (const std::exception&) {
    // A missing bitmap leaves an empty one; start-up goes on.
  }
  return b;
}

void FreeResources() {
  for (HBRUSH* b : {&gDotDarkBrush, &gDotLightBrush, &gSelectionBrush}) {
    if (*b) DeleteObject(*b);
    *b = nullptr;
  }
  for (TBitmap** b : {&gSubMenuExpand, &gExpandMinus, &gExpandPlus}) {
    if (*b) (*b)->Free();
    *b = nullptr;
  }
}

void CreateResources() {
  gDotDarkBrush = CreateSolidBrush(gColors.DotDark);
  gDotLightBrush = CreateSolidBrush(gColors.DotLight);
  gSelectionBrush = CreateSolidBrush(gColors.SelectionFrame);
  gSubMenuExpand = LoadBitmap("DXSUBMENUEXPAND");
  cxRecolorOffice11Bitmap(gSubMenuExpand, TColor(gColors.GradientLight), TColor(gColors.GradientDark));
  gExpandMinus = LoadBitmap("DXEXPANDBUTTON_MINUS");
  gExpandPlus = LoadBitmap("DXEXPANDBUTTON_PLUS");
}

}  // namespace

TL_DEFINE_CLASS(TOffice11ThemeSink)

// ---- Set-up ------------------------------------------------------------------------------

void cxOffice11SetUp() {
  if (gSetUpCount++ > 0) return;
  CalculateColors();
  CreateResources();
  gThemeSink = New<TOffice11ThemeSink>();
  gThemeNotificator = New<TdxThemeChangedNotificator>();
  gThemeNotificator->OnThemeChanged = {gThemeSink, &TOffice11ThemeSink::ThemeChanged};
}

void cxOffice11TearDown() {
  if (gSetUpCount == 0 || --gSetUpCount > 0) return;
  FreeAndNil(gThemeNotificator);
  FreeAndNil(gThemeSink);
  FreeResources();
}

void cxOffice11Refresh() {
  CalculateColors();
  if (gSetUpCount > 0) {
    FreeResources();
    CreateResources();
  }
}

TOffice11Scheme cxGetOffice11Scheme() { return gScheme; }
bool cxIsOffice11SchemeThemed() { return gThemed; }
const TdxOffice11Colors& cxOffice11Colors() { return gColors; }
Integer cxOffice11TwoStageGradientPercent() { return gTwoStagePercent; }
HBRUSH cxOffice11DotDarkBrush() { return gDotDarkBrush; }
HBRUSH cxOffice11DotLightBrush() { return gDotLightBrush; }
HBRUSH cxOffice11SelectionFrameBrush() { return gSelectionBrush; }
TBitmap* cxOffice11SubMenuExpandBitmap() { return gSubMenuExpand; }
TBitmap* cxOffice11ExpandButtonMinusBitmap() { return gExpandMinus; }
TBitmap* cxOffice11ExpandButtonPlusBitmap() { return gExpandPlus; }

TOffice11Scheme cxDetectOffice11Scheme() {
  if (!cxAreThemesAvailable({})) return TOffice11Scheme::schUnknown;
  std::array<char16_t, 1024> file{}, color{}, size{};
  if (cxGetCurrentThemeName(file.data(), 1024, color.data(), 1024, size.data(), 1024) != S_OK)
    return TOffice11Scheme::schUnknown;
  file.back() = color.back() = 0;
  if (UpperCase(ExtractFileName(WideToAnsi(file.data()))) != "LUNA.MSSTYLES") return TOffice11Scheme::schUnknown;
  const String name = UpperCase(WideToAnsi(color.data()));
  if (name == "NORMALCOLOR") return TOffice11Scheme::schNormalColor;
  if (name == "HOMESTEAD") return TOffice11Scheme::schHomestead;
  if (name == "METALLIC") return TOffice11Scheme::schMetallic;
  return TOffice11Scheme::schUnknown;
}

// ---- Colour arithmetic -------------------------------------------------------------------

TColor cxBlendColors(TColor AColor1, TColor AColor2, Integer APercent) {
  const COLORREF a = SysRGB(AColor1), b = SysRGB(AColor2);
  Integer v[3];
  for (int k = 0; k < 3; ++k)
    v[k] = MulDiv(Comp(b, k), 100 - APercent, 100) + MulDiv(Comp(a, k), APercent, 100);
  return cxGetNearestScreenColor(TColor(Pack(v[0], v[1], v[2])));
}

TColor cxScaleColor(TColor AColor, Integer APercent) {
  const COLORREF c = SysRGB(AColor);
  Integer v[3];
  for (int k = 0; k < 3; ++k) v[k] = Integer(Round(Comp(c, k) * double(APercent) / 100));
  return TColor(Pack(v[0], v[1], v[2]));
}

TColor cxLightenColor(TColor AColor, Integer APercent) {
  const COLORREF c = SysRGB(AColor);
  const Integer lift = Integer(Round(255 - 255 * double(APercent) / 100));
  Integer v[3];
  for (int k = 0; k < 3; ++k) v[k] = Integer(Round(Comp(c, k) * double(APercent) / 100)) + lift;
  return TColor(Pack(v[0], v[1], v[2]));
}

TColor cxMixSystemColors(Integer AFaceWeight, Integer AHighlightWeight, Integer AWindowWeight) {
  const COLORREF face = GetSysColor(COLOR_BTNFACE), highlight = GetSysColor(COLOR_HIGHLIGHT),
                 window = GetSysColor(COLOR_WINDOW);
  if (face == 0 || face == 0xFFFFFF) return TColor(highlight);
  Integer v[3];
  for (int k = 0; k < 3; ++k)
    v[k] = MulDiv(Comp(face, k), AFaceWeight, 100) + MulDiv(Comp(highlight, k), AHighlightWeight, 100) +
           MulDiv(Comp(window, k), AWindowWeight, 100);
  return TColor(Pack(v[0], v[1], v[2]));
}

TColor cxGetNearestScreenColor(TColor AColor) {
  HDC dc = GetDC(nullptr);
  COLORREF c = GetNearestColor(dc, SysRGB(AColor));
  ReleaseDC(nullptr, dc);
  return TColor(c);
}

bool cxIsBtnFaceBlack() { return GetSysColor(COLOR_BTNFACE) == 0; }
bool cxIsBtnFaceWhite() { return GetSysColor(COLOR_BTNFACE) == 0xFFFFFF; }
bool cxIsBlackFaceWithColoredText() { return cxIsBtnFaceBlack() && GetSysColor(COLOR_BTNTEXT) != 0xFFFFFF; }

// ---- Drawing -----------------------------------------------------------------------------

void cxFillGradientRect(HDC DC, const TRect& R, TColor AColor1, bool AHorizontal, TColor AColor2) {
  const COLORREF c1 = SysRGB(AColor1), c2 = SysRGB(AColor2);
  if (c1 == c2) return FillBand(DC, R, c1);
  const Integer start = AHorizontal ? R.Left : R.Top;
  const Integer extent = AHorizontal ? R.Right - R.Left : R.Bottom - R.Top;
  const Integer bands = std::min(256, extent);
  if (bands <= 0) return;
  Integer from = start;
  for (Integer i = 0; i < bands; ++i) {
    const Integer to = start + MulDiv(i + 1, extent, bands);
    FillBand(DC, BandRect(R, AHorizontal, from, to), Step(c1, c2, i, bands - 1));
    from = to;
    if (to >= start + extent) break;
  }
}

TColor cxGetGradientColorAt(const TRect& R, Integer APosition, TColor AColor1, bool AHorizontal,
                            TColor AColor2) {
  const COLORREF c1 = SysRGB(AColor1), c2 = SysRGB(AColor2);
  const Integer start = AHorizontal ? R.Left : R.Top;
  const Integer extent = AHorizontal ? R.Right - R.Left : R.Bottom - R.Top;
  // One band (or none) has colour 1: no division by bands - 1 = 0.
  if (extent <= 1) return TColor(c1);
  const Integer bands = std::min(extent, 256);
  Integer index = std::clamp(MulDiv(APosition - start + 1, bands, extent) - 1, 0, bands - 1);
  // The estimate can land one band off where band edges round; settle on the band the fill
  // actually paints at this position.
  while (index + 1 < bands && start + MulDiv(index + 1, extent, bands) <= APosition) ++index;
  while (index > 0 && start + MulDiv(index, extent, bands) > APosition) --index;
  return TColor(Step(c1, c2, index, bands - 1));
}

void cxFillTwoStageGradientRect(HDC DC, const TRect& R, TColor AColor1, bool AHorizontal, TColor AColor2) {
  const COLORREF c1 = SysRGB(AColor1), c2 = SysRGB(AColor2);
  if (c1 == c2) return FillBand(DC, R, c1);
  const Integer start = AHorizontal ? R.Left : R.Top;
  const Integer extent = AHorizontal ? R.Right - R.Left : R.Bottom - R.Top;
  if (extent <= 0) return;
  const Integer half = extent / 2, k = gTwoStagePercent;
  Integer first[3], middle[3], second[3], target[3];
  for (int j = 0; j < 3; ++j) {
    first[j] = Comp(c1, j);
    target[j] = Comp(c2, j);
    middle[j] = first[j] - MulDiv(first[j] - target[j], k, 200);
    // The colour the first stage would reach at the far edge; needs a first stage.
    second[j] = half > 0 ? first[j] - MulDiv(first[j] - middle[j], extent, half) : middle[j];
  }
  for (Integer i = 0; i < extent; ++i) {
    Integer v[3];
    for (int j = 0; j < 3; ++j) {
      if (i < half) v[j] = first[j] + MulDiv(i, second[j] - first[j], extent - 1);
      else if (i == half) v[j] = middle[j];
      else v[j] = first[j] + MulDiv(i, target[j] - first[j], extent - 1);
    }
    if (i == half && half > 0)  // the second stage runs back from colour 2 through the middle
      for (int j = 0; j < 3; ++j) first[j] = target[j] + MulDiv(middle[j] - target[j], extent, half);
    FillBand(DC, BandRect(R, AHorizontal, start + i, start + i + 1), Pack(v[0], v[1], v[2]));
  }
}

void cxFillRectColor(HDC DC, const TRect& R, TColor AColor) { FillBand(DC, R, SysRGB(AColor)); }

void cxFrameRectColor(HDC DC, const TRect& R, TColor AColor) {
  HBRUSH b = CreateSolidBrush(SysRGB(AColor));
  FrameRect(DC, &R, b);
  DeleteObject(b);
}

void cxFrameSelectionRect(HDC DC, const TRect& R) {
  if (cxIsBtnFaceBlack()) return cxFrameRectColor(DC, R, clHighlightText);
  if (gSelectionBrush) {
    FrameRect(DC, &R, gSelectionBrush);
    return;
  }
  cxFrameRectColor(DC, R, TColor(gColors.SelectionFrame));
}

void cxDrawDotRow(HDC DC, const TRect& R, bool AVertical) {
  HBRUSH dark = gDotDarkBrush ? gDotDarkBrush : CreateSolidBrush(gColors.DotDark);
  HBRUSH light = gDotLightBrush ? gDotLightBrush : CreateSolidBrush(gColors.DotLight);
  const Integer length = AVertical ? R.Bottom - R.Top : R.Right - R.Left;
  const Integer across = AVertical ? R.Right - R.Left : R.Bottom - R.Top;
  const Integer rest = length % 4;
  Integer pos = (AVertical ? R.Top : R.Left) + (rest > 1 ? rest / 2 : 0);
  const Integer end = AVertical ? R.Bottom : R.Right;
  const Integer side = (AVertical ? R.Left : R.Top) + std::max(0, (across - 3) / 2);
  for (; pos + 3 <= end; pos += 4) {
    const Integer x = AVertical ? side : pos, y = AVertical ? pos : side;
    TRect lightDot{x + 1, y + 1, x + 3, y + 3}, darkDot{x, y, x + 2, y + 2};
    FillRect(DC, &lightDot, light);
    FillRect(DC, &darkDot, dark);
  }
  if (dark != gDotDarkBrush) DeleteObject(dark);
  if (light != gDotLightBrush) DeleteObject(light);
}

void cxDrawSizeGripDots(HDC DC, const TRect& R) {
  for (Integer row = 0; row < 3; ++row)
    cxDrawDotRow(DC, {R.Right - 12 + 4 * row, R.Bottom - 3 - 4 * row, R.Right, R.Bottom - 4 * row}, false);
}

void cxDrawOffice11Arrow(HDC DC, const TRect& R, bool ADown, bool ADisabled, bool ASelected) {
  const Integer w = ADown ? R.Right - R.Left - 8 : R.Bottom - R.Top - 6;
  const Integer size = std::max(3, (w - 1) / 2 + (w % 2 != 0 ? 1 : 0));
  POINT p[3];
  if (ADown) {
    const Integer x = (R.Left + R.Right - (2 * size - 1)) / 2, y = (R.Top + R.Bottom - size) / 2;
    p[0] = {x, y};
    p[1] = {x + 2 * size - 2, y};
    p[2] = {x + size - 1, y + size - 1};
  } else {
    const Integer x = (R.Left + R.Right - size) / 2, y = (R.Top + R.Bottom - (2 * size - 1)) / 2;
    p[0] = {x, y};
    p[1] = {x, y + 2 * size - 2};
    p[2] = {x + size - 1, y + size - 1};
  }
  const COLORREF color = ADisabled                           ? gColors.DisabledText
                         : ASelected && cxIsBtnFaceWhite() ? COLORREF(0xFFFFFF)
                                                           : gColors.Text;
  // Clipped to the rectangle: a small one still gets the minimum arrow, cut at its edges.
  const int saved = SaveDC(DC);
  IntersectClipRect(DC, R.Left, R.Top, R.Right, R.Bottom);
  HPEN pen = CreatePen(PS_SOLID, 1, color);
  HBRUSH brush = CreateSolidBrush(color);
  HGDIOBJ oldPen = SelectObject(DC, pen), oldBrush = SelectObject(DC, brush);
  Polygon(DC, p, 3);
  SelectObject(DC, oldBrush);
  SelectObject(DC, oldPen);
  DeleteObject(brush);
  DeleteObject(pen);
  RestoreDC(DC, saved);
}

void cxRecolorOffice11Bitmap(TBitmap* ABitmap, TColor ALight, TColor ADark) {
  if (!ABitmap || ABitmap->Empty()) return;
  const COLORREF light = SysRGB(ALight);
  COLORREF dark = SysRGB(ADark);
  if (light == dark) dark = light == 0 ? 0xFFFFFF : 0;
  ABitmap->SetPixelFormat(TPixelFormat::pf32bit);
  const Integer w = ABitmap->GetWidth(), h = ABitmap->GetHeight();
  auto at = [&](Integer x, Integer y) {
    const Byte* p = ABitmap->ScanLine(y) + 4 * x;
    return RGB(p[2], p[1], p[0]);
  };
  const COLORREF transparent = at(0, 0);
  Integer lowest = 255, highest = 1;
  for (Integer y = 0; y < h; ++y)
    for (Integer x = 0; x < w; ++x) {
      const COLORREF c = at(x, y);
      if (c == transparent || c == 0) continue;
      lowest = std::min<Integer>(lowest, GetRValue(c));
      highest = std::max<Integer>(highest, GetRValue(c));
    }
  for (Integer y = 0; y < h; ++y) {
    Byte* row = ABitmap->ScanLine(y);
    for (Integer x = 0; x < w; ++x) {
      const COLORREF c = RGB(row[4 * x + 2], row[4 * x + 1], row[4 * x]);
      if (c == transparent || c == 0) continue;
      // One red value throughout leaves no range to spread: every pixel takes the dark end.
      const Integer percent = highest > lowest ? MulDiv(GetRValue(c) - lowest, 100, highest - lowest) : 0;
      const COLORREF n = COLORREF(cxBlendColors(TColor(light), TColor(dark), percent));
      row[4 * x] = GetBValue(n);
      row[4 * x + 1] = GetGValue(n);
      row[4 * x + 2] = GetRValue(n);
    }
  }
}

namespace dxOffice11 {

void Initialize() {
  dxThemeManager::Initialize();
  gUnit.Enter();
}

void Finalize() {
  gUnit.Leave();
  dxThemeManager::Finalize();
}

}  // namespace dxOffice11
