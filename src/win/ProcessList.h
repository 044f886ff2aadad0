// The running processes, through a Toolhelp snapshot.
#pragma once

#include <optional>

#include "base/ProcessSnapshot.h"

// The running processes; nothing when they cannot be listed. Where the system cannot tell sessions
// apart (Windows 98 and Me have none), every process counts as this session's.
std::optional<ProcessSnapshot> ListRunningProcesses();
