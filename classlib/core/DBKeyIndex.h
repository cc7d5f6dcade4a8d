// The records of one stored field's values by value, so that an exact search for a single
// key finds its records without walking the data set. The index answers only where its
// answer is the walk's answer; everything else is left to the walk.
#pragma once

#include "classlib/core/Variants.h"
#include "platform/kernel/Types.h"

#include <functional>
#include <map>
#include <unordered_map>
#include <vector>

// Records are named by ids that stay theirs while records come and go around them, so that a
// change files the record it touches alone; each key's records are chained in place order.
class TDataSetKeyIndex {
 public:
  // The current place of the record with an id.
  using TPlaceOf = std::function<Integer(Integer Id)>;
  // Room for Count records, before a build.
  void Reserve(Integer Count);
  // A record after every record already filed (a build goes in place order).
  void Add(Integer Id, const Variant& Value);
  // A record filed by its value among the records of its key, at Place; ids already filed
  // are filed anew.
  void Insert(Integer Id, const Variant& Value, Integer Place, const TPlaceOf& PlaceOf);
  // A record no longer there.
  void Remove(Integer Id);
  // The first record that matches Key as the record search compares an exact key (Null
  // with Null; a text with the other side's text; whole numbers by value), -1 at the end of
  // the chain; the next ones through Next. False when only a walk can tell (a fractional,
  // Boolean or date value, whose text hangs on the format settings or whose comparison is
  // numeric across types).
  bool First(const Variant& Key, Integer& Id) const;
  Integer Next(Integer Id) const;
  // The same, from the first record after the one at AfterPlace (named AfterId) on: one
  // step when that record holds Key itself.
  bool FirstAfter(const Variant& Key, Integer AfterId, Integer AfterPlace, Integer& Id,
                  const TPlaceOf& PlaceOf) const;

 private:
  struct TChain {
    Integer Head = -1;
    Integer Tail = -1;
  };
  // The chain a value goes on, made when new; -1 for a value only the walk compares.
  Integer ChainOf(const Variant& Value);
  bool FindChain(const Variant& Key, Integer& Chain) const;
  // The chain Id is filed on by Value, with room made for Id; -1 when the index files nothing
  // (made unusable by a value it cannot file).
  Integer ChainToFile(Integer Id, const Variant& Value);
  // Makes After follow Before on the chain; -1 on either side stands for the chain's end.
  void Join(TChain& Chain, Integer Before, Integer After);
  void Grow(Integer Id);
  void Unusable();

  std::vector<TChain> FChains;  // [0]: the Nulls
  // Whole numbers, and the texts that spell one as its text does, by number; other texts by
  // text: a build of whole numbers makes no text.
  std::unordered_map<Int64, Integer> FChainOfNumber;
  std::unordered_map<String, Integer> FChainOfText;
  size_t FExpected = 0;
  // By id: the neighbours on the chain and the chain (-1: not filed).
  std::vector<Integer> FNext, FPrev, FChainOfId;
  // Every value is Null, a string or a whole number (not a Boolean).
  bool FTextsAndWholeNumbers = true;
};

// The indexes of a data set's fields, by field slot, with what the walks for each slot cost
// since the records last changed other than by a post or a deletion: an index is built once
// the walks have visited as many records as building it reads.
struct TDataSetKeyIndexes {
  std::map<Integer, TDataSetKeyIndex> Indexes;
  std::map<Integer, Integer> WalkedRecords;
};
