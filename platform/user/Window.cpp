// Window classes and windows: creation and destruction, window longs, text, hierarchy.
#include "platform/gdi/Gdi.h"
#include "platform/kernel/Clock.h"
#include "platform/kernel/ScopeExit.h"
#include "platform/user/Menus.h"
#include "platform/user/UserInternal.h"
#include "platform/user/UserTesting.h"

#include <algorithm>
#include <cstring>
#include <exception>

using namespace user_detail;

namespace {

String UpperKey(LPCSTR name) {
  String s = name ? name : "";
  for (auto& c : s)
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  return s;
}

std::shared_ptr<WndClass> FindClass(LPCSTR name) {
  auto& st = S();
  if (IS_INTRESOURCE(name)) {
    ATOM atom = ATOM(reinterpret_cast<uintptr_t>(name));
    for (auto& [k, c] : st.classes)
      if (c->atom == atom) return c;
    return nullptr;
  }
  auto it = st.classes.find(UpperKey(name));
  return it == st.classes.end() ? nullptr : it->second;
}

HWND AllocHandle(std::unique_ptr<Wnd> w) {
  auto& st = S();
  uint32_t slot;
  // A freed slot waits behind others so that a stale handle is not soon paired with a new window.
  if (!st.freeSlots.empty() && (st.freeSlots.size() > 64 || st.slots.size() >= 0xFFFE)) {
    slot = st.freeSlots.front();
    st.freeSlots.pop_front();
  } else {
    slot = uint32_t(st.slots.size());
    if (slot >= 0xFFFE) return nullptr;
    st.slots.emplace_back();
    st.generations.push_back(0);
  }
  const uint32_t gen = ++st.generations[slot];
  HWND h = reinterpret_cast<HWND>((uintptr_t(gen) << 16) | uintptr_t(slot + 1));
  w->handle = h;
  st.slots[slot] = std::move(w);
  return h;
}

void FreeHandle(HWND h) {
  auto& st = S();
  uintptr_t v = reinterpret_cast<uintptr_t>(h);
  uint32_t slot = uint32_t(v & 0xFFFF) - 1;
  st.slots[slot].reset();
  if (st.generations[slot] != UINT32_MAX) st.freeSlots.push_back(slot);   // else retired for good
}

void Unlink(Wnd* w) {
  if (Wnd* p = Find(w->parent)) {
    auto& c = p->children;
    c.erase(std::remove(c.begin(), c.end(), w->handle), c.end());
  }
}

// Top-most windows stay above the others among the top-level windows.
void LinkAtTop(Wnd* parent, Wnd* w) {
  auto& c = parent->children;
  auto pos = c.begin();
  if (IsTopLevel(w) && !(w->exStyle & WS_EX_TOPMOST))
    while (pos != c.end()) {
      Wnd* s = Find(*pos);
      if (!s || !(s->exStyle & WS_EX_TOPMOST)) break;
      ++pos;
    }
  c.insert(pos, w->handle);
}

HWND CreateRoot(const char* className) {
  auto w = std::make_unique<Wnd>();
  auto cls = std::make_shared<WndClass>();
  cls->name = className;
  cls->key = className;
  cls->proc = DefWindowProcToken();
  w->cls = cls;
  w->proc = cls->proc;
  w->style = WS_VISIBLE | WS_CLIPCHILDREN;
  TRect screen{0, 0, S().metrics[SM_CXSCREEN], S().metrics[SM_CYSCREEN]};
  w->window = w->client = screen;
  return AllocHandle(std::move(w));
}

void NotifyParents(HWND h, WPARAM what) {
  Wnd* w = Find(h);
  if (!w || !(w->style & WS_CHILD) || (w->exStyle & WS_EX_NOPARENTNOTIFY)) return;
  WPARAM wParam = MAKEWPARAM(WORD(what), WORD(reinterpret_cast<uintptr_t>(w->menu)));
  HWND p = w->parent;
  while (Wnd* pw = Find(p)) {
    if (p == S().desktop) break;
    Send(p, WM_PARENTNOTIFY, wParam, reinterpret_cast<LPARAM>(h));
    pw = Find(p);
    if (!pw || !(pw->style & WS_CHILD) || (pw->exStyle & WS_EX_NOPARENTNOTIFY)) break;
    p = pw->parent;
  }
}

void SendDestroyMessages(HWND h) {
  Wnd* w = Find(h);
  if (!w) return;
  w->destroying = true;
  if (S().capture == h) ReleaseCapture();
  DestroyCaretOf(h);
  Send(h, WM_DESTROY, 0, 0);
  w = Find(h);
  if (!w) return;
  std::vector<HWND> kids = w->children;
  for (HWND c : kids) SendDestroyMessages(c);
}

void FreeWindow(HWND h);

// The part of freeing that calls no procedure, so it also runs while an exception from
// WM_NCDESTROY passes.
void ReleaseWindow(HWND h) noexcept {
  Wnd* w = Find(h);
  if (!w) return;
  // Children created during destruction go with their parent.
  for (HWND c : std::vector<HWND>(w->children)) {
    try {
      FreeWindow(c);
    } catch (...) {
      // A failing procedure cannot keep its window alive.
    }
  }
  if (!(w = Find(h))) return;
  ForgetWindowInput(h);
  KillTimersOf(h);
  RemovePostedFor(h);
  CloseOpenPaints(h);
  DiscardDCsOf(h);
  bool top = IsTopLevel(w);
  Unlink(w);
  if (w->cls) w->cls->windows--;
  if (S().clipboardOwner == h) S().clipboardOwner = nullptr;
  if (S().clipboardOpener == h) S().clipboardOpener = nullptr;
  FreeHandle(h);
  if (top)
    if (Host* host = CurrentHost()) host->TopLevelDestroyed(h);
}

void FreeWindow(HWND h) {
  Wnd* w = Find(h);
  if (!w) return;
  w->destroying = true;
  TScopeExit release([h] { ReleaseWindow(h); });
  std::vector<HWND> kids = w->children;
  for (HWND c : kids) FreeWindow(c);
  Send(h, WM_NCDESTROY, 0, 0);
}

}  // namespace

