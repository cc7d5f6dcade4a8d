// The generated table of the data benchmarks (bench/DataBenchTable.h) as an open memory
// data set, for the benchmarks of the data-set controller.
#pragma once

#include "bench/DataBenchTable.h"

#include "classlib/core/DB.h"
#include "classlib/core/SysUtils.h"
#include "platform/kernel/Units.h"
#include "widgets/data/DataUnits.h"
#include "widgets/databinding/DatabindingUnits.h"

#include <benchmark/benchmark.h>

#include <string>

// Starts what a data-set controller needs; counted, so every size may call it.
inline void StartDatabindingUnits() {
  PlatformKernelInitialize();
  WidgetsDataInitialize();
  WidgetsDatabindingInitialize();
}

// A size whose answers differ from SQLite's is reported instead of timed.
inline bool AnswersAgree(benchmark::State& state, const std::string& error) {
  if (error.empty()) return true;
  state.SkipWithError(("answers differ: " + error).c_str());
  return false;
}

// A new memory data set (owner nullptr) holding ARows, open on its first record.
inline TMemoryDataSet* NewBenchDataSet(const std::vector<Row>& ARows) {
  auto* ds = New<TMemoryDataSet>(nullptr);
  ds->FieldDefs().Add("ID", TFieldType::ftInteger);
  ds->FieldDefs().Add("Name", TFieldType::ftString, 20);
  ds->FieldDefs().Add("City", TFieldType::ftString, 20);
  ds->FieldDefs().Add("Amount", TFieldType::ftBCD);
  ds->FieldDefs().Add("Price", TFieldType::ftFloat);
  ds->FieldDefs().Add("Day", TFieldType::ftDate);
  ds->FieldDefs().Add("Flag", TFieldType::ftBoolean);
  for (const Row& r : ARows)
    ds->AddRecord({r.ID, r.NameNull ? Null() : Variant(String(r.Name)), String(r.City),
                   Variant(Currency::FromRaw(r.Amount)), r.Price, Variant(TDateTime{r.Day}), r.Flag});
  ds->Open();
  return ds;
}
