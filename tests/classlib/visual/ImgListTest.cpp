// Image lists: adding with masks and mask colours, drawing enabled and disabled,
// replacing and deleting, change notification, and the binary property through the
// component writer and reader, the description converter, and bad data.
#include "classlib/core/Filer.h"
#include "classlib/core/FormText.h"
#include "classlib/visual/ImgList.h"
#include "platform/gdi/Codecs.h"
#include "platform/gdi/ImageList.h"
#include "tests/classlib/visual/GraphicsFixture.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

class ImgListTest : public GraphicsFixture {
 protected:
  // Two 4 x 4 images side by side on a fuchsia background: a red pixel at (1, 1) of the
  // first, a black 2 x 2 block at (1, 1) of the second.
  static Owned<TBitmap> TwoImages() {
    auto b = FilledBitmap(8, 4, clFuchsia);
    b->Canvas()->SetPixel(1, 1, clRed);
    b->Canvas()->Brush()->SetColor(clBlack);
    b->Canvas()->FillRect(Rect(5, 1, 7, 3));
    return b;
  }
  static Owned<TImageList> List(Integer W = 4, Integer H = 4) {
    Owned<TImageList> l(New<TImageList>(nullptr));
    l->SetWidth(W);
    l->SetHeight(H);
    return l;
  }
  // A 4 x 4 list holding the two images, fuchsia transparent.
  static Owned<TImageList> ListOfTwo() {
    auto l = List();
    l->AddMasked(TwoImages().get(), clDefault);
    return l;
  }
  // A new list read from what the writer wrote of AList.
  static Owned<TImageList> RoundTrip(TImageList* AList) {
    Owned<TMemoryStream> s(New<TMemoryStream>());
    s->WriteComponent(AList);
    s->SetPosition(0);
    Owned<TImageList> copy(New<TImageList>(nullptr));
    s->ReadComponent(copy.get());
    return copy;
  }
  // The pixels of image Index drawn on a background of Back.
  static std::vector<TColor> Drawn(TCustomImageList* l, Integer Index, TColor Back, bool Enabled = true) {
    auto b = FilledBitmap(l->GetWidth(), l->GetHeight(), Back);
    l->Draw(b->Canvas(), 0, 0, Index, Enabled);
    std::vector<TColor> px;
    for (Integer y = 0; y < l->GetHeight(); ++y)
      for (Integer x = 0; x < l->GetWidth(); ++x) px.push_back(At(b.get(), x, y));
    return px;
  }
  void ImagesDecodedOneByOneCompare(const std::vector<Byte>& Png, bool Alpha);
};

TEST_F(ImgListTest, AddMaskedWithDefaultTakesTheBottomLeftPixelAsTransparent) {
  auto l = List();
  auto src = TwoImages();
  EXPECT_EQ(l->AddMasked(src.get(), clDefault), 0);
  auto first = Drawn(l.get(), 0, clBlue);
  EXPECT_EQ(first[0], clBlue);          // fuchsia was transparent
  EXPECT_EQ(first[1 * 4 + 1], clRed);
  auto second = Drawn(l.get(), 1, clWhite);
  EXPECT_EQ(second[1 * 4 + 1], clBlack);

  // Without Masked every pixel is drawn.
  auto l3 = List();
  l3->SetMasked(false);
  l3->AddMasked(src.get(), clDefault);
  EXPECT_EQ(Drawn(l3.get(), 0, clBlue)[0], clFuchsia);

  auto tooSmall = FilledBitmap(3, 4, clRed);
  EXPECT_EQ(l->AddMasked(tooSmall.get(), clDefault), -1);
}

