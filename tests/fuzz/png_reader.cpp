// fuzz-links: platform_gdi
// Feeds arbitrary bytes to the PNG readers: the whole-image reader must answer with an image
// or an error, the chunk check with a verdict, and the row reader, where it takes the file,
// must give the rows the whole-image reader gives. The same bytes with their chunk checksums
// mended are read again.
#include "platform/gdi/Codecs.h"
#include "tests/fuzz/support/PngChunks.h"

#include <cstdlib>
#include <cstring>

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

void ReadRows(const uint8_t* data, size_t size, const DecodeResult& whole) {
  PngRowReader rd;
  if (!rd.Open(data, size)) {
    // Refused as damaged only where the whole-image reader fails too.
    Check(!rd.IsOpen() && !rd.Supported() && (rd.Error().empty() || !whole.Ok));
    return;
  }
  Check(rd.Supported() && rd.IsOpen() && rd.Width() > 0 && rd.Height() > 0);
  if (whole.Ok) Check(rd.Width() == whole.Image.Width && rd.Height() == whole.Image.Height &&
                      rd.HasAlpha() == whole.Image.HasAlpha);
  std::vector<Pixel> row(size_t(rd.Width()));
  std::vector<uint8_t> alpha(size_t(rd.Width()));
  for (Integer y = 0; y < rd.Height(); ++y) {
    Check(rd.NextRow() == y);
    if (!rd.ReadRow(row.data(), alpha.data())) {
      // Damage the whole-image reader would have met too.
      Check(!whole.Ok && !rd.Error().empty() && !rd.IsOpen());
      return;
    }
    if (!whole.Ok) continue;
    const size_t at = size_t(y) * size_t(rd.Width());
    Check(std::memcmp(row.data(), &whole.Image.Pixels[at], row.size() * sizeof(Pixel)) == 0);
    if (rd.HasAlpha()) Check(std::memcmp(alpha.data(), &whole.Image.Alpha[at], alpha.size()) == 0);
  }
  // Past the last row there is nothing to read.
  Check(!rd.ReadRow(row.data(), nullptr) && !rd.Error().empty() && !rd.IsOpen());
}

void ReadPng(const uint8_t* data, size_t size) {
  const DecodeResult r = DecodePng(data, size);
  if (r.Ok) {
    const size_t count = size_t(r.Image.Width) * size_t(r.Image.Height);
    Check(r.Image.Pixels.size() == count && (!r.Image.HasAlpha || r.Image.Alpha.size() == count));
  } else {
    Check(!r.Error.empty());
  }
  std::string why;
  if (!CheckPngChunks(data, size, why)) Check(!why.empty());
  ReadRows(data, size, r);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ReadPng(data, size);
  const std::vector<uint8_t> mended = PngWithChunkCrcsMended(data, size);
  if (!mended.empty()) ReadPng(mended.data(), mended.size());
  return 0;
}
