#include "tests/databinding/TestDataSets.h"

TL_DEFINE_CLASS(TTestMemoryQuery)
TL_DEFINE_CLASS(TTestDetailDataSet)
TL_DEFINE_CLASS(TTestForwardOnlyDataSet)
TL_DEFINE_CLASS(TTestCountingDataSet)

TTestMemoryQuery::TTestMemoryQuery(TComponent* AOwner)
    : TMemoryDataSet(AOwner), FParams(New<TParams>()) {}

void TTestMemoryQuery::BeforeDestruction() {
  inherited::BeforeDestruction();
  FParams->Free();
  FParams = nullptr;
}

void TTestMemoryQuery::InternalOpen() {
  ++FOpenCount;
  // The definitions first: without any, the fields define the record.
  inherited::InternalOpen();
  EmptyDataSet();
  std::vector<Integer> columns;
  for (Integer i = 0; i < FParams->Count(); ++i) {
    const String& name = FParams->Items(i)->Name();
    const Integer column = FieldDefs().IndexOf(name);
    if (column < 0) DatabaseErrorFmt(DBConsts::SFieldNotFound, {name}, this);
    columns.push_back(column);
  }
  for (const std::vector<Variant>& row : FRows) {
    bool keep = true;
    for (Integer i = 0; keep && i < FParams->Count(); ++i) {
      const Variant& param = FParams->Items(i)->Value();
      const size_t column = size_t(columns[size_t(i)]);
      const Variant value = column < row.size() ? row[column] : Null();
      const bool paramNull = VarIsNull(param) || VarIsEmpty(param);
      const bool valueNull = VarIsNull(value) || VarIsEmpty(value);
      keep = paramNull || valueNull
                 ? paramNull == valueNull
                 : VarCompareValue(param, value) == TVariantRelationship::vrEqual;
    }
    if (keep) AddRecord(row);
  }
}

TTestForwardOnlyDataSet::TTestForwardOnlyDataSet(TComponent* AOwner) : TMemoryDataSet(AOwner) {
  SetUniDirectional(true);
  BeforeScroll = TDataSetNotifyEvent(this, &TTestForwardOnlyDataSet::NoteRecord);
  AfterScroll = TDataSetNotifyEvent(this, &TTestForwardOnlyDataSet::CheckForward);
}

void TTestForwardOnlyDataSet::NoteRecord(TDataSet*) { FFromRecNo = RecNo(); }

void TTestForwardOnlyDataSet::CheckForward(TDataSet*) {
  const Integer now = RecNo();
  if (now >= FFromRecNo || FFromRecNo < 0) return;
  if (now != 1 || !Bof()) DatabaseError(LoadResString(DBConsts::SDataSetUniDirectional), this);
  ++FRestarts;
}
