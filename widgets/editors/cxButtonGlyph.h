// The companions of the push button: its colour per visual state, its glyph strip cut into
// per-state images, and the process-wide cache of image lists that holds those images.
#pragma once

#include "classlib/visual/Graphics.h"
#include "classlib/visual/ImgList.h"
#include "widgets/foundation/cxGraphics.h"
#include "widgets/foundation/cxLookAndFeelPainters.h"

#include <vector>

TL_ENUM(TButtonLayout, blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom);

using TcxButtonAssignedColors = Set<TcxButtonState>;

class TcxButtonColors : public TPersistent {
  TL_CLASS(TcxButtonColors, TPersistent)
 public:
  // AOwner is invalidated on every change and asked whether it is being designed.
  explicit TcxButtonColors(TControl* AOwner);
  void Assign(TPersistent* Source) override;

  TcxButtonAssignedColors GetAssignedColors() const { return FAssignedColors; }
  void SetAssignedColors(TcxButtonAssignedColors Value);
  TColor GetColor(TcxButtonState AState) const { return FColors[AState]; }
  void SetColor(TcxButtonState AState, TColor Value);

  TColor GetDefault() const { return GetColor(TcxButtonState::cxbsDefault); }
  void SetDefault(TColor Value) { SetColor(TcxButtonState::cxbsDefault, Value); }
  TColor GetNormal() const { return GetColor(TcxButtonState::cxbsNormal); }
  void SetNormal(TColor Value) { SetColor(TcxButtonState::cxbsNormal, Value); }
  TColor GetHot() const { return GetColor(TcxButtonState::cxbsHot); }
  void SetHot(TColor Value) { SetColor(TcxButtonState::cxbsHot, Value); }
  TColor GetPressed() const { return GetColor(TcxButtonState::cxbsPressed); }
  void SetPressed(TColor Value) { SetColor(TcxButtonState::cxbsPressed, Value); }
  TColor GetDisabled() const { return GetColor(TcxButtonState::cxbsDisabled); }
  void SetDisabled(TColor Value) { SetColor(TcxButtonState::cxbsDisabled, Value); }

  template <TcxButtonState S>
  bool IsColorStored() const { return FAssignedColors.Contains(S); }

 protected:
  TPersistent* GetOwner() const override;

 private:
  void Changed();
  TControl* FButton;
  TcxButtonAssignedColors FAssignedColors;
  EnumArray<TcxButtonState, TColor> FColors;
};

// An image list of one image size that remembers which of its slots are in use.
class TcxGlyphList : public TImageList {
  TL_CLASS(TcxGlyphList, TImageList)
 public:
  TcxGlyphList(Integer AWidth, Integer AHeight);
  // Puts the image into the lowest free slot; the slot's index.
  Integer AddMasked(TBitmap* Image, TColor MaskColor);
  void Delete(Integer Index);
  Integer UsedCount() const { return FUsedCount; }

 private:
  std::vector<bool> FUsed;
  Integer FUsedCount = 0;
};

class TcxGlyphCache : public TObject {
  TL_CLASS(TcxGlyphCache, TObject)
 public:
  ~TcxGlyphCache() override;
  // The list for images of this size, made when none exists.
  TcxGlyphList* GetList(Integer AWidth, Integer AHeight);
  // Frees the list once its last image is gone.
  void ReturnList(TcxGlyphList* AList);
  Integer Count() const { return Integer(FLists.size()); }

 private:
  std::vector<TcxGlyphList*> FLists;
};

// The process-wide cache; nullptr while no glyph object lives.
TcxGlyphCache* cxGlyphCache();

// Where the glyph and the caption go in a button's content rectangle.
struct TcxButtonGlyphLayout {
  TPoint GlyphPos;
  TRect TextRect;
};

class TcxButtonGlyph : public TObject {
  TL_CLASS(TcxButtonGlyph, TObject)
 public:
  TcxButtonGlyph();
  ~TcxButtonGlyph() override;

  TBitmap* GetGlyph() const { return FOriginal; }
  void SetGlyph(TBitmap* Value);
  Integer GetNumGlyphs() const { return FNumGlyphs; }
  void SetNumGlyphs(Integer Value);
  TColor GetTransparentColor() const { return FTransparentColor; }
  // The frame of the strip shown in a state.
  Integer FrameOf(TcxButtonState AState) const;
  // The size of one frame; 0 x 0 when the strip has no usable frame.
  TSize GlyphSize() const;
  // The glyph list index of a state's image, built on first use; -1 without a glyph.
  Integer CreateButtonGlyph(TcxButtonState AState);
  TcxGlyphList* GlyphList() const { return FGlyphList; }
  void Invalidate();

  // Caption margins: none beside a glyph, 1 left and 2 right without one.
  TRect TextMargins() const;
  TcxButtonGlyphLayout CalcLayout(TcxCanvas& ACanvas, const TRect& AClient, const TPoint& AOffset,
                                  const String& ACaption, TButtonLayout ALayout, Integer AMargin, Integer ASpacing,
                                  Integer ATextFlags);
  TRect Draw(TcxCanvas& ACanvas, const TRect& AClient, const TPoint& AOffset, const String& ACaption,
             TButtonLayout ALayout, Integer AMargin, Integer ASpacing, TcxButtonState AState, bool ATransparent,
             Integer ATextFlags);

  TNotifyEvent OnChange;

 private:
  void GlyphChanged(TObject* Sender);
  void DrawButtonText(TcxCanvas& ACanvas, const String& ACaption, TRect R, TcxButtonState AState, Integer AFlags);
  TBitmap* FOriginal;
  TcxGlyphList* FGlyphList = nullptr;
  std::array<Integer, 4> FIndexes{-1, -1, -1, -1};
  TColor FTransparentColor = clOlive;
  Integer FNumGlyphs = 1;
};
