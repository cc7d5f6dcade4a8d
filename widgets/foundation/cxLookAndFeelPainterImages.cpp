// Radio-button images painted from the measured platform radio glyph, the indicator and
// pin bitmaps from the resources, and the two scroll-bar checker patterns.
#include "widgets/foundation/cxLookAndFeelPainterImages.h"

#include "platform/gdi/Gdi.h"
#include "widgets/foundation/cxLookAndFeels.h"
#include "widgets/foundation/dxOffice11.h"
#include "widgets/foundation/dxThemeManager.h"

#include <algorithm>

// Generated from resources/widgets_foundation.rc.
void TlRegisterResources_widgets_foundation();

namespace {

using BS = TcxButtonState;

Integer gStartCount = 0;
TcxRadioButtonImageList* gRadioImages = nullptr;
TImageList* gIndicatorImages = nullptr;
TBitmap* gAutoHideOn = nullptr;
TBitmap* gAutoHideOff = nullptr;
TBitmap* gCheckerNormal = nullptr;
TBitmap* gCheckerPressed = nullptr;
TcxSystemPaletteChangedNotifier* gPaletteNotifier = nullptr;

TBitmap* LoadResourceBitmap(const char* AName) {
  TBitmap* Result = New<TBitmap>();
  try {
    Result->LoadFromResourceName(nullptr, AName);
  } catch (const std::exception&) {
    // A missing bitmap stays empty and draws nothing.
  }
  return Result;
}

Pixel ToPixel(TColor AColor) {
  const COLORREF c = ColorToRGB(AColor);
  // COLORREF is $BBGGRR; a surface pixel is $RRGGBB.
  return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

Pixel PixelAt(TBitmap* B, Integer X, Integer Y) {
  return reinterpret_cast<const Pixel*>(B->ScanLine(Y))[X] & 0xFFFFFF;
}

TBitmap* NewScratch(Integer W, Integer H) {
  TBitmap* B = New<TBitmap>();
  B->SetPixelFormat(TPixelFormat::pf32bit);
  B->SetSize(W, H);
  B->Canvas()->Brush()->SetColor(clBlack);
  B->Canvas()->FillRect(Rect(0, 0, W, H));
  return B;
}

// The seven colours that paint one radio image, by pixel class.
std::array<TColor, 7> RadioColors(Integer AKind, BS AState, bool AChecked, bool ADesigning, bool AFocused) {
  std::array<TColor, 7> c{};
  c[0] = clBlack;
  const TdxOffice11Colors& O = cxOffice11Colors();
  TColor Interior = clWindow;
  switch (AKind) {
    case 3:
      Interior = AState == BS::cxbsNormal ? clWindow : cxOffice11Painter()->ButtonColor(AState);
      break;
    case 2:
      Interior = AState == BS::cxbsDisabled ? clBtnFace
                 : AState == BS::cxbsHot    ? cxUltraFlatHotColor()
                 : AState == BS::cxbsPressed ? cxUltraFlatPressedColor()
                                             : clWindow;
      break;
    default:
      Interior = AState == BS::cxbsDisabled || AState == BS::cxbsPressed ? clBtnFace : clWindow;
      break;
  }
  c[5] = Interior;
  const bool Lit = AFocused || AState == BS::cxbsHot || AState == BS::cxbsPressed;
  switch (AKind) {
    case 0:
      c[1] = clBtnShadow; c[2] = clBtnHighlight; c[3] = cl3DLight; c[4] = cl3DLight;
      break;
    case 1:
      c[1] = clBtnShadow; c[2] = clBtnHighlight; c[3] = cl3DDkShadow; c[4] = cl3DLight;
      break;
    case 2:
      c[1] = c[2] = Lit || (ADesigning && AState != BS::cxbsDisabled) ? clHighlight : clBtnShadow;
      c[3] = c[4] = Interior;
      break;
    default:
      c[1] = c[2] = AState == BS::cxbsDisabled ? TColor(O.DisabledText)
                    : Lit || ADesigning        ? TColor(O.SelectionFrame)
                                               : clBtnText;
      c[3] = c[4] = Interior;
      break;
  }
  if (!AChecked) c[6] = Interior;
  else if (AState == BS::cxbsDisabled) c[6] = AKind == 3 ? TColor(O.DisabledText) : clBtnShadow;
  else c[6] = clWindowText;
  return c;
}

}  // namespace

// ---- radio images ----

TcxRadioButtonImageList::TcxRadioButtonImageList() {
  Measure();
  FImages = New<TImageList>(nullptr);
  FImages->SetWidth(FWidth);
  FImages->SetHeight(FHeight);
  FImages->SetMasked(true);
  Rebuild();
}

TcxRadioButtonImageList::~TcxRadioButtonImageList() { FreeAndNil(FImages); }

uint8_t TcxRadioButtonImageList::PixelClass(Integer X, Integer Y) const {
  if (X < 0 || Y < 0 || X >= FWidth || Y >= FHeight) return 0;
  return FClasses[static_cast<size_t>(Y * FWidth + X)];
}

// The mask gives the glyph's extent; pixels on its edge form the outer ring, their inner
// neighbours the inner ring. The dot is the run of the centre's colour in the checked image.
void TcxRadioButtonImageList::Measure() {
  if (HBITMAP Boxes = CreateCheckBoxesBitmap()) {
    TBitmap* B = New<TBitmap>();
    B->SetHandle(Boxes);
    if (B->GetWidth() >= 4 && B->GetHeight() >= 3) {
      FWidth = B->GetWidth() / 4;
      FHeight = B->GetHeight() / 3;
    }
    B->Free();
  }
  const Integer W = FWidth, H = FHeight;
  FClasses.assign(static_cast<size_t>(W * H), 0);
  TBitmap* MaskBmp = NewScratch(W, H);
  TBitmap* ImageBmp = NewScratch(W, H);
  TRect R = Rect(0, 0, W, H);
  DrawFrameControl(MaskBmp->Canvas()->GetHandle(), &R, DFC_BUTTON,
                   DFCS_BUTTONRADIOMASK | DFCS_CHECKED | DFCS_FLAT);
  R = Rect(0, 0, W, H);
  DrawFrameControl(ImageBmp->Canvas()->GetHandle(), &R, DFC_BUTTON,
                   DFCS_BUTTONRADIOIMAGE | DFCS_CHECKED | DFCS_FLAT);
  // The radio mask comes black on white or white on black depending on the platform; the
  // glyph is whichever colour the centre has.
  const Pixel Centre = PixelAt(MaskBmp, W / 2, H / 2);
  auto inGlyph = [&](Integer x, Integer y) {
    return x >= 0 && y >= 0 && x < W && y < H && PixelAt(MaskBmp, x, y) == Centre;
  };
  auto edge = [&](Integer x, Integer y) {
    return !inGlyph(x - 1, y) || !inGlyph(x + 1, y) || !inGlyph(x, y - 1) || !inGlyph(x, y + 1);
  };
  Integer L = W, T = H, Rt = -1, Bm = -1;
  for (Integer y = 0; y < H; ++y)
    for (Integer x = 0; x < W; ++x)
      if (inGlyph(x, y)) {
        L = std::min(L, x); T = std::min(T, y); Rt = std::max(Rt, x); Bm = std::max(Bm, y);
      }
  const Integer SumC = L + Rt + T + Bm;  // twice the centre's x + y
  const Pixel DotColor = PixelAt(ImageBmp, (L + Rt) / 2, (T + Bm) / 2);
  for (Integer y = 0; y < H; ++y)
    for (Integer x = 0; x < W; ++x) {
      if (!inGlyph(x, y)) continue;
      const bool UpperLeft = 2 * (x + y) < SumC;
      uint8_t Cls;
      if (edge(x, y)) Cls = UpperLeft ? 1 : 2;
      else if (edge(x - 1, y) || edge(x + 1, y) || edge(x, y - 1) || edge(x, y + 1)) Cls = UpperLeft ? 3 : 4;
      else Cls = PixelAt(ImageBmp, x, y) == DotColor ? 6 : 5;
      FClasses[static_cast<size_t>(y * W + x)] = Cls;
    }
  MaskBmp->Free();
  ImageBmp->Free();
}

void TcxRadioButtonImageList::Rebuild() {
  FImages->Clear();
  TBitmap* Image = NewScratch(FWidth, FHeight);
  TBitmap* Mask = NewScratch(FWidth, FHeight);
  for (Integer index = 0; index < 128; ++index) {
    const bool Focused = index & 64, Designing = index & 32, Checked = index & 4;
    const Integer Kind = (index >> 3) & 3;
    const BS State = static_cast<BS>((index & 3) + 1);
    const std::array<TColor, 7> Colors = RadioColors(Kind, State, Checked, Designing, Focused);
    std::array<Pixel, 7> Pixels{};
    for (size_t i = 0; i < 7; ++i) Pixels[i] = ToPixel(Colors[i]);
    for (Integer y = 0; y < FHeight; ++y) {
      Pixel* Row = reinterpret_cast<Pixel*>(Image->ScanLine(y));
      Pixel* MaskRow = reinterpret_cast<Pixel*>(Mask->ScanLine(y));
      for (Integer x = 0; x < FWidth; ++x) {
        const uint8_t Cls = PixelClass(x, y);
        Row[x] = Pixels[Cls];
        MaskRow[x] = Cls == 0 ? 0xFFFFFF : 0;
      }
    }
    FImages->Add(Image, Mask);
  }
  Image->Free();
  Mask->Free();
}

Integer cxRadioButtonImageIndex(TcxLookAndFeelStyle AStyle, TcxButtonState AState, bool AChecked, bool AFocused,
                                bool AIsDesigning) {
  // The default-button state has no image of its own; it is a normal radio.
  if (AState == BS::cxbsDefault) AState = BS::cxbsNormal;
  Integer Kind = 1;
  switch (AStyle) {
    case TcxLookAndFeelStyle::lfsFlat: Kind = 0; break;
    case TcxLookAndFeelStyle::lfsUltraFlat: Kind = 2; break;
    case TcxLookAndFeelStyle::lfsOffice11: Kind = 3; break;
    default: Kind = 1; break;
  }
  return 64 * (AFocused ? 1 : 0) + 32 * (AIsDesigning ? 1 : 0) + 8 * Kind + 4 * (AChecked ? 1 : 0) +
         (static_cast<Integer>(AState) - 1);
}

TcxRadioButtonImageList* cxGetRadioButtonImageList() {
  if (!gRadioImages) gRadioImages = new TcxRadioButtonImageList();
  return gRadioImages;
}

TPoint cxRadioButtonImageSize() {
  TcxRadioButtonImageList* L = cxGetRadioButtonImageList();
  return {L->Width(), L->Height()};
}

void cxDrawRadioButtonImage(TcxCanvas& ACanvas, Integer X, Integer Y, TcxLookAndFeelStyle AStyle,
                            TcxButtonState AState, bool AChecked, bool AFocused, TColor ABrushColor,
                            bool AIsDesigning) {
  TcxRadioButtonImageList* L = cxGetRadioButtonImageList();
  const Integer Index = cxRadioButtonImageIndex(AStyle, AState, AChecked, AFocused, AIsDesigning);
  if (ABrushColor == clDefault) {
    L->Images()->Draw(ACanvas.Canvas(), X, Y, Index, true);
    return;
  }
  TBitmap* Buffer = NewScratch(L->Width(), L->Height());
  Buffer->Canvas()->Brush()->SetColor(ABrushColor);
  Buffer->Canvas()->FillRect(Rect(0, 0, L->Width(), L->Height()));
  L->Images()->Draw(Buffer->Canvas(), 0, 0, Index, true);
  ACanvas.Draw(X, Y, Buffer);
  Buffer->Free();
}

// ---- indicator, pin and checker bitmaps ----

TImageList* cxIndicatorImages() { return gIndicatorImages; }

void cxDrawIndicatorImage(TcxCanvas& ACanvas, const TRect& R, TcxIndicatorKind AKind) {
  if (AKind == TcxIndicatorKind::ikNone || !gIndicatorImages || gIndicatorImages->Count() == 0) return;
  const Integer W = gIndicatorImages->GetWidth(), H = gIndicatorImages->GetHeight();
  gIndicatorImages->Draw(ACanvas.Canvas(), R.Left + (R.Width() - W) / 2, R.Top + (R.Height() - H) / 2,
                         static_cast<Integer>(AKind) - 1, true);
}

TBitmap* cxAutoHideBitmap(bool APinned) { return APinned ? gAutoHideOff : gAutoHideOn; }
TBitmap* cxCheckerBitmap(bool APressed) { return APressed ? gCheckerPressed : gCheckerNormal; }

void cxUpdateCheckerBitmaps() {
  for (TBitmap* B : {gCheckerNormal, gCheckerPressed}) {
    if (!B) continue;
    const bool Pressed = B == gCheckerPressed;
    for (Integer y = 0; y < 8; ++y)
      for (Integer x = 0; x < 8; ++x) {
        const bool Same = (x % 2) == (y % 2);
        const TColor C = Same ? (Pressed ? clBlack : clBtnFace) : (Pressed ? cl3DDkShadow : clBtnHighlight);
        B->Canvas()->SetPixel(x, y, C);
      }
  }
}

namespace {
class TcxPainterImagesPaletteSink : public TObject {
  TL_CLASS(TcxPainterImagesPaletteSink, TObject)
 public:
  void PaletteChanged() {
    if (gRadioImages) gRadioImages->Rebuild();
  }
};
TcxPainterImagesPaletteSink* gPaletteSink = nullptr;
// The Office11 radios take their colours from the scheme, which a visual-style change may
// switch; the Office11 colours are told first, having asked first.
TdxThemeChangedNotificator* gThemeNotificator = nullptr;
}  // namespace
TL_DEFINE_CLASS(TcxPainterImagesPaletteSink, [](auto&) {});

namespace cxLookAndFeelPainterImages {

void Initialize() {
  if (gStartCount++ > 0) return;
  cxLookAndFeels::Initialize();
  TlRegisterResources_widgets_foundation();
  static const char* const kIndicators[] = {"CX_ARROWBITMAP", "CX_EDITBITMAP", "CX_INSERTBITMAP",
                                            "CX_MULTIDOTBITMAP", "CX_MULTIARROWBITMAP"};
  for (const char* Name : kIndicators) {
    TBitmap* B = LoadResourceBitmap(Name);
    if (!B->Empty()) {
      if (!gIndicatorImages) {
        gIndicatorImages = New<TImageList>(nullptr);
        gIndicatorImages->SetWidth(B->GetWidth());
        gIndicatorImages->SetHeight(B->GetHeight());
        gIndicatorImages->SetMasked(true);
      }
      gIndicatorImages->AddMasked(B, clWhite);
    }
    B->Free();
  }
  gCheckerNormal = NewScratch(8, 8);
  gCheckerPressed = NewScratch(8, 8);
  cxUpdateCheckerBitmaps();
  gAutoHideOn = LoadResourceBitmap("CX_AUTOHIDEON");
  gAutoHideOff = LoadResourceBitmap("CX_AUTOHIDEOFF");
  for (TBitmap* B : {gAutoHideOn, gAutoHideOff}) B->SetTransparent(true);
  gPaletteSink = New<TcxPainterImagesPaletteSink>();
  gPaletteNotifier = New<TcxSystemPaletteChangedNotifier>(false);
  gPaletteNotifier->OnSystemPaletteChanged = {gPaletteSink, &TcxPainterImagesPaletteSink::PaletteChanged};
  gThemeNotificator = New<TdxThemeChangedNotificator>();
  gThemeNotificator->OnThemeChanged = {gPaletteSink, &TcxPainterImagesPaletteSink::PaletteChanged};
}

void Finalize() {
  if (gStartCount == 0 || --gStartCount > 0) return;
  FreeAndNil(gThemeNotificator);
  FreeAndNil(gPaletteNotifier);
  FreeAndNil(gPaletteSink);
  FreeAndNil(gAutoHideOn);
  FreeAndNil(gAutoHideOff);
  FreeAndNil(gCheckerNormal);
  FreeAndNil(gCheckerPressed);
  FreeAndNil(gIndicatorImages);
  delete gRadioImages;
  gRadioImages = nullptr;
  cxLookAndFeels::Finalize();
}

}  // namespace cxLookAndFeelPainterImages
