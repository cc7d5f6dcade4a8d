// Focus, activation, capture and the input path: raw input is queued as it arrives and
// becomes a message for a window when it is retrieved.
#include "platform/user/UserInternal.h"

#include <cstdlib>
#include <cstring>

using namespace user_detail;

namespace {

void BroadcastActivateApp(bool active, HWND except) {
  std::vector<HWND> tops = Find(GetDesktopWindow())->children;
  for (HWND h : tops)
    if (h != except) Send(h, WM_ACTIVATEAPP, active ? TRUE : FALSE, 0);
}

HWND SetActive(HWND hwnd, bool byMouse) {
  auto& st = S();
  HWND previous = st.active;
  if (hwnd == previous) return previous;
  if (Wnd* prev = Find(previous)) {
    Send(previous, WM_NCACTIVATE, FALSE, reinterpret_cast<LPARAM>(hwnd));
    if (Find(previous))
      Send(previous, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, WORD((prev->style & WS_MINIMIZE) != 0)),
           reinterpret_cast<LPARAM>(hwnd));
  }
  if (st.active != previous) return previous;   // changed by the messages
  st.active = hwnd;
  if (hwnd && !st.appActive) {
    st.appActive = true;
    BroadcastActivateApp(true, nullptr);
  } else if (!hwnd && st.appActive) {
    st.appActive = false;
    BroadcastActivateApp(false, nullptr);
  }
  if (Wnd* w = Find(hwnd)) {
    Send(hwnd, WM_NCACTIVATE, TRUE, reinterpret_cast<LPARAM>(previous));
    if ((w = Find(hwnd)))
      Send(hwnd, WM_ACTIVATE,
           MAKEWPARAM(byMouse ? WA_CLICKACTIVE : WA_ACTIVE, WORD((w->style & WS_MINIMIZE) != 0)),
           reinterpret_cast<LPARAM>(previous));
  }
  // The focus follows activation when the procedure did not place it inside the window.
  if (st.active == hwnd) {
    if (!hwnd) {
      if (st.focus) SetFocus(nullptr);
    } else if (Find(hwnd) && (!st.focus || (st.focus != hwnd && !IsDescendant(hwnd, st.focus)))) {
      SetFocus(hwnd);
    }
  }
  return previous;
}

int KeyIndex(int vk) { return vk & 0xFF; }

void ApplyKey(BYTE* state, int vk, bool down) {
  int i = KeyIndex(vk);
  if (down) {
    if (!(state[i] & 0x80)) state[i] ^= 0x01;
    state[i] |= 0x80;
  } else {
    state[i] &= BYTE(~0x80);
  }
  // Left and right variants mirror the generic key.
  auto mirror = [&](int generic, int left, int right) {
    if (i == generic) {
      state[left] = BYTE((state[left] & 0x01) | (state[i] & 0x80));
    } else if (i == left || i == right) {
      state[generic] = BYTE((state[generic] & 0x01) | ((state[left] | state[right]) & 0x80));
    }
  };
  mirror(VK_SHIFT, VK_LSHIFT, VK_RSHIFT);
  mirror(VK_CONTROL, VK_LCONTROL, VK_RCONTROL);
  mirror(VK_MENU, VK_LMENU, VK_RMENU);
}

WPARAM MouseKeyFlags(const BYTE* state) {
  WPARAM f = 0;
  if (state[VK_LBUTTON] & 0x80) f |= MK_LBUTTON;
  if (state[VK_RBUTTON] & 0x80) f |= MK_RBUTTON;
  if (state[VK_MBUTTON] & 0x80) f |= MK_MBUTTON;
  if (state[VK_SHIFT] & 0x80) f |= MK_SHIFT;
  if (state[VK_CONTROL] & 0x80) f |= MK_CONTROL;
  return f;
}

int ButtonKey(UINT msg) {
  switch (msg) {
    case WM_LBUTTONDOWN: case WM_LBUTTONUP: return VK_LBUTTON;
    case WM_RBUTTONDOWN: case WM_RBUTTONUP: return VK_RBUTTON;
    case WM_MBUTTONDOWN: case WM_MBUTTONUP: return VK_MBUTTON;
    default: return 0;
  }
}

bool IsButtonDown(UINT msg) {
  return msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_MBUTTONDOWN;
}

