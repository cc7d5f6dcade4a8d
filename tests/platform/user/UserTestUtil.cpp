#include "tests/platform/user/UserTestUtil.h"

#include <algorithm>
#include <cstdio>

Recorder::Recorder() {
  token_ = std::make_unique<ClosureProc>([this](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    log.push_back({h, m, w, l});
    LRESULT r = 0;
    if (handler && handler(h, m, w, l, r)) return r;
    return DefWindowProcA(h, m, w, l);
  });
  proc_ = token_.get();
}

Recorder::~Recorder() = default;

const char* Recorder::ClassName(UINT classStyle) {
  static char names[4][32];
  int slot = classStyle == 0 ? 0 : classStyle == CS_DBLCLKS ? 1 : 2;
  std::snprintf(names[slot], sizeof names[slot], "Recorder%u", classStyle);
  WNDCLASSA existing;
  if (!GetClassInfoA(nullptr, names[slot], &existing) || existing.lpfnWndProc != proc_) {
    UnregisterClassA(names[slot], nullptr);
    WNDCLASSA wc;
    wc.style = classStyle;
    wc.lpfnWndProc = proc_;
    wc.lpszClassName = names[slot];
    wc.hbrBackground = reinterpret_cast<HBRUSH>(uintptr_t(5 + 1));   // COLOR_WINDOW + 1
    RegisterClassA(&wc);
  }
  return names[slot];
}

HWND Recorder::Create(DWORD style, int x, int y, int w, int h, HWND parent, DWORD exStyle, const char* title,
                      UINT classStyle, HMENU id) {
  HWND made = CreateWindowExA(exStyle, ClassName(classStyle), title, style, x, y, w, h, parent, id, nullptr, nullptr);
  if (made) created_.push_back(made);
  return made;
}

void Recorder::DestroyAll() {
  handler = nullptr;
  for (auto it = created_.rbegin(); it != created_.rend(); ++it)
    if (IsWindow(*it)) DestroyWindow(*it);
  created_.clear();
}

std::vector<UINT> Recorder::For(HWND h, const std::vector<UINT>& only) const {
  std::vector<UINT> out;
  for (auto& m : log)
    if (m.hwnd == h && (only.empty() || std::find(only.begin(), only.end(), m.msg) != only.end()))
      out.push_back(m.msg);
  return out;
}

std::vector<UINT> Recorder::All(const std::vector<UINT>& only) const {
  std::vector<UINT> out;
  for (auto& m : log)
    if (std::find(only.begin(), only.end(), m.msg) != only.end()) out.push_back(m.msg);
  return out;
}

Logged Recorder::Of(UINT msg) const {
  Logged out;
  for (auto& m : log)
    if (m.msg == msg) out.push_back(m);
  return out;
}

Sent Recorder::Sequence(const std::vector<UINT>& only) const {
  Sent out;
  for (auto& m : log)
    if (std::find(only.begin(), only.end(), m.msg) != only.end()) out.push_back({m.hwnd, m.msg});
  return out;
}

Recorder::Handler Answer(HWND h, UINT msg, LRESULT result) {
  return [=](HWND w, UINT m, WPARAM, LPARAM, LRESULT& r) {
    if ((h && w != h) || m != msg) return false;
    r = result;
    return true;
  };
}

int Recorder::Count(HWND h, UINT msg) const {
  return int(std::count_if(log.begin(), log.end(), [&](const LoggedMessage& m) { return m.hwnd == h && m.msg == msg; }));
}

std::string MessageName(UINT msg) {
  switch (msg) {
#define N(x) case x: return #x;
    N(WM_CREATE) N(WM_DESTROY) N(WM_MOVE) N(WM_SIZE) N(WM_ACTIVATE) N(WM_SETFOCUS) N(WM_KILLFOCUS)
    N(WM_ENABLE) N(WM_SETTEXT) N(WM_GETTEXT) N(WM_PAINT) N(WM_CLOSE) N(WM_QUIT) N(WM_ERASEBKGND)
    N(WM_SHOWWINDOW) N(WM_ACTIVATEAPP) N(WM_SETCURSOR) N(WM_MOUSEACTIVATE) N(WM_GETMINMAXINFO) N(WM_QUERYOPEN) N(WM_CHILDACTIVATE)
    N(WM_WINDOWPOSCHANGING) N(WM_WINDOWPOSCHANGED) N(WM_NCCREATE) N(WM_NCDESTROY) N(WM_NCCALCSIZE)
    N(WM_NCHITTEST) N(WM_NCPAINT) N(WM_NCACTIVATE) N(WM_KEYDOWN) N(WM_KEYUP) N(WM_CHAR) N(WM_TIMER)
    N(WM_MOUSEMOVE) N(WM_LBUTTONDOWN) N(WM_LBUTTONUP) N(WM_LBUTTONDBLCLK) N(WM_PARENTNOTIFY)
    N(WM_CAPTURECHANGED) N(WM_USER) N(WM_NCLBUTTONDOWN) N(WM_SYSKEYDOWN) N(WM_MOUSEWHEEL)
    N(WM_SYSCOLORCHANGE) N(WM_SETTINGCHANGE) N(WM_THEMECHANGED)
#undef N
    default: {
      char b[16];
      std::snprintf(b, sizeof b, "0x%04X", msg);
      return b;
    }
  }
}

std::string Names(const std::vector<UINT>& msgs) {
  std::string s;
  for (UINT m : msgs) s += (s.empty() ? "" : " ") + MessageName(m);
  return s;
}
