// The records a data set's filter keeps, by place: one verdict per stored record, held in
// blocks. A record coming or going moves the verdicts of one block only, each block knows
// how many of its records are kept, so the count is known at once, and a record's number
// or the next kept record is found by reading one block after a search over the blocks.
#pragma once

#include "platform/kernel/Types.h"

#include <cstdint>
#include <vector>

class TDataSetKeptRecords {
 public:
  // The verdict of the next place (the first Add is place 0).
  void Add(bool Kept);
  // How many places have a verdict, and how many of them are kept.
  Integer Size() const { return FSize; }
  Integer Count() const { return FKept; }
  // The verdict of a place in [0, Size()); false outside.
  bool Kept(Integer Place) const;
  // How many kept places come before Place (Place may be anything: it is clamped).
  Integer Rank(Integer Place) const;
  // The nearest kept place after Place (Step 1) or before it (Step -1); -1 when none.
  // Place may lie outside [0, Size()), as -1 and Size() do for the first and last.
  Integer Next(Integer Place, Integer Step) const;
  // A new place at Place in [0, Size()]: the places from Place on move up by one.
  void Insert(Integer Place, bool Kept);
  // Place in [0, Size()) goes: the places after it move down by one.
  void Erase(Integer Place);
  void Set(Integer Place, bool Kept);

 private:
  struct TBlock {
    std::vector<uint8_t> Verdicts;
    Integer Kept = 0;
  };
  // The block holding Place in [0, Size()) and Place's offset in it.
  size_t Find(Integer Place, Integer& Offset) const;
  // The first place of each block and the kept places before it, worked out again after
  // the blocks changed.
  void Index() const;

  std::vector<TBlock> FBlocks;
  Integer FSize = 0;
  Integer FKept = 0;
  mutable std::vector<Integer> FStarts;
  mutable std::vector<Integer> FKeptBefore;
  mutable bool FIndexed = true;
};
