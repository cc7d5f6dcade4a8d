// The committed tile sheets against the board's tile table: every mask's tile joins
// exactly the sides its mask names, and the eight colours stay apart in lightness and
// inner mark.
#include <gtest/gtest.h>

#include "game/Board.h"

#include <png.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Sheet {
  int Width = 0, Height = 0;
  std::vector<unsigned char> Rgb;
  bool White(int x, int y) const { return Lum(x, y) > 0.97 && Chroma(x, y) < 0.02; }
  const unsigned char* At(int x, int y) const { return &Rgb[size_t((y * Width + x) * 3)]; }
  double Lum(int x, int y) const {
    const unsigned char* p = At(x, y);
    return (0.2126 * p[0] + 0.7152 * p[1] + 0.0722 * p[2]) / 255;
  }
  double Chroma(int x, int y) const {
    const unsigned char* p = At(x, y);
    return (std::max({p[0], p[1], p[2]}) - std::min({p[0], p[1], p[2]})) / 255.0;
  }
};

bool LoadSheet(const std::string& path, Sheet& s) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(f);
    return false;
  }
  png_init_io(png, f);
  png_read_info(png, info);
  png_set_expand(png);
  png_set_strip_16(png);
  png_set_strip_alpha(png);
  png_set_gray_to_rgb(png);
  png_read_update_info(png, info);
  s.Width = int(png_get_image_width(png, info));
  s.Height = int(png_get_image_height(png, info));
  s.Rgb.assign(size_t(s.Width * s.Height * 3), 0);
  for (int y = 0; y < s.Height; ++y) png_read_row(png, &s.Rgb[size_t(y * s.Width * 3)], nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  std::fclose(f);
  return true;
}

// CIELAB lightness of an sRGB pixel.
double Lightness(const Sheet& s, int x, int y) {
  const unsigned char* p = s.At(x, y);
  auto lin = [](double v) { v /= 255; return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
  const double Y = 0.2126 * lin(p[0]) + 0.7152 * lin(p[1]) + 0.0722 * lin(p[2]);
  return Y > 216.0 / 24389 ? 116 * std::cbrt(Y) - 16 : Y * 24389.0 / 27;
}

class TileSheets : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    for (int c = 1; c <= MaxColors; ++c) {
      Sheet s;
      const std::string path = std::string(TL_SOURCE_DIR) + "/resources/tiles/color" + std::to_string(c) + ".png";
      sheets.push_back(LoadSheet(path, s) ? s : Sheet{});
    }
  }
  static std::vector<Sheet> sheets;
};
std::vector<Sheet> TileSheets::sheets;

}  // namespace

TEST_F(TileSheets, EverySheetIsEightByFourTilesOfTwentyFivePixels) {
  ASSERT_EQ(sheets.size(), 8u);
  for (size_t i = 0; i < sheets.size(); ++i) {
    EXPECT_EQ(sheets[i].Width, 200) << "colour " << i + 1;
    EXPECT_EQ(sheets[i].Height, 100) << "colour " << i + 1;
  }
}

TEST_F(TileSheets, EachMasksTileJoinsExactlyTheSidesItNames) {
  for (size_t i = 0; i < sheets.size(); ++i) {
    const Sheet& s = sheets[i];
    ASSERT_EQ(s.Width, 200);
    for (Integer m = 0; m < 16; ++m) {
      // The shown part of the tile: its source rectangle.
      const TRect r = TileSourceRect(m);
      const int cx = (r.Left + r.Right) / 2, cy = (r.Top + r.Bottom) / 2;
      const int last = r.Right - 1, bottom = r.Bottom - 1;
      SCOPED_TRACE("colour " + std::to_string(i + 1) + " mask " + std::to_string(m));
      EXPECT_EQ(!s.White(r.Left, cy), (m & nmLeft) != 0);
      EXPECT_EQ(!s.White(cx, r.Top), (m & nmUp) != 0);
      EXPECT_EQ(!s.White(last, cy), (m & nmRight) != 0);
      EXPECT_EQ(!s.White(cx, bottom), (m & nmDown) != 0);
      // Corners never reach the tile's corner, whatever joins: no diagonal is known.
      for (auto [x, y] : {std::pair<int, int>{r.Left, r.Top}, {last, r.Top}, {r.Left, bottom}, {last, bottom}})
        EXPECT_TRUE(s.White(x, y)) << x << "," << y;
      EXPECT_FALSE(s.White(cx, cy));
      // A joined side meets the neighbouring tile edge to edge: the pixels across the
      // seam match, so a group shows no line between its cells.
      if (m & nmRight) {
        const TRect other = TileSourceRect(nmLeft);
        for (int y = 0; y < 24; ++y)
          EXPECT_EQ(s.White(last, r.Top + y), s.White(other.Left, other.Top + y)) << y;
      }
    }
  }
}

TEST_F(TileSheets, ColoursDifferInLightnessAndInTheirInnerMark) {
  ASSERT_EQ(sheets.size(), 8u);
  std::vector<double> light;
  std::vector<std::vector<bool>> marks;
  for (const Sheet& s : sheets) {
    ASSERT_EQ(s.Width, 200);
    const TRect r = TileSourceRect(0);   // a lone cell: the shape's body without bridges
    const int fx = r.Left + 5, fy = r.Top + 12;
    light.push_back(Lightness(s, fx, fy));
    // The mark: the pixels of the tile's middle that differ clearly from its body.
    std::vector<bool> mark;
    for (int y = 5; y < 19; ++y)
      for (int x = 5; x < 19; ++x) mark.push_back(std::fabs(Lightness(s, r.Left + x, r.Top + y) - light.back()) > 20);
    marks.push_back(mark);
  }
  for (size_t a = 0; a < 8; ++a) {
    for (size_t b = a + 1; b < 8; ++b) {
      EXPECT_GE(std::fabs(light[a] - light[b]), 7.0) << "colours " << a + 1 << " and " << b + 1;
      size_t differ = 0;
      for (size_t k = 0; k < marks[a].size(); ++k) differ += marks[a][k] != marks[b][k];
      EXPECT_GE(differ, 16u) << "marks of colours " << a + 1 << " and " << b + 1;
    }
  }
}
