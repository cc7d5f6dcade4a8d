// Window procedures for tests: closures as procedure tokens, and a message log.
#pragma once

#include "platform/user/User.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

struct LoggedMessage {
  HWND hwnd;
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
  bool operator==(const LoggedMessage&) const = default;
};

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
  int Count(HWND h, UINT msg) const;
  void Clear() { log.clear(); }

 private:
  std::unique_ptr<ClosureProc> token_;
  WNDPROC proc_ = nullptr;
};

std::string MessageName(UINT msg);
std::string Names(const std::vector<UINT>& msgs);
