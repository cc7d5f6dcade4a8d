// The region, palette and rarer drawing records of both metafile kinds.
#include "GdiTestCanvas.h"
#include "MetafileBuilders.h"

#include "platform/gdi/Text.h"

using namespace metafile_test;

namespace {

constexpr uint16_t kWmfSelectObject = 0x012D, kWmfCreateBrush = 0x02FC, kWmfRectangle = 0x041B,
                   kWmfCreateRegion = 0x06FF, kWmfFillRegion = 0x0228, kWmfFrameRegion = 0x0429,
                   kWmfInvertRegion = 0x012A, kWmfPaintRegion = 0x012B, kWmfSelectClipRegion = 0x012C,
                   kWmfCreatePalette = 0x00F7, kWmfSelectPalette = 0x0234, kWmfRealizePalette = 0x0035,
                   kWmfSetPalEntries = 0x0037, kWmfResizePalette = 0x0139, kWmfCreatePen = 0x02FA;

constexpr uint32_t kEmrMoveTo = 27, kEmrSelectObject = 37, kEmrCreateBrush = 39, kEmrRectangle = 43,
                   kEmrAngleArc = 41, kEmrSelectPalette = 48, kEmrCreatePalette = 49, kEmrSetPaletteEntries = 50,
                   kEmrResizePalette = 51, kEmrRealizePalette = 52, kEmrArcTo = 55, kEmrPolyDraw = 56,
                   kEmrComment = 70, kEmrFillRgn = 71, kEmrFrameRgn = 72, kEmrInvertRgn = 73, kEmrPaintRgn = 74,
                   kEmrMaskBlt = 78, kEmrPlgBlt = 79, kEmrStretchDiBits = 81, kEmrPolyDraw16 = 92,
                   kEmrPolyTextOutA = 96;
constexpr int32_t kStock = int32_t(0x80000000u);

// Black and white are the canvas fixture's.
constexpr COLORREF kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255), kTeal = RGB(0, 128, 128),
                   kPlum = RGB(142, 69, 133), kGold = RGB(255, 215, 0);

// An old-format region object of one scan from `top` to `bottom` over the [left, right) pairs.
std::vector<int> RegionWords(int top, int bottom, std::initializer_list<std::pair<int, int>> pairs) {
  std::vector<int> w{0, 6, 0, 0, 0, 1, int(pairs.size()) * 2};
  int l = 32767, r = -32768;
  for (auto [a, b] : pairs) l = std::min(l, a), r = std::max(r, b);
  for (int v : {l, top, r, bottom, int(pairs.size()) * 2, top, bottom}) w.push_back(v);
  for (auto [a, b] : pairs) w.push_back(a), w.push_back(b);
  w.push_back(int(pairs.size()) * 2);
  return w;
}

Wmf& Words(Wmf& m, uint16_t fn, const std::vector<int>& words) {
  std::vector<uint8_t> p;
  for (int v : words) Wmf::Put16(p, uint16_t(v));
  return m.Raw(fn, p);
}

// A new-format region's data: its 32-byte header, then the rectangles.
std::vector<int32_t> RgnData(std::initializer_list<RECT> rects) {
  std::vector<int32_t> d{32, 1, int32_t(rects.size()), int32_t(rects.size() * 16), 0, 0, 0, 0};
  for (const RECT& r : rects) d.insert(d.end(), {r.Left, r.Top, r.Right, r.Bottom});
  return d;
}

Emf& Values(Emf& e, uint32_t type, const std::vector<int32_t>& values, const std::vector<uint8_t>& tail = {}) {
  std::vector<uint8_t> p;
  for (int32_t v : values) Wmf::Put32(p, uint32_t(v));
  p.insert(p.end(), tail.begin(), tail.end());
  return e.Raw(type, p);
}

std::vector<int32_t> Concat(std::vector<int32_t> a, const std::vector<int32_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// A palette entry as the records hold it: red, green, blue, flags.
int32_t Entry(COLORREF c) { return int32_t(c & 0xFFFFFF); }

// A top-down 32-bit DIB of w x 1 of one colour: its header and bits.
std::vector<uint8_t> DibHeader(int w, int h, int bits, int used = 0) {
  std::vector<uint8_t> d;
  for (int32_t v : {40, w, -h}) Wmf::Put32(d, uint32_t(v));
  Wmf::Put16(d, 1);
  Wmf::Put16(d, uint16_t(bits));
  for (int32_t v : {0, 0, 0, 0, used, 0}) Wmf::Put32(d, uint32_t(v));
  return d;
}

struct Pixels {
  std::vector<Pixel> px;
  int w;
  COLORREF At(int x, int y) const { return ColorFromPixel(px[size_t(y * w + x)]); }
  int Count(COLORREF c) const {
    int n = 0;
    for (Pixel p : px) n += ColorFromPixel(p) == c;
    return n;
  }
};

Pixels Play(int w, int h, const std::vector<uint8_t>& f, RECT target = {-1, -1, -1, -1}) {
  return {Played(w, h, f, target), w};
}

}  // namespace

