// The image editor: picture bytes and the edit value, the layout of the picture, scrolling,
// the clipboard commands and their menu, the stream entry of an empty graphic class, and
// cells that paint through the picture cache.
#include "widgets/special/cxImage.h"

#include "classlib/core/Filer.h"
#include "classlib/visual/Clipbrd.h"
#include "classlib/visual/ExtDlgs.h"
#include "classlib/visual/Forms.h"
#include "platform/gdi/PictureCodecs.h"
#include "tests/foundation/GalleryFile.h"
#include "tests/support/AppTest.h"
#include "widgets/editcore/EditcoreUnits.h"
#include "widgets/editors/EditorsUnits.h"
#include "widgets/foundation/FoundationUnits.h"
#include "widgets/foundation/cxControls.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

DecodedImage Solid(Integer W, Integer H, Pixel P) {
  DecodedImage img;
  img.Width = W;
  img.Height = H;
  img.Pixels.assign(size_t(W) * size_t(H), P);
  return img;
}

String BmpBytes(Integer W, Integer H, Pixel P = 0x00FF00) {
  EncodeResult e = EncodeBmp(Solid(W, H, P));
  return String(e.Bytes.begin(), e.Bytes.end());
}

// A placeable metafile of 100 x 60 units at 96 an inch: a green rectangle, a red ellipse
// with a blue outline over it, written record by record (16-bit words).
String MetafileBytes() {
  std::vector<uint16_t> rec = {
      7, 0, 0x02FC, 0, 0xFF00 >> 8 << 8, 0, 0,        // brush 0: solid green (0x00FF00)
      7, 0, 0x02FC, 0, 0x00FF, 0, 0,                  // brush 1: solid red
      8, 0, 0x02FA, 0, 3, 0, 0, 0xFF,                 // pen 2: blue, 3 wide
      4, 0, 0x012D, 0,                                // select the green brush
      7, 0, 0x041B, 50, 90, 10, 10,                   // rectangle 10,10 .. 90,50
      4, 0, 0x012D, 1,                                // the red brush
      4, 0, 0x012D, 2,                                // the blue pen
      7, 0, 0x0418, 56, 70, 4, 30,                    // ellipse 30,4 .. 70,56
      3, 0, 0};                                       // end of file
  rec[4] = 0xFF00;
  rec[5] = 0;
  rec[11] = 0x00FF;
  rec[12] = 0;
  std::vector<uint16_t> words = {0xCDD7, 0x9AC6, 0, 0, 0, 100, 60, 96, 0, 0, 0,
                                 1, 9, 0x300, uint16_t(9 + rec.size()), 0, 3, 0, 0, 0};
  words.insert(words.end(), rec.begin(), rec.end());
  String bytes;
  for (uint16_t w : words) {
    bytes.push_back(char(w & 0xFF));
    bytes.push_back(char(w >> 8));
  }
  return bytes;
}

String WithHeader(const String& Bytes) {
  const uint32_t n = uint32_t(Bytes.size());
  String h = {1, 0, 0, 1, char(n), char(n >> 8), char(n >> 16), char(n >> 24)};
  return h + Bytes;
}

// A graphic class outside the registered ones.
class TOwnGraphic : public TBitmap {
  TL_CLASS(TOwnGraphic, TBitmap)
 public:
  using TBitmap::TBitmap;
};

// A binding that frees its editor when the value is posted, as a data-aware one writing its
// field may run a data set's handlers that do.
class TFreeingBinding : public TcxEditDataBinding {
  TL_CLASS(TFreeingBinding, TcxEditDataBinding)
 public:
  using TcxEditDataBinding::TcxEditDataBinding;
  void UpdateDataValue() override {
    ++Posts;
    if (TObject* v = std::exchange(Victim, nullptr)) v->Free();
  }
  static inline TObject* Victim = nullptr;
  static inline int Posts = 0;
};

class TFreeingImage : public TcxImage {
  TL_CLASS(TFreeingImage, TcxImage)
 public:
  using TcxImage::TcxImage;

 protected:
  TcxEditDataBindingClass GetDataBindingClass() const override {
    return ClassOf<TFreeingBinding, TcxEditDataBinding, TcxCustomEdit*>();
  }
};

}  // namespace

TL_DEFINE_CLASS(TOwnGraphic)
TL_DEFINE_CLASS(TFreeingBinding)
TL_DEFINE_CLASS(TFreeingImage)

