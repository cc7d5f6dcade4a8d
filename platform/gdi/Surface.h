// A surface of 32-bit pixels (Pixel 0x00RRGGBB, bytes B,G,R,X in memory), the storage behind
// every bitmap and window. A surface either owns its pixels or wraps memory owned elsewhere
// (DIB sections, host frame buffers). Rows are `stride` pixels apart; a negative stride
// describes bottom-up memory, so row 0 is always the top row.
#pragma once

#include "platform/kernel/Types.h"

#include <memory>
#include <string>

inline constexpr Pixel kPixelMask = 0x00FFFFFF;
// The largest surface made (256 MB of pixels); bigger requests fail instead of aborting.
inline constexpr uint64_t kMaxSurfacePixels = uint64_t(1) << 26;

constexpr Pixel PixelFromColor(COLORREF c) {
  return Pixel(GetRValue(c)) << 16 | Pixel(GetGValue(c)) << 8 | Pixel(GetBValue(c));
}
constexpr COLORREF ColorFromPixel(Pixel p) {
  return RGB(Byte(p >> 16), Byte(p >> 8), Byte(p));
}

class Surface {
 public:
  Surface() = default;
  // Owning surface, every pixel `fill`. Negative or overflowing sizes give an empty surface.
  Surface(Integer width, Integer height, Pixel fill = 0);
  // Wraps external memory; `stridePixels` may be negative (bottom-up rows).
  static Surface Wrap(Pixel* topRow, Integer width, Integer height, Integer stridePixels);

  Surface(Surface&&) noexcept = default;
  Surface& operator=(Surface&&) noexcept = default;
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;
  Surface Clone() const;   // owning deep copy

  Integer Width() const { return width_; }
  Integer Height() const { return height_; }
  Integer Stride() const { return stride_; }          // in pixels
  bool IsEmpty() const { return width_ <= 0 || height_ <= 0; }
  bool OwnsPixels() const { return owned_ != nullptr; }
  TRect Bounds() const { return {0, 0, width_, height_}; }

  Pixel* Row(Integer y) { return top_ + std::ptrdiff_t(y) * stride_; }
  const Pixel* Row(Integer y) const { return top_ + std::ptrdiff_t(y) * stride_; }
  bool Contains(Integer x, Integer y) const {
    return unsigned(x) < unsigned(width_) && unsigned(y) < unsigned(height_);
  }
  // Checked access: outside the surface, At gives 0 and Set does nothing.
  Pixel At(Integer x, Integer y) const { return Contains(x, y) ? Row(y)[x] & kPixelMask : 0; }
  void Set(Integer x, Integer y, Pixel p) { if (Contains(x, y)) Row(y)[x] = p & kPixelMask; }

  // Rectangles are clipped to the surface; nothing happens for empty ones.
  void Fill(const TRect& r, Pixel p);
  void Fill(Pixel p) { Fill(Bounds(), p); }
  // Copies src's rectangle `from` to (x, y) here; src may be this surface (overlap is safe).
  void CopyFrom(const Surface& src, const TRect& from, Integer x, Integer y);

 private:
  std::unique_ptr<Pixel[]> owned_;
  Pixel* top_ = nullptr;
  Integer width_ = 0, height_ = 0, stride_ = 0;
};

// Writes the surface as an RGB PNG (test failure dumps). False with nothing left behind on error.
bool SaveSurfacePng(const Surface& s, const std::string& path);
