// Layout arithmetic: radio group item placement.
#include "ui/widgets/Layout.h"

TBounds RadioItemBounds(int index, int item_count, int group_width, int group_height, int text_height) noexcept {
  constexpr int kFrameLeft = 8;        // room for the frame line and a little air on the left
  constexpr int kFrameWidth = 10;      // both frame lines together
  constexpr int kBelowItems = 5;       // the bottom frame line and its air
  if (item_count <= 0) return {kFrameLeft, text_height, 0, 0};
  const int available = group_height - text_height - kBelowItems;
  const int item_height = available / item_count;
  const int first_top = text_height + 1 + (available % item_count) / 2;
  return {kFrameLeft, first_top + index * item_height, group_width - kFrameWidth, item_height};
}
