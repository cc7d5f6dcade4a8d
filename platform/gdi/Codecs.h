// Image codecs: BMP (read and write, our own code) and PNG (through libpng), between bytes
// in memory and a plain image buffer. Decoders meet malformed input with an error message,
// never a crash: every size, offset and product is checked, and images larger than the caps
// below are refused before anything is allocated for them.
#pragma once

#include "platform/kernel/Types.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct DecodedImage {
  Integer Width = 0, Height = 0;
  std::vector<Pixel> Pixels;    // 0x00RRGGBB, rows top to bottom
  bool HasAlpha = false;
  std::vector<uint8_t> Alpha;   // one byte per pixel when HasAlpha, 255 = opaque
};

struct DecodeResult {
  bool Ok = false;
  std::string Error;            // why decoding failed; empty when Ok
  bool OutOfMemory = false;     // failed only for want of memory (Error "out of memory")
  DecodedImage Image;
};

struct EncodeResult {
  bool Ok = false;
  std::string Error;
  std::vector<uint8_t> Bytes;
};

// Decoders refuse images wider or taller than kMaxImageSide or with more than kMaxImagePixels
// pixels (4096 x 4096), whatever the file's size: a few bytes of run-length data can declare
// any size. A failed allocation is a failed call, never an exception.
inline constexpr Integer kMaxImageSide = 32768;
inline constexpr int64_t kMaxImagePixels = int64_t(1) << 24;

// A Windows bitmap file ("BM" header) with 1, 4, 8, 16, 24 or 32 bits per pixel:
// uncompressed, bit fields (16 and 32 bits) or run-length encoded (8 and 4 bits), stored
// bottom-up or top-down. HasAlpha is set only when the header declares an alpha mask.
DecodeResult DecodeBmp(const uint8_t* data, size_t size);
// A PNG file of any colour type and depth; HasAlpha when it has an alpha channel or a
// transparency chunk.
DecodeResult DecodePng(const uint8_t* data, size_t size);
// Either format, told apart by its signature.
DecodeResult DecodeImage(const uint8_t* data, size_t size);

// bitsPerPixel is 24 or 32. At 32 bits an image with alpha gets a header that declares its
// alpha mask, so DecodeBmp gives the alpha back.
EncodeResult EncodeBmp(const DecodedImage& image, int bitsPerPixel = 24);
EncodeResult EncodePng(const DecodedImage& image);

// Checks a PNG's chunk structure without decoding its pixels: the signature, a header chunk
// first, every chunk inside the data with its CRC right, image data present, the end chunk
// last. Cheap next to decoding; what it passes may still hold pixel data that does not
// inflate, which only decoding finds.
bool CheckPngChunks(const uint8_t* data, size_t size, std::string& why);

// Reads a PNG's rows one at a time, top to bottom, holding one row of state rather than the
// image. It takes only the files whose rows it gives exactly as DecodePng does (8 bits per
// channel, RGB or RGBA, not interlaced, no transparency chunk, a gamma near sRGB's); Open
// refuses the others with Supported() false, and DecodePng is the way for them. The data
// must outlive the reader.
class PngRowReader {
 public:
  PngRowReader() = default;
  ~PngRowReader();
  PngRowReader(const PngRowReader&) = delete;
  PngRowReader& operator=(const PngRowReader&) = delete;

  // Reads the header; false with Error() when the data is not a PNG or fails, false with
  // Supported() false (and no error) when it is one this reader does not take.
  bool Open(const uint8_t* data, size_t size);
  bool Supported() const { return supported_; }
  const std::string& Error() const { return error_; }
  Integer Width() const { return width_; }
  Integer Height() const { return height_; }
  bool HasAlpha() const { return alpha_; }
  bool IsOpen() const { return state_ != nullptr; }
  // The row the next call reads.
  Integer NextRow() const { return next_; }
  // Decodes the next row: Width() pixels into Pixels and, when Alpha is given and the image
  // has alpha, Width() bytes into Alpha. Pixels nullptr skips the row. False with Error()
  // on bad data or past the last row; the reader is then done.
  bool ReadRow(Pixel* Pixels, uint8_t* Alpha);

  // Frees the decoding state; IsOpen() is false after.
  void Close();

  struct State;  // libpng's, known to the codec only

 private:
  State* state_ = nullptr;
  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
  bool supported_ = false;
  std::string error_;
  Integer width_ = 0, height_ = 0, next_ = 0;
  bool alpha_ = false;
};
