// Data sets: opening and closing, the buffer window, moving, the edit state machine,
// bookmarks, searching and filtering, and the events they send their data sources.
#include "classlib/core/DB.h"
#include "classlib/core/DBKeptRecords.h"
#include "classlib/core/ScopeGuards.h"
#include "classlib/core/Strings.h"
#include "platform/kernel/ScopeExit.h"

#include <algorithm>

using enum TDataSetState;
using enum TDataEvent;
using enum TFieldKind;

namespace {
const Variant& NullValue() {
  static const Variant v = Null();
  return v;
}

std::vector<Variant> ValuesOf(const Variant& Values, size_t Count) {
  std::vector<Variant> out;
  if (Count == 1 && !VarIsArray(Values)) {
    out.push_back(Values);
    return out;
  }
  if (!VarIsArray(Values) ||
      VarArrayHighBound(Values) - VarArrayLowBound(Values) + 1 != Integer(Count))
    DatabaseErrorFmt(DBConsts::SLocateValueCount, {Integer(Count), Integer(Count)});
  for (Integer i = VarArrayLowBound(Values); i <= VarArrayHighBound(Values); ++i)
    out.push_back(VarArrayGet(Values, i));
  return out;
}
}  // namespace

// ---- Field definitions -----------------------------------------------------------------------

void TFieldDefs::Add(const String& Name, TFieldType DataType, Integer Size, bool Required) {
  if (Name.empty()) DatabaseError(LoadResString(DBConsts::SFieldNameMissing));
  if (IndexOf(Name) >= 0) DatabaseErrorFmt(DBConsts::SDuplicateFieldName, {Name});
  FItems.push_back({Name, DataType, Size, Required});
}

const TFieldDef& TFieldDefs::Items(Integer Index) const {
  if (Index < 0 || Index >= Count())
    throw EListError("Field definition index out of range (" + IntToStr(Index) + ")");
  return FItems[size_t(Index)];
}

Integer TFieldDefs::IndexOf(const String& Name) const {
  for (size_t i = 0; i < FItems.size(); ++i)
    if (AnsiSameText(FItems[i].Name, Name)) return Integer(i);
  return -1;
}

// ---- TDataSet: fields ------------------------------------------------------------------------

TL_DEFINE_CLASS(TDataSet)

TDataSet::TDataSet(TComponent* AOwner) : TComponent(AOwner) {}

void TDataSet::BeforeDestruction() {
  try {
    Close();
  } catch (...) {
    // An event handler refusing to close cannot stop the destruction.
  }
  for (TDataSource* ds : std::vector<TDataSource*>(FDataSources)) ds->SetDataSet(nullptr);
  DestroyDefaultFields();
  for (TField* f : FFields) f->FDataSet = nullptr;
  FFields.clear();
  inherited::BeforeDestruction();
}

void TDataSet::AddField(TField* Field) {
  FFields.push_back(Field);
  Field->FDataSet = this;
  ++FChangeCount;
}

void TDataSet::RemoveField(TField* Field) {
  FFields.erase(std::remove(FFields.begin(), FFields.end(), Field), FFields.end());
  Field->FDataSet = nullptr;
  Field->FSlot = -1;
  ++FChangeCount;
}

void TDataSet::CheckInactive() const {
  if (Active()) DatabaseError(LoadResString(DBConsts::SDataSetOpen), this);
}

void TDataSet::CheckActive() const {
  if (!Active()) DatabaseError(LoadResString(DBConsts::SDataSetClosed), this);
}

void TDataSet::CheckCanModify() const {
  if (!CanModify()) DatabaseError(LoadResString(DBConsts::SDataSetReadOnly), this);
}

void TDataSet::CheckFieldName(TField* Field, const String& Name) const {
  if (Name.empty()) return;
  for (TField* f : FFields)
    if (f != Field && AnsiSameText(f->FieldName(), Name))
      DatabaseErrorFmt(DBConsts::SDuplicateFieldName, {Name}, this);
}

TField* TDataSet::Fields(Integer Index) const {
  if (Index < 0 || Index >= FieldCount())
    throw EListError("Field index out of range (" + IntToStr(Index) + ")");
  return FFields[size_t(Index)];
}

TField* TDataSet::FindField(const String& FieldName) const {
  for (TField* f : FFields)
    if (AnsiSameText(f->FieldName(), FieldName)) return f;
  return nullptr;
}

TField* TDataSet::FieldByName(const String& FieldName) const {
  return FieldByName(FieldName, this);
}

TField* TDataSet::FieldByName(const String& FieldName, const TComponent* ErrorComponent) const {
  TField* f = FindField(FieldName);
  if (!f) DatabaseErrorFmt(DBConsts::SFieldNotFound, {FieldName}, ErrorComponent);
  return f;
}

void TDataSet::GetFieldNames(TStrings* List) const {
  List->Clear();
  for (TField* f : FFields) List->Add(f->FieldName());
}

void TDataSet::GetFieldList(std::vector<TField*>& List, const String& FieldNames) const {
  Integer pos = 1;
  while (pos <= Integer(FieldNames.size())) {
    const String name = ExtractFieldName(FieldNames, pos);
    if (!name.empty()) List.push_back(FieldByName(name));
  }
}

Variant TDataSet::GetFieldValues(const String& FieldNames) const {
  std::vector<TField*> fields;
  GetFieldList(fields, FieldNames);
  if (fields.size() == 1) return fields[0]->GetAsVariant();
  std::vector<Variant> values;
  for (TField* f : fields) values.push_back(f->GetAsVariant());
  return VarArrayOf(values);
}

void TDataSet::SetFieldValues(const String& FieldNames, const Variant& Value) {
  std::vector<TField*> fields;
  GetFieldList(fields, FieldNames);
  if (fields.empty()) return;
  const std::vector<Variant> values = ValuesOf(Value, fields.size());
  for (size_t i = 0; i < fields.size(); ++i) fields[i]->SetAsVariant(values[i]);
}

void TDataSet::CreateDefaultFields() {
  for (Integer i = 0; i < FFieldDefs.Count(); ++i) {
    const TFieldDef& def = FFieldDefs.Items(i);
    const TClass* cls = FieldClassOf(def.DataType);
    if (!cls) cls = &TVariantField::StaticClass();
    auto* field = dynamic_cast<TField*>(cls->Create(this));
    field->FFieldName = def.Name;
    field->FDataType = def.DataType;
    if (def.Size > 0) field->FSize = def.Size;
    field->FRequired = def.Required;
    AddField(field);
  }
  FDefaultFields = true;
}

void TDataSet::DestroyDefaultFields() {
  if (!FDefaultFields) return;
  FDefaultFields = false;
  for (TField* f : std::vector<TField*>(FFields)) f->Free();
}

