// Where everything of a message dialog goes: a pure function of the font's metrics, the measured
// text and captions, the screen, the kind and the buttons, so that it is tested without windows.
#pragma once

#include <string>
#include <vector>

#include "ui/dialog/MessageDialogTypes.h"
#include "ui/widgets/MulDivRound.h"

struct DialogRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

struct MessageDialogMetrics {
  int char_width = 0;   // bx: the font's average character width
  int char_height = 0;  // by: the font's character height
  int text_width = 0;   // tw: the text measured word-wrapped at TextWrapWidth
  int text_height = 0;  // th
  int screen_width = 0;
  int screen_height = 0;
  int frame_width = 0;   // outer width minus client width of a dialog frame
  int frame_height = 0;  // outer height minus client height
  // The caption widths of every button kind, as the process-wide cache holds them (+8 each).
  int cached_button_widths[kButtonKindCount] = {};
};

struct PlacedButton {
  int kind;  // MessageDialogButton
  DialogRect bounds;
  bool is_default;
  bool is_cancel;
};

struct MessageDialogLayout {
  int client_width = 0;
  int client_height = 0;
  int left = 0;  // provisional outer position, centred on the primary screen
  int top = 0;
  bool has_icon = false;
  DialogRect icon;
  DialogRect message;
  int button_width = 0;
  std::vector<PlacedButton> buttons;  // index order, left to right
  int default_button = -1;            // the kind that Enter presses, or -1 when it is not in the set
  int cancel_button = -1;             // the kind that Escape presses, or -1
};

// The right edge of the rectangle the text is measured in: half the primary screen's width.
int TextWrapWidth(int screen_width);

MessageDialogLayout LayOutMessageDialog(MessageDialogKind kind, MessageDialogButtons buttons,
                                        const MessageDialogMetrics& metrics);

// The text Ctrl+C puts on the clipboard: caption, message and button captions between divider lines.
std::string ComposeDialogText(const std::string& caption, const std::string& message,
                              const std::vector<std::string>& button_captions);
