// The running processes: on the NT family from ntdll, on 95, 98 and Me through Toolhelp.
#pragma once

#include <optional>
#include <string>

#include "base/SystemFamily.h"
#include "ui/ProcessSnapshot.h"

// Which processes a list is for, by their file names as the system gives them.
using ProcessNameFilter = bool (*)(const std::string& exe_name);

// The running processes that wanted accepts, with their owners (only those are opened to read
// them); nothing when the processes cannot be listed or this program's own user cannot be read. On
// 95, 98 and Me, which have no process owners, every process is kNoOwners.
std::optional<ProcessSnapshot> ListRunningProcesses(SystemFamily family, ProcessNameFilter wanted);