void TDataSet::BindFields() {
  if (FFields.empty()) CreateDefaultFields();
  Integer slot = FFieldDefs.Count();
  for (TField* f : FFields) {
    f->FFieldNo = 0;
    f->FSlot = -1;
    switch (f->FieldKind()) {
      case fkData: {
        const Integer idx = FFieldDefs.IndexOf(f->FieldName());
        if (idx < 0) DatabaseErrorFmt(DBConsts::SFieldNotFound, {f->FieldName()}, this);
        f->FFieldNo = idx + 1;
        f->FSlot = idx;
        break;
      }
      case fkCalculated:
      case fkLookup:
      case fkInternalCalc:
        f->FSlot = slot++;
        break;
      case fkAggregate:
        break;
    }
  }
  FStoredSlots = FFieldDefs.Count();
  FSlotCount = slot;
}

// ---- TDataSet: opening and state -------------------------------------------------------------

void TDataSet::SetActive(bool Value) {
  const TRunning running(*this);
  if (Value == Active()) return;
  CheckNotAsking();
  RecordsChanged();
  if (Value) {
    if (!Notify(BeforeOpen)) return;
    try {
      InternalOpen();
      BindFields();
      FFieldsBound = true;
      // The filter text meets the fields now, so that one naming a field the data set
      // lacks fails the opening rather than the first record it is asked about.
      if (FFiltered && !FFilter.empty() && SupportsFilterText()) PrepareFilterText(FFilter);
      FOldValues.clear();
      FillWindow(FirstVisible(), 0);
    } catch (...) {  // written out: only a failed open closes again
      FFieldsBound = false;
      FBuffers.clear();
      InternalClose();
      DestroyDefaultFields();
      throw;
    }
    FBOF = true;
    FEOF = FBuffers.empty();
    if (!SetState(dsBrowse)) return;
    if (!Notify(AfterOpen)) return;
    if (!Notify(AfterScroll)) return;
  } else {
    if (!Notify(BeforeClose)) return;
    // A link failing to hear of the closing does not keep the data set open.
    TFirstError notices;
    if (!SetState(dsInactive, &notices)) return notices.Raise();
    FBuffers.clear();
    FActiveRecord = 0;
    FOldValues.clear();
    FBOF = FEOF = true;
    FFieldsBound = false;
    InternalClose();
    DestroyDefaultFields();
    notices.Raise();
    if (!Notify(AfterClose)) return;
  }
}

bool TDataSet::SetState(TDataSetState Value, TFirstError* Errors) {
  if (Value == FState) return true;
  FState = Value;
  ++FChangeCount;
  FModified = false;
  return Told(deUpdateState, 0, Errors);
}

bool TDataSet::CanModify() const { return Active() && !FReadOnly; }

// ---- TDataSet: record buffers ----------------------------------------------------------------

const Variant& TDataSet::FieldData(const TField* Field) const {
  if (Field->FSlot < 0) return NullValue();
  const TRecordBuffer* buf = FReadBuffer;
  if (!buf) {
    if (FActiveRecord < 0 || FActiveRecord >= Integer(FBuffers.size())) return NullValue();
    buf = &LoadedBuffer(FActiveRecord);
  }
  if (Field->FSlot >= Integer(buf->Values.size())) return NullValue();
  return buf->Values[size_t(Field->FSlot)];
}

void TDataSet::SetFieldData(TField* Field, const Variant& Value) {
  const TRunning running(*this);
  const bool computed = Field->FieldKind() != fkData;
  if (computed || FState == dsCalcFields) {
    // Computed fields take values only while the data set computes them.
    if (FState != dsCalcFields || !FReadBuffer || Field->FSlot < 0 || !computed)
      DatabaseErrorFmt(DBConsts::SFieldReadOnly, {Field->DisplayName()}, this);
    const_cast<TRecordBuffer*>(FReadBuffer)->Values[size_t(Field->FSlot)] = Value;
    return;
  }
  if (!IsEditState(FState)) DatabaseError(LoadResString(DBConsts::SNotEditing), this);
  if (Field->ReadOnly()) DatabaseErrorFmt(DBConsts::SFieldReadOnly, {Field->DisplayName()}, this);
  if (Field->FSlot < 0 || FBuffers.empty())
    DatabaseErrorFmt(DBConsts::SFieldValueError, {Field->DisplayName()}, this);
  TRecordBuffer& buf = LoadedBuffer(FActiveRecord);
  Variant old = buf.Values[size_t(Field->FSlot)];
  buf.Values[size_t(Field->FSlot)] = Value;
  ++FChangeCount;
  try {
    Field->Validate();
  } catch (...) {  // written out: only a refused value is taken back
    buf.Values[size_t(Field->FSlot)] = std::move(old);
    throw;
  }
  FModified = true;
  CalculateFields(buf);
  // A link failing to show the value does not keep the lookup fields' change from the others.
  TFirstError notices;
  if (!Told(deFieldChange, reinterpret_cast<intptr_t>(Field), &notices)) return notices.Raise();
  // Lookup fields keyed on this field changed with it.
  for (TField* f : std::vector<TField*>(FFields)) {
    if (f->FieldKind() != fkLookup) continue;
    Integer pos = 1;
    while (pos <= Integer(f->KeyFields().size()))
      if (AnsiSameText(ExtractFieldName(f->KeyFields(), pos), Field->FieldName())) {
        if (!Told(deFieldChange, reinterpret_cast<intptr_t>(f), &notices)) return notices.Raise();
        break;
      }
  }
  notices.Raise();
  if (Field->OnChange) Field->OnChange(Field);
}

void TDataSet::CalculateFields(TRecordBuffer& Buffer) {
  if (FFreeHeld) return;
  bool any = false;
  for (TField* f : FFields) {
    if (f->FSlot < FStoredSlots) continue;
    any = true;
    Buffer.Values[size_t(f->FSlot)] = Null();
  }
  if (!any) return;
  TScopedValue<const TRecordBuffer*> read(FReadBuffer, &Buffer);
  // The lookups belong to the calculation: the handlers of the data sets they search may
  // read this one, not move or change it. Any of them may free it (or a field): the
  // fields are taken by index and the calculation ends once it is freed.
  TScopedValue<Integer> asking(FAsking, FAsking + 1);
  for (size_t i = 0; i < FFields.size() && !FFreeHeld; ++i) {
    TField* f = FFields[i];
    if (f->FieldKind() != fkLookup || !f->LookupDataSet() || !f->LookupDataSet()->Active())
      continue;
    if (f->KeyFields().empty() || f->LookupKeyFields().empty() || f->LookupResultField().empty())
      continue;
    const size_t slot = size_t(f->FSlot);
    Variant found = f->LookupDataSet()->Lookup(f->LookupKeyFields(), GetFieldValues(f->KeyFields()),
                                               f->LookupResultField());
    if (!FFreeHeld && slot < Buffer.Values.size()) Buffer.Values[slot] = std::move(found);
  }
  if (OnCalcFields && !FFreeHeld) {
    TScopedValue<TDataSetState> state(FState, dsCalcFields);
    OnCalcFields(this);
  }
}

