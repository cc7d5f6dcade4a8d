// Data sets that only tests need, over the in-memory data set: one that has parameters and
// opens on the rows that match them, as a query would; one that follows a master data
// source; one that only moves forward; one that counts the records it reads.
#pragma once

#include "classlib/core/DB.h"

#include <vector>

// Rows are kept apart from what is open: each Open keeps the rows whose fields named by the
// parameters equal the parameters' values (a Null parameter keeps null fields). A parameter
// naming no field fails the open with "Field '%s' not found".
class TTestMemoryQuery : public TMemoryDataSet {
  TL_CLASS(TTestMemoryQuery, TMemoryDataSet)
 public:
  explicit TTestMemoryQuery(TComponent* AOwner);
  void BeforeDestruction() override;
  TParams* GetParams() const override { return FParams; }
  // A row in field-definition order, seen from the next Open on.
  void AddRow(const std::vector<Variant>& AValues) { FRows.push_back(AValues); }
  Integer OpenCount() const { return FOpenCount; }

 protected:
  void InternalOpen() override;

 private:
  TParams* FParams;
  std::vector<std::vector<Variant>> FRows;
  Integer FOpenCount = 0;
};

// A detail data set: its master is whatever data source the test names.
class TTestDetailDataSet : public TMemoryDataSet {
  TL_CLASS(TTestDetailDataSet, TMemoryDataSet)
 public:
  explicit TTestDetailDataSet(TComponent* AOwner) : TMemoryDataSet(AOwner) {}
  TDataSource* GetDataSource() const override { return FMasterSource; }
  void SetMasterSource(TDataSource* AValue) { FMasterSource = AValue; }

 private:
  TDataSource* FMasterSource = nullptr;
};

// A forward-only data set, as a cursor that reads its records once is: any move that brings
// back an earlier record raises "Operation not allowed on a unidirectional dataset", except
// going to the first record, which starts the reading over (counted). Its BeforeScroll and
// AfterScroll handlers are its own.
class TTestForwardOnlyDataSet : public TMemoryDataSet {
  TL_CLASS(TTestForwardOnlyDataSet, TMemoryDataSet)
 public:
  explicit TTestForwardOnlyDataSet(TComponent* AOwner);
  Integer Restarts() const { return FRestarts; }

 private:
  void NoteRecord(TDataSet*);
  void CheckForward(TDataSet*);
  Integer FFromRecNo = 0;
  Integer FRestarts = 0;
};

// Counts the stored records it is asked for, one by one or value by value.
class TTestCountingDataSet : public TMemoryDataSet {
  TL_CLASS(TTestCountingDataSet, TMemoryDataSet)
 public:
  explicit TTestCountingDataSet(TComponent* AOwner) : TMemoryDataSet(AOwner) {}
  Integer Reads() const { return FReads; }

 protected:
  std::vector<Variant> InternalReadRecord(Integer Place) const override {
    ++FReads;
    return inherited::InternalReadRecord(Place);
  }
  const Variant* InternalStoredValue(Integer Place, Integer Slot) const override {
    ++FReads;
    return inherited::InternalStoredValue(Place, Slot);
  }

 private:
  mutable Integer FReads = 0;
};
