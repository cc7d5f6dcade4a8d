// fuzz-links: widgets_foundation
// Any bytes given to the tagged variant reader either read to a value or raise the stream
// read error; a value that was read writes out and reads back to the same bytes.
#include "widgets/foundation/cxVariants.h"

#include <cstdint>
#include <cstdlib>

namespace {
String Write(const Variant& v) {
  TStringStream s;
  cxStreamWriteVariant(s, v);
  return s.DataString();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Variant v;
  try {
    TStringStream in(String(reinterpret_cast<const char*>(data), size));
    v = cxStreamReadVariant(in);
  } catch (const EReadError&) {
    return 0;
  }
  String once = Write(v);
  TStringStream again(once);
  Variant w = cxStreamReadVariant(again);
  if (again.GetPosition() != Int64(once.size()) || Write(w) != once) std::abort();
  return 0;
}
