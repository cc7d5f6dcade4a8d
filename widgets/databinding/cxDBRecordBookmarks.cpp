#include "widgets/databinding/cxDBRecordBookmarks.h"

#include "widgets/databinding/cxDBData.h"
#include "widgets/databinding/cxDBDataGuards.h"

#include <functional>
#include <string_view>

void TcxRecordBookmarks::Set(size_t AIndex, const TBookmarkStr& ABookmark) {
  while (FEntries.size() <= AIndex) FEntries.insert(FEntries.size(), 0, Refiler{this});
  uint32_t& entry = FEntries[AIndex];
  if (ABookmark.empty()) {
    Release(entry);
    entry = 0;
  } else if (entry != 0) {
    if (FPool[entry] == ABookmark) return;
    Unfile(entry);
    FPool[entry] = ABookmark;
    File(entry);
  } else {
    const uint32_t number = Take(ABookmark);
    entry = number;
    FSlotOf[number] = uint32_t(FEntries.SlotOf(AIndex));
  }
}

void TcxRecordBookmarks::InsertEmpty(size_t AIndex) { FEntries.insert(AIndex, 0, Refiler{this}); }

void TcxRecordBookmarks::clear() {
  FEntries.clear();
  FPool.assign(1, TBookmarkStr());
  FFree.clear();
  FSlotOf.assign(1, 0);
  FSlotsStale = false;
  std::vector<uint32_t>().swap(FTable);
  FFiled = 0;
}

Integer TcxRecordBookmarks::Find(const TBookmarkStr& ABookmark) const {
  if (ABookmark.empty()) {
    for (size_t r = 0; r < FEntries.size(); ++r)
      if (FEntries[r] == 0) return Integer(r);
    return -1;
  }
  if (FFiled == 0) return -1;
  if (FSlotsStale) RefileAll();
  const size_t mask = FTable.size() - 1;
  Integer first = -1;
  for (size_t place = Home(ABookmark);; place = (place + 1) & mask) {
    const uint32_t number = FTable[place];
    if (number == 0) break;
    if (FPool[number] != ABookmark) continue;
    const Integer record = Integer(FEntries.IndexOfSlot(FSlotOf[number]));
    if (first < 0 || record < first) first = record;
  }
  return first;
}

uint32_t TcxRecordBookmarks::Take(const TBookmarkStr& ABookmark) {
  uint32_t number;
  if (FFree.empty()) {
    FPool.push_back(ABookmark);
    FSlotOf.push_back(0);
    number = uint32_t(FPool.size() - 1);
  } else {
    number = FFree.back();
    FPool[number] = ABookmark;
    FFree.pop_back();
  }
  File(number);
  return number;
}

void TcxRecordBookmarks::Release(uint32_t ANumber) {
  if (ANumber == 0) return;
  Unfile(ANumber);
  TBookmarkStr().swap(FPool[ANumber]);
  FFree.push_back(ANumber);
}

void TcxRecordBookmarks::Compact() {
  std::vector<TBookmarkStr> pool(1);
  std::vector<uint32_t>& entries = FEntries.Flat();
  FSlotOf.assign(1, 0);
  for (size_t slot = 0; slot < entries.size(); ++slot) {
    uint32_t& entry = entries[slot];
    if (entry == 0) continue;
    pool.push_back(std::move(FPool[entry]));
    FSlotOf.push_back(uint32_t(slot));
    entry = uint32_t(pool.size() - 1);
  }
  FPool.swap(pool);
  FFree.clear();
  FSlotsStale = false;
  size_t capacity = 16;
  while (capacity < 2 * FPool.size()) capacity *= 2;
  Rehash(capacity);
}

void TcxRecordBookmarks::Refile(size_t AFirst, size_t ALast) {
  for (size_t slot = AFirst; slot < ALast; ++slot)
    if (const uint32_t number = FEntries.AtSlot(slot)) FSlotOf[number] = uint32_t(slot);
}

