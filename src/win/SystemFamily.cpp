// Which family of Windows runs the program, from what the system is.
#include "win/SystemFamily.h"

#include <windows.h>

#include <cstdint>

#include "win/Handles.h"

namespace {

constexpr std::uintptr_t kSharedArenaStart = 0x80000000u;

bool HasGlobalNamespace() noexcept {
  const UniqueKernelObject probe(OpenMutexA(SYNCHRONIZE, FALSE, "Global\\Quellmark.NamespaceProbe"));
  // Found after all: the namespace is there. Any answer but "not found" is taken for its absence,
  // which costs only the sharing of the lock across sessions; a namespace taken for there where it
  // is not would leave the lock unmade and every add refused.
  return probe || GetLastError() == ERROR_FILE_NOT_FOUND;
}

SystemFamily DetectSystemFamily() noexcept {
  if (reinterpret_cast<std::uintptr_t>(GetModuleHandleA("kernel32.dll")) >= kSharedArenaStart) {
    return SystemFamily::kWindows9x;
  }
  return HasGlobalNamespace() ? SystemFamily::kNt5AndLater : SystemFamily::kNt4;
}

}  // namespace

SystemFamily RunningSystemFamily() noexcept {
  static const SystemFamily family = DetectSystemFamily();
  return family;
}
