// The automaton against PCRE2: for a corpus of masks and a few thousand texts, every
// prefix of every text is a complete match for both or for neither, and a valid
// beginning of a match for both or for neither (PCRE2's anchored hard partial match).
#include <gtest/gtest.h>

#include "RegExprTestSupport.h"
#include "RegExprTranslate.h"

#ifdef TL_HAVE_PCRE2
#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <random>

using namespace regexpr_test;
using namespace regexpr_translate;

namespace {

class Pcre2Pattern {
 public:
  explicit Pcre2Pattern(const std::string& APattern) {
    int error = 0;
    PCRE2_SIZE offset = 0;
    FCode = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(APattern.data()), APattern.size(), 0, &error, &offset,
                          nullptr);
    if (FCode) FData = pcre2_match_data_create_from_pattern(FCode, nullptr);
  }
  ~Pcre2Pattern() {
    pcre2_match_data_free(FData);
    pcre2_code_free(FCode);
  }
  bool Ok() const { return FCode != nullptr; }
  bool Full(const String& s) const { return Run(s, PCRE2_ANCHORED) >= 0; }
  bool Beginning(const String& s) const {
    if (s.empty()) return true;   // an empty subject never gives a partial match
    const int rc = Run(s, PCRE2_ANCHORED | PCRE2_PARTIAL_HARD);
    return rc >= 0 || rc == PCRE2_ERROR_PARTIAL;
  }

 private:
  int Run(const String& s, uint32_t options) const {
    return pcre2_match(FCode, reinterpret_cast<PCRE2_SPTR>(s.data()), s.size(), 0, options, FData, nullptr);
  }
  pcre2_code* FCode = nullptr;
  pcre2_match_data* FData = nullptr;
};

struct Corpus {
  String Mask;
  bool CaseInsensitive;
};

std::vector<Corpus> Masks() {
  std::vector<Corpus> v;
  for (const char* m :
       {"\\d{2,4}", "(ab|a)c", "a*b+", "[a-c^]x", "[^0-9]+x?", "\\w+\\s?\\W", "(a|b)(c)\\2", "x{0}y", "x+?y",
        "(\\d+' '?)+", "(\\w|\\d)+", "(a?){2,}", "(\\d+)+x", "((a*)(b*)){1,}", "a\\d{0,3}", "ab{0,2}",
        "(\\d{1,3}\\.){3}\\d{1,3}", "\\d\\d?/\\d\\d?/\\d\\d\\d\\d", "(0?[1-9]|1[012]):[0-5]\\d( (AM|PM))?",
        "((a|b)*c)+", "(x?){5}", "[ab]{2,3}(c|d{1,2})*", "'a b'(c|'d''e')", "(((a|b)+)+)+c?", "(.|a)b",
        "a(b(c(d)?)?)?", "(a|ab)(c|bcd)(d*)", "(\\+|-)?\\d+(\\.\\d*)?", "(a{0,2}b){2}", "((ab?){2,3}|c)*d",
        "[\\d\\s-]+", "[^\\w]x", "(x{0}z)+y?"})
    v.push_back({m, false});
  v.push_back({SystemDateMask(), false});
  v.push_back({SystemDateMask(), true});
  v.push_back({SystemDateMask(true), false});
  for (const char* m : {"Ax|[a-z]y", "(Jan|Feb|Mar)-\\d\\d", "(a|B)+c", "\xC9t\xE9"}) v.push_back({m, true});
  return v;
}

// Up to 24 bytes of the mask's alphabet (always its symbols' neighbourhood), plus one
// byte no class takes when there is one.
String SampleAlphabet(const ByteSet& AAlphabet, std::mt19937& rng) {
  std::vector<Char> in, out;
  for (int b = 0; b < 256; ++b) (AAlphabet.test(size_t(b)) ? in : out).push_back(Char(b));
  std::shuffle(in.begin(), in.end(), rng);
  if (in.size() > 24) in.resize(24);
  String s(in.begin(), in.end());
  if (!out.empty()) s += out[rng() % out.size()];
  return s;
}

