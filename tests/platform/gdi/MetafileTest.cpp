#include "GdiTestCanvas.h"
#include "MetafileBuilders.h"

#include "platform/gdi/Metafile.h"
#include "platform/gdi/Text.h"

#include <cstring>
#include <functional>

using namespace metafile_test;

namespace {

// Record functions, as the format numbers them.
constexpr uint16_t kSaveDc = 0x001E, kRestoreDc = 0x0127, kSelectObject = 0x012D, kDeleteObject = 0x01F0,
                   kSetTextColor = 0x0209, kSetBkMode = 0x0102, kSetWindowOrg = 0x020B, kSetWindowExt = 0x020C,
                   kSetMapMode = 0x0103, kLineTo = 0x0213, kMoveTo = 0x0214, kCreatePen = 0x02FA,
                   kCreateFont = 0x02FB, kCreateBrush = 0x02FC, kPolygon = 0x0324, kPolyline = 0x0325,
                   kIntersectClip = 0x0416, kEllipse = 0x0418, kRectangle = 0x041B, kSetPixel = 0x041F,
                   kTextOut = 0x0521, kPolyPolygon = 0x0538, kRoundRect = 0x061C, kArc = 0x0817, kPie = 0x081A,
                   kStretchDib = 0x0F43, kDibCreatePatternBrush = 0x0142;

// The direct drawing of the poly records' tests: a line, a polyline, a triangle and two
// triangles side by side, at the given places.
void DrawPolys(HDC dc, POINT from, POINT to, std::initializer_list<POINT> line, std::initializer_list<POINT> tri,
               std::initializer_list<POINT> two) {
  MoveToEx(dc, from.X, from.Y, nullptr);
  LineTo(dc, to.X, to.Y);
  Polyline(dc, line.begin(), int(line.size()));
  Polygon(dc, tri.begin(), int(tri.size()));
  const INT counts[] = {3, 3};
  PolyPolygon(dc, two.begin(), counts, 2);
}

// The text tests' drawing made directly: "Abg" at (4, 6) in bold 12-pixel Sans, maroon,
// on a 60 x 24 canvas.
std::vector<Pixel> DirectText() {
  LOGFONTA lf{};
  lf.lfHeight = -12;
  lf.lfWeight = FW_BOLD;
  std::strcpy(lf.lfFaceName, "Sans");
  return Drawn(60, 24, [&](HDC dc) {
    With(dc, CreateFontIndirectA(&lf), [&] {
      SetTextColor(dc, RGB(128, 0, 0));
      SetBkMode(dc, TRANSPARENT);
      TextOutA(dc, 4, 6, "Abg", 3);
    });
  });
}

int InkedOf(const std::vector<Pixel>& px) {
  int n = 0;
  for (Pixel p : px) n += p != 0xFFFFFF;
  return n;
}

}  // namespace

using MetafileTest = GdiCanvasTest;

TEST_F(MetafileTest, LinesAndPolygonsMatchTheSameDrawingMadeDirectly) {
  const COLORREF red = RGB(255, 0, 0), blue = RGB(0, 0, 255);
  Wmf w(40, 30);
  w.Rec(kCreatePen, {int(PS_SOLID), 2, 0, Lo(red), Hi(red)})
      .Rec(kCreateBrush, {int(BS_SOLID), Lo(blue), Hi(blue), 0})
      .Rec(kSelectObject, {0})
      .Rec(kSelectObject, {1})
      .Rec(kMoveTo, {2, 1})   // y, x
      .Rec(kLineTo, {20, 30})
      .Rec(kPolyline, {3, 5, 5, 15, 5, 15, 12})
      .Rec(kPolygon, {3, 20, 20, 35, 22, 25, 28})
      .Rec(kPolyPolygon, {2, 3, 3, 1, 20, 8, 20, 4, 28, 10, 22, 16, 22, 12, 28});
  const auto played = Played(40, 30, w.Bytes());
  const auto direct = Drawn(40, 30, [&](HDC dc) {
    WithPenAndBrush(dc, CreatePen(PS_SOLID, 2, red), CreateSolidBrush(blue), [&] {
      DrawPolys(dc, {1, 2}, {30, 20}, {{5, 5}, {15, 5}, {15, 12}}, {{20, 20}, {35, 22}, {25, 28}},
                {{1, 20}, {8, 20}, {4, 28}, {10, 22}, {16, 22}, {12, 28}});
    });
  });
  EXPECT_GT(InkedOf(direct), 100);
  EXPECT_EQ(played, direct);
}

