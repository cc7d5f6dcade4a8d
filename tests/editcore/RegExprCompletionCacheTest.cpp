// Completion remembers what each set forces, and the remembered sets are forgotten in a
// way that costs a constant share of the typing: masks whose sets grow large keep every
// keystroke bounded, and completing gives exactly what stepping the sets afresh gives.
#include <gtest/gtest.h>

#include "RegExprTestSupport.h"
#include "classlib/core/SysUtils.h"

#include <random>
#include <vector>

using namespace regexpr_test;

namespace {

// The set completion reaches from ASet, stepping afresh: forced characters are appended
// while the text is not complete.
TcxRegExprStates CompletedAfresh(TcxRegExprStates ASet, Integer ALimit, String& AForced) {
  for (Integer i = 0; i <= ALimit && !ASet.IsFinal(); ++i) {
    TcxRegExprStates next = ASet.GetNextStates();
    Char c;
    if (!next.GetSingleSymbol(c)) break;
    AForced += c;
    ASet = std::move(next);
  }
  return ASet;
}

TEST(RegExprCompletionCache, CompletesAsSteppingTheSetsAfresh) {
  const TFormatSettings saved = FormatSettings;
  const char* const masks[] = {"(a?){6}a{6}", "(a{0,4}){0,4}b", "\\d/\\d:x(yz|y)", "(ab)+c/", "a(b|bc)d?e"};
  const String alphabet = "abcdexyz01/:.-";
  std::mt19937 rng(11);
  for (const char* mask : masks) {
    Recorded r(mask);
    TcxRegExprAutomat* a = r.E->GetAutomat();
    const Integer limit = ConsumingStateCount(*r.E);
    String forced, log;
    std::vector<TcxRegExprStates> reference;
    {
      TcxRegExprStates start;
      start.Add(a->StartState());
      reference.push_back(CompletedAfresh(std::move(start), limit, forced));
    }
    for (Char c : forced) log += String("+") + c;
    ASSERT_EQ(r.Log(), log) << mask;
    for (int step = 0; step < 400; ++step) {
      const unsigned pick = rng() % 10;
      if (pick == 0) {
        FormatSettings.DateSeparator = rng() % 2 ? '/' : '-';
        FormatSettings.TimeSeparator = rng() % 2 ? ':' : '.';
        continue;
      }
      if (pick < 3) {
        r.E->Prev();
        reference.clear();   // where a step back lands is another test's matter: follow it
        reference.push_back(a->CurrentStates());
        log = r.Log();
        continue;
      }
      const Char typed = alphabet[rng() % alphabet.size()];
      Char want = typed, got = typed;
      TcxRegExprStates next = reference.back().Check(want, false);
      const bool accepted = r.E->Next(got);
      ASSERT_EQ(accepted, next.Count() > 0) << mask << " step " << step;
      if (!accepted) continue;
      ASSERT_EQ(got, want);
      forced.clear();
      if (!next.IsFinal()) next = CompletedAfresh(std::move(next), limit, forced);
      for (Char c : forced) log += String("+") + c;
      reference.push_back(std::move(next));
      ASSERT_TRUE(a->CurrentStates() == reference.back()) << mask << " step " << step;
      ASSERT_EQ(r.Log(), log) << mask << " step " << step;
    }
  }
  FormatSettings = saved;
}

TEST(RegExprCompletionCache, ASetMetBeforeIsCompletedWithoutAWalk) {
  // Nothing forced: every keystroke still asks what the set forces.
  Recorded free("(a{0,10}){0,10}b");
  const String text(30, 'a');
  ASSERT_TRUE(Type(*free.E, text));
  while (free.E->Prev()) {
  }
  const Int64 walks = free.E->GetAutomat()->SetsWorkedOut();
  EXPECT_GT(walks, 30);   // each new set: a step and a question
  ASSERT_TRUE(Type(*free.E, text));
  while (free.E->Prev()) {
  }
  EXPECT_EQ(free.E->GetAutomat()->SetsWorkedOut(), walks);
  EXPECT_EQ(free.Log(), "");

  // Five forced characters at the start, then free ones.
  Recorded forced("(a?){5}a{5}");
  EXPECT_EQ(forced.Log(), "+a+a+a+a+a");
  ASSERT_TRUE(Type(*forced.E, "aaaaa"));
  EXPECT_FALSE(Type(*forced.E, "a"));
  const Int64 forcedWalks = forced.E->GetAutomat()->SetsWorkedOut();
  forced.E->Reset();
  forced.E->SetAutoComplete(true);
  EXPECT_EQ(forced.Log(), "+a+a+a+a+a+a+a+a+a+a");
  ASSERT_TRUE(Type(*forced.E, "aaaaa"));
  EXPECT_TRUE(forced.E->IsFinal());
  EXPECT_EQ(forced.E->GetAutomat()->SetsWorkedOut(), forcedWalks);
}

TEST(RegExprCompletionCache, ASeparatorChangedBetweenCompletionsIsSeen) {
  const TFormatSettings saved = FormatSettings;
  FormatSettings.DateSeparator = '-';
  Recorded r("\\d/\\d");
  ASSERT_TRUE(Type(*r.E, "1"));
  EXPECT_EQ(r.Log(), "+-");
  EXPECT_TRUE(r.E->Prev());   // the separator goes with the digit
  EXPECT_TRUE(r.E->IsStart());
  FormatSettings.DateSeparator = '.';
  ASSERT_TRUE(Type(*r.E, "1"));
  EXPECT_EQ(r.Log(), "+--+.");
  Char dot = '.';
  EXPECT_FALSE(r.E->Next(dot));   // already there: a digit comes next
  Char two = '2';
  EXPECT_TRUE(r.E->Next(two));
  EXPECT_TRUE(r.E->IsFinal());
  FormatSettings = saved;
}

TEST(RegExprCompletionCache, ALongTextOverLargeSetsForgetsRarely) {
  // Each of the 2000 sets holds about 1000 states: together several times the memory the
  // automaton keeps for remembered sets, all of them needed to step back.
  Owned<TcxRegExpr> e = Compiled("(a?){1000}a{1000}");
  TcxRegExprAutomat* a = e->GetAutomat();
  std::vector<bool> finals;
  for (int i = 0; i < 2000; ++i) {
    Char c = 'a';
    ASSERT_TRUE(e->Next(c)) << i;
    finals.push_back(e->IsFinal());
  }
  Char extra = 'a';
  EXPECT_FALSE(e->Next(extra));
  EXPECT_GE(a->StartOvers(), 1);
  EXPECT_LE(a->StartOvers(), 4);   // once per doubling, not once per character
  for (int i = 1999; i > 0; --i) {
    ASSERT_TRUE(e->Prev());
    ASSERT_EQ(e->IsFinal(), bool(finals[size_t(i - 1)])) << i;
  }
  EXPECT_FALSE(finals[998]);
  EXPECT_TRUE(finals[999]);   // the thousandth character completes the text
  ASSERT_TRUE(e->Prev());
  EXPECT_TRUE(e->IsStart());
}

TEST(RegExprCompletionCache, SmallSetsAreNeverForgotten) {
  Owned<TcxRegExpr> e = Compiled("(a{0,20}){0,20}b");
  ASSERT_TRUE(Type(*e, String(400, 'a') + "b"));
  EXPECT_TRUE(e->IsFinal());
  EXPECT_EQ(e->GetAutomat()->StartOvers(), 0);
}

}  // namespace
