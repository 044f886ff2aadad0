// Takes the place of the web browser in the GUI tests: registered in a prefix as the handler of
// "http" addresses, it writes the command line it was started with to C:\url_recorder.txt and ends.
// A window program that shows nothing, as a browser that opens in the background would be.
#include <windows.h>

#include <cstdio>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const char* command_line = GetCommandLineA();
  std::FILE* file = std::fopen("C:\\url_recorder.txt", "wb");
  if (file == nullptr) return 1;
  std::fputs(command_line, file);
  return std::fclose(file) == 0 ? 0 : 1;
}
