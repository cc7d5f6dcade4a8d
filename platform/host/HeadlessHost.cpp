#include "platform/host/HeadlessHost.h"

#include "platform/gdi/Gdi.h"
#include "platform/gdi/Region.h"
#include "platform/user/User.h"
#include "platform/user/UserTesting.h"

HeadlessHost::HeadlessHost(VirtualClock& clock) : clock_(clock) {
  previousHost_ = SetUserHost(this);
}

HeadlessHost::~HeadlessHost() {
  SetUserHost(previousHost_);
}

DWORD HeadlessHost::Now() {
  return clock_.Now();
}

void HeadlessHost::Sleep(DWORD ms) {
  clock_.Advance(ms);
}

bool HeadlessHost::WaitForInput(std::optional<DWORD>) {
  if (scripts_.empty()) throw HeadlessStall("modal loop waiting with nothing scripted");
  auto script = std::move(scripts_.front());
  scripts_.pop_front();
  script();
  return true;
}

bool HeadlessHost::WaitWithTimeout(DWORD deadline) {
  if (!scripts_.empty()) return WaitForInput(deadline);
  int32_t ahead = int32_t(deadline - clock_.Now());
  if (ahead > 0) clock_.Advance(DWORD(ahead));
  return false;
}

void HeadlessHost::PollInput() {
  while (!arrivals_.empty() && arrivals_.begin()->first <= clock_.Elapsed()) {
    auto input = std::move(arrivals_.begin()->second);
    arrivals_.erase(arrivals_.begin());
    input();
  }
}

void HeadlessHost::Arrive(DWORD ms, std::function<void()> input) {
  arrivals_.emplace(clock_.Elapsed() + ms, std::move(input));
}

void HeadlessHost::TopLevelChanged(HWND, const TRect&, DWORD) {}

void HeadlessHost::TopLevelDestroyed(HWND hwnd) {
  presents_.erase(hwnd);
  presented_.erase(hwnd);
}

void HeadlessHost::Present(HWND hwnd, const Region& dirty) {
  presents_[hwnd]++;
  const Surface* src = GetWindowSurface(hwnd);
  if (!src) return;
  Surface& shown = presented_[hwnd];
  if (shown.Width() != src->Width() || shown.Height() != src->Height()) {
    Surface resized(src->Width(), src->Height(), 0);
    resized.CopyFrom(shown, shown.Bounds(), 0, 0);
    shown = std::move(resized);
  }
  for (const TRect& r : dirty.Rects()) shown.CopyFrom(*src, r, r.Left, r.Top);
}

Surface HeadlessHost::Presented(HWND topLevel) const {
  auto it = presented_.find(topLevel);
  return it == presented_.end() ? Surface() : it->second.Clone();
}

void HeadlessHost::SetCursor(HCURSOR cursor) {
  cursor_ = cursor;
}

TRect HeadlessHost::WorkArea() {
  return workArea_;
}

void HeadlessHost::SetWorkArea(const TRect& area) {
  workArea_ = area;
  UserSetWorkArea(area);
}

int HeadlessHost::PresentCount(HWND hwnd) const {
  auto it = presents_.find(hwnd);
  return it == presents_.end() ? 0 : it->second;
}

POINT HeadlessHost::ToScreen(HWND hwnd, Integer x, Integer y) const {
  POINT p{x, y};
  if (hwnd) ClientToScreen(hwnd, &p);
  return p;
}

namespace {
UINT DownMessage(MouseButton b) {
  return b == MouseButton::Left ? WM_LBUTTONDOWN : b == MouseButton::Right ? WM_RBUTTONDOWN : WM_MBUTTONDOWN;
}
}  // namespace

void HeadlessHost::MouseMove(HWND hwnd, Integer x, Integer y) {
  InputMouseMove(ToScreen(hwnd, x, y));
}

void HeadlessHost::MouseDown(HWND hwnd, Integer x, Integer y, MouseButton button) {
  InputMouseButton(DownMessage(button), ToScreen(hwnd, x, y));
}

void HeadlessHost::MouseUp(HWND hwnd, Integer x, Integer y, MouseButton button) {
  InputMouseButton(DownMessage(button) + 1, ToScreen(hwnd, x, y));
}

void HeadlessHost::Click(HWND hwnd, Integer x, Integer y, MouseButton button) {
  POINT p = ToScreen(hwnd, x, y);
  InputMouseButton(DownMessage(button), p);
  InputMouseButton(DownMessage(button) + 1, p);
}

