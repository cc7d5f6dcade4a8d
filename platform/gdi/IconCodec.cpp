// Icon files: a directory of images, each a PNG or a bottom-up device-independent bitmap
// whose declared height covers its colour rows and its AND-mask rows together.
#include "platform/gdi/PictureCodecs.h"

#include <cstring>
#include <new>

namespace {

uint16_t Get16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t Get32(const uint8_t* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
void Put16(std::vector<uint8_t>& v, uint32_t x) {
  v.push_back(uint8_t(x));
  v.push_back(uint8_t(x >> 8));
}
void Put32(std::vector<uint8_t>& v, uint32_t x) {
  Put16(v, x & 0xFFFF);
  Put16(v, x >> 16);
}

DecodeResult Fail(std::string why) {
  DecodeResult r;
  r.Error = std::move(why);
  return r;
}

constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

DecodeResult DecodeDib(const uint8_t* p, size_t size) {
  if (size < 40) return Fail("icon image header is cut short");
  const uint32_t headerSize = Get32(p);
  if (headerSize < 40 || headerSize > size) return Fail("icon image header has a bad size");
  const int64_t w = int32_t(Get32(p + 4));
  const int64_t fullH = int32_t(Get32(p + 8));
  const unsigned bpp = Get16(p + 14);
  const uint32_t compression = Get32(p + 16);
  const uint32_t clrUsed = Get32(p + 32);
  if (compression != 0) return Fail("compressed icon images are not supported");
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32)
    return Fail("icon image has " + std::to_string(bpp) + " bits per pixel");
  const int64_t h = fullH / 2;
  std::string why;
  if (!PictureSizeAllowed(w, h, why)) return Fail(why);
  uint64_t colours = 0;
  if (bpp <= 8) {
    colours = clrUsed ? clrUsed : (1u << bpp);
    if (colours > 256) return Fail("icon image has too many palette entries");
  }
  const uint64_t xorStride = (uint64_t(w) * bpp + 31) / 32 * 4;
  const uint64_t andStride = (uint64_t(w) + 31) / 32 * 4;
  const uint64_t paletteAt = headerSize;
  const uint64_t xorAt = paletteAt + colours * 4;
  const uint64_t andAt = xorAt + xorStride * uint64_t(h);
  if (andAt > size) return Fail("icon image data is cut short");
  // A 32-bit image may leave its mask out; it then relies on its alpha alone.
  const bool hasMask = andAt + andStride * uint64_t(h) <= size;
  if (!hasMask && bpp != 32) return Fail("icon mask is cut short");

  DecodeResult r;
  try {
    r.Image.Pixels.assign(size_t(w) * size_t(h), 0);
    r.Image.Alpha.assign(size_t(w) * size_t(h), 255);
  } catch (const std::bad_alloc&) {
    r = Fail("out of memory");
    r.OutOfMemory = true;
    return r;
  }
  r.Image.Width = Integer(w);
  r.Image.Height = Integer(h);
  r.Image.HasAlpha = true;
  bool anyAlpha = false;
  for (int64_t y = 0; y < h; ++y) {
    const uint8_t* row = p + xorAt + uint64_t(h - 1 - y) * xorStride;
    Pixel* dst = r.Image.Pixels.data() + size_t(y) * size_t(w);
    uint8_t* alpha = r.Image.Alpha.data() + size_t(y) * size_t(w);
    for (int64_t x = 0; x < w; ++x) {
      switch (bpp) {
        case 32: {
          const uint8_t* q = row + x * 4;
          dst[x] = (Pixel(q[2]) << 16) | (Pixel(q[1]) << 8) | q[0];
          alpha[x] = q[3];
          anyAlpha = anyAlpha || q[3] != 0;
          break;
        }
        case 24: {
          const uint8_t* q = row + x * 3;
          dst[x] = (Pixel(q[2]) << 16) | (Pixel(q[1]) << 8) | q[0];
          break;
        }
        default: {
          const uint64_t bit = uint64_t(x) * bpp;
          const unsigned shift = 8 - bpp - unsigned(bit % 8);
          const unsigned index = (row[bit / 8] >> shift) & ((1u << bpp) - 1);
          if (index < colours) {
            const uint8_t* q = p + paletteAt + index * 4;
            dst[x] = (Pixel(q[2]) << 16) | (Pixel(q[1]) << 8) | q[0];
          }
          break;
        }
      }
    }
  }
  // A 32-bit image with alpha keeps it; otherwise the mask decides, set bits transparent.
  if (!(bpp == 32 && anyAlpha)) {
    for (int64_t y = 0; y < h; ++y) {
      uint8_t* alpha = r.Image.Alpha.data() + size_t(y) * size_t(w);
      if (!hasMask) {
        std::memset(alpha, 255, size_t(w));
        continue;
      }
      const uint8_t* row = p + andAt + uint64_t(h - 1 - y) * andStride;
      for (int64_t x = 0; x < w; ++x) alpha[x] = (row[x / 8] & (0x80 >> (x % 8))) ? 0 : 255;
    }
  }
  r.Ok = true;
  return r;
}

}  // namespace

