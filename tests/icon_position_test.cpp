#include "app/icon_position.h"

#include <gtest/gtest.h>

TEST(CentredIconOffset, RoundsAHalfPixelDownRightAndTruncatesTowardZero) {
  EXPECT_EQ(CentredIconOffset(32, 32), 0);
  EXPECT_EQ(CentredIconOffset(33, 32), 1);
  EXPECT_EQ(CentredIconOffset(30, 32), 0);   // -1 / 2 truncates to 0
  EXPECT_EQ(CentredIconOffset(29, 32), -1);  // -2 / 2
  EXPECT_EQ(CentredIconOffset(100, 32), 34);
}
