// The message queue: sending, posting, retrieval in the platform's order, dispatch,
// hooks and timers.
#include "platform/kernel/ScopeExit.h"
#include "platform/kernel/Threads.h"
#include "platform/user/UserInternal.h"

#include <algorithm>
#include <exception>

using namespace user_detail;

namespace {

struct FnProc final : WndProc_t {
  explicit FnProc(WNDPROCFN f) : fn(f) {}
  LRESULT Invoke(HWND h, UINT m, WPARAM w, LPARAM l) override { return fn(h, m, w, l); }
  WNDPROCFN fn;
};

std::map<WNDPROCFN, std::unique_ptr<FnProc>>& FnTokens() {
  static std::map<WNDPROCFN, std::unique_ptr<FnProc>> tokens;
  return tokens;
}

// One more send in progress until the scope ends.
auto SendDepth() {
  return PairedCall([] { ++S().sendDepth; }, [] { --S().sendDepth; });
}

// An exception leaving a window procedure must not leave a paint open.
auto DeliveryEnd(HWND h) {
  Wnd* w = Find(h);
  const int depth = w ? w->paintDepth : 0;
  return TScopeEnd([h, depth](bool AEndedNormally) {
    if (!AEndedNormally) PaintDispatchGuard(h, depth);
  });
}

// One more hook call in progress; hooks removed meanwhile leave the chain when the
// outermost call ends.
auto HookCall() {
  return PairedCall([] { ++S().hookCallDepth; },
                    [] {
                      auto& st = S();
                      if (--st.hookCallDepth == 0)
                        st.hooks.erase(std::remove_if(st.hooks.begin(), st.hooks.end(),
                                                      [](const Hook& h) { return h.removed; }),
                                       st.hooks.end());
                    });
}

// The chain position: CallNextHookEx continues from the hook that is running, whatever
// handle it is given, as on the platform.
auto HookPosition(HHOOK h) {
  return PairedCall([h] { S().hookPositions.push_back(h); }, [] { S().hookPositions.pop_back(); });
}

bool MatchWindow(HWND filter, HWND h) {
  if (!filter) return true;
  if (filter == reinterpret_cast<HWND>(-1)) return h == nullptr;
  return h == filter || IsChild(filter, h);
}

bool MatchRange(UINT first, UINT last, UINT msg) {
  if (first == 0 && last == 0) return true;
  if (first > last) return true;
  return msg >= first && msg <= last;
}

bool Due(const Timer& t, DWORD now) { return int32_t(now - t.due) >= 0; }

bool FetchOnce(MSG* out, HWND filter, UINT first, UINT last, bool remove) {
  auto& st = S();
  // Posted messages.
  for (auto it = st.posted.begin(); it != st.posted.end(); ++it) {
    if (!MatchWindow(filter, it->hwnd) || !MatchRange(first, last, it->message)) continue;
    *out = *it;
    if (remove) st.posted.erase(it);
    return true;
  }
  // Input, turned into messages as it is retrieved.
  for (size_t i = 0; i < st.input.size();) {
    InputEvent ev = st.input[i];
    MSG m;
    // Dropped input may still post (a mouse leave); those messages come before later input.
    const size_t postedBefore = st.posted.size();
    CookResult r = CookInput(ev, m, CookStage::Target);
    if (r == CookResult::Dropped) {
      if (i < st.input.size()) st.input.erase(st.input.begin() + ptrdiff_t(i));
      if (st.posted.size() > postedBefore) return FetchOnce(out, filter, first, last, remove);
      continue;
    }
    if (!MatchWindow(filter, m.hwnd) || !MatchRange(first, last, m.message)) {
      ++i;
      continue;
    }
    // Take it off the queue before the side effects run: they may pump messages.
    if (remove && i < st.input.size()) st.input.erase(st.input.begin() + ptrdiff_t(i));
    const size_t postedBeforeRemove = st.posted.size();
    r = CookInput(ev, m, remove ? CookStage::Remove : CookStage::Peek);
    if (r == CookResult::Dropped) {
      if (!remove && i < st.input.size()) st.input.erase(st.input.begin() + ptrdiff_t(i));
      if (st.posted.size() > postedBeforeRemove) return FetchOnce(out, filter, first, last, remove);
      continue;
    }
    *out = m;
    return true;
  }
  if (st.quitPending && MatchRange(first, last, WM_QUIT)) {
    *out = MSG{};
    out->message = WM_QUIT;
    out->wParam = WPARAM(st.quitCode);
    out->time = Now();
    out->pt = st.cursorPos;
    if (remove) st.quitPending = false;
    return true;
  }
  if (MatchRange(first, last, WM_PAINT)) {
    if (HWND h = FindWindowToPaint(filter)) {
      *out = MSG{};
      out->hwnd = h;
      out->message = WM_PAINT;
      out->time = Now();
      out->pt = st.cursorPos;
      return true;
    }
  }
  if (MatchRange(first, last, WM_TIMER)) {
    DWORD now = Now();
    Timer* best = nullptr;
    for (auto& t : st.timers)
      if (Due(t, now) && MatchWindow(filter, t.hwnd) &&
          (!best || int32_t(t.due - best->due) < 0 || (t.due == best->due && t.serial < best->serial)))
        best = &t;
    if (best) {
      *out = MSG{};
      out->hwnd = best->hwnd;
      out->message = WM_TIMER;
      out->wParam = best->id;
      out->lParam = reinterpret_cast<LPARAM>(best->proc);
      out->time = now;
      out->pt = st.cursorPos;
      // Missed periods coalesce into one message.
      if (remove) best->due = now + best->elapse;
      return true;
    }
  }
  return false;
}

bool Fetch(MSG* out, HWND filter, UINT first, UINT last, bool remove) {
  EnsureRoots();
  while (FetchOnce(out, filter, first, last, remove)) {
    auto& st = S();
    st.lastMessageTime = out->time;
    st.lastMessagePos = out->pt;
    if (HasHooks(WH_GETMESSAGE)) CallHooks(WH_GETMESSAGE, HC_ACTION, remove ? PM_REMOVE : PM_NOREMOVE,
                                           reinterpret_cast<LPARAM>(out));
    return true;
  }
  return false;
}

bool AnythingWaiting() {
  auto& st = S();
  if (!st.posted.empty() || !st.input.empty() || st.quitPending) return true;
  if (FindWindowToPaint(nullptr)) return true;
  DWORD now = Now();
  for (auto& t : st.timers)
    if (Due(t, now)) return true;
  return false;
}

std::optional<DWORD> NextTimerDue() {
  std::optional<DWORD> best;
  for (auto& t : S().timers)
    if (!best || int32_t(t.due - *best) < 0) best = t.due;
  return best;
}

bool WaitForWork() {
  Host* host = CurrentHost();
  if (!host) return false;
  host->WaitForInput(NextTimerDue());
  return true;
}

char KeyToChar(int vk, const BYTE* ks) {
  bool shift = ks[VK_SHIFT] & 0x80;
  bool ctrl = ks[VK_CONTROL] & 0x80;
  bool alt = ks[VK_MENU] & 0x80;
  bool caps = ks[VK_CAPITAL] & 0x01;
  if (vk >= 'A' && vk <= 'Z') {
    if (ctrl && !alt) return char(vk - 'A' + 1);
    bool upper = shift != caps;
    return char(upper ? vk : vk - 'A' + 'a');
  }
  if (ctrl && !alt) {
    if (vk == VK_RETURN) return 10;
    if (vk == VK_BACK) return 127;
    if (vk == 0xDB) return 27;
    if (vk == 0xDC) return 28;
    if (vk == 0xDD) return 29;
    return 0;
  }
  if (vk >= '0' && vk <= '9') return shift ? ")!@#$%^&*("[vk - '0'] : char(vk);
  if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD0 + 9) return char('0' + vk - VK_NUMPAD0);
  switch (vk) {
    case VK_SPACE: return ' ';
    case VK_RETURN: return 13;
    case VK_BACK: return 8;
    case VK_TAB: return 9;
    case VK_ESCAPE: return 27;
    case VK_MULTIPLY: return '*';
    case VK_ADD: return '+';
    case VK_SUBTRACT: return '-';
    case VK_DECIMAL: return '.';
    case VK_DIVIDE: return '/';
    case 0xBA: return shift ? ':' : ';';
    case 0xBB: return shift ? '+' : '=';
    case 0xBC: return shift ? '<' : ',';
    case 0xBD: return shift ? '_' : '-';
    case 0xBE: return shift ? '>' : '.';
    case 0xBF: return shift ? '?' : '/';
    case 0xC0: return shift ? '~' : '`';
    case 0xDB: return shift ? '{' : '[';
    case 0xDC: return shift ? '|' : '\\';
    case 0xDD: return shift ? '}' : ']';
    case 0xDE: return shift ? '"' : '\'';
    default: return 0;
  }
}

}  // namespace