TEST_F(MetafileTest, RectanglesEllipsesAndPiesMatchTheDirectDrawing) {
  const COLORREF green = RGB(0, 128, 0);
  Wmf w(40, 40);
  w.Rec(kCreateBrush, {int(BS_HATCHED), Lo(green), Hi(green), HS_CROSS})
      .Rec(kSelectObject, {0})
      .Rec(kRectangle, {15, 18, 2, 1})   // bottom, right, top, left
      .Rec(kEllipse, {38, 38, 20, 20})
      .Rec(kRoundRect, {6, 8, 38, 18, 20, 2})   // corner height, width, then the box
      .Rec(kPie, {30, 20, 4, 38, 18, 38, 2, 20});   // radials' end, start, then the box
  const auto played = Played(40, 40, w.Bytes());
  const auto direct = Drawn(40, 40, [&](HDC dc) {
    With(dc, CreateHatchBrush(HS_CROSS, green), [&] {
      Rectangle(dc, 1, 2, 18, 15);
      Ellipse(dc, 20, 20, 38, 38);
      RoundRect(dc, 2, 20, 18, 38, 8, 6);
      Pie(dc, 20, 2, 38, 18, 38, 4, 20, 30);
    });
  });
  EXPECT_GT(InkedOf(direct), 300);
  EXPECT_EQ(played, direct);
}

TEST_F(MetafileTest, ArcsRunCounterClockwiseFromTheStartRadial) {
  // From the right-hand point to the left-hand one: over the top only.
  Wmf w(32, 32);
  w.Rec(kArc, {16, 0, 16, 32, 30, 30, 2, 2});
  const auto px = Played(32, 32, w.Bytes());
  int top = 0, bottom = 0;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x)
      if (px[size_t(y * 32 + x)] != 0xFFFFFF && (y < 15 || y > 17)) (y < 15 ? top : bottom) += 1;
  EXPECT_GT(top, 30);
  EXPECT_EQ(bottom, 0);
  // The mapping mirrors y: the same arc now runs under the bottom.
  Wmf m(32, 32);
  m.Rec(kSetWindowOrg, {32, 0}).Rec(kSetWindowExt, {-32, 32}).Rec(kArc, {16, 0, 16, 32, 30, 30, 2, 2});
  const auto mirrored = Played(32, 32, m.Bytes());
  top = bottom = 0;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x)
      if (mirrored[size_t(y * 32 + x)] != 0xFFFFFF && (y < 15 || y > 17)) (y < 15 ? top : bottom) += 1;
  EXPECT_EQ(top, 0);
  EXPECT_GT(bottom, 30);
}

TEST_F(MetafileTest, TextTakesTheRecordsFontColourAndPlace) {
  const COLORREF maroon = RGB(128, 0, 0);
  LOGFONTA lf{};
  lf.lfHeight = -12;
  lf.lfWeight = FW_BOLD;
  std::strcpy(lf.lfFaceName, "Sans");
  std::vector<uint8_t> font;
  for (int v : {int(lf.lfHeight), 0, 0, 0, int(lf.lfWeight)}) Wmf::Put16(font, uint16_t(v));
  for (int i = 0; i < 8; ++i) font.push_back(0);
  font.insert(font.end(), lf.lfFaceName, lf.lfFaceName + 5);
  std::vector<uint8_t> text;
  Wmf::Put16(text, 3);
  for (char c : std::string("Abg")) text.push_back(uint8_t(c));
  text.push_back(0);
  Wmf::Put16(text, 6);   // y
  Wmf::Put16(text, 4);   // x
  Wmf w(60, 24, 4);
  w.Raw(kCreateFont, font).Rec(kSelectObject, {0}).Rec(kSetTextColor, {Lo(maroon), Hi(maroon)});
  w.Rec(kSetBkMode, {TRANSPARENT}).Raw(kTextOut, text);
  const auto played = Played(60, 24, w.Bytes());
  const auto direct = DirectText();
  EXPECT_GT(InkedOf(direct), 20);
  EXPECT_EQ(played, direct);
}

