// DLL search hardening, looked up at run time: SetDllDirectoryA arrived with Windows XP SP1 and
// SetDefaultDllDirectories with the KB2533623 update of Windows 7; a static import of either would
// stop the program from starting on the systems without them. Where both are missing (Windows 2000,
// 98, Me) there is nothing to harden and the program goes on.
#include "win/DllSearchHardening.h"

#include <windows.h>

#include "win/Kernel32Function.h"

void RestrictDllSearchToSystemDirectory() noexcept {
  // The current directory leaves the search order.
  if (const auto set_dll_directory = Kernel32Function<BOOL(WINAPI*)(LPCSTR)>("SetDllDirectoryA")) {
    set_dll_directory("");
  }
  constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32, hidden by Windows 2000 headers
  if (const auto set_default_dll_directories = Kernel32Function<BOOL(WINAPI*)(DWORD)>("SetDefaultDllDirectories")) {
    set_default_dll_directories(kSearchSystem32);
  }
}
