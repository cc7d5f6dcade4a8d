// Bitmaps, DIB sections, DIB access and pattern brushes.
#include "platform/gdi/Raster.h"

#include <cstring>
#include <new>

namespace {

bool sizeOk(Integer w, Integer h) {
  return w > 0 && h > 0 && uint64_t(w) * uint64_t(h) <= kMaxSurfacePixels;
}

HBITMAP newBitmap(Integer w, Integer h, bool mono) {
  if (!sizeOk(w, h)) return nullptr;
  auto b = std::make_shared<BitmapObject>();
  b->Pixels = std::make_shared<Surface>(w, h, 0);
  if (b->Pixels->IsEmpty()) return nullptr;
  b->BitsPixel = mono ? 1 : 32;
  return static_cast<HBITMAP>(GdiAlloc(b));
}

size_t dibStride(Integer w, int bpp) { return (size_t(w) * size_t(bpp) + 31) / 32 * 4; }

}  // namespace

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bpp, const void* bits) {
  if (planes != 1 || (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)) return nullptr;
  if (width == 0 || height == 0) return DefaultBitmap();
  if (width < 0 || height < 0) return nullptr;
  // Initial bits are understood in the 1, 24 and 32-bit layouts; others are refused rather
  // than silently dropped.
  if (bits && bpp != 1 && bpp != 24 && bpp != 32) return nullptr;
  const bool mono = bpp == 1;
  HBITMAP h = newBitmap(width, height, mono);
  BitmapObject* b = BitmapFromHandle(h);
  if (!b || !bits) return h;
  // Device bitmap rows are WORD aligned.
  const auto* src = static_cast<const Byte*>(bits);
  Surface& s = *b->Pixels;
  if (mono) {
    const size_t stride = (size_t(width) + 15) / 16 * 2;
    for (Integer y = 0; y < height; ++y)
      for (Integer x = 0; x < width; ++x)
        s.Row(y)[x] = (src[size_t(y) * stride + size_t(x) / 8] >> (7 - x % 8) & 1) ? kPixelMask : 0;
  } else if (bpp == 32) {
    for (Integer y = 0; y < height; ++y)
      for (Integer x = 0; x < width; ++x) {
        const Byte* p = src + (size_t(y) * size_t(width) + size_t(x)) * 4;
        s.Row(y)[x] = Pixel(p[2]) << 16 | Pixel(p[1]) << 8 | p[0];
      }
  } else if (bpp == 24) {
    const size_t stride = (size_t(width) * 3 + 1) / 2 * 2;
    for (Integer y = 0; y < height; ++y)
      for (Integer x = 0; x < width; ++x) {
        const Byte* p = src + size_t(y) * stride + size_t(x) * 3;
        s.Row(y)[x] = Pixel(p[2]) << 16 | Pixel(p[1]) << 8 | p[0];
      }
  }
  return h;
}

HBITMAP CreateBitmapIndirect(const BITMAP* bm) {
  if (!bm) return nullptr;
  return CreateBitmap(bm->bmWidth, bm->bmHeight, bm->bmPlanes, bm->bmBitsPixel, bm->bmBits);
}

HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height) {
  DeviceContext* d = DcFromHandle(dc);
  if (!d || width < 0 || height < 0) return nullptr;
  if (width == 0 || height == 0) return DefaultBitmap();
  return newBitmap(width, height, d->TargetIsMono());
}

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* info, UINT usage, void** bits, void* section, DWORD) {
  if (bits) *bits = nullptr;
  if (!info || section || usage != DIB_RGB_COLORS) return nullptr;
  const BITMAPINFOHEADER& h = info->bmiHeader;
  if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biPlanes != 1 || h.biBitCount != 32) return nullptr;
  if (h.biCompression != BI_RGB && h.biCompression != BI_BITFIELDS) return nullptr;
  if (h.biCompression == BI_BITFIELDS) {
    // Only the native layout is supported.
    const auto* masks = reinterpret_cast<const DWORD*>(info->bmiColors);
    if (masks[0] != 0xFF0000 || masks[1] != 0xFF00 || masks[2] != 0xFF) return nullptr;
  }
  const Integer w = h.biWidth;
  const Integer height = h.biHeight < 0 ? -Int64(h.biHeight) > INT32_MAX ? 0 : -h.biHeight : h.biHeight;
  if (!sizeOk(w, height)) return nullptr;
  auto b = std::make_shared<BitmapObject>();
  b->DibMemory.reset(new (std::nothrow) uint32_t[size_t(w) * size_t(height)]());
  if (!b->DibMemory) return nullptr;
  b->Dib = true;
  b->Bits = b->DibMemory.get();
  b->BottomUp = h.biHeight > 0;
  Pixel* mem = b->DibMemory.get();
  Pixel* top = b->BottomUp ? mem + size_t(height - 1) * size_t(w) : mem;
  b->Pixels = std::make_shared<Surface>(Surface::Wrap(top, w, height, b->BottomUp ? -w : w));
  HBITMAP hb = static_cast<HBITMAP>(GdiAlloc(b));
  if (hb && bits) *bits = b->Bits;
  return hb;
}

