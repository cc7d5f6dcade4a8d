#include "platform/gdi/ScanConvert.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

using i128 = __int128;
using u128 = unsigned __int128;

int64_t FloorDiv(i128 n, i128 d) {   // d > 0
  i128 q = n / d;
  if (n % d != 0 && n < 0) --q;
  return int64_t(q);
}

int64_t CeilDiv(i128 n, i128 d) { return -FloorDiv(-n, d); }

uint64_t ISqrt(uint64_t v) {
  uint64_t s = uint64_t(std::sqrt(static_cast<long double>(v)));
  while (s > 0 && u128(s) * s > v) --s;
  while (u128(s + 1) * (s + 1) <= v) ++s;
  return s;
}

// Joins consecutive rows with identical spans into one run before handing them on.
class RunMerger {
 public:
  explicit RunMerger(SpanSink& sink) : sink_(sink) {}
  ~RunMerger() { Flush(); }
  void Row(int64_t y, const Integer* xs, size_t count) {
    if (open_ && y == bottom_ && count == xs_.size() && std::equal(xs, xs + count, xs_.begin())) {
      ++bottom_;
      return;
    }
    Flush();
    if (count == 0) return;
    xs_.assign(xs, xs + count);
    top_ = y;
    bottom_ = y + 1;
    open_ = true;
  }
  void Flush() {
    if (open_) sink_.Rows(Integer(top_), Integer(bottom_), xs_.data(), xs_.size());
    open_ = false;
  }

 private:
  SpanSink& sink_;
  std::vector<Integer> xs_;
  int64_t top_ = 0, bottom_ = 0;
  bool open_ = false;
};

// Rows of a shape with box rows [top, bottom) that the window lets through.
struct RowRange {
  int64_t begin, end;
};
// More rows than any region may hold would be unbounded work (a huge shape with no window
// at all), so such a request yields no rows; callers pass the rows they can show.
RowRange Clip(int64_t top, int64_t bottom, RowWindow w) {
  const RowRange r{std::max<int64_t>(top, w.Begin), std::min<int64_t>(bottom, w.End)};
  if (r.end - r.begin > Region::MaxShapeExtent) return {0, 0};
  return r;
}

// The filled ellipse inscribed in a box, one row at a time. Doubled coordinates keep the
// centre and the pixel centres integral: pixel x has doubled offset dx = 2x + 1 - (l + r).
class EllipseRows {
 public:
  explicit EllipseRows(const TRect& box)
      : l_(box.Left), t_(box.Top), r_(box.Right), b_(box.Bottom), w_(r_ - l_), h_(b_ - t_) {}
  bool Empty() const { return w_ <= 0 || h_ <= 0; }
  // The largest doubled offset |dx| of a pixel centre inside the ellipse on row y, or -1.
  int64_t Reach(int64_t y) const {
    if (Empty() || y < t_ || y >= b_) return -1;
    const int64_t dy = 2 * y + 1 - (t_ + b_);
    // dx^2 h^2 + dy^2 w^2 <= w^2 h^2  <=>  dx^2 <= floor(w^2 (h^2 - dy^2) / h^2)
    const u128 hh = u128(h_) * u128(h_);
    const u128 ady = u128(dy < 0 ? -dy : dy);   // |dy| < h < 2^32, so dy^2 needs 128 bits
    const u128 rest = hh - ady * ady;
    const u128 limit = (u128(w_) * u128(w_)) * rest / hh;   // w^2 (h^2-dy^2) < 2^128
    int64_t m = int64_t(ISqrt(uint64_t(limit)));
    // dx has the parity of w + 1 (the centre l + r has the parity of w).
    if (((m ^ (w_ + 1)) & 1) != 0) --m;
    return m;
  }
  // Span of row y as [x0, x1); false when the row holds no pixel.
  bool Row(int64_t y, int64_t& x0, int64_t& x1) const {
    const int64_t m = Reach(y);
    if (m < 0) return false;
    const int64_t c = l_ + r_ - 1;
    x0 = (c - m) / 2;
    x1 = (c + m) / 2 + 1;
    return true;
  }

 private:
  int64_t l_, t_, r_, b_, w_, h_;
};

