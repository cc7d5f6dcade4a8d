// The program-wide budget of decoded picture pixels.
#include "classlib/visual/DecodedPixels.h"

#include "classlib/core/SysUtils.h"

#include <algorithm>
#include <atomic>

namespace {

// Pictures may be decoded on several threads at once.
std::atomic<int64_t> gInUse{0};

}  // namespace

TDecodedPixels& TDecodedPixels::operator=(TDecodedPixels&& Other) noexcept {
  if (this != &Other) {
    Release();
    FCount = Other.FCount;
    Other.FCount = 0;
  }
  return *this;
}

TDecodedPixels TDecodedPixels::Take(Integer Width, Integer Height) {
  TDecodedPixels share;
  const int64_t count = int64_t(std::max<Integer>(Width, 0)) * int64_t(std::max<Integer>(Height, 0));
  int64_t used = gInUse.load(std::memory_order_relaxed);
  do {
    if (count > kDecodedPixelBudget - used)
      throw EOutOfResources("Picture of " + IntToStr(Width) + " x " + IntToStr(Height) +
                            " pixels does not fit: decoded pictures may hold " + IntToStr(Int64(kDecodedPixelBudget)) +
                            " pixels in all, " + IntToStr(Int64(used)) + " are in use");
  } while (!gInUse.compare_exchange_weak(used, used + count, std::memory_order_relaxed));
  share.FCount = count;
  return share;
}

void TDecodedPixels::Join(TDecodedPixels&& Other) noexcept {
  if (this == &Other) return;
  FCount += Other.FCount;
  Other.FCount = 0;
}

void TDecodedPixels::ShrinkTo(int64_t Count) noexcept {
  Count = std::max<int64_t>(Count, 0);
  if (Count >= FCount) return;
  gInUse.fetch_sub(FCount - Count, std::memory_order_relaxed);
  FCount = Count;
}

void TDecodedPixels::Release() {
  if (FCount) gInUse.fetch_sub(FCount, std::memory_order_relaxed);
  FCount = 0;
}

int64_t TDecodedPixels::InUse() { return gInUse.load(std::memory_order_relaxed); }
