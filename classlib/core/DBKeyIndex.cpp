// Exact searches for one field's value through an index of the stored values, kept until the
// records change. A list data set shown through lookups is searched by key once per row
// painted; walking a large one for each costs more than reading it once.
#include "classlib/core/DBKeyIndex.h"

#include "classlib/core/DB.h"

#include <charconv>
#include <utility>

namespace {

bool IsWholeNumberType(TVarType Type) {
  switch (Type) {
    case varSmallint: case varInteger: case varShortInt: case varByte:
    case varWord: case varLongWord: case varInt64:
      return true;
    default:
      return false;
  }
}

bool IsNullOrEmpty(const Variant& Value) { return VarIsNull(Value) || VarIsEmpty(Value); }

// Whether Text is exactly how a whole number reads (no sign but a minus, no leading zero, no
// "-0"), and which.
bool SpellsWholeNumber(const String& Text, Int64& Number) {
  const char* first = Text.data();
  const char* last = first + Text.size();
  const char* digits = first < last && *first == '-' ? first + 1 : first;
  if (digits == last || *digits < '0' || *digits > '9') return false;
  if (*digits == '0' && (last - digits > 1 || digits != first)) return false;
  const auto [end, error] = std::from_chars(first, last, Number);
  return error == std::errc() && end == last;
}

}  // namespace

// ---- TDataSetKeyIndex ------------------------------------------------------------------------

void TDataSetKeyIndex::Unusable() {
  FTextsAndWholeNumbers = false;
  FChains.clear();
  FChainOfNumber.clear();
  FChainOfText.clear();
  FNext.clear();
  FPrev.clear();
  FChainOfId.clear();
}

void TDataSetKeyIndex::Grow(Integer Id) {
  if (Id < Integer(FChainOfId.size())) return;
  const size_t size = size_t(Id) + 1;
  FNext.resize(size, -1);
  FPrev.resize(size, -1);
  FChainOfId.resize(size, -1);
}

// A string and a whole number are the only values whose text is the same whatever the format
// settings, and a whole number equals another exactly when their texts are equal; any other
// value leaves every search to the walk.
Integer TDataSetKeyIndex::ChainOf(const Variant& Value) {
  if (FChains.empty()) FChains.emplace_back();
  if (IsNullOrEmpty(Value)) return 0;
  if (VarIsArray(Value) || (!VarIsStr(Value) && !IsWholeNumberType(VarType(Value)))) return -1;
  auto file = [this](auto& AMap, auto&& AKey) {
    if (AMap.empty() && FExpected > 0) AMap.reserve(FExpected);
    const auto [it, added] =
        AMap.try_emplace(std::forward<decltype(AKey)>(AKey), Integer(FChains.size()));
    if (added) {
      try {
        FChains.emplace_back();
      } catch (...) {  // written out: only a failed growth takes the new key back
        AMap.erase(it);
        throw;
      }
    }
    return it->second;
  };
  Int64 number = 0;
  if (!VarIsStr(Value)) return file(FChainOfNumber, Value.AsInt64());
  String text = VarToStr(Value);
  if (SpellsWholeNumber(text, number)) return file(FChainOfNumber, number);
  return file(FChainOfText, std::move(text));
}

void TDataSetKeyIndex::Reserve(Integer Count) {
  FExpected = size_t(std::max(Count, 0));
  FChains.reserve(FExpected + 1);
  FNext.reserve(FExpected);
  FPrev.reserve(FExpected);
  FChainOfId.reserve(FExpected);
}

// The record search compares two texts when either side is a string, and otherwise the values;
// with only strings and whole numbers stored, a string key or a whole-number key therefore
// matches exactly the values with its text. False when only the walk can tell; Chain -1 for
// a key no record holds.
bool TDataSetKeyIndex::FindChain(const Variant& Key, Integer& Chain) const {
  if (!FTextsAndWholeNumbers) return false;
  Chain = -1;
  if (IsNullOrEmpty(Key)) {
    if (!FChains.empty()) Chain = 0;
    return true;
  }
  if (VarIsArray(Key) || (!VarIsStr(Key) && !IsWholeNumberType(VarType(Key)))) return false;
  Int64 number = 0;
  const String text = VarIsStr(Key) ? VarToStr(Key) : String();
  if (!VarIsStr(Key) || SpellsWholeNumber(text, number)) {
    const auto it = FChainOfNumber.find(VarIsStr(Key) ? number : Key.AsInt64());
    if (it != FChainOfNumber.end()) Chain = it->second;
  } else {
    const auto it = FChainOfText.find(text);
    if (it != FChainOfText.end()) Chain = it->second;
  }
  return true;
}

