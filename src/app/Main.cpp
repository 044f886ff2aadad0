// The program's entry: the real registry, the application object, the title, the main window, the
// message loop; an exception that escapes any of it ends in the fatal error box and exit code 1.
#include <windows.h>

#include "app/Application.h"
#include "win/DllSearchHardening.h"
#include "app/FatalError.h"
#include "registry/RegistryBackend.h"
#include "registry/WindowsRegistry.h"
#include "ui/Unit1.h"
#include "win/SystemFamily.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // Before anything loads a DLL on demand (the common controls' themes, the shell's handlers).
  RestrictDllSearchToSystemDirectory();
  InstallFatalExceptionHandler();
  static WindowsRegistry registry(RunningSystemFamily());
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
