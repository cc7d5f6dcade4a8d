#include "platform/gdi/Text.h"

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/TextLayout.h"
#include "platform/gdi/TextRender.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// Texts longer than this are cut: no surface is wide enough to show more, and the
// lengths below stay far from overflowing 32 bits.
constexpr Integer kMaxText = 1 << 20;

const Byte* Bytes(LPCSTR s) { return reinterpret_cast<const Byte*>(s); }

Integer ClampCount(Int64 count) { return Integer(std::clamp<Int64>(count, 0, kMaxText)); }
// Symmetric, so a clamped value can always be negated.
Integer Clamp32(Int64 v) { return Integer(std::clamp<Int64>(v, -INT32_MAX, INT32_MAX)); }

// Advances as the DC spaces them: the font's, plus the character extra, plus the
// justification spread over break characters (the first ones take the remainder).
void DcAdvances(const DeviceContext& dc, FontInstance& font, const Byte* s, Integer n,
                std::vector<Integer>& adv) {
  TextAdvances(font, s, n, adv);
  const DcState& st = dc.State;
  if (st.TextCharExtra != 0) {
    for (Integer& a : adv) a = Clamp32(Int64(a) + st.TextCharExtra);
  }
  if (st.BreakCount > 0 && st.BreakExtra != 0) {
    Byte breakChar = font.Metrics().BreakChar;
    Integer each = st.BreakExtra / st.BreakCount, rest = st.BreakExtra % st.BreakCount;
    for (Integer i = 0; i < n; ++i) {
      if (s[i] != breakChar) continue;
      adv[size_t(i)] = Clamp32(Int64(adv[size_t(i)]) + each + (rest > 0 ? 1 : rest < 0 ? -1 : 0));
      if (rest > 0) --rest;
      if (rest < 0) ++rest;
    }
  }
}

Integer Sum(const std::vector<Integer>& v) {
  Int64 s = 0;
  for (Integer a : v) s += a;
  return Clamp32(s);
}

struct Run {
  const Byte* Text = nullptr;
  Integer Count = 0;
  const Integer* Advances = nullptr;
  TPoint Ref;                   // device position of the reference point
  Integer OffsetX = 0, OffsetY = 0;   // text-space position of the run's cell from Ref
  Integer Escapement = 0;
  bool Underline = false, StrikeOut = false;
  bool OpaqueCells = false;     // fill the run's cells with the background colour
  bool Glyphs = true;           // false: only the prefix underline (DT_PREFIXONLY)
  Integer PrefixUnderline = -1;
  const TRect* Clip = nullptr;  // device rectangle, besides the DC's clip
};

void Blend(DeviceContext& dc, const CoverageMask& mask, TPoint at, COLORREF color, const TRect* clip) {
  if (mask.IsEmpty()) return;
  const Int64 x = Int64(at.X) + mask.Left, y = Int64(at.Y) + mask.Top;
  if (x < INT32_MIN / 2 || y < INT32_MIN / 2 || x > INT32_MAX / 2 || y > INT32_MAX / 2) return;   // far off any surface
  TRect r{Integer(x), Integer(y), Integer(x) + mask.Width, Integer(y) + mask.Height};
  TRect part = r;
  if (clip) {
    part.Left = std::max(r.Left, clip->Left);
    part.Top = std::max(r.Top, clip->Top);
    part.Right = std::min(r.Right, clip->Right);
    part.Bottom = std::min(r.Bottom, clip->Bottom);
    if (part.IsEmpty()) return;
  }
  const Byte* origin = mask.Data.data() + size_t(part.Top - r.Top) * size_t(mask.Width) + size_t(part.Left - r.Left);
  dc.BlendMask(part.Left, part.Top, part.Width(), part.Height(), origin, mask.Width, color);
}

