// Layout arithmetic of the widget layer that needs no window: the design density and the placement
// of a radio group's items.
#pragma once

// The forms are laid out at this density; other densities scale every pixel value with MulDivRound.
constexpr int kDesignPixelsPerInch = 96;

struct TBounds {
  int left, top, width, height;
};

// Where item index of a one-column radio group of group_width x group_height sits inside the
// group: below the caption line (text_height high), items share the rest of the height equally,
// the remainder split above and below, and span the width less the frame.
TBounds RadioItemBounds(int index, int item_count, int group_width, int group_height, int text_height) noexcept;
