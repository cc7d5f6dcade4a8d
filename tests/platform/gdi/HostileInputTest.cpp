// Extreme and nonsensical arguments: every call must fail cleanly or draw what is visible,
// never crash, hang or allocate for the invisible part (the sanitizer build checks memory).
#include "platform/gdi/ImageList.h"

#include "GdiTestCanvas.h"

#include <climits>
#include <random>

using HostileInputTest = GdiCanvasTest;

TEST_F(HostileInputTest, HugeStretchComputesOnlyTheVisiblePart) {
  HDC src = CreateCompatibleDC(dc);
  HBITMAP sb = CreateBitmap(2, 1, 1, 32, nullptr);
  HGDIOBJ o = SelectObject(src, sb);
  SetPixel(src, 0, 0, RGB(255, 0, 0));
  SetPixel(src, 1, 0, RGB(0, 0, 255));
  for (int mode : {COLORONCOLOR, HALFTONE}) {
    SCOPED_TRACE(mode);
    SetStretchBltMode(dc, mode);
    Surf().Fill(0);
    EXPECT_TRUE(StretchBlt(dc, 0, 0, 1 << 26, 1 << 26, src, 0, 0, 2, 1, SRCCOPY));
    ExpectPx({{0, 0, RGB(255, 0, 0)}, {31, 31, RGB(255, 0, 0)}});
    // Seen from the far end, the second source pixel.
    Surf().Fill(0);
    EXPECT_TRUE(StretchBlt(dc, -(1 << 26) + 16, 0, 1 << 26, 8, src, 0, 0, 2, 1, SRCCOPY));
    ExpectPx({{0, 0, RGB(0, 0, 255)}, {16, 0, kBlack}});
  }
  SelectObject(src, o);
  DeleteObject(sb);
  DeleteDC(src);
}

