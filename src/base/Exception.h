// The program's exception classes: Exception carries one message text, EAbort is the silent one.
#pragma once

#include <exception>
#include <string>

class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : message_(std::move(message)) {}
  ~Exception() override = default;

  const std::string& Message() const noexcept { return message_; }
  const char* what() const noexcept override { return message_.c_str(); }

  // The class name that error reports show; every subclass overrides it.
  virtual const char* ClassName() const noexcept { return "Exception"; }

 private:
  std::string message_;
};

// Ends a handler quietly: the application's error report never shows it.
class EAbort : public Exception {
 public:
  using Exception::Exception;
  const char* ClassName() const noexcept override { return "EAbort"; }
};
