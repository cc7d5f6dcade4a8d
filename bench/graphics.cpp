// Class-library drawing costs the board and the widget painters lean on: many small
// canvas copies (tiled fills, cell images), BrushCopy, and image-list draws.
#include "classlib/visual/Graphics.h"
#include "classlib/visual/ImgList.h"

#include <benchmark/benchmark.h>

namespace {

Owned<TBitmap> Filled(Integer w, Integer h, TColor c) {
  Owned<TBitmap> b(New<TBitmap>());
  b->SetSize(w, h);
  b->Canvas()->Brush()->SetColor(c);
  b->Canvas()->FillRect(Rect(0, 0, w, h));
  return b;
}

// One stretched 24 -> 25 copy per cell of a 20 x 20 board.
void BM_CanvasCopyRectCells(benchmark::State& state) {
  auto tile = Filled(24, 24, clRed);
  auto board = Filled(500, 500, clWhite);
  for (auto _ : state) {
    for (Integer y = 0; y < 20; ++y)
      for (Integer x = 0; x < 20; ++x)
        board->Canvas()->CopyRect(Bounds(x * 25, y * 25, 25, 25), tile->Canvas(), Rect(0, 0, 24, 24));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * 400);
}
BENCHMARK(BM_CanvasCopyRectCells);

void BM_CanvasBrushCopy(benchmark::State& state) {
  const Integer n = Integer(state.range(0));
  auto src = Filled(n, n, clFuchsia);
  src->Canvas()->SetPixel(n / 2, n / 2, clBlack);
  auto dst = Filled(n, n, clWhite);
  dst->Canvas()->Brush()->SetColor(clBtnFace);
  for (auto _ : state) dst->Canvas()->BrushCopy(Rect(0, 0, n, n), src.get(), Rect(0, 0, n, n), clFuchsia);
  state.SetItemsProcessed(state.iterations() * n * n);
}
BENCHMARK(BM_CanvasBrushCopy)->Arg(16)->Arg(256);

void BM_ImageListDraw(benchmark::State& state) {
  Owned<TImageList> list(New<TImageList>(nullptr));
  auto strip = Filled(16 * 8, 16, clFuchsia);
  list->AddMasked(strip.get(), clDefault);
  auto dst = Filled(256, 16, clWhite);
  const bool enabled = state.range(0) != 0;
  for (auto _ : state)
    for (Integer i = 0; i < 8; ++i) list->Draw(dst->Canvas(), i * 16, 0, i, enabled);
  state.SetItemsProcessed(state.iterations() * 8);
}
BENCHMARK(BM_ImageListDraw)->Arg(1)->Arg(0);

}  // namespace
