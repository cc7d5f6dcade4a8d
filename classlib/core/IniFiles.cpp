#include "classlib/core/IniFiles.h"

#include "classlib/core/Exceptions.h"
#include "classlib/core/ScopeGuards.h"
#include "classlib/core/Strings.h"
#include "platform/kernel/CodePage.h"
#include "platform/kernel/Files.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_set>

namespace {

bool IsBlank(Char c) { return c == ' ' || c == '\t'; }

String Trim(const String& s) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

// Names compare without regard to case (the code page's case table), as the platform's
// profile functions do.
String Fold(const String& s) {
  String r = Trim(s);
  for (Char& c : r) c = Char(CpUpper(Byte(c)));
  return r;
}

bool HasLineBreak(const String& s) { return s.find_first_of("\r\n") != String::npos; }

[[noreturn]] void Reject(const String& what) { throw EIniFileException("Invalid INI entry: " + what); }

}  // namespace

// ---------------------------------------------------------------------------------------
// TIniDocument

void TIniDocument::Clear() {
  FBlocks.assign(1, TBlock{});
  FSectionIndex.clear();
  FLineEnd = "\n";
}

void TIniDocument::Parse(const String& Text) {
  Clear();
  bool endSeen = false;
  const size_t n = Text.size();
  size_t i = 0;
  while (i < n) {
    size_t j = i;
    while (j < n && Text[j] != '\r' && Text[j] != '\n') ++j;
    String raw = Text.substr(i, j - i);
    size_t next = j;
    if (j < n) {
      const bool crlf = Text[j] == '\r' && j + 1 < n && Text[j + 1] == '\n';
      next = j + (crlf ? 2 : 1);
      if (!endSeen) {
        FLineEnd = crlf ? "\r\n" : String(1, Text[j]);
        endSeen = true;
      }
    }
    i = next;

    const String t = Trim(raw);
    if (!t.empty() && t[0] == '[') {
      const size_t close = t.find(']');
      TBlock b;
      b.Name = Trim(t.substr(1, close == String::npos ? String::npos : close - 1));
      b.HeaderRaw = std::move(raw);
      FSectionIndex[Fold(b.Name)].push_back(FBlocks.size());
      FBlocks.push_back(std::move(b));
      continue;
    }
    TLine line;
    const size_t eq = t.find('=');
    if (!t.empty() && t[0] != ';' && eq != String::npos) {
      line.Key = Trim(t.substr(0, eq));
      if (!line.Key.empty()) line.Value = Trim(t.substr(eq + 1));
    }
    line.Raw = std::move(raw);
    FBlocks.back().Lines.push_back(std::move(line));
  }
}

String TIniDocument::Text() const {
  String out;
  bool first = true;
  for (const TBlock& b : FBlocks) {
    if (!first) out += b.HeaderRaw + FLineEnd;
    first = false;
    for (const TLine& l : b.Lines) {
      if (l.Changed)
        out += l.Key + "=" + l.Value;
      else
        out += l.Raw;
      out += FLineEnd;
    }
  }
  return out;
}

void TIniDocument::RebuildSectionIndex() {
  FSectionIndex.clear();
  for (size_t i = 1; i < FBlocks.size(); ++i) FSectionIndex[Fold(FBlocks[i].Name)].push_back(i);
}

const std::vector<size_t>* TIniDocument::BlocksOf(const String& Folded) const {
  auto it = FSectionIndex.find(Folded);
  return it == FSectionIndex.end() ? nullptr : &it->second;
}

const TIniDocument::TBlock* TIniDocument::FirstBlock(const String& Folded) const {
  const auto* blocks = BlocksOf(Folded);
  return blocks ? &FBlocks[blocks->front()] : nullptr;
}

const std::unordered_map<String, size_t>& TIniDocument::IndexOf(const TBlock& B) const {
  if (!B.IndexValid) {
    B.KeyIndex.clear();
    for (size_t i = 0; i < B.Lines.size(); ++i)
      if (!B.Lines[i].Key.empty()) B.KeyIndex.emplace(Fold(B.Lines[i].Key), i);   // first wins
    B.IndexValid = true;
  }
  return B.KeyIndex;
}