void AddBar(CoverageMask& mask, Integer x0, Integer x1, Integer row, Integer thickness) {
  for (Integer y = row; y < row + thickness; ++y) {
    if (y < mask.Top || y >= mask.Top + mask.Height) continue;
    for (Integer x = std::max(x0, mask.Left); x < std::min(x1, mask.Left + mask.Width); ++x) {
      mask.Data[size_t(y - mask.Top) * size_t(mask.Width) + size_t(x - mask.Left)] = 255;
    }
  }
}

// Adds the run's outlines to the open path glyph by glyph; false when the path stopped before
// the last glyph (the glyphs before it are in, none after).
bool AppendToPath(DeviceContext& dc, FontInstance& font, const Run& run) {
  // A path holds every point of every outline: keep it to a label's worth of text.
  constexpr Integer kMaxPathText = 1 << 14;
  const Integer n = std::min(run.Count, kMaxPathText);
  Int64 pen = run.OffsetX;
  std::vector<std::vector<TPoint>> figures;
  for (Integer i = 0; i < n; ++i) {
    TextPath path;
    AppendRunOutline(font, run.Text + i, 1, run.Advances + i, run.Ref.X, run.Ref.Y, double(pen),
                     run.OffsetY, run.Escapement, path);
    pen += run.Advances[i];
    const TextPath flat = path.Flattened();
    figures.clear();
    size_t points = 0, pi = 0;
    std::vector<TPoint>* figure = nullptr;
    for (TextPath::Verb v : flat.Verbs) {
      if (v == TextPath::Verb::Close) {
        figure = nullptr;
        continue;
      }
      const TextPath::PointF& p = flat.Points[pi++];
      const TPoint q{Integer(std::lround(p.X)), Integer(std::lround(p.Y))};
      if (v == TextPath::Verb::Move || !figure) figure = &figures.emplace_back();
      if (figure->empty() || figure->back() != q) {
        figure->push_back(q);
        ++points;
      }
    }
    if (!dc.PathTakes(points)) return false;
    for (auto& f : figures) dc.PathFigures.push_back(std::move(f));
  }
  return true;
}

// Paints the run, or adds it to the open path; false when the path did not take all of it.
bool PaintRun(DeviceContext& dc, FontInstance& font, const Run& run) {
  if (dc.Path == DeviceContext::PathState::Open) return !run.Glyphs || AppendToPath(dc, font, run);
  // The part of text space that can reach a visible pixel: the clip's bounds turned back,
  // relative to the run's cell origin, with a pixel of slack for the sampling.
  TRect visible = dc.EffectiveClip().Bounds();
  if (run.Clip) {
    visible = {std::max(visible.Left, run.Clip->Left), std::max(visible.Top, run.Clip->Top),
               std::min(visible.Right, run.Clip->Right), std::min(visible.Bottom, run.Clip->Bottom)};
  }
  if (visible.IsEmpty()) return true;
  auto rel = [](Integer v, Integer ref) {
    return Integer(std::clamp<Int64>(Int64(v) - ref, -1000000000, 1000000000));
  };
  TRect turned = TextSpaceBounds({rel(visible.Left, run.Ref.X), rel(visible.Top, run.Ref.Y),
                                  rel(visible.Right, run.Ref.X), rel(visible.Bottom, run.Ref.Y)},
                                 run.Escapement);
  const TRect window{Clamp32(Int64(turned.Left) - run.OffsetX - 2), Clamp32(Int64(turned.Top) - run.OffsetY - 2),
                     Clamp32(Int64(turned.Right) - run.OffsetX + 2),
                     Clamp32(Int64(turned.Bottom) - run.OffsetY + 2)};

  const FontMetrics& m = font.Metrics();
  Int64 total = 0;
  for (Integer i = 0; i < run.Count; ++i) total += run.Advances[i];
  // The run's cells as far as they are in the window (cell coordinates).
  const TRect cells{Integer(std::max<Int64>(std::min<Int64>(0, total), window.Left)), 0,
                    Integer(std::min<Int64>(std::max<Int64>(0, total), window.Right)), m.Height};
  if (run.OpaqueCells && !cells.IsEmpty()) {
    CoverageMask back = SolidMask(cells);
    back.Left = Clamp32(Int64(back.Left) + run.OffsetX);
    back.Top = Clamp32(Int64(back.Top) + run.OffsetY);
    if (run.Escapement != 0) back = RotateMask(back, run.Escapement);
    Blend(dc, back, run.Ref, dc.State.BkColor, run.Clip);
  }
  CoverageMask mask;
  if (run.Glyphs) {
    mask = RenderRun(font, run.Text, run.Count, run.Advances, run.Underline, run.StrikeOut, &window);
  } else if (!cells.IsEmpty()) {
    mask = SolidMask(cells);   // room for the prefix underline alone
    std::fill(mask.Data.begin(), mask.Data.end(), Byte(0));
  }
  if (run.PrefixUnderline >= 0 && run.PrefixUnderline < run.Count) {
    Int64 x = 0;
    for (Integer i = 0; i < run.PrefixUnderline; ++i) x += run.Advances[i];
    AddBar(mask, Clamp32(x), Clamp32(x + run.Advances[run.PrefixUnderline]), m.UnderlineRow,
           m.UnderlineThickness);
  }
  mask.Left = Clamp32(Int64(mask.Left) + run.OffsetX);
  mask.Top = Clamp32(Int64(mask.Top) + run.OffsetY);
  if (run.Escapement != 0) mask = RotateMask(mask, run.Escapement);
  Blend(dc, mask, run.Ref, dc.State.TextColor, run.Clip);
  return true;
}

}  // namespace