LPARAM PackPoint(TPoint p) { return MAKELPARAM(WORD(SHORT(p.X)), WORD(SHORT(p.Y))); }

// A screen point in client coordinates. Points far off any real screen must not overflow:
// the message carries 16 bits per axis anyway, so the difference wraps as the packing does.
TPoint Offset(TPoint p, TPoint origin) {
  return {int(unsigned(p.X) - unsigned(origin.X)), int(unsigned(p.Y) - unsigned(origin.Y))};
}

// Distance along one axis, in 64 bits so that extreme points compare correctly.
long long Distance(int a, int b) { return std::llabs((long long)a - b); }

HWND KeyTarget(UINT& msg) {
  auto& st = S();
  if (st.focus && Find(st.focus)) return st.focus;
  if (st.active && Find(st.active)) {
    // With no focus the active window gets keys as system keys.
    if (msg == WM_KEYDOWN) msg = WM_SYSKEYDOWN;
    else if (msg == WM_KEYUP) msg = WM_SYSKEYUP;
    else if (msg == WM_CHAR) msg = WM_SYSCHAR;
    return st.active;
  }
  return nullptr;
}

// A press in a child is told to each ancestor, the point in that ancestor's client
// coordinates, until a window that asks not to notify or a top-level window is reached.
void NotifyParentsOfPress(HWND child, UINT button, TPoint screen) {
  HWND h = child;
  for (;;) {
    Wnd* w = Find(h);
    if (!w || !(w->style & WS_CHILD) || (w->exStyle & WS_EX_NOPARENTNOTIFY)) return;
    HWND p = w->parent;
    Wnd* pw = Find(p);
    if (!pw || p == S().desktop || p == S().messageRoot) return;
    TPoint o = ClientOriginOnScreen(pw);
    Send(p, WM_PARENTNOTIFY, MAKEWPARAM(WORD(button), 0), PackPoint(Offset(screen, o)));
    h = p;
  }
}

}  // namespace

namespace user_detail {

void ForgetWindowInput(HWND h) {
  auto& st = S();
  if (st.focus == h) st.focus = nullptr;
  if (st.active == h) st.active = nullptr;
  if (st.capture == h) st.capture = nullptr;
  if (st.trackLeave == h) st.trackLeave = nullptr;
  if (st.lastClickWnd == h) st.lastClickWnd = nullptr;
}

namespace {

// The pointer is now over `target` at `hit`: a window tracking the leave of its client area
// hears of it once.
void EndLeaveTracking(HWND target, LRESULT hit) {
  auto& st = S();
  if (!st.trackLeave || (st.trackLeave == target && hit == HTCLIENT)) return;
  HWND left = st.trackLeave;
  st.trackLeave = nullptr;
  PostMessageA(left, WM_MOUSELEAVE, 0, 0);
}

}  // namespace

CookResult CookInput(const InputEvent& ev, MSG& out, CookStage stage) {
  auto& st = S();
  out = MSG{};
  out.time = ev.time;
  out.pt = ev.pt;
  if (ev.kind != InputEvent::Mouse) {
    UINT msg = ev.kind == InputEvent::Char ? WM_CHAR : ev.message;
    HWND target = KeyTarget(msg);
    if (!target) return CookResult::Dropped;
    out.hwnd = target;
    out.message = msg;
    out.wParam = ev.kind == InputEvent::Char ? WPARAM(ev.ch) : WPARAM(ev.vk);
    out.lParam = ev.keyData;
    if (stage == CookStage::Remove && ev.kind == InputEvent::Key) {
      const bool down = ev.message == WM_KEYDOWN || ev.message == WM_SYSKEYDOWN;
      ApplyKey(st.keyState, ev.vk, down);
      if (down) st.lastKeyDown = ev.vk;
    }
    return CookResult::Message;
  }

  if (ev.message == WM_MOUSEWHEEL) {
    UINT dummy = WM_KEYDOWN;
    HWND target = KeyTarget(dummy);
    if (!target) return CookResult::Dropped;
    out.hwnd = target;
    out.message = WM_MOUSEWHEEL;
    out.wParam = MAKEWPARAM(WORD(ev.keyFlags), WORD(SHORT(ev.wheel)));
    out.lParam = PackPoint(ev.pt);
    return CookResult::Message;
  }

  LRESULT hit = HTCLIENT;
  HWND target = nullptr;
  if (st.capture && Find(st.capture)) {
    target = st.capture;
  } else {
    target = HitTestPoint(ev.pt, &hit);
  }
  if (!target) {
    // Off every window the move is dropped at once, yet the pointer has still left the
    // window tracking it.
    EndLeaveTracking(nullptr, HTNOWHERE);
    return CookResult::Dropped;
  }
  Wnd* w = Find(target);
  if (!w) return CookResult::Dropped;
  if (hit == HTERROR && (w->style & WS_DISABLED)) {
    // A disabled window gets no mouse messages. A press on it beeps (through the default
    // WM_SETCURSOR) and brings forward the enabled window it owns, as for a modal dialog.
    if (stage == CookStage::Remove) {
      EndLeaveTracking(target, HTERROR);
      Send(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target),
           MAKELPARAM(WORD(SHORT(HTERROR)), WORD(ev.message)));
      if (IsButtonDown(ev.message))
        for (HWND h : std::vector<HWND>(Find(st.desktop)->children)) {
          Wnd* o = Find(h);
          if (o && o->owner == target && (o->style & WS_VISIBLE) && !(o->style & WS_DISABLED)) {
            SetActive(h, true);
            break;
          }
        }
    }
    return stage == CookStage::Target ? CookResult::Message : CookResult::Dropped;
  }
  UINT msg = ev.message;
  if (hit == HTCLIENT) {
    TPoint o = ClientOriginOnScreen(w);
    out.lParam = PackPoint(Offset(ev.pt, o));
    out.wParam = ev.keyFlags;
  } else {
    msg = msg - WM_MOUSEMOVE + WM_NCMOUSEMOVE;
    out.lParam = PackPoint(ev.pt);
    out.wParam = WPARAM(hit);
  }
  out.hwnd = target;
  out.message = msg;
  if (stage == CookStage::Target) return CookResult::Message;

