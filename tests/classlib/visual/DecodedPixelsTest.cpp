// The budget of picture pixels: its exact edges, pictures that decode to far more than their
// files hold, loaded from streams and from window descriptions, copies the program makes of
// them (bitmaps, pictures, icons, image lists), and the budget given back when pictures are
// freed or replaced.
#include "classlib/core/Filer.h"
#include "classlib/core/FormText.h"
#include "classlib/core/SysUtils.h"
#include "classlib/visual/DecodedPixels.h"
#include "classlib/visual/ExtCtrls.h"
#include "classlib/visual/ImgList.h"
#include "classlib/visual/PictureGraphics.h"
#include "platform/gdi/PictureCodecs.h"
#include "platform/kernel/Resources.h"
#include "tests/support/AppTest.h"

#include <gtest/gtest.h>

namespace {

constexpr Integer kSide = 4096;   // an image at the per-image cap

// One colour all over: a small file that decodes to Width x Height pixels.
std::vector<Byte> PlainJpeg(Integer Width, Integer Height, Pixel Colour) {
  DecodedImage img;
  img.Width = Width;
  img.Height = Height;
  img.Pixels.assign(size_t(Width) * size_t(Height), Colour);
  EncodeResult r = EncodeJpeg(img, 50);
  EXPECT_TRUE(r.Ok) << r.Error;
  return r.Bytes;
}

std::vector<Byte> PlainPng(Integer Width, Integer Height, Pixel Colour) {
  DecodedImage img;
  img.Width = Width;
  img.Height = Height;
  img.Pixels.assign(size_t(Width) * size_t(Height), Colour);
  EncodeResult r = EncodePng(img);
  EXPECT_TRUE(r.Ok) << r.Error;
  return r.Bytes;
}

DecodedImage PlainIconImage(Integer Width, Integer Height) {
  DecodedImage img;
  img.Width = Width;
  img.Height = Height;
  img.Pixels.assign(size_t(Width) * size_t(Height), 0x00445566);
  return img;
}

const std::vector<Byte>& HugeJpeg() {
  static const std::vector<Byte> bytes = PlainJpeg(kSide, kSide, 0x00336699);
  return bytes;
}

const std::vector<Byte>& HugePng() {
  static const std::vector<Byte> bytes = PlainPng(kSide, kSide, 0x00CC0000);
  return bytes;
}

Owned<TMemoryStream> StreamOf(const std::vector<Byte>& Bytes) {
  Owned<TMemoryStream> s(New<TMemoryStream>());
  s->WriteBuffer(Bytes.data(), Integer(Bytes.size()));
  s->SetPosition(0);
  return s;
}

String Hex(const std::vector<Byte>& Bytes) {
  static const char digits[] = "0123456789ABCDEF";
  String s;
  s.reserve(Bytes.size() * 2);
  for (Byte b : Bytes) {
    s += digits[b >> 4];
    s += digits[b & 15];
  }
  return s;
}

// The description of a form with Count images, each holding Jpeg as its picture's "Data"
// (the graphic's class name, then the file).
String FormOfPictures(const std::vector<Byte>& Jpeg, int Count) {
  const String name = "TJPEGImage";
  std::vector<Byte> data{Byte(name.size())};
  data.insert(data.end(), name.begin(), name.end());
  data.insert(data.end(), Jpeg.begin(), Jpeg.end());
  const String picture = Hex(data);
  String text = "object PicturesForm: TPicturesForm\n  Caption = 'Pictures'\n";
  for (int i = 0; i < Count; ++i)
    text += "  object Image" + IntToStr(i) + ": TImage\n    Picture.Data = {" + picture + "}\n  end\n";
  return text + "end\n";
}

// Takes what is free of the budget but Left pixels.
struct BudgetFiller {
  explicit BudgetFiller(int64_t Left)
      : Share(TDecodedPixels::Take(1, Integer(kDecodedPixelBudget - TDecodedPixels::InUse() - Left))) {}
  TDecodedPixels Share;
};

String Refusal(Integer W, Integer H) {
  return "Picture of " + IntToStr(W) + " x " + IntToStr(H) +
         " pixels does not fit: decoded pictures may hold 33554432 pixels in all, " +
         IntToStr(Int64(TDecodedPixels::InUse())) + " are in use";
}

class DecodedPixelsTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    ASSERT_EQ(TDecodedPixels::InUse(), 0) << "a picture of another test is still held";
  }
  void TearDown() override {
    UnregisterResourceTable("decoded-pixels-test");
    EXPECT_EQ(TDecodedPixels::InUse(), 0);
    AppTest::TearDown();
  }
  void RegisterDescription(const char* Name, const String& Text) {
    Owned<TMemoryStream> bin(New<TMemoryStream>());
    ObjectTextToBinary(Text, *bin);
    data_.assign(bin->Memory(), bin->Memory() + bin->GetSize());
    item_ = ResourceItem{10, 0, Name, data_.data(), data_.size(), 0, 0};
    RegisterResourceTable(ResourceTable{"decoded-pixels-test", &item_, 1});
  }
  std::vector<Byte> data_;
  ResourceItem item_{};
};

