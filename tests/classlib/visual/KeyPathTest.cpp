// Keys injected through the headless host take the application's path to the focused
// control whichever pump the test runs: reflected as CN_KEYDOWN first, then the control's
// own key handling, with dialog keys reaching the form.
#include "tests/classlib/visual/VisualTestClasses.h"
#include "tests/support/AppTest.h"

#include <gtest/gtest.h>

// Counts the reflected and the plain key-down messages it receives; can keep its client
// area invalid forever to model a window that never finishes painting.
class TKeyCounter : public TCustomControl {
  TL_CLASS(TKeyCounter, TCustomControl)
 public:
  using TCustomControl::TCustomControl;
  int Reflected = 0;
  int Plain = 0;
  bool RepaintForever = false;

 protected:
  void Paint() override {
    if (RepaintForever) Invalidate();
  }
  void CNKeyDownSeen(TMessage& m) {
    Reflected++;
    TL_INHERITED(m);
  }
  void WMKeyDownSeen(TMessage& m) {
    Plain++;
    TL_INHERITED(m);
  }
};

TL_MESSAGES(TKeyCounter, TL_ON(CN_KEYDOWN, CNKeyDownSeen), TL_ON(WM_KEYDOWN, WMKeyDownSeen))
TL_DEFINE_CLASS(TKeyCounter)

namespace {

class KeyPathTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    form = TForm::CreateNew(Application);
    form->SetName("form");
    form->SetBounds(40, 40, 300, 200);
    counter = New<TKeyCounter>(form);
    counter->SetName("K");
    counter->SetBoundsRect(TRect{10, 10, 110, 40});
    counter->SetTabStop(true);
    counter->SetParent(form);
    counter->OnKeyDown = TKeyEvent(&sink, &TSink::KeyDown);
    form->Show();
    counter->SetFocus();
    host().PumpUntilIdle();
    Log().clear();
  }
  TForm* form = nullptr;
  TKeyCounter* counter = nullptr;
  TSink sink;
};

TEST_F(KeyPathTest, AKeyReachesTheFocusedControlReflectedOnceWhicheverPumpRuns) {
  ASSERT_TRUE(counter->Focused());
  const std::string once = "keydown K " + std::to_string(VK_ESCAPE);

  host().Key(VK_ESCAPE);
  host().PumpUntilIdle();
  EXPECT_EQ(counter->Reflected, 1);
  EXPECT_EQ(counter->Plain, 1);
  EXPECT_EQ(Joined(), once);

  Log().clear();
  host().Key(VK_ESCAPE);
  Pump();
  EXPECT_EQ(counter->Reflected, 2);
  EXPECT_EQ(counter->Plain, 2);
  EXPECT_EQ(Joined(), once);

  Log().clear();
  host().Key(VK_ESCAPE);
  host().Advance(10);
  EXPECT_EQ(counter->Reflected, 3);
  EXPECT_EQ(counter->Plain, 3);
  EXPECT_EQ(Joined(), once);
}

TEST_F(KeyPathTest, ADialogKeyTakenByTheFormNeverReachesTheControlAsAPlainKey) {
  TTestButton* cancel = New<TTestButton>(form);
  cancel->SetName("cancel");
  cancel->Cancel = true;
  cancel->SetBoundsRect(TRect{10, 60, 90, 85});
  cancel->SetParent(form);
  host().PumpUntilIdle();
  Log().clear();

  host().Key(VK_ESCAPE);
  host().PumpUntilIdle();
  EXPECT_EQ(counter->Reflected, 1);
  EXPECT_EQ(counter->Plain, 0);  // the cancel button took it during reflection
  EXPECT_EQ(Joined(), "click cancel");

  // A key that is no dialog key still goes on to the control.
  Log().clear();
  host().Key(VK_F2);
  host().PumpUntilIdle();
  EXPECT_EQ(counter->Reflected, 2);
  EXPECT_EQ(counter->Plain, 1);
  EXPECT_EQ(Joined(), "keydown K " + std::to_string(VK_F2));
}

TEST_F(KeyPathTest, APumpThatNeverEmptiesFailsInsteadOfHanging) {
  counter->RepaintForever = true;
  counter->Invalidate();
  EXPECT_THROW(Pump(), HeadlessStall);
  counter->RepaintForever = false;
  host().PumpUntilIdle();
}

}  // namespace
