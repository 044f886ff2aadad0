// The tables of dialog kinds and button kinds.
#include "ui/dialog/MessageDialogTypes.h"

const ButtonKindInfo kButtonKinds[kButtonKindCount] = {
    {"Yes", 65373, 6},     {"No", 65374, 7},      {"OK", 65375, 1},      {"Cancel", 65344, 2},
    {"Abort", 65346, 3},   {"Retry", 65347, 4},   {"Ignore", 65348, 5},  {"All", 65349, 8},
    {"NoToAll", 65350, 9}, {"YesToAll", 65351, 10}, {"Help", 65345, 0},
};

const DialogKindInfo& DialogKindOf(MessageDialogKind kind) {
  // Icons: IDI_EXCLAMATION, IDI_HAND, IDI_ASTERISK, IDI_QUESTION; the custom kind has none.
  static const DialogKindInfo kKinds[] = {
      {65369, 32515}, {65370, 32513}, {65371, 32516}, {65372, 32514}, {0, 0},
  };
  const unsigned index = kind <= dkCustom ? kind : dkCustom;
  return kKinds[index];
}
