// Glyph geometry and metrics of the painters, checked on drawn pixels.
#include "tests/foundation/PainterTestFixture.h"

namespace {

using BS = TcxButtonState;
using AD = TcxArrowDirection;

TEST(PainterArrowPoints, SquaringTrimsTheLongerSide) {
  using P = TcxCustomLookAndFeelPainter;
  // 15 wide: three columns come off each side, leaving the 9 x 9 case moved right by 3.
  EXPECT_EQ(P::CalculateArrowPoints(Rect(0, 0, 15, 9), AD::adDown, true),
            (TcxArrowPoints{TPoint{5, 3}, {9, 3}, {7, 5}}));
  // Without squaring the width decides: base 7, depth 4.
  EXPECT_EQ(P::CalculateArrowPoints(Rect(0, 0, 15, 9), AD::adDown, false),
            (TcxArrowPoints{TPoint{4, 3}, {10, 3}, {7, 6}}));
  // A degenerate rect still answers points without crashing.
  const TcxArrowPoints p = P::CalculateArrowPoints(Rect(5, 5, 4, 4), AD::adLeft, true);
  EXPECT_EQ(p[0].Y, 4);
}

TEST_F(PainterTest, ArrowIsAFilledTriangleIncludingItsOutline) {
  cxStandardPainter()->DrawArrow(*canvas, Rect(10, 10, 19, 19), AD::adDown, clBlack);
  for (int x = 12; x <= 16; ++x) EXPECT_TRUE(Is(x, 13, clBlack)) << x;
  EXPECT_FALSE(Is(11, 13, clBlack));
  EXPECT_FALSE(Is(17, 13, clBlack));
  EXPECT_TRUE(Is(13, 14, clBlack));
  EXPECT_TRUE(Is(14, 15, clBlack));
  EXPECT_FALSE(Is(14, 16, clBlack));
}

TEST_F(PainterTest, CheckMarkStrokes) {
  cxCustomPainter()->DrawCheck(*canvas, Rect(0, 0, 9, 9), BS::cxbsNormal, true, clBlack);
  // Three strokes, each down-right to the bottom of the tick and up-right to the far end.
  for (int k = 0; k < 3; ++k) {
    EXPECT_TRUE(Is(1, 3 + k, clBlack)) << k;
    EXPECT_TRUE(Is(3, 5 + k, clBlack)) << k;
    EXPECT_TRUE(Is(7, 1 + k, clBlack)) << k;
  }
  EXPECT_FALSE(Is(8, 0, clBlack));  // the polyline's last point is left out
  EXPECT_TRUE(Is(0, 0, clWindow));  // the check's own background
}

TEST_F(PainterTest, DefaultButtonBorders) {
  cxStandardPainter()->DrawButton(*canvas, Rect(0, 0, 30, 20), "", BS::cxbsDefault);
  EXPECT_TRUE(Is(0, 10, clBlack) && Is(1, 10, clBtnHighlight) && Is(2, 10, cl3DLight) && Is(3, 10, clBtnFace));
  EXPECT_TRUE(Is(29, 10, clBlack) && Is(28, 10, cl3DDkShadow) && Is(27, 10, clBtnShadow));
  Make(40, 40);
  cxFlatPainter()->DrawButton(*canvas, Rect(0, 0, 30, 20), "", BS::cxbsDefault);
  EXPECT_TRUE(Is(0, 10, clBlack) && Is(1, 10, clBtnHighlight) && Is(2, 10, clBtnFace));
  Make(40, 40);
  cxUltraFlatPainter()->DrawButton(*canvas, Rect(0, 0, 30, 20), "", BS::cxbsDefault);
  EXPECT_TRUE(Is(0, 10, clWindowFrame) && Is(1, 10, clWindowFrame) && Is(2, 10, clBtnFace));
}

TEST_F(PainterTest, ButtonFillFollowsTheFamilyForClDefault) {
  cxUltraFlatPainter()->DrawButton(*canvas, Rect(0, 0, 20, 20), "", BS::cxbsHot);
  EXPECT_TRUE(Is(5, 5, cxUltraFlatHotColor()));
  EXPECT_TRUE(Is(0, 5, clHighlight));
  Make(40, 40);
  cxStandardPainter()->DrawButton(*canvas, Rect(0, 0, 20, 20), "", BS::cxbsHot);
  EXPECT_TRUE(Is(5, 5, clBtnFace));
}

// The caption sits in the rect the height rule gives: an odd height loses its bottom row and
// a height then below 18 gains one at the top.
TEST_F(PainterTest, ButtonCaptionHeightRule) {
  auto render = [&](int height, bool viaButton, TRect textRect) {
    Make(40, 24, clWhite);
    canvas->GetFont()->SetColor(clBlack);
    if (viaButton) {
      cxStandardPainter()->DrawButton(*canvas, Rect(0, 0, 40, height), "Hg", BS::cxbsNormal, false, clWhite,
                                      clBlack);
    } else {
      canvas->GetBrush()->SetStyle(TBrushStyle::bsClear);
      canvas->DrawText("Hg", textRect, cxAlignHCenter | cxAlignVCenter | cxSingleLine | cxShowPrefix);
    }
    std::vector<TColor> px;
    for (int y = 0; y < 24; ++y)
      for (int x = 0; x < 40; ++x) px.push_back(Px(x, y));
    return px;
  };
  EXPECT_EQ(render(17, true, {}), render(0, false, Rect(0, -1, 40, 16)));
  EXPECT_EQ(render(18, true, {}), render(0, false, Rect(0, 0, 40, 18)));
  EXPECT_EQ(render(19, true, {}), render(0, false, Rect(0, 0, 40, 18)));
  EXPECT_NE(render(17, true, {}), render(0, false, Rect(0, 0, 40, 17)));
}

TEST(PainterMetrics, ContentBoundsFallBackWhenDeflationEmpties) {
  EXPECT_EQ(cxCustomPainter()->ButtonContentBounds(Rect(0, 0, 8, 8)), Rect(0, 0, 8, 8));
  EXPECT_EQ(cxCustomPainter()->ButtonContentBounds(Rect(0, 0, 10, 9)), Rect(4, 4, 6, 5));
  EXPECT_EQ(cxUltraFlatPainter()->ButtonContentBounds(Rect(0, 0, 6, 6)), Rect(0, 0, 6, 6));
  EXPECT_EQ(cxUltraFlatPainter()->ButtonContentBounds(Rect(0, 0, 8, 8)), Rect(3, 3, 5, 5));
}

TEST_F(PainterTest, DrawContentFillsUnlessTheEventPainted) {
  int calls = 0;
  bool answer = false;
  TcxDrawBackgroundEvent onDraw = [&](TcxCanvas&, const TRect&) {
    ++calls;
    return answer;
  };
  cxCustomPainter()->DrawContent(*canvas, Rect(0, 0, 10, 10), Rect(0, 0, 10, 10), 0, TAlignment::taLeftJustify,
                                 TcxAlignmentVert::vaTop, false, false, "", nullptr, clBlack, clRed, onDraw, false);
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(Is(5, 5, clRed));
  answer = true;
  cxCustomPainter()->DrawContent(*canvas, Rect(20, 0, 30, 10), Rect(20, 0, 30, 10), 0, TAlignment::taLeftJustify,
                                 TcxAlignmentVert::vaTop, false, false, "", nullptr, clBlack, clRed, onDraw, false);
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(Px(25, 5), kPaper);
}

TEST_F(PainterTest, ScrollBarHotStates) {
  // UltraFlat fills a hot arrow in the hot colour; Standard draws hot exactly as normal.
  cxUltraFlatPainter()->DrawScrollBarPart(*canvas, false, Rect(0, 0, 16, 16), TcxScrollBarPart::sbpLineUp,
                                          BS::cxbsHot);
  EXPECT_TRUE(Is(2, 2, cxUltraFlatHotColor()));
  auto snapshot = [&](BS state) {
    Make(16, 16);
    cxStandardPainter()->DrawScrollBarPart(*canvas, false, Rect(0, 0, 16, 16), TcxScrollBarPart::sbpLineUp, state);
    std::vector<TColor> px;
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) px.push_back(Px(x, y));
    return px;
  };
  EXPECT_EQ(snapshot(BS::cxbsHot), snapshot(BS::cxbsNormal));
  EXPECT_NE(snapshot(BS::cxbsPressed), snapshot(BS::cxbsNormal));
}

TEST_F(PainterTest, ButtonInGroupOutOfRangeIndexDrawsAMiddleButton) {
  auto render = [&](Integer count, Integer index) {
    Make(30, 20);
    cxUltraFlatPainter()->DrawButtonInGroup(*canvas, Rect(0, 0, 30, 20), BS::cxbsHot, count, index, clBlack);
    std::vector<TColor> px;
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 30; ++x) px.push_back(Px(x, y));
    return px;
  };
  const auto middle = render(3, 1);
  EXPECT_EQ(render(0, 0), middle);
  EXPECT_EQ(render(3, 7), middle);
  Make(30, 20);
  cxUltraFlatPainter()->DrawButtonInGroup(*canvas, Rect(0, 0, 30, 20), BS::cxbsHot, 3, 1, clBlack);
  EXPECT_TRUE(Is(0, 5, clHighlight) && Is(29, 5, clHighlight) && Is(1, 5, cxUltraFlatHotColor()));
  EXPECT_EQ(Px(5, 0), kPaper);  // the top row stays free
}

}  // namespace
