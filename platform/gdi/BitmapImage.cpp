#include "platform/gdi/BitmapImage.h"

#include <new>

HBITMAP CreateBitmapFromImage(const DecodedImage& image, HBITMAP* mask) {
  if (mask) *mask = nullptr;
  const Integer w = image.Width, h = image.Height;
  if (w <= 0 || h <= 0 || image.Pixels.size() != size_t(w) * size_t(h)) return nullptr;
  HBITMAP bmp = CreateBitmap(w, h, 1, 32, nullptr);
  BitmapObject* b = BitmapFromHandle(bmp);
  if (!b) return nullptr;
  Surface& s = *b->Pixels;
  for (Integer y = 0; y < h; ++y)
    for (Integer x = 0; x < w; ++x) s.Row(y)[x] = image.Pixels[size_t(y) * size_t(w) + size_t(x)] & kPixelMask;
  const bool alpha = image.HasAlpha && image.Alpha.size() == image.Pixels.size();
  if (mask && alpha) {
    *mask = CreateBitmap(w, h, 1, 1, nullptr);
    if (BitmapObject* m = BitmapFromHandle(*mask)) {
      for (Integer y = 0; y < h; ++y)
        for (Integer x = 0; x < w; ++x)
          m->Pixels->Row(y)[x] = image.Alpha[size_t(y) * size_t(w) + size_t(x)] < 128 ? kPixelMask : 0;
    }
  }
  return bmp;
}

bool ImageFromBitmap(HBITMAP bitmap, DecodedImage& out) {
  BitmapObject* b = BitmapFromHandle(bitmap);
  if (!b || !b->Pixels) return false;
  const Surface& s = *b->Pixels;
  out = DecodedImage{};
  out.Width = s.Width();
  out.Height = s.Height();
  try {
    out.Pixels.resize(size_t(s.Width()) * size_t(s.Height()));
  } catch (const std::bad_alloc&) {
    out = DecodedImage{};
    return false;
  }
  for (Integer y = 0; y < s.Height(); ++y)
    for (Integer x = 0; x < s.Width(); ++x) out.Pixels[size_t(y) * size_t(s.Width()) + size_t(x)] = s.At(x, y);
  return true;
}
