#include <gtest/gtest.h>

#include "classlib/core/ScopeGuards.h"

#include <stdexcept>
#include <string>

namespace {

// A lockable object that logs its calls, so one string shows what ran and in which order.
class TGuarded : public TObject {
 public:
  explicit TGuarded(std::string& ALog) : FLog(ALog) {}
  void Lock(bool AOn) { FLog += AOn ? "lock " : "unlock "; }
  void BeginUpdate() { FLog += "begin "; }
  void EndUpdate() {
    FLog += "end ";
    if (FailOnEnd) throw std::runtime_error("end failed");
  }
  bool FailOnEnd = false;
  int Counter = 0;

 private:
  std::string& FLog;
};

}  // namespace

TEST(ScopeGuards, ValueAndPairedCallAreUndoneOnReturnAndOnError) {
  int flag = 1;
  {
    TScopedValue<int> set(flag, 7);
    EXPECT_EQ(flag, 7);
  }
  EXPECT_EQ(flag, 1);
  try {
    TScopedValue<int> set(flag, 9);
    throw std::runtime_error("step failed");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(flag, 1);

  std::string log;
  Owned<TGuarded> g(New<TGuarded>(log));
  TGuarded* p = g.get();
  {
    auto lock = PairedCall([p] { p->Lock(true); }, [p] { p->Lock(false); });
    log += "work ";
  }
  EXPECT_THROW(
      {
        auto lock = PairedCall([p] { p->Lock(true); }, [p] { p->Lock(false); });
        log += "work ";
        throw std::runtime_error("step failed");
      },
      std::runtime_error);
  EXPECT_EQ(log, "lock work unlock lock work unlock ");
}

TEST(ScopeGuards, ReleaseKeepsWhatTheScopeDid) {
  int undone = 0;
  {
    TScopeExit undo([&] { ++undone; });
    undo.Release();
  }
  EXPECT_EQ(undone, 0);
}

TEST(ScopeGuards, WatchedUndoIsSkippedOnceTheObjectIsFreed) {
  std::string log;
  TGuarded* p = New<TGuarded>(log);
  {
    auto bracket = UpdateBracket(p);
    auto counting = TWatchedValue<int>(p, p->Counter, 5);
    EXPECT_EQ(p->Counter, 5);
    p->Free();  // as a handler run inside the scope would
    EXPECT_FALSE(bracket.Alive());
  }
  EXPECT_EQ(log, "begin ");

  // The same guards on a live object undo as the plain ones do.
  Owned<TGuarded> live(New<TGuarded>(log));
  {
    auto bracket = UpdateBracket(live.get());
    TWatchedValue<int> counting(live.get(), live->Counter, 3);
  }
  EXPECT_EQ(live->Counter, 0);
  EXPECT_EQ(log, "begin begin end ");
}

TEST(ScopeGuards, TheFirstErrorWinsAndAnUndoErrorAloneReachesTheCaller) {
  std::string log;
  Owned<TGuarded> g(New<TGuarded>(log));
  g->FailOnEnd = true;
  try {
    auto bracket = UpdateBracket(g.get());
    throw std::logic_error("step failed");
  } catch (const std::logic_error& e) {
    EXPECT_STREQ(e.what(), "step failed");
  }
  // Left normally, the undo's own error is the caller's to see.
  bool caught = false;
  try {
    auto bracket = UpdateBracket(g.get());
  } catch (const std::runtime_error& e) {
    caught = true;
    EXPECT_STREQ(e.what(), "end failed");
  }
  EXPECT_TRUE(caught);
  EXPECT_EQ(log, "begin end begin end ");
  g->FailOnEnd = false;

  // A do that raises has nothing to undo.
  log.clear();
  EXPECT_THROW(
      {
        auto lock = PairedCall([] { throw std::runtime_error("lock failed"); },
                               [&] { log += "undone "; });
      },
      std::runtime_error);
  EXPECT_EQ(log, "");
}

TEST(ScopeGuards, ScopeEndTellsTheUndoHowTheScopeEnded) {
  std::string log;
  auto told = [&log](bool AEndedNormally) { log += AEndedNormally ? "normal " : "error "; };
  { TScopeEnd end(told); }
  EXPECT_THROW(
      {
        TScopeEnd end(told);
        throw std::runtime_error("step failed");
      },
      std::runtime_error);
  // An error already in flight when the scope opens is not this scope's ending.
  try {
    TScopeExit inFlight([&] { TScopeEnd end(told); });
    throw std::runtime_error("outer");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(log, "normal error normal ");

  // The first error wins; left normally, the undo's own error reaches the caller.
  auto failing = [](bool AEndedNormally) {
    throw std::runtime_error(AEndedNormally ? "undo after normal end" : "undo after error");
  };
  try {
    TScopeEnd end(failing);
    throw std::logic_error("step failed");
  } catch (const std::logic_error& e) {
    EXPECT_STREQ(e.what(), "step failed");
  }
  bool caught = false;
  try {
    TScopeEnd end(failing);
  } catch (const std::runtime_error& e) {
    caught = true;
    EXPECT_STREQ(e.what(), "undo after normal end");
  }
  EXPECT_TRUE(caught);

  // The watched form is told the same, and skips the undo once the object is freed.
  log.clear();
  Owned<TGuarded> live(New<TGuarded>(log));
  EXPECT_THROW(
      {
        TWatchedScopeEnd end(live.get(), told);
        throw std::runtime_error("step failed");
      },
      std::runtime_error);
  TGuarded* freed = New<TGuarded>(log);
  {
    TWatchedScopeEnd end(freed, told);
    freed->Free();
  }
  EXPECT_EQ(log, "error ");
}
