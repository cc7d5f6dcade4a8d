#include "platform/host/sdl/SdlHost.h"

#include "platform/host/sdl/DisplayGrace.h"
#include "platform/host/sdl/FocusKeyEcho.h"
#include "platform/host/sdl/ShownPart.h"

#include "platform/gdi/Region.h"
#include "platform/gdi/Surface.h"
#include "platform/kernel/CodePage.h"
#include "platform/user/Menus.h"
#include "platform/user/User.h"

#include <SDL.h>
#include <SDL_syswm.h>

#if TL_HOST_X11
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include "platform/host/sdl/X11Shape.h"
#endif

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <thread>
#include <vector>

namespace {

const char kNoDisplay[] = "no display: set DISPLAY or run under a desktop session";
const uint32_t kDisplayGraceMs = 3000;

struct ShownWindow {
  SDL_Window* sdl = nullptr;
  bool popup = false;
  bool shown = false;
  TPoint offset;     // where the shown part starts in the platform window
  int width = 0, height = 0;
  int presents = 0;
  bool shaped = false;            // the screen window is cut to `shape`
  std::vector<TRect> shape;       // in the screen window's coordinates
};

#if TL_HOST_X11
// Whether a window manager runs on the display (one that follows the desktop conventions
// announces itself on the root window).
bool WindowManagerRuns(Display* d) {
  const Atom check = XInternAtom(d, "_NET_SUPPORTING_WM_CHECK", True);
  if (check == None) return false;
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  const bool ok = XGetWindowProperty(d, DefaultRootWindow(d), check, 0, 1, False, XA_WINDOW, &type, &format,
                                     &count, &after, &data) == Success;
  const bool found = ok && data && count == 1 && format == 32;
  if (data) XFree(data);
  return found;
}
#endif

int MapKey(SDL_Keycode k) {
  if (k >= SDLK_a && k <= SDLK_z) return 'A' + int(k - SDLK_a);
  if (k >= SDLK_0 && k <= SDLK_9) return '0' + int(k - SDLK_0);
  if (k >= SDLK_F1 && k <= SDLK_F12) return VK_F1 + int(k - SDLK_F1);
  if (k >= SDLK_KP_1 && k <= SDLK_KP_9) return VK_NUMPAD0 + 1 + int(k - SDLK_KP_1);
  switch (k) {
    case SDLK_KP_0: return VK_NUMPAD0;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return VK_RETURN;
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_BACKSPACE: return VK_BACK;
    case SDLK_TAB: return VK_TAB;
    case SDLK_SPACE: return VK_SPACE;
    case SDLK_LEFT: return VK_LEFT;
    case SDLK_RIGHT: return VK_RIGHT;
    case SDLK_UP: return VK_UP;
    case SDLK_DOWN: return VK_DOWN;
    case SDLK_HOME: return VK_HOME;
    case SDLK_END: return VK_END;
    case SDLK_PAGEUP: return VK_PRIOR;
    case SDLK_PAGEDOWN: return VK_NEXT;
    case SDLK_INSERT: return VK_INSERT;
    case SDLK_DELETE: return VK_DELETE;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT: return VK_SHIFT;
    case SDLK_LCTRL:
    case SDLK_RCTRL: return VK_CONTROL;
    case SDLK_LALT:
    case SDLK_RALT: return VK_MENU;
    case SDLK_CAPSLOCK: return VK_CAPITAL;
    case SDLK_PAUSE: return VK_PAUSE;
    case SDLK_APPLICATION: return VK_APPS;
    case SDLK_KP_MULTIPLY: return VK_MULTIPLY;
    case SDLK_KP_PLUS: return VK_ADD;
    case SDLK_KP_MINUS: return VK_SUBTRACT;
    case SDLK_KP_PERIOD: return VK_DECIMAL;
    case SDLK_KP_DIVIDE: return VK_DIVIDE;
    case SDLK_SEMICOLON: return 0xBA;
    case SDLK_EQUALS: return 0xBB;
    case SDLK_COMMA: return 0xBC;
    case SDLK_MINUS: return 0xBD;
    case SDLK_PERIOD: return 0xBE;
    case SDLK_SLASH: return 0xBF;
    case SDLK_BACKQUOTE: return 0xC0;
    case SDLK_LEFTBRACKET: return 0xDB;
    case SDLK_BACKSLASH: return 0xDC;
    case SDLK_RIGHTBRACKET: return 0xDD;
    case SDLK_QUOTE: return 0xDE;
    default: return 0;
  }
}

// Code points of UTF-8 text; malformed bytes are skipped.
std::vector<char32_t> DecodeUtf8(const char* s) {
  std::vector<char32_t> out;
  const auto* p = reinterpret_cast<const unsigned char*>(s);
  while (*p) {
    unsigned char c = *p;
    int extra = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : -1;
    if (extra < 0) { ++p; continue; }
    char32_t cp = extra == 0 ? c : c & (0x3F >> extra);
    ++p;
    bool ok = true;
    for (int i = 0; i < extra; ++i, ++p) {
      if ((*p & 0xC0) != 0x80) { ok = false; break; }
      cp = (cp << 6) | (*p & 0x3F);
    }
    if (ok) out.push_back(cp);
  }
  return out;
}

SdlHost* g_host = nullptr;
std::unique_ptr<SdlHost> g_owned;

// SIGTERM and SIGINT end the program through its message loop: the handler only writes to
// a pipe the host waits on, and gives the signal back its default action, so a second one
// ends a program that does not listen.
int g_signalPipe[2] = {-1, -1};

void OnEndSignal(int sig) {
  const int saved = errno;
  const char byte = 1;
  if (g_signalPipe[1] >= 0) (void)!::write(g_signalPipe[1], &byte, 1);
  std::signal(sig, SIG_DFL);
  errno = saved;
}

bool OpenSignalPipe() {
  if (g_signalPipe[0] >= 0) return true;
  if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return false;
  struct sigaction sa {};
  sa.sa_handler = OnEndSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  ::sigaction(SIGTERM, &sa, nullptr);
  ::sigaction(SIGINT, &sa, nullptr);
  return true;
}

// True when an end signal arrived since the last call.
bool TakeEndSignal() {
  char buf[16];
  bool got = false;
  while (g_signalPipe[0] >= 0 && ::read(g_signalPipe[0], buf, sizeof buf) > 0) got = true;
  return got;
}

#if TL_HOST_X11
// Xlib calls this when the display connection breaks, and ends the process when it returns.
// Nothing that talks to the display may run after it (SDL's clean-up would wait for
// replies for ever), so the program ends here, with an error.
int OnDisplayLost(Display* display) {
  std::fprintf(stderr, "%s: the connection to display %s was lost\n", program_invocation_short_name,
               display ? DisplayString(display) : "?");
  std::fflush(stderr);
  ::_exit(1);
}
#endif

}  // namespace