BOOL SetTextJustification(HDC hdc, int breakExtra, int breakCount) {
  DeviceContext* dc = DcFromHandle(hdc);
  if (!dc) return FALSE;
  dc->State.BreakCount = std::max(breakCount, 0);
  dc->State.BreakExtra = dc->State.BreakCount > 0 ? breakExtra : 0;
  return TRUE;
}

BOOL GetTextExtentExPointA(HDC hdc, LPCSTR text, int count, int maxExtent, int* fit, int* dx,
                           SIZE* size) {
  DeviceContext* dc = DcFromHandle(hdc);
  if (!dc || count < 0 || (count > 0 && !text) || (fit && maxExtent < -1)) return FALSE;
  FontInstance& font = RealizeFont(DcFontDesc(*dc));
  Integer n = ClampCount(count);
  const DcState& st = dc->State;
  if (fit && !dx && !size && maxExtent >= 0 && st.TextCharExtra == 0 && st.BreakCount == 0) {
    // Only the fit count is wanted: stop at the extent instead of measuring the rest.
    Int64 x = 0;
    Integer i = 0;
    for (; i < n; ++i) {
      x += font.Advance(Bytes(text)[i]);
      if (x > maxExtent) break;
    }
    *fit = i;
    return TRUE;
  }
  std::vector<Integer> adv;
  DcAdvances(*dc, font, Bytes(text), n, adv);
  if (fit) *fit = maxExtent == -1 ? n : FitCount(adv, maxExtent);
  if (dx) {
    Int64 x = 0;
    for (Integer i = 0; i < n; ++i) {
      x += adv[size_t(i)];
      dx[i] = Integer(std::clamp<Int64>(x, INT32_MIN, INT32_MAX));
    }
  }
  // No characters measure nothing: the extent of an empty string is 0 by 0.
  if (size) *size = n == 0 ? SIZE{0, 0} : SIZE{Sum(adv), font.Metrics().Height};
  return TRUE;
}

BOOL GetTextExtentPoint32A(HDC dc, LPCSTR text, int count, SIZE* size) {
  return GetTextExtentExPointA(dc, text, count, 0, nullptr, nullptr, size);
}

DWORD GetTabbedTextExtentA(HDC hdc, LPCSTR text, int count, int tabCount, const INT* tabStops) {
  DeviceContext* dc = DcFromHandle(hdc);
  if (!dc || count <= 0 || !text) return 0;
  FontInstance& font = RealizeFont(DcFontDesc(*dc));
  TabStops tabs(0, font.Metrics().AveCharWidth, tabCount, tabStops);
  std::vector<Integer> adv;
  Integer width = TabbedAdvances(font, Bytes(text), ClampCount(count), 0, tabs, adv);
  return MAKELONG(WORD(width), WORD(font.Metrics().Height));
}

