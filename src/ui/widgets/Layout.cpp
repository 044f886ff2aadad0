// Layout arithmetic: radio group item placement, the desktop and centring on it.
#include "ui/widgets/Layout.h"

#include <algorithm>

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

TScreenPoint CentredIn(const TScreenRect& area, int width, int height) noexcept {
  return {area.left + (area.right - area.left - width) / 2, area.top + (area.bottom - area.top - height) / 2};
}

TScreenPoint CentredFormPosition(TPosition position, const TScreenMetrics& screen, int width, int height) noexcept {
  const TScreenRect primary{0, 0, screen.primary_width, screen.primary_height};
  if (position == TPosition::poDesktopCenter) {
    const TScreenRect& desktop = screen.virtual_screen;
    const bool known = desktop.right > desktop.left && desktop.bottom > desktop.top;
    return CentredIn(known ? desktop : primary, width, height);
  }
  const TScreenPoint centred = CentredIn(primary, width, height);
  return {std::max(0, centred.x), std::max(0, centred.y)};
}
