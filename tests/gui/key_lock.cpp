// Leaves a key of the prefix's HKEY_CURRENT_USER as another program may: key_lock.exe <mode> <path>
// [<target>], paths as hex of their code page 932 bytes, from HKEY_CURRENT_USER. Exit code 0 when
// done. deny: an ACL that refuses every access; read-only: one that grants reading only (deletion
// denied outright: Wine grants it where no entry names it); link: a registry link at path (a new
// key) that leads to the key at target.
#include <windows.h>
#include <sddl.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string FromHex(const char* hex) {
  std::string bytes;
  for (; hex[0] != '\0' && hex[1] != '\0'; hex += 2) {
    const char pair[3] = {hex[0], hex[1], '\0'};
    bytes += static_cast<char>(std::strtoul(pair, nullptr, 16));
  }
  return bytes;
}

bool SetDacl(const std::string& path, const char* sddl) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, WRITE_DAC, &key) != ERROR_SUCCESS) return false;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  const bool made = ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &descriptor,
                                                                         nullptr) != FALSE;
  const bool set = made && RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor) == ERROR_SUCCESS;
  if (made) LocalFree(descriptor);
  RegCloseKey(key);
  return set;
}

// A link names its target by its whole path, \Registry\User\<the user's SID>\... for a key of
// HKEY_CURRENT_USER, in UTF-16 (the target is ASCII here) and without a NUL.
bool MakeLink(const std::string& path, const std::string& target) {
  HANDLE token = nullptr;
  DWORD user[64];
  DWORD size = sizeof user;
  char* sid = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  const bool known = GetTokenInformation(token, TokenUser, user, size, &size) &&
                     ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(user)->User.Sid, &sid);
  CloseHandle(token);
  if (!known) return false;
  const std::string whole = "\\Registry\\User\\" + std::string(sid) + "\\" + target;
  LocalFree(sid);
  const std::wstring units(whole.begin(), whole.end());
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_CREATE_LINK,
                      KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const bool set = RegSetValueExA(key, "SymbolicLinkValue", 0, REG_LINK, reinterpret_cast<const BYTE*>(units.data()),
                                  static_cast<DWORD>(units.size() * sizeof(wchar_t))) == ERROR_SUCCESS;
  RegCloseKey(key);
  return set;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 2 ? argv[1] : "";
  if (argc == 3 && mode == "deny") return SetDacl(FromHex(argv[2]), "D:(D;;KA;;;WD)") ? 0 : 1;
  if (argc == 3 && mode == "read-only") return SetDacl(FromHex(argv[2]), "D:(D;;SD;;;WD)(A;;KR;;;WD)") ? 0 : 1;
  if (argc == 4 && mode == "link") return MakeLink(FromHex(argv[2]), FromHex(argv[3])) ? 0 : 1;
  return 2;
}
