// JPEG through libjpeg. libjpeg reports fatal errors through a callback that must not
// return; it jumps back here with longjmp, so the code between setjmp and the library
// calls holds no object with a destructor of its own (the vectors live in the caller).
#include "platform/gdi/PictureCodecs.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <new>

#include <jpeglib.h>

namespace {

bool ResizeImage(DecodedImage& out, std::vector<uint8_t>& row, int64_t w, int64_t h, int comps) {
  try {
    out.Width = Integer(w);
    out.Height = Integer(h);
    out.Pixels.assign(size_t(w) * size_t(h), 0);
    row.assign(size_t(w) * size_t(comps), 0);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void ErrorExit(j_common_ptr info) {
  auto* err = reinterpret_cast<ErrorManager*>(info->err);
  info->err->format_message(info, err->message);
  std::longjmp(err->jump, 1);
}

// Warnings (a truncated stream, damaged entropy data) leave what was decoded; nothing is
// printed.
void OutputMessage(j_common_ptr) {}

// A progressive file can declare any number of scans, each a full pass over the
// coefficients; more than this many is refused rather than decoded for minutes.
constexpr int kMaxScans = 256;

void Progress(j_common_ptr info) {
  if (!info->is_decompressor) return;
  auto* d = reinterpret_cast<j_decompress_ptr>(info);
  if (d->input_scan_number > kMaxScans) {
    auto* err = reinterpret_cast<ErrorManager*>(info->err);
    std::snprintf(err->message, sizeof err->message, "too many scans");
    std::longjmp(err->jump, 1);
  }
}

struct DecodeState {
  jpeg_decompress_struct info;
  ErrorManager err;
  jpeg_progress_mgr progress;
};

// Fills out with RGB rows; false with why set on failure. No C++ object is made between
// setjmp and the end.
bool DecodeInto(DecodeState& s, const uint8_t* data, size_t size, DecodedImage& out,
                std::vector<JSAMPLE>& row, std::string& why, bool& oom) {
  s.info.err = jpeg_std_error(&s.err.pub);
  s.err.pub.error_exit = ErrorExit;
  s.err.pub.output_message = OutputMessage;
  s.err.message[0] = 0;
  if (setjmp(s.err.jump)) {
    why = s.err.message[0] ? s.err.message : "not a JPEG image";
    jpeg_destroy_decompress(&s.info);
    return false;
  }
  jpeg_create_decompress(&s.info);
  s.progress.progress_monitor = Progress;
  s.info.progress = &s.progress;
  jpeg_mem_src(&s.info, data, static_cast<unsigned long>(size));
  jpeg_read_header(&s.info, TRUE);
  if (!PictureSizeAllowed(s.info.image_width, s.info.image_height, why)) {
    jpeg_destroy_decompress(&s.info);
    return false;
  }
  if (s.info.jpeg_color_space == JCS_CMYK || s.info.jpeg_color_space == JCS_YCCK)
    s.info.out_color_space = JCS_CMYK;
  else
    s.info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&s.info);
  const int64_t w = s.info.output_width, h = s.info.output_height;
  const int comps = s.info.output_components;
  if (!PictureSizeAllowed(w, h, why) || (comps != 3 && comps != 4)) {
    if (why.empty()) why = "unsupported colour layout";
    jpeg_destroy_decompress(&s.info);
    return false;
  }
  if (!ResizeImage(out, row, w, h, comps)) {
    oom = true;
    why = "out of memory";
    jpeg_destroy_decompress(&s.info);
    return false;
  }
  while (s.info.output_scanline < s.info.output_height) {
    const JDIMENSION y = s.info.output_scanline;
    JSAMPROW rows[1] = {row.data()};
    if (jpeg_read_scanlines(&s.info, rows, 1) != 1) break;
    Pixel* dst = out.Pixels.data() + size_t(y) * size_t(w);
    const JSAMPLE* p = row.data();
    for (int64_t x = 0; x < w; ++x, p += comps) {
      if (comps == 3) {
        dst[x] = (Pixel(p[0]) << 16) | (Pixel(p[1]) << 8) | p[2];
      } else {
        // Adobe writes inverted CMYK; libjpeg hands it on as stored.
        const unsigned k = p[3];
        dst[x] = (Pixel(p[0] * k / 255) << 16) | (Pixel(p[1] * k / 255) << 8) | Pixel(p[2] * k / 255);
      }
    }
  }
  jpeg_finish_decompress(&s.info);
  jpeg_destroy_decompress(&s.info);
  return true;
}

struct EncodeState {
  jpeg_compress_struct info;
  ErrorManager err;
};

bool EncodeInto(EncodeState& s, const DecodedImage& image, int quality, bool grayscale,
                std::vector<JSAMPLE>& row, unsigned char** buffer, unsigned long* length, std::string& why) {
  s.info.err = jpeg_std_error(&s.err.pub);
  s.err.pub.error_exit = ErrorExit;
  s.err.pub.output_message = OutputMessage;
  s.err.message[0] = 0;
  if (setjmp(s.err.jump)) {
    why = s.err.message[0] ? s.err.message : "cannot write the JPEG image";
    jpeg_destroy_compress(&s.info);
    return false;
  }
  jpeg_create_compress(&s.info);
  jpeg_mem_dest(&s.info, buffer, length);
  s.info.image_width = JDIMENSION(image.Width);
  s.info.image_height = JDIMENSION(image.Height);
  s.info.input_components = grayscale ? 1 : 3;
  s.info.in_color_space = grayscale ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&s.info);
  jpeg_set_quality(&s.info, quality, TRUE);
  jpeg_start_compress(&s.info, TRUE);
  const size_t w = size_t(image.Width);
  while (s.info.next_scanline < s.info.image_height) {
    const Pixel* src = image.Pixels.data() + size_t(s.info.next_scanline) * w;
    for (size_t x = 0; x < w; ++x) {
      const Pixel p = src[x];
      const unsigned r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
      if (grayscale) {
        row[x] = JSAMPLE((r * 299 + g * 587 + b * 114 + 500) / 1000);
      } else {
        row[3 * x] = JSAMPLE(r);
        row[3 * x + 1] = JSAMPLE(g);
        row[3 * x + 2] = JSAMPLE(b);
      }
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&s.info, rows, 1);
  }
  jpeg_finish_compress(&s.info);
  jpeg_destroy_compress(&s.info);
  return true;
}

}  // namespace

