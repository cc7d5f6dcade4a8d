// Enhanced metafiles: records of a 32-bit type and a 32-bit size (a multiple of four), the
// first one the header with the picture's frame in hundredths of a millimetre and the size
// of the device it was made on.
#include "platform/gdi/Curves.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/MetafilePlayer.h"
#include "platform/gdi/Text.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace metafile {

namespace {

constexpr size_t kEmfHeaderSize = 88;
constexpr uint32_t kEmfSignature = 0x464D4520u;
constexpr uint32_t kEmrEof = 14;

MetafileCheck Refused(const std::string& why) {
  MetafileCheck c;
  c.Error = "Enhanced metafile is not valid: " + why;
  return c;
}

}  // namespace

MetafileCheck CheckEnhanced(const uint8_t* data, size_t size) {
  if (size < kEmfHeaderSize) return Refused("its header is cut short");
  if (U32(data + 40) != kEmfSignature) return Refused("its header has no signature");
  const uint32_t headerSize = U32(data + 4);
  const uint64_t declared = U32(data + 48);
  if (headerSize < kEmfHeaderSize || headerSize % 4 || headerSize > declared)
    return Refused("its header claims " + std::to_string(headerSize) + " bytes");
  if (declared > size)
    return Refused("it declares " + std::to_string(declared) + " bytes but holds " + std::to_string(size));
  if (U16(data + 56) > kMaxMetafileObjects)
    return Refused("it declares " + std::to_string(U16(data + 56)) + " objects, more than " +
                   std::to_string(kMaxMetafileObjects));
  size_t at = 0, records = 0;
  while (at < declared) {
    if (declared - at < 8) return Refused("a record is cut short at byte " + std::to_string(at));
    const uint32_t type = U32(data + at), length = U32(data + at + 4);
    if (length < 8 || length % 4 || length > declared - at)
      return Refused("the record at byte " + std::to_string(at) + " claims " + std::to_string(length) +
                     " bytes, past the end");
    if (type == kEmrEof) break;
    if (++records > kMaxMetafileRecords)
      return Refused("it has more than " + std::to_string(kMaxMetafileRecords) + " records");
    at += length;
  }
  MetafileCheck c;
  c.Ok = true;
  c.Enhanced = true;
  c.Records = records;
  return c;
}


