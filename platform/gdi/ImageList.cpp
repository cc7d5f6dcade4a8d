#include "platform/gdi/ImageList.h"

#include "platform/gdi/Raster.h"
#include "platform/kernel/HandleSlots.h"

#include <memory>

namespace {

struct ImageList {
  Integer cx = 0, cy = 0;
  bool masked = false;
  Integer count = 0;
  Surface images;   // count images side by side
  Surface masks;    // 0xFFFFFF = transparent
  COLORREF bk = CLR_NONE;
};

HandleSlots<std::unique_ptr<ImageList>>& slots() {
  static HandleSlots<std::unique_ptr<ImageList>> s;
  return s;
}
size_t g_live = 0;

ImageList* lookup(HIMAGELIST h) {
  auto* p = slots().Find(reinterpret_cast<uintptr_t>(h));
  return p ? p->get() : nullptr;
}

// Grows the strips to hold n images, keeping what is there.
bool reserve(ImageList& il, Integer n) {
  if (n <= il.images.Width() / std::max<Integer>(il.cx, 1)) return true;
  const Int64 w = Int64(il.cx) * std::max<Int64>(n, Int64(il.count) * 2);
  if (w > Int64(kMaxSurfacePixels) / il.cy) return false;
  // A list without masks never reads its mask strip: it gets none.
  Surface img(Integer(w), il.cy), msk(il.masked ? Integer(w) : 0, il.masked ? il.cy : 0, kPixelMask);
  if (img.IsEmpty() || (il.masked && msk.IsEmpty())) return false;
  if (!il.images.IsEmpty()) {
    img.CopyFrom(il.images, il.images.Bounds(), 0, 0);
    if (il.masked) msk.CopyFrom(il.masks, il.masks.Bounds(), 0, 0);
  }
  il.images = std::move(img);
  il.masks = std::move(msk);
  return true;
}

// Copies image `k` of (src, srcMask) into slot `index`. srcMask: null = opaque; otherwise
// pixels equal to `transparent` in srcMask are transparent.
void store(ImageList& il, Integer index, const Surface& src, Integer k, const Surface* srcMask,
           const Pixel* keyColor) {
  for (Integer y = 0; y < il.cy; ++y)
    for (Integer x = 0; x < il.cx; ++x) {
      const Integer sx = k * il.cx + x;
      Pixel p = src.At(sx, y);
      bool transparent = false;
      if (keyColor) transparent = p == *keyColor;
      else if (srcMask) transparent = srcMask->At(sx, y) != 0;
      if (transparent && il.masked) p = 0;
      il.images.Set(index * il.cx + x, y, p);
      if (il.masked) il.masks.Set(index * il.cx + x, y, transparent ? kPixelMask : 0);
    }
}

int addImages(HIMAGELIST h, HBITMAP image, HBITMAP mask, const COLORREF* maskColor) {
  ImageList* il = lookup(h);
  BitmapObject* b = BitmapFromHandle(image);
  if (!il || !b) return -1;
  BitmapObject* m = mask ? BitmapFromHandle(mask) : nullptr;
  if (mask && !m) return -1;
  const Surface& src = *b->Pixels;
  const Integer n = src.Width() / il->cx;
  if (n <= 0 || src.Height() < il->cy) return -1;
  if (!reserve(*il, il->count + n)) return -1;
  Pixel key = 0;
  if (maskColor) key = *maskColor == CLR_DEFAULT ? src.At(0, src.Height() - 1) : PixelFromColor(*maskColor);
  const Integer first = il->count;
  for (Integer k = 0; k < n; ++k) store(*il, first + k, src, k, m ? m->Pixels.get() : nullptr, maskColor ? &key : nullptr);
  il->count += n;
  return first;
}

Pixel blend(Pixel a, Pixel b, unsigned weightB /* of 256 */) {
  const unsigned wa = 256 - weightB;
  auto ch = [&](int s) { return ((a >> s & 255) * wa + (b >> s & 255) * weightB + 128) >> 8; };
  return Pixel(ch(16)) << 16 | Pixel(ch(8)) << 8 | Pixel(ch(0));
}

}  // namespace

size_t LiveImageListCount() { return g_live; }

HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int initial, int) {
  if (cx <= 0 || cy <= 0 || cx > 4096 || cy > 4096 || initial < 0) return nullptr;
  auto il = std::make_unique<ImageList>();
  il->cx = cx;
  il->cy = cy;
  il->masked = flags & ILC_MASK;
  if (initial > 0 && !reserve(*il, std::min(initial, 1024))) return nullptr;
  const uintptr_t h = slots().Add(std::move(il));
  if (!h) return nullptr;
  ++g_live;
  return reinterpret_cast<HIMAGELIST>(h);
}

BOOL ImageList_Destroy(HIMAGELIST h) {
  if (!slots().Remove(reinterpret_cast<uintptr_t>(h))) return FALSE;
  --g_live;
  return TRUE;
}

int ImageList_GetImageCount(HIMAGELIST h) {
  ImageList* il = lookup(h);
  return il ? il->count : 0;
}

BOOL ImageList_GetIconSize(HIMAGELIST h, int* cx, int* cy) {
  ImageList* il = lookup(h);
  if (!il || !cx || !cy) return FALSE;
  *cx = il->cx;
  *cy = il->cy;
  return TRUE;
}

COLORREF ImageList_SetBkColor(HIMAGELIST h, COLORREF c) {
  ImageList* il = lookup(h);
  if (!il) return CLR_NONE;
  const COLORREF old = il->bk;
  il->bk = c == CLR_NONE ? CLR_NONE : (c & 0xFFFFFF);
  return old;
}

