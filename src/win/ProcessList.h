// The running processes, through a Toolhelp snapshot.
#pragma once

#include <optional>

#include "base/ProcessSnapshot.h"

// The running processes with their owners; nothing when they cannot be listed or this program's own
// user cannot be read. On Windows 98 and Me, which have no process owners, every process is kNoOwners.
std::optional<ProcessSnapshot> ListRunningProcesses();
