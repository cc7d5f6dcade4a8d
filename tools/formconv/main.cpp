// tl_formconv <input.tdf> <output.dfm>
// Writes the binary form of a window description. On a malformed description it prints
// "input:line:column: error: message" and fails, leaving any earlier output untouched.
#include "classlib/core/FormText.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: tl_formconv <input.tdf> <output.dfm>\n");
    return 2;
  }
  const String input = argv[1], output = argv[2];
  try {
    Owned<TMemoryStream> text(New<TMemoryStream>());
    text->LoadFromFile(input);
    TFormTextOptions opt;
    opt.SourceName = input;
    size_t slash = input.rfind('/');
    opt.IncludeDir = slash == String::npos ? String(".") : input.substr(0, slash);
    opt.AllowIncludes = true;
    Owned<TMemoryStream> bin(New<TMemoryStream>());
    ObjectTextToBinary(String(reinterpret_cast<const char*>(text->Memory()), size_t(text->GetSize())), *bin, opt);
    bin->SaveToFile(output);  // temporary file and rename
  } catch (const EParserError& e) {
    std::fprintf(stderr, "%s\n", e.Message().c_str());
    return 1;
  } catch (const Exception& e) {
    std::fprintf(stderr, "%s: error: %s\n", input.c_str(), e.Message().c_str());
    return 1;
  }
  return 0;
}
