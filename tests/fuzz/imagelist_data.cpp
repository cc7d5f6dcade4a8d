// fuzz-links: classlib_visual
// Feeds arbitrary bytes to the image list's binary property: it must load images or raise
// EReadError (EOutOfResources past the decoded-picture budget), and a list that refused the
// data keeps what it had. Images kept as read are decoded when first drawn: each then draws
// or raises the same errors, as writing does. The same bytes with their PNG chunk checksums
// mended are read again.
#include "classlib/visual/ImgList.h"
#include "tests/fuzz/support/PngChunks.h"

#include <algorithm>
#include <cstdlib>

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

// Runs f; true when it refused with one of the errors a list may raise, naming its cause.
template <class F>
bool Refused(F&& f) {
  try {
    f();
    return false;
  } catch (const EReadError& e) {
    Check(!e.Message().empty());
  } catch (const EOutOfResources& e) {
    Check(!e.Message().empty());
  }
  return true;
}

// Writing a list out draws every image into one picture: for the few-byte pictures that
// declare millions of pixels that is seconds under the sanitizers and reaches nothing a
// smaller list does not, so only lists up to this many pixels are written back.
constexpr Int64 kWrittenBackPixels = Int64(1) << 20;

void ReadList(const uint8_t* data, size_t size) {
  Owned<TImageList> list(New<TImageList>(nullptr));
  list->SetWidth(4);
  list->SetHeight(4);
  Owned<TStringStream> in(New<TStringStream>(String(reinterpret_cast<const char*>(data), size)));
  if (Refused([&] { list->ReadData(*in); })) {
    Check(list->Count() == 0 && list->GetWidth() == 4);
    return;
  }
  const Integer n = list->Count();
  Check(n >= 0);
  Owned<TBitmap> image(New<TBitmap>());
  auto draw = [&](Integer i) {
    Refused([&] { list->GetBitmap(i, image.get()); });
    Check(list->Count() == n);
  };
  for (Integer i = std::max<Integer>(0, n - 8); i < n; ++i) draw(i);
  // Earlier images after later ones: the picture's rows are read again from the top.
  if (n > 1) {
    draw(0);
    draw(n / 2);
  }
  // What was read can be written again and read back to the same count.
  if (Int64(n) * list->GetWidth() * list->GetHeight() > kWrittenBackPixels) return;
  Owned<TStringStream> out(New<TStringStream>());
  if (Refused([&] { list->WriteData(*out); })) return;
  out->SetPosition(0);
  if (!Refused([&] { list->ReadData(*out); })) Check(list->Count() == n);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ReadList(data, size);
  const std::vector<uint8_t> mended = PngWithChunkCrcsMended(data, size);
  if (!mended.empty()) ReadList(mended.data(), mended.size());
  return 0;
}
