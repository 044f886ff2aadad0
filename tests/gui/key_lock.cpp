// Leaves a key of the prefix's HKEY_CURRENT_USER as other programs may: key_lock.exe <mode> <path>
// [<target>], each path as hex of its code page 932 bytes, from HKEY_CURRENT_USER. Exit code 0 when
// it is done.
//   deny       an ACL that refuses every access
//   read-only  an ACL that grants reading only
//   link       a registry link at path (a new key) that leads to the key at target
#include <windows.h>
#include <sddl.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string FromHex(const char* hex) {
  std::string bytes;
  for (; hex[0] != '\0' && hex[1] != '\0'; hex += 2) {
    const char pair[3] = {hex[0], hex[1], '\0'};
    bytes += static_cast<char>(std::strtoul(pair, nullptr, 16));
  }
  return bytes;
}

std::wstring Wide(const std::string& text) {
  std::wstring units(text.size() + 1, L'\0');
  units.resize(MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &units[0],
                                   static_cast<int>(units.size())));
  return units;
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

// A link names its target by its full registry path: \Registry\User\<the user's SID>\... for
// HKEY_CURRENT_USER.
bool MakeLink(const std::string& path, const std::string& target) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  std::vector<unsigned char> user(256);
  DWORD size = static_cast<DWORD>(user.size());
  wchar_t* sid = nullptr;
  const bool known = GetTokenInformation(token, TokenUser, user.data(), size, &size) &&
                     ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid, &sid);
  CloseHandle(token);
  if (!known) return false;
  const std::wstring full = L"\\Registry\\User\\" + std::wstring(sid) + L"\\" + Wide(target);
  LocalFree(sid);
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, Wide(path).c_str(), 0, nullptr, REG_OPTION_CREATE_LINK,
                      KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const bool set = RegSetValueExW(key, L"SymbolicLinkValue", 0, REG_LINK, reinterpret_cast<const BYTE*>(full.data()),
                                  static_cast<DWORD>(full.size() * sizeof(wchar_t))) == ERROR_SUCCESS;
  RegCloseKey(key);
  return set;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "deny") == 0) return SetDacl(FromHex(argv[2]), "D:(D;;KA;;;WD)") ? 0 : 1;
  // Deletion denied outright: Wine grants it where no entry names it.
  if (argc == 3 && std::strcmp(argv[1], "read-only") == 0) {
    return SetDacl(FromHex(argv[2]), "D:(D;;SD;;;WD)(A;;KR;;;WD)") ? 0 : 1;
  }
  if (argc == 4 && std::strcmp(argv[1], "link") == 0) return MakeLink(FromHex(argv[2]), FromHex(argv[3])) ? 0 : 1;
  return 2;
}
