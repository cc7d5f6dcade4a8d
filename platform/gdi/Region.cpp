#include "platform/gdi/Region.h"

#include "platform/gdi/ScanConvert.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace {

// Whether op keeps a pixel that is in a (inA) and in b (inB).
template <RegionOp Op>
constexpr bool Keeps(bool inA, bool inB) {
  if constexpr (Op == RegionOp::And) return inA && inB;
  else if constexpr (Op == RegionOp::Or) return inA || inB;
  else if constexpr (Op == RegionOp::Xor) return inA != inB;
  else return inA && !inB;
}

// The end of the band starting at rects[i]: the first rect with another top.
size_t BandEnd(const TRect* rects, size_t n, size_t i) {
  const Integer top = rects[i].Top;
  size_t j = i + 1;
  while (j < n && rects[j].Top == top) ++j;
  return j;
}

// Writes canonical bands straight into a rectangle list, joining each band with the one above
// when they touch and hold the same x intervals. A rect that would pass maxRects is dropped and
// marks the writer full; the list never holds room for more.
class BandWriter {
 public:
  explicit BandWriter(std::vector<TRect>& out, size_t maxRects = SIZE_MAX) : out_(out), max_(maxRects) {}
  void Open(Integer top, Integer bottom) {
    top_ = top;
    bottom_ = bottom;
    start_ = out_.size();
  }
  void Add(Integer l, Integer r) {
    if (out_.size() == out_.capacity() && !Grow()) return;
    out_.push_back({l, top_, r, bottom_});
  }
  bool Full() const { return full_; }
  // Adds [l, r) joining it to the band's last rect when they touch.
  void Merge(Integer l, Integer r) {
    if (out_.size() > start_ && out_.back().Right >= l) {
      out_.back().Right = std::max(out_.back().Right, r);
      return;
    }
    Add(l, r);
  }
  void Close() {
    const size_t n = out_.size() - start_;
    if (n == 0) return;
    if (prevStart_ != kNone && start_ - prevStart_ == n && out_[prevStart_].Bottom == top_) {
      bool same = true;
      for (size_t i = 0; i < n && same; ++i)
        same = out_[prevStart_ + i].Left == out_[start_ + i].Left && out_[prevStart_ + i].Right == out_[start_ + i].Right;
      if (same) {   // vertically adjacent and identical: grow the band above
        for (size_t i = prevStart_; i < start_; ++i) out_[i].Bottom = bottom_;
        out_.resize(start_);
        return;
      }
    }
    prevStart_ = start_;
  }

 private:
  bool Grow() {
    if (out_.size() >= max_) {
      full_ = true;
      return false;
    }
    out_.reserve(std::min(max_, std::max<size_t>(16, 2 * out_.capacity())));
    return true;
  }
  static constexpr size_t kNone = ~size_t(0);
  std::vector<TRect>& out_;
  size_t max_;
  bool full_ = false;
  Integer top_ = 0, bottom_ = 0;
  size_t start_ = 0, prevStart_ = kNone;
};