TEST_F(HostileInputTest, RandomCallsWithExtremeArgumentsStaySafe) {
  std::mt19937 rng(1234);
  const int extremes[] = {INT_MIN, INT_MIN + 1, -(1 << 30), -100000, -33, -1, 0, 1, 7, 31, 32, 33,
                          100000, 1 << 30, INT_MAX - 1, INT_MAX};
  auto v = [&]() -> int {
    return (rng() % 3) ? int(rng() % 80) - 24 : extremes[rng() % (sizeof extremes / sizeof extremes[0])];
  };
  HDC other = CreateCompatibleDC(dc);
  HBITMAP ob = CreateBitmap(17, 9, 1, 1, nullptr);
  HGDIOBJ oo = SelectObject(other, ob);
  HPEN pens[] = {CreatePen(PS_SOLID, 1, RGB(1, 2, 3)), CreatePen(PS_DASHDOT, 1, 0), CreatePen(PS_SOLID, 9, 0),
                 CreatePen(PS_INSIDEFRAME, 100000, 0)};
  HBRUSH brushes[] = {CreateSolidBrush(0x123456), CreateHatchBrush(HS_DIAGCROSS, 0), CreatePatternBrush(ob)};
  for (int step = 0; step < 3000; ++step) {
    const int a = v(), b = v(), c = v(), d = v(), e = v(), f = v();
    switch (rng() % 24) {
      case 0: MoveToEx(dc, a, b, nullptr); LineTo(dc, c, d); break;
      case 1: Rectangle(dc, a, b, c, d); break;
      case 2: Ellipse(dc, a, b, c, d); break;
      case 3: RoundRect(dc, a, b, c, d, e, f); break;
      case 4: Pie(dc, a, b, c, d, e, f, v(), v()); break;
      case 5: BitBlt(dc, a, b, c, d, other, e, f, DWORD(rng() % 256) << 16); break;
      case 6: StretchBlt(dc, a, b, c, d, other, e, f, v(), v(), SRCCOPY); break;
      case 7: StretchBlt(other, a, b, c, d, dc, e, f, v(), v(), SRCINVERT); break;
      case 8: PatBlt(dc, a, b, c, d, PATINVERT); break;
      case 9: { RECT r{a, b, c, d}; FillRect(dc, &r, brushes[rng() % 3]); break; }
      case 10: { RECT r{a, b, c, d}; DrawEdge(dc, &r, UINT(rng() % 16), UINT(rng() % 0x10000)); break; }
      case 11: { RECT r{a, b, c, d}; DrawFocusRect(dc, &r); InvertRect(dc, &r); FrameRect(dc, &r, brushes[0]); break; }
      case 12: IntersectClipRect(dc, a, b, c, d); break;
      case 13: ExcludeClipRect(dc, a, b, c, d); break;
      case 14: SelectClipRgn(dc, nullptr); break;
      case 15: SetViewportOrgEx(dc, a, b, nullptr); SetWindowOrgEx(dc, c, d, nullptr); break;
      case 16: SelectObject(dc, pens[rng() % 4]); SelectObject(dc, brushes[rng() % 3]); break;
      case 17: SetROP2(dc, int(rng() % 18)); SetBkMode(dc, int(rng() % 3)); break;
      case 18: { POINT p[5] = {{a, b}, {c, d}, {e, f}, {v(), v()}, {v(), v()}}; Polygon(dc, p, 5); Polyline(dc, p, 5); break; }
      case 19: { HRGN r = CreateEllipticRgn(a, b, c, d); FrameRgn(dc, r, brushes[1], e & 7, f & 7); InvertRgn(dc, r);
                 OffsetRgn(r, v(), v()); SelectClipRgn(dc, r); DeleteObject(r); break; }
      case 20: { RECT r{a, b, c, d}; DrawFrameControl(dc, &r, UINT(rng() % 6), UINT(rng() % 0x10000)); break; }
      case 21: SetPixel(dc, a, b, 0); GetPixel(dc, c, d); break;
      case 22: BeginPath(dc); Rectangle(dc, a, b, c, d); LineTo(dc, e, f); EndPath(dc);
               if (rng() % 2) { HRGN r = PathToRegion(dc); DeleteObject(r); } else { StrokeAndFillPath(dc); } break;
      default: SaveDC(dc); RestoreDC(dc, int(rng() % 5) - 2); break;
    }
  }
  SelectClipRgn(dc, nullptr);
  SelectObject(dc, GetStockObject(BLACK_PEN));
  SelectObject(dc, GetStockObject(WHITE_BRUSH));
  for (HPEN p : pens) DeleteObject(p);
  for (HBRUSH b : brushes) DeleteObject(b);
  SelectObject(other, oo);
  DeleteDC(other);
  DeleteObject(ob);
  while (RestoreDC(dc, -1)) {
  }
}

TEST_F(HostileInputTest, HugeFrameSizesFillTheWholeRegion) {
  HRGN r = CreateRectRgn(2, 2, 12, 8);
  HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  for (const auto& [w, h] : {std::pair(INT_MAX, 1), std::pair(1, INT_MAX), std::pair(INT_MAX / 2 + 1, INT_MAX)}) {
    Clear();
    EXPECT_TRUE(FrameRgn(dc, r, black, w, h));
    EXPECT_EQ(Count(kBlack), 60);   // no inside survives such a frame
  }
  DeleteObject(r);
}

TEST_F(HostileInputTest, ABrushOriginAtTheIntegerLimitsTilesAsItsRemainder) {
  HBRUSH hatch = CreateHatchBrush(HS_DIAGCROSS, RGB(0, 0, 0));
  RECT r{0, 0, 32, 32};
  FillRect(dc, &r, hatch);
  const std::vector<POINT> atZero = Inked();
  for (const POINT& org : {POINT{INT_MIN, INT_MIN}, POINT{INT_MAX - 7, INT_MIN + 8}}) {   // both are 0 mod 8
    Clear();
    SetBrushOrgEx(dc, org.X, org.Y, nullptr);
    FillRect(dc, &r, hatch);
    EXPECT_EQ(Inked(), atZero);
  }
  SetBrushOrgEx(dc, 0, 0, nullptr);
  DeleteObject(hatch);
}
