// The total of picture pixels decoded from files and streams, over the whole program. Each
// image is capped on its own (kMaxImagePixels), but a few hundred bytes of a compressed file
// can ask for an image at that cap, so a window description with many small pictures could
// still ask for any amount of memory. Every graphic that holds pixels it decoded holds a
// share of this budget for as long as it holds them; past the budget decoding is refused.
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
  int64_t Count() const { return FCount; }

  // The pixels all shares hold now.
  static int64_t InUse();

 private:
  int64_t FCount = 0;
};