struct SdlHost::Impl {
#if TL_HOST_X11
  Display* display = nullptr;   // SDL's own connection, known once a window exists
#endif
  bool x11 = false;
  bool shapes = false;          // the display can cut windows to a shape
  // Whether something outside draws captions and borders; known once a window exists.
  bool managerFrames = true;
  bool managerKnown = false;
  std::map<HWND, ShownWindow> windows;
  std::map<HCURSOR, SDL_Cursor*> cursors;
  HCURSOR cursor = nullptr;
  POINT mouse;
  FocusKeyEcho keys;

  HWND ByWindowId(Uint32 id) const {
    for (auto& [h, w] : windows)
      if (w.sdl && SDL_GetWindowID(w.sdl) == id) return h;
    return nullptr;
  }

  // A point in an SDL window to platform screen coordinates, through the platform's own
  // idea of where the window is (whatever the window manager did with the real one).
  POINT ToScreen(Uint32 id, int x, int y) {
    HWND h = ByWindowId(id);
    if (!h) return mouse;
    RECT r;
    GetWindowRect(h, &r);
    const ShownWindow& w = windows[h];
    return {r.Left + w.offset.X + x, r.Top + w.offset.Y + y};
  }

  void Copy(HWND h, ShownWindow& w, const std::vector<TRect>& rects) {
    const Surface* src = GetWindowSurface(h);
    SDL_Surface* dst = w.sdl ? SDL_GetWindowSurface(w.sdl) : nullptr;
    if (!src || !dst) return;
    std::vector<SDL_Rect> done;
    if (SDL_MUSTLOCK(dst)) SDL_LockSurface(dst);
    for (const TRect& r : rects) {
      // r is in window coordinates; the SDL window shows the part from `offset`.
      int left = std::max<int>(r.Left, w.offset.X), top = std::max<int>(r.Top, w.offset.Y);
      int right = std::min<int>({r.Right, w.offset.X + dst->w, src->Width()});
      int bottom = std::min<int>({r.Bottom, w.offset.Y + dst->h, src->Height()});
      if (right <= left || bottom <= top) continue;
      int dx = left - w.offset.X, dy = top - w.offset.Y;
      auto* out = static_cast<Uint8*>(dst->pixels) + dy * dst->pitch + dx * dst->format->BytesPerPixel;
      SDL_ConvertPixels(right - left, bottom - top, SDL_PIXELFORMAT_RGB888, src->Row(top) + left,
                        int(src->Stride() * sizeof(Pixel)), dst->format->format, out, dst->pitch);
      done.push_back({dx, dy, right - left, bottom - top});
    }
    if (SDL_MUSTLOCK(dst)) SDL_UnlockSurface(dst);
    if (!done.empty()) {
      SDL_UpdateWindowSurfaceRects(w.sdl, done.data(), int(done.size()));
      ++w.presents;
    }
  }

