// fuzz-links: platform_gdi
// Feeds arbitrary bytes to the JPEG reader: it must answer with an image or an error. A small
// image read writes again, in colour or grey, and reads back at the same size.
#include "platform/gdi/PictureCodecs.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const DecodeResult r = DecodeJpeg(data, size);
  if (r.Ok) {
    if (r.Image.Pixels.size() != size_t(r.Image.Width) * size_t(r.Image.Height)) std::abort();
    if (r.Image.Width > 256 || r.Image.Height > 256) return 0;   // encoding large ones is slow
    const EncodeResult e = EncodeJpeg(r.Image, 50, (size & 1) != 0);
    if (!e.Ok) std::abort();
    const DecodeResult back = DecodeJpeg(e.Bytes.data(), e.Bytes.size());
    if (!back.Ok || back.Image.Width != r.Image.Width || back.Image.Height != r.Image.Height) std::abort();
  } else if (r.Error.empty()) {
    std::abort();
  }
  return 0;
}