TEST_F(ImgListTest, AddWithAMaskBitmapAndOutOfRangeDrawsNothing) {
  auto l = List();
  auto src = TwoImages();
  auto mask = FilledBitmap(8, 4, clBlack);
  mask->Canvas()->SetPixel(0, 0, clWhite);
  mask->SetMonochrome(true);
  EXPECT_EQ(l->Add(src.get(), mask.get()), 0);
  auto px = Drawn(l.get(), 0, clBlue);
  EXPECT_EQ(px[0], clBlue);
  EXPECT_EQ(Drawn(l.get(), 2, clBlue), std::vector<TColor>(16, clBlue));

  // A colour mask: only its white pixels are transparent.
  auto colourMask = FilledBitmap(8, 4, clSilver);
  colourMask->Canvas()->SetPixel(2, 0, clWhite);
  EXPECT_EQ(l->Add(src.get(), colourMask.get()), 2);
  auto masked = Drawn(l.get(), 2, clBlue);
  EXPECT_EQ(masked[0], clFuchsia);
  EXPECT_EQ(masked[2], clBlue);
  EXPECT_EQ(Drawn(l.get(), -1, clBlue), std::vector<TColor>(16, clBlue));
}

TEST_F(ImgListTest, DisabledDrawingEmbossesTheShapeInHighlightAndShadow) {
  auto l = ListOfTwo();
  auto px = Drawn(l.get(), 1, clWhite, false);
  const TColor shadow = TColor(ColorToRGB(clBtnShadow)), light = TColor(ColorToRGB(clBtnHighlight));
  // The 2 x 2 block at (1, 1): shadow on top, highlight showing one pixel down and right.
  EXPECT_EQ(px[1 * 4 + 1], shadow);
  EXPECT_EQ(px[3 * 4 + 3], light);
}

TEST_F(ImgListTest, DrawingStyleAndImageTypeChooseThePlatformStyle) {
  auto l = ListOfTwo();
  l->SetImageType(TImageType::itMask);
  auto mask = Drawn(l.get(), 0, clBlue);
  EXPECT_EQ(mask[0], clWhite);
  l->SetImageType(TImageType::itImage);
  l->SetBlendColor(clWhite);
  l->SetDrawingStyle(TDrawingStyle::dsSelected);  // half way to the blend colour
  EXPECT_EQ(Drawn(l.get(), 0, clBlue)[1 * 4 + 1], TColor(RGB(255, 128, 128)));
  l->SetDrawingStyle(TDrawingStyle::dsNormal);
  l->SetBkColor(clLime);  // a background colour fills the transparent pixels
  EXPECT_EQ(Drawn(l.get(), 0, clBlue)[0], clLime);
}

TEST_F(ImgListTest, ReplaceDeleteClearAndGetBitmap) {
  auto l = ListOfTwo();
  auto green = FilledBitmap(4, 4, clGreen);
  l->Replace(0, green.get(), nullptr);
  EXPECT_EQ(Drawn(l.get(), 0, clBlue)[0], clGreen);
  auto marked = FilledBitmap(4, 4, clYellow);
  marked->Canvas()->SetPixel(0, 3, clAqua);
  l->ReplaceMasked(1, marked.get(), clDefault);
  auto px = Drawn(l.get(), 1, clBlue);
  EXPECT_EQ(px[3 * 4 + 0], clBlue);
  EXPECT_EQ(px[0], clYellow);
  EXPECT_THROW(l->Replace(2, green.get(), nullptr), EInvalidOperation);

  Owned<TBitmap> out(New<TBitmap>());
  l->GetBitmap(0, out.get());
  EXPECT_EQ(At(out.get(), 2, 2), clGreen);

  l->Delete(0);
  EXPECT_EQ(Drawn(l.get(), 0, clBlue)[0], clYellow);
  EXPECT_THROW(l->Delete(1), EInvalidOperation);
}

TEST_F(ImgListTest, ChangesReachOnChangeAndLinksOnceUpdatesEnd) {
  auto l = List();
  GfxChangeCounter direct, linked;
  l->OnChange = direct.Event();
  Owned<TChangeLink> link(New<TChangeLink>());
  link->OnChange = linked.Event();
  l->RegisterChanges(link.get());
  l->AddMasked(TwoImages().get(), clDefault);
  EXPECT_EQ(direct.Count, 1);
  l->BeginUpdate();
  l->Delete(0);
  l->SetBkColor(clRed);
  EXPECT_EQ(direct.Count, 1);
  l->EndUpdate();
  EXPECT_EQ(direct.Count, 2);
  // A link freed first unregisters itself; a list freed first lets its links go.
  link.reset();
  l->Clear();
  EXPECT_EQ(direct.Count, 3);
  Owned<TChangeLink> link2(New<TChangeLink>());
  l->RegisterChanges(link2.get());
  l.reset();
  EXPECT_EQ(link2->GetSender(), nullptr);
}

