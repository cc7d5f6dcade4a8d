#include "platform/gdi/MetafilePlayer.h"

#include "platform/gdi/Codecs.h"
#include "platform/gdi/Curves.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Font.h"

#include <algorithm>
#include <climits>
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

// A DIB whose colour table holds 16-bit palette indices, rewritten with the colours they name
// in `pal` (an index past its end takes the first entry, as drawing does); empty when the
// DIB has no colour table to resolve.
std::vector<uint8_t> ResolvedPalColors(const uint8_t* dib, size_t size, const PaletteObject* pal) {
  if (size < 40 || !pal || pal->Entries.empty()) return {};
  const uint32_t header = U32(dib);
  if (header < 40 || header > size) return {};
  const unsigned bits = U16(dib + 14);
  const uint32_t used = U32(dib + 32);
  if (bits > 8 || used > 256) return {};
  const size_t n = used ? used : size_t(1) << bits;
  if (n * 2 > size - header) return {};
  std::vector<uint8_t> out(dib, dib + header);
  for (size_t i = 0; i < n; ++i) {
    const COLORREF c = pal->ColorAt(U16(dib + header + 2 * i));
    out.insert(out.end(), {GetBValue(c), GetGValue(c), GetRValue(c), 0});
  }
  out.insert(out.end(), dib + header + n * 2, dib + size);
  return out;
}

HBITMAP BitmapOfDib(const uint8_t* dib, size_t size, bool& bottomUp) {
  const std::vector<uint8_t> file = BmpFileOf(dib, size);
  if (file.empty()) return nullptr;
  DecodeResult r = DecodeBmp(file.data(), file.size());
  if (!r.Ok) return nullptr;
  bottomUp = U32(dib) == 12 || S32(dib + 8) > 0;
  return CreateBitmap(r.Image.Width, r.Image.Height, 1, 32, r.Image.Pixels.data());
}

// The pixels a DIB's header declares (0 when it has no header to read).
int64_t DeclaredPixels(const uint8_t* dib, size_t size) {
  if (!dib || size < 12) return 0;
  const uint32_t header = U32(dib);
  if (header == 12) return int64_t(U16(dib + 4)) * U16(dib + 6);
  if (header < 40 || size < 40) return 0;
  return std::abs(int64_t(S32(dib + 4))) * std::abs(int64_t(S32(dib + 8)));
}

// A monochrome bitmap of a colour one: its non-black pixels set. The colour one is deleted.
HBITMAP MonoOf(HBITMAP color) {
  if (!color) return nullptr;
  const Surface& from = *BitmapFromHandle(color)->Pixels;
  HBITMAP mono = CreateBitmap(from.Width(), from.Height(), 1, 1, nullptr);
  if (mono) {
    Surface& to = *BitmapFromHandle(mono)->Pixels;
    for (Integer y = 0; y < from.Height(); ++y)
      for (Integer x = 0; x < from.Width(); ++x) to.Set(x, y, from.At(x, y) ? kPixelMask : 0);
  }
  DeleteObject(color);
  return mono;
}

// A memory DC holding `bmp` (which may be null) for as long as it lives.
class MemoryDc {
 public:
  MemoryDc(HDC like, HBITMAP bmp) : dc_(bmp ? CreateCompatibleDC(like) : nullptr) {
    if (dc_) old_ = SelectObject(dc_, bmp);
  }
  ~MemoryDc() {
    if (!dc_) return;
    SelectObject(dc_, old_);
    DeleteDC(dc_);
  }
  MemoryDc(const MemoryDc&) = delete;
  MemoryDc& operator=(const MemoryDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
  HGDIOBJ old_ = nullptr;
};

// A masked copy bigger than this many device pixels is not drawn: its stretched source and
// mask are made whole.
constexpr int64_t kMaxMaskedPixels = int64_t(1) << 22;

}  // namespace

