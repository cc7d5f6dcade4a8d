#include <gtest/gtest.h>

#include "platform/kernel/Types.h"

TEST(Types, RectEmptinessCountsInvertedAsEmpty) {
  EXPECT_TRUE(Rect(5, 5, 5, 10).IsEmpty());
  EXPECT_TRUE(Rect(5, 5, 4, 10).IsEmpty());
  EXPECT_FALSE(Rect(0, 0, 1, 1).IsEmpty());
  EXPECT_EQ(Bounds(2, 3, 10, 20), Rect(2, 3, 12, 23));
}

TEST(Types, PackedCoordinatesKeepTheirSign) {
  const LPARAM lp = MAKELPARAM(WORD(-5), WORD(7));
  EXPECT_EQ(GET_X_LPARAM(lp), -5);
  EXPECT_EQ(GET_Y_LPARAM(lp), 7);
}