using MetafileRecordsTest = GdiCanvasTest;

TEST_F(MetafileRecordsTest, OldFormatRegionsFillFramePaintInvertAndClipThroughTheMapping) {
  Wmf w(20, 20);
  w.Rec(kWmfCreateBrush, {int(BS_SOLID), Lo(kRed), Hi(kRed), 0});               // slot 0
  Words(w, kWmfCreateRegion, RegionWords(2, 6, {{2, 8}, {12, 16}}));            // slot 1
  w.Rec(kWmfCreateBrush, {int(BS_SOLID), Lo(kBlue), Hi(kBlue), 0});             // slot 2
  Words(w, kWmfCreateRegion, RegionWords(8, 12, {{2, 6}}));                     // slot 3
  Words(w, kWmfCreateRegion, RegionWords(14, 16, {{2, 4}}));                    // slot 4
  w.Rec(kWmfFillRegion, {1, 0})
      .Rec(kWmfFrameRegion, {1, 2, 1, 1})
      .Rec(kWmfSelectObject, {2})
      .Rec(kWmfPaintRegion, {3})
      .Rec(kWmfInvertRegion, {4})
      .Rec(kWmfSelectObject, {0})
      .Rec(kWmfSelectClipRegion, {3})
      .Rec(kWmfRectangle, {20, 20, 0, 0});
  // Twice the size: every region and the frame's width double.
  const Pixels p = Play(40, 40, w.Bytes());
  EXPECT_EQ(p.At(4, 4), kBlue);     // the frame, two pixels wide
  EXPECT_EQ(p.At(5, 5), kBlue);
  EXPECT_EQ(p.At(6, 6), kRed);      // the fill inside it
  EXPECT_EQ(p.At(15, 11), kBlue);
  EXPECT_EQ(p.At(13, 9), kRed);
  EXPECT_EQ(p.At(16, 6), kWhite);   // between the two rectangles
  EXPECT_EQ(p.At(24, 4), kBlue);
  EXPECT_EQ(p.At(27, 7), kRed);
  EXPECT_EQ(p.At(32, 4), kWhite);
  EXPECT_EQ(p.At(4, 28), kBlack);   // inverted white
  EXPECT_EQ(p.At(7, 31), kBlack);
  EXPECT_EQ(p.At(8, 28), kWhite);
  // The painted region, then the rectangle drawn in red only inside the clip region.
  EXPECT_EQ(p.At(4, 16), kRed);
  EXPECT_EQ(p.At(11, 23), kRed);
  EXPECT_EQ(p.At(12, 16), kWhite);
  EXPECT_EQ(p.At(20, 30), kWhite);
  // Inside the frames: 8 x 4 and 4 x 4; inside the clip: 8 x 8.
  EXPECT_EQ(p.Count(kRed), 8 * 4 + 4 * 4 + 8 * 8);
}

TEST_F(MetafileRecordsTest, OldFormatRegionObjectsSurviveBadScansAndAClipRegionStaysInTheCallersClip) {
  Wmf w(20, 20);
  w.Rec(kWmfCreateBrush, {int(BS_SOLID), Lo(kRed), Hi(kRed), 0});   // slot 0
  // Two scans claimed, the second cut short: the first stays; an odd count ends the scans.
  std::vector<int> cut = RegionWords(0, 4, {{0, 4}});
  cut[5] = 2;
  cut.push_back(6);
  cut.push_back(4);
  Words(w, kWmfCreateRegion, cut);                                 // slot 1
  std::vector<int> odd = RegionWords(10, 12, {{0, 4}});
  odd[11] = 3;
  Words(w, kWmfCreateRegion, odd);                                  // slot 2
  Words(w, kWmfCreateRegion, RegionWords(0, 20, {{0, 20}}));        // slot 3
  w.Rec(kWmfFillRegion, {1, 0}).Rec(kWmfFillRegion, {2, 0}).Rec(kWmfFillRegion, {9, 0});
  w.Rec(kWmfSelectClipRegion, {3}).Rec(kWmfSelectObject, {0}).Rec(kWmfRectangle, {20, 20, 10, 10});
  Canvas(20, 20);
  IntersectClipRect(dc, 0, 0, 15, 15);
  const std::vector<uint8_t> f = w.Bytes();
  std::string why;
  ASSERT_TRUE(PlayMetafile(dc, f.data(), f.size(), {0, 0, 20, 20}, why)) << why;
  ExpectPx({{0, 0, kRed}, {3, 3, kRed}, {4, 4, kWhite}, {1, 11, kWhite}});
  // The clip region covers all, the caller's clip still stops the rectangle at 15.
  ExpectPx({{12, 12, kRed}, {14, 14, kRed}, {15, 15, kWhite}, {17, 12, kWhite}});
  EXPECT_EQ(Count(kRed), 16 + 4 * 4);   // the rectangle inside its black outline
}

