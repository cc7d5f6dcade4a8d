#include "game/Replay.h"

#include <cstdlib>

namespace {

// One "%d" at p: blanks, an optional sign, at least one digit. A number too large for
// an int32 reads as the nearest bound, which no board holds.
bool ReadInt(const String& s, size_t& p, Integer& out) {
  while (p < s.size() && (s[p] == ' ' || (s[p] >= '\t' && s[p] <= '\r'))) ++p;
  bool negative = false;
  if (p < s.size() && (s[p] == '+' || s[p] == '-')) negative = s[p++] == '-';
  const size_t first = p;
  long long v = 0;
  while (p < s.size() && s[p] >= '0' && s[p] <= '9') {
    if (v <= 0x7FFFFFFFLL) v = v * 10 + (s[p] - '0');
    ++p;
  }
  if (p == first) return false;
  if (negative) v = -v;
  out = Integer(std::max<long long>(-0x7FFFFFFFLL - 1, std::min<long long>(v, 0x7FFFFFFFLL)));
  return true;
}

}  // namespace

bool TReplayReader::Take(Integer& Column, Integer& Row) {
  if (FText.empty()) return false;
  FText.erase(0, 1);
  const size_t close = FText.find(')');
  String item;
  if (close != String::npos) {
    item = FText.substr(0, close);
    FText.erase(0, close + 1);
  }
  size_t p = 0;
  Integer x = 0, y = 0;
  if (!ReadInt(item, p, x) || p >= item.size() || item[p] != ',') return false;
  ++p;
  if (!ReadInt(item, p, y)) return false;
  Column = x;
  Row = y;
  return true;
}
