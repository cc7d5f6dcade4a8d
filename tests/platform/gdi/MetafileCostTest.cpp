// What a metafile's records may cost: regions built only over the bounds the picture is drawn
// in, open paths capped in points, bitmaps capped in pixels per playback, and the DC's path
// and clip kept from the records.
#include "GdiTestCanvas.h"
#include "MetafileBuilders.h"

#include "platform/gdi/MetafilePlayer.h"
#include "platform/gdi/Text.h"

#include <array>
#include <cmath>
#include <string>

using namespace metafile_test;

namespace {

// One name a declaration: the unity build groups sources by the first name of each.
constexpr uint32_t kEmrPolygon = 3;
constexpr uint32_t kEmrMoveTo = 27;
constexpr uint32_t kEmrSetWorldTransform = 35;
constexpr uint32_t kEmrSelectObject = 37;
constexpr uint32_t kEmrCreateBrush = 39;
constexpr uint32_t kEmrAngleArc = 41;
constexpr uint32_t kEmrRectangle = 43;
constexpr uint32_t kEmrLineTo = 54;
constexpr uint32_t kEmrBeginPath = 59;
constexpr uint32_t kEmrEndPath = 60;
constexpr uint32_t kEmrFillPath = 62;
constexpr uint32_t kEmrFillRgn = 71;
constexpr uint32_t kEmrFrameRgn = 72;
constexpr uint32_t kEmrExtSelectClipRgn = 75;
constexpr uint32_t kEmrOffsetClipRgn = 26;
constexpr uint32_t kEmrStretchDiBits = 81;
constexpr uint32_t kEmrCreateDibPatternBrush = 94;
constexpr uint16_t kWmfCreateBrush = 0x02FC;
constexpr uint16_t kWmfCreateRegion = 0x06FF;
constexpr uint16_t kWmfFillRegion = 0x0228;
constexpr COLORREF kRed = RGB(255, 0, 0);

// A record's name for a stock object.
constexpr int32_t Stock(int object) { return int32_t(0x80000000u | unsigned(object)); }
constexpr int32_t kNullPen = Stock(NULL_PEN);

Emf& Put(Emf& e, uint32_t type, const std::vector<int32_t>& values,
         const std::vector<uint8_t>& tail = {}) {
  std::vector<uint8_t> p;
  for (int32_t v : values) Wmf::Put32(p, uint32_t(v));
  p.insert(p.end(), tail.begin(), tail.end());
  return e.Raw(type, p);
}

// A region's data as the enhanced records hold it: a 32-byte header, then the rectangles.
std::vector<int32_t> WithRgnData(std::vector<int32_t> head, const std::vector<RECT>& rects) {
  head.insert(head.end(), {32, 1, int32_t(rects.size()), int32_t(rects.size() * 16), 0, 0, 0, 0});
  for (const RECT& r : rects) head.insert(head.end(), {r.Left, r.Top, r.Right, r.Bottom});
  return head;
}

// Four strips one unit wide and 1.4 million tall, four units apart.
std::vector<metafile::RecordRect> TallStrips() {
  std::vector<metafile::RecordRect> strips;
  for (int32_t i = 0; i < 4; ++i) strips.push_back({4 * i, -700000, 4 * i + 2, 700000});
  return strips;
}

// An 8-bit run-length DIB declaring 4096 x 4096 whose eight bytes end its first line and the
// bitmap: every pixel stays black.
std::vector<uint8_t> RleDib() {
  std::vector<uint8_t> d;
  for (int32_t v : {40, 4096, 4096, 1 | 8 << 16, 1 /* BI_RLE8 */, 8, 0, 0, 1, 0, 0x00FF0000})
    Wmf::Put32(d, uint32_t(v));
  for (uint8_t b : {0, 0, 0, 1, 0, 0, 0, 1}) d.push_back(b);
  return d;
}

// A StretchDIBits record drawing the whole of RleDib onto an 8 x 8 square at (x, 0).
Emf& StretchRleDib(Emf& e, int x) {
  return Put(e, kEmrStretchDiBits,
             {0, 0, 0, 0, x, 0, 0, 0, 4096, 4096, 8 + 72, 44, 8 + 72 + 44, 8, int(DIB_RGB_COLORS),
              int32_t(SRCCOPY), 8, 8},
             RleDib());
}

size_t PathPoints(HDC dc) {
  size_t n = 0;
  for (const auto& f : DcFromHandle(dc)->PathFigures) n += f.size();
  return n;
}

}  // namespace

