// Window placement: position, size, z-order, visibility, enabling, coordinate mapping,
// window regions and the non-client frame computed from the metrics table.
#include "platform/kernel/Arith.h"
#include "platform/user/UserInternal.h"

#include <algorithm>

using namespace user_detail;

namespace {

inline constexpr UINT SWP_NOCLIENTSIZE = 0x0800;   // internal: the client size did not change
inline constexpr UINT SWP_NOCLIENTMOVE = 0x1000;   // internal: the client origin did not move

TRect Offset(TRect r, int dx, int dy) { return {r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy}; }

void ChangeZOrder(Wnd* w, HWND after) {
  Wnd* p = Find(w->parent);
  if (!p) return;
  auto& c = p->children;
  HWND self = w->handle;
  if (after == HWND_TOPMOST) {
    if (IsTopLevel(w)) w->exStyle |= WS_EX_TOPMOST;
    after = HWND_TOP;
  } else if (after == HWND_NOTOPMOST) {
    if (IsTopLevel(w)) w->exStyle &= ~WS_EX_TOPMOST;
    after = HWND_TOP;
  }
  c.erase(std::remove(c.begin(), c.end(), self), c.end());
  auto pos = c.end();
  if (after == HWND_TOP) {
    pos = c.begin();
  } else if (after == HWND_BOTTOM) {
    pos = c.end();
  } else {
    auto it = std::find(c.begin(), c.end(), after);
    pos = it == c.end() ? c.begin() : it + 1;
  }
  // Keep top-most windows above the others.
  if (IsTopLevel(w)) {
    auto firstPlain = std::find_if(c.begin(), c.end(), [](HWND h) {
      Wnd* s = Find(h);
      return !s || !(s->exStyle & WS_EX_TOPMOST);
    });
    if (w->exStyle & WS_EX_TOPMOST) {
      if (pos > firstPlain) pos = firstPlain;
    } else if (pos < firstPlain) {
      pos = firstPlain;
    }
  }
  c.insert(pos, self);
  // Raised to the top, a window takes the windows it owns along, just above it.
  if (after == HWND_TOP && IsTopLevel(w)) {
    std::vector<HWND> owned;
    for (HWND h : c)
      for (Wnd* o = Find(h); o && o->owner; o = Find(o->owner))
        if (o->owner == self) {
          if (!(Find(h)->exStyle & WS_EX_TOPMOST) || (w->exStyle & WS_EX_TOPMOST)) owned.push_back(h);
          break;
        }
    if (!owned.empty()) {
      c.erase(std::remove_if(c.begin(), c.end(),
                             [&](HWND h) { return std::find(owned.begin(), owned.end(), h) != owned.end(); }),
              c.end());
      c.insert(std::find(c.begin(), c.end(), self), owned.begin(), owned.end());
    }
  }
}

// A child whose parent is not on the screen: showing or hiding it only flips the style.
// The desktop is always on the screen, so a child of the desktop is shown for real.
bool HiddenParent(const Wnd* w) {
  if (!(w->style & WS_CHILD) || w->parent == S().desktop) return false;
  const Wnd* p = Find(w->parent);
  return p && !IsVisibleChain(p);
}

}  // namespace

