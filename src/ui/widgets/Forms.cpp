// Forms: frame and placement, font, activation and focus, keyboard navigation, modal showing,
// and building a form from its description.
#include "ui/widgets/Forms.h"

#include <algorithm>
#include <cstring>

#include "app/Application.h"
#include "base/Exception.h"
#include "ui/widgets/Layout.h"

namespace {

template <typename Visit>
void ForEachDescendant(const TWinControl& container, const Visit& visit) {
  for (TControl* child : container.Controls()) {
    visit(child);
    if (TWinControl* inner = child->AsWinControl()) ForEachDescendant(*inner, visit);
  }
}

bool IsPressable(const TControl* control) {
  HWND window = control != nullptr ? control->HandleIfAllocated() : nullptr;
  return window != nullptr && IsWindowVisible(window) && control->CanFocus();
}

// Whether caption marks letter as its accelerator ("&X"); "&&" stands for a plain "&".
bool HasAccelerator(const std::string& caption, char letter) {
  const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
  for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
    const auto byte = static_cast<unsigned char>(caption[i]);
    if ((byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC)) {
      ++i;  // a double-byte character: its trail byte is never an "&"
      continue;
    }
    if (caption[i] != '&') continue;
    if (caption[i + 1] == '&') {
      ++i;
      continue;
    }
    return lower(caption[i + 1]) == lower(letter);
  }
  return false;
}

}  // namespace

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

TForm::TForm(TComponent* Owner) : TWinControl(Owner) {
  StoreVisible(false);
  // Every new form starts with the system's user-interface font until it is given its own.
  LOGFONTA font{};
  if (GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font) == 0) {
    font.lfHeight = -12;
    font.lfCharSet = DEFAULT_CHARSET;
  }
  SetFont(font);
}

TForm::~TForm() {
  if (Application != nullptr) Application->FormDestroyed(this);
}

DWORD TForm::WindowStyle() const noexcept {
  DWORD style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  switch (border_style_) {
    case TBorderStyle::bsDialog:
      style |= WS_POPUP | WS_CAPTION | DS_MODALFRAME;
      break;
    case TBorderStyle::bsSingle:
      style |= WS_OVERLAPPED | WS_CAPTION;
      break;
    case TBorderStyle::bsSizeable:
      style |= WS_OVERLAPPED | WS_CAPTION | WS_THICKFRAME;
      break;
  }
  if (border_icons_ & biSystemMenu) {
    style |= WS_SYSMENU;
    // A dialog frame has the close box alone.
    if (border_style_ != TBorderStyle::bsDialog) {
      if (border_icons_ & biMinimize) style |= WS_MINIMIZEBOX;
      if (border_icons_ & biMaximize) style |= WS_MAXIMIZEBOX;
    }
  }
  return style;
}

DWORD TForm::WindowExStyle() const noexcept {
  return border_style_ == TBorderStyle::bsDialog ? (WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE) : WS_EX_WINDOWEDGE;
}

void TForm::SetBorderStyle(TBorderStyle style) {
  border_style_ = style;
  SetClientSize(client_width_, client_height_);
}

void TForm::SetBorderIcons(unsigned icons) {
  border_icons_ = icons;
  SetClientSize(client_width_, client_height_);
}

void TForm::SetColor(TSystemColor color) {
  color_ = color;
  if (HandleAllocated()) InvalidateRect(HandleIfAllocated(), nullptr, TRUE);
}

void TForm::SetWindowState(TWindowState state) {
  window_state_ = state;
  if (HandleAllocated() && Visible()) {
    ShowWindow(HandleIfAllocated(), state == TWindowState::wsMaximized   ? SW_MAXIMIZE
                                    : state == TWindowState::wsMinimized ? SW_MINIMIZE
                                                                         : SW_RESTORE);
  }
}

void TForm::SetClientSize(int width, int height) {
  client_width_ = width;
  client_height_ = height;
  RECT frame{0, 0, width, height};
  AdjustWindowRectEx(&frame, WindowStyle(), FALSE, WindowExStyle());
  SetBounds(Left(), Top(), frame.right - frame.left, frame.bottom - frame.top);
}

