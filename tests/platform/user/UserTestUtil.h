// Window procedures for tests: closures as procedure tokens, and a message log.
#pragma once

#include "platform/host/HeadlessHost.h"
#include "platform/user/User.h"
#include "tests/support/UserTest.h"

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

struct LoggedMessage {
  HWND hwnd;
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
  bool operator==(const LoggedMessage&) const = default;
};
using Logged = std::vector<LoggedMessage>;
using Sent = std::vector<std::pair<HWND, UINT>>;

// A procedure token that calls a closure; the closure decides whether to fall back to
// DefWindowProcA by calling it.
class ClosureProc final : public WndProc_t {
 public:
  using Fn = std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>;
  explicit ClosureProc(Fn fn) : fn_(std::move(fn)) {}
  LRESULT Invoke(HWND h, UINT m, WPARAM w, LPARAM l) override { return fn_(h, m, w, l); }

 private:
  Fn fn_;
};

// Windows whose procedure logs every message, then runs an optional per-test handler,
// then DefWindowProcA.
class Recorder {
 public:
  using Handler = std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT&)>;   // true = handled

  Recorder();
  ~Recorder();

  // Registers the class once (per platform state) with these class styles.
  const char* ClassName(UINT classStyle = 0);
  HWND Create(DWORD style, int x, int y, int w, int h, HWND parent = nullptr, DWORD exStyle = 0,
              const char* title = "", UINT classStyle = 0, HMENU id = nullptr);

  std::vector<LoggedMessage> log;
  Handler handler;
  WNDPROC proc() const { return proc_; }

  // Messages of one window, in order, keeping only those listed (all when `only` is empty).
  std::vector<UINT> For(HWND h, const std::vector<UINT>& only = {}) const;
  std::vector<UINT> All(const std::vector<UINT>& only) const;
  // Drops the handler (it may refer to a finished test's locals) and destroys every window
  // made through Create that still exists, newest first.
  void DestroyAll();
  // Every logged message `msg`, whichever window it went to.
  Logged Of(UINT msg) const;
  // Window and message of every logged message listed in `only`, in order.
  Sent Sequence(const std::vector<UINT>& only) const;
  int Count(HWND h, UINT msg) const;
  void Clear() { log.clear(); }

 private:
  std::unique_ptr<ClosureProc> token_;
  std::vector<HWND> created_;
  WNDPROC proc_ = nullptr;
};

// A handler that answers `msg` to `h` (to any window when null) with `result` and leaves the
// rest to the default.
Recorder::Handler Answer(HWND h, UINT msg, LRESULT result);

// Input through the headless host, each event followed by every message it causes.
class PumpedInput {
 public:
  explicit PumpedInput(HeadlessHost& host) : h_(host) {}
  void Click(HWND w, Integer x, Integer y, MouseButton b = MouseButton::Left) { h_.Click(w, x, y, b); Pump(); }
  void DoubleClick(HWND w, Integer x, Integer y) { h_.DoubleClick(w, x, y); Pump(); }
  void MouseMove(HWND w, Integer x, Integer y) { h_.MouseMove(w, x, y); Pump(); }
  void MouseDown(HWND w, Integer x, Integer y) { h_.MouseDown(w, x, y); Pump(); }
  void MouseUp(HWND w, Integer x, Integer y) { h_.MouseUp(w, x, y); Pump(); }
  void Wheel(HWND w, Integer x, Integer y, int delta) { h_.Wheel(w, x, y, delta); Pump(); }
  void Key(int vk) { h_.Key(vk); Pump(); }
  void KeyDown(int vk) { h_.KeyDown(vk); Pump(); }
  void KeyUp(int vk) { h_.KeyUp(vk); Pump(); }
  void Char(Byte ch) { h_.Char(ch); Pump(); }
  // A key pressed while `modifier` is held.
  void Chord(int modifier, int vk) { h_.KeyDown(modifier); h_.Key(vk); h_.KeyUp(modifier); Pump(); }

 private:
  void Pump() { h_.PumpUntilIdle(); }
  HeadlessHost& h_;
};

// A window-layer fixture whose recorder's windows are destroyed when the test ends.
class RecorderTest : public UserTest {
 protected:
  void TearDown() override {
    rec.DestroyAll();
    UserTest::TearDown();
  }
  Recorder rec;
};

std::string MessageName(UINT msg);
std::string Names(const std::vector<UINT>& msgs);
