// Lists the running processes and their owners through a Toolhelp snapshot and the processes' tokens.
#include "win/ProcessList.h"

#include <windows.h>
#include <tlhelp32.h>

#include <cstring>

#include "win/Kernel32Function.h"
#include "win/Handles.h"

namespace {

// A token's user: the TOKEN_USER record with room for the largest SID.
struct TokenUserRecord {
  alignas(TOKEN_USER) unsigned char bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
  PSID Sid() const noexcept { return reinterpret_cast<const TOKEN_USER*>(bytes)->User.Sid; }
};

// Reads whose a process is. Every function is looked up at run time: OpenProcess is documented from
// XP on, and 98 and Me have no process owners (their advapi32 lacks these calls or fails them).
class OwnerReader {
 public:
  // Only on NT, and only when the system has every function; elsewhere processes have no owners.
  bool Works() const noexcept {
    return (GetVersion() & 0x80000000u) == 0 && open_process_ != nullptr && open_process_token_ != nullptr &&
           get_token_information_ != nullptr && equal_sid_ != nullptr;
  }

  // False when the process or its token cannot be opened for query.
  bool ReadUser(DWORD process_id, TokenUserRecord& user) const noexcept {
    const UniqueKernelObject process(open_process_(PROCESS_QUERY_INFORMATION, FALSE, process_id));
    HANDLE opened = nullptr;
    if (!process || !open_process_token_(process.Get(), TOKEN_QUERY, &opened)) return false;
    const UniqueKernelObject token(opened);
    DWORD size = 0;
    return get_token_information_(token.Get(), TokenUser, user.bytes, sizeof user.bytes, &size) != FALSE;
  }

  bool SameUser(const TokenUserRecord& a, const TokenUserRecord& b) const noexcept {
    return equal_sid_(a.Sid(), b.Sid()) != FALSE;
  }

 private:
  decltype(&OpenProcess) open_process_ = Kernel32Function<decltype(&OpenProcess)>("OpenProcess");
  decltype(&OpenProcessToken) open_process_token_ =
      LoadedDllFunction<decltype(&OpenProcessToken)>("advapi32.dll", "OpenProcessToken");
  decltype(&GetTokenInformation) get_token_information_ =
      LoadedDllFunction<decltype(&GetTokenInformation)>("advapi32.dll", "GetTokenInformation");
  decltype(&EqualSid) equal_sid_ = LoadedDllFunction<decltype(&EqualSid)>("advapi32.dll", "EqualSid");
};

}  // namespace

std::optional<ProcessSnapshot> ListRunningProcesses() {
  HANDLE made = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  const UniqueKernelObject snapshot(made != INVALID_HANDLE_VALUE ? made : nullptr);
  if (!snapshot) return std::nullopt;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  if (!Process32First(snapshot.Get(), &entry)) return std::nullopt;

  const OwnerReader owners;
  const bool have_owners = owners.Works();
  TokenUserRecord own_user;
  // Without our own user nothing can be told apart: the list counts as not made.
  if (have_owners && !owners.ReadUser(GetCurrentProcessId(), own_user)) return std::nullopt;
  ProcessSnapshot result;
  do {
    RunningProcess process;
    // The field is a fixed array; never read past it even if a name fills it without a NUL.
    process.exe_name.assign(entry.szExeFile, strnlen(entry.szExeFile, sizeof entry.szExeFile));
    TokenUserRecord user;
    if (!have_owners) {
      process.owner = ProcessOwner::kNoOwners;
    } else if (owners.ReadUser(entry.th32ProcessID, user)) {
      process.owner = owners.SameUser(user, own_user) ? ProcessOwner::kCurrentUser : ProcessOwner::kOtherUser;
    }
    result.push_back(std::move(process));
  } while (Process32Next(snapshot.Get(), &entry));
  return result;
}