// The x intervals of one band of a and one of b (each sorted, apart, not touching) combined.
template <RegionOp Op>
void CombineBand(const TRect* a, const TRect* ae, const TRect* b, const TRect* be, BandWriter& w) {
  if constexpr (Op == RegionOp::And) {
    while (a != ae && b != be) {
      const Integer l = std::max(a->Left, b->Left), r = std::min(a->Right, b->Right);
      if (l < r) w.Add(l, r);
      if (a->Right < b->Right) ++a;
      else ++b;
    }
  } else if constexpr (Op == RegionOp::Or) {
    // The open interval [l, r) stays in registers until a gap closes it.
    const TRect* t = a->Left <= b->Left ? a++ : b++;
    Integer l = t->Left, r = t->Right;
    while (a != ae && b != be) {
      t = a->Left <= b->Left ? a++ : b++;
      if (t->Left <= r) {
        r = std::max(r, t->Right);
      } else {
        w.Add(l, r);
        l = t->Left;
        r = t->Right;
      }
    }
    // One side is left: past the open interval its rects stand apart as they are.
    const TRect* rest = a != ae ? a : b;
    const TRect* restEnd = a != ae ? ae : be;
    for (; rest != restEnd && rest->Left <= r; ++rest) r = std::max(r, rest->Right);
    w.Add(l, r);
    for (; rest != restEnd; ++rest) w.Add(rest->Left, rest->Right);
  } else if constexpr (Op == RegionOp::Diff) {
    for (; a != ae; ++a) {
      Integer l = a->Left;
      const Integer r = a->Right;
      while (b != be && b->Right <= l) ++b;
      for (const TRect* c = b; c != be && c->Left < r; ++c) {
        if (c->Left > l) w.Add(l, c->Left);
        l = std::max(l, c->Right);
        if (l >= r) break;
      }
      if (l < r) w.Add(l, r);
    }
  } else {   // Xor: walk both sides' boundaries; each toggles its side's membership once
    bool inA = false, inB = false, inside = false;
    bool atRightA = false, atRightB = false;   // the next boundary of a side is a Right
    Integer start = 0;
    while (a != ae || b != be) {
      const Integer xa = a != ae ? (atRightA ? a->Right : a->Left) : INT32_MAX;
      const Integer xb = b != be ? (atRightB ? b->Right : b->Left) : INT32_MAX;
      const Integer x = std::min(xa, xb);
      if (a != ae && xa == x) {
        inA = !atRightA;
        if (atRightA) ++a;
        atRightA = !atRightA;
      }
      if (b != be && xb == x) {
        inB = !atRightB;
        if (atRightB) ++b;
        atRightB = !atRightB;
      }
      const bool now = inA != inB;
      if (now != inside) {
        if (now) start = x;
        else w.Add(start, x);
        inside = now;
      }
    }
  }
}

// False, with out partly written, when the result would hold more than maxRects rects: the
// sweep stops at the band that passes it.
template <RegionOp Op>
bool CombineRects(const std::vector<TRect>& va, const std::vector<TRect>& vb, std::vector<TRect>& out,
                  size_t maxRects) {
  // Splitting bands can add rects; room for twice the inputs avoids most regrowth.
  out.reserve(std::min(maxRects, Op == RegionOp::And || Op == RegionOp::Diff ? va.size() + vb.size()
                                                                             : 2 * (va.size() + vb.size())));
  BandWriter w(out, maxRects);
  const TRect* A = va.data();
  const TRect* B = vb.data();
  const size_t na = va.size(), nb = vb.size();
  size_t ia = 0, ib = 0;
  size_t ea = BandEnd(A, na, 0), eb = BandEnd(B, nb, 0);
  Integer y = std::min(A[0].Top, B[0].Top);
  while (ia < na || ib < nb) {
    const bool activeA = ia < na && A[ia].Top <= y;
    const bool activeB = ib < nb && B[ib].Top <= y;
    // The next y where either side's membership may change.
    int64_t next = INT64_MAX;
    if (ia < na) next = std::min<int64_t>(next, activeA ? A[ia].Bottom : A[ia].Top);
    if (ib < nb) next = std::min<int64_t>(next, activeB ? B[ib].Bottom : B[ib].Top);
    const Integer yNext = Integer(next);
    if (activeA && activeB) {
      w.Open(y, yNext);
      CombineBand<Op>(A + ia, A + ea, B + ib, B + eb, w);
      w.Close();
    } else if (activeA && Keeps<Op>(true, false)) {
      w.Open(y, yNext);
      for (size_t i = ia; i < ea; ++i) w.Add(A[i].Left, A[i].Right);
      w.Close();
    } else if (activeB && Keeps<Op>(false, true)) {
      w.Open(y, yNext);
      for (size_t i = ib; i < eb; ++i) w.Add(B[i].Left, B[i].Right);
      w.Close();
    }
    if (w.Full()) return false;
    y = yNext;
    if (ia < na && A[ia].Bottom <= y) {
      ia = ea;
      if (ia < na) ea = BandEnd(A, na, ia);
    }
    if (ib < nb && B[ib].Bottom <= y) {
      ib = eb;
      if (ib < nb) eb = BandEnd(B, nb, ib);
    }
    // Past the end of one side only the other can add anything.
    if constexpr (Op == RegionOp::And) {
      if (ia >= na || ib >= nb) break;
    } else if constexpr (Op == RegionOp::Diff) {
      if (ia >= na) break;
    }
  }
  return true;
}