// Feeds ACount texts, each prefix compared with PCRE2; answers the number of comparisons.
int CompareTexts(TcxRegExpr& e, const std::string& pattern, const Pcre2Pattern& re, const String& alphabet,
                 int ACount, std::mt19937& rng) {
  int compared = 0;
  {
    for (int n = 0; n < ACount; ++n) {
      // Mostly steered along valid beginnings (by PCRE2), so complete matches occur.
      String text;
      const size_t length = rng() % 14;
      while (text.size() < length) {
        Char next = alphabet[rng() % alphabet.size()];
        if (rng() % 8 != 0)
          for (size_t k = 0; k < alphabet.size(); ++k) {
            const Char cand = alphabet[(rng() + k) % alphabet.size()];
            if (re.Beginning(text + cand)) {
              next = cand;
              break;
            }
          }
        text += next;
      }
      e.Reset();
      bool alive = true;
      for (size_t k = 0; k <= text.size(); ++k) {
        const String prefix = text.substr(0, k);
        if (k > 0 && alive) {
          Char ch = text[k - 1];
          alive = e.Next(ch);
        }
        EXPECT_EQ(alive, re.Beginning(prefix)) << "beginning \"" << prefix << "\" of " << pattern;
        EXPECT_EQ(alive && e.IsFinal(), re.Full(prefix)) << "match \"" << prefix << "\" of " << pattern;
        if (::testing::Test::HasFailure()) return compared;
        ++compared;
      }
    }
  }
  return compared;
}

TEST(RegExprVersusPcre2, CompleteAndPartialMatchesAgree) {
  std::mt19937 rng(20261206);
  int compared = 0;
  for (const Corpus& c : Masks()) {
    SCOPED_TRACE(c.Mask);
    Owned<TcxRegExpr> e = Compiled(c.Mask, c.CaseInsensitive);
    const std::string pattern = Translate(*e);
    Pcre2Pattern re(pattern);
    ASSERT_TRUE(re.Ok()) << pattern;
    compared += CompareTexts(*e, pattern, re, SampleAlphabet(Alphabet(*e), rng), 150, rng);
    if (HasFailure()) return;
  }
  EXPECT_GT(compared, 20000);
}

// A random mask of groups, alternatives, sets, quantifiers, repetitions and references.
String RandomMask(std::mt19937& rng, int depth, int& groups) {
  static const char* const atoms[] = {"a", "b", "c", "A", "\\d", "[ab]", "[^a]", "'ab'", "."};
  static const char* const quantifiers[] = {"", "", "", "?", "*", "+", "{0,2}", "{2}", "{1,}", "{0}", "?+", "+*"};
  String s;
  const int alts = 1 + int(rng() % (depth == 0 ? 2 : 3));
  for (int a = 0; a < alts; ++a) {
    if (a > 0) s += "|";
    const int pieces = 1 + int(rng() % 3);
    for (int p = 0; p < pieces; ++p) {
      const unsigned kind = rng() % 10;
      if (kind < 2 && depth < 3) {
        ++groups;
        s += "(" + RandomMask(rng, depth + 1, groups) + ")";
      } else if (kind == 2 && groups > 0) {
        s += "\\" + std::to_string(1 + rng() % unsigned(std::min(groups, 9)));
      } else {
        s += atoms[rng() % std::size(atoms)];
      }
      s += quantifiers[rng() % std::size(quantifiers)];
    }
  }
  return s;
}

TEST(RegExprVersusPcre2, RandomMasksAgree) {
  std::mt19937 rng(7700);
  int masks = 0, compared = 0;
  for (int i = 0; i < 600 && masks < 300; ++i) {
    int groups = 0;
    const String mask = RandomMask(rng, 0, groups);
    Owned<TcxRegExpr> e(New<TcxRegExpr>());
    e->SetCaseInsensitive(i % 2 == 1);
    try {
      CompileText(*e, mask);
    } catch (const EcxRegExprError&) {
      continue;   // a quantifier that the language refuses here
    }
    SCOPED_TRACE(mask);
    ++masks;
    const std::string pattern = Translate(*e);
    Pcre2Pattern re(pattern);
    ASSERT_TRUE(re.Ok()) << pattern;
    compared += CompareTexts(*e, pattern, re, "abcA0z", 20, rng);
    if (HasFailure()) return;
  }
  EXPECT_EQ(masks, 300);
  EXPECT_GT(compared, 20000);
}

TEST(RegExprVersusPcre2, UnitFunctionsAgreeOnTheSystemDateMask) {
  const String mask = SystemDateMask();
  Owned<TcxRegExpr> e = Compiled(mask);
  Pcre2Pattern re(Translate(*e));
  for (const char* t : {"12/31/2024", "1/1/1999", "Feb/29/2000", "today", "today+5", "eom-123", "13/1/2000",
                        "0/1/2000", "1/32/2000", "Tuesday+", "tomorrow-1234", "seventh+99", "12/3"}) {
    EXPECT_EQ(cxIsTextFullValid(t, mask), re.Full(t)) << t;
    EXPECT_EQ(cxIsTextValid(t, mask), re.Beginning(t)) << t;
  }
}

}  // namespace

#endif  // TL_HAVE_PCRE2
