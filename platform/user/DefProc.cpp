// The default window procedure and the non-client frame it draws.
#include "platform/gdi/Gdi.h"
#include "platform/gdi/Text.h"
#include "platform/kernel/ScopeExit.h"
#include "platform/user/Menus.h"
#include "platform/user/UserInternal.h"

#include <algorithm>
#include <cstring>
#include <exception>

using namespace user_detail;

namespace {

// The system key last pressed, while no other key followed it (Alt alone opens the menu bar).
WPARAM g_lastSysKey = 0;

TRect ToWindow(const Wnd* w, const TRect& r) {
  return {r.Left - w->window.Left, r.Top - w->window.Top, r.Right - w->window.Left, r.Bottom - w->window.Top};
}

int FrameWidth(const Wnd* w) {
  const auto& m = S().metrics;
  if (w->style & WS_THICKFRAME) return m[SM_CXFRAME];
  if ((w->style & WS_DLGFRAME) || (w->exStyle & WS_EX_DLGMODALFRAME)) return m[SM_CXDLGFRAME];
  if (w->style & WS_BORDER) return m[SM_CXBORDER];
  return 0;
}

// Caption band in window coordinates (empty without a caption).
TRect CaptionRect(const Wnd* w) {
  if ((w->style & WS_CAPTION) != WS_CAPTION) return {};
  int f = FrameWidth(w);
  int h = (w->exStyle & WS_EX_TOOLWINDOW) ? S().metrics[SM_CYSMCAPTION] : S().metrics[SM_CYCAPTION];
  return {f, f, w->window.Width() - f, f + h - 1};
}

TRect CloseButtonRect(const Wnd* w) {
  TRect c = CaptionRect(w);
  if (c.IsEmpty() || !(w->style & WS_SYSMENU)) return {};
  int size = c.Height() - 4;
  return {c.Right - 2 - size - 2, c.Top + 2, c.Right - 2, c.Top + 2 + size};
}

TRect MenuRect(const Wnd* w) {
  if (!HasMenuBar(w)) return {};
  TRect c = CaptionRect(w);
  int f = FrameWidth(w);
  int top = c.IsEmpty() ? f : c.Bottom + 1;
  return {f, top, w->window.Width() - f, top + MenuBarSpace(w)};
}

bool In(const TRect& r, TPoint p) { return p.X >= r.Left && p.X < r.Right && p.Y >= r.Top && p.Y < r.Bottom; }

LRESULT HitTest(Wnd* w, TPoint screen) {
  TRect win = WindowRectOnScreen(w);
  if (!In(win, screen)) return HTNOWHERE;
  TPoint p{screen.X - win.Left, screen.Y - win.Top};
  TRect client = ToWindow(w, w->client);
  if (In(client, p)) return HTCLIENT;
  if (In(ScrollBarRect(w, SB_VERT), p)) return HTVSCROLL;
  if (In(ScrollBarRect(w, SB_HORZ), p)) return HTHSCROLL;
  if ((w->style & WS_VSCROLL) && (w->style & WS_HSCROLL)) {
    TRect v = ScrollBarRect(w, SB_VERT), h = ScrollBarRect(w, SB_HORZ);
    if (In({v.Left, h.Top, v.Right, h.Bottom}, p)) return (w->style & WS_THICKFRAME) ? HTBOTTOMRIGHT : HTSIZE;
  }
  if (In(CloseButtonRect(w), p)) return HTCLOSE;
  TRect cap = CaptionRect(w);
  if (In({cap.Left, cap.Top, cap.Right, cap.Bottom + 1}, p)) return HTCAPTION;
  if (In(MenuRect(w), p)) return HTMENU;
  if (w->style & WS_THICKFRAME) {
    int f = FrameWidth(w), W = w->window.Width(), H = w->window.Height();
    int corner = S().metrics[SM_CYCAPTION];
    bool left = p.X < f, right = p.X >= W - f, top = p.Y < f, bottom = p.Y >= H - f;
    bool nearLeft = p.X < corner, nearRight = p.X >= W - corner, nearTop = p.Y < corner, nearBottom = p.Y >= H - corner;
    if ((top && nearLeft) || (left && nearTop)) return HTTOPLEFT;
    if ((top && nearRight) || (right && nearTop)) return HTTOPRIGHT;
    if ((bottom && nearLeft) || (left && nearBottom)) return HTBOTTOMLEFT;
    if ((bottom && nearRight) || (right && nearBottom)) return HTBOTTOMRIGHT;
    if (left) return HTLEFT;
    if (right) return HTRIGHT;
    if (top) return HTTOP;
    if (bottom) return HTBOTTOM;
  }
  return HTBORDER;
}

void DrawCross(HDC dc, const TRect& r, HBRUSH brush) {
  int size = std::min(r.Width(), r.Height()) - 6;
  int x0 = r.Left + (r.Width() - size) / 2, y0 = r.Top + (r.Height() - size) / 2;
  for (int i = 0; i < size; i++) {
    TRect a = Bounds(x0 + i, y0 + i, 2, 1), b = Bounds(x0 + size - 2 - i, y0 + i, 2, 1);
    FillRect(dc, &a, brush);
    FillRect(dc, &b, brush);
  }
}

// A raised button with a small solid triangle: 0 up, 1 down, 2 left, 3 right.
void DrawArrowButton(HDC dc, TRect r, int direction, bool disabled) {
  TRect e = r;
  DrawEdge(dc, &e, EDGE_RAISED, BF_RECT | BF_MIDDLE);
  HBRUSH brush = GetSysColorBrush(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT);
  int size = std::max(std::min(r.Width(), r.Height()) / 4, 1);
  int cx = r.Left + r.Width() / 2, cy = r.Top + r.Height() / 2;
  for (int i = 0; i < size; i++) {
    TRect line;
    switch (direction) {
      case 0: line = {cx - i, cy - size / 2 + i, cx + i + 1, cy - size / 2 + i + 1}; break;
      case 1: line = {cx - i, cy + size / 2 - i, cx + i + 1, cy + size / 2 - i + 1}; break;
      case 2: line = {cx - size / 2 + i, cy - i, cx - size / 2 + i + 1, cy + i + 1}; break;
      default: line = {cx + size / 2 - i, cy - i, cx + size / 2 - i + 1, cy + i + 1}; break;
    }
    FillRect(dc, &line, brush);
  }
}

void DrawScrollBar(HDC dc, Wnd* w, int bar) {
  TRect r = ScrollBarRect(w, bar);
  if (r.IsEmpty()) return;
  FillRect(dc, &r, GetSysColorBrush(COLOR_SCROLLBAR));
  const auto& m = S().metrics;
  bool vert = bar == SB_VERT;
  int arrow = vert ? m[SM_CYVSCROLL] : m[SM_CXHSCROLL];
  int length = vert ? r.Height() : r.Width();
  if (length < 2 * arrow) arrow = length / 2;
  bool unavailable = (w->style & WS_DISABLED) || (vert ? w->vbar : w->hbar).unavailable;
  UINT disabled = unavailable ? DFCS_INACTIVE : 0;
  TRect a1 = vert ? TRect{r.Left, r.Top, r.Right, r.Top + arrow} : TRect{r.Left, r.Top, r.Left + arrow, r.Bottom};
  TRect a2 = vert ? TRect{r.Left, r.Bottom - arrow, r.Right, r.Bottom} : TRect{r.Right - arrow, r.Top, r.Right, r.Bottom};
  DrawArrowButton(dc, a1, vert ? 0 : 2, disabled != 0);
  DrawArrowButton(dc, a2, vert ? 1 : 3, disabled != 0);
  int t0, t1;
  ThumbExtent(w, bar, &t0, &t1);
  if (t1 > t0 && !disabled) {
    TRect thumb = vert ? TRect{r.Left, r.Top + t0, r.Right, r.Top + t1} : TRect{r.Left + t0, r.Top, r.Left + t1, r.Bottom};
    DrawEdge(dc, &thumb, EDGE_RAISED, BF_RECT | BF_MIDDLE);
  }
}

void PaintFrame(HWND hwnd) {
  Wnd* w = Find(hwnd);
  if (!w || w->window == w->client) return;
  HDC dc = GetDCEx(hwnd, nullptr, DCX_WINDOW);
  if (!dc) return;
  TRect client = ToWindow(w, w->client);
  ExcludeClipRect(dc, client.Left, client.Top, client.Right, client.Bottom);
  TRect r{0, 0, w->window.Width(), w->window.Height()};
  if (w->style & WS_THICKFRAME || (w->style & WS_DLGFRAME) || (w->exStyle & WS_EX_DLGMODALFRAME)) {
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    TRect e = r;
    DrawEdge(dc, &e, EDGE_RAISED, BF_RECT);
  } else if (w->style & WS_BORDER) {
    FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
  }
  TRect cap = CaptionRect(w);
  if (!cap.IsEmpty()) {
    bool active = w->ncActive;
    FillRect(dc, &cap, GetSysColorBrush(active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION));
    TRect line{cap.Left, cap.Bottom, cap.Right, cap.Bottom + 1};
    FillRect(dc, &line, GetSysColorBrush(COLOR_BTNFACE));
    TRect close = CloseButtonRect(w);
    if (!w->text.empty()) {
      TRect textRect{cap.Left + 4, cap.Top, (close.IsEmpty() ? cap.Right : close.Left) - 2, cap.Bottom};
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, GetSysColor(active ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT));
      DrawTextA(dc, w->text.c_str(), int(w->text.size()), &textRect,
                DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    if (!close.IsEmpty()) {
      TRect b = close;
      DrawEdge(dc, &b, EDGE_RAISED, BF_RECT | BF_MIDDLE);
      DrawCross(dc, close, GetSysColorBrush(COLOR_BTNTEXT));
    }
  }
  TRect menu = MenuRect(w);
  if (!menu.IsEmpty()) PaintMenuBar(w->handle, dc, menu);
  if (w->exStyle & WS_EX_CLIENTEDGE) {
    const auto& m = S().metrics;
    TRect e{client.Left - m[SM_CXEDGE], client.Top - m[SM_CYEDGE], client.Right + m[SM_CXEDGE],
            client.Bottom + m[SM_CYEDGE]};
    if (w->style & WS_VSCROLL) e.Right += m[SM_CXVSCROLL];
    if (w->style & WS_HSCROLL) e.Bottom += m[SM_CYHSCROLL];
    DrawEdge(dc, &e, EDGE_SUNKEN, BF_RECT);
  }
  DrawScrollBar(dc, w, SB_VERT);
  DrawScrollBar(dc, w, SB_HORZ);
  if ((w->style & WS_VSCROLL) && (w->style & WS_HSCROLL)) {
    TRect v = ScrollBarRect(w, SB_VERT), h = ScrollBarRect(w, SB_HORZ);
    TRect box{v.Left, h.Top, v.Right, h.Bottom};
    FillRect(dc, &box, GetSysColorBrush(COLOR_BTNFACE));
  }
  ReleaseDC(hwnd, dc);
}

HBRUSH BackgroundBrush(const Wnd* w) {
  HBRUSH b = w->cls->background;
  uintptr_t v = reinterpret_cast<uintptr_t>(b);
  if (v > 0 && v <= uintptr_t(COLOR_COUNT)) return GetSysColorBrush(int(v - 1));
  return b;
}

// Holds the capture for a tracking loop and gives it back however the loop ends (ReleaseCapture
// clears the capture before it notifies, so a procedure failing on the notice still frees it).
auto HoldCapture(HWND h) {
  return PairedCall([h] { SetCapture(h); }, [h] {
    if (GetCapture() == h) ReleaseCapture();
  });
}

// The platform's own modal tracking loop: runs until the left button is released (or the
// capture is taken away) and answers the last pointer position on the screen. Other
// messages are dispatched; a WM_QUIT is put back for the loop outside.
template <class OnMove>
POINT TrackUntilRelease(HWND hwnd, OnMove onMove) {
  auto capture = HoldCapture(hwnd);
  POINT last;
  GetCursorPos(&last);
  MSG m;
  for (;;) {
    BOOL r = GetMessageA(&m, nullptr, 0, 0);
    if (r <= 0) {
      if (r == 0) PostQuitMessage(int(m.wParam));
      break;
    }
    if (m.message == WM_LBUTTONUP || m.message == WM_NCLBUTTONUP) {
      last = m.pt;
      break;
    }
    if (m.message == WM_MOUSEMOVE || m.message == WM_NCMOUSEMOVE) {
      last = m.pt;
      onMove(last);
      continue;
    }
    if (m.message >= WM_MOUSEFIRST && m.message <= WM_MOUSELAST) continue;
    TranslateMessage(&m);
    DispatchMessageA(&m);
    if (GetCapture() != hwnd || !IsWindow(hwnd)) break;
  }
  return last;
}

// A press on a window scroll bar: arrows and the track send one step each, the thumb is
// dragged with SB_THUMBTRACK and dropped with SB_THUMBPOSITION; SB_ENDSCROLL ends it.
void TrackScrollBar(HWND hwnd, int bar, POINT screen) {
  Wnd* w = Find(hwnd);
  if (!w || (bar == SB_VERT ? w->vbar : w->hbar).unavailable) return;
  TRect win = WindowRectOnScreen(w);
  TRect r = ScrollBarRect(w, bar);
  bool vert = bar == SB_VERT;
  UINT msg = vert ? WM_VSCROLL : WM_HSCROLL;
  int along = vert ? screen.Y - win.Top - r.Top : screen.X - win.Left - r.Left;
  int length = vert ? r.Height() : r.Width();
  const auto& m = S().metrics;
  int arrow = std::min(vert ? m[SM_CYVSCROLL] : m[SM_CXHSCROLL], length / 2);
  int t0, t1;
  ThumbExtent(w, bar, &t0, &t1);
  WORD code;
  if (along < arrow) code = SB_LINEUP;
  else if (along >= length - arrow) code = SB_LINEDOWN;
  else if (t1 > t0 && along < t0) code = SB_PAGEUP;
  else if (t1 > t0 && along >= t1) code = SB_PAGEDOWN;
  else if (t1 > t0) code = SB_THUMBTRACK;
  else return;
  if (code != SB_THUMBTRACK) {
    Send(hwnd, msg, MAKEWPARAM(code, 0), 0);
    TrackUntilRelease(hwnd, [](POINT) {});
  } else {
    int grab = along - t0;
    auto posAt = [&](POINT p) {
      Wnd* cw = Find(hwnd);
      if (!cw) return 0;
      const ScrollBarState& b = vert ? cw->vbar : cw->hbar;
      int offset = (vert ? p.Y - win.Top - r.Top : p.X - win.Left - r.Left) - grab - arrow;
      int track = length - 2 * arrow - (t1 - t0);
      const Int64 span = Int64(b.max) - b.min + 1 - std::max<Int64>(b.page, 1);   // may exceed 32 bits
      if (track <= 0 || span <= 0) return b.min;
      return int(std::clamp<Int64>(b.min + Int64(offset) * span / track, b.min, b.min + span));
    };
    POINT end = TrackUntilRelease(hwnd, [&](POINT p) {
      int pos = posAt(p);
      if (Wnd* cw = Find(hwnd)) (vert ? cw->vbar : cw->hbar).trackPos = pos;
      Send(hwnd, msg, MAKEWPARAM(SB_THUMBTRACK, WORD(pos)), 0);
    });
    if (!Find(hwnd)) return;
    Send(hwnd, msg, MAKEWPARAM(SB_THUMBPOSITION, WORD(posAt(end))), 0);
  }
  if (Find(hwnd)) Send(hwnd, msg, MAKEWPARAM(SB_ENDSCROLL, 0), 0);
}

LRESULT CursorForHit(LRESULT hit) {
  switch (hit) {
    case HTLEFT: case HTRIGHT: return 32644;
    case HTTOP: case HTBOTTOM: return 32645;
    case HTTOPLEFT: case HTBOTTOMRIGHT: return 32642;
    case HTTOPRIGHT: case HTBOTTOMLEFT: return 32643;
    default: return 32512;
  }
}

}  // namespace

LRESULT DefWindowProcA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Wnd* w = Find(hwnd);
  if (!w) return 0;
  switch (msg) {
    case WM_NCCREATE: {
      auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
      if (cs && cs->lpszName && !IS_INTRESOURCE(cs->lpszName)) w->text = cs->lpszName;
      return TRUE;
    }
    case WM_NCCALCSIZE: {
      if (!lParam) return 0;
      auto* r = reinterpret_cast<RECT*>(lParam);   // rgrc[0] either way
      if (HasMenuBar(w)) {
        // The bar is as high as its items need; measuring asks the owner, who may do anything.
        const int bar = MeasureMenuBar(hwnd);
        if (!(w = Find(hwnd))) return 0;
        w->menuHeight = bar;
      }
      *r = DefaultClientRect(w, *r);
      return 0;
    }
    case WM_NCHITTEST:
      return HitTest(w, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    case WM_NCPAINT:
      PaintFrame(hwnd);
      return 0;
    case WM_NCACTIVATE:
      w->ncActive = wParam != 0;
      if (IsVisibleChain(w)) PaintFrame(hwnd);
      return TRUE;
    case WM_SETTEXT: {
      auto* text = reinterpret_cast<const char*>(lParam);
      w->text = text ? text : "";
      if ((w->style & WS_CAPTION) == WS_CAPTION && IsVisibleChain(w)) PaintFrame(hwnd);
      return TRUE;
    }
    case WM_GETTEXT: {
      auto* buffer = reinterpret_cast<char*>(lParam);
      if (!buffer || wParam == 0) return 0;
      size_t n = std::min(w->text.size(), size_t(wParam) - 1);
      std::memcpy(buffer, w->text.data(), n);
      buffer[n] = 0;
      return LRESULT(n);
    }
    case WM_GETTEXTLENGTH:
      return LRESULT(w->text.size());
    case WM_WINDOWPOSCHANGING: {
      // A window the user can size keeps within the limits it answers.
      auto* wp = reinterpret_cast<WINDOWPOS*>(lParam);
      if (!wp || (wp->flags & SWP_NOSIZE) || (!(w->style & WS_THICKFRAME) && (w->style & (WS_POPUP | WS_CHILD))))
        return 0;
      MINMAXINFO mmi = DefaultMinMaxInfo();
      Send(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
      if (!(w = Find(hwnd))) return 0;
      wp->cx = std::min(wp->cx, mmi.ptMaxTrackSize.X);
      wp->cy = std::min(wp->cy, mmi.ptMaxTrackSize.Y);
      if (!(w->style & WS_MINIMIZE)) {
        wp->cx = std::max(wp->cx, mmi.ptMinTrackSize.X);
        wp->cy = std::max(wp->cy, mmi.ptMinTrackSize.Y);
      }
      return 0;
    }
    case WM_WINDOWPOSCHANGED: {
      auto* wp = reinterpret_cast<const WINDOWPOS*>(lParam);
      if (!wp) return 0;
      if (!(wp->flags & 0x1000))   // the client moved
        Send(hwnd, WM_MOVE, 0, MAKELPARAM(WORD(SHORT(w->client.Left)), WORD(SHORT(w->client.Top))));
      if ((w = Find(hwnd)) && !(wp->flags & 0x0800)) {   // the client changed size
        WPARAM kind = (w->style & WS_MAXIMIZE) ? SIZE_MAXIMIZED : (w->style & WS_MINIMIZE) ? SIZE_MINIMIZED : SIZE_RESTORED;
        Send(hwnd, WM_SIZE, kind, MAKELPARAM(WORD(w->client.Width()), WORD(w->client.Height())));
      }
      return 0;
    }
    case WM_PAINT: {
      PAINTSTRUCT ps;
      if (BeginPaint(hwnd, &ps)) EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_ERASEBKGND: {
      HBRUSH brush = BackgroundBrush(w);
      HDC dc = reinterpret_cast<HDC>(wParam);
      if (!brush || !dc) return 0;
      RECT r{0, 0, w->client.Width(), w->client.Height()};
      FillRect(dc, &r, brush);
      return 1;
    }
    case WM_PRINT: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      if ((lParam & PRF_CHECKVISIBLE) && !IsWindowVisible(hwnd)) return 0;
      if (lParam & PRF_ERASEBKGND) Send(hwnd, WM_ERASEBKGND, wParam, 0);
      if (lParam & PRF_CLIENT) Send(hwnd, WM_PRINTCLIENT, wParam, lParam);
      if ((lParam & PRF_CHILDREN) && (w = Find(hwnd))) {
        std::vector<HWND> kids = w->children;
        for (auto it = kids.rbegin(); it != kids.rend(); ++it) {
          Wnd* c = Find(*it);
          if (!c || !(c->style & WS_VISIBLE)) continue;
          int saved = SaveDC(dc);
          OffsetViewportOrgEx(dc, c->client.Left, c->client.Top, nullptr);
          IntersectClipRect(dc, 0, 0, c->client.Width(), c->client.Height());
          Send(*it, WM_PRINT, wParam, lParam & ~PRF_NONCLIENT);
          RestoreDC(dc, saved);
        }
      }
      return 0;
    }
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && !(w->style & WS_MINIMIZE)) SetFocus(hwnd);
      return 0;
    case WM_SETCURSOR: {
      if ((w->style & WS_CHILD) && Find(w->parent) && Send(w->parent, WM_SETCURSOR, wParam, lParam)) return TRUE;
      if (!(w = Find(hwnd))) return FALSE;
      LRESULT hit = LRESULT(SHORT(LOWORD(lParam)));
      if (hit == HTCLIENT) {
        if (w->cls->cursor) {
          SetCursor(w->cls->cursor);
          return TRUE;
        }
        return FALSE;
      }
      if (hit == HTERROR && (HIWORD(lParam) == WM_LBUTTONDOWN || HIWORD(lParam) == WM_RBUTTONDOWN ||
                             HIWORD(lParam) == WM_MBUTTONDOWN))
        MessageBeep(0);
      SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(uintptr_t(CursorForHit(hit)))));
      return FALSE;
    }
    case WM_MOUSEACTIVATE:
      if ((w->style & WS_CHILD) && Find(w->parent)) {
        LRESULT r = Send(w->parent, WM_MOUSEACTIVATE, wParam, lParam);
        if (r) return r;
      }
      return MA_ACTIVATE;
    case WM_MOUSEWHEEL:
    case WM_CONTEXTMENU:
      if ((w->style & WS_CHILD) && Find(w->parent)) return Send(w->parent, msg, wParam, lParam);
      return 0;
    case WM_RBUTTONUP: {
      POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      ClientToScreen(hwnd, &p);
      Send(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(WORD(SHORT(p.X)), WORD(SHORT(p.Y))));
      return 0;
    }
    case WM_NCRBUTTONUP:
      Send(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), lParam);
      return 0;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      if (wParam == WPARAM(VK_APPS)) Send(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), LPARAM(-1));
      // Alt or F10 pressed and released alone opens the menu bar from the keyboard. Alone
      // means no other key went down meanwhile, whoever took that key (Alt with a letter
      // a program handled itself is no lone Alt).
      if (msg == WM_SYSKEYUP && (wParam == WPARAM(VK_MENU) || wParam == WPARAM(VK_F10)) && g_lastSysKey == wParam &&
          S().lastKeyDown == int(wParam)) {
        Wnd* top = TopLevelOf(w);
        if (top) Send(top->handle, WM_SYSCOMMAND, SC_KEYMENU, 0);
      }
      g_lastSysKey = 0;
      return 0;
    case WM_SYSCHAR:
      if (wParam != WPARAM(VK_SPACE)) {
        Wnd* top = TopLevelOf(w);
        if (top) Send(top->handle, WM_SYSCOMMAND, SC_KEYMENU, LPARAM(Byte(wParam)));
      }
      return 0;
    case WM_SYSKEYDOWN:
      g_lastSysKey = (wParam == WPARAM(VK_MENU) || wParam == WPARAM(VK_F10)) && !(GetKeyState(VK_SHIFT) & 0x8000) ? wParam : 0;
      if (wParam == WPARAM(VK_F4) && (lParam & (LPARAM(1) << 29))) {
        Wnd* top = TopLevelOf(w);
        if (top) PostMessageA(top->handle, WM_SYSCOMMAND, SC_CLOSE, 0);
      } else if (wParam == WPARAM(VK_F10) && (GetKeyState(VK_SHIFT) & 0x8000)) {
        Send(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), LPARAM(-1));
      }
      return 0;
    case WM_NCLBUTTONDOWN: {
      POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      if (wParam == WPARAM(HTVSCROLL) || wParam == WPARAM(HTHSCROLL)) {
        TrackScrollBar(hwnd, wParam == WPARAM(HTVSCROLL) ? SB_VERT : SB_HORZ, p);
      } else if (wParam == WPARAM(HTMENU)) {
        Send(hwnd, WM_SYSCOMMAND, SC_MOUSEMENU | HTMENU, lParam);
      } else if (wParam == WPARAM(HTCLOSE)) {
        // The close box acts when the button is released over it.
        POINT end = TrackUntilRelease(hwnd, [](POINT) {});
        Wnd* cw = Find(hwnd);
        if (cw && HitTest(cw, {end.X, end.Y}) == HTCLOSE)
          Send(hwnd, WM_SYSCOMMAND, SC_CLOSE, MAKELPARAM(WORD(SHORT(end.X)), WORD(SHORT(end.Y))));
      }
      return 0;
    }
    case WM_NCLBUTTONDBLCLK:
      return 0;
    case WM_SYSCOMMAND:
      switch (wParam & 0xFFF0) {
        case SC_CLOSE:
          if (!(w->cls->style & CS_NOCLOSE)) Send(hwnd, WM_CLOSE, 0, 0);
          return 0;
        case SC_MINIMIZE: ShowWindow(hwnd, SW_MINIMIZE); return 0;
        case SC_MAXIMIZE: ShowWindow(hwnd, SW_MAXIMIZE); return 0;
        case SC_RESTORE: ShowWindow(hwnd, SW_RESTORE); return 0;
        case SC_MOUSEMENU: TrackMenuBarMouse(hwnd, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}); return 0;
        case SC_KEYMENU: TrackMenuBarKey(hwnd, Byte(lParam)); return 0;
        default: return 0;
      }
    case WM_CLOSE:
      DestroyWindow(hwnd);
      return 0;
    case WM_SETREDRAW:
      // Drawing off hides the window from painting without any notice, as on the platform.
      if (wParam) w->style |= WS_VISIBLE;
      else w->style &= ~WS_VISIBLE;
      return 0;
    case WM_CANCELMODE:
      // Modes end: a menu this window owns, and its hold on the mouse.
      EndMenuOf(hwnd);
      if (S().capture == hwnd) ReleaseCapture();
      return 0;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      bool edit = msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORLISTBOX;
      SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
      SetBkColor(dc, GetSysColor(edit ? COLOR_WINDOW : COLOR_BTNFACE));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(edit ? COLOR_WINDOW : COLOR_BTNFACE));
    }
    case WM_CTLCOLORSCROLLBAR:
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_SCROLLBAR));
    case WM_QUERYENDSESSION:
    case WM_QUERYOPEN:
      return TRUE;
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
      return -1;
    case WM_GETDLGCODE:
    default:
      return 0;
  }
}
