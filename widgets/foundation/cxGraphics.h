// The drawing layer every painter, control and editor draws through: a wrapper over the
// class library's canvas with the library's own text flags, frames by side, tiled fills,
// clip regions with combination operations, pies by angle, rotated fonts and bitmap
// stretching; an owned region; rectangle and derived-colour routines.
#pragma once

#include "classlib/core/Enums.h"
#include "classlib/core/Object.h"
#include "classlib/visual/Graphics.h"
#include "classlib/visual/ImgList.h"

#include <vector>

TL_ENUM(TcxRegionOperation, roSet, roAdd, roSubtract, roIntersect);
TL_ENUM(TcxBorder, bLeft, bTop, bRight, bBottom);
using TcxBorders = Set<TcxBorder>;
inline constexpr TcxBorders cxBordersAll = {TcxBorder::bLeft, TcxBorder::bTop, TcxBorder::bRight,
                                            TcxBorder::bBottom};
TL_ENUM(TcxRotationAngle, ra0, raPlus90, raMinus90, ra180);
TL_ENUM(TcxGridLines, glBoth, glNone, glVertical, glHorizontal);

using TPointArray = std::vector<TPoint>;
using TRectArray = std::vector<TRect>;

struct TcxPaintParams {
  TBitmap* Bitmap = nullptr;
  TColor Color = clNone;
  TFont* Font = nullptr;
  TColor TextColor = clNone;
};

// The library's text flags.
inline constexpr Integer cxAlignLeft = 0x0001;
inline constexpr Integer cxAlignRight = 0x0002;
inline constexpr Integer cxAlignHCenter = 0x0004;
inline constexpr Integer cxAlignTop = 0x0008;
inline constexpr Integer cxAlignBottom = 0x0010;
inline constexpr Integer cxAlignVCenter = 0x0020;
inline constexpr Integer cxSingleLine = 0x0040;
inline constexpr Integer cxDontClip = 0x0080;
inline constexpr Integer cxExpandTabs = 0x0100;
inline constexpr Integer cxShowPrefix = 0x0200;
inline constexpr Integer cxWordBreak = 0x0400;
inline constexpr Integer cxShowEndEllipsis = 0x0800;
inline constexpr Integer cxDontPrint = 0x1000;
inline constexpr Integer cxShowPathEllipsis = 0x2000;
inline constexpr Integer cxDontBreakChars = 0x4000;
// The small tables painters compose the flags from: left/right/centre, top/bottom/centre,
// single/multi-line, no ellipsis/end ellipsis.
inline constexpr Integer cxAlignmentsHorz[3] = {cxAlignLeft, cxAlignRight, cxAlignHCenter};
inline constexpr Integer cxAlignmentsVert[3] = {cxAlignTop, cxAlignBottom, cxAlignVCenter};
inline constexpr Integer cxMultiLine[2] = {cxSingleLine, cxWordBreak};
inline constexpr Integer cxEndEllipsis[2] = {0, cxShowEndEllipsis};

// The DrawTextA flags of library flags: DT_NOPREFIX plus one flag per library flag.
UINT cxFlagsToDTFlags(Integer AFlags);

class IcxFontListener {
 public:
  virtual void Changed(TObject* Sender, TFont* AFont) = 0;

 protected:
  ~IcxFontListener() = default;
};

// An owned region handle.
class TcxRegion : public TObject {
  TL_CLASS(TcxRegion, TObject)
 public:
  explicit TcxRegion(HRGN AHandle);
  explicit TcxRegion(const TRect& R);
  TcxRegion();  // an empty region
  void BeforeDestruction() override;

  HRGN Handle() const { return FHandle; }
  // Combines with ARegion (nullptr is ignored), which is freed when ADestroyRegion.
  void Combine(TcxRegion* ARegion, TcxRegionOperation AOperation, bool ADestroyRegion = true);
  bool IsEmpty() const;
  bool IsEqual(const TcxRegion* ARegion) const;
  void Offset(Integer DX, Integer DY);
  bool PtInRegion(const TPoint& Pt) const { return PtInRegion(Pt.X, Pt.Y); }
  bool PtInRegion(Integer X, Integer Y) const;
  bool RectInRegion(const TRect& R) const;
  bool RectInRegion(Integer ALeft, Integer ATop, Integer ARight, Integer ABottom) const {
    return RectInRegion(TRect{ALeft, ATop, ARight, ABottom});
  }

 private:
  HRGN FHandle = nullptr;
};

class TcxCanvas : public TObject {
  TL_CLASS(TcxCanvas, TObject)
 public:
  explicit TcxCanvas(TCanvas* ACanvas);

