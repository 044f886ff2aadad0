// Which family of Windows runs the program.
#pragma once

#include <windows.h>

#include "base/SystemFamily.h"

inline SystemFamily RunningSystemFamily() noexcept {
  const DWORD version = GetVersion();
  if ((version & 0x80000000u) != 0) return SystemFamily::kWindows9x;  // the high bit marks 95, 98 and Me
  return LOBYTE(LOWORD(version)) < 5 ? SystemFamily::kNt4 : SystemFamily::kNt5AndLater;
}