TDataSet::TRecordBuffer TDataSet::ReadBuffer(Integer Place) {
  TRecordBuffer buf;
  buf.Place = Place;
  buf.Values = InternalReadRecord(Place);
  buf.Values.resize(size_t(FSlotCount), Null());
  CalculateFields(buf);
  return buf;
}

TDataSet::TRecordBuffer TDataSet::WindowBuffer(Integer Place) {
  // Without computed slots a read runs no calculation, no lookup and no handler.
  if (FSlotCount > FStoredSlots) return ReadBuffer(Place);
  TRecordBuffer buf;
  buf.Place = Place;
  buf.Unread = true;
  return buf;
}

// The window's records follow the records they were taken for past the one that moved: an
// unread one is read from its place when asked for, and the record being edited is posted to
// its place.
void TDataSet::WindowFollow(Integer OldPlace, Integer Place) {
  if (OldPlace == Place) return;
  for (TRecordBuffer& buf : FBuffers) {
    if (buf.Place < 0) continue;  // the record being inserted
    if (OldPlace >= 0 && buf.Place > OldPlace) --buf.Place;
    if (Place >= 0 && buf.Place >= Place) ++buf.Place;
  }
}

TDataSet::TRecordBuffer& TDataSet::LoadedBuffer(Integer Index) const {
  auto& buf = const_cast<TRecordBuffer&>(FBuffers[size_t(Index)]);
  if (buf.Unread) {
    buf.Values = InternalReadRecord(buf.Place);
    buf.Values.resize(size_t(FSlotCount), Null());
    buf.Unread = false;
  }
  return buf;
}

bool TDataSet::Filtering() const {
  return FFiltered && (OnFilterRecord || (!FFilter.empty() && SupportsFilterText()));
}

TDataSetKeptRecords* TDataSet::KnownKept() {
  if (!FKept) return nullptr;
  // Verdicts given by other handlers, or for another number of records, no longer hold.
  if (!(FKeptFilterHandler == OnFilterRecord) || !(FKeptCalcHandler == OnCalcFields) ||
      FKept->Size() != InternalRecordCount()) {
    FKept.reset();
    return nullptr;
  }
  return FKept.get();
}

TDataSetKeptRecords& TDataSet::KeptRecords() {
  // A handler that changes its handlers while every record is asked has the records asked
  // again, once; one that keeps doing so is refused.
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (TDataSetKeptRecords* kept = KnownKept()) return *kept;
    // Asked from inside a handler, the walk would ask that handler again without end.
    CheckNotAsking();
    const TFilterRecordEvent filterHandler = OnFilterRecord;
    const TDataSetNotifyEvent calcHandler = OnCalcFields;
    auto kept = std::make_shared<TDataSetKeptRecords>();
    const Integer count = InternalRecordCount();
    for (Integer p = 0; p < count && !FFreeHeld; ++p) kept->Add(AskFilter(p));
    if (FFreeHeld) {
      // Whatever was asked answers the caller; the data set goes as the operation returns.
      FKept = std::move(kept);
      return *FKept;
    }
    if (!(filterHandler == OnFilterRecord) || !(calcHandler == OnCalcFields)) continue;
    // The handlers cannot change the records (CheckNotAsking), but a descendant's own
    // store might: verdicts for another number of records are not kept.
    if (InternalRecordCount() != count) break;
    FKept = std::move(kept);
    FKeptFilterHandler = filterHandler;
    FKeptCalcHandler = calcHandler;
    return *FKept;
  }
  DatabaseError(LoadResString(DBConsts::SDataSetAsking), this);
}

void TDataSet::CheckNotAsking() const {
  if (FAsking > 0) DatabaseError(LoadResString(DBConsts::SDataSetAsking), this);
}

bool TDataSet::RecordVisible(Integer Place) {
  if (!Filtering()) return true;
  if (const TDataSetKeptRecords* kept = KnownKept()) return kept->Kept(Place);
  return AskFilter(Place);
}

bool TDataSet::AskFilter(Integer Place) {
  FCalcBuffer = ReadBuffer(Place);
  if (FFreeHeld) return false;
  TScopedValue<const TRecordBuffer*> read(FReadBuffer, &FCalcBuffer);
  TScopedValue<TDataSetState> state(FState, dsFilter);
  TScopedValue<Integer> asking(FAsking, FAsking + 1);
  bool accept = true;
  if (!FFilter.empty() && SupportsFilterText()) accept = AcceptsFilterText();
  if (accept && OnFilterRecord) OnFilterRecord(this, accept);
  return accept && !FFreeHeld;
}

Integer TDataSet::NextVisible(Integer Place, Integer Step) {
  const Integer count = InternalRecordCount();
  if (!Filtering()) {
    const Integer p = Place + Step;
    return p >= 0 && p < count ? p : -1;
  }
  if (const TDataSetKeptRecords* kept = KnownKept()) return kept->Next(Place, Step);
  for (Integer p = Place + Step; p >= 0 && p < count && !FFreeHeld; p += Step)
    if (AskFilter(p)) return p;
  return -1;
}

Integer TDataSet::WindowSize() const { return std::max<Integer>(1, FBufferCount); }

void TDataSet::FillWindow(Integer Place, Integer Slot) {
  FBuffers.clear();
  FActiveRecord = 0;
  if (Place < 0) return;
  const Integer size = WindowSize();
  {
    TScopedValue<bool> building(FBuildingWindow, true);
    FillWindowAt(size, Place, Slot);
  }
  WindowBuilt(size);
}

void TDataSet::WindowBuilt(Integer Size) {
  if (WindowSize() != Size && !FFreeHeld && size_t(FActiveRecord) < FBuffers.size())
    FillWindow(FBuffers[size_t(FActiveRecord)].Place, FActiveRecord);
}

void TDataSet::FillWindowAt(Integer Size, Integer Place, Integer Slot) {
  Slot = std::clamp<Integer>(Slot, 0, Size - 1);
  std::vector<Integer> before, after;
  for (Integer p = Place; Integer(before.size()) < Slot && (p = NextVisible(p, -1)) >= 0;)
    before.push_back(p);
  for (Integer p = Place;
       Integer(before.size() + after.size()) + 1 < Size && (p = NextVisible(p, 1)) >= 0;)
    after.push_back(p);
  // Fewer records after the active one than the window holds: show more of those before it.
  for (Integer p = before.empty() ? Place : before.back();
       Integer(before.size() + after.size()) + 1 < Size && (p = NextVisible(p, -1)) >= 0;)
    before.push_back(p);
  for (auto it = before.rbegin(); it != before.rend(); ++it) FBuffers.push_back(WindowBuffer(*it));
  FActiveRecord = Integer(before.size());
  // The current record is read as the data set arrives on it, the others when shown.
  FBuffers.push_back(ReadBuffer(Place));
  for (Integer p : after) FBuffers.push_back(WindowBuffer(p));
}

