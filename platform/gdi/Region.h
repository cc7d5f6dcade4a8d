// A region: a set of pixels held as y-x banded rectangles (bands sorted by Top, rectangles
// in a band sorted by Left, no overlaps, adjacent equal bands merged, touching rectangles in a
// band coalesced). This canonical form makes equality a comparison of rectangle lists, and
// every operation costs in proportion to the number of rectangles, never the number of pixels.
#pragma once

#include "platform/kernel/Types.h"

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
  std::vector<TRect> rects_;   // canonical banded form
};