namespace user_detail {

TRect MaximizedRect(const Wnd* w) {
  const auto& st = S();
  if (w->style & WS_CHILD) {
    const Wnd* p = Find(w->parent);
    return p ? TRect{0, 0, p->client.Width(), p->client.Height()} : w->window;
  }
  // Without a caption a maximized window covers the whole screen; with one, the work
  // area, its frame lying outside so the client fills it.
  if ((w->style & WS_CAPTION) != WS_CAPTION) return {0, 0, st.metrics[SM_CXSCREEN], st.metrics[SM_CYSCREEN]};
  int f = (w->style & WS_THICKFRAME) ? st.metrics[SM_CXFRAME] : 0;
  TRect wa = st.workArea;
  return {wa.Left - f, wa.Top - f, wa.Right + f, wa.Bottom + f};
}

TRect AskMaximizedRect(HWND hwnd) {
  Wnd* w = Find(hwnd);
  if (!w) return {};
  // The window is asked first; it may move or shrink its maximized place.
  TRect target = MaximizedRect(w);
  MINMAXINFO mmi = DefaultMinMaxInfo();
  mmi.ptMaxPosition = {target.Left, target.Top};
  mmi.ptMaxSize = {target.Width(), target.Height()};
  Send(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
  return Bounds(mmi.ptMaxPosition.X, mmi.ptMaxPosition.Y, std::max(mmi.ptMaxSize.X, 0), std::max(mmi.ptMaxSize.Y, 0));
}

void PlaceMaximizedAtCreation(HWND hwnd) {
  Wnd* w = Find(hwnd);
  if (!w || !(w->style & WS_MAXIMIZE)) return;
  w->normalRect = w->window;
  w->hasNormalRect = true;
  TRect target = AskMaximizedRect(hwnd);
  if (!Find(hwnd)) return;
  SetWindowPos(hwnd, nullptr, target.Left, target.Top, target.Width(), target.Height(),
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

MINMAXINFO DefaultMinMaxInfo() {
  const auto& m = S().metrics;
  MINMAXINFO mmi{};
  // Maximized, the frame lies just outside the screen; tracking may reach as far.
  mmi.ptMaxSize = {m[SM_CXSCREEN] + 2 * m[SM_CXFRAME], m[SM_CYSCREEN] + 2 * m[SM_CYFRAME]};
  mmi.ptMaxTrackSize = mmi.ptMaxSize;
  mmi.ptMinTrackSize = {m[SM_CXMIN], m[SM_CYMIN]};
  return mmi;
}

TRect DefaultClientRect(const Wnd* w, const TRect& window) {
  const auto& m = S().metrics;
  TRect r = window;
  auto inset = [&](int dx, int dy) {
    r.Left += dx;
    r.Right -= dx;
    r.Top += dy;
    r.Bottom -= dy;
  };
  DWORD style = w->style;
  DWORD ex = w->exStyle;
  if (style & WS_MINIMIZE) return {window.Left, window.Top, window.Left, window.Top};   // only a caption
  if (style & WS_THICKFRAME) inset(m[SM_CXFRAME], m[SM_CYFRAME]);
  else if ((style & WS_DLGFRAME) || (ex & WS_EX_DLGMODALFRAME)) inset(m[SM_CXDLGFRAME], m[SM_CYDLGFRAME]);
  else if (style & WS_BORDER) inset(m[SM_CXBORDER], m[SM_CYBORDER]);
  if ((style & WS_CAPTION) == WS_CAPTION)
    r.Top += (ex & WS_EX_TOOLWINDOW) ? m[SM_CYSMCAPTION] : m[SM_CYCAPTION];
  r.Top += MenuBarSpace(w);
  if (ex & WS_EX_CLIENTEDGE) inset(m[SM_CXEDGE], m[SM_CYEDGE]);
  if (ex & WS_EX_STATICEDGE) inset(m[SM_CXBORDER], m[SM_CYBORDER]);
  if (style & WS_VSCROLL) r.Right -= m[SM_CXVSCROLL];
  if (style & WS_HSCROLL) r.Bottom -= m[SM_CYHSCROLL];
  r.Right = std::max(r.Right, r.Left);
  r.Bottom = std::max(r.Bottom, r.Top);
  return r;
}

void ActivateOtherWindow(HWND leaving) {
  auto& st = S();
  Wnd* w = Find(leaving);
  HWND next = nullptr;
  auto usable = [&](HWND h) {
    Wnd* c = Find(h);
    return c && h != leaving && !c->destroying && (c->style & WS_VISIBLE) && !(c->style & WS_DISABLED) &&
           !(c->exStyle & WS_EX_TOOLWINDOW && c->style & WS_POPUP && !(c->style & WS_CAPTION));
  };
  if (w && usable(w->owner)) next = w->owner;
  if (!next)
    for (HWND h : Find(st.desktop)->children)
      if (usable(h)) {
        next = h;
        break;
      }
  SetActiveWindow(next);
}

}  // namespace user_detail

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  Wnd* w = Find(hwnd);
  auto& st = S();
  if (!w || hwnd == st.desktop || hwnd == st.messageRoot) return FALSE;
  if (!(flags & SWP_NOZORDER) && insertAfter == st.desktop) return FALSE;   // no sibling of anything
  flags &= ~(SWP_NOCLIENTSIZE | SWP_NOCLIENTMOVE);
  x = ClampCoord(x);
  y = ClampCoord(y);
  cx = ClampSize(cx);
  cy = ClampSize(cy);
  bool visible = (w->style & WS_VISIBLE) != 0;
  if (visible) flags &= ~SWP_SHOWWINDOW;
  else flags &= ~SWP_HIDEWINDOW;
  if ((flags & SWP_SHOWWINDOW) && (flags & SWP_HIDEWINDOW)) flags &= ~SWP_HIDEWINDOW;
  if (!(flags & SWP_NOSIZE) && w->window.Width() == cx && w->window.Height() == cy) flags |= SWP_NOSIZE;
  if (!(flags & SWP_NOMOVE) && w->window.Left == x && w->window.Top == y) flags |= SWP_NOMOVE;
  if (insertAfter == hwnd) flags |= SWP_NOZORDER;
  // A child placed without SWP_NOACTIVATE is told so (WM_CHILDACTIVATE) before the change
  // is reported; it is never activated itself.
  const bool childActivate = (w->style & WS_CHILD) && !(flags & (SWP_NOACTIVATE | SWP_HIDEWINDOW));
  if (w->style & WS_CHILD) flags |= SWP_NOACTIVATE;

  WINDOWPOS wp;
  wp.hwnd = hwnd;
  wp.hwndInsertAfter = insertAfter;
  wp.x = (flags & SWP_NOMOVE) ? w->window.Left : x;
  wp.y = (flags & SWP_NOMOVE) ? w->window.Top : y;
  wp.cx = (flags & SWP_NOSIZE) ? w->window.Width() : cx;
  wp.cy = (flags & SWP_NOSIZE) ? w->window.Height() : cy;
  wp.flags = flags;
  if (!(flags & SWP_NOSENDCHANGING)) {
    Send(hwnd, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&wp));
    if (!(w = Find(hwnd))) return FALSE;
    wp.hwnd = hwnd;
    flags = wp.flags;
  }
  TRect oldWindow = w->window;
  TRect oldClient = w->client;
  TRect newWindow = oldWindow;
  // The procedure may have changed the placement: it is clamped again.
  if (!(flags & SWP_NOMOVE)) newWindow = Bounds(ClampCoord(wp.x), ClampCoord(wp.y), newWindow.Width(), newWindow.Height());
  if (!(flags & SWP_NOSIZE)) newWindow.Right = newWindow.Left + ClampSize(wp.cx),
                             newWindow.Bottom = newWindow.Top + ClampSize(wp.cy);
  TRect newClient = Offset(oldClient, newWindow.Left - oldWindow.Left, newWindow.Top - oldWindow.Top);
  if (!(flags & SWP_NOSIZE) || (flags & SWP_FRAMECHANGED)) {
    NCCALCSIZE_PARAMS p{};
    p.rgrc[0] = newWindow;
    p.rgrc[1] = oldWindow;
    p.rgrc[2] = oldClient;
    p.lppos = &wp;
    Send(hwnd, WM_NCCALCSIZE, TRUE, reinterpret_cast<LPARAM>(&p));
    if (!(w = Find(hwnd))) return FALSE;
    newClient = p.rgrc[0];
  }
  bool moved = newWindow.Left != oldWindow.Left || newWindow.Top != oldWindow.Top;
  bool sized = newWindow.Width() != oldWindow.Width() || newWindow.Height() != oldWindow.Height();
  if (newClient.Width() == oldClient.Width() && newClient.Height() == oldClient.Height())
    flags |= SWP_NOCLIENTSIZE;
  if (newClient.Left == oldClient.Left && newClient.Top == oldClient.Top) flags |= SWP_NOCLIENTMOVE;

  // Parent area the window uncovers.
  bool wasShown = IsVisibleChain(w);
  if (wasShown && !(flags & SWP_NOREDRAW) && !IsTopLevel(w) &&
      (moved || sized || (flags & SWP_HIDEWINDOW) || !(flags & SWP_NOZORDER)))
    InvalidateParentArea(w, oldWindow);

  w->window = newWindow;
  w->client = newClient;
  if (!(flags & SWP_NOZORDER)) ChangeZOrder(w, insertAfter);
  if (flags & SWP_SHOWWINDOW) w->style |= WS_VISIBLE;
  if (flags & SWP_HIDEWINDOW) w->style &= ~WS_VISIBLE;
  bool nowShown = IsVisibleChain(w);
  if (nowShown && !(flags & SWP_NOREDRAW)) {
    bool top = IsTopLevel(w);
    bool clientShifted = newClient.Left - newWindow.Left != oldClient.Left - oldWindow.Left ||
                         newClient.Top - newWindow.Top != oldClient.Top - oldWindow.Top;
    if ((flags & SWP_SHOWWINDOW) || (flags & SWP_FRAMECHANGED) || (!top && moved) ||
        (!top && !(flags & SWP_NOZORDER)) || (sized && clientShifted)) {
      InvalidateWindowArea(w, true, true);
    } else if (sized) {
      // The pixels stay where they were: only what the new size uncovers is painted,
      // unless the class asks for a full redraw when the width or height changes.
      UINT cs = w->cls ? w->cls->style : 0;
      bool wider = newClient.Width() != oldClient.Width(), taller = newClient.Height() != oldClient.Height();
      if (((cs & CS_HREDRAW) && wider) || ((cs & CS_VREDRAW) && taller)) {
        InvalidateWindowArea(w, true, true);
      } else {
        Region exposed = Region::Combine(Region(TRect{0, 0, newClient.Width(), newClient.Height()}),
                                         Region(TRect{0, 0, oldClient.Width(), oldClient.Height()}), RegionOp::Diff);
        InvalidateClientPart(w, exposed);
      }
    }
  }
  if (IsTopLevel(w))
    if (Host* host = CurrentHost()) host->TopLevelChanged(hwnd, WindowRectOnScreen(w), w->style);

  if (childActivate) {
    Send(hwnd, WM_CHILDACTIVATE, 0, 0);
    if (!(w = Find(hwnd))) return TRUE;
  }
  // Showing activates before the change is reported, as on the platform.
  if (IsTopLevel(w) && w->parent == st.desktop && (w->style & WS_VISIBLE) && !(flags & SWP_NOACTIVATE) &&
      st.active != hwnd) {
    SetActiveWindow(hwnd);
    if (!(w = Find(hwnd))) return TRUE;
  }
  if ((flags & (SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_SHOWWINDOW | SWP_HIDEWINDOW | SWP_FRAMECHANGED)) !=
      (SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER)) {
    wp.x = newWindow.Left;
    wp.y = newWindow.Top;
    wp.cx = newWindow.Width();
    wp.cy = newWindow.Height();
    wp.flags = flags;
    Send(hwnd, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&wp));
    if (!(w = Find(hwnd))) return TRUE;
  }
  // Hiding the active window activates another, unless asked not to. The focus stays
  // where it is: ShowWindow moves it.
  if ((flags & SWP_HIDEWINDOW) && !(flags & SWP_NOACTIVATE) && (w = Find(hwnd)) && IsTopLevel(w) &&
      w->parent == st.desktop && st.active == hwnd)
    ActivateOtherWindow(hwnd);
  return TRUE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
  return SetWindowPos(hwnd, nullptr, x, y, width, height,
                      SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

BOOL BringWindowToTop(HWND hwnd) {
  return SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

namespace {

// Minimizing, maximizing and restoring: the state bits change and the window moves; the
// rectangle it had before is kept for the restore.
void ChangeSizeState(HWND hwnd, int cmd, UINT flags) {
  Wnd* w = Find(hwnd);
  auto& st = S();
  bool maximize = cmd == SW_SHOWMAXIMIZED;
  bool minimize = cmd == SW_MINIMIZE || cmd == SW_SHOWMINIMIZED || cmd == SW_SHOWMINNOACTIVE;
  DWORD wanted = maximize ? WS_MAXIMIZE : minimize ? WS_MINIMIZE : 0;
  if (maximize && (w->style & WS_MAXIMIZE)) {
    // Maximized already, it is put back at the maximized place (it may have been moved).
    TRect target = AskMaximizedRect(hwnd);
    if (!Find(hwnd)) return;
    SetWindowPos(hwnd, HWND_TOP, target.Left, target.Top, target.Width(), target.Height(), flags);
    return;
  }
  if ((w->style & (WS_MAXIMIZE | WS_MINIMIZE)) == wanted) {
    SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, flags | SWP_NOMOVE | SWP_NOSIZE);
    return;
  }
  const bool wasMinimized = (w->style & WS_MINIMIZE) != 0;
  if (wasMinimized && !minimize) {
    // A minimized window is asked before it opens; it may refuse.
    if (!Send(hwnd, WM_QUERYOPEN, 0, 0) || !(w = Find(hwnd))) return;
  }
  if (!w->hasNormalRect) {
    w->normalRect = w->window;
    w->hasNormalRect = true;
  }
  w->style = (w->style & ~(WS_MAXIMIZE | WS_MINIMIZE)) | wanted;
  TRect target = w->normalRect;
  if (maximize) {
    target = AskMaximizedRect(hwnd);
    if (!(w = Find(hwnd))) return;
  } else if (minimize) {
    target = Bounds(-32000, -32000, 160, st.metrics[SM_CYCAPTION] + 2 * st.metrics[SM_CYFRAME]);
  } else {
    w->hasNormalRect = false;
  }
  SetWindowPos(hwnd, HWND_TOP, target.Left, target.Top, target.Width(), target.Height(), flags | SWP_FRAMECHANGED);
  if (!Find(hwnd) || st.active != hwnd) return;
  if (cmd == SW_MINIMIZE) {
    ActivateOtherWindow(hwnd);   // minimizing hands the activation on
  } else if (minimize) {
    // Shown minimized it stays active, but nothing inside it keeps the focus.
    if (st.focus == hwnd || IsDescendant(hwnd, st.focus)) SetFocus(nullptr);
  } else if (wasMinimized) {
    // Opened while active: the focus comes back to it, and it is told it is active again
    // (even when it was already), so it can place its focus.
    if (!st.focus) SetFocus(hwnd);
    if (Find(hwnd) && st.active == hwnd) Send(hwnd, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0), 0);
  }
}

}  // namespace

BOOL ShowWindow(HWND hwnd, int cmd) {
  Wnd* w = Find(hwnd);
  if (!w || hwnd == S().desktop) return FALSE;
  bool wasVisible = (w->style & WS_VISIBLE) != 0;
  if (cmd == SW_HIDE) {
    if (!wasVisible) return FALSE;
    Send(hwnd, WM_SHOWWINDOW, FALSE, 0);
    if (!(w = Find(hwnd))) return TRUE;
    if (HiddenParent(w)) {
      w->style &= ~WS_VISIBLE;   // nothing on the screen changes: no position messages
    } else {
      UINT flags = SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER;
      if (S().active != hwnd) flags |= SWP_NOACTIVATE;
      SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, flags);
    }
    // A hidden window that had the focus gives it back to its parent (a top-level window
    // to nobody); a focused window inside it keeps it.
    if ((w = Find(hwnd)) && S().focus == hwnd) {
      Wnd* p = IsTopLevel(w) ? nullptr : Find(w->parent);
      SetFocus(p && !p->destroying ? p->handle : nullptr);
    }
    return TRUE;
  }
  // Showing what is shown already changes nothing (the other commands still act).
  if (wasVisible && (cmd == SW_SHOW || cmd == SW_SHOWNA)) return TRUE;
  if (cmd == SW_MAXIMIZE) cmd = SW_SHOWMAXIMIZED;
  UINT flags = SWP_SHOWWINDOW;
  if (cmd == SW_SHOWNA || cmd == SW_SHOWNOACTIVATE || cmd == SW_SHOWMINNOACTIVE || cmd == SW_MINIMIZE ||
      (w->style & WS_CHILD))
    flags |= SWP_NOACTIVATE | SWP_NOZORDER;
  if (!wasVisible) {
    Send(hwnd, WM_SHOWWINDOW, TRUE, 0);
    if (!(w = Find(hwnd))) return FALSE;
  }
  bool changesState = cmd == SW_SHOWMAXIMIZED || cmd == SW_MINIMIZE || cmd == SW_SHOWMINIMIZED ||
                      cmd == SW_SHOWMINNOACTIVE;
  bool restores = (cmd == SW_RESTORE || cmd == SW_SHOWNORMAL || cmd == SW_SHOWDEFAULT) &&
                  (w->style & (WS_MAXIMIZE | WS_MINIMIZE));
  if (changesState || restores) {
    ChangeSizeState(hwnd, cmd, flags);
    return wasVisible;
  }
  if (HiddenParent(w)) {
    w->style |= WS_VISIBLE;   // shown inside a hidden parent: nothing on the screen changes
    return wasVisible;
  }
  SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, flags | SWP_NOMOVE | SWP_NOSIZE);
  return wasVisible;
}