namespace {

class ImageTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    WidgetsFoundationInitialize();
    WidgetsEditcoreInitialize();
    WidgetsEditorsInitialize();
    cxControls::Initialize();
    cxImage::Initialize();
    form = TCustomForm::CreateNew(nullptr);
    form->SetBounds(40, 40, 400, 300);
    form->Show();
    host().PumpUntilIdle();
  }
  void TearDown() override {
    form->Free();
    host().PumpUntilIdle();
    cxImage::Finalize();
    cxControls::Finalize();
    WidgetsEditorsFinalize();
    WidgetsEditcoreFinalize();
    WidgetsFoundationFinalize();
    AppTest::TearDown();
  }
  TcxImage* Add() {
    auto* m = New<TcxImage>(form);
    m->SetParent(form);
    host().PumpUntilIdle();
    return m;
  }
  static bool Enabled(TPopupMenu* M, TcxPopupMenuItem I) { return M->Items()->Items(Index(I))->GetEnabled(); }
  static Integer Index(TcxPopupMenuItem I) { return Ord(I) < 4 ? Ord(I) : Ord(I) < 6 ? Ord(I) + 1 : 8; }
  TCustomForm* form = nullptr;
};

TEST_F(ImageTest, BytesAfterAHeaderLoadTheSamePictureAndAnEmptyPictureIsNull) {
  TcxImage* m = Add();
  const String bytes = BmpBytes(3, 2);
  EXPECT_TRUE(cxHasGraphicHeader(WithHeader(bytes)));
  EXPECT_FALSE(cxHasGraphicHeader(WithHeader(bytes) + "x"));   // size field must match
  m->SetEditValue(Variant(WithHeader(bytes)));
  ASSERT_EQ(m->GetPicture()->GetWidth(), 3);
  const String saved = m->GetEditValue().AsString();
  EXPECT_EQ(saved, bytes);   // saved without the header
  m->SetEditValue(Variant(bytes));
  EXPECT_EQ(m->GetEditValue().AsString(), saved);
  m->SetEditValue(Variant(String()));
  EXPECT_EQ(m->GetEditValue().VType(), varNull);
  m->SetEditValue(Variant(42));
  EXPECT_EQ(m->GetPicture()->GetGraphic(), nullptr);
  EXPECT_EQ(m->GetEditValue().VType(), varNull);
}

TEST_F(ImageTest, BrokenBytesShowNoPictureButStayTheValueUntilThePictureChanges) {
  TcxImage* m = Add();
  const String broken = String("BM\x10\x00\x00\x00garbage\0bytes", 20);
  m->SetEditValue(Variant(broken));
  EXPECT_EQ(m->GetPicture()->GetGraphic(), nullptr);
  EXPECT_EQ(m->GetEditValue().AsString(), broken);   // NULs and all
  m->Repaint();                                        // paints the caption, raises nothing
  m->GetPicture()->Assign(nullptr);
  Owned<TBitmap> b(New<TBitmap>());
  b->SetSize(2, 2);
  m->GetPicture()->SetGraphic(b.get());
  EXPECT_NE(m->GetEditValue().AsString(), broken);
  // Loading through code reports the fault.
  Owned<TPicture> p(New<TPicture>());
  EXPECT_THROW(LoadPicture(p.get(), ClassOf<TBitmap, TGraphic>(), Variant(broken)), Exception);
}

TEST_F(ImageTest, StretchFitsInProportionAndCenterMovesIntoTheMiddle) {
  const TRect C{0, 0, 300, 300};
  EXPECT_EQ(cxImageCalcPictureRect(C, 100, 50, true, false, {}), (TRect{0, 0, 300, 150}));
  EXPECT_EQ(cxImageCalcPictureRect(C, 100, 50, true, true, {}), (TRect{0, 75, 300, 225}));
  EXPECT_EQ(cxImageCalcPictureRect(C, 50, 100, true, false, {}), (TRect{0, 0, 150, 300}));
  // Natural size, moved back by the scroll offset only when not centred.
  EXPECT_EQ(cxImageCalcPictureRect(C, 400, 20, false, false, {16, 0}), (TRect{-16, 0, 384, 20}));
  EXPECT_EQ(cxImageCalcPictureRect(C, 100, 20, false, true, {16, 0}), (TRect{100, 140, 200, 160}));
  // No area: nothing to place, nothing divided by zero.
  EXPECT_EQ(cxImageCalcPictureRect(C, 0, 50, true, true, {}), (TRect{0, 0, 0, 0}));
  // Products past 32 bits.
  EXPECT_EQ(cxImageCalcPictureRect(TRect{0, 0, 60000, 60000}, 50000, 40000, true, false, {}),
            (TRect{0, 0, 60000, 48000}));
}

