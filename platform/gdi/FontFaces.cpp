#include "platform/gdi/FontFaces.h"

#include <fontconfig/fontconfig.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <optional>

namespace {

const FaceEntry kFaces[] = {
    {"MS Sans Serif", FontFamily::Sans, false, false, FF_SWISS},
    {"MS Shell Dlg", FontFamily::Sans, false, false, FF_SWISS},
    {"System", FontFamily::Sans, false, false, FF_SWISS},
    {"Tahoma", FontFamily::Sans, true, false, FF_SWISS},
    {"MS Shell Dlg 2", FontFamily::Sans, true, false, FF_SWISS},
    {"Arial", FontFamily::Sans, true, false, FF_SWISS},
    {"Courier New", FontFamily::Mono, true, true, FF_MODERN},
    {kTestFaceName, FontFamily::Test, true, true, FF_MODERN},
};
constexpr size_t kDefaultFace = 0;
constexpr size_t kDefaultTrueTypeFace = 5;

struct PackagedFamily {
  const char* Family;
  const char* Package;
};
// Indexed by FontFamily (Sans, Mono, Fallback).
const PackagedFamily kPackaged[] = {
    {"Liberation Sans", "fonts-liberation2"},
    {"Liberation Mono", "fonts-liberation2"},
    {"DejaVu Sans", "fonts-dejavu-core"},
};

bool SameName(const char* a, const String& b) {
  size_t n = std::strlen(a);
  if (n != b.size()) return false;
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
    if (x != y) return false;
  }
  return true;
}

// Each family and style is matched the first time it is drawn with; the configuration
// stays loaded until the fonts are finalized.
struct Located {
  FcConfig* Config = nullptr;
  std::array<std::array<std::optional<FaceFile>, 4>, 3> Files;
};
std::optional<Located>& LocatedFiles() {
  static std::optional<Located> located;
  return located;
}

FaceFile Match(FcConfig* config, const PackagedFamily& family, bool bold, bool italic) {
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.Family));
  FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(config, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(config, pattern, &result);
  FcPatternDestroy(pattern);

  FaceFile file;
  FcChar8* name = nullptr;
  FcChar8* path = nullptr;
  bool found = match && FcPatternGetString(match, FC_FAMILY, 0, &name) == FcResultMatch &&
               std::strcmp(reinterpret_cast<const char*>(name), family.Family) == 0 &&
               FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch;
  if (found) {
    file.Path = reinterpret_cast<const char*>(path);
    int index = 0, weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
    FcPatternGetInteger(match, FC_INDEX, 0, &index);
    FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
    FcPatternGetInteger(match, FC_SLANT, 0, &slant);
    file.Index = index;
    file.SynthesizeBold = bold && weight < FC_WEIGHT_DEMIBOLD;
    file.SynthesizeItalic = italic && slant == FC_SLANT_ROMAN;
  }
  if (match) FcPatternDestroy(match);
  if (!found) {
    throw FontPackageMissing(std::string("font family \"") + family.Family +
                             "\" is not installed: install the Debian package " + family.Package);
  }
  return file;
}

}  // namespace

const FaceEntry& ResolveFace(const String& name, Byte outPrecision) {
  for (const FaceEntry& e : kFaces) {
    if (SameName(e.Name, name)) return e;
  }
  return kFaces[outPrecision == OUT_TT_ONLY_PRECIS ? kDefaultTrueTypeFace : kDefaultFace];
}

const FaceFile& LocateFace(FontFamily family, bool bold, bool italic) {
  auto& located = LocatedFiles();
  if (!located) InitializeFonts();
  std::optional<FaceFile>& file = located->Files[static_cast<size_t>(family)][(bold ? 1 : 0) + (italic ? 2 : 0)];
  if (!file) file = Match(located->Config, kPackaged[static_cast<size_t>(family)], bold, italic);
  return *file;
}

void InitializeFonts() {
  auto& located = LocatedFiles();
  if (located) return;
  FcConfig* config = FcInitLoadConfigAndFonts();
  if (!config) throw FontPackageMissing("fontconfig could not load its configuration");
  Located files;
  files.Config = config;
  try {
    // The face every window starts with, so a missing package is reported at start-up.
    files.Files[0][0] = Match(config, kPackaged[0], false, false);
  } catch (...) {  // written out: only a failed start drops the configuration; it is kept otherwise
    FcConfigDestroy(config);
    throw;
  }
  located = std::move(files);
  // The configuration lives until the fonts are finalized; a process that never finalizes
  // them releases it on the way out. fontconfig links its parts by offsets, which a leak
  // checker at exit cannot follow, so a configuration still loaded then would read as lost.
  static const bool released = std::atexit(ForgetFaceFiles) == 0;
  (void)released;
}

void ForgetFaceFiles() {
  auto& located = LocatedFiles();
  if (located) {
    if (located->Config) FcConfigDestroy(located->Config);
    located.reset();
    FcFini();
  }
}
