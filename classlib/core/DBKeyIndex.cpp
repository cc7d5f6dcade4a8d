// Exact searches for one field's value through an index of the stored values, kept until the
// records change. A list data set shown through lookups is searched by key once per row
// painted; walking a large one for each costs more than reading it once.
#include "classlib/core/DBKeyIndex.h"

#include "classlib/core/DB.h"

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

}  // namespace

// ---- TDataSetKeyIndex ------------------------------------------------------------------------

void TDataSetKeyIndex::Link(Integer& Head, Integer& Tail, Integer Place) {
  if (Head < 0)
    Head = Place;
  else
    FNext[size_t(Tail)] = Place;
  Tail = Place;
  FHeadOf[size_t(Place)] = Head;
}

// A string and a whole number are the only values whose text is the same whatever the format
// settings, and a whole number equals another exactly when their texts are equal; any other
// value leaves every search to the walk.
void TDataSetKeyIndex::Add(Integer Place, const Variant& Value) {
  if (!FTextsAndWholeNumbers) return;
  if (Integer(FNext.size()) <= Place) {
    FNext.resize(size_t(Place) + 1, -1);
    FHeadOf.resize(size_t(Place) + 1, -1);
  }
  if (IsNullOrEmpty(Value)) {
    Link(FNulls.Head, FNulls.Tail, Place);
    return;
  }
  if (VarIsArray(Value) || (!VarIsStr(Value) && !IsWholeNumberType(VarType(Value)))) {
    FTextsAndWholeNumbers = false;
    FByText.clear();
    FNext.clear();
    FHeadOf.clear();
    FNulls = {};
    return;
  }
  TChain& chain = FByText[VarToStr(Value)];
  Link(chain.Head, chain.Tail, Place);
}

// The record search compares two texts when either side is a string, and otherwise the values;
// with only strings and whole numbers stored, a string key or a whole-number key therefore
// matches exactly the values with its text.
bool TDataSetKeyIndex::First(const Variant& Key, Integer& Place) const {
  if (!FTextsAndWholeNumbers) return false;
  if (IsNullOrEmpty(Key)) {
    Place = FNulls.Head;
    return true;
  }
  if (VarIsArray(Key) || (!VarIsStr(Key) && !IsWholeNumberType(VarType(Key)))) return false;
  const auto it = FByText.find(VarToStr(Key));
  Place = it == FByText.end() ? -1 : it->second.Head;
  return true;
}

Integer TDataSetKeyIndex::Next(Integer Place) const {
  return Place >= 0 && Place < Integer(FNext.size()) ? FNext[size_t(Place)] : -1;
}

// A walk through a key's places comes from one of them: the next one is a step away. From
// elsewhere the chain is followed from its head (places ascend along it).
bool TDataSetKeyIndex::FirstAfter(const Variant& Key, Integer After, Integer& Place) const {
  if (!First(Key, Place)) return false;
  if (Place < 0 || After < 0) return true;
  if (After < Integer(FHeadOf.size()) && FHeadOf[size_t(After)] == Place) {
    Place = Next(After);
    return true;
  }
  while (Place >= 0 && Place <= After) Place = Next(Place);
  return true;
}

// ---- TMemoryDataSet --------------------------------------------------------------------------

const Variant* TMemoryDataSet::InternalStoredValue(Integer Place, Integer Slot) const {
  static const Variant kNull = Null();
  if (Place < 0 || Place >= InternalRecordCount() || Slot < 0) return nullptr;
  const std::vector<Variant>& values = FSlots[SlotOf(Place)].Values;
  // A record stored before its definitions grew holds nothing in the new ones.
  return Slot < Integer(values.size()) ? &values[size_t(Slot)] : &kNull;
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
  FKeyIndexes->WalkedRecords[slot] += Walked;
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
  auto it = indexes->Indexes.find(slot);
  if (it == indexes->Indexes.end()) {
    // Built once the walks for this field have read as many records as building does, so a
    // data set searched rarely between changes never pays more than twice its walks.
    if (indexes->WalkedRecords[slot] < count) return false;
    TDataSetKeyIndex index;
    for (Integer p = 0; p < count; ++p) {
      const Variant* value = InternalStoredValue(p, slot);
      if (!value) return false;
      index.Add(p, *value);
    }
    it = indexes->Indexes.emplace(slot, std::move(index)).first;
  }
  const TDataSetKeyIndex& index = it->second;
  Integer p = -1;
  if (!index.FirstAfter(Key, After, p)) return false;
  while (p >= 0 && !RecordVisible(p) && !Freed()) p = index.Next(p);
  Place = p;
  return true;
}
