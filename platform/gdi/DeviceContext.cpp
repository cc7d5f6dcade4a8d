// Device contexts: the handle table, attributes, origins, SaveDC/RestoreDC and the clip cache.
#include "platform/gdi/DeviceContext.h"

#include "platform/gdi/Raster.h"
#include "platform/kernel/HandleSlots.h"

#include <memory>

namespace {

struct DcTable {
  HandleSlots<std::unique_ptr<DeviceContext>> slots;
  size_t live = 0;
};

DcTable& dcTable() {
  static DcTable t;
  return t;
}

HDC allocDC(std::unique_ptr<DeviceContext> dc) {
  DcTable& t = dcTable();
  const uintptr_t h = t.slots.Add(std::move(dc));
  if (!h) return nullptr;
  ++t.live;
  return reinterpret_cast<HDC>(h);
}

SelectedObject selected(HGDIOBJ h) { return {h, GdiLookupShared(h)}; }

void initDefaults(DeviceContext& dc) {
  dc.State.Pen = selected(GetStockObject(BLACK_PEN));
  dc.State.Brush = selected(GetStockObject(WHITE_BRUSH));
  if (HGDIOBJ f = GetStockObject(SYSTEM_FONT)) dc.State.Font = selected(f);
}

void releaseBitmap(const SelectedObject& s, HDC owner) {
  if (auto* b = dynamic_cast<BitmapObject*>(s.Object.get()); b && b->SelectedInto == owner)
    b->SelectedInto = nullptr;
}

}  // namespace

DeviceContext* DcFromHandle(HDC dc) {
  auto* s = dcTable().slots.Find(reinterpret_cast<uintptr_t>(dc));
  return s ? s->get() : nullptr;
}

size_t LiveDCCount() { return dcTable().live; }

Surface* DeviceContext::Target() {
  if (!IsMemory) return External;
  auto* b = static_cast<BitmapObject*>(State.Bitmap.Object.get());
  return b ? b->Pixels.get() : nullptr;
}

bool DeviceContext::TargetIsMono() {
  if (!IsMemory) return false;
  auto* b = static_cast<BitmapObject*>(State.Bitmap.Object.get());
  return b && b->BitsPixel == 1;
}

TRect DeviceContext::DeviceBounds() {
  Surface* s = Target();
  if (!s || s->IsEmpty()) return {};
  return {-DeviceOrigin.X, -DeviceOrigin.Y, s->Width() - DeviceOrigin.X, s->Height() - DeviceOrigin.Y};
}

const Region& DeviceContext::EffectiveClip() {
  Surface* s = Target();
  const TRect bounds = DeviceBounds();
  if (clipValid_ && clipTarget_ == s && clipBounds_ == bounds) return clip_;
  Region r(bounds);
  if (SystemClip) r = Region::Combine(r, *SystemClip, RegionOp::And);
  if (State.AppClip) r = Region::Combine(r, *State.AppClip, RegionOp::And);
  clip_ = std::move(r);
  clipValid_ = true;
  clipTarget_ = s;
  clipBounds_ = bounds;
  return clip_;
}

Pixel MonoFromColor(COLORREF c) {
  // The nearer of black and white.
  return GetRValue(c) + GetGValue(c) + GetBValue(c) > 382 ? 0xFFFFFF : 0;
}

COLORREF DeviceContext::ResolvedColor(COLORREF c) const {
  if ((c >> 24) != 1) return c & 0xFFFFFF;
  const GdiObject* pal = State.Palette.Object.get();
  if (!pal) pal = GdiLookup(GetStockObject(DEFAULT_PALETTE));
  return pal ? static_cast<const PaletteObject*>(pal)->ColorAt(WORD(c)) : 0;
}

Pixel DeviceContext::TargetPixel(COLORREF c) {
  c = ResolvedColor(c);
  return TargetIsMono() ? MonoFromColor(c) : PixelFromColor(c);
}

void DeviceContext::FillDeviceRect(const TRect& r, Pixel p) {
  Surface* s = Target();
  if (!s) return;
  const TPoint o = DeviceOrigin;
  ForEachClipRect(EffectiveClip(), r, [&](const TRect& c) {
    s->Fill({c.Left + o.X, c.Top + o.Y, c.Right + o.X, c.Bottom + o.Y}, p);
  });
}

