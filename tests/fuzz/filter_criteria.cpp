// fuzz-links: widgets_data
// Criteria read from any bytes either read or raise the stream read error, never leave
// the criteria locked, and a tree that was read writes out and reads back to the same bytes.
// Bytes that start as a component stream are a saved filter of a data controller instead:
// loaded, it filters the controller's records and saves and loads again to the same bytes.
// "Today" of the date conditions comes from a fixed virtual clock, so a run replays on any day.
#include "platform/kernel/Units.h"
#include "widgets/data/DataUnits.h"
#include "widgets/data/cxData.h"
#include "widgets/data/cxDataControllerFilter.h"
#include "widgets/data/cxFilter.h"
#include "tests/fuzz/support/FixedClock.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

// Items are identified by small numbers; other identifiers stay unlinked.
struct Link : TObject {
  explicit Link(Integer AId) : Id(AId) {}
  Integer Id;
};

class FuzzCriteria : public TcxFilterCriteria {
 public:
  FuzzCriteria() {
    for (Integer i = 0; i < 4; ++i) Links[i] = New<Link>(i);
  }
  ~FuzzCriteria() override {
    for (Link* l : Links) l->Free();
  }
  Integer GetIDByItemLink(TObject* AItemLink) override { return AItemLink ? static_cast<Link*>(AItemLink)->Id : -1; }
  TObject* GetItemLinkByID(Integer AID) override { return AID >= 0 && AID < 4 ? Links[AID] : nullptr; }
  Link* Links[4];
};

String Written(TcxFilterCriteria* c) {
  TStringStream s;
  c->WriteData(s);
  return s.DataString();
}

struct Started {
  Started() {
    PlatformKernelInitialize();
    WidgetsDataInitialize();
  }
  FixedClock clock;
};

struct Item : TObject {};

// A controller of a text, a whole number, a float and a date field over a few records,
// blanks and nulls among them.
struct Controller {
  Controller() {
    const TcxValueTypeClass types[] = {TcxStringValueType::StaticClass(), TcxIntegerValueType::StaticClass(),
                                       TcxFloatValueType::StaticClass(), TcxDateTimeValueType::StaticClass()};
    c.reset(New<TcxDataController>(nullptr));
    for (Integer i = 0; i < 4; ++i) {
      c->AddItem(&items[i]);
      c->ChangeValueTypeClass(i, types[i]);
    }
    const char* texts[] = {"a", "ab%", "", "B_x", "zz"};
    c->SetRecordCount(6);
    for (Integer r = 0; r < 5; ++r) {
      c->SetValue(r, 0, texts[r]);
      c->SetValue(r, 1, r * 7 - 10);
      c->SetValue(r, 2, r * 0.5 - 1.0);
      c->SetValue(r, 3, TDateTime(45000.0 + r).Value);
    }
  }
  String Saved() {
    TStringStream s;
    c->Filter()->SaveToStream(s);
    return s.DataString();
  }
  Item items[4];
  Owned<TcxDataController> c;
};

void LoadSavedFilter(const uint8_t* data, size_t size) {
  Controller f;
  TStringStream in(String(reinterpret_cast<const char*>(data), size));
  try {
    f.c->Filter()->LoadFromStream(in);
  } catch (const EReadError&) {
    Check(f.c->Filter()->LockCount() == 0 && f.c->LockCount() == 0);
    return;
  } catch (const EClassNotFound&) {
    Check(f.c->Filter()->LockCount() == 0 && f.c->LockCount() == 0);
    return;
  }
  Check(f.c->Filter()->LockCount() == 0 && f.c->LockCount() == 0);
  // Whatever it holds, the loaded filter filters the records when active.
  f.c->Filter()->SetActive(true);
  Check(f.c->GetRowCount() >= 0 && f.c->GetRowCount() <= f.c->GetRecordCount());
  const String once = f.Saved();
  Controller g;
  TStringStream again(once);
  g.c->Filter()->LoadFromStream(again);
  Check(g.Saved() == once);
  Check(g.c->GetRowCount() == f.c->GetRowCount());
  String text;
  try {
    f.c->Filter()->GetFilterText(false, text);
  } catch (const EcxInvalidDataControllerOperation&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Started started;
  if (size >= 4 && std::memcmp(data, "TPF0", 4) == 0) {
    LoadSavedFilter(data, size);
    return 0;
  }
  Owned<FuzzCriteria> c(New<FuzzCriteria>());
  TStringStream in(String(reinterpret_cast<const char*>(data), size));
  try {
    c->ReadData(in);
  } catch (const EReadError&) {
    if (c->LockCount() != 0) std::abort();
    return 0;
  }
  if (c->LockCount() != 0) std::abort();
  String once = Written(c.get());
  Owned<FuzzCriteria> d(New<FuzzCriteria>());
  TStringStream again(once);
  d->ReadData(again);
  if (Written(d.get()) != once) std::abort();
  String text;
  try {
    c->GetFilterText(false, text);
    c->GetFilterText(true, text);
  } catch (const EcxInvalidDataControllerOperation&) {
    // An array longer than the item's name list: refused, as intended.
  }
  return 0;
}
