// Components and controls: ownership, the one window procedure with its reflection and catch-all,
// and the thin wrappers over the system's controls.
#include "ui/widgets/Controls.h"

#include <commctrl.h>

#include <algorithm>

#include "app/Application.h"
#include "base/Exception.h"
#include "ui/widgets/Forms.h"
#include "ui/widgets/Layout.h"

namespace {

// The window property that leads from a window to its control object.
const char kControlProperty[] = "Quellmark.TControl";

}  // namespace

TShiftState KeyboardShiftState() noexcept {
  TShiftState shift = 0;
  if (GetKeyState(VK_SHIFT) < 0) shift |= ssShift;
  if (GetKeyState(VK_CONTROL) < 0) shift |= ssCtrl;
  if (GetKeyState(VK_MENU) < 0) shift |= ssAlt;
  return shift;
}

void ReportHandlerException(TObject* Sender) noexcept {
  if (Application != nullptr) Application->ReportException(Sender, std::current_exception());
}

// ---- TComponent ----------------------------------------------------------------------------------

TComponent::TComponent(TComponent* Owner) : owner_(Owner) {
  if (owner_ != nullptr) owner_->components_.push_back(this);
}

TComponent::~TComponent() {
  // Newest first, so a control goes before the container it was placed on.
  while (!components_.empty()) components_.back()->Free();
  if (owner_ != nullptr) {
    auto& siblings = owner_->components_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
  }
}

void TComponent::Free() noexcept {
  if (freeing_) return;
  freeing_ = true;
  BeforeDestruction();
  delete this;
}

TComponent* TComponent::FindComponent(const std::string& name) const noexcept {
  if (name.empty()) return nullptr;
  for (TComponent* component : components_) {
    if (component->name_ == name) return component;
  }
  return nullptr;
}

// ---- TControl ------------------------------------------------------------------------------------

TControl::TControl(TComponent* Owner) : TComponent(Owner) {}

TControl::~TControl() {
  // The derived parts are gone: no message may reach them while the window goes.
  if (handle_) {
    Unbind();
  }
  if (parent_ != nullptr) {
    auto& siblings = parent_->controls_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
  }
}

void TControl::BeforeDestruction() noexcept { DestroyHandle(); }

void TControl::DestroyHandle() noexcept {
  HWND window = handle_.Get();
  if (window == nullptr) return;
  // The messages of the destruction reach this object while it is whole; WM_NCDESTROY unbinds it.
  DestroyWindow(window);
  handle_.Release();
}

void TControl::Bind(HWND window) noexcept {
  handle_.Reset(window);
  SetPropA(window, kControlProperty, this);
}

void TControl::Unbind() noexcept {
  HWND window = handle_.Release();
  if (window == nullptr) return;
  RemovePropA(window, kControlProperty);
  RemoveSubclass(window);
  // A window still alive here (the object is being destroyed) goes now, without the object.
  if (IsWindow(window)) DestroyWindow(window);
}

TControl* TControl::FromHandle(HWND window) noexcept {
  if (window == nullptr) return nullptr;
  return static_cast<TControl*>(GetPropA(window, kControlProperty));
}

LRESULT CALLBACK TControl::OwnClassProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* control = static_cast<TControl*>(reinterpret_cast<CREATESTRUCTA*>(lparam)->lpCreateParams);
    if (control != nullptr && !control->handle_) control->Bind(window);
  }
  TControl* control = FromHandle(window);
  if (control == nullptr) return DefWindowProcA(window, message, wparam, lparam);
  return control->Dispatch(window, message, wparam, lparam);
}

LRESULT CALLBACK TControl::SubclassProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  TControl* control = FromHandle(window);
  if (control == nullptr) return DefWindowProcA(window, message, wparam, lparam);  // not reached: bound first
  return control->Dispatch(window, message, wparam, lparam);
}

// Subclassing by replacing the window procedure, as every Windows version allows: comctl32's
// SetWindowSubclass exists by name only from common controls 6 (Windows XP).
void TControl::Subclass(HWND window) {
  SetLastError(0);
  const LONG_PTR previous = SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SubclassProc));
  if (previous == 0 && GetLastError() != 0) throw Exception(std::string("SetWindowLongPtrA failed: ") + Name());
  class_proc_ = reinterpret_cast<WNDPROC>(previous);
}

