// Text turned into coverage: glyph images placed along a run, underline and strike-out
// rows, and rotation by the font's escapement. Device-free, so placement is testable.
#pragma once

#include "platform/gdi/FontEngine.h"

#include <vector>

// An 8-bit coverage mask whose pixel (0,0) lies at (Left, Top) relative to a reference point.
struct CoverageMask {
  Integer Left = 0, Top = 0, Width = 0, Height = 0;
  std::vector<Byte> Data;

  bool IsEmpty() const { return Width <= 0 || Height <= 0; }
  // Coverage at (x, y) relative to the reference point; 0 outside.
  Byte At(Integer x, Integer y) const;
  TRect Bounds() const { return {Left, Top, Left + Width, Top + Height}; }
};

// The glyphs of s[0..n) drawn with the given advances, the pen starting at (0,0) on the
// top of the cell (so the baseline is row `Ascent`), with underline and strike-out rows
// spanning the whole run when asked. With a window, only the columns window->Left ..
// window->Right - 1 are wanted: glyphs wholly outside are left out and the mask need not
// reach beyond it, so very long runs cost what their visible part costs.
CoverageMask RenderRun(FontInstance& font, const Byte* s, Integer n, const Integer* advances,
                       bool underline, bool strikeOut, const TRect* window = nullptr);

// The bounds, in text space, of a rectangle given relative to the reference point on the
// device, for text turned by `escapement`.
TRect TextSpaceBounds(const TRect& r, Integer escapement);

// A solid rectangle (e.g. the background cells of a run), as a mask.
CoverageMask SolidMask(const TRect& r);

// The mask turned counter-clockwise by `escapement` tenths of a degree about the
// reference point. Multiples of 90 degrees are exact pixel permutations; other angles
// take the nearest source pixel of each target pixel centre.
CoverageMask RotateMask(const CoverageMask& mask, Integer escapement);

// A text-space offset (x along the baseline, y down from it) turned by the escapement,
// rounded to whole pixels (exact for multiples of 90 degrees).
TPoint RotateOffset(Integer x, Integer y, Integer escapement);

// The outlines of s[0..n) with the given advances. In text space the run's cell starts at
// (offsetX, offsetY) from the reference point; the run is turned by the escapement about
// the reference point, which lies at (x, y).
void AppendRunOutline(FontInstance& font, const Byte* s, Integer n, const Integer* advances,
                      double x, double y, double offsetX, double offsetY, Integer escapement,
                      TextPath& path);