class TPicturesForm : public TForm {
  TL_CLASS(TPicturesForm, TForm)
 public:
  using TForm::TForm;
};

}  // namespace

TL_DEFINE_CLASS(TPicturesForm)

namespace {

TEST_F(DecodedPixelsTest, TheBudgetHoldsTwoImagesAtTheCapAndNotOnePixelMore) {
  EXPECT_EQ(kDecodedPixelBudget, 33554432);
  TDecodedPixels a = TDecodedPixels::Take(kSide, kSide);
  TDecodedPixels b = TDecodedPixels::Take(kSide, kSide);
  EXPECT_EQ(TDecodedPixels::InUse(), 33554432);
  TDecodedPixels none = TDecodedPixels::Take(0, 5);   // nothing asked, nothing refused
  EXPECT_EQ(none.Count(), 0);
  try {
    TDecodedPixels::Take(1, 1);
    ADD_FAILURE() << "one pixel past the budget was taken";
  } catch (const EOutOfResources& e) {
    EXPECT_EQ(e.Message(),
              "Picture of 1 x 1 pixels does not fit: decoded pictures may hold 33554432 pixels in all, 33554432 are "
              "in use");
  }
  EXPECT_EQ(TDecodedPixels::InUse(), 33554432);   // the refusal took nothing

  // A share moves with its holder and is given back once.
  TDecodedPixels moved(std::move(b));
  EXPECT_EQ(b.Count(), 0);
  EXPECT_EQ(moved.Count(), 16777216);
  moved.Release();
  moved.Release();
  EXPECT_EQ(TDecodedPixels::InUse(), 16777216);
  TDecodedPixels last = TDecodedPixels::Take(kSide - 1, kSide);
  TDecodedPixels edge = TDecodedPixels::Take(1, kSide);   // exactly up to the budget
  EXPECT_EQ(TDecodedPixels::InUse(), 33554432);
  EXPECT_THROW(TDecodedPixels::Take(1, 1), EOutOfResources);
  last = std::move(edge);   // the share replaced is given back
  EXPECT_EQ(TDecodedPixels::InUse(), 16777216 + kSide);
}

TEST_F(DecodedPixelsTest, JpegImagesFromStreamsHitTheBudgetAndFreeingGivesItBack) {
  ASSERT_LT(HugeJpeg().size(), size_t(1) << 20);   // the file is small, what it decodes to is not
  Owned<TJPEGImage> a(New<TJPEGImage>()), b(New<TJPEGImage>()), c(New<TJPEGImage>());
  a->LoadFromStream(*StreamOf(HugeJpeg()));
  b->LoadFromStream(*StreamOf(HugeJpeg()));
  EXPECT_EQ(TDecodedPixels::InUse(), 2 * 16777216);
  try {
    c->LoadFromStream(*StreamOf(PlainJpeg(8, 8, 0)));   // the budget is full: even 64 pixels
    ADD_FAILURE() << "a picture past the budget was decoded";
  } catch (const EOutOfResources& e) {
    EXPECT_EQ(e.Message(),
              "Picture of 8 x 8 pixels does not fit: decoded pictures may hold 33554432 pixels in all, 33554432 are "
              "in use");
  }
  EXPECT_TRUE(c->Empty());

  a.reset();
  EXPECT_EQ(TDecodedPixels::InUse(), 16777216);
  c->LoadFromStream(*StreamOf(PlainJpeg(8, 8, 0)));
  EXPECT_EQ(TDecodedPixels::InUse(), 16777216 + 64);
  // In place of c's small image: the new pixels are counted before the old ones go.
  EXPECT_THROW(c->LoadFromStream(*StreamOf(HugeJpeg())), EOutOfResources);
  EXPECT_EQ(c->GetWidth(), 8);
  ASSERT_NE(c->GetBitmap(), nullptr);
  EXPECT_EQ(c->GetBitmap()->GetWidth(), 8);
  EXPECT_EQ(TDecodedPixels::InUse(), 16777216 + 64);
  c->Assign(nullptr);
  EXPECT_EQ(TDecodedPixels::InUse(), 16777216);

  // A copy holds the file only; it decodes, and takes its share, when its pixels are needed.
  Owned<TJPEGImage> copy(New<TJPEGImage>());
  copy->Assign(b.get());
  EXPECT_EQ(TDecodedPixels::InUse(), 16777216);
  ASSERT_NE(copy->GetBitmap(), nullptr);
  EXPECT_EQ(TDecodedPixels::InUse(), 2 * 16777216);
  Owned<TJPEGImage> another(New<TJPEGImage>());
  another->Assign(b.get());
  EXPECT_THROW(another->GetBitmap(), EOutOfResources);
  EXPECT_EQ(TDecodedPixels::InUse(), 2 * 16777216);
  b.reset();
  ASSERT_NE(another->GetBitmap(), nullptr);
  EXPECT_EQ(another->GetBitmap()->GetWidth(), kSide);
}

TEST_F(DecodedPixelsTest, ARefusedBitmapIsLeftAsItWasAndANewImageGivesTheShareBack) {
  Owned<TBitmap> a(New<TBitmap>()), b(New<TBitmap>()), small(New<TBitmap>());
  small->SetSize(3, 2);   // made by the program: counted as well
  small->Canvas()->SetPixel(1, 1, clRed);
  EXPECT_EQ(TDecodedPixels::InUse(), 6);
  a->LoadFromStream(*StreamOf(HugePng()));
  EXPECT_EQ(a->GetWidth(), kSide);
  b->LoadFromStream(*StreamOf(PlainPng(kSide, kSide - 1, 0)));
  EXPECT_EQ(TDecodedPixels::InUse(), 6 + 16777216 + 16773120);
  // 4090 pixels are left: 64 x 64 does not fit, and the old image's share does not help.
  try {
    small->LoadFromStream(*StreamOf(PlainPng(64, 64, 0)));
    ADD_FAILURE() << "a picture past the budget was loaded";
  } catch (const EOutOfResources& e) {
    EXPECT_EQ(e.Message(), Refusal(64, 64));
    EXPECT_EQ(TDecodedPixels::InUse(), 33550342);
  }
  EXPECT_EQ(small->GetWidth(), 3);
  EXPECT_EQ(small->Canvas()->GetPixel(1, 1), clRed);

  b->SetSize(10, 10);   // a smaller image of its own: the rest of the share goes
  EXPECT_EQ(TDecodedPixels::InUse(), 6 + 16777216 + 100);
  small->LoadFromStream(*StreamOf(PlainPng(5, 5, 0)));
  EXPECT_EQ(TDecodedPixels::InUse(), 16777216 + 100 + 25);
  b->SetSize(0, 0);
  EXPECT_EQ(TDecodedPixels::InUse(), 16777216 + 25);
  HBITMAP h = a->ReleaseHandle();   // the pixels leave with the handle
  EXPECT_EQ(TDecodedPixels::InUse(), 25);
  DeleteObject(h);
  small->Assign(nullptr);
  EXPECT_EQ(TDecodedPixels::InUse(), 0);
}

TEST_F(DecodedPixelsTest, AWindowDescriptionPastTheBudgetFailsCleanly) {
  RegisterDescription("TPICTURESFORM", FormOfPictures(HugeJpeg(), 16));
  TPicturesForm* f = nullptr;
  try {
    Application->CreateForm(f);
    ADD_FAILURE() << "sixteen pictures at the cap were decoded";
  } catch (const EReadError& e) {
    // The third picture is refused; the reader names the property it was reading.
    EXPECT_EQ(e.Message().rfind("Error reading Picture.Data: Picture of 4096 x 4096 pixels does not fit: decoded "
                                "pictures may hold 33554432 pixels in all, 33554432 are in use",
                                0),
              0u)
        << e.Message();
  }
  EXPECT_EQ(f, nullptr);
  EXPECT_EQ(Screen->FormCount(), 0);
  EXPECT_EQ(Application->ComponentCount(), 0);
  EXPECT_EQ(TDecodedPixels::InUse(), 0);   // the two decoded before the refusal went with the form
}

TEST_F(DecodedPixelsTest, AFormWithSeveralPicturesLoadsAndGivesTheBudgetBackWhenFreed) {
  RegisterDescription("TPICTURESFORM", FormOfPictures(PlainJpeg(640, 480, 0x00808080), 6));
  TPicturesForm* f = nullptr;
  Application->CreateForm(f);
  ASSERT_NE(f, nullptr);
  auto* image = dynamic_cast<TImage*>(f->FindComponent("Image5"));
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->GetPicture()->GetWidth(), 640);
  EXPECT_EQ(TDecodedPixels::InUse(), 6 * 640 * 480);
  f->Free();
  EXPECT_EQ(TDecodedPixels::InUse(), 0);
}