void DeviceContext::BlendMask(Integer x, Integer y, Integer w, Integer h, const Byte* mask,
                              Integer maskStride, COLORREF c) {
  Surface* s = Target();
  if (!s || !mask || w <= 0 || h <= 0) return;
  const bool mono = TargetIsMono();
  const Pixel src = TargetPixel(c);
  const unsigned sr = src >> 16 & 255, sg = src >> 8 & 255, sb = src & 255;
  const TPoint o = DeviceOrigin;
  ForEachClipRect(EffectiveClip(), {x, y, x + w, y + h}, [&](const TRect& cr) {
    for (Integer yy = cr.Top; yy < cr.Bottom; ++yy) {
      const Byte* m = mask + std::ptrdiff_t(yy - y) * maskStride;
      Pixel* d = s->Row(yy + o.Y) + o.X;
      for (Integer xx = cr.Left; xx < cr.Right; ++xx) {
        const unsigned a = m[xx - x];
        if (a == 0) continue;
        if (a == 255 || mono) {
          if (a >= 128) d[xx] = src;
          continue;
        }
        const Pixel dp = d[xx];
        const unsigned na = 255 - a;
        const unsigned r = (sr * a + (dp >> 16 & 255) * na + 127) / 255;
        const unsigned g = (sg * a + (dp >> 8 & 255) * na + 127) / 255;
        const unsigned b = (sb * a + (dp & 255) * na + 127) / 255;
        d[xx] = r << 16 | g << 8 | b;
      }
    }
  });
}

// ---- Creation and deletion ----------------------------------------------------------------------

HDC CreateCompatibleDC(HDC dc) {
  if (dc && !DcFromHandle(dc)) return nullptr;
  auto d = std::make_unique<DeviceContext>();
  d->IsMemory = true;
  initDefaults(*d);
  d->State.Bitmap = selected(DefaultBitmap());
  return allocDC(std::move(d));
}

HDC CreateSurfaceDC(Surface* surface, TPoint deviceOrigin, const Region* systemClip) {
  auto d = std::make_unique<DeviceContext>();
  d->External = surface;
  d->DeviceOrigin = deviceOrigin;
  if (systemClip) d->SystemClip = *systemClip;
  initDefaults(*d);
  return allocDC(std::move(d));
}

void SetDCSystemClip(HDC dc, const Region* systemClip) {
  DeviceContext* d = DcFromHandle(dc);
  if (!d) return;
  if (systemClip) d->SystemClip = *systemClip;
  else d->SystemClip.reset();
  d->ClipChanged();
}

void SetDCSurface(HDC dc, Surface* surface, TPoint deviceOrigin) {
  DeviceContext* d = DcFromHandle(dc);
  if (!d || d->IsMemory) return;
  d->External = surface;
  d->DeviceOrigin = deviceOrigin;
  d->ClipChanged();
}

BOOL DeleteDC(HDC dc) {
  DeviceContext* d = DcFromHandle(dc);
  if (!d) return FALSE;
  releaseBitmap(d->State.Bitmap, dc);
  for (const DcState& st : d->Saved) releaseBitmap(st.Bitmap, dc);
  DcTable& t = dcTable();
  t.slots.Remove(reinterpret_cast<uintptr_t>(dc));
  --t.live;
  return TRUE;
}

// ---- Selection, save and restore ----------------------------------------------------------------

int SelectClipRgn(HDC dc, HRGN rgn);

HGDIOBJ SelectObject(HDC dc, HGDIOBJ obj) {
  DeviceContext* d = DcFromHandle(dc);
  std::shared_ptr<GdiObject> o = GdiLookupShared(obj);
  if (!d || !o) return nullptr;
  SelectedObject* slot = nullptr;
  switch (o->Kind()) {
    case OBJ_PEN: slot = &d->State.Pen; break;
    case OBJ_BRUSH: slot = &d->State.Brush; break;
    case OBJ_FONT: slot = &d->State.Font; break;
    case OBJ_REGION:
      return reinterpret_cast<HGDIOBJ>(intptr_t(SelectClipRgn(dc, static_cast<HRGN>(obj))));
    case OBJ_BITMAP: {
      if (!d->IsMemory) return nullptr;
      auto* b = static_cast<BitmapObject*>(o.get());
      const bool stock = GdiIsStock(obj);
      if (!stock && b->SelectedInto && b->SelectedInto != dc) return nullptr;
      releaseBitmap(d->State.Bitmap, dc);
      if (!stock) b->SelectedInto = dc;
      slot = &d->State.Bitmap;
      d->ClipChanged();
      break;
    }
    default: return nullptr;
  }
  HGDIOBJ old = slot->Handle;
  *slot = {obj, std::move(o)};
  return old;
}

