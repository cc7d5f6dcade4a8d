// Every class, part and state of the stand-in, drawn side by side into one picture under the
// build folder (gallery/theme.png) so the look can be judged by eye.
#include "platform/gdi/Font.h"
#include "platform/gdi/FontEngine.h"
#include "platform/gdi/Text.h"
#include "platform/kernel/CodePage.h"
#include "tests/platform/theme/ThemeFixture.h"

#include <filesystem>
#include <string>

namespace {

using ThemeGallery = ThemeFixture;

// A cell size that suits the part: glyph-sized parts get their own size, the rest a button.
TSize CellFor(const ThemePartInfo& p) {
  if (p.trueSize.cx > 0) return p.trueSize;
  if (std::string(p.className) == "Edit" || std::string(p.className) == "ListView") return {48, 21};
  if (std::string(p.className) == "TrackBar") return {48, 5};
  if (std::string(p.className) == "ScrollBar") return {17, 17};
  return {48, 22};
}

TEST_F(ThemeGallery, EveryPartStaysInsideItsRectangleInEveryState) {
  ThemeSetActive(true);
  int count = 0;
  const ThemePartInfo* table = ThemePartTable(&count);
  for (int i = 0; i < count; ++i) {
    const ThemePartInfo& p = table[i];
    ThemeHold t(OpenThemeData(nullptr, AnsiToWide(p.className).c_str()));
    ASSERT_NE(t.h, nullptr) << p.className;
    for (int state = p.firstState; state <= p.lastState; ++state) {
      for (TSize s : {CellFor(p), TSize{3, 2}, TSize{0, 0}}) {
        Canvas(80, 60);
        TRect r{20, 20, 20 + s.cx, 20 + s.cy};
        ASSERT_EQ(DrawThemeBackground(t.h, dc, p.part, state, &r, nullptr), S_OK);
        TRect outside[] = {{0, 0, 80, 20}, {0, 20, 20, 60}, {r.Right, 20, 80, 60}, {20, r.Bottom, r.Right, 60}};
        for (const TRect& o : outside)
          EXPECT_FALSE(Painted(o)) << p.className << " part " << p.part << " state " << state << " size "
                                   << s.cx << "x" << s.cy;
      }
    }
  }
}

TEST_F(ThemeGallery, UnknownPartsStillDraw) {
  ThemeSetActive(true);
  Canvas(30, 24);
  TRect r{0, 0, 30, 24};
  ThemeHold clock(OpenThemeData(nullptr, u"Clock"));
  EXPECT_EQ(DrawThemeBackground(clock.h, dc, 5, 3, &r, nullptr), S_OK);
  EXPECT_TRUE(Painted(r));
}

TEST_F(ThemeGallery, RendersEveryPartInEveryStateIntoOnePicture) {
  ThemeSetActive(true);
  int count = 0;
  const ThemePartInfo* table = ThemePartTable(&count);
  constexpr int kLabel = 130, kRow = 28, kCol = 56;
  Canvas(kLabel + 16 * kCol + 10, 8 + count * kRow);
  Surf().Fill(PixelFromColor(RGB(236, 233, 216)));
  HFONT font = CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Tahoma");
  HGDIOBJ oldFont = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  for (int i = 0; i < count; ++i) {
    const ThemePartInfo& p = table[i];
    ThemeHold t(OpenThemeData(nullptr, AnsiToWide(p.className).c_str()));
    int y0 = 4 + i * kRow;
    std::string label = std::string(p.className) + " " + std::to_string(p.part);
    TRect lr{4, y0, kLabel, y0 + kRow};
    DrawTextA(dc, label.c_str(), -1, &lr, DT_SINGLELINE | DT_VCENTER);
    for (int state = p.firstState; state <= p.lastState; ++state) {
      TSize s = CellFor(p);
      int x = kLabel + (state - p.firstState) * kCol;
      TRect r{x, y0 + (kRow - s.cy) / 2, x + s.cx, y0 + (kRow - s.cy) / 2 + s.cy};
      ASSERT_EQ(DrawThemeBackground(t.h, dc, p.part, state, &r, nullptr), S_OK);
      if (p.text != ThemeColorSource::None && p.trueSize.cx == 0 && s.cx >= 40)
        DrawThemeText(t.h, dc, p.part, state, u"Ab", -1, DT_CENTER | DT_VCENTER | DT_SINGLELINE, 0, &r);
    }
  }
  SelectObject(dc, oldFont);
  DeleteObject(font);
  const std::string dir = std::string(TL_BINARY_DIR) + "/gallery";
  std::filesystem::create_directories(dir);
  ASSERT_TRUE(SaveSurfacePng(Surf(), dir + "/theme.png"));
  EXPECT_GT(std::filesystem::file_size(dir + "/theme.png"), 1000u);
}

}  // namespace