namespace user_detail {

Wnd* Find(HWND h) {
  auto& st = S();
  uintptr_t v = reinterpret_cast<uintptr_t>(h);
  if (v < 0x10000 || (v >> 48) != 0) return nullptr;
  uint32_t slot = uint32_t(v & 0xFFFF) - 1;
  uint32_t gen = uint32_t(v >> 16);
  if (slot >= st.slots.size() || !st.slots[slot] || st.generations[slot] != gen) return nullptr;
  return st.slots[slot].get();
}

bool IsTopLevel(const Wnd* w) {
  return w && (w->parent == S().desktop || w->parent == S().messageRoot) && w->parent != nullptr;
}

Wnd* TopLevelOf(Wnd* w) {
  while (w && !IsTopLevel(w)) w = Find(w->parent);
  return w;
}

TPoint ClientOriginOnScreen(const Wnd* w) {
  TPoint p{0, 0};
  while (w) {
    p.X += w->client.Left;
    p.Y += w->client.Top;
    w = Find(w->parent);
  }
  return p;
}

TRect WindowRectOnScreen(const Wnd* w) {
  TPoint o{0, 0};
  if (const Wnd* p = Find(w->parent)) o = ClientOriginOnScreen(p);
  TRect r = w->window;
  return {r.Left + o.X, r.Top + o.Y, r.Right + o.X, r.Bottom + o.Y};
}

bool IsVisibleChain(const Wnd* w) {
  while (w) {
    if (!(w->style & WS_VISIBLE)) return false;
    if (IsTopLevel(w)) return w->parent == S().desktop;
    w = Find(w->parent);
  }
  return false;
}

int NestingDepth(const Wnd* w) {
  int depth = 0;
  for (; w && w->handle != S().desktop && w->handle != S().messageRoot; w = Find(w->parent)) ++depth;
  return depth;
}

int SubtreeHeight(const Wnd* w) {
  // Level by level, so a deep tree costs no stack here either.
  int height = 0;
  std::vector<const Wnd*> level{w}, next;
  while (!level.empty()) {
    ++height;
    next.clear();
    for (const Wnd* x : level)
      for (HWND c : x->children)
        if (const Wnd* cw = Find(c)) next.push_back(cw);
    level.swap(next);
  }
  return height;
}

bool IsDescendant(HWND ancestor, HWND h) {
  Wnd* w = Find(h);
  while (w) {
    if (w->parent == ancestor) return true;
    if (IsTopLevel(w)) return false;
    w = Find(w->parent);
  }
  return false;
}

void EnsureRoots() {
  auto& st = S();
  if (!st.desktop) {
    // Colour changes made through the raster device's table reach every top-level window.
    SetSysColorChangeHook([] { UserBroadcastSysColorChange(); });
    // A program that draws and then sleeps shows the drawing while it sleeps.
    SetBeforeSleepHook(PresentOpenDCs);
    InitMetrics();
    st.desktop = CreateRoot("#32769");
    st.messageRoot = CreateRoot("Message");
    Find(st.messageRoot)->style &= ~WS_VISIBLE;
  }
}

}  // namespace user_detail

