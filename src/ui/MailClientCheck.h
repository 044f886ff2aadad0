// Whether Outlook Express is running: it keeps its rules in memory and would ignore or overwrite
// rules written behind its back, so the add command refuses to write while it runs.
#pragma once

#include <optional>

#include "ui/ProcessSnapshot.h"

// Whether a process's file name, as the system lists it (NT: the bare name; 95, 98 and Me: the whole
// path), is the mail client's: msimn.exe in any letter case.
bool IsMailClientFileName(const std::string& exe_name);

// True when a process whose file name is msimn.exe (any letter case, with or without its path) is this
// user's, in any session: only such a mail client can overwrite this user's rule store. Another
// user's (fast user switching, Terminal Services) keeps its own store and must not stop this one. A
// process that cannot be read is not ours: the user's own processes always grant the user query
// access. Where processes have no owners (Windows 98 and Me) every mail client counts. A list that
// could not be made (nothing) counts as "not running": the check must never stop the user from
// adding rules on its own failure.
bool IsMailClientRunning(const std::optional<ProcessSnapshot>& snapshot);
