// The kinds of message dialog and the buttons they can carry: captions, icons, names and results.
#pragma once

#include <cstdint>

#include "ui/widgets/FormDescription.h"  // TModalResult

enum MessageDialogKind : std::uint8_t { dkWarning = 0, dkError = 1, dkInformation = 2, dkConfirmation = 3, dkCustom = 4 };

// A set of buttons as a 16-bit word: bit (1 << index) stands for the button kind with that index.
using MessageDialogButtons = std::uint16_t;

enum MessageDialogButton : int {
  mbYes = 0, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp,
};
constexpr int kButtonKindCount = 11;

constexpr MessageDialogButtons ButtonBit(int button) { return static_cast<MessageDialogButtons>(1u << button); }
constexpr bool HasButton(MessageDialogButtons buttons, int button) { return (buttons & ButtonBit(button)) != 0; }
constexpr MessageDialogButtons mbOKCancel = ButtonBit(mbOK) | ButtonBit(mbCancel);  // 12

struct ButtonKindInfo {
  const char* component_name;
  int caption_id;  // string table
  TModalResult modal_result;
};
// Index order is the left-to-right order of a dialog's button row.
extern const ButtonKindInfo kButtonKinds[kButtonKindCount];

// The system icons of the kinds, by the values of IDI_HAND, IDI_QUESTION, IDI_EXCLAMATION and
// IDI_ASTERISK (this file is portable: no <windows.h>).
enum SystemIconId : int { kIconHand = 32513, kIconQuestion = 32514, kIconExclamation = 32515, kIconAsterisk = 32516 };

struct DialogKindInfo {
  int caption_id;  // 0: the application title
  int icon_id;     // a SystemIconId, 0: none
};
const DialogKindInfo& DialogKindOf(MessageDialogKind kind);
