// Whose a process is: the user of its access token, as a binary SID. The NT security calls are
// looked up at run time, since 95, 98 and Me lack them or carry only stubs, and have no owners.
#pragma once

#include <windows.h>

#include <optional>
#include <vector>

#include "base/SystemFamily.h"

using SidBytes = std::vector<unsigned char>;

class ProcessUsers {
 public:
  explicit ProcessUsers(SystemFamily family) noexcept;
  // Whether this system has process owners and the calls to read them: the NT family. 95, 98 and Me
  // carry stubs of the calls that only fail.
  bool Available() const noexcept { return available_; }
  // The user of process (a handle with query access), or nothing when its token cannot be read.
  std::optional<SidBytes> UserOf(HANDLE process) const;
  // This program's own user, from its own token: no process id to open, nothing to be refused.
  std::optional<SidBytes> OwnUser() const { return UserOf(GetCurrentProcess()); }

 private:
  decltype(&OpenProcessToken) open_process_token_;
  decltype(&GetTokenInformation) get_token_information_;
  decltype(&GetLengthSid) get_length_sid_;
  bool available_;
};