Integer TDataSetKeyIndex::ChainToFile(Integer Id, const Variant& Value) {
  if (!FTextsAndWholeNumbers || Id < 0) return -1;
  const Integer chain = ChainOf(Value);
  if (chain < 0) {
    Unusable();
    return -1;
  }
  Grow(Id);
  return chain;
}

void TDataSetKeyIndex::Add(Integer Id, const Variant& Value) {
  const Integer chain = ChainToFile(Id, Value);
  if (chain < 0) return;
  Remove(Id);
  TChain& c = FChains[size_t(chain)];
  Join(c, c.Tail, Id);
  c.Tail = Id;
  FChainOfId[size_t(Id)] = chain;
}

void TDataSetKeyIndex::Insert(Integer Id, const Variant& Value, Integer Place,
                              const TPlaceOf& PlaceOf) {
  const Integer chain = ChainToFile(Id, Value);
  if (chain < 0) return;
  // Filed under the same key between records still before and after it: it stays.
  if (FChainOfId[size_t(Id)] == chain) {
    const Integer prev = FPrev[size_t(Id)], next = FNext[size_t(Id)];
    if ((prev < 0 || PlaceOf(prev) < Place) && (next < 0 || PlaceOf(next) > Place)) return;
  }
  Remove(Id);
  // Records mostly come at the end, or with keys of their own: the search for the record
  // before it goes back from the chain's end.
  TChain& c = FChains[size_t(chain)];
  Integer before = c.Tail;
  while (before >= 0 && PlaceOf(before) > Place) before = FPrev[size_t(before)];
  const Integer after = before >= 0 ? FNext[size_t(before)] : c.Head;
  Join(c, before, Id);
  Join(c, Id, after);
  FChainOfId[size_t(Id)] = chain;
}

void TDataSetKeyIndex::Join(TChain& Chain, Integer Before, Integer After) {
  if (Before >= 0)
    FNext[size_t(Before)] = After;
  else
    Chain.Head = After;
  if (After >= 0)
    FPrev[size_t(After)] = Before;
  else
    Chain.Tail = Before;
}

void TDataSetKeyIndex::Remove(Integer Id) {
  if (Id < 0 || Id >= Integer(FChainOfId.size()) || FChainOfId[size_t(Id)] < 0) return;
  TChain& c = FChains[size_t(FChainOfId[size_t(Id)])];
  Join(c, FPrev[size_t(Id)], FNext[size_t(Id)]);
  FPrev[size_t(Id)] = FNext[size_t(Id)] = FChainOfId[size_t(Id)] = -1;
}

bool TDataSetKeyIndex::First(const Variant& Key, Integer& Id) const {
  Integer chain = -1;
  if (!FindChain(Key, chain)) return false;
  Id = chain < 0 ? -1 : FChains[size_t(chain)].Head;
  return true;
}

Integer TDataSetKeyIndex::Next(Integer Id) const {
  return Id >= 0 && Id < Integer(FNext.size()) ? FNext[size_t(Id)] : -1;
}

// A walk through a key's records comes from one of them: the next one is a step away. From
// elsewhere the chain is followed from its head (places ascend along it).
bool TDataSetKeyIndex::FirstAfter(const Variant& Key, Integer AfterId, Integer AfterPlace,
                                  Integer& Id, const TPlaceOf& PlaceOf) const {
  Integer chain = -1;
  if (!FindChain(Key, chain)) return false;
  Id = chain < 0 ? -1 : FChains[size_t(chain)].Head;
  if (Id < 0 || AfterPlace < 0) return true;
  if (AfterId >= 0 && AfterId < Integer(FChainOfId.size()) &&
      FChainOfId[size_t(AfterId)] == chain) {
    Id = FNext[size_t(AfterId)];
    return true;
  }
  while (Id >= 0 && PlaceOf(Id) <= AfterPlace) Id = Next(Id);
  return true;
}

// ---- TMemoryDataSet --------------------------------------------------------------------------

const Variant* TMemoryDataSet::InternalStoredValue(Integer Place, Integer Slot) const {
  static const Variant kNull = Null();
  if (Place < 0 || Place >= InternalRecordCount() || Slot < 0) return nullptr;
  const std::vector<Variant>& values = ValuesAt(Place);
  // A record stored before its definitions grew holds nothing in the new ones.
  return Slot < Integer(values.size()) ? &values[size_t(Slot)] : &kNull;
}

Integer TMemoryDataSet::InternalRecordId(Integer Place) const {
  return Place >= 0 && Place < InternalRecordCount() ? FPlaces[size_t(Place)].Id : -1;
}

Integer TMemoryDataSet::InternalPlaceOfId(Integer Id) const {
  if (!FSlotOfIdValid) IndexSlotsById();
  return Id >= 0 && Id < Integer(FSlotOfId.size()) && FSlotOfId[size_t(Id)] != kNoSlot
             ? Integer(FPlaces.IndexOfSlot(FSlotOfId[size_t(Id)]))
             : -1;
}

