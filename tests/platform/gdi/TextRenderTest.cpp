#include "platform/gdi/TextRender.h"

#include <gtest/gtest.h>

#include <tuple>
#include <utility>

namespace {

FontInstance& Font16() {
  FontDesc d;
  d.FaceName = kTestFaceName;
  d.Height = -16;
  return RealizeFont(d);
}

CoverageMask Render(const char* s, const std::vector<Integer>& adv, bool underline = false, bool strike = false) {
  return RenderRun(Font16(), reinterpret_cast<const Byte*>(s), Integer(adv.size()), adv.data(), underline,
                   strike);
}

}  // namespace

TEST(RenderRunTest, StrikeOutSitsAThirdOfTheEmAboveTheBaseline) {
  CoverageMask m = Render("A B", {10, 10, 10}, false, true);
  EXPECT_EQ(m.At(15, 16 - 16 / 3), 255) << "under the blank too";
  EXPECT_EQ(m.At(15, 16), 0);
}

TEST(RenderRunTest, NegativeAndZeroAdvancesStayInsideTheMask) {
  CoverageMask m = Render("AB", {-30, 0}, true);
  EXPECT_LE(m.Left, -30);
  EXPECT_EQ(m.At(-30, 10), 255) << "B drawn at the pen after a negative advance";
  EXPECT_EQ(m.At(-30, 17), 255) << "underline runs back to the pen";
  CoverageMask empty = Render("", {});
  EXPECT_EQ(empty.Width, 0);
}

TEST(RotateMaskTest, OtherAnglesKeepTheAreaRoughly) {
  CoverageMask m = Render("AB", {10, 10});
  for (Integer e : {150, 450, 1350, 3300}) {
    CoverageMask r = RotateMask(m, e);
    int count = 0;
    for (Byte b : r.Data) count += b != 0;
    EXPECT_NEAR(count, 288, 30) << e;
  }
}

TEST(RunOutlineTest, OutlinesFollowTheOffsetAndTheTurn) {
  std::vector<Integer> adv{10, 10};
  TextPath p;
  AppendRunOutline(Font16(), reinterpret_cast<const Byte*>("AB"), 2, adv.data(), 50, 50, 0, 0, 900, p);
  double l, t, r, b;
  p.Bounds(l, t, r, b);
  // The boxes cover x 0..19 (9 wide each), y 4..20 in text space; turned: x 54..70, y 31..50.
  EXPECT_EQ(std::tuple(l, t, r, b), std::tuple(54.0, 31.0, 70.0, 50.0));
}