TEST_F(ImageTest, ScrollingMovesByLinesAndStopsAtTheFarEdge) {
  TcxImage* m = Add();
  m->GetProperties()->SetCenter(false);
  m->SetBounds(0, 0, 140, 100);
  m->SetEditValue(Variant(BmpBytes(200, 50)));
  host().PumpUntilIdle();
  const TRect C = m->ImageViewInfo()->ClientRect;
  ASSERT_GT(C.Width(), 0);
  Integer pos = 0;
  m->Scroll(TScrollBarKind::sbHorizontal, TScrollCode::scLineDown, pos);
  EXPECT_EQ(pos, 8);
  m->Scroll(TScrollBarKind::sbHorizontal, TScrollCode::scBottom, pos);
  EXPECT_EQ(pos, 200 - C.Width());
  m->Scroll(TScrollBarKind::sbHorizontal, TScrollCode::scLineDown, pos);
  EXPECT_EQ(pos, 200 - C.Width());
  // The picture is shorter than the client: the limit is 0, never below.
  m->Scroll(TScrollBarKind::sbVertical, TScrollCode::scLineDown, pos);
  EXPECT_EQ(pos, 0);
  m->Scroll(TScrollBarKind::sbVertical, TScrollCode::scLineUp, pos);
  EXPECT_EQ(pos, 0);
  m->Scroll(TScrollBarKind::sbHorizontal, TScrollCode::scTop, pos);
  m->Scroll(TScrollBarKind::sbHorizontal, TScrollCode::scLineDown, pos);
  EXPECT_EQ(m->ScrollPos(), (TPoint{8, 0}));
  TcxImageViewInfo* vi = m->ImageViewInfo();
  EXPECT_FALSE(vi->Center);
  EXPECT_EQ(vi->PictureRect().Left, C.Left + (vi->ShowFocusRect ? 1 : 0) - 8);
}

TEST_F(ImageTest, MenuEnablingFollowsThePictureTheClipboardAndReadOnly) {
  using enum TcxPopupMenuItem;
  TcxImage* m = Add();
  Clipboard->SetAsText("text");
  TPopupMenu* menu = m->PreparePopupMenu();
  EXPECT_FALSE(Enabled(menu, pmiCut));
  EXPECT_FALSE(Enabled(menu, pmiCopy));
  EXPECT_FALSE(Enabled(menu, pmiPaste));
  EXPECT_FALSE(Enabled(menu, pmiDelete));
  EXPECT_TRUE(Enabled(menu, pmiLoad));
  EXPECT_FALSE(Enabled(menu, pmiSave));
  EXPECT_FALSE(menu->Items()->Items(Index(pmiCustom))->GetVisible());

  m->SetEditValue(Variant(BmpBytes(4, 4)));
  m->CopyToClipboard();
  menu = m->PreparePopupMenu();
  for (TcxPopupMenuItem i : {pmiCut, pmiCopy, pmiPaste, pmiDelete, pmiLoad, pmiSave})
    EXPECT_TRUE(Enabled(menu, i)) << Ord(i);
  EXPECT_EQ(menu->Items()->Items(0)->GetCaption(), "Cu&t");

  // An icon class cannot be cut, copied or pasted.
  m->GetProperties()->SetGraphicClassName("TIcon");
  menu = m->PreparePopupMenu();
  EXPECT_FALSE(Enabled(menu, pmiCut));
  EXPECT_FALSE(Enabled(menu, pmiCopy));
  EXPECT_FALSE(Enabled(menu, pmiPaste));
  EXPECT_TRUE(Enabled(menu, pmiDelete));

  m->GetProperties()->SetGraphicClassName("TBitmap");
  m->GetProperties()->SetReadOnly(true);
  menu = m->PreparePopupMenu();
  EXPECT_FALSE(Enabled(menu, pmiCut));
  EXPECT_TRUE(Enabled(menu, pmiCopy));
  EXPECT_FALSE(Enabled(menu, pmiPaste));
  EXPECT_FALSE(Enabled(menu, pmiDelete));
  EXPECT_FALSE(Enabled(menu, pmiLoad));
  EXPECT_TRUE(Enabled(menu, pmiSave));

  // Without the file commands their separator goes too.
  m->GetProperties()->GetPopupMenuLayout()->SetMenuItems(TcxPopupMenuItems{pmiCopy, pmiCustom});
  menu = m->PreparePopupMenu();
  EXPECT_FALSE(menu->Items()->Items(4)->GetVisible());
  EXPECT_TRUE(menu->Items()->Items(7)->GetVisible());
  EXPECT_FALSE(menu->Items()->Items(0)->GetVisible());
}

