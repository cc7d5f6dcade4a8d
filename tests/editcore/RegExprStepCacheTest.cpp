// The automaton remembers the steps it has worked out; whatever it remembers, it must stand
// on exactly the set that stepping the sets afresh gives, character by character, through
// steps back, resets, case rules and separators that change between keystrokes.
#include <gtest/gtest.h>

#include "RegExprTestSupport.h"
#include "classlib/core/SysUtils.h"

#include <random>
#include <vector>

using namespace regexpr_test;

namespace {

TEST(RegExprStepCache, StandsOnTheSetsSteppedAfresh) {
  const TFormatSettings saved = FormatSettings;
  const char* const masks[] = {"\\d/\\d:\\d", "Ax|[a-z]y", "(\\d+' '?)+", "(a?){2,}", "[a-c ]{0,12}", "(ab|a)*b?/\\w+",
                               "(x|X)(y|Y)+z?"};
  const String alphabet = "aAbBcxXyYz01 9/-:._";
  std::mt19937 rng(5);
  for (const char* mask : masks) {
    Owned<TcxRegExpr> e = Compiled(mask);
    TcxRegExprAutomat* a = e->GetAutomat();
    std::vector<TcxRegExprStates> reference(1);
    reference[0].Add(a->StartState());
    bool caseInsensitive = false;
    for (int step = 0; step < 3000; ++step) {
      const unsigned pick = rng() % 40;
      if (pick == 0) {
        e->Reset();
        reference.resize(1);
      } else if (pick == 1) {
        FormatSettings.DateSeparator = rng() % 2 ? '/' : '-';
        FormatSettings.TimeSeparator = rng() % 2 ? ':' : '.';
      } else if (pick == 2) {
        caseInsensitive = !caseInsensitive;
        e->SetCaseInsensitive(caseInsensitive);
      } else if (pick < 10) {
        ASSERT_EQ(e->Prev(), reference.size() > 1);
        if (reference.size() > 1) reference.pop_back();
      } else {
        const Char typed = alphabet[rng() % alphabet.size()];
        Char want = typed, got = typed;
        TcxRegExprStates next = reference.back().Check(want, caseInsensitive);
        const bool accepted = e->Next(got);
        ASSERT_EQ(accepted, next.Count() > 0) << mask << " step " << step << " '" << typed << "'";
        if (accepted) {
          ASSERT_EQ(got, want) << mask << " step " << step;
          reference.push_back(std::move(next));
        } else {
          ASSERT_EQ(got, typed);
        }
      }
      ASSERT_TRUE(a->CurrentStates() == reference.back()) << mask << " step " << step;
      ASSERT_EQ(a->IsFinal(), reference.back().IsFinal());
      ASSERT_EQ(a->HistoryCount(), Integer(reference.size()) - 1);
    }
  }
  FormatSettings = saved;
}

TEST(RegExprStepCache, AHugeHistoryKeepsEverySetItCanStepBackTo) {
  // A long text whose every position is a set of its own, more than the automaton keeps at
  // once: whatever is forgotten along the way, every step back lands on the set that was there.
  String mask;
  for (int i = 0; i < 9; ++i) mask += "\\d{1000}";
  Owned<TcxRegExpr> e = Compiled(mask);
  const Integer n = 9000;
  std::vector<TcxRegExprStates> sets;
  for (Integer i = 0; i < n; ++i) {
    Char c = Char('0' + i % 10);
    ASSERT_TRUE(e->Next(c));
    sets.push_back(e->GetAutomat()->CurrentStates());
  }
  for (Integer i = n - 1; i > 0; --i) {
    ASSERT_TRUE(e->Prev());
    ASSERT_TRUE(e->GetAutomat()->CurrentStates() == sets[size_t(i - 1)]) << i;
  }
  ASSERT_TRUE(e->Prev());
  EXPECT_TRUE(e->IsStart());
  EXPECT_FALSE(e->Prev());
}

}  // namespace