COLORREF ImageList_GetBkColor(HIMAGELIST h) {
  ImageList* il = lookup(h);
  return il ? il->bk : CLR_NONE;
}

int ImageList_Add(HIMAGELIST h, HBITMAP image, HBITMAP mask) { return addImages(h, image, mask, nullptr); }

int ImageList_AddMasked(HIMAGELIST h, HBITMAP image, COLORREF maskColor) {
  return addImages(h, image, nullptr, &maskColor);
}

BOOL ImageList_Replace(HIMAGELIST h, int index, HBITMAP image, HBITMAP mask) {
  ImageList* il = lookup(h);
  BitmapObject* b = BitmapFromHandle(image);
  if (!il || !b || index < 0 || index >= il->count) return FALSE;
  BitmapObject* m = mask ? BitmapFromHandle(mask) : nullptr;
  if (mask && !m) return FALSE;
  store(*il, index, *b->Pixels, 0, m ? m->Pixels.get() : nullptr, nullptr);
  return TRUE;
}

BOOL ImageList_Remove(HIMAGELIST h, int index) {
  ImageList* il = lookup(h);
  if (!il || index < -1 || index >= il->count) return FALSE;
  if (index == -1) {
    il->count = 0;
    return TRUE;
  }
  const Integer x = index * il->cx, rest = (il->count - index - 1) * il->cx;
  il->images.CopyFrom(il->images, {x + il->cx, 0, x + il->cx + rest, il->cy}, x, 0);
  if (il->masked) il->masks.CopyFrom(il->masks, {x + il->cx, 0, x + il->cx + rest, il->cy}, x, 0);
  --il->count;
  return TRUE;
}

BOOL ImageList_DrawEx(HIMAGELIST h, int index, HDC dc, int x, int y, int dx, int dy, COLORREF bk,
                      COLORREF fg, UINT style) {
  ImageList* il = lookup(h);
  DeviceContext* d = DcFromHandle(dc);
  if (!il || !d || index < 0 || index >= il->count) return FALSE;
  Surface* dst = d->Target();
  if (!dst) return FALSE;
  const Integer w = dx > 0 ? std::min<Integer>(dx, il->cx) : il->cx;
  const Integer hgt = dy > 0 ? std::min<Integer>(dy, il->cy) : il->cy;
  const TPoint at = d->ToDevice(x, y);
  const TPoint o = d->DeviceOrigin;
  const COLORREF back = bk == CLR_DEFAULT ? il->bk : bk;
  const bool transparent = il->masked && ((style & ILD_TRANSPARENT) || back == CLR_NONE);
  const bool mono = d->TargetIsMono();
  const Pixel backPx = back == CLR_NONE ? 0 : d->TargetPixel(back);
  unsigned weight = 0;
  if (style & ILD_BLEND50) weight = 128;
  else if (style & ILD_BLEND25) weight = 64;
  const Pixel fgPx = PixelFromColor(fg == CLR_DEFAULT || fg == CLR_NONE ? GetSysColor(COLOR_HIGHLIGHT) : fg);
  if (fg == CLR_NONE) weight = 0;
  const Integer sx0 = index * il->cx;
  ForEachClipRect(d->EffectiveClip(), {at.X, at.Y, at.X + w, at.Y + hgt}, [&](const TRect& c) {
    for (Integer py = c.Top; py < c.Bottom; ++py) {
      Pixel* row = dst->Row(py + o.Y) + o.X;
      const Integer iy = py - at.Y;
      for (Integer px = c.Left; px < c.Right; ++px) {
        const Integer ix = sx0 + px - at.X;
        const bool clear = il->masked && il->masks.At(ix, iy) != 0;
        Pixel p;
        if (style & ILD_MASK) {
          p = clear ? kPixelMask : 0;
        } else if (clear) {
          if (transparent) continue;
          p = backPx;
        } else {
          p = il->images.At(ix, iy);
          if (weight) p = blend(p, fgPx, weight);
        }
        row[px] = mono ? MonoFromColor(ColorFromPixel(p)) : p;
      }
    }
  });
  return TRUE;
}

BOOL ImageList_Draw(HIMAGELIST h, int index, HDC dc, int x, int y, UINT style) {
  return ImageList_DrawEx(h, index, dc, x, y, 0, 0, CLR_DEFAULT, CLR_DEFAULT, style);
}

BOOL ImageList_DrawDisabled(HIMAGELIST h, int index, HDC dc, int x, int y) {
  ImageList* il = lookup(h);
  DeviceContext* d = DcFromHandle(dc);
  if (!il || !d || index < 0 || index >= il->count) return FALSE;
  // The shape: opaque pixels that are not white.
  Region shape;
  std::vector<TRect> rects;
  const Integer sx0 = index * il->cx;
  for (Integer iy = 0; iy < il->cy; ++iy)
    for (Integer ix = 0; ix < il->cx; ++ix) {
      const bool clear = il->masked && il->masks.At(sx0 + ix, iy) != 0;
      if (!clear && il->images.At(sx0 + ix, iy) != kPixelMask) rects.push_back({ix, iy, ix + 1, iy + 1});
    }
  shape = Region::FromRects(rects);
  const TPoint at = d->ToDevice(x, y);
  for (int pass = 0; pass < 2; ++pass) {
    Region r = shape;
    r.Offset(at.X + (pass == 0 ? 1 : 0), at.Y + (pass == 0 ? 1 : 0));
    const Pixel p = TargetSysColor(*d, pass == 0 ? COLOR_BTNHIGHLIGHT : COLOR_BTNSHADOW);
    for (const TRect& rc : r.Rects()) d->FillDeviceRect(rc, p);
  }
  return TRUE;
}