HGDIOBJ GetCurrentObject(HDC dc, UINT type) {
  DeviceContext* d = DcFromHandle(dc);
  if (!d) return nullptr;
  switch (type) {
    case OBJ_PEN: return d->State.Pen.Handle;
    case OBJ_BRUSH: return d->State.Brush.Handle;
    case OBJ_FONT: return d->State.Font.Handle;
    case OBJ_BITMAP: return d->IsMemory ? d->State.Bitmap.Handle : nullptr;
    case OBJ_PAL: return d->State.Palette.Handle ? d->State.Palette.Handle : GetStockObject(DEFAULT_PALETTE);
    default: return nullptr;
  }
}

int SaveDC(HDC dc) {
  DeviceContext* d = DcFromHandle(dc);
  if (!d) return 0;
  d->Saved.push_back(d->State);
  return int(d->Saved.size());
}

BOOL RestoreDC(HDC dc, int level) {
  DeviceContext* d = DcFromHandle(dc);
  if (!d) return FALSE;
  const int depth = int(d->Saved.size());
  const int target = level < 0 ? depth + level + 1 : level;
  if (target < 1 || target > depth) return FALSE;
  DcState st = d->Saved[size_t(target - 1)];
  d->Saved.resize(size_t(target - 1));
  if (d->IsMemory && st.Bitmap.Handle != d->State.Bitmap.Handle) {
    releaseBitmap(d->State.Bitmap, dc);
    if (auto* b = static_cast<BitmapObject*>(st.Bitmap.Object.get()); b && !GdiIsStock(st.Bitmap.Handle))
      b->SelectedInto = dc;
  }
  d->State = std::move(st);
  d->ClipChanged();
  return TRUE;
}

// ---- Attributes -----------------------------------------------------------------------------------

#define TL_DC_OR(fail)             \
  DeviceContext* d = DcFromHandle(dc); \
  if (!d) return fail

COLORREF SetTextColor(HDC dc, COLORREF c) {
  TL_DC_OR(CLR_INVALID);
  COLORREF old = d->State.TextColor;
  d->State.TextColor = c;   // kept whole; drawing reads only the colour bytes
  return old;
}
COLORREF GetTextColor(HDC dc) { TL_DC_OR(CLR_INVALID); return d->State.TextColor; }
COLORREF SetBkColor(HDC dc, COLORREF c) {
  TL_DC_OR(CLR_INVALID);
  COLORREF old = d->State.BkColor;
  d->State.BkColor = c;
  return old;
}
COLORREF GetBkColor(HDC dc) { TL_DC_OR(CLR_INVALID); return d->State.BkColor; }
int SetBkMode(HDC dc, int mode) {
  TL_DC_OR(0);
  if (mode != TRANSPARENT && mode != OPAQUE) return 0;
  int old = d->State.BkMode;
  d->State.BkMode = mode;
  return old;
}
int GetBkMode(HDC dc) { TL_DC_OR(0); return d->State.BkMode; }
int SetROP2(HDC dc, int rop2) {
  TL_DC_OR(0);
  if (rop2 < R2_BLACK || rop2 > R2_WHITE) return 0;
  int old = d->State.Rop2;
  d->State.Rop2 = rop2;
  return old;
}
int GetROP2(HDC dc) { TL_DC_OR(0); return d->State.Rop2; }
int SetStretchBltMode(HDC dc, int mode) {
  TL_DC_OR(0);
  if (mode < BLACKONWHITE || mode > HALFTONE) return 0;
  int old = d->State.StretchMode;
  d->State.StretchMode = mode;
  return old;
}
int GetStretchBltMode(HDC dc) { TL_DC_OR(0); return d->State.StretchMode; }
int SetPolyFillMode(HDC dc, int mode) {
  TL_DC_OR(0);
  if (mode != ALTERNATE && mode != WINDING) return 0;
  int old = d->State.PolyFillMode;
  d->State.PolyFillMode = mode;
  return old;
}
int GetPolyFillMode(HDC dc) { TL_DC_OR(0); return d->State.PolyFillMode; }
UINT SetTextAlign(HDC dc, UINT align) {
  TL_DC_OR(GDI_ERROR);
  UINT old = d->State.TextAlign;
  d->State.TextAlign = align;
  return old;
}
UINT GetTextAlign(HDC dc) { TL_DC_OR(GDI_ERROR); return d->State.TextAlign; }

