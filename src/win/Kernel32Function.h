// kernel32 functions that not every supported Windows has, looked up at run time: importing one
// by name would stop the program from loading on a system without it (Windows 2000, 98, Me).
#pragma once

#include <windows.h>

// The function of that name, or null where this system's kernel32 lacks it.
template <typename Function>
Function Kernel32Function(const char* name) noexcept {
  const HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
  if (kernel32 == nullptr) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(kernel32, name)));
}