TEST_F(DecodedPixelsTest, CopiesAndSizesTheProgramGivesHoldTheirShareToTheExactEdge) {
  Owned<TBitmap> a(New<TBitmap>()), copy(New<TBitmap>()), third(New<TBitmap>());
  a->LoadFromStream(*StreamOf(HugePng()));
  copy->Assign(a.get());
  EXPECT_EQ(TDecodedPixels::InUse(), 33554432);   // exactly to the budget
  EXPECT_EQ(copy->Canvas()->GetPixel(kSide - 1, kSide - 1), TColor(0x000000CC));
  third->SetPixelFormat(TPixelFormat::pf32bit);
  try {
    third->Assign(a.get());
    ADD_FAILURE() << "a third copy past the budget was made";
  } catch (const EOutOfResources& e) {
    EXPECT_EQ(e.Message(), Refusal(kSide, kSide));
  }
  EXPECT_TRUE(third->Empty());
  EXPECT_EQ(third->GetPixelFormat(), TPixelFormat::pf32bit);   // nothing of the copy taken
  EXPECT_THROW(third->SetSize(1, 1), EOutOfResources);
  EXPECT_TRUE(third->Empty());

  // A smaller image keeps part of its share; a larger one needs its whole size free, as its
  // old pixels are copied before they go.
  copy->SetSize(kSide, kSide - 1);
  EXPECT_EQ(TDecodedPixels::InUse(), 33554432 - kSide);
  EXPECT_EQ(copy->Canvas()->GetPixel(0, 0), TColor(0x000000CC));
  third->SetSize(64, 64);
  EXPECT_EQ(TDecodedPixels::InUse(), 33554432);
  third->Canvas()->SetPixel(2, 2, clLime);
  try {
    third->SetWidth(65);
    ADD_FAILURE() << "a wider image past the budget was made";
  } catch (const EOutOfResources& e) {
    EXPECT_EQ(e.Message(), Refusal(65, 64));
  }
  EXPECT_EQ(third->GetWidth(), 64);
  EXPECT_EQ(third->Canvas()->GetPixel(2, 2), clLime);

  // A handle taken over is counted; one past the budget is refused and the bitmap kept.
  copy.reset();
  HBITMAP h = a->ReleaseHandle();
  EXPECT_EQ(TDecodedPixels::InUse(), 4096);
  Owned<TBitmap> taker(New<TBitmap>());
  taker->SetHandle(h);
  EXPECT_EQ(TDecodedPixels::InUse(), 4096 + 16777216);
  {
    BudgetFiller fill(0);
    Owned<TBitmap> small(New<TBitmap>());
    EXPECT_THROW(small->SetHandle(CreateBitmap(2, 2, 1, 32, nullptr)), EOutOfResources);
    EXPECT_TRUE(small->Empty());
  }
  taker.reset();
  third.reset();
  EXPECT_EQ(TDecodedPixels::InUse(), 0);

  // A scratch bitmap's own images are outside the budget; what it decodes is not.
  Owned<TBitmap> scratch(New<TScratchBitmap>());
  scratch->SetSize(kSide, kSide);
  scratch->SetSize(100, 100);
  EXPECT_EQ(TDecodedPixels::InUse(), 0);
  scratch->LoadFromStream(*StreamOf(PlainPng(5, 5, 0)));
  EXPECT_EQ(TDecodedPixels::InUse(), 25);
  scratch->SetSize(7, 7);
  EXPECT_EQ(TDecodedPixels::InUse(), 0);
}

