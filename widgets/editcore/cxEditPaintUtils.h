// The drawing primitives every editor shares: solid brushes cached by colour, one-pixel
// lines and frames, stacked-line arrows, glyphs in normal and disabled form, the editor's
// frame and background per border style, a parent's image behind a transparent control,
// and small routines (hot-key prefixes, text flags, painter choice, system colours).
#pragma once

#include "classlib/core/Object.h"
#include "classlib/visual/Controls.h"
#include "classlib/visual/Graphics.h"
#include "classlib/visual/ImgList.h"
#include "platform/gdi/Font.h"
#include "platform/gdi/Gdi.h"
#include "widgets/editcore/cxEditViewData.h"
#include "widgets/foundation/cxContainer.h"
#include "widgets/foundation/cxGraphics.h"
#include "widgets/foundation/cxLookAndFeelPainters.h"
#include "widgets/foundation/cxLookAndFeels.h"

#include <memory>
#include <vector>

// ---- brushes and filling ----

// Solid brushes by colour, kept sorted for halving lookups; when full, the least used
// entry (the first of equals) makes room. A system palette change empties it.
class TcxSolidBrushCache : public TObject {
  TL_CLASS(TcxSolidBrushCache, TObject)
 public:
  explicit TcxSolidBrushCache(Integer ACapacity = 128);
  void BeforeDestruction() override;

  // Deletes every brush.
  virtual void Clear();
  HBRUSH GetBrush(TColor AColor);

  Integer Count() const { return FCount; }
  Integer Capacity() const { return FCapacity; }
  // Whether AColor has a brush now (no usage counted).
  bool Contains(TColor AColor) const;

 private:
  void PaletteChanged() { Clear(); }
  // The index of AColor, or where it would go (ordered as unsigned values).
  bool Find(TColor AColor, Integer& AIndex) const;
  void Delete(Integer AIndex);

  std::vector<TColor> FColors;
  std::vector<HBRUSH> FBrushes;
  std::vector<uint32_t> FUsageCounts;
  Integer FCount = 0;
  Integer FCapacity;
  TcxSystemPaletteChangedNotifier* FNotifier = nullptr;
};

// A system colour of index 0..30 answers the system's own brush; other colours come from
// the shared cache. Neither may be deleted by the caller.
HBRUSH cxGetSolidBrush(TColor AColor);
HBRUSH cxGetSolidBrushForCanvas(TcxCanvas& ACanvas, TColor AColor);
void cxResetSolidBrushCache();
// The shared cache; nullptr outside the unit's start-up.
TcxSolidBrushCache* cxSolidBrushCache();

void cxFillRectWithBrush(HDC DC, const TRect& R, HBRUSH ABrush);
// clNone fills nothing.
void cxFillRectByColor(TcxCanvas& ACanvas, const TRect& R, TColor AColor);
// The four bands of AOuter outside AInner (left and right full height), or all of AOuter
// when AInner is empty.
void cxFillRectAroundRect(TcxCanvas& ACanvas, const TRect& AOuter, const TRect& AInner, TColor AColor);
void cxOffsetRectByPoint(TRect& R, const TPoint& P);

// ---- lines and shapes ----

// Through the first ACount points, the last pixel included. With AUseBrush the segments
// (horizontal or vertical) are filled with the cached brush; otherwise the canvas pen draws.
void cxDrawPolyline(TcxCanvas& ACanvas, const TPoint* APoints, Integer ACount, bool AUseBrush, TColor AColor);
// Side bits: left 1, top 2, right 4, bottom 8.
inline constexpr Integer cxEditBorderLeft = 1;
inline constexpr Integer cxEditBorderTop = 2;
inline constexpr Integer cxEditBorderRight = 4;
inline constexpr Integer cxEditBorderBottom = 8;
// A one-pixel line inside R along each side in ASides (left, right, top, bottom), each
// moving that side of R in by one.
void cxDrawRectBorders(TcxCanvas& ACanvas, TRect& R, Integer ASides, TColor AColor);
// A filled triangle of ASize stacked lines (1, 3, 5 ... from the apex), two of them when
// ADouble, centred in R and shifted one pixel right and down when APressed.
void cxDrawEditArrow(TcxCanvas& ACanvas, const TRect& R, Integer ASize, TcxArrowDirection ADirection,
                     bool APressed, bool ADouble, TColor AColor);
// The arrow's (width, height) for a button of the given size.
TSize cxCalcArrowSize(Integer AWidth, Integer AHeight, TcxArrowDirection ADirection);
void cxCenterRect(const TRect& ABounds, const TSize& ASize, bool APressed, Integer& X, Integer& Y);

// ---- glyphs ----

bool cxIsGraphicValid(TGraphic* AGraphic);
// AGlyph with its transparent colour left out; disabled in the platform's disabled look.
// ABackgroundBitmap, when given, receives the glyph at (0, 0) and is then drawn at (X, Y).
void cxDrawGlyph(TcxCanvas& ACanvas, Integer X, Integer Y, TBitmap* ABackgroundBitmap, TColor ABackgroundColor,
                 bool AEnabled, TBitmap* AGlyph);
void cxDrawImageListImage(TcxCanvas& ACanvas, const TPoint& P, TCustomImageList* AImageList, Integer AIndex,
                          bool AEnabled, TColor ABackgroundColor, TBitmap* ABitmap = nullptr);

// ---- editor frame and background ----

TL_ENUM(TcxEditBackgroundPaintingStyle, bpsSolid, bpsComboEdit, bpsComboListEdit);

// The frame and background (native or not by the view info), then the buttons, each
// clipped to the editor's bounds when it sticks out.
void cxDrawEditBackgroundAndButtons(TcxCanvas& ACanvas, TcxCustomEditViewInfo& AViewInfo,
                                    bool AFullBackground = true,
                                    TcxEditBackgroundPaintingStyle AStyle = TcxEditBackgroundPaintingStyle::bpsSolid);

// The native painter when ANativeStyle and visual styles are available, else the kind's.
const TcxCustomLookAndFeelPainter* cxGetPainterClass(bool ANativeStyle, TcxLookAndFeelKind AKind);
TColor cxGetEditBorderHighlightColor(bool AIsOffice11);
TColor cxGetHotLightColor();
// The style asks for a shadow and the view data does not paint natively.
bool cxEditHasShadow(TcxCustomEditViewData* AViewData);

// ---- parent background ----

// Paints into DC what AControl's parent shows under R (AControl's coordinates): the
// parent's frame when it is not a top-level form, its background and paint, then the
// windowed siblings below AControl that meet R.
void cxPaintParentBackground(TControl* AControl, HDC DC, const TRect& R);

// ---- text and fonts ----

// "&x" gives "x", "&&" gives "&", a final "&" gives "_".
String cxRemoveHotKeyPrefix(const String& AText);
// Between the library's canvas text flags and the editor text-layout flags.
Integer cxConvertTextFlags(Integer AFlags);
Integer cxConvertTextFlagsToCanvasFlags(Integer AFlags);
void cxSetCanvasFontFromLogFont(TcxCanvas& ACanvas, const LOGFONTA& ALogFont);
// Gives the canvas AFont's face, size and style, keeping the canvas's font object when they
// are already the same (a layout runs on every mouse move); then AFont's colour.
void cxSetCanvasFont(TcxCanvas& ACanvas, TFont* AFont);
void cxGetCanvasLogFont(TcxCanvas& ACanvas, LOGFONTA& ALogFont);

namespace cxEditPaintUtils {
// Counted: the system-colour brush table, the shared brush cache, the hot-light flag.
void Initialize();
void Finalize();
}  // namespace cxEditPaintUtils
