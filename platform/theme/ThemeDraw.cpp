// The look of each part, painted with plain GDI in logical coordinates.
#include "platform/gdi/Gdi.h"
#include "platform/gdi/GdiObject.h"
#include "platform/theme/ThemeInternal.h"
#include "platform/theme/UxTheme.h"

#include <algorithm>
#include <cstdlib>

namespace {

void Fill(HDC dc, const TRect& r, COLORREF c) {
  if (r.Right <= r.Left || r.Bottom <= r.Top) return;
  HBRUSH b = CreateSolidBrush(c);
  FillRect(dc, &r, b);
  DeleteObject(b);
}

void Frame(HDC dc, const TRect& r, COLORREF c) {
  if (r.Right <= r.Left || r.Bottom <= r.Top) return;
  HBRUSH b = CreateSolidBrush(c);
  FrameRect(dc, &r, b);
  DeleteObject(b);
}

COLORREF Mix(COLORREF a, COLORREF b, int num, int den) {
  if (den <= 0) return a;
  auto m = [&](int x, int y) { return Byte(x + (y - x) * num / den); };
  return RGB(m(GetRValue(a), GetRValue(b)), m(GetGValue(a), GetGValue(b)), m(GetBValue(a), GetBValue(b)));
}

void VGradient(HDC dc, const TRect& r, COLORREF top, COLORREF bottom) {
  int h = r.Bottom - r.Top;
  for (int y = 0; y < h; ++y) Fill(dc, {r.Left, r.Top + y, r.Right, r.Top + y + 1}, Mix(top, bottom, y, h - 1));
}

void HGradient(HDC dc, const TRect& r, COLORREF left, COLORREF right) {
  int w = r.Right - r.Left;
  for (int x = 0; x < w; ++x) Fill(dc, {r.Left + x, r.Top, r.Left + x + 1, r.Bottom}, Mix(left, right, x, w - 1));
}

TRect Deflate(const TRect& r, int d) { return {r.Left + d, r.Top + d, r.Right - d, r.Bottom - d}; }

// A frame with its four corner pixels cut, so the corners read as rounded.
void RoundedFrame(HDC dc, const TRect& r, COLORREF c) {
  if (r.Right - r.Left < 3 || r.Bottom - r.Top < 3) return Frame(dc, r, c);
  Fill(dc, {r.Left + 2, r.Top, r.Right - 2, r.Top + 1}, c);
  Fill(dc, {r.Left + 2, r.Bottom - 1, r.Right - 2, r.Bottom}, c);
  Fill(dc, {r.Left, r.Top + 2, r.Left + 1, r.Bottom - 2}, c);
  Fill(dc, {r.Right - 1, r.Top + 2, r.Right, r.Bottom - 2}, c);
  Fill(dc, {r.Left + 1, r.Top + 1, r.Left + 2, r.Top + 2}, c);
  Fill(dc, {r.Right - 2, r.Top + 1, r.Right - 1, r.Top + 2}, c);
  Fill(dc, {r.Left + 1, r.Bottom - 2, r.Left + 2, r.Bottom - 1}, c);
  Fill(dc, {r.Right - 2, r.Bottom - 2, r.Right - 1, r.Bottom - 1}, c);
}

void Shape(HDC dc, COLORREF pen, COLORREF brush, bool ellipse, const TRect& r, const POINT* pts = nullptr,
           int count = 0) {
  HPEN p = CreatePen(PS_SOLID, 1, pen);
  HBRUSH b = brush == CLR_INVALID ? nullptr : CreateSolidBrush(brush);
  HGDIOBJ oldPen = SelectObject(dc, p);
  HGDIOBJ oldBrush = SelectObject(dc, b ? static_cast<HGDIOBJ>(b) : GetStockObject(NULL_BRUSH));
  if (pts) Polygon(dc, pts, count);
  else if (ellipse) Ellipse(dc, r.Left, r.Top, r.Right, r.Bottom);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(p);
  if (b) DeleteObject(b);
}

enum class Dir { Up, Down, Left, Right };

// A solid triangle of `size` pixels pointing `dir`, centred in r.
void Arrow(HDC dc, const TRect& r, Dir dir, COLORREF c, int size = 4) {
  int cx = (r.Left + r.Right) / 2, cy = (r.Top + r.Bottom) / 2;
  POINT p[3];
  switch (dir) {
    case Dir::Down: p[0] = {cx - size, cy - size / 2}; p[1] = {cx + size, cy - size / 2}; p[2] = {cx, cy + size / 2 + 1}; break;
    case Dir::Up: p[0] = {cx - size, cy + size / 2}; p[1] = {cx + size, cy + size / 2}; p[2] = {cx, cy - size / 2 - 1}; break;
    case Dir::Right: p[0] = {cx - size / 2, cy - size}; p[1] = {cx - size / 2, cy + size}; p[2] = {cx + size / 2 + 1, cy}; break;
    case Dir::Left: p[0] = {cx + size / 2, cy - size}; p[1] = {cx + size / 2, cy + size}; p[2] = {cx - size / 2 - 1, cy}; break;
  }
  Shape(dc, c, c, false, r, p, 3);
}

// N, H, P, D as 0..3.
void ButtonFace(HDC dc, const TRect& r, int look, bool defaulted = false) {
  const ThemeColors& c = ThemeCurrentColors();
  TRect in = Deflate(r, 1);
  switch (look) {
    case 1: VGradient(dc, in, c.faceTop, c.faceBottom); break;
    case 2: VGradient(dc, in, Mix(c.faceBottom, c.frame, 1, 8), c.pressedBottom); break;
    case 3: Fill(dc, in, c.disabledFace); break;
    default: VGradient(dc, in, c.faceTop, c.faceBottom); break;
  }
  RoundedFrame(dc, r, look == 3 ? c.disabledFrame : c.frame);
  if (look == 1) Frame(dc, in, c.hot);
  else if (defaulted) Frame(dc, in, c.defaulted);
}

// Scroll-bar and spin style button: square, light face, arrow.
void ArrowButton(HDC dc, const TRect& r, int look, Dir dir) {
  const ThemeColors& c = ThemeCurrentColors();
  COLORREF top = Mix(c.faceTop, c.frame, 1, 8), bottom = Mix(c.faceBottom, c.frame, 2, 8);
  if (look == 1) top = c.faceTop, bottom = Mix(c.faceBottom, c.hot, 1, 6);
  if (look == 2) top = Mix(c.faceBottom, c.frame, 3, 8), bottom = c.pressedBottom;
  if (look == 3) top = bottom = c.disabledFace;
  VGradient(dc, Deflate(r, 1), top, bottom);
  RoundedFrame(dc, r, look == 3 ? c.disabledFrame : Mix(c.frame, c.window, 3, 8));
  int size = std::max(2, std::min(r.Right - r.Left, r.Bottom - r.Top) / 4);
  Arrow(dc, r, dir, look == 3 ? c.disabledText : c.glyph, size);
}

void CheckGlyph(HDC dc, const TRect& box, COLORREF col) {
  // A tick of three-pixel-high strokes from the lower left.
  int x = box.Left + 3, y = box.Top + (box.Bottom - box.Top) / 2 - 1;
  for (int i = 0; i < 7; ++i) {
    int dy = i < 3 ? i : 4 - i;
    Fill(dc, {x + i, y + dy, x + i + 1, y + dy + 3}, col);
  }
}

void CheckBox(HDC dc, const TRect& r, int state, bool radio) {
  const ThemeColors& c = ThemeCurrentColors();
  int side = std::min({13, r.Right - r.Left, r.Bottom - r.Top});
  if (side <= 0) return;
  TRect box{r.Left + (r.Right - r.Left - side) / 2, r.Top + (r.Bottom - r.Top - side) / 2, 0, 0};
  box.Right = box.Left + side;
  box.Bottom = box.Top + side;
  int look = (state - 1) % 4, kind = (state - 1) / 4;  // kind: 0 unchecked, 1 checked, 2 mixed
  COLORREF frame = look == 3 ? c.disabledFrame : c.frame;
  COLORREF top = look == 2 ? c.pressedBottom : c.window, bottom = look == 2 ? c.faceBottom : c.pressedTop;
  if (look == 3) top = bottom = c.disabledFace;
  COLORREF mark = look == 3 ? c.disabledText : c.check;
  if (radio) {
    Shape(dc, frame, top, true, box);
    if (look == 1) Shape(dc, c.hot, CLR_INVALID, true, Deflate(box, 1));
    if (kind == 1) Shape(dc, mark, mark, true, Deflate(box, 4));
    return;
  }
  VGradient(dc, Deflate(box, 1), bottom, top);
  Frame(dc, box, frame);
  if (look == 1) Frame(dc, Deflate(box, 1), c.hot);
  if (kind == 1) CheckGlyph(dc, box, mark);
  if (kind == 2) Fill(dc, Deflate(box, 3), mark);
}

// A group's frame stands on the dialog's face, which keeps its system colour whatever the
// style: a frame too close to that colour (the light one the style gives its groups is
// nearly the classic face) is darkened until it shows, so a group is framed in every look.
COLORREF ShownOnFace(COLORREF c) {
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  const int distance = std::abs(int(GetRValue(c)) - int(GetRValue(face))) +
                       std::abs(int(GetGValue(c)) - int(GetGValue(face))) +
                       std::abs(int(GetBValue(c)) - int(GetBValue(face)));
  return distance < 48 ? Mix(c, RGB(0, 0, 0), 1, 3) : c;
}

void DrawButton(HDC dc, int part, int state, const TRect& r) {
  const ThemeColors& c = ThemeCurrentColors();
  switch (part) {
    case BP_PUSHBUTTON: {
      int look = state == PBS_HOT ? 1 : state == PBS_PRESSED ? 2 : state == PBS_DISABLED ? 3 : 0;
      return ButtonFace(dc, r, look, state == PBS_DEFAULTED);
    }
    case BP_RADIOBUTTON: return CheckBox(dc, r, std::clamp(state, 1, 8), true);
    case BP_CHECKBOX: return CheckBox(dc, r, std::clamp(state, 1, 12), false);
    case BP_GROUPBOX: return RoundedFrame(dc, r, ShownOnFace(state == GBS_DISABLED ? c.disabledFrame : c.groupFrame));
  }
  Fill(dc, r, c.disabledFace);
  Frame(dc, r, c.frame);
}

void DrawScrollBar(HDC dc, int part, int state, const TRect& r) {
  const ThemeColors& c = ThemeCurrentColors();
  int look = std::clamp(state, 1, 4) - 1;
  switch (part) {
    case SBP_ARROWBTN: {
      int s = std::clamp(state, 1, 16) - 1;
      const Dir dirs[4] = {Dir::Up, Dir::Down, Dir::Left, Dir::Right};
      return ArrowButton(dc, r, s % 4, dirs[s / 4]);
    }
    case SBP_THUMBBTNHORZ:
    case SBP_THUMBBTNVERT: {
      COLORREF top = look == 2 ? c.pressedTop : c.faceTop, bottom = look == 1 ? Mix(c.faceBottom, c.hot, 1, 5) : c.faceBottom;
      if (look == 3) top = bottom = c.disabledFace;
      TRect in = Deflate(r, 1);
      if (part == SBP_THUMBBTNVERT) HGradient(dc, in, top, bottom);
      else VGradient(dc, in, top, bottom);
      return RoundedFrame(dc, r, look == 3 ? c.disabledFrame : Mix(c.frame, c.window, 3, 8));
    }
    case SBP_LOWERTRACKHORZ:
    case SBP_UPPERTRACKHORZ:
    case SBP_LOWERTRACKVERT:
    case SBP_UPPERTRACKVERT:
      return Fill(dc, r, look == 2 ? Mix(c.track, c.frame, 1, 4) : look == 1 ? Mix(c.track, c.window, 1, 2) : c.track);
    case SBP_GRIPPERHORZ:
    case SBP_GRIPPERVERT: {
      int cx = (r.Left + r.Right) / 2, cy = (r.Top + r.Bottom) / 2;
      for (int i = -3; i <= 3; i += 2) {
        if (part == SBP_GRIPPERVERT) {
          Fill(dc, {cx - 3, cy + i, cx + 3, cy + i + 1}, c.window);
          Fill(dc, {cx - 2, cy + i + 1, cx + 4, cy + i + 2}, Mix(c.frame, c.window, 1, 2));
        } else {
          Fill(dc, {cx + i, cy - 3, cx + i + 1, cy + 3}, c.window);
          Fill(dc, {cx + i + 1, cy - 2, cx + i + 2, cy + 4}, Mix(c.frame, c.window, 1, 2));
        }
      }
      return;
    }
    case SBP_SIZEBOX: {
      // The stepped triangle of a size grip: three dots on the bottom row, one on the top.
      for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3 - row; ++col) {
          int x = r.Right - 4 - col * 4, y = r.Bottom - 4 - row * 4;
          Fill(dc, {x + 1, y + 1, x + 3, y + 3}, c.window);
          Fill(dc, {x, y, x + 2, y + 2}, Mix(c.frame, c.window, 1, 2));
        }
      return;
    }
  }
  Fill(dc, r, c.track);
}

