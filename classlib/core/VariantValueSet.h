// A list of values (an IN list, say), indexed so that a value is found in logarithmic time
// with exactly the verdict of comparing it with every element in turn (Variant equality:
// Null only equals Null, a text meeting a number is read as a number, values that cannot
// be compared are not equal).
//
// Variant equality takes a different road for each pair of kinds (texts as bytes, a
// Boolean meeting a text as a Boolean, integers and currency exactly, dates as dates, the
// rest as doubles); each element is filed under the key of every road that can reach it,
// and a value looks only along the roads its own kind takes.
#pragma once

#include "classlib/core/Variants.h"

#include <vector>

class TVariantValueSet {
 public:
  // The elements of an array (from its low to its high bound), or the value alone.
  explicit TVariantValueSet(const Variant& AList);
  explicit TVariantValueSet(std::vector<Variant> AElements);
  // Whether some element equals AValue.
  bool Contains(const Variant& AValue) const;

 private:
  template <class K>
  struct TIndex {
    std::vector<std::pair<K, Integer>> Entries;  // sorted by key, one element per key
    void Add(const K& AKey, Integer AElement) { Entries.push_back({AKey, AElement}); }
    void Seal();
    Integer Find(const K& AKey) const;  // the element filed under AKey, or -1
  };
  // The groups of elements that the double road reaches from different kinds of values.
  enum TDoubleGroup : unsigned { dgFloat = 1, dgNumber = 2, dgBooleanOrEmpty = 4, dgText = 8 };

  void Build();
  bool Confirms(Integer AElement, const Variant& AValue) const;
  bool FoundDouble(const Variant& AValue, unsigned AGroups) const;
  bool FoundDate(const TIndex<double>& AIndex, const Variant& AValue) const;

  std::vector<Variant> FElements;
  bool FHasNull = false;
  std::vector<Integer> FUnclassified;  // kinds no road knows: asked one by one
  TIndex<String> FTexts;               // texts and Empty by their bytes
  Integer FTextByBoolean[2] = {-1, -1};     // texts read as a Boolean (False, True)
  Integer FBooleanByBoolean[2] = {-1, -1};  // Booleans themselves
  TIndex<__int128> FExact;             // integers, Booleans, Empty and currency, in currency units
  TIndex<double> FDates;               // dates
  TIndex<double> FAllAsDates;          // every element read as a date
  TIndex<double> FDoubles[4];          // by TDoubleGroup bit
};
