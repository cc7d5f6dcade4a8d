// Value definitions, the record storage and the lookup list.
#include "widgets/data/cxDataStorage.h"

#include "classlib/core/Lists.h"
#include "classlib/core/SysUtils.h"
#include "widgets/data/cxDataUtils.h"
#include "widgets/foundation/cxVariants.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>
#include <optional>

namespace {

constexpr Byte kInUse = 1;
constexpr Integer kPointerSize = Integer(sizeof(void*));

Byte* AllocateZeroed(Integer ASize) {
  void* p = std::calloc(size_t(std::max<Integer>(ASize, 1)), 1);
  if (!p) throw std::bad_alloc();
  return static_cast<Byte*>(p);
}

Byte* Reallocate(Byte* ABuffer, Integer ASize) {
  void* p = std::realloc(ABuffer, size_t(std::max<Integer>(ASize, 1)));
  if (!p) throw std::bad_alloc();
  return static_cast<Byte*>(p);
}

Integer LoadID(const Byte* ABuffer) {
  Integer id;
  std::memcpy(&id, ABuffer + 1, 4);
  return id;
}

void StoreID(Byte* ABuffer, Integer AID) { std::memcpy(ABuffer + 1, &AID, 4); }

bool HoldsPointer(const Byte* ASlot) {
  const void* p;
  std::memcpy(&p, ASlot, sizeof(p));
  return p != nullptr;
}

// Releases what one field of a buffer holds: its value when present, its kept text.
void FreeField(Byte* ABuffer, const TcxValueDef* AValueDef) {
  if (AValueDef->BufferSize() == 0) return;
  Byte* field = ABuffer + AValueDef->Offset();
  if (field[0]) AValueDef->ValueTypeClass()->FreeBuffer(field + 1);
  if (AValueDef->HasTextSlot()) AValueDef->ValueTypeClass()->FreeTextBuffer(field + 1 + AValueDef->DataSize());
}

}  // namespace

// ---- TcxValueDef ----

TcxValueDef::TcxValueDef(TcxValueDefs* AOwner, TcxValueTypeClass AValueTypeClass)
    : FOwner(AOwner), FValueTypeClass(AValueTypeClass) {
  FDataSize = AValueTypeClass->GetDataSize();
}

void TcxValueDef::BeforeDestruction() {
  if (FOwner) FOwner->Extract(this);
  FOwner = nullptr;
  inherited::BeforeDestruction();
}

bool TcxValueDef::IsStored() const {
  return FStored || !FOwner || !FOwner->DataStorage() || !FOwner->DataStorage()->StoredValuesOnly();
}

void TcxValueDef::Assign(TcxValueDef* ASource) {
  if (!ASource) return;
  SetStored(ASource->Stored());
  SetTextStored(ASource->TextStored());
}

void TcxValueDef::SetStored(bool Value) {
  if (FStored == Value) return;
  FStored = Value;
  if (FOwner) FOwner->Changed(this, 0);
}

void TcxValueDef::SetTextStored(bool Value) {
  if (FTextStored == Value) return;
  FTextStored = Value;
  if (FOwner) FOwner->Changed(this, 1);
}

TObject* TcxInternalValueDef::GetLink() const { return FValueDef ? FValueDef->GetLink() : nullptr; }

// ---- TcxValueDefs ----

TcxValueDefs::TcxValueDefs(TcxDataStorage* ADataStorage) : FDataStorage(ADataStorage) {
  Prepare(ADataStorage ? ADataStorage->HeaderSize() : 1);
}

void TcxValueDefs::BeforeDestruction() {
  Clear();
  inherited::BeforeDestruction();
}

void TcxValueDefs::Changed(TcxValueDef* AValueDef, Integer AChange) {
  if (!FDataStorage) return;
  // A layout that no longer matches its buffers would read past them: lay them out anew.
  bool stored = AValueDef->IsStored();
  bool text = AValueDef->IsTextStored();
  if ((AValueDef->BufferSize() > 0) != stored || AValueDef->HasTextSlot() != text) FDataStorage->RelayOut(this);
  FDataStorage->ValueDefChanged(AValueDef, AChange);
}

TcxValueDef* TcxValueDefs::CreateValueDef(TcxValueTypeClass AValueTypeClass) {
  return New<TcxValueDef>(this, AValueTypeClass);
}

void TcxValueDefs::Prepare(Integer AStartOffset) {
  FStartOffset = AStartOffset;
  Integer offset = AStartOffset;
  for (TcxValueDef* def : FItems) {
    def->FDataSize = def->ValueTypeClass()->GetDataSize();
    def->FOffset = offset;
    def->FHasTextSlot = def->IsTextStored();
    if (def->IsStored()) {
      offset += 1 + def->FDataSize + (def->FHasTextSlot ? kPointerSize : 0);
      def->FBufferSize = offset - def->FOffset;
    } else {
      def->FBufferSize = 0;
    }
  }
  FRecordSize = offset;
}

