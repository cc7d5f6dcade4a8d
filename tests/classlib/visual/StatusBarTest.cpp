#include "classlib/visual/ComCtrls.h"
#include "tests/support/AppTest.h"

#include <gtest/gtest.h>

namespace {

class StatusBarTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    Application->CreateForm(form_);
    form_->SetBounds(100, 100, 400, 200);
    bar_ = New<TStatusBar>(form_);
    bar_->SetParent(form_);
  }
  void ShowForm() {
    form_->Show();
    host().PumpUntilIdle();
  }
  // Pixels as dark as text, inside R of the bar.
  int DarkPixels(const TRect& R) {
    Surface shot = host().Capture(form_->Handle());
    RECT wr;
    GetWindowRect(form_->Handle(), &wr);
    TPoint o = bar_->ClientToScreen(TPoint{0, 0});
    int n = 0;
    for (Integer y = R.Top; y < R.Bottom; ++y)
      for (Integer x = R.Left; x < R.Right; ++x) {
        Integer sx = x + o.X - wr.Left, sy = y + o.Y - wr.Top;
        if (!shot.Contains(sx, sy)) continue;
        Pixel p = shot.Row(sy)[sx];
        if (((p >> 16) & 0xFF) < 0x60 && ((p >> 8) & 0xFF) < 0x60 && (p & 0xFF) < 0x60) ++n;
      }
    return n;
  }
  static TRect Inner(TRect R) { return {R.Left + 2, R.Top + 2, R.Right - 2, R.Bottom - 2}; }
  static Pixel SysPixel(int Index) { return PixelFromColor(GetSysColor(Index)); }
  TForm* form_ = nullptr;
  TStatusBar* bar_ = nullptr;
};

TEST_F(StatusBarTest, TheBarSitsAlongTheBottomWithItsPanelsSideBySide) {
  bar_->SetHeight(20);
  TStatusPanel* a = bar_->GetPanels()->Add();
  a->SetWidth(80);
  TStatusPanel* b = bar_->GetPanels()->Add();
  b->SetWidth(-5);
  TStatusPanel* c = bar_->GetPanels()->Add();
  c->SetWidth(60);
  ShowForm();
  EXPECT_EQ(bar_->GetTop(), form_->GetClientHeight() - 20);
  EXPECT_EQ(b->GetWidth(), 0);
  EXPECT_EQ(bar_->PanelRect(0), (TRect{0, 0, 80, 20}));
  // The last panel reaches the right edge.
  EXPECT_EQ(bar_->PanelRect(2), (TRect{80, 0, form_->GetClientWidth(), 20}));
  EXPECT_THROW(bar_->PanelRect(3), EListError);
  // The bar follows the form's size.
  form_->SetClientWidth(300);
  EXPECT_EQ(bar_->GetWidth(), 300);
}

TEST_F(StatusBarTest, PanelsAreDrawnWithTheirTextAndBevel) {
  bar_->SetHeight(22);
  TStatusPanel* score = bar_->GetPanels()->Add();
  score->SetWidth(100);
  score->SetText("Score 42");
  TStatusPanel* empty = bar_->GetPanels()->Add();
  empty->SetWidth(100);
  TStatusPanel* right = bar_->GetPanels()->Add();
  right->SetWidth(150);
  right->SetAlignment(TAlignment::taRightJustify);
  right->SetText("R");
  ShowForm();

  EXPECT_GT(DarkPixels(Inner(bar_->PanelRect(0))), 0);
  EXPECT_EQ(DarkPixels(Inner(bar_->PanelRect(1))), 0);
  // Right-aligned text lies in the right end of its panel.
  TRect r = Inner(bar_->PanelRect(2));
  EXPECT_EQ(DarkPixels({r.Left, r.Top, r.Right - 30, r.Bottom}), 0);
  EXPECT_GT(DarkPixels({r.Right - 30, r.Top, r.Right, r.Bottom}), 0);
  // A lowered panel has a shadow on its left edge; without a bevel there is none.
  TRect p1 = bar_->PanelRect(1);
  EXPECT_EQ(host().PixelAt(bar_->Handle(), p1.Left, 10), SysPixel(COLOR_BTNSHADOW));
  empty->SetBevel(TStatusPanelBevel::pbNone);
  host().PumpUntilIdle();
  EXPECT_EQ(host().PixelAt(bar_->Handle(), p1.Left, 10), SysPixel(COLOR_BTNFACE));

  // Changing a panel's text repaints it.
  empty->SetText("Level 3");
  host().PumpUntilIdle();
  EXPECT_GT(DarkPixels(Inner(bar_->PanelRect(1))), 0);
}

}  // namespace
