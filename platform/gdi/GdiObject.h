// The table of GDI objects. A handle encodes (generation, slot); freeing an object bumps the
// slot's generation, so a stale handle is refused (lookup gives nullptr, DeleteObject FALSE)
// instead of reaching another object. Objects are shared: a device context keeps what it has
// selected alive after DeleteObject, so deleting a selected pen or brush is harmless.
#pragma once

#include "platform/gdi/Region.h"
#include "platform/gdi/Surface.h"
#include "platform/kernel/Types.h"

#include <cstdint>
#include <memory>
#include <vector>

// Object kinds, with the platform's values (GetObjectType, GetCurrentObject).
inline constexpr DWORD OBJ_PEN = 1;
inline constexpr DWORD OBJ_BRUSH = 2;
inline constexpr DWORD OBJ_DC = 3;
inline constexpr DWORD OBJ_PAL = 5;
inline constexpr DWORD OBJ_FONT = 6;
inline constexpr DWORD OBJ_BITMAP = 7;
inline constexpr DWORD OBJ_REGION = 8;
inline constexpr DWORD OBJ_MEMDC = 10;

class GdiObject {
 public:
  explicit GdiObject(DWORD kind) : kind_(kind) {}
  virtual ~GdiObject() = default;
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;

  DWORD Kind() const { return kind_; }
  // GetObjectA: with a null buffer answers the structure size; otherwise copies at most
  // `size` bytes of the structure and answers the bytes copied (0 when `size` is too small
  // for the kind's rules).
  virtual int GetObjectData(int size, void* buffer) const = 0;

 private:
  DWORD kind_;
};

// Handle table. Values are >= 0x100000; a stale handle never names a later object.
HGDIOBJ GdiAlloc(std::shared_ptr<GdiObject> obj);
std::shared_ptr<GdiObject> GdiLookupShared(HGDIOBJ h);
GdiObject* GdiLookup(HGDIOBJ h);
bool GdiFree(HGDIOBJ h);             // false for stale, unknown or stock handles
bool GdiIsStock(HGDIOBJ h);
HGDIOBJ GdiAllocStock(std::shared_ptr<GdiObject> obj);   // undeletable, not counted as live
size_t GdiLiveObjectCount();          // non-stock objects; tests check for leaks

template <class T>
T* GdiLookupAs(HGDIOBJ h, DWORD kind) {
  GdiObject* o = GdiLookup(h);
  return o && o->Kind() == kind ? static_cast<T*>(o) : nullptr;
}

// ---- Concrete kinds used by the drawing code --------------------------------------------

struct LOGPEN;
struct LOGBRUSH;

class PenObject : public GdiObject {
 public:
  PenObject(UINT style, Integer width, COLORREF color)
      : GdiObject(OBJ_PEN), Style(style), Width(width), Color(color) {}
  int GetObjectData(int size, void* buffer) const override;
  UINT Style;        // PS_* (the style bits only)
  Integer Width;     // 0 and 1 both draw one pixel wide
  COLORREF Color;
};

class BrushObject : public GdiObject {
 public:
  BrushObject() : GdiObject(OBJ_BRUSH) {}
  int GetObjectData(int size, void* buffer) const override;
  UINT Style = 0;          // BS_SOLID, BS_NULL, BS_HATCHED, BS_PATTERN
  COLORREF Color = 0;      // solid and hatched colour
  ULONG_PTR Hatch = 0;     // HS_* for hatched brushes; the source HBITMAP for patterns
  // Pattern brushes: an 8x8 (or the bitmap's size) copy of the pattern; monochrome patterns
  // take the text (0 bits) and background (1 bits) colours of the DC they paint on.
  std::shared_ptr<Surface> Pattern;
  bool MonoPattern = false;
  Integer SysColorIndex = -1;   // GetSysColorBrush: follows the system colour table
};