BOOL IsWindowVisible(HWND hwnd) {
  Wnd* w = Find(hwnd);
  return w && IsVisibleChain(w) ? TRUE : FALSE;
}

BOOL IsIconic(HWND hwnd) {
  Wnd* w = Find(hwnd);
  return w && (w->style & WS_MINIMIZE) ? TRUE : FALSE;
}

BOOL IsZoomed(HWND hwnd) {
  Wnd* w = Find(hwnd);
  return w && (w->style & WS_MAXIMIZE) ? TRUE : FALSE;
}

BOOL EnableWindow(HWND hwnd, BOOL enable) {
  Wnd* w = Find(hwnd);
  if (!w) return FALSE;
  BOOL wasDisabled = (w->style & WS_DISABLED) ? TRUE : FALSE;
  if (enable && wasDisabled) {
    w->style &= ~WS_DISABLED;
    Send(hwnd, WM_ENABLE, TRUE, 0);
  } else if (!enable && !wasDisabled) {
    Send(hwnd, WM_CANCELMODE, 0, 0);
    if (!(w = Find(hwnd))) return FALSE;
    w->style |= WS_DISABLED;
    // Only the focus window itself loses it: a disabled parent keeps its child focused.
    if (S().focus == hwnd) SetFocus(nullptr);
    if (S().capture == hwnd) ReleaseCapture();
    if (Find(hwnd)) Send(hwnd, WM_ENABLE, FALSE, 0);
  }
  return wasDisabled;
}