TEST_F(MetafileRecordsTest, EnhancedRegionRecordsMapTheirRectanglesAndScaleTheFrame) {
  Emf e(20, 20);
  e.Rec(kEmrCreateBrush, {1, int(BS_SOLID), int32_t(kRed), 0})
      .Rec(kEmrCreateBrush, {2, int(BS_SOLID), int32_t(kBlue), 0});
  const std::vector<int32_t> two = RgnData({{2, 2, 8, 6}, {12, 2, 16, 6}});
  Values(e, kEmrFillRgn, Concat({0, 0, 0, 0, 64, 1}, two));
  Values(e, kEmrFrameRgn, Concat({0, 0, 0, 0, 64, kStock | 4, 1, 1}, two));   // the stock black brush
  Values(e, kEmrInvertRgn, Concat({0, 0, 0, 0, 48}, RgnData({{2, 14, 6, 16}})));
  e.Rec(kEmrSelectObject, {2});
  Values(e, kEmrPaintRgn, Concat({0, 0, 0, 0, 48}, RgnData({{2, 8, 6, 12}})));
  const Pixels p = Play(40, 40, e.Bytes());
  EXPECT_EQ(p.At(4, 4), kBlack);
  EXPECT_EQ(p.At(5, 5), kBlack);
  EXPECT_EQ(p.At(6, 6), kRed);
  EXPECT_EQ(p.At(15, 11), kBlack);
  EXPECT_EQ(p.At(13, 9), kRed);
  EXPECT_EQ(p.At(16, 6), kWhite);
  EXPECT_EQ(p.At(27, 7), kRed);
  EXPECT_EQ(p.At(4, 28), kBlack);
  EXPECT_EQ(p.At(11, 31), kBlack);
  EXPECT_EQ(p.At(12, 28), kWhite);
  EXPECT_EQ(p.At(4, 16), kBlue);
  EXPECT_EQ(p.At(11, 23), kBlue);
  EXPECT_EQ(p.At(12, 23), kWhite);
  EXPECT_EQ(p.Count(kBlue), 8 * 8);
  EXPECT_EQ(p.Count(kRed), (12 - 4) * (8 - 4) + (8 - 4) * (8 - 4));
}

TEST_F(MetafileRecordsTest, EnhancedPalettesResolveIndexColoursAndPaletteDibsAndLeaveTheCallersPalette) {
  Emf e(20, 20);
  Values(e, kEmrCreatePalette, {1, 0x300 | 2 << 16, Entry(kTeal), Entry(kPlum)});
  e.Rec(kEmrSelectPalette, {1})
      .Rec(kEmrRealizePalette, {})
      .Rec(kEmrCreateBrush, {2, int(BS_SOLID), int32_t(PALETTEINDEX(1)), 0})
      .Rec(kEmrCreateBrush, {3, int(BS_SOLID), int32_t(PALETTEINDEX(3)), 0})
      .Rec(kEmrSelectObject, {kStock | 8})   // the null pen
      .Rec(kEmrSelectObject, {2})
      .Rec(kEmrRectangle, {0, 0, 11, 11});
  Values(e, kEmrSetPaletteEntries, {1, 1, 1, Entry(kGold)});
  e.Rec(kEmrRectangle, {10, 0, 21, 11});
  Values(e, kEmrResizePalette, {1, 4});
  e.Rec(kEmrSelectObject, {3}).Rec(kEmrRectangle, {0, 10, 11, 21});
  // A 2 x 1 one-bit DIB whose colour table names palette entries 2 (black since the resize)
  // and 0, stretched over the plum square.
  std::vector<uint8_t> dib = DibHeader(2, 1, 1, 2);
  for (uint16_t i : {2, 0}) Wmf::Put16(dib, i);
  std::vector<uint8_t> rec;
  for (int32_t v : {0, 0, 0, 0, 2, 4, 0, 0, 2, 1, 8 + 72, 44, 8 + 72 + 44, 4, int(DIB_PAL_COLORS),
                    int32_t(SRCCOPY), 4, 2})
    Wmf::Put32(rec, uint32_t(v));
  rec.insert(rec.end(), dib.begin(), dib.end());
  for (uint8_t b : {0x40, 0, 0, 0}) rec.push_back(b);   // pixel 0 takes the first entry, pixel 1 the second
  e.Raw(kEmrStretchDiBits, rec);
  Values(e, kEmrSelectPalette, {kStock | DEFAULT_PALETTE});
  e.Rec(kEmrRectangle, {10, 10, 21, 21});   // index 3 of the default palette
  Canvas(20, 20);
  const std::vector<uint8_t> f = e.Bytes();
  std::string why;
  ASSERT_TRUE(PlayMetafile(dc, f.data(), f.size(), {0, 0, 20, 20}, why)) << why;
  ExpectPx({{0, 0, kPlum}, {9, 9, kPlum}, {10, 0, kGold}, {19, 9, kGold}, {0, 10, kBlack}, {9, 19, kBlack}});
  ExpectPx({{2, 4, kBlack}, {3, 5, kBlack}, {4, 4, kTeal}, {5, 5, kTeal}, {6, 4, kPlum}});
  ExpectPx({{10, 10, RGB(128, 128, 0)}, {19, 19, RGB(128, 128, 0)}});
  EXPECT_EQ(GetCurrentObject(dc, OBJ_PAL), GetStockObject(DEFAULT_PALETTE));
}

