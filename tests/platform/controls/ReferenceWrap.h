// The lines of a multi-line edit as a plain wrap finds them: lines end at CR LF; a line that
// is wider than the room breaks after its last space that fits (inside a word when no space
// does), keeps at least one character, and keeps the spaces at its break. Each candidate line
// is measured anew from its start: slow, and simple enough to check the edit against.
#pragma once

#include "platform/kernel/Types.h"

#include <cstdint>
#include <vector>

// width(from, n): how wide the n characters of t from `from` are.
template <class Width>
std::vector<int> ReferenceWrap(const String& t, bool wraps, int64_t room, Width width) {
  std::vector<int> hard{0};
  for (size_t i = 0; i + 1 < t.size(); ++i)
    if (t[i] == '\r' && t[i + 1] == '\n') hard.push_back(int(i + 2));
  std::vector<int> out;
  for (size_t h = 0; h < hard.size(); ++h) {
    size_t start = size_t(hard[h]);
    const size_t end = h + 1 < hard.size() ? size_t(hard[h + 1]) - 2 : t.size();
    out.push_back(int(start));
    while (wraps && int64_t(width(start, end - start)) > room) {
      size_t fit = start + 1;
      while (fit < end && int64_t(width(start, fit + 1 - start)) <= room) ++fit;
      size_t cut = fit;
      if (t[fit] != ' ')
        for (size_t k = fit; k > start; --k)
          if (t[k - 1] == ' ') {
            cut = k;
            break;
          }
      while (cut < end && t[cut] == ' ') ++cut;
      if (cut >= end) break;
      start = cut;
      out.push_back(int(start));
    }
  }
  return out;
}
