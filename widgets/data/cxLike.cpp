#include "widgets/data/cxLike.h"

#include "classlib/core/DB.h"
#include "platform/kernel/Units.h"

namespace {

UnitCounter gLikeUnit;

}  // namespace

// The data sets' filters match LIKE by the same rule.
bool cxMatchLike(const Char* AText, Integer ATextLength, const Char* APattern, Char AEscapeChar, Char AOneChar,
                 Char AManyChars, Integer APatternLength) {
  return MatchLikePattern(AText, ATextLength, APattern, APatternLength, AEscapeChar, AOneChar, AManyChars);
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
