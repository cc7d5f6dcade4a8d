#include "platform/gdi/MetafilePlayer.h"

#include "platform/gdi/Codecs.h"
#include "platform/gdi/Font.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace metafile {

namespace {

// Coordinates past this are clamped: far outside any surface, and small enough that the
// raster device's sums stay exact.
constexpr double kCoordClamp = double(1 << 24);

int Clamped(double v) {
  if (!(v == v)) return 0;   // NaN from a degenerate mapping
  return int(std::lround(std::clamp(v, -kCoordClamp, kCoordClamp)));
}

// Device units a logical unit covers along x and y under the page mapping (world and outer
// transforms aside).
void PageScale(const Mapping& m, double& sx, double& sy) {
  const double mmX = m.DevPerMmX, mmY = m.DevPerMmY;
  switch (m.Mode) {
    case MM_TEXT: sx = 1; sy = 1; return;
    case MM_LOMETRIC: sx = mmX / 10; sy = -mmY / 10; return;
    case MM_HIMETRIC: sx = mmX / 100; sy = -mmY / 100; return;
    case MM_LOENGLISH: sx = mmX * 0.254; sy = -mmY * 0.254; return;
    case MM_HIENGLISH: sx = mmX * 0.0254; sy = -mmY * 0.0254; return;
    case MM_TWIPS: sx = mmX * 25.4 / 1440; sy = -mmY * 25.4 / 1440; return;
    default: break;
  }
  sx = m.VpExtX / m.WinExtX;
  sy = m.VpExtY / m.WinExtY;
  if (m.Mode == MM_ISOTROPIC) {
    // The same size along both axes: the smaller scale wins, each keeping its direction.
    const double s = std::min(std::fabs(sx), std::fabs(sy));
    sx = std::copysign(s, sx);
    sy = std::copysign(s, sy);
  }
}

// The bytes of a bitmap file around a DIB: DecodeBmp then checks every size and offset.
std::vector<uint8_t> BmpFileOf(const uint8_t* dib, size_t size) {
  if (size < 12) return {};
  const uint32_t header = U32(dib);
  if (header < 12 || header > size) return {};
  size_t palette = 0;
  if (header == 12) {
    const unsigned bits = U16(dib + 10);
    if (bits <= 8) palette = (size_t(1) << bits) * 3;
  } else {
    if (header < 40) return {};
    const unsigned bits = U16(dib + 14);
    const uint32_t compression = U32(dib + 16), used = U32(dib + 32);
    if (used > 256 && bits <= 8) return {};
    palette = size_t(used ? used : bits <= 8 ? 1u << bits : 0u) * 4;
    if (compression == BI_BITFIELDS && header == 40) palette += 12;
  }
  if (palette > size - header) return {};
  std::vector<uint8_t> f(14 + size);
  const uint32_t total = uint32_t(f.size()), offset = uint32_t(14 + header + palette);
  f[0] = 'B';
  f[1] = 'M';
  std::memcpy(&f[2], &total, 4);
  std::memcpy(&f[10], &offset, 4);
  std::memcpy(&f[14], dib, size);
  return f;
}

HBITMAP BitmapOfDib(const uint8_t* dib, size_t size, UINT usage, bool& bottomUp) {
  // Palette indices name entries of a palette the player does not keep.
  if (usage != DIB_RGB_COLORS) return nullptr;
  const std::vector<uint8_t> file = BmpFileOf(dib, size);
  if (file.empty()) return nullptr;
  DecodeResult r = DecodeBmp(file.data(), file.size());
  if (!r.Ok) return nullptr;
  bottomUp = U32(dib) == 12 || S32(dib + 8) > 0;
  return CreateBitmap(r.Image.Width, r.Image.Height, 1, 32, r.Image.Pixels.data());
}

}  // namespace

Player::Player(HDC dc, size_t objectSlots) : dc_(dc), slots_(std::min(objectSlots, kMaxMetafileObjects)) {
  outerLevel_ = SaveDC(dc_);
}

Player::~Player() {
  if (outerLevel_ > 0) RestoreDC(dc_, outerLevel_);
  for (Slot& s : slots_)
    if (s.Handle) DeleteObject(s.Handle);
}

POINT Player::Pt(double x, double y) const {
  const double wx = x * Map.M11 + y * Map.M21 + Map.Dx, wy = x * Map.M12 + y * Map.M22 + Map.Dy;
  double sx, sy;
  PageScale(Map, sx, sy);
  const double dx = (wx - Map.WinOrgX) * sx + Map.VpOrgX, dy = (wy - Map.WinOrgY) * sy + Map.VpOrgY;
  return {Clamped(dx * Map.OuterSx + Map.OuterDx), Clamped(dy * Map.OuterSy + Map.OuterDy)};
}