TEST_F(MetafileTest, StretchedPlaybackScalesCoordinatesPensAndTheWindowTheRecordsSet) {
  // A box of 10 x 10 units played into 30 x 20 pixels: x three times, y twice.
  Wmf w(10, 10);
  w.Rec(kCreatePen, {int(PS_SOLID), 1, 0, 0, 0}).Rec(kSelectObject, {0}).Rec(kRectangle, {6, 8, 2, 1});
  const auto played = Played(30, 20, w.Bytes());
  const auto direct = Drawn(30, 20, [&](HDC dc) {
    With(dc, CreatePen(PS_SOLID, 3, 0), [&] { Rectangle(dc, 3, 4, 24, 12); });
  });
  EXPECT_EQ(played, direct);

  // The records' own window (origin 100,100, 20 units) fills the target whatever the box.
  Wmf win(10, 10);
  win.Rec(kSetWindowOrg, {100, 100}).Rec(kSetWindowExt, {20, 20}).Rec(kRectangle, {110, 110, 100, 100});
  const auto windowed = Played(40, 40, win.Bytes());
  const auto half = Drawn(40, 40, [&](HDC dc) { Rectangle(dc, 0, 0, 20, 20); });
  EXPECT_EQ(windowed, half);

  // The target's offset moves the picture; isotropic keeps it square.
  Wmf iso(10, 10);
  iso.Rec(kSetMapMode, {MM_ISOTROPIC}).Rec(kRectangle, {10, 10, 0, 0});
  const auto square = Played(40, 40, iso.Bytes(), {5, 5, 25, 35});
  const auto expectSquare = Drawn(40, 40, [&](HDC dc) { Rectangle(dc, 5, 5, 25, 25); });
  EXPECT_EQ(square, expectSquare);
}

TEST_F(MetafileTest, ClipAndSavedStatesComeBackAndTheDcIsLeftAsItWas) {
  const COLORREF red = RGB(255, 0, 0);
  Wmf w(20, 20);
  w.Rec(kCreateBrush, {int(BS_SOLID), Lo(red), Hi(red), 0})
      .Rec(kSelectObject, {0})
      .Rec(kSaveDc, {})
      .Rec(kIntersectClip, {10, 10, 0, 0})
      .Rec(kRectangle, {20, 20, 0, 0})   // clipped to the top-left quarter
      .Rec(kRestoreDc, {-1})
      .Rec(kSetPixel, {Lo(red), Hi(red), 15, 15})   // colour, y, x: the clip is gone
      .Rec(0x0999, {1, 2, 3})                         // unknown: skipped
      .Rec(kSetPixel, {Lo(red), Hi(red), 17, 17})
      .Rec(kDeleteObject, {0});
  Canvas(20, 20);
  HPEN pen = Use(CreatePen(PS_SOLID, 1, RGB(0, 0, 255)));
  SetTextColor(dc, RGB(1, 2, 3));
  IntersectClipRect(dc, 0, 0, 19, 19);
  std::string why;
  ASSERT_TRUE(PlayMetafile(dc, w.Bytes().data(), w.Bytes().size(), {0, 0, 20, 20}, why)) << why;
  EXPECT_EQ(Px(5, 5), red);
  EXPECT_EQ(Px(0, 0), RGB(0, 0, 255));   // no pen in the records: the DC's own
  EXPECT_EQ(Px(12, 12), kWhite);
  EXPECT_EQ(Px(15, 15), red);
  EXPECT_EQ(Px(17, 17), red);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), pen);
  EXPECT_EQ(GetTextColor(dc), RGB(1, 2, 3));
  RECT box{};
  GetClipBox(dc, &box);
  EXPECT_EQ(box.Right, 19);
  // Leaks of the records' objects are caught by the fixture.
}