TEST_F(MetafileRecordsTest, APaletteIsResizedToNoMoreThanTheCap) {
  Emf e(20, 10);
  Values(e, kEmrCreatePalette, {1, 0x300 | 2 << 16, Entry(kTeal), Entry(kPlum)});
  e.Rec(kEmrSelectPalette, {1})
      .Rec(kEmrCreateBrush, {2, int(BS_SOLID), int32_t(PALETTEINDEX(1000)), 0})
      .Rec(kEmrSelectObject, {kStock | 8})
      .Rec(kEmrSelectObject, {2});
  Values(e, kEmrResizePalette, {1, int32_t(kMaxMetafilePaletteEntries + 1)});
  e.Rec(kEmrRectangle, {0, 0, 11, 11});   // still two entries: 1000 is past the end
  Values(e, kEmrResizePalette, {1, int32_t(kMaxMetafilePaletteEntries)});
  e.Rec(kEmrRectangle, {10, 0, 21, 11});   // entry 1000 is a new, black one
  const Pixels p = Play(20, 10, e.Bytes());
  EXPECT_EQ(p.At(0, 0), kTeal);
  EXPECT_EQ(p.At(9, 9), kTeal);
  EXPECT_EQ(p.At(10, 0), kBlack);
  EXPECT_EQ(p.At(19, 9), kBlack);
}

TEST_F(MetafileRecordsTest, OldFormatPalettesChangeOnlyThePalettesTheMetafileMade) {
  const auto words = [](COLORREF c) { return std::pair{int(c & 0xFFFF), int(c >> 16 & 0xFF)}; };
  Wmf w(20, 20);
  std::vector<int> pal{0x300, 2, words(kTeal).first, words(kTeal).second, words(kPlum).first, words(kPlum).second};
  Words(w, kWmfCreatePalette, pal);                                                            // slot 0
  w.Rec(kWmfSelectPalette, {0}).Rec(kWmfRealizePalette, {});
  w.Rec(kWmfCreatePen, {int(PS_NULL), 0, 0, 0, 0});                                            // slot 1
  w.Rec(kWmfCreateBrush, {int(BS_SOLID), 1, 0x0100, 0});   // PALETTEINDEX(1)                   slot 2
  w.Rec(kWmfSelectObject, {1}).Rec(kWmfSelectObject, {2}).Rec(kWmfRectangle, {11, 11, 0, 0});
  w.Rec(kWmfSetPalEntries, {1, 1, words(kGold).first, words(kGold).second}).Rec(kWmfRectangle, {11, 21, 0, 10});
  w.Rec(kWmfResizePalette, {1}).Rec(kWmfRectangle, {21, 11, 10, 0});   // index 1 is past the end now
  const Pixels p = Play(20, 20, w.Bytes());
  EXPECT_EQ(p.At(0, 0), kPlum);
  EXPECT_EQ(p.At(10, 9), kGold);
  EXPECT_EQ(p.At(19, 0), kGold);
  EXPECT_EQ(p.At(9, 19), kTeal);

  // With the caller's palette selected, the records draw through it and leave it alone.
  std::vector<uint8_t> lpBytes(sizeof(LOGPALETTE) + sizeof(PALETTEENTRY));
  auto* lp = reinterpret_cast<LOGPALETTE*>(lpBytes.data());
  *lp = {0x300, 2, {{0, 0, 255, 0}}};
  lp->palPalEntry[1] = {255, 0, 0, 0};
  HPALETTE callers = CreatePalette(lp);
  Wmf c(20, 20);
  c.Rec(kWmfSetPalEntries, {1, 1, words(kGold).first, words(kGold).second})
      .Rec(kWmfResizePalette, {1})
      .Rec(kWmfCreateBrush, {int(BS_SOLID), 1, 0x0100, 0})
      .Rec(kWmfSelectObject, {0})
      .Rec(kWmfRectangle, {10, 10, 0, 0});
  Canvas(20, 20);
  SelectPalette(dc, callers, FALSE);
  const std::vector<uint8_t> f = c.Bytes();
  std::string why;
  ASSERT_TRUE(PlayMetafile(dc, f.data(), f.size(), {0, 0, 20, 20}, why)) << why;
  EXPECT_EQ(Px(5, 5), kRed);
  PALETTEENTRY e[2]{};
  EXPECT_EQ(GetPaletteEntries(callers, 0, 2, e), 2u);
  EXPECT_EQ(e[1].peRed, 255);
  EXPECT_EQ(e[1].peGreen, 0);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_PAL), callers);
  SelectPalette(dc, static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), FALSE);
  DeleteObject(callers);
}

