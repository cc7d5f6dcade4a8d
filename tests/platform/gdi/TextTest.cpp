// Text on a device context, with the test face at height -16: cells 20 high, advance 10,
// ascent 16, each glyph a box over columns 0..8 and rows 4..19 of its cell.
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <tuple>
#include <utility>

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255), kBlack = RGB(0, 0, 0), kRed = RGB(255, 0, 0);

HFONT TestFont(int height = -16, int escapement = 0, const char* face = kTestFaceName) {
  return CreateFontA(height, 0, escapement, escapement, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, face);
}

// A white w x h 32-bit memory DC with a font selected and black transparent text.
class Canvas {
 public:
  Canvas(int w, int h, HFONT font = TestFont())
      : w_(w), h_(h), font_(font), dc_(CreateCompatibleDC(nullptr)), bmp_(CreateBitmap(w, h, 1, 32, nullptr)) {
    oldBmp_ = SelectObject(dc_, bmp_);
    oldFont_ = SelectObject(dc_, font_);
    PatBlt(dc_, 0, 0, w, h, WHITENESS);
    SetBkMode(dc_, TRANSPARENT);
    SetTextColor(dc_, kBlack);
  }
  ~Canvas() {
    SelectObject(dc_, oldFont_);
    SelectObject(dc_, oldBmp_);
    DeleteObject(bmp_);
    DeleteObject(font_);
    DeleteDC(dc_);
  }
  HDC dc() const { return dc_; }
  COLORREF At(int x, int y) const { return GetPixel(dc_, x, y); }
  bool Ink(int x, int y) const { return At(x, y) == kBlack; }
  // Bounds of every non-white pixel ({w, h, 0, 0} when there is none) and their count.
  RECT InkBounds() const {
    RECT r{w_, h_, 0, 0};
    for (int y = 0; y < h_; ++y)
      for (int x = 0; x < w_; ++x)
        if (At(x, y) != kWhite)
          r = {std::min(r.Left, x), std::min(r.Top, y), std::max(r.Right, x + 1), std::max(r.Bottom, y + 1)};
    return r;
  }
  int InkCount() const {
    int n = 0;
    for (int y = 0; y < h_; ++y)
      for (int x = 0; x < w_; ++x) n += At(x, y) != kWhite;
    return n;
  }

 private:
  int w_, h_;
  HFONT font_;
  HDC dc_;
  HBITMAP bmp_;
  HGDIOBJ oldBmp_, oldFont_;
};

// Expects ink (1) or paper (0) at each point.
struct InkAt {
  int x, y, ink;
};
void ExpectInk(const Canvas& c, std::initializer_list<InkAt> points) {
  for (const InkAt& p : points) EXPECT_EQ(c.Ink(p.x, p.y), p.ink != 0) << "at " << p.x << "," << p.y;
}

// Ink bounds on a fresh w x h canvas after `draw`.
template <class Draw>
RECT InkAfter(Draw draw, int w = 100, int h = 60, HFONT font = TestFont()) {
  Canvas c(w, h, font);
  draw(c.dc());
  return c.InkBounds();
}

}  // namespace

TEST(FontObjects, GetObjectGivesBackTheLogFont) {
  LOGFONTA lf{};
  lf.lfHeight = -13;
  lf.lfEscapement = 900;
  lf.lfWeight = FW_BOLD;
  lf.lfItalic = 1;
  lf.lfOutPrecision = OUT_TT_ONLY_PRECIS;
  std::strcpy(lf.lfFaceName, "Tahoma");
  HFONT f = CreateFontIndirectA(&lf);
  ASSERT_NE(f, nullptr);
  LOGFONTA back{};
  EXPECT_EQ(GetObjectA(f, sizeof back, &back), 60);
  EXPECT_EQ(std::memcmp(&lf, &back, sizeof lf), 0);
  EXPECT_TRUE(DeleteObject(f));
  EXPECT_EQ(CreateFontIndirectA(nullptr), nullptr);

  // A face name filling all 32 bytes without a terminator is read safely.
  std::memset(lf.lfFaceName, 'x', sizeof lf.lfFaceName);
  f = CreateFontIndirectA(&lf);
  ASSERT_NE(f, nullptr);
  Canvas c(10, 10, f);
  TEXTMETRICA tm{};
  EXPECT_TRUE(GetTextMetricsA(c.dc(), &tm));
}

