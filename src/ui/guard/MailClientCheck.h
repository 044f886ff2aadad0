// Whether Outlook Express is running: it keeps its rules in memory and would ignore or overwrite
// rules written behind its back, so the add command refuses to write while it runs.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

// The executable file names of the session's running processes, or nothing when they cannot be
// listed. The Windows program lists them through a process snapshot; tests pass their own.
using ProcessLister = std::function<std::optional<std::vector<std::string>>()>;

// True when a process named msimn.exe (any letter case) runs. A list that cannot be made counts as
// "not running": the check must never stop the user from adding rules on its own failure.
bool IsMailClientRunning(const ProcessLister& list_processes);

// The snapshot-based lister of the Windows program.
std::optional<std::vector<std::string>> ListRunningProcesses();

// The warning shown instead of writing while the mail client runs.
extern const std::string MailClientRunningMessage;
