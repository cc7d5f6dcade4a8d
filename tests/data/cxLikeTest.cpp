// LIKE matching: the stated cases, escapes, classification, and a differential run against
// a plain recursive matcher that follows the matching rule literally.
#include <gtest/gtest.h>

#include "widgets/data/cxLike.h"

#include <random>

namespace {

bool Like(const String& text, const String& pattern) { return cxLikeMatches(text, pattern, '%', '_'); }

bool LikeEsc(const String& text, const String& pattern, Char esc) {
  return cxMatchLike(text.data(), Integer(text.size()), pattern.data(), esc, '_', '%', Integer(pattern.size()));
}

// The rule as stated, with backtracking and no memo: exponential, so only for short input.
// A many-characters wildcard stands for any run of characters, none included, wherever it is.
bool Reference(const String& t, size_t ti, const String& p, size_t pi, Char esc, bool escaped) {
  if (pi == p.size()) return ti == t.size();
  Char c = p[pi];
  if (esc && !escaped && c == esc) return Reference(t, ti, p, pi + 1, esc, true);
  if (!escaped && c == '%') {
    for (size_t k = ti; k <= t.size(); ++k)
      if (Reference(t, k, p, pi + 1, esc, false)) return true;
    return false;
  }
  if (ti == t.size()) return false;
  if ((c != '_' || escaped) && c != t[ti]) return false;
  return Reference(t, ti + 1, p, pi + 1, esc, false);
}

}  // namespace

TEST(LikeMatching, WildcardsAndTheirEnds) {
  EXPECT_TRUE(Like("", "%"));
  EXPECT_TRUE(Like("anything", "%"));
  EXPECT_TRUE(Like("abc", "a_c"));
  EXPECT_FALSE(Like("ac", "a_c"));
  EXPECT_FALSE(Like("abcd", "a_c"));
  EXPECT_TRUE(Like("a", "a%"));
  EXPECT_TRUE(Like("abc", "a%"));
  EXPECT_TRUE(Like("abc", "%c"));
  EXPECT_TRUE(Like("c", "%c"));
  EXPECT_TRUE(Like("a", "a%%"));  // a wildcard that is not last may stand for nothing too
  EXPECT_TRUE(Like("ab", "a%%"));
  for (const char* t : {"ab", "b", "abc"}) EXPECT_TRUE(Like(t, "%b%")) << t;
  EXPECT_FALSE(Like("ac", "%b%"));
  EXPECT_TRUE(Like("", ""));
  EXPECT_FALSE(Like("a", ""));
  EXPECT_FALSE(Like("ABC", "abc"));  // case-sensitive
  EXPECT_TRUE(Like("%_", "%_"));     // wildcards in the text are plain characters
  EXPECT_TRUE(cxLikeMatches("a*b", "a?b", '*', '?'));
  EXPECT_FALSE(cxLikeMatches("a%b", "a*", '%', '?'));
  EXPECT_TRUE(Like("\xE9t\xE9", "\xE9_\xE9"));
}

// Wildcards standing for no character at the end of the text, wherever they stand in the
// pattern, and the one-character wildcards among them that still need theirs.
TEST(LikeMatching, RunsOfWildcardsAtTheEndOfTheText) {
  struct Row {
    const char* Text;
    const char* Pattern;
    bool Matches;
  } rows[] = {
      {"", "%%", true},      {"", "%%%", true},     {"a", "a%%", true},    {"ab", "ab%%", true},
      {"ab", "a%%b", true},  {"ab", "a%b%%", true}, {"a", "%a%%", true},   {"a", "_%%", true},
      {"", "_%%", false},    {"a", "%_%", true},    {"", "%_%", false},    {"a", "%%_", true},
      {"", "%%_", false},    {"a", "%_%%", true},   {"ab", "%_%_%", true}, {"a", "%_%_%", false},
      {"ab", "a%%c", false}, {"b", "a%%", false},   {"abc", "a%%", true},  {"", "%a%%", false},
  };
  for (const Row& r : rows)
    EXPECT_EQ(Like(r.Text, r.Pattern), r.Matches)
        << "'" << r.Text << "' LIKE '" << r.Pattern << "'";
}

