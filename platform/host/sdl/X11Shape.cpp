#include "platform/host/sdl/X11Shape.h"

#if TL_HOST_XSHAPE
#include <X11/Xlib.h>
#include <X11/extensions/shape.h>

#include <algorithm>

bool X11CanShape(_XDisplay* display) {
  int event = 0, error = 0;
  return display && XShapeQueryExtension(display, &event, &error) != 0;
}

void X11ShapeWindow(_XDisplay* display, unsigned long window, const std::vector<TRect>* rects) {
  if (!display || !window) return;
  if (!rects) {
    XShapeCombineMask(display, window, ShapeBounding, 0, 0, None, ShapeSet);
    return;
  }
  // The protocol carries 16-bit rectangles.
  const auto coord = [](Integer v) { return short(std::clamp<Integer>(v, -32768, 32767)); };
  const auto extent = [](Integer v) { return static_cast<unsigned short>(std::clamp<Integer>(v, 0, 65535)); };
  std::vector<XRectangle> shown;
  for (const TRect& r : *rects) shown.push_back({coord(r.Left), coord(r.Top), extent(r.Width()), extent(r.Height())});
  XShapeCombineRectangles(display, window, ShapeBounding, 0, 0, shown.data(), int(shown.size()), ShapeSet, Unsorted);
}
#else
bool X11CanShape(_XDisplay*) { return false; }
void X11ShapeWindow(_XDisplay*, unsigned long, const std::vector<TRect>*) {}
#endif
