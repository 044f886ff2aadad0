// MulDiv's rounding without the system: halves away from zero, the product in 64 bits.
#include <gtest/gtest.h>

#include <climits>

#include "ui/widgets/MulDivRound.h"

namespace {

TEST(MulDivRound, RoundsHalvesAwayFromZero) {
  EXPECT_EQ(2, MulDivRound(1, 144, 96));    // 1.5
  EXPECT_EQ(-2, MulDivRound(-1, 144, 96));  // -1.5
  EXPECT_EQ(3, MulDivRound(5, 1, 2));
  EXPECT_EQ(-3, MulDivRound(-5, 1, 2));
  EXPECT_EQ(-3, MulDivRound(5, 1, -2));
  EXPECT_EQ(1, MulDivRound(4, 1, 3));       // 1.33
  EXPECT_EQ(23, MulDivRound(14, 13, 8));    // 22.75
  EXPECT_EQ(19, MulDivRound(14, 11, 8));    // 19.25
}

TEST(MulDivRound, KeepsTheProductIn64Bits) {
  EXPECT_EQ(1000000000, MulDivRound(1000000000, 1000000, 1000000));
  EXPECT_EQ(0x40000000, MulDivRound(0x40000000, 8, 8));
  EXPECT_EQ(-1, MulDivRound(INT_MAX, 2, 1));
  EXPECT_EQ(-1, MulDivRound(7, 1, 0));
}

}  // namespace
