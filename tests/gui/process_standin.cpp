// Stands in for another program in the GUI tests: copied into a prefix as msimn.exe it is the mail
// client, and given mutex names it is another copy of quellmark.exe holding its writer lock ("{SID}"
// in a name stands for its user's SID as the system writes it). A name written "event:NAME" is held
// as an event instead, so that no mutex of that name can be made. It says "running" once it is in
// place and then only runs, until its standard input ends.
#include <windows.h>
#include <sddl.h>

#include <cstdio>
#include <string>
#include <vector>

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
  std::vector<HANDLE> held;
  for (int i = 1; i < argc; ++i) {
    std::string name = argv[i];
    const bool event = name.rfind("event:", 0) == 0;
    if (event) name.erase(0, 6);
    if (const std::size_t at = name.find("{SID}"); at != std::string::npos) name.replace(at, 5, OwnUserSid());
    const HANDLE object = event ? CreateEventA(nullptr, TRUE, FALSE, name.c_str()) : CreateMutexA(nullptr, TRUE, name.c_str());
    if (object == nullptr || GetLastError() == ERROR_ALREADY_EXISTS) return 1;
    held.push_back(object);
  }
  std::printf("running\n");
  std::fflush(stdout);
  while (std::getchar() != EOF) {
  }
  for (const HANDLE object : held) CloseHandle(object);
  return 0;
}