TEST_F(MetafileRecordsTest, EnhancedArcToAngleArcAndPolyDrawDrawAsTheDirectCalls) {
  Emf e(32, 32);
  e.Rec(kEmrMoveTo, {2, 2}).Rec(kEmrArcTo, {10, 10, 30, 30, 40, 20, 20, 0});
  e.Rec(kEmrMoveTo, {0, 16}).Rec(kEmrAngleArc, {16, 16, 10, FloatBits(180.0f), FloatBits(-90.0f)});
  // Sixteen-bit points: a triangle closed back to its move, then a Bezier.
  std::vector<int32_t> pd{0, 0, 0, 0, 5};
  for (auto [x, y] : {std::pair{4, 24}, {12, 24}, {12, 30}, {20, 30}, {26, 22}}) pd.push_back(x | y << 16);
  Values(e, kEmrPolyDraw16, pd,
         {PT_MOVETO, PT_LINETO, PT_LINETO | PT_CLOSEFIGURE, PT_BEZIERTO, PT_BEZIERTO});   // a bad Bezier
  std::vector<int32_t> good{0, 0, 0, 0, 3, 4, 24, 12, 24, 12, 30};
  Values(e, kEmrPolyDraw, good, {PT_MOVETO, PT_LINETO, PT_LINETO | PT_CLOSEFIGURE});
  const Pixels played = Play(32, 32, e.Bytes());
  const auto direct = Drawn(32, 32, [](HDC dc) {
    MoveToEx(dc, 2, 2, nullptr);
    ArcTo(dc, 10, 10, 30, 30, 40, 20, 20, 0);
    MoveToEx(dc, 0, 16, nullptr);
    AngleArc(dc, 16, 16, 10, 180.0f, -90.0f);
    const POINT pts[] = {{4, 24}, {12, 24}, {12, 30}};
    const BYTE types[] = {PT_MOVETO, PT_LINETO, PT_LINETO | PT_CLOSEFIGURE};
    PolyDraw(dc, pts, types, 3);
  });
  EXPECT_EQ(played.px, direct);
  // By hand: the arc to the top, the angle arc from the left end up to the top, the triangle.
  EXPECT_EQ(played.At(25, 11), kBlack);
  EXPECT_EQ(played.At(9, 9), kBlack);
  EXPECT_EQ(played.At(9, 23), kWhite);
  EXPECT_EQ(played.At(8, 27), kBlack);
  EXPECT_EQ(played.At(22, 24), kWhite);   // the bad Bezier drew nothing
}

TEST_F(MetafileRecordsTest, EnhancedArcsFollowAMirroringMapping) {
  // y up: the radials at 0 and 270 degrees of the logical space (y down there, as arcs count)
  // give the three quarters from the right over the bottom and the left to the top on the
  // device, as the arc record draws them; unflipped they would be the upper right alone.
  constexpr uint32_t kEmrSetMapMode = 17, kEmrSetWindowExt = 9, kEmrSetViewportExt = 11;
  Emf e(32, 32);
  e.Rec(kEmrSetMapMode, {MM_ANISOTROPIC}).Rec(kEmrSetWindowExt, {32, -32}).Rec(kEmrSetViewportExt, {32, 32});
  e.Rec(kEmrMoveTo, {30, -20}).Rec(kEmrArcTo, {10, -10, 30, -30, 40, -20, 20, 0});
  const Pixels p = Play(32, 32, e.Bytes());
  EXPECT_EQ(p.At(25, 28), kBlack);   // 60 degrees below the centre on the device
  EXPECT_EQ(p.At(10, 20), kBlack);
  EXPECT_EQ(p.At(25, 11), kWhite);
  constexpr uint32_t kEmrArc = 45;
  Emf a(32, 32);
  a.Rec(kEmrSetMapMode, {MM_ANISOTROPIC}).Rec(kEmrSetWindowExt, {32, -32}).Rec(kEmrSetViewportExt, {32, 32});
  a.Rec(kEmrArc, {10, -10, 30, -30, 40, -20, 20, 0});
  const Pixels arc = Play(32, 32, a.Bytes());
  EXPECT_EQ(arc.At(25, 28), kBlack);
  EXPECT_EQ(arc.At(10, 20), kBlack);
  EXPECT_EQ(arc.At(25, 11), kWhite);
}

