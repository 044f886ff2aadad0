// The widget layer over the Win32 ANSI API: controls that each own their window and their child
// controls, in one ownership tree. One window procedure serves them all: it reflects a child's
// notifications to the child's object and hands every exception a handler lets escape to the sink
// that the application installs.
#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/Handles.h"
#include "base/TObject.h"
#include "ui/widgets/FormDescription.h"

using TNotifyEvent = std::function<void(TObject* Sender)>;

// Modifier keys held with a key, a set of bits.
using TShiftState = unsigned;
constexpr TShiftState ssShift = 1, ssAlt = 2, ssCtrl = 4;

// A key-down handler; setting Key to 0 swallows the key.
using TKeyEvent = std::function<void(TObject* Sender, WORD& Key, TShiftState Shift)>;

// Where an exception that a handler lets escape goes: the application installs its last-resort
// report here. Without a sink the exception is dropped.
using TExceptionSink = void (*)(TObject* Sender, std::exception_ptr error) noexcept;
void SetExceptionSink(TExceptionSink sink) noexcept;
// Hands the exception being handled to the sink. Only ever called from a catch block; never throws,
// so no exception reaches the system's code that called a window procedure.
void ReportHandlerException(TObject* Sender) noexcept;

// What every control is created with; each kind takes its own further arguments (FormDescription.h).
struct TControlArgs {
  std::string name;
  std::string caption;
  int left = 0, top = 0, width = 0, height = 0;  // in the parent's client area
  TAlign align = TAlign::alNone;                  // alClient fills the parent
};

class TButton;

// A control's window is made in its constructor and lives exactly as long as the object: there is
// no deferred creation, so every property lives in the window and is read back from it. The one
// teardown path is the destructor: the child controls go first, newest first, then the window.
class TControl : public TObject {
 public:
  TControl(const TControl&) = delete;
  TControl& operator=(const TControl&) = delete;
  ~TControl() override;

  HWND Handle() const noexcept { return handle_.Get(); }
  TControl* Parent() const noexcept { return parent_; }
  // The font the control shows its text in: its parent's, up to the form, which has its own.
  virtual HFONT Font() const noexcept { return parent_ != nullptr ? parent_->Font() : nullptr; }
  // A modal result chosen by a button, and the button that Escape presses, go to the parent, up to
  // the form, which acts on them; a control with no form above it ignores them.
  virtual void ChooseModalResult(TModalResult result) noexcept {
    if (parent_ != nullptr) parent_->ChooseModalResult(result);
  }
  virtual void SetCancelButton(TButton* button) noexcept {
    if (parent_ != nullptr) parent_->SetCancelButton(button);
  }
  // The control whose window this is, or nullptr for a window that is not one of ours.
  static TControl* FromHandle(HWND window) noexcept;

  // The owned controls in creation order, which is also their tab order.
  const std::vector<std::unique_ptr<TControl>>& Controls() const noexcept { return children_; }
  // Creates a control of class T on this one: new T(this, args...), owned here.
  template <typename T, typename... Args>
  T* Add(Args&&... args) {
    children_.push_back(std::make_unique<T>(this, std::forward<Args>(args)...));
    return static_cast<T*>(children_.back().get());
  }
  // The control called name anywhere below this one, or nullptr.
  TControl* FindControl(const std::string& name) const noexcept;

  void SetBounds(int left, int top, int width, int height) noexcept;
  // Lays the children with alClient over the area they fill.
  void AlignChildren() noexcept;
  std::string Caption() const;
  void SetCaption(const std::string& caption) noexcept { SetWindowTextA(Handle(), caption.c_str()); }

  TNotifyEvent OnClick;
  virtual void Click();

 protected:
  // Makes the window of class window_class on parent's window, with control ID id (0: the next
  // free number), or, without a parent, a form: a top-level dialog window owned by owner. A class
  // the system does not know is registered as ours.
  TControl(TControl* parent, const TControlArgs& args, const char* window_class, DWORD style, DWORD ex_style,
           HWND owner = nullptr, int id = 0);
  virtual LRESULT WndProc(UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT DefaultHandler(UINT message, WPARAM wparam, LPARAM lparam);
  // A WM_COMMAND notification or a WM_NOTIFY of this control, reflected by its parent (Notified:
  // taken?). BN_CLICKED runs Click.
  virtual void Command(WORD code);
  virtual bool Notified(const NMHDR&) { return false; }
  // The window this control's children are made on, and the rectangle there that alClient fills.
  virtual HWND ChildParentWindow() const noexcept { return Handle(); }
  virtual RECT ClientArea() const noexcept;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

  std::string name_;
  TControl* parent_;
  bool fill_parent_;
  UniqueHwnd handle_;
  WNDPROC class_proc_ = nullptr;  // handles what ours leaves (DefDlgProcA for a form)
  std::vector<std::unique_ptr<TControl>> children_;
};

// Measures text with a font: a screen-compatible memory DC with the font selected while it lives.
class TCanvas {
 public:
  explicit TCanvas(HFONT font);
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;
  ~TCanvas();

