// Frame controls: scroll arrows, size grip, push buttons, check boxes and radio buttons in the
// classic look, and the check-box bitmap built from the same glyphs.
#include "platform/gdi/Raster.h"

namespace {

constexpr Integer kGlyph = 13;   // check box and radio cell size

// The check mark, 7 x 7, placed at (3, 3) of a check box cell.
constexpr const char* kCheckMark[7] = {
    "......x", ".....xx", "x...xxx", "xx.xxx.", "xxxxx..", ".xxx...", "..x....",
};

void dot(DeviceContext& d, Integer x, Integer y, Pixel p) { d.FillDeviceRect({x, y, x + 1, y + 1}, p); }

Pixel sys(DeviceContext& d, int index) { return TargetSysColor(d, index); }

// A check box cell with its top-left at device (x, y).
void drawCheckCell(DeviceContext& d, Integer x, Integer y, UINT state) {
  const bool flat = state & DFCS_FLAT, mono = state & DFCS_MONO;
  const bool grey = (state & DFCS_INACTIVE) || (state & DFCS_PUSHED);
  const bool third = (state & DFCS_BUTTON3STATE) && (state & DFCS_CHECKED);
  const TRect cell{x, y, x + kGlyph, y + kGlyph};
  Integer inset = 2;
  if (flat || mono) {
    const Pixel frame = sys(d, mono ? COLOR_WINDOWFRAME : COLOR_BTNSHADOW);
    d.FillDeviceRect({cell.Left, cell.Top, cell.Right, cell.Top + 1}, frame);
    d.FillDeviceRect({cell.Left, cell.Bottom - 1, cell.Right, cell.Bottom}, frame);
    d.FillDeviceRect({cell.Left, cell.Top, cell.Left + 1, cell.Bottom}, frame);
    d.FillDeviceRect({cell.Right - 1, cell.Top, cell.Right, cell.Bottom}, frame);
    inset = 1;
  } else {
    // Sunken two-ring edge, as DrawEdge(EDGE_SUNKEN) draws it.
    auto ring = [&](const TRect& r, int lt, int rb) {
      d.FillDeviceRect({r.Left, r.Top, r.Right - 1, r.Top + 1}, sys(d, lt));
      d.FillDeviceRect({r.Left, r.Top, r.Left + 1, r.Bottom - 1}, sys(d, lt));
      d.FillDeviceRect({r.Right - 1, r.Top, r.Right, r.Bottom}, sys(d, rb));
      d.FillDeviceRect({r.Left, r.Bottom - 1, r.Right, r.Bottom}, sys(d, rb));
    };
    ring(cell, COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT);
    ring({cell.Left + 1, cell.Top + 1, cell.Right - 1, cell.Bottom - 1}, COLOR_3DDKSHADOW, COLOR_3DLIGHT);
  }
  const TRect inner{cell.Left + inset, cell.Top + inset, cell.Right - inset, cell.Bottom - inset};
  d.FillDeviceRect(inner, sys(d, grey || third ? COLOR_BTNFACE : COLOR_WINDOW));
  if (!(state & DFCS_CHECKED)) return;
  const Pixel mark = sys(d, third || (state & DFCS_INACTIVE) ? COLOR_BTNSHADOW : COLOR_WINDOWTEXT);
  for (Integer r = 0; r < 7; ++r)
    for (Integer c = 0; c < 7; ++c)
      if (kCheckMark[r][c] == 'x') dot(d, x + 3 + c, y + 3 + r, mark);
}

enum class RadioPart { Outside, OuterLT, OuterRB, InnerLT, InnerRB, Inside, Dot };

// The 13 x 13 ring-and-dot radio glyph, in doubled coordinates around the centre (6, 6):
// a two-pixel ring split along the anti-diagonal, the inside, and the dot.
RadioPart radioPart(Integer x, Integer y) {
  const Integer dx = 2 * x - 12, dy = 2 * y - 12, d2 = dx * dx + dy * dy;
  const bool lt = x + y < 12;
  if (d2 >= 169) return RadioPart::Outside;
  if (d2 >= 121) return lt ? RadioPart::OuterLT : RadioPart::OuterRB;
  if (d2 >= 81) return lt ? RadioPart::InnerLT : RadioPart::InnerRB;
  if (d2 < 25) return RadioPart::Dot;
  return RadioPart::Inside;
}

enum class RadioMode { Normal, Mask, Image };

// A radio cell with its top-left at device (x, y); `outside` is the colour around the ring
// (none: left alone).
void drawRadioCell(DeviceContext& d, Integer x, Integer y, UINT state, RadioMode mode, const Pixel* outside) {
  const bool flat = state & (DFCS_FLAT | DFCS_MONO);
  const bool grey = (state & DFCS_INACTIVE) || (state & DFCS_PUSHED);
  const bool checked = state & DFCS_CHECKED;
  const Pixel black = 0, white = d.TargetPixel(RGB(255, 255, 255));
  for (Integer r = 0; r < kGlyph; ++r)
    for (Integer c = 0; c < kGlyph; ++c) {
      const RadioPart part = radioPart(c, r);
      Pixel p;
      if (mode == RadioMode::Mask) {
        p = part == RadioPart::Outside ? white : black;
      } else if (part == RadioPart::Outside) {
        if (mode == RadioMode::Image) p = black;
        else if (outside) p = *outside;
        else continue;
      } else {
        switch (part) {
          case RadioPart::OuterLT: p = sys(d, COLOR_BTNSHADOW); break;
          case RadioPart::OuterRB: p = sys(d, flat ? COLOR_BTNSHADOW : COLOR_BTNHIGHLIGHT); break;
          case RadioPart::InnerLT: p = sys(d, flat ? (grey ? COLOR_BTNFACE : COLOR_WINDOW) : COLOR_3DDKSHADOW); break;
          case RadioPart::InnerRB: p = sys(d, flat ? (grey ? COLOR_BTNFACE : COLOR_WINDOW) : COLOR_3DLIGHT); break;
          case RadioPart::Dot:
            if (checked) {
              p = sys(d, (state & DFCS_INACTIVE) ? COLOR_BTNSHADOW : COLOR_WINDOWTEXT);
              break;
            }
            [[fallthrough]];
          default: p = sys(d, grey ? COLOR_BTNFACE : COLOR_WINDOW); break;
        }
      }
      dot(d, x + c, y + r, p);
    }
}

// A filled triangle pointing in `dir` (DFCS_SCROLLUP..RIGHT) centred at (cx, cy), `h` rows deep.
void drawArrow(DeviceContext& d, Integer cx, Integer cy, Integer h, UINT dir, Pixel p) {
  // Rows (or columns) outside the clip are skipped, so a huge button costs what is visible.
  const TRect cb = d.EffectiveClip().Bounds();
  const bool vertical = dir == DFCS_SCROLLUP || dir == DFCS_SCROLLDOWN;
  const Integer lo = vertical ? cb.Top : cb.Left, hi = vertical ? cb.Bottom : cb.Right;
  const Integer base = vertical ? cy : cx;
  for (Integer i = 0; i < h; ++i) {
    const Integer at = (dir == DFCS_SCROLLUP || dir == DFCS_SCROLLLEFT) ? base - h / 2 + i : base + (h - 1) / 2 - i;
    if (at < lo || at >= hi) continue;
    const Integer half = i;   // row i is 2i+1 long
    switch (dir) {
      case DFCS_SCROLLUP:
        d.FillDeviceRect({cx - half, cy - h / 2 + i, cx + half + 1, cy - h / 2 + i + 1}, p);
        break;
      case DFCS_SCROLLDOWN:
        d.FillDeviceRect({cx - half, cy + (h - 1) / 2 - i, cx + half + 1, cy + (h - 1) / 2 - i + 1}, p);
        break;
      case DFCS_SCROLLLEFT:
        d.FillDeviceRect({cx - h / 2 + i, cy - half, cx - h / 2 + i + 1, cy + half + 1}, p);
        break;
      default:
        d.FillDeviceRect({cx + (h - 1) / 2 - i, cy - half, cx + (h - 1) / 2 - i + 1, cy + half + 1}, p);
        break;
    }
  }
}

void drawButtonFace(HDC dc, RECT* r, UINT state) {
  UINT flags = BF_RECT | BF_MIDDLE | BF_SOFT;
  if (state & DFCS_FLAT) flags |= BF_FLAT;
  if (state & DFCS_MONO) flags |= BF_MONO;
  if (state & DFCS_ADJUSTRECT) flags |= BF_ADJUST;
  DrawEdge(dc, r, (state & (DFCS_PUSHED | DFCS_CHECKED)) ? EDGE_SUNKEN : EDGE_RAISED, flags);
}

BOOL drawScroll(HDC dc, DeviceContext& d, RECT* rc, UINT state) {
  const UINT kind = state & 0xFF;
  TRect r = d.ToDevice(*rc);
  if (kind == DFCS_SCROLLSIZEGRIP || kind == DFCS_SCROLLSIZEGRIPRIGHT) {
    d.FillDeviceRect(r, sys(d, COLOR_BTNFACE));
    // Three pairs of diagonal lines towards the bottom-right corner, or mirrored towards the
    // bottom-left one for the grip of a window's lower-left corner.
    const bool left = kind == DFCS_SCROLLSIZEGRIPRIGHT;
    const Integer size = std::min(r.Width(), r.Height());
    const TRect cb = d.EffectiveClip().Bounds();
    for (Integer k = 0; k < 3; ++k) {
      const Integer off = size - 1 - k * 4 - 3;
      // Only the steps whose column the clip can show.
      const Integer iFirst = std::max<Integer>(0, left ? cb.Left - r.Left : r.Right - cb.Right);
      const Integer iLast = std::min<Integer>(size - off, left ? cb.Right - r.Left : r.Right - cb.Left);
      for (Integer i = iFirst; i < iLast && off + i < size; ++i) {
        const Integer px = left ? r.Left + i : r.Right - 1 - i, py = r.Bottom - size + off + i;
        if (off + i < 0) continue;
        dot(d, px, py, sys(d, COLOR_BTNHIGHLIGHT));
        if (off + i + 1 < size) dot(d, px, py + 1, sys(d, COLOR_BTNSHADOW));
        if (off + i + 2 < size) dot(d, px, py + 2, sys(d, COLOR_BTNSHADOW));
      }
    }
    return TRUE;
  }
  if (kind > DFCS_SCROLLRIGHT && kind != DFCS_SCROLLCOMBOBOX) return FALSE;
  RECT face = *rc;
  drawButtonFace(dc, &face, state & ~DFCS_ADJUSTRECT);
  const UINT dir = kind == DFCS_SCROLLCOMBOBOX ? DFCS_SCROLLDOWN : kind;
  const Integer h = std::max<Integer>(1, (std::min(r.Width(), r.Height()) - 4) / 3);
  Integer cx = r.Left + (r.Width() - 1) / 2, cy = r.Top + (r.Height() - 1) / 2;
  if ((state & DFCS_PUSHED) && !(state & DFCS_FLAT)) {
    ++cx;
    ++cy;
  }
  if (state & DFCS_INACTIVE) {
    drawArrow(d, cx + 1, cy + 1, h, dir, sys(d, COLOR_BTNHIGHLIGHT));
    drawArrow(d, cx, cy, h, dir, sys(d, COLOR_BTNSHADOW));
  } else {
    drawArrow(d, cx, cy, h, dir, sys(d, COLOR_BTNTEXT));
  }
  return TRUE;
}

BOOL drawButton(HDC dc, DeviceContext& d, RECT* rc, UINT state) {
  const UINT kind = state & 0xFF;
  const TRect r = d.ToDevice(*rc);
  if (kind & DFCS_BUTTONPUSH) {
    drawButtonFace(dc, rc, state);
    return TRUE;
  }
  // Glyphs sit at the left of the rectangle, centred vertically.
  const Integer x = r.Left, y = r.Top + (r.Height() - kGlyph) / 2;
  if (kind & DFCS_BUTTONRADIOMASK) {
    d.FillDeviceRect(r, d.TargetPixel(RGB(255, 255, 255)));   // all of it: the mask has no holes
    drawRadioCell(d, x, y, state, RadioMode::Mask, nullptr);
    return TRUE;
  }
  if (kind & DFCS_BUTTONRADIOIMAGE) {
    d.FillDeviceRect(r, 0);
    drawRadioCell(d, x, y, state, RadioMode::Image, nullptr);
    return TRUE;
  }
  if (kind & DFCS_BUTTONRADIO) {
    drawRadioCell(d, x, y, state, RadioMode::Normal, nullptr);
    return TRUE;
  }
  drawCheckCell(d, x, y, state | ((kind & DFCS_BUTTON3STATE) ? DFCS_BUTTON3STATE : 0));
  return TRUE;
}

}  // namespace

