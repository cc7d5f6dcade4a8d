// The storage's key indexes: for one value definition, the records by value, so that a
// record is found by its key without comparing every record. Kept until the records change.
#pragma once

#include "platform/kernel/Types.h"

#include <map>
#include <unordered_map>
#include <utility>
#include <vector>

class TcxValueDef;

// The first record of each value of one definition, in record order.
class TcxDataKeyIndex {
 public:
  // Records are added in ascending order; the first of each text stays.
  void Add(Integer ARecordIndex, const String& AText) { FFirst.emplace(AText, ARecordIndex); }
  // -1 when no record has the text.
  Integer First(const String& AText) const {
    const auto it = FFirst.find(AText);
    return it == FFirst.end() ? -1 : it->second;
  }

 private:
  std::unordered_map<String, Integer> FFirst;
};

// The records of one definition by their display texts in the code page's upper case, so that
// the records whose text begins with a given text are found without reading every text.
class TcxDataTextIndex {
 public:
  // Texts are added in any order, already upper-cased; Sort before the first search.
  void Add(Integer ARecordIndex, String AUpperText) { FTexts.emplace_back(std::move(AUpperText), ARecordIndex); }
  void Sort();
  // The records whose text begins with AUpperPrefix, in record order.
  void Find(const String& AUpperPrefix, std::vector<Integer>& ARecords) const;

 private:
  std::vector<std::pair<String, Integer>> FTexts;
};

// Per definition: the index once built, with the record count it was built over, and how many
// records the walks compared (read) since the records last changed.
struct TcxDataStorageKeyIndexes {
  struct TEntry {
    bool Built = false;
    Integer RecordCount = 0;
    Integer Compared = 0;
    TcxDataKeyIndex Index;
  };
  std::map<const TcxValueDef*, TEntry> Entries;
  struct TTextEntry {
    bool Built = false;
    Integer RecordCount = 0;
    Integer Walked = 0;
    TcxDataTextIndex Index;
  };
  std::map<const TcxValueDef*, TTextEntry> TextEntries;
};
