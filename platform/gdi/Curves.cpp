// Arcs, angle arcs and poly-draws: the drawing calls that run on from the current position.
#include "platform/gdi/Curves.h"

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Gdi.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kPi = kTwoPi / 2;

// Curve points are rounded and kept in the coordinate range the device accepts.
int Coord(double v) {
  if (!(v == v)) return 0;
  const double lim = double(DeviceContext::kCoordLimit);
  return int(std::lround(std::clamp(v, -lim, lim)));
}

// An arc of `sweep` radians about (cx, cy) from angle a1 (counter-clockwise on the screen
// for a positive sweep) with radii rx, ry. Chords of about sqrt(2/r) radians stray a quarter
// pixel from the curve; the bound keeps a huge arc from costing more than a long poly-line.
std::vector<POINT> Sweep(double cx, double cy, double rx, double ry, double a1, double sweep) {
  const int steps = int(std::clamp(std::fabs(sweep) * std::sqrt(std::max(rx, ry) * 2), 8.0, 1024.0));
  std::vector<POINT> pts;
  pts.reserve(size_t(steps) + 1);
  for (int i = 0; i <= steps; ++i) {
    const double a = a1 + sweep * i / steps;
    pts.push_back({Coord(cx + rx * std::cos(a)), Coord(cy - ry * std::sin(a))});
  }
  return pts;
}

bool Recording(const DeviceContext* d) { return d->Path == DeviceContext::PathState::Open; }

// Whether the radials from the box's centre through p1 and p2 point the same way (a point on
// the centre points along the x axis, as its angle of 0 says). Doubled offsets keep the
// centre integral; their products need 128 bits.
bool SameDirection(const RECT& box, POINT p1, POINT p2) {
  using Wide = __int128;
  const auto offset = [&](POINT p) {
    const Wide x = 2 * Wide(p.X) - box.Left - box.Right, y = 2 * Wide(p.Y) - box.Top - box.Bottom;
    return x == 0 && y == 0 ? std::pair<Wide, Wide>{1, 0} : std::pair{x, y};
  };
  const auto [x1, y1] = offset(p1);
  const auto [x2, y2] = offset(p2);
  return x1 * y2 == x2 * y1 && x1 * x2 + y1 * y2 > 0;
}

// Draws the poly-line from the current position through `pts` (logical units) as one
// stroke, so a styled pen keeps its dashes across it, and leaves the current position at
// its last point. An open path takes the points into its current figure; false when they
// do not fit in it (nothing added, the position kept).
bool StrokeFromCurrent(HDC dc, DeviceContext* d, const std::vector<POINT>& pts) {
  if (pts.empty()) return true;
  const POINT cur = d->State.CurrentPos;
  if (Recording(d)) {
    if (!d->PathTakes(pts.size() + (d->PathFigures.empty() ? 1 : 0))) return false;
    if (d->PathFigures.empty()) d->PathFigures.push_back({d->ToDevice(cur.X, cur.Y)});
    for (const POINT& p : pts) d->PathFigures.back().push_back(d->ToDevice(p.X, p.Y));
  } else {
    std::vector<POINT> line;
    line.reserve(pts.size() + 1);
    line.push_back(cur);
    line.insert(line.end(), pts.begin(), pts.end());
    Polyline(dc, line.data(), int(line.size()));
  }
  d->State.CurrentPos = pts.back();
  return true;
}

}  // namespace

std::vector<POINT> ArcPoints(const RECT& box, POINT p1, POINT p2) {
  const double cx = (double(box.Left) + box.Right) / 2, cy = (double(box.Top) + box.Bottom) / 2;
  const double rx = std::fabs(double(box.Right) - box.Left) / 2, ry = std::fabs(double(box.Bottom) - box.Top) / 2;
  if (rx <= 0 || ry <= 0) return {};
  const double a1 = std::atan2(-(p1.Y - cy) / ry, (p1.X - cx) / rx);
  // Radials pointing one way give the whole ellipse. That is decided exactly: the angles of
  // two points on one radial, each rounded, can differ by a hair and sweep almost nothing.
  if (SameDirection(box, p1, p2)) return Sweep(cx, cy, rx, ry, a1, kTwoPi);
  double a2 = std::atan2(-(p2.Y - cy) / ry, (p2.X - cx) / rx);
  while (a2 <= a1) a2 += kTwoPi;
  return Sweep(cx, cy, rx, ry, a1, a2 - a1);
}

std::vector<POINT> AngleArcPoints(double cx, double cy, double r, double startDeg, double sweepDeg) {
  // Sweeps past a full turn go round again over the same pixels; two turns show all of it.
  sweepDeg = std::clamp(sweepDeg, -720.0, 720.0);
  return Sweep(cx, cy, r, r, startDeg * kPi / 180, sweepDeg * kPi / 180);
}