bool TIniDocument::SectionExists(const String& Section) const {
  return FirstBlock(Fold(Section)) != nullptr;
}

bool TIniDocument::FindValue(const String& Section, const String& Ident, String& Value) const {
  const auto* blocks = BlocksOf(Fold(Section));
  if (!blocks) return false;
  const String key = Fold(Ident);
  for (size_t bi : *blocks) {
    const TBlock& b = FBlocks[bi];
    const auto& index = IndexOf(b);
    auto it = index.find(key);
    if (it != index.end()) {
      Value = b.Lines[it->second].Value;
      return true;
    }
  }
  return false;
}

void TIniDocument::SetValue(const String& Section, const String& Ident, const String& Value) {
  const String section = Trim(Section), ident = Trim(Ident);
  if (section.empty() || HasLineBreak(section) || section.find(']') != String::npos)
    Reject("section name \"" + Section + "\"");
  if (ident.empty() || HasLineBreak(ident) || ident.find('=') != String::npos || ident[0] == '[' ||
      ident[0] == ';')
    Reject("key name \"" + Ident + "\"");
  if (HasLineBreak(Value)) Reject("value of \"" + Ident + "\" holds a line break");

  const String fs = Fold(section), fk = Fold(ident);
  if (const auto* blocks = BlocksOf(fs)) {
    for (size_t bi : *blocks) {
      TBlock& b = FBlocks[bi];
      const auto& index = IndexOf(b);
      auto it = index.find(fk);
      if (it != index.end()) {
        TLine& l = b.Lines[it->second];
        l.Value = Value;
        l.Changed = true;
        return;
      }
    }
    // A new key goes after the last non-blank line of the section's first occurrence,
    // so blank lines that separate it from the next section stay where they are.
    TBlock& b = FBlocks[blocks->front()];
    size_t at = b.Lines.size();
    while (at > 0 && Trim(b.Lines[at - 1].Raw).empty() && b.Lines[at - 1].Key.empty()) --at;
    TLine l;
    l.Key = ident;
    l.Value = Value;
    l.Changed = true;
    b.Lines.insert(b.Lines.begin() + std::ptrdiff_t(at), std::move(l));
    b.IndexValid = false;
    return;
  }
  TBlock b;
  b.Name = section;
  b.HeaderRaw = "[" + section + "]";
  TLine l;
  l.Key = ident;
  l.Value = Value;
  l.Changed = true;
  b.Lines.push_back(std::move(l));
  FSectionIndex[fs].push_back(FBlocks.size());
  FBlocks.push_back(std::move(b));
}

bool TIniDocument::DeleteKey(const String& Section, const String& Ident) {
  const auto* blocks = BlocksOf(Fold(Section));
  if (!blocks) return false;
  const String fk = Fold(Ident);
  bool removed = false;
  for (size_t bi : *blocks) {
    TBlock& b = FBlocks[bi];
    const size_t before = b.Lines.size();
    std::erase_if(b.Lines, [&](const TLine& l) { return !l.Key.empty() && Fold(l.Key) == fk; });
    if (b.Lines.size() != before) {
      removed = true;
      b.IndexValid = false;
    }
  }
  return removed;
}

bool TIniDocument::EraseSection(const String& Section) {
  const auto* blocks = BlocksOf(Fold(Section));
  if (!blocks) return false;
  const std::unordered_set<size_t> doomed(blocks->begin(), blocks->end());
  std::vector<TBlock> kept;
  kept.reserve(FBlocks.size() - doomed.size());
  for (size_t i = 0; i < FBlocks.size(); ++i)
    if (!doomed.count(i)) kept.push_back(std::move(FBlocks[i]));
  FBlocks = std::move(kept);
  RebuildSectionIndex();
  return true;
}

std::vector<String> TIniDocument::Sections() const {
  std::vector<String> out;
  std::unordered_set<String> seen;
  for (size_t i = 1; i < FBlocks.size(); ++i)
    if (seen.insert(Fold(FBlocks[i].Name)).second) out.push_back(FBlocks[i].Name);
  return out;
}

