// Controls: the one window procedure with its reflection and catch-all, the ownership tree, and the
// thin wrappers over the system's controls.
#include "ui/widgets/Controls.h"

#include <commctrl.h>

#include <algorithm>

#include "base/Exception.h"
#include "ui/widgets/Layout.h"
#include "ui/widgets/WindowTree.h"

namespace {

// Control IDs from here up number the controls, one each; the IDs below are modal results.
constexpr int kFirstControlId = 100;

TExceptionSink g_sink = nullptr;

// IDs stay within the 16 bits that WM_COMMAND carries.
HMENU NextControlId() {
  static int next = kFirstControlId;
  if (next > 0xFFFF) next = kFirstControlId;
  return reinterpret_cast<HMENU>(static_cast<INT_PTR>(next++));
}

// A class that neither the system nor we have registered yet becomes ours, with the button-face
// background and the program's icon. A form's class is a dialog class: DefDlgProcA runs its windows
// and keeps its state in the room after the user data.
void RegisterClassOnce(const char* name, bool form) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSEXA window_class{};
  window_class.cbSize = sizeof window_class;
  if (GetClassInfoExA(nullptr, name, &window_class) || GetClassInfoExA(instance, name, &window_class)) return;
  window_class.style = CS_DBLCLKS;
  window_class.lpfnWndProc = form ? DefDlgProcA : DefWindowProcA;
  window_class.cbWndExtra = form ? DLGWINDOWEXTRA : 0;
  window_class.hInstance = instance;
  window_class.hIcon = LoadIconA(instance, "MAINICON");
  window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  window_class.lpszClassName = name;
  if (RegisterClassExA(&window_class) == 0) throw Exception(std::string("RegisterClassExA failed: ") + name);
}

}  // namespace

void SetExceptionSink(TExceptionSink sink) noexcept { g_sink = sink; }

void ReportHandlerException(TObject* Sender) noexcept {
  if (g_sink != nullptr) g_sink(Sender, std::current_exception());
}

// ---- TControl ------------------------------------------------------------------------------------

TControl::TControl(TControl* parent, const TControlArgs& args, const char* window_class, DWORD style, DWORD ex_style,
                   HWND owner, int id)
    : name_(args.name), parent_(parent), fill_parent_(args.align == TAlign::alClient) {
  RECT bounds{args.left, args.top, args.left + args.width, args.top + args.height};
  if (fill_parent_ && parent_ != nullptr) bounds = parent_->ClientArea();
  RegisterClassOnce(window_class, parent_ == nullptr);
  HMENU child_id = !parent_ ? nullptr : id != 0 ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)) : NextControlId();
  HWND window = CreateWindowExA(ex_style, window_class, args.caption.c_str(), style | (parent_ ? WS_CHILD : 0),
                                bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top,
                                parent_ ? parent_->ChildParentWindow() : owner, child_id, GetModuleHandleA(nullptr),
                                nullptr);
  if (window == nullptr) throw Exception(std::string("CreateWindowExA failed: ") + window_class + " " + name_);
  // Every window, of a system class or ours, is subclassed by replacing its window procedure, as
  // every Windows version allows: comctl32's SetWindowSubclass exists by name only from common
  // controls 6 (Windows XP). Its user data leads to this object.
  handle_.Reset(window);
  SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  class_proc_ =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WindowProc)));
  if (parent_ != nullptr) SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), FALSE);
}

TControl::~TControl() {
  while (!children_.empty()) children_.pop_back();
  // The destruction's messages still reach this object (its TControl part); WM_NCDESTROY unbinds it.
  if (HWND window = handle_.Get()) DestroyWindow(window);
}

TControl* TControl::FromHandle(HWND window) noexcept {
  // Other windows (the application's, the system's message boxes) keep their own user data.
  if (reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC)) != WindowProc) return nullptr;
  return reinterpret_cast<TControl*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

LRESULT CALLBACK TControl::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* control = reinterpret_cast<TControl*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  LRESULT result = 0;
  try {
    result = control->WndProc(message, wparam, lparam);
  } catch (...) {
    ReportHandlerException(control);
  }
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    control->handle_.Release();
  }
  return result;
}

LRESULT TControl::DefaultHandler(UINT message, WPARAM wparam, LPARAM lparam) {
  return CallWindowProcA(class_proc_, Handle(), message, wparam, lparam);
}

