// The running processes as the system lists them: what the Windows process list gives and what the
// portable checks read.
#pragma once

#include <string>
#include <vector>

// Whose a running process is, as far as this program can learn it.
enum class ProcessOwner {
  kNoOwners,     // Windows 98 and Me: processes belong to no user
  kCurrentUser,  // its token's user is the user this program runs as, in whatever session
  kOtherUser,
  kUnreadable,   // it, or its token, could not be opened for query
};

// One running process: its executable file name (Windows 98 and Me give the whole path) and its owner.
struct RunningProcess {
  std::string exe_name;
  ProcessOwner owner = ProcessOwner::kUnreadable;
};

using ProcessSnapshot = std::vector<RunningProcess>;