// The context menu as shown: each command beside its menu image (disabled ones in the
// image list's disabled look), the custom command beside its glyph.
TEST_F(ImageTest, TheContextMenuShowsTheMenuImagesAndTheCustomGlyph) {
  using enum TcxPopupMenuItem;
  TcxImage* m = Add();
  m->SetBounds(8, 8, 120, 100);
  m->SetEditValue(Variant(BmpBytes(4, 4)));
  Clipboard->SetAsText("text");   // nothing to paste: Paste is disabled
  TcxPopupMenuLayout* layout = m->GetProperties()->GetPopupMenuLayout();
  layout->SetMenuItems(TcxPopupMenuItems{pmiCut, pmiCopy, pmiPaste, pmiDelete, pmiLoad, pmiSave, pmiCustom});
  layout->SetCustomMenuItemCaption("&Mine");
  Owned<TBitmap> glyph(New<TBitmap>());
  glyph->SetSize(12, 12);
  glyph->Canvas()->Brush()->SetColor(clFuchsia);   // the bottom-left colour: transparent
  glyph->Canvas()->FillRect(TRect{0, 0, 12, 12});
  glyph->Canvas()->Brush()->SetColor(clLime);
  glyph->Canvas()->FillRect(TRect{3, 3, 9, 9});
  layout->SetCustomMenuItemGlyph(glyph.get());
  host().PumpUntilIdle();

  DecodedImage shown;
  std::vector<RECT> items;
  const HMENU menu = m->PreparePopupMenu()->Handle();
  host().WhenIdle([&] {
    HWND w = FindWindowA(MenuWindowClassName, nullptr);
    ASSERT_NE(w, nullptr);
    RECT win;
    GetWindowRect(w, &win);
    for (Integer i = 0; i < GetMenuItemCount(menu); ++i) {
      RECT r{};
      GetMenuItemRect(nullptr, menu, UINT(i), &r);
      items.push_back({r.Left - win.Left, r.Top - win.Top, r.Right - win.Left, r.Bottom - win.Top});
    }
    shown = CaptureClientImage(host(), w);
    host().Key(VK_ESCAPE);
  });
  host().Click(m->Handle(), 20, 20, MouseButton::Right);
  host().PumpUntilIdle();
  ASSERT_EQ(items.size(), 9u);   // six commands, two lines, the custom one
  WriteGalleryPng(shown, "image_context_menu.png");

  const auto block = [&](const RECT& AItem, LONG ASize) {
    std::vector<Pixel> out;
    const LONG x = AItem.Left + 18, y = AItem.Top + (AItem.Bottom - AItem.Top - ASize) / 2;
    for (LONG j = y; j < y + ASize; ++j)
      for (LONG i = x; i < x + ASize; ++i) out.push_back(shown.Pixels[size_t(j) * size_t(shown.Width) + size_t(i)]);
    return out;
  };
  TImageList* images = cxImageMenuImages();
  ASSERT_EQ(images->Count(), 6);
  const Pixel menuPixel = PixelFromColor(ColorToRGB(clMenu));
  for (TcxPopupMenuItem kind : {pmiCut, pmiCopy, pmiPaste, pmiDelete, pmiLoad, pmiSave}) {
    const bool enabled = kind != pmiPaste;
    Owned<TBitmap> expected(New<TBitmap>());
    expected->SetSize(16, 16);
    expected->Canvas()->Brush()->SetColor(clMenu);
    expected->Canvas()->FillRect(TRect{0, 0, 16, 16});
    images->Draw(expected->Canvas(), 0, 0, Ord(kind), enabled);
    std::vector<Pixel> want;
    for (Integer j = 0; j < 16; ++j)
      for (Integer i = 0; i < 16; ++i) want.push_back(PixelFromColor(ColorToRGB(expected->Canvas()->GetPixel(i, j))));
    const std::vector<Pixel> got = block(items[size_t(Index(kind))], 16);
    EXPECT_EQ(got, want) << Ord(kind);
    EXPECT_NE(std::count(got.begin(), got.end(), menuPixel), 16 * 16) << Ord(kind);
  }
  // The custom command: the glyph's square, its margin transparent.
  const std::vector<Pixel> custom = block(items[8], 12);
  EXPECT_EQ(custom[size_t(6 * 12 + 6)], PixelFromColor(ColorToRGB(clLime)));
  EXPECT_EQ(custom[size_t(1 * 12 + 1)], menuPixel);
  EXPECT_EQ(std::count(custom.begin(), custom.end(), PixelFromColor(ColorToRGB(clLime))), 36);

  // Without a glyph the custom command shows no image.
  layout->SetCustomMenuItemGlyph(nullptr);
  EXPECT_FALSE(m->PreparePopupMenu()->Items()->Items(8)->HasBitmap());
}

