// The total of picture pixels over the whole program. Each image is capped on its own
// (kMaxImagePixels), but a few hundred bytes of a compressed file can ask for an image at
// that cap, and a window description can copy one picture many times over (image lists,
// glyphs, controls that keep a copy of their picture), so without a total it could still
// ask for any amount of memory. Every store of picture pixels holds a share of this budget
// for as long as it holds them: decoded pictures, bitmaps and their copies, icons, the
// images of image lists. Past the budget the new pixels are refused.
//
// Outside it: scratch bitmaps (TScratchBitmap), which the program sizes itself for one
// paint or measurement, or as a cache of what a control draws on its own (text, frames),
// never of a picture. They cannot pile up by copying a picture.
#pragma once

#include "classlib/core/Exceptions.h"
#include "platform/gdi/Codecs.h"

#include <cstdint>

// Twice the largest single image: one picture at the per-image cap can always be loaded in
// place of another at the cap (the new pixels are decoded before the old ones are freed),
// while the decoded pictures of the whole program stay within 128 MB (4 bytes a pixel),
// some hundred times what the game's own pictures hold.
inline constexpr int64_t kDecodedPixelBudget = 2 * kMaxImagePixels;

// One graphic's share of the budget: taken when pixels are decoded, given back when they
// are freed (Release, assignment of another share, destruction). Move-only.
class TDecodedPixels {
 public:
  TDecodedPixels() = default;
  TDecodedPixels(TDecodedPixels&& Other) noexcept : FCount(Other.FCount) { Other.FCount = 0; }
  TDecodedPixels& operator=(TDecodedPixels&& Other) noexcept;
  TDecodedPixels(const TDecodedPixels&) = delete;
  TDecodedPixels& operator=(const TDecodedPixels&) = delete;
  ~TDecodedPixels() { Release(); }

  // A share of Width x Height pixels. EOutOfResources, with the budget untouched, when it
  // does not fit beside the shares already held.
  static TDecodedPixels Take(Integer Width, Integer Height);
  void Release();
  // Adds Other's pixels to this share (Other is left empty).
  void Join(TDecodedPixels&& Other) noexcept;
  // Gives back what is held above Count pixels.
  void ShrinkTo(int64_t Count) noexcept;
  int64_t Count() const { return FCount; }

  // The pixels all shares hold now.
  static int64_t InUse();

 private:
  int64_t FCount = 0;
};