void TControl::RemoveSubclass(HWND window) noexcept {
  if (class_proc_ == nullptr) return;
  // Put the class's procedure back only if nobody subclassed the window after us.
  if (GetWindowLongPtrA(window, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(SubclassProc)) {
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(class_proc_));
  }
  class_proc_ = nullptr;
}

LRESULT TControl::Dispatch(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept {
  LRESULT result = 0;
  try {
    result = WndProc(message, wparam, lparam);
  } catch (...) {
    // Nothing may unwind into the system's code that called us.
    ReportHandlerException(this);
  }
  if (message == WM_NCDESTROY && handle_.Get() == window) {
    // The system destroyed the window (with its parent, or by DestroyHandle): let go of it.
    RemovePropA(window, kControlProperty);
    RemoveSubclass(window);
    handle_.Release();
  }
  return result;
}

LRESULT TControl::DefaultHandler(UINT message, WPARAM wparam, LPARAM lparam) {
  HWND window = handle_.Get();
  if (class_proc_ != nullptr) return CallWindowProcA(class_proc_, window, message, wparam, lparam);
  return DefWindowProcA(window, message, wparam, lparam);
}

LRESULT TControl::WndProc(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      // A child's notification goes to the child's own object, so forms never switch on control ids.
      if (lparam != 0) {
        TControl* child = FromHandle(reinterpret_cast<HWND>(lparam));
        if (child != nullptr && child != this && child->HandleCommand(HIWORD(wparam))) return 0;
      }
      break;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lparam);
      TControl* child = header != nullptr ? FromHandle(header->hwndFrom) : nullptr;
      LRESULT result = 0;
      if (child != nullptr && child != this && child->HandleNotify(*header, result)) return result;
      break;
    }
    case WM_WINDOWPOSCHANGED: {
      // Keep the stored bounds in step when the system or the user moves the window.
      const auto* position = reinterpret_cast<const WINDOWPOS*>(lparam);
      if (!(position->flags & SWP_NOMOVE)) {
        left_ = position->x;
        top_ = position->y;
      }
      if (!(position->flags & SWP_NOSIZE)) {
        width_ = position->cx;
        height_ = position->cy;
      }
      break;
    }
    default:
      break;
  }
  return DefaultHandler(message, wparam, lparam);
}

bool TControl::HandleCommand(WORD) { return false; }

bool TControl::HandleNotify(NMHDR&, LRESULT&) { return false; }

LRESULT TControl::Perform(UINT message, WPARAM wparam, LPARAM lparam) {
  return SendMessageA(Handle(), message, wparam, lparam);
}

void TControl::CreateParams(TCreateParams& params) {
  params.x = left_;
  params.y = top_;
  params.width = width_;
  params.height = height_;
  if (visible_) params.style |= WS_VISIBLE;
  if (!enabled_) params.style |= WS_DISABLED;
  if (tab_stop_) params.style |= WS_TABSTOP;
}

void TControl::CreateHandle() {
  if (handle_) return;
  HWND parent_window = nullptr;
  if (parent_ != nullptr) {
    parent_window = parent_->Handle();
    if (handle_) return;  // the parent made ours together with its own
  }
  TCreateParams params;
  params.parent = parent_window;
  CreateParams(params);
  HINSTANCE instance = GetModuleHandleA(nullptr);
  if (params.own_class) {
    WNDCLASSEXA existing{};
    existing.cbSize = sizeof existing;
    if (!GetClassInfoExA(instance, params.window_class, &existing)) {
      WNDCLASSEXA window_class{};
      window_class.cbSize = sizeof window_class;
      window_class.style = params.class_style;
      window_class.lpfnWndProc = OwnClassProc;
      window_class.hInstance = instance;
      window_class.hIcon = params.icon;
      window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
      if (params.background_color >= 0) {
        window_class.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(params.background_color + 1));
      }
      window_class.lpszClassName = params.window_class;
      if (RegisterClassExA(&window_class) == 0) {
        throw Exception(std::string("RegisterClassExA failed: ") + params.window_class);
      }
    }
  }
  HWND window = CreateWindowExA(params.ex_style, params.window_class, caption_.c_str(), params.style, params.x,
                                params.y, params.width, params.height, params.parent, nullptr, instance,
                                params.own_class ? this : nullptr);
  if (window == nullptr) {
    throw Exception(std::string("CreateWindowExA failed: ") + params.window_class + " " + Name());
  }
  if (!params.own_class) {
    Bind(window);
    try {
      Subclass(window);
    } catch (...) {
      Unbind();
      throw;
    }
  }
  InitializeHandle();
}

