// Painting a column of image cells holding JPEG bytes: with the picture cache every cell is
// decoded once; clearing the cache before each repaint shows what decoding on every paint
// would cost.
#include "bench/BenchDesktop.h"
#include "platform/gdi/PictureCodecs.h"
#include "widgets/special/cxImage.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int kCells = 30;

class Program : BenchDesktop {
 public:
  Program() : BenchDesktop(BenchUnits::Editcore) {
    cxImage::Initialize();
    properties_ = New<TcxImageProperties>(nullptr);
    properties_->SetGraphicClassName("TJPEGImage");
    properties_->SetStretch(true);
    style_ = static_cast<TcxCustomEditStyle*>(properties_->GetStyleClass().Create(
        nullptr, TcxContainerStateItem::csNormal, nullptr, false));
    bitmap_ = New<TBitmap>();
    bitmap_->SetSize(64, 64 * kCells);
    canvas_ = New<TcxCanvas>(bitmap_->Canvas());
    for (int i = 0; i < kCells; ++i) {
      DecodedImage img;
      img.Width = 160;
      img.Height = 120;
      for (int p = 0; p < img.Width * img.Height; ++p) img.Pixels.push_back(Pixel((p * 2654435761u + i) & 0xFFFFFF));
      EncodeResult e = EncodeJpeg(img, 85);
      values_.push_back(Variant(String(e.Bytes.begin(), e.Bytes.end())));
    }
  }
  ~Program() {
    canvas_->Free();
    bitmap_->Free();
    style_->Free();
    properties_->Free();
    cxImage::Finalize();
  }
  void PaintCells() {
    Owned<TcxCustomEditViewInfo> info(properties_->GetViewInfoClass().Create());
    Owned<TcxCustomEditViewData> vd(properties_->CreateViewData(style_, true));
    auto* data = static_cast<TcxImageViewData*>(vd.get());
    for (int i = 0; i < kCells; ++i) {
      const TRect r{0, 64 * i, 64, 64 * (i + 1)};
      data->Calculate(*canvas_, r, {-1, -1}, TcxMouseButton::cxmbNone, {}, info.get(), false);
      data->EditValueToDrawValue(*canvas_, values_[size_t(i)], info.get());
      info->Paint(*canvas_);
    }
  }

 private:
  TcxImageProperties* properties_ = nullptr;
  TcxCustomEditStyle* style_ = nullptr;
  TBitmap* bitmap_ = nullptr;
  TcxCanvas* canvas_ = nullptr;
  std::vector<Variant> values_;
};

void BM_ImageCellsRepaint(benchmark::State& state) {
  Program p;
  const bool cached = state.range(0) != 0;
  for (auto _ : state) {
    if (!cached) TcxImagePictureCache::Clear();
    p.PaintCells();
  }
  state.SetItemsProcessed(state.iterations() * kCells);
  state.SetLabel(cached ? "cached" : "decoding every paint");
}
BENCHMARK(BM_ImageCellsRepaint)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

}  // namespace
