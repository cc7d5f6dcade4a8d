// Internal helpers shared by the drawing files: raster operations, brush painting, clip walks.
#pragma once

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Gdi.h"

#include <algorithm>
#include <vector>

inline TRect IntersectRects(const TRect& a, const TRect& b) {
  TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
          std::min(a.Bottom, b.Bottom)};
  if (r.IsEmpty()) return {};
  return r;
}

inline TRect NormalizedRect(Integer l, Integer t, Integer r, Integer b) {
  return {std::min(l, r), std::min(t, b), std::max(l, r), std::max(t, b)};
}

// Calls f(rect) for each rectangle of `clip` that meets `area`, clipped to it.
template <class F>
void ForEachClipRect(const Region& clip, const TRect& area, F&& f) {
  if (area.IsEmpty()) return;
  for (const TRect& c : clip.Rects()) {
    if (c.Top >= area.Bottom) break;   // bands are sorted by top
    TRect r = IntersectRects(c, area);
    if (!r.IsEmpty()) f(r);
  }
}

// Two-operand raster op (R2_*) on a pixel (or a vector of them). Raster ops act on all
// 32 bits, as on the platform: inverting a DIB pixel inverts its fourth byte too.
template <class P>
inline P Rop2Apply(int rop2, P pen, P dst) {
  const unsigned c = unsigned(rop2 - 1) & 15;
  P r = pen & 0;
  if (c & 1) r |= ~pen & ~dst;
  if (c & 2) r |= ~pen & dst;
  if (c & 4) r |= pen & ~dst;
  if (c & 8) r |= pen & dst;
  return r;
}

// Three-operand raster op code (the op's high word's low byte) on a pixel (or a vector).
template <class P>
inline P Rop3Apply(Byte rop, P p, P s, P d) {
  P r = d & 0;
  for (int i = 0; i < 8; ++i) {
    if (!(rop >> i & 1)) continue;
    r |= ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
  }
  return r;
}
inline bool Rop3UsesSource(Byte rop) { return ((rop >> 2) ^ rop) & 0x33; }
inline bool Rop3UsesPattern(Byte rop) { return ((rop >> 4) ^ rop) & 0x0F; }
inline bool Rop3UsesDest(Byte rop) { return ((rop >> 1) ^ rop) & 0x55; }

// Applies `rop` over a span: d[i] = op(p[i], s[i], d[i]). s or p may be null when unused.
void Rop3Span(Byte rop, Pixel* d, const Pixel* s, const Pixel* p, Integer n);

// A brush resolved for one DC: gives the pattern pixels of a device row.
class BrushPainter {
 public:
  BrushPainter(DeviceContext& dc, const BrushObject* brush);
  bool IsNull() const { return null_; }
  bool IsSolid() const { return solid_; }
  Pixel SolidPixel() const { return solidPixel_; }
  // Hatched brushes in TRANSPARENT mode leave the background alone.
  bool HasTransparentGaps() const { return transparentGaps_; }
  // Fills out[0..n) with the pattern at device (x .. x+n, y); for transparent gaps `opaque`
  // (when given) receives 1 where the pattern paints.
  void Row(Integer x, Integer y, Integer n, Pixel* out, Byte* opaque = nullptr) const;

 private:
  bool null_ = true, solid_ = false, transparentGaps_ = false;
  Pixel solidPixel_ = 0;
  std::vector<Pixel> pattern_;   // pattern pixels, already in target form
  std::vector<Byte> mask_;       // hatched: 1 = line
  Integer pw_ = 0, ph_ = 0;
  TPoint org_{0, 0};
};

BrushObject* ResolveBrush(HBRUSH brush);   // handles the COLOR_x + 1 convention
// Fills a device region with a brush through a raster op: ROP2 (mode 2) or ROP3 (mode 3).
void PaintRegionRop2(DeviceContext& dc, const Region& deviceRgn, const BrushObject* brush, int rop2);
void PaintRegionRop3(DeviceContext& dc, const Region& deviceRgn, const BrushObject* brush, Byte rop3);
void PaintRectRop3(DeviceContext& dc, const TRect& deviceRect, const BrushObject* brush, Byte rop3);
// Plots one device pixel with the pen colour through ROP2, under the clip.
void PlotRop2(DeviceContext& dc, Integer x, Integer y, Pixel p, int rop2);

Pixel MonoFromColor(COLORREF c);
inline Pixel TargetSysColor(DeviceContext& dc, int index) { return dc.TargetPixel(GetSysColor(index)); }
