// The Office11 family reads its colours from the Office11 colour set at every call.
#include "tests/foundation/PainterTestFixture.h"
#include "platform/kernel/Arith.h"
#include "widgets/foundation/dxOffice11.h"

namespace {

using BS = TcxButtonState;
using Office11Painter = PainterTest;

TEST_F(Office11Painter, ExpandButtonCornersBlendWithTheBackground) {
  Make(20, 20, 0x00FF00);
  cxOffice11Painter()->DrawExpandButton(*canvas, Rect(2, 2, 13, 13), false);
  const TdxOffice11Colors& c = cxOffice11Colors();
  EXPECT_EQ(Px(2, 2), ColorToRGB(cxBlendColors(TColor(c.ExpandButtonFrame), 0x00FF00, 25)));
  const TColor soft = TColor(ColorToRGB(cxBlendColors(TColor(c.ExpandButtonSign), 0x00FF00, 25)));
  EXPECT_EQ(Px(12, 2), soft);
  EXPECT_NE(Px(7, 7), TColor(0x00FF00));  // the picture itself
  EXPECT_EQ(Px(13, 13), TColor(0x00FF00));
  // A rect smaller than the picture is not drawn outside.
  Make(20, 20, 0x00FF00);
  cxOffice11Painter()->DrawExpandButton(*canvas, Rect(2, 2, 8, 8), true);
  EXPECT_EQ(Px(8, 5), TColor(0x00FF00));
}

TEST_F(Office11Painter, HeaderContentIsTwoTwoStageGradientsThenAPlainOne) {
  Make(10, 30);
  cxOffice11Painter()->DrawContent(*canvas, Rect(0, 0, 10, 30), Rect(0, 0, 10, 30), 0, TAlignment::taLeftJustify,
                                   TcxAlignmentVert::vaTop, false, false, "", canvas->GetFont(), clBlack, clNone,
                                   nullptr, false);
  const TdxOffice11Colors& c = cxOffice11Colors();
  const COLORREF light = ColorToRGB(cxBlendColors(TColor(c.GradientLight), TColor(c.GradientDark), 50));
  const COLORREF dark = c.GradientDark;
  auto towards = [&](Integer num, Integer den) {  // light moved num/den of the way to dark
    auto at = [&](Integer a, Integer b) { return Byte(a + MulDiv(num, b - a, den)); };
    return TColor(RGB(at(GetRValue(light), GetRValue(dark)), at(GetGValue(light), GetGValue(dark)),
                      at(GetBValue(light), GetBValue(dark))));
  };
  // Three bands of 10 rows, each from the light blend to the dark colour; a two-stage band
  // passes its middle colour halfway.
  const TColor middle = towards(cxOffice11TwoStageGradientPercent(), 200);
  for (int top : {0, 10, 20}) {
    EXPECT_EQ(Px(5, top), TColor(light)) << top;
    EXPECT_EQ(Px(5, top + 9), TColor(dark)) << top;
  }
  EXPECT_EQ(Px(5, 5), middle);
  EXPECT_EQ(Px(5, 15), middle);
  EXPECT_EQ(Px(5, 25), towards(5, 9)) << "the last band is a plain gradient";
}

TEST_F(Office11Painter, PressedButtonCellIsInverted) {
  auto cell = [&](BS state) {
    Make(30, 20);
    cxOffice11Painter()->DrawButtonCell(*canvas, Rect(0, 0, 30, 20), state, cxBordersAll, "", nullptr,
                                        TAlignment::taCenter, TcxAlignmentVert::vaCenter, clBlack, clWindow);
    return Px(10, 10);
  };
  const TColor normal = cell(BS::cxbsNormal);
  EXPECT_EQ(cell(BS::cxbsPressed), TColor(~normal & 0xFFFFFF));
}

TEST_F(Office11Painter, ScrollBarsFallBackToStandardWithoutThemes) {
  auto render = [&](const TcxCustomLookAndFeelPainter* p) {
    Make(17, 17);
    p->DrawScrollBarPart(*canvas, false, Rect(0, 0, 17, 17), TcxScrollBarPart::sbpLineDown, BS::cxbsNormal);
    std::vector<TColor> px;
    for (int y = 0; y < 17; ++y)
      for (int x = 0; x < 17; ++x) px.push_back(Px(x, y));
    return px;
  };
  EXPECT_EQ(render(cxOffice11Painter()), render(cxStandardPainter()));
  EXPECT_NE(render(cxUltraFlatPainter()), render(cxStandardPainter()));
}

}  // namespace