TcxValueDef* TcxValueDefs::Add(TcxValueTypeClass AValueTypeClass, bool AStored, bool ATextStored, TObject* ALink) {
  TcxValueDef* def = CreateValueDef(AValueTypeClass);
  def->FLink = ALink;
  def->FStored = AStored;
  def->FTextStored = ATextStored;
  def->FHasTextSlot = def->IsTextStored();
  def->FBufferSize = def->IsStored() ? 1 + def->FDataSize + (def->FHasTextSlot ? kPointerSize : 0) : 0;
  def->FOffset = FRecordSize;
  try {
    if (FDataStorage) FDataStorage->InsertValueDef(this, def);
  } catch (...) {  // written out: only a refused definition is freed; a taken one is the list's
    def->FOwner = nullptr;
    def->Free();
    throw;
  }
  FItems.push_back(def);
  if (FDataStorage) FDataStorage->ValueDefsChanged(this);
  else Prepare(FStartOffset);
  return def;
}

void TcxValueDefs::Clear() {
  while (!FItems.empty()) FItems.back()->Free();
}

void TcxValueDefs::Remove(TcxValueDef* AValueDef) {
  if (AValueDef && AValueDef->FOwner == this) AValueDef->Free();
}

void TcxValueDefs::Extract(TcxValueDef* AValueDef) {
  auto it = std::find(FItems.begin(), FItems.end(), AValueDef);
  if (it == FItems.end()) return;
  if (FDataStorage && !FDataStorage->Destroying()) FDataStorage->RemoveValueDef(this, AValueDef);
  it = std::find(FItems.begin(), FItems.end(), AValueDef);
  if (it != FItems.end()) FItems.erase(it);
  if (FDataStorage && !FDataStorage->Destroying()) {
    FDataStorage->ValueDefsChanged(this);
    if (this == FDataStorage->ValueDefs()) FDataStorage->AssignRecordIDs();
  } else {
    Prepare(FStartOffset);
  }
}

TcxValueDef* TcxValueDefs::Items(Integer AIndex) const {
  if (AIndex < 0 || AIndex >= Count()) ListIndexError(AIndex);
  if (FDataStorage && FDataStorage->IsStreaming() && this == FDataStorage->ValueDefs()) {
    const std::vector<TcxValueDef*>& order = FDataStorage->StreamingOrder();
    if (size_t(AIndex) < order.size()) return order[size_t(AIndex)];
  }
  return FItems[size_t(AIndex)];
}

Integer TcxValueDefs::IndexOf(const TcxValueDef* AValueDef) const {
  auto it = std::find(FItems.begin(), FItems.end(), AValueDef);
  return it == FItems.end() ? -1 : Integer(it - FItems.begin());
}

Integer TcxValueDefs::StoredCount() const {
  return Integer(std::count_if(FItems.begin(), FItems.end(), [](TcxValueDef* d) { return d->IsStored(); }));
}

TcxValueDef* TcxInternalValueDefs::CreateValueDef(TcxValueTypeClass AValueTypeClass) {
  return New<TcxInternalValueDef>(this, AValueTypeClass);
}

TcxInternalValueDef* TcxInternalValueDefs::FindByValueDef(const TcxValueDef* AValueDef) const {
  for (auto it = List().rbegin(); it != List().rend(); ++it) {
    auto mirror = static_cast<TcxInternalValueDef*>(*it);
    if (mirror->FValueDef == AValueDef) return mirror;
  }
  return nullptr;
}

void TcxInternalValueDefs::RemoveByValueDef(const TcxValueDef* AValueDef) {
  if (TcxInternalValueDef* mirror = FindByValueDef(AValueDef)) mirror->Free();
}

// ---- TcxValueDefReader ----

String TcxValueDefReader::GetDisplayText(TcxValueDef*) { return String(); }
Variant TcxValueDefReader::GetValue(TcxValueDef*) { return Null(); }
bool TcxValueDefReader::IsInternal(TcxValueDef*) { return false; }

// ---- TcxDataStorage ----

TcxDataStorage::TcxDataStorage() {
  FInternalValueDefs = New<TcxInternalValueDefs>(this);
  FValueDefs = New<TcxValueDefs>(this);
}

void TcxDataStorage::BeforeDestruction() {
  FDestroying = true;
  Clear(false);
  inherited::BeforeDestruction();
}

TcxDataStorage::~TcxDataStorage() {
  if (FValueDefs) FValueDefs->Free();
  if (FInternalValueDefs) FInternalValueDefs->Free();
}

void TcxDataStorage::ValueDefsChanged(TcxValueDefs* AValueDefs) {
  DropIndexes();
  AValueDefs->Prepare(HeaderSize());
}
void TcxDataStorage::ValueDefChanged(TcxValueDef*, Integer) { DropIndexes(); }