TEST(TextExtents, ExtentFitCountsAndJustification) {
  Canvas c(10, 10);
  SIZE sz{};
  ASSERT_TRUE(GetTextExtentPoint32A(c.dc(), "abc", 3, &sz));
  EXPECT_EQ(sz, (SIZE{30, 20}));
  EXPECT_FALSE(GetTextExtentPoint32A(c.dc(), nullptr, 3, &sz));
  // No characters: no height either.
  ASSERT_TRUE(GetTextExtentPoint32A(c.dc(), "abc", 0, &sz));
  EXPECT_EQ(sz, (SIZE{0, 0}));

  int fit = -1, dx[5] = {};
  ASSERT_TRUE(GetTextExtentExPointA(c.dc(), "abcd", 4, 25, &fit, dx, &sz));
  // The size is the whole text's.
  EXPECT_EQ(std::tuple(fit, sz.cx, dx[0], dx[3]), std::tuple(2, 40, 10, 40));
  ASSERT_TRUE(GetTextExtentExPointA(c.dc(), "abcd", 4, -1, &fit, nullptr, &sz));
  EXPECT_EQ(fit, 4);
  EXPECT_FALSE(GetTextExtentExPointA(c.dc(), "abcd", 4, -2, &fit, nullptr, &sz));
  // The fit count alone comes out the same.
  for (int extent : {0, 9, 10, 29, 30, 40, 1000}) {
    int alone = -1, full = -1;
    ASSERT_TRUE(GetTextExtentExPointA(c.dc(), "abcd", 4, extent, &alone, nullptr, nullptr));
    ASSERT_TRUE(GetTextExtentExPointA(c.dc(), "abcd", 4, extent, &full, dx, &sz));
    EXPECT_EQ(alone, full) << extent;
  }

  // Justification spreads the extra over break characters, the first ones taking the rest.
  ASSERT_TRUE(SetTextJustification(c.dc(), 7, 2));
  ASSERT_TRUE(GetTextExtentExPointA(c.dc(), "a b c", 5, -1, &fit, dx, &sz));
  EXPECT_EQ(std::tuple(sz.cx, dx[1], dx[3]), std::tuple(57, 10 + 10 + 4, 10 + 10 + 4 + 10 + 13));
}

TEST(TextOutput, BoxGlyphsLandOnExactPixels) {
  Canvas c(100, 40);
  ASSERT_TRUE(TextOutA(c.dc(), 5, 3, "AB", 2));
  // A's box starts at cell row 4 below the empty leading and ends at column 8; then the gap
  // column, then B down to cell row 19.
  ExpectInk(c, {{5, 7, 1}, {5, 6, 0}, {13, 10, 1}, {14, 10, 0}, {15, 10, 1}, {23, 22, 1}, {23, 23, 0}, {24, 10, 0}});
  EXPECT_EQ(c.InkBounds(), (RECT{5, 7, 24, 23}));
}

