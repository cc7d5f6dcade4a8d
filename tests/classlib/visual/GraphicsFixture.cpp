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
