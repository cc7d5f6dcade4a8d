// Resource manifests: one resource per line,
//   CURSOR 2100 cursors/x.png hotspot=1,1
//   BITMAP NAME bitmaps/x.png
//   STRING 65323 "Line"            (C escapes; the bytes are Windows-1252)
//   RCDATA TMAINFORM forms/main.tdf
// Blank lines and text after "#" (outside a string) are comments. Every fault is reported
// as "<manifest>:<line>: <what>" and fails the build.
#pragma once

#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

struct ManifestError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct ManifestEntry {
  int line = 0;
  uint16_t type = 0;  // 1 CURSOR, 2 BITMAP, 6 STRING, 10 RCDATA
  uint16_t id = 0;    // when `name` is empty
  std::string name;
  std::string source;  // the path as written (files)
  std::string text;    // the bytes (strings)
  int hotX = 0, hotY = 0;
};

std::vector<ManifestEntry> ParseManifest(const std::string& content, const std::string& fileName);

// Resolves every entry's file under `root` (or through `maps`, keyed by the path as written)
// and checks it: it must be readable, and cursors and bitmaps must be PNG files, with the
// cursor's hot spot inside the image. Returns the resolved paths, parallel to `entries`
// (empty for strings).
std::vector<std::string> ResolveSources(const std::vector<ManifestEntry>& entries,
                                        const std::string& root,
                                        const std::map<std::string, std::string>& maps,
                                        const std::string& fileName);

// The generated assembly (the files, through .incbin) and C++ (the table and
// `void TlRegisterResources_<target>()`). `target` must be an identifier.
std::string GenerateAssembly(const std::vector<ManifestEntry>& entries,
                             const std::vector<std::string>& paths, const std::string& target);
std::string GenerateRegistration(const std::vector<ManifestEntry>& entries,
                                 const std::string& target);
bool IsIdentifier(const std::string& s);
