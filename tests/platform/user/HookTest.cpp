// Thread hooks: what each kind sees, swallowing, modification, unhooking inside a hook, and
// exceptions through the chain.
#include "tests/platform/user/UserTestUtil.h"
#include "tests/support/UserTest.h"

#include <stdexcept>
#include <tuple>
#include <utility>

namespace {

using Calls = std::vector<std::pair<int, UINT>>;

struct HookLog {
  Calls calls;   // (hook number, message)
  HHOOK first = nullptr, second = nullptr;
  int swallowMouse = 0;
  bool unhookSelf = false;
  bool throwIt = false;
};
HookLog* g;

LRESULT CALLBACK_CallWnd1(int code, WPARAM w, LPARAM l) {
  auto* cwp = reinterpret_cast<CWPSTRUCT*>(l);
  g->calls.push_back({1, cwp->message});
  if (g->throwIt && cwp->message == WM_USER) throw std::runtime_error("hook failed");
  if (g->unhookSelf) UnhookWindowsHookEx(g->first);
  return CallNextHookEx(g->first, code, w, l);
}

LRESULT CALLBACK_CallWnd2(int code, WPARAM w, LPARAM l) {
  g->calls.push_back({2, reinterpret_cast<CWPSTRUCT*>(l)->message});
  return CallNextHookEx(g->second, code, w, l);
}

LRESULT CALLBACK_Mouse(int code, WPARAM w, LPARAM l) {
  g->calls.push_back({code == HC_ACTION ? 3 : 4, UINT(w)});
  if (g->swallowMouse > 0 && w == WM_LBUTTONDOWN) {
    g->swallowMouse--;
    return 1;
  }
  return CallNextHookEx(g->first, code, w, l);
}

LRESULT CALLBACK_GetMsg(int code, WPARAM w, LPARAM l) {
  auto* msg = reinterpret_cast<MSG*>(l);
  g->calls.push_back({w == PM_REMOVE ? 5 : 6, msg->message});
  if (msg->message == WM_USER + 7) msg->message = WM_NULL;      // dropped
  if (msg->message == WM_USER + 8) msg->wParam = 1234;          // changed
  return CallNextHookEx(g->first, code, w, l);
}

}  // namespace

class HookTest : public RecorderTest {
 protected:
  void SetUp() override {
    RecorderTest::SetUp();
    g = &log;
    h = rec.Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 200, 150);
    host().PumpUntilIdle();
    rec.Clear();
  }
  void TearDown() override {
    if (log.first) UnhookWindowsHookEx(log.first);
    if (log.second) UnhookWindowsHookEx(log.second);
    RecorderTest::TearDown();
  }
  HookLog log;
  HWND h = nullptr;
};

TEST_F(HookTest, CallWndProcSeesSentMessagesNotPostedOnes) {
  log.first = SetWindowsHookExA(WH_CALLWNDPROC, CALLBACK_CallWnd1, nullptr, 0);
  ASSERT_NE(log.first, nullptr);
  SendMessageA(h, WM_USER, 0, 0);
  PostMessageA(h, WM_USER + 1, 0, 0);
  host().PumpUntilIdle();
  ShowWindow(h, SW_HIDE);   // messages the platform sends itself are seen too
  auto seen = [&](UINT m) { return std::count(log.calls.begin(), log.calls.end(), std::pair(1, m)); };
  ASSERT_FALSE(log.calls.empty());
  EXPECT_EQ(log.calls.front().second, WM_USER);
  EXPECT_EQ(std::tuple(seen(WM_USER + 1), seen(WM_SHOWWINDOW), seen(WM_WINDOWPOSCHANGED)), std::tuple(0, 1, 1));
}

TEST_F(HookTest, NewestHookRunsFirstAndChainsToTheNext) {
  log.first = SetWindowsHookExA(WH_CALLWNDPROC, CALLBACK_CallWnd1, nullptr, 0);
  log.second = SetWindowsHookExA(WH_CALLWNDPROC, CALLBACK_CallWnd2, nullptr, 0);
  SendMessageA(h, WM_USER, 0, 0);
  EXPECT_EQ(log.calls, (Calls{{2, WM_USER}, {1, WM_USER}}));
  EXPECT_TRUE(UnhookWindowsHookEx(log.second));
  EXPECT_FALSE(UnhookWindowsHookEx(log.second));
  log.second = nullptr;
  EXPECT_EQ(SetWindowsHookExA(99, CALLBACK_CallWnd2, nullptr, 0), nullptr);
}

