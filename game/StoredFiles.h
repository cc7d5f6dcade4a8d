// The game's two files beside the program: config.ini (the board's size and colours and the
// player's name, section "Settings") and highscores.ini (the best result of every game
// played: section "%d,%d" for the size and colours, key "%d" for the game number, value
// "%d,%s,%s" for the cells left, the name and the moves). The texts of both and the rules
// for reading them back live here; the windows only ask.
//
// A name is stored without commas and control characters: the value's fields are cut at
// its commas, and a line break would end the INI line. Nothing else of a name changes.
//
// No file error ever reaches the player. A file that cannot be read reads as empty, one
// that cannot be written (read-only, no room, a folder in its place) keeps what it held,
// and the game goes on either way.
#pragma once

#include "classlib/core/IniFiles.h"

// The file of that name in the folder of the running program.
String ProgramFolderFile(const String& Name);
String ConfigFileName();
String HighScoresFileName();

// A stored value read back. Readable: it starts with a whole number (blanks and a sign
// may come first); a value that does not counts as no stored result.
struct TStoredResult {
  bool Readable = false;
  Integer CellsLeft = 0;
  String Name;    // between the first and the second comma
  String Moves;   // everything after the second comma
};
TStoredResult ParseStoredResult(const String& Value);
// "%d,%s,%s"; the name is cleaned as above first.
String StoredResultText(Integer CellsLeft, const String& Name, const String& Moves);
// The name without commas and control characters.
String CleanPlayerName(const String& Name);

// "%d,%d": the section of a board shape.
String ScoreSection(Integer Size, Integer Colors);
// Reads a section name as "%d,%d" (trailing text ignored); true only for a shape the board
// can take (size 5..20, colours 2..8).
bool ReadScoreSection(const String& Section, Integer& Size, Integer& Colors);
// "Size: %d, Colors: %d", the high-scores window's item for a shape, and its reading back.
String SizeItemText(Integer Size, Integer Colors);
bool ReadSizeItem(const String& Item, Integer& Size, Integer& Colors);
// The integer a game-number key stands for: 0 when it is not a number.
Integer GameNumberOfKey(const String& Key);

// Writes one value, answering whether it reached the disk. Never raises for a file that
// cannot be written: an existing file without write permission is left as it is.
bool StoreValue(TIniFile& Ini, const String& Section, const String& Ident, const String& Value);
bool StoreInteger(TIniFile& Ini, const String& Section, const String& Ident, Integer Value);
