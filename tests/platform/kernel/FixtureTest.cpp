// The kernel fixture itself: what it resets, and how upper layers' hooks run.
#include "tests/support/KernelTest.h"

#include "platform/kernel/Modules.h"
#include "platform/kernel/Random.h"
#include "platform/shell/Shell.h"

#include <gtest/gtest-spi.h>

namespace {

std::vector<std::string> g_order;
int g_fakeLeaks = 0;

void ResetA() { g_order.push_back("reset A"); }
void ResetB() { g_order.push_back("reset B"); }
void LeaksA(std::vector<std::string>&) { g_order.push_back("leaks A"); }
void LeaksB(std::vector<std::string>& leaks) {
  g_order.push_back("leaks B");
  for (int i = 0; i < g_fakeLeaks; ++i) leaks.push_back("window " + std::to_string(i));
}

using FixtureTest = KernelTest;

}  // namespace

TEST_F(FixtureTest, StartsOnAVirtualClockWithRecordersOn) {
  EXPECT_EQ(&CurrentClock(), &Clock());
  EXPECT_TRUE(ShellRecording());
  EXPECT_TRUE(ShellLaunches().empty());
  EXPECT_EQ(tl_lrand(), 908834774);  // as after srand(1)
  ShellExecuteA(nullptr, "open", "http://left.over", nullptr, nullptr, 1);
}

TEST_F(FixtureTest, NothingOfTheLastTestRemains) {
  EXPECT_TRUE(ShellLaunches().empty());
  EXPECT_EQ(tl_lrand(), 908834774);
}

TEST(TestHooks, ResetInOrderAddedAndCheckInReverse) {
  AddTestHook({"test A", ResetA, LeaksA});
  AddTestHook({"test B", ResetB, LeaksB});
  AddTestHook({"test A", ResetB, LeaksB});  // a name is added once
  g_order.clear();
  RunTestResets();
  const auto leaks = RunLeakChecks();
  // Other hooks (the kernel's) may run too; only the relative order of ours matters.
  std::vector<std::string> ours;
  for (const auto& s : g_order) ours.push_back(s);
  EXPECT_EQ(ours, (std::vector<std::string>{"reset A", "reset B", "leaks B", "leaks A"}));
  EXPECT_TRUE(leaks.empty());
}

TEST(TestHooks, LeaksFailTheTest) {
  // A module loaded and never freed, and a window an upper layer's hook reports: each
  // must turn into a failure.
  class Leaky : public KernelTest {
   public:
    explicit Leaky(bool loadModule) : loadModule_(loadModule) {}
    void TestBody() override {
      RegisterModule("leak.dll", {});
      if (loadModule_) LoadLibraryA("leak.dll");
    }
    void Run() {
      SetUp();
      TestBody();
      TearDown();
    }

   private:
    bool loadModule_;
  };
  AddTestHook({"test B", ResetB, LeaksB});
  g_fakeLeaks = 1;
  EXPECT_NONFATAL_FAILURE(
      {
        Leaky t(false);
        t.Run();
      },
      "leak: window 0");
  g_fakeLeaks = 0;
  EXPECT_NONFATAL_FAILURE(
      {
        Leaky t(true);
        t.Run();
      },
      "leak: 1 module load(s) without FreeLibrary");
}