BOOL SetBrushOrgEx(HDC dc, int x, int y, LPPOINT old) {
  TL_DC_OR(FALSE);
  if (old) *old = d->State.BrushOrg;
  d->State.BrushOrg = {x, y};
  return TRUE;
}
BOOL GetBrushOrgEx(HDC dc, LPPOINT pt) {
  TL_DC_OR(FALSE);
  if (!pt) return FALSE;
  *pt = d->State.BrushOrg;
  return TRUE;
}

COLORREF GetNearestColor(HDC dc, COLORREF c) {
  TL_DC_OR(CLR_INVALID);
  c = d->ResolvedColor(c);
  return d->TargetIsMono() ? ColorFromPixel(MonoFromColor(c)) : c;
}

int GetDeviceCaps(HDC dc, int index) {
  TL_DC_OR(0);
  Surface* s = d->Target();
  switch (index) {
    case HORZRES: return s ? s->Width() : 0;
    case VERTRES: return s ? s->Height() : 0;
    case BITSPIXEL: return d->TargetIsMono() ? 1 : 32;
    case PLANES: return 1;
    case NUMCOLORS: return -1;
    case LOGPIXELSX:
    case LOGPIXELSY: return 96;
    case RASTERCAPS: return 0x0001 | 0x0008 | 0x0800;   // bitblt, bitmap64, stretchblt
    default: return 0;
  }
}

BOOL GdiFlush() { return TRUE; }

// ---- Origins --------------------------------------------------------------------------------------

namespace {
BOOL setOrigin(HDC dc, TPoint DcState::*member, Integer x, Integer y, LPPOINT old, bool offset) {
  DeviceContext* d = DcFromHandle(dc);
  if (!d) return FALSE;
  TPoint& p = d->State.*member;
  if (old) *old = p;
  p = offset ? TPoint{DeviceContext::ClampCoord(Int64(p.X) + x), DeviceContext::ClampCoord(Int64(p.Y) + y)}
             : TPoint{DeviceContext::ClampCoord(x), DeviceContext::ClampCoord(y)};
  return TRUE;
}
BOOL getOrigin(HDC dc, TPoint DcState::*member, LPPOINT pt) {
  DeviceContext* d = DcFromHandle(dc);
  if (!d || !pt) return FALSE;
  *pt = d->State.*member;
  return TRUE;
}
}  // namespace

BOOL SetWindowOrgEx(HDC dc, int x, int y, LPPOINT old) { return setOrigin(dc, &DcState::WindowOrg, x, y, old, false); }
BOOL GetWindowOrgEx(HDC dc, LPPOINT pt) { return getOrigin(dc, &DcState::WindowOrg, pt); }
BOOL OffsetWindowOrgEx(HDC dc, int dx, int dy, LPPOINT old) { return setOrigin(dc, &DcState::WindowOrg, dx, dy, old, true); }
BOOL SetViewportOrgEx(HDC dc, int x, int y, LPPOINT old) { return setOrigin(dc, &DcState::ViewportOrg, x, y, old, false); }
BOOL GetViewportOrgEx(HDC dc, LPPOINT pt) { return getOrigin(dc, &DcState::ViewportOrg, pt); }
BOOL OffsetViewportOrgEx(HDC dc, int dx, int dy, LPPOINT old) { return setOrigin(dc, &DcState::ViewportOrg, dx, dy, old, true); }

BOOL LPtoDP(HDC dc, LPPOINT pts, int count) {
  TL_DC_OR(FALSE);
  if (count < 0 || (count > 0 && !pts)) return FALSE;
  for (int i = 0; i < count; ++i) pts[i] = d->ToDevice(pts[i].X, pts[i].Y);
  return TRUE;
}
BOOL DPtoLP(HDC dc, LPPOINT pts, int count) {
  TL_DC_OR(FALSE);
  if (count < 0 || (count > 0 && !pts)) return FALSE;
  for (int i = 0; i < count; ++i) pts[i] = d->ToLogical(pts[i].X, pts[i].Y);
  return TRUE;
}
