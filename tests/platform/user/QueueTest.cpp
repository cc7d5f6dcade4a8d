// The queue: sent and posted messages, retrieval order and filters, modal loops, the stall
// rule, and exceptions passing through dispatch.
#include "platform/gdi/DeviceContext.h"
#include "tests/platform/user/UserTestUtil.h"
#include "tests/support/UserTest.h"

#include <stdexcept>
#include <tuple>
#include <utility>

namespace {

// A modal loop as the class library runs one. A WM_QUIT met inside is put back for the
// loop outside.
bool RunModal(const bool& done) {
  MSG m;
  while (!done) {
    BOOL r = GetMessageA(&m, nullptr, 0, 0);
    if (r == 0) {
      PostQuitMessage(int(m.wParam));
      return false;
    }
    if (r < 0) return false;
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
  return true;
}

}  // namespace

class QueueTest : public RecorderTest {
 protected:
  void SetUp() override {
    RecorderTest::SetUp();
    a = rec.Create(WS_OVERLAPPEDWINDOW, 0, 0, 100, 100);
    b = rec.Create(WS_OVERLAPPEDWINDOW, 0, 0, 100, 100);
    rec.Clear();
  }
  // Removes the next message the filter lets through; a message of ~0 when there is none.
  static MSG Take(HWND filter = nullptr, UINT lo = 0, UINT hi = 0) {
    MSG m{};
    if (!PeekMessageA(&m, filter, lo, hi, PM_REMOVE)) m.message = ~0u;
    return m;
  }
  HWND a = nullptr, b = nullptr;
};

TEST_F(QueueTest, SentMessagesRunAtOncePostedOnesLater) {
  rec.handler = [&](HWND h, UINT m, WPARAM, LPARAM, LRESULT& r) {
    if (m == WM_USER) {
      PostMessageA(h, WM_USER + 1, 0, 0);
      r = SendMessageA(h, WM_USER + 2, 0, 0);
      return true;
    }
    return Answer(nullptr, WM_USER + 2, 7)(h, m, 0, 0, r);
  };
  PostMessageA(a, WM_USER, 0, 0);
  host().PumpUntilIdle();
  EXPECT_EQ(rec.For(a, {WM_USER, WM_USER + 1, WM_USER + 2}),
            (std::vector<UINT>{WM_USER, WM_USER + 2, WM_USER + 1}));
}

TEST_F(QueueTest, SendIsReentrantAndDepthUnwinds) {
  std::vector<int> depths;
  rec.handler = [&](HWND h, UINT m, WPARAM w, LPARAM, LRESULT& r) {
    if (m != WM_USER) return false;
    depths.push_back(UserSendDepth());
    r = w == 0 ? 1 : 1 + SendMessageA(h == a ? b : a, WM_USER, w - 1, 0);
    return true;
  };
  EXPECT_EQ(SendMessageA(a, WM_USER, 3, 0), 4);
  EXPECT_EQ(depths, (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(UserSendDepth(), 0);
}

TEST_F(QueueTest, RetrievalOrderPostedInputQuitPaintTimer) {
  ShowWindow(a, SW_SHOW);
  host().PumpUntilIdle();
  SetTimer(a, 1, 50, nullptr);
  host().Advance(50);   // the timer fired once and is due again in 50
  Clock().Advance(60);
  InvalidateRect(a, nullptr, FALSE);
  PostQuitMessage(3);
  host().Key('Q');
  PostMessageA(a, WM_USER, 0, 0);
  std::vector<UINT> order;
  MSG m;
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    order.push_back(m.message);
    DispatchMessageA(&m);
    if (m.message == WM_TIMER) break;
  }
  EXPECT_EQ(Names(order), "WM_USER WM_KEYDOWN WM_KEYUP WM_QUIT WM_PAINT WM_TIMER");
}

TEST_F(QueueTest, WindowAndRangeFilters) {
  HWND child = rec.Create(WS_CHILD, 0, 0, 10, 10, a);
  PostMessageA(b, WM_USER, 1, 0);
  PostMessageA(child, WM_USER + 5, 2, 0);
  PostMessageA(nullptr, WM_USER + 9, 3, 0);
  PostMessageA(a, WM_USER + 1, 4, 0);
  MSG m;
  // A window and its children; then thread messages only; then a range.
  EXPECT_EQ(Take(a).wParam, 2u);
  EXPECT_EQ(Take(a).wParam, 4u);
  m = Take(reinterpret_cast<HWND>(-1));
  EXPECT_EQ(std::pair(m.wParam, m.hwnd), std::pair(WPARAM(3), HWND(nullptr)));
  EXPECT_EQ(Take(nullptr, WM_USER, WM_USER).wParam, 1u);
  // WM_QUIT ignores the window filter but not the range.
  PostQuitMessage(0);
  EXPECT_FALSE(PeekMessageA(&m, a, WM_USER, WM_USER, PM_NOREMOVE));
  EXPECT_EQ(Take(a).message, WM_QUIT);
  // A stale filter window gets nothing and GetMessage reports the failure.
  DestroyWindow(child);
  EXPECT_FALSE(PeekMessageA(&m, child, 0, 0, PM_REMOVE));
  EXPECT_EQ(GetMessageA(&m, child, 0, 0), -1);
  // Posted messages of a destroyed window go with it.
  PostMessageA(b, WM_USER, 0, 0);
  HWND gone = rec.Create(WS_POPUP, 0, 0, 1, 1);
  PostMessageA(gone, WM_USER, 0, 0);
  DestroyWindow(gone);
  EXPECT_EQ(Take().hwnd, b);
  EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(QueueTest, TranslateMessageMakesCharactersFromKeys) {
  HWND edit = rec.Create(WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, a);
  ShowWindow(a, SW_SHOW);
  SetFocus(edit);
  rec.Clear();
  host().Key('A');
  host().KeyDown(VK_SHIFT);
  host().Key('B');
  host().Key('2');
  host().KeyUp(VK_SHIFT);
  host().KeyDown(VK_CONTROL);
  host().Key('C');
  host().Key(VK_RETURN);
  host().KeyUp(VK_CONTROL);
  host().Key(VK_RETURN);
  host().Key(VK_F2);   // no character
  host().PumpUntilIdle();
  std::string chars;
  for (auto& m : rec.Of(WM_CHAR)) chars += m.hwnd == edit ? char(m.wParam) : '?';
  EXPECT_EQ(chars, std::string("aB@\x03\n\r"));
  EXPECT_EQ(rec.Count(edit, WM_KEYDOWN), 9);
}

TEST_F(QueueTest, WaitingWithNothingScriptedStalls) {
  MSG m;
  EXPECT_THROW(GetMessageA(&m, nullptr, 0, 0), HeadlessStall);
  EXPECT_THROW(WaitMessage(), HeadlessStall);
  // With something queued, waiting returns at once.
  PostMessageA(a, WM_USER, 0, 0);
  EXPECT_TRUE(WaitMessage());
  EXPECT_EQ(GetMessageA(&m, nullptr, 0, 0), TRUE);
  EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT), 258u);
}

TEST_F(QueueTest, NestedModalLoopsEndCleanly) {
  bool outerDone = false, innerDone = false;
  std::vector<std::string> trace;
  rec.handler = [&](HWND h, UINT m, WPARAM, LPARAM, LRESULT&) {
    if (m == WM_USER) {
      trace.push_back("outer begins");
      host().WhenIdle([&, h] { PostMessageA(h, WM_USER + 1, 0, 0); });
      RunModal(outerDone);
      trace.push_back("outer ends");
      return true;
    }
    if (m == WM_USER + 1) {
      trace.push_back("inner begins");
      host().WhenIdle([&, h] {
        innerDone = true;
        PostMessageA(h, WM_NULL, 0, 0);
      });
      RunModal(innerDone);
      trace.push_back("inner ends");
      host().WhenIdle([&, h] {
        outerDone = true;
        PostMessageA(h, WM_NULL, 0, 0);
      });
      return true;
    }
    return false;
  };
  PostMessageA(a, WM_USER, 0, 0);
  host().PumpUntilIdle();
  EXPECT_EQ(trace, (std::vector<std::string>{"outer begins", "inner begins", "inner ends", "outer ends"}));
  EXPECT_EQ(host().PendingScripts(), 0u);
  MSG m;
  EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE));
}

