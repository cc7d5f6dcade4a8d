#include "platform/gdi/ImageList.h"

#include "GdiTestCanvas.h"

using ImageListTest = GdiCanvasTest;

namespace {
// Two 4x4 images side by side: image k has colour (k+1)*0x40 red on a magenta field with the
// bottom-left pixel magenta.
HBITMAP makeStrip() {
  HBITMAP b = CreateBitmap(8, 4, 1, 32, nullptr);
  Surface& s = *BitmapFromHandle(b)->Pixels;
  s.Fill(0xFF00FF);
  for (int k = 0; k < 2; ++k) s.Fill({k * 4 + 1, 1, k * 4 + 3, 3}, Pixel((k + 1) * 0x40) << 16);
  return b;
}
}  // namespace

TEST_F(ImageListTest, AddMaskedTakesTheBottomLeftColourByDefaultAndDrawsTransparently) {
  const size_t lists = LiveImageListCount();
  HIMAGELIST il = ImageList_Create(4, 4, ILC_MASK | ILC_COLOR32, 0, 4);
  HBITMAP strip = makeStrip();
  EXPECT_EQ(ImageList_AddMasked(il, strip, CLR_DEFAULT), 0);
  Canvas(10, 10, RGB(0, 0, 255));
  EXPECT_TRUE(ImageList_Draw(il, 1, dc, 3, 3, ILD_TRANSPARENT));
  // Magenta was transparent around image 1's centre.
  ExpectPx({{3, 3, RGB(0, 0, 255)}, {4, 4, RGB(0x80, 0, 0)}, {6, 6, RGB(0, 0, 255)}});
  // A list background colour fills the transparent pixels in ILD_NORMAL.
  ImageList_SetBkColor(il, RGB(0, 255, 0));
  ImageList_Draw(il, 0, dc, 0, 0, ILD_NORMAL);
  ExpectPx({{0, 0, RGB(0, 255, 0)}, {1, 1, RGB(0x40, 0, 0)}});
  EXPECT_FALSE(ImageList_Draw(il, 2, dc, 0, 0, ILD_NORMAL));
  EXPECT_TRUE(ImageList_Destroy(il));
  EXPECT_FALSE(ImageList_Destroy(il));
  EXPECT_EQ(LiveImageListCount(), lists);
  DeleteObject(strip);
}

TEST_F(ImageListTest, BlendAndDisabledLooks) {
  HIMAGELIST il = ImageList_Create(4, 4, ILC_MASK, 0, 1);
  HBITMAP strip = makeStrip();
  ImageList_AddMasked(il, strip, CLR_DEFAULT);
  Canvas(10, 10, kWhite);
  ImageList_DrawEx(il, 1, dc, 0, 0, 0, 0, CLR_NONE, RGB(0, 0, 254), ILD_BLEND50);
  EXPECT_EQ(Px(1, 1), RGB(0x40, 0, 0x7F));
  Clear();
  EXPECT_TRUE(ImageList_DrawDisabled(il, 0, dc, 2, 2));
  // Shape = the 2x2 centre at (3..4, 3..4); highlight one pixel down-right, shadow on top.
  // The highlight of (4,3) lands on (5,4), not on (5,3).
  const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW), light = GetSysColor(COLOR_BTNHIGHLIGHT);
  ExpectPx({{3, 3, shadow}, {4, 4, shadow}, {5, 5, light}, {5, 3, kWhite}, {5, 4, light}, {2, 2, kWhite}});
  ImageList_Destroy(il);
  DeleteObject(strip);
}
