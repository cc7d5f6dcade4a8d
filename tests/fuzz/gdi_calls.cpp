// fuzz-links: platform_gdi
// Sequences of drawing calls with extreme arguments on two small memory DCs: objects made,
// selected, used after deletion (stale handles), regions combined and framed, clips, origins,
// blits and text. Every call must fail cleanly or draw what is visible; at the end nothing
// made here is left alive.
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/GdiObject.h"
#include "platform/gdi/Text.h"
#include "tests/fuzz/support/FuzzInput.h"

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

class Bytes : public FuzzBytes {
 public:
  using FuzzBytes::FuzzBytes;
  // Mostly small values around the canvas; sometimes the ends of the integer range.
  int Coord() {
    static const int kExtremes[] = {INT_MIN, INT_MIN + 1, -(1 << 27) - 1, -100000, -1, 0, 1, 63,
                                    64,      100000,      (1 << 27) + 1,  INT_MAX - 1, INT_MAX};
    const uint8_t b = U8();
    if (b < 0xF0) return int(b % 96) - 16;
    return kExtremes[(b - 0xF0) % (sizeof kExtremes / sizeof kExtremes[0])];
  }
  // Curved and polygonal regions are built over their whole extent, so they stay moderate.
  int Near() { return int(U8()) - 64; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const size_t objectsBefore = GdiLiveObjectCount(), dcsBefore = LiveDCCount();
  Bytes in(data, size);
  HDC dcs[2] = {CreateCompatibleDC(nullptr), CreateCompatibleDC(nullptr)};
  HBITMAP canvases[2] = {CreateBitmap(64, 48, 1, 32, nullptr), CreateBitmap(33, 17, 1, 1, nullptr)};
  HGDIOBJ oldBitmaps[2] = {SelectObject(dcs[0], canvases[0]), SelectObject(dcs[1], canvases[1])};
  std::vector<HGDIOBJ> made, gone;   // live objects, and deleted ones kept as stale handles
  auto pick = [&]() -> HGDIOBJ {
    const uint8_t b = in.U8();
    if (b % 4 == 3 && !gone.empty()) return gone[b / 4 % gone.size()];
    return made.empty() ? nullptr : made[b % made.size()];
  };
  auto rgn = [&]() { return static_cast<HRGN>(pick()); };
  auto keep = [&](HGDIOBJ h) {
    if (h && !GdiIsStock(h)) made.push_back(h);   // an empty bitmap is the stock one
  };
  int steps = 0;
  while (in.More() && ++steps < 400) {
    HDC dc = dcs[in.U8() & 1];
    const int a = in.Coord(), b = in.Coord(), c = in.Coord(), d = in.Coord();
    switch (in.U8() % 40) {
      case 0: keep(CreatePen(int(in.U8() % 8), in.Coord(), in.U32())); break;
      case 1: keep(CreateSolidBrush(in.U32())); break;
      case 2: keep(CreateHatchBrush(int(in.U8() % 8), in.U32())); break;
      case 3: keep(CreatePatternBrush(static_cast<HBITMAP>(pick()))); break;
      case 4: keep(CreateBitmap(a & 127, b & 63, 1, (in.U8() & 1) ? 32 : 1, nullptr)); break;
      case 5: keep(CreateRectRgn(a, b, c, d)); break;
      case 6: keep(CreateEllipticRgn(in.Near(), in.Near(), in.Near(), in.Near())); break;
      case 7: keep(CreateRoundRectRgn(in.Near(), in.Near(), in.Near(), in.Near(), in.Coord(), in.Coord())); break;
      case 8: {
        POINT pts[5] = {{in.Near(), in.Near()}, {in.Near(), in.Near()}, {in.Near(), in.Near()}, {a, b}, {c, d}};
        keep(CreatePolygonRgn(pts, 2 + in.U8() % 4, (in.U8() & 1) ? WINDING : ALTERNATE));
        break;
      }
      case 9: CombineRgn(rgn(), rgn(), rgn(), int(in.U8() % 6)); break;
      case 10: OffsetRgn(rgn(), a, b); break;
      case 11: FrameRgn(dc, rgn(), static_cast<HBRUSH>(pick()), a, b); break;
      case 12: FillRgn(dc, rgn(), static_cast<HBRUSH>(pick())); break;
      case 13: InvertRgn(dc, rgn()); break;
      case 14: SelectClipRgn(dc, rgn()); break;
      case 15: ExtSelectClipRgn(dc, (in.U8() & 1) ? rgn() : nullptr, int(in.U8() % 6)); break;
      case 16: IntersectClipRect(dc, a, b, c, d); break;
      case 17: ExcludeClipRect(dc, a, b, c, d); break;
      case 18: SelectObject(dc, pick()); break;
      case 19: {
        if (made.empty()) break;
        const size_t k = in.U8() % made.size();
        if (!DeleteObject(made[k])) break;   // a pen or brush may be selected: the DC keeps it alive
        gone.push_back(made[k]);
        made.erase(made.begin() + std::ptrdiff_t(k));
        break;
      }
      case 20: if (!gone.empty() && DeleteObject(gone[in.U8() % gone.size()])) std::abort(); break;
      case 21: MoveToEx(dc, a, b, nullptr); LineTo(dc, c, d); break;
      case 22: Rectangle(dc, a, b, c, d); break;
      case 23: Ellipse(dc, a, b, c, d); break;
      case 24: RoundRect(dc, a, b, c, d, in.Coord(), in.Coord()); break;
      case 25: Pie(dc, a, b, c, d, in.Coord(), in.Coord(), in.Coord(), in.Coord()); break;
      case 26: {
        POINT pts[4] = {{a, b}, {c, d}, {in.Coord(), in.Coord()}, {b, a}};
        Polygon(dc, pts, 1 + in.U8() % 4);
        break;
      }
      case 27: BitBlt(dc, a, b, c, d, dcs[in.U8() & 1], in.Coord(), in.Coord(), DWORD(in.U8()) << 16); break;
      case 28:
        StretchBlt(dc, a, b, c, d, dcs[in.U8() & 1], in.Coord(), in.Coord(), in.Coord(), in.Coord(),
                   (in.U8() & 1) ? SRCCOPY : SRCINVERT);
        break;
      case 29: PatBlt(dc, a, b, c, d, (in.U8() & 1) ? PATCOPY : PATINVERT); break;
      case 30: { RECT r{a, b, c, d}; FillRect(dc, &r, static_cast<HBRUSH>(pick())); break; }
      case 31: { RECT r{a, b, c, d}; const UINT edge = in.U8() % 16; DrawEdge(dc, &r, edge, in.U8() | UINT(in.U8()) << 8); break; }
      case 32: SetWindowOrgEx(dc, a, b, nullptr); break;
      case 33: OffsetViewportOrgEx(dc, a, b, nullptr); break;
      case 34: SetBrushOrgEx(dc, a, b, nullptr); break;
      case 35: SetROP2(dc, 1 + in.U8() % 16); SetBkMode(dc, 1 + (in.U8() & 1)); break;
      case 36: if (!SaveDC(dc) || !RestoreDC(dc, -1)) std::abort(); break;
      case 37: {
        char text[24];
        const int n = in.U8() % 24;
        for (int i = 0; i < n; ++i) text[i] = char(in.U8());
        RECT r{a, b, c, d};
        DrawTextA(dc, text, n, &r, in.U32() & 0x7FFFF & ~DT_MODIFYSTRING);
        TextOutA(dc, c, d, text, n);
        break;
      }
      case 38: SetPixel(dc, a, b, in.U32()); GetPixel(dc, c, d); break;
      case 39: { RECT r{a, b, c, d}; InvertRect(dc, &r); DrawFocusRect(dc, &r); break; }
    }
  }
  for (int k = 0; k < 2; ++k) {
    SelectObject(dcs[k], oldBitmaps[k]);
    SelectObject(dcs[k], GetStockObject(BLACK_PEN));
    SelectObject(dcs[k], GetStockObject(WHITE_BRUSH));
    DeleteDC(dcs[k]);
    DeleteObject(canvases[k]);
  }
  for (HGDIOBJ o : made) DeleteObject(o);
  for (HGDIOBJ o : gone)
    if (DeleteObject(o)) std::abort();   // a stale handle named a live object
  if (GdiLiveObjectCount() != objectsBefore || LiveDCCount() != dcsBefore) std::abort();
  return 0;
}
