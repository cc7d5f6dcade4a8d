// Query parameters and the in-memory data set.
#include "classlib/core/DB.h"
#include "platform/kernel/ScopeExit.h"

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
  std::vector<Variant> values(Values);
  values.resize(size_t(FieldDefs().Count()), Null());
  for (Variant& v : values)
    if (VarIsEmpty(v)) v = Null();
  for (Integer i = 0; i < FieldDefs().Count(); ++i)
    if (FieldDefs().Items(i).DataType == TFieldType::ftAutoInc && !VarIsNull(values[size_t(i)]))
      FNextAutoInc = std::max(FNextAutoInc, values[size_t(i)].AsInteger() + 1);
  CheckNotAsking();
  const Integer place = InternalRecordCount();
  InsertStored(place, FNextId++, std::move(values));
  // Browsing controls show the new record at once; an edit in progress is left alone.
  RecordInserted(place);
}

void TMemoryDataSet::EmptyDataSet() {
  const TRunning running(*this);
  CheckNotAsking();
  if (Active() && !BrowseModeChecked()) return;
  FPlaces.clear();
  FValues.clear();
  FFreeValues.clear();
  FSlotOfId.clear();
  FSlotOfIdValid = false;
  RecordsChanged();
  if (Active()) First();
}

std::vector<Variant> TMemoryDataSet::InternalReadRecord(Integer Place) const {
  if (Place < 0 || Place >= InternalRecordCount()) return {};
  return ValuesAt(Place);
}

TBookmarkStr TMemoryDataSet::InternalBookmark(Integer Place) const {
  if (Place < 0 || Place >= InternalRecordCount()) return {};
  return IntToStr(FPlaces[size_t(Place)].Id);
}

Integer TMemoryDataSet::InternalFindBookmark(const TBookmarkStr& Bookmark) const {
  Integer id;
  if (!TryStrToInt(Bookmark, id)) return -1;
  return InternalPlaceOfId(id);
}

void TMemoryDataSet::IndexSlotsById() const {
  FSlotOfId.assign(size_t(std::max(FNextId, 0)), kNoSlot);
  for (size_t p = 0; p < FPlaces.size(); ++p) FileSlot(FPlaces[p].Id, FPlaces.SlotOf(p));
  FSlotOfIdValid = true;
}

void TMemoryDataSet::FileSlot(Integer Id, size_t Slot) const {
  if (Id < 0) return;
  if (size_t(Id) >= FSlotOfId.size()) FSlotOfId.resize(size_t(Id) + 1, kNoSlot);
  FSlotOfId[size_t(Id)] = TSlotNo(Slot);
}

void TMemoryDataSet::RefileMoved(size_t First, size_t Last) const {
  if (!FSlotOfIdValid) return;
  // Every id held was filed when its record came (or when the index was built): refiled in
  // place, no growth asked for record by record.
  TSlotNo* const filed = FSlotOfId.data();
  const size_t ids = FSlotOfId.size();
  for (size_t s = First; s < Last; ++s) {
    const Integer id = FPlaces.AtSlot(s).Id;
    if (id >= 0 && size_t(id) < ids)
      filed[size_t(id)] = TSlotNo(s);
    else
      FileSlot(id, s);
  }
}

void TMemoryDataSet::InsertStored(Integer Place, Integer Id, std::vector<Variant> Values) {
  // Out of memory at any step, nothing has changed: the id's entry and a fresh values entry
  // are made first, and a free values entry is taken only once the record stands in place.
  const bool fresh = FFreeValues.empty();
  if (fresh) FValues.emplace_back();
  const Integer at = fresh ? Integer(FValues.size() - 1) : FFreeValues.back();
  TScopeExit dropFresh([this, fresh] {
    if (fresh) FValues.pop_back();
  });
  if (FSlotOfIdValid) FileSlot(Id, kNoSlot);
  FPlaces.insert(size_t(Place), TPlacedRecord{Id, at},
                 [this](size_t First, size_t Last) { RefileMoved(First, Last); });
  dropFresh.Release();
  if (!fresh) FFreeValues.pop_back();
  FValues[size_t(at)] = std::move(Values);
  if (FSlotOfIdValid) FSlotOfId[size_t(Id)] = TSlotNo(FPlaces.SlotOf(size_t(Place)));
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
    FValues[size_t(FPlaces[size_t(Place)].Values)] = std::move(values);
    return Place;
  }
  Place = std::clamp<Integer>(Place, 0, InternalRecordCount());
  InsertStored(Place, FNextId++, std::move(values));
  return Place;
}

void TMemoryDataSet::InternalDelete(Integer Place) {
  if (Place < 0 || Place >= InternalRecordCount())
    DatabaseError(LoadResString(DBConsts::SRecordNotFound), this);
  const TPlacedRecord gone = FPlaces[size_t(Place)];
  // Its values' entry is free before anything changes: that is the step that may fail.
  FFreeValues.push_back(gone.Values);
  std::vector<Variant>().swap(FValues[size_t(gone.Values)]);
  FPlaces.erase(size_t(Place), [this](size_t First, size_t Last) { RefileMoved(First, Last); });
  if (FSlotOfIdValid) FileSlot(gone.Id, kNoSlot);
  // Mostly free entries after many deletions: the values close up and the memory goes.
  if (FFreeValues.size() > 64 && FFreeValues.size() > 3 * FPlaces.size()) CompactValues();
}

void TMemoryDataSet::CompactValues() {
  std::vector<std::vector<Variant>> kept;
  kept.reserve(FPlaces.size());
  for (size_t p = 0; p < FPlaces.size(); ++p) {
    TPlacedRecord& rec = FPlaces[p];
    kept.push_back(std::move(FValues[size_t(rec.Values)]));
    rec.Values = Integer(p);
  }
  FValues.swap(kept);
  FFreeValues.clear();
  FFreeValues.shrink_to_fit();
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
