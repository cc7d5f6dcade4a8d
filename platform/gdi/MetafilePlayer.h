// What the placeable and enhanced metafile players share: the mapping from a record's
// logical coordinates to the DC's, the object table, save/restore of both, and the shapes
// and bitmaps the DC has no call for as the records give them (arcs, chords, device-
// independent bitmaps). Internal to the metafile code.
#pragma once

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Metafile.h"

#include <cstdint>
#include <vector>

namespace metafile {

inline uint16_t U16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
inline int16_t S16(const uint8_t* p) { return int16_t(U16(p)); }
inline uint32_t U32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline int32_t S32(const uint8_t* p) { return int32_t(U32(p)); }

// A record's parameters: reads past the end answer 0, so a short record never reads
// outside itself.
class Params {
 public:
  Params(const uint8_t* p, size_t n) : p_(p), n_(n) {}
  size_t Size() const { return n_; }
  bool Has(size_t off, size_t len) const { return off <= n_ && len <= n_ - off; }
  int16_t S16At(size_t off) const { return Has(off, 2) ? S16(p_ + off) : int16_t(0); }
  uint16_t U16At(size_t off) const { return Has(off, 2) ? U16(p_ + off) : uint16_t(0); }
  int32_t S32At(size_t off) const { return Has(off, 4) ? S32(p_ + off) : 0; }
  uint32_t U32At(size_t off) const { return Has(off, 4) ? U32(p_ + off) : 0u; }
  const uint8_t* At(size_t off) const { return p_ + off; }

 private:
  const uint8_t* p_;
  size_t n_;
};

// A LOGFONT's eight byte fields (italic .. pitch and family) from `off`.
inline void FontBytes(LOGFONTA& lf, const Params& a, size_t off) {
  BYTE* bytes[] = {&lf.lfItalic, &lf.lfUnderline, &lf.lfStrikeOut, &lf.lfCharSet, &lf.lfOutPrecision,
                   &lf.lfClipPrecision, &lf.lfQuality, &lf.lfPitchAndFamily};
  for (size_t i = 0; i < 8; ++i) *bytes[i] = a.Has(off + i, 1) ? *a.At(off + i) : 0;
}

// A rectangle of a record, in its coordinates (right and bottom exclusive).
struct RecordRect {
  int32_t Left, Top, Right, Bottom;
};

// The window/viewport mapping the records set; the viewport is in the DC's logical units.
struct Mapping {
  int Mode = MM_ANISOTROPIC;
  double WinOrgX = 0, WinOrgY = 0, WinExtX = 1, WinExtY = 1;
  double VpOrgX = 0, VpOrgY = 0, VpExtX = 1, VpExtY = 1;
  // An enhanced metafile's world transform, applied before the window mapping.
  double M11 = 1, M12 = 0, M21 = 0, M22 = 1, Dx = 0, Dy = 0;
  // Device pixels a millimetre, for the fixed mapping modes.
  double DevPerMmX = 96 / 25.4, DevPerMmY = 96 / 25.4;
  // Its reference device to the DC (identity for placeable metafiles).
  double OuterSx = 1, OuterSy = 1, OuterDx = 0, OuterDy = 0;
};

class Player {
 public:
  Player(HDC dc, size_t objectSlots);
  ~Player();
  Player(const Player&) = delete;
  Player& operator=(const Player&) = delete;

  HDC Dc() const { return dc_; }
  Mapping Map;

  // Logical coordinates to the DC's, clamped to a range the raster device handles.
  POINT Pt(double x, double y) const;
  // A rectangle's corners mapped and put in order.
  RECT Rect(double l, double t, double r, double b) const;
  // Rectangles in logical units as one region of the DC's logical coordinates; a rotating or
  // skewing world transform turns each into its parallelogram. Only the part within `margin`
  // device pixels of the bounds the picture is drawn in is built, so a region costs what the
  // canvas can show however far its rectangles reach. The caller deletes it.
  HRGN MapRegion(const std::vector<RecordRect>& rects, int margin = 0) const;
  // The bounds the picture is drawn in, in device pixels: the DC's clip box when playback
  // started. Nothing the records draw or clip to reaches past them.
  TRect Bounds() const { return bounds_; }
  // The clip playback started with (null: none); records that reset the clip go back to it,
  // and a region a record selects is kept inside it.
  HRGN CallerClip() const { return callerClip_; }
  // Selects `rgn` (device pixels, or null with RGN_COPY for the caller's clip) as
  // ExtSelectClipRgn does; the region is first cut to the caller's clip, in place, so no
  // mode takes the clip past it.
  void SelectClip(HRGN rgn, int mode);
  // Moves the clip by device pixels, keeping it inside the caller's clip.
  void OffsetClip(int dx, int dy);
  // The DC's open path has stopped at its cap: a record that would only add to it does
  // nothing, so it need not be played.
  bool PathStopped() const;
  // A region of the DC's logical coordinates moved to its device pixels, in place.
  void ToDevice(HRGN rgn) const;
  // A frame's logical width or height in device pixels: at least one, at most the pen cap.
  int FrameSide(double v, bool alongX) const;
  // Logical lengths to device ones (magnitudes).
  double ScaleX() const;
  double ScaleY() const;
  bool Mirrored() const { return (ScaleX() < 0) != (ScaleY() < 0); }

