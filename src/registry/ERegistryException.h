// The registry layer's exception: a value that could not be read or stored, or that is not text.
#pragma once

#include "base/Exception.h"

class ERegistryException : public Exception {
 public:
  using Exception::Exception;
  const char* ClassName() const noexcept override { return "ERegistryException"; }
};
