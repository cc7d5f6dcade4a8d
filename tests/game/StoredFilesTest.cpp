// The texts of the stored files read back: a stored value's fields, section names, size
// list items and game-number keys, and the name cleaned before it is stored.
#include "game/StoredFiles.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

auto Fields(const String& Value) {
  const TStoredResult r = ParseStoredResult(Value);
  return std::tuple(r.Readable, r.CellsLeft, r.Name, r.Moves);
}

TEST(StoredFiles, AStoredValueIsCutAtItsFirstTwoCommas) {
  EXPECT_EQ(Fields("3,Ann,(0,9)(3,4)"), std::tuple(true, 3, String("Ann"), String("(0,9)(3,4)")));
  EXPECT_EQ(Fields("12"), std::tuple(true, 12, String(), String()));
  EXPECT_EQ(Fields("7,Bob"), std::tuple(true, 7, String("Bob"), String()));
  EXPECT_EQ(Fields("1,,(1,2),x,y"), std::tuple(true, 1, String(), String("(1,2),x,y")));
  // Blanks and a sign may lead; a negative count is read as it stands.
  EXPECT_EQ(Fields(" -5,Z,"), std::tuple(true, -5, String("Z"), String()));
  // Not starting with a number: no stored result, the fields still cut.
  EXPECT_EQ(Fields("N/A,Ann,(0,0)"), std::tuple(false, 0, String("Ann"), String("(0,0)")));
  EXPECT_FALSE(ParseStoredResult("").Readable);
  EXPECT_FALSE(ParseStoredResult("99999999999,A,").Readable);

  EXPECT_EQ(StoredResultText(0, "Jo, Jr.\x01", "(1,1)"), "0,Jo Jr.,(1,1)");
  EXPECT_EQ(CleanPlayerName("  tab\there,\x7f\xe9 "), "  tabhere\xe9 ");
}

TEST(StoredFiles, SectionsAndItemsReadAsTwoNumbersWithinTheBoardsRanges) {
  Integer s = 0, c = 0;
  auto section = [&](const String& Name) {
    s = c = 0;
    const bool ok = ReadScoreSection(Name, s, c);
    return std::tuple(ok, s, c);
  };
  EXPECT_EQ(section("10,4"), std::tuple(true, 10, 4));
  EXPECT_EQ(section(" 10, 4abc"), std::tuple(true, 10, 4));
  EXPECT_EQ(section("5,2"), std::tuple(true, 5, 2));
  EXPECT_EQ(section("20,8"), std::tuple(true, 20, 8));
  for (const char* bad : {"4,4", "21,4", "10,1", "10,9", "-10,4", "10;4", "x,4", "10", ""})
    EXPECT_FALSE(std::get<0>(section(bad))) << bad;

  EXPECT_EQ(SizeItemText(12, 3), "Size: 12, Colors: 3");
  EXPECT_TRUE(ReadSizeItem("Size: 12, Colors: 3", s, c));
  EXPECT_EQ(std::pair(s, c), std::pair(12, 3));
  EXPECT_FALSE(ReadSizeItem("Size 12, Colors: 3", s, c));

  EXPECT_EQ(GameNumberOfKey("2611"), 2611);
  EXPECT_EQ(GameNumberOfKey("abc"), 0);
  EXPECT_EQ(GameNumberOfKey("12345"), 12345);
}

}  // namespace
