// Does to the program what its task bar button (or the shell's "show desktop") does, for the GUI
// tests: minimises or restores the window that the button stands for, the application window (class
// TApplication), also while a modal dialog keeps it disabled.
//
//   task_bar.exe minimize|restore
//
// Exit code 0, 1 when there is no such window, 2 for a bad argument.
#include <windows.h>

#include <cstring>

int main(int argc, char** argv) {
  if (argc != 2 || (std::strcmp(argv[1], "minimize") != 0 && std::strcmp(argv[1], "restore") != 0)) return 2;
  HWND application = FindWindowA("TApplication", nullptr);
  if (application == nullptr) return 1;
  if (std::strcmp(argv[1], "minimize") == 0) {
    // The system command hides the forms with the window; a window that a modal dialog disables
    // ignores it and is minimised all the same.
    PostMessageA(application, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ShowWindowAsync(application, SW_MINIMIZE);
  } else {
    // Restored the same two ways, and brought to the front: the application window becomes the
    // active one.
    PostMessageA(application, WM_SYSCOMMAND, SC_RESTORE, 0);
    ShowWindowAsync(application, SW_RESTORE);
    SetForegroundWindow(application);
  }
  return 0;
}
