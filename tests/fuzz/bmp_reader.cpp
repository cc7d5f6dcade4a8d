// fuzz-links: platform_gdi
// Feeds arbitrary bytes to the BMP reader: it must answer with an image or an error.
#include "platform/gdi/Codecs.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const DecodeResult r = DecodeBmp(data, size);
  if (r.Ok) {
    const size_t count = size_t(r.Image.Width) * size_t(r.Image.Height);
    if (r.Image.Pixels.size() != count || (r.Image.HasAlpha && r.Image.Alpha.size() != count)) std::abort();
    // What was read can be written again.
    if (!EncodeBmp(r.Image, r.Image.HasAlpha ? 32 : 24).Ok) std::abort();
  } else if (r.Error.empty()) {
    std::abort();
  }
  return 0;
}
