// Writes the game's tile sheets: color1.png .. color8.png, one per cell colour, each
// 200 × 100 pixels holding 8 × 4 tiles of 25 × 25, and colors.png, the eight one below the
// other (200 × 800), which the main window's image list reads as its eight images: stacked,
// each image's rows follow one another, so decoding the colours in play reads no row of the
// others. The tile for each neighbour mask sits
// where the board's tile table says; the other tiles are left white.
//
// A tile draws its cell as part of the group's shape: a square inset from the sides that
// have no same-colour neighbour, with rounded corners where neither side joins, and a
// bridge to each joined side, so a group reads as one joined shape. A dark rim follows
// the outer edges. Colours differ in lightness (CIELAB L* at least 8 apart) and each has
// its own inner mark, so they can be told apart without seeing hue.
//
// Only the top-left 24 × 24 pixels of a tile reach the screen (the cell image is stretched
// from them); the 25th column and row repeat the 24th.
#include "game/Board.h"

#include <png.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kTile = 25;
constexpr int kDrawn = 24;          // the part of a tile that is shown
constexpr int kSheetW = 8 * kTile;  // 200
constexpr int kSheetH = 4 * kTile;  // 100
constexpr double kInset = 2.0;      // gap to a side without a same-colour neighbour
constexpr double kRadius = 6.0;     // outer corner rounding
constexpr double kRim = 1.3;        // width of the dark rim
constexpr int kSub = 4;             // samples per pixel along each axis

struct Rgb {
  double R, G, B;   // 0..1, sRGB encoded
};

struct Lab {
  double L, C, H;   // lightness, chroma, hue in degrees
};

double ToSrgb(double v) {
  v = std::clamp(v, 0.0, 1.0);
  return v <= 0.0031308 ? 12.92 * v : 1.055 * std::pow(v, 1 / 2.4) - 0.055;
}

// CIELAB (D65) to sRGB; false when the colour lies outside what sRGB can show.
bool LabToRgb(const Lab& c, Rgb& out) {
  const double a = c.C * std::cos(c.H * M_PI / 180), b = c.C * std::sin(c.H * M_PI / 180);
  const double fy = (c.L + 16) / 116, fx = fy + a / 500, fz = fy - b / 200;
  auto finv = [](double t) { return t > 6.0 / 29 ? t * t * t : 3 * (6.0 / 29) * (6.0 / 29) * (t - 4.0 / 29); };
  const double X = 0.95047 * finv(fx), Y = finv(fy), Z = 1.08883 * finv(fz);
  const double r = 3.2406 * X - 1.5372 * Y - 0.4986 * Z;
  const double g = -0.9689 * X + 1.8758 * Y + 0.0415 * Z;
  const double bl = 0.0557 * X - 0.2040 * Y + 1.0570 * Z;
  const double eps = 1e-4;
  const bool inside = r >= -eps && r <= 1 + eps && g >= -eps && g <= 1 + eps && bl >= -eps && bl <= 1 + eps;
  out = {ToSrgb(r), ToSrgb(g), ToSrgb(bl)};
  return inside;
}

// The colour itself, its chroma lowered until sRGB can show it: the lightness is kept.
Rgb Shown(Lab c) {
  Rgb out;
  while (!LabToRgb(c, out) && c.C > 0) c.C = std::max(0.0, c.C - 0.5);
  return out;
}

// Lightness 22..90, no two closer than 8; colours 1..4 (the default game) are the
// farthest apart of all.
const std::array<Lab, 8> kPalette = {{
    {32, 60, 295},   // 1 blue, dot
    {50, 70, 35},    // 2 red, ring
    {68, 60, 140},   // 3 green, diagonal cross
    {90, 80, 95},    // 4 yellow, diamond
    {22, 45, 315},   // 5 violet, two bars
    {78, 70, 65},    // 6 orange, hollow square
    {58, 40, 230},   // 7 sky blue, triangle
    {41, 60, 350},   // 8 magenta, plus
}};

// The inner mark of colour `colour` (1..8), around the tile's centre: dx, dy from it.
bool InMark(int colour, double dx, double dy) {
  const double ax = std::fabs(dx), ay = std::fabs(dy), d = std::hypot(dx, dy);
  switch (colour) {
    case 1: return d <= 3.2;
    case 2: return d >= 2.8 && d <= 5.0;
    case 3: return ax <= 4.6 && ay <= 4.6 && (std::fabs(dx - dy) <= 1.9 || std::fabs(dx + dy) <= 1.9);
    case 4: return ax + ay <= 6.3;
    case 5: return ax <= 5.0 && (std::fabs(dy - 2.6) <= 1.1 || std::fabs(dy + 2.6) <= 1.1);
    case 6: return std::max(ax, ay) >= 2.9 && std::max(ax, ay) <= 4.8;
    case 7: return dy >= -4.5 && dy <= 4.0 && ax <= (dy + 4.5) * 0.62;
    case 8: return (ax <= 1.3 && ay <= 5.4) || (ay <= 1.3 && ax <= 5.4);
    default: return false;
  }
}

