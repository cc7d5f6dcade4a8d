// Random sequences of window operations, with procedures that create and destroy windows
// from inside their own messages. The table must stay consistent and nothing may leak.
#include "platform/gdi/Gdi.h"
#include "tests/platform/user/UserTestUtil.h"
#include "tests/support/UserTest.h"

#include <random>
#include <stdexcept>

namespace {

// The windows a random test works on, drawn at random; destroyed ones drop out.
struct Pool {
  std::mt19937& random;
  std::vector<HWND> windows;
  HWND Pick() {
    if (windows.empty()) return nullptr;
    return windows[std::uniform_int_distribution<size_t>(0, windows.size() - 1)(random)];
  }
  void Add(HWND h) {
    if (h) windows.push_back(h);
  }
  void Prune() {
    windows.erase(std::remove_if(windows.begin(), windows.end(), [](HWND h) { return !IsWindow(h); }), windows.end());
  }
};

void CheckTree(HWND parent, std::vector<HWND>& seen) {
  for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    ASSERT_TRUE(IsWindow(c));
    ASSERT_EQ(GetAncestor(c, GA_PARENT), parent);
    ASSERT_EQ(std::count(seen.begin(), seen.end(), c), 0) << "a window listed twice";
    seen.push_back(c);
    CheckTree(c, seen);
  }
}

}  // namespace

class StressSeeds : public RecorderTest, public ::testing::WithParamInterface<unsigned> {};

