// Top-level forms, dialog windows that the system's dialog manager runs: frame, placement, font,
// modal showing, the message loop's keyboard handling, and building a form from its description.
#pragma once

#include <optional>

#include "ui/widgets/Controls.h"

// What a form is created with; the defaults are those of a new form.
struct TFormArgs {
  const char* window_class = "TForm";  // registered as ours on first use; tools find the form by it
  std::string caption;
  TBorderStyle border_style = TBorderStyle::bsSizeable;
  unsigned border_icons = biSystemMenu | biMinimize | biMaximize;
  TPosition position = TPosition::poDesigned;
  int left = 0, top = 0;  // the outer position, used as it is with poDesigned
  int client_width = 0, client_height = 0;
  std::optional<LOGFONTA> font;  // none: the system's user-interface font
};

// The window that owns every form, so that forms have no task bar button of their own: the
// application window, set before any form is created.
void SetFormOwner(HWND owner) noexcept;
HWND FormOwner() noexcept;

// A top-level window owned by FormOwner(), made hidden. What the forms add to the dialog manager
// is listed in Forms.cpp.
class TForm : public TControl {
 public:
  explicit TForm(const TFormArgs& args);

  // Every control of the form shows its text in this font.
  HFONT Font() const noexcept override { return font_.Get(); }
  RECT WindowRect() const noexcept;
  // The outer size whose client area is width x height, the frame as the system draws it.
  void SetClientSize(int width, int height) noexcept;
  void SetPosition(TPosition position) noexcept { position_ = position; }
  // The control that has the focus when the form is shown; none: the first tab stop.
  TControl* ActiveControl = nullptr;

  // With KeyPreview, OnKeyDown sees every key-down for the form before the focused control does.
  bool KeyPreview = false;
  TKeyEvent OnKeyDown;
  TNotifyEvent OnCreate;
  TNotifyEvent OnDestroy;
  // What closing a form that is not modal does; none: it is hidden. The main form's ends the program.
  TNotifyEvent OnClose;

  void ChooseModalResult(TModalResult result) noexcept override { modal_result_ = result; }
  // The button that Escape presses.
  void SetCancelButton(TButton* button) noexcept override { cancel_button_ = button; }

  // Places the form as its TPosition says and shows it.
  void Show(int show_command = SW_SHOWNORMAL);
  void Hide() noexcept { ShowWindow(Handle(), SW_HIDE); }
  // The close box, the system menu's Close and Alt+F4: a modal form ends with mrCancel.
  void Close();
  // Shows the form with every other window of the program disabled and handles messages until
  // ModalResult is not mrNone (mrCancel when the quit message comes meanwhile, which is posted
  // again for the loop outside). Afterwards the other windows are enabled and the window that was
  // active before is active again. What handling a message raises goes to the sink.
  TModalResult ShowModal();

 protected:
  // Run OnCreate / OnDestroy, handing what they raise to the sink. A form class with handlers calls
  // them at the end of its constructor and at the start of its destructor.
  void DoCreate() noexcept { RunHandler(OnCreate); }
  void DoDestroy() noexcept { RunHandler(OnDestroy); }
  LRESULT WndProc(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  void PlaceForShowing() noexcept;
  void RunHandler(const TNotifyEvent& handler) noexcept;

  UniqueFont font_;
  TPosition position_;
  bool modal_ = false;
  TModalResult modal_result_ = mrNone;
  TButton* cancel_button_ = nullptr;
  HWND last_focus_ = nullptr;  // the control that had the focus when the form was deactivated or hidden
};

// Every visible, enabled top-level window of the thread but one, disabled while the object lives
// (a modal form, a message box); enabled again by Enable or at the latest by the destructor.
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

// A form's keys: the key preview and the dialog manager, with what the forms add to it (Forms.cpp).
// True when the message was handled so and is not to be dispatched. What a key preview handler
// raises goes on to the caller.
bool IsFormKeyMessage(MSG& message);

// One step of a message loop (the application's HandleMessage): takes the next message and handles
// it, or waits when there is none; false for the quit message. The application sets it, so that the
// modal loops of the forms step the way its own loop does.
using TMessageStep = bool (*)();
void SetMessageStep(TMessageStep step) noexcept;

// The density the display runs at (LOGPIXELSY of the screen), 96 when it cannot be read.
int SystemPixelsPerInch() noexcept;

// A form's creation parameters from its description, scaled from the design density to pixels_per_inch.
TFormArgs FormArgsOf(const TFormDescription& description, const char* window_class, int pixels_per_inch);
// The form's controls and handlers from its description (rows list each parent's children in tab
// order); the form's first component becomes its ActiveControl. Handlers are looked up in events
// by name; a missing handler, an unknown parent or a row out of tab order raises Exception.
struct TEventBinding {
  const char* name;
  TNotifyEvent handler;
};
void LoadFormComponents(TForm& form, const TFormDescription& description, const std::vector<TEventBinding>& events,
                        int pixels_per_inch);

// The control of form called name, of class T; raises Exception when there is none of that class.
[[noreturn]] void RaiseComponentMissing(const std::string& name);
template <typename T>
T* FindControlAs(const TControl& form, const std::string& name) {
  T* control = dynamic_cast<T*>(form.FindControl(name));
  if (control == nullptr) RaiseComponentMissing(name);
  return control;
}