  // Double clicks: same button and window, within the time and the distance.
  if (IsButtonDown(ev.message) && hit != HTERROR && hit != HTNOWHERE) {
    bool allowed = hit != HTCLIENT || (w->cls->style & CS_DBLCLKS);
    bool dbl = allowed && st.lastClickWnd == target && st.lastClickMsg == msg &&
               DWORD(ev.time - st.lastClickTime) <= st.doubleClickTime &&
               Distance(ev.pt.X, st.lastClickPt.X) <= st.metrics[SM_CXDOUBLECLK] / 2 &&
               Distance(ev.pt.Y, st.lastClickPt.Y) <= st.metrics[SM_CYDOUBLECLK] / 2;
    if (dbl) out.message = msg + 2;
    if (stage == CookStage::Remove) {
      if (dbl) {
        st.lastClickWnd = nullptr;
      } else {
        st.lastClickWnd = target;
        st.lastClickMsg = msg;
        st.lastClickTime = ev.time;
        st.lastClickPt = ev.pt;
      }
    }
  }

  if (HasHooks(WH_MOUSE)) {
    MOUSEHOOKSTRUCT mhs;
    mhs.pt = ev.pt;
    mhs.hwnd = target;
    mhs.wHitTestCode = UINT(hit);
    if (CallHooks(WH_MOUSE, stage == CookStage::Remove ? HC_ACTION : HC_NOREMOVE, out.message,
                  reinterpret_cast<LPARAM>(&mhs)))
      return CookResult::Dropped;
  }
  if (stage != CookStage::Remove) return CookResult::Message;

