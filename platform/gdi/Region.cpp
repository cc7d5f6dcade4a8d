#include "platform/gdi/Region.h"

#include "platform/gdi/ScanConvert.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace {

// One band of a canonical rectangle list: rects [first, last) share Top and Bottom.
struct Band {
  Integer top, bottom;
  size_t first, last;
};

std::vector<Band> BandsOf(const std::vector<TRect>& rects) {
  std::vector<Band> bands;
  size_t i = 0;
  while (i < rects.size()) {
    size_t j = i + 1;
    while (j < rects.size() && rects[j].Top == rects[i].Top) ++j;
    bands.push_back({rects[i].Top, rects[i].Bottom, i, j});
    i = j;
  }
  return bands;
}

bool Keeps(RegionOp op, bool inA, bool inB) {
  switch (op) {
    case RegionOp::And: return inA && inB;
    case RegionOp::Or: return inA || inB;
    case RegionOp::Xor: return inA != inB;
    case RegionOp::Diff: return inA && !inB;
    case RegionOp::Copy: return inA;
  }
  return false;
}

// Merges the x intervals of two bands by op into span pairs. Both inputs are sorted,
// disjoint and non-touching, so each boundary toggles its side's membership once.
void CombineIntervals(const TRect* a, size_t na, const TRect* b, size_t nb, RegionOp op,
                      std::vector<Integer>& out) {
  out.clear();
  size_t ia = 0, ib = 0;   // index into the 2n boundaries of each side
  const size_t ea = 2 * na, eb = 2 * nb;
  auto boundA = [&](size_t k) { return (k & 1) ? a[k / 2].Right : a[k / 2].Left; };
  auto boundB = [&](size_t k) { return (k & 1) ? b[k / 2].Right : b[k / 2].Left; };
  bool inside = false;
  while (ia < ea || ib < eb) {
    Integer x;
    if (ia < ea && (ib >= eb || boundA(ia) <= boundB(ib))) x = boundA(ia);
    else x = boundB(ib);
    while (ia < ea && boundA(ia) == x) ++ia;
    while (ib < eb && boundB(ib) == x) ++ib;
    // After passing boundary k, a side is inside exactly when k is odd (a Left was last).
    const bool now = Keeps(op, (ia & 1) != 0, (ib & 1) != 0);
    if (now != inside) {
      out.push_back(x);
      inside = now;
    }
  }
}

Integer Clamp32(int64_t v) {
  return Integer(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

}  // namespace

// ---- RegionBuilder ----

void RegionBuilder::Rows(Integer top, Integer bottom, const Integer* xs, size_t count) {
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
  if (op == RegionOp::Copy) return a;
  // Quick answers that skip the sweep.
  if (a.IsEmpty()) return (op == RegionOp::Or || op == RegionOp::Xor) ? b : Region();
  if (b.IsEmpty()) return op == RegionOp::And ? Region() : a;

  const std::vector<Band> ba = BandsOf(a.rects_), bb = BandsOf(b.rects_);
  RegionBuilder out;
  std::vector<Integer> xs;
  size_t ia = 0, ib = 0;
  Integer y = std::min(ba[0].top, bb[0].top);
  while (ia < ba.size() || ib < bb.size()) {
    const bool activeA = ia < ba.size() && ba[ia].top <= y;
    const bool activeB = ib < bb.size() && bb[ib].top <= y;
    // The next y where either side's membership may change.
    int64_t next = INT64_MAX;
    if (ia < ba.size()) next = std::min<int64_t>(next, activeA ? ba[ia].bottom : ba[ia].top);
    if (ib < bb.size()) next = std::min<int64_t>(next, activeB ? bb[ib].bottom : bb[ib].top);
    const Integer yNext = Integer(next);
    if (activeA || activeB) {
      const TRect* ra = activeA ? &a.rects_[ba[ia].first] : nullptr;
      const TRect* rb = activeB ? &b.rects_[bb[ib].first] : nullptr;
      CombineIntervals(ra, activeA ? ba[ia].last - ba[ia].first : 0, rb,
                       activeB ? bb[ib].last - bb[ib].first : 0, op, xs);
      out.Rows(y, yNext, xs.data(), xs.size());
    }
    y = yNext;
    if (ia < ba.size() && ba[ia].bottom <= y) ++ia;
    if (ib < bb.size() && bb[ib].bottom <= y) ++ib;
  }
  return out.Finish();
}

Region Region::Intersected(const TRect& r) const {
  return Combine(*this, Region(r), RegionOp::And);
}

Region Region::FromRects(const std::vector<TRect>& rects) {
  std::vector<Region> parts;
  parts.reserve(rects.size());
  for (const TRect& r : rects)
    if (!r.IsEmpty()) parts.emplace_back(r);
  if (parts.empty()) return {};
  // Pairwise unions, so n rectangles cost O(n log n) merges of growing size.
  while (parts.size() > 1) {
    std::vector<Region> merged;
    merged.reserve(parts.size() / 2 + 1);
    for (size_t i = 0; i + 1 < parts.size(); i += 2)
      merged.push_back(Combine(parts[i], parts[i + 1], RegionOp::Or));
    if (parts.size() & 1) merged.push_back(std::move(parts.back()));
    parts.swap(merged);
  }
  return std::move(parts.front());
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

Region Region::Polygon(const std::vector<std::vector<TPoint>>& polygons, PolyFillMode mode) {
  std::vector<TPoint> points;
  std::vector<Integer> counts;
  bool any = false;
  TRect box{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
  for (const auto& poly : polygons) {
    for (const TPoint& p : poly) {
      points.push_back(p);
      box = {std::min(box.Left, p.X), std::min(box.Top, p.Y), std::max(box.Right, p.X),
             std::max(box.Bottom, p.Y)};
      any = true;
    }
    counts.push_back(Integer(poly.size()));
  }
  if (!any || !ShapeFits(box)) return {};
  RegionBuilder b;
  ScanPolygons({points.data(), counts.data(), counts.size()}, mode, {}, b);
  return b.Finish();
}
