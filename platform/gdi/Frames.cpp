// Rectangle fills and frames, focus rectangles, 3-D edges and the rectangle helpers.
#include "platform/gdi/Raster.h"

int FillRect(HDC dc, const RECT* r, HBRUSH brush) {
  DeviceContext* d = DcFromHandle(dc);
  BrushObject* b = ResolveBrush(brush);
  if (!d || !r || !b) return 0;
  if (r->IsEmpty()) return 1;   // inverted rectangles fill nothing
  PaintRectRop3(*d, d->ToDevice(*r), b, 0xF0);
  return 1;
}

int FrameRect(HDC dc, const RECT* r, HBRUSH brush) {
  DeviceContext* d = DcFromHandle(dc);
  BrushObject* b = ResolveBrush(brush);
  if (!d || !r || !b) return 0;
  if (r->IsEmpty()) return 1;
  const TRect x = d->ToDevice(*r);
  const Region frame = Region::FromRects({{x.Left, x.Top, x.Right, x.Top + 1},
                                          {x.Left, x.Bottom - 1, x.Right, x.Bottom},
                                          {x.Left, x.Top, x.Left + 1, x.Bottom},
                                          {x.Right - 1, x.Top, x.Right, x.Bottom}});
  PaintRegionRop3(*d, frame, b, 0xF0);
  return 1;
}

BOOL InvertRect(HDC dc, const RECT* r) {
  DeviceContext* d = DcFromHandle(dc);
  if (!d || !r) return FALSE;
  if (!r->IsEmpty()) PaintRectRop3(*d, d->ToDevice(*r), nullptr, 0x55);
  return TRUE;
}

BOOL DrawFocusRect(HDC dc, const RECT* r) {
  DeviceContext* d = DcFromHandle(dc);
  if (!d || !r) return FALSE;
  if (r->IsEmpty()) return TRUE;
  const TRect x = d->ToDevice(*r);
  // Every other pixel of the one-pixel frame is inverted, so drawing twice restores it. The
  // walk covers only what the clip can show.
  const TRect cb = d->EffectiveClip().Bounds();
  auto dot = [&](Integer px, Integer py) {
    if (((px + py) & 1) == 0) PlotRop2(*d, px, py, kPixelMask, R2_XORPEN);
  };
  const Integer x0 = std::max(x.Left, cb.Left), x1 = std::min(x.Right, cb.Right);
  const Integer y0 = std::max(x.Top + 1, cb.Top), y1 = std::min(x.Bottom - 1, cb.Bottom);
  for (Integer px = x0; px < x1; ++px) dot(px, x.Top);
  if (x.Bottom - 1 > x.Top)
    for (Integer px = x0; px < x1; ++px) dot(px, x.Bottom - 1);
  for (Integer py = y0; py < y1; ++py) {
    dot(x.Left, py);
    if (x.Right - 1 > x.Left) dot(x.Right - 1, py);
  }
  return TRUE;
}

// ---- 3-D edges ----------------------------------------------------------------------------------

namespace {

struct EdgeColors {
  int outerLT = -1, outerRB = -1, innerLT = -1, innerRB = -1;   // system colour indices, -1 = none
};

EdgeColors edgeColors(UINT edge, UINT flags) {
  EdgeColors c;
  const bool soft = flags & BF_SOFT;
  if (edge & BDR_RAISEDOUTER) {
    c.outerLT = soft ? COLOR_BTNHIGHLIGHT : COLOR_3DLIGHT;
    c.outerRB = COLOR_3DDKSHADOW;
  } else if (edge & BDR_SUNKENOUTER) {
    c.outerLT = soft ? COLOR_3DDKSHADOW : COLOR_BTNSHADOW;
    c.outerRB = COLOR_BTNHIGHLIGHT;
  }
  if (edge & BDR_RAISEDINNER) {
    c.innerLT = soft ? COLOR_3DLIGHT : COLOR_BTNHIGHLIGHT;
    c.innerRB = COLOR_BTNSHADOW;
  } else if (edge & BDR_SUNKENINNER) {
    c.innerLT = soft ? COLOR_BTNSHADOW : COLOR_3DDKSHADOW;
    c.innerRB = COLOR_3DLIGHT;
  }
  if (flags & (BF_MONO | BF_FLAT)) {
    const int outer = (flags & BF_MONO) ? COLOR_WINDOWFRAME : COLOR_BTNSHADOW;
    const int inner = (flags & BF_MONO) ? COLOR_WINDOW : COLOR_BTNFACE;
    if (c.outerLT >= 0) c.outerLT = c.outerRB = outer;
    if (c.innerLT >= 0) c.innerLT = c.innerRB = inner;
  }
  return c;
}

// One ring: the bottom/right lines run the full length, top/left stop short of them.
void ring(DeviceContext& d, const TRect& r, UINT sides, int lt, int rb) {
  if (lt < 0 || r.IsEmpty()) return;
  const Pixel plt = TargetSysColor(d, lt), prb = TargetSysColor(d, rb);
  if (sides & BF_LEFT) d.FillDeviceRect({r.Left, r.Top, r.Left + 1, r.Bottom - ((sides & BF_BOTTOM) ? 1 : 0)}, plt);
  if (sides & BF_TOP) d.FillDeviceRect({r.Left, r.Top, r.Right - ((sides & BF_RIGHT) ? 1 : 0), r.Top + 1}, plt);
  if (sides & BF_RIGHT) d.FillDeviceRect({r.Right - 1, r.Top, r.Right, r.Bottom}, prb);
  if (sides & BF_BOTTOM) d.FillDeviceRect({r.Left, r.Bottom - 1, r.Right, r.Bottom}, prb);
}

TRect deflate(const TRect& r, UINT sides, Integer n) {
  return {r.Left + ((sides & BF_LEFT) ? n : 0), r.Top + ((sides & BF_TOP) ? n : 0),
          r.Right - ((sides & BF_RIGHT) ? n : 0), r.Bottom - ((sides & BF_BOTTOM) ? n : 0)};
}

}  // namespace