void TcxRecordBookmarks::RefileAll() const {
  for (size_t r = 0; r < FEntries.size(); ++r)
    if (const uint32_t number = FEntries[r]) FSlotOf[number] = uint32_t(FEntries.SlotOf(r));
  FSlotsStale = false;
}

size_t TcxRecordBookmarks::Home(const TBookmarkStr& ABookmark) const {
  return std::hash<std::string_view>()(std::string_view(ABookmark)) & (FTable.size() - 1);
}

void TcxRecordBookmarks::File(uint32_t ANumber) {
  // At most half full: the runs of places stay short. Growing files every number in use,
  // this one with them (its bookmark is in the pool already).
  if (2 * (FFiled + 1) > FTable.size()) {
    Rehash(FTable.empty() ? 16 : 2 * FTable.size());
    return;
  }
  const size_t mask = FTable.size() - 1;
  size_t place = Home(FPool[ANumber]);
  while (FTable[place] != 0) place = (place + 1) & mask;
  FTable[place] = ANumber;
  ++FFiled;
}

void TcxRecordBookmarks::Unfile(uint32_t ANumber) {
  if (FFiled == 0) return;
  const size_t mask = FTable.size() - 1;
  size_t hole = Home(FPool[ANumber]);
  while (FTable[hole] != ANumber) {
    if (FTable[hole] == 0) return;  // not filed
    hole = (hole + 1) & mask;
  }
  // The numbers after the hole in its run move back where their search passes it.
  for (size_t place = (hole + 1) & mask; FTable[place] != 0; place = (place + 1) & mask) {
    const size_t home = Home(FPool[FTable[place]]);
    if (((place - home) & mask) >= ((place - hole) & mask)) {
      FTable[hole] = FTable[place];
      hole = place;
    }
  }
  FTable[hole] = 0;
  --FFiled;
}

void TcxRecordBookmarks::Rehash(size_t ACapacity) {
  FTable.assign(ACapacity, 0);
  FFiled = 0;
  const size_t mask = ACapacity - 1;
  for (uint32_t number = 1; number < FPool.size(); ++number) {
    if (FPool[number].empty()) continue;
    size_t place = Home(FPool[number]);
    while (FTable[place] != 0) place = (place + 1) & mask;
    FTable[place] = number;
    ++FFiled;
  }
}

// ---- The provider's record bookmarks ----

bool TcxDBDataProvider::TakeDataSetBookmark(Integer ARecordIndex) {
  TcxDBDataController* c = DBDataController();
  TDataSet* ds = DataSet();
  // A detail holds a part of the data set: a record of its master it does not know may be a
  // sibling's.
  if (!ds || IsGridMode() || c->IsDetail() || ds->State() != TDataSetState::dsBrowse || ds->IsEmpty() ||
      !ds->BookmarkAvailable())
    return false;
  // Every other stored record's bookmark is known, and none is the data set's: the data
  // set's record is the watched one, unless a handler added a record unheard (the count
  // tells).
  const TcxRecordBookmarks& marks = FRecordBookmarks;
  if (Integer(marks.size()) != c->GetRecordCount() || !marks[size_t(ARecordIndex)].empty() ||
      marks.EmptyCount() != 1)
    return false;
  const TBookmarkStr mark = ds->Bookmark();
  if (marks.Find(mark) >= 0) return false;
  // Counting asks the data set's filter, whose handler may free the data set or the
  // controller.
  cxDBDataGuards::TStepWatch<TcxDBDataProvider> watch(this, ds);
  const Integer count = ds->RecordCount();
  if (!watch.Alive() || count != c->GetRecordCount() || ds->State() != TDataSetState::dsBrowse ||
      !ds->BookmarkAvailable() || ds->Bookmark() != mark)
    return false;
  SetRecordBookmark(ARecordIndex, mark);
  return true;
}