struct Edge {
  int64_t x0, y0, x1, y1;   // y0 < y1
  int dir;                  // +1 when the original edge runs downwards
  // First pixel at or right of where the edge crosses row y (a pixel is its own point).
  int64_t CrossAt(int64_t y) const {
    const int64_t dy = y1 - y0;
    // Within these bounds the numerator stays below 2^63, and 64-bit division is many times
    // cheaper than 128-bit division; both are exact.
    constexpr int64_t kNarrow = int64_t(1) << 30;
    if (dy < 2 * kNarrow && x0 > -kNarrow && x0 < kNarrow && x1 > -kNarrow && x1 < kNarrow) {
      const int64_t n = x0 * dy + (y - y0) * (x1 - x0);
      return n / dy + (n % dy > 0);
    }
    return CeilDiv(i128(x0) * dy + i128(y - y0) * i128(x1 - x0), dy);
  }
};

// An edge crossing the row being scanned, and where.
struct Crossing {
  int64_t x;
  const Edge* edge;
};

// The spans of a row from its crossings, sorted by x.
void SpansFromCrossings(const std::vector<Crossing>& xs, PolyFillMode mode, std::vector<Integer>& out) {
  out.clear();
  int winding = 0, parity = 0;
  bool inside = false;
  for (size_t i = 0; i < xs.size();) {
    const int64_t x = xs[i].x;
    for (; i < xs.size() && xs[i].x == x; ++i) {
      winding += xs[i].edge->dir;
      parity ^= 1;
    }
    const bool now = mode == PolyFillMode::Winding ? winding != 0 : parity != 0;
    if (now != inside) {
      out.push_back(Integer(x));
      inside = now;
    }
  }
}

}  // namespace

bool ScanPolygons(const PolygonSet& set, PolyFillMode mode, RowWindow rows, SpanSink& sink,
                  size_t maxCrossings) {
  std::vector<Edge> edges;
  size_t base = 0;
  for (size_t p = 0; p < set.PolygonCount; ++p) {
    const Integer n = set.Counts[p];
    if (n <= 0) continue;
    const TPoint* pts = set.Points + base;
    base += size_t(n);
    if (n < 3) continue;
    for (Integer i = 0; i < n; ++i) {
      const TPoint a = pts[i], b = pts[(i + 1) % n];
      if (a.Y == b.Y) continue;   // horizontal edges cross no centre line
      // Edges wholly above or below the window's rows cross none of them.
      if (std::max(a.Y, b.Y) <= rows.Begin || std::min(a.Y, b.Y) >= rows.End) continue;
      if (a.Y < b.Y) edges.push_back({a.X, a.Y, b.X, b.Y, +1});
      else edges.push_back({b.X, b.Y, a.X, a.Y, -1});
    }
  }
  if (edges.empty()) return true;
  std::sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) { return a.y0 < b.y0; });
  int64_t minY = edges.front().y0, maxY = minY;
  for (const Edge& e : edges) maxY = std::max(maxY, e.y1);
  const RowRange range = Clip(minY, maxY, rows);

  // The edges crossing the row, kept in the order of their crossings: from one row to the next
  // that order changes only where edges meet, so most rows need no sort.
  std::vector<Crossing> active;
  const auto byX = [](const Crossing& a, const Crossing& b) { return a.x < b.x; };
  std::vector<Integer> xs;
  size_t nextEdge = 0;
  int64_t y = range.begin;
  while (y < range.end) {
    active.erase(std::remove_if(active.begin(), active.end(), [y](const Crossing& c) { return c.edge->y1 <= y; }),
                 active.end());
    for (; nextEdge < edges.size() && edges[nextEdge].y0 <= y; ++nextEdge)
      if (edges[nextEdge].y1 > y) active.push_back({0, &edges[nextEdge]});
    int64_t event = nextEdge < edges.size() ? edges[nextEdge].y0 : range.end;
    for (const Crossing& c : active) event = std::min(event, c.edge->y1);
    event = std::min(event, range.end);
    if (active.empty()) {
      y = event;
      continue;
    }
    if (active.size() > maxCrossings) return false;
    maxCrossings -= active.size();
    bool allVertical = true;
    for (Crossing& c : active) {
      c.x = c.edge->CrossAt(y);
      allVertical = allVertical && c.edge->x0 == c.edge->x1;
    }
    if (!std::is_sorted(active.begin(), active.end(), byX)) std::sort(active.begin(), active.end(), byX);
    SpansFromCrossings(active, mode, xs);
    // Until the next vertex row nothing changes when every active edge is vertical.
    const int64_t last = allVertical ? event : y + 1;
    if (!xs.empty()) {
      sink.Rows(Integer(y), Integer(last), xs.data(), xs.size());
      if (sink.Stopped()) return false;
    }
    y = last;
  }
  return true;
}

