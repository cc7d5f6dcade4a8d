// The kernel fixture itself: what it resets, and how upper layers' hooks run.
#include "tests/support/KernelTest.h"

#include "platform/kernel/Modules.h"

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

bool g_loadAtReset = false;
void LoadingReset() {
  if (!g_loadAtReset) return;
  RegisterModule("base.dll", {});
  LoadLibraryA("base.dll");
}

}  // namespace

TEST(TestHooks, ResetInOrderAddedAndCheckInReverse) {
  AddTestHook({"test A", ResetA, LeaksA});
  AddTestHook({"test B", ResetB, LeaksB});
  AddTestHook({"test A", ResetB, LeaksB});  // a name is added once
  g_order.clear();
  RunTestResets();
  const auto leaks = RunLeakChecks();
  EXPECT_EQ(g_order, (std::vector<std::string>{"reset A", "reset B", "leaks B", "leaks A"}));
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
    void RunCheckingTwice() {
      SetUp();
      TestBody();
      CheckLeaks();
      TearDown();  // must not report the same leak again
    }

   private:
    bool loadModule_;
  };
  AddTestHook({"test B", ResetB, LeaksB});
  g_fakeLeaks = 1;
  EXPECT_NONFATAL_FAILURE({ Leaky t(false); t.Run(); }, "leak: window 0");
  g_fakeLeaks = 0;
  EXPECT_NONFATAL_FAILURE({ Leaky t(true); t.Run(); }, "leak: 1 module load(s) without FreeLibrary");
  EXPECT_NONFATAL_FAILURE({ Leaky t(true); t.RunCheckingTwice(); }, "leak: 1 module load(s) without FreeLibrary");
}

TEST(TestHooks, WhatResetsLoadIsNoLeak) {
  // A layer whose reset loads a library it keeps for the whole test (as the theme
  // stand-in does) must not be blamed for it.
  class Plain : public KernelTest {
   public:
    void TestBody() override {}
    void Run() {
      SetUp();
      TestBody();
      TearDown();
    }
  };
  AddTestHook({"loading layer", LoadingReset, nullptr});
  g_loadAtReset = true;
  {
    Plain t;
    t.Run();
  }
  g_loadAtReset = false;
  EXPECT_FALSE(HasFailure());
}
