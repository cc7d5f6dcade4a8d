// The images some painter operations draw: the shared radio-button images built from the
// platform's radio glyph, the indicator and pin bitmaps, and the two scroll-bar checkers.
#pragma once

#include "widgets/foundation/cxLookAndFeelPainters.h"

class TcxRadioButtonImageList {
 public:
  TcxRadioButtonImageList();
  ~TcxRadioButtonImageList();
  TcxRadioButtonImageList(const TcxRadioButtonImageList&) = delete;
  TcxRadioButtonImageList& operator=(const TcxRadioButtonImageList&) = delete;

  TImageList* Images() const { return FImages; }
  Integer Width() const { return FWidth; }
  Integer Height() const { return FHeight; }
  // Rebuilds all images from the current system colours.
  void Rebuild();
  // The pixel class (0 outside, 1/2 outer ring, 3/4 inner ring, 5 interior, 6 dot).
  uint8_t PixelClass(Integer X, Integer Y) const;

 private:
  void Measure();
  TImageList* FImages = nullptr;
  Integer FWidth = 13, FHeight = 13;
  std::vector<uint8_t> FClasses;
};

// 64 focused + 32 designing + 8 kind + 4 checked + state offset; the default-button state
// counts as normal.
Integer cxRadioButtonImageIndex(TcxLookAndFeelStyle AStyle, TcxButtonState AState, bool AChecked, bool AFocused,
                                bool AIsDesigning);
TcxRadioButtonImageList* cxGetRadioButtonImageList();
TPoint cxRadioButtonImageSize();
void cxDrawRadioButtonImage(TcxCanvas& ACanvas, Integer X, Integer Y, TcxLookAndFeelStyle AStyle,
                            TcxButtonState AState, bool AChecked, bool AFocused, TColor ABrushColor,
                            bool AIsDesigning);

TImageList* cxIndicatorImages();
void cxDrawIndicatorImage(TcxCanvas& ACanvas, const TRect& R, TcxIndicatorKind AKind);
TBitmap* cxAutoHideBitmap(bool APinned);
TBitmap* cxCheckerBitmap(bool APressed);
// Rewrites the checker pixels from the current system colours.
void cxUpdateCheckerBitmaps();

namespace cxLookAndFeelPainterImages {
void Initialize();
void Finalize();
}  // namespace cxLookAndFeelPainterImages
