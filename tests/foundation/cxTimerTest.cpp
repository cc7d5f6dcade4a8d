#include <gtest/gtest.h>

#include "tests/support/AppTest.h"
#include "platform/kernel/Version.h"
#include "platform/user/User.h"
#include "widgets/foundation/cxControls.h"

#include <set>

namespace {

class TTickCounter : public TObject {
  TL_CLASS(TTickCounter, TObject)
 public:
  void Tick(TObject* Sender) {
    ++Ticks;
    LastSender = Sender;
    if (OnTickStop) static_cast<TcxTimer*>(Sender)->SetEnabled(false);
  }
  int Ticks = 0;
  TObject* LastSender = nullptr;
  bool OnTickStop = false;
};
TL_DEFINE_CLASS(TTickCounter)

class cxTimerTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    cxControls::Initialize();
  }
  void TearDown() override {
    cxControls::Finalize();
    AppTest::TearDown();
  }
  Owned<TTickCounter> counter{New<TTickCounter>()};
};

TEST_F(cxTimerTest, RunsOnlyWithAHandlerAndFiresOnTheVirtualClock) {
  Owned<TcxTimer> timer(New<TcxTimer>(nullptr));
  timer->SetInterval(100);
  host().Advance(500);
  EXPECT_FALSE(timer->TimerOn());  // no handler: no system timer
  timer->SetOnTimer(TNotifyEvent(counter.get(), &TTickCounter::Tick));
  host().Advance(99);
  EXPECT_EQ(counter->Ticks, 0);
  host().Advance(1);
  EXPECT_EQ(counter->Ticks, 1);

  timer->SetEnabled(false);
  host().Advance(500);
  EXPECT_EQ(counter->Ticks, 1);
}

TEST_F(cxTimerTest, ZeroIntervalKeepsTheOldOneAndAChangeRestarts) {
  Owned<TcxTimer> timer(New<TcxTimer>(nullptr));
  timer->SetOnTimer(TNotifyEvent(counter.get(), &TTickCounter::Tick));
  timer->SetInterval(0);
  EXPECT_EQ(timer->GetInterval(), 1000u);
  host().Advance(600);
  timer->SetInterval(400);  // restarts: the 600 ms already passed do not count
  host().Advance(399);
  EXPECT_EQ(counter->Ticks, 0);
  host().Advance(1);
  EXPECT_EQ(counter->Ticks, 1);
}

TEST_F(cxTimerTest, TimersShareOneWindowAndEachFiresItsOwnHandler) {
  Owned<TTickCounter> second(New<TTickCounter>());
  Owned<TcxTimer> a(New<TcxTimer>(nullptr));
  Owned<TcxTimer> b(New<TcxTimer>(nullptr));
  a->SetInterval(50);
  b->SetInterval(120);
  a->SetOnTimer(TNotifyEvent(counter.get(), &TTickCounter::Tick));
  b->SetOnTimer(TNotifyEvent(second.get(), &TTickCounter::Tick));
  host().Advance(240);
  EXPECT_EQ(counter->Ticks, 4);
  EXPECT_EQ(second->Ticks, 2);
  b.reset();  // a freed timer stops; the other keeps running
  host().Advance(100);
  EXPECT_EQ(counter->Ticks, 6);
  EXPECT_EQ(second->Ticks, 2);
}

TEST_F(cxTimerTest, AHandlerMayStopItsOwnTimer) {
  Owned<TcxTimer> timer(New<TcxTimer>(nullptr));
  timer->SetInterval(10);
  counter->OnTickStop = true;
  timer->SetOnTimer(TNotifyEvent(counter.get(), &TTickCounter::Tick));
  host().Advance(100);
  EXPECT_EQ(counter->Ticks, 1);
}

TEST_F(cxTimerTest, ShutDownWithATimerStillRunningLeavesNoSystemTimer) {
  Owned<TcxTimer> timer(New<TcxTimer>(nullptr));
  timer->SetOnTimer(TNotifyEvent(counter.get(), &TTickCounter::Tick));
  cxControls::Initialize();  // a nested start-up does not tear down on its Finalize
  cxControls::Finalize();
  host().Advance(1000);
  EXPECT_EQ(counter->Ticks, 1);
  cxControls::Finalize();
  cxControls::Initialize();  // the fixture's Finalize balances this one
  host().Advance(3000);
  EXPECT_EQ(counter->Ticks, 1);  // the timer was stopped with the unit
}


class cxControlsUnitTest : public AppTest {};

TEST_F(cxControlsUnitTest, StartUpLoadsTheFifteenLibraryCursors) {
  const HCURSOR arrow = Screen->Cursors(crDefault);
  EXPECT_EQ(Screen->Cursors(crcxDragCopy), arrow);  // nothing before start-up
  cxControls::Initialize();
  std::set<HCURSOR> seen;
  for (TCursor id = crcxDragCopy; id <= crcxHandPoint; ++id) {
    const HCURSOR cursor = Screen->Cursors(id);
    ASSERT_NE(cursor, arrow) << id;
    seen.insert(cursor);
    // The hot spot must lie on a drawn pixel, or clicks land beside the picture.
    const CursorImage* art = GetCursorImage(cursor);
    ASSERT_NE(art, nullptr) << id;
    ASSERT_TRUE(art->HotX >= 0 && art->HotX < art->Width && art->HotY >= 0 && art->HotY < art->Height) << id;
    EXPECT_NE(art->Pixels[size_t(art->HotY * art->Width + art->HotX)], CursorTransparent) << id;
  }
  EXPECT_EQ(seen.size(), 15u);
  cxControls::Finalize();
}


}  // namespace
