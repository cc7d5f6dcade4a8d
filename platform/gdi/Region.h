// A region: a set of pixels held as y-x banded rectangles (bands sorted by Top, rectangles
// in a band sorted by Left, no overlaps, adjacent equal bands merged, touching rectangles in a
// band coalesced). This canonical form makes equality a comparison of rectangle lists, and
// every operation costs in proportion to the number of rectangles, never the number of pixels.
#pragma once

#include "platform/kernel/Types.h"

#include <cstddef>
#include <optional>
#include <vector>

enum class RegionOp { And, Or, Xor, Diff, Copy };   // RGN_AND .. RGN_COPY
enum class PolyFillMode { Alternate = 1, Winding = 2 };

class Region {
 public:
  Region() = default;
  explicit Region(const TRect& r);    // empty when r is empty or inverted

  static Region FromRects(const std::vector<TRect>& rects);   // union of arbitrary rectangles
  // The part of that union inside `within`. Overlapping rectangles can make a union of n of
  // them hold n^2 rectangles; cut to a box, it holds no more than the box's pixels allow.
  static Region FromRects(const std::vector<TRect>& rects, const TRect& within);
  // The pixels the platform fills for these shapes (right/bottom exclusive, as regions are).
  static Region Ellipse(const TRect& bounds);
  static Region RoundRect(const TRect& bounds, Integer ellipseWidth, Integer ellipseHeight);
  // Several polygons at once (PolyPolygon); each sub-list is closed implicitly.
  static Region Polygon(const std::vector<std::vector<TPoint>>& polygons, PolyFillMode mode);
  // Only the pixels of those polygons inside `within`, scanned over the box's rows alone: the
  // cost follows the box (its rows times the edges), however far the polygons reach, so no
  // MaxShapeExtent applies to them. A box taller than MaxShapeExtent gives an empty region.
  static Region Polygon(const std::vector<std::vector<TPoint>>& polygons, PolyFillMode mode,
                        const TRect& within);
  // Shapes whose bounding box is wider or taller than this give an empty region rather than
  // an unbounded amount of work; the handle API reports them as failures (ShapeFits tells).
  static constexpr Integer MaxShapeExtent = 1 << 20;
  static bool ShapeFits(const TRect& bounds);

  // The regions the handle calls build from outside input (polygons, paths, combinations)
  // hold at most MaxRects rectangles, 64 MB: a 4K screen in a one-pixel checkerboard needs
  // 4.15 million. A polygon scan also looks at no more than MaxScanCrossings edge crossings,
  // four per rectangle allowed (a rectangle costs two; edges drawn over one another cost
  // crossings but give none). Past either the build stops where it is and the call fails:
  // a region that would be huge costs what the limits allow, a fraction of a second.
  static constexpr size_t MaxRects = size_t(1) << 22;
  static constexpr size_t MaxScanCrossings = size_t(1) << 24;
  // Polygon() within the limits: nothing when the region would pass them.
  static std::optional<Region> BoundedPolygon(const std::vector<std::vector<TPoint>>& polygons,
                                              PolyFillMode mode, const TRect* within = nullptr);
  // Combine() within MaxRects: nothing when the result would hold more.
  static std::optional<Region> BoundedCombine(const Region& a, const Region& b, RegionOp op);

  bool IsEmpty() const { return rects_.empty(); }
  TRect Bounds() const;               // {0,0,0,0} when empty
  // NULLREGION = 1, SIMPLEREGION = 2, COMPLEXREGION = 3.
  int Complexity() const;
  const std::vector<TRect>& Rects() const { return rects_; }

  bool Contains(Integer x, Integer y) const;
  bool Intersects(const TRect& r) const;   // an inverted r is taken in normalised order

  // Coordinates that would leave the integer range are clamped to it.
  void Offset(Integer dx, Integer dy);
  // Result of combining a with b by op (Copy gives a).
  static Region Combine(const Region& a, const Region& b, RegionOp op);
  Region Intersected(const TRect& r) const;

  bool operator==(const Region& other) const { return rects_ == other.rects_; }

 private:
  friend class RegionBuilder;
  static std::optional<Region> ScanUpTo(const std::vector<std::vector<TPoint>>& polygons, PolyFillMode mode,
                                        const TRect* within, size_t maxRects, size_t maxCrossings);
  static std::optional<Region> CombineUpTo(const Region& a, const Region& b, RegionOp op, size_t maxRects);
  std::vector<TRect> rects_;   // canonical banded form
};
