// The move-list reader of replays: which items play, which are skipped and where a
// replay ends.
#include "game/Replay.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Every item the reader takes: "x,y" for one that reads, "skip" for one that does not.
std::vector<std::string> ReadAll(const String& text, String* rest = nullptr) {
  TReplayReader r(text);
  std::vector<std::string> out;
  while (r.HasItem()) {
    Integer x = -7, y = -7;
    out.push_back(r.Take(x, y) ? std::to_string(x) + "," + std::to_string(y) : "skip");
    if (out.size() > 100) break;
  }
  if (rest) *rest = r.Rest();
  return out;
}

using V = std::vector<std::string>;

TEST(ReplayReader, ItemsReadAsTwoIntegersOrAreSkipped) {
  EXPECT_EQ(ReadAll("(0,0)(12,3)(19,19)"), (V{"0,0", "12,3", "19,19"}));
  // Blanks and a sign before each number, anything after the second one.
  EXPECT_EQ(ReadAll("( 3, 4)(3,4junk)(-1,+2)(\t5,\n6 )"), (V{"3,4", "3,4", "-1,2", "5,6"}));
  // Not two numbers with the comma right after the first: skipped, the rest goes on.
  EXPECT_EQ(ReadAll("(a,b)(3 ,4)(3)(,4)(3,)()(1,2)"), (V{"skip", "skip", "skip", "skip", "skip", "skip", "1,2"}));
  // Numbers beyond an int32 stay beyond any board.
  EXPECT_EQ(ReadAll("(99999999999,1)(1,-99999999999)"), (V{"2147483647,1", "1,-2147483648"}));
}

TEST(ReplayReader, AnItemNotStartingWithAnOpeningBracketEndsTheReplay) {
  String rest;
  EXPECT_EQ(ReadAll("", &rest), V{});
  EXPECT_EQ(ReadAll("(1,2) (3,4)", &rest), (V{"1,2"}));
  EXPECT_EQ(rest, " (3,4)");
  EXPECT_EQ(ReadAll("x(1,2)"), V{});
  // Without a closing bracket only the "(" goes, and the replay ends after it.
  EXPECT_EQ(ReadAll("(1,2)(3,4", &rest), (V{"1,2", "skip"}));
  EXPECT_EQ(rest, "3,4");
  EXPECT_EQ(ReadAll("((1,2))(5,6)", &rest), (V{"skip"}));
  EXPECT_EQ(rest, ")(5,6)");
}

}  // namespace
