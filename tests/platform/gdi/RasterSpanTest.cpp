// The wide span loops against the raster-op truth table, pixel by pixel, at every length
// around the vector width, and pattern rows at every phase.
#include "GdiTestCanvas.h"
#include "platform/gdi/Raster.h"

#include <random>

namespace {

// Bit i of the result is bit (p_i << 2 | s_i << 1 | d_i) of the op code.
Pixel TruthTable(Byte rop, Pixel p, Pixel s, Pixel d) {
  Pixel r = 0;
  for (int i = 0; i < 32; ++i) {
    const int k = int((p >> i & 1) << 2 | (s >> i & 1) << 1 | (d >> i & 1));
    r |= Pixel(rop >> k & 1) << i;
  }
  return r;
}

}  // namespace

TEST(RasterSpan, EveryRop3MatchesItsTruthTableAtEveryLength) {
  std::mt19937 rng(7);
  for (int rop = 0; rop < 256; ++rop)
    for (Integer n : {0, 1, 3, 4, 5, 8, 15, 16, 17, 23}) {
      std::vector<Pixel> d(size_t(n) + 1), s(size_t(n) + 1), p(size_t(n) + 1);
      for (size_t i = 0; i <= size_t(n); ++i) {
        d[i] = Pixel(rng());
        s[i] = Pixel(rng());
        p[i] = Pixel(rng());
      }
      const std::vector<Pixel> before = d;
      Rop3Span(Byte(rop), d.data(), s.data(), p.data(), n);
      for (size_t i = 0; i < size_t(n); ++i)
        ASSERT_EQ(d[i], TruthTable(Byte(rop), p[i], s[i], before[i])) << "rop " << rop << " n " << n << " at " << i;
      ASSERT_EQ(d[size_t(n)], before[size_t(n)]) << "rop " << rop << " wrote past the span";
    }
}

using RasterSpanCanvas = GdiCanvasTest;

TEST_F(RasterSpanCanvas, PatternRowsRepeatFromEveryPhaseAndWidth) {
  // An odd-sized pattern, so no row starts on a period boundary by luck.
  HDC pdc = CreateCompatibleDC(nullptr);
  HBITMAP pbmp = CreateBitmap(5, 3, 1, 32, nullptr);
  HGDIOBJ pold = SelectObject(pdc, pbmp);
  Surface& pat = *BitmapFromHandle(pbmp)->Pixels;
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) pat.Set(x, y, Pixel(0x100 * (y + 1) + x + 1));
  HBRUSH brush = CreatePatternBrush(pbmp);
  for (int org = 0; org < 5; ++org)
    for (int left = 0; left < 6; ++left)
      for (int width : {1, 2, 4, 6, 11, 23}) {
        Clear();
        SetBrushOrgEx(dc, org, 1, nullptr);
        const RECT r{left, 2, left + width, 5};
        FillRect(dc, &r, brush);
        for (int y = 0; y < 6; ++y)
          for (int x = 0; x < 32; ++x) {
            const bool in = x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom;
            const Pixel want = in ? pat.At((x - org + 10) % 5, (y - 1 + 3) % 3) : 0xFFFFFF;
            ASSERT_EQ(Surf().At(x, y), want) << "org " << org << " rect " << left << "+" << width << " at " << x << "," << y;
          }
      }
  DeleteObject(brush);
  SelectObject(pdc, pold);
  DeleteObject(pbmp);
  DeleteDC(pdc);
}
