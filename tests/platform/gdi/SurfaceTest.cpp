#include "platform/gdi/BitmapImage.h"

#include "GdiTestCanvas.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <tuple>
#include <utility>

using SurfaceTest = GdiCanvasTest;

TEST(Surface, FillAndCopyClipToBothSurfaces) {
  Surface a(6, 4, 0x111111), b(5, 5, 0x222222);
  a.Fill({-3, -3, 2, 2}, 0xABCDEF);
  EXPECT_EQ(std::pair(a.At(1, 1), a.At(2, 1)), std::pair(0xABCDEFu, 0x111111u));
  a.Fill({4, 0, 2, 4}, 0);   // inverted: nothing
  EXPECT_EQ(a.At(3, 0), 0x111111u);
  b.CopyFrom(a, {-1, -1, 3, 3}, 3, 3);   // source starts outside a, dest runs off b; a(0,0) lands at (4,4)
  EXPECT_EQ(std::tuple(b.At(4, 4), b.At(3, 3), a.At(-1, 0)), std::tuple(0xABCDEFu, 0x222222u, 0u));
  EXPECT_TRUE(Surface(1 << 20, 1 << 20).IsEmpty());
  // Overlapping copy within one surface shifts as if through a buffer.
  Surface row(6, 1);
  for (int x = 0; x < 6; ++x) row.Set(x, 0, Pixel(x + 1));
  row.CopyFrom(row, {0, 0, 4, 1}, 2, 0);
  EXPECT_EQ(std::pair(row.At(2, 0), row.At(5, 0)), std::pair(1u, 4u));
}

TEST_F(SurfaceTest, PngDumpDecodesToTheSamePixels) {
  Canvas(5, 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) Surf().Set(x, y, Pixel(x * 0x330000 + y * 0x55));
  const std::string path = std::string(TL_BINARY_DIR) + "/surface-test.png";
  ASSERT_TRUE(SaveSurfacePng(Surf(), path));
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
  std::remove(path.c_str());
  DecodeResult r = DecodePng(bytes.data(), bytes.size());
  ASSERT_TRUE(r.Ok) << r.Error;
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(r.Image.Pixels[size_t(y * 5 + x)], Surf().At(x, y)) << x << "," << y;
  EXPECT_FALSE(SaveSurfacePng(Surf(), "/nonexistent-dir/x.png"));
}

TEST_F(SurfaceTest, ImageAlphaBecomesAMask) {
  DecodedImage img;
  img.Width = 2, img.Height = 1, img.HasAlpha = true;
  img.Pixels = {0xFF0000, 0x00FF00};
  img.Alpha = {255, 10};
  HBITMAP mask = nullptr;
  HBITMAP b = CreateBitmapFromImage(img, &mask);
  ASSERT_NE(mask, nullptr);
  const auto* m = BitmapFromHandle(mask);
  EXPECT_EQ(std::tuple(m->BitsPixel, m->Pixels->At(0, 0), m->Pixels->At(1, 0)), std::tuple(1, 0u, kPixelMask));
  DeleteObject(mask);
  DeleteObject(b);
  img.Pixels.pop_back();   // inconsistent sizes
  EXPECT_EQ(CreateBitmapFromImage(img), nullptr);
}

TEST_F(SurfaceTest, CoverageMasksBlendUnderTheClip) {
  DeviceContext* d = DcFromHandle(dc);
  IntersectClipRect(dc, 0, 0, 3, 32);
  const Byte mask[4] = {0, 128, 255, 255};
  d->BlendMask(0, 0, 4, 1, mask, 4, RGB(0, 0, 0));
  // 255 * 127 / 255 at half coverage; the last is clipped.
  ExpectPx({{0, 0, kWhite}, {1, 0, RGB(127, 127, 127)}, {2, 0, kBlack}, {3, 0, kWhite}});
  d->FillDeviceRect({0, 2, 10, 3}, 0x00FF00);
  ExpectPx({{2, 2, RGB(0, 255, 0)}, {3, 2, kWhite}});
}
