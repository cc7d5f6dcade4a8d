// Finding a record by its key through the storage's key index. A lookup list shows a key's
// text for every row it paints; comparing the key with each record costs a pass over the
// records for each row.
#include "widgets/data/cxDataKeyIndex.h"

#include "widgets/data/cxDataStorage.h"

#include "platform/kernel/CodePage.h"

#include <algorithm>
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

String UpperText(String AText) {
  for (Char& ch : AText) ch = Char(CpUpper(Byte(ch)));
  return AText;
}

}  // namespace

// ---- TcxDataTextIndex ------------------------------------------------------------------------

void TcxDataTextIndex::Sort() { std::sort(FTexts.begin(), FTexts.end()); }

void TcxDataTextIndex::Find(const String& AUpperPrefix, std::vector<Integer>& ARecords) const {
  ARecords.clear();
  // The texts that begin with the prefix follow one another in byte order.
  auto it = std::lower_bound(FTexts.begin(), FTexts.end(), std::pair<String, Integer>(AUpperPrefix, -1));
  for (; it != FTexts.end() && it->first.compare(0, AUpperPrefix.size(), AUpperPrefix) == 0; ++it)
    ARecords.push_back(it->second);
  std::sort(ARecords.begin(), ARecords.end());
}

// ---- The storage's indexes -------------------------------------------------------------------

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
  FKeyIndexes->Entries[AValueDef].Walked += ACompared;
}

template <class TEntry, class F>
TEntry* TcxDataStorage::UsableIndex(std::map<const TcxValueDef*, TEntry>& AEntries, TcxValueDef* AValueDef, F&& ABuild) {
  const Integer count = RecordCount();
  const auto found = AEntries.find(AValueDef);
  if (found == AEntries.end()) return nullptr;
  TEntry& entry = found->second;
  if (entry.Built && entry.RecordCount != count) {
    // The records changed in a way that did not say so: start again.
    KeysChanged();
    return nullptr;
  }
  return entry.Usable(count, ABuild) ? &entry : nullptr;
}

bool TcxDataStorage::FindEqualRecord(TcxValueDef* AValueDef, Integer AKeyRecord, Integer& ARecordIndex) {
  const Integer count = RecordCount();
  if (!FKeyIndexes || count == 0 || !AValueDef || AValueDef->Owner() != FValueDefs) return false;
  String key;
  if (!KeyText(AKeyRecord, AValueDef, key)) return false;
  auto* entry = UsableIndex(FKeyIndexes->Entries, AValueDef, [&](TcxDataKeyIndex& AIndex) {
    TcxDataKeyIndex index;
    String text;
    for (Integer r = 0; r < count; ++r) {
      if (!KeyText(r, AValueDef, text)) return false;
      index.Add(r, text);
    }
    AIndex = std::move(index);
    return true;
  });
  if (!entry) return false;
  ARecordIndex = entry->Index.First(key);
  return true;
}

void TcxDataStorage::CountTextWalk(TcxValueDef* AValueDef, Integer AWalked) {
  if (!FKeyIndexes) FKeyIndexes = std::make_shared<TcxDataStorageKeyIndexes>();
  FKeyIndexes->TextEntries[AValueDef].Walked += AWalked;
}

bool TcxDataStorage::FindTextPrefix(TcxValueDef* AValueDef, const String& APrefix, std::vector<Integer>& ARecords) {
  const Integer count = RecordCount();
  if (!FKeyIndexes || count == 0 || !AValueDef || AValueDef->Owner() != FValueDefs) return false;
  // A stored text, or a string whose text is itself: the same whatever the format settings.
  if (!AValueDef->HasTextSlot() && AValueDef->ValueTypeClass() != TcxStringValueType::StaticClass()) return false;
  auto* entry = UsableIndex(FKeyIndexes->TextEntries, AValueDef, [&](TcxDataTextIndex& AIndex) {
    TcxDataTextIndex index;
    for (Integer r = 0; r < count; ++r) index.Add(r, UpperText(GetDisplayText(r, AValueDef)));
    index.Sort();
    AIndex = std::move(index);
    return true;
  });
  if (!entry) return false;
  entry->Index.Find(UpperText(APrefix), ARecords);
  return true;
}
