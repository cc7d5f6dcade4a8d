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
// records the walks read since the records last changed.
template <class TIndex>
struct TcxDataIndexEntry {
  bool Built = false;
  Integer RecordCount = 0;
  Integer Walked = 0;
  TIndex Index;
  // Whether the index answers for ACount records: built over them, or built now once the walks
  // have read as many records as building reads (ABuild fills Index; false when it cannot),
  // so that a storage searched rarely between changes never pays more than twice its walks.
  template <class F>
  bool Usable(Integer ACount, F&& ABuild) {
    if (Built) return RecordCount == ACount;
    if (Walked < ACount || !ABuild(Index)) return false;
    RecordCount = ACount;
    Built = true;
    return true;
  }
};

struct TcxDataStorageKeyIndexes {
  using TEntry = TcxDataIndexEntry<TcxDataKeyIndex>;
  using TTextEntry = TcxDataIndexEntry<TcxDataTextIndex>;
  std::map<const TcxValueDef*, TEntry> Entries;
  std::map<const TcxValueDef*, TTextEntry> TextEntries;
};
