#include "GdiTestCanvas.h"

#include <cmath>
#include <random>
#include <tuple>
#include <utility>

using BlitTest = GdiCanvasTest;

namespace {

// The op's result for one bit, straight from its truth table: bit index = P*4 + S*2 + D.
Pixel truthTable(Byte rop, Pixel p, Pixel s, Pixel d) {
  Pixel out = 0;
  for (int bit = 0; bit < 24; ++bit) {
    const int idx = int((p >> bit) & 1) << 2 | int((s >> bit) & 1) << 1 | int((d >> bit) & 1);
    out |= Pixel((rop >> idx) & 1) << bit;
  }
  return out;
}

// A memory DC over a new 32-bit (or 1-bit) bitmap.
struct Scratch {
  HDC dc;
  HBITMAP bmp;
  HGDIOBJ old;
  Scratch(int w, int h, bool mono = false) {
    dc = CreateCompatibleDC(nullptr);
    bmp = CreateBitmap(w, h, 1, mono ? 1 : 32, nullptr);
    old = SelectObject(dc, bmp);
  }
  ~Scratch() {
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bmp);
  }
  Surface& S() { return *BitmapFromHandle(bmp)->Pixels; }
};

}  // namespace

TEST_F(BlitTest, EveryTernaryOpMatchesItsTruthTable) {
  std::mt19937 rng(7);
  Canvas(8, 8);
  Scratch src(8, 8), pat(8, 8);
  std::vector<Pixel> d0(64), s0(64), p0(64);
  for (int i = 0; i < 64; ++i) {
    d0[size_t(i)] = rng() & kPixelMask;
    s0[size_t(i)] = rng() & kPixelMask;
    p0[size_t(i)] = rng() & kPixelMask;
    src.S().Set(i % 8, i / 8, s0[size_t(i)]);
    pat.S().Set(i % 8, i / 8, p0[size_t(i)]);
  }
  Use(CreatePatternBrush(pat.bmp));
  for (int rop = 0; rop < 256; ++rop) {
    for (int i = 0; i < 64; ++i) Surf().Set(i % 8, i / 8, d0[size_t(i)]);
    ASSERT_TRUE(BitBlt(dc, 0, 0, 8, 8, src.dc, 0, 0, DWORD(rop) << 16));
    for (int i = 0; i < 64; ++i) {
      const Pixel want = truthTable(Byte(rop), p0[size_t(i)], s0[size_t(i)], d0[size_t(i)]);
      ASSERT_EQ(Surf().At(i % 8, i / 8), want) << "rop " << rop << " pixel " << i;
    }
  }
}

TEST_F(BlitTest, EveryBinaryOpMatchesItsTruthTable) {
  std::mt19937 rng(11);
  Canvas(16, 1);
  std::vector<Pixel> d0(16);
  for (auto& v : d0) v = rng() & kPixelMask;
  const COLORREF penColor = RGB(0x5A, 0xC3, 0x0F);
  Use(CreatePen(PS_SOLID, 1, penColor));
  for (int r2 = R2_BLACK; r2 <= R2_WHITE; ++r2) {
    for (int x = 0; x < 16; ++x) Surf().Set(x, 0, d0[size_t(x)]);
    SetROP2(dc, r2);
    MoveToEx(dc, 0, 0, nullptr);
    LineTo(dc, 16, 0);
    for (int x = 0; x < 16; ++x) {
      // R2 code - 1 is a 4-entry table indexed by P*2 + D.
      Pixel want = 0;
      const Pixel p = PixelFromColor(penColor), d = d0[size_t(x)];
      for (int bit = 0; bit < 24; ++bit) {
        const int idx = int((p >> bit) & 1) << 1 | int((d >> bit) & 1);
        want |= Pixel(((r2 - 1) >> idx) & 1) << bit;
      }
      ASSERT_EQ(Surf().At(x, 0), want) << "R2 " << r2 << " x " << x;
    }
  }
}