// ---- Classes -------------------------------------------------------------------------------

ATOM RegisterClassA(const WNDCLASSA* wc) {
  if (!wc || !wc->lpszClassName || wc->cbClsExtra < 0 || wc->cbWndExtra < 0 || wc->cbWndExtra > 4096)
    return 0;
  if (!IS_INTRESOURCE(wc->lpszClassName) && wc->lpszClassName[0] == 0) return 0;
  if (IS_INTRESOURCE(wc->lpszClassName)) return 0;
  EnsureRoots();
  auto& st = S();
  String key = UpperKey(wc->lpszClassName);
  if (st.classes.count(key)) return 0;
  auto c = std::make_shared<WndClass>();
  c->name = wc->lpszClassName;
  c->key = key;
  c->atom = st.nextAtom++;
  c->style = wc->style;
  c->proc = wc->lpfnWndProc ? wc->lpfnWndProc : DefWindowProcToken();
  c->clsExtra = wc->cbClsExtra;
  c->wndExtra = wc->cbWndExtra;
  c->instance = wc->hInstance;
  c->icon = wc->hIcon;
  c->cursor = wc->hCursor;
  c->background = wc->hbrBackground;
  if (wc->lpszMenuName && !IS_INTRESOURCE(wc->lpszMenuName)) c->menuName = wc->lpszMenuName;
  st.classes[key] = c;
  return c->atom;
}

BOOL UnregisterClassA(LPCSTR className, HINSTANCE) {
  auto c = FindClass(className);
  if (!c || c->windows > 0) return FALSE;
  S().classes.erase(c->key);
  return TRUE;
}

BOOL GetClassInfoA(HINSTANCE, LPCSTR className, WNDCLASSA* out) {
  auto c = FindClass(className);
  if (!c || !out) return FALSE;
  out->style = c->style;
  out->lpfnWndProc = c->proc;
  out->cbClsExtra = c->clsExtra;
  out->cbWndExtra = c->wndExtra;
  out->hInstance = c->instance;
  out->hIcon = c->icon;
  out->hCursor = c->cursor;
  out->hbrBackground = c->background;
  out->lpszMenuName = nullptr;
  out->lpszClassName = c->name.c_str();
  return TRUE;
}

int GetClassNameA(HWND hwnd, LPSTR buffer, int size) {
  Wnd* w = Find(hwnd);
  if (!w || !buffer || size <= 0) return 0;
  int n = std::min<int>(int(w->cls->name.size()), size - 1);
  std::memcpy(buffer, w->cls->name.data(), size_t(n));
  buffer[n] = 0;
  return n;
}