// The window again around Place (or its nearest visible neighbour), at the same slot.
bool TDataSet::Resync(TFirstError* Errors) {
  Integer place = -1;
  if (!FBuffers.empty()) place = FBuffers[size_t(FActiveRecord)].Place;
  if (place < 0) place = FInsertPlace;
  const Integer count = InternalRecordCount();
  if (place >= count) place = count - 1;
  Integer target = -1;
  if (place >= 0) {
    target = RecordVisible(place) ? place : NextVisible(place, 1);
    if (target < 0) target = NextVisible(place, -1);
  }
  FillWindow(target, FActiveRecord);
  FBOF = FEOF = FBuffers.empty();
  ShiftLinks(0);
  return Told(deDataSetChange, 0, Errors);
}

// What Resync gives, with the records still shown kept: those after the deleted one move up a
// place and one more is read at an end, not the whole window. Only where nothing but the
// stored values is shown (no filter, nothing computed), which the kept buffers still hold.
bool TDataSet::ResyncAfterDelete(Integer Place, TFirstError* Errors) {
  const Integer count = InternalRecordCount();
  const size_t size = size_t(WindowSize());
  const size_t active = size_t(FActiveRecord);
  // The window as a fill leaves it: whole, one record after another, the deleted one at the
  // active slot.
  bool laidOut = !Filtering() && !ComputesValues() && active < FBuffers.size() &&
                 FBuffers.size() == std::min(size, size_t(count) + 1) &&
                 Place - Integer(active) >= 0;
  for (size_t i = 0; laidOut && i < FBuffers.size(); ++i)
    laidOut = i == active ? FBuffers[i].Place == -1
                          : FBuffers[i].Place == Place - Integer(active) + Integer(i);
  if (!laidOut) return Resync(Errors);
  FBuffers.erase(FBuffers.begin() + ptrdiff_t(active));
  for (size_t i = active; i < FBuffers.size(); ++i) --FBuffers[i].Place;
  while (FBuffers.size() < size) {
    const Integer last = FBuffers.empty() ? Place - 1 : FBuffers.back().Place;
    const Integer first = FBuffers.empty() ? Place : FBuffers.front().Place;
    if (last + 1 < count)
      FBuffers.push_back(WindowBuffer(last + 1));
    else if (first > 0)
      FBuffers.insert(FBuffers.begin(), WindowBuffer(first - 1));
    else
      break;
  }
  // The record that followed the deleted one, else the new last one.
  const Integer target = Place < count ? Place : count - 1;
  FActiveRecord = 0;
  for (size_t i = 0; i < FBuffers.size(); ++i)
    if (FBuffers[i].Place == target) FActiveRecord = Integer(i);
  if (!FBuffers.empty()) LoadedBuffer(FActiveRecord);
  FBOF = FEOF = FBuffers.empty();
  ShiftLinks(0);
  return Told(deDataSetChange, 0, Errors);
}

void TDataSet::UpdateBufferCount() {
  const TRunning running(*this);
  Integer size = 1;
  for (TDataSource* ds : FDataSources)
    for (TDataLink* l : ds->FLinks) size = std::max(size, l->FBufferCount);
  if (size == FBufferCount) return;
  FBufferCount = size;
  if (FState == dsBrowse && !FBuffers.empty() && !FBuildingWindow) {
    FillWindow(FBuffers[size_t(FActiveRecord)].Place, FActiveRecord);
    ShiftLinks(0);
  }
}

void TDataSet::ShiftLinks(Integer WindowShift) {
  for (TDataSource* ds : FDataSources)
    for (TDataLink* l : ds->FLinks) {
      const Integer old = l->FFirstRecord;
      l->FFirstRecord -= WindowShift;
      l->ClampRange();
      l->FScrollDistance = WindowShift + l->FFirstRecord - old;
    }
}

// ---- TDataSet: moving ------------------------------------------------------------------------

void TDataSet::First() {
  const TRunning running(*this);
  if (!BrowseModeChecked()) return;
  if (!Notify(BeforeScroll)) return;
  FillWindow(FirstVisible(), 0);
  FBOF = true;
  FEOF = FBuffers.empty();
  ShiftLinks(0);
  if (!Told(deDataSetChange, 0)) return;
  if (AfterScroll) AfterScroll(this);
}

void TDataSet::Last() {
  const TRunning running(*this);
  if (!BrowseModeChecked()) return;
  if (!Notify(BeforeScroll)) return;
  FillWindow(LastVisible(), WindowSize() - 1);
  FEOF = true;
  FBOF = FBuffers.empty();
  ShiftLinks(0);
  if (!Told(deDataSetChange, 0)) return;
  if (AfterScroll) AfterScroll(this);
}

Integer TDataSet::MoveBy(Integer Distance) {
  const TRunning running(*this);
  if (!BrowseModeChecked()) return 0;
  if (Distance < 0 && IsUniDirectional())
    DatabaseError(LoadResString(DBConsts::SDataSetUniDirectional), this);
  if (Distance == 0 || FBuffers.empty() || (Distance > 0 && FEOF) || (Distance < 0 && FBOF))
    return 0;
  if (!Notify(BeforeScroll)) return 0;
  FBOF = FEOF = false;
  const Integer step = Distance > 0 ? 1 : -1;
  Integer moved = 0, shift = 0;
  const Integer size = WindowSize();
  {
    TScopedValue<bool> building(FBuildingWindow, true);
    // In 64 bits: the lowest distance has no positive Integer.
    for (Int64 n = Int64(Distance) * step; n > 0 && !FFreeHeld; --n) {
      const Integer p = NextVisible(FBuffers[size_t(FActiveRecord)].Place, step);
      if (p < 0) {
        (step > 0 ? FEOF : FBOF) = true;
        break;
      }
      ++moved;
      const Integer next = FActiveRecord + step;
      if (next >= 0 && next < Integer(FBuffers.size()) && FBuffers[size_t(next)].Place == p) {
        FActiveRecord = next;
      } else if (step > 0) {
        if (Integer(FBuffers.size()) >= size) {
          FBuffers.erase(FBuffers.begin());
          ++shift;
        }
        FBuffers.push_back(WindowBuffer(p));
        FActiveRecord = Integer(FBuffers.size()) - 1;
      } else {
        if (Integer(FBuffers.size()) >= size) FBuffers.pop_back();
        FBuffers.insert(FBuffers.begin(), WindowBuffer(p));
        FActiveRecord = 0;
        --shift;
      }
    }
    if (!FBuffers.empty()) LoadedBuffer(FActiveRecord);
  }
  WindowBuilt(size);
  ShiftLinks(shift);
  if (!Told(deDataSetScroll, shift)) return moved * step;
  if (AfterScroll) AfterScroll(this);
  return moved * step;
}

