// Logical palettes. The device draws in direct colour, so a palette is only a table: the
// PALETTEINDEX colours and DIB_PAL_COLORS colour tables drawn on a DC are looked up in the
// palette selected there.
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Gdi.h"

#include <algorithm>

namespace {

// The palette's size is a 16-bit count, as the structures give it.
constexpr size_t kMaxPaletteEntries = 0xFFFF;

// The twenty static colours of the default palette, in the platform's order.
constexpr PaletteObject::Entry kDefaultEntries[kDefaultPaletteEntries] = {
    {0x00, 0x00, 0x00, 0}, {0x80, 0x00, 0x00, 0}, {0x00, 0x80, 0x00, 0}, {0x80, 0x80, 0x00, 0},
    {0x00, 0x00, 0x80, 0}, {0x80, 0x00, 0x80, 0}, {0x00, 0x80, 0x80, 0}, {0xC0, 0xC0, 0xC0, 0},
    {0xC0, 0xDC, 0xC0, 0}, {0xA6, 0xCA, 0xF0, 0}, {0xFF, 0xFB, 0xF0, 0}, {0xA0, 0xA0, 0xA4, 0},
    {0x80, 0x80, 0x80, 0}, {0xFF, 0x00, 0x00, 0}, {0x00, 0xFF, 0x00, 0}, {0xFF, 0xFF, 0x00, 0},
    {0x00, 0x00, 0xFF, 0}, {0xFF, 0x00, 0xFF, 0}, {0x00, 0xFF, 0xFF, 0}, {0xFF, 0xFF, 0xFF, 0},
};

}  // namespace

std::shared_ptr<GdiObject> MakeDefaultPalette() {
  auto p = std::make_shared<PaletteObject>();
  p->Entries.assign(std::begin(kDefaultEntries), std::end(kDefaultEntries));
  return p;
}

int PaletteObject::GetObjectData(int size, void* buffer) const {
  const WORD count = WORD(Entries.size());
  if (!buffer) return int(sizeof count);
  if (size < int(sizeof count)) return 0;
  *static_cast<WORD*>(buffer) = count;
  return int(sizeof count);
}

COLORREF PaletteObject::ColorAt(WORD index) const {
  if (Entries.empty()) return 0;
  const Entry& e = index < Entries.size() ? Entries[index] : Entries[0];
  return RGB(e.Red, e.Green, e.Blue);
}

HPALETTE CreatePalette(const LOGPALETTE* lp) {
  if (!lp || lp->palNumEntries == 0) return nullptr;
  auto p = std::make_shared<PaletteObject>();
  p->Entries.resize(lp->palNumEntries);
  for (size_t i = 0; i < p->Entries.size(); ++i) {
    const PALETTEENTRY& e = lp->palPalEntry[i];
    p->Entries[i] = {e.peRed, e.peGreen, e.peBlue, e.peFlags};
  }
  return static_cast<HPALETTE>(GdiAlloc(p));
}

HPALETTE SelectPalette(HDC dc, HPALETTE pal, BOOL) {
  DeviceContext* d = DcFromHandle(dc);
  std::shared_ptr<GdiObject> o = GdiLookupShared(pal);
  if (!d || !o || o->Kind() != OBJ_PAL) return nullptr;
  HGDIOBJ old = d->State.Palette.Handle ? d->State.Palette.Handle : GetStockObject(DEFAULT_PALETTE);
  d->State.Palette = {pal, std::move(o)};
  return static_cast<HPALETTE>(old);
}

UINT RealizePalette(HDC dc) {
  return DcFromHandle(dc) ? 0 : GDI_ERROR;
}

BOOL ResizePalette(HPALETTE pal, UINT entries) {
  PaletteObject* p = PaletteFromHandle(pal);
  if (!p || GdiIsStock(pal) || entries == 0 || entries > kMaxPaletteEntries) return FALSE;
  p->Entries.resize(entries, PaletteObject::Entry{0, 0, 0, 0});
  return TRUE;
}

UINT SetPaletteEntries(HPALETTE pal, UINT start, UINT count, const PALETTEENTRY* entries) {
  PaletteObject* p = PaletteFromHandle(pal);
  if (!p || !entries || GdiIsStock(pal) || start >= p->Entries.size()) return 0;
  const size_t n = std::min<size_t>(count, p->Entries.size() - start);
  for (size_t i = 0; i < n; ++i)
    p->Entries[start + i] = {entries[i].peRed, entries[i].peGreen, entries[i].peBlue, entries[i].peFlags};
  return UINT(n);
}

UINT GetPaletteEntries(HPALETTE pal, UINT start, UINT count, PALETTEENTRY* entries) {
  const PaletteObject* p = PaletteFromHandle(pal);
  if (!p) return 0;
  if (!entries) return UINT(p->Entries.size());
  if (start >= p->Entries.size()) return 0;
  const size_t n = std::min<size_t>(count, p->Entries.size() - start);
  for (size_t i = 0; i < n; ++i) {
    const PaletteObject::Entry& e = p->Entries[start + i];
    entries[i] = {e.Red, e.Green, e.Blue, e.Flags};
  }
  return UINT(n);
}