BOOL ExtTextOutA(HDC hdc, int x, int y, UINT options, const RECT* rect, LPCSTR text, UINT count,
                 const INT* dx) {
  DeviceContext* dc = DcFromHandle(hdc);
  if (!dc || (count > 0 && !text)) return FALSE;
  const FontDesc& desc = DcFontDesc(*dc);
  FontInstance& font = RealizeFont(desc);
  const FontMetrics& m = font.Metrics();
  const DcState& st = dc->State;

  TRect clipRect{};
  bool clipped = false;
  if (rect) {
    clipRect = dc->ToDevice(*rect);
    if (clipRect.Left > clipRect.Right) std::swap(clipRect.Left, clipRect.Right);
    if (clipRect.Top > clipRect.Bottom) std::swap(clipRect.Top, clipRect.Bottom);
    if ((options & ETO_OPAQUE) && dc->Path != DeviceContext::PathState::Open) {
      dc->FillDeviceRect(clipRect, dc->TargetPixel(st.BkColor));
    }
    clipped = (options & ETO_CLIPPED) != 0;
  }

  Integer n = ClampCount(count);
  std::vector<Integer> adv;
  if (dx) {
    adv.assign(dx, dx + n);
  } else {
    DcAdvances(*dc, font, Bytes(text), n, adv);
  }
  Integer total = Sum(adv);

  const bool updateCp = (st.TextAlign & TA_UPDATECP) != 0;
  TPoint ref = updateCp ? st.CurrentPos : TPoint{x, y};
  Run run;
  run.Text = Bytes(text);
  run.Count = n;
  run.Advances = adv.data();
  run.Ref = dc->ToDevice(ref.X, ref.Y);
  run.Escapement = EffectiveEscapement(desc);
  run.Underline = desc.Underline;
  run.StrikeOut = desc.StrikeOut;
  run.OpaqueCells = st.BkMode == OPAQUE;
  run.Clip = clipped ? &clipRect : nullptr;
  UINT horizontal = st.TextAlign & TA_CENTER;
  if (horizontal == TA_CENTER) {
    run.OffsetX = -total / 2;
  } else if (horizontal == TA_RIGHT) {
    run.OffsetX = -total;
  }
  UINT vertical = st.TextAlign & TA_BASELINE;
  if (vertical == TA_BASELINE) {
    run.OffsetY = -m.Ascent;
  } else if (vertical == TA_BOTTOM) {
    run.OffsetY = -m.Height;
  }
  const bool painted = n == 0 || PaintRun(*dc, font, run);

  if (updateCp && horizontal != TA_CENTER && painted) {
    TPoint step = RotateOffset(horizontal == TA_RIGHT ? -total : total, 0, run.Escapement);
    dc->State.CurrentPos = {Clamp32(Int64(ref.X) + step.X), Clamp32(Int64(ref.Y) + step.Y)};
  }
  return painted;
}

BOOL TextOutA(HDC dc, int x, int y, LPCSTR text, int count) {
  if (count < 0) return FALSE;
  return ExtTextOutA(dc, x, y, 0, nullptr, text, UINT(count), nullptr);
}

LONG TabbedTextOutA(HDC hdc, int x, int y, LPCSTR text, int count, int tabCount, const INT* tabStops,
                    int tabOrigin) {
  DeviceContext* dc = DcFromHandle(hdc);
  if (!dc || count <= 0 || !text) return 0;
  const FontDesc& desc = DcFontDesc(*dc);
  FontInstance& font = RealizeFont(desc);
  TabStops tabs(tabOrigin, font.Metrics().AveCharWidth, tabCount, tabStops);
  Integer n = ClampCount(count);
  std::vector<Integer> adv;
  Integer width = TabbedAdvances(font, Bytes(text), n, x, tabs, adv);
  Run run;
  run.Text = Bytes(text);
  run.Count = n;
  run.Advances = adv.data();
  run.Ref = dc->ToDevice(x, y);
  run.Escapement = EffectiveEscapement(desc);
  run.Underline = desc.Underline;
  run.StrikeOut = desc.StrikeOut;
  run.OpaqueCells = dc->State.BkMode == OPAQUE;
  PaintRun(*dc, font, run);
  return LONG(MAKELONG(WORD(width), WORD(font.Metrics().Height)));
}

