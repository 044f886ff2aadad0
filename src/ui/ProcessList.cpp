// Lists the running processes and their owners. The NT family, 4.0 included, lists them through
// ntdll's system process information, as its own Task Manager does: NT 4.0's kernel32 has no
// Toolhelp. 95, 98 and Me list them through a Toolhelp snapshot. Both are looked up at run time,
// so that neither stops the program from loading where it is missing.
#include "ui/ProcessList.h"

#include <windows.h>
#include <tlhelp32.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "base/Handles.h"
#include "base/SystemFunction.h"
#include "ui/ProcessUser.h"

namespace {

// ---- NT: the system process information ------------------------------------------------------

using NtQuerySystemInformationFunction = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);
constexpr ULONG kSystemProcessInformation = 5;
constexpr LONG kStatusInfoLengthMismatch = static_cast<LONG>(0xC0000004);
// Grown until the list fits; a list larger than this is none (some thousand processes fit).
constexpr std::size_t kFirstBufferSize = 64 * 1024;
constexpr std::size_t kMaxBufferSize = 16 * 1024 * 1024;

// The head of one record, laid out alike from NT 4.0 on (32-bit); the threads and counters after it
// are not read.
struct ProcessRecordHead {
  ULONG next_entry_offset;  // 0 for the last record
  ULONG number_of_threads;
  LARGE_INTEGER reserved[3];
  LARGE_INTEGER create_time, user_time, kernel_time;
  USHORT name_length;  // bytes, no NUL; the idle process has no name
  USHORT name_maximum_length;
  const wchar_t* name_buffer;  // inside the same buffer
  LONG base_priority;
  ULONG_PTR process_id;
};
static_assert(sizeof(void*) != 4 || offsetof(ProcessRecordHead, process_id) == 0x44, "the system's layout");

std::optional<std::vector<unsigned char>> QuerySystemProcesses() {
  const auto query = SystemFunction<NtQuerySystemInformationFunction>("ntdll.dll", "NtQuerySystemInformation");
  if (query == nullptr) return std::nullopt;
  std::vector<unsigned char> buffer(kFirstBufferSize);
  for (;;) {
    ULONG needed = 0;
    const LONG status = query(kSystemProcessInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
    if (status >= 0) return buffer;
    if (status != kStatusInfoLengthMismatch || buffer.size() >= kMaxBufferSize) return std::nullopt;
    buffer.assign(buffer.size() * 2, 0);  // more processes may start meanwhile: doubled, not as needed
  }
}

// The process's file name in the ANSI code page; empty when it lies outside the buffer.
std::string ImageName(const ProcessRecordHead& head, const std::vector<unsigned char>& buffer) {
  const auto first = reinterpret_cast<std::uintptr_t>(buffer.data());
  const auto name = reinterpret_cast<std::uintptr_t>(head.name_buffer);
  const std::size_t units = head.name_length / sizeof(wchar_t);
  if (units == 0 || name < first || name - first > buffer.size() || head.name_length > buffer.size() - (name - first)) {
    return {};
  }
  const int length = static_cast<int>(units);
  const int bytes = WideCharToMultiByte(CP_ACP, 0, head.name_buffer, length, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return {};
  std::string text(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_ACP, 0, head.name_buffer, length, &text[0], bytes, nullptr, nullptr);
  return text;
}

std::optional<ProcessSnapshot> ListNtProcesses(SystemFamily family, ProcessNameFilter wanted) {
  const std::optional<SidBytes> own_user = OwnProcessUser(family);
  // Without our own user nothing can be told apart: the list counts as not made.
  if (!own_user) return std::nullopt;
  const std::optional<std::vector<unsigned char>> buffer = QuerySystemProcesses();
  if (!buffer) return std::nullopt;
  const auto open_process = SystemFunction<decltype(&OpenProcess)>("kernel32.dll", "OpenProcess");

  ProcessSnapshot result;
  std::size_t offset = 0;
  for (;;) {
    if (buffer->size() - offset < sizeof(ProcessRecordHead)) return std::nullopt;  // a list cut short
    ProcessRecordHead head;
    std::memcpy(&head, buffer->data() + offset, sizeof head);
    std::string name = ImageName(head, *buffer);
    // Only the processes asked for are opened: the others' owners would be read for nothing.
    if (wanted(name)) {
      const UniqueKernelObject handle(open_process != nullptr ? open_process(PROCESS_QUERY_INFORMATION, FALSE,
                                                                             static_cast<DWORD>(head.process_id))
                                                              : nullptr);
      result.push_back({std::move(name), OwnerOf(ProcessUserOf(family, handle.Get()), *own_user)});
    }
    if (head.next_entry_offset == 0) return result;
    if (head.next_entry_offset > buffer->size() - offset) return std::nullopt;
    offset += head.next_entry_offset;
  }
}

// ---- 95, 98 and Me: Toolhelp ---------------------------------------------------------------------

std::optional<ProcessSnapshot> ListToolhelpProcesses(ProcessNameFilter wanted) {
  const auto snapshot_of = SystemFunction<decltype(&CreateToolhelp32Snapshot)>("kernel32.dll", "CreateToolhelp32Snapshot");
  const auto first = SystemFunction<decltype(&Process32First)>("kernel32.dll", "Process32First");
  const auto next = SystemFunction<decltype(&Process32Next)>("kernel32.dll", "Process32Next");
  if (snapshot_of == nullptr || first == nullptr || next == nullptr) return std::nullopt;
  HANDLE made = snapshot_of(TH32CS_SNAPPROCESS, 0);
  const UniqueKernelObject snapshot(made != INVALID_HANDLE_VALUE ? made : nullptr);
  if (!snapshot) return std::nullopt;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  if (!first(snapshot.Get(), &entry)) return std::nullopt;
  ProcessSnapshot result;
  do {
    // The field is a fixed array; never read past it even if a name fills it without a NUL.
    std::string name(entry.szExeFile, strnlen(entry.szExeFile, sizeof entry.szExeFile));
    if (wanted(name)) result.push_back({std::move(name), ProcessOwner::kNoOwners});  // processes there have no users
  } while (next(snapshot.Get(), &entry));
  return result;
}

}  // namespace

std::optional<ProcessSnapshot> ListRunningProcesses(SystemFamily family, ProcessNameFilter wanted) {
  // Where processes have owners they are read; that is the NT family, with its own list.
  if (ProcessUsersReadable(family)) return ListNtProcesses(family, wanted);
  return ListToolhelpProcesses(wanted);
}