TEST_F(ImageTest, ClipboardCommandsAndAJpegPasteClass) {
  TcxImage* m = Add();
  m->SetEditValue(Variant(BmpBytes(6, 4, 0x0000FF)));
  m->CutToClipboard();
  EXPECT_EQ(m->GetPicture()->GetGraphic(), nullptr);
  EXPECT_TRUE(Clipboard->HasFormat(CF_BITMAP));
  m->GetProperties()->SetGraphicClassName("TJPEGImage");
  ASSERT_TRUE(m->CanPasteFromClipboard());
  m->PasteFromClipboard();
  auto* j = dynamic_cast<TJPEGImage*>(m->GetPicture()->GetGraphic());
  ASSERT_NE(j, nullptr);
  EXPECT_EQ(j->GetWidth(), 6);
  const String v = m->GetEditValue().AsString();
  ASSERT_GE(v.size(), 2u);
  EXPECT_EQ(Byte(v[0]), 0xFF);   // the value is a JPEG stream
  EXPECT_EQ(Byte(v[1]), 0xD8);
  // No class stored: a paste makes a bitmap.
  m->CopyToClipboard();
  m->GetProperties()->SetGraphicClassName("");
  ASSERT_TRUE(m->CanPasteFromClipboard());
  m->PasteFromClipboard();
  EXPECT_NE(dynamic_cast<TBitmap*>(m->GetPicture()->GetGraphic()), nullptr);
}

TEST_F(ImageTest, AMetafileLoadedAndPastedIsDrawnStretchedInTheGallery) {
  TcxImage* m = Add();
  m->SetBounds(8, 8, 220, 140);
  m->GetProperties()->SetGraphicClassName("TMetafile");
  m->GetProperties()->SetStretch(true);
  const String wmf = MetafileBytes();
  m->SetEditValue(Variant(wmf));
  ASSERT_NE(dynamic_cast<TMetafile*>(m->GetPicture()->GetGraphic()), nullptr);
  EXPECT_EQ(m->GetPicture()->GetWidth(), 100);
  EXPECT_EQ(m->GetEditValue().AsString(), wmf);   // kept as read
  m->Repaint();
  host().PumpUntilIdle();
  const auto shot = [&] {
    const Surface screen = host().CaptureScreen();
    const TPoint origin = m->ClientToScreen({0, 0});
    DecodedImage img;
    img.Width = m->GetClientWidth();
    img.Height = m->GetClientHeight();
    for (Integer y = 0; y < img.Height; ++y)
      for (Integer x = 0; x < img.Width; ++x) img.Pixels.push_back(screen.At(origin.X + x, origin.Y + y));
    return img;
  };
  const auto count = [](const DecodedImage& img, Pixel p) {
    return std::count(img.Pixels.begin(), img.Pixels.end(), p);
  };
  const DecodedImage loaded = shot();
  // Stretched to the client's width, so each colour covers about twice its own area.
  EXPECT_GT(count(loaded, 0xFF0000), 2 * 1400);
  EXPECT_GT(count(loaded, 0x00FF00), 2 * 1000);
  EXPECT_GT(count(loaded, 0x0000FF), 2 * 300);
  // Where the records draw nothing, the edit's background shows: a metafile is transparent.
  EXPECT_EQ(loaded.Pixels[size_t(2 * loaded.Width + 2)], Pixel(0xFFFFFF));
  EXPECT_EQ(loaded.Pixels[size_t((loaded.Height - 3) * loaded.Width + loaded.Width - 3)], Pixel(0xFFFFFF));
  WriteGalleryPng(loaded, "image_metafile.png");

  // Through the clipboard as a metafile picture: the same drawing comes back.
  m->CutToClipboard();
  EXPECT_TRUE(Clipboard->HasFormat(CF_METAFILEPICT));
  host().PumpUntilIdle();
  EXPECT_EQ(count(shot(), 0xFF0000), 0);
  ASSERT_TRUE(m->CanPasteFromClipboard());
  m->PasteFromClipboard();
  host().PumpUntilIdle();
  EXPECT_EQ(m->GetEditValue().AsString(), wmf);
  const DecodedImage pasted = shot();
  for (Pixel p : {Pixel(0xFF0000), Pixel(0x00FF00), Pixel(0x0000FF)}) EXPECT_EQ(count(pasted, p), count(loaded, p));
}