void TControl::InitializeHandle() {
  if (TForm* form = ParentForm(); form != nullptr && form != this) ApplyFont(form->FontHandle());
}

void TControl::ApplyFont(HFONT font) noexcept {
  if (handle_ && font != nullptr) SendMessageA(handle_.Get(), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

HWND TControl::Handle() {
  CreateHandle();
  return handle_.Get();
}

TForm* TControl::ParentForm() noexcept {
  TControl* control = this;
  while (control->parent_ != nullptr) control = control->parent_;
  return dynamic_cast<TForm*>(control);
}

void TControl::SetParent(TWinControl* parent) {
  if (parent == parent_) return;
  if (parent_ != nullptr) {
    auto& siblings = parent_->controls_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
  }
  parent_ = parent;
  if (parent_ == nullptr) return;
  parent_->controls_.push_back(this);
  parent_->ChildAdded(this);
  if (handle_) {
    ::SetParent(handle_.Get(), parent_->Handle());
  } else if (parent_->HandleAllocated()) {
    CreateHandle();
  }
}

void TControl::SetBounds(int left, int top, int width, int height) {
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  ApplyBounds();
}

void TControl::ApplyBounds() {
  if (handle_) SetWindowPos(handle_.Get(), nullptr, left_, top_, width_, height_, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TControl::SetAlign(TAlign align) {
  align_ = align;
  if (parent_ != nullptr) parent_->AlignControls();
}

std::string TControl::Caption() const {
  if (!handle_) return caption_;
  const int length = GetWindowTextLengthA(handle_.Get());
  if (length <= 0) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const int copied = GetWindowTextA(handle_.Get(), &text[0], length + 1);
  text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
  return text;
}

void TControl::SetCaption(const std::string& caption) {
  caption_ = caption;
  if (handle_) SetWindowTextA(handle_.Get(), caption_.c_str());
}

void TControl::SetVisible(bool visible) {
  visible_ = visible;
  if (handle_) ShowWindow(handle_.Get(), visible ? SW_SHOW : SW_HIDE);
}

void TControl::SetEnabled(bool enabled) {
  enabled_ = enabled;
  if (handle_) EnableWindow(handle_.Get(), enabled ? TRUE : FALSE);
}

int TControl::TabOrder() const noexcept {
  if (parent_ == nullptr) return -1;
  const auto& siblings = parent_->controls_;
  return static_cast<int>(std::find(siblings.begin(), siblings.end(), this) - siblings.begin());
}

void TControl::SetTabOrder(int tab_order) {
  if (parent_ == nullptr) return;
  auto& siblings = parent_->controls_;
  siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
  const std::size_t at = std::min(static_cast<std::size_t>(std::max(tab_order, 0)), siblings.size());
  siblings.insert(siblings.begin() + static_cast<std::ptrdiff_t>(at), this);
}

void TControl::SetTabStop(bool tab_stop) {
  tab_stop_ = tab_stop;
  if (!handle_) return;
  const LONG_PTR style = GetWindowLongPtrA(handle_.Get(), GWL_STYLE);
  SetWindowLongPtrA(handle_.Get(), GWL_STYLE, tab_stop ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP)));
}

void TControl::Click() {
  if (OnClick) OnClick(this);
}

bool TControl::CanFocus() const noexcept {
  HWND window = handle_.Get();
  if (window == nullptr || !IsWindowVisible(window)) return false;
  // A disabled container takes the input away from everything on it.
  for (HWND w = window; w != nullptr; w = (GetWindowLongPtrA(w, GWL_STYLE) & WS_CHILD) ? GetParent(w) : nullptr) {
    if (!IsWindowEnabled(w)) return false;
  }
  return true;
}

bool TControl::Focused() const noexcept { return handle_ && GetFocus() == handle_.Get(); }

void TControl::SetFocus() { ::SetFocus(Handle()); }

// ---- TWinControl ---------------------------------------------------------------------------------

TWinControl::~TWinControl() {
  for (TControl* control : controls_) control->parent_ = nullptr;
  controls_.clear();
}

void TWinControl::InitializeHandle() {
  TControl::InitializeHandle();
  // Children are made in tab order, which also gives them that order in the sibling list.
  const std::vector<TControl*> children = controls_;
  for (TControl* child : children) child->CreateHandle();
  AlignControls();
}

RECT TWinControl::AlignRect() {
  RECT rect{};
  GetClientRect(HandleIfAllocated(), &rect);
  return rect;
}

void TWinControl::AlignControls() {
  if (!HandleAllocated()) return;
  const RECT area = AlignRect();
  for (TControl* child : controls_) {
    if (child->Align() == TAlign::alClient) {
      child->SetBounds(area.left, area.top, area.right - area.left, area.bottom - area.top);
    }
  }
}

void TWinControl::CollectFocusable(std::vector<TControl*>& list, bool tab_stops_only) const {
  for (TControl* child : controls_) {
    HWND window = child->HandleIfAllocated();
    if (window == nullptr || !IsWindowVisible(window) || !IsWindowEnabled(window)) continue;
    if (child->TabStop() || !tab_stops_only) list.push_back(child);
    if (TWinControl* container = child->AsWinControl()) container->CollectFocusable(list, tab_stops_only);
  }
}

LRESULT TWinControl::WndProc(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_SIZE: {
      const LRESULT result = TControl::WndProc(message, wparam, lparam);
      AlignControls();
      return result;
    }
    case WM_CLOSE:
      // A stray WM_CLOSE must not destroy a page or a group; only forms close.
      if (GetWindowLongPtrA(HandleIfAllocated(), GWL_STYLE) & WS_CHILD) return 0;
      break;
    default:
      break;
  }
  return TControl::WndProc(message, wparam, lparam);
}

// ---- TCanvas -------------------------------------------------------------------------------------

TCanvas::TCanvas(HFONT font) : dc_(CreateCompatibleDC(nullptr)) {
  if (!dc_) throw Exception("CreateCompatibleDC failed");
  if (font != nullptr) previous_font_ = SelectObject(dc_.Get(), font);
}

TCanvas::~TCanvas() {
  if (previous_font_ != nullptr && previous_font_ != HGDI_ERROR) SelectObject(dc_.Get(), previous_font_);
}

SIZE TCanvas::TextExtent(const std::string& text) const {
  SIZE size{};
  GetTextExtentPointA(dc_.Get(), text.data(), static_cast<int>(text.size()), &size);
  return size;
}

RECT TCanvas::TextRect(const std::string& text, RECT bounds, UINT flags) const {
  DrawTextA(dc_.Get(), text.data(), static_cast<int>(text.size()), &bounds, flags | DT_CALCRECT);
  return bounds;
}

TEXTMETRICA TCanvas::TextMetrics() const {
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc_.Get(), &metrics);
  return metrics;
}