void HeadlessHost::DoubleClick(HWND hwnd, Integer x, Integer y) {
  Click(hwnd, x, y);
  Click(hwnd, x, y);
}

void HeadlessHost::Wheel(HWND hwnd, Integer x, Integer y, int delta) {
  POINT p = ToScreen(hwnd, x, y);
  InputMouseMove(p);
  InputMouseWheel(p, delta);
}

void HeadlessHost::KeyDown(int vk) {
  InputKey(vk, true);
}

void HeadlessHost::KeyUp(int vk) {
  InputKey(vk, false);
}

void HeadlessHost::Key(int vk) {
  InputKey(vk, true);
  InputKey(vk, false);
}

void HeadlessHost::Char(Byte ch) {
  InputChar(ch);
}

void HeadlessHost::Text(const String& text) {
  for (char c : text) InputChar(Byte(c));
}

void HeadlessHost::PumpUntilIdle() {
  // A window that never validates its update region would paint forever; the bound turns
  // that into a clear failure.
  for (int i = 0; i < 100000; i++) {
    MSG msg;
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return;
    if (msg.message == WM_QUIT) {
      PostQuitMessage(int(msg.wParam));
      return;
    }
    if (route_) {
      route_(msg);
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  throw HeadlessStall("the queue never became idle (a window that never validates its update region?)");
}

void HeadlessHost::Advance(DWORD ms) {
  UInt64 target = clock_.Elapsed() + ms;
  PumpUntilIdle();
  for (;;) {
    std::optional<DWORD> due = UserNextTimerDue();
    UInt64 now = clock_.Elapsed();
    UInt64 next = target;
    if (due) {
      int32_t delta = int32_t(*due - clock_.Now());
      UInt64 at = delta <= 0 ? now : now + UInt64(delta);
      if (at < next) next = at;
    }
    if (next > now) clock_.Advance(DWORD(next - now));
    PumpUntilIdle();
    if (next >= target) return;
  }
}

void HeadlessHost::WhenIdle(std::function<void()> script) {
  scripts_.push_back(std::move(script));
}

Surface HeadlessHost::Capture(HWND topLevel) const {
  const Surface* s = GetWindowSurface(topLevel);
  if (!s) return Surface();
  Surface out = s->Clone();
  CaretState caret = UserCaretState();
  if (caret.visible && (caret.hwnd == topLevel || IsChild(topLevel, caret.hwnd))) {
    POINT p{caret.rect.Left, caret.rect.Top};
    ClientToScreen(caret.hwnd, &p);
    RECT w;
    GetWindowRect(topLevel, &w);
    for (Integer y = 0; y < caret.rect.Height(); y++)
      for (Integer x = 0; x < caret.rect.Width(); x++) {
        Integer sx = p.X - w.Left + x, sy = p.Y - w.Top + y;
        out.Set(sx, sy, ~out.At(sx, sy) & kPixelMask);
      }
  }
  return out;
}

Surface HeadlessHost::CaptureScreen() const {
  const Surface* desktop = GetWindowSurface(GetDesktopWindow());
  Surface out = desktop ? desktop->Clone() : Surface(ScreenWidth, ScreenHeight, 0);
  std::vector<HWND> tops;
  for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT)) tops.push_back(h);
  HRGN shape = CreateRectRgn(0, 0, 0, 0);
  for (auto it = tops.rbegin(); it != tops.rend(); ++it) {
    if (!IsWindowVisible(*it)) continue;
    Surface s = Capture(*it);
    RECT r;
    GetWindowRect(*it, &r);
    bool shaped = GetWindowRgn(*it, shape) != 0;
    for (Integer y = 0; y < s.Height(); y++)
      for (Integer x = 0; x < s.Width(); x++)
        if (!shaped || PtInRegion(shape, x, y)) out.Set(r.Left + x, r.Top + y, s.At(x, y));
  }
  DeleteObject(shape);
  return out;
}

Pixel HeadlessHost::PixelAt(HWND hwnd, Integer x, Integer y) const {
  HWND top = GetAncestor(hwnd, GA_ROOT);
  Surface s = Capture(top);
  POINT p{x, y};
  ClientToScreen(hwnd, &p);
  RECT w;
  GetWindowRect(top, &w);
  return s.At(p.X - w.Left, p.Y - w.Top);
}