RECT Player::Rect(double l, double t, double r, double b) const {
  const POINT a = Pt(l, t), c = Pt(r, b);
  return {std::min(a.X, c.X), std::min(a.Y, c.Y), std::max(a.X, c.X), std::max(a.Y, c.Y)};
}

double Player::ScaleX() const {
  double sx, sy;
  PageScale(Map, sx, sy);
  return sx * Map.OuterSx * std::hypot(Map.M11, Map.M12);
}

double Player::ScaleY() const {
  double sx, sy;
  PageScale(Map, sx, sy);
  return sy * Map.OuterSy * std::hypot(Map.M21, Map.M22);
}

Player::Dest Player::DestOf(double x, double y, double w, double h) const {
  const POINT a = Pt(x, y), b = Pt(x + w, y + h);
  return {a.X, a.Y, b.X - a.X, b.Y - a.Y};
}

void Player::DrawBox(bool ellipse, double l, double t, double r, double b) {
  const RECT box = Rect(l, t, r, b);
  if (ellipse) Ellipse(dc_, box.Left, box.Top, box.Right, box.Bottom);
  else Rectangle(dc_, box.Left, box.Top, box.Right, box.Bottom);
}

void Player::DrawRoundRect(double l, double t, double r, double b, double w, double h) {
  const RECT box = Rect(l, t, r, b);
  RoundRect(dc_, box.Left, box.Top, box.Right, box.Bottom, Clamped(std::fabs(w * ScaleX())),
            Clamped(std::fabs(h * ScaleY())));
}

void Player::ScaleExtents(bool window, double xNum, double xDenom, double yNum, double yDenom) {
  if (!xNum || !xDenom || !yNum || !yDenom) return;
  double& ex = window ? Map.WinExtX : Map.VpExtX;
  double& ey = window ? Map.WinExtY : Map.VpExtY;
  const double nx = ex * xNum / xDenom, ny = ey * yNum / yDenom;
  // Extents that shrink to nothing or overflow would break the mapping; they are refused.
  if (nx == 0 || ny == 0 || !std::isfinite(nx) || !std::isfinite(ny)) return;
  ex = nx;
  ey = ny;
}

HBRUSH Player::MakeBrush(uint32_t style, COLORREF color, uint32_t hatch) {
  if (style == BS_SOLID) return CreateSolidBrush(color);
  if (style == BS_NULL) {
    LOGBRUSH lb{BS_NULL, 0, 0};
    return CreateBrushIndirect(&lb);
  }
  if (style == BS_HATCHED && hatch <= uint32_t(HS_DIAGCROSS)) return CreateHatchBrush(int(hatch), color);
  return nullptr;
}

void Player::AddObject(HGDIOBJ h) {
  for (Slot& s : slots_) {
    if (s.Used) continue;
    s.Used = true;
    s.Handle = h;
    return;
  }
  if (h) DeleteObject(h);
}

void Player::SetObject(size_t index, HGDIOBJ h) {
  if (index >= slots_.size()) {
    if (h) DeleteObject(h);
    return;
  }
  DeleteObjectAt(index);
  slots_[index] = {true, h};
}

void Player::SelectObjectAt(size_t index) {
  if (index < slots_.size() && slots_[index].Handle) SelectObject(dc_, slots_[index].Handle);
}

void Player::DeleteObjectAt(size_t index) {
  if (index >= slots_.size()) return;
  // A selected object lives on in the DC until something else is selected.
  if (slots_[index].Handle) DeleteObject(slots_[index].Handle);
  slots_[index] = {};
}

void Player::Save() {
  if (savedMaps_.size() >= size_t(kMaxMetafileSaveDepth)) return;
  if (SaveDC(dc_) <= 0) return;
  savedMaps_.push_back(Map);
}

void Player::Restore(int level) {
  const int depth = int(savedMaps_.size());
  const int pops = level < 0 ? -level : depth - (level - 1);
  if (pops <= 0 || pops > depth) return;
  RestoreDC(dc_, -pops);
  Map = savedMaps_[size_t(depth - pops)];
  savedMaps_.resize(size_t(depth - pops));
}

HPEN Player::MakePen(UINT style, double width, COLORREF color) const {
  double w = std::fabs(width * ScaleX());
  if (width > 0 && w < 1) w = 1;
  return CreatePen(int(style), int(std::lround(std::min(w, double(kMaxMetafilePenWidth)))), color);
}

HFONT Player::MakeFont(const LOGFONTA& lf) const {
  LOGFONTA f = lf;
  const auto scaled = [](LONG v, double s) {
    const double d = std::clamp(double(v) * std::fabs(s), -double(kMaxMetafileFontHeight),
                                double(kMaxMetafileFontHeight));
    LONG r = LONG(std::lround(d));
    if (v != 0 && r == 0) r = v < 0 ? -1 : 1;
    return r;
  };
  f.lfHeight = scaled(lf.lfHeight, ScaleY());
  f.lfWidth = scaled(lf.lfWidth, ScaleX());
  f.lfFaceName[LF_FACESIZE - 1] = 0;
  return CreateFontIndirectA(&f);
}

