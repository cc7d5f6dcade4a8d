// The screen host's shape of a window cut to a region: the screen window shows the part of
// the platform window from an offset (its frame is left out under a window manager), so
// the region is moved by that offset and cut to what is shown.
#pragma once

#include "platform/gdi/Region.h"

#include <vector>

inline std::vector<TRect> ShownShape(const Region& region, TPoint offset, int width, int height) {
  Region shown = region;
  shown.Offset(-offset.X, -offset.Y);
  return Region::Combine(shown, Region(TRect{0, 0, width, height}), RegionOp::And).Rects();
}
