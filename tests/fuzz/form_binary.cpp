// fuzz-links: classlib_core
// Any bytes given to the binary component reader (with a few registered test classes)
// either read to a tree or raise a stream error; a tree that was read writes out and
// reads back to the same bytes.
#include "tests/classlib/StreamFixtures.cpp"

#include <cstdint>
#include <cstdlib>

namespace {
String WriteTree(TComponent* root) {
  Owned<TMemoryStream> m(New<TMemoryStream>());
  m->WriteComponent(root);
  return String(reinterpret_cast<const char*>(m->Memory()), size_t(m->GetSize()));
}

Owned<TComponent> ReadTree(const String& bytes) {
  Owned<TStringStream> s(New<TStringStream>(bytes));
  return Owned<TComponent>(s->ReadComponent(nullptr));
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool registered = [] {
    RegisterStreamTestClasses();
    RegisterStreamTestColors();
    return true;
  }();
  (void)registered;
  Owned<TComponent> tree;
  try {
    tree = ReadTree(String(reinterpret_cast<const char*>(data), size));
  } catch (const EStreamError&) {
    return 0;
  }
  String once = WriteTree(tree.get());
  Owned<TComponent> again = ReadTree(once);
  if (WriteTree(again.get()) != once) std::abort();
  return 0;
}
