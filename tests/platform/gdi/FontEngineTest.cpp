#include "platform/gdi/FontEngine.h"

#include <gtest/gtest.h>

#include <cstring>
#include <tuple>
#include <utility>

namespace {

FontDesc TestFace(Integer height, Integer width = 0) {
  FontDesc d;
  d.FaceName = kTestFaceName;
  d.Height = height;
  d.Width = width;
  return d;
}

FontDesc Face(const char* name, Integer height, Integer weight = 400, bool italic = false) {
  FontDesc d;
  d.FaceName = name;
  d.Height = height;
  d.Weight = weight;
  d.Italic = italic;
  return d;
}

const Byte* Bytes(const char* s) { return reinterpret_cast<const Byte*>(s); }

}  // namespace

// The test face's documented metrics: E em, H cell, ascent, descent, advance.
TEST(TestFaceMetrics, FollowTheDocumentedFormulasAtSeveralSizes) {
  struct Row { Integer height, cell, ascent, descent, leading, advance; };
  const Row rows[] = {
      {-16, 20, 16, 4, 4, 10},   // E 16
      {-10, 13, 10, 3, 3, 6},    // E 10: leading round(2.5) = 3
      {-7, 9, 7, 2, 2, 4},       // E 7: advance round(4.2) = 4
      {20, 20, 16, 4, 4, 10},    // cell 20: leading round(4) = 4, E 16
      {0, 16, 13, 3, 3, 8},      // default = cell 16: E 13, advance round(7.8) = 8
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.height);
    FontMetrics m = MetricsFor(TestFace(r.height));
    EXPECT_EQ(std::tuple(m.Height, m.Ascent, m.Descent, m.InternalLeading, m.ExternalLeading, m.AveCharWidth,
                         m.MaxCharWidth, m.BreakChar),
              std::tuple(r.cell, r.ascent, r.descent, r.leading, 0, r.advance, r.advance, ' '));
    FontInstance& f = RealizeFont(TestFace(r.height));
    for (Byte c : {Byte('W'), Byte(' '), Byte(0xE9)}) EXPECT_EQ(f.Advance(c), r.advance) << int(c);
  }
}

TEST(TestFaceMetrics, WidthStyleFlagsAndBadSizes) {
  EXPECT_EQ(RealizeFont(TestFace(-16, 7)).Advance('x'), 7);
  FontDesc d = TestFace(-16);
  d.Weight = 700;
  d.Italic = d.Underline = d.StrikeOut = true;
  FontMetrics m = MetricsFor(d);
  EXPECT_EQ(std::tuple(m.Weight, m.Italic, m.Underlined, m.StruckOut), std::tuple(700, 1, 1, 1));
  // Absurd sizes are clamped, never overflow or allocate without bound.
  FontMetrics huge = MetricsFor(TestFace(INT32_MIN));
  EXPECT_TRUE(huge.Height > 0 && huge.Height <= 4000) << huge.Height;
  EXPECT_GT(MetricsFor(TestFace(-1)).AveCharWidth, 0);
  EXPECT_GT(RealizeFont(TestFace(-16, INT32_MAX)).Advance('a'), 0);
}

TEST(TextPathTest, BoundsAndFlatteningKeepTheCurveEnds) {
  TextPath p;
  p.MoveTo(0, 0);
  p.QuadTo(10, 10, 20, 0);
  p.CubicTo(20, -10, 0, -10, 0, 0);
  p.Close();
  double l, t, r, b;
  p.Bounds(l, t, r, b);
  EXPECT_EQ(std::tuple(l, t, r, b), std::tuple(0.0, -10.0, 20.0, 10.0));
  TextPath flat = p.Flattened(0.1);
  ASSERT_GT(flat.Points.size(), 4u);
  // Curve ends survive exactly.
  bool hasEnd = false;
  for (const auto& pt : flat.Points) hasEnd |= (pt.X == 20 && pt.Y == 0);
  EXPECT_TRUE(hasEnd);
}

// Real faces: checked only against their own measurements.
TEST(PackagedFaces, MetricsAreConsistentWithTheRequestedHeight) {
  for (const char* name : {"Arial", "MS Sans Serif", "Tahoma", "Courier New"}) {
    SCOPED_TRACE(name);
    for (Integer em : {8, 11, 13, 16, 24}) {
      FontMetrics m = MetricsFor(Face(name, -em));
      EXPECT_EQ(m.Height, m.Ascent + m.Descent);
      EXPECT_EQ(m.Height - m.InternalLeading, em);
      EXPECT_EQ(MetricsFor(Face(name, m.Height)).Height, m.Height) << "a positive height is the cell";
    }
  }
  EXPECT_EQ(MetricsFor(Face("Courier New", -12)).PitchAndFamily & TMPF_FIXED_PITCH, 0);
  EXPECT_NE(MetricsFor(Face("Arial", -12)).PitchAndFamily & TMPF_FIXED_PITCH, 0);
}

TEST(PackagedFaces, UnknownFaceFallsBackToTheDefaultFace) {
  FontInstance& unknown = RealizeFont(Face("No Such Face", -13));
  EXPECT_EQ(unknown.FaceName(), "MS Sans Serif");
  Integer unknownWidth = TextWidth(unknown, Bytes("fallback"), 8);
  EXPECT_EQ(unknownWidth, TextWidth(RealizeFont(Face("MS Sans Serif", -13)), Bytes("fallback"), 8));
  EXPECT_EQ(RealizeFont(Face("", -13)).FaceName(), "MS Sans Serif");
}

TEST(PackagedFaces, FinalizingReleasesEverythingAndFontsComeBack) {
  Integer before = TextWidth(RealizeFont(Face("Tahoma", -13)), Bytes("again"), 5);
  FinalizeFonts();
  FinalizeFonts();   // a second time does nothing
  InitializeFonts();
  EXPECT_EQ(TextWidth(RealizeFont(Face("Tahoma", -13)), Bytes("again"), 5), before);
  FinalizeFonts();
  // Realizing without an explicit start locates the files again on its own.
  EXPECT_EQ(TextWidth(RealizeFont(Face("Tahoma", -13)), Bytes("again"), 5), before);
}
