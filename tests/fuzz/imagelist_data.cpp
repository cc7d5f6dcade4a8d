// fuzz-links: classlib_visual
// Feeds arbitrary bytes to the image list's binary property: it must load images or raise
// EReadError, and a list that refused the data keeps what it had.
#include "classlib/visual/ImgList.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Owned<TImageList> list(New<TImageList>(nullptr));
  list->SetWidth(4);
  list->SetHeight(4);
  Owned<TStringStream> in(New<TStringStream>(String(reinterpret_cast<const char*>(data), size)));
  try {
    list->ReadData(*in);
    if (list->Count() < 0) std::abort();
    // What was read can be written again and read back to the same count.
    Owned<TStringStream> out(New<TStringStream>());
    list->WriteData(*out);
    out->SetPosition(0);
    const Integer n = list->Count();
    list->ReadData(*out);
    if (list->Count() != n) std::abort();
  } catch (const EReadError& e) {
    if (e.Message().empty() || list->Count() != 0 || list->GetWidth() != 4) std::abort();
  }
  return 0;
}
