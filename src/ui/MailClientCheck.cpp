// The mail client check, free of Win32 so that it is tested natively.
#include "ui/MailClientCheck.h"

#include "base/Cp932Text.h"

bool IsMailClientRunning(const std::optional<ProcessSnapshot>& snapshot) {
  if (!snapshot) return false;
  for (const RunningProcess& process : *snapshot) {
    const bool ours = process.owner == ProcessOwner::kCurrentUser || process.owner == ProcessOwner::kNoOwners;
    // NT lists bare file names; 98 and Me list the whole path ("C:\\PROGRAM FILES\\...\\MSIMN.EXE").
    if (ours && FoldAsciiCase(FileNamePart(process.exe_name)) == "msimn.exe") return true;
  }
  return false;
}
