// The shell, loaded when it is first asked for.
#include "ui/ShellOpen.h"

#include <windows.h>
#include <shellapi.h>

#include "base/DllSearchHardening.h"
#include "base/SystemFunction.h"

bool OpenInShell(const char* address) noexcept {
  // Loaded once and kept to the end of the process: the shell may go on working in threads of its
  // own after the call returns.
  // What the shell loads by bare name is taken from the system folder first, where the search still
  // includes the program's folder.
  static const HMODULE shell = (PreloadShellLoadedDlls(), LoadSystemDll("shell32.dll"));
  const auto shell_execute = SystemFunction<decltype(&ShellExecuteA)>(shell, "ShellExecuteA");
  if (shell_execute == nullptr) return false;
  // Above 32 is success; the rest are the shell's error codes.
  return reinterpret_cast<INT_PTR>(shell_execute(nullptr, "open", address, nullptr, nullptr, SW_SHOW)) > 32;
}
