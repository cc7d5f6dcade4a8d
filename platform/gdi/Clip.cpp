// Region handles, the application clip of a DC, and paths.
#include "platform/gdi/Raster.h"
#include "platform/kernel/Threads.h"

namespace {

HRGN newRegion(Region r) { return static_cast<HRGN>(GdiAlloc(std::make_shared<RegionObject>(std::move(r)))); }

// A region past the limits of a built region (Region::MaxRects) is a want of resources.
void reportTooLarge() { SetLastError(ERROR_NOT_ENOUGH_MEMORY); }

RegionOp opOf(int mode) {
  switch (mode) {
    case RGN_AND: return RegionOp::And;
    case RGN_OR: return RegionOp::Or;
    case RGN_XOR: return RegionOp::Xor;
    case RGN_DIFF: return RegionOp::Diff;
    default: return RegionOp::Copy;
  }
}

std::vector<std::vector<TPoint>> polygonsOf(const POINT* pts, const INT* counts, int polygons) {
  std::vector<std::vector<TPoint>> out;
  size_t at = 0;
  for (int i = 0; i < polygons; ++i) {
    if (counts[i] < 0) return {};
    out.emplace_back(pts + at, pts + at + counts[i]);
    at += size_t(counts[i]);
  }
  return out;
}

}  // namespace

// ---- Region handles -------------------------------------------------------------------------------

HRGN CreateRectRgn(int left, int top, int right, int bottom) {
  return newRegion(Region(NormalizedRect(left, top, right, bottom)));
}
HRGN CreateRectRgnIndirect(const RECT* r) {
  return r ? CreateRectRgn(r->Left, r->Top, r->Right, r->Bottom) : nullptr;
}
HRGN CreateEllipticRgn(int left, int top, int right, int bottom) {
  return newRegion(Region::Ellipse(NormalizedRect(left, top, right, bottom)));
}
HRGN CreateEllipticRgnIndirect(const RECT* r) {
  return r ? CreateEllipticRgn(r->Left, r->Top, r->Right, r->Bottom) : nullptr;
}
HRGN CreateRoundRectRgn(int left, int top, int right, int bottom, int width, int height) {
  return newRegion(Region::RoundRect(NormalizedRect(left, top, right, bottom), std::abs(width), std::abs(height)));
}
HRGN CreatePolyPolygonRgn(const POINT* pts, const INT* counts, int polygons, int mode) {
  if (!pts || !counts || polygons <= 0 || (mode != ALTERNATE && mode != WINDING)) return nullptr;
  auto polys = polygonsOf(pts, counts, polygons);
  if (polys.empty()) return nullptr;
  auto r = Region::BoundedPolygon(polys, mode == WINDING ? PolyFillMode::Winding : PolyFillMode::Alternate);
  if (!r) {
    reportTooLarge();
    return nullptr;
  }
  return newRegion(std::move(*r));
}
HRGN CreatePolygonRgn(const POINT* pts, int count, int mode) {
  INT c = count;
  return CreatePolyPolygonRgn(pts, &c, 1, mode);
}

BOOL SetRectRgn(HRGN rgn, int left, int top, int right, int bottom) {
  RegionObject* r = RegionFromHandle(rgn);
  if (!r) return FALSE;
  r->Rgn = Region(NormalizedRect(left, top, right, bottom));
  return TRUE;
}

int CombineRgn(HRGN dest, HRGN src1, HRGN src2, int mode) {
  RegionObject* d = RegionFromHandle(dest);
  RegionObject* a = RegionFromHandle(src1);
  if (!d || !a || mode < RGN_AND || mode > RGN_COPY) return ERROR;
  if (mode == RGN_COPY) {
    d->Rgn = a->Rgn;
  } else {
    RegionObject* b = RegionFromHandle(src2);
    if (!b) return ERROR;
    // Two regions within the limit can combine into the square of their size.
    auto r = Region::BoundedCombine(a->Rgn, b->Rgn, opOf(mode));
    if (!r) {
      reportTooLarge();
      return ERROR;
    }
    d->Rgn = std::move(*r);
  }
  return d->Rgn.Complexity();
}

int OffsetRgn(HRGN rgn, int dx, int dy) {
  RegionObject* r = RegionFromHandle(rgn);
  if (!r) return ERROR;
  r->Rgn.Offset(dx, dy);
  return r->Rgn.Complexity();
}