TEST_F(BlitTest, CopyOntoItselfBehavesAsIfAtOnce) {
  Canvas(10, 10);
  // Overlapping down-right, then up-left.
  for (auto [to, from] : {std::pair{POINT{2, 3}, POINT{0, 0}}, {{0, 0}, {2, 3}}}) {
    for (int y = 0; y < 10; ++y)
      for (int x = 0; x < 10; ++x) Surf().Set(x, y, Pixel(y * 10 + x));
    BitBlt(dc, to.X, to.Y, 6, 5, dc, from.X, from.Y, SRCCOPY);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 6; ++x)
        ASSERT_EQ(Surf().At(x + to.X, y + to.Y), Pixel((y + from.Y) * 10 + x + from.X)) << x << "," << y;
  }
}

TEST_F(BlitTest, SourceOutsideItsBitmapLeavesDestinationAlone) {
  Canvas(8, 8, RGB(1, 1, 1));
  Scratch src(4, 4);
  src.S().Fill(0x00FF00);
  BitBlt(dc, 0, 0, 8, 8, src.dc, -2, 0, SRCCOPY);
  const COLORREF old = RGB(1, 1, 1), green = RGB(0, 255, 0);
  ExpectPx({{0, 0, old}, {1, 0, old}, {2, 0, green}, {5, 3, green}, {6, 0, old}, {2, 4, old}});
}

TEST_F(BlitTest, MonochromeConversionUsesTextAndBackgroundColours) {
  Canvas(4, 1);
  Scratch mono(4, 1, true);
  mono.S().Set(0, 0, kPixelMask);   // 1 bit
  mono.S().Set(2, 0, kPixelMask);
  SetTextColor(dc, RGB(200, 0, 0));
  SetBkColor(dc, RGB(0, 0, 200));
  BitBlt(dc, 0, 0, 4, 1, mono.dc, 0, 0, SRCCOPY);
  ExpectPx({{0, 0, RGB(0, 0, 200)}, {1, 0, RGB(200, 0, 0)}, {2, 0, RGB(0, 0, 200)}});   // 1: background, 0: text
  // Colour to mono: the source's background colour becomes 1 (white), all else 0.
  Surf().Set(0, 0, PixelFromColor(RGB(10, 20, 30)));
  Surf().Set(1, 0, PixelFromColor(RGB(10, 20, 31)));
  Surf().Set(2, 0, PixelFromColor(RGB(10, 20, 30)));
  Surf().Set(3, 0, 0xFFFFFF);
  SetBkColor(dc, RGB(10, 20, 30));
  BitBlt(mono.dc, 0, 0, 4, 1, dc, 0, 0, SRCCOPY);
  // The last pixel is white but not the background colour.
  for (int x = 0; x < 4; ++x) EXPECT_EQ(mono.S().At(x, 0), x % 2 ? 0u : kPixelMask) << x;
}

TEST_F(BlitTest, StretchNearestRepeatsWholePixels) {
  Scratch src(4, 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) src.S().Set(x, y, Pixel(0x10 * (y * 4 + x + 1)));
  Canvas(8, 4, RGB(1, 2, 3));
  SetStretchBltMode(dc, COLORONCOLOR);
  StretchBlt(dc, 0, 0, 8, 4, src.dc, 0, 0, 4, 2, SRCCOPY);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 8; ++x) EXPECT_EQ(Surf().At(x, y), src.S().At(x / 2, y / 2)) << x << "," << y;
}

