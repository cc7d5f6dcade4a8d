// Matching with the mask language: whole and partial matches over a table of masks and
// texts, typing forward and backward with history, case folding, auto-completion and
// its events, and the expression's life cycle.
#include <gtest/gtest.h>

#include "RegExprTestSupport.h"
#include "classlib/core/SysUtils.h"

using namespace regexpr_test;

namespace {

struct MatchCase {
  const char* Mask;
  String Text;
  bool Full;      // the whole text matches
  bool Partial;   // the text is a valid beginning of a match
};

class RegExprMatch : public ::testing::TestWithParam<MatchCase> {};

TEST_P(RegExprMatch, WholeAndBeginning) {
  const MatchCase& c = GetParam();
  EXPECT_EQ(cxIsTextFullValid(c.Text, c.Mask), c.Full) << c.Mask << " / " << c.Text;
  EXPECT_EQ(cxIsTextValid(c.Text, c.Mask), c.Partial) << c.Mask << " / " << c.Text;
}

const MatchCase kMatchCases[] = {
    {"\\d{2,4}", "", false, true},
    {"\\d{2,4}", "1", false, true},
    {"\\d{2,4}", "12", true, true},
    {"\\d{2,4}", "123", true, true},
    {"\\d{2,4}", "1234", true, true},
    {"\\d{2,4}", "12345", false, false},
    {"\\d{2,4}", "1a", false, false},
    {"\\d{2,}", "1234567", true, true},
    {"\\d{3}", "12", false, true},
    {"\\d{3}", "123", true, true},
    {"(ab|a)c", "ac", true, true},
    {"(ab|a)c", "abc", true, true},
    {"(ab|a)c", "ab", false, true},
    {"(ab|a)c", "abcc", false, false},
    {"a*b+", "", false, true},
    {"a*b+", "b", true, true},
    {"a*b+", "aabbb", true, true},
    {"a*b+", "aba", false, false},
    {"[a-c^]x", "^x", true, true},
    {"[a-c^]x", "bx", true, true},
    {"[a-c^]x", "dx", false, false},
    {"[-a]", "-", true, true},
    {"[a-\\d]", "c", true, true},   // a class as a range end stands for its letter
    {"[a-\\d]", "e", false, false},
    {"[a-]", "-", true, true},
    {"[^0-9]+", "ab", true, true},
    {"[^0-9]+", "a1", false, false},
    {"\\w\\s\\W", "a !", true, true},
    {"\\w\\s\\W", "_\t.", true, true},
    {"\\w\\s\\W", "a a", false, false},
    {"\\s", "\v", false, false},
    {"\\s", String(1, '\0'), true, true},
    {"\\D\\S", "x\v", true, true},
    {"'a b'", "a b", true, true},
    {"'a b'", "ab", false, false},
    {"a b", "ab", true, true},
    {"a b", "a b", false, false},
    {"'it''s'", "it's", true, true},
    {"\\x41\\t", "A\t", true, true},
    {"\\(\\)\\.\\0", "().0", true, true},
    {"a.c", String("a\0c", 3), true, true},
    {"a.c", "a\xFF" "c", true, true},
    {"(a)\\1", "aa", true, true},
    {"(a)\\1", "a", false, true},
    {"(a|b)(c)\\2", "bcc", true, true},
    {"(a|b)\\1", "ab", true, true},
    {"(a)(b)\\2", "abb", true, true},
    {"(a)(b)\\2", "aba", false, false},
    {"a+*", "", true, true},
    {"a+*", "aaa", true, true},
    {"a+*b", "b", true, true},   // a reference repeats the group, not the text it matched
    {"x{0}y", "y", true, true},
    {"x{0}y", "xy", false, false},
    {"x+?", "", true, true},
    {"x+?", "xxx", true, true},
    {"x*?y", "xxy", true, true},
    {"x?*", "", false, false},       // does not compile: see the error table; here both raise
};

// The last row is the one that raises; the table stops before it.
INSTANTIATE_TEST_SUITE_P(Table, RegExprMatch,
                         ::testing::ValuesIn(std::begin(kMatchCases), std::end(kMatchCases) - 1));

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

TEST(RegExprTyping, ForwardBackwardAndHistory) {
  Owned<TcxRegExpr> e = Compiled("ab|ac");
  EXPECT_TRUE(e->IsStart());
  EXPECT_FALSE(e->IsFinal());
  Char c = 'a';
  ASSERT_TRUE(e->Next(c));
  EXPECT_FALSE(e->IsStart());
  c = 'd';
  EXPECT_FALSE(e->Next(c));   // refused: nothing changes
  c = 'c';
  ASSERT_TRUE(e->Next(c));
  EXPECT_TRUE(e->IsFinal());
  c = 'c';
  EXPECT_FALSE(e->Next(c));
  EXPECT_TRUE(e->Prev());
  EXPECT_FALSE(e->IsFinal());
  c = 'b';
  EXPECT_TRUE(e->Next(c));
  EXPECT_TRUE(e->IsFinal());
  EXPECT_TRUE(e->Prev());
  EXPECT_TRUE(e->Prev());
  EXPECT_TRUE(e->IsStart());
  EXPECT_FALSE(e->Prev());
  EXPECT_TRUE(e->IsStart());
}

TEST(RegExprTyping, ResetAndAcceptedText) {
  Owned<TcxRegExpr> e = Compiled("\\d+");
  EXPECT_EQ(e->GetAcceptedText("1a2b3"), "123");
  EXPECT_TRUE(e->IsFinal());
  EXPECT_EQ(e->GetAutomat()->HistoryCount(), 3);
  EXPECT_EQ(e->GetAcceptedText("x4"), "4");   // goes on from where it stands
  e->Reset();
  EXPECT_TRUE(e->IsStart());
  EXPECT_EQ(e->GetAutomat()->HistoryCount(), 0);
  EXPECT_FALSE(e->Prev());
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
  Owned<TcxRegExpr> e(New<TcxRegExpr>());
  Owned<EventLog> logOwner(New<EventLog>());
  EventLog& log = *logOwner;
  log.Attach(*e);
  e->SetAutoComplete(true);
  CompileText(*e, "/\\dx");
  EXPECT_EQ(log.Log, "+/");          // the separator before anything is typed
  Char c = '5';
  ASSERT_TRUE(e->Next(c));
  EXPECT_EQ(log.Log, "+/+x");
  EXPECT_TRUE(e->IsFinal());
  EXPECT_TRUE(e->Prev());            // removes x, then steps back over the digit
  EXPECT_EQ(log.Log, "+/+x-");
  EXPECT_FALSE(e->IsStart());
  EXPECT_FALSE(e->Prev());           // removes the separator; nothing typed is left
  EXPECT_EQ(log.Log, "+/+x--");
  EXPECT_TRUE(e->IsStart());
}

TEST(RegExprAutoComplete, NothingIsForcedOnceTheTextIsComplete) {
  Owned<TcxRegExpr> e(New<TcxRegExpr>());
  Owned<EventLog> logOwner(New<EventLog>());
  EventLog& log = *logOwner;
  log.Attach(*e);
  CompileText(*e, "ab?");
  e->SetAutoComplete(true);          // completes at once: "a" is forced, then the text is complete
  EXPECT_EQ(log.Log, "+a");
  EXPECT_TRUE(e->IsFinal());
}

TEST(RegExprAutoComplete, RemovalStopsAtTheUsersChoiceOrACompletePoint) {
  Owned<TcxRegExpr> e(New<TcxRegExpr>());
  Owned<EventLog> logOwner(New<EventLog>());
  EventLog& log = *logOwner;
  log.Attach(*e);
  e->SetAutoComplete(true);
  CompileText(*e, "\\d(-x)?");
  EXPECT_EQ(log.Log, "");
  EXPECT_TRUE(Type(*e, "1-"));
  EXPECT_EQ(log.Log, "+x");
  EXPECT_TRUE(e->Prev());            // x goes; the dash was typed after a complete text
  EXPECT_EQ(log.Log, "+x-");
  EXPECT_TRUE(e->IsFinal());
  EXPECT_EQ(e->GetAutomat()->HistoryCount(), 1);
}

TEST(RegExprAutoComplete, ChainOfForcedCharactersAcrossGroups) {
  Owned<TcxRegExpr> e(New<TcxRegExpr>());
  Owned<EventLog> logOwner(New<EventLog>());
  EventLog& log = *logOwner;
  log.Attach(*e);
  e->SetAutoComplete(true);
  CompileText(*e, "\\d\\d/(\\d\\d)'.'x?");
  EXPECT_TRUE(Type(*e, "12"));
  EXPECT_EQ(log.Log, "+/");
  EXPECT_TRUE(Type(*e, "34"));
  EXPECT_EQ(log.Log, "+/+.");        // x is optional: the text is complete after the dot
  EXPECT_EQ(e->GetAutomat()->HistoryCount(), 6);
  // Back over the dot and the digit 4, then the digit 3; the separator goes with the 2.
  EXPECT_TRUE(e->Prev());
  EXPECT_EQ(log.Log, "+/+.-");
  EXPECT_EQ(e->GetAutomat()->HistoryCount(), 4);
  EXPECT_TRUE(e->Prev());
  EXPECT_EQ(log.Log, "+/+.-");
  EXPECT_TRUE(e->Prev());
  EXPECT_EQ(log.Log, "+/+.--");
  EXPECT_EQ(e->GetAutomat()->HistoryCount(), 1);
}

TEST(RegExprAutoComplete, OneCharacterFromSeveralStatesOrNone) {
  auto logOf = [](const String& mask) {
    Owned<TcxRegExpr> e(New<TcxRegExpr>());
    Owned<EventLog> logOwner(New<EventLog>());
    EventLog& log = *logOwner;
    log.Attach(*e);
    e->SetAutoComplete(true);
    CompileText(*e, mask);
    return log.Log;
  };
  EXPECT_EQ(logOf("a(b|bc)"), "+a+b");   // two states, one character
  EXPECT_EQ(logOf("a(b|c)"), "+a");      // a choice stops it
  EXPECT_EQ(logOf("a[b]"), "+a");        // a set is not a forced character
  EXPECT_EQ(logOf("(ab)+c"), "+a+b");    // then a or c

  const TFormatSettings saved = FormatSettings;
  FormatSettings.TimeSeparator = '.';
  const String time = logOf("':'?:\\d");
  FormatSettings = saved;
  EXPECT_EQ(time, "");                   // a literal colon or the separator: a choice
  FormatSettings.TimeSeparator = ':';
  const String same = logOf("':'?:\\d");
  FormatSettings = saved;
  EXPECT_EQ(same, "+:");                 // both give the same character
}

TEST(RegExprAutoComplete, TurningItOnLaterAndGetAcceptedTextDoNotComplete) {
  Owned<TcxRegExpr> e(New<TcxRegExpr>());
  Owned<EventLog> logOwner(New<EventLog>());
  EventLog& log = *logOwner;
  log.Attach(*e);
  CompileText(*e, "\\dab");
  EXPECT_EQ(e->GetAcceptedText("1"), "1");
  EXPECT_EQ(log.Log, "");
  e->SetAutoComplete(true);
  EXPECT_EQ(log.Log, "+a+b");
  EXPECT_TRUE(e->IsFinal());
}

}  // namespace