namespace {

// The record types played; anything else is skipped.
enum : uint32_t {
  kPolyBezier = 2, kPolygon = 3, kPolyline = 4, kPolyBezierTo = 5, kPolylineTo = 6, kPolyPolyline = 7,
  kPolyPolygon = 8, kSetWindowExtEx = 9, kSetWindowOrgEx = 10, kSetViewportExtEx = 11,
  kSetViewportOrgEx = 12, kSetPixelV = 15, kSetMapMode = 17, kSetBkMode = 18, kSetPolyFillMode = 19,
  kSetRop2 = 20, kSetStretchBltMode = 21, kSetTextAlign = 22, kSetTextColor = 24, kSetBkColor = 25,
  kOffsetClipRgn = 26, kMoveToEx = 27, kExcludeClipRect = 29, kIntersectClipRect = 30,
  kScaleViewportExtEx = 31, kScaleWindowExtEx = 32, kSaveDc = 33, kRestoreDc = 34,
  kSetWorldTransform = 35, kModifyWorldTransform = 36, kSelectObject = 37, kCreatePen = 38,
  kCreateBrushIndirect = 39, kDeleteObject = 40, kEllipse = 42, kRectangle = 43, kRoundRect = 44,
  kArc = 45, kChord = 46, kPie = 47, kCreatePalette = 49, kLineTo = 54, kBeginPath = 59, kEndPath = 60,
  kFillPath = 62, kStrokeAndFillPath = 63, kStrokePath = 64, kSelectClipPath = 67, kAbortPath = 68,
  kExtSelectClipRgn = 75, kBitBlt = 76, kStretchBlt = 77, kSetDiBitsToDevice = 80, kStretchDiBits = 81,
  kExtCreateFontIndirectW = 82, kExtTextOutA = 83, kExtTextOutW = 84, kPolyBezier16 = 85,
  kPolygon16 = 86, kPolyline16 = 87, kPolyBezierTo16 = 88, kPolylineTo16 = 89, kPolyPolyline16 = 90,
  kPolyPolygon16 = 91, kCreateMonoBrush = 93, kCreateDibPatternBrushPt = 94, kExtCreatePen = 95,
  kAngleArc = 41, kSelectPalette = 48, kSetPaletteEntries = 50, kResizePalette = 51, kRealizePalette = 52,
  kArcTo = 55, kPolyDraw = 56, kFillRgn = 71, kFrameRgn = 72, kInvertRgn = 73, kPaintRgn = 74, kMaskBlt = 78,
  kPlgBlt = 79, kPolyDraw16 = 92, kPolyTextOutA = 96, kPolyTextOutW = 97,
};
// EMF+ records travel in comment records (type 70), which this player skips as it skips
// every comment: a dual metafile draws through the plain records that follow them, and a
// metafile of EMF+ records alone draws nothing.

constexpr uint32_t kStockObject = 0x80000000u;

float F32(const Params& r, size_t off) {
  const uint32_t bits = r.U32At(off);
  float f;
  std::memcpy(&f, &bits, 4);
  return std::isfinite(f) ? f : 0.0f;
}

// A record seen whole: fields are read at their offsets after the type and size.
struct Rec {
  Params R;
  int32_t S(size_t off) const { return R.S32At(8 + off); }
  uint32_t U(size_t off) const { return R.U32At(8 + off); }
  // `size` bytes at a record-relative offset and size given by the record; null outside it
  // (an offset of 0, inside the record's own type and size, means none).
  const uint8_t* Part(uint32_t off, uint32_t size) const {
    return off >= 8 && size && R.Has(off, size) ? R.At(off) : nullptr;
  }
};

// The points of a poly record: 32-bit or 16-bit pairs from `off`, no more than the record holds.
std::vector<POINT> PointsOf(const Player& pl, const Rec& r, size_t off, size_t count, bool small) {
  const size_t each = small ? 4 : 8;
  const size_t room = r.R.Has(8 + off, 0) ? (r.R.Size() - 8 - off) / each : 0;
  count = std::min(count, room);
  std::vector<POINT> pts(count);
  for (size_t i = 0; i < count; ++i) {
    const size_t at = 8 + off + i * each;
    pts[i] = small ? pl.Pt(r.R.S16At(at), r.R.S16At(at + 2)) : pl.Pt(r.R.S32At(at), r.R.S32At(at + 4));
  }
  return pts;
}

void PlayPoly(Player& pl, uint32_t type, const Rec& r) {
  HDC dc = pl.Dc();
  const bool small = type >= kPolyBezier16;
  const uint32_t base = small ? type - (kPolyBezier16 - kPolyBezier) : type;
  if (base == kPolyPolyline || base == kPolyPolygon) {
    const size_t polys = r.U(16), total = r.U(20);
    if (!r.R.Has(8 + 24, polys * 4)) return;
    std::vector<INT> counts(polys);
    size_t sum = 0;
    for (size_t i = 0; i < polys; ++i) sum += counts[i] = INT(std::min<uint32_t>(r.U(24 + 4 * i), 1u << 24));
    if (sum != total) return;
    const std::vector<POINT> pts = PointsOf(pl, r, 24 + polys * 4, total, small);
    if (pts.size() != total) return;
    if (base == kPolyPolygon) {
      PolyPolygon(dc, pts.data(), counts.data(), int(polys));
    } else {
      size_t at = 0;
      for (INT n : counts) {
        Polyline(dc, pts.data() + at, n);
        at += size_t(n);
      }
    }
    return;
  }
  std::vector<POINT> pts = PointsOf(pl, r, 20, r.U(16), small);
  if (base == kPolyBezierTo || base == kPolylineTo) {
    POINT cur{};
    GetCurrentPositionEx(dc, &cur);
    pts.insert(pts.begin(), cur);
  }
  if (base == kPolyBezier || base == kPolyBezierTo) pts = Player::Flattened(pts);
  if (base == kPolygon) {
    Polygon(dc, pts.data(), int(pts.size()));
  } else if (base == kPolyBezierTo || base == kPolylineTo) {
    // These draw from the current position and leave it at their last point.
    for (size_t i = 1; i < pts.size(); ++i) LineTo(dc, pts[i].X, pts[i].Y);
  } else {
    Polyline(dc, pts.data(), int(pts.size()));
  }
}

// A text block (its reference point, count, string offset, options, rectangle and spacing
// offset) at `off` of the record; the offsets in it count from the record's start.
void PlayText(Player& pl, bool wide, const Rec& r, size_t off) {
  const POINT at = pl.Pt(r.S(off), r.S(off + 4));
  const uint32_t count = std::min<uint32_t>(r.U(off + 8), 1u << 20), options = r.U(off + 16);
  const uint32_t offString = r.U(off + 12), offDx = r.U(off + 36);
  const size_t charSize = wide ? 2 : 1;
  const uint8_t* chars = r.Part(offString, uint32_t(count * charSize));
  if (!chars) return;
  std::string text(count, '?');
  for (size_t i = 0; i < count; ++i) {
    const unsigned c = charSize == 2 ? U16(chars + 2 * i) : chars[i];
    if (c < 256) text[i] = char(c);
  }
  std::vector<INT> dx;
  if (const uint8_t* d = r.Part(offDx, count * 4)) {
    const double s = std::fabs(pl.ScaleX());
    for (size_t i = 0; i < count; ++i) dx.push_back(INT(std::lround(S32(d + 4 * i) * s)));
  }
  const bool hasRect = (options & (ETO_OPAQUE | ETO_CLIPPED)) != 0;
  const RECT rc = pl.Rect(r.S(off + 20), r.S(off + 24), r.S(off + 28), r.S(off + 32));
  ExtTextOutA(pl.Dc(), at.X, at.Y, options & (ETO_OPAQUE | ETO_CLIPPED), hasRect ? &rc : nullptr, text.data(),
              count, dx.empty() ? nullptr : dx.data());
}

// The strings of a poly-text record, each a text block of 40 bytes after the header.
void PlayPolyText(Player& pl, bool wide, const Rec& r) {
  const size_t strings = r.U(28);
  for (size_t i = 0; i < strings && r.R.Has(8 + 32 + 40 * i, 40); ++i) PlayText(pl, wide, r, 32 + 40 * i);
}

LOGFONTA FontOfW(const Rec& r) {
  LOGFONTA lf{};
  lf.lfHeight = r.S(4);
  lf.lfWidth = r.S(8);
  lf.lfEscapement = r.S(12);
  lf.lfOrientation = r.S(16);
  lf.lfWeight = r.S(20);
  FontBytes(lf, r.R, 8 + 24);
  for (size_t i = 0; i < size_t(LF_FACESIZE - 1); ++i) {
    const uint16_t c = r.R.U16At(8 + 32 + 2 * i);
    if (!c) break;
    lf.lfFaceName[i] = c < 128 ? char(c) : '?';
  }
  return lf;
}

// The transform product a * b (a applied first), as world transforms compose.
void Multiply(Mapping& m, double a11, double a12, double a21, double a22, double adx, double ady, bool left) {
  double b11 = m.M11, b12 = m.M12, b21 = m.M21, b22 = m.M22, bdx = m.Dx, bdy = m.Dy;
  if (!left) {
    std::swap(a11, b11), std::swap(a12, b12), std::swap(a21, b21), std::swap(a22, b22);
    std::swap(adx, bdx), std::swap(ady, bdy);
  }
  m.M11 = a11 * b11 + a12 * b21;
  m.M12 = a11 * b12 + a12 * b22;
  m.M21 = a21 * b11 + a22 * b21;
  m.M22 = a21 * b12 + a22 * b22;
  m.Dx = adx * b11 + ady * b21 + bdx;
  m.Dy = adx * b12 + ady * b22 + bdy;
}

// The BITMAPINFO and bits a record points at, joined as one DIB.
std::vector<uint8_t> DibOf(const Rec& r, uint32_t offBmi, uint32_t cbBmi, uint32_t offBits, uint32_t cbBits) {
  const uint8_t* bmi = r.Part(offBmi, cbBmi);
  const uint8_t* bits = r.Part(offBits, cbBits);
  if (!bmi || !bits) return {};
  std::vector<uint8_t> dib(bmi, bmi + cbBmi);
  dib.insert(dib.end(), bits, bits + cbBits);
  return dib;
}

// The rectangles of a region's data (a 32-byte header, then left, top, right, bottom each)
// at `off` of the record, `cb` bytes long; false when the data are not whole.
bool RegionRects(const Rec& r, size_t off, uint32_t cb, std::vector<RecordRect>& rects) {
  const size_t count = r.U(off + 8);
  if (cb < 32 || r.U(off) != 32 || count > (cb - 32) / 16 || !r.R.Has(8 + off + 32, count * 16)) return false;
  rects.resize(count);
  for (size_t i = 0; i < count; ++i) {
    const size_t at = off + 32 + i * 16;
    rects[i] = {r.S(at), r.S(at + 4), r.S(at + 8), r.S(at + 12)};
  }
  return true;
}

// A record's object: a slot, or a stock object when the top bit is set.
HGDIOBJ ObjectOf(const Player& pl, uint32_t index) {
  return index & kStockObject ? GetStockObject(int(index & ~kStockObject)) : pl.ObjectAt(index);
}

// The region records: their rectangles are in logical units.
void PlayRegion(Player& pl, uint32_t type, const Rec& r) {
  HDC dc = pl.Dc();
  std::vector<RecordRect> rects;
  const size_t data = type == kFrameRgn ? 32 : type == kFillRgn ? 24 : 20;
  if (!RegionRects(r, data, r.U(16), rects)) return;
  const int frameW = pl.FrameSide(r.S(24), true), frameH = pl.FrameSide(r.S(28), false);
  // A frame's width past the picture's bounds keeps the edge they cut the region at from
  // being framed as the region's own.
  HRGN rgn = pl.MapRegion(rects, type == kFrameRgn ? std::max(frameW, frameH) : 0);
  switch (type) {
    case kFillRgn: FillRgn(dc, rgn, static_cast<HBRUSH>(ObjectOf(pl, r.U(20)))); break;
    case kFrameRgn:
      FrameRgn(dc, rgn, static_cast<HBRUSH>(ObjectOf(pl, r.U(20))), frameW, frameH);
      break;
    case kInvertRgn: InvertRgn(dc, rgn); break;
    default: PaintRgn(dc, rgn); break;
  }
  DeleteObject(rgn);
}

// Clip rectangles in the reference device's pixels, taken to the DC's device pixels.
void PlayClipRegion(Player& pl, const Rec& r) {
  HDC dc = pl.Dc();
  const uint32_t cb = r.U(0), mode = r.U(4);
  if (mode < RGN_AND || mode > RGN_COPY) return;
  if (cb == 0) {
    pl.SelectClip(nullptr, int(mode));
    return;
  }
  std::vector<RecordRect> rects;
  if (!RegionRects(r, 8, cb, rects)) return;
  const Mapping& m = pl.Map;
  std::vector<TRect> device;
  for (const RecordRect& q : rects) {
    const auto X = [&](int32_t v) { return int(std::lround(std::clamp(v * m.OuterSx + m.OuterDx, -1e7, 1e7))); };
    const auto Y = [&](int32_t v) { return int(std::lround(std::clamp(v * m.OuterSy + m.OuterDy, -1e7, 1e7))); };
    POINT c[2] = {{X(q.Left), Y(q.Top)}, {X(q.Right), Y(q.Bottom)}};
    LPtoDP(dc, c, 2);
    device.push_back({std::min(c[0].X, c[1].X), std::min(c[0].Y, c[1].Y), std::max(c[0].X, c[1].X),
                      std::max(c[0].Y, c[1].Y)});
  }
  HRGN rgn = static_cast<HRGN>(
      GdiAlloc(std::make_shared<RegionObject>(Region::FromRects(device, pl.Bounds()))));
  pl.SelectClip(rgn, int(mode));
  DeleteObject(rgn);
}

// Points drawn on from the current position as one stroke, which ends there.
void StrokeOn(HDC dc, const std::vector<POINT>& pts) {
  const std::vector<BYTE> types(pts.size(), PT_LINETO);
  PolyDraw(dc, pts.data(), types.data(), int(pts.size()));
}

// An arc about its centre of a radius and start and sweep angles in degrees, sampled in
// logical units so every mapping bends it as it bends the rest of the picture.
void PlayAngleArc(Player& pl, const Rec& r) {
  const double cx = r.S(0), cy = r.S(4), radius = r.U(8);
  const double a1 = F32(r.R, 20) * 3.141592653589793 / 180;
  const double sweep = std::clamp(double(F32(r.R, 24)), -720.0, 720.0) * 3.141592653589793 / 180;
  const double device = radius * std::max(std::fabs(pl.ScaleX()), std::fabs(pl.ScaleY()));
  const int steps = int(std::clamp(std::fabs(sweep) * std::sqrt(std::min(device, 1e12) * 2), 8.0, 1024.0));
  std::vector<POINT> pts;
  for (int i = 0; i <= steps; ++i) {
    const double a = a1 + sweep * i / steps;
    pts.push_back(pl.Pt(cx + radius * std::cos(a), cy - radius * std::sin(a)));
  }
  StrokeOn(pl.Dc(), pts);
}

// A line from the current position to the arc's start, the arc, and the position at its end.
void PlayArcTo(Player& pl, const Rec& r) {
  const RECT box = pl.Rect(r.S(0), r.S(4), r.S(8), r.S(12));
  POINT p1 = pl.Pt(r.S(16), r.S(20)), p2 = pl.Pt(r.S(24), r.S(28));
  const bool mirrored = pl.Mirrored();
  if (mirrored) std::swap(p1, p2);
  std::vector<POINT> pts = ArcPoints(box, p1, p2);
  if (mirrored) std::reverse(pts.begin(), pts.end());
  StrokeOn(pl.Dc(), pts);
}

// Points and their types: a PolyDraw call. A record whose types are bad draws nothing.
void PlayPolyDraw(Player& pl, const Rec& r, bool small) {
  const size_t count = r.U(16), each = small ? 4 : 8;
  if (count == 0 || count > (r.R.Size() - 8) / (each + 1) || !r.R.Has(8 + 20, count * (each + 1))) return;
  const std::vector<POINT> pts = PointsOf(pl, r, 20, count, small);
  const uint8_t* types = r.R.At(8 + 20 + count * each);
  PolyDraw(pl.Dc(), pts.data(), types, int(count));
}

// The masked copies: MaskBlt's rectangle with a quaternary rop, PlgBlt's parallelogram.
void PlayMaskBlt(Player& pl, const Rec& r) {
  const Player::Dest d = pl.DestOf(r.S(16), r.S(20), r.S(24), r.S(28));
  const std::vector<uint8_t> dib = DibOf(r, r.U(76), r.U(80), r.U(84), r.U(88));
  if (dib.empty() && r.U(80)) return;   // a source that cannot be read
  const std::vector<uint8_t> mask = DibOf(r, r.U(104), r.U(108), r.U(112), r.U(116));
  pl.DrawMaskedDib(dib.empty() ? nullptr : dib.data(), dib.size(), r.U(72), r.S(36), r.S(40), r.S(24), r.S(28),
                   mask.empty() ? nullptr : mask.data(), mask.size(), r.S(92), r.S(96), d, r.U(32));
}

void PlayPlgBlt(Player& pl, const Rec& r) {
  const std::vector<uint8_t> dib = DibOf(r, r.U(88), r.U(92), r.U(96), r.U(100));
  if (dib.empty()) return;
  const POINT pts[3] = {pl.Pt(r.S(16), r.S(20)), pl.Pt(r.S(24), r.S(28)), pl.Pt(r.S(32), r.S(36))};
  const std::vector<uint8_t> mask = DibOf(r, r.U(116), r.U(120), r.U(124), r.U(128));
  pl.DrawDibParallelogram(dib.data(), dib.size(), r.U(84), r.S(40), r.S(44), r.S(48), r.S(52),
                          mask.empty() ? nullptr : mask.data(), mask.size(), r.S(104), r.S(108), pts);
}

// Palette records; only palettes the metafile made are changed.
void PlayPalette(Player& pl, uint32_t type, const Rec& r) {
  switch (type) {
    case kCreatePalette: {
      const size_t count = r.R.U16At(8 + 6);
      pl.SetObject(r.U(0), r.R.Has(8 + 8, count * 4) ? Player::MakePalette(r.R.At(8 + 8), count) : nullptr);
      break;
    }
    case kSelectPalette: pl.SelectPaletteObject(ObjectOf(pl, r.U(0))); break;
    case kRealizePalette: RealizePalette(pl.Dc()); break;
    case kResizePalette: pl.ResizeOwned(pl.ObjectAt(r.U(0)), r.U(4)); break;
    default: {   // SetPaletteEntries
      const size_t count = r.U(8);
      if (pl.OwnsObject(pl.ObjectAt(r.U(0))) && count <= 0xFFFF && r.R.Has(8 + 12, count * 4))
        Player::SetEntries(pl.ObjectAt(r.U(0)), r.U(4), r.R.At(8 + 12), count);
      break;
    }
  }
}

// Records that draw lines, curves, shapes or text: in an open path, all they do is add to it.
bool Draws(uint32_t type) {
  switch (type) {
    case kPolyBezier: case kPolygon: case kPolyline: case kPolyBezierTo: case kPolylineTo:
    case kPolyPolyline: case kPolyPolygon: case kPolyBezier16: case kPolygon16: case kPolyline16:
    case kPolyBezierTo16: case kPolylineTo16: case kPolyPolyline16: case kPolyPolygon16:
    case kAngleArc: case kRectangle: case kArc: case kChord: case kLineTo: case kArcTo:
    case kPolyDraw: case kPolyDraw16: case kExtTextOutA: case kExtTextOutW: case kPolyTextOutA:
    case kPolyTextOutW:
      return true;
    default: return false;
  }
}

void PlayRecord(Player& pl, uint32_t type, const Rec& r) {
  HDC dc = pl.Dc();
  Mapping& m = pl.Map;
  // A path stopped at its cap takes nothing more: the curves and text such a record would
  // add are not even sampled or laid out.
  if (Draws(type) && pl.PathStopped()) return;
  switch (type) {
    case kPolyBezier: case kPolygon: case kPolyline: case kPolyBezierTo: case kPolylineTo:
    case kPolyPolyline: case kPolyPolygon: case kPolyBezier16: case kPolygon16: case kPolyline16:
    case kPolyBezierTo16: case kPolylineTo16: case kPolyPolyline16: case kPolyPolygon16:
      PlayPoly(pl, type, r);
      break;
    case kSetWindowExtEx:
      if (r.S(0) && r.S(4)) m.WinExtX = r.S(0), m.WinExtY = r.S(4);
      break;
    case kSetViewportExtEx:
      if (r.S(0) && r.S(4)) m.VpExtX = r.S(0), m.VpExtY = r.S(4);
      break;
    case kSetWindowOrgEx: m.WinOrgX = r.S(0), m.WinOrgY = r.S(4); break;
    case kSetViewportOrgEx: m.VpOrgX = r.S(0), m.VpOrgY = r.S(4); break;
    case kScaleViewportExtEx:
    case kScaleWindowExtEx:
      pl.ScaleExtents(type == kScaleWindowExtEx, r.S(0), r.S(4), r.S(8), r.S(12));
      break;
    case kSetPixelV: {
      const POINT p = pl.Pt(r.S(0), r.S(4));
      SetPixelV(dc, p.X, p.Y, Player::Color(r.U(8)));
      break;
    }
    case kSetMapMode:
      if (r.U(0) >= uint32_t(MM_TEXT) && r.U(0) <= uint32_t(MM_ANISOTROPIC)) m.Mode = int(r.U(0));
      break;
    case kSetBkMode: SetBkMode(dc, int(r.U(0))); break;
    case kSetPolyFillMode: SetPolyFillMode(dc, int(r.U(0))); break;
    case kSetRop2: SetROP2(dc, int(r.U(0))); break;
    case kSetStretchBltMode: SetStretchBltMode(dc, int(r.U(0))); break;
    case kSetTextAlign: SetTextAlign(dc, r.U(0)); break;
    case kSetTextColor: SetTextColor(dc, Player::Color(r.U(0))); break;
    case kSetBkColor: SetBkColor(dc, Player::Color(r.U(0))); break;
    case kOffsetClipRgn:
      pl.OffsetClip(int(std::lround(r.S(0) * pl.ScaleX())), int(std::lround(r.S(4) * pl.ScaleY())));
      break;
    case kMoveToEx:
    case kLineTo: {
      const POINT p = pl.Pt(r.S(0), r.S(4));
      if (type == kMoveToEx) MoveToEx(dc, p.X, p.Y, nullptr);
      else LineTo(dc, p.X, p.Y);
      break;
    }
    case kExcludeClipRect:
    case kIntersectClipRect: {
      const RECT c = pl.Rect(r.S(0), r.S(4), r.S(8), r.S(12));
      if (type == kIntersectClipRect) IntersectClipRect(dc, c.Left, c.Top, c.Right, c.Bottom);
      else ExcludeClipRect(dc, c.Left, c.Top, c.Right, c.Bottom);
      break;
    }
    case kSaveDc: pl.Save(); break;
    case kRestoreDc: pl.Restore(r.S(0)); break;
    case kSetWorldTransform:
      m.M11 = F32(r.R, 8), m.M12 = F32(r.R, 12), m.M21 = F32(r.R, 16), m.M22 = F32(r.R, 20);
      m.Dx = F32(r.R, 24), m.Dy = F32(r.R, 28);
      break;
    case kModifyWorldTransform: {
      const uint32_t mode = r.U(24);
      if (mode == 1) {
        m.M11 = m.M22 = 1;
        m.M12 = m.M21 = m.Dx = m.Dy = 0;
      } else if (mode == 2 || mode == 3) {
        Multiply(m, F32(r.R, 8), F32(r.R, 12), F32(r.R, 16), F32(r.R, 20), F32(r.R, 24), F32(r.R, 28),
                 mode == 2);
      }
      break;
    }
    case kSelectObject: {
      const uint32_t index = r.U(0);
      if (index & kStockObject) {
        if (HGDIOBJ stock = GetStockObject(int(index & ~kStockObject))) SelectObject(dc, stock);
      } else {
        pl.SelectObjectAt(index);
      }
      break;
    }
    case kDeleteObject: pl.DeleteObjectAt(r.U(0)); break;
    case kCreatePen:
      pl.SetObject(r.U(0), pl.MakePen(r.U(4), r.S(8), Player::Color(r.U(16))));
      break;
    case kExtCreatePen:
      pl.SetObject(r.U(0), pl.MakePen(r.U(20) & (PS_STYLE_MASK | PS_ENDCAP_MASK | PS_JOIN_MASK), r.U(24),
                                      Player::Color(r.U(32))));
      break;
    case kCreateBrushIndirect:
      pl.SetObject(r.U(0), Player::MakeBrush(r.U(4), Player::Color(r.U(8)), r.U(12)));
      break;
    case kCreateDibPatternBrushPt: {
      const std::vector<uint8_t> dib = DibOf(r, r.U(8), r.U(12), r.U(16), r.U(20));
      pl.SetObject(r.U(0), dib.empty() ? nullptr : pl.MakeDibBrush(dib.data(), dib.size(), r.U(4)));
      break;
    }
    case kCreateMonoBrush: pl.SetObject(r.U(0), nullptr); break;
    case kCreatePalette: case kSelectPalette: case kRealizePalette: case kResizePalette: case kSetPaletteEntries:
      PlayPalette(pl, type, r);
      break;
    case kFillRgn: case kFrameRgn: case kInvertRgn: case kPaintRgn: PlayRegion(pl, type, r); break;
    case kAngleArc: PlayAngleArc(pl, r); break;
    case kArcTo: PlayArcTo(pl, r); break;
    case kPolyDraw: case kPolyDraw16: PlayPolyDraw(pl, r, type == kPolyDraw16); break;
    case kMaskBlt: PlayMaskBlt(pl, r); break;
    case kPlgBlt: PlayPlgBlt(pl, r); break;
    case kPolyTextOutA: case kPolyTextOutW: PlayPolyText(pl, type == kPolyTextOutW, r); break;
    case kExtCreateFontIndirectW: {
      const LOGFONTA lf = FontOfW(r);
      pl.SetObject(r.U(0), pl.MakeFont(lf));
      break;
    }
    case kEllipse:
    case kRectangle: pl.DrawBox(type == kEllipse, r.S(0), r.S(4), r.S(8), r.S(12)); break;
    case kRoundRect: pl.DrawRoundRect(r.S(0), r.S(4), r.S(8), r.S(12), r.S(16), r.S(20)); break;
    case kArc:
    case kChord:
    case kPie:
      pl.DrawArc(type == kArc ? Player::ArcKind::Arc : type == kPie ? Player::ArcKind::Pie : Player::ArcKind::Chord,
                 r.S(0), r.S(4), r.S(8), r.S(12), r.S(16), r.S(20), r.S(24), r.S(28));
      break;
    case kBeginPath: BeginPath(dc); break;
    case kEndPath: EndPath(dc); break;
    case kFillPath: FillPath(dc); break;
    case kStrokeAndFillPath: StrokeAndFillPath(dc); break;
    case kStrokePath: StrokePath(dc); break;
    case kAbortPath: AbortPath(dc); break;
    case kSelectClipPath: SelectClipPath(dc, int(r.U(0))); break;
    case kExtSelectClipRgn: PlayClipRegion(pl, r); break;
    case kExtTextOutA:
    case kExtTextOutW: PlayText(pl, type == kExtTextOutW, r, 28); break;
    case kBitBlt:
    case kStretchBlt: {
      const Player::Dest d = pl.DestOf(r.S(16), r.S(20), r.S(24), r.S(28));
      const DWORD rop = r.U(32);
      const uint32_t cbBmi = r.U(80);
      if (cbBmi == 0) {   // no source: a pattern fill
        PatBlt(dc, d.X, d.Y, d.W, d.H, rop);
        break;
      }
      const std::vector<uint8_t> dib = DibOf(r, r.U(76), cbBmi, r.U(84), r.U(88));
      if (dib.empty()) break;
      const int sw = type == kStretchBlt ? r.S(92) : r.S(24), sh = type == kStretchBlt ? r.S(96) : r.S(28);
      pl.DrawDib(dib.data(), dib.size(), r.U(72), r.S(36), r.S(40), sw, sh, true, d.X, d.Y, d.W, d.H, rop);
      break;
    }
    case kStretchDiBits: {
      const std::vector<uint8_t> dib = DibOf(r, r.U(40), r.U(44), r.U(48), r.U(52));
      if (dib.empty()) break;
      const Player::Dest d = pl.DestOf(r.S(16), r.S(20), r.S(64), r.S(68));
      pl.DrawDib(dib.data(), dib.size(), r.U(56), r.S(24), r.S(28), r.S(32), r.S(36), false, d.X, d.Y, d.W, d.H,
                 r.U(60));
      break;
    }
    case kSetDiBitsToDevice: {
      const std::vector<uint8_t> dib = DibOf(r, r.U(40), r.U(44), r.U(48), r.U(52));
      if (dib.empty()) break;
      const POINT p = pl.Pt(r.S(16), r.S(20));
      const int w = r.S(32), h = r.S(36);
      pl.DrawDib(dib.data(), dib.size(), r.U(56), r.S(24), r.S(28), w, h, false, p.X, p.Y, w, h, SRCCOPY);
      break;
    }
    default: break;   // a record this player does not know, or one with nothing to draw
  }
}

}  // namespace

