// The mail client check, free of Win32 so that it is tested natively.
#include "ui/MailClientCheck.h"

#include "base/Cp932Text.h"

bool IsMailClientFileName(const std::string& exe_name) {
  return FoldAsciiCase(FileNamePart(exe_name)) == "msimn.exe";
}

bool IsMailClientRunning(const std::optional<ProcessSnapshot>& snapshot) {
  if (!snapshot) return false;
  for (const RunningProcess& process : *snapshot) {
    const bool ours = process.owner == ProcessOwner::kCurrentUser || process.owner == ProcessOwner::kNoOwners;
    if (ours && IsMailClientFileName(process.exe_name)) return true;
  }
  return false;
}
