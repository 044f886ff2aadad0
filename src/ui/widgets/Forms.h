// Top-level forms of the widget layer: frame, position, font, keyboard navigation and modal showing.
#pragma once

#include "ui/widgets/Controls.h"

enum class TWindowState { wsNormal, wsMinimized, wsMaximized };

// A top-level window owned by the application window. Its window class is named after ClassName().
class TForm : public TWinControl {
 public:
  explicit TForm(TComponent* Owner);
  ~TForm() override;
  const char* ClassName() const noexcept override { return "TForm"; }

  TBorderStyle BorderStyle() const noexcept { return border_style_; }
  void SetBorderStyle(TBorderStyle style);
  unsigned BorderIcons() const noexcept { return border_icons_; }
  void SetBorderIcons(unsigned icons);
  TPosition Position() const noexcept { return position_; }
  void SetPosition(TPosition position) { position_ = position; }
  TSystemColor Color() const noexcept { return color_; }
  void SetColor(TSystemColor color);
  TWindowState WindowState() const noexcept { return window_state_; }
  void SetWindowState(TWindowState state);

  int ClientWidth() const noexcept { return client_width_; }
  int ClientHeight() const noexcept { return client_height_; }
  void SetClientSize(int width, int height);

  // Every control of the form shows its text in this font.
  void SetFont(const LOGFONTA& font);
  const LOGFONTA& Font() const noexcept { return font_data_; }
  HFONT FontHandle() const noexcept { return font_.Get(); }

  // With KeyPreview the form's OnKeyDown sees every key-down before the focused control does.
  bool KeyPreview() const noexcept { return key_preview_; }
  void SetKeyPreview(bool value) { key_preview_ = value; }
  TKeyEvent OnKeyDown;
  TNotifyEvent OnCreate;
  TNotifyEvent OnDestroy;

  // The help topic of the form for the application's help: a context number in a help file.
  int HelpContext() const noexcept { return help_context_; }
  void SetHelpContext(int context) { help_context_ = context; }
  const std::string& HelpFile() const noexcept { return help_file_; }
  void SetHelpFile(const std::string& file) { help_file_ = file; }

  TModalResult ModalResult() const noexcept { return modal_result_; }
  void SetModalResult(TModalResult result) { modal_result_ = result; }
  bool IsModal() const noexcept { return modal_; }

  void Show();
  void Hide();
  void SetVisible(bool visible) override;
  // The close box, the system menu's Close and Alt+F4: a modal form ends with mrCancel, the main
  // form ends the message loop, any other form is hidden.
  void Close();
  // Shows the form with every other window of the program disabled and runs messages until
  // ModalResult is not mrNone (mrCancel when the application is told to end meanwhile). Afterwards
  // the other windows are enabled and the window that was active before is active again. Like the
  // main loop, the modal loop reports what handling a message raises, and goes on.
  TModalResult ShowModal();

  // The keyboard navigation of the message loop for a key message aimed at this form's windows:
  // Tab and Shift+Tab through the tab order, arrows within a group, Enter for the focused or
  // default button, Escape for the cancel button, accelerator letters. True when it took the message.
  bool IsDialogKey(MSG& message);
  void SelectNext(TControl* current, bool forward);
  TButton* DefaultButton() const;
  TButton* CancelButton() const;
  // Gives the thick default frame to the focused button, or to the default button when none is focused.
  void UpdateDefaultButtonLook() noexcept;

 protected:
  // Runs OnCreate; what it raises goes to the application's report and creation goes on.
  // Called at the end of the constructor of every form class that has a create handler.
  void DoCreate() noexcept;
  void CreateParams(TCreateParams& params) override;
  void InitializeHandle() override;
  LRESULT WndProc(UINT message, WPARAM wparam, LPARAM lparam) override;
  // Runs OnDestroy (reporting what it raises), then destroys the window.
  void BeforeDestruction() noexcept override;

 private:
  DWORD WindowStyle() const noexcept;
  DWORD WindowExStyle() const noexcept;
  void PlaceForShowing();
  void FocusFirstControl();
  bool PressButton(TButton* button);
  bool PressAccelerator(char letter);

  TBorderStyle border_style_ = TBorderStyle::bsSizeable;
  unsigned border_icons_ = biSystemMenu | biMinimize | biMaximize;
  TPosition position_ = TPosition::poDesigned;
  TSystemColor color_ = TSystemColor::clBtnFace;
  TWindowState window_state_ = TWindowState::wsNormal;
  int client_width_ = 0;
  int client_height_ = 0;
  LOGFONTA font_data_{};
  UniqueFont font_;
  bool key_preview_ = false;
  int help_context_ = 0;
  std::string help_file_;
  bool modal_ = false;
  TModalResult modal_result_ = mrNone;
  bool placed_ = false;
  HWND last_focus_ = nullptr;  // the focused control when the form was last deactivated
};

// Every visible, enabled top-level window of the thread but one, disabled while the object lives
// (a modal form, a message box); they are enabled again by Enable or at the latest by the destructor.
class TDisabledTaskWindows {
 public:
  explicit TDisabledTaskWindows(HWND except) noexcept;
  TDisabledTaskWindows(const TDisabledTaskWindows&) = delete;
  TDisabledTaskWindows& operator=(const TDisabledTaskWindows&) = delete;
  ~TDisabledTaskWindows() { Enable(); }
  void Enable() noexcept;

 private:
  static BOOL CALLBACK Collect(HWND window, LPARAM self) noexcept;
  HWND except_;
  std::vector<HWND> windows_;
};

// The whole form and its controls built from a form description, values scaled from the design
// density to pixels_per_inch. The handlers the description names are looked up in events by
// name; a name that is missing there, or an unknown parent, raises Exception.
struct TEventBinding {
  const char* name;
  TNotifyEvent handler;
};
void LoadFormDescription(TForm& form, const TFormDescription& description, const std::vector<TEventBinding>& events,
                         int pixels_per_inch);

// The density the display runs at (LOGPIXELSY of the screen), 96 when it cannot be read.
int SystemPixelsPerInch() noexcept;

// The component of owner called name, of class T; raises Exception when there is none of that class.
[[noreturn]] void RaiseComponentMissing(const std::string& name);
template <typename T>
T* FindComponentAs(const TComponent& owner, const std::string& name) {
  T* component = dynamic_cast<T*>(owner.FindComponent(name));
  if (component == nullptr) RaiseComponentMissing(name);
  return component;
}
