// Query parameters and the in-memory data set.
#include "classlib/core/DB.h"

#include <algorithm>

// ---- Parameters ------------------------------------------------------------------------------

TL_DEFINE_CLASS(TParam)
TL_DEFINE_CLASS(TParams)

void TParam::Assign(TPersistent* Source) {
  if (auto* p = dynamic_cast<TParam*>(Source)) {
    FName = p->FName;
    FDataType = p->FDataType;
    FValue = p->FValue;
    return;
  }
  inherited::Assign(Source);
}

TParams::TParams() : TCollection(ClassOf<TParam, TCollectionItem, TCollection*>()) {}

TParam* TParams::Items(Integer Index) const {
  return static_cast<TParam*>(TCollection::Items(Index));
}

TParam* TParams::CreateParam(TFieldType DataType, const String& Name) {
  auto* p = static_cast<TParam*>(Add());
  p->SetName(Name);
  p->SetDataType(DataType);
  return p;
}

TParam* TParams::FindParam(const String& Name) const {
  for (Integer i = 0; i < Count(); ++i)
    if (AnsiSameText(Items(i)->Name(), Name)) return Items(i);
  return nullptr;
}

TParam* TParams::ParamByName(const String& Name) const {
  TParam* p = FindParam(Name);
  if (!p) DatabaseErrorFmt(DBConsts::SParameterNotFound, {Name});
  return p;
}

namespace {
std::vector<String> SplitNames(const String& Names) {
  std::vector<String> out;
  Integer pos = 1;
  while (pos <= Integer(Names.size())) {
    String name = ExtractFieldName(Names, pos);
    if (!name.empty()) out.push_back(std::move(name));
  }
  return out;
}
}  // namespace

Variant TParams::GetParamValues(const String& Names) const {
  const std::vector<String> names = SplitNames(Names);
  if (names.size() == 1) return ParamByName(names[0])->Value();
  std::vector<Variant> values;
  for (const String& n : names) values.push_back(ParamByName(n)->Value());
  return VarArrayOf(values);
}

void TParams::SetParamValues(const String& Names, const Variant& Value) {
  const std::vector<String> names = SplitNames(Names);
  if (names.size() == 1) {
    ParamByName(names[0])->SetValue(Value);
    return;
  }
  if (names.empty()) return;
  if (!VarIsArray(Value) ||
      VarArrayHighBound(Value) - VarArrayLowBound(Value) + 1 != Integer(names.size()))
    DatabaseErrorFmt(DBConsts::SLocateValueCount, {Integer(names.size()), Integer(names.size())});
  // Every name is checked before any value changes.
  std::vector<TParam*> params;
  for (const String& n : names) params.push_back(ParamByName(n));
  for (size_t i = 0; i < params.size(); ++i)
    params[i]->SetValue(VarArrayGet(Value, VarArrayLowBound(Value) + Integer(i)));
}

// ---- TMemoryDataSet --------------------------------------------------------------------------

TL_DEFINE_CLASS(TMemoryDataSet)

TMemoryDataSet::TMemoryDataSet(TComponent* AOwner) : TDataSet(AOwner) {}

void TMemoryDataSet::InternalOpen() {
  DefineFromFields();
  // The fields are made anew: a filter is bound to them again.
  FFilterExpressionBound = false;
}

// Without field definitions the stored fields define the record.
void TMemoryDataSet::DefineFromFields() {
  if (FieldDefs().Count() > 0) return;
  for (Integer i = 0; i < FieldCount(); ++i) {
    TField* f = Fields(i);
    if (f->FieldKind() == TFieldKind::fkData)
      FieldDefs().Add(f->FieldName(), f->DataType(), f->Size(), f->Required());
  }
}

void TMemoryDataSet::AddRecord(const std::vector<Variant>& Values) {
  const TRunning running(*this);
  DefineFromFields();
  TStoredRecord rec{FNextId++, Values};
  rec.Values.resize(size_t(FieldDefs().Count()), Null());
  for (Variant& v : rec.Values)
    if (VarIsEmpty(v)) v = Null();
  for (Integer i = 0; i < FieldDefs().Count(); ++i)
    if (FieldDefs().Items(i).DataType == TFieldType::ftAutoInc && !VarIsNull(rec.Values[size_t(i)]))
      FNextAutoInc = std::max(FNextAutoInc, rec.Values[size_t(i)].AsInteger() + 1);
  CheckNotAsking();
  const Integer place = InternalRecordCount();
  InsertStored(place, std::move(rec));
  // Browsing controls show the new record at once; an edit in progress is left alone.
  RecordInserted(place);
}

void TMemoryDataSet::EmptyDataSet() {
  const TRunning running(*this);
  CheckNotAsking();
  if (Active() && !BrowseModeChecked()) return;
  FSlots.clear();
  FGapStart = FGapSize = 0;
  FSlotOfId.clear();
  FSlotOfIdValid = false;
  RecordsChanged();
  if (Active()) First();
}

std::vector<Variant> TMemoryDataSet::InternalReadRecord(Integer Place) const {
  if (Place < 0 || Place >= InternalRecordCount()) return {};
  return FSlots[SlotOf(Place)].Values;
}

TBookmarkStr TMemoryDataSet::InternalBookmark(Integer Place) const {
  if (Place < 0 || Place >= InternalRecordCount()) return {};
  return IntToStr(FSlots[SlotOf(Place)].Id);
}

Integer TMemoryDataSet::InternalFindBookmark(const TBookmarkStr& Bookmark) const {
  Integer id;
  if (!TryStrToInt(Bookmark, id)) return -1;
  return InternalPlaceOfId(id);
}