ULONG_PTR GetClassLongA(HWND hwnd, int index) {
  Wnd* w = Find(hwnd);
  if (!w) return 0;
  switch (index) {
    case GCL_STYLE: return w->cls->style;
    case GCL_HBRBACKGROUND: return reinterpret_cast<ULONG_PTR>(w->cls->background);
    case GCL_HCURSOR: return reinterpret_cast<ULONG_PTR>(w->cls->cursor);
    case GCL_WNDPROC: return reinterpret_cast<ULONG_PTR>(w->cls->proc);
    default: return 0;
  }
}

ULONG_PTR SetClassLongA(HWND hwnd, int index, LONG_PTR value) {
  Wnd* w = Find(hwnd);
  if (!w) return 0;
  ULONG_PTR old = GetClassLongA(hwnd, index);
  switch (index) {
    case GCL_STYLE: w->cls->style = UINT(value); break;
    case GCL_HBRBACKGROUND: w->cls->background = reinterpret_cast<HBRUSH>(value); break;
    case GCL_HCURSOR: w->cls->cursor = reinterpret_cast<HCURSOR>(value); break;
    case GCL_WNDPROC: w->cls->proc = reinterpret_cast<WNDPROC>(value); break;
    default: return 0;
  }
  return old;
}

// ---- Creation and destruction ----------------------------------------------------------------