Integer Clamp32(int64_t v) {
  return Integer(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

}  // namespace

// ---- RegionBuilder ----

void RegionBuilder::Rows(Integer top, Integer bottom, const Integer* xs, size_t count) {
  if (stopped_) return;
  if (haveBand_) top = std::max(top, rects_.back().Bottom);
  if (top >= bottom || count < 2) return;
  if (haveBand_ && rects_.back().Bottom == top && rects_.size() - bandStart_ == count / 2) {
    bool same = true;
    for (size_t i = 0; i < count / 2 && same; ++i) {
      const TRect& r = rects_[bandStart_ + i];
      same = r.Left == xs[2 * i] && r.Right == xs[2 * i + 1];
    }
    if (same) {   // vertically adjacent and identical: grow the band instead of adding one
      for (size_t i = bandStart_; i < rects_.size(); ++i) rects_[i].Bottom = bottom;
      return;
    }
  }
  size_t added = 0;
  for (size_t i = 0; i + 1 < count; i += 2) added += xs[i] < xs[i + 1];
  if (added > maxRects_ - rects_.size()) {
    stopped_ = true;
    std::vector<TRect>().swap(rects_);
    bandStart_ = 0;
    haveBand_ = false;
    return;
  }
  // Grown by hand so the room held never passes the limit.
  if (rects_.size() + added > rects_.capacity())
    rects_.reserve(std::min(maxRects_, std::max(2 * rects_.capacity(), rects_.size() + added)));
  bandStart_ = rects_.size();
  for (size_t i = 0; i + 1 < count; i += 2)
    if (xs[i] < xs[i + 1]) rects_.push_back({xs[i], top, xs[i + 1], bottom});
  haveBand_ = rects_.size() > bandStart_;
  if (!haveBand_) bandStart_ = rects_.size();
}

Region RegionBuilder::Finish() {
  Region r;
  r.rects_ = std::move(rects_);
  rects_.clear();
  bandStart_ = 0;
  haveBand_ = false;
  stopped_ = false;
  return r;
}

// ---- Region ----

Region::Region(const TRect& r) {
  if (!r.IsEmpty()) rects_.push_back(r);
}

bool Region::ShapeFits(const TRect& b) {
  return int64_t(b.Right) - b.Left <= MaxShapeExtent && int64_t(b.Bottom) - b.Top <= MaxShapeExtent;
}

TRect Region::Bounds() const {
  if (rects_.empty()) return {};
  TRect b{rects_.front().Left, rects_.front().Top, rects_.front().Right, rects_.back().Bottom};
  for (const TRect& r : rects_) {
    b.Left = std::min(b.Left, r.Left);
    b.Right = std::max(b.Right, r.Right);
  }
  return b;
}

int Region::Complexity() const {
  if (rects_.empty()) return 1;
  return rects_.size() == 1 ? 2 : 3;
}

bool Region::Contains(Integer x, Integer y) const {
  // Bottoms never decrease along the list, so the first rect ending below y starts its band.
  auto it = std::upper_bound(rects_.begin(), rects_.end(), y,
                             [](Integer v, const TRect& r) { return v < r.Bottom; });
  if (it == rects_.end() || it->Top > y) return false;
  const Integer top = it->Top;
  auto end = std::find_if(it, rects_.end(), [top](const TRect& r) { return r.Top != top; });
  auto hit = std::upper_bound(it, end, x, [](Integer v, const TRect& r) { return v < r.Right; });
  return hit != end && hit->Left <= x;
}

bool Region::Intersects(const TRect& in) const {
  TRect r{std::min(in.Left, in.Right), std::min(in.Top, in.Bottom), std::max(in.Left, in.Right),
          std::max(in.Top, in.Bottom)};
  if (r.IsEmpty()) return false;
  auto it = std::upper_bound(rects_.begin(), rects_.end(), r.Top,
                             [](Integer v, const TRect& q) { return v < q.Bottom; });
  for (; it != rects_.end() && it->Top < r.Bottom; ++it)
    if (it->Left < r.Right && it->Right > r.Left) return true;
  return false;
}

void Region::Offset(Integer dx, Integer dy) {
  if (rects_.empty() || (dx == 0 && dy == 0)) return;
  const TRect b = Bounds();
  const bool fits = int64_t(b.Left) + dx >= INT32_MIN && int64_t(b.Right) + dx <= INT32_MAX &&
                    int64_t(b.Top) + dy >= INT32_MIN && int64_t(b.Bottom) + dy <= INT32_MAX;
  if (fits) {
    for (TRect& r : rects_) r = {r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy};
    return;
  }
  // Clamping can squash rectangles flat or make bands meet; rebuild the canonical form.
  std::vector<TRect> moved;
  moved.reserve(rects_.size());
  for (const TRect& r : rects_)
    moved.push_back({Clamp32(int64_t(r.Left) + dx), Clamp32(int64_t(r.Top) + dy),
                     Clamp32(int64_t(r.Right) + dx), Clamp32(int64_t(r.Bottom) + dy)});
  *this = FromRects(moved);
}

Region Region::Combine(const Region& a, const Region& b, RegionOp op) {
  return *CombineUpTo(a, b, op, SIZE_MAX);
}

std::optional<Region> Region::BoundedCombine(const Region& a, const Region& b, RegionOp op) {
  return CombineUpTo(a, b, op, MaxRects);
}

std::optional<Region> Region::CombineUpTo(const Region& a, const Region& b, RegionOp op, size_t maxRects) {
  if (op == RegionOp::Copy) return a;
  // Quick answers that skip the sweep.
  if (a.IsEmpty()) return (op == RegionOp::Or || op == RegionOp::Xor) ? b : Region();
  if (b.IsEmpty()) return op == RegionOp::And ? Region() : a;

  Region r;
  bool done = true;
  switch (op) {
    case RegionOp::And: done = CombineRects<RegionOp::And>(a.rects_, b.rects_, r.rects_, maxRects); break;
    case RegionOp::Or: done = CombineRects<RegionOp::Or>(a.rects_, b.rects_, r.rects_, maxRects); break;
    case RegionOp::Xor: done = CombineRects<RegionOp::Xor>(a.rects_, b.rects_, r.rects_, maxRects); break;
    case RegionOp::Diff: done = CombineRects<RegionOp::Diff>(a.rects_, b.rects_, r.rects_, maxRects); break;
    case RegionOp::Copy: break;
  }
  if (!done) return std::nullopt;
  return r;
}

Region Region::Intersected(const TRect& r) const {
  return Combine(*this, Region(r), RegionOp::And);
}

Region Region::FromRects(const std::vector<TRect>& rects) {
  std::vector<TRect> rs;
  rs.reserve(rects.size());
  for (const TRect& r : rects)
    if (!r.IsEmpty()) rs.push_back(r);
  if (rs.size() <= 1) return rs.empty() ? Region() : Region(rs[0]);
  // A sweep down the rects' tops and bottoms. The active rects are kept in x order, so each
  // band is one pass joining overlapping intervals. Rects starting on one row arrive sorted
  // by x and are merged in at once: inserting them one by one would cost the active count
  // each, n^2 for n rects over one another.
  const auto byLeft = [](const TRect& p, const TRect& q) { return p.Left < q.Left; };
  std::sort(rs.begin(), rs.end(), [](const TRect& p, const TRect& q) {
    return p.Top != q.Top ? p.Top < q.Top : p.Left < q.Left;
  });
  Region out;
  out.rects_.reserve(rs.size());
  BandWriter w(out.rects_);
  std::vector<TRect> active;
  size_t next = 0;
  Integer y = rs[0].Top;
  while (true) {
    active.erase(std::remove_if(active.begin(), active.end(), [y](const TRect& r) { return r.Bottom <= y; }),
                 active.end());
    const size_t kept = active.size();
    for (; next < rs.size() && rs[next].Top <= y; ++next) active.push_back(rs[next]);
    std::inplace_merge(active.begin(), active.begin() + std::ptrdiff_t(kept), active.end(), byLeft);
    if (active.empty()) {
      if (next == rs.size()) break;
      y = rs[next].Top;
      continue;
    }
    Integer yNext = next < rs.size() ? rs[next].Top : INT32_MAX;
    for (const TRect& r : active) yNext = std::min(yNext, r.Bottom);
    w.Open(y, yNext);
    for (const TRect& r : active) w.Merge(r.Left, r.Right);
    w.Close();
    y = yNext;
  }
  return out;
}

Region Region::FromRects(const std::vector<TRect>& rects, const TRect& within) {
  std::vector<TRect> cut;
  cut.reserve(rects.size());
  for (const TRect& r : rects) {
    const TRect c{std::max(r.Left, within.Left), std::max(r.Top, within.Top),
                  std::min(r.Right, within.Right), std::min(r.Bottom, within.Bottom)};
    if (!c.IsEmpty()) cut.push_back(c);
  }
  return FromRects(cut);
}

Region Region::Ellipse(const TRect& bounds) {
  if (bounds.IsEmpty() || !ShapeFits(bounds)) return {};
  RegionBuilder b;
  ScanEllipse(bounds, {}, b);
  return b.Finish();
}

Region Region::RoundRect(const TRect& bounds, Integer ellipseWidth, Integer ellipseHeight) {
  if (bounds.IsEmpty() || !ShapeFits(bounds)) return {};
  RegionBuilder b;
  ScanRoundRect(bounds, ellipseWidth, ellipseHeight, {}, b);
  return b.Finish();
}

namespace {

// Hands on the runs of a scan cut to the columns [left, right).
class ColumnCut final : public SpanSink {
 public:
  ColumnCut(SpanSink& to, Integer left, Integer right) : to_(to), left_(left), right_(right) {}
  bool Stopped() const override { return to_.Stopped(); }
  void Rows(Integer top, Integer bottom, const Integer* xs, size_t count) override {
    cut_.clear();
    for (size_t i = 0; i + 1 < count; i += 2) {
      const Integer l = std::max(xs[i], left_), r = std::min(xs[i + 1], right_);
      if (l < r) cut_.insert(cut_.end(), {l, r});
    }
    if (!cut_.empty()) to_.Rows(top, bottom, cut_.data(), cut_.size());
  }

 private:
  SpanSink& to_;
  Integer left_, right_;
  std::vector<Integer> cut_;
};

// The points and per-polygon counts of polygons, as the scan takes them.
struct FlatPolygons {
  std::vector<TPoint> Points;
  std::vector<Integer> Counts;
  TRect Box{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
  explicit FlatPolygons(const std::vector<std::vector<TPoint>>& polygons) {
    for (const auto& poly : polygons) {
      for (const TPoint& p : poly) {
        Points.push_back(p);
        Box = {std::min(Box.Left, p.X), std::min(Box.Top, p.Y), std::max(Box.Right, p.X),
               std::max(Box.Bottom, p.Y)};
      }
      Counts.push_back(Integer(poly.size()));
    }
  }
  PolygonSet Set() const { return {Points.data(), Counts.data(), Counts.size()}; }
};

}  // namespace

std::optional<Region> Region::ScanUpTo(const std::vector<std::vector<TPoint>>& polygons, PolyFillMode mode,
                                       const TRect* within, size_t maxRects, size_t maxCrossings) {
  if (within && within->IsEmpty()) return Region();
  const FlatPolygons flat(polygons);
  if (flat.Points.empty() || (!within && !ShapeFits(flat.Box))) return Region();
  RegionBuilder b(maxRects);
  bool done;
  if (within) {
    ColumnCut cut(b, within->Left, within->Right);
    done = ScanPolygons(flat.Set(), mode, {within->Top, within->Bottom}, cut, maxCrossings);
  } else {
    done = ScanPolygons(flat.Set(), mode, {}, b, maxCrossings);
  }
  if (!done) return std::nullopt;
  return b.Finish();
}

Region Region::Polygon(const std::vector<std::vector<TPoint>>& polygons, PolyFillMode mode,
                       const TRect& within) {
  return *ScanUpTo(polygons, mode, &within, SIZE_MAX, SIZE_MAX);
}

Region Region::Polygon(const std::vector<std::vector<TPoint>>& polygons, PolyFillMode mode) {
  return *ScanUpTo(polygons, mode, nullptr, SIZE_MAX, SIZE_MAX);
}

std::optional<Region> Region::BoundedPolygon(const std::vector<std::vector<TPoint>>& polygons,
                                             PolyFillMode mode, const TRect* within) {
  return ScanUpTo(polygons, mode, within, MaxRects, MaxScanCrossings);
}
