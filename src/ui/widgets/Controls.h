// The widget layer over the Win32 ANSI API: components with an owner and a name, and controls that
// each own their window. One window procedure serves them all; it reflects child notifications to
// the child's object and hands every exception a handler lets escape to the application's report.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/widgets/FormDescription.h"
#include "ui/widgets/Handles.h"

class TObject {
 public:
  virtual ~TObject() = default;
  virtual const char* ClassName() const noexcept { return "TObject"; }
};

using TNotifyEvent = std::function<void(TObject* Sender)>;

// Modifier keys held with a key, a set of bits.
using TShiftState = unsigned;
enum : unsigned { ssShift = 1, ssAlt = 2, ssCtrl = 4 };
TShiftState KeyboardShiftState() noexcept;

// A key-down handler; setting Key to 0 swallows the key.
using TKeyEvent = std::function<void(TObject* Sender, WORD& Key, TShiftState Shift)>;

using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = 1;
constexpr TModalResult mrCancel = 2;
constexpr TModalResult mrAbort = 3;
constexpr TModalResult mrRetry = 4;
constexpr TModalResult mrIgnore = 5;
constexpr TModalResult mrYes = 6;
constexpr TModalResult mrNo = 7;
constexpr TModalResult mrAll = 8;
constexpr TModalResult mrNoToAll = 9;
constexpr TModalResult mrYesToAll = 10;

// Hands the exception being handled to the application's last-resort report. Only ever called
// from a catch block; never throws, so no exception reaches the system's code that called us.
void ReportHandlerException(TObject* Sender) noexcept;

// A component has an owner, which destroys it, and a name by which the owner finds it.
class TComponent : public TObject {
 public:
  explicit TComponent(TComponent* Owner);
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  const char* ClassName() const noexcept override { return "TComponent"; }

  // Destroys the component: BeforeDestruction runs while the object is still whole (a form's
  // destroy handler, a control's window), then the destructors. Use this, not delete.
  void Free() noexcept;

  TComponent* Owner() const noexcept { return owner_; }
  const std::string& Name() const noexcept { return name_; }
  void SetName(std::string name) { name_ = std::move(name); }

  // The owned components, in the order they were created.
  int ComponentCount() const noexcept { return static_cast<int>(components_.size()); }
  TComponent* Components(int index) const { return components_.at(static_cast<std::size_t>(index)); }
  TComponent* FindComponent(const std::string& name) const noexcept;

 protected:
  virtual void BeforeDestruction() noexcept {}

 private:
  TComponent* owner_;
  std::string name_;
  std::vector<TComponent*> components_;
  bool freeing_ = false;
};

// Destroys a component through Free, for std::unique_ptr.
struct TComponentDeleter {
  void operator()(TComponent* component) const noexcept {
    if (component != nullptr) component->Free();
  }
};
template <typename T>
using TOwned = std::unique_ptr<T, TComponentDeleter>;

// What a control's window is created with; each control class fills in its part.
struct TCreateParams {
  const char* window_class = nullptr;
  bool own_class = false;  // registered by us with our window procedure, else a subclassed system class
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
  DWORD ex_style = 0;
  HWND parent = nullptr;  // the parent window, or a form's owner window
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  // Own classes only:
  UINT class_style = 0;
  int background_color = -1;  // a system colour index, or -1 for none
  HICON icon = nullptr;
};

class TWinControl;
class TForm;

// A control: a window of its own with a parent, bounds, a caption and a place in the tab order.
// The window is made on first need, with its parent's, and pushes the stored properties into it.
class TControl : public TComponent {
 public:
  explicit TControl(TComponent* Owner);
  ~TControl() override;
  const char* ClassName() const noexcept override { return "TControl"; }

  TWinControl* Parent() const noexcept { return parent_; }
  void SetParent(TWinControl* parent);
  TForm* ParentForm() noexcept;

  int Left() const noexcept { return left_; }
  int Top() const noexcept { return top_; }
  int Width() const noexcept { return width_; }
  int Height() const noexcept { return height_; }
  void SetBounds(int left, int top, int width, int height);

  TAlign Align() const noexcept { return align_; }
  void SetAlign(TAlign align);

  // The window text; read back from the window once it exists, so what the user typed is seen.
  std::string Caption() const;
  void SetCaption(const std::string& caption);

  bool Visible() const noexcept { return visible_; }
  virtual void SetVisible(bool visible);
  bool Enabled() const noexcept { return enabled_; }
  void SetEnabled(bool enabled);

  // Position among the parent's children when tabbing; changing it renumbers the siblings.
  int TabOrder() const noexcept;
  void SetTabOrder(int tab_order);
  bool TabStop() const noexcept { return tab_stop_; }
  void SetTabStop(bool tab_stop);

  TNotifyEvent OnClick;
  virtual void Click();

