// The storage's indexes: for one value definition, the records by key (to find a record by
// its key without comparing every record) and by upper-cased display text (to find the
// records whose text begins with a typed text). Once built, an index follows every change of
// the records one record at a time; only a change of the layout drops it.
#pragma once

#include "platform/kernel/Types.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

class TcxDataStorage;
class TcxValueDef;

// The bytes one record's key is compared by: two records hold equal keys when both the
// kind and the bytes match. Kind 0 Null, 1 a string without a cell, 2 a string's bytes,
// 3 a value's bytes.
struct TcxDataKeyView {
  Byte Kind = 0;
  const char* Data = nullptr;
  size_t Size = 0;
  bool operator==(const TcxDataKeyView& A) const {
    return Kind == A.Kind && Size == A.Size && (Size == 0 || std::memcmp(Data, A.Data, Size) == 0);
  }
  std::uint32_t Hash() const;
};

// Record numbers kept through the insertions and deletions of records since an index last
// renumbered all it holds. Every shift since then is composed into one map from the numbers at
// its start to the numbers now (x + Sum of the last step with From <= x; it never decreases),
// read in a search, so that a record in and out at one place leaves nothing. A record that
// came since has no number there: it is kept as numbered now, stamped with the shifts it saw,
// and reads the shifts after them from a log, kept only while such numbers exist. An index
// stores each number as a pair (number, stamp) through Store and reads it through Now.
class TcxDataRecordShifts {
 public:
  // The number now of the pair; stamp 0: as numbered at the map's start.
  Integer Now(Integer AStored, std::uint32_t AStamp) const;
  // Writes ANow into the pair (stamp 0 for a pair not stored yet): as numbered at the map's
  // start when a number there maps to it, else as numbered now.
  void Store(Integer ANow, Integer& AStored, std::uint32_t& AStamp) const;
  // A stored pair goes.
  void Drop(std::uint32_t AStamp) const {
    if (AStamp != 0) --FLogged;
  }
  // Room for AMore shifts with the map and the log at most ALimit long; on false the index
  // numbers every pair anew (Now, stamp 0) and calls Restart before it shifts them itself.
  bool Room(size_t AMore, size_t ALimit) const;
  void Restart();
  // One record in or out at AAt (numbered now): the records after it move by one.
  void Shift(Integer AAt, bool AInserted);

 private:
  struct TShift {
    Integer At;
    bool Inserted;
  };
  struct TStep {
    Integer From, Delta, Sum;  // Sum: the Deltas of this step and those before it
  };
  Integer Mapped(Integer AFrom) const;
  // A number at the map's start the map takes to ANow; false for a record that came since.
  bool Unmapped(Integer ANow, Integer& AFrom) const;

  // The shifts FShiftsFrom.. (counted from 1 since the map's start) for the pairs numbered
  // after some of them.
  std::vector<TShift> FShifts;
  std::uint32_t FShiftsFrom = 1, FShiftsEnd = 1;
  mutable size_t FLogged = 0;  // pairs with a stamp
  std::vector<TStep> FSteps;
};

// The first record of each key of one definition: an open-addressing table of key hashes, each
// slot holding its key's first record and how many records hold the key. When the first one
// leaves, the next is found by reading on from it (the key's records lie ahead of it).
class TcxDataKeyIndex {
 public:
  TcxDataKeyIndex(const TcxDataStorage* AStorage, TcxValueDef* AValueDef)
      : FStorage(AStorage), FValueDef(AValueDef) {}
  // Every record of the storage, room reserved first; false when a key cannot be read.
  bool Build(Integer ACount);
  // -1 when no record holds the key.
  Integer First(const TcxDataKeyView& AKey) const;
  // How many records hold AKey.
  Integer CountOf(const TcxDataKeyView& AKey) const;
  // How many records the index holds; -1 once it found itself wrong (no record where the
  // index said), which the storage takes as an index to drop.
  Integer Count() const { return FCount; }
  // The record (already numbered among the others) under its present key.
  void Add(Integer ARecordIndex);
  // The record leaves the slot of AKey, what it held when it was added (it may hold another
  // key now; the records after it still hold theirs).
  void Remove(Integer ARecordIndex, const TcxDataKeyView& AKey);
  // A record came at ARecordIndex (not yet added): those at and after it move up by one.
  void Inserted(Integer ARecordIndex);
  // The records of AList (ascending, already removed) are gone: the others close up.
  void Deleted(const std::vector<Integer>& AList);
  TcxDataKeyView KeyOf(Integer ARecordIndex) const;