void TForm::SetFont(const LOGFONTA& font) {
  UniqueFont made(CreateFontIndirectA(&font));
  if (!made) throw Exception("CreateFontIndirectA failed");
  font_data_ = font;
  font_ = std::move(made);
  HFONT handle = font_.Get();
  ForEachDescendant(*this, [handle](TControl* control) {
    if (control->HandleAllocated()) {
      SendMessageA(control->HandleIfAllocated(), WM_SETFONT, reinterpret_cast<WPARAM>(handle), TRUE);
    }
  });
}

void TForm::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.window_class = ClassName();
  params.own_class = true;
  params.style = WindowStyle();
  params.ex_style = WindowExStyle();
  params.parent = Application != nullptr ? Application->Handle() : nullptr;  // the owner: no task bar button
  params.class_style = CS_DBLCLKS;
  params.background_color = static_cast<int>(color_);
  params.icon = LoadIconA(GetModuleHandleA(nullptr), "MAINICON");
}

void TForm::InitializeHandle() {
  TWinControl::InitializeHandle();
  // The frame's size comes from the system; correct the outer size until the client area is exact.
  RECT client{};
  GetClientRect(HandleIfAllocated(), &client);
  const int extra_width = client_width_ - (client.right - client.left);
  const int extra_height = client_height_ - (client.bottom - client.top);
  if (extra_width != 0 || extra_height != 0) SetBounds(Left(), Top(), Width() + extra_width, Height() + extra_height);
}

void TForm::PlaceForShowing() {
  if (placed_) return;
  placed_ = true;
  int left = Left();
  int top = Top();
  if (position_ == TPosition::poDesktopCenter) {
    const int desktop_left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int desktop_top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    left = desktop_left + (GetSystemMetrics(SM_CXVIRTUALSCREEN) - Width()) / 2;
    top = desktop_top + (GetSystemMetrics(SM_CYVIRTUALSCREEN) - Height()) / 2;
  } else if (position_ == TPosition::poScreenCenter) {
    left = std::max(0, (GetSystemMetrics(SM_CXSCREEN) - Width()) / 2);
    top = std::max(0, (GetSystemMetrics(SM_CYSCREEN) - Height()) / 2);
    // On the monitor of the active form, when that is another one.
    HWND active = GetActiveWindow();
    if (active != nullptr && active != HandleIfAllocated()) {
      const RECT own{left, top, left + Width(), top + Height()};
      HMONITOR active_monitor = MonitorFromWindow(active, MONITOR_DEFAULTTONEAREST);
      if (active_monitor != MonitorFromRect(&own, MONITOR_DEFAULTTONEAREST)) {
        MONITORINFO info{};
        info.cbSize = sizeof info;
        if (GetMonitorInfoA(active_monitor, &info)) {
          left = info.rcMonitor.left + (info.rcMonitor.right - info.rcMonitor.left - Width()) / 2;
          top = info.rcMonitor.top + (info.rcMonitor.bottom - info.rcMonitor.top - Height()) / 2;
        }
      }
    }
  } else {
    return;
  }
  SetBounds(left, top, Width(), Height());
}

void TForm::Show() {
  HWND window = Handle();
  PlaceForShowing();
  StoreVisible(true);
  ShowWindow(window, window_state_ == TWindowState::wsMaximized   ? SW_SHOWMAXIMIZED
                     : window_state_ == TWindowState::wsMinimized ? SW_SHOWMINNOACTIVE
                                                                  : SW_SHOWNORMAL);
  if (Application != nullptr) Application->UpdateVisible();
}

void TForm::Hide() {
  StoreVisible(false);
  if (HandleAllocated()) ShowWindow(HandleIfAllocated(), SW_HIDE);
  if (Application != nullptr) Application->UpdateVisible();
}

void TForm::SetVisible(bool visible) {
  if (visible) {
    Show();
  } else {
    Hide();
  }
}

void TForm::Close() {
  if (modal_) {
    modal_result_ = mrCancel;
  } else if (Application != nullptr && Application->MainForm() == this) {
    Application->EndMessageLoop();
  } else {
    Hide();
  }
}

