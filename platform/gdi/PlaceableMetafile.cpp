// Placeable metafiles: the 22-byte header (key, handle, box, units per inch, checksum), then
// the 18-byte metafile header and records of a size in 16-bit words, a function number and
// parameters, most of them given last-first.
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/MetafilePlayer.h"
#include "platform/gdi/ScanConvert.h"
#include "platform/gdi/Text.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace metafile {

MetafileCheck CheckEnhanced(const uint8_t* data, size_t size);
bool PlayEnhanced(HDC dc, const uint8_t* data, size_t size, const RECT& target);

namespace {

constexpr size_t kMetaHeaderSize = 18;
constexpr size_t kRecordHeaderSize = 6;

// The record functions played; anything else is skipped.
enum : uint16_t {
  kEof = 0x0000,
  kSaveDc = 0x001E,
  kRealizePalette = 0x0035,
  kSetPalEntries = 0x0037,
  kInvertRegion = 0x012A,
  kPaintRegion = 0x012B,
  kSelectClipRegion = 0x012C,
  kResizePalette = 0x0139,
  kFillRegion = 0x0228,
  kSelectPalette = 0x0234,
  kFrameRegion = 0x0429,
  kSetBkMode = 0x0102,
  kSetMapMode = 0x0103,
  kSetRop2 = 0x0104,
  kSetPolyFillMode = 0x0106,
  kSetStretchBltMode = 0x0107,
  kRestoreDc = 0x0127,
  kSelectObject = 0x012D,
  kSetTextAlign = 0x012E,
  kDibCreatePatternBrush = 0x0142,
  kDeleteObject = 0x01F0,
  kCreatePatternBrush = 0x01F9,
  kSetBkColor = 0x0201,
  kSetTextColor = 0x0209,
  kSetWindowOrg = 0x020B,
  kSetWindowExt = 0x020C,
  kSetViewportOrg = 0x020D,
  kSetViewportExt = 0x020E,
  kOffsetWindowOrg = 0x020F,
  kOffsetViewportOrg = 0x0211,
  kLineTo = 0x0213,
  kMoveTo = 0x0214,
  kOffsetClipRgn = 0x0220,
  kCreatePenIndirect = 0x02FA,
  kCreateFontIndirect = 0x02FB,
  kCreateBrushIndirect = 0x02FC,
  kCreatePalette = 0x00F7,
  kPolygon = 0x0324,
  kPolyline = 0x0325,
  kScaleWindowExt = 0x0410,
  kScaleViewportExt = 0x0412,
  kExcludeClipRect = 0x0415,
  kIntersectClipRect = 0x0416,
  kEllipse = 0x0418,
  kRectangle = 0x041B,
  kSetPixel = 0x041F,
  kTextOut = 0x0521,
  kPolyPolygon = 0x0538,
  kRoundRect = 0x061C,
  kPatBlt = 0x061D,
  kCreateRegion = 0x06FF,
  kArc = 0x0817,
  kPie = 0x081A,
  kChord = 0x0830,
  kDibBitBlt = 0x0940,
  kExtTextOut = 0x0A32,
  kDibStretchBlt = 0x0B41,
  kSetDibToDev = 0x0D33,
  kStretchDib = 0x0F43,
};

struct Walk {
  const uint8_t* Begin;   // the metafile header
  size_t End;             // bytes of records and header, as declared
};

MetafileCheck Refused(const std::string& why) {
  MetafileCheck c;
  c.Error = "Metafile is not valid: " + why;
  return c;
}

MetafileCheck CheckPlaceable(const uint8_t* data, size_t size, Walk* walk) {
  if (size < kPlaceableHeaderSize) return Refused("its header is cut short");
  if (U16(data + 14) == 0) return Refused("no units per inch");
  MetafileCheck c;
  c.Ok = true;
  const uint8_t* p = data + kPlaceableHeaderSize;
  const size_t n = size - kPlaceableHeaderSize;
  if (walk) *walk = {p, 0};
  if (n == 0) return c;   // a header alone: a picture with nothing in it
  if (n < kMetaHeaderSize) return Refused("its metafile header is cut short");
  const uint16_t type = U16(p), headerWords = U16(p + 2);
  if ((type != 1 && type != 2) || headerWords != kMetaHeaderSize / 2)
    return Refused("its metafile header is of an unknown kind");
  const uint64_t declared = uint64_t(U32(p + 6)) * 2;
  if (declared > n)
    return Refused("it declares " + std::to_string(declared) + " bytes of records but holds " + std::to_string(n));
  if (declared < kMetaHeaderSize) return Refused("it declares fewer bytes than its own header");
  size_t at = kMetaHeaderSize;
  size_t records = 0;
  while (at < declared) {
    if (declared - at < kRecordHeaderSize) return Refused("a record is cut short at byte " + std::to_string(at));
    const uint64_t length = uint64_t(U32(p + at)) * 2;
    if (length < kRecordHeaderSize || length > declared - at)
      return Refused("the record at byte " + std::to_string(at) + " claims " + std::to_string(length) +
                     " bytes, past the end");
    if (U16(p + at + 4) == kEof) break;
    if (++records > kMaxMetafileRecords)
      return Refused("it has more than " + std::to_string(kMaxMetafileRecords) + " records");
    at += size_t(length);
  }
  c.Records = records;
  if (walk) *walk = {p, size_t(declared)};
  return c;
}

// A WMF LOGFONT: five 16-bit values, eight bytes, and a face name of up to 32 bytes.
LOGFONTA FontOf(const Params& a) {
  LOGFONTA lf{};
  lf.lfHeight = a.S16At(0);
  lf.lfWidth = a.S16At(2);
  lf.lfEscapement = a.S16At(4);
  lf.lfOrientation = a.S16At(6);
  lf.lfWeight = a.S16At(8);
  FontBytes(lf, a, 10);
  for (size_t i = 0; i < size_t(LF_FACESIZE - 1) && a.Has(18 + i, 1) && *a.At(18 + i); ++i)
    lf.lfFaceName[i] = char(*a.At(18 + i));
  return lf;
}

// `count` points of two 16-bit values from `off`; fewer when the record is shorter.
std::vector<POINT> PointsOf(const Player& pl, const Params& a, size_t off, size_t count) {
  count = std::min(count, a.Has(off, 0) ? (a.Size() - off) / 4 : 0);
  std::vector<POINT> pts(count);
  for (size_t i = 0; i < count; ++i) pts[i] = pl.Pt(a.S16At(off + 4 * i), a.S16At(off + 4 * i + 2));
  return pts;
}

void PlayText(Player& pl, const Params& a) {
  HDC dc = pl.Dc();
  const size_t count = a.U16At(0);
  if (!a.Has(2, count)) return;
  const size_t padded = (count + 1) & ~size_t(1);
  const POINT at = pl.Pt(a.S16At(2 + padded + 2), a.S16At(2 + padded));
  TextOutA(dc, at.X, at.Y, reinterpret_cast<const char*>(a.At(2)), int(count));
}

void PlayExtText(Player& pl, const Params& a) {
  HDC dc = pl.Dc();
  const POINT at = pl.Pt(a.S16At(2), a.S16At(0));
  const size_t count = a.U16At(4);
  const UINT options = a.U16At(6);
  size_t off = 8;
  RECT r{};
  const bool hasRect = (options & (ETO_OPAQUE | ETO_CLIPPED)) != 0;
  if (hasRect) {
    r = pl.Rect(a.S16At(8), a.S16At(10), a.S16At(12), a.S16At(14));
    off += 8;
  }
  if (!a.Has(off, count)) return;
  const char* text = reinterpret_cast<const char*>(a.At(off));
  off += (count + 1) & ~size_t(1);
  std::vector<INT> dx;
  if (count && a.Has(off, count * 2)) {
    const double s = std::fabs(pl.ScaleX());
    for (size_t i = 0; i < count; ++i) dx.push_back(INT(std::lround(a.S16At(off + 2 * i) * s)));
  }
  ExtTextOutA(dc, at.X, at.Y, options & (ETO_OPAQUE | ETO_CLIPPED), hasRect ? &r : nullptr, text, UINT(count),
              dx.empty() ? nullptr : dx.data());
}

// A region object: a 22-byte header (the scan count at 10), then its scans, each a count of
// x values, a top and a bottom, that many x values in left/right pairs and the count again.
// The region keeps the record's coordinates; scans that are not whole end it, and pairs that
// are empty are dropped. Scans are bands from the top down: a scan's rows that one before it
// already covers are dropped, so a region holds no more rectangles than its record pairs
// (a union of overlapping scans could hold the square of their number).
HRGN RegionOf(const Params& a) {
  const size_t scans = a.U16At(10);
  RegionBuilder bands;
  std::vector<std::pair<Integer, Integer>> pairs;
  std::vector<Integer> xs;
  size_t at = 22;
  for (size_t i = 0; i < scans; ++i) {
    const size_t count = a.U16At(at);
    if (count % 2 || !a.Has(at, 8 + count * 2)) break;
    pairs.clear();
    for (size_t k = 0; k + 1 < count; k += 2) {
      const Integer left = a.S16At(at + 6 + 2 * k), right = a.S16At(at + 8 + 2 * k);
      if (left < right) pairs.emplace_back(left, right);
    }
    // The band's spans in order, overlapping or touching ones joined.
    std::sort(pairs.begin(), pairs.end());
    xs.clear();
    for (const auto& [left, right] : pairs) {
      if (!xs.empty() && left <= xs.back())
        xs.back() = std::max(xs.back(), right);
      else
        xs.insert(xs.end(), {left, right});
    }
    bands.Rows(a.S16At(at + 2), a.S16At(at + 4), xs.data(), xs.size());
    at += 8 + count * 2;
  }
  return static_cast<HRGN>(GdiAlloc(std::make_shared<RegionObject>(bands.Finish())));
}

// A region of the object table mapped to the DC's logical coordinates; null when the slot
// holds none. The caller deletes it.
HRGN MappedRegion(const Player& pl, size_t index, int margin = 0) {
  const RegionObject* raw = RegionFromHandle(pl.ObjectAt(index));
  if (!raw) return nullptr;
  std::vector<RecordRect> rects;
  for (const TRect& r : raw->Rgn.Rects()) rects.push_back({r.Left, r.Top, r.Right, r.Bottom});
  return pl.MapRegion(rects, margin);
}

// The region records and the region selected as the clip.
void PlayRegion(Player& pl, uint16_t fn, const Params& a) {
  HDC dc = pl.Dc();
  // The record gives a frame's height, then its width. A frame's width past the picture's
  // bounds keeps the edge they cut the region at from being framed as the region's own.
  const int frameW = pl.FrameSide(a.S16At(6), true), frameH = pl.FrameSide(a.S16At(4), false);
  HRGN rgn = MappedRegion(pl, a.U16At(0), fn == kFrameRegion ? std::max(frameW, frameH) : 0);
  if (fn == kSelectClipRegion || fn == kSelectObject) {
    // A clip region is a copy kept inside the caller's clip; no region resets the clip.
    if (rgn) pl.ToDevice(rgn);
    pl.SelectClip(rgn, RGN_COPY);
  } else if (!rgn) {
    return;
  } else if (fn == kFillRegion) {
    FillRgn(dc, rgn, static_cast<HBRUSH>(pl.ObjectAt(a.U16At(2))));
  } else if (fn == kFrameRegion) {
    FrameRgn(dc, rgn, static_cast<HBRUSH>(pl.ObjectAt(a.U16At(2))), frameW, frameH);
  } else if (fn == kInvertRegion) {
    InvertRgn(dc, rgn);
  } else {
    PaintRgn(dc, rgn);
  }
  if (rgn) DeleteObject(rgn);
}

// Palette records. Resizing and setting entries change the palette selected in the DC, and
// only when the metafile made it.
void PlayPalette(Player& pl, uint16_t fn, const Params& a) {
  HDC dc = pl.Dc();
  HGDIOBJ current = GetCurrentObject(dc, OBJ_PAL);
  switch (fn) {
    case kCreatePalette: {
      const size_t count = a.U16At(2);
      pl.AddObject(a.Has(4, count * 4) ? Player::MakePalette(a.At(4), count) : nullptr);
      break;
    }
    case kSelectPalette:
      if (GetObjectType(pl.ObjectAt(a.U16At(0))) == OBJ_PAL) pl.SelectPaletteObject(pl.ObjectAt(a.U16At(0)));
      break;
    case kRealizePalette: RealizePalette(dc); break;
    case kResizePalette: pl.ResizeOwned(current, a.U16At(0)); break;
    default: {   // SetPalEntries: a start, a count and the entries
      const size_t count = a.U16At(2);
      if (pl.OwnsObject(current) && a.Has(4, count * 4)) Player::SetEntries(current, a.U16At(0), a.At(4), count);
      break;
    }
  }
}

void PlayRecord(Player& pl, uint16_t fn, const Params& a) {
  HDC dc = pl.Dc();
  Mapping& m = pl.Map;
  switch (fn) {
    case kSaveDc: pl.Save(); break;
    case kRestoreDc: pl.Restore(a.S16At(0)); break;
    case kSetBkMode: SetBkMode(dc, a.U16At(0)); break;
    case kSetMapMode:
      if (a.U16At(0) >= MM_TEXT && a.U16At(0) <= MM_ANISOTROPIC) m.Mode = a.U16At(0);
      break;
    case kSetRop2: SetROP2(dc, a.U16At(0)); break;
    case kSetPolyFillMode: SetPolyFillMode(dc, a.U16At(0)); break;
    case kSetStretchBltMode: SetStretchBltMode(dc, a.U16At(0)); break;
    case kSetTextAlign: SetTextAlign(dc, a.U16At(0)); break;
    case kSetBkColor: SetBkColor(dc, Player::Color(a.U32At(0))); break;
    case kSetTextColor: SetTextColor(dc, Player::Color(a.U32At(0))); break;
    case kSetWindowOrg: m.WinOrgX = a.S16At(2), m.WinOrgY = a.S16At(0); break;
    case kSetViewportOrg: m.VpOrgX = a.S16At(2), m.VpOrgY = a.S16At(0); break;
    case kOffsetWindowOrg: m.WinOrgX += a.S16At(2), m.WinOrgY += a.S16At(0); break;
    case kOffsetViewportOrg: m.VpOrgX += a.S16At(2), m.VpOrgY += a.S16At(0); break;
    case kSetWindowExt:
      if (a.S16At(0) && a.S16At(2)) m.WinExtX = a.S16At(2), m.WinExtY = a.S16At(0);
      break;
    case kSetViewportExt:
      if (a.S16At(0) && a.S16At(2)) m.VpExtX = a.S16At(2), m.VpExtY = a.S16At(0);
      break;
    case kScaleWindowExt:
    case kScaleViewportExt:
      pl.ScaleExtents(fn == kScaleWindowExt, a.S16At(6), a.S16At(4), a.S16At(2), a.S16At(0));
      break;
    case kMoveTo: {
      const POINT p = pl.Pt(a.S16At(2), a.S16At(0));
      MoveToEx(dc, p.X, p.Y, nullptr);
      break;
    }
    case kLineTo: {
      const POINT p = pl.Pt(a.S16At(2), a.S16At(0));
      LineTo(dc, p.X, p.Y);
      break;
    }
    case kRectangle:
    case kEllipse: pl.DrawBox(fn == kEllipse, a.S16At(6), a.S16At(4), a.S16At(2), a.S16At(0)); break;
    case kRoundRect:
      pl.DrawRoundRect(a.S16At(10), a.S16At(8), a.S16At(6), a.S16At(4), a.S16At(2), a.S16At(0));
      break;
    case kArc:
    case kPie:
    case kChord:
      pl.DrawArc(fn == kArc ? Player::ArcKind::Arc : fn == kPie ? Player::ArcKind::Pie : Player::ArcKind::Chord,
                 a.S16At(14), a.S16At(12), a.S16At(10), a.S16At(8), a.S16At(6), a.S16At(4), a.S16At(2),
                 a.S16At(0));
      break;
    case kPolygon:
    case kPolyline: {
      const std::vector<POINT> pts = PointsOf(pl, a, 2, a.U16At(0));
      if (fn == kPolygon) Polygon(dc, pts.data(), int(pts.size()));
      else Polyline(dc, pts.data(), int(pts.size()));
      break;
    }
    case kPolyPolygon: {
      const size_t polys = a.U16At(0);
      if (!a.Has(2, polys * 2)) break;
      std::vector<INT> counts(polys);
      size_t total = 0;
      for (size_t i = 0; i < polys; ++i) total += counts[i] = a.U16At(2 + 2 * i);
      const std::vector<POINT> pts = PointsOf(pl, a, 2 + polys * 2, total);
      if (pts.size() == total) PolyPolygon(dc, pts.data(), counts.data(), int(polys));
      break;
    }
    case kSetPixel: {
      const POINT p = pl.Pt(a.S16At(6), a.S16At(4));
      SetPixelV(dc, p.X, p.Y, Player::Color(a.U32At(0)));
      break;
    }
    case kPatBlt: {
      const Player::Dest d = pl.DestOf(a.S16At(10), a.S16At(8), a.S16At(6), a.S16At(4));
      PatBlt(dc, d.X, d.Y, d.W, d.H, a.U32At(0));
      break;
    }
    case kIntersectClipRect:
    case kExcludeClipRect: {
      const RECT r = pl.Rect(a.S16At(6), a.S16At(4), a.S16At(2), a.S16At(0));
      if (fn == kIntersectClipRect) IntersectClipRect(dc, r.Left, r.Top, r.Right, r.Bottom);
      else ExcludeClipRect(dc, r.Left, r.Top, r.Right, r.Bottom);
      break;
    }
    case kOffsetClipRgn:
      pl.OffsetClip(int(std::lround(a.S16At(2) * pl.ScaleX())),
                    int(std::lround(a.S16At(0) * pl.ScaleY())));
      break;
    case kSelectObject:
      // Selecting a region selects it as the clip, through the mapping.
      if (RegionFromHandle(pl.ObjectAt(a.U16At(0)))) PlayRegion(pl, fn, a);
      else pl.SelectObjectAt(a.U16At(0));
      break;
    case kFillRegion:
    case kFrameRegion:
    case kInvertRegion:
    case kPaintRegion:
    case kSelectClipRegion: PlayRegion(pl, fn, a); break;
    case kCreatePalette:
    case kSelectPalette:
    case kRealizePalette:
    case kResizePalette:
    case kSetPalEntries: PlayPalette(pl, fn, a); break;
    case kCreateRegion: pl.AddObject(RegionOf(a)); break;
    case kDeleteObject: pl.DeleteObjectAt(a.U16At(0)); break;
    case kCreatePenIndirect:
      pl.AddObject(pl.MakePen(a.U16At(0), a.S16At(2), Player::Color(a.U32At(6))));
      break;
    case kCreateBrushIndirect:
      pl.AddObject(Player::MakeBrush(a.U16At(0), Player::Color(a.U32At(2)), a.U16At(6)));
      break;
    case kCreateFontIndirect: {
      const LOGFONTA lf = FontOf(a);
      pl.AddObject(pl.MakeFont(lf));
      break;
    }
    case kDibCreatePatternBrush:
      pl.AddObject(a.Size() > 4 ? pl.MakeDibBrush(a.At(4), a.Size() - 4, a.U16At(2)) : nullptr);
      break;
    // Objects drawn without: they still take their slot, so later indices stay right.
    case kCreatePatternBrush: pl.AddObject(nullptr); break;
    case kTextOut: PlayText(pl, a); break;
    case kExtTextOut: PlayExtText(pl, a); break;
    case kStretchDib: {
      if (a.Size() <= 22) break;
      const Player::Dest d = pl.DestOf(a.S16At(20), a.S16At(18), a.S16At(16), a.S16At(14));
      pl.DrawDib(a.At(22), a.Size() - 22, a.U16At(4), a.S16At(12), a.S16At(10), a.S16At(8), a.S16At(6), false,
                 d.X, d.Y, d.W, d.H, a.U32At(0));
      break;
    }
    case kDibStretchBlt: {
      if (a.Size() == 22) {   // no bitmap: a pattern fill with a reserved word
        const Player::Dest d = pl.DestOf(a.S16At(20), a.S16At(18), a.S16At(16), a.S16At(14));
        PatBlt(dc, d.X, d.Y, d.W, d.H, a.U32At(0));
        break;
      }
      if (a.Size() <= 20) break;
      const Player::Dest d = pl.DestOf(a.S16At(18), a.S16At(16), a.S16At(14), a.S16At(12));
      pl.DrawDib(a.At(20), a.Size() - 20, DIB_RGB_COLORS, a.S16At(10), a.S16At(8), a.S16At(6), a.S16At(4), true,
                 d.X, d.Y, d.W, d.H, a.U32At(0));
      break;
    }
    case kDibBitBlt: {
      if (a.Size() == 18) {
        const Player::Dest d = pl.DestOf(a.S16At(16), a.S16At(14), a.S16At(12), a.S16At(10));
        PatBlt(dc, d.X, d.Y, d.W, d.H, a.U32At(0));
        break;
      }
      if (a.Size() <= 16) break;
      // A same-size copy: the source's extent is the destination's, in logical units.
      const int w = a.S16At(10), h = a.S16At(8);
      const Player::Dest d = pl.DestOf(a.S16At(14), a.S16At(12), w, h);
      pl.DrawDib(a.At(16), a.Size() - 16, DIB_RGB_COLORS, a.S16At(6), a.S16At(4), w, h, true, d.X, d.Y, d.W, d.H,
                 a.U32At(0));
      break;
    }
    case kSetDibToDev: {
      if (a.Size() <= 18) break;
      const POINT p = pl.Pt(a.S16At(16), a.S16At(14));
      const int w = a.S16At(12), h = a.S16At(10);
      pl.DrawDib(a.At(18), a.Size() - 18, a.U16At(0), a.S16At(8), a.S16At(6), w, h, false, p.X, p.Y, w, h,
                 SRCCOPY);
      break;
    }
    default: break;   // a record this player does not know, or one with nothing to draw
  }
}

}  // namespace

}  // namespace metafile

