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
  const bool minimize = std::strcmp(argv[1], "minimize") == 0;
  // The system command hides the forms with the window and shows them again; a window that a modal
  // dialog disables ignores it, and is minimised or restored all the same. Sent, so that the one
  // comes before the other.
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(application, WM_SYSCOMMAND, minimize ? SC_MINIMIZE : SC_RESTORE, 0, SMTO_NORMAL, 10000, &ignored);
  if ((IsIconic(application) != FALSE) != minimize) ShowWindow(application, minimize ? SW_MINIMIZE : SW_RESTORE);
  // The button brings a restored program to the front: its window becomes the active one.
  if (!minimize) SetForegroundWindow(application);
  return 0;
}