bool TDataSet::IsEmpty() const { return !Active() || FBuffers.empty(); }

Integer TDataSet::RecordCount() const {
  const TRunning running(*this);
  if (!Active()) return 0;
  if (!Filtering()) return InternalRecordCount();
  return const_cast<TDataSet*>(this)->KeptRecords().Count();
}

Integer TDataSet::RecNo() const {
  const TRunning running(*this);
  if (!Active() || FBuffers.empty() || FState == dsInsert) return -1;
  const Integer place = FBuffers[size_t(FActiveRecord)].Place;
  if (!Filtering()) return place + 1;
  return const_cast<TDataSet*>(this)->KeptRecords().Rank(place) + 1;
}

void TDataSet::SetRecNo(Integer Value) {
  const TRunning running(*this);
  if (!BrowseModeChecked()) return;
  if (FBuffers.empty()) return;
  if (Value <= 1) {
    First();
    return;
  }
  const Integer count = RecordCount();
  if (FFreeHeld) return;
  if (Value >= count) {
    Last();
    return;
  }
  const Integer recNo = RecNo();
  if (!FFreeHeld) MoveBy(Value - recNo);
}

// ---- TDataSet: editing -----------------------------------------------------------------------

void TDataSet::StoredValuesOf(const TRecordBuffer& Buffer, std::vector<Variant>& Values) const {
  Values.assign(
      Buffer.Values.begin(),
      Buffer.Values.begin() + std::min<Integer>(FStoredSlots, Integer(Buffer.Values.size())));
  Values.resize(size_t(FStoredSlots), Null());
}

void TDataSet::Edit() {
  const TRunning running(*this);
  if (IsEditState(FState)) return;
  CheckActive();
  CheckNotAsking();
  if (FBuffers.empty()) {
    Insert();
    return;
  }
  CheckCanModify();
  if (!Notify(BeforeEdit)) return;
  FBuffers[size_t(FActiveRecord)] = ReadBuffer(FBuffers[size_t(FActiveRecord)].Place);
  FOldValues = FBuffers[size_t(FActiveRecord)].Values;
  TFirstError notices;
  if (!SetState(dsEdit, &notices) || !Told(deRecordChange, 0, &notices)) return notices.Raise();
  notices.Raise();
  if (AfterEdit) AfterEdit(this);
}

void TDataSet::InitRecord() {}

void TDataSet::Insert() {
  const TRunning running(*this);
  CheckActive();
  if (!BrowseModeChecked()) return;
  CheckCanModify();
  if (!Notify(BeforeInsert)) return;
  if (!Notify(BeforeScroll)) return;
  TRecordBuffer buf;
  buf.Values.assign(size_t(FSlotCount), Null());
  if (FBuffers.empty()) {
    FInsertPlace = InternalRecordCount();
    FBuffers.push_back(std::move(buf));
    FActiveRecord = 0;
  } else {
    FInsertPlace = FBuffers[size_t(FActiveRecord)].Place;
    FBuffers.insert(FBuffers.begin() + FActiveRecord, std::move(buf));
    if (Integer(FBuffers.size()) > WindowSize()) FBuffers.pop_back();
  }
  FBOF = FEOF = false;
  StartNewRecord();
}

// The new record placed in the window becomes the one being inserted; a raising
// OnNewRecord leaves the data set browsing as it was.
void TDataSet::StartNewRecord() {
  FOldValues = LoadedBuffer(FActiveRecord).Values;
  InitRecord();
  TFirstError notices;
  if (!SetState(dsInsert, &notices)) return notices.Raise();
  try {
    // A link that failed to hear of the insert ends it as a raising OnNewRecord does.
    notices.Raise();
    if (!Notify(OnNewRecord)) return;
  } catch (...) {  // written out: only a failed start goes back to browsing
    // The first error is the one reported; the links still all hear of the way back.
    TFirstError back;
    if (SetState(dsBrowse, &back)) Resync(&back);
    throw;
  }
  FModified = false;
  ShiftLinks(0);
  if (!Told(deDataSetChange, 0)) return;
  if (!Notify(AfterInsert)) return;
  if (AfterScroll) AfterScroll(this);
}

void TDataSet::Append() {
  const TRunning running(*this);
  CheckActive();
  if (!BrowseModeChecked()) return;
  CheckCanModify();
  if (!Notify(BeforeInsert)) return;
  if (!Notify(BeforeScroll)) return;
  const Integer last = LastVisible();
  FillWindow(last, WindowSize() - 1);
  if (Integer(FBuffers.size()) >= WindowSize()) FBuffers.erase(FBuffers.begin());
  TRecordBuffer buf;
  buf.Values.assign(size_t(FSlotCount), Null());
  FBuffers.push_back(std::move(buf));
  FActiveRecord = Integer(FBuffers.size()) - 1;
  FInsertPlace = InternalRecordCount();
  FBOF = false;
  FEOF = true;
  StartNewRecord();
}

void TDataSet::UpdateRecord() {
  const TRunning running(*this);
  LinksUpdatedRecord();
}

bool TDataSet::LinksUpdatedRecord() {
  if (!IsEditState(FState)) DatabaseError(LoadResString(DBConsts::SNotEditing), this);
  return Told(deUpdateRecord, 0);
}

void TDataSet::CheckRequiredFields() {
  for (TField* f : FFields)
    if (f->Required() && !f->ReadOnly() && f->FieldKind() == fkData && f->IsNull()) {
      f->FocusControl();
      DatabaseErrorFmt(DBConsts::SFieldRequired, {f->DisplayName()}, this);
    }
}

void TDataSet::Post() {
  const TRunning running(*this);
  CheckNotAsking();
  if (!LinksUpdatedRecord()) return;
  CheckRequiredFields();
  if (!Notify(BeforePost)) return;
  TRecordBuffer& buf = LoadedBuffer(FActiveRecord);
  std::vector<Variant> values;
  StoredValuesOf(buf, values);
  const bool inserting = FState == dsInsert;
  const Integer oldPlace = inserting ? -1 : buf.Place;
  TDataSetKeptRecords* kept = KnownKept();
  const Integer oldId = inserting ? -1 : InternalRecordId(buf.Place);
  const Integer place = InternalPost(inserting ? FInsertPlace : buf.Place, inserting, values);
  ++FChangeCount;
  WindowFollow(oldPlace, place);
  FBuffers[size_t(FActiveRecord)].Place = place;
  KeyIndexesFollow(oldId, place);
  // The record is stored whatever the filter says of it: a filter that raises on it leaves
  // the data set browsing, and its error then reaches the caller.
  const std::exception_ptr failed = kept ? KeepVerdict(*kept, oldPlace, place) : nullptr;
  FInsertPlace = -1;
  FOldValues.clear();
  TFirstError notices;
  bool alive;
  {
    TScopedValue<TBookmarkStr> posted(FPostedBookmark, InternalBookmark(place));
    alive = SetState(dsBrowse, &notices) && Resync(&notices);
  }
  if (alive && failed) std::rethrow_exception(failed);
  notices.Raise();
  if (alive && AfterPost) AfterPost(this);
}