TEST_F(ImgListTest, SizeChangesEmptyTheList) {
  auto l = ListOfTwo();
  l->SetWidth(2);
  EXPECT_EQ(l->Count(), 0);
  l->AddMasked(TwoImages().get(), clDefault);
  EXPECT_EQ(l->Count(), 4);
  l->SetWidth(0);  // at least one pixel
  EXPECT_EQ(l->GetWidth(), 1);
}

TEST_F(ImgListTest, TheBinaryPropertyRoundTripsThroughTheWriterAndReader) {
  auto l = ListOfTwo();
  auto opaque = FilledBitmap(4, 4, clTeal);
  l->Add(opaque.get(), nullptr);
  l->SetBkColor(clBtnFace);
  Owned<TImageList> copy = RoundTrip(l.get());
  EXPECT_EQ(copy->GetBkColor(), clBtnFace);
  ASSERT_EQ(copy->Count(), 3);
  copy->SetBkColor(clNone);
  l->SetBkColor(clNone);
  for (Integer i = 0; i < 3; ++i) EXPECT_EQ(Drawn(copy.get(), i, clBlue), Drawn(l.get(), i, clBlue)) << i;

  // An unmasked list round-trips its pixels as they are.
  auto u = List();
  u->SetMasked(false);
  u->Add(TwoImages().get(), nullptr);
  Owned<TImageList> ucopy = RoundTrip(u.get());
  EXPECT_FALSE(ucopy->GetMasked());
  EXPECT_EQ(Drawn(ucopy.get(), 0, clBlue), Drawn(u.get(), 0, clBlue));
}

TEST_F(ImgListTest, ADescriptionIncludesAPngSheetCutIntoCells) {
  // Three 2 x 3 images as a 4 x 6 sheet (two cells across, two down; the last cell is
  // the fourth image), the third with a transparent pixel.
  DecodedImage img;
  img.Width = 4;
  img.Height = 6;
  img.Pixels.assign(24, 0x00FFFFFF);
  img.HasAlpha = true;
  img.Alpha.assign(24, 255);
  img.Pixels[0] = 0x00FF0000;          // image 0 (0, 0) red
  img.Pixels[2] = 0x0000FF00;          // image 1 (0, 0) green
  img.Pixels[3 * 4 + 0] = 0x000000FF;  // image 2 (0, 0) blue
  img.Alpha[3 * 4 + 1] = 0;            // image 2 (1, 0) transparent
  EncodeResult png = EncodePng(img);
  ASSERT_TRUE(png.Ok);
  const std::string dir = std::filesystem::temp_directory_path() / ("tl_imglist_" + std::to_string(getpid()));
  std::filesystem::create_directories(dir + "/tiles");
  std::ofstream(dir + "/tiles/sheet.png", std::ios::binary)
      .write(reinterpret_cast<const char*>(png.Bytes.data()), std::streamsize(png.Bytes.size()));

  TFormTextOptions opt;
  opt.IncludeDir = dir;
  opt.AllowIncludes = true;
  Owned<TMemoryStream> bin(New<TMemoryStream>());
  ObjectTextToBinary(
      "object Sheet: TImageList\n  Height = 3\n  Width = 2\n  Bitmap = {include 'tiles/sheet.png'}\nend\n", *bin,
      opt);
  std::filesystem::remove_all(dir);
  bin->SetPosition(0);
  Owned<TImageList> l(New<TImageList>(nullptr));
  bin->ReadComponent(l.get());
  ASSERT_EQ(l->Count(), 4);
  EXPECT_EQ(Drawn(l.get(), 0, clBlack)[0], clRed);
  EXPECT_EQ(Drawn(l.get(), 2, clBlack)[0], clBlue);
  EXPECT_EQ(Drawn(l.get(), 2, clBlack)[1], clBlack);  // transparent
}

