// The face table and the font files behind it (internal to the font engine).
#pragma once

#include "platform/gdi/FontEngine.h"

#include <string>

enum class FontFamily : Byte { Sans, Mono, Fallback, Test };

struct FaceEntry {
  const char* Name;      // the logical name, as reported back
  FontFamily Family;
  bool TrueType;
  bool FixedPitch;
  Byte FamilyBits;       // FF_SWISS 0x20, FF_MODERN 0x30
};

// The entry a logical face name resolves to: the named one, else (unknown or empty name)
// the class library's default face "MS Sans Serif", or "Arial" when the font asks for
// TrueType output only.
const FaceEntry& ResolveFace(const String& name, Byte outPrecision);

// One file of a family in one style (style = bold + 2 * italic).
struct FaceFile {
  std::string Path;
  int Index = 0;
  bool SynthesizeBold = false;     // no bold file: embolden the outlines
  bool SynthesizeItalic = false;   // no italic file: slant the outlines
};

// The located file of a packaged family; locates every family on first use.
const FaceFile& LocateFace(FontFamily family, bool bold, bool italic);
// Forgets the located files and releases fontconfig.
void ForgetFaceFiles();