  // A blit's destination: its corner mapped, its extents signed so mirroring survives.
  struct Dest {
    int X, Y, W, H;
  };
  Dest DestOf(double x, double y, double w, double h) const;
  // Rectangle or ellipse, and a rounded rectangle with its corner ellipse, in logical units.
  void DrawBox(bool ellipse, double l, double t, double r, double b);
  void DrawRoundRect(double l, double t, double r, double b, double w, double h);
  // A Scale...ExtEx record; zero factors leave the extents alone.
  void ScaleExtents(bool window, double xNum, double xDenom, double yNum, double yDenom);
  // Solid, null and hatched brushes; null for the other styles.
  static HBRUSH MakeBrush(uint32_t style, COLORREF color, uint32_t hatch);

  // Puts a created object into the lowest free slot (a null handle holds a slot for an
  // object the player does not draw with); a full table deletes it.
  void AddObject(HGDIOBJ h);
  // Enhanced metafiles name the slot.
  void SetObject(size_t index, HGDIOBJ h);
  void SelectObjectAt(size_t index);
  void DeleteObjectAt(size_t index);
  HGDIOBJ ObjectAt(size_t index) const { return index < slots_.size() ? slots_[index].Handle : nullptr; }

  void Save();
  void Restore(int level);   // negative: relative, as the records give it

  HPEN MakePen(UINT style, double width, COLORREF color) const;
  HFONT MakeFont(const LOGFONTA& lf) const;   // heights and widths in logical units

  // Arc, chord and pie through their bounding box and radial points (logical units).
  enum class ArcKind { Arc, Chord, Pie };
  void DrawArc(ArcKind kind, double l, double t, double r, double b, double x1, double y1, double x2,
               double y2);

  // A device-independent bitmap (its BITMAPINFO and, after it, its bits) drawn from the source
  // rectangle (top-down rows when topDownSource, else counted from the bottom as stretched
  // DIBs are) to the destination (DC units, negative extents mirror) with a ternary rop.
  void DrawDib(const uint8_t* dib, size_t size, UINT usage, int sx, int sy, int sw, int sh, bool topDownSource,
               int dx, int dy, int dw, int dh, DWORD rop);
  // A pattern brush of a DIB; null when it cannot be read or is larger than a tile
  // (refused before it is decoded).
  HBRUSH MakeDibBrush(const uint8_t* dib, size_t size, UINT usage);
  // A masked copy of a DIB's source rectangle (top-down rows) stretched onto the destination
  // (DC units, negative extents mirror) with a quaternary rop: the monochrome mask DIB's
  // white pixels take the foreground rop, its black ones the background rop. Without a
  // mask, the foreground rop alone; without a source, rops that read none.
  void DrawMaskedDib(const uint8_t* dib, size_t size, UINT usage, int sx, int sy, int sw, int sh,
                     const uint8_t* mask, size_t maskSize, int mx, int my, const Dest& d, DWORD rop4);
  // A DIB's source rectangle copied onto the parallelogram of `pts` (DC logical units), the
  // monochrome mask DIB, when there is one, keeping the destination where it is black.
  void DrawDibParallelogram(const uint8_t* dib, size_t size, UINT usage, int sx, int sy, int sw, int sh,
                            const uint8_t* mask, size_t maskSize, int mx, int my, const POINT* pts);

  // Palettes: selecting one (null: the default palette) and changing one the metafile made;
  // a palette the caller selected is never changed.
  void SelectPaletteObject(HGDIOBJ pal);
  bool OwnsObject(HGDIOBJ h) const;
  static HPALETTE MakePalette(const uint8_t* entries, size_t count);
  static void SetEntries(HGDIOBJ pal, size_t start, const uint8_t* entries, size_t count);
  // Resizes a palette the metafile made, to no more than kMaxMetafilePaletteEntries.
  void ResizeOwned(HGDIOBJ pal, size_t entries) const;

  // A Bezier curve's control points (start, then three per segment) as a polyline.
  static std::vector<POINT> Flattened(const std::vector<POINT>& bezier);

  // A record's colour: RGB, or a palette index the DC resolves.
  static COLORREF Color(uint32_t c) { return StoredColor(c); }

 private:
  struct Slot {
    bool Used = false;
    HGDIOBJ Handle = nullptr;
  };
  HDC dc_;
  int outerLevel_ = 0;
  std::vector<Slot> slots_;
  std::vector<Mapping> savedMaps_;
  HRGN callerClip_ = nullptr;
  TRect bounds_{};
  POINT logicalToDevice_{0, 0};  // the DC's offset from its logical coordinates to its device's
  DeviceContext::SetAsidePath callersPath_;
  int64_t dibPixelsLeft_ = kMaxMetafileDibPixels;
  // The DIB's bitmap, its palette indices resolved through the palette selected now; null
  // when it cannot be read or its declared pixels pass what the playback has left.
  HBITMAP BitmapOf(const uint8_t* dib, size_t size, UINT usage, bool& bottomUp);
  // A monochrome bitmap of a mask DIB (its non-black pixels set), from the same budget.
  HBITMAP MaskOf(const uint8_t* dib, size_t size);
  // Counts the pixels the DIB's header declares against the playback's budget; false, with
  // nothing counted, when they do not fit.
  bool Charge(const uint8_t* dib, size_t size);
};

}  // namespace metafile
