// Forms: frame and placement, modal showing, what the program adds to the dialog manager, and
// building a form from its description.
#include "ui/widgets/Forms.h"

#include <cstring>

#include "base/Exception.h"
#include "ui/widgets/Layout.h"
#include "ui/widgets/Monitors.h"
#include "ui/widgets/MulDivRound.h"

namespace {

HWND g_form_owner = nullptr;
TMessageStep g_message_step = nullptr;

DWORD FormStyle(const TFormArgs& args) {
  const bool dialog = args.border_style == TBorderStyle::bsDialog;
  DWORD style = WS_CAPTION | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | (dialog ? WS_POPUP | DS_MODALFRAME : 0) |
                (args.border_style == TBorderStyle::bsSizeable ? WS_THICKFRAME : 0);
  if (!(args.border_icons & biSystemMenu)) return style;
  // A dialog frame has the close box alone.
  if (!dialog && (args.border_icons & biMinimize)) style |= WS_MINIMIZEBOX;
  if (!dialog && (args.border_icons & biMaximize)) style |= WS_MAXIMIZEBOX;
  return style | WS_SYSMENU;
}

// Without a font of its own a form shows the system's user-interface font, a stock object (which
// DeleteObject leaves alone).
HFONT MakeFont(const std::optional<LOGFONTA>& wanted) {
  HFONT made = wanted ? CreateFontIndirectA(&*wanted) : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  if (made == nullptr) throw Exception("CreateFontIndirectA failed");
  return made;
}

TShiftState KeyboardShiftState() noexcept {
  return (GetKeyState(VK_SHIFT) < 0 ? ssShift : 0) | (GetKeyState(VK_CONTROL) < 0 ? ssCtrl : 0) |
         (GetKeyState(VK_MENU) < 0 ? ssAlt : 0);
}

// ---- What the forms add to the system's dialog manager -------------------------------------------
// The dialog manager (IsDialogMessageA in the loop, DefDlgProcA behind every form) does Tab and the
// arrow keys, Enter (the focused push button, else the default one) and Escape (IDCANCEL),
// accelerator letters, the default button's frame and each form's focus while it is inactive.
// The forms add, here and nowhere else:
// - the key preview: OnKeyDown sees every key-down first (the message dialog copies on Ctrl+C);
// - no button press for Enter or Escape while Shift, Ctrl or Alt is held;
// - Ctrl+Tab and Ctrl+PageDown select the next page of the page control that has the focus,
//   Ctrl+Shift+Tab and Ctrl+PageUp the previous one, as the system's property sheets do, where the
//   dialog manager would take Ctrl+Tab for Tab;
// - Escape presses a cancel button that is not the IDCANCEL one (OK alone, or No);
// - the close box, the system menu's Close and Alt+F4 end a modal form with mrCancel, whatever its
//   buttons, where the dialog manager would press IDCANCEL;
// - the default frame follows the focus also where the dialog manager does not move it (Wine's):
//   to a button focused by a click or by the form's activation, and back to the default button when
//   a button loses the focus, so that Enter presses the focused button and an inactive form shows
//   its default one (TButton::WndProc, since only a button sees its focus come and go);
// - the focus back on the control that last had it when the form gets the focus again, also after
//   the form was hidden with the application window (the program minimised through its task bar
//   button), which drops the focus before Wine's dialog manager notes where it was.
bool SwitchesPage(const MSG& message, TShiftState shift) noexcept {
  const WPARAM key = message.wParam;
  if (message.message != WM_KEYDOWN || (shift & (ssCtrl | ssAlt)) != ssCtrl) return false;
  if (key != VK_TAB && key != VK_NEXT && key != VK_PRIOR) return false;
  TPageControl* pages = TPageControl::Around(GetFocus());
  if (pages == nullptr) return false;
  pages->SelectNextPage(key == VK_TAB ? (shift & ssShift) == 0 : key == VK_NEXT);
  return true;
}

}  // namespace

