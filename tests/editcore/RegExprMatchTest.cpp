// Matching with the mask language: whole and partial matches over a table of masks and
// texts, typing forward and backward with history, case folding, auto-completion and
// its events, and the expression's life cycle.
#include <gtest/gtest.h>

#include "RegExprTestSupport.h"
#include "classlib/core/SysUtils.h"

using namespace regexpr_test;

namespace {

enum Match { None, Beginning, Whole };   // Whole is a beginning too

struct MatchCase {
  const char* Mask;
  std::vector<std::pair<String, Match>> Texts;
};

const MatchCase kMatchCases[] = {
    {"\\d{2,4}", {{"", Beginning}, {"1", Beginning}, {"12", Whole}, {"123", Whole}, {"1234", Whole},
                  {"12345", None}, {"1a", None}}},
    {"\\d{2,}", {{"1234567", Whole}}},
    {"\\d{3}", {{"12", Beginning}, {"123", Whole}}},
    {"(ab|a)c", {{"ac", Whole}, {"abc", Whole}, {"ab", Beginning}, {"abcc", None}}},
    {"a*b+", {{"", Beginning}, {"b", Whole}, {"aabbb", Whole}, {"aba", None}}},
    {"[a-c^]x", {{"^x", Whole}, {"bx", Whole}, {"dx", None}}},
    {"[-a]", {{"-", Whole}}},
    {"[a-\\d]", {{"c", Whole}, {"e", None}}},   // a class as a range end stands for its letter
    {"[a-]", {{"-", Whole}}},
    {"[^0-9]+", {{"ab", Whole}, {"a1", None}}},
    {"\\w\\s\\W", {{"a !", Whole}, {"_\t.", Whole}, {"a a", None}}},
    {"\\s", {{"\v", None}, {String(1, '\0'), Whole}}},
    {"\\D\\S", {{"x\v", Whole}}},
    {"'a b'", {{"a b", Whole}, {"ab", None}}},
    {"a b", {{"ab", Whole}, {"a b", None}}},
    {"'it''s'", {{"it's", Whole}}},
    {"\\x41\\t", {{"A\t", Whole}}},
    {"\\(\\)\\.\\0", {{"().0", Whole}}},
    {"a.c", {{String("a\0c", 3), Whole}, {"a\xFF" "c", Whole}}},
    {"(a)\\1", {{"aa", Whole}, {"a", Beginning}}},
    {"(a|b)(c)\\2", {{"bcc", Whole}}},
    {"(a|b)\\1", {{"ab", Whole}}},   // a reference repeats the group, not the text it matched
    {"(a)(b)\\2", {{"abb", Whole}, {"aba", None}}},
    {"a+*", {{"", Whole}, {"aaa", Whole}}},
    {"a+*b", {{"b", Whole}}},
    {"x{0}y", {{"y", Whole}, {"xy", None}}},
    {"x+?", {{"", Whole}, {"xxx", Whole}}},
    {"x*?y", {{"xxy", Whole}}},
    // Groups that can be empty let the text end.
    {"a\\d{0,3}", {{"a", Whole}, {"a12", Whole}, {"a123", Whole}}},
    {"ax{0}", {{"a", Whole}}},
    {"\\d{0,3}", {{"", Whole}}},
    {"((a?))", {{"", Whole}}},
    {"b(x{0}|c)", {{"b", Whole}}},
    // An empty-capable group under a repetition terminates.
    {"(a?){2,}", {{"", Whole}, {"aaaa", Whole}, {"b", None}}},
    {"((a*)(b*)){1,}", {{"abba", Whole}}},
    // A reference to a group that was replaced by its repetition copies the group.
    {"(a){2}\\1", {{"aaa", Whole}}},
    {"(a(b){0})b{1,}\\1\\2b", {{"ababb", Whole}}},
};

TEST(RegExprMatch, WholeAndBeginningOverATable) {
  for (const MatchCase& c : kMatchCases)
    for (const auto& [text, match] : c.Texts) {
      SCOPED_TRACE(std::string(c.Mask) + " / " + text);
      EXPECT_EQ(cxIsTextFullValid(text, c.Mask), match == Whole);
      EXPECT_EQ(cxIsTextValid(text, c.Mask), match != None);
    }
  // Not a whole match, whatever their beginnings.
  EXPECT_FALSE(cxIsTextFullValid("a1234", "a\\d{0,3}"));
  EXPECT_FALSE(cxIsTextFullValid("", "(a?)b"));
  EXPECT_FALSE(cxIsTextFullValid("abab", "(a(b){0})b{1,}\\1\\2b"));
}

TEST(RegExprMatchMore, UnitFunctionsRaiseWithTheWholeErrorList) {
  for (auto fn : {&cxIsTextFullValid, &cxIsTextValid}) {
    try {
      fn("", "x?*|");
      ADD_FAILURE() << "compiled";
    } catch (const EcxRegExprError& e) {
      ASSERT_EQ(e.Errors().Count(), 2);
      EXPECT_EQ(e.Errors().Items(0)->Message(), "The '*' quantifier cannot be applied here");
      EXPECT_EQ(e.Errors().Items(1)->Message(), "The alternative should not be empty");
    }
  }
}

TEST(RegExprMatchMore, SeparatorsAreReadAtEveryCheck) {
  const TFormatSettings saved = FormatSettings;
  FormatSettings.DateSeparator = '/';
  FormatSettings.TimeSeparator = ':';
  FormatSettings.DecimalSeparator = '.';
  Owned<TcxRegExpr> e = Compiled("\\d/\\d:\\d\\p");
  FormatSettings.DateSeparator = '-';
  FormatSettings.TimeSeparator = '.';
  FormatSettings.DecimalSeparator = '!';
  const bool dashDot = Type(*e, "1-2.3.") && e->IsFinal();
  e->Reset();
  const bool slashColon = Type(*e, "1/2");
  FormatSettings = saved;
  EXPECT_TRUE(dashDot);    // the decimal separator was fixed when compiled
  EXPECT_FALSE(slashColon);
}

TEST(RegExprTyping, ForwardBackwardHistoryAndReset) {
  Owned<TcxRegExpr> e = Compiled("ab|ac");
  EXPECT_TRUE(e->IsStart());
  EXPECT_FALSE(e->IsFinal());
  ASSERT_TRUE(Type(*e, "a"));
  EXPECT_FALSE(e->IsStart());
  EXPECT_FALSE(Type(*e, "d"));   // refused: nothing changes
  ASSERT_TRUE(Type(*e, "c"));
  EXPECT_TRUE(e->IsFinal());
  EXPECT_FALSE(Type(*e, "c"));
  EXPECT_TRUE(e->Prev());
  EXPECT_FALSE(e->IsFinal());
  EXPECT_TRUE(Type(*e, "b"));
  EXPECT_TRUE(e->IsFinal());
  EXPECT_TRUE(e->Prev());
  EXPECT_TRUE(e->Prev());
  EXPECT_TRUE(e->IsStart());
  EXPECT_FALSE(e->Prev());
  EXPECT_TRUE(e->IsStart());

  Owned<TcxRegExpr> d = Compiled("\\d+");
  EXPECT_EQ(d->GetAcceptedText("1a2b3"), "123");
  EXPECT_TRUE(d->IsFinal());
  EXPECT_EQ(d->GetAutomat()->HistoryCount(), 3);
  EXPECT_EQ(d->GetAcceptedText("x4"), "4");   // goes on from where it stands
  d->Reset();
  EXPECT_TRUE(d->IsStart());
  EXPECT_EQ(d->GetAutomat()->HistoryCount(), 0);
  EXPECT_FALSE(d->Prev());
}

TEST(RegExprTyping, CaseInsensitiveSymbolsTakeTheMaskCase) {
  Owned<TcxRegExpr> e = Compiled("Ab[a-c]", true);
  Char c = 'a';
  ASSERT_TRUE(e->Next(c));
  EXPECT_EQ(c, 'A');
  c = 'B';
  ASSERT_TRUE(e->Next(c));
  EXPECT_EQ(c, 'b');
  c = 'B';                     // ranges do not fold
  EXPECT_FALSE(e->Next(c));
  e->Reset();
  EXPECT_EQ(e->GetAcceptedText("aBc"), "aBc");   // the text's own characters
  EXPECT_TRUE(e->IsFinal());

  Owned<TcxRegExpr> cs = Compiled("Ab");
  c = 'a';
  EXPECT_FALSE(cs->Next(c));

  // Locale upper-casing: 0xE9 and 0xC9 are one letter in two cases.
  Owned<TcxRegExpr> accent = Compiled("\xC9", true);
  c = Char(0xE9);
  EXPECT_TRUE(accent->Next(c));
  EXPECT_EQ(Byte(c), 0xC9);
}

TEST(RegExprTyping, NotCompiledRaisesPlainException) {
  Owned<TcxRegExpr> e(New<TcxRegExpr>());
  Char c = 'a';
  auto expectPlain = [](const std::function<void()>& f) {
    try {
      f();
      ADD_FAILURE() << "no exception";
    } catch (const EcxRegExprError&) {
      ADD_FAILURE() << "wrong class";
    } catch (const Exception& x) {
      EXPECT_EQ(x.Message(), "Regular expression is not compiled");
    }
  };
  expectPlain([&] { e->Next(c); });
  expectPlain([&] { e->Prev(); });
  expectPlain([&] { e->Reset(); });
  expectPlain([&] { e->IsFinal(); });
  expectPlain([&] { e->IsStart(); });
  expectPlain([&] { e->GetAcceptedText("a"); });
  expectPlain([&] { e->GetText(); });
  // A failed compile leaves it not compiled, and the automaton of an earlier one is gone.
  CompileText(*e, "a");
  EXPECT_THROW(CompileText(*e, "a|"), EcxRegExprError);
  expectPlain([&] { e->IsStart(); });
}

TEST(RegExprTyping, StreamOfACompiledExpressionCompilesAnother) {
  Owned<TcxRegExpr> first = Compiled("(\\d\\d):\\d\\d");
  ASSERT_NE(first->GetStream(), nullptr);
  Owned<TcxRegExpr> second(New<TcxRegExpr>());
  second->Compile(first->GetStream());
  EXPECT_TRUE(Type(*second, "12:34"));
  EXPECT_TRUE(second->IsFinal());
  // Even its own stream: the source survives the reset of the old compile.
  first->Compile(first->GetStream());
  EXPECT_TRUE(Type(*first, "12:34"));
  EXPECT_TRUE(first->IsFinal());
}

TEST(RegExprTyping, TreeDumpShowsGroupsAndQuantifiers) {
  Owned<TcxRegExpr> e = Compiled("a(b|c)*");
  EXPECT_EQ(e->GetText(),
            "<Start_Alt>\r\nitem --> \r\n<Start_Block>\r\n<Start_Alt>\r\nitem --> \r\n<Finish_Alt>\r\n"
            "<Start_Alt>\r\nitem --> \r\n<Finish_Alt>\r\n<Finish_Block> --> *\r\n<Finish_Alt>\r\n");
}

// ---- Auto-completion ----

TEST(RegExprAutoComplete, ForcedCharactersAndTheirRemoval) {
  Recorded r("/\\dx");
  EXPECT_EQ(r.Log(), "+/");          // the separator before anything is typed
  ASSERT_TRUE(Type(*r.E, "5"));
  EXPECT_EQ(r.Log(), "+/+x");
  EXPECT_TRUE(r.E->IsFinal());
  EXPECT_TRUE(r.E->Prev());          // removes x, then steps back over the digit
  EXPECT_EQ(r.Log(), "+/+x-");
  EXPECT_FALSE(r.E->IsStart());
  EXPECT_FALSE(r.E->Prev());         // removes the separator; nothing typed is left
  EXPECT_EQ(r.Log(), "+/+x--");
  EXPECT_TRUE(r.E->IsStart());
}

TEST(RegExprAutoComplete, TurnedOnLaterItCompletesAtOnceUpToACompleteText) {
  Recorded r("ab?", false);
  r.E->SetAutoComplete(true);        // "a" is forced, then the text is complete
  EXPECT_EQ(r.Log(), "+a");
  EXPECT_TRUE(r.E->IsFinal());
  // GetAcceptedText does not complete; turning it on later does.
  Recorded later("\\dab", false);
  EXPECT_EQ(later.E->GetAcceptedText("1"), "1");
  EXPECT_EQ(later.Log(), "");
  later.E->SetAutoComplete(true);
  EXPECT_EQ(later.Log(), "+a+b");
  EXPECT_TRUE(later.E->IsFinal());
}

TEST(RegExprAutoComplete, RemovalStopsAtTheUsersChoiceOrACompletePoint) {
  Recorded r("\\d(-x)?");
  EXPECT_EQ(r.Log(), "");
  EXPECT_TRUE(Type(*r.E, "1-"));
  EXPECT_EQ(r.Log(), "+x");
  EXPECT_TRUE(r.E->Prev());          // x goes; the dash was typed after a complete text
  EXPECT_EQ(r.Log(), "+x-");
  EXPECT_TRUE(r.E->IsFinal());
  EXPECT_EQ(r.E->GetAutomat()->HistoryCount(), 1);
}

TEST(RegExprAutoComplete, ChainOfForcedCharactersAcrossGroups) {
  Recorded r("\\d\\d/(\\d\\d)'.'x?");
  EXPECT_TRUE(Type(*r.E, "12"));
  EXPECT_EQ(r.Log(), "+/");
  EXPECT_TRUE(Type(*r.E, "34"));
  EXPECT_EQ(r.Log(), "+/+.");        // x is optional: the text is complete after the dot
  EXPECT_EQ(r.E->GetAutomat()->HistoryCount(), 6);
  // Back over the dot and the digit 4, then the digit 3; the separator goes with the 2.
  EXPECT_TRUE(r.E->Prev());
  EXPECT_EQ(r.Log(), "+/+.-");
  EXPECT_EQ(r.E->GetAutomat()->HistoryCount(), 4);
  EXPECT_TRUE(r.E->Prev());
  EXPECT_EQ(r.Log(), "+/+.-");
  EXPECT_TRUE(r.E->Prev());
  EXPECT_EQ(r.Log(), "+/+.--");
  EXPECT_EQ(r.E->GetAutomat()->HistoryCount(), 1);
}

TEST(RegExprAutoComplete, OneCharacterFromSeveralStatesOrNone) {
  auto logOf = [](const String& mask) { return Recorded(mask).Log(); };
  EXPECT_EQ(logOf("a(b|bc)"), "+a+b");   // two states, one character
  EXPECT_EQ(logOf("a(b|c)"), "+a");      // a choice stops it
  EXPECT_EQ(logOf("a[b]"), "+a");        // a set is not a forced character
  EXPECT_EQ(logOf("(ab)+c"), "+a+b");    // then a or c
  EXPECT_EQ(logOf("ab{0,2}"), "+a");     // "a" alone is complete: no b is forced

  const TFormatSettings saved = FormatSettings;
  FormatSettings.TimeSeparator = '.';
  const String time = logOf("':'?:\\d");
  FormatSettings.TimeSeparator = ':';
  const String same = logOf("':'?:\\d");
  FormatSettings = saved;
  EXPECT_EQ(time, "");                   // a literal colon or the separator: a choice
  EXPECT_EQ(same, "+:");                 // both give the same character
}

TEST(RegExprAutoComplete, HistoryOverATypedAndDeletedDate) {
  Recorded r("\\d\\d'-'\\d\\d'-'\\d\\d\\d\\d");
  EXPECT_TRUE(Type(*r.E, "12312024"));
  EXPECT_EQ(r.Log(), "+-+-");
  EXPECT_TRUE(r.E->IsFinal());
  int steps = 0;
  while (r.E->Prev()) ++steps;
  EXPECT_EQ(steps, 8);
  EXPECT_EQ(r.Log(), "+-+---");
  EXPECT_TRUE(r.E->IsStart());
}

}  // namespace
