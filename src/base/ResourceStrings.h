// Looks up the program's string table by id. The Windows builds read their own resources
// (LoadStringA); the portable build carries a table compiled from the same source.
#pragma once

#include <string>

enum ResourceStringId : int {
  // The rule store's own failures, each naming what failed.
  kSNoIdentity = 1001,
  kSOpenStoreFailed = 1002,
  kSOpenKeyFailed = 1003,
  kSListSubkeysFailed = 1004,
  kSRuleKeyExists = 1005,
  kSRollbackFailed = 1006,
  kSRemnantNotDeleted = 1007,
  kSAnotherCopyWriting = 1008,
  // The writer lock could not be made: whether another copy writes cannot be told.
  kSWriterLockUnavailable = 1020,
  // The add command on a system whose ANSI code page is not 932, in words every system can show.
  kSSystemNotJapanese = 1021,
  // Names and texts that code page 932 cannot hold: refused rather than rewritten with substitutes.
  kSKeyNameNotInCodePage = 1010,
  kSTextNotInCodePage = 1011,
  kSRuleNameUnreadable = 1012,
  // Ctrl+C in a message dialog: the clipboard took no text.
  kSClipboardRefused = 1013,
  // The add command refuses to write while the mail client runs.
  kSMailClientRunning = 1014,
  kSClipboardOpenFailed = 65339,
  // The message dialogs' buttons and captions.
  kSButtonCancel = 65344,
  kSButtonHelp = 65345,
  kSButtonAbort = 65346,
  kSButtonRetry = 65347,
  kSButtonIgnore = 65348,
  kSButtonAll = 65349,
  kSButtonNoToAll = 65350,
  kSButtonYesToAll = 65351,
  kSCaptionWarning = 65369,
  kSCaptionError = 65370,
  kSCaptionInformation = 65371,
  kSCaptionConfirmation = 65372,
  kSButtonYes = 65373,
  kSButtonNo = 65374,
  kSButtonOK = 65375,
  kSReadValueFailed = 65413,
  kSWriteValueFailed = 65414,
  kSInvalidValueType = 65437,
  kSFatalErrorText = 65513,
  kSFatalErrorCaption = 65514,
};

// The code page 932 text of the entry, or the empty text when the table has none.
std::string ResourceString(int id);
