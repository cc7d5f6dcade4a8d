// fuzz-links: widgets_data
// The record reader over any bytes: the first byte picks the layout (record identifiers,
// kept display texts), the rest is read record after record until the stream ends or
// raises its read error. A record that was read writes out, reads back into another record
// and writes out to the same bytes again; nothing may leak or be touched out of bounds.
#include "widgets/data/cxDataStorage.h"

#include <cstdint>
#include <cstdlib>

namespace {

const TcxValueTypeClass kTypes[] = {
    TcxStringValueType::StaticClass(),   TcxWideStringValueType::StaticClass(), TcxSmallintValueType::StaticClass(),
    TcxIntegerValueType::StaticClass(),  TcxWordValueType::StaticClass(),       TcxBooleanValueType::StaticClass(),
    TcxFloatValueType::StaticClass(),    TcxCurrencyValueType::StaticClass(),   TcxDateTimeValueType::StaticClass(),
    TcxLargeIntValueType::StaticClass(), TcxFMTBcdValueType::StaticClass(),     TcxSQLTimeStampValueType::StaticClass(),
    TcxVariantValueType::StaticClass(),  TcxObjectValueType::StaticClass(),
};

String Written(TcxDataStorage* AStorage, Integer ARecord) {
  TStringStream s;
  AStorage->WriteRecord(ARecord, s);
  return s.DataString();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  Owned<TcxDataStorage> storage(New<TcxDataStorage>());
  storage->SetUseRecordID((data[0] & 1) != 0);
  Integer i = 0;
  for (TcxValueTypeClass t : kTypes) storage->ValueDefs()->Add(t, true, ((data[0] >> 1) & 1) && (i++ % 3 == 0), nullptr);
  Integer scratch = storage->AppendRecord();
  TStringStream in(String(reinterpret_cast<const char*>(data + 1), size - 1));
  for (int n = 0; n < 64 && in.GetPosition() < in.GetSize(); ++n) {
    Integer record = storage->AppendRecord();
    try {
      storage->ReadRecord(record, in);
    } catch (const EReadError&) {
      break;
    }
    String once = Written(storage.get(), record);
    TStringStream again(once);
    storage->ReadRecord(scratch, again);
    if (again.GetPosition() != again.GetSize()) std::abort();
    String twice = Written(storage.get(), scratch);
    // Identifiers aside (they are written as read), the second image equals the first.
    if (twice != once) std::abort();
  }
  return 0;
}