void Player::DrawArc(ArcKind kind, double l, double t, double r, double b, double x1, double y1, double x2,
                     double y2) {
  const RECT box = Rect(l, t, r, b);
  POINT p1 = Pt(x1, y1), p2 = Pt(x2, y2);
  // Arcs run counter-clockwise in logical space; a mapping that mirrors one axis turns that
  // round on the device.
  if (Mirrored()) std::swap(p1, p2);
  if (kind == ArcKind::Pie) {
    Pie(dc_, box.Left, box.Top, box.Right, box.Bottom, p1.X, p1.Y, p2.X, p2.Y);
    return;
  }
  const double cx = (box.Left + box.Right) / 2.0, cy = (box.Top + box.Bottom) / 2.0;
  const double rx = (box.Right - box.Left) / 2.0, ry = (box.Bottom - box.Top) / 2.0;
  if (rx <= 0 || ry <= 0) return;
  const double a1 = std::atan2(-(p1.Y - cy) / ry, (p1.X - cx) / rx);
  double a2 = std::atan2(-(p2.Y - cy) / ry, (p2.X - cx) / rx);
  const double kTwoPi = 6.283185307179586;
  while (a2 <= a1) a2 += kTwoPi;
  // Chords of about sqrt(2/r) radians stray a quarter pixel from the curve; the bound keeps
  // a huge, mostly off-surface arc from costing more than a long poly-line record.
  const int steps = int(std::clamp((a2 - a1) * std::sqrt(std::max(rx, ry) * 2), 8.0, 1024.0));
  std::vector<POINT> pts;
  pts.reserve(size_t(steps) + 1);
  for (int i = 0; i <= steps; ++i) {
    const double a = a1 + (a2 - a1) * i / steps;
    pts.push_back({Clamped(cx + rx * std::cos(a)), Clamped(cy - ry * std::sin(a))});
  }
  if (kind == ArcKind::Arc) Polyline(dc_, pts.data(), int(pts.size()));
  else Polygon(dc_, pts.data(), int(pts.size()));
}

void Player::DrawDib(const uint8_t* dib, size_t size, UINT usage, int sx, int sy, int sw, int sh,
                     bool topDownSource, int dx, int dy, int dw, int dh, DWORD rop) {
  bool bottomUp = false;
  HBITMAP bmp = BitmapOfDib(dib, size, usage, bottomUp);
  if (!bmp) return;
  BITMAP info{};
  GetObjectA(bmp, sizeof info, &info);
  // A stretched DIB's source rectangle of a bottom-up DIB counts its rows from the bottom.
  if (!topDownSource && bottomUp) sy = int(info.bmHeight) - sy - sh;
  HDC mem = CreateCompatibleDC(dc_);
  HGDIOBJ old = SelectObject(mem, bmp);
  StretchBlt(dc_, dx, dy, dw, dh, mem, sx, sy, sw, sh, rop);
  SelectObject(mem, old);
  DeleteDC(mem);
  DeleteObject(bmp);
}

std::vector<POINT> Player::Flattened(const std::vector<POINT>& b) {
  std::vector<POINT> out;
  if (b.empty()) return out;
  out.push_back(b[0]);
  constexpr int kSteps = 16;
  for (size_t i = 0; i + 3 < b.size(); i += 3) {
    for (int k = 1; k <= kSteps; ++k) {
      const double t = double(k) / kSteps, u = 1 - t;
      const double c0 = u * u * u, c1 = 3 * u * u * t, c2 = 3 * u * t * t, c3 = t * t * t;
      out.push_back({Clamped(c0 * b[i].X + c1 * b[i + 1].X + c2 * b[i + 2].X + c3 * b[i + 3].X),
                     Clamped(c0 * b[i].Y + c1 * b[i + 1].Y + c2 * b[i + 2].Y + c3 * b[i + 3].Y)});
    }
  }
  return out;
}

HBRUSH Player::MakeDibBrush(const uint8_t* dib, size_t size, UINT usage) {
  bool bottomUp = false;
  HBITMAP bmp = BitmapOfDib(dib, size, usage, bottomUp);
  if (!bmp) return nullptr;
  BITMAP info{};
  GetObjectA(bmp, sizeof info, &info);
  // A pattern is a tile: a brush of a whole picture's size is refused, so brushes a file
  // keeps alive cannot add up to much memory.
  HBRUSH b = int64_t(info.bmWidth) * info.bmHeight <= kMaxMetafilePatternPixels ? CreatePatternBrush(bmp) : nullptr;
  DeleteObject(bmp);
  return b;
}

}  // namespace metafile