bool IsFormKeyMessage(MSG& message) {
  if (message.message < WM_KEYFIRST || message.message > WM_KEYLAST) return false;
  HWND root = RootWindow(message.hwnd);
  auto* form = dynamic_cast<TForm*>(TControl::FromHandle(root));
  if (form == nullptr || !IsWindowEnabled(root)) return false;
  if (message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN) {
    const TShiftState shift = KeyboardShiftState();
    if (form->KeyPreview && form->OnKeyDown) {
      WORD key = static_cast<WORD>(message.wParam);
      form->OnKeyDown(form, key, shift);
      if (key == 0) return true;
      message.wParam = key;
    }
    if ((message.wParam == VK_RETURN || message.wParam == VK_ESCAPE) && shift != 0) return false;
    if (SwitchesPage(message, shift)) return true;
  }
  return IsDialogMessageA(root, &message) != FALSE;
}

LRESULT TForm::WndProc(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_CLOSE) {
    Close();
    return 0;
  }
  // Escape sends IDCANCEL without a control when the cancel button has another ID.
  if (message == WM_COMMAND && LOWORD(wparam) == IDCANCEL && lparam == 0) {
    if (cancel_button_ != nullptr && IsWindowEnabled(cancel_button_->Handle())) cancel_button_->Click();
    return 0;
  }
  if ((message == WM_ACTIVATE && LOWORD(wparam) == WA_INACTIVE) || (message == WM_SHOWWINDOW && wparam == FALSE)) {
    HWND focus = GetFocus();
    if (focus != nullptr && IsChild(Handle(), focus)) last_focus_ = focus;
  }
  if (message == WM_SETFOCUS && last_focus_ != nullptr) {
    HWND control = last_focus_;
    if (IsWindow(control) && IsChild(Handle(), control) && IsWindowVisible(control) && IsWindowEnabled(control)) {
      SendMessageA(Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
      return 0;
    }
  }
  return TControl::WndProc(message, wparam, lparam);
}

void SetFormOwner(HWND owner) noexcept { g_form_owner = owner; }

HWND FormOwner() noexcept { return g_form_owner; }

void SetMessageStep(TMessageStep step) noexcept { g_message_step = step; }

// ---- TDisabledTaskWindows ------------------------------------------------------------------------

TDisabledTaskWindows::TDisabledTaskWindows(HWND except) noexcept : except_(except) {
  EnumThreadWindows(GetCurrentThreadId(), Collect, reinterpret_cast<LPARAM>(this));
  for (HWND window : windows_) EnableWindow(window, FALSE);
}

BOOL CALLBACK TDisabledTaskWindows::Collect(HWND window, LPARAM self) noexcept {
  auto* list = reinterpret_cast<TDisabledTaskWindows*>(self);
  if (window == list->except_ || !IsWindowVisible(window) || !IsWindowEnabled(window)) return TRUE;
  try {
    list->windows_.push_back(window);
  } catch (...) {
    return FALSE;  // out of memory: disable what was listed so far
  }
  return TRUE;
}

void TDisabledTaskWindows::Enable() noexcept {
  for (HWND window : windows_) {
    if (IsWindow(window)) EnableWindow(window, TRUE);
  }
  windows_.clear();
}

// ---- TForm ---------------------------------------------------------------------------------------

TForm::TForm(const TFormArgs& args)
    : TControl(nullptr, {"", args.caption, args.left, args.top}, args.window_class, FormStyle(args),
               WS_EX_WINDOWEDGE | (args.border_style == TBorderStyle::bsDialog ? WS_EX_DLGMODALFRAME : 0), FormOwner()),
      font_(MakeFont(args.font)),
      position_(args.position) {
  SetClientSize(args.client_width, args.client_height);
}

RECT TForm::WindowRect() const noexcept {
  RECT rect{};
  GetWindowRect(Handle(), &rect);
  return rect;
}