void ScanEllipse(const TRect& box, RowWindow rows, SpanSink& sink) {
  const EllipseRows e(box);
  if (e.Empty()) return;
  RunMerger out(sink);
  const RowRange range = Clip(box.Top, box.Bottom, rows);
  for (int64_t y = range.begin; y < range.end; ++y) {
    int64_t x0, x1;
    if (!e.Row(y, x0, x1)) continue;
    const Integer xs[2] = {Integer(x0), Integer(x1)};
    out.Row(y, xs, 2);
  }
}

void ScanEllipseOutline(const TRect& box, RowWindow rows, SpanSink& sink) {
  const EllipseRows e(box);
  if (e.Empty()) return;
  RunMerger out(sink);
  const RowRange range = Clip(box.Top, box.Bottom, rows);
  for (int64_t y = range.begin; y < range.end; ++y) {
    int64_t a, b, ua, ub, da, db;
    if (!e.Row(y, a, b)) continue;
    // Interior pixels have all four neighbours inside; the rest of the row is outline.
    int64_t i0 = a + 1, i1 = b - 1;
    if (e.Row(y - 1, ua, ub) && e.Row(y + 1, da, db)) {
      i0 = std::max({i0, ua, da});
      i1 = std::min({i1, ub, db});
    } else {
      i0 = i1 = b;
    }
    Integer xs[4];
    size_t n = 0;
    if (i0 >= i1) {
      xs[n++] = Integer(a);
      xs[n++] = Integer(b);
    } else {
      xs[n++] = Integer(a);
      xs[n++] = Integer(i0);
      xs[n++] = Integer(i1);
      xs[n++] = Integer(b);
    }
    out.Row(y, xs, n);
  }
}

void ScanRoundRect(const TRect& box, Integer ellipseWidth, Integer ellipseHeight, RowWindow rows,
                   SpanSink& sink) {
  if (box.IsEmpty()) return;
  const int64_t w = int64_t(box.Right) - box.Left, h = int64_t(box.Bottom) - box.Top;
  const int64_t ew = std::clamp<int64_t>(ellipseWidth, 0, w);
  const int64_t eh = std::clamp<int64_t>(ellipseHeight, 0, h);
  const RowRange range = Clip(box.Top, box.Bottom, rows);
  if (ew == 0 || eh == 0) {
    const Integer xs[2] = {box.Left, box.Right};
    if (range.begin < range.end) sink.Rows(Integer(range.begin), Integer(range.end), xs, 2);
    return;
  }
  // Each corner is a quarter of the ew x eh ellipse; row k from the nearer edge takes that
  // ellipse's row k, whose inset is the same on both sides.
  const EllipseRows corner(Rect(0, 0, Integer(ew), Integer(eh)));
  RunMerger out(sink);
  for (int64_t y = range.begin; y < range.end; ++y) {
    const int64_t k = std::min<int64_t>(y - box.Top, box.Bottom - 1 - y);
    int64_t inset = 0;
    if (k < eh / 2) {
      // Columns left of the corner ellipse's centre are in when the ellipse holds them; a
      // row the ellipse misses entirely still holds the straight edge between the corners.
      const int64_t m = corner.Reach(k);
      inset = m >= 0 ? (ew - 1 - m) / 2 : ew / 2;
    }
    if (2 * inset >= w) continue;
    const Integer xs[2] = {Integer(box.Left + inset), Integer(box.Right - inset)};
    out.Row(y, xs, 2);
  }
}

namespace {

struct Vec {
  i128 x, y;   // doubled, y pointing up
};
i128 Cross(Vec a, Vec b) { return a.x * b.y - a.y * b.x; }

class PieTest {
 public:
  PieTest(const TRect& box, TPoint start, TPoint end)
      : cx2_(int64_t(box.Left) + box.Right), cy2_(int64_t(box.Top) + box.Bottom),
        s_(Dir(start)), e_(Dir(end)) {
    sweep_ = Cross(s_, e_);
    full_ = sweep_ == 0 && s_.x * e_.x + s_.y * e_.y > 0;
  }
  bool Full() const { return full_; }
  bool Inside(int64_t x, int64_t y) const {
    const Vec v{i128(2 * x + 1 - cx2_), i128(cy2_ - 2 * y - 1)};
    if (full_ || (v.x == 0 && v.y == 0)) return true;
    if (sweep_ > 0) return Cross(s_, v) >= 0 && Cross(v, e_) >= 0;
    if (sweep_ < 0) return Cross(s_, v) >= 0 || Cross(v, e_) >= 0;
    return Cross(s_, v) >= 0;   // half the ellipse
  }
  // Pixel columns near where the lines of both rays and the centre column meet row y.
  void Candidates(int64_t y, std::vector<int64_t>& out) const {
    const long double yv = static_cast<long double>(cy2_ - 2 * y - 1);
    const long double centre = static_cast<long double>(cx2_ - 1) / 2;
    auto around = [&out](long double p) {
      if (!std::isfinite(p) || p > 4e18L || p < -4e18L) return;
      const int64_t f = int64_t(std::floor(p));
      for (int64_t d = -1; d <= 2; ++d) out.push_back(f + d);
    };
    around(centre);
    for (const Vec& r : {s_, e_})
      if (r.y != 0)
        around(centre + static_cast<long double>(r.x) * yv / static_cast<long double>(r.y) / 2);
  }