namespace {

struct DibLayout {
  Integer width = 0, height = 0;   // height > 0
  bool bottomUp = true;
  int bpp = 0;
  size_t stride = 0;
};

bool layoutOf(const BITMAPINFOHEADER& h, DibLayout& out) {
  if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == INT32_MIN)
    return false;
  if (h.biBitCount != 1 && h.biBitCount != 24 && h.biBitCount != 32) return false;
  if (h.biCompression != BI_RGB) return false;
  out.width = h.biWidth;
  out.height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
  out.bottomUp = h.biHeight > 0;
  out.bpp = h.biBitCount;
  out.stride = dibStride(out.width, out.bpp);
  return sizeOk(out.width, out.height);
}

}  // namespace

int GetDIBits(HDC dc, HBITMAP bitmap, UINT start, UINT lines, void* bits, BITMAPINFO* info, UINT usage) {
  BitmapObject* b = BitmapFromHandle(bitmap);
  if (!DcFromHandle(dc) || !b || !info || usage != DIB_RGB_COLORS) return 0;
  const Surface& s = *b->Pixels;
  BITMAPINFOHEADER& h = info->bmiHeader;
  if (h.biSize < sizeof(BITMAPINFOHEADER)) return 0;
  if (!bits && h.biBitCount == 0) {
    // Describe the bitmap.
    h.biWidth = s.Width();
    h.biHeight = s.Height();
    h.biPlanes = 1;
    h.biBitCount = b->BitsPixel;
    h.biCompression = BI_RGB;
    h.biSizeImage = DWORD(dibStride(s.Width(), b->BitsPixel) * size_t(s.Height()));
    h.biClrUsed = 0;
    h.biClrImportant = 0;
    return 1;
  }
  DibLayout L;
  if (!layoutOf(h, L)) return 0;
  if (L.bpp == 1) {
    info->bmiColors[0] = {0, 0, 0, 0};
    reinterpret_cast<RGBQUAD*>(info->bmiColors)[1] = {255, 255, 255, 0};
  }
  h.biSizeImage = DWORD(L.stride * size_t(L.height));
  if (!bits) return 1;
  if (start >= UINT(L.height)) return 0;
  const UINT count = std::min<UINT>(lines, UINT(L.height) - start);
  auto* out = static_cast<Byte*>(bits);
  for (UINT i = 0; i < count; ++i) {
    const Integer dibRow = Integer(start + i);                     // row index in the DIB's memory
    const Integer imgRow = L.bottomUp ? L.height - 1 - dibRow : dibRow;   // row in the image
    Byte* o = out + size_t(i) * L.stride;
    std::memset(o, 0, L.stride);
    if (imgRow >= s.Height()) continue;
    const Pixel* p = s.Row(imgRow);
    for (Integer x = 0; x < L.width && x < s.Width(); ++x) {
      const Pixel v = p[x] & kPixelMask;
      if (L.bpp == 32) {
        o[x * 4] = Byte(v);
        o[x * 4 + 1] = Byte(v >> 8);
        o[x * 4 + 2] = Byte(v >> 16);
      } else if (L.bpp == 24) {
        o[x * 3] = Byte(v);
        o[x * 3 + 1] = Byte(v >> 8);
        o[x * 3 + 2] = Byte(v >> 16);
      } else if (MonoFromColor(ColorFromPixel(v))) {
        o[x / 8] |= Byte(0x80 >> (x % 8));
      }
    }
  }
  return int(count);
}

