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

TEST_F(ContainerViewInfo, FlatAnd3DBordersAreSunken) {
  PaperCanvas flat(kW, kH), three(kW, kH);
  Layout(B::cbsFlat);
  vi->Paint(flat.Cx());
  Layout(B::cbs3D);
  vi->Paint(three.Cx());
  for (PaperCanvas* p : {&flat, &three}) {
    EXPECT_EQ(p->Px(0, kH / 2), Rgb(clBtnShadow));
    EXPECT_EQ(p->Px(kW - 1, kH / 2), Rgb(clBtnHighlight));
    EXPECT_EQ(p->Px(2, 2), Rgb(clYellow));
  }
  EXPECT_EQ(flat.Px(1, kH / 2), Rgb(clBtnFace));
  EXPECT_EQ(three.Px(1, kH / 2), Rgb(cl3DDkShadow));
  EXPECT_EQ(three.Px(kW - 2, kH / 2), Rgb(cl3DLight));
}

TEST_F(ContainerViewInfo, NoBorderFillsOnlyTheBackground) {
  PaperCanvas paper(kW, kH);
  Layout(B::cbsNone);
  vi->Paint(paper.Cx());
  EXPECT_EQ(paper.Px(0, 0), Rgb(clYellow));
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

TEST_F(ContainerViewInfo, OffsetMovesRectangles) {
  Layout(B::cbsSingle);
  vi->Offset(5, -2);
  EXPECT_EQ(vi->Bounds, (TRect{5, -2, kW + 5, kH - 2}));
  EXPECT_EQ(vi->BorderRect, (TRect{6, -1, kW + 4, kH - 3}));
  Owned<TcxContainerViewInfo> copy(New<TcxContainerViewInfo>());
  copy->Assign(vi.get());
  EXPECT_EQ(copy->ClientRect, vi->ClientRect);
  EXPECT_EQ(copy->Bounds, TRect{});
}

TEST_F(ContainerViewInfo, NativeWithoutVisualStyleFallsBackToBorderColour) {
  Start();
  PaperCanvas paper(kW, kH);
  Layout(B::cbsSingle, clGreen, clAqua);
  vi->NativeStyle = true;
  vi->Paint(paper.Cx());
  EXPECT_EQ(paper.Px(0, 0), Rgb(clGreen));
  EXPECT_EQ(paper.Px(kW / 2, kH / 2), Rgb(clAqua));
}

TEST_F(ContainerViewInfo, NativeUsesThemeFrameAndContent) {
  ThemeOn();
  Start();
  PaperCanvas paper(kW, kH);
  Layout(B::cbsSingle, clGreen, clAqua);
  vi->NativeStyle = true;
  vi->Paint(paper.Cx());
  COLORREF frame = 0;
  ASSERT_EQ(cxGetThemeColor(cxOpenTheme(TdxThemedObjectType::totComboBox), 1, 1, TMT_BORDERCOLOR, frame), S_OK);
  TRect content;
  ASSERT_EQ(cxGetThemeBackgroundContentRect(cxOpenTheme(TdxThemedObjectType::totEdit), paper.DC(), 1, 1,
                                            TRect{0, 0, kW, kH}, content),
            S_OK);
  ASSERT_GT(content.Left, 0);
  EXPECT_EQ(paper.Px(0, 0), frame);
  EXPECT_EQ(paper.Px(content.Left - 1, kH / 2), frame);
  EXPECT_EQ(paper.Px(content.Left, content.Top), Rgb(clAqua));
  // Without a border the whole control takes the background.
  PaperCanvas none(kW, kH);
  vi->BorderStyle = B::cbsNone;
  vi->Paint(none.Cx());
  EXPECT_EQ(none.Px(0, 0), Rgb(clAqua));
}

}  // namespace