void TDataSet::Cancel() {
  const TRunning running(*this);
  if (!IsEditState(FState)) return;
  CheckNotAsking();
  if (!Notify(BeforeCancel)) return;
  const bool inserting = FState == dsInsert;
  if (inserting && !FBuffers.empty()) FBuffers[size_t(FActiveRecord)].Place = -1;
  FOldValues.clear();
  TFirstError notices;
  if (!SetState(dsBrowse, &notices) || !Resync(&notices)) return notices.Raise();
  FInsertPlace = -1;
  notices.Raise();
  if (AfterCancel) AfterCancel(this);
}

void TDataSet::Delete() {
  const TRunning running(*this);
  CheckActive();
  CheckNotAsking();
  if (FState == dsInsert || FState == dsSetKey) {
    Cancel();
    return;
  }
  if (FBuffers.empty()) DatabaseError(LoadResString(DBConsts::SDataSetEmpty), this);
  CheckCanModify();
  if (!Told(deCheckBrowseMode, 0)) return;
  if (!Notify(BeforeDelete)) return;
  if (!Notify(BeforeScroll)) return;
  const Integer place = FBuffers[size_t(FActiveRecord)].Place;
  TDataSetKeptRecords* kept = KnownKept();
  const Integer goneId = InternalRecordId(place);
  InternalDelete(place);
  ++FChangeCount;
  KeyIndexesFollow(goneId, -1);
  // The deleted record's verdict goes with it: no filter is asked.
  if (kept) kept->Erase(place);
  FOldValues.clear();
  // The record that followed the deleted one takes its place (or the new last one).
  FInsertPlace = place;
  FBuffers[size_t(FActiveRecord)].Place = -1;
  TFirstError notices;
  if (!SetState(dsBrowse, &notices) || !ResyncAfterDelete(place, &notices)) return notices.Raise();
  FInsertPlace = -1;
  notices.Raise();
  if (!Notify(AfterDelete)) return;
  if (AfterScroll) AfterScroll(this);
}

std::exception_ptr TDataSet::KeepVerdict(TDataSetKeptRecords& Kept, Integer OldPlace,
                                        Integer Place) {
  try {
    if (OldPlace >= 0) Kept.Erase(OldPlace);
    Kept.Insert(Place, false);
    Kept.Set(Place, !Filtering() || AskFilter(Place));
    return nullptr;
  } catch (...) {  // not cleanup: the error becomes the answer, and the kept verdicts go
    FKept.reset();
    return std::current_exception();
  }
}

void TDataSet::RecordInserted(Integer Place) {
  const TRunning running(*this);
  ++FChangeCount;
  WindowFollow(-1, Place);
  // An insert goes in front of the record it was begun on, wherever that now stands.
  if (FInsertPlace >= Place) ++FInsertPlace;
  KeyIndexesFollow(-1, Place);
  std::exception_ptr failed;
  if (!Active()) {
    FKept.reset();
  } else if (TDataSetKeptRecords* kept = FKept ? FKept.get() : nullptr) {
    // Known for one record fewer: the new one is asked about and filed.
    if (FKeptFilterHandler == OnFilterRecord && FKeptCalcHandler == OnCalcFields &&
        kept->Size() + 1 == InternalRecordCount())
      failed = KeepVerdict(*kept, -1, Place);
    else
      FKept.reset();
  }
  TFirstError notices;
  if (State() == dsBrowse && BrowseModeChecked() && !Resync(&notices)) return notices.Raise();
  if (failed) std::rethrow_exception(failed);
  notices.Raise();
}

bool TDataSet::Notify(const TDataSetNotifyEvent& AEvent) {
  if (FFreeHeld) return false;
  if (!AEvent) return true;
  TWeakLink self(this);
  AEvent(this);
  return self.Alive();
}

bool TDataSet::BrowseModeChecked() {
  if (FFreeHeld) return false;
  TWeakLink self(this);
  CheckBrowseMode();
  return self.Alive() && !FFreeHeld;
}

void TDataSet::CheckBrowseMode() {
  const TRunning running(*this);
  CheckActive();
  CheckNotAsking();
  if (!Told(deCheckBrowseMode, 0)) return;
  if (FState == dsEdit || FState == dsInsert) {
    if (!LinksUpdatedRecord()) return;
    if (FModified)
      Post();
    else
      Cancel();
  } else if (FState == dsSetKey) {
    Cancel();
  }
}

void TDataSet::Refresh() {
  const TRunning running(*this);
  if (!BrowseModeChecked()) return;
  // Records read from elsewhere (lookups, calculations) may show differently now.
  RecordsChanged();
  Resync();
}

// ---- TDataSet: bookmarks ---------------------------------------------------------------------

bool TDataSet::BookmarkAvailable() const {
  return Active() && FActiveRecord >= 0 && FActiveRecord < Integer(FBuffers.size()) &&
         FBuffers[size_t(FActiveRecord)].Place >= 0;
}

TBookmarkStr TDataSet::Bookmark() const {
  if (!Active() || FActiveRecord < 0 || FActiveRecord >= Integer(FBuffers.size())) return {};
  const Integer place = FBuffers[size_t(FActiveRecord)].Place;
  return place < 0 ? TBookmarkStr() : InternalBookmark(place);
}

void TDataSet::GotoBookmark(const TBookmarkStr& Value) {
  const TRunning running(*this);
  if (!BrowseModeChecked()) return;
  const Integer place = Value.empty() ? -1 : InternalFindBookmark(Value);
  const bool visible = place >= 0 && RecordVisible(place);
  if (FFreeHeld) return;
  if (!visible)
    DatabaseError(LoadResString(DBConsts::SRecordNotFound), this);
  if (!Notify(BeforeScroll)) return;
  FillWindow(place, (WindowSize() - 1) / 2);
  FBOF = FEOF = false;
  ShiftLinks(0);
  if (!Told(deDataSetChange, 0)) return;
  if (AfterScroll) AfterScroll(this);
}

bool TDataSet::BookmarkValid(const TBookmarkStr& Value) const {
  const TRunning running(*this);
  if (!Active() || Value.empty()) return false;
  const Integer place = InternalFindBookmark(Value);
  // A record the filter hides cannot be gone to, any more than one that is gone: a caller
  // that tests first never meets "Record not found".
  return place >= 0 && const_cast<TDataSet*>(this)->RecordVisible(place);
}