TEST_F(BlitTest, NegativeExtentsFlipOrNormaliseAsThePlatformDoes) {
  Scratch src(2, 2);
  const Pixel p[4] = {0x0000FF, 0x00FF00, 0xFF0000, 0x123456};   // row-major 2 x 2
  for (int i = 0; i < 4; ++i) src.S().Set(i % 2, i / 2, p[i]);
  Canvas(2, 2, kBlack);
  struct Case {
    int x, y, cx, cy, x1, y1, cx1, cy1;
    Pixel want[4];
  };
  const Case cases[] = {
      {0, 0, 2, 2, 0, 1, 2, -2, {p[2], p[3], p[0], p[1]}},     // vertical flip
      {1, 1, -2, -2, 0, 0, 2, 2, {p[3], p[2], p[1], p[0]}},    // both flip
      {2, 2, -2, -2, 2, 2, -2, -2, {p[0], p[1], p[2], p[3]}},  // no flip: plain normalisation
      {1, 1, -2, -2, 1, 1, -2, -2, {p[0], 0, 0, 0}},           // ... which may leave the bitmap
  };
  for (const Case& c : cases) {
    Surf().Fill(0);
    StretchBlt(dc, c.x, c.y, c.cx, c.cy, src.dc, c.x1, c.y1, c.cx1, c.cy1, SRCCOPY);
    for (int i = 0; i < 4; ++i)
      EXPECT_EQ(Surf().At(i % 2, i / 2), c.want[i]) << "case " << c.x << "," << c.y << "," << c.cx << "," << c.cy
                                                   << " <- " << c.x1 << "," << c.y1 << "," << c.cx1 << "," << c.cy1
                                                   << " pixel " << i;
  }
}

TEST_F(BlitTest, PatternBrushFollowsBrushOrigin) {
  Scratch pat(8, 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) pat.S().Set(x, y, Pixel(y * 8 + x + 1));
  HBRUSH brush = CreatePatternBrush(pat.bmp);
  Canvas(20, 20);
  SetBrushOrgEx(dc, 3, 2, nullptr);
  RECT r{0, 0, 20, 20};
  FillRect(dc, &r, brush);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x)
      ASSERT_EQ(Surf().At(x, y), pat.S().At((x - 3 + 16) % 8, (y - 2 + 16) % 8)) << x << "," << y;
  DeleteObject(brush);
}

TEST_F(BlitTest, PatBltRejectsSourceOpsAndNormalisesNegativeSizes) {
  EXPECT_FALSE(PatBlt(dc, 0, 0, 4, 4, SRCCOPY));
  EXPECT_TRUE(PatBlt(dc, 4, 4, -2, -3, BLACKNESS));
  ExpectPx({{2, 1, kBlack}, {3, 3, kBlack}, {4, 4, kWhite}, {1, 1, kWhite}});
  EXPECT_TRUE(PatBlt(dc, 0, 0, 4, 4, DSTINVERT));
  ExpectPx({{0, 0, kBlack}, {2, 1, kWhite}});
}

TEST_F(BlitTest, RasterOpsActOnTheWholeDibPixel) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = 1;
  bi.bmiHeader.biHeight = -1;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* dstBits = nullptr;
  void* srcBits = nullptr;
  HBITMAP dstBmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &dstBits, nullptr, 0);
  HBITMAP srcBmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &srcBits, nullptr, 0);
  ASSERT_TRUE(dstBmp && srcBmp);
  HDC dst = CreateCompatibleDC(nullptr), src = CreateCompatibleDC(nullptr);
  HGDIOBJ oldDst = SelectObject(dst, dstBmp), oldSrc = SelectObject(src, srcBmp);
  HGDIOBJ oldBrush = SelectObject(dst, CreateSolidBrush(RGB(0x78, 0x56, 0x34)));
  auto& d = *static_cast<uint32_t*>(dstBits);
  *static_cast<uint32_t*>(srcBits) = 0xFEDCBA98;
  for (auto [rop, want] : {std::pair{DWORD(DSTINVERT), 0x76543210u}, {WHITENESS, 0xFFFFFFFFu}, {PATCOPY, 0x00785634u},
                           {PATINVERT, 0x89D39BDBu}, {SRCINVERT, 0x77777777u}, {MERGEPAINT, 0x89ABCDEFu}}) {
    d = 0x89ABCDEF;
    BitBlt(dst, 0, 0, 1, 1, src, 0, 0, rop);
    EXPECT_EQ(d, want) << std::hex << rop;
  }
  DeleteObject(SelectObject(dst, oldBrush));
  SelectObject(dst, oldDst);
  SelectObject(src, oldSrc);
  DeleteDC(dst);
  DeleteDC(src);
  DeleteObject(dstBmp);
  DeleteObject(srcBmp);
}