TModalResult TForm::ShowModal() {
  if (Application == nullptr) throw Exception("ShowModal needs the application object");
  if (modal_ || Visible()) throw Exception("ShowModal: the form is shown already");
  if (HWND capture = GetCapture()) SendMessageA(capture, WM_CANCELMODE, 0, 0);
  ReleaseCapture();
  HWND previous_active = GetActiveWindow();
  HWND window = Handle();
  modal_ = true;
  modal_result_ = mrNone;

  // Whatever happens in the loop, the program's windows come back and the old one is active again.
  struct ModalScope {
    TForm& form;
    TDisabledTaskWindows disabled;
    HWND previous_active;
    ~ModalScope() {
      form.modal_ = false;
      disabled.Enable();  // first, so the system has a window of ours to activate when the form hides
      form.Hide();
      if (previous_active != nullptr && IsWindow(previous_active)) SetActiveWindow(previous_active);
    }
  } scope{*this, TDisabledTaskWindows(window), previous_active};

  Show();
  while (modal_result_ == mrNone) {
    try {
      Application->HandleMessage();
    } catch (...) {
      // A key handler run by the loop itself (KeyPreview) failed: reported, and the form stays up.
      Application->ReportException(this, std::current_exception());
    }
    if (Application->Terminated()) modal_result_ = mrCancel;
  }
  return modal_result_;
}

void TForm::FocusFirstControl() {
  std::vector<TControl*> stops;
  CollectFocusable(stops, true);
  if (!stops.empty()) {
    stops.front()->SetFocus();
  } else {
    ::SetFocus(HandleIfAllocated());
  }
}

void TForm::SelectNext(TControl* current, bool forward) {
  std::vector<TControl*> order;
  CollectFocusable(order, false);
  // The tab stops, and the current control in its place even when it is none.
  std::vector<TControl*> stops;
  for (TControl* control : order) {
    if (control->TabStop() || control == current) stops.push_back(control);
  }
  if (stops.empty()) return;
  const auto found = std::find(stops.begin(), stops.end(), current);
  std::size_t next;
  if (found == stops.end()) {
    next = forward ? 0 : stops.size() - 1;
  } else {
    const std::size_t index = static_cast<std::size_t>(found - stops.begin());
    next = forward ? (index + 1) % stops.size() : (index + stops.size() - 1) % stops.size();
  }
  if (stops[next] != current) stops[next]->SetFocus();
}

TButton* TForm::DefaultButton() const {
  TButton* found = nullptr;
  ForEachDescendant(*this, [&found](TControl* control) {
    auto* button = dynamic_cast<TButton*>(control);
    if (found == nullptr && button != nullptr && button->Default()) found = button;
  });
  return found;
}

TButton* TForm::CancelButton() const {
  TButton* found = nullptr;
  ForEachDescendant(*this, [&found](TControl* control) {
    auto* button = dynamic_cast<TButton*>(control);
    if (found == nullptr && button != nullptr && button->Cancel()) found = button;
  });
  return found;
}

void TForm::UpdateDefaultButtonLook() noexcept {
  auto* focused = dynamic_cast<TButton*>(TControl::FromHandle(GetFocus()));
  ForEachDescendant(*this, [focused](TControl* control) {
    if (auto* button = dynamic_cast<TButton*>(control)) {
      button->ShowAsDefault(focused != nullptr ? button == focused : button->Default());
    }
  });
}

bool TForm::PressButton(TButton* button) {
  if (!IsPressable(button)) return false;
  button->Click();
  return true;
}

bool TForm::PressAccelerator(char letter) {
  TButton* found = nullptr;
  ForEachDescendant(*this, [&found, letter](TControl* control) {
    auto* button = dynamic_cast<TButton*>(control);
    if (found == nullptr && button != nullptr && IsPressable(button) && HasAccelerator(button->Caption(), letter)) {
      found = button;
    }
  });
  if (found == nullptr) return false;
  found->SetFocus();
  found->Click();
  return true;
}

