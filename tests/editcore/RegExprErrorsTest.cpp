// Compile errors of the mask language: texts, positions, collection per phase, the full
// text with its position words, and the limits on hostile masks.
#include <gtest/gtest.h>

#include "RegExprTestSupport.h"

using namespace regexpr_test;

namespace {

struct ErrorCase {
  String Source;
  std::vector<ErrorRow> Expected;
};

class RegExprErrors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(RegExprErrors, ReportsEveryErrorWithItsPosition) {
  const ErrorCase& c = GetParam();
  EXPECT_EQ(ErrorsOf(c.Source), c.Expected) << "source: " << c.Source;
}

const ErrorCase kErrorCases[] = {
    // Source stream.
    {"", {{"The source stream is empty", 0, 0}}},
    {" \r\n\t\f", {{"The source stream is empty", 0, 0}}},
    // Parentheses counted by the lexer.
    {"(a", {{"Missing ')'", 0, 0}}},
    {"a)", {{"Unnecessary ')'", 0, 0}}},
    {")(", {{"Illegal ')'", 1, 1}, {"The alternative should not be empty", 0, 0}}},
    // Escapes.
    {"a\\ b", {{"The space character is not allowed after '\\'", 1, 3}}},
    {"\\xg1", {{"Hexadecimal number expected but 'g' found", 1, 3}}},
    {"\\x4z", {{"Hexadecimal number expected but 'z' found", 1, 4}}},
    {"\\x4", {{"Hexadecimal number expected", 1, 4}}},
    // Unterminated parts: the column after the last character.
    {"[ab", {{"Missing ']'", 1, 4}}},
    {"a{2", {{"Missing '}'", 1, 4}}},
    {"'ab", {{"Missing ' ' '", 1, 4}}},
    {"[a-", {{"Missing ']'", 1, 4}}},
    // Inside braces.
    {"a{1,x}", {{"Illegal 'x'", 1, 5}}},
    {"a{'}", {{"Illegal ' ' '", 1, 3}}},
    {"a{x}b{y}", {{"Illegal 'x'", 1, 3}, {"Illegal 'y'", 1, 7}}},
    // A lexer error stops the compile before the parser could add its own.
    {"a{x}*|", {{"Illegal 'x'", 1, 3}}},
    // Quantifiers.
    {"*a", {{"Illegal quantifier '*'", 1, 1}}},
    {"a|+", {{"Illegal quantifier '+'", 1, 3}}},
    {"(?)", {{"Illegal quantifier '?'", 1, 2}}},
    {"a?*", {{"The '*' quantifier cannot be applied here", 1, 3}}},
    {"a**", {{"The '*' quantifier cannot be applied here", 1, 3}}},
    {"(a?)+", {{"The '+' quantifier cannot be applied here", 1, 5}}},
    {"(a|b*)*", {{"The '*' quantifier cannot be applied here", 1, 7}}},
    {"{2}", {{"Incorrect parameter quantifier", 1, 1}, {"Illegal integer value", 1, 2}, {"Illegal '}'", 1, 3}}},
    {"a{3,2}", {{"Incorrect parameter quantifier", 1, 5}}},
    {"a{,2}", {{"Incorrect parameter quantifier", 1, 3}, {"Illegal integer value", 1, 4}, {"Illegal '}'", 1, 5}}},
    {"a{1,2,3}", {{"Incorrect parameter quantifier", 1, 6}, {"Illegal integer value", 1, 7}, {"Illegal '}'", 1, 8}}},
    {"a?{2}", {{"The parameter quantifier cannot be applied here", 1, 3}}},
    {"a*{2,}", {{"The parameter quantifier cannot be applied here", 1, 3}}},
    // References.
    {"(a)\\2", {{"Too big reference number", 1, 4}}},
    {"(a)(b)\\3", {{"Too big reference number", 1, 7}}},
    {"\\1(a)", {{"Too big reference number", 1, 1}}},
    // Sets.
    {"[]", {{"Can't create empty enumeration", 1, 2}}},
    {"[^ ]", {{"Can't create empty enumeration", 1, 4}}},
    {"[b-a]", {{"The starting character of the subrange must be less than the finishing one", 1, 4}}},
    {"[a-a]", {{"The starting character of the subrange must be less than the finishing one", 1, 4}}},
    {"[a-/]", {{"The starting character of the subrange must be less than the finishing one", 1, 4}}},
    {"[a-c-e]", {{"Illegal '-'", 1, 5}}},
    // Alternatives and blocks.
    {"a||b", {{"The alternative should not be empty", 1, 3}}},
    {"|a", {{"The alternative should not be empty", 1, 1}}},
    {"a|", {{"The alternative should not be empty", 0, 0}}},
    {"()", {{"The block should not be empty", 1, 2}}},
    {"(a|)", {{"The block should not be empty", 1, 4}}},
    // Every error of the parser in source order.
    {"*|a||", {{"Illegal quantifier '*'", 1, 1}, {"The alternative should not be empty", 1, 5},
               {"The alternative should not be empty", 0, 0}}},
    // Lines count CR, columns restart after LF.
    {"(\r\n)", {{"The block should not be empty", 2, 1}}},
    {"ab\n*+", {{"The '+' quantifier cannot be applied here", 1, 2}}},
    {"a\rb\r\n{", {{"Missing '}'", 3, 2}}},
    // A set part is not read past its end; what follows an unterminated set is read into
    // it, up to the end of the lexems.
    {"[a-'']", {{"The starting character of the subrange must be less than the finishing one", 1, 6},
                {"Missing ']'", 1, 6}}},
    {"[!-'']", {{"Missing ']'", 1, 6}}},
    {"[a-'']x|(y)", {{"The starting character of the subrange must be less than the finishing one", 1, 6},
                     {"Missing ']'", 1, 11}}},
    // NUL bytes are white space: a source of them is empty.
    {String(3, '\0'), {{"The source stream is empty", 0, 0}}},
};

INSTANTIATE_TEST_SUITE_P(Table, RegExprErrors, ::testing::ValuesIn(kErrorCases));

TEST(RegExprErrorsMore, AMissingStreamIsAnError) {
  Owned<TcxRegExpr> e(New<TcxRegExpr>());
  try {
    e->Compile(nullptr);
    FAIL() << "a missing stream compiled";
  } catch (const EcxRegExprError& err) {
    ASSERT_EQ(err.Errors().Count(), 1);
    EXPECT_EQ(err.Errors().Items(0)->Message(), "The source stream is not assigned");
    EXPECT_EQ(err.Errors().Items(0)->Line(), 0);
  }
  EXPECT_FALSE(e->GetCompiled());
  EXPECT_EQ(e->GetStream(), nullptr);
}

TEST(RegExprErrorsMore, ExceptionCarriesItsOwnListAndAMessageListingIt) {
  std::vector<ErrorRow> seen;
  try {
    Owned<TcxRegExpr> e(New<TcxRegExpr>());
    CompileText(*e, "*a|");
  } catch (const EcxRegExprError& err) {
    // The expression is gone here; the list must still be whole.
    EXPECT_EQ(err.Message(),
              "Regular expression errors:\r\nLine1, Char1: Illegal quantifier '*'\r\nThe alternative should not be empty");
    for (Integer i = 0; i < err.Errors().Count(); ++i)
      seen.push_back({err.Errors().Items(i)->Message(), err.Errors().Items(i)->Line(), err.Errors().Items(i)->Char()});
  }
  EXPECT_EQ(seen, (std::vector<ErrorRow>{{"Illegal quantifier '*'", 1, 1},
                                          {"The alternative should not be empty", 0, 0}}));
}

TEST(RegExprErrorsMore, ErrorsStayReadableUntilTheNextCompile) {
  Owned<TcxRegExpr> e(New<TcxRegExpr>());
  EXPECT_THROW(CompileText(*e, "(a"), EcxRegExprError);
  ASSERT_EQ(e->GetErrors().Count(), 1);
  EXPECT_EQ(e->GetErrors().Items(0)->Message(), "Missing ')'");
  EXPECT_FALSE(e->GetCompiled());

  CompileText(*e, "ab");
  EXPECT_EQ(e->GetErrors().Count(), 0);
  EXPECT_TRUE(e->GetCompiled());
  EXPECT_THROW(e->GetErrors().Items(0), EListError);
}

String FullTextOf(Integer ALine, Integer AChar, const String& AMessage) {
  Owned<TcxRegExprError> e(New<TcxRegExprError>(ALine, AChar, AMessage));
  return e->FullText();
}

TEST(RegExprErrorsMore, FullTextNamesLineAndColumnWithoutBlanks) {
  Owned<TcxRegExpr> e(New<TcxRegExpr>());
  EXPECT_THROW(CompileText(*e, "a|"), EcxRegExprError);
  ASSERT_EQ(e->GetErrors().Count(), 1);
  EXPECT_EQ(e->GetErrors().Items(0)->FullText(), "The alternative should not be empty");
  EXPECT_THROW(CompileText(*e, "a{2}{x}"), EcxRegExprError);
  ASSERT_EQ(e->GetErrors().Count(), 1);
  EXPECT_EQ(e->GetErrors().Items(0)->FullText(), "Line1, Char6: Illegal 'x'");

  EXPECT_EQ(FullTextOf(3, 7, "msg"), "Line3, Char7: msg");
  EXPECT_EQ(FullTextOf(2, 0, "msg"), "Line2: msg");
  EXPECT_EQ(FullTextOf(0, 5, "msg"), "msg");
  EXPECT_EQ(FullTextOf(0, 0, "msg"), "msg");
}

String GermanWords(const TResStringRec& rec, bool& found) {
  found = true;
  switch (rec.Id) {
    case 65323: return "Zeile";
    case 65324: return "Spalte";
    case 65308: return "'%s' fehlt";
    default: found = false; return String();
  }
}

TEST(RegExprErrorsMore, MessagesAndPositionWordsCanBeReplaced) {
  TResStringResolver old = SetResStringResolver(&GermanWords);
  std::vector<ErrorRow> rows = ErrorsOf("[ab");
  String full = FullTextOf(1, 4, "x");
  SetResStringResolver(old);
  EXPECT_EQ(rows, (std::vector<ErrorRow>{{"']' fehlt", 1, 4}}));
  EXPECT_EQ(full, "Zeile1, Spalte4: x");
}

TEST(RegExprErrorsMore, ErrorListClonesAreDeep) {
  Owned<TcxRegExprErrors> list(New<TcxRegExprErrors>());
  list->Add(New<TcxRegExprError>(1, 2, "a"));
  list->Add(New<TcxRegExprError>(0, 0, "b"));
  Owned<TcxRegExprErrors> copy(list->Clone());
  list->Clear();
  ASSERT_EQ(copy->Count(), 2);
  EXPECT_EQ(copy->Items(1)->Message(), "b");
  EXPECT_EQ(copy->Items(0)->Char(), 2);
}

// ---- Limits on hostile masks ----

String Repeat(const String& APart, int ACount) {
  String s;
  for (int i = 0; i < ACount; ++i) s += APart;
  return s;
}

// Each group after the first holds two copies of the one before.
String Doubling(const String& AFirst) {
  String s = AFirst;
  for (int i = 1; i <= 8; ++i) s += "(\\" + std::to_string(i) + "\\" + std::to_string(i) + ")";
  return s;
}

std::vector<ErrorCase> LimitCases() {
  auto at = [](Integer ALine, Integer AChar) {
    return std::vector<ErrorRow>{{"The expression is too complex", ALine, AChar}};
  };
  return {
      // Huge counts are refused without overflow.
      {"a{1001}", {{"Incorrect parameter quantifier", 1, 3}}},
      {"a{99999999999999999999}", {{"Incorrect parameter quantifier", 1, 3}}},
      {"a{1,99999999999}", {{"Incorrect parameter quantifier", 1, 5}}},
      {"a{1000}", {}},
      // Expansions that multiply.
      {"(a{1000}){1000}", at(1, 10)},
      {"((x{100}){100}){100}", at(1, 10)},
      {Doubling("(a)"), {}},
      // Nesting.
      {String(200, '(') + "a" + String(200, ')'), {}},
      {String(201, '(') + "a" + String(201, ')'), at(1, 201)},
      // Long sources.
      {String(20000, 'a'), at(1, 10001)},
      {String(100001, 'a'), at(1, 100001)},
      {Repeat("[a]", 10001), at(1, 30001)},
      // Transitions are counted before they are made: about 245 000 links.
      {Repeat("a?", 700), at(0, 0)},
      {Repeat("a?", 300), {}},
  };
}

INSTANTIATE_TEST_SUITE_P(Limits, RegExprErrors, ::testing::ValuesIn(LimitCases()));

TEST(RegExprLimits, RefusedShapesWithoutAFixedPosition) {
  // Doubling references from a larger group, and quantifiers stacked without parentheses.
  for (const String& source : {Doubling("(a{100})"), "a" + String(3000, '?')}) {
    const std::vector<ErrorRow> rows = ErrorsOf(source);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].Message, "The expression is too complex");
  }
  // An error flood stops at the limit.
  const std::vector<ErrorRow> rows = ErrorsOf(Repeat("a{x}", 3000));
  ASSERT_EQ(rows.size(), size_t(TcxRegExpr::MaxErrorCount));
  EXPECT_EQ(rows.back(), (ErrorRow{"Illegal 'x'", 1, 4 * (TcxRegExpr::MaxErrorCount - 1) + 3}));
}

