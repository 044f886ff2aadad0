// DLL search hardening, looked up at run time: SetDllDirectoryA arrived with Windows XP SP1 and
// SetDefaultDllDirectories with the KB2533623 update of Windows 7; a static import of either would
// stop the program from starting on the systems without them.
#include "win/DllSearchHardening.h"

#include <windows.h>

#include <cstring>

#include "win/Kernel32Function.h"

namespace {

// The DLLs that the system loads by bare name after start-up, as installers met them on XP, Vista
// and 7: the theme library (for the first window and comctl32 6) and what the shell, COM and the
// security calls pull in. A name that this system lacks just fails to load.
constexpr const char* kSystemLoadedDlls[] = {
    "uxtheme.dll", "userenv.dll", "setupapi.dll", "apphelp.dll", "propsys.dll", "dwmapi.dll",
    "cryptbase.dll", "oleacc.dll", "clbcatq.dll", "ntmarta.dll", "version.dll"};

}  // namespace

HMODULE LoadSystemDll(const char* name) noexcept {
  char path[MAX_PATH + 16];  // the folder, a separator and the name
  const UINT length = GetSystemDirectoryA(path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  // No separator ends the folder unless it is a drive's root ("C:\").
  const UINT folder_end = length == 3 && path[2] == '\\' ? length : length + 1;
  const std::size_t name_size = std::strlen(name) + 1;
  if (name_size > sizeof path - folder_end) return nullptr;
  path[folder_end - 1] = '\\';
  std::memcpy(path + folder_end, name, name_size);
  // A DLL loaded by full path would look for its own imports in the program's folder first; with
  // the altered search order they come from its folder, the system folder.
  static const auto load_library_ex = Kernel32Function<decltype(&LoadLibraryExA)>("LoadLibraryExA");
  if (load_library_ex == nullptr) return LoadLibraryA(path);
  return load_library_ex(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

void PreloadSystemLoadedDlls() noexcept {
  // Never freed: the later loads by bare name must find them loaded.
  for (const char* name : kSystemLoadedDlls) LoadSystemDll(name);
}

void RestrictDllSearchToSystemDirectory() noexcept {
  if (const auto set_dll_directory = Kernel32Function<BOOL(WINAPI*)(LPCSTR)>("SetDllDirectoryA")) {
    set_dll_directory("");
  }
  constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32, hidden by Windows 2000 headers
  const auto set_default_dll_directories = Kernel32Function<BOOL(WINAPI*)(DWORD)>("SetDefaultDllDirectories");
  if (set_default_dll_directories == nullptr || !set_default_dll_directories(kSearchSystem32)) {
    PreloadSystemLoadedDlls();
  }
}