  if (int vk = ButtonKey(ev.message)) ApplyKey(st.keyState, vk, IsButtonDown(ev.message));
  EndLeaveTracking(target, hit);
  // The ancestors hear of a press (as a plain button-down, even on the frame or for a
  // double click) before anything else is sent.
  if (IsButtonDown(ev.message) && !st.capture) {
    NotifyParentsOfPress(target, ev.message, ev.pt);
    if (!Find(target)) return CookResult::Dropped;
  }
  // Activation comes before the cursor is set; a press the activation eats still sets it.
  bool eaten = false;
  if (IsButtonDown(ev.message)) {
    Wnd* top = TopLevelOf(Find(target));
    if (top && top->handle != st.active && !(top->style & WS_DISABLED) && top->parent == st.desktop) {
      HWND topH = top->handle;
      LRESULT ma = Send(target, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(topH),
                        MAKELPARAM(WORD(SHORT(hit)), WORD(msg)));
      if (ma == MA_ACTIVATE || ma == MA_ACTIVATEANDEAT || ma == 0) SetActive(topH, true);
      eaten = ma == MA_ACTIVATEANDEAT || ma == MA_NOACTIVATEANDEAT;
      if (!Find(target)) return CookResult::Dropped;
    }
  }
  if (!st.capture) {
    Send(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target), MAKELPARAM(WORD(SHORT(hit)), WORD(msg)));
    if (!Find(target)) return CookResult::Dropped;
  }
  return eaten ? CookResult::Dropped : CookResult::Message;
}

}  // namespace user_detail

// ---- Focus, activation, capture ------------------------------------------------------------

