// Data sets that only tests need, over the in-memory data set: one that has parameters and
// opens on the rows that match them, as a query would, and one that follows a master
// data source.
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
