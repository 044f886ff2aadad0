// Folding and splitting code page 932 text a character at a time, so that a trail byte that looks
// like an ASCII letter or a backslash is never taken for one.
#pragma once

#include <string>

// The text with its ASCII capitals in lower case; double-byte characters stay exactly as they are.
// Two texts are equal but for the case of ASCII letters when their folds are equal.
std::string FoldAsciiCase(std::string text);

// Whether any byte is outside ASCII.
bool HasNonAscii(const std::string& text);

// The part of a path after its last backslash separator (the whole text when it has none).
std::string FileNamePart(const std::string& path);
