// Bitmaps: resizing, pixel formats, scan lines, transparency, drawing into canvases,
// assignment, masks, and loading and saving through streams, files and resources.
#include "platform/gdi/Codecs.h"
#include "platform/kernel/Resources.h"
#include "tests/classlib/visual/GraphicsFixture.h"
#include "tests/support/MemoryLimit.h"

#include <cstdio>
#include <filesystem>
#include <unistd.h>

namespace {

class BitmapTest : public GraphicsFixture {};

Pixel* Row(TBitmap* b, Integer y) { return reinterpret_cast<Pixel*>(b->ScanLine(y)); }

TEST_F(BitmapTest, ResizingKeepsThePictureAtTheTopLeftAndWhitensNewArea) {
  auto b = FilledBitmap(4, 3, clRed);
  b->Canvas()->SetPixel(3, 2, clBlue);
  b->SetWidth(6);
  ExpectPixels(b.get(), {{3, 2, clBlue}, {4, 0, clWhite}});
  b->SetSize(2, 2);
  EXPECT_EQ(At(b.get(), 1, 1), clRed);

  // Height 0 empties the bitmap; growing again starts white.
  b->SetHeight(0);
  EXPECT_TRUE(b->Empty());
  b->SetHeight(2);
  EXPECT_EQ(At(b.get(), 0, 0), clWhite);

  b->SetSize(-5, 3);  // negative sizes count as 0
  EXPECT_TRUE(b->Empty());
  EXPECT_THROW(b->SetSize(1 << 20, 1 << 20), EOutOfResources);
  b->SetMonochrome(true);
  EXPECT_THROW(b->SetSize(1 << 20, 1 << 20), EOutOfResources);   // refused before the bits are allocated
}

TEST_F(BitmapTest, AnImageThatDoesNotFitInMemoryRaisesTheLibrarysError) {
  if (!MemoryLimitAvailable()) GTEST_SKIP() << "no address-space limit under the address sanitizer";
  // A 4096 x 4096 run-length file of 62 bytes: within the pixel limit, 64 MB once decoded.
  std::vector<Byte> f(62, 0);
  auto put = [&](size_t at, uint32_t v, int n) {
    for (int i = 0; i < n; ++i) f[at + size_t(i)] = Byte(v >> (8 * i));
  };
  f[0] = 'B', f[1] = 'M';
  put(2, 62, 4), put(10, 58, 4), put(14, 40, 4), put(18, 4096, 4), put(22, 4096, 4), put(26, 1, 2);
  put(28, 8, 2), put(30, 1, 4), put(46, 1, 4), put(58, 0x00010000, 4);
  const int code = RunUnderMemoryLimit(16 << 20, [&] {
    Owned<TMemoryStream> m(New<TMemoryStream>());
    m->WriteBuffer(f.data(), Integer(f.size()));
    m->SetPosition(0);
    Owned<TBitmap> b(New<TBitmap>());
    try {
      b->LoadFromStream(*m);
    } catch (const EOutOfResources& e) {
      return e.Message() == "Out of system resources" && b->Empty() ? 0 : 2;
    }
    return 1;
  });
  EXPECT_EQ(code, 0);
}

TEST_F(BitmapTest, ScanLinesShareThePixelsWithTheCanvas) {
  auto b = FilledBitmap(3, 2, clWhite);
  b->Canvas()->SetPixel(2, 1, TColor(RGB(0x11, 0x22, 0x33)));
  EXPECT_EQ(Row(b.get(), 1)[2] & 0xFFFFFF, 0x112233u);  // B, G, R bytes: 0x00RRGGBB
  Row(b.get(), 0)[1] = 0x00AABBCC;
  EXPECT_EQ(At(b.get(), 1, 0), TColor(RGB(0xAA, 0xBB, 0xCC)));
  EXPECT_THROW(b->ScanLine(2), EInvalidGraphicOperation);
}

TEST_F(BitmapTest, OneBitFormatMakesEveryPixelBlackOrWhiteWhicheverIsNearer) {
  auto b = FilledBitmap(4, 1, clWhite);
  b->Canvas()->SetPixel(0, 0, TColor(0x404040));
  b->Canvas()->SetPixel(1, 0, TColor(0xC0C0C0));
  b->Canvas()->SetPixel(2, 0, TColor(0x7F7F7F));
  b->Canvas()->SetPixel(3, 0, TColor(0x808080));
  b->SetPixelFormat(TPixelFormat::pf1bit);
  ExpectPixels(b.get(), {{0, 0, clBlack}, {1, 0, clWhite}, {2, 0, clBlack}, {3, 0, clWhite}});
  EXPECT_THROW(b->ScanLine(0), EInvalidGraphicOperation);
  // Drawing in colour on a monochrome bitmap still gives black or white.
  b->Canvas()->SetPixel(1, 0, clNavy);
  EXPECT_EQ(At(b.get(), 1, 0), clBlack);
}

TEST_F(BitmapTest, TransparentColourIsTheBottomLeftPixelUntilFixed) {
  auto b = FilledBitmap(3, 3, clWhite);
  b->Canvas()->SetPixel(0, 2, clFuchsia);
  EXPECT_EQ(b->GetTransparentColor(), clFuchsia);
  b->Canvas()->SetPixel(0, 2, clGreen);
  EXPECT_EQ(b->GetTransparentColor(), clGreen);  // follows the picture
  b->SetTransparentColor(clRed);
  b->SetTransparentColor(clDefault);
  EXPECT_EQ(b->GetTransparentColor(), clGreen);
  b->SetTransparentMode(TTransparentMode::tmFixed);  // fixes the current colour
  b->Canvas()->SetPixel(0, 2, clBlue);
  EXPECT_EQ(b->GetTransparentColor(), clGreen);
}

TEST_F(BitmapTest, DrawCopiesOrLeavesTheTransparentColourOut) {
  auto sprite = FilledBitmap(3, 2, clFuchsia);
  sprite->Canvas()->SetPixel(1, 0, clRed);
  sprite->Canvas()->SetPixel(2, 1, clBlack);
  auto dst = FilledBitmap(6, 4, clBlue);
  dst->Canvas()->Draw(1, 1, sprite.get());
  ExpectPixels(dst.get(), {{1, 1, clFuchsia}, {2, 1, clRed}});

  sprite->SetTransparent(true);
  auto dst2 = FilledBitmap(6, 4, clBlue);
  dst2->Canvas()->Draw(1, 1, sprite.get());
  // (1, 1) the transparent colour shows the background.
  ExpectPixels(dst2.get(), {{1, 1, clBlue}, {3, 2, clBlack}});

  auto dst3 = FilledBitmap(8, 4, clWhite);
  sprite->SetTransparent(false);
  dst3->Canvas()->StretchDraw(Rect(0, 0, 6, 2), sprite.get());
  ExpectPixels(dst3.get(), {{3, 0, clRed}, {5, 1, clBlack}, {6, 0, clWhite}});

  Owned<TBitmap> empty(New<TBitmap>());
  dst3->Canvas()->Draw(0, 0, empty.get());  // nothing to draw
  dst3->Canvas()->Draw(0, 0, nullptr);
  EXPECT_EQ(At(dst3.get(), 0, 0), clFuchsia);
}

TEST_F(BitmapTest, AssignCopiesPixelsAndSettingsIntoAnIndependentBitmap) {
  auto a = FilledBitmap(3, 2, clYellow);
  a->SetTransparentColor(clYellow);
  a->SetTransparent(true);
  Owned<TBitmap> b(New<TBitmap>());
  b->Assign(a.get());
  EXPECT_EQ(At(b.get(), 2, 1), clYellow);
  EXPECT_EQ(b->GetTransparentColor(), clYellow);
  a->Canvas()->SetPixel(0, 0, clRed);
  EXPECT_EQ(At(b.get(), 0, 0), clYellow);
  Owned<TFont> f(New<TFont>());
  EXPECT_THROW(b->Assign(f.get()), EConvertError);
}

TEST_F(BitmapTest, TheCanvasKeepsItsDeviceContextAndItsOriginWhileTheImageStays) {
  auto a = FilledBitmap(4, 1, clRed);
  Row(a.get(), 0)[2] = 0x0000FF;   // blue at x = 2
  HDC dc = a->Canvas()->GetHandle();
  ASSERT_TRUE(SetWindowOrgEx(dc, -2, 0, nullptr));
  // Reading the image elsewhere, drawing it and copying it leave the canvas alone.
  Owned<TBitmap> copy(New<TBitmap>());
  copy->Assign(a.get());
  auto dst = FilledBitmap(6, 1, clWhite);
  dst->Canvas()->Draw(0, 0, a.get());
  EXPECT_EQ(a->Canvas()->GetHandle(), dc);
  POINT org{};
  GetWindowOrgEx(dc, &org);
  EXPECT_EQ(org.X, -2);
  dst->Canvas()->CopyRect(Rect(5, 0, 6, 1), a->Canvas(), Rect(0, 0, 1, 1));
  EXPECT_EQ(At(dst.get(), 5, 0), clBlue) << "logical 0 is pixel 2 of the image";
  // The copy and the drawing take the whole image, whatever the source's origin.
  EXPECT_EQ(At(copy.get(), 2, 0), clBlue);
  EXPECT_EQ(At(dst.get(), 2, 0), clBlue);
}

TEST_F(BitmapTest, MaskIsWhiteExactlyWhereTheColourWas) {
  auto b = FilledBitmap(3, 1, clRed);
  b->Canvas()->SetPixel(1, 0, TColor(0x0000FE));
  b->Mask(clRed);
  EXPECT_TRUE(b->GetMonochrome());
  ExpectPixels(b.get(), {{0, 0, clWhite}, {1, 0, clBlack}, {2, 0, clWhite}});
  // A monochrome bitmap masked on black is inverted; on white it stays.
  b->Mask(clWhite);
  EXPECT_EQ(At(b.get(), 1, 0), clBlack);
  b->Mask(clBlack);
  EXPECT_EQ(At(b.get(), 0, 0), clBlack);
  EXPECT_EQ(At(b.get(), 1, 0), clWhite);
}

TEST_F(BitmapTest, HandlesAreAdoptedAndReleased) {
  HBITMAP h = CreateBitmap(5, 4, 1, 32, nullptr);
  Owned<TBitmap> b(New<TBitmap>());
  GfxChangeCounter changes;
  b->OnChange = changes.Event();
  b->SetHandle(h);
  EXPECT_EQ(changes.Count, 1);
  EXPECT_EQ(b->GetWidth(), 5);
  HBITMAP mine = b->ReleaseHandle();
  EXPECT_TRUE(b->Empty());
  DeleteObject(mine);
  HBITMAP mono = CreateBitmap(8, 2, 1, 1, nullptr);
  b->SetHandle(mono);
  EXPECT_TRUE(b->GetMonochrome());
  HPEN pen = CreatePen(PS_SOLID, 1, 0);  // not a bitmap
  EXPECT_THROW(b->SetHandle(static_cast<HBITMAP>(static_cast<HGDIOBJ>(pen))), EInvalidGraphic);
  EXPECT_EQ(b->GetHandle(), mono);
  DeleteObject(pen);
}

TEST_F(BitmapTest, BmpStreamsRoundTripInEachFormat) {
  for (TPixelFormat pf : {TPixelFormat::pf24bit, TPixelFormat::pf32bit, TPixelFormat::pf1bit}) {
    auto a = FilledBitmap(13, 5, clWhite);
    a->Canvas()->SetPixel(0, 0, clBlack);
    a->Canvas()->SetPixel(12, 4, pf == TPixelFormat::pf1bit ? clBlack : TColor(0x123456));
    a->Canvas()->SetPixel(6, 2, pf == TPixelFormat::pf1bit ? clBlack : clRed);
    a->SetPixelFormat(pf);
    Owned<TMemoryStream> s(New<TMemoryStream>());
    a->SaveToStream(*s);
    ASSERT_GT(s->GetSize(), 54);
    s->SetPosition(0);
    Owned<TBitmap> b(New<TBitmap>());
    b->LoadFromStream(*s);
    EXPECT_EQ(b->GetPixelFormat(), pf);
    ASSERT_EQ(b->GetWidth(), 13);
    ASSERT_EQ(b->GetHeight(), 5);
    for (Integer y = 0; y < 5; ++y)
      for (Integer x = 0; x < 13; ++x) ASSERT_EQ(At(b.get(), x, y), At(a.get(), x, y)) << x << "," << y;
  }
}

TEST_F(BitmapTest, PngLoadsAndBadDataIsRefusedWithoutLosingThePicture) {
  DecodedImage img;
  img.Width = 2;
  img.Height = 1;
  img.Pixels = {0x00FF0000, 0x0000FF00};
  EncodeResult png = EncodePng(img);
  ASSERT_TRUE(png.Ok);
  Owned<TMemoryStream> s(New<TMemoryStream>());
  s->WriteBuffer(png.Bytes.data(), Integer(png.Bytes.size()));
  s->SetPosition(0);
  auto b = FilledBitmap(1, 1, clBlue);
  b->LoadFromStream(*s);
  EXPECT_EQ(At(b.get(), 0, 0), clRed);
  EXPECT_EQ(At(b.get(), 1, 0), clLime);

  for (const String& bad : {String("BM\x10\x00garbage", 11), String("not an image"), String(png.Bytes.begin(), png.Bytes.begin() + 20)}) {
    Owned<TStringStream> in(New<TStringStream>(bad));
    EXPECT_THROW(b->LoadFromStream(*in), EInvalidGraphic);
    EXPECT_EQ(b->GetWidth(), 2);
    EXPECT_EQ(At(b.get(), 1, 0), clLime);
  }
  // An empty stream gives an empty bitmap, as an empty bitmap saves nothing.
  Owned<TMemoryStream> none(New<TMemoryStream>());
  Owned<TBitmap> e(New<TBitmap>());
  e->SaveToStream(*none);
  EXPECT_EQ(none->GetSize(), 0);
  none->SetPosition(0);
  b->LoadFromStream(*none);
  EXPECT_TRUE(b->Empty());
}

TEST_F(BitmapTest, BitmapResourcesLoadByNameAndId) {
  DecodedImage img;
  img.Width = 1;
  img.Height = 2;
  img.Pixels = {0x000000FF, 0x00FFFFFF};
  static std::vector<uint8_t> png;
  png = EncodePng(img).Bytes;
  static ResourceItem items[2];
  items[0] = {2, 0, "GFX_TEST_BITMAP", png.data(), png.size(), 0, 0};
  items[1] = {2, 4711, nullptr, png.data(), png.size(), 0, 0};
  RegisterResourceTable({"graphics-test", items, 2});
  Owned<TBitmap> b(New<TBitmap>());
  b->LoadFromResourceName(nullptr, "GFX_TEST_BITMAP");
  EXPECT_EQ(At(b.get(), 0, 0), clBlue);
  Owned<TBitmap> c(New<TBitmap>());
  c->LoadFromResourceID(nullptr, 4711);
  EXPECT_EQ(At(c.get(), 0, 1), clWhite);
  EXPECT_THROW(c->LoadFromResourceName(nullptr, "GFX_NO_SUCH_BITMAP"), EResNotFound);
  UnregisterResourceTable("graphics-test");
}

}  // namespace