 private:
  struct TSlot {
    std::uint32_t Hash;
    Integer First;  // kEmpty for a free slot; with Shifted, a pair of FShifts
    Integer Count;
    std::uint32_t Shifted;
  };
  static constexpr Integer kEmpty = -1;
  void Reserve(size_t AKeys);
  void EraseSlot(size_t AIndex);
  // The slot's first record as numbered now.
  Integer FirstOf(const TSlot& ASlot) const;
  void SetFirst(TSlot& ASlot, Integer AFirst) const {
    FShifts.Store(AFirst, ASlot.First, ASlot.Shifted);
  }
  // The slot holding AKey; nullptr for none.
  const TSlot* SlotOf(const TcxDataKeyView& AKey) const;
  // Room for AMore shifts; else every slot is renumbered, the shifts start over, and false
  // says the caller renumbers the slots itself.
  bool LogRoom(size_t AMore);
  template <class F>
  void Renumber(F&& AMap);

  const TcxDataStorage* FStorage;
  TcxValueDef* FValueDef;
  // A power of two, at most half full. Its slots learn of insertions and deletions as they
  // are read: one change does not visit every key.
  mutable std::vector<TSlot> FSlots;
  TcxDataRecordShifts FShifts;
  size_t FUsed = 0;
  Integer FCount = 0;
};

// The records of one definition by their display texts in the code page's upper case, in
// that byte order (records in record order among equal texts), so that the records whose
// text begins with a given text follow one another. Kept in blocks, so that one record
// moves a block's entries, not the whole index; the entries' record numbers follow the
// insertions and deletions through the composed shifts, so that a change touches its own
// record's entry alone. Each entry carries its text's first eight upper-cased bytes (as a
// big-endian number, which orders as the bytes do) and its length: most comparisons and every
// search for up to eight bytes read no text.
class TcxDataTextIndex {
 public:
  TcxDataTextIndex(const TcxDataStorage* AStorage, TcxValueDef* AValueDef)
      : FStorage(AStorage), FValueDef(AValueDef) {}
  void Build(Integer ACount);
  // The records whose text begins with AUpperPrefix, in record order.
  void Find(const String& AUpperPrefix, std::vector<Integer>& ARecords) const;
  Integer Count() const { return FCount; }
  // The record (already numbered among the others) under its present text.
  void Add(Integer ARecordIndex);
  // The record leaves, looked up by its present text: called before the text changes.
  // False when it was not where its text says (the index no longer answers).
  bool Remove(Integer ARecordIndex);
  void Inserted(Integer ARecordIndex);
  void Deleted(const std::vector<Integer>& AList);

 private:
  struct TEntry {
    std::uint64_t Head;
    std::uint32_t Length;
    // A pair of FShifts; read (and stored again) through RecordOf. A probe built by EntryOf
    // holds its record as numbered now.
    mutable Integer Record;
    mutable std::uint32_t Stamp;
  };
  using TBlock = std::vector<TEntry>;
  static constexpr size_t kBlock = 512;
  TEntry EntryOf(Integer ARecordIndex) const;
  std::string_view TextOf(Integer ARecordIndex) const;
  // The entry's record as numbered now; an entry read once reads no more of the log.
  Integer RecordOf(const TEntry& AEntry) const;
  // Whether a stored entry comes before a probe.
  bool Before(const TEntry& AStored, const TEntry& AProbe) const;
  // Where the first entry not before AProbe is (ABlock == block count at the end).
  void LowerBound(const TEntry& AProbe, size_t& ABlock, size_t& AOffset) const;
  // Room for AMore shifts; else every entry is renumbered, the shifts start over, and false
  // says the caller renumbers the entries itself.
  bool LogRoom(size_t AMore);
  template <class F>
  void Renumber(F&& AMap);

  const TcxDataStorage* FStorage;
  TcxValueDef* FValueDef;
  std::vector<TBlock> FBlocks;  // none empty
  TcxDataRecordShifts FShifts;
  Integer FCount = 0;
};

// Per definition: the index once built, and how many records the walks read until then.
template <class TIndex>
struct TcxDataIndexEntry {
  TcxValueDef* ValueDef = nullptr;
  Integer Walked = 0;
  std::unique_ptr<TIndex> Index;  // built
};

struct TcxDataStorageKeyIndexes {
  std::vector<TcxDataIndexEntry<TcxDataKeyIndex>> Keys;
  std::vector<TcxDataIndexEntry<TcxDataTextIndex>> Texts;
  template <class TIndex>
  static TcxDataIndexEntry<TIndex>* Find(std::vector<TcxDataIndexEntry<TIndex>>& AEntries,
                                         const TcxValueDef* ADef) {
    for (auto& e : AEntries)
      if (e.ValueDef == ADef) return &e;
    return nullptr;
  }
  bool AnyBuilt() const {
    for (const auto& e : Keys)
      if (e.Index) return true;
    for (const auto& e : Texts)
      if (e.Index) return true;
    return false;
  }
};