  HWND Handle();  // makes the window (and its parents') when it does not exist yet
  HWND HandleIfAllocated() const noexcept { return handle_.Get(); }
  bool HandleAllocated() const noexcept { return static_cast<bool>(handle_); }
  static TControl* FromHandle(HWND window) noexcept;

  // Whether the control can take the keyboard focus now: its window shown and enabled.
  bool CanFocus() const noexcept;
  bool Focused() const noexcept;
  void SetFocus();

  virtual TWinControl* AsWinControl() noexcept { return nullptr; }

  // The message handling of this control; exposed for the form's keyboard navigation.
  LRESULT Perform(UINT message, WPARAM wparam, LPARAM lparam);

 protected:
  virtual void CreateParams(TCreateParams& params);
  // Pushes the stored state into the window just made.
  virtual void InitializeHandle();
  virtual LRESULT WndProc(UINT message, WPARAM wparam, LPARAM lparam);
  // A WM_COMMAND notification or WM_NOTIFY that the parent reflected to this control.
  virtual bool HandleCommand(WORD notification_code);
  virtual bool HandleNotify(NMHDR& header, LRESULT& result);
  LRESULT DefaultHandler(UINT message, WPARAM wparam, LPARAM lparam);

  void CreateHandle();
  void DestroyHandle() noexcept;
  void BeforeDestruction() noexcept override;
  void ApplyBounds();
  void ApplyFont(HFONT font) noexcept;
  void StoreVisible(bool visible) noexcept { visible_ = visible; }

 private:
  friend class TWinControl;
  static LRESULT CALLBACK OwnClassProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT Dispatch(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept;
  void Bind(HWND window) noexcept;
  void Unbind() noexcept;
  void Subclass(HWND window);
  void RemoveSubclass(HWND window) noexcept;

  UniqueHwnd handle_;
  // The system class's own window procedure while this object has subclassed its window, else null.
  WNDPROC class_proc_ = nullptr;
  TWinControl* parent_ = nullptr;
  int left_ = 0;
  int top_ = 0;
  int width_ = 0;
  int height_ = 0;
  TAlign align_ = TAlign::alNone;
  std::string caption_;
  bool visible_ = true;
  bool enabled_ = true;
  bool tab_stop_ = false;
};

// A control that holds other controls, in tab order.
class TWinControl : public TControl {
 public:
  using TControl::TControl;
  ~TWinControl() override;
  const char* ClassName() const noexcept override { return "TWinControl"; }
  TWinControl* AsWinControl() noexcept override { return this; }

  const std::vector<TControl*>& Controls() const noexcept { return controls_; }
  // Lays the children with alClient over the area they fill.
  void AlignControls();
  // The focusable controls below this one, in tab order, the ones that are tab stops only or all.
  void CollectFocusable(std::vector<TControl*>& list, bool tab_stops_only) const;

 protected:
  // A control was just placed on this one (its window not made yet).
  virtual void ChildAdded(TControl*) {}
  // The area that children with alClient fill, in client coordinates.
  virtual RECT AlignRect();
  void InitializeHandle() override;
  LRESULT WndProc(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  friend class TControl;
  std::vector<TControl*> controls_;
};

// Measures text with a font, the way a form's canvas would: a screen-compatible memory DC with the
// font selected for the object's lifetime.
class TCanvas {
 public:
  explicit TCanvas(HFONT font);
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;
  ~TCanvas();

  HDC Handle() const noexcept { return dc_.Get(); }
  SIZE TextExtent(const std::string& text) const;  // GetTextExtentPointA
  // DrawTextA with DT_CALCRECT added to flags: the rectangle the text would take.
  RECT TextRect(const std::string& text, RECT bounds, UINT flags) const;
  TEXTMETRICA TextMetrics() const;

 private:
  UniqueMemoryDc dc_;
  HGDIOBJ previous_font_ = nullptr;
};

// A tabbed page container (SysTabControl32); its pages are its TTabSheet children.
class TTabSheet;
class TPageControl : public TWinControl {
 public:
  explicit TPageControl(TComponent* Owner);
  const char* ClassName() const noexcept override { return "TPageControl"; }

  int PageCount() const noexcept;
  TTabSheet* Pages(int index) const;
  int ActivePageIndex() const noexcept { return active_page_; }
  void SetActivePageIndex(int index);
  TTabSheet* ActivePage() const;
  void SetActivePage(TTabSheet* page);
  TNotifyEvent OnChange;

 protected:
  void ChildAdded(TControl* child) override;
  void CreateParams(TCreateParams& params) override;
  void InitializeHandle() override;
  RECT AlignRect() override;
  bool HandleNotify(NMHDR& header, LRESULT& result) override;

 private:
  void ShowActivePage();
  int active_page_ = 0;
};

class TTabSheet : public TWinControl {
 public:
  explicit TTabSheet(TComponent* Owner);
  const char* ClassName() const noexcept override { return "TTabSheet"; }
  TPageControl* PageControl() const noexcept;
  int PageIndex() const noexcept { return TabOrder(); }

