// Container border, background and shadow as painted by the view info in each look, and the
// native look with and without a visual style.
#include "tests/foundation/NativePainterFixture.h"
#include "platform/theme/UxTheme.h"
#include "widgets/foundation/cxContainer.h"
#include "widgets/foundation/dxUxTheme.h"

namespace {

using B = TcxContainerBorderStyle;
constexpr int kW = 24, kH = 18;

class ContainerViewInfo : public NativePainterTest {
 protected:
  void SetUp() override {
    NativePainterTest::SetUp();
    vi.reset(New<TcxContainerViewInfo>());
  }
  void TearDown() override {
    vi.reset();
    NativePainterTest::TearDown();
  }
  // A painted look: the border rectangle inset by the border width on every edge.
  void Layout(B style, TColor border = clRed, TColor back = clYellow) {
    vi->BorderStyle = style;
    vi->BorderWidth = cxGetContainerBorderWidth(style);
    vi->BorderColor = border;
    vi->BackgroundColor = back;
    vi->Bounds = {0, 0, kW, kH};
    const int w = vi->BorderWidth;
    vi->BorderRect = {w, w, kW - w, kH - w};
    vi->ClientRect = vi->BorderRect;
  }
  static COLORREF Rgb(TColor c) { return ColorToRGB(c); }
  Owned<TcxContainerViewInfo> vi;
};

TEST_F(ContainerViewInfo, SingleAndThickFramesInBorderColour) {
  for (B style : {B::cbsSingle, B::cbsThick}) {
    PaperCanvas paper(kW + 4, kH + 4);
    Layout(style);
    vi->Paint(paper.Cx());
    const int w = vi->BorderWidth;
    for (int i = 0; i < w; ++i) {
      EXPECT_EQ(paper.Px(i, kH / 2), Rgb(clRed)) << i;
    }
    EXPECT_EQ(paper.Px(w, w), Rgb(clYellow));
    EXPECT_FALSE(paper.Painted({kW, 0, kW + 4, kH + 4}));
  }
}

TEST_F(ContainerViewInfo, ShadowBelowAndRight) {
  PaperCanvas paper(kW, kH);
  Layout(B::cbsSingle);
  vi->Shadow = true;
  vi->BorderRect = {1, 1, kW - 4, kH - 4};
  vi->Paint(paper.Cx());
  const int r = kW - 3, b = kH - 3;  // the framed box ends here
  EXPECT_EQ(paper.Px(r - 1, 5), Rgb(clRed));
  EXPECT_EQ(paper.Px(r, 3), Rgb(clBtnShadow));
  EXPECT_EQ(paper.Px(r + 2, b + 2), Rgb(clBtnShadow));
  EXPECT_EQ(paper.Px(r, 2), PaperDC::kPaper);  // the shadow starts 3 below the top
}

}  // namespace
