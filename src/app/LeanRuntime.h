// What the program's own throw helpers of the C++ runtime raise (LeanRuntime.cpp).
#pragma once

#include <exception>
#include <string>

// A failure of the standard library (a string asked for a position past its end, a length beyond
// its maximum). Deliberately no Exception: the program never expects one, so it goes to the fatal
// report under the name of the standard class it stands for, as the runtime's own object would; as
// for any object that is not an Exception, the report shows no message.
class EStandardFailure : public std::exception {
 public:
  EStandardFailure(const char* class_name, std::string message)
      : class_name_(class_name), message_(std::move(message)) {}
  const char* ClassName() const noexcept { return class_name_; }
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  const char* class_name_;
  std::string message_;
};
