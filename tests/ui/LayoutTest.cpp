// The widget layer's arithmetic: density scaling with the system's rounding, radio item placement.
#include <gtest/gtest.h>

#include "ui/widgets/Layout.h"
#include "ui/widgets/MulDivRound.h"
#include "ui/widgets/WindowTree.h"

#include <map>

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

TEST(CentredFormPosition, TheWholeWindowOnThePrimaryScreenWhereTheSystemKnowsNoVirtualScreen) {
  // Windows 95 and NT 4.0 answer 0 for the virtual screen: the main window (357 x 256 outer) on a
  // 640 x 480 screen, and a dialog wider than the screen, which keeps its left edge on it.
  const TScreenMetrics old_system{{0, 0, 0, 0}, 640, 480};
  for (const TPosition position : {TPosition::poDesktopCenter, TPosition::poScreenCenter}) {
    const TScreenPoint at = CentredFormPosition(position, old_system, 357, 256);
    EXPECT_EQ(141, at.x);
    EXPECT_EQ(112, at.y);
  }
  EXPECT_EQ(0, CentredFormPosition(TPosition::poScreenCenter, old_system, 700, 200).x);
  // Two monitors side by side, the secondary on the left: the desktop spans both.
  const TScreenMetrics two_monitors{{-1024, 0, 1024, 768}, 1024, 768};
  EXPECT_EQ(-179, CentredFormPosition(TPosition::poDesktopCenter, two_monitors, 357, 256).x);
  EXPECT_EQ(333, CentredFormPosition(TPosition::poScreenCenter, two_monitors, 357, 256).x);
}

TEST(RootWindowOf, FollowsChildWindowsToTheirTopLevelWindowAndNeverAnOwner) {
  // A button in a group box on a page of the main form, which the hidden application window owns.
  enum Window { kNone, kApplication, kForm, kPage, kGroup, kButton };
  const std::map<int, int> parent{{kButton, kGroup}, {kGroup, kPage}, {kPage, kForm}, {kForm, kApplication}};
  const auto is_child = [](int window) { return window == kButton || window == kGroup || window == kPage; };
  const auto parent_of = [&](int window) { return parent.count(window) ? parent.at(window) : kNone; };
  for (const int window : {kButton, kGroup, kPage, kForm}) EXPECT_EQ(kForm, RootWindowOf(window, is_child, parent_of));
  EXPECT_EQ(kApplication, RootWindowOf(int{kApplication}, is_child, parent_of));
  EXPECT_EQ(kNone, RootWindowOf(int{kNone}, is_child, parent_of));
}

}  // namespace
