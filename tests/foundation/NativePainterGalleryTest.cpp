// Every themed operation of the native painter in every button state, side by side in one
// picture under the build folder (gallery/native.png) so the look can be judged by eye.
#include "platform/gdi/Font.h"
#include "platform/gdi/Text.h"
#include "tests/foundation/NativePainterFixture.h"

#include <filesystem>
#include <functional>
#include <string>

namespace {

using BS = TcxButtonState;
using Op = std::function<void(const TcxCustomLookAndFeelPainter&, TcxCanvas&, const TRect&, BS)>;

struct Row {
  const char* label;
  Op draw;
};

constexpr int kLabel = 110, kCol = 56, kRowH = 28;
constexpr COLORREF kWhite = RGB(255, 255, 255);

TEST_F(NativePainterTest, GalleryDrawsEveryOperationInEveryState) {
  ThemeOn();
  Start();
  cxOffice11SetUp();
  const TAlignment center = TAlignment::taCenter;
  const TcxAlignmentVert vcenter = TcxAlignmentVert::vaCenter;
  const std::vector<Row> rows = {
      {"Button", [](auto& p, auto& c, auto& r, BS s) { p.DrawButton(c, r, "Ok", s); }},
      {"PlainButton", [](auto& p, auto& c, auto& r, BS s) { p.DrawPlainButton(c, r, s); }},
      {"Check on", [](auto& p, auto& c, auto& r, BS s) { p.DrawCheck(c, {r.Left, r.Top, r.Left + 13, r.Top + 13}, s, true, clBlack); }},
      {"Radio on", [](auto& p, auto& c, auto& r, BS s) { p.DrawRadioButton(c, r.Left, r.Top, s, true, false, clWindow); }},
      {"Header", [=](auto& p, auto& c, auto& r, BS s) {
         p.DrawHeader(c, r, r, {}, cxBordersAll, s, center, vcenter, false, false, "Hd", nullptr, clBlack, clBtnFace);
       }},
      {"DropDown", [](auto& p, auto& c, auto& r, BS s) { p.DrawDropDownButton(c, {r.Left, r.Top, r.Left + 17, r.Bottom}, s, true); }},
      {"ToolButton", [](auto& p, auto& c, auto& r, BS s) { p.DrawToolButton(c, r, s); }},
      {"ScrollArrows", [](auto& p, auto& c, auto& r, BS s) {
         for (int d = 0; d < 4; ++d)
           p.DrawScrollBarArrow(c, {r.Left + d * 12, r.Top, r.Left + d * 12 + 11, r.Top + 11}, s, TcxArrowDirection(d), true);
       }},
      {"Bar", [](auto& p, auto& c, auto& r, BS) {
         TcxPaintParams back;
         back.Color = clWindow;
         p.DrawBar(c, r, true, back);
       }},
  };
  const BS states[5] = {BS::cxbsDefault, BS::cxbsNormal, BS::cxbsHot, BS::cxbsPressed, BS::cxbsDisabled};
  PaperCanvas c(kLabel + 5 * kCol, int(rows.size()) * kRowH + 4);
  c.Surf().Fill(PixelFromColor(kWhite));
  HFONT font = CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Tahoma");
  HGDIOBJ oldFont = SelectObject(c.DC(), font);
  for (size_t i = 0; i < rows.size(); ++i) {
    const int y = int(i) * kRowH;
    TRect label{4, y, kLabel, y + kRowH};
    SetBkMode(c.DC(), TRANSPARENT);
    DrawTextA(c.DC(), rows[i].label, -1, &label, DT_SINGLELINE | DT_VCENTER);
    for (int s = 0; s < 5; ++s) {
      const TRect cell{kLabel + s * kCol + 3, y + 4, kLabel + (s + 1) * kCol - 5, y + kRowH - 4};
      // Each cell draws in a clip of its own, so a fault shows where it happened.
      TcxRegion* saved = c.Cx().GetClipRegion();
      c.Cx().IntersectClipRect({cell.Left - 2, y, cell.Right + 2, y + kRowH});
      rows[i].draw(Native(), c.Cx(), cell, states[s]);
      c.Cx().SetClipRegion(saved, TcxRegionOperation::roSet);
      bool painted = false;
      for (int yy = y; yy < y + kRowH && !painted; ++yy)
        for (int xx = cell.Left - 2; xx < cell.Right + 2 && !painted; ++xx) painted = c.Px(xx, yy) != kWhite;
      // A disabled tool button is see-through in the stand-in's style.
      const bool mayBeBlank = String(rows[i].label) == "ToolButton" && states[s] == BS::cxbsDisabled;
      EXPECT_TRUE(painted || mayBeBlank) << rows[i].label << " in state " << s;
    }
  }
  SelectObject(c.DC(), oldFont);
  DeleteObject(font);
  const std::string dir = std::string(TL_BINARY_DIR) + "/gallery";
  std::filesystem::create_directories(dir);
  ASSERT_TRUE(SaveSurfacePng(c.Surf(), dir + "/native.png"));
}

}  // namespace
