// Codecs of the picture kinds beside bitmaps: JPEG (through libjpeg) and icon files (our own
// code). Like the bitmap codecs they meet malformed input with an error, never a crash, and
// refuse images over the caps of Codecs.h before allocating anything for them.
#pragma once

#include "platform/gdi/Codecs.h"

// A baseline or progressive JPEG, grey or colour (RGB, YCbCr, CMYK and YCCK are converted).
// A stream that ends early or has damaged entropy data decodes as far as it goes, as
// libjpeg does; a broken header or a size over the caps is an error.
DecodeResult DecodeJpeg(const uint8_t* data, size_t size);
// Quality 1..100 (clamped). Grayscale writes one channel.
EncodeResult EncodeJpeg(const DecodedImage& image, int quality = 90, bool grayscale = false);

// An icon file (reserved 0, type 1, a directory of images). The largest image is read (the
// deepest colour among equals): a PNG or a device-independent bitmap of 1, 4, 8, 24 or 32
// bits with its AND mask. The result always has alpha: the 32-bit image's own when it has
// any, else opaque where the mask is clear.
DecodeResult DecodeIcon(const uint8_t* data, size_t size);
// One 32-bit image with its AND mask (set where alpha is below 128); at most 256 x 256.
EncodeResult EncodeIcon(const DecodedImage& image);

// The caps of Codecs.h as a check: false with why set for a size that has no pixels or is
// over them.
bool PictureSizeAllowed(int64_t w, int64_t h, std::string& why);
