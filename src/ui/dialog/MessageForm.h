// The message dialog: a TMessageForm built at run time to fit its text, shown modally and destroyed,
// with Ctrl+C copying its text. The arithmetic of its layout lives in MessageDialogLayout.
#pragma once

#include <windows.h>

#include <string>

#include "ui/dialog/MessageDialogLayout.h"
#include "ui/dialog/MessageDialogTypes.h"
#include "ui/widgets/Forms.h"

// The caption width + 8 of every button kind, measured the first time a dialog with that button is
// built and kept for the rest of the process, even if the system's font changes meanwhile.
extern int ButtonWidthCache[kButtonKindCount];

class TMessageForm : public TForm {
 public:
  // A dialog frame owned by the application window, in the system's message-box font when the
  // system tells it, else in the font every new form gets.
  TMessageForm();

  // The label that shows the text ("Message"); set while the dialog is built.
  TLabel* Message = nullptr;
  // The help topic of the Help button: a context number in a help file.
  int HelpContext = 0;
  std::string HelpFile;

  // Ctrl+C (Ctrl alone held): a beep, then the dialog's text on the clipboard. The key goes on to
  // the focused button either way. Raises Exception when the clipboard cannot be opened.
  void DialogKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);
  // The Help button: shows the topic HelpContext of HelpFile (the program itself has no help).
  void DialogHelpClick(TObject* Sender);

  // The caption, the label's text and the buttons' captions, in component order, between dividers.
  std::string ComposeDialogText() const;
  // CF_TEXT on the clipboard, opened with the dialog as its owner; see Clipboard.h.
  void PlaceTextOnClipboard(const std::string& text) const;
};

// The dialog units of the font selected into dc: the average width of "A".."Z" "a".."z" (remainder
// dropped) and the height of that string.
SIZE GetAverageCharSize(HDC dc);

// A dialog built and laid out but not shown; the caller owns it.
std::unique_ptr<TMessageForm> BuildMessageDialog(const std::string& text, MessageDialogKind kind, MessageDialogButtons buttons);

// Shows the dialog centred on the screen and returns the result of the button that closed it
// (mrCancel for the close box and Alt+F4).
TModalResult ShowMessageDialog(const std::string& text, MessageDialogKind kind, MessageDialogButtons buttons,
                               int help_context);
// X and Y place the dialog's outer top-left corner; a negative one keeps the built (centred) place
// on that axis, and with both negative the dialog is centred again when it is shown. The dialog is
// destroyed on every way out.
TModalResult ShowMessageDialogAt(const std::string& text, MessageDialogKind kind, MessageDialogButtons buttons,
                                 int help_context, int x, int y, const std::string& help_file);
