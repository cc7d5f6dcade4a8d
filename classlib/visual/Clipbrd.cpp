#include "classlib/visual/Clipbrd.h"

#include "platform/kernel/Units.h"

#include <cstring>

TClipboard* Clipboard = nullptr;

namespace {

// Holds the clipboard open for a scope, so every way out, a throw included, closes it again.
class TOpenScope {
 public:
  explicit TOpenScope(TClipboard& C) : FClipboard(C) { FClipboard.Open(); }
  ~TOpenScope() { FClipboard.Close(); }
  TOpenScope(const TOpenScope&) = delete;
  TOpenScope& operator=(const TOpenScope&) = delete;

 private:
  TClipboard& FClipboard;
};

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
  TOpenScope scope(*this);
  EmptyClipboard();
}

bool TClipboard::HasFormat(UINT Format) const { return IsClipboardFormatAvailable(Format) != FALSE; }

String TClipboard::GetAsText() {
  TOpenScope scope(*this);
  HGLOBAL data = GetClipboardData(CF_TEXT);
  if (!data) return {};
  size_t size = GetClipboardDataSize(CF_TEXT);
  auto* p = static_cast<const char*>(static_cast<const void*>(data));
  const void* zero = std::memchr(p, 0, size);
  return String(p, zero ? static_cast<const char*>(zero) - p : size);
}

void TClipboard::SetAsText(const String& Value) {
  TOpenScope scope(*this);
  EmptyClipboard();
  SetClipboardData(CF_TEXT, Value.c_str(), Value.size() + 1);
}

TL_DEFINE_CLASS(TClipboard)

namespace {
UnitCounter gClipbrd;
}

void ClipbrdUnit::Initialize() {
  if (gClipbrd.Enter()) Clipboard = New<TClipboard>();
}

void ClipbrdUnit::Finalize() {
  if (gClipbrd.Leave()) FreeAndNil(Clipboard);
}
