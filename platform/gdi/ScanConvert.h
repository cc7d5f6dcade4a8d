// Scan conversion shared by regions and the raster device: polygons, ellipses, round
// rectangles and pies become horizontal spans [X0, X1) per scanline.
// Polygon vertices name pixels, as the ends of lines do: pixel (x, y) is the point (x, y), and
// it belongs to a polygon when that point is inside. A point on a left edge or a top edge is
// in, one on a right or bottom edge out, so polygons that share an edge tile without gaps or
// double-filled pixels, and the pen's outline along a polygon's edges (its own pixels) meets
// the fill with no gap. Ellipses, round rectangles and pies are boxes: pixel (x, y) belongs to
// them when its centre (x + 0.5, y + 0.5) lies inside the shape inscribed in the box, so
// every shape stays right/bottom exclusive.
// All arithmetic is exact integer arithmetic, so results never depend on rounding.
#pragma once

#include "platform/gdi/Region.h"
#include "platform/kernel/Types.h"

#include <climits>
#include <cstddef>
#include <cstdint>
#include <vector>

struct Span {
  Integer Y = 0, X0 = 0, X1 = 0;   // pixels X0 .. X1-1 of row Y
  constexpr bool operator==(const Span&) const = default;
};

// Receives runs of rows [top, bottom) that all hold the same spans, top to bottom.
// xs holds `count` x values: spans [xs[0], xs[1]), [xs[2], xs[3]) ... sorted, disjoint and
// never touching. A run with count == 0 is never delivered.
class SpanSink {
 public:
  virtual void Rows(Integer top, Integer bottom, const Integer* xs, size_t count) = 0;
  // A sink that has taken all it can: a polygon scan hands it no more rows.
  virtual bool Stopped() const { return false; }

 protected:
  ~SpanSink() = default;
};

// The rows a conversion visits: only rows in [Begin, End) are produced. The raster device
// passes its surface's rows, so a huge shape costs only the visible part.
struct RowWindow {
  Integer Begin = INT_MIN, End = INT_MAX;
};

// Several polygons at once (PolyPolygon): `counts[i]` points each, taken in order from
// `points`. Each polygon is closed implicitly; polygons with fewer than 3 points add nothing.
// The counts must not add up to more points than `Points` holds (callers check this);
// a negative count is skipped.
struct PolygonSet {
  const TPoint* Points = nullptr;
  const Integer* Counts = nullptr;
  size_t PolygonCount = 0;
};

// False when the scan stopped before the end: the sink stopped, or the rows scanned would
// have looked at more than maxCrossings edge crossings in all (checked before each row).
bool ScanPolygons(const PolygonSet& polygons, PolyFillMode mode, RowWindow rows, SpanSink& sink,
                  size_t maxCrossings = SIZE_MAX);
// The filled ellipse inscribed in `box` (its right and bottom edges excluded).
void ScanEllipse(const TRect& box, RowWindow rows, SpanSink& sink);
// The one-pixel outline of that ellipse: its pixels with a 4-neighbour outside it.
void ScanEllipseOutline(const TRect& box, RowWindow rows, SpanSink& sink);
// A rectangle whose corners are quarters of an ellipseWidth x ellipseHeight ellipse
// (clamped to the rectangle; a zero or negative size gives square corners).
void ScanRoundRect(const TRect& box, Integer ellipseWidth, Integer ellipseHeight, RowWindow rows,
                   SpanSink& sink);
// The part of the filled ellipse swept counter-clockwise (as seen on screen) from the ray
// through `start` to the ray through `end`, both rays from the box's centre. Pixels on
// either ray belong to the pie. Equal directions give the whole ellipse.
void ScanPie(const TRect& box, TPoint start, TPoint end, RowWindow rows, SpanSink& sink);

// Convenience forms returning one Span per row and run.
std::vector<Span> PolygonSpans(const std::vector<std::vector<TPoint>>& polygons, PolyFillMode mode,
                               RowWindow rows = {});
std::vector<Span> EllipseSpans(const TRect& box, RowWindow rows = {});
std::vector<Span> EllipseOutlineSpans(const TRect& box, RowWindow rows = {});
std::vector<Span> RoundRectSpans(const TRect& box, Integer ellipseWidth, Integer ellipseHeight,
                                 RowWindow rows = {});
std::vector<Span> PieSpans(const TRect& box, TPoint start, TPoint end, RowWindow rows = {});

// Collects runs into Span lists (what the convenience forms use).
class SpanCollector final : public SpanSink {
 public:
  void Rows(Integer top, Integer bottom, const Integer* xs, size_t count) override;
  std::vector<Span> Spans;
};

// Builds a canonical region from runs delivered top to bottom. A run starting above the
// previous run's bottom is a caller error; its overlapping rows are dropped.
// A run that would take the region past maxRects rectangles stops the builder: what it held
// is freed, it takes no more, and Finish gives an empty region.
class RegionBuilder final : public SpanSink {
 public:
  explicit RegionBuilder(size_t maxRects = SIZE_MAX) : maxRects_(maxRects) {}
  void Rows(Integer top, Integer bottom, const Integer* xs, size_t count) override;
  bool Stopped() const override { return stopped_; }
  Region Finish();

 private:
  std::vector<TRect> rects_;
  size_t bandStart_ = 0;
  bool haveBand_ = false;
  size_t maxRects_;
  bool stopped_ = false;
};