bool TForm::IsDialogKey(MSG& message) {
  const TShiftState shift = KeyboardShiftState();
  HWND window = HandleIfAllocated();
  HWND focus = GetFocus();
  if (focus != nullptr && focus != window && !IsChild(window, focus)) focus = nullptr;
  TControl* focused = focus != nullptr ? TControl::FromHandle(focus) : nullptr;
  // Asked without the message, so the system's edit control never switches to its dialog mode
  // (in which Escape would post WM_CLOSE to the memo's page).
  const auto dialog_code = [&] { return focus != nullptr ? SendMessageA(focus, WM_GETDLGCODE, message.wParam, 0) : 0; };

  if (message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN) {
    if (key_preview_ && OnKeyDown) {
      WORD key = static_cast<WORD>(message.wParam);
      OnKeyDown(this, key, shift);
      if (key == 0) return true;
      message.wParam = key;
    }
    if (message.message == WM_SYSKEYDOWN) return false;  // Alt+F4 and the system menu stay the system's
    switch (message.wParam) {
      case VK_TAB:
        if ((shift & (ssCtrl | ssAlt)) || (dialog_code() & DLGC_WANTTAB)) return false;
        SelectNext(focused, !(shift & ssShift));
        return true;
      case VK_RETURN:
        if (shift != 0) return false;
        if (auto* button = dynamic_cast<TButton*>(focused)) return PressButton(button);
        if (dialog_code() & (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) return false;
        return PressButton(DefaultButton());
      case VK_ESCAPE:
        if (shift != 0) return false;
        return PressButton(CancelButton());
      case VK_LEFT:
      case VK_UP:
      case VK_RIGHT:
      case VK_DOWN: {
        if ((shift & (ssCtrl | ssAlt)) || focused == nullptr || (dialog_code() & DLGC_WANTARROWS)) return false;
        auto* group = dynamic_cast<TRadioGroup*>(focused->Parent());
        const bool forward = message.wParam == VK_RIGHT || message.wParam == VK_DOWN;
        return group != nullptr && group->StepFrom(focused, forward);
      }
      default:
        return false;
    }
  }
  if (message.message == WM_SYSCHAR || message.message == WM_CHAR) {
    if (message.message == WM_CHAR && (dialog_code() & DLGC_WANTCHARS)) return false;
    return PressAccelerator(static_cast<char>(message.wParam));
  }
  return false;
}

LRESULT TForm::WndProc(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CLOSE:
      Close();
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wparam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus != nullptr && IsChild(HandleIfAllocated(), focus)) last_focus_ = focus;
        return 0;
      }
      if (HIWORD(wparam) == 0) {  // not minimised
        if (last_focus_ != nullptr && IsWindow(last_focus_) && IsChild(HandleIfAllocated(), last_focus_) &&
            IsWindowVisible(last_focus_) && IsWindowEnabled(last_focus_)) {
          ::SetFocus(last_focus_);
        } else {
          FocusFirstControl();
        }
      }
      return 0;
    case WM_ERASEBKGND: {
      RECT client{};
      GetClientRect(HandleIfAllocated(), &client);
      FillRect(reinterpret_cast<HDC>(wparam), &client, GetSysColorBrush(static_cast<int>(color_)));
      return 1;
    }
    default:
      return TWinControl::WndProc(message, wparam, lparam);
  }
}

void TForm::DoCreate() noexcept {
  if (!OnCreate) return;
  try {
    OnCreate(this);
  } catch (...) {
    ReportHandlerException(this);
  }
}

void TForm::BeforeDestruction() noexcept {
  if (OnDestroy) {
    try {
      OnDestroy(this);
    } catch (...) {
      ReportHandlerException(this);
    }
  }
  DestroyHandle();
  TWinControl::BeforeDestruction();
}

// ---- Building a form from its description --------------------------------------------------------

int SystemPixelsPerInch() noexcept {
  WindowDc screen(nullptr);
  if (screen.Get() == nullptr) return kDesignPixelsPerInch;
  const int pixels_per_inch = GetDeviceCaps(screen.Get(), LOGPIXELSY);
  return pixels_per_inch > 0 ? pixels_per_inch : kDesignPixelsPerInch;
}

void RaiseComponentMissing(const std::string& name) {
  throw Exception("The form has no component " + name + " of the class asked for");
}

namespace {

std::vector<std::string> TextsOf(const TTextList& list) {
  std::vector<std::string> texts;
  for (std::size_t i = 0; i < list.count; ++i) texts.emplace_back(list.items[i]);
  return texts;
}

TControl* NewControl(TComponentKind kind, TForm& owner) {
  switch (kind) {
    case TComponentKind::PageControl: return new TPageControl(&owner);
    case TComponentKind::TabSheet: return new TTabSheet(&owner);
    case TComponentKind::Memo: return new TMemo(&owner);
    case TComponentKind::GroupBox: return new TGroupBox(&owner);
    case TComponentKind::CheckBox: return new TCheckBox(&owner);
    case TComponentKind::RadioGroup: return new TRadioGroup(&owner);
    case TComponentKind::Button: return new TButton(&owner);
  }
  throw Exception("Unknown component class in a form description");
}

}  // namespace