// The group's shape inside one tile, for a given inset and corner radius.
bool InShape(int mask, double x, double y, double inset, double radius) {
  const bool left = mask & nmLeft, up = mask & nmUp, right = mask & nmRight, down = mask & nmDown;
  const double lo = inset, hi = kDrawn - inset;
  if (x >= lo && x <= hi && y >= lo && y <= hi) {
    auto cut = [&](bool open, double cx, double cy, bool nearX, bool nearY) {
      return open && nearX && nearY && std::hypot(x - cx, y - cy) > radius;
    };
    const double a = lo + radius, b = hi - radius;
    if (cut(!left && !up, a, a, x < a, y < a)) return false;
    if (cut(!right && !up, b, a, x > b, y < a)) return false;
    if (cut(!left && !down, a, b, x < a, y > b)) return false;
    if (cut(!right && !down, b, b, x > b, y > b)) return false;
    return true;
  }
  // Bridges to joined neighbours; the corners between two bridges stay open, so an L of
  // three cells gets a clean inner corner.
  if (y >= lo && y <= hi && ((left && x < lo) || (right && x > hi))) return true;
  if (x >= lo && x <= hi && ((up && y < lo) || (down && y > hi))) return true;
  return false;
}

using Sheet = std::vector<unsigned char>;   // RGB rows

void DrawTile(Sheet& sheet, int colour, int mask) {
  const Lab base = kPalette[size_t(colour - 1)];
  const Rgb fill = Shown(base);
  const Rgb rim = Shown({std::max(5.0, base.L - 20), base.C * 0.8, base.H});
  const Rgb mark = Shown({base.L >= 55 ? base.L - 52 : std::min(98.0, base.L + 55), base.C * 0.3, base.H});
  const Rgb white = {1, 1, 1};
  const TTilePos pos = TileForMask(mask);
  const int ox = pos.Column * kTile, oy = pos.Row * kTile;
  for (int py = 0; py < kDrawn; ++py) {
    for (int px = 0; px < kDrawn; ++px) {
      Rgb sum = {0, 0, 0};
      for (int sy = 0; sy < kSub; ++sy) {
        for (int sx = 0; sx < kSub; ++sx) {
          const double x = px + (sx + 0.5) / kSub, y = py + (sy + 0.5) / kSub;
          Rgb c = white;
          if (InShape(mask, x, y, kInset, kRadius)) {
            if (!InShape(mask, x, y, kInset + kRim, kRadius - kRim))
              c = rim;
            else if (InMark(colour, x - kDrawn / 2.0, y - kDrawn / 2.0))
              c = mark;
            else
              c = fill;
          }
          sum = {sum.R + c.R, sum.G + c.G, sum.B + c.B};
        }
      }
      const double n = kSub * kSub;
      const Rgb avg = {sum.R / n, sum.G / n, sum.B / n};
      unsigned char* p = &sheet[size_t(((oy + py) * kSheetW + ox + px) * 3)];
      p[0] = (unsigned char)std::lround(avg.R * 255);
      p[1] = (unsigned char)std::lround(avg.G * 255);
      p[2] = (unsigned char)std::lround(avg.B * 255);
    }
  }
  // The 25th column and row repeat the 24th, so a tile used unstretched still joins.
  for (int py = 0; py < kTile; ++py) {
    const int sy = std::min(py, kDrawn - 1);
    for (int px = kDrawn; px < kTile; ++px)
      std::copy_n(&sheet[size_t(((oy + sy) * kSheetW + ox + kDrawn - 1) * 3)], 3,
                  &sheet[size_t(((oy + py) * kSheetW + ox + px) * 3)]);
  }
  std::copy_n(&sheet[size_t(((oy + kDrawn - 1) * kSheetW + ox) * 3)], size_t(kTile * 3),
              &sheet[size_t(((oy + kDrawn) * kSheetW + ox) * 3)]);
}

bool WritePng(const std::string& path, const Sheet& sheet, int width, int height) {
  const std::string tmp = path + ".tmp";
  FILE* f = std::fopen(tmp.c_str(), "wb");
  if (!f) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!png || !info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    std::remove(tmp.c_str());
    return false;
  }
  png_init_io(png, f);
  png_set_compression_level(png, 9);
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < height; ++y) png_write_row(png, &sheet[size_t(y * width * 3)]);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  const bool ok = std::fflush(f) == 0 && std::fclose(f) == 0;
  if (!ok || std::rename(tmp.c_str(), path.c_str()) != 0) {
    std::remove(tmp.c_str());
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: tl_tilegen <output folder>\n");
    return 2;
  }
  const std::string dir = argv[1];
  Sheet strip(size_t(kSheetW * kSheetH * MaxColors * 3), 255);
  for (int colour = 1; colour <= MaxColors; ++colour) {
    Sheet sheet(size_t(kSheetW * kSheetH * 3), 255);
    for (int mask = 0; mask < 16; ++mask) DrawTile(sheet, colour, mask);
    const std::string path = dir + "/color" + std::to_string(colour) + ".png";
    if (!WritePng(path, sheet, kSheetW, kSheetH)) {
      std::fprintf(stderr, "tl_tilegen: cannot write %s\n", path.c_str());
      return 1;
    }
    std::copy(sheet.begin(), sheet.end(), strip.begin() + ptrdiff_t((colour - 1) * kSheetW * kSheetH * 3));
  }
  const std::string stripPath = dir + "/colors.png";
  if (!WritePng(stripPath, strip, kSheetW, kSheetH * MaxColors)) {
    std::fprintf(stderr, "tl_tilegen: cannot write %s\n", stripPath.c_str());
    return 1;
  }
  return 0;
}
