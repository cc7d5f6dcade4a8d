// The Office11 family reads its colours from the Office11 colour set at every call.
#include "tests/foundation/PainterTestFixture.h"
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