namespace user_detail {

LRESULT Send(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!Find(h)) return 0;
  auto depth = SendDepth();
  if (HasHooks(WH_CALLWNDPROC)) {
    CWPSTRUCT cwp{lParam, wParam, msg, h};
    CallHooks(WH_CALLWNDPROC, HC_ACTION, 1, reinterpret_cast<LPARAM>(&cwp));
  }
  // The procedure is read after the hooks ran: a hook may subclass the window for this
  // very message.
  Wnd* w = Find(h);
  if (!w) return 0;
  auto scope = DeliveryEnd(h);
  return CallWindowProcA(w->proc, h, msg, wParam, lParam);
}

bool HasHooks(int kind) {
  for (auto& h : S().hooks)
    if (h.kind == kind && !h.removed) return true;
  return false;
}

LRESULT CallHooks(int kind, int code, WPARAM wParam, LPARAM lParam) {
  auto scope = HookCall();
  auto& hooks = S().hooks;
  for (size_t i = 0; i < hooks.size(); i++)
    if (hooks[i].kind == kind && !hooks[i].removed) {
      HOOKPROC proc = hooks[i].proc;
      auto position = HookPosition(hooks[i].handle);
      return proc(code, wParam, lParam);
    }
  return 0;
}

void KillTimersOf(HWND h) {
  auto& t = S().timers;
  t.erase(std::remove_if(t.begin(), t.end(), [h](const Timer& x) { return x.hwnd == h; }), t.end());
}