// ---- TPageControl and TTabSheet ------------------------------------------------------------------

int TPageControl::PageCount() const noexcept { return static_cast<int>(Controls().size()); }

TTabSheet* TPageControl::Pages(int index) const {
  return static_cast<TTabSheet*>(Controls().at(static_cast<std::size_t>(index)));
}

TTabSheet* TPageControl::ActivePage() const {
  return active_page_ >= 0 && active_page_ < PageCount() ? Pages(active_page_) : nullptr;
}

void TPageControl::SetActivePage(TTabSheet* page) {
  for (int i = 0; i < PageCount(); ++i) {
    if (Pages(i) == page) SetActivePageIndex(i);
  }
}

void TPageControl::SetActivePageIndex(int index) {
  if (index < 0 || index >= PageCount()) return;
  active_page_ = index;
  if (HandleAllocated()) SendMessageA(HandleIfAllocated(), TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
  ShowActivePage();
}

void TPageControl::ShowActivePage() {
  // The page that goes away must not keep the focus hidden inside it.
  HWND focus = GetFocus();
  for (int i = 0; i < PageCount(); ++i) {
    TTabSheet* page = Pages(i);
    if (i != active_page_ && page->HandleAllocated() && focus != nullptr && IsChild(page->HandleIfAllocated(), focus)) {
      ::SetFocus(HandleIfAllocated());
    }
  }
  for (int i = 0; i < PageCount(); ++i) Pages(i)->SetVisible(i == active_page_);
}

TPageControl::TPageControl(TComponent* Owner) : TWinControl(Owner) { SetTabStop(true); }

void TPageControl::ChildAdded(TControl* child) {
  if (!HandleAllocated()) return;
  TTabSheet* page = static_cast<TTabSheet*>(child);
  std::string text = page->Caption();
  TCITEMA item{};
  item.mask = TCIF_TEXT;
  item.pszText = &text[0];
  SendMessageA(HandleIfAllocated(), TCM_INSERTITEMA, static_cast<WPARAM>(PageCount() - 1), reinterpret_cast<LPARAM>(&item));
}

void TPageControl::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.window_class = WC_TABCONTROLA;
  params.style |= WS_CLIPCHILDREN | WS_TABSTOP;
}

