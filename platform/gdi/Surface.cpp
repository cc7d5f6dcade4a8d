#include "platform/gdi/Surface.h"

#include "platform/gdi/Codecs.h"
#include "platform/gdi/PixelSpan.h"
#include "platform/kernel/Files.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

Surface::Surface(Integer width, Integer height, Pixel fill) {
  if (width <= 0 || height <= 0) return;
  const uint64_t count = uint64_t(width) * uint64_t(height);
  if (count > kMaxSurfacePixels) return;
  owned_.reset(new (std::nothrow) Pixel[size_t(count)]);
  if (!owned_) return;   // out of memory: an empty surface, so the call that wanted it fails
  top_ = owned_.get();
  width_ = width;
  height_ = height;
  stride_ = width;
  FillPixels(top_, size_t(count), fill & kPixelMask);
}

Surface Surface::Wrap(Pixel* topRow, Integer width, Integer height, Integer stridePixels) {
  Surface s;
  if (!topRow || width <= 0 || height <= 0) return s;
  s.top_ = topRow;
  s.width_ = width;
  s.height_ = height;
  s.stride_ = stridePixels;
  return s;
}

Surface Surface::Clone() const {
  Surface s(width_, height_);
  for (Integer y = 0; y < s.height_; ++y) std::memcpy(s.Row(y), Row(y), size_t(width_) * 4);
  return s;
}

void Surface::Fill(const TRect& r, Pixel p) {
  const Integer l = std::max(r.Left, 0), t = std::max(r.Top, 0);
  const Integer rr = std::min(r.Right, width_), b = std::min(r.Bottom, height_);
  if (l >= rr || t >= b) return;
  p &= kPixelMask;
  for (Integer y = t; y < b; ++y) FillPixels(Row(y) + l, size_t(rr - l), p);
}

void Surface::CopyFrom(const Surface& src, const TRect& from, Integer x, Integer y) {
  // Clip against the source, then against this surface, keeping the two in step.
  Integer sl = from.Left, st = from.Top, sr = from.Right, sb = from.Bottom;
  if (sl < 0) { x -= sl; sl = 0; }
  if (st < 0) { y -= st; st = 0; }
  sr = std::min(sr, src.width_);
  sb = std::min(sb, src.height_);
  if (x < 0) { sl -= x; x = 0; }
  if (y < 0) { st -= y; y = 0; }
  sr = std::min(sr, sl + (width_ - x));
  sb = std::min(sb, st + (height_ - y));
  if (sl >= sr || st >= sb) return;
  const size_t bytes = size_t(sr - sl) * 4;
  const bool upward = &src == this && y > st;
  for (Integer i = 0; i < sb - st; ++i) {
    const Integer k = upward ? sb - st - 1 - i : i;
    std::memmove(Row(y + k) + x, src.Row(st + k) + sl, bytes);
  }
}

bool SaveSurfacePng(const Surface& s, const std::string& path) {
  if (s.IsEmpty()) return false;
  DecodedImage img;
  img.Width = s.Width();
  img.Height = s.Height();
  img.Pixels.resize(size_t(s.Width()) * size_t(s.Height()));
  for (Integer y = 0; y < s.Height(); ++y)
    for (Integer x = 0; x < s.Width(); ++x) img.Pixels[size_t(y) * size_t(s.Width()) + size_t(x)] = s.At(x, y);
  const EncodeResult png = EncodePng(img);
  if (!png.Ok) return false;
  return ReplaceFileContents(path, png.Bytes.data(), png.Bytes.size()) == 0;
}
