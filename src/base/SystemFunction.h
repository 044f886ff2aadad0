// System functions that not every supported Windows has, looked up at run time: importing one by
// name would stop the program from loading on a system without it (Windows 2000, 98, Me, NT 4.0).
// The same goes for functions that 95, 98 and Me lack or carry only as stubs (the NT security
// calls), and for those of DLLs that the program loads itself (shell32, comctl32).
#pragma once

#include <windows.h>

// The function of that name in module, or null where module is null or lacks it.
template <typename Function>
Function SystemFunction(HMODULE module, const char* name) noexcept {
  if (module == nullptr) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// The function of that name in dll, a system DLL already loaded into the process ("kernel32.dll"),
// or null where it is not loaded or this system's copy lacks the function.
template <typename Function>
Function SystemFunction(const char* dll, const char* name) noexcept {
  return SystemFunction<Function>(GetModuleHandleA(dll), name);
}
