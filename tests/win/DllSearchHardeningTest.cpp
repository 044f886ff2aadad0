// The preload that runs where SetDefaultDllDirectories is missing, which under Wine is never by itself.
#include <gtest/gtest.h>
#include <windows.h>

#include "base/Cp932Text.h"
#include "win/DllSearchHardening.h"

TEST(DllSearchHardening, ThePreloadTakesTheSystemFoldersCopies) {
  char folder[MAX_PATH];
  const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
  ASSERT_GT(length, 0u);
  const char* const names[] = {"uxtheme.dll", "setupapi.dll", "version.dll"};
  for (const char* name : names) ASSERT_EQ(nullptr, GetModuleHandleA(name)) << name << " loaded already";
  PreloadSystemLoadedDlls();
  for (const char* name : names) {
    const HMODULE module = GetModuleHandleA(name);
    ASSERT_NE(nullptr, module) << name << " not loaded";
    char path[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameA(module, path, MAX_PATH), 0u);
    EXPECT_EQ(FoldAsciiCase(std::string(folder, length) + "\\" + name), FoldAsciiCase(path));
  }
}
