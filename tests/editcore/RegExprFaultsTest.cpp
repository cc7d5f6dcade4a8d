// Behaviour that differs on purpose from a literal reading of the mask language's rules,
// each a fault there: these are the sound results (more of them stand in the match table
// and the auto-completion tests). Plus the bound on state sets, checked over masks chosen
// to make sets grow.
#include <gtest/gtest.h>

#include "RegExprTestSupport.h"

#include <random>
#include <set>

using namespace regexpr_test;

namespace {

TEST(RegExprMendedFaults, CaseFoldingDoesNotHideOtherAlternatives) {
  Owned<TcxRegExpr> e = Compiled("Ax|[a-z]y", true);
  Char c = 'a';
  ASSERT_TRUE(e->Next(c));
  EXPECT_EQ(c, 'a');          // the range takes it as typed
  EXPECT_TRUE(Type(*e, "y"));
  EXPECT_TRUE(e->IsFinal());
  e->Reset();
  EXPECT_TRUE(Type(*e, "ax"));   // and the symbol's branch is still there
  EXPECT_TRUE(e->IsFinal());

  Owned<TcxRegExpr> only = Compiled("Ax|[b-z]y", true);
  c = 'a';
  ASSERT_TRUE(only->Next(c));
  EXPECT_EQ(c, 'A');          // only the symbol took it: the mask's case
}

TEST(RegExprMendedFaults, SetsDoNotDoubleWithEveryCharacter) {
  Owned<TcxRegExpr> e = Compiled("(\\d+' '?)+");
  const Integer states = ConsumingStateCount(*e);
  for (int i = 0; i < 40; ++i) {
    Char c = Char('0' + i % 10);
    ASSERT_TRUE(e->Next(c));
    ASSERT_LE(e->GetAutomat()->CurrentStates().Count(), states);
  }
  EXPECT_TRUE(e->IsFinal());
}

// ---- A set never holds more entries than there are consuming states ----

class StateSetBound : public ::testing::TestWithParam<const char*> {};

TEST_P(StateSetBound, HoldsAcrossRandomTypingAndDeleting) {
  Owned<TcxRegExpr> e = Compiled(GetParam());
  const Integer states = ConsumingStateCount(*e);
  const String alphabet = "aabbcx01 9_-";
  std::mt19937 rng(7);
  for (int step = 0; step < 400; ++step) {
    if (rng() % 5 == 0) {
      e->Prev();
    } else {
      Char c = alphabet[rng() % alphabet.size()];
      e->Next(c);
    }
    const TcxRegExprStates& set = e->GetAutomat()->CurrentStates();
    ASSERT_LE(set.Count(), states) << GetParam();
    std::set<TcxRegExprState*> seen;
    for (Integer i = 0; i < set.Count(); ++i) ASSERT_TRUE(seen.insert(set.Items(i)).second) << "repeated state";
    const TcxRegExprStates next = e->GetAutomat()->GetNextStates();
    ASSERT_LE(next.Count(), states);
  }
}

INSTANTIATE_TEST_SUITE_P(Pathological, StateSetBound,
                         ::testing::Values("(\\d+' '?)+", "(\\w|\\d)+", "(a?){2,}", "(\\d+)+x", "((a|b)*c)+",
                                           "(x?){50}", "(a|a|a|a)+b*", "((a*)(b*)){1,}", "(((a|b)+)+)+",
                                           "(.|a|\\w|[ab])*", "(a(b?)c?){3,}x", "((a?)(b?)){0,20}", "(ab){0}"));

}  // namespace
