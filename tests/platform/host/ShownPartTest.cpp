// What the screen host shows of a window: the whole window, or under a window manager the
// menu bar and the client area; and the shape of a window cut to a region, moved to where
// the shown part starts and cut to it.
#include "platform/gdi/Gdi.h"
#include "platform/host/sdl/ShownPart.h"
#include "platform/user/Controls.h"
#include "tests/platform/user/UserTestUtil.h"
#include "tests/support/UserTest.h"

using ShownPartTest = RecorderTest;

TEST_F(ShownPartTest, UnderAWindowManagerTheBarShowsAsHighAsItsItemsNeedAboveTheClientArea) {
  HWND h = rec.Create(WS_OVERLAPPEDWINDOW, 100, 50, 300, 200);
  RECT win;
  GetWindowRect(h, &win);
  TPoint offset;
  int width = 0, height = 0;
  ShownPart(h, WS_OVERLAPPEDWINDOW, win, false, &offset, &width, &height);
  EXPECT_EQ(offset, (TPoint{0, 0}));
  EXPECT_EQ(std::pair(width, height), std::pair(300, 200));
  // A popup shows whole under a manager too.
  ShownPart(h, WS_POPUP, win, true, &offset, &width, &height);
  EXPECT_EQ(offset, (TPoint{0, 0}));
  // A bar whose item shows a 30-high image is 32 high: all of it shows with the client area,
  // the manager's caption and borders around them.
  rec.handler = [](HWND, UINT m, WPARAM, LPARAM l, LRESULT& r) {
    if (m != WM_MEASUREITEM) return false;
    auto* mi = reinterpret_cast<MEASUREITEMSTRUCT*>(l);
    mi->itemWidth = 16;
    mi->itemHeight = 30;
    r = TRUE;
    return true;
  };
  HMENU bar = CreateMenu();
  AppendMenuA(bar, MF_STRING, 1, "&Go");
  MENUITEMINFOA info;
  info.fMask = MIIM_BITMAP;
  info.hbmpItem = HBMMENU_CALLBACK;
  SetMenuItemInfoA(bar, 0, TRUE, &info);
  SetMenu(h, bar);
  ShownPart(h, WS_OVERLAPPEDWINDOW, win, true, &offset, &width, &height);
  const int frameX = GetSystemMetrics(SM_CXFRAME), frameY = GetSystemMetrics(SM_CYFRAME);
  const int caption = GetSystemMetrics(SM_CYCAPTION);
  EXPECT_EQ(offset, (TPoint{frameX, frameY + caption}));
  EXPECT_EQ(std::pair(width, height), std::pair(300 - 2 * frameX, 200 - 2 * frameY - caption));
  RECT client;
  GetClientRect(h, &client);
  EXPECT_EQ(height - client.Bottom, 32);
  SetMenu(h, nullptr);
  DestroyMenu(bar);
  DestroyWindow(h);
}

TEST_F(ShownPartTest, TheRegionMovesToTheShownPartAndIsCutToIt) {
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

TEST_F(ShownPartTest, TheHostReadsTheRegionAWindowIsCutTo) {
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
