// The application object: its hidden window, title, forms, message loop and error reports.
#include "app/Application.h"

#include <cstdlib>

#include "app/ErrorText.h"
#include "app/FatalError.h"
#include "ui/widgets/CommonControls.h"
#include "ui/widgets/Monitors.h"

TApplication* Application = nullptr;

namespace {

const char kApplicationClass[] = "TApplication";
// Posted to the application window: hand the focus on to a window the user can work in.
constexpr UINT kHandFocusOn = WM_APP + 1;

// The program file's name without folder and extension: the title until the program sets its own.
std::string DefaultTitle() {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string name = FileNamePart(std::string(path, length < MAX_PATH ? length : 0));
  const std::string::size_type dot = name.rfind('.');
  if (dot != std::string::npos) name.resize(dot);
  return name;
}

// Where the focus goes when the application window gets it (the task bar restored or activated the
// program): the pop-up the user worked in last, and when the system answers with the application
// window itself (as it does once that window was the active one, after a restore), the topmost
// window it owns that takes input: an open dialog or message box, which keeps the main form
// disabled, else the main form. A form's dialog manager then puts the focus back on the control
// that had it. Null when there is none, as while the program ends.
HWND FocusTarget(HWND application) noexcept {
  const auto takes_input = [](HWND window) { return IsWindowVisible(window) && IsWindowEnabled(window); };
  HWND popup = GetLastActivePopup(application);
  if (popup != nullptr && popup != application && takes_input(popup)) return popup;
  for (HWND window = GetWindow(application, GW_HWNDFIRST); window != nullptr;
       window = GetWindow(window, GW_HWNDNEXT)) {
    if (GetWindow(window, GW_OWNER) == application && takes_input(window)) return window;
  }
  return nullptr;
}

}  // namespace

void CreateApplication() {
  if (Application == nullptr) Application = new TApplication();
}

void DestroyApplication() noexcept {
  // Stays reachable while its forms go, so their destroy handlers can still report.
  delete Application;
  Application = nullptr;
}

void FatalExceptionHandler(std::exception_ptr object, const void* address) noexcept {
  ShowFatalError(object, address);
  DestroyApplication();
  std::exit(1);
}

void InstallFatalExceptionHandler() noexcept {
  std::set_terminate([] { FatalExceptionHandler(std::current_exception(), CallerAddress()); });
}

TApplication::TApplication() {
  LoadCommonControls();

  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSEXA window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = WindowProc;
  window_class.hInstance = instance;
  window_class.hIcon = LoadIconA(instance, "MAINICON");
  window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  window_class.lpszClassName = kApplicationClass;
  if (RegisterClassExA(&window_class) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    throw Exception("RegisterClassExA failed: TApplication");
  }
  HWND window = CreateWindowExA(0, kApplicationClass, DefaultTitle().c_str(),
                                WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                                GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0, nullptr,
                                nullptr, instance, this);
  if (window == nullptr) throw Exception("CreateWindowExA failed: TApplication");
  handle_.Reset(window);
  // The window has no size and never moves by the user's hand.
  HMENU system_menu = GetSystemMenu(window, FALSE);
  DeleteMenu(system_menu, SC_MAXIMIZE, MF_BYCOMMAND);
  DeleteMenu(system_menu, SC_SIZE, MF_BYCOMMAND);
  DeleteMenu(system_menu, SC_MOVE, MF_BYCOMMAND);
  SetFormOwner(window);
  SetExceptionSink([](TObject* Sender, std::exception_ptr error) noexcept {
    if (Application != nullptr) Application->ReportException(Sender, error);
  });
  SetMessageStep([] { return Application != nullptr && Application->HandleMessage(); });
}

TApplication::~TApplication() {
  ShowOwnedPopups(handle_.Get(), FALSE);
  // Forms go while the application is whole, newest first; the main form's destroy handler runs.
  main_form_ = nullptr;
  while (!forms_.empty()) forms_.pop_back();
  SetWindowLongPtrA(handle_.Get(), GWLP_USERDATA, 0);
  SetFormOwner(nullptr);
}

std::string TApplication::ApplicationTitle() const {
  char text[256] = {};
  const int length = GetWindowTextA(handle_.Get(), text, sizeof text);
  return std::string(text, length > 0 ? static_cast<std::size_t>(length) : 0);
}

void TApplication::SetApplicationTitle(const std::string& title) {
  if (ApplicationTitle() != title) SetWindowTextA(handle_.Get(), title.c_str());
}

void TApplication::AdoptForm(TForm* form) {
  std::unique_ptr<TForm> owned(form);
  forms_.push_back(std::move(owned));
  if (main_form_ != nullptr) return;
  // The main form: closing it ends the program.
  main_form_ = form;
  form->OnClose = [this](TObject*) { EndMessageLoop(); };
}