BOOL IsWindowEnabled(HWND hwnd) {
  Wnd* w = Find(hwnd);
  return w && !(w->style & WS_DISABLED) ? TRUE : FALSE;
}

// ---- Geometry --------------------------------------------------------------------------------

BOOL GetWindowRect(HWND hwnd, LPRECT rect) {
  Wnd* w = Find(hwnd);
  if (!w || !rect) return FALSE;
  *rect = WindowRectOnScreen(w);
  return TRUE;
}

BOOL GetClientRect(HWND hwnd, LPRECT rect) {
  Wnd* w = Find(hwnd);
  if (!w || !rect) return FALSE;
  *rect = {0, 0, w->client.Width(), w->client.Height()};
  return TRUE;
}

BOOL ClientToScreen(HWND hwnd, LPPOINT point) {
  Wnd* w = Find(hwnd);
  if (!w || !point) return FALSE;
  TPoint o = ClientOriginOnScreen(w);
  point->X = Saturate32(Int64(point->X) + o.X);
  point->Y = Saturate32(Int64(point->Y) + o.Y);
  return TRUE;
}

BOOL ScreenToClient(HWND hwnd, LPPOINT point) {
  Wnd* w = Find(hwnd);
  if (!w || !point) return FALSE;
  TPoint o = ClientOriginOnScreen(w);
  point->X = Saturate32(Int64(point->X) - o.X);
  point->Y = Saturate32(Int64(point->Y) - o.Y);
  return TRUE;
}