TEST_F(MetafileRecordsTest, EnhancedArcsChordsAndArcTosWhoseRadialsPointOneWayDrawTheWholeEllipse) {
  // The box (5, 6)-(27, 18), centre (16, 12); the start radial through (25, 11), the end one
  // through the same point or through (43, 9), three times as far the same way.
  constexpr uint32_t kEmrArc = 45, kEmrChord = 46;
  for (uint32_t type : {kEmrArc, kEmrChord, kEmrArcTo})
    for (const POINT end : {POINT{25, 11}, POINT{43, 9}}) {
      Emf e(32, 24);
      e.Rec(kEmrCreateBrush, {1, int(BS_SOLID), int32_t(kRed), 0}).Rec(kEmrSelectObject, {1});
      e.Rec(kEmrMoveTo, {27, 11}).Rec(type, {5, 6, 27, 18, 25, 11, end.X, end.Y});
      const Pixels p = Play(32, 24, e.Bytes());
      for (auto [x, y] : {std::pair{5, 12}, {16, 6}, {16, 18}, {24, 16}, {27, 12}})
        EXPECT_EQ(p.At(x, y), kBlack)
            << "record " << type << " end " << end.X << " at " << x << "," << y;
      // A chord of the whole ellipse is the filled ellipse.
      EXPECT_EQ(p.At(16, 12), type == kEmrChord ? kRed : kWhite)
          << "record " << type << " end " << end.X;
      EXPECT_EQ(p.At(4, 12), kWhite);
    }
}

TEST_F(MetafileRecordsTest, ModifyWorldTransformMultipliesOnTheSideItsModeNames) {
  // A translation by (10, 0), then a scale by 2. Multiplied on the left the scale applies
  // first, taking (1, 1) to (2, 2) and on to (12, 2); on the right it applies last: (22, 2).
  constexpr uint32_t kEmrSetPixelV = 15, kEmrModifyWorldTransform = 36;
  constexpr int kIdentity = 1, kLeft = 2, kRight = 3;
  const int32_t one = FloatBits(1), two = FloatBits(2), ten = FloatBits(10);
  for (auto [mode, x] : {std::pair{kLeft, 12}, {kRight, 22}}) {
    Emf e(32, 8);
    e.Rec(kEmrModifyWorldTransform, {one, 0, 0, one, ten, 0, kLeft});  // from the identity
    e.Rec(kEmrModifyWorldTransform, {two, 0, 0, two, 0, 0, mode});
    e.Rec(kEmrSetPixelV, {1, 1, int32_t(kRed)});
    e.Rec(kEmrModifyWorldTransform, {two, 0, 0, two, ten, ten, kIdentity});  // its values unused
    e.Rec(kEmrSetPixelV, {3, 5, int32_t(kBlue)});
    const Pixels p = Play(32, 8, e.Bytes());
    EXPECT_EQ(p.At(x, 2), kRed) << "mode " << mode;
    EXPECT_EQ(p.Count(kRed), 1) << "mode " << mode;
    EXPECT_EQ(p.At(3, 5), kBlue) << "mode " << mode;
    EXPECT_EQ(p.Count(kBlue), 1) << "mode " << mode;
  }
}

TEST_F(MetafileRecordsTest, PolylineToAndPolyBezierToRecordsDrawOnFromTheCurrentPosition) {
  // Each record starts where the position is and leaves it at its last point, from which a
  // line record goes on; 32-bit and 16-bit points alike.
  constexpr uint32_t kEmrPolyBezierTo = 5, kEmrPolylineTo = 6, kEmrLineTo = 54,
                     kEmrPolyBezierTo16 = 88, kEmrPolylineTo16 = 89;
  const auto small = [](int x, int y) {
    return int32_t(uint32_t(uint16_t(x)) | uint32_t(uint16_t(y)) << 16);
  };
  Emf e(32, 48);
  e.Rec(kEmrMoveTo, {2, 2})
      .Rec(kEmrPolylineTo, {0, 0, 0, 0, 2, 10, 2, 10, 8})
      .Rec(kEmrLineTo, {20, 8});
  e.Rec(kEmrMoveTo, {2, 12}).Rec(kEmrPolylineTo16, {0, 0, 0, 0, 2, small(10, 12), small(10, 18)});
  e.Rec(kEmrLineTo, {20, 18});
  // From (2, 30) over (2, 22) and (18, 22) to (18, 30): halfway, at (10, 24).
  e.Rec(kEmrMoveTo, {2, 30}).Rec(kEmrPolyBezierTo, {0, 0, 0, 0, 3, 2, 22, 18, 22, 18, 30});
  e.Rec(kEmrLineTo, {30, 30});
  e.Rec(kEmrMoveTo, {2, 44})
      .Rec(kEmrPolyBezierTo16, {0, 0, 0, 0, 3, small(2, 36), small(18, 36), small(18, 44)});
  e.Rec(kEmrLineTo, {30, 44});
  const Pixels p = Play(32, 48, e.Bytes());
  for (int top : {2, 12}) {
    for (auto [x, y] : {std::pair{2, 0}, {9, 0}, {10, 0}, {10, 5}, {10, 6}, {15, 6}, {19, 6}})
      EXPECT_EQ(p.At(x, top + y), kBlack) << "polyline at " << top << ": " << x << "," << top + y;
    EXPECT_EQ(p.At(20, top + 6), kWhite);
    EXPECT_EQ(p.At(2, top + 6), kWhite);
  }
  for (int base : {30, 44}) {
    for (auto [x, y] : {std::pair{2, 0}, {10, -6}, {18, 0}, {25, 0}, {29, 0}})
      EXPECT_EQ(p.At(x, base + y), kBlack) << "curve at " << base << ": " << x << "," << base + y;
    EXPECT_EQ(p.At(10, base - 7), kWhite);
    EXPECT_EQ(p.At(10, base), kWhite);
  }
}

