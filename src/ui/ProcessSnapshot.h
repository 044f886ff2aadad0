// The running processes as the system lists them: what the Windows process list gives and what the
// portable checks read.
#pragma once

#include <optional>
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

// Whose a process is on a system with owners, from its token's user (binary SID; nothing when the
// process or its token would not open) and this program's own. One that cannot be read is never
// taken for the user's own: the user's own processes always grant the user query access.
inline ProcessOwner OwnerOf(const std::optional<std::vector<unsigned char>>& user,
                            const std::vector<unsigned char>& own_user) {
  if (!user) return ProcessOwner::kUnreadable;
  return *user == own_user ? ProcessOwner::kCurrentUser : ProcessOwner::kOtherUser;
}