int MapWindowPoints(HWND from, HWND to, LPPOINT points, UINT count) {
  TPoint a{0, 0}, b{0, 0};
  if (from) {
    Wnd* w = Find(from);
    if (!w) return 0;
    a = ClientOriginOnScreen(w);
  }
  if (to) {
    Wnd* w = Find(to);
    if (!w) return 0;
    b = ClientOriginOnScreen(w);
  }
  const int dx = Saturate32(Int64(a.X) - b.X), dy = Saturate32(Int64(a.Y) - b.Y);
  for (UINT i = 0; points && i < count; i++) {
    points[i].X = Saturate32(Int64(points[i].X) + dx);
    points[i].Y = Saturate32(Int64(points[i].Y) + dy);
  }
  return MAKELONG(WORD(SHORT(dx)), WORD(SHORT(dy)));
}

BOOL AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle) {
  if (!rect) return FALSE;
  Wnd probe;
  probe.style = style;
  probe.exStyle = exStyle;
  probe.menu = menu ? reinterpret_cast<HMENU>(1) : nullptr;
  // Scroll bars are not part of the adjustment, as on the platform.
  probe.style &= ~(WS_VSCROLL | WS_HSCROLL);
  TRect big{0, 0, 10000, 10000};
  TRect c = DefaultClientRect(&probe, big);
  rect->Left = Saturate32(Int64(rect->Left) - c.Left);
  rect->Top = Saturate32(Int64(rect->Top) - c.Top);
  rect->Right = Saturate32(Int64(rect->Right) + (big.Right - c.Right));
  rect->Bottom = Saturate32(Int64(rect->Bottom) + (big.Bottom - c.Bottom));
  return TRUE;
}