void TForm::SetClientSize(int width, int height) noexcept {
  RECT frame{0, 0, width, height};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrA(Handle(), GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrA(Handle(), GWL_EXSTYLE)));
  SetWindowPos(Handle(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::PlaceForShowing() noexcept {
  if (position_ == TPosition::poDesigned) return;
  const RECT outer = WindowRect();
  const int width = outer.right - outer.left, height = outer.bottom - outer.top;
  const TScreenMetrics screen{{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                               GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                               GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)},
                              GetSystemMetrics(SM_CXSCREEN),
                              GetSystemMetrics(SM_CYSCREEN)};
  TScreenPoint at = CentredFormPosition(position_, screen, width, height);
  if (position_ == TPosition::poScreenCenter) {
    // On the monitor of the active form, when that is another one.
    HWND active = GetActiveWindow();
    const RECT own{at.x, at.y, at.x + width, at.y + height};
    if (active != nullptr && active != Handle()) {
      if (const std::optional<RECT> monitor = OtherMonitorArea(active, own)) {
        at = CentredIn({monitor->left, monitor->top, monitor->right, monitor->bottom}, width, height);
      }
    }
  }
  SetWindowPos(Handle(), nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::Show(int show_command) {
  PlaceForShowing();
  ShowWindow(Handle(), show_command);
  // Without an ActiveControl the dialog manager has given the focus to the first tab stop.
  if (ActiveControl != nullptr) {
    SendMessageA(Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(ActiveControl->Handle()), TRUE);
  }
}

void TForm::Close() {
  if (modal_) {
    modal_result_ = mrCancel;
  } else if (OnClose) {
    OnClose(this);
  } else {
    Hide();
  }
}

TModalResult TForm::ShowModal() {
  if (modal_ || IsWindowVisible(Handle())) throw Exception("ShowModal: the form is shown already");
  if (g_message_step == nullptr) throw Exception("ShowModal: no message loop to step");
  if (HWND capture = GetCapture()) SendMessageA(capture, WM_CANCELMODE, 0, 0);
  ReleaseCapture();
  modal_ = true;
  modal_result_ = mrNone;

  // Whatever happens in the loop, the program's windows come back and the old one is active again.
  struct ModalScope {
    TForm& form;
    HWND previous_active;
    TDisabledTaskWindows disabled;
    ~ModalScope() {
      form.modal_ = false;
      disabled.Enable();  // first, so the system has a window of ours to activate when the form hides
      form.Hide();
      if (previous_active != nullptr && IsWindow(previous_active)) SetActiveWindow(previous_active);
    }
  } scope{*this, GetActiveWindow(), TDisabledTaskWindows(Handle())};

  Show();
  while (modal_result_ == mrNone) {
    try {
      if (!g_message_step()) {
        PostQuitMessage(0);
        modal_result_ = mrCancel;
      }
    } catch (...) {
      // A key preview handler failed: reported, and the form stays up.
      ReportHandlerException(this);
    }
  }
  return modal_result_;
}

void TForm::RunHandler(const TNotifyEvent& handler) noexcept {
  try {
    if (handler) handler(this);
  } catch (...) {
    ReportHandlerException(this);
  }
}

// ---- Building a form from its description --------------------------------------------------------

int SystemPixelsPerInch() noexcept {
  // A memory device context made for the screen reports the screen's density.
  const UniqueMemoryDc screen(CreateCompatibleDC(nullptr));
  const int pixels_per_inch = screen ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 0;
  return pixels_per_inch > 0 ? pixels_per_inch : kDesignPixelsPerInch;
}

void RaiseComponentMissing(const std::string& name) {
  throw Exception("The form has no component " + name + " of the class asked for");
}

TFormArgs FormArgsOf(const TFormDescription& description, const char* window_class, int pixels_per_inch) {
  const auto scale = [&](int value) { return MulDivRound(value, pixels_per_inch, description.pixels_per_inch); };
  LOGFONTA font{};
  font.lfHeight = scale(description.font.height);
  font.lfWeight = description.font.bold ? FW_BOLD : FW_NORMAL;
  font.lfItalic = description.font.italic ? TRUE : FALSE;
  font.lfUnderline = description.font.underline ? TRUE : FALSE;
  font.lfCharSet = static_cast<BYTE>(description.font.charset);
  std::strncpy(font.lfFaceName, description.font.name, LF_FACESIZE - 1);
  return {window_class, description.caption, description.border_style, description.border_icons,
          description.position, scale(description.left), scale(description.top), scale(description.client_width),
          scale(description.client_height), font};
}

namespace {

// Makes a row's component, of the class that its arguments are for.
struct TComponentMaker {
  TControl& parent;
  const TControlArgs& args;
  TControl* operator()(const TPageControlArgs&) const { return parent.Add<TPageControl>(args); }
  TControl* operator()(const TTabSheetArgs&) const { return parent.Add<TTabSheet>(args); }
  TControl* operator()(const TMemoArgs& memo) const { return parent.Add<TMemo>(args, memo); }
  TControl* operator()(const TGroupBoxArgs&) const { return parent.Add<TGroupBox>(args); }
  TControl* operator()(const TCheckBoxArgs& box) const { return parent.Add<TCheckBox>(args, box); }
  TControl* operator()(const TRadioGroupArgs& group) const { return parent.Add<TRadioGroup>(args, group); }
  TControl* operator()(const TButtonArgs& button) const { return parent.Add<TButton>(args, button); }
};

}  // namespace

void LoadFormComponents(TForm& form, const TFormDescription& description, const std::vector<TEventBinding>& events,
                        int pixels_per_inch) {
  const auto scale = [&](int value) { return MulDivRound(value, pixels_per_inch, description.pixels_per_inch); };
  const auto handler = [&](const char* name) -> TNotifyEvent {
    if (name == nullptr) return {};
    for (const TEventBinding& binding : events) {
      if (std::strcmp(binding.name, name) == 0) return binding.handler;
    }
    throw Exception(std::string("The form has no handler ") + name);
  };
  form.OnCreate = handler(description.on_create);
  form.OnDestroy = handler(description.on_destroy);

  for (std::size_t i = 0; i < description.component_count; ++i) {
    const TComponentDescription& row = description.components[i];
    TControl* parent = std::strcmp(row.parent, description.name) == 0 ? &form : form.FindControl(row.parent);
    if (parent == nullptr) RaiseComponentMissing(row.parent);
    // Controls are made in tab order: the system's navigation follows the order they were made in.
    if (row.tab_order != static_cast<int>(parent->Controls().size())) {
      throw Exception(std::string("The form description lists ") + row.name + " out of tab order");
    }
    const TControlArgs args{row.name, row.caption != nullptr ? row.caption : "", scale(row.left), scale(row.top),
                            scale(row.width), scale(row.height), row.align};
    TControl* control = std::visit(TComponentMaker{*parent, args}, row.args);
    control->OnClick = handler(row.on_click);
    // The dialog manager alone would start in window order, where a page stands above its tabs.
    if (parent == &form && row.tab_order == 0) form.ActiveControl = control;
  }
  // Pages named as active exist only once every row is read.
  for (std::size_t i = 0; i < description.component_count; ++i) {
    const TComponentDescription& row = description.components[i];
    const auto* page_control = std::get_if<TPageControlArgs>(&row.args);
    if (page_control == nullptr || page_control->active_page == nullptr) continue;
    auto* pages = FindControlAs<TPageControl>(form, row.name);
    const TControl* active = FindControlAs<TTabSheet>(*pages, page_control->active_page);
    for (int page = 0; page < pages->PageCount(); ++page) {
      if (pages->Controls()[static_cast<std::size_t>(page)].get() == active) pages->SetActivePageIndex(page);
    }
  }
}