void RemovePostedFor(HWND h) {
  auto& p = S().posted;
  p.erase(std::remove_if(p.begin(), p.end(), [h](const MSG& m) { return m.hwnd == h; }), p.end());
}

}  // namespace user_detail

// ---- Procedures ----------------------------------------------------------------------------

WNDPROC MakeProcInstance(WNDPROCFN fn) {
  if (!fn) return nullptr;
  auto& tokens = FnTokens();
  auto& slot = tokens[fn];
  if (!slot) slot = std::make_unique<FnProc>(fn);
  return slot.get();
}

WNDPROC DefWindowProcToken() {
  static WNDPROC token = MakeProcInstance(DefWindowProcA);
  return token;
}

LRESULT CallWindowProcA(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!proc) return 0;
  return proc->Invoke(hwnd, msg, wParam, lParam);
}

// ---- Sending and posting -------------------------------------------------------------------

LRESULT SendMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (hwnd == HWND_BROADCAST) {
    std::vector<HWND> tops = Find(GetDesktopWindow())->children;
    for (HWND h : tops) Send(h, msg, wParam, lParam);
    return 1;
  }
  return Send(hwnd, msg, wParam, lParam);
}

BOOL SendNotifyMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (hwnd != HWND_BROADCAST && !Find(hwnd)) return FALSE;
  SendMessageA(hwnd, msg, wParam, lParam);
  return TRUE;
}

BOOL InSendMessage() {
  return FALSE;
}

BOOL PostMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  EnsureRoots();
  auto& st = S();
  auto post = [&](HWND h) {
    MSG m;
    m.hwnd = h;
    m.message = msg;
    m.wParam = wParam;
    m.lParam = lParam;
    m.time = Now();
    m.pt = st.cursorPos;
    st.posted.push_back(m);
  };
  if (hwnd == HWND_BROADCAST) {
    for (HWND h : Find(st.desktop)->children) post(h);
    return TRUE;
  }
  if (hwnd && !Find(hwnd)) return FALSE;
  post(hwnd);
  return TRUE;
}

BOOL PostThreadMessageA(DWORD, UINT msg, WPARAM wParam, LPARAM lParam) {
  return PostMessageA(nullptr, msg, wParam, lParam);
}

void PostQuitMessage(int exitCode) {
  auto& st = S();
  st.quitPending = true;
  st.quitCode = exitCode;
}

BOOL GetMessageA(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax) {
  if (!msg) return -1;
  if (hwnd && hwnd != reinterpret_cast<HWND>(-1) && !Find(hwnd)) return -1;
  for (;;) {
    if (Fetch(msg, hwnd, filterMin, filterMax, true)) return msg->message == WM_QUIT ? FALSE : TRUE;
    if (!WaitForWork()) return -1;
  }
}