TEST_F(ImageTest, AnOwnGraphicClassPastesThePictureFormatByDefault) {
  TcxImage* m = Add();
  EXPECT_EQ(m->ClipboardFormat, CF_PICTURE);
  Owned<TBitmap> b(New<TBitmap>());
  b->SetSize(3, 3);
  Owned<TJPEGImage> j(New<TJPEGImage>());
  j->Assign(b.get());
  Clipboard->Assign(j.get());
  ASSERT_TRUE(Clipboard->HasFormat(CF_PICTURE));
  m->GetProperties()->SetGraphicClass(ClassOf<TOwnGraphic, TGraphic>());
  EXPECT_TRUE(m->CanPasteFromClipboard());
  m->ClipboardFormat = Word(CF_METAFILEPICT);
  EXPECT_FALSE(m->CanPasteFromClipboard());
}

TEST_F(ImageTest, ShortcutKeysRunTheClipboardCommands) {
  TcxImage* m = Add();
  m->SetEditValue(Variant(BmpBytes(3, 3)));
  m->SetFocus();
  host().PumpUntilIdle();
  Clipboard->SetAsText("x");
  host().KeyDown(VK_CONTROL);
  host().Key(VK_INSERT);   // copy
  host().KeyUp(VK_CONTROL);
  host().PumpUntilIdle();
  EXPECT_TRUE(Clipboard->HasFormat(CF_BITMAP));
  host().KeyDown(VK_SHIFT);
  host().Key(VK_DELETE);   // cut
  host().KeyUp(VK_SHIFT);
  host().PumpUntilIdle();
  EXPECT_EQ(m->GetPicture()->GetGraphic(), nullptr);
  EXPECT_TRUE(m->GetEditModified());
  host().Char(22);         // Ctrl+V
  host().PumpUntilIdle();
  EXPECT_EQ(m->GetPicture()->GetWidth(), 3);
  // Ctrl+C copies, Ctrl+X cuts.
  Clipboard->SetAsText("x");
  host().Char(3);
  host().PumpUntilIdle();
  EXPECT_TRUE(Clipboard->HasFormat(CF_BITMAP));
  EXPECT_EQ(m->GetPicture()->GetWidth(), 3);
  Clipboard->SetAsText("x");
  host().Char(24);
  host().PumpUntilIdle();
  EXPECT_TRUE(Clipboard->HasFormat(CF_BITMAP));
  EXPECT_EQ(m->GetPicture()->GetGraphic(), nullptr);
}

// With ImmediatePost a pasted or cut picture is posted at once: a post that frees the image
// ends the change there.
TEST_F(ImageTest, APictureChangeWhosePostFreesTheImageEndsThere) {
  for (bool paste : {true, false}) {
    SCOPED_TRACE(paste ? "paste" : "cut");
    auto* m = New<TFreeingImage>(form);
    m->SetParent(form);
    m->GetProperties()->SetImmediatePost(true);
    m->SetEditValue(Variant(BmpBytes(3, 3)));
    m->SetFocus();
    host().PumpUntilIdle();
    m->CopyToClipboard();
    TFreeingBinding::Victim = m;
    TFreeingBinding::Posts = 0;
    TWeakLink link(m);
    host().KeyDown(VK_SHIFT);
    host().Key(paste ? VK_INSERT : VK_DELETE);
    host().KeyUp(VK_SHIFT);
    host().PumpUntilIdle();
    EXPECT_FALSE(link.Alive());
    EXPECT_EQ(TFreeingBinding::Posts, 1);
    EXPECT_EQ(form->ComponentCount(), 0);
  }
  TFreeingBinding::Victim = nullptr;
}