void TPageControl::InitializeHandle() {
  for (int i = 0; i < PageCount(); ++i) {
    std::string text = Pages(i)->Caption();
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = &text[0];
    SendMessageA(HandleIfAllocated(), TCM_INSERTITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
  }
  for (int i = 0; i < PageCount(); ++i) Pages(i)->SetVisible(i == active_page_);
  TWinControl::InitializeHandle();
  SendMessageA(HandleIfAllocated(), TCM_SETCURSEL, static_cast<WPARAM>(active_page_), 0);
}

RECT TPageControl::AlignRect() {
  RECT rect = TWinControl::AlignRect();
  SendMessageA(HandleIfAllocated(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&rect));
  return rect;
}

bool TPageControl::HandleNotify(NMHDR& header, LRESULT& result) {
  if (header.code == static_cast<UINT>(TCN_SELCHANGING)) {
    result = FALSE;
    return true;
  }
  if (header.code == static_cast<UINT>(TCN_SELCHANGE)) {
    const LRESULT selected = SendMessageA(HandleIfAllocated(), TCM_GETCURSEL, 0, 0);
    if (selected >= 0 && selected < PageCount()) {
      active_page_ = static_cast<int>(selected);
      ShowActivePage();
    }
    if (OnChange) OnChange(this);
    result = 0;
    return true;
  }
  return false;
}

TTabSheet::TTabSheet(TComponent* Owner) : TWinControl(Owner) {
  SetAlign(TAlign::alClient);
  SetVisible(false);
}

TPageControl* TTabSheet::PageControl() const noexcept { return dynamic_cast<TPageControl*>(Parent()); }

void TTabSheet::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.window_class = "TTabSheet";
  params.own_class = true;
  params.style |= WS_CLIPCHILDREN;
  params.background_color = COLOR_BTNFACE;
}

// ---- TMemo ---------------------------------------------------------------------------------------

TMemo::TMemo(TComponent* Owner) : TControl(Owner) { SetTabStop(true); }

void TMemo::SetLines(const std::vector<std::string>& lines) {
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) text += "\r\n";
    text += lines[i];
  }
  SetCaption(text);
}

void TMemo::SetReadOnly(bool read_only) {
  read_only_ = read_only;
  if (HandleAllocated()) SendMessageA(HandleIfAllocated(), EM_SETREADONLY, read_only ? TRUE : FALSE, 0);
}