LRESULT TControl::WndProc(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      // A child's notification goes to the child's own object, so forms never switch on control ids.
      if (TControl* child = FromHandle(reinterpret_cast<HWND>(lparam)); child != nullptr && child != this) {
        child->Command(HIWORD(wparam));
        return 0;
      }
      break;
    case WM_NOTIFY: {
      TControl* child = FromHandle(reinterpret_cast<NMHDR*>(lparam)->hwndFrom);
      if (child != nullptr && child != this && child->Notified(*reinterpret_cast<NMHDR*>(lparam))) return 0;
      break;
    }
    case WM_SIZE: {
      const LRESULT result = DefaultHandler(message, wparam, lparam);
      AlignChildren();
      return result;
    }
    case WM_CLOSE:
      // Only forms close: an edit control in the system's dialog mode posts WM_CLOSE to its parent
      // for Escape, which must not destroy a page.
      if (parent_ != nullptr) return 0;
      break;
    default:
      break;
  }
  return DefaultHandler(message, wparam, lparam);
}

TControl* TControl::FindControl(const std::string& name) const noexcept {
  for (const auto& child : children_) {
    if (child->name_ == name) return child.get();
    if (TControl* found = child->FindControl(name)) return found;
  }
  return nullptr;
}

RECT TControl::ClientArea() const noexcept {
  RECT area{};
  GetClientRect(Handle(), &area);
  return area;
}

void TControl::AlignChildren() noexcept {
  const RECT area = ClientArea();
  for (const auto& child : children_) {
    if (child->fill_parent_) child->SetBounds(area.left, area.top, area.right - area.left, area.bottom - area.top);
  }
}

