// The running processes as the system lists them: what the Windows process list gives and what the
// portable checks read.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// One running process: its executable file name (Windows 98 and Me give the whole path), and its
// session (Terminal Services, fast user switching) when the system could tell it.
struct RunningProcess {
  std::string exe_name;
  std::optional<std::uint32_t> session;
};

// The running processes and the session this program runs in.
struct ProcessSnapshot {
  std::uint32_t own_session = 0;
  std::vector<RunningProcess> processes;
};
