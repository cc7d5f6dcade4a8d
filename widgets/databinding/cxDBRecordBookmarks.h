// The data set's bookmark of each stored record, by record index.
//
// Records come and go at scattered places, and a gap list moves every entry between two
// edits. Were the entries the bookmarks themselves, a million records would move as many
// strings one by one; here an entry is a small number naming a bookmark in a pool beside
// the list, and the move is one block copy whatever the bookmarks hold. Number 0 names the
// empty bookmark and takes no room; the room of a record that goes is taken by the next
// bookmark set, and the pool closes up once it is mostly room.
//
// A record is found by its bookmark without a pass over the records: a hash table files
// the numbers by their bookmarks, and each number knows the slot of the gap list holding
// it (each number in use names one record). The gap list reports the slots its entries
// move to, so the slots stay true as records come and go; only a deletion of several
// records at once, which closes the list up, files them all again (on the next search).
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
  // The records without a bookmark.
  size_t EmptyCount() const { return size() - (FPool.size() - 1 - FFree.size()); }

  // Records up to AIndex that had none get empty bookmarks.
  void Set(size_t AIndex, const TBookmarkStr& ABookmark);

  // A record without a bookmark comes in at AIndex (at most size()).
  void InsertEmpty(size_t AIndex);

  // The records at AGone (ascending, each once, all below size()) leave.
  template <class TIndexes>
  void EraseSorted(const TIndexes& AGone) {
    if (AGone.empty()) return;
    for (const auto index : AGone) Release(FEntries[size_t(index)]);
    if (AGone.size() == 1) {
      FEntries.erase(size_t(AGone.front()), Refiler{this});
    } else {
      FEntries.erase_sorted(AGone);
      FSlotsStale = true;
    }
    if (FFree.size() > 64 && FFree.size() > 3 * (FPool.size() - FFree.size())) Compact();
  }

  void clear();

  // The first record with ABookmark (empty: the first without one); -1 when none has it.
  Integer Find(const TBookmarkStr& ABookmark) const;

 private:
  // Files the numbers of entries that moved to slots [First, Last).
  struct Refiler {
    TcxRecordBookmarks* Owner;
    void operator()(size_t First, size_t Last) const { Owner->Refile(First, Last); }
  };

  uint32_t Take(const TBookmarkStr& ABookmark);
  // The room is kept; what the bookmark held goes.
  void Release(uint32_t ANumber);
  // The bookmarks in use are numbered anew, in the records' order.
  void Compact();

  void Refile(size_t AFirst, size_t ALast);
  void RefileAll() const;
  size_t Home(const TBookmarkStr& ABookmark) const;
  void File(uint32_t ANumber);
  void Unfile(uint32_t ANumber);
  // The table holds ACapacity places (a power of two), every number in use filed again.
  void Rehash(size_t ACapacity);

  TGapList<uint32_t> FEntries;
  // Number 0 is the empty bookmark; a free number's bookmark is empty too, and a number in
  // use never has the empty one.
  std::vector<TBookmarkStr> FPool{TBookmarkStr()};
  std::vector<uint32_t> FFree;
  // By number: the slot of FEntries holding it (true for numbers in use unless stale).
  mutable std::vector<uint32_t> FSlotOf{0};
  mutable bool FSlotsStale = false;
  // Open addressing over the numbers in use, by their bookmarks' hashes; 0 is a free place.
  // Records sharing a bookmark lie in one run of places.
  std::vector<uint32_t> FTable;
  size_t FFiled = 0;
};
