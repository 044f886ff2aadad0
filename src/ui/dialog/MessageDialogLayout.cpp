// The message dialog's layout arithmetic, in pixels derived from dialog units of its font.
#include "ui/dialog/MessageDialogLayout.h"

#include <algorithm>

int TextWrapWidth(int screen_width) { return screen_width / 2; }

namespace {

constexpr int kIconSize = 32;

// Enter's button: OK, else Yes, else Retry; Escape's: Cancel, else No, else OK. A fallback that is
// not in the set means there is no such button.
int PickButton(MessageDialogButtons buttons, int first, int second, int fallback) {
  if (HasButton(buttons, first)) return first;
  if (HasButton(buttons, second)) return second;
  return HasButton(buttons, fallback) ? fallback : -1;
}

}  // namespace

MessageDialogLayout LayOutMessageDialog(MessageDialogKind kind, MessageDialogButtons buttons,
                                        const MessageDialogMetrics& metrics) {
  const int bx = metrics.char_width;
  const int by = metrics.char_height;
  const int horizontal_margin = MulDivRound(8, bx, 4);
  const int vertical_margin = MulDivRound(8, by, 8);
  const int horizontal_spacing = MulDivRound(10, bx, 4);
  const int vertical_spacing = MulDivRound(10, by, 8);
  const int button_height = MulDivRound(14, by, 8);
  const int button_spacing = MulDivRound(4, bx, 4);

  MessageDialogLayout layout;
  layout.button_width = MulDivRound(50, bx, 4);
  int button_count = 0;
  for (int button = 0; button < kButtonKindCount; ++button) {
    if (!HasButton(buttons, button)) continue;
    ++button_count;
    layout.button_width = std::max(layout.button_width, metrics.cached_button_widths[button]);
  }

  layout.has_icon = DialogKindOf(kind).icon_id != 0;
  const int text_width = metrics.text_width;
  const int text_height = metrics.text_height;
  const int block_width = layout.has_icon ? text_width + kIconSize + horizontal_spacing : text_width;
  const int block_height = layout.has_icon ? std::max(text_height, kIconSize) : text_height;
  const int row_width = button_count == 0 ? 0 : button_count * layout.button_width + (button_count - 1) * button_spacing;

  layout.client_width = std::max(block_width, row_width) + 2 * horizontal_margin;
  layout.client_height = block_height + button_height + vertical_spacing + 2 * vertical_margin;
  const int outer_width = layout.client_width + metrics.frame_width;
  const int outer_height = layout.client_height + metrics.frame_height;
  layout.left = metrics.screen_width / 2 - outer_width / 2;
  layout.top = metrics.screen_height / 2 - outer_height / 2;

  if (layout.has_icon) layout.icon = {horizontal_margin, vertical_margin, kIconSize, kIconSize};
  layout.message = {block_width - text_width + horizontal_margin, vertical_margin, text_width, text_height};

  layout.default_button = PickButton(buttons, mbOK, mbYes, mbRetry);
  layout.cancel_button = PickButton(buttons, mbCancel, mbNo, mbOK);

  // The row is centred: index order, left to right.
  int x = (layout.client_width - row_width) / 2;
  const int y = block_height + vertical_margin + vertical_spacing;
  for (int button = 0; button < kButtonKindCount; ++button) {
    if (!HasButton(buttons, button)) continue;
    layout.buttons.push_back({button, {x, y, layout.button_width, button_height}, button == layout.default_button,
                              button == layout.cancel_button});
    x += layout.button_width + button_spacing;
  }
  return layout;
}

std::string ComposeDialogText(const std::string& caption, const std::string& message,
                              const std::vector<std::string>& button_captions) {
  const std::string divider = std::string(27, '-') + "\r\n";
  std::string button_line;
  for (const std::string& button_caption : button_captions) button_line += button_caption + "   ";
  // '&' marks an accelerator; it is never the trail byte of a double-byte character.
  button_line.erase(std::remove(button_line.begin(), button_line.end(), '&'), button_line.end());
  return divider + caption + "\r\n" + divider + message + "\r\n" + divider + button_line + "\r\n" + divider;
}
