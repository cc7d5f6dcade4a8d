// Lines and shapes: pens outline, brushes fill, both through the DC's ROP2.
#include "platform/gdi/Raster.h"
#include "platform/gdi/ScanConvert.h"

#include <cstdlib>

namespace {

// On/off run lengths of the cosmetic styled pens, in pixels.
struct Dashes {
  const Integer* runs;
  int count;
};
constexpr Integer kDash[] = {18, 6};
constexpr Integer kDot[] = {3, 3};
constexpr Integer kDashDot[] = {9, 6, 3, 6};
constexpr Integer kDashDotDot[] = {9, 3, 3, 3, 3, 3};

Dashes dashesOf(UINT style) {
  switch (style) {
    case PS_DASH: return {kDash, 2};
    case PS_DOT: return {kDot, 2};
    case PS_DASHDOT: return {kDashDot, 4};
    case PS_DASHDOTDOT: return {kDashDotDot, 6};
    default: return {nullptr, 0};
  }
}

// The device pixels of polygons, scanned only over the rows the clip can show, so a polygon
// reaching far outside costs what is visible.
Region visiblePolygons(DeviceContext& d, const std::vector<std::vector<TPoint>>& polys, PolyFillMode mode) {
  std::vector<TPoint> points;
  std::vector<Integer> counts;
  for (const auto& p : polys) {
    points.insert(points.end(), p.begin(), p.end());
    counts.push_back(Integer(p.size()));
  }
  const TRect c = d.EffectiveClip().Bounds();
  RegionBuilder builder;
  ScanPolygons({points.data(), counts.data(), counts.size()}, mode, {c.Top - 1, c.Bottom + 1}, builder);
  return builder.Finish();
}

// Counter-clockwise convex hull of the corners of two w x w squares centred on a and b.
std::vector<TPoint> sweptSquare(TPoint a, TPoint b, Integer w) {
  const Integer h = w / 2;
  std::vector<TPoint> pts;
  for (TPoint c : {a, b}) {
    const Integer l = c.X - h, t = c.Y - h;
    pts.insert(pts.end(), {{l, t}, {l + w, t}, {l + w, t + w}, {l, t + w}});
  }
  std::sort(pts.begin(), pts.end(), [](TPoint p, TPoint q) { return p.X != q.X ? p.X < q.X : p.Y < q.Y; });
  auto cross = [](TPoint o, TPoint p, TPoint q) {
    return Int64(p.X - o.X) * (q.Y - o.Y) - Int64(p.Y - o.Y) * (q.X - o.X);
  };
  std::vector<TPoint> hull(pts.size() * 2);
  size_t k = 0;
  for (size_t i = 0; i < pts.size(); ++i) {
    while (k >= 2 && cross(hull[k - 2], hull[k - 1], pts[i]) <= 0) --k;
    hull[k++] = pts[i];
  }
  for (size_t i = pts.size() - 1, lower = k + 1; i-- > 0;) {
    while (k >= lower && cross(hull[k - 2], hull[k - 1], pts[i]) <= 0) --k;
    hull[k++] = pts[i];
  }
  hull.resize(k - 1);
  return hull;
}

// Draws device lines with the DC's pen, keeping the dash phase across connected segments.
class PenStroker {
 public:
  explicit PenStroker(DeviceContext& dc) : dc_(dc) {
    pen_ = static_cast<const PenObject*>(dc.State.Pen.Object.get());
    if (!pen_ || pen_->Style == PS_NULL) return;
    visible_ = true;
    color_ = dc.TargetPixel(pen_->Color);
    bk_ = dc.TargetPixel(dc.State.BkColor);
    dashes_ = dashesOf(pen_->Style);
    width_ = pen_->Width;
    if (width_ > 1) dashes_ = {nullptr, 0};   // wide pens draw solid
  }
  // The pixels from a to b, b itself excluded. Only the steps that can reach the clip are
  // walked, so a line to a far-away point costs no more than the visible part.
  void Line(TPoint a, TPoint b) {
    if (!visible_) return;
    if (width_ > 1) {
      // A square pen swept along the segment: the convex hull of its squares at both ends.
      wide_.push_back(sweptSquare(a, b, width_));
      return;
    }
    const Integer dx = std::abs(b.X - a.X), dy = std::abs(b.Y - a.Y);
    const Integer sx = b.X >= a.X ? 1 : -1, sy = b.Y >= a.Y ? 1 : -1;
    const Integer steps = std::max(dx, dy);
    const TRect clip = dc_.EffectiveClip().Bounds();
    const bool xMajor = dx >= dy;
    const Integer from = xMajor ? a.X : a.Y, dir = xMajor ? sx : sy;
    const Integer lo = xMajor ? clip.Left : clip.Top, hi = xMajor ? clip.Right : clip.Bottom;
    Int64 first = dir > 0 ? Int64(lo) - from : Int64(from) - hi;
    Int64 last = dir > 0 ? Int64(hi) - from : Int64(from) - lo;
    first = std::max<Int64>(first, 0);
    last = std::min<Int64>(last, Int64(steps) - 1);
    if (first > last) {
      phase_ += steps;
      return;
    }
    phase_ += first;
    for (Int64 i = first; i <= last; ++i) {
      Integer x, y;
      // The minor coordinate is the ideal one rounded to the nearest pixel; a tie (the line
      // exactly between two pixels) lights the upper or left one, whichever way the line runs.
      if (xMajor) {
        x = a.X + sx * Integer(i);
        const Int64 twice = 2 * i * dy + dx - (sy > 0 ? 1 : 0);
        y = a.Y + sy * Integer(twice / (2 * Int64(dx)));
      } else {
        y = a.Y + sy * Integer(i);
        const Int64 twice = 2 * i * dx + dy - (sx > 0 ? 1 : 0);
        x = a.X + sx * Integer(twice / (2 * Int64(dy)));
      }
      Plot(x, y);
    }
    phase_ += Int64(steps) - 1 - last;
  }

