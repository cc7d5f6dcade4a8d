#include "widgets/data/cxLike.h"

#include "platform/kernel/Units.h"

#include <vector>

namespace {

UnitCounter gLikeUnit;

// The pattern read once: escapes resolved, so each token is a literal, the one-character
// wildcard or the many-characters wildcard.
struct Token {
  enum Kind : Byte { Literal, One, Many } Kind;
  Char C;
  bool LastOfPattern;  // a many-characters wildcard standing at the pattern's very end
};

}  // namespace

bool cxMatchLike(const Char* AText, Integer ATextLength, const Char* APattern, Char AEscapeChar, Char AOneChar,
                 Char AManyChars, Integer APatternLength) {
  const Integer T = ATextLength > 0 ? ATextLength : 0;
  const Integer P = APatternLength > 0 ? APatternLength : 0;

  // Leading tokens before the first many-characters wildcard match at fixed places.
  Integer p = 0, t = 0;
  bool escaped = false;
  for (; p < P; ++p) {
    Char c = APattern[p];
    if (AEscapeChar != 0 && !escaped && c == AEscapeChar) {
      escaped = true;
      continue;
    }
    if (!escaped && c == AManyChars) break;
    if (t >= T) return false;
    if ((c != AOneChar || escaped) && c != AText[t]) return false;
    escaped = false;
    ++t;
  }
  if (p >= P) return t == T;

  std::vector<Token> tokens;
  tokens.reserve(size_t(P - p));
  escaped = false;
  for (Integer i = p; i < P; ++i) {
    Char c = APattern[i];
    if (AEscapeChar != 0 && !escaped && c == AEscapeChar) {
      escaped = true;
      continue;
    }
    if (!escaped && c == AManyChars)
      tokens.push_back({Token::Many, c, i + 1 == P});
    else if (!escaped && c == AOneChar)
      tokens.push_back({Token::One, c, false});
    else
      tokens.push_back({Token::Literal, c, false});
    escaped = false;
  }

  // next[k]: whether tokens i+1.. match the text from k (k = t..T); built from the end.
  const size_t width = size_t(T - t) + 1;
  std::vector<Byte> next(width, 0), cur(width, 0);
  next[width - 1] = 1;  // no tokens left: only the end of the text matches
  for (size_t i = tokens.size(); i-- > 0;) {
    const Token& tok = tokens[i];
    if (tok.Kind == Token::Many) {
      if (tok.LastOfPattern) {
        std::fill(cur.begin(), cur.end(), Byte(1));
      } else {
        // Some k in [j, T) with the rest matching from k, and j itself before the end.
        Byte any = 0;
        cur[width - 1] = 0;
        for (size_t j = width - 1; j-- > 0;) {
          any |= next[j];
          cur[j] = any;
        }
      }
    } else {
      cur[width - 1] = 0;
      for (size_t j = 0; j + 1 < width; ++j) {
        Char c = AText[size_t(t) + j];
        cur[j] = (tok.Kind == Token::One || tok.C == c) ? next[j + 1] : 0;
      }
    }
    next.swap(cur);
  }
  return next[0] != 0;
}

bool cxLikeMatches(const String& AText, const String& APattern, Char AManyChars, Char AOneChar) {
  return cxMatchLike(AText.data(), Integer(AText.size()), APattern.data(), 0, AOneChar, AManyChars,
                     Integer(APattern.size()));
}

void cxCollapseDoubledWildcards(String& AText, Char AManyChars) {
  String r;
  r.reserve(AText.size());
  for (Char c : AText)
    if (!(c == AManyChars && !r.empty() && r.back() == AManyChars)) r += c;
  AText = r;
}

Integer cxGetLikePatternKind(String& AText, Char AManyChars) {
  cxCollapseDoubledWildcards(AText, AManyChars);
  if (AText.size() <= 1) return cxLikePlain;
  bool atStart = AText.front() == AManyChars;
  bool atEnd = AText.back() == AManyChars;
  if (atStart && atEnd) {
    AText = AText.substr(1, AText.size() - 2);
    return cxLikeContains;
  }
  if (atStart) {
    AText.erase(0, 1);
    return cxLikeEndsWith;
  }
  if (atEnd) {
    AText.pop_back();
    return cxLikeBeginsWith;
  }
  return cxLikePlain;
}

namespace cxLike {
void Initialize() { gLikeUnit.Enter(); }
void Finalize() { gLikeUnit.Leave(); }
}  // namespace cxLike
