// Layout arithmetic: density scaling and radio group item placement.
#include "ui/widgets/Layout.h"

#include <climits>
#include <cstdint>

int MulDivRound(int number, int numerator, int denominator) noexcept {
  if (denominator == 0) return -1;
  std::int64_t product = static_cast<std::int64_t>(number) * numerator;
  const bool negative = (product < 0) != (denominator < 0);
  std::int64_t magnitude = product < 0 ? -product : product;
  const std::int64_t divisor = denominator < 0 ? -static_cast<std::int64_t>(denominator) : denominator;
  magnitude = (magnitude + divisor / 2) / divisor;
  const std::int64_t result = negative ? -magnitude : magnitude;
  if (result > INT_MAX || result < INT_MIN) return -1;
  return static_cast<int>(result);
}

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