TEST_F(MetafileTest, BitmapsAreStretchedWithBottomUpRowsReadFromTheBottom) {
  // A 2 x 2 DIB of 24 bits, bottom row first: blue, green / red, white on top.
  std::vector<uint8_t> dib;
  for (uint32_t v : {40u, 2u, 2u}) Wmf::Put32(dib, v);
  Wmf::Put16(dib, 1);
  Wmf::Put16(dib, 24);
  for (int i = 0; i < 6; ++i) Wmf::Put32(dib, 0);
  for (uint8_t b : {255, 0, 0, 0, 255, 0, 0, 0, 0, 0, 255, 255, 255, 255, 255, 0}) dib.push_back(b);
  std::vector<uint8_t> rec;
  Wmf::Put32(rec, SRCCOPY);
  for (int v : {int(DIB_RGB_COLORS), 2, 2, 0, 0, 8, 8, 2, 4}) Wmf::Put16(rec, uint16_t(v));   // dest at 4,2
  rec.insert(rec.end(), dib.begin(), dib.end());
  Wmf w(16, 16);
  w.Raw(kStretchDib, rec);
  const auto px = Played(16, 16, w.Bytes());
  const auto at = [&](int x, int y) { return ColorFromPixel(px[size_t(y * 16 + x)]); };
  EXPECT_EQ(at(4, 2), RGB(255, 0, 0));
  EXPECT_EQ(at(11, 5), RGB(255, 255, 255));
  EXPECT_EQ(at(7, 9), RGB(0, 0, 255));
  EXPECT_EQ(at(8, 9), RGB(0, 255, 0));
  EXPECT_EQ(at(3, 2), kWhite);
  EXPECT_EQ(at(12, 10), kWhite);
  EXPECT_EQ(InkedOf(px), 48);   // 64 pixels, 16 of them white
  // The same bitmap as a pattern brush tiles a rectangle.
  std::vector<uint8_t> brush;
  Wmf::Put16(brush, BS_PATTERN);
  Wmf::Put16(brush, DIB_RGB_COLORS);
  brush.insert(brush.end(), dib.begin(), dib.end());
  Wmf b(4, 4);
  b.Raw(kDibCreatePatternBrush, brush).Rec(kSelectObject, {0}).Rec(0x061D, {0x21, 0xF0, 4, 4, 0, 0});
  const auto tiled = Played(4, 4, b.Bytes());
  EXPECT_EQ(ColorFromPixel(tiled[0]), RGB(255, 0, 0));
  EXPECT_EQ(ColorFromPixel(tiled[2]), RGB(255, 0, 0));
  EXPECT_EQ(ColorFromPixel(tiled[4 + 1]), RGB(0, 255, 0));
}

TEST_F(MetafileTest, ObjectsAreCappedInSizeAndTheTableInSlots) {
  // A pen 3000 pixels wide is drawn 1024 wide.
  Wmf w(2100, 4);
  w.Rec(kCreatePen, {int(PS_SOLID), 3000, 0, 0, 0}).Rec(kSelectObject, {0}).Rec(kMoveTo, {0, 1050}).Rec(kLineTo, {4, 1050});
  const auto px = Played(2100, 4, w.Bytes());
  int row = 0;
  for (int x = 0; x < 2100; ++x) row += px[size_t(2 * 2100 + x)] != 0xFFFFFF;
  EXPECT_GE(row, kMaxMetafilePenWidth - 2);
  EXPECT_LE(row, kMaxMetafilePenWidth + 2);
  // A table of one slot: the second brush finds no place and the first stays selected.
  const COLORREF red = RGB(255, 0, 0), blue = RGB(0, 0, 255);
  Wmf t(4, 4, 1);
  t.Rec(kCreateBrush, {int(BS_SOLID), Lo(red), Hi(red), 0})
      .Rec(kCreateBrush, {int(BS_SOLID), Lo(blue), Hi(blue), 0})
      .Rec(kSelectObject, {0})
      .Rec(kSelectObject, {1})
      .Rec(0x061D, {0x21, 0xF0, 4, 4, 0, 0});
  EXPECT_EQ(ColorFromPixel(Played(4, 4, t.Bytes())[5]), red);
}