// ---- Hit testing by geometry -------------------------------------------------------------------

namespace {

bool ContainsPoint(const Wnd* w, TPoint inParent) {
  if (inParent.X < w->window.Left || inParent.X >= w->window.Right || inParent.Y < w->window.Top ||
      inParent.Y >= w->window.Bottom)
    return false;
  if (w->hasRegion && !w->region.Contains(inParent.X - w->window.Left, inParent.Y - w->window.Top))
    return false;
  return true;
}

}  // namespace

HWND ChildWindowFromPoint(HWND parent, POINT pt) {
  Wnd* p = Find(parent);
  if (!p) return nullptr;
  if (pt.X < 0 || pt.Y < 0 || pt.X >= p->client.Width() || pt.Y >= p->client.Height()) return nullptr;
  for (HWND c : p->children) {
    Wnd* w = Find(c);
    if (w && (w->style & WS_VISIBLE) && ContainsPoint(w, pt)) return c;
  }
  return parent;
}

namespace user_detail {

// The deepest visible, enabled window under a screen point, honouring window regions and
// WM_NCHITTEST's HTTRANSPARENT (the search moves on to the windows below).
HWND HitTestPoint(TPoint screen, LRESULT* hitOut) {
  auto& st = S();
  std::vector<HWND> candidates;
  std::function<bool(HWND, TPoint)> search = [&](HWND parentH, TPoint inParent) -> bool {
    Wnd* p = Find(parentH);
    if (!p) return false;
    std::vector<HWND> kids = p->children;
    for (HWND c : kids) {
      Wnd* w = Find(c);
      if (!w || !(w->style & WS_VISIBLE) || !ContainsPoint(w, inParent)) continue;
      // Children of an enabled window first: they lie on top of it.
      if (!(w->style & WS_DISABLED)) {
        TPoint inClient{inParent.X - w->client.Left, inParent.Y - w->client.Top};
        if (inClient.X >= 0 && inClient.Y >= 0 && inClient.X < w->client.Width() &&
            inClient.Y < w->client.Height())
          if (search(c, inClient)) return true;
      } else if (w->style & WS_CHILD) {
        continue;   // disabled children are looked through to their parent
      }
      if (!Find(c)) continue;
      LRESULT hit = (w->style & WS_DISABLED) ? HTERROR
                                              : Send(c, WM_NCHITTEST, 0, MAKELPARAM(WORD(SHORT(screen.X)),
                                                                                    WORD(SHORT(screen.Y))));
      if (hit == HTTRANSPARENT) continue;
      candidates.push_back(c);
      if (hitOut) *hitOut = hit;
      return true;
    }
    return false;
  };
  if (search(st.desktop, screen)) return candidates.back();
  if (hitOut) *hitOut = HTNOWHERE;
  return nullptr;
}

}  // namespace user_detail

