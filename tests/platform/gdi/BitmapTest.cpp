#include "GdiTestCanvas.h"
#include "platform/gdi/Codecs.h"
#include "tests/support/MemoryLimit.h"

#include <cstring>
#include <tuple>
#include <utility>
#include <vector>

using BitmapTest = GdiCanvasTest;

namespace {
BITMAPINFO header(int w, int h, int bpp) {
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, h, 1, WORD(bpp), BI_RGB, 0, 0, 0, 0, 0};
  return bi;
}
}  // namespace

TEST_F(BitmapTest, DibSectionRowOrderFollowsTheHeightSign) {
  for (int sign : {1, -1}) {
    BITMAPINFO bi = header(3, 2 * sign, 32);
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(dib, nullptr);
    ASSERT_NE(bits, nullptr);
    HDC m = CreateCompatibleDC(dc);
    HGDIOBJ o = SelectObject(m, dib);
    SetPixel(m, 1, 0, RGB(0x11, 0x22, 0x33));   // top row, second pixel
    const auto* mem = static_cast<const uint32_t*>(bits);
    const int row = sign > 0 ? 1 : 0;           // bottom-up memory keeps the top row last
    EXPECT_EQ(std::pair(mem[row * 3 + 1], mem[(1 - row) * 3 + 1]), std::pair(0x112233u, 0u)) << sign;
    // Writing memory shows through GetPixel.
    const_cast<uint32_t*>(mem)[(1 - row) * 3 + 2] = 0x445566;
    EXPECT_EQ(GetPixel(m, 2, 1), RGB(0x44, 0x55, 0x66)) << sign;
    SelectObject(m, o);
    DeleteDC(m);
    DeleteObject(dib);
  }
}

TEST_F(BitmapTest, DibSectionRejectsUnsupportedOrHugeFormats) {
  void* bits = reinterpret_cast<void*>(1);
  for (BITMAPINFO bi : {header(4, 4, 8), header(100000, 100000, 32), header(-4, 4, 32)}) {
    EXPECT_EQ(CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr) << bi.bmiHeader.biWidth;
    EXPECT_EQ(bits, nullptr);
  }
  EXPECT_EQ(CreateDIBSection(dc, nullptr, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
  EXPECT_EQ(CreateBitmap(-1, 4, 1, 32, nullptr), nullptr);
  EXPECT_EQ(CreateBitmap(4, 4, 2, 32, nullptr), nullptr);
  EXPECT_EQ(CreateHatchBrush(17, 0), nullptr);
}

TEST_F(BitmapTest, GetDIBitsWritesBothRowOrdersAndPadsRows) {
  Canvas(3, 2);
  Surf().Set(0, 0, 0x010203);
  Surf().Set(2, 1, 0x0A0B0C);
  SelectObject(dc, GetStockObject(BLACK_PEN));   // any object; the bitmap stays selected
  BITMAPINFO up = header(3, 2, 24);
  std::vector<Byte> rows(2 * 12, 0xEE);   // 9 bytes + 3 padding per row
  EXPECT_EQ(GetDIBits(dc, bmp, 0, 2, rows.data(), &up, DIB_RGB_COLORS), 2);
  // Bottom-up: the first row in memory is the image's bottom row; the padding is cleared.
  EXPECT_EQ(rows, (std::vector<Byte>{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x0C, 0x0B, 0x0A, 0, 0, 0,
                                     0x03, 0x02, 0x01, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0}));
  BITMAPINFO down = header(3, -2, 32);
  std::vector<uint32_t> px(6, 0xDEAD);
  // Start line and count are clamped to the image.
  EXPECT_EQ(GetDIBits(dc, bmp, 1, 10, px.data(), &down, DIB_RGB_COLORS), 1);
  EXPECT_EQ(px[2], 0x0A0B0Cu);
  EXPECT_EQ(GetDIBits(dc, bmp, 2, 1, px.data(), &down, DIB_RGB_COLORS), 0);
}

TEST_F(BitmapTest, InitialBitsInAnUnreadableLayoutAreRefused) {
  const Byte bits[16] = {};
  EXPECT_EQ(CreateBitmap(2, 2, 1, 8, bits), nullptr);
  HBITMAP plain = CreateBitmap(2, 2, 1, 8, nullptr);   // no bits: a colour bitmap
  ASSERT_NE(plain, nullptr);
  BITMAP bm{};
  GetObjectA(plain, sizeof bm, &bm);
  EXPECT_EQ(bm.bmBitsPixel, 32);
  DeleteObject(plain);
  const Byte rgb[2 * 6] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};   // 24-bit rows: 6 bytes, already even
  HBITMAP b24 = CreateBitmap(2, 2, 1, 24, rgb);
  const Surface& s24 = *BitmapFromHandle(b24)->Pixels;
  EXPECT_EQ(std::pair(s24.At(1, 0), s24.At(0, 1)), std::pair(0x060504u, 0x090807u));
  DeleteObject(b24);
}

TEST_F(BitmapTest, AllocationFailuresFailTheCallAndThrowNothing) {
  if (!MemoryLimitAvailable()) GTEST_SKIP() << "no address-space limit under the address sanitizer";
  // 4000 x 4000 pixels need 64 MB; the child may grow by 16 MB.
  const int code = RunUnderMemoryLimit(16 << 20, [] {
    int failed = 0;
    failed |= CreateBitmap(4000, 4000, 1, 32, nullptr) != nullptr;
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 4000, -4000, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = reinterpret_cast<void*>(1);
    failed |= (CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0) != nullptr || bits) << 1;
    // A 4096 x 4096 image within the decoder's pixel limit, in 62 bytes of run-length data.
    std::vector<uint8_t> f(62, 0);
    auto put = [&](size_t at, uint32_t v, int n) {
      for (int i = 0; i < n; ++i) f[at + size_t(i)] = uint8_t(v >> (8 * i));
    };
    f[0] = 'B', f[1] = 'M';
    put(2, 62, 4), put(10, 58, 4), put(14, 40, 4), put(18, 4096, 4), put(22, 4096, 4), put(26, 1, 2);
    put(28, 8, 2), put(30, 1, 4), put(46, 1, 4), put(58, 0x00010000, 4);   // one colour; end of bitmap
    const DecodeResult d = DecodeBmp(f.data(), f.size());
    failed |= (d.Ok || !d.OutOfMemory || d.Error != "out of memory") << 2;
    return failed;
  });
  EXPECT_EQ(code, 0);
}
