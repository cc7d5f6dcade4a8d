// The places of one stored field's values by value, so that an exact search for a single
// key finds its records without walking the data set. The index answers only where its
// answer is the walk's answer; everything else is left to the walk.
#pragma once

#include "classlib/core/Variants.h"
#include "platform/kernel/Types.h"

#include <map>
#include <unordered_map>
#include <vector>

class TDataSetKeyIndex {
 public:
  // Values are added by place, in ascending order.
  void Add(Integer Place, const Variant& Value);
  // The first place that matches Key as the record search compares an exact key (Null with
  // Null; a text with the other side's text; whole numbers by value), -1 at the end of the
  // chain; the next ones through Next. False when only a walk can tell (a fractional,
  // Boolean or date value, whose text hangs on the format settings or whose comparison is
  // numeric across types).
  bool First(const Variant& Key, Integer& Place) const;
  Integer Next(Integer Place) const;
  // The same, from the first place after After on: one step when After holds Key itself.
  bool FirstAfter(const Variant& Key, Integer After, Integer& Place) const;

 private:
  // Chains of places with the same value: the head in the map (or FNullHead), the rest
  // through FNext by place.
  void Link(Integer& Head, Integer& Tail, Integer Place);

  struct TChain {
    Integer Head = -1;
    Integer Tail = -1;
  };
  std::unordered_map<String, TChain> FByText;
  TChain FNulls;
  std::vector<Integer> FNext;
  // The head of the chain each place is on.
  std::vector<Integer> FHeadOf;
  // Every value is Null, a string or a whole number (not a Boolean).
  bool FTextsAndWholeNumbers = true;
};

// The indexes of a data set's fields, by field slot, with what the walks for each slot cost
// since the records last changed: an index is built once the walks have visited as many
// records as building it reads.
struct TDataSetKeyIndexes {
  std::map<Integer, TDataSetKeyIndex> Indexes;
  std::map<Integer, Integer> WalkedRecords;
};
