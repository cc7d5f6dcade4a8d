#include "GdiTestCanvas.h"

#include "platform/gdi/Text.h"

#include <functional>

namespace {

constexpr DWORD kNop = 0x00AA0029;   // the destination left as it is

// A memory DC over a bitmap of w x h (mono or 32 bits), pixels set by `colour(x, y)`.
struct Source {
  HDC dc = nullptr;
  HBITMAP bmp = nullptr;
  HGDIOBJ old = nullptr;
  Source(int w, int h, bool mono, const std::function<COLORREF(int, int)>& colour) {
    dc = CreateCompatibleDC(nullptr);
    bmp = CreateBitmap(w, h, 1, mono ? 1 : 32, nullptr);
    old = SelectObject(dc, bmp);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) BitmapFromHandle(bmp)->Pixels->Set(x, y, PixelFromColor(colour(x, y)));
  }
  ~Source() {
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bmp);
  }
};

// A monochrome bitmap (not selected anywhere) whose pixel is 1 where `on(x, y)`.
HBITMAP Mask(int w, int h, const std::function<bool(int, int)>& on) {
  HBITMAP m = CreateBitmap(w, h, 1, 1, nullptr);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) BitmapFromHandle(m)->Pixels->Set(x, y, on(x, y) ? 0xFFFFFF : 0);
  return m;
}

constexpr COLORREF kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255);

}  // namespace

using MaskedBlitTest = GdiCanvasTest;

TEST_F(MaskedBlitTest, MaskBltAppliesTheForegroundRopWhereTheMaskIsSetAndTheBackgroundOneElsewhere) {
  Source red(8, 1, false, [](int, int) { return kRed; });
  HBITMAP left = Mask(8, 1, [](int x, int) { return x < 4; });
  ASSERT_TRUE(MaskBlt(dc, 0, 0, 8, 1, red.dc, 0, 0, left, 0, 0, MAKEROP4(SRCCOPY, kNop)));
  ExpectPx({{0, 0, kRed}, {3, 0, kRed}, {4, 0, kWhite}, {7, 0, kWhite}});
  ASSERT_TRUE(MaskBlt(dc, 0, 1, 8, 1, red.dc, 0, 0, left, 0, 0, MAKEROP4(kNop, SRCCOPY)));
  ExpectPx({{0, 1, kWhite}, {3, 1, kWhite}, {4, 1, kRed}, {7, 1, kRed}});
  // The background rop need not read the source; the mask offset moves the split.
  ASSERT_TRUE(MaskBlt(dc, 0, 2, 6, 1, red.dc, 0, 0, left, 2, 0, MAKEROP4(SRCCOPY, BLACKNESS)));
  ExpectPx({{0, 2, kRed}, {1, 2, kRed}, {2, 2, kBlack}, {5, 2, kBlack}, {6, 2, kWhite}});
  // No mask: a plain copy with the foreground rop.
  ASSERT_TRUE(MaskBlt(dc, 0, 3, 8, 1, red.dc, 0, 0, nullptr, 0, 0, MAKEROP4(SRCCOPY, BLACKNESS)));
  ExpectPx({{0, 3, kRed}, {7, 3, kRed}});
  // The clip holds for both rops.
  IntersectClipRect(dc, 0, 0, 2, 32);
  ASSERT_TRUE(MaskBlt(dc, 0, 4, 8, 1, red.dc, 0, 0, left, 0, 0, MAKEROP4(SRCCOPY, BLACKNESS)));
  ExpectPx({{1, 4, kRed}, {2, 4, kWhite}, {5, 4, kWhite}});
  DeleteObject(left);
}

TEST_F(MaskedBlitTest, MaskBltRefusesAColourMaskAndOneThatDoesNotCoverTheSource) {
  Source red(8, 1, false, [](int, int) { return kRed; });
  Source colourMask(8, 1, false, [](int, int) { return kWhite; });
  HBITMAP narrow = Mask(4, 1, [](int, int) { return true; });
  HBITMAP colour = CreateBitmap(8, 1, 1, 32, nullptr);
  EXPECT_FALSE(MaskBlt(dc, 0, 0, 8, 1, red.dc, 0, 0, colour, 0, 0, MAKEROP4(SRCCOPY, kNop)));
  EXPECT_FALSE(MaskBlt(dc, 0, 0, 8, 1, red.dc, 0, 0, narrow, 0, 0, MAKEROP4(SRCCOPY, kNop)));
  EXPECT_FALSE(MaskBlt(dc, 0, 0, 4, 1, red.dc, 0, 0, narrow, 1, 0, MAKEROP4(SRCCOPY, kNop)));
  EXPECT_FALSE(MaskBlt(dc, 0, 0, 4, 1, red.dc, 0, 0, narrow, -1, 0, MAKEROP4(SRCCOPY, kNop)));
  EXPECT_TRUE(Inked().empty());
  EXPECT_TRUE(MaskBlt(dc, 0, 0, 4, 1, red.dc, 0, 0, narrow, 0, 0, MAKEROP4(SRCCOPY, kNop)));
  EXPECT_EQ(Count(kRed), 4);
  DeleteObject(narrow);
  DeleteObject(colour);
}

