// Code page 932 text taken a character at a time, so that a trail byte that looks like an ASCII
// letter, a backslash or a percent sign is never taken for one: folding, splitting, cutting and
// filling templates.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>

// The text with its ASCII capitals in lower case; double-byte characters stay exactly as they are.
// Two texts are equal but for the case of ASCII letters when their folds are equal.
std::string FoldAsciiCase(std::string text);

// The part of a path after its last backslash separator (the whole text when it has none).
std::string FileNamePart(const std::string& path);

// Where the last character of text starts, a double-byte character counting as one; text.size()
// for the empty text. A lead byte followed by any byte makes one character, as the system's
// character walk takes it, so a trail byte 0x5C ("表", "ソ") is never mistaken for a character.
std::size_t LastCharacterStart(const std::string& text) noexcept;

// The text cut to at most limit bytes without splitting a double-byte character.
std::string CutText(const std::string& text, std::size_t limit);

// Fills each "%s", "%p" or "%x"-style placeholder of text_template with the next argument's text,
// and "%%" with "%". Placeholders beyond the arguments stay empty; no argument is ever read as a
// format, so outside text (a registry path, a value name) may hold any bytes, "%" included.
std::string FillTemplate(const std::string& text_template, std::initializer_list<std::string> arguments);