TEST_F(ImageTest, LoadGoesThroughTheDialogAndABrokenFileLeavesThePicture) {
  TcxImage* m = Add();
  m->SetEditValue(Variant(BmpBytes(2, 2)));
  const String path = "/tmp/tl_image_test_" + std::to_string(getpid()) + ".bmp";
  {
    Owned<TMemoryStream> s(New<TMemoryStream>());
    const String b = BmpBytes(5, 3);
    s->WriteBuffer(b.data(), Integer(b.size()));
    s->SaveToFile(path);
  }
  String filter;
  TFileDialogExecutor old = SetFileDialogExecutor([&](TOpenDialog& d) {
    filter = d.Filter;
    d.FileName = path;
    return true;
  });
  EXPECT_TRUE(m->LoadFromFile());
  EXPECT_EQ(m->GetPicture()->GetWidth(), 5);
  EXPECT_EQ(filter, GraphicFilter(ClassOf<TBitmap, TGraphic>()));
  {
    Owned<TMemoryStream> s(New<TMemoryStream>());
    s->WriteBuffer("BMbroken", 8);
    s->SaveToFile(path);
  }
  EXPECT_THROW(m->LoadFromFile(), Exception);
  EXPECT_EQ(m->GetPicture()->GetWidth(), 5);
  SetFileDialogExecutor(old);
  std::remove(path.c_str());
}

TEST_F(ImageTest, AnEmptyGraphicClassSurvivesAStreamRoundTrip) {
  TcxImage* a = Add();
  a->GetProperties()->SetGraphicClassName("");
  a->GetProperties()->SetCaption("none");
  Owned<TMemoryStream> m(New<TMemoryStream>());
  m->WriteComponent(a);
  const String text(reinterpret_cast<const char*>(m->Memory()), size_t(m->GetSize()));
  EXPECT_NE(text.find("IsGraphicClassNameEmpty"), String::npos);
  TcxImage* b = Add();
  EXPECT_TRUE(b->GetProperties()->GetStoredGraphicClass());
  m->SetPosition(0);
  m->ReadComponent(b);
  EXPECT_FALSE(b->GetProperties()->GetStoredGraphicClass());
  EXPECT_EQ(b->GetProperties()->GetCaption(), "none");
  // The default class writes no entry at all.
  a->GetProperties()->SetGraphicClassName("TBitmap");
  m->Clear();
  m->WriteComponent(a);
  const String plain(reinterpret_cast<const char*>(m->Memory()), size_t(m->GetSize()));
  EXPECT_EQ(plain.find("IsGraphicClassNameEmpty"), String::npos);
  EXPECT_EQ(plain.find("GraphicClassName"), String::npos);
}

TEST_F(ImageTest, AutoSizeAndParentColorArePublishedOffByDefault) {
  TcxImage* a = Add();
  EXPECT_FALSE(a->GetAutoSize());
  EXPECT_FALSE(a->GetParentColor());
  Owned<TMemoryStream> m(New<TMemoryStream>());
  m->WriteComponent(a);
  const String plain(reinterpret_cast<const char*>(m->Memory()), size_t(m->GetSize()));
  EXPECT_EQ(plain.find("AutoSize"), String::npos);
  EXPECT_EQ(plain.find("ParentColor"), String::npos);
  a->SetAutoSize(true);
  a->SetParentColor(true);
  m->Clear();
  m->WriteComponent(a);
  TcxImage* b = Add();
  m->SetPosition(0);
  m->ReadComponent(b);
  EXPECT_TRUE(b->GetAutoSize());
  EXPECT_TRUE(b->GetParentColor());
}

TEST_F(ImageTest, AGraphicWithNoAreaCountsAsNoPicture) {
  TcxImage* m = Add();
  m->GetProperties()->SetStretch(true);
  m->GetProperties()->SetGraphicClassName("TMetafile");
  // A placeable metafile whose box is empty: not Empty, yet 0 x 0.
  const String wmf("\xD7\xCD\xC6\x9A\0\0\0\0\0\0\0\0\0\0\xA0\x05\0\0\0\0\0\0", 22);
  m->SetEditValue(Variant(wmf));
  ASSERT_NE(m->GetPicture()->GetGraphic(), nullptr);
  EXPECT_FALSE(m->GetPicture()->GetGraphic()->Empty());
  m->Repaint();
  host().PumpUntilIdle();
  EXPECT_FALSE(m->ImageViewInfo()->HasPicture());
  EXPECT_EQ(m->GetEditValue().AsString(), wmf);
}