TcxValueDefs* TcxDataStorage::GetValueDefsByRecordIndex(Integer ARecordIndex) const {
  return ARecordIndex < 0 ? static_cast<TcxValueDefs*>(FInternalValueDefs) : FValueDefs;
}

TGapList<Byte*>& TcxDataStorage::BuffersOf(TcxValueDefs* AValueDefs) {
  return AValueDefs == FInternalValueDefs ? FInternalRecords : FRecords;
}

Byte*& TcxDataStorage::Slot(Integer ARecordIndex) {
  if (ARecordIndex >= 0) {
    if (ARecordIndex >= RecordCount()) ListIndexError(ARecordIndex);
    return FRecords[size_t(ARecordIndex)];
  }
  Int64 i = -Int64(ARecordIndex) - 1;
  if (i >= Int64(FInternalRecords.size())) ListIndexError(ARecordIndex);
  return FInternalRecords[size_t(i)];
}

Byte* TcxDataStorage::Buffer(Integer ARecordIndex) const {
  return const_cast<TcxDataStorage*>(this)->Slot(ARecordIndex);
}

bool TcxDataStorage::HasBuffer(Integer ARecordIndex) const { return Buffer(ARecordIndex) != nullptr; }

Byte* TcxDataStorage::EnsureBuffer(Integer ARecordIndex) {
  Byte*& slot = Slot(ARecordIndex);
  if (!slot) slot = AllocateZeroed(GetValueDefsByRecordIndex(ARecordIndex)->RecordSize());
  return slot;
}

TcxValueDef* TcxDataStorage::Resolve(Integer ARecordIndex, TcxValueDef* AValueDef) const {
  if (ARecordIndex < 0 && AValueDef && AValueDef->Owner() == FValueDefs) {
    TcxValueDef* mirror = FInternalValueDefs->FindByValueDef(AValueDef);
    if (mirror) return mirror;
  }
  return AValueDef;
}

void TcxDataStorage::FreeRecordBuffer(Byte*& ABuffer, TcxValueDefs* AValueDefs) {
  if (!ABuffer) return;
  for (TcxValueDef* def : AValueDefs->List()) FreeField(ABuffer, def);
  std::free(ABuffer);
  ABuffer = nullptr;
}

void TcxDataStorage::FreeAllBuffers() {
  DropIndexes();
  for (Byte*& b : FRecords) FreeRecordBuffer(b, FValueDefs);
  for (Byte*& b : FInternalRecords) FreeRecordBuffer(b, FInternalValueDefs);
}

void TcxDataStorage::AssignRecordID(Integer ARecordIndex) {
  if (!FUseRecordID) return;
  Byte* b = EnsureBuffer(ARecordIndex);
  if (LoadID(b) != 0) return;
  StoreID(b, FNextRecordID);
  if (FNextRecordID < INT_MAX) ++FNextRecordID;
}

void TcxDataStorage::AssignRecordIDs() {
  if (!FUseRecordID) return;
  for (Integer i = 0; i < RecordCount(); ++i) AssignRecordID(i);
}

void TcxDataStorage::InsertValueDef(TcxValueDefs* AValueDefs, TcxValueDef* AValueDef) {
  DropIndexes();
  if (AValueDefs == FValueDefs) {
    TcxValueDef* mirror = FInternalValueDefs->CreateValueDef(AValueDef->ValueTypeClass());
    static_cast<TcxInternalValueDef*>(mirror)->FValueDef = AValueDef;
    mirror->FLink = AValueDef;
    mirror->FTextStored = AValueDef->FTextStored;
    mirror->FHasTextSlot = mirror->IsTextStored();
    mirror->FBufferSize = 1 + mirror->FDataSize + (mirror->FHasTextSlot ? kPointerSize : 0);
    mirror->FOffset = FInternalValueDefs->RecordSize();
    InsertValueDef(FInternalValueDefs, mirror);
    FInternalValueDefs->FItems.push_back(mirror);
    ValueDefsChanged(FInternalValueDefs);
  }
  Integer add = AValueDef->BufferSize();
  if (add == 0) return;
  Integer oldSize = AValueDefs->RecordSize();
  for (Byte*& b : BuffersOf(AValueDefs)) {
    if (!b) continue;
    b = Reallocate(b, oldSize + add);
    std::memset(b + oldSize, 0, size_t(add));
  }
}

