// The label's painting by pixels with the box glyphs of the test face: the depth copies
// of each effect, the relief layers, the outline, the texture, the background, and when the
// cached bitmap is rendered again. A real-font texture picture goes to the build folder.
#include "tests/editors/LabelTestSupport.h"

namespace {

using E = TcxLabelEffect;
using O = TcxLabelOrientation;
using S = TcxLabelStyle;

constexpr TColor kBack = TColor(0x40C0E0);
constexpr TColor kShadow = TColor(0x0000FF);

class LabelPaintTest : public LabelTest {
 protected:
  void SetUp() override {
    LabelTest::SetUp();
    style->SetColor(kBack);
    props->SetShadowedColor(kShadow);
    canvas->GetFont()->Assign(style->GetFont());
    lead = canvas->TextHeight("a") - 10;  // rows above a box: the internal leading
  }
  void Show(const String& AText, TRect ABounds = {0, 0, 40, 30}) {
    Make(ABounds.Right, ABounds.Bottom, clWhite);
    Layout(ABounds, AText);
    Paint();
  }
  bool At(int x, int y, TColor c) { return Px(x, y) == Rgb(c); }
  Integer lead = 0;
};

TEST_F(LabelPaintTest, ExtrudeDrawsDepthCopiesBehindTheTextAtTopLeft) {
  props->SetLabelEffect(E::cxleExtrude);
  props->SetDepth(5);
  Show("I");
  // The text's box: columns 0..4, rows lead..lead+9; copies at offsets 6, 5, 4, 3, 2.
  EXPECT_TRUE(At(0, lead, clBlack));
  EXPECT_TRUE(At(4, lead + 9, clBlack));
  EXPECT_TRUE(At(10, lead + 15, kShadow)) << "the farthest copy at 6";
  EXPECT_TRUE(At(11, lead + 15, kBack));
  EXPECT_TRUE(At(10, lead + 16, kBack));
  EXPECT_TRUE(At(2, lead + 11, kShadow)) << "the nearest copy at 2";
  EXPECT_TRUE(At(1, lead + 11, kBack));
  EXPECT_TRUE(At(5, lead + 1, kBack)) << "no copy at 1";
  // Depth with no effect paints nothing but the text.
  props->SetLabelEffect(E::cxleNormal);
  Show("I");
  EXPECT_EQ(CountColor({0, 0, 40, 30}, kShadow), 0);
  EXPECT_EQ(InkBox({0, 0, 40, 30}, clBlack), (TRect{0, lead, 5, lead + 10}));
}

TEST_F(LabelPaintTest, CoolDrawsOneCopyOnTheNamedSide) {
  props->SetLabelEffect(E::cxleCool);
  props->SetDepth(3);
  props->SetOrientation(O::cxoLeftTop);
  Show("I");
  EXPECT_EQ(InkBox({0, 0, 40, 30}, kShadow), (TRect{0, lead, 5, lead + 10}));
  EXPECT_EQ(InkBox({0, 0, 40, 30}, clBlack), (TRect{3, lead + 3, 8, lead + 13}));
  props->SetOrientation(O::cxoBottom);  // copy below, text on top
  Show("I");
  EXPECT_EQ(InkBox({0, 0, 40, 30}, clBlack), (TRect{0, lead, 5, lead + 10}));
  EXPECT_EQ(InkBox({0, 0, 40, 30}, kShadow), (TRect{0, lead + 10, 5, lead + 13}));
}

TEST_F(LabelPaintTest, FunFadesFromTheBackgroundToTheShadowColour) {
  style->SetColor(clWhite);
  style->SetTextColor(clBlue);
  props->SetShadowedColor(clBlack);
  props->SetLabelEffect(E::cxleFun);
  props->SetDepth(3);
  Show("I");
  EXPECT_EQ(Px(8, lead + 13), TColor(0xAAAAAA)) << "step 1 of 3, farthest";
  EXPECT_EQ(Px(7, lead + 12), TColor(0x555555));
  EXPECT_EQ(Px(6, lead + 11), TColor(0x000000)) << "the last copy in the shadow colour";
  EXPECT_TRUE(At(0, lead, clBlue));
  EXPECT_EQ(cxLabelBlendColor(clWhite, TColor(0x000064), 3, 4), TColor(0x40408B))
      << "each channel rounded";
}

TEST_F(LabelPaintTest, ReliefLayersByStyleAndSize) {
  props->SetLabelStyle(S::cxlsRaised);
  Show("I");
  EXPECT_TRUE(At(0, lead, clBtnHighlight));
  EXPECT_TRUE(At(5, lead + 10, clBlack)) << "the text at +1";
  EXPECT_EQ(CountColor({0, 0, 40, 30}, clBtnShadow), 0) << "two layers below 12 points";
  props->SetLabelStyle(S::cxlsLowered);
  Show("I");
  EXPECT_TRUE(At(6, lead + 11, clBtnHighlight)) << "highlight at +2";
  EXPECT_TRUE(At(0, lead, kBack)) << "no shadow layer below 12 points";
  style->GetFont()->SetHeight(-16);  // 12 points: box columns 0..8, rows 4..19
  props->SetLabelStyle(S::cxlsRaised);
  Show("I");
  EXPECT_TRUE(At(0, 4, clBtnHighlight));
  EXPECT_TRUE(At(10, 21, clBtnShadow)) << "shadow at +2";
  EXPECT_TRUE(At(9, 20, clBlack));
  props->SetLabelStyle(S::cxlsLowered);
  Show("I");
  EXPECT_TRUE(At(0, 4, clBtnShadow));
  EXPECT_TRUE(At(10, 21, clBtnHighlight));
}

TEST_F(LabelPaintTest, OutlineStrokesTrueTypeLettersAndDrawsOthersPlainly) {
  props->SetLabelStyle(S::cxlsOutLine);
  Show("I");
  EXPECT_TRUE(At(2, lead + 5, kBack)) << "hollow letters";
  const Integer thin = CountColor({0, 0, 40, 30}, clBlack);
  EXPECT_GT(thin, 10);
  const TRect ink = InkBox({0, 0, 40, 30}, clBlack);
  EXPECT_LE(ink.Left, 0);
  EXPECT_GE(ink.Right, 5);
  props->SetPenWidth(3);
  Show("I");
  EXPECT_GT(CountColor({0, 0, 40, 30}, clBlack), thin);
  // A raster face has no outlines: the outline style paints as the normal one.
  style->GetFont()->SetName("MS Sans Serif");
  Show("Il");
  std::vector<TColor> outline;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) outline.push_back(Px(x, y));
  props->SetLabelStyle(S::cxlsNormal);
  Show("Il");
  std::vector<TColor> normal;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) normal.push_back(Px(x, y));
  EXPECT_EQ(outline, normal);
}

