#include "classlib/visual/Graphics.h"
#include "platform/kernel/Arith.h"
#include "platform/kernel/CodePage.h"
#include "tests/foundation/ThemeUnitsFixture.h"
#include "widgets/foundation/cxLookAndFeelPainterImages.h"
#include "widgets/foundation/cxLookAndFeelPainters.h"

#include <set>

namespace {

using S = TOffice11Scheme;
using Office11Scheme = ThemeUnitsTest;

TEST_F(Office11Scheme, DetectedFromTheStyleFileAndColourName) {
  struct Case {
    const char16_t* file;
    const char16_t* color;
    S scheme;
  };
  const Case cases[] = {
      {u"C:\\WINDOWS\\Resources\\Themes\\Luna\\Luna.msstyles", u"NormalColor", S::schNormalColor},
      {u"c:\\windows\\resources\\themes\\luna\\LUNA.MSSTYLES", u"normalcolor", S::schNormalColor},
      {u"Luna.msstyles", u"HomeStead", S::schHomestead},
      {u"C:\\Themes\\Royale.msstyles", u"NormalColor", S::schUnknown},
      {u"C:\\Themes\\Luna.msstyles.bak", u"NormalColor", S::schUnknown},
      {u"C:\\Themes\\Luna.msstyles", u"", S::schUnknown},
  };
  Start();
  for (const Case& c : cases) {
    ThemeChange({true, c.file, c.color, u"NormalSize"});
    EXPECT_EQ(cxDetectOffice11Scheme(), c.scheme) << WideToAnsi(c.file) << " " << WideToAnsi(c.color);
  }
  ThemeChange({false, u"Luna.msstyles", u"NormalColor", u""});
  EXPECT_EQ(cxDetectOffice11Scheme(), S::schUnknown) << "visual styles switched off";
  // Switched on without telling anyone: the manager still believes they are off.
  ThemeConfigure({true, u"Luna.msstyles", u"NormalColor", u""});
  EXPECT_EQ(cxDetectOffice11Scheme(), S::schUnknown);
}

TEST_F(Office11Scheme, UnknownWhenThemesAreOffOrTheNameCannotBeRead) {
  Start();
  EXPECT_EQ(cxDetectOffice11Scheme(), S::schUnknown);
  Stop();
  ThemeOn();
  SetExportHidden("UxTheme.dll", "GetCurrentThemeName", true);
  Start();
  ASSERT_TRUE(cxIsThemeAvailable());
  EXPECT_EQ(cxDetectOffice11Scheme(), S::schUnknown);
  Stop();
  SetExportHidden("UxTheme.dll", "GetCurrentThemeName", false);
  // A name longer than the buffers is cut and no longer matches.
  ThemeConfigure({true, WideString(1100, u'x') + u"\\Luna.msstyles", u"NormalColor", u""});
  Start();
  EXPECT_EQ(cxDetectOffice11Scheme(), S::schUnknown);
}

TEST_F(Office11Scheme, SetUpIsCountedAndRefreshFollowsTheTheme) {
  ThemeOn(u"HomeStead");
  Start();
  const size_t objects = GdiLiveObjectCount();
  cxOffice11SetUp();
  cxOffice11SetUp();
  EXPECT_EQ(GdiLiveObjectCount(), objects + 3) << "three brushes, made once";
  ASSERT_NE(cxOffice11SubMenuExpandBitmap(), nullptr) << "a missing resource still gives a bitmap";
  cxOffice11TearDown();
  EXPECT_NE(cxOffice11DotDarkBrush(), nullptr);
  ThemeConfigure({true, u"Luna.msstyles", u"Metallic", u""});
  cxOffice11Refresh();
  EXPECT_EQ(cxGetOffice11Scheme(), S::schMetallic);
  EXPECT_EQ(GdiLiveObjectCount(), objects + 3) << "brushes remade, not added";
  LOGBRUSH lb{};
  GetObjectA(cxOffice11DotDarkBrush(), sizeof lb, &lb);
  EXPECT_EQ(lb.lbColor, 0x755454u);
  cxOffice11TearDown();
  EXPECT_EQ(cxOffice11DotDarkBrush(), nullptr);
  EXPECT_EQ(cxOffice11SubMenuExpandBitmap(), nullptr);
  EXPECT_EQ(GdiLiveObjectCount(), objects);
  cxOffice11TearDown();  // unbalanced: nothing happens
}

TEST_F(Office11Scheme, AVisualStyleChangeRecalculatesTheColoursAndTheRadios) {
  ThemeOn(u"NormalColor");
  Start();
  cxLookAndFeelPainterImages::Initialize();
  ASSERT_EQ(cxGetOffice11Scheme(), S::schNormalColor);
  Owned<TBitmap> sheet(New<TBitmap>());
  sheet->SetPixelFormat(TPixelFormat::pf32bit);
  sheet->SetSize(20, 20);
  Owned<TcxCanvas> canvas(New<TcxCanvas>(sheet->Canvas()));
  const Integer mid = cxRadioButtonImageSize().X / 2;
  // The hot radio's interior is the scheme's hot button colour.
  auto hotInterior = [&] {
    cxOffice11Painter()->DrawRadioButton(*canvas, 0, 0, TcxButtonState::cxbsHot, false, false, clDefault);
    return sheet->Canvas()->GetPixel(mid, mid);
  };
  const TColor blue = hotInterior();
  EXPECT_EQ(blue, TColor(ColorToRGB(cxOffice11Painter()->ButtonColor(TcxButtonState::cxbsHot))));

  ThemeChange({true, u"Luna.msstyles", u"Metallic", u""});
  EXPECT_EQ(cxGetOffice11Scheme(), S::schMetallic);
  EXPECT_EQ(cxOffice11Colors().GradientLight, 0xFAF4F3u) << "the Metallic palette";

  ThemeChange({false, u"Luna.msstyles", u"Metallic", u""});
  EXPECT_EQ(cxGetOffice11Scheme(), S::schUnknown);
  EXPECT_FALSE(cxIsOffice11SchemeThemed());
  EXPECT_EQ(cxOffice11Colors().GradientLight, COLORREF(cxBlendColors(clBtnFace, clWindow, 22)));
  // Without a palette the hot colour is mixed from the system colours: the radios follow.
  const TColor mixed = hotInterior();
  EXPECT_NE(mixed, blue);
  EXPECT_EQ(mixed, TColor(ColorToRGB(cxOffice11Painter()->ButtonColor(TcxButtonState::cxbsHot))));

  ThemeChange({true, u"Luna.msstyles", u"NormalColor", u""});
  EXPECT_EQ(cxGetOffice11Scheme(), S::schNormalColor);
  EXPECT_EQ(hotInterior(), blue);
  canvas.reset();
  cxLookAndFeelPainterImages::Finalize();
}

using Office11Colours = ThemeUnitsTest;

TEST_F(Office11Colours, BlendScaleAndLightenRoundAndClamp) {
  EXPECT_EQ(cxBlendColors(TColor(RGB(255, 0, 0)), TColor(RGB(0, 0, 255)), 50), TColor(RGB(128, 0, 128)));
  // Outside 0..100 the extrapolation is clamped per component.
  EXPECT_EQ(cxBlendColors(TColor(RGB(255, 0, 100)), TColor(RGB(0, 255, 100)), 150), TColor(RGB(255, 0, 100)));
  EXPECT_EQ(cxBlendColors(TColor(RGB(255, 0, 100)), TColor(RGB(0, 255, 100)), -50), TColor(RGB(0, 255, 100)));
  // System colours are turned into RGB first.
  EXPECT_EQ(cxBlendColors(clBtnFace, clBtnFace, 30), TColor(GetSysColor(COLOR_BTNFACE)));
  // Halves go to the even neighbour.
  EXPECT_EQ(cxScaleColor(TColor(RGB(5, 15, 25)), 50), TColor(RGB(2, 8, 12)));
  EXPECT_EQ(cxScaleColor(TColor(RGB(200, 100, 0)), -10), TColor(RGB(0, 0, 0)));
  EXPECT_EQ(cxLightenColor(TColor(RGB(0, 100, 200)), 50), TColor(RGB(128, 178, 228)));
  EXPECT_EQ(cxLightenColor(TColor(RGB(0, 100, 200)), 150), TColor(RGB(0, 22, 172)));
}

TEST_F(Office11Colours, MixUsesTheHighlightOnBlackFaces) {
  const INT idx[] = {COLOR_BTNFACE, COLOR_HIGHLIGHT, COLOR_WINDOW, COLOR_BTNTEXT};
  const COLORREF normal[] = {RGB(200, 200, 200), RGB(0, 0, 128), RGB(255, 255, 255), RGB(0, 0, 0)};
  SetSysColors(4, idx, normal);
  // 0.5 * face + 0.5 * highlight + 0.2 * window, clamped.
  EXPECT_EQ(cxMixSystemColors(50, 50, 20), TColor(RGB(151, 151, 215)));
  EXPECT_EQ(cxMixSystemColors(-100, 0, 0), TColor(RGB(0, 0, 0)));
  const COLORREF black[] = {RGB(0, 0, 0), RGB(0, 128, 0), RGB(0, 0, 0), RGB(255, 255, 0)};
  SetSysColors(4, idx, black);
  EXPECT_EQ(cxMixSystemColors(50, 50, 20), TColor(RGB(0, 128, 0)));
  EXPECT_TRUE(cxIsBtnFaceBlack());
  EXPECT_TRUE(cxIsBlackFaceWithColoredText());
}

TEST_F(Office11Colours, WithoutAPaletteColoursAreMixedAndBlendedByTheirWeights) {
  const INT idx[] = {COLOR_BTNFACE, COLOR_HIGHLIGHT, COLOR_WINDOW, COLOR_BTNSHADOW};
  const COLORREF grey[] = {RGB(200, 200, 200), RGB(0, 0, 128), RGB(255, 255, 255), RGB(100, 100, 100)};
  SetSysColors(4, idx, grey);
  Start();
  cxOffice11SetUp();
  ASSERT_FALSE(cxIsOffice11SchemeThemed());
  const TdxOffice11Colors& c = cxOffice11Colors();
  // Face, highlight and window weighted -2/30/72, 14/44/40 and 41/11/48 per cent.
  EXPECT_EQ(c.HotLight, RGB(180, 180, 218));
  EXPECT_EQ(c.HotDark, RGB(180, 180, 218));
  EXPECT_EQ(c.PressedLight, RGB(130, 130, 186));
  EXPECT_EQ(c.PressedDark, RGB(130, 130, 186));
  EXPECT_EQ(c.PainterColor34, RGB(204, 204, 218));
  // Face over window at 22, 96 and 20 per cent; shadow over window at 76 and 70.
  EXPECT_EQ(c.GradientLight, RGB(243, 243, 243));
  EXPECT_EQ(c.GradientDark, RGB(202, 202, 202));
  EXPECT_EQ(c.PainterColor4, RGB(244, 244, 244));
  EXPECT_EQ(c.DotDark, RGB(137, 137, 137));
  EXPECT_EQ(c.PainterColor15, RGB(147, 147, 147));
  // A white face, like a black one, gives the highlight itself.
  const COLORREF white[] = {RGB(255, 255, 255), RGB(0, 0, 128), RGB(255, 255, 255), RGB(100, 100, 100)};
  SetSysColors(4, idx, white);
  cxOffice11Refresh();
  EXPECT_TRUE(cxIsBtnFaceWhite());
  EXPECT_EQ(c.HotLight, RGB(0, 0, 128));
  EXPECT_EQ(c.PressedLight, RGB(0, 0, 128));
  EXPECT_EQ(c.PainterColor34, RGB(0, 0, 128));
  cxOffice11TearDown();
}

TEST_F(Office11Colours, HighContrastFramesTheSelectionInHighlightText) {
  Start();
  SetSysColorPreset(SysColorPreset::HighContrastBlack);
  ASSERT_TRUE(cxIsBtnFaceBlack());
  cxOffice11SetUp();
  EXPECT_EQ(cxOffice11Colors().HotLight, GetSysColor(COLOR_HIGHLIGHT)) << "Mix gives the highlight";
  Canvas(20, 20);
  cxFrameSelectionRect(dc, {2, 2, 18, 18});
  EXPECT_EQ(Px(2, 10), GetSysColor(COLOR_HIGHLIGHTTEXT));
  EXPECT_EQ(Px(10, 10), kPaper);
  SetSysColorPreset(SysColorPreset::Classic);
  cxOffice11Refresh();
  Canvas(20, 20);
  cxFrameSelectionRect(dc, {2, 2, 18, 18});
  EXPECT_EQ(Px(2, 10), GetSysColor(COLOR_HIGHLIGHT));
  cxOffice11TearDown();
}

using Office11Drawing = ThemeUnitsTest;

TEST_F(Office11Drawing, GradientBandsAtOneTwoHundredFiftySixAndMorePixels) {
  const TColor black = TColor(RGB(0, 0, 0)), white = TColor(RGB(255, 255, 255));
  for (int width : {1, 256, 257}) {
    Canvas(width, 3);
    const TRect r{0, 0, width, 3};
    cxFillGradientRect(dc, r, black, true, white);
    std::set<COLORREF> seen;
    for (int x = 0; x < width; ++x) {
      seen.insert(Px(x, 1));
      EXPECT_EQ(Px(x, 0), Px(x, 2));
      EXPECT_EQ(COLORREF(cxGetGradientColorAt(r, x, black, true, white)), Px(x, 1)) << width << " at " << x;
    }
    EXPECT_EQ(seen.size(), size_t(std::min(width, 256))) << width;
    EXPECT_EQ(Px(0, 1), RGB(0, 0, 0)) << width;
    if (width > 1) {
      EXPECT_EQ(Px(width - 1, 1), RGB(255, 255, 255)) << width;
    }
  }
  // One pixel: colour 1, with no division by zero bleeding into another byte.
  EXPECT_EQ(cxGetGradientColorAt({5, 0, 6, 1}, 5, TColor(RGB(10, 0, 0)), true, TColor(RGB(0, 0, 10))),
            TColor(RGB(10, 0, 0)));
  EXPECT_EQ(cxGetGradientColorAt({5, 0, 5, 1}, 5, TColor(RGB(10, 0, 0)), true, TColor(RGB(0, 0, 10))),
            TColor(RGB(10, 0, 0)));
  // Far outside the rectangle: the nearest end, not an extrapolation.
  EXPECT_EQ(cxGetGradientColorAt({0, 0, 10, 1}, 1000, black, true, white), white);
  EXPECT_EQ(cxGetGradientColorAt({0, 0, 10, 1}, -1000, black, true, white), black);
  // Vertical, and equal colours in one fill.
  Canvas(4, 40);
  cxFillGradientRect(dc, {0, 0, 4, 40}, TColor(RGB(0, 0, 0)), false, TColor(RGB(0, 0, 200)));
  EXPECT_EQ(Px(2, 0), RGB(0, 0, 0));
  EXPECT_EQ(Px(2, 39), RGB(0, 0, 200));
  Canvas(10, 10);
  cxFillGradientRect(dc, {5, 5, 5, 9}, black, true, white);
  cxFillGradientRect(dc, {8, 5, 2, 9}, black, true, white);
  EXPECT_FALSE(Painted({0, 0, 10, 10}));
}

TEST_F(Office11Drawing, TwoStageGradientRunsThroughTheMiddleColour) {
  Start();
  cxOffice11SetUp();  // system column: 75 %
  const COLORREF c1 = RGB(200, 100, 0), c2 = RGB(0, 100, 200);
  const Integer k = cxOffice11TwoStageGradientPercent();
  const COLORREF middle = RGB(Byte(200 - MulDiv(200, k, 200)), 100, Byte(0 + MulDiv(200, k, 200)));
  Canvas(100, 2);
  cxFillTwoStageGradientRect(dc, {0, 0, 100, 2}, TColor(c1), true, TColor(c2));
  EXPECT_EQ(Px(0, 0), c1);
  EXPECT_EQ(Px(50, 0), middle);
  EXPECT_EQ(Px(99, 0), c2);
  for (int x = 1; x < 100; ++x) EXPECT_LE(GetRValue(Px(x, 0)), GetRValue(Px(x - 1, 0)) + 1) << x;
  // One pixel: the middle colour alone, without dividing by the empty first stage.
  Canvas(3, 3);
  cxFillTwoStageGradientRect(dc, {1, 1, 2, 2}, TColor(c1), true, TColor(c2));
  EXPECT_EQ(Px(1, 1), middle);
  EXPECT_FALSE(Painted({0, 0, 3, 1}));
  Canvas(3, 3);
  cxFillTwoStageGradientRect(dc, {1, 1, 1, 3}, TColor(c1), true, TColor(c2));
  EXPECT_FALSE(Painted({0, 0, 3, 3}));
  cxOffice11TearDown();
}

TEST_F(Office11Drawing, ArrowsAreSizedFromTheRectangleAndStayInsideIt) {
  Start();
  cxOffice11SetUp();
  const TdxOffice11Colors& k = cxOffice11Colors();
  Canvas(30, 30);
  // Down: W = 16 - 8 = 8, S = 3; X = (0 + 16 - 5) div 2 = 5, Y = (0 + 10 - 3) div 2 = 3.
  cxDrawOffice11Arrow(dc, {0, 0, 16, 10}, true, false, false);
  EXPECT_EQ(Px(5, 3), k.Text);
  EXPECT_EQ(Px(7, 5), k.Text);
  EXPECT_EQ(Px(7, 6), kPaper);
  // A rectangle smaller than the smallest arrow: clipped, nothing outside.
  Canvas(30, 30);
  cxDrawOffice11Arrow(dc, {10, 10, 13, 12}, true, false, false);
  EXPECT_FALSE(Painted({0, 0, 30, 10}));
  EXPECT_FALSE(Painted({0, 0, 10, 30}));
  cxOffice11TearDown();
}

TEST_F(Office11Drawing, RecolouringSpreadsRedValuesAndSurvivesAUniformBitmap) {
  const COLORREF light = RGB(250, 240, 230), dark = RGB(50, 40, 30), key = RGB(255, 0, 255);
  auto make = [&](std::initializer_list<COLORREF> pixels) {
    TBitmap* b = New<TBitmap>();
    b->SetPixelFormat(TPixelFormat::pf32bit);
    b->SetSize(int(pixels.size()), 1);
    Byte* row = b->ScanLine(0);
    int x = 0;
    for (COLORREF c : pixels) {
      row[4 * x] = GetBValue(c);
      row[4 * x + 1] = GetGValue(c);
      row[4 * x + 2] = GetRValue(c);
      ++x;
    }
    return Owned<TBitmap>(b);
  };
  auto at = [](TBitmap* b, int x) {
    const Byte* p = b->ScanLine(0) + 4 * x;
    return RGB(p[2], p[1], p[0]);
  };
  Owned<TBitmap> spread = make({key, RGB(100, 7, 7), RGB(200, 9, 9), RGB(0, 0, 0), key});
  cxRecolorOffice11Bitmap(spread.get(), TColor(light), TColor(dark));
  EXPECT_EQ(at(spread.get(), 0), key);
  EXPECT_EQ(at(spread.get(), 1), dark) << "the lowest red takes the dark end";
  EXPECT_EQ(at(spread.get(), 2), light) << "the highest red takes the light end";
  Owned<TBitmap> uniform = make({key, RGB(90, 1, 1), RGB(90, 1, 1)});
  cxRecolorOffice11Bitmap(uniform.get(), TColor(light), TColor(dark));
  EXPECT_EQ(at(uniform.get(), 1), dark);
  cxRecolorOffice11Bitmap(nullptr, TColor(light), TColor(dark));
  Owned<TBitmap> empty(New<TBitmap>());
  cxRecolorOffice11Bitmap(empty.get(), TColor(light), TColor(dark));
  EXPECT_TRUE(empty->Empty());
}

}  // namespace
