// Loading comctl32 from where the system keeps it.
#include "ui/widgets/CommonControls.h"

#include <windows.h>
#include <commctrl.h>

#include "base/DllSearchHardening.h"
#include "base/Exception.h"
#include "base/SystemFunction.h"

void LoadCommonControls() {
  // Kept to the end of the process, as an import would be: the controls' window procedures live in it.
  const bool side_by_side = SystemFunction<FARPROC>("kernel32.dll", "CreateActCtxA") != nullptr;
  const HMODULE comctl32 = side_by_side ? LoadLibraryA("comctl32.dll") : LoadSystemDll("comctl32.dll");
  const auto initialize = SystemFunction<decltype(&InitCommonControlsEx)>(comctl32, "InitCommonControlsEx");
  if (initialize == nullptr) {
    throw Exception("comctl32.dll 4.70 or later is needed (Internet Explorer 3 or later brings it)");
  }
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof controls;
  controls.dwICC = ICC_STANDARD_CLASSES | ICC_TAB_CLASSES;
  initialize(&controls);
}