TEST_F(HookTest, UnhookingInsideTheHookIsSafe) {
  log.first = SetWindowsHookExA(WH_CALLWNDPROC, CALLBACK_CallWnd1, nullptr, 0);
  log.second = SetWindowsHookExA(WH_CALLWNDPROC, CALLBACK_CallWnd2, nullptr, 0);
  // The older hook removes itself while running, then calls on: the chain still ends well.
  log.unhookSelf = true;
  SendMessageA(h, WM_USER, 0, 0);
  log.first = nullptr;
  EXPECT_EQ(UserLiveHookCount(), 1);
  log.calls.clear();
  log.unhookSelf = false;
  SendMessageA(h, WM_USER, 0, 0);
  EXPECT_EQ(log.calls, (Calls{{2, WM_USER}}));
}

TEST_F(HookTest, MouseHookSwallowsAClick) {
  log.first = SetWindowsHookExA(WH_MOUSE, CALLBACK_Mouse, nullptr, 0);
  log.swallowMouse = 1;
  PumpedInput in(host());
  in.Click(h, 10, 10);
  EXPECT_EQ(std::pair(rec.Count(h, WM_LBUTTONDOWN), rec.Count(h, WM_LBUTTONUP)), std::pair(0, 1));
  in.Click(h, 10, 10);
  EXPECT_EQ(rec.Count(h, WM_LBUTTONDOWN), 1);
}

TEST_F(HookTest, GetMessageHookSeesAndChangesRetrievedMessages) {
  log.first = SetWindowsHookExA(WH_GETMESSAGE, CALLBACK_GetMsg, nullptr, 0);
  PostMessageA(h, WM_USER + 7, 0, 0);
  PostMessageA(h, WM_USER + 8, 0, 0);
  MSG m;
  ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(m.message, WM_NULL);
  ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
  DispatchMessageA(&m);
  ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(std::pair(m.message, m.wParam), std::pair(WM_USER + 8u, WPARAM(1234)));
  EXPECT_EQ(log.calls, (Calls{{6, WM_USER + 7}, {5, WM_USER + 7}, {5, WM_USER + 8}}));
  EXPECT_EQ(rec.Count(h, WM_USER + 7), 0);
}

TEST_F(HookTest, ExceptionFromAHookLeavesTheChainUsable) {
  log.second = SetWindowsHookExA(WH_CALLWNDPROC, CALLBACK_CallWnd2, nullptr, 0);
  log.first = SetWindowsHookExA(WH_CALLWNDPROC, CALLBACK_CallWnd1, nullptr, 0);
  log.throwIt = true;
  EXPECT_THROW(SendMessageA(h, WM_USER, 0, 0), std::runtime_error);
  EXPECT_EQ(UserSendDepth(), 0);
  EXPECT_EQ(rec.Count(h, WM_USER), 0);
  // Removal is immediate again: no chain is running.
  EXPECT_TRUE(UnhookWindowsHookEx(log.first));
  log.first = nullptr;
  EXPECT_EQ(UserLiveHookCount(), 1);
  log.calls.clear();
  SendMessageA(h, WM_USER, 0, 0);
  EXPECT_EQ(log.calls, (Calls{{2, WM_USER}}));
  EXPECT_EQ(rec.Count(h, WM_USER), 1);
}

TEST_F(HookTest, TheChainContinuesFromTheRunningHookWhateverHandleIsGiven) {
  static std::vector<int> order;
  order.clear();
  HHOOK a = SetWindowsHookExA(WH_CALLWNDPROC, [](int c, WPARAM w, LPARAM l) -> LRESULT {
    order.push_back(1);
    return CallNextHookEx(nullptr, c, w, l);
  }, nullptr, 0);
  HHOOK b = SetWindowsHookExA(WH_CALLWNDPROC, [](int c, WPARAM w, LPARAM l) -> LRESULT {
    order.push_back(2);
    return CallNextHookEx(nullptr, c, w, l);
  }, nullptr, 0);
  SendMessageA(h, WM_USER, 0, 0);
  EXPECT_EQ(order, (std::vector<int>{2, 1}));
  EXPECT_EQ(rec.Count(h, WM_USER), 1);
  UnhookWindowsHookEx(a);
  UnhookWindowsHookEx(b);
}