Integer TDataSet::CompareBookmarks(const TBookmarkStr& A, const TBookmarkStr& B) const {
  if (A.empty() || B.empty()) return A.empty() && B.empty() ? 0 : (A.empty() ? -1 : 1);
  const Integer pa = Active() ? InternalFindBookmark(A) : -1;
  const Integer pb = Active() ? InternalFindBookmark(B) : -1;
  if (pa < 0 || pb < 0) {
    // Without places (closed, or a record gone) the texts decide; texts of whole numbers
    // as the numbers they are, so "9" comes before "10".
    auto whole = [](const TBookmarkStr& s) {
      return std::all_of(s.begin(), s.end(), [](Char c) { return c >= '0' && c <= '9'; });
    };
    if (whole(A) && whole(B) && A.size() != B.size()) return A.size() < B.size() ? -1 : 1;
    return A == B ? 0 : (A < B ? -1 : 1);
  }
  return pa == pb ? 0 : (pa < pb ? -1 : 1);
}

void TDataSet::ReadRecords(const std::function<bool(const TBookmarkStr&)>& Visit,
                           const TBookmarkStr& From) {
  const TRunning running(*this);
  CheckActive();
  CheckNotAsking();
  // The filter's verdicts are known before the visits, which may not ask the handlers. One
  // that freed the data set leaves nothing to visit.
  if (Filtering()) KeptRecords();
  if (FFreeHeld) return;
  Integer place = FirstVisible();
  if (!From.empty()) {
    place = InternalFindBookmark(From);
    if (place < 0 || !RecordVisible(place))
      DatabaseError(LoadResString(DBConsts::SRecordNotFound), this);
  }
  for (; place >= 0; place = NextVisible(place, 1)) {
    const TRecordBuffer buffer = ReadBuffer(place);
    if (FFreeHeld) return;
    TScopedValue<const TRecordBuffer*> read(FReadBuffer, &buffer);
    TScopedValue<Integer> asking(FAsking, FAsking + 1);
    if (!Visit(InternalBookmark(place)) || FFreeHeld) return;
  }
}

// ---- TDataSet: searching ---------------------------------------------------------------------

bool TDataSet::MatchRecord(const std::vector<TField*>& Fields, const Variant& Values,
                           TLocateOptions Options, const TRecordBuffer& Buffer) const {
  const std::vector<Variant> keys = ValuesOf(Values, Fields.size());
  TScopedValue<const TRecordBuffer*> read(const_cast<TDataSet*>(this)->FReadBuffer, &Buffer);
  for (size_t i = 0; i < Fields.size(); ++i) {
    const Variant value = Fields[i]->GetAsVariant();
    const Variant& key = keys[i];
    const bool keyNull = VarIsNull(key) || VarIsEmpty(key);
    const bool valueNull = VarIsNull(value) || VarIsEmpty(value);
    if (keyNull || valueNull) {
      if (keyNull != valueNull) return false;
      continue;
    }
    if (VarIsStr(value) || VarIsStr(key)) {
      String s = VarToStr(value), k = VarToStr(key);
      if (Options.Contains(TLocateOption::loCaseInsensitive)) {
        s = AnsiUpperCase(s);
        k = AnsiUpperCase(k);
      }
      if (Options.Contains(TLocateOption::loPartialKey) ? s.compare(0, k.size(), k) != 0 : s != k)
        return false;
      continue;
    }
    try {
      if (value != key) return false;
    } catch (const EVariantError&) {
      return false;
    }
  }
  return true;
}

Integer TDataSet::FindRecord(const String& KeyFields, const Variant& KeyValues,
                             TLocateOptions Options, std::vector<TField*>& Fields, Integer After) {
  CheckActive();
  GetFieldList(Fields, KeyFields);
  if (Fields.empty()) return -1;
  // A copy: the calculations run per record may free whoever holds the caller's values.
  const Variant values = KeyValues;
  const std::vector<Variant> keys = ValuesOf(values, Fields.size());  // checks the count
  Integer place = -1;
  if (Fields.size() == 1 && FindIndexedRecord(Fields[0], keys[0], Options, After, place)) {
    if (place >= 0) FCalcBuffer = ReadBuffer(place);
    return place;
  }
  Integer walked = 0;
  for (Integer p = NextVisible(std::max<Integer>(After, -1), 1); p >= 0 && !FFreeHeld;
       p = NextVisible(p, 1)) {
    ++walked;
    FCalcBuffer = ReadBuffer(p);
    // A calculation that freed the data set may have freed the key fields with it.
    if (FFreeHeld) break;
    if (MatchRecord(Fields, values, Options, FCalcBuffer)) {
      place = p;
      break;
    }
  }
  if (Fields.size() == 1 && !FFreeHeld) CountWalk(Fields[0], Options, walked);
  return place;
}

bool TDataSet::Locate(const String& KeyFields, const Variant& KeyValues, TLocateOptions Options) {
  const TRunning running(*this);
  // Copies: ending an edit runs handlers that may free whoever holds the caller's names and
  // values (a controller searching by its own key values, say).
  const String names = KeyFields;
  const Variant values = KeyValues;
  if (!BrowseModeChecked()) return false;
  std::vector<TField*> fields;
  const Integer place = FindRecord(names, values, Options, fields);
  return place >= 0 && GotoFoundRecord(place);
}

bool TDataSet::LocateNext(const String& KeyFields, const Variant& KeyValues,
                          TLocateOptions Options) {
  const TRunning running(*this);
  const String names = KeyFields;  // copies, as Locate takes them
  const Variant values = KeyValues;
  if (!BrowseModeChecked()) return false;
  CheckActive();
  if (FBuffers.empty()) return false;
  const Integer current = FBuffers[size_t(FActiveRecord)].Place;
  std::vector<TField*> fields;
  const Integer place = FindRecord(names, values, Options, fields, current);
  if (place < 0 || FFreeHeld) return false;
  // The very next record is a step forward, which reads one record however large the window.
  if (!FEOF && place == NextVisible(current, 1)) return MoveBy(1) == 1;
  return GotoFoundRecord(place);
}

bool TDataSet::GotoFoundRecord(Integer Place) {
  if (FFreeHeld || !Notify(BeforeScroll)) return false;
  FillWindow(Place, (WindowSize() - 1) / 2);
  FBOF = FEOF = false;
  ShiftLinks(0);
  if (!Told(deDataSetChange, 0)) return true;
  if (AfterScroll) AfterScroll(this);
  return true;
}