HWND WindowFromPoint(POINT pt) {
  return HitTestPoint(pt, nullptr);
}

// ---- Window regions ----------------------------------------------------------------------------

int SetWindowRgn(HWND hwnd, HRGN rgn, BOOL redraw) {
  Wnd* w = Find(hwnd);
  if (!w) return 0;
  Region* r = nullptr;
  if (rgn) {
    r = RegionOfHandle(rgn);
    if (!r) return 0;
  }
  if (redraw && IsVisibleChain(w) && !IsTopLevel(w)) InvalidateParentArea(w, w->window);
  w->hasRegion = r != nullptr;
  w->region = r ? *r : Region();
  if (rgn) DeleteRegionHandle(rgn);
  if (redraw && IsVisibleChain(w)) InvalidateWindowArea(w, true, true);
  if (IsTopLevel(w))
    if (Host* host = CurrentHost()) host->TopLevelChanged(hwnd, WindowRectOnScreen(w), w->style);
  return 1;
}

const Region* GetWindowShape(HWND hwnd) {
  Wnd* w = Find(hwnd);
  return w && w->hasRegion ? &w->region : nullptr;
}

int GetWindowRgn(HWND hwnd, HRGN rgn) {
  Wnd* w = Find(hwnd);
  Region* out = RegionOfHandle(rgn);
  if (!w || !out || !w->hasRegion) return 0;
  *out = w->region;
  return out->Complexity();
}