  void Flush() {
    if (wide_.empty()) return;
    BrushObject b;
    b.Style = BS_SOLID;
    b.Color = pen_->Color;
    PaintRegionRop2(dc_, visiblePolygons(dc_, wide_, PolyFillMode::Winding), &b, dc_.State.Rop2);
    wide_.clear();
  }
  ~PenStroker() { Flush(); }

 private:
  void Plot(Integer x, Integer y) {
    bool on = true;
    if (dashes_.runs) {
      Integer period = 0;
      for (int k = 0; k < dashes_.count; ++k) period += dashes_.runs[k];
      Integer pos = Integer(phase_ % period);
      int run = 0;
      while (pos >= dashes_.runs[run]) pos -= dashes_.runs[run++];
      on = run % 2 == 0;
    }
    ++phase_;
    if (on) PlotRop2(dc_, x, y, color_, dc_.State.Rop2);
    else if (dc_.State.BkMode == OPAQUE) PlotRop2(dc_, x, y, bk_, dc_.State.Rop2);
  }

  DeviceContext& dc_;
  const PenObject* pen_ = nullptr;
  bool visible_ = false;
  Pixel color_ = 0, bk_ = 0;
  Dashes dashes_{nullptr, 0};
  Integer width_ = 1;
  Int64 phase_ = 0;   // pixels walked along the styled line so far
  std::vector<std::vector<TPoint>> wide_;   // one convex polygon per wide segment
};

bool recording(DeviceContext* d) { return d->Path == DeviceContext::PathState::Open; }

void strokePolyline(DeviceContext& d, const std::vector<TPoint>& pts) {
  PenStroker pen(d);
  // Thin pens stop before the last point; a wide pen's squares cover both ends.
  for (size_t i = 0; i + 1 < pts.size(); ++i) pen.Line(pts[i], pts[i + 1]);
}

const BrushObject* currentBrush(DeviceContext& d) {
  return static_cast<const BrushObject*>(d.State.Brush.Object.get());
}

bool penIsNull(DeviceContext& d) {
  auto* p = static_cast<const PenObject*>(d.State.Pen.Object.get());
  return !p || p->Style == PS_NULL;
}

Region shifted(const Region& r, Integer dx, Integer dy) {
  Region s = r;
  s.Offset(dx, dy);
  return s;
}

// The pixels of r all of whose four neighbours are in r too.
Region eroded(const Region& r) {
  Region e = Region::Combine(r, shifted(r, 1, 0), RegionOp::And);
  e = Region::Combine(e, shifted(r, -1, 0), RegionOp::And);
  e = Region::Combine(e, shifted(r, 0, 1), RegionOp::And);
  return Region::Combine(e, shifted(r, 0, -1), RegionOp::And);
}

// Fills `shape` with the brush and outlines it with the pen. `inner` is the shape shrunk by
// the pen's width (the fill area when a pen is present).
void drawClosedShape(DeviceContext& d, const Region& shape, const Region& inner) {
  const int rop2 = d.State.Rop2;
  const BrushObject* brush = currentBrush(d);
  if (penIsNull(d)) {
    PaintRegionRop2(d, shape, brush, rop2);
    return;
  }
  PaintRegionRop2(d, inner, brush, rop2);
  auto* pen = static_cast<const PenObject*>(d.State.Pen.Object.get());
  BrushObject pb;
  pb.Style = BS_SOLID;
  pb.Color = pen->Color;
  PaintRegionRop2(d, Region::Combine(shape, inner, RegionOp::Diff), &pb, rop2);
}


Integer penWidth(DeviceContext& d) {
  auto* p = static_cast<const PenObject*>(d.State.Pen.Object.get());
  return p ? std::max<Integer>(p->Width, 1) : 1;
}

// Figures of one call go into the open path all together or not at all.
bool addFigures(DeviceContext* d, std::vector<std::vector<TPoint>> figs, bool closed) {
  size_t n = 0;
  for (const auto& f : figs) n += f.empty() ? 0 : f.size() + (closed ? 1 : 0);
  if (!d->PathTakes(n)) return false;
  for (auto& f : figs) {
    if (f.empty()) continue;
    if (closed) f.push_back(f.front());
    d->PathFigures.push_back(std::move(f));
  }
  return true;
}

}  // namespace

