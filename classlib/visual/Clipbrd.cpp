#include "classlib/visual/Clipbrd.h"

#include "classlib/core/ScopeGuards.h"
#include "classlib/visual/PictureGraphics.h"
#include "platform/kernel/Units.h"

#include <cstring>

TClipboard* Clipboard = nullptr;
UINT CF_PICTURE = 0;

namespace {

// Holds the clipboard open for a scope, so every way out, a throw included, closes it again.
auto OpenScope(TClipboard& C) {
  return PairedCall([&C] { C.Open(); }, [&C] { C.Close(); });
}

}  // namespace

TClipboard::TClipboard() { FHandle = AllocateHWnd(TWndMethod(this, &TClipboard::WndProc)); }

void TClipboard::BeforeDestruction() {
  if (FOpenRefCount > 0) {
    FOpenRefCount = 0;
    CloseClipboard();
  }
  DeallocateHWnd(FHandle);
  FHandle = nullptr;
  inherited::BeforeDestruction();
}

void TClipboard::WndProc(TMessage& Message) {
  Message.Result = DefWindowProcA(FHandle, Message.Msg, Message.WParam, Message.LParam);
}

void TClipboard::Open() {
  if (FOpenRefCount == 0 && !OpenClipboard(FHandle)) throw Exception("Cannot open clipboard");
  ++FOpenRefCount;
}

void TClipboard::Close() {
  if (FOpenRefCount == 0) return;
  if (--FOpenRefCount == 0) CloseClipboard();
}

void TClipboard::Clear() {
  auto scope = OpenScope(*this);
  EmptyClipboard();
}

bool TClipboard::HasFormat(UINT Format) const { return IsClipboardFormatAvailable(Format) != FALSE; }

String TClipboard::GetAsText() {
  auto scope = OpenScope(*this);
  HGLOBAL data = GetClipboardData(CF_TEXT);
  if (!data) return {};
  size_t size = GetClipboardDataSize(CF_TEXT);
  auto* p = static_cast<const char*>(static_cast<const void*>(data));
  const void* zero = std::memchr(p, 0, size);
  return String(p, zero ? static_cast<const char*>(zero) - p : size);
}

void TClipboard::SetAsText(const String& Value) {
  auto scope = OpenScope(*this);
  EmptyClipboard();
  SetClipboardData(CF_TEXT, Value.c_str(), Value.size() + 1);
}

void TClipboard::Assign(TPersistent* Source) {
  TGraphic* g = nullptr;
  if (auto* p = dynamic_cast<TPicture*>(Source)) g = p->GetGraphic();
  else if (!(g = dynamic_cast<TGraphic*>(Source))) return inherited::Assign(Source);
  auto scope = OpenScope(*this);
  EmptyClipboard();
  if (!g || g->Empty()) return;
  if (auto* b = dynamic_cast<TBitmap*>(g)) {
    SetClipboardBitmap(b->GetHandle());
    return;
  }
  Owned<TMemoryStream> s(New<TMemoryStream>());
  g->SaveToStream(*s);
  if (auto* m = dynamic_cast<TMetafile*>(g)) {
    (void)m;
    SetClipboardData(CF_METAFILEPICT, s->Memory(), size_t(s->GetSize()));
    return;
  }
  std::vector<Byte> data;
  const String& name = g->ClassName();
  data.push_back(Byte(std::min<size_t>(name.size(), 255)));
  data.insert(data.end(), name.begin(), name.begin() + data[0]);
  const Byte* bytes = static_cast<const Byte*>(s->Memory());
  data.insert(data.end(), bytes, bytes + s->GetSize());
  SetClipboardData(CF_PICTURE, data.data(), data.size());
  // A rendering for readers that take bitmaps only; a graphic that cannot give one is
  // still there as a picture.
  Owned<TBitmap> b(New<TBitmap>());
  try {
    b->Assign(g);
  } catch (const Exception&) {
    return;
  }
  if (!b->Empty()) SetClipboardBitmap(b->GetHandle());
}

namespace {

Owned<TGraphic> GraphicOfPictureData(const Byte* p, size_t size) {
  if (size < 1 || size_t(p[0]) + 1 > size) throw EInvalidGraphic("Clipboard picture is cut short");
  const String name(reinterpret_cast<const char*>(p + 1), p[0]);
  TGraphicClass cls = GraphicClassByName(name);
  if (!cls) throw EInvalidGraphic("Clipboard picture is of an unknown class '" + name + "'");
  Owned<TGraphic> g(cls.Create());
  Owned<TMemoryStream> s(New<TMemoryStream>());
  if (size > size_t(p[0]) + 1) s->WriteBuffer(p + 1 + p[0], Integer(size - 1 - p[0]));
  s->SetPosition(0);
  g->LoadFromStream(*s);
  return g;
}

}  // namespace

void TClipboard::AssignTo(TPersistent* Dest) {
  auto* picture = dynamic_cast<TPicture*>(Dest);
  auto* bitmap = dynamic_cast<TBitmap*>(Dest);
  if (!picture && !bitmap) return inherited::AssignTo(Dest);
  auto scope = OpenScope(*this);
  if (picture && HasFormat(CF_PICTURE)) {
    const auto* p = static_cast<const Byte*>(static_cast<const void*>(GetClipboardData(CF_PICTURE)));
    Owned<TGraphic> g = GraphicOfPictureData(p, GetClipboardDataSize(CF_PICTURE));
    picture->SetGraphic(g.get());
    return;
  }
  if (HasFormat(CF_BITMAP)) {
    Owned<TBitmap> b(New<TBitmap>());
    b->SetHandle(GetClipboardBitmap());
    if (picture) picture->SetGraphic(b.get());
    else bitmap->Assign(b.get());
    return;
  }
  if (picture && HasFormat(CF_METAFILEPICT)) {
    Owned<TMetafile> m(New<TMetafile>());
    Owned<TMemoryStream> s(New<TMemoryStream>());
    const size_t size = GetClipboardDataSize(CF_METAFILEPICT);
    if (size) s->WriteBuffer(static_cast<const void*>(GetClipboardData(CF_METAFILEPICT)), Integer(size));
    s->SetPosition(0);
    m->LoadFromStream(*s);
    picture->SetGraphic(m.get());
    return;
  }
  throw EInvalidGraphic("The clipboard holds no picture");
}

TL_DEFINE_CLASS(TClipboard)

namespace {
UnitCounter gClipbrd;
}

void ClipbrdUnit::Initialize() {
  if (!gClipbrd.Enter()) return;
  CF_PICTURE = RegisterClipboardFormatA("Picture");
  Clipboard = New<TClipboard>();
}

void ClipbrdUnit::Finalize() {
  if (gClipbrd.Leave()) FreeAndNil(Clipboard);
}
