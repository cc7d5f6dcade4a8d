// Behaviour that differs on purpose from a literal reading of the mask language's rules,
// each a fault there: these are the sound results. Plus the bound on state sets, checked
// over masks chosen to make sets grow.
#include <gtest/gtest.h>

#include "RegExprTestSupport.h"

#include <random>
#include <set>

using namespace regexpr_test;

namespace {

TEST(RegExprMendedFaults, GroupsThatCanBeEmptyLetTheTextEnd) {
  EXPECT_TRUE(cxIsTextFullValid("a", "a\\d{0,3}"));
  EXPECT_TRUE(cxIsTextFullValid("a12", "a\\d{0,3}"));
  EXPECT_TRUE(cxIsTextFullValid("a123", "a\\d{0,3}"));
  EXPECT_FALSE(cxIsTextFullValid("a1234", "a\\d{0,3}"));
  EXPECT_TRUE(cxIsTextFullValid("a", "ax{0}"));
  EXPECT_TRUE(cxIsTextFullValid("", "\\d{0,3}"));
  EXPECT_TRUE(cxIsTextFullValid("", "((a?))"));
  EXPECT_TRUE(cxIsTextFullValid("b", "b(x{0}|c)"));
  EXPECT_FALSE(cxIsTextFullValid("", "(a?)b"));
}

TEST(RegExprMendedFaults, AutoCompletionDoesNotForceAnOptionalTail) {
  Owned<TcxRegExpr> e(New<TcxRegExpr>());
  Owned<EventLog> logOwner(New<EventLog>());
  EventLog& log = *logOwner;
  log.Attach(*e);
  e->SetAutoComplete(true);
  CompileText(*e, "ab{0,2}");
  EXPECT_EQ(log.Log, "+a");   // "a" alone is a complete text: no b is forced
  EXPECT_TRUE(e->IsFinal());
}

TEST(RegExprMendedFaults, CaseFoldingDoesNotHideOtherAlternatives) {
  Owned<TcxRegExpr> e = Compiled("Ax|[a-z]y", true);
  Char c = 'a';
  ASSERT_TRUE(e->Next(c));
  EXPECT_EQ(c, 'a');          // the range takes it as typed
  c = 'y';
  EXPECT_TRUE(e->Next(c));
  EXPECT_TRUE(e->IsFinal());
  e->Reset();
  EXPECT_TRUE(Type(*e, "ax"));   // and the symbol's branch is still there
  EXPECT_TRUE(e->IsFinal());

  Owned<TcxRegExpr> only = Compiled("Ax|[b-z]y", true);
  c = 'a';
  ASSERT_TRUE(only->Next(c));
  EXPECT_EQ(c, 'A');          // only the symbol took it: the mask's case
}

TEST(RegExprMendedFaults, EmptyCapableGroupUnderARepetitionTerminates) {
  EXPECT_TRUE(cxIsTextFullValid("", "(a?){2,}"));
  EXPECT_TRUE(cxIsTextFullValid("aaaa", "(a?){2,}"));
  EXPECT_FALSE(cxIsTextValid("b", "(a?){2,}"));
  EXPECT_TRUE(cxIsTextFullValid("abba", "((a*)(b*)){1,}"));
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

TEST(RegExprMendedFaults, SetPartIsNotReadPastItsEnd) {
  EXPECT_EQ(ErrorsOf("[a-'']"),
            (std::vector<ErrorRow>{{"The starting character of the subrange must be less than the finishing one", 1, 6},
                                   {"Missing ']'", 1, 6}}));
  EXPECT_EQ(ErrorsOf("[!-'']"), (std::vector<ErrorRow>{{"Missing ']'", 1, 6}}));
  // What follows an unterminated set is read into it, up to the end of the lexems.
  EXPECT_EQ(ErrorsOf("[a-'']x|(y)"),
            (std::vector<ErrorRow>{{"The starting character of the subrange must be less than the finishing one", 1, 6},
                                   {"Missing ']'", 1, 11}}));
}

TEST(RegExprMendedFaults, ReferenceToAGroupThatWasExpanded) {
  // The group the reference names was replaced by its repetition; the copy is of the group.
  EXPECT_TRUE(cxIsTextFullValid("aaa", "(a){2}\\1"));
  EXPECT_TRUE(cxIsTextFullValid("ababb", "(a(b){0})b{1,}\\1\\2b"));
  EXPECT_FALSE(cxIsTextFullValid("abab", "(a(b){0})b{1,}\\1\\2b"));
}

TEST(RegExprMendedFaults, HistoryOverATypedAndDeletedDate) {
  Owned<TcxRegExpr> e(New<TcxRegExpr>());
  Owned<EventLog> logOwner(New<EventLog>());
  EventLog& log = *logOwner;
  log.Attach(*e);
  e->SetAutoComplete(true);
  CompileText(*e, "\\d\\d'-'\\d\\d'-'\\d\\d\\d\\d");
  EXPECT_TRUE(Type(*e, "12312024"));
  EXPECT_EQ(log.Log, "+-+-");
  EXPECT_TRUE(e->IsFinal());
  int steps = 0;
  while (e->Prev()) ++steps;
  EXPECT_EQ(steps, 8);
  EXPECT_EQ(log.Log, "+-+---");
  EXPECT_TRUE(e->IsStart());
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
