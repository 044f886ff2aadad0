// Lists the running processes and their sessions through a Toolhelp snapshot.
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

// ProcessIdToSessionId, looked up at run time: Windows 98 and Me lack it.
using SessionOfProcess = BOOL(WINAPI*)(DWORD, DWORD*);

SessionOfProcess SessionLookup() {
  const HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
  if (kernel32 == nullptr) return nullptr;
  return reinterpret_cast<SessionOfProcess>(
      reinterpret_cast<void (*)()>(GetProcAddress(kernel32, "ProcessIdToSessionId")));
}

}  // namespace

std::optional<ProcessSnapshot> ListRunningProcesses() {
  const SnapshotHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot.valid()) return std::nullopt;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  if (!Process32First(snapshot.get(), &entry)) return std::nullopt;

  ProcessSnapshot result;
  SessionOfProcess session_of = SessionLookup();
  DWORD own_session = 0;
  // Without our own session nothing can be told apart: every process then counts as ours.
  if (session_of != nullptr && !session_of(GetCurrentProcessId(), &own_session)) session_of = nullptr;
  result.own_session = own_session;
  do {
    RunningProcess process;
    // The field is a fixed array; never read past it even if a name fills it without a NUL.
    process.exe_name.assign(entry.szExeFile, strnlen(entry.szExeFile, sizeof entry.szExeFile));
    DWORD session = 0;
    if (session_of != nullptr && session_of(entry.th32ProcessID, &session)) process.session = session;
    result.processes.push_back(std::move(process));
  } while (Process32Next(snapshot.get(), &entry));
  return result;
}