void TcxDataStorage::RemoveValueDef(TcxValueDefs* AValueDefs, TcxValueDef* AValueDef) {
  DropIndexes();
  if (AValueDefs == FValueDefs) FInternalValueDefs->RemoveByValueDef(AValueDef);
  if (AValueDef->BufferSize() == 0) return;
  TGapList<Byte*>& buffers = BuffersOf(AValueDefs);
  bool onlyStored = true;
  for (TcxValueDef* d : AValueDefs->List())
    if (d != AValueDef && d->BufferSize() > 0) onlyStored = false;
  if (onlyStored) {
    // Whole buffers go, through the full release so no cell or owned object is lost.
    // The identifiers go with the buffers; Extract gives fresh ones once the list is settled.
    for (Byte*& b : buffers) FreeRecordBuffer(b, AValueDefs);
    return;
  }
  Integer size = AValueDefs->RecordSize();
  Integer start = AValueDef->Offset(), len = AValueDef->BufferSize();
  for (Byte*& b : buffers) {
    if (!b) continue;
    FreeField(b, AValueDef);
    std::memmove(b + start, b + start + len, size_t(size - start - len));
    b = Reallocate(b, size - len);
  }
}

void TcxDataStorage::RelayOut(TcxValueDefs* AValueDefs) {
  DropIndexes();
  // Old places of every field, then the new layout; each buffer is rebuilt field by field.
  struct Place {
    TcxValueDef* Def;
    Integer Offset, BufferSize;
    bool Text;
  };
  std::vector<Place> old;
  for (TcxValueDef* d : AValueDefs->List()) old.push_back({d, d->Offset(), d->BufferSize(), d->HasTextSlot()});
  Integer header = HeaderSize();
  AValueDefs->Prepare(header);
  TGapList<Byte*>& buffers = BuffersOf(AValueDefs);
  for (Byte*& b : buffers) {
    if (!b) continue;
    Byte* n = AllocateZeroed(AValueDefs->RecordSize());
    std::memcpy(n, b, size_t(header));
    for (const Place& p : old) {
      TcxValueDef* d = p.Def;
      if (p.BufferSize == 0) continue;
      Byte* from = b + p.Offset;
      if (d->BufferSize() == 0) {
        if (from[0]) d->ValueTypeClass()->FreeBuffer(from + 1);
        if (p.Text) d->ValueTypeClass()->FreeTextBuffer(from + 1 + d->DataSize());
        continue;
      }
      Byte* to = n + d->Offset();
      std::memcpy(to, from, size_t(1 + d->DataSize()));
      if (p.Text && d->HasTextSlot()) std::memcpy(to + 1 + d->DataSize(), from + 1 + d->DataSize(), size_t(kPointerSize));
      else if (p.Text) d->ValueTypeClass()->FreeTextBuffer(from + 1 + d->DataSize());
    }
    std::free(b);
    b = n;
  }
  if (AValueDefs == FValueDefs)
    for (TcxValueDef* d : AValueDefs->List())
      if (TcxInternalValueDef* mirror = FInternalValueDefs->FindByValueDef(d)) {
        if (mirror->FTextStored != d->FTextStored) {
          mirror->FTextStored = d->FTextStored;
          RelayOut(FInternalValueDefs);
        }
      }
}

void TcxDataStorage::SetRecordCount(Integer Value) {
  if (Value < 0) Value = 0;
  if (Value > RecordCount()) {
    // Room for every record first: a count that cannot be held is refused before any
    // record is added, so the storage stays as it was.
    if (Value > kMaxRecordCount) throw EcxInvalidDataControllerOperation(TooManyRecords(Value));
    try {
      FRecords.reserve(size_t(Value));
    } catch (const std::bad_alloc&) {
      throw EcxInvalidDataControllerOperation(TooManyRecords(Value));
    }
  }
  while (RecordCount() < Value) AppendRecord();
  while (RecordCount() > Value) DeleteRecord(RecordCount() - 1);
}

String TcxDataStorage::TooManyRecords(Integer ACount) {
  return "Not enough memory for " + IntToStr(ACount) + " records";
}

Integer TcxDataStorage::AppendRecord() {
  ++FChangeCount;
  FRecords.push_back(nullptr);
  Integer index = RecordCount() - 1;
  AssignRecordID(index);
  if (FKeyIndexes) IndexInserted(index);
  return index;
}

void TcxDataStorage::InsertRecord(Integer ARecordIndex) {
  if (ARecordIndex < 0 || ARecordIndex > RecordCount()) ListIndexError(ARecordIndex);
  ++FChangeCount;
  FRecords.insert(size_t(ARecordIndex), nullptr);
  if (FKeyIndexes) IndexInserted(ARecordIndex);
  AssignRecordID(ARecordIndex);
}

void TcxDataStorage::DeleteRecord(Integer ARecordIndex) {
  Byte*& slot = Slot(ARecordIndex);
  if (ARecordIndex >= 0) ++FChangeCount;
  const bool indexed = ARecordIndex >= 0 && FKeyIndexes;
  if (indexed) IndexDeleting({ARecordIndex});
  FreeRecordBuffer(slot, GetValueDefsByRecordIndex(ARecordIndex));
  if (ARecordIndex >= 0) {
    FRecords.erase(size_t(ARecordIndex));
    if (FRecords.empty()) FNextRecordID = 1;
  }
  if (indexed) IndexDeleted({ARecordIndex});
}

