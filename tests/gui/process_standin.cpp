// Stands in for another program in the GUI tests: copied into a prefix as msimn.exe it is the mail
// client, and given a mutex name it is another copy of quellmark.exe holding its writer lock. It
// says "running" once it is in place and then only runs, until its standard input ends.
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv) {
  HANDLE lock = nullptr;
  if (argc == 2) {
    lock = CreateMutexA(nullptr, TRUE, argv[1]);
    if (lock == nullptr || GetLastError() == ERROR_ALREADY_EXISTS) return 1;
  }
  std::printf("running\n");
  std::fflush(stdout);
  while (std::getchar() != EOF) {
  }
  if (lock != nullptr) CloseHandle(lock);
  return 0;
}
