// Raster operations over spans and brush painting.
#include "platform/gdi/Raster.h"

#include "platform/gdi/PixelSpan.h"

#include <cstring>

void Rop3Span(Byte rop, Pixel* d, const Pixel* s, const Pixel* p, Integer count) {
  using namespace pixelspan;
  const size_t n = size_t(count);
  switch (rop) {
    case 0x00: FillPixels(d, n, 0); return;                                            // BLACKNESS
    case 0xFF: FillPixels(d, n, ~Pixel(0)); return;                                   // WHITENESS
    case 0xAA: return;                                                                 // D
    case 0xCC: std::memmove(d, s, n * 4); return;                                      // SRCCOPY
    case 0xF0: std::memcpy(d, p, n * 4); return;                                       // PATCOPY
    case 0x55: Map1(d, n, [](auto x) { return ~x; }); return;                     // DSTINVERT
    case 0x88: Map2(d, s, n, [](auto x, auto y) { return x & y; }); return;            // SRCAND
    case 0xEE: Map2(d, s, n, [](auto x, auto y) { return x | y; }); return;     // SRCPAINT
    case 0x66: Map2(d, s, n, [](auto x, auto y) { return x ^ y; }); return;     // SRCINVERT
    case 0x5A: Map2(d, p, n, [](auto x, auto y) { return x ^ y; }); return;     // PATINVERT
    case 0x33: Map2(d, s, n, [](auto, auto y) { return ~y; }); return;            // NOTSRCCOPY
    case 0xC0: Map3(d, s, p, n, [](auto, auto y, auto z) { return z & y; }); return;   // MERGECOPY
    case 0xBB: Map2(d, s, n, [](auto x, auto y) { return ~y | x; }); return;    // MERGEPAINT
    case 0x44: Map2(d, s, n, [](auto x, auto y) { return y & ~x; }); return;      // SRCERASE
    default: break;
  }
  const bool useS = Rop3UsesSource(rop), useP = Rop3UsesPattern(rop);
  if (useS && useP) {
    Map3(d, s, p, n, [rop](auto x, auto y, auto z) { return Rop3Apply(rop, z, y, x); });
  } else if (useS) {
    Map2(d, s, n, [rop](auto x, auto y) { return Rop3Apply(rop, y & 0, y, x); });
  } else if (useP) {
    Map2(d, p, n, [rop](auto x, auto z) { return Rop3Apply(rop, z, z & 0, x); });
  } else {
    Map1(d, n, [rop](auto x) { return Rop3Apply(rop, x & 0, x & 0, x); });
  }
}

BrushObject* ResolveBrush(HBRUSH brush) {
  const uintptr_t v = reinterpret_cast<uintptr_t>(brush);
  // FillRect and friends accept COLOR_x + 1 in place of a brush.
  if (v >= 1 && v <= uintptr_t(COLOR_COUNT)) return BrushFromHandle(GetSysColorBrush(int(v - 1)));
  return BrushFromHandle(brush);
}

namespace {
bool hatchBit(ULONG_PTR hatch, Integer x, Integer y) {
  switch (hatch) {
    case HS_HORIZONTAL: return y == 7;
    case HS_VERTICAL: return x == 7;
    case HS_FDIAGONAL: return x == y;
    case HS_BDIAGONAL: return x + y == 7;
    case HS_CROSS: return x == 7 || y == 7;
    case HS_DIAGCROSS: return x == y || x + y == 7;
    default: return false;
  }
}
// 64-bit, so a brush origin at the integer limit cannot overflow the difference.
Integer floorMod(Int64 a, Integer m) {
  const Integer r = Integer(a % m);
  return r < 0 ? r + m : r;
}
}  // namespace

BrushPainter::BrushPainter(DeviceContext& dc, const BrushObject* brush) {
  if (!brush || brush->Style == BS_NULL) return;
  null_ = false;
  org_ = dc.State.BrushOrg;
  const bool mono = dc.TargetIsMono();
  switch (brush->Style) {
    case BS_SOLID: {
      solid_ = true;
      const COLORREF c = brush->SysColorIndex >= 0 ? GetSysColor(brush->SysColorIndex) : brush->Color;
      solidPixel_ = dc.TargetPixel(c);
      return;
    }
    case BS_HATCHED: {
      pw_ = ph_ = 8;
      pattern_.resize(64);
      mask_.resize(64);
      const Pixel fg = dc.TargetPixel(brush->Color), bg = dc.TargetPixel(dc.State.BkColor);
      transparentGaps_ = dc.State.BkMode == TRANSPARENT;
      for (Integer y = 0; y < 8; ++y)
        for (Integer x = 0; x < 8; ++x) {
          const bool on = hatchBit(brush->Hatch, x, y);
          pattern_[size_t(y * 8 + x)] = on ? fg : bg;
          mask_[size_t(y * 8 + x)] = on;
        }
      return;
    }
    case BS_PATTERN: {
      const Surface* p = brush->Pattern.get();
      if (!p || p->IsEmpty()) {
        null_ = true;
        return;
      }
      pw_ = p->Width();
      ph_ = p->Height();
      pattern_.resize(size_t(pw_) * size_t(ph_));
      const Pixel fg = dc.TargetPixel(dc.State.TextColor), bg = dc.TargetPixel(dc.State.BkColor);
      for (Integer y = 0; y < ph_; ++y)
        for (Integer x = 0; x < pw_; ++x) {
          const Pixel v = p->At(x, y);
          Pixel out;
          if (brush->MonoPattern) out = mono ? v : (v ? bg : fg);
          else out = mono ? MonoFromColor(ColorFromPixel(v)) : v;
          pattern_[size_t(y * pw_ + x)] = out;
        }
      return;
    }
    default:
      null_ = true;
  }
}

