// The program's entry: the real registry, the application object, the title, the main window, the
// message loop; an exception that escapes any of it ends in the fatal error box and exit code 1.
#include <windows.h>

#include "app/Application.h"
#include "app/FatalError.h"
#include "base/DllSearchHardening.h"
#include "base/SystemFamily.h"
#include "registry/TRegistryBackend.h"
#include "registry/TWindowsRegistry.h"
#include "ui/Unit1.h"

// Called by the program's own start-up (Startup.cpp) in place of a WinMain, with nothing: no command
// line is taken, and the message loop reads the show command itself.
int ProgramEntry() {
  // Before anything loads a DLL on demand (the common controls' themes, the shell's handlers).
  RestrictDllSearchToSystemDirectory();
  InstallFatalExceptionHandler();
  static TWindowsRegistry registry(RunningSystemFamily());
  SetActiveRegistryBackend(&registry);
  try {
    CreateApplication();
    Application->InitializeApp();
    Application->SetApplicationTitle("Quellmark");
    Application->CreateAppForm(Form1);
    Application->RunMessageLoop();
  } catch (...) {
    FatalExceptionHandler(std::current_exception(), CallerAddress());
  }
  DestroyApplication();
  return 0;
}