// Every transition of the automaton: the start state's and those of the tree's states.
Int64 LinkedTransitions(const TcxRegExpr& AExpr) {
  Int64 n = Int64(AExpr.GetAutomat()->StartState()->Next().size());
  ForEachItem(AExpr.GetAutomat()->Alts(), [&](TcxRegExprParserItem* AItem) {
    if (auto* block = dynamic_cast<TcxRegExprParserBlockItem*>(AItem))
      n += Int64(block->EntryState()->Next().size() + block->ExitState()->Next().size());
    else
      n += Int64(static_cast<TcxRegExprParserSimpleItem*>(AItem)->State()->Next().size());
  });
  return n;
}

TEST(RegExprLimits, TransitionsAreCountedBeforeTheyAreMade) {
  for (const char* mask : {"a?b?c?d", "(a?(b|c)*d)+e?|f", "x{0,5}y{2,}", "((a|b)?c?){3}", "(a)\\1?\\1*"}) {
    Owned<TcxRegExpr> e = Compiled(mask);
    EXPECT_EQ(TcxRegExprAutomat::TransitionCount(e->GetAutomat()->Alts()), LinkedTransitions(*e)) << mask;
  }
}

TEST(RegExprLimits, LargestAllowedShapesStillMatch) {
  Owned<TcxRegExpr> e = Compiled("x{0,1000}");
  EXPECT_TRUE(Type(*e, String(1000, 'x')));
  EXPECT_TRUE(e->IsFinal());
  Char x = 'x';
  EXPECT_FALSE(e->Next(x));
  EXPECT_TRUE(cxIsTextFullValid(String(999, '7'), "\\d{1,1000}"));
  EXPECT_FALSE(cxIsTextFullValid(String(1001, '7'), "\\d{1,1000}"));
}

}  // namespace
