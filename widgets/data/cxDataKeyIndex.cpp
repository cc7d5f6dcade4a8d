// Finding a record by its key through the storage's key index. A lookup list shows a key's
// text for every row it paints; comparing the key with each record costs a pass over the
// records for each row.
#include "widgets/data/cxDataKeyIndex.h"

#include "widgets/data/cxDataStorage.h"

#include <memory>

namespace {

// The value types whose comparison is the equality of their stored bytes: whole numbers and
// currency compare the bytes' value, strings their bytes. A type with a comparison of its own
// (floating values, dates, variants, objects, wide strings, any descendant) is left to the walk.
bool IsByteEqualType(TcxValueTypeClass AType) {
  return AType == TcxSmallintValueType::StaticClass() || AType == TcxIntegerValueType::StaticClass() ||
         AType == TcxWordValueType::StaticClass() || AType == TcxLargeIntValueType::StaticClass() ||
         AType == TcxCurrencyValueType::StaticClass();
}

}  // namespace

// Null, an absent string cell and a value each get a text of their own kind, as the
// comparison keeps them apart: Null only equals Null, an absent cell only an absent cell.
bool TcxDataStorage::KeyText(Integer ARecordIndex, TcxValueDef* AValueDef, String& AText) const {
  TcxValueTypeClass type = AValueDef->ValueTypeClass();
  const bool text = type == TcxStringValueType::StaticClass();
  if (!text && !IsByteEqualType(type)) return false;
  if (Resolve(ARecordIndex, AValueDef)->ValueTypeClass() != type) return false;
  const void* data = nullptr;
  if (GetDataBuffer(ARecordIndex, AValueDef, data)) {
    AText.assign(1, '\0');
  } else if (text) {
    const auto* cell = static_cast<const String*>(data);
    AText = cell ? '\2' + *cell : String(1, '\1');
  } else {
    AText = '\3' + String(static_cast<const char*>(data), size_t(type->GetDataSize()));
  }
  return true;
}

void TcxDataStorage::CountEqualWalk(TcxValueDef* AValueDef, Integer ACompared) {
  if (!FKeyIndexes) FKeyIndexes = std::make_shared<TcxDataStorageKeyIndexes>();
  FKeyIndexes->Entries[AValueDef].Compared += ACompared;
}

bool TcxDataStorage::FindEqualRecord(TcxValueDef* AValueDef, Integer AKeyRecord, Integer& ARecordIndex) {
  const Integer count = RecordCount();
  if (!FKeyIndexes || count == 0 || !AValueDef || AValueDef->Owner() != FValueDefs) return false;
  String key;
  if (!KeyText(AKeyRecord, AValueDef, key)) return false;
  auto found = FKeyIndexes->Entries.find(AValueDef);
  if (found == FKeyIndexes->Entries.end()) return false;
  TcxDataStorageKeyIndexes::TEntry& entry = found->second;
  if (entry.Built && entry.RecordCount != count) {
    // The records changed in a way that did not say so: start again.
    KeysChanged();
    return false;
  }
  if (!entry.Built) {
    // Built once the walks have compared as many records as building reads: a storage
    // searched rarely between changes never pays more than twice its walks.
    if (entry.Compared < count) return false;
    TcxDataKeyIndex index;
    String text;
    for (Integer r = 0; r < count; ++r) {
      if (!KeyText(r, AValueDef, text)) return false;
      index.Add(r, text);
    }
    entry.Index = std::move(index);
    entry.RecordCount = count;
    entry.Built = true;
  }
  ARecordIndex = entry.Index.First(key);
  return true;
}
