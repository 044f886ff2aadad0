// Layout arithmetic of the widget layer that needs no window: the design density, the placement
// of a radio group's items, and where a form is centred.
#pragma once

#include "ui/widgets/FormDescription.h"

// The forms are laid out at this density; other densities scale every pixel value with MulDivRound.
constexpr int kDesignPixelsPerInch = 96;

struct TBounds {
  int left, top, width, height;
};

// Where item index of a one-column radio group of group_width x group_height sits inside the
// group: below the caption line (text_height high), items share the rest of the height equally,
// the remainder split above and below, and span the width less the frame.
TBounds RadioItemBounds(int index, int item_count, int group_width, int group_height, int text_height) noexcept;

// A rectangle of the screen: left and top inside, right and bottom outside.
struct TScreenRect {
  int left, top, right, bottom;
};
struct TScreenPoint {
  int x, y;
};

// The screen as the system's metrics describe it.
struct TScreenMetrics {
  TScreenRect virtual_screen;  // around every monitor; all 0 on Windows 95 and NT 4.0, which lack it
  int primary_width, primary_height;
};

// Where a width x height form that is centred when shown goes: poDesktopCenter centres it on the
// desktop, the virtual screen, or the primary screen where the system knows no virtual screen;
// poScreenCenter on the primary screen, with no edge above or left of it.
TScreenPoint CentredFormPosition(TPosition position, const TScreenMetrics& screen, int width, int height) noexcept;
// The top left corner of a width x height window centred in area.
TScreenPoint CentredIn(const TScreenRect& area, int width, int height) noexcept;
