// Makes a key of the prefix's HKEY_CURRENT_USER refuse every access, as a key with a restrictive
// ACL does: key_lock.exe <path as hex of its code page 932 bytes>. Exit code 0 when it is locked.
#include <windows.h>
#include <sddl.h>

#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  std::string path;
  for (const char* hex = argv[1]; hex[0] != '\0' && hex[1] != '\0'; hex += 2) {
    const char pair[3] = {hex[0], hex[1], '\0'};
    path += static_cast<char>(std::strtoul(pair, nullptr, 16));
  }
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, WRITE_DAC, &key) != ERROR_SUCCESS) return 1;
  PSECURITY_DESCRIPTOR deny_all = nullptr;
  const bool made = ConvertStringSecurityDescriptorToSecurityDescriptorA("D:(D;;KA;;;WD)", SDDL_REVISION_1, &deny_all,
                                                                         nullptr) != FALSE;
  const bool locked = made && RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, deny_all) == ERROR_SUCCESS;
  if (made) LocalFree(deny_all);
  RegCloseKey(key);
  return locked ? 0 : 1;
}