BOOL PeekMessageA(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags) {
  if (!msg) return FALSE;
  if (hwnd && hwnd != reinterpret_cast<HWND>(-1) && !Find(hwnd)) return FALSE;
  const bool remove = (removeFlags & PM_REMOVE) != 0;
  if (Fetch(msg, hwnd, filterMin, filterMax, remove)) return TRUE;
  // Nothing queued: what the host holds may be waiting for exactly this look.
  Host* host = CurrentHost();
  if (!host) return FALSE;
  host->PollInput();
  return Fetch(msg, hwnd, filterMin, filterMax, remove) ? TRUE : FALSE;
}

BOOL WaitMessage() {
  EnsureRoots();
  if (AnythingWaiting()) return TRUE;
  return WaitForWork() ? TRUE : FALSE;
}

DWORD MsgWaitForMultipleObjects(DWORD count, const void*, BOOL, DWORD ms, DWORD) {
  EnsureRoots();
  if (count != 0) return 0xFFFFFFFF;   // WAIT_FAILED: there are no waitable handles here
  if (AnythingWaiting()) return 0;
  Host* host = CurrentHost();
  if (!host) return 258;
  std::optional<DWORD> deadline = NextTimerDue();
  if (ms != 0xFFFFFFFF) {
    DWORD limit = Now() + ms;
    if (!deadline || int32_t(limit - *deadline) < 0) deadline = limit;
  }
  if (ms == 0) return 258;
  if (ms == 0xFFFFFFFF) host->WaitForInput(deadline);
  else host->WaitWithTimeout(*deadline);
  return AnythingWaiting() ? 0 : 258;
}

BOOL TranslateMessage(const MSG* msg) {
  if (!msg) return FALSE;
  if (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN) {
    return msg->message == WM_KEYUP || msg->message == WM_SYSKEYUP;
  }
  char c = KeyToChar(int(msg->wParam), S().keyState);
  if (c) {
    MSG m = *msg;
    m.message = msg->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR;
    m.wParam = WPARAM(Byte(c));
    // The character is the very next message retrieved.
    S().posted.push_front(m);
  }
  return TRUE;
}