HWND GetDesktopWindow() {
  EnsureRoots();
  return S().desktop;
}

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
  EnsureRoots();
  auto& st = S();
  auto cls = FindClass(className);
  if (!cls) return nullptr;
  HWND parentHandle = st.desktop;
  HWND owner = nullptr;
  if (style & WS_CHILD) {
    if (parent == HWND_MESSAGE) parent = st.messageRoot;
    if (!Find(parent) || parent == st.messageRoot) return nullptr;
    if (NestingDepth(Find(parent)) >= kMaxWindowNesting) return nullptr;
    parentHandle = parent;
  } else if (parent == HWND_MESSAGE) {
    parentHandle = st.messageRoot;
  } else if (parent) {
    Wnd* p = Find(parent);
    if (!p) return nullptr;
    Wnd* top = TopLevelOf(p);
    owner = top ? top->handle : nullptr;
  }
  if (!(style & WS_CHILD)) {
    // Top-level windows always get a caption unless they are popups.
    if (!(style & WS_POPUP)) style |= WS_CAPTION | WS_CLIPSIBLINGS;
  }
  if (x == CW_USEDEFAULT) {
    if (style & WS_CHILD) x = y = 0;
    else {
      x = st.workArea.Left + 26;
      y = st.workArea.Top + 26;
    }
  }
  if (width == CW_USEDEFAULT) {
    if (style & WS_CHILD) width = height = 0;
    else {
      width = st.workArea.Width() * 3 / 4;
      height = st.workArea.Height() * 3 / 4;
    }
  }
  x = ClampCoord(x);
  y = ClampCoord(y);
  width = ClampSize(width);
  height = ClampSize(height);

  auto w = std::make_unique<Wnd>();
  w->cls = cls;
  w->proc = cls->proc;
  w->style = style & ~WS_VISIBLE;
  // A window owned by a top-most one is top-most too.
  if (Wnd* o = Find(owner); o && (o->exStyle & WS_EX_TOPMOST)) exStyle |= WS_EX_TOPMOST;
  w->exStyle = exStyle;
  w->parent = parentHandle;
  w->owner = owner;
  w->instance = instance;
  w->menu = menu;
  w->extra.assign(size_t(cls->wndExtra), 0);
  w->scrollInfo = (style & (WS_HSCROLL | WS_VSCROLL)) != 0;
  w->window = Bounds(x, y, width, height);
  w->client = w->window;
  HWND h = AllocHandle(std::move(w));
  if (!h) return nullptr;
  cls->windows++;
  // A new child goes below its siblings, so creation order is z-order (and tab order),
  // unless it is made maximized; a new top-level window goes on top.
  if ((style & WS_CHILD) && !(style & WS_MAXIMIZE)) Find(parentHandle)->children.push_back(h);
  else LinkAtTop(Find(parentHandle), Find(h));
  // An exception from a procedure during creation must not leave a window nobody has a
  // handle to: it is destroyed and the exception goes on (the first one, as the guard's
  // rule has it).
  TScopeEnd creation([h](bool AEndedNormally) {
    if (AEndedNormally || !Find(h)) return;
    try {
      if (!DestroyWindow(h)) FreeWindow(h);
    } catch (...) {
      // The procedure failed again while being destroyed; the window goes regardless.
    }
    FreeWindow(h);
  });

  CREATESTRUCTA cs;
  cs.lpCreateParams = param;
  cs.hInstance = instance;
  cs.hMenu = menu;
  cs.hwndParent = (style & WS_CHILD) ? parentHandle : owner;
  cs.cx = width;
  cs.cy = height;
  cs.x = x;
  cs.y = y;
  cs.style = LONG(style);
  cs.lpszName = windowName;
  cs.lpszClass = className;
  cs.dwExStyle = exStyle;

  // Only windows the user can size are asked for their limits: overlapped ones and those
  // with a sizing frame.
  if ((style & WS_THICKFRAME) || !(style & (WS_POPUP | WS_CHILD))) {
    MINMAXINFO mmi = DefaultMinMaxInfo();
    Send(h, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
    Wnd* mw = Find(h);
    if (!mw) return nullptr;
    // Made no larger than it may be tracked to (no smaller limit applies yet).
    width = std::clamp(width, 0, std::max(mmi.ptMaxTrackSize.X, 0));
    height = std::clamp(height, 0, std::max(mmi.ptMaxTrackSize.Y, 0));
    mw->window = Bounds(x, y, width, height);
    mw->client = mw->window;
    cs.cx = width;
    cs.cy = height;
  }
  if (!Send(h, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs))) {
    FreeWindow(h);
    return nullptr;
  }
  Wnd* nw = Find(h);
  if (!nw) return nullptr;
  {
    NCCALCSIZE_PARAMS p{};
    p.rgrc[0] = nw->window;
    Send(h, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&p.rgrc[0]));
    if (!(nw = Find(h))) return nullptr;
    nw->client = p.rgrc[0];
  }
  if (Send(h, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
    DestroyWindow(h);
    return nullptr;
  }
  if (!(nw = Find(h)) || nw->destroying) return nullptr;
  if (!nw->sizeMoveSent) {
    nw->sizeMoveSent = true;
    Send(h, WM_SIZE, SIZE_RESTORED, MAKELPARAM(WORD(nw->client.Width()), WORD(nw->client.Height())));
    if (!(nw = Find(h))) return nullptr;
    Send(h, WM_MOVE, 0, MAKELPARAM(WORD(nw->client.Left), WORD(nw->client.Top)));
    if (!(nw = Find(h))) return nullptr;
  }
  if (style & WS_MAXIMIZE) {
    PlaceMaximizedAtCreation(h);
    if (!(nw = Find(h))) return nullptr;
  }
  NotifyParents(h, WM_CREATE);
  if (!(nw = Find(h))) return nullptr;
  if (IsTopLevel(nw))
    if (Host* host = CurrentHost()) host->TopLevelChanged(h, WindowRectOnScreen(nw), nw->style);
  if (style & WS_VISIBLE) ShowWindow(h, SW_SHOW);
  return Find(h) ? h : nullptr;
}

