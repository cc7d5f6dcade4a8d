// The line starts of a multi-line edit: lines end at CR LF and, when the edit wraps, a line
// wider than the room breaks after its last space that fits (inside a word that does not fit
// alone; a line keeps at least one character); spaces at a break stay on the upper line.
// Widths are sums of per-character advances, so each character is measured once, and an
// edit lays out again only the lines from a little before the change until the old lines
// line up again.
#pragma once

#include "platform/kernel/Types.h"

#include <array>
#include <cstdint>
#include <vector>

namespace user_detail {

class EditLineLayout {
 public:
  // Advances of the 256 character codes in the edit's font.
  using Advances = std::array<Integer, 256>;
  // No limit: lines end only at CR LF.
  static constexpr int64_t kNoWrap = INT64_MAX;

  // Lays the whole text out; `room` is the width a line may take (kNoWrap for none).
  void Build(const String& text, const Advances& advances, int64_t room);
  // The text changed: `removed` characters at `at` became `inserted` ones. Lays out the lines
  // the change can reach and keeps the others.
  void Edited(const String& text, size_t at, size_t removed, size_t inserted);
  const std::vector<int>& Starts() const { return starts_; }
  int64_t Room() const { return room_; }
  // The lines the last Edited laid out again: old lines [first, oldEnd) became new lines
  // [first, newEnd); those before stayed, those after are the old ones moved.
  struct Relaid {
    size_t first = 0, oldEnd = 0, newEnd = 0;
  };
  const Relaid& LastRelaid() const { return relaid_; }

 private:
  // The start of the line after the one starting at `start`, or SIZE_MAX after the last.
  size_t NextStart(const String& text, size_t start) const;

  Advances advances_{};
  int64_t room_ = kNoWrap;
  std::vector<int> starts_{0};
  Relaid relaid_;
};

}  // namespace user_detail
