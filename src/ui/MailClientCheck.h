// Whether Outlook Express is running: it keeps its rules in memory and would ignore or overwrite
// rules written behind its back, so the add command refuses to write while it runs.
#pragma once

#include <optional>
#include <string>

#include "base/ProcessSnapshot.h"

// True when a process whose file name is msimn.exe (any letter case, with or without its path) runs
// in this user's session: another user's mail client (fast user switching) keeps its own store, so
// it must not stop this one. A process whose session is unknown counts as this session's. A list
// that could not be made (nothing) counts as "not running": the check must never stop the user from
// adding rules on its own failure.
bool IsMailClientRunning(const std::optional<ProcessSnapshot>& snapshot);

// The warning shown instead of writing while the mail client runs.
extern const std::string MailClientRunningMessage;
