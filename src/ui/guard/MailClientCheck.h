// Whether Outlook Express is running: it keeps its rules in memory and would ignore or overwrite
// rules written behind its back, so the add command refuses to write while it runs.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <cstdint>

// One running process: its executable file name (Windows 98 and Me give the whole path), and its session (Terminal Services, fast user
// switching) when the system could tell it.
struct RunningProcess {
  std::string exe_name;
  std::optional<std::uint32_t> session;
};

// The running processes and the session this program runs in.
struct ProcessSnapshot {
  std::uint32_t own_session = 0;
  std::vector<RunningProcess> processes;
};

// True when a process whose file name is msimn.exe (any letter case, with or without its path) runs
// in this user's session: another user's
// mail client (fast user switching) keeps its own store, so it must not stop this one. A process
// whose session is unknown counts as this session's. A list that could not be made (nothing)
// counts as "not running": the check must never stop the user from adding rules on its own failure.
bool IsMailClientRunning(const std::optional<ProcessSnapshot>& snapshot);

// The running processes, through a snapshot; nothing when they cannot be listed. Where the system cannot tell sessions apart
// (Windows 98 and Me have none), every process counts as this session's.
std::optional<ProcessSnapshot> ListRunningProcesses();

// The warning shown instead of writing while the mail client runs.
extern const std::string MailClientRunningMessage;