bool PictureSizeAllowed(int64_t w, int64_t h, std::string& why) {
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

DecodeResult DecodeJpeg(const uint8_t* data, size_t size) {
  DecodeResult r;
  if (size < 4 || data[0] != 0xFF || data[1] != 0xD8) {
    r.Error = "not a JPEG image";
    return r;
  }
  DecodeState* s = new (std::nothrow) DecodeState();
  if (!s) {
    r.Error = "out of memory";
    r.OutOfMemory = true;
    return r;
  }
  std::vector<JSAMPLE> row;
  r.Ok = DecodeInto(*s, data, size, r.Image, row, r.Error, r.OutOfMemory);
  delete s;
  if (!r.Ok) r.Image = DecodedImage();
  return r;
}

EncodeResult EncodeJpeg(const DecodedImage& image, int quality, bool grayscale) {
  EncodeResult r;
  std::string why;
  if (!PictureSizeAllowed(image.Width, image.Height, why) ||
      image.Pixels.size() != size_t(image.Width) * size_t(image.Height)) {
    r.Error = why.empty() ? "image size does not match its pixels" : why;
    return r;
  }
  quality = quality < 1 ? 1 : quality > 100 ? 100 : quality;
  EncodeState* s = new (std::nothrow) EncodeState();
  std::vector<JSAMPLE> row;
  try {
    row.assign(size_t(image.Width) * 3, 0);
  } catch (const std::bad_alloc&) {
    delete s;
    s = nullptr;
  }
  if (!s) {
    r.Error = "out of memory";
    return r;
  }
  unsigned char* buffer = nullptr;
  unsigned long length = 0;
  r.Ok = EncodeInto(*s, image, quality, grayscale, row, &buffer, &length, r.Error);
  delete s;
  if (r.Ok) {
    try {
      r.Bytes.assign(buffer, buffer + length);
    } catch (const std::bad_alloc&) {
      r.Ok = false;
      r.Error = "out of memory";
    }
  }
  std::free(buffer);
  return r;
}
