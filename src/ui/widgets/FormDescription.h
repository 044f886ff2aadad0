// The vocabulary of a form description: the form's own properties and one row per component, with
// the values the form designer would store (pixels at kDesignPixelsPerInch, code page 932 texts).
// Portable on purpose: the descriptions are plain data that tests read without any window.
#pragma once

#include <cstddef>
#include <variant>

enum class TAlign { alNone, alClient };
enum class TBorderStyle { bsSingle, bsSizeable, bsDialog };
enum class TPosition { poDesigned, poScreenCenter, poDesktopCenter };
enum class TScrollStyle { ssNone, ssVertical, ssHorizontal, ssBoth };

// Title-bar icons, a set of bits.
enum TBorderIcon : unsigned { biSystemMenu = 1, biMinimize = 2, biMaximize = 4 };

// What closes a modal form: 0 is "no result yet"; 1 to 7 are the system's IDOK to IDNO.
using TModalResult = int;
enum : TModalResult { mrNone, mrOk, mrCancel, mrAbort, mrRetry, mrIgnore, mrYes, mrNo, mrAll, mrNoToAll, mrYesToAll };

// A list of texts given in place (memo lines, radio items).
struct TTextList {
  const char* const* items = nullptr;
  std::size_t count = 0;
};
template <std::size_t N>
constexpr TTextList TextList(const char* const (&items)[N]) {
  return {items, N};
}

// What each kind of control is made with beyond name, caption, bounds and alignment; the defaults
// are those of a new control of the kind.
struct TPageControlArgs {
  const char* active_page = nullptr;  // the name of the page in front
};
struct TTabSheetArgs {};
struct TMemoArgs {
  bool read_only = false;
  bool word_wrap = true;  // lines break at the memo's width
  TScrollStyle scroll_bars = TScrollStyle::ssNone;
  TTextList lines;
};
struct TGroupBoxArgs {};
struct TCheckBoxArgs {
  bool checked = false;
  bool allow_grayed = false;  // a third, grey state
};
struct TRadioGroupArgs {
  TTextList items;  // one column
  int item_index = -1;
};
struct TButtonArgs {
  TModalResult modal_result = mrNone;  // closes its modal form with this when clicked
  bool is_default = false;             // pressed by Enter
  bool is_cancel = false;              // pressed by Escape
};
using TComponentArgs = std::variant<TPageControlArgs, TTabSheetArgs, TMemoArgs, TGroupBoxArgs, TCheckBoxArgs,
                                    TRadioGroupArgs, TButtonArgs>;

struct TFontDescription {
  const char* name;  // face name, code page 932
  int height;        // negative: character height in design pixels
  int charset;       // SHIFTJIS_CHARSET is 128
  bool bold;
  bool italic;
  bool underline;
};

struct TComponentDescription {
  const char* name;
  const char* parent;  // a component's name, or the form's
  int left, top, width, height;
  const char* caption;  // nullptr: none
  int tab_order;        // among the parent's children; for a page, its page index
  TAlign align;         // alClient fills the parent
  TComponentArgs args;  // the kind of component, with what it is made with
  const char* on_click;  // the name of the form's handler, or nullptr
};

struct TFormDescription {
  const char* name;
  const char* caption;
  int left, top;  // the stored position, used only when the form is not centred
  int client_width, client_height;
  TBorderStyle border_style;
  unsigned border_icons;
  TPosition position;
  TFontDescription font;
  int pixels_per_inch;  // the density the values were designed at
  const char* on_create;
  const char* on_destroy;
  const TComponentDescription* components;  // parents before their children
  std::size_t component_count;
};
