// System functions that not every supported Windows has, looked up at run time: importing one by
// name would stop the program from loading on a system without it (Windows 2000, 98, Me). The same
// goes for functions that 98 and Me may lack or carry only as stubs (the NT security calls).
#pragma once

#include <windows.h>

// The function of that name in module, or null where module is null or lacks it.
template <typename Function>
Function ModuleFunction(HMODULE module, const char* name) noexcept {
  if (module == nullptr) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// The function of that name in a system DLL that the program imports (so it is loaded), or null
// where this system's copy lacks it.
template <typename Function>
Function LoadedDllFunction(const char* dll, const char* name) noexcept {
  return ModuleFunction<Function>(GetModuleHandleA(dll), name);
}

template <typename Function>
Function Kernel32Function(const char* name) noexcept {
  return LoadedDllFunction<Function>("kernel32.dll", name);
}