int SetDIBits(HDC dc, HBITMAP bitmap, UINT start, UINT lines, const void* bits, const BITMAPINFO* info,
              UINT usage) {
  BitmapObject* b = BitmapFromHandle(bitmap);
  if (!DcFromHandle(dc) || !b || !info || !bits || usage != DIB_RGB_COLORS) return 0;
  DibLayout L;
  if (!layoutOf(info->bmiHeader, L)) return 0;
  if (start >= UINT(L.height)) return 0;
  Surface& s = *b->Pixels;
  const bool mono = b->BitsPixel == 1;
  const UINT count = std::min<UINT>(lines, UINT(L.height) - start);
  const auto* in = static_cast<const Byte*>(bits);
  Pixel table[2] = {0, kPixelMask};
  if (L.bpp == 1) {
    const RGBQUAD* c = info->bmiColors;
    for (int i = 0; i < 2; ++i) table[i] = Pixel(c[i].rgbRed) << 16 | Pixel(c[i].rgbGreen) << 8 | c[i].rgbBlue;
  }
  for (UINT i = 0; i < count; ++i) {
    const Integer dibRow = Integer(start + i);
    const Integer imgRow = L.bottomUp ? L.height - 1 - dibRow : dibRow;
    if (imgRow >= s.Height()) continue;
    const Byte* r = in + size_t(i) * L.stride;
    Pixel* p = s.Row(imgRow);
    for (Integer x = 0; x < L.width && x < s.Width(); ++x) {
      Pixel v;
      if (L.bpp == 32) v = Pixel(r[x * 4 + 2]) << 16 | Pixel(r[x * 4 + 1]) << 8 | r[x * 4];
      else if (L.bpp == 24) v = Pixel(r[x * 3 + 2]) << 16 | Pixel(r[x * 3 + 1]) << 8 | r[x * 3];
      else v = table[(r[x / 8] >> (7 - x % 8)) & 1];
      p[x] = mono ? MonoFromColor(ColorFromPixel(v)) : v;
    }
  }
  return int(count);
}

// ---- Brushes ------------------------------------------------------------------------------------

HBRUSH CreateHatchBrush(int hatch, COLORREF color) {
  // The platform's later hatch numbers (up to 11) give a plain brush of the colour.
  if (hatch > HS_DIAGCROSS && hatch < 12) return CreateSolidBrush(color);
  if (hatch < HS_HORIZONTAL || hatch > HS_DIAGCROSS) return nullptr;
  auto b = std::make_shared<BrushObject>();
  b->Style = BS_HATCHED;
  b->Color = StoredColor(color);
  b->Hatch = ULONG_PTR(hatch);
  return static_cast<HBRUSH>(GdiAlloc(b));
}

HBRUSH CreatePatternBrush(HBITMAP bitmap) {
  BitmapObject* src = BitmapFromHandle(bitmap);
  if (!src || !src->Pixels || src->Pixels->IsEmpty()) return nullptr;
  auto b = std::make_shared<BrushObject>();
  b->Style = BS_PATTERN;
  b->Hatch = reinterpret_cast<ULONG_PTR>(bitmap);
  b->Pattern = std::make_shared<Surface>(src->Pixels->Clone());   // the bitmap may go away
  b->MonoPattern = src->BitsPixel == 1;
  return static_cast<HBRUSH>(GdiAlloc(b));
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* lb) {
  if (!lb) return nullptr;
  switch (lb->lbStyle) {
    case BS_SOLID: return CreateSolidBrush(lb->lbColor);
    case BS_NULL: return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    case BS_HATCHED: return CreateHatchBrush(int(lb->lbHatch), lb->lbColor);
    case BS_PATTERN: return CreatePatternBrush(reinterpret_cast<HBITMAP>(lb->lbHatch));
    default: return nullptr;
  }
}