Variant TDataSet::Lookup(const String& KeyFields, const Variant& KeyValues,
                         const String& ResultFields) {
  const TRunning running(*this);
  std::vector<TField*> fields;
  const Integer place = FindRecord(KeyFields, KeyValues, {}, fields);
  if (place < 0 || FFreeHeld) return Null();
  TScopedValue<const TRecordBuffer*> read(FReadBuffer, &FCalcBuffer);
  return GetFieldValues(ResultFields);
}

String TDataSet::LookupDisplayText(const String& KeyFields, const Variant& KeyValues, const String& ResultField) {
  const TRunning running(*this);
  TField* field = FindField(ResultField);
  if (!field) DatabaseErrorFmt(DBConsts::SFieldNotFound, {ResultField}, this);
  std::vector<TField*> fields;
  // A field freed with the data set by the search's handlers is not read.
  TWeakLink fieldLink(field);
  if (FindRecord(KeyFields, KeyValues, {}, fields) < 0 || FFreeHeld || !fieldLink.Alive()) return {};
  TScopedValue<const TRecordBuffer*> read(FReadBuffer, &FCalcBuffer);
  return field->DisplayText();
}

// ---- TDataSet: filtering ---------------------------------------------------------------------

void TDataSet::SetFiltered(bool Value) {
  const TRunning running(*this);
  if (Value == FFiltered) return;
  CheckNotAsking();
  if (Value && !FFilter.empty() && SupportsFilterText()) PrepareFilterText(FFilter);
  if (Value && !FFilter.empty() && !SupportsFilterText())
    DatabaseErrorFmt(DBConsts::SFilterNotSupported, {FFilter}, this);
  ChangeFilter(FFilter, FFilterOptions, Value);
}

void TDataSet::SetFilter(const String& Value) {
  const TRunning running(*this);
  if (Value == FFilter) return;
  CheckNotAsking();
  if (!Value.empty() && SupportsFilterText()) PrepareFilterText(Value);
  if (FFiltered && !Value.empty() && !SupportsFilterText())
    DatabaseErrorFmt(DBConsts::SFilterNotSupported, {Value}, this);
  ChangeFilter(Value, FFilterOptions, FFiltered);
}

void TDataSet::SetFilterOptions(TFilterOptions Value) {
  const TRunning running(*this);
  if (Value == FFilterOptions) return;
  CheckNotAsking();
  ChangeFilter(FFilter, Value, FFiltered);
}

// A filter that fails on the records is taken back, so the data set keeps showing rows.
void TDataSet::ChangeFilter(const String& Text, TFilterOptions Options, bool Filtering) {
  const bool refilter = Active() && (FFiltered || Filtering);
  if (refilter && !BrowseModeChecked()) return;
  const String oldText = FFilter;
  const TFilterOptions oldOptions = FFilterOptions;
  const bool oldFiltering = FFiltered;
  FFilter = Text;
  ++FFilterVersion;
  FFilterOptions = Options;
  FFiltered = Filtering;
  RecordsChanged();
  if (!refilter) return;
  try {
    First();
  } catch (...) {  // written out: only a failing filter is taken back
    FFilter = oldText;
    ++FFilterVersion;
    FFilterOptions = oldOptions;
    FFiltered = oldFiltering;
    RecordsChanged();
    First();
    throw;
  }
}

// ---- TDataSet: events to the data sources ----------------------------------------------------

void TDataSet::DisableControls() {
  if (FDisableCount++ == 0) {
    FPendingChange = false;
    FStateChangedWhileDisabled = false;
    FChangeCountAtDisable = FChangeCount;
    FComputedAtDisable = ComputesValues();
  }
}

void TDataSet::EnableControls() {
  const TRunning running(*this);
  if (FDisableCount == 0 || --FDisableCount > 0) return;
  const bool state = FStateChangedWhileDisabled, layout = FPendingChange;
  FPendingChange = FStateChangedWhileDisabled = false;
  // A link failing to hear of the state does not keep the records' change from the links.
  TFirstError notices;
  if (state && !Told(deUpdateState, 0, &notices)) return notices.Raise();
  if (Active()) {
    // Kept for the notice alone: a link told before another may change the data set, and
    // the later links then hear of a change.
    // A handler computing values then or now may have changed them unseen.
    TScopedValue<UInt64> noticeCount(FNoticeCountAtDisable, layout ? 0 : FChangeCountAtDisable);
    TScopedValue<bool> noticeComputed(FNoticeComputed, FComputedAtDisable || ComputesValues());
    Told(layout ? deLayoutChange : deDataSetChange, 0, &notices);
  }
  notices.Raise();
}

bool TDataSet::OnlyMovedWhileControlsDisabled() const {
  return FNoticeCountAtDisable != 0 && FNoticeCountAtDisable == FChangeCount && !FNoticeComputed;
}

bool TDataSet::ChangedWhileControlsDisabled() const {
  return FNoticeCountAtDisable != 0 && FNoticeCountAtDisable != FChangeCount;
}

bool TDataSet::ComputesValues() const {
  if (OnCalcFields || OnFilterRecord) return true;
  for (const TField* f : FFields)
    if (f->FieldKind() != fkData || f->OnGetText) return true;
  return false;
}

// While controls are disabled only the links that show nothing hear the data set; the
// others get one notice when the controls are enabled again.
void TDataSet::DataEvent(TDataEvent Event, intptr_t Info) {
  if (FFreeHeld) return;
  const bool disabled = FDisableCount > 0;
  if (Event == deLayoutChange || Event == deFieldListChange || Event == dePropertyChange)
    ++FChangeCount;
  if (disabled) {
    if (Event == deUpdateState) FStateChangedWhileDisabled = true;
    if (Event == deLayoutChange || (Event == deUpdateState && FState == dsInactive))
      FPendingChange = true;
  }
  // A link's handler may free the data set, or a data source: the notice goes no further
  // than what still exists. A notice goes on past a source whose link or handler raised
  // (IsDataRequest), and the first error comes last.
  TWeakLink self(this);
  TFirstError errors;
  for (TDataSource* ds : std::vector<TDataSource*>(FDataSources)) {
    if (std::find(FDataSources.begin(), FDataSources.end(), ds) == FDataSources.end()) continue;
    if (IsDataRequest(Event))
      ds->DataEvent(Event, Info, disabled);
    else
      errors.Run([&] { ds->DataEvent(Event, Info, disabled); });
    if (!self.Alive() || FFreeHeld) break;
  }
  errors.Raise();
}

bool TDataSet::Told(TDataEvent Event, intptr_t Info, TFirstError* Errors) {
  if (FFreeHeld) return false;
  TWeakLink self(this);
  if (Errors && !IsDataRequest(Event))
    Errors->Run([&] { DataEvent(Event, Info); });
  else
    DataEvent(Event, Info);
  return self.Alive() && !FFreeHeld;
}

bool TDataSet::HoldFree() noexcept {
  if (FRunning == 0) return false;
  FFreeHeld = true;
  return true;
}