int DrawTextExA(HDC hdc, LPSTR text, int count, LPRECT rect, UINT format, DRAWTEXTPARAMS* params) {
  DeviceContext* dc = DcFromHandle(hdc);
  if (!dc || !rect || count == 0) return 0;
  if (params && params->cbSize != sizeof(DRAWTEXTPARAMS)) return 0;
  static char empty[] = "";
  if (!text) {
    if (count > 0) return 0;
    text = empty;   // no text at all measures as an empty line
  }
  Integer n = count < 0 ? ClampCount(Int64(std::strlen(text))) : ClampCount(count);
  const FontDesc& desc = DcFontDesc(*dc);
  FontInstance& font = RealizeFont(desc);
  DrawTextMargins margins;
  if (params) {
    margins.Left = params->iLeftMargin;
    margins.Right = params->iRightMargin;
    margins.TabLength = params->iTabLength;
  }
  DrawTextLayout layout = LayoutDrawText(font, Bytes(text), n, *rect, format, margins);
  if (params) params->uiLengthDrawn = UINT(n);
  if (format & DT_CALCRECT) {
    *rect = layout.CalcRect;
    return layout.Result;
  }

  TRect clip = dc->ToDevice(*rect);
  const bool noClip = (format & DT_NOCLIP) != 0;
  const Integer escapement = EffectiveEscapement(desc);
  const bool prefixes = !(format & (DT_NOPREFIX | DT_HIDEPREFIX));
  for (const TextLine& line : layout.Lines) {
    if (!line.Visible || line.Chars.empty()) continue;
    Run run;
    run.Text = Bytes(line.Chars.data());
    run.Count = Integer(line.Chars.size());
    run.Advances = line.Advances.data();
    run.Ref = dc->ToDevice(line.X, line.Y);
    run.Escapement = escapement;
    run.Underline = desc.Underline;
    run.StrikeOut = desc.StrikeOut;
    run.OpaqueCells = dc->State.BkMode == OPAQUE && !(format & DT_PREFIXONLY);
    run.Glyphs = !(format & DT_PREFIXONLY);
    run.PrefixUnderline = prefixes ? line.Underline : -1;
    run.Clip = noClip ? nullptr : &clip;
    PaintRun(*dc, font, run);
  }
  if ((format & DT_MODIFYSTRING) && layout.Modified) {
    size_t room = size_t(n) + 3;   // the caller's buffer holds count + 4 bytes
    size_t len = std::min(layout.ModifiedText.size(), room);
    std::memcpy(text, layout.ModifiedText.data(), len);
    text[len] = '\0';
  }
  return layout.Result;
}

int DrawTextA(HDC dc, LPCSTR text, int count, LPRECT rect, UINT format) {
  // The text is only read: DT_MODIFYSTRING needs DrawTextExA's writable buffer.
  return DrawTextExA(dc, const_cast<LPSTR>(text), count, rect, format & ~DT_MODIFYSTRING, nullptr);
}

BOOL PolyTextOutA(HDC dc, const POLYTEXTA* texts, int count) {
  if (!DcFromHandle(dc) || count < 0 || (count > 0 && !texts)) return FALSE;
  for (int i = 0; i < count; ++i) {
    const POLYTEXTA& t = texts[i];
    if (!ExtTextOutA(dc, t.x, t.y, t.uiFlags, &t.rcl, t.lpstr, t.n, t.pdx)) return FALSE;
  }
  return TRUE;
}
