// Reading a process's user from its token.
#include "win/ProcessUser.h"

#include <cstdint>

#include "win/DllSearchHardening.h"
#include "win/Handles.h"
#include "win/Kernel32Function.h"

namespace {

// A token's user: the TOKEN_USER record with room for the largest SID.
struct TokenUserRecord {
  alignas(TOKEN_USER) unsigned char bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
  PSID Sid() const noexcept { return reinterpret_cast<const TOKEN_USER*>(bytes)->User.Sid; }
};

// advapi32, which the program imports for the registry; loaded from the system folder by a program
// that does not.
HMODULE Advapi32() noexcept {
  const HMODULE loaded = GetModuleHandleA("advapi32.dll");
  return loaded != nullptr ? loaded : LoadSystemDll("advapi32.dll");
}

}  // namespace

ProcessUsers::ProcessUsers(SystemFamily family) noexcept
    : open_process_token_(ModuleFunction<decltype(&OpenProcessToken)>(Advapi32(), "OpenProcessToken")),
      get_token_information_(ModuleFunction<decltype(&GetTokenInformation)>(Advapi32(), "GetTokenInformation")),
      get_length_sid_(ModuleFunction<decltype(&GetLengthSid)>(Advapi32(), "GetLengthSid")),
      available_(family != SystemFamily::kWindows9x && open_process_token_ != nullptr &&
                 get_token_information_ != nullptr && get_length_sid_ != nullptr) {}

std::optional<SidBytes> ProcessUsers::UserOf(HANDLE process) const {
  if (!available_ || process == nullptr) return std::nullopt;
  HANDLE opened = nullptr;
  if (!open_process_token_(process, TOKEN_QUERY, &opened)) return std::nullopt;
  const UniqueKernelObject token(opened);
  TokenUserRecord user;
  DWORD size = 0;
  if (!get_token_information_(token.Get(), TokenUser, user.bytes, sizeof user.bytes, &size)) return std::nullopt;
  // The SID lies inside the record the system filled; its length is checked against that record.
  const auto sid = reinterpret_cast<std::uintptr_t>(user.Sid());
  const auto record = reinterpret_cast<std::uintptr_t>(user.bytes);
  const DWORD length = get_length_sid_(user.Sid());
  if (sid < record || length == 0 || length > sizeof user.bytes - (sid - record)) return std::nullopt;
  const auto* first = user.bytes + (sid - record);
  return SidBytes(first, first + length);
}