  HDC Handle() const noexcept { return dc_.Get(); }
  // DrawTextA with DT_CALCRECT added to flags: the rectangle the text would take.
  RECT TextRect(const std::string& text, RECT bounds, UINT flags) const;
  int TextHeight() const noexcept;  // GetTextMetricsA's tmHeight

 private:
  UniqueMemoryDc dc_;
  HGDIOBJ previous_font_ = nullptr;
};

// A tabbed page container (SysTabControl32) whose pages are its TTabSheet children. The pages'
// windows are the tab control's siblings, stacked above it: the system's dialog navigation then
// walks into the page in front, and the tab control stays a tab stop of its own.
class TPageControl : public TControl {
 public:
  TPageControl(TControl* parent, const TControlArgs& args);
  int PageCount() const noexcept { return static_cast<int>(Controls().size()); }
  void SetActivePageIndex(int index) noexcept;
  // The next page in front (the previous one when not forward), round from the last to the first,
  // and the focus on the tabs, where a click on a tab leaves it: Ctrl+Tab and Ctrl+PageDown.
  void SelectNextPage(bool forward) noexcept;
  // The page control that window (the focus, say) lies in, or nullptr.
  static TPageControl* Around(HWND window) noexcept;

 protected:
  bool Notified(const NMHDR& header) override;
  HWND ChildParentWindow() const noexcept override { return GetParent(Handle()); }
  RECT ClientArea() const noexcept override;

 private:
  void ShowActivePage() noexcept;
};

// A page of a TPageControl; its caption is the tab's text. Always fills the page area.
class TTabSheet : public TControl {
 public:
  TTabSheet(TControl* parent, const TControlArgs& args);
};

// A multi-line text box (EDIT).
class TMemo : public TControl {
 public:
  TMemo(TControl* parent, const TControlArgs& args, const TMemoArgs& memo);

 protected:
  LRESULT WndProc(UINT message, WPARAM wparam, LPARAM lparam) override;
};

// A framed group with a caption that holds controls.
class TGroupBox : public TControl {
 public:
  TGroupBox(TControl* parent, const TControlArgs& args);
};

class TCheckBox : public TControl {
 public:
  TCheckBox(TControl* parent, const TControlArgs& args, const TCheckBoxArgs& box);
  bool Checked() const noexcept { return SendMessageA(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED; }
};

// A framed group of radio buttons in one column, one selected. The items are windows of the
// group's own: the system checks and unchecks them.
class TRadioGroup : public TControl {
 public:
  TRadioGroup(TControl* parent, const TControlArgs& args, const TRadioGroupArgs& group);
  int ItemIndex() const noexcept;
};

// A push button. Its modal result is its own and its form knows its cancel button; what the
// system's dialog manager reads stays in the windows: the default button is its form's
// DM_SETDEFID, and a button with a modal result has it as its control ID too (mrOk to mrNo are the
// system's IDOK to IDNO, which Enter and Escape press).
class TButton : public TControl {
 public:
  TButton(TControl* parent, const TControlArgs& args, const TButtonArgs& button = {});
  // A button with a modal result closes its modal form with it.
  void Click() override;

 protected:
  // Tells the dialog manager where the focus went (Forms.cpp, with the rest the forms add to it).
  LRESULT WndProc(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  TModalResult modal_result_;
};

// The top-level window that window lies in (GetAncestor's GA_ROOT, which Windows 95 and NT 4.0 lack).
HWND RootWindow(HWND window) noexcept;

// Static text (STATIC), broken into lines at the label's width.
class TLabel : public TControl {
 public:
  TLabel(TControl* parent, const TControlArgs& args);
};

// An icon shown in the given bounds (STATIC, SS_ICON). Not owned: system icons are shared.
class TImage : public TControl {
 public:
  TImage(TControl* parent, const TControlArgs& args, HICON icon);
};
