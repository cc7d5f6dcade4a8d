// Edit-button drawing: widths by kind, and the pixels of frames and contents in the button
// styles, pressed, hot and disabled.
#include "widgets/editcore/cxEditUtils.h"

#include "tests/editcore/EditSettingsTestSupport.h"
#include "widgets/editcore/cxEditPaintUtils.h"

namespace {

using K = TcxEditButtonKind;
using BS = TcxEditButtonState;
using St = TcxEditButtonStyle;

class EditButtonDrawTest : public EditSettingsTest {
 protected:
  TcxEditButtonViewInfo& Button(K kind, St style, BS state, TRect bounds = {0, 0, 17, 20}) {
    info.reset(New<TcxCustomEditViewInfo>());
    info->ButtonsInfo.emplace_back(New<TcxEditButtonViewInfo>());
    TcxEditButtonViewInfo& b = *info->ButtonsInfo.back();
    b.Bounds = bounds;
    b.Data.Kind = kind;
    b.ButtonStyle = style;
    b.State = state;
    b.Data.Leftmost = b.Data.Rightmost = true;
    return b;
  }
  void Draw() {
    Make(40, 40);
    cxDrawEditButton(*canvas, *info, 0);
  }
  int CountOf(TColor c, const TRect& r) {
    int n = 0;
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x) n += Is(x, y, c);
    return n;
  }
  Owned<TcxCustomEditViewInfo> info;
};

TEST_F(EditButtonDrawTest, WidthsByKind) {
  const Integer arrow = GetSystemMetrics(SM_CYHSCROLL);
  TcxEditButtonViewInfo& b = Button(K::bkText, St::bts3D, BS::ebsNormal);
  b.Data.DisplayCaption = "Go";
  EXPECT_EQ(cxGetEditButtonWidth(*canvas, b), std::max(canvas->TextWidth("Go") + 4 + 3, arrow));
  b.Data.DisplayCaption = "A much longer caption";
  EXPECT_EQ(cxGetEditButtonWidth(*canvas, b), canvas->TextWidth(b.Data.DisplayCaption) + 7);
  b.Data.Width = 2;
  EXPECT_EQ(cxGetEditButtonWidth(*canvas, b), 4) << "never below the border size";
  b.Data.Width = 40;
  EXPECT_EQ(cxGetEditButtonWidth(*canvas, b), 40);
  b.Data.Width = -3;  // set from code: automatic
  b.Data.Kind = K::bkEllipsis;
  EXPECT_EQ(cxGetEditButtonWidth(*canvas, b), arrow);
  Owned<TBitmap> glyph(New<TBitmap>());
  glyph->SetSize(5, 5);
  b.Data.Kind = K::bkGlyph;
  EXPECT_EQ(cxGetEditButtonWidth(*canvas, b), arrow) << "no glyph yet";
  b.Data.Glyph = glyph.get();
  EXPECT_EQ(cxGetEditButtonWidth(*canvas, b), 9) << "a glyph button may be narrower";
  b.Data.NativeStyle = true;  // no visual style here: the mark is dropped
  EXPECT_EQ(cxGetEditButtonWidth(*canvas, b), 9);
  EXPECT_FALSE(b.Data.NativeStyle);
}

TEST_F(EditButtonDrawTest, ThreeDimensionalFrameAndEllipsisDots) {
  Button(K::bkEllipsis, St::bts3D, BS::ebsNormal);
  Draw();
  EXPECT_TRUE(Is(0, 0, cl3DLight));
  EXPECT_TRUE(Is(16, 19, cl3DDkShadow));
  EXPECT_TRUE(Is(1, 1, clBtnHighlight));
  EXPECT_TRUE(Is(15, 18, clBtnShadow));
  EXPECT_TRUE(Is(17, 5, kPaper));
  // Content 13 wide: dots of 2 with gaps of 2, centred.
  for (int x : {3, 4, 7, 8, 11, 12}) EXPECT_TRUE(Is(x, 9, clBtnText) && Is(x, 10, clBtnText)) << x;
  for (int x : {2, 5, 6, 9, 10, 13}) EXPECT_TRUE(Is(x, 9, clBtnFace)) << x;
  EXPECT_EQ(CountOf(clBtnText, {0, 0, 17, 20}), 12);
  // Pressed: shadow then face frame, the dots one pixel right and down.
  Button(K::bkEllipsis, St::bts3D, BS::ebsPressed);
  Draw();
  EXPECT_TRUE(Is(0, 0, clBtnShadow) && Is(16, 19, clBtnShadow));
  EXPECT_TRUE(Is(1, 1, clBtnFace));
  EXPECT_TRUE(Is(4, 10, clBtnText) && Is(3, 9, clBtnFace));
  // Narrower than 12: one-pixel dots.
  Button(K::bkEllipsis, St::bts3D, BS::ebsNormal, {0, 0, 14, 20});
  Draw();
  EXPECT_EQ(CountOf(clBtnText, {0, 0, 14, 20}), 3);
}