BOOL DestroyWindow(HWND hwnd) {
  Wnd* w = Find(hwnd);
  if (!w || hwnd == S().desktop || hwnd == S().messageRoot || w->destroying) return FALSE;
  NotifyParents(hwnd, WM_DESTROY);
  if (!(w = Find(hwnd)) || w->destroying) return TRUE;
  if (w->style & WS_VISIBLE) {
    // A child is hidden as by ShowWindow (WM_SHOWWINDOW first, its focus back to the
    // parent after the position change); a top-level window only by its position.
    if (w->style & WS_CHILD) {
      ShowWindow(hwnd, SW_HIDE);
    } else {
      UINT flags = SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER;
      if (S().active != hwnd) flags |= SWP_NOACTIVATE;
      SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, flags);
    }
    if (!(w = Find(hwnd)) || w->destroying) return TRUE;
  }
  if (S().active == hwnd) ActivateOtherWindow(hwnd);
  // Whatever still holds the focus inside the window (a hidden one, say) is told it loses
  // it; the focus passes to the parent of a child window.
  if (HWND f = S().focus; f && (f == hwnd || IsDescendant(hwnd, f))) {
    Wnd* p = (w->style & WS_CHILD) ? Find(w->parent) : nullptr;
    SetFocus(p && p->handle != S().desktop && !p->destroying ? p->handle : nullptr);
    if (!(w = Find(hwnd)) || w->destroying) return TRUE;
  }
  // Owned windows go first.
  std::vector<HWND> owned;
  for (HWND root : {S().desktop, S().messageRoot})
    if (Wnd* r = Find(root))
      for (HWND c : r->children)
        if (Wnd* cw = Find(c); cw && cw->owner == hwnd) owned.push_back(c);
  for (HWND o : owned) DestroyWindow(o);
  if (!Find(hwnd)) return TRUE;
  // From the first WM_DESTROY on the window is going: an exception from a procedure
  // still frees it (and its children) before passing on.
  TScopeEnd unwind([hwnd](bool AEndedNormally) {
    if (!AEndedNormally) FreeWindow(hwnd);
  });
  SendDestroyMessages(hwnd);
  FreeWindow(hwnd);
  return TRUE;
}

BOOL IsWindow(HWND hwnd) {
  return Find(hwnd) != nullptr;
}

// ---- Window longs ----------------------------------------------------------------------------

LONG_PTR GetWindowLongA(HWND hwnd, int index) {
  Wnd* w = Find(hwnd);
  if (!w) return 0;
  if (index >= 0) {
    if (size_t(index) + sizeof(LONG_PTR) > w->extra.size()) return 0;
    LONG_PTR v;
    std::memcpy(&v, w->extra.data() + index, sizeof v);
    return v;
  }
  switch (index) {
    case GWL_WNDPROC: return reinterpret_cast<LONG_PTR>(w->proc);
    case GWL_HINSTANCE: return reinterpret_cast<LONG_PTR>(w->instance);
    case GWL_HWNDPARENT:
      return reinterpret_cast<LONG_PTR>((w->style & WS_CHILD) ? w->parent : w->owner);
    case GWL_STYLE: return LONG_PTR(LONG(w->style));
    case GWL_EXSTYLE: return LONG_PTR(LONG(w->exStyle));
    case GWL_USERDATA: return w->userData;
    case GWL_ID: return reinterpret_cast<LONG_PTR>(w->menu);
    default: return 0;
  }
}

LONG_PTR SetWindowLongA(HWND hwnd, int index, LONG_PTR value) {
  Wnd* w = Find(hwnd);
  if (!w || hwnd == S().desktop) return 0;
  if (index >= 0) {
    if (size_t(index) + sizeof(LONG_PTR) > w->extra.size()) return 0;
    LONG_PTR old;
    std::memcpy(&old, w->extra.data() + index, sizeof old);
    std::memcpy(w->extra.data() + index, &value, sizeof value);
    return old;
  }
  LONG_PTR old = GetWindowLongA(hwnd, index);
  switch (index) {
    case GWL_WNDPROC:
      if (!value) return 0;
      w->proc = reinterpret_cast<WNDPROC>(value);
      break;
    case GWL_HINSTANCE: w->instance = reinterpret_cast<HINSTANCE>(value); break;
    case GWL_HWNDPARENT:
      if (!(w->style & WS_CHILD)) {
        Wnd* o = Find(reinterpret_cast<HWND>(value));
        Wnd* top = TopLevelOf(o);
        w->owner = top ? top->handle : nullptr;
      }
      break;
    case GWL_STYLE:
    case GWL_EXSTYLE: {
      struct { DWORD oldStyle, newStyle; } ss{DWORD(old), DWORD(value)};
      WPARAM which = WPARAM(index);
      Send(hwnd, WM_STYLECHANGING, which, reinterpret_cast<LPARAM>(&ss));
      if (!(w = Find(hwnd))) return 0;
      if (index == GWL_STYLE) {
        // Visibility changes only through ShowWindow/SetWindowPos bookkeeping, but the bit
        // itself follows the caller as on the platform.
        w->style = ss.newStyle;
      } else {
        w->exStyle = ss.newStyle;
      }
      Send(hwnd, WM_STYLECHANGED, which, reinterpret_cast<LPARAM>(&ss));
      break;
    }
    case GWL_USERDATA: w->userData = value; break;
    case GWL_ID: w->menu = reinterpret_cast<HMENU>(value); break;
    default: return 0;
  }
  return old;
}

