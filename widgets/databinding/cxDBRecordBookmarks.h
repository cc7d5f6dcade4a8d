// The data set's bookmark of each stored record, by record index.
//
// Records come and go at scattered places, and a gap list moves every entry between two
// edits. Were the entries the bookmarks themselves, a million records would move as many
// strings one by one; here an entry is a small number naming a bookmark in a pool beside
// the list, and the move is one block copy whatever the bookmarks hold. Number 0 names the
// empty bookmark and takes no room; the room of a record that goes is taken by the next
// bookmark set, and the pool closes up once it is mostly room.
#pragma once

#include "classlib/core/DB.h"
#include "classlib/core/GapList.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class TcxRecordBookmarks {
 public:
  size_t size() const { return FEntries.size(); }
  bool empty() const { return FEntries.empty(); }
  // The bookmark of record AIndex (below size()); empty where unknown.
  const TBookmarkStr& operator[](size_t AIndex) const { return FPool[FEntries[AIndex]]; }

  // Records up to AIndex that had none get empty bookmarks.
  void Set(size_t AIndex, const TBookmarkStr& ABookmark) {
    if (AIndex >= FEntries.size()) FEntries.resize(AIndex + 1);
    uint32_t& entry = FEntries[AIndex];
    if (ABookmark.empty()) {
      Release(entry);
      entry = 0;
    } else if (entry != 0) {
      FPool[entry] = ABookmark;
    } else {
      entry = Take(ABookmark);
    }
  }

  // A record without a bookmark comes in at AIndex (at most size()).
  void InsertEmpty(size_t AIndex) { FEntries.insert(AIndex, 0); }

  // The records at AGone (ascending, each once, all below size()) leave.
  template <class TIndexes>
  void EraseSorted(const TIndexes& AGone) {
    for (const auto index : AGone) Release(FEntries[size_t(index)]);
    FEntries.erase_sorted(AGone);
    if (FFree.size() > 64 && FFree.size() > 3 * (FPool.size() - FFree.size())) Compact();
  }

  void clear() {
    FEntries.clear();
    FPool.assign(1, TBookmarkStr());
    FFree.clear();
  }

  // The first record with ABookmark (empty: the first without one); -1 when none has it.
  // The pool is searched first: a bookmark nobody has costs no pass over the records, and
  // the records are then compared by number.
  Integer Find(const TBookmarkStr& ABookmark) const {
    std::vector<uint32_t> numbers;
    if (ABookmark.empty()) numbers.push_back(0);
    for (size_t i = 1; i < FPool.size() && !ABookmark.empty(); ++i)
      if (FPool[i] == ABookmark) numbers.push_back(uint32_t(i));
    if (numbers.empty()) return -1;
    const size_t count = FEntries.size();
    if (numbers.size() == 1) {
      const uint32_t number = numbers.front();
      for (size_t r = 0; r < count; ++r)
        if (FEntries[r] == number) return Integer(r);
      return -1;
    }
    for (size_t r = 0; r < count; ++r)
      for (uint32_t number : numbers)
        if (FEntries[r] == number) return Integer(r);
    return -1;
  }

 private:
  uint32_t Take(const TBookmarkStr& ABookmark) {
    if (FFree.empty()) {
      FPool.push_back(ABookmark);
      return uint32_t(FPool.size() - 1);
    }
    const uint32_t number = FFree.back();
    FPool[number] = ABookmark;
    FFree.pop_back();
    return number;
  }

  // The room is kept; what the bookmark held goes.
  void Release(uint32_t ANumber) {
    if (ANumber == 0) return;
    TBookmarkStr().swap(FPool[ANumber]);
    FFree.push_back(ANumber);
  }

  // The bookmarks in use are numbered anew, in the records' order.
  void Compact() {
    std::vector<TBookmarkStr> pool(1);
    std::vector<uint32_t>& entries = FEntries.Flat();
    for (uint32_t& entry : entries) {
      if (entry == 0) continue;
      pool.push_back(std::move(FPool[entry]));
      entry = uint32_t(pool.size() - 1);
    }
    FPool.swap(pool);
    FFree.clear();
  }

  TGapList<uint32_t> FEntries;
  // Number 0 is the empty bookmark; a free number's bookmark is empty too.
  std::vector<TBookmarkStr> FPool{TBookmarkStr()};
  std::vector<uint32_t> FFree;
};
