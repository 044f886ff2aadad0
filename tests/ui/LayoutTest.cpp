// The widget layer's arithmetic: density scaling with the system's rounding, radio item placement.
#include <gtest/gtest.h>

#include "base/MulDivRound.h"
#include "ui/widgets/Layout.h"

namespace {

TEST(MulDivRound, ScalesTheMainWindowsValuesToTheDensity) {
  // The client area at 120 and 144 dpi, and the font height, which must stay negative.
  EXPECT_EQ(424, MulDivRound(339, 120, kDesignPixelsPerInch));  // 423.75
  EXPECT_EQ(271, MulDivRound(217, 120, kDesignPixelsPerInch));  // 271.25
  EXPECT_EQ(509, MulDivRound(339, 144, kDesignPixelsPerInch));  // 508.5 rounds up
  EXPECT_EQ(-15, MulDivRound(-12, 120, kDesignPixelsPerInch));
  EXPECT_EQ(-18, MulDivRound(-12, 144, kDesignPixelsPerInch));
  EXPECT_EQ(339, MulDivRound(339, 96, kDesignPixelsPerInch));
}

TEST(RadioItemBounds, ShareTheHeightBelowTheCaption) {
  // RadioGroup1 at 96 dpi with a 12-pixel font: two items of 24 pixels from y = 13.
  const TBounds first = RadioItemBounds(0, 2, 185, 65, 12);
  const TBounds second = RadioItemBounds(1, 2, 185, 65, 12);
  EXPECT_EQ(8, first.left);
  EXPECT_EQ(13, first.top);
  EXPECT_EQ(175, first.width);
  EXPECT_EQ(24, first.height);
  EXPECT_EQ(37, second.top);
}

TEST(RadioItemBounds, ItemsTouchAndStayInsideTheFrame) {
  for (int count = 1; count <= 5; ++count) {
    for (int height = 40; height <= 120; ++height) {
      int previous_bottom = -1;
      for (int index = 0; index < count; ++index) {
        const TBounds item = RadioItemBounds(index, count, 185, height, 15);
        if (previous_bottom >= 0) {
          EXPECT_EQ(previous_bottom, item.top) << count << " items, height " << height;
        }
        EXPECT_GT(item.top, 15);
        EXPECT_LE(item.top + item.height, height - 4) << count << " items, height " << height;
        previous_bottom = item.top + item.height;
      }
    }
  }
}

TEST(RadioItemBounds, NoItemsNoDivision) {
  EXPECT_EQ(0, RadioItemBounds(0, 0, 185, 65, 12).height);
}

}  // namespace