// ---- Lines ----------------------------------------------------------------------------------------

BOOL MoveToEx(HDC dc, int x, int y, LPPOINT old) {
  DeviceContext* d = DcFromHandle(dc);
  if (!d) return FALSE;
  if (recording(d)) {
    // A move right after a move only moves the figure's start: lone moves are not kept.
    const TPoint p = d->ToDevice(x, y);
    const bool lone = !d->PathFigures.empty() && d->PathFigures.back().size() == 1;
    if (!d->PathTakes(lone ? 0 : 1)) return FALSE;
    if (lone)
      d->PathFigures.back().front() = p;
    else
      d->PathFigures.push_back({p});
  }
  if (old) *old = d->State.CurrentPos;
  d->State.CurrentPos = {x, y};
  return TRUE;
}

BOOL GetCurrentPositionEx(HDC dc, LPPOINT pt) {
  DeviceContext* d = DcFromHandle(dc);
  if (!d || !pt) return FALSE;
  *pt = d->State.CurrentPos;
  return TRUE;
}

BOOL LineTo(HDC dc, int x, int y) {
  DeviceContext* d = DcFromHandle(dc);
  if (!d) return FALSE;
  const TPoint from = d->ToDevice(d->State.CurrentPos.X, d->State.CurrentPos.Y),
               to = d->ToDevice(x, y);
  if (recording(d)) {
    if (!d->PathTakes(d->PathFigures.empty() ? 2 : 1)) return FALSE;
    if (d->PathFigures.empty()) d->PathFigures.push_back({from});
    d->PathFigures.back().push_back(to);
    d->State.CurrentPos = {x, y};
    return TRUE;
  }
  d->State.CurrentPos = {x, y};
  strokePolyline(*d, {from, to});
  return TRUE;
}