bool TApplication::HandleMessage() {
  MSG message{};
  if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    WaitMessage();  // no idle work: the program has no hints or actions
    return true;
  }
  if (message.message == WM_QUIT) return false;
  if (!IsFormKeyMessage(message)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return true;
}

void TApplication::RunMessageLoop() {
  // The shutdown runs when the program ends (DestroyApplication), on every way out.
  if (main_form_ == nullptr) return;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  const WORD show_command = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
  main_form_->Show(show_command == SW_SHOWMAXIMIZED ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
  // The application window stands for the program on the task bar while its form is shown.
  SetWindowPos(handle_.Get(), nullptr, 0, 0, 0, 0,
               SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  if (show_command == SW_SHOWMINNOACTIVE) ShowWindow(handle_.Get(), SW_MINIMIZE);
  bool running = true;
  while (running) {
    try {
      running = HandleMessage();
    } catch (...) {
      ReportException(this, std::current_exception());
    }
  }
}

LRESULT CALLBACK TApplication::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* created = static_cast<TApplication*>(reinterpret_cast<CREATESTRUCTA*>(lparam)->lpCreateParams);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
  }
  auto* application = reinterpret_cast<TApplication*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  try {
    if (application != nullptr && message == WM_CLOSE) {
      // The task bar's Close closes the main form, as its own close box would.
      if (application->main_form_ != nullptr) application->main_form_->Close();
      return 0;
    }
    // Activated or restored through the task bar, the application window may end up with the
    // focus, or as the active window with none (the system drops the focus of a minimised window):
    // the focus belongs to a window the user can work in. Handed on once the system's activation
    // and restoring are over, whichever order they came in.
    const bool activated = message == WM_ACTIVATE && LOWORD(wparam) != WA_INACTIVE;
    const bool restored = message == WM_SIZE && wparam == SIZE_RESTORED;
    if (application != nullptr && (message == WM_SETFOCUS || activated || restored)) {
      PostMessageA(window, kHandFocusOn, 0, 0);
    }
    if (application != nullptr && message == kHandFocusOn) {
      HWND focus = GetFocus();
      const bool ours = focus == window || (focus == nullptr && GetActiveWindow() == window);
      if (ours && !IsIconic(window)) {
        if (HWND target = FocusTarget(window)) SetFocus(target);
      }
      return 0;
    }
  } catch (...) {
    application->ReportException(application, std::current_exception());
    return 0;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

void TApplication::ReportException(TObject* Sender, std::exception_ptr error) noexcept {
  // The best address there is for an object that is not ours: where the report was called from.
  const void* address = __builtin_return_address(0);
  try {
    if (HWND capture = GetCapture()) SendMessageA(capture, WM_CANCELMODE, 0, 0);
    try {
      std::rethrow_exception(error);
    } catch (const EAbort&) {
      // Silent by design.
    } catch (const Exception& exception) {
      if (OnException) {
        OnException(Sender, exception);
      } else {
        ShowExceptionBox(exception);
      }
    } catch (...) {
      // The box is task-modal and has no owner; the window the user worked in comes back afterwards.
      HWND active = GetActiveWindow();
      ShowFatalError(std::current_exception(), address);
      if (active != nullptr && IsWindow(active)) SetActiveWindow(active);
    }
  } catch (...) {
    // The report itself failed (no memory left for its text): there is nothing left to tell the
    // user with, and the program goes on as it would after the box.
  }
}

void TApplication::ShowExceptionBox(const Exception& error) {
  ShowAppMessageBox(WithClosingPeriod(error.Message()), ApplicationTitle(), MB_OK | MB_ICONSTOP);
}

int TApplication::ShowAppMessageBox(const std::string& text, const std::string& caption, UINT flags) {
  HWND window = handle_.Get();
  HWND active = GetActiveWindow();
  // The box appears where the user looks: on the active window's monitor.
  constexpr UINT kQuietMove = SWP_NOSIZE | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE;  // 0x1D
  RECT old_rect{};
  bool moved = false;
  if (const std::optional<RECT> monitor = OtherMonitorArea(active != nullptr ? active : window, window)) {
    if (GetWindowRect(window, &old_rect)) {
      SetWindowPos(window, nullptr, (monitor->left + monitor->right) / 2, (monitor->top + monitor->bottom) / 2, 0, 0,
                   kQuietMove);
      moved = true;
    }
  }
  HWND focus = GetFocus();
  TDisabledTaskWindows disabled(nullptr);
  // The application reads left to right: MB_RTLREADING is never added.
  const int result = MessageBoxA(window, text.c_str(), caption.c_str(), flags);
  if (moved) {
    SetWindowPos(window, nullptr, (old_rect.left + old_rect.right) / 2, (old_rect.top + old_rect.bottom) / 2, 0, 0,
                 kQuietMove);
  }
  disabled.Enable();
  if (active != nullptr && IsWindow(active)) SetActiveWindow(active);
  if (focus != nullptr && IsWindow(focus)) SetFocus(focus);
  return result;
}
