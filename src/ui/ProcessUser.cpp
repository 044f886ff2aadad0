// Reading a process's user from its token.
#include "ui/ProcessUser.h"

#include <cstdint>

#include "base/DllSearchHardening.h"
#include "base/Handles.h"
#include "base/SystemFunction.h"

namespace {

// A token's user: the TOKEN_USER record with room for the largest SID.
struct TokenUserRecord {
  alignas(TOKEN_USER) unsigned char bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
  PSID Sid() const noexcept { return reinterpret_cast<const TOKEN_USER*>(bytes)->User.Sid; }
};

struct TokenCalls {
  decltype(&OpenProcessToken) open_process_token;
  decltype(&GetTokenInformation) get_token_information;
  decltype(&GetLengthSid) get_length_sid;
};

// advapi32, which the program imports for the registry; loaded from the system folder by a program
// that does not.
HMODULE Advapi32() noexcept {
  const HMODULE loaded = GetModuleHandleA("advapi32.dll");
  return loaded != nullptr ? loaded : LoadSystemDll("advapi32.dll");
}

// The calls, or nothing where the family has no owners or this system lacks one of them.
const TokenCalls* TokenCallsOf(SystemFamily family) noexcept {
  static const TokenCalls calls{SystemFunction<decltype(&OpenProcessToken)>(Advapi32(), "OpenProcessToken"),
                                SystemFunction<decltype(&GetTokenInformation)>(Advapi32(), "GetTokenInformation"),
                                SystemFunction<decltype(&GetLengthSid)>(Advapi32(), "GetLengthSid")};
  const bool complete = calls.open_process_token != nullptr && calls.get_token_information != nullptr &&
                        calls.get_length_sid != nullptr;
  return family != SystemFamily::kWindows9x && complete ? &calls : nullptr;
}

}  // namespace

bool ProcessUsersReadable(SystemFamily family) noexcept { return TokenCallsOf(family) != nullptr; }

std::optional<SidBytes> ProcessUserOf(SystemFamily family, HANDLE process) {
  const TokenCalls* calls = TokenCallsOf(family);
  if (calls == nullptr || process == nullptr) return std::nullopt;
  HANDLE opened = nullptr;
  if (!calls->open_process_token(process, TOKEN_QUERY, &opened)) return std::nullopt;
  const UniqueKernelObject token(opened);
  TokenUserRecord user;
  DWORD size = 0;
  if (!calls->get_token_information(token.Get(), TokenUser, user.bytes, sizeof user.bytes, &size)) return std::nullopt;
  // The SID lies inside the record the system filled; its length is checked against that record.
  const auto sid = reinterpret_cast<std::uintptr_t>(user.Sid());
  const auto record = reinterpret_cast<std::uintptr_t>(user.bytes);
  const DWORD length = calls->get_length_sid(user.Sid());
  if (sid < record || length == 0 || length > sizeof user.bytes - (sid - record)) return std::nullopt;
  const auto* first = user.bytes + (sid - record);
  return SidBytes(first, first + length);
}