TEST_P(StressSeeds, RandomOperationsKeepTheWindowTableConsistent) {
  std::mt19937 random(GetParam());
  Pool pool{random, {}};
  int depth = 0;
  rec.handler = [&](HWND h, UINT m, WPARAM, LPARAM, LRESULT&) {
    if (depth > 3) return false;
    depth++;
    int roll = std::uniform_int_distribution<int>(0, 99)(random);
    if ((m == WM_DESTROY || m == WM_SIZE || m == WM_SETFOCUS || m == WM_PAINT) && roll < 10) {
      if (HWND victim = pool.Pick(); victim != h) DestroyWindow(victim);
    } else if ((m == WM_CREATE || m == WM_SHOWWINDOW) && roll < 8) {
      pool.Add(rec.Create(WS_CHILD | WS_VISIBLE, roll, roll, 20, 20, h));
    }
    depth--;
    return false;
  };
  for (int step = 0; step < 3000; step++) {
    int op = std::uniform_int_distribution<int>(0, 19)(random);
    HWND a = pool.Pick(), b = pool.Pick();
    int x = std::uniform_int_distribution<int>(-50, 400)(random);
    switch (op) {
      case 0:
      case 1:
        pool.Add(rec.Create(WS_OVERLAPPEDWINDOW | (x % 2 ? WS_VISIBLE : 0) | WS_CLIPCHILDREN, x, x / 2, 200, 150));
        break;
      case 2:
        if (IsWindow(a))
          pool.Add(rec.Create(WS_CHILD | WS_VISIBLE | (x % 3 ? WS_CLIPSIBLINGS : 0), x % 100, x % 70, 40, 30, a));
        break;
      case 3: DestroyWindow(a); break;
      case 4: SetParent(a, b); break;
      case 5: MoveWindow(a, x, x, x % 150, x % 120, TRUE); break;
      case 6: ShowWindow(a, x % 2 ? SW_SHOW : SW_HIDE); break;
      case 7: SetFocus(a); break;
      case 8: InvalidateRect(a, nullptr, TRUE); break;
      case 9: host().Click(nullptr, x + 20, x + 20); break;
      case 10: SetWindowPos(a, b, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE); break;
      case 11: EnableWindow(a, x % 2); break;
      case 12: SetCapture(a); break;
      case 13: ReleaseCapture(); break;
      case 14: {
        HRGN shape = x % 2 ? CreateRectRgn(0, 0, x % 60, x % 40) : nullptr;
        if (!SetWindowRgn(a, shape, TRUE) && shape) DeleteObject(shape);   // refused: still ours
        break;
      }
      case 15: ScrollWindowEx(a, x % 7 - 3, x % 5 - 2, nullptr, nullptr, nullptr, nullptr,
                              SW_INVALIDATE | SW_ERASE | SW_SCROLLCHILDREN); break;
      case 16: {
        if (!IsWindow(a)) break;
        SetTimer(a, 1, 10 + x % 50, nullptr);
        host().Advance(20);
        break;
      }
      case 17: host().Key(x % 2 ? VK_TAB : 'A'); break;
      case 18: {
        HDC dc = GetDC(a);
        if (dc) ReleaseDC(a, dc);
        break;
      }
      default: host().PumpUntilIdle(); break;
    }
    pool.Prune();
    if (step % 100 == 0) {
      std::vector<HWND> seen;
      CheckTree(GetDesktopWindow(), seen);
      ASSERT_FALSE(HasFatalFailure());
      ASSERT_EQ(int(seen.size()), UserLiveWindowCount());   // every live window is in the tree once
      EXPECT_TRUE(!GetFocus() || IsWindow(GetFocus()));
      EXPECT_TRUE(!GetActiveWindow() || IsWindow(GetActiveWindow()));
      EXPECT_EQ(UserSendDepth(), 0);
    }
  }
  host().PumpUntilIdle();
  rec.handler = nullptr;
  for (HWND h : pool.windows) DestroyWindow(h);
  EXPECT_EQ(UserLiveWindowCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(Seeds, StressSeeds, ::testing::Range(1u, 6u));

// Procedures that throw at random points: every operation either completes or lets the
// exception through, and the platform's state stays consistent either way.
TEST_P(StressSeeds, RandomExceptionsLeaveTheStateConsistent) {
  std::mt19937 random(GetParam() * 7919u);
  Pool pool{random, {}};
  bool throwing = true;
  rec.handler = [&](HWND, UINT m, WPARAM, LPARAM, LRESULT&) -> bool {
    if (throwing && m != WM_NCDESTROY && std::uniform_int_distribution<int>(0, 99)(random) < 4)
      throw std::runtime_error("random failure");
    return false;
  };
  static HHOOK hook;
  hook = SetWindowsHookExA(WH_CALLWNDPROC, [](int c, WPARAM w, LPARAM l) { return CallNextHookEx(hook, c, w, l); },
                           nullptr, 0);
  int thrown = 0;
  for (int step = 0; step < 1500; step++) {
    int op = std::uniform_int_distribution<int>(0, 9)(random);
    HWND a = pool.Pick();
    int x = std::uniform_int_distribution<int>(0, 300)(random);
    try {
      switch (op) {
        case 0: case 1: pool.Add(rec.Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, x, 150, 100)); break;
        case 2: if (IsWindow(a)) pool.Add(rec.Create(WS_CHILD | WS_VISIBLE, x % 50, x % 40, 30, 30, a)); break;
        case 3: DestroyWindow(a); break;
        case 4: MoveWindow(a, x, x, x % 200, x % 150, TRUE); break;
        case 5: SetFocus(a); break;
        case 6: InvalidateRect(a, nullptr, TRUE); host().PumpUntilIdle(); break;
        case 7: host().Click(nullptr, x + 10, x + 10); host().PumpUntilIdle(); break;
        case 8: SendMessageA(a, WM_USER, 0, 0); break;
        default: ShowWindow(a, x % 2 ? SW_SHOW : SW_HIDE); break;
      }
    } catch (const std::runtime_error&) {
      thrown++;
    }
    pool.Prune();
    ASSERT_EQ(UserSendDepth(), 0);
    for (HWND h : pool.windows) ASSERT_FALSE(UserIsPainting(h));
  }
  EXPECT_GT(thrown, 0);
  throwing = false;
  host().PumpUntilIdle();
  std::vector<HWND> seen;
  CheckTree(GetDesktopWindow(), seen);
  EXPECT_EQ(int(seen.size()), UserLiveWindowCount());
  for (HWND h : pool.windows) DestroyWindow(h);
  EXPECT_EQ(UserLiveWindowCount(), 0);
  EXPECT_TRUE(UnhookWindowsHookEx(hook));
  EXPECT_EQ(UserLiveHookCount(), 0);
  rec.handler = nullptr;
}

namespace {
std::mt19937* g_random;
std::vector<HHOOK>* g_hooks;

LRESULT RandomHook(int code, WPARAM w, LPARAM l) {
  // Each hook passes on to the next; now and then one removes a random hook (maybe itself)
  // or adds another, while the chain is running.
  int roll = std::uniform_int_distribution<int>(0, 99)(*g_random);
  HHOOK self = g_hooks->empty() ? nullptr : g_hooks->front();
  if (roll < 5 && !g_hooks->empty()) {
    size_t i = std::uniform_int_distribution<size_t>(0, g_hooks->size() - 1)(*g_random);
    UnhookWindowsHookEx((*g_hooks)[i]);
    g_hooks->erase(g_hooks->begin() + ptrdiff_t(i));
  } else if (roll < 8 && g_hooks->size() < 12) {
    int kinds[] = {WH_CALLWNDPROC, WH_GETMESSAGE, WH_MOUSE};
    g_hooks->push_back(SetWindowsHookExA(kinds[roll % 3], RandomHook, nullptr, 0));
  }
  return CallNextHookEx(self, code, w, l);
}
}  // namespace

TEST_P(StressSeeds, HooksAddedAndRemovedWhileChainsRun) {
  std::mt19937 random(GetParam() * 104729u);
  std::vector<HHOOK> hooks;
  g_random = &random;
  g_hooks = &hooks;
  for (int kind : {WH_CALLWNDPROC, WH_GETMESSAGE, WH_MOUSE, WH_CALLWNDPROC})
    hooks.push_back(SetWindowsHookExA(kind, RandomHook, nullptr, 0));
  HWND h = rec.Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 300, 200);
  HWND child = rec.Create(WS_CHILD | WS_VISIBLE, 10, 10, 50, 50, h);
  for (int step = 0; step < 1500; step++) {
    int x = std::uniform_int_distribution<int>(0, 300)(random);
    switch (x % 5) {
      case 0: SendMessageA(x % 2 ? h : child, WM_USER, 0, 0); break;
      case 1: PostMessageA(h, WM_USER, 0, 0); break;
      case 2: host().Click(h, x % 250, x % 150); break;
      case 3: InvalidateRect(child, nullptr, TRUE); break;
      default: host().PumpUntilIdle(); break;
    }
    if (hooks.size() < 2) hooks.push_back(SetWindowsHookExA(WH_CALLWNDPROC, RandomHook, nullptr, 0));
  }
  host().PumpUntilIdle();
  for (HHOOK hook : hooks) EXPECT_TRUE(UnhookWindowsHookEx(hook));
  EXPECT_EQ(UserLiveHookCount(), 0);
}