void LoadFormDescription(TForm& form, const TFormDescription& description, const std::vector<TEventBinding>& events,
                         int pixels_per_inch) {
  const auto scale = [&](int value) { return MulDivRound(value, pixels_per_inch, description.pixels_per_inch); };
  const auto handler = [&](const char* name) -> TNotifyEvent {
    if (name == nullptr) return {};
    for (const TEventBinding& binding : events) {
      if (std::strcmp(binding.name, name) == 0) return binding.handler;
    }
    throw Exception(std::string("The form has no handler ") + name);
  };

  form.SetName(description.name);
  form.SetCaption(description.caption);
  form.SetBorderStyle(description.border_style);
  form.SetBorderIcons(description.border_icons);
  form.SetPosition(description.position);
  form.SetColor(description.color);
  form.SetBounds(scale(description.left), scale(description.top), form.Width(), form.Height());
  form.SetClientSize(scale(description.client_width), scale(description.client_height));

  LOGFONTA font{};
  font.lfHeight = scale(description.font.height);
  font.lfWeight = description.font.bold ? FW_BOLD : FW_NORMAL;
  font.lfItalic = description.font.italic ? TRUE : FALSE;
  font.lfUnderline = description.font.underline ? TRUE : FALSE;
  font.lfCharSet = static_cast<BYTE>(description.font.charset);
  font.lfOutPrecision = OUT_DEFAULT_PRECIS;
  font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  font.lfQuality = DEFAULT_QUALITY;
  font.lfPitchAndFamily = DEFAULT_PITCH;
  std::strncpy(font.lfFaceName, description.font.name, LF_FACESIZE - 1);
  form.SetFont(font);
  form.OnCreate = handler(description.on_create);
  form.OnDestroy = handler(description.on_destroy);

  for (std::size_t i = 0; i < description.component_count; ++i) {
    const TComponentDescription& row = description.components[i];
    TWinControl* parent = std::strcmp(row.parent, description.name) == 0
                              ? static_cast<TWinControl*>(&form)
                              : FindComponentAs<TWinControl>(form, row.parent);
    TControl* control = NewControl(row.kind, form);
    const TProperties& properties = row.properties;
    control->SetName(row.name);
    control->SetBounds(scale(row.left), scale(row.top), scale(row.width), scale(row.height));
    if (row.caption != nullptr) control->SetCaption(row.caption);
    if (row.kind != TComponentKind::TabSheet) control->SetAlign(properties.align);
    control->SetParent(parent);
    control->SetTabOrder(row.tab_order);
    control->OnClick = handler(properties.on_click);
    switch (row.kind) {
      case TComponentKind::Memo: {
        auto* memo = static_cast<TMemo*>(control);
        memo->SetReadOnly(properties.read_only);
        memo->SetWordWrap(properties.word_wrap);
        memo->SetScrollBars(properties.scroll_bars);
        memo->SetLines(TextsOf(properties.lines));
        break;
      }
      case TComponentKind::CheckBox: {
        auto* check_box = static_cast<TCheckBox*>(control);
        check_box->SetAllowGrayed(properties.allow_grayed);
        check_box->SetChecked(properties.checked);
        break;
      }
      case TComponentKind::RadioGroup: {
        auto* radio_group = static_cast<TRadioGroup*>(control);
        radio_group->SetItems(TextsOf(properties.lines));
        radio_group->SetItemIndex(properties.item_index);
        break;
      }
      case TComponentKind::Button: {
        auto* button = static_cast<TButton*>(control);
        button->SetDefault(properties.is_default);
        button->SetCancel(properties.is_cancel);
        button->SetModalResult(properties.modal_result);
        break;
      }
      default:
        break;
    }
  }
  // Pages named as active exist only once every row is read.
  for (std::size_t i = 0; i < description.component_count; ++i) {
    const TComponentDescription& row = description.components[i];
    if (row.kind == TComponentKind::PageControl && row.properties.active_page != nullptr) {
      FindComponentAs<TPageControl>(form, row.name)
          ->SetActivePage(FindComponentAs<TTabSheet>(form, row.properties.active_page));
    }
  }
}