void TcxDataStorage::DeleteRecords(const std::vector<Integer>& AList) {
  for (Integer r : AList)
    if (r < 0 || r >= RecordCount()) ListIndexError(r);
  if (AList.empty()) return;
  if (AList.size() == 1) {
    DeleteRecord(AList.front());
    return;
  }
  ++FChangeCount;
  if (FKeyIndexes) IndexDeleting(AList);
  for (Integer r : AList) FreeRecordBuffer(FRecords[size_t(r)], FValueDefs);
  FRecords.erase_sorted(AList);
  if (FRecords.empty()) FNextRecordID = 1;
  if (FKeyIndexes) IndexDeleted(AList);
}

Integer TcxDataStorage::AddInternalRecord() {
  size_t i = 0;
  while (i < FInternalRecords.size() && FInternalRecords[i] && (FInternalRecords[i][0] & kInUse)) ++i;
  if (i == FInternalRecords.size()) FInternalRecords.push_back(nullptr);
  Integer index = -Integer(i) - 1;
  EnsureBuffer(index)[0] |= kInUse;
  return index;
}

void TcxDataStorage::Clear(bool AKeepInternalRecords) {
  DropIndexes();
  if (!AKeepInternalRecords) {
    for (Byte*& b : FInternalRecords) FreeRecordBuffer(b, FInternalValueDefs);
    FInternalRecords.clear();
    if (OnClearInternalRecords) OnClearInternalRecords(this);
  }
  for (Byte*& b : FRecords) FreeRecordBuffer(b, FValueDefs);
  FRecords.clear();
  FNextRecordID = 1;
}

Variant TcxDataStorage::GetValue(Integer ARecordIndex, TcxValueDef* AValueDef) const {
  const Byte* b = Buffer(ARecordIndex);
  TcxValueDef* def = Resolve(ARecordIndex, AValueDef);
  if (!b || def->BufferSize() == 0) return Null();
  const Byte* field = b + def->Offset();
  if (!field[0]) return Null();
  return def->ValueTypeClass()->GetDataValue(field + 1);
}

void TcxDataStorage::SetValue(Integer ARecordIndex, TcxValueDef* AValueDef, const Variant& AValue) {
  TcxValueDef* def = Resolve(ARecordIndex, AValueDef);
  if (def->BufferSize() == 0) {
    Slot(ARecordIndex);  // the index is still checked
    return;
  }
  if (ARecordIndex >= 0) ++FChangeCount;
  if (ARecordIndex >= 0 && FKeyIndexes) {
    Slot(ARecordIndex);
    // A text slot keeps the display text whatever the value.
    TIndexedChange change(this, ARecordIndex, AValueDef, true, !def->HasTextSlot());
    StoreValue(ARecordIndex, def, AValue);
    return;
  }
  StoreValue(ARecordIndex, def, AValue);
}

void TcxDataStorage::StoreValue(Integer ARecordIndex, TcxValueDef* ADef, const Variant& AValue) {
  Byte* field = EnsureBuffer(ARecordIndex) + ADef->Offset();
  TcxValueTypeClass type = ADef->ValueTypeClass();
  if (VarIsNull(AValue)) {
    if (field[0]) {
      type->FreeBuffer(field + 1);
      std::memset(field + 1, 0, size_t(ADef->DataSize()));
    }
    field[0] = 0;
    return;
  }
  // Converted and stored first: a failed conversion leaves the field as it was.
  type->SetDataValue(field + 1, AValue);
  field[0] = 1;
}

String TcxDataStorage::GetDisplayText(Integer ARecordIndex, TcxValueDef* AValueDef) const {
  const Byte* b = Buffer(ARecordIndex);
  TcxValueDef* def = Resolve(ARecordIndex, AValueDef);
  if (!b || def->BufferSize() == 0) return String();
  const Byte* field = b + def->Offset();
  if (def->HasTextSlot()) return def->ValueTypeClass()->GetTextBufferText(field + 1 + def->DataSize());
  if (field[0]) return def->ValueTypeClass()->GetDisplayText(field + 1);
  return String();
}

void TcxDataStorage::SetDisplayText(Integer ARecordIndex, TcxValueDef* AValueDef,
                                    const String& AText) {
  TcxValueDef* def = Resolve(ARecordIndex, AValueDef);
  if (!def->HasTextSlot()) {
    Slot(ARecordIndex);
    return;
  }
  Slot(ARecordIndex);
  if (ARecordIndex >= 0) ++FChangeCount;
  std::optional<TIndexedChange> change;
  if (ARecordIndex >= 0 && FKeyIndexes) change.emplace(this, ARecordIndex, AValueDef, false, true);
  Byte* field = EnsureBuffer(ARecordIndex) + def->Offset();
  def->ValueTypeClass()->SetDisplayText(field + 1 + def->DataSize(), AText);
}

