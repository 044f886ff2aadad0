// A test program for the application frame: a form whose "Action" button fails, or opens a modal
// dialog, in the way its command line names, all through the real widget layer and TApplication.
//
//   frame_probe.exe error     Action raises ERegistryException ("'Order' の設定に失敗しました")
//   frame_probe.exe abort     Action raises EAbort
//   frame_probe.exe foreign   Action raises an int, which is no Exception
//   frame_probe.exe runtime   Action asks a string for a part past its end, through the program's
//                             own throw helpers of the C++ runtime
//   frame_probe.exe create    the form's create handler raises Exception("create failed")
//   frame_probe.exe startup   the form's constructor raises Exception("start failed")
//   frame_probe.exe modal     Action shows a modal dialog (OK: default, Cancel: cancel, End: ends the
//                             application) and puts its result into the caption
//   frame_probe.exe sysmenu   Action puts the command ids of the application window's system menu
//                             into the caption, in hexadecimal: "Probe menu=f020,f120,f060,"
//   frame_probe.exe restored  Action minimises the application window as the active one, then
//                             restores it without activating it: no WM_ACTIVATE comes with the restore
//
// The application title is "FrameProbe", the form's caption "Probe clicks=N" after N clicks (and
// "Probe result=R" after a dialog). The exit code is the last dialog result, else 0 (1 after the
// fatal error box).
#include <windows.h>

#include <string>

#include "app/Application.h"
#include "app/FatalError.h"
#include "base/Cp932Text.h"
#include "base/ResourceStrings.h"
#include "registry/ERegistryException.h"

namespace {

std::string g_scenario;
TModalResult g_last_result = -1;

TButton* AddButton(TForm& form, const char* caption, int left, const TButtonArgs& button = {}) {
  return form.Add<TButton>(TControlArgs{caption, caption, left, 40, 70, 25}, button);
}

TFormArgs ProbeArgs(const char* window_class, const char* caption, TBorderStyle border, TPosition position) {
  TFormArgs args;
  args.window_class = window_class;
  args.caption = caption;
  args.border_style = border;
  args.border_icons = biSystemMenu;
  args.position = position;
  args.client_width = 240;
  args.client_height = 75;
  return args;
}

class TProbeDialog : public TForm {
 public:
  TProbeDialog() : TForm(ProbeArgs("TProbeDialog", "ProbeDialog", TBorderStyle::bsDialog, TPosition::poScreenCenter)) {
    KeyPreview = true;
    OnKeyDown = [this](TObject*, WORD& key, TShiftState shift) {
      if (key == 'C' && shift == ssCtrl) SetCaption("ProbeDialog copies=" + std::to_string(++copies_));
    };
    AddButton(*this, "OK", 8, TButtonArgs{mrOk, /* is_default */ true});
    AddButton(*this, "Cancel", 84, TButtonArgs{mrCancel, /* is_default */ false, /* is_cancel */ true});
    AddButton(*this, "End", 160)->OnClick = [](TObject*) { Application->EndMessageLoop(); };
  }

 private:
  int copies_ = 0;
};

class TProbeForm : public TForm {
 public:
  TProbeForm() : TForm(ProbeArgs("TProbeForm", "Probe", TBorderStyle::bsSingle, TPosition::poDesktopCenter)) {
    if (g_scenario == "startup") throw Exception("start failed");
    AddButton(*this, "Action", 8)->OnClick = [this](TObject*) { Act(); };
    OnCreate = [](TObject*) {
      if (g_scenario == "create") throw Exception("create failed");
    };
    DoCreate();
  }

 private:
  void Act() {
    SetCaption("Probe clicks=" + std::to_string(++clicks_));
    if (g_scenario == "error") throw ERegistryException(FillTemplate(ResourceString(kSWriteValueFailed), {"Order"}));
    if (g_scenario == "abort") throw EAbort("quiet");
    if (g_scenario == "foreign") throw 42;
    if (g_scenario == "runtime") SetCaption(std::string("abc").substr(clicks_ + 4));
    if (g_scenario == "sysmenu") {
      std::string ids = "Probe menu=";
      HMENU menu = GetSystemMenu(Application->Handle(), FALSE);
      for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        const UINT id = GetMenuItemID(menu, i);
        if (id == 0 || id == static_cast<UINT>(-1)) continue;  // separators and submenus
        char hex[16];
        wsprintfA(hex, "%x,", id);
        ids += hex;
      }
      SetCaption(ids);
    }
    if (g_scenario == "restored") {
      // Minimised as the active window (which keeps it active), then restored without activation.
      HWND application = Application->Handle();
      ShowWindow(application, SW_SHOWMINIMIZED);
      for (MSG message; PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);) DispatchMessageA(&message);
      ShowWindow(application, SW_SHOWNOACTIVATE);
    }
    if (g_scenario == "modal") {
      TProbeDialog dialog;
      g_last_result = dialog.ShowModal();
      SetCaption("Probe result=" + std::to_string(g_last_result));
    }
  }

  int clicks_ = 0;
};

TProbeForm* ProbeForm = nullptr;

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR command_line, int) {
  InstallFatalExceptionHandler();
  g_scenario = command_line != nullptr ? command_line : "";
  try {
    CreateApplication();
    Application->InitializeApp();
    Application->SetApplicationTitle("FrameProbe");
    Application->CreateAppForm(ProbeForm);
    Application->RunMessageLoop();
  } catch (...) {
    FatalExceptionHandler(std::current_exception(), CallerAddress());
  }
  DestroyApplication();
  return g_last_result >= 0 ? g_last_result : 0;
}
