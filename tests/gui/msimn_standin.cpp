// Stands in for the mail client in the GUI tests: copied into a prefix as msimn.exe, it says
// "running" and then only runs, until its standard input ends, so that a process of that name is
// there to be found.
#include <cstdio>

int main() {
  std::printf("running\n");
  std::fflush(stdout);
  while (std::getchar() != EOF) {
  }
  return 0;
}