Integer TcxDataStorage::CompareRecords(Integer ARecordIndex1, Integer ARecordIndex2, TcxValueDef* AValueDef) const {
  const void* p1 = nullptr;
  const void* p2 = nullptr;
  TcxValueDef* d1 = Resolve(ARecordIndex1, AValueDef);
  TcxValueDef* d2 = Resolve(ARecordIndex2, AValueDef);
  const Byte* b1 = Buffer(ARecordIndex1);
  const Byte* b2 = Buffer(ARecordIndex2);
  bool null1 = !b1 || d1->BufferSize() == 0 || !b1[d1->Offset()];
  bool null2 = !b2 || d2->BufferSize() == 0 || !b2[d2->Offset()];
  if (null1 || null2) return null1 && null2 ? 0 : (null1 ? -1 : 1);
  p1 = b1 + d1->Offset() + 1;
  p2 = b2 + d2->Offset() + 1;
  return AValueDef->ValueTypeClass()->CompareValues(p1, p2);
}

bool TcxDataStorage::GetDataBuffer(Integer ARecordIndex, TcxValueDef* AValueDef, const void*& P) const {
  const Byte* b = Buffer(ARecordIndex);
  TcxValueDef* def = Resolve(ARecordIndex, AValueDef);
  P = nullptr;
  if (!b || def->BufferSize() == 0) return true;
  const Byte* field = b + def->Offset();
  P = field + 1;
  def->ValueTypeClass()->PrepareValueBuffer(P);
  return field[0] == 0;
}

void TcxDataStorage::GetDataColumn(TcxValueDef* AValueDef, size_t ASize, std::uint64_t* AValues,
                                   char* ANulls) const {
  const size_t n = FRecords.size();
  if (AValueDef->BufferSize() == 0 || AValueDef->Owner() != FValueDefs) {
    for (size_t r = 0; r < n; ++r) {
      const void* p = nullptr;
      ANulls[r] = GetDataBuffer(Integer(r), AValueDef, p) || !p;
      if (!ANulls[r] && ASize) std::memcpy(&AValues[r], p, std::min<size_t>(ASize, 8));
    }
    return;
  }
  TcxValueTypeClass type = AValueDef->ValueTypeClass();
  const Integer offset = AValueDef->Offset();
  const size_t size = std::min<size_t>(ASize, 8);
  for (size_t r = 0; r < n; ++r) {
    const Byte* b = FRecords[r];
    if (!b || !b[offset]) {
      ANulls[r] = 1;
      continue;
    }
    const void* p = b + offset + 1;
    type->PrepareValueBuffer(p);
    ANulls[r] = p == nullptr;
    if (p && size) std::memcpy(&AValues[r], p, size);
  }
}

Integer TcxDataStorage::RecordID(Integer ARecordIndex) {
  Byte* b = EnsureBuffer(ARecordIndex);
  return FUseRecordID ? LoadID(b) : 0;
}

bool TcxDataStorage::ReadRecordValues(Integer ARecordIndex, TcxValueDefReader* AReader) {
  // Each value is asked for before it is written: whatever the reader ran may have freed
  // this storage (with its controller), or the records and definitions the read was given.
  TWeakLink self(this);
  auto goesOn = [&] { return self.Alive() && !AReader->Stopped(); };
  if (AReader->Stopped()) return false;
  TcxValueDefs* defs = GetValueDefsByRecordIndex(ARecordIndex);
  for (Integer i = 0; i < defs->Count(); ++i) {
    TcxValueDef* def = defs->Items(i);
    if (AReader->IsInternal(def)) continue;
    const Variant value = AReader->GetValue(def);
    if (!goesOn()) return false;
    SetValue(ARecordIndex, def, value);
    if (!def->IsTextStored()) continue;
    const String text = AReader->GetDisplayText(def);
    if (!goesOn()) return false;
    SetDisplayText(ARecordIndex, def, text);
  }
  return true;
}

void TcxDataStorage::WriteRecord(Integer ARecordIndex, TStream& AStream) const {
  if (ARecordIndex < 0 || ARecordIndex >= RecordCount()) ListIndexError(ARecordIndex);
  const Byte* b = FRecords[size_t(ARecordIndex)];
  cxStreamWriteBoolean(AStream, b == nullptr);
  if (!b) return;
  if (FUseRecordID) cxStreamWriteInteger(AStream, LoadID(b));
  for (TcxValueDef* def : FStreaming ? FStreamingOrder : FValueDefs->List()) {
    if (!def->Streamed() || def->BufferSize() == 0) continue;
    const Byte* field = b + def->Offset();
    bool isNull = field[0] == 0;
    cxStreamWriteBoolean(AStream, isNull);
    if (!isNull) def->ValueTypeClass()->WriteDataValue(field + 1, AStream);
    if (def->HasTextSlot()) def->ValueTypeClass()->WriteDisplayText(field + 1 + def->DataSize(), AStream);
  }
}