TEST_F(ImgListTest, BadBinaryDataIsRefusedAndTheListKept) {
  auto l = ListOfTwo();
  Owned<TMemoryStream> good(New<TMemoryStream>());
  l->WriteData(*good);
  const String data(reinterpret_cast<const char*>(good->Memory()), size_t(good->GetSize()));

  auto withByte = [&](size_t at, char v, size_t at2 = String::npos) {
    String d = data;
    d[at] = v;
    if (at2 != String::npos) d[at2] = v;
    return d;
  };
  DecodedImage tiny;
  tiny.Width = 3;
  tiny.Height = 3;
  tiny.Pixels.assign(9, 0);
  EncodeResult tinyPng = EncodePng(tiny);
  const std::vector<String> bad = {
      "",                                     // nothing at all
      data.substr(0, 10),                     // header cut short
      withByte(4, 2),                         // unknown version
      withByte(6, 0, 7),                      // width 0
      withByte(10, 9),                        // more images than the picture holds
      data.substr(0, data.size() - 30),       // PNG cut short
      String(tinyPng.Bytes.begin(), tinyPng.Bytes.end()),  // a bare PNG smaller than a cell
      data.substr(0, 6) + String("\x30\x75\x30\x75\0\0\0\0", 8),  // no images, but of 30000 x 30000
  };
  for (size_t i = 0; i < bad.size(); ++i) {
    Owned<TStringStream> in(New<TStringStream>(bad[i]));
    EXPECT_THROW(l->ReadData(*in), EReadError) << "case " << i;
    EXPECT_EQ(l->Count(), 2) << "case " << i;
  }
  Owned<TStringStream> ok(New<TStringStream>(data));
  l->ReadData(*ok);
  EXPECT_EQ(l->Count(), 2);
}

}  // namespace

namespace {

uint32_t Crc(const Byte* p, size_t n) {
  uint32_t c = 0xFFFFFFFFu;
  for (size_t i = 0; i < n; ++i) {
    c ^= p[i];
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
  }
  return ~c;
}

// Nine 5 x 4 images as a 15 x 12 sheet (three across, three down): each pixel a colour of
// its own, and with Alpha, in image i the pixel (i % 5, 1) transparent.
DecodedImage NineImages(bool Alpha = true) {
  DecodedImage img;
  img.Width = 15;
  img.Height = 12;
  img.HasAlpha = Alpha;
  for (Integer y = 0; y < 12; ++y)
    for (Integer x = 0; x < 15; ++x) img.Pixels.push_back(Pixel(0x101010 * (x % 8) + 0x0D0700 * y + 0x40));
  if (!Alpha) return img;
  img.Alpha.assign(img.Pixels.size(), 255);
  for (Integer i = 0; i < 9; ++i) img.Alpha[size_t((i / 3 * 4 + 1) * 15 + i % 3 * 5 + i % 5)] = 0;
  return img;
}

}  // namespace

TEST_F(ImgListTest, ImagesDecodedOneByOneWhenDrawnEqualTheWholeDecode) {
  // Without alpha the images are drawn opaque in every style, mask included.
  for (bool alpha : {false, true}) {
    SCOPED_TRACE(alpha ? "alpha" : "opaque");
    EncodeResult png = EncodePng(NineImages(alpha));
    ASSERT_TRUE(png.Ok);
    ImagesDecodedOneByOneCompare(png.Bytes, alpha);
  }
}