void DrawGeneric(HDC dc, const TRect& r) {
  const ThemeColors& c = ThemeCurrentColors();
  Fill(dc, r, c.disabledFace);
  Frame(dc, r, Mix(c.frame, c.window, 1, 2));
}

}  // namespace

void ThemeDrawPart(HDC dc, const String& cls, int part, int state, const TRect& r) {
  const ThemeColors& c = ThemeCurrentColors();
  if (ThemeSameName(cls, "Button")) return DrawButton(dc, part, state, r);
  if (ThemeSameName(cls, "ScrollBar")) return DrawScrollBar(dc, part, state, r);
  if (ThemeSameName(cls, "ComboBox") && part == CP_DROPDOWNBUTTON)
    return ArrowButton(dc, r, std::clamp(state, 1, 4) - 1, Dir::Down);
  if (ThemeSameName(cls, "Edit") && part == EP_EDITTEXT) {
    bool grey = state == ETS_DISABLED || state == ETS_READONLY;
    Fill(dc, Deflate(r, 1), grey ? c.disabledFace : c.window);
    COLORREF border = state == ETS_DISABLED ? c.disabledFrame : c.dark;
    if (state == ETS_HOT || state == ETS_FOCUSED) border = Mix(c.dark, c.frame, 1, 2);
    return Frame(dc, r, border);
  }
  if (ThemeSameName(cls, "ListView") && part == LVP_EMPTYTEXT) {
    Fill(dc, Deflate(r, 1), c.window);
    return Frame(dc, r, c.dark);
  }
  if (ThemeSameName(cls, "Header") && (part == HP_HEADERITEM || part == HP_HEADERITEMRIGHT)) {
    if (state == HIS_PRESSED) VGradient(dc, r, c.headerBottom, c.headerBottom);
    else VGradient(dc, r, c.headerTop, c.headerBottom);
    Fill(dc, {r.Left, r.Bottom - 3, r.Right, r.Bottom}, state == HIS_HOT ? c.hot : c.headerLine);
    if (part == HP_HEADERITEM) Fill(dc, {r.Right - 2, r.Top + 3, r.Right - 1, r.Bottom - 4}, c.headerLine);
    return;
  }
  if (ThemeSameName(cls, "TreeView") && part == TVP_GLYPH) {
    int side = std::min({9, r.Right - r.Left, r.Bottom - r.Top});
    if (side < 5) return Fill(dc, r, c.glyph);
    TRect box{r.Left + (r.Right - r.Left - side) / 2, r.Top + (r.Bottom - r.Top - side) / 2, 0, 0};
    box.Right = box.Left + side;
    box.Bottom = box.Top + side;
    VGradient(dc, Deflate(box, 1), c.window, c.faceBottom);
    Frame(dc, box, c.dark);
    int mid = box.Top + side / 2, cx = box.Left + side / 2;
    Fill(dc, {box.Left + 2, mid, box.Right - 2, mid + 1}, c.text);
    if (state == GLPS_CLOSED) Fill(dc, {cx, box.Top + 2, cx + 1, box.Bottom - 2}, c.text);
    return;
  }
  if (ThemeSameName(cls, "ExplorerBar") && part == EBP_HEADERPIN) {
    bool pinned = state >= EBHP_SELECTEDNORMAL;
    int look = (std::clamp(state, 1, 6) - 1) % 3;
    if (look > 0) {
      Fill(dc, Deflate(r, 1), look == 1 ? Mix(c.window, c.hot, 1, 3) : Mix(c.window, c.hot, 2, 3));
      Frame(dc, Deflate(r, 1), c.glyph);
    }
    int cx = (r.Left + r.Right) / 2, cy = (r.Top + r.Bottom) / 2;
    if (pinned) {  // seen from above: head and needle straight down
      Fill(dc, {cx - 3, cy - 5, cx + 3, cy - 4}, c.glyph);
      Frame(dc, {cx - 2, cy - 4, cx + 2, cy + 1}, c.glyph);
      Fill(dc, {cx, cy + 1, cx + 1, cy + 5}, c.glyph);
    } else {  // lying on its side
      Fill(dc, {cx - 5, cy, cx - 1, cy + 1}, c.glyph);
      Frame(dc, {cx - 1, cy - 2, cx + 4, cy + 3}, c.glyph);
      Fill(dc, {cx + 4, cy - 3, cx + 5, cy + 4}, c.glyph);
    }
    return;
  }
  if (ThemeSameName(cls, "ExplorerBar") && (part == EBP_NORMALGROUPCOLLAPSE || part == EBP_NORMALGROUPEXPAND)) {
    int look = std::clamp(state, 1, 3) - 1;
    COLORREF fill = look == 0 ? c.window : look == 1 ? Mix(c.window, c.hot, 1, 3) : Mix(c.window, c.hot, 2, 3);
    Shape(dc, Mix(c.frame, c.window, 1, 2), fill, true, r);
    int cx = (r.Left + r.Right) / 2, cy = (r.Top + r.Bottom) / 2;
    for (int k = 0; k < 2; ++k) {  // a double chevron, pointing up to collapse
      int top = cy - 4 + k * 4;
      for (int i = 0; i < 3; ++i) {
        int y = part == EBP_NORMALGROUPCOLLAPSE ? top + i : top + 2 - i;
        Fill(dc, {cx - i - 1, y, cx - i + 1, y + 1}, c.glyph);
        Fill(dc, {cx + i, y, cx + i + 2, y + 1}, c.glyph);
      }
    }
    return;
  }
  if (ThemeSameName(cls, "TrackBar") && part == TKP_TRACK) {
    Fill(dc, Deflate(r, 1), c.track);
    Fill(dc, {r.Left, r.Top, r.Right, r.Top + 1}, c.dark);
    Fill(dc, {r.Left, r.Top, r.Left + 1, r.Bottom}, c.dark);
    Fill(dc, {r.Left, r.Bottom - 1, r.Right, r.Bottom}, c.light);
    Fill(dc, {r.Right - 1, r.Top, r.Right, r.Bottom}, c.light);
    return;
  }
  if (ThemeSameName(cls, "Window") && part == WP_SMALLCLOSEBUTTON) {
    int look = std::clamp(state, 1, 4) - 1;
    COLORREF face = look == 3 ? c.disabledFrame : look == 2 ? Mix(c.close, c.text, 1, 4)
                  : look == 1 ? Mix(c.close, c.window, 1, 4) : c.close;
    VGradient(dc, Deflate(r, 1), Mix(face, c.window, 1, 3), face);
    RoundedFrame(dc, r, c.window);
    int side = std::min(r.Right - r.Left, r.Bottom - r.Top) / 2 - 1;
    int cx = (r.Left + r.Right) / 2, cy = (r.Top + r.Bottom) / 2;
    for (int i = -side / 2; i < (side + 1) / 2; ++i) {
      Fill(dc, {cx + i - 1, cy + i, cx + i + 1, cy + i + 1}, c.window);
      Fill(dc, {cx - i - 1, cy + i, cx - i + 1, cy + i + 1}, c.window);
    }
    return;
  }
  if (ThemeSameName(cls, "ToolBar") && part == TP_BUTTON) {
    if (state == TS_NORMAL || state == TS_DISABLED) return;
    COLORREF fill = state == TS_HOT ? Mix(c.window, c.faceBottom, 1, 2)
                  : state == TS_CHECKED ? c.window : c.faceBottom;
    if (state == TS_PRESSED) fill = Mix(c.faceBottom, c.frame, 1, 6);
    Fill(dc, Deflate(r, 1), fill);
    return RoundedFrame(dc, r, Mix(c.frame, c.window, 1, 2));
  }
  if (ThemeSameName(cls, "Tab") && part == TABP_PANE) {
    Fill(dc, Deflate(r, 1), c.window);
    return Frame(dc, r, Mix(c.frame, c.window, 1, 2));
  }
  if (ThemeSameName(cls, "Status")) {
    if (part == SP_GRIPPER) return DrawScrollBar(dc, SBP_SIZEBOX, 1, r);
    Fill(dc, r, c.disabledFace);
    return Fill(dc, {r.Left, r.Top, r.Right, r.Top + 1}, c.disabledFrame);
  }
  if (ThemeSameName(cls, "Spin") && part >= SPNP_UP && part <= SPNP_DOWNHORZ) {
    const Dir dirs[4] = {Dir::Up, Dir::Down, Dir::Right, Dir::Left};
    return ArrowButton(dc, r, std::clamp(state, 1, 4) - 1, dirs[part - 1]);
  }
  DrawGeneric(dc, r);
}