using namespace metafile;

MetafileCheck CheckMetafile(const uint8_t* data, size_t size) {
  if (!data) size = 0;
  if (size >= 4 && U32(data) == kPlaceableMetafileKey) return CheckPlaceable(data, size, nullptr);
  if (size >= 8 && U32(data) == 1) return CheckEnhanced(data, size);
  return Refused("it is neither a placeable nor an enhanced metafile");
}

bool PlayMetafile(HDC dc, const uint8_t* data, size_t size, const RECT& target, std::string& why) {
  const MetafileCheck c = CheckMetafile(data, size);
  if (!c.Ok) {
    why = c.Error;
    return false;
  }
  if (c.Enhanced) return PlayEnhanced(dc, data, size, target);
  Walk w{};
  CheckPlaceable(data, size, &w);
  if (w.End == 0) return true;
  Player pl(dc, U16(w.Begin + 10));
  // The box, in the file's units, fills the target.
  const double left = S16(data + 6), top = S16(data + 8), right = S16(data + 10), bottom = S16(data + 12);
  Mapping& m = pl.Map;
  m.WinOrgX = left;
  m.WinOrgY = top;
  m.WinExtX = right != left ? right - left : 1;
  m.WinExtY = bottom != top ? bottom - top : 1;
  m.VpOrgX = target.Left;
  m.VpOrgY = target.Top;
  m.VpExtX = target.Right - target.Left;
  m.VpExtY = target.Bottom - target.Top;
  size_t at = kMetaHeaderSize;
  while (at < w.End) {
    const size_t length = size_t(U32(w.Begin + at)) * 2;
    const uint16_t fn = U16(w.Begin + at + 4);
    if (fn == kEof) break;
    PlayRecord(pl, fn, Params(w.Begin + at + kRecordHeaderSize, length - kRecordHeaderSize));
    at += length;
  }
  return true;
}