// ---- Text ------------------------------------------------------------------------------------

BOOL SetWindowTextA(HWND hwnd, LPCSTR text) {
  if (!Find(hwnd)) return FALSE;
  return Send(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : "")) ? TRUE : FALSE;
}

int GetWindowTextA(HWND hwnd, LPSTR buffer, int size) {
  if (!buffer || size <= 0) return 0;
  buffer[0] = 0;
  if (!Find(hwnd)) return 0;
  return int(Send(hwnd, WM_GETTEXT, WPARAM(size), reinterpret_cast<LPARAM>(buffer)));
}

int GetWindowTextLengthA(HWND hwnd) {
  if (!Find(hwnd)) return 0;
  return int(Send(hwnd, WM_GETTEXTLENGTH, 0, 0));
}

// ---- Hierarchy -----------------------------------------------------------------------------

HWND GetParent(HWND hwnd) {
  Wnd* w = Find(hwnd);
  if (!w) return nullptr;
  if (w->style & WS_CHILD) return IsTopLevel(w) ? nullptr : w->parent;
  if (w->style & WS_POPUP) return w->owner;
  return nullptr;
}

HWND GetAncestor(HWND hwnd, UINT flags) {
  Wnd* w = Find(hwnd);
  if (!w || hwnd == S().desktop) return nullptr;
  switch (flags) {
    case GA_PARENT: return w->parent;
    case GA_ROOT: return TopLevelOf(w)->handle;
    case GA_ROOTOWNER: {
      Wnd* t = TopLevelOf(w);
      while (Wnd* o = Find(t->owner)) t = o;
      return t->handle;
    }
    default: return nullptr;
  }
}

HWND SetParent(HWND child, HWND newParent) {
  Wnd* w = Find(child);
  if (!w || child == S().desktop) return nullptr;
  if (!newParent) newParent = S().desktop;
  if (newParent == HWND_MESSAGE) newParent = S().messageRoot;
  Wnd* p = Find(newParent);
  if (!p || newParent == child || IsDescendant(child, newParent)) return nullptr;
  if (NestingDepth(p) + SubtreeHeight(w) > kMaxWindowNesting) return nullptr;
  HWND old = w->parent;
  bool wasVisible = (w->style & WS_VISIBLE) != 0;
  if (wasVisible) ShowWindow(child, SW_HIDE);
  if (!(w = Find(child))) return nullptr;
  // Hiding ran procedures: the new parent may be gone, or be inside the child by now.
  p = Find(newParent);
  if (!p || IsDescendant(child, newParent)) {
    if (wasVisible) ShowWindow(child, SW_SHOWNA);
    return nullptr;
  }
  old = w->parent;
  TRect r = w->window;
  TRect c = w->client;
  // Keep the position relative to the new parent's client origin as the platform does.
  Unlink(w);
  w->parent = newParent;
  bool topLevel = IsTopLevel(w);
  if (topLevel) w->owner = nullptr;
  LinkAtTop(p, w);
  w->window = r;
  w->client = c;
  if (topLevel)
    if (Host* host = CurrentHost()) host->TopLevelChanged(child, WindowRectOnScreen(w), w->style);
  if (wasVisible) ShowWindow(child, SW_SHOWNA);
  return old == S().desktop ? GetDesktopWindow() : old;
}

