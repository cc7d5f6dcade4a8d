// INI files: "[Section]" headers and "Key=Value" lines.
//
// Rules every reader and writer here keeps:
// - Sections and keys are listed in file order; names compare case-insensitively.
// - Names and values are trimmed of blanks (space, tab) on both sides when read.
// - A section that appears twice is one section: its keys are those of every occurrence,
//   in file order. A key that appears twice reads as its first occurrence.
// - Lines that are neither a header nor a "Key=Value" line (comments, junk, keys before
//   the first header) are kept as they are and never reported.
// - Line ends may be CR LF, LF or CR alone; a rewrite keeps the file's first style
//   (LF for a new file). Lines have no length limit; NUL and other bytes are kept.
// - File names are bytes, passed to the system as they are.
#pragma once

#include "classlib/core/Object.h"
#include "platform/kernel/Types.h"

#include <sys/types.h>

#include <ctime>
#include <unordered_map>
#include <vector>

// The parsed text of an INI file, kept line by line so that a rewrite changes only the
// lines that were written. Pure text work: no file access.
class TIniDocument {
 public:
  TIniDocument() { Clear(); }
  // Replaces the content. Never fails: text that is not INI syntax is kept as inert lines.
  void Parse(const String& Text);
  String Text() const;
  void Clear();

  bool SectionExists(const String& Section) const;
  // True when the key exists; Value then receives it.
  bool FindValue(const String& Section, const String& Ident, String& Value) const;
  // Sets or adds a key, adding the section at the end when it is new.
  // Throws EIniFileException for a name or value the file syntax cannot hold.
  void SetValue(const String& Section, const String& Ident, const String& Value);
  // Both return whether anything was removed.
  bool DeleteKey(const String& Section, const String& Ident);
  bool EraseSection(const String& Section);

  std::vector<String> Sections() const;
  std::vector<String> Keys(const String& Section) const;
  std::vector<String> SectionValues(const String& Section) const;   // "Key=Value"

 private:
  struct TLine {
    String Raw;          // the line as read; used while !Changed
    String Key, Value;   // an entry line when Key is not empty
    bool Changed = false;
  };
  struct TBlock {        // one header and the lines under it; block 0 has no header
    String Name;
    String HeaderRaw;
    std::vector<TLine> Lines;
    mutable std::unordered_map<String, size_t> KeyIndex;   // folded key -> first line
    mutable bool IndexValid = false;
  };

  const TBlock* FirstBlock(const String& Folded) const;
  const std::vector<size_t>* BlocksOf(const String& Folded) const;
  const std::unordered_map<String, size_t>& IndexOf(const TBlock& B) const;
  // The entry lines of a section in file order, a key repeated later in it left out.
  std::vector<const TLine*> FirstEntries(const String& Section) const;
  void RebuildSectionIndex();

  std::vector<TBlock> FBlocks;
  std::unordered_map<String, std::vector<size_t>> FSectionIndex;   // folded name -> blocks
  String FLineEnd = "\n";
};

// An INI file on disk. The file is parsed once and read from memory; it is parsed again
// only when it changed on disk since (another object or program wrote it). The file is
// created by the first write, never by a read. Every write replaces the whole file
// atomically (temporary file in the same folder, flushed to disk, then renamed), so a
// crash mid-write leaves the old file whole. A write that cannot reach the disk throws
// EIniFileException and the object forgets the unsaved change. A file that exists but
// cannot be read reads as empty, and writing to it is refused rather than replacing
// content that was never seen.
class TStrings;

class TIniFile : public TObject {
  TL_CLASS(TIniFile, TObject)
 public:
  explicit TIniFile(const String& FileName);

  const String& FileName() const { return FFileName; }

  String ReadString(const String& Section, const String& Ident, const String& Default);
  void WriteString(const String& Section, const String& Ident, const String& Value);
  // A value that is not a whole number in range (decimal, or hex as $1F / 0x1F) reads as Default.
  Integer ReadInteger(const String& Section, const String& Ident, Integer Default);
  void WriteInteger(const String& Section, const String& Ident, Integer Value);
  // Reads as an integer: non-zero is true. Writes "1" or "0".
  bool ReadBool(const String& Section, const String& Ident, bool Default);
  void WriteBool(const String& Section, const String& Ident, bool Value);

  bool SectionExists(const String& Section);
  bool ValueExists(const String& Section, const String& Ident);
  void EraseSection(const String& Section);
  void DeleteKey(const String& Section, const String& Ident);

  // Each replaces the content of Strings: section names, a section's key names, or its
  // "Key=Value" lines.
  void ReadSections(TStrings* Strings);
  void ReadSection(const String& Section, TStrings* Strings);
  void ReadSectionValues(const String& Section, TStrings* Strings);
  void ReadSections(std::vector<String>& Strings);
  void ReadSection(const String& Section, std::vector<String>& Strings);
  void ReadSectionValues(const String& Section, std::vector<String>& Strings);

 private:
  struct TStamp {
    bool Known = false;   // false: parse at the next access
    bool Exists = false;
    dev_t Dev = 0;
    ino_t Ino = 0;
    off_t Size = 0;
    timespec MTime{};
    bool operator==(const TStamp& o) const;
  };

  // A settings file larger than this is refused as unreadable rather than read into memory.
  static constexpr size_t kMaxFileSize = size_t(16) << 20;

  void Refresh();
  void Commit();

  String FFileName;
  TIniDocument FDoc;
  TStamp FStamp;
  int FReadError = 0;   // why a file that exists could not be read (FileErrorText)
};

// Parses a whole number as ReadInteger does; false when Text is not one.
bool IniParseInteger(const String& Text, Integer& Value);
