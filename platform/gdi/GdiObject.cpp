#include "platform/gdi/GdiObject.h"

#include "platform/gdi/Font.h"
#include "platform/gdi/Gdi.h"
#include "platform/kernel/HandleSlots.h"

#include <array>
#include <cstring>

namespace {

struct Slot {
  std::shared_ptr<GdiObject> obj;
  bool stock = false;
};

struct Table {
  HandleSlots<Slot> slots;
  size_t live = 0;   // non-stock objects
};

Table& table() {
  static Table t;
  return t;
}

Slot* slotOf(HGDIOBJ h) { return table().slots.Find(reinterpret_cast<uintptr_t>(h)); }

}  // namespace

HGDIOBJ GdiAlloc(std::shared_ptr<GdiObject> obj) {
  if (!obj) return nullptr;
  Table& t = table();
  const uintptr_t h = t.slots.Add(Slot{std::move(obj), false});
  if (!h) return nullptr;   // table full: creation fails
  ++t.live;
  return reinterpret_cast<HGDIOBJ>(h);
}

std::shared_ptr<GdiObject> GdiLookupShared(HGDIOBJ h) {
  Slot* s = slotOf(h);
  return s ? s->obj : nullptr;
}

GdiObject* GdiLookup(HGDIOBJ h) {
  Slot* s = slotOf(h);
  return s ? s->obj.get() : nullptr;
}

bool GdiFree(HGDIOBJ h) {
  Slot* s = slotOf(h);
  if (!s || s->stock) return false;
  Table& t = table();
  t.slots.Remove(reinterpret_cast<uintptr_t>(h));
  --t.live;
  return true;
}

bool GdiIsStock(HGDIOBJ h) {
  Slot* s = slotOf(h);
  return s && s->stock;
}

size_t GdiLiveObjectCount() { return table().live; }

// ---- GetObjectA data -------------------------------------------------------------------------

namespace {
int copyOut(const void* data, int full, int size, void* buffer) {
  if (!buffer) return full;
  if (size <= 0) return 0;
  const int n = size < full ? size : full;
  std::memcpy(buffer, data, size_t(n));
  return n;
}
}  // namespace

int PenObject::GetObjectData(int size, void* buffer) const {
  LOGPEN lp{Style, {Width, 0}, Color};
  if (buffer && size < int(sizeof lp)) return 0;   // a pen is told whole or not at all
  return copyOut(&lp, int(sizeof lp), size, buffer);
}

int BrushObject::GetObjectData(int size, void* buffer) const {
  LOGBRUSH lb{Style, SysColorIndex >= 0 ? GetSysColor(SysColorIndex) : Color, Hatch};
  return copyOut(&lb, int(sizeof lb), size, buffer);
}

int BitmapObject::GetObjectData(int size, void* buffer) const {
  BITMAP bm{};
  bm.bmWidth = Pixels ? Pixels->Width() : 0;
  bm.bmHeight = Pixels ? Pixels->Height() : 0;
  bm.bmPlanes = 1;
  bm.bmBitsPixel = BitsPixel;
  // Scan lines are WORD aligned for device bitmaps, DWORD aligned for DIB sections.
  const int align = Dib ? 32 : 16;
  bm.bmWidthBytes = ((bm.bmWidth * BitsPixel + align - 1) / align) * (align / 8);
  bm.bmBits = Dib ? Bits : nullptr;
  if (Dib && (!buffer || size >= int(sizeof(DIBSECTION)))) {
    DIBSECTION ds{};
    ds.dsBm = bm;
    ds.dsBmih.biSize = sizeof(BITMAPINFOHEADER);
    ds.dsBmih.biWidth = bm.bmWidth;
    ds.dsBmih.biHeight = BottomUp ? bm.bmHeight : -bm.bmHeight;
    ds.dsBmih.biPlanes = 1;
    ds.dsBmih.biBitCount = BitsPixel;
    ds.dsBmih.biCompression = BI_RGB;
    ds.dsBmih.biSizeImage = DWORD(bm.bmWidthBytes) * DWORD(bm.bmHeight);
    if (!buffer) return int(sizeof(BITMAP));
    return copyOut(&ds, int(sizeof ds), size, buffer);
  }
  if (buffer && size < int(sizeof(BITMAP))) return 0;
  return copyOut(&bm, int(sizeof bm), size, buffer);
}

// ---- Stock objects ----------------------------------------------------------------------------

namespace {
std::array<HGDIOBJ, STOCK_LAST + 1>& stock() {
  static std::array<HGDIOBJ, STOCK_LAST + 1> s{};
  return s;
}

}  // namespace

HGDIOBJ GdiAllocStock(std::shared_ptr<GdiObject> obj) {
  HGDIOBJ h = GdiAlloc(std::move(obj));
  if (Slot* s = slotOf(h)) {
    s->stock = true;
    --table().live;
  }
  return h;
}

namespace {
HGDIOBJ allocStock(std::shared_ptr<GdiObject> obj) { return GdiAllocStock(std::move(obj)); }

std::shared_ptr<GdiObject> solidBrush(COLORREF c) {
  auto b = std::make_shared<BrushObject>();
  b->Style = BS_SOLID;
  b->Color = c;
  return b;
}

void buildStock() {
  auto& s = stock();
  if (s[WHITE_BRUSH]) return;
  s[WHITE_BRUSH] = allocStock(solidBrush(RGB(255, 255, 255)));
  s[LTGRAY_BRUSH] = allocStock(solidBrush(RGB(192, 192, 192)));
  s[GRAY_BRUSH] = allocStock(solidBrush(RGB(128, 128, 128)));
  s[DKGRAY_BRUSH] = allocStock(solidBrush(RGB(64, 64, 64)));
  s[BLACK_BRUSH] = allocStock(solidBrush(RGB(0, 0, 0)));
  auto nb = std::make_shared<BrushObject>();
  nb->Style = BS_NULL;
  s[NULL_BRUSH] = allocStock(nb);
  s[WHITE_PEN] = allocStock(std::make_shared<PenObject>(PS_SOLID, 1, RGB(255, 255, 255)));
  s[BLACK_PEN] = allocStock(std::make_shared<PenObject>(PS_SOLID, 1, RGB(0, 0, 0)));
  s[NULL_PEN] = allocStock(std::make_shared<PenObject>(PS_NULL, 1, RGB(0, 0, 0)));
  s[DEFAULT_PALETTE] = allocStock(MakeDefaultPalette());
  RegisterStockFonts();
}
}  // namespace

HGDIOBJ GetStockObject(int index) {
  if (index < 0 || index > STOCK_LAST) return nullptr;
  buildStock();
  return stock()[size_t(index)];
}

void RegisterStockObject(int index, std::shared_ptr<GdiObject> obj) {
  if (index < 0 || index > STOCK_LAST || !obj) return;
  buildStock();
  if (stock()[size_t(index)]) return;   // first registration wins; stock objects never change
  stock()[size_t(index)] = allocStock(std::move(obj));
}

HBITMAP DefaultBitmap() {
  static HBITMAP bmp = [] {
    auto b = std::make_shared<BitmapObject>();
    b->Pixels = std::make_shared<Surface>(1, 1, 0);
    b->BitsPixel = 1;
    return static_cast<HBITMAP>(allocStock(b));
  }();
  return bmp;
}
