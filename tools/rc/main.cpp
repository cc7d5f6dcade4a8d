// tl_rc <manifest> <resource-root> <target> <out.S> <out.cpp> [--map src=converted]...
// Embeds the files a resource manifest names into a library: an assembly file links the
// bytes in, a C++ file registers the table. Any fault in the manifest fails the build.
#include "tools/rc/Manifest.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

namespace {

// Written beside the destination and renamed over it, so an interrupted build never
// leaves half a file that looks current.
bool WriteAtomically(const std::string& path, const std::string& content) {
  const std::string temp = path + ".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out << content;
    out.flush();
    if (!out) return false;
  }
  return std::rename(temp.c_str(), path.c_str()) == 0;
}

int Usage() {
  std::fprintf(stderr,
               "usage: tl_rc <manifest> <resource-root> <target> <out.S> <out.cpp> "
               "[--map src=converted]...\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 6) return Usage();
  const std::string manifest = argv[1], root = argv[2], target = argv[3];
  const std::string outAsm = argv[4], outCpp = argv[5];
  std::map<std::string, std::string> maps;
  for (int i = 6; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg != "--map" || i + 1 >= argc) return Usage();
    const std::string m = argv[++i];
    const size_t eq = m.find('=');
    if (eq == std::string::npos || eq == 0) return Usage();
    maps[m.substr(0, eq)] = m.substr(eq + 1);
  }
  if (!IsIdentifier(target)) {
    std::fprintf(stderr, "tl_rc: target \"%s\" is not an identifier\n", target.c_str());
    return 1;
  }
  std::ifstream in(manifest, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "tl_rc: cannot read %s\n", manifest.c_str());
    return 1;
  }
  const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  try {
    const auto entries = ParseManifest(content, manifest);
    const auto paths = ResolveSources(entries, root, maps, manifest);
    if (!WriteAtomically(outAsm, GenerateAssembly(entries, paths, target)) ||
        !WriteAtomically(outCpp, GenerateRegistration(entries, target))) {
      std::fprintf(stderr, "tl_rc: cannot write %s or %s\n", outAsm.c_str(), outCpp.c_str());
      return 1;
    }
  } catch (const ManifestError& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