DecodeResult DecodeIcon(const uint8_t* data, size_t size) {
  if (size < 6 || Get16(data) != 0 || Get16(data + 2) != 1) return Fail("not an icon file");
  const size_t count = Get16(data + 4);
  if (count == 0) return Fail("icon file holds no image");
  if (6 + count * 16 > size) return Fail("icon directory is cut short");
  size_t best = count;
  int64_t bestArea = -1;
  unsigned bestBpp = 0;
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* e = data + 6 + i * 16;
    const uint32_t bytes = Get32(e + 8), offset = Get32(e + 12);
    if (bytes == 0 || offset > size || bytes > size - offset) continue;
    const int64_t area = int64_t(e[0] ? e[0] : 256) * (e[1] ? e[1] : 256);
    const unsigned bpp = Get16(e + 6);
    if (area > bestArea || (area == bestArea && bpp > bestBpp)) {
      best = i;
      bestArea = area;
      bestBpp = bpp;
    }
  }
  if (best == count) return Fail("no icon image lies inside the file");
  const uint8_t* e = data + 6 + best * 16;
  const uint8_t* image = data + Get32(e + 12);
  const size_t bytes = Get32(e + 8);
  if (bytes >= 8 && std::memcmp(image, kPngSignature, 8) == 0) {
    DecodeResult r = DecodePng(image, bytes);
    if (r.Ok && !r.Image.HasAlpha) {
      try {
        r.Image.Alpha.assign(r.Image.Pixels.size(), 255);
      } catch (const std::bad_alloc&) {
        r = Fail("out of memory");
        r.OutOfMemory = true;
        return r;
      }
      r.Image.HasAlpha = true;
    }
    return r;
  }
  return DecodeDib(image, bytes);
}

EncodeResult EncodeIcon(const DecodedImage& image) {
  EncodeResult r;
  const size_t count = size_t(image.Width) * size_t(image.Height);
  if (image.Width <= 0 || image.Height <= 0 || image.Width > 256 || image.Height > 256) {
    r.Error = "icon images are 1 to 256 pixels on a side";
    return r;
  }
  if (image.Pixels.size() != count || (image.HasAlpha && image.Alpha.size() != count)) {
    r.Error = "image size does not match its pixels";
    return r;
  }
  const uint32_t w = uint32_t(image.Width), h = uint32_t(image.Height);
  const uint32_t andStride = (w + 31) / 32 * 4;
  const uint32_t bytes = 40 + w * h * 4 + andStride * h;
  std::vector<uint8_t>& out = r.Bytes;
  out.reserve(6 + 16 + bytes);
  Put16(out, 0);
  Put16(out, 1);
  Put16(out, 1);
  out.push_back(uint8_t(w == 256 ? 0 : w));
  out.push_back(uint8_t(h == 256 ? 0 : h));
  out.push_back(0);
  out.push_back(0);
  Put16(out, 1);
  Put16(out, 32);
  Put32(out, bytes);
  Put32(out, 22);
  Put32(out, 40);
  Put32(out, w);
  Put32(out, h * 2);
  Put16(out, 1);
  Put16(out, 32);
  for (int i = 0; i < 6; ++i) Put32(out, 0);
  for (uint32_t y = h; y-- > 0;) {
    for (uint32_t x = 0; x < w; ++x) {
      const Pixel p = image.Pixels[size_t(y) * w + x];
      out.push_back(uint8_t(p));
      out.push_back(uint8_t(p >> 8));
      out.push_back(uint8_t(p >> 16));
      out.push_back(image.HasAlpha ? image.Alpha[size_t(y) * w + x] : 255);
    }
  }
  for (uint32_t y = h; y-- > 0;) {
    std::vector<uint8_t> row(andStride, 0);
    for (uint32_t x = 0; x < w; ++x)
      if (image.HasAlpha && image.Alpha[size_t(y) * w + x] < 128) row[x / 8] |= uint8_t(0x80 >> (x % 8));
    out.insert(out.end(), row.begin(), row.end());
  }
  r.Ok = true;
  return r;
}
