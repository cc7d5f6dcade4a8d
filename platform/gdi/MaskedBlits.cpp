// MaskBlt and PlgBlt: copies whose every pixel a monochrome mask decides on.
#include "platform/gdi/Raster.h"

#include <algorithm>
#include <cmath>

namespace {

// The mask's pixels: null (with ok) when there is none, ok false for a colour bitmap.
const Surface* MaskSurface(HBITMAP mask, bool& ok) {
  ok = true;
  if (!mask) return nullptr;
  const BitmapObject* b = BitmapFromHandle(mask);
  ok = b && b->BitsPixel == 1 && b->Pixels;
  return ok ? b->Pixels.get() : nullptr;
}

bool MaskBitSet(const Surface& m, Integer x, Integer y) { return (m.At(x, y) & kPixelMask) != 0; }

// The destination's pixels on the surface inside `r` (device coordinates), clipped to it.
TRect SurfaceRect(DeviceContext& d, const TRect& r) {
  const TPoint o = d.DeviceOrigin;
  return IntersectRects({r.Left + o.X, r.Top + o.Y, r.Right + o.X, r.Bottom + o.Y}, d.Target()->Bounds());
}

}  // namespace

BOOL MaskBlt(HDC dest, int x, int y, int cx, int cy, HDC src, int x1, int y1, HBITMAP mask, int xMask,
             int yMask, DWORD rop4) {
  DeviceContext* d = DcFromHandle(dest);
  if (!d) return FALSE;
  bool ok = false;
  const Surface* m = MaskSurface(mask, ok);
  if (!ok) return FALSE;
  const DWORD fore = rop4 & 0x00FFFFFFu, back = (rop4 >> 8) & 0x00FF0000u;
  if (!m) return BitBlt(dest, x, y, cx, cy, src, x1, y1, fore);
  if (cx <= 0 || cy <= 0) return TRUE;
  // The mask covers the source rectangle (the destination when neither rop reads a source).
  if (xMask < 0 || yMask < 0 || Int64(xMask) + cx > m->Width() || Int64(yMask) + cy > m->Height()) return FALSE;
  Surface* target = d->Target();
  if (!target) return FALSE;
  // Both rops run over copies of the destination; each pixel then takes the result its mask
  // bit chooses. Pixels outside the clip come out unchanged from both.
  const TPoint at = d->ToDevice(x, y);
  const TRect area = SurfaceRect(*d, {at.X, at.Y, DeviceContext::ClampCoord(Int64(at.X) + cx),
                                      DeviceContext::ClampCoord(Int64(at.Y) + cy)});
  if (area.IsEmpty()) return TRUE;
  Surface before(area.Width(), area.Height());
  if (before.IsEmpty()) return FALSE;
  before.CopyFrom(*target, area, 0, 0);
  if (!BitBlt(dest, x, y, cx, cy, src, x1, y1, fore)) return FALSE;
  Surface foreground(area.Width(), area.Height());
  if (foreground.IsEmpty()) return FALSE;
  foreground.CopyFrom(*target, area, 0, 0);
  target->CopyFrom(before, before.Bounds(), area.Left, area.Top);
  if (!BitBlt(dest, x, y, cx, cy, src, x1, y1, back)) return FALSE;
  const Integer mx = xMask + (area.Left - (at.X + d->DeviceOrigin.X));
  const Integer my = yMask + (area.Top - (at.Y + d->DeviceOrigin.Y));
  for (Integer row = 0; row < area.Height(); ++row) {
    Pixel* out = target->Row(area.Top + row) + area.Left;
    const Pixel* fg = foreground.Row(row);
    for (Integer col = 0; col < area.Width(); ++col)
      if (MaskBitSet(*m, mx + col, my + row)) out[col] = fg[col];
  }
  return TRUE;
}