TEST_F(LabelPaintTest, TextureFillsTheLettersWithTheTiledGlyph) {
  TBitmap* g = props->GetGlyph();
  g->SetPixelFormat(TPixelFormat::pf32bit);
  g->SetSize(2, 2);
  g->Canvas()->SetPixel(0, 0, clRed);
  g->Canvas()->SetPixel(1, 1, clRed);
  g->Canvas()->SetPixel(1, 0, clLime);
  g->Canvas()->SetPixel(0, 1, clLime);
  Show("I");
  Integer wrong = 0;
  for (int y = lead; y < lead + 10; ++y)
    for (int x = 0; x < 5; ++x) wrong += !At(x, y, (x + y) % 2 == 0 ? clRed : clLime);
  EXPECT_EQ(wrong, 0);
  EXPECT_TRUE(At(5, lead, kBack)) << "only inside the letters";
  EXPECT_TRUE(At(0, lead - 1, kBack));
  // Outlined and textured: the texture inside, the stroke on the edge.
  props->SetLabelStyle(S::cxlsOutLine);
  Show("I");
  EXPECT_TRUE(At(2, lead + 4, clRed) || At(2, lead + 4, clLime));
  EXPECT_GT(CountColor({0, 0, 40, 30}, clBlack), 0);
  // With a raster face the glyph is ignored.
  props->SetLabelStyle(S::cxlsNormal);
  style->GetFont()->SetName("MS Sans Serif");
  Show("Il");
  EXPECT_EQ(CountColor({0, 0, 40, 30}, clRed) + CountColor({0, 0, 40, 30}, clLime), 0);
  EXPECT_LT(CountColor({0, 0, 40, 30}, kBack), 40 * 30) << "plain letters";
}