Byte* TcxDataStorage::ReadRecordBuffer(TStream& AStream, Integer& AID) {
  // Everything is read into a scratch buffer first, so a failure leaves the records as
  // they were.
  Byte* scratch = AllocateZeroed(FValueDefs->RecordSize());
  AID = 0;
  try {
    try {
      if (FUseRecordID) AID = cxStreamReadInteger(AStream);
      for (TcxValueDef* def : FStreaming ? FStreamingOrder : FValueDefs->List()) {
        if (!def->Streamed() || def->BufferSize() == 0) continue;
        Byte* field = scratch + def->Offset();
        if (!cxStreamReadBoolean(AStream)) {
          def->ValueTypeClass()->ReadDataValue(field + 1, AStream);
          field[0] = 1;
        }
        if (def->HasTextSlot()) def->ValueTypeClass()->ReadDisplayText(field + 1 + def->DataSize(), AStream);
      }
    } catch (const EReadError&) {
      throw;
    } catch (const Exception&) {
      // A value its field cannot take (text where a number belongs) is bad data too.
      throw EReadError("Stream read error");
    }
  } catch (...) {  // written out: only a failed read frees the buffer; a whole one is the caller's
    FreeRecordBuffer(scratch, FValueDefs);
    throw;
  }
  return scratch;
}

void TcxDataStorage::AdoptStreamedFields(Integer ARecordIndex, Byte* AScratch) {
  Byte*& slot = Slot(ARecordIndex);
  if (!slot) {
    // Nothing else to keep: the fields read are the whole record.
    slot = AScratch;
    return;
  }
  Byte* b = slot;
  for (TcxValueDef* def : FValueDefs->List()) {
    if (!def->Streamed() || def->BufferSize() == 0) continue;
    // An object value is never streamed: a present one keeps the object it has.
    Byte* field = b + def->Offset();
    if (field[0] && AScratch[def->Offset()] && def->ValueTypeClass()->InheritsFrom(TcxObjectValueType::StaticClass())) {
      if (def->HasTextSlot()) {
        Integer text = def->Offset() + 1 + def->DataSize();
        def->ValueTypeClass()->FreeTextBuffer(b + text);
        std::memcpy(b + text, AScratch + text, size_t(kPointerSize));
      }
      continue;
    }
    FreeField(b, def);
    std::memcpy(b + def->Offset(), AScratch + def->Offset(), size_t(def->BufferSize()));
  }
  std::free(AScratch);
}

void TcxDataStorage::ClearStreamedFields(Integer ARecordIndex) {
  Byte*& slot = Slot(ARecordIndex);
  if (!slot) return;
  bool kept = false;
  for (TcxValueDef* def : FValueDefs->List()) {
    if (def->BufferSize() == 0) continue;
    Byte* field = slot + def->Offset();
    if (!def->Streamed()) {
      kept = kept || field[0] || (def->HasTextSlot() && HoldsPointer(field + 1 + def->DataSize()));
      continue;
    }
    FreeField(slot, def);
    std::memset(field, 0, size_t(def->BufferSize()));
  }
  if (FUseRecordID) StoreID(slot, 0);
  // A record left holding nothing is the record without data that was read.
  if (!kept) FreeRecordBuffer(slot, FValueDefs);
}

void TcxDataStorage::ReadRecord(Integer ARecordIndex, TStream& AStream) {
  if (ARecordIndex < 0 || ARecordIndex >= RecordCount()) ListIndexError(ARecordIndex);
  ++FChangeCount;
  std::optional<TIndexedChange> change;
  if (FKeyIndexes) change.emplace(this, ARecordIndex, nullptr, true, true);
  if (cxStreamReadBoolean(AStream)) {
    FreeRecordBuffer(FRecords[size_t(ARecordIndex)], FValueDefs);
    return;
  }
  Integer id = 0;
  Byte* scratch = ReadRecordBuffer(AStream, id);
  AdoptStreamedFields(ARecordIndex, scratch);
  if (FUseRecordID) {
    StoreID(Buffer(ARecordIndex), id);
    if (id >= FNextRecordID) FNextRecordID = id < INT_MAX ? id + 1 : INT_MAX;
  }
}

