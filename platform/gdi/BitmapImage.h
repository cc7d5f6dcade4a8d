// Between decoded images (Codecs.h) and bitmaps.
#pragma once

#include "platform/gdi/Codecs.h"
#include "platform/gdi/Gdi.h"

// A 32-bit bitmap holding the image's colours (null when the image is empty or too large).
// When `mask` is given and the image has alpha, *mask receives a monochrome bitmap that is
// white (transparent) where alpha < 128, else *mask is null.
HBITMAP CreateBitmapFromImage(const DecodedImage& image, HBITMAP* mask = nullptr);
// The bitmap's pixels (monochrome bitmaps as black and white); false for a bad handle.
bool ImageFromBitmap(HBITMAP bitmap, DecodedImage& out);