using MetafileCostTest = GdiCanvasTest;

TEST_F(MetafileCostTest, ARotatedRegionIsBuiltOnlyOverTheBoundsThePictureIsDrawnIn) {
  // Turned 45 degrees about (16, 0), each strip crosses a million rows: pixel (X, Y) comes
  // from x = (X - 16 + Y) / sqrt 2, inside a strip for x in [4i, 4i + 2).
  const float c = std::sqrt(0.5f);
  {
    metafile::Player pl(dc, 0);
    pl.Map.M11 = c, pl.Map.M12 = c, pl.Map.M21 = -c, pl.Map.M22 = c, pl.Map.Dx = 16;
    HRGN rgn = pl.MapRegion(TallStrips());
    const Region& r = RegionFromHandle(rgn)->Rgn;
    // At most one rectangle per pair of columns on each of the canvas's rows.
    EXPECT_LE(r.Rects().size(), size_t(32 * 16));
    EXPECT_TRUE(r.Contains(17, 0));    // x 0.7
    EXPECT_FALSE(r.Contains(19, 0));   // x 2.1, between the strips
    EXPECT_TRUE(r.Contains(22, 0));    // x 4.2
    EXPECT_TRUE(r.Contains(10, 24));   // x 12.7
    EXPECT_FALSE(r.Contains(12, 24));  // x 14.1, past the last strip
    EXPECT_FALSE(r.Contains(-1, 30));  // x 9.2 but off the canvas: not built
    DeleteObject(rgn);
  }
  // Played, the fill lands on the same pixels.
  Emf e(32, 32);
  e.Rec(kEmrSetWorldTransform,
        {FloatBits(c), FloatBits(c), FloatBits(-c), FloatBits(c), FloatBits(16), 0});
  std::vector<RECT> rects;
  for (const auto& s : TallStrips()) rects.push_back({s.Left, s.Top, s.Right, s.Bottom});
  Put(e, kEmrFillRgn,
      WithRgnData({0, 0, 0, 0, int32_t(32 + 16 * rects.size()), Stock(BLACK_BRUSH)}, rects));
  const std::vector<uint8_t> f = e.Bytes();
  std::string why;
  ASSERT_TRUE(PlayMetafile(dc, f.data(), f.size(), {0, 0, 32, 32}, why)) << why;
  ExpectPx({{17, 0, kBlack}, {19, 0, kWhite}, {22, 0, kBlack}, {10, 24, kBlack}, {12, 24, kWhite}});
}

TEST_F(MetafileCostTest, AFramedRegionCutToTheCanvasIsFramedOnlyAtItsOwnEdges) {
  // One region reaching far past the canvas on three sides, framed two pixels wide: the
  // frame runs along its left and top edges only, never along the canvas's edges.
  Emf e(32, 32);
  Put(e, kEmrFrameRgn,
      WithRgnData({0, 0, 0, 0, 48, Stock(BLACK_BRUSH), 2, 2}, {{4, 6, 100000, 100000}}));
  const std::vector<uint8_t> f = e.Bytes();
  std::string why;
  ASSERT_TRUE(PlayMetafile(dc, f.data(), f.size(), {0, 0, 32, 32}, why)) << why;
  ExpectPx({{4, 6, kBlack}, {5, 31, kBlack}, {31, 7, kBlack}});
  ExpectPx({{6, 8, kWhite}, {31, 31, kWhite}, {3, 6, kWhite}});
  EXPECT_EQ(Count(kBlack), 2 * (32 - 6) + 2 * (32 - 4) - 4);
}