bool PlayEnhanced(HDC dc, const uint8_t* data, size_t size, const RECT& target) {
  (void)size;   // the check has bounded every record by the declared size
  const uint64_t declared = U32(data + 48);
  Player pl(dc, U16(data + 56));
  Mapping& m = pl.Map;
  m.Mode = MM_TEXT;
  m.WinExtX = m.WinExtY = m.VpExtX = m.VpExtY = 1;
  // The reference device's pixels a millimetre, then the frame in those pixels.
  const double devX = S32(data + 72), devY = S32(data + 76), mmX = S32(data + 80), mmY = S32(data + 84);
  if (devX > 0 && devY > 0 && mmX > 0 && mmY > 0) {
    m.DevPerMmX = devX / mmX;
    m.DevPerMmY = devY / mmY;
  }
  double fl = S32(data + 24) * m.DevPerMmX / 100, ft = S32(data + 28) * m.DevPerMmY / 100;
  double fr = S32(data + 32) * m.DevPerMmX / 100, fb = S32(data + 36) * m.DevPerMmY / 100;
  if (fr == fl || fb == ft) {   // no frame: the bounds, in the reference device's pixels
    fl = S32(data + 8), ft = S32(data + 12), fr = S32(data + 16) + 1.0, fb = S32(data + 20) + 1.0;
  }
  if (fr == fl) fr = fl + 1;
  if (fb == ft) fb = ft + 1;
  m.OuterSx = (target.Right - target.Left) / (fr - fl);
  m.OuterSy = (target.Bottom - target.Top) / (fb - ft);
  m.OuterDx = target.Left - fl * m.OuterSx;
  m.OuterDy = target.Top - ft * m.OuterSy;
  size_t at = U32(data + 4);   // the records after the header
  while (at < declared) {
    const uint32_t type = U32(data + at), length = U32(data + at + 4);
    if (type == kEmrEof) break;
    PlayRecord(pl, type, Rec{Params(data + at, length)});
    at += length;
  }
  return true;
}

}  // namespace metafile
