#include "platform/gdi/Codecs.h"

#include <png.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <new>

namespace {

// ---- little-endian access with bounds checks ----

uint16_t U16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t U32(const uint8_t* p) {
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

DecodeResult OutOfMemory() {
  DecodeResult r = Fail("out of memory");
  r.OutOfMemory = true;
  return r;
}

EncodeResult EncodeFail(std::string why) {
  EncodeResult r;
  r.Error = std::move(why);
  return r;
}

// Frees libpng's state on every way out, an allocation failure of ours included; freeing
// twice is harmless.
struct PngImageGuard {
  png_image* img;
  ~PngImageGuard() { png_image_free(img); }
};

// Checks a size against the caps; fills `why` when it is refused.
bool SizeAllowed(int64_t w, int64_t h, std::string& why) {
  if (w <= 0 || h <= 0) {
    why = "image has no pixels (" + std::to_string(w) + " x " + std::to_string(h) + ")";
    return false;
  }
  if (w > kMaxImageSide || h > kMaxImageSide || w * h > kMaxImagePixels) {
    why = "image too large (" + std::to_string(w) + " x " + std::to_string(h) + ")";
    return false;
  }
  return true;
}

// One colour channel of a bit-field pixel, scaled to 8 bits.
struct Channel {
  uint32_t mask = 0;
  int shift = 0, bits = 0;
  bool Set(uint32_t m) {
    mask = m;
    shift = bits = 0;
    if (m == 0) return true;
    while (!((m >> shift) & 1)) ++shift;
    const uint64_t v = uint64_t(m) >> shift;
    while (bits < 32 && ((v >> bits) & 1)) ++bits;
    return (v >> bits) == 0;   // contiguous
  }
  uint8_t Get(uint32_t px) const {
    if (bits == 0) return 0;
    const uint32_t v = (px & mask) >> shift;
    if (bits >= 8) return uint8_t(v >> (bits - 8));
    const uint32_t max = (1u << bits) - 1;
    return uint8_t((v * 255 + max / 2) / max);
  }
};

enum : uint32_t { kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitfields = 3, kBiAlphaBitfields = 6 };

class BmpDecoder {
 public:
  BmpDecoder(const uint8_t* d, size_t n) : d_(d), n_(n) {}

  DecodeResult Run() {
    if (!d_ || n_ < 18 || d_[0] != 'B' || d_[1] != 'M') return Fail("not a BMP file");
    const uint32_t offBits = U32(d_ + 10);
    const uint32_t headerSize = U32(d_ + 14);
    int64_t width, height;
    uint32_t bpp, compression = kBiRgb, clrUsed = 0;
    size_t paletteEntry = 4;
    bool haveHeaderMasks = false;
    if (headerSize == 12) {
      if (n_ < 26) return Fail("BMP header truncated");
      width = U16(d_ + 18);
      height = U16(d_ + 20);
      bpp = U16(d_ + 24);
      paletteEntry = 3;
    } else if (headerSize == 40 || headerSize == 52 || headerSize == 56 || headerSize == 108 ||
               headerSize == 124) {
      if (n_ < 14 + uint64_t(headerSize)) return Fail("BMP header truncated");
      width = int32_t(U32(d_ + 18));
      height = int32_t(U32(d_ + 22));
      bpp = U16(d_ + 28);
      compression = U32(d_ + 30);
      clrUsed = U32(d_ + 46);
      haveHeaderMasks = headerSize >= 52;
    } else {
      return Fail("unsupported BMP header size " + std::to_string(headerSize));
    }
    topDown_ = height < 0;
    if (topDown_) height = -height;
    std::string why;
    if (!SizeAllowed(width, height, why)) return Fail(why);
    w_ = width;
    h_ = height;
    bpp_ = bpp;

    uint64_t pos = 14 + uint64_t(headerSize);
    // Channel masks.
    uint32_t masks[4] = {0, 0, 0, 0};
    if (compression == kBiBitfields || compression == kBiAlphaBitfields) {
      if (bpp != 16 && bpp != 32) return Fail("bit fields need 16 or 32 bits per pixel");
      const int count = compression == kBiAlphaBitfields ? 4 : 3;
      if (haveHeaderMasks) {
        for (int i = 0; i < count && 40 + 4 * i + 4 <= int(headerSize); ++i) masks[i] = U32(d_ + 54 + 4 * i);
        if (headerSize >= 56) masks[3] = U32(d_ + 66);
      } else {
        if (pos + 4 * uint64_t(count) > n_) return Fail("BMP bit-field masks truncated");
        for (int i = 0; i < count; ++i) masks[i] = U32(d_ + pos + 4 * i);
        pos += 4 * uint64_t(count);
      }
    } else if (compression == kBiRgb && bpp == 16) {
      masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
    } else if (compression == kBiRgb && bpp == 32) {
      masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;
    }
    for (int i = 0; i < 4; ++i)
      if (!ch_[i].Set(masks[i])) return Fail("BMP bit-field masks must be contiguous");
    hasAlpha_ = masks[3] != 0;

    switch (compression) {
      case kBiRgb:
        if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
          return Fail("unsupported BMP depth " + std::to_string(bpp));
        break;
      case kBiRle8:
        if (bpp != 8) return Fail("8-bit run-length data needs 8 bits per pixel");
        break;
      case kBiRle4:
        if (bpp != 4) return Fail("4-bit run-length data needs 4 bits per pixel");
        break;
      case kBiBitfields:
      case kBiAlphaBitfields:
        break;
      default:
        return Fail("unsupported BMP compression " + std::to_string(compression));
    }

    // Colour table.
    if (bpp <= 8) {
      const uint32_t full = 1u << bpp;
      uint64_t count = (clrUsed == 0 || clrUsed > full) ? full : clrUsed;
      // Writers often store a shorter table than the depth implies; the pixel offset tells.
      if (offBits >= pos) count = std::min<uint64_t>(count, (offBits - pos) / paletteEntry);
      if (pos + uint64_t(count) * paletteEntry > n_) return Fail("BMP colour table truncated");
      palette_.resize(full, 0);   // indices past the table show black
      for (uint64_t i = 0; i < count; ++i) {
        const uint8_t* p = d_ + pos + i * paletteEntry;
        palette_[i] = (Pixel(p[2]) << 16) | (Pixel(p[1]) << 8) | p[0];
      }
    }
    if (offBits >= n_) return Fail("BMP pixel data missing");
    const bool rle = compression == kBiRle8 || compression == kBiRle4;
    // Plain rows must all be present before a buffer of the declared size is made.
    if (!rle && offBits + Stride() * uint64_t(h_) > n_) return Fail("BMP pixel data truncated");

    img_.Width = Integer(w_);
    img_.Height = Integer(h_);
    img_.Pixels.assign(size_t(w_ * h_), 0);
    if (hasAlpha_) img_.Alpha.assign(size_t(w_ * h_), 255);
    img_.HasAlpha = hasAlpha_;

    std::string err;
    if (rle) {
      if (topDown_) return Fail("run-length BMP data cannot be stored top-down");
      err = DecodeRle(offBits, compression == kBiRle4);
    } else {
      err = DecodePlain(offBits);
    }
    if (!err.empty()) return Fail(err);
    DecodeResult r;
    r.Ok = true;
    r.Image = std::move(img_);
    return r;
  }

 private:
  size_t OutRow(int64_t y) const { return size_t(topDown_ ? y : h_ - 1 - y); }

  uint64_t Stride() const { return ((uint64_t(w_) * bpp_ + 31) / 32) * 4; }

  std::string DecodePlain(uint64_t off) {
    const uint64_t stride = Stride();
    for (int64_t y = 0; y < h_; ++y) {
      const uint8_t* row = d_ + off + uint64_t(y) * stride;
      Pixel* out = &img_.Pixels[OutRow(y) * size_t(w_)];
      uint8_t* alpha = hasAlpha_ ? &img_.Alpha[OutRow(y) * size_t(w_)] : nullptr;
      for (int64_t x = 0; x < w_; ++x) {
        switch (bpp_) {
          case 1: out[x] = palette_[(row[x >> 3] >> (7 - (x & 7))) & 1]; break;
          case 4: out[x] = palette_[(row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15]; break;
          case 8: out[x] = palette_[row[x]]; break;
          case 24: {
            const uint8_t* p = row + 3 * x;
            out[x] = (Pixel(p[2]) << 16) | (Pixel(p[1]) << 8) | p[0];
            break;
          }
          default: {
            const uint32_t v = bpp_ == 16 ? U16(row + 2 * x) : U32(row + 4 * x);
            out[x] = (Pixel(ch_[0].Get(v)) << 16) | (Pixel(ch_[1].Get(v)) << 8) | ch_[2].Get(v);
            if (alpha) alpha[x] = ch_[3].Get(v);
          }
        }
      }
    }
    return {};
  }

  // Run-length data: pairs (count, index) or escapes 0/0 end of line, 0/1 end of bitmap,
  // 0/2 dx dy move, 0/n n literal indices padded to a 16-bit boundary. Pixels placed
  // outside the image are dropped; pixels never reached stay black.
  std::string DecodeRle(uint64_t p, bool four) {
    int64_t x = 0, y = 0;
    auto put = [&](uint32_t index) {
      if (x < w_ && y < h_) img_.Pixels[OutRow(y) * size_t(w_) + size_t(x)] = palette_[index];
      ++x;
    };
    while (true) {
      if (p + 2 > n_) return "BMP run-length data ends early";
      const uint8_t a = d_[p], b = d_[p + 1];
      p += 2;
      if (a > 0) {
        for (uint32_t i = 0; i < a && x < w_; ++i) put(four ? ((i & 1) ? (b & 15) : (b >> 4)) : b);
        continue;
      }
      if (b == 0) {
        x = 0;
        ++y;
      } else if (b == 1) {
        return {};
      } else if (b == 2) {
        if (p + 2 > n_) return "BMP run-length data ends early";
        x += d_[p];
        y += d_[p + 1];
        p += 2;
      } else {
        const uint64_t bytes = four ? (uint64_t(b) + 1) / 2 : b;
        if (p + bytes > n_) return "BMP run-length data ends early";
        for (uint32_t i = 0; i < b; ++i) {
          const uint8_t v = d_[p + (four ? i / 2 : i)];
          if (x < w_) put(four ? ((i & 1) ? (v & 15) : (v >> 4)) : v);
        }
        p += (bytes + 1) & ~uint64_t(1);
      }
      if (y >= h_) return {};   // moved past the last row: nothing more can show
    }
  }

  const uint8_t* d_;
  size_t n_;
  int64_t w_ = 0, h_ = 0;
  uint32_t bpp_ = 0;
  bool topDown_ = false, hasAlpha_ = false;
  Channel ch_[4];
  std::vector<Pixel> palette_;
  DecodedImage img_;
};

bool ValidForEncoding(const DecodedImage& img, std::string& why) {
  if (!SizeAllowed(img.Width, img.Height, why)) return false;
  const size_t count = size_t(img.Width) * size_t(img.Height);
  if (img.Pixels.size() != count) {
    why = "pixel buffer does not match the image size";
    return false;
  }
  if (img.HasAlpha && img.Alpha.size() != count) {
    why = "alpha buffer does not match the image size";
    return false;
  }
  return true;
}

}  // namespace

DecodeResult DecodeBmp(const uint8_t* data, size_t size) {
  try {
    return BmpDecoder(data, size).Run();
  } catch (const std::bad_alloc&) {
    return OutOfMemory();
  }
}

namespace {
DecodeResult decodePng(const uint8_t* data, size_t size) {
  if (!data || size < 8 || png_sig_cmp(data, 0, 8) != 0) return Fail("not a PNG file");
  // libpng's memory reader confines its error jumps to its own frames and frees what it
  // allocated on failure, so no libpng error can unwind through ours.
  png_image img;
  std::memset(&img, 0, sizeof img);
  img.version = PNG_IMAGE_VERSION;
  PngImageGuard guard{&img};
  if (!png_image_begin_read_from_memory(&img, data, size)) {
    std::string why = std::string("PNG: ") + img.message;
    png_image_free(&img);
    return Fail(why);
  }
  std::string why;
  if (!SizeAllowed(img.width, img.height, why)) {
    png_image_free(&img);
    return Fail(why);
  }
  const bool alpha = (img.format & PNG_FORMAT_FLAG_ALPHA) != 0;
  img.format = PNG_FORMAT_BGRA;
  std::vector<uint8_t> buf(size_t(img.width) * img.height * 4);
  if (!png_image_finish_read(&img, nullptr, buf.data(), 0, nullptr)) {
    why = std::string("PNG: ") + img.message;
    png_image_free(&img);
    return Fail(why);
  }
  png_image_free(&img);
  DecodeResult r;
  r.Ok = true;
  r.Image.Width = Integer(img.width);
  r.Image.Height = Integer(img.height);
  r.Image.HasAlpha = alpha;
  const size_t count = size_t(img.width) * img.height;
  r.Image.Pixels.resize(count);
  if (alpha) r.Image.Alpha.resize(count);
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* p = &buf[4 * i];
    r.Image.Pixels[i] = (Pixel(p[2]) << 16) | (Pixel(p[1]) << 8) | p[0];
    if (alpha) r.Image.Alpha[i] = p[3];
  }
  return r;
}

}  // namespace

DecodeResult DecodePng(const uint8_t* data, size_t size) {
  try {
    return decodePng(data, size);
  } catch (const std::bad_alloc&) {
    return OutOfMemory();
  }
}

DecodeResult DecodeImage(const uint8_t* data, size_t size) {
  if (data && size >= 2 && data[0] == 'B' && data[1] == 'M') return DecodeBmp(data, size);
  if (data && size >= 8 && png_sig_cmp(data, 0, 8) == 0) return DecodePng(data, size);
  return Fail("unknown image format");
}

namespace {
EncodeResult encodeBmp(const DecodedImage& img, int bitsPerPixel) {
  if (bitsPerPixel != 24 && bitsPerPixel != 32) return EncodeFail("BMP output needs 24 or 32 bits per pixel");
  std::string why;
  if (!ValidForEncoding(img, why)) return EncodeFail(why);
  const bool alpha = bitsPerPixel == 32 && img.HasAlpha;
  const uint32_t headerSize = alpha ? 108 : 40;
  const uint64_t stride = ((uint64_t(img.Width) * bitsPerPixel + 31) / 32) * 4;
  const uint64_t dataSize = stride * uint64_t(img.Height);
  const uint64_t offBits = 14 + uint64_t(headerSize);
  EncodeResult r;
  std::vector<uint8_t>& v = r.Bytes;
  v.reserve(size_t(offBits + dataSize));
  v.push_back('B');
  v.push_back('M');
  Put32(v, uint32_t(offBits + dataSize));
  Put32(v, 0);
  Put32(v, uint32_t(offBits));
  Put32(v, headerSize);
  Put32(v, uint32_t(img.Width));
  Put32(v, uint32_t(img.Height));   // positive: rows stored bottom-up
  Put16(v, 1);
  Put16(v, uint32_t(bitsPerPixel));
  Put32(v, alpha ? kBiBitfields : kBiRgb);
  Put32(v, uint32_t(dataSize));
  Put32(v, 3780);   // 96 DPI in pixels per metre
  Put32(v, 3780);
  Put32(v, 0);
  Put32(v, 0);
  if (alpha) {
    Put32(v, 0x00FF0000);
    Put32(v, 0x0000FF00);
    Put32(v, 0x000000FF);
    Put32(v, 0xFF000000);
    Put32(v, 0x73524742);   // colour space: sRGB
    v.resize(v.size() + 36 + 12, 0);   // end points and gamma, unused for sRGB
  }
  for (int64_t y = img.Height - 1; y >= 0; --y) {
    const Pixel* row = &img.Pixels[size_t(y) * size_t(img.Width)];
    const size_t start = v.size();
    for (int64_t x = 0; x < img.Width; ++x) {
      v.push_back(uint8_t(row[x]));
      v.push_back(uint8_t(row[x] >> 8));
      v.push_back(uint8_t(row[x] >> 16));
      if (bitsPerPixel == 32) v.push_back(alpha ? img.Alpha[size_t(y) * size_t(img.Width) + size_t(x)] : 0);
    }
    v.resize(start + size_t(stride), 0);
  }
  r.Ok = true;
  return r;
}

EncodeResult encodePng(const DecodedImage& img) {
  std::string why;
  if (!ValidForEncoding(img, why)) return EncodeFail(why);
  const int channels = img.HasAlpha ? 4 : 3;
  const size_t count = size_t(img.Width) * size_t(img.Height);
  std::vector<uint8_t> buf(count * size_t(channels));
  for (size_t i = 0; i < count; ++i) {
    uint8_t* p = &buf[i * size_t(channels)];
    p[0] = uint8_t(img.Pixels[i]);
    p[1] = uint8_t(img.Pixels[i] >> 8);
    p[2] = uint8_t(img.Pixels[i] >> 16);
    if (img.HasAlpha) p[3] = img.Alpha[i];
  }
  png_image pi;
  std::memset(&pi, 0, sizeof pi);
  pi.version = PNG_IMAGE_VERSION;
  PngImageGuard guard{&pi};
  pi.width = png_uint_32(img.Width);
  pi.height = png_uint_32(img.Height);
  pi.format = img.HasAlpha ? PNG_FORMAT_BGRA : PNG_FORMAT_BGR;
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&pi, nullptr, &size, 0, buf.data(), 0, nullptr)) {
    why = std::string("PNG: ") + pi.message;
    png_image_free(&pi);
    return EncodeFail(why);
  }
  EncodeResult r;
  r.Bytes.resize(size);
  if (!png_image_write_to_memory(&pi, r.Bytes.data(), &size, 0, buf.data(), 0, nullptr)) {
    why = std::string("PNG: ") + pi.message;
    png_image_free(&pi);
    return EncodeFail(why);
  }
  png_image_free(&pi);
  r.Bytes.resize(size);
  r.Ok = true;
  return r;
}
}  // namespace