LRESULT DispatchMessageA(const MSG* msg) {
  if (!msg) return 0;
  if (msg->message == WM_TIMER && msg->lParam) {
    auto proc = reinterpret_cast<TIMERPROC>(msg->lParam);
    // Only a procedure that belongs to a live timer is called.
    for (auto& t : S().timers)
      if (t.hwnd == msg->hwnd && t.id == msg->wParam && t.proc == proc) {
        proc(msg->hwnd, WM_TIMER, msg->wParam, Now());
        return 0;
      }
    return 0;
  }
  Wnd* w = Find(msg->hwnd);
  if (!w) return 0;
  auto scope = DeliveryEnd(msg->hwnd);
  return CallWindowProcA(w->proc, msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

DWORD GetMessageTime() {
  return S().lastMessageTime;
}

DWORD GetMessagePos() {
  auto p = S().lastMessagePos;
  return MAKELONG(WORD(SHORT(p.X)), WORD(SHORT(p.Y)));
}

DWORD GetQueueStatus(UINT flags) {
  EnsureRoots();
  auto& st = S();
  DWORD status = 0;
  if (!st.posted.empty()) status |= QS_POSTMESSAGE;
  for (auto& e : st.input) status |= e.kind == InputEvent::Mouse ? (e.message == WM_MOUSEMOVE ? QS_MOUSEMOVE
                                                                                               : QS_MOUSEBUTTON)
                                                                 : QS_KEY;
  if (FindWindowToPaint(nullptr)) status |= QS_PAINT;
  DWORD now = Now();
  for (auto& t : st.timers)
    if (Due(t, now)) status |= QS_TIMER;
  status &= flags;
  return MAKELONG(WORD(status), WORD(status));
}

UINT RegisterWindowMessageA(LPCSTR name) {
  if (!name || !*name) return 0;
  auto& st = S();
  String key = name;
  for (auto& c : key)
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  auto it = st.registeredNames.find(key);
  if (it != st.registeredNames.end()) return it->second;
  if (st.nextRegisteredId > 0xFFFF) return 0;
  return st.registeredNames[key] = st.nextRegisteredId++;
}

// ---- Hooks ---------------------------------------------------------------------------------

HHOOK SetWindowsHookExA(int idHook, HOOKPROC fn, HINSTANCE, DWORD threadId) {
  if (!fn || (idHook != WH_GETMESSAGE && idHook != WH_CALLWNDPROC && idHook != WH_MOUSE)) return nullptr;
  // Only hooks of the window thread exist here; 0 stands for it as well.
  if (threadId != 0 && threadId != GetCurrentThreadId()) return nullptr;
  auto& st = S();
  Hook h;
  h.handle = reinterpret_cast<HHOOK>(uintptr_t(0x10000) + (uintptr_t(st.nextHookId++) << 4));
  h.kind = idHook;
  h.proc = fn;
  st.hooks.insert(st.hooks.begin(), h);
  return h.handle;
}

BOOL UnhookWindowsHookEx(HHOOK hook) {
  auto& st = S();
  for (size_t i = 0; i < st.hooks.size(); i++)
    if (st.hooks[i].handle == hook && !st.hooks[i].removed) {
      // A hook removed while a chain runs stays in place (marked) until the chain ends, so
      // CallNextHookEx from it still finds its successor.
      if (st.hookCallDepth > 0) st.hooks[i].removed = true;
      else st.hooks.erase(st.hooks.begin() + ptrdiff_t(i));
      return TRUE;
    }
  return FALSE;
}

LRESULT CallNextHookEx(HHOOK hook, int code, WPARAM wParam, LPARAM lParam) {
  auto scope = HookCall();
  auto& st = S();
  if (!st.hookPositions.empty()) hook = st.hookPositions.back();
  auto& hooks = st.hooks;
  size_t i = 0;
  while (i < hooks.size() && hooks[i].handle != hook) i++;
  if (i == hooks.size()) return 0;
  int kind = hooks[i].kind;
  for (++i; i < hooks.size(); i++)
    if (hooks[i].kind == kind && !hooks[i].removed) {
      HOOKPROC proc = hooks[i].proc;
      auto position = HookPosition(hooks[i].handle);
      return proc(code, wParam, lParam);
    }
  return 0;
}

// ---- Timers --------------------------------------------------------------------------------

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC fn) {
  EnsureRoots();
  auto& st = S();
  if (hwnd && !Find(hwnd)) return 0;
  if (elapse < 10) elapse = 10;
  if (elapse > 0x7FFFFFFF) elapse = 0x7FFFFFFF;
  Timer* existing = nullptr;
  if (hwnd || id)
    for (auto& t : st.timers)
      if (t.hwnd == hwnd && t.id == id) existing = &t;
  if (!existing) {
    Timer t;
    t.hwnd = hwnd;
    if (hwnd) {
      t.id = id;
    } else {
      // Ids run from 0x7FFF to 0xFFFF; with every one of them taken the call fails.
      constexpr UINT_PTR kFirst = 0x7FFF, kLast = 0xFFFF;
      auto& taken = st.threadTimerIdTaken;
      if (st.threadTimerIdsTaken == taken.size()) return 0;
      do {
        t.id = st.nextThreadTimerId++;
        if (st.nextThreadTimerId > kLast) st.nextThreadTimerId = kFirst;
      } while (taken[t.id - kFirst]);
      taken[t.id - kFirst] = true;
      ++st.threadTimerIdsTaken;
    }
    t.serial = ++st.timerSerial;
    st.timers.push_back(t);
    existing = &st.timers.back();
  }
  existing->elapse = elapse;
  existing->proc = fn;
  existing->due = Now() + elapse;
  return existing->id ? existing->id : 1;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
  auto& t = S().timers;
  auto it = std::find_if(t.begin(), t.end(), [&](const Timer& x) { return x.hwnd == hwnd && x.id == id; });
  // A window timer made with id 0 keeps that id (its WM_TIMER carries 0) but SetTimer
  // answered 1, so that answer must find it too when no timer 1 exists.
  if (it == t.end() && hwnd && id == 1)
    it = std::find_if(t.begin(), t.end(), [&](const Timer& x) { return x.hwnd == hwnd && x.id == 0; });
  if (it == t.end()) return FALSE;
  if (!it->hwnd) {
    auto& st = S();
    st.threadTimerIdTaken[it->id - 0x7FFF] = false;
    --st.threadTimerIdsTaken;
  }
  t.erase(it);
  return TRUE;
}
