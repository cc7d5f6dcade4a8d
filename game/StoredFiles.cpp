#include "game/StoredFiles.h"

#include "classlib/core/SysUtils.h"
#include "game/Board.h"
#include "platform/kernel/Modules.h"

#include <sys/stat.h>
#include <unistd.h>

#include <exception>
#include <vector>

String ProgramFolderFile(const String& Name) {
  std::vector<char> buf(1024);
  DWORD n = 0;
  // A full buffer means the name was cut: try again with room for more.
  while ((n = GetModuleFileNameA(nullptr, buf.data(), DWORD(buf.size()))) >= buf.size() && buf.size() < (1u << 20))
    buf.resize(buf.size() * 2);
  const String exe(buf.data(), n < buf.size() ? n : 0);
  return ExtractFilePath(exe) + Name;
}

String ConfigFileName() { return ProgramFolderFile("config.ini"); }
String HighScoresFileName() { return ProgramFolderFile("highscores.ini"); }

TStoredResult ParseStoredResult(const String& Value) {
  TStoredResult r;
  r.Readable = StrScanf(Value, "%d", {&r.CellsLeft}) == 1;
  const size_t first = Value.find(',');
  if (first == String::npos) return r;
  const size_t second = Value.find(',', first + 1);
  if (second == String::npos) {
    r.Name = Value.substr(first + 1);
    return r;
  }
  r.Name = Value.substr(first + 1, second - first - 1);
  r.Moves = Value.substr(second + 1);
  return r;
}

String CleanPlayerName(const String& Name) {
  String out;
  out.reserve(Name.size());
  for (Char c : Name)
    if (c != ',' && Byte(c) >= 0x20 && Byte(c) != 0x7F) out += c;
  return out;
}

String StoredResultText(Integer CellsLeft, const String& Name, const String& Moves) {
  return std::to_string(CellsLeft) + "," + CleanPlayerName(Name) + "," + Moves;
}

String ScoreSection(Integer Size, Integer Colors) { return std::to_string(Size) + "," + std::to_string(Colors); }

bool ReadScoreSection(const String& Section, Integer& Size, Integer& Colors) {
  Integer s = 0, c = 0;
  if (StrScanf(Section, "%d,%d", {&s, &c}) != 2) return false;
  if (s < MinBoardSize || s > MaxBoardSize || c < MinColors || c > MaxColors) return false;
  Size = s;
  Colors = c;
  return true;
}

String SizeItemText(Integer Size, Integer Colors) {
  return "Size: " + std::to_string(Size) + ", Colors: " + std::to_string(Colors);
}

bool ReadSizeItem(const String& Item, Integer& Size, Integer& Colors) {
  Integer s = 0, c = 0;
  if (StrScanf(Item, "Size: %d, Colors: %d", {&s, &c}) != 2) return false;
  Size = s;
  Colors = c;
  return true;
}

Integer GameNumberOfKey(const String& Key) { return StrToIntDef(Trim(Key), 0); }

namespace {

// The file's own read-only mark is kept, whoever runs the game: a player who froze the
// file meant it.
bool WriteProtected(const String& FileName) {
  struct stat st;
  if (::stat(FileName.c_str(), &st) != 0) return false;
  return (st.st_mode & 0222) == 0 || ::access(FileName.c_str(), W_OK) != 0;
}

}  // namespace

bool StoreValue(TIniFile& Ini, const String& Section, const String& Ident, const String& Value) {
  if (WriteProtected(Ini.FileName())) return false;
  try {
    Ini.WriteString(Section, Ident, Value);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool StoreInteger(TIniFile& Ini, const String& Section, const String& Ident, Integer Value) {
  return StoreValue(Ini, Section, Ident, std::to_string(Value));
}