TEST(TextOutput, OpaqueBackgroundAndExtTextOutOptions) {
  Canvas c(100, 40);
  SetBkMode(c.dc(), OPAQUE);
  SetBkColor(c.dc(), kRed);
  TextOutA(c.dc(), 5, 3, "AB", 2);
  // The gap inside the cells and the leading row take the background; outside stays white.
  for (auto [x, y, want] : {std::tuple{14, 10, kRed}, {5, 3, kRed}, {24, 22, kRed}, {25, 10, kWhite}, {5, 23, kWhite}})
    EXPECT_EQ(c.At(x, y), want) << x << "," << y;

  Canvas clip(100, 40);
  SetBkColor(clip.dc(), kRed);
  RECT r{0, 0, 12, 40};
  ASSERT_TRUE(ExtTextOutA(clip.dc(), 5, 3, ETO_CLIPPED | ETO_OPAQUE, &r, "AB", 2, nullptr));
  EXPECT_EQ(clip.At(0, 0), kRed) << "ETO_OPAQUE fills the rectangle even when transparent";
  ExpectInk(clip, {{11, 10, 1}, {12, 10, 0}, {15, 10, 0}});   // clipped at the rectangle

  EXPECT_FALSE(ExtTextOutA(clip.dc(), 5, 3, 0, nullptr, nullptr, 2, nullptr));
  EXPECT_FALSE(ExtTextOutA(nullptr, 5, 3, 0, nullptr, "AB", 2, nullptr));
}

TEST(TextOutput, AlignmentAndCurrentPosition) {
  EXPECT_EQ(InkAfter([](HDC d) { SetTextAlign(d, TA_RIGHT | TA_BOTTOM), TextOutA(d, 50, 30, "AB", 2); }),
            (RECT{30, 14, 49, 30}));

  Canvas c(100, 60);
  MoveToEx(c.dc(), 10, 5, nullptr);
  SetTextAlign(c.dc(), TA_UPDATECP);
  TextOutA(c.dc(), 0, 0, "ab", 2);
  TextOutA(c.dc(), 0, 0, "c", 1);
  POINT cp{};
  GetCurrentPositionEx(c.dc(), &cp);
  EXPECT_EQ(cp, (POINT{40, 5}));
  EXPECT_EQ(c.InkBounds(), (RECT{10, 9, 39, 25}));
}

// Rotation by the escapement turns the run about the reference point, counter-clockwise.
TEST(RotatedText, QuarterTurnsAreExactPixelPermutations) {
  struct Case {
    int escapement;
    RECT a, b;   // ink of the A box and of the B box when "AB" is drawn at (50, 50)
  };
  const Case cases[] = {
      {0, {50, 54, 59, 70}, {60, 54, 69, 70}},
      {900, {54, 41, 70, 50}, {54, 31, 70, 40}},
      {1800, {41, 30, 50, 46}, {31, 30, 40, 46}},
      {2700, {30, 50, 46, 59}, {30, 60, 46, 69}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.escapement);
    Canvas cab(100, 100, TestFont(-16, k.escapement));
    TextOutA(cab.dc(), 50, 50, "AB", 2);
    RECT both{std::min(k.a.Left, k.b.Left), std::min(k.a.Top, k.b.Top), std::max(k.a.Right, k.b.Right),
              std::max(k.a.Bottom, k.b.Bottom)};
    EXPECT_EQ(cab.InkBounds(), both);
    EXPECT_TRUE(cab.Ink(k.b.Left, k.b.Top));
    EXPECT_TRUE(cab.Ink(k.b.Right - 1, k.b.Bottom - 1));
  }
}

TEST(RotatedText, RasterFacesIgnoreTheEscapement) {
  Canvas c(200, 200, TestFont(-16, 900, "MS Sans Serif"));
  TextOutA(c.dc(), 20, 100, "Hello", 5);
  RECT ink = c.InkBounds();
  EXPECT_GT(ink.Right - ink.Left, ink.Bottom - ink.Top) << "drawn along x, not up";
  EXPECT_GE(ink.Top, 100);
}

