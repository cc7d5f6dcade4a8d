// Raster device throughput beside pixman doing the same fills, copies and stretches. Each
// row of ours is registered next to pixman's, so the two sides run interleaved.
#include "bench/BenchPaired.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Gdi.h"

#include <benchmark/benchmark.h>

#ifdef TL_HAVE_PIXMAN
#include <pixman.h>
#endif

namespace {

struct MemCanvas {
  HDC dc;
  HBITMAP bmp;
  HGDIOBJ old;
  MemCanvas(int w, int h) {
    dc = CreateCompatibleDC(nullptr);
    bmp = CreateBitmap(w, h, 1, 32, nullptr);
    old = SelectObject(dc, bmp);
  }
  ~MemCanvas() {
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bmp);
  }
  Surface& S() { return *BitmapFromHandle(bmp)->Pixels; }
};

void BM_GdiSolidFill(benchmark::State& state) {
  const int n = int(state.range(0));
  MemCanvas c(n, n);
  HBRUSH b = CreateSolidBrush(RGB(10, 200, 30));
  RECT r{0, 0, n, n};
  for (auto _ : state) {
    FillRect(c.dc, &r, b);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * n * n * 4);
  DeleteObject(b);
}

void BM_GdiPatternFill(benchmark::State& state) {
  const int n = int(state.range(0));
  MemCanvas c(n, n);
  MemCanvas tile(8, 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) tile.S().Set(x, y, Pixel((x * 31 + y * 17) * 0x010203u) & 0xFFFFFF);
  HBRUSH b = CreatePatternBrush(tile.bmp);
  RECT r{0, 0, n, n};
  for (auto _ : state) {
    FillRect(c.dc, &r, b);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * n * n * 4);
  DeleteObject(b);
}

void BM_GdiCopy(benchmark::State& state) {
  const int n = int(state.range(0));
  MemCanvas src(n, n), dst(n, n);
  for (auto _ : state) {
    BitBlt(dst.dc, 0, 0, n, n, src.dc, 0, 0, SRCCOPY);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * n * n * 4);
}

void BM_GdiStretch(benchmark::State& state) {
  const int n = int(state.range(0));
  MemCanvas src(n / 2, n / 2), dst(n, n);
  SetStretchBltMode(dst.dc, int(state.range(1)));
  for (auto _ : state) {
    StretchBlt(dst.dc, 0, 0, n, n, src.dc, 0, 0, n / 2, n / 2, SRCCOPY);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * n * n);
}

void BM_GdiPatInvert(benchmark::State& state) {
  const int n = int(state.range(0));
  MemCanvas c(n, n);
  for (auto _ : state) {
    PatBlt(c.dc, 0, 0, n, n, DSTINVERT);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * n * n * 4);
}

#ifdef TL_HAVE_PIXMAN
struct PixImage {
  std::vector<uint32_t> bits;
  pixman_image_t* img;
  PixImage(int w, int h) : bits(size_t(w) * size_t(h)) {
    img = pixman_image_create_bits(PIXMAN_x8r8g8b8, w, h, bits.data(), w * 4);
  }
  ~PixImage() { pixman_image_unref(img); }
};

void BM_PixmanSolidFill(benchmark::State& state) {
  const int n = int(state.range(0));
  PixImage dst(n, n);
  pixman_color_t color{0x0A0A, 0xC8C8, 0x1E1E, 0xFFFF};
  pixman_rectangle16_t rect{0, 0, uint16_t(n), uint16_t(n)};
  for (auto _ : state) {
    pixman_image_fill_rectangles(PIXMAN_OP_SRC, dst.img, &color, 1, &rect);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * n * n * 4);
}

void BM_PixmanPatternFill(benchmark::State& state) {
  const int n = int(state.range(0));
  PixImage tile(8, 8), dst(n, n);
  for (int i = 0; i < 64; ++i) tile.bits[size_t(i)] = uint32_t((i % 8 * 31 + i / 8 * 17) * 0x010203u) & 0xFFFFFF;
  pixman_image_set_repeat(tile.img, PIXMAN_REPEAT_NORMAL);
  for (auto _ : state) {
    pixman_image_composite32(PIXMAN_OP_SRC, tile.img, nullptr, dst.img, 0, 0, 0, 0, 0, 0, n, n);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * n * n * 4);
}

void BM_PixmanCopy(benchmark::State& state) {
  const int n = int(state.range(0));
  PixImage src(n, n), dst(n, n);
  for (auto _ : state) {
    pixman_image_composite32(PIXMAN_OP_SRC, src.img, nullptr, dst.img, 0, 0, 0, 0, 0, 0, n, n);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * n * n * 4);
}

void BM_PixmanStretchNearest(benchmark::State& state) {
  const int n = int(state.range(0));
  PixImage src(n / 2, n / 2), dst(n, n);
  pixman_transform_t t;
  pixman_transform_init_scale(&t, pixman_double_to_fixed(0.5), pixman_double_to_fixed(0.5));
  pixman_image_set_transform(src.img, &t);
  pixman_image_set_filter(src.img, PIXMAN_FILTER_NEAREST, nullptr, 0);
  for (auto _ : state) {
    pixman_image_composite32(PIXMAN_OP_SRC, src.img, nullptr, dst.img, 0, 0, 0, 0, 0, 0, n, n);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * n * n);
}
#endif

}  // namespace

TL_PAIRED(BM_GdiSolidFill, BM_PixmanSolidFill, 64);
TL_PAIRED(BM_GdiSolidFill, BM_PixmanSolidFill, 512);
TL_PAIRED(BM_GdiPatternFill, BM_PixmanPatternFill, 64);
TL_PAIRED(BM_GdiPatternFill, BM_PixmanPatternFill, 512);
TL_PAIRED(BM_GdiCopy, BM_PixmanCopy, 64);
TL_PAIRED(BM_GdiCopy, BM_PixmanCopy, 512);
BENCHMARK(BM_GdiStretch)->Args({512, COLORONCOLOR});
#ifdef TL_HAVE_PIXMAN
BENCHMARK(BM_PixmanStretchNearest)->Arg(512);
#endif
BENCHMARK(BM_GdiStretch)->Args({512, HALFTONE});
BENCHMARK(BM_GdiPatInvert)->Arg(512);