  // Cuts the screen window to the window's region where the display can (the shape
  // extension of X11), so what lies outside shows what is under the window; elsewhere the
  // window shows whole. Only a change is sent to the display.
  void Shape(HWND h, ShownWindow& w) {
#if TL_HOST_X11
    if (!shapes || !w.sdl) return;
    const Region* region = GetWindowShape(h);
    if (!region && !w.shaped) return;
    std::vector<TRect> rects;
    if (region) rects = ShownShape(*region, w.offset, w.width, w.height);
    if (region && w.shaped && rects == w.shape) return;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(w.sdl, &info) || info.subsystem != SDL_SYSWM_X11) return;
    X11ShapeWindow(display, info.info.x11.window, region ? &rects : nullptr);
    w.shaped = region != nullptr;
    w.shape = std::move(rects);
#else
    (void)h;
    (void)w;
#endif
  }

  void CopyAll(HWND h, ShownWindow& w) {
    Copy(h, w, {TRect{w.offset.X, w.offset.Y, w.offset.X + w.width, w.offset.Y + w.height}});
  }

  void Handle(const SDL_Event& ev) {
    switch (ev.type) {
      case SDL_QUIT:   // the session asks the program to end
        PostQuitMessage(0);
        break;
      case SDL_MOUSEMOTION:
        mouse = ToScreen(ev.motion.windowID, ev.motion.x, ev.motion.y);
        InputMouseMove(mouse);
        break;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP: {
        bool down = ev.type == SDL_MOUSEBUTTONDOWN;
        UINT msg = 0;
        if (ev.button.button == SDL_BUTTON_LEFT) msg = down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
        else if (ev.button.button == SDL_BUTTON_RIGHT) msg = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
        else if (ev.button.button == SDL_BUTTON_MIDDLE) msg = down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
        if (!msg) break;
        POINT p = ToScreen(ev.button.windowID, ev.button.x, ev.button.y);
        if (p.X != mouse.X || p.Y != mouse.Y) InputMouseMove(p);
        mouse = p;
        InputMouseButton(msg, p);
        break;
      }
      case SDL_MOUSEWHEEL: {
        int y = ev.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -ev.wheel.y : ev.wheel.y;
        if (y) InputMouseWheel(mouse, y * 120);
        break;
      }
      case SDL_KEYDOWN:
      case SDL_KEYUP:
        if (int vk = MapKey(ev.key.keysym.sym)) {
          const bool down = ev.type == SDL_KEYDOWN;
          const bool modifier = vk == VK_SHIFT || vk == VK_CONTROL || vk == VK_MENU;
          if (keys.Take(vk, down, modifier, ev.key.timestamp)) InputKey(vk, down);
        }
        break;
      case SDL_TEXTINPUT:
        // ASCII text comes from the keys themselves (the platform translates them); the
        // rest enters as characters of the code page, and what it lacks is dropped.
        for (char32_t cp : DecodeUtf8(ev.text.text)) {
          if (cp < 0x80) continue;
          int b = CpFromUnicode(cp);
          if (b >= 0) InputChar(Byte(b));
        }
        break;
      case SDL_WINDOWEVENT: {
        HWND h = ByWindowId(ev.window.windowID);
        if (!h) break;
        if (ev.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) keys.FocusGained(ev.window.timestamp);
        if (ev.window.event == SDL_WINDOWEVENT_CLOSE) PostMessageA(h, WM_SYSCOMMAND, SC_CLOSE, 0);
        else if (ev.window.event == SDL_WINDOWEVENT_EXPOSED || ev.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
          CopyAll(h, windows[h]);
        break;
      }
      default: break;
    }
  }
};