TEST(DrawTextOnDc, CalcRectDrawingAndClipping) {
  Canvas c(200, 100);
  RECT r{10, 10, 45, 0};
  EXPECT_EQ(DrawTextA(c.dc(), "aa bb cc", -1, &r, DT_CALCRECT | DT_WORDBREAK), 60);
  EXPECT_EQ(r, (RECT{10, 10, 30, 70}));
  EXPECT_EQ(c.InkCount(), 0) << "DT_CALCRECT draws nothing";
  r = {10, 10, 45, 70};
  EXPECT_EQ(DrawTextA(c.dc(), "aa bb cc", -1, &r, DT_WORDBREAK), 60);
  ExpectInk(c, {{10, 14, 1}, {10, 34, 1}, {28, 69, 1}, {30, 14, 0}});

  r = {10, 10, 25, 30};
  EXPECT_EQ(InkAfter([&](HDC d) { DrawTextA(d, "abc", 3, &r, DT_SINGLELINE); }, 200, 100), (RECT{10, 14, 25, 30}));
  EXPECT_EQ(InkAfter([&](HDC d) { DrawTextA(d, "abc", 3, &r, DT_SINGLELINE | DT_NOCLIP); }, 200, 100),
            (RECT{10, 14, 39, 30}));
}

TEST(DrawTextOnDc, ReturnValuesAndBadArguments) {
  Canvas c(200, 100);
  RECT r{10, 10, 100, 100};
  EXPECT_EQ(DrawTextA(c.dc(), "abc", 0, &r, DT_CALCRECT), 0);
  EXPECT_EQ(r, (RECT{10, 10, 100, 100})) << "nothing to do leaves the rectangle";
  EXPECT_EQ(DrawTextA(c.dc(), nullptr, 5, &r, 0), 0);
  EXPECT_EQ(DrawTextA(c.dc(), nullptr, -1, &r, DT_CALCRECT | DT_SINGLELINE), 20);
  EXPECT_EQ(r, (RECT{10, 10, 10, 30}));
  EXPECT_EQ(DrawTextA(c.dc(), "abc", -1, nullptr, 0), 0);
  EXPECT_EQ(DrawTextA(nullptr, "abc", -1, &r, 0), 0);

  DRAWTEXTPARAMS p{};
  char text[] = "abc";
  p.cbSize = sizeof p;
  p.iLeftMargin = 8;
  r = {0, 0, 0, 0};
  EXPECT_EQ(DrawTextExA(c.dc(), text, -1, &r, DT_CALCRECT, &p), 20);
  EXPECT_EQ(r.Right, 38);
  EXPECT_EQ(p.uiLengthDrawn, 3u);
}

TEST(DrawTextOnDc, TabStopLengthComesFromTheSecondByteAndFlagsStillAct) {
  Canvas c(200, 40);
  // 0x0400 is DT_CALCRECT's bit: it still measures, and gives a tab length of 4.
  RECT r{0, 0, 0, 0};
  EXPECT_EQ(DrawTextA(c.dc(), "a\tb", -1, &r, DT_TABSTOP | DT_EXPANDTABS | DT_CALCRECT), 20);
  EXPECT_EQ(r, (RECT{0, 0, 50, 20}));
  EXPECT_EQ(c.InkCount(), 0);
  r = {0, 0, 0, 0};
  DrawTextA(c.dc(), "a\tb", -1, &r, DT_TABSTOP | DT_EXPANDTABS | DT_CALCRECT | 0x0200);
  EXPECT_EQ(r.Right, 70) << "with 0x0200 as well the length is 6";
}

TEST(DrawTextOnDc, ModifyStringWritesTheShortenedText) {
  Canvas c(200, 100);
  char buffer[32] = "abcdefghij";
  RECT r{0, 0, 55, 20};
  DrawTextExA(c.dc(), buffer, -1, &r, DT_SINGLELINE | DT_END_ELLIPSIS | DT_MODIFYSTRING, nullptr);
  EXPECT_STREQ(buffer, "ab...");
  const char constant[] = "abcdefghij";
  DrawTextA(c.dc(), constant, -1, &r, DT_SINGLELINE | DT_END_ELLIPSIS | DT_MODIFYSTRING);
  EXPECT_STREQ(constant, "abcdefghij") << "DrawTextA never writes";
}

