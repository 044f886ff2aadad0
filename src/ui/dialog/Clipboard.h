// Putting code page 932 text on the system clipboard as CF_TEXT, with its language (CF_LOCALE).
#pragma once

#include <windows.h>

#include <string>

// Opens the clipboard for the window owner, empties it and hands it a movable, shareable copy of
// text with its terminating NUL, and the Japanese locale as the text's language, so that the system
// makes the Unicode form for other programs from code page 932. The owner matters: a clipboard
// opened for no window gets no owner when it is emptied, and the system documents that
// SetClipboardData may then fail. Raises Exception with string 65339 when the clipboard cannot be
// opened (another program holds it open), and Exception when memory for the copy cannot be had or
// the clipboard refuses either block; the blocks are freed, the clipboard left empty rather than
// holding text without its language, and closed on every such path.
void PlaceTextOnClipboard(HWND owner, const std::string& text);
