// The radio images, the checker patterns and their rebuild on a system colour change.
#include "tests/foundation/PainterTestFixture.h"

namespace {

using BS = TcxButtonState;
using S = TcxLookAndFeelStyle;
using PainterImages = PainterTest;

TEST(RadioImageIndex, FormulaAndDefaultState) {
  EXPECT_EQ(cxRadioButtonImageIndex(S::lfsFlat, BS::cxbsNormal, false, false, false), 0);
  EXPECT_EQ(cxRadioButtonImageIndex(S::lfsOffice11, BS::cxbsDisabled, true, true, true), 64 + 32 + 24 + 4 + 3);
  EXPECT_EQ(cxRadioButtonImageIndex(S::lfsUltraFlat, BS::cxbsHot, true, false, false), 16 + 4 + 1);
  // The default-button state would fall one image short; it draws as normal.
  for (S style : {S::lfsFlat, S::lfsStandard, S::lfsUltraFlat, S::lfsOffice11})
    for (bool checked : {false, true})
      EXPECT_EQ(cxRadioButtonImageIndex(style, BS::cxbsDefault, checked, true, false),
                cxRadioButtonImageIndex(style, BS::cxbsNormal, checked, true, false));
}

TEST_F(PainterImages, RadioGlyphClassesFollowThePlatformGlyph) {
  TcxRadioButtonImageList* list = cxGetRadioButtonImageList();
  ASSERT_EQ(list->Images()->Count(), 128);
  const Integer w = list->Width(), h = list->Height();
  // Corners are outside the ring, the centre is the dot, and both ring halves exist.
  EXPECT_EQ(list->PixelClass(0, 0), 0);
  EXPECT_EQ(list->PixelClass(w / 2, h / 2), 6);
  int counts[7] = {};
  for (Integer y = 0; y < h; ++y)
    for (Integer x = 0; x < w; ++x) ++counts[list->PixelClass(x, y)];
  for (int c = 1; c <= 6; ++c) EXPECT_GT(counts[c], 0) << c;
  EXPECT_EQ(counts[1], counts[2]);  // a round glyph splits evenly
}

TEST_F(PainterImages, RadioDotAndRingColours) {
  const Integer w = cxGetRadioButtonImageList()->Width(), h = cxGetRadioButtonImageList()->Height();
  cxUltraFlatPainter()->DrawRadioButton(*canvas, 0, 0, BS::cxbsNormal, true, false, clDefault);
  EXPECT_TRUE(Is(w / 2, h / 2, clWindowText));
  cxUltraFlatPainter()->DrawRadioButton(*canvas, 20, 0, BS::cxbsHot, false, false, clDefault);
  EXPECT_TRUE(Is(20 + w / 2, h / 2, cxUltraFlatHotColor()));
  EXPECT_EQ(Px(20, 0), kPaper);  // transparent corner
  // A ring pixel: the first glyph pixel on the middle row.
  Integer ringX = 0;
  while (ringX < w && cxGetRadioButtonImageList()->PixelClass(ringX, h / 2) == 0) ++ringX;
  EXPECT_TRUE(Is(20 + ringX, h / 2, clHighlight));
}

TEST_F(PainterImages, CheckersFollowSystemColours) {
  TBitmap* normal = cxCheckerBitmap(false);
  TBitmap* pressed = cxCheckerBitmap(true);
  ASSERT_TRUE(normal && pressed);
  EXPECT_EQ(normal->Canvas()->GetPixel(0, 0), Rgb(clBtnFace));
  EXPECT_EQ(normal->Canvas()->GetPixel(1, 0), Rgb(clBtnHighlight));
  EXPECT_EQ(pressed->Canvas()->GetPixel(0, 0), Rgb(clBlack));
  const INT index = COLOR_BTNFACE;
  const COLORREF old = GetSysColor(COLOR_BTNFACE), fresh = RGB(10, 200, 30);
  SetSysColors(1, &index, &fresh);
  cxUpdateCheckerBitmaps();
  EXPECT_EQ(normal->Canvas()->GetPixel(0, 0), TColor(fresh));
  SetSysColors(1, &index, &old);
  cxUpdateCheckerBitmaps();
}

TEST_F(PainterImages, SystemColourChangeRepaintsTheRadios) {
  const Integer w = cxGetRadioButtonImageList()->Width(), h = cxGetRadioButtonImageList()->Height();
  const INT index = COLOR_WINDOW;
  const COLORREF old = GetSysColor(COLOR_WINDOW), fresh = RGB(250, 240, 10);
  cxStandardPainter()->DrawRadioButton(*canvas, 0, 0, BS::cxbsNormal, false, false, clDefault);
  EXPECT_TRUE(Is(w / 2, h / 2, clWindow));
  SetSysColors(1, &index, &fresh);
  SendMessageA(cxSystemPaletteChangedListenerWindow(), 0x0015, 0, 0);
  cxStandardPainter()->DrawRadioButton(*canvas, 0, 0, BS::cxbsNormal, false, false, clDefault);
  EXPECT_EQ(Px(w / 2, h / 2), TColor(fresh));
  SetSysColors(1, &index, &old);
  SendMessageA(cxSystemPaletteChangedListenerWindow(), 0x0015, 0, 0);
}

}  // namespace