void BrushPainter::Row(Integer x, Integer y, Integer n, Pixel* out, Byte* opaque) const {
  if (solid_) {
    FillPixels(out, size_t(n), solidPixel_);
    if (opaque) std::fill_n(opaque, n, Byte(1));
    return;
  }
  if (null_ || pw_ == 0 || n <= 0) return;
  const Integer py = floorMod(Int64(y) - org_.Y, ph_);
  const Pixel* row = pattern_.data() + size_t(py) * size_t(pw_);
  const Byte* mrow = mask_.empty() ? nullptr : mask_.data() + size_t(py) * size_t(pw_);
  const Integer px = floorMod(Int64(x) - org_.X, pw_);
  // One period from the pattern, then the row doubles itself: a few large copies.
  const Integer head = std::min(n, pw_ - px);
  std::memcpy(out, row + px, size_t(head) * 4);
  Integer done = head;
  if (done < n) {
    const Integer first = std::min(n - done, px);
    std::memcpy(out + done, row, size_t(first) * 4);
    done += first;
  }
  while (done < n) {
    const Integer k = std::min(done, n - done);
    std::memcpy(out + done, out, size_t(k) * 4);
    done += k;
  }
  if (!opaque) return;
  if (!transparentGaps_ || !mrow) {
    std::fill_n(opaque, n, Byte(1));
    return;
  }
  Integer mx = px;
  for (Integer i = 0; i < n; ++i) {
    opaque[i] = mrow[mx];
    if (++mx == pw_) mx = 0;
  }
}

namespace {
// `copy`: the op stores the pattern as it is wherever it paints.
template <class Op>
void paintRegion(DeviceContext& dc, const Region& rgn, const BrushObject* brush, bool copy, Op op) {
  Surface* s = dc.Target();
  if (!s) return;
  BrushPainter bp(dc, brush);
  if (bp.IsNull()) return;
  const Region& clip = dc.EffectiveClip();
  const TPoint o = dc.DeviceOrigin;
  std::vector<Pixel> pat;
  std::vector<Byte> opq;
  for (const TRect& r : rgn.Rects()) {
    ForEachClipRect(clip, r, [&](const TRect& c) {
      const Integer n = c.Width();
      pat.resize(size_t(n));
      opq.resize(size_t(n));
      const bool gaps = bp.HasTransparentGaps();
      for (Integer y = c.Top; y < c.Bottom; ++y) {
        Pixel* d = s->Row(y + o.Y) + c.Left + o.X;
        if (copy && !gaps) {   // the pattern straight into the target
          bp.Row(c.Left, y, n, d);
          continue;
        }
        bp.Row(c.Left, y, n, pat.data(), gaps ? opq.data() : nullptr);
        op(d, pat.data(), gaps ? opq.data() : nullptr, n);
      }
    });
  }
}
}  // namespace

void PaintRegionRop2(DeviceContext& dc, const Region& rgn, const BrushObject* brush, int rop2) {
  if (rop2 == R2_COPYPEN && brush && brush->Style == BS_SOLID) {
    BrushPainter bp(dc, brush);
    for (const TRect& r : rgn.Rects()) dc.FillDeviceRect(r, bp.SolidPixel());
    return;
  }
  paintRegion(dc, rgn, brush, rop2 == R2_COPYPEN, [rop2](Pixel* d, const Pixel* p, const Byte* m, Integer n) {
    if (!m) {
      pixelspan::Map2(d, p, size_t(n), [rop2](auto x, auto y) { return Rop2Apply(rop2, y, x); });
      return;
    }
    for (Integer i = 0; i < n; ++i)
      if (m[i]) d[i] = Rop2Apply(rop2, p[i], d[i]);
  });
}

void PaintRegionRop3(DeviceContext& dc, const Region& rgn, const BrushObject* brush, Byte rop3) {
  if (!Rop3UsesPattern(rop3)) {
    // Pattern-free ops work without a brush.
    static BrushObject black;   // solid black: the default members
    brush = &black;
  }
  if (rop3 == 0xF0 && brush && brush->Style == BS_SOLID) {
    BrushPainter bp(dc, brush);
    for (const TRect& r : rgn.Rects()) dc.FillDeviceRect(r, bp.SolidPixel());
    return;
  }
  paintRegion(dc, rgn, brush, rop3 == 0xF0, [rop3](Pixel* d, const Pixel* p, const Byte* m, Integer n) {
    if (!m) {
      Rop3Span(rop3, d, nullptr, p, n);
      return;
    }
    for (Integer i = 0; i < n; ++i)
      if (m[i]) Rop3Span(rop3, d + i, nullptr, p + i, 1);
  });
}

void PaintRectRop3(DeviceContext& dc, const TRect& r, const BrushObject* brush, Byte rop3) {
  if (r.IsEmpty()) return;
  if (rop3 == 0xF0 && brush && brush->Style == BS_SOLID) {
    // The common FillRect: no region, no pattern rows.
    const COLORREF c = brush->SysColorIndex >= 0 ? GetSysColor(brush->SysColorIndex) : brush->Color;
    dc.FillDeviceRect(r, dc.TargetPixel(c));
    return;
  }
  PaintRegionRop3(dc, Region(r), brush, rop3);
}

void PlotRop2(DeviceContext& dc, Integer x, Integer y, Pixel p, int rop2) {
  Surface* s = dc.Target();
  if (!s) return;
  const Region& clip = dc.EffectiveClip();
  if (!clip.Contains(x, y)) return;
  Pixel& d = s->Row(y + dc.DeviceOrigin.Y)[x + dc.DeviceOrigin.X];
  d = rop2 == R2_COPYPEN ? p : Rop2Apply(rop2, p, d);
}