SdlHost::SdlHost() : impl_(std::make_unique<Impl>()) {}

std::unique_ptr<SdlHost> SdlHost::Create(std::string& error) {
  const char* display = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  const bool hasX = display && *display, hasWayland = wayland && *wayland;
  if (!hasX && !hasWayland) {
    error = kNoDisplay;
    return nullptr;
  }
  // Only a driver that shows windows will do: when the display does not answer, SDL would
  // otherwise settle for one without a screen and the program would run unseen.
  const char* chosen = std::getenv("SDL_VIDEODRIVER");
  if (!chosen || !*chosen) SDL_SetHint(SDL_HINT_VIDEODRIVER, hasX ? "x11" : "wayland");
  // The software framebuffer path maps a window fast and small; no GL is loaded.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  // Without a session bus SDL's input-method support asks the bus library to launch one
  // for the display (a child process per start, and a stray bus daemon where the launcher
  // is installed), only to go without it. Saying there is none skips that; a real
  // session's address is left alone.
  const char* bus = std::getenv("DBUS_SESSION_BUS_ADDRESS");
  if (!bus || !*bus) ::setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
  // A display that is up but slow to answer (a loaded machine) gets a few seconds.
  std::string reason;
  const auto open = [&] {
    if (SDL_Init(SDL_INIT_VIDEO) == 0) return true;
    reason = SDL_GetError();
    return false;
  };
  const auto now = [] {
    return uint32_t(std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now().time_since_epoch())
                        .count());
  };
  const auto wait = [](uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
  if (!OpenWithGrace(open, now, wait, kDisplayGraceMs, 200)) {
    error = hasX ? "cannot open display " + std::string(display) : std::string(kNoDisplay);
    error += " (" + reason + ")";
    return nullptr;
  }
  const std::string driver = SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "";
  if (driver != "x11" && driver != "wayland") {
    SDL_Quit();
    error = "the video driver '" + driver + "' shows no windows";
    return nullptr;
  }
  if (!OpenSignalPipe()) {
    SDL_Quit();
    error = std::string("cannot watch for end signals (") + std::strerror(errno) + ")";
    return nullptr;
  }
  std::unique_ptr<SdlHost> host(new SdlHost());
  host->impl_->x11 = driver == "x11";
#if TL_HOST_X11
  if (host->impl_->x11) XSetIOErrorHandler(OnDisplayLost);
#endif
  return host;
}

SdlHost::~SdlHost() {
  for (auto& [h, w] : impl_->windows)
    if (w.sdl) SDL_DestroyWindow(w.sdl);
  for (auto& [h, c] : impl_->cursors) SDL_FreeCursor(c);
  impl_.reset();
  SDL_Quit();
}

DWORD SdlHost::Now() { return DWORD(SDL_GetTicks()); }

void SdlHost::Sleep(DWORD ms) { SDL_Delay(ms); }

