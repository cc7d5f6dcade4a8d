// fuzz-links: classlib_core
// Any text as a memory data set's filter is taken or refused with EDatabaseError, at any
// length and nesting. Refused, the data set keeps the filter, the records and the cursor it
// had. Taken, it is asked about every record without raising: the count, the numbers of a
// walk and the count after closing and opening again agree, in either case mode.
#include "classlib/core/DB.h"
#include "classlib/core/SysUtils.h"

#include <cstdint>
#include <cstdlib>

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

// Every field kind the filter binds values to, with Nulls, mixed case and wildcard characters.
Owned<TMemoryDataSet> MakeDataSet() {
  Owned<TMemoryDataSet> ds(New<TMemoryDataSet>(nullptr));
  ds->FieldDefs().Add("ID", TFieldType::ftInteger);
  ds->FieldDefs().Add("NAME", TFieldType::ftString, 20);
  ds->FieldDefs().Add("PRICE", TFieldType::ftFloat);
  ds->FieldDefs().Add("DAY", TFieldType::ftDate);
  ds->FieldDefs().Add("FLAG", TFieldType::ftBoolean);
  ds->FieldDefs().Add("MONEY", TFieldType::ftCurrency);
  ds->FieldDefs().Add("My Name", TFieldType::ftString, 20);
  const char* names[] = {"apple", "Banana", "", "a%b_c", "\xC4rger", "O'Neil"};
  for (Integer i = 0; i < 8; ++i)
    ds->AddRecord({i, i == 6 ? Null() : Variant(String(names[i % 6])),
                   i == 2 ? Null() : Variant(i * 1.5 - 3),
                   i == 3 ? Null() : VarFromDateTime(45000.0 + i), i % 2 == 0,
                   Variant(Currency::FromRaw(Int64(i) * 12500)), String(names[(i + 1) % 6])});
  ds->Open();
  return ds;
}

// The records kept, walked from the first: their numbers run 1, 2, ... and their count is
// the data set's.
Integer Walked(TDataSet* ds) {
  Integer n = 0;
  for (ds->First(); !ds->Eof(); ds->Next()) Check(ds->RecNo() == ++n);
  Check(n == ds->RecordCount());
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const String text(reinterpret_cast<const char*>(data), size);
  Owned<TMemoryDataSet> ds = MakeDataSet();
  ds->SetFilter("ID > 2");
  ds->SetFiltered(true);
  ds->Last();
  try {
    ds->SetFilter(text);
  } catch (const EDatabaseError&) {
    Check(ds->Filter() == "ID > 2" && ds->RecordCount() == 5 &&
          ds->FieldByName("ID")->GetAsInteger() == 7);
    return 0;
  }
  const Integer kept = Walked(ds.get());
  ds->Close();
  ds->Open();
  Check(Walked(ds.get()) == kept);
  ds->SetFilterOptions({TFilterOption::foCaseInsensitive});
  Walked(ds.get());
  return 0;
}
