#include "platform/gdi/TextRender.h"

#include <algorithm>
#include <cmath>

namespace {

// Cosine and sine of an escapement, exact at the quarter turns.
void Trig(Integer escapement, double& c, double& s) {
  Integer e = ((escapement % 3600) + 3600) % 3600;
  switch (e) {
    case 0: c = 1; s = 0; return;
    case 900: c = 0; s = 1; return;
    case 1800: c = -1; s = 0; return;
    case 2700: c = 0; s = -1; return;
    default: break;
  }
  double a = e * 3.14159265358979323846 / 1800.0;
  c = std::cos(a);
  s = std::sin(a);
}

}  // namespace

Byte CoverageMask::At(Integer x, Integer y) const {
  x -= Left;
  y -= Top;
  if (x < 0 || y < 0 || x >= Width || y >= Height) return 0;
  return Data[size_t(y) * size_t(Width) + size_t(x)];
}

CoverageMask RenderRun(FontInstance& font, const Byte* s, Integer n, const Integer* advances,
                       bool underline, bool strikeOut, const TRect* window) {
  const FontMetrics& m = font.Metrics();
  const Int64 wl = window ? window->Left : INT64_MIN / 4, wr = window ? window->Right : INT64_MAX / 4;
  // Bounds: the run's cells and every glyph image (which may reach outside them), as far
  // as they fall in the window.
  Int64 total = 0;
  for (Integer i = 0; i < n; ++i) total += advances[i];
  Int64 left = std::max(std::min<Int64>(0, total), wl), right = std::min(std::max<Int64>(0, total), wr);
  Int64 top = 0, bottom = m.Height, pen = 0;
  if (left >= right) {
    left = INT64_MAX;
    right = INT64_MIN;
  }
  auto shown = [&](const GlyphImage& g, Int64 x) {
    return g.Width > 0 && g.Height > 0 && x + g.Left + g.Width > wl && x + g.Left < wr;
  };
  // A glyph's image stays within a cell height and a widest advance of its cell, so glyphs
  // far outside the window are skipped without rendering them.
  const Int64 slack = Int64(m.Height) + m.MaxCharWidth;
  auto near = [&](Int64 x, Integer advance) {
    return std::max<Int64>(x, x + advance) + slack > wl && std::min<Int64>(x, x + advance) - slack < wr;
  };
  for (Integer i = 0; i < n; ++i) {
    if (!near(pen, advances[i])) {
      pen += advances[i];
      continue;
    }
    const GlyphImage& g = font.Image(s[i]);
    if (shown(g, pen)) {
      left = std::min<Int64>(left, pen + g.Left);
      right = std::max<Int64>(right, pen + g.Left + g.Width);
      top = std::min<Int64>(top, m.Ascent + g.Top);
      bottom = std::max<Int64>(bottom, m.Ascent + g.Top + g.Height);
    }
    pen += advances[i];
  }
  CoverageMask mask;
  // Past this size nothing could be shown anyway; it also keeps sizes within 32 bits.
  constexpr Int64 kMaxArea = Int64(1) << 28;
  constexpr Int64 kFar = Int64(1) << 30;   // beyond this from the reference nothing is shown
  if (left >= right || (right - left) * (bottom - top) > kMaxArea || left < -kFar || right > kFar) {
    return mask;
  }
  mask.Left = Integer(left);
  mask.Top = Integer(top);
  mask.Width = Integer(right - left);
  mask.Height = Integer(bottom - top);
  mask.Data.assign(size_t(mask.Width) * size_t(mask.Height), 0);

  pen = 0;
  for (Integer i = 0; i < n; ++i) {
    if (!near(pen, advances[i])) {
      pen += advances[i];
      continue;
    }
    const GlyphImage& g = font.Image(s[i]);
    if (shown(g, pen)) {
      Int64 ox = pen + g.Left - mask.Left, oy = m.Ascent + g.Top - mask.Top;
      for (Integer y = 0; y < g.Height; ++y) {
        Byte* dst = &mask.Data[size_t(oy + y) * size_t(mask.Width) + size_t(ox)];
        const Byte* src = &g.Coverage[size_t(y) * size_t(g.Width)];
        for (Integer x = 0; x < g.Width; ++x) {
          unsigned v = unsigned(dst[x]) + src[x];   // overlapping glyphs add up, saturating
          dst[x] = Byte(std::min(v, 255u));
        }
      }
    }
    pen += advances[i];
  }
  auto bar = [&](Integer row, Integer thickness) {
    Int64 from = std::max<Int64>(std::min<Int64>(0, total), mask.Left);
    Int64 to = std::min<Int64>(std::max<Int64>(0, total), Int64(mask.Left) + mask.Width);
    for (Integer r = row; r < row + thickness; ++r) {
      Integer y = r - mask.Top;
      if (y < 0 || y >= mask.Height) continue;
      for (Int64 x = from; x < to; ++x) mask.Data[size_t(y) * size_t(mask.Width) + size_t(x - mask.Left)] = 255;
    }
  };
  if (underline) bar(m.UnderlineRow, m.UnderlineThickness);
  if (strikeOut) bar(m.StrikeOutRow, m.StrikeOutThickness);
  return mask;
}

