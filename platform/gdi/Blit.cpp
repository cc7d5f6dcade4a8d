// BitBlt, StretchBlt and PatBlt: every ternary raster operation, colour <-> monochrome
// conversion, nearest and area-average stretching.
#include "platform/gdi/Raster.h"

#include <cstring>

namespace {

// How source pixels turn into destination pixels.
struct SourceConversion {
  enum Kind { None, MonoToColor, ColorToMono } kind = None;
  Pixel fg = 0, bg = 0;      // MonoToColor: 0 bits -> fg (text colour), 1 bits -> bg
  Pixel bkKey = 0;           // ColorToMono: pixels equal to the source's background -> white
};

SourceConversion conversionFor(DeviceContext& dst, DeviceContext& src) {
  SourceConversion c;
  const bool dm = dst.TargetIsMono(), sm = src.TargetIsMono();
  if (sm && !dm) {
    c.kind = SourceConversion::MonoToColor;
    c.fg = dst.TargetPixel(dst.State.TextColor);
    c.bg = dst.TargetPixel(dst.State.BkColor);
  } else if (!sm && dm) {
    c.kind = SourceConversion::ColorToMono;
    c.bkKey = PixelFromColor(src.State.BkColor);
  }
  return c;
}

void convertRow(const SourceConversion& c, const Pixel* in, Pixel* out, Integer n) {
  if (c.kind == SourceConversion::MonoToColor) {
    for (Integer i = 0; i < n; ++i) out[i] = (in[i] & kPixelMask) ? c.bg : c.fg;
  } else {
    for (Integer i = 0; i < n; ++i) out[i] = (in[i] & kPixelMask) == c.bkKey ? kPixelMask : 0;
  }
}

// Applies rop over destRect (device coordinates of dd); the source pixel for device (x, y) is
// src(x + sdx, y + sdy) in surface pixels of `src`, which covers the whole rectangle.
void blitCore(DeviceContext& dd, const TRect& destRect, const Surface* src, Integer sdx, Integer sdy,
              const SourceConversion& conv, Byte rop) {
  Surface* dst = dd.Target();
  if (!dst) return;
  const bool useP = Rop3UsesPattern(rop), useS = Rop3UsesSource(rop) && src;
  const TPoint o = dd.DeviceOrigin;
  if (rop == 0xCC && useS && conv.kind == SourceConversion::None) {
    // The plain copy, by far the most common: rows straight across.
    ForEachClipRect(dd.EffectiveClip(), destRect, [&](const TRect& c) {
      const size_t bytes = size_t(c.Width()) * 4;
      for (Integer y = c.Top; y < c.Bottom; ++y)
        std::memmove(dst->Row(y + o.Y) + c.Left + o.X, src->Row(y + sdy) + c.Left + sdx, bytes);
    });
    return;
  }
  const BrushObject* brush = useP ? static_cast<const BrushObject*>(dd.State.Brush.Object.get()) : nullptr;
  BrushPainter bp(dd, brush);   // a hollow brush gives zero pattern bits
  std::vector<Pixel> pat, sbuf;
  ForEachClipRect(dd.EffectiveClip(), destRect, [&](const TRect& c) {
    const Integer n = c.Width();
    if (useP) {
      pat.assign(size_t(n), 0);
    }
    if (useS && conv.kind != SourceConversion::None) sbuf.resize(size_t(n));
    for (Integer y = c.Top; y < c.Bottom; ++y) {
      Pixel* d = dst->Row(y + o.Y) + c.Left + o.X;
      const Pixel* s = nullptr;
      if (useS) {
        s = src->Row(y + sdy) + c.Left + sdx;
        if (conv.kind != SourceConversion::None) {
          convertRow(conv, s, sbuf.data(), n);
          s = sbuf.data();
        }
      }
      if (rop == 0xF0 && !bp.IsNull()) {   // PATCOPY: the pattern straight into the target
        bp.Row(c.Left, y, n, d);
        continue;
      }
      if (useP && !bp.IsNull()) bp.Row(c.Left, y, n, pat.data());
      Rop3Span(rop, d, s, useP ? pat.data() : nullptr, n);
    }
  });
}

// Nearest-neighbour index map for one axis, for dest indices [first, first + n) of a
// dstLen-long destination: dest i -> source index.
std::vector<Integer> nearestMap(Integer first, Integer n, Integer dstLen, Integer srcLen, bool mirror) {
  std::vector<Integer> m(static_cast<size_t>(n));
  for (Integer k = 0; k < n; ++k) {
    const Integer s = Integer(Int64(first + k) * srcLen / dstLen);
    m[size_t(k)] = mirror ? srcLen - 1 - s : s;
  }
  return m;
}

// Area weights for one axis: dest i covers source [i*s/d, (i+1)*s/d); weights in 1/65536.
struct Tap {
  Integer index;
  uint32_t weight;
};
std::vector<std::vector<Tap>> areaMap(Integer first, Integer n, Integer dstLen, Integer srcLen, bool mirror) {
  std::vector<std::vector<Tap>> m(static_cast<size_t>(n));
  for (Integer j = 0; j < n; ++j) {
    const Int64 i = first + j;
    // Work in units of 1/dstLen source pixels to stay exact.
    const Int64 a = i * srcLen, b = (i + 1) * srcLen;
    std::vector<Tap>& taps = m[size_t(j)];
    uint32_t total = 0;
    for (Int64 k = a / dstLen; k * dstLen < b && k < srcLen; ++k) {
      const Int64 lo = std::max(a, k * dstLen), hi = std::min(b, (k + 1) * dstLen);
      if (hi <= lo) continue;
      const uint32_t w = uint32_t((hi - lo) * 65536 / srcLen);
      taps.push_back({mirror ? Integer(srcLen - 1 - k) : Integer(k), w});
      total += w;
    }
    if (!taps.empty()) taps.back().weight += 65536 - total;   // rounding goes to the last tap
  }
  return m;
}

// The part `part` (relative to the destination's top-left) of src's rectangle `from`
// (surface pixels) stretched to w x h: only that part is computed.
Surface stretchSurface(const Surface& src, const TRect& from, Integer w, Integer h, const TRect& part,
                       bool mirrorX, bool mirrorY, bool halftone) {
  const Integer pw = part.Width(), ph = part.Height();
  Surface out(pw, ph);
  if (out.IsEmpty()) return out;
  const Integer sw = from.Width(), sh = from.Height();
  if (!halftone) {
    const auto mx = nearestMap(part.Left, pw, w, sw, mirrorX), my = nearestMap(part.Top, ph, h, sh, mirrorY);
    for (Integer y = 0; y < ph; ++y) {
      const Pixel* s = src.Row(from.Top + my[size_t(y)]) + from.Left;
      Pixel* d = out.Row(y);
      for (Integer x = 0; x < pw; ++x) d[x] = s[mx[size_t(x)]] & kPixelMask;
    }
    return out;
  }
  const auto ax = areaMap(part.Left, pw, w, sw, mirrorX), ay = areaMap(part.Top, ph, h, sh, mirrorY);
  // Source rows the part needs, then a horizontal pass into 16.16 channel sums and a vertical one.
  Integer rowLo = sh, rowHi = 0;
  for (const auto& taps : ay)
    for (const Tap& t : taps) {
      rowLo = std::min(rowLo, t.index);
      rowHi = std::max(rowHi, t.index + 1);
    }
  if (rowLo >= rowHi) return out;
  std::vector<uint64_t> rows(size_t(rowHi - rowLo) * size_t(pw) * 3);
  for (Integer y = rowLo; y < rowHi; ++y) {
    const Pixel* s = src.Row(from.Top + y) + from.Left;
    uint64_t* r = rows.data() + size_t(y - rowLo) * size_t(pw) * 3;
    for (Integer x = 0; x < pw; ++x) {
      uint64_t cr = 0, cg = 0, cb = 0;
      for (const Tap& t : ax[size_t(x)]) {
        const Pixel p = s[t.index];
        cr += uint64_t(p >> 16 & 255) * t.weight;
        cg += uint64_t(p >> 8 & 255) * t.weight;
        cb += uint64_t(p & 255) * t.weight;
      }
      r[x * 3] = cr;
      r[x * 3 + 1] = cg;
      r[x * 3 + 2] = cb;
    }
  }
  for (Integer y = 0; y < ph; ++y) {
    Pixel* d = out.Row(y);
    for (Integer x = 0; x < pw; ++x) {
      uint64_t cr = 0, cg = 0, cb = 0;
      for (const Tap& t : ay[size_t(y)]) {
        const uint64_t* r = rows.data() + (size_t(t.index - rowLo) * size_t(pw) + size_t(x)) * 3;
        cr += r[0] * t.weight;
        cg += r[1] * t.weight;
        cb += r[2] * t.weight;
      }
      const uint64_t half = uint64_t(1) << 31;
      d[x] = Pixel(std::min<uint64_t>((cr + half) >> 32, 255)) << 16 |
             Pixel(std::min<uint64_t>((cg + half) >> 32, 255)) << 8 |
             Pixel(std::min<uint64_t>((cb + half) >> 32, 255));
    }
  }
  return out;
}

// The rectangle from (x, y) spanning cx by cy, either way; sums are clamped to the platform's
// coordinate range instead of overflowing. A negative extent normally covers [x + cx, x);
// `inclusive` makes it start at pixel x itself, [x + cx + 1, x + 1), as mirrored copies do.
TRect spanRect(Integer x, Integer y, Integer cx, Integer cy, bool inclusive = false) {
  const Integer sx = (inclusive && cx < 0) ? 1 : 0, sy = (inclusive && cy < 0) ? 1 : 0;
  const Integer ex = DeviceContext::ClampCoord(Int64(x) + cx + sx), ey = DeviceContext::ClampCoord(Int64(y) + cy + sy);
  const Integer bx = DeviceContext::ClampCoord(Int64(x) + sx), by = DeviceContext::ClampCoord(Int64(y) + sy);
  return {std::min(bx, ex), std::min(by, ey), std::max(bx, ex), std::max(by, ey)};
}

}  // namespace