TEST_F(MaskedBlitTest, PlgBltMapsTheSourceCornersToTheParallelogramsCorners) {
  // Left half red, right half blue.
  Source src(4, 4, false, [](int x, int) { return x < 2 ? kRed : kBlue; });
  // The identity: upper-left, upper-right and lower-left where a BitBlt would put them.
  const POINT same[] = {{0, 0}, {4, 0}, {0, 4}};
  ASSERT_TRUE(PlgBlt(dc, same, src.dc, 0, 0, 4, 4, nullptr, 0, 0));
  ExpectPx({{0, 0, kRed}, {1, 3, kRed}, {2, 0, kBlue}, {3, 3, kBlue}, {4, 0, kWhite}, {0, 4, kWhite}});
  // A quarter turn: the source's x runs down, its y to the left.
  const POINT turned[] = {{14, 10}, {14, 14}, {10, 10}};
  ASSERT_TRUE(PlgBlt(dc, turned, src.dc, 0, 0, 4, 4, nullptr, 0, 0));
  ExpectPx({{10, 10, kRed}, {13, 11, kRed}, {10, 12, kBlue}, {13, 13, kBlue}, {14, 12, kWhite}});
  // Doubled and mirrored across: upper-right to the left of upper-left.
  const POINT mirrored[] = {{27, 20}, {19, 20}, {27, 28}};
  ASSERT_TRUE(PlgBlt(dc, mirrored, src.dc, 0, 0, 4, 4, nullptr, 0, 0));
  ExpectPx({{26, 20, kRed}, {23, 27, kRed}, {22, 20, kBlue}, {19, 27, kBlue}, {18, 20, kWhite}, {27, 20, kWhite}});
}

TEST_F(MaskedBlitTest, PlgBltsMaskIsTiledAndKeepsTheDestinationWhereItIsClear) {
  Source src(4, 4, false, [](int, int) { return kRed; });
  HBITMAP checker = Mask(2, 2, [](int x, int y) { return (x + y) % 2 == 0; });
  const POINT same[] = {{0, 0}, {4, 0}, {0, 4}};
  ASSERT_TRUE(PlgBlt(dc, same, src.dc, 0, 0, 4, 4, checker, 0, 0));
  ExpectPx({{0, 0, kRed}, {1, 0, kWhite}, {2, 0, kRed}, {3, 0, kWhite}, {0, 1, kWhite}, {3, 3, kRed}});
  EXPECT_EQ(Count(kRed), 8);
  // The mask offset shifts the checks by one.
  ASSERT_TRUE(PlgBlt(dc, same, src.dc, 0, 0, 4, 4, checker, 1, 0));
  EXPECT_EQ(Count(kRed), 16);
  // A flat parallelogram and a colour mask fail.
  Clear();
  const POINT flat[] = {{0, 0}, {4, 4}, {8, 8}};
  EXPECT_FALSE(PlgBlt(dc, flat, src.dc, 0, 0, 4, 4, nullptr, 0, 0));
  HBITMAP colour = CreateBitmap(2, 2, 1, 32, nullptr);
  EXPECT_FALSE(PlgBlt(dc, same, src.dc, 0, 0, 4, 4, colour, 0, 0));
  EXPECT_TRUE(Inked().empty());
  DeleteObject(colour);
  DeleteObject(checker);
}

TEST_F(MaskedBlitTest, PolyTextOutDrawsEachStringAsExtTextOutWould) {
  Canvas(60, 20);
  SetBkMode(dc, TRANSPARENT);
  ExtTextOutA(dc, 2, 2, 0, nullptr, "Ab", 2, nullptr);
  ExtTextOutA(dc, 30, 4, 0, nullptr, "cd", 2, nullptr);
  std::vector<COLORREF> direct;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 60; ++x) direct.push_back(Px(x, y));
  Clear();
  const POLYTEXTA texts[] = {{2, 2, 2, "Ab", 0, {}, nullptr}, {30, 4, 2, "cd", 0, {}, nullptr}};
  ASSERT_TRUE(PolyTextOutA(dc, texts, 2));
  int same = 0, inked = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 60; ++x) {
      same += Px(x, y) == direct[size_t(y * 60 + x)];
      inked += Px(x, y) != kWhite;
    }
  EXPECT_EQ(same, 60 * 20);
  EXPECT_GT(inked, 20);
  EXPECT_FALSE(PolyTextOutA(dc, nullptr, 1));
  EXPECT_FALSE(PolyTextOutA(nullptr, texts, 2));
}
