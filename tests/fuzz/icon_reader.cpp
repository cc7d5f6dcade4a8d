// fuzz-links: platform_gdi
// Feeds arbitrary bytes to the icon reader: it must answer with an image or an error.
#include "platform/gdi/PictureCodecs.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const DecodeResult r = DecodeIcon(data, size);
  if (r.Ok) {
    const size_t count = size_t(r.Image.Width) * size_t(r.Image.Height);
    if (r.Image.Pixels.size() != count || !r.Image.HasAlpha || r.Image.Alpha.size() != count) std::abort();
    // What was read can be written again when it fits an icon.
    if (r.Image.Width <= 256 && r.Image.Height <= 256 && !EncodeIcon(r.Image).Ok) std::abort();
  } else if (r.Error.empty()) {
    std::abort();
  }
  return 0;
}