std::vector<const TIniDocument::TLine*> TIniDocument::FirstEntries(const String& Section) const {
  std::vector<const TLine*> out;
  const auto* blocks = BlocksOf(Fold(Section));
  if (!blocks) return out;
  std::unordered_set<String> seen;
  for (size_t bi : *blocks)
    for (const TLine& l : FBlocks[bi].Lines)
      if (!l.Key.empty() && seen.insert(Fold(l.Key)).second) out.push_back(&l);
  return out;
}

std::vector<String> TIniDocument::Keys(const String& Section) const {
  std::vector<String> out;
  for (const TLine* l : FirstEntries(Section)) out.push_back(l->Key);
  return out;
}

std::vector<String> TIniDocument::SectionValues(const String& Section) const {
  std::vector<String> out;
  for (const TLine* l : FirstEntries(Section)) out.push_back(l->Key + "=" + l->Value);
  return out;
}

// ---------------------------------------------------------------------------------------

bool IniParseInteger(const String& Text, Integer& Value) {
  const String t = Trim(Text);
  size_t i = 0;
  bool negative = false;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
  if (i >= t.size()) return false;
  bool hex = false;
  if (t[i] == '$') {
    hex = true;
    ++i;
  } else if (t[i] == '0' && i + 1 < t.size() && (t[i + 1] == 'x' || t[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i >= t.size()) return false;
  uint64_t v = 0;
  for (; i < t.size(); ++i) {
    const Char c = t[i];
    int d;
    if (c >= '0' && c <= '9')
      d = c - '0';
    else if (hex && c >= 'a' && c <= 'f')
      d = c - 'a' + 10;
    else if (hex && c >= 'A' && c <= 'F')
      d = c - 'A' + 10;
    else
      return false;
    v = v * (hex ? 16 : 10) + uint64_t(d);
    if (v > 0xFFFFFFFFull) return false;
  }
  if (hex) {
    // Hex spells the 32-bit pattern: $FFFFFFFF is -1.
    const Integer bits = Integer(uint32_t(v));
    Value = negative ? Integer(0u - uint32_t(bits)) : bits;
    return true;
  }
  if (negative) {
    if (v > uint64_t(INT32_MAX) + 1) return false;
    Value = Integer(-int64_t(v));
  } else {
    if (v > uint64_t(INT32_MAX)) return false;
    Value = Integer(v);
  }
  return true;
}

// ---------------------------------------------------------------------------------------
// TIniFile

TL_DEFINE_CLASS(TIniFile)

bool TIniFile::TStamp::operator==(const TStamp& o) const {
  return Known == o.Known && Exists == o.Exists && Dev == o.Dev && Ino == o.Ino && Size == o.Size &&
         MTime.tv_sec == o.MTime.tv_sec && MTime.tv_nsec == o.MTime.tv_nsec;
}

TIniFile::TIniFile(const String& FileName) : FFileName(FileName) {}

namespace {

void StampFrom(const struct stat& st, bool& exists, dev_t& dev, ino_t& ino, off_t& size, timespec& mtime) {
  exists = true;
  dev = st.st_dev;
  ino = st.st_ino;
  size = st.st_size;
  mtime = st.st_mtim;
}

}  // namespace

void TIniFile::Refresh() {
  TStamp now;
  now.Known = true;
  struct stat st;
  if (FFileName.empty() || ::stat(FFileName.c_str(), &st) != 0) {
    const int err = FFileName.empty() ? ENOENT : errno;
    if (err == ENOENT || err == ENOTDIR) {
      if (!(FStamp == now) || FReadError) {
        FDoc.Clear();
        FReadError = 0;
        FStamp = now;   // known to be absent
      }
    } else {
      FDoc.Clear();
      FReadError = err;
      FStamp = TStamp{};
    }
    return;
  }
  StampFrom(st, now.Exists, now.Dev, now.Ino, now.Size, now.MTime);
  if (FStamp == now && !FReadError) return;

  FDoc.Clear();
  FStamp = TStamp{};
  String text;
  if (const int err = ReadRegularFile(FFileName, text, kMaxFileSize, &st)) {
    FReadError = err;
    return;
  }
  // The stamp of what was read, so a change made while reading is seen next time.
  StampFrom(st, now.Exists, now.Dev, now.Ino, now.Size, now.MTime);
  FDoc.Parse(text);
  FReadError = 0;
  FStamp = now;
}

void TIniFile::Commit() {
  auto fail = [&](const String& why) {
    FStamp = TStamp{};   // drop the unsaved change: the next access reads the disk again
    throw EIniFileException("Unable to write to " + FFileName + ": " + why);
  };
  if (FFileName.empty()) fail("no file name");
  if (FReadError) fail("the existing file cannot be read (" + FileErrorText(FReadError) + ")");
  const String text = FDoc.Text();
  if (const int err = ReplaceFileContents(FFileName, text.data(), text.size())) fail(FileErrorText(err));
  TStamp now;
  now.Known = true;
  struct stat st;
  if (::stat(FFileName.c_str(), &st) == 0) {
    StampFrom(st, now.Exists, now.Dev, now.Ino, now.Size, now.MTime);
    FStamp = now;
  } else {
    FStamp = TStamp{};
  }
}

String TIniFile::ReadString(const String& Section, const String& Ident, const String& Default) {
  Refresh();
  String v;
  return FDoc.FindValue(Section, Ident, v) ? v : Default;
}

void TIniFile::WriteString(const String& Section, const String& Ident, const String& Value) {
  Refresh();
  FDoc.SetValue(Section, Ident, Value);
  Commit();
}

Integer TIniFile::ReadInteger(const String& Section, const String& Ident, Integer Default) {
  Refresh();
  String v;
  Integer r;
  return FDoc.FindValue(Section, Ident, v) && IniParseInteger(v, r) ? r : Default;
}

void TIniFile::WriteInteger(const String& Section, const String& Ident, Integer Value) {
  WriteString(Section, Ident, std::to_string(Value));
}

bool TIniFile::ReadBool(const String& Section, const String& Ident, bool Default) {
  return ReadInteger(Section, Ident, Default ? 1 : 0) != 0;
}

void TIniFile::WriteBool(const String& Section, const String& Ident, bool Value) {
  WriteString(Section, Ident, Value ? "1" : "0");
}

bool TIniFile::SectionExists(const String& Section) {
  Refresh();
  return FDoc.SectionExists(Section);
}

bool TIniFile::ValueExists(const String& Section, const String& Ident) {
  Refresh();
  String v;
  return FDoc.FindValue(Section, Ident, v);
}

void TIniFile::EraseSection(const String& Section) {
  Refresh();
  if (FDoc.EraseSection(Section)) Commit();
}

void TIniFile::DeleteKey(const String& Section, const String& Ident) {
  Refresh();
  if (FDoc.DeleteKey(Section, Ident)) Commit();
}

void TIniFile::ReadSections(std::vector<String>& Strings) {
  Refresh();
  Strings = FDoc.Sections();
}

void TIniFile::ReadSection(const String& Section, std::vector<String>& Strings) {
  Refresh();
  Strings = FDoc.Keys(Section);
}

void TIniFile::ReadSectionValues(const String& Section, std::vector<String>& Strings) {
  Refresh();
  Strings = FDoc.SectionValues(Section);
}

namespace {

void Fill(TStrings* Strings, const std::vector<String>& items) {
  if (!Strings) return;
  auto update = UpdateBracket(Strings);
  Strings->Clear();
  for (const String& s : items) Strings->Add(s);
}

}  // namespace

void TIniFile::ReadSections(TStrings* Strings) {
  Refresh();
  Fill(Strings, FDoc.Sections());
}

void TIniFile::ReadSection(const String& Section, TStrings* Strings) {
  Refresh();
  Fill(Strings, FDoc.Keys(Section));
}

void TIniFile::ReadSectionValues(const String& Section, TStrings* Strings) {
  Refresh();
  Fill(Strings, FDoc.SectionValues(Section));
}
