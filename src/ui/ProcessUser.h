// Whose a process is: the user of its access token, as a binary SID. The NT security calls are
// looked up at run time, since 95, 98 and Me lack them or carry only stubs, and have no owners.
#pragma once

#include <windows.h>

#include <optional>
#include <vector>

#include "base/SystemFamily.h"

using SidBytes = std::vector<unsigned char>;

// Whether this system has process owners and the calls to read them: the NT family. 95, 98 and Me
// carry stubs of the calls that only fail.
bool ProcessUsersReadable(SystemFamily family) noexcept;

// The user of process (a handle with query access), or nothing when its token cannot be read or
// processes have no owners here.
std::optional<SidBytes> ProcessUserOf(SystemFamily family, HANDLE process);

// This program's own user, from its own token: no process id to open, nothing to be refused.
inline std::optional<SidBytes> OwnProcessUser(SystemFamily family) {
  return ProcessUserOf(family, GetCurrentProcess());
}
