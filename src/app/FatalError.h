// The last-resort report for an exception that nothing caught, and for objects that are not an
// Exception: a task-modal box naming the object's class, the module and the offset of the fault.
#pragma once

#include <exception>

// Shows the fatal error box (texts 65513 and 65514) for object; address is where the fault is
// placed: the module that holds it and the offset from that module's base are named. Never throws.
void ShowFatalError(std::exception_ptr object, const void* address) noexcept;

// The return address of the call: a code address inside the function that calls this.
const void* CallerAddress() noexcept;
