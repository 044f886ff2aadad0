// Stands in for another program in the GUI tests: copied into a prefix as msimn.exe it is the mail
// client, and given a mutex name it is another copy of quellmark.exe holding its writer lock ("{SID}"
// in the name stands for its user's SID as the system writes it); with "event" after the name it holds
// an event of that name instead, so that no mutex of that name can be made. It says "running" once it
// is in place and then only runs, until its standard input ends.
#include <windows.h>
#include <sddl.h>

#include <cstdio>
#include <string>

namespace {

// The user's SID as text, through the system's own conversion.
std::string OwnUserSid() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
  alignas(TOKEN_USER) unsigned char record[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
  DWORD size = 0;
  std::string text;
  char* converted = nullptr;
  if (GetTokenInformation(token, TokenUser, record, sizeof record, &size) &&
      ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(record)->User.Sid, &converted)) {
    text = converted;
    LocalFree(converted);
  }
  CloseHandle(token);
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  HANDLE lock = nullptr;
  if (argc == 2 || (argc == 3 && std::string(argv[2]) == "event")) {
    std::string name = argv[1];
    if (const std::size_t at = name.find("{SID}"); at != std::string::npos) name.replace(at, 5, OwnUserSid());
    lock = argc == 3 ? CreateEventA(nullptr, TRUE, FALSE, name.c_str()) : CreateMutexA(nullptr, TRUE, name.c_str());
    if (lock == nullptr || GetLastError() == ERROR_ALREADY_EXISTS) return 1;
  }
  std::printf("running\n");
  std::fflush(stdout);
  while (std::getchar() != EOF) {
  }
  if (lock != nullptr) CloseHandle(lock);
  return 0;
}