bool SdlHost::WaitForInput(std::optional<DWORD> deadline) {
  // Blocks in poll() on the display connection and the signal pipe until input or the
  // deadline: no wake-ups while nothing happens. SDL's own wait is not used: it needs a
  // live window to wake it and does not see the signal pipe.
  SDL_Event ev;
  for (;;) {
    if (TakeEndSignal()) {
      PostQuitMessage(0);
      return true;
    }
    bool got = false;
    while (SDL_PollEvent(&ev)) {
      impl_->Handle(ev);
      got = true;
    }
    if (got) return true;
    int timeout = -1;
    if (deadline) {
      const int32_t left = int32_t(*deadline - Now());
      if (left <= 0) return false;
      timeout = int(left);
    }
    pollfd fds[2] = {{g_signalPipe[0], POLLIN, 0}, {-1, POLLIN, 0}};
    int count = 1;
    bool onDisplay = false;
#if TL_HOST_X11
    if (impl_->x11) {
      onDisplay = true;
      // Until a window exists the connection is not known, and no input can come.
      if (Display* d = impl_->display) {
        XFlush(d);
        if (XEventsQueued(d, QueuedAlready) > 0) continue;   // read already, not on the wire
        fds[1].fd = ConnectionNumber(d);
        count = 2;
      }
    }
#endif
    if (!onDisplay) {
      // No connection to wait on here: SDL's wait, woken by its event or the deadline, and
      // once a second to look at the signal pipe.
      if (SDL_WaitEventTimeout(&ev, timeout < 0 ? 1000 : std::min(timeout, 1000))) {
        impl_->Handle(ev);
        return true;
      }
      continue;
    }
    const int ready = ::poll(fds, nfds_t(count), timeout);
    if (ready < 0 && errno != EINTR) SDL_Delay(1);   // never a busy loop
    // A broken connection reads as ready: the next pump meets it and ends the program.
  }
}

void SdlHost::PollInput() {
  if (TakeEndSignal()) PostQuitMessage(0);
  SDL_Event ev;
  while (SDL_PollEvent(&ev)) impl_->Handle(ev);
#if TL_HOST_X11
  if (impl_->display) XFlush(impl_->display);
#endif
}

void SdlHost::TopLevelChanged(HWND hwnd, const TRect& screen, DWORD style) {
  ShownWindow& w = impl_->windows[hwnd];
  bool visible = (style & WS_VISIBLE) != 0;
  if (!visible && !w.sdl) return;
  TPoint offset;
  int width = 0, height = 0, x = 0, y = 0;
  auto place = [&] {
    ShownPart(hwnd, style, screen, impl_->managerFrames, &offset, &width, &height);
    width = std::max(1, width);
    height = std::max(1, height);
    x = screen.Left + offset.X;
    y = screen.Top + offset.Y;
  };
  place();
  if (!w.sdl) {
    w.popup = !Captioned(style);
    Uint32 flags = SDL_WINDOW_HIDDEN;
    if (w.popup) {
      // Override-redirect as a tooltip: placed exactly, never decorated or activated by the
      // window manager (the popup-menu type loses typed keys under X11 without one).
      flags |= SDL_WINDOW_BORDERLESS | SDL_WINDOW_ALWAYS_ON_TOP | SDL_WINDOW_SKIP_TASKBAR | SDL_WINDOW_TOOLTIP;
    }
    char title[256] = {};
    GetWindowTextA(hwnd, title, sizeof title);
    w.sdl = SDL_CreateWindow(AnsiToUtf8(title).c_str(), x, y, width, height, flags);
    if (!w.sdl) return;
    if (!impl_->managerKnown) {
      impl_->managerKnown = true;
#if TL_HOST_X11
      SDL_SysWMinfo info;
      SDL_VERSION(&info.version);
      if (impl_->x11 && SDL_GetWindowWMInfo(w.sdl, &info) && info.subsystem == SDL_SYSWM_X11) {
        impl_->display = info.info.x11.display;
        impl_->managerFrames = WindowManagerRuns(impl_->display);
        impl_->shapes = X11CanShape(impl_->display);
      }
#endif
      place();
    }
  }
  int cx, cy, cw, ch;
  SDL_GetWindowPosition(w.sdl, &cx, &cy);
  SDL_GetWindowSize(w.sdl, &cw, &ch);
  if (cw != width || ch != height) SDL_SetWindowSize(w.sdl, width, height);
  if (cx != x || cy != y) SDL_SetWindowPosition(w.sdl, x, y);
  w.offset = offset;
  w.width = width;
  w.height = height;
  impl_->Shape(hwnd, w);
  if (visible && !w.shown) {
    SDL_Window* focused = SDL_GetKeyboardFocus();
    SDL_ShowWindow(w.sdl);
    w.shown = true;
    // Without a window manager showing a window moves the keyboard focus to it; a popup
    // hands it straight back, so the focus never dies with the popup.
    if (w.popup && focused && focused != w.sdl) SDL_SetWindowInputFocus(focused);
    impl_->CopyAll(hwnd, w);
  } else if (!visible && w.shown) {
    SDL_HideWindow(w.sdl);
    w.shown = false;
  }
}

