// The static text control: its window text drawn with the parent's colours.
#include "platform/gdi/Gdi.h"
#include "platform/gdi/Text.h"
#include "platform/user/Controls.h"

#include <map>

namespace {

std::map<HWND, HFONT>& Fonts() {
  static std::map<HWND, HFONT> fonts;
  return fonts;
}

void Paint(HWND h) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(h, &ps);
  DWORD style = DWORD(GetWindowLongA(h, GWL_STYLE));
  RECT rc;
  GetClientRect(h, &rc);
  // The parent is asked for colours with the drawing already clipped to the control.
  IntersectClipRect(dc, rc.Left, rc.Top, rc.Right, rc.Bottom);
  HBRUSH bg = user_detail::ControlColors(h, WM_CTLCOLORSTATIC, dc);
  FillRect(dc, &rc, bg);
  HFONT font = Fonts()[h];
  HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
  char text[1024];
  int n = GetWindowTextA(h, text, sizeof text);
  UINT format = DT_WORDBREAK | DT_EXPANDTABS;
  switch (style & SS_TYPEMASK) {
    case SS_CENTER: format |= DT_CENTER; break;
    case SS_RIGHT: format |= DT_RIGHT; break;
    case SS_SIMPLE:
    case SS_LEFTNOWORDWRAP: format = DT_SINGLELINE | DT_EXPANDTABS; break;
    default: break;
  }
  if (style & SS_NOPREFIX) format |= DT_NOPREFIX;
  SetBkMode(dc, TRANSPARENT);
  if (!IsWindowEnabled(h)) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  DrawTextA(dc, text, n, &rc, format);
  if (old) SelectObject(dc, old);
  EndPaint(h, &ps);
}

LRESULT StaticProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_NCCREATE: Fonts()[h] = nullptr; break;
    case WM_NCDESTROY: Fonts().erase(h); break;
    case WM_NCHITTEST:
      // Clicks pass through plain text to the window below, unless it asks to be told.
      if (!(GetWindowLongA(h, GWL_STYLE) & SS_NOTIFY)) return HTTRANSPARENT;
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
      if ((GetWindowLongA(h, GWL_STYLE) & SS_NOTIFY) && msg == WM_LBUTTONUP) user_detail::NotifyParent(h, 0);
      return 0;
    case WM_SETTEXT: {
      LRESULT r = DefWindowProcA(h, msg, wp, lp);
      InvalidateRect(h, nullptr, TRUE);
      return r;
    }
    case WM_SETFONT:
      Fonts()[h] = reinterpret_cast<HFONT>(wp);
      if (LOWORD(lp)) InvalidateRect(h, nullptr, TRUE);
      return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(Fonts()[h]);
    case WM_GETDLGCODE: return DLGC_STATIC;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: Paint(h); return 0;
    case WM_ENABLE: InvalidateRect(h, nullptr, TRUE); return 0;
    default: break;
  }
  return DefWindowProcA(h, msg, wp, lp);
}

}  // namespace

namespace user_detail {
WNDPROCFN StaticWindowProc() { return &StaticProc; }
}  // namespace user_detail