Player::Player(HDC dc, size_t objectSlots) : dc_(dc), slots_(std::min(objectSlots, kMaxMetafileObjects)) {
  outerLevel_ = SaveDC(dc_);
  callerClip_ = CreateRectRgn(0, 0, 0, 0);
  if (GetClipRgn(dc_, callerClip_) != 1) {
    DeleteObject(callerClip_);
    callerClip_ = nullptr;
  }
  LPtoDP(dc_, &logicalToDevice_, 1);
  RECT box{};
  if (GetClipBox(dc_, &box) > NULLREGION)
    bounds_ = {box.Left + logicalToDevice_.X, box.Top + logicalToDevice_.Y,
               box.Right + logicalToDevice_.X, box.Bottom + logicalToDevice_.Y};
  // The records draw with no path of the caller's open: theirs would take the picture.
  if (DeviceContext* d = DcFromHandle(dc_)) callersPath_ = d->TakePath();
}

Player::~Player() {
  if (outerLevel_ > 0) RestoreDC(dc_, outerLevel_);
  if (DeviceContext* d = DcFromHandle(dc_)) d->PutPath(std::move(callersPath_));
  for (Slot& s : slots_)
    if (s.Handle) DeleteObject(s.Handle);
  if (callerClip_) DeleteObject(callerClip_);
}

HRGN Player::MapRegion(const std::vector<RecordRect>& rects, int margin) const {
  // The bounds, with their margin, in the DC's logical coordinates.
  const TRect within{
      bounds_.Left - margin - logicalToDevice_.X, bounds_.Top - margin - logicalToDevice_.Y,
      bounds_.Right + margin - logicalToDevice_.X, bounds_.Bottom + margin - logicalToDevice_.Y};
  Region rgn;
  if (bounds_.IsEmpty()) {
    // Nothing can be drawn: no region to build.
  } else if (Map.M12 == 0 && Map.M21 == 0) {
    std::vector<TRect> out;
    out.reserve(rects.size());
    for (const RecordRect& r : rects) {
      const RECT m = Rect(r.Left, r.Top, r.Right, r.Bottom);
      if (m.Left < m.Right && m.Top < m.Bottom) out.push_back({m.Left, m.Top, m.Right, m.Bottom});
    }
    rgn = Region::FromRects(out, within);
  } else {
    std::vector<std::vector<TPoint>> polys;
    polys.reserve(rects.size());
    for (const RecordRect& r : rects) {
      std::vector<TPoint> p;
      for (const auto& c :
           {std::pair{r.Left, r.Top}, {r.Right, r.Top}, {r.Right, r.Bottom}, {r.Left, r.Bottom}}) {
        const POINT q = Pt(c.first, c.second);
        p.push_back({q.X, q.Y});
      }
      polys.push_back(std::move(p));
    }
    rgn = Region::Polygon(polys, PolyFillMode::Winding, within);
  }
  return static_cast<HRGN>(GdiAlloc(std::make_shared<RegionObject>(std::move(rgn))));
}

void Player::ToDevice(HRGN rgn) const { OffsetRgn(rgn, logicalToDevice_.X, logicalToDevice_.Y); }

void Player::SelectClip(HRGN rgn, int mode) {
  if (mode < RGN_AND || mode > RGN_COPY) return;
  if (!rgn) {
    // No region with RGN_COPY: back to the clip playback started with.
    if (mode == RGN_COPY) SelectClipRgn(dc_, callerClip_);
    return;
  }
  // The clip now lies inside the caller's, so only an added region could reach past it.
  if (callerClip_) CombineRgn(rgn, rgn, callerClip_, RGN_AND);
  ExtSelectClipRgn(dc_, rgn, mode);
}

bool Player::PathStopped() const {
  const DeviceContext* d = DcFromHandle(dc_);
  return d && d->PathStopped();
}