TEST_F(MetafileTest, HostileMetafilesAreRefusedWithTheReasonBeforeAnythingIsDrawn) {
  Wmf w(8, 8);
  w.Rec(kRectangle, {8, 8, 0, 0});
  const std::vector<uint8_t> good = w.Bytes();
  ASSERT_TRUE(CheckMetafile(good.data(), good.size()).Ok);
  EXPECT_EQ(CheckMetafile(good.data(), good.size()).Records, 1u);

  // Cut short: the header declares more than there is.
  const std::vector<uint8_t> cut(good.begin(), good.end() - 4);
  MetafileCheck c = CheckMetafile(cut.data(), cut.size());
  EXPECT_FALSE(c.Ok);
  EXPECT_NE(c.Error.find("declares"), std::string::npos) << c.Error;
  // A record whose length runs past the end, and one of no length (it would never advance).
  std::vector<uint8_t> longRec = good;
  longRec[22 + 18] = 0xFF;
  c = CheckMetafile(longRec.data(), longRec.size());
  EXPECT_FALSE(c.Ok);
  EXPECT_NE(c.Error.find("past the end"), std::string::npos) << c.Error;
  std::vector<uint8_t> zero = good;
  zero[22 + 18] = 0;
  EXPECT_FALSE(CheckMetafile(zero.data(), zero.size()).Ok);
  // A huge declared size, no units per inch, a header alone (an empty picture), a stub.
  std::vector<uint8_t> huge = good;
  huge[22 + 9] = 0x7F;
  EXPECT_FALSE(CheckMetafile(huge.data(), huge.size()).Ok);
  std::vector<uint8_t> noInch = good;
  noInch[14] = noInch[15] = 0;
  EXPECT_FALSE(CheckMetafile(noInch.data(), noInch.size()).Ok);
  EXPECT_TRUE(CheckMetafile(good.data(), 22).Ok);
  EXPECT_FALSE(CheckMetafile(good.data(), 30).Ok);
  EXPECT_FALSE(CheckMetafile(good.data(), 3).Ok);
  EXPECT_FALSE(CheckMetafile(nullptr, 0).Ok);

  // Refused bytes draw nothing and say why.
  Canvas(8, 8);
  std::string why;
  EXPECT_FALSE(PlayMetafile(dc, cut.data(), cut.size(), {0, 0, 8, 8}, why));
  EXPECT_NE(why.find("not valid"), std::string::npos);
  EXPECT_EQ(Count(kWhite), 64);
}

TEST_F(MetafileTest, RecordCountIsCappedAtItsLimit) {
  // kMaxMetafileRecords records pass; one more is refused, a million too.
  const auto many = [](size_t n) {
    Wmf w(4, 4);
    for (size_t i = 0; i < n; ++i) w.Rec(kSetBkMode, {OPAQUE});
    return w.Bytes();
  };
  const std::vector<uint8_t> atCap = many(kMaxMetafileRecords);
  EXPECT_TRUE(CheckMetafile(atCap.data(), atCap.size()).Ok);
  const std::vector<uint8_t> over = many(kMaxMetafileRecords + 1);
  MetafileCheck c = CheckMetafile(over.data(), over.size());
  EXPECT_FALSE(c.Ok);
  EXPECT_NE(c.Error.find("more than 500000 records"), std::string::npos) << c.Error;
  const std::vector<uint8_t> million = many(1000000);
  EXPECT_FALSE(CheckMetafile(million.data(), million.size()).Ok);
}

