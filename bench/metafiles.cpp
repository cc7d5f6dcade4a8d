// Metafiles whose records ask for much more than their bytes: a rotated region of tall
// strips (filled, or as a clip path), run-length bitmaps that declare 4096 x 4096, open
// paths of angle arcs or text in the largest font, and regions of rectangles or scans over
// one another. Each row plays one file onto a 256 x 256
// canvas and reports its size and the peak of the heap bytes live while it plays.
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/Metafile.h"

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

// ---- The heap's live bytes and their peak ----------------------------------------------------

namespace {
std::atomic<int64_t> gLive{0}, gPeak{0};

void* Counted(size_t n) {
  void* p = std::malloc(n ? n : 1);
  if (!p) throw std::bad_alloc();
  const int64_t live = gLive += int64_t(malloc_usable_size(p));
  int64_t peak = gPeak.load();
  while (live > peak && !gPeak.compare_exchange_weak(peak, live)) {
  }
  return p;
}

void Uncounted(void* p) {
  if (!p) return;
  gLive -= int64_t(malloc_usable_size(p));
  std::free(p);
}
}  // namespace

void* operator new(size_t n) { return Counted(n); }
void* operator new[](size_t n) { return Counted(n); }
void* operator new(size_t n, const std::nothrow_t&) noexcept {
  try {
    return Counted(n);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](size_t n, const std::nothrow_t&) noexcept {
  try {
    return Counted(n);
  } catch (...) {
    return nullptr;
  }
}
void operator delete(void* p) noexcept { Uncounted(p); }
void operator delete[](void* p) noexcept { Uncounted(p); }
void operator delete(void* p, size_t) noexcept { Uncounted(p); }
void operator delete[](void* p, size_t) noexcept { Uncounted(p); }

namespace {

// ---- Enhanced metafiles written record by record ---------------------------------------------

void Put32(std::vector<uint8_t>& v, uint32_t w) {
  for (int i = 0; i < 4; ++i) v.push_back(uint8_t(w >> (8 * i)));
}

uint32_t Bits(float f) {
  uint32_t v;
  std::memcpy(&v, &f, 4);
  return v;
}

// A frame of w x h pixels on a reference device of one pixel a millimetre, so played at
// w x h its units are the canvas's pixels.
class Emf {
 public:
  Emf(int w, int h) : w_(w), h_(h) {}
  Emf& Rec(uint32_t type, std::initializer_list<uint32_t> values,
           const std::vector<uint8_t>& tail = {}) {
    std::vector<uint8_t> p;
    for (uint32_t v : values) Put32(p, v);
    p.insert(p.end(), tail.begin(), tail.end());
    while (p.size() % 4) p.push_back(0);
    Put32(body_, type);
    Put32(body_, uint32_t(8 + p.size()));
    body_.insert(body_.end(), p.begin(), p.end());
    ++records_;
    return *this;
  }
  std::vector<uint8_t> Bytes() const {
    std::vector<uint8_t> rec = body_;
    for (uint32_t v : {14u, 20u, 0u, 16u, 20u}) Put32(rec, v);
    std::vector<uint8_t> f;
    for (int v : {1, 88, 0, 0, w_ - 1, h_ - 1, 0, 0, w_ * 100, h_ * 100, 0x464D4520, 0x10000})
      Put32(f, uint32_t(v));
    Put32(f, uint32_t(88 + rec.size()));
    Put32(f, uint32_t(records_ + 2));
    Put32(f, 8);  // handles, and a reserved word
    for (int v : {0, 0, 0, 1000, 1000, 1000, 1000}) Put32(f, uint32_t(v));
    f.insert(f.end(), rec.begin(), rec.end());
    return f;
  }

 private:
  int w_, h_;
  size_t records_ = 0;
  std::vector<uint8_t> body_;
};

enum : uint32_t {
  kPolygon = 3,
  kSetWorldTransform = 35,
  kSelectObject = 37,
  kAngleArc = 41,
  kMoveTo = 27,
  kBeginPath = 59,
  kEndPath = 60,
  kSelectClipPath = 67,
  kAbortPath = 68,
  kFillRgn = 71,
  kStretchDiBits = 81,
  kFont = 82,
  kTextW = 84,
  kRectangle = 43,
  kExtSelectClipRgn = 75,
};
constexpr uint32_t kStockBlackBrush = 0x80000000u | 4;
constexpr int kCanvas = 256;

// A quarter turn's half: x' = (x - y) / sqrt 2, y' = (x + y) / sqrt 2, about the canvas centre.
Emf& Rotated(Emf& e) {
  const float c = 0.70710678f;
  return e.Rec(kSetWorldTransform,
               {Bits(c), Bits(c), Bits(-c), Bits(c), Bits(kCanvas / 2.0f), Bits(0)});
}

// Strip i: one unit wide, 1.4 million tall, two units from the next. Turned 45 degrees each
// crosses close to 2^20 rows.
constexpr int32_t kStripHalf = 700000;

std::vector<uint8_t> StripsFilled(int strips) {
  Emf e(kCanvas, kCanvas);
  Rotated(e);
  std::vector<uint8_t> data;
  for (uint32_t v : {32u, 1u, uint32_t(strips), uint32_t(strips * 16), 0u, 0u, 0u, 0u})
    Put32(data, v);
  for (int i = 0; i < strips; ++i)
    for (int32_t v : {3 * i, -kStripHalf, 3 * i + 1, kStripHalf}) Put32(data, uint32_t(v));
  e.Rec(kFillRgn, {0, 0, 0, 0, uint32_t(data.size()), kStockBlackBrush}, data);
  return e.Bytes();
}

std::vector<uint8_t> StripsClipPath(int strips) {
  Emf e(kCanvas, kCanvas);
  Rotated(e);
  e.Rec(kBeginPath, {});
  for (int i = 0; i < strips; ++i) {
    const uint32_t l = uint32_t(3 * i), r = uint32_t(3 * i + 1), t = uint32_t(-kStripHalf),
                   b = kStripHalf;
    e.Rec(kPolygon, {0, 0, 0, 0, 4, l, t, r, t, r, b, l, b});
  }
  e.Rec(kEndPath, {}).Rec(kSelectClipPath, {RGN_COPY});
  e.Rec(kSetWorldTransform, {Bits(1), 0, 0, Bits(1), 0, 0});
  e.Rec(kSelectObject, {kStockBlackBrush}).Rec(kRectangle, {0, 0, kCanvas, kCanvas});
  return e.Bytes();
}

// An 8-bit run-length DIB of one colour declaring 4096 x 4096, its bits an end of line and
// an end of bitmap, stretched over the canvas.
std::vector<uint8_t> RleDibs(int records) {
  Emf e(kCanvas, kCanvas);
  std::vector<uint8_t> dib;
  for (uint32_t v : {40u, 4096u, 4096u}) Put32(dib, v);
  Put32(dib, 1 | 8 << 16);  // planes, bits per pixel
  for (uint32_t v : {1u /* BI_RLE8 */, 8u, 0u, 0u, 1u, 0u}) Put32(dib, v);
  Put32(dib, 0x00FF0000);  // the colour table's one entry
  for (uint8_t b : {0, 0, 0, 1, 0, 0, 0, 1}) dib.push_back(b);
  for (int i = 0; i < records; ++i)
    e.Rec(kStretchDiBits,
          {0, 0, 0, 0, 0, 0, 0, 0, 4096, 4096, 8 + 72, 44, 8 + 72 + 44, 8, DIB_RGB_COLORS, SRCCOPY,
           kCanvas, kCanvas},
          dib);
  return e.Bytes();
}

// Angle arcs of two full turns about a far centre (1025 points each), all in one open path,
// dropped at the end.
std::vector<uint8_t> AngleArcPath(int records) {
  Emf e(kCanvas, kCanvas);
  e.Rec(kBeginPath, {}).Rec(kMoveTo, {0, 0});
  for (int i = 0; i < records; ++i)
    e.Rec(kAngleArc, {uint32_t(-20000), 128, 20000, Bits(0), Bits(720)});
  e.Rec(kEndPath, {}).Rec(kAbortPath, {});
  return e.Bytes();
}

// Text in a 2048-pixel font, 4096 characters a record, in one open path, dropped at the end.
std::vector<uint8_t> TextPath(int records) {
  Emf e(kCanvas, kCanvas);
  std::vector<uint8_t> face;
  for (char c : std::string("Sans")) face.push_back(uint8_t(c)), face.push_back(0);
  face.resize(64 + 8 * 4, 0);
  e.Rec(kFont, {1, uint32_t(-2048), 0, 0, 0, 400, 0, 0}, face).Rec(kSelectObject, {1});
  e.Rec(kBeginPath, {});
  constexpr uint32_t kChars = 4096;
  std::vector<uint8_t> text;
  for (uint32_t i = 0; i < kChars; ++i) text.push_back(uint8_t('A' + i % 26)), text.push_back(0);
  for (int i = 0; i < records; ++i)
    e.Rec(kTextW, {0, 0, 0, 0, 1, 0, 0, 0, 0, kChars, 8 + 68, 0, 0, 0, 0, 0, 0}, text);
  e.Rec(kEndPath, {}).Rec(kAbortPath, {});
  return e.Bytes();
}

// A clip of rectangles over one another, each reaching a unit further left than the one
// before it.
std::vector<uint8_t> OverlappingClipRects(int rects) {
  Emf e(kCanvas, kCanvas);
  std::vector<uint8_t> data;
  for (uint32_t v : {32u, 1u, uint32_t(rects), uint32_t(rects * 16), 0u, 0u, 0u, 0u})
    Put32(data, v);
  for (int i = 0; i < rects; ++i)
    for (int32_t v : {-i, 0, kCanvas, kCanvas}) Put32(data, uint32_t(v));
  e.Rec(kExtSelectClipRgn, {uint32_t(data.size()), RGN_COPY}, data);
  e.Rec(kSelectObject, {kStockBlackBrush}).Rec(kRectangle, {0, 0, kCanvas, kCanvas});
  return e.Bytes();
}

// A placeable metafile whose region object is a staircase of scans, each over the next,
// filled. Its longest-scan word claims as many as its scan count.
std::vector<uint8_t> OverlappingScans(int scans) {
  const auto put16 = [](std::vector<uint8_t>& v, int w) {
    v.push_back(uint8_t(w));
    v.push_back(uint8_t(unsigned(w) >> 8));
  };
  std::vector<uint8_t> body;
  const auto record = [&](uint16_t fn, const std::vector<int>& words) {
    Put32(body, uint32_t(3 + words.size()));
    put16(body, fn);
    for (int w : words) put16(body, w);
  };
  std::vector<int> region{0, 6, 0, 0, 0, scans, scans, -scans, -scans, scans, scans};
  for (int i = 0; i < scans; ++i)
    region.insert(region.end(), {2, i - scans, i, 2 * i - scans, 2 * i - scans + 1, 2});
  record(0x02FC, {0, 0, 0, 0});  // a black brush: slot 0
  record(0x06FF, region);        // slot 1
  record(0x0228, {1, 0});        // filled
  Put32(body, 3);
  put16(body, 0);
  std::vector<uint8_t> f;
  Put32(f, 0x9AC6CDD7u);
  for (int w : {0, -scans, -scans, scans, scans, 96, 0, 0, 0}) put16(f, w);
  for (int w : {1, 9, 0x300}) put16(f, w);
  Put32(f, uint32_t(9 + body.size() / 2));
  put16(f, 2);
  Put32(f, 0);
  put16(f, 0);
  f.insert(f.end(), body.begin(), body.end());
  return f;
}

void Play(benchmark::State& state, const std::vector<uint8_t>& file) {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bmp = CreateBitmap(kCanvas, kCanvas, 1, 32, nullptr);
  HGDIOBJ old = SelectObject(dc, bmp);
  int64_t peak = 0;
  for (auto _ : state) {
    const int64_t base = gLive.load();
    gPeak = base;
    std::string why;
    if (!PlayMetafile(dc, file.data(), file.size(), RECT{0, 0, kCanvas, kCanvas}, why))
      state.SkipWithError(why.c_str());
    peak = std::max(peak, gPeak.load() - base);
    benchmark::ClobberMemory();
  }
  state.counters["file_bytes"] = double(file.size());
  state.counters["peak_MB"] = double(peak) / (1 << 20);
  SelectObject(dc, old);
  DeleteObject(bmp);
  DeleteDC(dc);
}

void BM_MetafileRotatedStripsFilled(benchmark::State& state) {
  Play(state, StripsFilled(int(state.range(0))));
}
void BM_MetafileRotatedStripsClipPath(benchmark::State& state) {
  Play(state, StripsClipPath(int(state.range(0))));
}
void BM_MetafileRleDibs(benchmark::State& state) { Play(state, RleDibs(int(state.range(0)))); }
void BM_MetafileAngleArcPath(benchmark::State& state) {
  Play(state, AngleArcPath(int(state.range(0))));
}
void BM_MetafileTextPath(benchmark::State& state) { Play(state, TextPath(int(state.range(0)))); }
void BM_MetafileOverlappingClipRects(benchmark::State& state) {
  Play(state, OverlappingClipRects(int(state.range(0))));
}
void BM_MetafileOverlappingScans(benchmark::State& state) {
  Play(state, OverlappingScans(int(state.range(0))));
}

}  // namespace

BENCHMARK(BM_MetafileRotatedStripsFilled)->Arg(4)->Arg(16)->Arg(64)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MetafileRotatedStripsClipPath)->Arg(39)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MetafileRleDibs)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MetafileAngleArcPath)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MetafileTextPath)->Arg(10)->Arg(85)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MetafileOverlappingClipRects)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MetafileOverlappingScans)->Arg(2000)->Unit(benchmark::kMillisecond);
