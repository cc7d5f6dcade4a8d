// Pictures: holding copies of graphics, loading by file extension, and the "Data"
// property in both of its forms.
#include "classlib/core/Filer.h"
#include "platform/gdi/Codecs.h"
#include "tests/classlib/visual/GraphicsFixture.h"

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

class PictureTest : public GraphicsFixture {
 protected:
  void SetUp() override {
    GraphicsFixture::SetUp();
    dir_ = std::filesystem::temp_directory_path() / ("tl_picture_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override {
    std::filesystem::remove_all(dir_);
    GraphicsFixture::TearDown();
  }
  std::string dir_;
};

// A component publishing a picture, to stream it.
class TGfxPictureHolder : public TComponent {
  TL_CLASS(TGfxPictureHolder, TComponent)
 public:
  explicit TGfxPictureHolder(TComponent* AOwner)
      : TComponent(AOwner), FPicture(New<TPicture>()), FGlyph(New<TBitmap>()) {}
  ~TGfxPictureHolder() override {
    FPicture->Free();
    FGlyph->Free();
  }
  TPicture* GetPicture() const { return FPicture; }
  TBitmap* GetGlyph() const { return FGlyph; }

 private:
  TPicture* FPicture;
  TBitmap* FGlyph;
};

}  // namespace

TL_DEFINE_CLASS(TGfxPictureHolder, [](auto& c) {
  c.Property("Glyph", &TGfxPictureHolder::GetGlyph);
  c.Property("Picture", &TGfxPictureHolder::GetPicture);
})