HWND SetFocus(HWND hwnd) {
  auto& st = S();
  HWND previous = st.focus;
  if (hwnd) {
    Wnd* w = Find(hwnd);
    if (!w || w->destroying) return nullptr;
    if (hwnd == previous) return previous;
    Wnd* top = TopLevelOf(w);
    if (top && top->handle != st.active && top->parent == st.desktop) {
      SetActive(top->handle, false);
      if (!Find(hwnd)) return nullptr;
      previous = st.focus;
      if (previous == hwnd) return previous;
    }
  } else if (!previous) {
    return nullptr;
  }
  st.focus = hwnd;
  if (previous && Find(previous)) {
    Send(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
    if (st.focus != hwnd) return previous;   // changed by the message
  }
  if (hwnd && Find(hwnd)) Send(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
  return previous;
}

HWND GetFocus() {
  return S().focus;
}

HWND SetActiveWindow(HWND hwnd) {
  if (hwnd) {
    Wnd* w = Find(hwnd);
    if (!w) return nullptr;
    Wnd* top = TopLevelOf(w);
    if (!top || top->parent != S().desktop) return nullptr;
    hwnd = top->handle;
  }
  return SetActive(hwnd, false);
}

HWND GetActiveWindow() {
  return S().active;
}

BOOL SetForegroundWindow(HWND hwnd) {
  if (!Find(hwnd)) return FALSE;
  SetActiveWindow(hwnd);
  return TRUE;
}

HWND GetForegroundWindow() {
  return S().active;
}

HWND SetCapture(HWND hwnd) {
  auto& st = S();
  HWND previous = st.capture;
  if (hwnd && !Find(hwnd)) return nullptr;
  st.capture = hwnd;
  if (previous && previous != hwnd && Find(previous))
    Send(previous, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hwnd));
  return previous;
}

BOOL ReleaseCapture() {
  auto& st = S();
  HWND previous = st.capture;
  if (!previous) return TRUE;
  st.capture = nullptr;
  if (Find(previous)) Send(previous, WM_CAPTURECHANGED, 0, 0);
  return TRUE;
}

HWND GetCapture() {
  return S().capture;
}

// ---- Keyboard and mouse state ----------------------------------------------------------------

SHORT GetKeyState(int vk) {
  BYTE s = S().keyState[KeyIndex(vk)];
  return SHORT(((s & 0x80) ? 0x8000 : 0) | (s & 0x01));
}

SHORT GetAsyncKeyState(int vk) {
  BYTE s = S().asyncKeyState[KeyIndex(vk)];
  return SHORT((s & 0x80) ? 0x8000 : 0);
}

BOOL GetKeyboardState(BYTE* state256) {
  if (!state256) return FALSE;
  std::memcpy(state256, S().keyState, 256);
  return TRUE;
}

BOOL SetKeyboardState(const BYTE* state256) {
  if (!state256) return FALSE;
  std::memcpy(S().keyState, state256, 256);
  return TRUE;
}

BOOL GetCursorPos(LPPOINT point) {
  if (!point) return FALSE;
  *point = S().cursorPos;
  return TRUE;
}

BOOL SetCursorPos(int x, int y) {
  InputMouseMove({x, y});
  return TRUE;
}

UINT GetDoubleClickTime() {
  return S().doubleClickTime;
}

BOOL SetDoubleClickTime(UINT ms) {
  S().doubleClickTime = ms ? ms : 500;
  return TRUE;
}

BOOL TrackMouseEvent(TRACKMOUSEEVENT* tme) {
  if (!tme || tme->cbSize != sizeof(TRACKMOUSEEVENT)) return FALSE;
  auto& st = S();
  if (tme->dwFlags & TME_QUERY) {
    tme->dwFlags = st.trackLeave ? TME_LEAVE : 0;
    tme->hwndTrack = st.trackLeave;
    return TRUE;
  }
  if (!Find(tme->hwndTrack)) return FALSE;
  if (tme->dwFlags & TME_CANCEL) {
    if ((tme->dwFlags & TME_LEAVE) && st.trackLeave == tme->hwndTrack) st.trackLeave = nullptr;
    return TRUE;
  }
  if (tme->dwFlags & TME_LEAVE) {
    // Leaving is judged against where the pointer is now.
    LRESULT hit = HTNOWHERE;
    HWND under = st.capture ? st.capture : HitTestPoint(st.cursorPos, &hit);
    if (st.capture) hit = HTCLIENT;
    if (under != tme->hwndTrack || hit != HTCLIENT) PostMessageA(tme->hwndTrack, WM_MOUSELEAVE, 0, 0);
    else st.trackLeave = tme->hwndTrack;
  }
  return TRUE;
}

// A mouse event as queued: stamped now, with the buttons and modifiers held after it.
static InputEvent MouseEvent(UINT msg, POINT screen, const BYTE* keys) {
  InputEvent ev;
  ev.kind = InputEvent::Mouse;
  ev.message = msg;
  ev.pt = screen;
  ev.time = Now();
  ev.keyFlags = MouseKeyFlags(keys);
  return ev;
}

// ---- Input entry points --------------------------------------------------------------------

void InputMouseMove(POINT screen) {
  EnsureRoots();
  auto& st = S();
  st.cursorPos = screen;
  InputEvent ev = MouseEvent(WM_MOUSEMOVE, screen, st.asyncKeyState);
  // Consecutive moves merge, as the platform keeps only the latest position.
  if (!st.input.empty() && st.input.back().kind == InputEvent::Mouse && st.input.back().message == WM_MOUSEMOVE)
    st.input.back() = ev;
  else
    st.input.push_back(ev);
}

void InputMouseButton(UINT msg, POINT screen) {
  EnsureRoots();
  auto& st = S();
  int vk = ButtonKey(msg);
  if (!vk) return;
  if (screen.X != st.cursorPos.X || screen.Y != st.cursorPos.Y) InputMouseMove(screen);
  ApplyKey(st.asyncKeyState, vk, IsButtonDown(msg));
  st.input.push_back(MouseEvent(msg, screen, st.asyncKeyState));
}

void InputMouseWheel(POINT screen, int delta) {
  EnsureRoots();
  auto& st = S();
  InputEvent ev = MouseEvent(WM_MOUSEWHEEL, screen, st.asyncKeyState);
  ev.wheel = delta;
  st.input.push_back(ev);
}

void InputKey(int vk, bool down) {
  EnsureRoots();
  auto& st = S();
  bool wasDown = (st.asyncKeyState[KeyIndex(vk)] & 0x80) != 0;
  ApplyKey(st.asyncKeyState, vk, down);
  bool alt = (st.asyncKeyState[VK_MENU] & 0x80) && !(st.asyncKeyState[VK_CONTROL] & 0x80);
  InputEvent ev;
  ev.kind = InputEvent::Key;
  ev.vk = vk & 0xFF;
  ev.time = Now();
  bool sys = alt || vk == VK_F10 || (vk == VK_MENU);
  ev.message = down ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);
  LPARAM data = 1;
  if (alt) data |= LPARAM(1) << 29;
  if (down ? wasDown : true) data |= LPARAM(1) << 30;
  if (!down) data |= LPARAM(1) << 31;
  ev.keyData = LPARAM(LONG(DWORD(data)));
  st.input.push_back(ev);
}

void InputChar(Byte ch) {
  EnsureRoots();
  InputEvent ev;
  ev.kind = InputEvent::Char;
  ev.ch = ch;
  ev.time = Now();
  ev.keyData = 1;
  S().input.push_back(ev);
}