TEST_F(MetafileRecordsTest, EnhancedPolyTextDrawsEachStringAsExtTextOut) {
  // Two strings, each a 40-byte text block after the 32-byte head; their characters follow.
  std::vector<int32_t> v{0, 0, 0, 0, 1, 0, 0, 2};
  const int32_t strings = 8 + 32 + 80;
  v.insert(v.end(), {2, 2, 2, strings, 0, 0, 0, 0, 0, 0});
  v.insert(v.end(), {30, 4, 2, strings + 4, 0, 0, 0, 0, 0, 0});
  Emf e(60, 20);
  Values(e, kEmrPolyTextOutA, v, {'A', 'b', 0, 0, 'c', 'd', 0, 0});
  const auto played = Played(60, 20, e.Bytes());
  const auto direct = Drawn(60, 20, [](HDC dc) {
    ExtTextOutA(dc, 2, 2, 0, nullptr, "Ab", 2, nullptr);
    ExtTextOutA(dc, 30, 4, 0, nullptr, "cd", 2, nullptr);
  });
  EXPECT_EQ(played, direct);
  int inked = 0;
  for (Pixel p : played) inked += p != 0xFFFFFF;
  EXPECT_GT(inked, 20);
}

TEST_F(MetafileRecordsTest, EnhancedMaskBltAndPlgBltDrawTheirSourceThroughTheMask) {
  // Source: a 4 x 1 red DIB; mask: a 4 x 1 one-bit DIB, its first two pixels set.
  std::vector<uint8_t> src = DibHeader(4, 1, 32), bits, mask = DibHeader(4, 1, 1, 2), maskBits{0xC0, 0, 0, 0};
  for (int i = 0; i < 4; ++i) Wmf::Put32(bits, 0x00FF0000);
  Wmf::Put32(mask, 0);
  Wmf::Put32(mask, 0x00FFFFFF);
  const auto data = [&](uint32_t at) {
    return std::vector<int32_t>{int32_t(at), 40, int32_t(at + 40), 16};
  };
  std::vector<int32_t> mb{0, 0, 0, 0, 0, 0, 4, 1, int32_t(MAKEROP4(SRCCOPY, 0x00AA0029)), 0, 0};
  for (int i = 0; i < 6; ++i) mb.push_back(0);   // the source transform
  mb.insert(mb.end(), {0, int(DIB_RGB_COLORS)});
  for (int32_t x : data(128)) mb.push_back(x);
  mb.insert(mb.end(), {0, 0, int(DIB_RGB_COLORS), 128 + 56, 48, 128 + 56 + 48, 4});
  std::vector<uint8_t> tail = src;
  tail.insert(tail.end(), bits.begin(), bits.end());
  tail.insert(tail.end(), mask.begin(), mask.end());
  tail.insert(tail.end(), maskBits.begin(), maskBits.end());
  Emf e(8, 4);
  Values(e, kEmrMaskBlt, mb, tail);
  // The same source turned a quarter onto (6, 0) (6, 4) (2, 0) at twice the size: its x runs down.
  std::vector<int32_t> pb{0, 0, 0, 0, 6, 0, 6, 4, 5, 0, 0, 0, 4, 1};
  for (int i = 0; i < 6; ++i) pb.push_back(0);
  pb.insert(pb.end(), {0, int(DIB_RGB_COLORS)});
  for (int32_t x : data(140)) pb.push_back(x);
  pb.insert(pb.end(), {0, 0, int(DIB_RGB_COLORS), 140 + 56, 48, 140 + 56 + 48, 4});
  Values(e, kEmrPlgBlt, pb, tail);
  const Pixels p = Play(16, 8, e.Bytes());
  // Twice the size: the masked copy covers device (0..3, 0..1) in red, (4..7) untouched.
  EXPECT_EQ(p.At(0, 0), kRed);
  EXPECT_EQ(p.At(3, 1), kRed);
  EXPECT_EQ(p.At(4, 0), kWhite);
  EXPECT_EQ(p.At(7, 1), kWhite);
  // The parallelogram: x 10..11, y 0..7 on the device, red where the mask's first two
  // source pixels land (y 0..3), the rest kept.
  EXPECT_EQ(p.At(10, 0), kRed);
  EXPECT_EQ(p.At(11, 3), kRed);
  EXPECT_EQ(p.At(10, 4), kWhite);
  EXPECT_EQ(p.At(12, 0), kWhite);
  EXPECT_EQ(p.Count(kRed), 8 + 8);
}