EncodeResult EncodeBmp(const DecodedImage& img, int bitsPerPixel) {
  try {
    return encodeBmp(img, bitsPerPixel);
  } catch (const std::bad_alloc&) {
    return EncodeFail("out of memory");
  }
}

EncodeResult EncodePng(const DecodedImage& img) {
  try {
    return encodePng(img);
  } catch (const std::bad_alloc&) {
    return EncodeFail("out of memory");
  }
}

// ---- PNG chunks and rows ------------------------------------------------------------------------

namespace {

uint32_t BE32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

uint32_t Crc32(const uint8_t* p, size_t n) {
  static const auto table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[i] = c;
    }
    return t;
  }();
  uint32_t c = 0xFFFFFFFFu;
  for (size_t i = 0; i < n; ++i) c = table[(c ^ p[i]) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

}  // namespace

bool CheckPngChunks(const uint8_t* data, size_t size, std::string& why) {
  if (!data || size < 8 || png_sig_cmp(data, 0, 8) != 0) {
    why = "not a PNG file";
    return false;
  }
  size_t at = 8;
  bool idat = false;
  for (int index = 0;; ++index) {
    if (size - at < 12) {
      why = "PNG: data cut short";
      return false;
    }
    const uint32_t length = BE32(data + at);
    if (length > 0x7FFFFFFFu || size - at - 12 < length) {
      why = "PNG: data cut short";
      return false;
    }
    const uint8_t* type = data + at + 4;
    if (Crc32(type, size_t(length) + 4) != BE32(type + 4 + length)) {
      why = "PNG: chunk " + std::string(reinterpret_cast<const char*>(type), 4) + " is damaged (CRC)";
      return false;
    }
    const bool isHeader = std::memcmp(type, "IHDR", 4) == 0;
    if ((index == 0) != isHeader) {
      why = "PNG: the header chunk is not first";
      return false;
    }
    if (std::memcmp(type, "IDAT", 4) == 0) idat = true;
    at += 12 + size_t(length);
    if (std::memcmp(type, "IEND", 4) == 0) break;
  }
  if (!idat) {
    why = "PNG: no image data";
    return false;
  }
  return true;
}

