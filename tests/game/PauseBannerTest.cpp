// The pause banner of the main window on the headless host: the library label from the
// window's description, placed and sized at the pause, read back by its pixels over the
// hidden board, and gone again on resuming.
#include "game/MainForm.h"
#include "platform/kernel/Modules.h"
#include "tests/game/GameTestUnits.h"
#include "tests/support/AppTest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

class PauseBannerTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    StartGameUnits();
    dir_ = fs::path(::testing::TempDir()) / "tl-pause-banner";
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    SetProgramPath((dir_ / "tessaloom").string());
    Application->CreateForm(form_);
    form_->Show();
    Pump();
  }
  void TearDown() override {
    if (form_) form_->Free();
    StopGameUnits();
    SetProgramPath("");
    std::error_code ec;
    fs::remove_all(dir_, ec);
    AppTest::TearDown();
  }
  // A client pixel of the main window as shown, 0xRRGGBB.
  Pixel At(Integer x, Integer y) { return host().PixelAt(form_->GetHandle(), x, y) & 0xFFFFFF; }
  // What the hidden board shows at a client point: an empty cell, white with grey dots on
  // the cross through its middle.
  static Pixel EmptyBoard(Integer x, Integer y) {
    const Integer dx = x % 25, dy = y % 25;
    const bool dot = (dx == 12 && dy % 2 == 0 && dy < 24) || (dy == 12 && dx % 2 == 0 && dx < 24);
    return dot ? 0x808080u : 0xFFFFFFu;
  }

  fs::path dir_;
  TMainForm* form_ = nullptr;
};

TEST_F(PauseBannerTest, ShowsCentredNavyWrappedTextOverTheHiddenBoard) {
  TcxLabel* banner = form_->lPause;
  ASSERT_NE(banner, nullptr);
  EXPECT_FALSE(banner->GetVisible()) << "hidden until a pause";
  EXPECT_EQ(banner->GetCaption(), "Game is paused. Press F5 to resume.");
  EXPECT_TRUE(banner->GetTransparent());
  EXPECT_TRUE(banner->GetProperties()->GetWordWrap());
  EXPECT_EQ(banner->GetProperties()->GetAlignment()->GetHorz(), TAlignment::taCenter);
  TFont* font = banner->GetStyle()->GetFont();
  EXPECT_EQ(font->GetName(), "Tahoma");
  EXPECT_TRUE(font->GetStyle().Contains(TFontStyle::fsBold));
  EXPECT_EQ(banner->GetStyle()->GetTextColor(), clNavy);

  form_->miPauseClick(nullptr);
  Pump();
  ASSERT_TRUE(form_->GameBoard().Paused);
  EXPECT_TRUE(banner->GetVisible());
  EXPECT_EQ(font->GetSize(), 12) << "half a cell, in points";
  const Integer w = banner->GetWidth(), h = banner->GetHeight();
  EXPECT_EQ(banner->GetLeft(), (250 - w) / 2);
  EXPECT_EQ(banner->GetTop(), (269 - h) / 3) << "the status bar counts in the height";

  // Read back: navy text, centred, on two lines; between the letters the empty board
  // shows through, its grey dots included; around the banner the board is empty.
  const Integer left = banner->GetLeft(), top = banner->GetTop();
  Integer navy = 0, dots = 0, inkLeft = 250, inkRight = 0, inkTop = 269, inkBottom = 0;
  for (Integer y = top; y < top + h; ++y)
    for (Integer x = left; x < left + w; ++x) {
      const Pixel p = At(x, y);
      if (p == EmptyBoard(x, y)) {
        dots += p == 0x808080u;
        continue;
      }
      navy += p == 0x000080u;
      inkLeft = std::min(inkLeft, x);
      inkRight = std::max(inkRight, x + 1);
      inkTop = std::min(inkTop, y);
      inkBottom = std::max(inkBottom, y + 1);
    }
  EXPECT_GT(navy, 200);
  EXPECT_GT(dots, 10) << "a transparent banner";
  EXPECT_LE(std::abs((inkLeft + inkRight) - 250), 4) << inkLeft << ".." << inkRight;
  // Wrapped at the banner's width: two lines of text in the height, ink across both.
  EXPECT_GE(h - 4, 2 * 16);
  EXPECT_GT(inkBottom - inkTop, (h - 4) / 2);
  for (Integer y = 0; y < 250; y += 5)
    for (Integer x = 0; x < 250; x += 5) {
      if (x >= left && x < left + w && y >= top && y < top + h) continue;
      ASSERT_EQ(At(x, y), EmptyBoard(x, y)) << x << "," << y;
    }

  form_->miPauseClick(nullptr);
  Pump();
  EXPECT_FALSE(banner->GetVisible());
  Integer left_navy = 0;
  for (Integer y = top; y < top + h; ++y)
    for (Integer x = left; x < left + w; ++x) left_navy += At(x, y) == 0x000080u;
  EXPECT_EQ(left_navy, 0);
}

}  // namespace