void ImgListTest::ImagesDecodedOneByOneCompare(const std::vector<Byte>& Png, bool Alpha) {
  const String bytes(Png.begin(), Png.end());
  auto read = [&] {
    auto l = List(5, 4);
    Owned<TStringStream> in(New<TStringStream>(bytes));
    l->ReadData(*in);
    return l;
  };
  auto lazy = read(), whole = read();
  whole->GetHandle();  // decodes every image at once
  ASSERT_EQ(lazy->Count(), 9);
  ASSERT_EQ(whole->Count(), 9);
  // Backwards and then skipping about: the reader restarts and skips rows as needed.
  for (Integer i : {8, 4, 3, 0, 7, 1, 6, 2, 5}) {
    EXPECT_EQ(Drawn(lazy.get(), i, clBlue), Drawn(whole.get(), i, clBlue)) << i;
    for (auto* l : {lazy.get(), whole.get()}) l->SetImageType(TImageType::itMask);
    EXPECT_EQ(Drawn(lazy.get(), i, clBlue), Drawn(whole.get(), i, clBlue)) << "mask " << i;
    for (auto* l : {lazy.get(), whole.get()}) l->SetImageType(TImageType::itImage);
    EXPECT_EQ(Drawn(lazy.get(), i, clBlue, false), Drawn(whole.get(), i, clBlue, false)) << "disabled " << i;
  }
  // Image 7 is cell (1, 2): its (0, 0) is the sheet's (5, 8), its (2, 1) transparent.
  const std::vector<TColor> seven = Drawn(lazy.get(), 7, clBlue);
  EXPECT_EQ(seven[0], TColor(RGB(0x50 + 0x68, 0x50 + 0x38, 0x50 + 0x40)));  // 0x101010 * 5 + 0x0D0700 * 8 + 0x40
  EXPECT_EQ(seven[1 * 5 + 2] == clBlue, Alpha);
  EXPECT_NE(seven[1 * 5 + 1], clBlue);
  // Given back, the decoded images come from the picture again when next drawn.
  lazy->ReleaseDecodedImages();
  ASSERT_EQ(lazy->Count(), 9);
  for (Integer i : {7, 0}) EXPECT_EQ(Drawn(lazy.get(), i, clBlue), Drawn(whole.get(), i, clBlue)) << "again " << i;

  // A copy shares the picture and decodes its own images; the handle realizes the rest.
  auto copy = List();
  copy->Assign(lazy.get());
  EXPECT_EQ(Drawn(copy.get(), 4, clLime), Drawn(whole.get(), 4, clLime));
  EXPECT_NE(copy->GetHandle(), nullptr);
  EXPECT_EQ(ImageList_GetImageCount(copy->GetHandle()), 9);
  for (Integer i = 0; i < 9; ++i) EXPECT_EQ(Drawn(copy.get(), i, clLime), Drawn(whole.get(), i, clLime)) << i;
}

TEST_F(ImgListTest, DamagedChunksFailAtLoadAndPixelDataThatDoesNotInflateWhenFirstDrawn) {
  EncodeResult png = EncodePng(NineImages());
  ASSERT_TRUE(png.Ok);
  std::vector<Byte> b = png.Bytes;
  size_t idat = 8;
  size_t n = 0;
  for (;;) {
    n = size_t(b[idat]) << 24 | size_t(b[idat + 1]) << 16 | size_t(b[idat + 2]) << 8 | b[idat + 3];
    if (std::memcmp(&b[idat + 4], "IDAT", 4) == 0) break;
    idat += 12 + n;
  }
  auto list = List(5, 4);
  auto load = [&](const std::vector<Byte>& data) {
    Owned<TStringStream> in(New<TStringStream>(String(data.begin(), data.end())));
    list->ReadData(*in);
  };
  std::vector<Byte> flipped = b;
  flipped[idat + 10] ^= 0x01;  // the CRC no longer matches
  EXPECT_THROW(load(flipped), EReadError);
  EXPECT_EQ(list->Count(), 0);

  // A deflate block of the reserved type, the CRC made right: only decoding finds it.
  b[idat + 8 + 2] = 0xFF;
  const uint32_t crc = Crc(&b[idat + 4], n + 4);
  for (int k = 0; k < 4; ++k) b[idat + 8 + n + size_t(k)] = Byte(crc >> (24 - 8 * k));
  load(b);
  EXPECT_EQ(list->Count(), 9);
  auto canvas = FilledBitmap(5, 4, clBlue);
  for (int attempt = 0; attempt < 2; ++attempt) {
    try {
      list->Draw(canvas->Canvas(), 0, 0, 3);
      ADD_FAILURE() << "no error";
    } catch (const EReadError& e) {
      EXPECT_EQ(String(e.Message()).rfind("Image list data is not valid: PNG: ", 0), 0u) << e.Message();
    }
  }
  EXPECT_EQ(At(canvas.get(), 0, 0), clBlue);
  EXPECT_THROW(list->GetHandle(), EReadError);
  list->Clear();
  EXPECT_EQ(list->Count(), 0);
}