void TControl::SetBounds(int left, int top, int width, int height) noexcept {
  SetWindowPos(Handle(), nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

std::string TControl::Caption() const {
  // The length may count more than the text holds (double-byte characters); the copy says.
  std::string text(static_cast<std::size_t>(GetWindowTextLengthA(Handle())) + 1, '\0');
  text.resize(static_cast<std::size_t>(std::max(0, GetWindowTextA(Handle(), &text[0], static_cast<int>(text.size())))));
  return text;
}

void TControl::Click() {
  if (OnClick) OnClick(this);
}

void TControl::Command(WORD code) {
  if (code == BN_CLICKED) Click();
}

// ---- TCanvas -------------------------------------------------------------------------------------

TCanvas::TCanvas(HFONT font) : dc_(CreateCompatibleDC(nullptr)) {
  if (!dc_) throw Exception("CreateCompatibleDC failed");
  if (font != nullptr) previous_font_ = SelectObject(dc_.Get(), font);
}

TCanvas::~TCanvas() {
  if (previous_font_ != nullptr && previous_font_ != HGDI_ERROR) SelectObject(dc_.Get(), previous_font_);
}

RECT TCanvas::TextRect(const std::string& text, RECT bounds, UINT flags) const {
  DrawTextA(dc_.Get(), text.data(), static_cast<int>(text.size()), &bounds, flags | DT_CALCRECT);
  return bounds;
}

int TCanvas::TextHeight() const noexcept {
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc_.Get(), &metrics);
  return metrics.tmHeight;
}

// ---- TPageControl and TTabSheet ------------------------------------------------------------------

TPageControl::TPageControl(TControl* parent, const TControlArgs& args)
    : TControl(parent, args, WC_TABCONTROLA, WS_VISIBLE | WS_TABSTOP | WS_GROUP | WS_CLIPSIBLINGS, 0) {}

void TPageControl::SetActivePageIndex(int index) noexcept {
  if (index < 0 || index >= PageCount()) return;
  SendMessageA(Handle(), TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
  ShowActivePage();
}

void TPageControl::ShowActivePage() noexcept {
  const int active = static_cast<int>(SendMessageA(Handle(), TCM_GETCURSEL, 0, 0));
  HWND focus = GetFocus();
  for (int i = 0; i < PageCount(); ++i) {
    HWND page = Controls()[static_cast<std::size_t>(i)]->Handle();
    // The page that goes away must not keep the focus hidden inside it.
    if (i != active && focus != nullptr && IsChild(page, focus)) ::SetFocus(Handle());
    ShowWindow(page, i == active ? SW_SHOW : SW_HIDE);
  }
}

void TPageControl::SelectNextPage(bool forward) noexcept {
  const int count = PageCount();
  if (count == 0) return;
  const int active = static_cast<int>(SendMessageA(Handle(), TCM_GETCURSEL, 0, 0));
  SetActivePageIndex(((active < 0 ? 0 : active) + (forward ? 1 : count - 1)) % count);
  // Through the dialog manager, so that the default button's frame follows the focus.
  SendMessageA(RootWindow(Handle()), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Handle()), TRUE);
}

TPageControl* TPageControl::Around(HWND window) noexcept {
  // A radio group's items are windows of the group's own, not controls: the first control up the
  // window chain, then the control tree, where the pages are the page control's children.
  TControl* control = nullptr;
  for (HWND up = window; up != nullptr && control == nullptr; up = GetParent(up)) {
    control = FromHandle(up);
    if ((GetWindowLongA(up, GWL_STYLE) & WS_CHILD) == 0) break;
  }
  for (; control != nullptr; control = control->Parent()) {
    if (auto* pages = dynamic_cast<TPageControl*>(control)) return pages;
  }
  return nullptr;
}

bool TPageControl::Notified(const NMHDR& header) {
  if (header.code != static_cast<UINT>(TCN_SELCHANGE)) return false;
  ShowActivePage();
  return true;
}

RECT TPageControl::ClientArea() const noexcept {
  RECT area = TControl::ClientArea();
  SendMessageA(Handle(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
  MapWindowPoints(Handle(), GetParent(Handle()), reinterpret_cast<POINT*>(&area), 2);
  return area;
}

namespace {

// A page's tab goes in before the page's window is made, so that the page fills the page area as it
// is with its tab row; the pages made before are laid over the new area too.
TControlArgs WithTab(TControl* pages, TControlArgs args) {
  std::string text = args.caption;
  TCITEMA item{TCIF_TEXT, 0, 0, &text[0], 0, 0, 0};
  const LRESULT count = SendMessageA(pages->Handle(), TCM_GETITEMCOUNT, 0, 0);
  SendMessageA(pages->Handle(), TCM_INSERTITEMA, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(&item));
  pages->AlignChildren();
  args.align = TAlign::alClient;
  return args;
}

}  // namespace

TTabSheet::TTabSheet(TControl* parent, const TControlArgs& args)
    : TControl(parent, WithTab(parent, args), "TTabSheet", WS_CLIPCHILDREN | WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT) {
  // Above the tab control and the pages before it, so that it paints over the page area.
  HWND above = GetWindow(parent->Handle(), GW_HWNDPREV);
  SetWindowPos(Handle(), above != nullptr ? above : HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// ---- Memo, group box, check box ------------------------------------------------------------------

namespace {

// The memo's text is its lines, CR LF between them.
TControlArgs WithLines(TControlArgs args, const TTextList& lines) {
  args.caption.clear();
  for (std::size_t i = 0; i < lines.count; ++i) args.caption += (i > 0 ? "\r\n" : "") + std::string(lines.items[i]);
  return args;
}

DWORD MemoStyle(const TMemoArgs& memo) {
  DWORD style = WS_VISIBLE | WS_TABSTOP | WS_GROUP | ES_MULTILINE | ES_AUTOVSCROLL;
  if (memo.read_only) style |= ES_READONLY;
  if (!memo.word_wrap) style |= ES_AUTOHSCROLL;  // without it, lines break at the memo's width
  if (memo.scroll_bars == TScrollStyle::ssVertical || memo.scroll_bars == TScrollStyle::ssBoth) style |= WS_VSCROLL;
  if (memo.scroll_bars == TScrollStyle::ssHorizontal || memo.scroll_bars == TScrollStyle::ssBoth) style |= WS_HSCROLL;
  return style;
}

}  // namespace

TMemo::TMemo(TControl* parent, const TControlArgs& args, const TMemoArgs& memo)
    : TControl(parent, WithLines(args, memo.lines), "EDIT", MemoStyle(memo), WS_EX_CLIENTEDGE) {}

LRESULT TMemo::WndProc(UINT message, WPARAM wparam, LPARAM lparam) {
  const LRESULT result = TControl::WndProc(message, wparam, lparam);
  // Tab, Enter and Escape belong to the dialog navigation, not to the text.
  if (message == WM_GETDLGCODE) return result & ~static_cast<LRESULT>(DLGC_WANTALLKEYS | DLGC_WANTTAB);
  return result;
}

TGroupBox::TGroupBox(TControl* parent, const TControlArgs& args)
    : TControl(parent, args, "BUTTON", WS_VISIBLE | WS_GROUP | WS_CLIPCHILDREN | BS_GROUPBOX, WS_EX_CONTROLPARENT) {}

TCheckBox::TCheckBox(TControl* parent, const TControlArgs& args, const TCheckBoxArgs& box)
    : TControl(parent, args, "BUTTON",
               WS_VISIBLE | WS_TABSTOP | WS_GROUP | (box.allow_grayed ? BS_AUTO3STATE : BS_AUTOCHECKBOX), 0) {
  SendMessageA(Handle(), BM_SETCHECK, box.checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

// ---- TRadioGroup ---------------------------------------------------------------------------------

TRadioGroup::TRadioGroup(TControl* parent, const TControlArgs& args, const TRadioGroupArgs& group)
    : TControl(parent, args, "BUTTON", WS_VISIBLE | WS_GROUP | WS_CLIPCHILDREN | BS_GROUPBOX, WS_EX_CONTROLPARENT) {
  HFONT font = Font();
  const int text_height = TCanvas(font).TextHeight();
  const TTextList& items = group.items;
  for (int i = 0; i < static_cast<int>(items.count); ++i) {
    const TBounds bounds = RadioItemBounds(i, static_cast<int>(items.count), args.width, args.height, text_height);
    // One group for the arrow keys, entered by Tab at the checked item (the system moves the tab
    // stop along with the check).
    const bool tab_stop = i == (group.item_index >= 0 ? group.item_index : 0);
    HWND item = CreateWindowExA(0, "BUTTON", items.items[i],
                                WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON | (i == 0 ? WS_GROUP : 0) |
                                    (tab_stop ? WS_TABSTOP : 0),
                                bounds.left, bounds.top, bounds.width, bounds.height, Handle(), NextControlId(),
                                GetModuleHandleA(nullptr), nullptr);
    if (item == nullptr) throw Exception("CreateWindowExA failed: " + args.name);
    SendMessageA(item, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (i == group.item_index) SendMessageA(item, BM_SETCHECK, BST_CHECKED, 0);
  }
}

int TRadioGroup::ItemIndex() const noexcept {
  int index = 0;
  for (HWND item = GetWindow(Handle(), GW_CHILD); item != nullptr; item = GetWindow(item, GW_HWNDNEXT), ++index) {
    if (SendMessageA(item, BM_GETCHECK, 0, 0) == BST_CHECKED) return index;
  }
  return -1;
}

HWND RootWindow(HWND window) noexcept {
  return RootWindowOf(
      window, [](HWND w) { return (GetWindowLongA(w, GWL_STYLE) & WS_CHILD) != 0; }, GetParent);
}

// ---- TButton, TLabel, TImage ---------------------------------------------------------------------

TButton::TButton(TControl* parent, const TControlArgs& args, const TButtonArgs& button)
    : TControl(parent, args, "BUTTON", WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_PUSHBUTTON, 0, nullptr,
               button.modal_result),
      modal_result_(button.modal_result) {
  if (button.is_default) {
    SendMessageA(RootWindow(Handle()), DM_SETDEFID, static_cast<WPARAM>(GetDlgCtrlID(Handle())), 0);
  }
  if (button.is_cancel) SetCancelButton(this);
}

void TButton::Click() {
  if (modal_result_ != mrNone) ChooseModalResult(modal_result_);
  TControl::Click();
}

// The default frame follows the focus (Forms.cpp lists what the forms add to the dialog manager):
// only a button sees its focus come and go.
LRESULT TButton::WndProc(UINT message, WPARAM wparam, LPARAM lparam) {
  HWND form = RootWindow(Handle());
  if (message == WM_SETFOCUS) SendMessageA(form, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Handle()), TRUE);
  if (message == WM_KILLFOCUS) SendMessageA(form, DM_SETDEFID, LOWORD(SendMessageA(form, DM_GETDEFID, 0, 0)), 0);
  return TControl::WndProc(message, wparam, lparam);
}

TLabel::TLabel(TControl* parent, const TControlArgs& args)
    : TControl(parent, args, "STATIC", WS_VISIBLE | WS_GROUP | SS_LEFT, 0) {}

TImage::TImage(TControl* parent, const TControlArgs& args, HICON icon)
    : TControl(parent, args, "STATIC", WS_VISIBLE | WS_GROUP | SS_ICON, 0) {
  SendMessageA(Handle(), STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
  // SS_ICON sizes the control to the icon; the bounds given win.
  SetBounds(args.left, args.top, args.width, args.height);
}