BOOL IsChild(HWND parent, HWND hwnd) {
  Wnd* w = Find(hwnd);
  if (!w || !Find(parent)) return FALSE;
  while (w && (w->style & WS_CHILD)) {
    if (w->parent == parent) return TRUE;
    w = Find(w->parent);
  }
  return FALSE;
}

HWND GetWindow(HWND hwnd, UINT cmd) {
  Wnd* w = Find(hwnd);
  if (!w) return nullptr;
  if (cmd == GW_CHILD) return w->children.empty() ? nullptr : w->children.front();
  if (cmd == GW_OWNER) return w->owner;
  Wnd* p = Find(w->parent);
  if (!p) return nullptr;
  auto& sib = p->children;
  auto it = std::find(sib.begin(), sib.end(), hwnd);
  switch (cmd) {
    case GW_HWNDFIRST: return sib.front();
    case GW_HWNDLAST: return sib.back();
    case GW_HWNDNEXT: return (it == sib.end() || it + 1 == sib.end()) ? nullptr : *(it + 1);
    case GW_HWNDPREV: return (it == sib.begin() || it == sib.end()) ? nullptr : *(it - 1);
    default: return nullptr;
  }
}

HWND GetTopWindow(HWND hwnd) {
  return GetWindow(hwnd ? hwnd : GetDesktopWindow(), GW_CHILD);
}

namespace {
// Collects first, so the callback may create or destroy windows safely.
void CollectDescendants(HWND h, std::vector<HWND>& out) {
  Wnd* w = Find(h);
  if (!w) return;
  for (HWND c : w->children) {
    out.push_back(c);
    CollectDescendants(c, out);
  }
}
}  // namespace

BOOL EnumChildWindows(HWND parent, WNDENUMPROC fn, LPARAM lParam) {
  if (!fn) return FALSE;
  if (!parent) parent = GetDesktopWindow();
  if (!Find(parent)) return FALSE;
  std::vector<HWND> all;
  CollectDescendants(parent, all);
  for (HWND h : all)
    if (Find(h) && !fn(h, lParam)) return FALSE;
  return TRUE;
}

BOOL EnumWindows(WNDENUMPROC fn, LPARAM lParam) {
  if (!fn) return FALSE;
  std::vector<HWND> tops = Find(GetDesktopWindow())->children;
  for (HWND h : tops)
    if (Find(h) && !fn(h, lParam)) return FALSE;
  return TRUE;
}

HWND FindWindowA(LPCSTR className, LPCSTR windowName) {
  std::shared_ptr<WndClass> cls;
  if (className) {
    cls = FindClass(className);
    if (!cls) return nullptr;
  }
  for (HWND h : Find(GetDesktopWindow())->children) {
    Wnd* w = Find(h);
    if (cls && w->cls != cls) continue;
    if (windowName && w->text != windowName) continue;
    return h;
  }
  return nullptr;
}

// ---- Menu bar space ------------------------------------------------------------------------

bool user_detail::HasMenuBar(const Wnd* w) { return w && !(w->style & WS_CHILD) && w->menu; }

int user_detail::MenuBarSpace(const Wnd* w) {
  if (!HasMenuBar(w)) return 0;
  return w->menuHeight > 0 ? w->menuHeight : S().metrics[SM_CYMENU];
}

int MenuBarHeight(HWND hwnd) { return MenuBarSpace(Find(hwnd)); }

BOOL SetMenu(HWND hwnd, HMENU menu) {
  Wnd* w = Find(hwnd);
  // A child's menu field is its id; a popup child may still have a menu.
  if (!w || (w->style & (WS_CHILD | WS_POPUP)) == WS_CHILD || (menu && !IsMenu(menu))) return FALSE;
  w->menu = menu;
  SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER |
                                               SWP_NOACTIVATE);
  return TRUE;
}

HMENU GetMenu(HWND hwnd) {
  Wnd* w = Find(hwnd);
  return w ? w->menu : nullptr;   // for a child, its id
}