void Player::OffsetClip(int dx, int dy) {
  OffsetClipRgn(dc_, dx, dy);
  if (callerClip_) ExtSelectClipRgn(dc_, callerClip_, RGN_AND);
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

int Player::FrameSide(double v, bool alongX) const {
  const double d = std::fabs(v * (alongX ? ScaleX() : ScaleY()));
  return int(std::clamp(std::lround(std::min(d, 1e9)), 1L, long(kMaxMetafilePenWidth)));
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
  const std::vector<POINT> pts = ArcPoints(box, p1, p2);
  if (pts.empty()) return;
  if (kind == ArcKind::Arc) Polyline(dc_, pts.data(), int(pts.size()));
  else Polygon(dc_, pts.data(), int(pts.size()));
}

void Player::DrawDib(const uint8_t* dib, size_t size, UINT usage, int sx, int sy, int sw, int sh,
                     bool topDownSource, int dx, int dy, int dw, int dh, DWORD rop) {
  bool bottomUp = false;
  HBITMAP bmp = BitmapOf(dib, size, usage, bottomUp);
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
  return FlattenedBezier(b.data(), b.size());
}

bool Player::Charge(const uint8_t* dib, size_t size) {
  const int64_t pixels = DeclaredPixels(dib, size);
  if (pixels > dibPixelsLeft_) return false;
  dibPixelsLeft_ -= pixels;
  return true;
}

HBITMAP Player::BitmapOf(const uint8_t* dib, size_t size, UINT usage, bool& bottomUp) {
  if (!Charge(dib, size)) return nullptr;
  if (usage == DIB_RGB_COLORS) return BitmapOfDib(dib, size, bottomUp);
  if (usage != DIB_PAL_COLORS) return nullptr;
  const std::vector<uint8_t> resolved =
      ResolvedPalColors(dib, size, PaletteFromHandle(GetCurrentObject(dc_, OBJ_PAL)));
  return resolved.empty() ? nullptr : BitmapOfDib(resolved.data(), resolved.size(), bottomUp);
}

HBITMAP Player::MaskOf(const uint8_t* dib, size_t size) {
  bool bottomUp = false;
  return dib && Charge(dib, size) ? MonoOf(BitmapOfDib(dib, size, bottomUp)) : nullptr;
}

void Player::DrawMaskedDib(const uint8_t* dib, size_t size, UINT usage, int sx, int sy, int sw, int sh,
                           const uint8_t* mask, size_t maskSize, int mx, int my, const Dest& d, DWORD rop4) {
  const DWORD fore = rop4 & 0x00FFFFFFu;
  HBITMAP monoMask = MaskOf(mask, maskSize);
  if (!monoMask) {
    if (dib) DrawDib(dib, size, usage, sx, sy, sw, sh, true, d.X, d.Y, d.W, d.H, fore);
    else PatBlt(dc_, d.X, d.Y, d.W, d.H, fore);
    return;
  }
  bool bottomUp = false;
  HBITMAP source = dib ? BitmapOf(dib, size, usage, bottomUp) : nullptr;
  const int w = std::abs(d.W), h = std::abs(d.H);
  if (w > 0 && h > 0 && sw > 0 && sh > 0 && int64_t(w) * h <= kMaxMaskedPixels && (source || !dib)) {
    // The source and the mask are stretched to the destination's size (mirrored as it is),
    // then combined pixel for pixel.
    HBITMAP fitMask = CreateBitmap(w, h, 1, 1, nullptr);
    HBITMAP fitSource = source ? CreateBitmap(w, h, 1, 32, nullptr) : nullptr;
    {
      MemoryDc maskFrom(dc_, monoMask), maskTo(dc_, fitMask), srcFrom(dc_, source), srcTo(dc_, fitSource);
      const int x0 = d.W < 0 ? w - 1 : 0, y0 = d.H < 0 ? h - 1 : 0, cx = d.W < 0 ? -w : w, cy = d.H < 0 ? -h : h;
      if (maskTo.Get()) StretchBlt(maskTo.Get(), x0, y0, cx, cy, maskFrom.Get(), mx, my, sw, sh, SRCCOPY);
      if (srcTo.Get()) StretchBlt(srcTo.Get(), x0, y0, cx, cy, srcFrom.Get(), sx, sy, sw, sh, SRCCOPY);
      if (fitMask && (!source || srcTo.Get()))
        MaskBlt(dc_, std::min(d.X, d.X + d.W), std::min(d.Y, d.Y + d.H), w, h, srcTo.Get(), 0, 0, fitMask, 0, 0,
                rop4);
    }
    if (fitMask) DeleteObject(fitMask);
    if (fitSource) DeleteObject(fitSource);
  }
  if (source) DeleteObject(source);
  DeleteObject(monoMask);
}

void Player::DrawDibParallelogram(const uint8_t* dib, size_t size, UINT usage, int sx, int sy, int sw, int sh,
                                  const uint8_t* mask, size_t maskSize, int mx, int my, const POINT* pts) {
  bool bottomUp = false;
  HBITMAP source = BitmapOf(dib, size, usage, bottomUp);
  if (!source) return;
  HBITMAP monoMask = MaskOf(mask, maskSize);
  {
    MemoryDc from(dc_, source);
    if (from.Get()) PlgBlt(dc_, pts, from.Get(), sx, sy, sw, sh, monoMask, mx, my);
  }
  if (monoMask) DeleteObject(monoMask);
  DeleteObject(source);
}

void Player::SelectPaletteObject(HGDIOBJ pal) {
  if (!pal) pal = GetStockObject(DEFAULT_PALETTE);
  if (GetObjectType(pal) == OBJ_PAL) SelectPalette(dc_, static_cast<HPALETTE>(pal), FALSE);
}

bool Player::OwnsObject(HGDIOBJ h) const {
  if (!h) return false;
  for (const Slot& s : slots_)
    if (s.Handle == h) return true;
  return false;
}

HPALETTE Player::MakePalette(const uint8_t* entries, size_t count) {
  if (!entries || count == 0 || count > 0xFFFF) return nullptr;
  std::vector<uint8_t> lp(sizeof(LOGPALETTE) + count * sizeof(PALETTEENTRY));
  auto* pal = reinterpret_cast<LOGPALETTE*>(lp.data());
  pal->palVersion = 0x300;
  pal->palNumEntries = WORD(count);
  std::memcpy(pal->palPalEntry, entries, count * sizeof(PALETTEENTRY));
  return CreatePalette(pal);
}

void Player::ResizeOwned(HGDIOBJ pal, size_t entries) const {
  if (OwnsObject(pal) && entries <= kMaxMetafilePaletteEntries) ResizePalette(static_cast<HPALETTE>(pal), UINT(entries));
}

void Player::SetEntries(HGDIOBJ pal, size_t start, const uint8_t* entries, size_t count) {
  if (!entries || count == 0 || start > 0xFFFF) return;
  std::vector<PALETTEENTRY> e(count);
  std::memcpy(e.data(), entries, count * sizeof(PALETTEENTRY));
  SetPaletteEntries(static_cast<HPALETTE>(pal), UINT(start), UINT(count), e.data());
}

HBRUSH Player::MakeDibBrush(const uint8_t* dib, size_t size, UINT usage) {
  // A pattern is a tile: a brush of a whole picture's size is refused, so brushes a file
  // keeps alive cannot add up to much memory; its header tells before anything is decoded.
  if (DeclaredPixels(dib, size) > kMaxMetafilePatternPixels) return nullptr;
  bool bottomUp = false;
  HBITMAP bmp = BitmapOf(dib, size, usage, bottomUp);
  if (!bmp) return nullptr;
  HBRUSH b = CreatePatternBrush(bmp);
  DeleteObject(bmp);
  return b;
}

}  // namespace metafile