void TMemo::CreateParams(TCreateParams& params) {
  TControl::CreateParams(params);
  params.window_class = "EDIT";
  params.ex_style |= WS_EX_CLIENTEDGE;
  params.style |= ES_MULTILINE | ES_AUTOVSCROLL;
  if (!word_wrap_) params.style |= ES_AUTOHSCROLL;  // without it, lines break at the memo's width
  if (read_only_) params.style |= ES_READONLY;
  if (scroll_bars_ == TScrollStyle::ssVertical || scroll_bars_ == TScrollStyle::ssBoth) params.style |= WS_VSCROLL;
  if (scroll_bars_ == TScrollStyle::ssHorizontal || scroll_bars_ == TScrollStyle::ssBoth) params.style |= WS_HSCROLL;
}

LRESULT TMemo::WndProc(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_GETDLGCODE) {
    // Tab moves on to the next control instead of going into the text.
    return TControl::WndProc(message, wparam, lparam) & ~static_cast<LRESULT>(DLGC_WANTTAB);
  }
  return TControl::WndProc(message, wparam, lparam);
}

// ---- TGroupBox -----------------------------------------------------------------------------------

void TGroupBox::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.window_class = "BUTTON";
  // The frame is painted under its children, never over them.
  params.style |= BS_GROUPBOX | WS_CLIPCHILDREN;
}

// ---- TCheckBox -----------------------------------------------------------------------------------

TCheckBox::TCheckBox(TComponent* Owner) : TControl(Owner) { SetTabStop(true); }