BOOL EqualRgn(HRGN a, HRGN b) {
  RegionObject* x = RegionFromHandle(a);
  RegionObject* y = RegionFromHandle(b);
  if (!x || !y) return ERROR;
  return x->Rgn == y->Rgn;
}

BOOL PtInRegion(HRGN rgn, int x, int y) {
  RegionObject* r = RegionFromHandle(rgn);
  return r && r->Rgn.Contains(x, y);
}

BOOL RectInRegion(HRGN rgn, const RECT* rc) {
  RegionObject* r = RegionFromHandle(rgn);
  if (!r || !rc) return FALSE;
  return r->Rgn.Intersects(NormalizedRect(rc->Left, rc->Top, rc->Right, rc->Bottom));
}

int GetRgnBox(HRGN rgn, LPRECT rc) {
  RegionObject* r = RegionFromHandle(rgn);
  if (!r || !rc) return ERROR;
  *rc = r->Rgn.Bounds();
  return r->Rgn.Complexity();
}

// ---- Painting regions ------------------------------------------------------------------------------

namespace {
// The region in device coordinates of dc (regions passed to drawing calls are logical).
Region toDevice(DeviceContext& d, const Region& r) {
  Region out = r;
  const TPoint o = d.ToDevice(0, 0);
  out.Offset(o.X, o.Y);
  return out;
}
}  // namespace

BOOL FillRgn(HDC dc, HRGN rgn, HBRUSH brush) {
  DeviceContext* d = DcFromHandle(dc);
  RegionObject* r = RegionFromHandle(rgn);
  BrushObject* b = ResolveBrush(brush);
  if (!d || !r || !b) return FALSE;
  PaintRegionRop3(*d, toDevice(*d, r->Rgn), b, 0xF0);
  return TRUE;
}

BOOL PaintRgn(HDC dc, HRGN rgn) {
  DeviceContext* d = DcFromHandle(dc);
  RegionObject* r = RegionFromHandle(rgn);
  if (!d || !r) return FALSE;
  PaintRegionRop2(*d, toDevice(*d, r->Rgn), static_cast<const BrushObject*>(d->State.Brush.Object.get()),
                  d->State.Rop2);
  return TRUE;
}

BOOL FrameRgn(HDC dc, HRGN rgn, HBRUSH brush, int width, int height) {
  DeviceContext* d = DcFromHandle(dc);
  RegionObject* r = RegionFromHandle(rgn);
  BrushObject* b = ResolveBrush(brush);
  if (!d || !r || !b || width <= 0 || height <= 0) return FALSE;
  // The frame is the region minus the part of it that stays after shrinking by (w, h) from
  // every side: a pixel survives when the pixels w left/right and h up/down are also inside.
  const Region& src = r->Rgn;
  // Two shifts each way, not a stepped loop: a step of 2 * width overflows for huge frames.
  Region inner = src;
  for (const int dx : {-width, width}) {
    Region s = src;
    s.Offset(dx, 0);
    inner = Region::Combine(inner, s, RegionOp::And);
  }
  for (const int dy : {-height, height}) {
    Region s = src;
    s.Offset(0, dy);
    inner = Region::Combine(inner, s, RegionOp::And);
  }
  PaintRegionRop3(*d, toDevice(*d, Region::Combine(src, inner, RegionOp::Diff)), b, 0xF0);
  return TRUE;
}

BOOL InvertRgn(HDC dc, HRGN rgn) {
  DeviceContext* d = DcFromHandle(dc);
  RegionObject* r = RegionFromHandle(rgn);
  if (!d || !r) return FALSE;
  PaintRegionRop3(*d, toDevice(*d, r->Rgn), nullptr, 0x55);
  return TRUE;
}

// ---- The application clip ---------------------------------------------------------------------------

int GetClipBox(HDC dc, LPRECT rc);

