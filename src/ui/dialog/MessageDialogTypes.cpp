// The tables of dialog kinds and button kinds.
#include "ui/dialog/MessageDialogTypes.h"

#include "base/ResourceStrings.h"

const ButtonKindInfo kButtonKinds[kButtonKindCount] = {
    {"Yes", kSButtonYes, mrYes},          {"No", kSButtonNo, mrNo},
    {"OK", kSButtonOK, mrOk},             {"Cancel", kSButtonCancel, mrCancel},
    {"Abort", kSButtonAbort, mrAbort},    {"Retry", kSButtonRetry, mrRetry},
    {"Ignore", kSButtonIgnore, mrIgnore}, {"All", kSButtonAll, mrAll},
    {"NoToAll", kSButtonNoToAll, mrNoToAll}, {"YesToAll", kSButtonYesToAll, mrYesToAll},
    {"Help", kSButtonHelp, mrNone},
};

const DialogKindInfo& DialogKindOf(MessageDialogKind kind) {
  static const DialogKindInfo kKinds[] = {
      {kSCaptionWarning, kIconExclamation}, {kSCaptionError, kIconHand},
      {kSCaptionInformation, kIconAsterisk}, {kSCaptionConfirmation, kIconQuestion},
      {0, 0},  // the custom kind: the application title, no icon
  };
  const unsigned index = kind <= dkCustom ? kind : dkCustom;
  return kKinds[index];
}
