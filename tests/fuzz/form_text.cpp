// fuzz-links: classlib_core
// Any bytes given to the description converter either convert, deterministically and to
// a stream with the component signature, or raise EParserError with a position.
#include "classlib/core/FormText.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const String text(reinterpret_cast<const char*>(data), size);
  auto convert = [&](String& out) {
    Owned<TMemoryStream> m(New<TMemoryStream>());
    ObjectTextToBinary(text, *m);  // includes stay refused: no file is ever read
    out.assign(reinterpret_cast<const char*>(m->Memory()), size_t(m->GetSize()));
  };
  try {
    String first, second;
    convert(first);
    convert(second);
    if (first != second || first.size() < 4 || std::memcmp(first.data(), "TPF0", 4) != 0) std::abort();
  } catch (const EParserError& e) {
    if (e.Line() < 1 || e.Column() < 1 || e.Message().empty()) std::abort();
  }
  return 0;
}