namespace {
int clipResult(DeviceContext& d) { return d.EffectiveClip().Complexity(); }

void setAppClip(DeviceContext& d, std::optional<Region> r) {
  d.State.AppClip = std::move(r);
  d.ClipChanged();
}

// The area the application clip starts from when there is none: the whole drawable area.
Region fullArea(DeviceContext& d) { return Region(d.DeviceBounds()); }

// Combines r into the application clip by mode (not RGN_COPY); false, the clip kept as it was,
// when the result would pass the limit of a built region.
bool combineAppClip(DeviceContext& d, const Region& r, int mode) {
  auto c = Region::BoundedCombine(d.State.AppClip ? *d.State.AppClip : fullArea(d), r, opOf(mode));
  if (!c) {
    reportTooLarge();
    return false;
  }
  setAppClip(d, std::move(*c));
  return true;
}
}  // namespace

int ExtSelectClipRgn(HDC dc, HRGN rgn, int mode) {
  DeviceContext* d = DcFromHandle(dc);
  if (!d || mode < RGN_AND || mode > RGN_COPY) return ERROR;
  if (!rgn) {
    if (mode != RGN_COPY) return ERROR;
    setAppClip(*d, std::nullopt);
    return clipResult(*d);
  }
  RegionObject* r = RegionFromHandle(rgn);
  if (!r) return ERROR;
  // Region handles given for clipping are in device units already.
  if (mode == RGN_COPY) {
    setAppClip(*d, r->Rgn);
    return clipResult(*d);
  }
  return combineAppClip(*d, r->Rgn, mode) ? clipResult(*d) : ERROR;
}

int SelectClipRgn(HDC dc, HRGN rgn) { return ExtSelectClipRgn(dc, rgn, RGN_COPY); }

int GetClipRgn(HDC dc, HRGN rgn) {
  DeviceContext* d = DcFromHandle(dc);
  if (!d) return -1;
  // Without a clip there is nothing to copy, so no region is needed to answer 0.
  if (!d->State.AppClip) return 0;
  RegionObject* r = RegionFromHandle(rgn);
  if (!r) return -1;
  r->Rgn = *d->State.AppClip;
  return 1;
}

int IntersectClipRect(HDC dc, int left, int top, int right, int bottom) {
  DeviceContext* d = DcFromHandle(dc);
  if (!d) return ERROR;
  const Region rect(d->ToDevice(NormalizedRect(left, top, right, bottom)));
  const Region base = d->State.AppClip ? *d->State.AppClip : fullArea(*d);
  setAppClip(*d, Region::Combine(base, rect, RegionOp::And));
  return clipResult(*d);
}

int ExcludeClipRect(HDC dc, int left, int top, int right, int bottom) {
  DeviceContext* d = DcFromHandle(dc);
  if (!d) return ERROR;
  const Region rect(d->ToDevice(NormalizedRect(left, top, right, bottom)));
  const Region base = d->State.AppClip ? *d->State.AppClip : fullArea(*d);
  setAppClip(*d, Region::Combine(base, rect, RegionOp::Diff));
  return clipResult(*d);
}

int OffsetClipRgn(HDC dc, int dx, int dy) {
  DeviceContext* d = DcFromHandle(dc);
  if (!d) return ERROR;
  if (d->State.AppClip) {
    Region r = *d->State.AppClip;
    r.Offset(dx, dy);
    setAppClip(*d, std::move(r));
  }
  return clipResult(*d);
}

int GetClipBox(HDC dc, LPRECT rc) {
  DeviceContext* d = DcFromHandle(dc);
  if (!d || !rc) return ERROR;
  const Region& c = d->EffectiveClip();
  TRect b = c.Bounds();
  if (c.IsEmpty()) {
    *rc = {};
    return NULLREGION;
  }
  const TPoint a = d->ToLogical(b.Left, b.Top), z = d->ToLogical(b.Right, b.Bottom);
  *rc = {a.X, a.Y, z.X, z.Y};
  return c.Complexity();
}

BOOL RectVisible(HDC dc, const RECT* rc) {
  DeviceContext* d = DcFromHandle(dc);
  if (!d || !rc) return FALSE;
  return d->EffectiveClip().Intersects(d->ToDevice(NormalizedRect(rc->Left, rc->Top, rc->Right, rc->Bottom)));
}

BOOL PtVisible(HDC dc, int x, int y) {
  DeviceContext* d = DcFromHandle(dc);
  if (!d) return FALSE;
  const TPoint p = d->ToDevice(x, y);
  return d->EffectiveClip().Contains(p.X, p.Y);
}

// ---- Paths ------------------------------------------------------------------------------------------