namespace {

constexpr uint32_t kEmrPolygon16 = 86, kEmrPolyline = 4, kEmrPolyPolygon16 = 91, kEmrSetWindowExt = 9,
                   kEmrSetViewportExt = 11, kEmrSetMapMode = 17, kEmrSetTextColor = 24,
                   kEmrSetBkMode = 18, kEmrMoveTo = 27, kEmrIntersectClip = 30, kEmrSaveDc = 33,
                   kEmrRestoreDc = 34, kEmrSetWorldTransform = 35, kEmrSelectObject = 37, kEmrCreatePen = 38,
                   kEmrCreateBrush = 39, kEmrDeleteObject = 40, kEmrEllipse = 42, kEmrRectangle = 43,
                   kEmrLineTo = 54, kEmrExtSelectClipRgn = 75, kEmrStretchDiBits = 81, kEmrFont = 82,
                   kEmrTextW = 84;

}  // namespace

TEST_F(MetafileTest, EnhancedShapesMatchTheDirectDrawing) {
  const COLORREF red = RGB(255, 0, 0), blue = RGB(0, 0, 255);
  Emf e(40, 30);
  e.Rec(kEmrCreatePen, {1, int(PS_SOLID), 2, 0, int32_t(red)})
      .Rec(kEmrCreateBrush, {2, int(BS_SOLID), int32_t(blue), 0})
      .Rec(kEmrSelectObject, {1})
      .Rec(kEmrSelectObject, {2})
      .Rec(kEmrRectangle, {1, 2, 18, 15})
      .Rec(kEmrEllipse, {20, 2, 38, 14})
      .Rec(kEmrMoveTo, {1, 28})
      .Rec(kEmrLineTo, {30, 20})
      .Rec(kEmrPolyline, {0, 0, 0, 0, 3, 5, 18, 15, 18, 15, 25})
      // 16-bit points, two to a value: x in the low half.
      .Rec(kEmrPolygon16, {0, 0, 0, 0, 3, 20 | 16 << 16, 35 | 17 << 16, 25 | 28 << 16})
      .Rec(kEmrPolyPolygon16, {0, 0, 0, 0, 2, 6, 3, 3, 1 | 22 << 16, 4 | 22 << 16, 2 | 27 << 16, 6 | 22 << 16,
                               9 | 22 << 16, 7 | 27 << 16})
      .Rec(kEmrSelectObject, {int32_t(0x80000000u | 7)})   // the stock black pen
      .Rec(kEmrDeleteObject, {1});
  const auto played = Played(40, 30, e.Bytes());
  const auto direct = Drawn(40, 30, [&](HDC dc) {
    WithPenAndBrush(dc, CreatePen(PS_SOLID, 2, red), CreateSolidBrush(blue), [&] {
      Rectangle(dc, 1, 2, 18, 15);
      Ellipse(dc, 20, 2, 38, 14);
      DrawPolys(dc, {1, 28}, {30, 20}, {{5, 18}, {15, 18}, {15, 25}}, {{20, 16}, {35, 17}, {25, 28}},
                {{1, 22}, {4, 22}, {2, 27}, {6, 22}, {9, 22}, {7, 27}});
    });
  });
  EXPECT_GT(InkedOf(direct), 200);
  EXPECT_EQ(played, direct);
}

