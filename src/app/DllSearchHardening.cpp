// DLL search hardening, looked up at run time: SetDefaultDllDirectories is missing on systems
// without the KB2533623 update, and a static import of it would stop the program from starting there.
#include "app/DllSearchHardening.h"

#include <windows.h>

void RestrictDllSearchToSystemDirectory() noexcept {
  // The current directory leaves the search order in every case.
  SetDllDirectoryA("");

  using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
  const HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
  if (kernel32 == nullptr) return;
  const auto set_default_dll_directories = reinterpret_cast<SetDefaultDllDirectoriesFunction>(
      reinterpret_cast<void (*)()>(GetProcAddress(kernel32, "SetDefaultDllDirectories")));
  if (set_default_dll_directories != nullptr) set_default_dll_directories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}