TEST_F(MetafileCostTest, AClipPathIsBuiltOnlyOverTheDrawableArea) {
  // Strips a million rows tall at 45 degrees: pixel (X, Y) is inside strip a when
  // X + Y is a or a + 1.
  ASSERT_TRUE(BeginPath(dc));
  for (int a = 16; a <= 28; a += 4) {
    const int far = 500000;
    const POINT strip[] = {{a + far, -far}, {a + 2 + far, -far}, {a + 2 - far, far}, {a - far, far}};
    ASSERT_TRUE(Polygon(dc, strip, 4));
  }
  ASSERT_TRUE(EndPath(dc));
  ASSERT_TRUE(SelectClipPath(dc, RGN_COPY));
  HRGN clip = CreateRectRgn(0, 0, 0, 0);
  ASSERT_EQ(GetClipRgn(dc, clip), 1);
  EXPECT_LE(RegionFromHandle(clip)->Rgn.Rects().size(), size_t(32 * 16));
  EXPECT_EQ(RegionFromHandle(clip)->Rgn.Bounds(), Rect(0, 0, 30, 30));
  DeleteObject(clip);
  const RECT all{0, 0, 32, 32};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  ExpectPx({{16, 0, kBlack}, {17, 0, kBlack}, {18, 0, kWhite}});
  ExpectPx({{0, 20, kBlack}, {0, 22, kWhite}, {31, 31, kWhite}});
  // The diagonal X + Y = s holds s + 1 pixels of the canvas.
  EXPECT_EQ(Count(kBlack), (17 + 18) + (21 + 22) + (25 + 26) + (29 + 30));
}

TEST_F(MetafileCostTest, AnOpenPathStopsAtItsPointCapAndKeepsWhatItHeld) {
  Use(GetStockObject(NULL_PEN));
  Use(CreateSolidBrush(kRed));
  ASSERT_TRUE(BeginPath(dc));
  ASSERT_TRUE(Rectangle(dc, 2, 2, 12, 12));
  // Two full turns of a huge circle about a far centre: 1025 points a call, filling nothing
  // (the winding is even everywhere) until the cap stops the path.
  MoveToEx(dc, -100010, 16, nullptr);
  int calls = 0;
  while (calls < 2000 && AngleArc(dc, -100010, 16, 100000, 0.0f, 720.0f)) ++calls;
  EXPECT_LT(calls, 2000);
  const size_t held = PathPoints(dc);
  EXPECT_LE(held, DeviceContext::kMaxPathPoints);
  EXPECT_GT(held + 1025, DeviceContext::kMaxPathPoints);
  // Stopped: a call that would still fit adds nothing either, nor moves the position.
  POINT at{};
  GetCurrentPositionEx(dc, &at);
  EXPECT_FALSE(LineTo(dc, 30, 30));
  EXPECT_FALSE(MoveToEx(dc, 20, 20, nullptr));
  EXPECT_FALSE(Rectangle(dc, 20, 20, 30, 30));
  EXPECT_EQ(PathPoints(dc), held);
  POINT still{};
  GetCurrentPositionEx(dc, &still);
  EXPECT_EQ(still.X, at.X);
  EXPECT_EQ(still.Y, at.Y);
  ASSERT_TRUE(EndPath(dc));
  ASSERT_TRUE(FillPath(dc));
  ExpectPx({{2, 2, kRed}, {11, 11, kRed}, {12, 12, kWhite}, {25, 25, kWhite}});
  EXPECT_EQ(Count(kRed), 10 * 10);
  // A new path starts with the whole cap again.
  ASSERT_TRUE(BeginPath(dc));
  EXPECT_TRUE(AngleArc(dc, -100010, 16, 100000, 0.0f, 720.0f));
  AbortPath(dc);
}

TEST_F(MetafileCostTest, AMetafilesPathStopsAtTheCapAndTheRestOfThePictureIsDrawn) {
  // A square, then 1100 angle arcs of 1025 points each (28 bytes a record): the path stops
  // after 1022 of them; filled, it shows the square, and the records after it draw.
  Emf e(32, 32);
  e.Rec(kEmrCreateBrush, {1, int(BS_SOLID), int32_t(kRed), 0}).Rec(kEmrSelectObject, {1});
  e.Rec(kEmrSelectObject, {kNullPen}).Rec(kEmrBeginPath, {});
  e.Rec(kEmrPolygon, {0, 0, 0, 0, 4, 2, 2, 12, 2, 12, 12, 2, 12});
  e.Rec(kEmrMoveTo, {-100010, 16});
  for (int i = 0; i < 1100; ++i) e.Rec(kEmrAngleArc, {-100010, 16, 100000, 0, FloatBits(720.0f)});
  e.Rec(kEmrLineTo, {30, 2}).Rec(kEmrEndPath, {}).Rec(kEmrFillPath, {});
  e.Rec(kEmrSelectObject, {Stock(BLACK_BRUSH)}).Rec(kEmrRectangle, {20, 20, 31, 31});
  const std::vector<uint8_t> f = e.Bytes();
  EXPECT_GT(f.size(), size_t(30000));
  std::string why;
  ASSERT_TRUE(PlayMetafile(dc, f.data(), f.size(), {0, 0, 32, 32}, why)) << why;
  ExpectPx({{2, 2, kRed}, {11, 11, kRed}, {12, 12, kWhite}});
  ExpectPx({{20, 3, kWhite}, {20, 20, kBlack}, {29, 29, kBlack}});
  EXPECT_EQ(Count(kRed), 10 * 10);
  EXPECT_EQ(Count(kBlack), 10 * 10);
}