BOOL Polyline(HDC dc, const POINT* pts, int count) {
  DeviceContext* d = DcFromHandle(dc);
  if (!d || !pts || count < 2) return FALSE;
  std::vector<TPoint> dev(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) dev[size_t(i)] = d->ToDevice(pts[i].X, pts[i].Y);
  if (recording(d)) return addFigures(d, {std::move(dev)}, false);
  strokePolyline(*d, dev);
  return TRUE;
}

BOOL PolyPolygon(HDC dc, const POINT* pts, const INT* counts, int polygons) {
  DeviceContext* d = DcFromHandle(dc);
  if (!d || !pts || !counts || polygons <= 0) return FALSE;
  std::vector<std::vector<TPoint>> polys;
  size_t at = 0;
  for (int i = 0; i < polygons; ++i) {
    if (counts[i] < 2) return FALSE;
    std::vector<TPoint> p(static_cast<size_t>(counts[i]));
    for (auto& q : p) {
      q = d->ToDevice(pts[at].X, pts[at].Y);
      ++at;
    }
    polys.push_back(std::move(p));
  }
  if (recording(d)) return addFigures(d, std::move(polys), true);
  const Region fill = visiblePolygons(*d, polys, d->State.PolyFillMode == WINDING ? PolyFillMode::Winding
                                                                              : PolyFillMode::Alternate);
  PaintRegionRop2(*d, fill, currentBrush(*d), d->State.Rop2);
  for (auto& p : polys) {
    p.push_back(p.front());
    strokePolyline(*d, p);
  }
  return TRUE;
}

BOOL Polygon(HDC dc, const POINT* pts, int count) {
  INT c = count;
  return PolyPolygon(dc, pts, &c, 1);
}

// ---- Rectangles, ellipses, pies -------------------------------------------------------------------

BOOL Rectangle(HDC dc, int left, int top, int right, int bottom) {
  DeviceContext* d = DcFromHandle(dc);
  if (!d) return FALSE;
  const TRect r = d->ToDevice(NormalizedRect(left, top, right, bottom));
  if (recording(d))
    return addFigures(
        d, {{{r.Left, r.Top}, {r.Right, r.Top}, {r.Right, r.Bottom}, {r.Left, r.Bottom}}}, true);
  if (penIsNull(*d)) {
    // Without a pen the filled area loses its right column and bottom row.
    PaintRegionRop2(*d, Region({r.Left, r.Top, r.Right - 1, r.Bottom - 1}), currentBrush(*d), d->State.Rop2);
    return TRUE;
  }
  const Integer w = penWidth(*d);
  if (w == 1) {
    PaintRegionRop2(*d, Region({r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1}), currentBrush(*d),
                    d->State.Rop2);
    if (r.Right - r.Left >= 1 && r.Bottom - r.Top >= 1)
      strokePolyline(*d, {{r.Left, r.Top}, {r.Right - 1, r.Top}, {r.Right - 1, r.Bottom - 1},
                          {r.Left, r.Bottom - 1}, {r.Left, r.Top}});
    return TRUE;
  }
  auto* pen = static_cast<const PenObject*>(d->State.Pen.Object.get());
  TRect outer = r;
  if (pen->Style != PS_INSIDEFRAME) {
    const Integer h = w / 2;
    outer = {r.Left - h, r.Top - h, r.Right - h + w - 1, r.Bottom - h + w - 1};
  }
  const Region shape(outer);
  drawClosedShape(*d, shape, Region({outer.Left + w, outer.Top + w, outer.Right - w, outer.Bottom - w}));
  return TRUE;
}