BOOL BeginPath(HDC dc) {
  DeviceContext* d = DcFromHandle(dc);
  if (!d) return FALSE;
  d->Path = DeviceContext::PathState::Open;
  d->ClearPath();
  return TRUE;
}

BOOL EndPath(HDC dc) {
  DeviceContext* d = DcFromHandle(dc);
  if (!d || d->Path != DeviceContext::PathState::Open) return FALSE;
  d->Path = DeviceContext::PathState::Closed;
  return TRUE;
}

BOOL AbortPath(HDC dc) {
  DeviceContext* d = DcFromHandle(dc);
  if (!d) return FALSE;
  d->Path = DeviceContext::PathState::None;
  d->ClearPath();
  return TRUE;
}

namespace {
// Takes the closed path of d as a device region, all of it or only its part inside `within`;
// false when there is no closed path, or when `bounded` and the region would pass the limit
// of a built region (the path is consumed all the same).
bool takePathRegion(DeviceContext& d, Region& out, const TRect* within, bool bounded) {
  if (d.Path != DeviceContext::PathState::Closed) return false;
  std::vector<std::vector<TPoint>> figs;
  for (auto& f : d.PathFigures)
    if (f.size() >= 3) figs.push_back(std::move(f));  // the path is consumed
  d.Path = DeviceContext::PathState::None;
  d.ClearPath();
  const PolyFillMode mode =
      d.State.PolyFillMode == WINDING ? PolyFillMode::Winding : PolyFillMode::Alternate;
  if (figs.empty()) {
    out = Region();
  } else if (bounded) {
    auto r = Region::BoundedPolygon(figs, mode, within);
    if (!r) {
      reportTooLarge();
      return false;
    }
    out = std::move(*r);
  } else {
    out = within ? Region::Polygon(figs, mode, *within) : Region::Polygon(figs, mode);
  }
  return true;
}
}  // namespace

HRGN PathToRegion(HDC dc) {
  DeviceContext* d = DcFromHandle(dc);
  Region r;
  if (!d || !takePathRegion(*d, r, nullptr, true)) return nullptr;
  return newRegion(std::move(r));
}

BOOL FillPath(HDC dc) {
  DeviceContext* d = DcFromHandle(dc);
  Region r;
  // Only what the clip can show is scanned, however far the path reaches: the region is the
  // pixels painted, held no longer than the call, so it is bounded as any drawing is.
  const TRect visible = d ? d->EffectiveClip().Bounds() : TRect{};
  if (!d || !takePathRegion(*d, r, &visible, false)) return FALSE;
  PaintRegionRop2(*d, r, static_cast<const BrushObject*>(d->State.Brush.Object.get()), d->State.Rop2);
  return TRUE;
}

BOOL StrokePath(HDC dc) {
  DeviceContext* d = DcFromHandle(dc);
  if (!d || d->Path != DeviceContext::PathState::Closed) return FALSE;
  auto figs = std::move(d->PathFigures);
  d->Path = DeviceContext::PathState::None;
  d->ClearPath();
  // Draw the figures with the pen in logical terms: undo the device mapping first.
  for (auto& f : figs) {
    if (f.size() < 2) continue;
    for (auto& p : f) p = d->ToLogical(p.X, p.Y);
    Polyline(dc, f.data(), int(f.size()));
  }
  return TRUE;
}

BOOL StrokeAndFillPath(HDC dc) {
  DeviceContext* d = DcFromHandle(dc);
  if (!d || d->Path != DeviceContext::PathState::Closed) return FALSE;
  auto figs = d->PathFigures;
  FillPath(dc);
  d->PathFigures = std::move(figs);
  d->Path = DeviceContext::PathState::Closed;
  return StrokePath(dc);
}

BOOL SelectClipPath(HDC dc, int mode) {
  DeviceContext* d = DcFromHandle(dc);
  Region r;
  if (!d || mode < RGN_AND || mode > RGN_COPY) return FALSE;
  // The clip never reaches past the drawable area, so the path is scanned only there.
  const TRect area = d->DeviceBounds();
  if (!takePathRegion(*d, r, &area, true)) return FALSE;
  if (mode == RGN_COPY) {
    setAppClip(*d, std::move(r));
    return TRUE;
  }
  return combineAppClip(*d, r, mode);
}
