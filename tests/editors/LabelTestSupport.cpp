#include "tests/editors/LabelTestSupport.h"

#include <png.h>

#include <cstdio>
#include <filesystem>
#include <vector>

TL_DEFINE_CLASS(TLabelSettingsHolder, [](auto& c) {
  c.Property("Properties", &TLabelSettingsHolder::GetProperties,
             &TLabelSettingsHolder::SetProperties);
});

bool WriteBitmapPng(TBitmap* ABitmap, const std::string& APath) {
  const int w = ABitmap->GetWidth(), h = ABitmap->GetHeight();
  FILE* f = std::fopen(APath.c_str(), "wb");
  if (!f) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop pinfo = png ? png_create_info_struct(png) : nullptr;
  if (!png || !pinfo || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &pinfo);
    std::fclose(f);
    return false;
  }
  png_init_io(png, f);
  png_set_IHDR(png, pinfo, png_uint_32(w), png_uint_32(h), 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, pinfo);
  std::vector<png_byte> row(size_t(w) * 3);
  for (int y = 0; y < h; ++y) {
    const Byte* src = ABitmap->ScanLine(y);
    for (int x = 0; x < w; ++x) {
      row[size_t(x) * 3] = src[x * 4 + 2];
      row[size_t(x) * 3 + 1] = src[x * 4 + 1];
      row[size_t(x) * 3 + 2] = src[x * 4];
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &pinfo);
  std::fclose(f);
  return true;
}

void LabelTest::SetUp() {
  PainterTest::SetUp();
  WidgetsFoundationInitialize();
  WidgetsEditcoreInitialize();
  cxLabelInitialize();
  Make(60, 40, clWhite);
  props = New<TcxLabelProperties>(nullptr);
  style = static_cast<TcxLabelEditStyle*>(
      props->GetStyleClass().Create(nullptr, TcxContainerStateItem::csNormal, nullptr, false));
  style->GetFont()->SetName(kTestFaceName);
  style->GetFont()->SetHeight(-10);
  style->SetColor(clWhite);
  style->SetTextColor(clBlack);
  // Text from the label's edge: pixel positions below need no margin.
  style->SetTransparentBorder(false);
  info = static_cast<TcxCustomLabelViewInfo*>(props->GetViewInfoClass().Create());
}

void LabelTest::TearDown() {
  FreeAndNil(data);
  FreeAndNil(info);
  FreeAndNil(style);
  FreeAndNil(props);
  cxLabelFinalize();
  WidgetsEditcoreFinalize();
  WidgetsFoundationFinalize();
  PainterTest::TearDown();
}

void LabelTest::Layout(const TRect& ABounds, const String& AText, bool AInplace) {
  FreeAndNil(data);
  data = static_cast<TcxCustomLabelViewData*>(props->CreateViewData(style, AInplace));
  data->Calculate(*canvas, ABounds, {-1, -1}, TcxMouseButton::cxmbNone, {}, info, false);
  data->EditValueToDrawValue(*canvas, Variant(AText), info);
}

TSize LabelTest::ContentSize(const String& AText, Integer AWidth, bool AInplace) {
  Owned<TcxCustomEditViewData> d(props->CreateViewData(style, AInplace));
  TcxEditSizeProperties sp;
  sp.Width = AWidth;
  return d->InternalGetEditContentSize(*canvas, Variant(AText), sp);
}

TRect LabelTest::InkBox(const TRect& R, TColor AColor) {
  TRect box{R.Right, R.Bottom, R.Left, R.Top};
  for (int y = R.Top; y < R.Bottom; ++y)
    for (int x = R.Left; x < R.Right; ++x)
      if (Px(x, y) == Rgb(AColor)) {
        box.Left = std::min<Integer>(box.Left, x);
        box.Top = std::min<Integer>(box.Top, y);
        box.Right = std::max<Integer>(box.Right, x + 1);
        box.Bottom = std::max<Integer>(box.Bottom, y + 1);
      }
  return box.Left < box.Right ? box : TRect{};
}

Integer LabelTest::CountColor(const TRect& R, TColor AColor) {
  Integer n = 0;
  for (int y = R.Top; y < R.Bottom; ++y)
    for (int x = R.Left; x < R.Right; ++x) n += Px(x, y) == Rgb(AColor);
  return n;
}

void LabelTest::Dump(const std::string& AName) {
  const std::string dir = std::string(TL_BINARY_DIR) + "/test-dumps";
  std::filesystem::create_directories(dir);
  EXPECT_TRUE(WriteBitmapPng(bitmap.get(), dir + "/label-" + AName + ".png"));
}
