// Timers on the virtual clock.
#include "tests/platform/user/UserTestUtil.h"
#include "tests/support/UserTest.h"

namespace {
std::vector<std::pair<UINT_PTR, DWORD>>* g_fired;
void TimerCallback(HWND, UINT, UINT_PTR id, DWORD time) { g_fired->push_back({id, time}); }
}  // namespace

class TimerTest : public RecorderTest {
 protected:
  void SetUp() override {
    RecorderTest::SetUp();
    g_fired = &fired;
    h = rec.Create(WS_OVERLAPPEDWINDOW, 0, 0, 100, 100);
    rec.handler = [this](HWND, UINT m, WPARAM w, LPARAM, LRESULT&) {
      if (m == WM_TIMER) ticks.push_back({w, GetTickCount()});
      return false;
    };
  }
  std::vector<std::pair<UINT_PTR, DWORD>> fired;
  std::vector<std::pair<WPARAM, DWORD>> ticks;
  HWND h = nullptr;
};

TEST_F(TimerTest, FiresOnlyWhenDueOnTheVirtualClock) {
  DWORD start = GetTickCount();
  EXPECT_EQ(SetTimer(h, 5, 500, nullptr), 5u);
  host().PumpUntilIdle();
  Clock().Advance(499);
  host().PumpUntilIdle();
  EXPECT_TRUE(ticks.empty());
  host().Advance(1);
  ASSERT_EQ(ticks.size(), 1u);
  EXPECT_EQ(ticks[0], std::make_pair(WPARAM(5), start + 500));
  EXPECT_TRUE(KillTimer(h, 5));
  host().Advance(1000);
  EXPECT_EQ(ticks.size(), 1u);
}

TEST_F(TimerTest, AWindowTimerWithIdZeroIsKilledByWhatSetTimerAnswered) {
  const UINT_PTR answer = SetTimer(h, 0, 100, nullptr);
  ASSERT_NE(answer, 0u);
  host().Advance(100);
  ASSERT_EQ(ticks.size(), 1u);
  EXPECT_EQ(ticks[0].first, WPARAM(0)) << "the message carries the id given";
  EXPECT_TRUE(KillTimer(h, answer));
  host().Advance(500);
  EXPECT_EQ(ticks.size(), 1u);
  // With a real timer 1 beside it, 1 means that one; 0 still reaches the other.
  SetTimer(h, 0, 100, nullptr);
  SetTimer(h, 1, 100, nullptr);
  EXPECT_TRUE(KillTimer(h, 1));
  host().Advance(100);
  ASSERT_EQ(ticks.size(), 2u);
  EXPECT_EQ(ticks[1].first, WPARAM(0));
  EXPECT_TRUE(KillTimer(h, 0));
  EXPECT_FALSE(KillTimer(h, 1));
}

TEST_F(TimerTest, MissedPeriodsCoalesce) {
  SetTimer(h, 1, 100, nullptr);
  Clock().Advance(1000);   // nobody pumped for ten periods
  host().PumpUntilIdle();
  EXPECT_EQ(ticks.size(), 1u);
}

TEST_F(TimerTest, AdvanceStepsToEachTimerInOrder) {
  DWORD start = GetTickCount();
  SetTimer(h, 1, 300, nullptr);
  SetTimer(h, 2, 200, nullptr);
  host().Advance(600);
  std::vector<std::pair<WPARAM, DWORD>> expected = {
      {2, start + 200}, {1, start + 300}, {2, start + 400}, {1, start + 600}, {2, start + 600}};
  // At 600 both fall due: the one due first (registered first at equal times) comes first.
  ASSERT_EQ(ticks.size(), expected.size());
  for (size_t i = 0; i < 3; i++) EXPECT_EQ(ticks[i], expected[i]);
  EXPECT_EQ(std::pair(ticks[3].second, ticks[4].second), std::pair(start + 600, start + 600));
}

TEST_F(TimerTest, ResettingReplacesTheTimer) {
  DWORD start = GetTickCount();
  SetTimer(h, 1, 100, nullptr);
  host().Advance(50);
  SetTimer(h, 1, 100, nullptr);   // starts over
  host().Advance(60);
  EXPECT_TRUE(ticks.empty());
  host().Advance(40);
  ASSERT_EQ(ticks.size(), 1u);
  EXPECT_EQ(ticks[0].second, start + 150);
}

TEST_F(TimerTest, ThreadTimersAndTimerProcedures) {
  UINT_PTR id = SetTimer(nullptr, 0, 100, TimerCallback);
  ASSERT_NE(id, 0u);
  SetTimer(h, 3, 100, TimerCallback);   // a window timer with a procedure
  DWORD start = GetTickCount();
  host().Advance(100);
  ASSERT_EQ(fired.size(), 2u);
  EXPECT_TRUE(ticks.empty());   // the procedure replaces WM_TIMER to the window
  EXPECT_EQ(fired[0], std::make_pair(id, start + 100));
  EXPECT_EQ(fired[1].first, 3u);
  KillTimer(nullptr, id);
  KillTimer(h, 3);
  // A WM_TIMER naming a procedure that belongs to no timer is not called.
  MSG forged{};
  forged.message = WM_TIMER, forged.wParam = 77, forged.lParam = reinterpret_cast<LPARAM>(&TimerCallback);
  DispatchMessageA(&forged);
  EXPECT_EQ(fired.size(), 2u);
}

TEST_F(TimerTest, DestroyingTheWindowKillsItsTimers) {
  HWND temp = rec.Create(WS_POPUP, 0, 0, 1, 1);
  SetTimer(temp, 1, 10, nullptr);
  SetTimer(temp, 2, 10, nullptr);
  DestroyWindow(temp);
  EXPECT_EQ(UserLiveTimerCount(), 0);
  EXPECT_EQ(SetTimer(temp, 1, 10, nullptr), 0u);
}

TEST_F(TimerTest, ThreadTimerIdsRunOutAndTheCallThenFails) {
  std::vector<UINT_PTR> ids;
  while (ids.size() <= 0x8001) {
    const UINT_PTR id = SetTimer(nullptr, 0, 1000, nullptr);
    if (!id) break;
    ids.push_back(id);
  }
  ASSERT_EQ(ids.size(), 0x8001u);   // 0x7FFF..0xFFFF, each once
  EXPECT_EQ(*std::min_element(ids.begin(), ids.end()), 0x7FFFu);
  EXPECT_EQ(*std::max_element(ids.begin(), ids.end()), 0xFFFFu);
  EXPECT_TRUE(KillTimer(nullptr, ids[100]));
  EXPECT_EQ(SetTimer(nullptr, 0, 1000, nullptr), ids[100]);   // the one freed id
  for (auto it = ids.rbegin(); it != ids.rend(); ++it) KillTimer(nullptr, *it);
  EXPECT_EQ(UserLiveTimerCount(), 0);
}
