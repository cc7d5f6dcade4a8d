// fuzz-links: platform_gdi
// Feeds arbitrary bytes to the icon reader: it must answer with an image or an error. The
// same bytes with the chunk checksums of an icon's PNG image mended are read again.
#include "platform/gdi/PictureCodecs.h"
#include "tests/fuzz/support/PngChunks.h"

#include <cstdlib>

namespace {

void ReadIcon(const uint8_t* data, size_t size) {
  const DecodeResult r = DecodeIcon(data, size);
  if (r.Ok) {
    const size_t count = size_t(r.Image.Width) * size_t(r.Image.Height);
    if (r.Image.Pixels.size() != count || !r.Image.HasAlpha || r.Image.Alpha.size() != count) std::abort();
    // What was read can be written again when it fits an icon, and reads back the same.
    if (r.Image.Width <= 256 && r.Image.Height <= 256) {
      const EncodeResult e = EncodeIcon(r.Image);
      if (!e.Ok) std::abort();
      const DecodeResult back = DecodeIcon(e.Bytes.data(), e.Bytes.size());
      if (!back.Ok || back.Image.Width != r.Image.Width || back.Image.Height != r.Image.Height ||
          back.Image.Pixels != r.Image.Pixels || back.Image.Alpha != r.Image.Alpha)
        std::abort();
    }
  } else if (r.Error.empty()) {
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ReadIcon(data, size);
  const std::vector<uint8_t> mended = PngWithChunkCrcsMended(data, size);
  if (!mended.empty()) ReadIcon(mended.data(), mended.size());
  return 0;
}