TEST_F(DecodedPixelsTest, PictureAndIconCopiesHoldTheirShare) {
  Owned<TBitmap> a(New<TBitmap>());
  a->LoadFromStream(*StreamOf(HugePng()));
  Owned<TPicture> p1(New<TPicture>()), p2(New<TPicture>());
  p1->Assign(a.get());
  EXPECT_EQ(TDecodedPixels::InUse(), 33554432);
  try {
    p2->Assign(p1.get());
    ADD_FAILURE() << "a picture's copy past the budget was made";
  } catch (const EOutOfResources& e) {
    EXPECT_EQ(e.Message(), Refusal(kSide, kSide));
  }
  EXPECT_EQ(p2->GetGraphic(), nullptr);
  a.reset();
  p2->Assign(p1.get());
  EXPECT_EQ(TDecodedPixels::InUse(), 33554432);
  p1.reset();
  p2.reset();
  EXPECT_EQ(TDecodedPixels::InUse(), 0);

  // A JPEG's copy holds the file; its pixels are counted once decoded.
  Owned<TJPEGImage> j(New<TJPEGImage>());
  j->LoadFromStream(*StreamOf(PlainJpeg(640, 480, 0x00808080)));
  Owned<TPicture> p3(New<TPicture>());
  p3->Assign(j.get());
  EXPECT_EQ(TDecodedPixels::InUse(), 640 * 480);
  ASSERT_NE(dynamic_cast<TJPEGImage*>(p3->GetGraphic())->GetBitmap(), nullptr);
  EXPECT_EQ(TDecodedPixels::InUse(), 2 * 640 * 480);
  p3.reset();
  j.reset();

  // An icon's copy and its drawing (a colour image and a mask) are counted.
  Owned<TIcon> icon(New<TIcon>()), other(New<TIcon>());
  icon->SetImage(PlainIconImage(256, 256));
  EXPECT_EQ(TDecodedPixels::InUse(), 65536);
  other->SetImage(PlainIconImage(2, 3));
  {
    BudgetFiller fill(65535);
    try {
      other->Assign(icon.get());
      ADD_FAILURE() << "an icon's copy past the budget was made";
    } catch (const EOutOfResources& e) {
      EXPECT_EQ(e.Message(), Refusal(256, 256));
    }
    EXPECT_EQ(other->GetWidth(), 2);   // as it was
  }
  {
    BudgetFiller fill(65536);   // its own six pixels are given back only once the copy is made
    other->Assign(icon.get());
    EXPECT_EQ(other->GetWidth(), 256);
    EXPECT_EQ(TDecodedPixels::InUse(), 33554432 - 6);
  }
  Owned<TBitmap> paper(New<TScratchBitmap>());
  paper->SetSize(300, 300);
  paper->Canvas()->Draw(0, 0, icon.get());
  EXPECT_EQ(TDecodedPixels::InUse(), 4 * 65536);
  icon.reset();
  other.reset();
  EXPECT_EQ(TDecodedPixels::InUse(), 0);
}