class BitmapObject : public GdiObject {
 public:
  BitmapObject() : GdiObject(OBJ_BITMAP) {}
  int GetObjectData(int size, void* buffer) const override;
  std::shared_ptr<Surface> Pixels;   // always 32-bit; monochrome bitmaps hold only 0 / 0xFFFFFF
  WORD BitsPixel = 32;               // 1 or 32
  bool Dib = false;                  // a DIB section: Bits points at caller-visible memory
  void* Bits = nullptr;
  bool BottomUp = false;
  HDC SelectedInto = nullptr;        // a bitmap lives in at most one DC at a time
  std::unique_ptr<uint32_t[]> DibMemory;
};

class RegionObject : public GdiObject {
 public:
  RegionObject() : GdiObject(OBJ_REGION) {}
  explicit RegionObject(Region r) : GdiObject(OBJ_REGION), Rgn(std::move(r)) {}
  int GetObjectData(int, void*) const override { return 0; }
  Region Rgn;
};

// A logical palette: its entries as RGB colours with their flags.
class PaletteObject : public GdiObject {
 public:
  PaletteObject() : GdiObject(OBJ_PAL) {}
  int GetObjectData(int size, void* buffer) const override;   // the entry count, a WORD
  struct Entry {
    Byte Red, Green, Blue, Flags;
  };
  std::vector<Entry> Entries;
  // The colour a PALETTEINDEX names; an index past the end takes the first entry.
  COLORREF ColorAt(WORD index) const;
};

// The stock DEFAULT_PALETTE's object (built once by the stock table).
std::shared_ptr<GdiObject> MakeDefaultPalette();

// A colour as pens and brushes keep it: the RGB bytes, or a palette index with its flag.
inline COLORREF StoredColor(COLORREF c) { return (c >> 24) == 1 ? c & 0x0100FFFFu : c & 0x00FFFFFFu; }

// Typed lookups; nullptr when the handle is stale or of another kind.
inline PenObject* PenFromHandle(HGDIOBJ h) { return GdiLookupAs<PenObject>(h, OBJ_PEN); }
inline BrushObject* BrushFromHandle(HGDIOBJ h) { return GdiLookupAs<BrushObject>(h, OBJ_BRUSH); }
inline BitmapObject* BitmapFromHandle(HGDIOBJ h) { return GdiLookupAs<BitmapObject>(h, OBJ_BITMAP); }
inline RegionObject* RegionFromHandle(HGDIOBJ h) { return GdiLookupAs<RegionObject>(h, OBJ_REGION); }
inline PaletteObject* PaletteFromHandle(HGDIOBJ h) { return GdiLookupAs<PaletteObject>(h, OBJ_PAL); }

// Stock objects (GetStockObject indices).
inline constexpr int WHITE_BRUSH = 0;
inline constexpr int LTGRAY_BRUSH = 1;
inline constexpr int GRAY_BRUSH = 2;
inline constexpr int DKGRAY_BRUSH = 3;
inline constexpr int BLACK_BRUSH = 4;
inline constexpr int NULL_BRUSH = 5;
inline constexpr int HOLLOW_BRUSH = NULL_BRUSH;
inline constexpr int WHITE_PEN = 6;
inline constexpr int BLACK_PEN = 7;
inline constexpr int NULL_PEN = 8;
inline constexpr int OEM_FIXED_FONT = 10;
inline constexpr int ANSI_FIXED_FONT = 11;
inline constexpr int ANSI_VAR_FONT = 12;
inline constexpr int SYSTEM_FONT = 13;
inline constexpr int DEVICE_DEFAULT_FONT = 14;
inline constexpr int DEFAULT_PALETTE = 15;
inline constexpr int SYSTEM_FIXED_FONT = 16;
inline constexpr int DEFAULT_GUI_FONT = 17;
inline constexpr int STOCK_LAST = 17;

// Pens, brushes and the default 1x1 monochrome bitmap are built here. Fonts come from the
// font module, which registers them once (the registered object becomes undeletable); until
// then GetStockObject answers nullptr for a font index.
HGDIOBJ GetStockObject(int index);
void RegisterStockObject(int index, std::shared_ptr<GdiObject> obj);
HBITMAP DefaultBitmap();   // the 1x1 monochrome bitmap a new memory DC starts with