TEST_F(LabelPaintTest, AcceleratorMarkerIsHiddenUnrotatedAndRotated) {
  Show("&I");
  // One box, underlined across its advance as the accelerator.
  EXPECT_EQ(InkBox({0, 0, 40, 30}, clBlack), (TRect{0, lead, 6, lead + 10}));
  props->SetShowAccelChar(false);
  Show("&I");
  EXPECT_EQ(InkBox({0, 0, 40, 30}, clBlack), (TRect{0, lead, 11, lead + 10}))
      << "the marker is a letter";
  props->SetShowAccelChar(true);
  props->SetAngle(90);
  Show("&I", {0, 0, 40, 40});
  const TRect ink = InkBox({0, 0, 40, 40}, clBlack);
  EXPECT_EQ(ink.Width(), 10);
  EXPECT_EQ(ink.Height(), 5) << "one turned box";
  EXPECT_EQ(CountColor({0, 0, 40, 40}, kBack) + CountColor({0, 0, 40, 40}, clBlack), 40 * 40)
      << "turned text leaves the background as it is around its letters";
}

TEST_F(LabelPaintTest, BackgroundFilledOrLeftAsItIsWhenTransparent) {
  Show("I", {0, 0, 40, 30});
  EXPECT_TRUE(At(39, 29, kBack));
  props->SetTransparent(true);
  Show("I");
  EXPECT_TRUE(At(39, 29, clWhite)) << "the canvas behind shows";
  EXPECT_TRUE(At(0, lead, clBlack));
  // In place, a focused transparent cell is filled.
  Make(40, 30, clWhite);
  Layout({0, 0, 40, 30}, "I", true);
  info->Focused = true;
  Paint();
  EXPECT_TRUE(At(39, 29, kBack));
  // A zero-size label paints nothing and keeps no bitmap.
  Make(40, 30, clWhite);
  Layout({5, 5, 5, 30}, "I");
  Paint();
  EXPECT_FALSE(info->LastPaintRendered());
  EXPECT_EQ(CountColor({0, 0, 40, 30}, clWhite), 40 * 30);
}

TEST_F(LabelPaintTest, CachedBitmapIsRenderedAgainOnlyWhenSomethingChanged) {
  Show("I", {10, 5, 40, 30});
  EXPECT_TRUE(info->LastPaintRendered());
  cxFillRectByColor(*canvas, {0, 0, 40, 30}, clWhite);
  Paint();
  EXPECT_FALSE(info->LastPaintRendered());
  EXPECT_TRUE(At(10, 5 + lead, clBlack)) << "the cached picture, at the label's place";
  EXPECT_TRUE(At(39, 29, kBack));
  info->BackgroundColor = clYellow;
  Paint();
  EXPECT_TRUE(info->LastPaintRendered()) << "a new background colour";
  EXPECT_TRUE(At(39, 29, clYellow));
  info->TextColor = clRed;
  Paint();
  EXPECT_TRUE(info->LastPaintRendered()) << "a new text colour";
  Paint();
  EXPECT_FALSE(info->LastPaintRendered());
  Layout({10, 5, 40, 30}, "I");
  Paint();
  EXPECT_TRUE(info->LastPaintRendered()) << "every calculation";
  info->Offset(1, 0);
  Paint();
  EXPECT_FALSE(info->LastPaintRendered()) << "an opaque label keeps its picture when moved";
  props->SetTransparent(true);
  Layout({10, 5, 40, 30}, "I");
  Paint();
  Paint();
  EXPECT_TRUE(info->LastPaintRendered()) << "a transparent label renders on every paint";
  // A copy of the view renders for itself.
  Owned<TcxCustomLabelViewInfo> copy(
      static_cast<TcxCustomLabelViewInfo*>(props->GetViewInfoClass().Create()));
  copy->Assign(info);
  EXPECT_TRUE(copy->NeedsRender);
  EXPECT_EQ(copy->Text, "I");
}

// Turned letters of a real face take the texture too.
TEST_F(LabelPaintTest, TextureFillsTurnedLettersOfARealFace) {
  style->GetFont()->SetName("Tahoma");
  style->GetFont()->SetHeight(-24);
  style->SetColor(clWhite);
  TBitmap* g = props->GetGlyph();
  g->SetPixelFormat(TPixelFormat::pf32bit);
  g->SetSize(4, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) g->Canvas()->SetPixel(x, y, y < 2 ? clRed : clGreen);
  props->SetAngle(20);
  Show("Texture", {0, 0, 100, 60});
  EXPECT_GT(CountColor({0, 0, 100, 60}, clRed), 0);
  EXPECT_GT(CountColor({0, 0, 100, 60}, clGreen), 0);
  Dump("texture");
}

}  // namespace