 private:
  Vec Dir(TPoint p) const {
    Vec v{i128(2 * int64_t(p.X) - cx2_), i128(cy2_ - 2 * int64_t(p.Y))};
    if (v.x == 0 && v.y == 0) v.x = 1;   // a point at the centre points along the x axis
    return v;
  }
  int64_t cx2_, cy2_;
  Vec s_, e_;
  i128 sweep_ = 0;
  bool full_ = false;
};

}  // namespace

void ScanPie(const TRect& box, TPoint start, TPoint end, RowWindow rows, SpanSink& sink) {
  const EllipseRows e(box);
  if (e.Empty()) return;
  const PieTest pie(box, start, end);
  if (pie.Full()) {
    ScanEllipse(box, rows, sink);
    return;
  }
  RunMerger out(sink);
  std::vector<int64_t> cand;
  std::vector<Integer> xs;
  const RowRange range = Clip(box.Top, box.Bottom, rows);
  for (int64_t y = range.begin; y < range.end; ++y) {
    int64_t a, b;
    if (!e.Row(y, a, b)) continue;
    // Membership can change only next to a candidate, so testing each candidate decides
    // the whole stretch up to the next one.
    cand.clear();
    cand.push_back(a);
    pie.Candidates(y, cand);
    for (int64_t& c : cand) c = std::clamp(c, a, b);
    std::sort(cand.begin(), cand.end());
    cand.erase(std::unique(cand.begin(), cand.end()), cand.end());
    xs.clear();
    bool inside = false;
    for (int64_t c : cand) {
      const bool now = c < b && pie.Inside(c, y);
      if (now != inside) {
        xs.push_back(Integer(c));
        inside = now;
      }
    }
    if (inside) xs.push_back(Integer(b));
    out.Row(y, xs.data(), xs.size());
  }
}

void SpanCollector::Rows(Integer top, Integer bottom, const Integer* xs, size_t count) {
  for (int64_t y = top; y < bottom; ++y)
    for (size_t i = 0; i + 1 < count; i += 2) Spans.push_back({Integer(y), xs[i], xs[i + 1]});
}

std::vector<Span> PolygonSpans(const std::vector<std::vector<TPoint>>& polygons, PolyFillMode mode,
                               RowWindow rows) {
  std::vector<TPoint> points;
  std::vector<Integer> counts;
  for (const auto& p : polygons) {
    points.insert(points.end(), p.begin(), p.end());
    counts.push_back(Integer(p.size()));
  }
  SpanCollector c;
  ScanPolygons({points.data(), counts.data(), counts.size()}, mode, rows, c);
  return std::move(c.Spans);
}

std::vector<Span> EllipseSpans(const TRect& box, RowWindow rows) {
  SpanCollector c;
  ScanEllipse(box, rows, c);
  return std::move(c.Spans);
}

std::vector<Span> EllipseOutlineSpans(const TRect& box, RowWindow rows) {
  SpanCollector c;
  ScanEllipseOutline(box, rows, c);
  return std::move(c.Spans);
}

std::vector<Span> RoundRectSpans(const TRect& box, Integer ellipseWidth, Integer ellipseHeight,
                                 RowWindow rows) {
  SpanCollector c;
  ScanRoundRect(box, ellipseWidth, ellipseHeight, rows, c);
  return std::move(c.Spans);
}

std::vector<Span> PieSpans(const TRect& box, TPoint start, TPoint end, RowWindow rows) {
  SpanCollector c;
  ScanPie(box, start, end, rows, c);
  return std::move(c.Spans);
}
