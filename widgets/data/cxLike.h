// LIKE matching for filters: a many-characters and a one-character wildcard, an optional
// escape character, byte-wise and case-sensitive.
//
// One rule differs from the usual LIKE: a many-characters wildcard that is not the
// pattern's last character needs at least one text character left where it stands, and
// the rest of the pattern is tried only at positions where a text character remains. So
// "a%%" does not match "a", though it matches "ab".
//
// Matching runs in time proportional to pattern length times text length, however many
// wildcards the pattern holds.
#pragma once

#include "platform/kernel/Types.h"

// AEscapeChar 0: no escape character. A trailing escape character is ignored.
bool cxMatchLike(const Char* AText, Integer ATextLength, const Char* APattern, Char AEscapeChar, Char AOneChar,
                 Char AManyChars, Integer APatternLength);
// Two texts, no escape character.
bool cxLikeMatches(const String& AText, const String& APattern, Char AManyChars, Char AOneChar);

// Replaces every run of many-characters wildcards by a single one.
void cxCollapseDoubledWildcards(String& AText, Char AManyChars);

// Kinds of cxGetLikePatternKind.
inline constexpr Integer cxLikePlain = 0;
inline constexpr Integer cxLikeBeginsWith = 1;
inline constexpr Integer cxLikeEndsWith = 2;
inline constexpr Integer cxLikeContains = 3;
// Collapses doubled wildcards, then for a text longer than one character removes a
// wildcard at the start and/or the end and answers the kind they give.
Integer cxGetLikePatternKind(String& AText, Char AManyChars);

namespace cxLike {
void Initialize();
void Finalize();
}  // namespace cxLike