bool TCheckBox::Checked() const noexcept {
  if (!HandleAllocated()) return checked_;
  return SendMessageA(HandleIfAllocated(), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TCheckBox::SetChecked(bool checked) {
  checked_ = checked;
  if (HandleAllocated()) SendMessageA(HandleIfAllocated(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TCheckBox::CreateParams(TCreateParams& params) {
  TControl::CreateParams(params);
  params.window_class = "BUTTON";
  params.style |= allow_grayed_ ? BS_AUTO3STATE : BS_AUTOCHECKBOX;
}

void TCheckBox::InitializeHandle() {
  TControl::InitializeHandle();
  SendMessageA(HandleIfAllocated(), BM_SETCHECK, checked_ ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool TCheckBox::HandleCommand(WORD notification_code) {
  if (notification_code != BN_CLICKED) return false;
  checked_ = Checked();
  Click();
  return true;
}

// ---- TRadioGroup ---------------------------------------------------------------------------------

namespace {

// One item of a radio group: a radio button that tells its group when it is chosen.
class TRadioItem : public TControl {
 public:
  TRadioItem(TRadioGroup* group, int index) : TControl(group), group_(group), index_(index) {}
  const char* ClassName() const noexcept override { return "TGroupButton"; }
  int Index() const noexcept { return index_; }

 protected:
  void CreateParams(TCreateParams& params) override {
    TControl::CreateParams(params);
    params.window_class = "BUTTON";
    params.style |= BS_RADIOBUTTON;
  }
  bool HandleCommand(WORD notification_code) override {
    if (notification_code != BN_CLICKED) return false;
    group_->ItemChosen(index_);
    return true;
  }

 private:
  TRadioGroup* group_;
  int index_;
};

}  // namespace

void TRadioGroup::SetItems(const std::vector<std::string>& items) {
  for (TControl* button : buttons_) button->Free();
  buttons_.clear();
  items_ = items;
  for (std::size_t i = 0; i < items_.size(); ++i) {
    auto* button = new TRadioItem(this, static_cast<int>(i));
    buttons_.push_back(button);
    button->SetCaption(items_[i]);
    button->SetParent(this);
  }
  if (item_index_ >= ItemCount()) item_index_ = -1;
  ArrangeItems();
  ShowItemIndex();
}

void TRadioGroup::SetItemIndex(int index) {
  item_index_ = (index >= 0 && index < ItemCount()) ? index : -1;
  ShowItemIndex();
}

void TRadioGroup::ItemChosen(int index) {
  SetItemIndex(index);
  Click();
}

bool TRadioGroup::StepFrom(TControl* item, bool forward) {
  const auto found = std::find(buttons_.begin(), buttons_.end(), item);
  if (found == buttons_.end() || buttons_.empty()) return false;
  const int count = ItemCount();
  const int index = static_cast<int>(found - buttons_.begin());
  const int next = (index + (forward ? 1 : count - 1)) % count;
  buttons_[static_cast<std::size_t>(next)]->SetFocus();
  ItemChosen(next);
  return true;
}

void TRadioGroup::ShowItemIndex() {
  for (std::size_t i = 0; i < buttons_.size(); ++i) {
    const bool selected = static_cast<int>(i) == item_index_;
    // Tab reaches the group through its selected item (the first one while none is selected).
    buttons_[i]->SetTabStop(selected || (item_index_ < 0 && i == 0));
    if (buttons_[i]->HandleAllocated()) {
      SendMessageA(buttons_[i]->HandleIfAllocated(), BM_SETCHECK, selected ? BST_CHECKED : BST_UNCHECKED, 0);
    }
  }
}

void TRadioGroup::ArrangeItems() {
  if (!HandleAllocated()) return;
  TForm* form = ParentForm();
  const TCanvas canvas(form != nullptr ? form->FontHandle() : nullptr);
  const int text_height = canvas.TextMetrics().tmHeight;
  for (std::size_t i = 0; i < buttons_.size(); ++i) {
    const TBounds bounds = RadioItemBounds(static_cast<int>(i), ItemCount(), Width(), Height(), text_height);
    buttons_[i]->SetBounds(bounds.left, bounds.top, bounds.width, bounds.height);
  }
}

void TRadioGroup::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.window_class = "BUTTON";
  params.style |= BS_GROUPBOX | WS_CLIPCHILDREN;
}

void TRadioGroup::InitializeHandle() {
  TWinControl::InitializeHandle();
  ArrangeItems();
  ShowItemIndex();
}

// ---- TButton -------------------------------------------------------------------------------------

TButton::TButton(TComponent* Owner) : TControl(Owner) { SetTabStop(true); }

void TButton::SetDefault(bool value) {
  default_ = value;
  if (TForm* form = ParentForm()) form->UpdateDefaultButtonLook();
}

void TButton::Click() {
  if (modal_result_ != mrNone) {
    if (TForm* form = ParentForm()) form->SetModalResult(modal_result_);
  }
  TControl::Click();
}

void TButton::ShowAsDefault(bool active) noexcept {
  if (!HandleAllocated()) return;
  SendMessageA(HandleIfAllocated(), BM_SETSTYLE, active ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::CreateParams(TCreateParams& params) {
  TControl::CreateParams(params);
  params.window_class = "BUTTON";
  params.style |= default_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

bool TButton::HandleCommand(WORD notification_code) {
  if (notification_code != BN_CLICKED) return false;
  Click();
  return true;
}

LRESULT TButton::WndProc(UINT message, WPARAM wparam, LPARAM lparam) {
  const LRESULT result = TControl::WndProc(message, wparam, lparam);
  if (message == WM_SETFOCUS || message == WM_KILLFOCUS) {
    if (TForm* form = ParentForm()) form->UpdateDefaultButtonLook();
  }
  return result;
}

// ---- TLabel and TImage ---------------------------------------------------------------------------

void TLabel::CreateParams(TCreateParams& params) {
  TControl::CreateParams(params);
  params.window_class = "STATIC";
  params.style |= word_wrap_ ? SS_LEFT : SS_LEFTNOWORDWRAP;
}

void TImage::SetIcon(HICON icon) {
  icon_ = icon;
  if (HandleAllocated()) {
    SendMessageA(HandleIfAllocated(), STM_SETICON, reinterpret_cast<WPARAM>(icon_), 0);
    ApplyBounds();
  }
}

void TImage::CreateParams(TCreateParams& params) {
  TControl::CreateParams(params);
  params.window_class = "STATIC";
  params.style |= SS_ICON;
}

void TImage::InitializeHandle() {
  TControl::InitializeHandle();
  if (icon_ != nullptr) SendMessageA(HandleIfAllocated(), STM_SETICON, reinterpret_cast<WPARAM>(icon_), 0);
  // SS_ICON sizes the control to the icon; the bounds given win.
  ApplyBounds();
}
