// The popup window's frame and system panel as its view info lays them out and paints them:
// the border rings' colours, the size grip at its corner and drawn in from that corner's outer
// edges, and the close button, classic or as the theme's parts under the native look.
#include "platform/theme/UxTheme.h"
#include "tests/foundation/NativePainterFixture.h"
#include "widgets/editcore/EditcoreUnits.h"
#include "widgets/editors/EditorsUnits.h"
#include "widgets/editors/cxDropDownEdit.h"
#include "widgets/foundation/FoundationUnits.h"

#include <gtest/gtest.h>

namespace {

using PB = TcxEditPopupBorderStyle;

class PopupPanelTest : public NativePainterTest {
 protected:
  void SetUp() override {
    NativePainterTest::SetUp();
    // The theme is there throughout; only the native look uses it.
    ThemeOn();
    WidgetsFoundationInitialize();
    WidgetsEditcoreInitialize();
    WidgetsEditorsInitialize();
    vi.reset(New<TcxCustomEditPopupWindowViewInfo>());
    vi->SysPanelStyle = true;
    vi->Sizeable = true;
    vi->CloseButton = true;
    vi->PopupBorderStyle = PB::epbsSingle;
  }
  void TearDown() override {
    vi.reset();
    WidgetsEditorsFinalize();
    WidgetsEditcoreFinalize();
    WidgetsFoundationFinalize();
    NativePainterTest::TearDown();
  }
  static Integer H0() { return std::max(GetSystemMetrics(SM_CYHSCROLL), GetSystemMetrics(SM_CYSIZE)); }
  // Painted pixels of the grip's drawing in its left and right halves.
  static std::pair<int, int> GripInk(PaperCanvas& p, const TRect& g) {
    const COLORREF face = ColorToRGB(clBtnFace);
    int left = 0, right = 0;
    for (int y = g.Top; y < g.Bottom; ++y)
      for (int x = g.Left; x < g.Right; ++x)
        if (p.Px(x, y) != face) (x < (g.Left + g.Right) / 2 ? left : right) += 1;
    return {left, right};
  }
  Owned<TcxCustomEditPopupWindowViewInfo> vi;
};

TEST_F(PopupPanelTest, ClassicPanelPartsSitAtTheirEndsAndTheGripIsDrawnInFromItsCorner) {
  const Integer h0 = H0(), g = h0 - 2, s = h0 - 4;
  vi->SizeGripCorner = cxPopupGripBottomRight;
  vi->Calculate({0, 0, 200, 100});
  EXPECT_EQ(vi->SysPanelRect, (TRect{1, 99 - h0, 199, 99}));
  EXPECT_EQ(vi->SizeGripRect, (TRect{199 - g, 99 - g, 199, 99}));
  EXPECT_EQ(vi->CloseButtonRect, (TRect{4, 97 - s, 4 + s, 97}));
  PaperCanvas p(200, 100);
  vi->Paint(p.Cx());
  const COLORREF text = ColorToRGB(clBtnText), face = ColorToRGB(clBtnFace);
  EXPECT_EQ(p.Px(0, 0), text) << "a single line in the button text colour";
  EXPECT_EQ(p.Px(199, 99), text);
  EXPECT_EQ(p.Px(100, 98 - h0), text) << "the line between panel and client area";
  // Nothing in the two outer rows and columns at the corner; the grip leans to its corner.
  const TRect grip = vi->SizeGripRect;
  for (int k = 0; k < g; ++k) {
    EXPECT_EQ(p.Px(grip.Right - 1, grip.Top + k), face) << k;
    EXPECT_EQ(p.Px(grip.Right - 2, grip.Top + k), face) << k;
    EXPECT_EQ(p.Px(grip.Left + k, grip.Bottom - 1), face) << k;
    EXPECT_EQ(p.Px(grip.Left + k, grip.Bottom - 2), face) << k;
  }
  const auto ink = GripInk(p, {grip.Left, grip.Top, grip.Right - 2, grip.Bottom - 2});
  EXPECT_GT(ink.second, ink.first);

  // Above the edit on its left: the panel at the top, the grip at the top-left corner, the
  // close button at the right end, 2 pixels below the panel's top.
  vi->SizeGripCorner = cxPopupGripTopLeft;
  vi->Calculate({0, 0, 200, 100});
  EXPECT_EQ(vi->SysPanelRect, (TRect{1, 1, 199, 1 + h0}));
  EXPECT_EQ(vi->SizeGripRect, (TRect{1, 1, 1 + g, 1 + g}));
  EXPECT_EQ(vi->CloseButtonRect, (TRect{196 - s, 3, 196, 3 + s}));
  PaperCanvas q(200, 100);
  vi->Paint(q.Cx());
  EXPECT_EQ(q.Px(100, 1 + h0), text);
  const TRect top = vi->SizeGripRect;
  for (int k = 0; k < g; ++k) {
    EXPECT_EQ(q.Px(top.Left, top.Top + k), face) << k;
    EXPECT_EQ(q.Px(top.Left + 1, top.Top + k), face) << k;
    EXPECT_EQ(q.Px(top.Left + k, top.Top), face) << k;
    EXPECT_EQ(q.Px(top.Left + k, top.Top + 1), face) << k;
  }
  const auto left = GripInk(q, {top.Left + 2, top.Top + 2, top.Right, top.Bottom});
  EXPECT_GT(left.first, left.second);
}

TEST_F(PopupPanelTest, BorderRingsTakeTheirColoursFromTheBorderStyle) {
  vi->SysPanelStyle = false;
  vi->PopupBorderStyle = PB::epbsFrame3D;
  vi->ClientEdge = true;
  vi->Calculate({0, 0, 60, 40});
  EXPECT_EQ(vi->ClientRect, (TRect{4, 4, 56, 36}));
  PaperCanvas p(60, 40);
  vi->Paint(p.Cx());
  EXPECT_EQ(p.Px(2, 20), ColorToRGB(clInactiveBorder)) << "the third ring with a client edge";
  EXPECT_EQ(p.Px(3, 20), ColorToRGB(clBtnFace)) << "the fourth";
  vi->ClientEdge = false;
  PaperCanvas q(60, 40);
  vi->Paint(q.Cx());
  EXPECT_EQ(q.Px(2, 20), ColorToRGB(clBtnFace)) << "the third ring without one";
  EXPECT_NE(q.Px(3, 20), ColorToRGB(clBtnFace)) << "an edge ring instead";
  vi->PopupBorderStyle = PB::epbsDefault;
  vi->Calculate({0, 0, 60, 40});
  EXPECT_EQ(vi->ClientRect, (TRect{0, 0, 60, 40}));
  PaperCanvas r(60, 40);
  vi->Paint(r.Cx());
  EXPECT_FALSE(r.Painted()) << "no line of its own";
}

TEST_F(PopupPanelTest, UnderTheNativeLookThePanelsPartsAreTheThemes) {
  vi->NativeStyle = true;
  vi->SizeGripCorner = cxPopupGripBottomRight;
  TSize grip{}, close{};
  ASSERT_TRUE(SUCCEEDED(cxGetThemePartSizeNoRect(cxOpenTheme(TdxThemedObjectType::totStatus), nullptr,
                                                 SP_GRIPPER, 1, TS_TRUE, grip)));
  ASSERT_TRUE(SUCCEEDED(cxGetThemePartSizeNoRect(cxOpenTheme(TdxThemedObjectType::totWindow), nullptr,
                                                 WP_SMALLCLOSEBUTTON, 1, TS_TRUE, close)));
  const Integer h = std::max({H0(), Integer(grip.cy), Integer(close.cy)});
  EXPECT_EQ(vi->GetSysPanelHeight(), h);
  vi->Calculate({0, 0, 200, 100});
  const TRect panel = vi->SysPanelRect;
  EXPECT_EQ(panel.Height(), h);
  // The close button has the part's size, 1 pixel in from its end, centred across the panel.
  EXPECT_EQ(vi->CloseButtonRect,
            (TRect{panel.Left + 1, panel.Bottom - (h - close.cy) / 2 - close.cy, panel.Left + 1 + close.cx,
                   panel.Bottom - (h - close.cy) / 2}));
  EXPECT_EQ(vi->SizeGripRect.Width(), std::max<Integer>(h - 2, grip.cx + 2));
  vi->CloseButtonState = cxPopupCloseButtonHot;
  PaperCanvas p(200, 100);
  const auto calls = Record([&] { vi->Paint(p.Cx()); });
  bool themedGrip = false, themedClose = false;
  for (const ThemeCall& c : calls) {
    if (c.function != "DrawThemeBackground") continue;
    const TRect g = vi->SizeGripRect;
    themedGrip |= c.className == "Status" && c.part == SP_GRIPPER &&
                  c.rect == TRect{g.Left, g.Top, g.Right - 2, g.Bottom - 2};
    themedClose |= c.className == "Window" && c.part == WP_SMALLCLOSEBUTTON && c.state == CBS_HOT &&
                   c.rect == vi->CloseButtonRect;
  }
  EXPECT_TRUE(themedGrip);
  EXPECT_TRUE(themedClose);
}

}  // namespace