// libpng reports errors by jumping back to the setjmp of the call that met them; every
// function below that calls into libpng sets one and holds no object with a destructor.
struct PngRowReader::State {
  png_structp png = nullptr;
  png_infop info = nullptr;
  size_t at = 0;                  // read position in the data
  const uint8_t* data = nullptr;
  size_t size = 0;
  char message[160] = {};
  std::vector<uint8_t> row;       // one decoded row, RGBA
};

namespace {

void RowReaderError(png_structp png, png_const_charp message) {
  auto* s = static_cast<PngRowReader::State*>(png_get_error_ptr(png));
  std::snprintf(s->message, sizeof s->message, "%s", message ? message : "error");
  png_longjmp(png, 1);
}

void RowReaderWarning(png_structp, png_const_charp) {}

void RowReaderRead(png_structp png, png_bytep out, png_size_t n) {
  auto* s = static_cast<PngRowReader::State*>(png_get_io_ptr(png));
  if (s->size - s->at < n) png_error(png, "data cut short");
  std::memcpy(out, s->data + s->at, n);
  s->at += n;
}

// Opens State on data and reads the header; returns 0, or 1 on a libpng error.
int RowReaderBegin(PngRowReader::State* s) {
  if (setjmp(png_jmpbuf(s->png))) return 1;
  png_set_read_fn(s->png, s, RowReaderRead);
  png_read_info(s->png, s->info);
  return 0;
}

int RowReaderRow(PngRowReader::State* s) {
  if (setjmp(png_jmpbuf(s->png))) return 1;
  png_read_row(s->png, s->row.data(), nullptr);
  return 0;
}

}  // namespace