BOOL PlgBlt(HDC dest, const POINT* pts, HDC src, int x1, int y1, int w, int h, HBITMAP mask, int xMask,
            int yMask) {
  DeviceContext* d = DcFromHandle(dest);
  DeviceContext* s = DcFromHandle(src);
  if (!d || !s || !pts) return FALSE;
  bool ok = false;
  const Surface* m = MaskSurface(mask, ok);
  if (!ok) return FALSE;
  Surface* target = d->Target();
  Surface* source = s->Target();
  if (!target || !source) return FALSE;
  if (w == 0 || h == 0) return TRUE;
  // The parallelogram a + u (b - a) + v (c - a), u and v in [0, 1), in device coordinates.
  const TPoint a = d->ToDevice(pts[0].X, pts[0].Y), b = d->ToDevice(pts[1].X, pts[1].Y),
               c = d->ToDevice(pts[2].X, pts[2].Y);
  const double ux = double(b.X) - a.X, uy = double(b.Y) - a.Y, vx = double(c.X) - a.X, vy = double(c.Y) - a.Y;
  const double det = ux * vy - uy * vx;
  if (det == 0) return FALSE;
  const double minX = std::min({0.0, ux, vx, ux + vx}) + a.X, maxX = std::max({0.0, ux, vx, ux + vx}) + a.X;
  const double minY = std::min({0.0, uy, vy, uy + vy}) + a.Y, maxY = std::max({0.0, uy, vy, uy + vy}) + a.Y;
  const TRect box{DeviceContext::ClampCoord(Int64(std::floor(minX))), DeviceContext::ClampCoord(Int64(std::floor(minY))),
                  DeviceContext::ClampCoord(Int64(std::ceil(maxX))), DeviceContext::ClampCoord(Int64(std::ceil(maxY)))};
  const TPoint so = s->ToDevice(x1, y1);
  const Integer sx0 = so.X + s->DeviceOrigin.X, sy0 = so.Y + s->DeviceOrigin.Y;
  const bool sameSurface = source == target;
  Surface snapshot;
  if (sameSurface) {
    // Reading from a copy: the pixels already written never feed later ones.
    snapshot = Surface(source->Width(), source->Height());
    if (snapshot.IsEmpty()) return FALSE;
    snapshot.CopyFrom(*source, source->Bounds(), 0, 0);
  }
  const Surface& from = sameSurface ? snapshot : *source;
  const TPoint o = d->DeviceOrigin;
  // Each destination pixel whose centre lies in the parallelogram takes the source pixel
  // its (u, v) falls on; only the rows and columns the clip shows are walked.
  ForEachClipRect(d->EffectiveClip(), box, [&](const TRect& r) {
    for (Integer py = r.Top; py < r.Bottom; ++py) {
      Pixel* out = target->Row(py + o.Y) + o.X;
      for (Integer px = r.Left; px < r.Right; ++px) {
        const double qx = px + 0.5 - a.X, qy = py + 0.5 - a.Y;
        const double u = (qx * vy - qy * vx) / det, v = (ux * qy - uy * qx) / det;
        if (u < 0 || u >= 1 || v < 0 || v >= 1) continue;
        const Integer i = Integer(std::floor(u * std::abs(w))), j = Integer(std::floor(v * std::abs(h)));
        const Integer si = w < 0 ? -1 - i : i, sj = h < 0 ? -1 - j : j;
        if (m) {
          const Int64 mi = (Int64(xMask) + i) % m->Width(), mj = (Int64(yMask) + j) % m->Height();
          if (!MaskBitSet(*m, Integer(mi < 0 ? mi + m->Width() : mi), Integer(mj < 0 ? mj + m->Height() : mj)))
            continue;
        }
        const Int64 sx = Int64(sx0) + si, sy = Int64(sy0) + sj;
        if (sx < 0 || sy < 0 || sx >= from.Width() || sy >= from.Height()) continue;
        out[px] = from.At(Integer(sx), Integer(sy)) & kPixelMask;
      }
    }
  });
  return TRUE;
}