std::vector<POINT> FlattenedBezier(const POINT* b, size_t count) {
  std::vector<POINT> out;
  if (!b || count == 0) return out;
  out.push_back(b[0]);
  constexpr int kSteps = 16;
  for (size_t i = 0; i + 3 < count; i += 3) {
    for (int k = 1; k <= kSteps; ++k) {
      const double t = double(k) / kSteps, u = 1 - t;
      const double c0 = u * u * u, c1 = 3 * u * u * t, c2 = 3 * u * t * t, c3 = t * t * t;
      out.push_back({Coord(c0 * b[i].X + c1 * b[i + 1].X + c2 * b[i + 2].X + c3 * b[i + 3].X),
                     Coord(c0 * b[i].Y + c1 * b[i + 1].Y + c2 * b[i + 2].Y + c3 * b[i + 3].Y)});
    }
  }
  return out;
}

BOOL ArcTo(HDC dc, int left, int top, int right, int bottom, int xr1, int yr1, int xr2, int yr2) {
  DeviceContext* d = DcFromHandle(dc);
  if (!d) return FALSE;
  const std::vector<POINT> arc = ArcPoints({left, top, right, bottom}, {xr1, yr1}, {xr2, yr2});
  if (arc.empty()) return FALSE;
  // A line from the current position to the arc's start, then the arc; the current
  // position ends at the arc's end.
  return StrokeFromCurrent(dc, d, arc);
}

BOOL AngleArc(HDC dc, int x, int y, DWORD radius, float startAngle, float sweepAngle) {
  DeviceContext* d = DcFromHandle(dc);
  if (!d || radius > DWORD(DeviceContext::kCoordLimit) || !std::isfinite(startAngle) || !std::isfinite(sweepAngle))
    return FALSE;
  // A line from the current position to the arc's start, then the arc.
  return StrokeFromCurrent(dc, d, AngleArcPoints(x, y, double(radius), startAngle, sweepAngle));
}

BOOL PolyDraw(HDC dc, const POINT* pts, const BYTE* types, int count) {
  DeviceContext* d = DcFromHandle(dc);
  if (!d || count < 0 || (count > 0 && (!pts || !types))) return FALSE;
  // Every type is checked before anything is drawn: a bad type, a close mark on a move or
  // Bezier points not in threes fail the call with nothing drawn and the position kept.
  for (int i = 0; i < count; ++i) {
    const BYTE t = types[i];
    if (t == PT_MOVETO || (t & ~PT_CLOSEFIGURE) == PT_LINETO) continue;
    if ((t & ~PT_CLOSEFIGURE) != PT_BEZIERTO || i + 2 >= count) return FALSE;
    if ((types[i + 1] & ~PT_CLOSEFIGURE) != PT_BEZIERTO || (types[i + 2] & ~PT_CLOSEFIGURE) != PT_BEZIERTO)
      return FALSE;
    i += 2;
  }
  if (count == 0) return TRUE;
  if (d->PathStopped()) return FALSE;
  // The figure starts at the current position until a move starts another; closing one draws
  // back to its start, where the next line begins. The position ends at the last point.
  POINT start = d->State.CurrentPos;
  std::vector<POINT> line;
  bool fits = true;  // an open path took every piece
  for (int i = 0; i < count; ++i) {
    const BYTE t = types[i];
    if (t == PT_MOVETO) {
      fits = StrokeFromCurrent(dc, d, line) && fits;
      line.clear();
      fits = MoveToEx(dc, pts[i].X, pts[i].Y, nullptr) && fits;
      start = pts[i];
      continue;
    }
    bool close = (t & PT_CLOSEFIGURE) != 0;
    if ((t & ~PT_CLOSEFIGURE) == PT_LINETO) {
      line.push_back(pts[i]);
    } else {
      const POINT from = line.empty() ? d->State.CurrentPos : line.back();
      const POINT curve[4] = {from, pts[i], pts[i + 1], pts[i + 2]};
      const std::vector<POINT> flat = FlattenedBezier(curve, 4);
      line.insert(line.end(), flat.begin() + 1, flat.end());
      close = close || ((types[i + 1] | types[i + 2]) & PT_CLOSEFIGURE) != 0;
      i += 2;
    }
    if (close) {
      line.push_back(start);
      fits = StrokeFromCurrent(dc, d, line) && fits;
      line.clear();
    }
  }
  if (!StrokeFromCurrent(dc, d, line) || !fits) return FALSE;
  d->State.CurrentPos = pts[count - 1];
  return TRUE;
}