TEST_F(MetafileTest, EnhancedFramesStretchAndWorldAndPageTransformsCompose) {
  // A 10 x 10 frame into 20 x 30 pixels: x twice, y three times.
  Emf e(10, 10);
  e.Rec(kEmrRectangle, {1, 1, 6, 5});
  EXPECT_EQ(Played(20, 30, e.Bytes()), Drawn(20, 30, [&](HDC dc) {
              With(dc, CreatePen(PS_SOLID, 1, 0), [&] { Rectangle(dc, 2, 3, 12, 15); });
            }));
  // World: scale 2 and move by (3, 1); page: window 0..20 onto viewport 0..10 (halves).
  Emf w(40, 40);
  w.Rec(kEmrSetWorldTransform, {FloatBits(2), 0, 0, FloatBits(2), FloatBits(3), FloatBits(1)})
      .Rec(kEmrSetMapMode, {MM_ANISOTROPIC})
      .Rec(kEmrSetWindowExt, {20, 20})
      .Rec(kEmrSetViewportExt, {10, 10})
      .Rec(kEmrRectangle, {2, 2, 10, 8});
  // (2,2)..(10,8) -> world (7,5)..(23,17) -> page (3.5,2.5)..(11.5,8.5).
  const auto played = Played(40, 40, w.Bytes());
  const auto direct = Drawn(40, 40, [&](HDC dc) { Rectangle(dc, 4, 3, 12, 9); });
  EXPECT_EQ(played, direct);
  // A fixed mode: a tenth of a millimetre a unit on a one-pixel-a-millimetre device, y up.
  Emf lo(40, 40);
  lo.Rec(kEmrSetMapMode, {MM_LOMETRIC}).Rec(kEmrRectangle, {20, -20, 200, -300});
  EXPECT_EQ(Played(40, 40, lo.Bytes()), Drawn(40, 40, [&](HDC dc) { Rectangle(dc, 2, 2, 20, 30); }));
}

TEST_F(MetafileTest, EnhancedTextAndBitmapsDrawAsTheDirectCalls) {
  const COLORREF maroon = RGB(128, 0, 0);
  std::vector<uint8_t> font;
  for (int32_t v : {1, -12, 0, 0, 0, 700}) Wmf::Put32(font, uint32_t(v));
  for (int i = 0; i < 8; ++i) font.push_back(0);
  for (char c : std::string("Sans")) Wmf::Put16(font, uint16_t(c));
  font.resize(4 + 92, 0);
  std::vector<uint8_t> text;
  for (int32_t v : {0, 0, 0, 0, 1, 0, 0, 4, 6, 3, 8 + 68, 0, 0, 0, 0, 0, 0}) Wmf::Put32(text, uint32_t(v));
  for (char c : std::string("Abg")) Wmf::Put16(text, uint16_t(c));
  Emf e(60, 24);
  e.Raw(kEmrFont, font).Rec(kEmrSelectObject, {1}).Rec(kEmrSetTextColor, {int32_t(maroon)});
  e.Rec(kEmrSetBkMode, {TRANSPARENT}).Raw(kEmrTextW, text);
  const auto played = Played(60, 24, e.Bytes());
  const auto direct = DirectText();
  EXPECT_GT(InkedOf(direct), 20);
  EXPECT_EQ(played, direct);

  // A 2 x 2 DIB stretched to 8 x 8 at (4, 2): bottom-up rows, the top one red and white.
  std::vector<uint8_t> dib;
  for (uint32_t v : {40u, 2u, 2u}) Wmf::Put32(dib, v);
  Wmf::Put16(dib, 1);
  Wmf::Put16(dib, 24);
  for (int i = 0; i < 6; ++i) Wmf::Put32(dib, 0);
  std::vector<uint8_t> rec;
  for (int32_t v : {0, 0, 0, 0, 4, 2, 0, 0, 2, 2, 8 + 72, 40, 8 + 72 + 40, 16, int(DIB_RGB_COLORS),
                    int32_t(SRCCOPY), 8, 8})
    Wmf::Put32(rec, uint32_t(v));
  rec.insert(rec.end(), dib.begin(), dib.end());
  for (uint8_t b : {255, 0, 0, 0, 255, 0, 0, 0, 0, 0, 255, 255, 255, 255, 255, 0}) rec.push_back(b);
  Emf b(16, 16);
  b.Raw(kEmrStretchDiBits, rec);
  const auto px = Played(16, 16, b.Bytes());
  const auto at = [&](int x, int y) { return ColorFromPixel(px[size_t(y * 16 + x)]); };
  EXPECT_EQ(at(4, 2), RGB(255, 0, 0));
  EXPECT_EQ(at(11, 5), RGB(255, 255, 255));
  EXPECT_EQ(at(7, 9), RGB(0, 0, 255));
  EXPECT_EQ(at(8, 9), RGB(0, 255, 0));
  EXPECT_EQ(InkedOf(px), 48);
}