// ---- TDataSet: searching by index ------------------------------------------------------------

// Only an exact search on one stored field, with no filter handler (which may decide on
// anything), can be answered from stored values; -1 otherwise.
Integer TDataSet::KeyIndexSlot(const TField* Field, TLocateOptions Options) const {
  if (!Options.Empty() || OnFilterRecord || Field->FieldKind() != TFieldKind::fkData) return -1;
  return Field->FSlot >= 0 && Field->FSlot < FStoredSlots ? Field->FSlot : -1;
}

void TDataSet::CountWalk(const TField* Field, TLocateOptions Options, Integer Walked) {
  const Integer slot = KeyIndexSlot(Field, Options);
  if (slot < 0) return;
  if (!FKeyIndexes) FKeyIndexes = std::make_shared<TDataSetKeyIndexes>();
  Integer& walked = FKeyIndexes->WalkedRecords[slot];
  walked = Integer(std::min<Int64>(Int64(walked) + Walked, INT32_MAX));
}

// A walk for one search reads half the records on average: from two searches on, the walks
// are counted as done, and the first search builds the index.
void TDataSet::ExpectSearches(const String& KeyFields, Integer Count) {
  if (!Active() || Count < 2) return;
  const TField* field = FindField(KeyFields);
  if (!field) return;
  const Int64 walks = Int64(Count) * InternalRecordCount() / 2;
  CountWalk(field, {}, Integer(std::min<Int64>(walks, INT32_MAX)));
}

bool TDataSet::FindIndexedRecord(const TField* Field, const Variant& Key, TLocateOptions Options,
                                 Integer After, Integer& Place) {
  const Integer slot = KeyIndexSlot(Field, Options);
  const Integer count = InternalRecordCount();
  if (slot < 0 || count == 0) return false;
  // Held for the search: reading a record for the filter runs the calculations, which may
  // change the records and drop the indexes.
  std::shared_ptr<TDataSetKeyIndexes> indexes = FKeyIndexes;
  if (!indexes) return false;
  // Without record ids of the descendant's, records are named by their places (the indexes
  // are then dropped by every change).
  const bool named = InternalRecordId(0) >= 0;
  auto idAt = [this, named](Integer P) { return named ? InternalRecordId(P) : P; };
  const TDataSetKeyIndex::TPlaceOf placeOf = [this, named](Integer Id) {
    return named ? InternalPlaceOfId(Id) : Id;
  };
  auto it = indexes->Indexes.find(slot);
  if (it == indexes->Indexes.end()) {
    // Built once the walks for this field have read as many records as building does, so a
    // data set searched rarely between changes never pays more than twice its walks.
    if (indexes->WalkedRecords[slot] < count) return false;
    TDataSetKeyIndex index;
    index.Reserve(count);
    for (Integer p = 0; p < count; ++p) {
      const Variant* value = InternalStoredValue(p, slot);
      if (!value) return false;
      index.Add(idAt(p), *value);
    }
    it = indexes->Indexes.emplace(slot, std::move(index)).first;
  }
  const TDataSetKeyIndex& index = it->second;
  Integer id = -1;
  if (!index.FirstAfter(Key, After >= 0 ? idAt(After) : -1, After, id, placeOf)) return false;
  Integer p = id >= 0 ? placeOf(id) : -1;
  while (p >= 0 && !RecordVisible(p) && !Freed()) {
    id = index.Next(id);
    p = id >= 0 ? placeOf(id) : -1;
  }
  Place = p;
  return true;
}

// A post, an insertion or a deletion files the one record it touched; a descendant without
// record ids has every index dropped instead, and so has an index that cannot follow.
void TDataSet::KeyIndexesFollow(Integer OldId, Integer Place) {
  const std::shared_ptr<TDataSetKeyIndexes> indexes = FKeyIndexes;
  if (!indexes || indexes->Indexes.empty()) return;
  const Integer id = Place >= 0 ? InternalRecordId(Place) : -1;
  if (Place >= 0 ? id < 0 : OldId < 0) {
    FKeyIndexes.reset();
    return;
  }
  const TDataSetKeyIndex::TPlaceOf placeOf = [this](Integer Id) { return InternalPlaceOfId(Id); };
  try {
    for (auto& [slot, index] : indexes->Indexes) {
      if (OldId >= 0 && OldId != id) index.Remove(OldId);
      if (Place < 0) continue;
      const Variant* value = InternalStoredValue(Place, slot);
      if (!value) {
        FKeyIndexes.reset();
        return;
      }
      index.Insert(id, *value, Place, placeOf);
    }
  } catch (...) {
    // Out of memory: the searches walk again, nothing else is lost.
    FKeyIndexes.reset();
  }
}