void TcxDataStorage::ReadRecords(Integer ACount, TStream& AStream) {
  DropIndexes();
  if (ACount < 0) ACount = 0;
  // Every entry takes at least its empty flag: a count beyond the bytes left is bad data,
  // refused before anything is allocated for it.
  const Int64 size = AStream.GetSize();
  if (size >= 0 && Int64(ACount) > size - AStream.GetPosition()) throw EReadError("Stream read error");
  std::vector<Byte*> next;
  std::vector<Integer> ids;
  try {
    next.reserve(size_t(ACount));
    if (FUseRecordID) ids.reserve(size_t(ACount));
    for (Integer i = 0; i < ACount; ++i) {
      Integer id = 0;
      next.push_back(nullptr);
      if (!cxStreamReadBoolean(AStream)) next.back() = ReadRecordBuffer(AStream, id);
      if (FUseRecordID) ids.push_back(id);
    }
    FRecords.reserve(size_t(ACount));
  } catch (...) {  // written out: only a failed read frees what it read; a whole read is adopted
    for (Byte*& b : next) FreeRecordBuffer(b, FValueDefs);
    throw;
  }
  // Everything is read: from here on nothing fails. The records beyond the count go; the
  // ones that stay keep what is not streamed (internal fields: handles, detail objects).
  while (RecordCount() > ACount) DeleteRecord(RecordCount() - 1);
  FRecords.resize(size_t(ACount), nullptr);
  FNextRecordID = 1;
  // When the stream holds every field and none keeps an object, the buffers read are the
  // whole records.
  bool whole = true;
  for (TcxValueDef* def : FValueDefs->List())
    whole = whole && (def->BufferSize() == 0 || (def->Streamed() && !def->ValueTypeClass()->InheritsFrom(
                                                                          TcxObjectValueType::StaticClass())));
  for (size_t i = 0; i < next.size(); ++i) {
    const Integer r = Integer(i);
    if (whole) FreeRecordBuffer(FRecords[i], FValueDefs);
    if (!next[i]) {
      ClearStreamedFields(r);
      continue;
    }
    AdoptStreamedFields(r, next[i]);
    if (!FUseRecordID) continue;
    StoreID(FRecords[i], ids[i]);
    if (ids[i] >= FNextRecordID) FNextRecordID = ids[i] < INT_MAX ? ids[i] + 1 : INT_MAX;
  }
  AssignRecordIDs();
}

void TcxDataStorage::BeginStreaming(TcxValueDefsCompare ACompare) {
  FStreamingOrder = FValueDefs->List();
  if (ACompare)
    std::stable_sort(FStreamingOrder.begin(), FStreamingOrder.end(),
                     [ACompare](TcxValueDef* a, TcxValueDef* b) { return ACompare(a, b) < 0; });
  FStreaming = true;
}

void TcxDataStorage::EndStreaming() {
  FStreaming = false;
  FStreamingOrder.clear();
}

void TcxDataStorage::EnumerateValueDefs(Integer ARecordIndex, TcxValueDefProc AProc, void* AData1, void* AData2) {
  TcxValueDefs* defs = GetValueDefsByRecordIndex(ARecordIndex);
  for (Integer i = 0; i < defs->Count(); ++i) AProc(defs->Items(i), ARecordIndex, AData1, AData2);
}

void TcxDataStorage::SetUseRecordID(bool Value) {
  if (FUseRecordID == Value) return;
  DropIndexes();
  FreeAllBuffers();
  FUseRecordID = Value;
  ValueDefsChanged(FInternalValueDefs);
  ValueDefsChanged(FValueDefs);
  AssignRecordIDs();
}

void TcxDataStorage::SetStoredValuesOnly(bool Value) {
  if (FStoredValuesOnly == Value) return;
  DropIndexes();
  FreeAllBuffers();
  FStoredValuesOnly = Value;
  ValueDefsChanged(FInternalValueDefs);
  ValueDefsChanged(FValueDefs);
  AssignRecordIDs();
}

// ---- TcxLookupList ----

bool TcxLookupList::Find(const Variant& AKey, Integer& AIndex) const {
  Integer low = 0, high = Count() - 1;
  while (low <= high) {
    Integer middle = low + (high - low) / 2;
    int c = cxCompareVariants(FItems[size_t(middle)].Key, AKey);
    if (c == 0) {
      AIndex = middle;
      return true;
    }
    if (c < 0) low = middle + 1;
    else high = middle - 1;
  }
  AIndex = low;
  return false;
}

void TcxLookupList::Insert(Integer AIndex, const Variant& AKey, const String& ADisplayText) {
  if (AIndex < 0 || AIndex > Count()) ListIndexError(AIndex);
  FItems.insert(FItems.begin() + AIndex, TcxLookupListItem{AKey, ADisplayText});
}

const TcxLookupListItem& TcxLookupList::Items(Integer AIndex) const {
  if (AIndex < 0 || AIndex >= Count()) ListIndexError(AIndex);
  return FItems[size_t(AIndex)];
}

TL_DEFINE_CLASS(TcxValueDef)
TL_DEFINE_CLASS(TcxInternalValueDef)
TL_DEFINE_CLASS(TcxValueDefs)
TL_DEFINE_CLASS(TcxInternalValueDefs)
TL_DEFINE_CLASS(TcxValueDefReader)
TL_DEFINE_CLASS(TcxDataStorage)
TL_DEFINE_CLASS(TcxLookupList)
