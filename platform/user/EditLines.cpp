#include "platform/user/EditLines.h"

#include <algorithm>

namespace user_detail {

namespace {

// The text functions measure at most this many characters of a run; a line's width is
// taken the same way here so the breaks are those the measured widths give.
constexpr size_t kMeasuredChars = size_t(1) << 20;

bool BreakAt(const String& t, size_t i) { return i + 1 < t.size() && t[i] == '\r' && t[i + 1] == '\n'; }

}  // namespace

size_t EditLineLayout::NextStart(const String& text, size_t start) const {
  const size_t n = text.size();
  size_t end = start;
  size_t over = SIZE_MAX;   // the first character that no longer fits
  if (room_ != kNoWrap) {
    const size_t cap = start + std::min(kMeasuredChars, n - start);
    Int64 x = 0;
    for (; end < cap && !BreakAt(text, end); ++end) {
      x += advances_[Byte(text[end])];
      if (x > room_) {
        over = end;
        break;
      }
    }
  }
  if (over == SIZE_MAX) {
    // The rest of the paragraph fits: the next line is the next paragraph's first.
    const size_t at = text.find("\r\n", end);
    return at == String::npos ? SIZE_MAX : at + 2;
  }
  const size_t fit = std::max(start + 1, over);   // at least one character a line
  size_t cut = fit;
  if (fit >= n || text[fit] != ' ') {
    for (size_t k = fit; k > start; --k) {
      if (text[k - 1] == ' ') {
        cut = k;
        break;
      }
    }
  }
  // Trailing spaces of the upper line need no room of their own.
  while (cut < n && text[cut] == ' ') ++cut;
  if (cut >= n) return SIZE_MAX;
  if (BreakAt(text, cut)) return cut + 2;
  return cut;
}

void EditLineLayout::Build(const String& text, const Advances& advances, int64_t room) {
  advances_ = advances;
  room_ = room;
  starts_.assign(1, 0);
  for (size_t s = NextStart(text, 0); s != SIZE_MAX; s = NextStart(text, s)) starts_.push_back(int(s));
}

void EditLineLayout::Edited(const String& text, size_t at, size_t removed, size_t inserted) {
  // A line's breaks depend on its text up to the start of the line after next at most, so
  // the lines ending three before the changed one stay; from there the text is laid out
  // again until a new line starts past the change where an old one did, from which on
  // the old lines, moved by the change in length, hold again.
  const auto changed = std::upper_bound(starts_.begin(), starts_.end(), int(at));
  const size_t line = size_t(changed - starts_.begin()) - 1;
  const size_t from = line >= 3 ? line - 3 : 0;
  std::vector<int> old;
  old.assign(starts_.begin() + std::ptrdiff_t(from) + 1, starts_.end());
  starts_.resize(from + 1);
  relaid_.first = from;
  const Int64 delta = Int64(inserted) - Int64(removed);
  const size_t changeEnd = at + inserted;
  size_t next = 0;   // the first old start not yet passed
  for (size_t s = NextStart(text, size_t(starts_.back())); s != SIZE_MAX; s = NextStart(text, s)) {
    if (s >= changeEnd) {
      const Int64 before = Int64(s) - delta;   // where this line started in the old text
      while (next < old.size() && old[next] < before) ++next;
      if (next < old.size() && old[next] == before) {
        relaid_.oldEnd = from + 1 + next;
        relaid_.newEnd = starts_.size();
        for (size_t i = next; i < old.size(); ++i) starts_.push_back(int(old[i] + delta));
        return;
      }
    }
    starts_.push_back(int(s));
  }
  relaid_.oldEnd = from + 1 + old.size();
  relaid_.newEnd = starts_.size();
}

}  // namespace user_detail
