// fuzz-links: widgets_data
// The controller's record stream over any bytes. The first byte picks the layout: bit 0
// set, the rest is a whole stream; clear, the rest follows a header written for the
// controller's fields (so the records are what varies); bit 1 keeps display texts on
// some fields. A refused stream must leave the controller's records as they were and
// unlocked; a loaded one shows its values as text, sorts on the field bits 2..6 pick, saves,
// loads into a second controller and saves to the same bytes.
#include "classlib/core/Variants.h"
#include "platform/kernel/Units.h"
#include "widgets/data/DataUnits.h"
#include "widgets/data/cxData.h"

#include <algorithm>
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
constexpr Integer kTypeCount = Integer(sizeof kTypes / sizeof kTypes[0]);

struct Item : TObject {};

struct Started {
  Started() {
    PlatformKernelInitialize();
    WidgetsDataInitialize();
  }
};

struct Fixture {
  explicit Fixture(bool ATexts) {
    c.reset(New<TcxDataController>(nullptr));
    for (Integer i = 0; i < kTypeCount; ++i) {
      c->AddItem(&items[i]);
      c->ChangeValueTypeClass(i, kTypes[i]);
      if (ATexts && i % 3 == 0) c->ChangeTextStored(i, true);
    }
  }
  String Saved() {
    TStringStream s;
    c->SaveToStream(s);
    return s.DataString();
  }
  Item items[kTypeCount];
  Owned<TcxDataController> c;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Started started;
  if (size == 0) return 0;
  const bool whole = (data[0] & 1) != 0, texts = (data[0] & 2) != 0;
  Fixture f(texts);
  f.c->SetRecordCount(2);
  f.c->SetValue(0, 0, "before");
  const String before = f.Saved();
  String bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  if (!whole) {
    // The header of an empty controller of these fields, then the fuzzed records part.
    Fixture header(texts);
    String h = header.Saved();
    bytes = h.substr(0, h.size() - 4) + bytes;
  }
  TStringStream in(bytes);
  try {
    f.c->LoadFromStream(in);
  } catch (const EReadError&) {
    if (f.c->LockCount() != 0 || f.Saved() != before) std::abort();
    return 0;
  } catch (const EcxInvalidDataControllerOperation&) {
    if (f.c->LockCount() != 0 || f.Saved() != before) std::abort();
    return 0;
  }
  if (f.c->LockCount() != 0 || f.c->GetRowCount() != f.c->GetRecordCount()) std::abort();
  // Every value read shows as text, and sorts (NaNs, infinities and odd dates among them).
  const Integer shown = std::min<Integer>(f.c->GetRecordCount(), 16);
  for (Integer r = 0; r < shown; ++r)
    for (Integer i = 0; i < kTypeCount; ++i) {
      try {
        f.c->GetDisplayText(r, f.c->GetItemField(i));
      } catch (const EVariantError&) {
        // A variant field holding an array: the platform's conversion to text refuses it.
      }
    }
  const Integer sortBy = Integer(data[0] >> 2) % kTypeCount;
  f.c->ChangeSortingOrder(sortBy, (data[0] & 0x80) ? TcxDataSortOrder::soDescending : TcxDataSortOrder::soAscending);
  if (f.c->GetRowCount() != f.c->GetRecordCount()) std::abort();
  f.c->ChangeSortingOrder(sortBy, TcxDataSortOrder::soNone);
  const String once = f.Saved();
  Fixture g(texts);
  TStringStream again(once);
  g.c->LoadFromStream(again);
  if (g.Saved() != once) std::abort();
  return 0;
}