TEST_F(EditButtonDrawTest, UltraFlatFramesByStateAndNeighbours) {
  const TColor hot = cxGetEditButtonHighlightColor(false, false);
  Button(K::bkDown, St::btsUltraFlat, BS::ebsNormal);
  Draw();
  EXPECT_TRUE(Is(0, 0, clBtnFace) && Is(16, 19, clBtnFace));
  EXPECT_GT(CountOf(clBtnText, {0, 0, 17, 20}), 0) << "the arrow";
  // Hot, right-aligned and alone on its side: only the side toward the text in the border colour.
  Button(K::bkDown, St::btsUltraFlat, BS::ebsSelected);
  Draw();
  EXPECT_TRUE(Is(0, 5, clHighlight));
  EXPECT_TRUE(Is(16, 5, hot) && Is(5, 0, hot));
  // Not the right-most: the side facing the neighbour too; a full frame when asked.
  TcxEditButtonViewInfo& b = Button(K::bkDown, St::btsUltraFlat, BS::ebsPressed);
  b.Data.Rightmost = false;
  Draw();
  EXPECT_TRUE(Is(0, 5, clHighlight) && Is(16, 5, clHighlight));
  EXPECT_TRUE(Is(5, 0, cxGetEditButtonHighlightColor(true, false)));
  Button(K::bkDown, St::btsOffice11, BS::ebsSelected).Data.FullFrame = true;
  Draw();
  const TColor office = cxGetEditBorderHighlightColor(true);
  EXPECT_TRUE(Is(0, 5, office) && Is(16, 5, office) && Is(5, 0, office) && Is(5, 19, office));
}

TEST_F(EditButtonDrawTest, APressedSimpleButtonIsDrawnAsAPressedFlatOne) {
  Button(K::bkDown, St::btsFlat, BS::ebsPressed);
  Draw();
  std::vector<TColor> flat;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 17; ++x) flat.push_back(Px(x, y));
  Button(K::bkDown, St::btsSimple, BS::ebsPressed);
  Draw();
  int differ = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 17; ++x) differ += Px(x, y) != flat[size_t(y * 17 + x)];
  EXPECT_EQ(differ, 0);
  EXPECT_TRUE(Is(1, 0, clBtnShadow)) << "pressed flat: shadow on top and left, inside the face column";
  // Not pressed, a simple button is a frame of its colour.
  Button(K::bkDown, St::btsSimple, BS::ebsNormal);
  Draw();
  EXPECT_TRUE(Is(0, 0, clBtnFace) && Is(1, 0, clBtnFace));
}

TEST_F(EditButtonDrawTest, HotFlatKeepsAnAssignedColourInEveryState) {
  for (BS state : {BS::ebsNormal, BS::ebsSelected, BS::ebsPressed}) {
    SCOPED_TRACE(int(state));
    Button(K::bkEllipsis, St::btsHotFlat, state).BackgroundColor = clAqua;
    Draw();
    EXPECT_TRUE(Is(0, 0, clBtnShadow) && Is(16, 19, clBtnShadow)) << "alone: a full shadow frame";
    EXPECT_TRUE(Is(3, 3, clAqua));
  }
  // Without one: the state's colour, and the text colour turns to the window's.
  Button(K::bkEllipsis, St::btsHotFlat, BS::ebsPressed);
  Draw();
  EXPECT_TRUE(Is(3, 3, clBtnText));
  EXPECT_EQ(CountOf(clWindow, {0, 0, 17, 20}), 12);
}

TEST_F(EditButtonDrawTest, DisabledContentIsDrawnTwiceAndTextTakesItsColour) {
  Button(K::bkDown, St::bts3D, BS::ebsDisabled);
  Draw();
  const TRect content{2, 2, 15, 18};
  EXPECT_GT(CountOf(clBtnShadow, content), 0);
  EXPECT_GT(CountOf(clBtnHighlight, content), 0);
  EXPECT_EQ(CountOf(clBtnText, content), 0);
  // A caption in the button's own colour, else the view info's.
  TcxEditButtonViewInfo& t = Button(K::bkText, St::bts3D, BS::ebsNormal, {0, 0, 30, 20});
  t.Data.Caption = "W";
  t.Data.TextColor = clRed;
  Draw();
  EXPECT_GT(CountOf(clRed, {2, 2, 28, 18}), 0);
  TcxEditButtonViewInfo& u = Button(K::bkText, St::bts3D, BS::ebsNormal, {0, 0, 30, 20});
  u.Data.Caption = "W";
  u.Data.TextColor = clDefault;
  info->TextColor = clBlue;
  Draw();
  EXPECT_GT(CountOf(clBlue, {2, 2, 28, 18}), 0);
  EXPECT_EQ(CountOf(clRed, {2, 2, 28, 18}), 0);
}

TEST_F(EditButtonDrawTest, GlyphsAreCentredOverTheButtonBackground) {
  Owned<TBitmap> glyph(New<TBitmap>());
  glyph->SetSize(3, 3);
  glyph->Canvas()->Brush()->SetColor(clFuchsia);  // the transparent colour: its bottom-left pixel
  glyph->Canvas()->FillRect({0, 0, 3, 3});
  glyph->Canvas()->SetPixel(1, 1, clLime);
  TcxEditButtonViewInfo& b = Button(K::bkGlyph, St::bts3D, BS::ebsNormal);
  b.Data.Glyph = glyph.get();
  Draw();
  // Content {2,2,15,18}: the glyph at (7, 8), its centre at (8, 9); the rest shows the face.
  EXPECT_TRUE(Is(8, 9, clLime));
  EXPECT_TRUE(Is(7, 8, clBtnFace));
  EXPECT_EQ(CountOf(clFuchsia, {0, 0, 17, 20}), 0);
}

class TBackgroundPainter : public TObject {
 public:
  void Paint(TcxCustomEditViewInfo*, TcxCanvas& C, const TRect& R, Integer, bool& AHandled) {
    cxFillRectByColor(C, R, clPurple);
    AHandled = true;
  }
};

TEST_F(EditButtonDrawTest, ACustomButtonBackgroundReplacesTheFill) {
  Button(K::bkEllipsis, St::bts3D, BS::ebsNormal);
  TBackgroundPainter painter;
  info->OnDrawButtonBackground = {&painter, &TBackgroundPainter::Paint};
  Draw();
  EXPECT_TRUE(Is(3, 3, clPurple));
  EXPECT_TRUE(Is(4, 9, clBtnText)) << "the content still comes after";
}

}  // namespace
