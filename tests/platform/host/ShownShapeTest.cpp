// The screen host's shape of a window cut to a region: the window's region as the platform
// keeps it, moved to where the shown part starts and cut to it.
#include "platform/gdi/Gdi.h"
#include "platform/host/sdl/ShownShape.h"
#include "tests/platform/user/UserTestUtil.h"
#include "tests/support/UserTest.h"

using ShownShapeTest = RecorderTest;

TEST_F(ShownShapeTest, TheRegionMovesToTheShownPartAndIsCutToIt) {
  // Two bands: a square at the window's corner and a bar further right and down.
  const Region region = Region::FromRects({{0, 0, 10, 10}, {20, 30, 60, 40}});
  // Shown whole: the same rectangles.
  EXPECT_EQ(ShownShape(region, {0, 0}, 100, 100), (std::vector<TRect>{{0, 0, 10, 10}, {20, 30, 60, 40}}));
  // Shown from (4, 25), 50 x 12 (a frame left out): the square is above it, the bar moved and cut.
  EXPECT_EQ(ShownShape(region, {4, 25}, 50, 12), (std::vector<TRect>{{16, 5, 50, 12}}));
  // Nothing of the region in the shown part: nothing shows.
  EXPECT_TRUE(ShownShape(region, {100, 100}, 50, 50).empty());
  EXPECT_TRUE(ShownShape(Region(), {0, 0}, 50, 50).empty());
}

TEST_F(ShownShapeTest, TheHostReadsTheRegionAWindowIsCutTo) {
  HWND h = rec.Create(WS_POPUP, 10, 10, 80, 60);
  EXPECT_EQ(GetWindowShape(h), nullptr);
  SetWindowRgn(h, CreateRectRgn(5, 6, 30, 40), FALSE);
  const Region* shape = GetWindowShape(h);
  ASSERT_NE(shape, nullptr);
  EXPECT_EQ(shape->Rects(), (std::vector<TRect>{{5, 6, 30, 40}}));
  // An empty region is a shape too: nothing of the window shows.
  SetWindowRgn(h, CreateRectRgn(0, 0, 0, 0), FALSE);
  ASSERT_NE(GetWindowShape(h), nullptr);
  EXPECT_TRUE(GetWindowShape(h)->Rects().empty());
  SetWindowRgn(h, nullptr, FALSE);
  EXPECT_EQ(GetWindowShape(h), nullptr);
  DestroyWindow(h);
  EXPECT_EQ(GetWindowShape(h), nullptr);
}
