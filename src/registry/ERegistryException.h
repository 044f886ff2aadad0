// The registry layer's exception: a value or key that could not be read, stored or opened, or a
// value that is not text.
#pragma once

#include <string>

#include "base/Exception.h"

class ERegistryException : public Exception {
 public:
  using Exception::Exception;
  const char* ClassName() const noexcept override { return "ERegistryException"; }
};

// Raises ERegistryException with the string table's text message_id, argument (the value or key
// that failed) in place of its "%s".
[[noreturn]] void RaiseRegistryError(int message_id, const std::string& argument);
