// Putting text on the system clipboard as CF_TEXT.
#pragma once

#include <string>

// Opens the clipboard (no owner window), empties it and hands it a movable, shareable copy of text
// with its terminating NUL. Raises Exception with string 65339 when the clipboard cannot be opened
// (another program holds it open), and Exception when memory for the copy cannot be had or the
// clipboard refuses it; the copy is freed and the clipboard closed on every such path.
void PlaceTextOnClipboard(const std::string& text);