BOOL PatBlt(HDC dc, int x, int y, int cx, int cy, DWORD rop) {
  DeviceContext* d = DcFromHandle(dc);
  const Byte op = Byte(rop >> 16);
  if (!d || Rop3UsesSource(op)) return FALSE;
  const TRect r = d->ToDevice(spanRect(x, y, cx, cy));
  if (r.IsEmpty()) return TRUE;
  blitCore(*d, r, nullptr, 0, 0, {}, op);
  return TRUE;
}

BOOL StretchBlt(HDC dest, int x, int y, int cx, int cy, HDC src, int x1, int y1, int cx1, int cy1,
                DWORD rop) {
  DeviceContext* dd = DcFromHandle(dest);
  const Byte op = Byte(rop >> 16);
  if (!dd) return FALSE;
  if (!Rop3UsesSource(op)) return PatBlt(dest, x, y, cx, cy, rop);
  DeviceContext* sd = DcFromHandle(src);
  if (!sd) return FALSE;
  Surface* ss = sd->Target();
  if (!ss || !dd->Target()) return FALSE;
  if (cx == 0 || cy == 0 || cx1 == 0 || cy1 == 0) return TRUE;
  // When the copy mirrors along either axis, every negative extent starts at its own pixel;
  // without mirroring, negative extents just normalise (the platform's observed rules).
  const bool mirrorX = (cx < 0) != (cx1 < 0), mirrorY = (cy < 0) != (cy1 < 0);
  const bool mirrored = mirrorX || mirrorY;
  const TRect dr = dd->ToDevice(spanRect(x, y, cx, cy, mirrored));
  TRect sr = sd->ToDevice(spanRect(x1, y1, cx1, cy1, mirrored));
  sr = {sr.Left + sd->DeviceOrigin.X, sr.Top + sd->DeviceOrigin.Y, sr.Right + sd->DeviceOrigin.X,
        sr.Bottom + sd->DeviceOrigin.Y};
  const SourceConversion conv = conversionFor(*dd, *sd);
  if (dr.Width() == sr.Width() && dr.Height() == sr.Height() && !mirrorX && !mirrorY) {
    // Same size: only the part that lies inside the source is copied.
    const TRect inside = IntersectRects(sr, ss->Bounds());
    if (inside.IsEmpty()) return TRUE;
    const Integer sdx = sr.Left - dr.Left, sdy = sr.Top - dr.Top;
    const TRect part{inside.Left - sdx, inside.Top - sdy, inside.Right - sdx, inside.Bottom - sdy};
    if (ss == dd->Target()) {
      // Same surface: read from a snapshot so overlapping areas copy as if at once.
      Surface snap(inside.Width(), inside.Height());
      if (snap.IsEmpty()) return FALSE;   // out of memory
      snap.CopyFrom(*ss, inside, 0, 0);
      blitCore(*dd, part, &snap, -part.Left, -part.Top, conv, op);
    } else {
      blitCore(*dd, part, ss, sdx, sdy, conv, op);
    }
    return TRUE;
  }

  // Stretching reads only pixels inside the source; a source rectangle reaching outside is
  // clamped to it, scaled over the whole destination.
  const TRect inside = IntersectRects(sr, ss->Bounds());
  if (inside.IsEmpty()) return TRUE;
  const bool halftone = dd->State.StretchMode == HALFTONE && conv.kind == SourceConversion::None;
  // Only the part of the destination that the clip can show is computed.
  const TRect visible = IntersectRects(dr, dd->EffectiveClip().Bounds());
  if (visible.IsEmpty()) return TRUE;
  const TRect part{visible.Left - dr.Left, visible.Top - dr.Top, visible.Right - dr.Left, visible.Bottom - dr.Top};
  if (!halftone && op == 0xCC && conv.kind == SourceConversion::None && ss != dd->Target()) {
    // Plain nearest copy: straight from the source, no intermediate surface.
    const auto mx = nearestMap(part.Left, part.Width(), dr.Width(), inside.Width(), mirrorX);
    const auto my = nearestMap(part.Top, part.Height(), dr.Height(), inside.Height(), mirrorY);
    Surface* dst = dd->Target();
    const TPoint o = dd->DeviceOrigin;
    ForEachClipRect(dd->EffectiveClip(), visible, [&](const TRect& c) {
      const Integer* mapX = mx.data() + (c.Left - visible.Left);
      for (Integer y = c.Top; y < c.Bottom; ++y) {
        const Pixel* srow = ss->Row(inside.Top + my[size_t(y - visible.Top)]) + inside.Left;
        Pixel* drow = dst->Row(y + o.Y) + c.Left + o.X;
        for (Integer x = 0, n = c.Width(); x < n; ++x) drow[x] = srow[mapX[x]] & kPixelMask;
      }
    });
    return TRUE;
  }
  Surface stretched = stretchSurface(*ss, inside, dr.Width(), dr.Height(), part, mirrorX, mirrorY, halftone);
  if (stretched.IsEmpty()) return FALSE;
  blitCore(*dd, visible, &stretched, -visible.Left, -visible.Top, conv, op);
  return TRUE;
}

BOOL BitBlt(HDC dest, int x, int y, int cx, int cy, HDC src, int x1, int y1, DWORD rop) {
  const Byte op = Byte(rop >> 16);
  if (!Rop3UsesSource(op)) return PatBlt(dest, x, y, cx, cy, rop);
  if (cx <= 0 || cy <= 0) return DcFromHandle(dest) && DcFromHandle(src) ? TRUE : FALSE;
  return StretchBlt(dest, x, y, cx, cy, src, x1, y1, cx, cy, rop);
}
