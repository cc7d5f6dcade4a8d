// Icons, JPEG images and metafiles: their codecs through the graphic classes, the
// clipboard's picture formats, file filters and the file dialogs.
#include "classlib/visual/Clipbrd.h"
#include "classlib/visual/ExtDlgs.h"
#include "classlib/visual/PictureGraphics.h"
#include "platform/gdi/PictureCodecs.h"
#include "tests/support/AppTest.h"

#include <cstdlib>

namespace {

class PictureGraphicsTest : public AppTest {};

DecodedImage TwoColourImage(Integer W, Integer H) {
  DecodedImage img;
  img.Width = W;
  img.Height = H;
  for (Integer y = 0; y < H; ++y)
    for (Integer x = 0; x < W; ++x) img.Pixels.push_back(x < W / 2 ? 0xFF0000 : 0x0000FF);
  return img;
}

Owned<TMemoryStream> StreamOf(const std::vector<uint8_t>& Bytes) {
  Owned<TMemoryStream> s(New<TMemoryStream>());
  if (!Bytes.empty()) s->WriteBuffer(Bytes.data(), Integer(Bytes.size()));
  s->SetPosition(0);
  return s;
}

std::vector<uint8_t> BytesOf(TGraphic* G) {
  Owned<TMemoryStream> s(New<TMemoryStream>());
  G->SaveToStream(*s);
  return std::vector<uint8_t>(s->Memory(), s->Memory() + s->GetSize());
}

bool Near(Pixel A, Pixel B, int Tolerance) {
  for (int shift = 0; shift < 24; shift += 8)
    if (std::abs(int((A >> shift) & 0xFF) - int((B >> shift) & 0xFF)) > Tolerance) return false;
  return true;
}

TEST_F(PictureGraphicsTest, JpegRoundTripKeepsSizeAndColoursAndRefusesBrokenOrHugeData) {
  EncodeResult e = EncodeJpeg(TwoColourImage(16, 8), 95);
  ASSERT_TRUE(e.Ok) << e.Error;
  Owned<TJPEGImage> j(New<TJPEGImage>());
  j->LoadFromStream(*StreamOf(e.Bytes));
  EXPECT_EQ(j->GetWidth(), 16);
  EXPECT_EQ(j->GetHeight(), 8);
  EXPECT_EQ(BytesOf(j.get()), e.Bytes);   // kept as read, not compressed again
  Owned<TBitmap> b(New<TBitmap>());
  b->Assign(j.get());
  ASSERT_EQ(b->GetWidth(), 16);
  DecodedImage back = ImageOfBitmap(b.get());
  EXPECT_TRUE(Near(back.Pixels[0], 0xFF0000, 12)) << std::hex << back.Pixels[0];
  EXPECT_TRUE(Near(back.Pixels[15], 0x0000FF, 12)) << std::hex << back.Pixels[15];

  // A header cut short raises and leaves the image as it was.
  std::vector<uint8_t> cut(e.Bytes.begin(), e.Bytes.begin() + 20);
  EXPECT_THROW(j->LoadFromStream(*StreamOf(cut)), EInvalidGraphic);
  EXPECT_EQ(j->GetWidth(), 16);
  // The frame header declares 8000 x 8000: refused before anything is decoded.
  std::vector<uint8_t> huge = e.Bytes;
  for (size_t i = 2; i + 9 < huge.size(); ++i)
    if (huge[i] == 0xFF && (huge[i + 1] == 0xC0 || huge[i + 1] == 0xC2)) {
      huge[i + 5] = 0x1F, huge[i + 6] = 0x40, huge[i + 7] = 0x1F, huge[i + 8] = 0x40;
      break;
    }
  DecodeResult r = DecodeJpeg(huge.data(), huge.size());
  EXPECT_FALSE(r.Ok);
  EXPECT_NE(r.Error.find("too large"), std::string::npos) << r.Error;

  // A bitmap assigned to a JPEG image is compressed at its quality.
  Owned<TBitmap> src(New<TBitmap>());
  BitmapFromImage(src.get(), TwoColourImage(8, 4));
  j->SetCompressionQuality(150);
  EXPECT_EQ(j->GetCompressionQuality(), 100);
  j->Assign(src.get());
  EXPECT_EQ(j->GetWidth(), 8);
  EXPECT_TRUE(DecodeJpeg(j->Data().data(), j->Data().size()).Ok);
}

TEST_F(PictureGraphicsTest, IconRoundTripKeepsAlphaAndReadsTheMaskOfPalettedImages) {
  DecodedImage img = TwoColourImage(3, 2);
  img.HasAlpha = true;
  img.Alpha = {255, 0, 255, 128, 255, 7};
  EncodeResult e = EncodeIcon(img);
  ASSERT_TRUE(e.Ok) << e.Error;
  Owned<TIcon> icon(New<TIcon>());
  icon->LoadFromStream(*StreamOf(e.Bytes));
  EXPECT_EQ(icon->Image().Pixels, img.Pixels);
  EXPECT_EQ(icon->Image().Alpha, img.Alpha);
  EXPECT_THROW(icon->SetWidth(4), EInvalidGraphicOperation);

  // A 2 x 2 one-bit icon: palette black, white; colour rows (bottom-up) 01 / 10, mask rows
  // (bottom-up) 00 / 01: the top right pixel is transparent.
  std::vector<uint8_t> f = {0, 0, 1, 0, 1, 0, 2, 2, 2, 0, 1, 0, 1, 0, 0, 0, 0, 0, 22, 0, 0, 0};
  const uint8_t dib[40] = {40, 0, 0, 0, 2, 0, 0, 0, 4, 0, 0, 0, 1, 0, 1, 0};
  f.insert(f.end(), dib, dib + 40);
  const uint8_t rest[] = {0, 0, 0, 0, 255, 255, 255, 0,      // palette
                          0x40, 0, 0, 0, 0x80, 0, 0, 0,      // colour rows, bottom row first
                          0x00, 0, 0, 0, 0x40, 0, 0, 0};     // mask rows, bottom row first
  f.insert(f.end(), rest, rest + sizeof rest);
  f[14] = uint8_t(f.size() - 22);
  DecodeResult r = DecodeIcon(f.data(), f.size());
  ASSERT_TRUE(r.Ok) << r.Error;
  EXPECT_EQ(r.Image.Pixels, (std::vector<Pixel>{0xFFFFFF, 0x000000, 0x000000, 0xFFFFFF}));
  EXPECT_EQ(r.Image.Alpha, (std::vector<uint8_t>{255, 0, 255, 255}));

  // The directory points past the end; the mask is cut short.
  std::vector<uint8_t> outside = f;
  outside[18] = 200;
  EXPECT_FALSE(DecodeIcon(outside.data(), outside.size()).Ok);
  std::vector<uint8_t> cut(f.begin(), f.end() - 4);
  cut[14] = uint8_t(cut.size() - 22);
  EXPECT_FALSE(DecodeIcon(cut.data(), cut.size()).Ok);
  EXPECT_THROW(icon->LoadFromStream(*StreamOf(cut)), EInvalidGraphic);
  EXPECT_EQ(icon->GetWidth(), 3);
}

TEST_F(PictureGraphicsTest, IconDrawsOnlyItsOpaquePixels) {
  DecodedImage img;
  img.Width = 2;
  img.Height = 1;
  img.Pixels = {0x00FF00, 0x00FF00};
  img.HasAlpha = true;
  img.Alpha = {255, 0};
  Owned<TIcon> icon(New<TIcon>());
  icon->SetImage(img);
  Owned<TBitmap> canvas(New<TBitmap>());
  canvas->SetSize(2, 1);
  canvas->Canvas()->Brush()->SetColor(clBlue);
  canvas->Canvas()->FillRect(Rect(0, 0, 2, 1));
  canvas->Canvas()->Draw(0, 0, icon.get());
  EXPECT_EQ(canvas->Canvas()->GetPixel(0, 0), TColor(0x00FF00));
  EXPECT_EQ(canvas->Canvas()->GetPixel(1, 0), clBlue);
}

TEST_F(PictureGraphicsTest, MetafileSizeComesFromItsHeader) {
  // Placeable: a box of 0..2880 by 0..720 at 1440 units an inch is 2 x 0.5 inches.
  std::vector<uint8_t> wmf = {0xD7, 0xCD, 0xC6, 0x9A, 0, 0, 0, 0, 0, 0, 0x40, 0x0B, 0xD0, 0x02, 0xA0, 0x05,
                              0, 0, 0, 0, 0, 0};
  Owned<TMetafile> m(New<TMetafile>());
  m->LoadFromStream(*StreamOf(wmf));
  EXPECT_EQ(m->GetWidth(), 192);
  EXPECT_EQ(m->GetHeight(), 48);
  EXPECT_FALSE(m->GetEnhanced());
  EXPECT_EQ(BytesOf(m.get()), wmf);
  // No units per inch, and bytes of neither kind.
  wmf[14] = wmf[15] = 0;
  EXPECT_THROW(m->LoadFromStream(*StreamOf(wmf)), EInvalidGraphic);
  EXPECT_THROW(m->LoadFromStream(*StreamOf({1, 2, 3})), EInvalidGraphic);
  EXPECT_EQ(m->GetWidth(), 192);
}

TEST_F(PictureGraphicsTest, MetafileDrawsItsRecordsIntoTheRectangleAndKeepsItsBytes) {
  // A box of 0..10 at 96 units an inch; one record: a 0..10 rectangle with the default pen and
  // a red brush (create, select), then the end.
  std::vector<uint8_t> wmf = {0xD7, 0xCD, 0xC6, 0x9A, 0, 0, 0, 0, 0, 0, 10, 0, 10, 0, 96, 0, 0, 0, 0, 0, 0, 0,
                              1, 0, 9, 0, 0, 3, 30, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0,
                              7, 0, 0, 0, 0xFC, 2, 0, 0, 0xFF, 0, 0, 0, 0, 0,   // solid brush, red
                              4, 0, 0, 0, 0x2D, 1, 0, 0,                        // select it
                              7, 0, 0, 0, 0x1B, 4, 10, 0, 10, 0, 0, 0, 0, 0,    // rectangle
                              3, 0, 0, 0, 0, 0};
  Owned<TMetafile> m(New<TMetafile>());
  m->LoadFromStream(*StreamOf(wmf));
  EXPECT_EQ(m->GetWidth(), 10);
  Owned<TBitmap> canvas(New<TBitmap>());
  canvas->SetSize(24, 24);
  canvas->Canvas()->Brush()->SetColor(clWhite);
  canvas->Canvas()->FillRect(Rect(0, 0, 24, 24));
  canvas->Canvas()->StretchDraw(Rect(2, 2, 22, 22), m.get());   // twice its size
  EXPECT_EQ(canvas->Canvas()->GetPixel(2, 2), clBlack);
  EXPECT_EQ(canvas->Canvas()->GetPixel(12, 12), clRed);
  EXPECT_EQ(canvas->Canvas()->GetPixel(21, 12), clBlack);
  EXPECT_EQ(canvas->Canvas()->GetPixel(22, 12), clWhite);
  EXPECT_EQ(BytesOf(m.get()), wmf);
  // What the records leave undrawn shows through, whatever is asked.
  m->SetTransparent(false);
  EXPECT_TRUE(m->GetTransparent());
  // A record that claims more than the file holds: refused, and the picture stays.
  std::vector<uint8_t> lying = wmf;
  lying[22 + 18 + 14 + 8] = 0x70;
  EXPECT_THROW(m->LoadFromStream(*StreamOf(lying)), EInvalidGraphic);
  EXPECT_EQ(BytesOf(m.get()), wmf);
}

TEST_F(PictureGraphicsTest, EnhancedMetafileTakesItsSizeFromItsFrameAndDrawsStretched) {
  // A frame of 0..264.59 mm square (1000 pixels at 96 an inch) on a one-pixel-a-millimetre
  // device; one record: a rectangle over the frame's first tenth with the default pen and
  // the stock black brush.
  std::vector<uint32_t> words = {1, 88, 0, 0, 99, 99, 0, 0, 26459, 26459, 0x464D4520, 0x10000, 0, 0, 1,
                                 0, 0, 0, 1000, 1000, 1000, 1000,
                                 37, 12, 0x80000004,                    // select the black brush
                                 43, 24, 0, 0, 26, 26,                  // rectangle
                                 14, 20, 0, 16, 20};                    // end of file
  words[12] = uint32_t(words.size() * 4);
  words[13] = 3;
  std::vector<uint8_t> emf;
  for (uint32_t w : words)
    for (int i = 0; i < 4; ++i) emf.push_back(uint8_t(w >> (8 * i)));
  Owned<TMetafile> m(New<TMetafile>());
  m->LoadFromStream(*StreamOf(emf));
  EXPECT_TRUE(m->GetEnhanced());
  EXPECT_EQ(m->GetWidth(), 1000);
  Owned<TBitmap> canvas(New<TBitmap>());
  canvas->SetSize(40, 40);
  canvas->Canvas()->Brush()->SetColor(clWhite);
  canvas->Canvas()->FillRect(Rect(0, 0, 40, 40));
  // 264.59 mm of frame into 40 pixels: the 26-pixel rectangle comes out about 4 wide.
  canvas->Canvas()->StretchDraw(Rect(0, 0, 40, 40), m.get());
  EXPECT_EQ(canvas->Canvas()->GetPixel(1, 1), clBlack);
  EXPECT_EQ(canvas->Canvas()->GetPixel(3, 3), clBlack);
  EXPECT_EQ(canvas->Canvas()->GetPixel(6, 6), clWhite);
  EXPECT_EQ(BytesOf(m.get()), emf);
  // The declared size past the end: refused.
  std::vector<uint8_t> lying = emf;
  lying[48] = 0xF0;
  EXPECT_THROW(m->LoadFromStream(*StreamOf(lying)), EInvalidGraphic);
}

TEST_F(PictureGraphicsTest, ClipboardCarriesEachKindInItsFormat) {
  Owned<TPicture> p(New<TPicture>());
  Owned<TPicture> back(New<TPicture>());
  // A bitmap goes as CF_BITMAP only.
  Owned<TBitmap> b(New<TBitmap>());
  BitmapFromImage(b.get(), TwoColourImage(4, 2));
  p->SetGraphic(b.get());
  Clipboard->Assign(p.get());
  EXPECT_TRUE(Clipboard->HasFormat(CF_BITMAP));
  EXPECT_FALSE(Clipboard->HasFormat(CF_PICTURE));
  back->Assign(Clipboard);
  ASSERT_NE(dynamic_cast<TBitmap*>(back->GetGraphic()), nullptr);
  EXPECT_EQ(ImageOfBitmap(back->GetBitmap()).Pixels, TwoColourImage(4, 2).Pixels);

  // An icon goes as a picture of its class, with a bitmap rendering beside it.
  DecodedImage img = TwoColourImage(2, 2);
  img.HasAlpha = true;
  img.Alpha = {255, 0, 255, 255};
  Owned<TIcon> icon(New<TIcon>());
  icon->SetImage(img);
  Clipboard->Assign(icon.get());
  EXPECT_TRUE(Clipboard->HasFormat(CF_PICTURE));
  EXPECT_TRUE(Clipboard->HasFormat(CF_BITMAP));
  back->Assign(Clipboard);
  auto* i = dynamic_cast<TIcon*>(back->GetGraphic());
  ASSERT_NE(i, nullptr);
  EXPECT_EQ(i->Image().Alpha, img.Alpha);

  // A metafile as CF_METAFILEPICT.
  Owned<TMetafile> m(New<TMetafile>());
  m->LoadFromStream(*StreamOf({0xD7, 0xCD, 0xC6, 0x9A, 0, 0, 0, 0, 0, 0, 96, 0, 96, 0, 96, 0, 0, 0, 0, 0, 0, 0}));
  Clipboard->Assign(m.get());
  EXPECT_TRUE(Clipboard->HasFormat(CF_METAFILEPICT));
  back->Assign(Clipboard);
  ASSERT_NE(dynamic_cast<TMetafile*>(back->GetGraphic()), nullptr);
  EXPECT_EQ(back->GetWidth(), 96);

  // Text only: no picture to take, and the picture stays.
  Clipboard->SetAsText("x");
  EXPECT_THROW(back->Assign(Clipboard), EInvalidGraphic);
  EXPECT_NE(back->GetGraphic(), nullptr);
}

TEST_F(PictureGraphicsTest, FiltersListTheFormatsOfAClassAndItsDescendants) {
  EXPECT_EQ(GraphicFilter(ClassOf<TBitmap, TGraphic>()),
            "All (*.bmp;*.png)|*.bmp;*.png|Bitmaps (*.bmp)|*.bmp|Portable network graphics (*.png)|*.png");
  EXPECT_EQ(GraphicExtension(ClassOf<TJPEGImage, TGraphic>()), "jpg");
  EXPECT_EQ(GraphicFileMask(AnyGraphicClass()), "*.bmp;*.png;*.ico;*.jpg;*.jpeg;*.emf;*.wmf");
  EXPECT_EQ(GraphicClassByName("tjpegimage"), (ClassOf<TJPEGImage, TGraphic>()));
}

TEST_F(PictureGraphicsTest, DialogsAnswerThroughTheExecutor) {
  Owned<TSavePictureDialog> save(New<TSavePictureDialog>(nullptr));
  // None installed: the dialog's own window, cancelled here.
  host().WhenIdle([&] { host().Key(VK_ESCAPE); });
  EXPECT_FALSE(save->Execute());
  save->DefaultExt = "bmp";
  String seenFilter;
  TFileDialogExecutor old = SetFileDialogExecutor([&](TOpenDialog& d) {
    seenFilter = d.Filter;
    d.FileName = "/tmp/a";
    return true;
  });
  EXPECT_TRUE(save->Execute());
  EXPECT_EQ(save->FileName, "/tmp/a.bmp");
  EXPECT_EQ(seenFilter, GraphicFilter(AnyGraphicClass()));
  Owned<TOpenPictureDialog> open(New<TOpenPictureDialog>(nullptr));
  open->DefaultExt = "bmp";
  EXPECT_TRUE(open->Execute());
  EXPECT_EQ(open->FileName, "/tmp/a");
  SetFileDialogExecutor([](TOpenDialog&) { return false; });
  EXPECT_FALSE(open->Execute());
  SetFileDialogExecutor(old);
}

}  // namespace
