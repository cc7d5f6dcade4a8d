// fuzz-links: widgets_data
// Criteria read from any bytes either read or raise the stream read error, never leave
// the criteria locked, and a tree that was read writes out and reads back to the same bytes.
#include "widgets/data/cxFilter.h"

#include <cstdint>
#include <cstdlib>

namespace {

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
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
