// Lists the running processes and their sessions through a Toolhelp snapshot.
#include "win/ProcessList.h"

#include <windows.h>
#include <tlhelp32.h>

#include <cstring>

#include "win/Kernel32Function.h"
#include "win/Handles.h"

std::optional<ProcessSnapshot> ListRunningProcesses() {
  HANDLE made = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  const UniqueKernelObject snapshot(made != INVALID_HANDLE_VALUE ? made : nullptr);
  if (!snapshot) return std::nullopt;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  if (!Process32First(snapshot.Get(), &entry)) return std::nullopt;

  ProcessSnapshot result;
  // Windows 98 and Me have no sessions, nor ProcessIdToSessionId.
  auto session_of = Kernel32Function<BOOL(WINAPI*)(DWORD, DWORD*)>("ProcessIdToSessionId");
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
  } while (Process32Next(snapshot.Get(), &entry));
  return result;
}