BOOL DrawFrameControl(HDC dc, RECT* rc, UINT type, UINT state) {
  DeviceContext* d = DcFromHandle(dc);
  if (!d || !rc) return FALSE;
  switch (type) {
    case DFC_SCROLL: return drawScroll(dc, *d, rc, state);
    case DFC_BUTTON: return drawButton(dc, *d, rc, state);
    default: return FALSE;
  }
}

HBITMAP CreateCheckBoxesBitmap() {
  // Rows: check boxes, radio buttons, three-state boxes. Columns: normal, checked, pushed,
  // pushed and checked.
  HBITMAP bmp = CreateBitmap(4 * kGlyph, 3 * kGlyph, 1, 32, nullptr);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bmp);
  DeviceContext* d = DcFromHandle(dc);
  if (d) {
    const Pixel face = sys(*d, COLOR_BTNFACE);
    d->FillDeviceRect({0, 0, 4 * kGlyph, 3 * kGlyph}, face);
    const UINT cols[4] = {0, DFCS_CHECKED, DFCS_PUSHED, DFCS_PUSHED | DFCS_CHECKED};
    for (Integer c = 0; c < 4; ++c) {
      drawCheckCell(*d, c * kGlyph, 0, cols[c]);
      drawRadioCell(*d, c * kGlyph, kGlyph, cols[c], RadioMode::Normal, &face);
      drawCheckCell(*d, c * kGlyph, 2 * kGlyph, cols[c] | DFCS_BUTTON3STATE);
    }
  }
  SelectObject(dc, old);
  DeleteDC(dc);
  return bmp;
}
