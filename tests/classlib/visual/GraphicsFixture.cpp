#include "tests/classlib/visual/GraphicsFixture.h"

#include "platform/gdi/ImageList.h"

void GraphicsFixture::SetUp() {
  UserTest::SetUp();
  GraphicsInitialize();
  imageListsAtStart_ = LiveImageListCount();
}

void GraphicsFixture::TearDown() {
  EXPECT_EQ(LiveImageListCount(), imageListsAtStart_) << "image list(s) not destroyed";
  GraphicsFinalize();
  UserTest::TearDown();
}

Owned<TBitmap> GraphicsFixture::FilledBitmap(Integer W, Integer H, TColor Color) {
  Owned<TBitmap> b(New<TBitmap>());
  b->SetSize(W, H);
  b->Canvas()->Brush()->SetColor(Color);
  b->Canvas()->FillRect(Rect(0, 0, W, H));
  return b;
}

void GraphicsFixture::ExpectPixels(TBitmap* B, std::initializer_list<PixelColor> Pixels) {
  for (const PixelColor& p : Pixels) EXPECT_EQ(At(B, p.X, p.Y), p.Color) << "at (" << p.X << ", " << p.Y << ")";
}
