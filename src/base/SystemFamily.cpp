// Which family of Windows runs the program, from where the system maps kernel32.
#include "base/SystemFamily.h"

#include <windows.h>

#include <cstdint>

namespace {

constexpr std::uintptr_t kSharedArenaStart = 0x80000000u;

SystemFamily DetectSystemFamily() noexcept {
  const auto kernel32 = reinterpret_cast<std::uintptr_t>(GetModuleHandleA("kernel32.dll"));
  return kernel32 >= kSharedArenaStart ? SystemFamily::kWindows9x : SystemFamily::kWindowsNt;
}

}  // namespace

SystemFamily RunningSystemFamily() noexcept {
  static const SystemFamily family = DetectSystemFamily();
  return family;
}