 protected:
  void CreateParams(TCreateParams& params) override;
};

// A multi-line text box (EDIT).
class TMemo : public TControl {
 public:
  explicit TMemo(TComponent* Owner);
  const char* ClassName() const noexcept override { return "TMemo"; }

  // The lines, joined by CR LF with none after the last.
  void SetLines(const std::vector<std::string>& lines);
  std::string Text() const { return Caption(); }
  bool ReadOnly() const noexcept { return read_only_; }
  void SetReadOnly(bool read_only);
  void SetWordWrap(bool word_wrap) { word_wrap_ = word_wrap; }  // takes effect when the window is made
  void SetScrollBars(TScrollStyle scroll_bars) { scroll_bars_ = scroll_bars; }

 protected:
  void CreateParams(TCreateParams& params) override;
  LRESULT WndProc(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  bool read_only_ = false;
  bool word_wrap_ = true;
  TScrollStyle scroll_bars_ = TScrollStyle::ssNone;
};

// A framed group with a caption (BUTTON, BS_GROUPBOX) that holds controls.
class TGroupBox : public TWinControl {
 public:
  using TWinControl::TWinControl;
  const char* ClassName() const noexcept override { return "TGroupBox"; }

 protected:
  void CreateParams(TCreateParams& params) override;
};

class TCheckBox : public TControl {
 public:
  explicit TCheckBox(TComponent* Owner);
  const char* ClassName() const noexcept override { return "TCheckBox"; }
  bool Checked() const noexcept;
  void SetChecked(bool checked);
  bool AllowGrayed() const noexcept { return allow_grayed_; }
  void SetAllowGrayed(bool allow_grayed) { allow_grayed_ = allow_grayed; }  // before the window is made

 protected:
  void CreateParams(TCreateParams& params) override;
  void InitializeHandle() override;
  bool HandleCommand(WORD notification_code) override;

 private:
  bool checked_ = false;
  bool allow_grayed_ = false;
};

// A framed group of radio buttons in one column with one selected item.
class TRadioGroup : public TWinControl {
 public:
  using TWinControl::TWinControl;
  const char* ClassName() const noexcept override { return "TRadioGroup"; }

  void SetItems(const std::vector<std::string>& items);
  int ItemCount() const noexcept { return static_cast<int>(items_.size()); }
  int ItemIndex() const noexcept { return item_index_; }
  void SetItemIndex(int index);

  // For the items' own use: an item was clicked or chosen with the arrow keys.
  void ItemChosen(int index);
  // The arrow keys on item: focus and choose the next or previous item, round the end.
  // False when item is none of this group's.
  bool StepFrom(TControl* item, bool forward);

 protected:
  void CreateParams(TCreateParams& params) override;
  void InitializeHandle() override;

 private:
  void ArrangeItems();
  void ShowItemIndex();
  std::vector<std::string> items_;
  std::vector<TControl*> buttons_;
  int item_index_ = -1;
};

class TButton : public TControl {
 public:
  explicit TButton(TComponent* Owner);
  const char* ClassName() const noexcept override { return "TButton"; }

  // Pressed by Enter when no other button has the focus / pressed by Escape.
  bool Default() const noexcept { return default_; }
  void SetDefault(bool value);
  bool Cancel() const noexcept { return cancel_; }
  void SetCancel(bool value) { cancel_ = value; }
  // A non-zero result closes a modal form with it when the button is clicked.
  TModalResult ModalResult() const noexcept { return modal_result_; }
  void SetModalResult(TModalResult value) { modal_result_ = value; }

  void Click() override;
  // Shows the thick default frame when this button will answer Enter.
  void ShowAsDefault(bool active) noexcept;

 protected:
  void CreateParams(TCreateParams& params) override;
  bool HandleCommand(WORD notification_code) override;
  LRESULT WndProc(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  bool default_ = false;
  bool cancel_ = false;
  TModalResult modal_result_ = mrNone;
};

// Static text (STATIC); with WordWrap the text breaks at the label's width.
class TLabel : public TControl {
 public:
  using TControl::TControl;
  const char* ClassName() const noexcept override { return "TLabel"; }
  bool WordWrap() const noexcept { return word_wrap_; }
  void SetWordWrap(bool word_wrap) { word_wrap_ = word_wrap; }  // before the window is made

 protected:
  void CreateParams(TCreateParams& params) override;

 private:
  bool word_wrap_ = false;
};

// An icon shown at its own size (STATIC, SS_ICON). The icon is not owned: system icons are shared.
class TImage : public TControl {
 public:
  using TControl::TControl;
  const char* ClassName() const noexcept override { return "TImage"; }
  void SetIcon(HICON icon);
  HICON Icon() const noexcept { return icon_; }

 protected:
  void CreateParams(TCreateParams& params) override;
  void InitializeHandle() override;

 private:
  HICON icon_ = nullptr;
};
