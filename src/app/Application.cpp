// The application object: its hidden window, title, forms, message loop and error reports.
#include "app/Application.h"

#include <commctrl.h>

#include "app/ErrorText.h"
#include "app/FatalError.h"

TApplication* Application = nullptr;

namespace {

const char kApplicationClass[] = "TApplication";

// The program file's name without folder and extension: the title until the program sets its own.
std::string DefaultTitle() {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string name = FileNameOfPath(std::string(path, length < MAX_PATH ? length : 0));
  const std::string::size_type dot = name.rfind('.');
  if (dot != std::string::npos) name.resize(dot);
  return name;
}

}  // namespace

void CreateApplication() {
  if (Application == nullptr) Application = new TApplication();
}

void DestroyApplication() noexcept {
  if (Application == nullptr) return;
  // Stays reachable while its forms go, so their destroy handlers can still report.
  Application->Free();
  Application = nullptr;
}

TApplication::TApplication() : TComponent(nullptr) {
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof controls;
  controls.dwICC = ICC_STANDARD_CLASSES | ICC_TAB_CLASSES;
  InitCommonControlsEx(&controls);

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
}

TApplication::~TApplication() {
  destroying_ = true;
  if (handle_) ShowOwnedPopups(handle_.Get(), FALSE);
  // Forms go while the application is whole, newest first; the main form's destroy handler runs.
  while (ComponentCount() > 0) Components(ComponentCount() - 1)->Free();
  if (HWND window = handle_.Release()) {
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    DestroyWindow(window);
  }
}

void TApplication::InitializeApp() {
  // No start-up hook is installed in this program; the step is kept for its place in the entry.
}

std::string TApplication::ApplicationTitle() const {
  char text[256] = {};
  const int length = GetWindowTextA(handle_.Get(), text, sizeof text);
  return std::string(text, length > 0 ? static_cast<std::size_t>(length) : 0);
}

void TApplication::SetApplicationTitle(const std::string& title) {
  if (ApplicationTitle() != title) SetWindowTextA(handle_.Get(), title.c_str());
}

void TApplication::AdoptMainForm(TForm* form) {
  form->Handle();
  main_form_ = form;
}

void TApplication::FormDestroyed(TForm* form) noexcept {
  if (main_form_ == form) main_form_ = nullptr;
  if (!destroying_) UpdateVisible();
}

void TApplication::UpdateVisible() noexcept {
  if (!handle_) return;
  bool any_visible = false;
  for (int i = 0; i < ComponentCount(); ++i) {
    auto* form = dynamic_cast<TForm*>(Components(i));
    if (form != nullptr && form->HandleAllocated() && IsWindowVisible(form->HandleIfAllocated())) any_visible = true;
  }
  if ((IsWindowVisible(handle_.Get()) != FALSE) != any_visible) {
    SetWindowPos(handle_.Get(), nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE |
                     (any_visible ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
  }
}

void TApplication::RunMessageLoop() {
  // The shutdown runs when the program ends (DestroyApplication), on every way out.
  if (main_form_ == nullptr) return;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  const WORD show_command = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
  bool minimised = false;
  if (show_command == SW_SHOWMAXIMIZED) {
    main_form_->SetWindowState(TWindowState::wsMaximized);
  } else if (show_command == SW_SHOWMINNOACTIVE) {
    minimised = true;
  }
  main_form_->Show();
  if (minimised) ShowWindow(handle_.Get(), SW_MINIMIZE);
  while (!terminated_) {
    try {
      HandleMessage();
    } catch (...) {
      ReportException(this, std::current_exception());
    }
  }
}

void TApplication::EndMessageLoop() { PostQuitMessage(0); }

void TApplication::HandleMessage() {
  if (!ProcessMessage()) WaitMessage();  // no idle work: the program has no hints or actions
}

bool TApplication::ProcessMessage() {
  MSG message{};
  if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) return false;
  if (message.message == WM_QUIT) {
    terminated_ = true;
    return true;
  }
  if (!IsKeyMessage(message)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return true;
}

bool TApplication::IsKeyMessage(MSG& message) {
  if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN && message.message != WM_CHAR &&
      message.message != WM_SYSCHAR) {
    return false;
  }
  HWND root = GetAncestor(message.hwnd, GA_ROOT);
  auto* form = dynamic_cast<TForm*>(TControl::FromHandle(root));
  return form != nullptr && IsWindowEnabled(root) && form->IsDialogKey(message);
}

LRESULT CALLBACK TApplication::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* created = static_cast<TApplication*>(reinterpret_cast<CREATESTRUCTA*>(lparam)->lpCreateParams);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
  }
  auto* application = reinterpret_cast<TApplication*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (application == nullptr) return DefWindowProcA(window, message, wparam, lparam);
  try {
    return application->HandleAppMessage(window, message, wparam, lparam);
  } catch (...) {
    application->ReportException(application, std::current_exception());
    return 0;
  }
}

LRESULT TApplication::HandleAppMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CLOSE:
      // The task bar's Close closes the main form, as its own close box would.
      if (main_form_ != nullptr) main_form_->Close();
      return 0;
    case WM_SETFOCUS: {
      // Activated through the task bar: the focus belongs to the form the user worked in last.
      HWND popup = GetLastActivePopup(window);
      if (popup != nullptr && popup != window && IsWindowVisible(popup) && IsWindowEnabled(popup)) {
        SetFocus(popup);
        return 0;
      }
      break;
    }
    default:
      break;
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
  const HMONITOR box_monitor = MonitorFromWindow(active != nullptr ? active : window, MONITOR_DEFAULTTONEAREST);
  const HMONITOR app_monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
  constexpr UINT kQuietMove = SWP_NOSIZE | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE;  // 0x1D
  RECT old_rect{};
  bool moved = false;
  if (box_monitor != app_monitor) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (GetMonitorInfoA(box_monitor, &info) && GetWindowRect(window, &old_rect)) {
      SetWindowPos(window, nullptr, (info.rcMonitor.left + info.rcMonitor.right) / 2,
                   (info.rcMonitor.top + info.rcMonitor.bottom) / 2, 0, 0, kQuietMove);
      moved = true;
    }
  }
  HWND focus = GetFocus();
  TDisabledTaskWindows disabled(nullptr);
  if (UseRightToLeftReading()) flags |= MB_RTLREADING;
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
