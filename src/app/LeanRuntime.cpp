// The program's replacements for parts of the C++ runtime, for the size of the program file.
// libstdc++ keeps its throw helpers in one object that also drags in its exception classes, their
// copy-on-write strings and std::random_device (about 56 KB, measured); these raise
// EStandardFailure instead, which the fatal report shows as it would the runtime's own object. Its
// default terminate handler prints the demangled type to stderr, which a windowed program does not
// have, and brings the runtime's demangler (about 77 KB); our own handler is installed first thing
// in the entry, so this one only serves a failure before that. std::string's members are instantiated
// here, compiled for the program's processor floor, rather than taken from libstdc++'s prebuilt
// string-inst.o (compiled for the Pentium Pro, about 30 KB more).
#include <cstdarg>
#include <cstdlib>
#include <new>
#include <string>

#include "app/LeanRuntime.h"
#include "base/HexText.h"

namespace {

// The runtime's own message formats use "%s", "%zu" and "%%" only, as its own formatter knows them.
std::string FormatRuntimeMessage(const char* format, va_list arguments) {
  std::string text;
  for (const char* at = format; *at != '\0'; ++at) {
    if (at[0] == '%' && at[1] == 's') {
      const char* argument = va_arg(arguments, const char*);
      text += argument != nullptr ? argument : "";
      ++at;
    } else if (at[0] == '%' && at[1] == 'z' && at[2] == 'u') {
      text += NumberText(va_arg(arguments, std::size_t), 10);  // std::to_string would bring a table of its own
      at += 2;
    } else if (at[0] == '%' && at[1] == '%') {
      text += '%';
      ++at;
    } else {
      text += *at;
    }
  }
  return text;
}

}  // namespace

template class std::basic_string<char>;

namespace std {

void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_array_new_length(); }
void __throw_length_error(const char* what) { throw EStandardFailure("std::length_error", what); }
void __throw_logic_error(const char* what) { throw EStandardFailure("std::logic_error", what); }
void __throw_out_of_range(const char* what) { throw EStandardFailure("std::out_of_range", what); }
void __throw_out_of_range_fmt(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  std::string message = FormatRuntimeMessage(format, arguments);
  va_end(arguments);
  throw EStandardFailure("std::out_of_range", std::move(message));
}
void __throw_invalid_argument(const char* what) { throw EStandardFailure("std::invalid_argument", what); }

}  // namespace std

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
