// The preloads that run where SetDefaultDllDirectories is missing, which under Wine is never by
// themselves: the window's at start, the shell's just before shell32 when the home-page command
// loads it (OpenInShell), each from the system folder. This program never restricts the search.
#include <gtest/gtest.h>
#include <windows.h>
#include <psapi.h>

#include <algorithm>

#include "base/Cp932Text.h"
#include "base/DllSearchHardening.h"
#include "ui/ShellOpen.h"

namespace {

void ExpectFromSystemFolder(const char* name) {
  char folder[MAX_PATH];
  const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
  ASSERT_GT(length, 0u);
  const HMODULE module = GetModuleHandleA(name);
  ASSERT_NE(nullptr, module) << name << " not loaded";
  char path[MAX_PATH] = {};
  ASSERT_GT(GetModuleFileNameA(module, path, MAX_PATH), 0u);
  EXPECT_EQ(FoldAsciiCase(std::string(folder, length) + "\\" + name), FoldAsciiCase(path));
}

// The module's place among the process's modules, listed in the order they were loaded.
std::ptrdiff_t LoadPosition(const char* name) {
  HMODULE modules[512];
  DWORD size = 0;
  EnumProcessModules(GetCurrentProcess(), modules, sizeof modules, &size);
  return std::find(modules, modules + size / sizeof(HMODULE), GetModuleHandleA(name)) - modules;
}

TEST(DllSearchHardening, StartLoadsTheWindowsDllsAndTheClickTheShells) {
  const char* const window[] = {"uxtheme.dll"};
  const char* const shell[] = {"setupapi.dll", "oleacc.dll", "userenv.dll"};  // not version: Wine's uxtheme imports it
  for (const char* name : window) ASSERT_EQ(nullptr, GetModuleHandleA(name)) << name << " loaded already";
  for (const char* name : shell) ASSERT_EQ(nullptr, GetModuleHandleA(name)) << name << " loaded already";
  PreloadSystemLoadedDlls();
  for (const char* name : window) ExpectFromSystemFolder(name);
  for (const char* name : shell) EXPECT_EQ(nullptr, GetModuleHandleA(name)) << name << " loaded at start";
  OpenInShell("quellmark-test:");  // a scheme that nothing handles
  ASSERT_NE(nullptr, GetModuleHandleA("shell32.dll"));
  for (const char* name : shell) {
    ExpectFromSystemFolder(name);
    EXPECT_LT(LoadPosition(name), LoadPosition("shell32.dll")) << name << " loaded after shell32";
  }
}

}  // namespace
