// Building, showing and copying message dialogs: measuring with the dialog's own font, then handing
// the numbers to LayOutMessageDialog and placing the components where it says.
#include "ui/dialog/MessageForm.h"

#include <cstddef>
#include <vector>

#include "base/ResourceStrings.h"
#include "ui/dialog/Clipboard.h"

int ButtonWidthCache[kButtonKindCount] = {};

namespace {

// NONCLIENTMETRICSA as every Windows since 95 knows it, without the padded border width that Vista
// added: a size the call accepts on old and new systems alike.
constexpr UINT kClassicNonClientMetricsSize = 340;
static_assert(offsetof(NONCLIENTMETRICSA, lfMessageFont) + sizeof(LOGFONTA) == kClassicNonClientMetricsSize,
              "the classic structure ends with the message font");

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
constexpr int kAlphabetLength = 52;
static_assert(sizeof kAlphabet - 1 == kAlphabetLength, "A to Z and a to z");

TFormArgs MessageFormArgs() {
  TFormArgs args;
  args.window_class = "TMessageForm";
  args.border_style = TBorderStyle::bsDialog;
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = kClassicNonClientMetricsSize;
  if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, kClassicNonClientMetricsSize, &metrics, 0)) {
    args.font = metrics.lfMessageFont;
  }
  return args;
}

TControlArgs PlacedArgs(std::string name, std::string caption, const DialogRect& bounds) {
  return {std::move(name), std::move(caption), bounds.left, bounds.top, bounds.width, bounds.height};
}

}  // namespace

// ---- TMessageForm --------------------------------------------------------------------------------

TMessageForm::TMessageForm() : TForm(MessageFormArgs()) {}

void TMessageForm::DialogKeyDown(TObject*, WORD& Key, TShiftState Shift) {
  if (Key != 'C' || Shift != ssCtrl) return;
  MessageBeep(0);
  PlaceTextOnClipboard(ComposeDialogText());
}

void TMessageForm::DialogHelpClick(TObject*) {
  // The program ships no help file; a dialog given one opens its topic through the system's viewer.
  if (!HelpFile.empty()) {
    WinHelpA(Handle(), HelpFile.c_str(), HELP_CONTEXT, static_cast<ULONG_PTR>(HelpContext));
  }
}

std::string TMessageForm::ComposeDialogText() const {
  std::vector<std::string> captions;
  for (const auto& control : Controls()) {
    if (auto* button = dynamic_cast<TButton*>(control.get())) captions.push_back(button->Caption());
  }
  return ::ComposeDialogText(Caption(), Message != nullptr ? Message->Caption() : std::string(), captions);
}

void TMessageForm::PlaceTextOnClipboard(const std::string& text) const { ::PlaceTextOnClipboard(Handle(), text); }

// ---- Building and showing ------------------------------------------------------------------------

SIZE GetAverageCharSize(HDC dc) {
  SIZE extent{};
  GetTextExtentPointA(dc, kAlphabet, kAlphabetLength, &extent);
  return {extent.cx / kAlphabetLength, extent.cy};
}

std::unique_ptr<TMessageForm> BuildMessageDialog(const std::string& text, MessageDialogKind kind,
                                                 MessageDialogButtons buttons) {
  auto form = std::make_unique<TMessageForm>();
  TMessageForm* dialog = form.get();
  form->KeyPreview = true;
  form->OnKeyDown = [dialog](TObject* Sender, WORD& Key, TShiftState Shift) { dialog->DialogKeyDown(Sender, Key, Shift); };

  // The program reads left to right: no DT_RTLREADING, and the layout is not mirrored.
  const TCanvas canvas(form->Font());
  MessageDialogMetrics metrics;
  const SIZE char_size = GetAverageCharSize(canvas.Handle());
  metrics.char_width = char_size.cx;
  metrics.char_height = char_size.cy;

  std::string captions[kButtonKindCount];
  for (int button = 0; button < kButtonKindCount; ++button) {
    if (!HasButton(buttons, button)) continue;
    captions[button] = ResourceString(kButtonKinds[button].caption_id);
    if (ButtonWidthCache[button] == 0) {
      const RECT bounds = canvas.TextRect(captions[button], RECT{}, DT_SINGLELINE | DT_LEFT);
      ButtonWidthCache[button] = bounds.right - bounds.left + 8;
    }
    metrics.cached_button_widths[button] = ButtonWidthCache[button];
  }

  metrics.screen_width = GetSystemMetrics(SM_CXSCREEN);
  metrics.screen_height = GetSystemMetrics(SM_CYSCREEN);
  const RECT text_bounds =
      canvas.TextRect(text, RECT{0, 0, TextWrapWidth(metrics.screen_width), 0}, DT_WORDBREAK | DT_EXPANDTABS);
  metrics.text_width = text_bounds.right;
  metrics.text_height = text_bounds.bottom;
  // The frame of a dialog with an empty client area is all frame.
  RECT frame{};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrA(form->Handle(), GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrA(form->Handle(), GWL_EXSTYLE)));
  metrics.frame_width = frame.right - frame.left;
  metrics.frame_height = frame.bottom - frame.top;

  const MessageDialogLayout layout = LayOutMessageDialog(kind, buttons, metrics);
  form->SetClientSize(layout.client_width, layout.client_height);
  SetWindowPos(form->Handle(), nullptr, layout.left, layout.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

  // The custom kind is captioned with the application title, the text of the forms' owner window.
  const DialogKindInfo& kind_info = DialogKindOf(kind);
  char title[256] = {};
  if (kind_info.caption_id == 0) GetWindowTextA(FormOwner(), title, sizeof title);
  form->SetCaption(kind_info.caption_id == 0 ? std::string(title) : ResourceString(kind_info.caption_id));

  if (layout.has_icon) {
    form->Add<TImage>(PlacedArgs("Image", "", layout.icon), LoadIconA(nullptr, MAKEINTRESOURCEA(kind_info.icon_id)));
  }
  form->Message = form->Add<TLabel>(PlacedArgs("Message", text, layout.message));
  for (const PlacedButton& placed : layout.buttons) {
    const ButtonKindInfo& info = kButtonKinds[placed.kind];
    auto* button = form->Add<TButton>(PlacedArgs(info.component_name, captions[placed.kind], placed.bounds),
                                      TButtonArgs{info.modal_result, placed.is_default, placed.is_cancel});
    if (placed.kind == mbHelp) button->OnClick = [dialog](TObject* Sender) { dialog->DialogHelpClick(Sender); };
  }
  return form;
}

TModalResult ShowMessageDialog(const std::string& text, MessageDialogKind kind, MessageDialogButtons buttons,
                               int help_context) {
  return ShowMessageDialogAt(text, kind, buttons, help_context, -1, -1, std::string());
}

TModalResult ShowMessageDialogAt(const std::string& text, MessageDialogKind kind, MessageDialogButtons buttons,
                                 int help_context, int x, int y, const std::string& help_file) {
  const std::unique_ptr<TMessageForm> dialog = BuildMessageDialog(text, kind, buttons);
  dialog->HelpContext = help_context;
  dialog->HelpFile = help_file;
  if (x < 0 && y < 0) {
    dialog->SetPosition(TPosition::poScreenCenter);
  } else {
    const RECT built = dialog->WindowRect();
    SetWindowPos(dialog->Handle(), nullptr, x >= 0 ? x : built.left, y >= 0 ? y : built.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  return dialog->ShowModal();
}