TEST_F(MetafileRecordsTest, EmfPlusCommentsAreSkippedAndTheirFallbackRecordsDrawn) {
  // A dual metafile: an EMF+ comment (header and a fill of everything in blue), then the
  // plain records the comments stand beside.
  const int32_t emfPlus = 0x2B464D45;
  std::vector<int32_t> comment{4 + 28 + 28, emfPlus};
  comment.insert(comment.end(), {0x4001 | 1 << 16, 28, 16, int32_t(0xDBC01002u), 1, 96, 96});
  comment.insert(comment.end(), {0x400A | 0x8000 << 16, 28, 16, int32_t(kBlue), 1, 0, 0});
  Emf e(10, 10);
  Values(e, kEmrComment, comment);
  e.Rec(kEmrCreateBrush, {1, int(BS_SOLID), int32_t(kRed), 0}).Rec(kEmrSelectObject, {1});
  e.Rec(kEmrRectangle, {2, 2, 8, 8});
  const Pixels p = Play(10, 10, e.Bytes());
  EXPECT_EQ(p.At(4, 4), kRed);
  EXPECT_EQ(p.Count(kBlue), 0);
  EXPECT_EQ(p.At(0, 0), kWhite);
}

TEST_F(MetafileRecordsTest, BadCountsAndOffsetsInTheNewRecordsDrawNothingAndNeverReadOutside) {
  Emf e(16, 16);
  e.Rec(kEmrCreateBrush, {1, int(BS_SOLID), int32_t(kRed), 0}).Rec(kEmrSelectObject, {1});
  // Region data claiming more rectangles than it holds, or more than its size says.
  Values(e, kEmrFillRgn, {0, 0, 0, 0, 48, 1, 32, 1, 0x7FFFFFFF, 16, 0, 0, 0, 0, 0, 0, 16, 16});
  Values(e, kEmrFillRgn, {0, 0, 0, 0, 40, 1, 32, 1, 1, 16, 0, 0, 0, 0, 0, 0, 16, 16});
  Values(e, kEmrPaintRgn, {0, 0, 0, 0, int32_t(0xFFFFFFF0u), 32, 1, 1, 16, 0, 0, 0, 0});
  Values(e, kEmrFrameRgn, {0, 0, 0, 0, 48, 1, 1, 1, 31, 1, 1, 16, 0, 0, 0, 0, 0, 0, 16, 16});
  // Points and strings past the record, palettes larger than their records.
  Values(e, kEmrPolyDraw, {0, 0, 0, 0, 0x40000000, 1, 1});
  Values(e, kEmrPolyDraw16, {0, 0, 0, 0, -1, 1});
  Values(e, kEmrPolyTextOutA, {0, 0, 0, 0, 1, 0, 0, 0x7FFFFFFF, 0, 0, 2, 4000, 0, 0, 0, 0, 0, 0});
  Values(e, kEmrCreatePalette, {2, 0x300 | 0xFFFF << 16, 0});
  Values(e, kEmrSetPaletteEntries, {2, 0, 0x7FFFFFFF, 0});
  Values(e, kEmrResizePalette, {7, 100000});
  // Masked copies whose data lie outside the record or are of no known size.
  Values(e, kEmrMaskBlt, {0, 0, 0, 0, 0, 0, 16, 16, int32_t(MAKEROP4(SRCCOPY, BLACKNESS)), 0, 0, 0, 0, 0, 0, 0, 0, 0,
                          0, 1000, 40, 1040, 16, 0, 0, 0, 128, 40000, 168, 4});
  Values(e, kEmrPlgBlt, {0, 0, 0, 0, 0, 0, 1 << 30, 0, 0, 1 << 30, 0, 0, 4, 1, 0, 0, 0, 0, 0, 0, 0, 0, 144, 40,
                         184, 16, 0, 0, 0, 0, 0, 0, 0});
  Values(e, kEmrAngleArc, {8, 8, -1, FloatBits(0.0f), FloatBits(1e30f)});
  const Pixels p = Play(16, 16, e.Bytes());
  EXPECT_EQ(p.Count(kRed), 0);

  // The old format's region and palette records with bad indices and short objects.
  Wmf w(16, 16);
  w.Rec(kWmfCreateBrush, {int(BS_SOLID), Lo(kRed), Hi(kRed), 0});
  Words(w, kWmfCreateRegion, {0, 6, 0, 0, 0, 0xFFFF, 4, 0, 0, 16, 16, 2, 0, 16});
  Words(w, kWmfCreatePalette, {0x300, 0xFFFF, 0, 0});
  w.Rec(kWmfFillRegion, {1, 0}).Rec(kWmfFillRegion, {0, 1}).Rec(kWmfFillRegion, {200, 0});
  w.Rec(kWmfFrameRegion, {1, 0, 0x7FFF, 0x7FFF}).Rec(kWmfPaintRegion, {999}).Rec(kWmfSelectPalette, {0});
  w.Rec(kWmfSetPalEntries, {0, 0xFFFF}).Rec(kWmfSelectClipRegion, {2});
  const Pixels q = Play(16, 16, w.Bytes());
  EXPECT_EQ(q.Count(kRed), 0);
}