TRect TextSpaceBounds(const TRect& r, Integer escapement) {
  double c, s;
  Trig(escapement, c, s);
  double minX = 1e300, minY = 1e300, maxX = -1e300, maxY = -1e300;
  for (double x : {double(r.Left), double(r.Right)}) {
    for (double y : {double(r.Top), double(r.Bottom)}) {
      double tx = x * c - y * s, ty = x * s + y * c;   // the inverse turn
      minX = std::min(minX, tx);
      maxX = std::max(maxX, tx);
      minY = std::min(minY, ty);
      maxY = std::max(maxY, ty);
    }
  }
  auto clampInt = [](double v) { return Integer(std::clamp(v, -2e9, 2e9)); };
  return {clampInt(std::floor(minX)), clampInt(std::floor(minY)), clampInt(std::ceil(maxX)),
          clampInt(std::ceil(maxY))};
}

CoverageMask SolidMask(const TRect& r) {
  CoverageMask mask;
  if (r.IsEmpty()) return mask;
  mask.Left = r.Left;
  mask.Top = r.Top;
  mask.Width = r.Width();
  mask.Height = r.Height();
  mask.Data.assign(size_t(mask.Width) * size_t(mask.Height), 255);
  return mask;
}

TPoint RotateOffset(Integer x, Integer y, Integer escapement) {
  double c, s;
  Trig(escapement, c, s);
  // Counter-clockwise on a screen whose y grows downwards.
  return {Integer(std::lround(x * c + y * s)), Integer(std::lround(-x * s + y * c))};
}

CoverageMask RotateMask(const CoverageMask& mask, Integer escapement) {
  double c, s;
  Trig(escapement, c, s);
  if (c == 1 || mask.IsEmpty()) return mask;
  // The rotated bounds: corners of the source rectangle, turned.
  double xs[2] = {double(mask.Left), double(mask.Left + mask.Width)};
  double ys[2] = {double(mask.Top), double(mask.Top + mask.Height)};
  double minX = 1e300, minY = 1e300, maxX = -1e300, maxY = -1e300;
  for (double x : xs) {
    for (double y : ys) {
      double rx = x * c + y * s, ry = -x * s + y * c;
      minX = std::min(minX, rx);
      maxX = std::max(maxX, rx);
      minY = std::min(minY, ry);
      maxY = std::max(maxY, ry);
    }
  }
  CoverageMask out;
  out.Left = Integer(std::floor(minX));
  out.Top = Integer(std::floor(minY));
  out.Width = Integer(std::ceil(maxX)) - out.Left;
  out.Height = Integer(std::ceil(maxY)) - out.Top;
  out.Data.assign(size_t(out.Width) * size_t(out.Height), 0);
  for (Integer ty = 0; ty < out.Height; ++ty) {
    double dy = out.Top + ty + 0.5;
    for (Integer tx = 0; tx < out.Width; ++tx) {
      double dx = out.Left + tx + 0.5;
      // Inverse turn of the target pixel centre; the source pixel holding it.
      double sx = dx * c - dy * s, sy = dx * s + dy * c;
      Integer px = Integer(std::floor(sx)), py = Integer(std::floor(sy));
      out.Data[size_t(ty) * size_t(out.Width) + size_t(tx)] = mask.At(px, py);
    }
  }
  return out;
}

void AppendRunOutline(FontInstance& font, const Byte* s, Integer n, const Integer* advances,
                      double x, double y, double offsetX, double offsetY, Integer escapement,
                      TextPath& path) {
  TextPath local;
  double pen = offsetX, baseline = offsetY + font.Metrics().Ascent;
  for (Integer i = 0; i < n; ++i) {
    font.AppendOutline(s[i], pen, baseline, local);
    pen += advances[i];
  }
  double c, sn;
  Trig(escapement, c, sn);
  for (TextPath::PointF& p : local.Points) {
    double rx = p.X * c + p.Y * sn, ry = -p.X * sn + p.Y * c;
    p = {x + rx, y + ry};
  }
  path.Verbs.insert(path.Verbs.end(), local.Verbs.begin(), local.Verbs.end());
  path.Points.insert(path.Points.end(), local.Points.begin(), local.Points.end());
}