PngRowReader::~PngRowReader() { Close(); }

void PngRowReader::Close() {
  if (!state_) return;
  png_destroy_read_struct(&state_->png, &state_->info, nullptr);
  delete state_;
  state_ = nullptr;
}

bool PngRowReader::Open(const uint8_t* data, size_t size) {
  Close();
  supported_ = false;
  error_.clear();
  width_ = height_ = next_ = 0;
  alpha_ = false;
  data_ = data;
  size_ = size;
  if (!data || size < 8 || png_sig_cmp(data, 0, 8) != 0) {
    error_ = "not a PNG file";
    return false;
  }
  try {
    state_ = new State;
    state_->data = data;
    state_->size = size;
    state_->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, state_, RowReaderError, RowReaderWarning);
    if (state_->png) state_->info = png_create_info_struct(state_->png);
    if (!state_->png || !state_->info) throw std::bad_alloc();
    if (RowReaderBegin(state_) != 0) {
      error_ = std::string("PNG: ") + state_->message;
      Close();
      return false;
    }
    png_uint_32 w = 0, h = 0;
    int depth = 0, type = 0, interlace = 0;
    png_get_IHDR(state_->png, state_->info, &w, &h, &depth, &type, &interlace, nullptr, nullptr);
    if (!SizeAllowed(w, h, error_)) {
      Close();
      return false;
    }
    width_ = Integer(w);
    height_ = Integer(h);
    // DecodePng's 8-bit output is sRGB: it changes the values of a file whose gamma is far
    // from sRGB's (1/2.2, as an sRGB chunk implies), and gives alpha to a transparency
    // chunk; such files, and any of another depth or layout, are left to it.
    png_fixed_point gamma = 0;
    const bool gammaFar = png_get_gAMA_fixed(state_->png, state_->info, &gamma) && gamma != 0 &&
                          (gamma < 43500 || gamma > 47500);
    if (depth != 8 || (type != PNG_COLOR_TYPE_RGB && type != PNG_COLOR_TYPE_RGB_ALPHA) ||
        interlace != PNG_INTERLACE_NONE || gammaFar || png_get_valid(state_->png, state_->info, PNG_INFO_tRNS)) {
      Close();
      return false;
    }
    alpha_ = type == PNG_COLOR_TYPE_RGB_ALPHA;
    state_->row.resize(size_t(w) * (alpha_ ? 4 : 3));
    supported_ = true;
    return true;
  } catch (const std::bad_alloc&) {
    Close();
    error_ = "out of memory";
    return false;
  }
}

bool PngRowReader::ReadRow(Pixel* Pixels, uint8_t* Alpha) {
  if (!state_) {
    if (error_.empty()) error_ = "PNG: no row to read";
    return false;
  }
  if (next_ >= height_) {
    error_ = "PNG: no row to read";
    Close();
    return false;
  }
  if (RowReaderRow(state_) != 0) {
    error_ = std::string("PNG: ") + state_->message;
    Close();
    return false;
  }
  ++next_;
  if (!Pixels) return true;
  const uint8_t* p = state_->row.data();
  const int step = alpha_ ? 4 : 3;
  for (Integer x = 0; x < width_; ++x, p += step) {
    Pixels[x] = Pixel(p[0]) << 16 | Pixel(p[1]) << 8 | p[2];
    if (alpha_ && Alpha) Alpha[x] = p[3];
  }
  return true;
}