TEST(LikeMatching, EscapedCharactersAreLiterals) {
  EXPECT_TRUE(LikeEsc("50%", "50\\%", '\\'));
  EXPECT_FALSE(LikeEsc("500", "50\\%", '\\'));
  EXPECT_TRUE(LikeEsc("a_b", "a\\_b", '\\'));
  EXPECT_FALSE(LikeEsc("axb", "a\\_b", '\\'));
  EXPECT_TRUE(LikeEsc("a\\b", "a\\\\b", '\\'));
  EXPECT_TRUE(LikeEsc("ab", "ab\\", '\\'));  // a trailing escape is ignored
  EXPECT_TRUE(LikeEsc("ab", "a%\\", '\\'));  // the wildcard before it is the last one
  EXPECT_TRUE(LikeEsc("a", "a%\\", '\\'));
  EXPECT_FALSE(LikeEsc("ab", "a%\\%", '\\'));
  EXPECT_TRUE(LikeEsc("a%", "a%\\%", '\\'));
  EXPECT_TRUE(LikeEsc("a\\b", "a\\b", 0));   // no escape character
}

TEST(LikeMatching, AgreesWithTheStatedStepsOnRandomInput) {
  std::mt19937 rng(20261207);
  const char alphabet[] = {'a', 'b', '%', '_', '\\'};
  auto word = [&](size_t maxLen, size_t symbols) {
    String s(rng() % (maxLen + 1), ' ');
    for (Char& c : s) c = alphabet[rng() % symbols];
    return s;
  };
  int matched = 0;
  for (int i = 0; i < 20000; ++i) {
    String text = word(9, 4);  // texts may hold wildcard characters too
    String pattern = word(8, 5);
    Char esc = (i % 2) ? '\\' : 0;
    bool expected = Reference(text, 0, pattern, 0, esc, false);
    matched += expected;
    ASSERT_EQ(LikeEsc(text, pattern, esc), expected) << "text '" << text << "' pattern '" << pattern << "' esc "
                                                     << int(esc);
  }
  EXPECT_GT(matched, 1000);  // the run exercised both outcomes
  EXPECT_LT(matched, 19000);
}

TEST(LikeMatching, ManyWildcardsOnALongText) {
  String text(2000, 'a');
  EXPECT_FALSE(Like(text, "%a%a%a%a%a%a%a%a%a%a%a%a%b"));
  EXPECT_TRUE(Like(text + "b", "%a%a%a%a%a%a%a%a%a%a%a%a%b"));
}

TEST(LikeMatching, PatternKinds) {
  struct Row {
    const char* In;
    Integer Kind;
    const char* Out;
  } rows[] = {
      {"%abc%", cxLikeContains, "abc"},   {"abc%", cxLikeBeginsWith, "abc"}, {"%abc", cxLikeEndsWith, "abc"},
      {"%%abc%%", cxLikeContains, "abc"}, {"%", cxLikePlain, "%"},          {"%%", cxLikePlain, "%"},
      {"a%c", cxLikePlain, "a%c"},        {"a", cxLikePlain, "a"},          {"%_", cxLikeEndsWith, "_"},
  };
  for (const Row& r : rows) {
    String text = r.In;
    EXPECT_EQ(cxGetLikePatternKind(text, '%'), r.Kind) << r.In;
    EXPECT_EQ(text, r.Out) << r.In;
  }
  String doubled = "a%%%b%%";
  cxCollapseDoubledWildcards(doubled, '%');
  EXPECT_EQ(doubled, "a%b%");
  String star = "**x";
  EXPECT_EQ(cxGetLikePatternKind(star, '*'), cxLikeEndsWith);
  EXPECT_EQ(star, "x");
}