  TCanvas* Canvas() const { return FCanvas; }
  TBrush* GetBrush() const { return FCanvas->Brush(); }
  TPen* GetPen() const { return FCanvas->Pen(); }
  TFont* GetFont() const { return FCanvas->Font(); }
  void SetBrush(TBrush* Value) { FCanvas->SetBrush(Value); }
  void SetPen(TPen* Value) { FCanvas->SetPen(Value); }
  void SetFont(TFont* Value) { FCanvas->SetFont(Value); }
  TCopyMode GetCopyMode() const { return FCanvas->GetCopyMode(); }
  void SetCopyMode(TCopyMode Value) { FCanvas->SetCopyMode(Value); }
  HDC GetHandle() const { return FCanvas->GetHandle(); }
  TPoint GetWindowOrg() const;
  void SetWindowOrg(const TPoint& P);
  TPoint GetViewportOrg() const;
  void SetViewportOrg(const TPoint& P);
  // Viewport origin minus window origin.
  TPoint DCOrigin() const;
  void SetBrushColor(TColor Value);
  void SetPixel(Integer X, Integer Y, TColor AColor) { FCanvas->SetPixel(X, Y, AColor); }
  void MoveTo(Integer X, Integer Y) { FCanvas->MoveTo(X, Y); }
  void LineTo(Integer X, Integer Y) { FCanvas->LineTo(X, Y); }
  void Polygon(const TPointArray& Points) { FCanvas->Polygon(Points); }
  void Polyline(const TPointArray& Points) { FCanvas->Polyline(Points); }
  void Draw(Integer X, Integer Y, TGraphic* Graphic) { FCanvas->Draw(X, Y, Graphic); }
  void CopyRect(const TRect& Dest, TCanvas* ASource, const TRect& Source) {
    FCanvas->CopyRect(Dest, ASource, Source);
  }
  void InvertRect(const TRect& R);
  void EndPath();
  // The path as a new region the caller frees.
  TcxRegion* PathToRegion();
  // Font and text colour from the params (unset ones are left alone).
  void SetParams(const TcxPaintParams& AParams);

  // Fills with the brush, or tiles ABitmap anchored at the canvas origin.
  void FillRect(const TRect& R, TBitmap* ABitmap = nullptr);
  void FillRect(const TRect& R, const TcxPaintParams& AParams, TColor AFrameColor, TcxBorders ABorders,
                Integer ALineWidth);
  void FrameRect(const TRect& R, TColor AColor = clDefault, TcxBorders ABorders = cxBordersAll,
                 Integer ALineWidth = 1);
  void DrawComplexFrame(const TRect& R, TColor ALeftTopColor, TColor ARightBottomColor,
                        TcxBorders ABorders = cxBordersAll, Integer ALineWidth = 1);
  void DrawEdge(const TRect& R, bool ASunken, bool AOuter, TcxBorders ABorders = cxBordersAll);
  void DrawFocusRect(const TRect& R);
  void DrawText(const String& Text, TRect R, Integer Flags, bool Enabled = true);
  // The glyph with its transparent colour left out; disabled glyphs are drawn embossed.
  void DrawGlyph(Integer X, Integer Y, TBitmap* AGlyph, bool AEnabled = true, TColor ABackgroundColor = clNone);
  void DrawImage(TCustomImageList* Images, Integer X, Integer Y, Integer Index, bool Enabled = true);
  void RotateBitmap(TBitmap* ABitmap, TcxRotationAngle AAngle, bool AFlipVertically = false);
  void MirrorBitmap(TBitmap* ABitmap);
  void FillRegion(TcxRegion* ARegion, TColor AColor);
  void FillRegion(HRGN ARegion, TColor AColor);
  void FrameRegion(TcxRegion* ARegion, TColor AColor, Integer FrameWidth = 1, Integer FrameHeight = 1);
  void FrameRegion(HRGN ARegion, TColor AColor, Integer FrameWidth = 1, Integer FrameHeight = 1);
  // Fills the region, then frames it inside its edge.
  void FillAndFrameRegion(TcxRegion* ARegion, TColor AColor, TColor AFrameColor, Integer FrameWidth = 1,
                          Integer FrameHeight = 1);
  void FillAndFrameRegion(HRGN ARegion, TColor AColor, TColor AFrameColor, Integer FrameWidth = 1,
                          Integer FrameHeight = 1);
  void Pie(const TRect& R, const TPoint& StartPoint, const TPoint& EndPoint);
  void Pie(const TRect& R, Integer AStartAngle, Integer ASweepAngle);
  void SetFontAngle(Integer Value);

  TSize TextExtent(const String& Text);
  Integer TextHeight(const String& Text) { return TextExtent(Text).cy; }
  Integer TextWidth(const String& Text) { return TextExtent(Text).cx; }
  Integer FontHeight(TFont* AFont);
  void TextExtentInRect(const String& Text, TRect& R, Integer Flags);
  void GetTextLineRects(const String& Text, TRect R, TRectArray& ARects, Integer Flags, bool Enabled = true);

  void ExcludeClipRect(const TRect& R);
  void IntersectClipRect(const TRect& R);
  // A new region the caller frees: the clip region, or 0,0,30000,30000 without one.
  TcxRegion* GetClipRegion(bool AConsiderOrigin = true);
  void SetClipRegion(TcxRegion* ARegion, TcxRegionOperation AOperation, bool AConsiderOrigin = true,
                     bool ADestroyRegion = true);
  bool RectVisible(const TRect& R);
  bool RectFullyVisible(const TRect& R);

 private:
  HDC TextDC();
  TCanvas* FCanvas;
};

// A canvas on the whole screen; owns its screen canvas.
class TcxScreenCanvas : public TcxCanvas {
  TL_CLASS(TcxScreenCanvas, TcxCanvas)
 public:
  TcxScreenCanvas();
  void BeforeDestruction() override;
};

void cxDeflateRectByRect(TRect& R, const TRect& AWidths);
TColor cxNearestScreenColor(TColor AColor);
TColor cxUltraFlatLightColor();
TColor cxUltraFlatPressedColor();
TColor cxUltraFlatHotColor();
TColor cxLightenedBtnFaceColor();

// Scales ASource to ADest's size: the platform stretch, or the resampler when the
// platform stretch is switched off (as on systems before NT 4).
void cxStretchBitmap(TBitmap* ASource, TBitmap* ADest);
// The two-pass resampler over 32-bit pixels (rows top-down, no padding).
std::vector<Pixel> cxResamplePixels(const std::vector<Pixel>& ASource, Integer ASourceWidth,
                                    Integer ASourceHeight, Integer ADestWidth, Integer ADestHeight);
