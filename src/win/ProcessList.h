// The running processes: on the NT family from ntdll, on 95, 98 and Me through Toolhelp.
#pragma once

#include <optional>

#include "base/ProcessSnapshot.h"

// The running processes with their owners; nothing when they cannot be listed or this program's own
// user cannot be read. On Windows 95, 98 and Me, which have no process owners, every process is
// kNoOwners.
std::optional<ProcessSnapshot> ListRunningProcesses();
