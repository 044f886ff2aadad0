// The texts of the application's error reports, composed without any Win32 call so they can be
// checked anywhere: the error box's closing period and the fatal error report.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/Cp932Text.h"

// The error box's text: "." is appended when the last character, compared as a string, is
// greater than "." - every double-byte character and every single byte above 0x2E. Text that
// already ends in ".", ",", ")", "!", a blank or a line break, and the empty text, stay as they are.
std::string WithClosingPeriod(const std::string& message);

// The fatal error report's text from its template (string 65513): the class name, the module's
// file name (taken from module_path), the offset as 8 upper-case hexadecimal digits, the message,
// and a "." when the message is not empty and its last byte is not "." (a plain byte test). The
// arguments are put in by plain concatenation, so a "%" in any of them stays as it is. The result
// is cut at kFatalErrorTextLimit bytes, never between the two bytes of a double-byte character.
constexpr std::size_t kFatalErrorTextLimit = 1024;
std::string ComposeFatalErrorText(const std::string& text_template, const std::string& class_name,
                                  const std::string& module_path, std::uint32_t offset,
                                  const std::string& message);

// A type's name as the compiler's type information spells it (Itanium C++ ABI mangling), made
// readable: built-in types ("i" is "int"), names in namespaces and std, pointers, references and
// const ("PKc" is "char const*"). A name outside that subset comes back as it is.
std::string DemangledTypeName(const std::string& mangled);
