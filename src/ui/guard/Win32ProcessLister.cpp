// Lists the executable names of the running processes through a Toolhelp snapshot.
#include <windows.h>
#include <tlhelp32.h>

#include <cstring>

#include "ui/guard/MailClientCheck.h"

namespace {

// Owns the snapshot handle.
class SnapshotHandle {
 public:
  explicit SnapshotHandle(HANDLE handle) : handle_(handle) {}
  ~SnapshotHandle() {
    if (valid()) CloseHandle(handle_);
  }
  SnapshotHandle(const SnapshotHandle&) = delete;
  SnapshotHandle& operator=(const SnapshotHandle&) = delete;
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

}  // namespace

std::optional<std::vector<std::string>> ListRunningProcesses() {
  const SnapshotHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot.valid()) return std::nullopt;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  if (!Process32First(snapshot.get(), &entry)) return std::nullopt;
  std::vector<std::string> names;
  do {
    // The field is a fixed array; never read past it even if a name fills it without a NUL.
    const std::size_t length = strnlen(entry.szExeFile, sizeof entry.szExeFile);
    names.emplace_back(entry.szExeFile, length);
  } while (Process32Next(snapshot.get(), &entry));
  return names;
}
