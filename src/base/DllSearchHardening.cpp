// DLL search hardening, looked up at run time: SetDllDirectoryA arrived with Windows XP SP1 and
// SetDefaultDllDirectories with the KB2533623 update of Windows 7; a static import of either would
// stop the program from starting on the systems without them.
#include "base/DllSearchHardening.h"

#include <windows.h>

#include <cstring>

#include "base/SystemFunction.h"

namespace {

// The DLLs that the system loads by bare name for the window: the theme library, which the first
// window pulls in (comctl32 6 and user32, XP and later). A name that this system lacks just fails to
// load. (imm32 and the input method come earlier, with user32, and from the system folder.)
constexpr const char* kWindowLoadedDlls[] = {"uxtheme.dll"};
// What the shell, COM and the security calls load by bare name, as installers met them on XP, Vista
// and 7 (accessibility's oleacc too, which the shell's own windows bring); needed only once shell32 is.
constexpr const char* kShellLoadedDlls[] = {"userenv.dll", "setupapi.dll", "apphelp.dll", "propsys.dll",
                                            "dwmapi.dll",  "cryptbase.dll", "oleacc.dll", "clbcatq.dll",
                                            "ntmarta.dll", "version.dll"};

// Whether every later load by bare name searches the system folder only (SetDefaultDllDirectories
// took effect), so that no preload is needed.
bool search_restricted = false;

template <std::size_t Count>
void Preload(const char* const (&names)[Count]) noexcept {
  // Never freed: the later loads by bare name must find them loaded.
  for (const char* name : names) LoadSystemDll(name);
}

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
  static const auto load_library_ex = SystemFunction<decltype(&LoadLibraryExA)>("kernel32.dll", "LoadLibraryExA");
  if (load_library_ex == nullptr) return LoadLibraryA(path);
  return load_library_ex(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

void PreloadSystemLoadedDlls() noexcept { Preload(kWindowLoadedDlls); }

void PreloadShellLoadedDlls() noexcept {
  if (!search_restricted) Preload(kShellLoadedDlls);
}

void RestrictDllSearchToSystemDirectory() noexcept {
  if (const auto set_dll_directory = SystemFunction<BOOL(WINAPI*)(LPCSTR)>("kernel32.dll", "SetDllDirectoryA")) {
    set_dll_directory("");
  }
  constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32, hidden by Windows 2000 headers
  const auto set_default_dll_directories = SystemFunction<BOOL(WINAPI*)(DWORD)>("kernel32.dll", "SetDefaultDllDirectories");
  search_restricted = set_default_dll_directories != nullptr && set_default_dll_directories(kSearchSystem32);
  if (!search_restricted) PreloadSystemLoadedDlls();
}