void TMemoryDataSet::IndexSlotsById() const {
  FSlotOfId.assign(size_t(std::max(FNextId, 0)), kNoSlot);
  for (Integer p = 0; p < InternalRecordCount(); ++p) FileSlot(FSlots[SlotOf(p)].Id, SlotOf(p));
  FSlotOfIdValid = true;
}

void TMemoryDataSet::FileSlot(Integer Id, size_t Slot) const {
  if (Id < 0) return;
  if (size_t(Id) >= FSlotOfId.size()) FSlotOfId.resize(size_t(Id) + 1, kNoSlot);
  FSlotOfId[size_t(Id)] = Slot;
}

void TMemoryDataSet::MoveGap(size_t Place) {
  if (FGapSize == 0) {
    FGapStart = Place;
    return;
  }
  // The records between the gap and Place cross it in one block move; their slots change by
  // its size. A record moved from leaves an empty slot behind (a moved vector is empty).
  const auto slots = FSlots.begin();
  size_t first, last;  // the slots the moved records now take
  if (FGapStart > Place) {
    std::move_backward(slots + ptrdiff_t(Place), slots + ptrdiff_t(FGapStart),
                       slots + ptrdiff_t(FGapStart + FGapSize));
    first = Place + FGapSize;
    last = FGapStart + FGapSize;
  } else if (FGapStart < Place) {
    std::move(slots + ptrdiff_t(FGapStart + FGapSize), slots + ptrdiff_t(Place + FGapSize),
              slots + ptrdiff_t(FGapStart));
    first = FGapStart;
    last = Place;
  } else {
    return;
  }
  FGapStart = Place;
  if (!FSlotOfIdValid) return;
  // Every id held was filed when its record came (or when the index was built): refiled in
  // place, no growth asked for record by record.
  size_t* const filed = FSlotOfId.data();
  const size_t ids = FSlotOfId.size();
  for (size_t s = first; s < last; ++s) {
    const Integer id = FSlots[s].Id;
    if (id >= 0 && size_t(id) < ids)
      filed[size_t(id)] = s;
    else
      FileSlot(id, s);
  }
}

void TMemoryDataSet::InsertStored(Integer Place, TStoredRecord Record) {
  if (FGapSize == 0) {
    // A new gap at the end, as large as half the records: appends and inserts at one
    // place cost constant time on average. Out of memory, nothing has changed.
    const size_t grow = std::max<size_t>(16, FSlots.size() / 2);
    FSlots.resize(FSlots.size() + grow);
    FGapStart = FSlots.size() - grow;
    FGapSize = grow;
  }
  MoveGap(size_t(Place));
  // The id is filed first: if that fails, the record is not stored at all.
  if (FSlotOfIdValid) FileSlot(Record.Id, FGapStart);
  FSlots[FGapStart] = std::move(Record);
  ++FGapStart;
  --FGapSize;
}

Integer TMemoryDataSet::InternalPost(Integer Place, bool Inserting,
                                     const std::vector<Variant>& Values) {
  std::vector<Variant> values(Values);
  values.resize(size_t(FieldDefs().Count()), Null());
  for (Integer i = 0; i < FieldDefs().Count(); ++i) {
    if (FieldDefs().Items(i).DataType != TFieldType::ftAutoInc) continue;
    Variant& v = values[size_t(i)];
    if (VarIsNull(v) || VarIsEmpty(v))
      v = FNextAutoInc++;
    else
      FNextAutoInc = std::max(FNextAutoInc, v.AsInteger() + 1);
  }
  if (!Inserting) {
    if (Place < 0 || Place >= InternalRecordCount()) DatabaseError(LoadResString(DBConsts::SRecordNotFound), this);
    FSlots[SlotOf(Place)].Values = std::move(values);
    return Place;
  }
  Place = std::clamp<Integer>(Place, 0, InternalRecordCount());
  InsertStored(Place, TStoredRecord{FNextId++, std::move(values)});
  return Place;
}

void TMemoryDataSet::InternalDelete(Integer Place) {
  if (Place < 0 || Place >= InternalRecordCount())
    DatabaseError(LoadResString(DBConsts::SRecordNotFound), this);
  MoveGap(size_t(Place));
  TStoredRecord& gone = FSlots[FGapStart + FGapSize];
  if (FSlotOfIdValid) FileSlot(gone.Id, kNoSlot);
  std::vector<Variant>().swap(gone.Values);
  ++FGapSize;
  // Mostly gap after many deletions: the records close up at the front and the memory goes.
  const size_t count = size_t(InternalRecordCount());
  if (FGapSize > 64 && FGapSize > 3 * count) {
    MoveGap(count);
    FSlots.resize(count);
    FSlots.shrink_to_fit();
    FGapSize = 0;
  }
}

// A text is read and, with the fields bound (open, or opening), bound to them before it is
// taken, so a text that cannot be read or that names a field or value the data set cannot
// use is refused.
void TMemoryDataSet::PrepareFilterText(const String& Text) {
  auto expression = ParseFilterText(Text);
  if (FieldsBound()) expression = BindFilterText(*expression, *this);
  FFilterExpression = std::move(expression);
  FFilterExpressionText = Text;
  FFilterExpressionBound = FieldsBound();
}

// The text is compared once per change of the filter, not per record: a long text would
// cost its length for every record.
bool TMemoryDataSet::AcceptsFilterText() {
  if (!FFilterExpression || FFilterExpressionVersion != FilterVersion() ||
      !FFilterExpressionBound) {
    if (!FFilterExpression || FFilterExpressionText != Filter() || !FFilterExpressionBound)
      PrepareFilterText(Filter());
    FFilterExpressionVersion = FilterVersion();
  }
  return EvaluateFilterText(*FFilterExpression, *this, FilterOptions());
}