TEST_F(DecodedPixelsTest, ImageListsCountTheImagesTheyHold) {
  Owned<TImageList> list(New<TImageList>(nullptr));
  list->SetWidth(2048);
  list->SetHeight(2048);
  list->ReadData(*StreamOf(PlainPng(4096, 2048, 0x00112233)));
  ASSERT_EQ(list->Count(), 2);
  EXPECT_EQ(TDecodedPixels::InUse(), 0);   // kept as read until drawn
  Owned<TBitmap> paper(New<TScratchBitmap>());
  paper->SetSize(10, 10);
  list->Draw(paper->Canvas(), 0, 0, 1);   // decodes the row of both images
  EXPECT_EQ(TDecodedPixels::InUse(), 2 * 4194304);
  list->ReleaseDecodedImages();
  EXPECT_EQ(TDecodedPixels::InUse(), 0);
  {
    BudgetFiller fill(2 * 4194304 - 1);
    try {
      list->Draw(paper->Canvas(), 0, 0, 0);
      ADD_FAILURE() << "images past the budget were decoded";
    } catch (const EOutOfResources& e) {
      EXPECT_EQ(e.Message(), Refusal(4096, 2048));
    }
  }
  list->GetHandle();   // all of it, decoded at once
  EXPECT_EQ(TDecodedPixels::InUse(), 2 * 4194304);

  Owned<TBitmap> image(New<TBitmap>());
  image->SetSize(2048, 2048);
  EXPECT_EQ(list->Add(image.get(), nullptr), 2);
  EXPECT_EQ(TDecodedPixels::InUse(), 4 * 4194304);
  {
    BudgetFiller fill(4194303);
    try {
      list->AddMasked(image.get(), clWhite);
      ADD_FAILURE() << "an image past the budget was added";
    } catch (const EOutOfResources& e) {
      EXPECT_EQ(e.Message(), Refusal(2048, 2048));
    }
    EXPECT_EQ(list->Count(), 3);
  }
  image.reset();
  list->Delete(0);
  EXPECT_EQ(TDecodedPixels::InUse(), 2 * 4194304);

  // A copy keeps its picture as read until drawn, then holds its own images; clearing and
  // freeing give them back.
  Owned<TImageList> copy(New<TImageList>(nullptr));
  copy->Assign(list.get());
  EXPECT_EQ(copy->Count(), 2);
  EXPECT_EQ(TDecodedPixels::InUse(), 2 * 4194304);
  copy->GetHandle();
  EXPECT_EQ(TDecodedPixels::InUse(), 4 * 4194304);
  copy->Clear();
  EXPECT_EQ(TDecodedPixels::InUse(), 2 * 4194304);
  list->SetWidth(16);   // a new size empties the list
  EXPECT_EQ(TDecodedPixels::InUse(), 0);
}

}  // namespace
