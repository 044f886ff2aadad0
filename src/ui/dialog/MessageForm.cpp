// Building, showing and copying message dialogs: measuring with the dialog's own font, then handing
// the numbers to LayOutMessageDialog and placing the components where it says.
#include "ui/dialog/MessageForm.h"

#include <cstddef>
#include <vector>

#include "app/Application.h"
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

void PlaceControl(TControl& control, const DialogRect& bounds) {
  control.SetBounds(bounds.left, bounds.top, bounds.width, bounds.height);
}

}  // namespace

// ---- TMessageForm --------------------------------------------------------------------------------

TMessageForm::TMessageForm(TComponent* Owner) : TForm(Owner) {
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = kClassicNonClientMetricsSize;
  if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, kClassicNonClientMetricsSize, &metrics, 0)) {
    SetFont(metrics.lfMessageFont);
  }
}

void TMessageForm::DialogKeyDown(TObject*, WORD& Key, TShiftState Shift) {
  if (Key != 'C' || Shift != ssCtrl) return;
  MessageBeep(0);
  PlaceTextOnClipboard(ComposeDialogText());
}

void TMessageForm::DialogHelpClick(TObject*) {
  // The program ships no help file; a dialog given one opens its topic through the system's viewer.
  if (!HelpFile().empty()) {
    WinHelpA(Handle(), HelpFile().c_str(), HELP_CONTEXT, static_cast<ULONG_PTR>(HelpContext()));
  }
}

std::string TMessageForm::ComposeDialogText() const {
  std::vector<std::string> captions;
  for (int i = 0; i < ComponentCount(); ++i) {
    if (auto* button = dynamic_cast<TButton*>(Components(i))) captions.push_back(button->Caption());
  }
  return ::ComposeDialogText(Caption(), Message != nullptr ? Message->Caption() : std::string(), captions);
}

void TMessageForm::PlaceTextOnClipboard(const std::string& text) { ::PlaceTextOnClipboard(text); }

// ---- Building and showing ------------------------------------------------------------------------

SIZE GetAverageCharSize(HDC dc) {
  SIZE extent{};
  GetTextExtentPointA(dc, kAlphabet, kAlphabetLength, &extent);
  return {extent.cx / kAlphabetLength, extent.cy};
}

TOwned<TMessageForm> BuildMessageDialog(const std::string& text, MessageDialogKind kind, MessageDialogButtons buttons) {
  TOwned<TMessageForm> form(new TMessageForm(Application));
  form->SetRightToLeftReading(Application != nullptr && Application->UseRightToLeftReading());
  form->SetBorderStyle(TBorderStyle::bsDialog);
  form->SetKeyPreview(true);
  TMessageForm* dialog = form.get();
  form->OnKeyDown = [dialog](TObject* Sender, WORD& Key, TShiftState Shift) { dialog->DialogKeyDown(Sender, Key, Shift); };

  const TCanvas canvas(form->FontHandle());
  const UINT reading = form->RightToLeftReading() ? DT_RTLREADING : 0;
  MessageDialogMetrics metrics;
  const SIZE char_size = GetAverageCharSize(canvas.Handle());
  metrics.char_width = char_size.cx;
  metrics.char_height = char_size.cy;
  metrics.right_to_left = form->RightToLeftReading();

  std::string captions[kButtonKindCount];
  for (int button = 0; button < kButtonKindCount; ++button) {
    if (!HasButton(buttons, button)) continue;
    captions[button] = ResourceString(kButtonKinds[button].caption_id);
    if (ButtonWidthCache[button] == 0) {
      const RECT bounds = canvas.TextRect(captions[button], RECT{}, DT_SINGLELINE | DT_LEFT | reading);
      ButtonWidthCache[button] = bounds.right - bounds.left + 8;
    }
    metrics.cached_button_widths[button] = ButtonWidthCache[button];
  }

  metrics.screen_width = GetSystemMetrics(SM_CXSCREEN);
  metrics.screen_height = GetSystemMetrics(SM_CYSCREEN);
  const RECT text_bounds = canvas.TextRect(text, RECT{0, 0, TextWrapWidth(metrics.screen_width), 0},
                                           DT_WORDBREAK | DT_EXPANDTABS | reading);
  metrics.text_width = text_bounds.right;
  metrics.text_height = text_bounds.bottom;
  // The frame of a dialog with an empty client area is all frame.
  form->SetClientSize(0, 0);
  metrics.frame_width = form->Width();
  metrics.frame_height = form->Height();

  const MessageDialogLayout layout = LayOutMessageDialog(kind, buttons, metrics);
  form->SetClientSize(layout.client_width, layout.client_height);
  form->SetBounds(layout.left, layout.top, form->Width(), form->Height());

  const DialogKindInfo& kind_info = DialogKindOf(kind);
  if (kind_info.caption_id == 0) {
    form->SetCaption(Application != nullptr ? Application->ApplicationTitle() : std::string());
  } else {
    form->SetCaption(ResourceString(kind_info.caption_id));
  }

  if (layout.has_icon) {
    auto* image = new TImage(form.get());
    image->SetName("Image");
    image->SetIcon(LoadIconA(nullptr, MAKEINTRESOURCEA(kind_info.icon_id)));
    PlaceControl(*image, layout.icon);
    image->SetParent(form.get());
  }

  form->Message = new TLabel(form.get());
  form->Message->SetName("Message");
  form->Message->SetWordWrap(true);
  form->Message->SetCaption(text);
  PlaceControl(*form->Message, layout.message);
  form->Message->SetParent(form.get());

  for (const PlacedButton& placed : layout.buttons) {
    const ButtonKindInfo& info = kButtonKinds[placed.kind];
    auto* button = new TButton(form.get());
    button->SetName(info.component_name);
    button->SetCaption(captions[placed.kind]);
    button->SetModalResult(info.modal_result);
    button->SetDefault(placed.is_default);
    button->SetCancel(placed.is_cancel);
    PlaceControl(*button, placed.bounds);
    button->SetParent(form.get());
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
  const TOwned<TMessageForm> dialog = BuildMessageDialog(text, kind, buttons);
  dialog->SetHelpContext(help_context);
  dialog->SetHelpFile(help_file);
  if (x >= 0) dialog->SetBounds(x, dialog->Top(), dialog->Width(), dialog->Height());
  if (y >= 0) dialog->SetBounds(dialog->Left(), y, dialog->Width(), dialog->Height());
  if (x < 0 && y < 0) dialog->SetPosition(TPosition::poScreenCenter);
  return dialog->ShowModal();
}