TEST_F(MetafileTest, EnhancedClipsComeBackWithTheirSavedStateAndAnEmptyRegionRestoresTheCallers) {
  const COLORREF red = RGB(255, 0, 0);
  Emf e(20, 20);
  e.Rec(kEmrCreateBrush, {1, int(BS_SOLID), int32_t(red), 0})
      .Rec(kEmrSelectObject, {1})
      .Rec(kEmrSelectObject, {int32_t(0x80000000u | 8)})   // the stock null pen
      .Rec(kEmrSaveDc, {})
      .Rec(kEmrIntersectClip, {0, 0, 5, 5})
      .Rec(kEmrRectangle, {0, 0, 21, 21})
      .Rec(kEmrRestoreDc, {-1})
      // A region of one rectangle (device pixels) replacing the clip, then the clip reset.
      .Rec(kEmrExtSelectClipRgn, {48, RGN_COPY, 32, 1, 1, 16, 10, 10, 12, 12, 10, 10, 12, 12})
      .Rec(kEmrRectangle, {0, 0, 21, 21})
      .Rec(kEmrExtSelectClipRgn, {0, RGN_COPY})
      .Rec(kEmrRectangle, {16, 16, 21, 21});
  Canvas(20, 20);
  IntersectClipRect(dc, 0, 0, 18, 18);
  std::string why;
  const std::vector<uint8_t> f = e.Bytes();
  ASSERT_TRUE(PlayMetafile(dc, f.data(), f.size(), {0, 0, 20, 20}, why)) << why;
  EXPECT_EQ(Px(2, 2), red);
  EXPECT_EQ(Px(6, 6), kWhite);
  EXPECT_EQ(Px(11, 11), red);
  EXPECT_EQ(Px(12, 12), kWhite);
  EXPECT_EQ(Px(17, 17), red);   // the caller's clip again, not none
  EXPECT_EQ(Px(18, 18), kWhite);
  EXPECT_EQ(Count(red), 25 + 4 + 4);
}

TEST_F(MetafileTest, HostileEnhancedMetafilesAreRefusedWithTheReason) {
  Emf e(8, 8);
  e.Rec(kEmrRectangle, {0, 0, 8, 8});
  const std::vector<uint8_t> good = e.Bytes();
  MetafileCheck c = CheckMetafile(good.data(), good.size());
  ASSERT_TRUE(c.Ok) << c.Error;
  EXPECT_TRUE(c.Enhanced);
  EXPECT_EQ(c.Records, 2u);   // the header and the rectangle
  const auto refused = [](std::vector<uint8_t> f, const char* reason) {
    const MetafileCheck r = CheckMetafile(f.data(), f.size());
    EXPECT_FALSE(r.Ok);
    EXPECT_NE(r.Error.find(reason), std::string::npos) << r.Error;
  };
  refused(std::vector<uint8_t>(good.begin(), good.end() - 4), "declares");
  refused(std::vector<uint8_t>(good.begin(), good.begin() + 60), "cut short");
  std::vector<uint8_t> f = good;
  f[88 + 4] = 0xF0;   // the rectangle claims 240 bytes
  refused(f, "past the end");
  f = good;
  f[88 + 4] = 26;   // not a multiple of four
  refused(f, "claims 26");
  f = good;
  f[4] = 200;   // a header larger than the file's declared size
  refused(f, "header claims");
  f = good;
  f[56] = 0xFF;
  f[57] = 0xFF;   // 65535 object slots
  refused(f, "objects");
  f = good;
  f[40] = 0;   // no signature
  refused(f, "signature");
}
