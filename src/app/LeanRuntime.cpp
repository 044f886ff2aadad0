// The C++ runtime's throw helpers for the program file. libstdc++ keeps all of them in one object
// that also drags in its exception classes, their copy-on-write strings and std::random_device
// (about 56 KB of the program file, measured). The program never expects these failures (a string
// or vector asked to exceed its maximum size, an index out of range); should one happen, it
// surfaces as an Exception that the last-resort report shows like any other.
#include <new>

#include "base/Exception.h"

namespace std {

void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_array_new_length(); }
void __throw_length_error(const char* what) { throw Exception(what); }
void __throw_logic_error(const char* what) { throw Exception(what); }
void __throw_out_of_range(const char* what) { throw Exception(what); }
void __throw_out_of_range_fmt(const char* what, ...) { throw Exception(what); }
void __throw_invalid_argument(const char* what) { throw Exception(what); }

}  // namespace std
