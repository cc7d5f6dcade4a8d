#include "GdiTestCanvas.h"

#include <set>
#include <utility>

using FrameControlTest = GdiCanvasTest;

namespace {
int countPixels(Surface& s, const TRect& r, Pixel p) {
  int n = 0;
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x) n += s.At(x, y) == p;
  return n;
}
}  // namespace

TEST_F(FrameControlTest, RadioMaskAndImageComposeOverAnyBackground) {
  Canvas(40, 20, RGB(10, 200, 30));
  HDC m = CreateCompatibleDC(dc);
  HBITMAP mask = CreateBitmap(13, 13, 1, 32, nullptr), image = CreateBitmap(13, 13, 1, 32, nullptr);
  HGDIOBJ o = SelectObject(m, mask);
  RECT cell{0, 0, 13, 13};
  EXPECT_TRUE(DrawFrameControl(m, &cell, DFC_BUTTON, DFCS_BUTTONRADIOMASK));
  BitBlt(dc, 0, 0, 13, 13, m, 0, 0, SRCAND);
  SelectObject(m, image);
  EXPECT_TRUE(DrawFrameControl(m, &cell, DFC_BUTTON, DFCS_BUTTONRADIOIMAGE | DFCS_CHECKED));
  BitBlt(dc, 0, 0, 13, 13, m, 0, 0, SRCPAINT);
  // The same glyph drawn directly onto the background.
  RECT direct{20, 0, 33, 13};
  DrawFrameControl(dc, &direct, DFC_BUTTON, DFCS_BUTTONRADIO | DFCS_CHECKED);
  for (int y = 0; y < 13; ++y)
    for (int x = 0; x < 13; ++x) ASSERT_EQ(Surf().At(x, y), Surf().At(20 + x, y)) << x << "," << y;
  ExpectPx({{0, 0, RGB(10, 200, 30)}, {6, 6, GetSysColor(COLOR_WINDOWTEXT)}});   // corners stay background
  SelectObject(m, o);
  DeleteDC(m);
  DeleteObject(mask);
  DeleteObject(image);
}

TEST_F(FrameControlTest, ScrollArrowsPointTheRequestedWayAndGreyWhenInactive) {
  Canvas(16, 16);
  const Pixel text = PixelFromColor(GetSysColor(COLOR_BTNTEXT));
  RECT r{0, 0, 16, 16};
  // The widths of the arrow's first and last rows.
  auto ends = [&] {
    int first = -1, last = -1;
    for (int y = 0; y < 16; ++y)
      if (const int n = countPixels(Surf(), {0, y, 16, y + 1}, text); n > 0) first = first < 0 ? n : first, last = n;
    return std::pair(first, last);
  };
  ASSERT_TRUE(DrawFrameControl(dc, &r, DFC_SCROLL, DFCS_SCROLLUP));
  const auto up = ends();
  EXPECT_LT(up.first, up.second);   // narrow tip on top
  DrawFrameControl(dc, &r, DFC_SCROLL, DFCS_SCROLLLEFT | DFCS_INACTIVE);
  EXPECT_EQ(countPixels(Surf(), {0, 0, 16, 16}, text), 0);
  EXPECT_GT(countPixels(Surf(), {2, 2, 14, 14}, PixelFromColor(GetSysColor(COLOR_BTNSHADOW))), 0);
  EXPECT_FALSE(DrawFrameControl(dc, &r, 77, 0));
  EXPECT_FALSE(DrawFrameControl(dc, nullptr, DFC_SCROLL, 0));
}

TEST_F(FrameControlTest, CheckBoxBitmapMatchesTheFrameControls) {
  HBITMAP boxes = CreateCheckBoxesBitmap();
  Surface& cells = *BitmapFromHandle(boxes)->Pixels;
  Canvas(13, 13);
  const UINT cols[4] = {0, DFCS_CHECKED, DFCS_PUSHED, DFCS_PUSHED | DFCS_CHECKED};
  const UINT rows[3] = {DFCS_BUTTONCHECK, DFCS_BUTTONRADIO, DFCS_BUTTON3STATE};
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 4; ++c) {
      Surf().Fill(PixelFromColor(GetSysColor(COLOR_BTNFACE)));
      RECT cell{0, 0, 13, 13};
      DrawFrameControl(dc, &cell, DFC_BUTTON, rows[r] | cols[c]);
      for (int y = 0; y < 13; ++y)
        for (int x = 0; x < 13; ++x)
          ASSERT_EQ(Surf().At(x, y), cells.At(c * 13 + x, r * 13 + y))
              << "cell " << c << "," << r << " at " << x << "," << y;
    }
  DeleteObject(boxes);
}