TEST_F(MetafileCostTest, TextInAnOpenPathCountsTowardsTheCapGlyphByGlyph) {
  Use(CreateFontA(-2048, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Sans"));
  const std::string text(1000, 'S');
  ASSERT_TRUE(BeginPath(dc));
  int calls = 0;
  while (calls < 20 && ExtTextOutA(dc, 0, 0, 0, nullptr, text.data(), UINT(text.size()), nullptr))
    ++calls;
  EXPECT_LT(calls, 20);
  const size_t held = PathPoints(dc);
  EXPECT_LE(held, DeviceContext::kMaxPathPoints);
  // It stopped at a glyph that did not fit, not at the first text that did not.
  EXPECT_GT(held, DeviceContext::kMaxPathPoints - 2000);
  AbortPath(dc);
}

TEST_F(MetafileCostTest, BitmapsOfOnePlaybackDecodeToNoMoreThanTheirPixelBudget) {
  static_assert(kMaxMetafileDibPixels == 2 * 4096 * 4096,
                "the cases below take two bitmaps to use it up");
  Emf e(32, 8);
  // A pattern brush declaring a whole picture is refused before it is decoded: it takes
  // nothing from the budget.
  const std::vector<uint8_t> dib = RleDib();
  Put(e, kEmrCreateDibPatternBrush, {1, int(DIB_RGB_COLORS), 8 + 24, 44, 8 + 24 + 44, 8}, dib);
  StretchRleDib(e, 0);
  StretchRleDib(e, 8);
  StretchRleDib(e, 16);  // past the budget: not drawn
  e.Rec(kEmrCreateBrush, {2, int(BS_SOLID), int32_t(kRed), 0}).Rec(kEmrSelectObject, {2});
  e.Rec(kEmrSelectObject, {kNullPen}).Rec(kEmrRectangle, {24, 0, 33, 9});  // the rest is drawn
  const std::vector<uint8_t> f = e.Bytes();
  for (int play = 0; play < 2; ++play) {  // each playback has its own budget
    Canvas(32, 8);
    std::string why;
    ASSERT_TRUE(PlayMetafile(dc, f.data(), f.size(), {0, 0, 32, 8}, why)) << why;
    ExpectPx({{0, 0, kBlack}, {15, 7, kBlack}, {16, 0, kWhite}});
    ExpectPx({{23, 7, kWhite}, {24, 0, kRed}, {31, 7, kRed}});
    EXPECT_EQ(Count(kBlack), 2 * 8 * 8);
  }
}

TEST_F(MetafileCostTest, APathTheRecordsLeaveOpenNeverReachesTheCallersDc) {
  Emf e(32, 32);
  e.Rec(kEmrBeginPath, {}).Rec(kEmrRectangle, {2, 2, 10, 10});  // never ended
  const std::vector<uint8_t> f = e.Bytes();
  std::string why;
  ASSERT_TRUE(PlayMetafile(dc, f.data(), f.size(), {0, 0, 32, 32}, why)) << why;
  MoveToEx(dc, 0, 20, nullptr);
  ASSERT_TRUE(LineTo(dc, 10, 20));
  EXPECT_EQ(Px(5, 20), kBlack);
  EXPECT_EQ(Px(2, 5), kWhite);

  // A path the caller has open is set aside while the records draw, and comes back whole.
  Clear();
  Emf red(32, 32);
  red.Rec(kEmrCreateBrush, {1, int(BS_SOLID), int32_t(kRed), 0}).Rec(kEmrSelectObject, {1});
  red.Rec(kEmrSelectObject, {kNullPen}).Rec(kEmrRectangle, {20, 20, 31, 31});
  const std::vector<uint8_t> g = red.Bytes();
  ASSERT_TRUE(BeginPath(dc));
  MoveToEx(dc, 0, 4, nullptr);
  LineTo(dc, 10, 4);
  ASSERT_TRUE(PlayMetafile(dc, g.data(), g.size(), {0, 0, 32, 32}, why)) << why;
  EXPECT_EQ(Px(25, 25), kRed);  // drawn, not recorded
  EXPECT_EQ(Count(kBlack), 0);
  ASSERT_TRUE(EndPath(dc));
  ASSERT_TRUE(StrokePath(dc));
  EXPECT_EQ(Px(5, 4), kBlack);
  EXPECT_EQ(Count(kBlack), 10);
}

TEST_F(MetafileCostTest, NoClipModeOrOffsetTakesTheRecordsPastTheCallersClip) {
  const auto played = [&](const std::function<void(Emf&)>& clip) {
    Canvas(32, 8);
    IntersectClipRect(dc, 0, 0, 16, 8);
    Emf e(32, 8);
    clip(e);
    e.Rec(kEmrCreateBrush, {1, int(BS_SOLID), int32_t(kRed), 0}).Rec(kEmrSelectObject, {1});
    e.Rec(kEmrSelectObject, {kNullPen}).Rec(kEmrRectangle, {0, 0, 33, 9});
    const std::vector<uint8_t> f = e.Bytes();
    std::string why;
    EXPECT_TRUE(PlayMetafile(dc, f.data(), f.size(), {0, 0, 32, 8}, why)) << why;
  };
  for (int mode : {RGN_OR, RGN_XOR}) {
    played([&](Emf& e) { Put(e, kEmrExtSelectClipRgn, WithRgnData({48, mode}, {{8, 0, 32, 8}})); });
    // Or: the caller's clip and more, cut back to it; xor: the caller's clip less the region.
    EXPECT_EQ(Px(4, 4), kRed);
    EXPECT_EQ(Px(10, 4), mode == RGN_OR ? kRed : kWhite);
    EXPECT_EQ(Px(20, 4), kWhite) << "mode " << mode;
  }
  // Moved by 8: the clip covers columns 8 to 23, and only 8 to 15 of them are the caller's.
  played([](Emf& e) { e.Rec(kEmrOffsetClipRgn, {8, 0}); });
  ExpectPx({{4, 4, kWhite}, {10, 4, kRed}, {15, 4, kRed}, {20, 4, kWhite}});
}

TEST_F(MetafileCostTest, OldFormatRegionScansAreBandsFromTheTopDown) {
  // Three scans of one pair each: the scan count is read from its own word, not from the
  // longest scan's; the third scan starts inside the second, whose rows it does not take.
  std::vector<int> words{0, 6, 0, 0, 0, 3, 2, 0, 0, 20, 20};
  for (auto [top, bottom, left, right] : {std::array{0, 4, 0, 8}, {4, 8, 4, 12}, {6, 12, 10, 20}})
    words.insert(words.end(), {2, top, bottom, left, right, 2});
  std::vector<uint8_t> region;
  for (int w : words) Wmf::Put16(region, uint16_t(w));
  Wmf w(20, 20);
  w.Raw(kWmfCreateRegion, region);                                 // slot 0
  w.Rec(kWmfCreateBrush, {int(BS_SOLID), Lo(kRed), Hi(kRed), 0});  // slot 1
  w.Rec(kWmfFillRegion, {0, 1});
  Canvas(20, 20);
  const std::vector<uint8_t> f = w.Bytes();
  std::string why;
  ASSERT_TRUE(PlayMetafile(dc, f.data(), f.size(), {0, 0, 20, 20}, why)) << why;
  ExpectPx({{0, 0, kRed}, {7, 3, kRed}, {4, 4, kRed}});
  ExpectPx({{11, 7, kRed}, {10, 8, kRed}, {19, 11, kRed}});
  ExpectPx({{19, 6, kWhite}, {13, 7, kWhite}, {8, 0, kWhite}, {3, 5, kWhite}});
  EXPECT_EQ(Count(kRed), 8 * 4 + 8 * 4 + 10 * 4);
}