TEST_F(ImageTest, AnEmptyGraphicClassIsStreamedAsItsOwnEntry) {
  Owned<TcxImageProperties> p(New<TcxImageProperties>(nullptr));
  p->SetGraphicClassName("");
  EXPECT_FALSE(p->GetStoredGraphicClass());
  EXPECT_TRUE(p->IsGraphicClassNameStored());
  Owned<TcxImageProperties> q(New<TcxImageProperties>(nullptr));
  EXPECT_TRUE(q->GetStoredGraphicClass());
  q->SetGraphicClassName("TNoSuchGraphic");   // ignored
  EXPECT_EQ(q->GetGraphicClassName(), "TBitmap");
  q->SetGraphicClassName("tmetafile");
  EXPECT_EQ(q->GetGraphicClassName(), "TMetafile");
  Owned<TcxImageProperties> fresh(New<TcxImageProperties>(nullptr));
  EXPECT_FALSE(fresh->IsGraphicClassNameStored());
}

TEST_F(ImageTest, CellsDecodeEachPictureOnceAndBrokenBytesPaintTheCaption) {
  Owned<TcxImageProperties> p(New<TcxImageProperties>(nullptr));
  p->SetCaption("(none)");
  Owned<TcxEditStyle> style(New<TcxEditStyle>(nullptr, TcxContainerStateItem::csNormal));
  Owned<TcxCustomEditViewData> vd(p->CreateViewData(style.get(), true));
  auto* data = dynamic_cast<TcxImageViewData*>(vd.get());
  ASSERT_NE(data, nullptr);
  Owned<TcxCustomEditViewInfo> vi(p->GetViewInfoClass().Create());
  auto* info = static_cast<TcxImageViewInfo*>(vi.get());
  Owned<TBitmap> b(New<TBitmap>());
  b->SetSize(40, 20);
  TcxCanvas canvas(b->Canvas());
  TcxImagePictureCache::Clear();
  const size_t before = TcxImagePictureCache::DecodeCount();
  const String bytes = BmpBytes(7, 5);
  for (int i = 0; i < 3; ++i) data->EditValueToDrawValue(canvas, Variant(bytes), info);
  EXPECT_EQ(TcxImagePictureCache::DecodeCount() - before, 1u);
  ASSERT_TRUE(info->HasPicture());
  EXPECT_EQ(info->Graphic()->GetWidth(), 7);
  EXPECT_EQ(data->InternalGetEditContentSize(canvas, Variant(bytes), {}).cx, 7);
  // Broken bytes: no picture, decoded once, and painting shows the caption.
  const String broken = "BM\x01\x02";
  data->EditValueToDrawValue(canvas, Variant(broken), info);
  data->EditValueToDrawValue(canvas, Variant(broken), info);
  EXPECT_FALSE(info->HasPicture());
  EXPECT_EQ(TcxImagePictureCache::DecodeCount() - before, 2u);
  EXPECT_EQ(data->InternalGetEditContentSize(canvas, Variant(broken), {}).cy, 15);
  EXPECT_EQ(p->GetDisplayText(Variant(broken)), "(none)");
  EXPECT_EQ(p->GetDisplayText(Variant::MakeNull()), "");

  // A transparent column never makes the same picture transparent in a default one.
  Owned<TcxImageProperties> q(New<TcxImageProperties>(nullptr));
  q->SetGraphicTransparency(TcxImageTransparency::gtTransparent);
  Owned<TcxCustomEditViewData> qvd(q->CreateViewData(style.get(), true));
  Owned<TcxCustomEditViewInfo> qvi(q->GetViewInfoClass().Create());
  auto* qinfo = static_cast<TcxImageViewInfo*>(qvi.get());
  static_cast<TcxImageViewData*>(qvd.get())->EditValueToDrawValue(canvas, Variant(bytes), qinfo);
  data->EditValueToDrawValue(canvas, Variant(bytes), info);
  ASSERT_TRUE(qinfo->HasPicture() && info->HasPicture());
  EXPECT_TRUE(qinfo->Graphic()->GetTransparent());
  EXPECT_FALSE(info->Graphic()->GetTransparent());
}

}  // namespace