TEST_F(QueueTest, QuitInsideANestedLoopReachesTheOuterLoop) {
  bool never = false;
  int innerResult = -1, outerResult = -1;
  rec.handler = [&](HWND h, UINT m, WPARAM, LPARAM, LRESULT&) {
    if (m == WM_USER) {
      host().WhenIdle([h] { PostMessageA(h, WM_USER + 1, 0, 0); });
      outerResult = RunModal(never);
      return true;
    }
    if (m == WM_USER + 1) {
      host().WhenIdle([] { PostQuitMessage(9); });
      innerResult = RunModal(never);
      return true;
    }
    return false;
  };
  PostMessageA(a, WM_USER, 0, 0);
  host().PumpUntilIdle();
  EXPECT_EQ(std::pair(innerResult, outerResult), std::pair(0, 0));
  // The quit is still there for the application's own loop.
  MSG m;
  ASSERT_EQ(GetMessageA(&m, nullptr, 0, 0), FALSE);
  EXPECT_EQ(m.wParam, 9u);
  EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(QueueTest, ExceptionsPassThroughDispatchAndSendLeavingStateConsistent) {
  rec.handler = [&](HWND h, UINT m, WPARAM, LPARAM, LRESULT&) -> bool {
    if (m == WM_USER) throw std::runtime_error("from the procedure");
    if (m == WM_USER + 1) {
      SendMessageA(h, WM_USER + 2, 0, 0);
      return true;
    }
    if (m == WM_USER + 2) SendMessageA(h, WM_USER, 0, 0);
    return false;
  };
  PostMessageA(a, WM_USER, 0, 0);
  EXPECT_THROW(host().PumpUntilIdle(), std::runtime_error);
  EXPECT_THROW(SendMessageA(a, WM_USER + 1, 0, 0), std::runtime_error);
  EXPECT_EQ(UserSendDepth(), 0);
  // The window still works, and the queue goes on.
  PostMessageA(a, WM_USER + 3, 0, 0);
  host().PumpUntilIdle();
  EXPECT_EQ(rec.Count(a, WM_USER + 3), 1);
}

TEST_F(QueueTest, ExceptionDuringPaintClosesThePaint) {
  ShowWindow(a, SW_SHOW);
  host().PumpUntilIdle();
  size_t dcsBefore = LiveDCCount();
  rec.handler = [&](HWND h, UINT m, WPARAM, LPARAM, LRESULT&) -> bool {
    if (m == WM_PAINT) {
      PAINTSTRUCT ps;
      BeginPaint(h, &ps);
      EXPECT_TRUE(UserIsPainting(h));
      throw std::runtime_error("paint failed");
    }
    return false;
  };
  InvalidateRect(a, nullptr, TRUE);
  EXPECT_THROW(host().PumpUntilIdle(), std::runtime_error);
  EXPECT_FALSE(UserIsPainting(a));
  EXPECT_EQ(LiveDCCount(), dcsBefore);
  RECT r;
  EXPECT_FALSE(GetUpdateRect(a, &r, FALSE));   // BeginPaint validated before the throw
  rec.handler = nullptr;
  InvalidateRect(a, nullptr, TRUE);
  host().PumpUntilIdle();
  EXPECT_FALSE(GetUpdateRect(a, &r, FALSE));
}