BOOL DrawEdge(HDC dc, RECT* rc, UINT edge, UINT flags) {
  DeviceContext* d = DcFromHandle(dc);
  if (!d || !rc) return FALSE;
  const EdgeColors c = edgeColors(edge, flags);
  const UINT sides = flags & BF_RECT;
  TRect r = d->ToDevice(*rc);
  if (!(flags & BF_DIAGONAL)) {
    ring(*d, r, sides, c.outerLT, c.outerRB);
    if (c.outerLT >= 0) r = deflate(r, sides, 1);
    ring(*d, r, sides, c.innerLT, c.innerRB);
    if (c.innerLT >= 0) r = deflate(r, sides, 1);
    if ((flags & BF_MIDDLE) && !r.IsEmpty())
      d->FillDeviceRect(r, TargetSysColor(*d, (flags & BF_MONO) ? COLOR_WINDOW : COLOR_BTNFACE));
  }
  if (flags & BF_ADJUST) {
    const TPoint a = d->ToLogical(r.Left, r.Top), b = d->ToLogical(r.Right, r.Bottom);
    *rc = {a.X, a.Y, b.X, b.Y};
  }
  return TRUE;
}

// ---- Rectangle helpers ----------------------------------------------------------------------------

BOOL SetRect(LPRECT r, int left, int top, int right, int bottom) {
  if (!r) return FALSE;
  *r = {left, top, right, bottom};
  return TRUE;
}
BOOL SetRectEmpty(LPRECT r) {
  if (!r) return FALSE;
  *r = {};
  return TRUE;
}
BOOL CopyRect(LPRECT dst, const RECT* src) {
  if (!dst || !src) return FALSE;
  *dst = *src;
  return TRUE;
}
BOOL IsRectEmpty(const RECT* r) { return !r || r->IsEmpty(); }
BOOL OffsetRect(LPRECT r, int dx, int dy) {
  if (!r) return FALSE;
  *r = {r->Left + dx, r->Top + dy, r->Right + dx, r->Bottom + dy};
  return TRUE;
}
BOOL InflateRect(LPRECT r, int dx, int dy) {
  if (!r) return FALSE;
  *r = {r->Left - dx, r->Top - dy, r->Right + dx, r->Bottom + dy};
  return TRUE;
}
BOOL IntersectRect(LPRECT dst, const RECT* a, const RECT* b) {
  if (!dst || !a || !b) return FALSE;
  if (a->IsEmpty() || b->IsEmpty()) {
    *dst = {};
    return FALSE;
  }
  *dst = IntersectRects(*a, *b);
  return !dst->IsEmpty();
}
BOOL UnionRect(LPRECT dst, const RECT* a, const RECT* b) {
  if (!dst || !a || !b) return FALSE;
  if (a->IsEmpty()) *dst = b->IsEmpty() ? TRect{} : *b;
  else if (b->IsEmpty()) *dst = *a;
  else *dst = {std::min(a->Left, b->Left), std::min(a->Top, b->Top), std::max(a->Right, b->Right),
               std::max(a->Bottom, b->Bottom)};
  return !dst->IsEmpty();
}
BOOL SubtractRect(LPRECT dst, const RECT* a, const RECT* b) {
  if (!dst || !a || !b) return FALSE;
  TRect r = *a;
  const TRect i = IntersectRects(*a, *b);
  if (!i.IsEmpty()) {
    // Only a full-width or full-height cut leaves a rectangle.
    if (i.Left == r.Left && i.Right == r.Right) {
      if (i.Top == r.Top) r.Top = i.Bottom;
      else if (i.Bottom == r.Bottom) r.Bottom = i.Top;
    } else if (i.Top == r.Top && i.Bottom == r.Bottom) {
      if (i.Left == r.Left) r.Left = i.Right;
      else if (i.Right == r.Right) r.Right = i.Left;
    }
  }
  if (r.IsEmpty()) {
    *dst = {};
    return FALSE;
  }
  *dst = r;
  return TRUE;
}
BOOL EqualRect(const RECT* a, const RECT* b) { return a && b && *a == *b; }
BOOL PtInRect(const RECT* r, POINT pt) {
  return r && pt.X >= r->Left && pt.X < r->Right && pt.Y >= r->Top && pt.Y < r->Bottom;
}
