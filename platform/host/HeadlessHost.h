// The host tests use: a virtual 1280x1024 screen, a virtual clock that only tests (and
// Sleep) move, input injected through the window layer's input path, a pump that stops
// when nothing is left to do, and scripts for the idle points of modal loops.
#pragma once

#include "platform/gdi/Surface.h"
#include "platform/host/Host.h"
#include "platform/kernel/VirtualClock.h"

#include <deque>
#include <functional>
#include <map>
#include <stdexcept>

struct MSG;

// A loop waits for input that can never come: nothing queued, no timer due, no script.
class HeadlessStall : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class MouseButton { Left, Right, Middle };

class HeadlessHost final : public Host {
 public:
  // Installs itself as the window layer's host; the destructor removes it again.
  explicit HeadlessHost(VirtualClock& clock);
  ~HeadlessHost() override;
  HeadlessHost(const HeadlessHost&) = delete;
  HeadlessHost& operator=(const HeadlessHost&) = delete;

  // ---- Host --------------------------------------------------------------------------------
  DWORD Now() override;
  void Sleep(DWORD ms) override;
  bool WaitForInput(std::optional<DWORD> deadline) override;
  // Runs the next idle script if there is one; otherwise the clock moves to the deadline.
  bool WaitWithTimeout(DWORD deadline) override;
  // Delivers the input that has arrived by now (see Arrive).
  void PollInput() override;
  void TopLevelChanged(HWND hwnd, const TRect& screen, DWORD style) override;
  void TopLevelDestroyed(HWND hwnd) override;
  void Present(HWND hwnd, const Region& dirty) override;
  void SetCursor(HCURSOR cursor) override;
  TRect WorkArea() override;

  // ---- Screen --------------------------------------------------------------------------------
  static constexpr Integer ScreenWidth = 1280;
  static constexpr Integer ScreenHeight = 1024;
  void SetWorkArea(const TRect& area);   // broadcasts the change as the platform does
  HCURSOR CurrentCursor() const { return cursor_; }
  int PresentCount(HWND hwnd) const;

  // ---- Input (points in the client coordinates of `hwnd`; null = screen coordinates) --------
  void MouseMove(HWND hwnd, Integer x, Integer y);
  void MouseDown(HWND hwnd, Integer x, Integer y, MouseButton button = MouseButton::Left);
  void MouseUp(HWND hwnd, Integer x, Integer y, MouseButton button = MouseButton::Left);
  void Click(HWND hwnd, Integer x, Integer y, MouseButton button = MouseButton::Left);
  void DoubleClick(HWND hwnd, Integer x, Integer y);
  void Wheel(HWND hwnd, Integer x, Integer y, int delta);
  void KeyDown(int vk);
  void KeyUp(int vk);
  void Key(int vk);                      // down and up
  void Char(Byte ch);                    // a typed character without a key
  void Text(const String& text);
  // Input that reaches the host `ms` from now, as a screen's does while the program is busy:
  // it enters the window layer only when the platform next asks the host for input that
  // has arrived. `input` injects it (Key, Click...) at that moment.
  void Arrive(DWORD ms, std::function<void()> input);

  // ---- Running -----------------------------------------------------------------------------
  // Runs posted messages, input, paints and due timers until none is left; time stands
  // still. A WM_QUIT met here stays queued for the loop that owns it.
  void PumpUntilIdle();
  // Hands each message the pump retrieves (WM_QUIT aside) to `route` in place of the plain
  // translate-and-dispatch, so the pre-processing of the program's own loop (key
  // reflection, shortcuts, dialog keys) runs as it would while the program runs. Empty
  // restores the plain route.
  void SetMessageRoute(std::function<void(MSG&)> route) { route_ = std::move(route); }
  // Moves the clock forward by `ms`, stopping at each timer as it falls due and pumping.
  void Advance(DWORD ms);
  // Runs `script` the next time a loop waits with nothing to do (a modal loop's idle point).
  void WhenIdle(std::function<void()> script);
  size_t PendingScripts() const { return scripts_.size(); }

  // ---- Pixels --------------------------------------------------------------------------------
  // The top-level window's pixels with its frame, as shown (the caret included).
  Surface Capture(HWND topLevel) const;
  // The whole virtual screen: what was drawn on the screen DC, with every visible top-level
  // window over it, bottom to top, shaped by its window region.
  Surface CaptureScreen() const;
  // The pixel at a client point of any window, as shown.
  Pixel PixelAt(HWND hwnd, Integer x, Integer y) const;
  // The top-level window's pixels as the screen has them: only what was presented, and as
  // it was when presented (without the caret).
  Surface Presented(HWND topLevel) const;

 private:
  POINT ToScreen(HWND hwnd, Integer x, Integer y) const;

  VirtualClock& clock_;
  Host* previousHost_ = nullptr;
  std::deque<std::function<void()>> scripts_;
  std::function<void(MSG&)> route_;
  std::map<HWND, int> presents_;
  std::map<HWND, Surface> presented_;
  std::multimap<UInt64, std::function<void()>> arrivals_;   // by clock_.Elapsed()
  HCURSOR cursor_ = nullptr;
  TRect workArea_{0, 0, ScreenWidth, ScreenHeight - 30};
};