namespace {

// A component stream of one TGfxPictureHolder whose only property is Prop holding Data
// as it stands.
Owned<TMemoryStream> StreamWithPictureData(const String& Data, const String& Prop = "Picture.Data") {
  Owned<TMemoryStream> comp(New<TMemoryStream>());
  Owned<TWriter> w(New<TWriter>(*comp));
  w->WriteSignature();
  w->WriteStr("TGfxPictureHolder");
  w->WriteStr("");
  w->WriteStr(Prop);
  w->WriteValue(TValueType::vaBinary);
  const Byte n[4] = {Byte(Data.size()), Byte(Data.size() >> 8), Byte(Data.size() >> 16), Byte(Data.size() >> 24)};
  comp->WriteBuffer(n, 4);
  if (!Data.empty()) comp->WriteBuffer(Data.data(), Integer(Data.size()));
  w->WriteListEnd();
  w->WriteListEnd();
  comp->SetPosition(0);
  return comp;
}

TEST_F(PictureTest, HoldsACopyOfTheGraphicAndForwardsChanges) {
  Owned<TPicture> p(New<TPicture>());
  auto b = FilledBitmap(3, 2, clRed);
  GfxChangeCounter changes;
  p->OnChange = changes.Event();
  p->SetGraphic(b.get());
  EXPECT_EQ(changes.Count, 1);
  ASSERT_NE(p->GetGraphic(), nullptr);
  EXPECT_NE(p->GetGraphic(), b.get());
  b->Canvas()->SetPixel(0, 0, clBlue);
  EXPECT_EQ(At(p->GetBitmap(), 0, 0), clRed);
  p->GetBitmap()->Canvas()->SetPixel(1, 1, clLime);  // the held graphic's changes reach OnChange
  EXPECT_EQ(changes.Count, 2);
  Owned<TPicture> q(New<TPicture>());
  q->Assign(p.get());
  EXPECT_EQ(At(q->GetBitmap(), 1, 1), clLime);
  q->Assign(nullptr);
  EXPECT_EQ(q->GetGraphic(), nullptr);
  EXPECT_TRUE(q->GetBitmap()->Empty());  // asking for a bitmap makes an empty one
}

TEST_F(PictureTest, LoadsByExtensionAndRefusesUnknownOnes) {
  auto b = FilledBitmap(2, 2, clNavy);
  b->SaveToFile(dir_ + "/a.bmp");
  DecodedImage img;
  img.Width = 1;
  img.Height = 1;
  img.Pixels = {0x00FF0000};
  EncodeResult png = EncodePng(img);
  std::ofstream(dir_ + "/b.PNG", std::ios::binary)
      .write(reinterpret_cast<const char*>(png.Bytes.data()), std::streamsize(png.Bytes.size()));
  Owned<TPicture> p(New<TPicture>());
  p->LoadFromFile(dir_ + "/a.bmp");
  EXPECT_EQ(At(p->GetBitmap(), 1, 1), clNavy);
  p->LoadFromFile(dir_ + "/b.PNG");
  EXPECT_EQ(At(p->GetBitmap(), 0, 0), clRed);
  EXPECT_THROW(p->LoadFromFile(dir_ + "/c.xyz"), EInvalidGraphic);
  EXPECT_THROW(p->LoadFromFile(dir_ + "/missing.bmp"), EStreamError);
  EXPECT_EQ(At(p->GetBitmap(), 0, 0), clRed);  // kept
}

TEST_F(PictureTest, DataPropertyRoundTripsAndAcceptsABareImage) {
  Owned<TGfxPictureHolder> h(New<TGfxPictureHolder>(nullptr));
  auto b = FilledBitmap(4, 3, clTeal);
  b->Canvas()->SetPixel(3, 2, clRed);
  h->GetPicture()->SetGraphic(b.get());
  Owned<TMemoryStream> s(New<TMemoryStream>());
  s->WriteComponent(h.get());
  const String bin(reinterpret_cast<const char*>(s->Memory()), size_t(s->GetSize()));
  EXPECT_NE(bin.find("\x07TBitmapBM", 0, 10), String::npos);
  s->SetPosition(0);
  Owned<TGfxPictureHolder> copy(New<TGfxPictureHolder>(nullptr));
  s->ReadComponent(copy.get());
  ASSERT_EQ(copy->GetPicture()->GetWidth(), 4);
  EXPECT_EQ(At(copy->GetPicture()->GetBitmap(), 3, 2), clRed);

  // A bare BMP file, as a description's file include gives it.
  Owned<TMemoryStream> bmp(New<TMemoryStream>());
  b->SaveToStream(*bmp);
  Owned<TGfxPictureHolder> h2(New<TGfxPictureHolder>(nullptr));
  auto comp = StreamWithPictureData(String(reinterpret_cast<const char*>(bmp->Memory()), size_t(bmp->GetSize())));
  comp->ReadComponent(h2.get());
  ASSERT_EQ(h2->GetPicture()->GetWidth(), 4);
  EXPECT_EQ(At(h2->GetPicture()->GetBitmap(), 0, 0), clTeal);
}

TEST_F(PictureTest, APublishedBitmapStreamsItsPictureAsData) {
  Owned<TGfxPictureHolder> h(New<TGfxPictureHolder>(nullptr));
  Owned<TMemoryStream> none(New<TMemoryStream>());
  none->WriteComponent(h.get());
  const String empty(reinterpret_cast<const char*>(none->Memory()), size_t(none->GetSize()));
  EXPECT_EQ(empty.find("Glyph.Data"), String::npos);  // an empty glyph writes nothing

  h->GetGlyph()->SetSize(2, 2);
  h->GetGlyph()->Canvas()->SetPixel(1, 0, clRed);
  Owned<TMemoryStream> s(New<TMemoryStream>());
  s->WriteComponent(h.get());
  s->SetPosition(0);
  Owned<TGfxPictureHolder> copy(New<TGfxPictureHolder>(nullptr));
  s->ReadComponent(copy.get());
  ASSERT_EQ(copy->GetGlyph()->GetWidth(), 2);
  EXPECT_EQ(At(copy->GetGlyph(), 1, 0), clRed);
}

TEST_F(PictureTest, BadDataIsAReadError) {
  for (const String& bad : {String("\x07TNoSuch", 8), String("\x09TBitm", 6), String("BMbroken"), String()}) {
    auto comp = StreamWithPictureData(bad);
    Owned<TGfxPictureHolder> h(New<TGfxPictureHolder>(nullptr));
    EXPECT_THROW(comp->ReadComponent(h.get()), EReadError) << bad;
    EXPECT_EQ(h->GetPicture()->GetGraphic(), nullptr);
  }
  auto glyph = StreamWithPictureData("junk", "Glyph.Data");
  Owned<TGfxPictureHolder> h(New<TGfxPictureHolder>(nullptr));
  EXPECT_THROW(glyph->ReadComponent(h.get()), EReadError);
  EXPECT_TRUE(h->GetGlyph()->Empty());
}

}  // namespace