namespace {
// Rows the clip can show, with a row of margin so outlines found by erosion stay true.
RowWindow visibleRows(DeviceContext& d) {
  const TRect c = d.EffectiveClip().Bounds();
  return {c.Top - 1, c.Bottom + 1};
}

BOOL drawRound(HDC dc, int left, int top, int right, int bottom, int ew, int eh, bool ellipse) {
  DeviceContext* d = DcFromHandle(dc);
  if (!d) return FALSE;
  const TRect r = d->ToDevice(NormalizedRect(left, top, right, bottom));
  const RowWindow rows = visibleRows(*d);
  // Shapes too large to scan are not drawn, as their regions are empty.
  auto make = [&](const TRect& b) {
    if (b.IsEmpty() || !Region::ShapeFits(b)) return Region();
    RegionBuilder builder;
    if (ellipse) ScanEllipse(b, rows, builder);
    else ScanRoundRect(b, std::abs(ew), std::abs(eh), rows, builder);
    return builder.Finish();
  };
  if (penIsNull(*d)) {
    PaintRegionRop2(*d, make({r.Left, r.Top, r.Right - 1, r.Bottom - 1}), currentBrush(*d), d->State.Rop2);
    return TRUE;
  }
  const Integer w = penWidth(*d);
  const Region shape = make(r);
  drawClosedShape(*d, shape, w == 1 ? eroded(shape) : make({r.Left + w, r.Top + w, r.Right - w, r.Bottom - w}));
  return TRUE;
}
}  // namespace

BOOL Ellipse(HDC dc, int left, int top, int right, int bottom) {
  return drawRound(dc, left, top, right, bottom, 0, 0, true);
}

BOOL RoundRect(HDC dc, int left, int top, int right, int bottom, int width, int height) {
  return drawRound(dc, left, top, right, bottom, width, height, false);
}

BOOL Pie(HDC dc, int left, int top, int right, int bottom, int xr1, int yr1, int xr2, int yr2) {
  DeviceContext* d = DcFromHandle(dc);
  if (!d) return FALSE;
  const TRect r = d->ToDevice(NormalizedRect(left, top, right, bottom));
  if (r.IsEmpty()) return TRUE;
  const bool nullPen = penIsNull(*d);
  const TRect box = nullPen ? TRect{r.Left, r.Top, r.Right - 1, r.Bottom - 1} : r;
  // Like the other shapes, a pie too large to scan is not drawn; only visible rows are scanned.
  if (!Region::ShapeFits(box)) return TRUE;
  const TPoint p1 = d->ToDevice(xr1, yr1), p2 = d->ToDevice(xr2, yr2);
  auto make = [&](const TRect& b) {
    if (b.IsEmpty()) return Region();
    RegionBuilder builder;
    ScanPie(b, p1, p2, visibleRows(*d), builder);
    return builder.Finish();
  };
  const Region shape = make(box);
  if (nullPen) {
    PaintRegionRop2(*d, shape, currentBrush(*d), d->State.Rop2);
    return TRUE;
  }
  const Integer w = penWidth(*d);
  drawClosedShape(*d, shape, w == 1 ? eroded(shape) : make({box.Left + w, box.Top + w, box.Right - w, box.Bottom - w}));
  return TRUE;
}

// ---- Pixels ----------------------------------------------------------------------------------------

COLORREF SetPixel(HDC dc, int x, int y, COLORREF color) {
  DeviceContext* d = DcFromHandle(dc);
  if (!d) return CLR_INVALID;
  const TPoint p = d->ToDevice(x, y);
  if (!d->Target() || !d->EffectiveClip().Contains(p.X, p.Y)) return CLR_INVALID;
  const Pixel px = d->TargetPixel(color);
  d->Target()->Set(p.X + d->DeviceOrigin.X, p.Y + d->DeviceOrigin.Y, px);
  return ColorFromPixel(px);
}

BOOL SetPixelV(HDC dc, int x, int y, COLORREF color) {
  return SetPixel(dc, x, y, color) != CLR_INVALID;
}

COLORREF GetPixel(HDC dc, int x, int y) {
  DeviceContext* d = DcFromHandle(dc);
  if (!d) return CLR_INVALID;
  const TPoint p = d->ToDevice(x, y);
  if (!d->Target() || !d->EffectiveClip().Contains(p.X, p.Y)) return CLR_INVALID;
  return ColorFromPixel(d->Target()->At(p.X + d->DeviceOrigin.X, p.Y + d->DeviceOrigin.Y));
}
