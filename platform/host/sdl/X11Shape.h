// Cutting an X11 window to rectangles through the display's shape extension. Kept apart
// from the rest of the host: the extension's headers name a type as the platform's region.
#pragma once

#include "platform/kernel/Types.h"

#include <vector>

struct _XDisplay;

// Whether the display has the shape extension.
bool X11CanShape(_XDisplay* display);
// Cuts the window to `rects` (its own coordinates; none: nothing shows), or makes it whole
// again when `rects` is null.
void X11ShapeWindow(_XDisplay* display, unsigned long window, const std::vector<TRect>* rects);