TEST(TextOutput, HugeFarAndLongTextCostsOnlyItsVisiblePart) {
  std::string text(200000, 'W');
  for (int escapement : {0, 900, 450}) {
    SCOPED_TRACE(escapement);
    Canvas c(100, 100, TestFont(-2000, escapement));
    ASSERT_TRUE(TextOutA(c.dc(), -5000, -500, text.c_str(), int(text.size())));
    ASSERT_TRUE(TextOutA(c.dc(), INT32_MAX - 10, INT32_MIN + 10, text.c_str(), int(text.size())));
    SetBkMode(c.dc(), OPAQUE);
    ASSERT_TRUE(TextOutA(c.dc(), INT32_MIN + 10, 50, text.c_str(), int(text.size())));
  }
  // Many different large glyphs, of which only a few can show.
  std::string mixed;
  for (int i = 0; i < 100000; ++i) mixed.push_back(char(0x21 + i % 200));
  Canvas m(100, 100, TestFont(-2000, 0, "Arial"));
  ASSERT_TRUE(TextOutA(m.dc(), -3000, -1500, mixed.c_str(), int(mixed.size())));
  EXPECT_GT(m.InkCount(), 0);
  // A box glyph 1199 pixels wide covers the whole canvas from far left.
  Canvas c(100, 100, TestFont(-2000));
  TextOutA(c.dc(), -1000, -1000, text.c_str(), 3);
  EXPECT_EQ(c.InkCount(), 100 * 100);
}

TEST(TextPaths, GlyphOutlinesBecomeRegionsWithTheirHoles) {
  Canvas c(200, 100, TestFont(-60, 0, "Arial"));
  ASSERT_TRUE(BeginPath(c.dc()));
  TextOutA(c.dc(), 10, 10, "O", 1);
  ASSERT_TRUE(EndPath(c.dc()));
  HRGN rgn = PathToRegion(c.dc());
  ASSERT_NE(rgn, nullptr);
  RECT box{};
  ASSERT_NE(GetRgnBox(rgn, &box), 0);
  int cx = (box.Left + box.Right) / 2, cy = (box.Top + box.Bottom) / 2;
  EXPECT_FALSE(PtInRegion(rgn, cx, cy)) << "the counter of the O is a hole";
  EXPECT_TRUE(PtInRegion(rgn, box.Left + 2, cy)) << "the stroke is filled";
  DeleteObject(rgn);
}

TEST(DrawTextOnDc, ExtremeRectanglesMarginsAndTabsNeitherOverflowNorHang) {
  Canvas c(50, 50);
  std::string tabs(5000, '\t');
  tabs += "end";
  const RECT rects[] = {{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX},
                        {INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN},
                        {0, 0, 0, 0},
                        {-5, -5, 1, 1}};
  const UINT formats[] = {DT_WORDBREAK | DT_EXPANDTABS, DT_SINGLELINE | DT_VCENTER | DT_RIGHT,
                          DT_CENTER | DT_WORDBREAK | DT_EDITCONTROL, DT_SINGLELINE | DT_PATH_ELLIPSIS | DT_BOTTOM,
                          DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS};
  for (const RECT& r0 : rects) {
    for (UINT f : formats) {
      for (int margin : {0, INT32_MAX, INT32_MIN}) {
        DRAWTEXTPARAMS p{sizeof(DRAWTEXTPARAMS), INT32_MAX, margin, margin, 0};
        RECT r = r0;
        int h1 = DrawTextExA(c.dc(), tabs.data(), int(tabs.size()), &r, f, &p);
        r = r0;
        int h2 = DrawTextA(c.dc(), "a\\b\\c d e", -1, &r, f);
        if (!(f & DT_SINGLELINE)) {
          // Whatever the geometry, the height stays a positive whole number of lines.
          EXPECT_GT(h1, 0);
          EXPECT_EQ(h1 % 20, 0);
          EXPECT_GT(h2, 0);
          EXPECT_EQ(h2 % 20, 0);
        }
      }
    }
  }
}
