// The application object: the hidden application window that owns every form and stands for the
// program on the task bar, the title, the message loop, and the last-resort report of exceptions.
#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "base/Exception.h"
#include "ui/widgets/Forms.h"

class TApplication : public TObject {
 public:
  // Makes the application window: class "TApplication", 0 x 0 at the centre of the screen, a system
  // menu without Maximize, Size and Move, the program's icon "MAINICON". Installs itself as the
  // widget layer's exception sink, its message step and the owner of every form.
  TApplication();
  // The shutdown: owned pop-ups hidden, every form destroyed newest first (their destroy handlers
  // run), then the application window.
  ~TApplication() override;
  TApplication(const TApplication&) = delete;
  TApplication& operator=(const TApplication&) = delete;

  // Runs the start-up hook when one is installed (this program installs none).
  void InitializeApp() {}

  // The title is the application window's text.
  std::string ApplicationTitle() const;
  void SetApplicationTitle(const std::string& title);

  // Creates a form owned by the application; reference is set before the constructor runs and
  // reset to nullptr when it raises (the exception goes on). The first form becomes the main form.
  template <typename TFormClass>
  void CreateAppForm(TFormClass*& reference);

  // Shows the main form as the program was asked to start (maximised for show command 3, minimised
  // for 7) and handles messages until the quit message.
  void RunMessageLoop();
  // One step of the message loop, also of the forms' modal loops: takes the next message and handles
  // it (a form's keys through its key preview and the dialog manager), or waits when there is none.
  // False for the quit message. What a key preview handler raises goes on to the caller.
  bool HandleMessage();
  // Posts the quit message with exit value 0.
  void EndMessageLoop() noexcept { PostQuitMessage(0); }

  // The last resort for an exception (error) that escaped a handler: ends any mouse capture,
  // stays silent for EAbort, shows an Exception's message in the error box (or passes it to
  // OnException when assigned) and anything else in the fatal error box. Never throws; the
  // program goes on.
  void ReportException(TObject* Sender, std::exception_ptr error) noexcept;
  // The error box: the message with a closing "." (see WithClosingPeriod), the title as caption,
  // the stop icon and OK.
  void ShowExceptionBox(const Exception& error);
  // MessageBoxA owned by the application window, shown on the active window's monitor with every
  // other window of the program disabled; activation and focus are restored afterwards.
  int ShowAppMessageBox(const std::string& text, const std::string& caption, UINT flags);

  std::function<void(TObject* Sender, const Exception& error)> OnException;

  HWND Handle() const noexcept { return handle_.Get(); }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  void AdoptForm(TForm* form);

  UniqueHwnd handle_;
  std::vector<std::unique_ptr<TForm>> forms_;
  TForm* main_form_ = nullptr;
};

// The program's one application object, made by CreateApplication.
extern TApplication* Application;

void CreateApplication();
// The shutdown; safe to call when there is no application object (any more).
void DestroyApplication() noexcept;

// The handler for an exception that escaped the program's entry: the fatal error box
// (ShowFatalError), then the ordinary shutdown (the forms are destroyed) and exit code 1.
[[noreturn]] void FatalExceptionHandler(std::exception_ptr object, const void* address) noexcept;

// Makes FatalExceptionHandler the handler of std::terminate as well, for an exception that leaves
// a destructor or a noexcept function.
void InstallFatalExceptionHandler() noexcept;

template <typename TFormClass>
void TApplication::CreateAppForm(TFormClass*& reference) {
  // The variable names the form before its constructor runs, so code run by the constructor
  // (its create handler) can already reach it through the variable.
  void* memory = ::operator new(sizeof(TFormClass));
  reference = static_cast<TFormClass*>(memory);
  TFormClass* form = nullptr;
  try {
    form = new (memory) TFormClass();
  } catch (...) {
    reference = nullptr;
    ::operator delete(memory);
    throw;
  }
  AdoptForm(form);
}
