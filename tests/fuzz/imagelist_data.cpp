// fuzz-links: classlib_visual
// Feeds arbitrary bytes to the image list's binary property: it must load images or raise
// EReadError, and a list that refused the data keeps what it had. Images kept as read are
// decoded when first drawn: each then draws or raises EReadError, as writing does. The same
// bytes with their PNG chunk checksums mended are read again.
#include "classlib/visual/ImgList.h"
#include "tests/fuzz/support/PngChunks.h"

#include <algorithm>
#include <cstdlib>

namespace {

void ExpectReadError(const EReadError& e) {
  if (e.Message().empty()) std::abort();
}

void ReadList(const uint8_t* data, size_t size) {
  Owned<TImageList> list(New<TImageList>(nullptr));
  list->SetWidth(4);
  list->SetHeight(4);
  Owned<TStringStream> in(New<TStringStream>(String(reinterpret_cast<const char*>(data), size)));
  try {
    list->ReadData(*in);
  } catch (const EReadError& e) {
    ExpectReadError(e);
    if (list->Count() != 0 || list->GetWidth() != 4) std::abort();
    return;
  }
  const Integer n = list->Count();
  if (n < 0) std::abort();
  Owned<TBitmap> image(New<TBitmap>());
  auto draw = [&](Integer i) {
    try {
      list->GetBitmap(i, image.get());
    } catch (const EReadError& e) {
      ExpectReadError(e);
    }
    if (list->Count() != n) std::abort();
  };
  for (Integer i = std::max<Integer>(0, n - 8); i < n; ++i) draw(i);
  // Earlier images after later ones: the picture's rows are read again from the top.
  if (n > 1) {
    draw(0);
    draw(n / 2);
  }
  // What was read can be written again and read back to the same count.
  try {
    Owned<TStringStream> out(New<TStringStream>());
    list->WriteData(*out);
    out->SetPosition(0);
    list->ReadData(*out);
    if (list->Count() != n) std::abort();
  } catch (const EReadError& e) {
    ExpectReadError(e);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ReadList(data, size);
  const std::vector<uint8_t> mended = PngWithChunkCrcsMended(data, size);
  if (!mended.empty()) ReadList(mended.data(), mended.size());
  return 0;
}