void SdlHost::TopLevelDestroyed(HWND hwnd) {
  auto it = impl_->windows.find(hwnd);
  if (it == impl_->windows.end()) return;
  if (it->second.sdl) SDL_DestroyWindow(it->second.sdl);
  impl_->windows.erase(it);
}

void SdlHost::Present(HWND hwnd, const Region& dirty) {
  auto it = impl_->windows.find(hwnd);
  if (it == impl_->windows.end() || !it->second.shown) return;
  impl_->Copy(hwnd, it->second, dirty.Rects());
}

void SdlHost::SetCursor(HCURSOR cursor) {
  if (cursor == impl_->cursor) return;
  impl_->cursor = cursor;
  const CursorImage* image = cursor ? GetCursorImage(cursor) : nullptr;
  if (!image || image->Width <= 0 || image->Height <= 0) {
    SDL_SetCursor(SDL_GetDefaultCursor());
    return;
  }
  SDL_Cursor*& made = impl_->cursors[cursor];
  if (!made) {
    std::vector<Uint32> argb(image->Pixels.size());
    for (size_t i = 0; i < argb.size(); ++i)
      argb[i] = image->Pixels[i] == CursorTransparent ? 0 : (0xFF000000u | (image->Pixels[i] & 0xFFFFFFu));
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(argb.data(), image->Width, image->Height, 32,
                                                        image->Width * 4, SDL_PIXELFORMAT_ARGB8888);
    if (s) {
      made = SDL_CreateColorCursor(s, image->HotX, image->HotY);
      SDL_FreeSurface(s);
    }
  }
  SDL_SetCursor(made ? made : SDL_GetDefaultCursor());
}

TRect SdlHost::WorkArea() {
  SDL_Rect r;
  if (SDL_GetDisplayUsableBounds(0, &r) != 0) return {0, 0, 1280, 1024};
  return {r.x, r.y, r.x + r.w, r.y + r.h};
}

int SdlHost::PresentCount(HWND hwnd) const {
  auto it = impl_->windows.find(hwnd);
  return it == impl_->windows.end() ? 0 : it->second.presents;
}

TPoint SdlHost::ShownClientOrigin(HWND hwnd) const {
  auto it = impl_->windows.find(hwnd);
  RECT r;
  if (it == impl_->windows.end() || !GetWindowRect(hwnd, &r)) return {0, 0};
  POINT origin{0, 0};
  ClientToScreen(hwnd, &origin);
  return {origin.X - r.Left - it->second.offset.X, origin.Y - r.Top - it->second.offset.Y};
}

unsigned long SdlHost::NativeWindowId(HWND hwnd) const {
  auto it = impl_->windows.find(hwnd);
  if (it == impl_->windows.end() || !it->second.sdl) return 0;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(it->second.sdl, &info)) return 0;
#if defined(SDL_VIDEO_DRIVER_X11)
  if (info.subsystem == SDL_SYSWM_X11) return static_cast<unsigned long>(info.info.x11.window);
#endif
  return 0;
}

bool StartSdlHost(std::string& error) {
  if (g_host) return true;
  g_owned = SdlHost::Create(error);
  if (!g_owned) return false;
  g_host = g_owned.get();
  SetUserHost(g_host);
  return true;
}

void StopSdlHost() {
  if (!g_host) return;
  if (GetUserHost() == g_host) SetUserHost(nullptr);
  g_host = nullptr;
  g_owned.reset();
}

SdlHost* GetSdlHost() { return g_host; }
